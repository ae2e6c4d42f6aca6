#include <gtest/gtest.h>

#include <QListWidget>
#include <QTabWidget>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/project/project_data.h"
#include "editor_test_util.h"
#include "windows/editors/klasses_manager.h"
#include "windows/editors/rooms_manager.h"

namespace korvant {
namespace {

using test::P;
using test::U;

struct KlassesFixture {
  TProjectData data;
  test::FakeMainWindow main;
  test::EditorPrompt prompt;
  ScopedPrompt scope{&prompt};
  std::unique_ptr<TKlassesManager> editor;
  MessageTraceRecorder trace;

  KlassesFixture() {
    for (const char* n : {"101", "102"}) data.Rooms.Add()->SetName(P(n));
    for (const char* n : {"5А", "5Б", "6А"}) data.Klasses.Add()->SetName(P(n));
    data.Klasses.GetItem(0)->KlassRoom = 1;
    editor = std::make_unique<TKlassesManager>(data.Klasses, data.Rooms, data.Params);
    test::ShowActive(*editor);
  }
  TKlassItem* Klass(int i) { return data.Klasses.GetItem(i); }
  int Modified() { return static_cast<int>(test::Sent(trace, kMsgListModified).size()); }
  std::vector<int> Starts(int i) {
    std::vector<int> v;
    for (int k = 1; Klass(i)->GetStartLesson(k) > 0; ++k) v.push_back(Klass(i)->GetStartLesson(k));
    return v;
  }
};

TEST(KlassesManager, StartLessonsField) {
  KlassesFixture f;
  TFieldEdit* edit = f.editor->LessonsForStartEdit();
  test::Enter(edit, "1, 3,5");
  EXPECT_EQ(f.Starts(0), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(f.Modified(), 1);
  test::Leave(edit);
  EXPECT_EQ(edit->text(), "1,3,5");

  for (const char* bad : {"3,1", "2,2"}) {
    f.prompt.texts.clear();
    test::Enter(edit, bad);
    EXPECT_TRUE(f.prompt.texts.empty());
    test::Leave(edit);
    EXPECT_TRUE(f.prompt.Asked(10041)) << bad;
    EXPECT_EQ(f.Starts(0), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(edit->text(), "1,3,5");
  }
  EXPECT_EQ(f.Modified(), 1);

  // Typed through an invalid prefix: no message.
  f.prompt.texts.clear();
  test::Enter(edit, "");
  EXPECT_EQ(f.Starts(0), (std::vector<int>{1, 3, 5}));  // emptied: kept
  test::TypeInto(edit, "10,11");
  test::Leave(edit);
  EXPECT_TRUE(f.prompt.texts.empty());
  EXPECT_EQ(f.Starts(0), (std::vector<int>{10, 11}));

  test::Enter(edit, "0");
  EXPECT_TRUE(f.Starts(0).empty());
  test::Enter(edit, "");
  test::Leave(edit);
  EXPECT_TRUE(f.Starts(0).empty());
  EXPECT_TRUE(f.prompt.texts.empty());
}

TEST(KlassesManager, NewKlassStartsWithLessonOne) {
  KlassesFixture f;
  test::LeftClick(f.editor->AddNewRecordButton());
  EXPECT_EQ(f.editor->Current(), 3);
  EXPECT_EQ(f.Klass(3)->ID(), 3);
  EXPECT_EQ(f.Starts(3), std::vector<int>{1});
  EXPECT_EQ(f.editor->LessonsForStartEdit()->text(), "1");
  EXPECT_EQ(f.Modified(), 2);  // the record, then the field
}

TEST(KlassesManager, SectionChildrenAndSpecializations) {
  KlassesFixture f;
  TKlassesManager& e = *f.editor;
  EXPECT_EQ(e.SectionComboBox()->currentText(), U("Средняя"));
  test::OpenPageOf(e.SectionComboBox());
  ASSERT_TRUE(test::PickFromPopup(e.SectionComboBox(), e.SectionComboBox()->itemText(2)));
  EXPECT_EQ(f.Klass(0)->Section, 2);
  test::Enter(e.ChildrenInKlassEdit(), "101");
  EXPECT_EQ(f.Klass(0)->ChildrenInKlass, 100);

  QListWidget* specs = e.SpecializationListBox();
  ASSERT_EQ(specs->count(), 20);  // "Общая" is no entry
  EXPECT_EQ(specs->item(0)->text(), U("Биология"));
  const auto found = specs->findItems(U("Физика"), Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1);
  test::OpenPageOf(specs);
  test::TickItem(specs, specs->indexFromItem(found[0]));
  EXPECT_EQ(f.Klass(0)->GetSpecialization(2), 1);
  EXPECT_EQ(f.Klass(0)->GetSpecialization(1), 0);
  EXPECT_EQ(f.Modified(), 3);
  test::LeftClick(e.NextRecordButton());
  test::LeftClick(e.PreviousRecordButton());
  EXPECT_EQ(specs->findItems(U("Физика"), Qt::MatchExactly)[0]->checkState(), Qt::Checked);
}

TEST(KlassesManager, ParallelsListTheOtherKlasses) {
  KlassesFixture f;
  TKlassesManager& e = *f.editor;
  f.Klass(0)->ChangeParallel(1, 2);
  e.RefreshRecord();
  QListWidget* list = e.ParallelsListBox();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), U("5Б"));
  EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(f.Modified(), 0);
  test::OpenPageOf(list);
  test::TickItem(list, list->indexFromItem(list->item(0)));
  EXPECT_EQ(f.Klass(0)->GetParallel(1), 1);
  EXPECT_EQ(f.Klass(0)->GetParallel(2), 2);
  test::TickItem(list, list->indexFromItem(list->item(1)));
  EXPECT_EQ(f.Klass(0)->GetParallel(1), 1);
  EXPECT_EQ(f.Klass(0)->GetParallel(2), -1);
  EXPECT_EQ(f.Klass(1)->GetParallel(1), -1);  // the others are not changed
  EXPECT_EQ(f.Modified(), 2);
}

TEST(KlassesManager, AttachedRoomChoice) {
  KlassesFixture f;
  TKlassesManager& e = *f.editor;
  QComboBox* rooms = e.KlassRoomComboBox();
  ASSERT_EQ(rooms->count(), 3);
  EXPECT_EQ(rooms->currentText(), "102");
  test::OpenPageOf(rooms);
  ASSERT_TRUE(test::PickFromPopup(rooms, U("Отсутствует")));
  EXPECT_EQ(f.Klass(0)->KlassRoom, -1);
  ASSERT_TRUE(test::PickFromPopup(rooms, "101"));
  EXPECT_EQ(f.Klass(0)->KlassRoom, 0);
  EXPECT_EQ(f.Modified(), 2);
}

// A room removed in the rooms window: the klass window repairs its
// reference when it is activated, and says so once.
TEST(KlassesManager, RemovedRoomIsRepairedOnActivation) {
  KlassesFixture f;
  TRoomsManager rooms(f.data.Rooms, f.data.Params);
  TKlassesManager& e = *f.editor;
  EXPECT_EQ(e.KlassRoomComboBox()->currentText(), "102");
  test::ShowActive(rooms);
  test::LeftClick(rooms.NextRecordButton());  // room 102, id 1
  test::LeftClick(rooms.RemoveRecordButton());
  EXPECT_EQ(f.Klass(0)->KlassRoom, 1);  // nothing else changes yet
  f.trace.clear();

  e.Activated();
  EXPECT_EQ(e.KlassRoomComboBox()->currentText(), U("Отсутствует"));
  EXPECT_EQ(f.Klass(0)->KlassRoom, -1);
  ASSERT_EQ(f.Modified(), 1);
  EXPECT_EQ(test::Sent(f.trace, kMsgListModified)[0].w, kTagKlasses);
  EXPECT_EQ(e.KlassRoomComboBox()->count(), 2);
  e.Activated();  // nothing left to repair
  EXPECT_EQ(f.Modified(), 1);
}

TEST(KlassesManager, LoadingShowsAMissingRoomWithoutChangingTheRecord) {
  KlassesFixture f;
  f.data.Klasses.GetItem(1)->KlassRoom = 77;
  f.trace.clear();
  TKlassesManager e(f.data.Klasses, f.data.Rooms, f.data.Params);
  e.ShowRecord(1);
  // Showing by the user repairs at once.
  EXPECT_EQ(f.Klass(1)->KlassRoom, -1);
  EXPECT_EQ(f.Modified(), 1);

  f.Klass(0)->KlassRoom = 77;
  f.trace.clear();
  e.Reload();
  EXPECT_EQ(e.KlassRoomComboBox()->currentText(), U("Отсутствует"));
  EXPECT_EQ(f.Klass(0)->KlassRoom, 77);
  EXPECT_EQ(f.Modified(), 0);
}

TEST(KlassesManager, EmptyListTurnsToTheBusyPage) {
  TProjectData data;
  test::FakeMainWindow main;
  TKlassesManager e(data.Klasses, data.Rooms, data.Params);
  test::ShowActive(e);
  test::ChooseTab(e.KlassesInfoPages(), 0);
  e.ShowRecord(-1);
  EXPECT_EQ(e.KlassesInfoPages()->tabText(e.KlassesInfoPages()->currentIndex()), U("Занятость"));
  EXPECT_FALSE(e.KlassRoomComboBox()->isEnabled());
  EXPECT_FALSE(e.LessonsForStartEdit()->isEnabled());
  EXPECT_FALSE(e.SectionComboBox()->isEnabled());
  EXPECT_EQ(e.ParallelsListBox()->count(), 0);
}

TEST(KlassesManager, WeekGridStoresBusyBytes) {
  KlassesFixture f;
  TWeeking* grid = f.editor->KlassBusyTable();
  test::OpenPageOf(grid);
  test::Press(f.editor->BusyButton());
  test::ClickCell(grid, 6, 8);
  EXPECT_EQ(f.Klass(0)->GetBusy(5 * 24 + 8), 1);
  EXPECT_EQ(grid->CellState(6, 8), BusyState);
  test::Press(f.editor->FreeButton());
  test::ClickCell(grid, 6, 8);
  EXPECT_EQ(f.Klass(0)->GetBusy(5 * 24 + 8), 0);
  EXPECT_EQ(f.Modified(), 2);
}

}  // namespace
}  // namespace korvant
