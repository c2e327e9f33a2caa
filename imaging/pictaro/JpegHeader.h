#pragma once
// What a JPEG file's markers say about it, read without decoding a single pixel: its size, how it is
// coded, its components and colour markers, its orientation tag, and where its data ends. For callers
// that may put the file's bytes somewhere else as they are, such as the PDF writer's pass-through.

#include <cstddef>
#include <cstdint>
#include <string>

struct TJpegHeader {
  int32_t Width = 0, Height = 0;  // as stored, before the orientation tag turns the picture
  int Orientation = 1;            // the EXIF orientation tag, 1 to 8 (1 when absent)
  // The coding process, the frame marker's number (SOFn): 0 baseline, 1 extended sequential,
  // 2 progressive, 3 lossless (all Huffman); 5 to 7 hierarchical; 9 and up arithmetic coding.
  int Process = -1;
  int Precision = 0;  // bits per sample
  int Components = 0;
  uint8_t ComponentIds[4] = {};  // of the first four components
  bool Jfif = false;             // a JFIF marker of its full 14 bytes: three components are YCbCr
  int AdobeTransform = -1;       // the Adobe marker's colour transform; -1 when there is no such marker
  // Bytes from the start through the end-of-image marker that closes the last scan; 0 when the data
  // stops before that marker (a file cut short). Bytes after it (a second picture, padding) are not
  // part of the picture.
  size_t Length = 0;

  // The size the picture is shown at: turned by the orientation tag.
  int32_t UprightWidth() const { return Orientation >= 5 ? Height : Width; }
  int32_t UprightHeight() const { return Orientation >= 5 ? Width : Height; }
};

// Follows the markers of the JPEG file Data from its start-of-image marker through the frame header,
// every scan (stepping over the coded data by its marker bytes, without decoding it) and the
// end-of-image marker. True when Data starts with a JPEG's markers and has a frame header before its
// first scan; Length then tells whether the file is complete. False for anything else, with Header
// unspecified. Reads nothing outside Data; linear in Size.
bool ReadJpegHeader(const uint8_t* Data, size_t Size, TJpegHeader& Header);

// The ICC profile a JPEG file carries in its APP2 "ICC_PROFILE" segments before its first scan,
// joined in the order of their sequence numbers (the segments may stand in any order). False, with
// Icc empty, when there is none, or when the segments do not agree on their count, one is missing or
// one is repeated: such a profile is no profile.
bool ReadJpegIccProfile(const uint8_t* Data, size_t Size, std::string& Icc);
