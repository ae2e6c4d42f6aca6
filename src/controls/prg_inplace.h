#pragma once
// In-place editors of the program's string grid. The grid talks to every
// editor through IPrgInplaceEditor. The editors of kinds 3 and 4 are the
// button edit (TPrgBtnEdit), of kind 7 the decimal spin edit (TPrgSpinEdit);
// a test may replace their maker.
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace korvant {

// Editor kind of a cell: 0 none, 1 free text (wraps), 2 masked text,
// 3 button edit, 4 button edit changed only through its button,
// 5 drop-down combo, 6 drop-down list, 7 spin edit. Other values act as 0.
using TInplaceType = uint8_t;

struct TPrgSpinParams {
  long double MaxValue = 0;
  long double MinValue = 0;
  long double Value = 0;
  long double Increment = 1;
  uint16_t Digits = 2;
  bool EditorEnabled = true;
};
using PPrgSpinParams = TPrgSpinParams*;

class IPrgInplaceEditor {
 public:
  virtual ~IPrgInplaceEditor() = default;
  virtual QWidget* Widget() = 0;
  virtual QString Text() const = 0;
  // Sets the text; the editor reports it through OnTextChanged like typing.
  virtual void SetText(const QString& text) = 0;
  // -1 marks a read-only cell, 0 no limit.
  virtual int MaxLength() const = 0;
  virtual void SetMaxLength(int n) = 0;
  // Caret at position 0, nothing selected.
  virtual void CaretHome() = 0;
  virtual void SetReadOnly(bool readOnly) = 0;
  // False while a drop-down list has no chosen item: its text is no value.
  virtual bool HasValue() const { return true; }
  // Kinds 3 and 4.
  virtual void SetEditorEnabled(bool) {}
  // Kind 7.
  virtual TPrgSpinParams SpinParams() const { return {}; }
  virtual void SetSpinParams(const TPrgSpinParams&) {}
  // Reads a cell text as the spin value, in the editor's own number format
  // (the locale's, without digit grouping); false when it is no number.
  virtual bool ParseValue(const QString& text, long double* v) const;
  // The widgets that receive the keys (the grid filters them).
  virtual std::vector<QWidget*> KeyTargets() { return {Widget()}; }

  std::function<void()> OnTextChanged;
  std::function<void()> OnButtonClick;
};

using TPrgInplaceFactory =
    std::function<std::unique_ptr<IPrgInplaceEditor>(QWidget* parent, TInplaceType kind)>;

// Replaces the maker of the kind 3, 4 and 7 editors (a maker returning null
// falls back to the default); an empty function restores the default.
void SetPrgInplaceFactory(TPrgInplaceFactory factory);
// The button edit for kinds 3 and 4, the spin edit for kind 7, null for
// any other kind.
std::unique_ptr<IPrgInplaceEditor> CreatePrgInplaceEditor(QWidget* parent, TInplaceType kind);

}  // namespace korvant
