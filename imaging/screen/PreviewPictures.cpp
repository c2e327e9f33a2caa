#include "imaging/screen/PreviewPictures.h"

#include <algorithm>

#include "imaging/color/ColorReading.h"
#include "imaging/color/ColorConvert.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/ThumbnailCache.h"

namespace {

int LongSide(const TDib& Picture) { return std::max(DibWidth(Picture), DibHeight(Picture)); }

}  // namespace

TPreviewPictures::TPreviewPictures(TThumbnailMaker::TNotify Notify, const TThumbnailCache* Cache, int Workers)
    : FCache(Cache),
      FMaker(std::make_unique<TThumbnailMaker>(std::move(Notify), Workers,
                                               [this](const std::string& FileName) { return Make(FileName); })) {}

TPreviewPictures::~TPreviewPictures() {
  FMaker.reset();  // the workers end before the entries go
  for (auto& [name, entry] : FEntries) Drop(entry);
}

// On a worker thread.
TMadeThumbnail TPreviewPictures::Make(const std::string& FileName) {
  const int side = std::max(FSide.load(), 1);
  TDib picture{};
  int width = 0, height = 0;
  // Stays without a profile for an entry of the shared folder, which is sRGB.
  TPictureColor colour = ReadingColor();
  if (!(side <= ThumbnailCacheSide && FCache && FCache->Read(FileName, &picture, &width, &height)))
    LoadPictureReduced(FileName.c_str(), -1, side, &picture, &width, &height, &colour);
  if (!picture.Bits) return {TThumbnailKind::Unreadable, picture};
  if (LongSide(picture) > side) {
    TDib smaller;
    ShrinkDib(&smaller, picture, side);
    if (smaller.Bits) {
      deldib(picture);
      picture = smaller;
    }
  }
  // The preview is shown on the screen, as the grid's thumbnails are: in sRGB, converted once small.
  DibToScreen(picture, colour.Profile.get());
  const std::lock_guard lock(FSizesLock);
  FSizes[FileName] = {width, height};
  return {TThumbnailKind::Cached, picture};
}

void TPreviewPictures::Drop(TEntry& Entry) {
  if (Entry.Picture.Bits) deldib(Entry.Picture);
  Entry.Picture = TDib{};
}

void TPreviewPictures::Want(const std::vector<std::string>& Shown, int32_t Side,
                            const std::vector<std::string>& Others) {
  FSide = std::max(Side, 1);
  FShown = std::set<std::string>(Shown.begin(), Shown.end());
  for (auto& [name, entry] : FEntries)
    if (!FShown.count(name)) Drop(entry);

  std::vector<std::string> wanted;
  for (const std::string& name : Shown) {
    const TEntry* entry = Find(name);
    const bool enough = entry && (entry->State == TPictureState::Unreadable ||
                                  (entry->Picture.Bits &&
                                   LongSide(entry->Picture) >= std::min(Side, std::max(entry->Width, entry->Height))));
    if (!enough) wanted.push_back(name);
  }
  for (const std::string& name : Others)
    if (!Find(name)) wanted.push_back(name);
  if (wanted == FRequested) return;
  FRequested = wanted;
  FMaker->Request(wanted);
}

bool TPreviewPictures::TakeResults() {
  std::vector<TThumbnailResult> results = FMaker->TakeResults();
  for (TThumbnailResult& r : results) {
    TEntry& entry = FEntries[r.FileName];
    Drop(entry);
    std::pair<int, int> size{0, 0};
    {
      const std::lock_guard lock(FSizesLock);
      if (auto found = FSizes.find(r.FileName); found != FSizes.end()) {
        size = found->second;
        FSizes.erase(found);
      }
    }
    if (r.Made.Kind == TThumbnailKind::Unreadable || !r.Made.Picture.Bits) {
      entry.State = TPictureState::Unreadable;
      deldib(r.Made.Picture);
      continue;
    }
    entry.State = TPictureState::Ready;
    entry.Width = size.first;
    entry.Height = size.second;
    if (FShown.count(r.FileName))
      entry.Picture = r.Made.Picture;
    else
      deldib(r.Made.Picture);
  }
  if (!results.empty()) FRequested.clear();
  return !results.empty();
}

const TPreviewPictures::TEntry* TPreviewPictures::Find(const std::string& FileName) const {
  const auto found = FEntries.find(FileName);
  return found == FEntries.end() ? nullptr : &found->second;
}

void TPreviewPictures::Keep(const std::vector<std::string>& FileNames) {
  const std::set<std::string> keep(FileNames.begin(), FileNames.end());
  for (auto it = FEntries.begin(); it != FEntries.end();) {
    if (keep.count(it->first) && it->second.State != TPictureState::Unreadable) {
      ++it;
      continue;
    }
    Drop(it->second);
    it = FEntries.erase(it);
  }
}
