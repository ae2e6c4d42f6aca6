#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "controls/weeking.h"
#include "grid_test_util.h"

namespace korvant {
namespace {

struct WeekFixture {
  TWeeking w;
  std::map<std::pair<int, int>, TMouseState> states;
  std::vector<std::tuple<int, int, int>> sets;
  WeekFixture() {
    w.setFont(test::PinnedFont());
    w.OnGetDateElement = [this](TWeeking&, int c, int r, TMouseState& v) {
      auto it = states.find({c, r});
      v = it == states.end() ? FreeState : it->second;
    };
    w.OnSetDateElement = [this](TWeeking&, int c, int r, TMouseState& v) {
      sets.emplace_back(c, r, v);
      states[{c, r}] = v;
    };
    test::ShowActive(w);
    Settle();
  }
  void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
};

TEST(Weeking, SevenColumnsAndFittedCells) {
  WeekFixture f;
  EXPECT_EQ(f.w.ColCount(), 7);
  EXPECT_EQ(f.w.RowCount(), 9);
  EXPECT_EQ(f.w.FixedCols(), 1);
  EXPECT_EQ(f.w.FixedRows(), 1);
  const int cw = f.w.ColWidths(3);
  const int rh = f.w.RowHeights(3);
  EXPECT_TRUE(cw == 40 || cw == 41) << cw;
  EXPECT_TRUE(rh == 11 || rh == 12) << rh;
  EXPECT_EQ(f.w.viewport()->width(), 7 * (cw + 1));
  EXPECT_EQ(f.w.viewport()->height(), 9 * (rh + 1));
  f.w.resize(700, 400);  // any size comes back to the fitted one
  f.Settle();
  EXPECT_TRUE(f.w.ColWidths(1) == 40 || f.w.ColWidths(1) == 41);
  EXPECT_EQ(f.w.viewport()->width(), 7 * (f.w.ColWidths(1) + 1));
  EXPECT_EQ(f.w.viewport()->height(), 9 * (f.w.RowHeights(1) + 1));
}

TEST(Weeking, ScrollBarFromTenRows) {
  WeekFixture f;
  f.w.SetLessonCount(9);
  f.Settle();
  EXPECT_FALSE(f.w.verticalScrollBar()->isVisible());
  EXPECT_EQ(f.w.VisibleRowCount(), 8);
  f.w.SetLessonCount(10);
  f.Settle();
  EXPECT_TRUE(f.w.verticalScrollBar()->isVisible());
  EXPECT_EQ(f.w.viewport()->height(), 9 * (f.w.RowHeights(1) + 1));
  EXPECT_EQ(f.w.VisibleRowCount(), 8);  // 9 rows on screen: the heading and 8 lessons
  EXPECT_EQ(f.w.viewport()->width(), 7 * (f.w.ColWidths(1) + 1));
  f.w.SetTopRow(2);
  EXPECT_EQ(f.w.TopRow(), 2);
  EXPECT_FALSE(f.w.CellRect(3, 9).isEmpty());
}

TEST(Weeking, StateColoursAndTexts) {
  WeekFixture f;
  f.states[{2, 3}] = BusyState;
  f.states[{4, 5}] = N2State;
  f.w.Redraw();
  const QImage img = test::Shot(f.w);
  EXPECT_EQ(test::PixelAt(img, test::Centre(f.w, 1, 1)), QColor(0, 128, 0));
  EXPECT_EQ(test::PixelAt(img, test::Centre(f.w, 2, 3)), QColor(255, 0, 0));
  const QRect y = f.w.CellRect(4, 5);
  EXPECT_EQ(test::PixelAt(img, QPoint(y.left() + 1, y.top() + 1)), QColor(255, 255, 0));
  EXPECT_EQ(test::PixelAt(img, QPoint(2, 2)), BtnFaceColor());
  EXPECT_EQ(f.w.CellText(4, 5), "2");
  EXPECT_EQ(f.w.CellText(2, 3), "");
  EXPECT_EQ(f.w.CellText(0, 7), "7");
  EXPECT_EQ(f.w.CellText(1, 0), QLocale().dayName(1, QLocale::ShortFormat));
  EXPECT_EQ(f.w.CellText(0, 0), "");
}

TEST(Weeking, ClickReportsDayLessonAndStateOnce) {
  WeekFixture f;
  f.w.SetStateOfMouse(BusyState);
  const QPoint p = test::Centre(f.w, 3, 4);
  test::Press(f.w, p);
  test::Release(f.w, p);
  ASSERT_EQ(f.sets.size(), 1u);
  EXPECT_EQ(f.sets[0], std::make_tuple(3, 4, static_cast<int>(BusyState)));
  const QImage img = test::Shot(f.w);
  EXPECT_EQ(test::PixelAt(img, p), QColor(255, 0, 0));
  // A press on a heading selects nothing and reports nothing.
  test::Press(f.w, test::Centre(f.w, 0, 2));
  test::Release(f.w, test::Centre(f.w, 0, 2));
  EXPECT_EQ(f.sets.size(), 1u);
}

}  // namespace
}  // namespace korvant
