#pragma once
// When a photo was taken, as its camera wrote it into the EXIF data of a JPEG, TIFF, HEIF or AVIF file: the tag
// DateTimeOriginal ("YYYY:MM:DD HH:MM:SS", the camera's clock) and, where present, OffsetTimeOriginal
// ("+HH:MM" or "-HH:MM", that clock's distance from UTC).
//
// Cameras with a clock never set write garbage: "0000:00:00 00:00:00", blanks, years such as 9999,
// text that is no date. Such a value counts as no date at all, so callers fall back to something else
// (the file's modification time). A date is taken when it is a real day of the Gregorian calendar in
// the years KFirstPhotoYear to KLastPhotoYear at a real time of day (seconds 0 to 59).

#include <cstdint>
#include <string>
#include <string_view>

constexpr int KFirstPhotoYear = 1800;
constexpr int KLastPhotoYear = 2999;

struct TExifDate {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  bool HasOffset = false;
  int OffsetMinutes = 0;  // east of UTC, when HasOffset
};

// "YYYY:MM:DD HH:MM:SS", possibly followed by NUL bytes or blanks, into Date's date and time (the
// offset is left alone). False, with Date unspecified, for anything else or a date that does not exist.
bool ParseExifDateTime(std::string_view Text, TExifDate& Date);
// "+HH:MM" or "-HH:MM" (hours 0 to 14, minutes 0 to 59), possibly followed by NUL bytes or blanks, as
// minutes east of UTC. False for anything else.
bool ParseExifOffset(std::string_view Text, int& Minutes);

// DateTimeOriginal and OffsetTimeOriginal from the EXIF data in Data, a JPEG's or TIFF's bytes (for a
// JPEG the segments before the first scan suffice). False when there is no usable DateTimeOriginal; an
// unusable offset only leaves HasOffset false. Reads nothing outside Data.
bool ExifDateTaken(const uint8_t* Data, size_t Size, TExifDate& Date);
// The same for a file, reading only what is needed: a JPEG's first KExifReadLimit bytes, a TIFF's
// header, its directories and the two values, a HEIF file's boxes and its EXIF item. False also when
// the file cannot be read.
bool ReadExifDateTaken(const std::string& FileName, TExifDate& Date);
constexpr size_t KExifReadLimit = 256 * 1024;
