#pragma once
// The dialog that picks the record after which a list editor places its
// current record. The choice is kept apart from the modal result, so no
// way of closing the dialog can be read as a choice.
#include <QStringList>

#include "controls/prg_dialog.h"

class QLabel;
class QListWidget;

namespace korvant {

class TPrgBitBtn;

class TMoveRecDlg : public TPrgDialog {
  Q_OBJECT
 public:
  explicit TMoveRecDlg(QWidget* parent = nullptr);

  // Fills the list (in list order) and selects entry 0.
  void SetEntries(const QStringList& names);
  QListWidget* MoveListBox() const { return list_; }
  TPrgBitBtn* OkBtn() const { return ok_; }
  TPrgBitBtn* CancelBtn() const { return cancel_; }
  TPrgBitBtn* HelpBtn() const { return help_; }

  // Runs the dialog; the chosen entry (0-based), or -1 when it was
  // cancelled, closed or left with Esc.
  int Execute();
  int Choice() const { return choice_; }

 private:
  void MoveClick();

  QListWidget* list_ = nullptr;
  TPrgBitBtn* ok_ = nullptr;
  TPrgBitBtn* cancel_ = nullptr;
  TPrgBitBtn* help_ = nullptr;
  int choice_ = -1;
};

}  // namespace korvant
