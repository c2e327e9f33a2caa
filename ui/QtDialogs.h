#pragma once
// TQtDialogs: the window's dialogs with Qt (file dialogs, TFontColorDialog, the colour dialog,
// TSortDialog), their texts German through Qt's translations. Each kind of file dialog proposes what
// TFileProposals says.
//
// The file dialogs are Qt's own, never the desktop's: they tell a file's type by its name alone and
// never open a file to look inside, so a folder of special files (/proc, a named pipe) cannot make
// them wait for ever.

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/Dialogs.h"

class TQtDialogs final : public TDialogs {
 public:
  explicit TQtDialogs(QWidget* Parent = nullptr) : FParent(Parent) {}
  void SetParent(QWidget* Parent) { FParent = Parent; }

  bool ChooseFiles(const TFileDialog& Dialog, std::vector<std::string>& Files) override;
  void FileFailed(const std::string& File) override { FProposals.Failed(File); }
  bool ChooseFont(TFontChoice& Font) override;
  bool ChooseColor(uint32_t& Color) override;
  bool ChooseSort(TSortChoice& Choice) override;

 private:
  QPointer<QWidget> FParent;
  TFileProposals FProposals;
};
