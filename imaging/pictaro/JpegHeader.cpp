// Following a JPEG file's markers without decoding: the frame header, the colour markers, and the
// coded data of each scan stepped over by its marker bytes up to the end-of-image marker.
#include "imaging/pictaro/JpegHeader.h"

#include <cstring>
#include <utility>
#include <vector>

#include "imaging/pictaro/ByteReader.h"
#include "imaging/pictaro/Codecs.h"

namespace {

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool IsFrameMarker(uint8_t Marker) {
  return Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 && Marker != 0xCC;
}

// The position of the next marker after coded data starting at P: a 0xFF followed by anything but a
// stuffed zero or a restart marker. Size when the data ends first.
size_t SkipCodedData(const uint8_t* Data, size_t Size, size_t P) {
  while (P < Size) {
    const void* ff = std::memchr(Data + P, 0xFF, Size - P);
    if (!ff) return Size;
    P = static_cast<size_t>(static_cast<const uint8_t*>(ff) - Data);
    if (P + 1 >= Size) return Size;
    const uint8_t next = Data[P + 1];
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
      P += 2;
      continue;
    }
    return P;
  }
  return Size;
}

}  // namespace

bool ReadJpegHeader(const uint8_t* Data, size_t Size, TJpegHeader& Header) {
  using pictaro::Be16;
  Header = TJpegHeader{};
  if (!Data || Size < 4 || Data[0] != 0xFF || Data[1] != 0xD8) return false;
  Header.Orientation = pictaro::JpegExifOrientation(Data, Size);
  bool frame = false, scan = false;
  size_t p = 2;
  // Each step moves forward, so this ends; anything that is not a marker where one belongs ends the
  // walk with the file counted as incomplete.
  while (p + 2 <= Size && Data[p] == 0xFF) {
    const uint8_t marker = Data[p + 1];
    if (marker == 0xFF) {  // fill byte
      ++p;
      continue;
    }
    if (marker == 0xD9) {  // end of image
      if (scan) Header.Length = p + 2;
      break;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a segment
      p += 2;
      continue;
    }
    if (marker == 0x00 || marker == 0xD8 || p + 4 > Size) break;
    const size_t length = Be16(Data + p + 2);
    if (length < 2 || length > Size - p - 2) break;
    const uint8_t* body = Data + p + 4;
    const size_t bodySize = length - 2;
    if (IsFrameMarker(marker) && !frame) {
      if (bodySize < 6) return false;
      Header.Process = marker - 0xC0;
      Header.Precision = body[0];
      Header.Height = Be16(body + 1);
      Header.Width = Be16(body + 3);
      Header.Components = body[5];
      if (bodySize < 6 + 3 * size_t(Header.Components)) return false;
      for (int i = 0; i < Header.Components && i < 4; ++i) Header.ComponentIds[i] = body[6 + 3 * i];
      frame = true;
    } else if (marker == 0xE0 && bodySize >= 14 && std::memcmp(body, "JFIF\0", 5) == 0) {
      // libjpeg, and the readers built on it, take a JFIF marker shorter than its 14 bytes for none.
      Header.Jfif = true;
    } else if (marker == 0xEE && bodySize >= 12 && std::memcmp(body, "Adobe", 5) == 0) {
      Header.AdobeTransform = body[11];
    } else if (marker == 0xDA) {
      if (!frame) return false;
      scan = true;
      p = SkipCodedData(Data, Size, p + 2 + length);
      continue;
    }
    p += 2 + length;
  }
  return frame;
}

bool ReadJpegIccProfile(const uint8_t* Data, size_t Size, std::string& Icc) {
  using pictaro::Be16;
  Icc.clear();
  if (!Data || Size < 4 || Data[0] != 0xFF || Data[1] != 0xD8) return false;
  static constexpr char Tag[] = "ICC_PROFILE";  // with its zero byte: 12 bytes
  // Each segment's part, by sequence number (1-based); at most 255 parts.
  std::vector<std::pair<const uint8_t*, size_t>> parts;
  int count = 0;
  size_t p = 2;
  while (p + 4 <= Size && Data[p] == 0xFF) {
    const uint8_t marker = Data[p + 1];
    if (marker == 0xFF) {
      ++p;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9 || marker == 0x00 || marker == 0xD8) break;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      p += 2;
      continue;
    }
    const size_t length = Be16(Data + p + 2);
    if (length < 2 || length > Size - p - 2) break;
    const uint8_t* body = Data + p + 4;
    const size_t bodySize = length - 2;
    if (marker == 0xE2 && bodySize >= 14 && std::memcmp(body, Tag, 12) == 0) {
      const int sequence = body[12], total = body[13];
      if (total == 0 || sequence == 0 || sequence > total || (count != 0 && total != count)) return false;
      if (count == 0) {
        count = total;
        parts.assign(static_cast<size_t>(count), {nullptr, 0});
      }
      auto& part = parts[static_cast<size_t>(sequence - 1)];
      if (part.first) return false;  // repeated
      part = {body + 14, bodySize - 14};
    }
    p += 2 + length;
  }
  if (count == 0) return false;
  size_t total = 0;
  for (const auto& part : parts) {
    if (!part.first) return false;  // missing
    total += part.second;
  }
  Icc.reserve(total);
  for (const auto& part : parts) Icc.append(reinterpret_cast<const char*>(part.first), part.second);
  return true;
}
