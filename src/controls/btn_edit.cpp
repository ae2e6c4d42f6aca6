#include "controls/btn_edit.h"

#include "controls/glyphs.h"
#include "controls/speed_button.h"

namespace korvant {

TPrgBtnEdit::TPrgBtnEdit(QWidget* parent) : TInnerButtonEdit(parent) {
  button_ = new TPrgSpeedButton(this);
  SetInnerButton(button_, true);
  SetDeleteNeedsEditor(true);
  button_->setCursor(Qt::ArrowCursor);
  button_->SetGlyph(EditButtonGlyph());
  button_->SetNumGlyphs(3);
  connect(button_, &TPrgSpeedButton::Clicked, this, [this] { ButtonClick(); });
  connect(this, &QLineEdit::textChanged, this, [this] { emit Change(); });
}

void TPrgBtnEdit::ButtonClick() {
  if (isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus) setFocus(Qt::OtherFocusReason);
  if (!onEditCall_) return;
  QString s = text();
  onEditCall_(this, s);
  setText(s);
}

}  // namespace korvant
