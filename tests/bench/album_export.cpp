// The export's own work apart from decoding and encoding pictures: laying out an album of many
// photos with texts (what a live preview recomputes), and exporting small pictures end to end, where
// the page loop, text wrapping and the writer's bookkeeping dominate. The whole-corpus comparison with
// other programs is scripts/bench-export.sh.

#include <benchmark/benchmark.h>

#include "export/AlbumExport.h"
#include "export/PageLayout.h"
#include "imaging/Pictaro.h"
#include "platform/FreeTypeFonts.h"
#include "support/TestSupport.h"

namespace {

const char* const KText = "Urlaub an der Nordsee, Sommer 2019\r\nMit Oma, Opa und den Kindern am Strand";

void LayoutThousandPhotos(benchmark::State& State) {
  const TLayoutSettings settings = FirstStartSettings();
  const TLayoutMeasures measures = MakeLayoutMeasures(settings, SharedFontMetrics());
  const std::vector<TLayoutItem> items(1000, {4000, 3000, KText});
  for (auto _ : State) benchmark::DoNotOptimize(LayoutPages(settings, items, measures));
  State.SetItemsProcessed(State.iterations() * 1000);
}
BENCHMARK(LayoutThousandPhotos)->Unit(benchmark::kMillisecond);

void ExportSmallPictures(benchmark::State& State) {
  qtest::TScratchDir dir;
  TDib dib{};
  newdib(&dib, 320, 240, 24, nullptr, 0);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) setpixel(dib, x, y, static_cast<uint32_t>(x * 0x10101 + y));
  SaveDib(dib, (dir / "p.jpg").c_str(), 7, 0);
  deldib(dib);
  const std::vector<TExportPhoto> photos(120, TExportPhoto{dir / "p.jpg", KText});
  const TLayoutSettings settings = FirstStartSettings();
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, dir / "album.pdf", TExportOptions{});
    if (!r.Ok()) State.SkipWithError(r.Message.c_str());
  }
  State.SetItemsProcessed(State.iterations() * 120);
}
BENCHMARK(ExportSmallPictures)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
