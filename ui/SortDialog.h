#pragma once
// TSortDialog: "Sortieren" asks by what the photos are put in order (date taken, file name, file date)
// and in which direction.

#include <QDialog>

#include "platform/Dialogs.h"

class QRadioButton;

class TSortDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TSortDialog(QWidget* Parent = nullptr);
  void SetChoice(const TSortChoice& Choice);
  TSortChoice Choice() const;

 private:
  QRadioButton* FByDate;
  QRadioButton* FByName;
  QRadioButton* FByFileDate;
  QRadioButton* FAscending;
  QRadioButton* FDescending;
};
