// Arranging large albums, each beside its reference in the same run: sorting 10,000 photos by name
// (target 50 ms; the files are there, each is looked for) against a plain byte-wise sort of the same
// names; undoing the delete of 1,000 of
// 10,000 photos (target 50 ms) against copying the whole album once, which a history that kept a
// copy of the album per step would pay.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <random>

#include "album/PhotoSort.h"
#include "album/UndoHistory.h"

namespace {

std::vector<std::string> Names(int64_t Count) {
  std::vector<std::string> names;
  for (int64_t i = 0; i < Count; ++i)
    names.push_back("/home/anna/Bilder/Urlaub " + std::to_string(2000 + i % 25) + "/" +
                    (i % 3 ? "IMG_" : "Strand am Meer ") + std::to_string(i) + ".jpg");
  std::shuffle(names.begin(), names.end(), std::mt19937(42));
  return names;
}

// The names as files in a folder of their own, removed at the end: a sort looks whether each file is
// there (a missing one goes last).
class TNamedFiles {
 public:
  explicit TNamedFiles(const std::vector<std::string>& Names) {
    std::string folder = (std::filesystem::temp_directory_path() / "quirvel-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) throw std::runtime_error("no temporary folder");
    FFolder = folder;
    for (const std::string& name : Names) {
      const std::filesystem::path path = FFolder / std::filesystem::path(name).relative_path();
      std::filesystem::create_directories(path.parent_path());
      std::ofstream(path).put('x');
      FPaths.push_back(path.string());
    }
  }
  ~TNamedFiles() {
    std::error_code error;
    std::filesystem::remove_all(FFolder, error);
  }
  TNamedFiles(const TNamedFiles&) = delete;
  TNamedFiles& operator=(const TNamedFiles&) = delete;
  const std::vector<std::string>& Paths() const { return FPaths; }

 private:
  std::filesystem::path FFolder;
  std::vector<std::string> FPaths;
};

void BM_SortByName(benchmark::State& State) {
  const TNamedFiles files(Names(State.range(0)));
  const std::vector<std::string>& names = files.Paths();
  for (auto _ : State) {
    std::vector<TSortKeyValue> keys;
    SortKeysOf(names, TSortKey::FileName, keys);
    benchmark::DoNotOptimize(SortedOrder(keys, false).data());
  }
}

// Reference: the same names sorted by their bytes, no collation.
void BM_SortByBytes(benchmark::State& State) {
  const std::vector<std::string> names = Names(State.range(0));
  for (auto _ : State) {
    std::vector<std::string> sorted = names;
    std::stable_sort(sorted.begin(), sorted.end());
    benchmark::DoNotOptimize(sorted.data());
  }
}

void Fill(TAlbumModel& Album, int64_t Count) {
  for (const std::string& name : Names(Count)) {
    TPicEntry* entry = Album.Pics.Append();
    SetEntryFileName(*entry, name);
    SetEntryText(*entry, "Am Strand von Sylt mit Oma und Opa\r\nWetter: sonnig, 24 °C");
  }
}

// Range(0) photos, Range(1) of them deleted (every tenth), then the delete undone; redone untimed.
void BM_UndoDelete(benchmark::State& State) {
  TAlbumModel album;
  Fill(album, State.range(0));
  TLayoutSettings settings;
  TUndoHistory history;
  std::vector<uint32_t> places;
  for (uint32_t i = 0; i < State.range(1); ++i)
    places.push_back(i * static_cast<uint32_t>(State.range(0) / State.range(1)));
  history.Do(std::make_unique<TRemovePhotos>(places), album, settings);
  for (auto _ : State) {
    history.Undo(album, settings);
    State.PauseTiming();
    history.Redo(album, settings);
    State.ResumeTiming();
  }
}

// Reference: one copy of every photo's file name and text.
void BM_CopyAlbum(benchmark::State& State) {
  TAlbumModel album;
  Fill(album, State.range(0));
  for (auto _ : State) {
    std::vector<std::pair<std::string, std::string>> copy;
    copy.reserve(album.Pics.Count);
    for (uint32_t i = 0; i < album.Pics.Count; ++i)
      copy.emplace_back(EntryFileName(album.Pics[static_cast<int32_t>(i)]),
                        EntryText(album.Pics[static_cast<int32_t>(i)]));
    benchmark::DoNotOptimize(copy.data());
  }
}

BENCHMARK(BM_SortByName)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByBytes)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoDelete)->Args({10000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyAlbum)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
