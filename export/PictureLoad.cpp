#include "export/PictureLoad.h"

#include <algorithm>
#include <optional>

#include "imaging/color/ColorReading.h"
#include "imaging/color/ColorConvert.h"
#include "imaging/pictaro/JpegHeader.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroDecode.h"
#include "imaging/pictaro/PictaroReduced.h"
#include "platform/FileVerdicts.h"
#include "platform/UnixFile.h"

namespace {

// The pixel limits of the places a photo of Width x Height can get: where it is placed smallest and
// largest (every pixel without a limit).
struct TLimits {
  int32_t FewestWidth, FewestHeight, MostWidth, MostHeight;
  bool Exact;  // every place is the same size, so the limit is known before the place is
};

TLimits LimitsFor(const TPictureLoadPlan& Plan, size_t Photo, int32_t Width, int32_t Height) {
  if (Plan.Dpi <= 0 || !Plan.Range) return {Width, Height, Width, Height, false};
  const TPlacementRange range = Plan.Range(Photo, Width, Height);
  const TPlacedSize& small = range.Smallest;
  const TPlacedSize& large = range.Largest;
  return {PixelsForPoints(small.Width, Plan.Dpi), PixelsForPoints(small.Height, Plan.Dpi),
          PixelsForPoints(large.Width, Plan.Dpi), PixelsForPoints(large.Height, Plan.Dpi),
          small.Drawn && small.Width == large.Width && small.Height == large.Height};
}

// The profile of a JPEG that goes in as it is, for its own numbers: grey or RGB.
TColorProfilePtr JpegFileProfile(const std::vector<uint8_t>& Bytes, const TJpegHeader& Header) {
  std::string icc;
  if ((Header.Components != 1 && Header.Components != 3) || !ReadJpegIccProfile(Bytes.data(), Bytes.size(), icc))
    return nullptr;
  return ReadColorProfile(reinterpret_cast<const uint8_t*>(icc.data()), icc.size(), Header.Components);
}

// True when Profile may go into the PDF as Plan asks.
bool ProfileAllowed(const TColorProfilePtr& Profile, const TPictureLoadPlan& Plan) {
  return !Profile || Plan.MaxProfileVersion <= 0 || Profile->Version() <= Plan.MaxProfileVersion;
}

// JpegDecodesCleanly over the file's JPEG, or its verdict from an earlier check of the identical file.
bool DecodesCleanly(const std::vector<uint8_t>& Bytes, const TJpegHeader& Header, const TFileIdentity* Identity,
                    TFileVerdicts* Verdicts) {
  if (Identity && Verdicts) {
    if (const std::optional<std::string> known = Verdicts->Find(*Identity)) {
      if (*known == KCleanJpegVerdict) return true;
      if (*known == KDamagedJpegVerdict) return false;
    }
  }
  const bool clean = JpegDecodesCleanly(Bytes.data(), Header.Length);
  if (Identity && Verdicts) Verdicts->Remember(*Identity, clean ? KCleanJpegVerdict : KDamagedJpegVerdict);
  return clean;
}

}  // namespace

void TLoadedPicture::Clear() {
  deldib(FSource.Dib);
  FSource = TPictureSource{};
  FBytes.clear();
  FBytes.shrink_to_fit();
  FAhead = false;
  FAheadWidth = FAheadHeight = 0;
}

void TLoadedPicture::Swap(TLoadedPicture& Other) noexcept {
  std::swap(FSource, Other.FSource);
  FBytes.swap(Other.FBytes);  // the buffers stay where they are, and so do the views into them
  std::swap(FAhead, Other.FAhead);
  std::swap(FAheadWidth, Other.FAheadWidth);
  std::swap(FAheadHeight, Other.FAheadHeight);
}

void LoadPictureAsItIs(const std::string& FileName, size_t Photo, const TPictureLoadPlan& Plan,
                       TProgressSink* Progress, TLoadedPicture& Out) {
  Out.Clear();
  TPictureSource& source = Out.FSource;
  const int turn = Photo < Plan.Turns.size() ? Plan.Turns[Photo] : 0;
  TPictureColor colour = ReadingColor();
  colour.Matte = Plan.Matte;
  if (Plan.Dpi <= 0 && !Plan.KeepJpeg) {
    TDib dib;
    LoadPicture(FileName.c_str(), -1, Progress, &dib, turn, &colour);
    if (dib.Bits) {
      source = TPictureSource::Of(dib);
      source.Profile = colour.Profile;
      // Without a limit every place takes every pixel: the encoding is known now.
      Out.FAhead = true;
      Out.FAheadWidth = Out.FAheadHeight = 0;
    }
    return;
  }
  // A decoded picture is encoded ahead when its limit is known now (and it is not one to go in as
  // it is, which is not decoded, or kept beside its bytes for a larger place).
  const auto decoded = [&](const TLimits& Limits, bool KeepBytes) {
    Out.FAhead = Limits.Exact && !KeepBytes;
    Out.FAheadWidth = Limits.MostWidth;
    Out.FAheadHeight = Limits.MostHeight;
    if (!KeepBytes) {
      Out.FBytes.clear();
      Out.FBytes.shrink_to_fit();
    }
  };

  const int format = PictureFormatFor(FileName.c_str(), -1);
  std::vector<uint8_t>& bytes = Out.FBytes;
  TFileIdentity identity;
  bool identified = Plan.KeepJpeg && IdentifyFile(FileName, identity);
  if (ReadRegularFile(FileName.c_str(), bytes, KMaxPictureFileSize) != 0 || bytes.empty()) return;
  if (identified) {
    // The bytes are those of this identity only when the file did not change while it was read.
    TFileIdentity after;
    identified = IdentifyFile(FileName, after) && after == identity;
  }
  TJpegHeader header;
  if (!ReadJpegHeader(bytes.data(), bytes.size(), header)) {
    // Not a JPEG whose header we can follow: decoded whole, by whichever decoder takes it.
    TDib dib;
    if (DecodePicture(bytes.data(), bytes.size(), format, Progress, &dib, turn, &colour)) {
      source = TPictureSource::Of(dib);
      source.Profile = colour.Profile;
      decoded(LimitsFor(Plan, Photo, source.Width, source.Height), false);
    }
    Out.FBytes.clear();
    Out.FBytes.shrink_to_fit();
    return;
  }

  header.Orientation = TurnedOrientation(header.Orientation, turn);
  const int32_t width = header.UprightWidth(), height = header.UprightHeight();
  const TLimits limits = LimitsFor(Plan, Photo, width, height);
  // Only bytes libjpeg reads without a single warning go in as they are: a reader shows garbage, half
  // a picture or nothing for a file whose data is damaged, even where our decoder gets by. Any other
  // file is decoded and re-encoded, or is unreadable, exactly as without pass-through.
  const bool fitsSmallest = width <= limits.FewestWidth && height <= limits.FewestHeight;
  const bool fitsLargest = width <= limits.MostWidth && height <= limits.MostHeight;
  const bool mayGoAsIs = Plan.KeepJpeg && (fitsSmallest || (fitsLargest && !limits.Exact)) &&
                         DctTakesAsIs(header) && ProfileAllowed(JpegFileProfile(bytes, header), Plan) &&
                         DecodesCleanly(bytes, header, identified ? &identity : nullptr, Plan.CleanJpegs);
  if (mayGoAsIs && fitsSmallest) {
    // Wherever it is placed, the writer takes the file as it is: nothing to decode.
    source.Width = width;
    source.Height = height;
    source.Jpeg = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    source.Header = header;
    source.Profile = JpegFileProfile(bytes, header);
    if (identified) source.JpegFile = identity;
    return;
  }
  TDib dib;
  int fullWidth = 0, fullHeight = 0;
  if (!DecodePictureAtLeast(bytes.data(), bytes.size(), format, std::min(width, limits.MostWidth),
                            std::min(height, limits.MostHeight), Progress, &dib, &fullWidth, &fullHeight,
                            turn, &colour))
    return;
  source.Dib = dib;
  source.Profile = colour.Profile;
  source.Width = fullWidth;
  source.Height = fullHeight;
  // A larger place may still take the file as it is.
  const bool keepBytes = mayGoAsIs;
  if (keepBytes) {
    source.Jpeg = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    source.Header = header;
    if (identified) source.JpegFile = identity;
  }
  decoded(limits, keepBytes);
}

void LoadPictureForPdf(const std::string& FileName, size_t Photo, const TPictureLoadPlan& Plan,
                       TProgressSink* Progress, TLoadedPicture& Out) {
  LoadPictureAsItIs(FileName, Photo, Plan, Progress, Out);
  TPictureSource& source = Out.FSource;
  if (ProfileAllowed(source.Profile, Plan) || !source.Dib.Bits) return;
  DibToScreen(source.Dib, source.Profile.get());
  source.Profile = nullptr;
  source.Jpeg = {};  // its numbers meant what the profile said: it cannot go in as it is
  source.JpegFile = TFileIdentity{};
  Out.FBytes.clear();
  Out.FBytes.shrink_to_fit();
}
