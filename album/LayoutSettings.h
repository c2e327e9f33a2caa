#pragma once
// TLayoutSettings: every layout control of the main window as plain data, with its first-start default,
// its limits and the rule that brings an out-of-range value back inside them.
//
// The window's controls, the album file and the command line all read and write this one struct. Number
// fields follow the spin-edit rules: a value outside the limits becomes the nearest limit (whole-number
// fields are rounded first, halves to even), and text that cannot be read as a number counts as the
// field's minimum. A NaN, which no control can hold, counts as unreadable too.

#include <cstdint>
#include <string>
#include <string_view>

#include "album/BookSettings.h"

// Style bits of a font, as the album file stores them.
enum : uint8_t { KFontBold = 1, KFontItalic = 2, KFontUnderline = 4, KFontStrikeOut = 8 };

// Colour values are 0x00BBGGRR; 0x80 in the top byte names a system colour, kept as it is here and
// resolved to a real colour only when something is drawn.
constexpr uint32_t KColorWhite = 0x00FFFFFF;
constexpr uint32_t KColorWindowText = 0x80000008;
constexpr bool IsSystemColor(uint32_t Color) { return (Color & 0xFF000000u) == 0x80000000u; }

// A font as the font dialogs hold it. Height (pixels, negative for a character height) and Size
// (points) describe the same thing at PixelsPerInch; SetFontSize / SetFontHeight keep them together.
struct TFontSpec {
  std::string Name;     // face name, UTF-8
  uint8_t Charset = 0;  // Windows character-set number, 0 = ANSI
  uint32_t Color = KColorWindowText;
  uint8_t Pitch = 0;  // 0 default, 1 variable, 2 fixed
  int32_t PixelsPerInch = 96;
  int32_t Size = 10;
  int32_t Height = -13;
  uint8_t Style = 0;  // KFontBold | KFontItalic | ...

  bool operator==(const TFontSpec&) const = default;
};

// round(-Height * 72 / PixelsPerInch), halves to even; 0 when PixelsPerInch is not positive. Results
// beyond the 32-bit range stop at its ends.
int32_t FontSizeFromHeight(int32_t Height, int32_t PixelsPerInch);
// round(-(Size * PixelsPerInch / 72)), halves to even, stopping at the ends of the 32-bit range.
int32_t FontHeightFromSize(int32_t Size, int32_t PixelsPerInch);
// Sets Size and derives Height at the font's own PixelsPerInch, and the other way round. A size whose
// height would not fit 32 bits is reduced to the size of the largest height that does.
void SetFontSize(TFontSpec& Font, int32_t Size);
void SetFontHeight(TFontSpec& Font, int32_t Height);
// Copies what assigning one dialog font to another copies: face name, character set, pitch, style,
// colour and the size in points. Target keeps its PixelsPerInch; its Height follows from the size.
void AssignFont(TFontSpec& Target, const TFontSpec& Source);

// What the font dialog shows of Font (face, size in points, style, colour), and taking its answer back:
// face, style and colour are copied, the size is set with SetFontSize; character set, pitch and
// PixelsPerInch stay as they were.
struct TFontChoice;
TFontChoice FontChoiceOf(const TFontSpec& Font);
void ApplyFontChoice(TFontSpec& Font, const TFontChoice& Choice);
// The font in words, for a label beside its button: "Arial Black, 16 pt, fett, kursiv".
std::string FontDescription(const TFontSpec& Font);

// "Arial Black", 21 pixels (16 points) at 96 ppi, regular, ANSI, window-text colour.
TFontSpec DefaultHeadingFont();
// "Arial", 13 pixels (10 points) at 96 ppi, regular, ANSI, window-text colour.
TFontSpec DefaultTextFont();

// The limits of one number field.
struct TFieldLimits {
  double Min;
  double Max;
};
constexpr TFieldLimits KMarginLimits{0, 100};        // RandXEd, RandYEd, SpaceHED, SpaceVEd
constexpr TFieldLimits KPageSizeLimits{1, 10000};    // PageWidthEd, PageHeightEd
constexpr TFieldLimits KCountLimits{1, 100};         // CountXEd, CountYEd, XMalEd
constexpr TFieldLimits KFrameWidthLimits{1, 100};    // RahmenBreiteEd
constexpr TFieldLimits KPictureDpiLimits{50, 2400};  // PictureDpi, when not KPictureDpiOriginal
constexpr TFieldLimits KBleedLimits{0, 10};          // Bleed ("Beschnittzugabe")

// PictureDpi's value for "Original": every picture keeps all its pixels.
constexpr int32_t KPictureDpiOriginal = 0;
// The choices of "Bildauflösung" on the tab "PDF-Datei erzeugen", in the order shown.
struct TPictureDpiChoice {
  int32_t Dpi;
  const char* Caption;
};
constexpr TPictureDpiChoice KPictureDpiChoices[] = {
    {KPictureDpiOriginal, "Original"},
    {300, "Druck (300 dpi)"},
    {150, "Bildschirm (150 dpi)"},
};
// "PDF/A (Archiv)": which archival conformance the PDF is written to, if any.
enum class TPdfA : uint8_t { None, A2b, A1b };
struct TPdfAChoice {
  TPdfA Level;
  const char* Caption;  // in the window
  const char* Name;     // on the command line and in the album file
};
// In the order the window shows them.
constexpr TPdfAChoice KPdfAChoices[] = {
    {TPdfA::None, "keine", "none"},
    {TPdfA::A2b, "PDF/A-2b", "2b"},
    {TPdfA::A1b, "PDF/A-1b", "1b"},
};
// The choice of Level; the first one ("keine") for a value that is none of them.
const TPdfAChoice& PdfAChoice(TPdfA Level);

// "Seitenaufteilung": every page the same grid of equal cells ("Raster"), or each page laid out for
// the photos on it ("Automatisch", layout/AutoLayout.h).
enum class TPageLayoutKind : uint8_t { Raster, Auto };
struct TPageLayoutChoice {
  TPageLayoutKind Kind;
  const char* Caption;  // in the window
  const char* Name;     // on the command line and in the album file
};
constexpr TPageLayoutChoice KPageLayoutChoices[] = {
    {TPageLayoutKind::Raster, "Raster", "raster"},
    {TPageLayoutKind::Auto, "Automatisch", "auto"},
};
// The choice of Kind; the first one ("Raster") for a value that is none of them.
const TPageLayoutChoice& PageLayoutChoice(TPageLayoutKind Kind);
constexpr TFieldLimits KPhotosPerPageLimits{1, 12};  // "Fotos je Seite"
constexpr TFieldLimits KCropBudgetLimits{0, 50};     // "Beschnitt höchstens", percent

// A PictureDpi value brought inside its limits: "Original" for 0 or less (and NaN), otherwise a whole
// number of KPictureDpiLimits.
int32_t ClampPictureDpi(double Dpi);

// A decimal field's value brought inside Limits (NaN: the minimum).
double ClampDecimal(double Value, TFieldLimits Limits);
// A whole-number field's value: rounded (halves to even), then brought inside Limits (NaN: minimum).
int32_t ClampWhole(double Value, TFieldLimits Limits);
// Reads a field's text as the control does: surrounding blanks are ignored, "," and "." both serve as
// the decimal separator; anything else that is not a number gives the minimum.
double ReadDecimalField(std::string_view Text, TFieldLimits Limits);
int32_t ReadWholeField(std::string_view Text, TFieldLimits Limits);
// Parses a decimal number as ReadDecimalField does, without limits. False for unreadable text.
bool ParseDecimal(std::string_view Text, double& Value);
// A decimal field's text for Value: the shortest digits that read back as exactly Value, never with an
// exponent, and DecimalSeparator between the whole and the fractional part ("12,5", "210").
std::string DecimalFieldText(double Value, char DecimalSeparator);

struct TLayoutSettings {
  // Tab "Einstellungen"
  double RandXEd = 15;
  double RandYEd = 15;
  double SpaceHED = 5;
  double SpaceVEd = 5;
  double PageWidthEd = 210;
  double PageHeightEd = 297;
  bool ZoomInFotosCheck = false;
  bool CaptionCheck = true;
  bool CaptionOnAllPages = true;
  bool TextCheck = true;
  bool PageNrCheck = true;
  TFontSpec HeadingFont = DefaultHeadingFont();  // FontDialog1
  TFontSpec TextFont = DefaultTextFont();        // FontDialog3, photo texts and page numbers
  // Tab "Mehr Einstellungen"
  uint32_t Shape1 = KColorWhite;  // page background
  bool RahmenCheck = false;
  uint32_t Shape2 = KColorWhite;  // frame colour
  int32_t RahmenBreiteEd = 10;
  // Tab "PDF-Datei erzeugen"
  bool ShowPDFCheck = true;
  bool SeparateCheck = false;
  int32_t CountXEd = 2;
  int32_t CountYEd = 3;
  int32_t XMalEd = 1;
  // Fonts are embedded as subsets for every text, also for texts that fit Windows-1252 (for print
  // shops). Off: only fonts with texts outside Windows-1252 are embedded. Not part of the album file.
  bool EmbedFonts = false;
  // "Bildauflösung": the most pixels per inch a picture keeps at the size it is placed at (it is scaled
  // down when it has more), or KPictureDpiOriginal for all of them. One of KPictureDpiChoices in the
  // window; the command line also takes other values within KPictureDpiLimits.
  int32_t PictureDpi = KPictureDpiOriginal;
  // "JPEG-Fotos unverändert übernehmen": a JPEG file that needs no scaling goes into the PDF as its own
  // bytes, not decoded and encoded again.
  bool KeepJpeg = false;
  // "Beschnittzugabe" (mm): every page grows by this much on each side for the printer's cut; what lies
  // inside the page as it was stays where it was (PageLayout.h). Kept in the album file.
  double Bleed = 0;
  // "PDF/A (Archiv)": the PDF is written as archival PDF/A of this level. Kept in the album file.
  TPdfA PdfA = TPdfA::None;
  // "Seitenaufteilung", and for "Automatisch" about how many photos a page takes ("Fotos je Seite")
  // and how much of a photo may be cut away to fill its place ("Beschnitt höchstens", percent of its
  // area). Kept in the album file.
  TPageLayoutKind PageLayout = TPageLayoutKind::Raster;
  int32_t PhotosPerPage = 4;
  int32_t CropBudget = 10;
  // Tab "Fotos"
  // "Name des Albums": the heading and the PDF's title. Kept in the album file, not per user.
  std::string CapED = "Familienfotos";
  bool FilenamesCheck = true;
  bool PathCheck = false;
  // "Vorlage für Vorgabetexte": when not empty, new photos take their texts from it (TextTemplate.h)
  // instead of from FilenamesCheck and PathCheck. Kept in the album file, not per user.
  std::string TextTemplate;
  // Title page, sections, contents and facing pages (BookSettings.h). Kept in the album file.
  TBookSettings Book;

  bool operator==(const TLayoutSettings&) const = default;
};

// The settings of a program start: the defaults above.
TLayoutSettings FirstStartSettings();

// What "Neu" puts back: both fonts to their defaults, TextCheck, CaptionCheck, ShowPDFCheck and
// PageNrCheck on, margins 15, spacings 5, 3 columns and 3 rows, and no title page, sections or book
// mode (Book). Everything else stays as it is.
void ResetForNewAlbum(TLayoutSettings& Settings);

// Copies what the album file keeps of From into To: everything but SeparateCheck, RahmenBreiteEd and
// EmbedFonts, which stay as To has them.
void AssignAlbumSettings(TLayoutSettings& To, const TLayoutSettings& From);
// True when A and B differ in nothing the album file keeps.
bool SameAlbumSettings(const TLayoutSettings& A, const TLayoutSettings& B);

// Brings every number field inside its limits (as leaving each control would).
void ClampAll(TLayoutSettings& Settings);

// The largest side a page may have with its bleed, in mm: the largest page size.
constexpr double KLargestPageMm = KPageSizeLimits.Max;
// The German error for settings no PDF can be written with: a bleed outside its limits, or a page that
// with its bleed would be larger than KLargestPageMm. Empty when the settings can be written.
std::string PrintSettingsError(const TLayoutSettings& Settings);
