#include "album/SectionMarks.h"

#include <algorithm>
#include <unordered_map>

#include "album/PhotoEditing.h"

namespace {

const char* const KMonths[] = {"Januar", "Februar", "März",     "April",   "Mai",      "Juni",
                               "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
// From Thursday, the weekday of 1970-01-01.
const char* const KWeekdays[] = {"Donnerstag", "Freitag", "Samstag", "Sonntag",
                                 "Montag",     "Dienstag", "Mittwoch"};

bool ValidDay(int Year, int Month, int Day) { return Year > 0 && Month >= 1 && Month <= 12 && Day >= 1 && Day <= 31; }

std::string DayMonth(int Month, int Day) { return std::to_string(Day) + ". " + KMonths[Month - 1]; }

// The folder part of a path, without its last separator.
std::string_view FolderOf(std::string_view Path) {
  const size_t slash = Path.find_last_of('/');
  return slash == std::string_view::npos ? std::string_view() : Path.substr(0, slash);
}

// The identities of every photo, in one pass.
std::vector<TPhotoIdentity> Identities(const TAlbumModel& Album) {
  std::vector<TPhotoIdentity> out;
  out.reserve(Album.Pics.Count);
  std::unordered_map<std::string_view, uint32_t> seen;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const std::string_view file = EntryFileName(Album.Pics[static_cast<int32_t>(i)]);
    out.push_back({std::string(file), seen[file]++});
  }
  return out;
}

}  // namespace

TPhotoIdentity IdentityOf(const TAlbumModel& Album, uint32_t Place) {
  if (Place >= Album.Pics.Count) return {};
  const std::string_view file = EntryFileName(Album.Pics[static_cast<int32_t>(Place)]);
  uint32_t occurrence = 0;
  for (uint32_t i = 0; i < Place; ++i)
    if (EntryFileName(Album.Pics[static_cast<int32_t>(i)]) == file) ++occurrence;
  return {std::string(file), occurrence};
}

int32_t PlaceOf(const TAlbumModel& Album, const TPhotoIdentity& Identity) {
  if (Identity.Empty()) return -1;
  uint32_t occurrence = 0;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i)
    if (EntryFileName(Album.Pics[static_cast<int32_t>(i)]) == Identity.File && occurrence++ == Identity.Occurrence)
      return static_cast<int32_t>(i);
  return -1;
}

namespace {

std::vector<std::string> FilesOf(const TAlbumModel& Album) {
  std::vector<std::string> files;
  files.reserve(Album.Pics.Count);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) files.emplace_back(EntryFileName(Album.Pics[static_cast<int32_t>(i)]));
  return files;
}

}  // namespace

std::vector<int32_t> MarkPlaces(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks) {
  if (Marks.empty()) return {};
  return MarkPlaces(FilesOf(Album), Marks);
}

std::vector<int32_t> MarkPlaces(const std::vector<std::string>& Files, const std::vector<TSectionMark>& Marks) {
  std::vector<int32_t> places(Marks.size(), -1);
  if (Marks.empty()) return places;
  // One pass over the photos: marks are looked up by identity.
  std::unordered_map<std::string, std::unordered_map<uint32_t, int32_t>> where;
  for (const TSectionMark& mark : Marks) where[mark.Photo.File][mark.Photo.Occurrence] = -1;
  std::unordered_map<std::string_view, uint32_t> seen;
  for (uint32_t i = 0; i < Files.size(); ++i) {
    const std::string_view file = Files[i];
    const uint32_t occurrence = seen[file]++;
    const auto byFile = where.find(std::string(file));
    if (byFile == where.end()) continue;
    const auto byOccurrence = byFile->second.find(occurrence);
    if (byOccurrence != byFile->second.end()) byOccurrence->second = static_cast<int32_t>(i);
  }
  for (size_t k = 0; k < Marks.size(); ++k) places[k] = where[Marks[k].Photo.File][Marks[k].Photo.Occurrence];
  return places;
}

std::string SectionDateTitle(int Year, int Month, int Day) {
  if (!ValidDay(Year, Month, Day)) return {};
  const int64_t days = DaysFromCivil(Year, Month, Day);
  const int64_t weekday = ((days % 7) + 7) % 7;
  return std::string(KWeekdays[weekday]) + ", " + DayMonth(Month, Day) + " " + std::to_string(Year);
}

std::string DateRangeText(const std::vector<TDateTaken>& Dates) {
  const TDateTaken* first = nullptr;
  const TDateTaken* last = nullptr;
  int64_t firstDay = 0, lastDay = 0;
  for (const TDateTaken& date : Dates) {
    if (!date.Known || !ValidDay(date.Year, date.Month, date.Day)) continue;
    const int64_t day = DaysFromCivil(date.Year, date.Month, date.Day);
    if (!first || day < firstDay) first = &date, firstDay = day;
    if (!last || day > lastDay) last = &date, lastDay = day;
  }
  if (!first) return {};
  const std::string lastText = DayMonth(last->Month, last->Day) + " " + std::to_string(last->Year);
  if (firstDay == lastDay) return lastText;
  const std::string firstText =
      DayMonth(first->Month, first->Day) + (first->Year == last->Year ? "" : " " + std::to_string(first->Year));
  return firstText + " \xE2\x80\x93 " + lastText;
}

std::vector<TSectionStart> ResolveSections(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks,
                                           const TDateLookup& Date) {
  if (Marks.empty()) return {};
  return ResolveSections(FilesOf(Album), Marks, Date);
}

std::vector<TSectionStart> ResolveSections(const std::vector<std::string>& Files,
                                           const std::vector<TSectionMark>& Marks, const TDateLookup& Date) {
  const std::vector<int32_t> places = MarkPlaces(Files, Marks);
  std::vector<std::pair<int32_t, size_t>> order;  // place, mark
  for (size_t k = 0; k < Marks.size(); ++k)
    if (places[k] >= 0) order.emplace_back(places[k], k);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& A, const auto& B) { return A.first < B.first; });
  std::vector<TSectionStart> sections;
  for (const auto& [place, mark] : order) {
    if (!sections.empty() && sections.back().First == static_cast<uint32_t>(place)) continue;
    sections.push_back({static_cast<uint32_t>(place), Marks[mark].Title});
  }
  for (size_t n = 0; n < sections.size(); ++n) {
    TSectionStart& section = sections[n];
    // A title of blanks alone is as empty as none.
    if (section.Title.find_first_not_of(" \t\r\n") != std::string::npos) continue;
    section.Title.clear();
    if (Date) {
      const TDateTaken date = Date(section.First);
      if (date.Known) section.Title = SectionDateTitle(date.Year, date.Month, date.Day);
    }
    if (section.Title.empty()) section.Title = "Abschnitt " + std::to_string(n + 1);
  }
  return sections;
}

std::vector<TSectionMark> MarksFromDates(const TAlbumModel& Album, const std::vector<TDateTaken>& Dates,
                                         int GapDays) {
  std::vector<TSectionMark> marks;
  const uint32_t count = std::min<uint32_t>(Album.Pics.Count, static_cast<uint32_t>(Dates.size()));
  if (count == 0) return marks;
  const std::vector<TPhotoIdentity> ids = Identities(Album);
  const int64_t gap = std::max(1, GapDays);
  bool havePrevious = false;
  int64_t previousDay = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const TDateTaken& date = Dates[i];
    const bool dated = date.Known && ValidDay(date.Year, date.Month, date.Day);
    const int64_t day = dated ? DaysFromCivil(date.Year, date.Month, date.Day) : 0;
    const bool begins = i == 0 || (dated && havePrevious && (day - previousDay >= gap || previousDay - day >= gap));
    if (begins) marks.push_back({ids[i], dated ? SectionDateTitle(date.Year, date.Month, date.Day) : std::string()});
    // A first section that begins undated takes its title from its first dated photo.
    if (dated && !havePrevious && marks.size() == 1 && marks[0].Title.empty())
      marks[0].Title = SectionDateTitle(date.Year, date.Month, date.Day);
    if (dated) {
      havePrevious = true;
      previousDay = day;
    }
  }
  return marks;
}

std::vector<TSectionMark> MarksFromFolders(const TAlbumModel& Album) {
  std::vector<TSectionMark> marks;
  const std::vector<TPhotoIdentity> ids = Identities(Album);
  for (uint32_t i = 0; i < ids.size(); ++i) {
    const std::string_view folder = FolderOf(ids[i].File);
    if (i > 0 && FolderOf(ids[i - 1].File) == folder) continue;
    const std::string_view name = FileNamePart(folder);
    marks.push_back({ids[i], std::string(name.empty() ? folder : name)});
  }
  return marks;
}

std::vector<TSectionMark> MarksAfterRemoval(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks,
                                            const std::vector<int32_t>& Places,
                                            const std::vector<uint32_t>& Removed) {
  std::vector<TSectionMark> out;
  if (Album.Pics.Count == 0) return out;
  struct TMoved {
    uint32_t Place;  // after the removal
    bool Stayed;     // its photo is still there
    std::string Title;
  };
  std::vector<TMoved> moved;
  for (size_t k = 0; k < Marks.size() && k < Places.size(); ++k) {
    if (Places[k] < 0) continue;
    const uint32_t place = static_cast<uint32_t>(Places[k]);
    // Photos removed before the mark's place, and whether its own photo is one of them.
    const auto at = std::lower_bound(Removed.begin(), Removed.end(), place);
    const uint32_t before = static_cast<uint32_t>(at - Removed.begin());
    // The next photo that stayed stands, after the removal, where the removed ones before it left it.
    const uint32_t now = std::min(place - before, Album.Pics.Count - 1);
    const bool stayed = at == Removed.end() || *at != place;
    moved.push_back({now, stayed, Marks[k].Title});
  }
  std::stable_sort(moved.begin(), moved.end(), [](const TMoved& A, const TMoved& B) { return A.Place < B.Place; });
  const std::vector<TPhotoIdentity> ids = Identities(Album);
  bool lastStayed = false;
  for (const TMoved& mark : moved) {
    if (!out.empty() && out.back().Photo == ids[mark.Place]) {
      // The photo's own mark wins over one that moved onto it.
      if (mark.Stayed && !lastStayed) out.back().Title = mark.Title, lastStayed = true;
      continue;
    }
    out.push_back({ids[mark.Place], mark.Title});
    lastStayed = mark.Stayed;
  }
  return out;
}

void SetSectionMark(const TAlbumModel& Album, std::vector<TSectionMark>& Marks, uint32_t Place,
                    const std::string& Title) {
  if (Place >= Album.Pics.Count) return;
  const TPhotoIdentity id = IdentityOf(Album, Place);
  for (TSectionMark& mark : Marks)
    if (mark.Photo == id) {
      mark.Title = Title;
      return;
    }
  const std::vector<int32_t> places = MarkPlaces(Album, Marks);
  size_t at = 0;
  while (at < Marks.size() && places[at] >= 0 && static_cast<uint32_t>(places[at]) < Place) ++at;
  Marks.insert(Marks.begin() + static_cast<std::ptrdiff_t>(at), {id, Title});
}

bool RemoveSectionMark(const TAlbumModel& Album, std::vector<TSectionMark>& Marks, uint32_t Place) {
  const TPhotoIdentity id = IdentityOf(Album, Place);
  const auto it = std::find_if(Marks.begin(), Marks.end(), [&id](const TSectionMark& M) { return M.Photo == id; });
  if (it == Marks.end() || id.Empty()) return false;
  Marks.erase(it);
  return true;
}
