#pragma once
// TSelItemDlg: asks for one item of a list (a klass, a teacher) and
// whether the report should take its short form. The answer (item index
// + 1, or -1 for no choice) is kept apart from the modal result, so item 1
// or 2 is never confused with a close or a cancel.
#include <QCheckBox>
#include <QListWidget>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"

namespace korvant {

class TSelItemDlg : public TPrgDialog {
  Q_OBJECT
 public:
  static constexpr int kNoChoice = -1;

  explicit TSelItemDlg(QWidget* owner = nullptr);

  QListWidget* List() const { return list_; }
  QCheckBox* ShortForm() const { return shortForm_; }
  TPrgBitBtn* YesButton() const { return yes_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }
  TPrgBitBtn* HelpButton() const { return help_; }

  // The caller's tag; a non-zero tag makes SetNoHelp take the help away.
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  void SetNoHelp();

  // Runs the dialog modally: the chosen item's index + 1, or kNoChoice.
  int Run();
  int Choice() const { return choice_; }

 private:
  void Choose();

  QListWidget* list_;
  TPrgBitBtn* yes_;
  TPrgBitBtn* cancel_;
  TPrgBitBtn* help_;
  QCheckBox* shortForm_;
  int tag_ = 0;
  int choice_ = kNoChoice;
};

}  // namespace korvant
