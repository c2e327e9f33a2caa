#pragma once
// Converting a picture's own numbers to sRGB, where they leave the program for a screen, a printer or
// a device that knows only sRGB (a CMYK JPEG's pixels).
//
// Transforms are costly to build and cheap to run: each is built once per profile (by its digest) and
// kind and kept for the rest of the run, in a small cache that any thread may use at once. The intent
// is perceptual. Conversions of rows are safe from any thread.

#include <cstddef>
#include <cstdint>

#include "imaging/pictaro/PictureColor.h"
#include "imaging/pictaro/Dib.h"

// What the numbers handed to ConvertToSrgb are.
enum class TPixelLayout {
  Bgr,          // blue, green, red: the profile is an RGB profile
  Grey,         // one byte: a grey profile
  Cmyk,         // cyan, magenta, yellow, black, 0 no ink: a CMYK profile
  CmykInverted  // the same, 255 no ink, as Adobe's programs write CMYK JPEGs
};

// Converts Count pixels of In (laid out as Layout says) from Profile to sRGB, writing blue, green, red
// to Out (three bytes per pixel; Out may be In for Bgr). False, with Out untouched, when the profile
// does not fit the layout or no transform could be built.
bool ConvertToSrgb(const TColorProfile& Profile, TPixelLayout Layout, const uint8_t* In, uint8_t* Out,
                   size_t Count);

// The picture as the screen shows it: Dib's pixels (24 bits) or colour table (8 bits or fewer)
// converted from Profile to sRGB, in place. Nothing when Profile is nullptr or sRGB, or does not
// fit the picture (a grey profile on a 24-bit picture). The one conversion every screen path uses:
// thumbnails, the viewer's visible area and the print window.
void DibToScreen(TDib& Dib, const TColorProfile* Profile);

// Converts Count pixels of a row of Dib's kind (24 bits: Bgr, three bytes each) in place, for callers
// that convert only the part of a picture being shown. Nothing for a profile that does not apply.
void RowToScreen(uint8_t* Bgr, size_t Count, const TColorProfile* Profile);

// True when Profile changes what the screen shows: it exists and is not sRGB.
inline bool NeedsConversion(const TColorProfile* Profile) { return Profile && !Profile->IsSrgb(); }
