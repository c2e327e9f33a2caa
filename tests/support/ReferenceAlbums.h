#pragma once
// The reference albums: albums whose PDFs are kept in tests/export/reference/ (albums with texts,
// measured with the system's fonts; reference/fonts.txt names them) and reference/pictures/ (pictures
// of every kind, no texts, measured with pdftest::FixedMetrics). The export must write them to the
// byte; the preview must draw their pages as a reader shows them.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "album/LayoutSettings.h"
#include "export/AlbumExport.h"

class TFontMetrics;

namespace qtest {

struct TReferenceAlbum {
  std::string Name;  // the file exported: Name + ".pdf" (numbered per page with SeparateCheck)
  bool Pictures;     // kept in reference/pictures/, its photos stored there; else in reference/
  TLayoutSettings Settings;
  std::vector<TExportPhoto> Photos;  // file names in the photo folder
  std::vector<std::string> Files;    // the PDF files the export writes, in page order
};

std::vector<TReferenceAlbum> ReferenceAlbums();

// The folder of Album's reference PDFs.
std::filesystem::path ReferenceFolder(const TReferenceAlbum& Album);
// The photos with full names: in reference/pictures/, or in PhotoDir where WriteReferencePhotos put them.
std::vector<TExportPhoto> ReferencePhotos(const TReferenceAlbum& Album, const std::filesystem::path& PhotoDir);
// The metrics Album is measured with.
std::shared_ptr<TFontMetrics> ReferenceMetrics(const TReferenceAlbum& Album);
// Writes the photos of the albums with texts into Dir: wide.jpg, tall.jpg (colour patterns) and
// lines.bmp (1 bit, a chequer board).
void WriteReferencePhotos(const std::filesystem::path& Dir);
// The fonts fontconfig resolves for the reference albums' font names, as reference/fonts.txt lists them:
// each name, the font file's name, its version and the first 16 digits of its SHA-256 digest. Records a
// failure when fc-match or sha256sum cannot answer.
std::string ResolvedReferenceFonts();

}  // namespace qtest
