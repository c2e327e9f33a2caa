// A JPEG file that goes in as it is is read again from its file when the document ends, only while the
// file is still the one that was checked; otherwise its place gets the white stand-in and counts as a
// missing picture.

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "PdfTestSupport.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PictureEncoding.h"
#include "platform/FileVerdicts.h"
#include "support/TestSupport.h"

using namespace pdftest;

TEST(KeptJpegFile, TheFileIsReadAgainOnlyWhileItIsTheSame) {
  const std::string bytes("\xFF\xD8\xFF\xD9", 4);
  struct TRow {
    const char* Change;
    std::function<void(const std::string&)> Apply;
    bool Kept;
  };
  const auto modified = [](const std::string& F) {
    const struct timespec times[2] = {{1700000000, 5}, {1700000000, 5}};
    ASSERT_EQ(::utimensat(AT_FDCWD, F.c_str(), times, 0), 0);
  };
  const TRow rows[] = {
      {"none", [](const std::string&) {}, true},
      {"modified", modified, false},
      {"removed", [](const std::string& F) { std::filesystem::remove(F); }, false},
      {"replaced by a copy",
       [&](const std::string& F) {
         qtest::WriteFile(F + ".new", bytes);
         std::filesystem::rename(F + ".new", F);
       },
       false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Change);
    qtest::TScratchDir dir;
    const std::string jpeg = dir / "a.jpg", file = dir / "out.pdf";
    qtest::WriteFile(jpeg, bytes);
    TPictureSource source;
    source.Width = 3, source.Height = 2;
    source.Jpeg = bytes;
    source.Header.Width = 3, source.Header.Height = 2, source.Header.Orientation = 1;
    source.Header.Process = 0, source.Header.Precision = 8, source.Header.Components = 1;
    source.Header.Length = bytes.size();
    ASSERT_TRUE(IdentifyFile(jpeg, source.JpegFile));
    TPDFCanvas pdf(FixedMetrics());
    pdf.KeepJpeg = true;
    ASSERT_TRUE(pdf.BeginDoc(file));
    TEncodedPicture scratch;
    const TPlacedImage placed = pdf.PlacePicture(0, 0, 30, 20, source);
    ASSERT_TRUE(placed.AsIs);
    pdf.EncodePlaced(placed, source, scratch);
    row.Apply(jpeg);
    pdf.EndDoc();
    EXPECT_EQ(pdf.MissingPictures(), row.Kept ? 0 : 1);
    const std::string written = qtest::ReadFile(file);
    const std::string image = Object(written, 8);
    if (row.Kept) {
      EXPECT_NE(image.find("/Width 3 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceGray /Length 5 /Filter "
                           "/DCTDecode >>\nstream\n\xFF\xD8\xFF\xD9\nendstream"),
                std::string::npos)
          << image;
    } else {
      EXPECT_NE(image.find("/Width 1 /Height 1 "), std::string::npos) << image;
    }
  }
}
