#pragma once
// The device layer over Qt: TQtPainterDevice draws DIBs through a QPainter (a widget, a QImage, a
// printer page); TQtDesktopDevice describes the desktop display for ScreenBitsPerPixel.

#include <QColor>
#include <QImage>
#include <QRect>

#include "platform/Device.h"

class QPainter;

// A DIB (header with colour table, rows bottom-up) as a top-down QImage of the source rectangle;
// null for depths Qt cannot show. The image owns its pixels.
QImage DibToImage(const TBitmapInfoHeader* Info, const void* Bits, int SrcX, int SrcY, int SrcWidth,
                  int SrcHeight);

// Compatible bitmaps are QImages in the painter's RGB32 format. Only copying is drawn; other raster
// operations draw as a copy.
class TQtPainterDevice final : public TDevice {
 public:
  // Technology: DtRasDisplay for the screen and previews, DtRasPrinter for printer pages. Clip: the
  // part being painted (a paint event's rectangle); empty: the whole paint device.
  TQtPainterDevice(QPainter& Painter, int Technology = DtRasDisplay, const QRect& Clip = QRect());

  int Technology() const override { return FTechnology; }
  uint32_t RasterCaps() const override { return RcStretchDib | RcDibToDev | RcStretchBlt; }
  int BitsPerPixel() const override;
  TDeviceRect ClipBox() const override { return FClip; }
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
  // ColorOnColor turns smooth scaling off; any other mode turns it on.
  void SetStretchMode(int Mode) override;

 private:
  QPainter& FPainter;
  int FTechnology;
  TDeviceRect FClip;
};

// A colour value 0x00BBGGRR as a QColor.
QColor ColorFromRef(uint32_t Color);

// The desktop display: its depth only; it draws nothing.
class TQtDesktopDevice final : public TDevice {
 public:
  int Technology() const override { return DtRasDisplay; }
  uint32_t RasterCaps() const override { return RcStretchDib | RcDibToDev | RcStretchBlt; }
  // The primary screen's depth (24 or 32 on a true-colour desktop).
  int BitsPerPixel() const override;
  int StretchDIBits(int, int, int, int, int, int, int, int, const void*, const TBitmapInfoHeader*,
                    uint32_t) override {
    return GdiError;
  }
  int SetDIBitsToDevice(int, int, int, int, int, int, int, int, const void*,
                        const TBitmapInfoHeader*) override {
    return 0;
  }
  TDeviceRect ClipBox() const override { return {0, 0, 0, 0}; }
  void FillRect(int, int, int, int, uint32_t) override {}
  std::unique_ptr<TDeviceBitmap> CreateCompatibleBitmap(int, int) override { return nullptr; }
  int SetDIBits(TDeviceBitmap&, int, int, const void*, const TBitmapInfoHeader*) override { return 0; }
  bool StretchBlt(int, int, int, int, const TDeviceBitmap&, int, int, int, int, uint32_t) override {
    return false;
  }
};
