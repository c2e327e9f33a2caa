// JPEG decoder fuzzer: full size, and reduced (1/8 for all but the tiniest pictures; progressive files
// stop after their first scans there).
#include "DecodeFuzzer.h"
#include "imaging/PictaroReduced.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  FuzzDecode(Data, Size, 7);
  TDib dib;
  int w, h;
  DecodePictureReduced(Data, Size, 7, 2, &dib, &w, &h);
  deldib(dib);
  return 0;
}
