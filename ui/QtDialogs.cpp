#include "ui/QtDialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

#include "ui/ColorSwatch.h"
#include "ui/FontColorDialog.h"
#include "ui/SortDialog.h"

namespace {

QString TitleOf(TFileDialogKind Kind) {
  switch (Kind) {
    case TFileDialogKind::OpenAlbum: return QStringLiteral("Album öffnen");
    case TFileDialogKind::SaveAlbum: return QStringLiteral("Album speichern unter");
    case TFileDialogKind::AddPhotos: return QStringLiteral("Fotos hinzufügen");
    case TFileDialogKind::SavePdf: return QStringLiteral("PDF-Datei speichern");
  }
  return {};
}

// Icons and type names from a file's name alone. Qt's own provider guesses a file's type from its
// contents whenever its name leaves doubt, and so opens and reads every such file of the folder shown,
// on the user-interface thread: /proc/kmsg or a named pipe never answer.
class TNameOnlyIcons final : public QFileIconProvider {
 public:
  QIcon icon(IconType Type) const override { return QFileIconProvider::icon(Type); }
  QIcon icon(const QFileInfo& Info) const override {
    if (!Info.isFile()) return QFileIconProvider::icon(Info.isDir() ? Folder : File);
    const QMimeType type = ByName(Info);
    const QIcon generic = QIcon::fromTheme(type.genericIconName(), QFileIconProvider::icon(File));
    return QIcon::fromTheme(type.iconName(), generic);
  }
  QString type(const QFileInfo& Info) const override {
    if (!Info.isFile()) return QFileIconProvider::type(Info);  // folders, drives: no contents read
    const QMimeType type = ByName(Info);
    return type.comment().isEmpty() ? type.name() : type.comment();
  }

 private:
  QMimeType ByName(const QFileInfo& Info) const {
    return FTypes.mimeTypeForFile(Info.fileName(), QMimeDatabase::MatchExtension);
  }
  QMimeDatabase FTypes;
};

}  // namespace

bool TQtDialogs::ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) {
  TNameOnlyIcons icons;  // outlives the dialog, whose folder model asks it
  QFileDialog dialog(FParent, TitleOf(Dialog.Kind));
  dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontResolveSymlinks);
  dialog.setIconProvider(&icons);
  QStringList filters;
  for (const std::string& line : FileDialogFilterLines(Dialog.Filter))
    filters << QString::fromStdString(line);
  dialog.setNameFilters(filters);
  dialog.setAcceptMode(Dialog.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(Dialog.Save       ? QFileDialog::AnyFile
                     : Dialog.Multiple ? QFileDialog::ExistingFiles
                                       : QFileDialog::ExistingFile);
  if (!Dialog.DefaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(Dialog.DefaultExt));
  const QString last = QString::fromStdString(FProposals.Proposal(Dialog.Kind));
  if (last.isEmpty()) {
    // Always a folder of our choosing: left alone, the dialog would open where any dialog was last.
    const QString here = QDir::currentPath();
    dialog.setDirectory(FProposals.FolderFailed(here.toStdString()) ? QDir::homePath() : here);
  } else if (Dialog.Multiple) {
    dialog.setDirectory(QFileInfo(last).absolutePath());
  } else {
    dialog.selectFile(last);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  Files.clear();
  for (const QString& file : dialog.selectedFiles()) Files.push_back(file.toStdString());
  FProposals.Chosen(Dialog.Kind, Files.front());
  return true;
}

bool TQtDialogs::ChooseFont(TFontChoice& Font) {
  TFontColorDialog dialog(FParent);
  dialog.SetChoice(Font);
  if (dialog.exec() != QDialog::Accepted) return false;
  Font = dialog.Choice();
  return true;
}

bool TQtDialogs::ChooseColor(uint32_t& Color) {
  const QColor chosen = QColorDialog::getColor(QColorOf(Color), FParent);
  if (!chosen.isValid()) return false;
  Color = ColorValueOf(chosen);
  return true;
}

bool TQtDialogs::ChooseSort(TSortChoice& Choice) {
  TSortDialog dialog(FParent);
  dialog.SetChoice(Choice);
  if (dialog.exec() != QDialog::Accepted) return false;
  Choice = dialog.Choice();
  return true;
}
