#pragma once
// TColorProfile: the ICC colour profile a picture file carries, checked once when the picture is read
// and shared, unchanged, by everyone who handles the picture afterwards (the PDF writer, the screen).
//
// A picture keeps its own numbers; its profile says what they mean. Pictures without a profile, and
// pictures whose profile is sRGB, are taken as sRGB. A profile is only ever made through
// ReadColorProfile or MakeRgbProfile, which refuse what they cannot vouch for: a profile that exists
// is complete, its tags lie inside it, Little CMS reads it, and a transform from it to sRGB exists
// (ColorConvert.h). Profiles are immutable and may be shared between threads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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

// The profile in Data, for a picture of Channels colour components (1 grey, 3 RGB, 4 CMYK); nullptr
// when the picture is to be taken as untagged: the data are no ICC profile, are larger than
// KMaxProfileSize, are shorter than the header's size field says, hold a tag table or a tag that
// reaches past that size, are refused by Little CMS, describe another colour space than Channels, are
// no profile a picture can have (a device link, say), or no transform to sRGB can be built from them.
// Bytes after the header's size are dropped. Reports nothing; never throws but std::bad_alloc.
TColorProfilePtr ReadColorProfile(const uint8_t* Data, size_t Size, int Channels);

// Chromaticities (CIE x, y) of an RGB space's white point and red, green and blue primaries.
struct TChromaticities {
  double WhiteX, WhiteY, RedX, RedY, GreenX, GreenY, BlueX, BlueY;
};

// How an RGB space's numbers relate to light.
enum class TTransfer {
  Srgb,     // the sRGB curve
  Bt709,    // the curve of BT.709 and BT.2020 video
  Linear,   // light itself
  Gamma,    // a pure power law, Value ^ Gamma
};

// A version 2 RGB profile made from chromaticities and a transfer (PNG's cHRM and gAMA, the colour
// description of a HEIF file), through ReadColorProfile; nullptr when Little CMS cannot make one of
// them (primaries on a line, say).
TColorProfilePtr MakeRgbProfile(const TChromaticities& Space, TTransfer Transfer, double Gamma = 1.0);

// Little CMS's own sRGB profile saved as an ICC version 2 profile (its built-in one is version 4),
// which every PDF reader and PDF/A-1 take: for a PDF's sRGB output intent. Made once; empty only when
// Little CMS cannot make it.
const std::string& SrgbProfileVersion2();
