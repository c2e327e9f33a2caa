#include "pdf/PdfOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>

#include "platform/SystemError.h"

TPdfOutput::TPdfOutput() : FBuffer(new char[BufferSize]) {}

TPdfOutput::~TPdfOutput() { Abandon(); }

bool TPdfOutput::Open(const std::string& FileName) {
  Abandon();
  int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  FFd = fd;
  FFileName = FileName;
  FFill = 0;
  FPosition = 0;
  FWritten = FWriteback = 0;
  return true;
}

void TPdfOutput::Write(const void* Data, size_t Size) {
  if (Size == 0) return;  // an empty view may have no data pointer at all
  const char* bytes = static_cast<const char*>(Data);
  FPosition += Size;
  if (FFill + Size <= BufferSize) {
    std::memcpy(FBuffer.get() + FFill, bytes, Size);
    FFill += Size;
    return;
  }
  Flush();
  if (Size >= BufferSize) {
    WriteOut(bytes, Size);  // a large block (a compressed page) goes straight to the file
  } else {
    std::memcpy(FBuffer.get(), bytes, Size);
    FFill = Size;
  }
}

void TPdfOutput::Overwrite(uint64_t Offset, const void* Data, size_t Size) {
  const char* bytes = static_cast<const char*>(Data);
  // The part still in the buffer is changed there; the part in the file, in place.
  for (size_t i = 0; i < Size; ++i) {
    const uint64_t at = Offset + i;
    if (at >= FWritten && at - FWritten < FFill) FBuffer[static_cast<size_t>(at - FWritten)] = bytes[i];
  }
  if (Offset >= FWritten) return;
  const size_t inFile = static_cast<size_t>(std::min<uint64_t>(Size, FWritten - Offset));
  for (size_t done = 0; done < inFile;) {
    const ssize_t n = ::pwrite(FFd, bytes + done, inFile - done, static_cast<off_t>(Offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ThrowSystemError("schreiben", FFileName);
    done += static_cast<size_t>(n);
  }
}

void TPdfOutput::Flush() {
  size_t fill = FFill;
  FFill = 0;
  WriteOut(FBuffer.get(), fill);
}

void TPdfOutput::WriteOut(const char* Data, size_t Size) {
  while (Size > 0) {
    ssize_t n = ::write(FFd, Data, Size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      ThrowSystemError("schreiben", FFileName);
    }
    Data += n;
    Size -= static_cast<size_t>(n);
    FWritten += static_cast<uint64_t>(n);
  }
  if (FWritten - FWriteback >= WritebackStep) {
    // Only a request to start: it neither waits nor fails the write; the flush at the end checks.
    ::sync_file_range(FFd, static_cast<off_t>(FWriteback), static_cast<off_t>(FWritten - FWriteback),
                      SYNC_FILE_RANGE_WRITE);
    FWriteback = FWritten;
  }
}

void TPdfOutput::Close() {
  if (FFd < 0) return;
  Flush();
  int fd = FFd;
  FFd = -1;
  if (::close(fd) != 0) ThrowSystemError("schließen", FFileName);
}

void TPdfOutput::Abandon() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
  FFill = 0;
}
