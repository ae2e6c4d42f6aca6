#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/project/project_data.h"
#include "editor_test_util.h"
#include "windows/editors/subjects_manager.h"
#include "windows/editors/teachers_manager.h"

namespace korvant {
namespace {

using test::P;
using test::U;

struct Fixture {
  TProjectData data;
  test::FakeMainWindow main;
  test::EditorPrompt prompt;
  ScopedPrompt scope{&prompt};
  MessageTraceRecorder trace;
  Fixture() {
    for (const char* n : {"Спортзал", "Актовый", "Библиотека"}) data.Rooms.Add()->SetName(P(n));
  }
  int Modified() { return static_cast<int>(test::Sent(trace, kMsgListModified).size()); }
};

TEST(TeachersManager, WeekGridRoundTripsEveryState) {
  Fixture f;
  f.data.Teachers.Add()->SetName(P("Иванова"));
  TTeachersManager e(f.data.Teachers, f.data.Rooms, f.data.Params);
  test::ShowActive(e);
  TWeeking* grid = e.TeacherBusyTable();
  test::OpenPageOf(grid);
  const std::vector<std::pair<TPrgSpeedButton*, TMouseState>> buttons = {
      {e.BusyButton(), BusyState}, {e.N3StateBtn(), N3State}, {e.N2StateBtn(), N2State},
      {e.N1StateBtn(), N1State}, {e.FreeButton(), FreeState}};
  EXPECT_EQ(e.BusyButton()->toolTip(), U("Занят"));
  EXPECT_EQ(e.N3StateBtn()->toolTip(), U("Высокий приоритет"));
  EXPECT_EQ(e.N1StateBtn()->toolTip(), U("Низкий приоритет"));
  // The three priorities look apart, as their cells do in the grid.
  const QImage n3 = e.N3StateBtn()->grab().toImage(), n2 = e.N2StateBtn()->grab().toImage();
  const QImage n1 = e.N1StateBtn()->grab().toImage();
  EXPECT_TRUE(n3 != n2 && n2 != n1 && n1 != n3);
  const std::map<TMouseState, TTeacherHourCell> stored = {
      {BusyState, {1, 0}}, {N3State, {1, 1}}, {N2State, {1, 2}}, {N1State, {1, 3}}, {FreeState, {0, 0}}};
  int day = 1;
  for (auto [button, state] : buttons) {
    test::Press(button);
    EXPECT_TRUE(button->Down());
    EXPECT_EQ(grid->StateOfMouse(), state);
    test::ClickCell(grid, day, 2);
    EXPECT_EQ(f.data.Teachers.GetItem(0)->GetBusy((day - 1) * 24 + 2), stored.at(state));
    EXPECT_EQ(grid->CellState(day, 2), state);
    ++day;
  }
  EXPECT_EQ(f.Modified(), 5);
  // The states survive showing the record again.
  e.RefreshRecord();
  EXPECT_EQ(grid->CellState(1, 2), BusyState);
  EXPECT_EQ(grid->CellState(4, 2), N1State);
  EXPECT_EQ(grid->CellText(2, 2), "3");
  // A free cell keeps no level; a level beyond 3 reads as the lowest wish.
  EXPECT_EQ(TeacherCellState({0, 2}), FreeState);
  EXPECT_EQ(TeacherCellState({1, 9}), N1State);
  // Without a record every cell is free and clicks store nothing.
  e.ShowRecord(-1);
  EXPECT_EQ(grid->CellState(1, 2), FreeState);
  test::Press(e.BusyButton());
  test::ClickCell(grid, 1, 3);
  EXPECT_EQ(f.Modified(), 5);
}

TEST(TeachersManager, NumberFieldsAndAttachedRoom) {
  Fixture f;
  f.data.Teachers.Add()->TeacherRoom = 2;
  TTeachersManager e(f.data.Teachers, f.data.Rooms, f.data.Params);
  test::ShowActive(e);
  TTeacherItem* t = f.data.Teachers.GetItem(0);
  test::Enter(e.MetodicalDaysEdit(), "9");
  EXPECT_EQ(t->MetodicalDays, 7);
  test::Enter(e.LessCntEdit(), "200");
  EXPECT_EQ(t->PlanLessCnt, 144);
  test::Enter(e.LessCntEdit(), "x");
  test::Leave(e.LessCntEdit());
  EXPECT_TRUE(f.prompt.Asked(10047));
  test::Enter(e.MetodicalDaysEdit(), "1 ");
  test::Leave(e.MetodicalDaysEdit());
  EXPECT_TRUE(f.prompt.Asked(10042));
  EXPECT_EQ(t->MetodicalDays, 7);
  EXPECT_EQ(e.MetodicalDaysEdit()->text(), "7");
  EXPECT_EQ(f.Modified(), 2);

  QComboBox* rooms = e.TeacherRoomComboBox();
  // Sorted: "Актовый", "Библиотека", "Отсутствует", "Спортзал".
  ASSERT_EQ(rooms->count(), 4);
  EXPECT_EQ(rooms->itemText(2), U("Отсутствует"));
  EXPECT_EQ(rooms->currentText(), U("Библиотека"));
  test::OpenPageOf(rooms);
  ASSERT_TRUE(test::PickFromPopup(rooms, rooms->itemText(3)));
  EXPECT_EQ(t->TeacherRoom, 0);
  EXPECT_EQ(f.Modified(), 3);

  f.data.Rooms.Delete(0);
  e.Activated();
  EXPECT_EQ(t->TeacherRoom, -1);
  EXPECT_EQ(rooms->currentText(), U("Отсутствует"));
  EXPECT_EQ(f.Modified(), 4);
}

struct SubjectsFixture : Fixture {
  std::unique_ptr<TSubjectsManager> editor;
  SubjectsFixture() {
    data.Subjects.Add()->SetName(P("Алгебра"));
    editor = std::make_unique<TSubjectsManager>(data.Subjects, data.Rooms, data.Params);
    test::ShowActive(*editor);
  }
  TSubjectItem* Subject() { return data.Subjects.GetItem(0); }
  std::vector<int32_t> Wished() {
    std::vector<int32_t> v;
    for (int i = 0; Subject()->GetWishedRoom(i) >= 0; ++i) v.push_back(Subject()->GetWishedRoom(i));
    return v;
  }
  QStringList Shown() {
    QStringList l;
    for (int i = 0; i < editor->WishedRoomsListBox()->count(); ++i) l << editor->WishedRoomsListBox()->item(i)->text();
    return l;
  }
  void PickRoom(const char* name) {
    QListWidget* all = editor->AllRoomsListBox();
    test::ClickItem(all, all->indexFromItem(all->findItems(U(name), Qt::MatchExactly)[0]));
  }
};

TEST(SubjectsManager, RecommendedRooms) {
  SubjectsFixture f;
  TSubjectsManager& e = *f.editor;
  QListWidget* all = e.AllRoomsListBox();
  ASSERT_EQ(all->count(), 3);
  EXPECT_EQ(all->item(0)->text(), U("Актовый"));
  EXPECT_FALSE(e.AddRoomBtn()->isEnabled());
  EXPECT_FALSE(e.RemoveRoomBtn()->isEnabled());

  f.PickRoom("Спортзал");
  EXPECT_TRUE(e.AddRoomBtn()->isEnabled());
  test::Press(e.AddRoomBtn());
  f.PickRoom("Актовый");
  test::Press(e.AddRoomBtn());
  f.PickRoom("Библиотека");
  test::Press(e.AddRoomBtn());
  test::Press(e.AddRoomBtn());  // listed already: refused by the record
  EXPECT_EQ(f.Wished(), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(f.Shown(), (QStringList{U("Спортзал"), U("Актовый"), U("Библиотека")}));
  EXPECT_EQ(all->count(), 3);  // the rooms stay in the full list
  EXPECT_EQ(f.Modified(), 4);

  QListWidget* wished = e.WishedRoomsListBox();
  test::ClickItem(wished, test::IndexAt(wished, 0));
  EXPECT_TRUE(e.RemoveRoomBtn()->isEnabled());
  EXPECT_FALSE(e.UpRoomBtn()->isEnabled());
  EXPECT_TRUE(e.DownRoomBtn()->isEnabled());
  test::Press(e.DownRoomBtn());
  EXPECT_EQ(f.Wished(), (std::vector<int32_t>{1, 0, 2}));
  EXPECT_EQ(wished->currentRow(), 1);
  test::Press(e.DownRoomBtn());
  EXPECT_EQ(f.Wished(), (std::vector<int32_t>{1, 2, 0}));
  EXPECT_FALSE(e.DownRoomBtn()->isEnabled());
  test::Press(e.UpRoomBtn());
  EXPECT_EQ(f.Wished(), (std::vector<int32_t>{1, 0, 2}));
  EXPECT_EQ(f.Shown(), (QStringList{U("Актовый"), U("Спортзал"), U("Библиотека")}));
  test::Press(e.RemoveRoomBtn());
  EXPECT_EQ(f.Wished(), (std::vector<int32_t>{1, 2}));
  EXPECT_FALSE(e.RemoveRoomBtn()->isEnabled());
  EXPECT_EQ(f.Modified(), 8);
}

TEST(SubjectsManager, MissingRoomsAreDroppedOnActivation) {
  SubjectsFixture f;
  for (int32_t id : {0, 1, 2}) f.Subject()->ChangeWishedRoom(f.Subject()->WishedRoomCount(), id);
  f.data.Rooms.Delete(1);
  f.data.Rooms.Delete(0);
  f.editor->Reload();  // as after opening: shown, not yet changed
  EXPECT_EQ(f.Shown(), (QStringList{U("Библиотека")}));
  EXPECT_EQ(f.Wished(), (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(f.Modified(), 0);
  f.editor->Activated();
  EXPECT_EQ(f.Wished(), std::vector<int32_t>{2});
  EXPECT_EQ(f.Modified(), 2);  // one per dropped room
  EXPECT_EQ(f.editor->AllRoomsListBox()->count(), 1);
}

TEST(SubjectsManager, FieldsOfTheSubject) {
  SubjectsFixture f;
  TSubjectsManager& e = *f.editor;
  EXPECT_EQ(e.SanitarKfEdit()->text(), "5");
  test::Enter(e.SanitarKfEdit(), "21");
  EXPECT_EQ(f.Subject()->SanitarKf, 20);
  test::Enter(e.SanitarKfEdit(), "2b");
  test::Leave(e.SanitarKfEdit());
  EXPECT_TRUE(f.prompt.Asked(10039));
  ASSERT_TRUE(test::PickFromPopup(e.SpecializationComboBox(), U("Математика")));
  EXPECT_EQ(f.Subject()->Specialization, 1);
  test::Tick(e.StrongSpecializationCheckBox());
  EXPECT_EQ(f.Subject()->NotStrict, 0);
  EXPECT_EQ(f.Modified(), 3);
  // A long name is cut to the record's 63 characters.
  test::PasteOver(e.SubjectNameComboBox()->lineEdit(), QString(80, QChar('x')));
  EXPECT_EQ(f.Subject()->Name().size(), 63u);
}

}  // namespace
}  // namespace korvant
