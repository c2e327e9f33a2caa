#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>

#include "album/AlbumFile.h"
#include "album/ByteReader.h"
#include "album/FontRecord.h"
#include "platform/SafeFile.h"
#include "support/TestSupport.h"

namespace {

std::string Bytes(std::initializer_list<int> Values) {
  std::string out;
  for (int v : Values) out.push_back(static_cast<char>(v));
  return out;
}

void AddPhoto(TAlbumModel& Album, const std::string& FileName, const char* Text) {
  TPicEntry* e = Album.Pics.Append();
  ASSERT_TRUE(SetEntryFileName(*e, FileName));
  if (Text) {
    ASSERT_TRUE(SetEntryText(*e, Text));
  }
}

// A non-default value in every setting of the file, so a round trip proves each travels.
TLayoutSettings OddSettings() {
  TLayoutSettings s;
  s.TextCheck = false;
  s.CaptionCheck = false;
  s.RandXEd = 12.5;
  s.RandYEd = 0;
  s.SpaceHED = 99.75;
  s.SpaceVEd = 1;
  s.ShowPDFCheck = false;
  s.CountXEd = 7;
  s.CountYEd = 100;
  s.PageNrCheck = false;
  s.CaptionOnAllPages = false;
  s.FilenamesCheck = false;
  s.PathCheck = true;
  s.PageWidthEd = 100.5;
  s.PageHeightEd = 10000;
  s.XMalEd = 3;
  s.ZoomInFotosCheck = true;
  s.Shape1 = 0x00112233;
  s.Shape2 = 0x80000005;
  s.RahmenCheck = true;
  s.PictureDpi = 150;
  s.KeepJpeg = true;
  s.HeadingFont.Name = "DejaVu Sans";
  s.HeadingFont.Style = KFontBold | KFontUnderline;
  SetFontSize(s.HeadingFont, 24);
  s.TextFont.Charset = 238;
  s.TextFont.Pitch = 2;
  s.TextFont.Color = 0x0000FF00;
  return s;
}

// The album file's bytes for an album whose settings are the defaults and whose photos are Photos.
std::string AlbumBytes(std::initializer_list<std::pair<const char*, const char*>> Photos) {
  TAlbumModel album;
  for (const auto& [name, text] : Photos) AddPhoto(album, name, text);
  return EncodeAlbum(album, TLayoutSettings{});
}

TEST(AlbumFileBytes, EmptyAlbumIs137BytesWithTheDocumentedFontRecords) {
  TAlbumModel album;
  const std::string bytes = EncodeAlbum(album, FirstStartSettings());
  ASSERT_EQ(bytes.size(), 137u);
  EXPECT_EQ(bytes.substr(0, 8), Bytes({0xAB, 0xCD, 0, 0, 0, 0, 0, 0}));
  // Heading font: 27 bytes, size 16 points.
  EXPECT_EQ(bytes.substr(8, 27),
            Bytes({0, 8, 0, 0, 0x80, 11}) + "Arial Black" + Bytes({0, 0x60, 0, 0, 0, 16, 0, 0, 0, 0}));
  EXPECT_EQ(bytes.substr(35, 21), Bytes({0x00, 0x08, 0x00, 0x00, 0x80, 0x05, 0x41, 0x72, 0x69, 0x61, 0x6C,
                                         0x00, 0x60, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00}));
  // Settings 1 to 10 with first-start values: flags, 15/15/5/5 as doubles, flag, 2, 3, flag.
  TByteReader in(std::string_view(bytes).substr(56));
  uint8_t flag;
  double d;
  int32_t i;
  ASSERT_TRUE(in.ReadU8(flag) && flag == 1);
  ASSERT_TRUE(in.ReadU8(flag) && flag == 1);
  for (double expected : {15.0, 15.0, 5.0, 5.0}) ASSERT_TRUE(in.ReadDouble(d) && d == expected);
  ASSERT_TRUE(in.ReadU8(flag) && flag == 1);
  ASSERT_TRUE(in.ReadI32(i) && i == 2);
  ASSERT_TRUE(in.ReadI32(i) && i == 3);
  ASSERT_TRUE(in.ReadU8(flag) && flag == 1);
  EXPECT_EQ(in.Left(), 81u - 44u);  // the four groups
}

TEST(AlbumFileBytes, PhotoRecordsAndNilText) {
  const std::string bytes = AlbumBytes({{"/a/b.jpg", nullptr}, {"/c.jpg", "Hi"}});
  EXPECT_EQ(bytes.size(), 137u + (8 + 8) + (8 + 6 + 2));
  EXPECT_EQ(bytes.substr(4, 4), Bytes({2, 0, 0, 0}));
  EXPECT_EQ(bytes.substr(8, 16), Bytes({8, 0, 0, 0}) + "/a/b.jpg" + Bytes({0, 0, 0, 0}));
  EXPECT_EQ(bytes.substr(24, 16), Bytes({6, 0, 0, 0}) + "/c.jpg" + Bytes({2, 0, 0, 0}) + "Hi");
}

TEST(AlbumFileBytes, TextEncodingOnDisk) {
  // Umlauts have Windows-1252 bytes: written as single bytes.
  EXPECT_NE(AlbumBytes({{"/x.jpg", "Grüße €"}}).find(Bytes({'G', 'r', 0xFC, 0xDF, 'e', ' ', 0x80})),
            std::string::npos);
  // A character outside Windows-1252 keeps the whole text UTF-8.
  EXPECT_NE(AlbumBytes({{"/x.jpg", "ü 日本"}}).find("ü 日本"), std::string::npos);
}

TEST(AlbumFileBytes, FontRecordRoundTripAndLimits) {
  TFontSpec font = DefaultHeadingFont();
  font.Name = std::string(300, 'a') + "ü";  // longer than the one length byte allows
  std::string out;
  WriteFontRec(out, font);
  EXPECT_EQ(static_cast<uint8_t>(out[5]), 255);
  EXPECT_EQ(out.size(), 16u + 255u);

  font.Name = std::string(254, 'a') + "日";  // UTF-8 on disk: cut before the 3-byte character
  out.clear();
  WriteFontRec(out, font);
  EXPECT_EQ(static_cast<uint8_t>(out[5]), 254);

  TFontSpec back;
  TByteReader in(out);
  ASSERT_TRUE(ReadFontRec(in, back));
  EXPECT_EQ(back.Name, std::string(254, 'a'));
  EXPECT_EQ(back.Size, 16);
  EXPECT_EQ(back.Height, -21);
  EXPECT_TRUE(in.AtEnd());

  for (size_t cut = 0; cut < out.size(); ++cut) {  // every truncation fails and leaves the font alone
    TFontSpec untouched = DefaultTextFont();
    TByteReader shortIn(std::string_view(out).substr(0, cut));
    EXPECT_FALSE(ReadFontRec(shortIn, untouched)) << cut;
    EXPECT_EQ(untouched, DefaultTextFont());
  }
}

TEST(AlbumFileLoad, RoundTripOfPhotosFontsAndSettings) {
  TAlbumModel album;
  AddPhoto(album, "/photos/one.jpg", "Zeile 1\r\nZeile 2");
  AddPhoto(album, "/photos/Grüße.jpg", "lone\rbreak");
  AddPhoto(album, "C:\\Bilder\\x.jpg", nullptr);
  AddPhoto(album, "/photos/日本.png", "Ärger 日本 ß");
  AddPhoto(album, "/photos/one.jpg", "");  // the same file twice
  const TLayoutSettings saved = OddSettings();
  const std::string bytes = EncodeAlbum(album, saved);

  TAlbumModel loaded;
  AddPhoto(loaded, "/old.jpg", "old");
  loaded.CurPic = 1;
  TLayoutSettings settings;
  settings.CapED = "Urlaub";
  settings.SeparateCheck = true;
  settings.RahmenBreiteEd = 42;
  const TAlbumFileResult r = LoadAlbumBytes(bytes, loaded, settings);
  ASSERT_TRUE(r.Ok) << r.Message;
  ASSERT_EQ(loaded.Pics.Count, 5u);
  EXPECT_EQ(loaded.CurPic, 1);
  const char* names[] = {"/photos/one.jpg", "/photos/Grüße.jpg", "C:\\Bilder\\x.jpg", "/photos/日本.png",
                         "/photos/one.jpg"};
  const char* texts[] = {"Zeile 1\r\nZeile 2", "lone\rbreak", "", "Ärger 日本 ß", ""};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(loaded.Pics[i].FileName, names[i]);
    ASSERT_NE(loaded.Pics[i].Text, nullptr) << "a nil text reads back as an empty one";
    EXPECT_STREQ(loaded.Pics[i].Text, texts[i]);
    EXPECT_EQ(loaded.Pics[i].Thumbnail.Bits, nullptr);
  }
  TLayoutSettings expected = saved;
  expected.CapED = "Familienfotos";  // an album without a name of its own is called so
  expected.SeparateCheck = true;
  expected.RahmenBreiteEd = 42;
  EXPECT_EQ(settings, expected);
  EXPECT_EQ(EncodeAlbum(loaded, settings), bytes) << "saving the loaded album again gives the same bytes";
}

TEST(AlbumFileLoad, Cp1252BytesFromOlderAlbumsBecomeUtf8) {
  std::string bytes = AlbumBytes({{"/x.jpg", "äx"}});  // written as E4 78: not UTF-8
  TAlbumModel album;
  TLayoutSettings s;
  ASSERT_TRUE(LoadAlbumBytes(bytes, album, s).Ok);
  EXPECT_STREQ(album.Pics[0].Text, "äx");
  // Stored bytes that are valid UTF-8 are taken as UTF-8 ...
  bytes = AlbumBytes({{"/x.jpg", "placeholder"}});
  bytes.replace(bytes.find("placeholder") - 4, 15, Bytes({2, 0, 0, 0, 0xC3, 0xA4}));
  ASSERT_TRUE(LoadAlbumBytes(bytes, album, s).Ok);
  EXPECT_STREQ(album.Pics[0].Text, "ä");
  // ... so a text whose Windows-1252 form would look like UTF-8 is written as UTF-8 and survives.
  bytes = AlbumBytes({{"/x.jpg", "Ã¤"}});
  EXPECT_NE(bytes.find("Ã¤"), std::string::npos);
  ASSERT_TRUE(LoadAlbumBytes(bytes, album, s).Ok);
  EXPECT_STREQ(album.Pics[0].Text, "Ã¤");
}

TEST(AlbumFileLoad, GroupsPresentOrSkippedAtEveryBoundary) {
  const TLayoutSettings saved = OddSettings();
  const std::string full = EncodeAlbum(TAlbumModel{}, saved);
  const size_t base = full.size() - 42;  // end of setting 10
  struct {
    size_t Length;
    bool G1, G2, G3, G4, G5;
  } rows[] = {{base, false, false, false, false, false},    {base + 3, true, false, false, false, false},
              {base + 27, true, true, false, false, false}, {base + 28, true, true, true, false, false},
              {base + 37, true, true, true, true, false},   {base + 42, true, true, true, true, true}};
  for (const auto& row : rows) {
    TAlbumModel album;
    TLayoutSettings s;  // first-start values, but for G5's, which a file without G5 sets to the defaults
    s.PictureDpi = 300;
    s.KeepJpeg = true;
    const TAlbumFileResult r = LoadAlbumBytes(std::string_view(full).substr(0, row.Length), album, s);
    ASSERT_TRUE(r.Ok) << row.Length << ": " << r.Message;
    EXPECT_EQ(s.PageNrCheck, saved.PageNrCheck);
    EXPECT_EQ(s.CountYEd, saved.CountYEd);
    EXPECT_EQ(s.PathCheck, row.G1 ? saved.PathCheck : false);
    EXPECT_EQ(s.PageWidthEd, row.G2 ? saved.PageWidthEd : 210);
    EXPECT_EQ(s.XMalEd, row.G2 ? saved.XMalEd : 1);
    EXPECT_EQ(s.ZoomInFotosCheck, row.G3 ? saved.ZoomInFotosCheck : false);
    EXPECT_EQ(s.Shape2, row.G4 ? saved.Shape2 : KColorWhite);
    EXPECT_EQ(s.RahmenCheck, row.G4 ? saved.RahmenCheck : false);
    EXPECT_EQ(s.PictureDpi, row.G5 ? saved.PictureDpi : KPictureDpiOriginal);
    EXPECT_EQ(s.KeepJpeg, row.G5 && saved.KeepJpeg);
  }
  // A file ending inside G5 is incomplete; bytes after G5 are ignored.
  TAlbumModel album;
  TLayoutSettings s;
  for (size_t cut = 1; cut < 5; ++cut)
    EXPECT_FALSE(LoadAlbumBytes(std::string_view(full).substr(0, full.size() - cut), album, s).Ok) << cut;
  EXPECT_TRUE(LoadAlbumBytes(full + "extra", album, s).Ok);
}

// The picture settings' group is written only when one of them is not at its default, so an album at
// the defaults keeps the bytes it always had; stored values outside the limits load as the nearest.
TEST(AlbumFileLoad, PictureSettingsGroupOnlyWhenNeeded) {
  TLayoutSettings settings;
  EXPECT_EQ(EncodeAlbum(TAlbumModel{}, settings).size(), 137u);
  settings.KeepJpeg = true;
  EXPECT_EQ(EncodeAlbum(TAlbumModel{}, settings).substr(137), Bytes({0, 0, 0, 0, 1}));
  settings.KeepJpeg = false;
  settings.PictureDpi = 300;
  const std::string bytes = EncodeAlbum(TAlbumModel{}, settings);
  EXPECT_EQ(bytes.substr(137), Bytes({0x2C, 1, 0, 0, 0}));
  struct {
    int32_t Stored, Loaded;
  } rows[] = {{300, 300}, {10, 50}, {-5, KPictureDpiOriginal}, {99999, 2400}};
  for (const auto& row : rows) {
    std::string stored = bytes;
    std::memcpy(&stored[137], &row.Stored, 4);
    TAlbumModel album;
    TLayoutSettings s;
    ASSERT_TRUE(LoadAlbumBytes(stored, album, s).Ok);
    EXPECT_EQ(s.PictureDpi, row.Loaded) << row.Stored;
  }
}

TEST(AlbumFileLoad, EveryTruncationInsideRecordsOrGroupsIsRefusedAndChangesNothing) {
  const std::string full = AlbumBytes({{"/a.jpg", "Text"}, {"/b.jpg", nullptr}});
  const size_t base = full.size() - 37;
  const std::set<size_t> loadable = {base, base + 3, base + 27, base + 28, full.size()};
  qtest::TRecordingMessageBox box;
  for (size_t length = 0; length < full.size(); ++length) {
    TAlbumModel album;
    AddPhoto(album, "/mine.jpg", "meins");
    album.CurPic = 1;
    TLayoutSettings s = OddSettings();
    const TAlbumFileResult r = LoadAlbumBytes(std::string_view(full).substr(0, length), album, s);
    if (loadable.count(length)) {
      EXPECT_TRUE(r.Ok) << length;
      continue;
    }
    ASSERT_FALSE(r.Ok) << length;
    EXPECT_EQ(r.Message.rfind("Fehler: ", 0), 0u) << r.Message;
    if (length < 4) {
      EXPECT_EQ(r.Message, "Fehler: Die Datei ist keine gültige Quirvel Datei...");
    }
    ASSERT_EQ(album.Pics.Count, 1u) << "the user's album stays at " << length;
    EXPECT_STREQ(album.Pics[0].Text, "meins");
    EXPECT_EQ(s, OddSettings());
  }
  EXPECT_TRUE(box.Shown.empty()) << "loading reports through its result only";
}

TEST(AlbumFileLoad, WrongMagicLeavesTheAlbumAlone) {
  std::string bytes = AlbumBytes({});
  bytes[0] = 'P';
  TAlbumModel album;
  AddPhoto(album, "/mine.jpg", nullptr);
  TLayoutSettings s;
  const TAlbumFileResult r = LoadAlbumBytes(bytes, album, s);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message, "Fehler: Die Datei ist keine gültige Quirvel Datei...");
  EXPECT_EQ(album.Pics.Count, 1u);
}

TEST(AlbumFileLoad, CountsAndLengthsAreCheckedAgainstTheBytesLeft) {
  std::string bytes = AlbumBytes({});
  TAlbumModel album;
  TLayoutSettings s;
  for (int32_t count : {0, -1, INT32_MIN}) {  // no photos; fonts and settings still read
    std::memcpy(&bytes[4], &count, 4);
    s.CountXEd = 9;
    ASSERT_TRUE(LoadAlbumBytes(bytes, album, s).Ok) << count;
    EXPECT_EQ(album.Pics.Count, 0u);
    EXPECT_EQ(s.CountXEd, 2);
  }
  const int32_t huge = INT32_MAX;
  std::memcpy(&bytes[4], &huge, 4);
  EXPECT_FALSE(LoadAlbumBytes(bytes, album, s).Ok);

  // A name length of 4 GB in a file of a few hundred bytes: refused without allocating it.
  std::string oneName = AlbumBytes({{"/a.jpg", "t"}});
  std::memset(&oneName[8], 0xFF, 4);
  TAlbumImage image;
  const TAlbumFileResult r = ParseAlbum(oneName, image);
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Message.find("Foto 1"), std::string::npos) << r.Message;
  EXPECT_TRUE(image.Photos.empty());
}

TEST(AlbumFileLoad, StoredValuesOutsideLimitsBecomeTheNearestLimit) {
  TLayoutSettings odd;
  odd.PageWidthEd = 0;
  odd.RandXEd = 250;
  odd.SpaceHED = -3;
  odd.CountXEd = 0;
  odd.CountYEd = 1000;
  odd.XMalEd = 101;
  std::string bytes = EncodeAlbum(TAlbumModel{}, odd);
  TAlbumModel album;
  TLayoutSettings s;
  ASSERT_TRUE(LoadAlbumBytes(bytes, album, s).Ok);
  EXPECT_EQ(s.PageWidthEd, 1);
  EXPECT_EQ(s.RandXEd, 100);
  EXPECT_EQ(s.SpaceHED, 0);
  EXPECT_EQ(s.CountXEd, 1);
  EXPECT_EQ(s.CountYEd, 100);
  EXPECT_EQ(s.XMalEd, 100);
  // A NaN page height and a fractional copy count, as a foreign writer might store them.
  const double nan = std::nan(""), copies = 2.5;
  std::memcpy(&bytes[bytes.size() - 37 + 3 + 8], &nan, 8);
  std::memcpy(&bytes[bytes.size() - 37 + 3 + 16], &copies, 8);
  ASSERT_TRUE(LoadAlbumBytes(bytes, album, s).Ok);
  EXPECT_EQ(s.PageHeightEd, 1);
  EXPECT_EQ(s.XMalEd, 2);
}

// A stored size whose pixel height overflows 32 bits must not change when the album is saved and
// loaded again (the file keeps the size derived from the height).
TEST(AlbumFileLoad, FontSizeTooLargeForItsHeightSavesAndLoadsUnchanged) {
  std::string bytes = EncodeAlbum(TAlbumModel{}, TLayoutSettings{});
  const size_t textFontSize = 8 + 27 + 21 - 5;  // the text font's size field, before its style byte
  const int32_t huge = std::numeric_limits<int32_t>::max();
  std::memcpy(&bytes[textFontSize], &huge, 4);
  TAlbumModel album;
  TLayoutSettings first;
  ASSERT_TRUE(LoadAlbumBytes(bytes, album, first).Ok);
  EXPECT_EQ(first.TextFont.Height, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(first.TextFont.Size, FontSizeFromHeight(first.TextFont.Height, 96));
  TLayoutSettings second;
  ASSERT_TRUE(LoadAlbumBytes(EncodeAlbum(album, first), album, second).Ok);
  EXPECT_EQ(second.TextFont, first.TextFont);
}

class AlbumFileDisk : public ::testing::Test {
 protected:
  qtest::TScratchDir Dir;
};

TEST_F(AlbumFileDisk, SaveAndOpen) {
  TAlbumModel album;
  AddPhoto(album, "/p/1.jpg", "eins");
  const std::string name = Dir / "a.qvl";
  ASSERT_TRUE(SaveAlbumFile(name, album, OddSettings()).Ok);
  EXPECT_EQ(qtest::ReadFile(name), EncodeAlbum(album, OddSettings()));
  TAlbumModel back;
  TLayoutSettings s;
  ASSERT_TRUE(OpenAlbumFile(name, back, s).Ok);
  EXPECT_STREQ(back.Pics[0].Text, "eins");
  // Only the album is left in the folder: no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

TEST_F(AlbumFileDisk, OpenFailuresChangeNothing) {
  TAlbumModel album;
  AddPhoto(album, "/mine.jpg", "meins");
  TLayoutSettings s;
  for (const std::string& name : {Dir / "missing.qvl", Dir.Path().string()}) {
    const TAlbumFileResult r = OpenAlbumFile(name, album, s);
    EXPECT_EQ(r.Message, "Fehler: Konnte Datei nicht öffnen...") << name;
    EXPECT_EQ(album.Pics.Count, 1u);
  }
  // A read-only album opens: reading needs no write access.
  const std::string readOnly = Dir / "ro.qvl";
  ASSERT_TRUE(SaveAlbumFile(readOnly, album, s).Ok);
  ::chmod(readOnly.c_str(), 0444);
  EXPECT_TRUE(OpenAlbumFile(readOnly, album, s).Ok);
}

TEST_F(AlbumFileDisk, CannotCreate) {
  TAlbumModel album;
  const TAlbumFileResult r = SaveAlbumFile(Dir / "no/such/folder/a.qvl", album, TLayoutSettings{});
  EXPECT_EQ(r.Message, "Fehler: Konnte Datei nicht erstellen...");
}

ssize_t DiskFullAfterTenBytes(int Fd, const void* Data, size_t Count) {
  static thread_local size_t written = 0;
  if (Count == 0) return 0;
  if (written >= 10) {
    written = 0;
    errno = ENOSPC;
    return -1;
  }
  const size_t n = std::min<size_t>(Count, 10 - written);
  written += n;
  return ::write(Fd, Data, n);
}

TEST_F(AlbumFileDisk, FullDiskKeepsTheOldAlbumAndRemovesTheTemporaryFile) {
  TAlbumModel album;
  AddPhoto(album, "/p/old.jpg", "alt");
  const std::string name = Dir / "a.qvl";
  ASSERT_TRUE(SaveAlbumFile(name, album, TLayoutSettings{}).Ok);
  const std::string before = qtest::ReadFile(name);

  AddPhoto(album, "/p/new.jpg", "neu");
  SetWriteFunction(&DiskFullAfterTenBytes);
  const TAlbumFileResult r = SaveAlbumFile(name, album, TLayoutSettings{});
  SetWriteFunction(nullptr);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Message,
            "Fehler: Konnte Datei nicht schreiben: Auf dem Datenträger ist kein Platz mehr frei. "
            "Eine vorhandene Datei ist unverändert.");
  EXPECT_EQ(qtest::ReadFile(name), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path()), {}), 1);
}

// An album is written only where there is none, an empty file, or an album; anything else (a photo
// named by mistake, a folder, a pipe that must not be opened) stays as it was, with a German message.
TEST_F(AlbumFileDisk, OnlyAnAlbumIsReplacedByAnAlbum) {
  TAlbumModel album;
  const std::string existing = EncodeAlbum(album, TLayoutSettings{});
  const struct {
    const char* Name;
    char Kind;  // - absent, a album, e empty file, p photo, d folder, f FIFO, l link to a photo
    bool Written;
  } rows[] = {
      {"new.qvl", '-', true}, {"old.qvl", 'a', true},  {"empty.qvl", 'e', true}, {"a.jpg", 'p', false},
      {"dir.qvl", 'd', false}, {"fifo.qvl", 'f', false}, {"link.qvl", 'l', false},
  };
  qtest::WriteFile(Dir / "photo.jpg", "\xFF\xD8\xFF\xE0 a photo");
  AddPhoto(album, "/p/x.jpg", "neu");
  for (const auto& row : rows) {
    const std::string path = Dir / row.Name;
    if (row.Kind == 'a') qtest::WriteFile(path, existing);
    if (row.Kind == 'e') qtest::WriteFile(path, "");
    if (row.Kind == 'p') qtest::WriteFile(path, "\xFF\xD8\xFF\xE0 a photo");
    if (row.Kind == 'd') std::filesystem::create_directory(path);
    if (row.Kind == 'f') {
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    }
    if (row.Kind == 'l') std::filesystem::create_symlink("photo.jpg", path);
    const TAlbumFileResult r = SaveAlbumFile(path, album, TLayoutSettings{});
    EXPECT_EQ(r.Ok, row.Written) << row.Name;
    if (row.Written) {
      EXPECT_EQ(qtest::ReadFile(path), EncodeAlbum(album, TLayoutSettings{})) << row.Name;
    } else {
      EXPECT_EQ(r.Message, std::string("Fehler: „") + path + "“ ist keine Albumdatei und wird nicht durch ein "
                           "Album ersetzt.");
    }
  }
  EXPECT_EQ(qtest::ReadFile(Dir / "a.jpg"), "\xFF\xD8\xFF\xE0 a photo");
  EXPECT_EQ(qtest::ReadFile(Dir / "photo.jpg"), "\xFF\xD8\xFF\xE0 a photo");
  EXPECT_TRUE(std::filesystem::is_fifo(Dir / "fifo.qvl"));
}

TEST_F(AlbumFileDisk, ReplacingKeepsPermissionsAndSymbolicLinks) {
  TAlbumModel album;
  const std::string real = Dir / "real.qvl", link = Dir / "link.qvl";
  ASSERT_TRUE(SaveAlbumFile(real, album, TLayoutSettings{}).Ok);
  ::chmod(real.c_str(), 0640);
  std::filesystem::create_symlink(real, link);
  AddPhoto(album, "/p/x.jpg", nullptr);
  ASSERT_TRUE(SaveAlbumFile(link, album, TLayoutSettings{}).Ok);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(qtest::ReadFile(real), EncodeAlbum(album, TLayoutSettings{}));
  struct stat st;
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace

// The sixth group, written by hand: magic "QXG6", an entry count, then tag, length and bytes per entry.
// An entry of an unknown tag is skipped; bytes after G5 without the magic are not ours and are ignored,
// as they always were. A group cut short, a 'TURN' entry that does not fit the album or a template that
// is no UTF-8 is left out with a warning; the photos load, unturned, and the template stays empty.
TEST(AlbumFileLoad, SixthGroupSkipsUnknownEntriesAndSurvivesDamage) {
  const std::string g5 = Bytes({0, 0, 0, 0, 0}), g6 = g5 + Bytes({'Q', 'X', 'G', '6'});
  const std::string unknownEntry = Bytes({'Z', 'Z', 'Z', 'Z', 3, 0, 0, 0, 1, 2, 3});
  const char* const cut =
      "Das Ende der Albumdatei ist beschädigt; was dort gespeichert war, wurde nicht geladen.";
  const char* const turns = "Die Drehungen der Fotos sind beschädigt; die Fotos werden ungedreht gezeigt.";
  const struct {
    const char* What;
    std::string Tail;
    const char* Warning;
  } rows[] = {
      {"no sixth group", g5, ""},
      {"foreign bytes after G5", g5 + "extra", ""},
      {"one unknown entry", g6 + Bytes({1, 0, 0, 0}) + unknownEntry, ""},
      {"no entries", g6 + Bytes({0, 0, 0, 0}), ""},
      {"count cut short", g6 + Bytes({1, 0}), cut},
      {"entry cut short", g6 + Bytes({2, 0, 0, 0}) + unknownEntry + Bytes({'Z', 'Z', 'Z', 'Z', 9, 0}), cut},
      {"a count of four billion", g6 + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + unknownEntry, cut},
      {"two photos, turns of three",
       g6 + Bytes({1, 0, 0, 0}) + "TURN" + Bytes({7, 0, 0, 0, 3, 0, 0, 0, 1, 1, 1}), turns},
      {"a turn of 4", g6 + Bytes({1, 0, 0, 0}) + "TURN" + Bytes({6, 0, 0, 0, 2, 0, 0, 0, 1, 4}), turns},
      {"bytes after the turns", g6 + Bytes({1, 0, 0, 0}) + "TURN" + Bytes({7, 0, 0, 0, 2, 0, 0, 0, 1, 1, 0}),
       turns},
      {"a template of no UTF-8", g6 + Bytes({1, 0, 0, 0}) + "TMPL" + Bytes({2, 0, 0, 0, 0xC3, 0x28}),
       "Die Vorlage für Vorgabetexte ist beschädigt und wurde nicht geladen."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel album;
    AddPhoto(album, "/a.jpg", "A");
    AddPhoto(album, "/b.jpg", "B");
    TAlbumModel loaded;
    TLayoutSettings settings;
    settings.TextTemplate = "vorher";
    const TAlbumFileResult r =
        LoadAlbumBytes(EncodeAlbum(album, TLayoutSettings{}) + row.Tail, loaded, settings);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Warning, row.Warning);
    ASSERT_EQ(loaded.Pics.Count, 2u);
    EXPECT_STREQ(loaded.Pics[1].Text, "B");
    EXPECT_EQ(loaded.Pics[0].Turn + loaded.Pics[1].Turn, 0);
    EXPECT_EQ(settings.TextTemplate, "");
  }
}

// Bleed and PDF/A travel as the sixth group's entries 'BLED' (a double, mm) and 'PDFA' (the level's
// name), written by hand here; one that makes no sense loads the album without it and warns.
TEST(AlbumFileLoad, BleedAndPdfAEntries) {
  const std::string head = Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({1, 0, 0, 0});
  const std::string three = Bytes({0, 0, 0, 0, 0, 0, 8, 0x40});    // 3.0
  const std::string twelve = Bytes({0, 0, 0, 0, 0, 0, 0x28, 0x40}); // 12.0
  struct {
    std::string Entry;
    double Bleed;
    TPdfA PdfA;
    bool Warned;
  } rows[] = {
      {"BLED" + Bytes({8, 0, 0, 0}) + three, 3, TPdfA::None, false},
      {"BLED" + Bytes({8, 0, 0, 0}) + twelve, 0, TPdfA::None, true},  // beyond 10 mm
      {"BLED" + Bytes({4, 0, 0, 0}) + "abcd", 0, TPdfA::None, true},  // no double
      {"PDFA" + Bytes({2, 0, 0, 0}) + "1b", 0, TPdfA::A1b, false},
      {"PDFA" + Bytes({2, 0, 0, 0}) + "2b", 0, TPdfA::A2b, false},
      {"PDFA" + Bytes({2, 0, 0, 0}) + "3u", 0, TPdfA::None, true},  // a level this version does not write
  };
  for (const auto& row : rows) {
    TLayoutSettings s;
    s.Bleed = 7;  // what the album had before: a loaded album without the entry has none
    s.PdfA = TPdfA::A2b;
    TAlbumModel loaded;
    const TAlbumFileResult r = LoadAlbumBytes(EncodeAlbum(TAlbumModel{}, TLayoutSettings{}) + head + row.Entry, loaded, s);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(s.Bleed, row.Bleed) << row.Entry;
    EXPECT_EQ(s.PdfA, row.PdfA) << row.Entry;
    EXPECT_EQ(r.Warning.empty(), !row.Warned) << row.Entry;
  }
  // Writing both gives exactly those entries after G5.
  TLayoutSettings s;
  s.Bleed = 3;
  s.PdfA = TPdfA::A1b;
  EXPECT_EQ(EncodeAlbum(TAlbumModel{}, s),
            EncodeAlbum(TAlbumModel{}, TLayoutSettings{}) + Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({2, 0, 0, 0}) +
                "BLED" + Bytes({8, 0, 0, 0}) + three + "PDFA" + Bytes({2, 0, 0, 0}) + "1b");
}

// The text template and the photos' turns travel in G6 as 'TMPL' and 'TURN', written by hand here.
// G5 then stands at its defaults in front of G6, so that a reader that knows G1 to G5 reads the
// album as it reads every other and stops there.
TEST(AlbumFileLoad, TemplateAndTurnsRoundTripAndOlderReadersIgnoreThem) {
  TAlbumModel album;
  AddPhoto(album, "/a.jpg", "A");
  AddPhoto(album, "/b.jpg", "B");
  AddPhoto(album, "/c.jpg", "C");
  const std::string plain = EncodeAlbum(album, TLayoutSettings{});
  album.Pics[1].Turn = 3;
  album.Pics[2].Turn = 1;
  TLayoutSettings settings;
  settings.TextTemplate = "{Datum}: {Name}";
  const std::string bytes = EncodeAlbum(album, settings);
  const std::string g6 = Bytes({'Q', 'X', 'G', '6', 2, 0, 0, 0}) + "TMPL" + Bytes({15, 0, 0, 0}) +
                         "{Datum}: {Name}" + "TURN" + Bytes({7, 0, 0, 0, 3, 0, 0, 0, 0, 3, 1});
  EXPECT_EQ(bytes, plain + Bytes({0, 0, 0, 0, 0}) + g6);

  TAlbumModel loaded;
  TLayoutSettings back;
  const TAlbumFileResult r = LoadAlbumBytes(bytes, loaded, back);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Warning, "");
  EXPECT_EQ(back.TextTemplate, "{Datum}: {Name}");
  ASSERT_EQ(loaded.Pics.Count, 3u);
  EXPECT_EQ(std::vector<int>({loaded.Pics[0].Turn, loaded.Pics[1].Turn, loaded.Pics[2].Turn}),
            std::vector<int>({0, 3, 1}));

  // What a reader of G1 to G5 reads: the bytes through G5; it takes nothing after them.
  TAlbumImage older;
  ASSERT_TRUE(ParseAlbum(bytes.substr(0, plain.size() + 5), older).Ok);
  EXPECT_EQ(older.Photos.size(), 3u);
  EXPECT_TRUE(older.HasG5);
  EXPECT_FALSE(older.Extensions.Present);

  // Back at the defaults, the album is the same file as one that never had them.
  album.Pics[1].Turn = album.Pics[2].Turn = 0;
  EXPECT_EQ(EncodeAlbum(album, TLayoutSettings{}), plain);
}

// Sections and the book's settings travel in G6 as 'SECT' and 'BOOK', written by hand here; a reader
// that knows G1 to G5 reads the album as before; back at the defaults the file is the one without them.
TEST(AlbumFileLoad, SectionsAndBookRoundTripAndOlderReadersIgnoreThem) {
  TAlbumModel album;
  AddPhoto(album, "/a.jpg", "A");
  AddPhoto(album, "/b.jpg", "B");
  AddPhoto(album, "/a.jpg", "A2");
  const std::string plain = EncodeAlbum(album, TLayoutSettings{});
  TLayoutSettings settings;
  settings.Book.Marks = {{{"/a.jpg", 0}, "Tag"}, {{"/a.jpg", 1}, ""}};
  settings.Book.TitlePage = true;
  settings.Book.Contents = true;
  settings.Book.BookMode = true;
  settings.Book.Subtitle = "Mai";
  settings.Book.TitlePhoto = {"/b.jpg", 0};
  settings.Book.Binding = 2.5;
  const std::string bytes = EncodeAlbum(album, settings);
  const std::string twoAndHalf = Bytes({0, 0, 0, 0, 0, 0, 4, 0x40});
  const std::string sect = "SECT" + Bytes({43, 0, 0, 0, 2, 0, 0, 0}) + Bytes({6, 0, 0, 0}) + "/a.jpg" +
                           Bytes({0, 0, 0, 0, 3, 0, 0, 0}) + "Tag" + Bytes({6, 0, 0, 0}) + "/a.jpg" +
                           Bytes({1, 0, 0, 0, 0, 0, 0, 0});
  // 4 + 21 + 18 bytes. Flags 1 + 8 + 32 = 41; subtitle; title photo and occurrence 0; no back text;
  // no back photo (an empty name, occurrence 0); binding: 45 bytes.
  const std::string book = "BOOK" + Bytes({45, 0, 0, 0, 41, 0, 0, 0, 3, 0, 0, 0}) + "Mai" +
                           Bytes({6, 0, 0, 0}) + "/b.jpg" + Bytes({0, 0, 0, 0, 0, 0, 0, 0}) +
                           Bytes({0, 0, 0, 0, 0, 0, 0, 0}) + twoAndHalf;
  EXPECT_EQ(bytes, plain + Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({2, 0, 0, 0}) + sect + book);

  TAlbumModel loaded;
  TLayoutSettings back;
  const TAlbumFileResult r = LoadAlbumBytes(bytes, loaded, back);
  ASSERT_TRUE(r.Ok) << r.Message;
  EXPECT_EQ(r.Warning, "");
  EXPECT_EQ(back.Book, settings.Book);

  TAlbumImage older;
  ASSERT_TRUE(ParseAlbum(bytes.substr(0, plain.size() + 5), older).Ok);
  EXPECT_EQ(older.Photos.size(), 3u);
  EXPECT_FALSE(older.Extensions.Present);
  EXPECT_EQ(EncodeAlbum(album, TLayoutSettings{}), plain);
}

// A damaged 'SECT' or 'BOOK' loads the album without it and says so; later flags and bytes after the
// known fields of 'BOOK' are what a later version may add, and are ignored.
TEST(AlbumFileLoad, DamagedSectionAndBookEntries) {
  const std::string head = Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({1, 0, 0, 0});
  const std::string sections = "Die Abschnitte sind beschädigt; das Album wird ohne Abschnitte geladen.";
  const std::string book =
      "Titelseite, Rückseite, Inhaltsverzeichnis und Buchmodus sind beschädigt; das Album wird ohne sie geladen.";
  const std::string zeroDouble = Bytes({0, 0, 0, 0, 0, 0, 0, 0});
  const std::string bookBody = Bytes({0, 0, 0, 0}) + Bytes({0, 0, 0, 0}) + Bytes({0, 0, 0, 0, 0, 0, 0, 0}) +
                               Bytes({0, 0, 0, 0}) + Bytes({0, 0, 0, 0, 0, 0, 0, 0});
  const auto entry = [](const std::string& Tag, const std::string& Body) {
    return Tag + Bytes({static_cast<int>(Body.size()), 0, 0, 0}) + Body;
  };
  const struct {
    const char* What;
    std::string Entry;
    std::string Warning;
    size_t Marks;
    bool TitlePage;
  } rows[] = {
      {"a mark", entry("SECT", Bytes({1, 0, 0, 0, 2, 0, 0, 0}) + "/a" + Bytes({0, 0, 0, 0, 1, 0, 0, 0}) + "T"), "", 1, false},
      {"a count past the bytes", entry("SECT", Bytes({9, 0, 0, 0, 2, 0, 0, 0}) + "/a" + Bytes({0, 0, 0, 0, 0, 0, 0, 0})),
       sections, 0, false},
      {"an empty file name", entry("SECT", Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})), sections, 0, false},
      {"a title of no UTF-8", entry("SECT", Bytes({1, 0, 0, 0, 2, 0, 0, 0}) + "/a" + Bytes({0, 0, 0, 0, 1, 0, 0, 0, 0xC3})),
       sections, 0, false},
      {"bytes after the marks", entry("SECT", Bytes({0, 0, 0, 0, 7})), sections, 0, false},
      {"a title page", entry("BOOK", Bytes({1, 0, 0, 0}) + bookBody.substr(4) + zeroDouble), "", 0, true},
      {"later flags and bytes", entry("BOOK", Bytes({1, 0, 0, 0x80}) + bookBody.substr(4) + zeroDouble + "later"), "",
       0, true},
      {"cut short", entry("BOOK", Bytes({1, 0, 0, 0}) + bookBody.substr(4)), book, 0, false},
      {"a binding of 60 mm", entry("BOOK", Bytes({1, 0, 0, 0}) + bookBody.substr(4) + Bytes({0, 0, 0, 0, 0, 0, 0x4E, 0x40})),
       book, 0, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TLayoutSettings s;
    s.Book.Contents = true;  // what the window had before: a loaded album without the entry has none
    TAlbumModel loaded;
    const TAlbumFileResult r = LoadAlbumBytes(EncodeAlbum(TAlbumModel{}, TLayoutSettings{}) + head + row.Entry, loaded, s);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Warning, row.Warning);
    EXPECT_EQ(s.Book.Marks.size(), row.Marks);
    EXPECT_EQ(s.Book.TitlePage, row.TitlePage);
    EXPECT_FALSE(s.Book.Contents);
  }
}

// "Seitenaufteilung", "Fotos je Seite" and "Beschnitt höchstens" travel in G6 as 'LAYO' (the kind's
// name), 'PPAG' and 'CROP' (u32), written by hand here. Any of them damaged loads the album with the
// grid, its defaults and one warning; an older reader stops before them and shows the grid.
TEST(AlbumFileLoad, PageLayoutEntries) {
  const char* const damaged = "Die Seitenaufteilung ist beschädigt; das Album wird im Raster geladen.";
  const std::string autoEntry = "LAYO" + Bytes({4, 0, 0, 0}) + "auto";
  struct {
    const char* What;
    uint8_t Count;
    std::string Entries;
    TPageLayoutKind Kind;
    int32_t PhotosPerPage, CropBudget;
    bool Warned;
  } rows[] = {
      {"automatic", 1, autoEntry, TPageLayoutKind::Auto, 4, 10, false},
      {"six a page", 1, "PPAG" + Bytes({4, 0, 0, 0, 6, 0, 0, 0}), TPageLayoutKind::Raster, 6, 10, false},
      {"never cut", 1, "CROP" + Bytes({4, 0, 0, 0, 0, 0, 0, 0}), TPageLayoutKind::Raster, 4, 0, false},
      {"all three", 3, autoEntry + "PPAG" + Bytes({4, 0, 0, 0, 12, 0, 0, 0}) + "CROP" + Bytes({4, 0, 0, 0, 50, 0, 0, 0}),
       TPageLayoutKind::Auto, 12, 50, false},
      {"an unknown kind", 1, "LAYO" + Bytes({3, 0, 0, 0}) + "zig", TPageLayoutKind::Raster, 4, 10, true},
      {"the grid by name", 1, "LAYO" + Bytes({6, 0, 0, 0}) + "raster", TPageLayoutKind::Raster, 4, 10, true},
      {"thirteen a page", 2, autoEntry + "PPAG" + Bytes({4, 0, 0, 0, 13, 0, 0, 0}), TPageLayoutKind::Raster, 4, 10, true},
      {"none a page", 1, "PPAG" + Bytes({4, 0, 0, 0, 0, 0, 0, 0}), TPageLayoutKind::Raster, 4, 10, true},
      {"51 % cut", 2, autoEntry + "CROP" + Bytes({4, 0, 0, 0, 51, 0, 0, 0}), TPageLayoutKind::Raster, 4, 10, true},
      {"a budget of two bytes", 1, "CROP" + Bytes({2, 0, 0, 0, 5, 0}), TPageLayoutKind::Raster, 4, 10, true},
  };
  ASSERT_EQ(std::size(rows), 10u);
  for (const auto& row : rows) {
    TLayoutSettings s;
    s.PageLayout = TPageLayoutKind::Auto;  // what the window had: a loaded album without the entries has the grid
    s.PhotosPerPage = 7;
    s.CropBudget = 30;
    TAlbumModel loaded;
    const std::string tail = Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({row.Count, 0, 0, 0}) + row.Entries;
    const TAlbumFileResult r = LoadAlbumBytes(EncodeAlbum(TAlbumModel{}, TLayoutSettings{}) + tail, loaded, s);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(s.PageLayout, row.Kind) << row.What;
    EXPECT_EQ(s.PhotosPerPage, row.PhotosPerPage) << row.What;
    EXPECT_EQ(s.CropBudget, row.CropBudget) << row.What;
    EXPECT_EQ(r.Warning, row.Warned ? damaged : "") << row.What;
  }

  // Written: exactly those entries after G5, read back the same; an older reader's bytes end at G5
  // and are the bytes of the same album in the grid.
  TLayoutSettings s;
  s.PageLayout = TPageLayoutKind::Auto;
  s.PhotosPerPage = 6;
  s.CropBudget = 0;
  const std::string plain = EncodeAlbum(TAlbumModel{}, TLayoutSettings{});
  const std::string bytes = EncodeAlbum(TAlbumModel{}, s);
  EXPECT_EQ(bytes, plain + Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({3, 0, 0, 0}) + autoEntry + "PPAG" +
                       Bytes({4, 0, 0, 0, 6, 0, 0, 0}) + "CROP" + Bytes({4, 0, 0, 0, 0, 0, 0, 0}));
  TLayoutSettings back;
  TAlbumModel loaded;
  ASSERT_TRUE(LoadAlbumBytes(bytes, loaded, back).Ok);
  EXPECT_EQ(back.PageLayout, TPageLayoutKind::Auto);
  EXPECT_EQ(back.PhotosPerPage, 6);
  EXPECT_EQ(back.CropBudget, 0);
  TAlbumImage older;
  ASSERT_TRUE(ParseAlbum(bytes.substr(0, plain.size() + 5), older).Ok);
  EXPECT_FALSE(older.Extensions.Present);
  EXPECT_EQ(bytes.substr(0, plain.size()), plain);
}

// How each photo is placed travels in G6 as 'PLAC': the photo count, then per photo its bits (1
// "Füllen", 2 "Groß", 4 "Ganze Seite") and its focus point as two u16 in 1/10000 of the picture,
// written by hand here. Damaged, every photo is fitted whole at its centre and one warning says so.
TEST(AlbumFileLoad, PhotoPlacementEntry) {
  const char* const damaged =
      "Die Einstellungen der Fotos (Füllen, Groß, Ganze Seite) sind beschädigt; die Fotos werden eingepasst gezeigt.";
  // Two photos: the first fitted at the centre (5000 = 0x1388), the second filled and big with its
  // point at 0.25, 1 (2500 = 0x09C4, 10000 = 0x2710).
  const std::string good = Bytes({2, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 3, 0xC4, 0x09, 0x10, 0x27});
  struct {
    const char* What;
    std::string Data;
    int Placement1;
    double FocusX1, FocusY1;
    bool Warned;
  } rows[] = {
      {"filled and big", good, 3, 0.25, 1, false},
      {"a page of its own", Bytes({2, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 4, 0x88, 0x13, 0x88, 0x13}), 4, 0.5, 0.5,
       false},
      {"the top left corner", Bytes({2, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 1, 0, 0, 0, 0}), 1, 0, 0, false},
      {"three photos counted", Bytes({3, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 1, 0, 0, 0, 0}), 0, 0.5, 0.5, true},
      {"an unknown bit", Bytes({2, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 8, 0x88, 0x13, 0x88, 0x13}), 0, 0.5, 0.5, true},
      {"a point right of the picture", Bytes({2, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 1, 0x11, 0x27, 0x88, 0x13}), 0,
       0.5, 0.5, true},
      {"a byte short", Bytes({2, 0, 0, 0, 0, 0x88, 0x13, 0x88, 0x13, 1, 0x88, 0x13, 0x88}), 0, 0.5, 0.5, true},
  };
  ASSERT_EQ(std::size(rows), 7u);
  TAlbumModel album;
  AddPhoto(album, "/a.jpg", "A");
  AddPhoto(album, "/b.jpg", "B");
  const std::string plain = EncodeAlbum(album, TLayoutSettings{});
  for (const auto& row : rows) {
    TAlbumModel loaded;
    TLayoutSettings s;
    const std::string length = Bytes({static_cast<int>(row.Data.size()), 0, 0, 0});
    const TAlbumFileResult r =
        LoadAlbumBytes(plain + Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({1, 0, 0, 0}) + "PLAC" + length + row.Data,
                       loaded, s);
    ASSERT_TRUE(r.Ok) << r.Message;
    ASSERT_EQ(loaded.Pics.Count, 2u) << row.What;
    EXPECT_EQ(loaded.Pics[0].Placement, 0) << row.What;
    EXPECT_EQ(loaded.Pics[1].Placement, row.Placement1) << row.What;
    EXPECT_EQ(EntryFocusX(loaded.Pics[1]), row.FocusX1) << row.What;
    EXPECT_EQ(EntryFocusY(loaded.Pics[1]), row.FocusY1) << row.What;
    EXPECT_EQ(r.Warning, row.Warned ? damaged : "") << row.What;
  }

  // Written: exactly the entry of the first row; read back the same file; an older reader stops at
  // G5; back at the defaults the album is the file it was without them.
  album.Pics[1].Placement = KPlaceFill | KPlaceBig;
  SetEntryFocus(album.Pics[1], 0.25, 1);
  const std::string bytes = EncodeAlbum(album, TLayoutSettings{});
  EXPECT_EQ(bytes, plain + Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({1, 0, 0, 0}) + "PLAC" + Bytes({14, 0, 0, 0}) + good);
  TAlbumModel loaded;
  TLayoutSettings back;
  ASSERT_TRUE(LoadAlbumBytes(bytes, loaded, back).Ok);
  EXPECT_EQ(EncodeAlbum(loaded, back), bytes);
  TAlbumImage older;
  ASSERT_TRUE(ParseAlbum(bytes.substr(0, plain.size() + 5), older).Ok);
  EXPECT_EQ(older.Photos.size(), 2u);
  EXPECT_FALSE(older.Extensions.Present);
  album.Pics[1].Placement = 0;
  SetEntryFocus(album.Pics[1], 0.5, 0.5);
  EXPECT_EQ(EncodeAlbum(album, TLayoutSettings{}), plain);
}
