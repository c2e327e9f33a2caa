// The automatic page layout beside today's grid, in one run: laying out 1,000 photos (target 100 ms),
// laying out one page again after a choice (target 5 ms), and the quality of the pages on the camera
// mix (55 % 3:2, 25 % 2:3, 10 % 4:3, 5 % 3:4, 3 % 16:9, 2 % 3:1; A4, margins 15 mm, spacing 4 mm,
// 4 photos a page, no texts): the pictures' mean share of the usable area, the share of pages but the
// last at 0.85 or more, and the crop, most and mean. The grid is 2 x 2, each photo whole in its cell.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "export/PageLayout.h"
#include "layout/AutoLayout.h"
#include "layout/PageArrangement.h"
#include "support/PhotoShapeSets.h"

namespace {

constexpr size_t KPhotos = 1000;

TLayoutSettings BenchSettings() {
  TLayoutSettings s = FirstStartSettings();
  s.RandXEd = s.RandYEd = 15;
  s.SpaceHED = s.SpaceVEd = 4;
  s.CountXEd = s.CountYEd = 2;
  s.CaptionCheck = s.TextCheck = s.PageNrCheck = false;
  return s;
}

TLayoutRect UsableArea(const TPageGrid& G) {
  return {G.B + G.MX, G.B + G.MY + G.HH, G.B + G.W - G.MX, G.B + G.H - G.MY};
}

TAutoLayoutOptions AutoOptions(int32_t PhotosPerPage, double Budget) {
  const TLayoutSettings s = BenchSettings();
  TAutoLayoutOptions o;
  o.FirstArea = UsableArea(PageGridFor(s, 1));
  o.LaterArea = UsableArea(PageGridFor(s, 2));
  const TPageGrid g = PageGridFor(s, 1);
  o.SpacingX = g.SX;
  o.SpacingY = g.SY;
  o.PhotosPerPage = PhotosPerPage;
  o.CropBudget = Budget;
  return o;
}

std::vector<TPhotoShape> CameraMix() { return qtest::ShapeSet({qtest::TShapeMix::Camera, KPhotos, 2026}); }

// The camera mix as pixel sizes for the grid: 6000 pixels on the longer side.
std::vector<TLayoutItem> GridItems(const std::vector<TPhotoShape>& Shapes) {
  std::vector<TLayoutItem> items;
  for (const TPhotoShape& s : Shapes)
    items.push_back(s.Aspect >= 1 ? TLayoutItem{6000, static_cast<int32_t>(6000 / s.Aspect), {}}
                                  : TLayoutItem{static_cast<int32_t>(6000 * s.Aspect), 6000, {}});
  return items;
}

// Range(0): 0 the grid, else the automatic layout with that many photos a page.
void LayOutThousandPhotos(benchmark::State& State) {
  const std::vector<TPhotoShape> shapes = CameraMix();
  const std::vector<TLayoutItem> items = GridItems(shapes);
  const TLayoutSettings settings = BenchSettings();
  const TLayoutMeasures measures;  // no texts, heading or page numbers to measure
  const TAutoLayoutOptions options = AutoOptions(static_cast<int32_t>(State.range(0)), 0.10);
  for (auto _ : State) {
    if (State.range(0) == 0)
      benchmark::DoNotOptimize(LayoutPages(settings, items, measures));
    else
      benchmark::DoNotOptimize(LayOutAlbum(shapes, options));
  }
  State.SetItemsProcessed(State.iterations() * static_cast<int64_t>(KPhotos));
}
BENCHMARK(LayOutThousandPhotos)->Arg(0)->Arg(4)->Arg(12)->Unit(benchmark::kMillisecond);

// One page of Range(0) photos arranged again (the largest page of 4 or of 12 a page), beside the
// grid's placing of one page of four.
void LayOutOnePage(benchmark::State& State) {
  const std::vector<TPhotoShape> shapes = CameraMix();
  const std::vector<TLayoutItem> items = GridItems(shapes);
  const TAutoLayoutOptions options = AutoOptions(4, 0.10);
  const TLayoutSettings settings = BenchSettings();
  const TLayoutMeasures measures;
  const std::vector<TLayoutItem> page(items.begin(), items.begin() + 4);
  for (auto _ : State) {
    if (State.range(0) == 0)
      benchmark::DoNotOptimize(LayoutPages(settings, page, measures));
    else
      benchmark::DoNotOptimize(ArrangePage(shapes.data(), 100, static_cast<size_t>(State.range(0)),
                                           {options.LaterArea, options.SpacingX, options.SpacingY, 0.10}, 1));
  }
}
BENCHMARK(LayOutOnePage)->Arg(0)->Arg(5)->Arg(13)->Unit(benchmark::kMicrosecond);

struct TQuality {
  double MeanCoverage = 0, FullPages = 0, MaxCrop = 0, MeanCrop = 0;
};

void Report(benchmark::State& State, const std::vector<double>& Coverage, const std::vector<double>& Crops) {
  TQuality q;
  for (double c : Coverage) q.MeanCoverage += c;
  q.MeanCoverage /= static_cast<double>(Coverage.size());
  q.FullPages = static_cast<double>(std::count_if(Coverage.begin(), Coverage.end() - 1,
                                                  [](double c) { return c >= 0.85; })) /
                static_cast<double>(Coverage.size() - 1);
  for (double c : Crops) {
    q.MaxCrop = std::max(q.MaxCrop, c);
    q.MeanCrop += c;
  }
  q.MeanCrop /= static_cast<double>(Crops.size());
  State.counters["coverage"] = q.MeanCoverage;
  State.counters["pages>=0.85"] = q.FullPages;
  State.counters["crop_max"] = q.MaxCrop;
  State.counters["crop_mean"] = q.MeanCrop;
  State.counters["pages"] = static_cast<double>(Coverage.size());
}

// Range(0): 0 the grid, 1 automatic with 10 % crop, 2 automatic without crop.
void PageQuality(benchmark::State& State) {
  const std::vector<TPhotoShape> shapes = CameraMix();
  std::vector<double> coverage, crops;
  for (auto _ : State) {
    coverage.clear();
    crops.clear();
    if (State.range(0) == 0) {
      const TLayoutSettings settings = BenchSettings();
      const TPageGrid grid = PageGridFor(settings, 2);
      const TLayoutRect area = UsableArea(grid);
      const double usable = static_cast<double>(area.Width()) * area.Height();
      for (const TPageLayout& page : LayoutPages(settings, GridItems(shapes), TLayoutMeasures{})) {
        double covered = 0;
        for (const TPicturePlacement& p : page.Pictures) {
          covered += static_cast<double>(p.Width) * p.Height;
          crops.push_back(0);
        }
        coverage.push_back(covered / usable);
      }
    } else {
      for (const TArrangedPage& page : LayOutAlbum(shapes, AutoOptions(4, State.range(0) == 1 ? 0.10 : 0.0))) {
        coverage.push_back(page.Coverage);
        for (const TPlacedPhoto& p : page.Photos) crops.push_back(p.Crop);
      }
    }
  }
  Report(State, coverage, crops);
}
BENCHMARK(PageQuality)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
