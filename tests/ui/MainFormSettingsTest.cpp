// The settings controls of the main window: the number fields' rules, the font and colour dialogs, the
// per-user store (in memory and as the real INI file), German texts of Qt's own dialogs, and the
// status bar's progress bar.

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTranslator>
#include <QtTest>

#include "MainFormFixture.h"
#include "album/StoredSettings.h"
#include "ui/ColorSwatch.h"
#include "ui/FontColorDialog.h"
#include "ui/IniSettingsStore.h"
#include "ui/ProgressPanel.h"
#include "ui/SpinEdit.h"
#include "ui/WindowApp.h"

class MainFormSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void NumberFieldsStepReadAndClampOnLeaving() {
    TMainFormFixture f;
    f.Form.show();
    QVERIFY(QTest::qWaitForWindowActive(&f.Form));
    auto* margin = f.Control<TSpinEdit>("RandXEd");
    auto* other = f.Control<QLineEdit>("CapED");
    const QString decimal = margin->locale().decimalPoint();
    margin->setFocus();
    margin->findChild<QLineEdit*>()->setText("12" + decimal + "5");
    QCOMPARE(margin->Value(), 12.5);
    margin->stepBy(1);
    QCOMPARE(margin->text(), "13" + decimal + "5");
    margin->findChild<QLineEdit*>()->setText("7.25");  // a point is read whatever the language
    QCOMPARE(margin->Value(), 7.25);

    // Leaving the field brings its text inside the limits; what is no number becomes the minimum.
    margin->findChild<QLineEdit*>()->setText("250");
    other->setFocus();
    QCOMPARE(margin->text(), QStringLiteral("100"));
    margin->setFocus();
    margin->findChild<QLineEdit*>()->setText("viel");
    QCOMPARE(f.Form.Settings().RandXEd, 0.0);  // read while still typing: the minimum
    other->setFocus();
    QCOMPARE(margin->text(), QStringLiteral("0"));

    auto* columns = f.Control<TSpinEdit>("CountXEd");
    columns->findChild<QLineEdit*>()->setText("abc");
    QCOMPARE(f.Form.Settings().CountXEd, 1);  // never below 1 column
    columns->SetValue(2.5);
    QCOMPARE(columns->text(), QStringLiteral("2"));  // rounded half to even
    columns->SetValue(100);
    columns->stepBy(1);
    QCOMPARE(columns->text(), QStringLiteral("100"));
    QCOMPARE(f.Control<TSpinEdit>("RahmenBreiteEd")->alignment() & Qt::AlignRight, Qt::AlignRight);
  }

  void EveryControlReachesItsFieldAndBack() {
    // Control names and field names as the window's description gives them. One control changed: only
    // its own field changes; that field set: only its control shows it.
    TMainFormFixture f;
    const TLayoutSettings base = f.Form.Settings();
    // Checks a control just changed; every row starts from the base settings, whatever the last did.
    const auto both = [&](const char* Control, const TLayoutSettings& Expected, auto ControlShows) {
      const bool reached = f.Form.Settings() == Expected;
      f.Form.SetSettings(Expected);
      const bool shown = ControlShows();
      f.Form.SetSettings(base);
      QVERIFY2(reached, Control);
      QVERIFY2(shown, Control);
    };
    const struct {
      const char* Box;
      bool TLayoutSettings::*Field;
    } checks[] = {
        {"ZoomInFotosCheck", &TLayoutSettings::ZoomInFotosCheck},
        {"CaptionCheck", &TLayoutSettings::CaptionCheck},
        {"CaptionOnAllPages", &TLayoutSettings::CaptionOnAllPages},
        {"TextCheck", &TLayoutSettings::TextCheck},
        {"PageNrCheck", &TLayoutSettings::PageNrCheck},
        {"RahmenCheck", &TLayoutSettings::RahmenCheck},
        {"ShowPDFCheck", &TLayoutSettings::ShowPDFCheck},
        {"SeparateCheck", &TLayoutSettings::SeparateCheck},
        {"EmbedFontsCheck", &TLayoutSettings::EmbedFonts},
        {"KeepJpegCheck", &TLayoutSettings::KeepJpeg},
        {"FilenamesCheck", &TLayoutSettings::FilenamesCheck},
        {"PathCheck", &TLayoutSettings::PathCheck},
    };
    for (const auto& row : checks) {
      auto* box = f.Control<QCheckBox>(row.Box);
      TLayoutSettings expected = base;
      expected.*row.Field = !(base.*row.Field);
      box->setChecked(expected.*row.Field);
      both(row.Box, expected, [&] { return box->isChecked() == expected.*row.Field; });
    }
    // Each value differs from every default and from the other rows'.
    const struct {
      const char* Edit;
      double TLayoutSettings::*Decimal;
      int32_t TLayoutSettings::*Whole;
      double Value;
    } numbers[] = {
        {"RandXEd", &TLayoutSettings::RandXEd, nullptr, 11.5},
        {"RandYEd", &TLayoutSettings::RandYEd, nullptr, 12.5},
        {"SpaceHED", &TLayoutSettings::SpaceHED, nullptr, 3.5},
        {"SpaceVEd", &TLayoutSettings::SpaceVEd, nullptr, 4.5},
        {"PageWidthEd", &TLayoutSettings::PageWidthEd, nullptr, 148.5},
        {"PageHeightEd", &TLayoutSettings::PageHeightEd, nullptr, 210.5},
        {"CountXEd", nullptr, &TLayoutSettings::CountXEd, 4},
        {"CountYEd", nullptr, &TLayoutSettings::CountYEd, 6},
        {"XMalEd", nullptr, &TLayoutSettings::XMalEd, 7},
        {"RahmenBreiteEd", nullptr, &TLayoutSettings::RahmenBreiteEd, 8},
        {"BleedEd", &TLayoutSettings::Bleed, nullptr, 2.5},
        {"PhotosPerPageEd", nullptr, &TLayoutSettings::PhotosPerPage, 6},
        {"CropBudgetEd", nullptr, &TLayoutSettings::CropBudget, 0},
    };
    for (const auto& row : numbers) {
      auto* edit = f.Control<TSpinEdit>(row.Edit);
      TLayoutSettings expected = base;
      if (row.Decimal) expected.*row.Decimal = row.Value;
      if (row.Whole) expected.*row.Whole = static_cast<int32_t>(row.Value);
      edit->SetValue(row.Value);
      both(row.Edit, expected, [&] { return edit->Value() == row.Value; });
    }
    auto* dpi = f.Control<QComboBox>("PictureDpiBox");
    TLayoutSettings expected = base;
    expected.PictureDpi = 300;
    dpi->setCurrentText(QStringLiteral("Druck (300 dpi)"));
    both("PictureDpiBox", expected, [&] { return dpi->currentText() == QStringLiteral("Druck (300 dpi)"); });
    auto* pdfa = f.Control<QComboBox>("PdfABox");
    expected = base;
    expected.PdfA = TPdfA::A1b;
    pdfa->setCurrentText(QStringLiteral("PDF/A-1b"));
    both("PdfABox", expected, [&] { return pdfa->currentText() == QStringLiteral("PDF/A-1b"); });
    auto* layout = f.Control<QComboBox>("PageLayoutBox");
    expected = base;
    expected.PageLayout = TPageLayoutKind::Auto;
    layout->setCurrentText(QStringLiteral("Automatisch"));
    both("PageLayoutBox", expected, [&] { return layout->currentText() == QStringLiteral("Automatisch"); });
    auto* name = f.Control<QLineEdit>("CapED");
    expected = base;
    expected.CapED = "Hochzeit";
    name->setText(QStringLiteral("Hochzeit"));
    both("CapED", expected, [&] { return name->text() == QStringLiteral("Hochzeit"); });
  }

  void FontAndColorDialogs() {
    TMainFormFixture f;
    TFontChoice serif{"DejaVu Serif", 20, fsBold | fsUnderline, 0x000000FF};
    f.Dialogs.FontAnswers = {serif, std::nullopt};
    f.Click("FontBtn");
    QCOMPARE(f.Dialogs.FontsShown.back().Name, std::string("Arial Black"));
    QCOMPARE(f.Dialogs.FontsShown.back().Size, 16);
    const TFontSpec heading = f.Form.Settings().HeadingFont;
    QCOMPARE(heading.Name, std::string("DejaVu Serif"));
    QCOMPARE(heading.Height, -27);  // 20 points at 96 pixels per inch
    QCOMPARE(heading.Style, uint8_t(KFontBold | KFontUnderline));
    QCOMPARE(f.Control<QLabel>("FontLabel1")->text(),
             QStringLiteral("DejaVu Serif, 20 pt, fett, unterstrichen"));
    f.Click("SetFont2Btn");  // cancelled
    QVERIFY(f.Form.Settings().TextFont == DefaultTextFont());

    f.Dialogs.ColorAnswers = {0x00336699, std::nullopt};
    QTest::mouseClick(f.Control<TColorSwatch>("Shape1"), Qt::RightButton);  // any button opens it
    QCOMPARE(f.Dialogs.ColorsShown.back(), 0x00FFFFFFu);
    QCOMPARE(f.Form.Settings().Shape1, 0x00336699u);
    QCOMPARE(f.Control<TColorSwatch>("Shape1")->ShownColor(), QColor(0x99, 0x66, 0x33));
    QTest::mouseClick(f.Control<TColorSwatch>("Shape2"), Qt::LeftButton);  // cancelled
    QCOMPARE(f.Form.Settings().Shape2, 0x00FFFFFFu);
  }

  void FontDialogOffersColorAndKeepsASubstitutedName() {
    TFontColorDialog dialog;
    dialog.SetChoice({"Arial", 10, fsItalic | fsStrikeOut, 0x80000008});
    QVERIFY(dialog.Fonts()->currentFont().italic() && dialog.Fonts()->currentFont().strikeOut());
    QCOMPARE(dialog.ColorField()->ShownColor(), QColor(0, 0, 0));  // the window-text colour
    TFontChoice unchanged = dialog.Choice();
    QCOMPARE(unchanged.Name, std::string("Arial"));  // whatever face the system shows for it
    QCOMPARE(unchanged.Color, 0x80000008u);
    QVERIFY(unchanged.Style == (fsItalic | fsStrikeOut));
    QFont other = dialog.Fonts()->currentFont();
    other.setFamily(QStringLiteral("DejaVu Sans Mono"));
    other.setPointSize(14);
    dialog.Fonts()->setCurrentFont(other);
    QCOMPARE(dialog.Choice().Name, std::string("DejaVu Sans Mono"));
    QCOMPARE(dialog.Choice().Size, 14);
  }

  void QtDialogsSpeakGerman() {
    const std::unique_ptr<QTranslator> texts = InstallGermanQtTexts(*QCoreApplication::instance());
    QVERIFY2(texts, "qt6-translations-l10n is not installed");
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(QFontDialog().windowTitle(), QStringLiteral("Schriftart auswählen"));
    QCoreApplication::removeTranslator(texts.get());
  }

  void StoreIsReadAtFirstShowingAndWrittenOnClose() {
    TMainFormFixture f;
    f.Store.Write(KMainFormSection, "RahmenBreiteEd_Value", "25");
    f.Store.Write(KMainFormSection, "Shape2_BrushColor", "$000000FF");
    f.Store.Write(KMainFormSection, "ShowPDFCheck_Checked", "kaputt");  // keeps its control's value
    // A size above the window's smallest (the page "PDF-Datei erzeugen" needs about 530 pixels).
    f.Store.Write(KMainFormSection, "NormPos", "10,20,710,580");
    f.Form.show();
    QCOMPARE(f.Form.Settings().RahmenBreiteEd, 25);
    QCOMPARE(f.Form.Settings().Shape2, 0x000000FFu);
    QVERIFY(f.Form.Settings().ShowPDFCheck);
    QCOMPARE(f.Form.geometry().size(), QSize(700, 560));

    f.Control<QCheckBox>("RahmenCheck")->setChecked(true);
    f.Control<QLineEdit>("CapED")->setText("Hochzeit");
    QVERIFY(f.Form.close());
    const auto stored = [&](const char* Name) { return f.Store.Values[{KMainFormSection, Name}]; };
    QCOMPARE(stored("RahmenCheck_Checked"), std::string("True"));
    QCOMPARE(stored("FontDialog1_FontName"), std::string("Arial Black"));
    QCOMPARE(stored("FontDialog3_FontHeight"), std::string("-13"));
    QCOMPARE(stored("Shape1_BrushStyle"), std::string("bsSolid"));
    QCOMPARE(stored("ShowCmd"), std::string("1"));
    QVERIFY(!stored("PixelsPerInch").empty() && !stored("MinMaxPos").empty());
    QVERIFY(f.Store.Values.count({KMainFormSection, "CapED_Text"}) == 0);  // the album name is never kept
  }

  void IniFileRoundTripAndAnUnwritableFolder() {
    qtest::TScratchDir dir;
    {
      const qtest::TEnvOverride home("XDG_CONFIG_HOME", dir / "config");
      QCOMPARE(TIniSettingsStore::DefaultFileName(),
               QString::fromStdString(dir / "config/quirvel/quirvel.ini"));
      TIniSettingsStore store;
      TLayoutSettings settings = FirstStartSettings();
      settings.RahmenBreiteEd = 42;
      settings.TextFont.Name = "Schöne Schrift, kursiv";
      WriteStoredSettings(store, settings);
      std::string message;
      QVERIFY(store.Flush(message));
      QVERIFY(qtest::ReadFile(dir / "config/quirvel/quirvel.ini").find("[TMainForm]") != std::string::npos);

      TIniSettingsStore again;
      TLayoutSettings read = FirstStartSettings();
      ReadStoredSettings(again, read);
      QCOMPARE(read.RahmenBreiteEd, 42);
      QCOMPARE(read.TextFont.Name, settings.TextFont.Name);
    }
    {
      // A file where the folder should be: the store cannot be written; the window says so and closes.
      qtest::WriteFile(dir / "blocked", "");
      const qtest::TEnvOverride home("XDG_CONFIG_HOME", dir / "blocked");
      TIniSettingsStore store;
      qtest::TRecordingMessageBox box;
      qtest::TScriptedDialogs dialogs;
      TRecordingShell shell;
      TMainForm form(dialogs, store, shell);
      form.show();
      QVERIFY(form.close());
      QCOMPARE(box.Shown.size(), size_t(2));
      QCOMPARE(box.Shown[1].Text, "Fehler: Die Einstellungen konnten nicht in „" +
                                      dir / "blocked/quirvel/quirvel.ini" + "“ gespeichert werden.");
      QVERIFY(box.Shown[1].Icon == TMsgIcon::Error);
    }
  }

  void ProgressBarPixels() {
    TMainFormFixture f;
    f.Form.resize(800, 600);
    f.Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.Form));
    TProgressPanel* panel = f.Form.ProgressPanel();
    QCOMPARE(f.Form.StatusText()->width(), 250);
    const int width = panel->width();
    const auto navyAt = [&](int X) {
      return QColor(panel->grab().toImage().pixel(X, panel->height() / 2)) == TProgressPanel::KNavy;
    };
    f.Form.SetProStatus(0);
    QVERIFY(!navyAt(0) && !navyAt(width - 1));
    f.Form.SetProStatus(33);
    const int split = width * 33 / 100;
    QVERIFY(navyAt(split - 1) && !navyAt(split));
    f.Form.SetProStatus(100);
    QVERIFY(navyAt(0) && navyAt(width - 1));
    // A report from another thread arrives through the event loop.
    std::thread([&] { static_cast<TProgressSink&>(f.Form).Progress(10); }).join();
    QTRY_COMPARE(panel->ProStatus(), 10);
  }
};

QTEST_MAIN(MainFormSettingsTest)
#include "MainFormSettingsTest.moc"
