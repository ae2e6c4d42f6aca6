#pragma once
// What the five timetable grids of the variant window show: the content of
// every cell (headings, lessons, colour marks) computed from the run-time
// model and the variant for one day. Kept apart from the window so that
// the rules can be tested cell by cell without painting.
#include <string>

#include "controls/school_table.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant {

enum class TVarGrid { Klasses = 0, Teachers = 1, KlassesDraft = 2, TeachersDraft = 3, Rooms = 4 };
constexpr int kVarGridCount = 5;

struct TVarCellView {
  const TRunModel* Model = nullptr;
  const TTableVarItem* Var = nullptr;
  int Day = 1;              // 1..6
  bool Vertical = true;     // entities down the rows, hours across
  int TeachersWills = 2;    // 1..4
};

// Klasses, teachers or rooms of the model, by grid.
int VarGridEntityCount(const TRunModel& model, TVarGrid grid);

// The subject text of a group: the subject's display name, "------" when
// the group has no subject, "*" in front for a separated part.
std::string GroupSubjectText(const TRunModel& model, const TRTILessonItem& lesson, int group);
// The room text of a group in a fair cell: its fictitious room name, else
// the display name of the room the cell assigns to it, else empty.
std::string GroupRoomText(const TRunModel& model, const TRTILessonItem& lesson, int group,
                          const TTableCell& cell);

// The content of cell (col, row) of a grid. A decimal separator for the
// klasses' difficulty (the locale's) is given by the caller.
THourElementRecord VarCellContent(const TVarCellView& view, TVarGrid grid, int col, int row,
                                  char decimalPoint = ',');

// A difficulty figure with one decimal; ties go away from zero, the same
// in every window that shows one.
std::string FormatDifficulty(double value, char decimalPoint);

}  // namespace korvant
