#include "ui/SpinEdit.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

// The whole number in Text, if it is one and fits an int.
std::optional<int> Number(const QString& Text) {
  bool ok = false;
  const qlonglong n = Text.trimmed().toLongLong(&ok);
  if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(n);
}

}  // namespace

TSpinEdit::TSpinEdit(int Minimum, int Maximum, int Step, int Value, QWidget* Parent) : QSpinBox(Parent) {
  setRange(Minimum, Maximum);
  setSingleStep(Step);
  setValue(Value);
  setKeyboardTracking(true);
  FAnnounced = lineEdit()->text();
  connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::Announce);
  connect(this, &QSpinBox::valueChanged, this, &TSpinEdit::Announce);
}

void TSpinEdit::Announce() {
  if (lineEdit()->text() == FAnnounced) return;
  FAnnounced = lineEdit()->text();
  emit Changed();
}

int TSpinEdit::Value() const { return Number(lineEdit()->text()).value_or(minimum()); }

QValidator::State TSpinEdit::validate(QString& Input, int&) const {
  // Digits with an optional leading minus; anything between the limits is a value, any other number
  // (and an empty field) may still become one.
  static const QRegularExpression digits(QStringLiteral("^-?[0-9]{0,9}$"));
  if (!digits.match(Input).hasMatch()) return QValidator::Invalid;
  const std::optional<int> n = Number(Input);
  return n && *n >= minimum() && *n <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& Input) const {
  Input = QString::number(std::clamp(Number(Input).value_or(minimum()), minimum(), maximum()));
}
