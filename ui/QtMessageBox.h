#pragma once
// The message boxes of the window, with Qt. Installed as the core's TMessageBox while the window runs.
// A box asked for from another thread (an export running on a worker) is shown by the user-interface
// thread, and the asking thread waits for the answer; the user-interface thread must therefore keep
// its event loop turning while such work runs.

#include <QPointer>
#include <QWidget>

#include "platform/Messages.h"

class TQtMessageBox final : public TMessageBox {
 public:
  explicit TQtMessageBox(QWidget* Parent = nullptr) : FParent(Parent) {}
  bool Show(const std::string& Text, const std::string& Title, TMsgIcon Icon, TMsgButtons Buttons) override;

 private:
  bool ShowHere(const std::string& Text, const std::string& Title, TMsgIcon Icon, TMsgButtons Buttons);

  QPointer<QWidget> FParent;
};
