// Albums whose texts all fit Windows-1252 are written to the byte as the reference PDFs in reference/:
// fonts by name with WinAnsiEncoding, widths and line breaks measured with the system's fonts. The
// references were written by the export before texts in other scripts were supported, so any change
// to such albums shows here.
//
// The bytes depend on the fonts fontconfig picks for each name; reference/fonts.txt records them, and
// the test is skipped on a machine whose fonts differ. QUIRVEL_WRITE_REFERENCE=1 writes the references
// anew instead of comparing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "export/AlbumExport.h"
#include "imaging/Pictaro.h"
#include "pdf/PdfTestSupport.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const fs::path KReferenceDir = fs::path(QUIRVEL_SOURCE_DIR) / "tests/export/reference";

// The font patterns the reference albums use, as fontconfig resolves them.
const char* const KFontPatterns[] = {"Arial",
                                     "Arial Black",
                                     "MS Sans Serif",
                                     "Courier New:bold",
                                     "DejaVu Serif:bold:italic",
                                     "Times New Roman:italic"};

std::string ResolvedFonts() {
  std::string list;
  for (const char* pattern : KFontPatterns) {
    std::string file;
    qtest::Run("fc-match -f '%{file}' " + qtest::Quote(pattern), &file);
    list += std::string(pattern) + " => " + fs::path(file).filename().string() + "\n";
  }
  return list;
}

// A picture of Width x Height in BitCount bits, with a pattern so that it is not one flat colour.
void WritePicture(const std::string& FileName, int Width, int Height, int BitCount, int Format) {
  TDib dib{};
  newdib(&dib, Width, Height, BitCount, nullptr, 0);
  ASSERT_NE(dib.Bits, nullptr);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      setpixel(dib, x, y,
               BitCount == 1 ? ((x / 4 + y / 4) & 1)
                             : static_cast<uint32_t>((x * 3) | ((y * 3) << 8) | (((x + y) & 0xFF) << 16)));
  EXPECT_EQ(SaveDib(dib, FileName.c_str(), Format, 0), 1);
  deldib(dib);
}

class ReferencePdf : public ::testing::Test {
 protected:
  void SetUp() override {
    Writing = std::getenv("QUIRVEL_WRITE_REFERENCE") != nullptr;
    const std::string fonts = ResolvedFonts();
    if (Writing) {
      fs::create_directories(KReferenceDir);
      qtest::WriteFile(KReferenceDir / "fonts.txt", fonts);
    } else if (qtest::ReadFile(KReferenceDir / "fonts.txt") != fonts) {
      GTEST_SKIP() << "the reference PDFs were written with other fonts:\n" << fonts;
    }
    WritePicture(Dir / "wide.jpg", 96, 64, 24, 7);
    WritePicture(Dir / "tall.jpg", 48, 80, 24, 7);
    WritePicture(Dir / "lines.bmp", 64, 40, 1, 3);
  }

  // Exports Photos with Settings and compares every written file with its reference.
  void ExpectReference(const std::string& Name, const std::vector<TExportPhoto>& Photos) {
    std::vector<TExportPhoto> photos = Photos;
    for (TExportPhoto& photo : photos) photo.FileName = Dir / photo.FileName;
    const TExportResult r = ExportAlbum(photos, Settings, Dir / (Name + ".pdf"), {});
    ASSERT_TRUE(r.Ok()) << r.Message;
    ASSERT_FALSE(r.Files.empty());
    for (const std::string& file : r.Files) {
      pdftest::ExpectQpdfClean(file);
      const fs::path reference = KReferenceDir / fs::path(file).filename();
      if (Writing)
        fs::copy_file(file, reference, fs::copy_options::overwrite_existing);
      else
        EXPECT_TRUE(qtest::ReadFile(file) == qtest::ReadFile(reference))
            << file << " differs from " << reference;
    }
  }

  bool Writing = false;
  qtest::TScratchDir Dir;
  TLayoutSettings Settings = FirstStartSettings();
};

// Umlauts, the euro sign, typographic quotes and dashes, parentheses and a backslash; texts that wrap,
// explicit line breaks and an empty text, over three pages with heading and page numbers.
TEST_F(ReferencePdf, DefaultAlbumWithUmlauts) {
  Settings.CapED = "Familienfotos – Sommer „2023“ in Köln";
  ExpectReference("default",
                  {{"wide.jpg", "Äpfel, Öl und Übermut: größer als 5 € (fast)"},
                   {"tall.jpg",
                    "Eine lange Zeile, die unter dem Bild in mehrere Zeilen umbrochen werden muss, "
                    "weil sie viel breiter ist als die Zelle"},
                   {"lines.bmp", "Zeile eins\r\nZeile zwei\nZeile drei – ½ Stück ¾ Grad°"},
                   {"wide.jpg", ""},
                   {"tall.jpg", "Pfad\\mit\\Rückstrichen und Tab\tdazwischen"},
                   {"lines.bmp", "ß ÿ Œ œ Š š Ž ž Ÿ ƒ ˆ ˜ ‰ ‹ › • ™ … † ‡"},
                   {"wide.jpg", "Seite zwei"},
                   {"tall.jpg", "Überlänge_ohne_Leerzeichen_die_zwischen_den_Buchstaben_umbrechen_muss"},
                   {"wide.jpg", "Ende"}});
}

// Other fonts and styles for heading and texts, colours, frames, background, enlarged pictures.
TEST_F(ReferencePdf, FontsStylesAndColours) {
  Settings.CapED = "Urlaub an der Müritz";
  Settings.HeadingFont.Name = "DejaVu Serif";
  Settings.HeadingFont.Style = KFontBold | KFontItalic;
  Settings.HeadingFont.Color = 0x00204080;
  SetFontSize(Settings.HeadingFont, 20);
  Settings.TextFont.Name = "Times New Roman";
  Settings.TextFont.Style = KFontItalic | KFontUnderline;
  Settings.TextFont.Color = 0x00006000;
  SetFontSize(Settings.TextFont, 12);
  Settings.Shape1 = 0x00E0F0FF;
  Settings.RahmenCheck = true;
  Settings.Shape2 = 0x00000080;
  Settings.ZoomInFotosCheck = true;
  Settings.CountXEd = 3;
  Settings.CountYEd = 2;
  Settings.CaptionOnAllPages = false;
  ExpectReference("styles", {{"wide.jpg", "Straße am Hafen"},
                             {"tall.jpg", "Blick über den See – früh am Morgen"},
                             {"lines.bmp", "Skizze"},
                             {"wide.jpg", "Größere Schrift, kursiv und unterstrichen"},
                             {"tall.jpg", "Abend"},
                             {"wide.jpg", "Nächste Seite ohne Überschrift"},
                             {"tall.jpg", "Zweite Seite"}});
}

// One file per page, a bold monospaced text font, no heading.
TEST_F(ReferencePdf, OneFilePerPageInCourier) {
  Settings.CaptionCheck = false;
  Settings.TextFont.Name = "Courier New";
  Settings.TextFont.Style = KFontBold;
  Settings.SeparateCheck = true;
  Settings.CountXEd = 1;
  Settings.CountYEd = 2;
  ExpectReference("pages", {{"wide.jpg", "Tür Nr. 1"}, {"tall.jpg", "Tür Nr. 2"}, {"wide.jpg", "Tür Nr. 3"}});
}

}  // namespace
