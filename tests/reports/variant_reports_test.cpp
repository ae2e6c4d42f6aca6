// The load and substitution reports of the demonstration project with a
// planned week and a few journal days: their pages as the engine lays them
// out, the chart's axes, the rows of long days, and each report printed to
// a PDF file in the build tree's tests/reports folder.
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

#include "core/variant/variant_fixture.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "report_test_util.h"
#include "reports/load_reports.h"
#include "reports/subst_reports.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::W;

struct Recorder : MessageTarget {
  std::vector<std::pair<MsgParam, MsgParam>> got;
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    if (msg == kMsgPrint) got.emplace_back(w, l);
    return 0;
  }
};

// The demonstration project with its planned week, as the other report
// tests share it.
struct DemoWeek {
  const TProjectData& data = test::Planned().Data;
  const TRunModel* model = test::Planned().Model.get();
  const std::unique_ptr<TTableVarItem>& var = test::Planned().Var;
  std::vector<bool> All() const { return std::vector<bool>(static_cast<std::size_t>(var->KlassCount()), true); }
  std::string Klass(int k) const { return model->Klasses[k]->DisplayName(); }
  std::string Teacher(int t) const { return model->Teachers[t]->DisplayName(); }
};

const DemoWeek& Demo() {
  static const DemoWeek d;
  return d;
}

const std::string kVariantText = W("Вариант 1");

void ExpectPdf(const std::vector<TReportPage>& pages, const TReportSetup& setup, const QString& name) {
  EXPECT_EQ(test::PrintToPdf(pages, setup, name), static_cast<int>(pages.size())) << name.toStdString();
}

// No single-line text of the pages is cut with "…".
void ExpectTextsWhole(const std::vector<TReportPage>& pages, const TReportSetup& s) {
  for (const TReportPage& p : pages)
    for (const TPlacedBand& b : p.Bands)
      for (const TReportCell& c : b.Band.Cells)
        if (!c.Wrap) {
          EXPECT_EQ(FitText(c.Text, c.Rect.width() - 4, c.FontSize, c.Bold, s.FontFamily), c.Text)
              << c.Text.toStdString();
        }
}

std::vector<const TReportBand*> BodyBands(const std::vector<TReportPage>& pages, TBandKind kind) {
  std::vector<const TReportBand*> out;
  for (const TReportPage& p : pages)
    for (const TPlacedBand& b : p.Bands)
      if (b.Source >= 0 && b.Band.Kind == kind) out.push_back(&b.Band);
  return out;
}

QString Tenths(double v) { return QLocale().toString(std::round(v * 10) / 10, 'f', 1); }

TEST(LoadReports, TableOfTheDemonstrationWeek) {
  const DemoWeek& d = Demo();
  Recorder rec;
  TMedTableRpForm form(&rec, d.All(), *d.var, d.data.Params.Description, kVariantText);
  TReportSetup setup;
  const auto pages = form.Generate(&setup);
  ASSERT_EQ(pages.size(), 1u);
  const QStringList t = pages[0].Texts();
  EXPECT_EQ(t[0], "Распределение нагрузки по дням недели");
  EXPECT_TRUE(t.contains(ToQt(d.data.Params.Description)));
  EXPECT_TRUE(t.contains("Вариант 1"));
  EXPECT_TRUE(t.contains("\"Корвант\""));
  for (const char* h : {"Класс", "Понедельник", "Вторник", "Среда", "Четверг", "Пятница", "Суббота"})
    EXPECT_TRUE(t.contains(h)) << h;
  const auto rows = BodyBands(pages, TBandKind::Detail);
  ASSERT_EQ(static_cast<int>(rows.size()), d.var->KlassCount());
  // The last klass's Thursday, in the row of its name.
  const int k = d.var->KlassCount() - 1;
  EXPECT_EQ(rows.back()->Cells[0].Text, ToQt(d.Klass(k)));
  EXPECT_EQ(rows.back()->Cells[4].Text, Tenths(d.var->GetKlassDayDifficulty(k, 4)));
  EXPECT_GT(d.var->GetKlassDayDifficulty(k, 4), 0);
  ExpectTextsWhole(pages, setup);
  // Progress: the range, the klasses printed before each one, the end.
  ASSERT_EQ(rec.got.size(), rows.size() + 2);
  EXPECT_EQ(rec.got.front(), std::make_pair(MsgParam{kPrintProgressRange}, MsgParam{d.var->KlassCount()}));
  EXPECT_EQ(rec.got[1], std::make_pair(MsgParam{kPrintProgressPos}, MsgParam{0}));
  EXPECT_EQ(rec.got.back(), std::make_pair(MsgParam{kPrintProgressPos}, MsgParam{-1}));
  ExpectPdf(pages, setup, "load-table.pdf");

  // No klass chosen: the headers, no row, no range announced.
  Recorder none;
  std::vector<bool> nothing(d.All().size(), false);
  const auto empty = TMedTableRpForm(&none, nothing, *d.var, "", "").Generate();
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_TRUE(BodyBands(empty, TBandKind::Detail).size() <= 1u);  // the engine's "no data" note at most
  EXPECT_TRUE(empty[0].Texts().contains("Понедельник"));
  ASSERT_EQ(none.got.size(), 1u);
  EXPECT_EQ(none.got[0].second, -1);
}

TEST(LoadReports, ChartsOfTheDemonstrationWeek) {
  const DemoWeek& d = Demo();
  std::vector<bool> chosen = d.All();
  chosen[1] = false;  // a klass left out is not drawn
  TMedChartRpForm form(nullptr, chosen, *d.var, d.data.Params.Description, kVariantText);
  TReportSetup setup;
  const auto pages = form.Generate(&setup);
  const auto bands = BodyBands(pages, TBandKind::Detail);
  ASSERT_EQ(static_cast<int>(bands.size()), d.var->KlassCount() - 1);
  EXPECT_GE(pages.size(), 2u);
  EXPECT_EQ(pages[0].Texts()[0], "Распределение нагрузки по дням недели (графическое представление)");
  double largest = 0;
  for (int k = 0; k < d.var->KlassCount(); ++k)
    for (int day = 1; day <= 6; ++day) largest = std::max(largest, d.var->GetKlassDayDifficulty(k, day));
  // Each band: its notes area with five ruled lines, and one chart of its
  // klass over the days, the left axis by 10 from 0 to 60, or to the next
  // ten at or above the week's largest sum (the planned demo week has a
  // day above 60, which a fixed axis would cut off).
  const double top = std::max(60.0, std::ceil(largest / 10) * 10);
  const TReportBand& second = *bands[1];
  EXPECT_EQ(second.Lines.size(), 5u);
  ASSERT_EQ(second.Charts.size(), 1u);
  const TReportChart& ch = second.Charts[0];
  ASSERT_EQ(ch.Series.size(), 1u);
  EXPECT_EQ(ch.Series[0].Title, ToQt(d.Klass(2)));
  ASSERT_EQ(ch.Series[0].Points.size(), 6u);
  EXPECT_EQ(ch.Series[0].Points[2], QPointF(3, d.var->GetKlassDayDifficulty(2, 3)));
  EXPECT_EQ(ch.YMax, top);
  EXPECT_GE(ch.YMax, largest);
  EXPECT_EQ(ch.XLabels(), (QStringList{"пн", "вт", "ср", "чт", "пт", "сб"}));
  EXPECT_EQ(ch.YLabels().front(), "0");
  EXPECT_EQ(ch.YLabels()[1], "10");
  EXPECT_EQ(ch.YLabels().back(), QString::number(top));
  // The page lists what it draws: notes caption, legend, axis labels.
  const QStringList t = pages[0].Texts();
  EXPECT_TRUE(t.contains("ПРИМЕЧАНИЯ"));
  EXPECT_TRUE(t.contains(ToQt(d.Klass(0))));
  EXPECT_FALSE(t.contains(ToQt(d.Klass(1))));
  EXPECT_TRUE(t.contains("сб"));
  // The plot lies inside the chart, and so inside the band and the page.
  const QRectF plot = ch.PlotRect(setup.FontFamily);
  EXPECT_TRUE(ch.Rect.contains(plot));
  EXPECT_LE(ch.Rect.right(), setup.BodyWidth());
  EXPECT_LE(ch.Rect.bottom(), second.Height);
  ExpectTextsWhole(pages, setup);
  ExpectPdf(pages, setup, "load-chart.pdf");
}

TEST(LoadReports, HeavyDaysRaiseTheChartsMaximum) {
  // Eight hard lessons on Monday: a sum far above 60.
  testing::ProjectBuilder p(8);
  const int32_t hard = p.Subject(12), easy = p.Subject(1);
  const int32_t k1 = p.Klass(), k2 = p.Klass();
  const int32_t t1 = p.Teacher(), t2 = p.Teacher();
  const int32_t heavy = p.Lesson(k1, {{hard, t1}}, {1, 1, 1, 1, 1, 1, 1, 1})->ID();
  const int32_t light = p.Lesson(k2, {{easy, t2}}, {1})->ID();
  testing::Built b = testing::Build(p.d);
  const int li = testing::LessonIndex(*b.model, 0, heavy);
  for (int h = 1; h <= 8; ++h) ASSERT_TRUE(b.var->PlaceLinkedLesson(0, li, false, 1, h, 1));
  ASSERT_TRUE(b.var->PlaceLinkedLesson(1, testing::LessonIndex(*b.model, 1, light), false, 1, 1, 1));
  const double monday = b.var->GetKlassDayDifficulty(0, 1);
  ASSERT_GT(monday, 60);
  const double top = std::ceil(monday / 10) * 10;

  TMedChartRpForm form(nullptr, {true, true}, *b.var, "", "");
  const auto pages = form.Generate();
  const auto bands = BodyBands(pages, TBandKind::Detail);
  ASSERT_EQ(bands.size(), 2u);
  // Both charts share the raised scale, so their lines compare.
  for (const TReportBand* band : bands) {
    EXPECT_EQ(band->Charts[0].YMax, top);
    EXPECT_EQ(band->Charts[0].YLabels().back(), QString::number(top));
  }
  EXPECT_TRUE(pages[0].Texts().contains(QString::number(top)));
  EXPECT_GE(top, monday);
}

// ---- substitution reports ----

const QDate kMonday(2024, 1, 1);
double Day(int offset) { return static_cast<double>(QDate(1899, 12, 30).daysTo(kMonday.addDays(offset))); }

TZameshRow Row(const std::string& lesson, const std::string& absent, const std::string& subject,
               const std::string& klass, const std::string& reason, const std::string& substitute,
               const std::string& note = "") {
  TZameshRow r;
  r.Texts = {lesson, absent, subject, klass, W("12"), reason, substitute, subject, note};
  return r;
}

struct SubstReports : ::testing::Test {
  QTemporaryDir dir;
  std::unique_ptr<TZameshArchive> archive;
  std::string ivanova, petrov, sidorova;
  void SetUp() override {
    const DemoWeek& d = Demo();
    ivanova = d.Teacher(0);
    petrov = d.Teacher(1);
    sidorova = d.Teacher(2);
    ZameshOpenStatus st;
    archive = TZameshArchive::Open(dir.filePath("zarch.sys").toStdString(), st);
    ASSERT_TRUE(archive);
    // Monday: two lessons of one absent teacher; Wednesday: one more;
    // Tuesday has no rows.
    ASSERT_EQ(archive->SaveDay(Day(0), {Row("2", ivanova, W("Алгебра"), W("7А"), W("Больничный"), petrov),
                                        Row("3", ivanova, W("Геометрия"), W("7А"), W("Больничный"), sidorova,
                                            W("Контрольная работа"))}),
              ZameshSaveResult::Saved);
    ASSERT_EQ(archive->SaveDay(Day(2), {Row("5", petrov, W("Физика"), W("9Б"), W("Учебный отпуск"), "")}),
              ZameshSaveResult::Saved);
  }
};

TEST_F(SubstReports, DayReport) {
  Recorder rec;
  TZamDayRpForm form(&rec, *archive, Day(0) + 0.75, Demo().data.Params.Description, kVariantText);
  TReportSetup setup;
  const auto pages = form.Generate(&setup);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(setup.Orientation, QPageLayout::Portrait);
  const QStringList t = pages[0].Texts();
  EXPECT_EQ(t[0], "Замещения на 01.01.2024");
  EXPECT_TRUE(t.contains("Вариант 1"));
  for (const char* h : {"Урок", "Ф.И.О. отсутств.", "Предмет", "Класс", "Кабинет", "Ф.И.О. замест.", "Примеч."})
    EXPECT_TRUE(t.contains(h)) << h;
  const auto rows = BodyBands(pages, TBandKind::Detail);
  ASSERT_EQ(rows.size(), 2u);
  // Lesson, absent, subject, klass, room, substitute, taught, note: no reason.
  const QStringList second = [&] {
    QStringList out;
    for (const TReportCell& c : rows[1]->Cells) out << c.Text;
    return out;
  }();
  EXPECT_EQ(second, (QStringList{"3", ToQt(ivanova), "Геометрия", "7А", "12", ToQt(sidorova), "Геометрия",
                                 "Контрольная работа"}));
  EXPECT_FALSE(t.contains("Больничный"));
  EXPECT_EQ(rec.got, (std::vector<std::pair<MsgParam, MsgParam>>{
                         {kPrintProgressRange, 1}, {kPrintProgressPos, 1}, {kPrintProgressPos, -1}}));
  ExpectPdf(pages, setup, "subst-day.pdf");

  // A day without rows: its headers and no row.
  const auto tuesday = TZamDayRpForm(nullptr, *archive, Day(1), "", "").Generate();
  ASSERT_EQ(tuesday.size(), 1u);
  EXPECT_TRUE(tuesday[0].Texts().contains("Ф.И.О. замест."));
  EXPECT_TRUE(tuesday[0].Texts().contains(NoDataText()));
}

TEST_F(SubstReports, PeriodReport) {
  Recorder rec;
  TZamArcRpForm form(&rec, *archive, Day(0), Day(6), Demo().data.Params.Description, kVariantText);
  TReportSetup setup;
  const auto pages = form.Generate(&setup);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(setup.Orientation, QPageLayout::Landscape);
  const QStringList t = pages[0].Texts();
  EXPECT_EQ(t[0], "Замещения за период 01.01.2024 - 07.01.2024");
  for (const char* h : {"Дата", "Ф.И.О. отсутствующего", "Причина отсутствия", "Ф.И.О. замещающего", "Подпись"})
    EXPECT_TRUE(t.contains(h)) << h;
  EXPECT_TRUE(t.contains("Стр. 1"));
  const auto rows = BodyBands(pages, TBandKind::Detail);
  ASSERT_EQ(rows.size(), 3u);
  // Date on every row, the reason printed, the signature left empty.
  EXPECT_EQ(rows[1]->Cells[0].Text, "01.01.2024");
  EXPECT_EQ(rows[2]->Cells[0].Text, "03.01.2024");
  EXPECT_EQ(rows[2]->Cells[4].Text, "Учебный отпуск");
  EXPECT_EQ(rows[2]->Cells[5].Text, "");
  EXPECT_EQ(rows[2]->Cells[7].Text, "");
  // Progress over the seven days, at the days with rows.
  EXPECT_EQ(rec.got, (std::vector<std::pair<MsgParam, MsgParam>>{
                         {kPrintProgressRange, 7}, {kPrintProgressPos, 1}, {kPrintProgressPos, 3},
                         {kPrintProgressPos, -1}}));
  ExpectTextsWhole(pages, setup);
  ExpectPdf(pages, setup, "subst-period.pdf");

  // A period ending before it starts is its first day.
  const auto back = TZamArcRpForm(nullptr, *archive, Day(2), Day(0), "", "").Generate();
  EXPECT_EQ(back[0].Texts()[0], "Замещения за период 03.01.2024 - 03.01.2024");
  EXPECT_EQ(BodyBands(back, TBandKind::Detail).size(), 1u);
}

TEST_F(SubstReports, LongDaysPrintEveryRowWithTheTitleOnEveryPage) {
  std::vector<TZameshRow> many;
  for (int i = 0; i < 130; ++i)
    many.push_back(Row(std::to_string(i % 8 + 1), ivanova, W("Алгебра"), W("7А"), W("Больничный"), petrov,
                       std::to_string(i + 1)));
  ASSERT_EQ(archive->SaveDay(Day(4), many), ZameshSaveResult::Saved);

  const auto day = TZamDayRpForm(nullptr, *archive, Day(4), "", "").Generate();
  const auto dayRows = BodyBands(day, TBandKind::Detail);
  ASSERT_EQ(dayRows.size(), 130u);
  EXPECT_EQ(dayRows.back()->Cells[7].Text, "130");
  EXPECT_GE(day.size(), 3u);
  // The column header repeats on every page.
  for (const TReportPage& p : day) EXPECT_TRUE(p.Texts().contains("Ф.И.О. замест."));

  const auto period = TZamArcRpForm(nullptr, *archive, Day(0), Day(6), "", "").Generate();
  EXPECT_EQ(BodyBands(period, TBandKind::Detail).size(), 133u);
  ASSERT_GE(period.size(), 3u);
  for (std::size_t n = 0; n < period.size(); ++n) {
    const QStringList t = period[n].Texts();
    EXPECT_EQ(t[0], "Замещения за период 01.01.2024 - 07.01.2024");
    EXPECT_TRUE(t.contains(QString("Стр. %1").arg(n + 1)));
  }
}

}  // namespace
}  // namespace korvant
