#pragma once
// What the two pick dialogs share with the program's other forms: centring
// on the screen and the help button, kept here so that the print dialogs
// below the window layer can ask for an item or a date.
#include <QString>

#include "controls/bit_btn.h"

class QWidget;

namespace korvant {

// Places the window in the middle of its owner's screen (or its own).
void CentrePickDialog(QWidget* w);

// A button with the help glyph that opens help at context; its own help
// context (F1 over it) is ownContext.
TPrgBitBtn* MakePickHelpButton(QWidget* parent, const QString& caption, int context, int ownContext);

}  // namespace korvant
