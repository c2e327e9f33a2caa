#pragma once
// The picture library's decoders and encoders, one file each. Every decoder takes the whole file in
// memory, checks each length and offset against Size, refuses pictures above PictureLimit() before
// allocating them and returns false with *Out untouched on any failure; on success *Out holds a new
// picture of 1, 4, 8 or 24 bits per pixel that the caller owns.

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/Dib.h"

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

bool DecodeBmp(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out);
// JPEG and TIFF pictures come out turned upright by their orientation tag and then by Turn quarter
// turns clockwise (TurnedOrientation), in one step.
bool DecodeJpeg(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out, int Turn = 0);
bool DecodePng(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out);
bool DecodeTiff(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out, int Turn = 0);
bool DecodeGif(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out);
bool DecodeWebp(const uint8_t* Data, size_t Size, TProgressReporter& Progress, TDib* Out);
// How large a JPEG decoded at a reduced scale must still be, upright: at least MinLongSide pixels on its
// longer side, MinWidth wide and MinHeight high.
struct TJpegScale {
  int MinLongSide = 0, MinWidth = 0, MinHeight = 0;
  // For thumbnails: chroma and block edges are not smoothed, and a progressive picture wanted at 1/8
  // is taken from its first scans alone.
  bool Fast = false;
  // Quarter turns clockwise after the orientation tag; the sizes above are those of the turned picture.
  int Turn = 0;
};
// A JPEG decoded at the smallest DCT scale (1/8, 1/4, 1/2, else full size) whose upright picture is
// still as large as Scale asks, turned upright and by Scale.Turn; Full... receive the size of the
// picture so turned at full scale.
bool DecodeJpegScaled(const uint8_t* Data, size_t Size, const TJpegScale& Scale, TProgressReporter& Progress,
                      TDib* Out, int* FullWidth, int* FullHeight);

// Writes the picture to FileName; false when it is not a picture this writer takes or any write
// failed (a partly written file is removed).
bool WriteBmp(const TDib& Dib, const std::string& FileName);
bool WriteJpeg(const TDib& Dib, const std::string& FileName, int Quality);
// The bytes WriteJpeg would write, in Bytes (empty after a failure).
bool EncodeJpeg(const TDib& Dib, int Quality, std::string& Bytes);

// The TIFF structure inside a JPEG's first "Exif" APP1 segment before the first scan: *Tiff points into
// Data, *TiffSize bytes long. False when there is none or the markers before it are malformed.
bool JpegExifBlock(const uint8_t* Data, size_t Size, const uint8_t** Tiff, size_t* TiffSize);
// The EXIF orientation (1..8) in a JPEG's APP1 segment; 1 when there is none or it is malformed.
int JpegExifOrientation(const uint8_t* Data, size_t Size);
// Turns a picture stored in orientation Orientation (the EXIF/TIFF tag value) upright. Returns false
// (and leaves Dib as it was) only when memory for the turned copy is short; 1 and unknown values
// leave the picture alone.
bool ApplyOrientation(TDib& Dib, int Orientation);

// Packs one row of one-byte colour indices into a row of BitCount (1, 4 or 8) bits per pixel.
void PackIndexRow(const uint8_t* Indices, int Width, int BitCount, uint8_t* Row);
// The smallest of 1, 4, 8 bits that holds Colors colour indices.
int BitsForColors(int Colors);

// Composites Alpha of 0..255 over white.
inline uint8_t OverWhite(unsigned Value, unsigned Alpha) {
  return static_cast<uint8_t>((Value * Alpha + 255u * (255u - Alpha) + 127u) / 255u);
}

}  // namespace pictaro
