#pragma once
// The planner's run-time model of an open variant: private copies of the
// project's klasses (each with its own lessons) and teachers (each with a
// copy of every klass lesson it teaches), with every reference turned from
// an identifier into a collection index once, so that every later test is
// an index lookup. The same objects carry the state of the day being
// planned.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/project/id_limits.h"
#include "core/project/klasses.h"
#include "core/project/lessons.h"
#include "core/project/params.h"
#include "core/project/rooms.h"
#include "core/project/subjects.h"
#include "core/project/teachers.h"

namespace korvant {

struct TProjectData;
class TTableVarItem;
class TRunModel;

// Entries of a linked-lesson list; 0xFFFF in the first half ends a list.
constexpr int kMaxLinked = 26;
constexpr uint16_t kListEnd = 0xFFFF;
// HourMarks value of an hour closed by the teacher's wishes.
constexpr int32_t kHourClosed = 999;

// Run-time references of one group of a run-time lesson.
struct TRTIGroup {
  // In a klass lesson: {klass index, lesson index, group} of each linked
  // group; in a teacher's copy: {teacher index, index of that teacher's
  // copy, group}. Klass -1 ends the list.
  std::array<TParallelLesson, kMaxGroupLinks> Links{};
  // Klass lesson: the group's teacher and the index of its copy.
  int32_t Teacher = -1;
  int32_t TeacherLesson = -1;
  // Teacher's copy: the klass, the klass lesson and the group it copies.
  int32_t Klass = -1;
  int32_t KlassLesson = -1;
  int32_t KlassGroup = -1;

  int LinksCount() const;
  void AddLink(const TParallelLesson& link);
};

// After building, a group's SubjectID and TeacherID hold indices of the
// model's subjects and teachers (-1 when gone), and the lesson's KlassID
// holds its klass index.
class TRTILessonItem : public TLessonItem {
 public:
  std::array<TRTIGroup, kMaxLessonGroups> RT{};
  // The separated blocks of a project lesson, planned as a lesson of their
  // own (identifier + kSepLessonIDOffset). A project lesson whose own
  // identifier is that large is not one.
  uint8_t SeparatedPart = 0;

  // True when some group is linked to a group of another klass's lesson.
  bool HasLink() const;
  // The first group taught by teacher, or -1.
  int GroupOfTeacher(int teacher) const;
};

class TRTILessonsCollection : public TLessonsCollection {
 public:
  TRTILessonItem* GetItem(int i) const {
    return static_cast<TRTILessonItem*>(TLessonsCollection::GetItem(i));
  }
  TRTILessonItem* operator[](int i) const { return GetItem(i); }

 protected:
  std::unique_ptr<TLessonItem> NewItem() const override { return std::make_unique<TRTILessonItem>(); }
};

// One entry of a linked-lesson list: {klass, klass lesson} or
// {teacher, teacher's copy}; all 0xFFFF when unused.
struct TLinkEntry {
  uint16_t A = kListEnd;
  uint16_t B = kListEnd;
  bool operator==(const TLinkEntry&) const = default;
};

// The lesson itself and every lesson joined to it through group links, and
// their teachers.
struct TLinkedLists {
  std::array<TLinkEntry, kMaxLinked> Lessons{};
  std::array<TLinkEntry, kMaxLinked> Teachers{};
  int LessonCount() const;
  int TeacherCount() const;
  // Whether no lesson of the set is in a klass before klass: the lowest
  // klass of a joint lesson is the one that plans it.
  bool LowestKlass(int klass) const;
  void Clear() { *this = TLinkedLists{}; }
};

class TRTIKlassItem : public TKlassItem {
 public:
  int32_t DayAvg = 0;
  int32_t DayMax = 0;
  TRTILessonsCollection Lessons;
  int32_t ClosedHoursToday = 0;
  int32_t QuantSum = 0;
  int32_t HoursToday = 0;
  int32_t DayMinLeft = 0;
  int32_t DayMaxLeft = 0;
  int32_t WeekHours = 0;
  int32_t RemainingHours = 0;
  int32_t TodayHours = 0;
  double WeekDifficulty = 0;
  double DayDifficultyTarget = 0;
  // Indexed by slot: 1..24 the hours of the day being arranged, 25..48
  // parking; [0] unused.
  std::array<uint16_t, 49> ItemSlot{};
  std::array<uint16_t, 49> LessonSlot{};
  // Arrangement storage of the day searches.
  int32_t VariantCount = 0;
  std::vector<uint8_t> VariantBits;
  int32_t CountsCount = 0;
  std::vector<uint8_t> VariantCounts;
  std::vector<uint8_t> TeacherUsed;
  std::vector<uint8_t> CompatRows;
  int32_t SlotsCount = 0;
  std::vector<uint16_t> VariantSlots;
  uint8_t HasLinked = 0;
  std::array<uint16_t, 6> DayClosedHours{};  // day d at [d - 1]
  int32_t WorkDays = 0;  // 1 + the other days holding its lessons (day norms)

  // Copies of the project lessons of this klass; separated blocks become a
  // lesson of their own (identifier + 1000000).
  void BuildLessons(const TLessonsCollection& project);
  void ResetDay(bool clearMarks);
  void SetLessonDayCount(int lesson, int hours);
  bool IsSlotClosed(int slot, int lesson) const;
  void CountDayClosedSlots(int lessonsPerDay);
};

class TRTIKlassesCollection : public TKlassesCollection {
 public:
  TRTIKlassesCollection() = default;
  TRTIKlassItem* GetItem(int i) const {
    return static_cast<TRTIKlassItem*>(TKlassesCollection::GetItem(i));
  }
  TRTIKlassItem* operator[](int i) const { return GetItem(i); }

  void SetContext(TRunModel* model) { model_ = model; }
  // The project's klasses with their identifiers and the next identifier.
  void Assign(const TKlassesCollection& src);
  void BuildLessons(const TLessonsCollection& project);
  // Group links and parallel lessons become indices. Reads the parallels
  // as identifiers, so it runs before the references are resolved.
  void LinkLessons();
  // Klass, subject and teacher references become indices; week difficulty.
  void PrepareLessons();
  void ResetDay(bool clearMarks);
  void CountDayClosedSlots();

  // Fills lists with lesson (klass, lesson) and every lesson linked to it.
  // False, with the lists filled up to 26 entries, when the linked set does
  // not fit the 26 entries: callers must not act on a cut set.
  bool CollectLinkedLessons(int klass, int lesson, TLinkedLists& lists) const;

  // Fixes a lesson for the day with all its linked lessons and teachers.
  void FixLesson(int klass, int lesson, int hours);

 private:
  // Drops the links a joint lesson cannot be planned with (see there).
  void KeepPlannableLinks();
  bool CollectInto(int klass, int lesson, TLinkedLists& lists, int& nLessons, int& nTeachers) const;
  TRunModel* model_ = nullptr;

 protected:
  std::unique_ptr<TKlassItem> NewItem() const override { return std::make_unique<TRTIKlassItem>(); }
};

struct TDayWishCount {
  uint16_t Closed = 0;
  uint16_t Undesired = 0;
};

class TRTITeachersCollection;

class TRTITeacherItem : public TTeacherItem {
 public:
  TRTITeacherItem() { HourMarks.fill(-1); }

  TRTILessonsCollection Lessons;
  int32_t FreeDays = 0;
  int32_t ClosedDays = 0;
  int32_t DayAvg = 0;
  int32_t DayMax = 0;
  int32_t ClosedHoursToday = 0;
  std::vector<int32_t> Partners;  // PartnersSize entries, -1 ends
  int32_t PartnersSize = 0;
  int32_t LessonsToday = 0;
  int32_t HoursToday = 0;
  int32_t DayMinLeft = 0;
  int32_t DayMaxLeft = 0;
  int32_t WeekHours = 0;
  int32_t RemainingHours = 0;
  int32_t TodayHours = 0;
  // Indexed by hour 1..24 ([0] unused): -1 free, 999 closed by wishes,
  // else the index of the klass taught then.
  std::array<int32_t, 25> HourMarks;
  std::array<TDayWishCount, 6> DayWishCounts{};  // day d at [d - 1]
  int32_t WorkDays = 0;  // 1 + the other days holding its lessons (day norms)

  void SetLessonDayCount(TRTITeachersCollection& teachers, int copy, int hours);
  void ResetDay();
  int GetMaxQuant() const;
  // False when a partner is busy at hour (HourMarks not 999 and >= 0, or
  // >= 1000 with high).
  bool PartnersFree(const TRTITeachersCollection& teachers, int hour, bool high) const;
  void CountDayWishes(int lessonsPerDay, int teachersWills);
};

class TRTITeachersCollection : public TTeachersCollection {
 public:
  TRTITeachersCollection() = default;
  TRTITeacherItem* GetItem(int i) const {
    return static_cast<TRTITeacherItem*>(TTeachersCollection::GetItem(i));
  }
  TRTITeacherItem* operator[](int i) const { return GetItem(i); }

  void SetContext(TRunModel* model) { model_ = model; }
  void Assign(const TTeachersCollection& src);
  // Every teacher's copies of the klass lessons it teaches, their links as
  // teacher references, and the partners.
  void BuildLessons();
  void PrepareDaySlots(int day);
  void CountDayWishes();
  void ResetDay();

  // Teacher group table. Each row holds teacher indices followed by -1.
  void BuildGroups(const TTableVarItem& var, bool keep, int day);
  int GroupCount() const { return cur_ ? static_cast<int>(cur_->size()) : 0; }
  // Row r ended by -1; null outside the table.
  const int32_t* GroupRow(int r) const;
  int GroupSize(int r) const;
  bool InGroupRow(int teacher, int r) const;
  // The row holding teacher, or -1.
  int FindTeacherGroup(int teacher) const;
  // Replaces the table in use (the group editors hand back their copy);
  // when that is the kept table, the new rows are kept.
  void SetGroups(std::vector<std::vector<int32_t>> rows);

 private:
  void FillPartners(int t);
  void CollectLinked(int t, std::vector<int32_t>& row, std::vector<uint8_t>& seen) const;

  TRunModel* model_ = nullptr;
  std::vector<std::vector<int32_t>> built_;
  std::vector<std::vector<int32_t>> kept_;
  bool hasKept_ = false;
  const std::vector<std::vector<int32_t>>* cur_ = nullptr;

 protected:
  std::unique_ptr<TTeacherItem> NewItem() const override { return std::make_unique<TRTITeacherItem>(); }
};

// The run-time model: working copies of the project's lists for one open
// variant, and the planning context the core routines read instead of
// global state.
class TRunModel {
 public:
  TRunModel() {
    Klasses.SetContext(this);
    Teachers.SetContext(this);
  }
  TRunModel(const TRunModel&) = delete;
  TRunModel& operator=(const TRunModel&) = delete;

  TProjParamsRec Params;
  TRoomsCollection Rooms;        // identifiers kept, FreeCount counted
  TSubjectsCollection Subjects;  // room references resolved
  TRTITeachersCollection Teachers;
  TRTIKlassesCollection Klasses;

  int TeachersWills = 2;          // of the variant options, 1..4
  int CurGroup = 0;               // row of the teacher group table
  uint8_t ReplanGroupLessons = 0;

  int L() const { return Params.LessonsPerDay; }
  TRTILessonItem* KlassLesson(int klass, int lesson) const;
  TRTILessonItem* TeacherLesson(int teacher, int copy) const;
};

// Builds the model from a project, in the order the references need:
// klasses, their lessons, links (parallels still identifiers), room and
// klass references, lesson preparation, then the teachers and their
// lesson copies. L is taken from the project, clamped to 1..24.
std::unique_ptr<TRunModel> BuildRunModel(const TProjectData& project);

}  // namespace korvant
