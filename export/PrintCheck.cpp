#include "export/PrintCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "album/PicEntry.h"
#include "export/PageDrawing.h"
#include "export/PageLayout.h"
#include "imaging/pictaro/LoadPicture.h"
#include "imaging/pictaro/PhotoReadability.h"
#include "imaging/pictaro/PhotoTurn.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/PictureEncoding.h"
#include "platform/FontFace.h"
#include "platform/FreeTypeFonts.h"
#include "platform/TextShaper.h"

namespace {

// Millimetres per point, the inverse of MmToPoints.
constexpr double KMmPerPoint = 25.39995 / 72;

std::string Quoted(const std::string& Text) { return "„" + Text + "“"; }

std::string Plural(size_t Count, const char* One, const char* Many) {
  return std::to_string(Count) + " " + (Count == 1 ? One : Many);
}

// "Foto 3 (strand.jpg)", with ", Seite 2" when the page is known.
std::string PhotoLabel(size_t Number, const std::string& FileName, int32_t Page = 0) {
  std::string label = "Foto " + std::to_string(Number) + " (" +
                      std::filesystem::path(FileName).filename().string() + ")";
  if (Page > 0) label += ", Seite " + std::to_string(Page);
  return label;
}

std::string MmText(double Mm) {
  std::string text = std::to_string(std::round(Mm * 10) / 10);
  text.erase(text.find('.') + 2);  // one decimal
  if (text.back() == '0') text.erase(text.size() - 2);
  for (char& c : text)
    if (c == '.') c = ',';
  return text;
}

// The effective resolution of a picture of IW x IH pixels placed as Placement says: the pixels the PDF
// keeps along its shorter side per inch of the box a reader shows it in, which is one unit smaller than
// its rectangle. 0 when it has no such box.
double EffectiveResolution(const TPicturePlacement& Placement, int32_t IW, int32_t IH, bool OneBit, int32_t Dpi) {
  const bool across = IW <= IH;  // the shorter side lies across the page
  const int32_t side = across ? Placement.Width : Placement.Height;
  if (side <= 1) return 0;
  int64_t pixels = across ? IW : IH;
  // Black-and-white pictures keep every pixel under a resolution limit; all others at most the limit.
  if (Dpi > 0 && !OneBit) pixels = std::min<int64_t>(pixels, PixelsForPoints(side, Dpi));
  return double(pixels) * 72.0 / double(side - 1);
}

class TChecker {
 public:
  TChecker(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings, const TPrintCheckOptions& Options)
      : FPhotos(Photos),
        FSettings(LayoutSnapshot(Settings)),
        FOptions(Options),
        FMetrics(Options.Metrics ? Options.Metrics : std::make_shared<TFreeTypeFonts>()) {
    FTexts.reserve(Photos.size());
    for (const TExportPhoto& photo : Photos) FTexts.push_back(photo.Text);
    FMeasures = MakeLayoutMeasures(FSettings, FMetrics, FontsToEmbed(FSettings, FTexts));
  }

  TPrintCheck Run(const TLayoutSettings& AsGiven);

 private:
  bool Cancelled() const { return FOptions.Cancel && FOptions.Cancel->load(); }
  void Add(TFindingKind Kind, bool Serious, size_t Photo, int32_t Page, std::string Text) {
    FCheck.Findings.push_back({Kind, Serious, Photo, Page, std::move(Text)});
  }
  void ReadHeaders();
  void Place(size_t Photo, const TPicturePlacement& Placement, int32_t Page, const TPageGrid& Grid);
  void CheckText(size_t Photo, const TPicturePlacement& Placement, int32_t Page, const TPageGrid& Grid);
  void CheckNearTrim(size_t Photo, const TPicturePlacement& Placement, int32_t Page, const TPageGrid& Grid);
  void CheckFonts();

  const std::vector<TExportPhoto>& FPhotos;
  const TLayoutSettings FSettings;
  const TPrintCheckOptions& FOptions;
  std::shared_ptr<TFontMetrics> FMetrics;
  std::vector<std::string> FTexts;  // the photos' texts
  TLayoutMeasures FMeasures;
  std::vector<bool> FOneBit;
  std::vector<bool> FTextReported, FTrimReported, FNoRoomReported;
  std::set<std::string> FLines;  // every text line placed, for the fonts it is written in
  TPrintCheck FCheck;
};

void TChecker::ReadHeaders() {
  FCheck.Photos.resize(FPhotos.size());
  FOneBit.assign(FPhotos.size(), false);
  for (size_t i = 0; i < FPhotos.size() && !Cancelled(); ++i) {
    TPhotoCheck& photo = FCheck.Photos[i];
    photo.FileName = FPhotos[i].FileName;
    const TPictureHeader header = PhotoReadability(photo.FileName);
    if (header.Status == THeaderStatus::Ok) {
      // The user's turn on top of the file's orientation: a quarter turn swaps the sides.
      const bool swap = TurnSwapsSides(FPhotos[i].Turn);
      photo.Width = swap ? header.Height : header.Width;
      photo.Height = swap ? header.Width : header.Height;
      FOneBit[i] = header.OneBit;
    } else if (header.Status == THeaderStatus::Missing) {
      photo.State = TPhotoState::Missing;
      Add(TFindingKind::Missing, true, i + 1, 0, PhotoLabel(i + 1, photo.FileName) + ": fehlt");
    } else {
      photo.State = TPhotoState::Unreadable;
      Add(TFindingKind::Unreadable, true, i + 1, 0, PhotoLabel(i + 1, photo.FileName) + ": nicht lesbar");
    }
  }
}

void TChecker::Place(size_t Photo, const TPicturePlacement& Placement, int32_t Page, const TPageGrid& Grid) {
  TPhotoCheck& photo = FCheck.Photos[Photo];
  if (!Placement.DrawPicture && !FNoRoomReported[Photo]) {
    FNoRoomReported[Photo] = true;
    Add(TFindingKind::NoRoom, true, Photo + 1, Page, NoRoomMessage(Photo + 1, FPhotos[Photo].FileName, Page));
  }
  if (Placement.DrawPicture) {
    const double ppi =
        EffectiveResolution(Placement, photo.Width, photo.Height, FOneBit[Photo], FSettings.PictureDpi);
    if (ppi > 0 && (photo.Page == 0 || ppi < photo.Ppi)) {
      photo.Ppi = ppi;
      photo.Page = Page;
    }
    CheckNearTrim(Photo, Placement, Page, Grid);
  }
  CheckText(Photo, Placement, Page, Grid);
  for (const TTextPlacement& line : Placement.Lines) FLines.insert(line.Text);
}

void TChecker::CheckText(size_t Photo, const TPicturePlacement& Placement, int32_t Page, const TPageGrid& Grid) {
  if (FTextReported[Photo] || Placement.Lines.empty()) return;
  const int32_t fs = FontPoints(FSettings.TextFont);
  const TTextPlacement& last = Placement.Lines.back();
  const char* what = nullptr;
  for (const TTextPlacement& line : Placement.Lines) {
    const int32_t width = FMeasures.TextFont(line.Text);
    if (line.X < Grid.B || int64_t{line.X} + width > int64_t{Grid.B} + Grid.W) {
      what = "Der Text reicht über den Seitenrand hinaus.";
      break;
    }
    if (width > Placement.CellW) what = "Eine Zeile des Textes ist breiter als sein Feld.";
  }
  if (!what && (Placement.LinesLeftOut > 0 || int64_t{last.Y} + fs > int64_t{Grid.B} + Grid.H))
    what = "Der Text reicht unten über den Seitenrand hinaus.";
  if (!what && int64_t{last.Y} + fs > int64_t{Placement.CellY} + Placement.CellH) what = "Der Text reicht unten über sein Feld hinaus.";
  if (!what) return;
  FTextReported[Photo] = true;
  Add(TFindingKind::TextCut, false, Photo + 1, Page, PhotoLabel(Photo + 1, FPhotos[Photo].FileName, Page) + ": " + what);
}

void TChecker::CheckNearTrim(size_t Photo, const TPicturePlacement& Placement, int32_t Page, const TPageGrid& Grid) {
  if (Grid.B <= 0 || FTrimReported[Photo]) return;
  const TPicturePlacement& p = Placement;
  TRect visible{p.X, p.Y, p.X + p.Width, p.Y + p.Height};
  if (p.Clip)
    visible = {std::max(visible.X1, p.ClipX1), std::max(visible.Y1, p.ClipY1), std::min(visible.X2, p.ClipX2),
               std::min(visible.Y2, p.ClipY2)};
  const int32_t distances[4] = {p.Bleed.Left ? 0 : visible.X1 - Grid.B, p.Bleed.Top ? 0 : visible.Y1 - Grid.B,
                                p.Bleed.Right ? 0 : Grid.B + Grid.W - visible.X2,
                                p.Bleed.Bottom ? 0 : Grid.B + Grid.H - visible.Y2};
  int32_t nearest = 0;
  for (int32_t d : distances)
    if (d > 0 && d * KMmPerPoint < KNearTrimMm && (nearest == 0 || d < nearest)) nearest = d;
  if (nearest == 0) return;
  FTrimReported[Photo] = true;
  Add(TFindingKind::NearTrim, false, Photo + 1, Page,
      PhotoLabel(Photo + 1, FPhotos[Photo].FileName, Page) + ": Das Bild endet " + MmText(nearest * KMmPerPoint) +
          " mm vor dem Beschnitt, ohne ihn zu berühren.");
}

void TChecker::CheckFonts() {
  TTextShaper* shaper = FMetrics->Shaper();
  if (!shaper) return;
  // Texts in an embedded font are shaped; the others are written in Windows-1252, which every font has.
  const TFontEmbedding embedding = FontsToEmbed(FSettings, FTexts);
  const bool licences = FSettings.PdfA != TPdfA::None || FSettings.EmbedFonts;
  std::vector<TFontFace*> faces;
  std::u32string missing;
  std::vector<std::string> missingIn;
  const auto collect = [&](const TFontSpec& Font, const std::string& Text, bool Embedded) {
    if (!Embedded && !licences) return;
    const TPDFFont font = PdfFontFor(Font);
    const TShapedLine& line = shaper->Shape(font.Name, font.Style & (fsBold | fsItalic), Text);
    for (const TShapedRun& run : line.Runs)
      if (run.Face && std::find(faces.begin(), faces.end(), run.Face) == faces.end()) faces.push_back(run.Face);
    if (!Embedded) return;
    for (char32_t c : line.Missing)
      if (missing.find(c) == std::u32string::npos) {
        missing += c;
        missingIn.push_back(Text);
      }
  };
  if (FSettings.CaptionCheck) collect(FSettings.HeadingFont, FSettings.CapED, embedding.Heading);
  if (FSettings.PageNrCheck) collect(FSettings.TextFont, "0123456789", embedding.Text);
  for (const std::string& line : FLines) collect(FSettings.TextFont, line, embedding.Text);
  for (size_t i = 0; i < missing.size(); ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(missing[i]));
    Add(TFindingKind::MissingGlyph, false, 0, 0,
        std::string("Zeichen ") + code + " in " + Quoted(missingIn[i]) +
            ": Keine installierte Schrift hat es; an seiner Stelle steht ein Ersatzzeichen.");
  }
  if (!licences) return;
  for (TFontFace* face : faces)
    if (face->ForbidsEmbedding())
      Add(TFindingKind::FontLicence, FSettings.PdfA != TPdfA::None, 0, 0,
          "Schrift " + Quoted(face->DisplayName()) +
              ": Ihre Lizenz verbietet das Einbetten; wählen Sie eine andere Schrift.");
}

TPrintCheck TChecker::Run(const TLayoutSettings& AsGiven) {
  if (const std::string error = PrintSettingsError(AsGiven); !error.empty())
    Add(TFindingKind::Settings, true, 0, 0, error);
  ReadHeaders();
  if (Cancelled()) return std::move(FCheck);
  FTextReported.assign(FPhotos.size(), false);
  FTrimReported.assign(FPhotos.size(), false);
  FNoRoomReported.assign(FPhotos.size(), false);

  TPageFlow flow(FSettings);
  const TPageDecorations decorations = DecoratePage(FSettings, flow.Grid(), 1, FMeasures);
  if (decorations.Heading && FMeasures.HeadingFont(FSettings.CapED) > flow.Grid().W)
    Add(TFindingKind::HeadingCut, false, 0, 1, "Überschrift: Sie ist breiter als die Seite und wird abgeschnitten.");
  if (FSettings.PageLayout == TPageLayoutKind::Auto) {
    // Pages laid out for their photos: each photo's size on them from the same layout as the export's.
    std::vector<TLayoutItem> items;
    std::vector<size_t> itemPhoto;
    for (size_t i = 0; i < FPhotos.size(); ++i) {
      if (FCheck.Photos[i].State != TPhotoState::Ok) continue;
      for (int32_t copy = 0; copy < FSettings.XMalEd; ++copy) {
        items.push_back({FCheck.Photos[i].Width, FCheck.Photos[i].Height, FPhotos[i].Text});
        SetItemPlacement(items.back(), FPhotos[i].Placement, FPhotos[i].FocusX, FPhotos[i].FocusY);
        itemPhoto.push_back(i);
      }
    }
    const std::vector<TPageLayout> pages = LayoutPages(FSettings, items, FMeasures);
    for (const TPageLayout& page : pages)
      for (size_t k = 0; k < page.Pictures.size(); ++k)
        Place(itemPhoto[page.Items[k]], page.Pictures[k], page.Page, page.Grid);
    flow = TPageFlow(FSettings);
    for (size_t p = 1; p < pages.size(); ++p) flow.NextPage();
  }
  for (size_t i = 0; i < FPhotos.size() && FSettings.PageLayout == TPageLayoutKind::Raster; ++i) {
    if (Cancelled()) return std::move(FCheck);
    if (FCheck.Photos[i].State != TPhotoState::Ok) continue;  // takes no cell, as in the export
    for (int32_t copy = 0; copy < FSettings.XMalEd; ++copy) {
      if (flow.PageFull()) flow.NextPage();
      const TPhotoCheck& photo = FCheck.Photos[i];
      TPicturePlacement placement = PlacePicture(FSettings, flow.Grid(), flow.Col(), flow.Row(), photo.Width,
                                                 photo.Height, FPhotos[i].Text, FMeasures);
      if (FPhotos[i].Placement & KPlaceFill)
        FillCell(placement, flow.Grid(), photo.Width, photo.Height, FPhotos[i].FocusX, FPhotos[i].FocusY);
      Place(i, placement, flow.Page(), flow.Grid());
      flow.Advance();
    }
  }
  FCheck.Pages = flow.Page();

  for (size_t i = 0; i < FCheck.Photos.size(); ++i) {
    TPhotoCheck& photo = FCheck.Photos[i];
    if (photo.Page == 0) continue;
    photo.Rating = photo.Ppi < KTooLowPpi ? TResolution::TooLow : photo.Ppi < KLowPpi ? TResolution::Low : TResolution::Good;
    if (photo.Rating == TResolution::Good) continue;
    const bool tooLow = photo.Rating == TResolution::TooLow;
    Add(tooLow ? TFindingKind::TooLow : TFindingKind::Low, tooLow, i + 1, photo.Page,
        PhotoLabel(i + 1, photo.FileName, photo.Page) + ": " + std::to_string(static_cast<int64_t>(photo.Ppi)) +
            " ppi, " + (tooLow ? "zu gering" : "knapp"));
  }
  CheckFonts();
  std::stable_sort(FCheck.Findings.begin(), FCheck.Findings.end(), [](const TPrintFinding& A, const TPrintFinding& B) {
    if (A.Serious != B.Serious) return A.Serious;
    return A.Photo < B.Photo;
  });
  FCheck.Complete = true;
  return std::move(FCheck);
}

}  // namespace

bool TPrintCheck::Passed() const {
  return std::none_of(Findings.begin(), Findings.end(), [](const TPrintFinding& F) { return F.Serious; });
}

std::string TPrintCheck::Summary() const {
  size_t tooLow = 0, missing = 0, notes = 0;
  bool unwritable = false;
  for (const TPrintFinding& f : Findings) {
    if (f.Kind == TFindingKind::TooLow) ++tooLow;
    else if (f.Kind == TFindingKind::Missing || f.Kind == TFindingKind::Unreadable) ++missing;
    else if (f.Serious) unwritable = true;
    else ++notes;
  }
  const std::string noteText = notes == 0 ? "keine Hinweise" : Plural(notes, "Hinweis", "Hinweise");
  if (Passed()) return "Druckprüfung bestanden: " + Plural(Photos.size(), "Foto", "Fotos") + ", " + noteText + ".";
  std::vector<std::string> parts;
  if (tooLow > 0) parts.push_back(Plural(tooLow, "Foto", "Fotos") + " mit zu geringer Auflösung");
  if (missing > 0)
    parts.push_back(Plural(missing, "Foto", "Fotos") + (missing == 1 ? " fehlt oder ist" : " fehlen oder sind") +
                    " nicht lesbar");
  if (unwritable) parts.push_back("die PDF-Datei lässt sich so nicht schreiben");
  std::string text = "Druckprüfung nicht bestanden: ";
  for (size_t i = 0; i < parts.size(); ++i) text += (i ? ", " : "") + parts[i];
  return text + "; " + noteText + ".";
}

TPrintCheck CheckPrint(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
                       const TPrintCheckOptions& Options) {
  return TChecker(Photos, Settings, Options).Run(Settings);
}
