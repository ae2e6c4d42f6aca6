#pragma once
// The week-variant search: distributes the weekly lessons of a group of
// teachers over the six days, one teacher after the other. For each
// teacher it enumerates, lesson by lesson, the days of the lesson's hour
// blocks (quanta), keeps the best distribution by a fixed order of
// criteria and writes it into the variant: into the fair copy with hours
// (after every touched day could be laid out) or into the day drafts.
//
// The search is a session object driven in small steps, so that the
// dialog that shows its progress keeps its buttons live: Step(budget)
// runs at most budget search steps and says where the search stands.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/variant/rti_model.h"

namespace korvant {

class SharedState;
class TTableVarItem;

constexpr int kWeekDays = 6;
constexpr int kDayHours = 24;
constexpr int kMaxDayLayoutSpan = 9;  // quanta of a day lie within s..s + 8

// Ranks of the days for lesson 0, Monday first; a day with a lower rank is
// tried first, and every further lesson turns the ranks by one day, so
// that the lessons of a teacher do not all start on Monday.
inline constexpr std::array<uint8_t, 6> WeekDayRanks{1, 3, 5, 2, 4, 6};

// Rank (1..6) of each day (index day - 1) for the lesson at index lesson of
// the teacher's list.
std::array<uint8_t, 6> DayRanksOf(int lesson);

// Daily norms of a group member with the given weekly hours and wanted
// free days (clamped to 0..6).
struct TMemberNorms {
  int32_t Min = 0;
  int32_t Max = 0;
  bool operator==(const TMemberNorms&) const = default;
};
TMemberNorms ComputeMemberNorms(int weeklyHours, int freeDaysWanted, int L, int teacherMinLessons);

// Daily norms of a klass with the given weekly hours and working days D
// (days with an open hour). A klass with no working day takes nothing.
struct TKlassNorms {
  int32_t Min = 0;
  int32_t Max = 0;
  int32_t DaysAtMax = 0;
  bool operator==(const TKlassNorms&) const = default;
};
TKlassNorms ComputeKlassNorms(int weeklyHours, int workingDays, int L, int classMinLessons, int longestQuant);

// One teacher of the searched group, in row order (reordered by the queue
// optimisation as teachers are chosen).
struct GroupTeacherRec {
  int32_t Teacher = -1;
  int32_t WeeklyHours = 0;
  int32_t MaxPerDay = 0;
  int32_t MinPerDay = 0;
};

// Cell values of the load tables' hour cells.
constexpr uint8_t kCellFree = 0;
constexpr uint8_t kCellBusy = 1;
constexpr uint8_t kCellClosed = 2;

using TWeekCells = std::array<std::array<uint8_t, kDayHours>, kWeekDays>;  // [day - 1][hour - 1]
using TDayCounts = std::array<int32_t, kWeekDays>;                          // [day - 1]

struct TTeacherWeekLoad {
  int32_t FreeDaysWanted = 0;
  TDayCounts Closed{};
  TDayCounts Timed{};    // hours standing at an hour
  TDayCounts DayOnly{};  // hours on the day without an hour
  TDayCounts Attached{};  // hours in the attached room shared with partners
  TWeekCells Cells{};
  int Total(int day) const { return Timed[static_cast<std::size_t>(day - 1)] + DayOnly[static_cast<std::size_t>(day - 1)]; }
};

struct TKlassWeekLoad {
  int32_t WeeklyHours = 0;
  int32_t MaxPerDay = 0;
  int32_t MinPerDay = 0;
  int32_t DaysAtMax = 0;
  TDayCounts Closed{};
  TDayCounts Timed{};
  TDayCounts DayOnly{};
  TWeekCells Cells{};
  int Total(int day) const { return Timed[static_cast<std::size_t>(day - 1)] + DayOnly[static_cast<std::size_t>(day - 1)]; }
};

// One quant of the current teacher's considered lessons in an evaluated
// variant.
struct TPlacementRec {
  int32_t Teacher = -1;
  int32_t LessonIndex = -1;  // in the teacher's lesson list
  int32_t LessonID = -1;     // a separated part: parent's + 1000000
  int32_t Order = 0;         // of its lesson object
  int32_t QuantIndex = 0;    // from 1
  int32_t Length = 0;
  uint8_t Fixed = 0;         // stood in the timetable when the search began
  uint8_t Day = 0;           // 0 = not placed
  int32_t Hour = 0;          // first hour, 0 = none
  int32_t FixedHour = 0;     // 0 = none
  uint8_t PartnerCheck = 0;  // of its lesson
  const TLinkedLists* Links = nullptr;  // the klass list and the link list
};

// What the search gives the dialog's progress grid. Row is the teacher's
// position in the group, from 0.
class IWeekVarsObserver {
 public:
  virtual ~IWeekVarsObserver() = default;
  // A pass of a teacher begins: caption is the display name, followed by
  // " (2)" on the second pass; placed is the hours already placed.
  virtual void TeacherStarted(int row, const std::string& caption, int pass, int viewed, int improvements,
                              int weeklyHours, int placed) {
    (void)row, (void)caption, (void)pass, (void)viewed, (void)improvements, (void)weeklyHours, (void)placed;
  }
  virtual void VariantsViewed(int row, int viewed) { (void)row, (void)viewed; }
  // parallels is the best parallels score, -1 when parallels are not
  // honoured; placed is the hours column (raised when more hours fit).
  virtual void Improved(int row, int improvements, int parallels, int placed) {
    (void)row, (void)improvements, (void)parallels, (void)placed;
  }
  // The best of a pass went into the variant with these hours placed.
  virtual void HoursPlaced(int row, int placed) { (void)row, (void)placed; }
};

// The improvements column: the count, with parallels " (score)".
std::string ImprovementsText(int improvements, int parallels);

// Everything the search reads, handed over instead of the shared state.
struct TWeekSearchContext {
  TRunModel* Model = nullptr;
  TTableVarItem* Var = nullptr;
  uint8_t PlaceToFair = 1;
  uint8_t UseAttachedRooms = 1;
  uint8_t UseSepQuants = 1;
  uint8_t UseParallels = 1;
  uint8_t OptimizeQueue = 1;
  int TeachersWills = 2;
  int L = 8;
  int ClassMinLessons = 4;
  int TeacherMinLessons = 2;
  int GroupRow = 0;  // row of the model's teacher group table
};

// The context of the open variant: the model's parameters, wills and
// group row, and the option bytes of state.
TWeekSearchContext MakeWeekSearchContext(TRunModel& model, TTableVarItem& var, const SharedState& state);

enum class TWeekStepResult {
  Running,      // the budget ran out within a teacher
  TeacherDone,  // a teacher is finished and its result is in the variant
  Finished,     // the last teacher is finished
  Aborted,      // stopped by an abort request; earlier teachers' results stay
};

class TWeekVarsSearch;
class TLessonObject;

// A maximal sequence of consecutive equal-length quanta of one lesson;
// enumerates the combinations of days for them in increasing day rank.
class TGrpObject {
 public:
  TLessonObject* Owner = nullptr;
  int32_t FirstQuant = 1;  // from 1
  int32_t OrigCount = 0;
  int32_t CurCount = 0;
  int32_t Length = 0;
  uint8_t Started = 0;
  struct TPlace {
    uint16_t Day = 0;
    uint16_t Hour = 0;
  };
  std::vector<TPlace> Quants;  // [quant - FirstQuant]

  bool Next(TWeekVarsSearch& s);
  void Release(TWeekVarsSearch& s);
  bool IsFixed(int i) const;  // i within the run, from 0

 private:
  bool PlaceQuant(TWeekVarsSearch& s, int i, int lowRank, int highRank);
  int UnplaceQuant(TWeekVarsSearch& s, int i);
  void AllOff(TWeekVarsSearch& s);
};

// One considered lesson of the current teacher.
class TLessonObject {
 public:
  uint8_t NoRunsToggle = 0;
  std::vector<TGrpObject> Runs;
  int32_t ActiveRuns = 0;
  int32_t CurRun = 0;
  int32_t LessonIndex = -1;
  uint8_t PartnerCheck = 0;
  int32_t LessonID = -1;
  int32_t Order = 0;
  std::array<uint16_t, kQuantWords + 1> Quants{};  // [1..21], 0 ends
  std::array<TGrpObject::TPlace, kQuantWords + 1> FixedAt{};  // day 0 = not fixed
  // Quanta whose hours already stand on a day that matches no free quant
  // length: never placed, never written.
  std::array<uint8_t, kQuantWords + 1> Consumed{};
  std::array<uint8_t, kWeekDays> DayUsed{};
  TLinkedLists Links;
  std::array<uint16_t, kMaxLinked> LinkGroup{};
  // The link's group uses the teacher's attached room (no fictitious room).
  std::array<uint8_t, kMaxLinked> LinkAttached{};
  std::array<uint8_t, kWeekDays> Ranks{};        // [day - 1] -> rank
  std::array<uint8_t, kWeekDays + 1> RankDay{};  // [rank] -> day
  int32_t VariantCount = 0;

  int QuantCount() const;
  bool IsFixed(int q) const { return FixedAt[static_cast<std::size_t>(q)].Day != 0 || Consumed[static_cast<std::size_t>(q)]; }

  bool Next(TWeekVarsSearch& s);
  void Release(TWeekVarsSearch& s);
  void WriteRecords(std::vector<TPlacementRec>& recs, int& pos, int teacher) const;
  void StoreRecords(TWeekVarsSearch& s, const std::vector<TPlacementRec>& recs, int& pos);
};

class TWeekVarsSearch {
 public:
  // Builds the member, teacher and klass tables from the context's model
  // and variant. The observer, when given, must outlive the search.
  explicit TWeekVarsSearch(const TWeekSearchContext& ctx, IWeekVarsObserver* observer = nullptr);
  ~TWeekVarsSearch();
  TWeekVarsSearch(const TWeekVarsSearch&) = delete;
  TWeekVarsSearch& operator=(const TWeekVarsSearch&) = delete;

  // Runs at most budget search steps (each asks one lesson for its next
  // variant, in the pre-count or the search). Returns as soon as a teacher
  // is finished, so that the caller handles one teacher at a time.
  TWeekStepResult Step(int budget);
  // Steps until the last teacher is finished or an abort request arrives.
  TWeekStepResult RunToEnd();

  // "Дальше": the current pass stops and its best so far is applied.
  void RequestEnough() { enough_ = 1; }
  // "Прервать": the current teacher's search stops, its best is discarded
  // and no further teacher is searched.
  void RequestAbort() { abort_ = 1; }

  const TWeekSearchContext& Context() const { return ctx_; }
  const std::vector<GroupTeacherRec>& Members() const { return members_; }
  const std::vector<TTeacherWeekLoad>& TeacherLoads() const { return teachers_; }
  const std::vector<TKlassWeekLoad>& KlassLoads() const { return klasses_; }
  const std::vector<int32_t>& InvolvedTeachers() const { return involved_; }
  // Position of the teacher being searched (or next to be), from 0.
  int Position() const { return pos_; }
  // Writes into the variant that did not fit; the checks keep it 0.
  int ApplyFailures() const { return applyFailures_; }

  // Lays out every day touched by records into hours, writing each quant's
  // first hour; false when some day has no layout or no day needs one.
  bool CheckDayLayouts(std::vector<TPlacementRec>& recs) const;

 private:
  friend class TGrpObject;
  friend class TLessonObject;
  enum class Phase { StartTeacher, StartPass, PreCount, Search, EndPass, Finished, Aborted };

  void BuildTables();
  // The teacher's lesson at index i is searched with an earlier lesson of
  // the same linked set; lists is filled either way. False also when the
  // linked set does not fit its lists.
  bool SkipLesson(int teacher, int i, TLinkedLists& lists) const;
  int TeacherWeeklyHours(int teacher) const;
  void ChooseMember();
  void StartPass();
  std::unique_ptr<TLessonObject> MakeLessonObject(int teacher, int i, const TLinkedLists& lists);
  void PreCountStep();
  void SearchStep();
  bool Evaluate();
  int ParallelsScore() const;
  int Spread() const;
  void EndPass();
  void ApplyVariants(const std::vector<TPlacementRec>& recs);
  void WriteAll(std::vector<TPlacementRec>& recs) const;
  void ReleaseAll();
  void DoAbort();

  // Load bookkeeping of a quant of o on day (hour 0: day only).
  void AddLoad(const TLessonObject& o, int day, int hour, int length, int sign);
  void SetCells(const TLessonObject& o, int day, int hour, int length, uint8_t value);
  bool DayFits(const TLessonObject& o, int day, int length) const;
  bool HourFits(const TPlacementRec& r, int day, int b, const std::array<int, kDayHours + 1>& H) const;

  TWeekSearchContext ctx_;
  IWeekVarsObserver* observer_;
  int L_;
  std::vector<GroupTeacherRec> members_;
  std::vector<TTeacherWeekLoad> teachers_;
  std::vector<TKlassWeekLoad> klasses_;
  std::vector<int32_t> involved_;
  uint8_t attachedNow_ = 0;
  uint8_t enough_ = 0;
  uint8_t abort_ = 0;

  Phase phase_ = Phase::StartTeacher;
  int pos_ = 0;
  int pass_ = 1;
  int cur_ = -1;  // teacher index being searched
  std::vector<std::unique_ptr<TLessonObject>> objects_;
  std::vector<TPlacementRec> recs_;
  std::vector<TPlacementRec> best_;
  bool hasBest_ = false;
  int preObj_ = 0;
  int level_ = 0;
  bool descending_ = true;
  int viewed_ = 0;
  int improvements_ = 0;
  int bestLevel_ = -1;
  int bestHours_ = -1;
  int bestSpread_ = 25;
  int bestParallels_ = 0;
  int column4_ = 0;
  int applyFailures_ = 0;
};

}  // namespace korvant
