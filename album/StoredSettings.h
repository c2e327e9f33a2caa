#pragma once
// The layout settings kept per user between runs, in the settings store's section "TMainForm": the frame
// (RahmenCheck, RahmenBreiteEd, Shape2), the page background (Shape1), both fonts and ShowPDFCheck.
//
// Each value is named after its control and property, a font or brush with the sub-property run on:
//
//   RahmenCheck_Checked      True | False
//   RahmenBreiteEd_Value     whole number, brought inside 1 to 100 as the field does
//   Shape1_BrushColor        colour: "$" and eight hexadecimal digits of 0x00BBGGRR ($00FFFFFF white;
//   Shape1_BrushStyle          $80000008 the system's window-text colour); always bsSolid
//   Shape2_BrushColor, Shape2_BrushStyle
//   FontDialog1_FontCharset  Windows character-set number
//   FontDialog1_FontColor    colour as above
//   FontDialog1_FontHeight   pixels at the window's resolution, negative for a character height
//   FontDialog1_FontName     face name
//   FontDialog1_FontPitch    fpDefault | fpVariable | fpFixed
//   FontDialog1_FontSize     points
//   FontDialog1_FontStyle    a set of fsBold, fsItalic, fsUnderline, fsStrikeOut: "[fsBold,fsItalic]", "[]"
//   FontDialog3_Font...      the text font, likewise
//   ShowPDFCheck_Checked     True | False
//
// Reading takes each value on its own: a missing value, or one that cannot be read (not a number, a
// number outside what its control holds, an unknown name), leaves that setting as it is and disturbs no
// other. A font's size is read after its height and wins over it, as the size is what the user chose.

#include "album/LayoutSettings.h"
#include "platform/SettingsStore.h"

inline constexpr const char* KMainFormSection = "TMainForm";

void WriteStoredSettings(TSettingsStore& Store, const TLayoutSettings& Settings);
void ReadStoredSettings(TSettingsStore& Store, TLayoutSettings& Settings);
