#include <gtest/gtest.h>

#include "album/PhotoEditing.h"
#include "album/PhotoSearch.h"

namespace {

// An album of photos "/p/1.jpg" .. "/p/N.jpg" with texts "t1" .. "tN".
void Fill(TAlbumModel& Album, int N) {
  std::vector<std::string> paths;
  for (int i = 1; i <= N; ++i) paths.push_back("/p/" + std::to_string(i) + ".jpg");
  ASSERT_EQ(AddPhotos(Album, paths, false, false), paths.size());
  for (int i = 1; i <= N; ++i) ASSERT_TRUE(SetEntryText(Album.Pics[i - 1], "t" + std::to_string(i)));
}

TEST(PhotoSearch, CapitalsOnlyForAToZ) { EXPECT_EQ(SearchCapitals("abc xyz äöü ß 1"), "ABC XYZ äöü ß 1"); }

TEST(PhotoSearch, FindsTextThenFileNamePartOncePerPhoto) {
  TAlbumModel album;
  AddPhotos(album, {"/urlaub/strand.jpg", "/urlaub/berg.jpg", "/Urlaub/Haus.jpg", "/x/Ärger.jpg"}, false,
            false);
  SetEntryText(album.Pics[0], "Am STRAND\r\nmit Sonne");
  SetEntryText(album.Pics[1], "Urlaub im Schnee");
  std::vector<TSearchHit> hits = SearchPhotos(album, "strand");
  ASSERT_EQ(hits.size(), 1u) << "text and file name both match: one row";
  EXPECT_EQ(hits[0].FileNamePart, "strand.jpg");
  EXPECT_EQ(hits[0].Text, "Am STRAND\r\nmit Sonne");
  EXPECT_EQ(hits[0].Index, 0);

  hits = SearchPhotos(album, "urlaub");  // folder names are not searched
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].Index, 1);
  EXPECT_EQ(album.HitList, std::vector<std::string>{"1"});

  hits = SearchPhotos(album, "haus");  // a photo without text, found through its file name
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].FileNamePart, "Haus.jpg");
  EXPECT_EQ(hits[0].Text, "");

  EXPECT_TRUE(SearchPhotos(album, "ärger").empty()) << "a small ä does not find a capital Ä";
  EXPECT_EQ(SearchPhotos(album, "Ärger").size(), 1u);
  EXPECT_EQ(SearchPhotos(album, "JPG").size(), 4u);
  EXPECT_EQ(album.HitList, (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_TRUE(SearchPhotos(album, "").empty());
  EXPECT_TRUE(album.HitList.empty()) << "every search replaces the hit list";

  TAlbumModel empty;
  EXPECT_TRUE(SearchPhotos(empty, "a").empty());
}

TEST(PhotoSearch, JumpUsesTheStoredPositionEvenAfterChanges) {
  TAlbumModel album;
  Fill(album, 3);
  SearchPhotos(album, "t3");
  EXPECT_FALSE(JumpToHit(album, 1));
  EXPECT_FALSE(JumpToHit(album, -1));
  EXPECT_TRUE(JumpToHit(album, 0));
  EXPECT_EQ(album.CurPic, 3);
  DeleteCurrentPhoto(album);
  EXPECT_TRUE(JumpToHit(album, 0));
  EXPECT_FALSE(album.HasCurrent()) << "the stored position now lies beyond the list";
  album.HitList = {"x", "2147483647"};
  album.CurPic = 1;
  EXPECT_FALSE(JumpToHit(album, 0));
  EXPECT_FALSE(JumpToHit(album, 1));
  EXPECT_EQ(album.CurPic, 1);
}

}  // namespace
