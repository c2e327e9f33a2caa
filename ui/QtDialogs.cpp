#include "ui/QtDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>

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

}  // namespace

bool TQtDialogs::ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) {
  QFileDialog dialog(FParent, TitleOf(Dialog.Kind));
  QStringList filters;
  for (const std::string& line : FileDialogFilterLines(Dialog.Filter))
    filters << QString::fromStdString(line);
  dialog.setNameFilters(filters);
  dialog.setAcceptMode(Dialog.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(Dialog.Save       ? QFileDialog::AnyFile
                     : Dialog.Multiple ? QFileDialog::ExistingFiles
                                       : QFileDialog::ExistingFile);
  if (!Dialog.DefaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(Dialog.DefaultExt));
  const QString& last = FLast[Dialog.Kind];
  if (!last.isEmpty()) {
    if (Dialog.Multiple)
      dialog.setDirectory(QFileInfo(last).absolutePath());
    else
      dialog.selectFile(last);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  Files.clear();
  for (const QString& file : dialog.selectedFiles()) Files.push_back(file.toStdString());
  FLast[Dialog.Kind] = dialog.selectedFiles().front();
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
