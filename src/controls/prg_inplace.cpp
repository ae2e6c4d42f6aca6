#include "controls/prg_inplace.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QToolButton>

#include <cmath>

namespace korvant {

namespace {

TPrgInplaceFactory& Factory() {
  static TPrgInplaceFactory f;
  return f;
}

// Line edit with a small button at the right: stands in for the button edit.
class BtnLineEdit : public QLineEdit {
 public:
  explicit BtnLineEdit(QWidget* parent) : QLineEdit(parent), button(new QToolButton(this)) {
    button->setText(QStringLiteral("\u2026"));
    button->setCursor(Qt::ArrowCursor);
    button->setFocusPolicy(Qt::NoFocus);
  }
  QToolButton* button;

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QLineEdit::resizeEvent(e);
    const int w = 16;
    button->setGeometry(width() - w, 0, w, height());
    setTextMargins(0, 0, w, 0);
  }
};

class LineStandIn : public IPrgInplaceEditor {
 public:
  LineStandIn(QWidget* parent, TInplaceType kind) : kind_(kind) {
    if (kind == 3 || kind == 4) {
      auto* b = new BtnLineEdit(parent);
      QObject::connect(b->button, &QToolButton::clicked, b, [this] {
        if (OnButtonClick) OnButtonClick();
      });
      edit_ = b;
    } else {
      edit_ = new QLineEdit(parent);
    }
    edit_->setFrame(true);
    QObject::connect(edit_, &QLineEdit::textChanged, edit_, [this] {
      if (OnTextChanged) OnTextChanged();
    });
    if (kind == 4) SetEditorEnabled(false);
    if (kind == 7) edit_->installEventFilter(new SpinKeys(this, edit_));
  }
  ~LineStandIn() override { delete edit_; }

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
  void SetReadOnly(bool ro) override {
    readOnly_ = ro;
    edit_->setReadOnly(ro || !editorEnabled_);
  }
  void SetEditorEnabled(bool on) override {
    editorEnabled_ = on;
    edit_->setReadOnly(readOnly_ || !on);
  }
  TPrgSpinParams SpinParams() const override { return spin_; }
  void SetSpinParams(const TPrgSpinParams& p) override {
    spin_ = p;
    spin_.Value = CheckSpinValue(p, p.Value);
    edit_->setText(FormatSpinValue(spin_.Value, p.Digits));
    SetEditorEnabled(p.EditorEnabled);
  }

 private:
  class SpinKeys : public QObject {
   public:
    SpinKeys(LineStandIn* owner, QObject* parent) : QObject(parent), owner_(owner) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() != QEvent::KeyPress) return false;
      const int key = static_cast<QKeyEvent*>(e)->key();
      if (key != Qt::Key_Up && key != Qt::Key_Down) return false;
      if (owner_->edit_->isReadOnly() && owner_->editorEnabled_) return true;
      TPrgSpinParams p = owner_->spin_;
      bool ok = false;
      const long double now = QLocale().toDouble(owner_->edit_->text(), &ok);
      p.Value = (ok ? now : p.MinValue) + (key == Qt::Key_Up ? p.Increment : -p.Increment);
      owner_->SetSpinParams(p);
      return true;
    }
    LineStandIn* owner_;
  };

  TInplaceType kind_;
  QLineEdit* edit_ = nullptr;
  int maxLen_ = 0;
  bool readOnly_ = false;
  bool editorEnabled_ = true;
  TPrgSpinParams spin_;
};

}  // namespace

void SetPrgInplaceFactory(TPrgInplaceFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<IPrgInplaceEditor> CreatePrgInplaceEditor(QWidget* parent, TInplaceType kind) {
  if (Factory()) {
    if (auto e = Factory()(parent, kind)) return e;
  }
  return std::make_unique<LineStandIn>(parent, kind);
}

long double CheckSpinValue(const TPrgSpinParams& p, long double v) {
  long double r = v;
  if (p.MinValue == p.MaxValue) {
    r = p.MinValue;
  } else {
    if (r < p.MinValue) r = p.MinValue;
    if (r > p.MaxValue) r = p.MaxValue;
  }
  const long double scale = std::pow(10.0L, p.Digits);
  return std::round(r * scale) / scale;
}

QString FormatSpinValue(long double v, uint16_t digits) {
  return QLocale().toString(static_cast<double>(v), 'f', digits);
}

}  // namespace korvant
