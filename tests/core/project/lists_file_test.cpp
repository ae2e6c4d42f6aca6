#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/project/klasses.h"
#include "core/project/rooms.h"
#include "core/project/subjects.h"
#include "core/project/teachers.h"

namespace korvant {
namespace {

using Bytes = std::vector<unsigned char>;

// A record image built field by field at its offsets; everything else zero.
struct Image {
  explicit Image(std::size_t n) : b(n, 0) {}
  Image& i32(std::size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i));
    return *this;
  }
  Image& u16(std::size_t at, uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
    return *this;
  }
  Image& u8(std::size_t at, uint8_t v) { b[at] = v; return *this; }
  Image& text(std::size_t at, const std::string& s) {
    std::memcpy(b.data() + at, s.data(), s.size());
    return *this;
  }
  Bytes b;
};

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

const TFileSignature kV10 = TFileSignature::Make("TIME-TABLE", 1, 0);
const TFileSignature kV11 = TFileSignature::Make("TIME-TABLE", 1, 1);
const TFileSignature kV12 = TFileSignature::Make("TIME-TABLE", 1, 2);

template <class Coll>
Bytes Save(const Coll& c) {
  ByteWriter w;
  c.SaveToStream(w);
  return w.take();
}

TEST(ListSections, RoomRecordImage) {
  TRoomsCollection rooms;
  rooms.SetNextID(7);
  TRoomItem* r = rooms.Add();
  r->SetName("101");
  r->MaxChildren = 25;
  r->MaxGroups = 2;
  r->Specialization = 3;
  r->NotStrict = 0;
  r->SetBusy(1, 1);
  r->SetBusy(144, 2);
  Image e(188);
  e.i32(0, 7).text(4, "101").u16(36, 25).u16(38, 2).u8(40, 3).u8(41, 0).u8(42, 1).u8(42 + 143, 2);
  EXPECT_EQ(Save(rooms), e.b);
}

TEST(ListSections, SubjectRecordImage) {
  TSubjectsCollection subjects;
  subjects.SetNextID(2);
  TSubjectItem* s = subjects.Add();
  const std::string name = cp1251::fromUtf8("Физика");
  s->SetName(name);
  s->SanitarKf = 8;
  s->Specialization = 4;
  s->NotStrict = 0;
  s->ChangeWishedRoom(0, 7);
  s->ChangeWishedRoom(1, 3);
  Image e(116);
  e.i32(0, 2).text(4, name).u16(68, 8).u8(70, 4).u8(71, 0).i32(72, 7).i32(76, 3);
  for (int i = 2; i < 11; ++i) e.i32(72 + 4 * static_cast<std::size_t>(i), -1);
  EXPECT_EQ(Save(subjects), e.b);
}

TEST(ListSections, KlassRecordImage) {
  TKlassesCollection klasses;
  klasses.SetNextID(3);
  TKlassItem* k = klasses.Add();
  const std::string name = cp1251::fromUtf8("5А");
  k->SetName(name);
  k->SetSpecialization(2, 1);
  k->SetSpecialization(20, 1);
  k->ChildrenInKlass = 28;
  k->KlassRoom = 7;
  k->SetBusy(10, 1);
  k->ChangeStartLesson(1, 3);
  k->ChangeStartLesson(1, 1);
  k->ChangeParallel(1, 9);
  k->ChangeParallel(1, 4);
  k->Section = 2;
  Image e(304);
  e.i32(0, 3).text(4, name).u8(36 + 1, 1).u8(36 + 19, 1).u16(56, 28).i32(60, 7).u8(64 + 9, 1);
  e.u16(208, 1).u16(210, 3);
  for (std::size_t i = 2; i < 25; ++i) e.u16(208 + 2 * i, 0xFFFF);
  e.i32(260, 9).i32(264, 4);
  for (std::size_t i = 2; i < 10; ++i) e.i32(260 + 4 * i, -1);
  e.i32(300, 2);
  EXPECT_EQ(Save(klasses), e.b);
}

TEST(ListSections, TeacherRecordImage) {
  TTeachersCollection teachers;
  teachers.SetNextID(5);
  TTeacherItem* t = teachers.Add();
  t->SetName("Ivanova");
  t->TeacherRoom = 7;
  t->MetodicalDays = 1;
  t->SetBusy(2, {1, 3});
  t->SetBusy(144, {0, 2});
  t->PlanLessCnt = 18;
  Image e(432);
  e.i32(0, 5).text(4, "Ivanova").i32(132, 7).i32(136, 1).u8(142, 1).u8(143, 3).u8(140 + 286 + 1, 2);
  e.i32(428, 18);
  EXPECT_EQ(Save(teachers), e.b);
}

TEST(ListSections, NameBytesAfterTheTerminatorAreZero) {
  TRoomsCollection rooms;
  TRoomItem* r = rooms.Add();
  r->SetName(std::string(40, 'z'));
  r->SetName("ab");  // a shorter name over a longer one leaves no trace
  const Bytes b = Save(rooms);
  for (std::size_t i = 6; i < 36; ++i) EXPECT_EQ(b[i], 0) << i;
  rooms.GetItem(0)->SetName(std::string(40, 'z'));
  const Bytes c = Save(rooms);
  EXPECT_EQ(c[34], 'z');
  EXPECT_EQ(c[35], 0);  // cut to 31 bytes and terminated
}

TEST(ListSections, UnnamedRoomIsSavedWithTheCatalogueName) {
  TRoomsCollection rooms;
  rooms.Add();
  Bytes b = Save(rooms);
  ByteReader r(b);
  TRoomsCollection back;
  ASSERT_TRUE(back.LoadFromStream(rooms.GetHeader(), r));
  EXPECT_EQ(cp1251::toUtf8(back.GetItem(0)->Name()), "Неизвестный кабинет");
}

TEST(ListSections, RoundTripOfAllFourListsInOneImage) {
  TRoomsCollection rooms;
  TSubjectsCollection subjects;
  TKlassesCollection klasses;
  TTeachersCollection teachers;
  for (int i = 0; i < 3; ++i) {
    TRoomItem* r = rooms.Add();
    r->SetName(std::string(1, 'R').append(std::to_string(i)));
    r->SetBusy(i + 1, 1);
    TSubjectItem* s = subjects.Add();
    s->SetName(std::string(1, 'S').append(std::to_string(i)));
    s->ChangeWishedRoom(10, i);
    TKlassItem* k = klasses.Add();
    k->SetName(std::string(1, 'K').append(std::to_string(i)));
    k->ChangeStartLesson(1, i + 1);
    k->ChangeParallel(1, (i + 1) % 3);
    k->Section = i;
    TTeacherItem* t = teachers.Add();
    t->SetName(std::string(1, 'T').append(std::to_string(i)));
    t->SetBusy(i + 1, {1, static_cast<uint8_t>(i)});
    t->PlanLessCnt = 10 + i;
  }
  rooms.RemoveItem(rooms.GetItem(1));
  ByteWriter w;
  rooms.SaveToStream(w);
  subjects.SaveToStream(w);
  klasses.SaveToStream(w);
  teachers.SaveToStream(w);
  const Bytes image = w.take();
  ASSERT_EQ(image.size(), 2 * 188u + 3 * 116u + 3 * 304u + 3 * 432u);

  ByteReader r(image);
  TRoomsCollection rooms2;
  TSubjectsCollection subjects2;
  TKlassesCollection klasses2;
  TTeachersCollection teachers2;
  ASSERT_TRUE(rooms2.LoadFromStream(rooms.GetHeader(), r));
  ASSERT_TRUE(subjects2.LoadFromStream(subjects.GetHeader(), r));
  ASSERT_TRUE(klasses2.LoadFromStream(klasses.GetHeader(), r, ProjectSignature));
  ASSERT_TRUE(teachers2.LoadFromStream(teachers.GetHeader(), r, ProjectSignature));
  EXPECT_EQ(r.remaining(), 0u);

  EXPECT_EQ(rooms2.GetHeader(), (TListHeader{2, 3}));
  EXPECT_EQ(rooms2.GetItem(1)->ID(), 2);
  EXPECT_EQ(rooms2.GetItem(1)->Name(), "R2");
  EXPECT_EQ(rooms2.GetItem(1)->GetBusy(3), 1);
  EXPECT_EQ(subjects2.GetItem(2)->GetWishedRoom(0), 2);
  EXPECT_EQ(klasses2.GetItem(1)->GetStartLesson(1), 2);
  EXPECT_EQ(klasses2.GetItem(2)->GetParallel(1), 0);
  EXPECT_EQ(klasses2.GetItem(2)->Section, 2);
  EXPECT_EQ(teachers2.GetItem(2)->GetBusy(3), (TTeacherHourCell{1, 2}));
  EXPECT_EQ(teachers2.GetItem(2)->PlanLessCnt, 12);

  // Written again, the image is the same byte for byte.
  ByteWriter again;
  rooms2.SaveToStream(again);
  subjects2.SaveToStream(again);
  klasses2.SaveToStream(again);
  teachers2.SaveToStream(again);
  EXPECT_EQ(again.data(), image);
}

TEST(ListSections, KlassRecordsOfVersion10HaveNoSection) {
  Image k(300);
  k.i32(0, 4).text(4, "7B").u16(56, 31).i32(60, -1).u16(208, 2).u16(210, 0xFFFF).i32(260, -1);
  Image k2(300);
  k2.i32(0, 6).text(4, "7C").u16(56, 20).i32(60, 2).u16(208, 0).u16(210, 0).i32(260, 4).i32(264, -1);
  const Bytes image = Concat({k.b, k2.b});
  ByteReader r(image);
  TKlassesCollection klasses;
  ASSERT_TRUE(klasses.LoadFromStream({2, 7}, r, kV10));
  EXPECT_EQ(r.pos(), 600u);
  ASSERT_EQ(klasses.Count(), 2);
  EXPECT_EQ(klasses.GetItem(0)->Section, 1);
  EXPECT_EQ(klasses.GetItem(0)->ChildrenInKlass, 31);
  EXPECT_EQ(klasses.GetItem(0)->GetStartLesson(1), 2);
  EXPECT_EQ(klasses.GetItem(0)->GetStartLesson(2), -1);
  EXPECT_EQ(klasses.GetItem(1)->ID(), 6);
  EXPECT_EQ(klasses.GetItem(1)->Name(), "7C");
  EXPECT_EQ(klasses.GetItem(1)->KlassRoom, 2);
  EXPECT_EQ(klasses.GetItem(1)->GetParallel(1), 4);
  EXPECT_EQ(klasses.GetItem(1)->Section, 1);
  EXPECT_EQ(klasses.NextID(), 7);

  // The same record in the current layout keeps its stored Section.
  Image k3(304);
  k3.i32(0, 4).text(4, "7B").i32(60, -1).i32(260, -1).i32(300, 0);
  ByteReader r3(k3.b);
  ASSERT_TRUE(klasses.LoadFromStream({1, 5}, r3, kV11));
  EXPECT_EQ(klasses.GetItem(0)->Section, 0);
}

TEST(ListSections, TeacherRecordsBefore12HaveNoPlan) {
  Image t(428);
  t.i32(0, 1).text(4, "Petrov").i32(132, 3).i32(136, 2).u8(140, 1).u8(141, 2);
  Image t2(428);
  t2.i32(0, 2).text(4, "Sidorov").i32(132, -1);
  const Bytes image = Concat({t.b, t2.b});
  for (const TFileSignature& sig : {kV10, kV11}) {
    ByteReader r(image);
    TTeachersCollection teachers;
    ASSERT_TRUE(teachers.LoadFromStream({2, 3}, r, sig));
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(teachers.GetItem(0)->TeacherRoom, 3);
    EXPECT_EQ(teachers.GetItem(0)->MetodicalDays, 2);
    EXPECT_EQ(teachers.GetItem(0)->GetBusy(1), (TTeacherHourCell{1, 2}));
    EXPECT_EQ(teachers.GetItem(0)->PlanLessCnt, 0);
    EXPECT_EQ(teachers.GetItem(1)->Name(), "Sidorov");
  }
  Image t3(432);
  t3.i32(0, 1).i32(132, -1).i32(428, 21);
  ByteReader r3(t3.b);
  TTeachersCollection teachers;
  ASSERT_TRUE(teachers.LoadFromStream({1, 2}, r3, kV12));
  EXPECT_EQ(teachers.GetItem(0)->PlanLessCnt, 21);
}

TEST(ListSections, StoredListsPassThroughTheChangeOperations) {
  Image k(304);
  // Start lessons out of order, duplicated and out of range; parallels with
  // holes and duplicates.
  k.i32(0, 0).u16(208, 9).u16(210, 0).u16(212, 3).u16(214, 25).u16(216, 9).u16(218, 0xFFFF);
  k.i32(260, -1).i32(264, 5).i32(268, 5).i32(272, 2);
  for (std::size_t i = 4; i < 10; ++i) k.i32(260 + 4 * i, -1);
  ByteReader r(k.b);
  TKlassesCollection klasses;
  ASSERT_TRUE(klasses.LoadFromStream({1, 1}, r, ProjectSignature));
  const TKlassItem* item = klasses.GetItem(0);
  EXPECT_EQ(item->GetStartLesson(1), 3);
  EXPECT_EQ(item->GetStartLesson(2), 9);
  EXPECT_EQ(item->GetStartLesson(3), -1);
  EXPECT_EQ(item->GetParallel(1), 5);
  EXPECT_EQ(item->GetParallel(2), 2);
  EXPECT_EQ(item->GetParallel(3), -1);
}

TEST(ListSections, NameWithoutTerminatorIsCutAtItsArray) {
  Image rec(188);
  for (std::size_t i = 4; i < 36; ++i) rec.u8(i, 'q');
  ByteReader r(rec.b);
  TRoomsCollection rooms;
  ASSERT_TRUE(rooms.LoadFromStream({1, 1}, r));
  EXPECT_EQ(rooms.GetItem(0)->Name(), std::string(31, 'q'));
}

TEST(ListSections, NextIdentifierIsRaisedPastStoredOnes) {
  Image a(188), b(188);
  a.i32(0, 12);
  b.i32(0, 3);
  const Bytes image = Concat({a.b, b.b});
  ByteReader r(image);
  TRoomsCollection rooms;
  ASSERT_TRUE(rooms.LoadFromStream({2, 4}, r));  // the header lies: 4
  EXPECT_EQ(rooms.NextID(), 13);
  EXPECT_EQ(rooms.Add()->ID(), 13);

  ByteReader empty;
  ASSERT_TRUE(rooms.LoadFromStream({0, -8}, empty));
  EXPECT_EQ(rooms.Count(), 0);
  EXPECT_EQ(rooms.Add()->ID(), 0);
}

// A derived collection standing for the planner's run-time copies: loading
// and adding must create its own record class.
struct TMarkedKlass : TKlassItem {
  int mark = 42;
};
class TMarkedKlasses : public TKlassesCollection {
 protected:
  std::unique_ptr<TKlassItem> NewItem() const override { return std::make_unique<TMarkedKlass>(); }
};

TEST(ListSections, DerivedCollectionsCreateTheirOwnRecords) {
  TKlassesCollection source;
  source.Add()->SetName("1A");
  const Bytes image = Save(source);
  ByteReader r(image);
  TMarkedKlasses marked;
  ASSERT_TRUE(marked.LoadFromStream(source.GetHeader(), r, ProjectSignature));
  auto* k = dynamic_cast<TMarkedKlass*>(marked.GetItem(0));
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->mark, 42);
  EXPECT_NE(dynamic_cast<TMarkedKlass*>(marked.Add()), nullptr);
}

class BadSections : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 2; ++i) {
      rooms.Add();
      subjects.Add();
      klasses.Add();
      teachers.Add();
    }
  }
  // Loads each list from data under header; every refusal must leave the
  // collection empty.
  void ExpectAllRefused(const Bytes& roomsData, const Bytes& subjectsData, const Bytes& klassesData,
                        const Bytes& teachersData, TListHeader h, const TFileSignature& sig = ProjectSignature) {
    ByteReader r1(roomsData), r2(subjectsData), r3(klassesData), r4(teachersData);
    EXPECT_FALSE(rooms.LoadFromStream(h, r1));
    EXPECT_FALSE(subjects.LoadFromStream(h, r2));
    EXPECT_FALSE(klasses.LoadFromStream(h, r3, sig));
    EXPECT_FALSE(teachers.LoadFromStream(h, r4, sig));
    EXPECT_EQ(rooms.Count(), 0);
    EXPECT_EQ(subjects.Count(), 0);
    EXPECT_EQ(klasses.Count(), 0);
    EXPECT_EQ(teachers.Count(), 0);
    EXPECT_EQ(rooms.NextID(), 0);
    EXPECT_EQ(teachers.NextID(), 0);
  }
  TRoomsCollection rooms;
  TSubjectsCollection subjects;
  TKlassesCollection klasses;
  TTeachersCollection teachers;
};

TEST_F(BadSections, CountLargerThanTheData) {
  ExpectAllRefused(Bytes(188), Bytes(116), Bytes(304), Bytes(432), {2, 2});
  ExpectAllRefused(Bytes(188), Bytes(116), Bytes(304), Bytes(432), {INT32_MAX, 0});
}

TEST_F(BadSections, NegativeCount) {
  ExpectAllRefused(Bytes(188), Bytes(116), Bytes(304), Bytes(432), {-1, 0});
  ExpectAllRefused(Bytes(188), Bytes(116), Bytes(304), Bytes(432), {INT32_MIN, 0});
}

TEST_F(BadSections, ShortBuffer) {
  ExpectAllRefused(Bytes(187), Bytes(115), Bytes(303), Bytes(431), {1, 1});
  ExpectAllRefused(Bytes(), Bytes(), Bytes(), Bytes(), {1, 1});
  // Long enough for the old layouts, too short for the current one.
  Bytes k300(300), t428(428);
  ByteReader rk(k300), rt(t428);
  EXPECT_FALSE(klasses.LoadFromStream({1, 1}, rk, kV11));
  EXPECT_FALSE(teachers.LoadFromStream({1, 1}, rt, kV12));
}

TEST_F(BadSections, IdentifiersTheCounterCannotPass) {
  Image neg(188), max(188);
  neg.i32(0, -1);
  max.i32(0, INT32_MAX);
  for (const Bytes& rec : {neg.b, max.b}) {
    Bytes withGood = Concat({Bytes(188), rec});
    ByteReader r(withGood);
    EXPECT_FALSE(rooms.LoadFromStream({2, 0}, r));
    EXPECT_EQ(rooms.Count(), 0);
  }
  Image kneg(304);
  kneg.i32(0, -5);
  ByteReader rk(kneg.b);
  EXPECT_FALSE(klasses.LoadFromStream({1, 0}, rk, ProjectSignature));
  EXPECT_EQ(klasses.Count(), 0);
}

TEST_F(BadSections, UnknownFileVersions) {
  const Bytes k(304), t(432);
  for (const TFileSignature& sig :
       {TFileSignature::Make("TIME-TABLE", 0, 9), TFileSignature::Make("TIME-TABLE", 1, 4),
        TFileSignature::Make("TIME-TABLE", 2, 0), VarSignature}) {
    ByteReader rk(k), rt(t);
    EXPECT_FALSE(klasses.LoadFromStream({1, 1}, rk, sig));
    EXPECT_FALSE(teachers.LoadFromStream({1, 1}, rt, sig));
  }
}

TEST_F(BadSections, FailedReaderIsRefused) {
  Bytes data(188);
  ByteReader r(data);
  r.skip(1000);  // marks the reader failed
  EXPECT_FALSE(rooms.LoadFromStream({0, 0}, r));
}

}  // namespace
}  // namespace korvant
