#include "platform/UnixFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

int TFd::Close() {
  if (FFd < 0) return 0;
  const int result = ::close(FFd);
  FFd = -1;
  return result;
}

bool ReadFully(int Fd, void* Data, size_t Size) {
  auto* at = static_cast<uint8_t*>(Data);
  while (Size > 0) {
    const ssize_t n = ::read(Fd, at, Size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = 0;
      return false;
    }
    at += n;
    Size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAt(int Fd, uint64_t Offset, void* Data, size_t Size) {
  auto* at = static_cast<uint8_t*>(Data);
  while (Size > 0) {
    const ssize_t n = ::pread(Fd, at, Size, static_cast<off_t>(Offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = 0;
      return false;
    }
    at += n;
    Offset += static_cast<uint64_t>(n);
    Size -= static_cast<size_t>(n);
  }
  return true;
}

int OpenRegularFile(const char* FileName, TFd& Fd, uint64_t* Size) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; regular files ignore it.
  TFd fd(::open(FileName, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.Valid()) return errno;
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (Size) *Size = static_cast<uint64_t>(st.st_size);
  Fd = std::move(fd);
  return 0;
}

namespace {

template <class TBytes>
int ReadRegular(const char* FileName, TBytes& Bytes, uint64_t MaxSize, bool* Opened) {
  Bytes.clear();
  if (Opened) *Opened = false;
  TFd fd;
  uint64_t size = 0;
  if (const int error = OpenRegularFile(FileName, fd, &size)) return error;
  if (size > MaxSize) return EFBIG;
  if (Opened) *Opened = true;
  try {
    // One read for the size the file has now; the loop goes on to the real end should it grow.
    size_t done = 0;
    Bytes.resize(static_cast<size_t>(size) + 1);
    for (;;) {
      if (done == Bytes.size()) {
        if (Bytes.size() > MaxSize) return EFBIG;
        Bytes.resize(Bytes.size() * 2);
      }
      const ssize_t n = ::read(fd.Get(), Bytes.data() + done, Bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    if (done > MaxSize) return EFBIG;
    Bytes.resize(done);
  } catch (const std::bad_alloc&) {
    Bytes.clear();
    return ENOMEM;
  }
  return 0;
}

}  // namespace

int ReadRegularFile(const char* FileName, std::string& Bytes, uint64_t MaxSize, bool* Opened) {
  return ReadRegular(FileName, Bytes, MaxSize, Opened);
}

int ReadRegularFile(const char* FileName, std::vector<uint8_t>& Bytes, uint64_t MaxSize, bool* Opened) {
  return ReadRegular(FileName, Bytes, MaxSize, Opened);
}

int ReadFileHead(const char* FileName, std::vector<uint8_t>& Bytes, size_t MaxSize) {
  Bytes.clear();
  TFd fd;
  uint64_t size = 0;
  if (const int error = OpenRegularFile(FileName, fd, &size)) return error;
  try {
    Bytes.resize(std::min<uint64_t>(MaxSize, size));
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  size_t done = 0;
  while (done < Bytes.size()) {
    const ssize_t n = ::read(fd.Get(), Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Bytes.clear();
      return errno;
    }
    if (n == 0) break;  // the file shrank since fstat
    done += static_cast<size_t>(n);
  }
  Bytes.resize(done);
  return 0;
}
