#include "controls/btn_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "controls/glyphs.h"
#include "controls/spin_edit.h"
#include "platform/qt/beep.h"

namespace korvant {

TPrgBtnEdit::TPrgBtnEdit(QWidget* parent) : QLineEdit(parent) {
  button_ = new TPrgSpeedButton(this);
  button_->resize(16, 18);
  button_->setVisible(true);
  button_->setCursor(Qt::ArrowCursor);
  button_->SetGlyph(EditButtonGlyph());
  button_->SetNumGlyphs(3);
  connect(button_, &TPrgSpeedButton::Clicked, this, [this] { ButtonClick(); });
  connect(this, &QLineEdit::textChanged, this, [this] { emit Change(); });
  setTextMargins(0, 0, button_->width() + 2, 0);
}

void TPrgBtnEdit::ButtonClick() {
  if (isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus) setFocus(Qt::OtherFocusReason);
  if (!onEditCall_) return;
  QString s = text();
  onEditCall_(this, s);
  setText(s);
}

void TPrgBtnEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Delete && !editorEnabled_) return;
  if (spin_detail::IsPasteOrCut(e)) {
    if (CanPasteCut()) QLineEdit::keyPressEvent(e);
    return;
  }
  const QChar c = spin_detail::TypedChar(e);
  if (!c.isNull() && !editorEnabled_ && !(c.unicode() < 32 && c.unicode() != 8)) {
    MessageBeep();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TPrgBtnEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  if (autoSelect_ && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

void TPrgBtnEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  const int bw = button_->width();
  button_->setGeometry(width() - bw - 2, 2, bw, std::max(0, height() - 4));
  setTextMargins(0, 0, bw + 2, 0);
}

void TPrgBtnEdit::paintEvent(QPaintEvent* e) {
  QLineEdit::paintEvent(e);
  QPainter p(this);
  p.setPen(palette().color(QPalette::Button));
  const int x = button_->x() - 1;
  p.drawLine(x, button_->y(), x, button_->y() + button_->height() - 1);
}

void TPrgBtnEdit::contextMenuEvent(QContextMenuEvent* e) {
  spin_detail::ExecEditMenu(this, e, CanPasteCut());
}

void TPrgBtnEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton && !CanPasteCut()) return;
  QLineEdit::mouseReleaseEvent(e);
}

}  // namespace korvant
