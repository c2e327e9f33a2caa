#pragma once
// TQtDialogs: the window's dialogs with Qt (file dialogs, TFontColorDialog, the colour dialog,
// TSortDialog), their
// texts German through Qt's translations. Each kind of file dialog proposes the file last chosen in it
// (the photo dialog its folder).

#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>

#include "platform/Dialogs.h"

class TQtDialogs final : public TDialogs {
 public:
  explicit TQtDialogs(QWidget* Parent = nullptr) : FParent(Parent) {}
  void SetParent(QWidget* Parent) { FParent = Parent; }

  bool ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) override;
  bool ChooseFont(TFontChoice& Font) override;
  bool ChooseColor(uint32_t& Color) override;
  bool ChooseSort(TSortChoice& Choice) override;

 private:
  QPointer<QWidget> FParent;
  std::map<TFileDialogKind, QString> FLast;
};
