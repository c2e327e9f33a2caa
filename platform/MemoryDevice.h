#pragma once
// A device that draws into a buffer of 32-bit pixels 0x00RRGGBB, top row first; for tests and for
// drawing off screen. Its technology, capabilities and depth are whatever the test says, and it can
// be told to refuse StretchDIBits so that fallback paths can be exercised.

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
  int StretchDIBits(int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY, int SrcWidth,
                    int SrcHeight, const void* Bits, const TBitmapInfoHeader* Info, uint32_t Rop) override;
  int SetDIBitsToDevice(int DestX, int DestY, int Width, int Height, int SrcX, int SrcY, int StartScan,
                        int ScanLines, const void* Bits, const TBitmapInfoHeader* Info) override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The pixel at (X, Y), 0x00RRGGBB; 0 outside the buffer.
  uint32_t Pixel(int X, int Y) const;
  void Fill(uint32_t Rgb);

  // When set, StretchDIBits returns GdiError and draws nothing.
  bool RefuseStretchDIBits = false;
  // Calls made so far, for tests of which path a renderer took.
  int StretchDIBitsCalls = 0;
  int SetDIBitsToDeviceCalls = 0;

 private:
  void Put(int X, int Y, uint32_t Rgb);
  int FWidth, FHeight, FBitsPerPixel, FTechnology;
  uint32_t FRasterCaps;
  std::vector<uint32_t> FPixels;
};
