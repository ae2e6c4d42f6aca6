#include "controls/prg_spin_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <algorithm>

#include "controls/glyphs.h"
#include "platform/qt/beep.h"

namespace korvant {

// ---- TPrgSpinButton --------------------------------------------------------

TPrgSpinButton::TPrgSpinButton(QWidget* parent) : QWidget(parent) {
  resize(20, 25);
  up_ = new TPrgTimerSpeedButton(this);
  down_ = new TPrgTimerSpeedButton(this);
  for (TPrgTimerSpeedButton* b : {up_, down_}) {
    b->SetTimeBtnState(TTimerSpeedButton::tbAllowTimer);
    b->SetGlyph(PrgSpinGlyph(b == up_));
    b->SetNumGlyphs(3);
    connect(b, &TPrgSpeedButton::Clicked, this, [this, b] {
      if (b == up_) emit UpClick(this);
      else emit DownClick(this);
    });
    connect(b, &TPrgSpeedButton::MouseDown, this,
            [this, b](QMouseEvent* e) { ButtonMouseDown(b, e); });
  }
  focused_ = up_;
}

void TPrgSpinButton::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  const int w = width(), h = height();
  up_->setGeometry(0, 0, w, h / 2);
  down_->setGeometry(0, h / 2 + h % 2, w, h / 2);
}

void TPrgSpinButton::paintEvent(QPaintEvent*) {
  // An odd height leaves one row between the buttons.
  if (height() % 2 == 0) return;
  QPainter p(this);
  p.setPen(palette().color(QPalette::Button));
  p.drawLine(0, height() / 2, width(), height() / 2);
}

void TPrgSpinButton::ButtonMouseDown(TPrgTimerSpeedButton* b, QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  focused_ = b;
  const auto canTake = [](QWidget* w) {
    return (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisible() && !w->hasFocus();
  };
  if (focusControl_ && canTake(focusControl_)) {
    focusControl_->setFocus(Qt::MouseFocusReason);
  } else if (canTake(this)) {
    setFocus(Qt::MouseFocusReason);
  }
}

void TPrgSpinButton::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Up) {
    focused_ = up_;
    up_->Click();
  } else if (e->key() == Qt::Key_Down) {
    focused_ = down_;
    down_->Click();
  } else {
    QWidget::keyPressEvent(e);
  }
}

// ---- TPrgSpinEdit ----------------------------------------------------------

TPrgSpinEdit::TPrgSpinEdit(QWidget* parent) : QLineEdit(parent) {
  button_ = new TPrgSpinButton(this);
  button_->resize(16, 18);
  button_->setVisible(true);
  button_->SetFocusControl(this);
  connect(button_, &TPrgSpinButton::UpClick, this, [this] { UpClick(); });
  connect(button_, &TPrgSpinButton::DownClick, this, [this] { DownClick(); });
  setText(QStringLiteral("0"));
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!settingText_) RunChange();
  });
  setTextMargins(0, 0, button_->width() + 2, 0);
}

QString TPrgSpinEdit::FormatValue(double v) const {
  QLocale loc;
  loc.setNumberOptions(QLocale::OmitGroupSeparator);
  return loc.toString(v, 'f', digits_);
}

bool TPrgSpinEdit::ParseNumber(const QString& t, double* v) const {
  QString s = t.trimmed();
  if (s.endsWith(spin_detail::DecimalSeparator())) s.chop(1);
  QLocale loc;
  loc.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  *v = loc.toDouble(s, &ok);
  return ok;
}

void TPrgSpinEdit::WriteTextSilently(const QString& t) {
  const bool old = settingText_;
  settingText_ = true;
  const int pos = cursorPosition();
  setText(t);
  setCursorPosition(std::min(pos, static_cast<int>(t.size())));
  settingText_ = old;
}

double TPrgSpinEdit::Value() {
  const QString t = text();
  if (t.isEmpty()) return 0;
  QString cut = t;
  const int p = t.indexOf(spin_detail::DecimalSeparator());
  if (p >= 0) cut = t.left(p + 1 + digits_);
  double v = 0;
  if (ParseNumber(cut, &v)) {
    if (cut != t) WriteTextSilently(cut);
    return v;
  }
  setText(FormatValue(minValue_));
  return minValue_;
}

double TPrgSpinEdit::CheckValue(double v) const {
  double r;
  if (minValue_ == maxValue_) {
    r = minValue_;
  } else {
    r = v;
    if (v < minValue_) r = minValue_;
    if (v > maxValue_) r = maxValue_;
  }
  double rounded = r;
  return ParseNumber(FormatValue(r), &rounded) ? rounded : r;
}

void TPrgSpinEdit::SetValue(double v) {
  if (v != Value()) WriteTextSilently(FormatValue(CheckValue(v)));
  ButtonRule(Value());
}

void TPrgSpinEdit::ButtonRule(double x) {
  if (x == maxValue_) button_->UpButton()->setEnabled(false);
  if (x > minValue_) button_->DownButton()->setEnabled(true);
  if (x == minValue_) button_->DownButton()->setEnabled(false);
  if (x < maxValue_) button_->UpButton()->setEnabled(true);
}

void TPrgSpinEdit::RunChange() {
  SetValue(Value());
  ButtonRule(Value());
  emit Change();
}

void TPrgSpinEdit::UpClick() {
  if (isReadOnly()) {
    MessageBeep();
    return;
  }
  SetValue(Value() + increment_);
}

void TPrgSpinEdit::DownClick() {
  if (isReadOnly()) {
    MessageBeep();
    return;
  }
  SetValue(Value() - increment_);
}

void TPrgSpinEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Up) {
    UpClick();
    return;
  }
  if (e->key() == Qt::Key_Down) {
    DownClick();
    return;
  }
  if (e->key() == Qt::Key_Delete && !editorEnabled_) return;
  if (spin_detail::IsPasteOrCut(e)) {
    if (CanPasteCut()) QLineEdit::keyPressEvent(e);
    return;
  }
  const QChar c = spin_detail::TypedChar(e);
  if (!c.isNull()) {
    bool valid;
    const bool control = c.unicode() < 32;
    if (!editorEnabled_) {
      valid = control && c.unicode() != 8;
    } else if (control) {
      valid = c.unicode() != 13;
    } else if (c == spin_detail::DecimalSeparator()) {
      valid = digits_ != 0;
    } else {
      valid = c == '+' || c == '-' || (c >= '0' && c <= '9');
    }
    if (!valid) {
      MessageBeep();
      return;
    }
  }
  QLineEdit::keyPressEvent(e);
}

void TPrgSpinEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  if (autoSelect_ && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

void TPrgSpinEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  SetValue(Value());
}

void TPrgSpinEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  SetValue(Value());
  const int bw = button_->width();
  button_->setGeometry(width() - bw - 2, 2, bw, std::max(0, height() - 4));
  setTextMargins(0, 0, bw + 2, 0);
}

void TPrgSpinEdit::paintEvent(QPaintEvent* e) {
  QLineEdit::paintEvent(e);
  // Hides the gap left of the button.
  QPainter p(this);
  p.setPen(palette().color(QPalette::Button));
  const int x = button_->x() - 1;
  p.drawLine(x, button_->y(), x, button_->y() + button_->height() - 1);
}

void TPrgSpinEdit::contextMenuEvent(QContextMenuEvent* e) {
  spin_detail::ExecEditMenu(this, e, CanPasteCut());
}

void TPrgSpinEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton && !CanPasteCut()) return;
  QLineEdit::mouseReleaseEvent(e);
}

}  // namespace korvant
