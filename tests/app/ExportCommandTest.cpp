// Runs the built program's `quirvel export` on scratch folders, without a display, and reads the
// written PDFs back with qpdf and pdfinfo.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "imaging/pictaro/Pictaro.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

using TResult = qtest::TProgramResult;

class ExportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    // The written files are checked by these readers.
    QTEST_REQUIRE_PROGRAM("pdfinfo");
    QTEST_REQUIRE_PROGRAM("qpdf");
    TDib dib{};
    newdib(&dib, 40, 30, 24, nullptr, 0);
    ASSERT_NE(dib.Bits, nullptr);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
      ASSERT_EQ(SaveDib(dib, (Dir / name).c_str(), 7, 0), 1);
    deldib(dib);
  }

  TResult Quirvel(const std::string& Args) { return qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), Args); }

  int Pages(const std::string& Name) {
    std::string out;
    qtest::Run("pdfinfo " + qtest::Quote(Dir / Name) + " 2>&1", &out);
    std::smatch m;
    return std::regex_search(out, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
  }

  void ExpectClean(const std::string& Name) {
    std::string out;
    EXPECT_EQ(qtest::Run("qpdf --check " + qtest::Quote(Dir / Name) + " 2>&1", &out), 0) << out;
  }

  qtest::TScratchDir Dir;
  // Pass-through verdicts go into the test's own cache folder, never the user's.
  qtest::TEnvOverride Cache{"XDG_CACHE_HOME", Dir / "user-cache"};
};

TEST_F(ExportCommand, HelpNamesTheOptions) {
  const TResult r = Quirvel("export --help");
  EXPECT_EQ(r.Status, 0);
  for (const char* option : {"--separate", "--open", "--name", "--frame-width", "--columns", "--embed-fonts"})
    EXPECT_NE(r.Out.find(option), std::string::npos) << option;
  EXPECT_NE(Quirvel("--help").Out.find("quirvel export"), std::string::npos);
}

TEST_F(ExportCommand, PhotosWithOptions) {
  const TResult r = Quirvel("export --columns 1 --rows 1 --name Urlaub out.pdf a.jpg b.jpg broken.jpg");
  // broken.jpg does not exist: a missing photo is refused before anything is written.
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Fehler: Foto nicht gefunden: „broken.jpg“."), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(Dir / "out.pdf"));

  qtest::WriteFile(Dir / "broken.jpg", "no picture");
  const TResult ok = Quirvel("export --columns 1 --rows 1 --name Urlaub out.pdf a.jpg b.jpg broken.jpg");
  ASSERT_EQ(ok.Status, 0) << ok.Err;
  EXPECT_EQ(Pages("out.pdf"), 2);  // one picture a page, the unreadable one makes none
  ExpectClean("out.pdf");
  EXPECT_NE(ok.Err.find("1 Foto konnte nicht gelesen werden und fehlt im Album.\n"), std::string::npos)
      << ok.Err;
  // A JPEG cut short, its end marker appended, is as unreadable with pass-through as without.
  const std::string jpeg = qtest::ReadFile(Dir / "a.jpg");
  qtest::WriteFile(Dir / "cut.jpg", jpeg.substr(0, jpeg.size() / 2) + "\xFF\xD9");
  const TResult two = Quirvel("export --keep-jpeg two.pdf a.jpg cut.jpg broken.jpg");
  EXPECT_NE(two.Err.find("2 Fotos konnten nicht gelesen werden und fehlen im Album.\n"), std::string::npos)
      << two.Out << two.Err;
  EXPECT_NE(ok.Err.find("Seite 1 fertig\nSeite 2 fertig\n"), std::string::npos) << ok.Err;
  std::string qdf;
  qtest::Run("qpdf --qdf --object-streams=disable " + qtest::Quote(Dir / "out.pdf") + " -", &qdf);
  EXPECT_NE(qdf.find("(Urlaub) Tj"), std::string::npos);

  // Embedded always: no font is named without its program.
  ASSERT_EQ(Quirvel("export --embed-fonts --name Urlaub emb.pdf a.jpg").Status, 0);
  ExpectClean("emb.pdf");
  std::string fonts;
  qtest::Run("pdffonts " + qtest::Quote(Dir / "emb.pdf"), &fonts);
  EXPECT_EQ(fonts.find(" no "), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("Identity-H"), std::string::npos) << fonts;
}

// The command line takes pass-through verdicts from the user's cache folder: a file libjpeg warns
// about, named clean by a hand-written cache entry for exactly this file, goes in as it is; with an
// empty cache folder it is checked and encoded again.
TEST_F(ExportCommand, PassThroughVerdictsComeFromTheUserCacheFolder) {
  const std::string clean = qtest::ReadFile(Dir / "a.jpg");
  ASSERT_GT(clean.size(), 2u);
  const std::string warned = clean.substr(0, clean.size() - 2) + std::string(16, 'Z') + "\xFF\xD9";
  qtest::WriteFile(Dir / "w.jpg", warned);
  struct stat st {};
  ASSERT_EQ(::stat((Dir / "w.jpg").c_str(), &st), 0);
  fs::create_directories(Dir / "cache/quirvel");
  qtest::WriteFile(Dir / "cache/quirvel/jpeg-checks",
                   "quirvel-verdicts 1\nclean\t" + std::to_string(st.st_dev) + "\t" + std::to_string(st.st_ino) +
                       "\t" + std::to_string(st.st_size) + "\t" + std::to_string(st.st_mtim.tv_sec) + "\t" +
                       std::to_string(st.st_mtim.tv_nsec) + "\t" + std::to_string(st.st_ctim.tv_sec) + "\t" +
                       std::to_string(st.st_ctim.tv_nsec) + "\t" + fs::weakly_canonical(Dir / "w.jpg").string() +
                       "\n");
  for (const std::string cache : {"cache", "empty"}) {
    SCOPED_TRACE(cache);
    const qtest::TEnvOverride folder("XDG_CACHE_HOME", Dir / cache);
    const TResult r = Quirvel("export --keep-jpeg out.pdf w.jpg");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(qtest::ReadFile(Dir / "out.pdf").find(warned) != std::string::npos, cache == "cache");
  }
}

TEST_F(ExportCommand, AlbumByExtensionOrContent) {
  ASSERT_EQ(Quirvel("album new --columns 1 --rows 2 album.qvl a.jpg b.jpg c.jpg").Status, 0);
  TResult r = Quirvel("export out.pdf album.qvl");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Pages("out.pdf"), 2);  // the album's own grid: two pictures a page
  // Options override the album's settings; the album is recognised by its first bytes.
  fs::copy_file(Dir / "album.qvl", Dir / "album.dat");
  r = Quirvel("export --rows 3 out2.pdf album.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Pages("out2.pdf"), 1);
  ExpectClean("out2.pdf");
}

TEST_F(ExportCommand, SeparateFiles) {
  const TResult r = Quirvel("export --separate --columns 1 --rows 1 seite.pdf a.jpg b.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_FALSE(fs::exists(Dir / "seite.pdf"));
  EXPECT_EQ(Pages("seite0001.pdf"), 1);
  EXPECT_EQ(Pages("seite0002.pdf"), 1);
  EXPECT_FALSE(fs::exists(Dir / "seite0003.pdf"));
  EXPECT_NE(r.Out.find("seite0002.pdf"), std::string::npos);
}

TEST_F(ExportCommand, BadArgumentsFailWithGermanMessages) {
  ASSERT_EQ(Quirvel("album new album.qvl a.jpg").Status, 0);
  const std::string album = qtest::ReadFile(Dir / "album.qvl");
  struct TCase {
    const char* Args;
    const char* Message;
  } cases[] = {
      {"export", "Fehler: Der Name der PDF-Datei fehlt."},
      {"export out.pdf", "Fehler: Es fehlt ein Album"},
      {"export --frame-width 0 out.pdf a.jpg", "--frame-width erwartet eine ganze Zahl von 1 bis 100"},
      {"export --columns 101 out.pdf a.jpg", "Fehler: --columns"},
      {"export --name", "Fehler: Zur Option --name fehlt der Wert."},
      // Swapped arguments would overwrite the album.
      {"export album.qvl out.pdf", "ist eine Albumdatei"},
      {"export a.jpg a.jpg", "würde das Foto ersetzen"},
      {"export missing/out.pdf a.jpg", "Konnte PDF-Datei nicht erstellen!"},
      {"export --bleed 10 --page-size 297x9990 out.pdf a.jpg", "wäre die Seite 10010 mm hoch"},
  };
  for (const TCase& c : cases) {
    const TResult r = Quirvel(c.Args);
    EXPECT_EQ(r.Status, 1) << c.Args;
    EXPECT_NE(r.Err.find(c.Message), std::string::npos) << c.Args << "\n" << r.Err;
  }
  // An unknown option is a usage error.
  const TResult bogus = Quirvel("export --bogus out.pdf a.jpg");
  EXPECT_EQ(bogus.Status, 2);
  EXPECT_NE(bogus.Err.find("Fehler: Unbekannte Option „--bogus“"), std::string::npos) << bogus.Err;
  EXPECT_EQ(qtest::ReadFile(Dir / "album.qvl"), album);
  EXPECT_FALSE(fs::exists(Dir / "out.pdf"));
}

// With --bleed or --pdfa the trim box is the page as typed, in exact points (210 x 297 mm = 595.276 x
// 841.890), from the page's top-left corner plus the bleed, which is rounded up to whole points
// (3 mm = 8.5 -> 9, 0,3 mm = 0.85 -> 1, 0,5 mm = 1.42 -> 2); the media box, one point short of the page
// written, leaves at least the bleed beyond it on every side. Read by pdfinfo. Worked out by hand: for
// 3 mm, the page written is 596 + 18 + 1 = 615 wide, 842 + 18 + 1 = 861 high; the trim box runs from 9
// to 9 + 595.276, and from 860 - 9 = 851 down to 851 - 841.890 = 9.110. 254 mm are exactly 720 points.
// Plain pages keep their media box of 594 x 840 and no other box.
TEST_F(ExportCommand, BleedGivesTrimAndBleedBoxes) {
  struct {
    const char* Options;
    const char* Media;
    const char* Trim;
  } rows[] = {
      {"--bleed 3", "0.00     0.00   614.00   860.00", "9.00     9.11   604.28   851.00"},
      {"--bleed 0,3", "0.00     0.00   598.00   844.00", "1.00     1.11   596.28   843.00"},
      {"--bleed 0,5 --page-size 254x254", "0.00     0.00   724.00   724.00", "2.00     2.00   722.00   722.00"},
      {"--pdfa", "0.00     0.00   596.00   842.00", "0.00     0.11   595.28   842.00"},
      {"", "0.00     0.00   594.00   840.00", "0.00     0.00   594.00   840.00"},  // no boxes but the media box
  };
  for (const auto& row : rows) {
    const TResult r = Quirvel(std::string("export ") + row.Options + " out.pdf a.jpg");
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::string out;
    ASSERT_EQ(qtest::Run("pdfinfo -box " + qtest::Quote(Dir / "out.pdf"), &out), 0);
    EXPECT_NE(out.find(std::string("MediaBox:            ") + row.Media), std::string::npos) << row.Options << out;
    EXPECT_NE(out.find(std::string("BleedBox:            ") + row.Media), std::string::npos) << row.Options << out;
    EXPECT_NE(out.find(std::string("TrimBox:             ") + row.Trim), std::string::npos) << row.Options << out;
  }
}

TEST_F(ExportCommand, PageFileFailureExitsWithOne) {
  fs::create_directory(Dir / "s0002.pdf");
  const TResult r = Quirvel("export --separate --columns 1 --rows 1 s.pdf a.jpg b.jpg c.jpg");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Datei konnte nicht erstellt werden: s0002.pdf\n"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("1 Seitendatei konnte nicht erstellt werden"), std::string::npos);
  EXPECT_EQ(Pages("s0003.pdf"), 1);
}

}  // namespace

// `quirvel check` takes the album options: a 40 x 30 photo on a page of its own is too small (exit
// status 1, the summary on standard error). On a page of 5 mm (14 points) it is 14 x 10 points, its
// box 13 x 9: 30 pixels over 9 points are 240 ppi, and --json says so for scripts.
TEST_F(ExportCommand, CheckWiring) {
  TResult r = Quirvel("check --columns 1 --rows 1 a.jpg");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Foto 1 (a.jpg), Seite 1: "), std::string::npos) << r.Out;
  EXPECT_EQ(r.Err, "Druckprüfung nicht bestanden: 1 Foto mit zu geringer Auflösung; keine Hinweise.\n");
  r = Quirvel("check --json --page-size 5x5 --margins 0,0 --columns 1 --rows 1 --no-texts --no-heading "
              "--no-page-numbers a.jpg");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"passed\": true"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\"ppi\": 240,"), std::string::npos) << r.Out;
  // Laid out automatically with half of it allowed to be cut, the 40 x 30 photo fills the 14 x 14 point
  // page: its 30 rows over 14 points, 30 x 72 / 13 = 166.15 ppi, where the grid shows it whole 10 high.
  r = Quirvel("check --json --layout auto --crop-budget 50 --page-size 5x5 --margins 0,0 --no-texts --no-heading "
              "--no-page-numbers a.jpg");
  EXPECT_NE(r.Out.find("\"ppi\": 166.15"), std::string::npos) << r.Out;
}

// The automatic layout through the command line: every photo once in the PDF, as pdfimages lists them.
TEST_F(ExportCommand, AutomaticLayoutWiring) {
  QTEST_REQUIRE_PROGRAM("pdfimages");
  const TResult r = Quirvel("export --layout auto --photos-per-page 2 --crop-budget 20 out.pdf a.jpg b.jpg c.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  ExpectClean("out.pdf");
  std::string list;
  ASSERT_EQ(qtest::Run("pdfimages -list " + qtest::Quote(Dir / "out.pdf"), &list), 0);
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2 + 3) << list;  // two header lines, three pictures
  EXPECT_GE(Pages("out.pdf"), 1);
  EXPECT_LE(Pages("out.pdf"), 3);
}

// A progressive JPEG cut short after its first scans: the export, the preview and the check all leave
// it out, so the photo after it is on page 2 in all three.
TEST_F(ExportCommand, OneVerdictOnAPhotoCutShort) {
  ASSERT_TRUE(qtest::WriteCutJpeg(Dir / "cut.jpg", 400, 300, true, 0.7));
  const std::string grid = "--columns 1 --rows 1 ";
  TResult r = Quirvel("export " + grid + "out.pdf a.jpg cut.jpg b.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Pages("out.pdf"), 2);
  r = Quirvel("preview --page all " + grid + "seite.png a.jpg cut.jpg b.jpg");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find("(Seite 2 von 2)"), std::string::npos) << r.Out;
  EXPECT_NE(r.Err.find("1 Foto konnte nicht gelesen werden"), std::string::npos) << r.Err;
  r = Quirvel("check --json " + grid + "a.jpg cut.jpg b.jpg");
  EXPECT_NE(r.Out.find("\"kind\": \"unreadable\""), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\"pages\": 2,"), std::string::npos) << r.Out;
}

// A character no installed font has is named by the check.
TEST_F(ExportCommand, CheckNamesCharactersNoFontHas) {
  const TResult r = Quirvel("check --pdfa --name " + qtest::Quote("Reise\u0378") + " a.jpg");
  EXPECT_NE(r.Out.find("Zeichen U+0378 in „Reise\u0378“: Keine installierte Schrift hat es; an seiner Stelle steht "
                       "ein Ersatzzeichen.\n"),
            std::string::npos)
      << r.Out;
}

// Cells of 10 points that the photo's text line (its file name) fills: the export refuses and writes
// nothing, the check fails.
TEST_F(ExportCommand, NoRoomForThePhotos) {
  TResult r = Quirvel("export --columns 6 --rows 30 out.pdf a.jpg");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Fehler: Foto 1 (a.jpg): kein Platz für die Fotos."), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(Dir / "out.pdf"));
  r = Quirvel("check --columns 6 --rows 30 a.jpg");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Out.find("Foto 1 (a.jpg), Seite 1: kein Platz für die Fotos."), std::string::npos) << r.Out;
  EXPECT_NE(r.Err.find("Druckprüfung nicht bestanden"), std::string::npos) << r.Err;
}

// Liberation Sans, the only face fontconfig knows here, with its licence bits made "restricted": the PDF/A
// export fails with a message naming it and writes nothing; the check names it too.
TEST_F(ExportCommand, PdfARefusesAFontThatMayNotBeEmbedded) {
  std::string font = qtest::ReadFile("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
  const size_t entry = font.find("OS/2");  // first in the table directory; fsType is 8 bytes into the table
  const auto byte = [&font](size_t At) { return size_t(uint8_t(font[At])); };
  ASSERT_TRUE(entry < 300 && byte(entry + 8) == 0 && byte(entry + 9) == 0);
  font.replace((byte(entry + 10) << 8 | byte(entry + 11)) + 8, 2, std::string("\0\2", 2));
  qtest::WriteFile(Dir / "restricted.ttf", font);
  qtest::WriteFile(Dir / "fonts.conf", "<?xml version=\"1.0\"?><fontconfig><dir>" + Dir.Path().string() +
                                           "</dir><cachedir>" + (Dir / "cache") + "</cachedir></fontconfig>");
  const std::string env = "FONTCONFIG_FILE=" + qtest::Quote(Dir / "fonts.conf");
  TResult r = qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), "export --pdfa 1b a.pdf a.jpg", env);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err,
            "Fehler: Die Lizenz der Schrift „Liberation Sans“ verbietet das Einbetten, das PDF/A verlangt. "
            "Wählen Sie für Überschrift und Texte eine andere Schrift oder schalten Sie PDF/A aus.\n");
  EXPECT_FALSE(fs::exists(Dir / "a.pdf"));
  r = qtest::RunWithoutDisplay(QUIRVEL_EXE, Dir.Path(), "check --pdfa a.jpg", env);
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\n') + 1),  // the first finding; the photo is too small as well
            "Schrift „Liberation Sans“: Ihre Lizenz verbietet das Einbetten; wählen Sie eine andere "
            "Schrift.\n");
}

// A phone's HEIC goes into the PDF with its profile.
TEST_F(ExportCommand, HeicKeepsItsProfile) {
  QTEST_REQUIRE_PROGRAM("pdfimages");
  const std::string p3 = qtest::TestProfile(qtest::TTestProfile::DisplayP3);
  qtest::WriteFile(Dir / "phone.heic", qtest::HeifPicture(qtest::SolidPixels(64, 48, 0xC04020), {.Icc = p3}));
  const TResult r = Quirvel("export out.pdf phone.heic");
  ASSERT_EQ(r.Status, 0) << r.Err;
  ExpectClean("out.pdf");
  std::string list;
  ASSERT_EQ(qtest::Run("pdfimages -list " + qtest::Quote(Dir / "out.pdf"), &list), 0);
  EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 3) << list;  // heading, rule, the picture
  EXPECT_TRUE(std::regex_search(list, std::regex(" icc +3 "))) << list;
  EXPECT_EQ(qtest::ReadFile(Dir / "out.pdf").substr(0, 8), "%PDF-1.5");  // the P3 profile is version 4
}
