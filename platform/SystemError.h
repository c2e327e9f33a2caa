#pragma once
// The one exception type for failed input and output: the file concerned and errno travel with it.

#include <cerrno>
#include <stdexcept>
#include <string>

class TSystemError : public std::runtime_error {
 public:
  // What: what failed ("schreiben", "öffnen", ...); FileName: the file; Errno: the C library's code.
  TSystemError(const std::string& What, const std::string& FileName, int Errno);

  const std::string& FileName() const { return FFileName; }
  int ErrorCode() const { return FErrno; }

 private:
  std::string FFileName;
  int FErrno;
};

// Throws TSystemError with the current errno.
[[noreturn]] void ThrowSystemError(const std::string& What, const std::string& FileName);
