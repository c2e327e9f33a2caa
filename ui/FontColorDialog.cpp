#include "ui/FontColorDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/ColorSwatch.h"

TFontColorDialog::TFontColorDialog(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Schriftart"));
  auto* layout = new QVBoxLayout(this);

  // Qt's font dialog as a part of this one, without buttons of its own.
  FFonts = new QFontDialog(this);
  FFonts->setWindowFlags(Qt::Widget);
  FFonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  FFonts->setSizeGripEnabled(false);
  layout->addWidget(FFonts);

  auto* colorRow = new QHBoxLayout;
  auto* colorLabel = new QLabel(QStringLiteral("&Farbe:"), this);
  FColorField = new TColorSwatch(this);
  FColorField->setObjectName(QStringLiteral("FontColor"));
  colorLabel->setBuddy(FColorField);
  colorRow->addWidget(colorLabel);
  colorRow->addWidget(FColorField);
  colorRow->addStretch(1);
  layout->addLayout(colorRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FColorField, &TColorSwatch::MouseDown, this, &TFontColorDialog::ColorFieldMouseDown);
}

void TFontColorDialog::SetChoice(const TFontChoice& Choice) {
  QFont font(QString::fromStdString(Choice.Name));
  font.setPointSize(std::max(1, Choice.Size));
  font.setBold(Choice.Style & fsBold);
  font.setItalic(Choice.Style & fsItalic);
  font.setUnderline(Choice.Style & fsUnderline);
  font.setStrikeOut(Choice.Style & fsStrikeOut);
  FFonts->setCurrentFont(font);
  FColorField->SetColor(Choice.Color);
  FAskedName = Choice.Name;
  FShownFamily = FFonts->currentFont().family();
}

TFontChoice TFontColorDialog::Choice() const {
  const QFont font = FFonts->currentFont();
  TFontChoice choice;
  choice.Name = font.family() == FShownFamily ? FAskedName : font.family().toStdString();
  choice.Size = font.pointSize() > 0 ? font.pointSize() : std::max(1, font.pixelSize() * 72 / 96);
  choice.Style =
      static_cast<TFontStyles>((font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
                               (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0));
  choice.Color = FColorField->Color();
  return choice;
}

void TFontColorDialog::ColorFieldMouseDown() {
  const QColor chosen = QColorDialog::getColor(FColorField->ShownColor(), this);
  if (chosen.isValid()) FColorField->SetColor(ColorValueOf(chosen));
}
