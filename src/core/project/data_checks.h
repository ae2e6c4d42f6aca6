#pragma once
// The data checks run before planning: each project list is checked for
// missing values, dangling references and inconsistencies, and every
// finding becomes one numbered line on that list's page of the report.
// The checks change nothing.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/project/klasses.h"
#include "core/project/lessons.h"
#include "core/project/project_data.h"
#include "core/project/rooms.h"
#include "core/project/subjects.h"
#include "core/project/teachers.h"

namespace korvant {

// Pages of the report, one per list.
enum : int {
  kCheckRooms = 0,
  kCheckSubjects = 1,
  kCheckKlasses = 2,
  kCheckTeachers = 3,
  kCheckLessons = 4,
  kCheckPageCount = 5
};

// Where the checks write.
class IDataReport {
 public:
  virtual ~IDataReport() = default;
  // Empties page kind (0..4) and makes it the page being filled.
  virtual void ClearPage(int kind) = 0;
  // Appends one finding to page kind.
  virtual void AddLine(int kind, const std::string& text) = 0;
};

// The report's pages as text: the report window shows these and adds its
// own drawing by overriding ClearPage/AddLine and calling these first.
// Lines are numbered by one counter for the page being filled, so the
// numbers restart at 1 with every ClearPage.
class TDataReportPages : public IDataReport {
 public:
  void ClearPage(int kind) override;
  // Counter + 1, then "<counter>. <text>". A kind outside 0..4 is ignored.
  void AddLine(int kind, const std::string& text) override;

  const std::vector<std::string>& Lines(int kind) const;
  int ActivePage() const { return active_; }
  int Counter() const { return counter_; }

 private:
  std::array<std::vector<std::string>, kCheckPageCount> pages_;
  int active_ = 0;
  int counter_ = 0;
};

// Called once after a page is cleared, so the window can show it while
// the checks run.
using CheckPump = std::function<void()>;

// Each check does nothing without a report. l is the project's lessons
// per day.
void CheckRooms(const TRoomsCollection& rooms, IDataReport* report, const CheckPump& pump = {});
void CheckSubjects(const TSubjectsCollection& subjects, const TRoomsCollection& rooms,
                   IDataReport* report, const CheckPump& pump = {});
void CheckKlasses(const TKlassesCollection& klasses, const TRoomsCollection& rooms,
                  IDataReport* report, const CheckPump& pump = {});
void CheckTeachers(const TTeachersCollection& teachers, const TRoomsCollection& rooms, int l,
                   IDataReport* report, const CheckPump& pump = {});
void CheckLessons(const TLessonsCollection& lessons, const TKlassesCollection& klasses,
                  const TSubjectsCollection& subjects, const TTeachersCollection& teachers,
                  int l, IDataReport* report, const CheckPump& pump = {});

// The five checks in the order rooms, subjects, klasses, teachers, lessons.
void CheckProjectData(const TProjectData& data, IDataReport* report, const CheckPump& pump = {});

// A teacher's week: usable hours of days 1..6 (lessons 1..l), less the
// days taken out as methodical days (the days with the fewest usable
// hours, earlier days first on ties). At most all six days are taken out.
int TeacherFreeHours(const TTeacherItem& teacher, int l);
// Days 1..6 with at least one usable hour, at most 6 - MetodicalDays.
int TeacherWorkingDays(const TTeacherItem& teacher, int l);
// Days 1..6 with at least one free hour among lessons 1..l.
int KlassWorkingDays(const TKlassItem& klass, int l);
// Days a lesson's hour layout needs: max(blocks - separated, separated).
int LessonDaysNeeded(const TLessonItem& lesson);
// Whether every separated length has a block of its own in the block list.
bool SeparatedBlocksMatch(const TLessonItem& lesson);

}  // namespace korvant
