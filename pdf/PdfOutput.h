#pragma once
// TPdfOutput: the writer's output file. Bytes go through one large buffer to a TSafeFile (SafeFile.h),
// and the number of bytes written so far is counted here: that count is the offset every object and
// the cross-reference table record, so the file is never asked for its position.
//
// A target written to directly (a pipe, a device, standard output) cannot be written over afterwards:
// there everything is held back in memory until EndHold says no Overwrite can come any more.
//
// Failures: Open returns false when the file cannot be created. Write, Flush and Close throw
// TSystemError ("schreiben" / "speichern", the file name, errno) when the system refuses the bytes;
// the buffer is then dropped and the file stays as far as it got. The destructor closes without
// throwing and without flushing what a failed write left behind.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/SafeFile.h"

class TPdfOutput {
 public:
  TPdfOutput();
  ~TPdfOutput();
  TPdfOutput(const TPdfOutput&) = delete;
  TPdfOutput& operator=(const TPdfOutput&) = delete;

  // Writes to a TSafeFile of its own for FileName, committed by Close; false (errno set) when it
  // cannot be created. Any file still open is abandoned first.
  bool Open(const std::string& FileName);
  // Writes to File, which the caller owns and commits after Close. False (errno set) when File was
  // not created.
  bool Open(TSafeFile& File);
  bool IsOpen() const { return FOut != nullptr; }
  void Write(const void* Data, size_t Size);
  void Write(std::string_view Text) { Write(Text.data(), Text.size()); }
  // Writes Size bytes over bytes written before at Offset (the header's version, say); the count of
  // bytes written stays. Throws like Write.
  void Overwrite(uint64_t Offset, const void* Data, size_t Size);
  // Bytes handed to Write since Open, buffered or not.
  uint64_t Position() const { return FPosition; }
  // From now on nothing is written over any more: what was held back for a direct target goes out.
  void EndHold();
  // Writes the buffer out and, for a file of its own, commits it; nothing when no file is open.
  void Close();
  // Closes without writing the buffer and without reporting errors: the way out after a failure.
  void Abandon();

  static constexpr size_t BufferSize = 256 * 1024;
  // Every this many bytes, the system is asked to start writing what came before to the disk, so that
  // the flush before the file takes its name (a whole album of pictures) has little left to wait for.
  static constexpr uint64_t WritebackStep = 16u << 20;

 private:
  void Flush();
  void WriteOut(const char* Data, size_t Size);

  std::unique_ptr<TSafeFile> FOwned;  // the file Open(FileName) made
  TSafeFile* FOut = nullptr;
  bool FHolding = false;  // a direct target: bytes wait in FHeld until EndHold
  std::string FHeld;
  std::string FFileName;
  std::unique_ptr<char[]> FBuffer;
  size_t FFill = 0;
  uint64_t FPosition = 0;
  uint64_t FWritten = 0;    // bytes handed to the system
  uint64_t FWriteback = 0;  // bytes whose writing to the disk has been started
};
