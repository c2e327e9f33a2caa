#pragma once
// TDib: the one picture type of the program, a record exchanged by value with the picture library.
//
// A TDib describes a packed device-independent bitmap: one block holding a TBitmapInfoHeader, its
// colour table and the pixel rows. Bits == nullptr means "no picture"; it is the only failure signal of
// loading and creating pictures, and every reader tests it.
//
// Ownership: a record whose Bits is not nullptr owns library memory and is released exactly once with
// deldib. Copies of a record share that memory; after handing one copy to deldib, the holder of any
// other copy sets its Bits to nullptr.
//
// Pixel layout, as the program's own loops use it: rows are stored bottom-up (stored row 0 is the
// bottom row), stored row r starts at Bits + r * RowBytes. 24 bits: blue, green, red per pixel.
// 8 bits: one colour index per byte. 4 bits: the even pixel in the high nibble. 1 bit: through
// getpixel and setpixel only.

#include <cstdint>
#include <type_traits>

#pragma pack(push, 1)
struct TBitmapInfoHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(TBitmapInfoHeader) == 40);

// One colour table entry as the program reads it: red, green, blue and an ignored byte.
struct TDibColor {
  uint8_t Red;
  uint8_t Green;
  uint8_t Blue;
  uint8_t Unused;
};

struct TDib {
  TBitmapInfoHeader* Header;  // the packed DIB: header, colour table (RGBQUAD), pixel rows
  uint32_t Made;              // non-zero when newdib made a picture
  uint32_t LibraryWord;       // the library's own
  uint8_t* Bits;              // the pixel rows; nullptr: no picture
  int32_t RowBytes;           // bytes from one stored row to the next
  uint8_t HasPalette;         // 1: Palette must be selected into a device before drawing
  uint8_t LibraryBytes[5];
  TDibColor Colors[256];  // colour index i of a picture of 8 bits per pixel or fewer
  uint16_t LibraryShort;
  void* Palette;  // the device layer's palette, if any
  uint8_t Library[28];
};
static_assert(std::is_trivially_copyable_v<TDib>, "TDib records are copied byte for byte");

// biWidth, biHeight and biBitCount of the picture's header; 0 for a record without a header.
int32_t DibWidth(const TDib& Dib);
int32_t DibHeight(const TDib& Dib);
uint16_t DibBitCount(const TDib& Dib);
// 2 to the power of the bit count in 32-bit arithmetic: 1 for 0 bits, 0 for 32 bits.
uint32_t DibColorCount(const TDib& Dib);
// The number of colours to copy when a picture is derived from Dib: DibColorCount if <= 256, else 0.
uint32_t DibPaletteColors(const TDib& Dib);

// Bits per pixel of the desktop display: the desktop device's depth, 24 when no device is set.
int ScreenBitsPerPixel();
