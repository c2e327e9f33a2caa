#include <gtest/gtest.h>

#include "album/PhotoEditing.h"
#include "album/TextTemplate.h"

namespace {

// An album of photos "/p/1.jpg" .. "/p/N.jpg" with texts "t1" .. "tN".
void Fill(TAlbumModel& Album, int N) {
  std::vector<std::string> paths;
  for (int i = 1; i <= N; ++i) paths.push_back("/p/" + std::to_string(i) + ".jpg");
  ASSERT_EQ(AddPhotos(Album, paths, false, false), paths.size());
  for (int i = 1; i <= N; ++i) ASSERT_TRUE(SetEntryText(Album.Pics[i - 1], "t" + std::to_string(i)));
}

std::string Order(TAlbumModel& Album) {
  std::string out;
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) out += EntryText(Album.Pics[static_cast<int32_t>(i)]);
  return out;
}

TEST(DefaultPhotoText, BreaksBeforeEveryFiftiethCharacter) {
  const std::string p49 = "/" + std::string(44, 'a') + ".jpg";
  ASSERT_EQ(p49.size(), 49u);
  EXPECT_EQ(DefaultPhotoText(p49, true), p49);
  const std::string p50 = p49 + "x";
  EXPECT_EQ(DefaultPhotoText(p50, true), p49 + "\rx");
  const std::string p100 = std::string(100, 'b');
  EXPECT_EQ(DefaultPhotoText(p100, true), std::string(49, 'b') + "\r" + std::string(50, 'b') + "\rb");
}

TEST(DefaultPhotoText, FolderCutKeepsBreaksOfTheFileName) {
  // 60 characters whose last slash is the 30th: characters 31-49, CR, 50-60.
  const std::string folder = "/c/" + std::string(26, 'd') + "/";
  ASSERT_EQ(folder.size(), 30u);
  const std::string file = std::string(26, 'f') + ".jpg";
  const std::string path = folder + file;
  ASSERT_EQ(path.size(), 60u);
  EXPECT_EQ(DefaultPhotoText(path, false), file.substr(0, 19) + "\r" + file.substr(19));
  // Unix folders end at "/" just the same; a break that fell into the folder goes with it.
  const std::string unix = "/" + std::string(60, 'd') + "/bild.jpg";
  EXPECT_EQ(DefaultPhotoText(unix, false), "bild.jpg");
  EXPECT_EQ(DefaultPhotoText("bild.jpg", false), "bild.jpg");
}

// Only "/" separates folders here: ":" and "\\" are letters of a name, for the default text, the
// template's fields and the name the sort compares.
TEST(FileNamePart, OnlySlashSeparates) {
  struct TRow {
    const char* Path;
    const char* Name;
    const char* Template;
    const char* Filled;
  };
  const TRow rows[] = {
      {"/a/Bildschirmfoto vom 2019-05-04 14:22:31.png", "Bildschirmfoto vom 2019-05-04 14:22:31.png",
       "{Name} in {Ordner}", "Bildschirmfoto vom 2019-05-04 14:22:31 in a"},
      {"/x/C:\\Fotos\\bild.jpg", "C:\\Fotos\\bild.jpg", "{Dateiname}", "C:\\Fotos\\bild.jpg"},
      {"/Reise: Rom/a\\b.jpg", "a\\b.jpg", "{Ordner}/{Name}", "Reise: Rom/a\\b"},
      {"D:bild.jpg", "D:bild.jpg", "{Name}", "D:bild"},
  };
  ASSERT_EQ(std::size(rows), 4u);
  for (const TRow& row : rows) {
    EXPECT_EQ(FileNamePart(row.Path), row.Name) << row.Path;
    EXPECT_EQ(DefaultPhotoText(row.Path, false), row.Name) << row.Path;
    EXPECT_EQ(FillTextTemplate(row.Template, row.Path, TDateTaken{}), row.Filled) << row.Path;
  }
}

TEST(DefaultPhotoText, PositionsCountCharactersNotBytes) {
  const std::string path = std::string(48, 'a') + "ää";  // 50 characters, 52 bytes
  EXPECT_EQ(DefaultPhotoText(path, true), std::string(48, 'a') + "ä\rä");
}

TEST(PhotoEditing, AddAppendsInOrderWithOrWithoutDefaultTexts) {
  TAlbumModel album;
  Fill(album, 2);
  album.CurPic = 2;
  EXPECT_EQ(AddPhotos(album, {"/x/a.jpg", "/x/b.jpg", "/x/a.jpg"}, true, false), 3u);
  ASSERT_EQ(album.Pics.Count, 5u);
  EXPECT_EQ(album.CurPic, 2);
  EXPECT_STREQ(album.Pics[2].FileName, "/x/a.jpg");
  EXPECT_STREQ(album.Pics[2].Text, "a.jpg");
  EXPECT_STREQ(album.Pics[3].Text, "b.jpg");
  EXPECT_STREQ(album.Pics[4].FileName, "/x/a.jpg");  // the same file may come twice
  AddPhotos(album, {"/x/c.jpg"}, true, true);
  EXPECT_STREQ(album.Pics[5].Text, "/x/c.jpg");
  AddPhotos(album, {"/x/d.jpg"}, false, true);
  EXPECT_EQ(album.Pics[6].Text, nullptr);
}

TEST(PhotoEditing, DeleteMakesTheFollowerCurrentAndSaysWhatToShow) {
  TAlbumModel album;
  Fill(album, 5);
  album.CurPic = 3;
  TDeleteResult r = DeleteCurrentPhoto(album);
  EXPECT_TRUE(r.Deleted);
  EXPECT_EQ(r.TextToShow, "t4");
  EXPECT_EQ(album.CurPic, 3);
  EXPECT_EQ(Order(album), "t1t2t4t5");

  album.CurPic = 4;  // the last one
  r = DeleteCurrentPhoto(album);
  EXPECT_TRUE(r.Deleted);
  EXPECT_EQ(r.TextToShow, "");
  EXPECT_EQ(album.CurPic, 4);
  EXPECT_FALSE(DeleteCurrentPhoto(album).Deleted) << "no photo is current any more";
  EXPECT_EQ(Order(album), "t1t2t4");

  album.CurPic = 0;
  EXPECT_FALSE(DeleteCurrentPhoto(album).Deleted);
  album.CurPic = 1;
  ClearEntryText(album.Pics[1]);
  r = DeleteCurrentPhoto(album);
  EXPECT_EQ(r.TextToShow, "") << "the follower has no text";
}

TEST(PhotoEditing, MovesStopAtTheEndsAndTheMovedPhotoStaysCurrent) {
  TAlbumModel album;
  Fill(album, 3);
  album.CurPic = 1;
  EXPECT_FALSE(MovePhotoForward(album));
  EXPECT_TRUE(MovePhotoBack(album));
  EXPECT_EQ(album.CurPic, 2);
  EXPECT_EQ(Order(album), "t2t1t3");
  EXPECT_TRUE(MovePhotoBack(album));
  EXPECT_EQ(album.CurPic, 3);
  EXPECT_FALSE(MovePhotoBack(album));
  EXPECT_EQ(Order(album), "t2t3t1");
  EXPECT_TRUE(MovePhotoForward(album));
  EXPECT_EQ(album.CurPic, 2);
  EXPECT_EQ(Order(album), "t2t1t3");
  album.CurPic = 9;
  EXPECT_FALSE(MovePhotoForward(album));
  EXPECT_FALSE(MovePhotoBack(album));
  EXPECT_EQ(Order(album), "t2t1t3");
}

TEST(PhotoEditing, TextGoesToTheCurrentPhotoOnly) {
  TAlbumModel album;
  Fill(album, 2);
  album.CurPic = 2;
  EXPECT_TRUE(SetCurrentPhotoText(album, "Zeile 1\r\nZeile 2"));
  EXPECT_STREQ(album.Pics[1].Text, "Zeile 1\r\nZeile 2");
  EXPECT_STREQ(album.Pics[0].Text, "t1");
  album.CurPic = 3;
  EXPECT_FALSE(SetCurrentPhotoText(album, "verloren"));
  EXPECT_EQ(Order(album), "t1Zeile 1\r\nZeile 2");
}

TEST(PhotoEditing, JpegFilterGainsJpegInAnyLetterCase) {
  EXPECT_EQ(WithJpegExtension("Bilder|*.BMP;*.JPG;*.PNG"), "Bilder|*.BMP;*.JPG;*.JPEG;*.PNG");
  EXPECT_EQ(WithJpegExtension("*.jpg;*.Jpg;"), "*.JPG;*.JPEG;*.JPG;*.JPEG;");
  EXPECT_EQ(WithJpegExtension("*.JPG"), "*.JPG") << "only the pattern with its semicolon";
  EXPECT_EQ(WithJpegExtension(""), "");
}

TEST(PhotoEditing, TextBoxShowsEveryBreakAndGivesBackCrLf) {
  // Stored lone CRs (default texts) and CR LF (typed) both show as line breaks.
  EXPECT_EQ(BoxTextOfPhotoText("a\rb\r\nc\r"), "a\nb\nc\n");
  EXPECT_EQ(BoxTextOfPhotoText("\r\r\n"), "\n\n");
  EXPECT_EQ(PhotoTextOfBoxText("a\nb\n"), "a\r\nb\r\n");
  EXPECT_EQ(PhotoTextOfBoxText("a\r\nb"), "a\r\nb") << "a stray CR is not doubled";
}

}  // namespace
