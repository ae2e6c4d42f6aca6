#pragma once
// The substitution journal's rules that need no window: what a teacher
// teaches at an hour of the open variant as the journal writes it, the rows
// an absence adds, the removal of a row, and the ranked choice of a
// substitute for a replaced lesson.
#include <cstdint>
#include <string>
#include <vector>

#include "core/substitutions/zamesh_archive.h"
#include "core/variant/table_var.h"

namespace korvant {

// 1 Monday .. 6 Saturday, 0 Sunday, of a journal date (days since
// 1899-12-30; the time of day does not count).
int ZameshWeekday(double date);

// Display names of the open variant's teachers and subjects, in
// collection order.
std::vector<std::string> VariantTeacherNames(const TTableVarItem& var);
std::vector<std::string> VariantSubjectNames(const TTableVarItem& var);

// A teacher's fair-copy lesson at one hour of a weekday.
struct TJournalLesson {
  bool Found = false;
  int Klass = -1;
  int Group = -1;
  int Links = 0;
  std::string KlassText;  // the klass, then "/" and each linked klass ("---" for a missing one)
  int32_t Section = 0;    // school section of the klass
  std::string Subject;    // "---" when the group has no subject
  std::string Room;       // the group's fictitious room, else the cell's room, else empty
};
TJournalLesson JournalLessonAt(const TTableVarItem& var, int teacher, int weekday, int lesson);

// One line of a teacher's day: "n. Нет", or "n. <klass> <subject>".
std::string JournalDayLine(int lesson, const TJournalLesson& l);
// The teacher's day, lessons 1..L; nothing on a Sunday (weekday 0).
std::vector<TJournalLesson> TeacherDay(const TTableVarItem& var, int teacher, int weekday);

// Adds the absent teacher's ticked lessons of the day (ticked[i] for
// lesson i + 1) to the journal rows. Every ticked lesson, taught or not,
// goes into the absence set; only the taught ones get a row, and none that
// the day already holds with the same lesson, teacher, subject, klass and
// room. An empty last row is filled before rows are appended. Answers the
// number of rows added.
int AddAbsenceRows(std::vector<TZameshRow>& rows, const std::string& teacherName,
                   const std::vector<TJournalLesson>& day, const std::vector<bool>& ticked);

// Removes data row index (0-based); the last remaining row is cleared
// instead. False, with nothing changed, for a row without a lesson.
bool DeleteJournalRow(std::vector<TZameshRow>& rows, int index);

// ---- the count of missed and substituted lessons ----

// One teacher's counts over a period, by the school section of the lesson's
// klass: section 0 ("1 - 3 кл.") or any other ("5 - 11 кл."); substitutions
// also by whether the substitute came from the group list.
struct TZameshTeacherCount {
  std::string Name;
  int MissedJunior = 0, MissedOther = 0;
  int SubstJunior = 0, SubstJuniorGroup = 0, SubstOther = 0, SubstOtherGroup = 0;
  int Missed() const { return MissedJunior + MissedOther; }
  int Substituted() const { return SubstJunior + SubstJuniorGroup + SubstOther + SubstOtherGroup; }
};

// Counts every journal row of the days first..last (whole days) in date
// order: the absent teacher missed the lesson, the substitute took it.
// Teachers are listed in order of first appearance; names are compared
// exactly. A row without a substitute counts only the absence; an empty
// name is never counted.
std::vector<TZameshTeacherCount> CountZamesh(const TZameshImage& archive, double first, double last);

// ---- choice of a substitute ----

enum class SubstituteRank : uint8_t {
  Group = 0,  // "гр. ": teaches another group of the same lesson
  Busy = 1,   // "ок. ": free at the hour, has lessons that day
  Free = 2,   // "св. ": no lessons that day
  Wish = 3,   // "зн. ": free by the timetable, but the hour is closed by the teacher's wishes
};
// The four-character prefix of a rank (CP1251).
std::string SubstitutePrefix(SubstituteRank rank);

// The replaced lesson of a journal row, found in the open variant.
struct TSubstituteContext {
  const TTableVarItem* Var = nullptr;
  int Weekday = 0;
  int Lesson = 0;
  int AbsentTeacher = -1;
  int Klass = -1;
  int Group = -1;
  int Links = 0;
};

// Finds the row's lesson: the absent teacher by name (column 1), the lesson
// (column 0) and the teacher's fair-copy lesson at that hour of weekday.
// False when any of them is missing.
bool LocateReplacedLesson(const TTableVarItem& var, const TZameshRow& row, int weekday, TSubstituteContext& ctx);

struct TSubstituteCandidate {
  int Teacher = -1;
  SubstituteRank Rank = SubstituteRank::Free;
  std::string Text;  // prefix and display name
  bool operator==(const TSubstituteCandidate&) const = default;
};

// The teachers who could take the replaced lesson, the group teachers
// first, then the busy, the free and the wish-closed ones, each rank in
// collection order. A teacher absent at the lesson is never listed; one
// who already substitutes at the lesson or teaches at that hour is listed
// only when he teaches another group of the lesson itself (or, for the
// timetable, when his wishes close the hour). teachersWills is the
// variant's strictness 1..4.
std::vector<TSubstituteCandidate> RankSubstitutes(const TSubstituteContext& ctx, const TExclusionTable& exclusion,
                                                  int teachersWills);

// Writes the chosen substitute into the row: the name without its prefix,
// object 1 for a group teacher.
void ApplySubstitute(TZameshRow& row, const TSubstituteCandidate& chosen, const TTableVarItem& var);

}  // namespace korvant
