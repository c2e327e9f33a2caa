#pragma once
// A drawing device as the picture renderer sees it: a screen, a print preview or a printer page.
// The window layer implements it over its painter; MemoryDevice implements it over a pixel buffer.
//
// Coordinates are device pixels, origin top left. Pictures are packed DIBs (a TBitmapInfoHeader, its
// colour table, rows bottom-up); a DIB source rectangle's SrcY counts stored rows, i.e. from the bottom.
// Colours are colour values 0x00BBGGRR (red in the low byte).
//
// Every call is made on the thread that owns the device; devices are not shared between threads.

#include <cstdint>
#include <memory>

struct TBitmapInfoHeader;

// Device technologies and raster capabilities, with the values the renderer tests for.
enum : int { DtRasDisplay = 1, DtRasPrinter = 2 };
enum : uint32_t { RcStretchDib = 0x2000, RcDibToDev = 0x0200, RcStretchBlt = 0x0800 };
// Raster operation: copy the source.
enum : uint32_t { RopSrcCopy = 0x00CC0020 };
// Stretch mode: scaling drops whole rows and columns instead of blending them.
enum : int { ColorOnColor = 3 };
// The failure result of StretchDIBits.
constexpr int GdiError = -1;

// A rectangle in device pixels; Right and Bottom are exclusive.
struct TDeviceRect {
  int Left, Top, Right, Bottom;
};

// A bitmap in the device's own pixel format, with the memory device context it is selected into:
// what CreateCompatibleBitmap makes. Deleting it deselects and frees both.
class TDeviceBitmap {
 public:
  virtual ~TDeviceBitmap() = default;
};

class TDevice {
 public:
  virtual ~TDevice() = default;

  // DtRasDisplay or DtRasPrinter.
  virtual int Technology() const = 0;
  // The Rc... flags of what the device's driver accepts.
  virtual uint32_t RasterCaps() const = 0;
  // Colour depth of the device's pixels: 8 or fewer means a palette display.
  virtual int BitsPerPixel() const = 0;
  // The part of the device that drawing can change at the moment (a paint event's region, the page);
  // drawing outside it is lost, so callers may skip work there.
  virtual TDeviceRect ClipBox() const = 0;

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

  // Fills Left <= x < Right, Top <= y < Bottom with Color. An empty rectangle fills nothing.
  virtual void FillRect(int Left, int Top, int Right, int Bottom, uint32_t Color) = 0;

  // A device-dependent bitmap of Width x Height pixels, its content undefined; nullptr when the device
  // cannot make one of that size.
  virtual std::unique_ptr<TDeviceBitmap> CreateCompatibleBitmap(int Width, int Height) = 0;
  // Sets ScanLines stored rows of Bitmap, beginning with stored row StartScan (row 0 is the bitmap's
  // bottom row), from Bits, which holds those rows of the DIB described by Info, the first being row
  // StartScan. Returns the number of rows set, 0 on failure.
  virtual int SetDIBits(TDeviceBitmap& Bitmap, int StartScan, int ScanLines, const void* Bits,
                        const TBitmapInfoHeader* Info) = 0;
  // Draws the rectangle (SrcX, SrcY, SrcWidth, SrcHeight) of Source, a bitmap this device made,
  // stretched into the destination rectangle. Device bitmaps run top-down: SrcY counts from the top.
  // False when the device refuses.
  virtual bool StretchBlt(int DestX, int DestY, int DestWidth, int DestHeight, const TDeviceBitmap& Source,
                          int SrcX, int SrcY, int SrcWidth, int SrcHeight, uint32_t Rop) = 0;

  // Stretch mode for StretchDIBits and StretchBlt; devices without a choice ignore it.
  virtual void SetStretchMode(int Mode) { FStretchMode = Mode; }
  int StretchMode() const { return FStretchMode; }

  // Selects a logical palette (nullptr: none) into the device as a foreground palette and returns the
  // one it replaces; RealizePalette maps it onto the display's colours. Devices without palettes only
  // remember the selection, so that it can be put back.
  virtual void* SelectPalette(void* Palette) {
    void* previous = FPalette;
    FPalette = Palette;
    return previous;
  }
  virtual void RealizePalette() {}
  void* SelectedPalette() const { return FPalette; }

 private:
  int FStretchMode = 0;
  void* FPalette = nullptr;
};

// The device of the desktop window, set by the window layer at start; nullptr when there is none (the
// command line, tests). The caller keeps ownership and clears it before the device dies.
void SetDesktopDevice(TDevice* Device);
TDevice* DesktopDevice();
