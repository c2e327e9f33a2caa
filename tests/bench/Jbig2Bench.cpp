// Encoding speed of whole pages. The target: a 12-megapixel page well under a second.
#include <benchmark/benchmark.h>

#include "imaging/jbig2/Jbig2Encode.h"
#include "imaging/Jbig2TestBitmaps.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/jbig2/Segments.h"
#include "support/TestSupport.h"

namespace {

void EncodePage(benchmark::State& State, qtest::TPattern Pattern) {
  const int width = static_cast<int>(State.range(0)), height = static_cast<int>(State.range(1));
  const qtest::TBitmap page = qtest::MakeBitmap(width, height, Pattern);
  size_t bytes = 0;
  for (auto _ : State) {
    std::string out = Jbig2EncodeGenericPage(page.Bits.data(), width, height, page.Stride);
    bytes = out.size();
    benchmark::DoNotOptimize(out);
  }
  State.counters["bytes"] = static_cast<double>(bytes);
  State.counters["Mpx/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6 * State.iterations(),
                                               benchmark::Counter::kIsRate);
}

// 4000 x 3000 = 12 MP; 2480 x 3508 is an A4 page at 300 dpi.
#define PAGE_SIZES Args({4000, 3000})->Args({2480, 3508})->Unit(benchmark::kMillisecond)
BENCHMARK_CAPTURE(EncodePage, white, qtest::TPattern::White)->PAGE_SIZES;
BENCHMARK_CAPTURE(EncodePage, text, qtest::TPattern::Text)->PAGE_SIZES;
BENCHMARK_CAPTURE(EncodePage, sparse, qtest::TPattern::Sparse)->PAGE_SIZES;
BENCHMARK_CAPTURE(EncodePage, noise, qtest::TPattern::Noise)->PAGE_SIZES;

// The whole file path: reading the BMP through the picture library, one pixel at a time, then coding
// and writing. Shows what the library's pixel accessor costs next to the coder.
void EncodeBmpFile(benchmark::State& State) {
  const int width = static_cast<int>(State.range(0)), height = static_cast<int>(State.range(1));
  TDib dib = qtest::MakeBilevelDib(width, height, 0, 0xFFFFFF, qtest::TPattern::Text);
  qtest::TScratchDir dir;
  const std::string bmp = dir / "page.bmp", globals = dir / "globals.jb2", page = dir / "page.jb2";
  bool saved = false;
  if (dib.Bits) {
    saved = SaveDib(dib, bmp.c_str(), 3, 0) == 1;
    deldib(dib);
  }
  if (!saved) {
    State.SkipWithError("the picture library cannot make a BMP file");
    return;
  }
  for (auto _ : State)
    if (jbig2encode(bmp.c_str(), globals.c_str(), page.c_str()) != Jbig2Ok)
      State.SkipWithError("encoding failed");
}
BENCHMARK(EncodeBmpFile)->Args({4000, 3000})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
