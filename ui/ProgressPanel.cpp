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
  StatusBar1DrawPanel(painter, rect(), Event->rect());
}

void TProgressPanel::StatusBar1DrawPanel(QPainter& Painter, const QRect& R, const QRect& Clip) {
  const int x = SplitX(R, FProStatus);
  Painter.fillRect(QRect(R.x(), R.y(), x - R.x(), R.height()).intersected(Clip), KNavy);
  Painter.fillRect(QRect(x, R.y(), R.right() + 1 - x, R.height()).intersected(Clip),
                   palette().color(QPalette::Button));
  FProRect = R;
  FPaintedUpTo = FProStatus;
}
