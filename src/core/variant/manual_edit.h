#pragma once
// The rules of editing a day of a variant by hand: which lesson a klass or
// teacher line shows at an hour or draft position, whether a block may be
// moved to another hour, and the moves themselves. A lesson always goes
// with its linked set; an edit that is refused leaves the variant as it
// was, and nothing is written past hour L.
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant {

// A klass lesson of the run-time model.
struct TLessonRef {
  int Klass = -1;
  int Lesson = -1;
  bool Valid() const { return Klass >= 0 && Lesson >= 0; }
};

// The lesson the teacher gives at a fair hour of day (the first klass in
// index order holding one), or an invalid ref.
TLessonRef TeacherFairLessonAt(const TTableVarItem& var, int teacher, int day, int hour);
// The teacher's n-th draft lesson of day, with its draft position (in the
// lesson's klass); an invalid ref when there is none.
TLessonRef TeacherDraftLessonAt(const TTableVarItem& var, int teacher, int day, int n, int* position = nullptr);

// The fair block of klass holding hour: its first hour and its length
// (the cells chained to the first one). 0 when the cell is empty.
int FairBlockAt(const TTableVarItem& var, int klass, int day, int hour, int& head);

// The first empty draft position of klass (L + 1 when all are taken).
int FirstFreeKlassDraft(const TTableVarItem& var, int klass, int day);
// The first ordinal 1..L without a draft lesson of the teacher (L + 1).
int FirstFreeTeacherDraft(const TTableVarItem& var, int teacher, int day);

// The klass may hold no lesson at that hour of day.
bool KlassHourClosed(const TRunModel& m, int klass, int day, int hour);
// Every hour 1..L of day is closed for the klass.
bool KlassDayClosed(const TRunModel& m, int klass, int day);
// The teacher's closed and undesired hours of day (under the model's
// TeachersWills) reach L.
bool TeacherDayClosed(const TRunModel& m, int teacher, int day);
bool TeacherSlotClosed(const TRunModel& m, int teacher, int day, int hour);

// Whether the fair block of klass that starts at srcHour may move, with
// its linked set, to start at target on day: every target hour within L
// and open for each linked klass and lesson, each linked klass's cell there
// empty or part of the block itself, and each linked teacher free then (not
// closed by wishes, teaching nothing outside the linked set).
bool CanMoveBlock(const TTableVarItem& var, int day, int klass, int srcHour, int target);
// Moves the block and its linked set (rooms cleared); false, with nothing
// changed, when CanMoveBlock refuses.
bool MoveBlock(TTableVarItem& var, int day, int klass, int srcHour, int target);

// Room in the drafts for a lesson's fair hours of day, teachers first.
struct TDraftSpace {
  enum Result { Ok, TeacherFull, KlassFull, Invalid } result = Invalid;
  int who = -1;  // the teacher or klass without room
};
TDraftSpace CheckDraftSpace(const TTableVarItem& var, int day, TLessonRef lesson);
// The lesson and its linked set off the fair copy of day into the day's
// drafts. False, with nothing changed, when there is no room.
bool MoveLessonToDraft(TTableVarItem& var, int day, TLessonRef lesson);
// The lesson and its linked set off day, fair copy and draft alike.
bool TakeLessonOffDay(TTableVarItem& var, int day, TLessonRef lesson);

// The space check of a teacher group going to the drafts: for every teacher
// of the row, then every klass, whether the day's draft has room for its
// fair hours whose linked set is taught only by the row's teachers.
TDraftSpace CheckGroupDraftSpace(const TTableVarItem& var, int day, int row);

}  // namespace korvant

namespace korvant {

// The lessons of day read back with teacher group row left free: lessons
// whose linked set is taught only by the row's teachers go to the drafts
// (clear false) or off the day (clear true, with every lesson that involves
// a teacher of the row), the rest stay where they are. False, with the day
// as it was, when a lesson would not come back whole.
bool RegroupDay(TRunModel& m, TTableVarItem& var, int day, int row, bool clear);

}  // namespace korvant
