#include "album/DateTaken.h"

#include <sys/stat.h>

#include <ctime>

#include "album/ExifDate.h"

int64_t DaysFromCivil(int64_t Year, int Month, int Day) {
  Year -= Month <= 2;
  const int64_t era = (Year >= 0 ? Year : Year - 399) / 400;
  const int64_t yearOfEra = Year - era * 400;
  const int64_t dayOfYear = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

namespace {

int64_t InstantOf(const TExifDate& Date) {
  const int64_t wall = DaysFromCivil(Date.Year, Date.Month, Date.Day) * 86400 + Date.Hour * 3600 +
                       Date.Minute * 60 + Date.Second;
  if (Date.HasOffset) return wall - int64_t{Date.OffsetMinutes} * 60;
  std::tm local{};
  local.tm_year = Date.Year - 1900;
  local.tm_mon = Date.Month - 1;
  local.tm_mday = Date.Day;
  local.tm_hour = Date.Hour;
  local.tm_min = Date.Minute;
  local.tm_sec = Date.Second;
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  return t == static_cast<std::time_t>(-1) ? wall : static_cast<int64_t>(t);
}

}  // namespace

TDateTaken FileDateOf(const std::string& FileName) {
  TDateTaken date;
  struct stat st {};
  if (::stat(FileName.c_str(), &st) != 0) return date;
  std::tm local{};
  const std::time_t t = st.st_mtime;
  if (!localtime_r(&t, &local)) return date;
  date.Known = true;
  date.Instant = static_cast<int64_t>(st.st_mtime);
  date.Year = local.tm_year + 1900;
  date.Month = local.tm_mon + 1;
  date.Day = local.tm_mday;
  date.Hour = local.tm_hour;
  date.Minute = local.tm_min;
  date.Second = local.tm_sec;
  return date;
}

TDateTaken DateTakenOf(const std::string& FileName) {
  TExifDate exif;
  if (!ReadExifDateTaken(FileName, exif)) return FileDateOf(FileName);
  TDateTaken date;
  date.Known = date.FromExif = true;
  date.Instant = InstantOf(exif);
  date.Year = exif.Year;
  date.Month = exif.Month;
  date.Day = exif.Day;
  date.Hour = exif.Hour;
  date.Minute = exif.Minute;
  date.Second = exif.Second;
  return date;
}
