#pragma once
// What a placed picture becomes in the PDF, and the encoding itself: 1-bit pictures in black and white
// become a JBIG2 image (page data and globals), every other picture of 1, 4, 8, 24 or 32 bits a JPEG
// with three 8-bit components at quality 90. The bytes depend only on the picture, so encoding may
// happen on any thread and at any time before the document ends.

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/JpegHeader.h"
#include "platform/FileVerdicts.h"

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
  bool Grey = false;    // a JPEG of one component
};

// Encodes Dib as Kind says. A JPEG picture wider than MaxWidth or higher than MaxHeight pixels (0: no
// limit) is first scaled down to them (ScaleDib, each side on its own, only the sides beyond their
// limit); one still wider or higher than JPEG allows is then shrunk, both sides by the same factor, to
// fit: it is the size it is placed at on the page that counts. Black-and-white pictures (JBIG2) keep
// every pixel: averaging would turn them grey. Palette pictures are encoded from their colours, exactly
// as if they had been turned into 24 bits first. Grey: a JPEG of one component from the picture's grey
// levels instead (for a grey picture with a grey profile). Reuses Out's buffers. Never throws.
void EncodePicture(const TDib& Dib, TPictureKind Kind, int32_t MaxWidth, int32_t MaxHeight,
                   TEncodedPicture& Out, bool Grey = false) noexcept;

// True when a picture with Profile goes into the PDF as a one-component JPEG described by that
// profile: a grey profile (the picture then has 8 bits and a grey table).
inline bool EncodesGrey(const TColorProfilePtr& Profile) {
  return Profile && Profile->Space() == TColorSpace::Grey;
}

// The most pixels a picture placed Points page units (1/72 inch) long needs at Dpi pixels per inch:
// Points / 72 x Dpi, rounded up, at least 1. 0 when Dpi is 0 (no limit). Negative lengths count by
// their size.
int32_t PixelsForPoints(int64_t Points, int32_t Dpi);

// A picture to place: the decoded picture, or the bytes of a JPEG file whose pixels need not be
// decoded to go into the PDF (its header told its size and orientation), or both; or a picture encoded
// already, for a place whose pixel limit was known before (EncodePicture with that limit). The source
// only points at them; whoever made it keeps them alive until the picture is encoded.
struct TPictureSource {
  TDib Dib{};  // the decoded picture, upright; Bits nullptr: not decoded
  // The upright size of the picture at full scale: the size it is laid out by, also when Dib was
  // decoded at a reduced scale.
  int32_t Width = 0, Height = 0;
  // The JPEG file's bytes, only of a file libjpeg reads without a warning (JpegDecodesCleanly), since
  // the writer may put them into the PDF as they are; empty: none.
  std::string_view Jpeg;
  TJpegHeader Header;                             // of Jpeg
  // The file Jpeg is the whole of, with the identity it kept while it was read; Path empty: none known.
  // The writer then takes the bytes from the file again, only while it still has that identity,
  // rather than keeping a copy of its own.
  TFileIdentity JpegFile;
  const TEncodedPicture* Encoded = nullptr;       // the picture encoded already; Dib and Jpeg hold none
  TPictureKind EncodedKind = TPictureKind::None;  // what Encoded is
  // What the numbers of Dib, Jpeg or Encoded mean: their file's checked profile; nullptr: sRGB.
  TColorProfilePtr Profile;

  // A decoded picture alone, at its own size.
  static TPictureSource Of(const TDib& Dib);
  // There is something to place.
  bool Loaded() const { return Dib.Bits != nullptr || !Jpeg.empty() || Encoded != nullptr; }
};

// True when PDF's DCTDecode filter (as of PDF 1.3) shows the JPEG Header describes as it is, as
// /DeviceGray (one component) or /DeviceRGB (three): complete (Length > 0), 8 bits per sample,
// baseline, extended sequential or progressive Huffman coding, and for three components colours a
// reader turns into RGB the way the file means them (YCbCr, or RGB marked by an Adobe marker). Four
// components (CMYK, YCCK), arithmetic coding, lossless and hierarchical processes and other precisions
// are not taken.
bool DctTakesAsIs(const TJpegHeader& Header);
