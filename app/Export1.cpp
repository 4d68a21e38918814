#include "Export1.h"

#include <QSaveFile>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

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
  explicit TVystup(const QString& cesta) : soubor_(cesta), cesta_(cesta) {
    if (!soubor_.open(QIODevice::WriteOnly))
      Chyba(QStringLiteral("Soubor \"%1\" nelze vytvořit.\r\n%2").arg(cesta_, soubor_.errorString()));
    data_.reserve(kDavka + 4096);
  }
  std::string& Data() { return data_; }
  void Dopsat() {
    if (data_.size() >= kDavka) Zapsat();
  }
  void Dokoncit() {
    Zapsat();
    if (!soubor_.commit())
      Chyba(QStringLiteral("Soubor \"%1\" nelze uložit.\r\n%2").arg(cesta_, soubor_.errorString()));
  }

 private:
  void Zapsat() {
    if (data_.empty()) return;
    if (soubor_.write(data_.data(), static_cast<qint64>(data_.size())) != static_cast<qint64>(data_.size()))
      Chyba(QStringLiteral("Do souboru \"%1\" nelze zapisovat.\r\n%2").arg(cesta_, soubor_.errorString()));
    data_.clear();
  }

  QSaveFile soubor_;
  QString cesta_;
  std::string data_;
};

// Remembers the current record and suspends the views for the walk; puts both back at
// the end, also when an error ends the walk.
class TProchazeni {
 public:
  explicit TProchazeni(TRecordSet& ds) : ds_(ds) {
    zalozka_ = ds_.Active() && !ds_.IsEmpty() ? ds_.GetBookmark() : 0;
    ds_.DisableControls();
  }
  ~TProchazeni() {
    try {
      if (zalozka_ != 0 && ds_.Active()) ds_.GotoBookmark(zalozka_);
    } catch (...) {
      // The record may be gone; the walk's own error, if any, is the one to report.
    }
    ds_.EnableControls();
  }
  TProchazeni(const TProchazeni&) = delete;
  TProchazeni& operator=(const TProchazeni&) = delete;

 private:
  TRecordSet& ds_;
  orvek3::TBookmark zalozka_ = 0;
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

}  // namespace

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
