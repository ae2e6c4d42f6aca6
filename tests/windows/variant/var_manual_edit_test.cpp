#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "controls/form_util.h"
#include "controls/grid_test_util.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "core/variant/manual_edit.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/planning/var_options_dlg.h"
#include "windows/shell/program_folders.h"
#include "windows/variant/placement_popups.h"
#include "windows/variant/var_manual_edit.h"
#include "windows/variant/vars_window.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::W;

constexpr int kDay = 1;

std::vector<unsigned char> Body(const TTableVarItem& v) {
  ByteWriter w;
  v.SaveToStream(w);
  return w.take();
}

class MainStub : public MessageTarget {
 public:
  MainStub() { setMessageTag(kTagMainWindow); }
  MsgResult handleMessage(uint32_t msg, MsgParam, MsgParam) override {
    got.push_back(msg);
    return 0;
  }
  std::vector<uint32_t> got;
};

struct ManualEditWindow : ::testing::Test {
  ScriptedPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  QTemporaryDir dir;
  std::string oldFolder = ProgramFolder();
  MainStub main;
  TMdiTable project;
  std::unique_ptr<QMdiArea> area;
  TTableVarsManager* w = nullptr;

  void SetUp() override {
    SharedState& s = Shared();
    s.SetVarModified(false);
    s.PlanningRunning = 0;
    s.AbortPlanning = 0;
    s.VerticalView = 1;
    SetProgramFolder(PathFromQt(dir.path()));
    ASSERT_TRUE(project.OpenImage(W("Демо.tbl"), DemoProjectImage()));
    area = std::make_unique<QMdiArea>();
    area->resize(1200, 800);
    test::ShowActive(*area);
    TVarsWindowHooks h;
    h.optionsDialog = [](TVarOptionsDlg&) { return false; };
    w = TTableVarsManager::CreateNew(project, *area, h);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(PlanDayAuto(w->Model(), w->Var(), kDay).Ok);
    w->InvalidateTables();
    Shared().SetVarModified(false);
    QCoreApplication::processEvents();
    main.got.clear();
  }
  void TearDown() override {
    if (w) w->Free();
    area.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Shared().SetVarModified(false);
    Shared().PlanningRunning = 0;
    Shared().CurVarsWindow = nullptr;
    SetProgramFolder(oldFolder);
  }

  TTableVarItem& V() { return w->Var(); }
  TRunModel& M() { return w->Model(); }
  TVarManualEdit& E() { return w->Manual(); }
  TSchoolTable* G(TVarGrid g) { return w->Grid(g); }

  // The first block head of a klass whose move to some hour is legal, with
  // that hour; a linked lesson of several klasses when there is one.
  bool FindMove(int& klass, int& head, int& target) {
    for (int pass = 0; pass < 2; ++pass)
      for (int k = 0; k < V().KlassCount(); ++k)
        for (int h = 1; h <= M().L(); ++h) {
          const TTableCell c = V().GetCell(k, kDay, h);
          if (c.Lesson < 0 || c.PrevHour != -1) continue;
          TLinkedLists lists;
          M().Klasses.CollectLinkedLessons(k, c.Lesson, lists);
          if (pass == 0 && lists.LessonCount() < 2) continue;
          for (int t = 1; t <= M().L(); ++t)
            if (CanMoveBlock(V(), kDay, k, h, t)) {
              klass = k;
              head = h;
              target = t;
              return true;
            }
        }
    return false;
  }
  // A fair lesson of the day of klass with hours 2 or more: head and length.
  bool FindLongBlock(int& klass, int& head, int& len) {
    for (int k = 0; k < V().KlassCount(); ++k)
      for (int h = 1; h <= M().L(); ++h) {
        int hd = 0;
        const int n = FairBlockAt(V(), k, kDay, h, hd);
        if (n >= 2 && hd == h) {
          klass = k;
          head = h;
          len = n;
          return true;
        }
      }
    return false;
  }
  void Drag(TVarGrid g, int fromCol, int fromRow, int toCol, int toRow) {
    TSchoolTable* grid = G(g);
    const QPoint a = test::Centre(*grid, fromCol, fromRow);
    const QPoint b = test::Centre(*grid, toCol, toRow);
    ASSERT_FALSE(grid->CellRect(toCol, toRow).isEmpty());
    test::Press(*grid, a);
    test::Move(*grid, b);
    test::Release(*grid, b);
  }
  // The grid's page brought up first, as the user must.
  void RightClick(TVarGrid g, int col, int row) {
    test::OpenPageOf(G(g));
    test::RightClick(G(g)->viewport(), test::Centre(*G(g), col, row));
  }
  // An item of the cell's context menu, chosen with the mouse.
  void Choose(TVarGrid g, int col, int row, TVarManualEdit::Item item) {
    RightClick(g, col, row);
    test::ClickMenuItem(E().Menu(g), E().Action(g, item));
  }
  void DoubleClick(TVarGrid g, int col, int row) {
    test::OpenPageOf(G(g));
    test::DoubleClick(G(g)->viewport(), test::Centre(*G(g), col, row));
  }
};

TEST_F(ManualEditWindow, ABlockDraggedToALegalHourMovesWithItsLinkedSet) {
  int k = -1, head = 0, target = 0;
  ASSERT_TRUE(FindMove(k, head, target));
  TTableVarItem expected(&M(), V().TeacherCount(), V().LessonsPerDay(), V().KlassCount());
  ASSERT_TRUE(expected.Assign(V()));
  ASSERT_TRUE(MoveBlock(expected, kDay, k, head, target));

  Drag(TVarGrid::Klasses, head, k + 1, target, k + 1);
  EXPECT_EQ(Body(V()), Body(expected));
  EXPECT_TRUE(GetVarModified());
  EXPECT_EQ(G(TVarGrid::Klasses)->Col(), target);
  EXPECT_EQ(G(TVarGrid::Klasses)->Row(), k + 1);
}

TEST_F(ManualEditWindow, IllegalDragsChangeNothing) {
  int k = -1, head = 0, len = 0;
  ASSERT_TRUE(FindLongBlock(k, head, len));
  const auto before = Body(V());
  // A press on the second hour of the block starts no drag.
  EXPECT_FALSE(E().StartsDrag(TVarGrid::Klasses, head + 1, k + 1));
  EXPECT_TRUE(E().StartsDrag(TVarGrid::Klasses, head, k + 1));
  // The block would run past hour L.
  Drag(TVarGrid::Klasses, head, k + 1, M().L(), k + 1);
  EXPECT_EQ(Body(V()), before);
  // Onto the cell of another lesson of the klass.
  for (int h = 1; h <= M().L(); ++h) {
    const int l = V().GetCell(k, kDay, h).Lesson;
    if (l < 0 || l == V().GetCell(k, kDay, head).Lesson) continue;
    G(TVarGrid::Klasses)->FocusCell(head, k + 1, true);
    EXPECT_FALSE(E().DragAccepted(TVarGrid::Klasses, h, k + 1));
    Drag(TVarGrid::Klasses, head, k + 1, h, k + 1);
    break;
  }
  // Into another klass's line.
  G(TVarGrid::Klasses)->FocusCell(head, k + 1, true);
  const int other = k == 0 ? 2 : 1;
  EXPECT_FALSE(E().DragAccepted(TVarGrid::Klasses, head, other));
  EXPECT_EQ(Body(V()), before);
  EXPECT_FALSE(GetVarModified());
  // The draft and rooms grids take no drop.
  EXPECT_FALSE(G(TVarGrid::KlassesDraft)->OnDragOver);
  EXPECT_FALSE(G(TVarGrid::Rooms)->OnDragOver);
}

TEST_F(ManualEditWindow, TeacherGridDragsAndItsMenu) {
  int k = -1, head = 0, target = 0;
  ASSERT_TRUE(FindMove(k, head, target));
  const TRTILessonItem* l = M().KlassLesson(k, V().GetCell(k, kDay, head).Lesson);
  int t = -1;
  for (int g = 0; g < l->SubItemsCount() && t < 0; ++g) t = l->GetSubItem(g)->TeacherID;
  ASSERT_GE(t, 0);
  // The teacher's line shows the lesson in the klass found first.
  const TLessonRef shown = TeacherFairLessonAt(V(), t, kDay, head);
  ASSERT_TRUE(shown.Valid());
  test::ChooseTab(w->Pages(), 1);
  G(TVarGrid::Teachers)->FocusCell(head, t + 1, true);
  EXPECT_EQ(E().DragAccepted(TVarGrid::Teachers, target, t + 1), CanMoveBlock(V(), kDay, shown.Klass, head, target));

  TTableVarItem expected(&M(), V().TeacherCount(), V().LessonsPerDay(), V().KlassCount());
  ASSERT_TRUE(expected.Assign(V()));
  ASSERT_TRUE(MoveBlock(expected, kDay, shown.Klass, head, target));
  Drag(TVarGrid::Teachers, head, t + 1, target, t + 1);
  EXPECT_EQ(Body(V()), Body(expected));
  EXPECT_TRUE(GetVarModified());

  // Its menu on the lesson: everything but "Поставить урок".
  Shared().SetVarModified(false);
  RightClick(TVarGrid::Teachers, target, t + 1);
  QMenu* menu = E().Menu(TVarGrid::Teachers);
  ASSERT_TRUE(menu->isVisible());
  EXPECT_EQ(menu->actions().size(), 4);
  EXPECT_EQ(menu->actions()[0]->text(), Ru("Поставить урок"));
  EXPECT_FALSE(E().Action(TVarGrid::Teachers, TVarManualEdit::kPut)->isEnabled());
  EXPECT_TRUE(E().Action(TVarGrid::Teachers, TVarManualEdit::kToDraft)->isEnabled());
  EXPECT_TRUE(E().Action(TVarGrid::Teachers, TVarManualEdit::kRemove)->isEnabled());
  // "Снять урок" from the teacher's line: off the day with its linked set.
  test::ClickMenuItem(menu, E().Action(TVarGrid::Teachers, TVarManualEdit::kRemove));
  EXPECT_EQ(V().CountLessonInDay(shown.Klass, shown.Lesson, kDay), 0);
  TLinkedLists lists;
  ASSERT_TRUE(M().Klasses.CollectLinkedLessons(shown.Klass, shown.Lesson, lists));
  for (int i = 0; i < lists.LessonCount(); ++i)
    EXPECT_EQ(V().CountLessonInDay(lists.Lessons[i].A, lists.Lessons[i].B, kDay), 0);
  EXPECT_TRUE(GetVarModified());
}

TEST_F(ManualEditWindow, ToTheDraftOffTheDayAndBackByThePopup) {
  int k = -1, head = 0, len = 0;
  ASSERT_TRUE(FindLongBlock(k, head, len));
  const int lesson = V().GetCell(k, kDay, head).Lesson;
  RightClick(TVarGrid::Klasses, head + 1, k + 1);  // any hour of the block
  ASSERT_TRUE(E().Menu(TVarGrid::Klasses)->isVisible());
  EXPECT_FALSE(E().Action(TVarGrid::Klasses, TVarManualEdit::kPut)->isEnabled());
  test::ClickMenuItem(E().Menu(TVarGrid::Klasses), E().Action(TVarGrid::Klasses, TVarManualEdit::kToDraft));
  EXPECT_EQ(V().CountLessonInFair(k, lesson, kDay), 0);
  EXPECT_EQ(V().CountLessonInDraft(k, lesson, kDay), len);
  EXPECT_TRUE(GetVarModified());
  EXPECT_TRUE(prompt.asked.empty());

  // The draft menu of that lesson offers only "Снять урок".
  int pos = 0;
  for (int p = 1; p <= M().L() && pos == 0; ++p)
    if (V().GetDraftCell(k, kDay, p).Lesson == lesson) pos = p;
  const TVarManualEdit::MenuState st = E().MenuFor(TVarGrid::KlassesDraft, pos, k + 1);
  EXPECT_TRUE(st.shown);
  EXPECT_FALSE(st.enabled[TVarManualEdit::kPut]);
  EXPECT_TRUE(st.enabled[TVarManualEdit::kRemove]);
  Shared().SetVarModified(false);
  RightClick(TVarGrid::KlassesDraft, pos, k + 1);
  test::ClickMenuItem(E().Menu(TVarGrid::KlassesDraft), E().Action(TVarGrid::KlassesDraft, TVarManualEdit::kRemove));
  EXPECT_EQ(V().CountLessonInDay(k, lesson, kDay), 0);
  EXPECT_TRUE(GetVarModified());

  // Back into its hours through "Поставить урок".
  Shared().SetVarModified(false);
  ASSERT_TRUE(E().MenuFor(TVarGrid::Klasses, head, k + 1).enabled[TVarManualEdit::kPut]);
  RightClick(TVarGrid::Klasses, head, k + 1);
  bool ran = false;
  QTimer::singleShot(0, w, [&] {
    auto* p = w->findChild<TPopSetLsnDlg*>();
    ASSERT_NE(p, nullptr);
    ran = true;
    const auto& table = p->Table(0);
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (p->KlassOf(table[i].Lesson) != k || p->KlassLessonOf(table[i].Lesson) != lesson) continue;
      test::ChooseTab(p->Tabs(), 0);
      const int row = static_cast<int>(i) + 1;
      p->LessonsGrid()->SetTopRow(row);  // scrolled to, as the user would
      test::DoubleClick(p->LessonsGrid()->viewport(), p->LessonsGrid()->CellRect(0, row).center());
      return;
    }
    p->hide();
  });
  test::ClickMenuItem(E().Menu(TVarGrid::Klasses), E().Action(TVarGrid::Klasses, TVarManualEdit::kPut));
  EXPECT_TRUE(ran);
  EXPECT_EQ(V().GetCell(k, kDay, head).Lesson, lesson);
  EXPECT_TRUE(GetVarModified());
}

TEST_F(ManualEditWindow, AFullTeacherDraftRefusesWithTheMessage) {
  int k = -1, head = 0, len = 0;
  ASSERT_TRUE(FindLongBlock(k, head, len));
  const TLessonRef l{k, V().GetCell(k, kDay, head).Lesson};
  TLinkedLists lists;
  ASSERT_TRUE(M().Klasses.CollectLinkedLessons(l.Klass, l.Lesson, lists));
  const int t = lists.Teachers[0].A;
  // Park one of the teacher's other lessons in its draft again and again
  // until fewer than len positions are left.
  const int L = M().L();
  const TRTITeacherItem* teacher = M().Teachers[t];
  TLessonRef other;
  for (int c = 0; c < teacher->Lessons.Count() && !other.Valid(); ++c) {
    const TRTIGroup& rt = teacher->Lessons[c]->RT[static_cast<std::size_t>(teacher->Lessons[c]->GroupOfTeacher(t))];
    if ((rt.Klass != l.Klass || rt.KlassLesson != l.Lesson) && !M().KlassLesson(rt.Klass, rt.KlassLesson)->HasLink())
      other = {rt.Klass, rt.KlassLesson};
  }
  ASSERT_TRUE(other.Valid());
  while (FirstFreeTeacherDraft(V(), t, kDay) + len - 1 <= L) {
    const int p = FirstFreeKlassDraft(V(), other.Klass, kDay);
    ASSERT_LE(p, L);
    TTableCell c;
    c.Hour = p;
    c.Lesson = other.Lesson;
    V().SetDraftCell(other.Klass, kDay, p, c);
  }
  const TDraftSpace space = CheckDraftSpace(V(), kDay, l);
  ASSERT_NE(space.result, TDraftSpace::Ok);
  const auto before = Body(V());
  Choose(TVarGrid::Klasses, head, k + 1, TVarManualEdit::kToDraft);
  ASSERT_EQ(prompt.asked.size(), 1u);
  const std::string who = test::U(space.result == TDraftSpace::TeacherFull ? M().Teachers[space.who]->DisplayName()
                                                                           : M().Klasses[space.who]->DisplayName());
  EXPECT_EQ(prompt.asked[0].text, std::string(space.result == TDraftSpace::TeacherFull ? "В черновике учителя "
                                                                                        : "В черновике класса ") +
                                      who + " недостаточно места.");
  EXPECT_EQ(prompt.asked[0].kind, kBoxOk);
  EXPECT_EQ(Body(V()), before);
  EXPECT_FALSE(GetVarModified());
}

TEST_F(ManualEditWindow, RoomPopupFromTheKlassGridCoversTheWholeBlock) {
  int k = -1, head = 0, len = 0;
  ASSERT_TRUE(FindLongBlock(k, head, len));
  // Teachers named like the tag of a picture on disk: the status bar shows
  // the name as it is.
  const QString picture = dir.filePath(QStringLiteral("t.png"));
  ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(picture));
  const QString name = QStringLiteral("<img src=\"%1\">").arg(picture);
  for (int t = 0; t < M().Teachers.Count(); ++t) M().Teachers[t]->SetName(FromQt(name));
  RightClick(TVarGrid::Klasses, head + 1, k + 1);  // the second hour
  bool ran = false;
  int room = -1;
  QTimer::singleShot(0, w, [&] {
    auto* p = w->findChild<TTPopSetRoomDlg*>();
    ASSERT_NE(p, nullptr);
    ran = true;
    EXPECT_TRUE(QTest::qWaitFor([p] { return !p->StatusBar()->text().isEmpty(); }));
    EXPECT_EQ(p->StatusBar()->text(), name);
    EXPECT_EQ(p->StatusBar()->textFormat(), Qt::PlainText);
    EXPECT_EQ(p->RoomsGrid()->RowCount(), len + 1);
    const std::vector<int> offered = p->OfferedRooms(1);
    if (offered.size() > 1 && p->Groups()[0].fiction.empty()) {
      room = offered.back();
      EXPECT_TRUE(test::PickFromPopup(p->CmbBox(1), p->CmbBox(1)->itemText(p->CmbBox(1)->count() - 1)));
    }
    p->hide();
  });
  test::ClickMenuItem(E().Menu(TVarGrid::Klasses), E().Action(TVarGrid::Klasses, TVarManualEdit::kRoom));
  EXPECT_TRUE(ran);
  if (room >= 0) {
    EXPECT_TRUE(GetVarModified());
    bool found = false;
    for (uint16_t r : V().GetCell(k, kDay, head).Rooms) found = found || r == room;
    EXPECT_TRUE(found);
  }
  // The rooms grid has no menu and takes no edits.
  EXPECT_EQ(E().Menu(TVarGrid::Rooms), nullptr);
  EXPECT_FALSE(E().MenuFor(TVarGrid::Rooms, 1, 1).shown);
}

TEST_F(ManualEditWindow, DoubleClickSelectsTheLinkedSetAndAsksForTheManualRegime) {
  int k = -1, head = 0, len = 0;
  ASSERT_TRUE(FindLongBlock(k, head, len));
  const int lesson = V().GetCell(k, kDay, head).Lesson;
  const QPoint at = test::Centre(*G(TVarGrid::Klasses), head + 1, k + 1);
  QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(at), QPointF(G(TVarGrid::Klasses)->viewport()->mapToGlobal(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(G(TVarGrid::Klasses)->viewport(), &press);
  QCoreApplication::processEvents();
  TLinkedLists lists;
  ASSERT_TRUE(M().Klasses.CollectLinkedLessons(k, lesson, lists));
  EXPECT_EQ(w->Selection().Lessons, lists.Lessons);
  EXPECT_EQ(w->SelectionKind(), 0);
  EXPECT_EQ(w->SelectedHour(0), head + 1);
  EXPECT_EQ(main.got, std::vector<uint32_t>{kMsgManualRegime});

  // An empty klass cell opens the klass's first lesson, from the draft grid
  // with the draft kind.
  int empty = 0;
  for (int p = M().L(); p >= 1 && empty == 0; --p)
    if (V().GetDraftCell(k, kDay, p).Lesson < 0) empty = p;
  ASSERT_GT(empty, 0);
  DoubleClick(TVarGrid::KlassesDraft, empty, k + 1);
  ASSERT_TRUE(M().Klasses.CollectLinkedLessons(k, 0, lists));
  EXPECT_EQ(w->Selection().Lessons, lists.Lessons);
  EXPECT_EQ(w->SelectionKind(), 1);
}

TEST_F(ManualEditWindow, NothingIsEditedWhilePlanningRuns) {
  int k = -1, head = 0, target = 0;
  ASSERT_TRUE(FindMove(k, head, target));
  const auto before = Body(V());
  Shared().PlanningRunning = 1;
  Drag(TVarGrid::Klasses, head, k + 1, target, k + 1);
  RightClick(TVarGrid::Klasses, head, k + 1);
  EXPECT_FALSE(E().Menu(TVarGrid::Klasses)->isVisible());
  // No menu comes, so no user reaches these commands: their own refusal
  // is what is tested here.
  G(TVarGrid::Klasses)->FocusCell(head, k + 1, true);
  E().Remove(TVarGrid::Klasses);
  E().ToDraft(TVarGrid::Klasses);
  DoubleClick(TVarGrid::Klasses, head, k + 1);
  sendMessage(w, kMsgGroupClear, 0);
  EXPECT_EQ(Body(V()), before);
  EXPECT_FALSE(GetVarModified());
  EXPECT_TRUE(main.got.empty());
}

TEST_F(ManualEditWindow, GroupMessagesMoveTheGroupsLessons) {
  // One group of every teacher: the whole day goes to the drafts.
  std::vector<int32_t> all;
  for (int t = 0; t < M().Teachers.Count(); ++t) all.push_back(t);
  M().Teachers.SetGroups({all});
  int fairBefore = 0;
  for (int k = 0; k < V().KlassCount(); ++k) fairBefore += V().CountKlassFair(k, kDay);
  ASSERT_GT(fairBefore, 0);
  sendMessage(w, kMsgGroupToDraft, 0);
  const bool overflow = !prompt.asked.empty();
  if (!overflow) {
    int fair = 0, draft = 0;
    for (int k = 0; k < V().KlassCount(); ++k) {
      fair += V().CountKlassFair(k, kDay);
      draft += V().CountKlassDraft(k, kDay);
    }
    EXPECT_EQ(fair, 0);
    EXPECT_EQ(draft, fairBefore);
    EXPECT_TRUE(GetVarModified());
  }
  Shared().SetVarModified(false);
  sendMessage(w, kMsgGroupClear, 0);
  // Every lesson with a teacher of the group is off the day.
  for (int k = 0; k < V().KlassCount(); ++k) EXPECT_EQ(V().CountKlassFair(k, kDay), 0);
  EXPECT_TRUE(GetVarModified());
}

}  // namespace
}  // namespace korvant
