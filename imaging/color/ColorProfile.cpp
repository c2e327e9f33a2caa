// Checking an ICC profile before anyone relies on it, recognising sRGB by what it describes, and
// making profiles from chromaticities. Little CMS clamps a size field that is too large and finds a
// tag offset past the end only when the tag is read, so the header and the tag table are checked here
// first, against the bytes there are.
#include "imaging/color/ColorProfile.h"

#include <lcms2.h>
#include <nettle/sha2.h>

#include <cmath>
#include <mutex>

#include "imaging/color/ColorTransformCache.h"
#include "imaging/pictaro/ByteReader.h"

namespace {

using pictaro::Be32;

constexpr size_t KHeaderSize = 128;

// The header's size field against the data, and every tag inside that size. Returns the size.
size_t CheckedLength(const uint8_t* Data, size_t Size) {
  if (!Data || Size < KHeaderSize + 4) return 0;
  const uint64_t length = Be32(Data);
  if (length < KHeaderSize + 4 || length > Size || length > KMaxProfileSize) return 0;
  if (Be32(Data + 36) != 0x61637370) return 0;  // 'acsp'
  const uint64_t tags = Be32(Data + KHeaderSize);
  if (tags == 0 || KHeaderSize + 4 + tags * 12 > length) return 0;
  for (uint64_t i = 0; i < tags; ++i) {
    const uint8_t* entry = Data + KHeaderSize + 4 + i * 12;
    const uint64_t offset = Be32(entry + 4), size = Be32(entry + 8);
    if (offset < KHeaderSize + 4 || offset + size > length) return 0;
  }
  return static_cast<size_t>(length);
}

// The signatures are read as plain numbers: a damaged header holds values no enumerator names.
bool ColourSpaceFits(cmsHPROFILE Profile, int Channels, TColorSpace& Space) {
  switch (static_cast<uint32_t>(cmsGetColorSpace(Profile))) {
    case cmsSigGrayData: Space = TColorSpace::Grey; break;
    case cmsSigRgbData: Space = TColorSpace::Rgb; break;
    case cmsSigCmykData: Space = TColorSpace::Cmyk; break;
    default: return false;
  }
  const auto cls = static_cast<uint32_t>(cmsGetDeviceClass(Profile));
  if (cls != cmsSigInputClass && cls != cmsSigDisplayClass && cls != cmsSigOutputClass &&
      cls != cmsSigColorSpaceClass)
    return false;
  const auto pcs = static_cast<uint32_t>(cmsGetPCS(Profile));
  if (pcs != cmsSigXYZData && pcs != cmsSigLabData) return false;
  return (Space == TColorSpace::Grey ? 1 : Space == TColorSpace::Rgb ? 3 : 4) == Channels;
}

// sRGB as Little CMS builds it: the colorants and tone curve every sRGB profile must match.
struct TSrgbReference {
  cmsCIEXYZ Colorants[3];
  cmsToneCurve* Curve;
};

const TSrgbReference& SrgbReference() {
  static const TSrgbReference reference = [] {
    TSrgbReference r{};
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    for (int i = 0; i < 3; ++i) r.Colorants[i] = *static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, tags[i]));
    r.Curve = cmsDupToneCurve(static_cast<const cmsToneCurve*>(cmsReadTag(srgb, cmsSigRedTRCTag)));
    cmsCloseProfile(srgb);
    return r;
  }();
  return reference;
}

// A matrix-shaper RGB profile with sRGB's colorants (within the rounding of the tag's numbers and of
// the chromatic adaptation different makers used) and sRGB's tone curve in each channel.
bool DescribesSrgb(cmsHPROFILE Profile) {
  if (static_cast<uint32_t>(cmsGetColorSpace(Profile)) != cmsSigRgbData || !cmsIsMatrixShaper(Profile)) return false;
  // A table would take precedence over the matrix for perceptual conversions.
  if (cmsIsTag(Profile, cmsSigAToB0Tag) || cmsIsTag(Profile, cmsSigAToB1Tag)) return false;
  const TSrgbReference& ref = SrgbReference();
  const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
  const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
  constexpr double colorantTolerance = 0.003, curveTolerance = 0.005;
  for (int i = 0; i < 3; ++i) {
    const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(Profile, colorants[i]));
    const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(Profile, curves[i]));
    if (!xyz || !curve) return false;
    if (std::fabs(xyz->X - ref.Colorants[i].X) > colorantTolerance ||
        std::fabs(xyz->Y - ref.Colorants[i].Y) > colorantTolerance ||
        std::fabs(xyz->Z - ref.Colorants[i].Z) > colorantTolerance)
      return false;
    for (int step = 0; step <= 64; ++step) {
      const float v = static_cast<float>(step) / 64;
      if (std::fabs(cmsEvalToneCurveFloat(curve, v) - cmsEvalToneCurveFloat(ref.Curve, v)) > curveTolerance)
        return false;
    }
  }
  return true;
}

std::array<uint8_t, 32> Sha256(const std::string& Bytes) {
  sha256_ctx ctx;
  sha256_init(&ctx);
  sha256_update(&ctx, Bytes.size(), reinterpret_cast<const uint8_t*>(Bytes.data()));
  std::array<uint8_t, 32> digest{};
  sha256_digest(&ctx, digest.size(), digest.data());
  return digest;
}

}  // namespace

TColorProfilePtr ReadColorProfile(const uint8_t* Data, size_t Size, int Channels) {
  SilenceColorErrors();
  const size_t length = CheckedLength(Data, Size);
  if (length == 0) return nullptr;
  TLcmsProfile handle(cmsOpenProfileFromMem(Data, static_cast<cmsUInt32Number>(length)));
  if (!handle.Handle) return nullptr;
  TColorSpace space{};
  if (!ColourSpaceFits(handle.Handle, Channels, space)) return nullptr;
  const int version = static_cast<int>(cmsGetEncodedICCversion(handle.Handle) >> 24);
  const bool srgb = DescribesSrgb(handle.Handle);
  std::string bytes(reinterpret_cast<const char*>(Data), length);
  const std::array<uint8_t, 32> digest = Sha256(bytes);
  auto profile = std::make_shared<const TColorProfile>(std::move(bytes), space, version, srgb, digest);
  // Building the transform reads every tag a conversion needs; a profile that fails it is no profile.
  if (!HasSrgbTransform(*profile)) return nullptr;
  return profile;
}

TColorProfilePtr MakeRgbProfile(const TChromaticities& Space, TTransfer Transfer, double Gamma) {
  SilenceColorErrors();
  const cmsCIExyY white{Space.WhiteX, Space.WhiteY, 1.0};
  const cmsCIExyYTRIPLE primaries{{Space.RedX, Space.RedY, 1.0},
                                  {Space.GreenX, Space.GreenY, 1.0},
                                  {Space.BlueX, Space.BlueY, 1.0}};
  cmsToneCurve* curve = nullptr;
  switch (Transfer) {
    case TTransfer::Srgb: {
      const cmsFloat64Number p[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
      curve = cmsBuildParametricToneCurve(nullptr, 4, p);
      break;
    }
    case TTransfer::Bt709: {
      const cmsFloat64Number p[5] = {1.0 / 0.45, 1.0 / 1.099, 0.099 / 1.099, 1.0 / 4.5, 0.081};
      curve = cmsBuildParametricToneCurve(nullptr, 4, p);
      break;
    }
    case TTransfer::Linear: curve = cmsBuildGamma(nullptr, 1.0); break;
    case TTransfer::Gamma: curve = cmsBuildGamma(nullptr, Gamma); break;
  }
  if (!curve) return nullptr;
  cmsToneCurve* curves[3] = {curve, curve, curve};
  TLcmsProfile made(cmsCreateRGBProfile(&white, &primaries, curves));
  cmsFreeToneCurve(curve);
  if (!made.Handle) return nullptr;
  // Version 2 is read by every PDF reader back to PDF 1.3; its curves are stored as tables.
  cmsSetProfileVersion(made.Handle, 2.1);
  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(made.Handle, nullptr, &size) || size == 0 || size > KMaxProfileSize) return nullptr;
  std::string bytes(size, '\0');
  if (!cmsSaveProfileToMem(made.Handle, bytes.data(), &size)) return nullptr;
  return ReadColorProfile(reinterpret_cast<const uint8_t*>(bytes.data()), size, 3);
}

const std::string& SrgbProfileVersion2() {
  static const std::string bytes = [] {
    SilenceColorErrors();
    TLcmsProfile srgb(cmsCreate_sRGBProfile());
    if (!srgb.Handle) return std::string();
    cmsSetProfileVersion(srgb.Handle, 2.1);
    cmsUInt32Number size = 0;
    if (!cmsSaveProfileToMem(srgb.Handle, nullptr, &size) || size == 0) return std::string();
    std::string saved(size, '\0');
    if (!cmsSaveProfileToMem(srgb.Handle, saved.data(), &size)) return std::string();
    saved.resize(size);
    return saved;
  }();
  return bytes;
}
