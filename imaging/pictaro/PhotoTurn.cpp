#include "imaging/pictaro/PhotoTurn.h"

#include <cstring>

#include "imaging/pictaro/Codecs.h"
#include "imaging/pictaro/DibMake.h"

namespace {

// Each orientation is a mirroring left to right (or none) followed by quarter turns clockwise, and
// turning more adds to the quarter turns only. Index: quarter turns; value: the orientation.
constexpr int KUnmirrored[4] = {1, 6, 3, 8};
constexpr int KMirrored[4] = {2, 7, 4, 5};

}  // namespace

int NormalTurn(int Turns) { return ((Turns % 4) + 4) % 4; }

int TurnedOrientation(int Orientation, int Turns) {
  if (Orientation < 1 || Orientation > 8) Orientation = 1;
  for (int turns = 0; turns < 4; ++turns) {
    const int total = NormalTurn(turns + Turns);
    if (KUnmirrored[turns] == Orientation) return KUnmirrored[total];
    if (KMirrored[turns] == Orientation) return KMirrored[total];
  }
  return 1;  // not reached: every value 1..8 is in one table
}

bool TurnDib(TDib& Dib, int Turns) { return pictaro::ApplyOrientation(Dib, TurnedOrientation(1, Turns)); }

TDib TurnedCopy(const TDib& Dib, int Turns) {
  TDib copy{};
  if (!Dib.Bits) return copy;
  newdib(&copy, DibWidth(Dib), DibHeight(Dib), DibBitCount(Dib), Dib.Header,
         static_cast<int>(DibPaletteColors(Dib)));
  if (!copy.Bits) return TDib{};
  std::memcpy(copy.Bits, Dib.Bits, static_cast<size_t>(copy.RowBytes) * static_cast<size_t>(DibHeight(Dib)));
  if (!TurnDib(copy, Turns)) {
    deldib(copy);
    return TDib{};
  }
  return copy;
}
