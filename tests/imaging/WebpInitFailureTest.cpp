// The WebP reader when libwebp refuses to initialise its decoder configuration (a library of another
// interface version does): the picture is refused and nothing of the uninitialised record is freed.
// The test executable is linked with the library's initialisation wrapped (see tests/CMakeLists.txt),
// so that this test can make it fail.
#include <gtest/gtest.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"

namespace {
bool GFailInit = false;
}  // namespace

extern "C" int __real_WebPInitDecoderConfigInternal(WebPDecoderConfig* Config, int Version);

extern "C" int __wrap_WebPInitDecoderConfigInternal(WebPDecoderConfig* Config, int Version) {
  if (!GFailInit) return __real_WebPInitDecoderConfigInternal(Config, Version);
  std::memset(Config, 0xA5, sizeof *Config);  // what an uninitialised record may hold
  return 0;
}

TEST(PictaroWebp, FailedDecoderInitialisationRefusesThePicture) {
  const std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> p(16 * 8 * 3, 0);
    for (size_t i = 0; i < p.size(); i += 3) p[i] = 255;
    return p;
  }();
  uint8_t* encoded = nullptr;
  const size_t size = WebPEncodeLosslessRGB(pixels.data(), 16, 8, 16 * 3, &encoded);
  ASSERT_GT(size, 0u);
  const std::string bytes(reinterpret_cast<const char*>(encoded), size);
  WebPFree(encoded);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  TDib dib;
  ASSERT_EQ(DecodePicture(data, bytes.size(), -1, nullptr, &dib), 1);
  EXPECT_EQ(DibWidth(dib), 16);
  deldib(dib);
  GFailInit = true;
  EXPECT_EQ(DecodePicture(data, bytes.size(), -1, nullptr, &dib), 0);
  GFailInit = false;
  EXPECT_EQ(dib.Bits, nullptr);
}
