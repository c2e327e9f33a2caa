#include "ui/WindowApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "imaging/screen/ThumbnailCache.h"
#include "platform/Messages.h"
#include "platform/Shell.h"
#include "ui/IniSettingsStore.h"
#include "ui/MainForm.h"
#include "ui/QtDevice.h"
#include "ui/QtDialogs.h"
#include "ui/QtMessageBox.h"

std::unique_ptr<QTranslator> InstallGermanQtTexts(QCoreApplication& App) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return nullptr;
  App.installTranslator(translator.get());
  return translator;
}

int RunMainWindow(const std::string& Album) {
  const std::unique_ptr<QTranslator> qtTexts = InstallGermanQtTexts(*QCoreApplication::instance());
  TQtDesktopDevice desktop;
  SetDesktopDevice(&desktop);
  TQtDialogs dialogs;
  TIniSettingsStore store;
  TXdgShell shell;
  const TThumbnailCache thumbnails(TThumbnailCache::DefaultFolder());
  int result = 0;
  {
    TMainForm form(dialogs, store, shell, &thumbnails);
    dialogs.SetParent(&form);
    TQtMessageBox messages(&form);
    SetMessageBox(&messages);
    form.SetCommandLineAlbum(Album);
    form.show();
    result = QApplication::exec();
    SetMessageBox(nullptr);
  }
  SetDesktopDevice(nullptr);
  return result;
}
