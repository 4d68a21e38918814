// What every fuzz target shares: Qt without a display, a temporary folder of the process
// and the SQLite library beside the target.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kalmetra::fuzz {

// One application object for the whole run; fonts and widgets need it.
inline void StartQt() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "kalmetra-fuzz";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

// A folder of this process, removed at exit; nothing is ever written into the source tree
// or the program folder. In memory where the system offers it: the readers open their
// file anew for every call, and a disk makes that the whole cost of a run.
inline const QString& Folder() {
  const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
  static QTemporaryDir dir(base + QStringLiteral("/kalmetra-fuzz-XXXXXX"));
  if (!dir.isValid()) std::abort();
  static const QString path = dir.path() + QLatin1Char('/');
  return path;
}

// Writes the input as a file of that name in the folder and returns its path.
inline QString WriteInput(const QString& name, const uint8_t* data, size_t size) {
  const QString path = Folder() + name;
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
  if (f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size)) std::abort();
  return path;
}

// The copy of the SQLite library that the build places beside the target.
inline std::string DriverPath() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / KALMETRA_SQLITE_LIBNAME).string();
}

}  // namespace kalmetra::fuzz
