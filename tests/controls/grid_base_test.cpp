#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTest>

#include "controls/prg_string_grid.h"
#include "controls/school_table.h"
#include "controls/string_grid.h"
#include "grid_test_util.h"

namespace korvant {
namespace {

using test::Centre;

TEST(GridCounts, CountAndFixedInvariants) {
  TPrgStringGrid g;
  EXPECT_EQ(g.ColCount(), 5);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.FixedCols(), 1);
  EXPECT_EQ(g.DefaultColWidth(), 64);
  EXPECT_EQ(g.DefaultRowHeight(), 24);
  g.SetColCount(0);
  EXPECT_EQ(g.ColCount(), 1);
  EXPECT_EQ(g.FixedCols(), 0);
  g.SetColCount(4);
  EXPECT_EQ(g.ColWidths(3), 64);
  try {
    g.SetFixedCols(4);
    FAIL();
  } catch (const EInvalidPrgGridOperation& e) {
    EXPECT_EQ(e.id(), kFixedColTooBig);
    EXPECT_STREQ(e.what(), "Fixed column count must be less than column count");
  }
  EXPECT_EQ(g.FixedCols(), 0);
  try {
    g.SetFixedRows(-1);
    FAIL();
  } catch (const EInvalidPrgGridOperation& e) {
    EXPECT_EQ(e.id(), kIndexOutOfRange);
  }
  EXPECT_THROW(g.SetFixedRows(5), EInvalidPrgGridOperation);
  EXPECT_THROW(g.ColWidths(4), EInvalidPrgGridOperation);
  EXPECT_THROW(g.SetRowHeights(-1, 3), EInvalidPrgGridOperation);
  EXPECT_THROW(g.FocusCell(4, 1, true), EInvalidPrgGridOperation);
  EXPECT_THROW(g.SetRowCount(134217726), EInvalidPrgGridOperation);
  g.SetFixedCols(3);
  g.SetColCount(2);  // the fixed count gives way
  EXPECT_EQ(g.FixedCols(), 1);
}

TEST(GridCurrentCell, NoneAfterCreationAndAcrossCountChanges) {
  TPrgStringGrid g;
  EXPECT_FALSE(g.HasCurrentCell());
  EXPECT_EQ(g.Col(), 5);
  EXPECT_EQ(g.Row(), 5);
  g.SetColCount(8);
  g.SetRowCount(3);
  EXPECT_FALSE(g.HasCurrentCell());
  EXPECT_EQ(g.Col(), 8);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.Selection(), (TGridRect{8, 3, 8, 3}));
  g.FocusCell(2, 2, true, false);
  EXPECT_TRUE(g.HasCurrentCell());
  g.SetRowCount(2);  // the current cell moves into the grid
  EXPECT_EQ(g.Row(), 1);
  // The platform grid starts at the first scrolling cell.
  TStringGrid s;
  EXPECT_TRUE(s.HasCurrentCell());
  EXPECT_EQ(s.Col(), 1);
  EXPECT_EQ(s.Row(), 1);
}

TEST(GridCurrentCell, RefusingSelectHandlerLeavesNoCell) {
  TPrgStringGrid g;
  g.FocusCell(1, 1, true, false);
  int asked = 0;
  g.SetOnSelectCell([&](TGridBase&, int, int, bool& can) {
    ++asked;
    can = false;
  });
  EXPECT_GT(asked, 0);
  EXPECT_FALSE(g.HasCurrentCell());
  EXPECT_EQ(g.Col(), g.ColCount());
  // A refused cell change by the user leaves things as they are.
  QTest::keyClick(&g, Qt::Key_Down);
  EXPECT_FALSE(g.HasCurrentCell());
  // A handler accepting only (3, 2): that cell is found and focused.
  g.SetOnSelectCell([](TGridBase&, int c, int r, bool& can) { can = c == 3 && r == 2; });
  EXPECT_EQ(g.Col(), 3);
  EXPECT_EQ(g.Row(), 2);
  // Shrinking the grid under a refusing handler keeps "no current cell".
  g.SetOnSelectCell([](TGridBase&, int c, int, bool& can) { can = c == 3; });
  g.SetColCount(3);
  EXPECT_FALSE(g.HasCurrentCell());
}

TEST(GridKeyboard, PagesEndsAndTabWrapping) {
  TStringGrid g;
  g.setFont(test::PinnedFont());
  g.SetColCount(6);
  g.SetRowCount(20);
  g.resize(300, 24 * 5 + 10);
  test::ShowActive(g);
  const int page = g.VisibleRowCount();
  ASSERT_GE(page, 2);
  g.FocusCell(1, 1, true);
  QTest::keyClick(&g, Qt::Key_PageDown);
  EXPECT_EQ(g.Row(), 1 + page - 1);
  EXPECT_EQ(g.TopRow(), 1 + page - 1);
  QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(g.Col(), 5);
  EXPECT_EQ(g.Row(), 19);
  EXPECT_GT(g.TopRow(), 1);
  EXPECT_FALSE(g.CellRect(5, 19).isEmpty());
  QTest::keyClick(&g, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.TopRow(), 1);

  g.SetOptions(g.Options() | goTabs);
  g.SetTabStops(3, false);
  g.FocusCell(4, 19, true);
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.Col(), 5);
  QTest::keyClick(&g, Qt::Key_Tab);  // past the last cell: back to the first
  EXPECT_EQ(g.Col(), 1);
  EXPECT_EQ(g.Row(), 1);
  g.FocusCell(2, 1, true);
  QTest::keyClick(&g, Qt::Key_Tab);  // column 3 is no tab stop
  EXPECT_EQ(g.Col(), 4);
  QTest::keyClick(&g, Qt::Key_Backtab);
  EXPECT_EQ(g.Col(), 2);
  g.FocusCell(1, 1, true);
  QTest::keyClick(&g, Qt::Key_Backtab);  // before the first cell: the last one
  EXPECT_EQ(g.Col(), 5);
  EXPECT_EQ(g.Row(), 19);
}

// Drags the right border of column `col` in the heading row by dx pixels.
void DragColumnBorder(TGridBase& g, int col, int dx) {
  const QRect r = g.CellRect(col, 0);
  const QPoint start(r.right() + 1, r.center().y());
  test::Press(g, start);
  test::Move(g, start + QPoint(dx, 0));
  test::Release(g, start + QPoint(dx, 0));
}

TEST(GridMouseSizing, ProgramGridOptionDecidesTheSpread) {
  TPrgStringGrid g;
  g.SetColCount(6);
  g.resize(500, 200);
  test::ShowActive(g);
  DragColumnBorder(g, 3, -20);  // no sizing option: nothing changes
  EXPECT_EQ(g.ColWidths(3), 64);
  g.SetOptions(g.Options() | goColSizing);
  DragColumnBorder(g, 3, -14);
  EXPECT_EQ(g.ColWidths(3), 50);
  EXPECT_EQ(g.ColWidths(2), 64);
  g.SetOptions(g.Options() | goColMouseSizing);
  DragColumnBorder(g, 2, -24);
  for (int c = 1; c < 6; ++c) EXPECT_EQ(g.ColWidths(c), 40) << c;
  EXPECT_EQ(g.ColWidths(0), 64);
  DragColumnBorder(g, 2, -39);  // to 1 pixel: ignored
  EXPECT_EQ(g.ColWidths(2), 40);
}

class HookGrid : public TStringGrid {
 public:
  std::vector<std::pair<int, int>> sized;

 protected:
  void ColSized(int index, int width) override { sized.emplace_back(index, width); }
};

TEST(GridMouseSizing, PlatformGridCallsTheHookAlways) {
  HookGrid g;
  g.SetOptions(g.Options() | goColSizing);
  g.resize(500, 200);
  test::ShowActive(g);
  DragColumnBorder(g, 2, 10);
  ASSERT_EQ(g.sized.size(), 1u);
  EXPECT_EQ(g.sized[0], std::make_pair(2, 74));
  EXPECT_EQ(g.ColWidths(3), 64);  // the base hook spreads nothing
  DragColumnBorder(g, 0, 6);      // the heading column can be sized too
  EXPECT_EQ(g.ColWidths(0), 70);
  ASSERT_EQ(g.sized.size(), 2u);
  g.SetColWidths(1, 30);  // sizing by code calls no hook
  EXPECT_EQ(g.sized.size(), 2u);
}

TEST(GridMoving, ColumnCarriesTextsWidthsAndCurrentCell) {
  TPrgStringGrid g;
  g.SetOptions(g.Options() | goColMoving);
  g.SetColCount(5);
  g.resize(600, 200);
  test::ShowActive(g);
  for (int c = 1; c < 5; ++c) g.SetCells(c, 1, std::string(1, static_cast<char>('A' + c - 1)));
  g.SetObjects(2, 3, &g);  // an object on a cell without text
  g.SetColWidths(2, 80);
  g.FocusCell(2, 3, true, false);
  std::pair<int, int> moved{-1, -1};
  g.OnColumnMoved = [&](TGridBase&, int f, int t) { moved = {f, t}; };
  test::Press(g, Centre(g, 2, 0));
  test::Move(g, Centre(g, 4, 0));
  test::Release(g, Centre(g, 4, 0));
  EXPECT_EQ(moved, std::make_pair(2, 4));
  EXPECT_EQ(g.Cells(1, 1), "A");
  EXPECT_EQ(g.Cells(2, 1), "C");
  EXPECT_EQ(g.Cells(3, 1), "D");
  EXPECT_EQ(g.Cells(4, 1), "B");
  EXPECT_EQ(g.ColWidths(4), 80);
  EXPECT_EQ(g.ColWidths(2), 64);
  EXPECT_EQ(g.Col(), 4);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.Objects(4, 3), &g);
  EXPECT_EQ(g.Objects(2, 3), nullptr);
}

TEST(GridGeometry, CellRectAndMouseToCellRoundTripWhileScrolled) {
  TStringGrid g;
  g.SetColCount(30);
  g.SetRowCount(40);
  g.SetColWidths(3, 90);
  g.SetRowHeights(5, 7);
  g.resize(400, 300);
  test::ShowActive(g);
  g.SetLeftCol(4);
  g.SetTopRow(6);
  EXPECT_EQ(g.LeftCol(), 4);
  EXPECT_EQ(g.TopRow(), 6);
  EXPECT_TRUE(g.CellRect(3, 6).isEmpty());  // scrolled away
  EXPECT_TRUE(g.CellRect(5, 2).isEmpty());
  for (int c : {0, 4, 5, 6}) {
    for (int r : {0, 6, 7, 9}) {
      const QRect rect = g.CellRect(c, r);
      ASSERT_FALSE(rect.isEmpty()) << c << "," << r;
      for (QPoint p : {rect.topLeft(), rect.center(), rect.bottomRight()})
        EXPECT_EQ(g.MouseToCell(p.x(), p.y()), (TGridCoord{c, r})) << c << "," << r;
    }
  }
  EXPECT_EQ(g.MouseToCell(-1, 5), (TGridCoord{-1, -1}));
  // Scrolling is clamped to the largest top-left.
  g.SetLeftCol(1000);
  EXPECT_LE(g.LeftCol(), 29);
  EXPECT_FALSE(g.CellRect(29, 6).isEmpty());
  const QRect last = g.CellRect(29, 6);
  EXPECT_LE(last.right(), g.viewport()->width() - 1);
}

void Wheel(QWidget* target, int dy, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  const QPointF local(target->width() / 2.0, target->height() / 2.0);
  QWheelEvent e(local, target->mapToGlobal(local), QPoint(), QPoint(0, dy), Qt::NoButton, mods,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &e);
}

// The wheel over the cells scrolls them by rows (columns with Shift), the
// wheel over the bar scrolls them too, and the bar always shows where the
// view is: a later drag starts from the right place.
TEST(GridWheel, TheWheelMovesTheCellsAndTheBarStaysInStep) {
  TStringGrid g;
  g.SetColCount(30);
  g.SetRowCount(100);
  g.resize(300, 200);
  test::ShowActive(g);
  QScrollBar* bar = g.verticalScrollBar();
  const int lines = std::max(1, QApplication::wheelScrollLines());
  ASSERT_EQ(g.TopRow(), 1);
  Wheel(g.viewport(), -120);
  EXPECT_EQ(g.TopRow(), 1 + lines);
  EXPECT_GT(bar->value(), 0);
  Wheel(g.viewport(), -60);  // half a notch waits for the other half
  EXPECT_EQ(g.TopRow(), 1 + lines);
  Wheel(g.viewport(), -60);
  EXPECT_EQ(g.TopRow(), 1 + 2 * lines);
  Wheel(g.viewport(), 240);
  EXPECT_EQ(g.TopRow(), 1);
  EXPECT_EQ(bar->value(), 0);

  for (int i = 0; i < 5; ++i) Wheel(bar, -120);
  EXPECT_EQ(g.TopRow(), 1 + 5 * lines);
  const int before = g.TopRow();
  const int shown = bar->value();
  g.SetTopRow(1);
  g.SetTopRow(before);  // the bar shows the place of the rows in view
  EXPECT_EQ(bar->value(), shown);

  Wheel(g.viewport(), -120, Qt::ShiftModifier);
  EXPECT_EQ(g.LeftCol(), 1 + lines);
  EXPECT_EQ(g.TopRow(), before);
  // The wheel over the horizontal bar moves the columns.
  Wheel(g.horizontalScrollBar(), -120);
  EXPECT_EQ(g.LeftCol(), 1 + 2 * lines);
  EXPECT_EQ(g.TopRow(), before);
}

// A short grid too: its few rows share the bar's 128 positions, and a
// notch over the bar still moves the rows as a notch over the cells does.
TEST(GridWheel, OverTheBarOfAShortGridTheWheelMovesTheRows) {
  for (int rows : {12, 20, 39}) {
    TStringGrid g;
    g.SetRowCount(rows);
    g.resize(300, 120);
    test::ShowActive(g);
    const int lines = std::max(1, QApplication::wheelScrollLines());
    ASSERT_GT(g.verticalScrollBar()->maximum(), 0) << rows;
    Wheel(g.verticalScrollBar(), -120);
    EXPECT_EQ(g.TopRow(), 1 + lines) << rows;
    Wheel(g.verticalScrollBar(), 120);
    EXPECT_EQ(g.TopRow(), 1) << rows;
  }
}

TEST(GridEvents, ErrorsInHandlersStayInsideTheGrid) {
  TStringGrid g;
  g.resize(300, 200);
  test::ShowActive(g);
  g.OnMouseDown = [](TGridBase&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    ThrowGridError(kIndexOutOfRange);
  };
  g.OnClick = [](TGridBase& s) { s.FocusCell(99, 99, true); };
  test::Press(g, Centre(g, 2, 2));
  test::Release(g, Centre(g, 2, 2));
  QTest::keyClick(&g, Qt::Key_Down);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.Row(), 3);
}

TEST(GridSelection, ShiftClickAndArrowsGrowTheRange) {
  TStringGrid g;
  g.resize(400, 200);
  test::ShowActive(g);
  test::Press(g, Centre(g, 1, 1));
  test::Release(g, Centre(g, 1, 1));
  test::Press(g, Centre(g, 3, 2), Qt::ShiftModifier);
  test::Release(g, Centre(g, 3, 2));
  EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 3, 2}));
  QTest::keyClick(&g, Qt::Key_Right);  // no Shift: the anchor follows
  EXPECT_EQ(g.Selection().Left, g.Selection().Right);
}

}  // namespace
}  // namespace korvant
