#pragma once
// TPageRaster: a drawing surface (DrawingSurface.h) that draws an album page into an RGB picture the
// way a PDF reader shows the PDF writer's page, for the preview on screen and `quirvel preview`.
//
// The raster is Width x Height pixels and shows what a reader shows of a page of PageWidth x PageHeight
// units (its media box, MediaBoxSide of each side), each axis on its own scale; both are fixed when the
// raster is made; it works at its own pixel size, never at the page's, so a page of ten metres
// costs no more than one of ten millimetres. Shapes follow the writer's geometry to the fraction of a
// unit and are drawn with their edges' coverage (anti-aliased), cut to the open clips:
// - rectangles fill and outline as the writer's path does; strokes thinner than a pixel are one pixel
//   wide, as readers draw them; dashes are drawn solid (the page drawing uses none);
// - text goes through the same decision, shaper, faces and widths as the writer's (TextPlacement.h):
//   a Windows-1252 line in the face fontconfig gives for the font's name, each code advanced by the
//   width the font dictionary declares; a shaped line glyph by glyph where the writer puts them. The
//   outlines are filled unhinted through FreeType's rasteriser, only where they meet the raster, so a
//   huge glyph costs no memory; a glyph more than KMaxGlyphPixels high is not drawn. Underline and
//   strike-out are not drawn, as the writer writes none;
// - a picture is scaled into its rectangle from what the source holds (a thumbnail or a reduced
//   decoding stands in for the whole picture), by area averaging down and bilinear up, after the
//   resolution limit ImageDpi the writer would apply; a source with nothing loaded shows a box of
//   WaitingColor, a picture of a depth the writer does not take shows nothing.
//
// Text needs the font metrics the layout was measured with, and their shaper; metrics without a
// shaper draw no text. The raster uses Metrics on the calling thread, which must be the only one
// using them meanwhile. Nothing here throws except std::bad_alloc.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pdf/DrawingSurface.h"
#include "pdf/TextPlacement.h"

class TFontFace;
class TFontMetrics;

constexpr double KMaxGlyphPixels = 100000;

class TPageRaster final : public TDrawingSurface {
 public:
  // A white page of PageWidth x PageHeight units (each at least 1) on Width x Height pixels (each at
  // least 1).
  TPageRaster(int32_t PageWidth, int32_t PageHeight, int32_t Width, int32_t Height,
              std::shared_ptr<TFontMetrics> Metrics);

  void SetLineCap(int32_t Cap) override { FLineCap = Cap; }
  void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void BeginClip(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) override;
  void EndClip() override;
  void TextOut(int32_t X, int32_t Y, std::string_view Text) override;
  int32_t TextWidth(std::string_view Text) override;
  int32_t TextLineHeight() override;
  TPlacedImage PlacePicture(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                            const TPictureSource& Source) override;

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // Rows from the top, 3 x Width bytes each: red, green, blue.
  const uint8_t* Pixels() const { return FPixels.data(); }
  const uint8_t* Row(int32_t Y) const { return FPixels.data() + size_t(Y) * size_t(FWidth) * 3; }

  // Pictures go in with at most this many pixels per inch of their rectangle; 0: every pixel.
  int32_t ImageDpi = 0;
  // The colour (0x00BBGGRR) of a picture that is not at hand yet.
  uint32_t WaitingColor = 0xA0A0A0;

 private:
  // An area in pixel coordinates (x to the right, y down), edges included as fractions.
  struct TArea {
    double X0, Y0, X1, Y1;
  };
  // The page's area from (X0, V0) to (X1, V1), in units from the top left, in pixels.
  TArea ToPixels(double X0, double V0, double X1, double V1) const;
  // Area cut to the raster and the open clip; empty areas have X1 <= X0 or Y1 <= Y0.
  TArea Visible(TArea Area) const;
  // Blends Color over the pixels by how much of each Area covers.
  void Fill(TArea Area, uint32_t Color);
  // One "m l S" of the writer: from (X1, Y1) to (X2, Y2) in its point coordinates.
  void StrokeLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  // Half the pen's width in pixels across a horizontal (Vertical false) or vertical line.
  double HalfPen(bool Vertical) const;
  void Blend(uint8_t* Pixel, uint32_t Color, double Alpha);
  // Text (RasterText.cpp).
  void DrawGlyph(TFontFace& Face, uint32_t Glyph, double X, double Baseline, double Size);
  const TDeclaredWidths& WidthsOf(const TPDFFont& Font);

  int32_t FWidth, FHeight;
  double FScaleX, FScaleY;  // pixels per unit
  double FTop;              // where the box a reader shows begins, in units below the page's top
  std::vector<uint8_t> FPixels;
  std::vector<TArea> FClips;  // the clip at each open BeginClip; the raster itself when none is open
  int32_t FLineCap = 0;
  std::shared_ptr<TFontMetrics> FMetrics;
  std::map<std::pair<std::string, TFontStyles>, TDeclaredWidths> FWidths;
};
