#include "imaging/screen/PaintDib.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "imaging/color/ColorConvert.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "platform/Device.h"
#include "platform/Messages.h"

namespace {

// Proportional sizes: the product in integers, the quotient rounded to nearest, halves to even.
int RoundedQuotient(int64_t Product, int64_t Divisor) {
  return static_cast<int>(std::nearbyint(static_cast<double>(Product) / static_cast<double>(Divisor)));
}

// A picture this file made; freed with deldib when it goes.
struct TOwnedDib {
  TDib Dib{};
  ~TOwnedDib() { deldib(Dib); }
};

// Selects a palette for as long as it lives and puts the previous one back.
class TPaletteSelection {
 public:
  TPaletteSelection(TDevice& Device, void* Palette)
      : FDevice(Device), FPrevious(Device.SelectPalette(Palette)) {
    FDevice.RealizePalette();
  }
  ~TPaletteSelection() { FDevice.SelectPalette(FPrevious); }
  TPaletteSelection(const TPaletteSelection&) = delete;
  TPaletteSelection& operator=(const TPaletteSelection&) = delete;

 private:
  TDevice& FDevice;
  void* FPrevious;
};

// Scales a picture for a display one output row at a time, Bpp bytes per pixel (3 or 1). Only the rows
// and columns inside the device's clip box are worked out and sent.
template <int Bpp>
void PaintRows(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib, int SrcX,
               int TopRow, int SrcWidth, int SrcHeight, const TColorProfile* Profile) {
  if (!Dib.Bits || DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return;
  const TDeviceRect clip = DC.ClipBox();
  const int c0 = std::clamp(clip.Left - DestX, 0, DestWidth),
            c1 = std::clamp(clip.Right - DestX, 0, DestWidth);
  const int r0 = std::clamp(clip.Top - DestY, 0, DestHeight),
            r1 = std::clamp(clip.Bottom - DestY, 0, DestHeight);
  if (c1 <= c0 || r1 <= r0) return;
  const int width = c1 - c0;

  TOwnedDib row;
  if (Bpp == 3)
    newdib(&row.Dib, width, 1, 24, nullptr, 0);
  else
    newdib(&row.Dib, width, 1, 8, Dib.Header, static_cast<int>(DibPaletteColors(Dib)));
  if (!row.Dib.Bits) return;
  if (Bpp == 1) DibToScreen(row.Dib, Profile);  // the row's copy of the colour table

  // Column map: byte offset of each target column's source pixel within a row; the columns whose
  // source lies inside the picture run from first to last.
  const int64_t w = DibWidth(Dib), h = DibHeight(Dib);
  std::vector<int64_t> map(static_cast<size_t>(width));
  int first = width, last = -1;
  for (int i = 0; i < width; ++i) {
    const int64_t sx = SrcX + static_cast<int64_t>(SrcWidth) * (c0 + i) / DestWidth;
    map[static_cast<size_t>(i)] = sx * Bpp;
    if (sx >= 0 && sx < w) {
      first = std::min(first, i);
      last = i;
    }
  }

  const int64_t maxOffset = (h - 1) * Dib.RowBytes;
  int64_t prev = -1;
  for (int r = r0; r < r1; ++r) {
    const int64_t fromTop = TopRow + static_cast<int64_t>(SrcHeight) * r / DestHeight;
    const int64_t offset = (h - 1 - fromTop) * Dib.RowBytes;
    if (offset < 0 || offset > maxOffset) {
      std::memset(row.Dib.Bits, 0, static_cast<size_t>(row.Dib.RowBytes));
      prev = -1;  // the buffer no longer holds the last row copied
    } else if (offset != prev) {
      const uint8_t* from = Dib.Bits + offset;
      uint8_t* to = row.Dib.Bits;
      for (int i = first; i <= last; ++i) std::memcpy(to + i * Bpp, from + map[static_cast<size_t>(i)], Bpp);
      if (Bpp == 3 && last >= first) RowToScreen(to + first * Bpp, static_cast<size_t>(last - first + 1), Profile);
      prev = offset;
    }
    DC.SetDIBitsToDevice(DestX + c0, DestY + r, width, 1, 0, 0, 0, 1, row.Dib.Bits, row.Dib.Header);
  }
}

// The last fallback: the picture goes into a bitmap of the device's own format, which the device then
// stretches. The only route that tells the user when it fails.
void PaintThroughDeviceBitmap(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight,
                              const TDib& Dib, int SrcX, int SrcY, int SrcWidth, int SrcHeight,
                              uint32_t Rop) {
  const int w = DibWidth(Dib), h = DibHeight(Dib);
  const std::unique_ptr<TDeviceBitmap> bitmap = DC.CreateCompatibleBitmap(w, h);
  if (!bitmap) {
    ShowError("Konnte Bitmap nicht erzeugen!");
    return;
  }
  if (DC.SetDIBits(*bitmap, 0, h, Dib.Bits, Dib.Header) == 0) {
    ShowError("Das Gerät unterstützt die Funtkion setdibits nicht!");
    return;
  }
  // The device bitmap runs top-down, while SrcY counts stored rows from the bottom.
  const int top = h - SrcY - SrcHeight;
  if (!DC.StretchBlt(DestX, DestY, DestWidth, DestHeight, *bitmap, SrcX, top, SrcWidth, SrcHeight, Rop))
    ShowError("Das Gerät unterstützt die Funktion StretchBlt nicht!");
}

// Halftoned drawing of a 24-bit picture for a palette display. When shrinking, the whole picture is
// dithered at the scale it is drawn at and the matching part is copied pixel for pixel.
void PaintHalftoned(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib,
                    int SrcX, int SrcY, int SrcWidth, int SrcHeight, uint32_t Rop, void* Palette) {
  const int w = DibWidth(Dib), h = DibHeight(Dib);
  const bool shrinking = SrcWidth > DestWidth || SrcHeight > DestHeight;
  TOwnedDib t;
  if (shrinking)
    DIBHalftoneDIBXY(&t.Dib, Dib, RoundedQuotient(int64_t{w} * DestWidth, SrcWidth),
                     RoundedQuotient(int64_t{h} * DestHeight, SrcHeight));
  else
    DIBHalftoneDIB(&t.Dib, Dib);
  const TPaletteSelection palette(DC, Palette);
  if (!t.Dib.Bits) return;
  if (shrinking)
    DC.StretchDIBits(DestX, DestY, DestWidth, DestHeight, RoundedQuotient(int64_t{DibWidth(t.Dib)} * SrcX, w),
                     RoundedQuotient(int64_t{DibHeight(t.Dib)} * SrcY, h), DestWidth, DestHeight, t.Dib.Bits,
                     t.Dib.Header, Rop);
  else
    DC.StretchDIBits(DestX, DestY, DestWidth, DestHeight, SrcX, SrcY, SrcWidth, SrcHeight, t.Dib.Bits,
                     t.Dib.Header, Rop);
}

}  // namespace

void PaintRows24(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib, int SrcX,
                 int TopRow, int SrcWidth, int SrcHeight, const TColorProfile* Profile) {
  PaintRows<3>(DC, DestX, DestY, DestWidth, DestHeight, Dib, SrcX, TopRow, SrcWidth, SrcHeight, Profile);
}

void PaintRows8(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Dib, int SrcX,
                int TopRow, int SrcWidth, int SrcHeight, const TColorProfile* Profile) {
  PaintRows<1>(DC, DestX, DestY, DestWidth, DestHeight, Dib, SrcX, TopRow, SrcWidth, SrcHeight, Profile);
}

void ScaleDibByHand(const TDib& Dib, int SrcX, int SrcY, int SrcWidth, int SrcHeight, int DestWidth,
                    int DestHeight, TDib* Out) {
  std::memset(Out, 0, sizeof *Out);
  if (!Dib.Bits || DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return;
  const int bits = DibBitCount(Dib);
  newdib(Out, DestWidth, DestHeight, bits, Dib.Header, static_cast<int>(DibPaletteColors(Dib)));
  if (!Out->Bits || (bits != 1 && bits != 4 && bits != 8 && bits != 24)) return;
  // Source column of each target column; a one-pixel target takes the first column.
  std::vector<int> columns(static_cast<size_t>(DestWidth));
  for (int x = 0; x < DestWidth; ++x)
    columns[static_cast<size_t>(x)] =
        DestWidth == 1 ? SrcX : static_cast<int>(int64_t{SrcWidth - 1} * x / (DestWidth - 1) + SrcX);
  for (int y = 0; y < DestHeight; ++y) {
    const int sy =
        DestHeight == 1 ? SrcY : static_cast<int>(int64_t{SrcHeight - 1} * y / (DestHeight - 1) + SrcY);
    const uint8_t* from = Dib.Bits + static_cast<int64_t>(sy) * Dib.RowBytes;
    uint8_t* to = Out->Bits + static_cast<int64_t>(y) * Out->RowBytes;
    for (int x = 0; x < DestWidth; ++x) {
      const int sx = columns[static_cast<size_t>(x)];
      switch (bits) {
        case 1: setpixel(*Out, x, y, getpixel(Dib, sx, sy)); break;
        case 4: {
          const unsigned nibble = (sx & 1) ? from[sx / 2] & 0x0F : from[sx / 2] >> 4;
          to[x / 2] |= static_cast<uint8_t>((x & 1) ? nibble : nibble << 4);
          break;
        }
        case 8: to[x] = from[sx]; break;
        default: std::memcpy(to + 3 * int64_t{x}, from + 3 * int64_t{sx}, 3); break;
      }
    }
  }
}

void PaintDib(TDevice& DC, int DestX, int DestY, int DestWidth, int DestHeight, const TDib& Source, int SrcX,
              int SrcY, int SrcWidth, int SrcHeight, bool Halftone, uint32_t Rop, bool UseOwnPalette,
              void* CallerPalette, const TColorProfile* Profile) {
  if (!Source.Bits || !Source.Header || SrcWidth <= 0 || SrcHeight <= 0) return;
  const int bits = DibBitCount(Source);
  const bool rows = (bits == 24 || bits == 8) && DC.Technology() != DtRasPrinter &&
                    !(bits == 24 && ScreenBitsPerPixel() <= 8 && Halftone);
  // The routes that hand the whole picture on get a converted copy; the row routes convert as they go.
  TOwnedDib converted;
  if (NeedsConversion(Profile) && !rows) {
    newdibUncleared(&converted.Dib, DibWidth(Source), DibHeight(Source), bits, Source.Header,
                    static_cast<int>(DibPaletteColors(Source)));
    if (converted.Dib.Bits) {
      std::memcpy(converted.Dib.Bits, Source.Bits, static_cast<size_t>(Source.RowBytes) * DibHeight(Source));
      converted.Dib.HasPalette = Source.HasPalette;
      converted.Dib.Palette = Source.Palette;
      DibToScreen(converted.Dib, Profile);
    }
  }
  const TDib& Dib = converted.Dib.Bits ? converted.Dib : Source;
  if (!Dib.Bits || !Dib.Header || SrcWidth <= 0 || SrcHeight <= 0) return;
  const bool isPrinter = DC.Technology() == DtRasPrinter;
  DC.SetStretchMode(ColorOnColor);
  const int w = DibWidth(Dib), h = DibHeight(Dib);

  // Clip the source to the picture, shrinking the target in proportion.
  if (SrcX + SrcWidth > w) {  // right
    const int n = w - SrcX;
    DestWidth = RoundedQuotient(int64_t{DestWidth} * n, SrcWidth);
    SrcWidth = n;
  }
  if (SrcY < 0) {  // bottom
    const int n = SrcHeight + SrcY;
    DestHeight = RoundedQuotient(int64_t{n} * DestHeight, SrcHeight);
    SrcHeight = n;
    SrcY = 0;
  }
  if (SrcY + SrcHeight > h && SrcHeight > 0) {  // top
    const int n = h - SrcY;
    const int newHeight = RoundedQuotient(int64_t{DestHeight} * n, SrcHeight);
    DestY += DestHeight - newHeight;
    DestHeight = newHeight;
    SrcHeight = n;
  }
  if (SrcX < 0 && SrcWidth > 0) {  // left
    const int n = SrcX + SrcWidth;
    const int newWidth = RoundedQuotient(int64_t{n} * DestWidth, SrcWidth);
    DestX += DestWidth - newWidth;
    DestWidth = newWidth;
    SrcWidth = n;
    SrcX = 0;
  }
  // Nothing of the picture is left to draw, or nowhere to draw it.
  if (SrcWidth <= 0 || SrcHeight <= 0 || DestWidth <= 0 || DestHeight <= 0) return;

  void* palette = UseOwnPalette ? Dib.Palette : CallerPalette;
  std::optional<TPaletteSelection> selection;
  if (Dib.HasPalette == 1) selection.emplace(DC, palette);

  if (bits == 24 && ScreenBitsPerPixel() <= 8 && Halftone) {
    PaintHalftoned(DC, DestX, DestY, DestWidth, DestHeight, Dib, SrcX, SrcY, SrcWidth, SrcHeight, Rop,
                   palette);
  } else if (bits == 24 && !isPrinter) {
    PaintRows24(DC, DestX, DestY, DestWidth, DestHeight, Dib, SrcX, h - SrcY - SrcHeight, SrcWidth, SrcHeight,
                Profile);
  } else if (bits == 8 && !isPrinter) {
    PaintRows8(DC, DestX, DestY, DestWidth, DestHeight, Dib, SrcX, h - SrcY - SrcHeight, SrcWidth, SrcHeight,
               Profile);
  } else {
    bool dibToDev = (DC.RasterCaps() & RcDibToDev) != 0;
    // A result of 0 lines counts as done: only GdiError is a refusal.
    const bool done = DC.StretchDIBits(DestX, DestY, DestWidth, DestHeight, SrcX, SrcY, SrcWidth, SrcHeight,
                                       Dib.Bits, Dib.Header, Rop) != GdiError;
    if (!done && dibToDev) {
      TOwnedDib t;
      ScaleDibByHand(Dib, SrcX, SrcY, SrcWidth, SrcHeight, DestWidth, DestHeight, &t.Dib);
      dibToDev = t.Dib.Bits && DC.SetDIBitsToDevice(DestX, DestY, DestWidth, DestHeight, 0, 0, 0, DestHeight,
                                                    t.Dib.Bits, t.Dib.Header) != 0;
    }
    if (!done && !dibToDev)
      PaintThroughDeviceBitmap(DC, DestX, DestY, DestWidth, DestHeight, Dib, SrcX, SrcY, SrcWidth, SrcHeight,
                               Rop);
  }
}
