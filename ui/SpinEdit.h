#pragma once
// TSpinEdit: a number field with up and down steps, for whole numbers or for decimals in the decimal
// separator of the user's language (a point is read as well). Any text may be typed, and every change of
// the text is reported (Changed): each keystroke, each step, each value set by the program. Only when
// the field is left, or Enter is pressed, is its text replaced by the value it stands for: a value
// outside the limits becomes the nearest limit, text that is no number becomes the minimum. The rules
// are the layout settings' own (LayoutSettings.h): whole numbers are rounded, halves to even.
//
// Two readings: Value() is what the field stands for, inside its limits; Typed() is the number typed so
// far, outside the limits too (the minimum while the text is no number), for fields that follow every
// keystroke before the value is corrected.

#include <QAbstractSpinBox>

#include "album/LayoutSettings.h"

class TSpinEdit final : public QAbstractSpinBox {
  Q_OBJECT

 public:
  // A decimal field from 0 to 100 showing 0; SetField gives it its own kind and limits.
  explicit TSpinEdit(QWidget* Parent = nullptr);
  // A whole-number field with its limits, step and first value.
  TSpinEdit(int Minimum, int Maximum, int Step, int Value, QWidget* Parent = nullptr);

  // The field's limits and kind: Decimal for millimetres, otherwise whole numbers. Shows the minimum.
  void SetField(TFieldLimits Limits, bool Decimal);
  void SetStep(double Step) { FStep = Step; }
  // What the field stands for: the number typed, brought inside the limits (and rounded, for whole
  // numbers); the minimum while the text is no number.
  double Value() const;
  int WholeValue() const { return static_cast<int>(Value()); }
  // The number typed so far, not brought inside the limits (rounded, for whole numbers); the minimum
  // while the text is no number.
  double Typed() const;
  // Shows Value, brought inside the limits (and rounded, for whole numbers).
  void SetValue(double Value);
  // The text field, for typing into it.
  using QAbstractSpinBox::lineEdit;

  void stepBy(int Steps) override;
  QValidator::State validate(QString& Input, int& Pos) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // Every change of the text.
  void Changed();

 protected:
  StepEnabled stepEnabled() const override;

 private:
  void Normalize();
  void Announce();
  QString TextOf(double Value) const;

  TFieldLimits FLimits{0, 100};
  bool FDecimal = true;
  double FStep = 1;
  QString FAnnounced;
};
