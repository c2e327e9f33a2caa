#include "platform/SystemError.h"

#include <cstring>

TSystemError::TSystemError(const std::string& What, const std::string& FileName, int Errno)
    : std::runtime_error(What + " " + FileName + ": " + std::strerror(Errno)),
      FFileName(FileName),
      FErrno(Errno) {}

void ThrowSystemError(const std::string& What, const std::string& FileName) {
  throw TSystemError(What, FileName, errno);
}
