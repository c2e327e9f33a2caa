#pragma once
// Where a PDF reader puts the writer's text, in one place for the two that need it: the writer, which
// writes each line so (FontsAndText.cpp, ShapedText.cpp), and the page raster of the preview, which
// draws each glyph where a reader draws it (export/PageRaster.h).
//
// A line is written in one of two ways. In Windows-1252 with the font named, not embedded: a reader
// takes each code's advance from the widths the font dictionary declares (DeclaredWidths). Or shaped
// into embedded subsets: each glyph goes where the shaper put it, rounded to 1/1000 em (ShapedGlyphX),
// raised or lowered by its rise (ShapedGlyphRise).

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/FontMetrics.h"

// V * Mul / Div rounded to the nearest integer, halves away from zero; Div > 0.
int64_t RoundedMulDiv(int64_t V, int64_t Mul, int64_t Div);

// The size a text is written at (Tf): |Size| brought into 1 .. 65535.
int64_t TextFontSize(int32_t Size);

// The baseline, in PDF coordinates (y upwards) of a page PageHeight high, of a text line whose cell's
// top edge is Y and whose font has the line height LineHeight: one unit below the cell's last row.
int64_t TextBaseline(int32_t PageHeight, int32_t Y, int32_t LineHeight);

// True when Text is shaped and written in embedded subsets: Metrics has a shaper, and Text does not fit
// Windows-1252 or its font was asked to be embedded (Embedded). Otherwise it is written in
// Windows-1252 with its font named.
bool WritesShapedText(TFontMetrics& Metrics, std::string_view Text, bool Embedded);

// Where a reader puts a shaped glyph: x in 1/1000 em from the start of the line, for a glyph whose pen
// (the advances before it) is Pen and whose own offset is OffsetX, both in shape units.
int64_t ShapedGlyphX(int64_t Pen, int32_t OffsetX);
// A glyph's rise, OffsetY in shape units, in 1/1000 text space unit at the text size Size.
int64_t ShapedGlyphRise(int32_t OffsetY, int64_t Size);

// The widths a named font's dictionary declares for the Windows-1252 codes First .. Last, in 1/1000
// em: each code's advance measured at a 12-pixel em and scaled (WidthScale). A reader gives the codes
// outside First .. Last no width; so do the Widths here.
constexpr int32_t KDeclaredWidthsEm = 12;
struct TDeclaredWidths {
  int32_t First = 32, Last = 255;
  std::array<int32_t, 256> Widths{};
};
// The widths for the face of Name and Style; leaves Metrics with that face selected at
// KDeclaredWidthsEm.
TDeclaredWidths DeclaredWidths(TFontMetrics& Metrics, std::string_view Name, TFontStyles Style);
