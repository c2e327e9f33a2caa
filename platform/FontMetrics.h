#pragma once
// TFontMetrics: measures text and reads font metrics for the PDF writer, which never draws text itself
// but must know how wide a line is, where its baseline lies and what the font dictionary declares.
//
// One pixel is one page unit: a font is selected by its em height in pixels, which at 72 pixels per
// inch equals its size in points. Texts handed in are Windows-1252 bytes, the encoding the PDF
// declares, so one byte is one character code.
//
// Contract shared by every implementation:
// - SelectFont chooses the face for a name and style and the em height; every later call measures in
//   that font until the next SelectFont. A name the system does not know is measured with whatever face
//   the system substitutes; nothing fails.
// - Before the first SelectFont, and when the system has no usable face at all, measurements are 0 and
//   OutlineMetrics returns false.
// - Nothing here throws for an unknown font; an implementation may throw at construction when its
//   font services cannot start.

#include <cstdint>
#include <string_view>

class TTextShaper;

// Style set of a font, as bits.
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

struct TTextExtent {
  int32_t Width;   // sum of the characters' advances, in pixels
  int32_t Height;  // the font's line height (ascent + descent), in pixels, also for an empty text
};

// Metrics of a scalable outline font, in pixels at the selected em height.
struct TOutlineMetrics {
  int32_t BoxLeft, BoxBottom, BoxRight, BoxTop;  // the box enclosing every glyph; bottom below 0
  int32_t Ascent, Descent;                       // typographic ascent (> 0) and descent (< 0)
  int32_t ItalicAngle;                           // whole degrees, counter-clockwise (italics < 0)
  int32_t FirstChar, LastChar;                   // first and last Windows-1252 code the face covers
};

// Metrics of a font that has no outlines (a bitmap face), in pixels.
struct TPlainMetrics {
  int32_t Height, Ascent, Descent;  // Descent is the positive distance below the baseline
  int32_t MaxCharWidth;
  int32_t FirstChar, LastChar;
};

class TFontMetrics {
 public:
  virtual ~TFontMetrics() = default;

  // Name is UTF-8; only fsBold and fsItalic choose the face. PixelSize <= 0 is taken as its absolute
  // value, 0 as 1.
  virtual void SelectFont(std::string_view Name, TFontStyles Style, int32_t PixelSize) = 0;
  // The line height of the selected font; the same as TextExtent(...).Height, without measuring text.
  virtual int32_t LineHeight() = 0;
  virtual TTextExtent TextExtent(std::string_view Cp1252Text) = 0;
  // Fills Out and returns true for an outline font; returns false and leaves Out alone otherwise.
  virtual bool OutlineMetrics(TOutlineMetrics& Out) = 0;
  virtual TPlainMetrics PlainMetrics() = 0;
  // Shaping of UTF-8 text in every script (TextShaper.h), or nullptr for an implementation that has
  // none; the writer then writes Windows-1252 texts only. The shaper belongs to this object and lives
  // as long as it; like the rest of the object it is for one thread at a time.
  virtual TTextShaper* Shaper() { return nullptr; }
};
