#pragma once
// TSpinEdit: a whole-number field with up and down steps that, unlike QSpinBox, lets any number be
// typed and reports every keystroke: Value() is the number typed so far, also outside the limits, and
// the field's minimum while the text is not a number. When the field is left (or Enter is pressed)
// a value outside the limits is set to the nearest limit, and text that is not a number to the minimum.
// Setting a value from the program keeps it within the limits.

#include <QSpinBox>

class TSpinEdit : public QSpinBox {
  Q_OBJECT

 public:
  TSpinEdit(int Minimum, int Maximum, int Step, int Value, QWidget* Parent = nullptr);

  // The number typed so far; the minimum while the text is not a number.
  int Value() const;
  // The text field, for typing into it.
  using QSpinBox::lineEdit;

 signals:
  // Every change of the text: each keystroke, each step, each value set by the program.
  void Changed();

 protected:
  QValidator::State validate(QString& Input, int& Pos) const override;
  void fixup(QString& Input) const override;

 private:
  // Emits Changed when the text differs from the one last announced. Typing changes the text in the
  // field; setValue and the steps change it with the field's signals blocked and report the value.
  void Announce();
  QString FAnnounced;
};
