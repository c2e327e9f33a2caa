#pragma once
// The segments of a one-page JBIG2 stream in the embedded form that PDF's JBIG2Decode filter takes:
// no file header, the page's segments one after another, page association 1.

#include <cstddef>
#include <cstdint>
#include <string>

// Segment types this encoder writes.
enum class TJbig2SegmentType : uint8_t {
  ImmediateLosslessGenericRegion = 39,
  PageInformation = 48,
};

// Appends a segment header (no referred-to segments, one-byte page association) and Data to Out.
// Throws std::length_error when Data is longer than a segment can say (4 GiB - 2).
void AppendSegment(std::string& Out, uint32_t Number, TJbig2SegmentType Type, uint32_t Page,
                   const std::string& Data);

// The whole page stream for a bitmap: page information (Width x Height, lossless, white default) and
// one immediate lossless generic region covering the page. No end-of-page segment: the embedded form
// leaves it out (the stream's end ends the page), and some PDF readers complain about one.
// Bitmap layout and preconditions as for EncodeGenericRegion (GenericRegion.h): packed rows, top row
// first, most significant bit leftmost, 1 = black; throws std::invalid_argument on bad geometry.
std::string Jbig2EncodeGenericPage(const uint8_t* PackedRows, int Width, int Height, size_t Stride);
