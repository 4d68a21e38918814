#include "write_error.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace rpt {

namespace {
// Less than this left on the disk after a failed write: the write found no room.
constexpr qint64 kTemerPlnyDisk = 256 * 1024;
}  // namespace

QString WriteErrorText(const QFileDevice& file, const QString& path, qint64 bytes) {
  QStorageInfo disk(QFileInfo(path).absolutePath());
  disk.refresh();
  if (disk.isValid() && disk.isReady() && disk.bytesAvailable() < kTemerPlnyDisk + bytes)
    return QStringLiteral("na disku (%1) není volné místo").arg(disk.rootPath());
  return file.errorString();
}

bool CommitWhole(QSaveFile& file, const QString& path, qint64 bytes, QString* error) {
  if (file.flush() && file.commit()) return true;
  if (error) *error = WriteErrorText(file, path, bytes);  // while the temporary file still holds its room
  file.cancelWriting();
  return false;
}

}  // namespace rpt
