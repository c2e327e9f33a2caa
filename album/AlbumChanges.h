#pragma once
// The changes a user makes to an album, each as an object that can make itself (Redo) and take itself
// back (Undo), for the undo history (UndoHistory.h). Every edit of the window and of the command line
// that changes the album is one of these, so that undoing it restores exactly what was there:
//
// - TInsertPhotos, TRemovePhotos: photos go in at, or come out of, given places. The entries that are
//   out of the album are held by the change (file name, text, turn and thumbnail), so undoing a delete
//   puts the very same entries back, without copying a text or decoding a picture.
// - TReorderPhotos: a new order of all photos (moves, drags, sorting).
// - TSetTexts: new texts for given photos (typing, "Texte neu erzeugen").
// - TTurnPhotos: quarter turns added to given photos.
// - TPlacePhotos: how given photos are placed ("Füllen", "Groß", "Ganze Seite", the focus point).
// - TChangeSettings: what the album file keeps of the settings.
//
// Places are indexes from 0 in the photo list as it is when the change is made (for TInsertPhotos: the
// places the new photos have afterwards), ascending and without repeats. A change is only ever made
// or undone on the album it was made for, in the order the history keeps, so its places stay valid.
//
// The current photo follows its photo through every change: when photos go in or come out before it,
// CurPic moves with it; when it is removed itself, the photo after it (by the remaining ones) becomes
// current, which is what deleting the current photo has always done; with no photo current (CurPic
// past the end) CurPic keeps its value. Texts, turns and settings leave CurPic alone.
//
// Redo and Undo return false only when memory ran out, and then leave the album as it was.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"
#include "album/PhotoRecords.h"

class TAlbumChange {
 public:
  virtual ~TAlbumChange() = default;
  virtual bool Redo(TAlbumModel& Album, TLayoutSettings& Settings) = 0;
  virtual bool Undo(TAlbumModel& Album, TLayoutSettings& Settings) = 0;
  // Takes Next, made right after this change, into this one, so that one undo takes both back (a run
  // of typing in one photo's text, one control's value changed several times). False: they stay apart.
  virtual bool Absorb(TAlbumChange& Next) {
    (void)Next;
    return false;
  }
};

// Photos is taken: its entries go in at Places (one place per entry, in order).
class TInsertPhotos final : public TAlbumChange {
 public:
  TInsertPhotos(std::vector<uint32_t> Places, TPhotoRecords Photos)
      : FPlaces(std::move(Places)), FHeld(std::move(Photos)) {}
  bool Redo(TAlbumModel& Album, TLayoutSettings&) override;
  bool Undo(TAlbumModel& Album, TLayoutSettings&) override;

 private:
  std::vector<uint32_t> FPlaces;
  TPhotoRecords FHeld;  // the photos while they are not in the album
};

// Section marks on removed photos move to the next photo (SectionMarks.h); Undo puts them back.
class TRemovePhotos final : public TAlbumChange {
 public:
  explicit TRemovePhotos(std::vector<uint32_t> Places) : FPlaces(std::move(Places)) {}
  bool Redo(TAlbumModel& Album, TLayoutSettings& Settings) override;
  bool Undo(TAlbumModel& Album, TLayoutSettings& Settings) override;

 private:
  std::vector<uint32_t> FPlaces;
  TPhotoRecords FHeld;
  std::optional<std::vector<TSectionMark>> FMarksBefore;  // the marks before the removal, once it moved any
};

// Order[i] is the place, before the change, of the photo that stands at place i afterwards: a
// permutation of 0 .. Count - 1.
class TReorderPhotos final : public TAlbumChange {
 public:
  explicit TReorderPhotos(std::vector<uint32_t> Order) : FOrder(std::move(Order)) {}
  bool Redo(TAlbumModel& Album, TLayoutSettings&) override;
  bool Undo(TAlbumModel& Album, TLayoutSettings&) override;

 private:
  std::vector<uint32_t> FOrder;
};

// A text, or no text at all (nullptr in the entry).
using TPhotoText = std::optional<std::string>;

class TSetTexts final : public TAlbumChange {
 public:
  // Texts[i] becomes the text of the photo at Places[i]. Typing: the change is one stroke of a run of
  // typing, which later strokes into the same single photo join.
  TSetTexts(std::vector<uint32_t> Places, std::vector<TPhotoText> Texts, bool Typing = false)
      : FPlaces(std::move(Places)), FAfter(std::move(Texts)), FTyping(Typing) {}
  bool Redo(TAlbumModel& Album, TLayoutSettings&) override;
  bool Undo(TAlbumModel& Album, TLayoutSettings&) override;
  bool Absorb(TAlbumChange& Next) override;

 private:
  std::vector<uint32_t> FPlaces;
  std::vector<TPhotoText> FBefore, FAfter;
  bool FTyping;
};

// Adds Turns quarter turns clockwise to each photo at Places; a photo's cached thumbnail turns along.
class TTurnPhotos final : public TAlbumChange {
 public:
  TTurnPhotos(std::vector<uint32_t> Places, int Turns) : FPlaces(std::move(Places)), FTurns(Turns) {}
  bool Redo(TAlbumModel& Album, TLayoutSettings&) override;
  bool Undo(TAlbumModel& Album, TLayoutSettings&) override;

 private:
  std::vector<uint32_t> FPlaces;
  int FTurns;
};

// How one photo is placed: TPicEntry's Placement bits and focus point.
struct TPhotoPlacement {
  uint8_t Placement = 0;
  int16_t FocusX = 0, FocusY = 0;
  bool operator==(const TPhotoPlacement&) const = default;
};
TPhotoPlacement PlacementOf(const TPicEntry& Entry);

// Each photo at Places is placed as After says (one value per place); undoing puts back what it had.
class TPlacePhotos final : public TAlbumChange {
 public:
  TPlacePhotos(std::vector<uint32_t> Places, std::vector<TPhotoPlacement> After)
      : FPlaces(std::move(Places)), FAfter(std::move(After)) {}
  bool Redo(TAlbumModel& Album, TLayoutSettings&) override;
  bool Undo(TAlbumModel& Album, TLayoutSettings&) override;

 private:
  std::vector<uint32_t> FPlaces;
  std::vector<TPhotoPlacement> FBefore, FAfter;
};

// What the album file keeps of the settings goes from Before to After (AssignAlbumSettings); the rest
// of the settings is left as it is at the time. Changes of the same non-empty Control join.
class TChangeSettings final : public TAlbumChange {
 public:
  TChangeSettings(TLayoutSettings Before, TLayoutSettings After, std::string Control = {})
      : FBefore(std::move(Before)), FAfter(std::move(After)), FControl(std::move(Control)) {}
  bool Redo(TAlbumModel&, TLayoutSettings& Settings) override;
  bool Undo(TAlbumModel&, TLayoutSettings& Settings) override;
  bool Absorb(TAlbumChange& Next) override;

 private:
  TLayoutSettings FBefore, FAfter;
  std::string FControl;
};
