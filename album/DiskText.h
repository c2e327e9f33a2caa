#pragma once
// The encoding of texts (file names, photo texts, font face names) inside the album file.
//
// Writing: a text whose every character has a Windows-1252 byte is written in Windows-1252, so albums
// stay readable by programs that only know that code page; any other text is written as UTF-8 unchanged.
// So is a text whose Windows-1252 bytes would themselves read as valid UTF-8 (rare: "Ã¤" and the
// like), because reading would take them for UTF-8; every text thus reads back exactly as written.
// Reading: bytes that form valid UTF-8 are taken as UTF-8, anything else as Windows-1252. Pure ASCII
// is the same either way.

#include <string>
#include <string_view>

std::string TextToDisk(std::string_view Utf8);
std::string TextFromDisk(std::string_view Bytes);
