#pragma once
// Reading entries of a TIFF structure's image file directories (IFDs) in place, as TIFF files and the
// EXIF block of JPEG files hold them. Every offset is checked against the structure's size.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/pictaro/ByteReader.h"

namespace pictaro {

class TTiffView {
 public:
  // False when Data does not start with a TIFF header ("II*\0" or "MM\0*").
  bool Open(const uint8_t* Data, size_t Size) {
    FData = Data, FSize = Size;
    if (Size < 8) return false;
    if (std::memcmp(Data, "II*\0", 4) == 0)
      FLittle = true;
    else if (std::memcmp(Data, "MM\0*", 4) == 0)
      FLittle = false;
    else
      return false;
    return true;
  }

  // The first IFD's offset; 0 when it lies outside the structure.
  uint32_t FirstIfd() const { return Checked(U32(4)); }
  // The offset of the IFD after the one at Ifd; 0 when there is none or it lies outside.
  uint32_t NextIfd(uint32_t Ifd) const {
    if (!Ifd) return 0;
    const size_t end = Ifd + 2 + 12 * size_t{U16(Ifd)};
    return end + 4 <= FSize ? Checked(U32(end)) : 0;
  }
  // The value of tag Tag in the IFD at Ifd when it is one SHORT (or, unless ShortOnly, one LONG),
  // stored in the entry itself.
  bool Value(uint32_t Ifd, uint16_t Tag, uint32_t& Value, bool ShortOnly = false) const {
    if (!Ifd) return false;
    const unsigned count = U16(Ifd);
    for (unsigned i = 0; i < count; ++i) {
      const size_t entry = Ifd + 2 + 12 * size_t{i};
      if (entry + 12 > FSize) return false;
      if (U16(entry) != Tag) continue;
      const unsigned type = U16(entry + 2);
      if (U32(entry + 4) < 1 || !(type == 3 || (type == 4 && !ShortOnly))) return false;
      Value = type == 3 ? U16(entry + 8) : U32(entry + 8);
      return true;
    }
    return false;
  }

 private:
  uint16_t U16(size_t At) const { return FLittle ? Le16(FData + At) : Be16(FData + At); }
  uint32_t U32(size_t At) const { return FLittle ? Le32(FData + At) : Be32(FData + At); }
  // An IFD offset whose entry count can be read.
  uint32_t Checked(uint32_t Ifd) const { return Ifd >= 8 && Ifd <= FSize - 2 ? Ifd : 0; }

  const uint8_t* FData = nullptr;
  size_t FSize = 0;
  bool FLittle = true;
};

}  // namespace pictaro
