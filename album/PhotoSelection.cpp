#include "album/PhotoSelection.h"

#include <algorithm>

namespace {

bool Valid(const TAlbumModel& Album, int32_t Index) {
  return Index >= 0 && static_cast<uint32_t>(Index) < Album.Pics.Count;
}

TPicEntry& At(TAlbumModel& Album, uint32_t Index) { return Album.Pics[static_cast<int32_t>(Index)]; }

void SetAll(TAlbumModel& Album, bool Selected) {
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) At(Album, i).Selected = Selected;
}

}  // namespace

void SelectOnly(TAlbumModel& Album, int32_t Index) {
  if (!Valid(Album, Index)) return;
  SetAll(Album, false);
  At(Album, static_cast<uint32_t>(Index)).Selected = true;
  Album.CurPic = Index + 1;
  Album.Anchor = Index + 1;
}

void ToggleSelected(TAlbumModel& Album, int32_t Index) {
  if (!Valid(Album, Index)) return;
  TPicEntry& entry = At(Album, static_cast<uint32_t>(Index));
  entry.Selected = !entry.Selected;
  Album.CurPic = Index + 1;
  Album.Anchor = Index + 1;
}

void SelectRange(TAlbumModel& Album, int32_t Index, bool Add) {
  if (!Valid(Album, Index)) return;
  // An anchor that no longer names a photo starts the range at the photo itself.
  const int32_t anchor = Valid(Album, Album.Anchor - 1) ? Album.Anchor - 1 : Index;
  if (!Add) SetAll(Album, false);
  for (int32_t i = std::min(anchor, Index); i <= std::max(anchor, Index); ++i)
    At(Album, static_cast<uint32_t>(i)).Selected = true;
  Album.CurPic = Index + 1;
  Album.Anchor = anchor + 1;
}

void SelectAll(TAlbumModel& Album) { SetAll(Album, true); }

void SelectNone(TAlbumModel& Album) { SetAll(Album, false); }

std::vector<uint32_t> SelectedPlaces(const TAlbumModel& Album) {
  std::vector<uint32_t> places;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i)
    if (Album.Pics[static_cast<int32_t>(i)].Selected) places.push_back(i);
  return places;
}

std::vector<uint32_t> PhotosToWorkOn(const TAlbumModel& Album) {
  std::vector<uint32_t> places = SelectedPlaces(Album);
  if (places.empty() && Album.HasCurrent()) places.push_back(static_cast<uint32_t>(Album.CurPic - 1));
  return places;
}

std::vector<uint32_t> BlockMoveOrder(uint32_t Count, const std::vector<uint32_t>& Block, uint32_t Gap) {
  std::vector<bool> inBlock(Count, false);
  for (uint32_t place : Block)
    if (place < Count) inBlock[place] = true;
  std::vector<uint32_t> order;
  order.reserve(Count);
  const auto putBlock = [&] {
    for (uint32_t place : Block)
      if (place < Count) order.push_back(place);
  };
  for (uint32_t i = 0; i < Count; ++i) {
    if (i == Gap) putBlock();
    if (!inBlock[i]) order.push_back(i);
  }
  if (Gap >= Count) putBlock();
  for (uint32_t i = 0; i < order.size(); ++i)
    if (order[i] != i) return order;
  return {};
}

std::vector<uint32_t> BlockForwardOrder(uint32_t Count, const std::vector<uint32_t>& Block) {
  if (Block.empty()) return {};
  return BlockMoveOrder(Count, Block, Block.front() == 0 ? 0 : Block.front() - 1);
}

std::vector<uint32_t> BlockBackOrder(uint32_t Count, const std::vector<uint32_t>& Block) {
  if (Block.empty()) return {};
  // Before the photo two places after the last one: the one right after it then stands before the block.
  return BlockMoveOrder(Count, Block, std::min(Count, Block.back() + 2));
}
