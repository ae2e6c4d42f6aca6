// The week planned on the real schools of the shared folder (each school
// that is there; none is copied into the project) and on generated schools
// shaped like the large real ones (several sizes and seeds). One iteration
// plans the week in a fresh variant within a budget of 50 seconds.
// Counters: hours placed and due, rules broken (free days counted, read
// back from the written variant by the file test's reader), the teachers'
// idle hours, seconds of the week and of its slowest day, search steps and
// the process's peak memory in MB; the label names the path that made the
// week.
// The sketch of the week alone, within 30 seconds: whether it keeps every
// rule, after how many seconds, the rules still broken, its idle hours
// after 10 more seconds, and the moves tried.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/common/file_io.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/planning/room_assign.h"
#include "core/planning/week_sketch.h"
#include "core/project/project_data.h"
#include "core/variant/var_file.h"
#include "school_gen.h"
#ifdef KORVANT_WEEK_CHECK
#include "week_check.h"
#endif

#include <sys/resource.h>

namespace korvant {
namespace {

using Clock = std::chrono::steady_clock;

bool ReadSchool(benchmark::State& state, const std::string& path, TProjectData& project) {
  std::vector<unsigned char> image;
  if (ReadWholeFile(std::filesystem::path(path), image) == FileReadStatus::Ok && ReadProjectImage(image, project)) return true;
  state.SkipWithError("the school cannot be read");
  return false;
}

// Rules the written week breaks, free days counted (-1: not checked), with
// rooms given as korvant-plan-week gives them.
int RulesBroken(const TProjectData& project, TVarDocument& doc) {
#ifdef KORVANT_WEEK_CHECK
  struct TYes : IPrompt {
    int ShowErrMsgText(PromptOwner, const std::string&, uint8_t) override { return kResYes; }
  } yes;
  ScopedPrompt scoped(&yes);
  for (int d = 1; d <= 6; ++d) {
    doc.Day = d;
    doc.PrepareDay();
    SetDayRooms(doc.Var(), d);
  }
  weekcheck::VarFile v;
  if (!weekcheck::ReadVar(WriteVarImage(doc.Var(), doc.Options, 1), v)) return -1;
  return weekcheck::CheckWeek(project, v, doc.Options.TeachersWills).Broken();
#else
  (void)project;
  (void)doc;
  return -1;
#endif
}

void PlanProject(benchmark::State& state, const TProjectData& project) {
  Shared().UseAttachedRooms = 1;
  Shared().UseSepQuants = 1;
  TWeekPlanResult last;
  double seconds = 0;
  int broken = -1;
  for (auto _ : state) {
    auto doc = TVarDocument::CreateNew(project, "bench.rsp");
    TWeekPlanOptions o;
    o.TimeBudgetMs = 50000;
    const auto t0 = Clock::now();
    last = PlanWeekDrafts(doc->Model(), doc->Var(), o);
    seconds += std::chrono::duration<double>(Clock::now() - t0).count();
    broken = RulesBroken(project, *doc);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.SetLabel(last.Path);
  state.counters["broken"] = broken;
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  double slowest = 0;
  uint64_t steps = 0;
  for (const TWeekDayResult& d : last.Days) {
    slowest = std::max(slowest, d.Seconds);
    steps += d.Steps;
  }
  state.counters["placed"] = last.Placed;
  state.counters["due"] = last.Due;
  state.counters["idle"] = last.Windows;
  state.counters["s_slowest_day"] = slowest;
  state.counters["s_week"] = seconds / static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
  state.counters["steps"] = static_cast<double>(steps);
}

void PlanSchool(benchmark::State& state, const std::string& path) {
  TProjectData project;
  if (ReadSchool(state, path, project)) PlanProject(state, project);
}

void SketchSchool(benchmark::State& state, const std::string& path) {
  TProjectData project;
  if (!ReadSchool(state, path, project)) return;
  TSketchResult last;
  for (auto _ : state) {
    auto doc = TVarDocument::CreateNew(project, "bench.rsp");
    TSketchOptions o;
    o.TimeBudgetMs = 30000;
    o.PolishMs = 10000;
    last = SketchWeek(doc->Model(), o);
  }
  state.counters["sound"] = last.Sound ? 1 : 0;
  state.counters["s_to_sound"] = last.SoundAfter;
  state.counters["broken"] = last.Broken;
  state.counters["idle"] = last.Windows;
  state.counters["moves"] = static_cast<double>(last.Moves);
}

// Registered at start-up, one benchmark per school found.
const bool registered = [] {
  namespace fs = std::filesystem;
  const fs::path dir = KORVANT_SCHOOLS_DIR;
  std::error_code ec;
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.path().extension() == ".tbl") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  // Schools never seen: klasses, hours a day, three seeds each.
  for (auto [k, l] : {std::pair{20, 8}, std::pair{30, 10}, std::pair{40, 11}})
    for (uint32_t seed = 1; seed <= 3; ++seed)
      benchmark::RegisterBenchmark(
          ("BM_PlanGenerated/" + std::to_string(k) + "x" + std::to_string(l) + "/" + std::to_string(seed)).c_str(),
          [k, l, seed](benchmark::State& s) { PlanProject(s, *GenerateLargeSchool(k, l, seed)); })
          ->Unit(benchmark::kSecond)
          ->Iterations(1);
  for (const fs::path& f : files) {
    benchmark::RegisterBenchmark(("BM_SketchSchool/" + f.stem().string()).c_str(),
                                 [p = f.string()](benchmark::State& s) { SketchSchool(s, p); })
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark(("BM_PlanSchool/" + f.stem().string()).c_str(),
                                 [p = f.string()](benchmark::State& s) { PlanSchool(s, p); })
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
  }
  return true;
}();

}  // namespace
}  // namespace korvant
