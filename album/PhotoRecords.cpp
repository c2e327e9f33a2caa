#include "album/PhotoRecords.h"

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

std::vector<TPicEntry> PhotoList(const TAlbumModel& Album) {
  std::vector<TPicEntry> list(Album.Pics.Count);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) list[i] = Album.Pics[static_cast<int32_t>(i)];
  return list;
}

namespace {

// Grows or shrinks Pics to Count records; the new ones are all zero. False when it cannot grow.
bool ResizePics(TAlbumModel& Album, uint32_t Count) {
  while (Album.Pics.Count > Count) Album.Pics.Delete(static_cast<int32_t>(Album.Pics.Count) - 1);
  while (Album.Pics.Count < Count)
    if (!Album.Pics.Append()) return false;
  return true;
}

void WriteRecords(TAlbumModel& Album, const std::vector<TPicEntry>& List) {
  for (uint32_t i = 0; i < List.size(); ++i) Album.Pics[static_cast<int32_t>(i)] = List[i];
}

}  // namespace

bool RewritePhotoList(TAlbumModel& Album, const std::vector<TPicEntry>& List, const std::vector<TPicEntry>& Old) {
  if (!ResizePics(Album, static_cast<uint32_t>(List.size()))) {
    // Shrinking never fails, so the old list always fits again.
    ResizePics(Album, static_cast<uint32_t>(Old.size()));
    WriteRecords(Album, Old);
    return false;
  }
  WriteRecords(Album, List);
  // No record is current after a rewrite, as after Delete; readers Seek first.
  if (Album.Pics.Count > 0) Album.Pics.Seek(0);
  return true;
}
