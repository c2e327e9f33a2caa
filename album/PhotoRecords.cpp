#include "album/PhotoRecords.h"

#include <cstring>
#include <utility>

TPhotoRecords& TPhotoRecords::operator=(TPhotoRecords&& Other) noexcept {
  if (this != &Other) {
    Release();
    FEntries = std::move(Other.FEntries);
    Other.FEntries.clear();
  }
  return *this;
}

std::vector<TPicEntry> TPhotoRecords::TakeAll() { return std::exchange(FEntries, {}); }

void TPhotoRecords::Release() {
  for (TPicEntry& entry : FEntries) ReleaseEntry(entry);
  FEntries.clear();
}

// The records lie side by side in one block, and are plain bytes: they are copied as such.
std::vector<TPicEntry> PhotoList(const TAlbumModel& Album) {
  std::vector<TPicEntry> list(Album.Pics.Count);
  if (!list.empty()) std::memcpy(list.data(), Album.Pics.RawData(), list.size() * sizeof(TPicEntry));
  return list;
}

bool RewritePhotoList(TAlbumModel& Album, const std::vector<TPicEntry>& List) {
  // A failed resize leaves the array as it was, with the old records in it.
  if (!Album.Pics.SetCount(static_cast<uint32_t>(List.size()))) return false;
  if (List.empty()) return true;
  std::memcpy(&Album.Pics[0], List.data(), List.size() * sizeof(TPicEntry));
  // Record 0 is current afterwards, so that CurEntry points into the new block.
  Album.Pics.Seek(0);
  return true;
}
