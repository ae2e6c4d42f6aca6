#pragma once
// The pictures of the main window's tool-bar buttons, drawn in code: one
// 20 x 20 cell with alpha (the disabled look is made from it in grey).
#include <QImage>

namespace korvant {

enum class ToolGlyph {
  NewDocument, OpenFolder, SaveDisk, Printer, Parameters, Planning, DataCheck, Help,
  NewVariant, OpenVariant, SaveVariant, Options, EndPlanning, AutoRegime, ManualRegime,
  WeekVariants, Optimize, AssignRooms, Control, Statistics, Journal, PlaceLessons, RunContinue,
  RunAbort,
};

QImage DrawToolGlyph(ToolGlyph g);

// The program's icon (window and about box).
QImage DrawProgramIcon(int size);

}  // namespace korvant
