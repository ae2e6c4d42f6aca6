#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include "core/project/project_data.h"
#include "controls/bit_btn.h"
#include "editor_test_util.h"
#include "windows/editors/list_editors.h"

namespace korvant {
namespace {

using test::P;

// The main window of these tests: an MDI area that records the editors'
// messages.
struct MdiFixture {
  TProjectData data;
  test::FakeMainWindow main;
  QMdiArea* area = new QMdiArea(&main);
  MessageTraceRecorder trace;
  TListEditorSet editors;

  explicit MdiFixture(std::array<int32_t, 5> cmds = {1, 1, 1, 1, 1}) {
    (new QVBoxLayout(&main))->addWidget(area);
    main.resize(900, 700);
    main.show();
    main.activateWindow();
    QApplication::setActiveWindow(&main);
    (void)QTest::qWaitForWindowActive(&main);
    for (int k = 0; k < 5; ++k) data.Params.ShowCmd[static_cast<std::size_t>(k)] = cmds[static_cast<std::size_t>(k)];
    data.Rooms.Add()->SetName(P("101"));
    data.Klasses.Add()->KlassRoom = 0;
    editors = CreateListEditors(data, [this](TListEditor& e) { area->addSubWindow(&e); });
    Settle();
  }
  ~MdiFixture() { FreeListEditors(editors); }
  void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  QMdiSubWindow* Sub(int kind) { return qobject_cast<QMdiSubWindow*>(editors.At(kind)->Frame()); }
  std::vector<std::tuple<uint32_t, int, int>> Received(uint32_t msg) {
    std::vector<std::tuple<uint32_t, int, int>> r;
    for (auto& m : main.received)
      if (std::get<0>(m) == msg) r.push_back(m);
    return r;
  }
};

TEST(EditorWindows, CreatedInOrderAndShownAsRecordedWithoutMessages) {
  // (A maximized child is restored when the area shows another one, so
  // the maximized editor comes last here.)
  MdiFixture f({kShowNormal, kShowHidden, kShowMinimized, kShowNormal, kShowMaximized});
  const auto subs = f.area->subWindowList(QMdiArea::CreationOrder);
  ASSERT_EQ(subs.size(), 5);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(subs[k]->widget(), f.editors.At(k));
    EXPECT_EQ(f.editors.At(k)->Kind(), k);
    EXPECT_EQ(f.editors.At(k)->messageTag(), k);
    EXPECT_EQ(findMessageTarget(k), f.editors.At(k));
  }
  EXPECT_EQ(f.editors.Rooms->ShowCmd(), kShowNormal);
  EXPECT_EQ(f.editors.Subjects->ShowCmd(), kShowHidden);
  EXPECT_EQ(f.editors.Klasses->ShowCmd(), kShowMinimized);
  EXPECT_EQ(f.editors.Teachers->ShowCmd(), kShowNormal);
  EXPECT_EQ(f.editors.Lessons->ShowCmd(), kShowMaximized);
  EXPECT_EQ(f.editors.Lessons->windowTitle(), test::U("Уроки"));
  EXPECT_EQ(f.editors.Rooms->windowTitle(), test::U("Кабинеты"));
  EXPECT_EQ(f.editors.Teachers->windowTitle(), test::U("Учителя"));
  EXPECT_EQ(f.editors.Rooms->size(), QSize(447, 293));
  EXPECT_EQ(f.editors.Rooms->Current(), 0);
  EXPECT_EQ(f.editors.Subjects->Current(), -1);
  EXPECT_TRUE(f.trace.of(kMsgListModified).empty());
  EXPECT_TRUE(f.trace.of(kMsgEditorShow).empty());
  EXPECT_TRUE(f.main.received.empty());
}

TEST(EditorWindows, MaximizingTheActiveEditorReportsIt) {
  MdiFixture f;
  QMdiSubWindow* rooms = f.Sub(kTagRooms);
  f.area->setActiveSubWindow(rooms);
  f.Settle();
  f.trace.clear();
  rooms->showMaximized();
  f.Settle();
  auto shown = test::Sent(f.trace, kMsgEditorShow);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().w, kTagRooms);
  EXPECT_EQ(shown.back().l, kShowMaximized);
  EXPECT_EQ(shown.back().tag, kTagMainWindow);
  for (auto& m : shown) EXPECT_EQ(m.w, kTagRooms);  // no other editor speaks
  f.trace.clear();
  rooms->showNormal();
  f.Settle();
  shown = test::Sent(f.trace, kMsgEditorShow);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().l, kShowNormal);
  EXPECT_TRUE(f.trace.of(kMsgListModified).empty());
}

TEST(EditorWindows, StateChangesMadeByTheProgramAreNotReported) {
  MdiFixture f;
  f.area->setActiveSubWindow(f.Sub(kTagRooms));
  f.Settle();
  f.trace.clear();
  f.editors.Rooms->ApplyShowCmd(kShowMaximized);
  EXPECT_EQ(f.editors.Rooms->ShowCmd(), kShowMaximized);
  f.editors.Rooms->ApplyShowCmd(kShowNormal);
  f.editors.Subjects->ApplyShowCmd(kShowMinimized);
  f.Settle();
  EXPECT_TRUE(f.trace.of(kMsgEditorShow).empty());
  EXPECT_EQ(f.editors.Subjects->ShowCmd(), kShowMinimized);
  EXPECT_EQ(f.editors.Subjects->ShowEditor(true), kShowMinimized);  // shown as it was
}

TEST(EditorWindows, ClosingHidesAndPostsHidden) {
  MdiFixture f;
  QMdiSubWindow* klasses = f.Sub(kTagKlasses);
  TKlassesManager* e = f.editors.Klasses;
  klasses->close();
  auto posted = test::Posted(f.trace, kMsgEditorShow);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].w, kTagKlasses);
  EXPECT_EQ(posted[0].l, kShowHidden);
  EXPECT_TRUE(f.Received(kMsgEditorShow).empty());  // posted, not yet handled
  f.Settle();
  ASSERT_EQ(f.Received(kMsgEditorShow).size(), 1u);
  EXPECT_EQ(f.Received(kMsgEditorShow)[0], std::make_tuple(kMsgEditorShow, kTagKlasses, 0));
  EXPECT_EQ(e->ShowCmd(), kShowHidden);
  EXPECT_FALSE(klasses->isVisible());
  EXPECT_EQ(f.area->subWindowList().size(), 5);  // not freed

  // Shown again from the main window: visible, record kept, nothing reported.
  f.trace.clear();
  EXPECT_EQ(e->ShowEditor(true), kShowNormal);
  EXPECT_TRUE(klasses->isVisible());
  EXPECT_TRUE(e->isVisible());
  EXPECT_EQ(e->Current(), 0);
  EXPECT_EQ(e->ShowEditor(false), kShowHidden);
  EXPECT_TRUE(f.trace.of(kMsgEditorShow).empty());
}

TEST(EditorWindows, ActivatingRepairsAndReportsOnce) {
  MdiFixture f;
  f.area->setActiveSubWindow(f.Sub(kTagRooms));
  f.Settle();
  test::LeftClick(f.editors.Rooms->RemoveRecordButton());  // no prompt installed: "Нет"
  EXPECT_EQ(f.data.Rooms.Count(), 1);
  test::EditorPrompt prompt;
  ScopedPrompt scope(&prompt);
  test::LeftClick(f.editors.Rooms->RemoveRecordButton());
  EXPECT_EQ(f.data.Rooms.Count(), 0);
  f.trace.clear();
  f.area->setActiveSubWindow(f.Sub(kTagKlasses));
  f.Settle();
  EXPECT_EQ(f.data.Klasses.GetItem(0)->KlassRoom, -1);
  EXPECT_EQ(f.editors.Klasses->KlassRoomComboBox()->currentText(), test::U("Отсутствует"));
  const auto sent = test::Sent(f.trace, kMsgListModified);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].w, kTagKlasses);
}

TEST(EditorWindows, LessonsPerDaySizesTheWeekGrids) {
  MdiFixture f;
  EXPECT_EQ(f.editors.Rooms->WeekGrid()->RowCount(), 9);
  EXPECT_EQ(f.editors.Subjects->WeekGrid(), nullptr);
  f.data.Params.LessonsPerDay = 12;
  for (TListEditor* e : f.editors.All()) e->SizeWeekGrid();
  EXPECT_EQ(f.editors.Rooms->WeekGrid()->RowCount(), 13);
  EXPECT_EQ(f.editors.Klasses->WeekGrid()->RowCount(), 13);
  f.editors.Teachers->SetLessonsPerDay(6);
  EXPECT_EQ(f.editors.Teachers->WeekGrid()->RowCount(), 7);
}

TEST(EditorWindows, ChecksReachTheCallersReport) {
  TProjectData data;
  data.Rooms.Add();  // a room without a name
  data.Klasses.Add()->KlassRoom = 42;
  data.Teachers.Add();
  TListEditorSet set = CreateListEditors(data);
  for (int k = 0; k < 5; ++k) {
    TDataReportPages viaEditor, direct;
    int pumps = 0;
    set.At(k)->CheckData(&viaEditor, [&] { ++pumps; });
    switch (k) {
      case 0: CheckRooms(data.Rooms, &direct); break;
      case 1: CheckSubjects(data.Subjects, data.Rooms, &direct); break;
      case 2: CheckKlasses(data.Klasses, data.Rooms, &direct); break;
      case 3: CheckTeachers(data.Teachers, data.Rooms, data.Params.LessonsPerDay, &direct); break;
      case 4:
        CheckLessons(data.Lessons, data.Klasses, data.Subjects, data.Teachers, data.Params.LessonsPerDay, &direct);
        break;
    }
    EXPECT_EQ(viaEditor.Lines(k), direct.Lines(k)) << k;
    EXPECT_EQ(viaEditor.ActivePage(), k);
    EXPECT_EQ(pumps, 1);
  }
  set.Klasses->CheckData(nullptr);  // no report: nothing happens
  FreeListEditors(set);
  EXPECT_EQ(set.Rooms, nullptr);
}

TEST(EditorWindows, StandaloneEditorReportsItsStateAndClose) {
  TProjectData data;
  test::FakeMainWindow main;
  TRoomsManager e(data.Rooms, data.Params);
  MessageTraceRecorder trace;
  e.show();
  e.activateWindow();
  QApplication::setActiveWindow(&e);
  (void)QTest::qWaitForWindowActive(&e);
  e.showMaximized();
  QCoreApplication::processEvents();
  auto shown = test::Sent(trace, kMsgEditorShow);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().w, kTagRooms);
  EXPECT_EQ(shown.back().l, kShowMaximized);
  trace.clear();
  e.close();
  ASSERT_EQ(test::Posted(trace, kMsgEditorShow).size(), 1u);
  EXPECT_EQ(test::Posted(trace, kMsgEditorShow)[0].l, kShowHidden);
  EXPECT_TRUE(test::Sent(trace, kMsgEditorShow).empty());
}

}  // namespace
}  // namespace korvant
