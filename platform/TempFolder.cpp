#include "platform/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/SystemError.h"

namespace {

class TPrivateFolder {
 public:
  TPrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base && *base) ? base : "/tmp";
    if (pattern.back() != '/') pattern += '/';
    pattern += "quirvel-XXXXXX";
    if (!mkdtemp(pattern.data())) ThrowSystemError("Temporärer Ordner", pattern);
    FPath = pattern + "/";
  }
  ~TPrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

bool Exists(const std::string& Name) {
  struct stat st;
  return lstat(Name.c_str(), &st) == 0;
}

}  // namespace

const std::string& TempFolder() {
  static TPrivateFolder folder;
  return folder.Path();
}

std::string UniqueTempFileName(const std::string& Prefix, const std::string& Ext) {
  const std::string& folder = TempFolder();
  for (unsigned long n = 0;; ++n) {
    std::string name = folder + Prefix + std::to_string(n) + Ext;
    if (!Exists(name)) return name;
  }
}

std::string CreateUniqueTempFile(const std::string& Prefix, const std::string& Ext) {
  const std::string& folder = TempFolder();
  for (unsigned long n = 0;; ++n) {
    std::string name = folder + Prefix + std::to_string(n) + Ext;
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) ThrowSystemError("Temporäre Datei", name);
  }
}
