// Automatic planning of whole weeks: the demonstration project and
// generated schools of 8, 16 and 32 klasses (L = 8). One iteration plans
// the week in a fresh variant; the time is reported per day. Counters:
// solutions taken per second, the teachers' idle hours of the days' first
// solutions and of the optimised days, the hours placed and due, and the
// weeks tried before one was complete (generated schools may not plan
// completely: compare placed with due).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "school_gen.h"

namespace korvant {
namespace {

// Argument 0: the demonstration project; else a school of that many klasses.
std::unique_ptr<TProjectData> Project(int klasses) {
  if (klasses > 0) return GenerateSchool(klasses, 8, 2024);
  auto d = std::make_unique<TProjectData>();
  if (!ReadProjectImage(DemoProjectImage(), *d)) return nullptr;
  return d;
}

using Clock = std::chrono::steady_clock;

void Report(benchmark::State& state, const TWeekPlanResult& r, double solutions, double seconds) {
  const double days = 6.0 * static_cast<double>(state.iterations());
  state.counters["ms/day"] = days > 0 ? 1000.0 * seconds / days : 0;
  state.counters["solutions/s"] = seconds > 0 ? solutions / seconds : 0;
  state.counters["idle_first"] = r.FirstWindows;
  state.counters["idle_best"] = r.Windows;
  state.counters["klass_idle"] = r.KlassGaps;
  state.counters["placed"] = r.Placed;
  state.counters["due"] = r.Due;
  state.counters["weeks"] = r.Weeks;
}

// The week as the driver plans it: first solutions, new row orders until a
// week is complete, then each kept day optimised within the step budget.
void BM_PlanWeek(benchmark::State& state) {
  auto project = Project(static_cast<int>(state.range(0)));
  auto model = BuildRunModel(*project);
  Shared().UseAttachedRooms = 1;
  Shared().UseSepQuants = 1;
  TWeekPlanResult last;
  double solutions = 0, seconds = 0;
  for (auto _ : state) {
    TTableVarItem var(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
    const auto t0 = Clock::now();
    last = PlanWeekAuto(*model, var);
    seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    solutions += static_cast<double>(last.Solutions);
  }
  Report(state, last, solutions, seconds);
}
BENCHMARK(BM_PlanWeek)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond)->Iterations(1);

// One pass over the week: each day planned once (no retried week, no
// idle-hour search), the planner's raw speed.
void BM_PlanWeekOnePass(benchmark::State& state) {
  auto project = Project(static_cast<int>(state.range(0)));
  auto model = BuildRunModel(*project);
  Shared().UseAttachedRooms = 1;
  Shared().UseSepQuants = 1;
  TWeekPlanOptions o;
  o.MaxWeeks = 1;
  o.OptimizeBest = false;
  TWeekPlanResult last;
  double solutions = 0, seconds = 0;
  for (auto _ : state) {
    TTableVarItem var(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
    const auto t0 = Clock::now();
    last = PlanWeekAuto(*model, var, o);
    seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    solutions += static_cast<double>(last.Solutions);
  }
  Report(state, last, solutions, seconds);
}
BENCHMARK(BM_PlanWeekOnePass)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

// The idle-hour search of one planned day of the demonstration project.
void BM_OptimizeDemoDay(benchmark::State& state) {
  auto project = Project(0);
  auto model = BuildRunModel(*project);
  Shared().UseAttachedRooms = 1;
  Shared().UseSepQuants = 1;
  TTableVarItem planned(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
  TWeekPlanOptions o;
  o.OptimizeBest = false;
  PlanWeekAuto(*model, planned, o);
  const int day = static_cast<int>(state.range(0));
  TTableVarItem var(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
  TAutoPlanResult r;
  double solutions = 0, seconds = 0;
  for (auto _ : state) {
    var.Assign(planned);
    const auto t0 = Clock::now();
    r = OptimizeDayAuto(*model, var, day, TAutoPlanOptions{}, true);
    seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    solutions += static_cast<double>(r.Solutions);
  }
  int first = 0;
  for (int t = 0; t < planned.TeacherCount(); ++t) first += planned.GetTeacherWindows(t, day);
  state.counters["solutions/s"] = seconds > 0 ? solutions / seconds : 0;
  state.counters["idle_first"] = first;
  state.counters["idle_best"] = r.Windows;
}
BENCHMARK(BM_OptimizeDemoDay)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvant
