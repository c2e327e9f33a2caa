#include "album/ExifDate.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "imaging/pictaro/ByteReader.h"
#include "imaging/pictaro/Codecs.h"
#include "platform/UnixFile.h"

namespace {

constexpr uint16_t KExifPointer = 0x8769;
constexpr uint16_t KDateTimeOriginal = 0x9003;
constexpr uint16_t KOffsetTimeOriginal = 0x9011;
constexpr uint16_t KAscii = 2;
// No EXIF text we read is longer; a longer value is garbage.
constexpr uint32_t KLongestText = 64;

// Reads Size bytes at Offset of the TIFF structure; false when they are not all there.
using TReadAt = std::function<bool(uint64_t Offset, size_t Size, uint8_t* Out)>;

bool Digits(std::string_view Text, size_t At, size_t Count, int& Value) {
  Value = 0;
  for (size_t i = At; i < At + Count; ++i) {
    if (Text[i] < '0' || Text[i] > '9') return false;
    Value = Value * 10 + (Text[i] - '0');
  }
  return true;
}

// Text up to its first NUL, without blanks at its end.
std::string_view Trimmed(std::string_view Text) {
  Text = Text.substr(0, Text.find('\0'));
  while (!Text.empty() && Text.back() == ' ') Text.remove_suffix(1);
  return Text;
}

bool LeapYear(int Year) { return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0; }

int DaysInMonth(int Year, int Month) {
  static constexpr int KDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && LeapYear(Year) ? 29 : KDays[Month - 1];
}

// The TIFF structure's directories, read through Read.
class TTiffReader {
 public:
  explicit TTiffReader(TReadAt Read) : FRead(std::move(Read)) {}

  bool Open() {
    uint8_t head[8];
    if (!FRead(0, 8, head)) return false;
    if (std::memcmp(head, "II*\0", 4) == 0)
      FLittle = true;
    else if (std::memcmp(head, "MM\0*", 4) == 0)
      FLittle = false;
    else
      return false;
    FFirstDirectory = U32(head + 4);
    return true;
  }
  uint32_t FirstDirectory() const { return FFirstDirectory; }

  // The entry Tag of the directory at Offset: its type, count and the four bytes of its value or
  // value offset.
  bool Find(uint32_t Offset, uint16_t Tag, uint16_t& Type, uint32_t& Count, uint8_t Value[4]) {
    uint8_t countBytes[2];
    if (Offset < 8 || !FRead(Offset, 2, countBytes)) return false;
    const unsigned entries = U16(countBytes);
    std::vector<uint8_t> table(12 * size_t{entries});
    if (!FRead(uint64_t{Offset} + 2, table.size(), table.data())) return false;
    for (unsigned i = 0; i < entries; ++i) {
      const uint8_t* entry = table.data() + 12 * size_t{i};
      if (U16(entry) != Tag) continue;
      Type = U16(entry + 2);
      Count = U32(entry + 4);
      std::memcpy(Value, entry + 8, 4);
      return true;
    }
    return false;
  }

  // An ASCII entry's text, at most KLongestText bytes.
  bool Text(uint32_t Directory, uint16_t Tag, std::string& Out) {
    uint16_t type = 0;
    uint32_t count = 0;
    uint8_t value[4];
    if (!Find(Directory, Tag, type, count, value) || type != KAscii || count == 0 || count > KLongestText)
      return false;
    Out.resize(count);
    if (count <= 4) {
      std::memcpy(Out.data(), value, count);
      return true;
    }
    return FRead(U32(value), count, reinterpret_cast<uint8_t*>(Out.data()));
  }

  uint32_t U32(const uint8_t* p) const { return FLittle ? pictaro::Le32(p) : pictaro::Be32(p); }
  uint16_t U16(const uint8_t* p) const { return FLittle ? pictaro::Le16(p) : pictaro::Be16(p); }

 private:
  TReadAt FRead;
  bool FLittle = true;
  uint32_t FFirstDirectory = 0;
};

bool DateFromTiff(TReadAt Read, TExifDate& Date) {
  TTiffReader tiff(std::move(Read));
  if (!tiff.Open()) return false;
  uint16_t type = 0;
  uint32_t count = 0;
  uint8_t value[4];
  // The EXIF directory hangs off the first one: a LONG (4) or IFD (13) entry holding its offset.
  if (!tiff.Find(tiff.FirstDirectory(), KExifPointer, type, count, value) || (type != 4 && type != 13) ||
      count != 1)
    return false;
  const uint32_t exif = tiff.U32(value);
  std::string text;
  if (!tiff.Text(exif, KDateTimeOriginal, text) || !ParseExifDateTime(text, Date)) return false;
  Date.HasOffset = tiff.Text(exif, KOffsetTimeOriginal, text) && ParseExifOffset(text, Date.OffsetMinutes);
  if (!Date.HasOffset) Date.OffsetMinutes = 0;
  return true;
}

TReadAt MemoryReader(const uint8_t* Data, size_t Size) {
  return [Data, Size](uint64_t Offset, size_t Count, uint8_t* Out) {
    if (Offset > Size || Count > Size - Offset) return false;
    std::memcpy(Out, Data + Offset, Count);
    return true;
  };
}

}  // namespace

bool ParseExifDateTime(std::string_view Text, TExifDate& Date) {
  Text = Trimmed(Text);
  if (Text.size() != 19 || Text[4] != ':' || Text[7] != ':' || Text[10] != ' ' || Text[13] != ':' ||
      Text[16] != ':')
    return false;
  if (!Digits(Text, 0, 4, Date.Year) || !Digits(Text, 5, 2, Date.Month) || !Digits(Text, 8, 2, Date.Day) ||
      !Digits(Text, 11, 2, Date.Hour) || !Digits(Text, 14, 2, Date.Minute) ||
      !Digits(Text, 17, 2, Date.Second))
    return false;
  return Date.Year >= KFirstPhotoYear && Date.Year <= KLastPhotoYear && Date.Month >= 1 && Date.Month <= 12 &&
         Date.Day >= 1 && Date.Day <= DaysInMonth(Date.Year, Date.Month) && Date.Hour <= 23 &&
         Date.Minute <= 59 && Date.Second <= 59;
}

bool ParseExifOffset(std::string_view Text, int& Minutes) {
  Text = Trimmed(Text);
  int hours = 0, minutes = 0;
  if (Text.size() != 6 || (Text[0] != '+' && Text[0] != '-') || Text[3] != ':' ||
      !Digits(Text, 1, 2, hours) || !Digits(Text, 4, 2, minutes) || hours > 14 || minutes > 59)
    return false;
  Minutes = (hours * 60 + minutes) * (Text[0] == '-' ? -1 : 1);
  return true;
}

bool ExifDateTaken(const uint8_t* Data, size_t Size, TExifDate& Date) {
  const uint8_t* tiff = Data;
  size_t tiffSize = Size;
  if (Size >= 2 && Data[0] == 0xFF && Data[1] == 0xD8 &&
      !pictaro::JpegExifBlock(Data, Size, &tiff, &tiffSize))
    return false;
  return DateFromTiff(MemoryReader(tiff, tiffSize), Date);
}

bool ReadExifDateTaken(const std::string& FileName, TExifDate& Date) {
  TFd fd;
  uint64_t size = 0;
  if (OpenRegularFile(FileName.c_str(), fd, &size) != 0) return false;
  uint8_t head[2];
  if (!ReadAt(fd.Get(), 0, head, 2)) return false;
  if (head[0] == 0xFF && head[1] == 0xD8) {
    // The EXIF segment stands among the first segments, before any picture data.
    std::vector<uint8_t> start(static_cast<size_t>(std::min<uint64_t>(size, KExifReadLimit)));
    if (!ReadAt(fd.Get(), 0, start.data(), start.size())) return false;
    return ExifDateTaken(start.data(), start.size(), Date);
  }
  uint8_t brand[12];
  if (ReadAt(fd.Get(), 0, brand, sizeof brand) && pictaro::LooksLikeHeif(brand, sizeof brand)) {
    std::vector<uint8_t> tiff;
    return pictaro::HeifExifBlock(FileName.c_str(), tiff) &&
           DateFromTiff(MemoryReader(tiff.data(), tiff.size()), Date);
  }
  // A TIFF's directories may lie anywhere in the file: only they and the values are read.
  const int descriptor = fd.Get();
  return DateFromTiff(
      [descriptor, size](uint64_t Offset, size_t Count, uint8_t* Out) {
        return Offset <= size && Count <= size - Offset && ReadAt(descriptor, Offset, Out, Count);
      },
      Date);
}
