#include "controls/spin_edit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "controls/glyphs.h"

namespace korvant {

namespace spin_detail {

int Stepped(int v, int step, bool up) {
  const long long s = static_cast<long long>(step);
  const long long r = static_cast<long long>(v) + (up ? s : -s);
  return static_cast<int>(std::clamp<long long>(r, INT_MIN, INT_MAX));
}

double Stepped(double v, double step, bool up) { return up ? v + step : v - step; }

bool NumberChar(QChar c, bool separatorAllowed) {
  if (c.unicode() < 32) return c.unicode() != 13;
  if (c == DecimalSeparator()) return separatorAllowed;
  return c == '+' || c == '-' || (c >= '0' && c <= '9');
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

// ---- TSpinButtonBase -------------------------------------------------------

TSpinButtonBase::TSpinButtonBase(QWidget* parent) : QWidget(parent) {
  resize(20, 25);
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
  focused_ = up_;
}

void TSpinButtonBase::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Relayout();
}

void TSpinButtonBase::ButtonMouseDown(TTimerSpeedButton* b, QMouseEvent* e) {
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

void TSpinButtonBase::keyPressEvent(QKeyEvent* e) {
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

// ---- TSpinButton -----------------------------------------------------------

TSpinButton::TSpinButton(QWidget* parent) : TSpinButtonBase(parent) {
  setMinimumWidth(15);
  SetUpGlyph(QImage());
  SetDownGlyph(QImage());
  Relayout();
}

namespace {
void SetSpinGlyph(TTimerSpeedButton* b, const QImage& g, bool up) {
  if (!g.isNull()) {
    b->SetGlyph(g);
    return;
  }
  b->SetGlyph(SpinGlyph(up));
  b->SetNumGlyphs(3);
  b->SetFlat(true);
  b->update();
}
}  // namespace

void TSpinButton::SetUpGlyph(const QImage& g) { SetSpinGlyph(UpButton(), g, true); }

void TSpinButton::SetDownGlyph(const QImage& g) { SetSpinGlyph(DownButton(), g, false); }

void TSpinButton::Relayout() {
  const int w = width(), h = height();
  UpButton()->setGeometry(0, 0, w, h / 2);
  DownButton()->setGeometry(0, UpButton()->height(), w, h - UpButton()->height());
}

// ---- TSpinEdit -------------------------------------------------------------

TSpinEdit::TSpinEdit(QWidget* parent) : TIntSpinEditCore(parent, false) {
  setMinimumHeight(MinHeight());
}

int TSpinEdit::MinHeight() const {
  const int h = QFontMetrics(font()).height();
  const int sys = QFontMetrics(QApplication::font()).height();
  return h + std::min(sys, h) / 4 + 4 * 1 + 2;
}

int TSpinEdit::Value() {
  bool ok = false;
  const int v = text().toInt(&ok, 10);
  // While the user types, an empty, partial or out-of-range text is left
  // as it is (Backspace then a digit must not meet a rewritten text); what
  // is read meanwhile is the checked value. The text is put right when the
  // field is left.
  if (hasFocus()) return CheckValue(ok ? v : MinValue());
  if (ok) return v;
  setText(QString::number(MinValue()));
  return MinValue();
}

void TSpinEdit::SetValue(int v) {
  // Text this control writes is already checked; the change handling must
  // not check it again, or bounds with MinValue above MaxValue would send
  // the text back and forth for ever.
  WriteOwnText(QString::number(CheckValue(v)), false);
  ButtonRule(Value());
}

void TSpinEdit::TextChanged() {
  if (!WritingOwnText() && !hasFocus()) {
    const int v = Value();
    if (CheckValue(v) != v) SetValue(v);
  }
  ButtonRule(Value());
  emit Change();
}

void TSpinEdit::focusOutEvent(QFocusEvent* e) {
  TIntSpinEditCore::focusOutEvent(e);
  const int v = Value();
  if (CheckValue(v) != v) SetValue(v);
}

void TSpinEdit::changeEvent(QEvent* e) {
  TIntSpinEditCore::changeEvent(e);
  if (e->type() == QEvent::FontChange) setMinimumHeight(MinHeight());
}

}  // namespace korvant
