// Texts from templates and the texts new photos get. Expected texts are written out by hand.
#include <gtest/gtest.h>

#include "album/TextTemplate.h"

TEST(TextTemplate, FieldsAndWhatIsNoField) {
  TDateTaken taken;
  taken.Known = true;
  taken.Year = 2026, taken.Month = 12, taken.Day = 7, taken.Hour = 14, taken.Minute = 5;
  const TDateTaken unknown;
  const std::string path = "/home/anna/Urlaub 2026/IMG_0042.JPG";
  struct {
    const char* Template;
    const TDateTaken& Date;
    const char* Path;
    const char* Expected;
  } rows[] = {
      {"{Datum}: {Name}", taken, path.c_str(), "7. Dezember 2026: IMG_0042"},
      {"{Dateiname} in {Ordner}", taken, path.c_str(), "IMG_0042.JPG in Urlaub 2026"},
      {"{Uhrzeit} Uhr", taken, path.c_str(), "14:05 Uhr"},
      {"{Datum}|{Uhrzeit}", unknown, path.c_str(), "|"},  // a file without any date
      {"{Foto} {Name}", taken, path.c_str(), "{Foto} IMG_0042"},
      {"{ {Name}}", taken, path.c_str(), "{ IMG_0042}"},
      {"{Datum", taken, path.c_str(), "{Datum"},
      {"{Name}", taken, "/x/.versteckt", ".versteckt"},  // a leading dot starts no extension
      {"{Name} {Ordner}", taken, "bild.tar.gz", "bild.tar "},
      {"ohne Felder", taken, path.c_str(), "ohne Felder"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(FillTextTemplate(r.Template, r.Path, r.Date), r.Expected) << r.Template;
  EXPECT_EQ(GermanLongDate(2024, 3, 1), "1. März 2024");
  EXPECT_TRUE(TemplateNeedsDate("am {Uhrzeit}"));
  EXPECT_FALSE(TemplateNeedsDate("{Name} {Ordner}"));
}

// The template, when there is one, decides; otherwise "Dateinamen als Vorgabetext" and "Mit Pfad".
// A text the program could have made is not one a user typed.
TEST(TextTemplate, NewPhotoTextsAndTypedTexts) {
  TLayoutSettings settings;
  const std::string path = "/fotos/sommer/b.jpg";
  EXPECT_EQ(NewPhotoText(settings, path), std::optional<std::string>("b.jpg"));
  settings.PathCheck = true;
  EXPECT_EQ(NewPhotoText(settings, path), std::optional<std::string>(path));
  settings.FilenamesCheck = false;
  EXPECT_EQ(NewPhotoText(settings, path), std::nullopt);
  settings.TextTemplate = "{Ordner}: {Name}";
  EXPECT_EQ(NewPhotoText(settings, path), std::optional<std::string>("sommer: b"));

  EXPECT_TRUE(IsMadeText("", "", path));
  EXPECT_TRUE(IsMadeText("b.jpg", "", path));
  EXPECT_TRUE(IsMadeText(path, "", path));
  EXPECT_TRUE(IsMadeText("sommer: b", "{Ordner}: {Name}", path));
  EXPECT_FALSE(IsMadeText("Oma am Strand", "{Ordner}: {Name}", path));
}
