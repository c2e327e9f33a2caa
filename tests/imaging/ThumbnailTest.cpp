// Thumbnails: the fit into the 80 x 80 box, Resize at every depth, the grid cell on the memory device,
// the grid's geometry, making a thumbnail from a JPEG at a reduced scale, and the worker-thread maker
// (also with two makers sharing one thumbnail folder).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <set>
#include <thread>

#include "PictureOracle.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroReduced.h"
#include "imaging/screen/Thumbnail.h"
#include "imaging/screen/ThumbnailCache.h"
#include "imaging/screen/ThumbnailCell.h"
#include "imaging/screen/ThumbnailMaker.h"
#include "platform/MemoryDevice.h"
#include "support/TestSupport.h"
#include "support/Waiting.h"

TEST(Thumbnail, FitIntoTheBox) {
  struct {
    int W, H, Width, Height;
  } rows[] = {
      {400, 300, 80, 60},                       //
      {300, 400, 60, 80},                       //
      {40, 30, 80, 60},                         // smaller pictures are enlarged
      {80, 80, 80, 80},                         //
      {6000, 4000, 80, 53}, {8000, 10, 80, 1},  // 800 times as wide: the height would be 0
      {10, 8000, 1, 80},    {0, 50, 0, 0},      // no pixels: nothing to fit
      {50, -1, 0, 0},
  };
  for (const auto& r : rows) {
    const TThumbnailSize s = ThumbnailFit(r.W, r.H);
    EXPECT_EQ(s.Width, r.Width) << r.W << "x" << r.H;
    EXPECT_EQ(s.Height, r.Height) << r.W << "x" << r.H;
  }
}

TEST(Thumbnail, ResizeSamplesInFixedPointAtEveryDepth) {
  // 24 bits: 10 x 4 to 4 x 3; XStep = 2560, YStep = 1365: columns 0, 2, 5, 7 and stored rows 0, 1, 2.
  TDib rgb;
  newdib(&rgb, 10, 4, 24, nullptr, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) setpixel(rgb, x, y, uint32_t(x) | uint32_t(y) << 8);
  TDib small;
  Resize(rgb, 4, 3, &small);
  ASSERT_NE(small.Bits, nullptr);
  const int columns[] = {0, 2, 5, 7};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(getpixel(small, x, y), uint32_t(columns[x]) | uint32_t(y) << 8);

  // 4 bits: each target nibble holds its own source nibble, and the colour table comes along.
  TDib four;
  newdib(&four, 6, 1, 4, nullptr, 0);
  auto* table = reinterpret_cast<uint8_t*>(four.Header) + four.Header->biSize;
  table[4 * 9] = 0x99;
  for (int x = 0; x < 6; ++x) setpixel(four, x, 0, 15 - x);
  TDib big;
  Resize(four, 12, 1, &big);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(getpixel(big, x, 0), 15u - x / 2) << x;
  EXPECT_EQ(big.Colors[9].Blue, 0x99);

  // 1 bit through getpixel and setpixel; 8 bits byte for byte.
  TDib one, eight, oneOut, eightOut;
  newdib(&one, 3, 1, 1, nullptr, 0);
  setpixel(one, 1, 0, 1);
  Resize(one, 6, 1, &oneOut);
  EXPECT_EQ(getpixel(oneOut, 2, 0) + getpixel(oneOut, 3, 0), 2u);
  EXPECT_EQ(getpixel(oneOut, 4, 0), 0u);
  newdib(&eight, 2, 2, 8, nullptr, 0);
  setpixel(eight, 1, 1, 200);
  Resize(eight, 4, 4, &eightOut);
  EXPECT_EQ(getpixel(eightOut, 3, 3), 200u);
  EXPECT_EQ(DibBitCount(eightOut), 8);

  // Nothing to make: no picture, or a side of 0.
  TDib none;
  Resize(rgb, 0, 5, &none);
  EXPECT_EQ(none.Bits, nullptr);
  Resize(TDib{}, 5, 5, &none);
  EXPECT_EQ(none.Bits, nullptr);
  for (TDib d : {rgb, small, four, big, one, eight, oneOut, eightOut}) deldib(d);
}

TEST(Thumbnail, GridGeometry) {
  EXPECT_EQ(GridColumns(200), 2);
  EXPECT_EQ(GridColumns(89), 1);  // narrower than a cell: still one column
  EXPECT_EQ(GridColumns(0), 1);
  EXPECT_EQ(GridHeight(6, 3), 330);  // a full last row gets an empty row below it
  EXPECT_EQ(GridHeight(7, 3), 330);
  EXPECT_EQ(GridHeight(0, 3), 110);
  EXPECT_TRUE(CellRowVisible(0, 110, 300));  // ends exactly at the scroll position: still painted
  EXPECT_FALSE(CellRowVisible(0, 111, 300));
  EXPECT_TRUE(CellRowVisible(410, 110, 300));
  EXPECT_FALSE(CellRowVisible(411, 110, 300));
  // The frame, borders included; the strips between frames belong to no photo.
  EXPECT_EQ(CellAtPoint(2, 2, 4, 10), 0);
  EXPECT_EQ(CellAtPoint(88, 108, 4, 10), 0);
  EXPECT_EQ(CellAtPoint(1, 2, 4, 10), -1);
  EXPECT_EQ(CellAtPoint(2, 109, 4, 10), -1);
  EXPECT_EQ(CellAtPoint(92, 112, 4, 10), 5);
  EXPECT_EQ(CellAtPoint(182, 222, 4, 10), -1);  // beyond the last photo
  EXPECT_EQ(CellAtPoint(362, 2, 4, 10), -1);    // right of the last column
}

TEST(Thumbnail, CellPlacesThePictureAndMarksTheCurrentPhoto) {
  struct {
    int W, H, X, Y, Width, Height;
  } rows[] = {{400, 300, 5, 15, 80, 60}, {300, 400, 15, 5, 60, 80}};
  for (const auto& r : rows) {
    TDib picture, thumb;
    newdib(&picture, r.W, r.H, 24, nullptr, 0);
    for (int y = 0; y < r.H; ++y)
      for (int x = 0; x < r.W; ++x) setpixel(picture, x, y, 0x00FF00);  // green
    const TThumbnailSize fit = ThumbnailFit(r.W, r.H);
    Resize(picture, fit.Width, fit.Height, &thumb);
    for (bool current : {false, true}) {
      TMemoryDevice device(200, 130);
      const uint32_t background = PaintThumbnailCell(device, 90, 0, &thumb, WaitingPictureColor, current);
      const uint32_t rgb = current ? 0x0000FF : 0xC0C0C0;  // the device shows 0x00RRGGBB
      EXPECT_EQ(background, current ? CurrentCellColor : CellColor);
      const int x0 = 90 + r.X, y0 = r.Y;
      EXPECT_EQ(device.Pixel(x0, y0), 0x00FF00u);
      EXPECT_EQ(device.Pixel(x0 + r.Width - 1, y0 + r.Height - 1), 0x00FF00u);
      // The background in all four margins and behind the caption.
      EXPECT_EQ(device.Pixel(x0 - 1, y0), rgb);
      EXPECT_EQ(device.Pixel(x0, y0 - 1), rgb);
      EXPECT_EQ(device.Pixel(x0 + r.Width, y0), rgb);
      EXPECT_EQ(device.Pixel(x0, y0 + r.Height), rgb);
      EXPECT_EQ(device.Pixel(90 + 3, 3), rgb);
      EXPECT_EQ(device.Pixel(90 + 86, 106), rgb);
      // The raised frame, each line without its last pixel.
      EXPECT_EQ(device.Pixel(90 + 2, 2), 0xFFFFFFu);
      EXPECT_EQ(device.Pixel(90 + 88, 2), 0x808080u);
      EXPECT_EQ(device.Pixel(90 + 88, 108), 0x808080u);
      EXPECT_EQ(device.Pixel(90 + 2, 108), 0xFFFFFFu);
      EXPECT_EQ(device.Pixel(90 + 89, 50), 0xFFFFFFu);  // outside the frame: untouched
    }
    deldib(picture), deldib(thumb);
  }
  // No picture: the whole box in the colour asked for.
  TMemoryDevice device(100, 120);
  PaintThumbnailCell(device, 0, 0, nullptr, UnreadablePictureColor, false);
  EXPECT_EQ(device.Pixel(5, 5), 0u);
  EXPECT_EQ(device.Pixel(84, 84), 0u);
  EXPECT_EQ(device.Pixel(85, 85), 0xC0C0C0u);
}

namespace {

// A 400 x 300 JPEG, left half red and right half blue, with an orientation tag when Orientation > 1.
std::string TwoColourJpeg(int Orientation) {
  TDib dib;
  newdib(&dib, 400, 300, 24, nullptr, 0);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x) setpixel(dib, x, y, x < 200 ? 0x0000FF : 0xFF0000);
  qtest::TScratchDir dir;
  EXPECT_EQ(SaveDib(dib, (dir / "a.jpg").c_str(), 7, 0), 1);
  deldib(dib);
  std::string bytes = qtest::ReadFile(dir / "a.jpg");
  if (Orientation > 1) {
    // APP1 "Exif": a little-endian TIFF header and one IFD entry, Orientation (0x0112), SHORT.
    const char app1[] =
        "\xFF\xE1\x00\x22"
        "Exif\0\0"
        "II\x2A\x00\x08\x00\x00\x00"
        "\x01\x00"
        "\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00"
        "\x00\x00\x00\x00";
    std::string segment(app1, sizeof app1 - 1);
    segment[4 + 6 + 8 + 2 + 8] = static_cast<char>(Orientation);
    bytes.insert(2, segment);
  }
  return bytes;
}

}  // namespace

TEST(Thumbnail, JpegDecodesAtTheSmallestScaleThatCoversTheBoxAndTurnsUpright) {
  qtest::TScratchDir dir;
  const std::string plain = dir / "plain.jpg", turned = dir / "turned.jpeg";
  qtest::WriteFile(plain, TwoColourJpeg(1));
  qtest::WriteFile(turned, TwoColourJpeg(6));

  // 1/8 would give 50 x 38, less than the box: 1/4 it is.
  TDib reduced;
  int w = 0, h = 0;
  ASSERT_EQ(OpenDibReduced(&reduced, plain.c_str(), -1, 80, &w, &h), 1);
  EXPECT_EQ(DibWidth(reduced), 100);
  EXPECT_EQ(DibHeight(reduced), 75);
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 300);
  deldib(reduced);
  ASSERT_EQ(OpenDibReduced(&reduced, plain.c_str(), -1, 10000, &w, &h), 1);  // no scale is enough
  EXPECT_EQ(DibWidth(reduced), 400);
  deldib(reduced);

  const TMadeThumbnail thumb = MakeThumbnail(plain.c_str());
  ASSERT_EQ(thumb.Kind, TThumbnailKind::Cached);
  EXPECT_EQ(DibWidth(thumb.Picture), 80);
  EXPECT_EQ(DibHeight(thumb.Picture), 60);
  EXPECT_GT(qtest::DibRgb(thumb.Picture, 5, 30).Red, 200);
  EXPECT_GT(qtest::DibRgb(thumb.Picture, 75, 30).Blue, 200);
  deldib(thumb.Picture);

  // Orientation 6: turned a quarter clockwise, the red half comes out on top.
  const TMadeThumbnail upright = MakeThumbnail(turned.c_str());
  ASSERT_EQ(upright.Kind, TThumbnailKind::Cached);
  EXPECT_EQ(DibWidth(upright.Picture), 60);
  EXPECT_EQ(DibHeight(upright.Picture), 80);
  EXPECT_GT(qtest::DibRgb(upright.Picture, 30, 5).Red, 200);
  EXPECT_GT(qtest::DibRgb(upright.Picture, 30, 75).Blue, 200);
  deldib(upright.Picture);

  // A progressive JPEG at 1/8 scale stops after the scans that carry the DC coefficients.
  if (qtest::HaveProgram("convert")) {
    const std::string progressive = dir / "progressive.jpg";
    ASSERT_EQ(qtest::Run("convert -size 800x600 xc:red xc:blue -append -resize 800x600! -interlace JPEG " +
                         qtest::Quote(progressive)),
              0);
    const TMadeThumbnail p = MakeThumbnail(progressive.c_str());
    ASSERT_EQ(p.Kind, TThumbnailKind::Cached);
    EXPECT_EQ(DibWidth(p.Picture), 80);
    EXPECT_GT(qtest::DibRgb(p.Picture, 40, 5).Red, 240);
    EXPECT_GT(qtest::DibRgb(p.Picture, 40, 55).Blue, 240);
    EXPECT_LT(qtest::DibRgb(p.Picture, 40, 55).Red, 15);
    deldib(p.Picture);
  }

  // Other formats decode at full size; unreadable files make nothing.
  TDib bmp;
  newdib(&bmp, 30, 40, 8, nullptr, 0);
  ASSERT_EQ(SaveDib(bmp, (dir / "a.bmp").c_str(), 3, 0), 1);
  deldib(bmp);
  const TMadeThumbnail fromBmp = MakeThumbnail((dir / "a.bmp").c_str());
  EXPECT_EQ(DibWidth(fromBmp.Picture), 60);
  EXPECT_EQ(DibBitCount(fromBmp.Picture), 8);
  deldib(fromBmp.Picture);
  qtest::WriteFile(dir / "broken.jpg", "\xFF\xD8\xFF\xE0 not a picture");
  for (const std::string& name : {dir / "broken.jpg", dir / "missing.jpg"}) {
    const TMadeThumbnail none = MakeThumbnail(name.c_str());
    EXPECT_EQ(none.Kind, TThumbnailKind::Unreadable);
    EXPECT_EQ(none.Picture.Bits, nullptr);
  }
}

namespace {

// A Make function that records the order of the names and can hold the worker inside one of them.
struct TScriptedMake {
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<std::string> Made;
  std::string HoldAt;
  bool Holding = false;

  TMadeThumbnail operator()(const std::string& Name) {
    std::unique_lock lock(Lock);
    Made.push_back(Name);
    if (Name == HoldAt) {
      Holding = true;
      Changed.notify_all();
      EXPECT_TRUE(qtest::WaitFor(Changed, lock, [this] { return HoldAt.empty(); })) << "never released at " << Name;
    }
    TDib dib;
    newdib(&dib, 2, 2, 24, nullptr, 0);
    return {Name.find("bad") == 0 ? TThumbnailKind::Unreadable : TThumbnailKind::Cached, dib};
  }
  void HoldNextAt(const std::string& Name) {
    const std::lock_guard lock(Lock);
    HoldAt = Name;
    Holding = false;
  }
  void WaitUntilHolding() {
    std::unique_lock lock(Lock);
    ASSERT_TRUE(qtest::WaitFor(Changed, lock, [this] { return Holding; })) << "the worker never reached " << HoldAt;
  }
  void Release() {
    const std::lock_guard lock(Lock);
    HoldAt.clear();
    Changed.notify_all();
  }
};

void WaitIdle(const TThumbnailMaker& Maker) {
  for (int i = 0; i < 5000 && !Maker.Idle(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

// For a print-size PDF: the smallest scale whose upright picture is at least as wide and as high as
// asked, each side on its own; full size when none is.
TEST(Thumbnail, PrintSizeDecodingCoversBothSidesAsked) {
  const std::string plain = TwoColourJpeg(1), turned = TwoColourJpeg(6);
  const auto* bytes = reinterpret_cast<const uint8_t*>(plain.data());
  struct {
    int MinWidth, MinHeight, Width, Height;
  } rows[] = {{100, 75, 100, 75}, {100, 76, 200, 150}, {51, 1, 100, 75}, {401, 1, 400, 300}, {1, 1, 50, 38}};
  for (const auto& r : rows) {
    TDib dib;
    int w = 0, h = 0;
    ASSERT_EQ(DecodePictureAtLeast(bytes, plain.size(), -1, r.MinWidth, r.MinHeight, nullptr, &dib, &w, &h),
              1);
    EXPECT_EQ(DibWidth(dib), r.Width) << r.MinWidth << " x " << r.MinHeight;
    EXPECT_EQ(DibHeight(dib), r.Height) << r.MinWidth << " x " << r.MinHeight;
    EXPECT_EQ(w, 400);
    deldib(dib);
  }
  // Upright 300 x 400: a quarter of it is 75 x 100.
  TDib dib;
  int w = 0, h = 0;
  ASSERT_EQ(DecodePictureAtLeast(reinterpret_cast<const uint8_t*>(turned.data()), turned.size(), -1, 75, 100,
                                 nullptr, &dib, &w, &h),
            1);
  EXPECT_EQ(DibWidth(dib), 75);
  EXPECT_EQ(DibHeight(dib), 100);
  EXPECT_EQ(h, 400);
  EXPECT_GT(qtest::DibRgb(dib, 37, 5).Red, 200);
  deldib(dib);
}

TEST(ThumbnailMaker, NewRequestsReplaceTheQueueAndResultsComeOnceEach) {
  TScriptedMake make;
  make.HoldNextAt("a");
  std::atomic<int> notified = 0;
  std::vector<TThumbnailResult> results;
  {
    TThumbnailMaker maker([&] { ++notified; }, 1, std::ref(make));
    maker.Request({"a", "b", "c"});
    make.WaitUntilHolding();
    // Scrolled on while "a" is being made: "b" is no longer wanted; "a" is not asked for twice.
    maker.Request({"c", "a", "d", "c"});
    make.Release();
    for (int i = 0; i < 5000 && results.size() < 3; ++i) {
      for (TThumbnailResult& r : maker.TakeResults()) results.push_back(r);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(maker.Idle());
    EXPECT_EQ(make.Made, (std::vector<std::string>{"a", "c", "d"}));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0].FileName, "a");
    EXPECT_GE(notified.load(), 1);

    // Cancel drops the picture being made and all that wait; the destructor frees what was not taken.
    make.HoldNextAt("e");
    maker.Request({"e", "f"});
    make.WaitUntilHolding();
    maker.Cancel();
    make.Release();
    WaitIdle(maker);
    EXPECT_TRUE(maker.TakeResults().empty());
    EXPECT_EQ(make.Made.back(), "e");
    maker.Request({"g", "bad"});
  }
  for (TThumbnailResult& r : results) deldib(r.Made.Picture);
}

TEST(ThumbnailMaker, FirstPicturesComeBeforeAnyThumbnailOnceEachAndOnlyWhenFound) {
  std::mutex lock;
  std::condition_variable changed;
  bool notified = false;
  std::vector<std::string> calls, results;
  const auto call = [&](const std::string& Name, TThumbnailKind Kind) {
    const std::lock_guard guard(lock);
    calls.push_back(Name);
    if (Name == "first c") throw std::runtime_error("a broken file");
    return TMadeThumbnail{Name == "first b" ? TThumbnailKind::Unreadable : Kind, {}};  // "b" has none
  };
  TThumbnailMaker maker(
      [&] {
        const std::lock_guard guard(lock);
        notified = true;
        changed.notify_all();
      },
      1, [&](const std::string& Name) { return call(Name, TThumbnailKind::Cached); },
      [&](const std::string& Name) { return call("first " + Name, TThumbnailKind::First); });
  const auto collect = [&](size_t Count) {
    while (results.size() < Count) {
      std::unique_lock wait(lock);
      ASSERT_TRUE(qtest::WaitFor(changed, wait, [&] { return notified; })) << "no notice after " << results.size();
      notified = false;
      wait.unlock();
      for (const TThumbnailResult& r : maker.TakeResults())
        results.push_back((r.Made.Kind == TThumbnailKind::First ? "first " : "") + r.FileName);
    }
  };
  maker.Request({"a", "b", "c"});
  collect(4);
  // Neither "b" without a first picture nor "c", whose broke, gives one; both get their thumbnail.
  EXPECT_EQ(results, (std::vector<std::string>{"first a", "a", "b", "c"}));
  maker.Request({"c", "a"});  // asked again: the thumbnails, but no first picture a second time
  collect(6);
  EXPECT_EQ(calls, (std::vector<std::string>{"first a", "first b", "first c", "a", "b", "c", "c", "a"}));
}

// Two windows' grids at once, each with two workers, over the same photos and one thumbnail folder:
// pictures are decoded, stored and read back on four threads. The test command also runs this under
// ThreadSanitizer. Waits on the makers' notices, never on a clock.
TEST(ThumbnailMaker, TwoMakersWithTwoWorkersShareOneFolder) {
  qtest::TScratchDir dir;
  std::vector<std::string> names;
  const std::string jpeg = TwoColourJpeg(1);  // 400 x 300
  for (int i = 0; i < 6; ++i)
    qtest::WriteFile(names.emplace_back(dir / ("p" + std::to_string(i) + ".jpg")), jpeg);
  names.push_back(dir / "missing.jpg");
  const TThumbnailCache cache(dir / "thumbnails");
  std::mutex lock;
  std::condition_variable notified;
  bool notice[2] = {false, false};
  std::vector<TThumbnailResult> results[2];
  {
    std::vector<std::unique_ptr<TThumbnailMaker>> makers;
    for (int m = 0; m < 2; ++m)
      makers.push_back(std::make_unique<TThumbnailMaker>(
          [&, m] {
            const std::lock_guard hold(lock);
            notice[m] = true;
            notified.notify_all();
          },
          2, [&cache](const std::string& Name) { return MakeThumbnail(Name.c_str(), &cache); }));
    for (auto& maker : makers) maker->Request(names);
    makers[1]->Request({names.rbegin(), names.rend()});  // scrolled: the same photos, another order
    for (int m = 0; m < 2; ++m)
      while (results[m].size() < names.size()) {
        std::unique_lock hold(lock);
        ASSERT_TRUE(qtest::WaitFor(notified, hold, [&] { return notice[m]; }))
            << "maker " << m << " gave no notice after " << results[m].size() << " results";
        notice[m] = false;
        hold.unlock();
        for (TThumbnailResult& r : makers[m]->TakeResults()) results[m].push_back(r);
      }
    makers[0]->Request({names[0]});  // and gone at once: the workers stop after their picture
  }
  for (std::vector<TThumbnailResult>& made : results) {
    ASSERT_EQ(made.size(), names.size());
    std::set<std::string> seen;
    for (TThumbnailResult& r : made) {
      seen.insert(r.FileName);
      const bool missing = r.FileName == names.back();
      EXPECT_EQ(r.Made.Kind, missing ? TThumbnailKind::Unreadable : TThumbnailKind::Cached) << r.FileName;
      EXPECT_EQ(DibWidth(r.Made.Picture), missing ? 0 : 80);  // 400 x 300 into the 80 x 80 box
      EXPECT_EQ(DibHeight(r.Made.Picture), missing ? 0 : 60);
      deldib(r.Made.Picture);
    }
    EXPECT_EQ(seen.size(), names.size());
  }
  // One entry per readable photo, and no file half written.
  std::set<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(cache.Folder()))
    entries.insert(entry.path().extension().string());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cache.Folder()), {}), 6);
  EXPECT_EQ(entries, std::set<std::string>{".png"});
}
