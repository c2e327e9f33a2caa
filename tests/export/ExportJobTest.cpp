// The export on a thread of its own, as the window runs it: a failure of the export becomes a message
// naming the file, Done comes once from the job's thread, and a cancel from another thread stops it
// with nothing left behind. The test command also runs this under ThreadSanitizer.

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <stdexcept>

#include "export/ExportJob.h"
#include "imaging/Pictaro.h"
#include "support/TestSupport.h"

namespace {

// Counts Done and remembers the thread it came from.
struct TDoneRecord {
  std::mutex Lock;
  int Calls = 0;
  std::thread::id Thread;
  std::function<void()> Callback() {
    return [this] {
      const std::lock_guard lock(Lock);
      ++Calls;
      Thread = std::this_thread::get_id();
    };
  }
};

TEST(ExportJob, AFailingExportBecomesAMessageNamingTheFile) {
  struct {
    std::function<void()> Fail;
    const char* Message;
  } rows[] = {
      {[] { throw std::runtime_error("Platte voll"); },
       "Fehler: Die PDF-Datei „/album/x.pdf“ konnte nicht erzeugt werden (Platte voll)."},
      {[] { throw std::bad_alloc(); },
       "Fehler: Die PDF-Datei „/album/x.pdf“ konnte nicht erzeugt werden (nicht genug Arbeitsspeicher)."},
  };
  for (const auto& row : rows) {
    TDoneRecord done;
    TExportJob job({}, FirstStartSettings(), "/album/x.pdf", {}, done.Callback(),
                   [&](const auto&, const auto&, const auto&, const auto&) -> TExportResult {
                     row.Fail();
                     return {};
                   });
    const TExportResult result = job.Result();
    EXPECT_TRUE(job.Finished());
    EXPECT_TRUE(result.Status == TExportStatus::WriteFailed);
    EXPECT_EQ(result.Message, row.Message);
    const std::lock_guard lock(done.Lock);
    EXPECT_EQ(done.Calls, 1);
    EXPECT_NE(done.Thread, std::this_thread::get_id());
  }
}

// Tells the waiting test thread when the export starts its third photo.
class TThirdPhoto final : public TExportListener {
 public:
  void PhotoStarting(size_t Index, size_t) override {
    const std::lock_guard lock(FLock);
    if (Index == 2) FReached = true;
    FChanged.notify_all();
  }
  void Wait() {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FReached; });
  }

 private:
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FReached = false;
};

TEST(ExportJob, CancelledFromAnotherThreadLeavesNoFile) {
  qtest::TScratchDir dir;
  std::vector<TExportPhoto> photos;
  for (int i = 0; i < 4; ++i) {
    TDib dib{};
    newdib(&dib, 64, 48, 24, nullptr, 0);
    ASSERT_NE(dib.Bits, nullptr);
    const std::string name = dir / ("p" + std::to_string(i) + ".jpg");
    ASSERT_EQ(SaveDib(dib, name.c_str(), 7, 0), 1);
    deldib(dib);
    photos.push_back({name, "Foto"});
  }
  TLayoutSettings settings = FirstStartSettings();
  settings.XMalEd = 100;  // 400 pictures: far more than are placed before the cancel
  std::atomic<bool> cancel{false};
  TThirdPhoto third;
  TExportOptions options;
  options.Cancel = &cancel;
  options.Listener = &third;
  TDoneRecord done;
  TExportJob job(photos, settings, dir / "album.pdf", options, done.Callback());
  third.Wait();
  cancel = true;
  const TExportResult result = job.Result();
  EXPECT_TRUE(result.Status == TExportStatus::Cancelled);
  EXPECT_LT(result.Pictures, 400);
  // Only the four photos: neither the PDF nor its temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 4);
  const std::lock_guard lock(done.Lock);
  EXPECT_EQ(done.Calls, 1);
}

}  // namespace
