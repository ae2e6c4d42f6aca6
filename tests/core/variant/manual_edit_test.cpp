#include <gtest/gtest.h>

#include "core/variant/manual_edit.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::Built;
using testing::LessonIndex;
using testing::ProjectBuilder;

constexpr int kDay = 2;
constexpr int L = 6;

std::vector<unsigned char> Body(const TTableVarItem& v) {
  ByteWriter w;
  v.SaveToStream(w);
  return w.take();
}

// Klasses A, B, C; teachers T0, T1, T2; a two-hour lesson joint over A
// (T0) and B (T1), a lesson of A (T2), of B (T2) and of C (T0).
struct ManualEdit : ::testing::Test {
  ProjectBuilder p{L};
  Built b;
  int A = 0, B = 1, C = 2;
  int T0 = 0, T1 = 1, T2 = 2;
  int joint = -1, jointB = -1, a2 = -1, b2 = -1, c1 = -1;
  int room = -1;

  void SetUp() override {
    const int32_t s = p.Subject();
    p.Room();
    const int32_t ka = p.Klass(), kb = p.Klass(), kc = p.Klass();
    const int32_t t0 = p.Teacher(), t1 = p.Teacher(), t2 = p.Teacher();
    TLessonItem* la = p.Lesson(ka, {{s, t0}}, {2});
    TLessonItem* lb = p.Lesson(kb, {{s, t1}}, {2});
    ProjectBuilder::Link(la, 0, lb, 0);
    const int32_t ia = la->ID(), ib = lb->ID();
    const int32_t i2 = p.Lesson(ka, {{s, t2}}, {1, 1})->ID();
    const int32_t ib2 = p.Lesson(kb, {{s, t2}}, {1, 1, 1, 1, 1, 1})->ID();
    const int32_t ic = p.Lesson(kc, {{s, t0}}, {1, 1, 1, 1, 1, 1})->ID();
    b = Build(p.d);
    joint = LessonIndex(*b.model, A, ia);
    jointB = LessonIndex(*b.model, B, ib);
    a2 = LessonIndex(*b.model, A, i2);
    b2 = LessonIndex(*b.model, B, ib2);
    c1 = LessonIndex(*b.model, C, ic);
    room = 0;
    ASSERT_TRUE(V().PlaceLinkedLesson(A, joint, false, kDay, 1, 2));
  }
  TTableVarItem& V() { return *b.var; }
  TRunModel& M() { return *b.model; }
  void Put(int k, int lesson, int hour) {
    TTableCell c;
    c.Hour = hour;
    c.Lesson = lesson;
    V().SetCell(k, kDay, hour, c);
  }
  void PutDraft(int k, int lesson, int pos) {
    TTableCell c;
    c.Hour = pos;
    c.Lesson = lesson;
    V().SetDraftCell(k, kDay, pos, c);
  }
  void ExpectRefused(int klass, int src, int target) {
    const auto before = Body(V());
    EXPECT_FALSE(CanMoveBlock(V(), kDay, klass, src, target));
    EXPECT_FALSE(MoveBlock(V(), kDay, klass, src, target));
    EXPECT_EQ(Body(V()), before);
  }
};

TEST_F(ManualEdit, BlockMovesWithItsLinkedLessonAndLosesItsRooms) {
  TTableCell first = V().GetCell(A, kDay, 1);
  first.Rooms[0] = static_cast<uint16_t>(room);
  V().SetCell(A, kDay, 1, first);
  ASSERT_EQ(V().GetRoomCell(room, kDay, 1).Klass, A);

  ASSERT_TRUE(MoveBlock(V(), kDay, A, 1, 4));
  for (int k : {A, B}) {
    const int lesson = k == A ? joint : jointB;
    for (int h : {1, 2, 3, 6}) EXPECT_EQ(V().GetCell(k, kDay, h).Lesson, -1) << k << " " << h;
    EXPECT_EQ(V().GetCell(k, kDay, 4), (TTableCell{4, -1, lesson}));
    EXPECT_EQ(V().GetCell(k, kDay, 5), (TTableCell{5, 4, lesson}));
  }
  EXPECT_EQ(V().GetRoomCell(room, kDay, 1).Klass, -1);

  // Onto its own second hour: the ranges overlap and nothing is lost.
  ASSERT_TRUE(MoveBlock(V(), kDay, A, 4, 5)) ;
  EXPECT_EQ(V().GetCell(B, kDay, 5), (TTableCell{5, -1, jointB}));
  EXPECT_EQ(V().GetCell(B, kDay, 6), (TTableCell{6, 5, jointB}));
  EXPECT_EQ(V().GetCell(B, kDay, 4).Lesson, -1);
  // And back to earlier hours the same way.
  ASSERT_TRUE(MoveBlock(V(), kDay, B, 5, 4));
  EXPECT_EQ(V().GetCell(A, kDay, 4), (TTableCell{4, -1, joint}));
  EXPECT_EQ(V().GetCell(A, kDay, 6).Lesson, -1);
}

TEST_F(ManualEdit, RefusedMovesLeaveTheVariantUnchanged) {
  ExpectRefused(A, 1, L);      // the second hour would be L + 1
  ExpectRefused(A, 1, 1);      // no move
  ExpectRefused(A, 2, 4);      // not the first hour of the block
  ExpectRefused(A, 3, 4);      // an empty cell
  Put(A, a2, 5);
  ExpectRefused(A, 1, 4);      // onto another lesson of the klass
  ExpectRefused(A, 1, 5);
  Put(B, b2, 4);
  ExpectRefused(A, 1, 3);      // onto another lesson of the linked klass
  EXPECT_TRUE(CanMoveBlock(V(), kDay, A, 1, 2));
}

TEST_F(ManualEdit, ClosedHoursAndBusyTeachersOfTheLinkedSetRefuseTheMove) {
  EXPECT_TRUE(CanMoveBlock(V(), kDay, A, 1, 3));
  // The linked klass may not have lessons at hour 4.
  M().Klasses[B]->SetBusy((kDay - 1) * kSlotsPerDay + 4, 1);
  ExpectRefused(A, 1, 3);
  EXPECT_TRUE(CanMoveBlock(V(), kDay, A, 1, 2));
  M().Klasses[B]->SetBusy((kDay - 1) * kSlotsPerDay + 4, 0);

  // T0 teaches klass C at hour 4.
  Put(C, c1, 4);
  ExpectRefused(A, 1, 3);
  ExpectRefused(B, 1, 4);
  EXPECT_TRUE(CanMoveBlock(V(), kDay, B, 1, 5));
  V().SetCell(C, kDay, 4, kEmptyCell);

  // T1 closed at hour 5 by wishes: level 0 always, level 2 only under
  // strict wills.
  M().Teachers[T1]->SetBusy((kDay - 1) * kSlotsPerDay + 5, {1, 0});
  ExpectRefused(A, 1, 4);
  M().Teachers[T1]->SetBusy((kDay - 1) * kSlotsPerDay + 5, {1, 2});
  M().TeachersWills = 4;
  EXPECT_TRUE(CanMoveBlock(V(), kDay, A, 1, 4));
  M().TeachersWills = 2;
  ExpectRefused(A, 1, 4);
}

TEST_F(ManualEdit, TeacherLinesFindTheirLessons) {
  Put(C, c1, 4);
  EXPECT_EQ(TeacherFairLessonAt(V(), T0, kDay, 1).Klass, A);
  EXPECT_EQ(TeacherFairLessonAt(V(), T0, kDay, 4).Klass, C);
  EXPECT_FALSE(TeacherFairLessonAt(V(), T0, kDay, 3).Valid());
  PutDraft(C, c1, 1);
  int pos = 0;
  const TLessonRef d = TeacherDraftLessonAt(V(), T0, kDay, 1, &pos);
  EXPECT_EQ(d.Klass, C);
  EXPECT_EQ(d.Lesson, c1);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(FirstFreeTeacherDraft(V(), T0, kDay), 2);
  EXPECT_EQ(FirstFreeKlassDraft(V(), C, kDay), 2);
  int head = 0;
  EXPECT_EQ(FairBlockAt(V(), B, kDay, 2, head), 2);
  EXPECT_EQ(head, 1);
  EXPECT_EQ(FairBlockAt(V(), B, kDay, 3, head), 0);
}

TEST_F(ManualEdit, DraftSpaceIsCheckedTeachersFirstThenKlasses) {
  // Exactly two positions left in T0's draft: the block fits.
  for (int p = 1; p <= 4; ++p) PutDraft(C, c1, p);
  EXPECT_EQ(CheckDraftSpace(V(), kDay, {A, joint}).result, TDraftSpace::Ok);
  PutDraft(C, c1, 5);
  TDraftSpace s = CheckDraftSpace(V(), kDay, {A, joint});
  EXPECT_EQ(s.result, TDraftSpace::TeacherFull);
  EXPECT_EQ(s.who, T0);
  const auto before = Body(V());
  EXPECT_FALSE(MoveLessonToDraft(V(), kDay, {A, joint}));
  EXPECT_EQ(Body(V()), before);

  V().SetDraftCell(C, kDay, 5, kEmptyCell);
  for (int p = 1; p <= 5; ++p) PutDraft(B, b2, p);
  s = CheckDraftSpace(V(), kDay, {B, jointB});
  EXPECT_EQ(s.result, TDraftSpace::KlassFull);
  EXPECT_EQ(s.who, B);
  const auto full = Body(V());
  EXPECT_FALSE(MoveLessonToDraft(V(), kDay, {A, joint}));
  EXPECT_EQ(Body(V()), full);
}

TEST_F(ManualEdit, ToTheDraftAndOffTheDayWithTheLinkedSet) {
  PutDraft(A, a2, 1);
  ASSERT_TRUE(MoveLessonToDraft(V(), kDay, {B, jointB}));
  EXPECT_EQ(V().CountKlassFair(A, kDay), 0);
  EXPECT_EQ(V().CountKlassFair(B, kDay), 0);
  EXPECT_EQ(V().GetDraftCell(A, kDay, 2), (TTableCell{2, -1, joint}));
  EXPECT_EQ(V().GetDraftCell(A, kDay, 3), (TTableCell{3, 2, joint}));
  EXPECT_EQ(V().GetDraftCell(B, kDay, 1), (TTableCell{1, -1, jointB}));
  // Each teacher of the joint lesson has it in the draft, in its own klass.
  EXPECT_EQ(V().CountTeacherDraft(T0, kDay), 2);
  EXPECT_EQ(V().CountTeacherDraft(T1, kDay), 2);
  // Nothing in the fair copy: nothing more to move.
  EXPECT_FALSE(MoveLessonToDraft(V(), kDay, {A, joint}));

  ASSERT_TRUE(TakeLessonOffDay(V(), kDay, {A, joint}));
  EXPECT_EQ(V().CountLessonInDay(A, joint, kDay), 0);
  EXPECT_EQ(V().CountLessonInDay(B, jointB, kDay), 0);
  EXPECT_EQ(V().GetDraftCell(A, kDay, 1).Lesson, a2);  // the rest stays
  EXPECT_FALSE(TakeLessonOffDay(V(), kDay, {A, joint}));
}

TEST_F(ManualEdit, MenuRulesOfClosedDays) {
  EXPECT_FALSE(KlassDayClosed(M(), A, kDay));
  for (int h = 1; h <= L; ++h) M().Klasses[A]->SetBusy((kDay - 1) * kSlotsPerDay + h, 1);
  EXPECT_TRUE(KlassDayClosed(M(), A, kDay));
  EXPECT_TRUE(KlassHourClosed(M(), A, kDay, 3));
  // Closed plus undesired hours reaching L close the teacher's day.
  auto* t2 = M().Teachers[T2];
  ASSERT_NE(t2, nullptr);
  for (int h = 1; h < L; ++h) t2->SetBusy((kDay - 1) * kSlotsPerDay + h, {1, 0});
  EXPECT_FALSE(TeacherDayClosed(M(), T2, kDay));
  t2->SetBusy((kDay - 1) * kSlotsPerDay + L, {1, 1});
  EXPECT_TRUE(TeacherDayClosed(M(), T2, kDay));
  M().TeachersWills = 4;  // undesired hours allowed
  EXPECT_FALSE(TeacherDayClosed(M(), T2, kDay));
}

TEST_F(ManualEdit, GroupLessonsGoToTheDraftsOrOffTheDayOthersKeepTheirPlaceAndRoom) {
  Put(A, a2, 4);
  TTableCell c = V().GetCell(A, kDay, 4);
  c.Rooms[0] = static_cast<uint16_t>(room);
  V().SetCell(A, kDay, 4, c);
  M().Teachers.SetGroups({{T0, T1, -1}, {T2, -1}});

  EXPECT_EQ(CheckGroupDraftSpace(V(), kDay, 0).result, TDraftSpace::Ok);
  ASSERT_TRUE(RegroupDay(M(), V(), kDay, 0, false));
  EXPECT_EQ(V().CountLessonInFair(A, joint, kDay), 0);
  EXPECT_EQ(V().CountLessonInDraft(A, joint, kDay), 2);
  EXPECT_EQ(V().CountLessonInDraft(B, jointB, kDay), 2);
  EXPECT_EQ(V().GetCell(A, kDay, 4).Lesson, a2);
  EXPECT_EQ(V().GetCell(A, kDay, 4).Rooms[0], room);

  ASSERT_TRUE(RegroupDay(M(), V(), kDay, 0, true));
  EXPECT_EQ(V().CountLessonInDay(A, joint, kDay), 0);
  EXPECT_EQ(V().CountLessonInDay(B, jointB, kDay), 0);
  EXPECT_EQ(V().GetCell(A, kDay, 4).Lesson, a2);
}

TEST_F(ManualEdit, GroupDraftSpaceNamesTheFullLine) {
  M().Teachers.SetGroups({{T0, T1, -1}, {T2, -1}});
  for (int p = 1; p <= 5; ++p) PutDraft(C, c1, p);
  TDraftSpace s = CheckGroupDraftSpace(V(), kDay, 0);
  EXPECT_EQ(s.result, TDraftSpace::TeacherFull);
  EXPECT_EQ(s.who, T0);
  for (int p = 1; p <= 5; ++p) V().SetDraftCell(C, kDay, p, kEmptyCell);
  for (int p = 1; p <= 5; ++p) PutDraft(A, a2, p);
  s = CheckGroupDraftSpace(V(), kDay, 0);
  EXPECT_EQ(s.result, TDraftSpace::KlassFull);
  EXPECT_EQ(s.who, A);
}

}  // namespace
}  // namespace korvant
