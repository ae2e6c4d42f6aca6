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
  const auto deadline = o.TimeBudgetMs > 0 ? Clock::now() + std::chrono::milliseconds(o.TimeBudgetMs) : Clock::time_point{};
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
      const TAutoPlanResult r = PlanDayAuto(m, var, d, day);
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
      TAutoPlanOptions best = o.Day;
      if (o.OptimizeMsPerDay > 0) best.TimeBudgetMs = o.OptimizeMsPerDay;
      const TAutoPlanResult r = OptimizeDayAuto(m, var, d, best, true);
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
    return working < 6 - m_.Teachers[t]->MetodicalDays;
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
  TLinkedLists lists;
  if (!m.Klasses.CollectLinkedLessons(k, li, lists)) return {};
  std::vector<int> left;
  auto freeBlocks = [&](int kk, int lj) {
    std::vector<int> free;
    const TRTILessonItem* l = m.Klasses[kk]->Lessons[lj];
    for (int q = 1; q <= l->QuantsCount(); ++q) free.push_back(l->QuantAt(q));
    for (int d = 1; d <= 6; ++d) {
      auto it = std::find(free.begin(), free.end(), var.CountLessonInDay(kk, lj, d));
      if (it != free.end()) free.erase(it);
    }
    return free;
  };
  left = freeBlocks(k, li);
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    if (e.A == k && e.B == li) continue;
    std::vector<int> theirs = freeBlocks(e.A, e.B), both;
    for (int len : left) {
      auto it = std::find(theirs.begin(), theirs.end(), len);
      if (it == theirs.end()) continue;
      theirs.erase(it);
      both.push_back(len);
    }
    left = std::move(both);
  }
  return left;
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

// The days' idle hours by the optimisation, in the time left; the kept
// week's lines and totals.
void OptimiseKeptDays(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o, Clock::time_point deadline,
                      TWeekPlanResult& res) {
  for (int d = 1; d <= 6; ++d) {
    TWeekDayResult& dr = res.Days[static_cast<std::size_t>(d - 1)];
    int windowsBefore = 0;
    for (int t = 0; t < var.TeacherCount(); ++t) windowsBefore += var.GetTeacherWindows(t, d);
    if (o.OptimizeBest && !var.DayIsEmpty(d) && windowsBefore > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      TAutoPlanOptions best = o.Day;
      best.RowFallback = false;
      if (left <= 0) {
        TallyKeptDay(m, var, d, dr, res);
        continue;
      }
      best.TimeBudgetMs = static_cast<int>(std::max<long long>(1, left / (7 - d)));
      // The time left is the budget; steps are not counted.
      best.StepBudget = best.OptimizeStepBudget = 0;
      if (o.OptimizeMsPerDay > 0) best.TimeBudgetMs = std::min(best.TimeBudgetMs, o.OptimizeMsPerDay);
      // A run stopped by its budget may end on a day with more idle hours
      // than the day had: the day as it was then stays.
      TTableVarItem before(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
      before.Assign(var);
      const auto t0 = Clock::now();
      const TAutoPlanResult r = OptimizeDayAuto(m, var, d, best, true);
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

TWeekPlanResult PlanWeekDrafts(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o) {
  TWeekPlanResult res;
  SharedState& s = Shared();
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(o.TimeBudgetMs > 0 ? o.TimeBudgetMs : 50000);
  const auto searchDeadline = start + (deadline - start) / 3;
  TTableVarItem empty(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  empty.Assign(var);
  std::vector<int32_t> all;
  for (int t = 0; t < m.Teachers.Count(); ++t) all.push_back(t);
  bool sketchPart = false;
  // 0. The week sketched on paper: one that keeps every rule is entered by
  // hand at its hours.
  if (o.Sketch && WeekIsEmpty(var)) {
    TSketchOptions so;
    so.Seed = o.Day.Seed + 1;
    so.TimeBudgetMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - start).count() * 3 / 5);
    so.PolishMs = so.TimeBudgetMs;
    so.HonourRooms = s.UseAttachedRooms == 1;
    so.SeparateParts = s.UseSepQuants == 1;
    const TSketchResult sk = SketchWeek(m, so);
    res.SketchBroken = sk.Broken;
    res.SketchSoundAfter = sk.SoundAfter;
    for (const TSketchBlock& b : sk.Blocks) res.SketchHeld += b.Holds ? 1 : 0;
    if (sk.Left > 0)
      res.Notes.push_back(std::to_string(sk.Left) + " blocks have no hour of the week open to all their klasses and teachers");
    if (sk.Unmatched > 0)
      res.Notes.push_back(std::to_string(sk.Unmatched) + " blocks of joint lessons lack a block of their length in a linked lesson");
    if (sk.Sound && PlanFromSketch(var, sk)) {
      res.Path = "sketch";
      OptimiseKeptDays(m, var, o, deadline, res);
      return res;
    }
    var.Assign(empty);
    // What the sketch holds soundly is entered by hand; the commands
    // place the rest around it.
    if (o.KeepSoundPart && PlanFromSketch(var, sk, true)) sketchPart = true;
    else var.Assign(empty);
  }
  // 1. The week-variant search of every teacher into the drafts.
  res.Path = sketchPart ? "sketch and commands" : "drafts";
  m.Teachers.SetGroups({all});
  m.CurGroup = 0;
  TWeekSearchContext c = MakeWeekSearchContext(m, var, s);
  c.PlaceToFair = 0;
  {
    TWeekVarsSearch ws(c);
    long steps = 0;
    for (;;) {
      const TWeekStepResult r = ws.Step(1000);
      steps += 1000;
      if (r == TWeekStepResult::Finished || r == TWeekStepResult::Aborted) break;
      if (r == TWeekStepResult::TeacherDone) steps = 0;
      // "Дальше" after a while for one teacher, and for every teacher
      // once the search has had its share of the week's time.
      else if (steps > 200000 || Clock::now() >= searchDeadline) ws.RequestEnough();
    }
  }
  TWeekBook book(m, var);
  // The days as the week search gave them: a way that gets nowhere for a
  // while starts again from here with other moves.
  TTableVarItem searched(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  searched.Assign(var);
  std::mt19937 rng(o.Day.Seed + 1);
  std::array<bool, 7> dirty{};
  // Moves block (k, li) of len hours off day from (0: it stands on no day)
  // into the draft of another day with room; where no day has room, a
  // block of the same klass first moves from a day to a third one (which
  // may be from) to make it. Days changed are marked dirty.
  auto moveBlock = [&](int k, int li, int from, int len, bool makeRoom) {
    TLinkedLists lists;
    if (!m.Klasses.CollectLinkedLessons(k, li, lists)) return false;
    auto put = [&](int d2) {
      const bool okMove = from == 0 ? var.PlaceLinkedLesson(k, li, true, d2, 0, len)
                                    : var.RemoveLesson(k, li, true, d2, from, 0);
      if (okMove) dirty[static_cast<std::size_t>(from)] = dirty[static_cast<std::size_t>(d2)] = true;
      return okMove;
    };
    std::vector<int> targets;
    for (int d2 = 1; d2 <= 6; ++d2)
      if (d2 != from && book.Fits(lists, d2, len)) targets.push_back(d2);
    if (!targets.empty()) return put(targets[rng() % targets.size()]);
    if (!makeRoom) return false;
    std::vector<int> days;
    for (int d2 = 1; d2 <= 6; ++d2)
      if (d2 != from && var.CountLessonInDay(k, li, d2) == 0) days.push_back(d2);
    std::shuffle(days.begin(), days.end(), rng);
    for (int d2 : days) {
      if (book.KlassLoad(k, d2) + len - m.L() <= 0) continue;  // the klass has room: a teacher has not
      // The klass's shortest blocks leave d2 for days with room (a block
      // of the klass may also take the place this one leaves) until this
      // one fits; else they come back.
      std::vector<int> others;
      for (int lj = 0; lj < m.Klasses[k]->Lessons.Count(); ++lj)
        if (lj != li && var.CountLessonInDay(k, lj, d2) > 0) others.push_back(lj);
      std::shuffle(others.begin(), others.end(), rng);
      std::stable_sort(others.begin(), others.end(),
                       [&](int a, int b) { return var.CountLessonInDay(k, a, d2) < var.CountLessonInDay(k, b, d2); });
      std::vector<std::pair<int, int>> done;  // lesson, the day it went to
      for (int lj : others) {
        if (book.KlassLoad(k, d2) + len <= m.L()) break;
        const int len2 = var.CountLessonInDay(k, lj, d2);
        TLinkedLists other;
        if (!m.Klasses.CollectLinkedLessons(k, lj, other)) continue;
        for (int d3 = 1; d3 <= 6; ++d3) {
          if (d3 == d2) continue;
          const bool swap = d3 == from && var.CountLessonInDay(k, lj, from) == 0 && book.Fits(other, d3, len2 - len);
          if (!swap && !book.Fits(other, d3, len2)) continue;
          if (!var.RemoveLesson(k, lj, true, d3, d2, 0)) continue;
          done.emplace_back(lj, d3);
          break;
        }
      }
      if (book.KlassLoad(k, d2) + len <= m.L() && book.Fits(lists, d2, len) && put(d2)) {
        for (const auto& [lj, d3] : done) dirty[static_cast<std::size_t>(d3)] = true;
        dirty[static_cast<std::size_t>(d2)] = true;
        return true;
      }
      for (auto it = done.rbegin(); it != done.rend(); ++it) var.RemoveLesson(k, it->first, true, d2, it->second, 0);
    }
    return false;
  };
  // 2. Blocks without a day go into the draft of a day with room.
  auto giveDays = [&]() {
    for (int k = 0; k < m.Klasses.Count(); ++k)
      for (int li = 0; li < m.Klasses[k]->Lessons.Count(); ++li) {
        TLinkedLists lists;
        if (!m.Klasses.CollectLinkedLessons(k, li, lists)) continue;
        if (!lists.LowestKlass(k)) continue;
        for (int len : UnplacedBlocks(m, var, k, li)) moveBlock(k, li, 0, len, true);
      }
  };
  giveDays();
  // When no day has room for what is left, one block goes to the day it
  // overfills least; that day then gives blocks away as any day that
  // cannot be arranged does.
  auto forceDay = [&]() {
    std::vector<std::pair<TBlockRef, int>> cands;
    for (int k = 0; k < m.Klasses.Count(); ++k)
      for (int li = 0; li < m.Klasses[k]->Lessons.Count(); ++li) {
        TLinkedLists lists;
        if (!m.Klasses.CollectLinkedLessons(k, li, lists)) continue;
        if (!lists.LowestKlass(k)) continue;
        for (int len : UnplacedBlocks(m, var, k, li)) {
          int bestDay = 0, bestOver = 1 << 20;
          for (int d = 1; d <= 6; ++d) {
            bool free = true;
            int over = 0;
            for (int i = 0; i < lists.LessonCount() && free; ++i) {
              const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
              free = var.CountLessonInDay(e.A, e.B, d) == 0 && book.KlassClosed(e.A, d) + len <= m.L();
              over += std::max(0, book.KlassLoad(e.A, d) + len - m.L());
            }
            for (int i = 0; i < lists.TeacherCount() && free; ++i) {
              const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
              free = book.KeepsFreeDays(t, d);
              over += std::max(0, book.TeacherLoad(t, d) + len - m.L());
            }
            over = over * 4 + static_cast<int>(rng() % 4);
            if (free && over < bestOver) {
              bestOver = over;
              bestDay = d;
            }
          }
          if (bestDay > 0) cands.push_back({{k, li, len}, bestDay});
        }
      }
    if (cands.empty()) return false;
    const auto& [b, d] = cands[rng() % cands.size()];
    if (!var.PlaceLinkedLesson(b.Klass, b.Lesson, true, d, 0, b.Len)) return false;
    dirty[static_cast<std::size_t>(d)] = true;
    return true;
  };
  // A lesson whose blocks fill every day it may have gives one of them
  // back: its blocks then look for days anew.
  auto giveAnyway = [&]() {
    std::vector<std::pair<int, int>> stuck;
    for (int k = 0; k < m.Klasses.Count(); ++k)
      for (int li = 0; li < m.Klasses[k]->Lessons.Count(); ++li)
        if (!UnplacedBlocks(m, var, k, li).empty()) stuck.emplace_back(k, li);
    if (stuck.empty()) return false;
    const auto [k, li] = stuck[rng() % stuck.size()];
    std::vector<int> days;
    for (int d = 1; d <= 6; ++d)
      if (var.CountLessonInDay(k, li, d) > 0) days.push_back(d);
    if (days.empty()) return false;
    const int d = days[rng() % days.size()];
    if (!var.RemoveLesson(k, li, true, 0, d, 0)) return false;
    dirty[static_cast<std::size_t>(d)] = true;
    return true;
  };
  // 3. Each day arranged by the optimisation; a day that cannot be gives a
  // block to another day, and both are arranged again.
  TAutoPlanOptions dayOpt = o.Day;
  dayOpt.RowFallback = false;
  if (dayOpt.TimeBudgetMs <= 0) dayOpt.TimeBudgetMs = 4000;
  dayOpt.OptimizeStepBudget = dayOpt.StepBudget = 300000;
  std::array<int, 7> ok{};      // 1 arranged, -1 not
  std::array<std::string, 7> why;
  std::array<TPlanOutcome, 7> outcome{};
  auto arrange = [&](int d) {
    bool drafts = false;
    for (int k = 0; k < var.KlassCount() && !drafts; ++k) drafts = var.CountKlassDraft(k, d) > 0;
    if (!drafts) {
      ok[static_cast<std::size_t>(d)] = 1;
      return;
    }
    // No run past the week's budget: a day the time does not reach keeps
    // its last arrangement.
    const auto t0 = Clock::now();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - t0).count();
    if (left <= 0) {
      ok[static_cast<std::size_t>(d)] = -1;
      return;
    }
    TAutoPlanOptions run = dayOpt;
    run.TimeBudgetMs = static_cast<int>(std::min<long long>(dayOpt.TimeBudgetMs, left));
    TAutoPlanResult r = OptimizeDayAuto(m, var, d, run, false);
    TWeekDayResult& dr = res.Days[static_cast<std::size_t>(d - 1)];
    dr.Steps += r.Steps;
    if (r.Outcome == TPlanOutcome::TooLarge) {
      // Too many lessons for one run: the teachers' groups one after
      // another, as the message asks of a user; the day stands when no
      // draft is left in it.
      run.RowFallback = true;
      r = OptimizeDayAuto(m, var, d, run, false);
      dr.Steps += r.Steps;
      r.Ok = true;
      for (int k = 0; k < var.KlassCount() && r.Ok; ++k) r.Ok = var.CountKlassDraft(k, d) == 0;
    }
    dr.Seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    ok[static_cast<std::size_t>(d)] = r.Ok ? 1 : -1;
    why[static_cast<std::size_t>(d)] = r.Message;
    outcome[static_cast<std::size_t>(d)] = r.Outcome;
  };
  for (int d = 1; d <= 6; ++d) arrange(d);
  int moves = 0;
  // The fair copy is a whole timetable at every point (a day that cannot
  // be arranged keeps its last arrangement): the one with most hours stays.
  TTableVarItem best(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  best.Assign(var);
  int bestPlaced = -1;
  int sinceBest = 0;
  auto lastGain = Clock::now();
  const auto patience = std::max<Clock::duration>(std::chrono::seconds(8), (deadline - Clock::now()) / 5);
  for (;;) {
    {
      int placed = 0, due = 0;
      CountWeekHours(m, var, placed, due);
      if (placed > bestPlaced) {
        bestPlaced = placed;
        best.Assign(var);
        sinceBest = 0;
        lastGain = Clock::now();
      } else if (Clock::now() - lastGain > patience) {
        var.Assign(searched);
        dirty = {};
        giveDays();
        for (int d = 1; d <= 6; ++d) arrange(d);
        dirty = {};
        sinceBest = 0;
        lastGain = Clock::now();
      } else if (++sinceBest > 400) {
        // Lost in moves that do not pay: back to the best week so far.
        var.Assign(best);
        for (int d = 1; d <= 6; ++d) arrange(d);
        sinceBest = 0;
      }
    }
    if (Clock::now() >= deadline) break;
    std::vector<int> failing;
    for (int d = 1; d <= 6; ++d)
      if (ok[static_cast<std::size_t>(d)] < 0) failing.push_back(d);
    if (failing.empty()) {
      // Every day stands: what still has no day gets one.
      int before = 0, due = 0;
      CountWeekHours(m, var, before, due);
      if (before == due) break;
      dirty = {};
      giveDays();
      bool any = false;
      for (int d = 1; d <= 6; ++d)
        if (dirty[static_cast<std::size_t>(d)]) {
          arrange(d);
          any = true;
        }
      dirty = {};
      if (any) continue;
      if (!forceDay() && !giveAnyway()) {
        // Nothing can be given a day from here: another way from the best
        // week so far, while the time lasts.
        var.Assign(best);
        for (int d = 1; d <= 6; ++d) arrange(d);
        sinceBest = 0;
        continue;
      }
      for (int d = 1; d <= 6; ++d)
        if (dirty[static_cast<std::size_t>(d)]) arrange(d);
      dirty = {};
      continue;
    }
    const int d = failing[rng() % failing.size()];
    // The klass the run named, else a block of a tight klass or teacher.
    std::vector<TBlockRef> blocks;
    std::vector<double> weight;
    int named = -1;
    for (int k = 0; k < m.Klasses.Count(); ++k)
      if (!why[static_cast<std::size_t>(d)].empty() &&
          why[static_cast<std::size_t>(d)].find(" " + m.Klasses[k]->Name() + ".") != std::string::npos)
        named = k;
    for (int k = 0; k < m.Klasses.Count(); ++k) {
      if (named >= 0 && k != named) continue;
      for (int li = 0; li < m.Klasses[k]->Lessons.Count(); ++li) {
        const int len = var.CountLessonInDay(k, li, d);
        if (len == 0) continue;
        const TRTILessonItem* l = m.Klasses[k]->Lessons[li];
        double w = 1.0 + std::max(0, book.KlassLoad(k, d) - m.L() + 2);
        for (int g = 0; g < l->SubItemsCount(); ++g) {
          const int t = l->RT[static_cast<std::size_t>(g)].Teacher;
          if (t >= 0) w += std::max(0, book.TeacherLoad(t, d) - m.L() + 3) * 2.0;
        }
        blocks.push_back({k, li, len});
        weight.push_back(w * w);
      }
    }
    if (blocks.empty()) {
      ok[static_cast<std::size_t>(d)] = 0;
      continue;
    }
    bool moved = false;
    std::discrete_distribution<std::size_t> pick(weight.begin(), weight.end());
    // A klass with more hours than its day holds changes blocks with
    // another day when no day has room for one more.
    const bool overfull = named >= 0 && book.KlassLoad(named, d) > m.L();
    for (int attempt = 0; attempt < 20 && !moved; ++attempt) {
      const TBlockRef b = blocks[pick(rng)];
      moved = moveBlock(b.Klass, b.Lesson, d, b.Len, overfull);
    }
    if (!moved) {
      // Nothing fits elsewhere: the block leaves the week and waits for a
      // day with room.
      const TBlockRef b = blocks[pick(rng)];
      var.RemoveLesson(b.Klass, b.Lesson, true, 0, d, 0);
      dirty[static_cast<std::size_t>(d)] = true;
    }
    ++moves;
    for (int d2 = 1; d2 <= 6; ++d2)
      if (dirty[static_cast<std::size_t>(d2)]) arrange(d2);
    dirty = {};
  }
  // What kept the week short, as the last run of each day ended.
  for (int d = 1; d <= 6; ++d) {
    if (ok[static_cast<std::size_t>(d)] >= 0) continue;
    std::string note = "day " + std::to_string(d) + ": ";
    if (outcome[static_cast<std::size_t>(d)] == TPlanOutcome::Aborted)
      note += "the arrangement stopped at its budget (" + std::to_string(dayOpt.StepBudget) + " steps, " +
              std::to_string(dayOpt.TimeBudgetMs) + " ms)";
    else
      note += why[static_cast<std::size_t>(d)];
    res.Notes.push_back(note);
  }
  if (Clock::now() >= deadline && bestPlaced >= 0) {
    int placed = 0, due = 0;
    CountWeekHours(m, var, placed, due);
    if (bestPlaced < due)
      res.Notes.push_back("the week's time budget ran out with " + std::to_string(due - bestPlaced) +
                          " hours without a place");
  }
  var.Assign(best);
  // 4. What still stands in a draft leaves the week (it has no hour).
  for (int d = 1; d <= 6; ++d)
      for (int k = 0; k < var.KlassCount(); ++k)
        for (int h = var.LessonsPerDay(); h >= 1; --h) {
          const TTableCell cell = var.GetDraftCell(k, d, h);
          if (cell.Lesson >= 0) var.RemoveLesson(k, cell.Lesson, true, 0, d, 0);
        }
  OptimiseKeptDays(m, var, o, deadline, res);
  return res;
}

}  // namespace korvant
