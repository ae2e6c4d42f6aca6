#pragma once
// The integer spin edit: TSpinEdit, an edit with a TSpinButton pair whose
// TTimerSpeedButtons repeat while held (first after 400 ms, then every
// 100 ms). Value lives in the text.
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

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
// pair itself); Up and Down arrow keys click the buttons.
class TSpinButton : public QWidget {
  Q_OBJECT
 public:
  explicit TSpinButton(QWidget* parent = nullptr);

  TTimerSpeedButton* UpButton() const { return up_; }
  TTimerSpeedButton* DownButton() const { return down_; }
  TTimerSpeedButton* FocusedButton() const { return focused_; }

  // A null image loads the built-in arrows.
  void SetUpGlyph(const QImage& g);
  void SetDownGlyph(const QImage& g);
  int UpNumGlyphs() const { return up_->NumGlyphs(); }
  void SetUpNumGlyphs(int n) { up_->SetNumGlyphs(n); }
  int DownNumGlyphs() const { return down_->NumGlyphs(); }
  void SetDownNumGlyphs(int n) { down_->SetNumGlyphs(n); }

  QWidget* FocusControl() const { return focusControl_.data(); }
  void SetFocusControl(QWidget* w) { focusControl_ = w; }

 signals:
  void UpClick(QObject* sender);
  void DownClick(QObject* sender);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ButtonMouseDown(TTimerSpeedButton* b, QMouseEvent* e);
  void Relayout();

  TTimerSpeedButton* up_;
  TTimerSpeedButton* down_;
  TTimerSpeedButton* focused_;
  QPointer<QWidget> focusControl_;
};

class TSpinEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TSpinEdit(QWidget* parent = nullptr);

  int MinValue() const { return minValue_; }
  void SetMinValue(int v) { minValue_ = v; }
  int MaxValue() const { return maxValue_; }
  void SetMaxValue(int v) { maxValue_ = v; }
  int Increment() const { return increment_; }
  void SetIncrement(int v) { increment_ = v; }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }

  // Reading a text that is no integer rewrites it to MinValue.
  int Value();
  void SetValue(int v);
  int CheckValue(int v) const;

  void UpClick();
  void DownClick();

  TSpinButton* Button() const { return button_; }
  int MinHeight() const;

 signals:
  void Change();  // OnChange, after every text change

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void TextChanged();
  void ButtonRule(int x);
  bool ValidChar(QChar c) const;
  bool CanPasteCut() const { return editorEnabled_ && !isReadOnly(); }

  int minValue_ = 0;
  int maxValue_ = 0;
  int increment_ = 1;
  bool editorEnabled_ = true;
  bool autoSelect_ = true;
  bool settingValue_ = false;
  TSpinButton* button_;
};

// Shared by the spin and button edits: the character a key press types
// (0 for a key that types none, such as arrows, Delete, Enter or a
// shortcut), the locale's decimal separator, and the paste/cut gate of the
// standard context menu.
namespace spin_detail {
QChar TypedChar(const QKeyEvent* e);
QChar DecimalSeparator();
bool IsPasteOrCut(const QKeyEvent* e);
void ExecEditMenu(QLineEdit* edit, QContextMenuEvent* e, bool allowPasteCut);
}  // namespace spin_detail

}  // namespace korvant
