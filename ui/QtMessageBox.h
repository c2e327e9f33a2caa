#pragma once
// The message boxes of the window, with Qt. Installed as the core's TMessageBox while the window runs.

#include <QWidget>

#include "platform/Messages.h"

class TQtMessageBox final : public TMessageBox {
 public:
  explicit TQtMessageBox(QWidget* Parent = nullptr) : FParent(Parent) {}
  bool Show(const std::string& Text, const std::string& Title, TMsgIcon Icon, TMsgButtons Buttons) override;

 private:
  QWidget* FParent;
};
