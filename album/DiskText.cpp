#include "album/DiskText.h"

#include "platform/TextEncoding.h"

std::string TextToDisk(std::string_view Utf8) {
  std::string cp1252;
  // Windows-1252 bytes that happen to form valid UTF-8 ("Ã¤" gives C3 A4) would read back as another
  // text ("ä"); such a text is written as UTF-8, which reads back unchanged. Pure ASCII is both.
  if (Utf8ToCp1252(Utf8, cp1252) && (cp1252 == Utf8 || !IsValidUtf8(cp1252))) return cp1252;
  // Something had no Windows-1252 byte (or the text was not UTF-8 at all): keep the bytes as they are,
  // so nothing is lost.
  return std::string(Utf8);
}

std::string TextFromDisk(std::string_view Bytes) {
  if (IsValidUtf8(Bytes)) return std::string(Bytes);
  return Cp1252ToUtf8(Bytes);
}
