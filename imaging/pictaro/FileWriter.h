#pragma once
// A file being written by an encoder: closed by its destructor, and removed again unless the writer
// declared it complete, so that a failed write never leaves half a picture behind.

#include <cstdio>
#include <string>

namespace pictaro {

class TOutputFile {
public:
  explicit TOutputFile(const std::string& FileName)
      : FName(FileName), FFile(std::fopen(FileName.c_str(), "wb")) {}
  ~TOutputFile() {
    if (FFile) std::fclose(FFile);
    if (!FDone && FOpened()) std::remove(FName.c_str());
  }
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  FILE* Get() const { return FFile; }
  bool Write(const void* Data, size_t Size) { return FFile && std::fwrite(Data, 1, Size, FFile) == Size; }
  // Flushes and closes; true when everything reached the file. The file stays only then.
  bool Finish() {
    if (!FFile) return false;
    const bool ok = std::ferror(FFile) == 0 && std::fflush(FFile) == 0;
    const bool closed = std::fclose(FFile) == 0;
    FFile = nullptr;
    FDone = ok && closed;
    FClosedAfterOpen = true;
    return FDone;
  }

private:
  bool FOpened() const { return FFile != nullptr || FClosedAfterOpen; }
  std::string FName;
  FILE* FFile;
  bool FDone = false;
  bool FClosedAfterOpen = false;
};

}  // namespace pictaro
