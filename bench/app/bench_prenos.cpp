// Export and import of a 100,000-film catalogue through the program against plain
// SQLite loops doing the same work in the same run: the export loops step the same
// statement and write the same bytes (checked), the import loop reads and splits the
// same file and inserts the same rows in one transaction.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../bench_catalogue.h"
#include "Aplikace.h"
#include "bench_main.h"
#include "Export1.h"
#include "Hlavni_f.h"
#include "Import1.h"

namespace {

constexpr int kRadku = 100000;
const char* kSeznam = "SELECT * FROM Tabulka ORDER BY Id COLLATE NATIVE";

QString Slozka(const char* nazev) {
  return QDir::tempPath() + QStringLiteral("/kalmetra-prenos-%1-%2/").arg(QLatin1String(nazev)).arg(getpid());
}

// A program folder with the SQLite library and, when n > 0, a catalogue of n films.
QString ProgramovaSlozka(const char* nazev, int n) {
  const QString dir = Slozka(nazev);
  QDir().mkpath(dir);
  if (!QFile::exists(dir + QStringLiteral(KALMETRA_SQLITE_LIBNAME)))
    QFile::copy(QString::fromStdString(kalmetra_bench::DriverPath()), dir + QStringLiteral(KALMETRA_SQLITE_LIBNAME));
  if (n > 0 && !QFile::exists(dir + QStringLiteral("Kalmetra.sqlite")))
    QFile::copy(QString::fromStdString(kalmetra_bench::CatalogueFile(n)), dir + QStringLiteral("Kalmetra.sqlite"));
  return dir;
}

std::string Soubor(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string Precist(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// ---------------------------------------------------------------- the plain loops

enum class Format { CSV, TXT, XML, HTML };

void AppendUtf8Escaped(const unsigned char* t, int n, std::string& out, bool quote) {
  for (int i = 0; i < n; ++i) {
    const unsigned char b = t[i];
    if (b < 0x80) {
      if (b == '&') out += "&amp;";
      else if (b == '<') out += "&lt;";
      else if (b == '>') out += "&gt;";
      else if (b == '"' && quote) out += "&quot;";
      else out += static_cast<char>(b);
      continue;
    }
    const char16_t u = orvek3::AnsiCharToUnicode(b);
    if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}

const char* kNazvy[] = {"Id", "Titul", "Rok", "Stopaz", "Zanr", "Puvod", "Rezie", "Obsazeni", "Koment", "Umisteni"};

// Steps the list statement and writes the format with stdio.
void PlainExport(const std::string& db, const std::string& target, Format format) {
  sqlite3* h = nullptr;
  sqlite3_open(db.c_str(), &h);
  sqlite3_create_collation(h, "NATIVE", SQLITE_UTF8, nullptr, kalmetra_bench::PlainIcuCollation);
  orvek3::platform::ClearUpperVectorState();  // the clean state the program's fetch starts from
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, kSeznam, -1, &st, nullptr);
  FILE* f = std::fopen(target.c_str(), "wb");
  std::string out;
  if (format == Format::CSV) out += "Id;Titul;Rok;Stopaz;Zanr;Puvod;Rezie;Obsazeni;Koment;Umisteni\r\n";
  if (format == Format::XML) out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<data>\r\n";
  if (format == Format::HTML) {
    out +=
        "<!DOCTYPE html>\r\n<html lang=\"cs\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Kalmetra</title>\r\n"
        "<style>table{border-collapse:collapse}th,td{border:1px solid #999;padding:2px 6px;"
        "text-align:left;vertical-align:top}</style>\r\n</head>\r\n<body>\r\n<table>\r\n<thead>\r\n<tr>";
    const char* labels[] = {"Id", "Titul", "Rok", "Stopáž", "Žánr", "Původ", "Režie", "Obsazení", "Komentář", "Umístění"};
    for (const char* l : labels) out += std::string("<th>") + l + "</th>";
    out += "</tr>\r\n</thead>\r\n<tbody>\r\n";
  }
  const char sep = format == Format::TXT ? '\t' : ';';
  while (sqlite3_step(st) == SQLITE_ROW) {
    if (format == Format::XML) out += "  <zaznam>\r\n";
    if (format == Format::HTML) out += "<tr>";
    for (int c = 0; c < 10; ++c) {
      const unsigned char* t = sqlite3_column_text(st, c);
      const int n = sqlite3_column_bytes(st, c);
      switch (format) {
        case Format::CSV:
        case Format::TXT:
          if (c > 0) out += sep;
          out.append(reinterpret_cast<const char*>(t), static_cast<size_t>(n));
          break;
        case Format::XML:
          if (c == 0) break;
          if (n == 0) {
            out += std::string("    <") + kNazvy[c] + "/>\r\n";
          } else {
            out += std::string("    <") + kNazvy[c] + ">";
            AppendUtf8Escaped(t, n, out, false);
            out += std::string("</") + kNazvy[c] + ">\r\n";
          }
          break;
        case Format::HTML:
          out += "<td>";
          AppendUtf8Escaped(t, n, out, true);
          out += "</td>";
          break;
      }
    }
    if (format == Format::CSV || format == Format::TXT) out += "\r\n";
    if (format == Format::XML) out += "  </zaznam>\r\n";
    if (format == Format::HTML) out += "</tr>\r\n";
    if (out.size() >= (1u << 16)) {
      std::fwrite(out.data(), 1, out.size(), f);
      out.clear();
    }
  }
  if (format == Format::XML) out += "</data>\r\n";
  if (format == Format::HTML) out += "</tbody>\r\n</table>\r\n</body>\r\n</html>\r\n";
  std::fwrite(out.data(), 1, out.size(), f);
  std::fclose(f);
  sqlite3_finalize(st);
  sqlite3_close(h);
}

// The growth of the resident memory over its level at the start, peak included (Linux).
struct PametovaSpicka {
  PametovaSpicka() {
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", f);  // resets the peak
      std::fclose(f);
    }
    zacatek = Cist("VmRSS:");
  }
  long Narust() const { return Cist("VmHWM:") - zacatek; }
  static long Cist(const char* klic) {
    std::ifstream f("/proc/self/status");
    std::string radek;
    while (std::getline(f, radek))
      if (radek.rfind(klic, 0) == 0) return std::stol(radek.substr(std::strlen(klic)));
    return 0;
  }
  long zacatek;
};

// ---------------------------------------------------------------- export

void ExportProgramem(benchmark::State& state, Format format) {
  const QString dir = ProgramovaSlozka("export", kRadku);
  kalmetra::THlavni hlavni(dir);
  const QString target = dir + QStringLiteral("export.out");
  long narust = 0;
  for (auto _ : state) {
    PametovaSpicka spicka;
    switch (format) {
      case Format::CSV:
        kalmetra::ExportovatText(hlavni.DataSet1, true, ';', target, &hlavni);
        break;
      case Format::TXT:
        kalmetra::ExportovatText(hlavni.DataSet1, false, '\t', target, &hlavni);
        break;
      case Format::XML:
        kalmetra::ExportovatXML(hlavni.DataSet1, target, QStringLiteral("data"), &hlavni);
        break;
      case Format::HTML: {
        QStringList popisky;
        for (int i = 0; i < hlavni.DataSet1.FieldCount(); ++i)
          popisky << hlavni.PopisekPole(QString::fromLatin1(hlavni.DataSet1.Field(i).FieldName()));
        kalmetra::ExportovatHTML(hlavni.DataSet1, target, popisky, &hlavni);
        break;
      }
    }
    narust = std::max(narust, spicka.Narust());
  }
  state.counters["rss_growth_kB"] = static_cast<double>(narust);
  // The plain loop must have written the same bytes.
  const std::string plain = Soubor(dir + QStringLiteral("plain.out"));
  PlainExport(Soubor(dir + QStringLiteral("Kalmetra.sqlite")), plain, format);
  if (Precist(plain) != Precist(Soubor(target))) state.SkipWithError("the program wrote other bytes than the plain loop");
}

void ExportPlainLoop(benchmark::State& state, Format format) {
  const QString dir = ProgramovaSlozka("export", kRadku);
  const std::string db = Soubor(dir + QStringLiteral("Kalmetra.sqlite"));
  const std::string target = Soubor(dir + QStringLiteral("plain.out"));
  long narust = 0;
  for (auto _ : state) {
    PametovaSpicka spicka;
    PlainExport(db, target, format);
    narust = std::max(narust, spicka.Narust());
  }
  state.counters["rss_growth_kB"] = static_cast<double>(narust);
}

void BM_Export_CSV(benchmark::State& s) { ExportProgramem(s, Format::CSV); }
void BM_Export_TXT(benchmark::State& s) { ExportProgramem(s, Format::TXT); }
void BM_Export_XML(benchmark::State& s) { ExportProgramem(s, Format::XML); }
void BM_Export_HTML(benchmark::State& s) { ExportProgramem(s, Format::HTML); }
void BM_PlainLoop_Export_CSV(benchmark::State& s) { ExportPlainLoop(s, Format::CSV); }
void BM_PlainLoop_Export_TXT(benchmark::State& s) { ExportPlainLoop(s, Format::TXT); }
void BM_PlainLoop_Export_XML(benchmark::State& s) { ExportPlainLoop(s, Format::XML); }
void BM_PlainLoop_Export_HTML(benchmark::State& s) { ExportPlainLoop(s, Format::HTML); }

// ---------------------------------------------------------------- import

// The catalogue exported as type 2, the file both imports read.
std::string SouborImportu() {
  const QString dir = ProgramovaSlozka("export", kRadku);
  const std::string file = Soubor(dir + QStringLiteral("import.csv"));
  if (!QFile::exists(QString::fromStdString(file)))
    PlainExport(Soubor(dir + QStringLiteral("Kalmetra.sqlite")), file, Format::CSV);
  return file;
}

void BM_Import_CSV(benchmark::State& state) {
  const std::string file = SouborImportu();
  const QString dir = ProgramovaSlozka("import", 0);
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(dir + QStringLiteral("Kalmetra.sqlite"));
    {
      kalmetra::THlavni hlavni(dir);  // writes the empty template catalogue
      state.ResumeTiming();
      kalmetra::ImportovatCSV(hlavni, QString::fromStdString(file));
      state.PauseTiming();
      if (hlavni.DataSet1.RecordCount() != kRadku) state.SkipWithError("rows missing");
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRadku);
}

void BM_PlainLoop_Import_CSV(benchmark::State& state) {
  const std::string file = SouborImportu();
  const QString dir = ProgramovaSlozka("import-plain", 0);
  const std::string db = Soubor(dir + QStringLiteral("Kalmetra.sqlite"));
  static const int delky[] = {0, 80, 4, 4, 30, 30, 30, 255, 255, 255};
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(QString::fromStdString(db));
    QFile::copy(QString::fromStdString(kalmetra_bench::EmptyCatalogueFile("import")), QString::fromStdString(db));
    state.ResumeTiming();
    const std::string obsah = Precist(file);
    orvek3::platform::ClearUpperVectorState();
    sqlite3* h = nullptr;
    sqlite3_open(db.c_str(), &h);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO Tabulka (Id,Titul,Rok,Stopaz,Zanr,Puvod,Rezie,Obsazeni,Koment,Umisteni) "
                       "VALUES(?,?,?,?,?,?,?,?,?,?)",
                       -1, &st, nullptr);
    size_t i = obsah.find('\n') + 1;  // the header line
    while (i < obsah.size()) {
      size_t konec = obsah.find_first_of("\r\n", i);
      if (konec == std::string::npos) konec = obsah.size();
      std::string_view radek(obsah.data() + i, konec - i);
      for (int c = 0; c < 9; ++c) {
        const size_t s = radek.find(';');
        std::string_view v = s == std::string_view::npos ? std::string_view() : radek.substr(0, s);
        if (s != std::string_view::npos) radek.remove_prefix(s + 1);
        if (c == 0) {
          if (v.empty()) sqlite3_bind_null(st, 1);
          else sqlite3_bind_int64(st, 1, std::stoll(std::string(v)));
        } else {
          sqlite3_bind_text(st, c + 1, v.data(), static_cast<int>(std::min<size_t>(v.size(), delky[c])), SQLITE_STATIC);
        }
      }
      sqlite3_bind_text(st, 10, radek.data(), static_cast<int>(std::min<size_t>(radek.size(), 255)), SQLITE_STATIC);
      sqlite3_step(st);
      sqlite3_reset(st);
      i = konec + (konec + 1 < obsah.size() && obsah[konec] == '\r' && obsah[konec + 1] == '\n' ? 2 : 1);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(h);
  }
  state.SetItemsProcessed(state.iterations() * kRadku);
}

BENCHMARK(BM_Export_CSV)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop_Export_CSV)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export_TXT)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop_Export_TXT)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export_XML)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop_Export_XML)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export_HTML)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop_Export_HTML)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Import_CSV)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainLoop_Import_CSV)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return kalmetra_bench::SpustitBenchmarky(argc, argv, [] {
    for (const char* nazev : {"export", "import", "import-plain"}) QDir(Slozka(nazev)).removeRecursively();
  });
}
