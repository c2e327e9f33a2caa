#pragma once
// What the fuzz targets share: a check that ends the run with a message libFuzzer reports as a crash
// (and keeps the input that caused it), and reading small numbers off the front of the input.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline void FuzzCheck(bool Condition, const char* What) {
  if (Condition) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", What);
  std::abort();
}

// Takes the input's bytes from the front; reads past the end give 0.
class TFuzzInput {
 public:
  TFuzzInput(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  uint8_t U8() { return FPos < FSize ? FData[FPos++] : 0; }
  uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
  // What is left after the bytes taken so far.
  const uint8_t* Rest() const { return FData + FPos; }
  size_t RestSize() const { return FSize - FPos; }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};
