#include "platform/WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

namespace {

bool ParseInt(std::string_view Text, int32_t& Value) {
  while (!Text.empty() && Text.front() == ' ') Text.remove_prefix(1);
  while (!Text.empty() && Text.back() == ' ') Text.remove_suffix(1);
  int32_t parsed = 0;
  const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), parsed);
  if (Text.empty() || ec != std::errc() || end != Text.data() + Text.size()) return false;
  Value = parsed;
  return true;
}

std::string RectText(const TWindowRect& R) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", R.Left, R.Top, R.Right, R.Bottom);
  return text;
}

bool ParseRect(std::string_view Text, TWindowRect& R) {
  int32_t v[4];
  for (int i = 0; i < 4; ++i) {
    const size_t comma = Text.find(',');
    if ((i < 3) == (comma == std::string_view::npos)) return false;
    if (!ParseInt(Text.substr(0, comma), v[i])) return false;
    Text = i < 3 ? Text.substr(comma + 1) : std::string_view();
  }
  R = {v[0], v[1], v[2], v[3]};
  return true;
}

}  // namespace

void WriteWindowPlacement(TSettingsStore& Store, std::string_view Section,
                          const TWindowPlacement& Placement) {
  Store.Write(Section, "Flags", std::to_string(Placement.Flags));
  Store.Write(Section, "ShowCmd", std::to_string(Placement.ShowCmd));
  Store.Write(Section, "PixelsPerInch", std::to_string(Placement.PixelsPerInch));
  Store.Write(Section, "MinMaxPos", RectText(Placement.MinMaxPos));
  Store.Write(Section, "NormPos", RectText(Placement.NormPos));
}

bool ReadWindowPlacement(TSettingsStore& Store, std::string_view Section, TWindowPlacement& Placement) {
  std::string text;
  int32_t value = 0;
  if (Store.Read(Section, "Flags", text) && ParseInt(text, value)) Placement.Flags = value;
  if (Store.Read(Section, "ShowCmd", text) && ParseInt(text, value) && value >= 0 && value <= 11)
    Placement.ShowCmd = value;
  if (Store.Read(Section, "PixelsPerInch", text) && ParseInt(text, value) && value > 0)
    Placement.PixelsPerInch = value;
  TWindowRect rect;
  if (Store.Read(Section, "MinMaxPos", text) && ParseRect(text, rect)) Placement.MinMaxPos = rect;
  if (Store.Read(Section, "NormPos", text) && ParseRect(text, rect) && rect.Width() > 0 &&
      rect.Height() > 0) {
    Placement.NormPos = rect;
    return true;
  }
  return false;
}

TWindowRect PlaceOnScreen(const TWindowPlacement& Placement, int32_t ScreenPpi, const TWindowRect& Area) {
  const TWindowRect& stored = Placement.NormPos;
  const int64_t from = Placement.PixelsPerInch > 0 ? Placement.PixelsPerInch : 96;
  const int64_t to = ScreenPpi > 0 ? ScreenPpi : 96;
  const auto scale = [&](int32_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v * to / from, 1, INT32_MAX / 4));
  };
  const int32_t width = std::min(scale(stored.Width()), std::max(Area.Width(), 1));
  const int32_t height = std::min(scale(stored.Height()), std::max(Area.Height(), 1));
  const int32_t left = std::clamp(stored.Left, Area.Left, std::max(Area.Left, Area.Right - width));
  const int32_t top = std::clamp(stored.Top, Area.Top, std::max(Area.Top, Area.Bottom - height));
  return {left, top, left + width, top + height};
}
