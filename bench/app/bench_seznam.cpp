// Sort, filter, cancel filter and the search walk on a 100,000-film catalogue, each from
// the command to the reloaded grid, against plain SQLite loops doing the same work.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>

#include <string>
#include <vector>

#include "../bench_catalogue.h"
#include "Aplikace.h"
#include "bench_main.h"
#include "FiltrZaznamu_f.h"
#include "Hledat_f.h"
#include "Hlavni_f.h"
#include "SpusteniDialogu.h"
#include "TrideniRazeni_f.h"

namespace {

constexpr int kFilmu = 100000;

QString ProgramFolder() {
  const QString dir = QDir::tempPath() + QStringLiteral("/kalmetra-seznam-%1/").arg(getpid());
  if (QFile::exists(dir + QStringLiteral("Kalmetra.sqlite"))) return dir;
  QDir().mkpath(dir);
  QFile::copy(QString::fromStdString(kalmetra_bench::DriverPath()), dir + QStringLiteral(KALMETRA_SQLITE_LIBNAME));
  QFile::copy(QString::fromStdString(kalmetra_bench::CatalogueFile(kFilmu)), dir + QStringLiteral("Kalmetra.sqlite"));
  return dir;
}

// The main window shown over the catalogue, made once.
kalmetra::THlavni& Hlavni() {
  static kalmetra::THlavni* hlavni = [] {
    auto* h = new kalmetra::THlavni(ProgramFolder());
    h->show();
    QCoreApplication::processEvents();
    return h;
  }();
  return *hlavni;
}

// The dialogs are answered at once, as a user would: a choice and the confirming button.
void Odpovidat(const QString& pole, const QString& text, const char* tlacitko) {
  kalmetra::NastavitSpoustecDialogu([=](QDialog& d) {
    for (auto* box : d.findChildren<QComboBox*>()) {
      if (box->isEditable()) {
        box->setEditText(QString());  // a change, so that the dialog takes the text
        box->setEditText(text);
      } else {
        box->setCurrentIndex(box->findText(pole));
        emit box->activated(box->currentIndex());
      }
    }
    d.findChild<QPushButton*>(QLatin1String(tlacitko))->click();
    return d.result();
  });
}

void Obnovit(benchmark::State& state, kalmetra::THlavni& h) {
  QCoreApplication::processEvents();
  if (h.DataSet1.RecordCount() <= 0) state.SkipWithError("empty list");
}

void BM_Trideni_PodleTitulu(benchmark::State& state) {
  auto& h = Hlavni();
  Odpovidat(QStringLiteral("Titul"), {}, "Tl_Ok");
  for (auto _ : state) {
    kalmetra::Trideni(h);
    Obnovit(state, h);
    state.PauseTiming();
    h.PoleTrideni = QStringLiteral("Id");  // so that the next command reloads again
    state.ResumeTiming();
  }
  kalmetra::NastavitSpoustecDialogu({});
  h.ZmenitSeznam(QStringLiteral("Titul"), {}, QStringLiteral("Id"), {}, {});
}

void BM_Filtr_Titul(benchmark::State& state) {
  auto& h = Hlavni();
  Odpovidat(QStringLiteral("Titul"), QStringLiteral("pero"), "Tl_Filtr");
  for (auto _ : state) {
    kalmetra::Filtr(h);
    Obnovit(state, h);
    if (h.VyrazFiltru.isEmpty() || h.DataSet1.RecordCount() >= kFilmu) state.SkipWithError("not filtered");
    state.PauseTiming();
    h.VyrazFiltru.clear();
    state.ResumeTiming();
  }
  kalmetra::NastavitSpoustecDialogu({});
}

// The reload alone, without the dialog and the history.
void BM_Filtr_JenSeznam(benchmark::State& state) {
  auto& h = Hlavni();
  for (auto _ : state) {
    h.ZmenitSeznam(QStringLiteral("Titul"), QStringLiteral("pero"), QStringLiteral("Id"), {}, {});
    Obnovit(state, h);
  }
}

void BM_ZrusitFiltr(benchmark::State& state) {
  auto& h = Hlavni();
  for (auto _ : state) {
    kalmetra::ZrusitFiltr(h);
    Obnovit(state, h);
  }
}

void BM_NajitDalsi_Nenalezeno(benchmark::State& state) {
  auto& h = Hlavni();
  h.ZmenitSeznam(QStringLiteral("Titul"), {}, QStringLiteral("Id"), {}, {});
  for (auto _ : state) {
    state.PauseTiming();
    h.DataSet1.First();
    state.ResumeTiming();
    if (kalmetra::NajitDalsi(h, QStringLiteral("Titul"), QStringLiteral("Neexistující film"), false))
      state.SkipWithError("found");
  }
}

// The program's LIKE over code-page text, for the plain loop.
void AnsiLikeFunction(sqlite3_context* context, int, sqlite3_value** values) {
  const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
  const int patternBytes = sqlite3_value_bytes(values[0]);
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[1]));
  const int textBytes = sqlite3_value_bytes(values[1]);
  if (pattern == nullptr || text == nullptr) return sqlite3_result_null(context);
  sqlite3_result_int(context, orvek3::AnsiLike({pattern, static_cast<size_t>(patternBytes)},
                                               {text, static_cast<size_t>(textBytes)}, true));
}

// The plain loop: prepare, step and copy every column of every row.
void PlainList(benchmark::State& state, const char* sql, bool ansiLike = false) {
  const std::string file = (ProgramFolder() + QStringLiteral("Kalmetra.sqlite")).toStdString();
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_create_collation(db, "NATIVE", SQLITE_UTF8, nullptr, kalmetra_bench::PlainIcuCollation);
  if (ansiLike) sqlite3_create_function(db, "like", 2, SQLITE_UTF8, nullptr, AnsiLikeFunction, nullptr, nullptr);
  for (auto _ : state) {
    const auto rows = kalmetra_bench::StepAndCopy(db, sql);
    if (rows.empty()) state.SkipWithError("no rows");
    benchmark::DoNotOptimize(rows.data());
  }
  sqlite3_close(db);
}

void BM_PlainLoop_Trideni(benchmark::State& state) {
  PlainList(state, "SELECT * FROM Tabulka ORDER BY Titul COLLATE NATIVE");
}
void BM_PlainLoop_Filtr(benchmark::State& state) {
  PlainList(state, "SELECT * FROM Tabulka  WHERE Titul LIKE '%pero%' ORDER BY Id COLLATE NATIVE");
}
// The same statement with the program's LIKE, which the connection installs.
void BM_PlainLoop_Filtr_AnsiLike(benchmark::State& state) {
  PlainList(state, "SELECT * FROM Tabulka  WHERE Titul LIKE '%pero%' ORDER BY Id COLLATE NATIVE", true);
}
void BM_PlainLoop_ZrusitFiltr(benchmark::State& state) {
  PlainList(state, "SELECT * FROM Tabulka ORDER BY Id COLLATE NATIVE");
}

// The plain search: step the same rows, lower-case the title and look for the text.
void BM_PlainLoop_Hledani(benchmark::State& state) {
  const std::string file = (ProgramFolder() + QStringLiteral("Kalmetra.sqlite")).toStdString();
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  const std::string hledany = orvek3::AnsiLowerCase(orvek3::Utf8ToAnsi("Neexistující film"));
  for (auto _ : state) {
    orvek3::platform::ClearUpperVectorState();
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT Titul FROM Tabulka ORDER BY Id", -1, &stmt, nullptr);
    bool found = false;
    while (!found && sqlite3_step(stmt) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      const std::string hodnota = orvek3::AnsiLowerCase(text != nullptr ? reinterpret_cast<const char*>(text) : "");
      found = hodnota.find(hledany) != std::string::npos;
    }
    sqlite3_finalize(stmt);
    if (found) state.SkipWithError("found");
  }
  sqlite3_close(db);
}

BENCHMARK(BM_Trideni_PodleTitulu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_Trideni)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Filtr_Titul)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Filtr_JenSeznam)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_Filtr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_Filtr_AnsiLike)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZrusitFiltr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_ZrusitFiltr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NajitDalsi_Nenalezeno)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainLoop_Hledani)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return kalmetra_bench::SpustitBenchmarky(argc, argv, [] {
    QDir(QDir::tempPath() + QStringLiteral("/kalmetra-seznam-%1").arg(getpid())).removeRecursively();
  });
}
