// The journal's rules on small hand-built variants: lesson texts, absence
// rows, row removal and the ranked choice of a substitute.
#include "core/substitutions/zamesh_journal.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::Built;
using testing::ProjectBuilder;

constexpr int kMon = 1;
constexpr double kMonday2024 = 45292.0;  // 2024-01-01


// Klasses 5a, 6b, 7c; teachers Ivanov (absent one), Petrov, Sidorov,
// Orlov, Volkov, Zaitsev, Lisin; L = 4. Monday:
//   hour 2: 5a lesson A {Math Ivanov, Physics Petrov}, Ivanov's group joint
//           with 7c lesson F {Math Ivanov}; 6b lesson B {Math Sidorov,
//           Physics Lisin};
//   hour 4: 6b lesson C {Physics Orlov}.
// Volkov has no lesson; Zaitsev and Lisin have Monday hour 2 closed by
// their wishes (levels 1 and 0).
struct School {
  int A = -1, B = -1, C = -1;
  enum { Ivanov, Petrov, Sidorov, Orlov, Volkov, Zaitsev, Lisin };

  School() {
    ProjectBuilder p(4);
    const int32_t math = p.Subject(), phys = p.Subject();
    p.d.Subjects[0]->SetName("Math");
    p.d.Subjects[1]->SetName("Physics");
    const int32_t k5 = p.Klass(), k6 = p.Klass(), k7 = p.Klass();
    p.d.Klasses[0]->SetName("5a");
    p.d.Klasses[1]->SetName("6b");
    p.d.Klasses[2]->SetName("7c");
    p.d.Klasses[2]->Section = 2;
    const char* names[] = {"Ivanov", "Petrov", "Sidorov", "Orlov", "Volkov", "Zaitsev", "Lisin"};
    std::vector<int32_t> t;
    for (const char* n : names) {
      t.push_back(p.Teacher());
      p.d.Teachers[static_cast<int>(t.size()) - 1]->SetName(n);
    }
    p.d.Teachers[Zaitsev]->SetBusy(2, {1, 1});
    p.d.Teachers[Lisin]->SetBusy(2, {1, 0});
    TLessonItem* a = p.Lesson(k5, {{math, t[Ivanov]}, {phys, t[Petrov]}}, {1});
    a->GetSubItem(0)->SetFictionName("Gym");
    TLessonItem* b = p.Lesson(k6, {{math, t[Sidorov]}, {phys, t[Lisin]}}, {1});
    TLessonItem* c = p.Lesson(k6, {{phys, t[Orlov]}}, {1});
    TLessonItem* f = p.Lesson(k7, {{math, t[Ivanov]}}, {1});
    ProjectBuilder::Link(a, 0, f, 0);
    const int32_t aid = a->ID(), bid = b->ID(), cid = c->ID();
    b_ = Build(p.d);
    A = testing::LessonIndex(*b_.model, 0, aid);
    B = testing::LessonIndex(*b_.model, 1, bid);
    C = testing::LessonIndex(*b_.model, 1, cid);
    EXPECT_TRUE(var().PlaceLinkedLesson(0, A, false, kMon, 2, 1));
    EXPECT_TRUE(var().PlaceLinkedLesson(1, B, false, kMon, 2, 1));
    EXPECT_TRUE(var().PlaceLinkedLesson(1, C, false, kMon, 4, 1));
  }
  TTableVarItem& var() { return *b_.var; }
  Built b_;
};

TZameshRow JournalRow(const std::string& lesson, const std::string& absent, uint32_t set = 0,
                      const std::string& substitute = {}) {
  TZameshRow r;
  r.Texts[kZamLesson] = lesson;
  r.Texts[kZamAbsent] = absent;
  r.Texts[kZamSubstitute] = substitute;
  r.Objects[kZamAbsent] = set;
  return r;
}

std::vector<std::string> Texts(const std::vector<TSubstituteCandidate>& c) {
  std::vector<std::string> out;
  for (const auto& x : c) out.push_back(cp1251::toUtf8(x.Text));
  return out;
}

TEST(ZameshJournal, WeekdayOfADate) {
  EXPECT_EQ(ZameshWeekday(kMonday2024), 1);
  EXPECT_EQ(ZameshWeekday(kMonday2024 + 5.75), 6);  // Saturday evening
  EXPECT_EQ(ZameshWeekday(kMonday2024 + 6), 0);     // Sunday
  EXPECT_EQ(ZameshWeekday(0.0), 6);                 // 1899-12-30
  EXPECT_EQ(ZameshWeekday(2.0), 1);                 // 1900-01-01
}

TEST(ZameshJournal, LessonTextsOfATeachersHour) {
  School s;
  const TJournalLesson l = JournalLessonAt(s.var(), School::Ivanov, kMon, 2);
  ASSERT_TRUE(l.Found);
  EXPECT_EQ(l.KlassText, "5a/7c");  // the joint klass follows
  EXPECT_EQ(l.Subject, "Math");
  EXPECT_EQ(l.Room, "Gym");  // the fictitious room wins
  EXPECT_EQ(l.Section, 1);
  EXPECT_FALSE(JournalLessonAt(s.var(), School::Ivanov, kMon, 3).Found);
  EXPECT_FALSE(JournalLessonAt(s.var(), School::Ivanov, 0, 2).Found);  // Sunday
  EXPECT_FALSE(JournalLessonAt(s.var(), School::Ivanov, kMon, 5).Found);  // past L

  const auto day = TeacherDay(s.var(), School::Ivanov, kMon);
  ASSERT_EQ(day.size(), 4u);
  EXPECT_EQ(cp1251::toUtf8(JournalDayLine(1, day[0])), "1. Нет");
  EXPECT_EQ(JournalDayLine(2, day[1]), "2. 5a/7c Math");
  EXPECT_TRUE(TeacherDay(s.var(), School::Ivanov, 0).empty());
}

TEST(ZameshJournal, AbsenceRowsFillTheEmptyRowAndAreNotDoubled) {
  School s;
  const auto day = TeacherDay(s.var(), School::Ivanov, kMon);
  std::vector<TZameshRow> rows(1);  // a day without rows shows one empty row
  // Lessons 1 (none) and 2 ticked: one row, the set holds both.
  EXPECT_EQ(AddAbsenceRows(rows, "Ivanov", day, {true, true, false, false}), 1);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Texts[kZamLesson], "2");
  EXPECT_EQ(rows[0].Texts[kZamAbsent], "Ivanov");
  EXPECT_EQ(rows[0].Texts[kZamKlass], "5a/7c");
  EXPECT_EQ(rows[0].Texts[kZamRoom], "Gym");
  EXPECT_EQ(cp1251::toUtf8(rows[0].Texts[kZamReason]), "Больничный");
  EXPECT_EQ(rows[0].Texts[kZamTaught], "Math");
  EXPECT_EQ(rows[0].Objects[kZamAbsent], 0b11u);
  // The same again adds nothing, even with another reason in the row.
  rows[0].Texts[kZamReason] = "x";
  EXPECT_EQ(AddAbsenceRows(rows, "Ivanov", day, {true, true, false, false}), 0);
  // Only lessons without a lesson ticked: nothing.
  EXPECT_EQ(AddAbsenceRows(rows, "Ivanov", day, {true, false, true, false}), 0);
  // Another teacher appends.
  const auto orlov = TeacherDay(s.var(), School::Orlov, kMon);
  EXPECT_EQ(AddAbsenceRows(rows, "Orlov", orlov, {false, false, false, true}), 1);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].Texts[kZamLesson], "4");
  EXPECT_EQ(rows[1].Objects[kZamAbsent], 0b1000u);
}

TEST(ZameshJournal, DeletingRows) {
  std::vector<TZameshRow> rows = {JournalRow("1", "A"), JournalRow("2", "B")};
  EXPECT_TRUE(DeleteJournalRow(rows, 0));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].Texts[kZamAbsent], "B");
  EXPECT_TRUE(DeleteJournalRow(rows, 0));  // the last row stays, emptied
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], TZameshRow{});
  EXPECT_FALSE(DeleteJournalRow(rows, 0));  // nothing to delete
  EXPECT_FALSE(DeleteJournalRow(rows, 5));
}

TEST(ZameshJournal, ReplacedLessonIsFoundOnlyWhenTaught) {
  School s;
  TSubstituteContext ctx;
  ASSERT_TRUE(LocateReplacedLesson(s.var(), JournalRow("2", "IVANOV"), kMon, ctx));  // Latin case ignored
  EXPECT_EQ(ctx.AbsentTeacher, School::Ivanov);
  EXPECT_EQ(ctx.Klass, 0);
  EXPECT_EQ(ctx.Group, 0);
  EXPECT_EQ(ctx.Links, 1);
  EXPECT_FALSE(LocateReplacedLesson(s.var(), JournalRow("3", "Ivanov"), kMon, ctx));  // free then
  EXPECT_FALSE(LocateReplacedLesson(s.var(), JournalRow("2", "Nobody"), kMon, ctx));
  EXPECT_FALSE(LocateReplacedLesson(s.var(), JournalRow("x", "Ivanov"), kMon, ctx));
  EXPECT_FALSE(LocateReplacedLesson(s.var(), JournalRow("2", "Ivanov"), 0, ctx));  // Sunday
}

struct Ranking : ::testing::Test {
  School s;
  TSubstituteContext ctx;
  void SetUp() override { ASSERT_TRUE(LocateReplacedLesson(s.var(), JournalRow("2", "Ivanov"), kMon, ctx)); }
  std::vector<std::string> Rank(const std::vector<TZameshRow>& rows, int wills = 2) {
    return Texts(RankSubstitutes(ctx, BuildExclusionTable(rows, VariantTeacherNames(s.var())), wills));
  }
};

TEST_F(Ranking, ClassesInOrderEachInCollectionOrder) {
  // Sidorov teaches at that hour: not listed. Lisin teaches then too, but
  // his wishes close the hour, which is looked at first.
  EXPECT_EQ(Rank({}), (std::vector<std::string>{"гр. Petrov", "ок. Orlov", "св. Volkov", "зн. Zaitsev",
                                                 "зн. Lisin"}));
  const auto c = RankSubstitutes(ctx, {}, 2);
  EXPECT_EQ(c[0].Teacher, School::Petrov);
  EXPECT_EQ(c[0].Rank, SubstituteRank::Group);
}

TEST_F(Ranking, WishesCountByStrictness) {
  // Level 1 closes the hour only below strictness 4; level 0 always.
  EXPECT_EQ(Rank({}, 4), (std::vector<std::string>{"гр. Petrov", "ок. Orlov", "св. Volkov", "св. Zaitsev",
                                                    "зн. Lisin"}));
  EXPECT_EQ(Rank({}, 1), Rank({}, 3));
}

TEST_F(Ranking, AbsentTeachersAreNeverListed) {
  // Petrov absent at lessons 1..2; Orlov entered absent twice, at lesson 4
  // and later at lesson 2: his second absence counts as much as his first.
  const std::vector<TZameshRow> rows = {JournalRow("1", "Petrov", 0b11), JournalRow("4", "Orlov", 0b1000),
                                        JournalRow("4", "Orlov", 0b0010)};
  EXPECT_EQ(Rank(rows), (std::vector<std::string>{"св. Volkov", "зн. Zaitsev", "зн. Lisin"}));
  EXPECT_EQ(Rank({rows[0], rows[1]}),
            (std::vector<std::string>{"ок. Orlov", "св. Volkov", "зн. Zaitsev", "зн. Lisin"}));
}

TEST_F(Ranking, BookedSubstitutesAreLeftOutButNotGroupTeachers) {
  const std::vector<TZameshRow> rows = {JournalRow("2", "Sidorov", 0b10, "Orlov"),
                                        JournalRow("2", "Lisin", 0b10, "Petrov"),
                                        JournalRow("3", "Lisin", 0b10, "Volkov")};
  // Orlov books lesson 2, Petrov too but teaches the lesson's other group;
  // Volkov is booked at another lesson only.
  EXPECT_EQ(Rank(rows), (std::vector<std::string>{"гр. Petrov", "св. Volkov", "зн. Zaitsev"}));
}

TEST_F(Ranking, ChosenSubstituteGoesIntoTheRow) {
  const auto c = RankSubstitutes(ctx, {}, 2);
  TZameshRow row = JournalRow("2", "Ivanov");
  ApplySubstitute(row, c[0], s.var());
  EXPECT_EQ(row.Texts[kZamSubstitute], "Petrov");
  EXPECT_EQ(row.Objects[kZamSubstitute], 1u);
  ApplySubstitute(row, c[2], s.var());
  EXPECT_EQ(row.Texts[kZamSubstitute], "Volkov");
  EXPECT_EQ(row.Objects[kZamSubstitute], 0u);
}

// ---- the count report ----

TEST(ZameshCount, DaysInDateOrderEveryRowNoNamelessTeacher) {
  auto row = [](const char* absent, uint32_t section, const char* substitute, uint32_t group) {
    TZameshRow r;
    r.Texts[kZamLesson] = "1";
    r.Texts[kZamAbsent] = absent;
    r.Texts[kZamSubstitute] = substitute;
    r.Objects[kZamKlass] = section;
    r.Objects[kZamSubstitute] = group;
    return r;
  };
  auto image = TZameshImage::FromBytes(TZameshImage::NewBytes());
  ASSERT_TRUE(image);
  auto save = [&](double date, std::vector<TZameshRow> rows) {
    std::unique_ptr<TZameshImage> next;
    ASSERT_EQ(image->PlanSave(date, rows, next), ZameshSaveResult::Saved);
    image = std::move(next);
  };
  // The later day is stored first, in the lower index entry.
  save(45300.25, {row("B", 2, "A", 1), row("C", 0, "", 0)});
  save(45299, {row("A", 0, "B", 0), row("a", 1, "B", 1)});
  save(45310, {row("Z", 0, "Y", 0)});  // after the period

  const std::vector<TZameshTeacherCount> c = CountZamesh(*image, 45299.9, 45300);
  ASSERT_EQ(c.size(), 4u);  // A, B, a, C: no teacher without a name
  EXPECT_EQ(c[0].Name, "A");
  EXPECT_EQ(c[0].MissedJunior, 1);
  EXPECT_EQ(c[0].SubstOtherGroup, 1);
  EXPECT_EQ(c[1].Name, "B");
  EXPECT_EQ(c[1].SubstJunior, 1);
  EXPECT_EQ(c[1].SubstOtherGroup, 1);
  EXPECT_EQ(c[1].MissedOther, 1);
  EXPECT_EQ(c[2].Name, "a");
  EXPECT_EQ(c[2].MissedOther, 1);
  EXPECT_EQ(c[3].Name, "C");
  EXPECT_EQ(c[3].Missed(), 1);
  EXPECT_EQ(c[3].Substituted(), 0);
  EXPECT_TRUE(CountZamesh(*image, 45301, 45309).empty());
}

}  // namespace
}  // namespace korvant
