#include "export/PageDrawing.h"

#include "export/ColorResolve.h"

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
    Canvas.TextOut(Decorations.HeadingText.X, Decorations.HeadingText.Y, Decorations.HeadingText.Text);
  };
  const auto number = [&] {
    if (!Decorations.PageNumber) return;
    Canvas.Font = PdfFontFor(Settings.TextFont);
    Canvas.TextOut(Decorations.NumberText.X, Decorations.NumberText.Y, Decorations.NumberText.Text);
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
    if (!p.Lines[k].Text.empty()) Canvas.TextOut(p.Lines[k].X, p.Lines[k].Y, p.Lines[k].Text);
  return placed;
}
