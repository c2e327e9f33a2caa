#include "platform/FileVerdicts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <new>
#include <vector>

#include "platform/SafeFile.h"
#include "platform/UnixFile.h"

namespace {

// The cache file: this first line, then one line per file, fields separated by tabs:
//   verdict, device, inode, size, modified s, modified ns, changed s, changed ns, path
// with '%', tab, carriage return and line feed in the path written as %25, %09, %0D, %0A.
constexpr std::string_view KFirstLine = "quirvel-verdicts 1\n";
constexpr size_t KFields = 9;
constexpr uint64_t KMaxCacheFile = 16u << 20;

std::string EscapePath(const std::string& Path) {
  std::string out;
  out.reserve(Path.size());
  for (char c : Path) {
    switch (c) {
      case '%': out += "%25"; break;
      case '\t': out += "%09"; break;
      case '\r': out += "%0D"; break;
      case '\n': out += "%0A"; break;
      default: out += c;
    }
  }
  return out;
}

bool UnescapePath(std::string_view Text, std::string& Path) {
  Path.clear();
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '%') {
      Path += Text[i];
      continue;
    }
    const std::string_view code = Text.substr(i + 1, 2);
    if (code == "25") Path += '%';
    else if (code == "09") Path += '\t';
    else if (code == "0D") Path += '\r';
    else if (code == "0A") Path += '\n';
    else return false;
    i += 2;
  }
  return !Path.empty() && Path[0] == '/';
}

template <class T>
bool Number(std::string_view Text, T& Value) {
  if (Text.empty()) return false;
  const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  return error == std::errc() && end == Text.data() + Text.size();
}

bool VerdictAllowed(const std::string& Verdict) {
  return !Verdict.empty() && Verdict.size() <= TFileVerdicts::KMaxVerdict &&
         Verdict.find_first_of("\t\r\n") == std::string::npos;
}

// One line without its line feed; false when it is not one the writer makes.
bool ParseLine(std::string_view Line, std::string& Verdict, TFileIdentity& Identity) {
  std::vector<std::string_view> fields;
  for (size_t from = 0;;) {
    const size_t tab = Line.find('\t', from);
    fields.push_back(Line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
    if (tab == std::string_view::npos) break;
    from = tab + 1;
  }
  if (fields.size() != KFields) return false;
  Verdict = std::string(fields[0]);
  return VerdictAllowed(Verdict) && Number(fields[1], Identity.Device) && Number(fields[2], Identity.Inode) &&
         Number(fields[3], Identity.Size) && Number(fields[4], Identity.ModifiedSeconds) &&
         Number(fields[5], Identity.ModifiedNanos) && Number(fields[6], Identity.ChangedSeconds) &&
         Number(fields[7], Identity.ChangedNanos) && UnescapePath(fields[8], Identity.Path);
}

void FillIdentity(const struct stat& st, TFileIdentity& Identity) {
  Identity.Device = static_cast<uint64_t>(st.st_dev);
  Identity.Inode = static_cast<uint64_t>(st.st_ino);
  Identity.Size = static_cast<uint64_t>(st.st_size);
  Identity.ModifiedSeconds = st.st_mtim.tv_sec;
  Identity.ModifiedNanos = st.st_mtim.tv_nsec;
  Identity.ChangedSeconds = st.st_ctim.tv_sec;
  Identity.ChangedNanos = st.st_ctim.tv_nsec;
}

}  // namespace

bool IdentifyFile(const std::string& Path, TFileIdentity& Identity) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(Path, error);
  struct stat st {};
  if (error || Path.empty() || ::stat(Path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  Identity.Path = absolute.lexically_normal().string();
  FillIdentity(st, Identity);
  return true;
}

bool ReadIdenticalFile(const TFileIdentity& Identity, size_t Size, std::string& Bytes) {
  Bytes.clear();
  TFd fd(::open(Identity.Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  const auto same = [&] {
    struct stat st {};
    TFileIdentity now;
    now.Path = Identity.Path;
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FillIdentity(st, now);
    return now == Identity;
  };
  if (!fd.Valid() || Size > Identity.Size || !same()) return false;
  try {
    Bytes.resize(Size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!ReadAt(fd.Get(), 0, Bytes.data(), Size) || !same()) {
    Bytes.clear();
    return false;
  }
  return true;
}

TFileVerdicts::TFileVerdicts(std::string FileName, int SettleSeconds)
    : FFileName(std::move(FileName)), FSettleSeconds(std::max(SettleSeconds, 0)) {}

std::string TFileVerdicts::UserCacheFile(const std::string& Name) {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return std::string(cache) + "/quirvel/" + Name;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.cache/quirvel/" + Name;
  return {};
}

void TFileVerdicts::LoadOnce() {
  if (FLoaded) return;
  FLoaded = true;
  if (FFileName.empty()) return;
  std::string bytes;
  if (!ReadWholeFile(FFileName, bytes).Ok()) return;  // none yet, or unreadable: nothing known
  const auto damaged = [this] {
    FEntries.clear();
    FChanged = true;  // written anew by Save
  };
  if (bytes.size() > KMaxCacheFile || bytes.compare(0, KFirstLine.size(), KFirstLine) != 0 ||
      bytes.back() != '\n')
    return damaged();
  std::string_view rest = std::string_view(bytes).substr(KFirstLine.size());
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    TEntry entry;
    if (!ParseLine(rest.substr(0, end), entry.Verdict, entry.Identity)) return damaged();
    entry.Used = ++FUse;
    const std::string path = entry.Identity.Path;
    FEntries[path] = std::move(entry);
    rest.remove_prefix(end + 1);
  }
}

bool TFileVerdicts::Settled(const TFileIdentity& Identity) const {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return Identity.ChangedSeconds + FSettleSeconds < now.tv_sec ||
         (Identity.ChangedSeconds + FSettleSeconds == now.tv_sec && Identity.ChangedNanos < now.tv_nsec);
}

std::optional<std::string> TFileVerdicts::Find(const TFileIdentity& Identity) {
  if (FFileName.empty()) return std::nullopt;
  std::lock_guard<std::mutex> lock(FLock);
  LoadOnce();
  const auto it = FEntries.find(Identity.Path);
  if (it == FEntries.end() || !(it->second.Identity == Identity)) return std::nullopt;
  it->second.Used = ++FUse;
  return it->second.Verdict;
}

void TFileVerdicts::Remember(const TFileIdentity& Identity, const std::string& Verdict) {
  if (FFileName.empty() || Identity.Path.empty() || Identity.Path[0] != '/' || !VerdictAllowed(Verdict) ||
      !Settled(Identity))
    return;
  std::lock_guard<std::mutex> lock(FLock);
  LoadOnce();
  FEntries[Identity.Path] = TEntry{Identity, Verdict, ++FUse};
  FChanged = true;
}

bool TFileVerdicts::Save() {
  std::lock_guard<std::mutex> lock(FLock);
  if (FFileName.empty() || !FChanged) return !FFileName.empty();
  std::vector<const TEntry*> entries;
  entries.reserve(FEntries.size());
  for (const auto& [path, entry] : FEntries) entries.push_back(&entry);
  if (entries.size() > KMaxEntries) {
    // The ones used last stay.
    std::nth_element(entries.begin(), entries.begin() + KMaxEntries, entries.end(),
                     [](const TEntry* A, const TEntry* B) { return A->Used > B->Used; });
    entries.resize(KMaxEntries);
  }
  std::string bytes(KFirstLine);
  for (const TEntry* entry : entries) {
    const TFileIdentity& id = entry->Identity;
    bytes += entry->Verdict;
    for (uint64_t v : {id.Device, id.Inode, id.Size}) {
      bytes += '\t';
      bytes += std::to_string(v);
    }
    for (int64_t v : {id.ModifiedSeconds, id.ModifiedNanos, id.ChangedSeconds, id.ChangedNanos}) {
      bytes += '\t';
      bytes += std::to_string(v);
    }
    bytes += '\t';
    bytes += EscapePath(id.Path);
    bytes += '\n';
  }
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(FFileName).parent_path(), error);
  if (error || !ReplaceFileSafely(FFileName, bytes).Ok()) return false;
  FChanged = false;
  return true;
}
