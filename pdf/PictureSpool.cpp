// Temporary files and pictures of the PDF writer's spool.

#include "pdf/PictureSpool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/SystemError.h"
#include "platform/TempFolder.h"

TTempFile::TTempFile(const std::string& Prefix, const std::string& Ext)
    : FPath(CreateUniqueTempFile(Prefix, Ext)) {}

TTempFile& TTempFile::operator=(TTempFile&& Other) noexcept {
  if (this != &Other) {
    Remove();
    FPath = std::move(Other.FPath);
    Other.FPath.clear();
  }
  return *this;
}

void TTempFile::Remove() noexcept {
  if (FPath.empty()) return;
  ::unlink(FPath.c_str());
  FPath.clear();
}

TDib TDibHolder::Release() {
  const TDib dib = FDib;
  FDib = TDib{};
  return dib;
}

void TDibHolder::Reset() {
  deldib(FDib);
  FDib = TDib{};
}

TPictureSpool::TPictureSpool()
    : FFile("temppdfimg", ".spool"), FFd(::open(FFile.CPath(), O_RDWR | O_CLOEXEC | O_NOFOLLOW)) {
  if (!FFd.Valid()) ThrowSystemError("zwischenspeichern", FFile.Path());
}

uint64_t TPictureSpool::Append(std::string_view First, std::string_view Second) {
  uint64_t start = 0;
  {
    std::lock_guard<std::mutex> lock(FLock);
    start = FEnd;
    FEnd += First.size() + Second.size();
  }
  // Each caller writes its own part of the file, so the writing itself needs no lock.
  uint64_t at = start;
  for (std::string_view part : {First, Second}) {
    while (!part.empty()) {
      const ssize_t n = ::pwrite(FFd.Get(), part.data(), part.size(), static_cast<off_t>(at));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = ENOSPC;
        ThrowSystemError("zwischenspeichern", FFile.Path());
      }
      part.remove_prefix(static_cast<size_t>(n));
      at += static_cast<uint64_t>(n);
    }
  }
  return start;
}

bool TPictureSpool::Read(uint64_t Offset, size_t Size, std::string& Bytes) const {
  Bytes.resize(Size);
  size_t done = 0;
  while (done < Size) {
    const ssize_t n = ::pread(FFd.Get(), Bytes.data() + done, Size - done, static_cast<off_t>(Offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Bytes.clear();
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}
