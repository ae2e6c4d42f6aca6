#include <gtest/gtest.h>

#include <vector>

#include "base/cp1251.h"
#include "core/project/lessons.h"

namespace korvant {
namespace {

std::vector<int> Words(const TLessonItem& l) {
  std::vector<int> w;
  for (int i = 1; i <= kQuantWords; ++i) w.push_back(l.GetQuant(i));
  return w;
}

std::vector<int> Blocks(std::initializer_list<int> front, std::initializer_list<int> back = {}) {
  std::vector<int> w(kQuantWords, 0);
  int i = 0;
  for (int v : front) w[static_cast<std::size_t>(i++)] = v;
  i = kQuantWords - 1;
  for (int v : back) w[static_cast<std::size_t>(i--)] = v;
  return w;
}

// ---- quants ----

TEST(LessonQuants, InsertKeepsAscendingOrderAfterEqualBlocks) {
  TLessonItem l;
  EXPECT_TRUE(l.ChangeQuant(+1, 1));
  EXPECT_TRUE(l.ChangeQuant(+1, 1));
  EXPECT_TRUE(l.ChangeQuant(+1, 2));
  EXPECT_EQ(Words(l), Blocks({1, 1, 2}));
  EXPECT_TRUE(l.ChangeQuant(+1, 1));
  EXPECT_EQ(Words(l), Blocks({1, 1, 1, 2}));
  EXPECT_EQ(l.QuantsCount(), 4);
  EXPECT_EQ(l.QuantsSum(), 5);
  EXPECT_EQ(l.QuantAt(4), 2);
  EXPECT_EQ(l.QuantAt(5), 0);
  EXPECT_EQ(l.QuantAt(0), 0);
}

TEST(LessonQuants, InsertBeforeLargerBlockKeepsSeparatedList) {
  TLessonItem l;
  l.ChangeQuant(+1, 2);
  l.SetQuant(21, 2);  // block 2 separated
  ASSERT_EQ(l.SepQuantsCount(), 1);
  EXPECT_TRUE(l.ChangeQuant(+1, 1));
  EXPECT_EQ(Words(l), Blocks({1, 2}, {2}));
  EXPECT_TRUE(l.ChangeQuant(-1, 1));
  EXPECT_EQ(Words(l), Blocks({2}, {2}));
  EXPECT_EQ(l.SepQuantsCount(), 1);
}

TEST(LessonQuants, RemoveTakesFirstEqualBlockOnly) {
  TLessonItem l;
  for (int v : {1, 2, 2, 3}) l.ChangeQuant(+1, v);
  EXPECT_TRUE(l.ChangeQuant(-1, 2));
  EXPECT_EQ(Words(l), Blocks({1, 2, 3}));
  EXPECT_FALSE(l.ChangeQuant(-1, 5));
  EXPECT_EQ(Words(l), Blocks({1, 2, 3}));
}

TEST(LessonQuants, InvalidInputChangesNothing) {
  TLessonItem l;
  l.ChangeQuant(+1, 2);
  EXPECT_FALSE(l.ChangeQuant(0, 1));
  EXPECT_FALSE(l.ChangeQuant(+1, 0));
  EXPECT_FALSE(l.ChangeQuant(+1, -3));
  EXPECT_FALSE(l.ChangeQuant(+1, 25));
  EXPECT_EQ(Words(l), Blocks({2}));
  l.SetQuant(0, 9);
  l.SetQuant(22, 9);
  EXPECT_EQ(Words(l), Blocks({2}));
  EXPECT_EQ(l.GetQuant(22), 0);
}

TEST(LessonQuants, ListsNeverMeet) {
  TLessonItem l;
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(l.ChangeQuant(+1, 1));
  // Twenty blocks fill the words up to the last, which stays the end mark.
  EXPECT_FALSE(l.ChangeQuant(+1, 1));
  EXPECT_EQ(l.QuantsCount(), 20);
  EXPECT_EQ(l.GetQuant(21), 0);

  TLessonItem s;
  s.SetQuant(21, 1);
  s.SetQuant(20, 1);
  s.SetQuant(19, 2);
  for (int i = 0; i < 17; ++i) EXPECT_TRUE(s.ChangeQuant(+1, 1));
  EXPECT_FALSE(s.ChangeQuant(+1, 1));
  EXPECT_EQ(s.QuantsCount(), 17);
  EXPECT_EQ(s.GetQuant(18), 0);
  EXPECT_EQ(s.SepQuantsCount(), 3);
}

TEST(LessonQuants, InsertClearsLeftoverWordAfterNewEnd) {
  TLessonItem l;
  l.SetQuant(1, 1);
  l.SetQuant(3, 7);  // stray word behind the end mark
  EXPECT_TRUE(l.ChangeQuant(+1, 2));
  EXPECT_EQ(Words(l), Blocks({1, 2}));
}

// ---- block choice ----

TEST(LessonQuantChoice, CursorWalksDistinctUnplacedLengths) {
  TLessonItem l;
  for (int v : {1, 1, 2, 3}) l.ChangeQuant(+1, v);
  l.QuantDays[2] = 4;  // the block of 2 is on Thursday

  l.CountFreeQuants();
  EXPECT_EQ(l.FreeQuantsCount, 3);
  EXPECT_EQ(l.MaxFreeQuant(1), 3);

  int sum = 10;
  l.SelectQuant(sum, 2, 4);  // usable on its own day
  EXPECT_EQ(l.QuantCursor(), 3);
  EXPECT_EQ(l.CurrentQuant(), 2);
  EXPECT_EQ(sum, 12);
  l.SelectQuant(sum, 2, 1);  // not on Monday
  EXPECT_EQ(l.QuantCursor(), 0);
  EXPECT_EQ(sum, 12);

  sum = 0;
  l.ResetQuantCursor();
  ASSERT_TRUE(l.NextQuant(sum));
  EXPECT_EQ(l.QuantCursor(), 1);
  EXPECT_EQ(sum, 1);
  ASSERT_TRUE(l.NextQuant(sum));  // skips the second 1 and the placed 2
  EXPECT_EQ(l.QuantCursor(), 4);
  EXPECT_EQ(sum, 3);
  EXPECT_FALSE(l.NextQuant(sum));
  EXPECT_EQ(l.QuantCursor(), 4);
  EXPECT_EQ(sum, 0);
}

TEST(LessonQuantChoice, ForcedLengthAndReset) {
  TLessonItem l;
  l.ChangeQuant(+1, 2);
  l.QuantDays[0] = 3;
  EXPECT_EQ(l.MaxFreeQuant(1), 0);
  EXPECT_EQ(l.MaxFreeQuant(3), 2);
  l.IsFixed = 1;
  l.FixedLength = 5;
  EXPECT_EQ(l.MaxFreeQuant(1), 5);
  int sum = 0;
  l.SelectQuant(sum, 2, 3);
  EXPECT_EQ(l.CurrentQuant(), 2);
  l.ResetQuantChoice();
  EXPECT_EQ(l.CurrentQuant(), 0);
  EXPECT_EQ(l.FixedLength, 0);
}

// ---- links and groups ----

TEST(LessonLinks, AppendRemoveAndLimits) {
  TLessonSubItem g;
  EXPECT_EQ(g.LinksCount(), 0);
  g.ChangeLink(+1, {7, 0});
  g.ChangeLink(+1, {7, 0});
  EXPECT_EQ(g.LinksCount(), 1);
  g.ChangeLink(+1, {7, 1});  // same lesson, other group: distinct
  for (int id = 8; id <= 10; ++id) g.ChangeLink(+1, {id, 0});
  EXPECT_EQ(g.LinksCount(), 5);
  g.ChangeLink(+1, {11, 0});
  EXPECT_EQ(g.LinksCount(), 5);
  g.ChangeLink(-1, {99, 0});
  EXPECT_EQ(g.LinksCount(), 5);
  g.ChangeLink(+1, {-1, 0});
  g.ChangeLink(0, {12, 0});
  EXPECT_EQ(g.LinksCount(), 5);

  g.ChangeLink(-1, {7, 1});
  EXPECT_EQ(g.LinksCount(), 4);
  EXPECT_EQ(g.GetLink(2), (TLessonLink{8, 0}));
  EXPECT_EQ(g.GetLink(4), (TLessonLink{10, 0}));
  EXPECT_EQ(g.GetLink(5).LessonID, -1);
  EXPECT_EQ(g.GetLink(0).LessonID, -1);
  EXPECT_EQ(g.GetLink(6).LessonID, -1);
}

TEST(LessonLinks, SetLinkWritesAtMostAtFirstFreePosition) {
  TLessonSubItem g;
  g.SetLink(4, {3, 1});
  EXPECT_EQ(g.LinksCount(), 1);
  EXPECT_EQ(g.GetLink(1), (TLessonLink{3, 1}));
  g.SetLink(1, {4, 0});
  EXPECT_EQ(g.GetLink(1), (TLessonLink{4, 0}));
  EXPECT_EQ(g.LinksCount(), 1);
}

TEST(LessonGroups, AssignCopiesGroupsAndReplacesLinks) {
  TLessonItem a;
  a.KlassID = 3;
  a.NoAttachedRoom = 1;
  a.SetBusy(144, 1);
  a.ChangeQuant(+1, 2);
  a.SetQuant(21, 2);
  a.SetSubItemsCount(2);
  a.GetSubItem(1)->TeacherID = 5;
  a.GetSubItem(1)->ChangeLink(+1, {9, 0});
  a.GetSubItem(1)->SetFictionName(cp1251::fromUtf8("Зал"));

  TLessonItem b;
  b.SetID(42);
  b.SetSubItemsCount(4);
  b.GetSubItem(1)->ChangeLink(+1, {1, 1});
  b.Assign(a);
  EXPECT_EQ(b.ID(), 42);
  EXPECT_EQ(b.KlassID, 3);
  EXPECT_EQ(b.NoAttachedRoom, 1);
  EXPECT_EQ(b.GetBusy(144), 1);
  EXPECT_EQ(Words(b), Words(a));
  ASSERT_EQ(b.SubItemsCount(), 2);
  EXPECT_EQ(b.GetSubItem(1)->TeacherID, 5);
  EXPECT_EQ(b.GetSubItem(1)->LinksCount(), 1);
  EXPECT_EQ(b.GetSubItem(1)->GetLink(1), (TLessonLink{9, 0}));
  EXPECT_EQ(b.GetSubItem(1)->GetFictionName(), cp1251::fromUtf8("Зал"));

  TLessonSubItem g;
  g.ChangeLink(+1, {2, 0});
  b.SetSubItem(1, g);
  EXPECT_EQ(b.GetSubItem(1)->LinksCount(), 1);
  EXPECT_EQ(b.GetSubItem(1)->GetLink(1), (TLessonLink{2, 0}));
  b.SetSubItem(5, g);  // out of range: ignored
  EXPECT_EQ(b.SubItemsCount(), 2);
}

TEST(LessonGroups, CountsAndLimits) {
  TLessonItem l;
  l.SetSubItemsCount(9);
  EXPECT_EQ(l.SubItemsCount(), 5);
  EXPECT_EQ(l.GetSubItem(5), nullptr);
  EXPECT_EQ(l.GetSubItem(0)->ChildrenInGroup, 30);
  EXPECT_TRUE(l.GetSubItem(0)->IsEmpty());
  EXPECT_EQ(l.GetSubItem(0)->WorkValue, -1);
  l.SetSubItemsCount(-1);
  EXPECT_EQ(l.SubItemsCount(), 0);
  EXPECT_EQ(l.GetBusy(0), 1);
  EXPECT_EQ(l.GetBusy(145), 1);
  EXPECT_EQ(l.GetBusy(1), 0);

  TLessonSubItem g;
  g.SetFictionName(std::string(40, 'x'));
  EXPECT_EQ(g.GetFictionName().size(), 31u);

  TLessonsCollection c;
  EXPECT_EQ(c.MaxSubItemsCount(), 0);
  c.Add()->SetSubItemsCount(2);
  c.Add()->SetSubItemsCount(3);
  c.Add()->SetSubItemsCount(1);
  EXPECT_EQ(c.MaxSubItemsCount(), 3);
}

// ---- the file section ----

struct Sample {
  TLessonsCollection c;
  Sample() {
    TLessonItem* a = c.Add();  // id 0
    a->KlassID = 0x01020304;
    a->NoAttachedRoom = 1;
    a->ChangeQuant(+1, 1);
    a->ChangeQuant(+1, 2);
    a->SetQuant(21, 2);
    a->SetBusy(1, 1);
    a->SetBusy(144, 7);
    a->SetSubItemsCount(1);
    TLessonSubItem* g = a->GetSubItem(0);
    g->SubjectID = 5;
    g->TeacherID = 6;
    g->ChildrenInGroup = 0xBEEF;
    g->ChangeLink(+1, {1, 1});
    g->SetFictionName(cp1251::fromUtf8("Спортзал"));

    TLessonItem* b = c.Add();  // id 1
    b->KlassID = -1;
    b->ChangeQuant(+1, 3);
    b->SetSubItemsCount(2);
    b->GetSubItem(1)->ChangeLink(+1, {0, 0});
    c.Add()->SetSubItemsCount(1);
    c.Delete(2);  // next identifier stays 3
  }
};

int32_t I32(const std::vector<unsigned char>& d, std::size_t at) {
  return static_cast<int32_t>(d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24);
}
int U16(const std::vector<unsigned char>& d, std::size_t at) { return d[at] | d[at + 1] << 8; }

TEST(LessonsSection, HeadAndGroupBytesAtTheirOffsets) {
  Sample s;
  TLessonsHeader h = s.c.MakeHeader();
  EXPECT_EQ(h, (TLessonsHeader{2, 3, 204 + 84 + 204 + 2 * 84}));
  ByteWriter w;
  s.c.SaveToStream(w);
  const auto& d = w.data();
  ASSERT_EQ(d.size(), static_cast<std::size_t>(h.Bytes));

  EXPECT_EQ(I32(d, 0), 0);
  EXPECT_EQ(U16(d, 4), 1);
  EXPECT_EQ(U16(d, 6), 0);
  EXPECT_EQ(I32(d, 8), 0x01020304);
  EXPECT_EQ(U16(d, 12), 1);
  EXPECT_EQ(U16(d, 14), 2);
  EXPECT_EQ(U16(d, 16), 0);
  EXPECT_EQ(U16(d, 12 + 40), 2);  // word 21
  EXPECT_EQ(d[54], 1);
  EXPECT_EQ(d[55], 0);
  EXPECT_EQ(d[54 + 143], 7);
  EXPECT_EQ(U16(d, 198), 0);
  EXPECT_EQ(I32(d, 200), 1);

  const std::size_t g = 204;
  EXPECT_EQ(I32(d, g + 0), 5);
  EXPECT_EQ(I32(d, g + 4), 6);
  EXPECT_EQ(I32(d, g + 8), 0xBEEF);
  EXPECT_EQ(I32(d, g + 12), 1);
  EXPECT_EQ(I32(d, g + 16), 1);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(I32(d, g + 12 + 8 * static_cast<std::size_t>(i)), -1);
  EXPECT_EQ(d[g + 52], 0xD1);  // "С" in CP1251
  EXPECT_EQ(d[g + 52 + 8], 0);
  EXPECT_EQ(d[g + 83], 0);

  const std::size_t b = 204 + 84;
  EXPECT_EQ(I32(d, b), 1);
  EXPECT_EQ(U16(d, b + 4), 2);
  EXPECT_EQ(I32(d, b + 8), -1);
  EXPECT_EQ(I32(d, b + 200), 0);
  EXPECT_EQ(I32(d, b + 204), -1);                 // empty first group
  EXPECT_EQ(I32(d, b + 204 + 8), 30);
  EXPECT_EQ(I32(d, b + 204 + 84 + 12), 0);        // second group's link
}

TEST(LessonsSection, RoundTrip) {
  Sample s;
  ByteWriter w;
  s.c.SaveToStream(w);
  TLessonsCollection c;
  ByteReader r(w.data());
  ASSERT_TRUE(c.LoadFromStream(s.c.MakeHeader(), r, 1, 3));
  EXPECT_EQ(r.remaining(), 0u);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.NextID(), 3);
  const TLessonItem* a = c.FindItemID(0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->KlassID, 0x01020304);
  EXPECT_EQ(a->NoAttachedRoom, 1);
  EXPECT_EQ(Words(*a), Blocks({1, 2}, {2}));
  EXPECT_EQ(a->GetBusy(144), 7);
  EXPECT_EQ(a->GetSubItem(0)->ChildrenInGroup, 0xBEEF);
  EXPECT_EQ(a->GetSubItem(0)->GetLink(1), (TLessonLink{1, 1}));
  EXPECT_EQ(a->GetSubItem(0)->GetFictionName(), cp1251::fromUtf8("Спортзал"));
  EXPECT_EQ(c.FindItemID(1)->GetSubItem(1)->GetLink(1), (TLessonLink{0, 0}));

  ByteWriter again;
  c.SaveToStream(again);
  EXPECT_EQ(again.data(), w.data());
}

// A section as an older program wrote it: 200-byte heads.
std::vector<unsigned char> OldSection() {
  ByteWriter w;
  for (int32_t id : {4, 9}) {
    w.i32(id);
    w.u16(1);
    w.zeros(2);
    w.i32(2);
    w.u16(3);
    w.zeros(40);
    w.zeros(144);
    w.zeros(2);
    w.i32(11);
    w.i32(12);
    w.u32(0x10019);  // only the low 16 bits are kept: 25
    w.i32(id == 4 ? 9 : -1);
    w.i32(0);
    for (int i = 0; i < 4; ++i) { w.i32(-1); w.i32(0); }
    w.fixedString("", 32);
  }
  return w.take();
}

TEST(LessonsSection, Version12HeadsLoadShortAndSaveLong) {
  auto bytes = OldSection();
  ASSERT_EQ(bytes.size(), 2u * (200 + 84));
  TLessonsCollection c;
  ByteReader r(bytes);
  ASSERT_TRUE(c.LoadFromStream({2, 5, static_cast<int32_t>(bytes.size())}, r, 1, 2));
  ASSERT_EQ(c.Count(), 2);
  EXPECT_EQ(c.NextID(), 10);  // raised past identifier 9
  EXPECT_EQ(c.GetItem(0)->NoAttachedRoom, 0);
  EXPECT_EQ(c.GetItem(0)->QuantAt(1), 3);
  EXPECT_EQ(c.GetItem(0)->GetSubItem(0)->ChildrenInGroup, 25);
  EXPECT_EQ(c.GetItem(0)->GetSubItem(0)->GetLink(1), (TLessonLink{9, 0}));
  EXPECT_EQ(c.GetItem(1)->GetSubItem(0)->LinksCount(), 0);

  TLessonsHeader h = c.MakeHeader();
  EXPECT_EQ(h.Bytes, 2 * (204 + 84));
  ByteWriter w;
  c.SaveToStream(w);
  EXPECT_EQ(w.size(), static_cast<std::size_t>(h.Bytes));

  // The same bytes read as a 1.3 section do not fit.
  TLessonsCollection d;
  ByteReader r2(bytes);
  EXPECT_FALSE(d.LoadFromStream({2, 5, static_cast<int32_t>(bytes.size())}, r2, 1, 3));
}

TEST(LessonsSection, SectionsThatDoNotFitAreRefused) {
  Sample s;
  ByteWriter w;
  s.c.SaveToStream(w);
  const auto good = w.data();
  const TLessonsHeader h = s.c.MakeHeader();

  auto refused = [&](std::vector<unsigned char> bytes, TLessonsHeader hdr) {
    TLessonsCollection c;
    c.Add()->KlassID = 77;
    ByteReader r(bytes);
    bool ok = c.LoadFromStream(hdr, r, 1, 3);
    // The old content survives a refused section.
    return !ok && c.Count() == 1 && c.GetItem(0)->KlassID == 77;
  };
  EXPECT_TRUE(refused(good, {h.Count, h.NextID, h.Bytes + 1}));  // past the data
  EXPECT_TRUE(refused(good, {h.Count, h.NextID, h.Bytes - 84}));  // short of a group
  EXPECT_TRUE(refused(good, {h.Count + 1, h.NextID, h.Bytes}));
  EXPECT_TRUE(refused(good, {h.Count - 1, h.NextID, h.Bytes}));  // bytes left over
  EXPECT_TRUE(refused(good, {0x7FFFFFFF, h.NextID, h.Bytes}));
  EXPECT_TRUE(refused(good, {-1, h.NextID, h.Bytes}));
  EXPECT_TRUE(refused(good, {h.Count, -5, h.Bytes}));
  EXPECT_TRUE(refused(good, {h.Count, h.NextID, -1}));

  auto six = good;
  six[4] = 6;
  EXPECT_TRUE(refused(six, h));
  auto none = good;
  none[4] = 0;
  EXPECT_TRUE(refused(none, h));  // its group's bytes are left over

  // A lesson written without groups is read as it is; the data check tells
  // the user about it.
  TLessonsCollection bare;
  TLessonItem* l = bare.Add();
  l->KlassID = 3;
  l->SetSubItemsCount(0);
  bare.Add()->SetSubItemsCount(2);
  ByteWriter bw;
  bare.SaveToStream(bw);
  TLessonsCollection back;
  ByteReader br(bw.data());
  ASSERT_TRUE(back.LoadFromStream(bare.MakeHeader(), br, 1, 3));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetItem(0)->SubItemsCount(), 0);
  EXPECT_EQ(back.GetItem(0)->KlassID, 3);
  EXPECT_EQ(back.GetItem(1)->SubItemsCount(), 2);

  auto dup = good;
  dup[204 + 84] = 0;  // second lesson gets identifier 0 too
  EXPECT_TRUE(refused(dup, h));
  auto negative = good;
  negative[3] = 0x80;
  EXPECT_TRUE(refused(negative, h));

  TLessonsCollection empty;
  ByteReader r(std::span<const unsigned char>{});
  EXPECT_TRUE(empty.LoadFromStream({0, 4, 0}, r, 1, 3));
  EXPECT_EQ(empty.NextID(), 4);
}

}  // namespace
}  // namespace korvant
