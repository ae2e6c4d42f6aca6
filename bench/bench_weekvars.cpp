// The week-variant search over each teacher group of a project, into the
// fair copy and into the drafts. The search is exponential and a user ends
// a long pass with "Дальше"; here each pass is cut the same way after a
// fixed number of search steps, so that the figures compare.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/planning/week_vars.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"
#include "school_gen.h"

namespace korvant {
namespace {

constexpr int kStepsPerPass = 20000;

struct Session {
  std::unique_ptr<TRunModel> model;
  std::unique_ptr<TTableVarItem> var;
};

Session Open(const TProjectData& project) {
  Session s;
  s.model = BuildRunModel(project);
  s.var = std::make_unique<TTableVarItem>(s.model.get(), s.model->Teachers.Count(), s.model->L(),
                                          s.model->Klasses.Count());
  // The grouping the week group editor computes.
  s.model->Teachers.BuildGroups(*s.var, true, 1);
  return s;
}

struct Outcome {
  int64_t hours = 0;
  int64_t steps = 0;
};

Outcome SearchGroup(Session& s, int row, bool fair) {
  TWeekSearchContext c;
  c.Model = s.model.get();
  c.Var = s.var.get();
  c.PlaceToFair = fair ? 1 : 0;
  c.TeachersWills = s.model->TeachersWills;
  c.L = s.model->L();
  c.ClassMinLessons = s.model->Params.ClassMinLessons;
  c.TeacherMinLessons = s.model->Params.TeacherMinLessons;
  c.GroupRow = row;
  struct Hours : IWeekVarsObserver {
    int64_t placed = 0;
    void HoursPlaced(int, int h) override { placed += h; }
  } hours;
  TWeekVarsSearch search(c, &hours);
  Outcome out;
  for (;;) {
    const TWeekStepResult r = search.Step(kStepsPerPass);
    if (r == TWeekStepResult::Finished || r == TWeekStepResult::Aborted) break;
    if (r == TWeekStepResult::Running) {
      out.steps += kStepsPerPass;
      search.RequestEnough();
    }
  }
  out.hours = hours.placed;
  return out;
}

void BM_WeekGroup(benchmark::State& state, std::shared_ptr<const TProjectData> project, int row, bool fair) {
  Outcome last;
  for (auto _ : state) {
    state.PauseTiming();
    Session s = Open(*project);
    state.ResumeTiming();
    last = SearchGroup(s, row, fair);
    benchmark::DoNotOptimize(last.hours);
  }
  state.counters["hours"] = static_cast<double>(last.hours);
  state.counters["cut_passes"] = static_cast<double>(last.steps / kStepsPerPass);
}

void BM_WeekAllGroups(benchmark::State& state, std::shared_ptr<const TProjectData> project, bool fair) {
  int64_t hours = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Session s = Open(*project);
    state.ResumeTiming();
    hours = 0;
    for (int row = 0; row < s.model->Teachers.GroupCount(); ++row) hours += SearchGroup(s, row, fair).hours;
    benchmark::DoNotOptimize(hours);
  }
  state.counters["hours"] = static_cast<double>(hours);
}

}  // namespace

// Registers the week search of every teacher group of project, one group
// at a time on an empty variant and all groups in turn on one variant.
void RegisterWeekBenchmarks(const std::string& name, std::shared_ptr<const TProjectData> project) {
  const int groups = Open(*project).model->Teachers.GroupCount();
  for (bool fair : {true, false}) {
    const std::string mode = fair ? "/fair" : "/draft";
    for (int row = 0; row < groups; ++row)
      benchmark::RegisterBenchmark(("WeekVars/" + name + "/group" + std::to_string(row) + mode).c_str(),
                                   BM_WeekGroup, project, row, fair)
          ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("WeekVars/" + name + "/all" + mode).c_str(), BM_WeekAllGroups, project, fair)
        ->Unit(benchmark::kMillisecond);
  }
}

namespace {

std::shared_ptr<const TProjectData> DemoProject() {
  auto p = std::make_shared<TProjectData>();
  if (!ReadProjectImage(DemoProjectImage(), *p)) return nullptr;
  return p;
}

const bool registered = [] {
  if (auto demo = DemoProject()) RegisterWeekBenchmarks("demo", demo);
  RegisterWeekBenchmarks("school32", std::shared_ptr<const TProjectData>(GenerateSchool(32, 8, 1)));
  return true;
}();

}  // namespace
}  // namespace korvant
