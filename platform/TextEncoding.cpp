#include "platform/TextEncoding.h"

#include <array>
#include <cstdint>

namespace {

// Code points of the bytes 0x80..0x9F; the rest of Windows-1252 equals Latin-1.
constexpr std::array<char16_t, 32> KHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int UnicodeToCp1252(char32_t Cp) {
  if (Cp < 0x80 || (Cp >= 0xA0 && Cp <= 0xFF)) return static_cast<int>(Cp);
  for (size_t i = 0; i < KHigh.size(); ++i)
    if (KHigh[i] == Cp) return static_cast<int>(0x80 + i);
  return -1;
}

}  // namespace

void AppendUtf8(std::string& Out, char32_t Cp) {
  if (Cp < 0x80) {
    Out += static_cast<char>(Cp);
  } else if (Cp < 0x800) {
    Out += static_cast<char>(0xC0 | (Cp >> 6));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  } else if (Cp < 0x10000) {
    Out += static_cast<char>(0xE0 | (Cp >> 12));
    Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Cp >> 18));
    Out += static_cast<char>(0x80 | ((Cp >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Cp >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Cp & 0x3F));
  }
}

size_t DecodeUtf8(std::string_view Text, size_t Pos, char32_t& Cp) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(Text[Pos + i]); };
  const unsigned char lead = b(0);
  size_t len;
  if (lead < 0x80) {
    Cp = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
    Cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3;
    Cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
    Cp = lead & 0x07;
  } else {
    return 0;
  }
  if (Pos + len > Text.size()) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    Cp = (Cp << 6) | (b(i) & 0x3F);
  }
  if ((len == 3 && Cp < 0x800) || (len == 4 && (Cp < 0x10000 || Cp > 0x10FFFF))) return 0;
  if (Cp >= 0xD800 && Cp <= 0xDFFF) return 0;
  return len;
}

bool IsValidUtf8(std::string_view Text) {
  char32_t cp;
  for (size_t pos = 0; pos < Text.size();) {
    size_t len = DecodeUtf8(Text, pos, cp);
    if (len == 0) return false;
    pos += len;
  }
  return true;
}

bool Utf8ToCp1252(std::string_view Utf8, std::string& Out) {
  Out.clear();
  Out.reserve(Utf8.size());
  bool exact = true;
  char32_t cp;
  for (size_t pos = 0; pos < Utf8.size();) {
    size_t len = DecodeUtf8(Utf8, pos, cp);
    int byte = len ? UnicodeToCp1252(cp) : -1;
    if (byte < 0) {
      Out += '?';
      exact = false;
      pos += len ? len : 1;
    } else {
      Out += static_cast<char>(byte);
      pos += len;
    }
  }
  return exact;
}

std::string Utf8ToCp1252(std::string_view Utf8) {
  std::string out;
  Utf8ToCp1252(Utf8, out);
  return out;
}

char32_t Cp1252ToUnicode(unsigned char Byte) {
  return Byte >= 0x80 && Byte < 0xA0 ? KHigh[Byte - 0x80] : Byte;
}

std::string Cp1252ToUtf8(std::string_view Bytes) {
  std::string out;
  out.reserve(Bytes.size() + Bytes.size() / 4);
  for (unsigned char c : Bytes) AppendUtf8(out, Cp1252ToUnicode(c));
  return out;
}

bool FitsCp1252(std::string_view Text) {
  char32_t cp;
  for (size_t pos = 0; pos < Text.size();) {
    const unsigned char lead = static_cast<unsigned char>(Text[pos]);
    if (lead < 0x80) {  // the common case, without decoding
      ++pos;
      continue;
    }
    const size_t len = DecodeUtf8(Text, pos, cp);
    if (len == 0 || UnicodeToCp1252(cp) < 0) return false;
    pos += len;
  }
  return true;
}
