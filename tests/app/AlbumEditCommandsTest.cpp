// The commands that change an album in place, run as the built program on scratch folders: what each
// does, that it keeps what it does not change to the byte, and that bad input changes nothing.

#include <gtest/gtest.h>

#include <filesystem>

#include "album/AlbumFile.h"
#include "support/TestSupport.h"

namespace {

using TResult = qtest::TProgramResult;

std::string Bytes(std::initializer_list<int> Values) {
  std::string out;
  for (int v : Values) out.push_back(static_cast<char>(v));
  return out;
}

// G5 at its defaults and a sixth group of one entry no version knows yet: "ZZZZ", three bytes.
const std::string KForeignGroup = Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({1, 0, 0, 0}) + "ZZZZ" +
                                  Bytes({3, 0, 0, 0, 7, 8, 9});

class AlbumEditCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"p1.jpg", "p2.jpg", "p3.jpg", "q.jpg"}) qtest::WriteFile(Dir.Path() / name, "x");
    TAlbumModel album;
    for (const char* name : {"p1.jpg", "p2.jpg", "p3.jpg"}) {
      TPicEntry* entry = album.Pics.Append();
      SetEntryFileName(*entry, Dir / name);
      SetEntryText(*entry, name);
    }
    // New photos get no text, so that none depends on how long the scratch folder's path is.
    TLayoutSettings settings;
    settings.FilenamesCheck = false;
    Original = EncodeAlbum(album, settings) + KForeignGroup;
    qtest::WriteFile(Dir.Path() / "a.qvl", Original);
  }
  TResult Quirvel(const std::string& Args) { return qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), Args); }
  std::string Album(const std::string& Name = "a.qvl") { return qtest::ReadFile(Dir.Path() / Name); }
  // The photos' file names (without the folder) and texts, "p1.jpg:p1.jpg p2.jpg:Text".
  std::string Photos(TLayoutSettings* Settings = nullptr) {
    TAlbumModel album;
    TLayoutSettings settings;
    EXPECT_TRUE(OpenAlbumFile(Dir / "a.qvl", album, settings).Ok);
    if (Settings) *Settings = settings;
    std::string out;
    for (uint32_t i = 0; i < album.Pics.Count; ++i)
      out += (i ? " " : "") + std::filesystem::path(album.Pics[i].FileName).filename().string() + ":" +
             album.Pics[i].Text;
    return out;
  }

  qtest::TScratchDir Dir;
  std::string Original;
};

}  // namespace

// Each command's change, seen through the file read back; the unknown entry is still at the file's end.
TEST_F(AlbumEditCommands, EachCommandMakesItsChange) {
  const struct {
    const char* Args;
    const char* Out;
    const char* Photos;
  } rows[] = {
      {"album add a.qvl q.jpg", "Album „a.qvl“: 1 Foto hinzugefügt, jetzt 4 Fotos.\n",
       "p1.jpg:p1.jpg p2.jpg:p2.jpg p3.jpg:p3.jpg q.jpg:"},
      {"album add --at 1 a.qvl q.jpg p1.jpg", "Album „a.qvl“: 2 Fotos hinzugefügt, jetzt 5 Fotos.\n",
       "q.jpg: p1.jpg: p1.jpg:p1.jpg p2.jpg:p2.jpg p3.jpg:p3.jpg"},
      {"album add --at=4 a.qvl q.jpg", "Album „a.qvl“: 1 Foto hinzugefügt, jetzt 4 Fotos.\n",
       "p1.jpg:p1.jpg p2.jpg:p2.jpg p3.jpg:p3.jpg q.jpg:"},
      {"album remove a.qvl 3 1 3", "Album „a.qvl“: 2 Fotos entfernt, jetzt 1 Foto.\n", "p2.jpg:p2.jpg"},
      {"album move a.qvl 1 3", "Album „a.qvl“: Foto 1 steht jetzt an Platz 3.\n",
       "p2.jpg:p2.jpg p3.jpg:p3.jpg p1.jpg:p1.jpg"},
      {"album move a.qvl 3 2", "Album „a.qvl“: Foto 3 steht jetzt an Platz 2.\n",
       "p1.jpg:p1.jpg p3.jpg:p3.jpg p2.jpg:p2.jpg"},
      {"album text a.qvl 2 'Oma\nund Opa'", "Album „a.qvl“: Text von Foto 2 geschrieben.\n",
       "p1.jpg:p1.jpg p2.jpg:Oma\r\nund Opa p3.jpg:p3.jpg"},
      {"album text a.qvl 1 ''", "Album „a.qvl“: Text von Foto 1 geschrieben.\n",
       "p1.jpg: p2.jpg:p2.jpg p3.jpg:p3.jpg"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Args);
    qtest::WriteFile(Dir.Path() / "a.qvl", Original);
    const TResult r = Quirvel(row.Args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, row.Out);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(Photos(), row.Photos);
    const std::string bytes = Album();
    EXPECT_EQ(bytes.substr(bytes.size() - 11), "ZZZZ" + Bytes({3, 0, 0, 0, 7, 8, 9}));
  }
}

// What a command does not change stays as it was, to the byte: a change and its reverse give the file
// back, the unknown entry included.
TEST_F(AlbumEditCommands, ChangedAndChangedBackIsTheSameFile) {
  const std::pair<const char*, const char*> pairs[] = {
      {"album move a.qvl 1 3", "album move a.qvl 3 1"},
      {"album text a.qvl 2 neu", "album text a.qvl 2 p2.jpg"},
      {"album set --columns 4 --name Urlaub a.qvl", "album set --columns=2 --name=Familienfotos a.qvl"},
      {"album add --at 2 a.qvl q.jpg", "album remove a.qvl 2"},
      {"album sort --by name --reverse a.qvl", "album sort --by name a.qvl"},
  };
  for (const auto& [there, back] : pairs) {
    SCOPED_TRACE(there);
    qtest::WriteFile(Dir.Path() / "a.qvl", Original);
    ASSERT_EQ(Quirvel(there).Status, 0);
    EXPECT_NE(Album(), Original);
    ASSERT_EQ(Quirvel(back).Status, 0);
    EXPECT_EQ(Album(), Original);
  }
}

// "album set" sets how photos are placed, by their numbers; "album show" lists what is not the default.
TEST_F(AlbumEditCommands, PerPhotoPlacement) {
  TResult r = Quirvel("album set --fill 1,3 --point 3 0.25,1 --big 2 --full-page 3 a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Album „a.qvl“: Einstellungen geschrieben.\n");
  r = Quirvel("album show a.qvl");
  const std::string text = r.Out.substr(r.Out.find("  1. "), r.Out.find("Schrift der") - r.Out.find("  1. "));
  const std::string dir = Dir.Path().string();
  EXPECT_EQ(text, "  1. " + dir + "/p1.jpg\n     Text: \"p1.jpg\"\n     Platz: Füllen\n"
                  "  2. " + dir + "/p2.jpg\n     Text: \"p2.jpg\"\n     Platz: Einpassen, Groß\n"
                  "  3. " + dir + "/p3.jpg\n     Text: \"p3.jpg\"\n     Platz: Füllen, Punkt 0,25 / 1, Ganze Seite\n");
  r = Quirvel("album show --json a.qvl");
  EXPECT_NE(r.Out.find("\"text\": \"p3.jpg\", \"fill\": true, \"point\": [0.25, 1], \"fullPage\": true}"),
            std::string::npos)
      << r.Out;
  // Back to the defaults: the album is the file it was.
  r = Quirvel("album set --fit 1,3 --point 3 0.5,0.5 --normal-size 2,3 a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Album(), Original);
}

// "album set" takes the album options of the export, "album new" the name; "album show" prints it.
TEST_F(AlbumEditCommands, SettingsAndTheAlbumName) {
  TResult r = Quirvel("album set --name Hochzeit --columns 4 --bleed 2 --text-template '{Name}!' a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Album „a.qvl“: Einstellungen geschrieben.\n");
  TLayoutSettings s;
  EXPECT_EQ(Photos(&s), "p1.jpg:p1.jpg p2.jpg:p2.jpg p3.jpg:p3.jpg");
  EXPECT_EQ(s.CapED, "Hochzeit");
  EXPECT_EQ(s.CountXEd, 4);
  EXPECT_EQ(s.Bleed, 2);
  EXPECT_EQ(s.TextTemplate, "{Name}!");
  r = Quirvel("album show a.qvl");
  EXPECT_EQ(r.Out.substr(0, r.Out.find("Fotos:")), "Album: a.qvl\nName: Hochzeit\n");
  EXPECT_NE(Quirvel("album show --json a.qvl").Out.find("\"name\": \"Hochzeit\""), std::string::npos);
  // New photos get their texts from the template the album now has.
  ASSERT_EQ(Quirvel("album add a.qvl q.jpg").Status, 0);
  EXPECT_EQ(Photos(), "p1.jpg:p1.jpg p2.jpg:p2.jpg p3.jpg:p3.jpg q.jpg:q!");

  ASSERT_EQ(Quirvel("album new --name 'Urlaub 2026' n.qvl").Status, 0);
  r = Quirvel("album show n.qvl");
  EXPECT_EQ(r.Out.substr(0, r.Out.find("Fotos:")), "Album: n.qvl\nName: Urlaub 2026\n");
}

// A photo whose file is missing goes in with a warning, as in the window; a file name in Latin-1 stays
// the bytes the system gave.
TEST_F(AlbumEditCommands, AddingMissingAndLatin1Photos) {
  const std::string latin1 = "Bild-\xE4.jpg";
  qtest::WriteFile(Dir.Path() / latin1, "x");
  TResult r = Quirvel("album add a.qvl weg.jpg \"$(printf 'Bild-\\344.jpg')\"");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "Warnung: Foto nicht gefunden: „weg.jpg“; es steht trotzdem im Album.\n");
  TAlbumModel album;
  TLayoutSettings settings;
  ASSERT_TRUE(OpenAlbumFile(Dir / "a.qvl", album, settings).Ok);
  ASSERT_EQ(album.Pics.Count, 5u);
  EXPECT_EQ(std::string(album.Pics[3].FileName), Dir / "weg.jpg");
  EXPECT_EQ(std::string(album.Pics[4].FileName), Dir / latin1);
  EXPECT_TRUE(std::filesystem::exists(album.Pics[4].FileName));
  EXPECT_STREQ(album.Pics[4].Text, "");
  // With default texts, the text is made readable: the name's bytes read as Windows-1252.
  ASSERT_EQ(Quirvel("album new n.qvl \"$(printf 'Bild-\\344.jpg')\"").Status, 0);
  TAlbumModel made;
  ASSERT_TRUE(OpenAlbumFile(Dir / "n.qvl", made, settings).Ok);
  ASSERT_EQ(made.Pics.Count, 1u);
  EXPECT_EQ(std::string(made.Pics[0].FileName), Dir / latin1);
  std::string text = made.Pics[0].Text;
  std::erase(text, '\r');  // a break before every 50th character of the path may fall into the name
  EXPECT_EQ(text, "Bild-ä.jpg");
}

// Bad input: a German message, the exit status of the other commands, and the album as it was.
TEST_F(AlbumEditCommands, BadInputChangesNothing) {
  qtest::WriteFile(Dir.Path() / "pic.jpg", "\xFF\xD8\xFF\xE0 a picture");
  // A damaged album: a 'TURN' entry for five photos in an album of three.
  const std::string damaged = Original.substr(0, Original.size() - KForeignGroup.size()) +
                              Bytes({0, 0, 0, 0, 0}) + "QXG6" + Bytes({1, 0, 0, 0}) + "TURN" +
                              Bytes({9, 0, 0, 0, 5, 0, 0, 0, 1, 1, 1, 1, 1});
  qtest::WriteFile(Dir.Path() / "d.qvl", damaged);
  qtest::WriteFile(Dir.Path() / "ro.qvl", Original);
  std::filesystem::permissions(Dir.Path() / "ro.qvl", std::filesystem::perms::owner_read);
  const char* const kept = " Das Album wurde nicht geändert.\n";
  const std::string damage =
      "Fehler: Die Albumdatei ist beschädigt: Die Drehungen der Fotos sind beschädigt; die Fotos werden "
      "ungedreht gezeigt. Wird das Album geschrieben, geht das verloren. Mit --force wird es trotzdem "
      "geschrieben.";
  const struct {
    const char* Args;
    int Status;
    std::string Message;  // the first line of standard error
  } rows[] = {
      {"album remove a.qvl 4", 1, std::string("Fehler: Die Nummer 4 gibt es nicht; möglich ist 1 bis 3.") + kept},
      {"album remove a.qvl 0", 1, std::string("Fehler: Die Nummer 0 gibt es nicht; möglich ist 1 bis 3.") + kept},
      {"album remove a.qvl zwei", 2, "Fehler: „zwei“ ist keine Fotonummer (1, 2, ...).\n"},
      {"album remove a.qvl", 2, "Fehler: Es fehlt die Nummer mindestens eines Fotos.\n"},
      {"album add --at 5 a.qvl q.jpg", 1, std::string("Fehler: Die Nummer 5 gibt es nicht; möglich ist 1 bis 4.") + kept},
      {"album add a.qvl", 2, "Fehler: Es fehlt mindestens ein Foto.\n"},
      {"album move a.qvl 1", 2, "Fehler: Es fehlt die Nummer des Fotos und die Nummer seines neuen Platzes.\n"},
      {"album move a.qvl 1 9", 1, std::string("Fehler: Die Nummer 9 gibt es nicht; möglich ist 1 bis 3.") + kept},
      {"album text a.qvl 4 X", 1, std::string("Fehler: Die Nummer 4 gibt es nicht; möglich ist 1 bis 3.") + kept},
      {"album text a.qvl 1 \"$(printf '\\377')\"", 1,
       "Fehler: Der Text zu album text ist kein gültiges UTF-8; das Album speichert Texte in UTF-8.\n"},
      {"album set a.qvl", 2, "Fehler: Es fehlt eine Einstellung, die gesetzt werden soll.\n"},
      {"album set --embed-fonts a.qvl", 2,
       "Fehler: --embed-fonts wird nicht im Album gespeichert; es gilt nur für „quirvel export“.\n"},
      {"album set --columns 0 a.qvl", 1, "Fehler: --columns erwartet eine ganze Zahl von 1 bis 100, nicht „0“.\n"},
      {"album set --bogus a.qvl", 2, "Fehler: Unbekannte Option „--bogus“ für „quirvel album set“.\n"},
      {"album set --fill 1,4 a.qvl", 1, std::string("Fehler: Die Nummer 4 gibt es nicht; möglich ist 1 bis 3.") + kept},
      {"album set --point 1 1.5,0 a.qvl", 2,
       "Fehler: --point erwartet einen Punkt X,Y mit X und Y von 0 bis 1 (etwa 0.25,0.5), nicht „1.5,0“.\n"},
      {"album add pic.jpg q.jpg", 1, "Fehler: Die Datei ist keine gültige Quirvel Datei...\n"},
      {"album text ro.qvl 1 X", 1, std::string("Fehler: Die Albumdatei „ro.qvl“ ist schreibgeschützt.") + kept},
      {"album text d.qvl 1 X", 1, damage + kept},
      {"album sort --by name d.qvl", 1, damage + kept},
      {"album new --text-template \"$(printf '{Name}\\374')\" n.qvl", 1,
       "Fehler: Der Text zu --text-template ist kein gültiges UTF-8; das Album speichert Texte in UTF-8.\n"},
      {"album set --name \"$(printf '\\374')\" a.qvl", 1,
       "Fehler: Der Text zu --name ist kein gültiges UTF-8; das Album speichert Texte in UTF-8.\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Args);
    const TResult r = Quirvel(row.Args);
    EXPECT_EQ(r.Status, row.Status) << r.Err;
    EXPECT_EQ(r.Err.substr(0, r.Err.find('\n') + 1), row.Message);
    EXPECT_EQ(Album(), Original);
    EXPECT_EQ(Album("ro.qvl"), Original);
    EXPECT_EQ(Album("d.qvl"), damaged);
    EXPECT_EQ(qtest::ReadFile(Dir.Path() / "pic.jpg"), "\xFF\xD8\xFF\xE0 a picture");
    EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "n.qvl"));
  }
  // Told to, the damaged album is written without what did not load.
  const TResult r = Quirvel("album text --force d.qvl 1 X");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "Warnung: " + damage.substr(8, damage.find(" Mit --force") - 8) + "\n");
  TAlbumModel album;
  TLayoutSettings settings;
  const TAlbumFileResult reread = OpenAlbumFile(Dir / "d.qvl", album, settings);
  ASSERT_TRUE(reread.Ok);
  EXPECT_EQ(reread.Warning, "");
  EXPECT_STREQ(album.Pics[0].Text, "X");
}
