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
// turned as the photo is, else a grey square; a file that cannot be read shows a black one. Painting
// and scrolling never wait for a file. A file that could not be read is tried again at the next
// PaintBox1Paint, not at every paint.
//
// Selection (PhotoSelection.h): a click selects one photo, Ctrl+click adds or takes out one, Shift+click
// and Shift+arrows select a range, Ctrl+A all; the current photo is the one last clicked. Entf asks the
// window to delete (DeleteRequested). Dragging a selected photo with the left button moves the whole
// selection: an insertion mark shows where it goes, the grid scrolls while the pointer is near its top
// or bottom edge, and releasing asks the window to move it there (SelectionDropped). Files and folders
// dragged in from a file manager (text/uri-list) show the same mark; dropping them asks the window to
// add them there (FilesDropped). The grid changes no photo's place itself: the window does, so that
// every change can be undone.

#include <QStringList>
#include <QWidget>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/screen/ThumbnailMaker.h"

class QLineEdit;
class QMimeData;
class QScrollArea;
class QTimer;
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
  // the point (with Ctrl and Shift as above). A plain press on a photo already selected keeps the
  // selection, so that it can be dragged; the release then selects that photo alone.
  void PaintBox1MouseDown(int X, int Y, Qt::KeyboardModifiers Modifiers = {},
                          Qt::MouseButton Button = Qt::LeftButton);
  void PaintBox1MouseMove(int X, int Y, Qt::MouseButtons Buttons);
  void PaintBox1MouseUp(int X, int Y);
  // A key pressed in KeyEdit (a Qt key code): arrows move CurPic (with Shift extending the selection),
  // Enter opens the viewer, Ctrl+A selects all, Entf asks for deleting.
  void KeyEditKeyDown(int Key, Qt::KeyboardModifiers Modifiers = {});
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
  // Where the insertion mark stands while something is dragged over the grid (0 .. Count), else -1.
  int DropGap() const { return FGap; }
  // One step of scrolling while a drag waits near the top or bottom edge (the timer's work).
  void AutoScrollStep();
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
  // Entf in the grid: delete the selected photos.
  void DeleteRequested();
  // The selection was dragged to the gap before photo Gap (counted from 0; Count: the end).
  void SelectionDropped(int Gap);
  // Files and folders were dropped at Gap, in the order the file manager gave them.
  void FilesDropped(const QStringList& Paths, int Gap);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void SizeSurface();
  void TakeThumbnails();
  void RequestMissing(const std::vector<std::string>& Visible);
  void ClearTemporary();
  void DropFirst(const std::string& FileName);
  // The first picture of a photo of Turn quarter turns (PhotoTurn.h), or nullptr when there is none or
  // no memory to turn it.
  const TDib* FirstPicture(const std::string& FileName, int Turn);
  void PruneFirst();
  void Scroll(int Pixels);
  // The pointer is at Pos (viewport coordinates) with something dragged: mark and scrolling follow it.
  void DragOver(const QPoint& Pos);
  void EndDrag();
  bool ViewportDragEvent(QEvent* Event);
  // After the selection changed by mouse or key: text box, scrolling, repaint.
  void ShowSelection();
  void PaintInsertionMark(QPainter& Painter, int Columns, int Count);

  TAlbumModel& FAlbum;
  std::unique_ptr<TThumbnailMaker> FMaker;
  // Files whose thumbnail could not be made: no picture (unreadable) or the picture itself to draw.
  std::map<std::string, TDib> FTemporary;
  // First pictures of files whose thumbnail is still being made: as the maker made them, upright
  // ([0]), and turned by 1 to 3 quarter turns ([1] to [3]) once a cell of a turned photo asks.
  using TFirstPictures = std::array<TDib, 4>;
  std::map<std::string, TFirstPictures> FFirst;
  std::vector<std::string> FRequested;
  QString FStatusText, FFileName;
  int FWheelRest = 0;
  // Dragging: the photo pressed, where, whether the release is to select it alone, and the drag.
  int FPressed = -1;
  QPoint FPressPos;
  bool FSelectOnRelease = false;
  bool FDragging = false;
  int FGap = -1;
  QPoint FDragPos;  // the pointer in viewport coordinates
  int FScrollSpeed = 0;
  QTimer* FAutoScroll = nullptr;
};
