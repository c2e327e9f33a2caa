// Runs the built program's `quirvel preview` without a display; ImageMagick's identify reads the PNGs.

#include <gtest/gtest.h>

#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "support/TestSupport.h"

namespace {

TEST(PreviewCommand, WritesPagesAndRefusesWhatItCannotDraw) {
  QTEST_REQUIRE_PROGRAM("identify");
  qtest::TScratchDir dir;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) qtest::WritePicture(dir / name, 40, 30, 24, 7);
  qtest::WriteFile(dir / "broken.jpg", "no picture");
  const auto size = [&](const std::string& Png) {
    std::string out;
    qtest::Run("identify -format '%w %h' " + qtest::Quote(dir / Png) + " 2>&1", &out);
    return out;
  };

  struct TRow {
    std::string Args;
    int Status;
    std::string Says;                                       // in the output, or the error message
    std::vector<std::pair<std::string, std::string>> Pngs;  // written, with their size
  };
  const TRow rows[] = {
      // Every page of 1 x 2 photos; A4 shows 594 x 840 points: 200 wide is 282.8 high.
      {"--page all --columns 1 --rows 2 --width 200 out.png a.jpg b.jpg c.jpg", 0, "(Seite 2 von 2)",
       {{"out-1.png", "200 283"}, {"out-2.png", "200 283"}}},
      // The default: page 1, 1000 pixels wide; an unreadable photo is left out, as in the PDF.
      {"one.png broken.jpg a.jpg", 0, "1 Foto konnte nicht gelesen werden", {{"one.png", "1000 1414"}}},
      // A page of 10 m and one of 1 mm draw at the size asked for.
      {"--page-size 10000x10000 --width 300 huge.png a.jpg", 0, "geschrieben", {{"huge.png", "300 300"}}},
      {"--page-size 1x1 --width 300 tiny.png a.jpg", 0, "geschrieben", {{"tiny.png", "300 300"}}},
      {"--page 3 --columns 1 --rows 2 x.png a.jpg b.jpg c.jpg", 1,
       "Fehler: Das Album hat 2 Seiten; eine Seite 3 gibt es nicht.", {}},
      {"--page 0 x.png a.jpg", 1, "Fehler: --page erwartet eine Seitenzahl ab 1 oder „all“, nicht „0“.", {}},
      {"--width 10001 x.png a.jpg", 1, "Fehler: --width erwartet eine ganze Zahl von 1 bis 10000", {}},
      {"--page-size 1x10000 x.png a.jpg", 1, "Das Seitenformat ist zu schmal für ein Bild.", {}},
      {"missing/x.png a.jpg", 1, "Fehler: Konnte die PNG-Datei „missing/x.png“ nicht erstellen.", {}},
      {"--separate x.png a.jpg", 2, "Fehler: Unbekannte Option „--separate“ für „quirvel preview“.", {}},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Args);
    const qtest::TProgramResult r = qtest::RunWithoutDisplay(QUIRVEL_EXE, dir.Path(), "preview " + row.Args);
    EXPECT_EQ(r.Status, row.Status) << r.Err;
    // Notes about photos left out go to standard error, beside the errors.
    EXPECT_NE((row.Status == 0 ? r.Out + r.Err : r.Err).find(row.Says), std::string::npos) << r.Out << r.Err;
    for (const auto& [png, pixels] : row.Pngs) EXPECT_EQ(size(png), pixels);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
}

// A photo turned in the album is drawn as ImageMagick's turned copy of it is: turned, and placed by
// its turned size.
TEST(PreviewCommand, DrawsTheAlbumsTurns) {
  QTEST_REQUIRE_PROGRAM("compare");
  qtest::TScratchDir dir;
  qtest::WritePicture(dir / "a.bmp", 40, 30, 24, 3);
  ASSERT_EQ(qtest::Run("convert " + qtest::Quote(dir / "a.bmp") + " -rotate 90 BMP3:" + qtest::Quote(dir / "r.bmp")), 0);
  TAlbumModel album;
  ASSERT_EQ(AddPhotos(album, {dir / "a.bmp"}, false, false), 1u);
  album.Pics[0].Turn = 1;
  ASSERT_TRUE(SaveAlbumFile(dir / "t.qvl", album, FirstStartSettings()).Ok);
  for (const char* args : {"--no-texts --width 300 t.png t.qvl", "--no-texts --width 300 r.png r.bmp"})
    ASSERT_EQ(qtest::RunWithoutDisplay(QUIRVEL_EXE, dir.Path(), std::string("preview ") + args).Status, 0) << args;
  std::string differing;
  qtest::Run("compare -metric AE " + qtest::Quote(dir / "t.png") + " " + qtest::Quote(dir / "r.png") + " null: 2>&1",
             &differing);
  EXPECT_EQ(differing, "0");
}

}  // namespace
