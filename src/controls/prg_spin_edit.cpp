#include "controls/prg_spin_edit.h"

#include <QLocale>
#include <QPainter>

#include "controls/glyphs.h"

namespace korvant {

// ---- TPrgSpinButton --------------------------------------------------------

TPrgSpinButton::TPrgSpinButton(QWidget* parent) : TSpinButtonBase(parent) {
  for (TPrgTimerSpeedButton* b : {UpButton(), DownButton()}) {
    b->SetGlyph(PrgSpinGlyph(b == UpButton()));
    b->SetNumGlyphs(3);
  }
}

void TPrgSpinButton::Relayout() {
  const int w = width(), h = height();
  UpButton()->setGeometry(0, 0, w, h / 2);
  DownButton()->setGeometry(0, h / 2 + h % 2, w, h / 2);
}

void TPrgSpinButton::paintEvent(QPaintEvent*) {
  // An odd height leaves one row between the buttons.
  if (height() % 2 == 0) return;
  QPainter p(this);
  p.setPen(palette().color(QPalette::Button));
  p.drawLine(0, height() / 2, width(), height() / 2);
}

// ---- TPrgSpinEdit ----------------------------------------------------------

TPrgSpinEdit::TPrgSpinEdit(QWidget* parent) : TDecimalSpinEditCore(parent, true) {
  SetDeleteNeedsEditor(true);
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
  // A sign or a separator typed first is the start of a number: it stays
  // while the user types and is put right when the field is left.
  if (!hasFocus()) setText(FormatValue(MinValue()));
  return MinValue();
}

double TPrgSpinEdit::CheckValue(double v) const {
  const double r = Clamped(v);
  double rounded = r;
  return ParseNumber(FormatValue(r), &rounded) ? rounded : r;
}

void TPrgSpinEdit::SetValue(double v) {
  if (v != Value()) WriteTextSilently(FormatValue(CheckValue(v)));
  ButtonRule(Value());
}

void TPrgSpinEdit::TextChanged() {
  if (!WritingOwnText()) RunChange();
}

void TPrgSpinEdit::RunChange() {
  SetValue(Value());
  ButtonRule(Value());
  emit Change();
}

bool TPrgSpinEdit::EditorTakesChar(QChar c) const {
  return spin_detail::NumberChar(c, digits_ != 0);
}

void TPrgSpinEdit::focusOutEvent(QFocusEvent* e) {
  TDecimalSpinEditCore::focusOutEvent(e);
  SetValue(Value());
}

void TPrgSpinEdit::resizeEvent(QResizeEvent* e) {
  TDecimalSpinEditCore::resizeEvent(e);
  SetValue(Value());
}

}  // namespace korvant
