// The optimisation of one whole day looking for the fewest idle hours of
// the teachers ("Искать лучший вариант"), with and without the lower bound
// that cuts branches unable to beat the best day found, until the minimum
// is proved or the time cap runs out. Every lesson of the day is free to
// move (all teachers in one group), as the week driver optimises a day.
//
// Days: the demonstration project (its week as the week driver plans it),
// generated schools of 4, 6 and 8 klasses and, when KORVANT_BENCH_SCHOOLS
// names project files (separated by ':'), their weeks as the benchmarks'
// greedy plan lays them out. KORVANT_BENCH_CAP_S sets the cap per run
// (default 60 s). Counters: idle (the best found), proved (1 when the
// search ended by itself), steps, solutions (days shown).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/common/catalogue.h"
#include "core/common/file_io.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "school_gen.h"

namespace korvant {
namespace {

struct Silent : IPrompt {
  int ShowErrMsgText(PromptOwner, const std::string&, uint8_t kind) override { return kind == kBoxOk ? kResYes : kResNo; }
};

// Every solution is taken at once; the search goes on for a better one.
struct TakeAll : IPlanningHost {
  void Pump() override {}
  void SolutionFound() override { Shared().WaitUser = 0; }
  void DeeperPartial() override { Shared().WaitUser = 0; }
  void WaitWhileSet(const uint8_t&) override {}
};

struct Week {
  std::shared_ptr<const TProjectData> project;
  std::shared_ptr<TRunModel> model;
  std::shared_ptr<TTableVarItem> planned;
};

Week Plan(std::shared_ptr<const TProjectData> project, bool driver) {
  Week w;
  w.project = std::move(project);
  w.model = BuildRunModel(*w.project);
  w.planned = std::make_shared<TTableVarItem>(w.model.get(), w.model->Teachers.Count(), w.model->L(),
                                              w.model->Klasses.Count());
  Silent silent;
  ScopedPrompt scope(&silent);
  Shared().UseAttachedRooms = 1;
  Shared().UseSepQuants = 1;
  if (driver) {
    TWeekPlanOptions o;
    o.OptimizeBest = false;
    PlanWeekAuto(*w.model, *w.planned, o);
  } else {
    PlaceWeekGreedy(*w.planned, 2024);
  }
  return w;
}

struct Outcome {
  int idle = -1;
  bool proved = false;
  uint64_t steps = 0;
  uint32_t solutions = 0;
};

// The day's lessons all free, the teachers one group, the best looked for.
Outcome OptimiseDay(TRunModel& m, TTableVarItem& var, int day, bool bound, double capSeconds) {
  Silent silent;
  ScopedPrompt scope(&silent);
  SharedState& s = Shared();
  m.Teachers.PrepareDaySlots(day);
  m.Teachers.CountDayWishes();
  m.Klasses.CountDayClosedSlots();
  std::vector<int32_t> all;
  for (int t = 0; t < m.Teachers.Count(); ++t) all.push_back(t);
  m.Teachers.SetGroups({all});
  m.CurGroup = 0;
  var.CountTeachersFreeDays(false, day);
  PrepareDayNorms(m, var, day);
  s.FindBest = 1;
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  s.SolutionsFound = 0;
  s.BestDepth = -1;
  TakeAll host;
  TDayPlanner p(m, var, day, &host);
  p.ShowPartials = false;
  p.BoundIdleHours = bound;
  p.Deadline = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                       std::chrono::duration<double>(capSeconds));
  m.ReplanGroupLessons = 1;
  const TPlanOutcome out = p.OptimizeDay();
  m.ReplanGroupLessons = 0;
  Outcome r;
  r.idle = p.BestScore();
  r.proved = out == TPlanOutcome::Solved && s.AbortPlanning == 0;
  r.steps = p.Steps();
  r.solutions = s.SolutionsFound;
  s.AbortPlanning = 0;
  s.FindBest = 0;
  return r;
}

double CapSeconds() {
  const char* v = std::getenv("KORVANT_BENCH_CAP_S");
  const double cap = v ? std::atof(v) : 0;
  return cap > 0 ? cap : 60;
}

void BM_OptimiseDay(benchmark::State& state, std::shared_ptr<Week> w, int day, bool bound) {
  TTableVarItem var(w->model.get(), w->model->Teachers.Count(), w->model->L(), w->model->Klasses.Count());
  Outcome last;
  for (auto _ : state) {
    state.PauseTiming();
    var.Assign(*w->planned);
    state.ResumeTiming();
    last = OptimiseDay(*w->model, var, day, bound, CapSeconds());
  }
  state.counters["idle"] = last.idle;
  state.counters["proved"] = last.proved ? 1 : 0;
  state.counters["steps"] = static_cast<double>(last.steps);
  state.counters["solutions"] = last.solutions;
}

void Register(const std::string& name, std::shared_ptr<Week> w) {
  for (int day = 1; day <= 6; ++day) {
    if (w->planned->DayIsEmpty(day)) continue;
    for (bool bound : {true, false})
      benchmark::RegisterBenchmark((name + "/day" + std::to_string(day) + (bound ? "/bounded" : "/unbounded")).c_str(),
                                   BM_OptimiseDay, w, day, bound)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
  }
}

std::shared_ptr<TProjectData> ReadProject(const std::string& path) {
  std::vector<unsigned char> image;
  auto d = std::make_shared<TProjectData>();
  if (ReadWholeFile(std::filesystem::path(path), image) != FileReadStatus::Ok || !ReadProjectImage(image, *d)) return nullptr;
  return d;
}

const bool registered = [] {
  auto demo = std::make_shared<TProjectData>();
  if (ReadProjectImage(DemoProjectImage(), *demo)) Register("demo", std::make_shared<Week>(Plan(demo, true)));
  for (int klasses : {4, 6, 8})
    Register("generated" + std::to_string(klasses),
             std::make_shared<Week>(Plan(std::shared_ptr<TProjectData>(GenerateSchool(klasses, 8, 2024)), false)));
  if (const char* list = std::getenv("KORVANT_BENCH_SCHOOLS")) {
    std::stringstream in(list);
    std::string path;
    while (std::getline(in, path, ':')) {
      if (path.empty()) continue;
      auto project = ReadProject(path);
      if (!project) continue;
      std::string name = path.substr(path.find_last_of('/') + 1);
      Register(name.substr(0, name.find('.')), std::make_shared<Week>(Plan(project, false)));
    }
  }
  return true;
}();

}  // namespace
}  // namespace korvant
