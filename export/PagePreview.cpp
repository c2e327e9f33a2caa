#include "export/PagePreview.h"

#include <algorithm>
#include <cmath>

#include "album/DateTaken.h"
#include "album/SectionMarks.h"
#include "export/PageDrawing.h"
#include "export/PageRaster.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/PictureEncoding.h"

namespace {

// The line that shows the trim edge on a page with bleed.
constexpr uint32_t KTrimLineColor = 0x808080;

}  // namespace

TPreviewLayout::TPreviewLayout(const std::vector<TPreviewPhoto>& Photos, const TLayoutSettings& Settings,
                               std::shared_ptr<TFontMetrics> Metrics)
    : FSettings(LayoutSnapshot(Settings)) {
  // The export decides the fonts to embed from every photo's text, read or not.
  std::vector<std::string> texts;
  texts.reserve(Photos.size());
  for (const TPreviewPhoto& photo : Photos) texts.push_back(photo.Text);
  // Sections as the export finds them.
  std::vector<int32_t> sectionAt(Photos.size(), -1);
  std::vector<std::string> titles;
  if (!FSettings.Book.Marks.empty()) {
    std::vector<std::string> files;
    for (const TPreviewPhoto& photo : Photos) files.push_back(photo.FileName);
    for (const TSectionStart& section : ResolveSections(files, FSettings.Book.Marks, [&files](uint32_t Place) {
           return DateTakenOf(files[Place]);
         })) {
      sectionAt[section.First] = static_cast<int32_t>(titles.size());
      titles.push_back(section.Title);
    }
  }
  FEmbedding = FontsToEmbed(WithSectionTitles(FSettings, titles), texts);
  const TLayoutMeasures measures = MakeLayoutMeasures(FSettings, std::move(Metrics), FEmbedding);

  std::vector<TLayoutItem> items;
  std::vector<TLayoutBreak> breaks;
  const int32_t copies = std::max(FSettings.XMalEd, 1);
  int32_t section = -1;  // a section whose first photo cannot be read begins with the next picture
  for (size_t i = 0; i < Photos.size(); ++i) {
    const TPreviewPhoto& photo = Photos[i];
    if (sectionAt[i] >= 0) section = sectionAt[i];
    if (photo.State == TPictureState::Unreadable) continue;
    const bool known = photo.State == TPictureState::Ready && photo.Width > 0 && photo.Height > 0;
    const bool swap = TurnSwapsSides(photo.Turn);
    for (int32_t copy = 0; copy < copies; ++copy) {
      if (section >= 0) breaks.push_back({items.size(), titles[static_cast<size_t>(section)]});
      section = -1;
      items.push_back({known ? (swap ? photo.Height : photo.Width) : 1,
                       known ? (swap ? photo.Width : photo.Height) : 1, photo.Text});
      SetItemPlacement(items.back(), photo.Placement, photo.FocusX, photo.FocusY);
      FItemPhoto.push_back(i);
    }
  }
  FPages = LayoutPages(FSettings, items, measures, breaks);
}

int32_t TPreviewLayout::PageOfPhoto(size_t Photo) const {
  for (const TPageLayout& page : FPages)
    for (size_t item : page.Items)
      if (FItemPhoto[item] >= Photo) return page.Page;
  return PageCount();
}

std::vector<size_t> TPreviewLayout::PhotosOnPage(int32_t Page) const {
  std::vector<size_t> photos;
  if (Page < 1 || Page > PageCount()) return photos;
  for (size_t item : FPages[static_cast<size_t>(Page - 1)].Items)
    if (photos.empty() || photos.back() != FItemPhoto[item]) photos.push_back(FItemPhoto[item]);
  return photos;
}

int32_t TPreviewLayout::LargestPicture(int32_t Page, double Scale) const {
  double largest = 0;
  if (Page < 1 || Page > PageCount()) return 0;
  for (const TPicturePlacement& p : FPages[static_cast<size_t>(Page - 1)].Pictures)
    if (p.DrawPicture) largest = std::max({largest, double(p.Width), double(p.Height)});
  return static_cast<int32_t>(std::min(std::ceil(largest * Scale), 1e9));
}

void TPreviewLayout::DrawPage(int32_t Page, TPageRaster& Raster, const std::vector<TPreviewPhoto>& Photos) const {
  if (Page < 1 || Page > PageCount()) return;
  const TPageLayout& page = FPages[static_cast<size_t>(Page - 1)];
  Raster.ImageDpi = FSettings.PictureDpi;
  EmbedLayoutFonts(Raster, FSettings, FEmbedding);
  DrawPageStart(Raster, FSettings, page.Decorations);
  for (size_t k = 0; k < page.Pictures.size(); ++k) {
    const size_t photo = FItemPhoto[page.Items[k]];
    TDib picture = photo < Photos.size() ? Photos[photo].Picture : TDib{};
    // A turned photo's picture is drawn from a turned copy of it; without memory for that, the box
    // stays grey rather than showing the photo the wrong way round.
    TDib turned{};
    if (picture.Bits && !Photos[photo].PictureTurned && NormalTurn(Photos[photo].Turn) != 0)
      picture = turned = TurnedCopy(picture, Photos[photo].Turn);
    DrawPicturePlacement(Raster, FSettings, page.Pictures[k], TPictureSource::Of(picture));
    deldib(turned);
  }
  const TPageGrid& grid = page.Grid;
  if (grid.B > 0) {
    Raster.Pen = TPen{psSolid, 0, KTrimLineColor};
    Raster.Brush.Style = bsClear;
    Raster.Rectangle(grid.B, grid.B, grid.B + grid.W, grid.B + grid.H);
  }
}

int64_t PreviewHeightFor(int32_t PageWidth, int32_t PageHeight, int32_t Width) {
  const double height = std::round(double(Width) * double(MediaBoxSide(PageHeight)) / double(MediaBoxSide(PageWidth)));
  return std::max<int64_t>(1, static_cast<int64_t>(std::min(height, 1e15)));
}
