// A small memory file system mounted in a test's folder and filled to the last byte, for
// writes that meet a full disk. Mounting needs root; elsewhere the tests say why they skip.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

namespace kalmetra::test {

class PlnyDisk {
 public:
  explicit PlnyDisk(const QString& slozka, const char* velikost = "256k") : slozka_(slozka) {
    QDir().mkpath(slozka_);
    const QByteArray volby = QByteArray("size=") + velikost;
    if (::mount("tmpfs", QFile::encodeName(slozka_).constData(), "tmpfs", 0, volby.constData()) == 0)
      pripojeno_ = true;
    else
      duvod_ = QStringLiteral("tmpfs nelze připojit: ") + QString::fromLocal8Bit(std::strerror(errno));
  }
  ~PlnyDisk() {
    if (pripojeno_) ::umount2(QFile::encodeName(slozka_).constData(), MNT_DETACH);
  }
  PlnyDisk(const PlnyDisk&) = delete;
  PlnyDisk& operator=(const PlnyDisk&) = delete;

  bool Pripojeno() const { return pripojeno_; }
  const QString& Duvod() const { return duvod_; }
  QString Cesta(const QString& nazev) const { return slozka_ + QStringLiteral("/") + nazev; }

  // Takes every byte left with a file of its own, or all but about `ponechat` bytes.
  void Naplnit(qint64 ponechat = 0) {
    QFile vypln(Cesta(QStringLiteral("vypln")));
    if (!vypln.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray blok(4096, 'x');
    while (Volno() > ponechat + blok.size() && vypln.write(blok) == blok.size()) {
    }
    if (ponechat > 0) return;
    for (int i = 0; i < 4096 && vypln.write("x", 1) == 1; ++i) {
    }
  }
  qint64 Volno() const {
    struct statvfs s {};
    if (::statvfs(QFile::encodeName(slozka_).constData(), &s) != 0) return 0;
    return static_cast<qint64>(s.f_bavail) * static_cast<qint64>(s.f_frsize);
  }

 private:
  QString slozka_;
  bool pripojeno_ = false;
  QString duvod_;
};

}  // namespace kalmetra::test
