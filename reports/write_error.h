// The reason a file could not be written, as a user can act on it.
#pragma once

#include <QFileDevice>
#include <QSaveFile>
#include <QString>

namespace rpt {

// The device's own error text, except where the target's disk is full: Qt reports a write
// or commit that found no room as an unknown error, so the free space is looked at.
// bytes: what was to be written, which a removed temporary file may have given back.
QString WriteErrorText(const QFileDevice& file, const QString& path, qint64 bytes = 0);

// Commits a save file only once all its bytes reached the disk. QSaveFile::commit renames
// the temporary file even when the bytes still buffered found no room, which would put a
// cut file in place of the user's; such a write is cancelled and its reason given instead.
bool CommitWhole(QSaveFile& file, const QString& path, qint64 bytes, QString* error);

}  // namespace rpt
