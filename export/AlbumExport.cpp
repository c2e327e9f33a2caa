#include "export/AlbumExport.h"

#include <new>

#include "export/PageDrawing.h"
#include "export/PageLayout.h"
#include "export/PendingFile.h"
#include "imaging/LoadPicture.h"
#include "imaging/Pictaro.h"
#include "imaging/PictaroMemory.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/ZlibCompress.h"
#include "platform/FreeTypeFonts.h"
#include "platform/Messages.h"
#include "platform/SafeFile.h"
#include "platform/Shell.h"
#include "platform/SystemError.h"

namespace {

const char* const KCannotCreate = "Konnte PDF-Datei nicht erstellen!";
const char* const KPageFileTitle = "Datei konnte nicht erstellt werden";
const char* const KCancelled = "Der Export wurde abgebrochen.";

std::string Quoted(const std::string& Text) { return "„" + Text + "“"; }

// Holds one loaded picture and releases it when the placement is done, however it ends.
class TLoadedPicture {
 public:
  explicit TLoadedPicture(const std::string& FileName, TProgressSink* Progress) {
    LoadPicture(FileName.c_str(), -1, Progress, &FDib);
  }
  ~TLoadedPicture() { deldib(FDib); }
  TLoadedPicture(const TLoadedPicture&) = delete;
  TLoadedPicture& operator=(const TLoadedPicture&) = delete;
  bool Loaded() const { return FDib.Bits != nullptr; }
  const TDib& Dib() const { return FDib; }

 private:
  TDib FDib{};
};

std::vector<std::string> PhotoTexts(const std::vector<TExportPhoto>& Photos) {
  std::vector<std::string> texts;
  texts.reserve(Photos.size());
  for (const TExportPhoto& photo : Photos) texts.push_back(photo.Text);
  return texts;
}

// Thrown out of the page loop to end the export with a result.
struct TExportStop {
  TExportStatus Status;
  std::string Message;
};

// One PDF file being written: its writer and its temporary name.
struct TOpenDocument {
  std::unique_ptr<TPendingFile> File;
  std::unique_ptr<TPDFCanvas> Canvas;
};

class TExportRun {
 public:
  TExportRun(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
             const std::string& FileName, const TExportOptions& Options)
      : FPhotos(Photos),
        FSettings(LayoutSnapshot(Settings)),
        FFileName(FileName),
        FOptions(Options),
        // Font metrics keep state between calls (the selected font, cached advances): an export
        // that was given none measures with its own, so exports on several threads share nothing.
        FMetrics(Options.Metrics ? Options.Metrics : std::make_shared<TFreeTypeFonts>()),
        FEmbedding(FontsToEmbed(FSettings, PhotoTexts(Photos))),
        FMeasures(MakeLayoutMeasures(FSettings, FMetrics, FEmbedding)),
        FFlow(FSettings) {}

  TExportResult Run();

 private:
  std::string PageFileName(int32_t Page) const {
    return FSettings.SeparateCheck ? NumberedFileName(FFileName, Page) : FFileName;
  }
  bool OpenDocument(const std::string& Target);
  void FinishDocument();
  void ReportPageFileFailure(const std::string& Name);
  void StartPage();
  void BreakPage();
  void PlacePhoto(const TExportPhoto& Photo);
  std::string WriteFailure(int Errno) const;

  const std::vector<TExportPhoto>& FPhotos;
  const TLayoutSettings FSettings;
  const std::string FFileName;
  const TExportOptions& FOptions;
  std::shared_ptr<TFontMetrics> FMetrics;
  const TFontEmbedding FEmbedding;
  TLayoutMeasures FMeasures;
  TPageFlow FFlow;
  TOpenDocument FDoc;
  TExportResult FResult;
};

bool TExportRun::OpenDocument(const std::string& Target) {
  FDoc.Canvas.reset();
  FDoc.File = std::make_unique<TPendingFile>(Target);
  FDoc.Canvas = std::make_unique<TPDFCanvas>(FMetrics);
  FDoc.Canvas->PageWidth = FFlow.Grid().W;
  FDoc.Canvas->PageHeight = FFlow.Grid().H;
  // A font is embedded for all its texts or for none, so it is asked for before the first text.
  for (const auto& [embed, spec] : {std::pair{FEmbedding.Heading, &FSettings.HeadingFont},
                                    std::pair{FEmbedding.Text, &FSettings.TextFont}})
    if (embed) FDoc.Canvas->EmbedFont(spec->Name, PdfFontFor(*spec).Style);
  return FDoc.File->Created() && FDoc.Canvas->BeginDoc(FDoc.File->TempName());
}

// Ends the current document and gives it its name. A writer that never opened its file has nothing
// to end; its page was already reported as lost.
void TExportRun::FinishDocument() {
  if (!FDoc.Canvas || !FDoc.Canvas->Active()) return;
  FDoc.Canvas->EndDoc();
  if (FDoc.File->Commit()) {
    FResult.Files.push_back(FDoc.File->Target());
  } else if (FSettings.SeparateCheck) {
    // The page's name could not be taken after all: reported like a page file that could not be
    // created, and the other pages go on.
    ReportPageFileFailure(FDoc.File->Target());
  } else {
    throw TExportStop{TExportStatus::WriteFailed, WriteFailure(FDoc.File->Errno())};
  }
  FDoc.Canvas.reset();
  FDoc.File.reset();
}

void TExportRun::ReportPageFileFailure(const std::string& Name) {
  FResult.FailedFiles.push_back(Name);
  MessageBox().Show(Name, KPageFileTitle, TMsgIcon::Error, TMsgButtons::Ok);
}

void TExportRun::StartPage() {
  DrawPageStart(*FDoc.Canvas, FSettings, DecoratePage(FSettings, FFlow.Grid(), FFlow.Page(), FMeasures));
  FResult.Pages = FFlow.Page();
}

void TExportRun::BreakPage() {
  const int32_t finished = FFlow.Page();
  if (FSettings.SeparateCheck) {
    FinishDocument();
    FFlow.NextPage();
    const std::string name = PageFileName(FFlow.Page());
    if (!OpenDocument(name)) ReportPageFileFailure(name);
  } else {
    FDoc.Canvas->NewPage();
    FFlow.NextPage();
  }
  if (FOptions.Listener) FOptions.Listener->PageFinished(finished);
  StartPage();
}

void TExportRun::PlacePhoto(const TExportPhoto& Photo) {
  for (int32_t copy = 0; copy < FSettings.XMalEd; ++copy) {
    if (FOptions.Cancel && FOptions.Cancel->load()) throw TExportStop{TExportStatus::Cancelled, KCancelled};
    // Each copy is loaded anew so that only one decoded picture is ever held.
    TLoadedPicture picture(Photo.FileName, FOptions.PictureProgress);
    if (!picture.Loaded()) {
      ++FResult.Unreadable;
      return;  // the remaining copies would fail alike and use no cell either
    }
    if (FFlow.PageFull()) BreakPage();
    const TPicturePlacement placement =
        PlacePicture(FSettings, FFlow.Grid(), FFlow.Col(), FFlow.Row(), DibWidth(picture.Dib()),
                     DibHeight(picture.Dib()), Photo.Text, FMeasures);
    DrawPicturePlacement(*FDoc.Canvas, FSettings, placement, picture.Dib());
    ++FResult.Pictures;
    FFlow.Advance();
  }
}

std::string TExportRun::WriteFailure(int Errno) const {
  const std::string target = FDoc.File ? FDoc.File->Target() : FFileName;
  return "Fehler: Konnte die PDF-Datei " + Quoted(target) + " nicht schreiben. " + SystemErrorText(Errno);
}

TExportResult TExportRun::Run() {
  FResult.ViewFile = PageFileName(1);
  if (!OpenDocument(FResult.ViewFile)) {
    FResult.Status = TExportStatus::CannotCreate;
    FResult.Message = KCannotCreate;
    return FResult;
  }
  try {
    StartPage();
    for (size_t i = 0; i < FPhotos.size(); ++i) {
      if (FOptions.Listener) FOptions.Listener->PhotoStarting(i, FPhotos.size());
      PlacePhoto(FPhotos[i]);
    }
    FinishDocument();
    if (FOptions.Listener) FOptions.Listener->PageFinished(FFlow.Page());
  } catch (const TExportStop& stop) {
    FResult.Status = stop.Status;
    FResult.Message = stop.Message;
  } catch (const TSystemError& e) {
    FResult.Status = TExportStatus::WriteFailed;
    FResult.Message = WriteFailure(e.ErrorCode());
  } catch (const std::bad_alloc&) {
    FResult.Status = TExportStatus::WriteFailed;
    FResult.Message = "Fehler: Nicht genug Arbeitsspeicher für die PDF-Datei " +
                      Quoted(FDoc.File ? FDoc.File->Target() : FFileName) + ".";
  } catch (const std::exception& e) {
    FResult.Status = TExportStatus::WriteFailed;
    FResult.Message = "Fehler: Konnte die PDF-Datei " + Quoted(FDoc.File ? FDoc.File->Target() : FFileName) +
                      " nicht schreiben (" + e.what() + ").";
  }
  // A document still open here failed or was cancelled: the writer is dropped first so that its file
  // is closed, then the temporary file is removed.
  FDoc.Canvas.reset();
  FDoc.File.reset();
  return FResult;
}

}  // namespace

std::vector<TExportPhoto> ExportPhotos(const TAlbumModel& Album) {
  std::vector<TExportPhoto> photos;
  photos.reserve(Album.Pics.Count);
  for (uint32_t i = 0; i < Album.Pics.Count; ++i) {
    const TPicEntry& entry = Album.Pics[static_cast<int32_t>(i)];
    photos.push_back({std::string(EntryFileName(entry)), std::string(EntryText(entry))});
  }
  return photos;
}

TExportResult ExportAlbum(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
                          const std::string& FileName, const TExportOptions& Options) {
  TExportResult result = TExportRun(Photos, Settings, FileName, Options).Run();
  // The picture library kept the last photo's block for the next one; the run of photos is over.
  ReleaseSparePictureMemory();
  if (result.Ok() && Options.Shell && Settings.ShowPDFCheck) Options.Shell->OpenFile(result.ViewFile);
  return result;
}

void ShowExportFailure(const TExportResult& Result) {
  if (Result.Status == TExportStatus::CannotCreate)
    ShowInfo(Result.Message);
  else if (Result.Status == TExportStatus::WriteFailed)
    ShowError(Result.Message);
}
