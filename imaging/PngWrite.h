#pragma once
// Writing PNG files through libpng: 8-bit RGB pictures, not interlaced, with uncompressed text chunks.
// The shared thumbnail folder's entries and `quirvel preview`'s pages are written here.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Dib.h"

struct TPngText {
  std::string Key, Value;
};

// Writes a picture of Width x Height pixels to File: Row(y) gives row y counted from the top, three
// bytes a pixel, in blue-green-red order when Bgr, else red-green-blue. False when libpng fails
// (memory, a write error); File is then left as far as it got. The caller closes File.
bool WritePng(std::FILE* File, int Width, int Height, bool Bgr, const std::function<const uint8_t*(int)>& Row,
              const std::vector<TPngText>& Texts);

// The same for a 24-bit picture.
bool WritePng(std::FILE* File, const TDib& Picture, const std::vector<TPngText>& Texts);
