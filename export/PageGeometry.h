#pragma once
// The geometry of an album page: millimetres to points, the grid of cells, fitting a picture into its
// cell, and the positions of heading, page number and photo text lines. Pure arithmetic, so the export
// and a page preview compute the same layout.
//
// All lengths are whole points (1/72 inch) in top-down page coordinates. Integer divisions truncate
// toward zero, and half of v is v / 2 (half of -1 is 0).

#include <cstdint>
#include <string>
#include <string_view>

// trunc(mm / 25.39995 * 72), computed in extended precision: 210 mm -> 595, 297 mm -> 841, 15 -> 42.
int32_t MmToPoints(double Mm);

// Mm in points, exactly (72 points to the inch of 25.4 mm).
double MmToExactPoints(double Mm);
// Mm in whole points, rounded up: never less than Mm (3 mm -> 9, 0.3 mm -> 1, 0 -> 0). A value within
// a millionth of a point above a whole number counts as that number.
int32_t MmToPointsUp(double Mm);

// Half of V, truncated toward zero.
constexpr int32_t Half(int32_t V) { return V / 2; }

struct TPageGrid {
  int32_t W = 0, H = 0;    // page size as the settings give it: the trim box
  int32_t B = 0;           // bleed: the page as written is B larger on every side
  int32_t MX = 0, MY = 0;  // margins left/right and top/bottom
  int32_t SX = 0, SY = 0;  // spacing between columns and rows
  int32_t NX = 1, NY = 1;  // columns and rows
  int32_t HH = 0;          // height reserved for the heading below the top margin
  int32_t CW = 0, CH = 0;  // cell size
  // Print-ready pages (bleed or PDF/A): the page size as typed, in exact points, which the PDF's trim
  // box takes; W and H stay the whole points the layout works in. 0 for plain pages.
  double TrimW = 0, TrimH = 0;

  // Computes CW and CH from the fields above.
  void Compute();
  // Drops the heading space (pages after the first when the heading is on the first page only) and
  // recomputes the cell height.
  void SetHeadingHeight(int32_t HeadingHeight);

  // Positions are on the page as written, so everything inside the trim box lies B further right and
  // down than without bleed.
  int32_t CellX(int32_t Col) const { return (CW + SX) * Col + MX + B; }
  int32_t CellY(int32_t Row) const { return MY + HH + (CH + SY) * Row + B; }
  // The page as written, bleed included.
  int32_t PageW() const { return W + 2 * B; }
  int32_t PageH() const { return H + 2 * B; }
  // The page the PDF writer is given: the page as written, and for print one to two units more each
  // way, so that its media box (one unit short of it) holds the exact trim box with the whole bleed
  // on every side: from the top-left corner, where the layout starts, to past the exact page's edge.
  int32_t WriterW() const { return TrimW > 0 ? PrintSide(TrimW) : PageW(); }
  int32_t WriterH() const { return TrimH > 0 ? PrintSide(TrimH) : PageH(); }

 private:
  int32_t PrintSide(double Trim) const;

};

// A rectangle from its top-left corner X1, Y1 to X2, Y2 just outside it.
struct TRect {
  int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  bool operator==(const TRect&) const = default;
};

// The trim edges a picture reaches into the bleed over.
struct TBleedSides {
  bool Left = false, Top = false, Right = false, Bottom = false;
  bool Any() const { return Left || Top || Right || Bottom; }
};

// The sides of Grid's trim box that a picture showing the area Visible lies on: only where the margin
// is 0 and the picture reaches the outer edge of the outermost cells there (which may end a few points
// short of the trim edge where the cell width was rounded down). None without bleed.
TBleedSides TouchedTrimSides(const TPageGrid& Grid, TRect Visible);

// Visible with each of Sides moved out past the page as written (one unit beyond its edge, so that
// no reader's rounding leaves a hairline there).
TRect GrowIntoBleed(const TPageGrid& Grid, TRect Visible, TBleedSides Sides);

// Picture scaled up about the edges of Sides' opposite sides (about its centre on an axis where
// both or neither side touch), keeping its proportions, just enough to cover Cover; rounded outwards
// to whole units. Picture itself when it covers Cover already.
TRect CoverBleed(TRect Picture, TRect Cover, TBleedSides Sides);

// A picture of IW x IH pixels fitted into a cell CW wide whose picture area is E high.
struct TFittedPicture {
  int32_t X = 0, Y = 0;  // top-left corner
  int32_t D = 0, h = 0;  // width and height
};

// Starts as wide as the cell; without ZoomIn the picture then fits inside the area, with ZoomIn it
// covers the whole area and reaches past the cell on one axis. CellX/CellY: the cell's corner.
TFittedPicture FitPicture(int32_t CellX, int32_t CellY, int32_t CW, int32_t E, int32_t IW, int32_t IH,
                          bool ZoomIn);

// The rectangle a picture of IW x IH pixels is drawn in, in a cell CW wide whose picture area is E high:
// FitPicture's size, one point larger each way with ZoomIn (so that no hairline of background shows
// at the cell edges the clip cuts). Not Drawn, and no size, when the picture area or the fitted size
// is not positive.
struct TPlacedSize {
  bool Drawn = false;
  int32_t Width = 0, Height = 0;
};
TPlacedSize PlacedPictureSize(int32_t CW, int32_t E, int32_t IW, int32_t IH, bool ZoomIn);

// The pen width of picture frames: the frame width setting divided by 3, rounded (10 -> 3, 1 -> 0).
int32_t FramePenWidth(int32_t FrameWidth);

// One-file-per-page names: Base + page number padded with zeros to at least four digits + Ext, where
// Ext is the chosen name's extension with its dot (from the last dot of the name part, not of a
// folder), empty when it has none. "/a/urlaub.pdf", 12 -> "/a/urlaub0012.pdf"; 12345 -> "urlaub12345".
std::string NumberedFileName(const std::string& ChosenName, int32_t Page);
// Name with Insert put before the extension of its name part (at its end when it has none):
// "/a/b.png", "-2" -> "/a/b-2.png".
std::string InsertBeforeExtension(const std::string& Name, std::string_view Insert);
