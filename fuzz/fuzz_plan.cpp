// A fuzzed project taken the whole way of planning mode, which needs no
// data check first: the data check, the run-time model, a new variant, a
// day planned within a small step budget (or, for every third input, the
// whole week from a sketch within a small time budget), its rooms assigned,
// and the
// variant saved and read back. The variant read back must equal the saved
// one when the project's linked lessons agree; a variant the file cannot
// hold must be refused, never saved in part.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/planning/room_assign.h"
#include "core/project/data_checks.h"
#include "core/project/project_data.h"
#include "core/variant/var_file.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvant;
  fuzzing::InstallSilentPrompt();
  const std::span<const unsigned char> image(data, size);
  TProjectData d;
  if (!ReadProjectImage(image, d)) return 0;

  TDataReportPages pages;
  CheckProjectData(d, &pages);
  // Larger schools are the benchmarks' work; here they would only slow
  // the search for faults down.
  if (d.Klasses.Count() > 24 || d.Teachers.Count() > 48 || d.Lessons.Count() > 160 || d.Rooms.Count() > 64)
    return 0;

  auto doc = TVarDocument::CreateNew(d, "fuzz.rsp");
  TRunModel& m = doc->Model();
  TTableVarItem& v = doc->Var();
  const int day = 1 + (size > 0 ? data[size - 1] % 6 : 0);
  doc->SetDay(day);
  Shared().AbortPlanning = 0;
  TAutoPlanOptions o;
  o.StepBudget = 20000;
  o.OptimizeStepBudget = 20000;
  o.Optimize = size % 2 == 0;
  o.Seed = size > 1 ? data[size - 2] : 0;
  if (size % 3 == 0) {
    TWeekPlanOptions w;
    w.Day = o;
    w.TimeBudgetMs = 60;
    w.OptimizeMsPerDay = 5;
    (void)PlanWeekDrafts(m, v, w);
  } else {
    (void)PlanDayAuto(m, v, day, o);
  }
  (void)SetDayRooms(v, day);

  const auto saved = WriteVarImage(v, doc->Options, day);
  auto back = TVarDocument::FromImage(d, saved, "fuzz.rsp");
  if (!back) __builtin_trap();
  if (!VariantFitsFile(v)) return 0;  // the save refuses it (tested elsewhere)
  // Linked lessons whose links or hour layouts disagree (the data check
  // names them) are placed by one side's blocks, which the other side's
  // layout need not hold: reading such a file drops them, as it must.
  for (const int msg : {10245, 10246, 10248, 10249, 10250, 10255})
    for (const std::string& line : pages.Lines(kCheckLessons))
      if (line.find(LoadResStr(msg)) != std::string::npos) return 0;
  if (!fuzzing::RoomGridAgrees(v) || !fuzzing::SameVariant(v, back->Var())) __builtin_trap();
  if (WriteVarImage(back->Var(), back->Options, back->Day) != saved) __builtin_trap();
  return 0;
}
