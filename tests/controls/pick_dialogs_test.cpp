#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "platform/help_service.h"
#include "controls/form_util.h"
#include "controls/sel_date_dlg.h"
#include "controls/sel_item_dlg.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::WhenModal;

void Fill(TSelItemDlg& d) {
  for (const char* s : {"5А", "5Б", "6А", "7В"}) d.List()->addItem(Ru(s));
}

TEST(SelItemDlg, Form) {
  TSelItemDlg d;
  EXPECT_EQ(d.size(), QSize(363, 154));
  EXPECT_EQ(d.windowTitle(), Ru("Класс"));
  EXPECT_EQ(d.YesButton()->text(), Ru("Да    "));
  EXPECT_EQ(d.CancelButton()->text(), Ru("Отмена "));
  EXPECT_EQ(d.HelpButton()->text(), Ru("Справка"));
  EXPECT_EQ(d.YesButton()->geometry(), QRect(270, 8, 80, 25));
  EXPECT_EQ(d.CancelButton()->geometry(), QRect(270, 48, 80, 25));
  EXPECT_EQ(d.HelpButton()->geometry(), QRect(270, 88, 80, 25));
  EXPECT_EQ(d.List()->geometry(), QRect(8, 8, 241, 105));
  EXPECT_EQ(d.ShortForm()->text(), Ru("Краткая форма"));
  EXPECT_FALSE(d.ShortForm()->isChecked());
  EXPECT_EQ(HelpContext(&d), 18);
  EXPECT_EQ(HelpContext(d.List()), 421);
}

TEST(SelItemDlg, ThirdItemAnswersThreeAndSmallChoicesAreNotCancels) {
  for (int row : {0, 1, 2}) {
    TSelItemDlg d;
    Fill(d);
    WhenModal([&d, row](QWidget*) {
      test::ClickItem(d.List(), test::IndexAt(d.List(), row));
      test::LeftClick(d.YesButton());
    });
    // Items 1 and 2 answer 1 and 2, not "OK" and "cancel".
    EXPECT_EQ(d.Run(), row + 1);
  }
}

TEST(SelItemDlg, DoubleClickChoosesAndShortFormIsReadAfterwards) {
  TSelItemDlg d;
  Fill(d);
  WhenModal([&d](QWidget*) {
    test::Tick(d.ShortForm());
    test::DoubleClickItem(d.List(), test::IndexAt(d.List(), 3));
  });
  EXPECT_EQ(d.Run(), 4);
  EXPECT_TRUE(d.ShortForm()->isChecked());
}

TEST(SelItemDlg, YesWithoutSelectionStaysOpenAndCancelEscCloseAnswerNoChoice) {
  TSelItemDlg d;
  Fill(d);
  bool stillOpen = false;
  WhenModal([&](QWidget*) {
    d.List()->clearSelection();
    d.List()->setCurrentRow(-1);
    test::LeftClick(d.YesButton());
    QTest::qWait(20);
    stillOpen = d.isVisible();
    test::LeftClick(d.CancelButton());
  });
  EXPECT_EQ(d.Run(), TSelItemDlg::kNoChoice);
  EXPECT_TRUE(stillOpen);

  WhenModal([](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); });
  EXPECT_EQ(d.Run(), -1);
  WhenModal([&d](QWidget* m) {
    test::ClickItem(d.List(), test::IndexAt(d.List(), 1));  // selected, but the dialog is closed
    m->close();
  });
  EXPECT_EQ(d.Run(), -1);
}

TEST(SelItemDlg, HelpOpensItsContextAndSetNoHelpTakesHelpAwayOnlyForATag) {
  std::vector<int> asked;
  ScopedHelpHook hook([&asked](int c) { asked.push_back(c); });
  TSelItemDlg d;
  test::ShowActive(d);
  test::LeftClick(d.HelpButton());
  EXPECT_EQ(asked, std::vector<int>{18});
  d.SetNoHelp();  // tag 0: nothing changes
  EXPECT_FALSE(d.HelpButton()->isHidden());
  EXPECT_EQ(HelpContext(&d), 18);
  d.SetTag(5);
  d.SetNoHelp();
  EXPECT_TRUE(d.HelpButton()->isHidden());
  EXPECT_FALSE(d.windowFlags() & Qt::WindowContextHelpButtonHint);
  EXPECT_EQ(HelpContext(&d), 0);
  EXPECT_EQ(HelpContext(d.List()), 0);
  EXPECT_EQ(HelpContext(d.YesButton()), 0);
}

TEST(SelDateDlg, PeriodAndDayOnly) {
  TSelDateDlg period(nullptr, false);
  EXPECT_EQ(period.windowTitle(), Ru("Отчетный период"));
  EXPECT_EQ(period.size(), QSize(240, 104));
  EXPECT_EQ(period.FromLabel()->text(), Ru("С:"));
  EXPECT_FALSE(period.ToPicker()->isHidden());
  EXPECT_EQ(period.FromDate(), QDate::currentDate());
  EXPECT_EQ(period.ToDate(), QDate::currentDate());
  EXPECT_EQ(period.YesButton()->geometry(), QRect(88, 72, 75, 25));
  EXPECT_TRUE(period.FromPicker()->calendarPopup());

  TSelDateDlg day(nullptr, true);
  EXPECT_EQ(day.windowTitle(), Ru("Отчетный день"));
  EXPECT_EQ(day.size(), QSize(240, 74));
  EXPECT_EQ(day.FromLabel()->text(), Ru("Дата:"));
  EXPECT_TRUE(day.ToPicker()->isHidden());
  EXPECT_TRUE(day.ToLabel()->isHidden());
  EXPECT_EQ(day.YesButton()->geometry(), QRect(88, 42, 75, 25));
}

TEST(SelDateDlg, YesAnswersTheChosenDates) {
  TSelDateDlg d(nullptr, false);
  WhenModal([&d](QWidget*) {
    test::EnterDate(d.FromPicker(), QDate(2000, 9, 1));
    test::EnterDate(d.ToPicker(), QDate(2000, 9, 30));
    test::LeftClick(d.YesButton());
  });
  EXPECT_TRUE(d.Run());
  EXPECT_EQ(d.FromDate(), QDate(2000, 9, 1));
  EXPECT_EQ(d.ToDate(), QDate(2000, 9, 30));
  WhenModal([](QWidget* m) { m->close(); });
  EXPECT_FALSE(d.Run());
}

}  // namespace
}  // namespace korvant
