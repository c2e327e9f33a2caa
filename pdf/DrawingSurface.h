#pragma once
// TDrawingSurface: what the page drawing (export/PageDrawing.h) draws an album page with, so that one
// drawing sequence serves several surfaces: the PDF writer (TPDFCanvas) and the page raster of the
// preview (export/PageRaster.h), which draws exactly what a PDF reader shows of the writer's page.
//
// Coordinates are whole page units (1/72 inch) with the origin at the top left and y downwards; a
// page of W x H units is treated like a bitmap of W x H pixels whose pixel (x, y) lies at PDF
// (x, H - 1 - y); a reader shows the box from (0, 0) to (MediaBoxSide(W), MediaBoxSide(H)) in PDF
// units. Each operation's exact geometry is the writer's (PDFWriterCanvas.h); a surface that
// draws pixels draws that geometry as a reader renders it. Texts are UTF-8.
//
// Pen, Brush and Font are read by the operations that use them; a surface keeps no other state
// between calls than its open clips and the fonts it was asked to embed.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FontMetrics.h"

struct TPictureSource;

// Colours are 0x00BBGGRR: red in the lowest byte; the top byte is not looked at.
enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Only bsClear is told apart; every other style fills with the colour.
enum TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

struct TPen {
  TPenStyle Style = psSolid;
  int32_t Width = 1;
  uint32_t Color = 0;
  bool operator==(const TPen&) const = default;
};

struct TBrush {
  TBrushStyle Style = bsSolid;
  uint32_t Color = 0xFFFFFF;
  bool operator==(const TBrush&) const = default;
};

struct TPDFFont {
  std::string Name = "Microsoft Sans Serif";  // UTF-8
  int32_t Size = 8;                           // points; at 72 pixels per inch also the em in pixels
  TFontStyles Style = 0;
  uint32_t Color = 0;
};

// What placing a picture decided, for encoding it later (TPDFCanvas::EncodePlaced).
struct TPlacedImage {
  int32_t Number = -1;  // the picture's record, /Im + Number; -1: nothing was placed
  // The most pixels the encoded picture may have each way (0: no limit): ImageDpi at the size placed.
  int32_t MaxWidth = 0, MaxHeight = 0;
  bool AsIs = false;  // the JPEG file's own bytes go in, turned by the placement's matrix
  bool Placed() const { return Number >= 0; }
};

// The side a reader shows of a page side of Side units: the page's box is one unit smaller than the
// page, which ends with its last pixel row and column, and at least one unit.
constexpr int64_t MediaBoxSide(int32_t Side) { return Side > 2 ? int64_t{Side} - 1 : 1; }

class TDrawingSurface {
 public:
  virtual ~TDrawingSurface() = default;

  // Line cap of the strokes that follow (0 butt, 1 round, 2 projecting square).
  virtual void SetLineCap(int32_t Cap) = 0;
  // Fills with Brush (unless bsClear) and outlines with Pen (unless psClear). X1, Y1 is the top-left
  // corner, X2, Y2 lies just outside the shape; equal X or equal Y coordinates draw nothing.
  virtual void Rectangle(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) = 0;
  // Everything up to the matching EndClip is cut to the rectangle.
  virtual void BeginClip(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) = 0;
  virtual void EndClip() = 0;
  // One line of text in Font, the top-left corner of its cell at (X, Y).
  virtual void TextOut(int32_t X, int32_t Y, std::string_view Text) = 0;
  // The width of Text in Font as TextOut writes it, and Font's line height (its cell's height, whose
  // last row the baseline lies below), in page units.
  virtual int32_t TextWidth(std::string_view Text) = 0;
  virtual int32_t TextLineHeight() = 0;
  // The whole of Source's picture stretched over the rectangle whose top-left corner is X, Y and whose
  // size is Width x Height. The writer returns what it needs to encode the picture later; a surface
  // that draws at once returns nothing placed.
  virtual TPlacedImage PlacePicture(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                                    const TPictureSource& Source) = 0;

  // Texts in the font of Name and Style (bold and italic count) are written in embedded subsets from
  // now on, also those that fit Windows-1252, which changes how they are shaped and measured. Kept for
  // the surface's life.
  void EmbedFont(std::string_view Name, TFontStyles Style);
  // True when Font's texts were asked to be embedded (EmbedFont).
  bool EmbedsFont(const TPDFFont& Font) const;

  int32_t PageWidth = 595;
  int32_t PageHeight = 841;
  TPen Pen;
  TBrush Brush;
  TPDFFont Font;

 private:
  std::vector<std::pair<std::string, TFontStyles>> FEmbedRequests;
};
