#pragma once
// TPrintForm, the print window "Bild drucken...": how large one picture is printed on one page (the
// whole page, or a width and a height in percent of the printable area), with a preview of the page,
// the printer setup, and PrintPicture, the print job the viewer runs when the window closed with OK.
//
// The window is made for one print request and holds a copy of the viewer's picture record, which it
// never frees. Its percentages, options and window state (ShowCmd, as WindowPlacement.h counts it) are
// kept in the settings store's section "TPrintForm": read when the window shows, written and flushed
// when it closes, whichever button closed it.
//
// With no printer installed the window says so, its OK button stays disabled, and nothing is printed;
// a printer chosen in the setup dialog (also printing to a PDF file) makes it ready.

#include <QDialog>
#include <functional>

#include "imaging/color/ColorProfile.h"
#include "imaging/pictaro/Dib.h"
#include "imaging/screen/PrintLayout.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class TSettingsStore;
class TSpinEdit;

class TPrintForm : public QDialog {
  Q_OBJECT

 public:
  TPrintForm(const TDib& Picture, QPrinter& Printer, TSettingsStore& Settings, QWidget* Parent = nullptr);

  TDib Picture;           // a copy of the viewer's record; not freed here
  TColorProfilePtr Profile;  // what the picture's numbers mean (nullptr: sRGB)
  bool Coupling = false;  // set while one percentage is being derived from the other

  QLabel* RxLabel1;
  QWidget* PrintPaintBox;
  QGroupBox* GroupBox1;
  QRadioButton* UseFullCheck;
  QRadioButton* UserdefCheck;
  TSpinEdit* BreitEdit;
  TSpinEdit* HochEdit;
  QGroupBox* GroupBox2;
  QCheckBox* SverhCheck;
  QCheckBox* ZentrCheck;
  QLabel* NoPrinterLabel;
  QPushButton* OkBitBtn1;
  QPushButton* PrintSetupBtn;
  QPushButton* CancelBitBtn2;

  // The printer setup dialog; true when the user confirmed it. Tests put a script in its place.
  std::function<bool(QPrinter&)> PrinterSetupDialog1;

  // What the window's controls say now.
  TPrintChoice Choice() const;
  // True when a printer (or a PDF file) is there to print on.
  bool PrinterReady() const;

  void FormShow();
  // Redraws the preview and derives the height percentage from the width; runs for clicks on the size
  // and print options.
  void PrintPaintBoxPaint();
  void UserdefCheckClick();
  void BreitEditChange();
  void HochEditChange();
  void PrintSetupBtnClick();

  // Draws the preview page onto Painter, which paints PrintPaintBox.
  void PaintPreview(QPainter& Painter);

 protected:
  void showEvent(QShowEvent* Event) override;
  void done(int Result) override;

 private:
  void ReadSettings();
  void WriteSettings();
  // Derives one percentage from the other when the aspect ratio is kept; FromWidth: Hoch from Breit.
  void Couple(bool FromWidth);
  void ShowPrinterState();

  QPrinter& FPrinter;
  TSettingsStore& FSettings;
};

// Prints Picture on one page of Printer as Choice says, under the job title "Quirvel Bild". False, after
// a German message, when the print job could not be started.
// Profile: what the picture's numbers mean; the printer gets sRGB.
bool PrintPicture(QPrinter& Printer, const TDib& Picture, const TPrintChoice& Choice,
                  const TColorProfile* Profile = nullptr);
