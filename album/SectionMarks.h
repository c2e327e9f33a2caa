#pragma once
// Sections of an album: finding the photos their marks name, making marks all at once from the photos'
// dates or folders, the titles a section shows, and keeping marks when photos are deleted.
//
// A mark names its photo by identity (BookSettings.h). Marks whose photo is not in the album, and a
// second mark on the same photo, are passed over; the first photo always begins a section when any
// photo does (the photos before the first mark form no section of their own: they follow the title
// and contents pages untitled).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "album/AlbumModel.h"
#include "album/BookSettings.h"
#include "album/DateTaken.h"

// The identity of the photo at Place (from 0) of Album.
TPhotoIdentity IdentityOf(const TAlbumModel& Album, uint32_t Place);
// The place of the photo named by Identity; -1 when there is none.
int32_t PlaceOf(const TAlbumModel& Album, const TPhotoIdentity& Identity);

// A section as the export and the window see it: it begins at photo First (a place from 0).
struct TSectionStart {
  uint32_t First = 0;
  std::string Title;  // never empty: the mark's title, or its fallback
};

// How an untitled section is named: from its first photo's date when that is known, else "Abschnitt N"
// (N counted from 1 over the sections).
using TDateLookup = std::function<TDateTaken(uint32_t Place)>;

// The sections of Album as Marks name them, in album order, with their titles. Date gives the dates
// for the fallback titles; it is asked only for untitled sections.
std::vector<TSectionStart> ResolveSections(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks,
                                           const TDateLookup& Date);
// The same for photos whose file names, in album order, are Files.
std::vector<TSectionStart> ResolveSections(const std::vector<std::string>& Files,
                                           const std::vector<TSectionMark>& Marks, const TDateLookup& Date);

// The German date of a section title: "Samstag, 17. Mai 2025".
std::string SectionDateTitle(int Year, int Month, int Day);
// The range of dates a title page's subtitle offers: "17. Mai 2025" for one day, "14. Mai – 2. Juni
// 2025" within a year, "30. Dezember 2024 – 2. Januar 2025" across years. Empty when no photo has a
// date. Dates are the wall clock's days (DateTaken.h), earliest and latest of Dates.
std::string DateRangeText(const std::vector<TDateTaken>& Dates);

// Marks that begin a section at the first photo and at every photo whose day lies GapDays or more
// days from the day of the dated photo before it (1: every new day). A photo without a date goes with
// the section before it. Titles are the dates, "Samstag, 17. Mai 2025". Dates[i] is photo i's date.
std::vector<TSectionMark> MarksFromDates(const TAlbumModel& Album, const std::vector<TDateTaken>& Dates,
                                         int GapDays);
// Marks that begin a section wherever a photo's folder differs from the photo's before it, titled
// with the folder's name.
std::vector<TSectionMark> MarksFromFolders(const TAlbumModel& Album);

// The places the marks name now (-1 for one whose photo is not in the album), so that after photos
// come out, MarksAfterRemoval can move them.
std::vector<int32_t> MarkPlaces(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks);
std::vector<int32_t> MarkPlaces(const std::vector<std::string>& Files, const std::vector<TSectionMark>& Marks);
// Marks (with Places from MarkPlaces before the removal) on the album after the photos at Removed
// (ascending places from 0 before the removal) came out: a mark on a removed photo moves to the next
// photo that stayed, or to the last one when none follows; where marks meet, the photo's own mark keeps
// its title (else the first that moved there).
// Identities are named anew, as removing a photo can change which of several equal files one is.
std::vector<TSectionMark> MarksAfterRemoval(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks,
                                            const std::vector<int32_t>& Places,
                                            const std::vector<uint32_t>& Removed);

// Adds or replaces the mark on the photo at Place with Title; an empty Title on a photo already marked
// keeps the mark untitled. Marks stay in album order.
void SetSectionMark(const TAlbumModel& Album, std::vector<TSectionMark>& Marks, uint32_t Place,
                    const std::string& Title);
// Takes the mark off the photo at Place; false when it had none.
bool RemoveSectionMark(const TAlbumModel& Album, std::vector<TSectionMark>& Marks, uint32_t Place);
