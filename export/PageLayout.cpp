#include "export/PageLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "album/PicEntry.h"
#include "export/AutoPages.h"
#include "export/ColorResolve.h"
#include "export/PageDrawing.h"
#include "pdf/PDFWriterCanvas.h"
#include "platform/FontMetrics.h"
#include "platform/TextEncoding.h"

namespace {

// Keeps a 64-bit intermediate inside the 32-bit range, so that absurd settings give absurd but
// well-defined positions instead of overflow.
int32_t Saturate(int64_t V) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

TMeasure FontMeasure(std::shared_ptr<TFontMetrics> Metrics, TPDFFont Font, bool Embedded) {
  return [Metrics = std::move(Metrics), Font = std::move(Font), Embedded](std::string_view Text) {
    return PdfTextWidth(*Metrics, Font, Text, Embedded);
  };
}

// Centred horizontally in a span of Width starting at Left.
int32_t Centred(int32_t Left, int32_t Width, int32_t TextWidth) {
  return Saturate(int64_t{Left} + Half(Saturate(int64_t{Width} - TextWidth)));
}

// The lines of a photo's text in a cell of Grid; none when texts are off.
std::vector<std::string> PhotoTextLines(const TLayoutSettings& Settings, const TPageGrid& Grid,
                                        std::string_view Text, const TLayoutMeasures& Measures) {
  if (!Settings.TextCheck) return {};
  return BreakTextLines(Text, Grid.CW, Measures.Wrap);
}

// The height left for the picture in a cell of Grid by Lines lines of text.
int32_t PictureArea(const TLayoutSettings& Settings, const TPageGrid& Grid, size_t Lines) {
  return Saturate(int64_t{Grid.CH} - static_cast<int64_t>(Lines) * FontPoints(Settings.TextFont));
}

}  // namespace

int32_t FontPoints(const TFontSpec& Font) {
  return static_cast<int32_t>(std::clamp<int64_t>(std::llabs(Font.Size), 1, KMaxFontSize));
}

TFontEmbedding FontsToEmbed(const TLayoutSettings& Settings, const std::vector<std::string>& Texts) {
  TFontEmbedding e;
  const bool all = Settings.EmbedFonts || Settings.PdfA != TPdfA::None;
  e.Heading = all || (Settings.CaptionCheck && !FitsCp1252(Settings.CapED));
  e.Text = all || (Settings.TextCheck && std::any_of(Texts.begin(), Texts.end(),
                                                     [](const std::string& T) { return !FitsCp1252(T); }));
  const TPDFFont heading = PdfFontFor(Settings.HeadingFont), text = PdfFontFor(Settings.TextFont);
  if (heading.Name == text.Name && ((heading.Style ^ text.Style) & (fsBold | fsItalic)) == 0)
    e.Heading = e.Text = e.Heading || e.Text;
  return e;
}

TLayoutMeasures MakeLayoutMeasures(const TLayoutSettings& Settings, std::shared_ptr<TFontMetrics> Metrics,
                                   TFontEmbedding Embedding) {
  TLayoutMeasures m;
  TPDFFont wrap;
  wrap.Name = KWrapFontName;
  wrap.Size = KWrapFontPixels;
  m.Wrap = FontMeasure(Metrics, wrap, false);
  m.TextFont = FontMeasure(Metrics, PdfFontFor(Settings.TextFont), Embedding.Text);
  m.HeadingFont = FontMeasure(Metrics, PdfFontFor(Settings.HeadingFont), Embedding.Heading);
  return m;
}

TLayoutSettings LayoutSnapshot(const TLayoutSettings& Settings) {
  TLayoutSettings snapshot = Settings;
  ClampAll(snapshot);
  return snapshot;
}

TPageGrid PageGridFor(const TLayoutSettings& Settings, int32_t Page) {
  TPageGrid g;
  g.W = MmToPoints(Settings.PageWidthEd);
  g.H = MmToPoints(Settings.PageHeightEd);
  g.MX = MmToPoints(Settings.RandXEd);
  g.MY = MmToPoints(Settings.RandYEd);
  g.SX = MmToPoints(Settings.SpaceHED);
  g.SY = MmToPoints(Settings.SpaceVEd);
  g.NX = std::max<int32_t>(1, Settings.CountXEd);
  g.NY = std::max<int32_t>(1, Settings.CountYEd);
  const bool heading = Settings.CaptionCheck && (Page == 1 || Settings.CaptionOnAllPages);
  g.HH = heading ? 3 * FontPoints(Settings.HeadingFont) : 0;
  // The bleed is never less than asked; the trim box of a page for print is the size typed.
  g.B = MmToPointsUp(ClampDecimal(Settings.Bleed, KBleedLimits));
  if (g.B > 0 || Settings.PdfA != TPdfA::None) {
    g.TrimW = MmToExactPoints(ClampDecimal(Settings.PageWidthEd, KPageSizeLimits));
    g.TrimH = MmToExactPoints(ClampDecimal(Settings.PageHeightEd, KPageSizeLimits));
  }
  g.Compute();
  return g;
}

TPageDecorations DecoratePage(const TLayoutSettings& Settings, const TPageGrid& Grid, int32_t Page,
                              const TLayoutMeasures& Measures) {
  TPageDecorations d;
  d.Background = !IsWhite(Settings.Shape1);
  d.BackgroundColor = ResolveColor(Settings.Shape1);
  d.Heading = Settings.CaptionCheck && (Page == 1 || Settings.CaptionOnAllPages);
  if (d.Heading) {
    d.HeadingText.Text = Settings.CapED;
    d.HeadingText.X = Centred(Grid.B, Grid.W, Measures.HeadingFont(Settings.CapED));
    d.HeadingText.Y = Grid.B + Grid.MY;
  }
  d.NumberFirst = Page > 1;
  d.PageNumber = Settings.PageNrCheck;
  if (d.PageNumber) {
    d.NumberText.Text = std::to_string(Page);
    d.NumberText.X = Centred(Grid.B, Grid.W, Measures.TextFont(d.NumberText.Text));
    d.NumberText.Y = Grid.B + Grid.H - Grid.MY;
  }
  return d;
}

TPictureBox PlacePictureBox(const TPageGrid& Grid, int32_t Col, int32_t Row, int32_t E, int32_t IW, int32_t IH,
                            bool ZoomIn) {
  TPictureBox box;
  const int32_t cellX = Grid.CellX(Col), cellY = Grid.CellY(Row);
  box.Fit = FitPicture(cellX, cellY, Grid.CW, E, IW, IH, ZoomIn);
  const TPlacedSize size = PlacedPictureSize(Grid.CW, E, IW, IH, ZoomIn);
  box.Drawn = size.Drawn;
  if (!box.Drawn) return box;
  box.Picture = {box.Fit.X, box.Fit.Y, box.Fit.X + size.Width, box.Fit.Y + size.Height};
  box.Frame = box.Picture;
  box.Clip = box.FrameClipped = ZoomIn;
  box.ClipRect = {cellX, cellY, cellX + Grid.CW, cellY + Grid.CH};
  TRect visible = box.Picture;
  if (box.Clip)
    visible = {std::max(visible.X1, box.ClipRect.X1), std::max(visible.Y1, box.ClipRect.Y1),
               std::min(visible.X2, box.ClipRect.X2), std::min(visible.Y2, box.ClipRect.Y2)};
  box.Bleed = TouchedTrimSides(Grid, visible);
  if (!box.Bleed.Any()) return box;
  const TRect grown = GrowIntoBleed(Grid, visible, box.Bleed);
  box.Picture = CoverBleed(box.Picture, grown, box.Bleed);
  box.Clip = true;
  box.ClipRect = box.FrameClipped ? GrowIntoBleed(Grid, box.ClipRect, box.Bleed) : grown;
  box.Frame = GrowIntoBleed(Grid, box.Frame, box.Bleed);
  return box;
}

TPicturePlacement PlacePicture(const TLayoutSettings& Settings, const TPageGrid& Grid, int32_t Col,
                               int32_t Row, int32_t IW, int32_t IH, std::string_view Text,
                               const TLayoutMeasures& Measures) {
  TPicturePlacement p;
  p.CellX = Grid.CellX(Col);
  p.CellY = Grid.CellY(Row);
  p.CellW = Grid.CW;
  p.CellH = Grid.CH;

  std::vector<std::string> lines = PhotoTextLines(Settings, Grid, Text, Measures);
  const int64_t fs = FontPoints(Settings.TextFont);
  p.E = PictureArea(Settings, Grid, lines.size());

  const TPictureBox box = PlacePictureBox(Grid, Col, Row, p.E, IW, IH, Settings.ZoomInFotosCheck);
  p.Fit = box.Fit;
  p.DrawPicture = box.Drawn;
  if (p.DrawPicture) {
    p.X = box.Picture.X1;
    p.Y = box.Picture.Y1;
    p.Width = box.Picture.X2 - box.Picture.X1;
    p.Height = box.Picture.Y2 - box.Picture.Y1;
    p.Clip = box.Clip;
    p.ClipX1 = box.ClipRect.X1;
    p.ClipY1 = box.ClipRect.Y1;
    p.ClipX2 = box.ClipRect.X2;
    p.ClipY2 = box.ClipRect.Y2;
    p.Frame = Settings.RahmenCheck;
    p.FrameBox = box.Frame;
    p.FrameClipped = box.FrameClipped;
    p.FramePen = FramePenWidth(Settings.RahmenBreiteEd);
    p.FrameColor = ResolveColor(Settings.Shape2);
    p.Bleed = box.Bleed;
  }

  // Lines start at the picture's lower edge (also when an enlarged picture reaches past its area);
  // without a picture, at the top of the cell.
  const int64_t firstLine =
      p.DrawPicture ? int64_t{p.CellY} + Half(p.E - p.Fit.h) + p.Fit.h : int64_t{p.CellY};
  for (size_t k = 0; k < lines.size(); ++k) {
    const int64_t y = firstLine + static_cast<int64_t>(k) * fs;
    if (y >= Grid.B + Grid.H) {  // below the page: invisible, and later lines lie lower still
      p.LinesLeftOut = lines.size() - k;
      break;
    }
    TTextPlacement line;
    line.X = Centred(p.CellX, Grid.CW, Measures.TextFont(lines[k]));
    line.Y = Saturate(y);
    line.Text = std::move(lines[k]);
    p.Lines.push_back(std::move(line));
  }
  return p;
}

void FillCell(TPicturePlacement& P, const TPageGrid& Grid, int32_t IW, int32_t IH, double FocusX, double FocusY) {
  if (!P.DrawPicture || IW <= 0 || IH <= 0 || P.E <= 0 || Grid.CW <= 0) return;
  const double fx = FocusX >= 0 && FocusX <= 1 ? FocusX : 0.5, fy = FocusY >= 0 && FocusY <= 1 ? FocusY : 0.5;
  const double scale = std::max(double(Grid.CW) / IW, double(P.E) / IH);
  const auto side = [](double Length, int32_t Least) {
    return static_cast<int32_t>(std::clamp(std::ceil(Length - 1e-6), double(Least), double(INT32_MAX / 2)));
  };
  const int32_t w = side(IW * scale, Grid.CW), h = side(IH * scale, P.E);
  const int32_t lineShift = P.E - (Half(P.E - P.Fit.h) + P.Fit.h);
  P.X = P.CellX - static_cast<int32_t>(std::lround((w - Grid.CW) * fx));
  P.Y = P.CellY - static_cast<int32_t>(std::lround((h - P.E) * fy));
  P.Width = w;
  P.Height = h;
  P.Clip = true;
  P.ClipX1 = P.CellX;
  P.ClipY1 = P.CellY;
  P.ClipX2 = P.CellX + Grid.CW;
  P.ClipY2 = P.CellY + P.E;
  P.FrameBox = {P.ClipX1, P.ClipY1, P.ClipX2, P.ClipY2};
  P.FrameClipped = false;
  P.Fit.h = P.E;
  for (TTextPlacement& line : P.Lines) line.Y = Saturate(int64_t{line.Y} + lineShift);
}

TPlacementBounds::TPlacementBounds(const TLayoutSettings& Settings, const std::vector<std::string>& Texts,
                                   const TLayoutMeasures& Measures)
    : FGrids{PageGridFor(Settings, 1), PageGridFor(Settings, 2)}, FZoomIn(Settings.ZoomInFotosCheck) {
  // Only the heading space tells the pages apart: page 1, and every later page alike.
  FAreas.reserve(Texts.size());
  for (const std::string& text : Texts) {
    const size_t lines = PhotoTextLines(Settings, FGrids[0], text, Measures).size();
    FAreas.push_back({PictureArea(Settings, FGrids[0], lines), PictureArea(Settings, FGrids[1], lines)});
  }
}

TPlacementRange TPlacementBounds::Range(size_t Photo, int32_t IW, int32_t IH) const {
  TPlacementRange range;
  if (Photo >= FAreas.size()) return range;
  for (int page = 0; page < 2; ++page) {
    const TPageGrid& grid = FGrids[page];
    // A picture's size depends on its cell only where it reaches into the bleed, which only cells on
    // the grid's edges can: the first, a middle and the last column and row stand for them all.
    const int32_t cols[3] = {0, std::min(1, grid.NX - 1), grid.NX - 1};
    const int32_t rows[3] = {0, std::min(1, grid.NY - 1), grid.NY - 1};
    for (int32_t col : cols) {
      for (int32_t row : rows) {
        const TPictureBox box = PlacePictureBox(grid, col, row, FAreas[Photo][page], IW, IH, FZoomIn);
        if (!box.Drawn) continue;
        const TPlacedSize size{true, box.Picture.X2 - box.Picture.X1, box.Picture.Y2 - box.Picture.Y1};
        if (!range.Largest.Drawn) {
          range.Smallest = range.Largest = size;
          continue;
        }
        range.Smallest.Width = std::min(range.Smallest.Width, size.Width);
        range.Smallest.Height = std::min(range.Smallest.Height, size.Height);
        range.Largest.Width = std::max(range.Largest.Width, size.Width);
        range.Largest.Height = std::max(range.Largest.Height, size.Height);
      }
      if (grid.B == 0) break;  // without bleed every cell gives the same size
    }
  }
  return range;
}

size_t PhotoWithoutRoom(const TLayoutSettings& Settings, const std::vector<std::string>& Texts,
                        const TLayoutMeasures& Measures) {
  const TPageGrid grids[2] = {PageGridFor(Settings, 1), PageGridFor(Settings, 2)};
  const int64_t cells = int64_t{grids[0].NX} * grids[0].NY;
  const int64_t copies = std::max<int32_t>(1, Settings.XMalEd);
  for (size_t i = 0; i < Texts.size(); ++i) {
    const int64_t before = static_cast<int64_t>(i) * copies;
    const bool onFirst = before < cells, onLater = before + copies > cells;
    const size_t lines = PhotoTextLines(Settings, grids[0], Texts[i], Measures).size();
    for (int page = 0; page < 2; ++page) {
      if (!(page == 0 ? onFirst : onLater)) continue;
      if (grids[page].CW <= 0 || PictureArea(Settings, grids[page], lines) <= 0) return i;
    }
  }
  return Texts.size();
}

std::string NoRoomMessage(size_t Number, const std::string& FileName, int32_t Page) {
  std::string label = "Foto " + std::to_string(Number) + " (" + std::filesystem::path(FileName).filename().string() + ")";
  if (Page > 0) label += ", Seite " + std::to_string(Page);
  return label + ": kein Platz für die Fotos. Ränder, Abstände, Überschrift und Text lassen dem Bild keine Fläche; "
                 "verkleinern Sie sie oder wählen Sie weniger Spalten oder Zeilen.";
}

namespace {

// The settings whose grid has a heading's space on every page.
TLayoutSettings WithHeading(TLayoutSettings Settings) {
  Settings.CaptionCheck = Settings.CaptionOnAllPages = true;
  return Settings;
}

}  // namespace

TPageFlow::TPageFlow(const TLayoutSettings& Settings, bool FirstIsSection)
    : FSettings(Settings), FGrid(PageGridFor(FirstIsSection ? WithHeading(Settings) : Settings, 1)) {}

void TPageFlow::NextPage(bool SectionStart) {
  ++FPage;
  FGrid = PageGridFor(SectionStart ? WithHeading(FSettings) : FSettings, FPage);
  FCol = FRow = 0;
  FFull = false;
}

void TPageFlow::MakeSectionStart() {
  if (PageEmpty()) FGrid = PageGridFor(WithHeading(FSettings), FPage);
}

void TPageFlow::Advance() {
  if (++FCol < FGrid.NX) return;
  FCol = 0;
  if (++FRow < FGrid.NY) return;
  FRow = 0;
  FFull = true;
}

std::string FitText(const std::string& Text, int32_t Width, const TMeasure& Measure) {
  std::string clean;
  for (unsigned char c : Text)
    if (c >= 0x20 && c != 0x7F) clean += static_cast<char>(c);
  if (Measure(clean) <= Width) return clean;
  // The boundaries of whole characters (UTF-8 lead bytes); the longest front that fits with "…".
  std::vector<size_t> cuts;
  for (size_t i = 1; i <= clean.size(); ++i)
    if (i == clean.size() || (static_cast<unsigned char>(clean[i]) & 0xC0) != 0x80) cuts.push_back(i);
  const std::string ellipsis = "\xE2\x80\xA6";
  size_t low = 0, high = cuts.size();  // cuts[low - 1] fits (0: nothing), cuts[high] does not
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (Measure(clean.substr(0, cuts[mid - 1]) + ellipsis) <= Width)
      low = mid;
    else
      high = mid - 1;
  }
  return (low == 0 ? std::string() : clean.substr(0, cuts[low - 1])) + ellipsis;
}

TLayoutSettings WithSectionTitles(TLayoutSettings Settings, const std::vector<std::string>& Titles) {
  for (const std::string& title : Titles) Settings.CapED += title;
  if (!Titles.empty()) Settings.CaptionCheck = true;
  return Settings;
}

TLayoutSettings SectionSettings(const TLayoutSettings& Settings, const std::string& Title,
                                const TLayoutMeasures& Measures) {
  TLayoutSettings s = WithHeading(Settings);
  const TPageGrid grid = PageGridFor(s, 1);
  s.CapED = FitText(Title, grid.W - 2 * grid.MX, Measures.HeadingFont);
  return s;
}

void SetItemPlacement(TLayoutItem& Item, uint8_t Placement, double FocusX, double FocusY) {
  const auto inside = [](double Value) { return Value >= 0 && Value <= 1 ? Value : 0.5; };
  Item.Placement = Placement;
  Item.FocusX = inside(FocusX);
  Item.FocusY = inside(FocusY);
}

std::vector<TPageLayout> LayoutPages(const TLayoutSettings& Settings, const std::vector<TLayoutItem>& Items,
                                     const TLayoutMeasures& Measures, const std::vector<TLayoutBreak>& Breaks) {
  const TLayoutSettings s = LayoutSnapshot(Settings);
  if (s.PageLayout == TPageLayoutKind::Auto) return AutoLayoutPages(s, Items, Measures);
  TPageFlow flow(s);
  std::vector<TPageLayout> pages(1);
  auto startPage = [&](const TLayoutBreak* Section) {
    TPageLayout& page = pages.back();
    page.Page = flow.Page();
    page.Grid = flow.Grid();
    if (Section) {
      const TLayoutSettings section = SectionSettings(s, Section->Title, Measures);
      page.Decorations = DecoratePage(section, flow.Grid(), flow.Page(), Measures);
    } else {
      page.Decorations = DecoratePage(s, flow.Grid(), flow.Page(), Measures);
    }
  };
  // As in the export: page 1 is decorated once its first picture tells whether it begins a section.
  if (Items.empty()) startPage(nullptr);
  size_t nextBreak = 0;
  for (size_t i = 0; i < Items.size(); ++i) {
    while (nextBreak < Breaks.size() && Breaks[nextBreak].Item < i) ++nextBreak;
    const TLayoutBreak* section =
        nextBreak < Breaks.size() && Breaks[nextBreak].Item == i ? &Breaks[nextBreak] : nullptr;
    if (i == 0) {
      if (section) flow.MakeSectionStart();
      startPage(section);
    } else if (section || flow.PageFull()) {
      flow.NextPage(section != nullptr);
      pages.emplace_back();
      startPage(section);
    }
    pages.back().Pictures.push_back(PlacePicture(s, flow.Grid(), flow.Col(), flow.Row(), Items[i].Width,
                                                 Items[i].Height, Items[i].Text, Measures));
    if (Items[i].Placement & KPlaceFill)
      FillCell(pages.back().Pictures.back(), flow.Grid(), Items[i].Width, Items[i].Height, Items[i].FocusX,
               Items[i].FocusY);
    pages.back().Items.push_back(i);
    flow.Advance();
  }
  return pages;
}
