#include "controls/spin_edit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "controls/glyphs.h"
#include "platform/qt/beep.h"

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

// ---- TTimerSpeedButton -----------------------------------------------------

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : TPrgSpeedButton(parent) {}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* e) {
  TPrgSpeedButton::mousePressEvent(e);
  if (timeBtnState_ & tbAllowTimer) {
    if (!timer_) {
      timer_ = new QTimer(this);
      connect(timer_, &QTimer::timeout, this, &TTimerSpeedButton::TimerExpired);
    }
    timer_->start(kFirstDelayMs);
  }
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
  TPrgSpeedButton::mouseReleaseEvent(e);
  if (timer_) timer_->stop();
}

void TTimerSpeedButton::changeEvent(QEvent* e) {
  TPrgSpeedButton::changeEvent(e);
  // A button disabled while held gets no release: nothing else would stop it.
  if (e->type() == QEvent::EnabledChange && !isEnabled() && timer_) timer_->stop();
}

void TTimerSpeedButton::TimerExpired() {
  timer_->setInterval(kRepeatMs);
  if (State() == TButtonState::bsDown && Dragging()) Click();
}

// ---- TSpinButton -----------------------------------------------------------

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent) {
  resize(20, 25);
  setMinimumWidth(15);
  up_ = new TTimerSpeedButton(this);
  down_ = new TTimerSpeedButton(this);
  for (TTimerSpeedButton* b : {up_, down_}) {
    b->SetTimeBtnState(TTimerSpeedButton::tbAllowTimer);
    b->setVisible(true);
    b->setEnabled(true);
    connect(b, &TPrgSpeedButton::Clicked, this, [this, b] {
      if (b == up_) emit UpClick(this);
      else emit DownClick(this);
    });
    connect(b, &TPrgSpeedButton::MouseDown, this,
            [this, b](QMouseEvent* e) { ButtonMouseDown(b, e); });
  }
  SetUpGlyph(QImage());
  SetDownGlyph(QImage());
  focused_ = up_;
  Relayout();
}

void TSpinButton::SetUpGlyph(const QImage& g) {
  if (!g.isNull()) {
    up_->SetGlyph(g);
    return;
  }
  up_->SetGlyph(SpinGlyph(true));
  up_->SetNumGlyphs(3);
  up_->SetFlat(true);
  up_->update();
}

void TSpinButton::SetDownGlyph(const QImage& g) {
  if (!g.isNull()) {
    down_->SetGlyph(g);
    return;
  }
  down_->SetGlyph(SpinGlyph(false));
  down_->SetNumGlyphs(3);
  down_->SetFlat(true);
  down_->update();
}

void TSpinButton::Relayout() {
  const int w = width(), h = height();
  up_->setGeometry(0, 0, w, h / 2);
  down_->setGeometry(0, up_->height(), w, h - up_->height());
}

void TSpinButton::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Relayout();
}

void TSpinButton::ButtonMouseDown(TTimerSpeedButton* b, QMouseEvent* e) {
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

void TSpinButton::keyPressEvent(QKeyEvent* e) {
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

// ---- TSpinEdit -------------------------------------------------------------

TSpinEdit::TSpinEdit(QWidget* parent) : QLineEdit(parent) {
  button_ = new TSpinButton(this);
  button_->resize(16, 18);
  button_->setVisible(true);
  button_->SetFocusControl(this);
  connect(button_, &TSpinButton::UpClick, this, [this] { UpClick(); });
  connect(button_, &TSpinButton::DownClick, this, [this] { DownClick(); });
  // The first text is no change: the buttons stay enabled until a value
  // is set within the bounds.
  setText(QStringLiteral("0"));
  connect(this, &QLineEdit::textChanged, this, &TSpinEdit::TextChanged);
  setMinimumHeight(MinHeight());
  setTextMargins(0, 0, button_->width() + 2, 0);
}

int TSpinEdit::MinHeight() const {
  const int h = QFontMetrics(font()).height();
  const int sys = QFontMetrics(QApplication::font()).height();
  return h + std::min(sys, h) / 4 + 4 * 1 + 2;
}

int TSpinEdit::CheckValue(int v) const {
  if (minValue_ == maxValue_) return minValue_;
  int r = v;
  if (v < minValue_) r = minValue_;
  if (v > maxValue_) r = maxValue_;
  return r;
}

int TSpinEdit::Value() {
  bool ok = false;
  const int v = text().toInt(&ok, 10);
  if (ok) return v;
  setText(QString::number(minValue_));
  return minValue_;
}

void TSpinEdit::SetValue(int v) {
  // Text this control writes is already checked; the change handling must
  // not check it again, or bounds with MinValue above MaxValue would send
  // the text back and forth for ever.
  const bool old = settingValue_;
  settingValue_ = true;
  setText(QString::number(CheckValue(v)));
  settingValue_ = old;
  ButtonRule(Value());
}

void TSpinEdit::ButtonRule(int x) {
  if (x == maxValue_) button_->UpButton()->setEnabled(false);
  if (x > minValue_) button_->DownButton()->setEnabled(true);
  if (x == minValue_) button_->DownButton()->setEnabled(false);
  if (x < maxValue_) button_->UpButton()->setEnabled(true);
}

void TSpinEdit::TextChanged() {
  if (!settingValue_) {
    const int v = Value();
    if (CheckValue(v) != v) SetValue(v);
  }
  ButtonRule(Value());
  emit Change();
}

namespace {
int Stepped(int v, int step) {
  const long long r = static_cast<long long>(v) + step;
  return static_cast<int>(std::clamp<long long>(r, INT_MIN, INT_MAX));
}
}  // namespace

void TSpinEdit::UpClick() {
  if (isReadOnly()) {
    MessageBeep();
    return;
  }
  SetValue(Stepped(Value(), increment_));
}

void TSpinEdit::DownClick() {
  if (isReadOnly()) {
    MessageBeep();
    return;
  }
  SetValue(Stepped(Value(), -increment_));
}

bool TSpinEdit::ValidChar(QChar c) const {
  const bool control = c.unicode() < 32;
  if (!editorEnabled_) return control && c.unicode() != 8;
  if (control) return c.unicode() != 13;
  return c == spin_detail::DecimalSeparator() || c == '+' || c == '-' ||
         (c >= '0' && c <= '9');
}

void TSpinEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Up) {
    UpClick();
    return;
  }
  if (e->key() == Qt::Key_Down) {
    DownClick();
    return;
  }
  if (spin_detail::IsPasteOrCut(e)) {
    if (CanPasteCut()) QLineEdit::keyPressEvent(e);
    return;
  }
  const QChar c = spin_detail::TypedChar(e);
  if (!c.isNull() && !ValidChar(c)) {
    MessageBeep();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void TSpinEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  if (autoSelect_ && !(QApplication::mouseButtons() & Qt::LeftButton)) selectAll();
}

void TSpinEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  const int v = Value();
  if (CheckValue(v) != v) SetValue(v);
}

void TSpinEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  const int bw = button_->width();
  button_->setGeometry(width() - bw - 2, 2, bw, std::max(0, height() - 4));
  setTextMargins(0, 0, bw + 2, 0);
}

void TSpinEdit::changeEvent(QEvent* e) {
  QLineEdit::changeEvent(e);
  if (e->type() == QEvent::FontChange) setMinimumHeight(MinHeight());
}

void TSpinEdit::contextMenuEvent(QContextMenuEvent* e) {
  spin_detail::ExecEditMenu(this, e, CanPasteCut());
}

void TSpinEdit::mouseReleaseEvent(QMouseEvent* e) {
  // The middle button pastes the selection on X11.
  if (e->button() == Qt::MiddleButton && !CanPasteCut()) return;
  QLineEdit::mouseReleaseEvent(e);
}

}  // namespace korvant
