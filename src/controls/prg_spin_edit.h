#pragma once
// TPrgSpinEdit: the decimal spin edit of the string grid's in-place editor
// (kind 7). Digits decimals, the locale's decimal separator; the value
// lives in the text, and text the control writes itself raises no Change.
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include "controls/spin_edit.h"

namespace korvant {

// The non-flat timer button of TPrgSpinButton: same timing, own frame.
using TPrgTimerSpeedButton = TTimerSpeedButton;

class TPrgSpinButton : public QWidget {
  Q_OBJECT
 public:
  explicit TPrgSpinButton(QWidget* parent = nullptr);

  TPrgTimerSpeedButton* UpButton() const { return up_; }
  TPrgTimerSpeedButton* DownButton() const { return down_; }
  TPrgTimerSpeedButton* FocusedButton() const { return focused_; }
  QWidget* FocusControl() const { return focusControl_.data(); }
  void SetFocusControl(QWidget* w) { focusControl_ = w; }

 signals:
  void UpClick(QObject* sender);
  void DownClick(QObject* sender);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void ButtonMouseDown(TPrgTimerSpeedButton* b, QMouseEvent* e);

  TPrgTimerSpeedButton* up_;
  TPrgTimerSpeedButton* down_;
  TPrgTimerSpeedButton* focused_;
  QPointer<QWidget> focusControl_;
};

class TPrgSpinEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TPrgSpinEdit(QWidget* parent = nullptr);

  double MinValue() const { return minValue_; }
  void SetMinValue(double v) { minValue_ = v; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double v) { maxValue_ = v; }
  double Increment() const { return increment_; }
  void SetIncrement(double v) { increment_ = v; }
  int Digits() const { return digits_; }
  void SetDigits(int d) { digits_ = d < 0 ? 0 : (d > 18 ? 18 : d); }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }

  // Empty text reads 0. Decimals beyond Digits are cut from the text
  // (silently, caret kept); a text that is no number becomes MinValue.
  double Value();
  // Leaves the text alone when v equals the current value; otherwise
  // writes CheckValue(v) with Digits decimals, silently.
  void SetValue(double v);
  double CheckValue(double v) const;
  // v with Digits decimals and the locale's separator, no digit grouping.
  QString FormatValue(double v) const;
  // Reads a text in that format (a trailing separator allowed).
  bool ParseNumber(const QString& t, double* v) const;

  void UpClick();
  void DownClick();
  // The change handling (what every text change runs): the grid calls it too.
  void RunChange();

  TPrgSpinButton* Button() const { return button_; }

 signals:
  void Change();  // OnChange; not raised for text the control writes itself

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void WriteTextSilently(const QString& t);
  void ButtonRule(double x);
  bool CanPasteCut() const { return editorEnabled_ && !isReadOnly(); }

  double minValue_ = 0;
  double maxValue_ = 0;
  double increment_ = 1.0;
  int digits_ = 2;
  bool editorEnabled_ = true;
  bool settingText_ = false;
  bool autoSelect_ = true;
  TPrgSpinButton* button_;
};

}  // namespace korvant
