#include "ImportRadku.h"

#include <QString>

#include <algorithm>

#include "Katalog.h"
#include "sql_text.h"

namespace kalmetra {

namespace {

// The transaction around a batch of the import: begun unless the caller holds one,
// committed at the batch's end whatever ended the loop, so that the rows stored before a
// failing row stay.
class TTransakce {
 public:
  explicit TTransakce(orvek3::TOrvek3Database& db) : db_(db) { Zacit(); }
  void Zacit() {
    vlastni_ = db_.Api().get_autocommit(db_.Handle()) != 0;
    if (vlastni_) db_.ExecSQL("BEGIN");
  }
  bool Vlastni() const { return vlastni_; }
  ~TTransakce() {
    if (!vlastni_) return;
    try {
      if (db_.Connected() && db_.Api().get_autocommit(db_.Handle()) == 0) db_.ExecSQL("ROLLBACK");
    } catch (...) {
    }
  }
  TTransakce(const TTransakce&) = delete;
  TTransakce& operator=(const TTransakce&) = delete;

  // False when nothing of the import is stored: the library rolled the transaction back
  // itself (a full disk, an I/O error). A failing commit is rolled back and propagates.
  bool Dokoncit() {
    if (!vlastni_) return true;
    if (db_.Api().get_autocommit(db_.Handle()) != 0) {
      vlastni_ = false;
      return false;
    }
    db_.ExecSQL("COMMIT");  // on failure the destructor rolls back
    vlastni_ = false;
    return true;
  }

 private:
  orvek3::TOrvek3Database& db_;
  bool vlastni_ = false;
};

// The one INSERT of the import, prepared once and run for every row.
class TVkladani {
 public:
  explicit TVkladani(orvek3::TOrvek3Database& db) : db_(db), api_(db.Api()) {
    std::string sql = std::string("INSERT INTO ") + kNazevTabulky + " (";
    for (size_t i = 0; i < kPoleKatalogu.size(); ++i) sql += std::string(i > 0 ? "," : "") + kPoleKatalogu[i].nazev;
    sql += ") VALUES (?";
    for (size_t i = 1; i < kPoleKatalogu.size(); ++i) sql += ",?";
    sql += ")";
    if (api_.prepare(db_.Handle(), sql.c_str(), -1, &prikaz_, nullptr) != SQLITE_OK || prikaz_ == nullptr)
      Chyba();
  }
  ~TVkladani() {
    if (prikaz_ != nullptr) api_.finalize(prikaz_);
  }
  TVkladani(const TVkladani&) = delete;
  TVkladani& operator=(const TVkladani&) = delete;

  // Stores one row; returns its number. texty: the nine texts, already cut.
  int64_t Vlozit(const std::optional<int64_t>& id, const std::array<std::string_view, 9>& texty) {
    if (id) api_.bind_int64(prikaz_, 1, *id);
    else api_.bind_null(prikaz_, 1);
    for (size_t i = 0; i < texty.size(); ++i) {
      std::string_view t = texty[i];
      if (db_.ConvertTextToUtf8()) {
        // A UTF-16 catalogue stores Unicode; the library converts from UTF-8.
        prevody_[i] = orvek3::AnsiToUtf8(t);
        t = prevody_[i];
      }
      api_.bind_text(prikaz_, static_cast<int>(i) + 2, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
    }
    const int vysledek = api_.step(prikaz_);
    if (vysledek != SQLITE_DONE) {
      const std::string zprava = api_.errmsg(db_.Handle());
      api_.reset(prikaz_);
      orvek3::RaiseDatabaseError(&db_, zprava);
    }
    api_.reset(prikaz_);
    return api_.last_insert_rowid(db_.Handle());
  }

 private:
  [[noreturn]] void Chyba() { orvek3::RaiseDatabaseError(&db_, api_.errmsg(db_.Handle())); }

  orvek3::TOrvek3Database& db_;
  const orvek3::TSqliteDriver& api_;
  sqlite3_stmt* prikaz_ = nullptr;
  std::array<std::string, 9> prevody_;
};

// The text as a field of that many characters holds it: cut to the length and at a zero.
std::string_view Oriznout(std::string_view text, int delka) {
  text = text.substr(0, static_cast<size_t>(std::max(delka, 0)));
  const size_t nula = text.find('\0');
  return nula == std::string_view::npos ? text : text.substr(0, nula);
}

// A value as a message shows it whole: a zero byte would end the text there.
std::string ViditelnyText(const std::string& text) {
  std::string viditelny;
  for (const char c : text) {
    if (c == '\0') viditelny += "<NUL>";
    else viditelny += c;
  }
  return viditelny;
}

}  // namespace

std::vector<std::string_view> RadkyImportu(std::string_view obsah) {
  std::vector<std::string_view> radky;
  const char* data = obsah.data();
  const size_t delka = obsah.size();
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

UlozeneRadky UlozitRadky(orvek3::TOrvek3Query& ds, const std::vector<std::string_view>& radky,
                         const std::function<void(int)>& krok, std::exception_ptr& chyba, int radkuVDavce) {
  const orvek3::TRecField& id = ds.FieldByName(kPoleKatalogu[0].nazev);
  std::array<int, 9> delky{};
  for (size_t i = 0; i < delky.size(); ++i) delky[i] = ds.FieldByName(kPoleKatalogu[i + 1].nazev).Size();
  orvek3::TOrvek3Database& db = *ds.Database();
  db.CheckConnected(false);

  UlozeneRadky ulozeno;   // committed
  UlozeneRadky vDavce;    // inserted since the last commit
  TVkladani vkladani(db);
  TTransakce transakce(db);
  // Commits the batch; false when the library had rolled it back itself.
  auto potvrdit = [&] {
    if (!transakce.Dokoncit()) return false;
    if (vDavce.posledni) ulozeno.posledni = vDavce.posledni;
    ulozeno.pocet += vDavce.pocet;
    vDavce = {};
    return true;
  };
  bool odvolano = false;
  size_t r = 1;
  try {
    std::array<std::string_view, 9> texty;
    for (; r < radky.size(); ++r) {
      const std::array<std::string, 10> hodnoty = RozdelitRadek(radky[r]);
      std::optional<int64_t> cislo;
      if (!hodnoty[0].empty()) {
        int64_t v = 0;
        if (!orvek3::ParseInt64(hodnoty[0], v))
          orvek3::RaiseDatabaseError(&ds, "'" + ViditelnyText(hodnoty[0]) + "' is not a valid integer value for field '" +
                                              id.DisplayName() + "'");
        cislo = v;
      }
      for (size_t i = 0; i < texty.size(); ++i) texty[i] = Oriznout(hodnoty[i + 1], delky[i]);
      vDavce.posledni = vkladani.Vlozit(cislo, texty);
      ++vDavce.pocet;
      if (krok) krok(static_cast<int>(r));
      // Batches bound what a full disk can take back with it.
      if (transakce.Vlastni() && vDavce.pocet >= radkuVDavce) {
        if (!potvrdit()) {
          odvolano = true;
          break;
        }
        transakce.Zacit();
      }
    }
  } catch (...) {
    chyba = std::current_exception();
  }
  try {
    if (!odvolano && !potvrdit()) odvolano = true;
  } catch (...) {
    // The commit itself failed (and was rolled back): the batch is lost as well.
    if (!chyba) chyba = std::current_exception();
    odvolano = true;
  }
  if (odvolano && vDavce.pocet > 0) {
    // Say exactly what is stored, or the user cannot tell which lines to import again.
    std::string proc = "the database rolled the last rows back";
    if (chyba) {
      try {
        std::rethrow_exception(chyba);
      } catch (const std::exception& e) {
        proc = e.what();
      } catch (...) {
      }
    }
    try {
      orvek3::RaiseDatabaseError(
          &ds, proc + "\r\n" +
                   orvek3::Utf16ToAnsi(QStringLiteral("Uloženo je prvních %1 záznamů souboru (řádky 2 až %2); "
                                                      "od řádku %3 dál není uloženo nic.")
                                           .arg(ulozeno.pocet)
                                           .arg(ulozeno.pocet + 1)
                                           .arg(ulozeno.pocet + 2)
                                           .toStdU16String()));
    } catch (...) {
      chyba = std::current_exception();
    }
  }
  return ulozeno;
}

}  // namespace kalmetra
