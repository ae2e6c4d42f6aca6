#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "base/cp1251.h"
#include "core/planning/room_assign.h"
#include "core/project/data_checks.h"
#include "core/variant/variant_fixture.h"
#include "school_gen.h"

namespace korvant {
namespace {

class NoQuestions : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t) override {
    ADD_FAILURE() << "question: " << cp1251::toUtf8(text);
    return kResNo;
  }
};

class SchoolGen : public ::testing::TestWithParam<int> {};

TEST_P(SchoolGen, PassesEveryDataCheck) {
  auto d = GenerateSchool(GetParam(), 8, 7);
  TDataReportPages pages;
  CheckProjectData(*d, &pages);
  for (int kind = 0; kind < kCheckPageCount; ++kind) {
    ASSERT_EQ(pages.Lines(kind).size(), 1u) << "page " << kind << ": " << cp1251::toUtf8(pages.Lines(kind)[0]);
    EXPECT_EQ(cp1251::toUtf8(pages.Lines(kind)[0]), "1. Ошибок не обнаружено.");
  }
}

TEST_P(SchoolGen, IsRealistic) {
  const int K = GetParam();
  auto d = GenerateSchool(K, 8, 11);
  EXPECT_EQ(d->Klasses.Count(), K);
  EXPECT_EQ(d->Params.LessonsPerDay, 8);
  std::map<int32_t, int> klassHours;
  int split = 0, joint = 0, doubles = 0;
  for (const auto& l : d->Lessons) {
    klassHours[l->KlassID] += l->QuantsSum();
    for (int i = 1; i <= l->QuantsCount(); ++i) {
      EXPECT_TRUE(l->QuantAt(i) == 1 || l->QuantAt(i) == 2);
      if (l->QuantAt(i) == 2) ++doubles;
    }
    if (l->SubItemsCount() == 2) ++split;
    if (l->GetSubItem(0)->LinksCount() > 0) ++joint;
  }
  for (const auto& [id, hours] : klassHours) {
    EXPECT_GE(hours, 24);
    EXPECT_LE(hours, 32);
  }
  EXPECT_EQ(split, K);
  EXPECT_GE(joint, 2);
  EXPECT_GT(doubles, 0);
  int methodical = 0, wishes = 0;
  for (const auto& t : d->Teachers) {
    EXPECT_GE(t->PlanLessCnt, 12) << cp1251::toUtf8(t->Name());
    EXPECT_LE(t->PlanLessCnt, 26) << cp1251::toUtf8(t->Name());
    methodical += t->MetodicalDays;
    for (int s = 1; s <= kWeekSlots; ++s)
      if (t->GetBusy(s).Restricted) {
        ++wishes;
        break;
      }
  }
  EXPECT_GT(methodical, 0);
  EXPECT_GT(wishes, 0);
  int labs = 0, attachedKlasses = 0;
  for (const auto& r : d->Rooms)
    if (r->NotStrict == 0) ++labs;
  for (const auto& k : d->Klasses)
    if (k->KlassRoom >= 0) ++attachedKlasses;
  EXPECT_GE(labs, 4);  // physics, chemistry, informatics, a gym
  EXPECT_GT(attachedKlasses, 0);
}

TEST_P(SchoolGen, WeekIsPlannableAndEveryDayGetsItsRooms) {
  auto d = GenerateSchool(GetParam(), 8, 3);
  testing::Built b = testing::Build(*d);
  TTableVarItem& v = *b.var;
  const TRunModel& m = *b.model;
  ASSERT_EQ(PlaceWeekGreedy(v, 1), 0);
  // Every lesson has all its hours on the week, one block a day.
  for (int k = 0; k < m.Klasses.Count(); ++k)
    for (int li = 0; li < m.Klasses[k]->Lessons.Count(); ++li) {
      const TRTILessonItem& l = *m.Klasses[k]->Lessons[li];
      int hours = 0;
      for (int day = 1; day <= 6; ++day) {
        const int n = v.CountLessonInFair(k, li, day);
        EXPECT_LE(n, 2);
        hours += n;
      }
      EXPECT_EQ(hours, l.QuantsSum());
    }
  // No teacher in two places, none at a closed hour.
  for (int t = 0; t < m.Teachers.Count(); ++t)
    for (int day = 1; day <= 6; ++day)
      for (int h = 1; h <= 8; ++h) {
        int places = 0;
        for (int k = 0; k < m.Klasses.Count(); ++k) {
          const TRTILessonItem* l = m.KlassLesson(k, v.GetCell(k, day, h).Lesson);
          const int g = l ? l->GroupOfTeacher(t) : -1;
          if (g < 0) continue;
          const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
          bool lower = false;
          for (int i = 0; i < rt.LinksCount(); ++i) lower |= rt.Links[static_cast<std::size_t>(i)].Klass < k;
          if (!lower) ++places;
        }
        EXPECT_LE(places, 1);
        if (places) {
          EXPECT_FALSE(TeacherHourClosed(m.Teachers[t]->GetBusy((day - 1) * 24 + h), 2));
        }
      }
  NoQuestions prompt;
  ScopedPrompt scope(&prompt);
  for (int day = 1; day <= 6; ++day) {
    ASSERT_EQ(SetDayRooms(v, day), kSetRoomsDone);
    for (int k = 0; k < m.Klasses.Count(); ++k)
      for (int h = 1; h <= 8; ++h) {
        const TTableCell c = v.GetCell(k, day, h);
        const TRTILessonItem* l = m.KlassLesson(k, c.Lesson);
        for (int g = 0; l && g < l->SubItemsCount(); ++g) {
          const uint16_t r = c.Rooms[static_cast<std::size_t>(g)];
          ASSERT_NE(r, kNoRoom);
          const TRoomItem& room = *m.Rooms[r];
          const TSubjectItem& s = *m.Subjects[l->GetSubItem(g)->SubjectID];
          if (s.NotStrict == 0 || room.NotStrict == 0) {
            EXPECT_EQ(room.Specialization, s.Specialization);
          }
        }
      }
  }
}

INSTANTIATE_TEST_SUITE_P(Klasses, SchoolGen, ::testing::Values(8, 16, 32));

// Schools shaped like the large real ones pass every data check: long
// days, joint option groups across klasses, klasses beginning at hour 2,
// teachers wanting a free day.
TEST(SchoolGenLarge, PassesEveryDataCheckAndHasTheLargeShape) {
  for (auto [K, L, seed] : {std::tuple{24, 10, 5u}, std::tuple{36, 11, 6u}}) {
    auto d = GenerateLargeSchool(K, L, seed);
    EXPECT_EQ(d->Params.LessonsPerDay, L);
    TDataReportPages pages;
    CheckProjectData(*d, &pages);
    for (int kind = 0; kind < kCheckPageCount; ++kind) {
      ASSERT_EQ(pages.Lines(kind).size(), 1u) << "page " << kind << ": " << cp1251::toUtf8(pages.Lines(kind)[0]);
    }
    std::map<int32_t, int> klassHours;
    int jointGroups = 0;
    for (const auto& l : d->Lessons) {
      klassHours[l->KlassID] += l->QuantsSum();
      for (int g = 0; g < l->SubItemsCount(); ++g) jointGroups += l->GetSubItem(g)->LinksCount() >= 1 ? 1 : 0;
    }
    for (const auto& [id, hours] : klassHours) EXPECT_GE(hours, 6 * L * 3 / 5);
    EXPECT_GT(jointGroups, 2 * K);
    int late = 0, freeDays = 0;
    for (const auto& k : d->Klasses) late += k->GetStartLesson(1) == 2 ? 1 : 0;
    for (const auto& t : d->Teachers) freeDays += t->MetodicalDays > 0 ? 1 : 0;
    EXPECT_GT(late, K / 6);
    EXPECT_GT(freeDays, 2);
  }
}

TEST(SchoolGenFile, SameSeedSameSchoolAndTheFileRoundTrips) {
  auto a = GenerateSchool(16, 8, 42);
  auto b = GenerateSchool(16, 8, 42);
  auto c = GenerateSchool(16, 8, 43);
  const auto imageA = WriteProjectImage(*a);
  EXPECT_EQ(imageA, WriteProjectImage(*b));
  EXPECT_NE(imageA, WriteProjectImage(*c));
  TProjectData read;
  ASSERT_TRUE(ReadProjectImage(imageA, read));
  EXPECT_EQ(WriteProjectImage(read), imageA);
  EXPECT_EQ(read.Lessons.Count(), a->Lessons.Count());
  EXPECT_EQ(read.Teachers.Count(), a->Teachers.Count());
}

TEST(SchoolGenFile, OtherSizesAndLessonsPerDay) {
  auto one = GenerateSchool(1, 8, 1);
  EXPECT_EQ(one->Klasses.Count(), 1);
  auto longDay = GenerateSchool(8, 10, 1);
  EXPECT_EQ(longDay->Params.LessonsPerDay, 10);
  EXPECT_EQ(GenerateSchool(8, 2, 1)->Params.LessonsPerDay, 6);
  for (TProjectData* d : {one.get(), longDay.get()}) {
    TDataReportPages pages;
    CheckProjectData(*d, &pages);
    // A single klass has teachers below twelve hours; the data are still sound.
    for (int kind = 0; kind < kCheckLessons; ++kind) EXPECT_EQ(pages.Lines(kind).size(), 1u);
  }
}

}  // namespace
}  // namespace korvant
