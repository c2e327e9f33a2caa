#pragma once
// A drawing device as the picture renderer sees it: a screen, a print preview or a printer page.
// The window layer implements it over its painter; MemoryDevice implements it over a pixel buffer.
//
// Coordinates are device pixels, origin top left. Pictures are packed DIBs (a TBitmapInfoHeader, its
// colour table, rows bottom-up); a source rectangle's SrcY counts stored rows, i.e. from the bottom.

#include <cstdint>

struct TBitmapInfoHeader;

// Device technologies and raster capabilities, with the values the renderer tests for.
enum : int { DtRasDisplay = 1, DtRasPrinter = 2 };
enum : uint32_t { RcStretchDib = 0x2000, RcDibToDev = 0x0200, RcStretchBlt = 0x0800 };
// Raster operation: copy the source.
enum : uint32_t { RopSrcCopy = 0x00CC0020 };
// The failure result of StretchDIBits.
constexpr int GdiError = -1;

class TDevice {
 public:
  virtual ~TDevice() = default;

  // DtRasDisplay or DtRasPrinter.
  virtual int Technology() const = 0;
  // The Rc... flags of what the device's driver accepts.
  virtual uint32_t RasterCaps() const = 0;
  // Colour depth of the device's pixels: 8 or fewer means a palette display.
  virtual int BitsPerPixel() const = 0;

  // Draws the source rectangle of the DIB (Info, Bits) stretched into the destination rectangle.
  // Returns the number of scan lines drawn, or GdiError when the device refuses. Sizes that are not
  // positive draw nothing.
  virtual int StretchDIBits(int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY,
                            int SrcWidth, int SrcHeight, const void* Bits, const TBitmapInfoHeader* Info,
                            uint32_t Rop) = 0;

  // Copies Width x Height pixels unscaled. Bits holds ScanLines stored rows beginning with stored row
  // StartScan of the DIB described by Info; the source rectangle starts at (SrcX, SrcY), SrcY counted
  // in stored rows from the bottom. Returns the number of scan lines set, 0 on failure.
  virtual int SetDIBitsToDevice(int DestX, int DestY, int Width, int Height, int SrcX, int SrcY,
                                int StartScan, int ScanLines, const void* Bits,
                                const TBitmapInfoHeader* Info) = 0;
};

// The device of the desktop window, set by the window layer at start; nullptr when there is none (the
// command line, tests). The caller keeps ownership and clears it before the device dies.
void SetDesktopDevice(TDevice* Device);
TDevice* DesktopDevice();
