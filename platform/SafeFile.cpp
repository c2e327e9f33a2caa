#include "platform/SafeFile.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#include "platform/ProcessTag.h"
#include "platform/UnixFile.h"

namespace {

constexpr std::string_view KPartExt = ".part";
// How long one wait for a pipe's reader, or for room in it, lasts before the cancel flag is looked at
// again. A signal ends the wait at once; a flag set from another thread is seen after this.
constexpr int KWaitStepMs = 100;
// Links followed before the name counts as a loop, as the kernel does.
constexpr int KMaxLinks = 40;

// Replaced only by tests; read by every thread that writes a file.
std::atomic<TWriteFunction> GWrite{nullptr};
std::atomic<TSyncFunction> GSync{nullptr};

ssize_t DoWrite(int Fd, const void* Data, size_t Count) {
  const TWriteFunction write = GWrite.load();
  return write ? write(Fd, Data, Count) : ::write(Fd, Data, Count);
}

std::string FolderOf(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

// The name a chain of symbolic links starting at Path ends at: an existing file that is no link, or
// the absent name the last link points to. A link's relative contents count from the link's folder.
std::string FollowLinks(std::string Path) {
  for (int hop = 0; hop < KMaxLinks; ++hop) {
    struct stat st;
    if (::lstat(Path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return Path;
    std::string contents(static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + PATH_MAX, '\0');
    const ssize_t n = ::readlink(Path.c_str(), contents.data(), contents.size());
    if (n <= 0) return Path;
    contents.resize(static_cast<size_t>(n));
    Path = contents[0] == '/' ? contents : FolderOf(Path) + contents;
  }
  return Path;
}

// The longest name the folder can hold; 255 where the system does not say.
size_t MaxNameIn(const std::string& Folder) {
  const long max = ::pathconf(Folder.empty() ? "." : Folder.c_str(), _PC_NAME_MAX);
  return max > 0 ? static_cast<size_t>(max) : 255;
}

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

// Each folder is swept once per run, before the run's first temporary file there.
void SweepOnce(const std::string& Folder) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!swept.insert(Folder).second) return;
  }
  RemoveStaleTemporaries(Folder);
}

}  // namespace

void TInputFiles::Add(const std::string& Path) {
  struct stat st;
  if (::stat(Path.c_str(), &st) == 0) FFiles.push_back({st.st_dev, st.st_ino, Path});
}

std::string TInputFiles::Find(const std::string& Path) const {
  struct stat st;
  if (FFiles.empty() || ::stat(Path.c_str(), &st) != 0) return {};
  for (const TEntry& entry : FFiles)
    if (entry.Device == st.st_dev && entry.Inode == st.st_ino) return entry.Name;
  return {};
}

TSafeFile::TSafeFile(std::string Target, TSafeFileOptions Options)
    : FTarget(std::move(Target)), FOptions(Options) {
  if (FOptions.DashIsStandardOutput && FTarget == "-") {
    FFd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (FFd < 0) FErrno = errno;
    FOwnStream = false;
    struct stat out;
    FWaits = FFd >= 0 && ::fstat(FFd, &out) == 0 && !S_ISREG(out.st_mode);  // a file never makes us wait
    return;
  }
  if (FOptions.Inputs) {
    FInput = FOptions.Inputs->Find(FTarget);
    if (!FInput.empty()) {
      FErrno = EEXIST;
      return;
    }
  }
  // What the name leads to decides the way: a magic link of /proc leads to a pipe without naming one,
  // so the kind is asked of the name itself, and links are only followed by hand towards a file.
  struct stat info;
  if (::stat(FTarget.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      FErrno = EISDIR;
    } else if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
      OpenDirect(FTarget, S_ISFIFO(info.st_mode));
    } else if (!S_ISREG(info.st_mode)) {
      FErrno = ENXIO;  // a block device or a socket
    } else {
      const std::string final = FollowLinks(FTarget);
      struct stat named;
      if (::lstat(final.c_str(), &named) != 0 || named.st_dev != info.st_dev || named.st_ino != info.st_ino)
        FErrno = ENXIO;  // a link whose file has no name to replace
      else
        OpenBeside(final);
    }
    return;
  }
  if (errno != ENOENT) {
    FErrno = errno;
    return;
  }
  OpenBeside(FollowLinks(FTarget));
}

void TSafeFile::OpenDirect(const std::string& Name, bool Pipe) {
  // Opened without blocking: a pipe without a reader is waited for here, where the cancel flag is seen.
  for (;;) {
    FFd = ::open(Name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (FFd >= 0) {
      FWaits = true;
      return;
    }
    if (errno == EINTR) continue;
    if (errno != ENXIO || !Pipe) {
      FErrno = errno;
      return;
    }
    if (Cancelled()) {
      FErrno = ECANCELED;
      return;
    }
    ::poll(nullptr, 0, KWaitStepMs);
  }
}

void TSafeFile::OpenBeside(const std::string& Final) {
  FFolder = FolderOf(Final);
  FFinal = Final.substr(FFolder.size());
  const size_t maxName = MaxNameIn(FFolder);
  if (FFinal.size() > maxName) {
    FErrno = ENAMETOOLONG;
    return;
  }
  SweepOnce(FFolder.empty() ? "." : FFolder);
  struct stat old;
  const bool replacing = ::stat(Final.c_str(), &old) == 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = FFolder + TemporaryNameFor(FFinal, NewProcessTag(), maxName);
    // O_EXCL: an existing file, or a link planted under the name, is never used.
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, FOptions.NewFileMode);
    if (fd < 0) {
      FErrno = errno;
      if (FErrno == EEXIST) continue;
      return;
    }
    // Until the lock is taken, the PID in the name keeps the file from other runs' sweeps.
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (replacing) {
      // Only cosmetic: a failure leaves the owner us and the mode of a new file.
      [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
      ::fchmod(fd, old.st_mode & 07777);
    }
    FFd = fd;
    FTemp = name;
    FErrno = 0;
    return;
  }
}

TSafeFile::~TSafeFile() {
  if (!FTemp.empty() && !FCommitted) ::unlink(FTemp.c_str());
  if (FFd >= 0) ::close(FFd);
}

int TSafeFile::WaitUntilWritable() {
  for (;;) {
    if (Cancelled()) return ECANCELED;
    pollfd wanted{FFd, POLLOUT, 0};
    const int ready = ::poll(&wanted, 1, KWaitStepMs);
    if (ready > 0) return 0;  // writable, or an error the write reports
    if (ready < 0 && errno != EINTR) return errno;
  }
}

int TSafeFile::Write(const void* Data, size_t Size) {
  if (FFd < 0) return EBADF;
  const char* bytes = static_cast<const char*>(Data);
  while (Size > 0) {
    size_t chunk = Size;
    if (FWaits && !FOwnStream) {
      // Standard output is shared and stays blocking: it is waited for first, and given no more
      // than a pipe takes at once once it is writable.
      if (const int error = WaitUntilWritable()) return error;
      chunk = std::min<size_t>(Size, PIPE_BUF);
    }
    const ssize_t n = DoWrite(FFd, bytes, chunk);
    if (n < 0 && errno == EINTR) {
      if (Cancelled()) return ECANCELED;
      continue;
    }
    if (n < 0 && errno == EAGAIN) {  // a pipe or device of our own, opened without blocking, is full
      if (const int error = WaitUntilWritable()) return error;
      continue;
    }
    if (n <= 0) return n < 0 ? errno : ENOSPC;  // a write that makes no progress means the disk is full
    bytes += n;
    Size -= static_cast<size_t>(n);
  }
  return 0;
}

bool TSafeFile::Commit() {
  if (FFd < 0 || FCommitted) return false;
  if (Direct()) {
    FCommitted = true;
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
      FErrno = errno;
      return false;
    }
    return true;
  }
  if (FOptions.Durable && (FErrno = SyncToDisk(FFd)) != 0) return false;
  // The flush of a large file takes a while; a cancel that came meanwhile still counts.
  if (Cancelled()) {
    FErrno = ECANCELED;
    return false;
  }
  const std::string final = FFolder + FFinal;
  // What took the target's name meanwhile must still be a file we may replace.
  struct stat now;
  if (::lstat(final.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
    FErrno = S_ISDIR(now.st_mode) ? EISDIR : ENXIO;
    return false;
  }
  if (::rename(FTemp.c_str(), final.c_str()) != 0) {
    FErrno = errno;
    return false;
  }
  FCommitted = true;
  if (FOptions.Durable) SyncFolderOf(final);
  return true;
}

std::FILE* SafeFileStream(TSafeFile& File) {
  cookie_io_functions_t io{};
  io.write = [](void* Cookie, const char* Data, size_t Size) -> ssize_t {
    const int error = static_cast<TSafeFile*>(Cookie)->Write(Data, Size);
    if (error == 0) return static_cast<ssize_t>(Size);
    errno = error;
    return -1;
  };
  return ::fopencookie(&File, "w", io);
}

std::string TemporaryNameFor(const std::string& Name, const std::string& Tag, size_t MaxName) {
  const size_t added = 1 + Tag.size() + KPartExt.size();
  size_t keep = Name.size();
  if (keep + added > MaxName) {
    keep = MaxName > added ? MaxName - added : 0;
    // Never between the bytes of one character.
    while (keep > 0 && (static_cast<unsigned char>(Name[keep]) & 0xC0) == 0x80) --keep;
  }
  return Name.substr(0, keep) + "." + Tag + std::string(KPartExt);
}

size_t RemoveStaleTemporaries(const std::string& Folder) {
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

void SetWriteFunction(TWriteFunction Function) { GWrite = Function; }
void SetSyncFunction(TSyncFunction Function) { GSync = Function; }

int SyncToDisk(int Fd) {
  for (;;) {
    const TSyncFunction sync = GSync.load();
    if ((sync ? sync(Fd) : ::fsync(Fd)) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

void SyncFolderOf(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : Path.substr(0, slash);
  TFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
}

TFileResult ReadWholeFile(const std::string& FileName, std::string& Bytes) {
  bool opened = false;
  const int error = ReadRegularFile(FileName.c_str(), Bytes, UINT64_MAX, &opened);
  if (error) return TFileResult{opened ? TFileStatus::ReadFailed : TFileStatus::CannotOpen, error};
  return {};
}

TFileResult ReplaceFileSafely(const std::string& FileName, const std::string& Bytes) {
  TSafeFile file(FileName);
  if (!file.Created()) return TFileResult{TFileStatus::CannotCreate, file.Errno()};
  if (const int error = file.Write(Bytes.data(), Bytes.size())) return TFileResult{TFileStatus::WriteFailed, error};
  if (!file.Commit())
    return TFileResult{file.Direct() || file.Errno() == ECANCELED ? TFileStatus::WriteFailed : TFileStatus::RenameFailed,
                       file.Errno()};
  return {};
}

std::string SystemErrorText(int Errno) {
  switch (Errno) {
    case ENOSPC: return "Auf dem Datenträger ist kein Platz mehr frei.";
    case EDQUOT: return "Das Speicherkontingent ist erschöpft.";
    case EACCES:
    case EPERM: return "Zugriff verweigert.";
    case ENOENT: return "Datei oder Ordner nicht gefunden.";
    case EROFS: return "Der Datenträger ist schreibgeschützt.";
    case EISDIR: return "Das ist ein Ordner.";
    case EIO: return "Ein-/Ausgabefehler.";
    case ENAMETOOLONG: return "Der Dateiname ist für das Dateisystem zu lang.";
    case EXDEV: return "Die Datei liegt auf einem anderen Datenträger.";
    case ENXIO: return "Das ist weder eine gewöhnliche Datei noch eine Pipe oder ein zeichenorientiertes Gerät.";
    case EPIPE: return "Der Empfänger hat die Pipe geschlossen.";
    case ECANCELED: return "Abgebrochen.";
    default: return std::string("Systemfehler ") + std::to_string(Errno) + " (" + std::strerror(Errno) + ").";
  }
}
