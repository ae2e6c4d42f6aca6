#pragma once
// TSelDateDlg: asks for a report's date, or its period ("С:" .. "По:").
#include <QDate>
#include <QDateEdit>
#include <QLabel>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"

namespace korvant {

class TSelDateDlg : public TPrgDialog {
  Q_OBJECT
 public:
  TSelDateDlg(QWidget* owner, bool dayOnly);

  bool DayOnly() const { return dayOnly_; }
  QDateEdit* FromPicker() const { return from_; }
  QDateEdit* ToPicker() const { return to_; }
  QLabel* FromLabel() const { return fromLabel_; }
  QLabel* ToLabel() const { return toLabel_; }
  TPrgBitBtn* YesButton() const { return yes_; }

  QDate FromDate() const { return from_->date(); }
  QDate ToDate() const { return to_->date(); }

  // Runs the dialog; true when "Да" ended it.
  bool Run();

 private:
  bool dayOnly_;
  QLabel* fromLabel_;
  QLabel* toLabel_;
  QDateEdit* from_;
  QDateEdit* to_;
  TPrgBitBtn* yes_;
};

}  // namespace korvant
