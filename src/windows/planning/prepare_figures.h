#pragma once
// The figures of the planning preparation dialogs without the widgets: the
// klass and teacher tables of the current day as the dialogs show them,
// which columns the coming run touches, the rules of an edited cell, and
// the write-back of the narrowed figures into the run-time model.
// Standard C++ only.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvant {

class TRunModel;
class TTableVarItem;

enum class TPrepKind : uint8_t { Placement, Optimisation, Control };

// Rows 1..11 as the grids number them (row 0 holds the names; 3, 6, 9 are
// separators). A cell that was never filled holds the empty text.
constexpr int kPrepRows = 12;

struct TPrepTable {
  std::vector<std::string> Names;
  std::vector<std::array<std::string, kPrepRows>> Cells;  // [column][row]
  std::vector<uint8_t> Marked;
  // Teacher table of the optimisation: each teacher's idle hours today.
  std::vector<int32_t> Windows;

  int Count() const { return static_cast<int>(Cells.size()); }
  const std::string& At(int col, int row) const { return Cells[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)]; }
  std::string& At(int col, int row) { return Cells[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)]; }
};

struct TPrepTables {
  TPrepTable Klasses;
  TPrepTable Teachers;
};

// The row of the editable figures (and of the minimum in the placement
// tables): 7 for klasses, 10 for teachers.
inline int PrepEditRow(bool teachers) { return teachers ? 10 : 7; }

// Names and figures of every klass and teacher for day, read from the
// model as the day norms left it; the marks are cleared.
TPrepTables FillPrepareFigures(const TRunModel& m, const TTableVarItem& var, int day, TPrepKind kind,
                               int maxWindowsAtDay);
// Marks the columns of the run on the model's CurGroup row (none for the
// control dialog).
void MarkPrepareColumns(const TRunModel& m, int day, TPrepKind kind, TPrepTables& t);
// A cell the user may edit.
bool PrepCellEditable(TPrepKind kind, const TPrepTable& table, bool teachers, int col, int row);

// Takes an edited text into cell (col, row): an empty text puts `before`
// back and answers false; a value is raised to the klass's placed lessons
// (optimisation), the partner row follows it (placement), and true is
// answered.
bool AcceptPrepEdit(TPrepKind kind, TPrepTable& table, bool teachers, int col, int row, const std::string& text,
                    const std::string& before);

// Placement: the minimum and maximum rows back into DayMinLeft/DayMaxLeft
// (+ the lessons placed today), only for the figures that differ from
// `shown` (what was filled). False, with the model unchanged, when a cell
// holds no whole number.
bool TakePrepareLimits(TRunModel& m, const TPrepTables& shown, const TPrepTables& edited);
// Optimisation: klass row 7 into TodayHours, teacher row 10 into
// DayMaxLeft (the idle hours the optimisation allows). False, with the
// model unchanged, when a cell holds no whole number.
bool ApplyOptiFigures(TRunModel& m, const TPrepTables& edited);

// The optimisation's toggles over the marked columns: klasses get their
// placed lessons (off) or their day maximum (on); teachers their idle
// hours (off) or the larger of those and maxWindowsAtDay (on).
void OptiKlassToggle(const TRunModel& m, TPrepTable& klasses, bool maximum);
void OptiTeacherToggle(TPrepTable& teachers, bool maximum, int maxWindowsAtDay);

}  // namespace korvant
