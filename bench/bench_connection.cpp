// Reading a whole catalogue table through the connection, side by side with the same loop
// on the SQLite C interface.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sql3_defs.h"

namespace {

constexpr int kRows = 100000;
constexpr const char* kSelect = "SELECT * FROM Tabulka";

std::string DriverPath() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / KALMETRA_SQLITE_LIBNAME).string();
}

// A catalogue of generated Czech films in a temporary folder, made once per run.
class Catalogue {
 public:
  Catalogue() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalmetra-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    file_ = (folder_ / "Kalmetra.sqlite").string();
    Fill();
  }
  ~Catalogue() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  const std::string& File() const { return file_; }

 private:
  void Fill() {
    using orvek3::Utf8ToAnsi;
    const std::vector<std::string> first = {"Ostře sledované", "Obecná", "Tmavomodrý", "Vesničko", "Pelíšky",
                                            "Kolja", "Limonádový", "Spalovač", "Marketa", "Hoří,",
                                            "Světáci", "Adéla", "Slavnosti", "Černí", "Postřižiny"};
    const std::vector<std::string> second = {"vlaky", "škola", "svět", "má středisková", "z Řevnic", "Joe",
                                             "mrtvol", "Lazarová", "má panenko", "ještě nevečeřela",
                                             "sněženek", "baroni", "na Šumavě", "v Čechách", "za humny"};
    const std::vector<std::string> genres = {"Komedie", "Drama", "Válečný", "Krimi", "Pohádka", "Dokumentární",
                                             "Historický", "Muzikál", "Romantický", "Sci-fi"};
    const std::vector<std::string> countries = {"Československo", "Česko", "Česko / Slovensko", "Francie",
                                                "Itálie", "Polsko", "Velká Británie", "USA"};
    const std::vector<std::string> directors = {"Jiří Menzel", "Jan Svěrák", "Miloš Forman", "František Vláčil",
                                                "Věra Chytilová", "Oldřich Lipský", "Juraj Herz",
                                                "Jan Hřebejk", "Karel Zeman", "Václav Vorlíček"};
    const std::vector<std::string> actors = {"Rudolf Hrušínský", "Vlasta Burian", "Libuše Šafránková",
                                             "Zdeněk Svěrák", "Jiřina Bohdalová", "Miroslav Donutil",
                                             "Bolek Polívka", "Iva Janžurová", "Josef Abrhám",
                                             "Vladimír Menšík", "Jana Brejchová", "Ladislav Smoljak"};

    orvek3::TOrvek3Database db;
    db.SetDriver(DriverPath());
    db.SetDatabaseFile(file_);
    db.SetMustExists(false);
    db.Connect();
    db.ExecSQL(
        "CREATE TABLE Tabulka (Id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, Titul VARCHAR(80), "
        "Rok VARCHAR(4), Stopaz VARCHAR(4), Zanr VARCHAR(30), Puvod VARCHAR(30), Rezie VARCHAR(30), "
        "Obsazeni VARCHAR(255), Koment VARCHAR(255), Umisteni VARCHAR(255))");
    orvek3::TParams p;
    for (const char* name : {"Id", "Titul", "Rok", "Stopaz", "Zanr", "Puvod", "Rezie", "Obsazeni", "Koment",
                             "Umisteni"})
      p.Add(name);
    db.ExecSQL("BEGIN");
    unsigned seed = 12345;
    auto next = [&seed](size_t n) {
      seed = seed * 1103515245u + 12345u;
      return static_cast<size_t>((seed >> 8) % n);
    };
    for (int i = 1; i <= kRows; ++i) {
      const std::string title = first[next(first.size())] + " " + second[next(second.size())] +
                                (i % 7 == 0 ? " " + std::to_string(i % 5 + 2) : "");
      std::string cast;
      for (int a = 0; a < 4; ++a) cast += (a ? ", " : "") + actors[next(actors.size())];
      p[0].SetAsLargeInt(i);
      p[1].SetAsString(Utf8ToAnsi(title));
      p[2].SetAsString(std::to_string(1930 + next(95)));
      p[3].SetAsString(std::to_string(75 + next(90)));
      p[4].SetAsString(Utf8ToAnsi(genres[next(genres.size())]));
      p[5].SetAsString(Utf8ToAnsi(countries[next(countries.size())]));
      p[6].SetAsString(Utf8ToAnsi(directors[next(directors.size())]));
      p[7].SetAsString(Utf8ToAnsi(cast));
      p[8].SetAsString(Utf8ToAnsi(i % 3 == 0 ? "Zapůjčeno sousedům, vrátit do Vánoc" : "Původní nosič, české titulky"));
      p[9].SetAsString(Utf8ToAnsi("/home/petr/Filmy/" + title + ".mkv"));
      db.ExecSQL(
          "INSERT INTO Tabulka VALUES (:Id, :Titul, :Rok, :Stopaz, :Zanr, :Puvod, :Rezie, :Obsazeni, :Koment, "
          ":Umisteni)",
          &p);
    }
    db.ExecSQL("COMMIT");
  }

  std::filesystem::path folder_;
  std::string file_;
};

const Catalogue& TheCatalogue() {
  static const Catalogue catalogue;
  return catalogue;
}

void BM_SelectAllThroughConnection(benchmark::State& state) {
  orvek3::TOrvek3Database db;
  db.SetDriver(DriverPath());
  db.SetDatabaseFile(TheCatalogue().File());
  db.Connect();
  int64_t rows = 0;
  for (auto _ : state) {
    size_t bytes = 0;
    int columns = 0;
    sqlite3_stmt* stmt = db.PrepareStatement(kSelect, nullptr, columns);
    while (db.LastResult() == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c) {
        const unsigned char* text = db.StmtColumnText(stmt, c);
        if (text != nullptr) bytes += std::strlen(reinterpret_cast<const char*>(text));
      }
      ++rows;
      db.StepStatement(stmt);
    }
    db.FinalizeStatement(stmt);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(rows);
}

void BM_SelectAllPlainSqlite(benchmark::State& state) {
  sqlite3* handle = nullptr;
  if (sqlite3_open(TheCatalogue().File().c_str(), &handle) != SQLITE_OK) {
    state.SkipWithError("open failed");
    return;
  }
  int64_t rows = 0;
  for (auto _ : state) {
    size_t bytes = 0;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(handle, kSelect, -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int c = 0; c < columns; ++c) {
        const unsigned char* text = sqlite3_column_text(stmt, c);
        if (text != nullptr) bytes += std::strlen(reinterpret_cast<const char*>(text));
      }
      ++rows;
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(rows);
  sqlite3_close(handle);
}

BENCHMARK(BM_SelectAllThroughConnection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAllPlainSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
