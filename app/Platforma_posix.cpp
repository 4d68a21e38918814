#include "Platforma.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalmetra {

namespace {

std::function<bool(const QString&)>& Hook() {
  static std::function<bool(const QString&)> hook;
  return hook;
}

QString SystemError(const char* what, const std::string& path, int code) {
  return QStringLiteral("%1 \"%2\": %3")
      .arg(QString::fromUtf8(what), QFile::decodeName(QByteArray::fromStdString(path)),
           QString::fromLocal8Bit(std::strerror(code)));
}

void SetError(QString* error, const QString& text) {
  if (error != nullptr) *error = text;
}

bool WriteAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(fd, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

// The file a path names, with symbolic links resolved; the path itself when there is no
// such file yet (or the link dangles), so that the new file is created there.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable; a failure here no longer endangers either file.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

bool ProcesBezi(qint64 pid) {
  if (pid <= 0 || pid > INT_MAX) return false;
  // Signal 0 only asks; EPERM means the process is there but belongs to someone else.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool JinaInstanceZeSlozky(const QString& slozka) {
  char resolved[PATH_MAX];
  if (::realpath(QFile::encodeName(slozka).constData(), resolved) == nullptr) return false;
  const std::string folder = resolved;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  const std::string self = std::to_string(::getpid());
  bool found = false;
  while (!found) {
    const dirent* entry = ::readdir(proc);
    if (entry == nullptr) break;
    const std::string pid = entry->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    char exe[PATH_MAX];
    const ssize_t length = ::readlink(("/proc/" + pid + "/exe").c_str(), exe, sizeof exe - 1);
    if (length <= 0) continue;
    std::string path(exe, static_cast<size_t>(length));
    // An executable replaced on the disk while it runs (an update) still counts.
    const std::string deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
      path.resize(path.size() - deleted.size());
    found = FolderOf(path) == folder;
  }
  ::closedir(proc);
  return found;
}

void SetBeforeRenameHook(std::function<bool(const QString&)> hook) { Hook() = std::move(hook); }

bool ReplaceFileAtomically(const QString& path, const QByteArray& contents, QString* error) {
  if (path.isEmpty()) {
    SetError(error, QStringLiteral("Nebyla zadána cesta k souboru."));
    return false;
  }
  const std::string target = ResolveTarget(QFile::encodeName(path).toStdString());

  static std::atomic<unsigned> counter{0};
  const std::string temporary =
      target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);

  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetError(error, SystemError("Nelze vytvořit dočasný soubor", temporary, errno));
    return false;
  }
  auto fail = [&](const char* what, const std::string& name, int code, bool stillOpen) {
    if (stillOpen) ::close(fd);
    ::unlink(temporary.c_str());
    SetError(error, SystemError(what, name, code));
    return false;
  };

  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);

  if (!WriteAll(fd, contents.constData(), static_cast<size_t>(contents.size())))
    return fail("Nelze zapsat dočasný soubor", temporary, errno, true);
  if (::fsync(fd) != 0) return fail("Nelze uložit dočasný soubor na disk", temporary, errno, true);
  if (::close(fd) != 0) return fail("Nelze uzavřít dočasný soubor", temporary, errno, false);

  if (Hook() && !Hook()(QFile::decodeName(QByteArray::fromStdString(temporary))))
    return fail("Zápis byl přerušen před nahrazením souboru", target, EINTR, false);

  if (::rename(temporary.c_str(), target.c_str()) != 0)
    return fail("Nelze nahradit soubor", target, errno, false);
  SyncFolder(FolderOf(target));
  return true;
}

}  // namespace kalmetra
