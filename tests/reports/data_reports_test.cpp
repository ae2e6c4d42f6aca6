// The data reports: their figures for the demonstration project and for
// small projects with links, split lessons and missing klasses, their
// pages, and the progress they report to their dialog.
#include "reports/data_reports.h"

#include <gtest/gtest.h>

#include "core/project/demo_project.h"
#include "core/variant/variant_fixture.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::U;
using test::W;

// The demonstration project, read once.
const TProjectData& Demo() {
  static TProjectData* d = [] {
    auto* p = new TProjectData;
    EXPECT_TRUE(ReadProjectImage(DemoProjectImage(), *p));
    return p;
  }();
  return *d;
}

std::vector<TTeacherDataRow> RowsOf(const TTeachersData& td, int teacher) {
  std::vector<TTeacherDataRow> out;
  for (const TTeacherDataRow& r : td.Rows)
    if (r.Teacher == teacher) out.push_back(r);
  return out;
}

int TeacherIndex(const TProjectData& d, const char* name) {
  for (int i = 0; i < d.Teachers.Count(); ++i)
    if (d.Teachers[i]->Name() == W(name)) return i;
  return -1;
}

TEST(DataReports, TeachersOfTheDemonstrationProject) {
  const TProjectData& d = Demo();
  const TTeachersData td = ComputeTeachersData(d);
  // Algebra and geometry in 10А and 11А (the separated block not counted);
  // the demo's klasses are all of the middle section.
  const auto lebedev = RowsOf(td, TeacherIndex(d, "Лебедев Сергей Иванович"));
  ASSERT_EQ(lebedev.size(), 2u);
  EXPECT_EQ(U(lebedev[0].Name), "Лебедев Сергей Иванович");
  EXPECT_EQ(U(lebedev[0].Subject), "Алгебра");
  EXPECT_EQ(lebedev[0].Hours, (std::array<int, 3>{0, 8, 0}));
  EXPECT_EQ(lebedev[1].Name, "");  // the name only on the first row
  EXPECT_EQ(U(lebedev[1].Subject), "Геометрия");
  EXPECT_EQ(lebedev[1].Total(), 4);
  // The joint technology lesson of 5А and 5Б counts once.
  const auto zakharova = RowsOf(td, TeacherIndex(d, "Захарова Галина Михайловна"));
  ASSERT_EQ(zakharova.size(), 1u);
  EXPECT_EQ(zakharova[0].Total(), 7);
  // Every teacher's hours are the plan the demo gives him.
  int sum = 0;
  for (int t = 0; t < d.Teachers.Count(); ++t) {
    int hours = 0;
    for (const TTeacherDataRow& r : RowsOf(td, t)) hours += r.Total();
    EXPECT_EQ(hours, d.Teachers[t]->PlanLessCnt) << U(d.Teachers[t]->Name());
    sum += hours;
  }
  EXPECT_EQ(td.Totals[0], 0);
  EXPECT_EQ(td.Totals[2], 0);
  EXPECT_EQ(td.Total(), sum);
}

TEST(DataReports, KlassesOfTheDemonstrationProject) {
  const TProjectData& d = Demo();
  const TClassData cd = ComputeClassData(d);
  ASSERT_EQ(cd.Sections[0].Rows.size(), 1u);
  EXPECT_TRUE(cd.Sections[0].Rows[0].Placeholder);
  EXPECT_EQ(cd.Sections[0].Curriculum + cd.Sections[0].Additional, 0);
  ASSERT_EQ(cd.Sections[1].Rows.size(), static_cast<std::size_t>(d.Klasses.Count()));
  const TKlassDataRow& k5a = cd.Sections[1].Rows[0];
  EXPECT_EQ(U(k5a.Name), "5А");
  EXPECT_EQ(k5a.Curriculum, 25);
  EXPECT_EQ(k5a.Additional, 3);  // the second English group
  EXPECT_TRUE(cd.Sections[2].Rows[0].Placeholder);
  EXPECT_EQ(cd.Curriculum(), cd.Sections[1].Curriculum);
}

// Teacher 0 teaches subject A in klasses of every section; six lessons of
// six klasses are linked to each other; teacher 1 teaches nothing.
struct Small {
  testing::ProjectBuilder p;
  int32_t a, b, t0, t1;
  std::vector<int32_t> k;
  Small() {
    a = p.Subject();
    b = p.Subject();
    p.d.Subjects[0]->SetName("A");
    p.d.Subjects[1]->SetName("B");
    t0 = p.Teacher();
    t1 = p.Teacher();
    p.d.Teachers[0]->SetName("T0");
    p.d.Teachers[1]->SetName("T1");
    for (int i = 0; i < 6; ++i) {
      k.push_back(p.Klass());
      p.d.Klasses[i]->SetName(std::string("K") + char('0' + i));
      p.d.Klasses[i]->Section = i < 2 ? 1 : 2;
    }
  }
};

TEST(DataReports, LinkedLessonsCountOnceOnTheLowestKlass) {
  Small s;
  std::vector<TLessonItem*> linked;
  // Created from the highest klass down, so the lowest klass is not first.
  for (int i = 5; i >= 0; --i) linked.push_back(s.p.Lesson(s.k[i], {{s.a, s.t0}}, {1, 2}));
  for (std::size_t i = 0; i < linked.size(); ++i)
    for (std::size_t j = i + 1; j < linked.size(); ++j) testing::ProjectBuilder::Link(linked[i], 0, linked[j], 0);
  const TTeachersData td = ComputeTeachersData(s.p.d);
  ASSERT_EQ(td.Rows.size(), 2u);
  EXPECT_EQ(td.Rows[0].Hours, (std::array<int, 3>{0, 3, 0}));  // on K0, section 1
  // A teacher without lessons: one row with his name and zeros.
  EXPECT_EQ(td.Rows[1].Name, "T1");
  EXPECT_EQ(td.Rows[1].Subject, "");
  EXPECT_EQ(td.Rows[1].Total(), 0);
}

TEST(DataReports, ALinkToALessonWithoutKlassDoesNotLoseTheHours) {
  Small s;
  TLessonItem* mine = s.p.Lesson(s.k[3], {{s.a, s.t0}}, {2});
  TLessonItem* orphan = s.p.Lesson(s.k[0], {{s.a, s.t0}}, {2});
  testing::ProjectBuilder::Link(mine, 0, orphan, 0);
  s.p.d.Klasses.Delete(0);  // the orphan's klass goes
  const TTeachersData td = ComputeTeachersData(s.p.d);
  EXPECT_EQ(td.Rows[0].Hours, (std::array<int, 3>{0, 0, 2}));
}

TEST(DataReports, SplitLessonsAndMissingKlasses) {
  Small s;
  s.p.d.Klasses[0]->Section = 0;
  // Two groups of one subject: curriculum and additional hours.
  s.p.Lesson(s.k[0], {{s.a, s.t0}, {s.a, s.t1}}, {1, 1, 1});
  // A group without subject adds nothing; a lesson of no klass neither.
  s.p.Lesson(s.k[0], {{s.b, s.t0}, {-1, s.t1}}, {2});
  s.p.Lesson(999, {{s.a, s.t0}}, {5});
  const TClassData cd = ComputeClassData(s.p.d);
  ASSERT_EQ(cd.Sections[0].Rows.size(), 1u);
  EXPECT_EQ(cd.Sections[0].Rows[0].Curriculum, 5);
  EXPECT_EQ(cd.Sections[0].Rows[0].Additional, 3);
  EXPECT_EQ(cd.Sections[1].Rows.size(), 1u);  // K1 only
  EXPECT_EQ(cd.Curriculum(), 5);
  const TTeachersData td = ComputeTeachersData(s.p.d);
  EXPECT_EQ(td.Totals, (std::array<int, 3>{8, 0, 0}));  // T0: A 3 and B 2; T1: A 3
}

// Records the progress messages a report sends its dialog.
struct Recorder : MessageTarget {
  std::vector<std::pair<MsgParam, MsgParam>> got;
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    if (msg == kMsgPrint) got.emplace_back(w, l);
    return 0;
  }
};

TEST(DataReports, PagesAndProgressOfTheTeachersReport) {
  const TProjectData& d = Demo();
  Recorder rec;
  TTeachersDataRpForm form(&rec, d);
  const auto pages = form.Generate();
  ASSERT_FALSE(pages.empty());
  const QStringList first = pages[0].Texts();
  EXPECT_EQ(first[0], "Нагрузка по учебному плану");
  EXPECT_TRUE(first.contains("\"Корвант\""));
  EXPECT_TRUE(first.contains(ToQt(d.Params.Description)));
  EXPECT_TRUE(first.contains("Количество часов"));
  EXPECT_TRUE(pages.back().Texts().contains("Всего"));
  const int n = d.Teachers.Count();
  ASSERT_EQ(rec.got.size(), static_cast<std::size_t>(n + 2));
  EXPECT_EQ(rec.got.front(), std::make_pair(MsgParam{kPrintProgressRange}, MsgParam{n}));
  EXPECT_EQ(rec.got[1], std::make_pair(MsgParam{kPrintProgressPos}, MsgParam{0}));
  EXPECT_EQ(rec.got.back(), std::make_pair(MsgParam{kPrintProgressPos}, MsgParam{-1}));

  TProjectData empty;
  const auto none = TTeachersDataRpForm(nullptr, empty).Generate();
  ASSERT_EQ(none.size(), 1u);
  EXPECT_TRUE(none[0].Texts().contains(NoDataText()));
}

TEST(DataReports, PagesOfTheKlassesReport) {
  const TProjectData& d = Demo();
  Recorder rec;
  const auto pages = TClassDataRpForm(&rec, d).Generate();
  ASSERT_EQ(pages.size(), 1u);
  const QStringList t = pages[0].Texts();
  EXPECT_EQ(t[0], "Тарификация");
  EXPECT_EQ(t.count("Итого"), 3);
  EXPECT_EQ(t.count("---"), 8);  // two empty sections, four cells each
  EXPECT_TRUE(t.contains("5 - 9 кл."));
  EXPECT_EQ(rec.got.size(), static_cast<std::size_t>(d.Klasses.Count() + 1));
  EXPECT_EQ(rec.got[0].second, 1);
  EXPECT_EQ(rec.got.back().second, -1);
}

}  // namespace
}  // namespace korvant
