// The export from the main window: it runs on a worker thread behind a modal progress dialog, can be
// cancelled, hands its messages to the user-interface thread, and the PDF it writes passes qpdf.

#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <regex>

#include "MainFormFixture.h"
#include "imaging/pictaro/Pictaro.h"
#include "platform/TempFolder.h"
#include "support/WhenShown.h"
#include "ui/ExportRunner.h"
#include "ui/ProgressPanel.h"
#include "ui/QtMessageBox.h"
#include "ui/SpinEdit.h"

namespace fs = std::filesystem;

namespace {

void WriteJpeg(const std::string& FileName, int Width, int Height) {
  TDib dib{};
  newdib(&dib, Width, Height, 24, nullptr, 0);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) setpixel(dib, x, y, static_cast<uint32_t>(x * 255 / Width) << 8 | 0x40);
  SaveDib(dib, FileName.c_str(), 7, 0);
  deldib(dib);
}

// Clicks "Abbrechen" once the dialog shows a photo being placed.
bool CancelAtAPhoto(TExportProgressDialog& Dialog, QEvent&) {
  if (!Dialog.findChild<QLabel*>(QStringLiteral("ExportState"))->text().startsWith(QStringLiteral("Foto")))
    return false;
  Dialog.findChild<QPushButton*>(QStringLiteral("ExportCancel"))->click();
  return true;
}

int FilesIn(const fs::path& Dir, const std::string& Extension) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(Dir))
    if (entry.path().extension() == Extension) ++count;
  return count;
}

}  // namespace

class MainFormExportTest : public QObject {
  Q_OBJECT

  qtest::TScratchDir FDir;
  std::vector<std::string> FPhotos;

 private slots:
  void initTestCase() {
    for (int i = 0; i < 4; ++i) {
      FPhotos.push_back(FDir / ("foto" + std::to_string(i) + ".jpg"));
      WriteJpeg(FPhotos.back(), 640, 480);
    }
  }

  void ExportRunsToTheEndAndOpensThePdf() {
    TMainFormFixture f;
    f.Form.show();
    f.AddPhotos(FPhotos);
    std::vector<QString> states;
    const qtest::TWhenShown<TExportProgressDialog> shown([&](TExportProgressDialog& Dialog, QEvent&) {
      states.push_back(Dialog.findChild<QLabel*>(QStringLiteral("ExportState"))->text());
      return true;
    });
    const std::string pdf = FDir / "album.pdf";
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{pdf});
    f.Click("SavePDFBtn");
    QVERIFY(f.Dialogs.FileDialogs.back().Kind == TFileDialogKind::SavePdf);
    QVERIFY(f.Box.Shown.empty());
    QCOMPARE(states.size(), size_t(1));  // the dialog was up while the export ran
    QCOMPARE(f.Shell.Opened, std::vector<std::string>{pdf});
    QCOMPARE(qtest::Run("qpdf --check " + qtest::Quote(pdf) + " >/dev/null"), 0);
    std::string info;
    qtest::Run("pdfinfo " + qtest::Quote(pdf), &info);
    QVERIFY2(std::regex_search(info, std::regex("Pages: +1\n")), info.c_str());
    QTRY_VERIFY(f.Form.ProgressPanel()->ProStatus() > 0);  // the loader's progress reached the status bar

    // A file that cannot be created: the information message, nothing opened.
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{FDir / "fehlt/album.pdf"});
    f.Click("SavePDFBtn");
    QCOMPARE(f.Box.Shown.back().Text, std::string("Konnte PDF-Datei nicht erstellen!"));
    QVERIFY(f.Box.Shown.back().Icon == TMsgIcon::Information);
    QCOMPARE(f.Shell.Opened.size(), size_t(1));
    QCOMPARE(f.Dialogs.FailedFiles, std::vector<std::string>{FDir / "fehlt/album.pdf"});
  }

  void APdfNothingCanShowIsReported() {
    // The real shell with a stand-in xdg-open that finds no program for PDFs. The window hears of the
    // opener's end through its event loop and names the file.
    qtest::TScratchDir bin;
    qtest::WriteFile(bin / "xdg-open", "#!/bin/sh\nexit 3\n");
    QCOMPARE(chmod((bin / "xdg-open").c_str(), 0755), 0);
    const qtest::TEnvOverride path("PATH", bin.Path().string() + ":/usr/bin:/bin");
    TMainFormFixture f;
    f.Shell.Watch = [](const std::string& FileName) { return TXdgShell().OpenWatched(FileName); };
    QEventLoop told;
    f.Box.OnShow = [&told] { told.quit(); };
    f.AddPhotos({FPhotos[0]});
    const std::string pdf = FDir / "ungezeigt.pdf";
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{pdf});
    f.Click("SavePDFBtn");
    QCOMPARE(f.Shell.Opened, std::vector<std::string>{pdf});
    if (f.Box.Shown.empty()) told.exec();
    QCOMPARE(f.Box.Shown.size(), size_t(1));
    QCOMPARE(f.Box.Shown[0].Text,
             "Die PDF-Datei „" + pdf +
                 "“ konnte nicht angezeigt werden: Es ist kein Programm zum Anzeigen von "
                 "PDF-Dateien eingerichtet.");
    QVERIFY(f.Box.Shown[0].Icon == TMsgIcon::Error);
  }

  void MissingPicturesAreReportedAndThePdfStillShown() {
    TMainFormFixture f;
    f.AddPhotos({FPhotos[0]});
    // The spool lost two pictures: the writer put white areas in their place and counted them.
    f.Form.ExportRun = [&](std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings,
                           const std::string& FileName) {
      TExportResult result = RunExport(&f.Form, std::move(Photos), Settings, FileName, f.Form);
      result.Missing = 2;
      return result;
    };
    const std::string pdf = FDir / "fehlend.pdf";
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{pdf});
    f.Click("SavePDFBtn");
    QCOMPARE(f.Box.Shown.size(), size_t(1));
    QCOMPARE(f.Box.Shown[0].Text, MissingPicturesMessage(2));
    QVERIFY(f.Box.Shown[0].Icon == TMsgIcon::Error);
    QCOMPARE(f.Shell.Opened, std::vector<std::string>{pdf});
  }

  void EmbedFontsIsOffUntilTickedAndStaysOutOfTheStore() {
    TMainFormFixture f;
    f.Form.show();
    auto* embed = f.Control<QCheckBox>("EmbedFontsCheck");
    QCOMPARE(embed->text(), QStringLiteral("Schriften einbetten"));
    QVERIFY(!embed->isChecked() && !f.Form.Settings().EmbedFonts);
    f.AddPhotos({FPhotos[0]});
    embed->setChecked(true);
    f.Control<QCheckBox>("ShowPDFCheck")->setChecked(false);
    const std::string pdf = FDir / "eingebettet.pdf";
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{pdf});
    f.Click("SavePDFBtn");
    // Every font of the page (heading and texts fit Windows-1252) is an embedded subset.
    std::string fonts;
    QCOMPARE(qtest::Run("pdffonts " + qtest::Quote(pdf), &fonts), 0);
    QVERIFY2(std::regex_search(fonts, std::regex("CID TrueType +Identity-H +yes +yes +yes")), fonts.c_str());
    QVERIFY2(!std::regex_search(fonts, std::regex(" no +no +")), fonts.c_str());
    QVERIFY(f.Form.close());
    for (const auto& [key, value] : f.Store.Values) QVERIFY(key.second.find("Embed") == std::string::npos);
  }

  void PrintSizeChoicesReachTheExportAndTravelWithTheAlbum() {
    TMainFormFixture f;
    f.Form.show();
    auto* dpi = f.Control<QComboBox>("PictureDpiBox");
    auto* keep = f.Control<QCheckBox>("KeepJpegCheck");
    QCOMPARE(dpi->currentText(), QStringLiteral("Original"));
    QCOMPARE(dpi->count(), 3);
    QVERIFY(!keep->isChecked());
    QCOMPARE(keep->text(), QStringLiteral("JPEG-Fotos unverändert übernehmen"));

    // 150 dpi on a 10 x 10 grid: each place is under 60 points wide, so the 640-pixel photo goes into
    // the PDF with at most 60 / 72 x 150 pixels across.
    f.AddPhotos({FPhotos[0]});
    dpi->setCurrentText(QStringLiteral("Bildschirm (150 dpi)"));
    keep->setChecked(true);
    f.Control<TSpinEdit>("CountXEd")->SetValue(10);
    f.Control<TSpinEdit>("CountYEd")->SetValue(10);
    f.Control<QCheckBox>("ShowPDFCheck")->setChecked(false);
    const std::string pdf = FDir / "klein.pdf";
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{pdf});
    f.Click("SavePDFBtn");
    std::string images;
    QCOMPARE(qtest::Run("pdfimages -list " + qtest::Quote(pdf), &images), 0);
    std::smatch size;
    QVERIFY2(std::regex_search(images, size, std::regex(R"(\n +1 +0 image +(\d+) +(\d+))")), images.c_str());
    QVERIFY2(std::stoi(size[1]) <= 125 && std::stoi(size[2]) <= 94, images.c_str());

    // Saved with the album, kept by New, and given back by Open after an album without them.
    const std::string album = FDir / "druck.qvl";
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{album});
    f.Click("SaveAsBtn");
    const std::string plain = FDir / "schlicht.qvl";
    dpi->setCurrentIndex(0);
    keep->setChecked(false);
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{plain});
    f.Click("SaveAsBtn");
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{album});
    f.Click("OpenBtn");
    QCOMPARE(f.Form.Settings().PictureDpi, 150);
    QVERIFY(keep->isChecked() && f.Form.Settings().KeepJpeg);
    f.Click("NewBtn");
    QCOMPARE(dpi->currentText(), QStringLiteral("Bildschirm (150 dpi)"));
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{plain});
    f.Click("OpenBtn");
    QCOMPARE(dpi->currentText(), QStringLiteral("Original"));
    QVERIFY(!f.Form.Settings().KeepJpeg);

    // A resolution none of the entries offers (set on the command line) is shown and kept.
    TLayoutSettings settings = f.Form.Settings();
    settings.PictureDpi = 200;
    f.Form.SetSettings(settings);
    QCOMPARE(dpi->currentText(), QStringLiteral("200 dpi"));
    QCOMPARE(f.Form.Settings().PictureDpi, 200);
    settings.PictureDpi = 300;
    f.Form.SetSettings(settings);
    QCOMPARE(dpi->count(), 3);
    QCOMPARE(dpi->currentText(), QStringLiteral("Druck (300 dpi)"));
  }

  void CancellingLeavesNoFileBehind() {
    TMainFormFixture f;
    f.Form.show();
    f.AddPhotos(FPhotos);
    f.Control<TSpinEdit>("XMalEd")->SetValue(100);  // far more pictures than the test waits for
    const qtest::TWhenShown<TExportProgressDialog> cancel(CancelAtAPhoto);
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{FDir / "abgebrochen.pdf"});
    f.Click("SavePDFBtn");
    QVERIFY(cancel.Done());
    QVERIFY(!fs::exists(FDir / "abgebrochen.pdf"));
    QCOMPARE(FilesIn(FDir.Path(), ".part"), 0);
    QVERIFY(fs::is_empty(TempFolder()));
    QVERIFY(f.Box.Shown.empty());
    QVERIFY(f.Shell.Opened.empty());
  }

  void MessagesOfTheWorkerAreShownByTheWindow() {
    // One file per page, and page 2's name is taken by a folder: the export asks the window's message
    // box from its worker thread, waits for OK, and goes on with page 3.
    TMainFormFixture f;
    TQtMessageBox qtBox(&f.Form);
    SetMessageBox(&qtBox);
    f.Form.show();
    f.AddPhotos({FPhotos[0], FPhotos[1], FPhotos[2]});
    f.Control<QCheckBox>("SeparateCheck")->setChecked(true);
    f.Control<QCheckBox>("ShowPDFCheck")->setChecked(false);
    f.Control<TSpinEdit>("CountXEd")->SetValue(1);
    f.Control<TSpinEdit>("CountYEd")->SetValue(1);
    fs::create_directory(FDir / "seite0002.pdf");
    QString text, title;
    const qtest::TWhenShown<QMessageBox> answer([&](QMessageBox& Box, QEvent& Event) {
      if (Event.type() != QEvent::Show) return false;
      text = Box.text();
      title = Box.windowTitle();
      // Posted: the box's own loop, not yet running while it is being shown, takes the click.
      QMetaObject::invokeMethod(
          &Box, [&Box] { Box.button(QMessageBox::Ok)->click(); }, Qt::QueuedConnection);
      return true;
    });
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{FDir / "seite.pdf"});
    f.Click("SavePDFBtn");
    SetMessageBox(&f.Box);
    QCOMPARE(text.toStdString(), FDir / "seite0002.pdf");
    QCOMPARE(title, QStringLiteral("Datei konnte nicht erstellt werden"));
    QVERIFY(fs::exists(FDir / "seite0001.pdf") && fs::exists(FDir / "seite0003.pdf"));
  }

  // Last: once told to quit, the application runs no further event loop (no dialog) of this process.
  void QuittingCancelsTheExport() {
    // A signal at logout ends the event loops, the export's dialog's among them.
    TMainFormFixture f;
    f.Form.show();
    f.AddPhotos(FPhotos);
    f.Control<TSpinEdit>("XMalEd")->SetValue(100);
    const qtest::TWhenShown<TExportProgressDialog> quit([](TExportProgressDialog& Dialog, QEvent&) {
      if (!Dialog.findChild<QLabel*>(QStringLiteral("ExportState"))
               ->text()
               .startsWith(QStringLiteral("Foto")))
        return false;
      QCoreApplication::exit(143);
      return true;
    });
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{FDir / "beendet.pdf"});
    f.Click("SavePDFBtn");
    QVERIFY(quit.Done());
    QVERIFY(!fs::exists(FDir / "beendet.pdf"));
    QCOMPARE(FilesIn(FDir.Path(), ".part"), 0);
  }
};

QTEST_MAIN(MainFormExportTest)
#include "MainFormExportTest.moc"
