#include "export/PageDrawing.h"

#include <algorithm>
#include <climits>

#include "export/ColorResolve.h"
#include "pdf/TextPlacement.h"

TPDFFont PdfFontFor(const TFontSpec& Font) {
  TPDFFont f;
  f.Name = Font.Name;
  f.Size = FontPoints(Font);
  f.Style = 0;
  if (Font.Style & KFontBold) f.Style |= fsBold;
  if (Font.Style & KFontItalic) f.Style |= fsItalic;
  if (Font.Style & KFontUnderline) f.Style |= fsUnderline;
  if (Font.Style & KFontStrikeOut) f.Style |= fsStrikeOut;
  f.Color = ResolveColor(Font.Color);
  return f;
}

void EmbedLayoutFonts(TDrawingSurface& Surface, const TLayoutSettings& Settings, TFontEmbedding Embedding) {
  for (const auto& [embed, font] :
       {std::pair{Embedding.Heading, &Settings.HeadingFont}, std::pair{Embedding.Text, &Settings.TextFont}})
    if (embed) Surface.EmbedFont(font->Name, PdfFontFor(*font).Style);
}

namespace {

// One line of text in Canvas.Font, with the underline and the line through it that the font's style
// asks for: bars in the text's colour, as long as the text is wide, one twentieth of the size thick
// (at least a unit), the underline a tenth of the size below the baseline, the line through it three
// tenths above.
void DrawTextLine(TDrawingSurface& Canvas, int32_t X, int32_t Y, std::string_view Text) {
  Canvas.TextOut(X, Y, Text);
  if (!(Canvas.Font.Style & (fsUnderline | fsStrikeOut)) || Text.empty()) return;
  const int64_t size = TextFontSize(Canvas.Font.Size);
  const int64_t width = Canvas.TextWidth(Text);
  if (width <= 0) return;
  const int64_t baseline = int64_t{Y} + Canvas.TextLineHeight();  // the row below the baseline
  const int64_t thickness = std::max<int64_t>(1, (size + 10) / 20);
  const TPen pen = Canvas.Pen;
  const TBrush brush = Canvas.Brush;
  Canvas.Pen.Style = psClear;
  Canvas.Brush.Style = bsSolid;
  Canvas.Brush.Color = Canvas.Font.Color;
  const auto bar = [&](int64_t Top) {
    const auto clamp = [](int64_t V) { return static_cast<int32_t>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); };
    Canvas.Rectangle(clamp(X), clamp(Top), clamp(int64_t{X} + width), clamp(Top + thickness));
  };
  if (Canvas.Font.Style & fsUnderline) bar(baseline + std::max<int64_t>(1, size / 10));
  if (Canvas.Font.Style & fsStrikeOut) bar(baseline - (size * 3 + 5) / 10 - thickness / 2);
  Canvas.Pen = pen;
  Canvas.Brush = brush;
}

}  // namespace

void DrawPageStart(TDrawingSurface& Canvas, const TLayoutSettings& Settings, const TPageDecorations& Decorations) {
  Canvas.SetLineCap(2);
  if (Decorations.Background) {
    Canvas.Brush.Color = Decorations.BackgroundColor;
    Canvas.Brush.Style = bsSolid;
    Canvas.Pen.Color = Decorations.BackgroundColor;
    Canvas.Rectangle(0, 0, Canvas.PageWidth, Canvas.PageHeight);
  }
  const auto heading = [&] {
    if (!Decorations.Heading) return;
    Canvas.Font = PdfFontFor(Settings.HeadingFont);
    DrawTextLine(Canvas, Decorations.HeadingText.X, Decorations.HeadingText.Y, Decorations.HeadingText.Text);
  };
  const auto number = [&] {
    if (!Decorations.PageNumber) return;
    Canvas.Font = PdfFontFor(Settings.TextFont);
    DrawTextLine(Canvas, Decorations.NumberText.X, Decorations.NumberText.Y, Decorations.NumberText.Text);
  };
  if (Decorations.NumberFirst) {
    number();
    heading();
  } else {
    heading();
    number();
  }
}

TPlacedImage DrawPicturePlacement(TDrawingSurface& Canvas, const TLayoutSettings& Settings,
                                  const TPicturePlacement& Placement, const TPictureSource& Picture) {
  const TPicturePlacement& p = Placement;
  TPlacedImage placed;
  const auto frame = [&] {
    Canvas.Pen.Color = p.FrameColor;
    Canvas.Pen.Width = p.FramePen;
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(p.FrameBox.X1, p.FrameBox.Y1, p.FrameBox.X2, p.FrameBox.Y2);
    Canvas.Brush.Style = bsSolid;
  };
  if (p.DrawPicture) {
    if (p.Clip) Canvas.BeginClip(p.ClipX1, p.ClipY1, p.ClipX2, p.ClipY2);
    placed = Canvas.PlacePicture(p.X, p.Y, p.Width, p.Height, Picture);
    if (p.Frame && p.FrameClipped) frame();
    if (p.Clip) Canvas.EndClip();
    if (p.Frame && !p.FrameClipped) frame();
  }
  if (p.Lines.empty()) return placed;
  Canvas.Font = PdfFontFor(Settings.TextFont);
  for (size_t k = p.Lines.size(); k-- > 0;)
    if (!p.Lines[k].Text.empty()) DrawTextLine(Canvas, p.Lines[k].X, p.Lines[k].Y, p.Lines[k].Text);
  return placed;
}
