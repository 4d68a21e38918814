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

// A save file's temporary lies beside its target, in a folder the user chose, under a name
// that carries no process id. So that a start after a crash can find it, each such write
// is named in a small record in the folder set here (the program folder) while it is
// under way: "Kalmetra.zapis<pid>_<n>", the target's absolute path (and, for a link, the
// path it points to) one a line, each ended by a line break. Empty: no records.
inline constexpr char kWriteRecordPrefix[] = "Kalmetra.zapis";
void SetWriteRecordFolder(const QString& folder);

// Names the target in a record for its lifetime; made before the save file opens, gone
// after it is committed or dropped. A record that cannot be written costs only the
// later cleanup, never the write.
class WriteRecord {
 public:
  explicit WriteRecord(const QString& target);
  ~WriteRecord();
  WriteRecord(const WriteRecord&) = delete;
  WriteRecord& operator=(const WriteRecord&) = delete;

 private:
  QString path_;
};

}  // namespace rpt
