#include "platform/TempFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/ProcessTag.h"
#include "platform/SystemError.h"
#include "platform/UnixFile.h"

namespace {

// The system's temporary directory, ending in "/".
std::string TempBase() {
  const char* base = std::getenv("TMPDIR");
  std::string path = (base && *base) ? base : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

class TPrivateFolder {
 public:
  TPrivateFolder() {
    std::string pattern = TempBase() + ProcessTagPrefix() + "XXXXXX";
    if (!mkdtemp(pattern.data())) ThrowSystemError("Temporärer Ordner", pattern);
    FPath = pattern + "/";
    // Held until the process ends, however it ends: the kernel drops the lock of a dead process.
    FLock = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FLock >= 0) ::flock(FLock, LOCK_EX | LOCK_NB);
  }
  ~TPrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
    if (FLock >= 0) ::close(FLock);
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  int FLock = -1;
};

bool Exists(const std::string& Name) {
  struct stat st;
  return lstat(Name.c_str(), &st) == 0;
}

// Removes Path when it is a folder of ours that nobody holds the lock of.
bool RemoveIfAbandoned(const std::string& Path) {
  // O_NOFOLLOW: a symbolic link under our name is not followed; the checks below look at what was
  // opened, so nothing can be swapped in between.
  const TFd folder(::open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!folder.Valid() || ::fstat(folder.Get(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  if (::flock(folder.Get(), LOCK_EX | LOCK_NB) != 0) return false;
  std::error_code error;
  std::filesystem::remove_all(Path, error);
  return !error;
}

}  // namespace

const std::string& TempFolder() {
  static TPrivateFolder folder;
  return folder.Path();
}

std::string UniqueTempFileName(const std::string& Prefix, const std::string& Ext) {
  const std::string& folder = TempFolder();
  for (unsigned long n = 0;; ++n) {
    std::string name = folder + Prefix + std::to_string(n) + Ext;
    if (!Exists(name)) return name;
  }
}

std::string CreateUniqueTempFile(const std::string& Prefix, const std::string& Ext) {
  const std::string& folder = TempFolder();
  for (unsigned long n = 0;; ++n) {
    std::string name = folder + Prefix + std::to_string(n) + Ext;
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) ThrowSystemError("Temporäre Datei", name);
  }
}

bool IsTempFolderPath(const std::string& Path) { return Path.rfind(TempBase() + ProcessTagPrefix(), 0) == 0; }

size_t RemoveStaleTempFolders() {
  const std::string base = TempBase();
  // The names are gathered first: a folder is not removed while its directory is being read.
  std::vector<std::string> candidates;
  std::error_code error;
  for (std::filesystem::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    const pid_t pid = ProcessTagPid(name);
    if (pid > 0 && ProcessGone(pid)) candidates.push_back(base + name);
  }
  size_t removed = 0;
  for (const std::string& path : candidates)
    if (RemoveIfAbandoned(path)) ++removed;
  return removed;
}
