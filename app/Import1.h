// Import of films from a semicolon-separated file (the format the export writes as its
// second type): one catalogue row per line after the first, appended to the main
// window's catalogue and stored in one transaction.
#pragma once

#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace kalmetra {

class THlavni;

// The ten values of one line in table order: each of the first nine is the text before
// the next ";" (empty when none is left), the last one the whole rest. No quoting, no
// trimming.
std::array<std::string, 10> RozdelitRadek(std::string_view radek);

// Stores a row for every line of the file but the first, all in one transaction. The rows
// before a failing one are stored, the failing one is not, and the error propagates.
// Whenever rows were stored the list is read anew (in its order and filter) with the last
// stored row current; otherwise the record set stays as it was.
void ImportovatCSV(THlavni& hlavni, const QString& soubor);

// The command "Import databáze" of the main window.
void Akce_ImportDat(THlavni& hlavni);

}  // namespace kalmetra
