// Import of films from a semicolon-separated file (the format the export writes as its
// second type): one catalogue row per line after the first, appended to the main
// window's catalogue and stored in one transaction.
#pragma once

#include <QString>

#include "ImportRadku.h"

namespace kalmetra {

class THlavni;

// Stores a row for every line of the file but the first, all in one transaction. The rows
// before a failing one are stored, the failing one is not, and the error propagates.
// Whenever rows were stored the list is read anew (in its order and filter) with the last
// stored row current; otherwise the record set stays as it was.
void ImportovatCSV(THlavni& hlavni, const QString& soubor);

// The command "Import databáze" of the main window.
void Akce_ImportDat(THlavni& hlavni);

}  // namespace kalmetra
