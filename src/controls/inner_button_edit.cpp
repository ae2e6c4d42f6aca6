#include "controls/inner_button_edit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <algorithm>

#include "platform/beep.h"

namespace korvant {

namespace spin_detail {

QChar TypedChar(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Backspace:
      return QChar(8);
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return QChar(0);
    default:
      break;
  }
  if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return QChar(0);
  const QString t = e->text();
  if (t.isEmpty() || t.at(0) == QChar(127)) return QChar(0);
  return t.at(0);
}

QChar DecimalSeparator() {
  const QString s = QLocale().decimalPoint();
  return s.isEmpty() ? QChar('.') : s.at(0);
}

bool IsPasteOrCut(const QKeyEvent* e) {
  return e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut);
}

void ExecEditMenu(QLineEdit* edit, QContextMenuEvent* e, bool allowPasteCut) {
  QMenu* menu = edit->createStandardContextMenu();
  if (!allowPasteCut) {
    for (QAction* a : menu->actions()) {
      if (a->objectName() == QLatin1String("edit-paste") ||
          a->objectName() == QLatin1String("edit-cut")) {
        a->setEnabled(false);
      }
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

}  // namespace spin_detail

TInnerButtonEdit::TInnerButtonEdit(QWidget* parent) : QLineEdit(parent) {}

void TInnerButtonEdit::SetInnerButton(QWidget* button, bool coverGap) {
  innerButton_ = button;
  coverGap_ = coverGap;
  button->resize(16, 18);
  button->setVisible(true);
  setTextMargins(0, 0, button->width() + 2, 0);
}

bool TInnerButtonEdit::BeepIfReadOnly() const {
  if (!isReadOnly()) return false;
  MessageBeep();
  return true;
}

void TInnerButtonEdit::WriteOwnText(const QString& t, bool keepCaret) {
  const bool old = writingOwnText_;
  writingOwnText_ = true;
  if (keepCaret) {
    const int pos = cursorPosition();
    setText(t);
    setCursorPosition(std::min(pos, static_cast<int>(t.size())));
  } else {
    setText(t);
  }
  writingOwnText_ = old;
}

bool TInnerButtonEdit::TakesChar(QChar c) const {
  if (!editorEnabled_) return c.unicode() < 32 && c.unicode() != 8;
  return EditorTakesChar(c);
}

void TInnerButtonEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Delete && deleteNeedsEditor_ && !editorEnabled_) return;
  if (spin_detail::IsPasteOrCut(e)) {
    if (CanPasteCut()) QLineEdit::keyPressEvent(e);
    return;
  }
  const QChar c = spin_detail::TypedChar(e);
  if (!c.isNull() && !TakesChar(c)) {
    MessageBeep();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TInnerButtonEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  if (autoSelect_ && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

void TInnerButtonEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  if (!innerButton_) return;
  const int bw = innerButton_->width();
  innerButton_->setGeometry(width() - bw - 2, 2, bw, std::max(0, height() - 4));
  setTextMargins(0, 0, bw + 2, 0);
}

void TInnerButtonEdit::paintEvent(QPaintEvent* e) {
  QLineEdit::paintEvent(e);
  if (!coverGap_ || !innerButton_) return;
  QPainter p(this);
  p.setPen(palette().color(QPalette::Button));
  const int x = innerButton_->x() - 1;
  p.drawLine(x, innerButton_->y(), x, innerButton_->y() + innerButton_->height() - 1);
}

void TInnerButtonEdit::contextMenuEvent(QContextMenuEvent* e) {
  spin_detail::ExecEditMenu(this, e, CanPasteCut());
}

void TInnerButtonEdit::mouseReleaseEvent(QMouseEvent* e) {
  // The middle button pastes the selection on X11.
  if (e->button() == Qt::MiddleButton && !CanPasteCut()) return;
  QLineEdit::mouseReleaseEvent(e);
}

}  // namespace korvant
