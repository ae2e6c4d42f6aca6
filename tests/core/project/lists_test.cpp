#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/project/klasses.h"
#include "core/project/rooms.h"
#include "core/project/subjects.h"
#include "core/project/teachers.h"

namespace korvant {
namespace {

std::vector<int> StartLessons(const TKlassItem& k) {
  std::vector<int> v;
  for (int i = 1; k.GetStartLesson(i) != -1; ++i) v.push_back(k.GetStartLesson(i));
  return v;
}
std::vector<int32_t> Parallels(const TKlassItem& k) {
  std::vector<int32_t> v;
  for (int i = 1; k.GetParallel(i) != -1; ++i) v.push_back(k.GetParallel(i));
  return v;
}
std::vector<int32_t> WishedRooms(const TSubjectItem& s) {
  std::vector<int32_t> v;
  for (int i = 0; s.GetWishedRoom(i) != -1; ++i) v.push_back(s.GetWishedRoom(i));
  return v;
}

TEST(ProjectLists, IdentifiersAreNeverGivenTwice) {
  TRoomsCollection rooms;
  EXPECT_EQ(rooms.Add()->ID(), 0);
  EXPECT_EQ(rooms.Add()->ID(), 1);
  rooms.RemoveItem(rooms.FindItemID(1));
  EXPECT_EQ(rooms.Add()->ID(), 2);
  EXPECT_EQ(rooms.GetHeader(), (TListHeader{2, 3}));
}

TEST(ProjectLists, Defaults) {
  TRoomItem r;
  EXPECT_EQ(r.MaxChildren, 30);
  EXPECT_EQ(r.MaxGroups, 1);
  EXPECT_EQ(r.NotStrict, 1);
  TSubjectItem s;
  EXPECT_EQ(s.SanitarKf, 5);
  EXPECT_EQ(s.GetWishedRoom(0), -1);
  TKlassItem k;
  EXPECT_EQ(k.ChildrenInKlass, 30);
  EXPECT_EQ(k.KlassRoom, -1);
  EXPECT_EQ(k.Section, 1);
  EXPECT_EQ(k.GetParallel(1), -1);
  EXPECT_EQ(k.GetStartLesson(1), -1);
  TTeacherItem t;
  EXPECT_EQ(t.TeacherRoom, -1);
  EXPECT_EQ(t.GetBusy(1), (TTeacherHourCell{0, 0}));
}

TEST(ProjectLists, NamesAreCutAndDisplayNamesFallBack) {
  TRoomItem r;
  EXPECT_EQ(cp1251::toUtf8(r.DisplayName()), "Неизвестный кабинет");
  EXPECT_EQ(cp1251::toUtf8(TSubjectItem().DisplayName()), "Неизвестный предмет");
  EXPECT_EQ(cp1251::toUtf8(TKlassItem().DisplayName()), "Неизвестный класс");
  EXPECT_EQ(cp1251::toUtf8(TTeacherItem().DisplayName()), "Неизвестный учитель");

  const std::string cyr = cp1251::fromUtf8("Кабинет информатики и вычислительной техники");
  r.SetName(cyr);
  EXPECT_EQ(r.Name(), cyr.substr(0, 31));  // CP1251: one byte a letter
  r.SetName(std::string("ab\0cd", 5));
  EXPECT_EQ(r.Name(), "ab");
  TTeacherItem t;
  t.SetName(std::string(200, 'x'));
  EXPECT_EQ(t.Name().size(), 127u);
  TSubjectItem s;
  s.SetName(std::string(64, 'y'));
  EXPECT_EQ(s.Name().size(), 63u);
}

TEST(ProjectLists, SlotsOutsideTheWeekAreBusy) {
  TRoomItem r;
  TKlassItem k;
  TTeacherItem t;
  for (int slot : {0, 145, -1}) {
    EXPECT_EQ(r.GetBusy(slot), 1);
    EXPECT_EQ(k.GetBusy(slot), 1);
    EXPECT_EQ(t.GetBusy(slot), (TTeacherHourCell{1, 0}));
    r.SetBusy(slot, 5);
    k.SetBusy(slot, 5);
    t.SetBusy(slot, {1, 3});
  }
  r.SetBusy(144, 2);
  EXPECT_EQ(r.GetBusy(144), 2);
  EXPECT_EQ(r.GetBusy(1), 0);
}

TEST(ProjectLists, KlassSpecializations) {
  TKlassItem k;
  EXPECT_EQ(k.GetSpecialization(0), 1);
  k.SetSpecialization(0, 0);
  EXPECT_EQ(k.GetSpecialization(0), 1);
  k.SetSpecialization(20, 1);
  k.SetSpecialization(21, 1);
  EXPECT_EQ(k.GetSpecialization(20), 1);
  EXPECT_EQ(k.GetSpecialization(21), 0);
  EXPECT_EQ(k.GetSpecialization(19), 0);
}

TEST(ProjectLists, StartLessons) {
  TKlassItem k;
  k.ChangeStartLesson(1, 7);
  k.ChangeStartLesson(1, 2);
  k.ChangeStartLesson(1, 5);
  EXPECT_EQ(StartLessons(k), (std::vector<int>{2, 5, 7}));
  k.ChangeStartLesson(1, 5);
  k.ChangeStartLesson(1, 25);
  k.ChangeStartLesson(1, 0);
  k.ChangeStartLesson(0, 9);
  EXPECT_EQ(StartLessons(k), (std::vector<int>{2, 5, 7}));
  k.ChangeStartLesson(-1, 5);
  k.ChangeStartLesson(-1, 9);
  EXPECT_EQ(StartLessons(k), (std::vector<int>{2, 7}));
  EXPECT_EQ(k.GetStartLesson(3), -1);
  EXPECT_EQ(k.GetStartLesson(0), -1);
  // The hours a day begins at: a closed first hour gives way to the next
  // open one; none past the day's last hour (8 here).
  k.ChangeStartLesson(1, 9);
  k.SetBusy(2, 1), k.SetBusy(3, 1), k.SetBusy(kSlotsPerDay + 7, 1), k.SetBusy(kSlotsPerDay + 8, 1);
  EXPECT_EQ(KlassDayStarts(k, 1, 8), 1u << 3 | 1u << 6);  // hours 4 and 7
  EXPECT_EQ(KlassDayStarts(k, 2, 8), 1u << 1);             // hour 2; 7 and 8 closed
  EXPECT_EQ(KlassDayStarts(TKlassItem{}, 1, 8), 0u);

  TKlassItem full;
  for (int l = 24; l >= 1; --l) full.ChangeStartLesson(1, l);
  EXPECT_EQ(full.GetStartLesson(1), 1);
  EXPECT_EQ(full.GetStartLesson(24), 24);
  EXPECT_EQ(full.GetStartLesson(25), -1);
  full.ChangeStartLesson(-1, 24);
  full.ChangeStartLesson(-1, 1);
  EXPECT_EQ(full.GetStartLesson(1), 2);
  EXPECT_EQ(full.GetStartLesson(22), 23);
  EXPECT_EQ(full.GetStartLesson(23), -1);
}

TEST(ProjectLists, Parallels) {
  TKlassItem k;
  k.ChangeParallel(1, 4);
  k.ChangeParallel(1, 4);
  k.ChangeParallel(1, -1);
  k.ChangeParallel(0, 6);
  k.ChangeParallel(1, 0);
  EXPECT_EQ(Parallels(k), (std::vector<int32_t>{4, 0}));
  for (int32_t id = 10; id < 20; ++id) k.ChangeParallel(1, id);
  EXPECT_EQ(Parallels(k).size(), 10u);
  EXPECT_EQ(k.GetParallel(10), 17);
  EXPECT_EQ(k.GetParallel(11), -1);
  EXPECT_EQ(k.GetParallel(0), -1);
  k.ChangeParallel(-1, 99);  // not held: the full list stays
  EXPECT_EQ(Parallels(k).size(), 10u);
  k.ChangeParallel(-1, 4);
  EXPECT_EQ(Parallels(k), (std::vector<int32_t>{0, 10, 11, 12, 13, 14, 15, 16, 17}));
  EXPECT_EQ(k.GetParallel(10), -1);
}

TEST(ProjectLists, WishedRooms) {
  const int32_t A = 10, B = 11, R = 12;
  TSubjectItem s;
  s.ChangeWishedRoom(0, A);
  s.ChangeWishedRoom(1, B);
  s.ChangeWishedRoom(1, R);
  EXPECT_EQ(WishedRooms(s), (std::vector<int32_t>{A, R, B}));

  TSubjectItem t;
  t.ChangeWishedRoom(0, A);
  t.ChangeWishedRoom(1, B);
  t.ChangeWishedRoom(5, R);
  EXPECT_EQ(WishedRooms(t), (std::vector<int32_t>{A, B, R}));
  t.ChangeWishedRoom(0, R);   // already held
  t.ChangeWishedRoom(0, -3);  // no room
  t.ChangeWishedRoom(11, 50);
  t.ChangeWishedRoom(0, 7);
  EXPECT_EQ(WishedRooms(t), (std::vector<int32_t>{7, A, B, R}));
  t.ChangeWishedRoom(-1, A);
  t.ChangeWishedRoom(-1, 99);
  EXPECT_EQ(WishedRooms(t), (std::vector<int32_t>{7, B, R}));
  EXPECT_EQ(t.GetWishedRoom(3), -1);
  EXPECT_EQ(t.GetWishedRoom(-1), -1);

  TSubjectItem full;
  for (int32_t id = 0; id < 11; ++id) full.ChangeWishedRoom(10, id);
  EXPECT_EQ(WishedRooms(full).size(), 10u);
  EXPECT_EQ(full.GetWishedRoom(9), 9);
  EXPECT_EQ(full.GetWishedRoom(10), -1);
  full.ChangeWishedRoom(-1, 0);
  EXPECT_EQ(full.GetWishedRoom(0), 1);
  EXPECT_EQ(full.GetWishedRoom(9), -1);
}

TEST(ProjectLists, AssignCopiesEverythingButTheIdentifier) {
  TKlassesCollection klasses;
  TKlassItem* a = klasses.Add();
  TKlassItem* b = klasses.Add();
  a->SetName("5A");
  a->SetSpecialization(3, 1);
  a->ChildrenInKlass = 22;
  a->KlassRoom = 4;
  a->SetBusy(10, 1);
  a->ChangeStartLesson(1, 2);
  a->ChangeParallel(1, 9);
  a->Section = 0;
  b->Assign(*a);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(b->Name(), "5A");
  EXPECT_EQ(b->GetSpecialization(3), 1);
  EXPECT_EQ(b->ChildrenInKlass, 22);
  EXPECT_EQ(b->KlassRoom, 4);
  EXPECT_EQ(b->GetBusy(10), 1);
  EXPECT_EQ(StartLessons(*b), std::vector<int>{2});
  EXPECT_EQ(Parallels(*b), std::vector<int32_t>{9});
  EXPECT_EQ(b->Section, 0);

  TTeacherItem t1, t2;
  t1.SetID(5);
  t1.SetName("T");
  t1.PlanLessCnt = 18;
  t1.SetBusy(3, {1, 2});
  t2.Assign(t1);
  EXPECT_EQ(t2.ID(), 0);
  EXPECT_EQ(t2.PlanLessCnt, 18);
  EXPECT_EQ(t2.GetBusy(3), (TTeacherHourCell{1, 2}));
}

TEST(ProjectLists, ResolveReferencesTurnsIdentifiersIntoPositions) {
  TRoomsCollection rooms;
  rooms.SetNextID(3);
  rooms.Add();  // id 3, position 0
  rooms.Add();  // id 4, position 1

  TKlassesCollection klasses;
  TKlassItem* k0 = klasses.Add();  // id 0
  TKlassItem* k1 = klasses.Add();  // id 1
  TKlassItem* k2 = klasses.Add();  // id 2
  klasses.Move(0, 2);              // positions: 1, 2, 0
  k0->KlassRoom = 4;
  k0->ChangeParallel(1, 77);
  k0->ChangeParallel(1, 1);
  k0->ChangeParallel(1, 2);
  k1->KlassRoom = 99;
  k2->ChangeParallel(1, 0);
  klasses.ResolveReferences(rooms);
  EXPECT_EQ(k0->KlassRoom, 1);
  EXPECT_EQ(Parallels(*k0), (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(k1->KlassRoom, -1);
  EXPECT_EQ(k2->KlassRoom, -1);
  EXPECT_EQ(Parallels(*k2), std::vector<int32_t>{2});

  TSubjectsCollection subjects;
  TSubjectItem* s = subjects.Add();
  s->ChangeWishedRoom(10, 50);
  s->ChangeWishedRoom(10, 4);
  s->ChangeWishedRoom(10, 3);
  subjects.ResolveReferences(rooms);
  EXPECT_EQ(WishedRooms(*s), (std::vector<int32_t>{1, 0}));

  TTeachersCollection teachers;
  TTeacherItem* t = teachers.Add();
  TTeacherItem* u = teachers.Add();
  t->TeacherRoom = 3;
  u->TeacherRoom = 0;  // no room has identifier 0
  teachers.ResolveReferences(rooms);
  EXPECT_EQ(t->TeacherRoom, 0);
  EXPECT_EQ(u->TeacherRoom, -1);
}

TEST(ProjectLists, CountFreeRooms) {
  TRoomsCollection rooms;
  rooms.Add()->SetBusy(1, 1);
  rooms.Add()->SetBusy(144, 3);
  rooms.Add()->SetBusy(1, 2);
  rooms.CountFreeRooms();
  EXPECT_EQ(rooms.FreeCount[0], 1);
  EXPECT_EQ(rooms.FreeCount[1], 3);
  EXPECT_EQ(rooms.FreeCount[143], 2);
}

}  // namespace
}  // namespace korvant
