#pragma once
// Bi-level test pictures for the encoder's tests and benchmark: packed top-down rows, most significant
// bit leftmost, 1 = black, exactly as the encoder takes them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/pictaro/Pictaro.h"

namespace qtest {

struct TBitmap {
  int Width = 0, Height = 0;
  size_t Stride = 0;
  std::vector<uint8_t> Bits;

  TBitmap(int W, int H, size_t ExtraStride = 0)
      : Width(W),
        Height(H),
        Stride((static_cast<size_t>(W) + 7) / 8 + ExtraStride),
        Bits(Stride * static_cast<size_t>(H), 0) {}
  bool Get(int X, int Y) const { return (Bits[Y * Stride + (X >> 3)] >> (7 - (X & 7))) & 1; }
  void Set(int X, int Y, bool Black) {
    uint8_t mask = static_cast<uint8_t>(0x80 >> (X & 7));
    uint8_t& b = Bits[Y * Stride + (X >> 3)];
    b = Black ? (b | mask) : (b & ~mask);
  }
};

enum class TPattern { White, Black, Noise, Sparse, Dense, Text, Checker };

inline const char* PatternName(TPattern P) {
  static const char* const names[] = {"white", "black", "noise", "sparse", "dense", "text", "checker"};
  return names[static_cast<int>(P)];
}

// A small deterministic generator, so a failing case can be reproduced from its name alone.
inline uint64_t Mix(uint64_t X) {
  X += 0x9E3779B97F4A7C15ull;
  X = (X ^ (X >> 30)) * 0xBF58476D1CE4E5B9ull;
  X = (X ^ (X >> 27)) * 0x94D049BB133111EBull;
  return X ^ (X >> 31);
}

inline bool PatternPixel(TPattern P, int X, int Y) {
  const uint64_t h = Mix((static_cast<uint64_t>(Y) << 32) | static_cast<uint32_t>(X));
  switch (P) {
    case TPattern::White: return false;
    case TPattern::Black: return true;
    case TPattern::Noise: return h & 1;
    case TPattern::Sparse: return h % 100 == 0;  // long MPS runs: the coder's states climb high
    case TPattern::Dense: return h % 100 != 0;
    case TPattern::Checker: return ((X ^ Y) & 1) != 0;
    case TPattern::Text: {
      // Lines of 5x8 "glyphs" in 6x12 cells, with a blank line every fifth and a left margin.
      const int line = Y / 12, row = Y % 12 - 2, cell = (X - 4) / 6, col = (X - 4) % 6;
      if (X < 4 || row < 0 || row >= 8 || col >= 5 || line % 5 == 4) return false;
      const uint64_t glyph = Mix(static_cast<uint64_t>(line) * 7919 + static_cast<uint64_t>(cell) % 61);
      return (glyph >> (row * 5 + col)) & 1;
    }
  }
  return false;
}

inline TBitmap MakeBitmap(int W, int H, TPattern P, size_t ExtraStride = 0) {
  TBitmap b(W, H, ExtraStride);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) b.Set(x, y, PatternPixel(P, x, y));
  return b;
}

// The same picture as a 1-bit picture of the picture library, colour table {Index0, Index1} (0xRRGGBB),
// drawn with the darker colour for black; its stored rows run bottom-up. Bits is nullptr when the
// library cannot make one. Freed with deldib.
inline TDib MakeBilevelDib(int W, int H, uint32_t Index0, uint32_t Index1, TPattern P) {
  struct {
    TBitmapInfoHeader Header;
    uint8_t Quads[2][4];  // blue, green, red, unused: the table as a DIB stores it
  } source{{sizeof(TBitmapInfoHeader), W, H, 1, 1, 0, 0, 0, 0, 2, 0}, {}};
  for (int i = 0; i < 2; ++i)
    for (int c = 0; c < 3; ++c) source.Quads[i][c] = static_cast<uint8_t>((i ? Index1 : Index0) >> (8 * c));
  TDib dib;
  newdib(&dib, W, H, 1, &source.Header, 2);
  const uint32_t dark = Index0 < Index1 ? 0 : 1;  // good enough for the greys the tests use
  if (dib.Bits)
    for (int top = 0; top < H; ++top)
      for (int x = 0; x < W; ++x) setpixel(dib, x, H - 1 - top, PatternPixel(P, x, top) ? dark : 1 - dark);
  return dib;
}

}  // namespace qtest
