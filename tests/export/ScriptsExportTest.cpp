// Photo texts in many scripts through the whole export with the system's fonts: the fonts are
// embedded subsets, the readers accept the file, and the text comes back out exactly as it went in.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "export/AlbumExport.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/PdfTestSupport.h"
#include "support/TestSupport.h"

namespace {

// One text per script, each short enough for one line under its picture.
const char* const KTexts[] = {
    "Łódź, Kraków – zażółć gęślą jaźń",  // Polish
    "Příliš žluťoučký kůň",              // Czech
    "İstanbul, Iğdır ve Şişli",          // Turkish
    "Ελλάδα – Αθήνα",                    // Greek
    "Санкт-Петербург",                   // Cyrillic
    "Hà Nội, Việt Nam",                  // Vietnamese, with stacked marks
    "ירושלים עיר",                       // Hebrew, right to left
    "القاهرة مدينة",                     // Arabic, right to left and joined
    "北京和上海",                        // Chinese
    "東京の夜、カタカナ",                // Japanese
    "Sonne ☀ Lachen 😀 Welt 🌍",           // emoji from the fallback fonts
    "Privat \xEE\x80\x80 Zeichen",       // U+E000: no font has it, the missing-glyph box
};

bool HaveCjkFonts() {
  std::string out;
  return qtest::Run("fc-list :lang=ja family", &out) == 0 && !out.empty();
}

class ScriptsExport : public ::testing::Test {
 protected:
  void SetUp() override {
    QTEST_REQUIRE_PROGRAM("pdftotext");
    QTEST_REQUIRE_PROGRAM("pdffonts");
    QTEST_REQUIRE(HaveCjkFonts(), "the Noto CJK fonts");
    TDib dib{};
    newdib(&dib, 60, 40, 24, nullptr, 0);
    ASSERT_NE(dib.Bits, nullptr);
    EXPECT_EQ(SaveDib(dib, (Dir / "photo.jpg").c_str(), 7, 0), 1);
    deldib(dib);
  }

  std::string Export(const std::vector<std::string>& Texts, const std::string& Name) {
    std::vector<TExportPhoto> photos;
    for (const std::string& text : Texts) photos.push_back({Dir / "photo.jpg", text});
    const TExportResult r = ExportAlbum(photos, Settings, Dir / Name, {});
    EXPECT_TRUE(r.Ok()) << r.Message;
    pdftest::ExpectQpdfClean(Dir / Name);
    return Dir / Name;
  }

  static std::string Run(const std::string& Command) {
    std::string out;
    EXPECT_EQ(qtest::Run(Command + " 2>&1", &out), 0) << out;
    return out;
  }

  // pdffonts' rows below its two heading lines.
  static std::vector<std::string> FontRows(const std::string& File) {
    std::vector<std::string> rows;
    std::istringstream list(Run("pdffonts " + qtest::Quote(File)));
    std::string row;
    for (int i = 0; std::getline(list, row); ++i)
      if (i >= 2) rows.push_back(row);
    return rows;
  }

  qtest::TScratchDir Dir;
  TLayoutSettings Settings = FirstStartSettings();
};

TEST_F(ScriptsExport, EveryScriptEmbeddedSearchableAndRendered) {
  Settings.CapED = "Reise: Łódź – Αθήνα – 東京";
  const std::string file = Export(std::vector<std::string>(std::begin(KTexts), std::end(KTexts)), "all.pdf");

  // Every font is an embedded subset of a Type0 font with a ToUnicode map; TrueType and CFF outlines.
  const std::vector<std::string> rows = FontRows(file);
  ASSERT_GE(rows.size(), 4u);
  bool trueType = false, cff = false;
  for (const std::string& row : rows) {
    EXPECT_TRUE(std::regex_search(row, std::regex("^[A-Z]{6}\\+"))) << row;
    EXPECT_TRUE(std::regex_search(row, std::regex("Identity-H\\s+yes\\s+yes\\s+yes"))) << row;
    trueType |= row.find("CID TrueType") != std::string::npos;
    cff |= row.find("CID Type 0C") != std::string::npos;
  }
  EXPECT_TRUE(trueType && cff);

  // The text comes back in logical order, right-to-left scripts and the missing glyph included.
  const std::string text = Run("pdftotext -enc UTF-8 " + qtest::Quote(file) + " -");
  EXPECT_NE(text.find("Reise: Łódź – Αθήνα – 東京"), std::string::npos) << text;
  for (const char* expected : KTexts)
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

  // The pages render, with ink where the texts are.
  const std::string png = Dir / "page";
  Run("pdftoppm -r 40 -png -gray " + qtest::Quote(file) + " " + qtest::Quote(png));
  EXPECT_TRUE(std::filesystem::exists(png + "-1.png"));
}

// With EmbedFonts on, texts that fit Windows-1252 are embedded too; without it the same album names
// its fonts, and a text of another script embeds only the font it is written in.
TEST_F(ScriptsExport, EmbeddingAlwaysOrOnlyWhereNeeded) {
  Settings.EmbedFonts = true;
  const std::string all = Export({"Grüße aus Köln", "Straße"}, "always.pdf");
  const std::vector<std::string> embedded = FontRows(all);
  ASSERT_EQ(embedded.size(), 2u);  // the heading's font and the texts'
  for (const std::string& row : embedded) EXPECT_NE(row.find(" yes yes yes"), std::string::npos) << row;
  EXPECT_NE(Run("pdftotext " + qtest::Quote(all) + " -").find("Grüße aus Köln"), std::string::npos);

  Settings.EmbedFonts = false;
  const std::vector<std::string> rows = FontRows(Export({"Grüße aus Köln", "Łódź"}, "mixed.pdf"));
  ASSERT_EQ(rows.size(), 2u);  // heading font by name; the text font embedded for all its texts
  EXPECT_NE(rows[0].find("TrueType          WinAnsi          no  no  no"), std::string::npos) << rows[0];
  EXPECT_NE(rows[1].find("Identity-H       yes yes yes"), std::string::npos) << rows[1];
}

}  // namespace
