#include "app/Json.h"

#include <charconv>
#include <cstdio>

#include "platform/TextEncoding.h"

std::string JsonString(std::string_view Text) {
  const std::string utf8 = IsValidUtf8(Text) ? std::string(Text) : Cp1252ToUtf8(Text);
  std::string out = "\"";
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
  return out;
}

std::string JsonNumber(double Value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, Value);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}
