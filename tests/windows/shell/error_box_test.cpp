#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "platform/help_service.h"
#include "windows/shell/error_box.h"
#include "controls/form_util.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::W;
using test::WhenModal;

struct Layout {
  bool noVisible, cancelVisible;
  int yesX, noX, cancelX;
};

Layout LayoutOf(uint8_t kind) {
  TErrorBox box(nullptr, kind, Ru("Текст"));
  box.show();
  Layout l{box.NoButton()->isVisible(), box.CancelButton()->isVisible(), box.YesButton()->x(),
           box.NoButton()->x(), box.CancelButton()->x()};
  box.hide();
  return l;
}

TEST(ErrorBox, FormAndButtonsAsTheUserSeesThem) {
  TErrorBox box(nullptr, kBoxYesNoCancel, Ru("Проект a был изменен."));
  EXPECT_EQ(box.size(), QSize(344, 145));
  EXPECT_EQ(box.windowTitle(), Ru("Предупреждение"));
  EXPECT_EQ(box.MessageLabel()->text(), Ru("Проект a был изменен."));
  EXPECT_TRUE(box.MessageLabel()->wordWrap());
  EXPECT_EQ(box.MessageLabel()->alignment(), Qt::AlignCenter);
  EXPECT_EQ(box.YesButton()->text(), Ru("Да"));
  EXPECT_EQ(box.NoButton()->text(), Ru("Нет"));
  EXPECT_EQ(box.CancelButton()->text(), Ru("Отмена"));
  EXPECT_EQ(box.YesButton()->toolTip(), Ru("Согласиться"));
  EXPECT_EQ(box.NoButton()->toolTip(), Ru("Отказаться"));
  EXPECT_EQ(box.CancelButton()->toolTip(), Ru("Отменить"));
  EXPECT_TRUE(box.YesButton()->Default());
  EXPECT_EQ(HelpContext(&box), 14);
  EXPECT_EQ(HelpContext(box.YesButton()), 481);
  EXPECT_EQ(HelpContext(box.NoButton()), 482);
  for (TPrgBitBtn* b : {box.YesButton(), box.NoButton(), box.CancelButton()}) {
    EXPECT_EQ(b->size(), QSize(75, 25));
    EXPECT_EQ(b->y(), 108);
    EXPECT_FALSE(b->Glyph().isNull());
  }
  // Text from the catalogue is program text.
  std::unique_ptr<TErrorBox> byId(TErrorBox::CreateById(nullptr, kBoxOk, 10224));
  EXPECT_EQ(byId->MessageLabel()->text(), Ru("Ошибок не обнаружено."));
}

TEST(ErrorBox, ButtonPositionsOfEachKind) {
  // W = 75, client width 344, gaps of 10.
  Layout one = LayoutOf(kBoxOk);
  EXPECT_FALSE(one.noVisible);
  EXPECT_FALSE(one.cancelVisible);
  EXPECT_EQ(one.yesX, (344 - 75) / 2);  // 134
  Layout two = LayoutOf(kBoxYesNo);
  EXPECT_TRUE(two.noVisible);
  EXPECT_FALSE(two.cancelVisible);
  EXPECT_EQ(two.yesX, 92);
  EXPECT_EQ(two.noX, 177);
  Layout three = LayoutOf(kBoxYesNoCancel);
  EXPECT_TRUE(three.noVisible);
  EXPECT_TRUE(three.cancelVisible);
  EXPECT_EQ(three.yesX, 49);
  EXPECT_EQ(three.noX, 134);
  EXPECT_EQ(three.cancelX, 219);
}

int RunAndPress(uint8_t kind, TPrgBitBtn* (TErrorBox::*button)() const) {
  TErrorBox box(nullptr, kind, Ru("?"));
  WhenModal([&box, button](QWidget* m) {
    ASSERT_EQ(m, &box);
    test::LeftClick((box.*button)());
  });
  return box.Run();
}

TEST(ErrorBox, AnswersOneTwoSeven) {
  EXPECT_EQ(RunAndPress(kBoxYesNoCancel, &TErrorBox::CancelButton), kResCancel);
  EXPECT_EQ(RunAndPress(kBoxYesNoCancel, &TErrorBox::NoButton), kResNo);
  EXPECT_EQ(RunAndPress(kBoxYesNoCancel, &TErrorBox::YesButton), kResYes);
  EXPECT_EQ(RunAndPress(kBoxYesNo, &TErrorBox::NoButton), kResNo);
  EXPECT_EQ(RunAndPress(kBoxYesNo, &TErrorBox::YesButton), kResYes);
  EXPECT_EQ(RunAndPress(kBoxOk, &TErrorBox::YesButton), kResYes);
}

// Closing the box from the frame or with Esc never answers "Нет" to a
// save query: it answers what changes nothing.
TEST(ErrorBox, ClosingOrEscAnswersTheHarmlessChoice) {
  for (uint8_t kind : {kBoxOk, kBoxYesNo, kBoxYesNoCancel}) {
    const int expected = kind == kBoxOk ? kResYes : kind == kBoxYesNo ? kResNo : kResCancel;
    {
      TErrorBox box(nullptr, kind, Ru("?"));
      WhenModal([](QWidget* m) { m->close(); });
      EXPECT_EQ(box.Run(), expected) << int(kind);
    }
    {
      TErrorBox box(nullptr, kind, Ru("?"));
      WhenModal([](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); });
      EXPECT_EQ(box.Run(), expected) << int(kind);
    }
  }
  // Enter presses the default button, "Да".
  TErrorBox box(nullptr, kBoxYesNoCancel, Ru("?"));
  WhenModal([](QWidget* m) { QTest::keyClick(m, Qt::Key_Return); });
  EXPECT_EQ(box.Run(), kResYes);
}

TEST(ErrorBox, ThePromptShowsCoreMessagesInTheBox) {
  ErrorBoxPrompt prompt;
  ScopedPrompt scope(&prompt);
  QString shown;
  WhenModal([&shown](QWidget* m) {
    auto* box = qobject_cast<TErrorBox*>(m);
    ASSERT_NE(box, nullptr);
    shown = box->MessageLabel()->text();
    test::LeftClick(box->NoButton());
  });
  EXPECT_EQ(ShowErrMsgText(nullptr, FormatMsg(10048, {"a.tbl"}), kBoxYesNoCancel), kResNo);
  EXPECT_TRUE(shown.startsWith(Ru("Проект a.tbl был изменен.")));
}

}  // namespace
}  // namespace korvant
