#pragma once
// Writing PNG files through libpng: 8-bit pictures, not interlaced, with uncompressed text chunks.
// `quirvel preview`'s pages are written as red, green and blue; the shared thumbnail folder's entries
// with an opaque alpha channel besides, as the folder's other programs write them.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "imaging/pictaro/Dib.h"

struct TPngText {
  std::string Key, Value;
};

// Writes a picture of Width x Height pixels to File as 8-bit RGB: Row(y) gives row y counted from the
// top, three bytes a pixel, in blue-green-red order when Bgr, else red-green-blue. False when libpng
// fails (memory, a write error); File is then left as far as it got. The caller closes File.
bool WritePng(std::FILE* File, int Width, int Height, bool Bgr, const std::function<const uint8_t*(int)>& Row,
              const std::vector<TPngText>& Texts);

// The same for a 24-bit picture, written as 8-bit RGBA with every pixel opaque. False also for a
// picture of another depth.
bool WriteRgbaPng(std::FILE* File, const TDib& Picture, const std::vector<TPngText>& Texts);
