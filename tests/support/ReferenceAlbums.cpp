#include "support/ReferenceAlbums.h"

#include "pdf/PdfTestSupport.h"
#include "platform/FreeTypeFonts.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace qtest {

namespace {

const fs::path KReferenceDir = fs::path(QUIRVEL_SOURCE_DIR) / "tests/export/reference";

// The font patterns the albums with texts use, as fontconfig resolves them.
const char* const KFontPatterns[] = {"Arial",
                                     "Arial Black",
                                     "MS Sans Serif",
                                     "Courier New:bold",
                                     "DejaVu Serif:bold:italic",
                                     "Times New Roman:italic"};

TReferenceAlbum TextAlbum(std::string Name, std::vector<TExportPhoto> Photos, std::vector<std::string> Files) {
  return {std::move(Name), false, FirstStartSettings(), std::move(Photos), std::move(Files)};
}

TReferenceAlbum PictureAlbum(std::string Name, const std::vector<std::string>& Photos,
                             std::vector<std::string> Files) {
  TReferenceAlbum album{std::move(Name), true, FirstStartSettings(), {}, std::move(Files)};
  album.Settings.TextCheck = false;
  album.Settings.CaptionCheck = false;
  album.Settings.PageNrCheck = false;
  for (const std::string& photo : Photos) album.Photos.push_back({photo, photo});
  return album;
}

}  // namespace

std::vector<TReferenceAlbum> ReferenceAlbums() {
  std::vector<TReferenceAlbum> albums;

  // Umlauts, the euro sign, typographic quotes and dashes, parentheses and a backslash; texts that
  // wrap, explicit line breaks and an empty text, over three pages with heading and page numbers.
  albums.push_back(TextAlbum(
      "default",
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
       {"wide.jpg", "Ende"}},
      {"default.pdf"}));
  albums.back().Settings.CapED = "Familienfotos – Sommer „2023“ in Köln";

  // Other fonts and styles for heading and texts, colours, frames, background, enlarged pictures.
  albums.push_back(TextAlbum("styles",
                             {{"wide.jpg", "Straße am Hafen"},
                              {"tall.jpg", "Blick über den See – früh am Morgen"},
                              {"lines.bmp", "Skizze"},
                              {"wide.jpg", "Größere Schrift, kursiv und unterstrichen"},
                              {"tall.jpg", "Abend"},
                              {"wide.jpg", "Nächste Seite ohne Überschrift"},
                              {"tall.jpg", "Zweite Seite"}},
                             {"styles.pdf"}));
  TLayoutSettings& s = albums.back().Settings;
  s.CapED = "Urlaub an der Müritz";
  s.HeadingFont.Name = "DejaVu Serif";
  s.HeadingFont.Style = KFontBold | KFontItalic;
  s.HeadingFont.Color = 0x00204080;
  SetFontSize(s.HeadingFont, 20);
  s.TextFont.Name = "Times New Roman";
  s.TextFont.Style = KFontItalic | KFontUnderline;
  s.TextFont.Color = 0x00006000;
  SetFontSize(s.TextFont, 12);
  s.Shape1 = 0x00E0F0FF;
  s.RahmenCheck = true;
  s.Shape2 = 0x00000080;
  s.ZoomInFotosCheck = true;
  s.CountXEd = 3;
  s.CountYEd = 2;
  s.CaptionOnAllPages = false;

  // One file per page, a bold monospaced text font, no heading.
  albums.push_back(TextAlbum("pages", {{"wide.jpg", "Tür Nr. 1"}, {"tall.jpg", "Tür Nr. 2"}, {"wide.jpg", "Tür Nr. 3"}},
                             {"pages0001.pdf", "pages0002.pdf"}));
  TLayoutSettings& p = albums.back().Settings;
  p.CaptionCheck = false;
  p.TextFont.Name = "Courier New";
  p.TextFont.Style = KFontBold;
  p.SeparateCheck = true;
  p.CountXEd = 1;
  p.CountYEd = 2;

  // Pictures of every kind (black and white, two colours, 4-bit palette, grey, JPEG, a JPEG lying on
  // its side, 32-bit) and an unreadable file, over two pages.
  albums.push_back(PictureAlbum("kinds",
                                {"bw.bmp", "twocolour.png", "palette4.bmp", "grey.png", "broken.jpg", "photo.jpg",
                                 "rotated.jpg", "deep.bmp"},
                                {"kinds.pdf"}));

  // Several pages with frames, background and clipping.
  albums.push_back(PictureAlbum("pages", {"photo.jpg", "bw.bmp", "twocolour.png"}, {"pages.pdf"}));
  TLayoutSettings& f = albums.back().Settings;
  f.XMalEd = 3;
  f.CountXEd = 2;
  f.CountYEd = 2;
  f.ZoomInFotosCheck = true;
  f.RahmenCheck = true;
  f.Shape1 = 0x00FFE0C0;  // light blue

  // One file per page.
  albums.push_back(PictureAlbum("separate", {"photo.jpg", "grey.png", "palette4.bmp"},
                                {"separate0001.pdf", "separate0002.pdf", "separate0003.pdf"}));
  TLayoutSettings& o = albums.back().Settings;
  o.SeparateCheck = true;
  o.XMalEd = 2;
  o.CountYEd = 1;
  return albums;
}

fs::path ReferenceFolder(const TReferenceAlbum& Album) {
  return Album.Pictures ? KReferenceDir / "pictures" : KReferenceDir;
}

std::vector<TExportPhoto> ReferencePhotos(const TReferenceAlbum& Album, const fs::path& PhotoDir) {
  std::vector<TExportPhoto> photos = Album.Photos;
  for (TExportPhoto& photo : photos)
    photo.FileName = ((Album.Pictures ? ReferenceFolder(Album) : PhotoDir) / photo.FileName).string();
  return photos;
}

std::shared_ptr<TFontMetrics> ReferenceMetrics(const TReferenceAlbum& Album) {
  if (Album.Pictures) return pdftest::FixedMetrics();
  return std::make_shared<TFreeTypeFonts>();
}

void WriteReferencePhotos(const fs::path& Dir) {
  WritePicture(Dir / "wide.jpg", 96, 64, 24, 7);
  WritePicture(Dir / "tall.jpg", 48, 80, 24, 7);
  WritePicture(Dir / "lines.bmp", 64, 40, 1, 3);
}

std::string ResolvedReferenceFonts() {
  std::string list;
  for (const char* pattern : KFontPatterns) {
    // The file fontconfig picks, its version and a digest of its bytes (sha256sum, cut to 16 digits):
    // a font updated under the same name changes the glyphs and widths a PDF embeds.
    std::string found, digest;
    if (Run("fc-match -f '%{file}|%{fontversion}' " + Quote(pattern), &found) != 0 || found.find('|') == std::string::npos) {
      ADD_FAILURE() << "fc-match finds no font for " << pattern;
      continue;
    }
    const std::string file = found.substr(0, found.find('|')), version = found.substr(found.find('|') + 1);
    if (Run("sha256sum " + Quote(file), &digest) != 0 || digest.size() < 16) {
      ADD_FAILURE() << "sha256sum cannot read " << file;
      continue;
    }
    list += std::string(pattern) + " => " + fs::path(file).filename().string() + " version " + version + " sha256 " +
            digest.substr(0, 16) + "\n";
  }
  return list;
}

}  // namespace qtest
