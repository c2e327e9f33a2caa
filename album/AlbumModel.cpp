#include "album/AlbumModel.h"

void TAlbumModel::FreeAllPics() {
  Pics.First();
  while (Pics.Next()) ReleaseEntry(*CurEntry);
  Pics.Clear();
  CurPic = 1;
  Anchor = 1;
  StoredEntries.clear();
  Damage.clear();
}

std::string CurrentPhotoStatus(const TAlbumModel& Album) {
  if (!Album.HasCurrent()) return "Bild: keins   ";
  return "Thumbnail: " + std::to_string(Album.CurPic) + " von " + std::to_string(Album.Pics.Count);
}
