#pragma once
// TPrgBtnEdit: an edit with a small button that asks its owner for a value
// (the string grid's in-place editor kinds 3 and 4). With EditorEnabled
// false the text changes only through the button.
#include <QString>
#include <functional>

#include "controls/inner_button_edit.h"

namespace korvant {

class TPrgSpeedButton;

class TPrgBtnEdit : public TInnerButtonEdit {
  Q_OBJECT
 public:
  // OnEditCall(sender, value): value holds the text and comes back as the
  // new text.
  using EditCallEvent = std::function<void(QObject* sender, QString& value)>;

  explicit TPrgBtnEdit(QWidget* parent = nullptr);

  void SetOnEditCall(EditCallEvent cb) { onEditCall_ = std::move(cb); }
  bool HasOnEditCall() const { return static_cast<bool>(onEditCall_); }

  TPrgSpeedButton* Button() const { return button_; }

  // What the button does: focus the edit, then ask the owner.
  virtual void ButtonClick();

 private:
  TPrgSpeedButton* button_;
  EditCallEvent onEditCall_;
};

}  // namespace korvant
