// The record set against a plain SQLite loop doing the same work in the same run:
// opening the catalogue list and reading it whole, and appending rows one by one.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench_catalogue.h"
#include "sql3_defs.h"

using namespace orvek3;

namespace {

const char* kById = "SELECT * FROM Tabulka ORDER BY Id";
const char* kByTitle = "SELECT * FROM Tabulka ORDER BY Titul COLLATE NATIVE";

void OpenLastFirst(benchmark::State& state, const char* sql) {
  const std::string file = kalmetra_bench::CatalogueFile(static_cast<int>(state.range(0)));
  TOrvek3Database db;
  db.SetDriver(kalmetra_bench::DriverPath());
  db.SetDatabaseFile(file);
  db.Connect();
  size_t bytesPerRow = 0;
  for (auto _ : state) {
    TOrvek3Query q(&db);
    q.SetRequestLive(true);
    q.SetSQL(sql);
    const size_t before = mallinfo2().uordblks;
    q.OpenSQL();
    q.Last();
    q.First();
    const size_t after = mallinfo2().uordblks;
    bytesPerRow = (after - before) / static_cast<size_t>(q.RecordCount());
    benchmark::DoNotOptimize(q.RecordCount());
  }
  state.counters["bytes_per_row"] = static_cast<double>(bytesPerRow);
  state.counters["rows"] = static_cast<double>(state.range(0));
}

void PlainLoop(benchmark::State& state, const char* sql) {
  const std::string file = kalmetra_bench::CatalogueFile(static_cast<int>(state.range(0)));
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_create_collation(db, "NATIVE", SQLITE_UTF8, nullptr, kalmetra_bench::PlainIcuCollation);
  size_t bytesPerRow = 0;
  for (auto _ : state) {
    std::vector<std::vector<std::string>> rows;
    const size_t before = mallinfo2().uordblks;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      std::vector<std::string>& row = rows.emplace_back();
      row.reserve(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        const unsigned char* text = sqlite3_column_text(stmt, c);
        row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "",
                         static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
      }
    }
    sqlite3_finalize(stmt);
    const size_t after = mallinfo2().uordblks;
    bytesPerRow = (after - before) / rows.size();
    benchmark::DoNotOptimize(rows.data());
  }
  sqlite3_close(db);
  state.counters["bytes_per_row"] = static_cast<double>(bytesPerRow);
}

// Only the sort: the titles stepped through in order, nothing copied. SQLite's own
// NOCASE is the yardstick; the Czech order through ICU for every comparison shows what
// the program's tables save.
void SortTitles(benchmark::State& state, const char* collation, int (*compare)(void*, int, const void*, int, const void*)) {
  const std::string file = kalmetra_bench::CatalogueFile(static_cast<int>(state.range(0)));
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  if (compare != nullptr) sqlite3_create_collation(db, "NATIVE", SQLITE_UTF8, nullptr, compare);
  const std::string sql = std::string("SELECT Titul FROM Tabulka ORDER BY Titul COLLATE ") + collation;
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    int rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) ++rows;
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(rows);
  }
  sqlite3_close(db);
}

void BM_SortTitles_SqliteNocase(benchmark::State& s) { SortTitles(s, "NOCASE", nullptr); }
void BM_SortTitles_Czech(benchmark::State& s) { SortTitles(s, "NATIVE", NativeCollateAnsi); }
void BM_SortTitles_CzechIcuEveryComparison(benchmark::State& s) { SortTitles(s, "NATIVE", kalmetra_bench::PlainIcuCollation); }

BENCHMARK(BM_SortTitles_SqliteNocase)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTitles_Czech)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTitles_CzechIcuEveryComparison)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RecordSet_ById(benchmark::State& s) { OpenLastFirst(s, kById); }
void BM_PlainLoop_ById(benchmark::State& s) { PlainLoop(s, kById); }
void BM_RecordSet_ByTitleNative(benchmark::State& s) { OpenLastFirst(s, kByTitle); }
void BM_PlainLoop_ByTitleNative(benchmark::State& s) { PlainLoop(s, kByTitle); }

BENCHMARK(BM_RecordSet_ById)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_ById)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordSet_ByTitleNative)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_ByTitleNative)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Appending rows one by one in autocommit mode. Both sides turn off the disk flush, so
// what is compared is the work per row rather than the disk's latency.
void BM_RecordSet_Append(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string file = kalmetra_bench::EmptyCatalogueFile("append-rs");
    TOrvek3Database db;
    db.SetDriver(kalmetra_bench::DriverPath());
    db.SetDatabaseFile(file);
    db.Connect();
    db.ExecSQL("pragma synchronous=off");
    TOrvek3Query q(&db);
    q.SetRequestLive(true);
    q.SetSQL(kById);
    q.OpenSQL();
    state.ResumeTiming();
    for (int i = 1; i <= n; ++i) {
      q.Append();
      const kalmetra_bench::Film f = kalmetra_bench::MakeFilm(i);
      q.Field(0).SetAsLargeInt(i);
      const auto texts = f.Texts();
      for (int c = 0; c < 9; ++c) q.Field(c + 1).SetAsString(*texts[static_cast<size_t>(c)]);
      q.Post();
    }
    state.PauseTiming();
    if (q.RecordCount() != n) state.SkipWithError("rows missing");
    q.Close();
    db.Disconnect();
    std::filesystem::remove(file);
    state.ResumeTiming();
  }
}

void BM_PlainLoop_Append(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string file = kalmetra_bench::EmptyCatalogueFile("append-plain");
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "pragma synchronous=off", nullptr, nullptr, nullptr);
    state.ResumeTiming();
    const char* sql =
        "INSERT INTO Tabulka (Id,Titul,Rok,Stopaz,Zanr,Puvod,Rezie,Obsazeni,Koment,Umisteni) "
        "VALUES(?,?,?,?,?,?,?,?,?,?)";
    for (int i = 1; i <= n; ++i) {
      const kalmetra_bench::Film f = kalmetra_bench::MakeFilm(i);
      // The same per-row preparation as the record set's generated statement.
      sqlite3_stmt* stmt = nullptr;
      sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
      sqlite3_bind_int64(stmt, 1, i);
      const auto texts = f.Texts();
      for (int c = 0; c < 9; ++c)
        sqlite3_bind_text(stmt, c + 2, texts[static_cast<size_t>(c)]->data(), static_cast<int>(texts[static_cast<size_t>(c)]->size()), SQLITE_TRANSIENT);
      sqlite3_step(stmt);
      sqlite3_finalize(stmt);
    }
    state.PauseTiming();
    sqlite3_close(db);
    std::filesystem::remove(file);
    state.ResumeTiming();
  }
}

BENCHMARK(BM_RecordSet_Append)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainLoop_Append)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
