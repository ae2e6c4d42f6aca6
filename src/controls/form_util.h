#pragma once
// Small helpers the program's forms share: text conversion at the widget
// boundary, centring on the screen, the help button that opens the form's
// own help context.
#include <QString>
#include <string>

#include "controls/bit_btn.h"
#include "platform/qt_text.h"

class QLabel;
class QSlider;
class QWidget;

namespace korvant {

// A UTF-8 literal of the source as widget text.
inline QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

// Places the window in the middle of its screen (the owner's screen when
// it has one).
void CentreOnScreen(QWidget* w);

// A button with the help glyph that opens help at `context` when clicked;
// its own help context (for F1 over it) is `ownContext`.
TPrgBitBtn* MakeHelpButton(QWidget* parent, const QString& caption, int context, int ownContext);

// The "Верт."/"Горз." orientation switch of the timetable windows, at
// (500, 1) of parent; the caller connects the slider and places the labels.
struct TOrientationSwitch {
  QWidget* Panel;
  QSlider* Slider;
  QLabel* Vert;
  QLabel* Horz;
};
TOrientationSwitch MakeOrientationSwitch(QWidget* parent);

}  // namespace korvant
