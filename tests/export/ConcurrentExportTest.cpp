// Two exports at once, each on a thread of its own, as the window runs its export beside another one:
// each must write exactly the bytes it writes alone. The test command also runs this under
// ThreadSanitizer, which reports any state the two share without synchronisation.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/ProgressSink.h"
#include "support/TestSupport.h"

namespace {

void WriteGradientJpeg(const std::string& FileName, int Width, int Height) {
  TDib dib{};
  newdib(&dib, Width, Height, 24, nullptr, 0);
  ASSERT_NE(dib.Bits, nullptr);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) setpixel(dib, x, y, static_cast<uint32_t>((x * 255 / Width) | (y << 8)));
  EXPECT_EQ(SaveDib(dib, FileName.c_str(), 7, 0), 1);
  deldib(dib);
}

class TCounting final : public TExportListener, public TProgressSink {
 public:
  void PhotoStarting(size_t, size_t) override { ++Photos; }
  void PageFinished(int32_t) override { ++Pages; }
  void Progress(int) override { ++Reports; }
  int Photos = 0, Pages = 0, Reports = 0;
};

TEST(ConcurrentExport, TwoExportsAtOnceWriteWhatEachWritesAlone) {
  qtest::TScratchDir dir;
  std::vector<TExportPhoto> photos;
  for (int i = 0; i < 6; ++i) {
    const std::string name = dir / ("p" + std::to_string(i) + ".jpg");
    WriteGradientJpeg(name, 120 + 20 * i, 90 + 10 * i);
    photos.push_back({name, "Foto Nummer " + std::to_string(i) + " mit einem Text über zwei Zeilen"});
  }
  photos.push_back({dir / "missing.jpg", "fehlt"});
  // A text outside Windows-1252: shaped, with its fonts embedded.
  photos[2].Text = "Καλημέρα aus Athen, مرحبا";

  // Two different layouts, so the two writers measure different fonts at different sizes.
  TLayoutSettings first = FirstStartSettings();
  TLayoutSettings second = FirstStartSettings();
  second.CountXEd = 3;
  second.XMalEd = 2;
  second.RahmenCheck = true;
  second.Shape1 = 0x00C0FFFF;
  SetFontSize(second.TextFont, 14);
  second.HeadingFont.Name = "DejaVu Serif";

  // Each export measures with system fonts of its own (no Metrics given).
  TExportOptions alone;
  ASSERT_TRUE(ExportAlbum(photos, first, dir / "first-alone.pdf", alone).Ok());
  ASSERT_TRUE(ExportAlbum(photos, second, dir / "second-alone.pdf", alone).Ok());

  std::atomic<bool> cancel{false};
  TCounting countFirst, countSecond;
  TExportResult resultFirst, resultSecond;
  auto run = [&](const TLayoutSettings& Settings, const std::string& Name, TCounting& Count,
                 TExportResult& Result) {
    TExportOptions options;
    options.Listener = &Count;
    options.PictureProgress = &Count;
    options.Cancel = &cancel;
    Result = ExportAlbum(photos, Settings, Name, options);
  };
  std::thread a(run, std::cref(first), dir / "first.pdf", std::ref(countFirst), std::ref(resultFirst));
  std::thread b(run, std::cref(second), dir / "second.pdf", std::ref(countSecond), std::ref(resultSecond));
  a.join();
  b.join();

  ASSERT_TRUE(resultFirst.Ok()) << resultFirst.Message;
  ASSERT_TRUE(resultSecond.Ok()) << resultSecond.Message;
  EXPECT_EQ(resultFirst.Unreadable, 1);
  EXPECT_EQ(resultSecond.Pictures, 12);
  EXPECT_EQ(countFirst.Photos, 7);
  // Every picture loaded reports its end, whichever thread loaded it: 6 photos, twice in the second.
  EXPECT_GE(countFirst.Reports, 6);
  EXPECT_GE(countSecond.Reports, 12);
  EXPECT_TRUE(qtest::ReadFile(dir / "first.pdf") == qtest::ReadFile(dir / "first-alone.pdf"));
  EXPECT_TRUE(qtest::ReadFile(dir / "second.pdf") == qtest::ReadFile(dir / "second-alone.pdf"));
}

}  // namespace
