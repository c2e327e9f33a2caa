#pragma once
// Making and owning packed DIB blocks inside the picture library.

#include <cstddef>
#include <cstdint>

#include "imaging/Dib.h"

namespace pictaro {

// Bytes of one stored row: Width * BitCount bits rounded up to whole 32-bit words. 0 when the row
// would not fit a signed 32-bit RowBytes.
int32_t RowBytesFor(int64_t Width, int BitCount);

// Fills Dib with a new zeroed picture: header, colour table (1 << BitCount entries for 8 bits or
// fewer, all black) and pixel rows in one block from calloc. BitCount is 1, 4, 8, 16, 24 or 32.
// Refuses (returns false, Dib all zero) sizes that are not positive, pictures above PictureLimit()
// pixels (before allocating) and failed allocations.
bool AllocDib(TDib* Dib, int64_t Width, int64_t Height, int BitCount);

// Sets colour index I in the block's RGBQUAD table and in the record's Colors mirror.
void SetDibColor(TDib& Dib, int I, uint8_t Red, uint8_t Green, uint8_t Blue);
// Sets a grey ramp of 1 << BitCount entries (black to white).
void SetGreyColors(TDib& Dib);

// The stored row that shows picture row Y counted from the top.
inline uint8_t* RowFromTop(const TDib& Dib, int64_t Y) {
  return Dib.Bits + (Dib.Header->biHeight - 1 - Y) * static_cast<int64_t>(Dib.RowBytes);
}

// Owns a picture under construction; frees it with deldib unless released to the caller.
class TDibOwner {
public:
  TDibOwner() = default;
  ~TDibOwner();
  TDibOwner(const TDibOwner&) = delete;
  TDibOwner& operator=(const TDibOwner&) = delete;
  TDib* Get() { return &FDib; }
  TDib& operator*() { return FDib; }
  TDib* operator->() { return &FDib; }
  // Hands the picture to Out and forgets it.
  void ReleaseTo(TDib* Out);
  // Frees the picture now (if any) and holds none.
  void Reset();

private:
  TDib FDib{};
};

}  // namespace pictaro
