// PNG decoder fuzzer.
#include "DecodeFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) { return FuzzDecode(Data, Size, -1); }
