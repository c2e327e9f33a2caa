// The album file's sixth group: entries of other versions kept as they were, the album name, file
// names that are the system's bytes, and damaged entries. Every group is written out by hand here:
// magic "QXG6", an entry count, then tag, length and bytes per entry.

#include <gtest/gtest.h>

#include "album/AlbumFile.h"

namespace {

std::string Bytes(std::initializer_list<int> Values) {
  std::string out;
  for (int v : Values) out.push_back(static_cast<char>(v));
  return out;
}

std::string Entry(const std::string& Tag, const std::string& Data) {
  const auto n = static_cast<uint32_t>(Data.size());
  return Tag + Bytes({int(n & 0xFF), int(n >> 8 & 0xFF), 0, 0}) + Data;
}

std::string Group(std::initializer_list<std::string> Entries) {
  std::string out = Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({int(Entries.size()), 0, 0, 0});
  for (const std::string& e : Entries) out += e;
  return out;
}

// Two photos, no text, every setting at its default: the bytes before G5.
std::string TwoPhotos() {
  TAlbumModel album;
  for (const char* name : {"/a.jpg", "/b.jpg"}) SetEntryFileName(*album.Pics.Append(), name);
  return EncodeAlbum(album, TLayoutSettings{});
}

const std::string KUnknown = Entry("ZZZZ", Bytes({1, 2, 3}));
const std::string KOther = Entry("NEU1", "");  // an empty unknown entry is kept too
const std::string KTurns = Entry("TURN", Bytes({2, 0, 0, 0, 1, 0}));
const std::string KBleed = Entry("BLED", Bytes({0, 0, 0, 0, 0, 0, 8, 0x40}));  // 3.0 mm

}  // namespace

// An album written by a newer version loads, and writes back to the byte, its unknown entries in their
// places among the known ones; a known entry that changes keeps its place, one that goes back to its
// default leaves, a new one comes after the others.
TEST(AlbumExtensions, UnknownEntriesAreKeptInTheirPlaces) {
  const std::string head = TwoPhotos();
  const struct {
    const char* What;
    std::string Group;
    std::string AfterTurningBack;  // the second photo turned back: no 'TURN' left
    std::string AfterBleed4;       // bleed set to 4 mm
  } rows[] = {
      {"unknown alone", Group({KUnknown}), Group({KUnknown}),
       Group({KUnknown, Entry("BLED", Bytes({0, 0, 0, 0, 0, 0, 0x10, 0x40}))})},
      {"unknown first", Group({KUnknown, KTurns}), Group({KUnknown}),
       Group({KUnknown, KTurns, Entry("BLED", Bytes({0, 0, 0, 0, 0, 0, 0x10, 0x40}))})},
      {"between known ones", Group({KBleed, KOther, KTurns, KUnknown}), Group({KBleed, KOther, KUnknown}),
       Group({Entry("BLED", Bytes({0, 0, 0, 0, 0, 0, 0x10, 0x40})), KOther, KTurns, KUnknown})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel album;
    TLayoutSettings settings;
    const TAlbumFileResult r = LoadAlbumBytes(head + row.Group, album, settings);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Warning, "");
    EXPECT_EQ(album.Damage, "");
    EXPECT_EQ(EncodeAlbum(album, settings), head + row.Group);

    TLayoutSettings bleed = settings;
    bleed.Bleed = 4;
    EXPECT_EQ(EncodeAlbum(album, bleed), head + row.AfterBleed4);
    album.Pics[0].Turn = 0;
    EXPECT_EQ(EncodeAlbum(album, settings), head + row.AfterTurningBack);
  }
  // Another album starts without them.
  TAlbumModel album;
  TLayoutSettings settings;
  ASSERT_TRUE(LoadAlbumBytes(head + Group({KUnknown}), album, settings).Ok);
  album.FreeAllPics();
  EXPECT_EQ(EncodeAlbum(album, settings), EncodeAlbum(TAlbumModel{}, TLayoutSettings{}));
}

// 'NAME' holds the album name as UTF-8, written only when it is not "Familienfotos".
TEST(AlbumExtensions, AlbumName) {
  const std::string head = TwoPhotos();
  const struct {
    const char* What;
    std::string Tail;
    const char* Name;
    bool Warned;
  } rows[] = {
      {"no entry", "", "Familienfotos", false},
      {"a name", Group({Entry("NAME", "Hochzeit 2026")}), "Hochzeit 2026", false},
      {"umlauts", Group({Entry("NAME", "Grüße")}), "Grüße", false},
      {"empty", Group({Entry("NAME", "")}), "", false},
      {"no UTF-8", Group({Entry("NAME", Bytes({'G', 0xFC}))}), "Familienfotos", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel album;
    TLayoutSettings settings;
    settings.CapED = "vorher";
    const TAlbumFileResult r = LoadAlbumBytes(head + row.Tail, album, settings);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(settings.CapED, row.Name);
    EXPECT_EQ(!r.Warning.empty(), row.Warned) << r.Warning;
    if (!row.Warned) {
      EXPECT_EQ(EncodeAlbum(album, settings), head + row.Tail);
    }
  }
}

// A second entry of a tag that is damaged leaves what the first set at its default, as the warning says.
TEST(AlbumExtensions, ADamagedRepeatedEntrySetsTheDefault) {
  const std::string head = TwoPhotos();
  const struct {
    const char* What;
    std::string Good, Bad;
    const char* Warning;
  } rows[] = {
      {"turns", KTurns, Entry("TURN", Bytes({2, 0, 0, 0, 9, 0})),
       "Die Drehungen der Fotos sind beschädigt; die Fotos werden ungedreht gezeigt."},
      {"bleed", KBleed, Entry("BLED", "abcd"),
       "Die Beschnittzugabe ist beschädigt; das Album wird ohne Beschnittzugabe geladen."},
      {"PDF/A", Entry("PDFA", "1b"), Entry("PDFA", "3u"),
       "Die Wahl von PDF/A ist beschädigt; das Album wird ohne PDF/A geladen."},
      {"template", Entry("TMPL", "{Name}"), Entry("TMPL", Bytes({0xC3, 0x28})),
       "Die Vorlage für Vorgabetexte ist beschädigt und wurde nicht geladen."},
      {"name", Entry("NAME", "Urlaub"), Entry("NAME", Bytes({0xFF})),
       "Der Name des Albums ist beschädigt; das Album heißt „Familienfotos“."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel album;
    TLayoutSettings settings;
    const TAlbumFileResult r = LoadAlbumBytes(head + Group({row.Good, row.Bad}), album, settings);
    ASSERT_TRUE(r.Ok) << r.Message;
    EXPECT_EQ(r.Warning, row.Warning);
    EXPECT_EQ(album.Damage, row.Warning);
    EXPECT_EQ(album.Pics[0].Turn + album.Pics[1].Turn, 0);
    EXPECT_EQ(settings, TLayoutSettings{}) << "every setting at its default";
    EXPECT_EQ(DamagedAlbumText(album), std::string("Die Albumdatei ist beschädigt: ") + row.Warning +
                                           " Wird das Album geschrieben, geht das verloren.");
  }
  TAlbumModel intact;
  TLayoutSettings settings;
  ASSERT_TRUE(LoadAlbumBytes(head + Group({KTurns}), intact, settings).Ok);
  EXPECT_EQ(DamagedAlbumText(intact), "");
}

// A file name that is no UTF-8 (Latin-1 "Bild-ä.jpg") stays the system's bytes through saving and
// loading, marked by 'RAWN'; without the entry, as older versions wrote it, such bytes are Windows-1252.
TEST(AlbumExtensions, FileNamesThatAreNoUtf8KeepTheirBytes) {
  const std::string latin1 = "/p/Bild-\xE4.jpg";
  TAlbumModel album;
  SetEntryFileName(*album.Pics.Append(), "/p/ok.jpg");
  SetEntryFileName(*album.Pics.Append(), latin1);
  const std::string plain = EncodeAlbum(TAlbumModel{}, TLayoutSettings{}).substr(8);  // fonts and settings
  const std::string records = Bytes({0xAB, 0xCD, 0, 0, 2, 0, 0, 0}) + Bytes({9, 0, 0, 0}) + "/p/ok.jpg" +
                              Bytes({0, 0, 0, 0}) + Bytes({13, 0, 0, 0}) + latin1 + Bytes({0, 0, 0, 0});
  const std::string raw = Entry("RAWN", Bytes({2, 0, 0, 0, 0, 1}));
  EXPECT_EQ(EncodeAlbum(album, TLayoutSettings{}), records + plain + Group({raw}));

  const struct {
    const char* What;
    std::string Tail;
    std::string Name;
    bool Warned;
  } rows[] = {
      {"marked", Group({raw}), latin1, false},
      {"older album", "", "/p/Bild-ä.jpg", false},
      {"mark for three photos", Group({Entry("RAWN", Bytes({3, 0, 0, 0, 0, 1, 0}))}), "/p/Bild-ä.jpg", true},
      {"mark of 2", Group({Entry("RAWN", Bytes({2, 0, 0, 0, 0, 2}))}), "/p/Bild-ä.jpg", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    TAlbumModel loaded;
    TLayoutSettings settings;
    const TAlbumFileResult r = LoadAlbumBytes(records + plain + row.Tail, loaded, settings);
    ASSERT_TRUE(r.Ok) << r.Message;
    ASSERT_EQ(loaded.Pics.Count, 2u);
    EXPECT_EQ(std::string(loaded.Pics[0].FileName), "/p/ok.jpg");
    EXPECT_EQ(std::string(loaded.Pics[1].FileName), row.Name);
    EXPECT_EQ(!r.Warning.empty(), row.Warned) << r.Warning;
  }
}
