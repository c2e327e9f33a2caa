// The file dialogs' descriptions and how a filter becomes the lines a dialog lists.
#include <gtest/gtest.h>

#include "album/PhotoEditing.h"
#include "imaging/Pictaro.h"
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

}  // namespace
