// The main window's commands on the current record of DataSet1: the four moves, going
// to a record by its position, copying the record or its title, the web lookup and
// playing the record's video file.
#pragma once

#include <QString>

namespace kalmetra {

class THlavni;

void PrvniZaznam(THlavni& hlavni);
void PredchazejiciZaznam(THlavni& hlavni);
// At the last record the last record stays current.
void NasledujiciZaznam(THlavni& hlavni);
void PosledniZaznam(THlavni& hlavni);

// Asks for a position (1 to the record count) and makes that record current.
void PrejitNaZaznam(THlavni& hlavni);

// All ten fields of the current record, one line each: label ": " value CR LF.
QString TextZaznamu(const THlavni& hlavni);
void KopirovatText(THlavni& hlavni);
void KopirovatTitul(THlavni& hlavni);

// The title goes to the clipboard and the film-database address is opened unchanged.
void VyvolatWWW(THlavni& hlavni);
// Opens the file named by the record's location with its associated program.
void Prehrat(THlavni& hlavni);

}  // namespace kalmetra
