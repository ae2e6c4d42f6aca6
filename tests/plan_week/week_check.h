#pragma once
// A planned week read back from its variant file by its layout alone
// (signature, options, fair grid, draft grid; identifiers in the cells)
// and checked against the project's lists for the rules every week must
// keep. Nothing of the planner is used: only the project's records and
// their rules (core/project), so that the planner's own books cannot hide
// a fault.
#include <cstdint>
#include <string>
#include <vector>

#include "core/project/project_data.h"

namespace korvant::weekcheck {

struct Cell {
  int32_t Hour = 0, Prev = -1, Lesson = -1;
  uint16_t Rooms[5]{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
};

// The file's strictness of teachers' wishes is not kept: the caller names
// the strictness a week is checked under.
struct VarFile {
  int K = 0, L = 0;
  std::vector<Cell> Fair, Draft;  // [row][day][hour]
  std::vector<int> RowKlassID;    // from the high half of each row's first Hour
  Cell& At(std::vector<Cell>& g, int row, int day, int hour) {
    return g[static_cast<std::size_t>((row * 6 + day - 1) * L + hour - 1)];
  }
  const Cell& At(const std::vector<Cell>& g, int row, int day, int hour) const {
    return g[static_cast<std::size_t>((row * 6 + day - 1) * L + hour - 1)];
  }
};

// False for anything that is not a whole variant file of this layout.
bool ReadVar(const std::vector<unsigned char>& bytes, VarFile& v);

struct Report {
  int Placed = 0;          // lesson hours in the fair copy (a joint lesson once per klass)
  int Due = 0;             // lesson hours of the project, counted the same way
  int Idle = 0;            // per teacher and day: hours between the first and last lesson without one
  int FreeDaysShort = 0;   // teachers with fewer lesson-free days than they want
  bool Complete = false;   // every block of every lesson stands
  std::vector<std::string> Faults;  // every broken rule, free days included

  int Broken() const { return static_cast<int>(Faults.size()); }
};

// Rules: cells of known lessons of their row's klass; no klass, lesson,
// teacher (under teachersWills, 1..4) or room closed hour used; blocks
// whole, chained and of the lesson's lengths (a lesson's separated blocks
// being a lesson of their own, its identifier + 1000000), one a day per
// lesson; teachers and rooms once an hour but for linked groups; a klass's
// day begins at an hour it may begin at and has no open hour inside; a
// lesson with a group without a teacher begins or ends the klass's day; a
// separated block never right beside its lesson; a teacher teaches on no
// more days than its wanted free days leave; no draft left.
Report CheckWeek(const TProjectData& p, const VarFile& v, int teachersWills);

}  // namespace korvant::weekcheck
