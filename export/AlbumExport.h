#pragma once
// The album export: the photos, each placed as many times as the settings ask, into the page grid of
// one PDF file or of one PDF file per page, with texts, heading, page numbers, frames and background.
//
// The export reads a snapshot of the settings and of the photo list taken when it starts and touches
// no user interface: picture-loading progress goes to a TProgressSink, its own progress to a
// TExportListener, and it stops between two pictures when the cancel flag is set. It may therefore run
// off the user-interface thread, and several exports may run at once, provided the font metrics one is
// given are not used elsewhere meanwhile. Its messages go to the process-wide message box (Messages.h)
// from the exporting thread.
//
// Two cores: photos are loaded and encoded on the calling thread and on one helper thread of the
// export's (TPicturePipeline), while pages are laid out in order on the calling thread; at most two
// decoded pictures are held at any time. The output is the same as when everything runs one after the
// other. Picture-loading progress is reported for the pictures the calling thread loads.
//
// Pictures: under a resolution limit (PictureDpi) each is loaded no larger than its largest possible
// place needs and encoded at the limit of the place it gets; with KeepJpeg, JPEG files that can go
// into the PDF as they are are not decoded at all (PictureLoad.h, TPDFCanvas::PlacePicture).
//
// Pages: a new page is begun only when another picture has been loaded and is about to be placed, so
// no empty page ever follows the last picture, not even when the photos after it cannot be read. An
// album without (readable) photos gives one page with background, heading and page number.
//
// Files: every PDF is written through a TSafeFile (SafeFile.h): under a temporary name beside its
// target and renamed into place after it was ended completely, so a failed or cancelled export never
// leaves a half-written PDF under a chosen name; a pipe or device is written to directly, and "-" is
// standard output. No PDF replaces one of the photos or of Options.Inputs: the first is refused as
// CannotCreate with a message that names the file, a numbered one like a page file that cannot be
// created. In one-file-per-page mode the chosen name itself is never written; page P goes to
// NumberedFileName(FileName, P). A numbered file that cannot be created is reported on the core's
// message box (text: the file name, title "Datei konnte nicht erstellt werden", error icon) and its
// page is lost; the export goes on with the next page.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "album/AlbumModel.h"
#include "album/LayoutSettings.h"

class TFileVerdicts;
class TFontMetrics;
class TProgressSink;
class TShell;

// One photo as the export reads it.
struct TExportPhoto {
  std::string FileName;
  std::string Text;
  int Turn = 0;  // quarter turns clockwise on top of the file's orientation tag (PhotoTurn.h)
  // KPlaceFill, KPlaceBig, KPlaceFullPage (PicEntry.h) and the focus point, as TLayoutItem has them.
  uint8_t Placement = 0;
  double FocusX = 0.5, FocusY = 0.5;
};

// The photo list's file names, texts and turns, in order.
std::vector<TExportPhoto> ExportPhotos(const TAlbumModel& Album);

// The export's own progress. Called on the exporting thread.
class TExportListener {
 public:
  virtual ~TExportListener() = default;
  // Before the pictures of photo Index (from 0) of Count are placed (they may be loaded by then).
  virtual void PhotoStarting(size_t Index, size_t Count) { (void)Index, (void)Count; }
  // Page Page (from 1) is complete; in one-file-per-page mode its file has its name now.
  virtual void PageFinished(int32_t Page) { (void)Page; }
};

enum class TExportStatus {
  Ok,
  CannotCreate,  // the first file could not be created: nothing was written
  WriteFailed,   // writing failed (a full disk, ...): the file being written was removed
  Cancelled,     // the cancel flag was set: the file being written was removed
  Refused,       // the settings cannot be written (PrintSettingsError) or leave a photo no picture area
                 // (PhotoWithoutRoom, NoRoomMessage): nothing was written
};

struct TExportResult {
  TExportStatus Status = TExportStatus::Ok;
  std::string Message;                   // German; empty when Ok
  std::vector<std::string> Files;        // the files written completely, in page order
  std::vector<std::string> FailedFiles;  // numbered files that could not be created
  int32_t Pages = 0;                     // pages begun, including those whose file failed
  int32_t Pictures = 0;                  // pictures placed, each repetition counted
  int32_t Unreadable = 0;                // photos left out because their file could not be read
  // Pictures placed whose image could not be written after all (their spool was lost, the encoder
  // failed): a white area stands in their place. An export with missing pictures is still Ok, but the
  // user must be told (MissingPicturesMessage).
  int32_t Missing = 0;
  std::string ViewFile;  // the file to show: the chosen one, or page 1's numbered one
  bool Ok() const { return Status == TExportStatus::Ok; }
};

struct TExportOptions {
  TProgressSink* PictureProgress = nullptr;  // receives the picture loader's percentages
  TExportListener* Listener = nullptr;
  const std::atomic<bool>* Cancel = nullptr;  // checked before each picture
  TShell* Shell = nullptr;  // when set and ShowPDFCheck is on, opens ViewFile after a successful export
  std::shared_ptr<TFontMetrics> Metrics;  // nullptr: system fonts of this export's own
  // The date a PDF/A names as its making; 0: the moment each file is begun.
  std::time_t Created = 0;
  // Files besides the photos that no PDF may replace (the album file).
  std::vector<std::string> Inputs;
  // With JPEG pass-through, the clean-decode verdicts of files checked before (PictureLoad.h); saved
  // when the export ends. nullptr: every file is checked.
  TFileVerdicts* CleanJpegs = nullptr;
};

// With PDF/A, every font is embedded; a font whose licence forbids it ends the export as WriteFailed
// with the German message that names it, and nothing is written.
//
// Writes the album to FileName as described above. Never throws for input or output failures or for
// unreadable photos; only std::bad_alloc may come through when memory runs out before writing began.
TExportResult ExportAlbum(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
                          const std::string& FileName, const TExportOptions& Options);

// The German error text for Missing pictures that could not be written; empty for none.
std::string MissingPicturesMessage(int32_t Missing);

// Shows a failed export's message: "Konnte PDF-Datei nicht erstellen!" as an information message, a
// write failure or refused settings as an error message, and for an export that succeeded with missing pictures the
// MissingPicturesMessage as an error message; nothing for a complete success or cancelling.
void ShowExportFailure(const TExportResult& Result);
