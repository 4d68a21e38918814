// What a run of the program killed in the middle of a write leaves behind: the
// temporary files of its own writers beside its own files and beside the files it was
// exporting into folders the user chose.
#pragma once

#include <QString>
#include <QStringList>

namespace kalmetra {

// Temporary files written with a name that carries no process id are left alone this
// long after their last change while another instance of the program runs from the same
// folder, so that a write of that instance is never hit.
inline constexpr int kStariDocasnehoSouboru = 10 * 60;  // seconds

// Removes the stale temporary files of the program folder (with its trailing separator),
// of its "Ses" folder and of the targets named in write records, and gives their paths.
// Only names exactly as our writers make them count:
// - "<file>.tmp<pid>_<n>" (ReplaceFileAtomically) of any file, while no process with
//   that id is running;
// - "Sestavy.ini.XXXXXX" in the program folder and "<name>.ksr.XXXXXX" in "Ses"
//   (QSaveFile, six letters or digits): at once while no other instance of the program
//   runs from the program folder, else once older than kStariDocasnehoSouboru;
// - "<target>.XXXXXX" beside a target named in a write record ("Kalmetra.zapis<pid>_<n>",
//   see rpt::WriteRecord) whose process no longer runs, while no other instance runs;
//   the record then goes too.
// Folders, links and every other name are never touched; the catalogue's own side files
// ("-journal", "-wal", "-shm") belong to SQLite. A file that cannot be removed stays
// for the next start. A test tool that runs the start-up from elsewhere is no instance
// of the program in the folder: it must not run beside the program on the same folder.
QStringList OdstranitOpusteneDocasneSoubory(const QString& slozkaProgramu);

}  // namespace kalmetra
