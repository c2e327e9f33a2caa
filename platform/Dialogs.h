#pragma once
// The window's dialogs as its handlers ask for them: choosing files (an album to open, a name to save
// it under, photos to add, a name for the PDF), a font and a colour. Message boxes are TMessageBox
// (Messages.h). The window implements TDialogs with Qt's dialogs; tests script the answers.
//
// Every dialog starts from what it is given and returns true only when the user confirmed; after a
// cancel the arguments are unchanged. User-interface thread only.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FontMetrics.h"

enum class TFileDialogKind { OpenAlbum, SaveAlbum, AddPhotos, SavePdf };

struct TFileDialog {
  TFileDialogKind Kind = TFileDialogKind::OpenAlbum;
  // "description|patterns|description|patterns|...", the patterns of one entry separated by ";".
  std::string Filter;
  // Added to a name typed without extension when saving; empty: nothing is added.
  std::string DefaultExt;
  bool Save = false;      // asks for a name to write, and before an existing file is replaced
  bool Multiple = false;  // several files may be chosen at once
};

// The main window's file dialogs.
TFileDialog AlbumOpenDialog();                   // "Quirvel Dateien (*.qvl)|*.qvl", extension "qvl"
TFileDialog AlbumSaveDialog();                   // the same, for saving
TFileDialog PhotoAddDialog(std::string Filter);  // several files, the picture library's filter
TFileDialog PdfSaveDialog();                     // "PDF-Dateien (*.pdf)|*.pdf", extension "pdf"

// One line per filter entry as a file dialog lists it: the description without a pattern list of its
// own in brackets, then the entry's patterns in brackets, separated by blanks, each pattern once
// (letter case ignored). "*.*" means every file, so it becomes "*", which also matches names without
// a dot. An entry without patterns is left out.
std::vector<std::string> FileDialogFilterLines(std::string_view Filter);

// What each kind of file dialog proposes when it opens: the file last chosen in a dialog of that kind
// (a dialog for several files proposes its folder), or, should writing there have failed since, the one
// before, and so on; never a file in a folder where writing a chosen file failed. Choosing a file in
// such a folder again vouches for the folder once more. Empty: nothing to propose.
class TFileProposals {
 public:
  void Chosen(TFileDialogKind Kind, const std::string& File);
  void Failed(const std::string& File);
  std::string Proposal(TFileDialogKind Kind) const;
  // True when writing a chosen file failed in Folder (and no file was chosen there since).
  bool FolderFailed(const std::string& Folder) const { return FFailedFolders.count(Folder) > 0; }

 private:
  static constexpr size_t KRemembered = 8;  // per kind, most recent first
  std::map<TFileDialogKind, std::vector<std::string>> FChosen;
  std::set<std::string> FFailedFolders;
};

// What the font dialog shows and returns.
struct TFontChoice {
  std::string Name;       // face name, UTF-8
  int32_t Size = 10;      // points
  TFontStyles Style = 0;  // fsBold | fsItalic | fsUnderline | fsStrikeOut
  uint32_t Color = 0;     // 0x00BBGGRR, or a system colour (0x80 in the top byte) until one is chosen
};

// What "Sortieren..." asks for: the key photos are sorted by, and whether the order is descending.
enum class TSortKey { DateTaken, FileName, FileDate };
struct TSortChoice {
  TSortKey Key = TSortKey::DateTaken;
  bool Descending = false;
};

class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // Files receives the chosen files' full paths, in the dialog's order: one, or with Dialog.Multiple
  // one or more.
  virtual bool ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) = 0;
  // File, chosen in a file dialog, could not be written: no dialog proposes its folder again.
  virtual void FileFailed(const std::string& File) { (void)File; }
  // Face, size, bold, italic, underline, strike-out and colour.
  virtual bool ChooseFont(TFontChoice& Font) = 0;
  // Any colour; Color is 0x00BBGGRR on return (a system colour starts as its current look).
  virtual bool ChooseColor(uint32_t& Color) = 0;
  // "Sortieren...": by date taken ("Aufnahmedatum"), file name or file date, ascending or descending.
  virtual bool ChooseSort(TSortChoice& Choice) = 0;
};
