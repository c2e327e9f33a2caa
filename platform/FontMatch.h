#pragma once
// Which font file fontconfig gives for a face name and style, substitutes included. The measuring
// fonts and the text shaper both ask here, so that a name always means the same face.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FontMetrics.h"

typedef struct _FcConfig FcConfig;
typedef struct _FcPattern FcPattern;

struct TFontFile {
  std::string Path;   // empty when fontconfig found nothing
  int32_t Index = 0;  // face number inside a collection
};

// The pattern for Name (UTF-8) in Style (only fsBold and fsItalic count), with fontconfig's
// substitutions applied; the caller destroys it with FcPatternDestroy. nullptr when out of memory.
FcPattern* FontPattern(FcConfig* Config, std::string_view Name, TFontStyles Style);

// The best match for Name and Style; an empty Path when there is none.
TFontFile MatchFontFile(FcConfig* Config, std::string_view Name, TFontStyles Style);
