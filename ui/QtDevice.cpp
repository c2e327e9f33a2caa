#include "ui/QtDevice.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "imaging/pictaro/Dib.h"

namespace {

int StoredRowBytes(const TBitmapInfoHeader* Info) {
  return ((Info->biWidth * Info->biBitCount + 31) / 32) * 4;
}

QRgb ColorAt(const uint8_t* Table, int Index) {
  const uint8_t* quad = Table + 4 * Index;  // blue, green, red, reserved
  return qRgb(quad[2], quad[1], quad[0]);
}

}  // namespace

QImage DibToImage(const TBitmapInfoHeader* Info, const void* Bits, int SrcX, int SrcY, int SrcWidth,
                  int SrcHeight) {
  if (!Info || !Bits || Info->biWidth <= 0 || Info->biHeight <= 0) return {};
  const int w = Info->biWidth, h = Info->biHeight, bpp = Info->biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return {};
  // Clip the source to the picture; SrcY counts stored rows from the bottom.
  const int x0 = std::max(SrcX, 0), x1 = std::min(SrcX + SrcWidth, w);
  const int y0 = std::max(SrcY, 0), y1 = std::min(SrcY + SrcHeight, h);
  if (x1 <= x0 || y1 <= y0) return {};

  const uint8_t* table = reinterpret_cast<const uint8_t*>(Info) + Info->biSize;
  const uint8_t* bits = static_cast<const uint8_t*>(Bits);
  const int rowBytes = StoredRowBytes(Info);
  QImage image(x1 - x0, y1 - y0, QImage::Format_RGB32);
  for (int stored = y0; stored < y1; ++stored) {
    const uint8_t* row = bits + static_cast<size_t>(stored) * rowBytes;
    QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y1 - 1 - stored));
    for (int x = x0; x < x1; ++x) {
      QRgb c;
      switch (bpp) {
        case 24: c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
        case 8: c = ColorAt(table, row[x]); break;
        case 4: c = ColorAt(table, (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4); break;
        default: c = ColorAt(table, (row[x / 8] >> (7 - x % 8)) & 1); break;
      }
      out[x - x0] = c;
    }
  }
  return image;
}

namespace {

class TQtBitmap final : public TDeviceBitmap {
 public:
  explicit TQtBitmap(QImage Image) : Image(std::move(Image)) {}
  QImage Image;
};

TDeviceRect ToDeviceRect(const QRect& R) { return {R.left(), R.top(), R.right() + 1, R.bottom() + 1}; }

}  // namespace

QColor ColorFromRef(uint32_t Color) {
  return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

TQtPainterDevice::TQtPainterDevice(QPainter& Painter, int Technology, const QRect& Clip)
    : FPainter(Painter), FTechnology(Technology), FClip{0, 0, 0, 0} {
  if (!Clip.isEmpty())
    FClip = ToDeviceRect(Clip);
  else if (const QPaintDevice* device = Painter.device())
    FClip = ToDeviceRect(QRect(0, 0, device->width(), device->height()));
}

int TQtPainterDevice::BitsPerPixel() const {
  const QPaintDevice* device = FPainter.device();
  return device ? device->depth() : 24;
}

int TQtPainterDevice::StretchDIBits(int DestX, int DestY, int DestWidth, int DestHeight, int SrcX, int SrcY,
                                    int SrcWidth, int SrcHeight, const void* Bits,
                                    const TBitmapInfoHeader* Info, uint32_t) {
  if (DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return 0;
  const QImage image = DibToImage(Info, Bits, SrcX, SrcY, SrcWidth, SrcHeight);
  if (image.isNull()) return GdiError;
  FPainter.drawImage(QRect(DestX, DestY, DestWidth, DestHeight), image);
  return image.height();
}

int TQtPainterDevice::SetDIBitsToDevice(int DestX, int DestY, int Width, int Height, int SrcX, int SrcY,
                                        int StartScan, int ScanLines, const void* Bits,
                                        const TBitmapInfoHeader* Info) {
  if (Width <= 0 || Height <= 0 || ScanLines <= 0 || !Info) return 0;
  // Bits holds the stored rows StartScan .. StartScan + ScanLines - 1: present them as a DIB of that
  // many rows and take the source rectangle from it.
  TBitmapInfoHeader part = *Info;
  part.biHeight = ScanLines;
  QImage image;
  {
    // The colour table follows the header in memory; copy header and table together.
    const size_t tableBytes = Info->biBitCount <= 8 ? (size_t{4} << Info->biBitCount) : 0;
    std::vector<uint8_t> block(Info->biSize + tableBytes);
    std::memcpy(block.data(), &part, sizeof part);
    std::memcpy(block.data() + Info->biSize, reinterpret_cast<const uint8_t*>(Info) + Info->biSize,
                tableBytes);
    image = DibToImage(reinterpret_cast<const TBitmapInfoHeader*>(block.data()), Bits, SrcX, SrcY - StartScan,
                       Width, Height);
  }
  if (image.isNull()) return 0;
  FPainter.drawImage(QPoint(DestX, DestY + (Height - image.height())), image);
  return ScanLines;
}

int TQtDesktopDevice::BitsPerPixel() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->depth() : 24;
}

void TQtPainterDevice::FillRect(int Left, int Top, int Right, int Bottom, uint32_t Color) {
  if (Right > Left && Bottom > Top)
    FPainter.fillRect(QRect(Left, Top, Right - Left, Bottom - Top), ColorFromRef(Color));
}

std::unique_ptr<TDeviceBitmap> TQtPainterDevice::CreateCompatibleBitmap(int Width, int Height) {
  if (Width <= 0 || Height <= 0) return nullptr;
  QImage image(Width, Height, QImage::Format_RGB32);
  if (image.isNull()) return nullptr;
  return std::make_unique<TQtBitmap>(std::move(image));
}

int TQtPainterDevice::SetDIBits(TDeviceBitmap& Bitmap, int StartScan, int ScanLines, const void* Bits,
                                const TBitmapInfoHeader* Info) {
  auto* bitmap = dynamic_cast<TQtBitmap*>(&Bitmap);
  if (!bitmap || !Info || StartScan < 0 || ScanLines <= 0) return 0;
  const int rows = std::min(ScanLines, bitmap->Image.height() - StartScan);
  if (rows <= 0) return 0;
  const QImage part = DibToImage(Info, Bits, 0, 0, std::min(Info->biWidth, bitmap->Image.width()), rows);
  if (part.isNull()) return 0;
  // Stored row StartScan is the bitmap's row height - 1 - StartScan from the top.
  QPainter painter(&bitmap->Image);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(0, bitmap->Image.height() - StartScan - part.height()), part);
  return part.height();
}

bool TQtPainterDevice::StretchBlt(int DestX, int DestY, int DestWidth, int DestHeight,
                                  const TDeviceBitmap& Source, int SrcX, int SrcY, int SrcWidth,
                                  int SrcHeight, uint32_t) {
  const auto* bitmap = dynamic_cast<const TQtBitmap*>(&Source);
  if (!bitmap) return false;
  if (DestWidth <= 0 || DestHeight <= 0 || SrcWidth <= 0 || SrcHeight <= 0) return true;
  FPainter.drawImage(QRect(DestX, DestY, DestWidth, DestHeight), bitmap->Image,
                     QRect(SrcX, SrcY, SrcWidth, SrcHeight));
  return true;
}

void TQtPainterDevice::SetStretchMode(int Mode) {
  TDevice::SetStretchMode(Mode);
  FPainter.setRenderHint(QPainter::SmoothPixmapTransform, Mode != ColorOnColor);
}
