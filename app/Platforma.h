// File services that need the operating system directly. Each platform has one
// implementation file (Platforma_posix.cpp); nothing else in the program calls the OS.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace kalmetra {

// Replaces the file at path with contents in one step: the bytes go to a temporary
// file beside it, are flushed to the disk, and the temporary file is then renamed over
// the old one. On any failure the old file stays as it was, the temporary file is
// removed, false is returned and *error (when given) says what failed.
// A symbolic link at path is followed: its target is replaced, the link stays.
// An existing file keeps its permissions.
bool ReplaceFileAtomically(const QString& path, const QByteArray& contents, QString* error = nullptr);

// A process with this id is running (one of another user's too). The program tells by
// it whether a temporary file named with a process id may still be in use.
bool ProcesBezi(qint64 pid);

// Another process than this one runs an executable that lies in the folder: another
// instance of the program, when it is the program folder. Processes whose executable
// cannot be looked at (other users') do not count.
bool JinaInstanceZeSlozky(const QString& slozka);

// Test hook: called with the temporary file's path once it is written and flushed, just
// before the rename. Returning false makes the replacement fail as if interrupted there.
// An empty function removes the hook.
void SetBeforeRenameHook(std::function<bool(const QString& temporaryPath)> hook);

}  // namespace kalmetra
