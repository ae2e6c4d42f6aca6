#include "controls/btn_edit.h"
#include "controls/prg_spin_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "controls/speed_button.h"
#include "controls/test_util.h"
#include "window_test_util.h"

namespace korvant {
namespace {

// The program runs with the Russian locale: the comma separates decimals.
struct RussianLocale : ::testing::Test {
  QLocale saved;
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
  void TearDown() override { QLocale::setDefault(saved); }
};

struct PrgSpinFixture : RussianLocale {
  QWidget top;
  TPrgSpinEdit* edit = new TPrgSpinEdit(&top);
  void SetUp() override {
    RussianLocale::SetUp();
    top.resize(200, 80);
    edit->setGeometry(10, 10, 80, 24);
  }
};

TEST_F(PrgSpinFixture, DefaultsAndFormatting) {
  EXPECT_EQ(edit->text(), QStringLiteral("0"));
  EXPECT_EQ(edit->Digits(), 2);
  EXPECT_DOUBLE_EQ(edit->Increment(), 1.0);
  edit->SetMaxValue(5000);
  EXPECT_EQ(edit->FormatValue(1234.5), QStringLiteral("1234,50"));  // no digit grouping
  edit->SetValue(1234.5);
  EXPECT_EQ(edit->text(), QStringLiteral("1234,50"));
}

TEST_F(PrgSpinFixture, ExtraDecimalsAreCutSilentlyKeepingTheCaret) {
  edit->SetMaxValue(10);
  QSignalSpy changes(edit, &TPrgSpinEdit::Change);
  edit->blockSignals(true);
  edit->setText(QStringLiteral("3,14159"));
  edit->blockSignals(false);
  edit->setCursorPosition(2);
  EXPECT_NEAR(edit->Value(), 3.14, 1e-12);
  EXPECT_EQ(edit->text(), QStringLiteral("3,14"));
  EXPECT_EQ(edit->cursorPosition(), 2);
  EXPECT_EQ(changes.count(), 0);
  // Typed the same way, the change handling cuts it too.
  edit->setText(QStringLiteral("2,71828"));
  EXPECT_EQ(edit->text(), QStringLiteral("2,71"));
  EXPECT_EQ(changes.count(), 1);
}

TEST_F(PrgSpinFixture, EmptyTextReadsZeroEvenAboveMinValue) {
  edit->SetMinValue(1);
  edit->SetMaxValue(9);
  edit->setText(QString());
  EXPECT_DOUBLE_EQ(edit->Value(), 0.0);
  EXPECT_EQ(edit->text(), QString());
}

// A sign or a decimal comma typed first starts a number; it is not
// replaced by MinValue while the user goes on typing.
TEST_F(PrgSpinFixture, ASignTypedFirstStays) {
  auto* other = new QLineEdit(&top);
  other->setGeometry(10, 50, 80, 24);
  top.show();
  QApplication::setActiveWindow(&top);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
  edit->SetMinValue(-5);
  edit->SetMaxValue(5);
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(edit->hasFocus());
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Minus);
  EXPECT_EQ(edit->text(), QStringLiteral("-"));
  QTest::keyClick(edit, Qt::Key_2);
  EXPECT_EQ(edit->text(), QStringLiteral("-2"));
  EXPECT_DOUBLE_EQ(edit->Value(), -2.0);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Plus);
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_EQ(edit->text(), QStringLiteral("-5,00"));
}

TEST_F(PrgSpinFixture, TextThatIsNoNumberBecomesMinValue) {
  edit->SetMinValue(1.5);
  edit->SetMaxValue(9);
  edit->blockSignals(true);
  edit->setText(QStringLiteral("abc"));
  edit->blockSignals(false);
  EXPECT_DOUBLE_EQ(edit->Value(), 1.5);
  EXPECT_EQ(edit->text(), QStringLiteral("1,50"));
}

TEST_F(PrgSpinFixture, UpClickClampsToMaxAndDisablesUp) {
  edit->SetMinValue(0.5);
  edit->SetMaxValue(2.5);
  edit->SetValue(2.0);
  EXPECT_EQ(edit->text(), QStringLiteral("2,00"));
  test::ShowAndPaint(top);
  test::Press(edit->Button()->UpButton());
  EXPECT_EQ(edit->text(), QStringLiteral("2,50"));
  EXPECT_FALSE(edit->Button()->UpButton()->isEnabled());
  EXPECT_TRUE(edit->Button()->DownButton()->isEnabled());
  test::Press(edit->Button()->DownButton());
  test::Press(edit->Button()->DownButton());
  EXPECT_EQ(edit->text(), QStringLiteral("0,50"));
  EXPECT_FALSE(edit->Button()->DownButton()->isEnabled());
}

TEST_F(PrgSpinFixture, CheckValueRoundsToDigits) {
  edit->SetMinValue(0);
  edit->SetMaxValue(10);
  edit->SetDigits(1);
  EXPECT_DOUBLE_EQ(edit->CheckValue(3.26), 3.3);
  EXPECT_DOUBLE_EQ(edit->CheckValue(-1), 0.0);
  edit->SetMinValue(4);
  edit->SetMaxValue(4);
  EXPECT_DOUBLE_EQ(edit->CheckValue(7), 4.0);
}

TEST_F(PrgSpinFixture, DigitsZeroRefusesTheSeparator) {
  edit->SetMaxValue(100);
  edit->SetDigits(0);
  test::BeepCounter beeps;
  edit->selectAll();
  QTest::keyClick(edit, '7');
  QTest::keyClick(edit, ',');
  EXPECT_EQ(beeps.count, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("7"));
  edit->SetDigits(2);
  QTest::keyClick(edit, ',');
  QTest::keyClick(edit, '5');
  EXPECT_EQ(beeps.count, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("7,5"));
  QTest::keyClick(edit, 'a');
  EXPECT_EQ(beeps.count, 2);
}

TEST_F(PrgSpinFixture, DisabledEditorSwallowsDeleteAndPaste) {
  edit->SetMaxValue(100);
  edit->SetValue(12);
  edit->SetEditorEnabled(false);
  test::BeepCounter beeps;
  edit->setCursorPosition(0);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClick(edit, '3');
  QGuiApplication::clipboard()->setText(QStringLiteral("5"));
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("12,00"));
  EXPECT_EQ(beeps.count, 1);
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), QStringLiteral("13,00"));
}

TEST_F(PrgSpinFixture, OddHeightSpinButtonLeavesAMiddleRow) {
  auto& b = *new TPrgSpinButton(&top);
  test::ShowAndPaint(top);
  b.resize(16, 21);
  EXPECT_EQ(b.UpButton()->geometry(), QRect(0, 0, 16, 10));
  EXPECT_EQ(b.DownButton()->geometry(), QRect(0, 11, 16, 10));
  b.resize(16, 20);
  EXPECT_EQ(b.DownButton()->geometry(), QRect(0, 10, 16, 10));
  EXPECT_FALSE(b.UpButton()->Flat());
}

struct BtnEditFixture : RussianLocale {
  QWidget top;
  TPrgBtnEdit* edit = new TPrgBtnEdit(&top);
  void SetUp() override {
    RussianLocale::SetUp();
    top.resize(200, 80);
    edit->setGeometry(10, 10, 120, 24);
  }
};

TEST_F(BtnEditFixture, ButtonAsksTheOwner) {
  EXPECT_TRUE(edit->text().isEmpty());
  edit->setText(QStringLiteral("old"));
  test::ShowAndPaint(top);
  test::Press(edit->Button());  // no owner: nothing changes
  EXPECT_EQ(edit->text(), QStringLiteral("old"));
  QString seen;
  edit->SetOnEditCall([&](QObject* sender, QString& v) {
    EXPECT_EQ(sender, edit);
    seen = v;
    v = QString::fromUtf8("Иванов");
  });
  QTest::mouseClick(edit->Button(), Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_EQ(seen, QStringLiteral("old"));
  EXPECT_EQ(edit->text(), QString::fromUtf8("Иванов"));
}

TEST_F(BtnEditFixture, WithTheEditorDisabledOnlyTheOwnerChangesTheText) {
  edit->setText(QStringLiteral("ab"));
  edit->SetEditorEnabled(false);
  QGuiApplication::clipboard()->setText(QStringLiteral("zz"));
  test::BeepCounter beeps;
  edit->setCursorPosition(1);
  QTest::keyClick(edit, 'c');
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("ab"));
  EXPECT_EQ(beeps.count, 2);
  edit->SetOnEditCall([](QObject*, QString& v) { v += QStringLiteral("!"); });
  test::ShowAndPaint(top);
  test::Press(edit->Button());
  EXPECT_EQ(edit->text(), QStringLiteral("ab!"));
}

TEST_F(BtnEditFixture, EnabledEditorTakesAnyCharacter) {
  QSignalSpy changes(edit, &TPrgBtnEdit::Change);
  test::BeepCounter beeps;
  QTest::keyClick(edit, 'q');
  QTest::keyClick(edit, '%');
  EXPECT_EQ(edit->text(), QStringLiteral("q%"));
  EXPECT_EQ(beeps.count, 0);
  EXPECT_EQ(changes.count(), 2);
}

}  // namespace
}  // namespace korvant
