// Places the corpus's 12-megapixel photos (4032 x 3024, from photos/) on pages, one per page, and ends the
// document: loading, spooling each picture to disk, reading it back and encoding it as JPEG. Reports
// the time of each stage; scripts/bench-pdf-images.sh runs it under /usr/bin/time for peak memory and
// beside djpeg | cjpeg of the same files. QUIRVEL_BENCH_PICTURES sets the count (default 40; the
// corpus's photos are used in turn).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/PDFWriterCanvas.h"
#include "support/TestSupport.h"

namespace {

using TClock = std::chrono::steady_clock;

int PictureCount() {
  const char* env = std::getenv("QUIRVEL_BENCH_PICTURES");
  return env && std::atoi(env) > 0 ? std::atoi(env) : 40;
}

// The manifest's 4032 x 3024 JPEG photos.
std::vector<std::string> TwelveMegapixelPhotos() {
  std::vector<std::string> files;
  const auto dir = qtest::PhotosDir();
  if (dir.empty()) return files;
  std::ifstream manifest(dir / "manifest.tsv");
  std::string line;
  while (std::getline(manifest, line)) {
    std::istringstream f(line);
    std::string name, width, height, format;
    if (std::getline(f, name, '\t') && std::getline(f, width, '\t') && std::getline(f, height, '\t') &&
        std::getline(f, format, '\t') && name.rfind("photos/", 0) == 0 && width == "4032" &&
        height == "3024" && format == "JPEG")
      files.push_back((dir / name).string());
  }
  return files;
}

double Seconds(TClock::duration D) { return std::chrono::duration<double>(D).count(); }

// The process's peak resident memory so far, in megabytes.
double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The writer alone: one photo loaded once and placed again and again, then the document ended. Runs
// first, so that the process's peak memory is the writer's: the one picture, then EndDoc's one at a time.
void BM_WriterOnly(benchmark::State& State) {
  const std::vector<std::string> photos = TwelveMegapixelPhotos();
  if (photos.empty()) {
    State.SkipWithError("photo corpus missing");
    return;
  }
  const int count = PictureCount();
  qtest::TScratchDir dir;
  double place = 0, end = 0, peakPlaced = 0;
  for (auto _ : State) {
    TDib dib{};
    LoadPicture(photos.front().c_str(), -1, nullptr, &dib);
    TPDFCanvas pdf;
    pdf.BeginDoc(dir / "bench.pdf");
    const auto t0 = TClock::now();
    for (int i = 0; i < count; ++i) {
      if (i > 0) pdf.NewPage();
      pdf.DrawDIB(10, 10, 575, 431, dib, 0, 0, DibWidth(dib), DibHeight(dib));
    }
    deldib(dib);
    const auto t1 = TClock::now();
    peakPlaced = PeakMegabytes();
    pdf.EndDoc();
    place += Seconds(t1 - t0);
    end += Seconds(TClock::now() - t1);
  }
  const double runs = static_cast<double>(State.iterations());
  State.counters["pictures"] = count;
  State.counters["drawdib_s"] = place / runs;
  State.counters["enddoc_s"] = end / runs;
  State.counters["peak_MB_placed"] = peakPlaced;
  State.counters["peak_MB_ended"] = PeakMegabytes();
}
BENCHMARK(BM_WriterOnly)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_PlaceAndEndDocument(benchmark::State& State) {
  const std::vector<std::string> photos = TwelveMegapixelPhotos();
  if (photos.empty()) {
    State.SkipWithError("photo corpus missing");
    return;
  }
  const int count = PictureCount();
  qtest::TScratchDir dir;
  double load = 0, place = 0, end = 0, peakPlaced = 0;
  for (auto _ : State) {
    TPDFCanvas pdf;
    pdf.BeginDoc(dir / "bench.pdf");
    for (int i = 0; i < count; ++i) {
      if (i > 0) pdf.NewPage();
      const auto t0 = TClock::now();
      TDib dib{};
      LoadPicture(photos[static_cast<size_t>(i) % photos.size()].c_str(), -1, nullptr, &dib);
      const auto t1 = TClock::now();
      pdf.DrawDIB(10, 10, 575, 431, dib, 0, 0, DibWidth(dib), DibHeight(dib));
      deldib(dib);
      const auto t2 = TClock::now();
      load += Seconds(t1 - t0);
      place += Seconds(t2 - t1);
    }
    peakPlaced = PeakMegabytes();
    const auto t3 = TClock::now();
    pdf.EndDoc();
    end += Seconds(TClock::now() - t3);
  }
  const double runs = static_cast<double>(State.iterations());
  State.counters["pictures"] = count;
  State.counters["load_s"] = load / runs;
  State.counters["drawdib_s"] = place / runs;
  State.counters["enddoc_s"] = end / runs;
  State.counters["peak_MB_placed"] = peakPlaced;
  State.counters["peak_MB_ended"] = PeakMegabytes();
  State.counters["pdf_MB"] = static_cast<double>(std::filesystem::file_size(dir / "bench.pdf")) / 1e6;
}
BENCHMARK(BM_PlaceAndEndDocument)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
