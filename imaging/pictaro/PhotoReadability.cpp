#include "imaging/pictaro/PhotoReadability.h"

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/PictaroReduced.h"
#include "platform/UnixFile.h"

namespace {

// What tells one version of a file from another.
struct TFileIdentity {
  uint64_t Size = 0, Device = 0, Inode = 0;
  int64_t ModifiedSeconds = 0, ModifiedNanoseconds = 0;
  bool operator==(const TFileIdentity&) const = default;
};

bool IdentityOf(const std::string& FileName, TFileIdentity& Identity) {
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  Identity = {static_cast<uint64_t>(st.st_size), static_cast<uint64_t>(st.st_dev),
              static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_mtim.tv_sec),
              static_cast<int64_t>(st.st_mtim.tv_nsec)};
  return true;
}

struct TVerdict {
  TFileIdentity Identity;
  bool Readable = false;
};

class TVerdicts {
 public:
  int Find(const std::string& FileName, const TFileIdentity& Identity) {
    const std::lock_guard lock(FLock);
    const auto found = FVerdicts.find(FileName);
    if (found == FVerdicts.end() || !(found->second.Identity == Identity)) return -1;
    return found->second.Readable ? 1 : 0;
  }
  void Put(const std::string& FileName, const TFileIdentity& Identity, bool Readable) {
    const std::lock_guard lock(FLock);
    FVerdicts[FileName] = {Identity, Readable};
  }

 private:
  std::mutex FLock;
  std::map<std::string, TVerdict> FVerdicts;
};

TVerdicts& Verdicts() {
  static TVerdicts verdicts;
  return verdicts;
}

// Decodes the file's picture at the smallest size its decoder offers; every scan of a JPEG is read.
bool Decodes(const std::string& FileName) {
  std::vector<uint8_t> bytes;
  if (ReadRegularFile(FileName.c_str(), bytes, KMaxPictureFileSize) != 0 || bytes.empty()) return false;
  TDib dib{};
  int width = 0, height = 0;
  if (!DecodePictureAtLeast(bytes.data(), bytes.size(), PictureFormatFor(FileName.c_str(), -1), 1, 1, nullptr,
                            &dib, &width, &height))
    return false;
  deldib(dib);
  return true;
}

}  // namespace

TPictureHeader PhotoReadability(const std::string& FileName) {
  TPictureHeader header = ReadDibHeader(FileName.c_str(), PictureFormatFor(FileName.c_str(), -1));
  if (header.Status != THeaderStatus::Ok) return header;
  TFileIdentity identity;
  if (!IdentityOf(FileName, identity)) return header;  // gone since: the export finds out when it loads
  int verdict = Verdicts().Find(FileName, identity);
  if (verdict < 0) {
    verdict = Decodes(FileName) ? 1 : 0;
    TFileIdentity after;
    // A file that changed while it was decoded is judged again next time.
    if (IdentityOf(FileName, after) && after == identity) Verdicts().Put(FileName, identity, verdict == 1);
  }
  if (verdict == 0) header = TPictureHeader{};  // NotAPicture
  return header;
}

int RememberedReadability(const std::string& FileName) {
  TFileIdentity identity;
  if (!IdentityOf(FileName, identity)) return -1;
  return Verdicts().Find(FileName, identity);
}

void RememberReadability(const std::string& FileName, bool Readable) {
  TFileIdentity identity;
  if (IdentityOf(FileName, identity)) Verdicts().Put(FileName, identity, Readable);
}
