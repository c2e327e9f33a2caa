// Sections: marks from dates and folders, titles and their fallbacks, and marks on deleted photos.

#include <gtest/gtest.h>

#include "album/AlbumChanges.h"
#include "album/SectionMarks.h"

namespace {

void AddPhotos(TAlbumModel& Album, std::initializer_list<const char*> Files) {
  for (const char* file : Files) {
    TPicEntry* e = Album.Pics.Append();
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(SetEntryFileName(*e, file));
  }
}

TDateTaken Day(int Year, int Month, int Day, int Hour = 12) {
  TDateTaken d;
  d.Known = d.FromExif = true;
  d.Year = Year, d.Month = Month, d.Day = Day, d.Hour = Hour;
  return d;
}

const TDateTaken KNoDate{};

// The first places and titles of Marks on Album.
std::vector<std::pair<int32_t, std::string>> Placed(const TAlbumModel& Album, const std::vector<TSectionMark>& Marks) {
  std::vector<std::pair<int32_t, std::string>> out;
  const std::vector<int32_t> places = MarkPlaces(Album, Marks);
  for (size_t k = 0; k < Marks.size(); ++k) out.emplace_back(places[k], Marks[k].Title);
  return out;
}

}  // namespace

// Weekdays and month names worked out from the calendar.
TEST(SectionTitles, GermanDates) {
  const struct {
    int Y, M, D;
    const char* Title;
  } rows[] = {
      {2025, 5, 17, "Samstag, 17. Mai 2025"},
      {2025, 5, 14, "Mittwoch, 14. Mai 2025"},
      {2025, 6, 2, "Montag, 2. Juni 2025"},
      {2024, 2, 29, "Donnerstag, 29. Februar 2024"},  // leap day
      {2000, 1, 1, "Samstag, 1. Januar 2000"},
      {1970, 1, 1, "Donnerstag, 1. Januar 1970"},
      {1969, 12, 31, "Mittwoch, 31. Dezember 1969"},  // before the count's start
      {2026, 3, 1, "Sonntag, 1. März 2026"},
      {2025, 13, 1, ""},                              // no month 13
  };
  for (const auto& row : rows) EXPECT_EQ(SectionDateTitle(row.Y, row.M, row.D), row.Title);
}

TEST(SectionTitles, DateRangeOfTheSubtitle) {
  const struct {
    std::vector<TDateTaken> Dates;
    const char* Text;
  } rows[] = {
      {{Day(2025, 5, 14), Day(2025, 6, 2), Day(2025, 5, 20)}, "14. Mai \xE2\x80\x93 2. Juni 2025"},
      {{Day(2025, 6, 2), KNoDate, Day(2025, 5, 14)}, "14. Mai \xE2\x80\x93 2. Juni 2025"},  // order and gaps
      {{Day(2024, 12, 30), Day(2025, 1, 2)}, "30. Dezember 2024 \xE2\x80\x93 2. Januar 2025"},
      {{Day(2025, 5, 17, 8), Day(2025, 5, 17, 22)}, "17. Mai 2025"},
      {{KNoDate, KNoDate}, ""},
      {{}, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(DateRangeText(row.Dates), row.Text);
}

// Sections from dates: a new one where the day lies GapDays or more from the dated photo before it.
// Days are the camera's wall clock, whatever zone the photo was taken in.
TEST(SectionSplit, FromDates) {
  TDateTaken tokyoEvening = Day(2025, 5, 17, 22);  // 22:00 +09:00, 13:00 UTC on the 17th
  TDateTaken losAngelesLate = Day(2025, 5, 17, 23);  // 23:00 -07:00, 06:00 UTC on the 18th
  TDateTaken justAfterMidnight = Day(2025, 5, 18, 0);
  const struct {
    const char* What;
    std::vector<TDateTaken> Dates;
    int Gap;
    std::vector<std::pair<int32_t, std::string>> Sections;
  } rows[] = {
      {"one per day",
       {Day(2025, 5, 17), Day(2025, 5, 17), Day(2025, 5, 18), Day(2025, 5, 20)},
       1,
       {{0, "Samstag, 17. Mai 2025"}, {2, "Sonntag, 18. Mai 2025"}, {3, "Dienstag, 20. Mai 2025"}}},
      {"gaps of two days or more",
       {Day(2025, 5, 17), Day(2025, 5, 18), Day(2025, 5, 20), Day(2025, 5, 21)},
       2,
       {{0, "Samstag, 17. Mai 2025"}, {2, "Dienstag, 20. Mai 2025"}}},
      {"photos without a date go with the section before them",
       {Day(2025, 5, 17), KNoDate, Day(2025, 5, 17), KNoDate, Day(2025, 5, 19)},
       1,
       {{0, "Samstag, 17. Mai 2025"}, {4, "Montag, 19. Mai 2025"}}},
      {"an undated first photo: the section is named after its first date",
       {KNoDate, Day(2025, 5, 17), Day(2025, 5, 18)},
       1,
       {{0, "Samstag, 17. Mai 2025"}, {2, "Sonntag, 18. Mai 2025"}}},
      {"no dates at all: one untitled section",
       {KNoDate, KNoDate},
       1,
       {{0, ""}}},
      {"zones: the same evening in two zones is one day, midnight begins the next",
       {tokyoEvening, losAngelesLate, justAfterMidnight},
       1,
       {{0, "Samstag, 17. Mai 2025"}, {2, "Sonntag, 18. Mai 2025"}}},
      {"dates that go back also part",
       {Day(2025, 5, 20), Day(2025, 5, 17)},
       1,
       {{0, "Dienstag, 20. Mai 2025"}, {1, "Samstag, 17. Mai 2025"}}},
      {"a gap of 0 counts as 1",
       {Day(2025, 5, 17), Day(2025, 5, 18)},
       0,
       {{0, "Samstag, 17. Mai 2025"}, {1, "Sonntag, 18. Mai 2025"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel album;
    for (size_t i = 0; i < row.Dates.size(); ++i) AddPhotos(album, {("/p/" + std::to_string(i) + ".jpg").c_str()});
    EXPECT_EQ(Placed(album, MarksFromDates(album, row.Dates, row.Gap)), row.Sections);
  }
}

TEST(SectionSplit, FromFoldersAndEqualFiles) {
  TAlbumModel album;
  AddPhotos(album, {"/urlaub/Rom/a.jpg", "/urlaub/Rom/b.jpg", "/urlaub/Neapel/a.jpg", "/urlaub/Rom/a.jpg", "c.jpg"});
  const std::vector<TSectionMark> marks = MarksFromFolders(album);
  EXPECT_EQ(Placed(album, marks), (std::vector<std::pair<int32_t, std::string>>{
                                      {0, "Rom"}, {2, "Neapel"}, {3, "Rom"}, {4, ""}}));
  // The same file twice: the second is its second occurrence.
  ASSERT_EQ(marks.size(), 4u);
  EXPECT_EQ(marks[1].Photo, (TPhotoIdentity{"/urlaub/Neapel/a.jpg", 0}));
  EXPECT_EQ(marks[2].Photo, (TPhotoIdentity{"/urlaub/Rom/a.jpg", 1}));
  EXPECT_EQ(PlaceOf(album, {"/urlaub/Rom/a.jpg", 2}), -1);
}

// Titles: the mark's own, else the first photo's date, else "Abschnitt N"; marks on photos that are
// not there and a second mark on one photo are passed over.
TEST(SectionSplit, ResolvedTitlesAndFallbacks) {
  TAlbumModel album;
  AddPhotos(album, {"/a.jpg", "/b.jpg", "/c.jpg", "/d.jpg"});
  const std::vector<TSectionMark> marks = {
      {{"/c.jpg", 0}, "  "}, {{"/a.jpg", 0}, "Anreise"}, {{"/x.jpg", 0}, "Weg"},
      {{"/d.jpg", 0}, ""},   {{"/a.jpg", 0}, "Zweimal"}};
  const TDateLookup dates = [](uint32_t Place) { return Place == 2 ? Day(2025, 5, 17) : TDateTaken{}; };
  const std::vector<TSectionStart> sections = ResolveSections(album, marks, dates);
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0].First, 0u);
  EXPECT_EQ(sections[0].Title, "Anreise");
  EXPECT_EQ(sections[1].First, 2u);
  EXPECT_EQ(sections[1].Title, "Samstag, 17. Mai 2025");
  EXPECT_EQ(sections[2].First, 3u);
  EXPECT_EQ(sections[2].Title, "Abschnitt 3");
}

// Deleting photos: a mark on a deleted photo moves to the next photo that stays, or to the last one;
// where marks meet, the photo's own mark wins; undo puts every mark back.
TEST(SectionMarksOnDelete, MoveToTheNextPhoto) {
  const struct {
    const char* What;
    std::vector<uint32_t> Removed;
    std::vector<std::pair<int32_t, std::string>> After;
  } rows[] = {
      {"a photo without a mark", {1}, {{0, "Eins"}, {1, "Zwei"}, {3, "Drei"}}},
      {"the marked photo", {2}, {{0, "Eins"}, {2, "Zwei"}, {3, "Drei"}}},
      {"the marked photo and the one after it", {2, 3}, {{0, "Eins"}, {2, "Drei"}}},
      {"the last photos", {4, 5}, {{0, "Eins"}, {2, "Zwei"}, {3, "Drei"}}},
      {"every photo after the first", {1, 2, 3, 4, 5}, {{0, "Eins"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel album;
    AddPhotos(album, {"/a.jpg", "/b.jpg", "/c.jpg", "/d.jpg", "/e.jpg", "/f.jpg"});
    TLayoutSettings settings;
    SetSectionMark(album, settings.Book.Marks, 4, "Drei");
    SetSectionMark(album, settings.Book.Marks, 0, "Eins");
    SetSectionMark(album, settings.Book.Marks, 2, "Zwei");
    const std::vector<TSectionMark> before = settings.Book.Marks;
    TRemovePhotos change(row.Removed);
    ASSERT_TRUE(change.Redo(album, settings));
    EXPECT_EQ(Placed(album, settings.Book.Marks), row.After);
    ASSERT_TRUE(change.Undo(album, settings));
    EXPECT_EQ(settings.Book.Marks, before);
  }
}

TEST(SectionMarksOnDelete, RemovingEveryPhotoLeavesNoMark) {
  TAlbumModel album;
  AddPhotos(album, {"/a.jpg", "/b.jpg"});
  TLayoutSettings settings;
  SetSectionMark(album, settings.Book.Marks, 1, "B");
  TRemovePhotos change({0, 1});
  ASSERT_TRUE(change.Redo(album, settings));
  EXPECT_TRUE(settings.Book.Marks.empty());
  EXPECT_TRUE(RemoveSectionMark(album, settings.Book.Marks, 0) == false);
}
