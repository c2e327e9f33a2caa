#include "imaging/jbig2/Segments.h"

#include <limits>
#include <stdexcept>

#include "imaging/jbig2/GenericRegion.h"

namespace {

// All multi-byte fields are big-endian.
void Put32(std::string& Out, uint32_t Value) {
  Out.push_back(static_cast<char>(Value >> 24));
  Out.push_back(static_cast<char>(Value >> 16));
  Out.push_back(static_cast<char>(Value >> 8));
  Out.push_back(static_cast<char>(Value));
}
void Put16(std::string& Out, uint16_t Value) {
  Out.push_back(static_cast<char>(Value >> 8));
  Out.push_back(static_cast<char>(Value));
}
void Put8(std::string& Out, uint8_t Value) { Out.push_back(static_cast<char>(Value)); }

// Page flags: bit 0 "eventually lossless"; default pixel white (bit 2 clear), combination OR (bits 3-4
// zero), no refinement, no auxiliary buffers, operator not overridden.
constexpr uint8_t PageFlagLossless = 0x01;

std::string PageInformation(uint32_t Width, uint32_t Height) {
  std::string data;
  Put32(data, Width);
  Put32(data, Height);
  Put32(data, 0);  // resolution unknown; the PDF decides the size on paper
  Put32(data, 0);
  Put8(data, PageFlagLossless);
  Put16(data, 0);  // not striped: the height above is final
  return data;
}

std::string GenericRegionData(const uint8_t* PackedRows, int Width, int Height, size_t Stride) {
  std::string data;
  // Region information: size, position (0, 0) on the page, external combination operator OR.
  Put32(data, static_cast<uint32_t>(Width));
  Put32(data, static_cast<uint32_t>(Height));
  Put32(data, 0);
  Put32(data, 0);
  Put8(data, 0);
  // Generic region flags: MMR off (bit 0), template in bits 1-2, typical prediction in bit 3.
  Put8(data, static_cast<uint8_t>((GenericTemplate << 1) | (GenericTypicalPrediction ? 0x08 : 0)));
  for (int8_t at : GenericAdaptivePixels) Put8(data, static_cast<uint8_t>(at));
  data += EncodeGenericRegion(PackedRows, Width, Height, Stride);
  return data;
}

}  // namespace

void AppendSegment(std::string& Out, uint32_t Number, TJbig2SegmentType Type, uint32_t Page,
                   const std::string& Data) {
  // 0xFFFFFFFF would mean "length unknown", which only some region segments may use.
  if (Data.size() >= std::numeric_limits<uint32_t>::max()) throw std::length_error("segment too long");
  if (Page > 0xFF) throw std::invalid_argument("page number needs a four-byte association");
  Put32(Out, Number);
  Put8(Out, static_cast<uint8_t>(Type));  // flags: not deferred, one-byte page association
  Put8(Out, 0);                           // no referred-to segments, nothing retained
  Put8(Out, static_cast<uint8_t>(Page));
  Put32(Out, static_cast<uint32_t>(Data.size()));
  Out += Data;
}

std::string Jbig2EncodeGenericPage(const uint8_t* PackedRows, int Width, int Height, size_t Stride) {
  std::string region = GenericRegionData(PackedRows, Width, Height, Stride);  // checks the geometry
  std::string out;
  out.reserve(region.size() + 64);
  AppendSegment(out, 0, TJbig2SegmentType::PageInformation, 1,
                PageInformation(static_cast<uint32_t>(Width), static_cast<uint32_t>(Height)));
  AppendSegment(out, 1, TJbig2SegmentType::ImmediateLosslessGenericRegion, 1, region);
  return out;
}
