#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "controls/form_util.h"
#include "core/variant/var_file.h"
#include "platform/help_service.h"
#include "window_test_util.h"
#include "windows/planning/var_options_dlg.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::W;
using test::WhenModal;

const char* const kMsgMaxVars = "Ошибка при вводе максимального числа вариантов на день в режиме \"Автомат\".";
const char* const kMsgMaxWindows = "Ошибка при вводе максимального числа \"окон\" на учителя при оптимизации.";

TVarOptions Sample() {
  TVarOptions o;
  o.Regime = 2;
  o.Day = 4;
  o.Description = W("Вариант на четверть");
  o.MaxVarsAtDay = 12;
  o.MaxWindowsAtDay = 3;
  o.TeachersWills = 3;
  o.PrlKf = 10;
  o.SanitarKf = 20;
  o.TeacherBusyKf = 70;
  o.Reserved = {1, 2, 3, 4, 5, 6, 7, 8};
  o.KlassCount = 9;
  o.LessonsPerDay = 7;
  return o;
}

TEST(VarOptionsDlg, FormShowsTheRecord) {
  TVarOptions o = Sample();
  TVarOptionsDlg d(nullptr, u"Осень", o);
  EXPECT_EQ(d.windowTitle(), Ru("Опции: Осень"));
  EXPECT_EQ(d.size(), QSize(340, 292));
  EXPECT_EQ(HelpContext(&d), 29);
  EXPECT_EQ(d.Description()->toPlainText(), Ru("Вариант на четверть"));
  EXPECT_EQ(d.Description()->MaxChars(), 80);
  EXPECT_EQ(d.MaxVarsAtDayEdit()->text(), "12");
  EXPECT_EQ(d.MaxWindowsAtDayEdit()->text(), "3");
  ASSERT_EQ(d.TeachersWillsComboBox()->count(), 4);
  EXPECT_EQ(d.TeachersWillsComboBox()->currentIndex(), 2);
  EXPECT_EQ(d.TeachersWillsComboBox()->itemText(0), Ru("Учитывать все пожелания"));
  EXPECT_EQ(d.TeachersWillsComboBox()->itemText(3), Ru("Не учитывать приоритеты"));
  EXPECT_TRUE(d.WeightsBox()->isHidden());
  EXPECT_EQ(d.PrlKfEdit()->text(), "10");
  EXPECT_EQ(d.SanitarKfEdit()->text(), "20");
  EXPECT_EQ(d.TeacherBusyKfEdit()->text(), "70");
  EXPECT_EQ(d.MaxVarsAtDayEdit()->geometry().topLeft(), QPoint(24, 63));
  EXPECT_EQ(d.MaxWindowsAtDayEdit()->geometry().topLeft(), QPoint(176, 63));
  EXPECT_EQ(d.YesButton()->geometry(), QRect(24, 252, 75, 25));
  EXPECT_EQ(d.CancelButton()->geometry(), QRect(132, 252, 75, 25));
  EXPECT_EQ(d.HelpButton()->geometry(), QRect(241, 252, 75, 25));
  EXPECT_TRUE(d.YesButton()->Default());
  EXPECT_TRUE(d.CancelButton()->Cancel());
  std::vector<int> asked;
  ScopedHelpHook hook([&asked](int c) { asked.push_back(c); });
  test::ShowActive(d);
  test::LeftClick(d.HelpButton());
  EXPECT_EQ(asked, std::vector<int>{29});

  // An empty description leaves the memo empty; a strictness outside 1..4
  // shows the nearest entry.
  TVarOptions e;
  e.Description.clear();
  e.TeachersWills = 0;
  TVarOptionsDlg de(nullptr, u"x", e);
  EXPECT_EQ(de.Description()->toPlainText(), "");
  EXPECT_EQ(de.TeachersWillsComboBox()->currentIndex(), 0);
  e.TeachersWills = 9;
  TVarOptionsDlg d9(nullptr, u"x", e);
  EXPECT_EQ(d9.TeachersWillsComboBox()->currentIndex(), 3);
}

TEST(VarOptionsDlg, YesStoresEveryFieldAndAnswersSix) {
  TVarOptions o = Sample();
  TVarOptionsDlg d(nullptr, u"v", o);
  int result = -1;
  WhenModal([&d](QWidget*) {
    test::TypeOver(d.MaxVarsAtDayEdit(), "-3");
    test::TypeOver(d.MaxWindowsAtDayEdit(), " 70000 ");
    ASSERT_TRUE(test::PickFromPopup(d.TeachersWillsComboBox(), d.TeachersWillsComboBox()->itemText(3)));
    test::PasteOver(d.Description(), Ru("Строка\nвторая\n"));  // line breaks come only pasted
    // The weights' box is hidden: no user sets them; one is set here to
    // see that "Да" stores what the (hidden) spin edit holds.
    d.PrlKfEdit()->SetValue(55);
    test::LeftClick(d.YesButton());
  });
  EXPECT_TRUE(d.Run());
  result = d.ModalResult();
  EXPECT_EQ(result, mrYes);
  EXPECT_TRUE(d.Accepted());
  TVarOptions want = Sample();
  want.MaxVarsAtDay = 0;        // negative is stored as 0
  want.MaxWindowsAtDay = 65535;  // the record's 16 bits hold no more
  want.TeachersWills = 4;
  want.Description = W("Строка вторая ");
  want.PrlKf = 55;
  EXPECT_EQ(o, want);
}

TEST(VarOptionsDlg, BadNumbersShowTheirMessagesAndChangeNothing) {
  ScriptedPrompt prompt;
  ScopedPrompt scope(&prompt);
  TVarOptions o = Sample();
  const TVarOptions before = o;
  TVarOptionsDlg d(nullptr, u"v", o);
  bool openAfterFirst = false, unchangedAfterFirst = false, unchangedAfterSecond = false;
  WhenModal([&](QWidget*) {
    test::TypeOver(d.Description(), Ru("новый"));
    ASSERT_TRUE(test::PickFromPopup(d.TeachersWillsComboBox(), d.TeachersWillsComboBox()->itemText(0)));
    test::TypeOver(d.MaxVarsAtDayEdit(), "abc");
    test::LeftClick(d.YesButton());
    QTest::qWait(20);
    openAfterFirst = d.isVisible();
    unchangedAfterFirst = o == before;
    test::TypeOver(d.MaxVarsAtDayEdit(), "8");
    test::TypeOver(d.MaxWindowsAtDayEdit(), "");
    test::LeftClick(d.YesButton());
    unchangedAfterSecond = o == before;
    test::TypeOver(d.MaxWindowsAtDayEdit(), "2");
    test::LeftClick(d.YesButton());
  });
  EXPECT_TRUE(d.Run());
  EXPECT_TRUE(openAfterFirst);
  EXPECT_TRUE(unchangedAfterFirst);
  EXPECT_TRUE(unchangedAfterSecond);
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[0].text, kMsgMaxVars);
  EXPECT_EQ(prompt.asked[0].kind, kBoxOk);
  EXPECT_EQ(prompt.asked[1].text, kMsgMaxWindows);
  EXPECT_EQ(o.Description, W("новый"));
  EXPECT_EQ(o.MaxVarsAtDay, 8);
  EXPECT_EQ(o.MaxWindowsAtDay, 2);
  EXPECT_EQ(o.TeachersWills, 1);
}

TEST(VarOptionsDlg, CancelAndCloseLeaveTheRecordAlone) {
  TVarOptions o = Sample();
  const TVarOptions before = o;
  TVarOptionsDlg d(nullptr, u"v", o);
  WhenModal([&d](QWidget*) {
    test::TypeOver(d.MaxVarsAtDayEdit(), "5");
    test::LeftClick(d.CancelButton());
  });
  EXPECT_FALSE(d.Run());
  EXPECT_EQ(d.ModalResult(), mrCancel);
  WhenModal([&d](QWidget* m) {
    test::TypeOver(d.MaxVarsAtDayEdit(), "5");
    m->close();  // the close box
  });
  EXPECT_FALSE(d.Run());
  WhenModal([&d](QWidget*) {
    test::TypeOver(d.MaxVarsAtDayEdit(), "5");
    QTest::keyClick(d.MaxVarsAtDayEdit(), Qt::Key_Escape);
  });
  EXPECT_FALSE(d.Run());
  EXPECT_EQ(o, before);
}

TEST(VarOptionsDlg, HiddenWeightsOutsideTheSpinRangeAreKept) {
  TVarOptions o = Sample();
  o.PrlKf = 150;
  o.TeacherBusyKf = 100;
  TVarOptionsDlg d(nullptr, u"v", o);
  WhenModal([&d](QWidget*) { test::LeftClick(d.YesButton()); });
  EXPECT_TRUE(d.Run());
  EXPECT_EQ(o.PrlKf, 150);
  EXPECT_EQ(o.SanitarKf, 20);
  EXPECT_EQ(o.TeacherBusyKf, 100);
}

TEST(VarOptionsTexts, NumberRules) {
  struct Case {
    const char* text;
    int want;  // -1: refused
  };
  const Case cases[] = {{"0", 0},         {"  12 ", 12},   {"+7", 7},           {"-1", 0},
                        {"65535", 65535}, {"65536", 65535}, {"2147483647", 65535}, {"-2147483648", 0},
                        {"2147483648", -1}, {"99999999999", -1}, {"", -1},        {"  ", -1},
                        {"-", -1},        {"1e3", -1},     {"0x10", -1},        {"1 2", -1},
                        {"١", -1}};
  for (const Case& c : cases) {
    TVarOptions o = Sample();
    TVarOptionsTexts t;
    t.MaxVarsAtDay = W(c.text);
    t.MaxWindowsAtDay.assign(1, '1');
    const int msg = ApplyVarOptionsTexts(t, o);
    if (c.want < 0) {
      EXPECT_EQ(msg, 10144) << c.text;
      EXPECT_EQ(o, Sample()) << c.text;
    } else {
      EXPECT_EQ(msg, 0) << c.text;
      EXPECT_EQ(o.MaxVarsAtDay, c.want) << c.text;
    }
  }
  // The description: at most 80 characters, line breaks as blanks.
  TVarOptions o = Sample();
  TVarOptionsTexts t;
  t.Description = std::string(79, 'a') + "\r\nbc";
  t.MaxVarsAtDay = t.MaxWindowsAtDay = "1";
  t.WillsIndex = 7;
  EXPECT_EQ(ApplyVarOptionsTexts(t, o), 0);
  EXPECT_EQ(o.Description, std::string(79, 'a') + " ");
  EXPECT_EQ(o.TeachersWills, 4);
  // What the dialog does not edit is carried through.
  EXPECT_EQ(o.Regime, 2);
  EXPECT_EQ(o.Day, 4);
  EXPECT_EQ(o.KlassCount, 9);
  EXPECT_EQ(o.Reserved[7], 8);
}

}  // namespace
}  // namespace korvant
