#include "album/BookFormats.h"

#include <string>

namespace {

// Lower case without blanks, "-" and a trailing "cm".
std::string Plain(std::string_view Text) {
  std::string out;
  for (char c : Text) {
    if (c == ' ' || c == '-' || c == '\t') continue;
    out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  if (out.size() > 2 && out.compare(out.size() - 2, 2, "cm") == 0) out.resize(out.size() - 2);
  return out;
}

}  // namespace

const TBookFormat* BookFormatNamed(std::string_view Text) {
  const std::string plain = Plain(Text);
  if (plain.empty()) return nullptr;
  // "A4" alone is the upright one.
  if (plain == "a4") return &KBookFormats[0];
  for (const TBookFormat& format : KBookFormats)
    if (plain == Plain(format.Name) || plain == Plain(format.Caption)) return &format;
  return nullptr;
}

const TBookFormat* BookFormatOfSize(double Width, double Height) {
  for (const TBookFormat& format : KBookFormats)
    if (format.Width == Width && format.Height == Height) return &format;
  return nullptr;
}
