#include "controls/spin_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>
#include <QLineEdit>

#include "controls/test_util.h"
#include "window_test_util.h"

namespace korvant {
namespace {

struct SpinFixture : ::testing::Test {
  QWidget top;
  TSpinEdit* edit = new TSpinEdit(&top);
  TTimerSpeedButton* Up() const { return edit->Button()->UpButton(); }
  TTimerSpeedButton* Down() const { return edit->Button()->DownButton(); }
  void SetUp() override {
    top.resize(200, 80);
    edit->setGeometry(10, 10, 80, 24);
  }
  void Range(int lo, int hi) {
    edit->SetMinValue(lo);
    edit->SetMaxValue(hi);
  }
};

TEST_F(SpinFixture, StartsAtZeroWithItsButtonInside) {
  EXPECT_EQ(edit->text(), QStringLiteral("0"));
  EXPECT_EQ(edit->Increment(), 1);
  EXPECT_TRUE(edit->EditorEnabled());
  test::ShowAndPaint(top);
  const QRect b = edit->Button()->geometry();
  EXPECT_EQ(b.right(), edit->width() - 3);
  EXPECT_EQ(b.height(), edit->height() - 4);
  EXPECT_GE(edit->height(), edit->MinHeight());
  EXPECT_EQ(Up()->height() + Down()->height(), b.height());
}

TEST_F(SpinFixture, ValueIsClampedAndButtonsFollow) {
  Range(1, 10);
  edit->SetValue(12);
  EXPECT_EQ(edit->text(), QStringLiteral("10"));
  EXPECT_FALSE(Up()->isEnabled());
  EXPECT_TRUE(Down()->isEnabled());
  edit->SetValue(-4);
  EXPECT_EQ(edit->text(), QStringLiteral("1"));
  EXPECT_TRUE(Up()->isEnabled());
  EXPECT_FALSE(Down()->isEnabled());
  edit->setText(QStringLiteral("25"));  // typed text is checked on change
  EXPECT_EQ(edit->Value(), 10);
}

TEST_F(SpinFixture, EqualBoundsAlwaysGiveMinValue) {
  Range(3, 3);
  edit->SetValue(57);
  EXPECT_EQ(edit->text(), QStringLiteral("3"));
  EXPECT_FALSE(Up()->isEnabled());
  EXPECT_FALSE(Down()->isEnabled());
  Range(0, 0);
  edit->SetValue(57);
  EXPECT_EQ(edit->text(), QStringLiteral("0"));
}

TEST_F(SpinFixture, MinAboveMaxSettlesInsteadOfLooping) {
  Range(2, 1);
  int changes = 0;
  QObject::connect(edit, &TSpinEdit::Change, [&] { ++changes; });
  edit->SetValue(2);
  EXPECT_EQ(edit->text(), QStringLiteral("1"));
  changes = 0;
  edit->setText(QStringLiteral("2"));  // as if typed
  EXPECT_EQ(edit->text(), QStringLiteral("1"));
  EXPECT_LE(changes, 3);
  edit->SetValue(1);
  EXPECT_EQ(edit->text(), QStringLiteral("2"));
  edit->setText(QStringLiteral("abc"));
  EXPECT_TRUE(edit->text() == QStringLiteral("1") || edit->text() == QStringLiteral("2"));
}

// The user edits the number in place: the text is not rewritten while it
// is empty or a bare sign, and is checked when the field is left.
TEST_F(SpinFixture, TypingIsLeftAloneUntilTheFieldIsLeft) {
  auto* other = new QLineEdit(&top);
  other->setGeometry(10, 50, 80, 24);
  top.show();
  QApplication::setActiveWindow(&top);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
  Range(1, 99);
  edit->SetValue(12);
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(edit->hasFocus());
  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QString());
  EXPECT_EQ(edit->Value(), 1);  // read meanwhile: the checked value
  EXPECT_EQ(edit->text(), QString());
  QTest::keyClick(edit, Qt::Key_5);
  EXPECT_EQ(edit->text(), QStringLiteral("5"));

  Range(-10, 10);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Minus);
  EXPECT_EQ(edit->text(), QStringLiteral("-"));
  QTest::keyClick(edit, Qt::Key_5);
  EXPECT_EQ(edit->text(), QStringLiteral("-5"));
  EXPECT_EQ(edit->Value(), -5);

  // Out of range or unfinished when the field is left: put right then.
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, "77");
  EXPECT_EQ(edit->text(), QStringLiteral("77"));
  QTest::mouseClick(other, Qt::LeftButton);
  ASSERT_TRUE(other->hasFocus());
  EXPECT_EQ(edit->text(), QStringLiteral("10"));
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Minus);
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_EQ(edit->text(), QStringLiteral("-10"));
}

TEST_F(SpinFixture, TextThatIsNoNumberReadsAsMinValue) {
  Range(5, 50);
  edit->SetValue(20);
  edit->blockSignals(true);
  edit->setText(QStringLiteral("abc"));
  edit->blockSignals(false);
  EXPECT_EQ(edit->Value(), 5);
  EXPECT_EQ(edit->text(), QStringLiteral("5"));
}

TEST_F(SpinFixture, ArrowsAndButtonsStepByIncrement) {
  Range(0, 100);
  edit->SetIncrement(5);
  edit->SetValue(10);
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->Value(), 15);
  QTest::keyClick(edit, Qt::Key_Down);
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->Value(), 5);
  edit->setReadOnly(true);
  test::BeepCounter beeps;
  test::ShowAndPaint(top);
  test::Press(Up());
  EXPECT_EQ(edit->Value(), 5);
  EXPECT_EQ(beeps.count, 1);
}

TEST_F(SpinFixture, HugeIncrementsSaturate) {
  Range(INT_MIN, INT_MAX);
  edit->SetIncrement(INT_MAX);
  edit->SetValue(INT_MAX - 1);
  test::ShowAndPaint(top);
  test::Press(Up());
  EXPECT_EQ(edit->Value(), INT_MAX);
}

TEST_F(SpinFixture, StepsByTheMostNegativeIncrementSaturateBothWays) {
  Range(INT_MIN, INT_MAX);
  edit->SetIncrement(INT_MIN);
  edit->SetValue(0);
  test::ShowAndPaint(top);
  test::Press(Down());  // 0 - INT_MIN does not fit an int
  EXPECT_EQ(edit->Value(), INT_MAX);
  edit->SetValue(-5);
  test::Press(Up());
  EXPECT_EQ(edit->Value(), INT_MIN);
}

TEST_F(SpinFixture, TypedCharactersAreFiltered) {
  Range(0, 100);
  test::BeepCounter beeps;
  edit->selectAll();
  QTest::keyClick(edit, '4');
  QTest::keyClick(edit, '2');
  EXPECT_EQ(edit->text(), QStringLiteral("42"));
  EXPECT_EQ(beeps.count, 0);
  QTest::keyClick(edit, 'x');
  QTest::keyClick(edit, Qt::Key_Return);  // left to the dialog, no beep
  EXPECT_EQ(edit->text(), QStringLiteral("42"));
  EXPECT_EQ(beeps.count, 1);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QStringLiteral("4"));
  // A sign is a valid character; alone it is no number and reads MinValue.
  edit->selectAll();
  QTest::keyClick(edit, '-');
  EXPECT_EQ(beeps.count, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("0"));
}

TEST_F(SpinFixture, DisabledEditorBeepsOnTypingButStillSpins) {
  Range(1, 10);
  edit->SetValue(3);
  edit->SetEditorEnabled(false);
  test::BeepCounter beeps;
  QTest::keyClick(edit, '5');
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QStringLiteral("3"));
  EXPECT_EQ(beeps.count, 2);
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->Value(), 4);
  test::ShowAndPaint(top);
  test::Press(Up());
  EXPECT_EQ(edit->Value(), 5);
}

TEST_F(SpinFixture, PasteAndCutOnlyWithAnEditableEditor) {
  Range(0, 1000);
  QGuiApplication::clipboard()->setText(QStringLiteral("77"));
  edit->SetValue(12);
  edit->SetEditorEnabled(false);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("12"));
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("12"));
  edit->SetEditorEnabled(true);
  edit->setReadOnly(true);
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("12"));
  edit->setReadOnly(false);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QStringLiteral("77"));
}

TEST_F(SpinFixture, ChangeFiresOnEveryTextChange) {
  Range(0, 10);
  QSignalSpy spy(edit, &TSpinEdit::Change);
  edit->SetValue(4);
  EXPECT_GE(spy.count(), 1);
  const int before = spy.count();
  edit->setText(QStringLiteral("5"));
  EXPECT_EQ(spy.count(), before + 1);
}

struct HeldFixture : SpinFixture {
  QPoint OnGlyph(TTimerSpeedButton* b) const { return b->GlyphPainter().GlyphRect().center(); }
};

TEST_F(HeldFixture, AQuickClickAddsExactlyOne) {
  Range(0, 1000);
  test::ShowAndPaint(top);
  QTest::mouseClick(Up(), Qt::LeftButton, {}, OnGlyph(Up()));
  EXPECT_EQ(edit->Value(), 1);
  QTest::mouseClick(Down(), Qt::LeftButton, {}, OnGlyph(Down()));
  EXPECT_EQ(edit->Value(), 0);
}

TEST_F(HeldFixture, AHeldButtonRepeatsUntilReleased) {
  Range(0, 1000);
  test::ShowAndPaint(top);
  QTest::mousePress(Up(), Qt::LeftButton, {}, OnGlyph(Up()));
  ASSERT_NE(Up()->RepeatTimer(), nullptr);
  EXPECT_EQ(Up()->RepeatTimer()->interval(), TTimerSpeedButton::kFirstDelayMs);
  // Held until the timer has stepped twice, whatever the machine's load.
  QTRY_VERIFY_WITH_TIMEOUT(edit->Value() >= 2, 10000);
  EXPECT_EQ(Up()->RepeatTimer()->interval(), TTimerSpeedButton::kRepeatMs);  // the faster rhythm after the first
  QTest::mouseRelease(Up(), Qt::LeftButton, {}, OnGlyph(Up()));
  const int v = edit->Value();
  EXPECT_FALSE(Up()->RepeatTimer()->isActive());
  QTest::qWait(250);
  EXPECT_EQ(edit->Value(), v);  // nothing after the release
}

TEST_F(HeldFixture, RepeatsStopAtTheBound) {
  Range(0, 3);
  test::ShowAndPaint(top);
  QTest::mousePress(Up(), Qt::LeftButton, {}, OnGlyph(Up()));
  QTest::qWait(1000);
  EXPECT_EQ(edit->Value(), 3);
  EXPECT_FALSE(Up()->isEnabled());
  EXPECT_FALSE(Up()->RepeatTimer()->isActive());
}

TEST_F(SpinFixture, SpinButtonPressFocusesTheEdit) {
  Range(0, 10);
  test::ShowAndPaint(top);
  QLineEdit other(&top);
  other.show();
  other.setFocus();
  top.activateWindow();
  QTest::mouseClick(Down(), Qt::LeftButton, {}, Down()->GlyphPainter().GlyphRect().center());
  EXPECT_EQ(edit->Button()->FocusedButton(), Down());
  EXPECT_TRUE(edit->hasFocus());
}

}  // namespace
}  // namespace korvant

namespace korvant {
namespace {

TEST(SpinButton, LayoutKeysAndDefaultGlyphs) {
  QWidget top;
  auto* sb = new TSpinButton(&top);
  test::ShowAndPaint(top);
  EXPECT_EQ(sb->size(), QSize(20, 25));
  EXPECT_EQ(sb->UpButton()->geometry(), QRect(0, 0, 20, 12));
  EXPECT_EQ(sb->DownButton()->geometry(), QRect(0, 12, 20, 13));
  EXPECT_TRUE(sb->UpButton()->Flat());
  EXPECT_EQ(sb->UpNumGlyphs(), 3);
  EXPECT_EQ(sb->UpButton()->TimeBtnState(), TTimerSpeedButton::tbAllowTimer);
  sb->resize(8, 25);
  EXPECT_EQ(sb->width(), 15);

  int ups = 0, downs = 0;
  QObject::connect(sb, &TSpinButton::UpClick, [&](QObject* s) { ups += s == sb; });
  QObject::connect(sb, &TSpinButton::DownClick, [&](QObject* s) { downs += s == sb; });
  QTest::keyClick(sb, Qt::Key_Down);
  EXPECT_EQ(sb->FocusedButton(), sb->DownButton());
  QTest::keyClick(sb, Qt::Key_Up);
  QTest::keyClick(sb, Qt::Key_Left);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(sb->FocusedButton(), sb->UpButton());

  // A focus control that goes away is forgotten.
  auto* target = new QLineEdit(&top);
  sb->SetFocusControl(target);
  delete target;
  EXPECT_EQ(sb->FocusControl(), nullptr);
}

}  // namespace
}  // namespace korvant
