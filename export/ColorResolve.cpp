#include "export/ColorResolve.h"

#include <array>

#include "album/LayoutSettings.h"

namespace {

constexpr uint32_t Rgb(uint32_t Red, uint32_t Green, uint32_t Blue) {
  return Red | (Green << 8) | (Blue << 16);
}

// The desktop's default values of the system colours, by index.
constexpr std::array<uint32_t, 31> KSystemColors = {
    Rgb(200, 200, 200),  // 0 scroll bar
    Rgb(0, 0, 0),        // 1 desktop background
    Rgb(153, 180, 209),  // 2 active caption
    Rgb(191, 205, 219),  // 3 inactive caption
    Rgb(240, 240, 240),  // 4 menu
    Rgb(255, 255, 255),  // 5 window background
    Rgb(100, 100, 100),  // 6 window frame
    Rgb(0, 0, 0),        // 7 menu text
    Rgb(0, 0, 0),        // 8 window text
    Rgb(0, 0, 0),        // 9 caption text
    Rgb(180, 180, 180),  // 10 active border
    Rgb(244, 247, 252),  // 11 inactive border
    Rgb(171, 171, 171),  // 12 application workspace
    Rgb(51, 153, 255),   // 13 highlight
    Rgb(255, 255, 255),  // 14 highlight text
    Rgb(240, 240, 240),  // 15 button face
    Rgb(160, 160, 160),  // 16 button shadow
    Rgb(109, 109, 109),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(67, 78, 84),     // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 button highlight
    Rgb(105, 105, 105),  // 21 3-D dark shadow
    Rgb(227, 227, 227),  // 22 3-D light
    Rgb(0, 0, 0),        // 23 tooltip text
    Rgb(255, 255, 225),  // 24 tooltip background
    Rgb(0, 0, 0),        // 25 not assigned
    Rgb(0, 102, 204),    // 26 hot-tracked item
    Rgb(185, 209, 234),  // 27 active caption gradient
    Rgb(215, 228, 242),  // 28 inactive caption gradient
    Rgb(51, 153, 255),   // 29 menu highlight
    Rgb(240, 240, 240),  // 30 menu bar
};

}  // namespace

uint32_t ResolveColor(uint32_t Color) {
  if (!IsSystemColor(Color)) return Color & 0x00FFFFFFu;
  const uint32_t index = Color & 0x00FFFFFFu;
  return index < KSystemColors.size() ? KSystemColors[index] : 0;
}

bool IsWhite(uint32_t Color) { return ResolveColor(Color) == 0x00FFFFFFu; }

uint32_t PictureMatte(const TLayoutSettings& Settings) { return ResolveColor(Settings.Shape1); }
