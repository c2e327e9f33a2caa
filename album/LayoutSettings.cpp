#include "album/LayoutSettings.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/Dialogs.h"

namespace {

// Rounds halves to even and stops at the ends of the 32-bit range, so no corrupt value is UB.
int32_t RoundToInt32(double Value) {
  if (std::isnan(Value)) return 0;
  const double rounded = std::nearbyint(Value);
  if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min()))
    return std::numeric_limits<int32_t>::min();
  if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(rounded);
}

std::string_view Trim(std::string_view Text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!Text.empty() && blank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && blank(Text.back())) Text.remove_suffix(1);
  return Text;
}

}  // namespace

int32_t FontSizeFromHeight(int32_t Height, int32_t PixelsPerInch) {
  if (PixelsPerInch <= 0) return 0;
  return RoundToInt32(-static_cast<double>(Height) * 72.0 / PixelsPerInch);
}

int32_t FontHeightFromSize(int32_t Size, int32_t PixelsPerInch) {
  return RoundToInt32(-(static_cast<double>(Size) * PixelsPerInch / 72.0));
}

void SetFontSize(TFontSpec& Font, int32_t Size) {
  Font.Size = Size;
  Font.Height = FontHeightFromSize(Size, Font.PixelsPerInch);
  // A size too large for its pixel height to fit 32 bits (only a corrupt album file has one) becomes
  // the size of the height that does fit, so that both still describe one font: the album file stores
  // the size derived from the height, and a saved album must load again as it was.
  if (Font.Height == std::numeric_limits<int32_t>::min() ||
      Font.Height == std::numeric_limits<int32_t>::max())
    Font.Size = FontSizeFromHeight(Font.Height, Font.PixelsPerInch);
}

void SetFontHeight(TFontSpec& Font, int32_t Height) {
  Font.Height = Height;
  Font.Size = FontSizeFromHeight(Height, Font.PixelsPerInch);
}

void AssignFont(TFontSpec& Target, const TFontSpec& Source) {
  Target.Name = Source.Name;
  Target.Charset = Source.Charset;
  Target.Pitch = Source.Pitch;
  Target.Style = Source.Style;
  Target.Color = Source.Color;
  SetFontSize(Target, Source.Size);
}

static_assert(int{KFontBold} == int{fsBold} && int{KFontItalic} == int{fsItalic} &&
                  int{KFontUnderline} == int{fsUnderline} && int{KFontStrikeOut} == int{fsStrikeOut},
              "the album's style bits are the font dialog's");

TFontChoice FontChoiceOf(const TFontSpec& Font) {
  TFontChoice choice;
  choice.Name = Font.Name;
  choice.Size = Font.Size;
  choice.Style = Font.Style & (KFontBold | KFontItalic | KFontUnderline | KFontStrikeOut);
  choice.Color = Font.Color;
  return choice;
}

void ApplyFontChoice(TFontSpec& Font, const TFontChoice& Choice) {
  Font.Name = Choice.Name;
  Font.Style = Choice.Style & (KFontBold | KFontItalic | KFontUnderline | KFontStrikeOut);
  Font.Color = Choice.Color;
  SetFontSize(Font, Choice.Size);
}

std::string FontDescription(const TFontSpec& Font) {
  std::string text = Font.Name + ", " + std::to_string(Font.Size) + " pt";
  const std::pair<uint8_t, const char*> styles[] = {{KFontBold, "fett"},
                                                    {KFontItalic, "kursiv"},
                                                    {KFontUnderline, "unterstrichen"},
                                                    {KFontStrikeOut, "durchgestrichen"}};
  for (const auto& [bit, word] : styles)
    if (Font.Style & bit) text += std::string(", ") + word;
  return text;
}

namespace {

// A font as chosen on a 96-pixels-per-inch screen; Height in pixels, negative for the character height.
TFontSpec ScreenFont(const char* Name, int32_t Height) {
  TFontSpec font;
  font.Name = Name;
  font.PixelsPerInch = 96;
  SetFontHeight(font, Height);
  return font;
}

}  // namespace

TFontSpec DefaultHeadingFont() { return ScreenFont("Arial Black", -21); }

TFontSpec DefaultTextFont() { return ScreenFont("Arial", -13); }

double ClampDecimal(double Value, TFieldLimits Limits) {
  if (std::isnan(Value) || Value < Limits.Min) return Limits.Min;
  if (Value > Limits.Max) return Limits.Max;
  return Value;
}

int32_t ClampWhole(double Value, TFieldLimits Limits) {
  if (std::isnan(Value)) return RoundToInt32(Limits.Min);
  // Clamping before rounding keeps huge values away from the integer conversion; the limits are whole.
  return RoundToInt32(ClampDecimal(std::nearbyint(Value), Limits));
}

bool ParseDecimal(std::string_view Text, double& Value) {
  Text = Trim(Text);
  if (!Text.empty() && Text.front() == '+') Text.remove_prefix(1);
  if (Text.empty() || Text.size() > 64) return false;
  std::string copy(Text);
  for (char& c : copy) {
    if (c == ',') c = '.';
    // from_chars also reads "inf" and "nan", which no number field accepts.
    else if (!(c == '.' || c == '-' || c == 'e' || c == 'E' || (c >= '0' && c <= '9')))
      return false;
  }
  double parsed = 0;
  const auto [end, ec] = std::from_chars(copy.data(), copy.data() + copy.size(), parsed);
  if (ec != std::errc() || end != copy.data() + copy.size() || !std::isfinite(parsed)) return false;
  Value = parsed;
  return true;
}

std::string DecimalFieldText(double Value, char DecimalSeparator) {
  if (!std::isfinite(Value)) Value = 0;
  char text[400];  // the longest fixed form of a double has a few hundred digits
  const auto [end, ec] = std::to_chars(text, text + sizeof text, Value, std::chars_format::fixed);
  std::string result(text, ec == std::errc() ? end : text);
  for (char& c : result)
    if (c == '.') c = DecimalSeparator;
  return result;
}

double ReadDecimalField(std::string_view Text, TFieldLimits Limits) {
  double value = 0;
  if (!ParseDecimal(Text, value)) return Limits.Min;
  return ClampDecimal(value, Limits);
}

int32_t ReadWholeField(std::string_view Text, TFieldLimits Limits) {
  double value = 0;
  if (!ParseDecimal(Text, value)) return ClampWhole(Limits.Min, Limits);
  return ClampWhole(value, Limits);
}

int32_t ClampPictureDpi(double Dpi) {
  if (std::isnan(Dpi) || Dpi <= 0) return KPictureDpiOriginal;
  return ClampWhole(Dpi, KPictureDpiLimits);
}

TLayoutSettings FirstStartSettings() { return TLayoutSettings{}; }

void ResetForNewAlbum(TLayoutSettings& Settings) {
  Settings.HeadingFont = DefaultHeadingFont();
  Settings.TextFont = DefaultTextFont();
  Settings.TextCheck = true;
  Settings.CaptionCheck = true;
  Settings.RandXEd = 15;
  Settings.RandYEd = 15;
  Settings.SpaceHED = 5;
  Settings.SpaceVEd = 5;
  Settings.ShowPDFCheck = true;
  Settings.CountXEd = 3;  // a new album gets 3 columns, unlike the 2 of the first start
  Settings.CountYEd = 3;
  Settings.PageNrCheck = true;
  // Sections name the old album's photos; a title page and book mode belong to that album too.
  Settings.Book = TBookSettings();
}

void ClampAll(TLayoutSettings& Settings) {
  for (double* margin : {&Settings.RandXEd, &Settings.RandYEd, &Settings.SpaceHED, &Settings.SpaceVEd})
    *margin = ClampDecimal(*margin, KMarginLimits);
  Settings.PageWidthEd = ClampDecimal(Settings.PageWidthEd, KPageSizeLimits);
  Settings.PageHeightEd = ClampDecimal(Settings.PageHeightEd, KPageSizeLimits);
  Settings.CountXEd = ClampWhole(Settings.CountXEd, KCountLimits);
  Settings.CountYEd = ClampWhole(Settings.CountYEd, KCountLimits);
  Settings.XMalEd = ClampWhole(Settings.XMalEd, KCountLimits);
  Settings.RahmenBreiteEd = ClampWhole(Settings.RahmenBreiteEd, KFrameWidthLimits);
  Settings.PictureDpi = ClampPictureDpi(Settings.PictureDpi);
  Settings.Bleed = ClampDecimal(Settings.Bleed, KBleedLimits);
  Settings.PdfA = PdfAChoice(Settings.PdfA).Level;
  Settings.Book.Binding = ClampDecimal(Settings.Book.Binding, {KBindingLimits.Min, KBindingLimits.Max});
  Settings.PageLayout = PageLayoutChoice(Settings.PageLayout).Kind;
  Settings.PhotosPerPage = ClampWhole(Settings.PhotosPerPage, KPhotosPerPageLimits);
  Settings.CropBudget = ClampWhole(Settings.CropBudget, KCropBudgetLimits);
}

const TPageLayoutChoice& PageLayoutChoice(TPageLayoutKind Kind) {
  for (const TPageLayoutChoice& choice : KPageLayoutChoices)
    if (choice.Kind == Kind) return choice;
  return KPageLayoutChoices[0];
}

const TPdfAChoice& PdfAChoice(TPdfA Level) {
  for (const TPdfAChoice& choice : KPdfAChoices)
    if (choice.Level == Level) return choice;
  return KPdfAChoices[0];
}

std::string PrintSettingsError(const TLayoutSettings& Settings) {
  const double bleed = Settings.Bleed;
  const std::string bleedText = DecimalFieldText(bleed, ',');
  if (!(bleed >= KBleedLimits.Min && bleed <= KBleedLimits.Max))
    return "Fehler: Die Beschnittzugabe von " + bleedText + " mm liegt nicht zwischen 0 und 10 mm.";
  for (const auto& [side, name] : {std::pair{Settings.PageWidthEd, "breit"}, std::pair{Settings.PageHeightEd, "hoch"}}) {
    const double grown = ClampDecimal(side, KPageSizeLimits) + 2 * bleed;
    if (grown > KLargestPageMm)
      return "Fehler: Mit der Beschnittzugabe von " + bleedText + " mm auf jeder Seite wäre die Seite " +
             DecimalFieldText(grown, ',') + " mm " + name + "; mehr als " +
             DecimalFieldText(KLargestPageMm, ',') + " mm sind nicht möglich. Verkleinern Sie die Seite oder die "
             "Beschnittzugabe.";
  }
  return {};
}

void AssignAlbumSettings(TLayoutSettings& To, const TLayoutSettings& From) {
  TLayoutSettings merged = From;
  merged.SeparateCheck = To.SeparateCheck;
  merged.RahmenBreiteEd = To.RahmenBreiteEd;
  merged.EmbedFonts = To.EmbedFonts;
  To = std::move(merged);
}

bool SameAlbumSettings(const TLayoutSettings& A, const TLayoutSettings& B) {
  TLayoutSettings b = B;
  AssignAlbumSettings(b, A);
  return b == B;
}
