#pragma once
// Turning a stored colour value into the colour that is drawn.
//
// Colour values are 0x00BBGGRR. A value with 0x80 in the top byte names a system colour by its index
// in the low byte (8 = window text, 5 = window background, 15 = button face, ...); the fonts start with
// the window-text colour. The PDF writer looks only at the three low bytes, so such a value must be
// resolved before it reaches the writer, or the window-text colour would be written as dark red.

#include <cstdint>

// The real colour of Color: a plain colour with its top byte cleared; a system colour as the
// classic desktop theme defines it. An index the table does not know resolves to black, the colour
// every text-like system colour has.
uint32_t ResolveColor(uint32_t Color);

// True when Color, once resolved, is white (red, green and blue all 255).
bool IsWhite(uint32_t Color);

struct TLayoutSettings;
// The colour transparent pixels of every picture are put onto: the page's background. The PDF and the
// preview both take it from here, so a picture with transparency looks the same in both.
uint32_t PictureMatte(const TLayoutSettings& Settings);
