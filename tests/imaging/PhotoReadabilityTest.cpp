// Whether a photo is readable: the verdict against libjpeg's own djpeg, which exits with 0 only for a
// file it reads whole, and the verdict kept while a file stays the same.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "imaging/pictaro/PhotoReadability.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

bool DjpegReadsWhole(const std::string& File, const fs::path& Dir) {
  return qtest::Run("djpeg -outfile " + qtest::Quote(Dir / "out.ppm") + " " + qtest::Quote(File) + " 2>/dev/null") == 0;
}

TEST(PhotoReadability, AsDjpegReadsTheFiles) {
  QTEST_REQUIRE_PROGRAM("djpeg");
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  struct {
    const char* Name;
    bool Progressive;
    double Keep;
  } rows[] = {
      {"progressive.jpg", true, 1},
      {"baseline.jpg", false, 1},
      // Cut after its first scans: a reduced decode of the DC coefficients still gets a picture.
      {"progressive-cut.jpg", true, 0.7},
      {"baseline-cut.jpg", false, 0.7},
      {"progressive-stub.jpg", true, 0.02},  // not even the frame header
  };
  for (const auto& row : rows) {
    const std::string file = dir / row.Name;
    ASSERT_TRUE(qtest::WriteCutJpeg(file, 400, 300, row.Progressive, row.Keep));
    const bool expected = DjpegReadsWhole(file, dir.Path());
    EXPECT_EQ(expected, row.Keep == 1) << row.Name << ": the fixture is not what it should be";
    const TPictureHeader header = PhotoReadability(file);
    EXPECT_EQ(header.Status == THeaderStatus::Ok, expected) << row.Name;
    if (expected) EXPECT_EQ(header.Width, 400) << row.Name;
  }
  EXPECT_EQ(PhotoReadability(dir / "missing.jpg").Status, THeaderStatus::Missing);
  qtest::WriteFile(dir / "text.jpg", "kein Bild");
  EXPECT_EQ(PhotoReadability(dir / "text.jpg").Status, THeaderStatus::NotAPicture);
}

// The bytes of a file change in place with its size, inode and modification time kept: the verdict
// remembered for it stays; a new modification time has it judged again.
TEST(PhotoReadability, KeptWhileTheFileStaysTheSame) {
  QTEST_REQUIRE_PROGRAM("convert");
  qtest::TScratchDir dir;
  const std::string good = dir / "good.jpg", file = dir / "photo.jpg";
  ASSERT_TRUE(qtest::WriteCutJpeg(good, 200, 150, false, 1));
  const std::string bytes = qtest::ReadFile(good);
  // The same size, but the coded data ends at a marker halfway.
  std::string damaged = bytes;
  damaged.replace(damaged.size() / 2, damaged.size() - damaged.size() / 2 - 2, damaged.size() - damaged.size() / 2 - 2, '\0');
  damaged.replace(damaged.size() / 2, 2, "\xFF\xD9");
  qtest::WriteFile(file, damaged);
  EXPECT_EQ(RememberedReadability(file), -1);
  EXPECT_NE(PhotoReadability(file).Status, THeaderStatus::Ok);
  EXPECT_EQ(RememberedReadability(file), 0);

  const fs::file_time_type modified = fs::last_write_time(file);
  {
    std::fstream in(file, std::ios::in | std::ios::out | std::ios::binary);
    in.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  fs::last_write_time(file, modified);
  EXPECT_EQ(RememberedReadability(file), 0);
  EXPECT_NE(PhotoReadability(file).Status, THeaderStatus::Ok);

  fs::last_write_time(file, modified + std::chrono::seconds(1));
  EXPECT_EQ(RememberedReadability(file), -1);
  EXPECT_EQ(PhotoReadability(file).Status, THeaderStatus::Ok);
  EXPECT_EQ(RememberedReadability(file), 1);
}

}  // namespace
