#include "ImportRadku.h"

#include <QString>

#include <algorithm>

#include "Katalog.h"
#include "bulk_insert.h"
#include "sql_text.h"

namespace kalmetra {

namespace {

// The one INSERT of the import, prepared once and run for every row.
class TVkladani {
 public:
  explicit TVkladani(orvek3::TOrvek3Database& db) : prikaz_(db, kNazevTabulky, Sloupce()) {}

  // Stores one row; returns its number. texty: the nine texts, already cut.
  int64_t Vlozit(const std::optional<int64_t>& id, const std::array<std::string_view, 9>& texty) {
    if (id) prikaz_.BindInt64(0, *id);
    else prikaz_.BindNull(0);
    for (size_t i = 0; i < texty.size(); ++i) prikaz_.BindText(static_cast<int>(i) + 1, texty[i]);
    return prikaz_.Run();
  }

 private:
  static std::vector<std::string> Sloupce() {
    std::vector<std::string> sloupce;
    for (const PoleKatalogu& p : kPoleKatalogu) sloupce.emplace_back(p.nazev);
    return sloupce;
  }
  orvek3::TPreparedInsert prikaz_;
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
  orvek3::TOwnTransaction transakce(db);
  // Commits the batch; false when the library had rolled it back itself.
  auto potvrdit = [&] {
    if (!transakce.Commit()) return false;
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
      if (transakce.Owned() && vDavce.pocet >= radkuVDavce) {
        if (!potvrdit()) {
          odvolano = true;
          break;
        }
        transakce.Begin();
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
