#include "PrikazyZaznamu.h"

#include <QFileInfo>

#include "Hlavni_f.h"
#include "Interakce.h"
#include "Pomocne.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

QString Hodnota(const THlavni& hlavni, const char* pole) {
  if (!hlavni.DataSet1.Active()) return {};
  return FromAnsi(hlavni.DataSet1.FieldByName(pole).AsString());
}

}  // namespace

void PrvniZaznam(THlavni& hlavni) { hlavni.DataSet1.First(); }

void PredchazejiciZaznam(THlavni& hlavni) { hlavni.DataSet1.Prior(); }

void NasledujiciZaznam(THlavni& hlavni) {
  hlavni.DataSet1.Next();
  if (hlavni.DataSet1.Eof()) hlavni.DataSet1.Last();
}

void PosledniZaznam(THlavni& hlavni) { hlavni.DataSet1.Last(); }

void PrejitNaZaznam(THlavni& hlavni) {
  orvek3::TOrvek3Query& data = hlavni.DataSet1;
  if (!data.Active()) return;
  const int aktualni = std::max(data.RecNo(), 0);
  const int pocet = data.RecordCount();
  const std::optional<QString> odpoved =
      Seam().Prompt(QStringLiteral("Přejít na záznam ..."),
                    QStringLiteral("Zadejte pořadí záznamu od 1 do ") + QString::number(pocet) + QStringLiteral("  :"),
                    QString::number(aktualni));
  if (!odpoved) return;
  if (odpoved->isEmpty()) {
    Informace(QStringLiteral("Nebyla zadaná žádná hodnota."));
    return;
  }
  const QString cislice = JenCislice(*odpoved);
  if (cislice.isEmpty()) {
    Informace(QStringLiteral("Byl zadán neplatný výraz."));
    return;
  }
  // A number too long for an int cannot be a position.
  bool platne = false;
  const int n = cislice.toInt(&platne);
  if (platne && n == aktualni) return;
  if (!platne || n <= 0 || n > pocet) {
    Informace(QStringLiteral("Zadali jste hodnotu mimo povolený rozsah"));
    return;
  }
  data.SetRecNo(n);
}

QString TextZaznamu(const THlavni& hlavni) {
  const orvek3::TOrvek3Query& data = hlavni.DataSet1;
  QString text;
  for (int i = 0; i < data.FieldCount(); ++i) {
    const orvek3::TRecField& pole = data.Field(i);
    text += hlavni.PopisekPole(FromAnsi(pole.FieldName())) + QStringLiteral(": ") + FromAnsi(pole.AsString()) +
            QStringLiteral("\r\n");
  }
  return text;
}

void KopirovatText(THlavni& hlavni) {
  if (!hlavni.DataSet1.Active()) return;
  Seam().SetClipboardText(TextZaznamu(hlavni));
}

void KopirovatTitul(THlavni& hlavni) {
  if (!hlavni.DataSet1.Active()) return;
  Seam().SetClipboardText(Hodnota(hlavni, "Titul"));
}

void VyvolatWWW(THlavni& hlavni) {
  if (hlavni.VychoziAdresaWWWW.isEmpty()) {
    Informace(QStringLiteral("Není zadaná žádná výchozí internetová adresa pro filmovou databázi."));
    return;
  }
  Seam().SetClipboardText(Hodnota(hlavni, "Titul"));
  OtevritSoubor(hlavni.VychoziAdresaWWWW);
}

void Prehrat(THlavni& hlavni) {
  const QString cesta = Hodnota(hlavni, "Umisteni");
  // A folder is no film: only a file is handed to the player.
  if (!cesta.isEmpty() && QFileInfo(cesta).isFile()) OtevritSoubor(cesta);
  else Informace(QStringLiteral("Soubor neexistuje, nebo je chybně zadaná cesta."));
}

}  // namespace kalmetra
