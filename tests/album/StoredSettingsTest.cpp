// The per-user part of the layout settings in the settings store: value names and texts, and that a
// damaged value disturbs nothing else.
#include <gtest/gtest.h>

#include "album/StoredSettings.h"

namespace {

std::string Stored(TMemorySettingsStore& Store, const char* Name) {
  std::string value;
  EXPECT_TRUE(Store.Read(KMainFormSection, Name, value)) << Name;
  return value;
}

TEST(StoredSettings, ValueNamesAndTextsOfAFirstStart) {
  TMemorySettingsStore store;
  WriteStoredSettings(store, FirstStartSettings());
  EXPECT_EQ(Stored(store, "RahmenCheck_Checked"), "False");
  EXPECT_EQ(Stored(store, "RahmenBreiteEd_Value"), "10");
  EXPECT_EQ(Stored(store, "Shape1_BrushColor"), "$00FFFFFF");
  EXPECT_EQ(Stored(store, "Shape2_BrushStyle"), "bsSolid");
  EXPECT_EQ(Stored(store, "FontDialog1_FontName"), "Arial Black");
  EXPECT_EQ(Stored(store, "FontDialog1_FontHeight"), "-21");
  EXPECT_EQ(Stored(store, "FontDialog1_FontSize"), "16");
  EXPECT_EQ(Stored(store, "FontDialog1_FontStyle"), "[]");
  EXPECT_EQ(Stored(store, "FontDialog1_FontPitch"), "fpDefault");
  EXPECT_EQ(Stored(store, "FontDialog3_FontCharset"), "0");
  EXPECT_EQ(Stored(store, "FontDialog3_FontColor"), "$80000008");  // the window-text colour
  EXPECT_EQ(Stored(store, "ShowPDFCheck_Checked"), "True");
  EXPECT_EQ(store.Values.size(), 21u);  // nothing else: not the album name, not the grid
}

TEST(StoredSettings, RoundTripTouchesOnlyTheStoredSettings) {
  TLayoutSettings changed = FirstStartSettings();
  changed.RahmenCheck = true;
  changed.RahmenBreiteEd = 37;
  changed.Shape1 = 0x00102030;
  changed.Shape2 = 0x80000005;
  changed.HeadingFont.Name = "DejaVu Serif";
  changed.HeadingFont.Style = KFontBold | KFontStrikeOut;
  changed.HeadingFont.Pitch = 1;
  SetFontSize(changed.TextFont, 14);
  changed.TextFont.Charset = 238;
  changed.ShowPDFCheck = false;
  changed.CountXEd = 7;  // not stored per user
  changed.CapED = "Hochzeit";
  TMemorySettingsStore store;
  WriteStoredSettings(store, changed);

  TLayoutSettings read = FirstStartSettings();
  ReadStoredSettings(store, read);
  TLayoutSettings expected = changed;
  expected.CountXEd = 2;
  expected.CapED = "Familienfotos";
  EXPECT_TRUE(read == expected);
}

TEST(StoredSettings, ADamagedValueLeavesOnlyItsOwnSetting) {
  TMemorySettingsStore store;
  const std::pair<const char*, const char*> values[] = {
      {"RahmenCheck_Checked", "ja"},                 // unreadable: unchanged
      {"Shape1_BrushColor", "$12FFFFFF"},            // neither a plain nor a system colour
      {"FontDialog1_FontSize", "0"},                 // no font has 0 points
      {"FontDialog1_FontStyle", "[fsBold,fsFett]"},  // an unknown style
      {"FontDialog1_FontPitch", "fpWide"},
      {"FontDialog1_FontName", "  "},
      {"FontDialog3_FontHeight", "1e3"},
      {"RahmenBreiteEd_Value", "500"},  // a number: brought inside 1..100
      {"FontDialog3_FontStyle", "[ fsItalic , fsStrikeOut ]"},
      {"Shape2_BrushColor", "0x0000FF00"},
      {"ShowPDFCheck_Checked", "false"},
  };
  for (const auto& [name, text] : values) store.Write(KMainFormSection, name, text);
  TLayoutSettings read = FirstStartSettings();
  ReadStoredSettings(store, read);

  const TLayoutSettings start = FirstStartSettings();
  EXPECT_EQ(read.RahmenCheck, start.RahmenCheck);
  EXPECT_EQ(read.Shape1, start.Shape1);
  EXPECT_TRUE(read.HeadingFont == start.HeadingFont);
  EXPECT_EQ(read.TextFont.Height, start.TextFont.Height);
  EXPECT_EQ(read.RahmenBreiteEd, 100);
  EXPECT_EQ(read.TextFont.Style, KFontItalic | KFontStrikeOut);
  EXPECT_EQ(read.Shape2, 0x0000FF00u);
  EXPECT_FALSE(read.ShowPDFCheck);
}

TEST(StoredSettings, SizeIsReadAfterHeightAndWins) {
  TMemorySettingsStore store;
  store.Write(KMainFormSection, "FontDialog3_FontHeight", "-40");
  store.Write(KMainFormSection, "FontDialog3_FontSize", "12");
  TLayoutSettings read = FirstStartSettings();
  ReadStoredSettings(store, read);
  EXPECT_EQ(read.TextFont.Size, 12);
  EXPECT_EQ(read.TextFont.Height, -16);
}

}  // namespace
