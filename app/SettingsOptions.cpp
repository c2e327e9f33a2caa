#include "app/SettingsOptions.h"

#include <cmath>
#include <string_view>

namespace {

// Splits "--name=value" into name and value; HasValue tells whether "=" was there.
struct TOption {
  std::string Name;
  std::string Value;
  bool HasValue = false;
};

TOption SplitOption(const std::string& Arg) {
  const size_t eq = Arg.find('=');
  if (eq == std::string::npos || Arg.rfind("--", 0) != 0) return {Arg, std::string(), false};
  return {Arg.substr(0, eq), Arg.substr(eq + 1), true};
}

// The option's value: after "=" or the next argument.
std::string TakeValue(const TCommandArgs& Args, size_t& Pos, const TOption& Option) {
  if (Option.HasValue) return Option.Value;
  if (Pos + 1 >= Args.size()) throw TCommandError("Fehler: Zur Option " + Option.Name + " fehlt der Wert.");
  return Args[++Pos];
}

double Decimal(const std::string& Option, std::string_view Text, TFieldLimits Limits) {
  double value = 0;
  if (!ParseDecimal(Text, value) || value < Limits.Min || value > Limits.Max) {
    throw TCommandError("Fehler: " + Option + " erwartet Millimeter von " + std::to_string(int(Limits.Min)) +
                        " bis " + std::to_string(int(Limits.Max)) + ", nicht " + Quoted(Text) + ".");
  }
  return value;
}

int32_t Whole(const std::string& Option, std::string_view Text, TFieldLimits Limits) {
  double value = 0;
  if (!ParseDecimal(Text, value) || value != std::floor(value) || value < Limits.Min || value > Limits.Max) {
    throw TCommandError("Fehler: " + Option + " erwartet eine ganze Zahl von " +
                        std::to_string(int(Limits.Min)) + " bis " + std::to_string(int(Limits.Max)) +
                        ", nicht " + Quoted(Text) + ".");
  }
  return static_cast<int32_t>(value);
}

// Two millimetre values: "WxH" for a size, "X,Y" for the others. A decimal comma inside a value would
// clash with the comma between the two, so ";" separates a pair as well ("12,5;10").
void Pair(const std::string& Option, const std::string& Text, char Separator, TFieldLimits Limits,
          double& First, double& Second) {
  size_t cut = Text.find(';');
  if (cut == std::string::npos) cut = Text.find(Separator);
  if (cut == std::string::npos && Separator == 'x') cut = Text.find('X');
  if (cut == std::string::npos || Text.find(Separator, cut + 1) != std::string::npos) {
    throw TCommandError("Fehler: " + Option + " erwartet zwei Werte in Millimetern, getrennt durch " +
                        Quoted(std::string(1, Separator)) + ", nicht " + Quoted(Text) + ".");
  }
  First = Decimal(Option, std::string_view(Text).substr(0, cut), Limits);
  Second = Decimal(Option, std::string_view(Text).substr(cut + 1), Limits);
}

uint32_t Colour(const std::string& Option, const std::string& Text) {
  std::string_view hex = Text;
  if (!hex.empty() && hex.front() == '#') hex.remove_prefix(1);
  uint32_t rgb = 0;
  bool ok = hex.size() == 6;
  for (char c : hex) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) ok = false;
    rgb = (rgb << 4) | static_cast<uint32_t>(digit & 0xF);
  }
  if (!ok)
    throw TCommandError("Fehler: " + Option + " erwartet eine Farbe RRGGBB (hexadezimal), nicht " +
                        Quoted(Text) + ".");
  // RRGGBB as written; the album holds 0x00BBGGRR.
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// "original" (in any case) or a whole number of dots per inch within KPictureDpiLimits.
int32_t PictureDpi(const std::string& Option, const std::string& Text) {
  std::string lower = Text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (lower == "original") return KPictureDpiOriginal;
  double value = 0;
  if (!ParseDecimal(Text, value) || value != std::floor(value) || value < KPictureDpiLimits.Min ||
      value > KPictureDpiLimits.Max) {
    throw TCommandError("Fehler: " + Option + " erwartet „original“ oder eine ganze Zahl von " +
                        std::to_string(int(KPictureDpiLimits.Min)) + " bis " +
                        std::to_string(int(KPictureDpiLimits.Max)) + ", nicht " + Quoted(Text) + ".");
  }
  return static_cast<int32_t>(value);
}

// The PDF/A level an option value names ("2b", "1b", "none", in any case); nullptr for another text.
const TPdfAChoice* PdfAChoiceNamed(std::string Text) {
  for (char& c : Text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const TPdfAChoice& choice : KPdfAChoices)
    if (Text == choice.Name) return &choice;
  return nullptr;
}

// --pdfa alone is PDF/A-2b; a level may follow, after "=" or as the next argument.
TPdfA PdfALevel(const TCommandArgs& Args, size_t& Pos, const TOption& Option) {
  if (!Option.HasValue) {
    if (Pos + 1 < Args.size() && PdfAChoiceNamed(Args[Pos + 1])) return PdfAChoiceNamed(Args[++Pos])->Level;
    return TPdfA::A2b;
  }
  if (const TPdfAChoice* choice = PdfAChoiceNamed(Option.Value)) return choice->Level;
  throw TCommandError("Fehler: " + Option.Name + " erwartet „2b“, „1b“ oder „none“, nicht " + Quoted(Option.Value) +
                      ".");
}

// "raster" or "auto", in any case.
TPageLayoutKind PageLayoutNamed(const TOption& Option, std::string Text) {
  for (char& c : Text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const TPageLayoutChoice& choice : KPageLayoutChoices)
    if (Text == choice.Name) return choice.Kind;
  throw TCommandError("Fehler: " + Option.Name + " erwartet „raster“ oder „auto“, nicht " + Quoted(Text) + ".");
}

void RefuseValue(const TOption& Option) {
  if (Option.HasValue) throw TCommandError("Fehler: Die Option " + Option.Name + " hat keinen Wert.");
}

}  // namespace

bool ApplySettingsOption(const TCommandArgs& Args, size_t& Pos, TLayoutSettings& Settings) {
  const TOption option = SplitOption(Args[Pos]);
  const std::string& name = option.Name;
  struct TSwitch {
    const char* Name;
    bool TLayoutSettings::*Field;
    bool Value;
  };
  static const TSwitch KSwitches[] = {
      {"--no-texts", &TLayoutSettings::TextCheck, false},
      {"--no-heading", &TLayoutSettings::CaptionCheck, false},
      {"--heading-first-page-only", &TLayoutSettings::CaptionOnAllPages, false},
      {"--no-page-numbers", &TLayoutSettings::PageNrCheck, false},
      {"--zoom-in", &TLayoutSettings::ZoomInFotosCheck, true},
      {"--frame", &TLayoutSettings::RahmenCheck, true},
      {"--no-default-texts", &TLayoutSettings::FilenamesCheck, false},
      {"--with-path", &TLayoutSettings::PathCheck, true},
      {"--keep-jpeg", &TLayoutSettings::KeepJpeg, true},
  };
  for (const TSwitch& s : KSwitches) {
    if (name != s.Name) continue;
    RefuseValue(option);
    Settings.*s.Field = s.Value;
    return true;
  }
  if (name == "--columns") {
    Settings.CountXEd = Whole(name, TakeValue(Args, Pos, option), KCountLimits);
  } else if (name == "--rows") {
    Settings.CountYEd = Whole(name, TakeValue(Args, Pos, option), KCountLimits);
  } else if (name == "--copies") {
    Settings.XMalEd = Whole(name, TakeValue(Args, Pos, option), KCountLimits);
  } else if (name == "--page-size") {
    Pair(name, TakeValue(Args, Pos, option), 'x', KPageSizeLimits, Settings.PageWidthEd,
         Settings.PageHeightEd);
  } else if (name == "--margins") {
    Pair(name, TakeValue(Args, Pos, option), ',', KMarginLimits, Settings.RandXEd, Settings.RandYEd);
  } else if (name == "--spacing") {
    Pair(name, TakeValue(Args, Pos, option), ',', KMarginLimits, Settings.SpaceHED, Settings.SpaceVEd);
  } else if (name == "--frame-colour") {
    Settings.Shape2 = Colour(name, TakeValue(Args, Pos, option));
  } else if (name == "--background") {
    Settings.Shape1 = Colour(name, TakeValue(Args, Pos, option));
  } else if (name == "--dpi") {
    Settings.PictureDpi = PictureDpi(name, TakeValue(Args, Pos, option));
  } else if (name == "--bleed") {
    Settings.Bleed = Decimal(name, TakeValue(Args, Pos, option), KBleedLimits);
  } else if (name == "--pdfa") {
    Settings.PdfA = PdfALevel(Args, Pos, option);
  } else if (name == "--layout") {
    Settings.PageLayout = PageLayoutNamed(option, TakeValue(Args, Pos, option));
  } else if (name == "--photos-per-page") {
    Settings.PhotosPerPage = Whole(name, TakeValue(Args, Pos, option), KPhotosPerPageLimits);
  } else if (name == "--crop-budget") {
    Settings.CropBudget = Whole(name, TakeValue(Args, Pos, option), KCropBudgetLimits);
  } else {
    return false;
  }
  return true;
}

const std::string& SettingsOptionsHelp() {
  static const std::string help =
      "Einstellungen des Albums:\n"
      "  --columns N                Bilder nebeneinander (1 bis 100)\n"
      "  --rows N                   Bilder untereinander (1 bis 100)\n"
      "  --copies N                 jedes Bild N-mal (1 bis 100)\n"
      "  --page-size BxH            Seitenbreite und -höhe in mm (1 bis 10000), z. B. 210x297\n"
      "  --margins X,Y              Seitenrand links/rechts und oben/unten in mm (0 bis 100)\n"
      "  --spacing H,V              Abstand horizontal und vertikal in mm (0 bis 100)\n"
      "                             (mit Dezimalkomma die Werte durch „;“ trennen: 12,5;10)\n"
      "  --no-texts                 keine Texte zu den Fotos\n"
      "  --no-heading               keine Überschrift\n"
      "  --heading-first-page-only  Überschrift nur auf der ersten Seite\n"
      "  --no-page-numbers          keine Seitennummern\n"
      "  --zoom-in                  Fotos maximal vergrößern\n"
      "  --frame                    Rahmen um Bilder\n"
      "  --frame-colour RRGGBB      Rahmenfarbe, z. B. 000000 für Schwarz\n"
      "  --background RRGGBB        Hintergrundfarbe\n"
      "  --no-default-texts         neue Fotos ohne Dateinamen als Vorgabetext\n"
      "  --with-path                Vorgabetext mit Pfad\n"
      "  --dpi original|300|150|N   Bildauflösung: Fotos mit mehr Pixeln je Zoll ihrer Größe auf\n"
      "                             der Seite werden verkleinert (N von 50 bis 2400); Vorgabe\n"
      "                             original: alle Pixel\n"
      "  --keep-jpeg                JPEG-Fotos unverändert übernehmen, wo keine Verkleinerung\n"
      "                             nötig ist\n"
      "  --bleed MM                 Beschnittzugabe in mm (0 bis 10) auf jeder Seite der Seite,\n"
      "                             für die Druckerei; Fotos am Seitenrand reichen hinein\n"
      "  --pdfa [2b|1b|none]        PDF/A (Archiv): PDF/A-2b, mit 1b PDF/A-1b, none: kein PDF/A;\n"
      "                             alle Schriften werden eingebettet\n"
      "  --layout raster|auto       Seitenaufteilung: raster jede Seite im gleichen Raster (Vorgabe),\n"
      "                             auto jede Seite für ihre Fotos aufgeteilt\n"
      "  --photos-per-page N        Fotos je Seite bei auto (1 bis 12, Vorgabe 4)\n"
      "  --crop-budget PROZENT      Beschnitt höchstens bei auto, in Prozent der Fotofläche (0 bis 50,\n"
      "                             Vorgabe 10; 0: nie beschneiden)\n";
  return help;
}
