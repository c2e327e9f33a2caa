// The window's real file dialogs: they tell a file's type without opening it, and they propose the
// file last chosen, but no folder where writing failed.
#include <sys/inotify.h>
#include <unistd.h>

#include <QFileDialog>
#include <QFileSystemModel>
#include <QtTest>

#include "support/TestSupport.h"
#include "support/WhenShown.h"
#include "ui/QtDialogs.h"

namespace {

// The names of the files in Dir that were opened while it lived (folders left out).
class TOpenedFiles {
 public:
  explicit TOpenedFiles(const std::string& Dir) : FFd(inotify_init1(IN_NONBLOCK)) {
    FWatching = FFd >= 0 && inotify_add_watch(FFd, Dir.c_str(), IN_OPEN) >= 0;
  }
  ~TOpenedFiles() {
    if (FFd >= 0) close(FFd);
  }
  TOpenedFiles(const TOpenedFiles&) = delete;
  TOpenedFiles& operator=(const TOpenedFiles&) = delete;
  bool Watching() const { return FWatching; }
  QStringList Names() const {
    QStringList names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(FFd, buffer, sizeof buffer)) > 0;)
      for (char* p = buffer; p < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(p);
        if (event->len > 0 && !(event->mask & IN_ISDIR)) names << QString::fromUtf8(event->name);
        p += sizeof(inotify_event) + event->len;
      }
    return names;
  }

 private:
  int FFd;
  bool FWatching = false;
};

}  // namespace

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void FileTypesComeFromNamesAlone() {
    // Names that leave the type in doubt: a dialog that guesses from contents opens them.
    qtest::TScratchDir dir;
    qtest::WriteFile(dir / "daten", "nur Text\n");
    qtest::WriteFile(dir / "bericht", "%PDF-1.3\n");
    qtest::WriteFile(dir / "foto.jpg", "\xFF\xD8\xFF");
    const TOpenedFiles opened(dir.Path().string());
    QVERIFY(opened.Watching());
    const QString folder = QString::fromStdString(dir.Path().string());
    bool loaded = false;
    const qtest::TWhenShown<QFileDialog> browse([&](QFileDialog& Dialog, QEvent& Event) {
      if (Event.type() != QEvent::Show) return false;
      auto* model = Dialog.findChild<QFileSystemModel*>();
      QObject::connect(model, &QFileSystemModel::directoryLoaded, &Dialog, [&, folder](const QString& Path) {
        if (Path != folder) return;
        loaded = true;
        // Listed, with icons and types: the files have been looked at.
        QMetaObject::invokeMethod(&Dialog, &QDialog::reject, Qt::QueuedConnection);
      });
      Dialog.setDirectory(folder);
      return true;
    });
    TQtDialogs dialogs;
    std::vector<std::string> files;
    QVERIFY(!dialogs.ChooseFiles(AlbumOpenDialog(), files));
    QVERIFY(loaded);
    QCOMPARE(opened.Names(), QStringList());
  }

  void ProposesTheLastFileButNoFolderWhereWritingFailed() {
    qtest::TScratchDir dir;
    const QString chosen = QString::fromStdString(dir / "album.qvl");
    QStringList proposed;  // what each dialog showed first
    const auto answer = [&](bool Choose) {
      return [&, Choose](QFileDialog& Dialog, QEvent& Event) {
        if (Event.type() != QEvent::Show) return false;
        proposed << Dialog.directory().absoluteFilePath(Dialog.selectedFiles().value(0));
        if (Choose) Dialog.selectFile(chosen);
        QMetaObject::invokeMethod(&Dialog, Choose ? &QDialog::accept : &QDialog::reject,
                                  Qt::QueuedConnection);
        return true;
      };
    };
    TQtDialogs dialogs;
    std::vector<std::string> files;
    {
      const qtest::TWhenShown<QFileDialog> choose(answer(true));
      QVERIFY(dialogs.ChooseFiles(AlbumSaveDialog(), files));
    }
    QCOMPARE(files, std::vector<std::string>{chosen.toStdString()});
    {
      const qtest::TWhenShown<QFileDialog> look(answer(false));
      QVERIFY(!dialogs.ChooseFiles(AlbumSaveDialog(), files));
    }
    dialogs.FileFailed(chosen.toStdString());
    {
      const qtest::TWhenShown<QFileDialog> look(answer(false));
      QVERIFY(!dialogs.ChooseFiles(AlbumSaveDialog(), files));
    }
    QCOMPARE(proposed.size(), 3);
    QCOMPARE(proposed[1], chosen);
    QVERIFY2(!proposed[2].startsWith(QString::fromStdString(dir.Path().string())), qPrintable(proposed[2]));
  }
};

QTEST_MAIN(QtDialogsTest)
#include "QtDialogsTest.moc"
