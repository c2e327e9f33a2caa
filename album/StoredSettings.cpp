#include "album/StoredSettings.h"

#include <charconv>
#include <cstdio>

namespace {

// Font sizes beyond this many points are taken for damage, not for a choice.
constexpr int32_t KLargestFontSize = 10000;

std::string_view Trim(std::string_view Text) {
  while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t')) Text.remove_prefix(1);
  while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t')) Text.remove_suffix(1);
  return Text;
}

bool SameLetters(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(A[i]) != lower(B[i])) return false;
  }
  return true;
}

template <typename T>
bool ParseNumber(std::string_view Text, T& Value, int Base = 10) {
  Text = Trim(Text);
  if (Text.empty()) return false;
  T parsed{};
  const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), parsed, Base);
  if (ec != std::errc() || end != Text.data() + Text.size()) return false;
  Value = parsed;
  return true;
}

std::string BoolText(bool Value) { return Value ? "True" : "False"; }

bool ParseBool(std::string_view Text, bool& Value) {
  Text = Trim(Text);
  if (SameLetters(Text, "True") || Text == "1") {
    Value = true;
    return true;
  }
  if (SameLetters(Text, "False") || Text == "0") {
    Value = false;
    return true;
  }
  return false;
}

std::string ColorText(uint32_t Color) {
  char text[16];
  std::snprintf(text, sizeof text, "$%08X", Color);
  return text;
}

// "$" or "0x" and hexadecimal digits, or a decimal number; a plain colour or a system colour.
bool ParseColor(std::string_view Text, uint32_t& Color) {
  Text = Trim(Text);
  uint32_t value = 0;
  bool ok;
  if (!Text.empty() && Text.front() == '$')
    ok = ParseNumber(Text.substr(1), value, 16);
  else if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X'))
    ok = ParseNumber(Text.substr(2), value, 16);
  else
    ok = ParseNumber(Text, value);
  if (!ok || ((value >> 24) != 0 && (value >> 24) != 0x80)) return false;
  Color = value;
  return true;
}

const std::pair<uint8_t, const char*> KStyleNames[] = {{KFontBold, "fsBold"},
                                                       {KFontItalic, "fsItalic"},
                                                       {KFontUnderline, "fsUnderline"},
                                                       {KFontStrikeOut, "fsStrikeOut"}};

std::string StyleText(uint8_t Style) {
  std::string text = "[";
  for (const auto& [bit, name] : KStyleNames) {
    if (!(Style & bit)) continue;
    if (text.size() > 1) text += ',';
    text += name;
  }
  return text + "]";
}

bool ParseStyle(std::string_view Text, uint8_t& Style) {
  Text = Trim(Text);
  if (Text.size() < 2 || Text.front() != '[' || Text.back() != ']') return false;
  Text = Text.substr(1, Text.size() - 2);
  uint8_t style = 0;
  while (!Trim(Text).empty()) {
    const size_t comma = Text.find(',');
    const std::string_view name = Trim(Text.substr(0, comma));
    Text = comma == std::string_view::npos ? std::string_view() : Text.substr(comma + 1);
    bool known = false;
    for (const auto& [bit, styleName] : KStyleNames)
      if (SameLetters(name, styleName)) {
        style |= bit;
        known = true;
      }
    if (!known) return false;
  }
  Style = style;
  return true;
}

const char* const KPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};

bool ParsePitch(std::string_view Text, uint8_t& Pitch) {
  Text = Trim(Text);
  for (uint8_t i = 0; i < 3; ++i)
    if (SameLetters(Text, KPitchNames[i])) {
      Pitch = i;
      return true;
    }
  return false;
}

// Reads one value and hands its text to Apply, which returns false for text it cannot use.
class TReader {
 public:
  explicit TReader(TSettingsStore& Store) : FStore(Store) {}
  template <typename TApply>
  void operator()(const std::string& Name, TApply Apply) {
    std::string text;
    if (FStore.Read(KMainFormSection, Name, text)) Apply(std::string_view(text));
  }

 private:
  TSettingsStore& FStore;
};

void WriteFont(TSettingsStore& Store, const std::string& Prefix, const TFontSpec& Font) {
  Store.Write(KMainFormSection, Prefix + "Charset", std::to_string(Font.Charset));
  Store.Write(KMainFormSection, Prefix + "Color", ColorText(Font.Color));
  Store.Write(KMainFormSection, Prefix + "Height", std::to_string(Font.Height));
  Store.Write(KMainFormSection, Prefix + "Name", Font.Name);
  Store.Write(KMainFormSection, Prefix + "Pitch", KPitchNames[Font.Pitch <= 2 ? Font.Pitch : 0]);
  Store.Write(KMainFormSection, Prefix + "Size", std::to_string(Font.Size));
  Store.Write(KMainFormSection, Prefix + "Style", StyleText(Font.Style));
}

void ReadFont(TReader& Read, const std::string& Prefix, TFontSpec& Font) {
  Read(Prefix + "Charset", [&](std::string_view t) {
    unsigned value = 0;
    if (ParseNumber(t, value) && value <= 255) Font.Charset = static_cast<uint8_t>(value);
  });
  Read(Prefix + "Color", [&](std::string_view t) { ParseColor(t, Font.Color); });
  Read(Prefix + "Height", [&](std::string_view t) {
    int32_t height = 0;
    const int32_t largest = FontHeightFromSize(KLargestFontSize, Font.PixelsPerInch);  // negative
    if (ParseNumber(t, height) && height != 0 && height >= largest && height <= -largest)
      SetFontHeight(Font, height);
  });
  Read(Prefix + "Name", [&](std::string_view t) {
    if (!Trim(t).empty()) Font.Name = std::string(t);
  });
  Read(Prefix + "Pitch", [&](std::string_view t) { ParsePitch(t, Font.Pitch); });
  Read(Prefix + "Size", [&](std::string_view t) {
    int32_t size = 0;
    if (ParseNumber(t, size) && size >= 1 && size <= KLargestFontSize) SetFontSize(Font, size);
  });
  Read(Prefix + "Style", [&](std::string_view t) { ParseStyle(t, Font.Style); });
}

void WriteBrush(TSettingsStore& Store, const std::string& Prefix, uint32_t Color) {
  Store.Write(KMainFormSection, Prefix + "Color", ColorText(Color));
  Store.Write(KMainFormSection, Prefix + "Style", "bsSolid");
}

}  // namespace

void WriteStoredSettings(TSettingsStore& Store, const TLayoutSettings& Settings) {
  Store.Write(KMainFormSection, "RahmenCheck_Checked", BoolText(Settings.RahmenCheck));
  Store.Write(KMainFormSection, "RahmenBreiteEd_Value", std::to_string(Settings.RahmenBreiteEd));
  WriteBrush(Store, "Shape1_Brush", Settings.Shape1);
  WriteBrush(Store, "Shape2_Brush", Settings.Shape2);
  WriteFont(Store, "FontDialog1_Font", Settings.HeadingFont);
  WriteFont(Store, "FontDialog3_Font", Settings.TextFont);
  Store.Write(KMainFormSection, "ShowPDFCheck_Checked", BoolText(Settings.ShowPDFCheck));
}

void ReadStoredSettings(TSettingsStore& Store, TLayoutSettings& Settings) {
  TReader read(Store);
  read("RahmenCheck_Checked", [&](std::string_view t) { ParseBool(t, Settings.RahmenCheck); });
  read("RahmenBreiteEd_Value", [&](std::string_view t) {
    // Like the field itself, a number outside its limits becomes the nearest limit.
    int64_t width = 0;
    if (ParseNumber(t, width))
      Settings.RahmenBreiteEd = ClampWhole(static_cast<double>(width), KFrameWidthLimits);
  });
  read("Shape1_BrushColor", [&](std::string_view t) { ParseColor(t, Settings.Shape1); });
  read("Shape2_BrushColor", [&](std::string_view t) { ParseColor(t, Settings.Shape2); });
  ReadFont(read, "FontDialog1_Font", Settings.HeadingFont);
  ReadFont(read, "FontDialog3_Font", Settings.TextFont);
  read("ShowPDFCheck_Checked", [&](std::string_view t) { ParseBool(t, Settings.ShowPDFCheck); });
}
