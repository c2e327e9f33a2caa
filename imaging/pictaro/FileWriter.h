#pragma once
// A file being written by an encoder: closed by its destructor, and removed again unless the writer
// declared it complete, so that a failed write never leaves half a picture behind.

#include <sys/stat.h>

#include <cstdio>
#include <string>

namespace pictaro {

class TOutputFile {
 public:
  explicit TOutputFile(const std::string& FileName)
      : FName(FileName), FFile(std::fopen(FileName.c_str(), "wb")) {
    // Only a regular file is ours to remove after a failure; never a device such as /dev/full.
    struct stat st {};
    FRegular = FFile && ::fstat(::fileno(FFile), &st) == 0 && S_ISREG(st.st_mode);
  }
  ~TOutputFile() {
    if (FFile) std::fclose(FFile);
    if (!FDone && FRegular) std::remove(FName.c_str());
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
    return FDone;
  }

 private:
  std::string FName;
  FILE* FFile;
  bool FDone = false;
  bool FRegular = false;
};

}  // namespace pictaro
