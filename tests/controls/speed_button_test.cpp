#include "controls/speed_button.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include "controls/test_util.h"

namespace korvant {
namespace {

constexpr QRgb kKey = 0x00FF00;

// An 8 x 8 glyph whose centre 4 x 4 is opaque and whose rim has the key colour.
QImage HoleGlyph() {
  QImage img(8, 8, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(kKey));
  for (int y = 2; y < 6; ++y)
    for (int x = 2; x < 6; ++x) img.setPixel(x, y, qRgb(0, 0, 128));
  return img;
}

struct ButtonFixture : ::testing::Test {
  QWidget top;
  TPrgSpeedButton* button = new TPrgSpeedButton(&top);
  void SetUp() override {
    top.resize(200, 100);
    button->move(10, 10);
    button->SetGlyph(HoleGlyph());
  }
  QPoint Opaque() const { return button->GlyphPainter().GlyphRect().topLeft() + QPoint(3, 3); }
  QPoint Hole() const { return button->GlyphPainter().GlyphRect().topLeft() + QPoint(0, 0); }
};

TEST_F(ButtonFixture, GlyphTransparencyFollowsTheKeyColourAndTheLastPaint) {
  EXPECT_EQ(button->size(), QSize(25, 25));
  EXPECT_EQ(button->GlyphPainter().TransparentColor(), kKey);
  EXPECT_EQ(button->NumGlyphs(), 1);  // square glyph: one cell
  test::ShowAndPaint(top);
  const QRect r = button->GlyphPainter().GlyphRect();
  ASSERT_EQ(r.size(), QSize(8, 8));
  EXPECT_FALSE(button->GlyphPainter().IsTransparentAt(Opaque(), TButtonState::bsUp));
  EXPECT_TRUE(button->GlyphPainter().IsTransparentAt(Hole(), TButtonState::bsUp));
  EXPECT_TRUE(button->GlyphPainter().IsTransparentAt(QPoint(0, 0), TButtonState::bsUp));
}

TEST_F(ButtonFixture, FlatButtonIgnoresPressesOnTransparentPixels) {
  button->SetFlat(true);
  test::ShowAndPaint(top);
  QSignalSpy clicks(button, &TPrgSpeedButton::Clicked);
  int downs = 0;
  QObject::connect(button, &TPrgSpeedButton::MouseDown, [&](QMouseEvent*) { ++downs; });

  QTest::mouseClick(button, Qt::LeftButton, {}, Hole());
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(downs, 1);  // the mouse-down event still fires
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(button->State(), TButtonState::bsUp);

  QTest::mouseClick(button, Qt::LeftButton, {}, Opaque());
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(button->State(), TButtonState::bsUp);
}

TEST_F(ButtonFixture, PressOnOpaqueAndReleaseOverTheHoleGivesNoClick) {
  button->SetFlat(true);
  test::ShowAndPaint(top);
  QSignalSpy clicks(button, &TPrgSpeedButton::Clicked);
  QTest::mousePress(button, Qt::LeftButton, {}, Opaque());
  EXPECT_EQ(button->State(), TButtonState::bsDown);
  QTest::mouseMove(button, Hole());
  QTest::mouseRelease(button, Qt::LeftButton, {}, Hole());
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(button->State(), TButtonState::bsUp);
}

TEST_F(ButtonFixture, NonFlatButtonClicksOverItsWholeArea) {
  test::ShowAndPaint(top);
  QSignalSpy clicks(button, &TPrgSpeedButton::Clicked);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(1, 1));
  QTest::mouseClick(button, Qt::LeftButton, {}, Hole());
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(24, 24));
  EXPECT_EQ(clicks.count(), 3);
  // Released outside the button: no click.
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 5));
  EXPECT_EQ(clicks.count(), 3);
}

TEST_F(ButtonFixture, DisabledButtonDoesNotClick) {
  button->setEnabled(false);
  test::ShowAndPaint(top);
  QSignalSpy clicks(button, &TPrgSpeedButton::Clicked);
  QTest::mouseClick(button, Qt::LeftButton, {}, Opaque());
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(button->State(), TButtonState::bsDisabled);
}

TEST(SpeedButtonGlyph, StateCellsAndTransparencyPerCell) {
  // Two cells: up has an opaque pixel at (1,1), disabled does not.
  QImage img(8, 4, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(kKey));
  img.setPixel(1, 1, qRgb(0, 0, 0));
  TButtonGlyph g;
  g.SetGlyph(img);
  g.SetNumGlyphs(2);
  g.SetGlyphRect(QRect(10, 10, 4, 4));
  EXPECT_FALSE(g.IsTransparentAt(QPoint(11, 11), TButtonState::bsUp));
  EXPECT_TRUE(g.IsTransparentAt(QPoint(11, 11), TButtonState::bsDisabled));
  // States without their own cell use cell 0.
  EXPECT_FALSE(g.IsTransparentAt(QPoint(11, 11), TButtonState::bsDown));
  EXPECT_TRUE(g.IsTransparentAt(QPoint(14, 11), TButtonState::bsUp));
  EXPECT_TRUE(g.IsTransparentAt(QPoint(9, 11), TButtonState::bsUp));
}

struct GroupFixture : ::testing::Test {
  QWidget top;
  TPrgSpeedButton* b[3];
  void SetUp() override {
    top.resize(200, 60);
    for (int i = 0; i < 3; ++i) {
      b[i] = new TPrgSpeedButton(&top);
      b[i]->move(10 + 30 * i, 10);
      b[i]->SetGroupIndex(1);
    }
    test::ShowAndPaint(top);
  }
  void Click(int i) { QTest::mouseClick(b[i], Qt::LeftButton, {}, QPoint(12, 12)); }
};

TEST_F(GroupFixture, OneButtonOfTheGroupStaysDown) {
  Click(0);
  EXPECT_TRUE(b[0]->Down());
  EXPECT_EQ(b[0]->State(), TButtonState::bsExclusive);
  Click(1);
  EXPECT_FALSE(b[0]->Down());
  EXPECT_EQ(b[0]->State(), TButtonState::bsUp);
  EXPECT_TRUE(b[1]->Down());
  // Without AllowAllUp the down button cannot be raised, but it still clicks.
  QSignalSpy clicks(b[1], &TPrgSpeedButton::Clicked);
  Click(1);
  EXPECT_TRUE(b[1]->Down());
  EXPECT_EQ(b[1]->State(), TButtonState::bsExclusive);
  EXPECT_EQ(clicks.count(), 1);
  b[1]->SetDown(false);
  EXPECT_TRUE(b[1]->Down());
}

TEST_F(GroupFixture, AllowAllUpLetsTheGroupGoUpAndSpreadsToTheGroup) {
  b[2]->SetAllowAllUp(true);
  EXPECT_TRUE(b[0]->AllowAllUp());
  Click(0);
  EXPECT_TRUE(b[0]->Down());
  Click(0);
  EXPECT_FALSE(b[0]->Down());
  for (auto* x : b) EXPECT_FALSE(x->Down());
  b[2]->SetDown(true);
  b[1]->SetDown(true);
  EXPECT_FALSE(b[2]->Down());
  EXPECT_TRUE(b[1]->Down());
}

TEST_F(GroupFixture, OtherGroupsAndGroupZeroAreUntouched) {
  auto* other = new TPrgSpeedButton(&top);
  other->SetGroupIndex(2);
  other->SetDown(true);
  auto* plain = new TPrgSpeedButton(&top);
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down());  // group 0 never stays down
  Click(0);
  EXPECT_TRUE(other->Down());
  EXPECT_TRUE(b[0]->Down());
}

// The journal's "+" and "−", the preview's tool bar: flat buttons with a
// caption and no glyph are pressed like any other button, and a latched
// flat button (the regime pair, the editors' states) looks latched.
TEST(FlatSpeedButton, WithoutGlyphIsSolidAndShowsWhenItIsLatched) {
  QWidget top;
  top.resize(200, 60);
  auto* plus = new TPrgSpeedButton(&top);
  plus->SetFlat(true);
  plus->SetCaption(QStringLiteral("+"));
  auto* regime = new TPrgSpeedButton(&top);
  regime->move(40, 0);
  regime->SetFlat(true);
  regime->SetGroupIndex(1);
  regime->SetGlyph(HoleGlyph());
  test::ShowAndPaint(top);
  QSignalSpy clicks(plus, &TPrgSpeedButton::Clicked);
  QTest::mouseClick(plus, Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseClick(plus, Qt::LeftButton, {}, QPoint(12, 12));
  EXPECT_EQ(clicks.count(), 2);

  const QImage up = regime->grab().toImage();
  const QPoint solid = regime->GlyphPainter().GlyphRect().center();
  QTest::mouseClick(regime, Qt::LeftButton, {}, solid);
  ASSERT_TRUE(regime->Down());
  const QImage latched = regime->grab().toImage();
  EXPECT_NE(up, latched);
  // Only the face changed: the glyph stays where it was and the frame sits
  // on the button's rim.
  EXPECT_NE(up.pixel(0, 0), latched.pixel(0, 0));
}

}  // namespace
}  // namespace korvant
