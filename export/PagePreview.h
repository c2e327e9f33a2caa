#pragma once
// The album's pages as the preview shows them, on screen and in `quirvel preview`: the export's own
// layout (LayoutPages, with the settings, fonts and measures the export would use) of what is known
// of the photos so far, each page drawn through the export's page drawing on a page raster.
//
// As in the export, each photo is placed as many times as the settings say and a photo that cannot be
// read takes no cell: the following photos move up, as they do in the PDF. A photo not read yet takes
// its cells as a square, the picture box drawn grey, until its size is known.
//
// A layout keeps the settings and the photos' sizes and texts it was made from, not their pictures;
// those are handed to DrawPage. It measures with Metrics on the calling thread: one thread at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "album/LayoutSettings.h"
#include "export/PageLayout.h"
#include "imaging/pictaro/Dib.h"
#include "imaging/screen/PreviewPictures.h"

class TFontMetrics;
class TPageRaster;

// One photo as far as it is known.
struct TPreviewPhoto {
  std::string FileName;  // for the sections, which name photos by their files
  std::string Text;
  TPictureState State = TPictureState::Waiting;
  int32_t Width = 0, Height = 0;  // the upright size of the file at full scale, once known (Ready)
  // The photo's quarter turns (PhotoTurn.h): it is placed by its turned size and drawn turned.
  int Turn = 0;
  // KPlaceFill, KPlaceBig, KPlaceFullPage (PicEntry.h) and the focus point, as TLayoutItem has them.
  uint8_t Placement = 0;
  double FocusX = 0.5, FocusY = 0.5;
  // The picture at hand, at any size (a thumbnail stands in for the whole picture), upright as the file
  // is; Bits nullptr: none yet, drawn as the grey box. Not owned.
  TDib Picture{};
  bool PictureTurned = false;  // Picture shows the turn already (the grid's thumbnail of the photo)
};

class TPreviewLayout {
 public:
  TPreviewLayout(const std::vector<TPreviewPhoto>& Photos, const TLayoutSettings& Settings,
                 std::shared_ptr<TFontMetrics> Metrics);

  // At least 1: an album without photos has one page with its background, heading and page number.
  int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
  // The page size in points, bleed included.
  int32_t PageWidth() const { return FPages.front().Grid.PageW(); }
  int32_t PageHeight() const { return FPages.front().Grid.PageH(); }
  // The page (from 1) that holds photo Photo (from 0); for a photo without a cell the page of the next
  // one that has one, and the last page when none follows.
  int32_t PageOfPhoto(size_t Photo) const;
  // The photos (from 0) placed on page Page, each once, in order.
  std::vector<size_t> PhotosOnPage(int32_t Page) const;
  // The longest side, in pixels, of any picture rectangle of page Page drawn at Scale pixels per point.
  int32_t LargestPicture(int32_t Page, double Scale) const;

  // Draws page Page (1 .. PageCount) on Raster, which shows a page of PageWidth x PageHeight, with the
  // pictures of Photos (the same photos the layout was made from). With bleed, a thin grey line shows
  // where the page will be cut (the trim box), which the PDF does not hold.
  void DrawPage(int32_t Page, TPageRaster& Raster, const std::vector<TPreviewPhoto>& Photos) const;

 private:
  TLayoutSettings FSettings;
  TFontEmbedding FEmbedding;
  std::vector<TPageLayout> FPages;
  std::vector<size_t> FItemPhoto;  // the photo of each laid-out item
};

// The raster height for a page of PageWidth x PageHeight points shown Width pixels wide: the height in
// the proportion of the box a reader shows (MediaBoxSide), rounded, at least 1.
int64_t PreviewHeightFor(int32_t PageWidth, int32_t PageHeight, int32_t Width);
