#pragma once
// The automatic layout of a whole album: the photos in their order, each page taking the next run of
// about PhotosPerPage of them (one more or one fewer where that fills the pages better), every page
// arranged by ArrangePage (PageArrangement.h).
//
// Where the pages break is chosen over the whole album at once: a shortest path over the places
// between photos, each page's cost its arrangement's cost plus a small one per photo more or fewer
// than asked. A page never runs over a break the caller asks for (BreaksBefore), and a photo marked
// FullPage stands on a page of its own. The last page before a break, and the album's last page, may
// take fewer photos at no extra cost.
//
// Deterministic, no shared state; about PhotosPerPage x 3 page searches per photo.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "layout/LayoutTypes.h"

constexpr int32_t KMinPhotosPerPage = 1;
constexpr int32_t KMaxPhotosPerPage = 12;
constexpr int32_t KDefaultPhotosPerPage = 4;
// "Beschnitt höchstens", in percent.
constexpr int32_t KMaxCropBudgetPercent = 50;
constexpr int32_t KDefaultCropBudgetPercent = 10;

// A choice the user made for the page that begins with photo FirstPhoto: which of its arrangements
// (0 = the best), and how many photos it takes (0 = as the layout finds best). A choice makes its
// photo begin a page, and with a count the photo that many later begin the next one.
struct TPageChoice {
  size_t FirstPhoto = 0;
  size_t Variant = 0;
  int32_t Count = 0;
};

struct TAutoLayoutOptions {
  TLayoutRect FirstArea;  // the usable area of page 1
  TLayoutRect LaterArea;  // of every later page
  int32_t SpacingX = 0, SpacingY = 0;
  int32_t PhotosPerPage = KDefaultPhotosPerPage;  // brought into 1 .. 12
  double CropBudget = KDefaultCropBudgetPercent / 100.0;  // a share, brought into 0 .. 0.5
  std::vector<size_t> BreaksBefore;  // photos that begin a page
  std::vector<TPageChoice> Choices;
};

// The pages of Photos; one empty page when there are none.
std::vector<TArrangedPage> LayOutAlbum(const std::vector<TPhotoShape>& Photos, const TAutoLayoutOptions& Options);

// Where the pages of LayOutAlbum begin: the first photo of each page, without arranging them.
std::vector<size_t> PageStarts(const std::vector<TPhotoShape>& Photos, const TAutoLayoutOptions& Options);
