#include "ui/ColorSwatch.h"

#include <QKeyEvent>
#include <QPainter>

#include "export/ColorResolve.h"

QColor QColorOf(uint32_t Color) {
  const uint32_t rgb = ResolveColor(Color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

uint32_t ColorValueOf(const QColor& Color) {
  return static_cast<uint32_t>(Color.red()) | static_cast<uint32_t>(Color.green()) << 8 |
         static_cast<uint32_t>(Color.blue()) << 16;
}

TColorSwatch::TColorSwatch(QWidget* Parent) : QFrame(Parent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("Klicken, um die Farbe zu wählen"));
}

void TColorSwatch::SetColor(uint32_t Color) {
  FColor = Color;
  update();
}

QColor TColorSwatch::ShownColor() const { return QColorOf(FColor); }

void TColorSwatch::paintEvent(QPaintEvent* Event) {
  {
    QPainter painter(this);
    painter.fillRect(contentsRect(), ShownColor());
  }
  QFrame::paintEvent(Event);  // the frame over the fill
  if (hasFocus()) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
  }
}

void TColorSwatch::mousePressEvent(QMouseEvent*) { emit MouseDown(); }

void TColorSwatch::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Space || Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter)
    emit MouseDown();
  else
    QFrame::keyPressEvent(Event);
}
