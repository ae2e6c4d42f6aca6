#pragma once
// The spin edits: TSpinEdit, the integer spin edit of the program's forms,
// and (in prg_spin_edit.h) TPrgSpinEdit, the decimal one of the string
// grid. Both are an edit with a pair of TTimerSpeedButtons that repeat
// while held (first after 400 ms, then every 100 ms); the value lives in
// the text. What the two share is here: the button pair's base and the
// spin edit core (bounds, steps, the button rule, arrow keys).
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include "controls/inner_button_edit.h"
#include "controls/speed_button.h"

class QTimer;

namespace korvant {

class TTimerSpeedButton : public TPrgSpeedButton {
  Q_OBJECT
 public:
  enum TimeBtnFlag { tbFocusRect = 1, tbAllowTimer = 2 };
  static constexpr int kFirstDelayMs = 400;
  static constexpr int kRepeatMs = 100;

  explicit TTimerSpeedButton(QWidget* parent = nullptr);
  int TimeBtnState() const { return timeBtnState_; }
  void SetTimeBtnState(int s) { timeBtnState_ = s; }
  QTimer* RepeatTimer() const { return timer_; }  // null until first armed

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void TimerExpired();

  QTimer* timer_ = nullptr;
  int timeBtnState_ = 0;
};

// The up/down pair. A press moves the focus to FocusControl (or to the
// pair itself); Up and Down arrow keys click the buttons. The kinds of
// pair differ in their glyphs and in how they split their height.
class TSpinButtonBase : public QWidget {
  Q_OBJECT
 public:
  TTimerSpeedButton* UpButton() const { return up_; }
  TTimerSpeedButton* DownButton() const { return down_; }
  TTimerSpeedButton* FocusedButton() const { return focused_; }

  QWidget* FocusControl() const { return focusControl_.data(); }
  void SetFocusControl(QWidget* w) { focusControl_ = w; }

 signals:
  void UpClick(QObject* sender);
  void DownClick(QObject* sender);

 protected:
  explicit TSpinButtonBase(QWidget* parent);
  // Places the two buttons in the pair's current size.
  virtual void Relayout() = 0;

  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ButtonMouseDown(TTimerSpeedButton* b, QMouseEvent* e);

  TTimerSpeedButton* up_;
  TTimerSpeedButton* down_;
  TTimerSpeedButton* focused_;
  QPointer<QWidget> focusControl_;
};

// The pair of the integer spin edit: flat buttons, at least 15 wide, the
// down button takes the odd row.
class TSpinButton : public TSpinButtonBase {
  Q_OBJECT
 public:
  explicit TSpinButton(QWidget* parent = nullptr);

  // A null image loads the built-in arrows.
  void SetUpGlyph(const QImage& g);
  void SetDownGlyph(const QImage& g);
  int UpNumGlyphs() const { return UpButton()->NumGlyphs(); }
  void SetUpNumGlyphs(int n) { UpButton()->SetNumGlyphs(n); }
  int DownNumGlyphs() const { return DownButton()->NumGlyphs(); }
  void SetDownNumGlyphs(int n) { DownButton()->SetNumGlyphs(n); }

 protected:
  void Relayout() override;
};

namespace spin_detail {
// Value plus or minus step; an integer stops at the ends of its range.
int Stepped(int v, int step, bool up);
double Stepped(double v, double step, bool up);
// A character a spin edit's editor takes: a control character other than
// carriage return, a digit, a sign, or the decimal separator when allowed.
bool NumberChar(QChar c, bool separatorAllowed);
}  // namespace spin_detail

// The core of both spin edits, for a value type V and a button pair
// ButtonT. A subclass reads and writes the value in its text format and
// says what a text change runs.
template <class V, class ButtonT>
class TSpinEditCore : public TInnerButtonEdit {
 public:
  V MinValue() const { return minValue_; }
  void SetMinValue(V v) { minValue_ = v; }
  V MaxValue() const { return maxValue_; }
  void SetMaxValue(V v) { maxValue_ = v; }
  V Increment() const { return increment_; }
  void SetIncrement(V v) { increment_ = v; }

  virtual V Value() = 0;
  virtual void SetValue(V v) = 0;

  // Read-only: a beep. Otherwise Value moves by Increment.
  void UpClick() { Step(true); }
  void DownClick() { Step(false); }

  ButtonT* Button() const { return button_; }

 protected:
  TSpinEditCore(QWidget* parent, bool coverGap)
      : TInnerButtonEdit(parent), button_(new ButtonT(this)) {
    SetInnerButton(button_, coverGap);
    button_->SetFocusControl(this);
    connect(button_, &TSpinButtonBase::UpClick, this, [this] { UpClick(); });
    connect(button_, &TSpinButtonBase::DownClick, this, [this] { DownClick(); });
    // The first text is no change: the buttons stay enabled until a value
    // is set within the bounds.
    setText(QStringLiteral("0"));
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
  }

  // What every text change runs.
  virtual void TextChanged() = 0;

  // Equal bounds always give MinValue; both tests look at v, so with
  // MinValue above MaxValue the bounds swap what they give.
  V Clamped(V v) const {
    if (minValue_ == maxValue_) return minValue_;
    V r = v;
    if (v < minValue_) r = minValue_;
    if (v > maxValue_) r = maxValue_;
    return r;
  }

  void ButtonRule(V x) {
    if (x == maxValue_) button_->UpButton()->setEnabled(false);
    if (x > minValue_) button_->DownButton()->setEnabled(true);
    if (x == minValue_) button_->DownButton()->setEnabled(false);
    if (x < maxValue_) button_->UpButton()->setEnabled(true);
  }

  bool EditorTakesChar(QChar c) const override { return spin_detail::NumberChar(c, true); }

  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Up) {
      UpClick();
    } else if (e->key() == Qt::Key_Down) {
      DownClick();
    } else {
      TInnerButtonEdit::keyPressEvent(e);
    }
  }

 private:
  void Step(bool up) {
    if (BeepIfReadOnly()) return;
    SetValue(spin_detail::Stepped(Value(), increment_, up));
  }

  V minValue_ = 0;
  V maxValue_ = 0;
  V increment_ = 1;
  ButtonT* button_;
};

using TIntSpinEditCore = TSpinEditCore<int, TSpinButton>;

class TSpinEdit : public TIntSpinEditCore {
  Q_OBJECT
 public:
  explicit TSpinEdit(QWidget* parent = nullptr);

  // The text's integer; a text that is no integer gives MinValue and is
  // rewritten to it. While the field has the focus (the user may be in the
  // middle of typing) the text is left alone and the checked value is read.
  int Value() override;
  void SetValue(int v) override;
  int CheckValue(int v) const { return Clamped(v); }

  int MinHeight() const;

 protected:
  void TextChanged() override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;
};

}  // namespace korvant
