#include "core/variant/table_var.h"

#include <gtest/gtest.h>

#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::ProjectBuilder;

TTableCell Cell(int lesson, int hour, std::initializer_list<uint16_t> rooms = {}) {
  TTableCell c;
  c.Lesson = lesson;
  c.Hour = hour;
  int i = 0;
  for (uint16_t r : rooms) c.Rooms[static_cast<std::size_t>(i++)] = r;
  return c;
}

TEST(TableVar, IndexUsesLessonsPerDay) {
  TTableVarItem one(nullptr, 0, 1, 3);
  EXPECT_EQ(one.HoursPerKlass(), 6);
  EXPECT_EQ(one.GridBytes(), 3u * 6 * 24);
  EXPECT_EQ(one.Index(0, 1, 1), 0);
  EXPECT_EQ(one.Index(0, 6, 1), 5);
  EXPECT_EQ(one.Index(2, 6, 1), 17);
  EXPECT_EQ(one.Index(0, 1, 2), -1);
  EXPECT_EQ(one.Index(0, 7, 1), -1);
  // Every cell starts empty; a write past L goes nowhere.
  for (int k = 0; k < 3; ++k)
    for (int d = 1; d <= 6; ++d) EXPECT_EQ(one.GetCell(k, d, 1), kEmptyCell);
  one.SetDraftCell(0, 1, 2, Cell(0, 2));
  one.SetCell(0, 1, 2, Cell(0, 2));
  EXPECT_EQ(one.GetDraftCell(0, 2, 1), kEmptyCell);
  EXPECT_EQ(one.GetCell(0, 2, 1), kEmptyCell);
  one.SetCell(1, 6, 1, Cell(4, 1));
  EXPECT_EQ(one.GetCell(1, 6, 1).Lesson, 4);
  EXPECT_EQ(one.GetCell(2, 1, 1).Lesson, -1);
  EXPECT_EQ(one.GetCell(3, 1, 1).Lesson, -1);  // past the last klass

  TTableVarItem wide(nullptr, 0, 24, 2);
  EXPECT_EQ(wide.HoursPerKlass(), 144);
  EXPECT_EQ(wide.Index(1, 6, 24), 287);
  EXPECT_EQ(wide.Index(1, 1, 1), 144);
  EXPECT_EQ(wide.Index(0, 2, 1), 24);
  wide.SetCell(0, 1, 24, Cell(1, 24));
  EXPECT_EQ(wide.GetCell(0, 1, 24).Lesson, 1);
  EXPECT_EQ(wide.GetCell(0, 2, 1).Lesson, -1);
}

struct RoomsFixture : ::testing::Test {
  ProjectBuilder p;
  testing::Built b;
  void SetUp() override {
    for (int i = 0; i < 4; ++i) p.Room();
    const int32_t s = p.Subject(), t = p.Teacher();
    const int32_t k0 = p.Klass(), k1 = p.Klass();
    p.Lesson(k0, {{s, t}, {s, t}, {s, t}}, {1, 1});
    p.Lesson(k0, {{s, t}}, {1});
    p.Lesson(k1, {{s, t}}, {1});
    b = Build(p.d);
  }
  TTableVarItem& v() { return *b.var; }
  int Holder(int room, int day, int hour) { return v().GetRoomCell(room, day, hour).Klass; }
};

TEST_F(RoomsFixture, SetCellKeepsTheRoomGrid) {
  v().SetCell(0, 2, 3, Cell(0, 3, {1, 2, 3}));
  EXPECT_EQ(Holder(1, 2, 3), 0);
  EXPECT_EQ(v().GetRoomCell(2, 2, 3), (TRoomCell{0, 0, 1}));
  EXPECT_EQ(Holder(3, 2, 3), 0);
  EXPECT_EQ(Holder(1, 2, 4), -1);

  // 0xFFFF frees only that group's room.
  v().SetCell(0, 2, 3, Cell(0, 3, {1, kNoRoom, 3}));
  EXPECT_EQ(Holder(1, 2, 3), 0);
  EXPECT_EQ(Holder(2, 2, 3), -1);
  EXPECT_EQ(Holder(3, 2, 3), 0);

  // A room replaced in the same write is given back.
  v().SetCell(0, 2, 3, Cell(0, 3, {0, kNoRoom, 3}));
  EXPECT_EQ(Holder(1, 2, 3), -1);
  EXPECT_EQ(Holder(0, 2, 3), 0);

  // A lesson with fewer groups keeps no room of the groups it lacks.
  v().SetCell(0, 2, 3, Cell(1, 3, {0, 2, 2}));
  EXPECT_EQ(Holder(3, 2, 3), -1);
  EXPECT_EQ(Holder(2, 2, 3), -1);
  EXPECT_EQ(v().GetRoomCell(0, 2, 3), (TRoomCell{0, 1, 0}));

  // Another klass's room is not touched; an empty cell frees the klass's rooms.
  v().SetCell(1, 2, 3, Cell(0, 3, {1}));
  v().SetCell(0, 2, 3, kEmptyCell);
  EXPECT_EQ(Holder(0, 2, 3), -1);
  EXPECT_EQ(Holder(1, 2, 3), 1);

  // Two klasses naming one room at an hour (as the cells of a joint lesson
  // do): the room has one holder, and freeing it in one cell hands it to
  // the other, which still names it, rather than leaving it free for a
  // third klass.
  v().SetCell(0, 2, 5, Cell(1, 5, {2}));
  v().SetCell(1, 2, 5, Cell(0, 5, {2}));
  EXPECT_EQ(Holder(2, 2, 5), 1);
  v().SetCell(1, 2, 5, Cell(0, 5, {kNoRoom}));
  EXPECT_EQ(v().GetRoomCell(2, 2, 5), (TRoomCell{0, 1, 0}));
  v().SetCell(0, 2, 5, kEmptyCell);
  EXPECT_EQ(Holder(2, 2, 5), -1);

  // Room indices outside the grid are ignored.
  v().SetRoomCell(-1, 1, 1, {0, 0, 0});
  v().SetRoomCell(4, 1, 1, {0, 0, 0});
  for (int r = 0; r < 4; ++r) EXPECT_EQ(Holder(r, 1, 1), -1);
  EXPECT_EQ(v().GetRoomCell(4, 1, 1).Klass, -1);
}

TEST_F(RoomsFixture, RebuildEqualsIncrementalBookkeeping) {
  v().SetCell(0, 1, 1, Cell(0, 1, {0, 1, 2}));
  v().SetCell(0, 1, 1, Cell(0, 1, {3, kNoRoom, 2}));
  v().SetCell(1, 1, 1, Cell(0, 1, {1}));
  v().SetCell(0, 4, 8, Cell(1, 8, {2}));
  v().SetCell(1, 6, 2, Cell(0, 2, {0}));
  v().SetCell(1, 6, 2, Cell(0, 2, {3}));
  v().ClearDayRooms(4);
  v().SetCell(0, 5, 5, Cell(0, 5, {2, 1, 0}));
  std::vector<TRoomCell> incremental;
  for (int r = 0; r < 4; ++r)
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= 8; ++h) incremental.push_back(v().GetRoomCell(r, d, h));
  v().RebuildRoomGrid();
  std::size_t i = 0;
  for (int r = 0; r < 4; ++r)
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= 8; ++h, ++i) {
        // A freed room keeps its old lesson and group; only Klass matters.
        EXPECT_EQ(v().GetRoomCell(r, d, h).Klass, incremental[i].Klass) << r << d << h;
        if (incremental[i].Klass >= 0) {
          EXPECT_EQ(v().GetRoomCell(r, d, h), incremental[i]);
        }
      }
  EXPECT_EQ(Holder(2, 4, 8), -1);  // ClearDayRooms emptied day 4
  EXPECT_EQ(v().GetCell(0, 4, 8).Lesson, 1);

  v().ClearDay(5);
  EXPECT_EQ(Holder(2, 5, 5), -1);
  EXPECT_TRUE(v().DayIsEmpty(5));
  EXPECT_FALSE(v().DayIsEmpty(6));
}

TEST_F(RoomsFixture, AssignNeedsTheSameGeometry) {
  v().SetCell(0, 1, 1, Cell(0, 1, {1}));
  v().SetDraftCell(1, 3, 1, Cell(0, 1));
  TTableVarItem same(b.model.get(), 1, 8, 2);
  ASSERT_TRUE(same.Assign(v()));
  EXPECT_EQ(same.GetCell(0, 1, 1).Lesson, 0);
  EXPECT_EQ(same.GetDraftCell(1, 3, 1).Lesson, 0);
  EXPECT_EQ(same.GetRoomCell(1, 1, 1).Klass, 0);

  TTableVarItem other(b.model.get(), 1, 7, 2);
  other.SetCell(1, 1, 1, Cell(0, 1));
  EXPECT_FALSE(other.Assign(v()));
  EXPECT_EQ(other.GetCell(1, 1, 1).Lesson, 0);
  EXPECT_EQ(other.GetCell(0, 1, 1).Lesson, -1);
  EXPECT_FALSE(v().Assign(other));
  EXPECT_EQ(v().GetCell(0, 1, 1).Lesson, 0);
}

}  // namespace
}  // namespace korvant
