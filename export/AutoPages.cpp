#include "export/AutoPages.h"

#include <algorithm>
#include <cmath>

#include "album/PicEntry.h"
#include "export/ColorResolve.h"
#include "layout/AutoLayout.h"
#include "layout/PageArrangement.h"

namespace {

// The grid of one cell: its cell is the page's usable area.
TPageGrid OneCellGrid(const TLayoutSettings& Settings, int32_t Page) {
  TLayoutSettings one = Settings;
  one.CountXEd = one.CountYEd = 1;
  return PageGridFor(one, Page);
}

TLayoutRect UsableArea(const TPageGrid& Grid) {
  return {Grid.CellX(0), Grid.CellY(0), Grid.CellX(0) + std::max(0, Grid.CW), Grid.CellY(0) + std::max(0, Grid.CH)};
}

int32_t TextHeight(const TLayoutSettings& Settings, const std::string& Text, int32_t Width,
                   const TLayoutMeasures& Measures) {
  if (!Settings.TextCheck || Text.empty()) return 0;
  const size_t lines = BreakTextLines(Text, std::max(1, Width), Measures.Wrap).size();
  return static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(lines) * FontPoints(Settings.TextFont), 1 << 24));
}

int32_t Round(double V) { return static_cast<int32_t>(std::clamp(std::llround(V), -(1LL << 30), 1LL << 30)); }

TPicturePlacement Placement(const TLayoutSettings& Settings, const TPageGrid& Grid, const TPlacedPhoto& Placed,
                            const std::string& Text, const TLayoutMeasures& Measures) {
  TPicturePlacement p;
  p.CellX = Placed.Slot.X1;
  p.CellY = Placed.Slot.Y1;
  p.CellW = Placed.Slot.Width();
  p.CellH = Placed.Slot.Height();
  p.DrawPicture = Placed.Drawn;
  if (Placed.Drawn) {
    const TLayoutRect& shown = Placed.Picture;
    p.E = shown.Height();
    p.Fit = {shown.X1, shown.Y1, shown.Width(), shown.Height()};
    // The whole photo, so that its window lies on the place shown.
    const double fullW = shown.Width() / (Placed.Window.X2 - Placed.Window.X1);
    const double fullH = shown.Height() / (Placed.Window.Y2 - Placed.Window.Y1);
    TRect picture{shown.X1, shown.Y1, shown.X2, shown.Y2};
    p.Clip = Placed.Crop > 0;
    if (p.Clip) {
      picture.X1 = Round(shown.X1 - Placed.Window.X1 * fullW);
      picture.Y1 = Round(shown.Y1 - Placed.Window.Y1 * fullH);
      picture.X2 = picture.X1 + Round(fullW);
      picture.Y2 = picture.Y1 + Round(fullH);
    }
    TRect clip{shown.X1, shown.Y1, shown.X2, shown.Y2};
    TRect frame = clip;
    p.Bleed = TouchedTrimSides(Grid, clip);
    if (p.Bleed.Any()) {
      const TRect grown = GrowIntoBleed(Grid, clip, p.Bleed);
      picture = CoverBleed(picture, grown, p.Bleed);
      clip = grown;
      frame = GrowIntoBleed(Grid, frame, p.Bleed);
      p.Clip = true;
    }
    p.X = picture.X1;
    p.Y = picture.Y1;
    p.Width = picture.X2 - picture.X1;
    p.Height = picture.Y2 - picture.Y1;
    p.ClipX1 = clip.X1;
    p.ClipY1 = clip.Y1;
    p.ClipX2 = clip.X2;
    p.ClipY2 = clip.Y2;
    p.Frame = Settings.RahmenCheck;
    p.FrameBox = frame;
    p.FramePen = FramePenWidth(Settings.RahmenBreiteEd);
    p.FrameColor = ResolveColor(Settings.Shape2);
  }
  if (!Settings.TextCheck) return p;
  const int32_t width = Placed.Slot.Width();
  std::vector<std::string> lines = BreakTextLines(Text, std::max(1, width), Measures.Wrap);
  const int64_t fs = FontPoints(Settings.TextFont);
  for (size_t k = 0; k < lines.size(); ++k) {
    const int64_t y = int64_t{Placed.TextTop} + static_cast<int64_t>(k) * fs;
    if (y >= Grid.B + Grid.H) {  // below the page, as in the grid
      p.LinesLeftOut = lines.size() - k;
      break;
    }
    TTextPlacement line;
    line.X = Round(Placed.Slot.X1 + (int64_t{width} - Measures.TextFont(lines[k])) / 2);
    line.Y = static_cast<int32_t>(y);
    line.Text = std::move(lines[k]);
    p.Lines.push_back(std::move(line));
  }
  return p;
}

}  // namespace

std::vector<TPageLayout> AutoLayoutPages(const TLayoutSettings& Settings, const std::vector<TLayoutItem>& Items,
                                         const TLayoutMeasures& Measures) {
  const TPageGrid first = OneCellGrid(Settings, 1), later = OneCellGrid(Settings, 2);
  TAutoLayoutOptions options;
  options.FirstArea = UsableArea(first);
  options.LaterArea = UsableArea(later);
  options.SpacingX = first.SX;
  options.SpacingY = first.SY;
  options.PhotosPerPage = Settings.PhotosPerPage;
  options.CropBudget = Settings.CropBudget / 100.0;

  // Texts wrapped at the width of one column of a page of about PhotosPerPage photos.
  const auto columns = static_cast<int32_t>(std::ceil(std::sqrt(std::max(1, Settings.PhotosPerPage))));
  const int32_t columnWidth = (later.CW - (columns - 1) * later.SX) / columns;
  std::vector<TPhotoShape> shapes(Items.size());
  for (size_t i = 0; i < Items.size(); ++i) {
    const TLayoutItem& item = Items[i];
    shapes[i].Aspect = item.Width > 0 && item.Height > 0 ? double(item.Width) / item.Height : 1.0;
    shapes[i].TextHeight = TextHeight(Settings, item.Text, columnWidth, Measures);
    // The crop budget decides how far a picture is cut; "Füllen" chooses what stays of it.
    shapes[i].Big = (item.Placement & KPlaceBig) != 0;
    shapes[i].FullPage = (item.Placement & KPlaceFullPage) != 0;
    shapes[i].FocusX = item.FocusX;
    shapes[i].FocusY = item.FocusY;
  }

  std::vector<TPageLayout> pages;
  const std::vector<TArrangedPage> arranged = LayOutAlbum(shapes, options);
  for (size_t n = 0; n < arranged.size(); ++n) {
    TArrangedPage page = arranged[n];
    const TPageGrid grid = n == 0 ? first : later;
    // The texts wrapped again at the width each photo got; the page arranged again when that changes.
    bool changed = false;
    for (const TPlacedPhoto& placed : page.Photos) {
      const int32_t height = TextHeight(Settings, Items[placed.Photo].Text, placed.Slot.Width(), Measures);
      changed = changed || height != shapes[placed.Photo].TextHeight;
      shapes[placed.Photo].TextHeight = height;
    }
    if (changed && !page.Photos.empty())
      page = ArrangePage(shapes.data(), page.Photos.front().Photo, page.Photos.size(),
                         {n == 0 ? options.FirstArea : options.LaterArea, options.SpacingX, options.SpacingY,
                          options.CropBudget},
                         page.Variant);
    TPageLayout out;
    out.Page = static_cast<int32_t>(n + 1);
    out.Grid = PageGridFor(Settings, out.Page);
    out.Decorations = DecoratePage(Settings, out.Grid, out.Page, Measures);
    for (const TPlacedPhoto& placed : page.Photos) {
      out.Pictures.push_back(Placement(Settings, grid, placed, Items[placed.Photo].Text, Measures));
      out.Items.push_back(placed.Photo);
    }
    pages.push_back(std::move(out));
  }
  return pages;
}

std::vector<TPlacementRange> ItemPlacementRanges(const std::vector<TPageLayout>& Pages, size_t Items) {
  std::vector<TPlacementRange> ranges(Items);
  for (const TPageLayout& page : Pages)
    for (size_t k = 0; k < page.Pictures.size(); ++k) {
      const TPicturePlacement& p = page.Pictures[k];
      if (!p.DrawPicture || page.Items[k] >= Items) continue;
      TPlacementRange& r = ranges[page.Items[k]];
      const TPlacedSize size{true, p.Width, p.Height};
      if (!r.Largest.Drawn) {
        r.Smallest = r.Largest = size;
        continue;
      }
      r.Smallest = {true, std::min(r.Smallest.Width, size.Width), std::min(r.Smallest.Height, size.Height)};
      r.Largest = {true, std::max(r.Largest.Width, size.Width), std::max(r.Largest.Height, size.Height)};
    }
  return ranges;
}
