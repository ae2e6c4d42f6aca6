// The week planned without a window, day after day, with the day planner's
// runs; a week that leaves lessons over is planned again in another order.
#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/planning/week_sketch.h"
#include "core/planning/week_vars.h"
#include "core/variant/joint_blocks.h"

namespace korvant {

void CountWeekHours(const TRunModel& m, const TTableVarItem& var, int& placed, int& due) {
  placed = 0;
  due = 0;
  for (int k = 0; k < m.Klasses.Count() && k < var.KlassCount(); ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      const int hours = klass->Lessons[li]->QuantsSum();
      int got = 0;
      for (int d = 1; d <= 6; ++d) got += var.CountLessonInFair(k, li, d);
      due += hours;
      placed += std::min(got, hours);
    }
  }
}

namespace {
using Clock = std::chrono::steady_clock;

// Adds a kept day's hours and idle hours to its line and to the week's.
void TallyKeptDay(const TRunModel& m, const TTableVarItem& var, int d, TWeekDayResult& dr, TWeekPlanResult& res) {
  for (int k = 0; k < var.KlassCount(); ++k) {
    dr.Placed += var.CountKlassFair(k, d);
    dr.KlassGaps += KlassGaps(m, var, k, d);
  }
  for (int t = 0; t < var.TeacherCount(); ++t) dr.Windows += var.GetTeacherWindows(t, d);
  res.Windows += dr.Windows;
  res.KlassGaps += dr.KlassGaps;
  res.Solutions += dr.Solutions;
}
}  // namespace

TWeekPlanResult PlanWeekAuto(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o) {
  TWeekPlanResult res;
  res.Path = "day by day";
  // Every day of every week tried draws from the week's time.
  TBudget week(0, o.TimeBudgetMs);
  const auto deadline = week.Deadline();
  TTableVarItem start(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  TTableVarItem best(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  start.Assign(var);
  best.Assign(var);
  int bestPlaced = -1, bestGaps = 0, extra = 0;
  std::array<int, 6> bestFirst{};
  TAutoPlanOptions day = o.Day;
  // Days of a week being tried need no idle-hour search: only the kept
  // week's days are optimised for it.
  const bool optimiseKept = day.Optimize && o.OptimizeBest;
  day.OptimizeBest = false;
  for (int w = 0; w < std::max(1, o.MaxWeeks); ++w) {
    if (w > 0 && deadline != Clock::time_point{} && Clock::now() >= deadline) break;
    var.Assign(start);
    day.Seed = o.Day.Seed + static_cast<uint32_t>(w);
    std::array<int, 6> first{};
    for (int d = 1; d <= 6; ++d) {
      const auto t0 = Clock::now();
      TBudget part = week.Part(day.StepBudget, day.TimeBudgetMs);
      const TAutoPlanResult r = PlanDayAuto(m, var, d, day, part);
      TWeekDayResult& dr = res.Days[static_cast<std::size_t>(d - 1)];
      dr.Seconds += std::chrono::duration<double>(Clock::now() - t0).count();
      dr.Solutions += r.Solutions;
      dr.Steps += r.Steps;
      first[static_cast<std::size_t>(d - 1)] = r.FirstWindows;
    }
    ++res.Weeks;
    int placed = 0, due = 0, gaps = 0;
    CountWeekHours(m, var, placed, due);
    for (int d = 1; d <= 6; ++d)
      for (int k = 0; k < var.KlassCount(); ++k) gaps += KlassGaps(m, var, k, d);
    if (placed > bestPlaced || (placed == bestPlaced && gaps < bestGaps)) {
      bestPlaced = placed;
      bestGaps = gaps;
      best.Assign(var);
      bestFirst = first;
    }
    // A complete week whose klass days are not all closed up is kept while
    // a few more weeks look for one that is.
    if (bestPlaced == due && (bestGaps == 0 || ++extra > o.ExtraWeeks)) break;
  }
  var.Assign(best);
  for (int d = 1; d <= 6; ++d) {
    TWeekDayResult& dr = res.Days[static_cast<std::size_t>(d - 1)];
    if (optimiseKept) {
      const auto t0 = Clock::now();
      // Given a time per day, the time is the budget.
      TBudget part = o.OptimizeMsPerDay > 0 ? week.Part(0, o.OptimizeMsPerDay)
                                            : week.Part(o.Day.StepBudget, o.Day.TimeBudgetMs);
      const TAutoPlanResult r = OptimizeDayAuto(m, var, d, o.Day, true, part);
      dr.Seconds += std::chrono::duration<double>(Clock::now() - t0).count();
      dr.Solutions += r.Solutions;
      dr.Steps += r.Steps;
    }
    dr.FirstWindows = bestFirst[static_cast<std::size_t>(d - 1)];
    res.FirstWindows += dr.FirstWindows;
    TallyKeptDay(m, var, d, dr, res);
  }
  CountWeekHours(m, var, res.Placed, res.Due);
  res.Complete = res.Placed == res.Due;
  return res;
}


namespace {

// What the week driver knows of the variant as it stands: the loads of
// klasses and teachers per day, counted as the week-variant search counts
// them (a klass's or teacher's closed hours take their place in the day).
class TWeekBook {
 public:
  TWeekBook(TRunModel& m, TTableVarItem& var) : m_(m), var_(var), L_(m.L()) {}

  int KlassLoad(int k, int d) const {
    int fair = 0, draft = 0;
    var_.CountKlassLessons(k, d, fair, draft);
    return fair + draft + KlassClosed(k, d);
  }
  int KlassClosed(int k, int d) const {
    int n = 0;
    for (int h = 1; h <= L_; ++h)
      if (m_.Klasses[k]->GetBusy((d - 1) * kSlotsPerDay + h) != 0) ++n;
    return n;
  }
  int TeacherLoad(int t, int d) const {
    int fair = 0, draft = 0;
    var_.CountTeacherLessons(t, d, fair, draft);
    int closed = 0;
    for (int h = 1; h <= L_; ++h)
      if (TeacherHourClosed(m_.Teachers[t]->GetBusy((d - 1) * kSlotsPerDay + h), m_.TeachersWills)) ++closed;
    return fair + draft + closed;
  }
  bool Teaches(int t, int d) const {
    int fair = 0, draft = 0;
    var_.CountTeacherLessons(t, d, fair, draft);
    return fair + draft > 0;
  }
  // Whether teacher t may teach on day d and keep the free days it wants:
  // it teaches there already, or on fewer than 6 - m days.
  bool KeepsFreeDays(int t, int d) const {
    if (Teaches(t, d)) return true;
    int working = 0;
    for (int d2 = 1; d2 <= 6; ++d2) working += Teaches(t, d2) ? 1 : 0;
    return working < MostTeachingDays(*m_.Teachers[t]);
  }
  // Whether a block of len hours of the linked set of (k, li) can go to
  // day d by the counts: no block of the lesson there, room in every
  // klass's and teacher's day, every teacher's free days kept.
  bool Fits(const TLinkedLists& lists, int d, int len, int slack = 0) const {
    for (int i = 0; i < lists.LessonCount(); ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      if (var_.CountLessonInDay(e.A, e.B, d) > 0) return false;
      if (KlassLoad(e.A, d) + len + slack > L_) return false;
    }
    for (int i = 0; i < lists.TeacherCount(); ++i) {
      const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
      if (TeacherLoad(t, d) + len + slack > L_ || !KeepsFreeDays(t, d)) return false;
    }
    return true;
  }

 private:
  TRunModel& m_;
  TTableVarItem& var_;
  int L_;
};

struct TBlockRef {
  int Klass = -1, Lesson = -1, Len = 0;
};

// The lesson's blocks that stand on no day (lengths); of a joint lesson
// only those that every linked lesson still has free, since a block stands
// in every klass of the set.
std::vector<int> UnplacedBlocks(const TRunModel& m, const TTableVarItem& var, int k, int li) {
  return InLessonOrder(*m.Klasses[k]->Lessons[li], JointFreeBlocks(var, k, li));
}

// Whether the variant holds no lesson at all, fair or draft.
bool WeekIsEmpty(const TTableVarItem& var) {
  for (int d = 1; d <= 6; ++d)
    for (int k = 0; k < var.KlassCount(); ++k) {
      int fair = 0, draft = 0;
      var.CountKlassLessons(k, d, fair, draft);
      if (fair + draft > 0) return false;
    }
  return true;
}

// The days' idle hours by the optimisation, each day a share of the time
// left; the kept week's lines and totals.
void OptimiseKeptDays(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o, TBudget& week,
                      TWeekPlanResult& res) {
  TAutoPlanOptions best = o.Day;
  best.RowFallback = TAutoPlanOptions::TFallback::Never;
  for (int d = 1; d <= 6; ++d) {
    TWeekDayResult& dr = res.Days[static_cast<std::size_t>(d - 1)];
    int windowsBefore = 0;
    for (int t = 0; t < var.TeacherCount(); ++t) windowsBefore += var.GetTeacherWindows(t, d);
    if (o.OptimizeBest && !var.DayIsEmpty(d) && windowsBefore > 0 && !week.Spent()) {
      // The time left is the budget; steps are not counted.
      TBudget share = week.Share(7 - d);
      TBudget part = share.Part(0, o.OptimizeMsPerDay);
      // A run stopped by its budget may end on a day with more idle hours
      // than the day had: the day as it was then stays.
      TTableVarItem before(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
      before.Assign(var);
      const auto t0 = Clock::now();
      const TAutoPlanResult r = OptimizeDayAuto(m, var, d, best, true, part);
      dr.Seconds += std::chrono::duration<double>(Clock::now() - t0).count();
      dr.Solutions += r.Solutions;
      dr.Steps += r.Steps;
      if (r.Windows > windowsBefore) var.Assign(before);
    }
    TallyKeptDay(m, var, d, dr, res);
  }
  CountWeekHours(m, var, res.Placed, res.Due);
  res.Complete = res.Placed == res.Due;
}

// Every block by hand at the day and hours of the sketch. False when a
// block could not be written: the variant is then left part-planned.
bool PlanFromSketch(TTableVarItem& var, const TSketchResult& sk, bool soundPart = false) {
  for (const TSketchBlock& b : sk.Blocks)
    if ((!soundPart || b.Holds) && !var.PlaceLinkedLesson(b.Klass, b.Lesson, false, b.Day, b.Start, b.Len)) return false;
  return true;
}

}  // namespace

namespace {

// The week planned in an empty variant, as named steps: the sketch, the
// week-variant search into the drafts, the days arranged, blocks moved
// between days until every day stands, the days' idle hours. Each step
// keeps the fair copy a whole timetable.
class TWeekDrafts {
 public:
  TWeekDrafts(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o)
      : m_(m), var_(var), o_(o), book_(m, var), rng_(o.Day.Seed + 1),
        start_(Clock::now()), week_(0, o.TimeBudgetMs > 0 ? o.TimeBudgetMs : 50000), deadline_(week_.Deadline()),
        empty_(Copy()), best_(Copy()), searched_(Copy()) {
    // A day's arrangement has at most these of the week's budget: its run
    // of the whole day a short one, and the runs of its teachers' groups,
    // when the day is too large for one run, the rest.
    dayOpt_ = o.Day;
    dayOpt_.RowFallback = TAutoPlanOptions::TFallback::WhenTooLarge;
    if (dayOpt_.TimeBudgetMs <= 0) dayOpt_.TimeBudgetMs = 4000;
    dayOpt_.StepBudget = 2'000'000;
    dayOpt_.OptimizeStepBudget = 300'000;
  }

  TWeekPlanResult Run() {
    if (o_.Sketch && WeekIsEmpty(var_) && EnterSketch()) {
      OptimiseKeptDays(m_, var_, o_, week_, res_);
      return res_;
    }
    best_.Assign(var_);
    bestPlaced_ = Placed();
    SearchDays();
    searched_.Assign(var_);
    GiveDays();
    for (int d = 1; d <= 6; ++d) Arrange(d);
    MakeDaysStand();
    NoteWhatKeptTheWeekShort();
    var_.Assign(best_);
    DropDrafts();
    OptimiseKeptDays(m_, var_, o_, week_, res_);
    return res_;
  }

 private:
  TTableVarItem Copy() const {
    TTableVarItem v(var_.Model(), var_.TeacherCount(), var_.LessonsPerDay(), var_.KlassCount());
    v.Assign(var_);
    return v;
  }
  bool TimeLeft() const { return Clock::now() < deadline_; }
  int Placed() const {
    int placed = 0, due = 0;
    CountWeekHours(m_, var_, placed, due);
    return placed;
  }
  int Due() const {
    int placed = 0, due = 0;
    CountWeekHours(m_, var_, placed, due);
    return due;
  }
  void MarkDirty(int d) { dirty_[static_cast<std::size_t>(d)] = true; }
  // Whether every klass day of the fair copy is closed up from an allowed
  // first hour: a day that could not be arranged again after a block left
  // it may hold a hole, and such a week is never kept.
  bool FairDaysClosedUp() const {
    for (int k = 0; k < var_.KlassCount(); ++k)
      for (int d = 1; d <= 6; ++d) {
        if (KlassGaps(m_, var_, k, d) > 0) return false;
        int first = 0;
        for (int h = 1; h <= var_.LessonsPerDay() && first == 0; ++h)
          if (var_.GetCell(k, d, h).Lesson >= 0) first = h;
        if (first > 0 && !((KlassDayStarts(*m_.Klasses[k], d, m_.L()) >> (first - 1)) & 1u)) return false;
      }
    return true;
  }
  // Days changed since the last call are arranged again.
  bool ArrangeDirty() {
    bool any = false;
    for (int d = 1; d <= 6; ++d)
      if (dirty_[static_cast<std::size_t>(d)]) {
        Arrange(d);
        any = true;
      }
    dirty_ = {};
    return any;
  }
  void ArrangeAll() {
    for (int d = 1; d <= 6; ++d) Arrange(d);
    dirty_ = {};
  }

  bool EnterSketch();
  void SearchDays();
  bool MoveBlock(int k, int li, int from, int len, bool makeRoom);
  bool MakeRoomOn(int k, int li, int from, int d2, int len, const TLinkedLists& lists);
  void GiveDays();
  bool ForceDay();
  bool GiveAnyway();
  void Arrange(int d);
  void MakeDaysStand();
  void RelieveFailingDay(int d);
  void NoteWhatKeptTheWeekShort();
  void DropDrafts();

  TRunModel& m_;
  TTableVarItem& var_;
  const TWeekPlanOptions& o_;
  TWeekBook book_;
  std::mt19937 rng_;
  Clock::time_point start_;
  TBudget week_;  // every day's arrangement draws from it
  Clock::time_point deadline_;
  // The empty week; the best fair copy so far; the days as the week
  // search gave them (a way that gets nowhere starts again from there).
  TTableVarItem empty_, best_, searched_;
  TWeekPlanResult res_;
  TAutoPlanOptions dayOpt_;
  std::array<bool, 7> dirty_{};
  std::array<int, 7> ok_{};  // per day: 1 arranged, -1 not
  std::array<std::string, 7> why_;
  std::array<int, 7> failedKlass_{-1, -1, -1, -1, -1, -1, -1};  // per day: the klass its last run found no arrangement for
  std::array<TPlanOutcome, 7> outcome_{};
  int bestPlaced_ = -1;
};

// The week sketched on paper: one that keeps every rule is entered by hand
// at its hours (true); of one that does not, the part that keeps every
// rule, for the commands to place the rest around.
bool TWeekDrafts::EnterSketch() {
  const SharedState& s = Shared();
  TSketchOptions so;
  so.Seed = o_.Day.Seed + 1;
  // Three fifths of the week's time to find a sound sketch, and for a
  // sound one the time until the last tenth, which the days' optimisation
  // keeps, to cut idle hours.
  const long long week = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - start_).count();
  so.SoundByMs = static_cast<int>(week * 3 / 5);
  so.TimeBudgetMs = static_cast<int>(week * 9 / 10);
  so.PolishMs = so.TimeBudgetMs;
  so.HonourRooms = s.UseAttachedRooms == 1;
  so.SeparateParts = s.UseSepQuants == 1;
  const TSketchResult sk = SketchWeek(m_, so);
  res_.SketchBroken = sk.Broken;
  res_.SketchSoundAfter = sk.SoundAfter;
  for (const TSketchBlock& b : sk.Blocks) res_.SketchHeld += b.Holds ? 1 : 0;
  if (sk.Left > 0)
    res_.Notes.push_back(std::to_string(sk.Left) + " blocks have no hour of the week open to all their klasses and teachers");
  if (sk.Unmatched > 0)
    res_.Notes.push_back(std::to_string(sk.Unmatched) + " blocks of joint lessons lack a block of their length in a linked lesson");
  if (sk.Sound && PlanFromSketch(var_, sk)) {
    res_.Path = "sketch";
    return true;
  }
  var_.Assign(empty_);
  if (o_.KeepSoundPart && PlanFromSketch(var_, sk, true)) res_.Path = "sketch and commands";
  else var_.Assign(empty_);
  return false;
}

// The week-variant search of a group of every teacher into the drafts:
// "Дальше" after a while for one teacher, and for every teacher once the
// search has had a third of the time left.
void TWeekDrafts::SearchDays() {
  if (res_.Path.empty()) res_.Path = "drafts";
  std::vector<int32_t> all;
  for (int t = 0; t < m_.Teachers.Count(); ++t) all.push_back(t);
  m_.Teachers.SetGroups({all});
  m_.CurGroup = 0;
  TWeekSearchContext c = MakeWeekSearchContext(m_, var_, Shared());
  c.PlaceToFair = 0;
  const auto searchDeadline = Clock::now() + (deadline_ - Clock::now()) / 3;
  TWeekVarsSearch ws(c);
  long steps = 0;
  for (;;) {
    const TWeekStepResult r = ws.Step(1000);
    steps += 1000;
    if (r == TWeekStepResult::Finished || r == TWeekStepResult::Aborted) break;
    if (r == TWeekStepResult::TeacherDone) steps = 0;
    else if (steps > 200000 || Clock::now() >= searchDeadline) ws.RequestEnough();
  }
}

// Moves block (k, li) of len hours off day from (0: it stands on no day)
// into the draft of another day with room; where no day has room and
// makeRoom allows, the klass's shortest blocks first make room on a day.
bool TWeekDrafts::MoveBlock(int k, int li, int from, int len, bool makeRoom) {
  TLinkedLists lists;
  if (!m_.Klasses.CollectLinkedLessons(k, li, lists)) return false;
  std::vector<int> targets;
  for (int d2 = 1; d2 <= 6; ++d2)
    if (d2 != from && book_.Fits(lists, d2, len)) targets.push_back(d2);
  if (!targets.empty()) {
    const int d2 = targets[rng_() % targets.size()];
    const bool moved = from == 0 ? var_.PlaceLinkedLesson(k, li, true, d2, 0, len) : var_.RemoveLesson(k, li, true, d2, from, 0);
    if (moved) MarkDirty(from), MarkDirty(d2);
    return moved;
  }
  if (!makeRoom) return false;
  std::vector<int> days;
  for (int d2 = 1; d2 <= 6; ++d2)
    if (d2 != from && var_.CountLessonInDay(k, li, d2) == 0) days.push_back(d2);
  std::shuffle(days.begin(), days.end(), rng_);
  for (int d2 : days)
    if (MakeRoomOn(k, li, from, d2, len, lists)) return true;
  return false;
}

// The klass's shortest blocks leave day d2 for days with room (a block of
// the klass may also take the place the moving block leaves on from)
// until the block fits there; else they come back.
bool TWeekDrafts::MakeRoomOn(int k, int li, int from, int d2, int len, const TLinkedLists& lists) {
  if (book_.KlassLoad(k, d2) + len - m_.L() <= 0) return false;  // the klass has room: a teacher has not
  std::vector<int> others;
  for (int lj = 0; lj < m_.Klasses[k]->Lessons.Count(); ++lj)
    if (lj != li && var_.CountLessonInDay(k, lj, d2) > 0) others.push_back(lj);
  std::shuffle(others.begin(), others.end(), rng_);
  std::stable_sort(others.begin(), others.end(),
                   [&](int a, int b) { return var_.CountLessonInDay(k, a, d2) < var_.CountLessonInDay(k, b, d2); });
  std::vector<std::pair<int, int>> done;  // lesson, the day it went to
  for (int lj : others) {
    if (book_.KlassLoad(k, d2) + len <= m_.L()) break;
    const int len2 = var_.CountLessonInDay(k, lj, d2);
    TLinkedLists other;
    if (!m_.Klasses.CollectLinkedLessons(k, lj, other)) continue;
    for (int d3 = 1; d3 <= 6; ++d3) {
      if (d3 == d2) continue;
      const bool swap = d3 == from && var_.CountLessonInDay(k, lj, from) == 0 && book_.Fits(other, d3, len2 - len);
      if (!swap && !book_.Fits(other, d3, len2)) continue;
      if (!var_.RemoveLesson(k, lj, true, d3, d2, 0)) continue;
      done.emplace_back(lj, d3);
      break;
    }
  }
  const bool put = book_.KlassLoad(k, d2) + len <= m_.L() && book_.Fits(lists, d2, len) &&
                   (from == 0 ? var_.PlaceLinkedLesson(k, li, true, d2, 0, len) : var_.RemoveLesson(k, li, true, d2, from, 0));
  if (put) {
    for (const auto& [lj, d3] : done) MarkDirty(d3);
    MarkDirty(from);
    MarkDirty(d2);
    return true;
  }
  // Back to d2, into its draft (a block taken from its fair copy is arranged
  // again); one that cannot go back stays on the day it went to, which
  // had room for it.
  for (auto it = done.rbegin(); it != done.rend(); ++it)
    if (!var_.RemoveLesson(k, it->first, true, d2, it->second, 0)) MarkDirty(it->second);
  if (!done.empty()) MarkDirty(d2);
  return false;
}

// Blocks without a day go into the draft of a day with room.
void TWeekDrafts::GiveDays() {
  for (int k = 0; k < m_.Klasses.Count(); ++k)
    for (int li = 0; li < m_.Klasses[k]->Lessons.Count(); ++li) {
      TLinkedLists lists;
      if (!m_.Klasses.CollectLinkedLessons(k, li, lists) || !lists.LowestKlass(k)) continue;
      for (int len : UnplacedBlocks(m_, var_, k, li)) MoveBlock(k, li, 0, len, true);
    }
}

// When no day has room for what is left, one block goes to the day it
// overfills least (its teachers keeping their free days); that day then
// gives blocks away as any day that cannot be arranged does.
bool TWeekDrafts::ForceDay() {
  std::vector<std::pair<TBlockRef, int>> cands;
  for (int k = 0; k < m_.Klasses.Count(); ++k)
    for (int li = 0; li < m_.Klasses[k]->Lessons.Count(); ++li) {
      TLinkedLists lists;
      if (!m_.Klasses.CollectLinkedLessons(k, li, lists) || !lists.LowestKlass(k)) continue;
      for (int len : UnplacedBlocks(m_, var_, k, li)) {
        int bestDay = 0, bestOver = 1 << 20;
        for (int d = 1; d <= 6; ++d) {
          bool free = true;
          int over = 0;
          for (int i = 0; i < lists.LessonCount() && free; ++i) {
            const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
            free = var_.CountLessonInDay(e.A, e.B, d) == 0 && book_.KlassClosed(e.A, d) + len <= m_.L();
            over += std::max(0, book_.KlassLoad(e.A, d) + len - m_.L());
          }
          for (int i = 0; i < lists.TeacherCount() && free; ++i) {
            const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
            free = book_.KeepsFreeDays(t, d);
            over += std::max(0, book_.TeacherLoad(t, d) + len - m_.L());
          }
          over = over * 4 + static_cast<int>(rng_() % 4);
          if (free && over < bestOver) {
            bestOver = over;
            bestDay = d;
          }
        }
        if (bestDay > 0) cands.push_back({{k, li, len}, bestDay});
      }
    }
  if (cands.empty()) return false;
  const auto& [b, d] = cands[rng_() % cands.size()];
  if (!var_.PlaceLinkedLesson(b.Klass, b.Lesson, true, d, 0, b.Len)) return false;
  MarkDirty(d);
  return true;
}

// A lesson whose blocks fill every day it may have gives one of them back:
// its blocks then look for days anew.
bool TWeekDrafts::GiveAnyway() {
  std::vector<std::pair<int, int>> stuck;
  for (int k = 0; k < m_.Klasses.Count(); ++k)
    for (int li = 0; li < m_.Klasses[k]->Lessons.Count(); ++li)
      if (!UnplacedBlocks(m_, var_, k, li).empty()) stuck.emplace_back(k, li);
  if (stuck.empty()) return false;
  const auto [k, li] = stuck[rng_() % stuck.size()];
  std::vector<int> days;
  for (int d = 1; d <= 6; ++d)
    if (var_.CountLessonInDay(k, li, d) > 0) days.push_back(d);
  if (days.empty()) return false;
  const int d = days[rng_() % days.size()];
  if (!var_.RemoveLesson(k, li, true, 0, d, 0)) return false;
  MarkDirty(d);
  return true;
}

// The day's fair and draft lessons arranged into hours by the optimisation
// (its teachers' groups one after another when the day is too large for
// one run), never past the week's budget: a day the time does not reach
// keeps its last arrangement.
void TWeekDrafts::Arrange(int d) {
  const std::size_t i = static_cast<std::size_t>(d);
  failedKlass_[i] = -1;
  bool drafts = false;
  for (int k = 0; k < var_.KlassCount() && !drafts; ++k) drafts = var_.CountKlassDraft(k, d) > 0;
  if (!drafts) {
    ok_[i] = 1;
    return;
  }
  const auto t0 = Clock::now();
  TBudget day = week_.Part(dayOpt_.StepBudget, dayOpt_.TimeBudgetMs);
  if (day.Spent()) {
    ok_[i] = -1;
    return;
  }
  TAutoPlanResult r = OptimizeDayAuto(m_, var_, d, dayOpt_, false, day);
  TWeekDayResult& dr = res_.Days[static_cast<std::size_t>(d - 1)];
  dr.Steps += r.Steps;
  if (r.Outcome == TPlanOutcome::TooLarge) {
    // Arranged by its teachers' groups: it stands when no draft is left.
    r.Ok = true;
    for (int k = 0; k < var_.KlassCount() && r.Ok; ++k) r.Ok = var_.CountKlassDraft(k, d) == 0;
  }
  dr.Seconds += std::chrono::duration<double>(Clock::now() - t0).count();
  ok_[i] = r.Ok ? 1 : -1;
  why_[i] = r.Message;
  failedKlass_[i] = r.FailedKlass;
  outcome_[i] = r.Outcome;
}

// Until every hour stands or the time is gone: a day that cannot be
// arranged gives a block to another day; with every day standing, blocks
// without a day get one. The fair copy with most hours is kept; moves that
// get nowhere go back to it, and a long time without a gain back to the
// days as the week search gave them.
void TWeekDrafts::MakeDaysStand() {
  int sinceBest = 0;
  auto lastGain = Clock::now();
  const auto patience = std::max<Clock::duration>(std::chrono::seconds(8), (deadline_ - Clock::now()) / 5);
  auto backToBest = [&]() {
    var_.Assign(best_);
    ArrangeAll();
    sinceBest = 0;
  };
  for (;;) {
    const int placed = Placed();
    if (placed > bestPlaced_ && FairDaysClosedUp()) {
      bestPlaced_ = placed;
      best_.Assign(var_);
      sinceBest = 0;
      lastGain = Clock::now();
    } else if (Clock::now() - lastGain > patience) {
      var_.Assign(searched_);
      dirty_ = {};
      GiveDays();
      ArrangeAll();
      sinceBest = 0;
      lastGain = Clock::now();
    } else if (++sinceBest > 400) {
      backToBest();
    }
    if (!TimeLeft()) break;
    std::vector<int> failing;
    for (int d = 1; d <= 6; ++d)
      if (ok_[static_cast<std::size_t>(d)] < 0) failing.push_back(d);
    if (!failing.empty()) {
      RelieveFailingDay(failing[rng_() % failing.size()]);
      ArrangeDirty();
      continue;
    }
    if (Placed() == Due()) break;
    dirty_ = {};
    GiveDays();
    if (ArrangeDirty()) continue;
    if (!ForceDay() && !GiveAnyway()) {
      backToBest();  // nothing can be given a day from here: another way
      continue;
    }
    ArrangeDirty();
  }
}

// A day that cannot be arranged gives a block (of the klass its run
// named, else of a tight klass or teacher) to another day with room; with
// no day with room the block leaves the week and waits for one.
void TWeekDrafts::RelieveFailingDay(int d) {
  const int named = failedKlass_[static_cast<std::size_t>(d)];
  std::vector<TBlockRef> blocks;
  std::vector<double> weight;
  for (int k = 0; k < m_.Klasses.Count(); ++k) {
    if (named >= 0 && k != named) continue;
    for (int li = 0; li < m_.Klasses[k]->Lessons.Count(); ++li) {
      const int len = var_.CountLessonInDay(k, li, d);
      if (len == 0) continue;
      const TRTILessonItem* l = m_.Klasses[k]->Lessons[li];
      double w = 1.0 + std::max(0, book_.KlassLoad(k, d) - m_.L() + 2);
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        const int t = l->RT[static_cast<std::size_t>(g)].Teacher;
        if (t >= 0) w += std::max(0, book_.TeacherLoad(t, d) - m_.L() + 3) * 2.0;
      }
      blocks.push_back({k, li, len});
      weight.push_back(w * w);
    }
  }
  if (blocks.empty()) {
    ok_[static_cast<std::size_t>(d)] = 0;
    return;
  }
  std::discrete_distribution<std::size_t> pick(weight.begin(), weight.end());
  // A klass with more hours than its day holds changes blocks with
  // another day when no day has room for one more.
  const bool overfull = named >= 0 && book_.KlassLoad(named, d) > m_.L();
  for (int attempt = 0; attempt < 20; ++attempt) {
    const TBlockRef b = blocks[pick(rng_)];
    if (MoveBlock(b.Klass, b.Lesson, d, b.Len, overfull)) return;
  }
  // A block that cannot leave (its joint set too large to collect) stays;
  // the next call draws again.
  const TBlockRef b = blocks[pick(rng_)];
  if (var_.RemoveLesson(b.Klass, b.Lesson, true, 0, d, 0)) MarkDirty(d);
}

// What kept the week short, as the last run of each day ended.
void TWeekDrafts::NoteWhatKeptTheWeekShort() {
  for (int d = 1; d <= 6; ++d) {
    if (ok_[static_cast<std::size_t>(d)] >= 0) continue;
    std::string note = "day " + std::to_string(d) + ": ";
    if (outcome_[static_cast<std::size_t>(d)] == TPlanOutcome::Aborted)
      note += "the arrangement stopped at its budget (" + std::to_string(dayOpt_.StepBudget) + " steps, " +
              std::to_string(dayOpt_.TimeBudgetMs) + " ms)";
    else
      note += why_[static_cast<std::size_t>(d)];
    res_.Notes.push_back(note);
  }
  if (!TimeLeft() && bestPlaced_ >= 0 && bestPlaced_ < Due())
    res_.Notes.push_back("the week's time budget ran out with " + std::to_string(Due() - bestPlaced_) +
                         " hours without a place");
}

// What still stands in a draft leaves the week (it has no hour).
void TWeekDrafts::DropDrafts() {
  for (int d = 1; d <= 6; ++d)
    for (int k = 0; k < var_.KlassCount(); ++k)
      for (int h = var_.LessonsPerDay(); h >= 1; --h) {
        const TTableCell cell = var_.GetDraftCell(k, d, h);
        if (cell.Lesson < 0 || var_.RemoveLesson(k, cell.Lesson, true, 0, d, 0)) continue;
        // A lesson whose joint set cannot be collected leaves this klass's
        // draft on its own: no draft stays in the week.
        var_.SetDraftCell(k, d, h, kEmptyCell);
        var_.CloseUpDraft(k, d);
      }
}

}  // namespace

TWeekPlanResult PlanWeekDrafts(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o) {
  return TWeekDrafts(m, var, o).Run();
}

}  // namespace korvant
