#pragma once
// TViewPicForm, the picture viewer "Bild betrachten...": one photo at a chosen zoom in a scrolling
// area, moved by dragging with any mouse button, printed through the print window, handed to the
// desktop's default application.
//
// The viewer is made once at program start and reused for every photo, so the zoom and the scroll
// positions stay as the user left them. ShowPicture loads a photo, shows the viewer modally and frees
// the picture when it closes; the viewer never loads or frees Picture otherwise. Every painting
// stretches the picture anew from Picture with PaintDib, limited to the part being painted.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "imaging/Dib.h"

class QPrinter;
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
  // Bilddatei nicht öffnen!" instead. True when the viewer was shown. Turn: the photo's quarter turns
  // on top of its orientation tag (PhotoTurn.h).
  bool ShowPicture(const std::string& FileName, TProgressSink* Owner, int Turn = 0);

  TDib Picture{};        // put here by the opener, who frees it
  std::string FileName;  // the picture's file

  QPushButton* ReadyBtn;
  QPushButton* PrintBrn;
  QPushButton* OpenBtn;
  TSpinEdit* ZoomEd;
  QScrollArea* ScrollBox1;
  QWidget* PaintBox1;
  QStatusBar* StatusBar1;

  // How the viewer and the print window are shown modally (exec); tests put scripts in their place.
  std::function<int(TViewPicForm&)> ShowModal;
  std::function<int(TPrintForm&)> ShowPrintForm;
  // The printer to print on; the viewer's own unless one is set (tests print into a PDF file).
  void SetPrinter(QPrinter* Printer) { FPrinter = Printer; }
  QPrinter& Printer();

  // The zoomed size of the picture: trunc(size * zoom / 100), 0 for a zoom of 0 or less.
  QSize ZoomedSize() const;

  void ZoomEdChange();
  // The painting routine: sizes the surface to the zoomed picture, or has it painted when it fits.
  void PaintBox1Paint();
  void PrintBrnClick();
  void OpenBtnClick();
  void PaintBox1MouseDown(QPoint Position);
  void PaintBox1MouseMove(QPoint Position);
  void PaintBox1MouseUp();
  // Draws the picture onto Painter, which paints PaintBox1, within Clip.
  void PaintPicture(QPainter& Painter, const QRect& Clip);

 private:
  TShell& FShell;
  TSettingsStore& FSettings;
  QPrinter* FPrinter = nullptr;
  std::unique_ptr<QPrinter> FOwnPrinter;
  bool FDragging = false;
  bool FHoldPainting = false;
  QPoint FPress;
  int FScrollH = 0, FScrollV = 0;
};
