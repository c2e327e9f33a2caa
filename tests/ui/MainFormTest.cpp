// The main window's album handlers, driven through its real controls with scripted dialogs: the
// questions of New, Open and Exit, saving and opening, the photo page and the search.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include "MainFormFixture.h"
#include "album/AlbumFile.h"
#include "album/PhotoEditing.h"
#include "ui/SpinEdit.h"

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void TitleIsPdfQuirvel() {
    TMainFormFixture f;
    QCOMPARE(f.Form.windowTitle(), QStringLiteral("PDF-Quirvel"));
    QCOMPARE(f.Form.StatusText()->text(), QStringLiteral("Bild: keins   "));
  }

  void NewOpenAndExitAskAndCancelChangesNothing() {
    TMainFormFixture f;
    f.Form.show();
    f.AddPhotos({"/fotos/a.jpg", "/fotos/b.jpg"});
    auto* memo = f.Control<QPlainTextEdit>("Memo1");
    memo->setPlainText("Mein Text");  // the user's edit of photo 1
    f.Control<TSpinEdit>("CountXEd")->SetValue(5);

    f.Box.Answers = {false};
    f.Click("NewBtn");
    QCOMPARE(f.Box.Shown.back().Text, std::string("Alle nicht gespeicherten Einstellungen gehen verloren."));
    QCOMPARE(f.Box.Shown.back().Title, std::string("Datei|Neu"));
    QVERIFY(f.Box.Shown.back().Icon == TMsgIcon::Question &&
            f.Box.Shown.back().Buttons == TMsgButtons::OkCancel);
    QCOMPARE(f.Form.Album().Pics.Count, 2u);
    QCOMPARE(memo->toPlainText(), QStringLiteral("Mein Text"));
    QCOMPARE(f.Form.Settings().CountXEd, 5);

    f.Box.Answers = {false};
    f.Click("OpenBtn");
    QCOMPARE(f.Box.Shown.back().Title, std::string("Datei|Öffnen"));
    QVERIFY(f.Dialogs.FileDialogs.size() == 1);  // only the add dialog so far

    // OK, then the file dialog cancelled: the album and every text stay.
    f.Click("OpenBtn");
    QVERIFY(f.Dialogs.FileDialogs.back().Kind == TFileDialogKind::OpenAlbum);
    QCOMPARE(f.Dialogs.FileDialogs.back().Filter, std::string("Quirvel Dateien (*.qvl)|*.qvl"));
    QCOMPARE(f.Form.Album().Pics.Count, 2u);
    QCOMPARE(f.PhotoText(1), std::string("Mein Text"));
    QCOMPARE(f.PhotoText(2), std::string("b.jpg"));

    f.Box.Answers = {false};
    f.Click("endebtn");
    QVERIFY(f.Form.isVisible());
    QCOMPARE(f.Box.Shown.back().Text,
             std::string("Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!"));
    QCOMPARE(f.Box.Shown.back().Title, std::string("Programm beenden"));
    QVERIFY(f.Box.Shown.back().Icon == TMsgIcon::Information);
    f.Click("endebtn");
    QVERIFY(!f.Form.isVisible());
  }

  void NewResetsItsSettingsAndGivesThreeColumns() {
    TMainFormFixture f;
    QCOMPARE(f.Form.Settings().CountXEd, 2);  // a program start has two columns
    f.AddPhotos({"/fotos/a.jpg"});
    f.Control<QLineEdit>("CapED")->setText("Urlaub");
    f.Control<TSpinEdit>("RandXEd")->SetValue(30);
    f.Control<TSpinEdit>("XMalEd")->SetValue(4);
    f.Click("NewBtn");
    const TLayoutSettings s = f.Form.Settings();
    QCOMPARE(s.CountXEd, 3);
    QCOMPARE(s.CountYEd, 3);
    QCOMPARE(s.RandXEd, 15.0);
    QCOMPARE(s.XMalEd, 4);                     // not among what New puts back
    QCOMPARE(s.CapED, std::string("Urlaub"));  // nor the album name
    QCOMPARE(f.Form.Album().Pics.Count, 0u);
    QCOMPARE(f.Form.Album().CurPic, 1);
    QVERIFY(f.Control<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
  }

  void SaveAndOpenGiveTheSameAlbum() {
    qtest::TScratchDir dir;
    TMainFormFixture f;
    f.AddPhotos({"/fotos/a.jpg", "/fotos/b.jpg"});
    f.SelectPhoto(2);
    f.Control<QPlainTextEdit>("Memo1")->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.Control<QPlainTextEdit>("Memo1"), "x");
    auto* margin = f.Control<TSpinEdit>("RandXEd");
    margin->findChild<QLineEdit*>()->setText("12,5");
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "album.qvl"});
    f.Click("SaveAsBtn");
    QVERIFY(f.Dialogs.FileDialogs.back().Save && f.Dialogs.FileDialogs.back().DefaultExt == "qvl");
    QVERIFY(f.Box.Shown.empty());

    f.Click("NewBtn");
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "album.qvl"});
    f.Click("OpenBtn");
    QCOMPARE(f.Form.Album().Pics.Count, 2u);
    QCOMPARE(f.PhotoText(2), std::string("b.jpgx"));
    QCOMPARE(f.Form.Settings().RandXEd, 12.5);
    QCOMPARE(f.Form.Settings().CountXEd, 2);  // from the file, not New's 3
    QCOMPARE(f.Form.Album().CurPic, 1);
    // The current photo's text is shown at once, so typing edits what the box shows.
    QCOMPARE(f.Control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("a.jpg"));

    // A file that is no album: the German message, and the album stays.
    qtest::WriteFile(dir / "kaputt.qvl", "kein Album");
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "kaputt.qvl"});
    f.Click("OpenBtn");
    QCOMPARE(f.Box.Shown.back().Text, std::string("Fehler: Die Datei ist keine gültige Quirvel Datei..."));
    QVERIFY(f.Box.Shown.back().Icon == TMsgIcon::Error && f.Box.Shown.back().Title.empty());
    QCOMPARE(f.Form.Album().Pics.Count, 2u);

    // A folder that does not exist: nothing written, the message says so.
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "fehlt/album.qvl"});
    f.Click("SaveAsBtn");
    QCOMPARE(f.Box.Shown.back().Text, std::string("Fehler: Konnte Datei nicht erstellen..."));
    // The dialogs hear of it, so that none proposes that folder again; the good save was not reported.
    QCOMPARE(f.Dialogs.FailedFiles, std::vector<std::string>{dir / "fehlt/album.qvl"});
  }

  // The album name is the album's: typing it is a step to undo and marks the album changed, and it
  // travels in the album file.
  void AlbumNameIsKeptInTheAlbum() {
    qtest::TScratchDir dir;
    TMainFormFixture f;
    f.Form.show();
    auto* name = f.Control<QLineEdit>("CapED");
    name->selectAll();
    QTest::keyClicks(name, "Hochzeit");
    QVERIFY(f.Form.windowTitle().endsWith(QStringLiteral("*")));
    f.Click("UndoBtn");
    QCOMPARE(name->text(), QStringLiteral("Familienfotos"));
    f.Click("RedoBtn");
    QCOMPARE(name->text(), QStringLiteral("Hochzeit"));
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "album.qvl"});
    f.Click("SaveAsBtn");
    QVERIFY(!f.Form.windowTitle().endsWith(QStringLiteral("*")));
    name->setText("Anderes");
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "album.qvl"});
    f.Click("OpenBtn");
    QCOMPARE(name->text(), QStringLiteral("Hochzeit"));
  }

  // An album whose file held a part that did not load, and an entry of a newer version: saving asks
  // first, and what was kept goes into the file again.
  void SavingADamagedAlbumAsksFirst() {
    qtest::TScratchDir dir;
    TAlbumModel album;
    SetEntryFileName(*album.Pics.Append(), "/fotos/a.jpg");
    const std::string foreign = std::string("ZZZZ\x02\0\0\0\x05\x06", 10);
    const std::string brokenTurns = std::string("TURN\x05\0\0\0\x01\0\0\0\x07", 13);
    qtest::WriteFile(dir / "d.qvl", EncodeAlbum(album, TLayoutSettings{}) + std::string(5, '\0') + "QXG6" +
                                        std::string("\x02\0\0\0", 4) + foreign + brokenTurns);
    TMainFormFixture f;
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "d.qvl"});
    f.Click("OpenBtn");
    QCOMPARE(f.Box.Shown.back().Text,
             std::string("Die Drehungen der Fotos sind beschädigt; die Fotos werden ungedreht gezeigt."));
    const size_t dialogs = f.Dialogs.FileDialogs.size();
    f.Box.Answers = {false};
    f.Click("SaveAsBtn");
    QCOMPARE(f.Box.Shown.back().Text,
             std::string("Die Albumdatei ist beschädigt: Die Drehungen der Fotos sind beschädigt; die Fotos werden "
                         "ungedreht gezeigt. Wird das Album geschrieben, geht das verloren. Trotzdem speichern?"));
    QVERIFY(f.Box.Shown.back().Icon == TMsgIcon::Warning);
    QCOMPARE(f.Dialogs.FileDialogs.size(), dialogs);  // cancelled before the file dialog
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "d.qvl"});
    f.Click("SaveAsBtn");
    const std::string saved = qtest::ReadFile(dir / "d.qvl");
    QCOMPARE(saved, EncodeAlbum(album, TLayoutSettings{}) + std::string(5, '\0') + "QXG6" +
                        std::string("\x01\0\0\0", 4) + foreign);
    // The file now holds all the album has: saving again asks nothing.
    const size_t shown = f.Box.Shown.size();
    f.Dialogs.FileAnswers.push_back(std::vector<std::string>{dir / "e.qvl"});
    f.Click("SaveAsBtn");
    QCOMPARE(f.Box.Shown.size(), shown);
    QCOMPARE(qtest::ReadFile(dir / "e.qvl"), saved);
  }

  void CommandLineAlbumOpensAtTheFirstShowingOnly() {
    qtest::TScratchDir dir;
    TAlbumModel album;
    AddPhotos(album, {"/fotos/x.jpg"}, true, false);
    TLayoutSettings settings = FirstStartSettings();
    settings.CountYEd = 7;
    QVERIFY(SaveAlbumFile(dir / "cmd.qvl", album, settings).Ok);

    // Defaults, then the per-user store, then the album, whose settings win.
    TMainFormFixture f;
    f.Store.Write("TMainForm", "ShowPDFCheck_Checked", "False");
    f.Store.Write("TMainForm", "RahmenBreiteEd_Value", "25");  // not in album files
    f.Form.SetCommandLineAlbum(dir / "cmd.qvl");
    f.Form.show();
    QCOMPARE(f.Form.Album().Pics.Count, 1u);
    QCOMPARE(f.Form.Settings().CountYEd, 7);
    QVERIFY(f.Form.Settings().ShowPDFCheck);
    QCOMPARE(f.Form.Settings().RahmenBreiteEd, 25);
    f.Click("DelFotoBtn");
    f.Form.hide();
    f.Form.show();
    QCOMPARE(f.Form.Album().Pics.Count, 0u);
  }

  void AddingDeletingAndMoving() {
    TMainFormFixture f;
    f.AddPhotos({"/fotos/1.jpg", "/fotos/2.jpg", "/fotos/3.jpg", "/fotos/4.jpg", "/fotos/5.jpg"});
    const TFileDialog& add = f.Dialogs.FileDialogs.back();
    QVERIFY(add.Kind == TFileDialogKind::AddPhotos && add.Multiple && !add.Save);
    QVERIFY(add.Filter.find("*.JPG;*.JPEG;") != std::string::npos);
    QCOMPARE(f.Form.Album().CurPic, 1);
    QCOMPARE(f.Form.Album().Pics.Count, 5u);
    // The first photo became current: the box shows its text, so typing edits what it shows.
    QCOMPARE(f.Control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("1.jpg"));
    f.Control<QCheckBox>("FilenamesCheck")->setChecked(false);
    f.AddPhotos({"/fotos/6.jpg"});
    QVERIFY(f.Form.Album().Pics[5].Text == nullptr);  // no default text, not even an empty one

    f.SelectPhoto(3);
    f.Click("DelFotoBtn");
    QCOMPARE(f.PhotoName(3), std::string("/fotos/4.jpg"));
    QCOMPARE(f.Form.Album().CurPic, 3);
    QCOMPARE(f.Control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("4.jpg"));
    QCOMPARE(f.Form.StatusText()->text(), QStringLiteral("Thumbnail: 3 von 5"));
    QCOMPARE(f.Control<QLabel>("Label1")->text(), QStringLiteral("/fotos/4.jpg"));

    f.Click("NachVornBtn");
    f.Click("NachVornBtn");
    f.Click("NachVornBtn");  // on photo 1: nothing
    QCOMPARE(f.PhotoName(1), std::string("/fotos/4.jpg"));
    QCOMPARE(f.Form.Album().CurPic, 1);
    f.SelectPhoto(5);
    f.Click("NachHintenBtn");  // on the last photo: nothing
    QCOMPARE(f.PhotoName(5), std::string("/fotos/6.jpg"));
    f.Click("DelFotoBtn");
    QCOMPARE(f.Form.Album().CurPic, 5);  // no photo current now
    QCOMPARE(f.Form.StatusText()->text(), QStringLiteral("Bild: keins   "));
    f.Click("DelFotoBtn");
    QCOMPARE(f.Form.Album().Pics.Count, 4u);
  }

  void ShowingATextNeverRewritesIt() {
    // A default text breaks its lines with a lone CR; showing it and clearing the box leave it alone.
    TMainFormFixture f;
    const std::string path = "/" + std::string(60, 'a') + ".jpg";
    f.Control<QCheckBox>("PathCheck")->setChecked(true);
    f.AddPhotos({path, "/b.jpg"});
    const std::string stored = f.PhotoText(1);
    QVERIFY(stored.find('\r') != std::string::npos && stored.find("\r\n") == std::string::npos);
    f.SelectPhoto(2);
    f.SelectPhoto(1);
    f.Click("OpenBtn");  // empties the box before its dialog
    QCOMPARE(f.PhotoText(1), stored);
    // A typed line break is stored as CR LF.
    auto* memo = f.Control<QPlainTextEdit>("Memo1");
    memo->clear();
    QTest::keyClicks(memo, "Zeile 1");
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, "Zeile 2");
    QCOMPARE(f.PhotoText(1), std::string("Zeile 1\r\nZeile 2"));
  }

  void SearchListsHitsAndJumpsBack() {
    TMainFormFixture f;
    f.AddPhotos({"/Ferien/strand.jpg", "/Ferien/berg.jpg", "/Ferien/STRANDKORB.jpg", "/strand/haus.jpg"});
    f.SelectPhoto(2);
    f.Control<QPlainTextEdit>("Memo1")->setPlainText("Am Strand\nmit Oma");
    auto* search = f.Control<QLineEdit>("SearchEdit");
    auto* hits = f.Control<QTreeWidget>("ListView2");
    search->setText("strand");
    f.Click("SearchBtn");
    // Text or file name, never the folder; one row per photo; the whole text in the second column.
    QCOMPARE(hits->topLevelItemCount(), 3);
    QCOMPARE(hits->topLevelItem(1)->text(0), QStringLiteral("berg.jpg"));
    QCOMPARE(hits->topLevelItem(1)->text(1), QStringLiteral("Am Strand\nmit Oma"));
    QCOMPARE(hits->columnWidth(0), 150);
    QCOMPARE(hits->headerItem()->text(1), QStringLiteral("Beschreibung"));

    f.Control<QTabWidget>("PageControl2")->setCurrentIndex(1);
    QTest::keyClick(hits, Qt::Key_Return);  // no row selected: nothing
    QCOMPARE(f.Control<QTabWidget>("PageControl2")->currentIndex(), 1);
    hits->setCurrentItem(hits->topLevelItem(2));
    QTest::keyClick(hits, Qt::Key_Return);
    QCOMPARE(f.Control<QTabWidget>("PageControl2")->currentIndex(), 0);
    QCOMPARE(f.Form.Album().CurPic, 3);
    QCOMPARE(f.Form.StatusText()->text(), QStringLiteral("Thumbnail: 3 von 4"));
    QCOMPARE(f.Control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("STRANDKORB.jpg"));

    search->clear();
    f.Click("SearchBtn");
    QCOMPARE(hits->topLevelItemCount(), 0);
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
