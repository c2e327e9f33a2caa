#include "album/AlbumModel.h"

void TAlbumModel::FreeAllPics() {
  Pics.First();
  while (Pics.Next()) ReleaseEntry(*CurEntry);
  Pics.Clear();
  CurPic = 1;
}
