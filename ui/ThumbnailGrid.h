#pragma once
// TThumbnailGrid: the photo page's grid of thumbnails, with the current photo marked blue, and the
// selection and navigation in it: mouse, arrow keys, Enter, double click and wheel.
//
// The grid works on the album model it is given (Pics, CurEntry, CurPic) and tells its owner, the main
// window, through signals what only the window can do: show the current photo's text (adibchanged),
// the status bar's first panel, the file name label, and open the viewer.
//
// Thumbnails are cached in the photo entries. Those not made yet are made by a TThumbnailMaker on
// worker threads, the visible cells first and then the others; a cell waiting for its thumbnail shows
// the photo's first picture when the maker found one (its EXIF picture, another program's entry),
// else a grey square; a file that cannot be read shows a black one. Painting and scrolling never wait for a
// file. A file that could not be read is tried again at the next PaintBox1Paint, not at every paint.

#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ThumbnailMaker.h"

class QLineEdit;
class QScrollArea;
class TAlbumModel;

class TThumbnailGrid : public QWidget {
  Q_OBJECT

 public:
  // Make makes one thumbnail on a worker thread (MakeThumbnail unless a test gives another); First,
  // when given, a first picture to show until then (MakeFirstThumbnail in the window).
  explicit TThumbnailGrid(TAlbumModel& Album, QWidget* Parent = nullptr,
                          TThumbnailMaker::TMake Make = nullptr, TThumbnailMaker::TMake First = nullptr);
  ~TThumbnailGrid() override;

  QScrollArea* ScrollBox1;
  QWidget* PaintBox1;
  QLineEdit* KeyEdit;  // takes the keyboard focus for the grid's keys

  // Sizes the drawing surface to the album, repaints it, makes the current photo the list's current
  // record and tells the status texts. Called after every change of the list or the current photo.
  void PaintBox1Paint();
  // Mouse button pressed at (X, Y) on the surface: focus to KeyEdit, select the photo whose frame holds
  // the point.
  void PaintBox1MouseDown(int X, int Y);
  // A key pressed in KeyEdit (a Qt key code): arrows move CurPic, Enter opens the viewer.
  void KeyEditKeyDown(int Key);
  // Opens the current photo in the viewer, if there is one.
  void PaintBox1DblClick();
  // The wheel: scroll the grid down or up by 20 pixels.
  void FormMouseWheelDown();
  void FormMouseWheelUp();
  // A wheel turned by AngleDelta (120 a notch, negative towards the user): one scroll of 20 pixels per
  // notch; fine-grained wheels add up to notches.
  void WheelTurned(int AngleDelta);
  // Scrolls so that the current cell's frame is visible.
  void ScrollImageInView();
  // Tells the owner the current photo's text.
  void adibchanged();

  // Columns of the grid as it is now.
  int Columns() const;
  // Draws the cells within Clip onto Painter, which paints PaintBox1.
  void PaintCells(QPainter& Painter, const QRect& Clip);
  // True while thumbnails are being made or wait to be taken (for tests and benchmarks).
  bool MakingThumbnails() const;
  // True when the cell of photo Index (from 0) shows a picture: its thumbnail, or a first picture.
  bool ShowsPicture(int Index) const;

 signals:
  // The current photo's text, for the text box.
  void CurrentTextChanged(const QString& Text);
  // The status bar's first panel: "Thumbnail: 3 von 12", or "Bild: keins   ".
  void StatusTextChanged(const QString& Text);
  // The current photo's full file name, for the label below the grid; empty when there is none.
  void FileNameChanged(const QString& Text);
  // The user wants to see the current photo: the owner opens the viewer on FileName.
  void OpenPicture(const QString& FileName);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void SizeSurface();
  void TakeThumbnails();
  void RequestMissing(const std::vector<std::string>& Visible);
  void ClearTemporary();
  void DropFirst(const std::string& FileName);
  void PruneFirst();
  void Scroll(int Pixels);

  TAlbumModel& FAlbum;
  std::unique_ptr<TThumbnailMaker> FMaker;
  // Files whose thumbnail could not be made: no picture (unreadable) or the picture itself to draw.
  std::map<std::string, TDib> FTemporary;
  // First pictures of files whose thumbnail is still being made.
  std::map<std::string, TDib> FFirst;
  std::vector<std::string> FRequested;
  QString FStatusText, FFileName;
  int FWheelRest = 0;
};
