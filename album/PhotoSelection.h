#pragma once
// The grid's selection: which photos the next command works on, and the orders that move them as one
// block.
//
// Each photo entry carries its own Selected flag, so the selection travels with its photos through
// every move, sort, delete and undo. The current photo (CurPic) is the one last clicked; it is usually
// selected too, but need not be (Ctrl+click can take it out). The anchor is where a range selected
// with Shift starts: the photo last clicked without Shift.
//
// Commands work on the selected photos; when none is selected, on the current photo alone, as they
// did before there was a selection (PhotosToWorkOn).

#include <cstdint>
#include <vector>

#include "album/AlbumModel.h"

// A click on photo Index (from 0): it alone is selected, becomes current and the anchor.
void SelectOnly(TAlbumModel& Album, int32_t Index);
// Ctrl+click: photo Index flips in or out of the selection and becomes current and the anchor.
void ToggleSelected(TAlbumModel& Album, int32_t Index);
// Shift+click or Shift+arrow: the photos from the anchor to Index are selected (with Add the others
// stay as they are, otherwise they are unselected); Index becomes current, the anchor stays.
void SelectRange(TAlbumModel& Album, int32_t Index, bool Add);
// Ctrl+A.
void SelectAll(TAlbumModel& Album);
void SelectNone(TAlbumModel& Album);

// The places of the selected photos, ascending.
std::vector<uint32_t> SelectedPlaces(const TAlbumModel& Album);
// SelectedPlaces, or the current photo's place when none is selected, or nothing.
std::vector<uint32_t> PhotosToWorkOn(const TAlbumModel& Album);

// The order (for TReorderPhotos) that takes the photos at Block (ascending places) out and puts them,
// in their order and side by side, before the photo that stood at place Gap (0 .. Count; Count: at the
// end). Empty when that leaves every photo where it is.
std::vector<uint32_t> BlockMoveOrder(uint32_t Count, const std::vector<uint32_t>& Block, uint32_t Gap);
// "Nach vorne" and "Nach hinten": the block of Block's photos one place before its first photo, or
// one place after its last; so a block of neighbours moves by one place. Empty when nothing moves.
std::vector<uint32_t> BlockForwardOrder(uint32_t Count, const std::vector<uint32_t>& Block);
std::vector<uint32_t> BlockBackOrder(uint32_t Count, const std::vector<uint32_t>& Block);
