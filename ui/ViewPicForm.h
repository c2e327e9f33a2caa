#pragma once
// TViewPicForm, the picture viewer "Bild betrachten...": one photo at a chosen zoom in a scrolling
// area, moved by dragging with any mouse button, printed through the print window, handed to the
// desktop's default application.
//
// The viewer is made once at program start and reused for every photo, so the zoom and the scroll
// positions stay as the user left them. ShowPicture loads a photo, shows the viewer modally and frees
// the picture when it closes; the viewer never loads or frees Picture otherwise. Every painting
// stretches the picture anew from Picture with PaintDib, limited to the part being painted, and
// converts only those pixels from the picture's colour profile to the screen's sRGB.
//
// "Einpassen" fits the picture into the window, also as the window is resized, and the zoom field
// (which it disables) shows the fitted percentage; off, the zoom field rules. The check box is kept in
// the per-user store (section TViewPicForm, value Einpassen).
//
// A photo with a first picture (FirstPicture.h: its EXIF picture or HEIF thumbnail, a shared-folder
// entry) whose full size is known is shown at once: the first picture, stretched to the photo's size
// and converted from its own profile, while a worker thread decodes the photo; Picture and Profile
// then take its place (PictureDecoded). Until then Picture holds nothing and printing waits. A photo
// that turns out unreadable then says so and closes the viewer.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/Dib.h"

class QCheckBox;
class QPrinter;
class TThumbnailCache;
class TThumbnailMaker;
class QPushButton;
class QScrollArea;
class QStatusBar;
class TPrintForm;
class TProgressSink;
class TSettingsStore;
class TShell;
class TSpinEdit;

class TViewPicForm : public QDialog {
  Q_OBJECT

 public:
  // Shell opens files with the default application; Settings keeps the print window's values.
  TViewPicForm(TShell& Shell, TSettingsStore& Settings, QWidget* Parent = nullptr);
  ~TViewPicForm() override;

  // Opening a photo: loads FileName (format 0, progress to Owner) into Picture and shows the viewer
  // modally, freeing the picture when it closes. A file that cannot be read shows "Konnte die
  // Bilddatei nicht öffnen!" instead. True when the viewer was shown. With a first picture, the viewer
  // shows that at once and Picture comes from the worker (no progress to Owner). Turn: the photo's
  // quarter turns on top of its orientation tag (PhotoTurn.h), for the picture and the first picture.
  bool ShowPicture(const std::string& FileName, TProgressSink* Owner, int Turn = 0);
  // The shared thumbnail folder whose entries may serve as first pictures; nullptr for none.
  void SetThumbnailCache(const TThumbnailCache* Cache) { FThumbnails = Cache; }
  // True while the first picture shows and the photo is being decoded.
  bool ShowsFirstPicture() const { return FFirst.Bits != nullptr; }
  // The size of the photo shown, in pixels: Picture's, or the photo's while its first picture shows.
  QSize PictureSize() const;

  TDib Picture{};        // put here by the opener, who frees it
  TColorProfilePtr Profile;  // what Picture's numbers mean; converted to sRGB where they are shown
  std::string FileName;  // the picture's file

  QPushButton* ReadyBtn;
  QPushButton* PrintBrn;
  QPushButton* OpenBtn;
  TSpinEdit* ZoomEd;
  QCheckBox* FitCheck;
  QScrollArea* ScrollBox1;
  QWidget* PaintBox1;
  QStatusBar* StatusBar1;

  // How the viewer and the print window are shown modally (exec); tests put scripts in their place.
  std::function<int(TViewPicForm&)> ShowModal;
  std::function<int(TPrintForm&)> ShowPrintForm;
  // The printer to print on; the viewer's own unless one is set (tests print into a PDF file).
  void SetPrinter(QPrinter* Printer) { FPrinter = Printer; }
  QPrinter& Printer();

  // The zoomed size of the picture: trunc(size * zoom / 100), 0 for a zoom of 0 or less; with
  // "Einpassen", the largest size in the picture's proportion that fits the visible area.
  QSize ZoomedSize() const;

  void ZoomEdChange();
  // "Einpassen" turned on or off: kept in the store, the picture fitted or zoomed.
  void FitCheckClick();
  // The painting routine: sizes the surface to the zoomed picture, or has it painted when it fits.
  void PaintBox1Paint();
  void PrintBrnClick();
  void OpenBtnClick();
  void PaintBox1MouseDown(QPoint Position);
  void PaintBox1MouseMove(QPoint Position);
  void PaintBox1MouseUp();
  // Draws the picture onto Painter, which paints PaintBox1, within Clip.
  void PaintPicture(QPainter& Painter, const QRect& Clip);

 signals:
  // The decoded photo has taken the first picture's place.
  void PictureDecoded();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void TakeDecoded();
  void DropFirst();
  // What the decoder is asked for: the turn's digit, then the file name.
  std::string DecodeKey() const;

  TShell& FShell;
  TSettingsStore& FSettings;
  QPrinter* FPrinter = nullptr;
  std::unique_ptr<QPrinter> FOwnPrinter;
  bool FDragging = false;
  bool FHoldPainting = false;
  QPoint FPress;
  int FScrollH = 0, FScrollV = 0;
  const TThumbnailCache* FThumbnails = nullptr;
  TDib FFirst{};                              // the first picture while the photo is decoded
  TColorProfilePtr FFirstProfile;             // what FFirst's numbers mean
  QSize FFullSize;                            // the photo's turned size while its first picture shows
  int FTurn = 0;                              // the shown photo's quarter turns, 0..3
  std::unique_ptr<TThumbnailMaker> FDecoder;  // decodes photos for their first pictures' places
};
