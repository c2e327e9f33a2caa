#pragma once
// Making and owning packed DIB blocks inside the picture library.

#include <cstddef>
#include <cstdint>

#include "imaging/pictaro/Dib.h"

namespace pictaro {

// Bytes of one stored row: Width * BitCount bits rounded up to whole 32-bit words. 0 when the row
// would not fit a signed 32-bit RowBytes.
int32_t RowBytesFor(int64_t Width, int BitCount);

// How AllocDib leaves the pixel rows.
enum class TPixels {
  Zeroed,  // every byte zero, as newdib promises
  // Only the padding after each row's last pixel is zeroed; the pixels themselves hold whatever the
  // block held before. For writers that fill every pixel of every row before anyone reads them.
  Unset,
};

// Fills Dib with a new picture: header, colour table (1 << BitCount entries for 8 bits or fewer, all
// black) and pixel rows in one block from TakeDibBlock. BitCount is 1, 4, 8, 16, 24 or 32. Refuses
// (returns false, Dib all zero) sizes that are not positive, pictures above PictureLimit() pixels
// (before allocating) and failed allocations.
bool AllocDib(TDib* Dib, int64_t Width, int64_t Height, int BitCount, TPixels Pixels = TPixels::Zeroed);

// The blocks of pictures. Blocks of SpareFrom bytes or more are photo-sized; freeing one keeps it as
// the spare (the larger of it and an older spare wins, the other goes back to the system), and the
// next photo-sized request that fits takes the spare instead of fresh pages from the system. Fresh
// pages of a block this large come straight from mmap, each one faulted in and zeroed by the kernel on
// first touch, again for every picture; loading a whole album pays that tens of times over.
//
// A request that does not fit frees the spare before it allocates, so a spare never sits beside a new
// picture: the program holds at most the pictures it uses, plus one spare when none of them is held.
// All functions are safe to call from any thread.
constexpr size_t SpareFrom = size_t{8} << 20;
// A block of at least Size bytes from the spare or malloc, or nullptr. Zeroed: all of it is zero.
void* TakeDibBlock(size_t Size, bool Zeroed);
// Frees a block of TakeDibBlock; nullptr does nothing.
void FreeDibBlock(void* Block);
// Gives the spare back to the system.
void ReleaseSpareDibBlock();
// Blocks handed out by TakeDibBlock and not yet freed (the spare does not count).
int HeldDibBlocks();

// Sets colour index I in the block's RGBQUAD table and in the record's Colors mirror.
void SetDibColor(TDib& Dib, int I, uint8_t Red, uint8_t Green, uint8_t Blue);
// Sets a grey ramp of 1 << BitCount entries (black to white).
void SetGreyColors(TDib& Dib);

// The stored row that shows picture row Y counted from the top.
inline uint8_t* RowFromTop(const TDib& Dib, int64_t Y) {
  return Dib.Bits + (Dib.Header->biHeight - 1 - Y) * static_cast<int64_t>(Dib.RowBytes);
}

// The colour of pixel (X, Y), stored row order, of a picture of 1, 4, 8, 24 or 32 bits, as blue, green,
// red.
inline void PixelBgr(const TDib& Dib, int64_t X, int64_t Y, uint8_t Bgr[3]) {
  const int bits = Dib.Header->biBitCount;
  const uint8_t* row = Dib.Bits + Y * Dib.RowBytes;
  if (bits == 24 || bits == 32) {
    const uint8_t* p = row + X * (bits / 8);
    Bgr[0] = p[0], Bgr[1] = p[1], Bgr[2] = p[2];
    return;
  }
  const unsigned index = bits == 8   ? row[X]
                         : bits == 4 ? ((X & 1) ? row[X >> 1] & 0x0Fu : row[X >> 1] >> 4)
                                     : (row[X >> 3] >> (7 - (X & 7))) & 1u;
  const TDibColor& c = Dib.Colors[index];
  Bgr[0] = c.Blue, Bgr[1] = c.Green, Bgr[2] = c.Red;
}

// Frees what Dib holds (what deldib does); nothing when Dib.Bits is nullptr.
void FreeDib(const TDib& Dib);

// Owns a picture under construction; frees it unless released to the caller.
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
