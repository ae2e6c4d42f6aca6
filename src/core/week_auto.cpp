// The week planned without a window, day after day, with the day planner's
// runs; a day that leaves the week unplannable is planned again in another
// row order, and when none helps the day before it is.
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

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

// Necessary conditions for days day + 1 .. 6 to take what is left: every
// lesson has no more unplaced blocks than days left (a lesson gives one
// block a day), every klass and teacher no more hours than those days
// hold open, a teacher's owed free days counted off.
bool RestCanStillFit(TRunModel& m, const TTableVarItem& var, int day) {
  if (day >= 6) return true;
  const int L = m.L();
  const int left = 6 - day;
  PrepareDayNorms(m, var, day + 1);
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    int open = 0;
    for (int d = day + 1; d <= 6; ++d)
      for (int h = 1; h <= L; ++h)
        if (klass->GetBusy((d - 1) * kSlotsPerDay + h) == 0) ++open;
    if (klass->RemainingHours > open) return false;
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      const TRTILessonItem* l = klass->Lessons[li];
      int free = 0;
      for (int i = 1; i <= l->QuantsCount(); ++i)
        if (l->QuantDays[static_cast<std::size_t>(i - 1)] == 0) ++free;
      if (free > left) return false;
    }
  }
  for (int t = 0; t < m.Teachers.Count(); ++t) {
    const TRTITeacherItem* x = m.Teachers[t];
    int freeTaken = 0;
    for (int d = 1; d <= day; ++d)
      if (!var.DayIsEmpty(d) && var.CountTeacherFair(t, d) + var.CountTeacherDraft(t, d) == 0) ++freeTaken;
    const int owed = std::max(0, x->MetodicalDays - freeTaken);
    const int days = left - owed;
    int maxBlocks = 0;
    for (const auto& c : x->Lessons) {
      int free = 0;
      for (int i = 1; i <= c->QuantsCount(); ++i)
        if (c->QuantDays[static_cast<std::size_t>(i - 1)] == 0) ++free;
      maxBlocks = std::max(maxBlocks, free);
    }
    if (x->RemainingHours > 0 && (days < 1 || maxBlocks > days || x->RemainingHours > days * L)) return false;
  }
  return true;
}

class TWeekSearch {
 public:
  TWeekSearch(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& o) : m_(m), var_(var), o_(o) {
    for (auto& s : snap_) s = std::make_unique<TTableVarItem>(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
    best_ = std::make_unique<TTableVarItem>(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
    if (o.TimeBudgetMs > 0) deadline_ = Clock::now() + std::chrono::milliseconds(o.TimeBudgetMs);
  }

  TWeekPlanResult Run() {
    // Days are planned with their first whole arrangement; the kept week
    // is then optimised for idle hours, which moves no lesson to another day.
    Plan(1);
    var_.Assign(*best_);
    if (o_.Day.Optimize && o_.Day.OptimizeBest)
      for (int d = 1; d <= 6; ++d) {
        const auto t0 = Clock::now();
        const TAutoPlanResult r = OptimizeDayAuto(m_, var_, d, o_.Day, true);
        seconds_[static_cast<std::size_t>(d - 1)] += std::chrono::duration<double>(Clock::now() - t0).count();
        solutions_[static_cast<std::size_t>(d - 1)] += r.Solutions;
      }
    TWeekPlanResult r;
    CountWeekHours(m_, var_, r.Placed, r.Due);
    r.Complete = r.Placed == r.Due;
    for (int d = 1; d <= 6; ++d) {
      TWeekDayResult& dr = r.Days[static_cast<std::size_t>(d - 1)];
      dr = bestDays_[static_cast<std::size_t>(d - 1)];
      dr.Seconds = seconds_[static_cast<std::size_t>(d - 1)];
      dr.Runs = runs_[static_cast<std::size_t>(d - 1)];
      dr.Solutions = solutions_[static_cast<std::size_t>(d - 1)];
      dr.Placed = 0;
      dr.Windows = 0;
      for (int k = 0; k < var_.KlassCount(); ++k) dr.Placed += var_.CountKlassFair(k, d);
      for (int t = 0; t < var_.TeacherCount(); ++t) dr.Windows += var_.GetTeacherWindows(t, d);
      r.Windows += dr.Windows;
      r.FirstWindows += dr.FirstWindows;
      r.Solutions += dr.Solutions;
    }
    return r;
  }

 private:
  TAutoPlanOptions Order(int a) const {
    TAutoPlanOptions c = o_.Day;
    c.OptimizeBest = false;
    switch (a) {
      case 0: break;
      case 1: c.RowOrder = TRowOrder::AsBuilt; break;
      case 2: c.EvenShare = !c.EvenShare; break;
      default: c.Seed = static_cast<uint32_t>(a - 2) + c.Seed; break;
    }
    return c;
  }

  bool OutOfBudget() const {
    int runs = 0;
    for (int n : runs_) runs += n;
    if (o_.MaxDayRuns > 0 && runs >= o_.MaxDayRuns) return true;
    return deadline_ != Clock::time_point{} && Clock::now() >= deadline_;
  }

  // Keeps the week when it places more than the best so far.
  bool Leaf() {
    int placed = 0, due = 0;
    CountWeekHours(m_, var_, placed, due);
    if (placed > bestPlaced_) {
      bestPlaced_ = placed;
      best_->Assign(var_);
      bestDays_ = path_;
    }
    return placed == due;
  }

  // True when a complete week was found (it stands in best_). Orders whose
  // day closes every klass's day up are followed first, then those that
  // plan every row but leave klasses idle hours.
  bool Plan(int day) {
    if (day > 6) return Leaf();
    TTableVarItem& before = *snap_[static_cast<std::size_t>(day - 1)];
    before.Assign(var_);
    const int orders = std::max(1, o_.OrdersPerDay);
    std::vector<int> gappy;
    int fallback = -1;
    for (int a = 0; a < orders; ++a) {
      if (a > 0 && OutOfBudget()) break;
      var_.Assign(before);
      const TAutoPlanResult r = RunDay(day, a);
      const bool fits = r.Ok && RestCanStillFit(m_, var_, day);
      if (fits && r.KlassGaps == 0) {
        if (Plan(day + 1)) return true;
      } else if (fits) {
        gappy.push_back(a);
      } else if (fallback < 0) {
        fallback = a;
      }
      if (day == 6) Leaf();
    }
    for (int a : gappy) {
      if (OutOfBudget()) break;
      var_.Assign(before);
      RunDay(day, a);
      if (Plan(day + 1)) return true;
    }
    // No order led to a whole week: the rest is planned after the first
    // order that failed here, for the most hours within the budget.
    if (day < 6 && gappy.empty() && fallback >= 0 && !OutOfBudget()) {
      var_.Assign(before);
      RunDay(day, fallback);
      Plan(day + 1);
    }
    var_.Assign(before);
    return false;
  }

  TAutoPlanResult RunDay(int day, int a) {
    const auto t0 = Clock::now();
    const TAutoPlanResult r = PlanDayAuto(m_, var_, day, Order(a));
    const std::size_t i = static_cast<std::size_t>(day - 1);
    seconds_[i] += std::chrono::duration<double>(Clock::now() - t0).count();
    ++runs_[i];
    solutions_[i] += r.Solutions;
    path_[i].FirstWindows = r.FirstWindows;
    return r;
  }

  TRunModel& m_;
  TTableVarItem& var_;
  TWeekPlanOptions o_;
  std::array<std::unique_ptr<TTableVarItem>, 6> snap_;
  std::unique_ptr<TTableVarItem> best_;
  int bestPlaced_ = -1;
  std::array<TWeekDayResult, 6> path_{}, bestDays_{};
  std::array<double, 6> seconds_{};
  std::array<int, 6> runs_{};
  std::array<uint64_t, 6> solutions_{};
  Clock::time_point deadline_{};
};

}  // namespace

TWeekPlanResult PlanWeekAuto(TRunModel& m, TTableVarItem& var, const TWeekPlanOptions& options) {
  TWeekSearch search(m, var, options);
  return search.Run();
}

}  // namespace korvant
