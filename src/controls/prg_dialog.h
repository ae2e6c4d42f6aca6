#pragma once
// TPrgDialog: the base of every dialog form. It keeps the modal result of
// the program (0 none, 1 OK/"Да", 2 cancel, 3..8 as below) apart from
// QDialog's own result: ShowModal and exec return the stored modal result.
// Enter clicks the focused or the default button, Esc the cancel button,
// F1 opens help at the focused control's help context, and the close box
// ends a modal run with CloseResult.
#include <QDialog>

namespace korvant {

enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
};

class TPrgDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TPrgDialog(QWidget* parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());

  // A non-zero result ends a modal run once the current event is handled;
  // a handler may still put it back to 0 to keep the dialog open.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r);

  // Runs the dialog modally; returns its modal result.
  int ShowModal();
  int exec() override;
  bool InModalRun() const { return inModal_; }

  // The modal result of closing from the title bar (mrCancel unless a
  // dialog says otherwise).
  int CloseResult() const { return closeResult_; }
  void SetCloseResult(int r) { closeResult_ = r; }

  void accept() override;  // modal result mrOk
  void reject() override;  // as the close box

 protected:
  // Asked before the dialog closes or a modal run ends; false keeps it open.
  virtual bool CloseQuery() { return true; }

  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void CheckModalEnd();

  int modalResult_ = mrNone;
  int closeResult_ = mrCancel;
  bool inModal_ = false;
  bool endPending_ = false;
};

}  // namespace korvant
