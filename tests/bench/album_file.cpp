// Saving and loading large albums in memory, and searching them: 1,000 and 10,000 photos with
// typical paths and texts.

#include <benchmark/benchmark.h>

#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "album/PhotoSearch.h"

namespace {

void Fill(TAlbumModel& Album, int64_t Count) {
  std::vector<std::string> paths;
  for (int64_t i = 0; i < Count; ++i)
    paths.push_back("/home/anna/Bilder/Urlaub 2024/Tag " + std::to_string(i / 50) + "/IMG_" +
                    std::to_string(10000 + i) + ".jpg");
  AddPhotos(Album, paths, true, false);
  for (int64_t i = 0; i < Count; i += 3)
    SetEntryText(Album.Pics[static_cast<int32_t>(i)],
                 "Am Strand von Sylt mit Oma und Opa\r\nWetter: sonnig, 24 °C");
}

void BM_EncodeAlbum(benchmark::State& State) {
  TAlbumModel album;
  Fill(album, State.range(0));
  const TLayoutSettings settings;
  size_t bytes = 0;
  for (auto _ : State) {
    const std::string encoded = EncodeAlbum(album, settings);
    bytes = encoded.size();
    benchmark::DoNotOptimize(encoded.data());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * bytes));
}

void BM_LoadAlbum(benchmark::State& State) {
  TAlbumModel source;
  Fill(source, State.range(0));
  const std::string encoded = EncodeAlbum(source, TLayoutSettings{});
  for (auto _ : State) {
    TAlbumModel album;
    TLayoutSettings settings;
    benchmark::DoNotOptimize(LoadAlbumBytes(encoded, album, settings).Ok);
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * encoded.size()));
}

void BM_SearchAlbum(benchmark::State& State) {
  TAlbumModel album;
  Fill(album, State.range(0));
  for (auto _ : State) benchmark::DoNotOptimize(SearchPhotos(album, "sylt").size());
}

BENCHMARK(BM_EncodeAlbum)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAlbum)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchAlbum)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
