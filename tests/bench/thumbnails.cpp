// Thumbnails of 24-megapixel photos, side by side in one run:
//   - one thumbnail made the fast way (DCT-scaled decoding, then Resize) against decoding the same
//     photo at full size, the way a thumbnail would otherwise start; and libjpeg's own 1/8-scale
//     decoding, the floor of the method;
//   - an album of 500 such photos in the grid at the size of the main window's photo page: time until
//     the grid first shows (grey cells), and until every thumbnail of the first screen is there, against
//     making the first screen's thumbnails one after the other from full-size decodings;
//   - scrolling through all 500 after they are made: picture files read (counted at the thumbnail maker,
//     the grid's only way to picture files) and time per scroll step;
//   - the same with the desktop's shared thumbnail folder: a thumbnail made while its entry is stored,
//     one made from a stored entry, and the album opened once with an empty folder and then again;
//   - the album as the window opens it, never seen before, with first pictures: time until every
//     visible cell shows a picture and until every one has its thumbnail, for the photos carrying an
//     EXIF picture (put in by exiftool in the setup) against the same photos without.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "album/AlbumModel.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/Thumbnail.h"
#include "imaging/screen/ThumbnailCache.h"
#include "imaging/screen/ThumbnailCell.h"
#include "support/TestSupport.h"
#include "ui/ThumbnailGrid.h"

namespace {

constexpr int AlbumSize = 500;
// The grid's visible area on the photo page of a main window of 800 x 600: 8 columns, 4 rows in view.
constexpr int GridWidth = 8 * CellWidth, GridHeight = 420;

struct TSetup {
  std::vector<std::string> Photos;  // the corpus's 24 MP photos
  std::string Plain;                // one of them without an orientation tag
  qtest::TScratchDir Dir;
  std::vector<std::string> Album;  // 500 names, links to those photos
  TThumbnailCache Cache{Dir / "thumbnails/normal"};
  TSetup() {
    const auto photos = qtest::PhotosDir();
    for (const auto& f : qtest::PhotoManifest())
      if (f.size() > 6 && f[0].rfind("photos/", 0) == 0 && std::stoll(f[1]) * std::stoll(f[2]) == 24000000) {
        Photos.push_back((photos / f[0]).string());
        if (Plain.empty() && f[6] == "1") Plain = Photos.back();
      }
    for (int i = 0; i < AlbumSize && !Photos.empty(); ++i) {
      const std::string link = Dir / ("foto" + std::to_string(i) + ".jpg");
      std::filesystem::create_symlink(Photos[i % Photos.size()], link);
      Album.push_back(link);
    }
  }
};

TSetup& Setup() {
  static TSetup setup;
  return setup;
}

// The album's photos again, each with a 160-pixel EXIF picture as cameras store it (the photo's
// stored orientation, no bars); empty when a tool is missing.
struct TExifSetup {
  qtest::TScratchDir Dir;
  std::vector<std::string> Album;
  TExifSetup() {
    const TSetup& s = Setup();
    if (!qtest::HaveProgram("convert") || !qtest::HaveProgram("exiftool")) return;
    std::vector<std::string> copies;
    for (size_t i = 0; i < s.Photos.size(); ++i) {
      const std::string copy = Dir / ("exif" + std::to_string(i) + ".jpg"), small = Dir / "small.jpg";
      std::filesystem::copy_file(s.Photos[i], copy);
      if (qtest::Run("convert -define jpeg:size=320x320 " + qtest::Quote(s.Photos[i]) +
                     " -thumbnail 160x160 -strip " + qtest::Quote(small)) != 0 ||
          !qtest::AddExifThumbnail(copy, small))
        return;
      copies.push_back(copy);
    }
    for (size_t i = 0; i < s.Album.size() && !copies.empty(); ++i) {
      const std::string link = Dir / ("foto" + std::to_string(i) + ".jpg");
      std::filesystem::create_symlink(copies[i % copies.size()], link);
      Album.push_back(link);
    }
  }
};

void FullDecode(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Plain.empty()) return State.SkipWithError("photo corpus not made");
  for (auto _ : State) {
    TDib dib;
    LoadPicture(s.Plain.c_str(), -1, nullptr, &dib);
    if (!dib.Bits) return State.SkipWithError("decoding failed");
    deldib(dib);
  }
}

void FastThumbnail(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Plain.empty()) return State.SkipWithError("photo corpus not made");
  for (auto _ : State) {
    const TMadeThumbnail made = MakeThumbnail(s.Plain.c_str());
    if (made.Kind != TThumbnailKind::Cached) return State.SkipWithError("no thumbnail");
    deldib(made.Picture);
  }
}

// A thumbnail made from the photo while its entry goes into the shared folder (the first sight).
void FirstThumbnailStoringItsEntry(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Plain.empty()) return State.SkipWithError("photo corpus not made");
  for (auto _ : State) {
    State.PauseTiming();
    std::filesystem::remove(s.Cache.EntryName(s.Plain));
    State.ResumeTiming();
    const TMadeThumbnail made = MakeThumbnail(s.Plain.c_str(), &s.Cache);
    if (made.Kind != TThumbnailKind::Cached) return State.SkipWithError("no thumbnail");
    deldib(made.Picture);
  }
}

// A thumbnail made from the photo's stored entry (every later sight, also in later runs).
void ThumbnailFromItsEntry(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Plain.empty()) return State.SkipWithError("photo corpus not made");
  deldib(MakeThumbnail(s.Plain.c_str(), &s.Cache).Picture);
  for (auto _ : State) {
    const TMadeThumbnail made = MakeThumbnail(s.Plain.c_str(), &s.Cache);
    if (made.Kind != TThumbnailKind::Cached) return State.SkipWithError("no thumbnail");
    deldib(made.Picture);
  }
}

// libjpeg alone decoding the photo at 1/8 scale, rows thrown away: what the fast thumbnail cannot go
// below, since every scale has to read all of the photo's entropy-coded data.
void LibjpegEighthScale(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Plain.empty()) return State.SkipWithError("photo corpus not made");
  const std::string bytes = qtest::ReadFile(s.Plain);
  std::vector<unsigned char> row(6000 * 3);
  for (auto _ : State) {
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1, info.scale_denom = 8;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
      JSAMPROW r = row.data();
      jpeg_read_scanlines(&info, &r, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
  }
}

// The first screen the way the grid would make it without the worker: each visible photo decoded at
// full size and resized, one after the other.
void FirstScreenFromFullDecodes(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Album.empty()) return State.SkipWithError("photo corpus not made");
  const int cells = 8 * 4;
  for (auto _ : State)
    for (int i = 0; i < cells; ++i) {
      TDib full, thumb;
      LoadPicture(s.Album[i].c_str(), -1, nullptr, &full);
      const TThumbnailSize fit = ThumbnailFit(DibWidth(full), DibHeight(full));
      Resize(full, fit.Width, fit.Height, &thumb);
      deldib(full), deldib(thumb);
    }
}

// Sizes the grid as the main window does, shows and paints it; returns the number of visible cells.
int ShowGrid(TThumbnailGrid& Grid) {
  const QScrollArea* area = Grid.ScrollBox1;
  Grid.resize(GridWidth + area->verticalScrollBar()->sizeHint().width() + 2 * area->frameWidth(),
              GridHeight + 2 * area->frameWidth());
  Grid.show();
  Grid.PaintBox1Paint();
  Grid.PaintBox1->repaint();
  return GridColumns(Grid.PaintBox1->width()) * ((GridHeight + CellHeight - 1) / CellHeight);
}

// Opening the album in the grid: counters say how long until the grid shows and until the first
// screen's thumbnails are all there, and how many files scrolling through everything read afterwards.
// Argument 0: without the shared folder; 1: the first opening with an empty folder; 2: the next one.
void AlbumOf500(benchmark::State& State) {
  const auto& s = Setup();
  const TThumbnailCache* cache = State.range(0) > 0 ? &s.Cache : nullptr;
  if (s.Album.empty()) return State.SkipWithError("photo corpus not made");
  using TClock = std::chrono::steady_clock;
  double shown = 0, firstScreen = 0, scrollStep = 0, filesReadScrolling = 0, cells = 0;
  for (auto _ : State) {
    std::atomic<int> filesRead = 0;
    TAlbumModel album;
    for (const std::string& name : s.Album) SetEntryFileName(*album.Pics.Append(), name);
    const auto start = TClock::now();
    TThumbnailGrid grid(album, nullptr, [&](const std::string& Name) {
      ++filesRead;
      return MakeThumbnail(Name.c_str(), cache);
    });
    const int visible = ShowGrid(grid);
    shown += std::chrono::duration<double>(TClock::now() - start).count();
    cells = visible;
    const auto firstScreenMade = [&] {
      for (int i = 0; i < visible; ++i)
        if (!album.Pics[i].Thumbnail.Bits) return false;
      return true;
    };
    while (!firstScreenMade()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    firstScreen += std::chrono::duration<double>(TClock::now() - start).count();

    // The rest are made behind the first screen; then scroll to the end and back, painting each step.
    while (grid.MakingThumbnails()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();
    const int before = filesRead;
    QScrollBar* bar = grid.ScrollBox1->verticalScrollBar();
    int steps = 0;
    const auto scrollStart = TClock::now();
    for (int direction : {1, -1})
      for (bool moving = true; moving; ++steps) {
        const int old = bar->value();
        for (int i = 0; i < 5; ++i) direction > 0 ? grid.FormMouseWheelDown() : grid.FormMouseWheelUp();
        grid.PaintBox1->repaint();
        QApplication::processEvents();
        moving = bar->value() != old;
      }
    scrollStep += std::chrono::duration<double>(TClock::now() - scrollStart).count() / steps;
    filesReadScrolling += filesRead - before;
  }
  const double n = static_cast<double>(State.iterations());
  State.counters["shown_ms"] = shown / n * 1e3;
  State.counters["first_screen_ms"] = firstScreen / n * 1e3;
  State.counters["first_screen_cells"] = cells;
  State.counters["scroll_step_ms"] = scrollStep / n * 1e3;
  State.counters["files_read_scrolling"] = filesReadScrolling / n;
}

// The album opened as the window opens it, with first pictures, never seen before (an empty shared
// folder each time). Argument 0: the photos with EXIF pictures; 1: the same photos without.
void FirstScreenWithFirstPictures(benchmark::State& State) {
  static TExifSetup exif;
  const std::vector<std::string>& photos = State.range(0) == 0 ? exif.Album : Setup().Album;
  if (photos.empty()) return State.SkipWithError("photo corpus, convert or exiftool missing");
  using TClock = std::chrono::steady_clock;
  double pictures = 0, thumbnails = 0;
  int round = 0;
  for (auto _ : State) {
    const TThumbnailCache cache(exif.Dir / ("thumbnails" + std::to_string(State.range(0)) + "-" +
                                            std::to_string(round++) + "/normal"));
    TAlbumModel album;
    for (const std::string& name : photos) SetEntryFileName(*album.Pics.Append(), name);
    const auto start = TClock::now();
    TThumbnailGrid grid(
        album, nullptr, [&](const std::string& Name) { return MakeThumbnail(Name.c_str(), &cache); },
        [&](const std::string& Name) { return MakeFirstThumbnail(Name.c_str(), &cache); });
    const int visible = ShowGrid(grid);
    const auto all = [&](bool Thumbnails) {
      for (int i = 0; i < visible; ++i)
        if (!(Thumbnails ? album.Pics[i].Thumbnail.Bits != nullptr : grid.ShowsPicture(i))) return false;
      return true;
    };
    while (!all(false)) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    grid.PaintBox1->repaint();
    pictures += std::chrono::duration<double>(TClock::now() - start).count();
    while (!all(true)) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    thumbnails += std::chrono::duration<double>(TClock::now() - start).count();
  }
  const double n = static_cast<double>(State.iterations());
  State.counters["pictures_ms"] = pictures / n * 1e3;
  State.counters["thumbnails_ms"] = thumbnails / n * 1e3;
}

}  // namespace

BENCHMARK(FullDecode)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(FastThumbnail)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(FirstThumbnailStoringItsEntry)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(ThumbnailFromItsEntry)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(LibjpegEighthScale)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(FirstScreenFromFullDecodes)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(AlbumOf500)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(AlbumOf500)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(FirstScreenWithFirstPictures)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
