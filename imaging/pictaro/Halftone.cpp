// Ordered dithering of a picture to the fixed 6 x 6 x 6 colour cube, for displays of 256 colours or
// fewer. Index r * 36 + g * 6 + b holds red r * 51, green g * 51, blue b * 51; entries 216..255 are
// black and never used.
#include <cstring>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/DibAlloc.h"

namespace {

// The 8 x 8 Bayer matrix, thresholds 0..63.
constexpr uint8_t Bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                 {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                 {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                 {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// One channel's cube level (0..5) at a matrix threshold: the level below, or the one above when the
// value lies far enough between them.
inline unsigned Level(unsigned Value, unsigned Threshold) {
  const unsigned scaled = Value * 5;  // 0..1275, 255 per level
  const unsigned base = scaled / 255, rest = scaled % 255;
  return base + (rest * 64 > Threshold * 255 + 127 ? 1 : 0);
}

}  // namespace

void DIBHalftoneDIBXY(TDib* Out, TDib Source, int Width, int Height) {
  std::memset(Out, 0, sizeof *Out);
  if (!Source.Bits || !Source.Header || Source.Header->biWidth <= 0 || Source.Header->biHeight <= 0) return;
  const int bits = Source.Header->biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return;
  pictaro::TDibOwner dib;
  if (!pictaro::AllocDib(dib.Get(), Width, Height, 8)) return;
  for (int i = 0; i < 216; ++i)
    pictaro::SetDibColor(*dib, i, static_cast<uint8_t>(i / 36 * 51), static_cast<uint8_t>(i / 6 % 6 * 51),
                         static_cast<uint8_t>(i % 6 * 51));
  const int64_t srcW = Source.Header->biWidth, srcH = Source.Header->biHeight;
  for (int y = 0; y < Height; ++y) {
    const auto sy = static_cast<int>(y * srcH / Height);  // nearest neighbour, stored row order
    uint8_t* dst = dib->Bits + static_cast<int64_t>(y) * dib->RowBytes;
    for (int x = 0; x < Width; ++x) {
      uint8_t bgr[3];
      pictaro::PixelBgr(Source, static_cast<int>(x * srcW / Width), sy, bgr);
      const unsigned t = Bayer[y & 7][x & 7];
      dst[x] = static_cast<uint8_t>(Level(bgr[2], t) * 36 + Level(bgr[1], t) * 6 + Level(bgr[0], t));
    }
  }
  dib.ReleaseTo(Out);
}

void DIBHalftoneDIB(TDib* Out, TDib Source) {
  std::memset(Out, 0, sizeof *Out);
  if (!Source.Bits || !Source.Header) return;
  DIBHalftoneDIBXY(Out, Source, Source.Header->biWidth, Source.Header->biHeight);
}
