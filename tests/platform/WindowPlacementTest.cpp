// A window's position and state in the settings store, and where a stored window goes on the screen.
#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

namespace {

TEST(WindowPlacement, RoundTripAndDamagedValues) {
  TMemorySettingsStore store;
  TWindowPlacement placement;
  placement.ShowCmd = KShowMaximized;
  placement.PixelsPerInch = 120;
  placement.NormPos = {10, 20, 810, 620};
  WriteWindowPlacement(store, "TMainForm", placement);
  const auto stored = [&](const char* Name) { return store.Values[{"TMainForm", Name}]; };
  EXPECT_EQ(stored("NormPos"), "10,20,810,620");
  EXPECT_EQ(stored("MinMaxPos"), "-1,-1,-1,-1");
  EXPECT_EQ(stored("Flags"), "0");
  TWindowPlacement read;
  EXPECT_TRUE(ReadWindowPlacement(store, "TMainForm", read));
  EXPECT_TRUE(read == placement);

  store.Write("TMainForm", "PixelsPerInch", "0");
  store.Write("TMainForm", "NormPos", "10,20,5,620");  // no width
  TWindowPlacement damaged;
  EXPECT_FALSE(ReadWindowPlacement(store, "TMainForm", damaged));
  EXPECT_EQ(damaged.PixelsPerInch, 96);
  store.Write("TMainForm", "NormPos", "1,2,3");
  EXPECT_FALSE(ReadWindowPlacement(store, "TMainForm", damaged));
  EXPECT_FALSE(ReadWindowPlacement(store, "TPrintForm", damaged));
}

TEST(WindowPlacement, PlaceOnScreen) {
  const TWindowRect screen{0, 0, 1024, 768};
  struct TCase {
    TWindowRect Stored;
    int32_t StoredPpi, ScreenPpi;
    TWindowRect Expected;
  } cases[] = {
      {{100, 50, 900, 650}, 96, 96, {100, 50, 900, 650}},        // fits: unchanged
      {{1500, 900, 2300, 1500}, 96, 96, {224, 168, 1024, 768}},  // off the screen: moved in
      {{-300, -40, 500, 560}, 96, 96, {0, 0, 800, 600}},
      {{0, 0, 1920, 1200}, 96, 96, {0, 0, 1024, 768}},        // larger than the screen
      {{100, 100, 900, 700}, 192, 96, {100, 100, 500, 400}},  // same size in inches
  };
  for (const TCase& c : cases) {
    TWindowPlacement placement;
    placement.NormPos = c.Stored;
    placement.PixelsPerInch = c.StoredPpi;
    EXPECT_TRUE(PlaceOnScreen(placement, c.ScreenPpi, screen) == c.Expected)
        << c.Stored.Left << "," << c.Stored.Top;
  }
}

}  // namespace
