#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QStyleOptionComboBox>
#include <QTimer>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/project/project_data.h"
#include "editor_test_util.h"
#include "window_test_util.h"
#include "platform/help_service.h"
#include "windows/editors/move_rec_dlg.h"
#include "windows/editors/rooms_manager.h"

namespace korvant {
namespace {

using test::P;
using test::U;

// Where an editable drop-down list opens.
QPoint ArrowOf(QComboBox* box) {
  QStyleOptionComboBox o;
  o.initFrom(box);
  o.editable = box->isEditable();
  o.frame = box->hasFrame();
  o.subControls = QStyle::SC_All;
  return box->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxArrow, box).center();
}

struct RoomsFixture {
  TProjectData data;
  test::FakeMainWindow main;
  test::EditorPrompt prompt;
  ScopedPrompt scope{&prompt};
  std::unique_ptr<TRoomsManager> editor;
  MessageTraceRecorder trace;

  explicit RoomsFixture(std::vector<const char*> names = {}) {
    for (const char* n : names) data.Rooms.Add()->SetName(P(n));
    editor = std::make_unique<TRoomsManager>(data.Rooms, data.Params);
    test::ShowActive(*editor);
  }
  TRoomItem* Room(int i) { return data.Rooms.GetItem(i); }
  int Modified() { return static_cast<int>(test::Sent(trace, kMsgListModified).size()); }
  QString EditText() { return editor->RoomNameComboBox()->currentText(); }
};

TEST(RoomsManager, EmptyListEnablesOnlyAddingAndHelp) {
  RoomsFixture f;
  TRoomsManager& e = *f.editor;
  EXPECT_EQ(e.Current(), -1);
  EXPECT_TRUE(e.AddNewRecordButton()->isEnabled());
  EXPECT_TRUE(e.HelpBtn()->isEnabled());
  EXPECT_FALSE(e.MoveRecordButton()->isEnabled());
  EXPECT_FALSE(e.RemoveRecordButton()->isEnabled());
  EXPECT_FALSE(e.PreviousRecordButton()->isEnabled());
  EXPECT_FALSE(e.NextRecordButton()->isEnabled());
  EXPECT_FALSE(e.RoomNameComboBox()->isEnabled());
  EXPECT_FALSE(e.MaxChildrenEdit()->isEnabled());
  EXPECT_TRUE(e.MaxChildrenEdit()->text().isEmpty());
  EXPECT_FALSE(e.SpecializationComboBox()->isEnabled());
  EXPECT_EQ(e.SpecializationComboBox()->currentIndex(), -1);
  EXPECT_FALSE(e.StrongSpecializationCheckBox()->isEnabled());
  EXPECT_FALSE(e.RoomBusyTable()->isEnabled());
  EXPECT_FALSE(e.BusyButton()->isEnabled());
  // Buttons that have nothing to act on change nothing when called anyway
  // (disabled above, no user presses them: the handlers' own guard).
  e.RemoveRecordClick();
  e.MoveRecordClick();
  e.NextRecordClick();
  EXPECT_EQ(f.Modified(), 0);
  EXPECT_TRUE(f.prompt.texts.empty());

  test::LeftClick(e.AddNewRecordButton());
  ASSERT_EQ(f.data.Rooms.Count(), 1);
  EXPECT_EQ(f.Room(0)->ID(), 0);
  EXPECT_EQ(e.Current(), 0);
  EXPECT_TRUE(e.MoveRecordButton()->isEnabled());
  EXPECT_TRUE(e.RemoveRecordButton()->isEnabled());
  EXPECT_FALSE(e.PreviousRecordButton()->isEnabled());
  EXPECT_FALSE(e.NextRecordButton()->isEnabled());
  EXPECT_EQ(f.EditText(), U("Неизвестный кабинет"));
  EXPECT_EQ(e.MaxChildrenEdit()->text(), "30");
  EXPECT_EQ(f.Modified(), 1);
  const auto sent = test::Sent(f.trace, kMsgListModified);
  EXPECT_EQ(sent[0].w, kTagRooms);
  EXPECT_EQ(sent[0].tag, kTagMainWindow);
  EXPECT_EQ(e.NameEntries(), std::vector<int32_t>{0});
}

TEST(RoomsManager, RemovingShowsTheNewLastOrNone) {
  RoomsFixture f({"101", "102", "103"});
  TRoomsManager& e = *f.editor;
  EXPECT_EQ(e.Current(), 0);
  EXPECT_EQ(f.Modified(), 0);  // loading reports nothing
  e.ShowRecord(2);
  EXPECT_EQ(f.Modified(), 0);  // nor does showing a record
  EXPECT_FALSE(e.NextRecordButton()->isEnabled());
  EXPECT_TRUE(e.PreviousRecordButton()->isEnabled());

  f.prompt.answers = {kResNo};
  test::LeftClick(e.RemoveRecordButton());
  EXPECT_EQ(f.data.Rooms.Count(), 3);
  EXPECT_TRUE(f.prompt.Asked(10046));
  EXPECT_EQ(f.prompt.kinds.back(), kBoxYesNo);
  EXPECT_EQ(f.Modified(), 0);

  test::LeftClick(e.RemoveRecordButton());  // "Да"
  ASSERT_EQ(f.data.Rooms.Count(), 2);
  EXPECT_EQ(e.Current(), 1);
  EXPECT_EQ(f.EditText(), "102");
  EXPECT_EQ(e.NameEntries(), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(f.Modified(), 1);

  e.ShowRecord(0);
  test::LeftClick(e.RemoveRecordButton());
  EXPECT_EQ(e.Current(), 0);
  EXPECT_EQ(f.EditText(), "102");
  test::LeftClick(e.RemoveRecordButton());
  EXPECT_EQ(f.data.Rooms.Count(), 0);
  EXPECT_EQ(e.Current(), -1);
  EXPECT_TRUE(f.EditText().isEmpty());
  EXPECT_FALSE(e.RoomNameComboBox()->isEnabled());
  EXPECT_TRUE(e.NameEntries().empty());
  // Identifiers are not reused.
  test::LeftClick(e.AddNewRecordButton());
  EXPECT_EQ(f.Room(0)->ID(), 3);
}

TEST(RoomsManager, NavigationWalksTheList) {
  RoomsFixture f({"A", "B", "C"});
  TRoomsManager& e = *f.editor;
  test::LeftClick(e.NextRecordButton());
  test::LeftClick(e.NextRecordButton());
  EXPECT_EQ(e.Current(), 2);
  test::LeftClick(e.NextRecordButton());
  EXPECT_EQ(e.Current(), 2);
  test::LeftClick(e.PreviousRecordButton());
  EXPECT_EQ(e.Current(), 1);
  EXPECT_EQ(f.EditText(), "B");
  EXPECT_EQ(f.Modified(), 0);
}

TEST(RoomsManager, TypingRenamesAndPickingShowsAnother) {
  RoomsFixture f({"Б-2", "А-1"});
  TRoomsManager& e = *f.editor;
  QComboBox* combo = e.RoomNameComboBox();
  // Sorted alphabetically: "А-1" (id 1) before "Б-2" (id 0).
  EXPECT_EQ(e.NameEntries(), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(e.Current(), 0);
  EXPECT_EQ(combo->currentIndex(), 1);

  // Typing another record's name renames the current record.
  combo->lineEdit()->selectAll();
  test::TypeInto(combo->lineEdit(), U("А-1"));
  EXPECT_EQ(f.Room(0)->Name(), P("А-1"));
  EXPECT_EQ(f.Room(1)->Name(), P("А-1"));
  EXPECT_EQ(e.Current(), 0);
  EXPECT_EQ(f.EditText(), U("А-1"));
  EXPECT_EQ(e.NameEntries().size(), 2u);
  EXPECT_EQ(f.Modified(), 3);  // one per keystroke
  for (auto& m : test::Sent(f.trace, kMsgListModified)) EXPECT_EQ(m.w, kTagRooms);

  // A rename that changes the order moves the entry and keeps it current.
  combo->lineEdit()->selectAll();
  test::TypeInto(combo->lineEdit(), U("В"));
  EXPECT_EQ(f.Room(0)->Name(), P("В"));
  EXPECT_EQ(e.NameEntries(), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(f.EditText(), U("В"));

  // Picking the other entry shows that record and renames nothing.
  f.trace.clear();
  ASSERT_TRUE(test::PickFromPopup(combo, combo->itemText(0)));
  EXPECT_EQ(e.Current(), 1);
  EXPECT_EQ(f.EditText(), U("А-1"));
  EXPECT_EQ(f.Room(0)->Name(), P("В"));
  EXPECT_EQ(f.Room(1)->Name(), P("А-1"));
  EXPECT_EQ(f.Modified(), 0);
  EXPECT_EQ(e.NameEntries(), (std::vector<int32_t>{1, 0}));
}

TEST(RoomsManager, PickingARecordWithTheSameNameShowsIt) {
  RoomsFixture f({"X", "X"});
  TRoomsManager& e = *f.editor;
  QComboBox* combo = e.RoomNameComboBox();
  const int other = combo->currentIndex() == 0 ? 1 : 0;
  // Both entries read "X": the list is walked to the other one by keys.
  QTest::mouseClick(combo, Qt::LeftButton, {}, ArrowOf(combo));
  ASSERT_TRUE(combo->view()->isVisible());
  QTest::keyClick(combo->view(), Qt::Key_Home);
  for (int i = 0; i < other; ++i) QTest::keyClick(combo->view(), Qt::Key_Down);
  QTest::keyClick(combo->view(), Qt::Key_Return);
  EXPECT_EQ(e.Current(), 1);
  EXPECT_EQ(f.Modified(), 0);
}

TEST(RoomsManager, EmptyNameShowsTheUnknownRoomNextTime) {
  RoomsFixture f({"A", "B"});
  TRoomsManager& e = *f.editor;
  test::TypeOver(e.RoomNameComboBox()->lineEdit(), QString());
  EXPECT_TRUE(f.Room(0)->Name().empty());
  test::LeftClick(e.NextRecordButton());
  test::LeftClick(e.PreviousRecordButton());
  EXPECT_EQ(f.EditText(), U("Неизвестный кабинет"));
  EXPECT_EQ(e.NameEntries().size(), 2u);
}

TEST(RoomsManager, SeatsField) {
  RoomsFixture f({"A"});
  TRoomsManager& e = *f.editor;
  TFieldEdit* seats = e.MaxChildrenEdit();
  // Each text pasted over the field whole: one change each.
  test::PasteOver(seats, "12");
  EXPECT_EQ(f.Room(0)->MaxChildren, 12);
  EXPECT_EQ(f.Modified(), 1);
  test::TypeOver(seats, "");
  EXPECT_EQ(f.Room(0)->MaxChildren, 0);
  test::PasteOver(seats, "250");
  EXPECT_EQ(f.Room(0)->MaxChildren, 100);
  EXPECT_EQ(seats->text(), "250");  // rewritten only when left
  test::Leave(seats);
  EXPECT_EQ(seats->text(), "100");
  EXPECT_TRUE(f.prompt.texts.empty());
  EXPECT_EQ(f.Modified(), 3);

  test::PasteOver(seats, "1a");
  EXPECT_EQ(f.Room(0)->MaxChildren, 100);
  EXPECT_TRUE(f.prompt.texts.empty());  // not while typing
  test::Leave(seats);
  ASSERT_EQ(f.prompt.texts.size(), 1u);
  EXPECT_TRUE(f.prompt.Asked(10037));
  EXPECT_EQ(f.prompt.kinds[0], kBoxOk);
  EXPECT_EQ(f.Room(0)->MaxChildren, 100);
  EXPECT_EQ(seats->text(), "100");
  EXPECT_EQ(f.Modified(), 3);

  // Typed through an invalid prefix: no message, the value as typed.
  test::TypeOver(seats, "");
  f.prompt.texts.clear();
  test::TypeInto(seats, "-5");
  EXPECT_EQ(f.Room(0)->MaxChildren, 0);
  test::Leave(seats);
  EXPECT_TRUE(f.prompt.texts.empty());
  EXPECT_EQ(seats->text(), "0");
}

TEST(RoomsManager, SpecializationAndStrictFlag) {
  RoomsFixture f({"A"});
  TRoomsManager& e = *f.editor;
  QComboBox* specialization = e.SpecializationComboBox();
  ASSERT_EQ(specialization->count(), 21);
  EXPECT_EQ(specialization->currentText(), U("Общая"));
  // Alphabetical: "Биология" first, "Экономика" last.
  EXPECT_EQ(specialization->itemText(0), U("Биология"));
  EXPECT_EQ(specialization->itemText(20), U("Экономика"));
  ASSERT_TRUE(test::PickFromPopup(specialization, U("Физика")));
  EXPECT_EQ(f.Room(0)->Specialization, 2);
  EXPECT_FALSE(e.StrongSpecializationCheckBox()->isChecked());
  test::Tick(e.StrongSpecializationCheckBox());
  EXPECT_EQ(f.Room(0)->NotStrict, 0);
  test::Tick(e.StrongSpecializationCheckBox());
  EXPECT_EQ(f.Room(0)->NotStrict, 1);
  EXPECT_EQ(f.Modified(), 3);
}

TEST(RoomsManager, WeekGridStoresBusyBytes) {
  RoomsFixture f({"A"});
  TRoomsManager& e = *f.editor;
  TWeeking* grid = e.RoomBusyTable();
  EXPECT_EQ(grid->RowCount(), 9);  // L = 8
  EXPECT_EQ(grid->StateOfMouse(), FreeState);
  test::Press(e.BusyButton());
  EXPECT_TRUE(e.BusyButton()->Down());
  EXPECT_EQ(grid->StateOfMouse(), BusyState);
  test::ClickCell(grid, 2, 3);  // Tuesday, lesson 3
  EXPECT_EQ(f.Room(0)->GetBusy(24 + 3), 1);
  EXPECT_EQ(grid->CellState(2, 3), BusyState);
  EXPECT_EQ(grid->CellState(2, 4), FreeState);
  EXPECT_EQ(f.Modified(), 1);
  test::Press(e.FreeButton());  // "Свободен" frees the slot
  test::ClickCell(grid, 2, 3);
  EXPECT_EQ(f.Room(0)->GetBusy(27), 0);
  // Showing a record presses "Свободен" again.
  e.RefreshRecord();
  EXPECT_TRUE(e.FreeButton()->Down());
  EXPECT_EQ(grid->StateOfMouse(), FreeState);
  e.SetLessonsPerDay(10);
  EXPECT_EQ(grid->RowCount(), 11);
}

TEST(RoomsManager, HelpButtonOpensTheWindowTopic) {
  RoomsFixture f;
  std::vector<int> asked;
  ScopedHelpHook hook([&](int c) { asked.push_back(c); });
  test::LeftClick(f.editor->HelpBtn());
  EXPECT_EQ(asked, std::vector<int>{8});
  EXPECT_EQ(HelpContext(f.editor->HelpBtn()), 205);
  EXPECT_EQ(HelpContext(f.editor->AddNewRecordButton()), 200);
  EXPECT_EQ(f.editor->AddNewRecordButton()->toolTip(), U("Создать новую запись"));
}

TEST(RoomsManager, MovePlacesTheRecordAfterTheChosenOne) {
  RoomsFixture f({"A", "B", "C", "D"});
  TRoomsManager& e = *f.editor;
  auto names = [&] {
    std::string s;
    for (const auto& r : f.data.Rooms) s += r->Name();
    return s;
  };
  int choice = 0;
  QStringList listed;
  e.RunMoveDialog = [&](TMoveRecDlg& d) {
    for (int i = 0; i < d.MoveListBox()->count(); ++i) listed << d.MoveListBox()->item(i)->text();
    EXPECT_EQ(d.MoveListBox()->currentRow(), 0);
    return choice;
  };
  e.ShowRecord(3);
  test::LeftClick(e.MoveRecordButton());  // after the first: second place
  EXPECT_EQ(listed, (QStringList{"A", "B", "C", "D"}));
  EXPECT_EQ(names(), "ADBC");
  EXPECT_EQ(e.Current(), 1);
  EXPECT_EQ(f.EditText(), "D");
  EXPECT_EQ(f.Room(1)->ID(), 3);  // the identifier goes with its record
  EXPECT_EQ(f.Modified(), 1);

  choice = 1;  // the record itself
  test::LeftClick(e.MoveRecordButton());
  EXPECT_EQ(names(), "ADBC");
  choice = -1;  // cancelled
  test::LeftClick(e.MoveRecordButton());
  EXPECT_EQ(names(), "ADBC");
  EXPECT_EQ(f.Modified(), 1);

  e.ShowRecord(0);
  choice = 3;  // forward: after "C"
  test::LeftClick(e.MoveRecordButton());
  EXPECT_EQ(names(), "DBCA");
  EXPECT_EQ(e.Current(), 3);
}

// The real dialog: every way out but "Да" moves nothing.
TEST(RoomsManager, MoveDialogClosedInAnyWayMovesNothing) {
  RoomsFixture f({"A", "B", "C"});
  TRoomsManager& e = *f.editor;
  e.ShowRecord(2);
  auto run = [&](std::function<void(TMoveRecDlg&)> act) {
    e.RunMoveDialog = [act](TMoveRecDlg& d) {
      QTimer::singleShot(0, &d, [&d, act] { act(d); });
      return d.Execute();
    };
    test::LeftClick(e.MoveRecordButton());
  };
  run([](TMoveRecDlg& d) { d.close(); });
  run([](TMoveRecDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); });
  run([](TMoveRecDlg& d) {
    test::ClickItem(d.MoveListBox(), test::IndexAt(d.MoveListBox(), 1));
    test::LeftClick(d.CancelBtn());
  });
  EXPECT_EQ(f.Room(2)->Name(), "C");
  EXPECT_EQ(f.Modified(), 0);
  // Entry 1 would read as the cancel code if the choice were the result.
  run([](TMoveRecDlg& d) {
    test::ClickItem(d.MoveListBox(), test::IndexAt(d.MoveListBox(), 0));
    test::LeftClick(d.OkBtn());
  });
  EXPECT_EQ(f.Room(1)->Name(), "C");
  EXPECT_EQ(f.Modified(), 1);
}

}  // namespace
}  // namespace korvant
