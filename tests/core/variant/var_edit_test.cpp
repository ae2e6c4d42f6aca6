#include <gtest/gtest.h>

#include "core/variant/joint_blocks.h"
#include "core/variant/table_var.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::ProjectBuilder;

// Three klasses; lesson 0 of each is one joint lesson (groups linked
// pairwise) of teacher 0; each klass has more lessons of teachers 1 and 2.
struct JointFixture : ::testing::Test {
  ProjectBuilder p{8};
  testing::Built b;
  void SetUp() override {
    for (int i = 0; i < 3; ++i) p.Room();
    const int32_t s = p.Subject(4), s2 = p.Subject(6);
    for (int i = 0; i < 3; ++i) p.Teacher();
    TLessonItem* joint[3];
    for (int k = 0; k < 3; ++k) {
      const int32_t kid = p.Klass();
      joint[k] = p.Lesson(kid, {{s, 0}}, {1, 2});
      p.Lesson(kid, {{s2, 1}}, {1, 2});
      p.Lesson(kid, {{s, 2}, {s2, 1}}, {1});
    }
    ProjectBuilder::Link(joint[0], 0, joint[1], 0);
    ProjectBuilder::Link(joint[0], 0, joint[2], 0);
    ProjectBuilder::Link(joint[1], 0, joint[2], 0);
    b = Build(p.d);
  }
  TTableVarItem& v() { return *b.var; }
  TRunModel& m() { return *b.model; }
};

TEST_F(JointFixture, CollectLinkedLessonsListsEveryKlassAndTeacherOnce) {
  TLinkedLists lists;
  ASSERT_TRUE(m().Klasses.CollectLinkedLessons(1, 0, lists));
  EXPECT_EQ(lists.LessonCount(), 3);
  EXPECT_EQ(lists.Lessons[0], (TLinkEntry{1, 0}));
  EXPECT_EQ(lists.TeacherCount(), 1);
  EXPECT_EQ(lists.Teachers[0].A, 0);
  EXPECT_EQ(lists.Teachers[0].B, 0);  // the lowest of the teacher's three copies
  EXPECT_EQ(lists.Lessons[3], TLinkEntry{});
  ASSERT_TRUE(m().Klasses.CollectLinkedLessons(0, 2, lists));
  EXPECT_EQ(lists.LessonCount(), 1);
  EXPECT_EQ(lists.TeacherCount(), 2);
}

TEST_F(JointFixture, JointLessonIsCountedOnceByTeacherQueries) {
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, false, 2, 3, 2));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(v().CountLessonInFair(k, 0, 2), 2);
    EXPECT_EQ(v().GetCell(k, 2, 4).PrevHour, 3);
    EXPECT_EQ(v().GetCell(k, 2, 3).PrevHour, -1);
  }
  EXPECT_EQ(v().CountTeacherFair(0, 2), 2);
  int k = -7, g = -7, links = -7;
  ASSERT_TRUE(v().FindTeacherLesson(0, 3, 2, k, g, links));
  EXPECT_EQ(k, 0);
  EXPECT_EQ(links, 2);
  k = -7;
  EXPECT_FALSE(v().FindTeacherLesson(0, 5, 2, k, g, links));
  EXPECT_EQ(k, -7);
  EXPECT_EQ(v().GetTeacherMaxBlock(0, 2), 2);

  // In the draft too: one cell per hour, found in the lowest klass.
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, true, 4, 0, 1));
  EXPECT_EQ(v().CountTeacherDraft(0, 4), 1);
  int pos = 0;
  ASSERT_TRUE(v().FindTeacherDraftLesson(0, 1, 4, pos, k, g, links));
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(k, 0);
  EXPECT_FALSE(v().FindTeacherDraftLesson(0, 2, 4, pos, k, g, links));
  int fair = 0, draft = 0;
  v().CountTeacherLessons(0, 0, fair, draft);
  EXPECT_EQ(fair, 2);
  EXPECT_EQ(draft, 1);

  // Rooms: the joint group needs one room, not three.
  m().Rooms.FreeCount.fill(1);
  int need = 0;
  EXPECT_EQ(v().FindRoomShortage(m().Rooms, 2, need), 0);
  ASSERT_TRUE(v().PlaceLinkedLesson(1, 2, false, 2, 3, 1));  // two more groups at hour 3
  EXPECT_EQ(v().FindRoomShortage(m().Rooms, 2, need), 3);
  EXPECT_EQ(need, 3);
}

TEST_F(JointFixture, TeacherWindowsCountOnlyFairGapsOfTheDay) {
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 1, false, 1, 2, 1));  // teacher 1
  ASSERT_TRUE(v().PlaceLinkedLesson(1, 1, false, 1, 5, 1));
  EXPECT_EQ(v().GetTeacherWindows(1, 1), 2);
  EXPECT_EQ(v().GetTeacherWindows(1, 2), 0);
  ASSERT_TRUE(v().PlaceLinkedLesson(2, 1, true, 3, 0, 1));
  EXPECT_EQ(v().GetTeacherWindows(1, 3), 0);
  m().Teachers.SetGroups({{1, 0}});
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, false, 1, 1, 1));  // teacher 0 at 1 only
  EXPECT_EQ(v().GetGroupWindows(1, 0), 2);
}

TEST_F(JointFixture, DifficultyCountsEveryHour) {
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 1, false, 1, 1, 2));  // subject kf 6, two hours
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 2, true, 1, 0, 1));   // (4 + 6) / 2
  EXPECT_DOUBLE_EQ(v().GetKlassDayDifficulty(0, 1), 12.0 + 5.0);
  int fair = 0, draft = 0;
  v().CountKlassLessons(0, 1, fair, draft);
  EXPECT_EQ(fair, 2);
  EXPECT_EQ(draft, 1);
  EXPECT_EQ(v().CountLessonInDay(0, 1, 1), 2);
  int first = 0;
  EXPECT_EQ(v().FindLessonInFair(0, 1, 1, first), 2);
  EXPECT_EQ(first, 1);
}

TEST_F(JointFixture, RemoveToNoDayTakesTheLinkedSetAndLeavesNoGaps) {
  // Draft of day 1: klass 0 lesson 1, joint lesson, lesson 2.
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 1, true, 1, 0, 1));
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, true, 1, 0, 2));
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 2, true, 1, 0, 1));
  // And the joint lesson in the fair copy with rooms.
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, false, 1, 4, 1));
  for (int k = 0; k < 3; ++k) {
    TTableCell c = v().GetCell(k, 1, 4);
    c.Rooms[0] = static_cast<uint16_t>(k);
    v().SetCell(k, 1, 4, c);
    ASSERT_EQ(v().GetRoomCell(k, 1, 4).Klass, k);
  }
  ASSERT_TRUE(v().RemoveLesson(2, 0, true, 0, 1, 0));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(v().CountLessonInDay(k, 0, 1), 0);
    EXPECT_EQ(v().GetRoomCell(k, 1, 4).Klass, -1);
  }
  EXPECT_EQ(v().GetDraftCell(0, 1, 1).Lesson, 1);
  EXPECT_EQ(v().GetDraftCell(0, 1, 2).Lesson, 2);
  EXPECT_EQ(v().GetDraftCell(0, 1, 2).PrevHour, -1);
  EXPECT_EQ(v().GetDraftCell(0, 1, 3).Lesson, -1);
  EXPECT_TRUE(v().DayIsEmpty(2));
}

TEST_F(JointFixture, RemoveToAnotherDayAndRefusedMoves) {
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, false, 1, 2, 2));
  ASSERT_TRUE(v().RemoveLesson(0, 0, false, 3, 1, 6));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(v().CountLessonInDay(k, 0, 1), 0);
    EXPECT_EQ(v().GetCell(k, 3, 6).Lesson, 0);
    EXPECT_EQ(v().GetCell(k, 3, 7).PrevHour, 6);
  }
  // Past hour L: refused, the variant unchanged.
  EXPECT_FALSE(v().RemoveLesson(0, 0, false, 4, 3, 8));
  EXPECT_EQ(v().GetCell(1, 3, 6).Lesson, 0);
  EXPECT_EQ(v().GetCell(1, 3, 7).Lesson, 0);
  EXPECT_TRUE(v().DayIsEmpty(4));
  EXPECT_TRUE(v().DayIsEmpty(5));

  // A full draft cannot take two more cells.
  for (int h = 1; h <= 7; ++h) v().SetDraftCell(2, 5, h, [&] { TTableCell c; c.Lesson = 1; c.Hour = h; return c; }());
  EXPECT_FALSE(v().RemoveLesson(0, 0, true, 5, 3, 0));
  EXPECT_EQ(v().CountLessonInFair(2, 0, 3), 2);
  EXPECT_EQ(v().GetDraftCell(2, 5, 8).Lesson, -1);
  // Into the draft of day 6 it goes.
  ASSERT_TRUE(v().RemoveLesson(0, 0, true, 6, 3, 0));
  EXPECT_EQ(v().GetDraftCell(2, 6, 2).PrevHour, 1);
}

TEST_F(JointFixture, PlacingRefusesWritesPastTheDay) {
  EXPECT_FALSE(v().PlaceLinkedLesson(0, 0, false, 1, 8, 2));
  EXPECT_FALSE(v().PlaceLinkedLesson(0, 0, false, 1, 0, 1));
  EXPECT_TRUE(v().DayIsEmpty(1));
  EXPECT_TRUE(v().DayIsEmpty(2));
  for (int h = 1; h <= 7; ++h) v().SetDraftCell(1, 1, h, [&] { TTableCell c; c.Lesson = 1; return c; }());
  EXPECT_FALSE(v().PlaceLinkedLesson(0, 0, true, 1, 0, 2));
  EXPECT_EQ(v().CountLessonInDraft(0, 0, 1), 0);
  EXPECT_EQ(v().GetDraftCell(1, 2, 1).Lesson, -1);
  // A full draft row refuses the set instead of leaving its klass out.
  v().SetDraftCell(1, 1, 8, [&] { TTableCell c; c.Lesson = 1; return c; }());
  EXPECT_FALSE(v().PlaceLinkedLesson(0, 0, true, 1, 0, 1));
  EXPECT_EQ(v().CountLessonInDraft(0, 0, 1), 0);
  EXPECT_EQ(v().CountLessonInDraft(2, 0, 1), 0);
}

TEST_F(JointFixture, DraftPlacementGoesAfterTheLastUsedPosition) {
  // A gap left at position 2 must not let a two-hour block cover position 3.
  TTableCell c;
  c.Lesson = 1;
  v().SetDraftCell(0, 1, 1, c);
  v().SetDraftCell(0, 1, 3, c);
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, true, 1, 0, 2));
  EXPECT_EQ(v().GetDraftCell(0, 1, 3).Lesson, 1);
  EXPECT_EQ(v().GetDraftCell(0, 1, 4).Lesson, 0);
  EXPECT_EQ(v().GetDraftCell(0, 1, 5).Lesson, 0);
  EXPECT_EQ(v().GetDraftCell(1, 1, 1).Lesson, 0);
}

TEST_F(JointFixture, PutThenFetchRoundTrip) {
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, false, 2, 3, 2));
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 1, false, 2, 1, 1));
  ASSERT_TRUE(v().PlaceLinkedLesson(1, 1, true, 2, 0, 2));
  ASSERT_TRUE(v().PlaceLinkedLesson(1, 2, true, 2, 0, 1));
  ASSERT_TRUE(v().PlaceLinkedLesson(2, 2, false, 2, 8, 1));
  std::vector<TTableCell> before;
  for (int k = 0; k < 3; ++k)
    for (int h = 1; h <= 8; ++h) {
      before.push_back(v().GetCell(k, 2, h));
      before.push_back(v().GetDraftCell(k, 2, h));
    }
  m().Klasses.ResetDay(true);
  m().Teachers.ResetDay();
  v().FetchDayLessons(2, -1);
  const TRTILessonItem* joint = m().KlassLesson(1, 0);
  EXPECT_EQ(joint->IsFixed, 1);
  EXPECT_EQ(joint->FixedStart, 3);
  EXPECT_EQ(joint->FixedLength, 2);
  EXPECT_EQ(m().Teachers[0]->HoursToday, 2);
  v().ClearDay(2);
  EXPECT_TRUE(v().DayIsEmpty(2));
  EXPECT_TRUE(v().PutDayLessons(2));
  std::size_t i = 0;
  for (int k = 0; k < 3; ++k)
    for (int h = 1; h <= 8; ++h) {
      EXPECT_EQ(v().GetCell(k, 2, h), before[i++]) << k << " " << h;
      EXPECT_EQ(v().GetDraftCell(k, 2, h), before[i++]) << k << " " << h;
    }
}

TEST_F(JointFixture, PutRefusesAStartPastTheDay) {
  TRTILessonItem* l = m().KlassLesson(0, 1);
  l->IsFixed = 1;
  l->FixedLength = 2;
  l->FixedStart = 8;
  TRTILessonItem* ok = m().KlassLesson(0, 2);
  ok->IsFixed = 1;
  ok->FixedLength = 1;
  ok->FixedStart = 1;
  EXPECT_FALSE(v().PutDayLessons(1));
  EXPECT_EQ(v().GetCell(0, 1, 8).Lesson, -1);
  EXPECT_EQ(v().GetCell(0, 2, 1).Lesson, -1);
  EXPECT_EQ(v().GetCell(1, 1, 1).Lesson, -1);
  EXPECT_EQ(v().GetCell(0, 1, 1).Lesson, 2);
}

TEST_F(JointFixture, FreeDaysAndGroupDays) {
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 1, false, 1, 1, 1));  // teacher 1, day 1
  ASSERT_TRUE(v().PlaceLinkedLesson(0, 0, false, 2, 1, 1));  // teacher 0, day 2
  m().Teachers.SetGroups({{0}, {1}});
  EXPECT_FALSE(v().GroupDayIsEmpty(2, 0));
  EXPECT_TRUE(v().GroupDayIsEmpty(2, 1));
  v().CountTeachersFreeDays(false, 3);
  EXPECT_EQ(m().Teachers[0]->FreeDays, 1);
  EXPECT_EQ(m().Teachers[1]->FreeDays, 1);
  EXPECT_EQ(m().Teachers[2]->FreeDays, 2);
  v().CountTeachersFreeDays(true, 3);
  EXPECT_EQ(m().Teachers[0]->FreeDays, 0);
  EXPECT_EQ(m().Teachers[2]->FreeDays, 2);  // in no row: any lesson counts
  v().CountTeachersFreeDays(false, 1);
  EXPECT_EQ(m().Teachers[0]->FreeDays, 0);
  EXPECT_EQ(m().Teachers[1]->FreeDays, 1);
}

TEST(VarEdit, LinkedSetsLongerThanTheListsAreRefused) {
  ProjectBuilder p(4);
  const int32_t s = p.Subject(), t = p.Teacher();
  std::vector<TLessonItem*> chain;
  for (int k = 0; k < 28; ++k) chain.push_back(p.Lesson(p.Klass(), {{s, t}}, {1}));
  for (int k = 0; k + 1 < 28; ++k) ProjectBuilder::Link(chain[k], 0, chain[k + 1], 0);
  auto b = Build(p.d);
  TLinkedLists lists;
  EXPECT_FALSE(b.model->Klasses.CollectLinkedLessons(0, 0, lists));
  EXPECT_EQ(lists.LessonCount(), 26);
  EXPECT_FALSE(b.var->PlaceLinkedLesson(0, 0, false, 1, 1, 1));
  EXPECT_TRUE(b.var->DayIsEmpty(1));
  // 26 klasses still fit.
  ProjectBuilder q(4);
  const int32_t s2 = q.Subject(), t2 = q.Teacher();
  chain.clear();
  for (int k = 0; k < 26; ++k) chain.push_back(q.Lesson(q.Klass(), {{s2, t2}}, {1}));
  for (int k = 0; k + 1 < 26; ++k) ProjectBuilder::Link(chain[k], 0, chain[k + 1], 0);
  auto c = Build(q.d);
  EXPECT_TRUE(c.model->Klasses.CollectLinkedLessons(0, 0, lists));
  EXPECT_TRUE(c.var->PlaceLinkedLesson(0, 0, false, 1, 1, 1));
  EXPECT_EQ(c.var->GetCell(25, 1, 1).Lesson, 0);
}

}  // namespace
}  // namespace korvant

namespace korvant {
namespace {

// Lesson X of klass 0 and lesson Y of klass 1, one group of each linked to
// the other, with block lists that may disagree.
struct JointBlocksCase {
  std::vector<int> x, y;
  std::vector<std::pair<int, int>> placed;  // X's set on (day, hours), in the draft
  int day;                                  // asked for
  std::vector<int> joint;                   // counts of lengths 1..3
};

TEST(JointBlocks, EveryLinkedLessonMustHoldTheBlock) {
  const JointBlocksCase cases[] = {
      {{2}, {1, 1}, {}, 0, {0, 0, 0}},             // no length both have
      {{1, 2}, {1, 1, 1}, {}, 0, {1, 0, 0}},       // one 1 each at most
      {{1, 2}, {1, 1, 1}, {{3, 1}}, 0, {0, 0, 0}},  // X's 1 is on day 3
      {{1, 2}, {1, 1, 1}, {{3, 1}}, 3, {1, 0, 0}},  // unless day 3 is the day asked for
      {{1, 2, 2}, {2, 2, 3}, {{1, 2}}, 0, {0, 1, 0}},
      {{3}, {3}, {}, 0, {0, 0, 1}},
  };
  for (const JointBlocksCase& c : cases) {
    ProjectBuilder p;
    const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher(), k0 = p.Klass(), k1 = p.Klass();
    TLessonItem* x = p.Lesson(k0, {{s, t0}}, {});
    TLessonItem* y = p.Lesson(k1, {{s, t1}}, {});
    for (int q : c.x) x->ChangeQuant(1, q);
    for (int q : c.y) y->ChangeQuant(1, q);
    ProjectBuilder::Link(x, 0, y, 0);
    auto b = Build(p.d);
    for (const auto& [day, hours] : c.placed) ASSERT_TRUE(b.var->PlaceLinkedLesson(0, 0, true, day, 0, hours));
    for (int klass : {0, 1}) {
      const TBlockCounts joint = JointFreeBlocks(*b.var, klass, 0, c.day);
      for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(joint[static_cast<std::size_t>(n)], c.joint[static_cast<std::size_t>(n - 1)])
            << "case " << &c - cases << ", klass " << klass << ", length " << n;
        EXPECT_EQ(JointBlockFree(*b.var, klass, 0, n, c.day), c.joint[static_cast<std::size_t>(n - 1)] > 0);
      }
    }
  }
}

}  // namespace
}  // namespace korvant
