#pragma once
// TSpinEdit: a number field of the layout settings. The user types freely, in millimetres with the
// decimal separator of the user's language (a point is read as well) or in whole numbers; the arrows,
// the cursor keys and the wheel step by 1. When the field is left, or Enter is pressed, its text is
// replaced by the value it stands for: a value outside the limits becomes the nearest limit, text that
// is no number becomes the minimum. The rules are the layout settings' own (LayoutSettings.h).

#include <QAbstractSpinBox>

#include "album/LayoutSettings.h"

class TSpinEdit final : public QAbstractSpinBox {
  Q_OBJECT

 public:
  explicit TSpinEdit(QWidget* Parent = nullptr);

  // The field's limits and kind: Decimal for millimetres, otherwise whole numbers. Shows the minimum.
  void SetField(TFieldLimits Limits, bool Decimal);
  // The value as the field reads it now, also while the user is still typing.
  double Value() const;
  // Shows Value, brought inside the limits (and rounded, for whole numbers).
  void SetValue(double Value);

  void stepBy(int Steps) override;
  QValidator::State validate(QString& Input, int& Pos) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  void Normalize();
  QString TextOf(double Value) const;

  TFieldLimits FLimits{0, 100};
  bool FDecimal = true;
};
