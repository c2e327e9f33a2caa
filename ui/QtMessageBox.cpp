#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

bool TQtMessageBox::Show(const std::string& Text, const std::string& Title, TMsgIcon Icon,
                         TMsgButtons Buttons) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) return ShowHere(Text, Title, Icon, Buttons);
  bool answer = false;
  QMetaObject::invokeMethod(
      app, [&] { answer = ShowHere(Text, Title, Icon, Buttons); }, Qt::BlockingQueuedConnection);
  return answer;
}

bool TQtMessageBox::ShowHere(const std::string& Text, const std::string& Title, TMsgIcon Icon,
                             TMsgButtons Buttons) {
  QMessageBox::Icon icon = QMessageBox::Information;
  switch (Icon) {
    case TMsgIcon::Information: icon = QMessageBox::Information; break;
    case TMsgIcon::Error: icon = QMessageBox::Critical; break;
    case TMsgIcon::Question: icon = QMessageBox::Question; break;
    case TMsgIcon::Warning: icon = QMessageBox::Warning; break;
  }
  const QString title =
      Title.empty() ? QApplication::applicationDisplayName() : QString::fromStdString(Title);
  QMessageBox box(icon, title, QString::fromStdString(Text),
                  Buttons == TMsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                  FParent.data());
  return box.exec() == QMessageBox::Ok;
}
