#pragma once
// TFontColorDialog: the font dialog of the layout settings. Qt's font dialog (face, style, size,
// underline, strike-out, a sample) with a colour row below it, since the fonts of the album carry a
// colour too.

#include <QDialog>

#include "platform/Dialogs.h"

class QFontDialog;
class TColorSwatch;

class TFontColorDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TFontColorDialog(QWidget* Parent = nullptr);

  void SetChoice(const TFontChoice& Choice);
  // What the dialog shows now. A face the system substitutes keeps its own name unless the user chose
  // another face.
  TFontChoice Choice() const;

  QFontDialog* Fonts() const { return FFonts; }
  TColorSwatch* ColorField() const { return FColorField; }

 private:
  void ColorFieldMouseDown();

  QFontDialog* FFonts;
  TColorSwatch* FColorField;
  std::string FAskedName;  // the face name given to SetChoice
  QString FShownFamily;    // the family the dialog showed for it
};
