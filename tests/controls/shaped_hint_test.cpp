#include "controls/shaped_hint.h"

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "controls/test_util.h"

namespace korvant {
namespace {

QFont HintFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(11);
  return f;
}

// Anchor points of a 25 x 25 flat speed button whose top-left is (l, t).
std::array<QPoint, 4> SpeedPoints(int l, int t) {
  const int cx = l + 12;
  return {QPoint(cx - 6, t + 6), QPoint(cx + 6, t + 6), QPoint(cx - 6, t + 19),
          QPoint(cx + 6, t + 19)};
}

const QSize kScreen(800, 600);

TEST(CalloutPlacement, OpensDownRightWhereItFits) {
  const auto p = SpeedPoints(100, 100);
  const CalloutPlacement pl = PlaceCallout(p, 1, kScreen);
  EXPECT_EQ(pl.index, 1);
  EXPECT_EQ(pl.topLeft, p[3]);
  EXPECT_EQ(pl.hintRect, QRect(p[3].x(), p[3].y(), 82 + 2, 60 + 2));
}

TEST(CalloutPlacement, NearTheRightEdgeOpensDownLeft) {
  const auto p = SpeedPoints(780, 100);
  const CalloutPlacement pl = PlaceCallout(p, 2, kScreen);
  EXPECT_EQ(pl.index, 5);
  EXPECT_EQ(pl.topLeft, QPoint(p[2].x() - 101, p[2].y()));
}

TEST(CalloutPlacement, NearTheBottomOpensAbove) {
  const auto p = SpeedPoints(100, 570);
  const CalloutPlacement pl = PlaceCallout(p, 3, kScreen);
  EXPECT_EQ(pl.index, 9);
  EXPECT_EQ(pl.topLeft, QPoint(p[1].x(), p[1].y() - 93));
}

TEST(CalloutPlacement, InTheBottomRightCornerOpensUpLeft) {
  const auto p = SpeedPoints(780, 570);
  const CalloutPlacement pl = PlaceCallout(p, 1, kScreen);
  EXPECT_EQ(pl.index, 10);
  EXPECT_EQ(pl.topLeft, QPoint(p[0].x() - 82, p[0].y() - 60));
}

TEST(CalloutPlacement, StaysWhereNoOtherSideHasRoom) {
  // Too narrow a screen to open left: stays down-right, even at the bottom.
  const QSize tiny(60, 50);
  const auto p = SpeedPoints(20, 20);
  EXPECT_EQ(PlaceCallout(p, 1, tiny).index, 1);
  // Fits to the right but neither below nor above: stays down-right.
  EXPECT_EQ(PlaceCallout(SpeedPoints(10, 10), 1, QSize(800, 70)).index, 1);
}

TEST(CalloutSize, SmallestShapeThatHoldsTheTextElsePlain) {
  const QFont f = HintFont();
  EXPECT_EQ(ChooseCalloutSize(QString::fromUtf8("Да"), f), 1);
  const int two = ChooseCalloutSize(QString::fromUtf8("Справка по вводу данных"), f);
  EXPECT_GE(two, 1);
  EXPECT_LE(two, 3);
  const QString tooLong = QString::fromUtf8(
      "Очень длинная подсказка, которая никак не помещается даже в самую большую выноску, "
      "потому что в ней слишком много слов и строк для маленькой картинки");
  EXPECT_EQ(ChooseCalloutSize(tooLong, f), 0);
  // One word wider than every text rectangle cannot be wrapped into any.
  EXPECT_EQ(ChooseCalloutSize(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWW"), f), 0);
}

TEST(CalloutShapes, TableAndPictures) {
  EXPECT_EQ(CalloutShapeAt(1).width, 82);
  EXPECT_EQ(CalloutShapeAt(6).height, 93);
  EXPECT_STREQ(CalloutShapeAt(11).name, "MedUpLft");
  EXPECT_EQ(CalloutShapeAt(7).textRect, QRect(QPoint(17, 15), QPoint(65, 44)));
  for (int i = 1; i <= 12; ++i) {
    const QImage img = CalloutPicture(i);
    ASSERT_EQ(img.size(), QSize(2 * CalloutShapeAt(i).width, CalloutShapeAt(i).height)) << i;
    const CalloutShape& s = CalloutShapeAt(i);
    const QPoint mid = s.textRect.center();
    EXPECT_EQ(img.pixel(mid) & 0xFFFFFFu, 0u) << "mask is black inside, shape " << i;
  }
  // Down-right shapes reach their anchor at the top-left corner.
  const QImage dr = CalloutPicture(1);
  EXPECT_EQ(dr.pixel(1, 1) & 0xFFFFFFu, 0u);
  EXPECT_NE(dr.pixel(80, 1) & 0xFFFFFFu, 0u);
}

struct HintFixture : ::testing::Test {
  QWidget top;
  TPrgSpeedButton* flat = new TPrgSpeedButton(&top);
  TPrgSpeedButton* raised = new TPrgSpeedButton(&top);
  TPrgBitBtn* bit = new TPrgBitBtn(TBitBtnKind::bkOK, QStringLiteral("OK"), &top);
  ShapedHintWindow* hint = ShapedHintWindow::Instance();
  void SetUp() override {
    hint->setFont(HintFont());
    top.resize(200, 100);
    flat->SetFlat(true);
    flat->move(10, 10);
    raised->move(40, 10);
    bit->move(80, 10);
    test::ShowAndPaint(top);
  }
  void TearDown() override { hint->CancelHint(); }
};

TEST_F(HintFixture, OnlyFlatSpeedButtonsAndBitmapButtonsTakePart) {
  EXPECT_TRUE(flat->AcceptShapedHint(hint));
  EXPECT_EQ(flat->HintWindow(), hint);
  EXPECT_FALSE(raised->AcceptShapedHint(hint));
  EXPECT_FALSE(flat->AcceptShapedHint(nullptr));
  EXPECT_EQ(flat->HintWindow(), nullptr);
  EXPECT_TRUE(bit->AcceptShapedHint(hint));
  std::array<QPoint, 4> pts;
  EXPECT_TRUE(bit->ShapedHintPoints(pts));
  const QPoint tl = bit->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(pts[0], tl + QPoint(6, 6));
  EXPECT_EQ(pts[3], tl + QPoint(bit->width() - 6, bit->height() - 6));
  flat->ShapedHintPoints(pts);
  const QPoint ftl = flat->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(pts[1], QPoint(ftl.x() + 12 + 6, ftl.y() + 6));
}

TEST_F(HintFixture, ShapedHintProtocol) {
  hint->ActivateHint(bit, QString::fromUtf8("Справка по диалогу"), bit->mapToGlobal(QPoint(5, 5)));
  ASSERT_TRUE(hint->Shaped());
  EXPECT_GE(hint->ShapeIndex(), 1);
  EXPECT_TRUE(hint->VisibleAllowed());
  EXPECT_TRUE(hint->CursorOnSolidPart());
  EXPECT_TRUE(hint->isVisible());
  // Mouse off the solid part hides it, back on shows it again.
  EXPECT_TRUE(hint->HintCursorMoved(false, true));
  EXPECT_FALSE(hint->isVisible());
  hint->HintCursorMoved(true, true);
  EXPECT_TRUE(hint->isVisible());
  // The display time running out leaves a shaped hint on screen...
  hint->HintTimeout();
  EXPECT_TRUE(hint->isVisible());
  // ...cancelling removes it, and moves do not bring it back.
  hint->CancelHint();
  EXPECT_FALSE(hint->isVisible());
  hint->HintCursorMoved(true, true);
  EXPECT_FALSE(hint->isVisible());
}

TEST_F(HintFixture, PlainHintForOtherControlsLongTextsAndMissingPictures) {
  hint->ActivateHint(raised, QStringLiteral("x"), QPoint(50, 20));
  EXPECT_FALSE(hint->Shaped());
  EXPECT_FALSE(hint->isVisible());

  const QString tooLong(300, QLatin1Char('w'));
  hint->ActivateHint(bit, tooLong, QPoint(90, 20));
  EXPECT_FALSE(hint->Shaped());
  EXPECT_EQ(bit->HintWindow(), nullptr);

  auto old = InstallCalloutPictureSource([](int) { return QImage(); });
  hint->ActivateHint(bit, QStringLiteral("OK"), QPoint(90, 20));
  EXPECT_FALSE(hint->Shaped());
  EXPECT_FALSE(hint->isVisible());
  (void)hint->grab();  // painting without a picture is harmless
  InstallCalloutPictureSource(std::move(old));
}

TEST_F(HintFixture, ButtonNearTheScreensRightEdgeGetsADownLeftCallout) {
  const QRect screen = top.screen()->geometry();
  QWidget edge;
  edge.setGeometry(screen.right() - 40, screen.top() + 100, 40, 40);
  auto* b = new TPrgBitBtn(&edge);
  b->setGeometry(5, 5, 30, 25);
  test::ShowAndPaint(edge);
  hint->ActivateHint(b, QStringLiteral("OK"), b->mapToGlobal(QPoint(3, 3)));
  ASSERT_TRUE(hint->Shaped());
  EXPECT_EQ(hint->ShapeIndex(), 4);
  EXPECT_LE(hint->HintRect().right(), screen.right() + 2);
}

}  // namespace
}  // namespace korvant
