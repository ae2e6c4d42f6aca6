#pragma once
// Glyph strips the controls draw for themselves. Each is an RGB image whose
// bottom-left pixel is the transparent key colour.
#include <QImage>

namespace korvant {

inline constexpr QRgb kGlyphKey = 0xFF00FF;  // the transparent key colour

// "SpinUp"/"SpinDown": three cells (up, disabled, down) of a flat spin
// button, each a small raised face with an arrow; only the corners are
// transparent, so the whole face takes presses.
QImage SpinGlyph(bool up);
// "PrgSpinUp"/"PrgSpinDown": three cells holding just the arrow, for
// spin buttons that draw their own frame.
QImage PrgSpinGlyph(bool up);
// "PrgEditBtnGlyph": three cells with an ellipsis.
QImage EditButtonGlyph();

}  // namespace korvant
