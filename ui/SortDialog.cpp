#include "ui/SortDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton* Option(const QString& Caption, const char* Name, QWidget* Parent, QLayout* Layout) {
  auto* button = new QRadioButton(Caption, Parent);
  button->setObjectName(QString::fromLatin1(Name));
  Layout->addWidget(button);
  return button;
}

}  // namespace

TSortDialog::TSortDialog(QWidget* Parent) : QDialog(Parent) {
  setObjectName(QStringLiteral("SortDialog"));
  setWindowTitle(QStringLiteral("Fotos sortieren"));
  auto* layout = new QVBoxLayout(this);
  auto* keys = new QGroupBox(QStringLiteral("Sortieren nach"), this);
  auto* keyLayout = new QVBoxLayout(keys);
  FByDate = Option(QStringLiteral("&Aufnahmedatum"), "SortByDate", keys, keyLayout);
  FByName = Option(QStringLiteral("Datei&name"), "SortByName", keys, keyLayout);
  FByFileDate = Option(QStringLiteral("&Dateidatum"), "SortByFileDate", keys, keyLayout);
  layout->addWidget(keys);
  auto* order = new QGroupBox(QStringLiteral("Reihenfolge"), this);
  auto* orderLayout = new QVBoxLayout(order);
  FAscending = Option(QStringLiteral("a&ufsteigend"), "SortAscending", order, orderLayout);
  FDescending = Option(QStringLiteral("a&bsteigend"), "SortDescending", order, orderLayout);
  layout->addWidget(order);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Sortieren"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  SetChoice(TSortChoice{});
}

void TSortDialog::SetChoice(const TSortChoice& Choice) {
  (Choice.Key == TSortKey::FileName   ? FByName
   : Choice.Key == TSortKey::FileDate ? FByFileDate
                                      : FByDate)
      ->setChecked(true);
  (Choice.Descending ? FDescending : FAscending)->setChecked(true);
}

TSortChoice TSortDialog::Choice() const {
  TSortChoice choice;
  choice.Key = FByName->isChecked()       ? TSortKey::FileName
               : FByFileDate->isChecked() ? TSortKey::FileDate
                                          : TSortKey::DateTaken;
  choice.Descending = FDescending->isChecked();
  return choice;
}
