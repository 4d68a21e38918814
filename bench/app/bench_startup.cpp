// Start-up to the shown main window against opening and reading the same list with a
// plain SQLite loop, on catalogues of 10,000 and 100,000 rows.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include <filesystem>
#include <string>
#include <vector>

#include "../bench_catalogue.h"
#include "Aplikace.h"
#include "bench_main.h"
#include "Hlavni_f.h"

namespace {

// A program folder with the SQLite library and a catalogue of n rows.
QString ProgramFolder(int n) {
  const QString dir = QDir::tempPath() + QStringLiteral("/kalmetra-start-%1-%2/").arg(n).arg(getpid());
  if (QFile::exists(dir + QStringLiteral("Kalmetra.sqlite"))) return dir;
  QDir().mkpath(dir);
  QFile::copy(QString::fromStdString(kalmetra_bench::DriverPath()), dir + QStringLiteral(KALMETRA_SQLITE_LIBNAME));
  QFile::copy(QString::fromStdString(kalmetra_bench::CatalogueFile(n)), dir + QStringLiteral("Kalmetra.sqlite"));
  return dir;
}

void BM_StartUpToShownWindow(benchmark::State& state) {
  const QString dir = ProgramFolder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    kalmetra::THlavni hlavni(dir);
    hlavni.show();
    QCoreApplication::processEvents();
    if (hlavni.DataSet1.RecordCount() != state.range(0)) state.SkipWithError("rows missing");
  }
}

void BM_PlainLoop_OpenAndRead(benchmark::State& state) {
  const QString dir = ProgramFolder(static_cast<int>(state.range(0)));
  const std::string file = (dir + QStringLiteral("Kalmetra.sqlite")).toStdString();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_create_collation(db, "NATIVE", SQLITE_UTF8, nullptr, kalmetra_bench::PlainIcuCollation);
    const auto rows = kalmetra_bench::StepAndCopy(db, "SELECT * FROM Tabulka ORDER BY Id COLLATE NATIVE");
    sqlite3_close(db);
    benchmark::DoNotOptimize(rows.data());
  }
}

BENCHMARK(BM_StartUpToShownWindow)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_OpenAndRead)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return kalmetra_bench::SpustitBenchmarky(argc, argv, [] {
    for (int n : {10000, 100000}) QDir(QDir::tempPath() + QStringLiteral("/kalmetra-start-%1-%2").arg(n).arg(getpid())).removeRecursively();
  });
}
