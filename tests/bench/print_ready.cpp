// Print-ready albums. The print check of 500 photos beside a plain read of the same files' headers,
// which is all it reads of them; and the export of one album of camera photos as it is, with bleed,
// as PDF/A-2b and as PDF/A-1b, side by side. Both take their photos from the corpus (QUIRVEL_PHOTOS).

#include <benchmark/benchmark.h>

#include "export/AlbumExport.h"
#include "export/PrintCheck.h"
#include "imaging/LoadPicture.h"
#include "imaging/Pictaro.h"
#include "support/TestSupport.h"

namespace {

// Count photos of the corpus in turn, each with a text, JPEGs only when JpegOnly; empty without the
// corpus.
std::vector<TExportPhoto> CorpusAlbum(size_t Count, bool JpegOnly) {
  std::vector<std::string> files;
  for (const auto& row : qtest::PhotoManifest())
    if (!JpegOnly || row.at(3) == "JPEG") files.push_back(qtest::PhotosDir() / row.at(0));
  std::vector<TExportPhoto> photos;
  for (size_t i = 0; !files.empty() && i < Count; ++i)
    photos.push_back({files[i % files.size()],
                      "Urlaub an der Nordsee, Sommer 2019\r\nMit Oma, Opa und den Kindern am Strand"});
  return photos;
}

// 500 corpus photos with texts: their headers read (0), against the print check with bleed and
// PDF/A (1), which reads the same headers.
void CheckFiveHundredPhotos(benchmark::State& State) {
  const std::vector<TExportPhoto> photos = CorpusAlbum(500, false);
  if (photos.empty()) return State.SkipWithError("the photo corpus is missing");
  TLayoutSettings settings = FirstStartSettings();
  settings.Bleed = 3;
  settings.PdfA = TPdfA::A1b;
  for (auto _ : State) {
    if (State.range(0) == 1) {
      benchmark::DoNotOptimize(CheckPrint(photos, settings));
      continue;
    }
    for (const TExportPhoto& p : photos)
      benchmark::DoNotOptimize(ReadDibHeader(p.FileName.c_str(), PictureFormatFor(p.FileName.c_str(), -1)));
  }
}
BENCHMARK(CheckFiveHundredPhotos)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// 24 camera JPEGs of 12 to 24 megapixels, six a page, at 300 dpi: the export as it is (0), with
// 3 mm bleed (1), as PDF/A-2b (2), as PDF/A-1b (3), and as PDF/A-1b with bleed (4).
void ExportCameraAlbum(benchmark::State& State) {
  const std::vector<TExportPhoto> photos = CorpusAlbum(24, true);
  if (photos.empty()) return State.SkipWithError("the photo corpus is missing");
  qtest::TScratchDir dir;
  TLayoutSettings settings = FirstStartSettings();
  settings.ShowPDFCheck = false;
  settings.PictureDpi = 300;
  settings.Bleed = State.range(0) == 1 || State.range(0) == 4 ? 3 : 0;
  settings.PdfA = State.range(0) == 2 ? TPdfA::A2b : State.range(0) >= 3 ? TPdfA::A1b : TPdfA::None;
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, dir / "album.pdf", TExportOptions{});
    if (!r.Ok()) State.SkipWithError(r.Message.c_str());
  }
}
BENCHMARK(ExportCameraAlbum)->DenseRange(0, 4)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
