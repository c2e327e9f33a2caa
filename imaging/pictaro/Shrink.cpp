// Shrinking a picture by averaging: every target pixel is the mean of the block of source pixels it
// covers, so no source pixel is skipped and none counts twice.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/DibAlloc.h"

namespace {

// The first source index of each of Target spans over Source indices, and the end of the last.
std::vector<int64_t> SpanStarts(int64_t Source, int64_t Target) {
  std::vector<int64_t> starts(static_cast<size_t>(Target) + 1);
  for (int64_t i = 0; i <= Target; ++i) starts[static_cast<size_t>(i)] = i * Source / Target;
  return starts;
}

}  // namespace

void ShrinkDib(TDib* Out, TDib Source, int MaxSide) {
  std::memset(Out, 0, sizeof *Out);
  if (!Source.Bits || !Source.Header || MaxSide < 1) return;
  const int bits = Source.Header->biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return;
  const int64_t w = Source.Header->biWidth, h = Source.Header->biHeight;
  if (w <= 0 || h <= 0) return;
  const int64_t longest = std::max(w, h);
  const int64_t side = std::min<int64_t>(longest, MaxSide);
  // Both sides by the same factor, rounded, and at least one pixel.
  const int64_t newW = std::max<int64_t>(1, (w * side + longest / 2) / longest);
  const int64_t newH = std::max<int64_t>(1, (h * side + longest / 2) / longest);
  pictaro::TDibOwner dib;
  if (!pictaro::AllocDib(dib.Get(), newW, newH, 24)) return;
  std::vector<int64_t> cols, rows;
  std::vector<uint64_t> sums;
  try {
    cols = SpanStarts(w, newW);
    rows = SpanStarts(h, newH);
    sums.resize(static_cast<size_t>(newW) * 3);
  } catch (const std::bad_alloc&) {
    return;
  }
  // Rows in stored order on both sides: the same factor applies, whichever way the rows run.
  for (int64_t y = 0; y < newH; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    const int64_t r0 = rows[static_cast<size_t>(y)], r1 = rows[static_cast<size_t>(y) + 1];
    for (int64_t r = r0; r < r1; ++r)
      for (int64_t x = 0; x < newW; ++x)
        for (int64_t c = cols[static_cast<size_t>(x)]; c < cols[static_cast<size_t>(x) + 1]; ++c) {
          uint8_t bgr[3];
          pictaro::PixelBgr(Source, c, r, bgr);
          for (int k = 0; k < 3; ++k) sums[static_cast<size_t>(3 * x + k)] += bgr[k];
        }
    uint8_t* dst = dib->Bits + y * dib->RowBytes;
    for (int64_t x = 0; x < newW; ++x) {
      const uint64_t count =
          uint64_t(r1 - r0) * uint64_t(cols[static_cast<size_t>(x) + 1] - cols[static_cast<size_t>(x)]);
      for (int k = 0; k < 3; ++k)
        dst[3 * x + k] = static_cast<uint8_t>((sums[static_cast<size_t>(3 * x + k)] + count / 2) / count);
    }
  }
  dib.ReleaseTo(Out);
}
