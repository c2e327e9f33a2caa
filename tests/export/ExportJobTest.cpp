// The export on a thread of its own, as the window runs it: a failure becomes a message naming the file,
// Done comes once from the job's thread, and a cancel from another thread leaves nothing behind. The
// test command also runs this under ThreadSanitizer.

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <iterator>
#include <stdexcept>

#include "export/ExportJob.h"
#include "support/TestSupport.h"
#include "support/Waiting.h"

namespace {

TEST(ExportJob, AFailingExportBecomesAMessageNamingTheFile) {
  struct {
    std::function<void()> Fail;
    const char* Message;
  } rows[] = {
      {[] { throw std::runtime_error("Platte voll"); },
       "Fehler: Die PDF-Datei „/a/x.pdf“ konnte nicht erzeugt werden (Platte voll)."},
      {[] { throw std::bad_alloc(); },
       "Fehler: Die PDF-Datei „/a/x.pdf“ konnte nicht erzeugt werden (nicht genug Arbeitsspeicher)."},
  };
  for (const auto& row : rows) {
    std::atomic<int> done = 0;
    std::atomic<bool> elsewhere = false;
    const auto here = std::this_thread::get_id();
    TExportJob job(
        {}, FirstStartSettings(), "/a/x.pdf", {},
        [&] { ++done, elsewhere = std::this_thread::get_id() != here; },
        [&](const auto&, const auto&, const auto&, const auto&) -> TExportResult {
          row.Fail();
          return {};
        });
    const TExportResult result = job.Result();
    EXPECT_TRUE(job.Finished() && result.Status == TExportStatus::WriteFailed);
    EXPECT_EQ(result.Message, row.Message);
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(elsewhere);
  }
}

// Lets the test thread wait until the export starts its third photo.
struct TThirdPhoto final : TExportListener {
  std::mutex Lock;
  std::condition_variable Reached;
  bool Third = false;
  void PhotoStarting(size_t Index, size_t) override {
    const std::lock_guard lock(Lock);
    Third = Third || Index == 2;
    Reached.notify_all();
  }
};

TEST(ExportJob, CancelledFromAnotherThreadLeavesNoFile) {
  qtest::TScratchDir dir;
  std::vector<TExportPhoto> photos;
  for (int i = 0; i < 4; ++i) {
    photos.push_back({dir / ("p" + std::to_string(i) + ".jpg"), "Foto"});
    qtest::WritePicture(photos.back().FileName, 64, 48, 24, 7);
  }
  TLayoutSettings settings = FirstStartSettings();
  settings.XMalEd = 100;  // 400 pictures: far more than are placed before the cancel
  std::atomic<bool> cancel{false};
  std::atomic<int> done = 0;
  TThirdPhoto third;
  TExportOptions options;
  options.Cancel = &cancel;
  options.Listener = &third;
  TExportJob job(photos, settings, dir / "album.pdf", options, [&] { ++done; });
  {
    std::unique_lock lock(third.Lock);
    ASSERT_TRUE(qtest::WaitFor(third.Reached, lock, [&] { return third.Third; })) << "the third photo never came";
  }
  cancel = true;
  const TExportResult result = job.Result();
  EXPECT_TRUE(result.Status == TExportStatus::Cancelled);
  EXPECT_LT(result.Pictures, 400);
  EXPECT_EQ(done, 1);
  // Only the four photos: neither the PDF nor its temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 4);
}

}  // namespace
