// Prepared Little CMS transforms, kept by profile digest and kind, and the conversions that run them.
#include "imaging/color/ColorConvert.h"

#include <lcms2.h>

#include <map>
#include <mutex>
#include <utility>

#include "imaging/color/ColorTransformCache.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/DibAlloc.h"

namespace {

// The transforms the cache keeps: from a profile to sRGB, one per input layout.
enum class TKind { Bgr, Grey, Cmyk, CmykInverted };

struct TTransform {
  cmsHTRANSFORM Handle = nullptr;
  explicit TTransform(cmsHTRANSFORM H) : Handle(H) {}
  ~TTransform() {
    if (Handle) cmsDeleteTransform(Handle);
  }
  TTransform(const TTransform&) = delete;
  TTransform& operator=(const TTransform&) = delete;
};
using TTransformPtr = std::shared_ptr<const TTransform>;

// A few hundred kilobytes each at most; an album rarely has more than a handful of distinct
// profiles, and a hostile one with thousands only costs building them again.
constexpr size_t KMaxTransforms = 64;

cmsHTRANSFORM Build(const TColorProfile& Profile, TKind Kind) {
  TLcmsProfile own(cmsOpenProfileFromMem(Profile.Bytes().data(),
                                          static_cast<cmsUInt32Number>(Profile.Bytes().size())));
  TLcmsProfile srgb(cmsCreate_sRGBProfile());
  if (!own.Handle || !srgb.Handle) return nullptr;
  const TColorSpace space = Profile.Space();
  switch (Kind) {
    case TKind::Bgr:
      if (space != TColorSpace::Rgb) return nullptr;
      return cmsCreateTransform(own.Handle, TYPE_BGR_8, srgb.Handle, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    case TKind::Grey:
      if (space != TColorSpace::Grey) return nullptr;
      return cmsCreateTransform(own.Handle, TYPE_GRAY_8, srgb.Handle, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    case TKind::Cmyk:
    case TKind::CmykInverted:
      if (space != TColorSpace::Cmyk) return nullptr;
      return cmsCreateTransform(own.Handle, Kind == TKind::Cmyk ? TYPE_CMYK_8 : TYPE_CMYK_8_REV, srgb.Handle,
                                TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
  }
  return nullptr;
}

class TTransformCache {
 public:
  // The transform of Profile and Kind, built on first use; nullptr when none can be built (remembered,
  // so a bad profile is not tried again). Little CMS's transforms may run on several threads at once.
  TTransformPtr Get(const TColorProfile& Profile, TKind Kind) {
    const TKey key{Profile.Digest(), Kind};
    std::lock_guard<std::mutex> lock(FLock);
    if (const auto found = FTransforms.find(key); found != FTransforms.end()) return found->second;
    if (FTransforms.size() >= KMaxTransforms) FTransforms.clear();  // users keep theirs alive
    cmsHTRANSFORM handle = Build(Profile, Kind);
    TTransformPtr made = handle ? std::make_shared<const TTransform>(handle) : nullptr;
    FTransforms.emplace(key, made);
    return made;
  }

 private:
  using TKey = std::pair<std::array<uint8_t, 32>, TKind>;
  std::mutex FLock;
  std::map<TKey, TTransformPtr> FTransforms;
};

TTransformCache& Cache() {
  static TTransformCache cache;
  return cache;
}

TKind KindOf(TPixelLayout Layout) {
  switch (Layout) {
    case TPixelLayout::Bgr: return TKind::Bgr;
    case TPixelLayout::Grey: return TKind::Grey;
    case TPixelLayout::Cmyk: return TKind::Cmyk;
    case TPixelLayout::CmykInverted: return TKind::CmykInverted;
  }
  return TKind::Bgr;
}

void SilentLog(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

void SilenceColorErrors() {
  static std::once_flag once;
  std::call_once(once, [] { cmsSetLogErrorHandler(SilentLog); });
}

bool HasSrgbTransform(const TColorProfile& Profile) {
  const TKind kind = Profile.Space() == TColorSpace::Grey  ? TKind::Grey
                     : Profile.Space() == TColorSpace::Rgb ? TKind::Bgr
                                                           : TKind::Cmyk;
  return Cache().Get(Profile, kind) != nullptr;
}

bool ConvertToSrgb(const TColorProfile& Profile, TPixelLayout Layout, const uint8_t* In, uint8_t* Out,
                   size_t Count) {
  const TTransformPtr transform = Cache().Get(Profile, KindOf(Layout));
  if (!transform) return false;
  // Little CMS counts pixels in 32 bits.
  constexpr size_t step = size_t{1} << 30;
  const size_t inBytes = Layout == TPixelLayout::Bgr    ? 3
                         : Layout == TPixelLayout::Grey ? 1
                                                        : 4;
  for (size_t done = 0; done < Count; done += step) {
    const size_t n = std::min(step, Count - done);
    cmsDoTransform(transform->Handle, In + done * inBytes, Out + done * 3, static_cast<cmsUInt32Number>(n));
  }
  return true;
}

void RowToScreen(uint8_t* Bgr, size_t Count, const TColorProfile* Profile) {
  if (NeedsConversion(Profile) && Profile->Space() == TColorSpace::Rgb)
    ConvertToSrgb(*Profile, TPixelLayout::Bgr, Bgr, Bgr, Count);
}

void DibToScreen(TDib& Dib, const TColorProfile* Profile) {
  if (!NeedsConversion(Profile) || !Dib.Bits || !Dib.Header) return;
  const int bits = DibBitCount(Dib);
  if (bits == 24 && Profile->Space() == TColorSpace::Rgb) {
    const int64_t width = DibWidth(Dib), height = DibHeight(Dib);
    for (int64_t y = 0; y < height; ++y)
      ConvertToSrgb(*Profile, TPixelLayout::Bgr, Dib.Bits + y * Dib.RowBytes, Dib.Bits + y * Dib.RowBytes,
                    static_cast<size_t>(width));
    return;
  }
  if (bits > 8) return;
  // Pictures with a colour table: the table is converted, not the pixels.
  const int colours = static_cast<int>(DibPaletteColors(Dib));
  uint8_t in[256 * 3], out[256 * 3];
  for (int i = 0; i < colours; ++i) {
    const TDibColor& c = Dib.Colors[i];
    if (Profile->Space() == TColorSpace::Grey)
      in[i] = c.Red;
    else
      in[3 * i] = c.Blue, in[3 * i + 1] = c.Green, in[3 * i + 2] = c.Red;
  }
  const TPixelLayout layout = Profile->Space() == TColorSpace::Grey ? TPixelLayout::Grey : TPixelLayout::Bgr;
  if (Profile->Space() == TColorSpace::Cmyk || !ConvertToSrgb(*Profile, layout, in, out, colours)) return;
  for (int i = 0; i < colours; ++i) pictaro::SetDibColor(Dib, i, out[3 * i + 2], out[3 * i + 1], out[3 * i]);
}
