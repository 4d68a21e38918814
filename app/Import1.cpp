#include "Import1.h"

#include <QFile>

#include <stdexcept>
#include <vector>

#include "Hlavni_f.h"
#include "Interakce.h"
#include "Katalog.h"
#include "Prubeh.h"
#include "TextCodec.h"

namespace kalmetra {

namespace {

using orvek3::TDataSetState;

[[noreturn]] void Chyba(const QString& text) { throw std::runtime_error(ToAnsi(text)); }

// Lines end with CR LF, LF or CR; a break at the very end adds no empty line.
std::vector<std::string_view> Radky(const QByteArray& obsah) {
  std::vector<std::string_view> radky;
  const char* data = obsah.constData();
  const size_t delka = static_cast<size_t>(obsah.size());
  size_t i = 0;
  while (i < delka) {
    size_t j = i;
    while (j < delka && data[j] != '\r' && data[j] != '\n') ++j;
    radky.emplace_back(data + i, j - i);
    if (j < delka && data[j] == '\r' && j + 1 < delka && data[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return radky;
}

// The transaction around the import. Whatever ends the import, the rows stored so far
// are committed; if that fails nothing of the import is kept and the list is read anew,
// so that the grid never shows rows the database does not hold.
class TTransakce {
 public:
  explicit TTransakce(THlavni& hlavni) : hlavni_(hlavni), db_(*hlavni.DataSet1.Database()) {
    db_.CheckConnected(false);
    // A transaction the caller holds stays the caller's.
    vlastni_ = db_.Api().get_autocommit(db_.Handle()) != 0;
    if (vlastni_) db_.ExecSQL("BEGIN");
  }
  ~TTransakce() {
    // Reached only when finishing itself failed half-way; never leave a transaction open.
    if (vlastni_ && db_.Connected() && db_.Api().get_autocommit(db_.Handle()) == 0) {
      try {
        db_.ExecSQL("COMMIT");
      } catch (...) {
      }
    }
  }
  TTransakce(const TTransakce&) = delete;
  TTransakce& operator=(const TTransakce&) = delete;

  void Dokoncit() {
    if (!vlastni_) return;
    vlastni_ = false;
    if (db_.Api().get_autocommit(db_.Handle()) != 0) {
      // The library itself rolled the transaction back (a full disk, an I/O error).
      hlavni_.OtevritSeznam();
      return;
    }
    try {
      db_.ExecSQL("COMMIT");
    } catch (...) {
      try {
        db_.ExecSQL("ROLLBACK");
      } catch (...) {
        // Nothing more can be done; the list below shows what the database holds.
      }
      hlavni_.OtevritSeznam();
      throw;
    }
  }

 private:
  THlavni& hlavni_;
  orvek3::TOrvek3Database& db_;
  bool vlastni_ = false;
};

class TPozastaveni {
 public:
  explicit TPozastaveni(orvek3::TRecordSet& ds) : ds_(ds) { ds_.DisableControls(); }
  ~TPozastaveni() { ds_.EnableControls(); }
  TPozastaveni(const TPozastaveni&) = delete;
  TPozastaveni& operator=(const TPozastaveni&) = delete;

 private:
  orvek3::TRecordSet& ds_;
};

}  // namespace

std::array<std::string, 10> RozdelitRadek(std::string_view radek) {
  std::array<std::string, 10> hodnoty;
  for (size_t i = 0; i < 9; ++i) {
    const size_t strednik = radek.find(';');
    if (strednik == std::string_view::npos) continue;
    hodnoty[i].assign(radek.substr(0, strednik));
    radek.remove_prefix(strednik + 1);
  }
  hodnoty[9].assign(radek);
  return hodnoty;
}

void ImportovatCSV(THlavni& hlavni, const QString& soubor) {
  orvek3::TOrvek3Query& ds = hlavni.DataSet1;
  TPozastaveni pozastaveni(ds);
  QByteArray obsah;
  {
    QFile f(soubor);
    if (!f.open(QIODevice::ReadOnly))
      Chyba(QStringLiteral("Soubor \"%1\" nelze otevřít.\r\n%2").arg(soubor, f.errorString()));
    obsah = f.readAll();
    if (f.error() != QFileDevice::NoError)
      Chyba(QStringLiteral("Soubor \"%1\" nelze přečíst.\r\n%2").arg(soubor, f.errorString()));
  }
  const std::vector<std::string_view> radky = Radky(obsah);
  if (radky.size() < 2) return;

  TPrubeh prubeh(&hlavni, QStringLiteral("Import"), static_cast<int>(radky.size()) - 1);
  std::array<orvek3::TRecField*, kPocetPoli> pole{};
  for (size_t i = 0; i < pole.size(); ++i) pole[i] = &ds.FieldByName(kPoleKatalogu[i].nazev);
  orvek3::TRecField& id = *pole[0];

  TTransakce transakce(hlavni);
  try {
    for (size_t r = 1; r < radky.size(); ++r) {
      const std::array<std::string, 10> hodnoty = RozdelitRadek(radky[r]);
      ds.Append();
      for (size_t i = 0; i < pole.size(); ++i) pole[i]->SetAsString(hodnoty[i]);
      ds.Post();
      if (id.IsNull()) {
        // The database numbered the row; the cached row shows that number too.
        const int64_t cislo = ds.Database()->LastInsertRowId();
        ds.Edit();
        id.SetAsLargeInt(cislo);
        ds.Post();
      }
      prubeh.Krok(static_cast<int>(r));
    }
  } catch (...) {
    const TDataSetState stav = ds.State();
    try {
      if (stav == TDataSetState::dsInsert || stav == TDataSetState::dsEdit) ds.Cancel();
    } catch (...) {
      // The row's own error is the one to report.
    }
    transakce.Dokoncit();
    throw;
  }
  transakce.Dokoncit();
}

void Akce_ImportDat(THlavni& hlavni) {
  FileDialogRequest dialog;
  dialog.title = QStringLiteral("Otevřít soubor csv");
  dialog.types = ParseFileTypes(QStringLiteral("Databáze csv (*.csv)|*.csv"));
  const std::optional<FileDialogAnswer> volba = Seam().ChooseFileToOpen(dialog);
  if (!volba) return;
  ImportovatCSV(hlavni, volba->path);
}

}  // namespace kalmetra
