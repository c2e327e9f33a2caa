// The file dialogs' descriptions and how a filter becomes the lines a dialog lists.
#include <gtest/gtest.h>

#include "album/PhotoEditing.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/Dialogs.h"

namespace {

TEST(Dialogs, TheWindowsFileDialogs) {
  EXPECT_EQ(AlbumOpenDialog().Filter, "Quirvel Dateien (*.qvl)|*.qvl");
  EXPECT_FALSE(AlbumOpenDialog().Save);
  EXPECT_TRUE(AlbumSaveDialog().Save);
  EXPECT_EQ(AlbumSaveDialog().DefaultExt, "qvl");
  EXPECT_EQ(PdfSaveDialog().Filter, "PDF-Dateien (*.pdf)|*.pdf");
  EXPECT_EQ(PdfSaveDialog().DefaultExt, "pdf");
  EXPECT_TRUE(PhotoAddDialog("x|*.x").Multiple);
}

TEST(Dialogs, FilterLines) {
  // The description's own bracketed list gives way to the patterns, each pattern once.
  EXPECT_EQ(FileDialogFilterLines("Quirvel Dateien (*.qvl)|*.qvl"),
            std::vector<std::string>{"Quirvel Dateien (*.qvl)"});
  EXPECT_EQ(FileDialogFilterLines("Bilder|*.JPG;*.jpg;*.JPEG;|Alle Dateien (*.*)|*.*|Leer|;"),
            (std::vector<std::string>{"Bilder (*.JPG *.JPEG)", "Alle Dateien (*)"}));
  EXPECT_TRUE(FileDialogFilterLines("").empty());
  const std::vector<std::string> photos = FileDialogFilterLines(WithJpegExtension(GetDIBOpenFilter()));
  ASSERT_FALSE(photos.empty());
  EXPECT_EQ(photos[0].rfind("Alle Bilddateien (*.JPG *.JPEG ", 0), 0u) << photos[0];
  EXPECT_NE(photos[0].find(" *.HEIC *.HEIF *.AVIF"), std::string::npos) << photos[0];
  EXPECT_EQ(photos[1], "JPEG-Dateien (*.JPG *.JPEG *.JPE *.JFIF)");
}

TEST(Dialogs, ProposalsNeverAFolderWhereWritingFailed) {
  using K = TFileDialogKind;
  struct TStep {
    bool Failed;  // false: chosen in a dialog of Kind
    K Kind;
    const char* File;
  };
  struct {
    std::vector<TStep> Steps;
    K Asked;
    const char* Proposal;
  } rows[] = {
      {{}, K::SaveAlbum, ""},
      {{{false, K::SaveAlbum, "/a/x.qvl"}}, K::SaveAlbum, "/a/x.qvl"},
      {{{false, K::SaveAlbum, "/a/x.qvl"}}, K::SavePdf, ""},  // each kind its own
      // The save into /b failed: the file before it.
      {{{false, K::SaveAlbum, "/a/x.qvl"},
        {false, K::SaveAlbum, "/b/y.qvl"},
        {true, K::SaveAlbum, "/b/y.qvl"}},
       K::SaveAlbum,
       "/a/x.qvl"},
      // Nothing but the failed folder: nothing.
      {{{false, K::SaveAlbum, "/a/x.qvl"}, {true, K::SaveAlbum, "/a/x.qvl"}}, K::SaveAlbum, ""},
      // A folder that failed is no proposal of any kind, not even for another file in it.
      {{{false, K::SavePdf, "/b/p.pdf"}, {false, K::SaveAlbum, "/b/y.qvl"}, {true, K::SaveAlbum, "/b/y.qvl"}},
       K::SavePdf,
       ""},
      // Chosen there again, the folder is trusted again.
      {{{false, K::SavePdf, "/a/p.pdf"}, {true, K::SavePdf, "/a/p.pdf"}, {false, K::SavePdf, "/a/q.pdf"}},
       K::SavePdf,
       "/a/q.pdf"},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    TFileProposals proposals;
    for (const TStep& step : rows[i].Steps)
      step.Failed ? proposals.Failed(step.File) : proposals.Chosen(step.Kind, step.File);
    EXPECT_EQ(proposals.Proposal(rows[i].Asked), rows[i].Proposal) << "row " << i;
  }
}

}  // namespace
