#pragma once
// TFreeTypeFonts: TFontMetrics through fontconfig (which file holds the face for a name and style,
// substitutes included) and FreeType (hinted glyph advances and the font tables).
//
// Faces are opened once per (name, bold/italic) and kept, with the advances of the 256 Windows-1252
// codes per em height, for the life of the object. Widths are the hinted advances rounded to whole
// pixels and summed, as a screen measures text; no kerning is applied.

#include <memory>

#include "platform/FontMetrics.h"

class TFreeTypeFonts final : public TFontMetrics {
 public:
  // Throws std::runtime_error when FreeType or fontconfig cannot start.
  TFreeTypeFonts();
  ~TFreeTypeFonts() override;
  TFreeTypeFonts(const TFreeTypeFonts&) = delete;
  TFreeTypeFonts& operator=(const TFreeTypeFonts&) = delete;

  void SelectFont(std::string_view Name, TFontStyles Style, int32_t PixelSize) override;
  int32_t LineHeight() override;
  TTextExtent TextExtent(std::string_view Cp1252Text) override;
  bool OutlineMetrics(TOutlineMetrics& Out) override;
  TPlainMetrics PlainMetrics() override;
  // HarfBuzz shaping with fontconfig's fallback faces, sharing this object's font configuration.
  TTextShaper* Shaper() override;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// One TFreeTypeFonts shared by every writer of the process, so that fontconfig's set of fonts is
// loaded once and opened faces are reused from one document to the next. User-interface thread only.
std::shared_ptr<TFontMetrics> SharedFontMetrics();
