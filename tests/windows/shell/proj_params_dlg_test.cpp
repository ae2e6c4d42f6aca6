#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "platform/help_service.h"
#include "controls/form_util.h"
#include "windows/shell/proj_params_dlg.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::W;
using test::WhenModal;

TEST(ProjParamsDlg, FormShowsTheRecord) {
  TProjParamsRec p;
  p.Description = W("Школа 5");
  p.LessonsPerDay = 7;
  p.ShiftStarts = {1, 9};
  TProjParams d(nullptr, "/home/u/Project/Школа.tbl", p);
  EXPECT_EQ(d.windowTitle(), Ru("Параметры проекта Школа"));
  EXPECT_EQ(d.size(), QSize(298, 214));
  EXPECT_EQ(d.Memo()->toPlainText(), Ru("Школа 5"));
  EXPECT_EQ(d.LessonsEdit()->text(), "7");
  EXPECT_EQ(d.ShiftStartsEdit()->text(), "1,9");
  EXPECT_EQ(d.KlassMinEdit()->text(), "4");
  EXPECT_EQ(d.TeacherMinEdit()->text(), "2");
  EXPECT_TRUE(d.KlassMinEdit()->isHidden());
  EXPECT_EQ(d.YesButton()->geometry(), QRect(24, 176, 75, 25));
  EXPECT_EQ(d.CancelButton()->geometry(), QRect(113, 176, 75, 25));
  EXPECT_EQ(d.HelpButton()->geometry(), QRect(202, 176, 75, 25));
  EXPECT_EQ(HelpContext(&d), 25);
  EXPECT_EQ(HelpContext(d.LessonsEdit()), 401);
  EXPECT_EQ(HelpContext(d.Memo()), 405);
  // The fields the user cannot see lie below the client area.
  EXPECT_GE(d.ShiftStartsEdit()->y(), 214);
  EXPECT_GE(d.TeacherMinEdit()->y(), 214);
  std::vector<int> asked;
  ScopedHelpHook hook([&asked](int c) { asked.push_back(c); });
  d.show();
  test::LeftClick(d.HelpButton());
  EXPECT_EQ(asked, std::vector<int>{25});
}

TEST(ProjParamsDlg, BadFieldShowsItsMessageAndKeepsTheDialogOpen) {
  ScriptedPrompt prompt;
  ScopedPrompt scope(&prompt);
  TProjParamsRec p;
  TProjParams d(nullptr, W("a.tbl"), p);
  bool openAfterBadL = false;
  WhenModal([&](QWidget*) {
    test::TypeOver(d.LessonsEdit(), "25");
    test::LeftClick(d.YesButton());
    QTest::qWait(20);
    openAfterBadL = d.isVisible();
    test::TypeOver(d.LessonsEdit(), "abc");
    test::LeftClick(d.YesButton());
    test::TypeOver(d.LessonsEdit(), "6");
    // The shift starts' field lies outside the dialog: no user reaches it.
    // Its text is set here to see "Да" validate it as it does the others.
    d.ShiftStartsEdit()->setText("9,1");
    test::LeftClick(d.YesButton());
    d.ShiftStartsEdit()->setText("1; 5");
    test::PasteOver(d.Memo(), Ru("Первая\nвторая"));  // a line break comes only pasted
    test::LeftClick(d.YesButton());
  });
  EXPECT_TRUE(d.Run());
  EXPECT_TRUE(openAfterBadL);
  ASSERT_EQ(prompt.asked.size(), 3u);
  EXPECT_EQ(prompt.asked[0].text, "Ошибка при вводе максимального количества уроков для школы.");
  EXPECT_EQ(prompt.asked[0].kind, kBoxOk);
  EXPECT_EQ(prompt.asked[1].text, prompt.asked[0].text);
  EXPECT_EQ(prompt.asked[2].text, "Ошибка при вводе уроков, с которых начинаются смены.");
  EXPECT_EQ(p.LessonsPerDay, 6);
  EXPECT_EQ(p.ShiftStarts[0], 1);
  EXPECT_EQ(p.ShiftStarts[1], 5);
  EXPECT_EQ(p.ShiftStarts[2], 0);
  EXPECT_EQ(p.Description, W("Первая  вторая  "));
}

TEST(ProjParamsDlg, CancelAndCloseLeaveTheRecordAlone) {
  TProjParamsRec p;
  const TProjParamsRec before = p;
  TProjParams d(nullptr, W("a.tbl"), p);
  WhenModal([&d](QWidget*) {
    test::TypeOver(d.LessonsEdit(), "5");
    test::LeftClick(d.CancelButton());
  });
  EXPECT_FALSE(d.Run());
  WhenModal([&d](QWidget* m) {
    test::TypeOver(d.LessonsEdit(), "5");
    m->close();  // the close box
  });
  EXPECT_FALSE(d.Run());
  EXPECT_EQ(p, before);
}

TEST(ProjParamsDlg, MemoTakesAtMostEightyCharactersAndEnterPressesYes) {
  TProjParamsRec p;
  TProjParams d(nullptr, W("a.tbl"), p);
  WhenModal([&d](QWidget*) {
    test::PasteOver(d.Memo(), QString(80, QChar(u'ж')));
    QTest::keyClick(d.Memo(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(d.Memo(), Qt::Key_A);
    EXPECT_EQ(d.Memo()->toPlainText().size(), 80);
    QTest::keyClick(d.Memo(), Qt::Key_Return);
  });
  EXPECT_TRUE(d.Run());
  EXPECT_FALSE(d.Memo()->toPlainText().contains('\n'));
  EXPECT_EQ(p.Description.size(), 80u);
}

// The user shortens the day to three lessons and later looks at the
// parameters again, each time leaving with "Да": the comment is what it was
// and the minima the dialog does not show are not lowered for good; shift
// starts stored out of order, which no user can reach to mend, neither keep
// the dialog open nor change.
TEST(ProjParamsDlg, VisitsWithYesKeepTheCommentAndTheHiddenFields) {
  ScriptedPrompt prompt;
  ScopedPrompt scope(&prompt);
  TProjParamsRec p;
  p.Description = W("Школа 5");
  p.LessonsPerDay = 8;
  p.ClassMinLessons = 5;
  p.TeacherMinLessons = 4;
  p.ShiftStarts = {9, 1};
  for (const char* lessons : std::initializer_list<const char*>{"3", nullptr, "8"}) {
    TProjParams d(nullptr, W("a.tbl"), p);
    WhenModal([&](QWidget*) {
      if (lessons) {
        QTest::mouseDClick(d.LessonsEdit(), Qt::LeftButton);
        QTest::keyClick(d.LessonsEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d.LessonsEdit(), lessons);
      }
      QTest::mouseClick(d.YesButton(), Qt::LeftButton);
      ASSERT_TRUE(prompt.asked.empty()) << prompt.asked[0].text;
    });
    ASSERT_TRUE(d.Run());
    EXPECT_EQ(p.Description, W("Школа 5"));
  }
  EXPECT_EQ(p.LessonsPerDay, 8);
  EXPECT_EQ(p.ClassMinLessons, 5);
  EXPECT_EQ(p.TeacherMinLessons, 4);
  EXPECT_EQ(p.ShiftStarts[0], 9);
  EXPECT_EQ(p.ShiftStarts[1], 1);
}

}  // namespace
}  // namespace korvant
