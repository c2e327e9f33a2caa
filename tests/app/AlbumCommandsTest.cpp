// Runs the built program's album commands on scratch folders, without a display.

#include <gtest/gtest.h>

#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "support/TestSupport.h"

namespace {

using TResult = qtest::TProgramResult;

class AlbumCommands : public ::testing::Test {
 protected:
  TResult Quirvel(const std::string& Args) { return qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), Args); }
  std::string Photo(const std::string& Name) {
    qtest::WriteFile(Dir.Path() / Name, "not really a picture");
    return Name;
  }
  bool Exists(const std::string& Name) { return std::filesystem::exists(Dir.Path() / Name); }

  qtest::TScratchDir Dir;
};

TEST_F(AlbumCommands, HelpRunsWithoutADisplay) {
  for (const char* args : {"--help", "-h", "album new --help", "album show --help"}) {
    const TResult r = Quirvel(args);
    EXPECT_EQ(r.Status, 0) << args << r.Err;
    EXPECT_NE(r.Out.find("quirvel album"), std::string::npos) << args;
  }
  EXPECT_NE(Quirvel("album new --help").Out.find("--frame-colour RRGGBB"), std::string::npos);
}

TEST_F(AlbumCommands, UnknownCommandsAndOptionsAreUsageErrors) {
  TResult r = Quirvel("album frobnicate x.qvl");
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err,
            "Fehler: Unbekannter Befehl „album frobnicate“.\n"
            "Aufruf: quirvel [ALBUM.qvl] oder quirvel BEFEHL [ARGUMENTE]\n"
            "Eine Übersicht zeigt „quirvel --help“.\n");
  EXPECT_EQ(Quirvel("album").Status, 1);
  r = Quirvel("album new --bogus a.qvl");
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err,
            "Fehler: Unbekannte Option „--bogus“ für „quirvel album new“.\n"
            "Aufruf: quirvel album new [OPTIONEN] ALBUM.qvl [FOTO...]\n"
            "Mehr zeigt „quirvel album new --help“.\n");
  EXPECT_FALSE(Exists("a.qvl"));
}

TEST_F(AlbumCommands, NewWritesDefaultTextsAndAbsolutePaths) {
  Photo("b.jpg");
  std::filesystem::create_directory(Dir.Path() / "sub");
  Photo("sub/Grüße.jpg");
  TResult r = Quirvel("album new a.qvl b.jpg ./sub/../sub/Grüße.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Album „a.qvl“ mit 2 Fotos geschrieben.\n");

  TAlbumModel album;
  TLayoutSettings settings;
  settings.CountXEd = 9;
  ASSERT_TRUE(OpenAlbumFile(Dir / "a.qvl", album, settings).Ok);
  ASSERT_EQ(album.Pics.Count, 2u);
  EXPECT_EQ(std::string(album.Pics[0].FileName), Dir / "b.jpg");
  EXPECT_EQ(std::string(album.Pics[1].FileName), Dir / "sub/Grüße.jpg");
  // The scratch folder's path is long: a break may fall into the file name.
  EXPECT_EQ(std::string(album.Pics[1].Text), DefaultPhotoText(Dir / "sub/Grüße.jpg", false));
  EXPECT_EQ(std::string(FileNamePart(album.Pics[1].Text)), std::string(album.Pics[1].Text));
  EXPECT_EQ(settings.CountXEd, 2) << "first-start settings";

  r = Quirvel("album new empty.qvl");  // an album without photos is allowed
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(qtest::ReadFile(Dir / "empty.qvl").size(), 137u);
}

TEST_F(AlbumCommands, OptionsSetTheSettings) {
  Photo("p.jpg");
  const TResult r = Quirvel(
      "album new --columns 4 --rows=5 --copies 2 --page-size 100x150,5 --margins 10,12.5 --spacing '2,5;3' "
      "--no-texts --no-heading --heading-first-page-only --no-page-numbers --zoom-in --frame "
      "--frame-colour FF8000 --background '#0000ff' --with-path a.qvl p.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  TAlbumModel album;
  TLayoutSettings s;
  ASSERT_TRUE(OpenAlbumFile(Dir / "a.qvl", album, s).Ok);
  EXPECT_EQ(s.CountXEd, 4);
  EXPECT_EQ(s.CountYEd, 5);
  EXPECT_EQ(s.XMalEd, 2);
  EXPECT_EQ(s.PageWidthEd, 100);
  EXPECT_EQ(s.PageHeightEd, 150.5);
  EXPECT_EQ(s.RandXEd, 10);
  EXPECT_EQ(s.RandYEd, 12.5);
  EXPECT_EQ(s.SpaceHED, 2.5);
  EXPECT_EQ(s.SpaceVEd, 3);
  EXPECT_FALSE(s.TextCheck || s.CaptionCheck || s.CaptionOnAllPages || s.PageNrCheck);
  EXPECT_TRUE(s.ZoomInFotosCheck && s.RahmenCheck && s.PathCheck);
  EXPECT_EQ(s.Shape2, 0x000080FFu);  // RRGGBB in, 0x00BBGGRR stored
  EXPECT_EQ(s.Shape1, 0x00FF0000u);
  // With the path, the text is the whole path with its line breaks every 50 characters.
  EXPECT_EQ(EntryText(album.Pics[0]), DefaultPhotoText(Dir / "p.jpg", true));

  ASSERT_EQ(Quirvel("album new --no-default-texts b.qvl p.jpg").Status, 0);
  TAlbumModel plain;
  ASSERT_TRUE(OpenAlbumFile(Dir / "b.qvl", plain, s).Ok);
  EXPECT_STREQ(plain.Pics[0].Text, "");
  EXPECT_FALSE(s.FilenamesCheck);
}

TEST_F(AlbumCommands, BadValuesAreRefusedWithGermanMessages) {
  Photo("p.jpg");
  struct {
    const char* Args;
    const char* Message;
  } rows[] = {
      {"--columns 0", "Fehler: --columns erwartet eine ganze Zahl von 1 bis 100, nicht „0“.\n"},
      {"--rows 2.5", "Fehler: --rows erwartet eine ganze Zahl von 1 bis 100, nicht „2.5“.\n"},
      {"--copies abc", "Fehler: --copies erwartet eine ganze Zahl von 1 bis 100, nicht „abc“.\n"},
      {"--margins 250,1", "Fehler: --margins erwartet Millimeter von 0 bis 100, nicht „250“.\n"},
      {"--page-size 0x10", "Fehler: --page-size erwartet Millimeter von 1 bis 10000, nicht „0“.\n"},
      {"--spacing 5",
       "Fehler: --spacing erwartet zwei Werte in Millimetern, getrennt durch „,“, nicht „5“.\n"},
      {"--frame-colour 12345",
       "Fehler: --frame-colour erwartet eine Farbe RRGGBB (hexadezimal), nicht „12345“.\n"},
      {"--frame=1", "Fehler: Die Option --frame hat keinen Wert.\n"},
      {"--columns", "Fehler: Zur Option --columns fehlt der Wert.\n"},
  };
  for (const auto& row : rows) {
    const TResult r = Quirvel(std::string("album new a.qvl p.jpg ") + row.Args);
    EXPECT_EQ(r.Status, 1) << row.Args;
    EXPECT_EQ(r.Err, row.Message) << row.Args;
    EXPECT_FALSE(Exists("a.qvl")) << row.Args;
  }
  TResult r = Quirvel("album new a.qvl missing.jpg");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Fehler: Foto nicht gefunden: „missing.jpg“.\n");
  r = Quirvel("album new");
  EXPECT_EQ(r.Err, "Fehler: Der Name der Albumdatei fehlt.\n");
  r = Quirvel("album new no/such/dir/a.qvl p.jpg");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Fehler: Konnte Datei nicht erstellen...\n");
}

TEST_F(AlbumCommands, ShowPrintsTextAndEscapedJson) {
  TAlbumModel album;
  TPicEntry* e = album.Pics.Append();
  SetEntryFileName(*e, "/p/\"Zitat\"\\ü.jpg");
  SetEntryText(*e, "Zeile 1\r\nZeile\t2\x01 日本");
  e = album.Pics.Append();
  SetEntryFileName(*e, "/p/leer.jpg");
  TLayoutSettings s;
  s.Shape1 = 0x00112233;
  s.RandXEd = 12.5;
  ASSERT_TRUE(SaveAlbumFile(Dir / "a.qvl", album, s).Ok);

  TResult r = Quirvel("album show --json a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find(R"({"file": "/p/\"Zitat\"\\ü.jpg", "text": "Zeile 1\r\nZeile\t2\u0001 日本"})"),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find(R"({"file": "/p/leer.jpg", "text": ""})"), std::string::npos)
      << "a nil text has become an empty one in the file";
  EXPECT_NE(r.Out.find(R"("textFont": {"name": "Arial", "charset": 0, "color": 2147483656, "pitch": 0, )"
                       R"("pixelsPerInch": 96, "size": 10, "style": 0})"),
            std::string::npos);
  for (const char* setting : {R"("TextCheck": true)", R"("RandXEd": 12.5)", R"("CountXEd": 2)",
                              R"("PathCheck": false)", R"("Shape1": 1122867)", R"("RahmenCheck": false)"})
    EXPECT_NE(r.Out.find(setting), std::string::npos) << setting;
  if (qtest::NeedProgram("python3")) {
    qtest::WriteFile(Dir.Path() / "out.json", r.Out);
    EXPECT_EQ(qtest::Run("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                         "assert len(d[\"settings\"]) == 20 and len(d[\"photos\"]) == 2' " +
                         qtest::Quote(Dir / "out.json")),
              0);
  }

  r = Quirvel("album show a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("Fotos: 2"), std::string::npos);
  EXPECT_NE(r.Out.find("RandXEd             12,5"), std::string::npos) << r.Out;

  qtest::WriteFile(Dir.Path() / "fake.qvl", "PK\x03\x04 not an album");
  r = Quirvel("album show fake.qvl");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Fehler: Die Datei ist keine gültige Quirvel Datei...\n");
  r = Quirvel("album show missing.qvl");
  EXPECT_EQ(r.Err, "Fehler: Konnte Datei nicht öffnen...\n");
  EXPECT_EQ(Quirvel("album show a.qvl a.qvl").Status, 1);
}

}  // namespace
