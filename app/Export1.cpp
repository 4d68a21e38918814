#include "Export1.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <write_error.h>

#include <algorithm>
#include <optional>

#include <cstring>
#include <stdexcept>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Hlavni_f.h"
#include "Interakce.h"
#include "Katalog.h"
#include "Pomocne.h"
#include "Pozastaveni.h"
#include "Prubeh.h"
#include "TextCodec.h"
#include "sql3_defs.h"

namespace kalmetra {

namespace {

using orvek3::TFieldType;
using orvek3::TRecField;
using orvek3::TRecordSet;

constexpr size_t kDavka = 1 << 16;  // bytes collected before they go to the file

// Errors of the writers carry Windows-1250 text, as every error the default report shows.
[[noreturn]] void Chyba(const QString& text) { throw std::runtime_error(ToAnsi(text)); }

// The target written through a temporary file beside it: the target is replaced only by
// Dokoncit, so an export that fails on the way leaves the user's earlier file as it was
// and no half-written one.
class TVystup {
 public:
  explicit TVystup(const QString& cesta) : zaznam_(cesta), soubor_(cesta), cesta_(cesta) {
    if (!soubor_.open(QIODevice::WriteOnly))
      Chyba(QStringLiteral("Soubor \"%1\" nelze vytvořit.\r\n%2").arg(cesta_, Duvod()));
    data_.reserve(kDavka + 4096);
  }
  std::string& Data() { return data_; }
  void Dopsat() {
    if (data_.size() >= kDavka) Zapsat();
  }
  void Dokoncit() {
    Zapsat();
    QString duvod;
    if (!rpt::CommitWhole(soubor_, cesta_, zapsano_, &duvod))
      Chyba(QStringLiteral("Soubor \"%1\" nelze uložit.\r\n%2").arg(cesta_, duvod));
  }

 private:
  void Zapsat() {
    if (data_.empty()) return;
    zapsano_ += static_cast<qint64>(data_.size());
    if (soubor_.write(data_.data(), static_cast<qint64>(data_.size())) != static_cast<qint64>(data_.size()))
      Chyba(QStringLiteral("Do souboru \"%1\" nelze zapisovat.\r\n%2").arg(cesta_, Duvod()));
    data_.clear();
  }

  QString Duvod() const { return rpt::WriteErrorText(soubor_, cesta_, zapsano_); }

  rpt::WriteRecord zaznam_;  // before the save file, so that it outlives its temporary
  QSaveFile soubor_;
  QString cesta_;
  qint64 zapsano_ = 0;
  std::string data_;
};

// Reads field values into one buffer instead of a new string per value.
class TCteniPoli {
 public:
  // Appends the field's text form as the record set gives it; blob fields give nothing.
  void Pridat(const TRecField& pole, std::string& cil) {
    if (pole.IsBlob()) return;
    if (pole.DataType() == TFieldType::ftString) {
      buffer_.resize(static_cast<size_t>(pole.DataSize()) + 2);
      if (pole.GetData(buffer_.data()))
        cil.append(buffer_.data(), strnlen(buffer_.data(), static_cast<size_t>(pole.Size())));
      return;
    }
    cil += pole.AsString();
  }

 private:
  std::vector<char> buffer_;
};

int PocetZaznamu(TRecordSet& ds) { return ds.Active() ? ds.RecordCount() : 0; }

// The data types whose fields the XML document holds.
bool PatriDoXML(TFieldType typ) {
  switch (typ) {
    case TFieldType::ftString:
    case TFieldType::ftWideString:
    case TFieldType::ftInteger:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
    case TFieldType::ftBoolean:
    case TFieldType::ftMemo:
      return true;
    default:
      return false;
  }
}

// A name an XML element may carry (without namespaces), as UTF-8; a field name that is
// none would make the document unreadable, so it is refused.
std::string NazevElementu(const QString& nazev) {
  bool platny = !nazev.isEmpty();
  for (qsizetype i = 0; platny && i < nazev.size(); ++i) {
    const QChar c = nazev[i];
    const bool zacatek = c == QLatin1Char('_') || c.isLetter();
    platny = i == 0 ? zacatek
                    : zacatek || c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('.') || c.isMark();
  }
  if (!platny) Chyba(QStringLiteral("\"%1\" nemůže být názvem prvku XML.").arg(nazev));
  return nazev.toStdString();
}

// Where a value stands, for a message: the record's Id (or its number) and the field.
QString MistoHodnoty(const TRecordSet& ds, const TRecField& pole, int poradi) {
  const TRecField* id = ds.FindField(kPoleKatalogu[0].nazev);
  const QString zaznam = id && !id->IsNull() ? QStringLiteral("záznam s Id %1").arg(FromAnsi(id->AsString()))
                                             : QStringLiteral("záznam č. %1").arg(poradi);
  return QStringLiteral("%1, pole %2").arg(zaznam, FromAnsi(pole.DisplayName()));
}

// Appends Windows-1250 text as UTF-8 with "&", "<" and ">" as entities. Control
// characters that XML does not allow at all are refused rather than written into a
// document no reader would accept; the message says where the value stands, so that the
// user can mend it in the editor.
void PridatXmlText(std::string_view ansi, std::string& cil, bool uvozovky, const std::function<QString()>& misto) {
  for (const char znak : ansi) {
    const auto b = static_cast<unsigned char>(znak);
    if (b < 0x80) {
      if (b < 0x20 && b != '\t' && b != '\n' && b != '\r')
        Chyba(QStringLiteral("Hodnota obsahuje řídicí znak %1, který XML nepřipouští (%2).").arg(b).arg(misto()));
      if (b == '&') cil += "&amp;";
      else if (b == '<') cil += "&lt;";
      else if (b == '>') cil += "&gt;";
      else if (b == '"' && uvozovky) cil += "&quot;";
      else cil += znak;
      continue;
    }
    const char16_t u = orvek3::AnsiCharToUnicode(b);
    if (u < 0x800) {
      cil += static_cast<char>(0xC0 | (u >> 6));
      cil += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      cil += static_cast<char>(0xE0 | (u >> 12));
      cil += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      cil += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}

void ZapsatXML(TRecordSet& ds, const QString& soubor, const QString& koren, QWidget* okno) {
  TPrubeh prubeh(okno, QStringLiteral("Export"), PocetZaznamu(ds));
  const std::string nazevKorene = NazevElementu(koren);
  struct Pole {
    const TRecField* pole;
    std::string zacatek, konec, prazdny;  // "    <X>", "</X>\r\n", "    <X/>\r\n"
  };
  std::vector<Pole> pole;
  for (int i = 0; i < ds.FieldCount(); ++i) {
    const TRecField& f = ds.Field(i);
    if (!PatriDoXML(f.DataType())) continue;
    const std::string n = NazevElementu(FromAnsi(f.FieldName()));
    pole.push_back({&f, "    <" + n + ">", "</" + n + ">\r\n", "    <" + n + "/>\r\n"});
  }

  TVystup vystup(soubor);
  std::string& data = vystup.Data();
  TProchazeni prochazeni(ds);
  data += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  TCteniPoli cteni;
  std::string hodnota;
  int hotovo = 0;
  ds.First();
  if (ds.Eof()) {
    data += "<" + nazevKorene + "/>\r\n";
  } else {
    data += "<" + nazevKorene + ">\r\n";
    while (!ds.Eof()) {
      if (pole.empty()) {
        data += "  <zaznam/>\r\n";
      } else {
        data += "  <zaznam>\r\n";
        for (const Pole& p : pole) {
          hodnota.clear();
          cteni.Pridat(*p.pole, hodnota);
          if (hodnota.empty()) {
            data += p.prazdny;
            continue;
          }
          data += p.zacatek;
          PridatXmlText(hodnota, data, false, [&] { return MistoHodnoty(ds, *p.pole, hotovo + 1); });
          data += p.konec;
        }
        data += "  </zaznam>\r\n";
      }
      vystup.Dopsat();
      ds.Next();
      prubeh.Krok(++hotovo);
    }
    data += "</" + nazevKorene + ">\r\n";
  }
  vystup.Dokoncit();
}

void ZapsatHTML(TRecordSet& ds, const QString& soubor, const QStringList& popisky, QWidget* okno) {
  TPrubeh prubeh(okno, QStringLiteral("Export"), PocetZaznamu(ds));
  TVystup vystup(soubor);
  std::string& data = vystup.Data();
  TProchazeni prochazeni(ds);
  data +=
      "<!DOCTYPE html>\r\n"
      "<html lang=\"cs\">\r\n"
      "<head>\r\n"
      "<meta charset=\"utf-8\">\r\n"
      "<title>Kalmetra</title>\r\n"
      "<style>table{border-collapse:collapse}th,td{border:1px solid #999;padding:2px 6px;"
      "text-align:left;vertical-align:top}</style>\r\n"
      "</head>\r\n"
      "<body>\r\n"
      "<table>\r\n"
      "<thead>\r\n"
      "<tr>";
  const int pocetPoli = ds.FieldCount();
  for (int i = 0; i < pocetPoli; ++i) {
    const QString popisek = i < popisky.size() && !popisky[i].isEmpty() ? popisky[i] : FromAnsi(ds.Field(i).FieldName());
    data += "<th>";
    PridatXmlText(ToAnsi(popisek), data, true, [&] { return QStringLiteral("název sloupce %1").arg(popisek); });
    data += "</th>";
  }
  data += "</tr>\r\n</thead>\r\n<tbody>\r\n";
  TCteniPoli cteni;
  std::string hodnota;
  int hotovo = 0;
  ds.First();
  while (!ds.Eof()) {
    data += "<tr>";
    for (int i = 0; i < pocetPoli; ++i) {
      hodnota.clear();
      cteni.Pridat(ds.Field(i), hodnota);
      data += "<td>";
      PridatXmlText(hodnota, data, true, [&] { return MistoHodnoty(ds, ds.Field(i), hotovo + 1); });
      data += "</td>";
    }
    data += "</tr>\r\n";
    vystup.Dopsat();
    ds.Next();
    prubeh.Krok(++hotovo);
  }
  data += "</tbody>\r\n</table>\r\n</body>\r\n</html>\r\n";
  vystup.Dokoncit();
}

}  // namespace

QString SeznamTypuExportu() {
  QStringList seznam;
  for (int typ = kExportXML; typ <= kExportHTML; ++typ) {
    static const char16_t* const nazvy[] = {u"Databáze XML", u"Database CSV (oddelovač středník)", u"Textový soubor",
                                            u"Dokument HTML (tabulka)"};
    const QString pripona = PriponaTypu(typ);
    seznam << QString::fromUtf16(nazvy[typ - 1]) + QStringLiteral(" (*") + pripona + QStringLiteral(")")
           << QStringLiteral("*") + pripona;
  }
  return seznam.join(QLatin1Char('|'));
}

QString PriponaTypu(int typ) {
  switch (typ) {
    case kExportXML:
      return QStringLiteral(".xml");
    case kExportCSV:
      return QStringLiteral(".csv");
    case kExportText:
      return QStringLiteral(".txt");
    case kExportHTML:
      return QStringLiteral(".html");
    default:
      return {};
  }
}

QString UpravitPriponu(const QString& cesta, int typ) {
  const QString pripona = PriponaTypu(typ);
  if (pripona.isEmpty()) return cesta;
  const qsizetype oddelovac = std::max(cesta.lastIndexOf(QLatin1Char('/')), cesta.lastIndexOf(QDir::separator()));
  const qsizetype tecka = cesta.lastIndexOf(QLatin1Char('.'));
  if (tecka <= oddelovac) return cesta + pripona;
  if (cesta.mid(tecka).toLower() == pripona) return cesta;
  return cesta.left(tecka) + pripona;
}

void ExportovatHTML(TRecordSet& ds, const QString& soubor, const QStringList& popisky, QWidget* okno) {
  ZapsatHTML(ds, soubor, popisky, okno);
}

void Akce_ExportDat(THlavni& hlavni) {
  orvek3::TOrvek3Query& ds = hlavni.DataSet1;
  if (!ds.Active() || ds.RecordCount() == 0) return;
  FileDialogRequest& dialog = hlavni.SaveDialog1;
  dialog.title = QStringLiteral("Uložit seznam jako ...");
  dialog.types = ParseFileTypes(SeznamTypuExportu());
  dialog.fileName = QStringLiteral("Kalmetra");
  dialog.folder.clear();
  const std::optional<FileDialogAnswer> volba = Seam().ChooseFileToSave(dialog);
  if (!volba) return;
  const int typ = std::clamp(volba->typeIndex, kExportXML, kExportHTML);
  dialog.typeIndex = typ;
  const QString cesta = UpravitPriponu(volba->path, typ);
  if (QFileInfo::exists(cesta) &&
      Dotaz(QStringLiteral("Varování"),
            QStringLiteral("Soubor s tímto jménem na určené cestě již existuje. Chcete ho opravdu přepsat?"),
            2) == kAnswerNo)
    return;
  switch (typ) {
    case kExportXML:
      ExportovatXML(ds, cesta, QStringLiteral("data"), &hlavni);
      break;
    case kExportCSV:
      ExportovatText(ds, true, ';', cesta, &hlavni);
      break;
    case kExportText:
      ExportovatText(ds, false, '\t', cesta, &hlavni);
      break;
    case kExportHTML: {
      QStringList popisky;
      for (int i = 0; i < ds.FieldCount(); ++i) popisky << hlavni.PopisekPole(FromAnsi(ds.Field(i).FieldName()));
      ExportovatHTML(ds, cesta, popisky, &hlavni);
      break;
    }
    default:
      break;
  }
}

bool ExportovatXML(TRecordSet& ds, const QString& soubor, const QString& koren, QWidget* okno) {
  try {
    ZapsatXML(ds, soubor, koren, okno);
    return true;
  } catch (const std::exception& e) {
    // The record position, the views and the cursor are back before the message.
    Informace(QStringLiteral("XML dokument se nepodařilo vytvořit: \r\n") + FromAnsi(e.what()));
  }
  return false;
}

void ExportovatText(TRecordSet& ds, bool hlavicka, char oddelovac, const QString& soubor, QWidget* okno) {
  TPrubeh prubeh(okno, QStringLiteral("Export"), PocetZaznamu(ds));
  TVystup vystup(soubor);
  std::string& data = vystup.Data();
  TProchazeni prochazeni(ds);
  const int pocetPoli = ds.FieldCount();
  if (hlavicka) {
    for (int i = 0; i < pocetPoli; ++i) {
      if (i > 0) data += oddelovac;
      data += ds.Field(i).FieldName();
    }
    data += "\r\n";
  }
  TCteniPoli cteni;
  int hotovo = 0;
  ds.First();
  while (!ds.Eof()) {
    for (int i = 0; i < pocetPoli; ++i) {
      if (i > 0) data += oddelovac;
      cteni.Pridat(ds.Field(i), data);
    }
    data += "\r\n";
    vystup.Dopsat();
    ds.Next();
    prubeh.Krok(++hotovo);
  }
  vystup.Dokoncit();
}

}  // namespace kalmetra
