#include "controls/prg_inplace.h"

#include <QLocale>
#include <QPointer>

#include "controls/btn_edit.h"
#include "controls/prg_spin_edit.h"

namespace korvant {

namespace {

TPrgInplaceFactory& Factory() {
  static TPrgInplaceFactory f;
  return f;
}

// The grid may free an editor from inside the editor's own key or button
// handling (a Tab onto a cell of another kind, a button handler that moves
// the cell); the widget therefore goes away only once that handling is over.
void Dispose(QWidget* w) {
  if (!w) return;
  w->hide();
  w->deleteLater();
}

// What the line-edit editors share: the text, its limit, the caret and the
// change report. Edit is a QLineEdit made and owned by the wrapper.
template <class Edit>
class TLineEditInplace : public IPrgInplaceEditor {
 public:
  QWidget* Widget() override { return edit_; }
  QString Text() const override { return edit_->text(); }
  void SetText(const QString& t) override { edit_->setText(t); }
  int MaxLength() const override { return maxLen_; }
  void SetMaxLength(int n) override {
    maxLen_ = n;
    edit_->setMaxLength(n > 0 ? n : 32767);
  }
  void CaretHome() override {
    edit_->deselect();
    edit_->setCursorPosition(0);
  }
  void SetReadOnly(bool ro) override { edit_->setReadOnly(ro); }

 protected:
  explicit TLineEditInplace(Edit* edit) : edit_(edit) {
    changed_ = QObject::connect(edit_, &QLineEdit::textChanged, edit_, [this] {
      if (OnTextChanged) OnTextChanged();
    });
  }
  ~TLineEditInplace() override {
    if (!edit_) return;
    QObject::disconnect(changed_);
    Dispose(edit_);
  }

  QPointer<Edit> edit_;

 private:
  QMetaObject::Connection changed_;
  int maxLen_ = 0;
};

// The button edit of kinds 3 and 4: its button reports to the wrapper.
class TInplaceBtnEdit : public TPrgBtnEdit {
 public:
  using TPrgBtnEdit::TPrgBtnEdit;
  void ButtonClick() override {
    TPrgBtnEdit::ButtonClick();  // takes the focus; no OnEditCall is set
    if (clicked) {
      const auto cb = clicked;
      cb();
    }
  }
  std::function<void()> clicked;
};

// Kinds 3 and 4: the button edit. Kind 4 leaves the text to the owner's
// button handler.
class TPrgBtnEditInplace final : public TLineEditInplace<TInplaceBtnEdit> {
 public:
  TPrgBtnEditInplace(QWidget* parent, TInplaceType kind)
      : TLineEditInplace(new TInplaceBtnEdit(parent)) {
    edit_->clicked = [this] {
      if (OnButtonClick) {
        const auto cb = OnButtonClick;
        cb();
      }
    };
    if (kind == 4) SetEditorEnabled(false);
  }
  ~TPrgBtnEditInplace() override {
    if (edit_) edit_->clicked = nullptr;
  }

  void SetEditorEnabled(bool on) override {
    edit_->SetEditorEnabled(on);
    // A dropped text would change the text past the button.
    edit_->setAcceptDrops(on);
  }
};

// Kind 7: the decimal spin edit; its bounds, step and decimals come from the
// grid's OnSpinInit through SetSpinParams. Every text change counts, the
// values the control writes itself (a step, a clamp, decimals cut)
// included: the cell follows the editor.
class TPrgSpinInplace final : public TLineEditInplace<TPrgSpinEdit> {
 public:
  explicit TPrgSpinInplace(QWidget* parent) : TLineEditInplace(new TPrgSpinEdit(parent)) {}

  void SetEditorEnabled(bool on) override { edit_->SetEditorEnabled(on); }
  TPrgSpinParams SpinParams() const override {
    TPrgSpinParams p;
    p.MaxValue = edit_->MaxValue();
    p.MinValue = edit_->MinValue();
    p.Value = edit_->Value();
    p.Increment = edit_->Increment();
    p.Digits = static_cast<uint16_t>(edit_->Digits());
    p.EditorEnabled = edit_->EditorEnabled();
    return p;
  }
  void SetSpinParams(const TPrgSpinParams& p) override {
    edit_->SetMinValue(static_cast<double>(p.MinValue));
    edit_->SetMaxValue(static_cast<double>(p.MaxValue));
    edit_->SetDigits(p.Digits);
    edit_->SetIncrement(static_cast<double>(p.Increment));
    // A reused editor still shows the previous cell's text, perhaps with
    // other decimals: the new value is always written afresh.
    const double v = static_cast<double>(p.Value);
    edit_->setText(edit_->FormatValue(edit_->CheckValue(v)));
    edit_->SetValue(v);
    edit_->SetEditorEnabled(p.EditorEnabled);
  }
  bool ParseValue(const QString& text, long double* v) const override {
    double d = 0;
    if (!edit_->ParseNumber(text, &d)) return false;
    *v = d;
    return true;
  }
};

}  // namespace

bool IPrgInplaceEditor::ParseValue(const QString& text, long double* v) const {
  QLocale loc;
  loc.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double d = loc.toDouble(text.trimmed(), &ok);
  if (ok) *v = d;
  return ok;
}

void SetPrgInplaceFactory(TPrgInplaceFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<IPrgInplaceEditor> CreatePrgInplaceEditor(QWidget* parent, TInplaceType kind) {
  if (Factory()) {
    if (auto e = Factory()(parent, kind)) return e;
  }
  if (kind == 3 || kind == 4) return std::make_unique<TPrgBtnEditInplace>(parent, kind);
  if (kind == 7) return std::make_unique<TPrgSpinInplace>(parent);
  return nullptr;
}

}  // namespace korvant
