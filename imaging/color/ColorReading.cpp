#include "imaging/color/ColorReading.h"

#include "imaging/color/ColorConvert.h"
#include "imaging/color/ColorProfile.h"

namespace {

TColorProfilePtr DescribedProfile(const TRgbDescription& Description) {
  return MakeRgbProfile(Description.Space, Description.Transfer, Description.Gamma);
}

bool CmykToSrgb(const TColorProfile& Profile, bool Inverted, const uint8_t* Cmyk, uint8_t* Bgr,
                size_t Count) {
  return ConvertToSrgb(Profile, Inverted ? TPixelLayout::CmykInverted : TPixelLayout::Cmyk, Cmyk, Bgr, Count);
}

constexpr TColorReading KReading{ReadColorProfile, DescribedProfile, CmykToSrgb};

}  // namespace

const TColorReading& ColorReading() { return KReading; }

TPictureColor ReadingColor(uint32_t Matte) {
  TPictureColor colour;
  colour.Matte = Matte;
  colour.Reading = &KReading;
  return colour;
}
