#include "ui/ProgressPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TProgressPanel::TProgressPanel(QWidget* Parent) : QWidget(Parent) {
  setMinimumWidth(50);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int TProgressPanel::SplitX(const QRect& R, int Percent) {
  // Rectangle in the [Left, Right) sense of the status bar: Right = x() + width().
  return R.x() + R.width() * Percent / 100;
}

void TProgressPanel::SetProStatus(int Percent) {
  Percent = std::clamp(Percent, 0, 100);
  FProStatus = Percent;
  if (FProRect.isEmpty()) return;  // not painted yet: the first paint shows it
  if (Percent < FPaintedUpTo) {
    repaint();  // shrinking: the whole panel anew
  } else {
    // growing: only the newly filled strip
    const int from = SplitX(FProRect, FPaintedUpTo);
    const int to = SplitX(FProRect, Percent);
    if (to > from) repaint(QRect(from, FProRect.y(), to - from, FProRect.height()));
  }
}

void TProgressPanel::paintEvent(QPaintEvent* Event) {
  QPainter painter(this);
  const QRect r = rect();
  const int x = SplitX(r, FProStatus);
  painter.fillRect(QRect(r.x(), r.y(), x - r.x(), r.height()).intersected(Event->rect()), KNavy);
  painter.fillRect(QRect(x, r.y(), r.right() + 1 - x, r.height()).intersected(Event->rect()),
                   palette().color(QPalette::Button));
  FProRect = r;
  FPaintedUpTo = FProStatus;
}
