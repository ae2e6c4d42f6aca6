// A fuzzed project taken the whole way of planning mode, which needs no
// data check first: the data check, the run-time model, a new variant, then
// by the input one of the planning commands within step budgets (never a
// clock, so that a printed seed repeats a run exactly): a day's placement
// run, the week-variant search of all teachers into the fair copy or the
// drafts followed by the day's optimisation, the whole week day by day, or
// the week's sketch within a move budget with the part of it that keeps
// every rule entered by hand;
// then the day's rooms and a save that must read back the same whenever
// the save would take it (a variant the file cannot hold whole is refused
// before writing, never saved in part).
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/planning/room_assign.h"
#include "core/planning/week_sketch.h"
#include "core/planning/week_vars.h"
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
  switch (size % 3) {
    case 0: {
      if (size > 2 && data[size - 3] % 2 == 0) {
        TSketchOptions so;
        so.Seed = o.Seed + 1;
        so.MoveBudget = 20000;
        // The moves end the run: its clock is far beyond any of them.
        so.TimeBudgetMs = so.PolishMs = 1 << 30;
        so.HonourRooms = so.SeparateParts = true;
        for (const TSketchBlock& blk : SketchWeek(m, so).Blocks)
          if (blk.Holds) (void)v.PlaceLinkedLesson(blk.Klass, blk.Lesson, false, blk.Day, blk.Start, blk.Len);
        break;
      }
      TWeekPlanOptions w;
      w.Day = o;
      w.MaxWeeks = 2;
      w.ExtraWeeks = 0;
      (void)PlanWeekAuto(m, v, w);
      break;
    }
    case 1: {
      std::vector<int32_t> all;
      for (int t = 0; t < m.Teachers.Count(); ++t) all.push_back(t);
      m.Teachers.SetGroups({all});
      TWeekSearchContext c = MakeWeekSearchContext(m, v, Shared());
      c.PlaceToFair = size % 2;
      c.GroupRow = 0;
      TWeekVarsSearch search(c);
      for (int budget = 20000; budget > 0; budget -= 500) {
        const TWeekStepResult r = search.Step(500);
        if (r == TWeekStepResult::Finished || r == TWeekStepResult::Aborted) break;
        if (budget <= 500) search.RequestAbort();
      }
      (void)OptimizeDayAuto(m, v, day, o, o.Optimize);
      break;
    }
    default:
      (void)PlanDayAuto(m, v, day, o);
      break;
  }
  (void)SetDayRooms(v, day);

  const auto saved = WriteVarImage(v, doc->Options, day);
  auto back = TVarDocument::FromImage(d, saved, "fuzz.rsp");
  if (!back) __builtin_trap();
  // What the save refuses (identifiers the file cannot hold, hours a lesson's
  // blocks do not hold) is tested elsewhere; everything it takes must come
  // back as it was saved.
  if (!VariantFitsFile(v) || FindLostLesson(v).Loss != TLessonLoss::None) return 0;
  if (!fuzzing::RoomGridAgrees(v) || !fuzzing::SameVariant(v, back->Var())) __builtin_trap();
  if (WriteVarImage(back->Var(), back->Options, back->Day) != saved) __builtin_trap();
  return 0;
}
