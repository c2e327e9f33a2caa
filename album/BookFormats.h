#pragma once
// The page sizes photo books come in, as "Format" offers them beside the free width and height, and
// as the command line's --format takes them.

#include <string_view>

struct TBookFormat {
  const char* Caption;  // as the window lists it
  const char* Name;     // on the command line
  double Width, Height; // mm
};

inline constexpr TBookFormat KBookFormats[] = {
    {"A4 hoch", "a4-hoch", 210, 297},   {"A4 quer", "a4-quer", 297, 210},
    {"A5", "a5", 148, 210},             {"21 x 21 cm", "21x21", 210, 210},
    {"30 x 30 cm", "30x30", 300, 300},  {"20 x 15 cm", "20x15", 200, 150},
    {"28 x 21 cm", "28x21", 280, 210},
};

// The format Text names: its name or caption, letter case, blanks, "-" and a trailing "cm" not
// counting ("A4 hoch", "a4-hoch", "A4", "21 x 21 cm", "21x21"); nullptr for none.
const TBookFormat* BookFormatNamed(std::string_view Text);
// The format of exactly Width x Height mm; nullptr for a free size.
const TBookFormat* BookFormatOfSize(double Width, double Height);
