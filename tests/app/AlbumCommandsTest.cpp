// Runs the built program's album commands on scratch folders, without a display.

#include <gtest/gtest.h>

#include "album/AlbumFile.h"
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
  // A folder name that puts the photo's first letter at the 48th character of its absolute path (or
  // the 98th, ...): the default text breaks before every 50th character, so the break falls before
  // the file name's third character, the "ü".
  const std::string sub((47 - (Dir.Path().string().size() + 2) % 50 + 49) % 50 + 1, 's');
  std::filesystem::create_directory(Dir.Path() / sub);
  Photo(sub + "/Grüße.jpg");
  ASSERT_EQ((Dir / sub).size() % 50, 46u);
  TResult r = Quirvel("album new a.qvl b.jpg ./" + sub + "/../" + sub + "/Grüße.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Album „a.qvl“ mit 2 Fotos geschrieben.\n");

  TAlbumModel album;
  TLayoutSettings settings;
  settings.CountXEd = 9;
  ASSERT_TRUE(OpenAlbumFile(Dir / "a.qvl", album, settings).Ok);
  ASSERT_EQ(album.Pics.Count, 2u);
  EXPECT_EQ(std::string(album.Pics[0].FileName), Dir / "b.jpg");
  EXPECT_EQ(std::string(album.Pics[1].FileName), Dir / (sub + "/Grüße.jpg"));
  EXPECT_EQ(std::string(album.Pics[1].Text), "Gr\rüße.jpg");
  EXPECT_EQ(settings.CountXEd, 2) << "first-start settings";

  r = Quirvel("album new empty.qvl");  // an album without photos is allowed
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(qtest::ReadFile(Dir / "empty.qvl").size(), 137u);
}

TEST_F(AlbumCommands, OptionsSetTheSettings) {
  // The photo lies in a folder whose name makes its absolute path 50 k + 4 characters long, all ASCII,
  // so that its name "p.jpg" begins at the (50 k)th character.
  const size_t padLength = (54 - (Dir.Path().string().size() + 7) % 50) % 50;
  const std::string pad(padLength ? padLength : 50, 'd');
  std::filesystem::create_directory(Dir.Path() / pad);
  const std::string path = Dir / (pad + "/p.jpg");
  ASSERT_EQ(path.size() % 50, 4u);
  Photo(pad + "/p.jpg");
  const TResult r = Quirvel(
      "album new --columns 4 --rows=5 --copies 2 --page-size 100x150,5 --margins 10,12.5 --spacing '2,5;3' "
      "--no-texts --no-heading --heading-first-page-only --no-page-numbers --zoom-in --frame "
      "--frame-colour FF8000 --background '#0000ff' --with-path --dpi 300 --keep-jpeg --bleed 2,5 --pdfa 1b "
      "--layout AUTO --photos-per-page=6 --crop-budget 0 a.qvl " +
      pad + "/p.jpg");
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
  EXPECT_EQ(s.PictureDpi, 300);
  EXPECT_TRUE(s.KeepJpeg);
  EXPECT_EQ(s.Bleed, 2.5);
  EXPECT_EQ(s.PdfA, TPdfA::A1b);
  EXPECT_EQ(s.PageLayout, TPageLayoutKind::Auto);
  EXPECT_EQ(s.PhotosPerPage, 6);
  EXPECT_EQ(s.CropBudget, 0);
  // With the path, the text is the whole path with a line break before its 50th, 100th, ...
  // character: the path's pieces of 49, 50, ..., 50 characters and "p.jpg", joined by breaks.
  std::string expected = path.substr(0, 49);
  for (size_t at = 49; at < path.size(); at += 50) expected += "\r" + path.substr(at, 50);
  EXPECT_EQ(expected.substr(expected.size() - 7), "/\rp.jpg");
  EXPECT_EQ(EntryText(album.Pics[0]), expected);

  ASSERT_EQ(Quirvel("album new --no-default-texts b.qvl " + pad + "/p.jpg").Status, 0);
  TAlbumModel plain;
  ASSERT_TRUE(OpenAlbumFile(Dir / "b.qvl", plain, s).Ok);
  EXPECT_STREQ(plain.Pics[0].Text, "");
  EXPECT_FALSE(s.FilenamesCheck);
  // An album without those two options is at their defaults: the file says so by leaving them out.
  EXPECT_EQ(s.PictureDpi, KPictureDpiOriginal);
  EXPECT_FALSE(s.KeepJpeg);
  EXPECT_EQ(s.Bleed, 0);
  EXPECT_EQ(s.PdfA, TPdfA::None);
  ASSERT_EQ(Quirvel("album new --dpi ORIGINAL --dpi=72 --pdfa c.qvl").Status, 0);
  ASSERT_TRUE(OpenAlbumFile(Dir / "c.qvl", plain, s).Ok);
  EXPECT_EQ(s.PictureDpi, 72);
  EXPECT_EQ(s.PdfA, TPdfA::A2b);  // --pdfa alone, and c.qvl not taken for its level
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
      {"--dpi 49", "Fehler: --dpi erwartet „original“ oder eine ganze Zahl von 50 bis 2400, nicht „49“.\n"},
      {"--keep-jpeg=1", "Fehler: Die Option --keep-jpeg hat keinen Wert.\n"},
      {"--columns", "Fehler: Zur Option --columns fehlt der Wert.\n"},
      {"--bleed 10.5", "Fehler: --bleed erwartet Millimeter von 0 bis 10, nicht „10.5“.\n"},
      {"--pdfa=3u", "Fehler: --pdfa erwartet „2b“, „1b“ oder „none“, nicht „3u“.\n"},
      {"--layout grid", "Fehler: --layout erwartet „raster“ oder „auto“, nicht „grid“.\n"},
      {"--photos-per-page 0", "Fehler: --photos-per-page erwartet eine ganze Zahl von 1 bis 12, nicht „0“.\n"},
      {"--photos-per-page 13", "Fehler: --photos-per-page erwartet eine ganze Zahl von 1 bis 12, nicht „13“.\n"},
      {"--crop-budget 51", "Fehler: --crop-budget erwartet eine ganze Zahl von 0 bis 50, nicht „51“.\n"},
      {"--page-size 9999x297 --bleed 1",
       "Fehler: Mit der Beschnittzugabe von 1 mm auf jeder Seite wäre die Seite 10001 mm breit; mehr als "
       "10000 mm sind nicht möglich. Verkleinern Sie die Seite oder die Beschnittzugabe.\n"},
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
  s.PictureDpi = 150;
  s.Bleed = 3;
  s.PdfA = TPdfA::A1b;
  s.PageLayout = TPageLayoutKind::Auto;
  s.CropBudget = 15;
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
  for (const char* setting :
       {R"("TextCheck": true)", R"("RandXEd": 12.5)", R"("CountXEd": 2)", R"("PathCheck": false)",
        R"("Shape1": 1122867)", R"("RahmenCheck": false)", R"("PictureDpi": 150)", R"("KeepJpeg": false)",
        R"("Bleed": 3)", R"("PdfA": "1b")", R"("PageLayout": "auto")", R"("PhotosPerPage": 4)",
        R"("CropBudget": 15)"})
    EXPECT_NE(r.Out.find(setting), std::string::npos) << setting;
  if (qtest::NeedProgram("python3")) {
    qtest::WriteFile(Dir.Path() / "out.json", r.Out);
    EXPECT_EQ(qtest::Run("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                         "assert len(d[\"settings\"]) == 28 and len(d[\"photos\"]) == 2' " +
                         qtest::Quote(Dir / "out.json")),
              0);
  }

  r = Quirvel("album show a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("Fotos: 2"), std::string::npos);
  EXPECT_NE(r.Out.find("RandXEd             12,5"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("PdfA                PDF/A-1b"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("PictureDpi          150 dpi"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("PageLayout          Automatisch"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("CropBudget          15 %"), std::string::npos) << r.Out;

  qtest::WriteFile(Dir.Path() / "fake.qvl", "PK\x03\x04 not an album");
  r = Quirvel("album show fake.qvl");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "Fehler: Die Datei ist keine gültige Quirvel Datei...\n");
  r = Quirvel("album show missing.qvl");
  EXPECT_EQ(r.Err, "Fehler: Konnte Datei nicht öffnen...\n");
  EXPECT_EQ(Quirvel("album show a.qvl a.qvl").Status, 1);
}

}  // namespace

namespace {

// "album new --text-template" stores the template and fills the photos' texts from it; "album sort"
// rewrites the album in the new order, with a photo whose file is missing at the end and named.
TEST_F(AlbumCommands, TextTemplateAndSorting) {
  for (const char* name : {"IMG_10.jpg", "img_9.jpg", "Birne.jpg"}) Photo(name);
  TResult r = Quirvel("album new --text-template '{Name} aus {Ordner}' a.qvl IMG_10.jpg img_9.jpg Birne.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::string folder = Dir.Path().filename();

  r = Quirvel("album sort --by name a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "Album „a.qvl“ mit 3 Fotos sortiert.\n");
  r = Quirvel("album show --json a.qvl");
  const size_t birne = r.Out.find("\"text\": \"Birne aus " + folder + "\"");
  const size_t nine = r.Out.find("\"text\": \"img_9 aus " + folder + "\"");
  const size_t ten = r.Out.find("\"text\": \"IMG_10 aus " + folder + "\"");
  EXPECT_TRUE(birne < nine && nine < ten && ten != std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\"TextTemplate\": \"{Name} aus {Ordner}\""), std::string::npos) << r.Out;

  std::filesystem::remove(Dir.Path() / "Birne.jpg");
  r = Quirvel("album sort --by file-date --reverse a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "Warnung: Die Datei eines Fotos fehlt; es steht jetzt am Ende: „" + (Dir / "Birne.jpg") + "“.\n");
  r = Quirvel("album show a.qvl");
  EXPECT_NE(r.Out.find("  3. " + (Dir / "Birne.jpg")), std::string::npos) << r.Out;
  // By name too, although "Birne" would come first.
  r = Quirvel("album sort --by name a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Err.find("„" + (Dir / "Birne.jpg") + "“"), std::string::npos) << r.Err;
  r = Quirvel("album show a.qvl");
  EXPECT_NE(r.Out.find("  1. " + (Dir / "img_9.jpg")), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("  3. " + (Dir / "Birne.jpg")), std::string::npos) << r.Out;

  r = Quirvel("album sort --by farbe a.qvl");
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("„farbe“ ist kein Sortierschlüssel"), std::string::npos) << r.Err;
  EXPECT_EQ(Quirvel("album sort a.qvl").Status, 2);
}

}  // namespace

// The book's options on the command line: sections by folder (so no dates are needed), a title photo
// and a format reach the album, and album show lists them; bad values are refused in German.
TEST_F(AlbumCommands, BookOptionsAndShowingSections) {
  std::filesystem::create_directory(Dir.Path() / "Rom");
  std::filesystem::create_directory(Dir.Path() / "Neapel");
  Photo("Rom/a.jpg");
  Photo("Rom/b.jpg");
  Photo("Neapel/c.jpg");
  TResult r = Quirvel(
      "album new --sections folder --title-photo 3 --subtitle Mai --contents --book --binding 2,5 "
      "--format '21 x 21 cm' a.qvl Rom/a.jpg Rom/b.jpg Neapel/c.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  r = Quirvel("album show a.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("Abschnitte: 2\n  vor Foto 1: „Rom“\n  vor Foto 3: „Neapel“\n"
                       "Titelseite: an, Untertitel „Mai“, Titelbild Foto 3\nInhaltsverzeichnis: an\n"
                       "Buch mit Doppelseiten: an, Bindung 2,5 mm\n"),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find("PageWidthEd         210\n  PageHeightEd        210\n"), std::string::npos) << r.Out;
  r = Quirvel("album show --json a.qvl");
  EXPECT_NE(r.Out.find("  \"sections\": [\n    {\"photo\": 1, \"title\": \"Rom\", \"mark\": \"Rom\"},\n"
                       "    {\"photo\": 3, \"title\": \"Neapel\", \"mark\": \"Neapel\"}\n  ],\n"),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find("\"titlePhoto\": 3,"), std::string::npos) << r.Out;

  const struct {
    const char* Args;
    const char* Err;
  } rows[] = {
      {"--sections weekly", "Fehler: --sections erwartet „date:TAGE“ (TAGE von 1 bis 3650) oder „folder“, nicht „weekly“.\n"},
      {"--sections date:0", "Fehler: --sections erwartet „date:TAGE“ (TAGE von 1 bis 3650) oder „folder“, nicht „date:0“.\n"},
      {"--title-photo 9", "Fehler: --title-photo 9: Das Album hat 3 Fotos.\n"},
      {"--title-photo x", "Fehler: --title-photo erwartet die Nummer eines Fotos (ab 1), nicht „x“.\n"},
      {"--binding 51", "Fehler: --binding erwartet Millimeter von 0 bis 50, nicht „51“.\n"},
      {"--format A3", "Fehler: „A3“ ist kein Format; möglich sind a4-hoch, a4-quer, a5, 21x21, 30x30, 20x15, 28x21.\n"},
      {"--book=ja", "Fehler: Die Option --book hat keinen Wert.\n"},
  };
  for (const auto& row : rows) {
    r = Quirvel(std::string("album new ") + row.Args + " b.qvl Rom/a.jpg Rom/b.jpg Neapel/c.jpg");
    EXPECT_EQ(r.Status, 1) << row.Args;
    EXPECT_EQ(r.Err, row.Err) << row.Args;
    EXPECT_FALSE(Exists("b.qvl")) << row.Args;
  }
}
