#pragma once
// What the details window shows and checks, kept apart from the window so
// that the rules can be tested without painting: the content of the four
// week grids over a few chosen klasses and teachers, the unplaced blocks
// of their lessons, and the rules of moving a block in the fair copy.
#include <array>
#include <string>
#include <vector>

#include "controls/school_table.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant {

enum class TDetailsGrid { Klasses = 0, Teachers = 1, KlassesDraft = 2, TeachersDraft = 3 };
constexpr int kDetailsGridCount = 4;
// Sub-columns (and list views) per side at most.
constexpr int kDetailsShown = 5;

inline bool IsKlassGrid(TDetailsGrid g) { return g == TDetailsGrid::Klasses || g == TDetailsGrid::KlassesDraft; }
inline bool IsDraftGrid(TDetailsGrid g) {
  return g == TDetailsGrid::KlassesDraft || g == TDetailsGrid::TeachersDraft;
}

struct TDetailsView {
  const TRunModel* Model = nullptr;
  const TTableVarItem* Var = nullptr;
  bool Vertical = false;  // one row per day, one column per hour
  int TeachersWills = 2;
  std::vector<int> Klasses;   // shown klasses, at most five
  std::vector<int> Teachers;  // shown teachers, at most five
  std::array<std::string, 6> DayNames;  // short names, Monday first
  char DecimalPoint = ',';
};

// The first entries (at most five) of a linked list side.
std::vector<int> ShownEntries(const std::array<TLinkEntry, kMaxLinked>& list);
// The display names of every entry of a side joined by "/".
std::string JoinedKlassNames(const TRunModel& m, const TLinkedLists& lists);
std::string JoinedTeacherNames(const TRunModel& m, const TLinkedLists& lists);

// Day and hour (or draft position) of a cell; 0 for a heading.
void DetailsDayHour(bool vertical, int col, int row, int& day, int& hour);
// The cell of (day, hour).
void DetailsCellOf(bool vertical, int day, int hour, int& col, int& row);
// The sub-column of n under x in a cell from left of the given width; -1
// when none.
int DetailsSubColumn(int cellLeft, int cellWidth, int n, int x);

THourElementRecord DetailsCellContent(const TDetailsView& view, TDetailsGrid grid, int col, int row);

// Closed hour counts of a day (the draft's gray block and the menus).
bool KlassDayFull(const TRunModel& m, int klass, int day);
bool TeacherDayFull(const TRunModel& m, int teacher, int day);
bool TeacherHourClosedAt(const TRunModel& m, int teacher, int day, int hour, int teachersWills);

// One row of an unplaced-lesson list.
struct TFreeLessonRow {
  std::string Caption;
  std::string Blocks;  // e.g. "2, 1"
  int Lesson = -1;     // index in the klass's (teacher's) lesson list
};
// The block lengths of a lesson that stand on no day, "2, 1"; empty when
// every block is placed. Reads the variant only.
std::string UnplacedBlocks(const TTableVarItem& var, const TRTILessonItem& lesson, int klass, int klassLesson);
std::vector<TFreeLessonRow> KlassFreeLessons(const TRunModel& m, const TTableVarItem& var, int klass);
std::vector<TFreeLessonRow> TeacherFreeLessons(const TRunModel& m, const TTableVarItem& var, int teacher);

// ---- editing ---------------------------------------------------------------------
// The block being dragged: a klass's lesson starting at hour on day.
struct TDragBlock {
  int Klass = -1;
  int Teacher = -1;
  int Lesson = -1;
  int Day = 0;
  int Hour = 0;
};

// Hours of the fair block of klass starting at hour on day (0 when the
// cell does not start a block).
int FairBlockLength(const TTableVarItem& var, int klass, int day, int hour);
// Whether the block may move to (day, hour): inside hours 1..L, onto free
// cells of every linked klass and teacher, not onto another day holding
// the lesson, not onto its own start.
bool CanMoveBlock(const TRunModel& m, const TTableVarItem& var, int teachersWills, const TDragBlock& b, int day,
                  int hour);
// Moves the block of every linked klass; its rooms are given up. Returns
// the number of klasses moved, 0 (nothing changed) when refused.
int MoveBlock(const TRunModel& m, TTableVarItem& var, int teachersWills, const TDragBlock& b, int day, int hour);

// The first free draft position 1..limit of a klass (teacher) on day;
// limit + 1 when none.
int FirstFreeKlassDraft(const TTableVarItem& var, int klass, int day, int limit);
int FirstFreeTeacherDraft(const TTableVarItem& var, int teacher, int day, int limit);

}  // namespace korvant
