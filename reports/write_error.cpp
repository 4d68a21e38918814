#include "write_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStorageInfo>

#include <atomic>

namespace rpt {

namespace {
// Less than this left on the disk after a failed write: the write found no room.
constexpr qint64 kTemerPlnyDisk = 256 * 1024;

QMutex recordMutex;
QString& RecordFolder() {
  static QString folder;
  return folder;
}
}  // namespace

void SetWriteRecordFolder(const QString& folder) {
  QMutexLocker lock(&recordMutex);
  RecordFolder() = folder;
}

WriteRecord::WriteRecord(const QString& target) {
  QString folder;
  {
    QMutexLocker lock(&recordMutex);
    folder = RecordFolder();
  }
  if (folder.isEmpty() || target.isEmpty()) return;
  static std::atomic<unsigned> counter{0};
  const QString path = QDir(folder).filePath(QLatin1String(kWriteRecordPrefix) +
                                             QString::number(QCoreApplication::applicationPid()) +
                                             QLatin1Char('_') + QString::number(counter++));
  const QFileInfo info(target);
  QByteArray text = QFile::encodeName(info.absoluteFilePath()) + '\n';
  // The save file writes beside the file a link points to.
  if (info.isSymLink()) text += QFile::encodeName(QFileInfo(info.symLinkTarget()).absoluteFilePath()) + '\n';
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return;
  const bool ok = file.write(text) == text.size() && file.flush();
  file.close();
  if (ok) path_ = path;
  else QFile::remove(path);
}

WriteRecord::~WriteRecord() {
  if (!path_.isEmpty()) QFile::remove(path_);
}

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
