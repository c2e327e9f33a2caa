#pragma once
// A window's position and state in the settings store, beside the window's other stored values:
//
//   Flags          0
//   ShowCmd        1 normal, 2 minimised, 3 maximised
//   PixelsPerInch  the screen's logical resolution when the values were written
//   MinMaxPos      "%d,%d,%d,%d": the minimised and the maximised position, -1 where the desktop decides
//   NormPos        "%d,%d,%d,%d": the normal window rectangle, left, top, right, bottom (exclusive)
//
// Reading takes each value on its own; a missing or unreadable one keeps what the placement held.

#include <cstdint>
#include <string_view>

#include "platform/SettingsStore.h"

constexpr int32_t KShowNormal = 1;
constexpr int32_t KShowMinimized = 2;
constexpr int32_t KShowMaximized = 3;

struct TWindowRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // Right and Bottom exclusive
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TWindowRect&) const = default;
};

struct TWindowPlacement {
  int32_t Flags = 0;
  int32_t ShowCmd = KShowNormal;
  int32_t PixelsPerInch = 96;
  TWindowRect MinMaxPos{-1, -1, -1, -1};
  TWindowRect NormPos;
  bool operator==(const TWindowPlacement&) const = default;
};

void WriteWindowPlacement(TSettingsStore& Store, std::string_view Section, const TWindowPlacement& Placement);
// True when a usable normal rectangle (positive width and height) was read.
bool ReadWindowPlacement(TSettingsStore& Store, std::string_view Section, TWindowPlacement& Placement);

// Where the normal rectangle goes on a screen of ScreenPpi pixels per inch whose usable area is Area:
// its size scaled by ScreenPpi / PixelsPerInch (a window keeps its size in inches), no larger than
// Area, and moved the least distance that puts it wholly inside Area, so a window saved on a larger
// or a second screen never opens out of reach.
TWindowRect PlaceOnScreen(const TWindowPlacement& Placement, int32_t ScreenPpi, const TWindowRect& Area);
