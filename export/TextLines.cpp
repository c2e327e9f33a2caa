#include "export/TextLines.h"

namespace {

// Length of the UTF-8 character starting at Text[Pos].
size_t CharLength(std::string_view Text, size_t Pos) {
  const unsigned char c = static_cast<unsigned char>(Text[Pos]);
  size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return Pos + len <= Text.size() ? len : Text.size() - Pos;
}

// Wraps one paragraph (no line breaks inside) into Lines.
void WrapParagraph(std::string_view Para, int32_t Width, const TMeasure& Measure,
                   std::vector<std::string>& Lines) {
  if (Para.empty()) {
    Lines.emplace_back();
    return;
  }
  size_t pos = 0;
  while (pos < Para.size()) {
    // The longest run from pos that fits, ending at a blank if there is one.
    size_t end = pos;      // end of what fits so far
    size_t lastBreak = 0;  // end of the last word that fits (0: none yet)
    while (end < Para.size()) {
      const size_t next = end + CharLength(Para, end);
      if (Measure(Para.substr(pos, next - pos)) > Width && end > pos) break;
      if (Para[end] == ' ' && end > pos) lastBreak = end;
      end = next;
    }
    if (end < Para.size() && lastBreak > pos && Para[end] != ' ') end = lastBreak;
    std::string_view line = Para.substr(pos, end - pos);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    Lines.emplace_back(line);
    pos = end;
    while (pos < Para.size() && Para[pos] == ' ') ++pos;  // blanks at a wrap are swallowed
  }
}

}  // namespace

std::vector<std::string> BreakTextLines(std::string_view Text, int32_t Width, const TMeasure& Measure) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t brk = Text.find_first_of("\r\n", start);
    if (brk == std::string_view::npos) {
      if (start < Text.size()) WrapParagraph(Text.substr(start), Width, Measure, lines);
      break;  // an empty last line is not counted
    }
    WrapParagraph(Text.substr(start, brk - start), Width, Measure, lines);
    start = brk + ((Text[brk] == '\r' && brk + 1 < Text.size() && Text[brk + 1] == '\n') ? 2 : 1);
  }
  return lines;
}
