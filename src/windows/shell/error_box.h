#pragma once
// TErrorBox: the program's one message box ("Предупреждение"): a stop icon,
// the message and one, two or three buttons by kind (0 "Да"; 1 "Да", "Нет";
// 3 "Да", "Нет", "Отмена"). Its answer is 1, 2 or 7 and is kept apart from
// the dialog's modal result, so a close from the window frame can never be
// read as "Нет".
#include <QLabel>
#include <string>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"
#include "core/common/catalogue.h"

namespace korvant {

class TErrorBox : public TPrgDialog {
  Q_OBJECT
 public:
  // text is program text (CP1251).
  static TErrorBox* CreateWithText(QWidget* owner, uint8_t kind, const std::string& text);
  static TErrorBox* CreateById(QWidget* owner, uint8_t kind, int msgId);

  TErrorBox(QWidget* owner, uint8_t kind, const QString& text);

  // Runs the box modally; answers kResYes, kResNo or kResCancel.
  int Run();
  // The answer so far: what the user pressed, or what closing the box
  // without a button means for its kind ("Да" for kind 0, "Нет" for kind 1,
  // "Отмена" for kind 3: never the answer that goes further).
  int Answer() const { return answer_; }
  uint8_t Kind() const { return kind_; }

  TPrgBitBtn* YesButton() const { return yes_; }
  TPrgBitBtn* NoButton() const { return no_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }
  QLabel* MessageLabel() const { return label_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void Choose(int answer);
  void PlaceButtons();

  uint8_t kind_;
  int answer_;
  QLabel* label_;
  TPrgBitBtn* yes_;
  TPrgBitBtn* no_;
  TPrgBitBtn* cancel_;
};

// ShowErrMsgText / ShowErrMsg of the window layer.
int ShowErrorBox(QWidget* owner, const std::string& text, uint8_t kind);

// The prompt the program installs at start-up: every core message goes
// through the box. An owner handed over by the core is the window that
// asked (a QWidget); without one the active window owns the box.
class ErrorBoxPrompt : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind) override;
  int ShowErrMsgText16(PromptOwner owner, const std::u16string& text, uint8_t kind) override;
};

// The owner value the window layer passes to the core for a window.
inline PromptOwner OwnerOf(const QWidget* w) { return static_cast<PromptOwner>(w); }

}  // namespace korvant
