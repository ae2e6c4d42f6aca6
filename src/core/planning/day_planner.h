#pragma once
// The automatic planners of one day: day norms, the teacher pass that
// decides who teaches today, the feasible arrangements of each klass's
// lessons into hours, their pairwise compatibility, and the depth-first
// searches (variant selection for one teacher group, optimisation of the
// day). Standard C++ only: the window reaches a run through IPlanningHost.
//
// Run flags keep their meaning and live in Shared(): AbortPlanning (stop at
// the next poll), WaitUser (1 while a solution is shown; the search waits
// through the host until it is 0 or AbortPlanning is set), FindBest,
// SolutionsFound and BestDepth (the caller sets 0 and -1 before a run).
// The option bytes UseAttachedRooms and UseSepQuants are read from Shared()
// when a planner is built. The teacher group row is the model's CurGroup.
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/common/catalogue.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant {

// What the search-information window reads while a search runs. Levels are
// the klasses that have arrangements, by ascending arrangement count.
class TSearchView {
 public:
  struct TOrderEntry {
    uint16_t Count = 0xFFFF;
    uint16_t Klass = 0xFFFF;
  };
  struct TLiveEntry {
    uint16_t Live = 0;
    uint16_t Removed = 0;
  };
  int Levels() const { return static_cast<int>(KlassOrder.size()); }
  // Position being tried at level, -1 before the first.
  int Choice(int level) const { return static_cast<int16_t>(CurChoice[static_cast<std::size_t>(level)]); }

  std::vector<TOrderEntry> KlassOrder;
  std::vector<uint16_t> CurChoice;   // 0xFFFF before the first
  std::vector<TLiveEntry> LiveCounts;
};

// The window's side of a run. Every call happens inside the planner's call
// stack on the one thread; the handlers of Pump and WaitWhileSet may set
// Shared().AbortPlanning or clear Shared().WaitUser.
class IPlanningHost {
 public:
  virtual ~IPlanningHost() = default;
  // Owner of the planner's message boxes (the variant window).
  virtual PromptOwner Owner() const { return nullptr; }
  // Handles pending events without waiting.
  virtual void Pump();
  // A full solution stands in the variant (the window's 45269).
  virtual void SolutionFound() {}
  // A deeper partial arrangement stands in the variant (45281); no wait.
  virtual void DeeperPartial() {}
  // Waits for events while flag is set. May return with the flag still set
  // when it has no way to wait; the search then goes on as if continued.
  virtual void WaitWhileSet(const uint8_t& flag);
  // Progress window: stage count; stage 1..n with its step maximum; a step.
  virtual void ProgressOpen(int /*stages*/) {}
  virtual void ProgressStage(int /*stage*/, int /*maximum*/) {}
  virtual void ProgressStep(int /*position*/, const std::string& /*name*/) {}
  virtual void ProgressClose() {}
  // Search-information window over view; paused while a solution is shown.
  virtual void InfoOpen(const TSearchView& /*view*/) {}
  virtual void InfoActive(bool /*on*/) {}
  virtual void InfoClose() {}
};

enum class TPlanOutcome {
  Solved,      // at least one solution was shown
  NoSolution,  // the search ended without a solution; told (10063, 10061, 10075)
  Failed,      // a teacher conflict or a klass without arrangements; told
  Aborted,     // AbortPlanning before any solution (10076 when a partial was shown)
  TooLarge,    // the day's arrangements exceed the planner's size caps; told (kMsgDayTooLarge)
};

// A day whose arrangements or compatibility rows exceed a run's size caps
// is too large for one run; it is not impossible.
constexpr int kMsgDayTooLarge = 10074;

// What planning may still spend: search steps and time. A part handed to a
// callee draws from the budget it came from: the callee's steps count
// against every budget above it, and it ends no later than they do, so one
// week's budget bounds every day and every run in it however the work is
// divided. A part lives no longer than the budget it came from.
class TBudget {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr uint64_t kNoLimit = ~uint64_t{0};
  // steps and ms of 0: no limit of that kind.
  explicit TBudget(uint64_t steps = 0, int64_t ms = 0);
  // At most steps and ms (0: no limit of its own) of what is left here.
  TBudget Part(uint64_t steps, int64_t ms);
  // An n-th of what is left, of steps and of time; what a part leaves
  // unspent stays for the next.
  TBudget Share(int n);
  uint64_t StepsLeft() const;        // kNoLimit: none
  int64_t MsLeft() const;            // INT64_MAX: none
  Clock::time_point Deadline() const { return deadline_; }  // {}: none
  bool Spent() const { return StepsLeft() == 0 || MsLeft() <= 0; }
  // Steps taken: counted here and in every budget above.
  void Spend(uint64_t steps);
  uint64_t Used() const { return used_; }

 private:
  TBudget* parent_ = nullptr;
  uint64_t limit_ = 0;
  uint64_t used_ = 0;
  Clock::time_point deadline_{};
};

// Day norms of every klass and teacher for day (reads the grid, rebuilds
// the block day marks, sets the teachers' HourMarks of day).
void PrepareDayNorms(TRunModel& m, const TTableVarItem& var, int day);

class TDayPlanner {
 public:
  // host may be null: solutions are then taken and the search goes on.
  TDayPlanner(TRunModel& m, TTableVarItem& var, int day, IPlanningHost* host);

  // Teacher pass decision for one teacher: -1 (told, run fails), 0 or 1
  // (today became a free day for the teacher; the pass restarts).
  int SelectDayLessons(int teacher);
  // Selection run for group row m.CurGroup.
  TPlanOutcome SelectVariants();
  // Optimisation run of the day's lessons.
  TPlanOutcome OptimizeDay();

  // ---- arrangements of one klass (the run's state; public for tests) ----
  // Sizes of the bit records; set by the runs, or by hand for tests.
  void PrepareSizes();
  void SetOptimising(bool on) { optimising_ = on; }
  // Every klass's arrangements, the levels and the compatibility rows of a
  // prepared day (as a run does after its teacher pass).
  TPlanOutcome PrepareArrangements(bool selection);
  // Keep the bit records after the rows are built (tests compare pairs).
  bool KeepRecords = false;
  // The optimisation shows its deeper partial days until a solution is
  // found; a run without a window may leave them out.
  bool ShowPartials = true;
  // Selection: per klass, the most hours of its day that may be kept free
  // for other rows (a driver that knows what the later rows can still give
  // sets it; empty or negative: no limit).
  std::vector<int> ExtraCap;
  int PrepareSelection(int klass);
  int EnumSelectVariants(int klass, int extra);
  int EnumDayVariants(int klass);
  bool PlaceItem(int klass, int item, int from, int to);
  bool ShiftItem(int klass, int item, int to);
  // Ends a klass's enumeration: its duplicate table goes, the teachers of
  // its records are listed for the pair test.
  void FinishStore(int klass);
  int ArrangementCount(int klass) const;
  // Hours 1..L of stored arrangement n (from 1): item numbers (0 free,
  // 0xFFFF closed) and lesson indices.
  uint16_t ArrangementItem(int klass, int n, int hour) const;
  uint16_t ArrangementLesson(int klass, int n, int hour) const;
  // Forgets every klass's arrangements.
  void FreeVariants();
  // Orders the klasses with arrangements into levels and sizes the rows.
  // False (nothing built) when the rows would exceed MaxCompatBytes.
  bool OrderLevels();
  void BuildCompatibility(int level);
  // Whether arrangement j (from 1) at a later level can stand beside
  // arrangement i of level.
  bool CompatBit(int level, int i, int laterLevel, int j) const;
  int LevelKlass(int level) const { return levelKlass_[static_cast<std::size_t>(level)]; }
  // The pair test itself, for any two arrangements of different klasses.
  bool Compatible(int klassA, int a, int klassB, int b) const;
  void ApplyVariant(int klass, int n, bool keepBlocks);
  void ClearVariant(int klass);
  // For each teacher of the group row, the most hours the klass's stored
  // arrangements give it.
  void GetTeachersNeed(int klass, int32_t* out) const;
  const TSearchView& View() const { return view_; }

  // Looking for the best (FindBest), the optimisation cuts branches whose
  // teachers' idle hours cannot fall below the best day shown. Off: every
  // branch is searched (the same fewest idle hours, more slowly).
  bool BoundIdleHours = true;
  // Pumping: the clock is read every PumpCheckSteps polls and the host
  // pumped when PumpIntervalMs have passed (0: at every check).
  int PumpCheckSteps = 1024;
  int PumpIntervalMs = 15;
  // Stops a run as an abort once it has taken this many search steps (0
  // none) or at the deadline (when set).
  uint64_t StepLimit = 0;
  std::chrono::steady_clock::time_point Deadline{};
  // Takes the budget's steps and deadline as the run's limits.
  void DrawFrom(const TBudget& budget);
  // Size caps of a run: the bytes of its arrangements and compatibility
  // rows together (a run given more time would otherwise keep more of
  // them), and the arrangements of one klass.
  std::size_t MaxRunBytes = std::size_t{512} << 20;
  int MaxArrangements = 65535;
  uint64_t Steps() const { return steps_; }
  // The klass the last run found no arrangement for (10147), -1 none.
  int FailedKlass() const { return failedKlass_; }
  // Windows of the group's teachers in the best solution shown (-1 none).
  int BestScore() const { return bestScore_; }

 private:
  struct TItem {
    int Lesson = 0;
    int Len = 0;
    int FixedStart = 0;        // > 0: never moved
    int Pos = 0;               // first day slot, 0 off the day
    bool Fixed = false;
    bool Bits = false;          // enters the bit record
    bool Honoured = false;     // partners honoured when placing
    bool Teacherless = false;
    bool Separated = false;
    int32_t ID = 0;
    uint32_t OpenMask = 0;     // hours open for every linked lesson's klass
    std::vector<int> Teachers;  // linked teachers
    std::vector<int> Klasses;   // linked lessons' klasses (own first)
    std::vector<std::pair<int, int>> Linked;  // other klasses' linked lessons
  };
  struct TStore {
    int Count = 0;
    std::vector<uint64_t> Bits;
    std::vector<uint16_t> Slots;   // 2L per arrangement
    std::vector<uint8_t> Counts;   // group size per arrangement
    std::vector<uint32_t> Table;   // hash of records: index + 1, 0 empty
    std::vector<int> TeacherSet;   // teachers appearing in some record
    // Group teachers (positions in the row) of TeacherSet, and for every
    // arrangement their hour masks: a solution is scored without the grid.
    std::vector<int> RowTeachers;
    std::vector<uint32_t> RowMasks;
    // Per arrangement: the hour masks of the TeacherSet teachers, and
    // whether each of them keeps its span alone (the pair test then only
    // looks at teachers both klasses share).
    std::vector<uint32_t> SetMasks;
    std::vector<uint8_t> AloneOk;
    // Record words (teacher, partner and klass parts) set in some record:
    // two klasses' records can only meet in the words both have.
    std::vector<uint32_t> Words;
    std::vector<uint8_t> Floating; // per lesson: fixed without a start, placed by the arrangement
    std::vector<uint64_t> Compat;  // rows of this klass's level
    std::size_t RowWords = 0;
    bool Overflow = false;
  };

  bool SetupItems(int klass, int& total);
  int Enumerate(int klass, int total, bool selection);
  bool FitsAt(int klass, const TItem& it, int s) const;
  void MarkItem(int klass, TItem& it, int s, bool on);
  bool RecordPlacement(int klass, int first, int last, bool selection);
  bool AddRecord(int klass, const uint64_t* rec);
  uint32_t TeacherMask(const uint64_t* rec, int part, int t) const;
  struct TShared {
    int A, B, Teacher;  // positions in the two TeacherSets
  };
  struct TPairPlan {
    std::vector<TShared> Teachers;
    std::vector<uint32_t> Words;
  };
  TPairPlan PlanPair(int klassA, int klassB) const;
  bool PairFits(int klassA, int a, int klassB, int b, const TPairPlan& plan) const;
  bool SpanFits(int t, uint32_t mask) const;
  uint32_t KlassMask(const uint64_t* rec, int k) const;
  bool Poll();
  void Pump();
  void WaitUser();
  void Tell(int id, std::initializer_list<std::string_view> args);
  TPlanOutcome Search(bool selection, bool& shown);
  TPlanOutcome RunSearch(bool selection, bool& shown);
  void ShowChoices(int upToLevel, int firstOfLevel);
  void RestoreShown();
  int GroupSize() const;
  // Idle hours of the group's teachers in the arrangements chosen_.
  int ChosenWindows(std::vector<uint32_t>& acc) const;

  TRunModel& m_;
  TTableVarItem& var_;
  int day_;
  int L_;
  IPlanningHost* host_;
  IPlanningHost nullHost_;
  bool honourPartners_;
  bool sepQuants_;
  bool optimising_ = false;

  // Record layout in 64-bit words: teacher hours, teacher and partner
  // hours, klass hours, window.
  std::size_t teacherWords_ = 0, klassWords_ = 0, recWords_ = 0;
  std::vector<int32_t> row_;        // group row teachers
  std::vector<int> rowIndex_;       // teacher -> position in row, -1
  std::vector<uint32_t> teacherClosed_;  // HourMarks 999 as hour masks
  std::vector<uint32_t> klassClosed_;    // klass closed hours of the day
  std::vector<int32_t> spanLimit_;
  std::vector<std::array<uint8_t, 33>> closedBefore_;  // closed hours below bit i
  std::vector<TStore> stores_;
  std::vector<TItem> items_;        // items of the klass being enumerated, [0] unused
  std::vector<uint64_t> scratch_;
  std::vector<int> levelKlass_;
  std::vector<std::size_t> levelOffset_;  // first compat bit of each level
  std::array<uint16_t, 25> baseItem_{}, baseLesson_{};
  bool refused_ = false;
  std::vector<uint16_t> chosen_;    // arrangement per level of the last full choice
  std::vector<uint16_t> bestChoice_;  // arrangement numbers shown last as best
  int bestLevels_ = -1;             // levels applied in bestChoice_ (-1 none)
  bool gridHoldsShown_ = true;
  int bestScore_ = -1;
  int bestPartialScore_ = 0;
  uint64_t steps_ = 0;
  uint64_t polls_ = 0;
  int failedKlass_ = -1;
  // The arrangements' part of MaxRunBytes; their count and the pairs of
  // different klasses' arrangements among them (bits of the rows to come).
  std::size_t storeBytes_ = 0, storeCount_ = 0, pairBits_ = 0;
  std::chrono::steady_clock::time_point lastPump_;
  TSearchView view_;
};

// One day planned without a window: for each teacher group row (kept
// groups split into teachers that share no lesson and no room, in the order
// chosen), the norms and a selection run; then the whole day's optimisation
// (OptimizeDayAuto). Free days are counted against the planned days.
enum class TRowOrder {
  AsBuilt,  // the rows as the group table gives them
  ByNeed,   // rows whose teachers must give the most hours today first
};

struct TAutoPlanOptions {
  // Selection: false takes the first solution; true keeps looking for fewer
  // idle hours of the row's teachers within the budgets.
  bool SelectBest = false;
  // Optimise the day once every row is selected: every lesson of the day
  // at once, or, when that finds nothing, row by row.
  bool Optimize = true;
  // The optimisation looks for the fewest idle hours of the teachers
  // (within its budget); false takes its first whole day.
  bool OptimizeBest = true;
  // The most steps the optimisation's run of the whole day may take of
  // the day's budget (0: all that is left); the runs of the teachers'
  // groups that may follow have the rest.
  uint64_t OptimizeStepBudget = 0;
  // Ask every teacher for at least its even share of the hours it has left
  // over its open days; a row that cannot give it is run on the plain norms.
  bool EvenShare = true;
  TRowOrder RowOrder = TRowOrder::ByNeed;
  // Keep no more of a klass's day free for later rows than they can still
  // give it (closer days, but weeks fail more often; off by default).
  bool CapExtra = false;
  // Klasses too are asked for their even share.
  bool KlassShare = true;
  // Not 0: rows of similar need in an order drawn from this seed.
  uint32_t Seed = 0;
  // The budget of a day when the caller hands none, for all its runs
  // together: search steps (0 none) and milliseconds (0 none).
  uint64_t StepBudget = 2'000'000;
  int TimeBudgetMs = 0;
  // The optimisation of a day that finds no whole day tries each row of
  // teachers on its own, the others' lessons kept: whenever the whole day
  // finds nothing, only when the day is too large for one run, or never
  // (the day is left as it was).
  enum class TFallback { Always, WhenTooLarge, Never };
  TFallback RowFallback = TFallback::Always;
  // Size cap of each run's arrangements and compatibility rows together
  // (TDayPlanner::MaxRunBytes): memory stays the same however long a day
  // may take.
  std::size_t MaxRunBytes = std::size_t{48} << 20;
};

struct TAutoPlanResult {
  bool Ok = false;              // every group row was planned
  int FailedRow = -1;           // the first row whose selection found nothing
  TPlanOutcome Outcome = TPlanOutcome::Solved;  // of that run (optimisation: of the whole-day run)
  int Rows = 0;
  int Placed = 0;               // fair hours of the day, every klass
  int Windows = 0;              // idle hours of all teachers on the day
  int FirstWindows = 0;         // the same, rows as their selection left them
  int DraftHours = 0;           // hours left in the day's drafts
  int KlassGaps = 0;            // open hours between klasses' lessons
  uint64_t Solutions = 0;       // solutions taken by all runs
  uint64_t Steps = 0;           // search steps of all runs
  std::string Message;          // CP1251 text the failing run would have shown
  int FailedKlass = -1;         // the klass that run found no arrangement for, -1 none
};

// Open hours without a lesson between klass k's first and last lesson of
// the day (the klass's closed hours are not idle).
int KlassGaps(const TRunModel& m, const TTableVarItem& var, int k, int day);

// A failed row leaves its lessons for later days; the rows after it run.
// Every run draws from budget (each row at most half of what is left, the
// optimisation what the rows left); without one, from a budget of
// StepBudget and TimeBudgetMs.
TAutoPlanResult PlanDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& options = {});
TAutoPlanResult PlanDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& options,
                            TBudget& budget);

// The optimisation of a whole day without a window: every lesson of the day
// at once (the teachers as one group, every lesson free to move), or, when
// that finds no day, each row of teachers with the others' lessons kept.
// Ok: the first way found a day. A run without a solution leaves the day.
// Every run draws from budget: the whole-day run at most
// OptimizeStepBudget steps, the rows each at most half of what is left,
// and rows stopped by their share once more from what the others left.
// Without one, from a budget of StepBudget and TimeBudgetMs.
TAutoPlanResult OptimizeDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& options,
                                bool best);
TAutoPlanResult OptimizeDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& options,
                                bool best, TBudget& budget);

// The week planned day after day from the variant as it stands, each day
// with PlanDayAuto taking the first solutions. A week that leaves lessons
// unplaced is planned again from the start with the rows in another order
// (the next seed), within the budgets; the first complete week (or, when
// its klasses have idle hours, the closest of a few more), or else the one
// that placed most, stays. Its days are then optimised for the fewest
// idle hours, which moves no lesson to another day.
// PlanWeekAuto is a quick planned week for tests, benchmarks and the fuzz
// target, not a path that keeps every rule: each day keeps the teachers'
// wanted free days only as far as its norms foresee them, so a teacher may
// teach on more days than they leave, and a row that fails leaves its
// klasses' days with holes. PlanWeekDrafts keeps every rule.
struct TWeekPlanOptions {
  TAutoPlanOptions Day;
  int MaxWeeks = 40;         // weeks tried at most
  int TimeBudgetMs = 0;      // no new week after this (0 none)
  int ExtraWeeks = 4;        // tried after a complete week with idle klass hours
  bool OptimizeBest = true;  // the kept week's days, for fewer idle hours
  // Each kept day's optimisation looks no longer than this (0: until its
  // step budget is spent or no better day exists).
  int OptimizeMsPerDay = 0;
  // The drafts' week begins from a sketch of the whole week at hours when
  // the variant is empty.
  bool Sketch = true;
  // A sketch that breaks a rule gives the drafts the part of it that
  // keeps every rule, entered by hand (false: the drafts start empty).
  bool KeepSoundPart = true;
};

struct TWeekDayResult {
  double Seconds = 0;        // every plan of this day, all weeks tried
  int Placed = 0;            // fair hours of the day in the kept week
  int Windows = 0;           // teachers' idle hours, kept week
  int FirstWindows = 0;      // the same as the day's selections left them
  int KlassGaps = 0;         // klasses' idle hours, kept week
  uint64_t Solutions = 0;    // solutions taken, all weeks tried
  uint64_t Steps = 0;        // search steps of every run of the day
};

struct TWeekPlanResult {
  bool Complete = false;     // every lesson's hours stand in the fair copy
  int Placed = 0;            // lesson hours in the fair copy (klass cells)
  int Due = 0;               // lesson hours of the week (klass cells)
  int Windows = 0;
  int FirstWindows = 0;
  int KlassGaps = 0;
  int Weeks = 0;             // weeks tried
  uint64_t Solutions = 0;
  std::array<TWeekDayResult, 6> Days{};
  // Which way made the week: "sketch" (a sound sketch entered by hand),
  // "sketch and commands" (what a sketch held soundly, the rest by the
  // planning commands), "drafts" (the week-variant search and the days'
  // arrangement), "day by day" (PlanWeekAuto).
  std::string Path;
  // The sketch: rules it still broke (-1: no sketch), blocks of it the
  // week took, seconds until its rules held (-1 never).
  int SketchBroken = -1;
  int SketchHeld = 0;
  double SketchSoundAfter = -1;
  // What stopped the week short (CP1251 texts the runs would have shown,
  // or a budget that ran out).
  std::vector<std::string> Notes;
};

// Lesson hours due in the week and placed in the fair copy, counted per
// klass (a joint lesson in each of its klasses); a lesson counts no more
// hours than it has.
void CountWeekHours(const TRunModel& m, const TTableVarItem& var, int& placed, int& due);

TWeekPlanResult PlanWeekAuto(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& options = {});
TWeekPlanResult PlanWeekDrafts(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& options = {});

}  // namespace korvant
