// The orientation tag of JPEG (EXIF) and TIFF files, and turning a picture upright by it.
#include <cstring>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/ByteReader.h"
#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibAlloc.h"
#include "imaging/pictaro/TiffIfd.h"

namespace pictaro {

int TiffOrientation(const uint8_t* Tiff, size_t Size) {
  TTiffView tiff;
  uint32_t v = 1;
  if (!tiff.Open(Tiff, Size) || !tiff.Value(tiff.FirstIfd(), 0x0112, v, true) || v < 1 || v > 8) return 1;
  return static_cast<int>(v);
}

bool JpegExifBlock(const uint8_t* Data, size_t Size, const uint8_t** Tiff, size_t* TiffSize) {
  if (Size < 4 || Data[0] != 0xFF || Data[1] != 0xD8) return false;
  size_t p = 2;
  // Walk the marker segments up to the first scan; each step moves forward, so this ends.
  while (p + 4 <= Size) {
    if (Data[p] != 0xFF) return false;
    const uint8_t marker = Data[p + 1];
    if (marker == 0xFF) {  // fill byte
      ++p;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return false;          // start of scan, end of image
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // segments without a length
      p += 2;
      continue;
    }
    const size_t length = Be16(Data + p + 2);
    if (length < 2 || p + 2 + length > Size) return false;
    const uint8_t* body = Data + p + 4;
    const size_t bodySize = length - 2;
    if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
      *Tiff = body + 6;
      *TiffSize = bodySize - 6;
      return true;
    }
    p += 2 + length;
  }
  return false;
}

int JpegExifOrientation(const uint8_t* Data, size_t Size) {
  const uint8_t* tiff = nullptr;
  size_t tiffSize = 0;
  return JpegExifBlock(Data, Size, &tiff, &tiffSize) ? TiffOrientation(tiff, tiffSize) : 1;
}

bool ApplyOrientation(TDib& Dib, int Orientation) {
  if (Orientation < 2 || Orientation > 8 || !Dib.Bits) return true;
  const int64_t w = Dib.Header->biWidth, h = Dib.Header->biHeight;
  const bool swap = Orientation >= 5;
  const int64_t outW = swap ? h : w, outH = swap ? w : h;
  const int bits = Dib.Header->biBitCount;
  TDibOwner out;
  if (!AllocDib(out.Get(), outW, outH, bits)) return false;
  const int colours = static_cast<int>(Dib.Header->biClrUsed);
  for (int i = 0; i < colours && i < 256; ++i)
    SetDibColor(*out, i, Dib.Colors[i].Red, Dib.Colors[i].Green, Dib.Colors[i].Blue);

  // Output pixel (X, Y), counted from the top left of the upright picture, comes from stored pixel
  // (sx, sy), counted from the stored top left: sx = sx0 + X * dx, sy = sy0 + X * dy for each row Y.
  for (int64_t Y = 0; Y < outH; ++Y) {
    int64_t sx0, sy0, dx, dy;
    switch (Orientation) {
      case 2: sx0 = w - 1, sy0 = Y, dx = -1, dy = 0; break;          // mirrored left to right
      case 3: sx0 = w - 1, sy0 = h - 1 - Y, dx = -1, dy = 0; break;  // turned half way
      case 4: sx0 = 0, sy0 = h - 1 - Y, dx = 1, dy = 0; break;       // mirrored top to bottom
      case 5: sx0 = Y, sy0 = 0, dx = 0, dy = 1; break;               // transposed
      case 6: sx0 = Y, sy0 = h - 1, dx = 0, dy = -1; break;          // needs a quarter turn clockwise
      case 7: sx0 = w - 1 - Y, sy0 = h - 1, dx = 0, dy = -1; break;  // transversed
      default: sx0 = w - 1 - Y, sy0 = 0, dx = 0, dy = 1; break;      // needs a quarter turn anticlockwise
    }
    if (bits == 24 || bits == 8) {
      const int64_t bpp = bits / 8;
      // Stored rows run bottom-up, so a step down the picture is a step back in memory.
      const int64_t step = dx * bpp - dy * Dib.RowBytes;
      const uint8_t* src = RowFromTop(Dib, sy0) + sx0 * bpp;
      uint8_t* dst = RowFromTop(*out, Y);
      if (bpp == 3) {
        for (int64_t X = 0; X < outW; ++X, src += step, dst += 3)
          dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
      } else {
        for (int64_t X = 0; X < outW; ++X, src += step) *dst++ = *src;
      }
    } else {
      const auto outRow = static_cast<int>(outH - 1 - Y);
      for (int64_t X = 0; X < outW; ++X) {
        const int64_t sx = sx0 + X * dx, sy = sy0 + X * dy;
        setpixel(*out, static_cast<int>(X), outRow,
                 getpixel(Dib, static_cast<int>(sx), static_cast<int>(h - 1 - sy)));
      }
    }
  }
  deldib(Dib);
  out.ReleaseTo(&Dib);
  return true;
}

}  // namespace pictaro
