// Feeds arbitrary bytes to the picture library's decoder chosen by content, the way OpenDib does
// after reading a file. The seed corpus holds small valid files of this decoder's format.
#include <cstddef>
#include <cstdint>

#include "imaging/Pictaro.h"
#include "imaging/PictaroDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // A few bytes may describe a huge picture; keep such requests far below the fuzzer's memory limit.
  static const uint64_t limit = SetPictureLimit(16'000'000);
  (void)limit;
  TDib dib;
  DecodePicture(Data, Size, -1, nullptr, &dib);
  deldib(dib);
  return 0;
}
