// The timetable reports: their pages for the demonstration project with a
// planned week (written as PDF files into tests/reports, with the data
// reports), the texts of joint groups, rooms and links on a small variant,
// places past 8, the shading of wished-free places, and the progress.
#include "reports/timetable_reports.h"

#include <gtest/gtest.h>

#include <numeric>

#include "core/variant/variant_fixture.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "report_test_util.h"
#include "reports/data_reports.h"
#include "reports/report_parts.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::AllTexts;
using test::Planned;
using test::PrintToPdf;
using test::W;

struct Recorder : MessageTarget {
  std::vector<std::pair<MsgParam, MsgParam>> got;
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    if (msg == kMsgPrint) got.emplace_back(w, l);
    return 0;
  }
  // The range announced and the positions sent (without the closing -1).
  MsgParam Range() const { return got.empty() ? -1 : got.front().second; }
  std::vector<MsgParam> Positions() const {
    std::vector<MsgParam> p;
    for (const auto& [w, l] : got)
      if (w == kPrintProgressPos && l >= 0) p.push_back(l);
    return p;
  }
};

const std::string kProject = W("Школа №1");
const std::string kVariant = W("Вариант А");
const QString kDescriptions = QStringLiteral("Школа №1  Вариант А");

// The detail bands of a page, in order.
std::vector<const TReportBand*> Rows(const TReportPage& page) {
  std::vector<const TReportBand*> out;
  for (const TPlacedBand& b : page.Bands)
    if (b.Band.Kind == TBandKind::Detail) out.push_back(&b.Band);
  return out;
}

// What klass k has at (day, place) as its first group's subject name.
QString FirstSubject(const TRunModel& m, const TTableVarItem& var, int k, int day, int place) {
  const TTableCell c = var.GetCell(k, day, place);
  if (c.Lesson < 0) return {};
  const TRTILessonItem* l = m.Klasses[k]->Lessons[c.Lesson];
  return ToQt(m.Subjects[l->GetSubItem(0)->SubjectID]->DisplayName());
}

TEST(TimetableReports, DemonstrationWeekToPdf) {
  const test::PlannedDemo& demo = Planned();
  const TTableVarItem& var = *demo.Var;
  const TRunModel& m = *demo.Model;
  ASSERT_EQ(var.KlassCount(), 8);
  ASSERT_EQ(var.LessonsPerDay(), 8);
  const int teachers = var.TeacherCount();
  TReportSetup setup;

  // All klasses: two groups of klasses, two days a page, so six pages.
  {
    Recorder rec;
    TAllClsRpForm f(&rec, var, kProject, kVariant);
    const auto pages = f.Generate(&setup);
    ASSERT_EQ(pages.size(), 6u);
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-klasses.pdf"), 6);
    EXPECT_EQ(setup.Orientation, QPageLayout::Landscape);
    test::ExpectTextsWhole(pages, setup);
    const QStringList p1 = pages[0].Texts();
    EXPECT_EQ(p1.mid(0, 8), (QStringList{kDescriptions, "№", "5А", "5Б", "6А", "7А", "8А", "9А"}));
    EXPECT_TRUE(p1.contains("Понедельник") && p1.contains("Вторник") && !p1.contains("Среда"));
    EXPECT_TRUE(pages[2].Texts().contains("Суббота"));
    EXPECT_EQ(pages[3].Texts().mid(1, 3), (QStringList{"№", "10А", "11А"}));
    EXPECT_TRUE(pages[5].Texts().contains("Страница 6"));
    // Monday's first row: place 1, then 5А's subject and room cells.
    const std::vector<const TReportBand*> rows = Rows(pages[0]);
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows[0]->Cells[0].Text, "1");
    EXPECT_EQ(rows[0]->Cells[1].Text, FirstSubject(m, var, 0, 1, 1));
    EXPECT_FALSE(rows[0]->Cells[1].Text.isEmpty());
    EXPECT_EQ(rows[9]->Cells[3].Text, FirstSubject(m, var, 1, 2, 2));  // Tuesday, place 2, 5Б
    // The progress announces what it advances: a step a row.
    const std::vector<MsgParam> pos = rec.Positions();
    ASSERT_EQ(pos.size(), 2u * 6 * 8);
    EXPECT_EQ(rec.Range(), static_cast<MsgParam>(pos.size()) + 1);
    EXPECT_EQ(pos.back(), rec.Range() - 1);
    EXPECT_EQ(rec.got.back(), std::make_pair(MsgParam{kPrintProgressPos}, MsgParam{-1}));
  }
  // All teachers: a day a page, the captions on each.
  {
    Recorder rec;
    TAllTchRpForm f(&rec, var, kProject, kVariant);
    const auto pages = f.Generate(&setup);
    ASSERT_EQ(pages.size(), 6u);
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-teachers.pdf"), 6);
    test::ExpectTextsWhole(pages, setup);
    const char* days[] = {"Понедельник", "Вторник", "Среда", "Четверг", "Пятница", "Суббота"};
    for (int d = 0; d < 6; ++d) {
      const QStringList t = pages[static_cast<std::size_t>(d)].Texts();
      EXPECT_EQ(t.mid(0, 4), (QStringList{kDescriptions, days[d], "Ф.И.О.", "1"}));
      EXPECT_TRUE(t.contains("8"));
      EXPECT_EQ(Rows(pages[static_cast<std::size_t>(d)]).size(), static_cast<std::size_t>(teachers));
    }
    EXPECT_EQ(Rows(pages[0])[0]->Cells[0].Text, ToQt(m.Teachers[0]->DisplayName()));
    EXPECT_EQ(rec.Range(), 6 * teachers);
    EXPECT_EQ(rec.Positions().back(), 6 * teachers - 1);
  }
  // One klass: its name as the title; the short form is the week grid alone.
  {
    TClassTableRpForm full(nullptr, false, 0, var, kProject, kVariant);
    const auto pages = full.Generate(&setup);
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-klass.pdf"), static_cast<int>(pages.size()));
    test::ExpectTextsWhole(pages, setup);
    const QStringList t = AllTexts(pages);
    EXPECT_EQ(t.mid(0, 4), (QStringList{"5А", "\"Корвант\"", "Школа №1", "Вариант А"}));
    EXPECT_EQ(t.count("Понедельник"), 2);  // the week grid and its block
    const std::vector<const TReportBand*> rows = Rows(pages[0]);
    EXPECT_EQ(rows[0]->Cells[1].Text, FirstSubject(m, var, 0, 1, 1));  // place 1, Monday
    TClassTableRpForm brief(nullptr, true, 0, var, kProject, kVariant);
    const auto one = brief.Generate(&setup);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].Texts().count("Понедельник"), 1);
    EXPECT_EQ(Rows(one[0]).size(), 8u);
    EXPECT_LT(one[0].Texts().size(), t.size());
  }
  // One teacher: the klass text in the week grid.
  {
    TTeacherTableRpForm f(nullptr, false, 0, var, kProject, kVariant);
    const auto pages = f.Generate(&setup);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-teacher.pdf"), 1);
    test::ExpectTextsWhole(pages, setup);
    EXPECT_EQ(pages[0].Texts()[0], ToQt(m.Teachers[0]->DisplayName()));
    int k = -1, g = -1, links = 0;
    bool found = false;
    for (int d = 1; d <= 6 && !found; ++d)
      for (int p = 1; p <= 8 && !found; ++p)
        if (var.FindTeacherLesson(0, p, d, k, g, links)) {
          found = true;
          EXPECT_EQ(Rows(pages[0])[static_cast<std::size_t>(p - 1)]->Cells[static_cast<std::size_t>(d)].Text,
                    ToQt(m.Klasses[k]->DisplayName()));
        }
    EXPECT_TRUE(found);
  }
  // The data reports, their section captions whole.
  {
    TTeachersDataRpForm f(nullptr, demo.Data);
    const auto pages = f.Generate(&setup);
    EXPECT_EQ(PrintToPdf(pages, setup, "data-teachers.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
    const QStringList t = pages[0].Texts();
    EXPECT_TRUE(t.contains("1 - 3 кл.") && t.contains("5 - 9 кл.") && t.contains("10 - 11 кл."));
  }
  {
    TClassDataRpForm f(nullptr, demo.Data);
    const auto pages = f.Generate(&setup);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(PrintToPdf(pages, setup, "data-klasses.pdf"), 1);
    test::ExpectCaptionsWhole(pages, setup);
  }
}

// Seven klasses and ten places a day: joint groups, rooms, a fictitious
// room, a group without teacher, a linked lesson, a wished-free hour.
// A lesson's cell at a place of a klass's day, with the rooms of its groups.
void PutCell(TTableVarItem& var, int klass, int day, int place, int lesson, std::vector<uint16_t> rooms) {
  TTableCell c;
  c.Hour = place;
  c.Lesson = lesson;
  for (std::size_t i = 0; i < rooms.size(); ++i) c.Rooms[i] = rooms[i];
  var.SetCell(klass, day, place, c);
}

struct SmallVariant {
  testing::ProjectBuilder p{10};
  testing::Built b;
  int32_t eng, ger, math;
  int32_t t0, t1, t2;
  std::vector<int32_t> k;
  int lessonA = -1, lessonB = -1, lessonC = -1, lessonD = -1;

  SmallVariant() {
    eng = p.Subject();
    ger = p.Subject();
    math = p.Subject();
    p.d.Subjects[0]->SetName(W("Английский"));
    p.d.Subjects[1]->SetName(W("Немецкий"));
    p.d.Subjects[2]->SetName(W("Математика"));
    p.Room();
    p.Room();
    p.d.Rooms[0]->SetName("12");
    p.d.Rooms[1]->SetName("14");
    t0 = p.Teacher();
    t1 = p.Teacher();
    t2 = p.Teacher();
    for (int i = 0; i < 3; ++i) p.d.Teachers[i]->SetName(std::string("T") + char('0' + i));
    // T1 wishes Monday's place 4 free at level 2.
    p.d.Teachers[1]->SetBusy(4, TTeacherHourCell{1, 2});
    for (int i = 0; i < 7; ++i) {
      k.push_back(p.Klass());
      p.d.Klasses[i]->SetName(std::string("K") + char('0' + i));
    }
    TLessonItem* a = p.Lesson(k[0], {{eng, t0}, {ger, t1}}, {2});
    TLessonItem* bl = p.Lesson(k[0], {{math, t2}}, {1});
    TLessonItem* c = p.Lesson(k[1], {{math, t2}}, {1});
    testing::ProjectBuilder::Link(bl, 0, c, 0);
    TLessonItem* d = p.Lesson(k[0], {{math, -1}}, {1});
    d->GetSubItem(0)->SetFictionName(W("Стадион"));
    b = testing::Build(p.d);
    lessonA = testing::LessonIndex(*b.model, 0, a->ID());
    lessonB = testing::LessonIndex(*b.model, 0, bl->ID());
    lessonC = testing::LessonIndex(*b.model, 1, c->ID());
    lessonD = testing::LessonIndex(*b.model, 0, d->ID());
    PutCell(*b.var, 0, 1, 1, lessonA, {0, 1});
    PutCell(*b.var, 0, 1, 2, lessonA, {});
    PutCell(*b.var, 0, 1, 3, lessonB, {});
    PutCell(*b.var, 1, 1, 3, lessonC, {});
    PutCell(*b.var, 0, 2, 10, lessonD, {});
  }
};

TEST(TimetableReports, GroupsRoomsLinksAndPlacesPastEight) {
  SmallVariant s;
  const TTableVarItem& var = *s.b.var;
  const TTimetableTexts tx(var);
  const auto u = [](const std::string& cp) { return ToQt(cp); };
  EXPECT_EQ(tx.Places(), 10);
  EXPECT_EQ(u(tx.KlassSubjects(0, 1, 1, "------", true)), "Анг/Нем");
  EXPECT_EQ(u(tx.KlassSubjects(0, 1, 1, "------", false)), "Английский/Немецкий");
  EXPECT_EQ(u(tx.KlassRooms(0, 1, 1)), "12/14");
  EXPECT_EQ(u(tx.KlassRooms(0, 1, 2)), "");  // neither group has a room
  EXPECT_EQ(u(tx.KlassTeachers(0, 1, 1)), "T0/T1");
  EXPECT_EQ(u(tx.KlassTeachers(0, 2, 10)), "------");
  EXPECT_EQ(u(tx.KlassRooms(0, 2, 10)), "Стадион");
  EXPECT_EQ(u(tx.TeacherKlass(2, 1, 3)), "K0/K1");
  EXPECT_EQ(u(tx.TeacherSubject(1, 1, 1, "-----")), "Немецкий");
  EXPECT_EQ(u(tx.TeacherRoom(1, 1, 1)), "14");
  EXPECT_EQ(u(tx.TeacherKlass(0, 1, 4)), "");

  TReportSetup setup;
  // All klasses: the second group shows K6 and five empty columns; place
  // 10 is printed with its lesson.
  Recorder rec;
  const auto pages = TAllClsRpForm(&rec, var, kProject, kVariant).Generate(&setup);
  const TReportPage* second = nullptr;
  for (const TReportPage& pg : pages)
    if (pg.Texts().contains("K6")) {
      second = &pg;
      break;
    }
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->Texts().contains("K0"));
  const TReportBand& head = second->Bands[0].Band;
  ASSERT_EQ(head.Cells.size(), 8u);
  EXPECT_EQ(head.Cells[2].Text, "K6");
  for (std::size_t i = 3; i < 8; ++i) EXPECT_TRUE(head.Cells[i].Text.isEmpty());
  bool placeTen = false;
  for (const TReportPage& pg : pages)
    for (const TReportBand* r : Rows(pg))
      if (r->Cells[0].Text == "10" && r->Cells[1].Text == "Математика") {
        placeTen = true;
        EXPECT_EQ(r->Cells[2].Text, "Стадион");
      }
  EXPECT_TRUE(placeTen);
  EXPECT_EQ(rec.Positions().size(), 2u * 6 * 10);
  EXPECT_EQ(rec.Positions().back(), rec.Range() - 1);

  // All teachers: places 9 and 10 in a block of their own; T1's wished-free
  // place is shaded under strictness 2 and white under 3.
  for (int wills : {2, 3}) {
    s.b.model->TeachersWills = wills;
    const auto tp = TAllTchRpForm(nullptr, var, kProject, kVariant).Generate(&setup);
    const std::vector<const TReportBand*> monday = Rows(tp[0]);
    ASSERT_EQ(monday.size(), 6u);  // three teachers, two blocks of places
    EXPECT_TRUE(tp[0].Texts().contains("9") && tp[0].Texts().contains("10"));
    const TReportBand& t0 = *monday[0];
    EXPECT_EQ(t0.Cells[1].Text, "K0");
    EXPECT_EQ(t0.Cells[2].Text, "Анг");
    EXPECT_EQ(t0.Cells[3].Text, "12");
    const TReportBand& t1 = *monday[1];
    const std::size_t place4 = 1 + 3 * 3;
    EXPECT_EQ(t1.Cells[place4].Fill.isValid(), wills == 2);
    EXPECT_FALSE(t1.Cells[place4 + 3].Fill.isValid());
    EXPECT_EQ(monday[3]->Cells.size(), 1u + 2 * 3);  // places 9 and 10
  }

  // The one-klass report prints places 9 and 10 too.
  const auto kp = TClassTableRpForm(nullptr, true, 0, var, kProject, kVariant).Generate(&setup);
  EXPECT_EQ(Rows(kp[0]).size(), 10u);
  EXPECT_EQ(Rows(kp[0])[9]->Cells[2].Text, "Математика");  // Tuesday, place 10
}

// Columns laid out for their texts: always the whole width between them;
// the largest size at which every text fits one line; else, at the
// smallest size, short columns keep their texts on one line and the
// others wrap their longer texts.
TEST(TimetableReports, ColumnsShareTheWidthAsTheirTextsNeed) {
  const TReportSetup setup;
  auto need = [&](const QString& t, double size) { return TextWidth(t, size, false, setup.FontFamily) + 2 * kCellTextInset; };
  const QString room = "Кабинет информатики 214";
  QStringList mostlyShort;
  for (int i = 0; i < 9; ++i) mostlyShort << "каб. 5";
  mostlyShort << room;
  struct Case {
    const char* what;
    std::vector<QStringList> texts;
    double width;
    double font;   // expected size
    bool oneLine;  // expected
    double tiniest = 0;  // the smallest size for a cell's long word (0: none smaller)
  };
  const Case cases[] = {
      {"roomy: the largest size", {{"5А", "11Б"}, {room}}, 300, 8, true},
      {"tight: a smaller size", {{"5А", "11Б"}, {room}}, need(room, 6) + need("11Б", 6) + 3, 6, true},
      {"too tight: the short column whole, the long one wraps", {{"5А", "11Б"}, {room}}, 60, 5, false},
      {"one long text among short ones wraps", {{"5А"}, mostlyShort}, need("каб. 5", 5) + need("5А", 5) + 4, 5, false},
      {"words too wide at 5: each column as wide as its longest word at 4", {{"Математика"}, {room}},
       need("Математика", 4) + need("информатики", 4) + 4, 5, false, 4},
  };
  for (const Case& c : cases) {
    const TColumnFit fit = FitColumns(c.texts, c.width, 8, 5, setup, false, kCellTextInset, c.tiniest);
    if (c.tiniest > 0) {
      EXPECT_GE(fit.Widths[0], need("Математика", c.tiniest)) << c.what;
      EXPECT_GE(fit.Widths[1], need("информатики", c.tiniest)) << c.what;
    }
    EXPECT_EQ(fit.FontSize, c.font) << c.what;
    EXPECT_EQ(fit.OneLine, c.oneLine) << c.what;
    ASSERT_EQ(fit.Widths.size(), c.texts.size()) << c.what;
    EXPECT_NEAR(std::accumulate(fit.Widths.begin(), fit.Widths.end(), 0.0), c.width, 1e-6) << c.what;
    // The klass column keeps its texts on one line.
    if (c.tiniest > 0) continue;
    for (const QString& t : c.texts[0]) EXPECT_LE(need(t, fit.FontSize), fit.Widths[0]) << c.what << " " << t.toStdString();
  }
}

// A school with long names: every place of two klasses' week taken by a
// lesson of two groups, long teachers' and rooms' names, a teacher who
// teaches both klasses at once.
struct LongNames {
  testing::ProjectBuilder p;
  testing::Built b;
  explicit LongNames(int lessonsPerDay = 8) : p(lessonsPerDay) {
    for (const char* n : {"Информатика и ИКТ", "Иностранный язык (английский)", "Физическая культура"})
      p.d.Subjects.FindItemID(p.Subject())->SetName(W(n));
    for (const char* n : {"Кабинет информатики 214", "Лингафонный кабинет 305", "Спортивный зал 2"})
      p.d.Rooms.FindItemID(p.Room())->SetName(W(n));
    for (const char* n : {"Александрова-Никольская Е. В.", "Константинопольский А. А.", "Верещагина-Лебедева О. И."})
      p.d.Teachers.FindItemID(p.Teacher())->SetName(W(n));
    const int32_t k0 = p.Klass(), k1 = p.Klass();
    p.d.Klasses[0]->SetName(W("11 Б"));
    p.d.Klasses[1]->SetName(W("11 В"));
    const int32_t s0 = p.d.Subjects[0]->ID(), s1 = p.d.Subjects[1]->ID(), s2 = p.d.Subjects[2]->ID();
    const int32_t t0 = p.d.Teachers[0]->ID(), t1 = p.d.Teachers[1]->ID(), t2 = p.d.Teachers[2]->ID();
    TLessonItem* a = p.Lesson(k0, {{s0, t0}, {s1, t1}}, {1});
    TLessonItem* c = p.Lesson(k1, {{s0, t0}, {s2, t2}}, {1});
    testing::ProjectBuilder::Link(a, 0, c, 0);
    b = testing::Build(p.d);
    const int la = testing::LessonIndex(*b.model, 0, a->ID()), lc = testing::LessonIndex(*b.model, 1, c->ID());
    for (int day = 1; day <= 6; ++day)
      for (int place = 1; place <= lessonsPerDay; ++place) {
        PutCell(*b.var, 0, day, place, la, {0, 1});
        PutCell(*b.var, 1, day, place, lc, {0, 2});
      }
  }
};

// Long names are printed whole in every timetable report (a smaller font,
// a second line where a cell needs one), and a klass's or a teacher's
// timetable stays on its one page.
TEST(TimetableReports, LongNamesPrintWholeAndOnePageStaysOne) {
  LongNames s;
  const TTableVarItem& var = *s.b.var;
  TReportSetup setup;
  const auto klasses = TAllClsRpForm(nullptr, var, kProject, kVariant).Generate(&setup);
  test::ExpectTextsWhole(klasses, setup);
  EXPECT_TRUE(AllTexts(klasses).contains("Кабинет информатики 214/Лингафонный кабинет 305"));
  const auto teachers = TAllTchRpForm(nullptr, var, kProject, kVariant).Generate(&setup);
  test::ExpectTextsWhole(teachers, setup);
  const std::vector<const TReportBand*> monday = Rows(teachers[0]);
  ASSERT_EQ(monday.size(), 3u);
  EXPECT_EQ(monday[0]->Cells[1].Text, "11 Б/11 В");
  EXPECT_EQ(monday[0]->Cells[2].Text, "Инф");
  EXPECT_EQ(monday[0]->Cells[3].Text, "Кабинет информатики 214");
  EXPECT_GE(monday[0]->Cells[3].FontSize, 4);  // a long word takes a smaller size, not below 4 points
  for (bool shortForm : {false, true}) {
    const auto klass = TClassTableRpForm(nullptr, shortForm, 0, var, kProject, kVariant).Generate(&setup);
    EXPECT_EQ(klass.size(), 1u) << shortForm;
    test::ExpectTextsWhole(klass, setup);
    const auto teacher = TTeacherTableRpForm(nullptr, shortForm, 0, var, kProject, kVariant).Generate(&setup);
    EXPECT_EQ(teacher.size(), 1u) << shortForm;
    test::ExpectTextsWhole(teacher, setup);
  }
  EXPECT_EQ(PrintToPdf(TClassTableRpForm(nullptr, false, 0, var, kProject, kVariant).Generate(&setup), setup,
                       "timetable-klass-long-names.pdf"),
            1);
}

// Twenty-four places a day cannot share one page: every continuation page
// opens with the captions of the days its rows belong to.
TEST(TimetableReports, AKlassPastOnePageRepeatsItsDayCaptions) {
  LongNames s(24);
  TReportSetup setup;
  const auto pages = TClassTableRpForm(nullptr, false, 0, *s.b.var, kProject, kVariant).Generate(&setup);
  ASSERT_GT(pages.size(), 1u);
  test::ExpectTextsWhole(pages, setup);
  for (std::size_t n = 1; n < pages.size(); ++n) {
    const TReportBand& first = pages[n].Bands.front().Band;
    EXPECT_EQ(first.Kind, TBandKind::ColumnHeader) << n;
    ASSERT_GE(first.Cells.size(), 2u);
    EXPECT_EQ(first.Cells[0].Text, "№");
    EXPECT_TRUE(first.Cells[1].Text == ReportDayName(1) || first.Cells[1].Text == ReportDayName(2) ||
                first.Cells[1].Text == ReportDayName(3))
        << n;
  }
}

TEST(TimetableReports, PlacesPastLPrintEmpty) {
  testing::ProjectBuilder p(6);
  const int32_t s = p.Subject();
  const int32_t t = p.Teacher();
  const int32_t k = p.Klass();
  p.Lesson(k, {{s, t}}, {1});
  testing::Built b = testing::Build(p.d);
  TTableCell c;
  c.Hour = 6;
  c.Lesson = 0;
  b.var->SetCell(0, 1, 6, c);
  const TTimetableTexts tx(*b.var);
  EXPECT_EQ(tx.Places(), 8);
  EXPECT_FALSE(tx.KlassSubjects(0, 1, 6, "------", true).empty());
  EXPECT_TRUE(tx.KlassSubjects(0, 1, 7, "------", true).empty());
  TReportSetup setup;
  const auto pages = TClassTableRpForm(nullptr, true, 0, *b.var, kProject, kVariant).Generate(&setup);
  const std::vector<const TReportBand*> rows = Rows(pages[0]);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[7]->Cells[0].Text, "8");
  for (std::size_t d = 1; d <= 6; ++d) EXPECT_TRUE(rows[7]->Cells[d].Text.isEmpty());
}

}  // namespace
}  // namespace korvant
