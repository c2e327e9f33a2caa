#include "pdf/PdfFormat.h"

#include <array>
#include <charconv>
#include <cstring>

#include "platform/TextEncoding.h"

void AppendInt(std::string& Out, int64_t V) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, V);
  Out.append(buf, res.ptr);
}

namespace {

// The 256 component texts, made once; std::to_chars never consults the locale.
struct TComponentTable {
  std::array<char[24], 256> Text;
  std::array<uint8_t, 256> Length;
  TComponentTable() {
    for (int v = 0; v < 256; ++v) {
      char* begin = Text[v];
      auto res = std::to_chars(begin, begin + sizeof Text[v] - 1, v / 255.0, std::chars_format::general, 15);
      Length[v] = static_cast<uint8_t>(res.ptr - begin);
    }
  }
};

const TComponentTable& ComponentTable() {
  static const TComponentTable table;
  return table;
}

}  // namespace

std::string_view FormatColorComponent(uint8_t V) {
  const TComponentTable& t = ComponentTable();
  return {t.Text[V], t.Length[V]};
}

void AppendColor(std::string& Out, uint32_t Color) {
  Out += FormatColorComponent(static_cast<uint8_t>(Color));
  Out += ' ';
  Out += FormatColorComponent(static_cast<uint8_t>(Color >> 8));
  Out += ' ';
  Out += FormatColorComponent(static_cast<uint8_t>(Color >> 16));
}

std::string ZeroPad(std::string_view S, size_t Width) {
  std::string out;
  if (S.size() < Width) out.assign(Width - S.size(), '0');
  out += S;
  return out;
}

int64_t WidthScale(int64_t V) {
  int64_t q = V * 1000 / 12;
  if (V != 0 && V % 3 == 0) q += V > 0 ? -1 : 1;
  return q;
}

void AppendEscapedText(std::string& Out, std::string_view Text) {
  for (char c : Text) {
    unsigned char b = static_cast<unsigned char>(c);
    switch (b) {
      case '\\': Out += "\\\\"; break;
      case '(': Out += "\\("; break;
      case ')': Out += "\\)"; break;
      case 8: Out += "\\b"; break;
      case 9: Out += "\\t"; break;
      case 10: Out += "\\n"; break;
      case 12: Out += "\\f"; break;
      case 13: Out += "\\r"; break;
      default:
        if (b >= 32) {
          Out += c;
        } else {
          const char octal[4] = {'\\', static_cast<char>('0' + (b >> 6)),
                                 static_cast<char>('0' + ((b >> 3) & 7)), static_cast<char>('0' + (b & 7))};
          Out.append(octal, 4);
        }
    }
  }
}

std::string EscapeText(std::string_view Text) {
  std::string out;
  out.reserve(Text.size() + 8);
  AppendEscapedText(out, Text);
  return out;
}

std::string BaseFontName(std::string_view Name, TFontStyles Style) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : Utf8ToCp1252(Name)) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == 0) continue;
    if (b >= 33 && b <= 126 && !std::strchr("%()<>[]{}/#", c)) {
      out += c;
    } else {
      out += '#';
      out += hex[b >> 4];
      out += hex[b & 15];
    }
  }
  bool bold = Style & fsBold, italic = Style & fsItalic;
  if (bold && italic)
    out += ",BoldItalic";
  else if (italic)
    out += ",Italic";
  else if (bold)
    out += ",Bold";
  return out;
}

void AppendThousandths(std::string& Out, int64_t V) {
  if (V < 0) Out += '-';
  const uint64_t magnitude = V < 0 ? 0 - static_cast<uint64_t>(V) : static_cast<uint64_t>(V);
  AppendInt(Out, static_cast<int64_t>(magnitude / 1000));
  unsigned fraction = static_cast<unsigned>(magnitude % 1000);
  if (fraction == 0) return;
  Out += '.';
  for (unsigned digit = 100; fraction != 0; digit /= 10) {
    Out += static_cast<char>('0' + fraction / digit);
    fraction %= digit;
  }
}

void AppendHex4(std::string& Out, uint32_t V) {
  static const char hex[] = "0123456789ABCDEF";
  for (int shift = 12; shift >= 0; shift -= 4) Out += hex[(V >> shift) & 0xF];
}

void AppendUtf16Hex(std::string& Out, std::string_view Text) {
  for (size_t pos = 0; pos < Text.size();) {
    char32_t c = 0;
    size_t length = DecodeUtf8(Text, pos, c);
    if (length == 0) c = 0xFFFD, length = 1;
    pos += length;
    if (c > 0xFFFF) {
      AppendHex4(Out, 0xD7C0 + (c >> 10));
      AppendHex4(Out, 0xDC00 + (c & 0x3FF));
    } else {
      AppendHex4(Out, c);
    }
  }
}
