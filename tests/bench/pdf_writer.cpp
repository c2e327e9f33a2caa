// Writes documents of full pages: 200 framed rectangles and 50 text lines each, in a few colours and
// two fonts, as an album page would carry. Reports pages per second. QUIRVEL_BENCH_PAGES overrides
// the page count (a short run for profiling).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "pdf/PDFWriterCanvas.h"
#include "support/TestSupport.h"

namespace {

int PageCount() {
  const char* env = std::getenv("QUIRVEL_BENCH_PAGES");
  return env && std::atoi(env) > 0 ? std::atoi(env) : 500;
}

void DrawPage(TPDFCanvas& Pdf, int Page) {
  Pdf.SetLineCap(2);
  for (int i = 0; i < 200; ++i) {
    const int x = (i % 10) * 58 + 5, y = (i / 10) * 40 + 5;
    Pdf.Pen = {psSolid, 1 + (i % 3), static_cast<uint32_t>(0x202020 * (i % 4))};
    Pdf.Brush = {i % 5 == 0 ? bsClear : bsSolid, static_cast<uint32_t>(0x0A1B2C + 0x030201 * (i % 7))};
    Pdf.Rectangle(x, y, x + 50 + Page % 3, y + 33);
  }
  for (int line = 0; line < 50; ++line) {
    Pdf.Font.Name = line % 10 == 0 ? "Arial" : "Microsoft Sans Serif";
    Pdf.Font.Size = line % 10 == 0 ? 14 : 9;
    Pdf.Font.Style = line % 10 == 0 ? fsBold : 0;
    Pdf.Font.Color = line % 2 ? 0x000000 : 0x333333;
    std::string text = "Bild " + std::to_string(Page * 50 + line) + ": Sommer am Meer, Größe (13 × 18)";
    Pdf.TextOut(20 + Pdf.TextWidth("Bild ") % 7, 16 * line + 10, text);
  }
}

void BM_WritePages(benchmark::State& State) {
  qtest::TScratchDir dir;
  const int pages = PageCount();
  for (auto _ : State) {
    TPDFCanvas pdf;
    pdf.BeginDoc(dir / "bench.pdf");
    for (int page = 0; page < pages; ++page) {
      if (page > 0) pdf.NewPage();
      DrawPage(pdf, page);
    }
    pdf.EndDoc();
  }
  State.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(pages) * State.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_WritePages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
