#pragma once
// Helpers for the picture library's tests: reading any picture's colours, and what ImageMagick says
// a file shows (upright, transparency over white), to compare against.

#include <cstdint>
#include <string>

#include "imaging/pictaro/Dib.h"

namespace qtest {

struct TRgb {
  int Red, Green, Blue;
};

// The colour at column X, row Y counted from the top of the picture, for every depth we produce.
TRgb DibRgb(const TDib& Dib, int X, int Y);

// The file's pixels as ImageMagick decodes them: Width x Height x 3 bytes, top row first. False when
// ImageMagick is missing or fails.
bool ReferencePixels(const std::string& File, int& Width, int& Height, std::string& Rgb);

// Largest channel difference between the picture and the reference, sampling about Samples pixels
// spread over the picture (all of them for small pictures).
int MaxDifference(const TDib& Dib, int Width, int Height, const std::string& Rgb, int Samples = 4000);

}  // namespace qtest
