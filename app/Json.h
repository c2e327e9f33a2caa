#pragma once
// The little JSON the command line prints: strings and numbers written by hand.

#include <string>
#include <string_view>

// Text as a JSON string in quotes. UTF-8 stays as it is; quote and backslash are escaped, CR, LF and
// tab as \r, \n, \t, every other control character as \u00XX. Bytes that are not UTF-8 are read as
// Windows-1252, so the output is always valid JSON.
std::string JsonString(std::string_view Text);
// The shortest decimal form that reads back as the same double (finite values only).
std::string JsonNumber(double Value);
