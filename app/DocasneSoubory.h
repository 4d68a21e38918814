// What a run of the program killed in the middle of a write leaves behind: the
// temporary files of its own writers beside its own files.
#pragma once

#include <QString>
#include <QStringList>

namespace kalmetra {

// Temporary files written with a name that carries no process id are left alone this
// long after their last change, so that a write of another running instance is never hit.
inline constexpr int kStariDocasnehoSouboru = 10 * 60;  // seconds

// Removes the stale temporary files of the program folder (with its trailing separator)
// and of its "Ses" folder, and gives their paths. Only names exactly as our writers make
// them count:
// - "<file>.tmp<pid>_<n>" (ReplaceFileAtomically) of any file, while no process with
//   that id is running;
// - "Sestavy.ini.XXXXXX" in the program folder and "<name>.ksr.XXXXXX" in "Ses"
//   (QSaveFile, six letters or digits), once older than kStariDocasnehoSouboru.
// Folders, links and every other name are never touched; the catalogue's own side files
// ("-journal", "-wal", "-shm") belong to SQLite. A file that cannot be removed stays
// for the next start.
QStringList OdstranitOpusteneDocasneSoubory(const QString& slozkaProgramu);

}  // namespace kalmetra
