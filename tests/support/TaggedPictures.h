#pragma once
// Test pictures with colour profiles: the profiles are made here with Little CMS from their published
// primaries and curves, and the picture files written by ImageMagick (a JPEG's profile segments put in
// here, as the test needs them) and by libheif's encoders, not by the program's picture library.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/pictaro/Pictaro.h"

namespace qtest {

// A file's bytes decoded by the picture library with a matte, asking for the profile; at a reduced
// size (DecodePictureReduced) when MinLongSide is above 0, else whole and turned by Turn quarter turns.
// Frees the picture when it goes.
struct TDecodedPicture {
  TDecodedPicture(const std::string& Bytes, uint32_t Matte = 0xFFFFFF, int MinLongSide = 0, int Turn = 0);
  ~TDecodedPicture() { deldib(Dib); }
  TDecodedPicture(const TDecodedPicture&) = delete;
  TDecodedPicture& operator=(const TDecodedPicture&) = delete;
  bool Ok = false;
  TDib Dib{};
  int FullWidth = 0, FullHeight = 0;
  TPictureColor Color;
};

enum class TTestProfile {
  DisplayP3,  // D65, P3 primaries, the sRGB curve; version 4, as phones write it
  AdobeRgb,   // D65, the AdobeRGB (1998) primaries, gamma 563/256; version 2
  Grey,       // D50 grey, gamma 2.2; version 2
  SrgbV2,     // sRGB with its curve as a table of 1024 entries, version 2
  SrgbV4,     // sRGB with its parametric curve, version 4
};
// The profile's bytes.
std::string TestProfile(TTestProfile Profile);

// RGB pixels, rows from the top, three bytes each; Grey pictures use the red byte alone.
struct TTestPixels {
  int Width = 0, Height = 0;
  std::string Rgb;
};
// A picture of Width x Height filled with one colour 0xRRGGBB.
TTestPixels SolidPixels(int Width, int Height, uint32_t Rgb);
// Colour patches side by side, each Side x Side pixels, one row.
TTestPixels PatchPixels(const std::vector<uint32_t>& Colours, int Side);
// The numbers that show the sRGB colours of Pixels in Profile's space (an RGB profile), through Little
// CMS with relative colorimetric intent.
TTestPixels InProfile(const TTestPixels& Pixels, TTestProfile Profile);

enum class TTestFormat { Jpeg, JpegGrey, Png, PngAlpha, Tiff, Webp, Heic, Avif };
// The file's bytes, with Icc embedded when not empty (JPEG: in APP2 segments of at most SegmentSize
// bytes each, written in the order Order gives as 1-based segment numbers, out of order, repeated or
// left out; empty: all in order). PngAlpha makes the alpha 0 in the left half, 255 in the right half.
// Fails the running test (and returns "") when ImageMagick or libheif is missing or refuses.
std::string TaggedPicture(TTestFormat Format, const TTestPixels& Pixels, const std::string& Icc,
                          size_t SegmentSize = 65519, const std::vector<int>& Order = {});

// A HEIC or AVIF file through libheif's encoders: Orientation (1..8) written as the file's own
// transformation, Bits 8 or 10, with alpha (left half transparent), with an embedded thumbnail of
// at most ThumbnailSide pixels (0: none); the colour as an ICC profile when Icc is given, otherwise
// as nclx primaries and transfer (Primaries 1 sRGB, 12 Display P3; 0 writes none).
struct THeifOptions {
  bool Avif = false;
  int Orientation = 1;
  int Bits = 8;
  bool Alpha = false;
  int ThumbnailSide = 0;
  std::string Icc{};
  int Primaries = 0;
};
std::string HeifPicture(const TTestPixels& Pixels, const THeifOptions& Options);

}  // namespace qtest
