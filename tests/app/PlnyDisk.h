// A small memory file system mounted in a test's folder and filled to the last byte, for
// writes that meet a full disk. Mounting needs root; elsewhere the tests say why they skip.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace kalmetra::test {

class PlnyDisk {
 public:
  explicit PlnyDisk(const QString& slozka) : slozka_(slozka) {
    QDir().mkpath(slozka_);
    if (::mount("tmpfs", QFile::encodeName(slozka_).constData(), "tmpfs", 0, "size=256k") == 0)
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

  // Takes every byte left with a file of its own.
  void Naplnit() {
    QFile vypln(Cesta(QStringLiteral("vypln")));
    if (!vypln.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray blok(4096, 'x');
    while (vypln.write(blok) == blok.size()) {
    }
    for (int i = 0; i < 4096 && vypln.write("x", 1) == 1; ++i) {
    }
  }

 private:
  QString slozka_;
  bool pripojeno_ = false;
  QString duvod_;
};

}  // namespace kalmetra::test
