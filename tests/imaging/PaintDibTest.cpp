// PaintDib's five routes on the memory device: clipping of the source, the row helpers on displays,
// halftoning on palette displays, and the printer's StretchDIBits with its two fallbacks and their
// messages.
#include <gtest/gtest.h>

#include "imaging/screen/PaintDib.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/MemoryDevice.h"
#include "support/TestSupport.h"

namespace {

// A picture whose pixel (x, y), y counted from the top, is red x + 1, green y + 1, blue 7; the memory
// device shows it as 0x00RRGGBB.
struct TTestPicture {
  TDib Dib{};
  TTestPicture(int W, int H, int Bits = 24) {
    newdib(&Dib, W, H, Bits, nullptr, 0);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) setpixel(Dib, x, H - 1 - y, 0x070000u | ((y + 1u) << 8) | (x + 1u));
  }
  ~TTestPicture() { deldib(Dib); }
  static uint32_t Rgb(int X, int Y) { return (uint32_t(X + 1) << 16) | (uint32_t(Y + 1) << 8) | 7; }
};

// Sets the desktop display's depth for one test.
struct TDesktop {
  TMemoryDevice Device;
  explicit TDesktop(int Bits) : Device(1, 1, Bits) { SetDesktopDevice(&Device); }
  ~TDesktop() { SetDesktopDevice(nullptr); }
};

void Paint(TMemoryDevice& D, int X, int Y, int W, int H, const TDib& Dib, int SX, int SY, int SW, int SH,
           bool Halftone = true) {
  PaintDib(D, X, Y, W, H, Dib, SX, SY, SW, SH, Halftone, RopSrcCopy, true, nullptr);
}

}  // namespace

TEST(PaintDib, ClipsTheSourceOnEverySideAndKeepsThePicturePlace) {
  const TTestPicture pic(8, 8);
  constexpr uint32_t white = 0xFFFFFF;
  // Past the right edge by a quarter: three quarters as wide, same DestX.
  TMemoryDevice right(40, 20);
  Paint(right, 0, 0, 16, 16, pic.Dib, 2, 0, 8, 8);
  EXPECT_EQ(right.Pixel(0, 0), pic.Rgb(2, 0));
  EXPECT_EQ(right.Pixel(11, 15), pic.Rgb(7, 7));
  EXPECT_EQ(right.Pixel(12, 0), white);
  // Left of the picture (SrcX < 0): the drawn part moves right by the clipped part.
  TMemoryDevice left(40, 20);
  Paint(left, 0, 0, 16, 16, pic.Dib, -2, 0, 8, 8);
  EXPECT_EQ(left.Pixel(3, 0), white);
  EXPECT_EQ(left.Pixel(4, 0), pic.Rgb(0, 0));
  EXPECT_EQ(left.Pixel(15, 15), pic.Rgb(5, 7));
  // Below the bottom row (SrcY < 0): the target loses its bottom part.
  TMemoryDevice bottom(20, 40);
  Paint(bottom, 0, 0, 16, 16, pic.Dib, 0, -2, 8, 8);
  EXPECT_EQ(bottom.Pixel(0, 0), pic.Rgb(0, 2));  // source top is stored row 5, picture row 2
  EXPECT_EQ(bottom.Pixel(0, 11), pic.Rgb(0, 7));
  EXPECT_EQ(bottom.Pixel(0, 12), white);
  // Above the top row: the target loses its top part and the picture stays put.
  TMemoryDevice top(20, 40);
  Paint(top, 0, 0, 16, 16, pic.Dib, 0, 2, 8, 8);
  EXPECT_EQ(top.Pixel(0, 3), white);
  EXPECT_EQ(top.Pixel(0, 4), pic.Rgb(0, 0));
  EXPECT_EQ(top.Pixel(0, 15), pic.Rgb(0, 5));
  // Nothing of the picture left, or nothing to draw on: no call at all.
  TMemoryDevice none(20, 20);
  Paint(none, 0, 0, 16, 16, pic.Dib, 8, 0, 8, 8);
  Paint(none, 0, 0, 0, 16, pic.Dib, 0, 0, 8, 8);
  const TDib empty{};
  Paint(none, 0, 0, 16, 16, empty, 0, 0, 8, 8);
  EXPECT_EQ(none.SetDIBitsToDeviceCalls + none.StretchDIBitsCalls, 0);
}

TEST(PaintDib, DisplaysScaleRowByRow) {
  // Enlarged 3 times: each source pixel fills 3 x 3 target pixels; one device call per target row.
  const TTestPicture pic(4, 3);
  TMemoryDevice device(20, 20);
  Paint(device, 1, 1, 12, 9, pic.Dib, 0, 0, 4, 3);
  EXPECT_EQ(device.StretchDIBitsCalls, 0);
  EXPECT_EQ(device.SetDIBitsToDeviceCalls, 9);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x)
      ASSERT_EQ(device.Pixel(1 + x, 1 + y), pic.Rgb(x / 3, y / 3)) << x << "," << y;

  // Rows and columns whose source lies outside the picture come out black, in both helpers.
  TDib indexed;
  newdib(&indexed, 2, 2, 8, nullptr, 0);
  auto* table = reinterpret_cast<uint8_t*>(indexed.Header) + indexed.Header->biSize;
  table[4 * 0x12 + 2] = 0xAB;     // colour 0x12: red 0xAB
  setpixel(indexed, 1, 0, 0x12);  // the bottom row's second pixel
  TMemoryDevice rows(10, 10);
  PaintRows24(rows, 0, 0, 4, 4, pic.Dib, -1, -1, 4, 4);  // one column and one row before the picture
  EXPECT_EQ(rows.Pixel(0, 2), 0u);
  EXPECT_EQ(rows.Pixel(2, 0), 0u);
  EXPECT_EQ(rows.Pixel(1, 1), pic.Rgb(0, 0));
  PaintRows8(rows, 5, 0, 4, 4, indexed, 0, 0, 4, 4);  // two rows below the picture, two columns right
  EXPECT_EQ(rows.Pixel(6, 1), 0xAB0000u);
  EXPECT_EQ(rows.Pixel(6, 3), 0u);
  EXPECT_EQ(rows.Pixel(7, 1), 0u);
  deldib(indexed);

  // Only the clip box is worked out, and what lands in it is the same.
  TMemoryDevice clipped(20, 20);
  clipped.Clip = {4, 3, 8, 5};
  Paint(clipped, 1, 1, 12, 9, pic.Dib, 0, 0, 4, 3);
  EXPECT_EQ(clipped.SetDIBitsToDeviceCalls, 2);
  for (int y = 3; y < 5; ++y)
    for (int x = 4; x < 8; ++x) EXPECT_EQ(clipped.Pixel(x, y), device.Pixel(x, y));
  EXPECT_EQ(clipped.Pixel(3, 3), 0xFFFFFFu);
}

TEST(PaintDib, HalftonesOnPaletteDisplaysOnlyWhenAllowed) {
  const TDesktop desktop(8);
  const TTestPicture pic(16, 16);
  // Shrinking: the matching part of a copy dithered at the drawn scale, through StretchDIBits.
  TMemoryDevice screen(20, 20, 8);
  Paint(screen, 0, 0, 8, 8, pic.Dib, 0, 0, 16, 16);
  EXPECT_EQ(screen.StretchDIBitsCalls, 1);
  EXPECT_EQ(screen.SetDIBitsToDeviceCalls, 0);
  EXPECT_EQ(screen.SelectPaletteCalls, 2);  // selected, and the old one put back
  EXPECT_EQ(screen.SelectedPalette(), nullptr);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint32_t c = screen.Pixel(x, y);
      EXPECT_TRUE((c >> 16) % 51 == 0 && (c >> 8 & 0xFF) % 51 == 0 && (c & 0xFF) % 51 == 0) << std::hex << c;
    }
  // The printing path of the viewer does not halftone, even here: a printer takes StretchDIBits.
  TMemoryDevice printer(20, 20, 24, DtRasPrinter);
  Paint(printer, 0, 0, 16, 16, pic.Dib, 0, 0, 16, 16, false);
  EXPECT_EQ(printer.Pixel(5, 6), pic.Rgb(5, 6));
  // Without halftoning allowed, a display gets the row helper.
  TMemoryDevice plain(20, 20, 8);
  Paint(plain, 0, 0, 16, 16, pic.Dib, 0, 0, 16, 16, false);
  EXPECT_EQ(plain.StretchDIBitsCalls, 0);
  EXPECT_EQ(plain.Pixel(5, 6), pic.Rgb(5, 6));
}

TEST(PaintDib, PrintersFallBackByHandThenThroughADeviceBitmap) {
  qtest::TRecordingMessageBox box;
  // A 4-bit picture: 5 x 3, colour index x + 1 in every row, its table red = 16 * index.
  TDib four;
  newdib(&four, 5, 3, 4, nullptr, 0);
  auto* table = reinterpret_cast<uint8_t*>(four.Header) + four.Header->biSize;
  for (int i = 0; i < 16; ++i) table[4 * i + 2] = static_cast<uint8_t>(16 * i);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) setpixel(four, x, y, x + 1u);

  // StretchDIBits first, whenever it works.
  TMemoryDevice direct(20, 20, 24, DtRasPrinter);
  Paint(direct, 0, 0, 10, 6, four, 0, 0, 5, 3);
  EXPECT_EQ(direct.StretchDIBitsCalls, 1);
  EXPECT_EQ(direct.SetDIBitsToDeviceCalls, 0);

  // Refused: scaled by hand with the first and last source pixels at the ends, sent unscaled. The
  // colour table travels with it, and each target nibble receives exactly one source nibble.
  TMemoryDevice byHand(20, 20, 24, DtRasPrinter);
  byHand.RefuseStretchDIBits = true;
  Paint(byHand, 0, 0, 9, 6, four, 0, 0, 5, 3);
  EXPECT_EQ(byHand.SetDIBitsToDeviceCalls, 1);
  for (int x = 0; x < 9; ++x) EXPECT_EQ(byHand.Pixel(x, 0), uint32_t(16 * (4 * x / 8 + 1)) << 16) << x;
  // A target one pixel wide takes the first source column.
  TMemoryDevice thin(20, 20, 24, DtRasPrinter);
  thin.RefuseStretchDIBits = true;
  Paint(thin, 0, 0, 1, 6, four, 2, 0, 3, 3);
  EXPECT_EQ(thin.Pixel(0, 5), uint32_t(16 * 3) << 16);

  // Neither: a device bitmap stretched with StretchBlt, freed afterwards; the source part is right
  // although device bitmaps run top-down.
  const TTestPicture pic(4, 4);
  TMemoryDevice blt(20, 20, 24, DtRasPrinter, RcStretchBlt);
  blt.RefuseStretchDIBits = true;
  Paint(blt, 0, 0, 4, 2, pic.Dib, 0, 0, 4, 2);  // the bottom half of the picture
  EXPECT_EQ(blt.StretchBltCalls, 1);
  EXPECT_EQ(blt.CompatibleBitmaps, 0);
  EXPECT_EQ(blt.Pixel(1, 0), pic.Rgb(1, 2));
  EXPECT_EQ(blt.Pixel(3, 1), pic.Rgb(3, 3));
  EXPECT_TRUE(box.Shown.empty());

  // Each step of the last fallback that fails says so, and leaves the area as it was.
  struct {
    bool TMemoryDevice::*Refuse;
    const char* Message;
  } failures[] = {
      {&TMemoryDevice::RefuseCompatibleBitmap, "Konnte Bitmap nicht erzeugen!"},
      {&TMemoryDevice::RefuseSetDIBits, "Das Gerät unterstützt die Funtkion setdibits nicht!"},
      {&TMemoryDevice::RefuseStretchBlt, "Das Gerät unterstützt die Funktion StretchBlt nicht!"},
  };
  for (const auto& f : failures) {
    box.Shown.clear();
    TMemoryDevice device(20, 20, 24, DtRasPrinter);
    device.RefuseStretchDIBits = device.RefuseSetDIBitsToDevice = true;
    device.*f.Refuse = true;
    Paint(device, 0, 0, 8, 8, pic.Dib, 0, 0, 4, 4);
    ASSERT_EQ(box.Shown.size(), 1u) << f.Message;
    EXPECT_EQ(box.Shown[0].Text, f.Message);
    EXPECT_TRUE(box.Shown[0].Title.empty());
    EXPECT_TRUE(box.Shown[0].Buttons == TMsgButtons::Ok);
    EXPECT_EQ(device.Pixel(3, 3), 0xFFFFFFu);
    EXPECT_EQ(device.CompatibleBitmaps, 0);
  }
  deldib(four);
}

TEST(PaintDib, SelectsThePictureOwnPaletteAndPutsTheOldOneBack) {
  const TTestPicture pic(4, 4, 8);
  TDib withPalette = pic.Dib;
  int own = 0, caller = 0, before = 0;
  withPalette.HasPalette = 1;
  withPalette.Palette = &own;
  TMemoryDevice device(10, 10);
  device.SelectPalette(&before);
  PaintDib(device, 0, 0, 4, 4, withPalette, 0, 0, 4, 4, true, RopSrcCopy, false, &caller);
  EXPECT_EQ(device.SelectPaletteCalls, 3);
  EXPECT_EQ(device.RealizePaletteCalls, 1);
  EXPECT_EQ(device.SelectedPalette(), &before);
  // A picture without a palette selects none.
  TMemoryDevice plain(10, 10);
  Paint(plain, 0, 0, 4, 4, pic.Dib, 0, 0, 4, 4);
  EXPECT_EQ(plain.SelectPaletteCalls, 0);
}
