#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest/QTest>

#include <memory>
#include <vector>

#include "controls/bit_btn.h"
#include "controls/form_util.h"
#include "controls/prg_string_grid.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/var_file.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/planning/group_man.h"
#include "windows/planning/prepare_dlgs.h"
#include "windows/planning/teacher_groups.h"

namespace korvant {
namespace {

using test::W;
using test::WhenModal;

// The demonstration project with a fresh variant; day 1 holds one block of
// the first lesson of every klass.
struct Demo {
  TProjectData project;
  std::unique_ptr<TVarDocument> doc;
  Demo() {
    EXPECT_TRUE(ReadProjectImage(DemoProjectImage(), project));
    doc = TVarDocument::CreateNew(project, "demo.rsp");
    TRunModel& m = doc->Model();
    for (int k = 0; k < m.Klasses.Count(); ++k)
      if (m.Klasses[k]->Lessons.Count() > 0)
        doc->Var().PlaceLinkedLesson(k, 0, false, 1, 1, m.Klasses[k]->Lessons[0]->QuantAt(1));
    doc->PrepareDay();
    doc->Var().CountTeachersFreeDays(false, 1);
    PrepareDayNorms(m, doc->Var(), 1);
  }
  TRunModel& M() { return doc->Model(); }
  // Three groups of the teachers in index order.
  void ThreeGroups() {
    const int n = M().Teachers.Count();
    std::vector<std::vector<int32_t>> rows(3);
    for (int t = 0; t < n; ++t) rows[static_cast<std::size_t>(t * 3 / n)].push_back(t);
    M().Teachers.SetGroups(rows);
  }
  TTableVarItem& V() { return doc->Var(); }
};

// A figure typed into a cell of a preparation dialog as the user types
// it: the grid's page opened, a double click opens the cell's one-digit editor, the digit is typed
// over the figure (an empty text deletes it) and Return takes it. A cell
// that takes no edit opens no editor: nothing is typed.
void TypeFigure(TPrepareDlgBase& p, bool teachers, int col, int row, const char* text) {
  TPrgStringGrid* g = teachers ? p.TeachersDataGrid() : p.KlassesDataGrid();
  test::OpenPageOf(g);
  const QRect cell = g->CellRect(col + 1, row);
  ASSERT_FALSE(cell.isEmpty()) << "cell " << col + 1 << "," << row << " is not in sight";
  test::DoubleClick(g->viewport(), cell.center());
  if (!g->EditorMode() || !g->InplaceEdit() || !g->InplaceEdit()->Editor()) return;
  QWidget* editor = g->InplaceEdit()->Editor()->Widget();
  if (*text)
    QTest::keyClicks(editor, QString::fromLatin1(text));
  else
    QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClick(editor, Qt::Key_Return);
}

// The variant window's side of "В черновик" / "Снять    ".
class FakeVarsWindow : public MessageTarget {
 public:
  struct Got {
    uint32_t msg;
    MsgParam w, l;
    uint8_t replan, curDay;
  };
  explicit FakeVarsWindow(TRunModel& m) : m_(m) { setMessageTag(kTagVariantWindow); }
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    got.push_back({msg, w, l, m_.ReplanGroupLessons, Shared().CurDay});
    return 1;
  }
  std::vector<Got> got;

 private:
  TRunModel& m_;
};

TEST(GroupTable, AppendInsertAttach) {
  Demo d;
  TRunModel& m = d.M();
  m.Teachers.SetGroups({{0, 1, 2}, {3}, {4, 5}});
  TGroupTable t = TGroupTable::FromCollection(m.Teachers);
  EXPECT_EQ(t.ShownGroups(), 3);
  EXPECT_EQ(t.ShownMembers(3), 10);
  EXPECT_EQ(t.TeacherCount(), m.Teachers.Count());
  int pos = -1;
  EXPECT_FALSE(t.AppendMove(0, 1, 0));
  ASSERT_TRUE(t.AppendMove(0, 1, 1, &pos));
  EXPECT_EQ(t.Row(0), (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(t.Row(1), (std::vector<int32_t>{3, 1}));
  EXPECT_EQ(pos, 1);
  // Inside one group, a row below the last member means the last place.
  ASSERT_TRUE(t.InsertMove(2, 0, 2, 8, &pos));
  EXPECT_EQ(t.Row(2), (std::vector<int32_t>{5, 4}));
  EXPECT_EQ(pos, 1);
  ASSERT_TRUE(t.InsertMove(2, 1, 2, 0, &pos));
  EXPECT_EQ(t.Row(2), (std::vector<int32_t>{4, 5}));
  // Into another group: before the member at the row.
  ASSERT_TRUE(t.InsertMove(2, 1, 0, 1, &pos));
  EXPECT_EQ(t.Row(0), (std::vector<int32_t>{0, 5, 2}));
  ASSERT_TRUE(t.Attach(2, 1));
  EXPECT_EQ(t.Row(1), (std::vector<int32_t>{3, 1, 4}));
  EXPECT_EQ(t.Size(2), 0);
  EXPECT_FALSE(t.Attach(1, 1));
  EXPECT_EQ(t.ShownGroups(), 2);
  t.StoreInto(m.Teachers);
  EXPECT_EQ(m.Teachers.FindTeacherGroup(4), 1);
  EXPECT_EQ(m.Teachers.GroupSize(2), 0);
  // A teacher listed twice in the collection is taken once.
  m.Teachers.SetGroups({{0, 1, 0}, {2, 3, 4, 5}});
  EXPECT_EQ(TGroupTable::FromCollection(m.Teachers).Row(0), (std::vector<int32_t>{0, 1}));
}

TEST(GroupMan, FillsTheGridFromTheModelAndDropsWriteBack) {
  Demo d;
  TRunModel& m = d.M();
  ASSERT_GE(m.Teachers.Count(), 6);
  d.ThreeGroups();
  TGroupMan g(nullptr, d.V(), m, 1, 0);
  test::ShowActive(g);
  EXPECT_EQ(g.size(), QSize(430, 383));
  EXPECT_TRUE(g.windowTitle().startsWith(Ru("Группы учителей: ")));
  const int G = g.ShownGroups();
  EXPECT_EQ(g.TeachersGroupsGrid()->ColCount(), G);
  EXPECT_EQ(g.TeachersGroupsGrid()->RowCount(), g.ShownMembers() + 1);
  EXPECT_EQ(g.SelectedGroupCombo()->count(), G);
  EXPECT_EQ(g.AttachGroupCombo()->currentIndex(), -1);
  EXPECT_EQ(test::U(g.TeachersGroupsGrid()->Cells(1, 0)), "Группа 2");
  EXPECT_EQ(g.SelectedGroup(), 0);
  const int teacher = m.Teachers.GroupRow(0)[0];
  EXPECT_EQ(g.TeachersGroupsGrid()->Cells(0, 1), m.Teachers[teacher]->DisplayName());

  // The rules of a drop (its drag with the mouse: ARegroupingIsKeptForTheNextOpening).
  EXPECT_FALSE(g.DropTeacher(0, 1, 0, 3));  // same column: ignored by this editor
  EXPECT_FALSE(g.DropTeacher(0, 1, 1, 0));  // header row
  ASSERT_TRUE(g.DropTeacher(0, 1, 1, 1));
  EXPECT_EQ(m.Teachers.FindTeacherGroup(teacher), 1);
  EXPECT_EQ(g.SelectedGroup(), 1);
  EXPECT_EQ(g.TeachersGroupsGrid()->Col(), 1);
  EXPECT_EQ(g.TeachersGroupsGrid()->Cells(1, g.TeachersGroupsGrid()->Row()), m.Teachers[teacher]->DisplayName());

  // Attaching is written back only by a later step.
  const int size0 = g.Table().Size(0), size1 = g.Table().Size(1);
  ASSERT_TRUE(test::PickFromPopup(g.SelectedGroupCombo(), g.SelectedGroupCombo()->itemText(1)));
  ASSERT_TRUE(test::PickFromPopup(g.AttachGroupCombo(), g.AttachGroupCombo()->itemText(0)));
  EXPECT_EQ(g.Table().Size(1), size0 + size1);
  EXPECT_EQ(m.Teachers.GroupSize(1), size1);
  test::LeftClick(g.AddButton());
  EXPECT_EQ(g.ShownGroups(), G + 1);
  EXPECT_EQ(m.Teachers.GroupSize(1), size0 + size1);
  EXPECT_EQ(g.SelectedGroupCombo()->count(), G + 1);
}

TEST(GroupMan, OptionsAreWrittenOnClick) {
  Demo d;
  SharedState& s = Shared();
  s.UseAttachedRooms = 1;
  s.FindBest = 0;
  TGroupMan g(nullptr, d.V(), d.M(), 1, 1);
  test::ShowActive(g);
  EXPECT_FALSE(g.AttachedRoomsBox()->isChecked());
  test::Tick(g.AttachedRoomsBox());
  EXPECT_EQ(s.UseAttachedRooms, 0);
  test::Tick(g.FindBestBox());
  EXPECT_EQ(s.FindBest, 1);
  test::Tick(g.FindBestBox());
  EXPECT_EQ(s.FindBest, 0);
  s.UseAttachedRooms = 1;

  s.PlaceToFair = 1;
  s.UseParallels = 1;
  TWeekGroupMan w(nullptr, d.V(), d.M(), 1);
  test::ShowActive(w);
  EXPECT_EQ(w.size(), QSize(430, 415));
  EXPECT_TRUE(w.ToFairButton()->isChecked());
  test::Tick(w.ToDraftRadio());
  EXPECT_EQ(s.PlaceToFair, 0);
  test::Tick(w.ParallelsBox());
  EXPECT_EQ(s.UseParallels, 0);
  s.PlaceToFair = 1;
  s.UseParallels = 1;
}

TEST(GroupMan, DraftAndClearReachTheVariantWindowWithTheReplanFlag) {
  Demo d;
  FakeVarsWindow win(d.M());
  Shared().CurDay = 3;
  TGroupMan g(nullptr, d.V(), d.M(), 3, 0);
  test::ShowActive(g);
  test::LeftClick(g.ToDraftButton());
  ASSERT_EQ(win.got.size(), 1u);
  EXPECT_EQ(win.got[0].msg, kMsgGroupToDraft);
  EXPECT_EQ(win.got[0].w, 0);
  EXPECT_EQ(win.got[0].replan, 1);
  EXPECT_EQ(d.M().ReplanGroupLessons, 0);

  TWeekGroupMan w(nullptr, d.V(), d.M(), 3);
  win.got.clear();
  test::ShowActive(w);
  test::LeftClick(w.ClearButton());
  ASSERT_EQ(win.got.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(win.got[static_cast<std::size_t>(i)].msg, kMsgGroupClear);
    EXPECT_EQ(win.got[static_cast<std::size_t>(i)].curDay, i + 1);
  }
  EXPECT_EQ(Shared().CurDay, 3);
}

TEST(GroupMan, WeekEditorMovesInsideAGroup) {
  Demo d;
  TRunModel& m = d.M();
  std::vector<int32_t> all;
  for (int t = 0; t < 4; ++t) all.push_back(t);
  m.Teachers.SetGroups({all});
  TWeekGroupMan w(nullptr, d.V(), m, 1);
  ASSERT_TRUE(w.DropTeacher(0, 1, 0, 9));  // below the last member
  EXPECT_EQ(m.Teachers.GroupRow(0)[3], 0);
  EXPECT_EQ(m.Teachers.GroupRow(0)[0], 1);
  EXPECT_FALSE(w.DropTeacher(0, 2, 0, 2));  // onto itself
}

// The user drags a teacher into another group and starts the placement;
// the next opening of the editor (placement keeps its grouping) shows the
// groups as the user left them.
TEST(GroupMan, ARegroupingIsKeptForTheNextOpening) {
  Demo d;
  TRunModel& m = d.M();
  m.Teachers.BuildGroups(d.V(), true, 1);
  ASSERT_GE(m.Teachers.GroupCount(), 2);
  const int teacher = m.Teachers.GroupRow(0)[0];
  WhenModal([&](QWidget* w) {
    auto* g = static_cast<TGroupMan*>(w);
    TPrgStringGrid* grid = g->TeachersGroupsGrid();
    QWidget* vp = grid->viewport();
    const QPoint from = grid->CellRect(0, 1).center();
    const QPoint to = grid->CellRect(1, 1).center();
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i) QTest::mouseMove(vp, from + (to - from) * i / 4);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
    QTest::mouseClick(g->PlaceButton(), Qt::LeftButton);
  });
  const TGroupChoice c = RunGroupMan(nullptr, d.V(), m, 1, 0);
  ASSERT_TRUE(c.Run);
  EXPECT_EQ(m.Teachers.FindTeacherGroup(teacher), 1);
  // The next opening, as the variant window prepares it.
  m.Teachers.BuildGroups(d.V(), true, 1);
  EXPECT_EQ(m.Teachers.FindTeacherGroup(teacher), 1);
  TGroupMan again(nullptr, d.V(), m, 1, 0);
  bool shown = false;
  for (int r = 1; r < again.TeachersGroupsGrid()->RowCount(); ++r)
    shown = shown || again.TeachersGroupsGrid()->Cells(1, r) == m.Teachers[teacher]->DisplayName();
  EXPECT_TRUE(shown);
}

TEST(GroupMan, EntryFunctionsReturnTheChoiceApartFromTheCloseCode) {
  Demo d;
  TRunModel& m = d.M();
  d.ThreeGroups();
  const auto before = m.Teachers.GroupSize(0);
  WhenModal([](QWidget* w) { test::LeftClick(static_cast<TGroupMan*>(w)->CloseButton()); });
  TGroupChoice c = RunGroupMan(nullptr, d.V(), m, 1, 0);
  EXPECT_FALSE(c.Run);
  EXPECT_EQ(m.Teachers.GroupSize(0), before);

  // Group 2 chosen: a group index equal to the cancel code is still a choice.
  WhenModal([](QWidget* w) {
    auto* g = static_cast<TGroupMan*>(w);
    ASSERT_TRUE(test::PickFromPopup(g->SelectedGroupCombo(), g->SelectedGroupCombo()->itemText(2)));
    test::LeftClick(g->PlaceButton());
  });
  c = RunGroupMan(nullptr, d.V(), m, 1, 0);
  EXPECT_TRUE(c.Run);
  EXPECT_EQ(c.Group, 2);
}

TEST(PrepareFigures, MatchTheDayNorms) {
  Demo d;
  TRunModel& m = d.M();
  TPrepTables t = FillPrepareFigures(m, d.V(), 1, TPrepKind::Placement, 1);
  ASSERT_EQ(t.Klasses.Count(), m.Klasses.Count());
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* x = m.Klasses[k];
    EXPECT_EQ(t.Klasses.At(k, 1), std::to_string(x->WeekHours));
    EXPECT_EQ(t.Klasses.At(k, 5), std::to_string(x->TodayHours));
    EXPECT_EQ(t.Klasses.At(k, 7), std::to_string(std::max(0, x->DayMinLeft - x->TodayHours)));
    EXPECT_EQ(t.Klasses.At(k, 8), std::to_string(std::max(0, x->DayMaxLeft - x->TodayHours)));
  }
  for (int i = 0; i < m.Teachers.Count(); ++i)
    EXPECT_EQ(t.Teachers.At(i, 11), std::to_string(std::max(0, m.Teachers[i]->DayMaxLeft - m.Teachers[i]->TodayHours)));
  EXPECT_GT(m.Klasses[0]->TodayHours, 0);
}

TEST(PrepareFigures, MarksFollowTheGroupAndTheDay) {
  Demo d;
  TRunModel& m = d.M();
  m.Teachers.SetGroups({{}, {0}});
  m.CurGroup = 1;
  TPrepTables t = FillPrepareFigures(m, d.V(), 1, TPrepKind::Placement, 1);
  MarkPrepareColumns(m, 1, TPrepKind::Placement, t);
  EXPECT_TRUE(t.Teachers.Marked[0]);
  for (int i = 1; i < m.Teachers.Count(); ++i) EXPECT_FALSE(t.Teachers.Marked[static_cast<std::size_t>(i)]);
  for (int c = 0; c < m.Teachers[0]->Lessons.Count(); ++c)
    EXPECT_TRUE(t.Klasses.Marked[static_cast<std::size_t>(m.Teachers[0]->Lessons[c]->KlassID)]);
  // Every klass holds a block on day 1, so each is marked by the day alone.
  TPrepTables o = FillPrepareFigures(m, d.V(), 1, TPrepKind::Optimisation, 1);
  MarkPrepareColumns(m, 1, TPrepKind::Optimisation, o);
  for (int k = 0; k < m.Klasses.Count(); ++k)
    if (m.Klasses[k]->TodayHours > 0) {
      EXPECT_TRUE(o.Klasses.Marked[static_cast<std::size_t>(k)]);
    }
}

TEST(PrepareDataDlg, NarrowedFigureReachesTheModelAndCancelChangesNothing) {
  Demo d;
  TRunModel& m = d.M();
  std::vector<int32_t> all;
  for (int t = 0; t < m.Teachers.Count(); ++t) all.push_back(t);
  m.Teachers.SetGroups({all});
  m.CurGroup = 0;
  const int placed = m.Klasses[0]->TodayHours;
  const int min0 = m.Klasses[0]->DayMinLeft, max0 = m.Klasses[0]->DayMaxLeft;
  const int max1 = m.Klasses[1]->DayMaxLeft;

  WhenModal([](QWidget* w) {
    auto* p = static_cast<TPrepareDataDlg*>(w);
    TypeFigure(*p, false, 0, 7, "9");
    test::LeftClick(p->CancelButton());
  });
  EXPECT_FALSE(RunPrepareDataDlg(nullptr, m, d.V(), 1));
  EXPECT_EQ(m.Klasses[0]->DayMinLeft, min0);
  EXPECT_EQ(m.Klasses[0]->DayMaxLeft, max0);

  // "Да" without an edit changes nothing.
  WhenModal([](QWidget* w) { test::LeftClick(static_cast<TPrepareDataDlg*>(w)->YesButton()); });
  EXPECT_TRUE(RunPrepareDataDlg(nullptr, m, d.V(), 1));
  EXPECT_EQ(m.Klasses[0]->DayMaxLeft, max0);

  TPrepareDataDlg p(nullptr, m, d.V(), 1);
  test::ShowActive(p);
  EXPECT_EQ(p.size(), QSize(514, 279));
  EXPECT_FALSE(p.RestoreButton()->isEnabled());
  TypeFigure(p, false, 0, 7, "9");  // the maximum follows the minimum
  EXPECT_EQ(p.Tables().Klasses.At(0, 8), "9");
  EXPECT_EQ(p.KlassesDataGrid()->Cells(1, 8), "9");
  EXPECT_TRUE(p.RestoreButton()->isEnabled());
  TypeFigure(p, true, 0, 11, "0");  // the minimum follows the maximum
  EXPECT_EQ(p.Tables().Teachers.At(0, 10), "0");
  TypeFigure(p, false, 1, 8, "");  // emptied: the former value comes back
  EXPECT_EQ(p.Tables().Klasses.At(1, 8), std::to_string(std::max(0, max1 - m.Klasses[1]->TodayHours)));
  test::LeftClick(p.YesButton());
  EXPECT_EQ(p.ModalResult(), mrYes);
  EXPECT_EQ(m.Klasses[0]->DayMinLeft, 9 + placed);
  EXPECT_EQ(m.Klasses[0]->DayMaxLeft, 9 + placed);
  EXPECT_EQ(m.Teachers[0]->DayMaxLeft, m.Teachers[0]->TodayHours);
  EXPECT_EQ(m.Klasses[1]->DayMaxLeft, max1);  // untouched figures stay as they were
}

// A group of the last teachers: the teacher tab opens on their editable
// column, not on the grey ones at the left.
TEST(PrepareDataDlg, TheTeacherTabOpensWithItsCurrentCellInSight) {
  Demo d;
  TRunModel& m = d.M();
  m.Teachers.SetGroups({{m.Teachers.Count() - 1}});
  m.CurGroup = 0;
  TPrepareDataDlg p(nullptr, m, d.V(), 1);
  test::ShowActive(p);
  TPrgStringGrid* g = p.TeachersDataGrid();
  test::OpenPageOf(g);
  ASSERT_EQ(g->Col(), m.Teachers.Count());
  const QRect cell = g->CellRect(g->Col(), g->Row());
  EXPECT_TRUE(!cell.isEmpty() && g->viewport()->rect().contains(cell)) << "cell at " << cell.x();
}

// A "Минимум" cell edited with the mouse and keys: Esc gives the cell its
// figure back and leaves the dialog open; a digit with Enter is taken; Esc
// without an editor is the dialog's "Отмена".
TEST(PrepareDataDlg, EscCancelsTheEditAndASecondEscTheDialog) {
  Demo d;
  TRunModel& m = d.M();
  m.Teachers.SetGroups({{0, 1}});
  m.CurGroup = 0;
  bool ran = false;
  int klass = -1;  // whose minimum is edited
  std::vector<int32_t> minimum;
  for (int k = 0; k < m.Klasses.Count(); ++k) minimum.push_back(m.Klasses[k]->DayMinLeft);
  WhenModal([&](QWidget* w) {
    ran = true;
    auto* p = static_cast<TPrepareDataDlg*>(w);
    // However the script ends, the dialog must go, or the test hangs.
    const auto done = qScopeGuard([p] {
      if (p->isVisible()) p->reject();
    });
    p->activateWindow();
    QApplication::setActiveWindow(p);
    ASSERT_TRUE(QTest::qWaitForWindowActive(p));
    TPrgStringGrid* g = p->KlassesDataGrid();
    const int col = g->Col(), row = g->Row();
    ASSERT_EQ(row, 7);  // "Минимум" of the first klass of the group
    klass = col - 1;
    const std::string figure = g->Cells(col, row);
    const std::string typed = figure == "9" ? "8" : "9";
    QWidget* editor = nullptr;
    auto edit = [&] {
      QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->CellRect(col, row).center());
      ASSERT_TRUE(g->InplaceEdit() && g->InplaceEdit()->Editor());
      editor = g->InplaceEdit()->Editor()->Widget();
      QTest::keyClicks(editor, QString::fromStdString(typed));
    };
    edit();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_EQ(g->Cells(col, row), figure);
    EXPECT_FALSE(p->RestoreButton()->isEnabled());
    EXPECT_TRUE(p->isVisible());
    edit();
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(g->Cells(col, row), typed);
    EXPECT_TRUE(p->RestoreButton()->isEnabled());
    QTest::keyClick(g, Qt::Key_Escape);
  });
  EXPECT_FALSE(RunPrepareDataDlg(nullptr, m, d.V(), 1));
  EXPECT_TRUE(ran);
  // The minimum typed and taken into the grid goes with the dialog.
  ASSERT_GE(klass, 0);
  EXPECT_EQ(m.Klasses[klass]->DayMinLeft, minimum[static_cast<std::size_t>(klass)]);
}

TEST(PrepareOptiDlg, PlannedLessonsNeverBelowPlacedAndOkWritesTheModel) {
  Demo d;
  TRunModel& m = d.M();
  m.Teachers.SetGroups({{0, 1}});
  m.CurGroup = 0;
  const int placed = m.Klasses[0]->TodayHours;
  ASSERT_GT(placed, 0);
  TPrepareOptiDlg p(nullptr, m, d.V(), 1, 2);
  test::ShowActive(p);
  EXPECT_EQ(p.size(), QSize(514, 283));
  EXPECT_TRUE(p.TeacherToggle()->isChecked());
  TypeFigure(p, false, 0, 7, "0");
  EXPECT_EQ(p.Tables().Klasses.At(0, 7), std::to_string(placed));
  TypeFigure(p, false, 0, 7, "8");
  TypeFigure(p, true, 0, 10, "3");
  EXPECT_EQ(p.Tables().Teachers.At(1, 10), std::to_string(std::max(d.V().GetTeacherWindows(1, 1), 2)));
  test::OpenPageOf(p.TeacherToggle());
  test::LeftClick(p.TeacherToggle());  // off: the teachers' own idle hours
  EXPECT_EQ(p.Tables().Teachers.At(1, 10), std::to_string(d.V().GetTeacherWindows(1, 1)));
  test::LeftClick(p.YesButton());
  EXPECT_EQ(m.Klasses[0]->TodayHours, 8);
  EXPECT_EQ(m.Teachers[1]->DayMaxLeft, d.V().GetTeacherWindows(1, 1));
}

TEST(ControlDataDlg, ShowsFiguresAndEditsNothing) {
  Demo d;
  TControlDataDlg c(nullptr, d.M(), d.V(), 1);
  test::ShowActive(c);
  EXPECT_TRUE(c.windowTitle().startsWith(Ru("Общий контроль: ")));
  EXPECT_EQ(c.CancelButton(), nullptr);
  EXPECT_EQ(test::U(c.TeachersDataGrid()->Cells(0, 1)), "Своб. дней");
  EXPECT_EQ(c.KlassesDataGrid()->Cells(1, 0), d.M().Klasses[0]->DisplayName());
  TypeFigure(c, false, 0, 7, "5");
  EXPECT_FALSE(c.Changed());
}

}  // namespace
}  // namespace korvant
