#pragma once
// Making and freeing the picture library's pictures, and their single pixels. Pictaro.h offers these
// too; this header alone is for the library's own files that must not lean on its entry.

#include <cstdint>

#include "imaging/pictaro/Dib.h"

// Makes a new picture with all pixels zero. ColorSource, if given, is a header followed by its colour
// table, of which ColorCount entries are copied. When memory is short Dib->Bits and Dib->Made are 0.
void newdib(TDib* Dib, int Width, int Height, int BitCount, const TBitmapInfoHeader* ColorSource,
            int ColorCount);

// Frees what Dib holds; does nothing when Dib.Bits is nullptr. The caller's copy is not changed.
void deldib(TDib Dib);

// The pixel at column x, row y (stored row order): a colour index for pictures of 8 bits or fewer,
// 0x00BBGGRR for 24 bits. Outside the picture: 0.
uint32_t getpixel(TDib Dib, int x, int y);
// Stores Value at x, y: a colour index, or 0x00BBGGRR for 24 bits. Outside the picture: nothing.
void setpixel(TDib Dib, int x, int y, uint32_t Value);
