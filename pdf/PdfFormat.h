#pragma once
// The small text forms of the PDF writer: numbers, colours, padded offsets, the width scale, literal
// string bodies and font names. All are locale-independent (the decimal separator is always a point)
// and append to a caller's string, so the content operators build their lines without temporaries.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FontMetrics.h"

// The first line of every document, and where its version number stands in it: a document that needs a
// later version has those three bytes replaced when it ends.
constexpr std::string_view KPdfHeader = "%PDF-1.3";
constexpr uint64_t KPdfVersionOffset = 5;

// Appends V in plain decimal: a minus sign when negative, no leading zeros.
void AppendInt(std::string& Out, int64_t V);

// The colour byte V as V / 255 in the shortest decimal form of at most 15 significant digits, without
// exponent or trailing zeros: 0 -> "0", 51 -> "0.2", 128 -> "0.501960784313725", 255 -> "1".
std::string_view FormatColorComponent(uint8_t V);

// Appends the red, green and blue components of a 0x00BBGGRR colour, separated by single blanks. The
// top byte is not looked at.
void AppendColor(std::string& Out, uint32_t Color);

// Appends V / 1000 in the shortest decimal form: 1500 -> "1.5", -250 -> "-0.25", 2000 -> "2".
void AppendThousandths(std::string& Out, int64_t V);

// Appends the low 16 bits of V as four upper-case hexadecimal digits.
void AppendHex4(std::string& Out, uint32_t V);

// Appends Text (UTF-8) as hexadecimal UTF-16BE, without brackets; malformed bytes as U+FFFD.
void AppendUtf16Hex(std::string& Out, std::string_view Text);

// S with "0" characters put in front until it is Width characters long; a longer S is unchanged.
std::string ZeroPad(std::string_view S, size_t Width);

// The width scale from pixels at a 12-pixel em to thousandths of an em: V * 1000 / 12 truncated
// towards zero, and one unit closer to zero again when V is a non-zero multiple of 3 (a product that
// would be whole comes out just below it). T(12) = 999, T(3) = 249, T(-2) = -166, T(0) = 0.
int64_t WidthScale(int64_t V);

// Appends the Windows-1252 bytes of Text as the body of a PDF literal string: backslash and
// parentheses escaped, the five control characters with letter escapes as letters, every other byte
// below 32 as three octal digits, bytes 32 to 255 as they are.
void AppendEscapedText(std::string& Out, std::string_view Text);
std::string EscapeText(std::string_view Text);

// The PDF name (without "/") of a font: Name (UTF-8) in Windows-1252 with every byte that is not a
// regular name character written as "#" and two upper-case hex digits, byte 0 dropped, then ",Bold",
// ",Italic" or ",BoldItalic" after the style; underline and strike-out add nothing.
std::string BaseFontName(std::string_view Name, TFontStyles Style);
