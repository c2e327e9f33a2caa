#pragma once
// Texts are UTF-8 inside the program. The PDF's WinAnsiEncoding and the album file use Windows-1252
// bytes; these functions convert at those boundaries.

#include <string>
#include <string_view>

// True when Text is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view Text);

// Decodes the UTF-8 sequence at Text[Pos] (Pos < Text.size()) into Cp; returns its length in bytes,
// 0 when it is malformed.
size_t DecodeUtf8(std::string_view Text, size_t Pos, char32_t& Cp);

// Appends the UTF-8 bytes of the code point Cp (up to U+10FFFF, surrogates not excluded).
void AppendUtf8(std::string& Out, char32_t Cp);

// True when every character of the well-formed UTF-8 Text has a Windows-1252 byte.
bool FitsCp1252(std::string_view Text);

// Converts UTF-8 to Windows-1252. A character without a Windows-1252 byte, and every byte of a
// malformed sequence, becomes '?'. Returns false when anything was replaced.
bool Utf8ToCp1252(std::string_view Utf8, std::string& Out);
std::string Utf8ToCp1252(std::string_view Utf8);

// Converts Windows-1252 to UTF-8. The five bytes 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the control characters of the same number, so every byte survives a round trip.
std::string Cp1252ToUtf8(std::string_view Bytes);

// The Unicode code point of a Windows-1252 byte.
char32_t Cp1252ToUnicode(unsigned char Byte);
