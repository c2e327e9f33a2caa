// JPEG decoder fuzzer: full size, reduced (1/8 for all but the tiniest pictures; progressive files
// stop after their first scans there), reduced for a print-size box with full-quality upsampling, and
// the marker walk that decides whether a file may go into a PDF as it is.
#include "DecodeFuzzer.h"
#include "FuzzCheck.h"
#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/PictaroReduced.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  FuzzDecode(Data, Size, 7);
  TDib dib;
  int w, h;
  DecodePictureReduced(Data, Size, 7, 2, &dib, &w, &h);
  deldib(dib);
  DecodePictureAtLeast(Data, Size, 7, 3, 2, nullptr, &dib, &w, &h);
  deldib(dib);
  TJpegHeader header;
  if (ReadJpegHeader(Data, Size, header))
    FuzzCheck(header.Length <= Size && header.Orientation >= 1 && header.Orientation <= 8,
              "the header reaches past the data");
  return 0;
}
