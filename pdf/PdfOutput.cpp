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
  auto owned = std::make_unique<TSafeFile>(FileName);
  if (!owned->Created()) {
    errno = owned->Errno();
    return false;
  }
  FOwned = std::move(owned);
  return Open(*FOwned);
}

bool TPdfOutput::Open(TSafeFile& File) {
  if (&File != FOwned.get()) Abandon();
  if (!File.Created()) {
    errno = File.Errno();
    return false;
  }
  FOut = &File;
  FFileName = File.Target();
  FHolding = File.Direct();
  FHeld.clear();
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
  // The part still in the buffer is changed there; the part held back or in the file, in place.
  for (size_t i = 0; i < Size; ++i) {
    const uint64_t at = Offset + i;
    if (at >= FWritten && at - FWritten < FFill) FBuffer[static_cast<size_t>(at - FWritten)] = bytes[i];
  }
  if (Offset >= FWritten) return;
  if (FHolding) {
    const size_t held = static_cast<size_t>(std::min<uint64_t>(Size, FWritten - Offset));
    FHeld.replace(static_cast<size_t>(Offset), held, bytes, held);
    return;
  }
  if (!FOut || FOut->Direct()) {
    errno = ESPIPE;
    ThrowSystemError("schreiben", FFileName);
  }
  const size_t inFile = static_cast<size_t>(std::min<uint64_t>(Size, FWritten - Offset));
  for (size_t done = 0; done < inFile;) {
    const ssize_t n = ::pwrite(FOut->Fd(), bytes + done, inFile - done, static_cast<off_t>(Offset + done));
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
  if (FHolding) {
    FHeld.append(Data, Size);
    FWritten += Size;
    return;
  }
  if (const int error = FOut->Write(Data, Size)) {
    errno = error;
    ThrowSystemError("schreiben", FFileName);
  }
  FWritten += Size;
  if (!FOut->Direct() && FWritten - FWriteback >= WritebackStep) {
    // Only a request to start: it neither waits nor fails the write; the flush at the end checks.
    ::sync_file_range(FOut->Fd(), static_cast<off_t>(FWriteback), static_cast<off_t>(FWritten - FWriteback),
                      SYNC_FILE_RANGE_WRITE);
    FWriteback = FWritten;
  }
}

void TPdfOutput::EndHold() {
  if (!FHolding) return;
  FHolding = false;
  const std::string held = std::move(FHeld);
  FHeld.clear();
  FWritten -= held.size();
  WriteOut(held.data(), held.size());
}

void TPdfOutput::Close() {
  if (!FOut) return;
  Flush();
  EndHold();
  FOut = nullptr;
  if (FOwned) {
    const std::unique_ptr<TSafeFile> owned = std::move(FOwned);
    if (!owned->Commit()) {
      errno = owned->Errno();
      ThrowSystemError("speichern", FFileName);
    }
  }
}

void TPdfOutput::Abandon() {
  FOut = nullptr;
  FOwned.reset();
  FHolding = false;
  FHeld.clear();
  FFill = 0;
}
