#pragma once
// Sorting the photos of an album: by date taken (DateTaken.h), by file name, or by file date, in
// ascending or descending order.
//
// Names compare the way people read them, by German collation (ICU): letter case does not count
// ("Birne" and "birne" are the same key), umlauts sort with their base letters, and runs of digits
// compare as numbers, so "IMG_2" comes before "IMG_10". Only the name counts, not the folder.
//
// The sort is stable: photos with equal keys keep their album order, also in descending order. A photo
// whose file is missing (for dates: without a date, which only a missing file lacks) goes to the end
// under every key and in either order, in album order.
//
// Reading dates opens every file, which for thousands of photos takes a while: SortKeysOf reports
// progress and stops when asked, so a caller may run it on a thread of its own (it touches nothing
// but the file names it is given).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"

struct UCollator;  // ICU

struct TSortKeyValue {
  bool Known = true;  // false: no date could be had; sorts last
  int64_t Instant = 0;
  std::string Collation;  // for names: the collation key, compared byte by byte
};

// German collation of names as described above. Costly to make, cheap to use; one thread at a time.
class TNameCollator {
 public:
  TNameCollator();
  ~TNameCollator();
  TNameCollator(const TNameCollator&) = delete;
  TNameCollator& operator=(const TNameCollator&) = delete;
  // False when ICU has no collation to offer (its data is missing): names then compare by their bytes.
  bool Ok() const { return FCollator != nullptr; }
  // The key of a UTF-8 name; two names are in order exactly when their keys are.
  std::string Key(std::string_view Name) const;

 private:
  UCollator* FCollator = nullptr;
};

// Progress: files done of all files.
using TSortProgress = std::function<void(size_t Done, size_t Total)>;

// The keys of Files for Key, in Keys (one per file). False when Cancel was set before the last file
// (Keys is then incomplete). Progress, if given, after every file whose date was read.
bool SortKeysOf(const std::vector<std::string>& Files, TSortKey Key, std::vector<TSortKeyValue>& Keys,
                const std::atomic<bool>* Cancel = nullptr, const TSortProgress& Progress = {});

// The new order (TReorderPhotos' Order) for Keys, stable, ascending or Descending.
std::vector<uint32_t> SortedOrder(const std::vector<TSortKeyValue>& Keys, bool Descending);

// Paths in natural name order (their names as SortKeysOf compares them), stable.
void SortByName(std::vector<std::string>& Paths);

// How many of Keys belong to missing files; those files, in the order of Files.
size_t UnknownKeys(const std::vector<TSortKeyValue>& Keys);
std::vector<std::string> MissingFiles(const std::vector<std::string>& Files, const std::vector<TSortKeyValue>& Keys);
// The German warning after a sort that put the files Missing last, naming the first KMissingNamed of
// them and saying how many more there are; empty when none is missing.
std::string MissingFilesMessage(const std::vector<std::string>& Missing);
constexpr size_t KMissingNamed = 5;
