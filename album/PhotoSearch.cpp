#include "album/PhotoSearch.h"

#include <charconv>

#include "album/PhotoEditing.h"

std::string SearchCapitals(std::string_view Text) {
  std::string out(Text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::vector<TSearchHit> SearchPhotos(TAlbumModel& Album, std::string_view SearchText) {
  Album.HitList.clear();
  std::vector<TSearchHit> hits;
  const std::string wanted = SearchCapitals(SearchText);
  if (wanted.empty()) return hits;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& entry = *Album.Pics.Seek(static_cast<int32_t>(i));
    const std::string_view namePart = FileNamePart(EntryFileName(entry));
    const bool hit = SearchCapitals(EntryText(entry)).find(wanted) != std::string::npos ||
                     SearchCapitals(namePart).find(wanted) != std::string::npos;
    if (!hit) continue;
    hits.push_back({std::string(namePart), std::string(EntryText(entry)), static_cast<int32_t>(i)});
    Album.HitList.push_back(std::to_string(i));
  }
  return hits;
}

bool JumpToHit(TAlbumModel& Album, int32_t Row) {
  if (Row < 0 || static_cast<size_t>(Row) >= Album.HitList.size()) return false;
  const std::string& item = Album.HitList[static_cast<size_t>(Row)];
  int32_t index = 0;
  const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), index);
  if (ec != std::errc() || end != item.data() + item.size() || index < 0 || index == INT32_MAX) return false;
  Album.CurPic = index + 1;
  return true;
}
