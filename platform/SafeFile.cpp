#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/UnixFile.h"

namespace {

// Replaced only by tests; read by every thread that writes a file.
std::atomic<TWriteFunction> GWrite{nullptr};
std::atomic<TSyncFunction> GSync{nullptr};

ssize_t DoWrite(int Fd, const void* Data, size_t Count) {
  const TWriteFunction write = GWrite.load();
  return write ? write(Fd, Data, Count) : ::write(Fd, Data, Count);
}

// Owns a file descriptor.

// Removes the temporary file unless the rename made it the target.
class TTempFile {
 public:
  explicit TTempFile(std::string Name) : FName(std::move(Name)) {}
  ~TTempFile() {
    if (!FKept) ::unlink(FName.c_str());
  }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  const std::string& Name() const { return FName; }
  void Keep() { FKept = true; }

 private:
  std::string FName;
  bool FKept = false;
};

TFileResult Fail(TFileStatus Status, int Errno) { return TFileResult{Status, Errno}; }

// The file a link points to, so that saving through a link replaces the file and keeps the link.
std::string ResolveTarget(const std::string& FileName) {
  struct stat st;
  if (::lstat(FileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return FileName;
  char* resolved = ::realpath(FileName.c_str(), nullptr);
  if (!resolved) return FileName;  // a dangling link: replace the link itself
  std::string target(resolved);
  std::free(resolved);
  return target;
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int Fd, const std::string& Bytes, int& Errno) {
  size_t done = 0;
  while (done < Bytes.size()) {
    const ssize_t n = DoWrite(Fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Errno = n < 0 ? errno : ENOSPC;  // a write that makes no progress means the disk is full
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

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
  if (error) return Fail(opened ? TFileStatus::ReadFailed : TFileStatus::CannotOpen, error);
  return {};
}

TFileResult ReplaceFileSafely(const std::string& FileName, const std::string& Bytes) {
  const std::string target = ResolveTarget(FileName);
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  std::vector<char> pattern(folder.begin(), folder.end());
  const std::string suffix = "." + base + ".tmp-XXXXXX";
  pattern.insert(pattern.end(), suffix.begin(), suffix.end());
  pattern.push_back('\0');
  // mkstemp opens with O_CREAT | O_EXCL: an existing file, or a link planted there, is never used.
  TFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd.Get() < 0) return Fail(TFileStatus::CannotCreate, errno);
  TTempFile temp(pattern.data());

  struct stat old;
  const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  ::fchmod(fd.Get(), mode);  // only cosmetic: a failure leaves the safe 0600 of mkstemp

  int err = 0;
  if (!WriteAll(fd.Get(), Bytes, err)) return Fail(TFileStatus::WriteFailed, err);
  if (const int error = SyncToDisk(fd.Get())) return Fail(TFileStatus::WriteFailed, error);
  if (fd.Close() != 0) return Fail(TFileStatus::WriteFailed, errno);
  if (::rename(temp.Name().c_str(), target.c_str()) != 0) return Fail(TFileStatus::RenameFailed, errno);
  temp.Keep();

  SyncFolderOf(target);
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
    case ENAMETOOLONG: return "Der Dateiname ist zu lang.";
    case EXDEV: return "Die Datei liegt auf einem anderen Datenträger.";
    default: return std::string("Systemfehler ") + std::to_string(Errno) + " (" + std::strerror(Errno) + ").";
  }
}
