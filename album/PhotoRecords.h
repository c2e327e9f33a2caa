#pragma once
// Photo entries held outside the album: the photos a change took out of it (kept for undoing it), or
// new ones made before they go in. The holder owns the entries it holds and releases them with
// ReleaseEntry when it goes; taking them out hands the ownership on.
//
// RewritePhotoList puts a whole new photo list into the album in one pass, so that a change of many
// photos (a sort, deleting a thousand, undoing that) costs one copy of the records, not one move of the
// list's tail per photo.

#include <cstdint>
#include <vector>

#include "album/AlbumModel.h"

class TPhotoRecords {
 public:
  TPhotoRecords() = default;
  ~TPhotoRecords() { Release(); }
  TPhotoRecords(TPhotoRecords&& Other) noexcept : FEntries(std::move(Other.FEntries)) {
    Other.FEntries.clear();
  }
  TPhotoRecords& operator=(TPhotoRecords&& Other) noexcept;
  TPhotoRecords(const TPhotoRecords&) = delete;
  TPhotoRecords& operator=(const TPhotoRecords&) = delete;

  // Takes Entry (and what it owns).
  void Add(const TPicEntry& Entry) { FEntries.push_back(Entry); }
  // Hands every entry over to the caller, who owns them now; the holder is empty afterwards.
  std::vector<TPicEntry> TakeAll();
  void Release();

  size_t Size() const { return FEntries.size(); }
  bool Empty() const { return FEntries.empty(); }
  TPicEntry& operator[](size_t Index) { return FEntries[Index]; }
  const TPicEntry& operator[](size_t Index) const { return FEntries[Index]; }

 private:
  std::vector<TPicEntry> FEntries;
};

// The album's records, in order, as plain copies (the album still owns what they point to).
std::vector<TPicEntry> PhotoList(const TAlbumModel& Album);

// Makes List the album's photo list, record for record, growing or shrinking Pics in one step; the
// album owns the records afterwards. False when Pics cannot get its new block for lack of memory: the
// album is then unchanged, and List's records still belong to the caller. CurPic is not touched.
bool RewritePhotoList(TAlbumModel& Album, const std::vector<TPicEntry>& List);
