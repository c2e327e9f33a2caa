#include "export/PendingFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/ProcessTag.h"
#include "platform/SafeFile.h"
#include "platform/UnixFile.h"

namespace {

constexpr std::string_view KPartExt = ".part";

// The process tag in a temporary file's name ("album.pdf.TAG.part"); empty for any other name.
std::string_view PartTag(std::string_view Name) {
  if (Name.size() <= KPartExt.size() || Name.substr(Name.size() - KPartExt.size()) != KPartExt) return {};
  const std::string_view stem = Name.substr(0, Name.size() - KPartExt.size());
  const size_t dot = stem.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string_view() : stem.substr(dot + 1);
}

// Removes Path when it is still a stale temporary file of ours that nobody holds the lock of.
bool RemoveIfAbandoned(const std::string& Path) {
  // O_NOFOLLOW: a link under such a name is not followed; what is checked is what was opened.
  const TFd file(::open(Path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened, named;
  if (!file.Valid() || ::fstat(file.Get(), &opened) != 0) return false;
  if (!S_ISREG(opened.st_mode) || opened.st_uid != ::geteuid()) return false;
  if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) return false;
  // The name must still lead to the file that was checked.
  if (::lstat(Path.c_str(), &named) != 0 || named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
    return false;
  return ::unlink(Path.c_str()) == 0;
}

}  // namespace

TPendingFile::TPendingFile(std::string Target) : FTarget(std::move(Target)) {
  // A folder under the target's name could never be replaced: refuse now rather than after writing.
  struct stat info {};
  if (::stat(FTarget.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    FErrno = EISDIR;
    return;
  }
  // The name starts with the target's own so that a leftover is recognisable to the user too; the
  // tag keeps two exports into the same folder apart and tells a later one whose file it was.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = FTarget + "." + NewProcessTag() + std::string(KPartExt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      // Until the lock is taken, the PID in the name keeps the file from other runs' sweeps.
      ::flock(fd, LOCK_EX | LOCK_NB);
      FLock = fd;
      FTemp = name;
      return;
    }
    FErrno = errno;
    if (FErrno != EEXIST) return;
  }
}

TPendingFile::~TPendingFile() {
  if (!FTemp.empty() && !FCommitted) ::unlink(FTemp.c_str());
  if (FLock >= 0) ::close(FLock);
}

bool TPendingFile::Commit(const std::atomic<bool>* Cancel) {
  if (FTemp.empty()) return false;
  {
    TFd file(::open(FTemp.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0) {
      FErrno = errno;
      return false;
    }
    if ((FErrno = SyncToDisk(file.Get())) != 0) return false;
  }
  // The flush of a large album takes a while; a cancel that came meanwhile still counts.
  if (Cancel && Cancel->load()) {
    FErrno = ECANCELED;
    return false;
  }
  if (::rename(FTemp.c_str(), FTarget.c_str()) != 0) {
    FErrno = errno;
    return false;
  }
  FCommitted = true;
  SyncFolderOf(FTarget);
  return true;
}

size_t RemoveStalePendingFiles(const std::string& Folder) {
  // The names are gathered first: nothing is removed while the folder is being read.
  std::vector<std::string> candidates;
  std::error_code error;
  const std::filesystem::path folder =
      Folder.empty() ? std::filesystem::path(".") : std::filesystem::path(Folder);
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const pid_t pid = ProcessTagPid(PartTag(name));
    if (pid > 0 && ProcessGone(pid)) candidates.push_back(it->path().string());
  }
  size_t removed = 0;
  for (const std::string& path : candidates)
    if (RemoveIfAbandoned(path)) ++removed;
  return removed;
}
