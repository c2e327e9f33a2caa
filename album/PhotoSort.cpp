#include "album/PhotoSort.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <filesystem>
#include <numeric>

#include "album/DateTaken.h"
#include "album/PhotoEditing.h"

TNameCollator::TNameCollator() {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("de", &status);
  if (U_FAILURE(status)) {
    ucol_close(collator);
    return;
  }
  // Secondary strength leaves letter case out; numeric collation reads digit runs as numbers.
  ucol_setStrength(collator, UCOL_SECONDARY);
  ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
  if (U_FAILURE(status)) {
    ucol_close(collator);
    return;
  }
  FCollator = collator;
}

TNameCollator::~TNameCollator() { ucol_close(FCollator); }

std::string TNameCollator::Key(std::string_view Name) const {
  if (!FCollator) return std::string(Name);
  std::u16string text(Name.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  // Bytes that are no UTF-8 become U+FFFD: every name gets a key.
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), &length,
                       Name.data(), static_cast<int32_t>(Name.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return std::string(Name);
  std::string key(static_cast<size_t>(length) * 4 + 16, '\0');
  for (;;) {
    const int32_t needed =
        ucol_getSortKey(FCollator, reinterpret_cast<const UChar*>(text.data()), length,
                        reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (needed <= static_cast<int32_t>(key.size())) {
      key.resize(needed > 0 ? static_cast<size_t>(needed) - 1 : 0);  // without the closing zero
      return key;
    }
    key.resize(static_cast<size_t>(needed));
  }
}

bool SortKeysOf(const std::vector<std::string>& Files, TSortKey Key, std::vector<TSortKeyValue>& Keys,
                const std::atomic<bool>* Cancel, const TSortProgress& Progress) {
  Keys.assign(Files.size(), TSortKeyValue{});
  if (Key == TSortKey::FileName) {
    const TNameCollator collator;
    for (size_t i = 0; i < Files.size(); ++i) {
      if (Cancel && Cancel->load()) return false;
      // A photo whose file is missing goes last under every key, in album order.
      std::error_code error;
      Keys[i].Known = std::filesystem::exists(Files[i], error);
      if (Keys[i].Known) Keys[i].Collation = collator.Key(FileNamePart(Files[i]));
    }
    return true;
  }
  for (size_t i = 0; i < Files.size(); ++i) {
    if (Cancel && Cancel->load()) return false;
    const TDateTaken date = Key == TSortKey::DateTaken ? DateTakenOf(Files[i]) : FileDateOf(Files[i]);
    Keys[i].Known = date.Known;
    Keys[i].Instant = date.Instant;
    if (Progress) Progress(i + 1, Files.size());
  }
  return true;
}

std::vector<uint32_t> SortedOrder(const std::vector<TSortKeyValue>& Keys, bool Descending) {
  std::vector<uint32_t> order(Keys.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t A, uint32_t B) {
    const TSortKeyValue& a = Keys[A];
    const TSortKeyValue& b = Keys[B];
    if (a.Known != b.Known) return a.Known;  // unknown ones last, in either direction
    if (Descending) return b.Instant != a.Instant ? b.Instant < a.Instant : b.Collation < a.Collation;
    return a.Instant != b.Instant ? a.Instant < b.Instant : a.Collation < b.Collation;
  });
  return order;
}

void SortByName(std::vector<std::string>& Paths) {
  std::vector<TSortKeyValue> keys;
  SortKeysOf(Paths, TSortKey::FileName, keys);
  std::vector<std::string> sorted;
  sorted.reserve(Paths.size());
  for (uint32_t i : SortedOrder(keys, false)) sorted.push_back(std::move(Paths[i]));
  Paths = std::move(sorted);
}

size_t UnknownKeys(const std::vector<TSortKeyValue>& Keys) {
  return static_cast<size_t>(
      std::count_if(Keys.begin(), Keys.end(), [](const TSortKeyValue& K) { return !K.Known; }));
}

std::vector<std::string> MissingFiles(const std::vector<std::string>& Files, const std::vector<TSortKeyValue>& Keys) {
  std::vector<std::string> missing;
  for (size_t i = 0; i < Files.size() && i < Keys.size(); ++i)
    if (!Keys[i].Known) missing.push_back(Files[i]);
  return missing;
}

std::string MissingFilesMessage(const std::vector<std::string>& Missing) {
  if (Missing.empty()) return {};
  std::string text = Missing.size() == 1 ? "Die Datei eines Fotos fehlt; es steht jetzt am Ende: "
                                         : "Die Dateien von " + std::to_string(Missing.size()) +
                                               " Fotos fehlen; sie stehen jetzt am Ende: ";
  const size_t named = std::min(Missing.size(), KMissingNamed);
  const size_t more = Missing.size() - named;
  for (size_t i = 0; i < named; ++i) {
    // The last name is joined with "und" unless "und N weitere" follows.
    if (i > 0) text += (i + 1 == named && more == 0) ? " und " : ", ";
    text += "„" + Missing[i] + "“";
  }
  if (more > 0) text += " und " + std::to_string(more) + " weitere";
  return text + ".";
}
