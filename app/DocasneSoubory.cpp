#include "DocasneSoubory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <write_error.h>

#include <climits>

#include "Katalog.h"
#include "Platforma.h"

namespace kalmetra {

namespace {

// A record names a path or two; anything longer is no record of ours.
constexpr qint64 kNejvetsiZaznam = 64 * 1024;

// The process id of "<anything>.tmp<pid>_<n>" style names, 0 for none.
qint64 PidVNazvu(const QRegularExpression& vzor, const QString& nazev) {
  const QRegularExpressionMatch shoda = vzor.match(nazev);
  if (!shoda.hasMatch()) return 0;
  bool ok = false;
  const qint64 pid = shoda.captured(1).toLongLong(&ok);
  // An id no process can have is no name of ours.
  return ok && pid <= INT_MAX ? pid : 0;
}

bool NahrazovanyAOpusteny(const QString& nazev) {
  static const QRegularExpression vzor(QStringLiteral("^.+\\.tmp([1-9][0-9]{0,9})_[0-9]+$"));
  const qint64 pid = PidVNazvu(vzor, nazev);
  return pid != 0 && !ProcesBezi(pid);
}

bool Stary(const QFileInfo& soubor) {
  const QDateTime zmena = soubor.lastModified();
  return zmena.isValid() && zmena.secsTo(QDateTime::currentDateTimeUtc()) > kStariDocasnehoSouboru;
}

QFileInfoList Soubory(const QString& slozka) {
  QFileInfoList soubory;
  for (const QFileInfo& soubor :
       QDir(slozka).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks))
    if (!soubor.isSymLink() && soubor.isFile()) soubory << soubor;
  return soubory;
}

void Odstranit(const QFileInfo& soubor, QStringList& odstranene) {
  if (QFile::remove(soubor.filePath())) odstranene << soubor.filePath();
}

void Uklidit(const QString& slozka, const QRegularExpression& ulozeni, bool sam, QStringList& odstranene) {
  for (const QFileInfo& soubor : Soubory(slozka)) {
    const QString nazev = soubor.fileName();
    if (NahrazovanyAOpusteny(nazev) || (ulozeni.match(nazev).hasMatch() && (sam || Stary(soubor))))
      Odstranit(soubor, odstranene);
  }
}

// The targets a record names: complete lines only (a record cut short names nothing),
// absolute paths without a zero byte.
QStringList CileZaznamu(const QString& cesta) {
  QFile f(cesta);
  if (f.size() > kNejvetsiZaznam || !f.open(QIODevice::ReadOnly)) return {};
  const QByteArray obsah = f.readAll();
  if (obsah.isEmpty() || !obsah.endsWith('\n') || obsah.contains('\0')) return {};
  QStringList cile;
  for (const QByteArray& radek : obsah.left(obsah.size() - 1).split('\n')) {
    const QString cil = QFile::decodeName(radek);
    if (!QDir::isAbsolutePath(cil) || QFileInfo(cil).fileName().isEmpty()) return {};
    cile << cil;
  }
  return cile;
}

// The save files' temporaries of the targets named by records of writers that no longer
// run, then the records.
void UkliditZapisy(const QString& slozkaProgramu, QStringList& odstranene) {
  static const QRegularExpression vzor(QStringLiteral("^") +
                                       QRegularExpression::escape(QLatin1String(rpt::kWriteRecordPrefix)) +
                                       QStringLiteral("([1-9][0-9]{0,9})_[0-9]+$"));
  for (const QFileInfo& zaznam : Soubory(slozkaProgramu)) {
    const qint64 pid = PidVNazvu(vzor, zaznam.fileName());
    if (pid == 0 || ProcesBezi(pid)) continue;
    // The writer made its temporary after the record: a user's file of such a name
    // that is older is no temporary of that write.
    const QDateTime zacatek = zaznam.lastModified();
    for (const QString& cil : CileZaznamu(zaznam.filePath())) {
      const QFileInfo info(cil);
      const QRegularExpression docasny(QStringLiteral("^") + QRegularExpression::escape(info.fileName()) +
                                       QStringLiteral("\\.[A-Za-z0-9]{6}$"));
      for (const QFileInfo& soubor : Soubory(info.absolutePath()))
        if (docasny.match(soubor.fileName()).hasMatch() && soubor.lastModified() >= zacatek)
          Odstranit(soubor, odstranene);
    }
    Odstranit(zaznam, odstranene);
  }
}

}  // namespace

QStringList OdstranitOpusteneDocasneSoubory(const QString& slozkaProgramu) {
  static const QRegularExpression nastaveniSestav(QStringLiteral("^Sestavy\\.ini\\.[A-Za-z0-9]{6}$"));
  static const QRegularExpression sestava(QStringLiteral("^.+\\.[kK][sS][rR]\\.[A-Za-z0-9]{6}$"));
  // Names without a process id are safe to take at once only while no other instance
  // can be writing them.
  const bool sam = !JinaInstanceZeSlozky(slozkaProgramu);
  QStringList odstranene;
  if (sam) UkliditZapisy(slozkaProgramu, odstranene);
  Uklidit(slozkaProgramu, nastaveniSestav, sam, odstranene);
  Uklidit(QDir(slozkaProgramu).filePath(QLatin1String(kSlozkaSestav)), sestava, sam, odstranene);
  return odstranene;
}

}  // namespace kalmetra
