#pragma once
// TFileVerdicts: what a costly check found about a file, remembered for as long as the file stays
// exactly as it was, in a small file of the per-user cache folder ($XDG_CACHE_HOME/quirvel, by default
// ~/.cache/quirvel).
//
// A file is known by its identity (TFileIdentity): its absolute path, device and inode, size, and its
// modification and status-change times to the nanosecond. Any write to the file changes at least one
// of them (the status-change time cannot be set back by anyone), and so does replacing it by another
// file under the same name; a verdict is only ever returned for the identical identity. A file whose
// status changed less than SettleSeconds before it was identified may still be changed within the
// same tick of the file system's clock without any of its times moving, so its verdict is not kept.
//
// The verdict is a short word of the caller's choosing (no tabs or line breaks; longer than
// KMaxVerdict, it is not kept). The cache file is read when first needed; a file that cannot be read
// or that is damaged in any way counts as empty and is written anew by Save. Save writes through
// ReplaceFileSafely only when something was added; a folder that cannot be made or written means no
// cache: Save then returns false and nothing else happens. An empty FileName means no cache at all.
//
// Find and Remember may be called from any thread at once; Save from one thread, when no other call
// runs. Of many verdicts, the KMaxEntries used last are kept.

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

struct TFileIdentity {
  std::string Path;  // absolute
  uint64_t Device = 0, Inode = 0, Size = 0;
  int64_t ModifiedSeconds = 0, ModifiedNanos = 0, ChangedSeconds = 0, ChangedNanos = 0;
  bool operator==(const TFileIdentity&) const = default;
};

// The identity of the file Path names (following links), from stat; false when it cannot be had.
bool IdentifyFile(const std::string& Path, TFileIdentity& Identity);
// Reads the first Size bytes of the file Identity names into Bytes, only while it has exactly that
// identity from before it is opened until it was read; false (Bytes empty) otherwise.
bool ReadIdenticalFile(const TFileIdentity& Identity, size_t Size, std::string& Bytes);

class TFileVerdicts {
 public:
  static constexpr size_t KMaxEntries = 20000;
  static constexpr size_t KMaxVerdict = 32;

  explicit TFileVerdicts(std::string FileName, int SettleSeconds = 2);
  TFileVerdicts(const TFileVerdicts&) = delete;
  TFileVerdicts& operator=(const TFileVerdicts&) = delete;

  // $XDG_CACHE_HOME/quirvel/Name, with ~/.cache when XDG_CACHE_HOME is not an absolute path; empty
  // when neither gives a folder.
  static std::string UserCacheFile(const std::string& Name);

  // The verdict remembered for exactly this identity, if any.
  std::optional<std::string> Find(const TFileIdentity& Identity);
  // Remembers Verdict for Identity, replacing whatever was known about its path.
  void Remember(const TFileIdentity& Identity, const std::string& Verdict);
  // Writes the cache file when something was remembered since it was read (see above).
  bool Save();
  const std::string& FileName() const { return FFileName; }

 private:
  struct TEntry {
    TFileIdentity Identity;
    std::string Verdict;
    uint64_t Used = 0;
  };
  void LoadOnce();  // under FLock
  bool Settled(const TFileIdentity& Identity) const;

  const std::string FFileName;
  const int FSettleSeconds;
  std::mutex FLock;
  bool FLoaded = false;
  bool FChanged = false;
  uint64_t FUse = 0;
  std::map<std::string, TEntry> FEntries;  // by path
};
