#pragma once
// TMainForm: the main window. It holds the album (photo list and current photo) and the layout settings,
// which live in its controls (MainForm.ui); each handler reads its controls, calls the core and shows the
// result. Dialogs, the per-user settings store and the desktop shell come in through their platform
// interfaces, so tests drive the real window with scripted dialogs; message boxes go to the core's
// process-wide TMessageBox.
//
// The page "Fotos" shows the album in a TThumbnailGrid, which moves CurPic itself and tells the window
// the current photo's text (for the text box), the status line, the file name and when to open the
// viewer. Every change of the album goes through TPhotoArranging (PhotoArranging.h), which keeps the
// undo history and marks the title while the album differs from its file. The viewer TViewPicForm is made
// once with the window, so its zoom stays between openings; its print window keeps its values in the same
// per-user store.
//
// Start order: the controls show the first-start settings; at the first showing the per-user store is
// read (frame, colours, fonts, "show the PDF", window position), then the album named on the command
// line is opened, whose settings win. Closing asks first and then writes the per-user store.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"
#include "export/AlbumExport.h"
#include "platform/ProgressSink.h"

namespace Ui {
class TMainForm;
}
class QLabel;
class TDialogs;
class TPagePreview;
class TPhotoArranging;
class TProgressPanel;
class TSettingsStore;
class TShell;
class TSpinEdit;
class TThumbnailCache;
class TThumbnailGrid;
class TViewPicForm;
struct TWindowPlacement;

class TMainForm : public QMainWindow, public TProgressSink {
  Q_OBJECT

 public:
  // Thumbnails: the shared thumbnail folder the grid keeps its thumbnails in, or nullptr for none; it
  // must outlive the window.
  TMainForm(TDialogs& Dialogs, TSettingsStore& Store, TShell& Shell,
            const TThumbnailCache* Thumbnails = nullptr, QWidget* Parent = nullptr);
  ~TMainForm() override;

  TAlbumModel& Album() { return FAlbum; }
  // The layout settings as the controls hold them now (unreadable number fields count as their
  // minimum), and putting settings into the controls.
  TLayoutSettings Settings() const;
  void SetSettings(const TLayoutSettings& Settings);

  // The album to open at the first showing (the first command-line argument); empty: none.
  void SetCommandLineAlbum(std::string FileName) { FCommandLineAlbum = std::move(FileName); }

  // Loads the album file FileName (photo list, fonts, settings); on failure shows the German message
  // with the error icon and keeps the album. Repaints nothing: its callers do.
  void OpenFileNow(const std::string& FileName);

  // Progress of picture loading and exports in the status bar's second panel, painted at once. May be
  // called from any thread: a report from another thread is shown by the user-interface thread.
  void Progress(int Percent) override;
  void SetProStatus(int Percent);
  TProgressPanel* ProgressPanel() const { return FProgressPanel; }
  // The status bar's first panel (250 pixels): which photo is current.
  QLabel* StatusText() const { return FStatusText; }
  TThumbnailGrid* Grid() const { return FGrid; }
  TPhotoArranging* Arranging() const { return FArranging; }
  // The page preview beside the settings; it moves to the settings page shown.
  TPagePreview* Preview() const { return FPreview; }
  TViewPicForm* Viewer() const { return FViewer; }

  // Runs the export of SavePDFBtnClick and returns its result: RunExport (ExportRunner.h) behind the
  // progress dialog. Tests may put another run in its place.
  std::function<TExportResult(std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings,
                              const std::string& FileName)>
      ExportRun;

 public slots:
  void NewBtnClick();
  void OpenBtnClick();
  void SaveAsBtnClick();
  void EndeBtnClick();
  void NewFotoBtnClick();
  void DelFotoBtnClick();
  void NachVornBtnClick();
  void NachHintenBtnClick();
  void Memo1Change();
  void SearchBtnClick();
  void ListView2DblClick();
  void ListView2KeyDown(int Key);
  void FontBtnClick();
  void SetFont2BtnClick();
  void Shape1MouseDown();
  void Shape2MouseDown();
  void SavePDFBtnClick();

 protected:
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  // The wheel over the window, where no control takes it: FormMouseWheelDown / FormMouseWheelUp.
  void wheelEvent(QWheelEvent* Event) override;

 private:
  friend class TPhotoArranging;
  void FormShow();
  // Asks "Programm beenden"; true when the window may close.
  bool FormCloseQuery();
  void EscapeKeyDown();

  // The text box: emptied, or showing the current photo's text (through the grid's adibchanged), or a
  // given photo text; none of these runs Memo1Change.
  void ClearMemo();
  void ShowCurrentText();
  void SetMemoText(std::string_view PhotoText);
  // The grid anew after a change of the photo list or of CurPic: size, cells, the status line and the
  // file-name label.
  void RepaintGrid();
  // After a move of CurPic: the text box, the current cell scrolled into view, the grid repainted.
  void ShowMovedPhoto();
  void ShowFontsAndColors();
  // Makes the page preview part of the settings page now shown, on its free side; turned to the
  // current photo's page when the user comes from another page.
  void PlacePreview();
  // A control that changes the PDF changed: the preview draws anew, the print check runs again.
  void PdfSettingsChanged();
  // Selects the "Bildauflösung" entry of Dpi (KPictureDpiOriginal or dots per inch).
  void ShowPictureDpi(int32_t Dpi);
  void OpenPDFFileInDefaultApplication(const std::string& FileName);

  void ReadFormStorage();
  void WriteFormStorage();
  void ApplyPlacement(const TWindowPlacement& Placement);
  TWindowPlacement CurrentPlacement() const;

  std::unique_ptr<Ui::TMainForm> FUi;
  TDialogs& FDialogs;
  TSettingsStore& FStore;
  TShell& FShell;
  TAlbumModel FAlbum;
  // What the settings controls cannot hold themselves: the two fonts and the two colours.
  TLayoutSettings FHeld = FirstStartSettings();
  std::string FCommandLineAlbum;
  bool FShown = false;
  bool FStorageWritten = false;
  QLabel* FStatusText = nullptr;
  TProgressPanel* FProgressPanel = nullptr;
  TThumbnailGrid* FGrid = nullptr;
  TViewPicForm* FViewer = nullptr;
  TPhotoArranging* FArranging = nullptr;
  bool FShowingSettings = false;  // while SetSettings fills the controls
  TPagePreview* FPreview = nullptr;
  QWidget* FPreviewHosts[3] = {};  // where the preview goes on "Einstellungen", "Mehr ...", "PDF-..."
  bool FPreviewPlaced = false;     // on a settings page since the user came to them
};
