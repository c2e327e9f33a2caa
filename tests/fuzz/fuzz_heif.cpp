// HEIF and AVIF decoder fuzzer: the whole picture, and the embedded thumbnail a small picture takes.
#include "DecodeFuzzer.h"
#include "imaging/pictaro/PictaroReduced.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  FuzzDecode(Data, Size, -1);
  TDib dib;
  int width = 0, height = 0;
  DecodePictureReduced(Data, Size, -1, 8, &dib, &width, &height);
  deldib(dib);
  return 0;
}
