#pragma once
// The device layer over Qt: TQtPainterDevice draws DIBs through a QPainter (a widget, a QImage, a
// printer page); TQtDesktopDevice describes the desktop display for ScreenBitsPerPixel.

#include <QImage>

#include "platform/Device.h"

class QPainter;

// A DIB (header with colour table, rows bottom-up) as a top-down QImage of the source rectangle;
// null for depths Qt cannot show. The image owns its pixels.
QImage DibToImage(const TBitmapInfoHeader* Info, const void* Bits, int SrcX, int SrcY, int SrcWidth,
                  int SrcHeight);

class TQtPainterDevice final : public TDevice {
 public:
  // Technology: DtRasDisplay for the screen and previews, DtRasPrinter for printer pages.
  TQtPainterDevice(QPainter& Painter, int Technology = DtRasDisplay);

  int Technology() const override { return FTechnology; }
  uint32_t RasterCaps() const override { return RcStretchDib | RcDibToDev | RcStretchBlt; }
  int BitsPerPixel() const override;
  int StretchDIBits(int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY, int SrcWidth,
                    int SrcHeight, const void* Bits, const TBitmapInfoHeader* Info, uint32_t Rop) override;
  int SetDIBitsToDevice(int DestX, int DestY, int Width, int Height, int SrcX, int SrcY, int StartScan,
                        int ScanLines, const void* Bits, const TBitmapInfoHeader* Info) override;

 private:
  QPainter& FPainter;
  int FTechnology;
};

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
};
