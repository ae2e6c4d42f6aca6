// Room assignment of a planned day, and the steps around it that need no
// planning search: building the run-time model and a new variant, and the
// variant file, on the demonstration project and on generated schools of
// 8, 16 and 32 klasses.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/planning/room_assign.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"
#include "core/variant/var_file.h"
#include "school_gen.h"

namespace korvant {
namespace {

// Agrees to every question, so a run never stops half way.
class YesPrompt : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner, const std::string&, uint8_t) override { return kResYes; }
};

// Argument 0: the demonstration project; else a school of that many klasses.
std::unique_ptr<TProjectData> Project(int klasses) {
  if (klasses > 0) return GenerateSchool(klasses, 8, 2024);
  auto d = std::make_unique<TProjectData>();
  if (!ReadProjectImage(DemoProjectImage(), *d)) return nullptr;
  return d;
}

struct Planned {
  std::unique_ptr<TProjectData> project;
  std::unique_ptr<TRunModel> model;
  std::unique_ptr<TTableVarItem> var;
};

Planned PlanWeek(int klasses) {
  Planned p;
  p.project = Project(klasses);
  p.model = BuildRunModel(*p.project);
  p.var = std::make_unique<TTableVarItem>(p.model.get(), p.model->Teachers.Count(), p.model->L(),
                                          p.model->Klasses.Count());
  PlaceWeekGreedy(*p.var, 1);
  return p;
}

void BM_BuildRunModel(benchmark::State& state) {
  auto project = Project(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(BuildRunModel(*project));
}
BENCHMARK(BM_BuildRunModel)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_NewVariant(benchmark::State& state) {
  auto project = Project(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TVarDocument::CreateNew(*project, "bench.rsp"));
}
BENCHMARK(BM_NewVariant)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_VariantWrite(benchmark::State& state) {
  Planned p = PlanWeek(static_cast<int>(state.range(0)));
  TVarOptions options;
  for (auto _ : state) benchmark::DoNotOptimize(WriteVarImage(*p.var, options, 1));
}
BENCHMARK(BM_VariantWrite)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

// Reading maps the file onto a fresh model: identifiers found again, the
// blocks' day marks and the room grid rebuilt.
void BM_VariantRead(benchmark::State& state) {
  Planned p = PlanWeek(static_cast<int>(state.range(0)));
  const std::vector<unsigned char> image = WriteVarImage(*p.var, TVarOptions{}, 1);
  for (auto _ : state) {
    auto doc = TVarDocument::FromImage(*p.project, image, "bench.rsp");
    if (!doc) state.SkipWithError("the variant was refused");
    benchmark::DoNotOptimize(doc);
  }
}
BENCHMARK(BM_VariantRead)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_SetDayRooms(benchmark::State& state) {
  Planned p = PlanWeek(static_cast<int>(state.range(0)));
  YesPrompt yes;
  ScopedPrompt scope(&yes);
  for (auto _ : state)
    if (SetDayRooms(*p.var, 1) != kSetRoomsDone) state.SkipWithError("the assignment stopped");
}
BENCHMARK(BM_SetDayRooms)->Arg(0)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_ChooseRoom(benchmark::State& state) {
  Planned p = PlanWeek(static_cast<int>(state.range(0)));
  const int rooms = p.var->RoomCount();
  int r = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ChooseRoom(*p.var, 1, r % rooms, 0, 25, -1, 1 + r % 8, 0, false, false));
    ++r;
  }
}
BENCHMARK(BM_ChooseRoom)->Arg(8)->Arg(32);

void BM_GenerateSchool(benchmark::State& state) {
  uint32_t seed = 0;
  for (auto _ : state) benchmark::DoNotOptimize(GenerateSchool(static_cast<int>(state.range(0)), 8, ++seed));
}
BENCHMARK(BM_GenerateSchool)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

void BM_PlaceWeekGreedy(benchmark::State& state) {
  auto project = Project(static_cast<int>(state.range(0)));
  auto model = BuildRunModel(*project);
  TTableVarItem var(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
  for (auto _ : state) benchmark::DoNotOptimize(PlaceWeekGreedy(var, 1, 1));
}
BENCHMARK(BM_PlaceWeekGreedy)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvant
