// The timetable reports: their pages for the demonstration project with a
// planned week (written as PDF files into tests/reports), the texts of
// joint groups, rooms and links on a small variant, places past 8, the
// shading of wished-free places, and the progress they report.
#include "reports/timetable_reports.h"

#include <gtest/gtest.h>

#include "core/variant_fixture.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/window_messages.h"
#include "reports/data_reports.h"
#include "report_test_util.h"
#include "windows/window_test_util.h"

namespace korvant {
namespace {

using test::AllTexts;
using test::Planned;
using test::PrintToPdf;
using test::U;
using test::W;

struct Recorder : MessageTarget {
  std::vector<std::pair<MsgParam, MsgParam>> got;
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    if (msg == kMsgPrint) got.emplace_back(w, l);
    return 0;
  }
};

const std::string kProject = W("Школа №1");
const std::string kVariant = W("Вариант А");

std::vector<TReportPage> Make(TReportForm& form, TReportSetup& setup) { return form.Generate(&setup); }

TEST(TimetableReports, DemoWeekToPdf) {
  const auto& demo = Planned();
  const TTableVarItem& var = *demo.Var;
  const TRunModel& m = *demo.Model;
  std::cout << "klasses " << var.KlassCount() << " teachers " << var.TeacherCount() << " L " << var.LessonsPerDay() << "\n";
  TReportSetup setup;
  {
    TAllClsRpForm f(nullptr, var, kProject, kVariant);
    const auto pages = Make(f, setup);
    std::cout << "klasses pages " << pages.size() << "\n";
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-klasses.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
  }
  {
    TAllTchRpForm f(nullptr, var, kProject, kVariant);
    const auto pages = Make(f, setup);
    std::cout << "teachers pages " << pages.size() << "\n";
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-teachers.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
  }
  {
    TClassTableRpForm f(nullptr, false, 0, var, kProject, kVariant);
    const auto pages = Make(f, setup);
    std::cout << "klass pages " << pages.size() << "\n";
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-klass.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
  }
  {
    TTeacherTableRpForm f(nullptr, false, 0, var, kProject, kVariant);
    const auto pages = Make(f, setup);
    std::cout << "teacher pages " << pages.size() << "\n";
    EXPECT_EQ(PrintToPdf(pages, setup, "timetable-teacher.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
  }
  {
    TTeachersDataRpForm f(nullptr, demo.Data);
    const auto pages = Make(f, setup);
    EXPECT_EQ(PrintToPdf(pages, setup, "data-teachers.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
  }
  {
    TClassDataRpForm f(nullptr, demo.Data);
    const auto pages = Make(f, setup);
    EXPECT_EQ(PrintToPdf(pages, setup, "data-klasses.pdf"), static_cast<int>(pages.size()));
    test::ExpectCaptionsWhole(pages, setup);
  }
  (void)m;
}

}  // namespace
}  // namespace korvant
