#pragma once
// Breaking a photo text into the lines printed under its picture, as a word-wrapping text box of a
// given width shows it: CR LF, a lone CR and a lone LF end a line; longer lines wrap at blanks, and a
// word wider than the box is broken between characters; an empty last line is not counted, and an
// empty text gives no lines. A text with characters outside Windows-1252 wraps where the Unicode line
// breaking rules allow (after blanks, between Chinese and Japanese characters, after hyphens), a word
// too wide for the box between the characters a reader sees (never inside a letter with its marks).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The width of a text in the wrapping font, in the same unit as the box width.
using TMeasure = std::function<int32_t(std::string_view)>;

// Text and the lines are UTF-8; a line never splits a multi-byte character.
std::vector<std::string> BreakTextLines(std::string_view Text, int32_t Width, const TMeasure& Measure);
