// The catalogue table Tabulka: its ten fields in their order, their declared types,
// Czech labels, default column widths and hide settings, and the template database.
#pragma once

#include <QString>

#include <array>

namespace kalmetra {

inline constexpr char kNazevTabulky[] = "Tabulka";
inline constexpr char kSouborDatabaze[] = "Kalmetra.sqlite";
inline constexpr char kSouborNastaveni[] = "Kalmetra.ini";
inline constexpr char kSouborZanru[] = "Zanr.txt";
inline constexpr char kSlozkaSestav[] = "Ses";
inline constexpr char kOddilSirkyPoli[] = "SirkyPoli";
inline constexpr char kOddilUsporadaniPoli[] = "UsporadaniPoli";
// The template database carried inside the program.
inline constexpr char kZdrojDatabaze[] = ":/DATABAZE";

inline constexpr int kPocetPoli = 10;

struct PoleKatalogu {
  const char* nazev;            // field name (ASCII), also the SirkyPoli key
  const char* deklarovanyTyp;   // as in the table definition
  const char16_t* popisek;      // label shown in the user interface
  int vychoziSirka;             // grid column width in pixels
  const char* klicSkryti;       // UsporadaniPoli key; nullptr: always shown
  bool vychoziSkryti;           // hidden when the settings file has no key
};

// The fields in table order; entry 0 is field position 1.
extern const std::array<PoleKatalogu, kPocetPoli> kPoleKatalogu;

// The label of field position 1 to 10 ("Id", "Titul", ... "Umístění"); empty text for
// any other position.
QString PopiskyPoli(int pozice);

// The table definition exactly as the database stores it: "CREATE TABLE Tabulka (",
// one line per column begun with a space, lines joined by CR LF, a last line ")".
QString DefiniceTabulky();

// Writes the template database (an empty catalogue) to path, byte for byte. The file
// appears whole or not at all: false, with the reason in *error, when it could not be
// written; an existing file at path is then left as it was.
bool VytvoritDatabazi(const QString& path, QString* error = nullptr);

}  // namespace kalmetra
