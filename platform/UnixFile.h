#pragma once
// Small owners and loops around the system's file calls, shared by every reader and writer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Owns a file descriptor and closes it when it dies.
class TFd {
 public:
  explicit TFd(int Fd = -1) : FFd(Fd) {}
  ~TFd() { Close(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  TFd(TFd&& Other) noexcept : FFd(Other.Release()) {}
  TFd& operator=(TFd&& Other) noexcept {
    if (this != &Other) {
      Close();
      FFd = Other.Release();
    }
    return *this;
  }

  int Get() const { return FFd; }
  // Gives the descriptor up without closing it.
  int Release() {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }
  bool Valid() const { return FFd >= 0; }
  // Closes now, so that a failing close can be reported; returns close's result (0 when none was open).
  int Close();

 private:
  int FFd;
};

// Reads exactly Size bytes at the current position, retrying after signals. False on an error or when
// the file ends first (errno is then 0).
bool ReadFully(int Fd, void* Data, size_t Size);

// Reads exactly Size bytes at Offset (pread), retrying after signals; as ReadFully otherwise.
bool ReadAt(int Fd, uint64_t Offset, void* Data, size_t Size);

// Opens a regular file for reading into Fd without blocking on a FIFO or device, which are refused.
// Returns 0, or the errno of the failure (EISDIR for a folder, EINVAL for anything else that is not a
// regular file). Size, when given, receives the file's size.
int OpenRegularFile(const char* FileName, TFd& Fd, uint64_t* Size = nullptr);

// Reads a whole regular file into Bytes, to its real end. A FIFO, device or folder is refused without
// blocking. Returns 0, or the errno of the failure (EFBIG for a file larger than MaxSize, EINVAL for
// something that is not a regular file, EISDIR for a folder). Opened, when given, tells whether the
// failure came after the file was open (a read error) or before (it could not be opened at all).
int ReadRegularFile(const char* FileName, std::string& Bytes, uint64_t MaxSize = UINT64_MAX,
                    bool* Opened = nullptr);
int ReadRegularFile(const char* FileName, std::vector<uint8_t>& Bytes, uint64_t MaxSize = UINT64_MAX,
                    bool* Opened = nullptr);

// Reads the first bytes of a regular file, at most MaxSize of them (fewer when the file is shorter), for
// readers that need only what a file says at its start. Refuses what ReadRegularFile refuses, without
// blocking. Returns 0 or the errno of the failure.
int ReadFileHead(const char* FileName, std::vector<uint8_t>& Bytes, size_t MaxSize);
