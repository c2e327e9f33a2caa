#pragma once
// TColorSwatch: a framed field filled with one colour (the page background, the frame colour). A mouse
// button pressed on it, or Space or Enter while it has the focus, emits MouseDown; the window then
// opens the colour dialog.

#include <QFrame>

class TColorSwatch final : public QFrame {
  Q_OBJECT

 public:
  explicit TColorSwatch(QWidget* Parent = nullptr);

  // Color is 0x00BBGGRR; a system colour is shown as it looks.
  void SetColor(uint32_t Color);
  uint32_t Color() const { return FColor; }
  QColor ShownColor() const;

  QSize sizeHint() const override { return {60, 24}; }

 signals:
  void MouseDown();

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  uint32_t FColor = 0x00FFFFFF;
};

// A colour value 0x00BBGGRR as Qt's colour, system colours resolved; and back (0x00BBGGRR).
QColor QColorOf(uint32_t Color);
uint32_t ColorValueOf(const QColor& Color);
