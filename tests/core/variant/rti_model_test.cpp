#include "core/variant/rti_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::LessonIndex;
using testing::ProjectBuilder;

TEST(RunModel, SeparatedBlocksBecomeLessonsOfTheirOwn) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), t = p.Teacher(), k = p.Klass();
  TLessonItem* l = p.Lesson(k, {{s, t}}, {1, 2, 2}, {2});
  auto b = Build(p.d);
  const TRTIKlassItem& klass = *b.model->Klasses[0];
  ASSERT_EQ(klass.Lessons.Count(), 2);
  const TRTILessonItem& parent = *klass.Lessons[0];
  const TRTILessonItem& sep = *klass.Lessons[1];
  EXPECT_EQ(parent.ID(), l->ID());
  EXPECT_EQ(parent.QuantsCount(), 2);
  EXPECT_EQ(parent.QuantAt(1), 1);
  EXPECT_EQ(parent.QuantAt(2), 2);
  EXPECT_EQ(sep.ID(), l->ID() + 1000000);
  EXPECT_EQ(sep.QuantsCount(), 1);
  EXPECT_EQ(sep.QuantAt(1), 2);
  EXPECT_EQ(sep.GetQuant(kQuantWords), 0);
  EXPECT_EQ(klass.Lessons.NextID(), l->ID() + 1000001);
  // The teacher gets a copy of both.
  EXPECT_EQ(b.model->Teachers[0]->Lessons.Count(), 2);
}

TEST(RunModel, LinksBecomeIndicesAndSeparatedPartsLinkToSeparatedParts) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), t0 = p.Teacher(), t1 = p.Teacher();
  const int32_t k0 = p.Klass(), k1 = p.Klass();
  p.Lesson(k1, {{s, t1}}, {1});  // shifts the linked lesson to index 1
  TLessonItem* a = p.Lesson(k0, {{s, t0}}, {1, 2}, {2});
  TLessonItem* bl = p.Lesson(k1, {{s, t0}, {s, t1}}, {1, 2}, {2});
  ProjectBuilder::Link(a, 0, bl, 1);
  auto b = Build(p.d);
  const TRunModel& m = *b.model;
  const TRTILessonItem* la = m.KlassLesson(0, 0);
  ASSERT_EQ(la->RT[0].LinksCount(), 1);
  EXPECT_EQ(la->RT[0].Links[0].Klass, 1);
  EXPECT_EQ(la->RT[0].Links[0].Lesson, 1);
  EXPECT_EQ(la->RT[0].Links[0].Group, 1);
  const TRTILessonItem* sa = m.KlassLesson(0, 1);
  ASSERT_EQ(sa->ID(), a->ID() + 1000000);
  ASSERT_EQ(sa->RT[0].LinksCount(), 1);
  EXPECT_EQ(m.KlassLesson(1, sa->RT[0].Links[0].Lesson)->ID(), bl->ID() + 1000000);

  // References: klass index, teacher indices, and the teacher copies.
  EXPECT_EQ(la->KlassID, 0);
  EXPECT_EQ(la->GetSubItem(0)->TeacherID, 0);
  EXPECT_EQ(la->RT[0].Teacher, 0);
  const TRTILessonItem* copy = m.TeacherLesson(0, la->RT[0].TeacherLesson);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->ID(), a->ID());
  EXPECT_EQ(copy->RT[0].Klass, 0);
  EXPECT_EQ(copy->RT[0].KlassLesson, 0);
  EXPECT_EQ(copy->RT[0].KlassGroup, 0);
  // The copy's link points at the linked group's teacher and its copy.
  ASSERT_EQ(copy->RT[0].LinksCount(), 1);
  EXPECT_EQ(copy->RT[0].Links[0].Klass, 1);  // teacher t1
  const TRTILessonItem* other = m.TeacherLesson(1, copy->RT[0].Links[0].Lesson);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->ID(), bl->ID());
  EXPECT_EQ(m.Klasses[0]->HasLinked, 1);
}

// A klass's hour holds one lesson, so a joint lesson may take in one lesson
// of a klass; and placing any lesson of it places the same set.
TEST(RunModel, EveryLessonOfAJointSetCollectsTheSameSet) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), t = p.Teacher();
  for (int k = 0; k < 4; ++k) p.Klass();
  const auto lesson = [&](int32_t klass) { return p.Lesson(klass, {{s, t}}, {1}); };
  // A of K0 joint through one group with a lesson of K1 and through the
  // other with another; a chain from K0 through K1 and K2 back to K0; a
  // sound chain through K1, K2 and K3; a link the other lesson does not return.
  TLessonItem* a = p.Lesson(0, {{s, t}, {s, t}}, {1});
  ProjectBuilder::Link(a, 0, lesson(1), 0);
  ProjectBuilder::Link(a, 1, lesson(1), 0);
  TLessonItem* chain[4] = {lesson(0), lesson(1), lesson(2), lesson(0)};
  TLessonItem* sound[3] = {lesson(1), lesson(2), lesson(3)};
  for (int i = 0; i < 3; ++i) ProjectBuilder::Link(chain[i], 0, chain[i + 1], 0);
  for (int i = 0; i < 2; ++i) ProjectBuilder::Link(sound[i], 0, sound[i + 1], 0);
  TLessonItem* oneWay = lesson(0);
  oneWay->GetSubItem(0)->ChangeLink(1, {lesson(1)->ID(), 0});
  auto b = Build(p.d);
  const auto members = [&](int klass, int li) {
    TLinkedLists lists;
    EXPECT_TRUE(b.model->Klasses.CollectLinkedLessons(klass, li, lists));
    EXPECT_EQ(lists.Lessons[0], (TLinkEntry{static_cast<uint16_t>(klass), static_cast<uint16_t>(li)}));
    std::vector<std::pair<int, int>> set;
    for (int i = 0; i < lists.LessonCount(); ++i) set.emplace_back(lists.Lessons[i].A, lists.Lessons[i].B);
    std::sort(set.begin(), set.end());
    return set;
  };
  for (int k = 0; k < 4; ++k)
    for (int li = 0; li < b.model->Klasses[k]->Lessons.Count(); ++li) {
      const auto set = members(k, li);
      for (std::size_t i = 1; i < set.size(); ++i) EXPECT_NE(set[i].first, set[i - 1].first) << k << " " << li;
      for (const auto& [ok, ol] : set) EXPECT_EQ(members(ok, ol), set) << k << " " << li;
    }
  // A keeps one of the two, the chain parts where it would meet K0 again,
  // the sound chain stays whole, the link not returned joins nothing.
  const auto size = [&](const TLessonItem* l) {
    return members(l->KlassID, LessonIndex(*b.model, l->KlassID, l->ID())).size();
  };
  EXPECT_EQ(size(a), 2u);
  EXPECT_EQ(size(chain[0]) + size(chain[3]), 4u);
  EXPECT_EQ(size(sound[0]), 3u);
  EXPECT_EQ(size(oneWay), 1u);
}

TEST(RunModel, LostTeacherAndWeekDifficulty) {
  ProjectBuilder p;
  const int32_t s4 = p.Subject(4), s8 = p.Subject(8), t = p.Teacher(), k = p.Klass();
  p.Lesson(k, {{s4, t}, {s8, 777}}, {2, 1});  // teacher 777 does not exist
  p.Lesson(k, {{s8, t}}, {1});
  auto b = Build(p.d);
  const TRTIKlassItem& klass = *b.model->Klasses[0];
  const TRTILessonItem* l = klass.Lessons[0];
  EXPECT_EQ(l->GetSubItem(1)->TeacherID, -1);
  EXPECT_EQ(l->HasTeacherlessGroup, 1);
  EXPECT_EQ(klass.Lessons[1]->HasTeacherlessGroup, 0);
  // 3 hours x (4 + 8) / 2 + 1 hour x 8
  EXPECT_DOUBLE_EQ(klass.WeekDifficulty, 3 * 6.0 + 8.0);
}

// Wanted free days the file holds far outside the week: the searches see
// the week's bounds, the project what it read.
TEST(RunModel, WantedFreeDaysWithinTheWeek) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), k = p.Klass();
  const int32_t wants[] = {INT32_MIN, -1, 0, 2, 6, 7, INT32_MAX};
  const int32_t seen[] = {0, 0, 0, 2, 6, 6, 6};
  for (int32_t w : wants) {
    const int32_t t = p.Teacher();
    p.d.Teachers[t]->MetodicalDays = w;
    p.Lesson(k, {{s, t}}, {1});
  }
  auto b = Build(p.d);
  for (std::size_t i = 0; i < std::size(wants); ++i) {
    EXPECT_EQ(WantedFreeDays(*b.model->Teachers[static_cast<int>(i)]), seen[i]) << wants[i];
    EXPECT_EQ(MostTeachingDays(*p.d.Teachers[static_cast<int>(i)]), 6 - seen[i]) << wants[i];
    EXPECT_EQ(p.d.Teachers[static_cast<int>(i)]->MetodicalDays, wants[i]);
  }
}

TEST(RunModel, LessonWithoutGroupsHasNoDifficulty) {
  ProjectBuilder p;
  const int32_t k = p.Klass();
  p.Lesson(k, {}, {2});
  auto b = Build(p.d);
  EXPECT_DOUBLE_EQ(b.model->Klasses[0]->WeekDifficulty, 0.0);
  b.var->PlaceLinkedLesson(0, 0, false, 1, 1, 2);
  EXPECT_DOUBLE_EQ(b.var->GetKlassDayDifficulty(0, 1), 0.0);
}

TEST(RunModel, ParallelKlassesShareEqualLessons) {
  ProjectBuilder p;
  const int32_t s = p.Subject(), s2 = p.Subject(), t = p.Teacher();
  const int32_t k0 = p.Klass(), k1 = p.Klass();
  p.d.Klasses[0]->ChangeParallel(1, k1);
  p.Lesson(k0, {{s, t}}, {1, 1});
  p.Lesson(k1, {{s2, t}}, {1, 1});  // other subject
  p.Lesson(k1, {{s, t}}, {1, 2});   // other blocks
  p.Lesson(k1, {{s, t}}, {1, 1});   // the match
  auto b = Build(p.d);
  const TRTILessonItem* l = b.model->KlassLesson(0, 0);
  ASSERT_EQ(l->ParallelCount, 1);
  EXPECT_EQ(l->ParallelLessons[0].Klass, 1);
  EXPECT_EQ(l->ParallelLessons[0].Lesson, 2);
  EXPECT_EQ(l->ParallelLessons[1].Klass, -1);
  // The klass's parallel is an index after building.
  EXPECT_EQ(b.model->Klasses[0]->GetParallel(1), 1);
  // In the teacher's copy the parallel names the teacher's own copy.
  const TRTILessonItem* copy = b.model->TeacherLesson(0, l->RT[0].TeacherLesson);
  ASSERT_EQ(copy->ParallelCount, 1);
  EXPECT_EQ(copy->ParallelLessons[0].Klass, 0);
  EXPECT_EQ(b.model->TeacherLesson(0, copy->ParallelLessons[0].Lesson)->KlassID, 1);
}

TEST(RunModel, ClosedHourTableByStrictnessAndLevel) {
  // rows: TeachersWills 1..4; columns: levels 0..3
  const bool expected[4][4] = {{true, true, true, true},
                               {true, true, true, false},
                               {true, true, false, false},
                               {true, false, false, false}};
  for (int wills = 1; wills <= 4; ++wills)
    for (uint8_t level = 0; level <= 3; ++level) {
      EXPECT_EQ(TeacherHourClosed({1, level}, wills), expected[wills - 1][level]) << wills << " " << int(level);
      EXPECT_FALSE(TeacherHourClosed({0, level}, wills));
    }
}

TEST(RunModel, DaySlotsAndWishCounts) {
  ProjectBuilder p(6);
  p.Teacher();
  const int32_t k = p.Klass();
  TTeacherItem* t = p.d.Teachers[0];
  t->SetBusy(2 * 24 + 1, {1, 0});  // day 3 hour 1 closed
  t->SetBusy(2 * 24 + 2, {1, 2});  // undesired, level 2
  t->SetBusy(2 * 24 + 7, {1, 0});  // past L: not counted
  p.d.Klasses[0]->SetBusy(2 * 24 + 6, 1);
  (void)k;
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  m.TeachersWills = 2;
  m.Teachers.PrepareDaySlots(3);
  m.Teachers.CountDayWishes();
  const TRTITeacherItem& rt = *m.Teachers[0];
  EXPECT_EQ(rt.HourMarks[1], kHourClosed);
  EXPECT_EQ(rt.HourMarks[2], kHourClosed);
  EXPECT_EQ(rt.HourMarks[3], -1);
  EXPECT_EQ(rt.HourMarks[7], -1);
  EXPECT_EQ(rt.ClosedHoursToday, 2);
  EXPECT_EQ(rt.DayWishCounts[2].Closed, 1);
  EXPECT_EQ(rt.DayWishCounts[2].Undesired, 1);
  EXPECT_EQ(m.Klasses[0]->ClosedHoursToday, 1);
  m.TeachersWills = 3;
  m.Teachers.PrepareDaySlots(3);
  EXPECT_EQ(m.Teachers[0]->HourMarks[2], -1);
  m.Klasses.CountDayClosedSlots();
  EXPECT_EQ(m.Klasses[0]->DayClosedHours[2], 1);
  EXPECT_EQ(m.Klasses[0]->DayClosedHours[0], 0);
}

TEST(RunModel, PartnersShareTheAttachedRoom) {
  ProjectBuilder p;
  const int32_t r0 = p.Room(), r1 = p.Room();
  p.Teacher(r0);
  p.Teacher();
  p.Teacher(r0);
  p.Teacher(r1);
  p.Teacher(r0);
  auto b = Build(p.d);
  const TRTITeachersCollection& t = b.model->Teachers;
  auto partners = [&](int i) {
    std::vector<int32_t> v;
    for (int32_t x : t[i]->Partners) {
      if (x < 0) break;
      v.push_back(x);
    }
    return v;
  };
  EXPECT_EQ(partners(0), (std::vector<int32_t>{2, 4}));
  EXPECT_EQ(partners(2), (std::vector<int32_t>{0, 4}));
  EXPECT_EQ(partners(4), (std::vector<int32_t>{0, 2}));
  EXPECT_TRUE(partners(1).empty());
  EXPECT_TRUE(partners(3).empty());
  EXPECT_EQ(t[0]->PartnersSize, 5);

  b.model->Teachers[2]->HourMarks[3] = 1;  // busy with klass 1
  EXPECT_FALSE(t[0]->PartnersFree(t, 3, false));
  EXPECT_TRUE(t[0]->PartnersFree(t, 3, true));
  b.model->Teachers[2]->HourMarks[3] = kHourClosed;
  EXPECT_TRUE(t[0]->PartnersFree(t, 3, false));
}

std::vector<std::vector<int32_t>> Rows(const TRTITeachersCollection& t) {
  std::vector<std::vector<int32_t>> rows;
  for (int r = 0; r < t.GroupCount(); ++r) {
    std::vector<int32_t> row;
    for (const int32_t* x = t.GroupRow(r); *x >= 0; ++x) row.push_back(*x);
    rows.push_back(row);
  }
  return rows;
}

TEST(RunModel, GroupsWithAndWithoutKeep) {
  ProjectBuilder p;
  const int32_t s = p.Subject();
  for (int i = 0; i < 5; ++i) p.Teacher();
  const int32_t k0 = p.Klass(), k1 = p.Klass();
  p.Lesson(k0, {{s, 1}, {s, 3}}, {1, 1});  // teachers 1 and 3 share a lesson
  p.Lesson(k1, {{s, 0}}, {2});             // teacher 0 alone, block 2
  p.Lesson(k1, {{s, 2}}, {1});             // teacher 2 alone, block 1
  p.Lesson(k0, {{s, 4}}, {1});             // teacher 4: nothing on day 1
  auto b = Build(p.d);
  TRunModel& m = *b.model;
  TTableVarItem& v = *b.var;
  ASSERT_TRUE(v.PlaceLinkedLesson(0, 0, false, 1, 1, 1));
  ASSERT_TRUE(v.PlaceLinkedLesson(1, 0, false, 1, 2, 2));
  ASSERT_TRUE(v.PlaceLinkedLesson(1, 1, true, 1, 0, 1));

  m.Teachers.BuildGroups(v, false, 1);
  EXPECT_EQ(Rows(m.Teachers), (std::vector<std::vector<int32_t>>{{1, 3}, {0}, {2}}));
  EXPECT_EQ(m.Teachers.FindTeacherGroup(3), 0);
  EXPECT_EQ(m.Teachers.FindTeacherGroup(4), -1);

  // With keep, the week's longest blocks decide, and the table is kept.
  m.Teachers.BuildGroups(v, true, 1);
  EXPECT_EQ(Rows(m.Teachers), (std::vector<std::vector<int32_t>>{{1, 3}, {0}, {2, 4}}));
  v.ClearDay(1);
  m.Teachers.BuildGroups(v, true, 1);
  EXPECT_EQ(Rows(m.Teachers), (std::vector<std::vector<int32_t>>{{1, 3}, {0}, {2, 4}}));
  // Without keep the kept table goes; an empty day leaves no teachers.
  m.Teachers.BuildGroups(v, false, 1);
  EXPECT_EQ(m.Teachers.GroupCount(), 0);
}

TEST(RunModel, EmptyModelsWork) {
  ProjectBuilder p;
  auto b = Build(p.d);
  EXPECT_EQ(b.var->GridBytes(), 0u);
  b.model->Teachers.BuildGroups(*b.var, false, 1);
  EXPECT_EQ(b.model->Teachers.GroupCount(), 0);
  EXPECT_EQ(b.model->Teachers.GroupRow(0), nullptr);
  EXPECT_EQ(b.var->GetGroupWindows(1, 0), 0);
  EXPECT_TRUE(b.var->DayIsEmpty(1));

  ProjectBuilder q;
  q.Klass();
  auto c = Build(q.d);
  c.model->Teachers.BuildGroups(*c.var, false, 1);
  c.model->Teachers.PrepareDaySlots(1);
  EXPECT_TRUE(c.var->PutDayLessons(1));
}

}  // namespace
}  // namespace korvant
