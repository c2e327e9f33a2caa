#pragma once
// TPagePreview: the page preview beside the settings. It shows one page of the album as the PDF will
// hold it (export/PagePreview.h: the export's layout drawn through the export's page drawing), in the
// page's proportion on a neutral background, with "Seite N von M" and buttons to turn the pages; Bild
// auf and Bild ab turn them while the pane has the keyboard focus.
//
// Every change that alters the PDF calls SettingsChanged (or AlbumChanged for the photo list and
// texts); the pane draws anew once the events of the moment are handled, so a burst of changes (a
// field typed into, a whole album's settings set) draws once. Drawing happens on the window's thread
// and only while the pane is visible; a hidden pane draws when it shows again.
//
// Pictures come from a TPreviewPictures of the pane's own: made on worker threads at the size the page
// shows them, from the shared thumbnail folder when that is large enough. Until a photo's picture is
// there, the grid's thumbnail stands in for it, and without one its place shows the grid's grey box.
// A photo that cannot be read takes no cell, as in the PDF; a line below the page says how many there
// are as soon as the pane knows of one.

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

#include "album/LayoutSettings.h"

class QLabel;
class QToolButton;
class TAlbumModel;
class TPreviewPictures;
class TThumbnailCache;

class TPagePreview : public QWidget {
  Q_OBJECT

 public:
  // Album: the photos to preview; Settings: the layout settings as the window's controls hold them
  // now; Thumbnails: the shared thumbnail folder, or nullptr. Album and Thumbnails outlive the pane.
  TPagePreview(const TAlbumModel& Album, std::function<TLayoutSettings()> Settings,
               const TThumbnailCache* Thumbnails, QWidget* Parent = nullptr);
  ~TPagePreview() override;

  // Something that changes the PDF changed: draw anew.
  void SettingsChanged();
  // The photo list changed (photos added, deleted, moved, another album): draw anew, and forget the
  // pictures of photos that left.
  void AlbumChanged();
  // At the next drawing, turn to the page that holds the current photo.
  void ShowCurrentPhoto();
  void NextPage();
  void PreviousPage();

  // The page shown (from 1) and how many there are, as last drawn.
  int Page() const { return FPage; }
  int PageCount() const { return FPageCount; }
  // The page as last drawn.
  const QImage& PageImage() const { return FImage; }
  // True while pictures are being made (for tests and benchmarks).
  bool MakingPictures() const;

  QToolButton* PrevPageBtn;
  QToolButton* NextPageBtn;
  QLabel* PageLabel;
  QLabel* UnreadableLabel;  // hidden while every photo can be read

 signals:
  // The page was drawn anew.
  void Redrawn();

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  void Schedule();
  void Redraw();
  void TakePictures();
  void PaintPage(QPainter& Painter);
  friend class TPageView;

  const TAlbumModel& FAlbum;
  std::function<TLayoutSettings()> FSettings;
  std::unique_ptr<TPreviewPictures> FPictures;
  QWidget* FView;
  QImage FImage;
  int FPage = 1, FPageCount = 1;
  bool FToCurrent = true;
  bool FScheduled = false;
  bool FDirty = true;
};
