#pragma once
// For Qt tests: acting on a window that the code under test shows (a modal dialog, a message box), on
// the events that reach it rather than on a timer. Header only, so the core's tests need no Qt.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <functional>

namespace qtest {

// While it lives, calls Act for each event that reaches a shown window of type T, before the window
// handles it (its showing, each call posted to it), until Act returns true. Act runs inside the event's
// delivery, where a window being shown has no loop of its own yet: what would end that loop (accept,
// reject, a click on its button) must be posted to the window.
template <typename T>
class TWhenShown final : public QObject {
 public:
  explicit TWhenShown(std::function<bool(T&, QEvent&)> Act) : FAct(std::move(Act)) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~TWhenShown() override { QCoreApplication::instance()->removeEventFilter(this); }
  bool Done() const { return FDone; }

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    T* window = Watched->isWidgetType() ? qobject_cast<T*>(Watched) : nullptr;
    if (!FDone && window && window->isVisible()) FDone = FAct(*window, *Event);
    return false;
  }

 private:
  std::function<bool(T&, QEvent&)> FAct;
  bool FDone = false;
};

}  // namespace qtest
