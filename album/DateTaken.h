#pragma once
// When a photo was taken, for sorting and for texts: the EXIF date of its file (ExifDate.h), or else
// the file's modification time. Also the file's modification time alone ("Dateidatum").
//
// Instant orders dates: seconds since 1970 in UTC. An EXIF date with its offset is placed exactly;
// one without is the camera's clock, taken as the computer's local time (the zone TZ names). The
// wall clock (Year .. Second) is what a text shows: the camera's clock as written, or the file's time
// in the computer's zone.

#include <cstdint>
#include <string>

struct TDateTaken {
  bool Known = false;     // false: no date at all (the file is missing or cannot be seen)
  bool FromExif = false;  // the EXIF date, not the file's time
  int64_t Instant = 0;
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// The EXIF date of FileName, or its modification time when it has none.
TDateTaken DateTakenOf(const std::string& FileName);
// The modification time of FileName.
TDateTaken FileDateOf(const std::string& FileName);
// Days from 1970-01-01 to the given day of the Gregorian calendar (negative before it).
int64_t DaysFromCivil(int64_t Year, int Month, int Day);
