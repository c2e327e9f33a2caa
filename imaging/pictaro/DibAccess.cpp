#include "imaging/pictaro/Dib.h"
#include "platform/Device.h"

int32_t DibWidth(const TDib& Dib) { return Dib.Header ? Dib.Header->biWidth : 0; }

int32_t DibHeight(const TDib& Dib) { return Dib.Header ? Dib.Header->biHeight : 0; }

uint16_t DibBitCount(const TDib& Dib) { return Dib.Header ? Dib.Header->biBitCount : 0; }

uint32_t DibColorCount(const TDib& Dib) {
  const uint16_t bits = DibBitCount(Dib);
  return bits >= 32 ? 0u : (1u << bits);
}

uint32_t DibPaletteColors(const TDib& Dib) {
  const uint32_t n = DibColorCount(Dib);
  return n != 0 && n <= 256 ? n : 0;
}

int ScreenBitsPerPixel() {
  const TDevice* desktop = DesktopDevice();
  return desktop ? desktop->BitsPerPixel() : 24;
}
