// Generated catalogues for the benchmarks: Czech titles and names of realistic lengths.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>

#include "platform_library.h"
#include "sql3_defs.h"
#include "sql_text.h"

namespace kalmetra_bench {

// The Czech order as a plain loop gets it: ICU on every comparison, none of the program's
// tables.
inline int PlainIcuCollation(void*, int n1, const void* t1, int n2, const void* t2) {
  return orvek3::NativeCollateAnsiByIcu(n1, t1, n2, t2);
}

inline std::filesystem::path ProgramFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }
inline std::string DriverPath() { return (ProgramFolder() / KALMETRA_SQLITE_LIBNAME).string(); }

struct Film {
  std::string titul, rok, stopaz, zanr, puvod, rezie, obsazeni, koment, umisteni;
  // The nine text columns in table order.
  std::array<const std::string*, 9> Texts() const {
    return {&titul, &rok, &stopaz, &zanr, &puvod, &rezie, &obsazeni, &koment, &umisteni};
  }
};

// A film of number i; the texts are Windows-1250, as the program stores them.
inline Film MakeFilm(int i) {
  static const char* slova[] = {"Pelíšky", "Obecná", "škola", "Kolja", "Vesničko", "má", "středisková",
                                "Marečku", "podejte", "mi", "pero", "Limonádový", "Joe", "Ostře",
                                "sledované", "vlaky", "Hoří", "má", "panenko", "Tři", "oříšky", "pro",
                                "Popelku", "Černí", "baroni", "Šakalí", "léta", "Cesta", "do", "pravěku"};
  static const char* zanry[] = {"komedie", "drama", "pohádka", "válečný", "dobrodružný", "krimi"};
  static const char* jmena[] = {"Jiří Menzel", "Miloš Forman", "Jan Svěrák", "Věra Chytilová",
                                "Karel Zeman", "Oldřich Lipský", "Zdeněk Podskalský", "Václav Vorlíček"};
  static const char* herci[] = {"Rudolf Hrušínský", "Jiřina Bohdalová", "Vlastimil Brodský", "Libuše Šafránková",
                                "Josef Abrhám", "Marián Labuda", "Jaroslav Dušek", "Ivana Chýlková"};
  const unsigned u = static_cast<unsigned>(i) * 2654435761u;
  Film f;
  std::string t;
  const int words = 1 + static_cast<int>(u % 4);
  for (int w = 0; w < words; ++w) {
    if (w) t += ' ';
    t += slova[(u >> (w * 5)) % 30];
  }
  f.titul = orvek3::Utf8ToAnsi(t);
  f.rok = std::to_string(1930 + static_cast<int>(u % 95));
  f.stopaz = std::to_string(70 + static_cast<int>((u >> 3) % 90));
  f.zanr = orvek3::Utf8ToAnsi(zanry[(u >> 7) % 6]);
  f.puvod = orvek3::Utf8ToAnsi((u >> 9) % 3 ? "ČSR" : "Česko");
  f.rezie = orvek3::Utf8ToAnsi(jmena[(u >> 11) % 8]);
  f.obsazeni = orvek3::Utf8ToAnsi(std::string(herci[(u >> 13) % 8]) + ", " + herci[(u >> 17) % 8] + ", " +
                                  herci[(u >> 21) % 8]);
  f.koment = orvek3::Utf8ToAnsi((u >> 5) % 4 ? "" : "Restaurovaná verze, české titulky");
  f.umisteni = "/home/film/Filmy/film" + std::to_string(i) + ".mkv";
  return f;
}

inline const char* kTable =
    "CREATE TABLE Tabulka (\r\n Id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,\r\n Titul VARCHAR(80),\r\n"
    " Rok VARCHAR(4),\r\n Stopaz VARCHAR(4),\r\n Zanr VARCHAR(30),\r\n Puvod VARCHAR(30),\r\n"
    " Rezie VARCHAR(30),\r\n Obsazeni VARCHAR(255),\r\n Koment VARCHAR(255),\r\n Umisteni VARCHAR(255)\r\n)";

inline std::string EmptyCatalogueFile(const std::string& name) {
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("kalmetra-bench-" + name + "-" + std::to_string(getpid()) + ".sqlite"))
                               .string();
  std::filesystem::remove(file);
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, "pragma page_size=1024", nullptr, nullptr, nullptr);
  sqlite3_exec(db, kTable, nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return file;
}

// A catalogue of n rows, made once per run and reused.
inline std::string CatalogueFile(int n) {
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("kalmetra-bench-" + std::to_string(n) + "-" + std::to_string(getpid()) + ".sqlite"))
                               .string();
  if (std::filesystem::exists(file)) return file;
  const std::string tmp = EmptyCatalogueFile("fill");
  sqlite3* db = nullptr;
  sqlite3_open(tmp.c_str(), &db);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO Tabulka VALUES(?,?,?,?,?,?,?,?,?,?)", -1, &stmt, nullptr);
  for (int i = 1; i <= n; ++i) {
    const Film f = MakeFilm(i);
    sqlite3_bind_int64(stmt, 1, i);
    const auto texts = f.Texts();
    for (int c = 0; c < 9; ++c)
      sqlite3_bind_text(stmt, c + 2, texts[static_cast<size_t>(c)]->data(), static_cast<int>(texts[static_cast<size_t>(c)]->size()), SQLITE_TRANSIENT);
    sqlite3_step(stmt);
    sqlite3_reset(stmt);
  }
  sqlite3_finalize(stmt);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  std::filesystem::rename(tmp, file);
  return file;
}

// Removes the generated catalogues when the benchmark program ends.
struct CatalogueCleanup {
  ~CatalogueCleanup() {
    for (int n : {10000, 100000}) {
      std::error_code ec;
      std::filesystem::remove(std::filesystem::temp_directory_path() /
                                  ("kalmetra-bench-" + std::to_string(n) + "-" + std::to_string(getpid()) + ".sqlite"),
                              ec);
    }
  }
};
inline CatalogueCleanup cleanupAtExit;

// The plain loop's read of a statement: prepare, step, copy every column's text.
inline std::vector<std::vector<std::string>> StepAndCopy(sqlite3* db, const char* sql) {
  std::vector<std::vector<std::string>> rows;
  // The same clean vector state the program's loops start from, whatever Qt left behind.
  orvek3::platform::ClearUpperVectorState();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  const int columns = sqlite3_column_count(stmt);
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    auto& row = rows.emplace_back();
    for (int c = 0; c < columns; ++c) {
      const unsigned char* text = sqlite3_column_text(stmt, c);
      row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "");
    }
  }
  sqlite3_finalize(stmt);
  return rows;
}

}  // namespace kalmetra_bench
