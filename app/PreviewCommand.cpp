// `quirvel preview [OPTIONEN] AUSGABE.png ALBUM.qvl` or `... AUSGABE.png FOTO...`: album pages as PNG
// pictures, drawn by the window's preview (export/PagePreview.h) with the album and options of
// `quirvel export`.
//
// Every photo is read once at the smallest size to learn whether it can be read and how large it is,
// which decides the pages; then each page's photos are decoded at the size that page shows them and
// freed once the page is written, so memory stays that of one page.

#include "app/PreviewCommand.h"

#include <cerrno>
#include <cmath>
#include <iostream>
#include <cstdio>
#include <iostream>
#include <memory>
#include <ostream>

#include "app/AlbumOptions.h"
#include "app/BookOptions.h"
#include "app/SettingsOptions.h"
#include "app/Signals.h"
#include "export/AlbumExport.h"
#include "export/PageGeometry.h"
#include "export/ColorResolve.h"
#include "export/PagePreview.h"
#include "export/PageRaster.h"
#include "imaging/color/ColorReading.h"
#include "imaging/color/ColorConvert.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/PhotoReadability.h"
#include "imaging/pictaro/Pictaro.h"
#include "imaging/pictaro/PngWrite.h"
#include "platform/FreeTypeFonts.h"
#include "platform/SafeFile.h"

namespace {

// The largest side of a written picture, so that no page size asks for more memory than this.
constexpr int32_t KMaxSide = 10000;
constexpr int32_t KDefaultWidth = 1000;

struct TPreviewArgs {
  TAlbumOptions Album;
  std::vector<std::string> Positional;
  int32_t Page = 1;  // 0: all pages
  int32_t Width = KDefaultWidth;
};

int32_t WholeNumber(const std::string& Value, int32_t Min, int32_t Max, const std::string& Error) {
  double number = 0;
  if (!ParseDecimal(Value, number) || number != std::trunc(number) || number < Min || number > Max)
    throw TCommandError(Error + Quoted(Value) + ".");
  return static_cast<int32_t>(number);
}

TPreviewArgs ParseArgs(const TCommandArgs& Args) {
  TPreviewArgs parsed;
  parsed.Positional = ParseAlbumCommand(Args, "preview", parsed.Album, [&](size_t& Pos) {
    if (IsOptionNamed(Args[Pos], "--page")) {
      const std::string value = OptionValue(Args, Pos, "--page");
      parsed.Page = value == "all" ? 0
                                   : WholeNumber(value, 1, INT32_MAX,
                                                 "Fehler: --page erwartet eine Seitenzahl ab 1 oder „all“, nicht ");
      return true;
    }
    if (IsOptionNamed(Args[Pos], "--width")) {
      parsed.Width = WholeNumber(OptionValue(Args, Pos, "--width"), 1, KMaxSide,
                                 "Fehler: --width erwartet eine ganze Zahl von 1 bis " + std::to_string(KMaxSide) +
                                     " Pixeln, nicht ");
      return true;
    }
    return false;
  });
  return parsed;
}

void StopWhenInterrupted() {
  if (InterruptFlag().load()) throw TCommandError("Die Vorschau wurde abgebrochen.");
}

// Holds the photos as the preview knows them and frees their pictures.
struct TPhotos {
  std::vector<TExportPhoto> Files;
  std::vector<TPreviewPhoto> Known;
  ~TPhotos() {
    for (TPreviewPhoto& photo : Known) Free(photo);
  }
  static void Free(TPreviewPhoto& Photo) {
    if (Photo.Picture.Bits) deldib(Photo.Picture);
    Photo.Picture = TDib{};
  }
};

// Learns of every photo whether it is readable, as the export judges it, and its whole size.
void LearnPhotos(TPhotos& Photos) {
  for (const TExportPhoto& file : Photos.Files) {
    StopWhenInterrupted();
    TPreviewPhoto photo;
    photo.FileName = file.FileName;
    photo.Text = file.Text;
    photo.Turn = file.Turn;  // the pictures stay as their files are: the preview turns them
    photo.Placement = file.Placement;
    photo.FocusX = file.FocusX;
    photo.FocusY = file.FocusY;
    const TPictureHeader header = PhotoReadability(file.FileName);
    photo.State = header.Status == THeaderStatus::Ok ? TPictureState::Ready : TPictureState::Unreadable;
    photo.Width = header.Width;
    photo.Height = header.Height;
    Photos.Known.push_back(std::move(photo));
  }
}

std::string ReplacesInputMessage(const std::string& FileName, const std::string& Input) {
  return "Fehler: Die PNG-Datei " + Quoted(FileName) + " würde die Datei " + Quoted(Input) + " ersetzen, die gelesen wird.";
}

// Writes the raster as a PNG under its name only once it is complete ("-": standard output).
void WritePage(const TPageRaster& Raster, const std::string& FileName, const TInputFiles& Inputs) {
  TSafeFileOptions options;
  options.Cancel = &InterruptFlag();
  options.DashIsStandardOutput = true;
  options.Inputs = &Inputs;
  TSafeFile file(FileName, options);
  if (!file.Created()) {
    StopWhenInterrupted();
    if (file.ReplacesInput()) throw TCommandError(ReplacesInputMessage(FileName, file.InputName()));
    throw TCommandError("Fehler: Konnte die PNG-Datei " + Quoted(FileName) + " nicht erstellen. " +
                        SystemErrorText(file.Errno()));
  }
  std::FILE* stream = SafeFileStream(file);
  bool written = stream && WritePng(stream, Raster.Width(), Raster.Height(), false,
                                    [&](int Y) { return Raster.Row(Y); }, {{"Software", "Quirvel"}});
  int error = errno;
  if (stream && std::fclose(stream) != 0 && written) written = false, error = errno;
  if (written && !file.Commit()) written = false, error = file.Errno();
  if (!written) {
    StopWhenInterrupted();
    throw TCommandError("Fehler: Konnte die PNG-Datei " + Quoted(FileName) + " nicht schreiben. " +
                        SystemErrorText(error));
  }
}

void Preview(const TCommandArgs& Args, std::ostream& Out) {
  const TPreviewArgs parsed = ParseArgs(Args);
  TAlbumModel album;
  TLayoutSettings settings;
  const std::string output = LoadAlbumInput(parsed.Positional, "PNG-Datei", "quirvel preview AUSGABE.png ALBUM.qvl", album, settings);
  const bool toStandardOutput = output == "-";
  if (toStandardOutput && parsed.Page == 0)
    throw TCommandError("Fehler: --page all schreibt eine Datei je Seite; auf die Standardausgabe („-“) geht nur "
                        "eine Seite.");
  // Messages make way for the picture on standard output.
  std::ostream& out = toStandardOutput ? std::cerr : Out;
  parsed.Album.ApplyTo(Args, album, settings);
  std::cerr << BookNotDrawnNote(settings);
  if (const std::string error = PrintSettingsError(settings); !error.empty()) throw TCommandError(error);

  TPhotos photos;
  photos.Files = ExportPhotos(album);
  // No picture written may replace what is read: the album file, the photos.
  TInputFiles inputs;
  for (size_t i = 1; i < parsed.Positional.size(); ++i) inputs.Add(parsed.Positional[i]);
  for (const TExportPhoto& photo : photos.Files) inputs.Add(photo.FileName);
  LearnPhotos(photos);
  const auto metrics = std::make_shared<TFreeTypeFonts>();
  const TPreviewLayout layout(photos.Known, settings, metrics);
  const int32_t pages = layout.PageCount();
  if (parsed.Page > pages)
    throw TCommandError("Fehler: Das Album hat " + std::to_string(pages) + (pages == 1 ? " Seite" : " Seiten") +
                        "; eine Seite " + std::to_string(parsed.Page) + " gibt es nicht.");
  const int64_t height = PreviewHeightFor(layout.PageWidth(), layout.PageHeight(), parsed.Width);
  if (height > KMaxSide) {
    const int64_t widest = KMaxSide * MediaBoxSide(layout.PageWidth()) / MediaBoxSide(layout.PageHeight());
    throw TCommandError("Fehler: Bei " + std::to_string(parsed.Width) + " Pixeln Breite wäre das Bild dieser Seite " +
                        std::to_string(height) + " Pixel hoch; mehr als " + std::to_string(KMaxSide) + " gehen nicht. " +
                        (widest >= 1 ? "Höchstens --width " + std::to_string(widest) + " passt zu diesem Seitenformat."
                                     : std::string("Das Seitenformat ist zu schmal für ein Bild.")));
  }
  const double scale = double(parsed.Width) / double(MediaBoxSide(layout.PageWidth()));

  const int32_t first = parsed.Page == 0 ? 1 : parsed.Page, last = parsed.Page == 0 ? pages : parsed.Page;
  const auto pageFile = [&](int32_t Page) {
    return parsed.Page == 0 ? InsertBeforeExtension(output, "-" + std::to_string(Page)) : output;
  };
  // Every name is checked before the first page is drawn, so that a refusal leaves nothing written.
  for (int32_t page = first; page <= last && !toStandardOutput; ++page)
    if (const std::string input = inputs.Find(pageFile(page)); !input.empty())
      throw TCommandError(ReplacesInputMessage(pageFile(page), input));
  for (int32_t page = first; page <= last; ++page) {
    // This page's photos, decoded at the size it shows them.
    const std::vector<size_t> shown = layout.PhotosOnPage(page);
    const int side = std::max(layout.LargestPicture(page, scale), 1);
    for (size_t photo : shown) {
      StopWhenInterrupted();
      int fullWidth = 0, fullHeight = 0;
      TPictureColor colour = ReadingColor();
      colour.Matte = PictureMatte(settings);  // as the PDF puts transparent pixels
      LoadPictureReduced(photos.Files[photo].FileName.c_str(), -1, side, &photos.Known[photo].Picture, &fullWidth,
                         &fullHeight, &colour);
      if (photos.Known[photo].Picture.Bits) DibToScreen(photos.Known[photo].Picture, colour.Profile.get());
    }
    TPageRaster raster(layout.PageWidth(), layout.PageHeight(), parsed.Width, static_cast<int32_t>(height), metrics);
    layout.DrawPage(page, raster, photos.Known);
    for (size_t photo : shown) TPhotos::Free(photos.Known[photo]);
    const std::string name = pageFile(page);
    WritePage(raster, name, inputs);
    out << (toStandardOutput ? "PNG-Bild auf die Standardausgabe" : "PNG-Datei " + Quoted(name))
        << " geschrieben (Seite " << page << " von " << pages << ").\n";
  }
  int32_t unreadable = 0;
  for (const TPreviewPhoto& photo : photos.Known) unreadable += photo.State == TPictureState::Unreadable;
  std::cerr << UnreadablePhotosLine(unreadable);
}

}  // namespace

void AddPreviewCommand(TCommandLine& CommandLine) {
  CommandLine.Add({{"preview"},
                   "[OPTIONEN] AUSGABE.png (ALBUM.qvl | FOTO...)",
                   "zeigt Seiten eines Albums als PNG-Bilder, wie sie im PDF stehen",
                   "Zeichnet eine Seite des Albums ALBUM.qvl, wie sie in der PDF-Datei stünde, als PNG-Bild\n"
                   "AUSGABE.png: mit derselben Vorschau wie das Programmfenster, die Fotos so groß gelesen, wie\n"
                   "das Bild sie braucht. Album, Fotos und Optionen wie bei „quirvel export“. AUSGABE „-“\n"
                   "schreibt das Bild auf die Standardausgabe (die Meldungen dann auf die Standardfehlerausgabe).\n"
                   "Ein Bild ersetzt nie das Album oder eines der Fotos.\n\n"
                   "  --page N             die Seite N (Vorgabe 1); „all“: jede Seite, als AUSGABE-1.png,\n"
                   "                       AUSGABE-2.png, ...\n"
                   "  --width PIXEL        Breite des Bildes, 1 bis 10000 (Vorgabe 1000); die Höhe folgt\n"
                   "                       dem Seitenformat\n" +
                       AlbumOptionsHelp() + "\n" + BookOptionsHelp() + "\n" + SettingsOptionsHelp(),
                   Preview});
}
