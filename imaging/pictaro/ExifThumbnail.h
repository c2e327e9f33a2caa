#pragma once
// The small picture cameras and phones put into a JPEG's EXIF block (the second IFD's
// JPEGInterchangeFormat and JPEGInterchangeFormatLength), found and decoded without touching the
// photo's own coded data: a first picture to show while the photo itself is decoded.
//
// The small picture is stored as the photo is, so it is turned by the photo's orientation tag. It is
// used only when its proportions are the photo's within 2 %. Many cameras pad a 4:3 picture of a 3:2
// photo with black bars: those are cropped when that brings the proportions in line, else the picture
// is not used. Every offset and length is checked against the bytes given; anything damaged or out of
// place means "no picture". Nothing here allocates more than the small picture itself.

#include <cstddef>
#include <cstdint>

#include "imaging/pictaro/Dib.h"

// What a JPEG's markers before its frame header say about the photo and its EXIF picture.
struct TJpegHead {
  int32_t Width = 0, Height = 0;  // the photo as stored, from the frame header
  int Orientation = 1;            // the EXIF orientation tag, 1 to 8 (1 when absent)
  // Where the EXIF picture's bytes lie in the data read; Length 0 when there is none.
  size_t ThumbnailOffset = 0, ThumbnailLength = 0;

  // The size the photo is shown at: turned by the orientation tag.
  int32_t UprightWidth() const { return Orientation >= 5 ? Height : Width; }
  int32_t UprightHeight() const { return Orientation >= 5 ? Width : Height; }
};

enum class TJpegHeadRead {
  Complete,  // the frame header was reached; Head is filled
  NeedMore,  // Data stops before the frame header; *Needed bytes from the start let the walk go on
  NotJpeg,   // no JPEG, or its markers are damaged before the frame header
};

// Follows the markers of the JPEG file whose first Size bytes are Data, from the start-of-image marker
// to the frame header, taking the first EXIF block's orientation and picture. An EXIF picture counts
// only when it lies wholly inside its EXIF block.
TJpegHeadRead ReadJpegHead(const uint8_t* Data, size_t Size, TJpegHead& Head, size_t* Needed);

// True when Width x Height has the proportions of PhotoWidth x PhotoHeight within 2 %:
// |Width / Height - PhotoWidth / PhotoHeight| <= 2 % of PhotoWidth / PhotoHeight. False for any side
// of 0 or less.
bool ProportionsMatch(int64_t Width, int64_t Height, int64_t PhotoWidth, int64_t PhotoHeight);

// The EXIF picture that Head (read Complete from the same Data) names, decoded, turned upright and
// checked against the photo's upright proportions, black bars cropped when needed. *Out receives a
// picture of 24 or 8 bits (freed with deldib); false with Out->Bits nullptr when there is no usable
// picture: none named, not a JPEG, damaged, larger than 1024 pixels a side, or of other proportions.
bool DecodeExifThumbnail(const uint8_t* Data, const TJpegHead& Head, TDib* Out);
