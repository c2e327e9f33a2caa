#include "export/AlbumExport.h"

#include <cerrno>
#include <filesystem>
#include <new>

#include "album/DateTaken.h"
#include "album/SectionMarks.h"
#include "export/AutoPages.h"
#include "export/ColorResolve.h"
#include "export/PageDrawing.h"
#include "export/PageLayout.h"
#include "export/PicturePipeline.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/PhotoReadability.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/ZlibCompress.h"
#include "platform/FileVerdicts.h"
#include "platform/FreeTypeFonts.h"
#include "platform/Messages.h"
#include "platform/SafeFile.h"
#include "platform/Shell.h"
#include "platform/SystemError.h"
#include "platform/TempFolder.h"

namespace {

const char* const KCannotCreate = "Konnte PDF-Datei nicht erstellen!";
const char* const KPageFileTitle = "Datei konnte nicht erstellt werden";
const char* const KCancelled = "Der Export wurde abgebrochen.";

std::string Quoted(const std::string& Text) { return "„" + Text + "“"; }

std::vector<std::string> PhotoTexts(const std::vector<TExportPhoto>& Photos) {
  std::vector<std::string> texts;
  texts.reserve(Photos.size());
  for (const TExportPhoto& photo : Photos) texts.push_back(photo.Text);
  return texts;
}

// The album's sections as the photos' file names give them; untitled ones named after their first
// photo's date.
std::vector<TSectionStart> ExportSections(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings) {
  if (Settings.Book.Marks.empty()) return {};
  std::vector<std::string> files;
  files.reserve(Photos.size());
  for (const TExportPhoto& photo : Photos) files.push_back(photo.FileName);
  return ResolveSections(files, Settings.Book.Marks,
                         [&Photos](uint32_t Place) { return DateTakenOf(Photos[Place].FileName); });
}

// The settings the fonts to embed are chosen by: every heading text counts, section titles too.
TLayoutSettings HeadingTexts(const TLayoutSettings& Settings, const std::vector<TSectionStart>& Sections) {
  std::vector<std::string> titles;
  for (const TSectionStart& section : Sections) titles.push_back(section.Title);
  return WithSectionTitles(Settings, titles);
}

// Thrown out of the page loop to end the export with a result.
struct TExportStop {
  TExportStatus Status;
  std::string Message;
};

// One PDF file being written: its writer and its file.
struct TOpenDocument {
  std::unique_ptr<TSafeFile> File;
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
        FSections(ExportSections(Photos, FSettings)),
        // Font metrics keep state between calls (the selected font, cached advances): an export
        // that was given none measures with its own, so exports on several threads share nothing.
        FMetrics(Options.Metrics ? Options.Metrics : std::make_shared<TFreeTypeFonts>()),
        FEmbedding(FontsToEmbed(HeadingTexts(FSettings, FSections), PhotoTexts(Photos))),
        FMeasures(MakeLayoutMeasures(FSettings, FMetrics, FEmbedding)),
        FFlow(FSettings) {
    for (const TExportPhoto& photo : Photos) FInputs.Add(photo.FileName);
    for (const std::string& input : Options.Inputs) FInputs.Add(input);
    FSectionAt.assign(Photos.size(), -1);
    for (size_t s = 0; s < FSections.size(); ++s) FSectionAt[FSections[s].First] = static_cast<int32_t>(s);
  }

  TExportResult Run();

 private:
  bool Cancelled() const { return FOptions.Cancel && FOptions.Cancel->load(); }
  std::string PageFileName(int32_t Page) const {
    return FSettings.SeparateCheck ? NumberedFileName(FFileName, Page) : FFileName;
  }
  bool OpenDocument(const std::string& Target);
  void FinishDocument();
  void ReportPageFileFailure(const std::string& Name);
  // Draws the current page's background, heading and number; Section: the section it begins, or -1.
  void StartPage(int32_t Section = -1);
  void BreakPage(int32_t Section = -1);
  TPictureLoadPlan LoadPlan() const;
  void LayOutAutomatically();
  bool AutoPlacement(size_t Photo, const TPicturePlacement*& Placement);
  void PlacePictures();
  void AnnouncePhotos(size_t UpTo);
  // The message for a failed write; FailedFile names the file that failed when it is not the PDF.
  std::string WriteFailure(int Errno, const std::string& FailedFile = {}) const;
  // The message for a PDF that could not be created.
  std::string CreateFailure() const;

  const std::vector<TExportPhoto>& FPhotos;
  const TLayoutSettings FSettings;
  const std::string FFileName;
  const TExportOptions& FOptions;
  const std::vector<TSectionStart> FSections;
  std::vector<int32_t> FSectionAt;  // per photo: the section it begins, or -1
  TPdfNavigation FNavigation;       // the sections' bookmarks, for the single file
  bool FPageStarted = false;        // page 1 is drawn once its first picture (or none) is known
  std::shared_ptr<TFontMetrics> FMetrics;
  const TFontEmbedding FEmbedding;
  TLayoutMeasures FMeasures;
  TPageFlow FFlow;
  TInputFiles FInputs;  // no PDF may replace one of these
  // The automatic layout's pages, made from the photos' headers before the first picture is loaded;
  // for each of its items the photo it shows and its page and place. The next item to draw.
  std::vector<TPageLayout> FAutoPages;
  std::vector<size_t> FItemPhoto;
  std::vector<std::pair<size_t, size_t>> FItemPlace;
  size_t FNextItem = 0;
  TOpenDocument FDoc;
  std::unique_ptr<TPicturePipeline> FPipeline;  // encodes into FDoc's writer, so it goes first
  size_t FAnnounced = 0;                        // photos reported to the listener so far
  TExportResult FResult;
};

bool TExportRun::OpenDocument(const std::string& Target) {
  FDoc.Canvas.reset();
  TSafeFileOptions file;
  file.Cancel = FOptions.Cancel;
  file.DashIsStandardOutput = true;
  file.Inputs = &FInputs;
  FDoc.File = std::make_unique<TSafeFile>(Target, file);
  FDoc.Canvas = std::make_unique<TPDFCanvas>(FMetrics);
  FDoc.Canvas->PageWidth = FFlow.Grid().WriterW();
  FDoc.Canvas->PageHeight = FFlow.Grid().WriterH();
  FDoc.Canvas->Bleed = FFlow.Grid().B;
  FDoc.Canvas->TrimWidth = FFlow.Grid().TrimW;
  FDoc.Canvas->TrimHeight = FFlow.Grid().TrimH;
  FDoc.Canvas->PdfA = FSettings.PdfA;
  FDoc.Canvas->Title = FSettings.CapED;
  FDoc.Canvas->Created = FOptions.Created;
  FDoc.Canvas->ImageDpi = FSettings.PictureDpi;
  FDoc.Canvas->KeepJpeg = FSettings.KeepJpeg;
  FDoc.Canvas->Cancel = FOptions.Cancel;
  // A font is embedded for all its texts or for none, so it is asked for before the first text.
  EmbedLayoutFonts(*FDoc.Canvas, FSettings, FEmbedding);
  return FDoc.File->Created() && FDoc.Canvas->BeginDoc(*FDoc.File);
}

// Ends the current document and gives it its name. A writer that never opened its file has nothing
// to end; its page was already reported as lost. Ending a document full of pictures takes a while: a
// cancel is heeded while the pictures are encoded, while they are copied into the file, and up to
// the moment the file takes its name.
void TExportRun::FinishDocument() {
  if (FPipeline) FPipeline->Flush();  // every picture placed in the document is encoded
  if (Cancelled()) throw TExportStop{TExportStatus::Cancelled, KCancelled};
  if (!FDoc.Canvas || !FDoc.Canvas->Active()) return;
  if (!FSettings.SeparateCheck) FDoc.Canvas->Navigation = FNavigation;
  if (!FDoc.Canvas->EndDoc()) throw TExportStop{TExportStatus::Cancelled, KCancelled};
  FResult.Missing += FDoc.Canvas->MissingPictures();
  if (FDoc.File->Commit()) {
    FResult.Files.push_back(FDoc.File->Target());
  } else if (Cancelled()) {
    throw TExportStop{TExportStatus::Cancelled, KCancelled};
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

void TExportRun::StartPage(int32_t Section) {
  FPageStarted = true;
  FResult.Pages = FFlow.Page();
  if (Section < 0) {
    DrawPageStart(*FDoc.Canvas, FSettings, DecoratePage(FSettings, FFlow.Grid(), FFlow.Page(), FMeasures));
    return;
  }
  // The section's page has its title as heading, and a bookmark.
  const TSectionStart& section = FSections[static_cast<size_t>(Section)];
  const TLayoutSettings settings = SectionSettings(FSettings, section.Title, FMeasures);
  DrawPageStart(*FDoc.Canvas, settings, DecoratePage(settings, FFlow.Grid(), FFlow.Page(), FMeasures));
  FNavigation.Outline.push_back({section.Title, FFlow.Page() - 1});
  FNavigation.ShowOutline = true;
}

void TExportRun::BreakPage(int32_t Section) {
  const int32_t finished = FFlow.Page();
  if (FSettings.SeparateCheck) {
    FinishDocument();
    FFlow.NextPage(Section >= 0);
    const std::string name = PageFileName(FFlow.Page());
    if (!OpenDocument(name)) ReportPageFileFailure(name);
  } else {
    FDoc.Canvas->NewPage();
    FFlow.NextPage(Section >= 0);
  }
  if (FOptions.Listener) FOptions.Listener->PageFinished(finished);
  StartPage(Section);
}

void TExportRun::AnnouncePhotos(size_t UpTo) {
  for (; FAnnounced < UpTo; ++FAnnounced)
    if (FOptions.Listener) FOptions.Listener->PhotoStarting(FAnnounced, FPhotos.size());
}

// How the pictures are loaded: whole, or under a resolution limit no larger than any cell can show
// them, or as JPEG files that need not be decoded.
TPictureLoadPlan TExportRun::LoadPlan() const {
  TPictureLoadPlan plan;
  plan.Dpi = FSettings.PictureDpi;
  plan.KeepJpeg = FSettings.KeepJpeg;
  plan.CleanJpegs = FOptions.CleanJpegs;
  if (FSettings.PdfA == TPdfA::A1b) plan.MaxProfileVersion = 2;
  for (const TExportPhoto& photo : FPhotos) plan.Turns.push_back(photo.Turn);
  plan.Matte = PictureMatte(FSettings);  // transparent pixels show the page's background
  if (plan.Dpi > 0 && FSettings.PageLayout == TPageLayoutKind::Auto) {
    // Each photo's sizes over all its copies.
    auto ranges = std::make_shared<std::vector<TPlacementRange>>(FPhotos.size());
    const std::vector<TPlacementRange> items = ItemPlacementRanges(FAutoPages, FItemPhoto.size());
    for (size_t k = 0; k < items.size(); ++k) {
      TPlacementRange& r = (*ranges)[FItemPhoto[k]];
      if (!items[k].Largest.Drawn) continue;
      if (!r.Largest.Drawn) {
        r = items[k];
        continue;
      }
      r.Smallest = {true, std::min(r.Smallest.Width, items[k].Smallest.Width),
                    std::min(r.Smallest.Height, items[k].Smallest.Height)};
      r.Largest = {true, std::max(r.Largest.Width, items[k].Largest.Width),
                   std::max(r.Largest.Height, items[k].Largest.Height)};
    }
    plan.Range = [ranges](size_t Photo, int32_t, int32_t) {
      return Photo < ranges->size() ? (*ranges)[Photo] : TPlacementRange{};
    };
  } else if (plan.Dpi > 0) {
    auto bounds = std::make_shared<const TPlacementBounds>(FSettings, PhotoTexts(FPhotos), FMeasures);
    plan.Range = [bounds](size_t Photo, int32_t IW, int32_t IH) { return bounds->Range(Photo, IW, IH); };
  }
  return plan;
}

// The automatic layout needs every photo's shape before the first page: the headers give them, with
// the user's turn on top. A photo whose header cannot be read takes no place, as it would take no cell.
void TExportRun::LayOutAutomatically() {
  std::vector<TLayoutItem> items;
  for (size_t i = 0; i < FPhotos.size(); ++i) {
    if (Cancelled()) throw TExportStop{TExportStatus::Cancelled, KCancelled};
    const char* name = FPhotos[i].FileName.c_str();
    // Readable as the photo's loading will find it, so that no photo gets a place it then leaves empty.
    const TPictureHeader header = PhotoReadability(name);
    if (header.Status != THeaderStatus::Ok) continue;
    const bool swap = TurnSwapsSides(FPhotos[i].Turn);
    for (int32_t copy = 0; copy < FSettings.XMalEd; ++copy) {
      items.push_back({swap ? header.Height : header.Width, swap ? header.Width : header.Height, FPhotos[i].Text});
      SetItemPlacement(items.back(), FPhotos[i].Placement, FPhotos[i].FocusX, FPhotos[i].FocusY);
      FItemPhoto.push_back(i);
    }
  }
  FAutoPages = LayoutPages(FSettings, items, FMeasures);
  FItemPlace.resize(items.size());
  for (size_t page = 0; page < FAutoPages.size(); ++page)
    for (size_t k = 0; k < FAutoPages[page].Items.size(); ++k) FItemPlace[FAutoPages[page].Items[k]] = {page, k};
}

// The place of the next load of Photo in the automatic layout, on its page (begun here). False when
// the photo has no place (its header could not be read, but the photo could).
bool TExportRun::AutoPlacement(size_t Photo, const TPicturePlacement*& Placement) {
  while (FNextItem < FItemPhoto.size() && FItemPhoto[FNextItem] < Photo) ++FNextItem;
  if (FNextItem >= FItemPhoto.size() || FItemPhoto[FNextItem] != Photo) return false;
  const auto [page, k] = FItemPlace[FNextItem++];
  while (static_cast<size_t>(FFlow.Page()) < page + 1) BreakPage();
  Placement = &FAutoPages[page].Pictures[k];
  return true;
}

// Every photo loaded as many times as the settings say, in order, each load placed in the next cell.
// The pipeline loads and encodes on two threads; what is placed where is decided here, in order.
void TExportRun::PlacePictures() {
  std::vector<std::string> files;
  files.reserve(FPhotos.size());
  for (const TExportPhoto& photo : FPhotos) files.push_back(photo.FileName);
  FPipeline = std::make_unique<TPicturePipeline>(std::move(files), FSettings.XMalEd, LoadPlan(),
                                                 FOptions.PictureProgress, FOptions.Cancel);
  size_t photo = 0;
  int32_t copy = 0;
  const TPictureSource* picture = nullptr;
  // A section whose first photo cannot be read begins with the next picture placed.
  int32_t section = -1;
  for (;;) {
    if (Cancelled()) throw TExportStop{TExportStatus::Cancelled, KCancelled};
    if (!FPipeline->Next(photo, copy, picture)) break;
    AnnouncePhotos(photo + 1);
    if (Cancelled()) throw TExportStop{TExportStatus::Cancelled, KCancelled};
    if (copy == 0 && FSectionAt[photo] >= 0) section = FSectionAt[photo];
    if (!picture->Loaded()) {
      ++FResult.Unreadable;
      FPipeline->Drop();
      FPipeline->SkipPhoto(photo);  // the remaining loads would fail alike and use no cell either
      continue;
    }
    TPicturePlacement gridPlacement;
    const TPicturePlacement* placement = &gridPlacement;
    if (FSettings.PageLayout == TPageLayoutKind::Auto) {
      if (!AutoPlacement(photo, placement)) {
        FPipeline->Drop();
        continue;
      }
    } else {
      if (!FPageStarted) {
        if (section >= 0) FFlow.MakeSectionStart();
        StartPage(section);
      } else if (section >= 0 || FFlow.PageFull()) {
        BreakPage(section);
      }
      section = -1;
      gridPlacement = PlacePicture(FSettings, FFlow.Grid(), FFlow.Col(), FFlow.Row(), picture->Width,
                                   picture->Height, FPhotos[photo].Text, FMeasures);
      if (FPhotos[photo].Placement & KPlaceFill)
        FillCell(gridPlacement, FFlow.Grid(), picture->Width, picture->Height, FPhotos[photo].FocusX,
                 FPhotos[photo].FocusY);
    }
    // A picture too flat or too narrow for the area left to it: it would vanish from the page.
    if (!placement->DrawPicture)
      throw TExportStop{TExportStatus::Refused,
                        "Fehler: " + NoRoomMessage(photo + 1, FPhotos[photo].FileName, FFlow.Page())};
    const TPlacedImage placed = DrawPicturePlacement(*FDoc.Canvas, FSettings, *placement, *picture);
    if (placed.Placed())
      FPipeline->Encode(*FDoc.Canvas, placed);
    else
      FPipeline->Drop();
    ++FResult.Pictures;
    FFlow.Advance();
  }
  AnnouncePhotos(FPhotos.size());
}

std::string TExportRun::WriteFailure(int Errno, const std::string& FailedFile) const {
  const std::string target = FDoc.File ? FDoc.File->Target() : FFileName;
  // The pictures wait in the private temporary folder, which may lie on another, fuller disk.
  const std::string where = IsTempFolderPath(FailedFile)
                                ? ", denn der temporäre Ordner " +
                                      Quoted(std::filesystem::path(FailedFile).parent_path().string()) +
                                      " ließ sich nicht beschreiben"
                                : "";
  return "Fehler: Konnte die PDF-Datei " + Quoted(target) + " nicht schreiben" + where + ". " +
         SystemErrorText(Errno);
}

std::string TExportRun::CreateFailure() const {
  if (FDoc.File && FDoc.File->ReplacesInput())
    return "Fehler: Die PDF-Datei " + Quoted(FDoc.File->Target()) + " würde die Datei " + Quoted(FDoc.File->InputName()) +
           " ersetzen, die gelesen wird.";
  // The reasons the user can mend by choosing another name are said; the rest keeps the short message.
  const int error = FDoc.File ? FDoc.File->Errno() : 0;
  if (error == ENAMETOOLONG || error == EISDIR || error == ENXIO)
    return std::string(KCannotCreate) + " " + Quoted(FDoc.File->Target()) + ": " + SystemErrorText(error);
  return KCannotCreate;
}

TExportResult TExportRun::Run() {
  FResult.ViewFile = PageFileName(1);
  // Photos whose grid cells leave no room for a picture would vanish: nothing is written. (The
  // automatic layout's places are known only once it has laid the album out; a place without room is
  // refused as it comes.)
  if (const size_t photo = FSettings.PageLayout == TPageLayoutKind::Auto
                               ? FPhotos.size()
                               : PhotoWithoutRoom(FSettings, PhotoTexts(FPhotos), FMeasures);
      photo < FPhotos.size()) {
    FResult.Status = TExportStatus::Refused;
    FResult.Message = "Fehler: " + NoRoomMessage(photo + 1, FPhotos[photo].FileName, 0);
    return FResult;
  }
  if (!OpenDocument(FResult.ViewFile)) {
    // A pipe that nobody read from was waited for until the cancel came.
    const bool cancelled = Cancelled() && FDoc.File && FDoc.File->Errno() == ECANCELED;
    FResult.Status = cancelled ? TExportStatus::Cancelled : TExportStatus::CannotCreate;
    FResult.Message = cancelled ? KCancelled : CreateFailure();
    FDoc.Canvas.reset();
    FDoc.File.reset();
    return FResult;
  }
  try {
    if (FSettings.PageLayout == TPageLayoutKind::Auto) {
      LayOutAutomatically();
      StartPage();
    }
    PlacePictures();
    if (!FPageStarted) StartPage();
    FinishDocument();
    if (FOptions.Listener) FOptions.Listener->PageFinished(FFlow.Page());
  } catch (const TExportStop& stop) {
    FResult.Status = stop.Status;
    FResult.Message = stop.Message;
  } catch (const TPdfArchiveError& e) {
    FResult.Status = TExportStatus::WriteFailed;
    FResult.Message = e.what();
  } catch (const TSystemError& e) {
    // A write that waited for a pipe's reader was ended by the cancel.
    const bool cancelled = Cancelled() && e.ErrorCode() == ECANCELED;
    FResult.Status = cancelled ? TExportStatus::Cancelled : TExportStatus::WriteFailed;
    FResult.Message = cancelled ? KCancelled : WriteFailure(e.ErrorCode(), e.FileName());
  } catch (const std::bad_alloc&) {
    FResult.Status = TExportStatus::WriteFailed;
    FResult.Message = "Fehler: Nicht genug Arbeitsspeicher für die PDF-Datei " +
                      Quoted(FDoc.File ? FDoc.File->Target() : FFileName) + ".";
  } catch (const std::exception& e) {
    FResult.Status = TExportStatus::WriteFailed;
    FResult.Message = "Fehler: Konnte die PDF-Datei " + Quoted(FDoc.File ? FDoc.File->Target() : FFileName) +
                      " nicht schreiben (" + e.what() + ").";
  }
  // A document still open here failed or was cancelled: it is abandoned, not ended, since ending it
  // would write every picture placed so far only to throw the file away. The pipeline goes first (it
  // may be encoding into the writer), then the writer, so that its file is closed, then the temporary
  // file is removed.
  FPipeline.reset();
  if (FDoc.Canvas) FDoc.Canvas->Abandon();
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
    photos.push_back({std::string(EntryFileName(entry)), std::string(EntryText(entry)), entry.Turn});
    photos.back().Placement = entry.Placement;
    photos.back().FocusX = EntryFocusX(entry);
    photos.back().FocusY = EntryFocusY(entry);
  }
  return photos;
}

TExportResult ExportAlbum(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
                          const std::string& FileName, const TExportOptions& Options) {
  if (std::string error = PrintSettingsError(Settings); !error.empty()) {
    TExportResult refused;
    refused.Status = TExportStatus::Refused;
    refused.Message = std::move(error);
    return refused;
  }
  TExportResult result = TExportRun(Photos, Settings, FileName, Options).Run();
  // A cache that cannot be written is no cache; the export stands as it is.
  if (Settings.KeepJpeg && Options.CleanJpegs) Options.CleanJpegs->Save();
  // The picture library kept the last photo's block for the next one; the run of photos is over.
  ReleaseSparePictureMemory();
  if (result.Ok() && Options.Shell && Settings.ShowPDFCheck) Options.Shell->OpenFile(result.ViewFile);
  return result;
}

std::string MissingPicturesMessage(int32_t Missing) {
  if (Missing <= 0) return {};
  if (Missing == 1)
    return "Fehler: 1 Bild konnte nicht in die PDF-Datei geschrieben werden; an seiner Stelle ist die Fläche "
           "weiß.";
  return "Fehler: " + std::to_string(Missing) +
         " Bilder konnten nicht in die PDF-Datei geschrieben werden; an ihrer Stelle ist die Fläche weiß.";
}

void ShowExportFailure(const TExportResult& Result) {
  if (Result.Status == TExportStatus::CannotCreate)
    ShowInfo(Result.Message);
  else if (Result.Status == TExportStatus::WriteFailed || Result.Status == TExportStatus::Refused)
    ShowError(Result.Message);
  else if (Result.Ok() && Result.Missing > 0)
    ShowError(MissingPicturesMessage(Result.Missing));
}
