// Decoding and encoding a 12-megapixel camera JPEG with the picture library, side by side with
// libjpeg-turbo's own djpeg and cjpeg on the same picture, in one run. djpeg writes a BMP and cjpeg
// reads a PPM, each to and from a file, as OpenDib and SaveDib do; both are started with posix_spawn,
// whose few milliseconds count against them.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "support/TestSupport.h"

extern char** environ;

namespace {

struct TSetup {
  std::string Jpeg, Ppm, OutJpeg;
  qtest::TScratchDir Dir;
  TSetup() {
    const auto photos = qtest::PhotosDir();
    for (const auto& f : qtest::PhotoManifest())
      // A 12 MP landscape photo without an orientation tag: nothing to turn.
      if (f.size() > 6 && f[0].rfind("photos/", 0) == 0 && f[1] == "4032" && f[2] == "3024" && f[6] == "1") {
        Jpeg = (photos / f[0]).string();
        break;
      }
    Ppm = Dir / "in.ppm";
    OutJpeg = Dir / "out.jpg";
    if (!Jpeg.empty() &&
        qtest::Run("djpeg -ppm -outfile " + qtest::Quote(Ppm) + " " + qtest::Quote(Jpeg)) != 0)
      Jpeg.clear();
  }
};

TSetup& Setup() {
  static TSetup setup;
  return setup;
}

bool Spawn(std::vector<std::string> Args) {
  std::vector<char*> argv;
  for (auto& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void OpenDibJpeg(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Jpeg.empty()) return State.SkipWithError("photo corpus not made");
  for (auto _ : State) {
    TDib dib;
    if (!OpenDib(&dib, s.Jpeg.c_str(), 7, nullptr)) return State.SkipWithError("OpenDib failed");
    deldib(dib);
  }
}

void DjpegToBmp(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Jpeg.empty()) return State.SkipWithError("photo corpus not made");
  for (auto _ : State)
    if (!Spawn({"djpeg", "-bmp", "-outfile", s.Dir / "djpeg.bmp", s.Jpeg}))
      return State.SkipWithError("djpeg failed");
}

void SaveDibJpeg(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Jpeg.empty()) return State.SkipWithError("photo corpus not made");
  TDib dib;
  if (!OpenDib(&dib, s.Jpeg.c_str(), 7, nullptr)) return State.SkipWithError("OpenDib failed");
  for (auto _ : State)
    if (!SaveDib(dib, s.OutJpeg.c_str(), 7, 0)) return State.SkipWithError("SaveDib failed");
  deldib(dib);
}

void CjpegFromPpm(benchmark::State& State) {
  const auto& s = Setup();
  if (s.Jpeg.empty()) return State.SkipWithError("photo corpus not made");
  for (auto _ : State)
    if (!Spawn({"cjpeg", "-quality", "90", "-outfile", s.Dir / "cjpeg.jpg", s.Ppm}))
      return State.SkipWithError("cjpeg failed");
}

}  // namespace

BENCHMARK(OpenDibJpeg)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(DjpegToBmp)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(SaveDibJpeg)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(CjpegFromPpm)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

BENCHMARK_MAIN();
