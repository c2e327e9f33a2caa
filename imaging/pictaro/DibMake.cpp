// Making, freeing and reading single pixels of pictures, on the library's own blocks (DibAlloc.h).
#include "imaging/pictaro/DibMake.h"

#include <algorithm>

#include "imaging/pictaro/DibAlloc.h"
#include "imaging/pictaro/PictaroMemory.h"

namespace {

void MakeDib(TDib* Dib, int Width, int Height, int BitCount, const TBitmapInfoHeader* ColorSource,
             int ColorCount, pictaro::TPixels Pixels) {
  if (!pictaro::AllocDib(Dib, Width, Height, BitCount, Pixels)) return;
  if (!ColorSource || ColorCount <= 0) return;
  const int n = std::min<int>(ColorCount, static_cast<int>(Dib->Header->biClrUsed));
  // The source's table follows its header, whose own size tells where that is.
  const uint32_t headerSize =
      ColorSource->biSize >= 40 && ColorSource->biSize <= 124 ? ColorSource->biSize : 40;
  const auto* quads = reinterpret_cast<const uint8_t*>(ColorSource) + headerSize;
  for (int i = 0; i < n; ++i) pictaro::SetDibColor(*Dib, i, quads[4 * i + 2], quads[4 * i + 1], quads[4 * i]);
}

}  // namespace

void newdib(TDib* Dib, int Width, int Height, int BitCount, const TBitmapInfoHeader* ColorSource,
            int ColorCount) {
  MakeDib(Dib, Width, Height, BitCount, ColorSource, ColorCount, pictaro::TPixels::Zeroed);
}

void newdibUncleared(TDib* Dib, int Width, int Height, int BitCount, const TBitmapInfoHeader* ColorSource,
                     int ColorCount) {
  MakeDib(Dib, Width, Height, BitCount, ColorSource, ColorCount, pictaro::TPixels::Unset);
}

void deldib(TDib Dib) { pictaro::FreeDib(Dib); }

uint32_t getpixel(TDib Dib, int x, int y) {
  if (!Dib.Bits || !Dib.Header || x < 0 || y < 0 || x >= Dib.Header->biWidth || y >= Dib.Header->biHeight)
    return 0;
  const uint8_t* row = Dib.Bits + static_cast<int64_t>(y) * Dib.RowBytes;
  switch (Dib.Header->biBitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    case 8: return row[x];
    case 24:
    case 32: {
      const uint8_t* p = row + static_cast<int64_t>(x) * (Dib.Header->biBitCount / 8);
      return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
    }
    default: return 0;
  }
}

void setpixel(TDib Dib, int x, int y, uint32_t Value) {
  if (!Dib.Bits || !Dib.Header || x < 0 || y < 0 || x >= Dib.Header->biWidth || y >= Dib.Header->biHeight)
    return;
  uint8_t* row = Dib.Bits + static_cast<int64_t>(y) * Dib.RowBytes;
  switch (Dib.Header->biBitCount) {
    case 1: {
      const auto mask = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = (Value & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
      break;
    }
    case 4:
      row[x >> 1] = (x & 1) ? static_cast<uint8_t>((row[x >> 1] & 0xF0) | (Value & 0x0F))
                            : static_cast<uint8_t>((row[x >> 1] & 0x0F) | ((Value & 0x0F) << 4));
      break;
    case 8: row[x] = static_cast<uint8_t>(Value); break;
    case 24:
    case 32: {
      uint8_t* p = row + static_cast<int64_t>(x) * (Dib.Header->biBitCount / 8);
      p[0] = static_cast<uint8_t>(Value >> 16);
      p[1] = static_cast<uint8_t>(Value >> 8);
      p[2] = static_cast<uint8_t>(Value);
      break;
    }
    default: break;
  }
}
