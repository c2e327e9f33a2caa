#pragma once
// The status bar's progress panel: a navy bar on the button-face colour, filled to ProStatus percent.
// A rising percentage only paints the newly filled part, at once; a falling one repaints the panel.

#include <QWidget>

class TProgressPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TProgressPanel(QWidget* Parent = nullptr);

  // Sets the progress (clamped to 0..100) and shows it at once, without waiting for the event loop.
  void SetProStatus(int Percent);
  int ProStatus() const { return FProStatus; }
  // The panel's rectangle as last drawn; empty until the first paint.
  QRect ProRect() const { return FProRect; }

  // X of the split between the filled and the empty part for a rectangle R.
  static int SplitX(const QRect& R, int Percent);

  static inline const QColor KNavy{0, 0, 128};

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  // Draws the bar into R (the whole panel), limited to Clip: navy up to the split, button face after.
  void StatusBar1DrawPanel(QPainter& Painter, const QRect& R, const QRect& Clip);

 private:
  int FProStatus = 0;
  int FPaintedUpTo = 0;  // the percentage the panel shows now
  QRect FProRect;
};
