#include "core/planning/day_planner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/common/catalogue.h"
#include "core/common/shared_state.h"
#include "core/planning/room_assign.h"
#include "core/planning/week_sketch.h"
#include "core/planning/week_vars.h"
#include "core/project/demo_project.h"
#include "core/variant/var_file.h"
#include "core/variant/variant_fixture.h"
#include "school_gen.h"

namespace korvant {
namespace {

using testing::Build;
using testing::ProjectBuilder;

constexpr int kDay = 1;

struct RecordingPrompt : IPrompt {
  std::vector<std::string> texts;
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t) override {
    texts.push_back(text);
    return kResYes;
  }
};

// Scripted window: logs the calls; continues after each solution until
// stopAfter solutions, then stops; optionally aborts at the n-th pump.
struct ScriptHost : IPlanningHost {
  TTableVarItem* var = nullptr;
  int day = kDay;
  std::vector<std::string> log;
  std::vector<std::vector<TTableCell>> grids;
  std::vector<int> scores;
  int stopAfter = 1 << 30;
  int abortAtPump = -1;
  int pumps = 0;
  bool abortOnPartial = false;
  void Pump() override {
    ++pumps;
    if (pumps == abortAtPump) Shared().AbortPlanning = 1;
  }
  void SolutionFound() override {
    log.push_back("solution");
    if (var) {
      std::vector<TTableCell> g;
      for (int k = 0; k < var->KlassCount(); ++k)
        for (int h = 1; h <= var->LessonsPerDay(); ++h) g.push_back(var->GetCell(k, day, h));
      grids.push_back(g);
      scores.push_back(var->GetGroupWindows(day, var->Model()->CurGroup));
    }
  }
  void DeeperPartial() override {
    log.push_back("partial");
    if (abortOnPartial) Shared().AbortPlanning = 1;
  }
  void WaitWhileSet(const uint8_t&) override {
    log.push_back("wait");
    if (static_cast<int>(grids.size()) >= stopAfter || (!var && static_cast<int>(log.size()) > 0 && stopAfter == 0)) {
      log.push_back("stop");
      Shared().AbortPlanning = 1;
    } else {
      log.push_back("continue");
    }
    Shared().WaitUser = 0;
  }
  void ProgressOpen(int n) override { log.push_back("progress " + std::to_string(n)); }
  void ProgressStage(int s, int) override { log.push_back("stage " + std::to_string(s)); }
  void ProgressClose() override { log.push_back("progress close"); }
  void InfoOpen(const TSearchView&) override { log.push_back("info"); }
  void InfoActive(bool on) override { log.push_back(on ? "info on" : "info off"); }
  void InfoClose() override { log.push_back("info close"); }
};

void ResetRun() {
  SharedState& s = Shared();
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  s.SolutionsFound = 0;
  s.BestDepth = -1;
  s.FindBest = 0;
  s.UseAttachedRooms = 1;
  s.UseSepQuants = 1;
}

// Every lesson's blocks chosen for the day and in the group (as the
// optimisation finds draft lessons), then the sizes of a run.
void ChooseAll(TRunModel& m, const std::vector<int>& lengths = {}) {
  std::size_t n = 0;
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    TRTIKlassItem* klass = m.Klasses[k];
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      TRTILessonItem* l = klass->Lessons[li];
      l->SelectQuant(klass->QuantSum, n < lengths.size() ? lengths[n] : l->QuantAt(1), kDay);
      l->InGroup = 1;
      ++n;
    }
  }
}

std::vector<int32_t> AllTeachers(const TRunModel& m) {
  std::vector<int32_t> row;
  for (int t = 0; t < m.Teachers.Count(); ++t) row.push_back(t);
  return row;
}

// ---- arrangements ----

TEST(DayArrangements, TwoItemsFromTwoStartsExactSetWithDuplicatesDropped) {
  ResetRun();
  for (bool sameTeacher : {true, false}) {
    ProjectBuilder p(4);
    const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k = p.Klass();
    p.d.Klasses[0]->ChangeStartLesson(1, 1);
    p.d.Klasses[0]->ChangeStartLesson(1, 2);
    p.Lesson(k, {{s, t0}}, {1});
    p.Lesson(k, {{s, sameTeacher ? t0 : t1}}, {1});
    auto b = Build(p.d);
    TRunModel& m = *b.model;
    m.Teachers.SetGroups({AllTeachers(m)});
    m.Teachers.PrepareDaySlots(kDay);
    ChooseAll(m);
    TDayPlanner planner(m, *b.var, kDay, nullptr);
    planner.SetOptimising(true);
    planner.PrepareSizes();
    const int c = planner.EnumDayVariants(0);
    // Lessons 0 and 1 as (hour of lesson 0, hour of lesson 1).
    std::set<std::pair<int, int>> got;
    for (int n = 1; n <= planner.ArrangementCount(0); ++n) {
      int h0 = 0, h1 = 0;
      for (int h = 1; h <= 4; ++h) {
        if (planner.ArrangementItem(0, n, h) == 0) continue;
        (planner.ArrangementLesson(0, n, h) == 0 ? h0 : h1) = h;
      }
      got.insert({h0, h1});
    }
    if (sameTeacher) {
      // A1 B2 and B1 A2 give the same teacher and klass hours: one record per start.
      EXPECT_EQ(c, 2);
      EXPECT_EQ(got, (std::set<std::pair<int, int>>{{1, 2}, {2, 3}}));
    } else {
      EXPECT_EQ(c, 4);
      EXPECT_EQ(got, (std::set<std::pair<int, int>>{{1, 2}, {2, 1}, {2, 3}, {3, 2}}));
    }
    // Everything placed was taken off again: no teacher hour stays marked.
    for (int t = 0; t < m.Teachers.Count(); ++t)
      for (int h = 1; h <= 4; ++h) EXPECT_EQ(m.Teachers[t]->HourMarks[static_cast<std::size_t>(h)], -1);
  }
}

TEST(DayArrangements, ClosedHoursAndTheNoGapRule) {
  ResetRun();
  ProjectBuilder p(4);
  const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k = p.Klass();
  p.d.Klasses[0]->ChangeStartLesson(1, 1);
  p.d.Klasses[0]->SetBusy(4, 1);  // hour 4 of day 1 closed
  p.Lesson(k, {{s, t0}}, {1});
  p.Lesson(k, {{s, t1}}, {1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  ChooseAll(m);
  TDayPlanner planner(m, *b.var, kDay, nullptr);
  planner.PrepareSizes();
  // Lessons in 1..2 would leave hour 3 open before the closed hour 4.
  EXPECT_EQ(planner.EnumSelectVariants(0, 0), -1);
  // With one hour kept for other lessons the day reaches the closed hour.
  const int c = planner.EnumSelectVariants(0, 1);
  EXPECT_GT(c, 0);
  for (int n = 1; n <= planner.ArrangementCount(0); ++n) EXPECT_EQ(planner.ArrangementItem(0, n, 4), 0);

  // A closed hour inside the day is stepped over and marked; a klass
  // closed at its first allowed hours begins with its next open hour, once
  // for both starts.
  const struct {
    int hours;
    std::vector<int> starts, closed;
    int marked;              // the closed hour the arrangement marks, or 0
    std::vector<int> empty, taken;
  } cases[] = {
      {4, {1}, {2}, 2, {}, {1, 3}},
      {5, {1, 2}, {1, 2}, 0, {1}, {3, 4}},
  };
  for (const auto& c : cases) {
    ProjectBuilder q(c.hours);
    const int32_t qs = q.Subject(), qt = q.Teacher(), qk = q.Klass();
    for (int st : c.starts) q.d.Klasses[0]->ChangeStartLesson(1, st);
    for (int h : c.closed) q.d.Klasses[0]->SetBusy(h, 1);
    q.Lesson(qk, {{qs, qt}}, {1});
    q.Lesson(qk, {{qs, qt}}, {1});
    auto b2 = Build(q.d);
    b2.model->Teachers.SetGroups({AllTeachers(*b2.model)});
    b2.model->Teachers.PrepareDaySlots(kDay);
    ChooseAll(*b2.model);
    TDayPlanner p2(*b2.model, *b2.var, kDay, nullptr);
    p2.SetOptimising(true);
    p2.PrepareSizes();
    ASSERT_EQ(p2.EnumDayVariants(0), 1);
    if (c.marked) {
      EXPECT_EQ(p2.ArrangementItem(0, 1, c.marked), 0xFFFF);
    }
    for (int h : c.empty) EXPECT_EQ(p2.ArrangementItem(0, 1, h), 0);
    for (int h : c.taken) EXPECT_NE(p2.ArrangementItem(0, 1, h), 0);
  }
}

TEST(DayArrangements, TeacherlessGroupNeverInTheMiddle) {
  ResetRun();
  ProjectBuilder p(3);
  const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k = p.Klass();
  p.d.Klasses[0]->ChangeStartLesson(1, 1);
  p.Lesson(k, {{s, t0}}, {1});
  p.Lesson(k, {{s, -1}}, {1});  // a fictitious group
  p.Lesson(k, {{s, t1}}, {1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  ChooseAll(m);
  for (bool optimise : {false, true}) {
    TDayPlanner planner(m, *b.var, kDay, nullptr);
    planner.SetOptimising(optimise);
    planner.PrepareSizes();
    const int c = optimise ? planner.EnumDayVariants(0) : planner.EnumSelectVariants(0, 0);
    EXPECT_EQ(c, 4);  // the fictitious lesson first or last, the others in both orders
    for (int n = 1; n <= planner.ArrangementCount(0); ++n) EXPECT_NE(planner.ArrangementLesson(0, n, 2), 1);
  }
}

TEST(DayArrangements, SeparatedPartBesideItsParentOnlyWhenBothFixed) {
  ResetRun();
  ProjectBuilder p(3);
  const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k = p.Klass();
  p.d.Klasses[0]->ChangeStartLesson(1, 1);
  p.Lesson(k, {{s, t0}}, {1, 1}, {1});  // parent (lesson 0) and separated part (lesson 1)
  p.Lesson(k, {{s, t1}}, {1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  ASSERT_EQ(m.Klasses[0]->Lessons.Count(), 3);
  ASSERT_EQ(m.Klasses[0]->Lessons[1]->ID(), m.Klasses[0]->Lessons[0]->ID() + 1000000);
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  ChooseAll(m);
  {
    TDayPlanner planner(m, *b.var, kDay, nullptr);
    planner.SetOptimising(true);
    planner.PrepareSizes();
    ASSERT_GT(planner.EnumDayVariants(0), 0);
    for (int n = 1; n <= planner.ArrangementCount(0); ++n) EXPECT_EQ(planner.ArrangementLesson(0, n, 2), 2);
  }
  // Both fixed side by side: kept as they are.
  TRTIKlassItem* klass = m.Klasses[0];
  for (int li : {0, 1}) {
    TRTILessonItem* l = klass->Lessons[li];
    klass->QuantSum -= l->CurrentQuant();
    l->ResetQuantCursor();
    klass->SetLessonDayCount(li, 1);
    l->FixedStart = static_cast<uint16_t>(li + 1);
  }
  TDayPlanner planner(m, *b.var, kDay, nullptr);
  planner.SetOptimising(true);
  planner.PrepareSizes();
  ASSERT_EQ(planner.EnumDayVariants(0), 1);
  EXPECT_EQ(planner.ArrangementLesson(0, 1, 1), 0);
  EXPECT_EQ(planner.ArrangementLesson(0, 1, 2), 1);
  EXPECT_EQ(planner.ArrangementLesson(0, 1, 3), 2);
}

TEST(DayArrangements, AbortDuringEnumerationReturnsAtOnce) {
  ResetRun();
  ProjectBuilder p(6);
  const int32_t s = p.Subject(), k = p.Klass();
  p.d.Klasses[0]->ChangeStartLesson(1, 1);
  for (int i = 0; i < 5; ++i) p.Lesson(k, {{s, p.Teacher()}}, {1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  ChooseAll(m);
  ScriptHost host;
  host.abortAtPump = 3;
  TDayPlanner planner(m, *b.var, kDay, &host);
  planner.PumpCheckSteps = 1;
  planner.PumpIntervalMs = 0;
  planner.SetOptimising(true);
  planner.PrepareSizes();
  EXPECT_EQ(planner.EnumDayVariants(0), -1);
  EXPECT_EQ(host.pumps, 3);
  // Every try polls: the third stops it before a first arrangement is
  // complete (120 orders without the abort).
  EXPECT_EQ(planner.ArrangementCount(0), 0);
  for (int t = 0; t < m.Teachers.Count(); ++t)
    for (int h = 1; h <= 6; ++h) EXPECT_EQ(m.Teachers[t]->HourMarks[static_cast<std::size_t>(h)], -1);
  ResetRun();
}

// Lessons whose links all point at one lesson give each klass millions of
// arrangements: the day's preparation counts against the run's step budget
// like its search, and stops with it.
TEST(DayArrangements, ThePreparationCountsAgainstTheStepBudget) {
  ResetRun();
  ProjectBuilder p;
  const int32_t s = p.Subject();
  TLessonItem* hub = nullptr;
  for (int k = 0; k < 4; ++k) {
    const int32_t kid = p.Klass();
    for (int st = 1; st <= 3; ++st) p.d.Klasses[k]->ChangeStartLesson(1, st);
    for (int i = 0; i < 7; ++i) {
      TLessonItem* l = p.Lesson(kid, {{s, p.Teacher()}}, {1, 1, 2, 2});
      if (!hub) hub = l;
      else l->GetSubItem(0)->ChangeLink(1, {hub->ID(), 0});
    }
  }
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.CurGroup = 0;
  PrepareDayNorms(m, *b.var, kDay);
  TDayPlanner planner(m, *b.var, kDay, nullptr);
  planner.StepLimit = 1000;
  EXPECT_EQ(planner.SelectVariants(), TPlanOutcome::Aborted);
  EXPECT_LE(planner.Steps(), 1001u);
  int arrangements = 0;
  for (int k = 0; k < m.Klasses.Count(); ++k) arrangements += planner.ArrangementCount(k);
  EXPECT_LT(arrangements, 1000);
  ResetRun();
}

// ---- compatibility ----

struct PairSetup {
  testing::Built b;
  std::unique_ptr<TDayPlanner> planner;
};

// Two klasses, one one-hour lesson each (teachers ta, tb), starts 1..L.
PairSetup MakePair(int L, bool sharedTeacher, bool partners, bool noAttachedRoom, bool optimise, int dayMax) {
  ProjectBuilder p(L);
  const int32_t room = p.Room(), s = p.Subject();
  const int32_t ta = p.Teacher(partners ? room : -1);
  const int32_t tb = sharedTeacher ? ta : p.Teacher(partners ? room : -1);
  const int32_t k0 = p.Klass(), k1 = p.Klass();
  for (int i = 0; i < 2; ++i)
    for (int h = 1; h <= L; ++h) p.d.Klasses[i]->ChangeStartLesson(1, h);
  p.Lesson(k0, {{s, ta}}, {1})->NoAttachedRoom = noAttachedRoom ? 1 : 0;
  p.Lesson(k1, {{s, tb}}, {1})->NoAttachedRoom = noAttachedRoom ? 1 : 0;
  PairSetup r;
  r.b = Build(p.d);
  TRunModel& m = *r.b.model;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  for (int t = 0; t < m.Teachers.Count(); ++t) m.Teachers[t]->DayMaxLeft = dayMax;
  ChooseAll(m);
  r.planner = std::make_unique<TDayPlanner>(m, *r.b.var, kDay, nullptr);
  r.planner->SetOptimising(optimise);
  r.planner->PrepareSizes();
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(optimise ? r.planner->EnumDayVariants(k) : r.planner->EnumSelectVariants(k, 0), L);
    r.planner->FinishStore(k);
  }
  return r;
}

// Hour of the single lesson in arrangement n of klass k.
int HourOf(const TDayPlanner& p, int k, int n, int L) {
  for (int h = 1; h <= L; ++h)
    if (p.ArrangementItem(k, n, h) != 0) return h;
  return 0;
}

TEST(DayCompatibility, SharedTeacherHourIsIncompatible) {
  ResetRun();
  auto r = MakePair(3, true, false, false, true, 3);
  for (int a = 1; a <= 3; ++a)
    for (int c = 1; c <= 3; ++c)
      EXPECT_EQ(r.planner->Compatible(0, a, 1, c), HourOf(*r.planner, 0, a, 3) != HourOf(*r.planner, 1, c, 3));
}

TEST(DayCompatibility, PartnerHourUnlessNoAttachedRoom) {
  ResetRun();
  for (bool noAttached : {false, true}) {
    auto r = MakePair(3, false, true, noAttached, true, 3);
    for (int a = 1; a <= 3; ++a)
      for (int c = 1; c <= 3; ++c) {
        const bool same = HourOf(*r.planner, 0, a, 3) == HourOf(*r.planner, 1, c, 3);
        EXPECT_EQ(r.planner->Compatible(0, a, 1, c), noAttached || !same);
      }
  }
  // Without partners honoured at all, teachers sharing a room may meet.
  Shared().UseAttachedRooms = 0;
  auto r = MakePair(3, false, true, false, true, 3);
  for (int a = 1; a <= 3; ++a)
    for (int c = 1; c <= 3; ++c) EXPECT_TRUE(r.planner->Compatible(0, a, 1, c));
  ResetRun();
}

TEST(DayCompatibility, TeacherSpanMayNotExceedTheDayMaximum) {
  ResetRun();
  // Selection: the span limit is the teacher's DayMaxLeft (2 here).
  auto r = MakePair(4, true, false, false, false, 2);
  for (int a = 1; a <= 4; ++a)
    for (int c = 1; c <= 4; ++c) {
      const int h0 = HourOf(*r.planner, 0, a, 4), h1 = HourOf(*r.planner, 1, c, 4);
      EXPECT_EQ(r.planner->Compatible(0, a, 1, c), h0 != h1 && std::abs(h0 - h1) + 1 <= 2) << h0 << " " << h1;
    }
}

// ---- random instances against brute force ----

struct RandomDay {
  testing::Built b;
  int L = 5;
};

// A small random day: every lesson of the day sits in the draft.
RandomDay MakeRandomDay(std::mt19937& rng) {
  std::uniform_int_distribution<int> coin(0, 1), d6(0, 5);
  RandomDay r;
  r.L = 4 + coin(rng);
  ProjectBuilder p(r.L);
  const int32_t room = p.Room(), s = p.Subject();
  const int T = 3 + coin(rng);
  std::vector<int32_t> teachers;
  for (int t = 0; t < T; ++t) teachers.push_back(p.Teacher(t < 2 && coin(rng) ? room : -1));
  if (coin(rng)) p.d.Teachers[0]->SetBusy(1 + d6(rng) % r.L, {1, 0});  // a closed wish hour
  const int K = 3;
  std::vector<std::vector<TLessonItem*>> lessons(K);
  for (int k = 0; k < K; ++k) {
    const int32_t kid = p.Klass();
    TKlassItem* klass = p.d.Klasses[k];
    klass->ChangeStartLesson(1, 1);
    if (coin(rng)) klass->ChangeStartLesson(1, 2);
    if (d6(rng) == 0) klass->SetBusy(r.L, 1);
    const int n = 2 + coin(rng);
    for (int i = 0; i < n; ++i) {
      const int len = d6(rng) == 0 ? 2 : 1;
      std::uniform_int_distribution<int> pick(0, T - 1);
      lessons[static_cast<std::size_t>(k)].push_back(p.Lesson(kid, {{s, teachers[static_cast<std::size_t>(pick(rng))]}}, {len}));
    }
  }
  // A joint lesson of klasses 0 and 1 now and then.
  if (coin(rng)) {
    TLessonItem* a = p.Lesson(p.d.Klasses[0]->ID(), {{s, teachers[0]}}, {1});
    TLessonItem* c = p.Lesson(p.d.Klasses[1]->ID(), {{s, teachers[static_cast<std::size_t>(T - 1)]}}, {1});
    ProjectBuilder::Link(a, 0, c, 0);
  }
  r.b = Build(p.d);
  TRunModel& m = *r.b.model;
  m.TeachersWills = 1;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  for (int k = 0; k < K; ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      if (r.b.var->CountLessonInDay(k, li, kDay) > 0) continue;  // the joint partner is already there
      r.b.var->PlaceLinkedLesson(k, li, true, kDay, 0, klass->Lessons[li]->QuantAt(1));
    }
  }
  PrepareDayNorms(m, *r.b.var, kDay);
  for (int t = 0; t < m.Teachers.Count(); ++t) m.Teachers[t]->DayMaxLeft = r.L;
  return r;
}

std::vector<TTableCell> DayGrid(const TTableVarItem& var) {
  std::vector<TTableCell> g;
  for (int k = 0; k < var.KlassCount(); ++k)
    for (int h = 1; h <= var.LessonsPerDay(); ++h) g.push_back(var.GetCell(k, kDay, h));
  return g;
}

// The day's fair copy has no klass, teacher, partner, joint-lesson or
// closed-hour conflict.
void ExpectNoConflicts(const TRunModel& m, const TTableVarItem& var, int L, int day = kDay) {
  for (int h = 1; h <= L; ++h) {
    std::vector<int> teacherKlass(static_cast<std::size_t>(m.Teachers.Count()), -1);
    std::vector<int> teacherLessonId(static_cast<std::size_t>(m.Teachers.Count()), -1);
    for (int k = 0; k < m.Klasses.Count(); ++k) {
      const TTableCell c = var.GetCell(k, day, h);
      if (c.Lesson < 0) continue;
      EXPECT_EQ(m.Klasses[k]->GetBusy((day - 1) * kSlotsPerDay + h), 0) << "closed klass hour " << h;
      const TRTILessonItem* l = m.KlassLesson(k, c.Lesson);
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        const int t = l->GetSubItem(g)->TeacherID;
        if (t < 0) continue;
        // A joint lesson is the teacher's one lesson, counted in its lowest klass.
        bool lower = false;
        for (int i = 0; i < l->RT[static_cast<std::size_t>(g)].LinksCount(); ++i)
          if (l->RT[static_cast<std::size_t>(g)].Links[static_cast<std::size_t>(i)].Klass < k) lower = true;
        if (lower) continue;
        EXPECT_NE(m.Teachers[t]->HourMarks[static_cast<std::size_t>(h)], kHourClosed) << "closed teacher hour";
        EXPECT_EQ(teacherKlass[static_cast<std::size_t>(t)], -1) << "teacher twice at hour " << h;
        teacherKlass[static_cast<std::size_t>(t)] = k;
        teacherLessonId[static_cast<std::size_t>(t)] = l->ID();
        // The linked lesson stands at the same hour in its klass.
        const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        for (int i = 0; i < rt.LinksCount(); ++i)
          EXPECT_EQ(var.GetCell(rt.Links[static_cast<std::size_t>(i)].Klass, day, h).Lesson,
                    rt.Links[static_cast<std::size_t>(i)].Lesson);
      }
    }
    for (int t = 0; t < m.Teachers.Count(); ++t) {
      if (teacherKlass[static_cast<std::size_t>(t)] < 0) continue;
      for (int32_t p : m.Teachers[t]->Partners) {
        if (p < 0) break;
        EXPECT_EQ(teacherKlass[static_cast<std::size_t>(p)], -1) << "partners at one hour";
      }
    }
  }
}

TEST(DaySearch, RandomDaysSolutionsAreConflictFreeAndEqualBruteForce) {
  std::mt19937 rng(20240611);
  int withSolutions = 0;
  for (int round = 0; round < 25; ++round) {
    ResetRun();
    RandomDay r = MakeRandomDay(rng);
    TRunModel& m = *r.b.model;
    TTableVarItem& var = *r.b.var;
    TTableVarItem original(&m, m.Teachers.Count(), r.L, m.Klasses.Count());
    original.Assign(var);

    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    ScriptHost host;
    host.var = &var;
    TDayPlanner planner(m, var, kDay, &host);
    const TPlanOutcome out = planner.OptimizeDay();
    std::multiset<std::vector<int>> searched;
    for (const auto& g : host.grids) {
      std::vector<int> v;
      for (const TTableCell& c : g) v.push_back(c.Lesson);
      searched.insert(v);
    }
    EXPECT_EQ(out == TPlanOutcome::Solved, !host.grids.empty());

    // Brute force over the same arrangements.
    ResetRun();
    var.Assign(original);
    m.Teachers.ResetDay();
    m.Klasses.ResetDay(true);
    var.FetchDayLessons(kDay, -1);
    TDayPlanner brute(m, var, kDay, nullptr);
    brute.KeepRecords = true;
    brute.SetOptimising(true);
    brute.PrepareSizes();
    const TPlanOutcome prep = brute.PrepareArrangements(false);
    if (prep == TPlanOutcome::Failed) {  // a klass that cannot be arranged at all
      EXPECT_EQ(out, TPlanOutcome::Failed);
      continue;
    }
    ASSERT_EQ(prep, TPlanOutcome::Solved);
    const int levels = brute.View().Levels();
    std::vector<int> pick(static_cast<std::size_t>(levels), 1);
    std::multiset<std::vector<int>> all;
    while (levels > 0) {
      bool ok = true;
      for (int a = 0; a < levels && ok; ++a)
        for (int c = a + 1; c < levels && ok; ++c)
          ok = brute.Compatible(brute.LevelKlass(a), pick[static_cast<std::size_t>(a)], brute.LevelKlass(c),
                                pick[static_cast<std::size_t>(c)]);
      if (ok) {
        for (int l = 0; l < levels; ++l) brute.ApplyVariant(brute.LevelKlass(l), pick[static_cast<std::size_t>(l)], true);
        var.ClearDay(kDay);
        var.PutDayLessons(kDay);
        ExpectNoConflicts(m, var, r.L);
        std::vector<int> v;
        for (const TTableCell& c : DayGrid(var)) v.push_back(c.Lesson);
        all.insert(v);
      }
      int l = levels - 1;
      while (l >= 0 && pick[static_cast<std::size_t>(l)] == brute.View().KlassOrder[static_cast<std::size_t>(l)].Count) {
        pick[static_cast<std::size_t>(l)] = 1;
        --l;
      }
      if (l < 0) break;
      ++pick[static_cast<std::size_t>(l)];
    }
    EXPECT_EQ(searched, all) << "round " << round;
    if (!all.empty()) ++withSolutions;
  }
  EXPECT_GE(withSolutions, 5);
  ResetRun();
}

// Three klasses in two hours, each pair sharing a teacher: no day exists,
// but the search gets one level deep.
testing::Built MakeTriangle(int L) {
  ProjectBuilder p(L);
  const int32_t s = p.Subject(), tx = p.Teacher(), ty = p.Teacher(), tz = p.Teacher();
  const int32_t k0 = p.Klass(), k1 = p.Klass(), k2 = p.Klass();
  for (int i = 0; i < 3; ++i)
    for (int h = 1; h <= L; ++h) p.d.Klasses[i]->ChangeStartLesson(1, h);
  p.Lesson(k0, {{s, tx}, {s, tz}}, {1});
  p.Lesson(k1, {{s, tx}, {s, ty}}, {1});
  p.Lesson(k2, {{s, ty}, {s, tz}}, {1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({AllTeachers(m)});
  m.Teachers.PrepareDaySlots(kDay);
  for (int k = 0; k < 3; ++k) b.var->PlaceLinkedLesson(k, 0, true, kDay, 0, 1);
  PrepareDayNorms(m, *b.var, kDay);
  for (int t = 0; t < 3; ++t) m.Teachers[t]->DayMaxLeft = L;
  return b;
}

TEST(DaySearch, ImpossibleOrAbortedOptimisationMessages) {
  // Two klasses, one teacher, one hour: nothing beyond level 0.
  {
    ResetRun();
    ProjectBuilder p(1);
    const int32_t s = p.Subject(), t = p.Teacher(), k0 = p.Klass(), k1 = p.Klass();
    p.d.Klasses[0]->ChangeStartLesson(1, 1);
    p.d.Klasses[1]->ChangeStartLesson(1, 1);
    p.Lesson(k0, {{s, t}}, {1});
    p.Lesson(k1, {{s, t}}, {1});
    auto b = Build(p.d);
    b.model->Teachers.SetGroups({{0}});
    b.model->Teachers.PrepareDaySlots(kDay);
    b.var->PlaceLinkedLesson(0, 0, true, kDay, 0, 1);
    b.var->PlaceLinkedLesson(1, 0, true, kDay, 0, 1);
    PrepareDayNorms(*b.model, *b.var, kDay);
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    TDayPlanner planner(*b.model, *b.var, kDay, nullptr);
    EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::NoSolution);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], LoadResStr(10061));
    EXPECT_EQ(Shared().BestDepth, -1);
  }
  // The triangle: a partial of depth 1 is shown, then 10075.
  {
    ResetRun();
    auto b = MakeTriangle(2);
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    ScriptHost host;
    TDayPlanner planner(*b.model, *b.var, kDay, &host);
    EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::NoSolution);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], LoadResStr(10075));
    EXPECT_EQ(Shared().BestDepth, 1);
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "partial"), 1);
    // The partial stays in the variant: two klasses at different hours.
    int placed = 0;
    for (int k = 0; k < 3; ++k) placed += b.var->CountKlassFair(k, kDay);
    EXPECT_EQ(placed, 2);
  }
  // A day beyond a run's size caps (arrangements of a klass, or the bytes
  // of its arrangements and rows) is told as too large, not as impossible, and the
  // variant keeps its day.
  for (int cap = 0; cap < 2; ++cap) {
    ResetRun();
    auto b = MakeTriangle(3);
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    TDayPlanner planner(*b.model, *b.var, kDay, nullptr);
    if (cap == 0) planner.MaxArrangements = 1;
    else planner.MaxRunBytes = 0;
    EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::TooLarge);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], LoadResStr(kMsgDayTooLarge));
    EXPECT_NE(LoadResStr(kMsgDayTooLarge), LoadResStr(10061));
    for (int k = 0; k < 3; ++k) EXPECT_EQ(b.var->CountKlassDraft(k, kDay), 1);
  }
  // Aborted while a partial is shown: 10076.
  {
    ResetRun();
    auto b = MakeTriangle(2);
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    ScriptHost host;
    host.abortOnPartial = true;
    TDayPlanner planner(*b.model, *b.var, kDay, &host);
    EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Aborted);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], LoadResStr(10076));
  }
  ResetRun();
}

// A day planned group by group leaves a klass's lessons with an hour free
// between them, or beginning after the klass's first hour. Those fixed
// lessons stay where they are; the optimisation arranges the rest around
// them instead of refusing the klass.
TEST(DaySearch, OptimisationKeepsFixedLessonsThatLeaveTheKlassAGap) {
  // (hour of the fixed lesson, klass hours from 1 closed since it was placed)
  for (auto [fixedAt, closedTo] : {std::pair{2, 0}, {3, 0}, {2, 2}}) {
    ResetRun();
    ProjectBuilder p(5);
    const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k0 = p.Klass();
    p.d.Klasses[0]->ChangeStartLesson(1, 1);
    p.Lesson(k0, {{s, t0}}, {1});
    p.Lesson(k0, {{s, t1}}, {1});
    auto b = Build(p.d);
    TRunModel& m = *b.model;
    m.Teachers.SetGroups({AllTeachers(m)});
    m.Teachers.PrepareDaySlots(kDay);
    ASSERT_TRUE(b.var->PlaceLinkedLesson(0, 0, false, kDay, fixedAt, 1));
    ASSERT_TRUE(b.var->PlaceLinkedLesson(0, 1, true, kDay, 0, 1));
    for (int h = 1; h <= closedTo; ++h) m.Klasses[0]->SetBusy(h, 1);
    m.Klasses.CountDayClosedSlots();
    PrepareDayNorms(m, *b.var, kDay);
    for (int t = 0; t < m.Teachers.Count(); ++t) m.Teachers[t]->DayMaxLeft = 5;
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    ScriptHost host;
    host.var = b.var.get();
    TDayPlanner planner(m, *b.var, kDay, &host);
    EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Solved) << fixedAt;
    EXPECT_TRUE(prompt.texts.empty());
    if (closedTo > 0) {  // no allowed first hour before it: the day begins with it
      ASSERT_FALSE(host.grids.empty());
      for (const auto& g : host.grids) {
        EXPECT_EQ(g[static_cast<std::size_t>(fixedAt - 1)].Lesson, 0);
        EXPECT_EQ(g[static_cast<std::size_t>(fixedAt)].Lesson, 1) << "the other lesson right after it";
      }
      continue;
    }
    // The fixed lesson stays; the other takes an hour of the klass's day
    // before it: hour 1 only, or hours 1 and 2 with an hour free at 3.
    ASSERT_EQ(static_cast<int>(host.grids.size()), fixedAt - 1);
    std::set<int> hours;
    for (const auto& g : host.grids) {
      EXPECT_EQ(g[static_cast<std::size_t>(fixedAt - 1)].Lesson, 0);
      for (int h = 1; h < fixedAt; ++h)
        if (g[static_cast<std::size_t>(h - 1)].Lesson == 1) hours.insert(h);
    }
    EXPECT_EQ(static_cast<int>(hours.size()), fixedAt - 1);
  }
  ResetRun();
}

// The planner's messages name an unnamed klass or teacher as the lists do.
TEST(DaySearch, MessagesNameAnUnnamedKlassOrTeacherAsTheListsDo) {
  ResetRun();
  ProjectBuilder p(2);
  const int32_t s = p.Subject(), t = p.Teacher(), k0 = p.Klass();
  p.d.Klasses[0]->ChangeStartLesson(1, 1);
  p.Lesson(k0, {{s, t}}, {2});
  p.Lesson(k0, {{s, t}}, {1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  ASSERT_TRUE(m.Klasses[0]->Name().empty());
  m.Teachers.SetGroups({{0}});
  m.Teachers.PrepareDaySlots(kDay);
  // Three hours of a two-hour day, one of them fixed in the fair copy.
  ASSERT_TRUE(b.var->PlaceLinkedLesson(0, 0, false, kDay, 1, 2));
  ASSERT_TRUE(b.var->PlaceLinkedLesson(0, 1, true, kDay, 0, 1));
  PrepareDayNorms(m, *b.var, kDay);
  RecordingPrompt prompt;
  ScopedPrompt sp(&prompt);
  TDayPlanner planner(m, *b.var, kDay, nullptr);
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Failed);
  ASSERT_EQ(prompt.texts.size(), 1u);
  EXPECT_EQ(prompt.texts[0], FormatMsg(10147, {m.Klasses[0]->DisplayName()}));
  EXPECT_NE(m.Klasses[0]->DisplayName(), "");
  // Without a window the run names the klass by its place, not by a text.
  const TAutoPlanResult r = OptimizeDayAuto(m, *b.var, kDay, TAutoPlanOptions{}, false);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.FailedKlass, 0);
  EXPECT_EQ(r.Message, prompt.texts[0]);
  // A teacher who cannot give today's minimum and has no free day left.
  ASSERT_TRUE(m.Teachers[0]->Name().empty());
  b.var->ClearDay(kDay);
  m.Teachers.ResetDay();
  m.Klasses.ResetDay(false);
  TRTITeacherItem* teacher = m.Teachers[0];
  teacher->MetodicalDays = 0;
  teacher->DayMinLeft = 5;
  teacher->DayMaxLeft = 5;
  prompt.texts.clear();
  EXPECT_EQ(planner.SelectDayLessons(0), -1);
  ASSERT_EQ(prompt.texts.size(), 1u);
  EXPECT_EQ(prompt.texts[0], FormatMsg(10149, {teacher->DisplayName()}));
  EXPECT_NE(teacher->DisplayName(), "");
  ResetRun();
}

TEST(DaySearch, AbortEndsTheRunAtTheNextPoll) {
  ResetRun();
  auto b = MakeTriangle(3);
  RecordingPrompt prompt;
  ScopedPrompt sp(&prompt);
  ScriptHost host;
  host.abortAtPump = 2;
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  planner.PumpCheckSteps = 1;
  planner.PumpIntervalMs = 0;
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Aborted);
  EXPECT_EQ(host.pumps, 2);  // nothing pumped after the abort
  EXPECT_TRUE(host.grids.empty());
  EXPECT_TRUE(prompt.texts.empty());  // aborted before anything was shown
  ResetRun();
}

TEST(DaySearch, RunProtocolOrderForContinueThenStop) {
  ResetRun();
  auto b = MakeTriangle(3);  // 3! = 6 days exist
  ScriptHost host;
  host.var = b.var.get();
  host.stopAfter = 2;
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Solved);
  // Before the first solution the optimiser shows its deeper partial days.
  const std::vector<std::string> want{"progress 2", "stage 1", "stage 2", "info", "partial", "partial",
                                      "solution", "info off", "wait", "continue", "info on",
                                      "solution", "info off", "wait", "stop",
                                      "info close", "progress close"};
  EXPECT_EQ(host.log, want);
  EXPECT_EQ(Shared().SolutionsFound, 2u);
  // The variant holds the second solution shown.
  EXPECT_EQ(DayGrid(*b.var), [&] {
    std::vector<TTableCell> g;
    for (const auto& c : host.grids.back()) g.push_back(c);
    return g;
  }());
  ResetRun();
}

TEST(DaySearch, FindBestShowsStrictlyFallingScoresAndStopsAtZero) {
  std::mt19937 rng(7);
  int stoppedAtZero = 0;
  for (int round = 0; round < 20; ++round) {
    ResetRun();
    RandomDay r = MakeRandomDay(rng);
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    ScriptHost host;
    host.var = r.b.var.get();
    Shared().FindBest = 1;
    TDayPlanner planner(*r.b.model, *r.b.var, kDay, &host);
    planner.OptimizeDay();
    for (std::size_t i = 1; i < host.scores.size(); ++i) EXPECT_LT(host.scores[i], host.scores[i - 1]);
    if (!host.scores.empty()) {
      // The best shown is what the variant keeps.
      EXPECT_EQ(r.b.var->GetGroupWindows(kDay, 0), host.scores.back());
      if (host.scores.back() == 0) {
        // The day without idle hours is waited for like any other, and
        // the search ends after it.
        ++stoppedAtZero;
        const auto lastSolution = std::find(host.log.rbegin(), host.log.rend(), "solution").base();
        EXPECT_NE(std::find(lastSolution, host.log.end(), "wait"), host.log.end());
        EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "solution"), static_cast<long>(host.scores.size()));
      }
    }
  }
  EXPECT_GT(stoppedAtZero, 0);
  ResetRun();
}

// ---- norms ----

TEST(DayNorms, TeachersCountTheirOwnWorkingDays) {
  ResetRun();
  ProjectBuilder p(6);
  const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k0 = p.Klass(), k1 = p.Klass();
  p.Lesson(k0, {{s, t0}}, {1, 1, 1, 1, 1, 1});
  p.Lesson(k1, {{s, t1}}, {1, 1, 1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  // t0 teaches on days 2..5, t1 on none; klass 1 (processed last) has no day.
  for (int d = 2; d <= 5; ++d) b.var->PlaceLinkedLesson(0, 0, false, d, 1, 1);
  PrepareDayNorms(m, *b.var, 1);
  EXPECT_EQ(m.Teachers[0]->WorkDays, 5);
  EXPECT_EQ(m.Teachers[1]->WorkDays, 1);
  EXPECT_EQ(m.Klasses[0]->WorkDays, 5);
  EXPECT_EQ(m.Klasses[1]->WorkDays, 1);
  EXPECT_EQ(m.Teachers[0]->RemainingHours, 2);
  EXPECT_EQ(m.Teachers[1]->RemainingHours, 3);
  // t0: R = 2, W = 5: ceil((2 - 2) / 2) = 0; t1: R = 3, W = 1: ceil((3 - 10) / 6) = 0 (toward zero).
  EXPECT_EQ(m.Teachers[0]->DayAvg, 0);
  EXPECT_EQ(m.Teachers[1]->DayAvg, 0);
}

TEST(DaySearch, KlassWithoutLessonsTakesNoLevel) {
  ResetRun();
  ProjectBuilder p(4);
  const int32_t s = p.Subject(), t = p.Teacher(), k0 = p.Klass();
  p.Klass();  // no lessons at all
  p.d.Klasses[0]->ChangeStartLesson(1, 1);
  p.Lesson(k0, {{s, t}}, {1, 1, 1, 1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({{0}});
  m.Teachers.PrepareDaySlots(kDay);
  m.Klasses.CountDayClosedSlots();
  b.var->CountTeachersFreeDays(true, kDay);
  PrepareDayNorms(m, *b.var, kDay);
  RecordingPrompt prompt;
  ScopedPrompt sp(&prompt);
  ScriptHost host;
  host.var = b.var.get();
  host.stopAfter = 1;
  TDayPlanner planner(m, *b.var, kDay, &host);
  EXPECT_EQ(planner.SelectVariants(), TPlanOutcome::Solved);
  EXPECT_TRUE(prompt.texts.empty());
  EXPECT_EQ(planner.View().Levels(), 1);
  EXPECT_EQ(planner.View().KlassOrder[0].Klass, 0);
  ResetRun();
}

// A joint lesson of two klasses stands on the day; reading the day back
// fixes it in both klasses with its hours counted once in each.
TEST(DayFetch, JointLessonCountedOnceInEachKlass) {
  ResetRun();
  ProjectBuilder p(6);
  const int32_t s = p.Subject(), t = p.Teacher(), t2 = p.Teacher(), k0 = p.Klass(), k1 = p.Klass();
  TLessonItem* a = p.Lesson(k0, {{s, t}}, {2, 1});
  TLessonItem* c = p.Lesson(k1, {{s, t}}, {2, 1});
  ProjectBuilder::Link(a, 0, c, 0);
  p.Lesson(k1, {{s, t2}}, {1, 1});
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  ASSERT_TRUE(b.var->PlaceLinkedLesson(0, 0, false, kDay, 3, 2));
  ASSERT_TRUE(b.var->PlaceLinkedLesson(1, 1, false, kDay, 1, 1));
  m.Teachers.SetGroups({{1}});
  m.CurGroup = 0;
  m.Teachers.ResetDay();
  m.Klasses.ResetDay(false);
  b.var->FetchDayLessons(kDay, -1);
  for (int k = 0; k < 2; ++k) {
    const TRTILessonItem* joint = m.Klasses[k]->Lessons[0];
    EXPECT_TRUE(joint->IsFixed);
    EXPECT_EQ(joint->FixedLength, 2);
    EXPECT_EQ(joint->FixedStart, 3);
  }
  EXPECT_EQ(m.Klasses[0]->HoursToday, 2);
  EXPECT_EQ(m.Klasses[0]->QuantSum, 0);
  EXPECT_EQ(m.Klasses[1]->HoursToday, 3);
  EXPECT_EQ(m.Klasses[1]->QuantSum, 0);
  EXPECT_EQ(m.Teachers[0]->HoursToday, 2);
  ResetRun();
}

// Looking for the best keeps the fewest idle hours of every day the search
// can show (solutions skipped without being written are scored alike).
TEST(DaySearch, FindBestEndsOnTheFewestIdleHoursOfAllSolutions) {
  std::mt19937 rng(99);
  int compared = 0;
  for (int round = 0; round < 20; ++round) {
    ResetRun();
    RandomDay r = MakeRandomDay(rng);
    TTableVarItem original(r.b.model.get(), r.b.model->Teachers.Count(), r.L, r.b.model->Klasses.Count());
    original.Assign(*r.b.var);
    RecordingPrompt prompt;
    ScopedPrompt sp(&prompt);
    ScriptHost every;
    every.var = r.b.var.get();
    TDayPlanner all(*r.b.model, *r.b.var, kDay, &every);
    all.OptimizeDay();
    if (every.scores.empty()) continue;
    ResetRun();
    r.b.var->Assign(original);
    ScriptHost best;
    best.var = r.b.var.get();
    Shared().FindBest = 1;
    TDayPlanner search(*r.b.model, *r.b.var, kDay, &best);
    search.OptimizeDay();
    ASSERT_FALSE(best.scores.empty());
    EXPECT_EQ(best.scores.back(), *std::min_element(every.scores.begin(), every.scores.end())) << "round " << round;
    EXPECT_EQ(search.BestScore(), best.scores.back());
    ++compared;
  }
  EXPECT_GE(compared, 5);
  ResetRun();
}

// The bound on the idle hours still to come cuts branches, never the
// minimum: on random days, on days of generated schools and of the
// demonstration project, the search with and without it ends on the same
// fewest idle hours, each proved (the search ran to its end), and the
// bounded one tries fewer arrangements in all.
struct BoundRun {
  std::vector<int> scores;
  int best = -1;
  uint64_t steps = 0;
  TPlanOutcome outcome = TPlanOutcome::NoSolution;
  bool gridHoldsBest = false;
};

BoundRun OptimiseForBest(TRunModel& m, TTableVarItem& var, int day, bool bound, bool wholeDay) {
  RecordingPrompt prompt;
  ScopedPrompt sp(&prompt);
  ResetRun();
  if (wholeDay) {
    // Every lesson of the day free to move, the teachers one group.
    m.Teachers.PrepareDaySlots(day);
    m.Teachers.CountDayWishes();
    m.Klasses.CountDayClosedSlots();
    m.Teachers.SetGroups({AllTeachers(m)});
    m.CurGroup = 0;
    var.CountTeachersFreeDays(false, day);
    PrepareDayNorms(m, var, day);
    m.ReplanGroupLessons = 1;
  }
  Shared().FindBest = 1;
  ScriptHost host;
  host.var = &var;
  host.day = day;
  TDayPlanner p(m, var, day, &host);
  p.ShowPartials = false;
  p.BoundIdleHours = bound;
  BoundRun r;
  r.outcome = p.OptimizeDay();
  m.ReplanGroupLessons = 0;
  r.scores = host.scores;
  r.best = p.BestScore();
  r.steps = p.Steps();
  r.gridHoldsBest = var.GetGroupWindows(day, m.CurGroup) == r.best;
  ResetRun();
  return r;
}

void ExpectSameBest(TRunModel& m, TTableVarItem& var, int day, bool wholeDay, uint64_t& boundedSteps,
                    uint64_t& fullSteps, const std::string& what) {
  TTableVarItem original(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  original.Assign(var);
  const BoundRun full = OptimiseForBest(m, var, day, false, wholeDay);
  var.Assign(original);
  const BoundRun bounded = OptimiseForBest(m, var, day, true, wholeDay);
  var.Assign(original);
  EXPECT_EQ(bounded.outcome, full.outcome) << what;
  EXPECT_EQ(bounded.best, full.best) << what;
  if (full.outcome == TPlanOutcome::Solved) {
    EXPECT_TRUE(bounded.gridHoldsBest) << what;
    for (std::size_t i = 1; i < bounded.scores.size(); ++i) EXPECT_LT(bounded.scores[i], bounded.scores[i - 1]) << what;
    ASSERT_FALSE(bounded.scores.empty()) << what;
    EXPECT_EQ(bounded.scores.back(), full.scores.back()) << what;
  }
  boundedSteps += bounded.steps;
  fullSteps += full.steps;
}

TEST(DaySearch, IdleHourBoundKeepsTheFewestIdleHours) {
  uint64_t boundedSteps = 0, fullSteps = 0;
  std::mt19937 rng(2026);
  for (int round = 0; round < 30; ++round) {
    RandomDay r = MakeRandomDay(rng);
    ExpectSameBest(*r.b.model, *r.b.var, kDay, false, boundedSteps, fullSteps, "random " + std::to_string(round));
  }
  for (int klasses : {3, 4}) {
    auto project = GenerateSchool(klasses, 8, 2024);
    auto model = BuildRunModel(*project);
    TTableVarItem var(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
    ASSERT_EQ(PlaceWeekGreedy(var, 2024), 0);
    for (int day = 1; day <= 6; ++day)
      ExpectSameBest(*model, var, day, true, boundedSteps, fullSteps,
                     "generated " + std::to_string(klasses) + " day " + std::to_string(day));
  }
  {
    TProjectData project;
    ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), project));
    auto model = BuildRunModel(project);
    TTableVarItem var(model.get(), model->Teachers.Count(), model->L(), model->Klasses.Count());
    ASSERT_EQ(PlaceWeekGreedy(var, 2024), 0);
    for (int day : {1, 2, 4})
      ExpectSameBest(*model, var, day, true, boundedSteps, fullSteps, "demonstration day " + std::to_string(day));
  }
  EXPECT_LT(boundedSteps, fullSteps);
}

// ---- the demonstration project ----

// Answers "Да" to every question of the room assignment.
struct YesPrompt : IPrompt {
  int asked = 0;
  int ShowErrMsgText(PromptOwner, const std::string&, uint8_t) override {
    ++asked;
    return kResYes;
  }
};

// Every lesson of the week stands in the fair copy with its blocks: one
// block a day, the lengths of the lesson's block list, nothing in a draft.
void ExpectWeekComplete(const TRunModel& m, const TTableVarItem& var) {
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      const TRTILessonItem* l = klass->Lessons[li];
      std::multiset<int> want, got;
      for (int i = 1; i <= l->QuantsCount(); ++i) want.insert(l->QuantAt(i));
      for (int d = 1; d <= 6; ++d) {
        EXPECT_EQ(var.CountLessonInDraft(k, li, d), 0);
        int first = 0;
        const int n = var.FindLessonInFair(k, li, d, first);
        if (n == 0) continue;
        got.insert(n);
        for (int h = first; h < first + n; ++h) EXPECT_EQ(var.GetCell(k, d, h).Lesson, li) << "a block in two parts";
        // The lesson's own closed hours.
        for (int h = first; h < first + n; ++h) EXPECT_EQ(l->GetBusy((d - 1) * kSlotsPerDay + h), 0);
      }
      EXPECT_EQ(got, want) << klass->Name() << " lesson " << l->ID();
    }
  }
  // A teacher who wants m free days teaches on at most 6 - m days.
  for (int t = 0; t < m.Teachers.Count(); ++t) {
    int working = 0;
    for (int d = 1; d <= 6; ++d) working += var.CountTeacherFair(t, d) > 0 ? 1 : 0;
    EXPECT_LE(working, MostTeachingDays(*m.Teachers[t])) << m.Teachers[t]->Name() << " without its free days";
  }
}

// Every group that needs a room has one that is open at the slot, big
// enough for it and its linked groups and of the right strict
// specialisation; a room holds one lesson (or one joint lesson) an hour.
void ExpectRoomsSound(const TRunModel& m, const TTableVarItem& var, int day) {
  for (int h = 1; h <= m.L(); ++h) {
    std::map<int, std::pair<int, int>> used;  // room -> lowest (klass, lesson) of its linked set
    for (int k = 0; k < m.Klasses.Count(); ++k) {
      const TTableCell c = var.GetCell(k, day, h);
      const TRTILessonItem* l = m.KlassLesson(k, c.Lesson);
      if (!l) continue;
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        const TLessonSubItem* grp = l->GetSubItem(g);
        if (grp->SubjectID < 0 || grp->TeacherID < 0 || !grp->GetFictionName().empty()) continue;
        const int room = c.Rooms[static_cast<std::size_t>(g)];
        ASSERT_NE(room, kNoRoom) << "no room: day " << day << " hour " << h << " klass " << k;
        const TRoomItem* r = m.Rooms.GetItem(room);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->GetBusy((day - 1) * kSlotsPerDay + h), 0) << "closed room";
        int pupils = grp->ChildrenInGroup;
        std::pair<int, int> owner{k, c.Lesson};
        const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        for (int i = 0; i < rt.LinksCount(); ++i) {
          const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
          pupils += m.KlassLesson(link.Klass, link.Lesson)->GetSubItem(link.Group)->ChildrenInGroup;
          owner = std::min(owner, std::pair<int, int>{link.Klass, link.Lesson});
        }
        EXPECT_GE(r->MaxChildren, pupils) << r->Name();
        const TSubjectItem* subject = m.Subjects.GetItem(grp->SubjectID);
        if (r->Specialization != 0 && r->NotStrict == 0) {
          EXPECT_EQ(subject->Specialization, r->Specialization);
        }
        if (subject->Specialization != 0 && subject->NotStrict == 0) {
          EXPECT_EQ(r->Specialization, subject->Specialization);
        }
        auto [it, fresh] = used.emplace(room, owner);
        if (!fresh) {
          EXPECT_EQ(it->second, owner) << "room " << r->Name() << " twice at hour " << h;
        }
      }
    }
  }
}

// The whole week of the demonstration project plans automatically: every
// hour placed, no conflict on any day, and rooms for every group.
TEST(DayPlanAuto, DemoWeekPlansCompletelyWithRooms) {
  ResetRun();
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), d));
  auto b = Build(d);
  TRunModel& m = *b.model;
  const TWeekPlanResult r = PlanWeekAuto(m, *b.var);
  EXPECT_TRUE(r.Complete);
  EXPECT_EQ(r.Placed, r.Due);
  EXPECT_EQ(r.Due, 219);
  ExpectWeekComplete(m, *b.var);
  int placed = 0;
  for (int day = 1; day <= 6; ++day) {
    m.Teachers.PrepareDaySlots(day);
    ExpectNoConflicts(m, *b.var, m.L(), day);
    placed += r.Days[static_cast<std::size_t>(day - 1)].Placed;
    YesPrompt yes;
    ScopedPrompt sp(&yes);
    EXPECT_EQ(SetDayRooms(*b.var, day), kSetRoomsDone);
    ExpectRoomsSound(m, *b.var, day);
  }
  EXPECT_EQ(placed, r.Due);
  ResetRun();
}

// The week planner, from a sketch of the whole week or through the drafts
// alone: on the demonstration project (joint lessons, teachers sharing
// rooms) and on generated schools (light teachers wanting two free days)
// every hour stands, once a day per lesson, without a conflict, every
// klass's day is closed up and every teacher keeps its free days.
TEST(DayPlanAuto, WeeksAreCompleteAndSound) {
  TProjectData demo;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), demo));
  auto six = GenerateSchool(6, 8, 77);
  auto twelve = GenerateSchool(12, 8, 2024);
  for (int t = 0; t < twelve->Teachers.Count(); ++t)
    if (twelve->Teachers[t]->PlanLessCnt <= 14) twelve->Teachers[t]->MetodicalDays = 2;
  const struct {
    const char* name;
    const TProjectData* project;
    bool sketch;
  } cases[] = {
      {"demonstration", &demo, true},
      {"demonstration through the drafts", &demo, false},
      {"6 klasses", six.get(), true},
      {"6 klasses through the drafts", six.get(), false},
      {"12 klasses, two free days", twelve.get(), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetRun();
    Shared().UseAttachedRooms = 1;
    auto b = Build(*c.project);
    TRunModel& m = *b.model;
    TWeekPlanOptions o;
    o.TimeBudgetMs = 4000;
    o.Sketch = c.sketch;
    const TWeekPlanResult r = PlanWeekDrafts(m, *b.var, o);
    EXPECT_TRUE(r.Complete) << r.Placed << " of " << r.Due;
    ExpectWeekComplete(m, *b.var);
    for (int day = 1; day <= 6; ++day) {
      m.Teachers.PrepareDaySlots(day);
      ExpectNoConflicts(m, *b.var, m.L(), day);
      for (int k = 0; k < m.Klasses.Count(); ++k) {
        EXPECT_EQ(KlassGaps(m, *b.var, k, day), 0) << "klass " << k << " day " << day;
        int first = 0;
        for (int h = 1; h <= m.L() && first == 0; ++h)
          if (b.var->GetCell(k, day, h).Lesson >= 0) first = h;
        if (first == 0) continue;
        EXPECT_TRUE((KlassDayStarts(*m.Klasses[k], day, m.L()) >> (first - 1)) & 1u)
            << "klass " << k << " begins day " << day << " at hour " << first;
      }
    }
  }
  ResetRun();
}

// A week that cannot be made (klass 0 closed on all days but one) places
// what it can without a conflict and says what is
// left; the sketch says it broke a rule.
TEST(DayPlanAuto, AWeekThatCannotBeMadeStopsAtItsBudgetWithNotes) {
  ResetRun();
  auto d = GenerateSchool(6, 8, 77);
  for (int slot = kSlotsPerDay + 1; slot <= 6 * kSlotsPerDay; ++slot) d->Klasses[0]->SetBusy(slot, 1);
  auto b = Build(*d);
  TRunModel& m = *b.model;
  TSketchOptions so;
  so.TimeBudgetMs = 300;
  const TSketchResult sk = SketchWeek(m, so);
  EXPECT_FALSE(sk.Sound);
  EXPECT_GT(sk.Broken, 0);
  TWeekPlanOptions o;
  o.TimeBudgetMs = 2000;
  const TWeekPlanResult r = PlanWeekDrafts(m, *b.var, o);
  EXPECT_FALSE(r.Complete);
  EXPECT_GT(r.Placed, 0);
  EXPECT_FALSE(r.Notes.empty());
  // What the sketch held soundly went in by hand, the commands did the rest.
  EXPECT_EQ(r.Path, "sketch and commands");
  EXPECT_GT(r.SketchHeld, 0);
  // What stands keeps every rule: no conflict, every klass day closed up.
  for (int day = 1; day <= 6; ++day) {
    m.Teachers.PrepareDaySlots(day);
    ExpectNoConflicts(m, *b.var, m.L(), day);
    for (int k = 0; k < m.Klasses.Count(); ++k) EXPECT_EQ(KlassGaps(m, *b.var, k, day), 0) << "klass " << k << " day " << day;
  }
  ResetRun();
}

// A day too large for one run is arranged by its teachers' groups, every
// run drawing on the day's one budget: the day never takes more steps than
// that, and twice what the groups take without a limit places as many
// hours as no limit does (a group stopped by its share runs again).
TEST(DayPlanAuto, ADayArrangedByItsGroupsKeepsToItsOneBudget) {
  auto d = GenerateLargeSchool(20, 9, 5);
  auto arrange = [&](uint64_t steps, TAutoPlanResult& r) {
    ResetRun();
    auto b = Build(*d);
    TRunModel& m = *b.model;
    TSketchOptions so;
    so.Seed = 3;
    so.TimeBudgetMs = 600000;
    so.MoveBudget = 2'000'000;
    const TSketchResult sk = SketchWeek(m, so);
    EXPECT_TRUE(sk.Sound);
    for (const TSketchBlock& x : sk.Blocks) EXPECT_TRUE(b.var->PlaceLinkedLesson(x.Klass, x.Lesson, false, x.Day, x.Start, x.Len));
    for (int k = 0; k < m.Klasses.Count(); ++k)
      for (int li = 0; li < m.Klasses[k]->Lessons.Count(); ++li)
        if (b.var->CountLessonInFair(k, li, kDay) > 0) {
          EXPECT_TRUE(b.var->RemoveLesson(k, li, true, kDay, kDay, 0));
        }
    TAutoPlanOptions o;
    o.RowFallback = TAutoPlanOptions::TFallback::WhenTooLarge;
    TBudget budget(steps);
    r = OptimizeDayAuto(m, *b.var, kDay, o, false, budget);
    EXPECT_EQ(r.Outcome, TPlanOutcome::TooLarge);
    EXPECT_GT(r.Rows, 2);
    EXPECT_EQ(budget.Used(), r.Steps);
    m.Teachers.PrepareDaySlots(kDay);
    ExpectNoConflicts(m, *b.var, m.L());
    int drafts = 0;
    for (int k = 0; k < m.Klasses.Count(); ++k) drafts += b.var->CountKlassDraft(k, kDay);
    return drafts;
  };
  TAutoPlanResult free, tight, ample;
  const int left = arrange(0, free);
  EXPECT_LT(left, 20);
  arrange(free.Steps / 4, tight);
  EXPECT_LE(tight.Steps, free.Steps / 4);
  EXPECT_EQ(arrange(free.Steps * 2, ample), left);
  ResetRun();
}

// Planning one day of an empty variant reads the joint lesson placed by an
// earlier row back once: the other klass's day keeps its room.
TEST(DayPlanAuto, DemoSingleDaysPlanFromAnEmptyVariant) {
  ResetRun();
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), d));
  for (int day = 1; day <= 6; ++day) {
    auto b = Build(d);
    const TAutoPlanResult r = PlanDayAuto(*b.model, *b.var, day);
    EXPECT_TRUE(r.Ok) << "day " << day << ": " << cp1251::toUtf8(r.Message);
    EXPECT_EQ(r.DraftHours, 0);
    EXPECT_GT(r.Placed, 24);
    b.model->Teachers.PrepareDaySlots(day);
    ExpectNoConflicts(*b.model, *b.var, b.model->L(), day);
  }
  ResetRun();
}

}  // namespace
}  // namespace korvant

namespace korvant {
namespace {

// Lesson X of klass 0 and lesson Y of klass 1, one group of each linked to
// the other, with block lists that disagree: every planning command places
// only the blocks both have free, so the file gives the week back whole.
TEST(JointBlocks, EveryCommandPlacesOnlyBlocksEveryLinkedLessonHolds) {
  struct Project {
    std::vector<int> x, y;
    bool oneTeacher;
    int shared;  // hours a week the two can hold together
  };
  const Project projects[] = {
      {{2}, {1, 1}, false, 0},        // X's 2-hour block would leave Y's klass on reading
      {{1}, {2, 2, 2}, true, 0},      // a joint lesson of one teacher
      {{1, 2}, {1, 1, 1}, false, 1},  // one 1-hour block in common
  };
  enum Command { PlacementRun, WeekSearchFair, WeekSearchDraft, Optimisation };
  for (const Project& pr : projects)
    for (Command c : {PlacementRun, WeekSearchFair, WeekSearchDraft, Optimisation}) {
      SCOPED_TRACE(::testing::Message() << "project " << &pr - projects << ", command " << c);
      ResetRun();
      ProjectBuilder p;
      const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = pr.oneTeacher ? t0 : p.Teacher();
      for (int k = 0; k < 2; ++k) {
        p.Klass();
        p.d.Klasses[k]->ChildrenInKlass = 20;
        p.d.Klasses[k]->ChangeStartLesson(1, 1);
      }
      TLessonItem* x = p.Lesson(p.d.Klasses[0]->ID(), {{s, t0}}, {});
      TLessonItem* y = p.Lesson(p.d.Klasses[1]->ID(), {{s, t1}}, {});
      for (int q : pr.x) x->ChangeQuant(1, q);
      for (int q : pr.y) y->ChangeQuant(1, q);
      ProjectBuilder::Link(x, 0, y, 0);
      auto b = Build(p.d);
      TRunModel& m = *b.model;
      if (c == PlacementRun) {
        PlanDayAuto(m, *b.var, 1);
      } else {
        m.Teachers.SetGroups({AllTeachers(m)});
        TWeekSearchContext ctx = MakeWeekSearchContext(m, *b.var, Shared());
        ctx.PlaceToFair = c == WeekSearchFair ? 1 : 0;
        ctx.GroupRow = 0;
        TWeekVarsSearch search(ctx);
        search.RunToEnd();
        if (c == Optimisation)
          for (int d = 1; d <= 6; ++d) OptimizeDayAuto(m, *b.var, d, {}, true);
      }
      int placed = 0;
      for (int d = 1; d <= 6; ++d) placed += b.var->CountLessonInDay(0, 0, d);
      if (c != PlacementRun) {
        EXPECT_EQ(placed, pr.shared);
      }
      EXPECT_LE(placed, pr.shared);
      auto back = TVarDocument::FromImage(p.d, WriteVarImage(*b.var, TVarOptions{}, 1), "v.rsp");
      ASSERT_NE(back, nullptr);
      for (int k = 0; k < 2; ++k)
        for (int d = 1; d <= 6; ++d)
          for (int h = 1; h <= m.L(); ++h) {
            EXPECT_EQ(back->Var().GetCell(k, d, h), b.var->GetCell(k, d, h)) << k << " " << d << " " << h;
            EXPECT_EQ(back->Var().GetDraftCell(k, d, h), b.var->GetDraftCell(k, d, h)) << k << " " << d << " " << h;
          }
    }
}

}  // namespace
}  // namespace korvant
