#include "platform/MemoryDevice.h"

#include <algorithm>

#include "imaging/pictaro/Dib.h"

namespace {

// Reads pixels of a packed DIB given as header and bits (not a TDib: devices receive the parts).
class TDibReader {
 public:
  TDibReader(const TBitmapInfoHeader* Info, const void* Bits)
      : FInfo(Info),
        FBits(static_cast<const uint8_t*>(Bits)),
        FColors(reinterpret_cast<const uint8_t*>(Info) + Info->biSize),
        FRowBytes((static_cast<int64_t>(Info->biWidth) * Info->biBitCount + 31) / 32 * 4),
        FColorCount(Info->biBitCount <= 8 ? (Info->biClrUsed ? Info->biClrUsed : 1u << Info->biBitCount)
                                          : 0) {}

  bool Supported() const {
    const int b = FInfo->biBitCount;
    return FInfo->biCompression == 0 && FInfo->biWidth > 0 && FInfo->biHeight > 0 &&
           (b == 1 || b == 4 || b == 8 || b == 24 || b == 32);
  }
  int Width() const { return FInfo->biWidth; }
  int Height() const { return FInfo->biHeight; }

  // Colour of pixel X of stored row Row of Bits (counted from the first row Bits holds), 0x00RRGGBB.
  uint32_t Rgb(int X, int Row) const {
    const uint8_t* row = FBits + Row * FRowBytes;
    unsigned index;
    switch (FInfo->biBitCount) {
      case 24:
      case 32: {
        const uint8_t* p = row + static_cast<int64_t>(X) * (FInfo->biBitCount / 8);
        return (uint32_t{p[2]} << 16) | (p[1] << 8) | p[0];
      }
      case 8: index = row[X]; break;
      case 4: index = (X & 1) ? row[X >> 1] & 0x0F : row[X >> 1] >> 4; break;
      default: index = (row[X >> 3] >> (7 - (X & 7))) & 1; break;
    }
    if (index >= FColorCount) return 0;
    const uint8_t* q = FColors + 4 * index;
    return (uint32_t{q[2]} << 16) | (q[1] << 8) | q[0];
  }

 private:
  const TBitmapInfoHeader* FInfo;
  const uint8_t* FBits;
  const uint8_t* FColors;
  int64_t FRowBytes;
  uint32_t FColorCount;
};

}  // namespace

// A compatible bitmap: pixels 0x00RRGGBB, top row first, like the device's own.
class TMemoryDevice::TBitmap final : public TDeviceBitmap {
 public:
  TBitmap(TMemoryDevice& Owner, int Width, int Height)
      : Owner(Owner), Width(Width), Height(Height), Pixels(static_cast<size_t>(Width) * Height, 0) {
    ++Owner.CompatibleBitmaps;
  }
  ~TBitmap() override { --Owner.CompatibleBitmaps; }
  TMemoryDevice& Owner;
  int Width, Height;
  std::vector<uint32_t> Pixels;
};

TMemoryDevice::TMemoryDevice(int Width, int Height, int BitsPerPixel, int Technology, uint32_t RasterCaps)
    : Clip{0, 0, std::max(Width, 0), std::max(Height, 0)},
      FWidth(std::max(Width, 0)),
      FHeight(std::max(Height, 0)),
      FBitsPerPixel(BitsPerPixel),
      FTechnology(Technology),
      FRasterCaps(RasterCaps),
      FPixels(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight), 0x00FFFFFF) {}

uint32_t TMemoryDevice::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  return FPixels[static_cast<size_t>(Y) * FWidth + X];
}

void TMemoryDevice::Fill(uint32_t Rgb) { std::fill(FPixels.begin(), FPixels.end(), Rgb); }

void TMemoryDevice::Put(int X, int Y, uint32_t Rgb) {
  if (X >= std::max(0, Clip.Left) && Y >= std::max(0, Clip.Top) && X < std::min(FWidth, Clip.Right) &&
      Y < std::min(FHeight, Clip.Bottom))
    FPixels[static_cast<size_t>(Y) * FWidth + X] = Rgb;
}

int TMemoryDevice::StretchDIBits(int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY,
                                 int SrcWidth, int SrcHeight, const void* Bits, const TBitmapInfoHeader* Info,
                                 uint32_t) {
  ++StretchDIBitsCalls;
  if (RefuseStretchDIBits || !Bits || !Info) return GdiError;
  const TDibReader dib(Info, Bits);
  if (!dib.Supported()) return GdiError;
  if (DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return 0;
  for (int y = 0; y < DestHeight; ++y) {
    // Destination row y (from the top) shows the source rectangle's row from its top.
    const int64_t fromTop = static_cast<int64_t>(y) * SrcHeight / DestHeight;
    const int64_t stored = SrcY + SrcHeight - 1 - fromTop;
    if (stored < 0 || stored >= dib.Height()) continue;
    for (int x = 0; x < DestWidth; ++x) {
      const int64_t sx = SrcX + static_cast<int64_t>(x) * SrcWidth / DestWidth;
      if (sx < 0 || sx >= dib.Width()) continue;
      Put(DestX + x, DestY + y, dib.Rgb(static_cast<int>(sx), static_cast<int>(stored)));
    }
  }
  return SrcHeight;
}

int TMemoryDevice::SetDIBitsToDevice(int DestX, int DestY, int Width, int Height, int SrcX, int SrcY,
                                     int StartScan, int ScanLines, const void* Bits,
                                     const TBitmapInfoHeader* Info) {
  ++SetDIBitsToDeviceCalls;
  if (RefuseSetDIBitsToDevice || !Bits || !Info || Width <= 0 || Height <= 0 || ScanLines <= 0) return 0;
  const TDibReader dib(Info, Bits);
  if (!dib.Supported()) return 0;
  for (int y = 0; y < Height; ++y) {
    const int64_t stored = static_cast<int64_t>(SrcY) + Height - 1 - y;
    if (stored < StartScan || stored >= static_cast<int64_t>(StartScan) + ScanLines || stored >= dib.Height())
      continue;
    for (int x = 0; x < Width; ++x) {
      const int64_t sx = static_cast<int64_t>(SrcX) + x;
      if (sx < 0 || sx >= dib.Width()) continue;
      Put(DestX + x, DestY + y, dib.Rgb(static_cast<int>(sx), static_cast<int>(stored - StartScan)));
    }
  }
  return ScanLines;
}

void TMemoryDevice::FillRect(int Left, int Top, int Right, int Bottom, uint32_t Color) {
  const uint32_t rgb = ((Color & 0xFF) << 16) | (Color & 0xFF00) | ((Color >> 16) & 0xFF);
  for (int y = std::max(Top, 0); y < std::min(Bottom, FHeight); ++y)
    for (int x = std::max(Left, 0); x < std::min(Right, FWidth); ++x) Put(x, y, rgb);
}

std::unique_ptr<TDeviceBitmap> TMemoryDevice::CreateCompatibleBitmap(int Width, int Height) {
  if (RefuseCompatibleBitmap || Width <= 0 || Height <= 0) return nullptr;
  return std::make_unique<TBitmap>(*this, Width, Height);
}

int TMemoryDevice::SetDIBits(TDeviceBitmap& Bitmap, int StartScan, int ScanLines, const void* Bits,
                             const TBitmapInfoHeader* Info) {
  ++SetDIBitsCalls;
  auto* bitmap = dynamic_cast<TBitmap*>(&Bitmap);
  if (RefuseSetDIBits || !bitmap || !Bits || !Info || ScanLines <= 0 || StartScan < 0) return 0;
  const TDibReader dib(Info, Bits);
  if (!dib.Supported()) return 0;
  const int rows = std::min({ScanLines, dib.Height() - StartScan, bitmap->Height - StartScan});
  for (int i = 0; i < rows; ++i) {
    const int stored = StartScan + i;
    uint32_t* row = &bitmap->Pixels[static_cast<size_t>(bitmap->Height - 1 - stored) * bitmap->Width];
    for (int x = 0; x < std::min(bitmap->Width, dib.Width()); ++x) row[x] = dib.Rgb(x, i);
  }
  return std::max(rows, 0);
}

bool TMemoryDevice::StretchBlt(int DestX, int DestY, int DestWidth, int DestHeight,
                               const TDeviceBitmap& Source, int SrcX, int SrcY, int SrcWidth, int SrcHeight,
                               uint32_t) {
  ++StretchBltCalls;
  const auto* bitmap = dynamic_cast<const TBitmap*>(&Source);
  if (RefuseStretchBlt || !bitmap) return false;
  if (DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return true;
  for (int y = 0; y < DestHeight; ++y) {
    const int64_t sy = SrcY + static_cast<int64_t>(y) * SrcHeight / DestHeight;
    if (sy < 0 || sy >= bitmap->Height) continue;
    for (int x = 0; x < DestWidth; ++x) {
      const int64_t sx = SrcX + static_cast<int64_t>(x) * SrcWidth / DestWidth;
      if (sx < 0 || sx >= bitmap->Width) continue;
      Put(DestX + x, DestY + y, bitmap->Pixels[static_cast<size_t>(sy) * bitmap->Width + sx]);
    }
  }
  return true;
}

void* TMemoryDevice::SelectPalette(void* Palette) {
  ++SelectPaletteCalls;
  return TDevice::SelectPalette(Palette);
}
