#pragma once
// What the picture library knows of colour: data only. A file's colour tags are read here, but
// judging them (is this ICC profile sound? which profile do these chromaticities make?) and
// converting pixels through a profile is colour management, which lives above the picture library
// (imaging/color/) and is handed in by whoever reads a picture, as TColorReading: a table of the
// three things reading needs done.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// TColorProfile: the ICC colour profile a picture file carries, checked once when the picture is read
// and shared, unchanged, by everyone who handles the picture afterwards (the PDF writer, the screen).
//
// A picture keeps its own numbers; its profile says what they mean. Pictures without a profile, and
// pictures whose profile is sRGB, are taken as sRGB. A profile is only ever made through
// ReadColorProfile or MakeRgbProfile (imaging/color/ColorProfile.h), which refuse what they cannot
// vouch for: a profile that exists is complete, its tags lie inside it, Little CMS reads it, and a
// transform from it to sRGB exists. Profiles are immutable and may be shared between threads.
enum class TColorSpace { Grey, Rgb, Cmyk };

class TColorProfile {
 public:
  // Use ReadColorProfile; public only for make_shared.
  TColorProfile(std::string Bytes, TColorSpace Space, int Version, bool Srgb, std::array<uint8_t, 32> Digest)
      : FBytes(std::move(Bytes)), FSpace(Space), FVersion(Version), FSrgb(Srgb), FDigest(Digest) {}

  // The profile's bytes, exactly as long as its header says.
  const std::string& Bytes() const { return FBytes; }
  TColorSpace Space() const { return FSpace; }
  // Colour components of the pictures it describes: 1, 3 or 4.
  int Channels() const { return FSpace == TColorSpace::Grey ? 1 : FSpace == TColorSpace::Rgb ? 3 : 4; }
  // The major version of the ICC format it is written in (2 or 4).
  int Version() const { return FVersion; }
  // An RGB profile whose colorants and tone curves are those of sRGB, whatever its bytes.
  bool IsSrgb() const { return FSrgb; }
  // The SHA-256 digest of Bytes(): equal profiles have equal digests.
  const std::array<uint8_t, 32>& Digest() const { return FDigest; }

 private:
  std::string FBytes;
  TColorSpace FSpace;
  int FVersion;
  bool FSrgb;
  std::array<uint8_t, 32> FDigest;
};

using TColorProfilePtr = std::shared_ptr<const TColorProfile>;

// Profiles larger than this are not taken: no real picture needs one, and a hostile file would make
// every picture that shares it carry megabytes.
constexpr size_t KMaxProfileSize = size_t{4} << 20;

// Chromaticities (CIE x, y) of an RGB space's white point and red, green and blue primaries.
struct TChromaticities {
  double WhiteX, WhiteY, RedX, RedY, GreenX, GreenY, BlueX, BlueY;
};

// How an RGB space's numbers relate to light.
enum class TTransfer {
  Srgb,    // the sRGB curve
  Bt709,   // the curve of BT.709 and BT.2020 video
  Linear,  // light itself
  Gamma,   // a pure power law, Value ^ Gamma
};

// What an RGB picture's colour tags (a PNG's cHRM and gAMA, a HEIF file's colour description) say
// its numbers mean, when it carries no ICC profile.
struct TRgbDescription {
  TChromaticities Space;
  TTransfer Transfer;
  double Gamma = 1.0;  // for TTransfer::Gamma
};

// The colour management reading a picture needs, handed in by the caller (ColorReading() in
// imaging/color/ColorReading.h is the program's). Each entry may be called from any thread.
struct TColorReading {
  // The checked profile in an ICC profile's bytes for a picture of Channels components (1 grey, 3 RGB,
  // 4 CMYK); nullptr when they make none (ReadColorProfile).
  TColorProfilePtr (*ReadProfile)(const uint8_t* Data, size_t Size, int Channels);
  // The checked profile the description stands for; nullptr when none can be made (MakeRgbProfile).
  TColorProfilePtr (*DescribedProfile)(const TRgbDescription& Description);
  // Count CMYK pixels (0 no ink; 255 no ink when Inverted, as Adobe's programs write them) converted
  // through Profile to blue, green, red; false, with Bgr untouched, when it cannot (ConvertToSrgb).
  bool (*CmykToSrgb)(const TColorProfile& Profile, bool Inverted, const uint8_t* Cmyk, uint8_t* Bgr,
                     size_t Count);
};

// What a reading entry is asked and tells about colour, beside the picture.
struct TPictureColor {
  // Transparent pixels are composited onto this colour (0x00BBGGRR): the page's or the cell's.
  uint32_t Matte = 0xFFFFFF;
  // The picture's profile, checked; nullptr when the file has none that fits (the picture is then
  // taken as sRGB). Set by every successful read, also to nullptr.
  TColorProfilePtr Profile;
  // The colour management to read with (imaging/color/ColorReading.h gives the program's); without
  // it no profile is checked or made (Profile stays nullptr) and a CMYK JPEG is converted by the
  // plain formula.
  const TColorReading* Reading = nullptr;
};
