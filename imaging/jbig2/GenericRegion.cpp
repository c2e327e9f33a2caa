#include "imaging/jbig2/GenericRegion.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "imaging/jbig2/MqEncoder.h"

namespace {

// The context in which each row's "same as the row above" flag is coded under template 0.
constexpr uint32_t TypicalRowContext = 0x9B25;

// Template 0 with the nominal adaptive pixels reads, around the pixel x of row y:
//   row y-2: x-2 .. x+2 -> context bits 15..11
//   row y-1: x-3 .. x+3 -> context bits 10..4
//   row y:   x-4 .. x-1 -> context bits 3..0
// (the adaptive pixels (-2,-2), (2,-2), (-3,-1) and (3,-1) sit exactly at the ends of these runs).
// Each run is a window that shifts one pixel left per column, so a context costs three shifts and two
// bit reads instead of sixteen lookups.

// One row copied into a zero-padded buffer, so that reads up to 4 pixels beyond either edge find white.
class TPaddedRows {
 public:
  explicit TPaddedRows(int Width) : FBytes((static_cast<size_t>(Width) + 7) / 8 + 2) {
    for (auto& row : FRows) row.assign(FBytes, 0);
  }
  // Rows y-2, y-1 and y rotate through three buffers; rows above the top are white.
  std::vector<uint8_t>& Row(int Y) { return FRows[static_cast<size_t>(Y + 3) % 3]; }

 private:
  size_t FBytes;
  std::vector<uint8_t> FRows[3];
};

inline uint32_t Pixel(const uint8_t* Row, int X) {
  return (Row[static_cast<unsigned>(X) >> 3] >> (7 - (X & 7))) & 1u;
}

// Copies one input row into Target, clearing the bits past Width.
void LoadRow(std::vector<uint8_t>& Target, const uint8_t* Source, int Width) {
  const size_t full = static_cast<size_t>(Width) / 8;
  std::memcpy(Target.data(), Source, full);
  std::fill(Target.begin() + static_cast<std::ptrdiff_t>(full), Target.end(), 0);
  if (int rest = Width % 8) Target[full] = static_cast<uint8_t>(Source[full] & (0xFF00 >> rest));
}

}  // namespace

std::string EncodeGenericRegion(const uint8_t* PackedRows, int Width, int Height, size_t Stride) {
  if (Width < 1 || Height < 1 || PackedRows == nullptr || Stride < (static_cast<size_t>(Width) + 7) / 8)
    throw std::invalid_argument("generic region: bad bitmap geometry");

  TMqEncoder coder(65536);
  TPaddedRows rows(Width);
  const size_t rowBytes = (static_cast<size_t>(Width) + 7) / 8;
  bool typical = false;  // LTP: whether the previous row was coded as a copy of its upper neighbour

  for (int y = 0; y < Height; ++y) {
    std::vector<uint8_t>& current = rows.Row(y);
    LoadRow(current, PackedRows + static_cast<size_t>(y) * Stride, Width);
    const uint8_t* above = rows.Row(y - 1).data();
    const uint8_t* above2 = rows.Row(y - 2).data();

    // A row equal to the one above (white above the top) is sent as one flag; the flag codes the
    // change of the prediction state, not the state itself.
    const bool same = std::memcmp(current.data(), above, rowBytes) == 0;
    coder.Encode(TypicalRowContext, same != typical ? 1 : 0);
    typical = same;
    if (same) continue;

    const uint8_t* line = current.data();
    uint32_t win2 = (Pixel(above2, 0) << 2) | (Pixel(above2, 1) << 1) | Pixel(above2, 2);
    uint32_t win1 =
        (Pixel(above, 0) << 3) | (Pixel(above, 1) << 2) | (Pixel(above, 2) << 1) | Pixel(above, 3);
    uint32_t win0 = 0;
    for (int x = 0; x < Width; ++x) {
      const uint32_t bit = Pixel(line, x);
      coder.Encode((win2 << 11) | (win1 << 4) | win0, static_cast<int>(bit));
      win2 = ((win2 << 1) | Pixel(above2, x + 3)) & 0x1F;
      win1 = ((win1 << 1) | Pixel(above, x + 4)) & 0x7F;
      win0 = ((win0 << 1) | bit) & 0x0F;
    }
  }
  return coder.Finish();
}
