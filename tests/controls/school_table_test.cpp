#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>

#include "controls/grid_geometry.h"
#include "controls/school_table.h"
#include "grid_test_util.h"

namespace korvant {
namespace {

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGray(128, 128, 128);

struct TableFixture {
  TSchoolTable t;
  std::map<std::pair<int, int>, THourElementRecord> cells;
  TableFixture() {
    t.setFont(test::PinnedFont());
    t.resize(700, 300);
    t.OnGetDateElement = [this](TSchoolTable&, int c, int r, THourElementRecord& v) {
      auto it = cells.find({c, r});
      if (it != cells.end()) v = it->second;
    };
    test::ShowActive(t);
  }
};

TEST(SchoolTable, CreationDefaultsAndOrientation) {
  TSchoolTable t;
  EXPECT_EQ(t.ColCount(), 15);
  EXPECT_EQ(t.RowCount(), 9);
  EXPECT_EQ(t.ColWidths(0), 25);
  EXPECT_EQ(t.ColWidths(14), 133);
  EXPECT_EQ(t.RowHeights(0), 18);
  EXPECT_EQ(t.RowHeights(8), 29);
  EXPECT_EQ(t.SubRowsCnt(), 2);
  EXPECT_FALSE(t.HasOption(goRangeSelect));
  EXPECT_TRUE(t.HasOption(goColSizing));
  t.SetOrientation(true);
  EXPECT_EQ(t.ColWidths(0), 101);
  EXPECT_EQ(t.RowHeights(0), 14);
  EXPECT_EQ(t.RowHeights(3), 27);
  EXPECT_EQ(t.ColWidths(3), 77);
  t.SetOrientation(false);
  EXPECT_EQ(t.ColWidths(0), 25);
  EXPECT_EQ(t.RowHeights(0), 33);
}

TEST(SchoolTable, RowHeightFollowsTheFont) {
  TableFixture f;
  TSchoolTable& t = f.t;
  const int h = QFontMetrics(test::PinnedFont())
                    .boundingRect(QRect(0, 0, 100, 100), Qt::AlignCenter, QStringLiteral("ЁуIg"))
                    .height();
  ASSERT_GT(h, 10);
  t.SetSubRowsCnt(0);
  EXPECT_EQ(t.SubRowsCnt(), 2);
  EXPECT_EQ(t.RowHeights(1), 2 * h + 1);
  EXPECT_EQ(t.RowHeights(8), 2 * h + 1);
  t.SetSubRowsCnt(3);
  EXPECT_EQ(t.RowHeights(4), 3 * h + 2);
  EXPECT_EQ(t.RowHeights(0), 18);
  // Fitted rows: each as high as the most lines one of its cells shows,
  // never below the count set; a border dragged by the user wins.
  THourElementRecord four;
  four.SubRowHeights = {25, 25, 25, 25, 0};
  f.cells[{3, 2}] = four;
  t.SetFitRows(true);
  t.Redraw();
  EXPECT_EQ(t.RowHeights(2), 4 * h + 3);
  EXPECT_EQ(t.RowHeights(4), 3 * h + 2);
  f.cells.erase({3, 2});
  t.Redraw();
  EXPECT_EQ(t.RowHeights(2), 3 * h + 2);
  f.cells[{3, 2}] = four;
  const QRect r = t.CellRect(0, 1);
  const QPoint p(r.center().x(), r.bottom() + 1);
  test::Press(t, p);
  test::Move(t, p + QPoint(0, 5));
  test::Release(t, p + QPoint(0, 5));
  t.Redraw();
  EXPECT_EQ(t.RowHeights(2), 3 * h + 7);
}

TEST(SchoolTable, SixtyFortyBlocks) {
  TableFixture f;
  THourElementRecord rec;
  rec.SubColWidths = {60, 40, 0, 0, 0};
  rec.Texts[0][0] = "HCS";
  rec.Texts[1][0] = "SCS";
  f.cells[{1, 1}] = rec;
  const QImage img = test::Shot(f.t);
  const QRect r = f.t.CellRect(1, 1);
  const auto s = SubCellSpans(r.left(), r.left() + r.width(), rec.SubColWidths);
  const int y = r.center().y();
  EXPECT_EQ(test::PixelAt(img, {s[0].lo + 3, y}), kRed);
  EXPECT_EQ(test::PixelAt(img, {s[0].hi, y}), kRed);  // the block reaches the separator
  EXPECT_EQ(test::PixelAt(img, {s[0].hi + 1, y}), BtnFaceColor());
  EXPECT_EQ(test::PixelAt(img, {s[1].lo, y}), kYellow);
  EXPECT_EQ(test::PixelAt(img, {r.right(), y}), kYellow);
  EXPECT_EQ(s[0].hi - r.left(), 78);
}

// The user sees which cell the keyboard is on: a click makes it current and
// a frame shows it; the frame moves with the next click.
TEST(SchoolTable, TheCurrentCellIsFramed) {
  TableFixture f;
  auto click = [&](int c, int r) {
    test::Press(f.t, test::Centre(f.t, c, r));
    test::Release(f.t, test::Centre(f.t, c, r));
  };
  auto frameDots = [&](const QImage& img, int c, int r) {
    const QRect rect = f.t.CellRect(c, r);
    int dark = 0;
    for (int x = rect.left(); x <= rect.right(); ++x)
      for (int y : {rect.top(), rect.bottom()}) dark += QColor(img.pixel(x, y)).lightness() < 100;
    return dark;
  };
  click(2, 3);
  ASSERT_EQ(f.t.Col(), 2);
  ASSERT_TRUE(f.t.hasFocus());
  const QImage first = test::Shot(f.t);
  click(3, 4);
  const QImage second = test::Shot(f.t);
  EXPECT_GT(frameDots(first, 2, 3), f.t.CellRect(2, 3).width() / 2);
  EXPECT_EQ(frameDots(second, 2, 3), 0);
  EXPECT_GT(frameDots(second, 3, 4), f.t.CellRect(3, 4).width() / 2);
}

TEST(SchoolTable, ThreeColumnsTwoRowsAndTexts) {
  TableFixture f;
  THourElementRecord rec;
  rec.SubColWidths = {33, 40, 27, 0, 0};
  rec.SubRowHeights = {50, 50, 0, 0, 0};
  rec.Texts[1][0] = "GCS";
  rec.Texts[2][1] = "HCS";
  rec.Texts[0][1] = "WWWWWWWWWWWWWWWWWWWW";  // far too long: shortened with "…"
  f.cells[{2, 3}] = rec;
  const QImage img = test::Shot(f.t);
  const QRect r = f.t.CellRect(2, 3);
  const auto cs = SubCellSpans(r.left(), r.left() + r.width(), rec.SubColWidths);
  const auto rs = SubCellSpans(r.top(), r.top() + r.height(), rec.SubRowHeights);
  ASSERT_EQ(cs.size(), 3u);
  ASSERT_EQ(rs.size(), 2u);
  auto mid = [](const SubSpan& s) { return (s.lo + s.hi) / 2; };
  EXPECT_EQ(test::PixelAt(img, {mid(cs[1]), mid(rs[0])}), kGray);
  EXPECT_EQ(test::PixelAt(img, {mid(cs[1]), mid(rs[1])}), QColor(255, 255, 255));
  EXPECT_EQ(test::PixelAt(img, {mid(cs[2]), mid(rs[1])}), kRed);
  EXPECT_EQ(test::PixelAt(img, {mid(cs[2]), rs[0].hi + 1}), BtnFaceColor());  // row separator
  EXPECT_EQ(test::PixelAt(img, {cs[1].hi + 1, mid(rs[0])}), BtnFaceColor());  // column separator
  // The shortened text stays inside its own sub-cell.
  int dark = 0;
  for (int x = cs[0].lo; x < cs[0].hi; ++x)
    for (int y = rs[1].lo; y < rs[1].hi; ++y)
      if (QColor(img.pixel(x, y)).lightness() < 100) ++dark;
  EXPECT_GT(dark, 0);
  for (int y = rs[1].lo; y < rs[1].hi; ++y)
    EXPECT_EQ(QColor(img.pixel(cs[1].lo + 1, y)), QColor(255, 255, 255)) << y;
}

TEST(SchoolTable, MarksColourCellsAndTexts) {
  TableFixture f;
  THourElementRecord yellow;
  yellow.Mark = 1;
  THourElementRecord red;
  red.Mark = 2;
  THourElementRecord green;
  green.Mark = 3;
  green.Texts[0][0] = "MMMM";
  f.cells[{1, 1}] = yellow;
  f.cells[{2, 1}] = red;
  f.cells[{0, 1}] = yellow;  // a heading keeps its face colour
  f.cells[{3, 1}] = green;
  const QImage img = test::Shot(f.t);
  EXPECT_EQ(test::PixelAt(img, test::Centre(f.t, 1, 1)), kYellow);
  EXPECT_EQ(test::PixelAt(img, test::Centre(f.t, 2, 1)), kRed);
  EXPECT_EQ(test::PixelAt(img, test::Centre(f.t, 0, 1)), BtnFaceColor());
  EXPECT_EQ(test::PixelAt(img, test::Centre(f.t, 4, 1)), QColor(255, 255, 255));
  const QRect r = f.t.CellRect(3, 1);
  int greenish = 0;
  for (int x = r.left(); x <= r.right(); ++x)
    for (int y = r.top(); y <= r.bottom(); ++y) {
      const QColor c(img.pixel(x, y));
      if (c.green() > c.red() + 60 && c.green() > c.blue() + 60) ++greenish;
    }
  EXPECT_GT(greenish, 0);
}

TEST(SchoolTable, UniformSizingOfDataColumnsAndRows) {
  TableFixture f;
  const QRect r = f.t.CellRect(2, 0);
  QPoint p(r.right() + 1, r.center().y());
  test::Press(f.t, p);
  test::Move(f.t, p + QPoint(-33, 0));
  test::Release(f.t, p + QPoint(-33, 0));
  for (int c = 1; c < f.t.ColCount(); ++c) EXPECT_EQ(f.t.ColWidths(c), 100) << c;
  EXPECT_EQ(f.t.ColWidths(0), 25);
  // Sizing the heading column changes the heading only.
  const QRect h = f.t.CellRect(0, 0);
  p = QPoint(h.right() + 1, h.center().y());
  test::Press(f.t, p);
  test::Move(f.t, p + QPoint(20, 0));
  test::Release(f.t, p + QPoint(20, 0));
  EXPECT_EQ(f.t.ColWidths(0), 45);
  EXPECT_EQ(f.t.ColWidths(1), 100);
  // Rows by the heading column.
  const QRect rr = f.t.CellRect(0, 2);
  p = QPoint(rr.center().x(), rr.bottom() + 1);
  test::Press(f.t, p);
  test::Move(f.t, p + QPoint(0, 11));
  test::Release(f.t, p + QPoint(0, 11));
  for (int row = 1; row < f.t.RowCount(); ++row) EXPECT_EQ(f.t.RowHeights(row), 40) << row;
  EXPECT_EQ(f.t.RowHeights(0), 18);
  // Equalizing after a count change.
  f.t.SetColCount(17);
  EXPECT_EQ(f.t.ColWidths(16), 25);
  f.t.EqualizeCells();
  EXPECT_EQ(f.t.ColWidths(16), 100);
}

// A timetable that fills its page: the data columns share the width the
// heading leaves, never below the layout's width; a border dragged with the
// mouse sizes every data column, and that width stays until a new layout.
TEST(SchoolTable, FilledColumnsShareThePageAndADragSizesThemAll) {
  TableFixture f;
  f.t.SetOrientation(true);
  f.t.SetColCount(9);
  f.t.SetRowCount(4);
  f.t.EqualizeCells();
  f.t.resize(1000, 300);
  QCoreApplication::processEvents();
  f.t.SetFillWidth(true);
  auto lastEdge = [&] { return f.t.CellRect(8, 0).right(); };
  auto uniform = [&](int w) {
    for (int c = 1; c < f.t.ColCount(); ++c) EXPECT_EQ(f.t.ColWidths(c), w) << c;
  };
  const int spare = f.t.viewport()->width() - 1 - lastEdge();
  EXPECT_GT(f.t.ColWidths(1), 77);
  uniform(f.t.ColWidths(1));
  EXPECT_GE(spare, 0);
  EXPECT_LT(spare, 8 * 2);  // what the even share leaves over, lines included
  EXPECT_EQ(f.t.horizontalScrollBar()->maximum(), 0);
  // Too narrow a page: the layout's width, and the bar scrolls the rest.
  f.t.resize(400, 300);
  QCoreApplication::processEvents();
  uniform(77);
  EXPECT_GT(f.t.horizontalScrollBar()->maximum(), 0);
  f.t.resize(1000, 300);
  QCoreApplication::processEvents();
  const int filled = f.t.ColWidths(1);
  EXPECT_GT(filled, 77);
  // The user's drag, narrower than the share: every column takes it.
  const QRect r = f.t.CellRect(2, 0);
  const QPoint p(r.right() + 1, r.center().y());
  test::Press(f.t, p);
  test::Move(f.t, p + QPoint(-20, 0));
  test::Release(f.t, p + QPoint(-20, 0));
  uniform(filled - 20);
  f.t.resize(1100, 300);
  f.t.Redraw();
  QCoreApplication::processEvents();
  uniform(filled - 20);
  // A new layout fills the page again.
  f.t.SetOrientation(true);
  EXPECT_GT(f.t.ColWidths(1), filled);
  uniform(f.t.ColWidths(1));
}

TEST(SchoolTable, DragBetweenTwoGrids) {
  QWidget host;
  host.resize(900, 300);
  auto* src = new TSchoolTable(&host);
  auto* dst = new TSchoolTable(&host);
  src->setGeometry(0, 0, 440, 300);
  dst->setGeometry(450, 0, 440, 300);
  test::ShowActive(host);
  src->OnMouseDown = [](TGridBase& g, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
    if (b == Qt::LeftButton) g.BeginDrag(false);
  };
  std::vector<TGridCoord> asked;
  dst->OnDragOver = [&](TGridBase& target, TGridBase& source, int x, int y, bool& accept) {
    const TGridCoord c = target.MouseToCell(x, y);
    asked.push_back(c);
    accept = &source != &target && c.X == 2;
  };
  std::vector<TGridCoord> dropped;
  dst->OnDragDrop = [&](TGridBase& target, TGridBase&, int x, int y) {
    dropped.push_back(target.MouseToCell(x, y));
  };
  std::vector<TGridBase*> ended;
  src->OnEndDrag = [&](TGridBase&, TGridBase* target, int, int) { ended.push_back(target); };

  auto dragTo = [&](int col, int row) {
    const QPoint start = test::Centre(*src, 1, 1);
    test::Press(*src, start);
    const QPoint global = dst->viewport()->mapToGlobal(test::Centre(*dst, col, row));
    const QPoint local = src->viewport()->mapFromGlobal(global);
    test::SendMouse(*src, QEvent::MouseMove, start + QPoint(2, 0));
    QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(global), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(src->viewport(), &move);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(local), QPointF(global), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(src->viewport(), &up);
  };
  dragTo(2, 3);
  ASSERT_EQ(dropped.size(), 1u);
  EXPECT_EQ(dropped[0], (TGridCoord{2, 3}));
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(ended[0], dst);
  EXPECT_FALSE(src->Dragging());

  dragTo(3, 3);  // refused: no drop, the drag ends without a target
  EXPECT_EQ(dropped.size(), 1u);
  ASSERT_EQ(ended.size(), 2u);
  EXPECT_EQ(ended[1], nullptr);
  EXPECT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), (TGridCoord{3, 3}));
}

}  // namespace
}  // namespace korvant
