// The utility unit: message boxes with the program's conventions, opening files and
// addresses with the desktop, the most-recent list, the version, About and Help.
// All interaction goes through Seam() (Interakce.h).
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class QCoreApplication;

namespace kalmetra {

// The application title, the caption of the program's message boxes.
QString TitulekAplikace();
// The build date the About box shows.
inline constexpr char kDatumSestaveni[] = "2018-03-20";

// Information with the application title as caption.
void Informace(const QString& text);
// Information; an empty caption means the application title.
void InformaceTitulek(const QString& caption, const QString& text);
// Warning; an empty caption means the application title.
void Varovani(const QString& caption, const QString& text);
// Question with Yes and No, No the default. Kind 2 shows the warning icon, any other
// kind (normally 1) the question icon. Returns 6 for Yes, 7 for No.
int Dotaz(const QString& caption, const QString& text, int kind);

// Opens a file, folder or web address with the desktop's associated program; failures
// are not reported.
void OtevritSoubor(const QString& target);

// Puts text at the top of a most-recent-first list; an entry equal to it but for letter
// case is replaced by the new writing. A full list keeps its length, the last entry
// falls out. With a capacity below 1 nothing can be kept and the list stays as it is.
void PridatDoSeznamu(QStringList& list, const QString& text, int capacity);
// The characters "0" to "9" of the text, in their order.
QString JenCislice(const QString& text);
// Creates the file (an existing one is emptied) and closes it; false when that failed.
// Nothing is shown either way.
bool VytvoritPrazdnySoubor(const QString& path);

// "major.minor" of the program version, 2.0 for version 2.0.0.0.
QString VerzeProgramu();
// "%d.%d" of the upper and the lower 16 bits of the version's most significant half.
QString FormatovatVerzi(uint32_t mostSignificantHalf);
// The About box text: name, version and build date, then the maker's credits.
QString TextOProgramu(const QString& name, const QString& buildDate);
// Shows TextOProgramu as information with the caption "O programu".
void ZobrazitOProgramu(const QString& name, const QString& buildDate);

// The folder of the program file, with a trailing separator.
QString SlozkaProgramu();
// The Czech help page shipped in the program folder.
QString CestaNapovedy();
// Opens the help page; nothing is shown when it cannot be opened.
void Napoveda();

// Loads Qt's own Czech texts (file dialogs, print dialog, input prompt) into the
// application; false when the translation is not installed.
bool NacistCeskePreklady(QCoreApplication& application);

}  // namespace kalmetra
