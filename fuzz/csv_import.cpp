// The CSV import over fuzzed file contents: the lines, the values of each line and their
// storing in a catalogue, once in a UTF-8 and once in a UTF-16 catalogue (whose texts
// are converted on the way).
#include <ImportRadku.h>
#include <Katalog.h>
#include <TextCodec.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>

#include "FuzzSupport.h"

namespace {

std::string TableDefinition() { return kalmetra::ToAnsi(kalmetra::DefiniceTabulky()); }

// A catalogue with the program's table and the record set of the main window on it.
struct Catalogue {
  orvek3::TOrvek3Database db;
  orvek3::TOrvek3Query ds;

  // encoding: that of a new database; the table is made when the database is new.
  Catalogue(const std::string& file, const char* encoding) {
    db.SetName("Orvek3Database1");
    db.SetDriver(kalmetra::fuzz::DriverPath());
    db.SetDatabaseFile(file);
    db.SetMustExists(false);
    if (file != ":memory:") {
      // The connection settles whether texts are converted when it opens, so the
      // encoding is set by an earlier one.
      db.Connect();
      db.ExecSQL(std::string("PRAGMA encoding='") + encoding + "'");
      db.ExecSQL(TableDefinition());
      db.Disconnect();
      db.Connect();
    } else {
      db.Connect();
      db.ExecSQL(TableDefinition());
    }
    // The catalogue lives only as long as the process; nothing needs to reach the disk.
    db.ExecSQL("PRAGMA synchronous=OFF");
    ds.SetName("DataSet1");
    ds.SetDatabase(&db);
    ds.SetSQL(std::string("SELECT * FROM ") + kalmetra::kNazevTabulky);
    ds.Open();
  }
};

std::unique_ptr<Catalogue> utf8, utf16;

int RowCount(Catalogue& c) {
  const orvek3::TSqliteDriver& api = c.db.Api();
  sqlite3_stmt* statement = nullptr;
  const std::string sql = std::string("SELECT count(*) FROM ") + kalmetra::kNazevTabulky;
  if (api.prepare(c.db.Handle(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) std::abort();
  if (api.step(statement) != SQLITE_ROW) std::abort();
  const int count = static_cast<int>(api.column_int64(statement, 0));
  api.finalize(statement);
  return count;
}

void Import(Catalogue& c, const std::vector<std::string_view>& radky) {
  std::exception_ptr chyba;
  int stored = 0;
  const kalmetra::UlozeneRadky result = kalmetra::UlozitRadky(c.ds, radky, [&](int) { ++stored; }, chyba);
  const std::optional<int64_t> last = result.posledni;
  if (result.pocet != (last.has_value() ? stored : 0)) std::abort();
  // Every line after the first is stored until the first failing one, and what the
  // table holds is what was reported stored: those rows, or none when the library rolled
  // the transaction back itself (the numbers ran out).
  if (!chyba && static_cast<size_t>(stored) != (radky.size() > 1 ? radky.size() - 1 : 0)) std::abort();
  if (last.has_value() && stored == 0) std::abort();
  if (c.db.Api().get_autocommit(c.db.Handle()) == 0) std::abort();  // no transaction left open
  if (RowCount(c) != (last.has_value() ? stored : 0)) std::abort();
  c.db.ExecSQL(std::string("DELETE FROM ") + kalmetra::kNazevTabulky);
  c.db.ExecSQL("DELETE FROM sqlite_sequence");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kalmetra::fuzz::StartQt();
  utf8 = std::make_unique<Catalogue>(":memory:", "UTF-8");
  const std::string file = (kalmetra::fuzz::Folder() + QStringLiteral("Kalmetra.sqlite")).toStdString();
  utf16 = std::make_unique<Catalogue>(file, "UTF-16");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view obsah(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string_view> radky = kalmetra::RadkyImportu(obsah);
  for (std::string_view radek : radky) {
    if (radek.find_first_of("\r\n") != std::string_view::npos) std::abort();
    (void)kalmetra::RozdelitRadek(radek);
  }
  Import(*utf8, radky);
  Import(*utf16, radky);
  return 0;
}
