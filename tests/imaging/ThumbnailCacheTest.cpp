// The shared thumbnail folder: entry names, what an entry holds, when it is used and when the photo is
// read again.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "PictureOracle.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/screen/Thumbnail.h"
#include "imaging/screen/ThumbnailCache.h"
#include "support/TestSupport.h"

namespace {

// A 600 x 300 JPEG, red on the left, blue on the right, made by an independent encoder.
std::string MakePhoto(const qtest::TScratchDir& Dir, const std::string& Name) {
  const std::string path = Dir / Name;
  EXPECT_TRUE(qtest::NeedProgram("convert"));
  EXPECT_EQ(qtest::Run("convert -size 300x300 xc:red xc:blue +append " + qtest::Quote(path)), 0);
  return path;
}

// Sets the file's modification time to Seconds.
void SetModified(const std::string& Path, int64_t Seconds) {
  std::filesystem::last_write_time(
      Path, std::filesystem::file_time_type::clock::now() +
                (std::chrono::seconds(Seconds) - std::chrono::duration_cast<std::chrono::seconds>(
                                                     std::chrono::system_clock::now().time_since_epoch())));
}

std::string Identify(const std::string& Path, const std::string& Format) {
  std::string out;
  EXPECT_EQ(qtest::Run("identify -format " + qtest::Quote(Format) + " " + qtest::Quote(Path), &out), 0);
  return out;
}

}  // namespace

TEST(ThumbnailCache, EntriesAreNamedByTheDigestOfTheFileUri) {
  // The worked example every program sharing the folder agrees on.
  const TThumbnailCache cache("/c");
  EXPECT_EQ(FileUri("/home/jens/photos/me.png"), "file:///home/jens/photos/me.png");
  EXPECT_EQ(cache.EntryName("/home/jens/photos/me.png"), "/c/c6ee772d9e49320e97ec29a7eb5b1697.png");
  // Blanks, "#", "%" and every byte of a non-ASCII character are escaped; "/", "~", "!" and "=" stay.
  EXPECT_EQ(FileUri("/tmp/a b/\xC3\xA4#%~!=.jpg"), "file:///tmp/a%20b/%C3%A4%23%25~!=.jpg");
  EXPECT_EQ(TThumbnailCache("").EntryName("/a.jpg"), "");
}

TEST(ThumbnailCache, APhotoIsDecodedOnceAndItsEntryServesUntilTheFileChanges) {
  qtest::TScratchDir dir;
  const std::string photo = MakePhoto(dir, "photo.jpg");
  const TThumbnailCache cache(dir / "cache/thumbnails/normal");

  const TMadeThumbnail first = MakeThumbnail(photo.c_str(), &cache);
  ASSERT_EQ(first.Kind, TThumbnailKind::Cached);
  EXPECT_EQ(DibWidth(first.Picture), 80);
  EXPECT_EQ(DibHeight(first.Picture), 40);
  EXPECT_GT(qtest::DibRgb(first.Picture, 5, 20).Red, 200);
  EXPECT_GT(qtest::DibRgb(first.Picture, 75, 20).Blue, 200);

  // The entry: a private 128 x 64 PNG in a private folder, saying what it shows, read by ImageMagick.
  const std::string entry = cache.EntryName(photo);
  struct stat info {};
  ASSERT_EQ(::stat(entry.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(cache.Folder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(
      Identify(entry, "%m %w %h %[channels] %z %[Thumb::URI] %[Thumb::Image::Width] %[Thumb::Image::Height]"),
      "PNG 128 64 srgba 8 " + FileUri(photo) + " 600 300");
  TFileStamp stamp;
  ASSERT_TRUE(FileStampOf(photo, stamp));
  EXPECT_EQ(Identify(entry, "%[Thumb::MTime] %[Thumb::Size]"),
            std::to_string(stamp.Modified) + " " + std::to_string(stamp.Size));

  // The photo's bytes are replaced by garbage of the same size and time: the entry serves, so the
  // photo was not read, and the thumbnail is the same to the pixel.
  qtest::WriteFile(photo, std::string(static_cast<size_t>(stamp.Size), 'x'));
  SetModified(photo, stamp.Modified);
  const TMadeThumbnail second = MakeThumbnail(photo.c_str(), &cache);
  ASSERT_EQ(second.Kind, TThumbnailKind::Cached);
  ASSERT_EQ(DibHeight(second.Picture), 40);
  for (int y = 0; y < 40; ++y)
    EXPECT_EQ(std::memcmp(first.Picture.Bits + y * first.Picture.RowBytes,
                          second.Picture.Bits + y * second.Picture.RowBytes, 80 * 3),
              0);
  deldib(first.Picture);
  deldib(second.Picture);

  // A newer time makes the entry stale: the photo is read, and garbage is unreadable.
  SetModified(photo, stamp.Modified + 10);
  EXPECT_EQ(MakeThumbnail(photo.c_str(), &cache).Kind, TThumbnailKind::Unreadable);
}

TEST(ThumbnailCache, ForeignDamagedOrUnwritableEntriesAreNeverTrusted) {
  qtest::TScratchDir dir;
  const std::string photo = MakePhoto(dir, "photo.jpg");
  const TThumbnailCache cache(dir / "normal");
  deldib(MakeThumbnail(photo.c_str(), &cache).Picture);
  const std::string entry = cache.EntryName(photo);
  TDib picture;
  int w = 0, h = 0;
  ASSERT_TRUE(cache.Read(photo, &picture, &w, &h));
  deldib(picture);

  // Another program's entry for the same file (here: all green) is not taken, and is replaced.
  ASSERT_EQ(qtest::Run("convert " + qtest::Quote(entry) +
                       " -fill green -colorize 100 -set Software other PNG24:" + qtest::Quote(entry)),
            0);
  EXPECT_FALSE(cache.Read(photo, &picture, &w, &h));
  EXPECT_EQ(picture.Bits, nullptr);
  TMadeThumbnail made = MakeThumbnail(photo.c_str(), &cache);
  EXPECT_GT(qtest::DibRgb(made.Picture, 5, 20).Red, 200);
  deldib(made.Picture);
  EXPECT_TRUE(cache.Read(photo, &picture, &w, &h));
  deldib(picture);

  // A cut-off entry is not taken.
  const std::string bytes = qtest::ReadFile(entry);
  qtest::WriteFile(entry, bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(cache.Read(photo, &picture, &w, &h));

  // A folder that cannot be made (a file stands in its way) costs the cache, not the thumbnail.
  qtest::WriteFile(dir / "blocked", "");
  const TThumbnailCache blocked(dir / "blocked/normal");
  made = MakeThumbnail(photo.c_str(), &blocked);
  EXPECT_EQ(made.Kind, TThumbnailKind::Cached);
  EXPECT_EQ(DibWidth(made.Picture), 80);
  deldib(made.Picture);
}

TEST(ThumbnailCache, TheFirstStoreRemovesOurTemporaryEntriesOlderThanADay) {
  qtest::TScratchDir dir;
  const std::string photo = MakePhoto(dir, "photo.jpg");
  const TThumbnailCache cache(dir / "normal");
  std::filesystem::create_directories(cache.Folder());
  const int64_t now =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
          .count();
  struct {
    const char* Name;
    int64_t Age;
    bool Kept;
  } rows[] = {
      {".quirvel-a1B2c3", 86400 + 60, false},  // ours, a day and a minute old
      {".quirvel-d4E5f6", 86400 - 60, true},   // ours, not yet a day old
      {".quirvel-a1B2c3d", 3 * 86400, true},   // not a name mkstemp gives us
      {".other-a1B2c3", 3 * 86400, true},      // another program's
      {"0123456789abcdef0123456789abcdef.png", 3 * 86400, true},
  };
  for (const auto& r : rows) {
    qtest::WriteFile(cache.Folder() + "/" + r.Name, "x");
    SetModified(cache.Folder() + "/" + r.Name, now - r.Age);
  }
  deldib(MakeThumbnail(photo.c_str(), &cache).Picture);
  for (const auto& r : rows)
    EXPECT_EQ(std::filesystem::exists(cache.Folder() + "/" + r.Name), r.Kept) << r.Name;
  EXPECT_TRUE(std::filesystem::exists(cache.EntryName(photo)));
}
