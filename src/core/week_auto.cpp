// The week planned without a window, day after day, with the day planner's
// runs; a week that leaves lessons over is planned again in another order.
#include <algorithm>
#include <chrono>

#include "core/day_planner.h"

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
}  // namespace

TWeekPlanResult PlanWeekAuto(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o) {
  TWeekPlanResult res;
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
    }
    dr.FirstWindows = bestFirst[static_cast<std::size_t>(d - 1)];
    for (int k = 0; k < var.KlassCount(); ++k) {
      dr.Placed += var.CountKlassFair(k, d);
      dr.KlassGaps += KlassGaps(m, var, k, d);
    }
    for (int t = 0; t < var.TeacherCount(); ++t) dr.Windows += var.GetTeacherWindows(t, d);
    res.Windows += dr.Windows;
    res.FirstWindows += dr.FirstWindows;
    res.KlassGaps += dr.KlassGaps;
    res.Solutions += dr.Solutions;
  }
  CountWeekHours(m, var, res.Placed, res.Due);
  res.Complete = res.Placed == res.Due;
  return res;
}

}  // namespace korvant
