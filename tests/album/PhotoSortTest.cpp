// Sorting photos: names in German natural order, dates taken from EXIF (written by exiftool) or the
// file's time, and the garbage cameras write. Expected orders are written out by hand.
#include <gtest/gtest.h>

#include <filesystem>

#include "album/DateTaken.h"
#include "album/PhotoSort.h"
#include "album/ExifDate.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> Sorted(const std::vector<std::string>& Files, TSortKey Key, bool Descending) {
  std::vector<TSortKeyValue> keys;
  EXPECT_TRUE(SortKeysOf(Files, Key, keys));
  std::vector<std::string> out;
  for (uint32_t i : SortedOrder(keys, Descending)) out.push_back(std::filesystem::path(Files[i]).filename());
  return out;
}

}  // namespace

// Case does not count, umlauts go with their base letter (after it when all else is equal), digits
// compare as numbers, folders do not count, and equal keys keep their order in both directions. A photo
// whose file is missing comes last in either direction, whatever its name, in album order.
TEST(PhotoSort, NamesInGermanNaturalOrder) {
  qtest::TScratchDir dir;
  std::vector<std::string> files;
  for (const char* name : {"a/IMG_10.jpg", "z/birne.jpg", "b/Äpfel.jpg", "c/IMG_2.jpg", "a/Birne.jpg",
                           "n/Aal.jpg", "z/apfel.jpg", "a/Zebra.jpg", "y/img_1.jpg", "x/Öl.jpg", "x/Ofen.jpg",
                           "n/Zz.jpg"}) {
    files.push_back(dir / name);
    if (name[0] == 'n') continue;  // "n" for "not there"
    std::filesystem::create_directories(std::filesystem::path(files.back()).parent_path());
    qtest::WriteFile(files.back(), "x");
  }
  EXPECT_EQ(Sorted(files, TSortKey::FileName, false),
            (std::vector<std::string>{"apfel.jpg", "Äpfel.jpg", "birne.jpg", "Birne.jpg", "img_1.jpg",
                                      "IMG_2.jpg", "IMG_10.jpg", "Ofen.jpg", "Öl.jpg", "Zebra.jpg", "Aal.jpg",
                                      "Zz.jpg"}));
  EXPECT_EQ(Sorted(files, TSortKey::FileName, true),
            (std::vector<std::string>{"Zebra.jpg", "Öl.jpg", "Ofen.jpg", "IMG_10.jpg", "IMG_2.jpg",
                                      "img_1.jpg", "birne.jpg", "Birne.jpg", "Äpfel.jpg", "apfel.jpg", "Aal.jpg",
                                      "Zz.jpg"}));
  EXPECT_TRUE(TNameCollator().Ok()) << "ICU has no German collation";
}

// The warning after a sort names the missing files: up to five, then how many more.
TEST(PhotoSort, MissingFilesAreNamed) {
  const std::vector<std::string> seven = {"/a", "/b", "/c", "/d", "/e", "/f", "/g"};
  const struct {
    size_t Count;
    const char* Message;
  } rows[] = {
      {0, ""},
      {1, "Die Datei eines Fotos fehlt; es steht jetzt am Ende: „/a“."},
      {2, "Die Dateien von 2 Fotos fehlen; sie stehen jetzt am Ende: „/a“ und „/b“."},
      {5, "Die Dateien von 5 Fotos fehlen; sie stehen jetzt am Ende: „/a“, „/b“, „/c“, „/d“ und „/e“."},
      {6, "Die Dateien von 6 Fotos fehlen; sie stehen jetzt am Ende: „/a“, „/b“, „/c“, „/d“, „/e“ und 1 weitere."},
      {7, "Die Dateien von 7 Fotos fehlen; sie stehen jetzt am Ende: „/a“, „/b“, „/c“, „/d“, „/e“ und 2 weitere."},
  };
  for (const auto& row : rows)
    EXPECT_EQ(MissingFilesMessage(std::vector<std::string>(seven.begin(), seven.begin() + row.Count)),
              row.Message)
        << row.Count;
  // Which files those are: the ones whose keys are unknown, in album order.
  std::vector<TSortKeyValue> keys(4);
  keys[1].Known = keys[3].Known = false;
  EXPECT_EQ(MissingFiles({"/w", "/x", "/y", "/z"}, keys), (std::vector<std::string>{"/x", "/z"}));
}

TEST(ExifDate, DateAndOffsetTexts) {
  struct {
    std::string_view Text;
    bool Ok;
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  } dates[] = {
      {"2026:12:07 14:05:09", true, 2026, 12, 7, 14, 5, 9},
      {std::string_view("2026:12:07 14:05:09\0", 20), true, 2026, 12, 7, 14, 5, 9},  // EXIF's closing zero
      {"2024:02:29 00:00:00", true, 2024, 2, 29, 0, 0, 0},                           // a leap day
      {"0000:00:00 00:00:00", false},                                                // a clock never set
      {"9999:12:31 23:59:59", false},
      {"    :  :     :  :  ", false},
      {"2023:02:29 12:00:00", false},  // no leap year
      {"1900:02:29 12:00:00", false},  // nor is 1900
      {"2026:13:01 00:00:00", false},
      {"2026:12:07 24:00:00", false},
      {"2026:12:07 14:60:00", false},
      {"2026-12-07 14:05:09", false},
      {"2026:12:07", false},
      {"heute früh", false},
      {"", false},
  };
  for (const auto& d : dates) {
    TExifDate date;
    ASSERT_EQ(ParseExifDateTime(d.Text, date), d.Ok) << d.Text;
    if (!d.Ok) continue;
    EXPECT_EQ(std::vector<int>({date.Year, date.Month, date.Day, date.Hour, date.Minute, date.Second}),
              std::vector<int>({d.Year, d.Month, d.Day, d.Hour, d.Minute, d.Second}))
        << d.Text;
  }
  struct {
    const char* Text;
    bool Ok;
    int Minutes = 0;
  } offsets[] = {{"+01:00", true, 60}, {"-05:30", true, -330}, {"+14:00", true, 840}, {"+00:00", true, 0},
                 {"+15:00", false},    {"01:00", false},       {"+1:00", false},      {"+01:60", false}};
  for (const auto& o : offsets) {
    int minutes = 12345;
    ASSERT_EQ(ParseExifOffset(o.Text, minutes), o.Ok) << o.Text;
    if (o.Ok) {
      EXPECT_EQ(minutes, o.Minutes) << o.Text;
    }
  }
}

// Photos whose EXIF dates exiftool wrote, in JPEG, TIFF and HEIF, one with garbage, one without any and one
// whose file is missing. The offset places a photo: 10:00 at +02:00 comes before 09:30 at +00:00.
TEST(PhotoSort, ByDateTakenAndByFileDate) {
  QTEST_REQUIRE_PROGRAM("convert");
  QTEST_REQUIRE_PROGRAM("exiftool");
  QTEST_REQUIRE_PROGRAM("heif-enc");
  qtest::TScratchDir dir;
  struct {
    const char* Name;
    const char* Exif;  // exiftool arguments, or nothing
    const char* Touched;
  } photos[] = {
      {"a.jpg", "-DateTimeOriginal='2026:12:07 10:00:00' -OffsetTimeOriginal='+02:00'", "2025-01-03 12:00"},
      {"b.jpg", "-DateTimeOriginal='2026:12:07 09:30:00' -OffsetTimeOriginal='+00:00'", "2025-01-01 12:00"},
      {"c.jpg", "'-DateTimeOriginal#=0000:00:00 00:00:00'", "2020-01-01 12:00"},  // # writes it unchecked
      {"d.jpg", "", "2030-01-01 12:00"},
      {"t.tif", "-DateTimeOriginal='2026:12:07 09:00:00' -OffsetTimeOriginal='+00:00'", "2025-01-02 12:00"},
      {"h.heic", "-DateTimeOriginal='2026:12:07 09:15:00' -OffsetTimeOriginal='+00:00'", "2019-01-01 12:00"},
  };
  std::vector<std::string> files;
  for (const auto& p : photos) {
    files.push_back(dir / p.Name);
    if (files.back().ends_with(".heic")) {
      ASSERT_EQ(qtest::Run("convert -size 16x8 xc:gray " + qtest::Quote(dir / "h.png")), 0);
      ASSERT_EQ(qtest::Run("heif-enc -q 50 " + qtest::Quote(dir / "h.png") + " -o " + qtest::Quote(files.back())),
                0);
    } else {
      ASSERT_EQ(qtest::Run("convert -size 16x8 xc:gray " + qtest::Quote(files.back())), 0);
    }
    if (*p.Exif) {
      ASSERT_EQ(qtest::Run(std::string("exiftool -q -overwrite_original ") + p.Exif + " " +
                           qtest::Quote(files.back())),
                0);
    }
    ASSERT_EQ(qtest::Run(std::string("touch -d '") + p.Touched + "' " + qtest::Quote(files.back())), 0);
  }
  files.push_back(dir / "e.jpg");  // missing
  using V = std::vector<std::string>;
  EXPECT_EQ(Sorted(files, TSortKey::DateTaken, false),
            (V{"c.jpg", "a.jpg", "t.tif", "h.heic", "b.jpg", "d.jpg", "e.jpg"}));
  EXPECT_EQ(Sorted(files, TSortKey::DateTaken, true),
            (V{"d.jpg", "b.jpg", "h.heic", "t.tif", "a.jpg", "c.jpg", "e.jpg"}));
  EXPECT_EQ(Sorted(files, TSortKey::FileDate, false),
            (V{"h.heic", "c.jpg", "b.jpg", "t.tif", "a.jpg", "d.jpg", "e.jpg"}));

  const TDateTaken a = DateTakenOf(files[0]);
  EXPECT_TRUE(a.FromExif);
  EXPECT_EQ(std::vector<int>({a.Year, a.Month, a.Day, a.Hour, a.Minute}),
            std::vector<int>({2026, 12, 7, 10, 0}));
  EXPECT_EQ(a.Instant, 1796630400) << "2026-12-07 08:00 UTC";
  EXPECT_FALSE(DateTakenOf(files[2]).FromExif) << "garbage falls back to the file's time";
  EXPECT_TRUE(DateTakenOf(files[5]).FromExif) << "the HEIF file's EXIF item";
  ASSERT_EQ(qtest::Run("head -c 400 " + qtest::Quote(files[5]) + " > " + qtest::Quote(dir / "cut.heic")), 0);
  EXPECT_FALSE(DateTakenOf(dir / "cut.heic").FromExif) << "a HEIF file cut short has no date";
  EXPECT_FALSE(DateTakenOf(files.back()).Known);

  // Reading dates stops when asked; the keys are then incomplete.
  std::vector<TSortKeyValue> keys;
  std::atomic<bool> cancel{false};
  size_t reported = 0;
  EXPECT_FALSE(SortKeysOf(files, TSortKey::DateTaken, keys, &cancel, [&](size_t Done, size_t Total) {
    reported = Done;
    EXPECT_EQ(Total, files.size());
    if (Done == 2) cancel = true;
  }));
  EXPECT_EQ(reported, 2u);
}
