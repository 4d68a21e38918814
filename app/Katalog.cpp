#include "Katalog.h"

#include <QFile>

#include "Platforma.h"
#include "Zdroje.h"

namespace kalmetra {

const std::array<PoleKatalogu, kPocetPoli> kPoleKatalogu = {{
    {"Id", "INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL", u"Id", 40, nullptr, false},
    {"Titul", "VARCHAR(80)", u"Titul", 140, nullptr, false},
    {"Rok", "VARCHAR(4)", u"Rok", 40, nullptr, false},
    {"Stopaz", "VARCHAR(4)", u"Stopáž", 40, nullptr, false},
    {"Zanr", "VARCHAR(30)", u"Žánr", 100, "Skryt_Zanr", false},
    {"Puvod", "VARCHAR(30)", u"Původ", 100, "Skryt_Puvod", false},
    {"Rezie", "VARCHAR(30)", u"Režie", 100, "Skryt_Rezie", false},
    {"Obsazeni", "VARCHAR(255)", u"Obsazení", 100, "Skryt_Obsazeni", false},
    {"Koment", "VARCHAR(255)", u"Komentář", 80, "Skryt_Koment", false},
    {"Umisteni", "VARCHAR(255)", u"Umístění", 60, "Skryt_Umisteni", true},
}};

QString PopiskyPoli(int pozice) {
  if (pozice < 1 || pozice > kPocetPoli) return {};
  return QString::fromUtf16(kPoleKatalogu[static_cast<size_t>(pozice - 1)].popisek);
}

QString DefiniceTabulky() {
  QString text = QStringLiteral("CREATE TABLE ") + QLatin1String(kNazevTabulky) + QStringLiteral(" (");
  for (size_t i = 0; i < kPoleKatalogu.size(); ++i) {
    text += QStringLiteral("\r\n ") + QLatin1String(kPoleKatalogu[i].nazev) + QStringLiteral(" ") +
            QLatin1String(kPoleKatalogu[i].deklarovanyTyp);
    if (i + 1 < kPoleKatalogu.size()) text += QStringLiteral(",");
  }
  return text + QStringLiteral("\r\n)");
}

bool VytvoritDatabazi(const QString& path, QString* error) {
  ZajistitZdroje();
  QFile resource(QString::fromLatin1(kZdrojDatabaze));
  if (!resource.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = QStringLiteral("Šablona databáze chybí v programu.");
    return false;
  }
  const QByteArray bytes = resource.readAll();
  if (bytes.isEmpty()) {
    if (error != nullptr) *error = QStringLiteral("Šablona databáze je prázdná.");
    return false;
  }
  // A half-written file would be taken for a catalogue at the next start, so the file is
  // written beside and renamed into place.
  return ReplaceFileAtomically(path, bytes, error);
}

}  // namespace kalmetra
