#pragma once
// The picture library's decoders and encoders, one file each. Every decoder takes the whole file in
// memory, checks each length and offset against Size, refuses pictures above PictureLimit() before
// allocating them and returns false with *Out untouched on any failure; on success *Out holds a new
// picture of 1, 4, 8 or 24 bits per pixel that the caller owns.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/pictaro/Dib.h"
#include "imaging/pictaro/PictureColor.h"

class TProgressSink;

namespace pictaro {

// Passes percentages to a sink, each value once, and keeps exceptions from escaping into C frames.
class TProgressReporter {
 public:
  explicit TProgressReporter(TProgressSink* Sink) : FSink(Sink) {}
  void Report(int Percent);
  // Reports Done of Total as a percentage.
  void Report(int64_t Done, int64_t Total) { Report(Total > 0 ? static_cast<int>(Done * 100 / Total) : 0); }

 private:
  TProgressSink* FSink;
  int FLast = -1;
};

// What a decoder is asked and tells about colour, beside the pixels.
struct TDecodeColor {
  uint32_t Matte = 0xFFFFFF;  // in: transparent pixels are composited onto this colour (0x00BBGGRR)
  std::string Icc;            // out: the ICC profile the file embeds, unchecked; empty: none
  int Channels = 0;           // out: the colour components the picture's numbers have (1 or 3)
  // out: what the file's other colour tags say, when it has no ICC profile
  std::optional<TRgbDescription> Described;
  // in: the colour management a CMYK picture is converted with; nullptr: the plain formula
  const TColorReading* Reading = nullptr;
};

bool DecodeBmp(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out);
// JPEG and TIFF pictures come out turned upright by their orientation tag and then by Turn quarter
// turns clockwise (TurnedOrientation), in one step.
bool DecodeJpeg(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out,
                int Turn = 0);
bool DecodePng(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out);
bool DecodeTiff(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out,
                int Turn = 0);
bool DecodeGif(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out);
bool DecodeWebp(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDecodeColor& Color, TDib* Out);
// HEIF and AVIF through libheif: the primary image, turned and mirrored as the file says (its EXIF
// orientation is not applied again), reduced to 8 bits, alpha composited. With MinLongSide above 0,
// the file's embedded thumbnail instead when its longer side has at least that many pixels (with
// ThumbnailOnly, that thumbnail or nothing); Full... receive the primary image's size either way.
// A photo's turn is not applied here: callers turn the picture afterwards (TurnDib).
bool DecodeHeif(const uint8_t* Data, size_t Size, int MinLongSide, bool ThumbnailOnly,
                TProgressReporter& Progress, TDecodeColor& Color, TDib* Out, int* FullWidth, int* FullHeight);
// True when Data starts like a HEIF or AVIF file (an 'ftyp' box libheif knows).
bool LooksLikeHeif(const uint8_t* Data, size_t Size);
// The TIFF structure of the EXIF block of a HEIF or AVIF file's primary image, read from the file by
// libheif (which reads the boxes and that one item, not the picture data). False when the file cannot
// be read, is no HEIF file, has no EXIF block or a block of more than KMaxHeifExif bytes.
bool HeifExifBlock(const char* FileName, std::vector<uint8_t>& Tiff);
constexpr size_t KMaxHeifExif = 1024 * 1024;
// How large a JPEG decoded at a reduced scale must still be, upright: at least MinLongSide pixels on its
// longer side, MinWidth wide and MinHeight high.
struct TJpegScale {
  int MinLongSide = 0, MinWidth = 0, MinHeight = 0;
  // For thumbnails: chroma and block edges are not smoothed, and a progressive picture wanted at 1/8
  // is taken from its first scans alone.
  bool Fast = false;
  // Quarter turns clockwise after the orientation tag; the sizes above are those of the turned picture.
  int Turn = 0;
  // Any warning of the library (corrupt data, stray bytes, a scan cut short) fails the decoding.
  bool Strict = false;
};
// A JPEG decoded at the smallest DCT scale (1/8, 1/4, 1/2, else full size) whose upright picture is
// still as large as Scale asks, turned upright and by Scale.Turn; Full... receive the size of the
// picture so turned at full scale.
bool DecodeJpegScaled(const uint8_t* Data, size_t Size, const TJpegScale& Scale, TProgressReporter& Progress,
                      TDecodeColor& Color, TDib* Out, int* FullWidth, int* FullHeight);
// A JPEG decoded at full size and turned by Orientation (1..8) instead of its own tag: for the small
// JPEG a photo carries inside its EXIF block, which is stored as the photo is.
bool DecodeJpegTurned(const uint8_t* Data, size_t Size, int Orientation, TDib* Out);

// Header readers: the size the decoder above gives the picture, before any orientation tag turns it,
// and whether it comes as 1 bit per pixel, from the file's first Size bytes without decoding a pixel.
// False when those bytes hold no header the decoder takes (or not all of it).
struct TDibHeaderSize {
  int64_t Width = 0, Height = 0;
  bool OneBit = false;
};
bool BmpHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out);
bool PngHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out);
bool GifHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out);
bool WebpHeader(const uint8_t* Data, size_t Size, TDibHeaderSize& Out);
// The same for a TIFF file read through libtiff as far as its first directory, wherever that lies,
// turned by its orientation tag as the decoder turns it.
bool TiffHeader(const char* FileName, TDibHeaderSize& Out);
// The same for a HEIF or AVIF file: its primary image as its boxes describe it, turned as the file says.
bool HeifHeader(const char* FileName, TDibHeaderSize& Out);

// Writes the picture to FileName; false when it is not a picture this writer takes or any write
// failed (a partly written file is removed).
bool WriteBmp(const TDib& Dib, const std::string& FileName);
bool WriteJpeg(const TDib& Dib, const std::string& FileName, int Quality);
// The bytes WriteJpeg would write, in Bytes (empty after a failure).
// Grey: one component, each pixel's red channel.
bool EncodeJpeg(const TDib& Dib, int Quality, std::string& Bytes, bool Grey = false);

// The TIFF structure inside a JPEG's first "Exif" APP1 segment before the first scan: *Tiff points into
// Data, *TiffSize bytes long. False when there is none or the markers before it are malformed.
bool JpegExifBlock(const uint8_t* Data, size_t Size, const uint8_t** Tiff, size_t* TiffSize);
// The EXIF orientation (1..8) in a JPEG's APP1 segment; 1 when there is none or it is malformed.
int JpegExifOrientation(const uint8_t* Data, size_t Size);
// The orientation (1..8) in the first IFD of the TIFF structure at Tiff; 1 when absent or malformed.
int TiffOrientation(const uint8_t* Tiff, size_t Size);
// Turns a picture stored in orientation Orientation (the EXIF/TIFF tag value) upright. Returns false
// (and leaves Dib as it was) only when memory for the turned copy is short; 1 and unknown values
// leave the picture alone.
bool ApplyOrientation(TDib& Dib, int Orientation);

// Packs one row of one-byte colour indices into a row of BitCount (1, 4 or 8) bits per pixel.
void PackIndexRow(const uint8_t* Indices, int Width, int BitCount, uint8_t* Row);
// The smallest of 1, 4, 8 bits that holds Colors colour indices.
int BitsForColors(int Colors);

// Composites Value with Alpha of 0..255 over Back.
inline uint8_t Over(unsigned Value, unsigned Alpha, unsigned Back) {
  return static_cast<uint8_t>((Value * Alpha + Back * (255u - Alpha) + 127u) / 255u);
}
// The matte's channels, blue, green, red, as Over takes them.
struct TMatte {
  explicit TMatte(uint32_t Color)
      : Blue((Color >> 16) & 0xFF), Green((Color >> 8) & 0xFF), Red(Color & 0xFF) {}
  unsigned Blue, Green, Red;
  bool Grey() const { return Blue == Green && Green == Red; }
};

}  // namespace pictaro
