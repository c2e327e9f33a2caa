#pragma once
// How the export loads a photo for the PDF writer (TPDFCanvas::PlacePicture).
//
// Without a resolution limit or JPEG pass-through, a photo is loaded whole, exactly as LoadPicture
// loads it. With them, a JPEG's header is read first, and the photo is decoded no more than the PDF
// can use:
// - a JPEG that goes into the PDF as it is (pass-through on, DctTakesAsIs, within the pixel limit even
//   where it is placed smallest, and read by libjpeg without a warning, JpegDecodesCleanly) is not
//   decoded into a picture: its size and orientation come from its header;
// - any other JPEG is decoded at the smallest DCT scale that still has the pixels its largest
//   placement allows (DecodePictureAtLeast), to be scaled down to the exact limit of the place it gets
//   when it is encoded; the file's bytes are kept beside it when it may still go in as it is;
// - every other picture is decoded whole, and scaled down when it is encoded.
// A file that cannot be read, or whose pixels cannot be decoded, is not loaded, as with LoadPicture:
// whether a photo is unreadable depends neither on pass-through nor on the limit. The source carries
// the picture's checked colour profile (a JPEG that goes in as it is, its own), and transparent pixels
// are composited onto the plan's matte.
//
// With the plan's CleanJpegs, a file identical to one checked before (same path, device, inode, size
// and times, both before and after it was read) is not checked again; a verdict is remembered only for
// bytes read while the file stayed the same.
//
// A photo the user turned is turned as it is decoded, and every size above is that of the turned
// picture; a JPEG that goes in as it is keeps its bytes, and its header's orientation becomes the
// turned one (TurnedOrientation), which the writer applies in the placement's matrix.
//
// Safe to call from any thread as long as the plan's Range is.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/PageLayout.h"
#include "pdf/PictureEncoding.h"

class TFileVerdicts;
class TProgressSink;

struct TPictureLoadPlan {
  int32_t Dpi = 0;        // the writer's ImageDpi: 0 for every pixel
  bool KeepJpeg = false;  // the writer's KeepJpeg
  // Where photo Photo of IW x IH pixels (upright, at full scale) may be placed; asked when Dpi > 0.
  std::function<TPlacementRange(size_t Photo, int32_t IW, int32_t IH)> Range;
  uint32_t Matte = 0xFFFFFF;  // transparent pixels are composited onto this colour: the page's
  // Above 0, the newest ICC version a picture's profile may have (PDF/A-1b: 2): a picture with a newer
  // one is converted to sRGB and goes in without it, never as the JPEG file's own bytes.
  int MaxProfileVersion = 0;
  std::vector<int> Turns{};   // each photo's quarter turns (PhotoTurn.h); photos beyond its end: none
  // When set, JpegDecodesCleanly's verdicts on files that stayed as they were are taken from here, and
  // new ones remembered (KCleanJpegVerdict or KDamagedJpegVerdict).
  TFileVerdicts* CleanJpegs = nullptr;
};

inline constexpr const char* KCleanJpegVerdict = "clean";
inline constexpr const char* KDamagedJpegVerdict = "damaged";
// The name of the verdicts' file in the per-user cache folder (TFileVerdicts::UserCacheFile).
inline constexpr const char* KCleanJpegsCacheName = "jpeg-checks";

// One loaded photo: owns the decoded picture and the file's bytes its source points at.
class TLoadedPicture {
 public:
  TLoadedPicture() = default;
  ~TLoadedPicture() { Clear(); }
  TLoadedPicture(const TLoadedPicture&) = delete;
  TLoadedPicture& operator=(const TLoadedPicture&) = delete;

  // What was loaded; Source().Loaded() is false when the file could not be read.
  const TPictureSource& Source() const { return FSource; }
  // True when the decoded picture's encoding does not depend on where it is placed: without a limit
  // or pass-through, every place takes every pixel (AheadWidth and AheadHeight 0: no limit); under a
  // limit, every place the photo can get on any page is the same size, so the pixel limit is known now
  // and the picture is not one the writer will take as it is. It may then be encoded before it is
  // placed (EncodePicture with AheadWidth and AheadHeight), and only its encoded bytes kept.
  bool EncodesAhead() const { return FAhead; }
  int32_t AheadWidth() const { return FAheadWidth; }
  int32_t AheadHeight() const { return FAheadHeight; }
  // True when nothing is left to encode: a JPEG that goes in as it is wherever it is placed, known by
  // the file it was read from (TPictureSource::JpegFile), so it may wait beside others for its place.
  bool GoesAsItIs() const { return !FSource.Dib.Bits && !FSource.Jpeg.empty() && !FSource.JpegFile.Path.empty(); }
  // Frees the picture and the bytes.
  void Clear();
  // Exchanges everything with Other; the sources keep pointing at their own bytes.
  void Swap(TLoadedPicture& Other) noexcept;

 private:
  friend void LoadPictureForPdf(const std::string& FileName, size_t Photo, const TPictureLoadPlan& Plan,
                                TProgressSink* Progress, TLoadedPicture& Out);
  // LoadPictureForPdf before the profile limit is applied (PictureLoad.cpp).
  friend void LoadPictureAsItIs(const std::string& FileName, size_t Photo, const TPictureLoadPlan& Plan,
                                TProgressSink* Progress, TLoadedPicture& Out);
  TPictureSource FSource;
  std::vector<uint8_t> FBytes;
  bool FAhead = false;
  int32_t FAheadWidth = 0, FAheadHeight = 0;
};

// Loads photo Photo of the album, the file FileName, into Out as Plan says (see above); whatever Out
// held before is freed first. Progress receives the decoder's percentages.
void LoadPictureForPdf(const std::string& FileName, size_t Photo, const TPictureLoadPlan& Plan,
                       TProgressSink* Progress, TLoadedPicture& Out);
