#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "album/LayoutSettings.h"
#include "platform/Dialogs.h"

namespace {

TEST(LayoutSettings, FirstStartDefaults) {
  const TLayoutSettings s = FirstStartSettings();
  EXPECT_EQ(s.CountXEd, 2);
  EXPECT_EQ(s.CountYEd, 3);
  EXPECT_EQ(s.XMalEd, 1);
  EXPECT_EQ(s.RandXEd, 15);
  EXPECT_EQ(s.SpaceVEd, 5);
  EXPECT_EQ(s.PageWidthEd, 210);
  EXPECT_EQ(s.PageHeightEd, 297);
  EXPECT_EQ(s.RahmenBreiteEd, 10);
  EXPECT_EQ(s.Shape1, 0x00FFFFFFu);
  EXPECT_EQ(s.Shape2, 0x00FFFFFFu);
  EXPECT_EQ(s.CapED, "Familienfotos");
  EXPECT_TRUE(s.TextCheck && s.CaptionCheck && s.CaptionOnAllPages && s.PageNrCheck && s.ShowPDFCheck &&
              s.FilenamesCheck);
  EXPECT_FALSE(s.PathCheck || s.SeparateCheck || s.RahmenCheck || s.ZoomInFotosCheck);
  EXPECT_EQ(s.HeadingFont.Name, "Arial Black");
  EXPECT_EQ(s.HeadingFont.Height, -21);
  EXPECT_EQ(s.HeadingFont.Size, 16);
  EXPECT_EQ(s.TextFont.Name, "Arial");
  EXPECT_EQ(s.TextFont.Height, -13);
  EXPECT_EQ(s.TextFont.Size, 10);
  EXPECT_EQ(s.TextFont.Color, 0x80000008u);  // a system colour, kept unresolved
  EXPECT_TRUE(IsSystemColor(s.TextFont.Color));
}

TEST(LayoutSettings, NewAlbumResetsExactlyItsListAndGetsThreeColumns) {
  TLayoutSettings s;
  s.TextCheck = s.CaptionCheck = s.ShowPDFCheck = s.PageNrCheck = false;
  s.RandXEd = s.RandYEd = s.SpaceHED = s.SpaceVEd = 42;
  s.CountXEd = s.CountYEd = 7;
  s.HeadingFont.Name = s.TextFont.Name = "Courier";
  // Everything New must leave alone:
  s.CapED = "Urlaub";
  s.CaptionOnAllPages = s.FilenamesCheck = false;
  s.PathCheck = s.ZoomInFotosCheck = s.SeparateCheck = s.RahmenCheck = true;
  s.PageWidthEd = 100;
  s.PageHeightEd = 150;
  s.XMalEd = 4;
  s.Shape1 = 0x123456;
  s.Shape2 = 0x654321;
  s.RahmenBreiteEd = 33;
  TLayoutSettings expected = s;
  ResetForNewAlbum(s);

  expected.TextCheck = expected.CaptionCheck = expected.ShowPDFCheck = expected.PageNrCheck = true;
  expected.RandXEd = expected.RandYEd = 15;
  expected.SpaceHED = expected.SpaceVEd = 5;
  expected.CountXEd = expected.CountYEd = 3;
  expected.HeadingFont = DefaultHeadingFont();
  expected.TextFont = DefaultTextFont();
  EXPECT_EQ(s, expected);
}

TEST(LayoutSettings, FontSizeAndHeightConversions) {
  struct {
    int32_t Height, Ppi, Size;
  } rows[] = {
      {-13, 96, 10},   // 9.75 rounds up
      {-21, 96, 16},   // 15.75
      {-16, 96, 12},   // exact
      {-20, 120, 12},  // another screen resolution
      {13, 96, -10},   // a cell height gives a negative size
      {-13, 0, 0},     // no resolution: no size rather than a division by zero
  };
  for (const auto& r : rows)
    EXPECT_EQ(FontSizeFromHeight(r.Height, r.Ppi), r.Size) << r.Height << "@" << r.Ppi;
  EXPECT_EQ(FontHeightFromSize(10, 96), -13);  // -13.33
  EXPECT_EQ(FontHeightFromSize(16, 96), -21);  // -21.33
  EXPECT_EQ(FontHeightFromSize(9, 96), -12);   // exactly -12
  // Huge stored sizes stop at the 32-bit range instead of overflowing.
  EXPECT_EQ(FontHeightFromSize(std::numeric_limits<int32_t>::max(), 96), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(FontSizeFromHeight(std::numeric_limits<int32_t>::min(), 1), std::numeric_limits<int32_t>::max());
}

TEST(LayoutSettings, AssignFontKeepsTargetResolution) {
  TFontSpec target = DefaultTextFont();
  TFontSpec source;
  source.Name = "Times";
  source.PixelsPerInch = 300;
  source.Size = 12;
  source.Style = KFontBold | KFontItalic;
  source.Color = 0x0000FF;
  AssignFont(target, source);
  EXPECT_EQ(target.Name, "Times");
  EXPECT_EQ(target.PixelsPerInch, 96);
  EXPECT_EQ(target.Size, 12);
  EXPECT_EQ(target.Height, -16);
  EXPECT_EQ(target.Style, KFontBold | KFontItalic);
  EXPECT_EQ(target.Color, 0x0000FFu);
}

TEST(LayoutSettings, ClampingToNearestLimit) {
  EXPECT_EQ(ClampDecimal(250, KMarginLimits), 100);
  EXPECT_EQ(ClampDecimal(-1, KMarginLimits), 0);
  EXPECT_EQ(ClampDecimal(0, KPageSizeLimits), 1);
  EXPECT_EQ(ClampDecimal(12.5, KMarginLimits), 12.5);  // decimals stay decimals
  EXPECT_EQ(ClampDecimal(std::nan(""), KPageSizeLimits), 1);
  EXPECT_EQ(ClampDecimal(std::numeric_limits<double>::infinity(), KPageSizeLimits), 10000);
  EXPECT_EQ(ClampWhole(2.5, KCountLimits), 2);  // halves to even
  EXPECT_EQ(ClampWhole(3.5, KCountLimits), 4);
  EXPECT_EQ(ClampWhole(0.4, KCountLimits), 1);
  EXPECT_EQ(ClampWhole(1e300, KCountLimits), 100);
  EXPECT_EQ(ClampWhole(-1e300, KFrameWidthLimits), 1);
  EXPECT_EQ(ClampWhole(std::nan(""), KCountLimits), 1);

  TLayoutSettings s;
  s.CountXEd = 0;
  s.CountYEd = 1000;
  s.RahmenBreiteEd = -5;
  s.PageHeightEd = 20000;
  ClampAll(s);
  EXPECT_EQ(s.CountXEd, 1);
  EXPECT_EQ(s.CountYEd, 100);
  EXPECT_EQ(s.RahmenBreiteEd, 1);
  EXPECT_EQ(s.PageHeightEd, 10000);
}

TEST(LayoutSettings, FieldTextUnreadableCountsAsMinimum) {
  EXPECT_EQ(ReadDecimalField("12,5", KMarginLimits), 12.5);  // German decimal comma
  EXPECT_EQ(ReadDecimalField(" 12.5 ", KMarginLimits), 12.5);
  EXPECT_EQ(ReadDecimalField("+7", KMarginLimits), 7);
  EXPECT_EQ(ReadDecimalField("abc", KPageSizeLimits), 1);
  EXPECT_EQ(ReadDecimalField("", KMarginLimits), 0);
  EXPECT_EQ(ReadDecimalField("inf", KPageSizeLimits), 1);  // not a number a field accepts
  EXPECT_EQ(ReadDecimalField("nan", KPageSizeLimits), 1);
  EXPECT_EQ(ReadDecimalField("12,5,3", KMarginLimits), 0);
  EXPECT_EQ(ReadDecimalField("1e9", KPageSizeLimits), 10000);
  EXPECT_EQ(ReadWholeField("", KCountLimits), 1);  // so a grid never has 0 columns
  EXPECT_EQ(ReadWholeField("x3", KCountLimits), 1);
  EXPECT_EQ(ReadWholeField("250", KCountLimits), 100);
  EXPECT_EQ(ReadWholeField("4,6", KCountLimits), 5);
}

TEST(LayoutSettings, DecimalFieldTextReadsBackExactly) {
  EXPECT_EQ(DecimalFieldText(12.5, ','), "12,5");
  EXPECT_EQ(DecimalFieldText(210, ','), "210");
  EXPECT_EQ(DecimalFieldText(0.1, '.'), "0.1");
  EXPECT_EQ(DecimalFieldText(1e-7, ','), "0,0000001") << "never an exponent";
  for (double v : {15.239999999999998, 1.0 / 3, 9999.99}) {
    double back = 0;
    ASSERT_TRUE(ParseDecimal(DecimalFieldText(v, ','), back));
    EXPECT_EQ(back, v);
  }
}

TEST(LayoutSettings, FontDialogChoiceKeepsWhatTheDialogDoesNotShow) {
  TFontSpec font = DefaultHeadingFont();
  font.Charset = 238;
  font.Pitch = 2;
  font.PixelsPerInch = 120;
  TFontChoice choice = FontChoiceOf(font);
  EXPECT_EQ(choice.Name, "Arial Black");
  EXPECT_EQ(choice.Size, font.Size);
  choice.Name = "DejaVu Serif";
  choice.Size = 12;
  choice.Style = fsItalic | fsStrikeOut;
  choice.Color = 0x000000FF;
  ApplyFontChoice(font, choice);
  EXPECT_EQ(font.Height, -20);  // 12 points at 120 pixels per inch
  EXPECT_EQ(font.Charset, 238);
  EXPECT_EQ(font.Pitch, 2);
  EXPECT_EQ(font.Color, 0x000000FFu);
  EXPECT_EQ(FontDescription(font), "DejaVu Serif, 12 pt, kursiv, durchgestrichen");
}

}  // namespace

// A bleed outside 0 to 10 mm, or a page that with it would be larger than 10000 mm, cannot be written.
TEST(LayoutSettings, PrintSettingsErrors) {
  struct {
    double Width, Height, Bleed;
    const char* Error;  // a part of the message; nullptr: none
  } rows[] = {
      {210, 297, 0, nullptr},
      {210, 297, 10, nullptr},
      {9980, 297, 10, nullptr},  // exactly 10000 mm with the bleed
      {210, 297, 10.5, "Die Beschnittzugabe von 10,5 mm liegt nicht zwischen 0 und 10 mm."},
      {210, 297, -1, "Die Beschnittzugabe von -1 mm"},
      {9995, 297, 3, "wäre die Seite 10001 mm breit"},
      {210, 9999.5, 0.5, "wäre die Seite 10000,5 mm hoch"},
  };
  for (const auto& row : rows) {
    TLayoutSettings s;
    s.PageWidthEd = row.Width;
    s.PageHeightEd = row.Height;
    s.Bleed = row.Bleed;
    const std::string error = PrintSettingsError(s);
    if (!row.Error)
      EXPECT_EQ(error, "") << row.Width << " " << row.Bleed;
    else
      EXPECT_NE(error.find(row.Error), std::string::npos) << error;
  }
}
