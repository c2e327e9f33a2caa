#pragma once
// What a placed picture becomes in the PDF, and the encoding itself: 1-bit pictures in black and white
// become a JBIG2 image (page data and globals), every other picture of 1, 4, 8, 24 or 32 bits a JPEG
// with three 8-bit components at quality 90. The bytes depend only on the picture, so encoding may
// happen on any thread and at any time before the document ends.

#include <cstdint>
#include <string>

#include "imaging/Dib.h"

enum class TPictureKind {
  None,   // not placed: no pixels, no size, or a depth the writer does not take (16 bits, say)
  Jpeg,   // one image object with a DCTDecode stream
  Jbig2,  // an image object with a JBIG2Decode stream and its globals object
};

// How far each channel of a colour may be from 0 or 255 and still count as black or white.
constexpr int KBlackWhiteTolerance = 8;

// True when Dib has 1 bit per pixel and its two colours are black and white, in either order (each
// channel within KBlackWhiteTolerance), or one and the same black or white: a picture that a bilevel
// image shows without losing anything. Any other 1-bit picture (red and yellow, say, or two greys, or
// two slightly different blacks) needs its colours.
bool IsBlackAndWhite(const TDib& Dib);

TPictureKind PlacedKind(const TDib& Dib);

// A picture as encoded: its pixel size in the image object, and the stream data.
struct TEncodedPicture {
  bool Ok = false;  // false: the encoder failed (memory ran out); the writer puts a stand-in there
  int32_t Width = 0, Height = 0;
  std::string Data;     // JPEG file bytes, or the JBIG2 page stream
  std::string Globals;  // the JBIG2 globals stream (empty with this encoder); nothing for JPEG
};

// Encodes Dib as Kind says. A JPEG picture wider or higher than JPEG allows is first shrunk, both
// sides by the same factor, to fit: it is the size it is placed at on the page that counts. Palette
// pictures are encoded from their colours, exactly as if they had been turned into 24 bits first.
// Reuses Out's buffers. Never throws.
void EncodePicture(const TDib& Dib, TPictureKind Kind, TEncodedPicture& Out) noexcept;
