#include "platform/FontMatch.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>

FcPattern* FontPattern(FcConfig* Config, std::string_view Name, TFontStyles Style) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  const std::string name(Name);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, (Style & fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, (Style & fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(Config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

TFontFile MatchFontFile(FcConfig* Config, std::string_view Name, TFontStyles Style) {
  TFontFile found;
  std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FontPattern(Config, Name, Style),
                                                                  FcPatternDestroy);
  if (!pattern) return found;
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(FcFontMatch(Config, pattern.get(), &result),
                                                                FcPatternDestroy);
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return found;
  int index = 0;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  found.Path = reinterpret_cast<const char*>(file);
  found.Index = index;
  return found;
}
