#include "ui/SpinEdit.h"

#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <cmath>

TSpinEdit::TSpinEdit(QWidget* Parent) : QAbstractSpinBox(Parent) {
  setAccelerated(false);
  connect(this, &QAbstractSpinBox::editingFinished, this, &TSpinEdit::Normalize);
  connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::Announce);
  SetValue(FLimits.Min);
}

TSpinEdit::TSpinEdit(int Minimum, int Maximum, int Step, int Value, QWidget* Parent) : TSpinEdit(Parent) {
  SetField({double(Minimum), double(Maximum)}, false);
  SetStep(Step);
  SetValue(Value);
}

void TSpinEdit::SetField(TFieldLimits Limits, bool Decimal) {
  FLimits = Limits;
  FDecimal = Decimal;
  SetValue(Limits.Min);
  updateGeometry();
}

double TSpinEdit::Value() const {
  const std::string text = this->text().toStdString();
  return FDecimal ? ReadDecimalField(text, FLimits) : ReadWholeField(text, FLimits);
}

double TSpinEdit::Typed() const {
  double value = 0;
  if (!ParseDecimal(text().toStdString(), value)) return FLimits.Min;
  // Far beyond any limit, the number still has to fit the callers' integers.
  value = std::clamp(value, -1e9, 1e9);
  return FDecimal ? value : std::nearbyint(value);
}

QString TSpinEdit::TextOf(double Value) const {
  if (!FDecimal) return QString::number(ClampWhole(Value, FLimits));
  const QString separator = locale().decimalPoint();
  const char sep = separator.size() == 1 && separator[0].unicode() < 128 ? separator[0].toLatin1() : '.';
  return QString::fromStdString(DecimalFieldText(ClampDecimal(Value, FLimits), sep));
}

void TSpinEdit::SetValue(double Value) {
  const QString text = TextOf(Value);
  if (lineEdit()->text() != text) lineEdit()->setText(text);
  update();  // the arrows may have become enabled or disabled
}

void TSpinEdit::Normalize() { SetValue(Value()); }

void TSpinEdit::Announce() {
  if (lineEdit()->text() == FAnnounced) return;
  FAnnounced = lineEdit()->text();
  emit Changed();
}

void TSpinEdit::stepBy(int Steps) {
  SetValue(Value() + Steps * FStep);
  selectAll();
}

QValidator::State TSpinEdit::validate(QString&, int&) const {
  // Any text may be typed; what is no number counts as the minimum and is replaced on leaving.
  return QValidator::Acceptable;
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
  if (isReadOnly()) return StepNone;
  const double value = Value();
  StepEnabled enabled = StepNone;
  if (value < FLimits.Max) enabled |= StepUpEnabled;
  if (value > FLimits.Min) enabled |= StepDownEnabled;
  return enabled;
}

QSize TSpinEdit::sizeHint() const {
  // Wide enough for the largest value with a decimal place, plus the arrows and the frame.
  ensurePolished();
  const QString widest = TextOf(FLimits.Max) + (FDecimal ? QStringLiteral(",55") : QString());
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QSize content(fontMetrics().horizontalAdvance(widest) + 4, lineEdit()->sizeHint().height());
  return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QSize TSpinEdit::minimumSizeHint() const { return sizeHint(); }
