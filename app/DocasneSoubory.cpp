#include "DocasneSoubory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <climits>

#include "Katalog.h"
#include "Platforma.h"

namespace kalmetra {

namespace {

bool NahrazovanyAOpusteny(const QString& nazev) {
  static const QRegularExpression vzor(QStringLiteral("^.+\\.tmp([1-9][0-9]{0,9})_[0-9]+$"));
  const QRegularExpressionMatch shoda = vzor.match(nazev);
  if (!shoda.hasMatch()) return false;
  bool ok = false;
  const qint64 pid = shoda.captured(1).toLongLong(&ok);
  // An id no process can have is no name of ours.
  return ok && pid <= INT_MAX && !ProcesBezi(pid);
}

bool Stary(const QFileInfo& soubor) {
  const QDateTime zmena = soubor.lastModified();
  return zmena.isValid() && zmena.secsTo(QDateTime::currentDateTimeUtc()) > kStariDocasnehoSouboru;
}

void Uklidit(const QString& slozka, const QRegularExpression& ulozeni, QStringList& odstranene) {
  const QFileInfoList soubory = QDir(slozka).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
  for (const QFileInfo& soubor : soubory) {
    if (soubor.isSymLink() || !soubor.isFile()) continue;
    const QString nazev = soubor.fileName();
    const bool opusteny = NahrazovanyAOpusteny(nazev) || (ulozeni.match(nazev).hasMatch() && Stary(soubor));
    if (opusteny && QFile::remove(soubor.filePath())) odstranene << soubor.filePath();
  }
}

}  // namespace

QStringList OdstranitOpusteneDocasneSoubory(const QString& slozkaProgramu) {
  static const QRegularExpression nastaveniSestav(QStringLiteral("^Sestavy\\.ini\\.[A-Za-z0-9]{6}$"));
  static const QRegularExpression sestava(QStringLiteral("^.+\\.[kK][sS][rR]\\.[A-Za-z0-9]{6}$"));
  QStringList odstranene;
  Uklidit(slozkaProgramu, nastaveniSestav, odstranene);
  Uklidit(QDir(slozkaProgramu).filePath(QLatin1String(kSlozkaSestav)), sestava, odstranene);
  return odstranene;
}

}  // namespace kalmetra
