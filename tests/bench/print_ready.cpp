// Corpus photos (QUIRVEL_PHOTOS) with texts: the print check of 500 beside reading their headers alone;
// the export of 24 camera JPEGs at 300 dpi plain (0), with 3 mm bleed (1), as PDF/A-2b (2), as PDF/A-1b
// (3) and as PDF/A-1b with bleed (4), side by side.

#include <benchmark/benchmark.h>

#include "export/AlbumExport.h"
#include "export/PrintCheck.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

namespace {

std::vector<TExportPhoto> CorpusAlbum(size_t Count) {
  std::vector<TExportPhoto> files, photos;
  for (const auto& row : qtest::PhotoManifest())
    files.push_back({qtest::PhotosDir() / row.at(0), "Am Strand\r\nSommer 2019"});
  for (size_t i = 0; !files.empty() && i < Count; ++i) photos.push_back(files[i % files.size()]);
  return photos;
}

void CheckFiveHundredPhotos(benchmark::State& State) {
  const std::vector<TExportPhoto> photos = CorpusAlbum(500);
  TLayoutSettings settings = FirstStartSettings();
  settings.Bleed = 3;
  settings.PdfA = TPdfA::A1b;
  for (auto _ : State) {
    if (photos.empty()) return State.SkipWithError("the photo corpus is missing");
    if (State.range(0) == 1) benchmark::DoNotOptimize(CheckPrint(photos, settings));
    for (size_t i = 0; State.range(0) == 0 && i < photos.size(); ++i)
      benchmark::DoNotOptimize(
          ReadDibHeader(photos[i].FileName.c_str(), PictureFormatFor(photos[i].FileName.c_str(), -1)));
  }
}
BENCHMARK(CheckFiveHundredPhotos)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void ExportCameraAlbum(benchmark::State& State) {
  const std::vector<TExportPhoto> photos = CorpusAlbum(24);
  qtest::TScratchDir dir;
  TLayoutSettings settings = FirstStartSettings();
  settings.PictureDpi = 300;
  settings.Bleed = State.range(0) == 1 || State.range(0) == 4 ? 3 : 0;
  settings.PdfA = State.range(0) == 2 ? TPdfA::A2b : State.range(0) >= 3 ? TPdfA::A1b : TPdfA::None;
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, dir / "album.pdf", TExportOptions{});
    if (photos.empty() || !r.Ok())
      return State.SkipWithError(photos.empty() ? "the photo corpus is missing" : r.Message.c_str());
  }
}
BENCHMARK(ExportCameraAlbum)->DenseRange(0, 4)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
