// What sections cost an export: a 1,000-photo album (small pictures, 25 a page) with 40 sections of
// 25 photos, each beginning on a new page with its title and a bookmark, against the same album
// without them; both have 40 pages, so the difference is what the sections cost.
// The outline is written from what the page loop knew anyway; no picture is looked at twice.

#include <benchmark/benchmark.h>

#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

namespace {

void WriteGradient(const std::string& FileName, int Width, int Height) {
  TDib dib{};
  newdib(&dib, Width, Height, 24, nullptr, 0);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) setpixel(dib, x, y, static_cast<uint32_t>(x * 0x10101 + y));
  SaveDib(dib, FileName.c_str(), 7, 0);
  deldib(dib);
}

// State.range(0): 0 without sections, 1 with 40.
void ExportThousandPhotos(benchmark::State& State) {
  qtest::TScratchDir dir;
  const std::string file = dir / "p.jpg";
  WriteGradient(file, 96, 64);
  const std::vector<TExportPhoto> photos(1000, TExportPhoto{file, "Am Strand"});
  TLayoutSettings settings = FirstStartSettings();
  settings.ShowPDFCheck = false;
  settings.CountXEd = settings.CountYEd = 5;
  if (State.range(0) == 1)
    for (uint32_t s = 0; s < 40; ++s)
      settings.Book.Marks.push_back({{file, s * 25}, "Tag " + std::to_string(s + 1)});
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, dir / "album.pdf", TExportOptions{});
    if (!r.Ok()) State.SkipWithError(r.Message.c_str());
    State.counters["pages"] = r.Pages;
  }
  State.SetItemsProcessed(State.iterations() * 1000);
}
BENCHMARK(ExportThousandPhotos)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
