#pragma once
// TProjParams: the project parameters dialog. "Да" validates the fields
// through the core (in the order lessons per day, klass minimum, teacher
// minimum, shift starts); a failing field shows its message and the dialog
// stays open; only a dialog whose fields all pass changes the record.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <filesystem>
#include <string>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"
#include "core/project/params.h"

namespace korvant {

// The comment memo: at most maxChars characters; Enter goes to the
// dialog's default button instead of making a new line.
class TCommentMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  TCommentMemo(int maxChars, QWidget* parent);
  int MaxChars() const { return maxChars_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Limit();
  int maxChars_;
  QString accepted_;
  bool limiting_ = false;
};

class TProjParams : public TPrgDialog {
  Q_OBJECT
 public:
  // projectName: the project's file name (program text); the caption shows
  // it without folder and extension. params is changed only on "Да".
  TProjParams(QWidget* owner, const std::filesystem::path& projectName, TProjParamsRec& params);

  // Runs the dialog modally; true when the values were accepted.
  bool Run();
  bool Accepted() const { return accepted_; }

  TCommentMemo* Memo() const { return memo_; }
  QLineEdit* LessonsEdit() const { return lessons_; }
  QLineEdit* ShiftStartsEdit() const { return shifts_; }
  QLineEdit* KlassMinEdit() const { return klassMin_; }
  QLineEdit* TeacherMinEdit() const { return teacherMin_; }
  TPrgBitBtn* YesButton() const { return yes_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }
  TPrgBitBtn* HelpButton() const { return help_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void Fill();
  void OnYes();

  TProjParamsRec& params_;
  bool accepted_ = false;
  TCommentMemo* memo_;
  QLineEdit* lessons_;
  QLineEdit* shifts_;
  QLineEdit* klassMin_;
  QLineEdit* teacherMin_;
  TPrgBitBtn* yes_;
  TPrgBitBtn* cancel_;
  TPrgBitBtn* help_;
};

}  // namespace korvant
