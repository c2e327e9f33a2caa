#include "export/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/SafeFile.h"
#include "platform/UnixFile.h"

TPendingFile::TPendingFile(std::string Target) : FTarget(std::move(Target)) {
  // A folder under the target's name could never be replaced: refuse now rather than after writing.
  struct stat info {};
  if (::stat(FTarget.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    FErrno = EISDIR;
    return;
  }
  // The name starts with the target's own so that a leftover (after a power cut) is recognisable; the
  // random part keeps two exports into the same folder apart.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(random()));
    const std::string name = FTarget + suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      FTemp = name;
      return;
    }
    FErrno = errno;
    if (FErrno != EEXIST) return;
  }
}

TPendingFile::~TPendingFile() {
  if (!FTemp.empty() && !FCommitted) ::unlink(FTemp.c_str());
}

bool TPendingFile::Commit() {
  if (FTemp.empty()) return false;
  {
    TFd file(::open(FTemp.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (file.Get() < 0) {
      FErrno = errno;
      return false;
    }
    if ((FErrno = SyncToDisk(file.Get())) != 0) return false;
  }
  if (::rename(FTemp.c_str(), FTarget.c_str()) != 0) {
    FErrno = errno;
    return false;
  }
  FCommitted = true;
  SyncFolderOf(FTarget);
  return true;
}
