#pragma once
// TPrgSpinEdit: the decimal spin edit of the string grid's in-place editor
// (kind 7). Digits decimals, the locale's decimal separator; the value
// lives in the text, and text the control writes itself raises no Change.
#include <QWidget>

#include "controls/spin_edit.h"

namespace korvant {

// The non-flat timer button of TPrgSpinButton: same timing, own frame.
using TPrgTimerSpeedButton = TTimerSpeedButton;

// The pair of the decimal spin edit: framed buttons of equal height; an
// odd height leaves a button-face row between them.
class TPrgSpinButton : public TSpinButtonBase {
  Q_OBJECT
 public:
  explicit TPrgSpinButton(QWidget* parent = nullptr);

 protected:
  void Relayout() override;
  void paintEvent(QPaintEvent* e) override;
};

using TDecimalSpinEditCore = TSpinEditCore<double, TPrgSpinButton>;

class TPrgSpinEdit : public TDecimalSpinEditCore {
  Q_OBJECT
 public:
  explicit TPrgSpinEdit(QWidget* parent = nullptr);

  int Digits() const { return digits_; }
  void SetDigits(int d) { digits_ = d < 0 ? 0 : (d > 18 ? 18 : d); }

  // Empty text reads 0. Decimals beyond Digits are cut from the text
  // (silently, caret kept); a text that is no number becomes MinValue.
  double Value() override;
  // Leaves the text alone when v equals the current value; otherwise
  // writes CheckValue(v) with Digits decimals, silently.
  void SetValue(double v) override;
  double CheckValue(double v) const;
  // v with Digits decimals and the locale's separator, no digit grouping.
  QString FormatValue(double v) const;
  // Reads a text in that format (a trailing separator allowed).
  bool ParseNumber(const QString& t, double* v) const;

  // The change handling (what every text change runs): the grid calls it too.
  void RunChange();

 protected:
  void TextChanged() override;
  bool EditorTakesChar(QChar c) const override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void WriteTextSilently(const QString& t) { WriteOwnText(t, true); }

  int digits_ = 2;
};

}  // namespace korvant
