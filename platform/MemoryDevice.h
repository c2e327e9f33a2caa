#pragma once
// A device that draws into a buffer of 32-bit pixels 0x00RRGGBB, top row first; for tests and for
// drawing off screen. Its technology, capabilities and depth are whatever the test says, and it can be
// told to refuse StretchDIBits and each step of the renderer's fallbacks, so that every path runs.
// Drawing stays inside Clip, as a device's clip region keeps it.

#include <cstdint>
#include <vector>

#include "platform/Device.h"

class TMemoryDevice final : public TDevice {
 public:
  TMemoryDevice(int Width, int Height, int BitsPerPixel = 24, int Technology = DtRasDisplay,
                uint32_t RasterCaps = RcStretchDib | RcDibToDev | RcStretchBlt);

  int Technology() const override { return FTechnology; }
  uint32_t RasterCaps() const override { return FRasterCaps; }
  int BitsPerPixel() const override { return FBitsPerPixel; }
  TDeviceRect ClipBox() const override { return Clip; }
  int StretchDIBits(int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY, int SrcWidth,
                    int SrcHeight, const void* Bits, const TBitmapInfoHeader* Info, uint32_t Rop) override;
  int SetDIBitsToDevice(int DestX, int DestY, int Width, int Height, int SrcX, int SrcY, int StartScan,
                        int ScanLines, const void* Bits, const TBitmapInfoHeader* Info) override;
  void FillRect(int Left, int Top, int Right, int Bottom, uint32_t Color) override;
  std::unique_ptr<TDeviceBitmap> CreateCompatibleBitmap(int Width, int Height) override;
  int SetDIBits(TDeviceBitmap& Bitmap, int StartScan, int ScanLines, const void* Bits,
                const TBitmapInfoHeader* Info) override;
  bool StretchBlt(int DestX, int DestY, int DestWidth, int DestHeight, const TDeviceBitmap& Source, int SrcX,
                  int SrcY, int SrcWidth, int SrcHeight, uint32_t Rop) override;
  void* SelectPalette(void* Palette) override;
  void RealizePalette() override { ++RealizePaletteCalls; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The pixel at (X, Y), 0x00RRGGBB; 0 outside the buffer.
  uint32_t Pixel(int X, int Y) const;
  void Fill(uint32_t Rgb);

  // The clip box; the whole buffer unless a test narrows it.
  TDeviceRect Clip;

  // Each set flag makes its call fail and draw nothing: StretchDIBits returns GdiError,
  // SetDIBitsToDevice and SetDIBits 0, CreateCompatibleBitmap nullptr, StretchBlt false.
  bool RefuseStretchDIBits = false;
  bool RefuseSetDIBitsToDevice = false;
  bool RefuseCompatibleBitmap = false;
  bool RefuseSetDIBits = false;
  bool RefuseStretchBlt = false;

  // Calls made so far, for tests of which path a renderer took.
  int StretchDIBitsCalls = 0;
  int SetDIBitsToDeviceCalls = 0;
  int CompatibleBitmaps = 0;  // made and not yet deleted
  int SetDIBitsCalls = 0;
  int StretchBltCalls = 0;
  int SelectPaletteCalls = 0;
  int RealizePaletteCalls = 0;

 private:
  class TBitmap;
  void Put(int X, int Y, uint32_t Rgb);
  int FWidth, FHeight, FBitsPerPixel, FTechnology;
  uint32_t FRasterCaps;
  std::vector<uint32_t> FPixels;
};
