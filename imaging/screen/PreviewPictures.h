#pragma once
// TPreviewPictures: the photos' pictures for the page preview, made on worker threads (a
// TThumbnailMaker) at the size the preview shows them, and what each photo turned out to be: readable,
// with its whole upright size, or not.
//
// The preview asks with Want for the photos it shows, whose pictures it wants with Side pixels on their
// longer side (or all they have), and for the album's other photos, of which it only needs to know
// whether they can be read and how large they are (the layout places them by that). Each Want replaces
// the requests of the one before, so turning pages drops work nobody waits for. A picture is taken
// from the shared thumbnail folder's entry when Side fits it, and otherwise decoded at a reduced scale
// (LoadPictureReduced); it is never kept larger than Side, and is in sRGB, converted from its profile
// as the grid's thumbnails are. Pictures of photos not shown are freed as soon as they arrive or stop
// being shown, so the store holds one page's pictures and a few numbers for every other photo.
//
// Notify runs on a worker thread when results are waiting and should only ask the window's thread to
// call TakeResults. Want, TakeResults, Find and Keep are for one thread (the window's); the destructor
// stops the workers and frees every picture.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "imaging/pictaro/Dib.h"
#include "imaging/screen/ThumbnailMaker.h"

class TThumbnailCache;

enum class TPictureState { Waiting, Ready, Unreadable };

class TPreviewPictures {
 public:
  struct TEntry {
    TPictureState State = TPictureState::Waiting;
    int32_t Width = 0, Height = 0;  // upright, at full scale (Ready)
    TDib Picture{};                 // Bits nullptr: none at hand
  };

  // Cache: the shared thumbnail folder, or nullptr; it must outlive the store.
  TPreviewPictures(TThumbnailMaker::TNotify Notify, const TThumbnailCache* Cache,
                   int Workers = TThumbnailMaker::DefaultWorkers());
  ~TPreviewPictures();
  TPreviewPictures(const TPreviewPictures&) = delete;
  TPreviewPictures& operator=(const TPreviewPictures&) = delete;

  // Shown: the files whose pictures are wanted at Side, most wanted first; Others: files of which only
  // their state is wanted.
  void Want(const std::vector<std::string>& Shown, int32_t Side, const std::vector<std::string>& Others);
  // Takes what the workers finished; true when an entry changed.
  bool TakeResults();
  // What is known of FileName; nullptr while nothing is.
  const TEntry* Find(const std::string& FileName) const;
  // Forgets every file not in FileNames (photos that left the album), and the files that could not be
  // read, so that those are tried again.
  void Keep(const std::vector<std::string>& FileNames);
  // True when nothing is being made or waiting to be taken.
  bool Idle() const { return FMaker->Idle(); }

 private:
  TMadeThumbnail Make(const std::string& FileName);
  void Drop(TEntry& Entry);

  const TThumbnailCache* FCache;
  std::atomic<int32_t> FSide{0};
  std::mutex FSizesLock;
  std::map<std::string, std::pair<int, int>> FSizes;  // whole sizes found by Make, guarded by FSizesLock
  std::map<std::string, TEntry> FEntries;
  std::set<std::string> FShown;
  std::vector<std::string> FRequested;
  std::unique_ptr<TThumbnailMaker> FMaker;  // last: its workers use the fields above
};
