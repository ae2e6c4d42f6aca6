#include <gtest/gtest.h>

#include <QImage>
#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QTest>
#include <QPainter>
#include <QWidget>

#include <vector>

#include "window_test_util.h"
#include "windows/shell/workspace_logo.h"

namespace korvant {
namespace {

const QSize kLogo(kWorkspaceLogoWidth, kWorkspaceLogoHeight);

// Bands and picture (clipped to the client) must tile the client exactly:
// every pixel painted once, none twice, nothing outside.
void expectTiles(QSize client, QSize logo) {
  SCOPED_TRACE(testing::Message() << client.width() << "x" << client.height());
  const WorkspaceLogoLayout lay = layoutWorkspaceLogo(client, logo);
  const QRect whole(QPoint(0, 0), client);
  std::vector<QRect> parts(lay.bands.begin(), lay.bands.end());
  if (lay.hasPicture) parts.push_back(lay.picture.intersected(whole));
  long long area = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].isEmpty()) continue;
    EXPECT_TRUE(whole.contains(parts[i])) << i;
    area += static_cast<long long>(parts[i].width()) * parts[i].height();
    for (size_t j = i + 1; j < parts.size(); ++j)
      EXPECT_FALSE(parts[i].intersects(parts[j])) << i << " " << j;
  }
  EXPECT_EQ(area, static_cast<long long>(client.width()) * client.height());
}

TEST(WorkspaceLogoLayout, BigWorkspaceCentresTheLogo) {
  const WorkspaceLogoLayout lay = layoutWorkspaceLogo(QSize(640, 400), kLogo);
  ASSERT_TRUE(lay.hasPicture);
  EXPECT_EQ(lay.picture, QRect(200, 110, 240, 180));
  EXPECT_EQ(lay.bands[0], QRect(0, 0, 640, 110));
  EXPECT_EQ(lay.bands[1], QRect(0, 110, 200, 180));
  EXPECT_EQ(lay.bands[2], QRect(440, 110, 200, 180));
  EXPECT_EQ(lay.bands[3], QRect(0, 290, 640, 110));
  // An odd difference rounds towards zero.
  EXPECT_EQ(layoutWorkspaceLogo(QSize(641, 401), kLogo).picture, QRect(200, 110, 240, 180));
}

TEST(WorkspaceLogoLayout, SmallWorkspaceShowsTheLogosTopLeftPart) {
  WorkspaceLogoLayout lay = layoutWorkspaceLogo(QSize(200, 400), kLogo);
  EXPECT_EQ(lay.picture, QRect(0, 110, 201, 180));
  EXPECT_TRUE(lay.bands[1].isNull());
  EXPECT_TRUE(lay.bands[2].isNull());
  EXPECT_EQ(lay.bands[0], QRect(0, 0, 200, 110));
  EXPECT_EQ(lay.bands[3], QRect(0, 290, 200, 110));
  // One pixel short of the logo still centres it (at 0).
  lay = layoutWorkspaceLogo(QSize(239, 179), kLogo);
  EXPECT_EQ(lay.picture, QRect(0, 0, 240, 180));
  lay = layoutWorkspaceLogo(QSize(100, 50), kLogo);
  EXPECT_EQ(lay.picture, QRect(0, 0, 101, 51));
  for (const QRect& band : lay.bands) EXPECT_TRUE(band.isNull());
}

TEST(WorkspaceLogoLayout, ZeroAndNegativeSizesPaintNothing) {
  for (QSize client : {QSize(0, 0), QSize(-5, -1)}) {
    const WorkspaceLogoLayout lay = layoutWorkspaceLogo(client, kLogo);
    EXPECT_EQ(lay.picture, QRect(0, 0, 1, 1));
    for (const QRect& band : lay.bands) EXPECT_TRUE(band.isNull());
  }
  const WorkspaceLogoLayout none = layoutWorkspaceLogo(QSize(0, 0), QSize());
  EXPECT_FALSE(none.hasPicture);
  for (const QRect& band : none.bands) EXPECT_TRUE(band.isNull());
}

TEST(WorkspaceLogoLayout, WithoutABitmapTheWholeClientIsBackground) {
  const WorkspaceLogoLayout lay = layoutWorkspaceLogo(QSize(640, 400), QSize());
  EXPECT_FALSE(lay.hasPicture);
  EXPECT_EQ(lay.bands[0], QRect(0, 0, 640, 400));
  EXPECT_TRUE(lay.bands[1].isNull() && lay.bands[2].isNull() && lay.bands[3].isNull());
}

TEST(WorkspaceLogoLayout, BandsAndPictureTileTheClient) {
  for (QSize client : {QSize(640, 400), QSize(641, 181), QSize(240, 180), QSize(239, 500), QSize(200, 100),
                       QSize(1, 1), QSize(0, 300), QSize(1920, 0)})
    expectTiles(client, kLogo);
}

TEST(WorkspaceLogo, OnlyResource1000IsALogo) {
  const QImage logo = workspaceLogoBitmap(kWorkspaceLogoResId);
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.size(), kLogo);
  EXPECT_TRUE(workspaceLogoBitmap(0).isNull());
  EXPECT_TRUE(workspaceLogoBitmap(1001).isNull());
}

// Paints on a canvas filled with a colour neither the brush nor the logo
// uses, so any pixel left unpainted shows.
TEST(WorkspaceLogo, PainterFillsAroundThePictureAndCopiesIt) {
  const QImage logo = workspaceLogoBitmap(kWorkspaceLogoResId);
  QImage canvas(640, 400, QImage::Format_RGB32);
  canvas.fill(QColor(1, 2, 3));
  {
    QPainter p(&canvas);
    paintWorkspaceLogo(p, canvas.size(), logo, QBrush(QColor(10, 200, 30)));
  }
  const QRgb bg = qRgb(10, 200, 30);
  EXPECT_EQ(canvas.pixel(0, 0), bg);
  EXPECT_EQ(canvas.pixel(199, 200), bg);
  EXPECT_EQ(canvas.pixel(440, 200), bg);
  EXPECT_EQ(canvas.pixel(639, 399), bg);
  EXPECT_EQ(canvas.pixel(320, 109), bg);
  EXPECT_EQ(canvas.pixel(320, 290), bg);
  // The picture's own pixels; its margins have no paper of their own.
  for (QPoint at : {QPoint(100, 60), QPoint(40, 75)})
    EXPECT_EQ(canvas.pixel(at + QPoint(200, 110)), logo.pixel(at)) << at.x() << "," << at.y();
  for (QPoint at : {QPoint(0, 0), QPoint(1, 1), QPoint(238, 90), QPoint(239, 179)})
    EXPECT_EQ(canvas.pixel(at + QPoint(200, 110)), bg) << at.x() << "," << at.y();
}

TEST(WorkspaceLogo, PainterOnANarrowClientStaysInside) {
  const QImage logo = workspaceLogoBitmap(kWorkspaceLogoResId);
  QImage canvas(250, 400, QImage::Format_RGB32);
  canvas.fill(QColor(1, 2, 3));
  {
    QPainter p(&canvas);
    // The client is the left 200 pixels: the logo's extra column must not
    // reach the rest.
    paintWorkspaceLogo(p, QSize(200, 400), logo, QBrush(QColor(10, 200, 30)));
  }
  EXPECT_EQ(canvas.pixel(40, 185), logo.pixel(40, 75));
  EXPECT_EQ(canvas.pixel(199, 200), qRgb(10, 200, 30));
  EXPECT_EQ(canvas.pixel(200, 200), qRgb(1, 2, 3));
  EXPECT_EQ(canvas.pixel(100, 50), qRgb(10, 200, 30));
}

TEST(WorkspaceArea, ShowsTheLogoCentredOnItsBackground) {
  WorkspaceArea area;
  area.setBackground(QBrush(QColor(10, 200, 30)));
  area.resize(640, 400);
  area.setClientLogoResID(kWorkspaceLogoResId);
  area.show();
  EXPECT_EQ(area.clientLogoResID(), kWorkspaceLogoResId);
  const QSize client = area.viewport()->size();
  ASSERT_EQ(client, QSize(640, 400));
  QImage shot = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage logo = workspaceLogoBitmap(kWorkspaceLogoResId);
  EXPECT_EQ(shot.pixel(5, 5), qRgb(10, 200, 30));
  EXPECT_EQ(shot.pixel(200 + 100, 110 + 60), logo.pixel(100, 60));
  // No frame at the picture's edge: a strip of it beside a window looks
  // like the empty workspace.
  for (QPoint at : {QPoint(1, 1), QPoint(238, 90), QPoint(120, 178)})
    EXPECT_EQ(shot.pixel(at + QPoint(200, 110)), qRgb(10, 200, 30)) << at.x() << "," << at.y();

  // A window over part of the logo hides all of it; dragged away by its
  // title bar, it gives the whole logo back.
  QMdiSubWindow* sub = area.addSubWindow(new QWidget);
  sub->setGeometry(150, 60, 300, 200);
  sub->show();
  test::ShowActive(area);
  shot = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(200 + 100, 110 + 152), qRgb(10, 200, 30));  // the logo's last line, below the window
  const QPoint title(150, 8);
  QTest::mouseMove(sub, title);  // the pointer over the title first, as a hand brings it
  QTest::mousePress(sub, Qt::LeftButton, {}, title);
  for (int i = 1; i <= 4; ++i) QTest::mouseMove(sub, title + QPoint(-35, -15) * i);
  QTest::mouseRelease(sub, Qt::LeftButton, {}, title + QPoint(-140, -60));
  QCoreApplication::processEvents();
  ASSERT_FALSE(sub->geometry().intersects(QRect(200, 110, 240, 180))) << sub->x() << "," << sub->y();
  shot = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(200 + 100, 110 + 152), logo.pixel(100, 152));

  area.setClientLogoResID(0);
  shot = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shot.pixel(320, 200), qRgb(10, 200, 30));
}

TEST(WorkspaceArea, ClientEdgeStyleGivesASunkenFrame) {
  WorkspaceArea area;
  EXPECT_EQ(area.clientExtStyle(), 0u);
  EXPECT_EQ(area.frameShape(), QFrame::NoFrame);
  area.setClientExtStyle(kClientEdgeStyle);
  EXPECT_EQ(area.clientExtStyle(), kClientEdgeStyle);
  EXPECT_NE(area.frameShape(), QFrame::NoFrame);
  EXPECT_EQ(area.frameShadow(), QFrame::Sunken);
  area.setClientExtStyle(0);
  EXPECT_EQ(area.frameShape(), QFrame::NoFrame);
}

}  // namespace
}  // namespace korvant
