#pragma once
// TTblAboutDlg: "О программе".
#include <QLabel>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"

namespace korvant {

class TTblAboutDlg : public TPrgDialog {
  Q_OBJECT
 public:
  explicit TTblAboutDlg(QWidget* owner);
  QLabel* ProductLabel() const { return product_; }
  QLabel* VersionLabel() const { return version_; }
  QLabel* DateLabel() const { return date_; }
  TPrgBitBtn* CloseButton() const { return close_; }

 private:
  QLabel* product_;
  QLabel* version_;
  QLabel* date_;
  TPrgBitBtn* close_;
};

}  // namespace korvant
