#include "core/planning/week_vars.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/common/shared_state.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/table_var.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::Built;
using testing::ProjectBuilder;

// What the progress grid would show, and hooks to press the buttons.
struct Recorder : IWeekVarsObserver {
  std::vector<std::string> started;  // caption of every pass
  std::vector<int> startedRows;
  std::vector<int> placed;           // hours placed per applied pass
  int improvements = 0;
  int lastViewed = 0;
  std::function<void(int row, int pass)> onStart;
  std::function<void()> onImproved;

  void TeacherStarted(int row, const std::string& caption, int pass, int, int, int, int) override {
    started.push_back(caption);
    startedRows.push_back(row);
    if (onStart) onStart(row, pass);
  }
  void VariantsViewed(int, int viewed) override { lastViewed = viewed; }
  void Improved(int, int n, int, int) override {
    improvements = n;
    if (onImproved) onImproved();
  }
  void HoursPlaced(int, int hours) override { placed.push_back(hours); }
};

TWeekSearchContext Ctx(const Built& b, bool fair, int row = 0) {
  TWeekSearchContext c;
  c.Model = b.model.get();
  c.Var = b.var.get();
  c.PlaceToFair = fair ? 1 : 0;
  c.UseAttachedRooms = 1;
  c.UseSepQuants = 1;
  c.UseParallels = 1;
  c.OptimizeQueue = 1;
  c.TeachersWills = b.model->TeachersWills;
  c.L = b.model->L();
  c.ClassMinLessons = b.model->Params.ClassMinLessons;
  c.TeacherMinLessons = b.model->Params.TeacherMinLessons;
  c.GroupRow = row;
  return c;
}

int LessonWeekHours(const TTableVarItem& v, int k, int l) {
  int n = 0;
  for (int d = 1; d <= 6; ++d) n += v.CountLessonInDay(k, l, d);
  return n;
}

// ---- ranks and norms ----

TEST(WeekVars, DayRanksTurnByOneDayPerLesson) {
  auto order = [](int lesson) {
    const auto ranks = DayRanksOf(lesson);
    std::vector<int> days(6);
    for (int d = 1; d <= 6; ++d) days[static_cast<std::size_t>(ranks[static_cast<std::size_t>(d - 1)] - 1)] = d;
    return days;
  };
  EXPECT_EQ(order(0), (std::vector<int>{1, 4, 2, 5, 3, 6}));
  EXPECT_EQ(order(1), (std::vector<int>{6, 3, 1, 4, 2, 5}));
  EXPECT_EQ(order(6), order(0));
}

TEST(WeekVars, MemberNorms) {
  struct Case {
    int weekly, free, L, tmin;
    TMemberNorms want;
  };
  const Case cases[] = {
      {20, 0, 8, 2, {2, 6}},   {30, 1, 8, 2, {2, 7}},  {5, 0, 8, 2, {0, 6}},
      {40, 0, 12, 3, {3, 7}},  {50, 0, 12, 3, {3, 9}}, {6, 0, 5, 2, {1, 5}},
      {10, 6, 8, 2, {0, 8}},   // W = 0: no day to teach on
      {10, 9, 8, 2, {0, 8}},   // more free days than the week: as W = 0
      {10, -3, 8, 2, {1, 6}},  // negative wish: no free day
      {0, 0, 8, 2, {0, 6}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ComputeMemberNorms(c.weekly, c.free, c.L, c.tmin), c.want)
        << c.weekly << " " << c.free << " " << c.L << " " << c.tmin;
}

TEST(WeekVars, KlassNorms) {
  struct Case {
    int weekly, days, L, cmin, longest;
    TKlassNorms want;
  };
  const Case cases[] = {
      {30, 6, 8, 4, 2, {4, 6, 1}},
      {32, 6, 8, 4, 2, {4, 6, 2}},
      {5, 6, 8, 4, 2, {0, 2, 1}},    // raised to the longest quant
      {10, 3, 8, 4, 10, {3, 8, 1}},  // a quant longer than the day: capped at L
      {40, 6, 8, 4, 1, {4, 7, 4}},
      {60, 6, 8, 4, 1, {4, 8, 6}},   // more than fits: every day at the maximum
      {12, 1, 8, 4, 2, {4, 8, 1}},
      {20, 0, 8, 4, 2, {0, 0, 0}},   // D = 0: the klass takes nothing
  };
  for (const Case& c : cases)
    EXPECT_EQ(ComputeKlassNorms(c.weekly, c.days, c.L, c.cmin, c.longest), c.want)
        << c.weekly << " " << c.days << " " << c.L << " " << c.cmin << " " << c.longest;
}

TEST(WeekVars, KlassTablesCountWorkingDaysAndCapAtL) {
  ProjectBuilder p(4);
  const int32_t s = p.Subject(), t = p.Teacher(), k = p.Klass(), k2 = p.Klass();
  p.Lesson(k, {{s, t}}, {6});
  p.Lesson(k2, {{s, t}}, {1});
  TKlassItem* closed = p.d.Klasses.GetItem(1);
  for (int slot = 1; slot <= kWeekSlots; ++slot) closed->SetBusy(slot, 1);
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0}});
  TWeekVarsSearch s1(Ctx(b, false));
  EXPECT_EQ(s1.KlassLoads()[0].MaxPerDay, 4);
  EXPECT_EQ(s1.KlassLoads()[1].MaxPerDay, 0);
  EXPECT_EQ(s1.KlassLoads()[1].Closed[0], 4);
  // Neither lesson fits anywhere: nothing is written.
  EXPECT_EQ(s1.RunToEnd(), TWeekStepResult::Finished);
  for (int d = 1; d <= 6; ++d) EXPECT_TRUE(b.var->DayIsEmpty(d));
}

// ---- placing ----

struct OneTeacher : ::testing::Test {
  ProjectBuilder p;
  int32_t subj = p.Subject(), teacher = p.Teacher(), klass = p.Klass();
};

TEST_F(OneTeacher, FirstVariantFollowsTheRanks) {
  p.Lesson(klass, {{subj, teacher}}, {1, 1, 1, 2});
  for (bool fair : {false, true}) {
    auto b = Build(p.d);
    b.model->Teachers.SetGroups({{0}});
    TWeekVarsSearch s(Ctx(b, fair));
    EXPECT_EQ(s.RunToEnd(), TWeekStepResult::Finished);
    const TTableVarItem& v = *b.var;
    auto hours = [&](int d) { return fair ? v.CountLessonInFair(0, 0, d) : v.CountLessonInDraft(0, 0, d); };
    EXPECT_EQ(hours(1), 1);  // Monday
    EXPECT_EQ(hours(4), 1);  // Thursday
    EXPECT_EQ(hours(2), 1);  // Tuesday
    EXPECT_EQ(hours(5), 2);  // Friday: the 2-hour quant
    EXPECT_EQ(hours(3) + hours(6), 0);
    if (fair) {
      int first = 0;
      EXPECT_EQ(v.FindLessonInFair(0, 0, 5, first), 2);
      EXPECT_EQ(first, 1);
      EXPECT_EQ(v.CountKlassDraft(0, 0), 0);
    } else {
      EXPECT_EQ(v.CountKlassFair(0, 0), 0);
    }
    EXPECT_EQ(s.ApplyFailures(), 0);
  }
}

TEST_F(OneTeacher, FixedQuantsKeepTheirDays) {
  const int32_t a = p.Lesson(klass, {{subj, teacher}}, {1, 1})->ID();
  const int32_t c = p.Lesson(klass, {{subj, teacher}}, {2})->ID();
  for (bool fair : {true, false}) {
    auto b = Build(p.d);
    TTableVarItem& v = *b.var;
    const int la = testing::LessonIndex(*b.model, 0, a), lc = testing::LessonIndex(*b.model, 0, c);
    ASSERT_TRUE(v.PlaceLinkedLesson(0, la, false, 3, 3, 1));  // fair, Wednesday hour 3
    ASSERT_TRUE(v.PlaceLinkedLesson(0, lc, true, 2, 0, 2));   // draft, Tuesday
    b.model->Teachers.SetGroups({{0}});
    TWeekVarsSearch s(Ctx(b, fair));
    EXPECT_EQ(s.RunToEnd(), TWeekStepResult::Finished);
    int first = 0;
    EXPECT_EQ(v.FindLessonInFair(0, la, 3, first), 1);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(LessonWeekHours(v, 0, la), 2);
    EXPECT_EQ(LessonWeekHours(v, 0, lc), 2);
    if (fair) {
      // The draft quant received an hour and moved into the fair copy.
      EXPECT_EQ(v.FindLessonInFair(0, lc, 2, first), 2);
      EXPECT_EQ(first, 1);
      EXPECT_EQ(v.CountKlassDraft(0, 0), 0);
      EXPECT_EQ(v.CountLessonInFair(0, la, 1), 1);  // the free quant: Monday
    } else {
      // Drafts only: the draft quant stays, the new one goes to a draft.
      EXPECT_EQ(v.CountLessonInDraft(0, lc, 2), 2);
      EXPECT_EQ(v.CountLessonInDraft(0, la, 1), 1);
      EXPECT_EQ(v.CountKlassFair(0, 0), 1);
    }
    EXPECT_EQ(s.ApplyFailures(), 0);
  }
}

TEST_F(OneTeacher, HoursMatchingNoQuantUseUpQuanta) {
  const int32_t a = p.Lesson(klass, {{subj, teacher}}, {1, 1, 2})->ID();
  auto b = Build(p.d);
  TTableVarItem& v = *b.var;
  const int la = testing::LessonIndex(*b.model, 0, a);
  // Three hours on Monday by hand (a merged block), one in Tuesday's draft
  // beside one in its fair copy.
  ASSERT_TRUE(v.PlaceLinkedLesson(0, la, false, 1, 1, 3));
  ASSERT_TRUE(v.PlaceLinkedLesson(0, la, false, 2, 1, 1));
  ASSERT_TRUE(v.PlaceLinkedLesson(0, la, true, 2, 0, 1));
  b.model->Teachers.SetGroups({{0}});
  for (bool fair : {true, false}) {
    auto ctx = Ctx(b, fair);
    TWeekVarsSearch s(ctx);
    s.RunToEnd();
    EXPECT_EQ(LessonWeekHours(v, 0, la), 5);
    EXPECT_EQ(s.ApplyFailures(), 0);
  }
}

TEST(WeekVarsJoint, JointLessonIsSearchedOnceAndCountedOnce) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), t = p.Teacher(), k1 = p.Klass(), k2 = p.Klass();
  TLessonItem* a = p.Lesson(k1, {{s, t}}, {1, 1});
  TLessonItem* c = p.Lesson(k2, {{s, t}}, {1, 1});
  ProjectBuilder::Link(a, 0, c, 0);
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0}});
  Recorder rec;
  TWeekVarsSearch search(Ctx(b, true), &rec);
  ASSERT_EQ(search.Members().size(), 1u);
  EXPECT_EQ(search.Members()[0].WeeklyHours, 2);
  EXPECT_EQ(search.RunToEnd(), TWeekStepResult::Finished);
  EXPECT_EQ(LessonWeekHours(*b.var, 0, 0), 2);
  EXPECT_EQ(LessonWeekHours(*b.var, 1, 0), 2);
  for (int d = 1; d <= 6; ++d)
    for (int h = 1; h <= 8; ++h)
      EXPECT_EQ(b.var->GetCell(0, d, h).Lesson, b.var->GetCell(1, d, h).Lesson) << d << " " << h;
  EXPECT_EQ(rec.placed, std::vector<int>{2});
}

TEST(WeekVarsParallels, ParallelLessonsShareTheirDays) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), t = p.Teacher(), k0 = p.Klass(), k1 = p.Klass();
  p.d.Klasses.GetItem(0)->ChangeParallel(1, k1);
  p.d.Klasses.GetItem(1)->ChangeParallel(1, k0);
  p.Lesson(k0, {{s, t}}, {1});
  p.Lesson(k1, {{s, t}}, {1});
  for (bool parallels : {true, false}) {
    auto b = Build(p.d);
    b.model->Teachers.SetGroups({{0}});
    auto ctx = Ctx(b, false);
    ctx.UseParallels = parallels ? 1 : 0;
    Recorder rec;
    TWeekVarsSearch search(ctx, &rec);
    search.RunToEnd();
    EXPECT_EQ(b.var->CountLessonInDraft(0, 0, 1), 1);
    // Monday for both with parallels; otherwise the first full variant,
    // which starts the second lesson on Saturday.
    EXPECT_EQ(b.var->CountLessonInDraft(1, 0, parallels ? 1 : 6), 1) << parallels;
  }
}

// ---- day layouts ----

struct Layouts : ::testing::Test {
  ProjectBuilder p{12};
  int32_t subj = p.Subject(), teacher = p.Teacher(), klass = p.Klass();
  int32_t la = p.Lesson(klass, {{subj, teacher}}, {1})->ID();
  int32_t lb = p.Lesson(klass, {{subj, teacher}}, {2})->ID();
  int32_t lc = p.Lesson(klass, {{subj, teacher}}, {1}, {1})->ID();  // with a separated part
  Built b;
  TLinkedLists lists[4];

  void Make() {
    b = Build(p.d);
    for (int i = 0; i < 4; ++i) b.model->Klasses.CollectLinkedLessons(0, i, lists[i]);
  }
  TPlacementRec Rec(int lesson, int length, int fixedHour = 0, int day = 1) {
    TPlacementRec r;
    r.Teacher = 0;
    r.LessonIndex = lesson;
    r.LessonID = b.model->Klasses[0]->Lessons[lesson]->ID();
    r.Length = length;
    r.Day = static_cast<uint8_t>(day);
    r.Fixed = fixedHour > 0;
    r.FixedHour = fixedHour;
    r.Hour = fixedHour;
    r.Links = &lists[lesson];
    return r;
  }
  bool Check(std::vector<TPlacementRec>& recs, bool sep = true) {
    auto ctx = Ctx(b, true);
    ctx.UseSepQuants = sep ? 1 : 0;
    TWeekVarsSearch s(ctx);
    return s.CheckDayLayouts(recs);
  }
  void CloseTeacher(int day, int from, int to) {
    TTeacherItem* t = p.d.Teachers.GetItem(0);
    if (t == nullptr) return;
    for (int h = from; h <= to; ++h) t->SetBusy((day - 1) * kSlotsPerDay + h, {1, 0});
  }
};

TEST_F(Layouts, QuantaStayWithinNineHours) {
  CloseTeacher(1, 2, 10);
  Make();
  std::vector<TPlacementRec> recs{Rec(0, 1), Rec(3, 1)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 11);
  EXPECT_EQ(recs[1].Hour, 12);
  // Open hours 1 and 11 lie ten hours apart: no layout.
  CloseTeacher(1, 12, 12);
  Make();
  recs = {Rec(0, 1), Rec(3, 1)};
  EXPECT_FALSE(Check(recs));
}

TEST_F(Layouts, FixedHoursAreKeptAndTheFewestWindowsWin) {
  Make();
  std::vector<TPlacementRec> recs{Rec(0, 1, 10), Rec(1, 2)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 10);
  EXPECT_EQ(recs[1].Hour, 8);  // 8-9 before 11-12: the first layout without windows
}

TEST_F(Layouts, FirstOfEquallyGoodLayoutsWins) {
  Make();
  std::vector<TPlacementRec> recs{Rec(0, 1), Rec(1, 2)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 1);
  EXPECT_EQ(recs[1].Hour, 2);
  recs = {Rec(1, 2), Rec(0, 1)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 1);
  EXPECT_EQ(recs[1].Hour, 3);
  // A klass hour that is taken pushes the day on.
  b.var->PlaceLinkedLesson(0, 3, false, 1, 1, 1);
  recs = {Rec(0, 1), Rec(1, 2)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 2);
  EXPECT_EQ(recs[1].Hour, 3);
}

TEST_F(Layouts, DaysWithOnlyFixedHoursNeedNoLayout) {
  Make();
  std::vector<TPlacementRec> recs{Rec(0, 1, 4), Rec(1, 2, 6, 2)};
  EXPECT_FALSE(Check(recs));  // no day needs a layout
  recs.push_back(Rec(3, 1, 0, 3));
  EXPECT_TRUE(Check(recs));
  EXPECT_EQ(recs[2].Hour, 1);
}

TEST_F(Layouts, SeparatedPartNotBesideItsParent) {
  Make();
  // Lesson 2 is the parent, lesson 3 its separated part.
  ASSERT_EQ(b.model->Klasses[0]->Lessons[3]->ID(), b.model->Klasses[0]->Lessons[2]->ID() + kSepLessonIDOffset);
  std::vector<TPlacementRec> recs{Rec(2, 1), Rec(3, 1)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 1);
  EXPECT_EQ(recs[1].Hour, 3);
  recs = {Rec(2, 1), Rec(3, 1)};
  ASSERT_TRUE(Check(recs, false));
  EXPECT_EQ(recs[1].Hour, 2);
  // Parent fixed at 4: its part may not take 3 or 5.
  recs = {Rec(2, 1, 4), Rec(3, 1)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[1].Hour, 2);
  // Both fixed side by side stay; another lesson fills the day.
  recs = {Rec(2, 1, 4), Rec(3, 1, 5), Rec(0, 1)};
  ASSERT_TRUE(Check(recs));
  EXPECT_EQ(recs[0].Hour, 4);
  EXPECT_EQ(recs[1].Hour, 5);
  EXPECT_EQ(recs[2].Hour, 3);
}

// ---- teachers' order, Enough and Abort ----

struct TwoTeachers : ::testing::Test {
  ProjectBuilder p;
  int32_t s = p.Subject();
  int32_t t0 = p.Teacher(), t1 = p.Teacher();
  int32_t k0 = p.Klass(), k1 = p.Klass();
  void SetUp() override {
    p.d.Teachers.GetItem(0)->SetName("T0");
    p.d.Teachers.GetItem(1)->SetName("T1");
    p.Lesson(k0, {{s, t0}}, {1});
    p.Lesson(k0, {{s, t0}}, {1, 1});
    p.Lesson(k1, {{s, t1}}, {1, 1, 1, 1});
    p.Lesson(k1, {{s, t1}}, {2});
  }
};

TEST_F(TwoTeachers, QueueOrder) {
  for (bool optimize : {false, true}) {
    auto b = Build(p.d);
    b.model->Teachers.SetGroups({{0, 1}});
    auto ctx = Ctx(b, false);
    ctx.OptimizeQueue = optimize ? 1 : 0;
    Recorder rec;
    TWeekVarsSearch search(ctx, &rec);
    EXPECT_EQ(search.Step(1 << 20), TWeekStepResult::TeacherDone);
    EXPECT_EQ(search.Step(1 << 20), TWeekStepResult::Finished);
    EXPECT_EQ(search.Step(1), TWeekStepResult::Finished);
    // In row order; optimised, the teacher with more to place goes first.
    EXPECT_EQ(rec.started, optimize ? (std::vector<std::string>{"T1", "T0"}) : (std::vector<std::string>{"T0", "T1"}));
    EXPECT_EQ(rec.startedRows, (std::vector<int>{0, 1}));
  }
}

TEST_F(TwoTeachers, EnoughAppliesTheBestSoFar) {
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0, 1}});
  auto ctx = Ctx(b, false);
  ctx.OptimizeQueue = 0;
  Recorder rec;
  TWeekVarsSearch search(ctx, &rec);
  rec.onImproved = [&] {
    if (search.Position() == 0) search.RequestEnough();
  };
  EXPECT_EQ(search.RunToEnd(), TWeekStepResult::Finished);
  // The first improvement holds the lesson with the fewest variants only.
  EXPECT_EQ(LessonWeekHours(*b.var, 0, 0), 1);
  EXPECT_EQ(LessonWeekHours(*b.var, 0, 1), 0);
  ASSERT_EQ(rec.placed.size(), 2u);
  EXPECT_EQ(rec.placed[0], 1);
  // The next teacher is searched in full.
  EXPECT_EQ(rec.placed[1], 6);
  EXPECT_EQ(LessonWeekHours(*b.var, 1, 0) + LessonWeekHours(*b.var, 1, 1), 6);
}

TEST_F(TwoTeachers, AbortKeepsEarlierTeachers) {
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0, 1}});
  auto ctx = Ctx(b, true);
  ctx.OptimizeQueue = 0;
  Recorder rec;
  TWeekVarsSearch search(ctx, &rec);
  rec.onImproved = [&] {
    if (search.Position() == 1) search.RequestAbort();
  };
  EXPECT_EQ(search.RunToEnd(), TWeekStepResult::Aborted);
  EXPECT_EQ(search.Step(10), TWeekStepResult::Aborted);
  EXPECT_EQ(LessonWeekHours(*b.var, 0, 0) + LessonWeekHours(*b.var, 0, 1), 3);
  EXPECT_EQ(b.var->CountKlassFair(1, 0) + b.var->CountKlassDraft(1, 0), 0);
  // The aborted teacher's tables are back as they were.
  for (int d = 1; d <= 6; ++d) EXPECT_EQ(search.TeacherLoads()[1].Total(d), 0);
}

TEST_F(TwoTeachers, AbortDuringThePreCount) {
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0, 1}});
  TWeekVarsSearch search(Ctx(b, true));
  EXPECT_EQ(search.Step(1), TWeekStepResult::Running);
  search.RequestAbort();
  EXPECT_EQ(search.Step(1), TWeekStepResult::Aborted);
  for (int d = 1; d <= 6; ++d) EXPECT_TRUE(b.var->DayIsEmpty(d));
  for (const auto& tl : search.TeacherLoads())
    for (int d = 1; d <= 6; ++d) EXPECT_EQ(tl.Total(d), 0);
}

TEST(WeekVarsEmpty, TeacherWithoutLessonsIsDoneAtOnce) {
  ProjectBuilder p;
  p.Teacher();
  const int32_t t = p.Teacher(), s = p.Subject(), k = p.Klass();
  p.Lesson(k, {{s, t}}, {1});
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0, 1}});
  auto ctx = Ctx(b, true);
  ctx.OptimizeQueue = 0;
  Recorder rec;
  TWeekVarsSearch search(ctx, &rec);
  EXPECT_EQ(search.Step(1), TWeekStepResult::TeacherDone);
  EXPECT_EQ(search.RunToEnd(), TWeekStepResult::Finished);
  EXPECT_EQ(LessonWeekHours(*b.var, 0, 0), 1);
  EXPECT_TRUE(rec.placed == std::vector<int>{1});
}

TEST(WeekVarsPartners, SecondPassWithoutTheAttachedRoom) {
  // Two teachers share a room of 2 hours a day; the second cannot fit its
  // lesson beside the first, only in a second pass.
  ProjectBuilder p(2);
  const int32_t room = p.Room(), s = p.Subject();
  const int32_t t0 = p.Teacher(room), t1 = p.Teacher(room);
  p.d.Teachers.GetItem(0)->SetName("A");
  p.d.Teachers.GetItem(1)->SetName("B");
  const int32_t k0 = p.Klass(), k1 = p.Klass();
  p.Lesson(k0, {{s, t0}}, {2, 2, 2, 2, 2, 2});
  p.Lesson(k1, {{s, t1}}, {1});
  auto b = Build(p.d);
  b.model->Teachers.SetGroups({{0, 1}});
  auto ctx = Ctx(b, true);
  ctx.OptimizeQueue = 0;
  Recorder rec;
  TWeekVarsSearch search(ctx, &rec);
  EXPECT_EQ(search.RunToEnd(), TWeekStepResult::Finished);
  EXPECT_EQ(rec.started, (std::vector<std::string>{"A", "B", "B (2)"}));
  EXPECT_EQ(LessonWeekHours(*b.var, 0, 0), 12);
  EXPECT_EQ(LessonWeekHours(*b.var, 1, 0), 1);
  // In a room of the lesson's own (a fictitious room name) the first
  // teacher leaves the attached room free: in the drafts the second
  // teacher fits at once.
  p.d.Lessons.GetItem(0)->GetSubItem(0)->SetFictionName("Hall");
  auto b2 = Build(p.d);
  b2.model->Teachers.SetGroups({{0, 1}});
  Recorder rec2;
  TWeekVarsSearch search2(Ctx(b2, false), &rec2);
  EXPECT_EQ(search2.RunToEnd(), TWeekStepResult::Finished);
  EXPECT_EQ(rec2.started.size(), 2u);
  EXPECT_EQ(LessonWeekHours(*b2.var, 1, 0), 1);
  EXPECT_EQ(search2.TeacherLoads()[0].Attached, (TDayCounts{}));
  EXPECT_EQ(ImprovementsText(3, 1), "3 (1)");
  EXPECT_EQ(ImprovementsText(3, -1), "3");
}

// ---- the demonstration project ----

// Conflicts in the fair copy: a teacher in two lessons that are not one
// linked set, closed teacher or klass hours, partners in their room at
// once, a lesson with more hours than it has.
std::vector<std::string> Conflicts(const TRunModel& m, const TTableVarItem& v, bool partners) {
  std::vector<std::string> out;
  const int L = m.L();
  auto linked = [&](int k1, int l1, int k2, int l2) {
    TLinkedLists lists;
    m.Klasses.CollectLinkedLessons(k1, l1, lists);
    for (int i = 0; i < lists.LessonCount(); ++i)
      if (lists.Lessons[static_cast<std::size_t>(i)] == TLinkEntry{static_cast<uint16_t>(k2), static_cast<uint16_t>(l2)})
        return true;
    return false;
  };
  for (int d = 1; d <= 6; ++d)
    for (int h = 1; h <= L; ++h) {
      const std::string at = " day " + std::to_string(d) + " hour " + std::to_string(h);
      std::vector<std::vector<std::pair<int, int>>> byTeacher(static_cast<std::size_t>(m.Teachers.Count()));
      for (int k = 0; k < m.Klasses.Count(); ++k) {
        const int l = v.GetCell(k, d, h).Lesson;
        if (l < 0) continue;
        const TRTIKlassItem* klass = m.Klasses[k];
        const uint32_t starts = KlassDayStarts(*klass, d, L);
        if (klass->IsSlotClosed((d - 1) * kSlotsPerDay + h, l) || (starts & ((1u << h) - 1)) == 0)
          out.push_back("klass closed" + at);
        const TRTILessonItem* lesson = klass->Lessons[l];
        for (int g = 0; g < lesson->SubItemsCount(); ++g) {
          const int t = lesson->GetSubItem(g)->TeacherID;
          if (t < 0) continue;
          byTeacher[static_cast<std::size_t>(t)].push_back({k, l});
          if (TeacherHourClosed(m.Teachers[t]->GetBusy((d - 1) * kSlotsPerDay + h), m.TeachersWills))
            out.push_back("teacher closed" + at);
        }
      }
      for (std::size_t t = 0; t < byTeacher.size(); ++t) {
        const auto& ls = byTeacher[t];
        for (std::size_t i = 1; i < ls.size(); ++i)
          if (!linked(ls[0].first, ls[0].second, ls[i].first, ls[i].second)) out.push_back("teacher twice" + at);
        if (!partners || ls.empty()) continue;
        for (int32_t q : m.Teachers[static_cast<int>(t)]->Partners) {
          if (q < 0) break;
          for (const auto& a : ls)
            for (const auto& c : byTeacher[static_cast<std::size_t>(q)])
              if (!m.KlassLesson(a.first, a.second)->NoAttachedRoom && !m.KlassLesson(c.first, c.second)->NoAttachedRoom &&
                  !linked(a.first, a.second, c.first, c.second))
                out.push_back("partners" + at);
        }
      }
    }
  for (int k = 0; k < m.Klasses.Count(); ++k)
    for (int l = 0; l < m.Klasses[k]->Lessons.Count(); ++l)
      if (LessonWeekHours(v, k, l) > m.Klasses[k]->Lessons[l]->QuantsSum())
        out.push_back("too many hours, klass " + std::to_string(k) + " lesson " + std::to_string(l));
  return out;
}

TEST(WeekVarsDemo, EveryGroupPlacesWithoutConflicts) {
  TProjectData project;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), project));
  int groups = 0;
  {
    auto b = Build(project);
    b.model->Teachers.BuildGroups(*b.var, true, 1);
    groups = b.model->Teachers.GroupCount();
  }
  ASSERT_GT(groups, 0);
  int partnerChecked = 0, placedAny = 0;
  for (bool fair : {true, false})
    for (int row = 0; row < groups; ++row) {
      auto b = Build(project);
      b.model->Teachers.BuildGroups(*b.var, true, 1);
      Recorder rec;
      TWeekVarsSearch search(Ctx(b, fair, row), &rec);
      // A bounded search per teacher, as a user pressing "Дальше" would.
      int steps = 0;
      for (;;) {
        const TWeekStepResult r = search.Step(2000);
        if (r == TWeekStepResult::Finished) break;
        ASSERT_NE(r, TWeekStepResult::Aborted);
        if (r == TWeekStepResult::TeacherDone) steps = 0;
        if (r == TWeekStepResult::Running && ++steps >= 20) search.RequestEnough();
      }
      bool secondPass = false;
      for (const std::string& c : rec.started) secondPass = secondPass || c.ends_with(" (2)");
      if (!secondPass) ++partnerChecked;
      for (int h : rec.placed) placedAny += h;
      EXPECT_EQ(search.ApplyFailures(), 0) << row;
      EXPECT_EQ(Conflicts(*b.model, *b.var, !secondPass), std::vector<std::string>{}) << "row " << row;
      for (int k = 0; k < b.model->Klasses.Count(); ++k)
        for (int d = 1; d <= 6; ++d)
          EXPECT_LE(b.var->CountKlassFair(k, d) + b.var->CountKlassDraft(k, d), b.model->L());
    }
  EXPECT_GT(placedAny, 0);
  EXPECT_GT(partnerChecked, 0);
}

}  // namespace
}  // namespace korvant
