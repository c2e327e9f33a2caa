// The page preview in the main window (Qt offscreen), side by side in one run:
//   - a control that changes the PDF (a margin typed into its field) until the preview pane has drawn
//     the page anew and painted it, for a page of 3 x 4 photos of the corpus whose pictures are at
//     hand, in an album of those 12 photos and in one of 500 (the layout covers every photo);
//   - the reference: what the user did before there was a preview, writing the album's PDF (the same
//     12 photos, 3 x 4 on A4) to look at it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "export/AlbumExport.h"
#include "imaging/screen/ThumbnailCache.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"
#include "ui/MainForm.h"
#include "ui/PagePreview.h"
#include "ui/SpinEdit.h"

namespace {

struct TNoShell final : TShell {
  void OpenFile(const std::string&) override {}
};

// The corpus's first 12 JPEG photos, and 500 links to them.
struct TSetup {
  std::vector<std::string> Photos;
  std::vector<std::string> Album500;
  qtest::TScratchDir Dir;
  TThumbnailCache Cache{Dir / "thumbnails/normal"};
  TSetup() {
    const auto photos = qtest::PhotosDir();
    for (const auto& f : qtest::PhotoManifest())
      if (Photos.size() < 12 && f.size() > 3 && f[0].rfind("photos/", 0) == 0 && f[3] == "JPEG")
        Photos.push_back((photos / f[0]).string());
    for (int i = 0; i < 500 && Photos.size() == 12; ++i) {
      const std::string link = Dir / ("foto" + std::to_string(i) + ".jpg");
      std::filesystem::create_symlink(Photos[i % 12], link);
      Album500.push_back(link);
    }
  }
};

TSetup& Setup() {
  static TSetup setup;
  return setup;
}

void ControlChangeToPaneRedrawn(benchmark::State& State) {
  TSetup& s = Setup();
  if (s.Photos.size() != 12) return State.SkipWithError("photo corpus not made");
  qtest::TScriptedDialogs dialogs;
  TMemorySettingsStore store;
  TNoShell shell;
  TMainForm form(dialogs, store, shell, &s.Cache);
  TLayoutSettings settings = form.Settings();
  settings.CountXEd = 3;
  settings.CountYEd = 4;
  form.SetSettings(settings);
  dialogs.FileAnswers.push_back(State.range(0) == 12 ? s.Photos : s.Album500);
  form.NewFotoBtnClick();
  form.resize(1000, 700);
  form.show();
  form.findChild<QTabWidget*>("PageControl2")->setCurrentWidget(form.findChild<QWidget*>("EinstellungenPage"));
  TPagePreview* preview = form.Preview();
  int redrawn = 0;
  QObject::connect(preview, &TPagePreview::Redrawn, [&redrawn] { ++redrawn; });
  // Until every picture of the page is there and drawn.
  while (redrawn == 0 || preview->MakingPictures()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  QApplication::processEvents();
  if (preview->PageCount() != (State.range(0) == 12 ? 1 : 42)) return State.SkipWithError("unexpected pages");

  QLineEdit* margin = form.findChild<TSpinEdit*>("RandXEd")->lineEdit();
  int step = 0;
  for (auto _ : State) {
    redrawn = 0;
    margin->setText(++step % 2 ? QStringLiteral("16") : QStringLiteral("15"));
    while (redrawn == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();  // the pane paints the page
  }
  form.hide();
}

void WritingThePdfInstead(benchmark::State& State) {
  TSetup& s = Setup();
  if (s.Photos.size() != 12) return State.SkipWithError("photo corpus not made");
  TLayoutSettings settings = FirstStartSettings();
  settings.CountXEd = 3;
  settings.CountYEd = 4;
  settings.ShowPDFCheck = false;
  std::vector<TExportPhoto> photos;
  for (const std::string& photo : s.Photos) photos.push_back({photo, std::filesystem::path(photo).filename()});
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(photos, settings, s.Dir / "album.pdf", {});
    if (!r.Ok()) return State.SkipWithError("export failed");
  }
}

}  // namespace

BENCHMARK(ControlChangeToPaneRedrawn)->Arg(12)->Arg(500)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(WritingThePdfInstead)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
