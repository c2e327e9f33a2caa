#include "export/TextLines.h"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <memory>

#include "platform/TextEncoding.h"

namespace {

struct TBreakCloser {
  void operator()(UBreakIterator* Breaks) const { ubrk_close(Breaks); }
};
struct TTextCloser {
  void operator()(UText* Text) const { utext_close(Text); }
};
using TBreaks = std::unique_ptr<UBreakIterator, TBreakCloser>;

// The break opportunities of Text (UTF-8) after its start, ascending, Text.size() last: where the
// Unicode line breaking rules allow a line to end (UBRK_LINE), or between characters as the user sees
// them (UBRK_CHARACTER). Without ICU's data only the end.
std::vector<size_t> BreakPositions(std::string_view Text, UBreakIteratorType Kind) {
  std::vector<size_t> positions;
  UErrorCode error = U_ZERO_ERROR;
  std::unique_ptr<UText, TTextCloser> text(
      utext_openUTF8(nullptr, Text.data(), static_cast<int64_t>(Text.size()), &error));
  TBreaks breaks(ubrk_open(Kind, "", nullptr, 0, &error));
  if (U_SUCCESS(error)) ubrk_setUText(breaks.get(), text.get(), &error);
  if (U_SUCCESS(error))
    for (int32_t at = ubrk_following(breaks.get(), 0); at != UBRK_DONE; at = ubrk_next(breaks.get()))
      positions.push_back(static_cast<size_t>(at));
  if (positions.empty() || positions.back() != Text.size()) positions.push_back(Text.size());
  return positions;
}

std::string_view TrimBlanks(std::string_view Line) {
  while (!Line.empty() && Line.back() == ' ') Line.remove_suffix(1);
  // U+3000, the ideographic space, ends lines of Chinese and Japanese text.
  while (Line.size() >= 3 && Line.substr(Line.size() - 3) == "\xE3\x80\x80") Line.remove_suffix(3);
  return Line;
}

// Wraps one paragraph of text outside Windows-1252: lines end at the opportunities the Unicode line
// breaking rules give (after blanks, between Chinese or Japanese characters, after hyphens, ...), the
// longest that fits taken each time; a word wider than the box is broken between characters.
void WrapParagraphAnyScript(std::string_view Para, int32_t Width, const TMeasure& Measure,
                            std::vector<std::string>& Lines) {
  if (Para.empty()) {
    Lines.emplace_back();
    return;
  }
  const std::vector<size_t> breaks = BreakPositions(Para, UBRK_LINE);
  size_t pos = 0, next = 0;  // next: the first opportunity after pos
  while (pos < Para.size()) {
    while (breaks[next] <= pos) ++next;
    size_t end = 0;
    for (size_t k = next; k < breaks.size(); ++k) {
      if (Measure(TrimBlanks(Para.substr(pos, breaks[k] - pos))) > Width) break;
      end = breaks[k];
    }
    if (end == 0) {
      // Not even the first word fits: as many characters as fit, at least one.
      const std::string_view word = Para.substr(pos, breaks[next] - pos);
      for (size_t cut : BreakPositions(word, UBRK_CHARACTER)) {
        if (end > 0 && Measure(word.substr(0, cut)) > Width) break;
        end = cut;
      }
      end += pos;
    }
    Lines.emplace_back(TrimBlanks(Para.substr(pos, end - pos)));
    pos = end;
    while (pos < Para.size() && Para[pos] == ' ') ++pos;  // blanks at a wrap are swallowed
  }
}

// Length of the UTF-8 character starting at Text[Pos].
size_t CharLength(std::string_view Text, size_t Pos) {
  const unsigned char c = static_cast<unsigned char>(Text[Pos]);
  size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return Pos + len <= Text.size() ? len : Text.size() - Pos;
}

// Wraps one paragraph (no line breaks inside) of Windows-1252 text into Lines.
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
  // Texts that fit Windows-1252 wrap at blanks exactly as they always have; others by Unicode's rules.
  const auto Wrap = FitsCp1252(Text) ? WrapParagraph : WrapParagraphAnyScript;
  size_t start = 0;
  while (start <= Text.size()) {
    size_t brk = Text.find_first_of("\r\n", start);
    if (brk == std::string_view::npos) {
      if (start < Text.size()) Wrap(Text.substr(start), Width, Measure, lines);
      break;  // an empty last line is not counted
    }
    Wrap(Text.substr(start, brk - start), Width, Measure, lines);
    start = brk + ((Text[brk] == '\r' && brk + 1 < Text.size() && Text[brk + 1] == '\n') ? 2 : 1);
  }
  return lines;
}
