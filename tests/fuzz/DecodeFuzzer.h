#pragma once
// The body shared by the picture decoder fuzzers: arbitrary bytes go to the picture library's decoder
// for Format (-1: chosen by content), the way OpenDib hands it a file's bytes, with a coloured matte
// and the colour profile asked for; a picture that has one is converted for the screen as the viewer
// would. Each fuzzer's seed corpus holds small valid files of its own format.

#include <cstddef>
#include <cstdint>

#include "imaging/color/ColorReading.h"
#include "imaging/color/ColorConvert.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"

inline int FuzzDecode(const uint8_t* Data, size_t Size, int Format) {
  // A few bytes may describe a huge picture; keep such requests far below the fuzzer's memory limit.
  static const uint64_t limit = SetPictureLimit(16'000'000);
  (void)limit;
  TDib dib;
  TPictureColor colour = ReadingColor();
  colour.Matte = 0x336699;
  if (DecodePicture(Data, Size, Format, nullptr, &dib, 0, &colour)) DibToScreen(dib, colour.Profile.get());
  deldib(dib);
  return 0;
}
