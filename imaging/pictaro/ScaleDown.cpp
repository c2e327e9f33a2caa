// Scaling a picture down to an exact size by area averaging, one axis after the other: every target
// row is the weighted sum of the source rows it covers, then every target pixel the weighted sum of the
// columns of that row it covers. A source pixel on the edge of a target pixel counts by the part of it
// that lies inside, so the result is the same whichever way the rows are stored.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/DibAlloc.h"

namespace {

// Weights are fractions of 1 << KWeightBits; those of one target pixel add up to exactly one.
constexpr int KWeightBits = 14;
// The rows summed with those weights are kept with KRowBits bits below the sample value between the
// two passes, so that the second pass sums in 32 bits.
constexpr int KRowBits = 8;

// One axis of Source pixels scaled to Target (<= Source): target pixel i takes source pixels First[i]
// onwards with the weights Weights[Start[i] .. Start[i + 1]).
struct TAxis {
  std::vector<int64_t> First;
  std::vector<size_t> Start;
  std::vector<uint16_t> Weights;
};

TAxis MakeAxis(int64_t Source, int64_t Target) {
  TAxis axis;
  axis.First.resize(static_cast<size_t>(Target));
  axis.Start.resize(static_cast<size_t>(Target) + 1);
  axis.Weights.reserve(static_cast<size_t>(Source + Target));
  // Measured in units of which a source pixel is Target wide and a target pixel Source wide.
  for (int64_t i = 0; i < Target; ++i) {
    const int64_t lo = i * Source, hi = lo + Source;
    const size_t start = axis.Weights.size();
    axis.First[static_cast<size_t>(i)] = lo / Target;
    axis.Start[static_cast<size_t>(i)] = start;
    int64_t sum = 0;
    size_t largest = start;
    for (int64_t j = lo / Target; j * Target < hi; ++j) {
      const int64_t overlap = std::min(hi, (j + 1) * Target) - std::max(lo, j * Target);
      const auto weight = static_cast<uint16_t>(((overlap << KWeightBits) + Source / 2) / Source);
      if (axis.Weights.size() == start || weight > axis.Weights[largest]) largest = axis.Weights.size();
      axis.Weights.push_back(weight);
      sum += weight;
    }
    // Rounding leaves the sum a little off one; the largest share takes the difference.
    axis.Weights[largest] =
        static_cast<uint16_t>(axis.Weights[largest] + ((int64_t{1} << KWeightBits) - sum));
  }
  axis.Start[static_cast<size_t>(Target)] = axis.Weights.size();
  return axis;
}

// Stored row R of Dib as blue, green, red samples: the row itself for 24 bits, else expanded into
// Buffer.
const uint8_t* BgrRow(const TDib& Dib, int64_t R, std::vector<uint8_t>& Buffer) {
  const uint8_t* row = Dib.Bits + R * Dib.RowBytes;
  const int bits = Dib.Header->biBitCount;
  if (bits == 24) return row;
  const int64_t w = Dib.Header->biWidth;
  uint8_t* out = Buffer.data();
  if (bits == 32) {
    for (int64_t x = 0; x < w; ++x, row += 4, out += 3) out[0] = row[0], out[1] = row[1], out[2] = row[2];
    return Buffer.data();
  }
  for (int64_t x = 0; x < w; ++x, out += 3) {
    const unsigned index = bits == 8   ? row[x]
                           : bits == 4 ? ((x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4)
                                       : (row[x >> 3] >> (7 - (x & 7))) & 1u;
    const TDibColor& c = Dib.Colors[index];
    out[0] = c.Blue, out[1] = c.Green, out[2] = c.Red;
  }
  return Buffer.data();
}

// Sums[s] += Weight * Samples[s] for Count samples. In blocks of a fixed length, which the compiler
// turns into vector instructions, then the rest one by one.
void AddWeighted(uint32_t* __restrict Sums, const uint8_t* __restrict Samples, size_t Count,
                 uint32_t Weight) {
  constexpr size_t block = 16;
  size_t s = 0;
  for (; s + block <= Count; s += block)
    for (size_t k = 0; k < block; ++k) Sums[s + k] += Weight * Samples[s + k];
  for (; s < Count; ++s) Sums[s] += Weight * Samples[s];
}

// Row[s] = Sums[s] with Drop bits fewer, rounded, for Count samples; blocked like AddWeighted.
void Narrow(uint16_t* __restrict Row, const uint32_t* __restrict Sums, size_t Count, int Drop) {
  const uint32_t half = 1u << (Drop - 1);
  constexpr size_t block = 16;
  size_t s = 0;
  for (; s + block <= Count; s += block)
    for (size_t k = 0; k < block; ++k) Row[s + k] = static_cast<uint16_t>((Sums[s + k] + half) >> Drop);
  for (; s < Count; ++s) Row[s] = static_cast<uint16_t>((Sums[s] + half) >> Drop);
}

}  // namespace

void ScaleDib(TDib* Out, TDib Source, int Width, int Height) {
  std::memset(Out, 0, sizeof *Out);
  if (!Source.Bits || !Source.Header) return;
  const int bits = Source.Header->biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return;
  const int64_t w = Source.Header->biWidth, h = Source.Header->biHeight;
  if (w <= 0 || h <= 0 || Width < 1 || Height < 1 || Width > w || Height > h) return;
  pictaro::TDibOwner dib;
  if (!pictaro::AllocDib(dib.Get(), Width, Height, 24, pictaro::TPixels::Unset)) return;
  TAxis across, down;
  std::vector<uint32_t> sums;
  std::vector<uint16_t> row;
  std::vector<uint8_t> buffer;
  try {
    across = MakeAxis(w, Width);
    down = MakeAxis(h, Height);
    sums.resize(static_cast<size_t>(w) * 3);
    row.resize(static_cast<size_t>(w) * 3);
    if (bits != 24) buffer.resize(static_cast<size_t>(w) * 3);
  } catch (const std::bad_alloc&) {
    return;
  }
  const size_t samples = static_cast<size_t>(w) * 3;
  for (int64_t y = 0; y < Height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    const size_t start = down.Start[static_cast<size_t>(y)], end = down.Start[static_cast<size_t>(y) + 1];
    for (size_t k = start; k < end; ++k) {
      const uint32_t weight = down.Weights[k];
      if (weight == 0) continue;
      AddWeighted(sums.data(),
                  BgrRow(Source, down.First[static_cast<size_t>(y)] + int64_t(k - start), buffer), samples,
                  weight);
    }
    Narrow(row.data(), sums.data(), samples, KWeightBits - KRowBits);

    uint8_t* target = dib->Bits + y * dib->RowBytes;
    for (int64_t x = 0; x < Width; ++x, target += 3) {
      uint32_t b = 0, g = 0, r = 0;
      const size_t from = across.Start[static_cast<size_t>(x)], to = across.Start[static_cast<size_t>(x) + 1];
      const uint16_t* column = row.data() + across.First[static_cast<size_t>(x)] * 3;
      for (size_t k = from; k < to; ++k, column += 3) {
        const uint32_t weight = across.Weights[k];
        b += weight * column[0], g += weight * column[1], r += weight * column[2];
      }
      constexpr int shift = KWeightBits + KRowBits;
      constexpr uint32_t half = 1u << (shift - 1);
      target[0] = static_cast<uint8_t>((b + half) >> shift);
      target[1] = static_cast<uint8_t>((g + half) >> shift);
      target[2] = static_cast<uint8_t>((r + half) >> shift);
    }
  }
  dib.ReleaseTo(Out);
}
