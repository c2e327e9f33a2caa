#include "pdf/DrawingSurface.h"

namespace {

// Underline and strike-out are drawn, not part of the face: only bold and italic tell faces apart.
bool SameFace(std::string_view Name, TFontStyles Style, const std::pair<std::string, TFontStyles>& Font) {
  return Font.first == Name && (Font.second & (fsBold | fsItalic)) == (Style & (fsBold | fsItalic));
}

}  // namespace

void TDrawingSurface::EmbedFont(std::string_view Name, TFontStyles Style) {
  for (const auto& font : FEmbedRequests)
    if (SameFace(Name, Style, font)) return;
  FEmbedRequests.emplace_back(std::string(Name), Style);
}

bool TDrawingSurface::EmbedsFont(const TPDFFont& Font) const {
  for (const auto& font : FEmbedRequests)
    if (SameFace(Font.Name, Font.Style, font)) return true;
  return false;
}
