#include "imaging/pictaro/DibAlloc.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "imaging/pictaro/PictaroDecode.h"

namespace {
// Read by every thread that decodes pictures; lowered only by fuzz targets and tests.
std::atomic<uint64_t> gMaxPixels{400'000'000};

std::atomic<int> gHeld{0};  // blocks handed out by TakeDibBlock and not yet freed
std::mutex gSpareLock;
void* gSpare = nullptr;  // guarded by gSpareLock, as is gSpareSize
size_t gSpareSize = 0;
}  // namespace

uint64_t SetPictureLimit(uint64_t MaxPixels) { return gMaxPixels.exchange(MaxPixels); }

uint64_t PictureLimit() { return gMaxPixels; }

namespace pictaro {

int32_t RowBytesFor(int64_t Width, int BitCount) {
  if (Width <= 0 || BitCount <= 0) return 0;
  const int64_t bytes = (Width * BitCount + 31) / 32 * 4;
  return bytes > INT32_MAX ? 0 : static_cast<int32_t>(bytes);
}

void* TakeDibBlock(size_t Size, bool Zeroed) {
  if (Size >= SpareFrom) {
    void* spare = nullptr;
    {
      std::lock_guard<std::mutex> lock(gSpareLock);
      spare = gSpare;
      if (spare && gSpareSize >= Size) {
        gSpare = nullptr;
        gSpareSize = 0;
      } else {
        spare = nullptr;
        // Too small: it goes back before the new block is made, never beside it.
        std::free(gSpare);
        gSpare = nullptr;
        gSpareSize = 0;
      }
    }
    if (spare) {
      if (Zeroed) std::memset(spare, 0, Size);
      ++gHeld;
      return spare;
    }
  }
  void* block = Zeroed ? std::calloc(1, Size) : std::malloc(Size);
  if (block) ++gHeld;
  return block;
}

void FreeDibBlock(void* Block) {
  if (!Block) return;
  --gHeld;
  const size_t size = malloc_usable_size(Block);
  if (size < SpareFrom) {
    std::free(Block);
    return;
  }
  void* loser = Block;
  {
    std::lock_guard<std::mutex> lock(gSpareLock);
    if (!gSpare || gSpareSize < size) {
      loser = gSpare;
      gSpare = Block;
      gSpareSize = size;
    }
  }
  std::free(loser);
}

void ReleaseSpareDibBlock() {
  void* spare = nullptr;
  {
    std::lock_guard<std::mutex> lock(gSpareLock);
    spare = gSpare;
    gSpare = nullptr;
    gSpareSize = 0;
  }
  std::free(spare);
}

bool AllocDib(TDib* Dib, int64_t Width, int64_t Height, int BitCount, TPixels Pixels) {
  std::memset(Dib, 0, sizeof *Dib);
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 16 && BitCount != 24 && BitCount != 32)
    return false;
  // Both sides are checked separately first so the product below cannot overflow.
  if (Width <= 0 || Height <= 0 || Width > INT32_MAX || Height > INT32_MAX) return false;
  if (static_cast<uint64_t>(Width) * static_cast<uint64_t>(Height) > gMaxPixels) return false;
  const int32_t rowBytes = RowBytesFor(Width, BitCount);
  if (rowBytes == 0) return false;
  const uint64_t colors = BitCount <= 8 ? (1u << BitCount) : 0;
  const uint64_t image = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(Height);
  if (image > UINT32_MAX) return false;  // biSizeImage must hold it
  const uint64_t total = sizeof(TBitmapInfoHeader) + colors * 4 + image;
  if (total > SIZE_MAX) return false;

  const size_t tableEnd = sizeof(TBitmapInfoHeader) + static_cast<size_t>(colors) * 4;
  auto* block = static_cast<uint8_t*>(TakeDibBlock(static_cast<size_t>(total), Pixels == TPixels::Zeroed));
  if (!block) return false;
  if (Pixels == TPixels::Unset) {
    std::memset(block, 0, tableEnd);
    const size_t used = (static_cast<size_t>(Width) * BitCount + 7) / 8;
    if (used < static_cast<size_t>(rowBytes))
      for (int64_t r = 0; r < Height; ++r)
        std::memset(block + tableEnd + r * rowBytes + used, 0, static_cast<size_t>(rowBytes) - used);
  }
  auto* header = reinterpret_cast<TBitmapInfoHeader*>(block);
  header->biSize = sizeof(TBitmapInfoHeader);
  header->biWidth = static_cast<int32_t>(Width);
  header->biHeight = static_cast<int32_t>(Height);
  header->biPlanes = 1;
  header->biBitCount = static_cast<uint16_t>(BitCount);
  header->biCompression = 0;
  header->biSizeImage = static_cast<uint32_t>(image);
  header->biXPelsPerMeter = 3780;  // 96 dpi
  header->biYPelsPerMeter = 3780;
  header->biClrUsed = static_cast<uint32_t>(colors);
  Dib->Header = header;
  Dib->Bits = block + tableEnd;
  Dib->RowBytes = rowBytes;
  Dib->Made = 1;
  return true;
}

void SetDibColor(TDib& Dib, int I, uint8_t Red, uint8_t Green, uint8_t Blue) {
  if (I < 0 || I > 255 || !Dib.Header || I >= static_cast<int>(Dib.Header->biClrUsed)) return;
  uint8_t* quad = reinterpret_cast<uint8_t*>(Dib.Header) + Dib.Header->biSize + 4 * I;
  quad[0] = Blue;
  quad[1] = Green;
  quad[2] = Red;
  quad[3] = 0;
  Dib.Colors[I] = TDibColor{Red, Green, Blue, 0};
}

void SetGreyColors(TDib& Dib) {
  const int n = Dib.Header ? static_cast<int>(Dib.Header->biClrUsed) : 0;
  for (int i = 0; i < n; ++i) {
    const auto v = static_cast<uint8_t>(n > 1 ? i * 255 / (n - 1) : 0);
    SetDibColor(Dib, i, v, v, v);
  }
}

int HeldDibBlocks() { return gHeld; }

void FreeDib(const TDib& Dib) {
  if (Dib.Bits) FreeDibBlock(Dib.Header);
}

TDibOwner::~TDibOwner() { FreeDib(FDib); }

void TDibOwner::ReleaseTo(TDib* Out) {
  *Out = FDib;
  std::memset(&FDib, 0, sizeof FDib);
}

void TDibOwner::Reset() {
  FreeDib(FDib);
  std::memset(&FDib, 0, sizeof FDib);
}

}  // namespace pictaro
