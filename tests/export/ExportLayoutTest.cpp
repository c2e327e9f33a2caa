// The export's layout without a PDF: grid, fitting, clipping, text lines, decorations, page flow and
// colours, with measurements fixed so that every position can be worked out by hand.

#include <gtest/gtest.h>

#include <functional>

#include "album/PicEntry.h"
#include "export/ColorResolve.h"
#include "export/PageLayout.h"

namespace {

// Wrap: 5 per byte (49 characters fit a 248-point cell); text font 4 per byte; heading 8 per byte.
TLayoutMeasures FixedMeasures() {
  TLayoutMeasures m;
  m.Wrap = [](std::string_view T) { return static_cast<int32_t>(T.size()) * 5; };
  m.TextFont = [](std::string_view T) { return static_cast<int32_t>(T.size()) * 4; };
  m.HeadingFont = [](std::string_view T) { return static_cast<int32_t>(T.size()) * 8; };
  return m;
}

TEST(ExportLayout, WorkedExampleGridAndCells) {
  const TLayoutSettings s = FirstStartSettings();
  const TPageGrid g = PageGridFor(s, 1);
  EXPECT_EQ(g.W, 595);
  EXPECT_EQ(g.H, 841);
  EXPECT_EQ(g.HH, 48);
  EXPECT_EQ(g.CW, 248);
  EXPECT_EQ(g.CH, 227);
  EXPECT_EQ(g.CellX(0), 42);
  EXPECT_EQ(g.CellX(1), 304);
  EXPECT_EQ(g.CellY(0), 90);
  EXPECT_EQ(g.CellY(1), 331);
  EXPECT_EQ(g.CellY(2), 572);
  // Heading on all pages: page 2 keeps the heading space.
  EXPECT_EQ(PageGridFor(s, 2).CH, 227);
}

TEST(ExportLayout, HeadingOnFirstPageOnlyGivesTallerCellsLater) {
  TLayoutSettings s = FirstStartSettings();
  s.CaptionOnAllPages = false;
  EXPECT_EQ(PageGridFor(s, 1).CH, 227);
  const TPageGrid later = PageGridFor(s, 2);
  EXPECT_EQ(later.HH, 0);
  EXPECT_EQ(later.CH, (841 - 84 - 28) / 3);  // 243
  EXPECT_EQ(later.CellY(0), 42);             // rows move up by the heading space
  s.CaptionCheck = false;
  EXPECT_EQ(PageGridFor(s, 1).HH, 0);
}

TEST(ExportLayout, DecorationsHeadingAndPageNumber) {
  TLayoutSettings s = FirstStartSettings();
  const TPageGrid g = PageGridFor(s, 1);
  TPageDecorations d = DecoratePage(s, g, 12, FixedMeasures());
  EXPECT_FALSE(d.Background);  // white draws nothing
  ASSERT_TRUE(d.Heading);
  EXPECT_EQ(d.HeadingText.Text, "Familienfotos");
  EXPECT_EQ(d.HeadingText.X, (595 - 13 * 8) / 2);
  EXPECT_EQ(d.HeadingText.Y, 42);
  ASSERT_TRUE(d.PageNumber);
  EXPECT_EQ(d.NumberText.Text, "12");
  EXPECT_EQ(d.NumberText.X, (595 - 8) / 2);
  EXPECT_EQ(d.NumberText.Y, 841 - 42);

  // A heading wider than the page starts left of it, by half the excess (truncated toward zero).
  s.CapED = std::string(75, 'x');  // 600 wide
  EXPECT_EQ(DecoratePage(s, g, 1, FixedMeasures()).HeadingText.X, -2);
  s.CaptionOnAllPages = false;
  s.PageNrCheck = false;
  d = DecoratePage(s, g, 2, FixedMeasures());
  EXPECT_FALSE(d.Heading);
  EXPECT_FALSE(d.PageNumber);
  s.Shape1 = 0x00FF0000;  // blue
  EXPECT_TRUE(DecoratePage(s, g, 1, FixedMeasures()).Background);
  s.Shape1 = 0x80000005;  // the window colour, white
  EXPECT_FALSE(DecoratePage(s, g, 1, FixedMeasures()).Background);
}

TEST(ExportLayout, FittingInsideTheAreaUnderTwoTextLines) {
  TLayoutSettings s = FirstStartSettings();
  const TPageGrid g = PageGridFor(s, 1);
  // A landscape picture with a two-line text: E = 227 - 2 * 10 = 207.
  TPicturePlacement p = PlacePicture(s, g, 0, 0, 400, 300, "erste Zeile\r\nzweite", FixedMeasures());
  EXPECT_EQ(p.E, 207);
  ASSERT_TRUE(p.DrawPicture);
  EXPECT_FALSE(p.Clip);
  EXPECT_EQ(p.Width, 248);
  EXPECT_EQ(p.Height, 186);
  EXPECT_EQ(p.X, 42);
  EXPECT_EQ(p.Y, 90 + 10);  // centred in the area: half of 21
  ASSERT_EQ(p.Lines.size(), 2u);
  EXPECT_EQ(p.Lines[0].Y, 100 + 186);
  EXPECT_EQ(p.Lines[1].Y, 100 + 186 + 10);
  EXPECT_EQ(p.Lines[0].X, 42 + (248 - 11 * 4) / 2);
  EXPECT_EQ(p.Lines[1].Text, "zweite");

  // A portrait picture is as high as the area and centred horizontally.
  p = PlacePicture(s, g, 1, 2, 300, 600, "", FixedMeasures());
  EXPECT_EQ(p.E, 227);
  EXPECT_EQ(p.Height, 227);
  EXPECT_EQ(p.Width, 113);
  EXPECT_EQ(p.X, 304 + (248 - 113) / 2);
  EXPECT_EQ(p.Y, 572);
  EXPECT_TRUE(p.Lines.empty());

  s.TextCheck = false;  // texts off: no lines, the whole cell is picture area
  EXPECT_EQ(PlacePicture(s, g, 0, 0, 400, 300, "Text", FixedMeasures()).E, 227);
}

TEST(ExportLayout, MaximalEnlargementCoversTheAreaAndClipsToTheCell) {
  TLayoutSettings s = FirstStartSettings();
  s.ZoomInFotosCheck = true;
  s.RahmenCheck = true;
  const TPageGrid g = PageGridFor(s, 1);
  const TPicturePlacement p = PlacePicture(s, g, 0, 0, 400, 300, "a\rb", FixedMeasures());
  ASSERT_TRUE(p.DrawPicture);
  EXPECT_EQ(p.Fit.h, 207);
  EXPECT_EQ(p.Fit.D, 276);
  EXPECT_EQ(p.X, 42 - 14);  // reaches past the cell on both sides
  EXPECT_EQ(p.Width, 277);  // one more than fitted
  EXPECT_EQ(p.Height, 208);
  ASSERT_TRUE(p.Clip);
  EXPECT_EQ(p.ClipX1, 42);
  EXPECT_EQ(p.ClipY1, 90);
  EXPECT_EQ(p.ClipX2, 290);
  EXPECT_EQ(p.ClipY2, 317);  // the whole cell, text area included
  ASSERT_EQ(p.Lines.size(), 2u);
  EXPECT_EQ(p.Lines[0].Y, 90 + 207);
}

// "Füllen" in the grid, worked by hand on the cells above. 400 x 300 under two text lines (area 248 x
// 207): scale 207 / 300, so 276 x 207, 28 points to cut across. 300 x 600 in an area of 248 x 227:
// scale 248 / 300, so 248 x 496, 269 points to cut down, a quarter of it 67.25.
TEST(ExportLayout, FillingCoversTheAreaAroundItsPoint) {
  struct {
    const char* What;
    int32_t Col, Row, IW, IH;
    const char* Text;
    double FocusX, FocusY;
    int32_t X, Y, Width, Height, ClipY2, FirstLine;
  } rows[] = {
      {"left edge kept", 0, 0, 400, 300, "erste Zeile\r\nzweite", 0, 0.5, 42, 90, 276, 207, 297, 297},
      {"centre", 0, 0, 400, 300, "erste Zeile\r\nzweite", 0.5, 0.5, 42 - 14, 90, 276, 207, 297, 297},
      {"right edge kept", 0, 0, 400, 300, "erste Zeile\r\nzweite", 1, 0.5, 42 - 28, 90, 276, 207, 297, 297},
      {"upper quarter", 1, 2, 300, 600, "", 0.5, 0.25, 304, 572 - 67, 248, 496, 572 + 227, -1},
  };
  ASSERT_EQ(std::size(rows), 4u);
  const TLayoutSettings s = FirstStartSettings();
  const TPageGrid g = PageGridFor(s, 1);
  for (const auto& row : rows) {
    TPicturePlacement p = PlacePicture(s, g, row.Col, row.Row, row.IW, row.IH, row.Text, FixedMeasures());
    FillCell(p, g, row.IW, row.IH, row.FocusX, row.FocusY);
    ASSERT_TRUE(p.DrawPicture) << row.What;
    EXPECT_EQ(p.X, row.X) << row.What;
    EXPECT_EQ(p.Y, row.Y) << row.What;
    EXPECT_EQ(p.Width, row.Width) << row.What;
    EXPECT_EQ(p.Height, row.Height) << row.What;
    ASSERT_TRUE(p.Clip) << row.What;
    EXPECT_EQ(p.ClipX1, g.CellX(row.Col)) << row.What;
    EXPECT_EQ(p.ClipY1, g.CellY(row.Row)) << row.What;
    EXPECT_EQ(p.ClipX2, g.CellX(row.Col) + 248) << row.What;
    EXPECT_EQ(p.ClipY2, row.ClipY2) << row.What;
    if (row.FirstLine >= 0) {
      ASSERT_EQ(p.Lines.size(), 2u) << row.What;
      EXPECT_EQ(p.Lines[0].Y, row.FirstLine) << row.What;
      EXPECT_EQ(p.Lines[1].Y, row.FirstLine + 10) << row.What;
    }
  }
  // Through the pages: only the photo set to fill changes, its neighbours keep the grid's places.
  std::vector<TLayoutItem> items(3, {400, 300, ""});
  const std::vector<TPageLayout> plain = LayoutPages(s, items, FixedMeasures());
  SetItemPlacement(items[1], KPlaceFill, 0.5, 0.5);
  const std::vector<TPageLayout> filled = LayoutPages(s, items, FixedMeasures());
  ASSERT_EQ(filled.size(), 1u);
  ASSERT_EQ(filled[0].Pictures.size(), 3u);
  EXPECT_EQ(filled[0].Pictures[0].X, plain[0].Pictures[0].X);
  EXPECT_EQ(filled[0].Pictures[2].Y, plain[0].Pictures[2].Y);
  EXPECT_TRUE(filled[0].Pictures[1].Clip);
  EXPECT_FALSE(plain[0].Pictures[1].Clip);
}

TEST(ExportLayout, FrameWidthAndColour) {
  TLayoutSettings s = FirstStartSettings();
  s.RahmenCheck = true;
  s.Shape2 = KColorWindowText;
  const TPageGrid g = PageGridFor(s, 1);
  TPicturePlacement p = PlacePicture(s, g, 0, 0, 10, 10, "", FixedMeasures());
  EXPECT_TRUE(p.Frame);
  EXPECT_EQ(p.FramePen, 3);
  EXPECT_EQ(p.FrameColor, 0u);  // window text resolved to black, not dark red
  s.RahmenBreiteEd = 1;
  EXPECT_EQ(PlacePicture(s, g, 0, 0, 10, 10, "", FixedMeasures()).FramePen, 0);
  s.RahmenCheck = false;
  EXPECT_FALSE(PlacePicture(s, g, 0, 0, 10, 10, "", FixedMeasures()).Frame);
}

TEST(ExportLayout, TextsTallerThanTheCellDropThePictureButKeepTheLines) {
  for (bool zoom : {false, true}) {
    TLayoutSettings s = FirstStartSettings();
    s.ZoomInFotosCheck = zoom;
    s.RahmenCheck = true;
    const TPageGrid g = PageGridFor(s, 1);
    std::string text;
    for (int i = 0; i < 30; ++i) text += "Zeile\r\n";  // 300 points of text in a 227-point cell
    const TPicturePlacement p = PlacePicture(s, g, 1, 1, 400, 300, text, FixedMeasures());
    EXPECT_LT(p.E, 0);
    EXPECT_FALSE(p.DrawPicture) << zoom;
    EXPECT_FALSE(p.Frame);
    EXPECT_FALSE(p.Clip);
    ASSERT_EQ(p.Lines.size(), 30u);
    EXPECT_EQ(p.Lines[0].Y, 331);  // from the top of the cell
  }
}

// Which photo gets no picture area, worked out by hand on A4 (2 x 3 cells of 248 x 227 points, rows
// 241 apart, a 10-point text font, 5 wrap points a character).
TEST(ExportLayout, PhotosWithoutRoomForTheirPicture) {
  std::string lines23;
  for (int i = 0; i < 23; ++i) lines23 += "Zeile\n";  // 230 points of text
  struct {
    const char* What;
    std::function<void(TLayoutSettings&)> Set;
    std::vector<std::string> Texts;
    size_t Expected;  // Texts.size(): every photo has room
  } rows[] = {
      {"one line in a 227-point cell", [](TLayoutSettings&) {}, {"a", "b"}, 2},
      // 30 rows: (841 - 84 - 48 - 29 x 14) / 30 = 10 points, which one line of text fills.
      {"30 rows and a text line", [](TLayoutSettings& S) { S.CountXEd = 6, S.CountYEd = 30; }, {"", "a"}, 1},
      {"30 rows without texts", [](TLayoutSettings& S) { S.CountXEd = 6, S.CountYEd = 30, S.TextCheck = false; },
       {"a", "b"}, 2},
      // A page of 10 x 10 mm with margins of 100 mm has cells of negative width.
      {"margins wider than the page",
       [](TLayoutSettings& S) { S.PageWidthEd = S.PageHeightEd = 10, S.RandXEd = S.RandYEd = 100; }, {""}, 0},
      // Heading on page 1 only: 23 lines leave -3 points under it, 13 on later pages (243 high).
      {"too tall for page 1, the sixth photo", [](TLayoutSettings& S) { S.CaptionOnAllPages = false; },
       {"", "", "", "", "", lines23}, 5},
      {"too tall for page 1, the seventh photo lands on page 2", [](TLayoutSettings& S) { S.CaptionOnAllPages = false; },
       {"", "", "", "", "", "", lines23}, 7},
      // Two copies each: photo 3's second copy lands on page 2, its first on page 1.
      {"copies reach page 1", [](TLayoutSettings& S) { S.CaptionOnAllPages = false, S.XMalEd = 2; },
       {"", "", lines23}, 2},
  };
  for (const auto& row : rows) {
    TLayoutSettings s = FirstStartSettings();
    row.Set(s);
    EXPECT_EQ(PhotoWithoutRoom(LayoutSnapshot(s), row.Texts, FixedMeasures()), row.Expected) << row.What;
  }
}

TEST(ExportLayout, AbsurdValuesStayDefined) {
  TLayoutSettings s = FirstStartSettings();
  s.TextFont.Size = 2147483647;
  s.HeadingFont.Size = -2147483647 - 1;
  s.CountXEd = 0;  // brought to 1 by the snapshot
  s = LayoutSnapshot(s);
  EXPECT_EQ(FontPoints(s.TextFont), KMaxFontSize);
  EXPECT_EQ(FontPoints(s.HeadingFont), KMaxFontSize);
  TFontSpec zero = DefaultTextFont();
  zero.Size = 0;
  EXPECT_EQ(FontPoints(zero), 1);
  EXPECT_EQ(PageGridFor(s, 1).NX, 1);
  // A hundred thousand lines of 2000 points: no overflow, and no line below the page is kept. Under
  // a heading three times 2000 points high the cell starts below the page; without one, only the
  // first line, at the top margin, lies on it.
  const std::string text(100000, '\n');
  for (const bool heading : {true, false}) {
    s.CaptionCheck = heading;
    const TPageGrid g = PageGridFor(s, 1);
    const TPicturePlacement p = PlacePicture(s, g, 0, 0, 4, 3, text + "x", FixedMeasures());
    EXPECT_FALSE(p.DrawPicture);
    ASSERT_EQ(p.Lines.size(), heading ? 0u : 1u) << heading;
    if (!heading) {
      EXPECT_EQ(p.Lines[0].Y, g.MY);
    }
  }
}

TEST(ExportLayout, SystemColoursResolve) {
  EXPECT_EQ(ResolveColor(KColorWindowText), 0x000000u);
  EXPECT_EQ(ResolveColor(0x80000005), 0xFFFFFFu);  // window
  EXPECT_EQ(ResolveColor(0x8000000F), 0xF0F0F0u);  // button face
  EXPECT_EQ(ResolveColor(0x8000000D), 0xFF9933u);  // highlight, red in the low byte
  EXPECT_EQ(ResolveColor(0x800000FF), 0x000000u);  // unknown index
  EXPECT_EQ(ResolveColor(0x00123456), 0x123456u);
  EXPECT_EQ(ResolveColor(0x02123456), 0x123456u);  // other top bytes are not looked at
  EXPECT_TRUE(IsWhite(KColorWhite));
  EXPECT_FALSE(IsWhite(0x00FFFFFE));
}

TEST(ExportLayout, PageFlowBreaksOnlyBeforeAnotherPicture) {
  const TLayoutSettings s = FirstStartSettings();
  auto pagesFor = [&](size_t count) {
    return LayoutPages(s, std::vector<TLayoutItem>(count, {40, 30, ""}), FixedMeasures());
  };
  EXPECT_EQ(pagesFor(0).size(), 1u);  // an empty album still has its page
  EXPECT_EQ(pagesFor(6).size(), 1u);  // exactly full: no empty page after it
  EXPECT_EQ(pagesFor(12).size(), 2u);
  const std::vector<TPageLayout> pages = pagesFor(7);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].Page, 2);
  ASSERT_EQ(pages[1].Pictures.size(), 1u);
  EXPECT_EQ(pages[1].Items[0], 6u);
  EXPECT_EQ(pages[1].Pictures[0].CellX, 42);
  EXPECT_EQ(pages[1].Pictures[0].CellY, 90);
  EXPECT_EQ(pages[1].Decorations.NumberText.Text, "2");
  // Cells fill left to right, then top to bottom.
  EXPECT_EQ(pages[0].Pictures[1].CellX, 304);
  EXPECT_EQ(pages[0].Pictures[2].CellY, 331);

  TPageFlow flow(s);
  for (int i = 0; i < 5; ++i) flow.Advance();
  EXPECT_FALSE(flow.PageFull());
  flow.Advance();
  EXPECT_TRUE(flow.PageFull());
  flow.NextPage();
  EXPECT_EQ(flow.Page(), 2);
  EXPECT_EQ(flow.Col(), 0);
  EXPECT_EQ(flow.Row(), 0);
}

// In the automatic layout each photo's choices reach the pages: "Ganze Seite" stands alone on its
// page, and a cut picture keeps the edge its focus
// point lies on (focus 0: the picture's left edge is its place's, focus 1: its right edge).
TEST(ExportLayout, AutomaticPagesFollowEachPhotosChoice) {
  enum TCheck { Alone, LeftKept, RightKept };
  struct {
    const char* What;
    size_t Count;
    uint8_t Placement;
    double FocusX;
    TCheck Check;
  } rows[] = {
      {"a page of its own", 7, KPlaceFullPage, 0.5, Alone},
      {"the left edge stays", 1, KPlaceFill, 0, LeftKept},
      {"the right edge stays", 1, KPlaceFill, 1, RightKept},
  };
  ASSERT_EQ(std::size(rows), 3u);
  TLayoutSettings s = FirstStartSettings();
  s.PageLayout = TPageLayoutKind::Auto;
  s.CropBudget = 50;
  for (const auto& row : rows) {
    // 3:2 photos; a single one on an upright page is cut at its sides.
    std::vector<TLayoutItem> items(row.Count, {300, 200, ""});
    const size_t chosen = row.Count / 2;
    SetItemPlacement(items[chosen], row.Placement, row.FocusX, 0.5);
    const std::vector<TPageLayout> pages = LayoutPages(s, items, FixedMeasures());
    size_t found = 0;
    for (const TPageLayout& page : pages)
      for (size_t k = 0; k < page.Items.size(); ++k) {
        if (page.Items[k] != chosen) continue;
        ++found;
        const TPicturePlacement& p = page.Pictures[k];
        ASSERT_TRUE(p.DrawPicture) << row.What;
        if (row.Check == Alone) {
          EXPECT_EQ(page.Items.size(), 1u) << row.What;
        }
        if (row.Check == LeftKept || row.Check == RightKept) {
          ASSERT_TRUE(p.Clip) << row.What;
          ASSERT_GT(p.Width, p.ClipX2 - p.ClipX1 + 2) << row.What << ": the picture is cut";
          if (row.Check == LeftKept) {
            EXPECT_NEAR(p.X, p.ClipX1, 1) << row.What;
          } else {
            EXPECT_NEAR(p.X + p.Width, p.ClipX2, 1) << row.What;
          }
        }
      }
    EXPECT_EQ(found, 1u) << row.What;
  }
}

TEST(ExportLayout, NumberedNamesGrowPastFourDigits) {
  EXPECT_EQ(NumberedFileName("/a/urlaub.pdf", 1), "/a/urlaub0001.pdf");
  EXPECT_EQ(NumberedFileName("/a/urlaub.pdf", 9999), "/a/urlaub9999.pdf");
  EXPECT_EQ(NumberedFileName("/a/urlaub.pdf", 10000), "/a/urlaub10000.pdf");
  EXPECT_EQ(NumberedFileName("/a.b/urlaub", 12345), "/a.b/urlaub12345");  // a folder's dot is no extension
}

}  // namespace

// Bleed: A4 in a 2 x 2 grid without margins, spacing or heading, grown by 8 points (3 mm) on every
// side. A picture on a trim edge is scaled up to cover its area grown one point past the page's edge,
// and clipped to that; the rest stays. Every number worked out by hand (cells 297 x 420 at x 8 and
// 305, y 8 and 428; a 400 x 300 picture fits 297 x 222, 99 points below the cell's top).
TEST(ExportLayout, PicturesOnATrimEdgeReachIntoTheBleed) {
  struct {
    const char* What;
    int32_t B, Col, Row;
    bool ZoomIn;
    TRect Picture, Clip, Frame;
    bool Clipped;
  } rows[] = {
      {"no bleed", 0, 0, 0, false, {0, 99, 297, 321}, {}, {0, 99, 297, 321}, false},
      // left edge: 306/297 wider, kept at its right edge; 228.7 high about its centre 218
      {"left", 8, 0, 0, false, {-1, 103, 305, 333}, {-1, 107, 305, 329}, {-1, 107, 305, 329}, true},
      // right edge: the last column ends at 602, the trim edge at 603; out to 612 = 611 + 1
      {"right", 8, 1, 1, false, {305, 523, 612, 753}, {305, 527, 612, 749}, {305, 527, 612, 749}, true},
      // enlarged (561 x 421 at -123, 8) in the top-left cell: the top needs 430/421 of it
      {"enlarged, top left", 8, 0, 0, true, {-135, -1, 438, 429}, {-1, -1, 305, 428}, {-1, -1, 438, 429}, true},
  };
  for (const auto& row : rows) {
    TPageGrid g;
    g.W = 595;
    g.H = 841;
    g.NX = g.NY = 2;
    g.B = row.B;
    g.Compute();
    const TPictureBox box = PlacePictureBox(g, row.Col, row.Row, g.CH, 400, 300, row.ZoomIn);
    ASSERT_TRUE(box.Drawn) << row.What;
    EXPECT_EQ(box.Picture, row.Picture) << row.What << ": " << box.Picture.X1 << " " << box.Picture.Y1 << " "
                                        << box.Picture.X2 << " " << box.Picture.Y2;
    EXPECT_EQ(box.Clip, row.Clipped) << row.What;
    if (row.Clipped) {
      EXPECT_EQ(box.ClipRect, row.Clip) << row.What;
    }
    EXPECT_EQ(box.Frame, row.Frame) << row.What;
  }
}
