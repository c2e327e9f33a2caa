// The export's own work apart from decoding and encoding pictures: laying out an album of many
// photos with texts (what a live preview recomputes), and exporting small pictures end to end, where
// the page loop, text wrapping and the writer's bookkeeping dominate. The whole-corpus comparison with
// other programs is scripts/bench-export.sh.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "export/AlbumExport.h"
#include "export/PageLayout.h"
#include "imaging/pictaro/Pictaro.h"
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

// A JPEG of Width x Height with a colour gradient.
void WriteGradient(const std::string& FileName, int Width, int Height) {
  TDib dib{};
  newdib(&dib, Width, Height, 24, nullptr, 0);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) setpixel(dib, x, y, static_cast<uint32_t>(x * 0x10101 + y));
  SaveDib(dib, FileName.c_str(), 7, 0);
  deldib(dib);
}

void ExportSmallPictures(benchmark::State& State) {
  qtest::TScratchDir dir;
  WriteGradient(dir / "p.jpg", 320, 240);
  const std::vector<TExportPhoto> photos(120, TExportPhoto{dir / "p.jpg", KText});
  const TLayoutSettings settings = FirstStartSettings();
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, dir / "album.pdf", TExportOptions{});
    if (!r.Ok()) State.SkipWithError(r.Message.c_str());
  }
  State.SetItemsProcessed(State.iterations() * 120);
}
BENCHMARK(ExportSmallPictures)->Unit(benchmark::kMillisecond);

// Photo texts of about the same length in Windows-1252 (first) and in other scripts.
const char* const KScriptTexts[] = {
    "Urlaub an der Nordsee, Sommer 2019 – mit Oma, Opa und den Kindern am Strand in Büsum",
    "Wakacje w Łodzi i Krakowie, lato 2019 – z babcią, dziadkiem i dziećmi nad morzem",
    "Dovolená v Praze a Brně, léto 2019 – s babičkou, dědečkem a dětmi u řeky Vltavy",
    "İstanbul ve İzmir tatili, yaz 2019 – büyükanne, büyükbaba ve çocuklarla sahilde",
    "Διακοπές στην Αθήνα και στη Θεσσαλονίκη, καλοκαίρι 2019 – με τη γιαγιά και τα παιδιά",
    "Отпуск в Санкт-Петербурге и Москве, лето 2019 – с бабушкой, дедушкой и детьми",
    "Kỳ nghỉ ở Hà Nội và Huế, mùa hè 2019 – cùng ông bà và các cháu trên bãi biển",
    "חופשה בירושלים ובתל אביב, קיץ 2019 – עם סבתא, סבא והילדים על החוף",
    "عطلة في القاهرة والإسكندرية، صيف 2019 – مع الجدة والجد والأطفال على الشاطئ",
    "2019年夏天在北京和上海度假，和爷爷奶奶还有孩子们一起在海边玩",
    "2019年の夏、東京と京都で休暇。おばあちゃん、おじいちゃん、子どもたちと海辺で",
    "Sommer 2019 ☀ am Strand 😀 mit allen 🌍 und Eis 🍦 für die Kinder 🎉",
};
constexpr int KScriptCount = sizeof KScriptTexts / sizeof KScriptTexts[0];

// Writes a 200-page album (6 photos a page, small pictures) whose texts are KScriptTexts[First] to
// KScriptTexts[Last], photo by photo in turn; the counter pdf_kb gives the file's size.
void ExportTwoHundredPages(benchmark::State& State, int First, int Last) {
  qtest::TScratchDir dir;
  WriteGradient(dir / "p.jpg", 96, 64);
  std::vector<TExportPhoto> photos;
  for (int i = 0; i < 1200; ++i)
    photos.push_back({dir / "p.jpg", KScriptTexts[First + i % (Last - First + 1)]});
  const TLayoutSettings settings = FirstStartSettings();
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, dir / "album.pdf", TExportOptions{});
    if (!r.Ok()) State.SkipWithError(r.Message.c_str());
  }
  State.counters["pdf_kb"] = static_cast<double>(std::filesystem::file_size(dir / "album.pdf")) / 1024;
}

// The time side by side: Windows-1252 texts against texts in every script.
void ExportTwoHundredPagesCp1252(benchmark::State& State) { ExportTwoHundredPages(State, 0, 0); }
void ExportTwoHundredPagesAllScripts(benchmark::State& State) {
  ExportTwoHundredPages(State, 1, KScriptCount - 1);
}
BENCHMARK(ExportTwoHundredPagesCp1252)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(ExportTwoHundredPagesAllScripts)->Unit(benchmark::kMillisecond)->MinTime(3);

// One script at a time: pdf_kb less the Windows-1252 album's is what its fonts add (an upper bound,
// since its content streams also write two bytes a glyph).
void ExportTwoHundredPagesOneScript(benchmark::State& State) {
  const int script = static_cast<int>(State.range(0));
  ExportTwoHundredPages(State, script, script);
}
BENCHMARK(ExportTwoHundredPagesOneScript)
    ->DenseRange(0, KScriptCount - 1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
