#pragma once
// TPhotoList: the photo page's view of the album, a plain list with one row per photo (its file name
// without the folder; the full path as the row's hint). The current photo (CurPic) is the selected row.
//
// The main window talks to it through three things only, so a richer view can take its place:
// RepaintPhotos after every change of the photo list or of CurPic, CurrentChosen when the user makes
// another photo current, and OpenRequested for a double click or Enter on the current photo.

#include <QListWidget>

class TAlbumModel;

class TPhotoList final : public QListWidget {
  Q_OBJECT

 public:
  explicit TPhotoList(QWidget* Parent = nullptr);

  // The album whose photos are shown; it must outlive the list, or be replaced before it goes.
  void SetAlbum(TAlbumModel* Album);
  // Shows the photos anew, selects photo CurPic (none when CurPic names no photo) and scrolls it into
  // view.
  void RepaintPhotos();

 signals:
  // The user made another photo current; the album's CurPic holds it already.
  void CurrentChosen();
  // Double click, or Enter, on the current photo.
  void OpenRequested();

 protected:
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  void RowChosen(int Row);

  TAlbumModel* FAlbum = nullptr;
};
