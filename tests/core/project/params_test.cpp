#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

#include "base/cp1251.h"
#include "core/common/catalogue.h"
#include "core/project/params.h"

namespace korvant {
namespace {

int32_t I32(const std::vector<unsigned char>& d, std::size_t at) {
  return static_cast<int32_t>(d[at] | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24);
}
int U16(const std::vector<unsigned char>& d, std::size_t at) { return d[at] | d[at + 1] << 8; }

TEST(ProjParamsRecord, DefaultImage) {
  ByteWriter w;
  WriteProjParams(w, TProjParamsRec{});
  const auto& d = w.data();
  ASSERT_EQ(d.size(), kProjParamsSize);
  for (std::size_t i = 0; i < 82; ++i) EXPECT_EQ(d[i], 0) << i;
  EXPECT_EQ(U16(d, 82), 8);
  EXPECT_EQ(U16(d, 84), 1);
  for (std::size_t i = 86; i < 134; ++i) EXPECT_EQ(d[i], 0) << i;
  EXPECT_EQ(U16(d, 134), 4);
  EXPECT_EQ(U16(d, 136), 2);
  EXPECT_EQ(U16(d, 138), 0);
  EXPECT_EQ(d[140], 1);
  EXPECT_EQ(d[141], 0);
  EXPECT_EQ(d[143], 0);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(I32(d, 144 + 4 * i), 1);
  for (std::size_t i = 164; i < 208; ++i) EXPECT_EQ(d[i], 0) << i;
}

TEST(ProjParamsRecord, FieldsAtTheirOffsetsAndRoundTrip) {
  TProjParamsRec p;
  p.Description = std::string(80, 'd');
  p.LessonsPerDay = 24;
  p.ShiftStarts = {1, 9};
  p.ClassMinLessons = 3;
  p.TeacherMinLessons = 5;
  p.Reserved1 = 0x1234;
  p.Reserved2 = 0x56;
  p.ShowCmd = {0, 1, 3, 6, 1};
  p.Rooms = {2, 3};
  p.Subjects = {4, 5};
  p.Klasses = {6, 7};
  p.Teachers = {8, 9};
  p.Lessons = {10, 11, 12};
  ByteWriter w;
  w.zeros(kProjParamsOffset);
  WriteProjParams(w, p);
  const auto& d = w.data();
  const std::size_t o = kProjParamsOffset;
  ASSERT_EQ(d.size(), o + kProjParamsSize);
  EXPECT_EQ(d[o + 79], 'd');
  EXPECT_EQ(d[o + 80], 0);
  EXPECT_EQ(U16(d, o + 82), 24);
  EXPECT_EQ(U16(d, o + 86), 9);
  EXPECT_EQ(U16(d, o + 88), 0);
  EXPECT_EQ(U16(d, o + 134), 3);
  EXPECT_EQ(U16(d, o + 136), 5);
  EXPECT_EQ(U16(d, o + 138), 0x1234);
  EXPECT_EQ(d[o + 140], 0x56);
  EXPECT_EQ(I32(d, o + 152), 3);
  EXPECT_EQ(I32(d, o + 156), 6);
  EXPECT_EQ(I32(d, o + 164), 2);
  EXPECT_EQ(I32(d, o + 172), 4);
  EXPECT_EQ(I32(d, o + 180), 6);
  EXPECT_EQ(I32(d, o + 188), 8);
  EXPECT_EQ(I32(d, o + 192), 9);
  EXPECT_EQ(I32(d, o + 196), 10);
  EXPECT_EQ(I32(d, o + 200), 11);
  EXPECT_EQ(I32(d, o + 204), 12);

  ByteReader r(d);
  r.seek(o);
  TProjParamsRec q;
  ASSERT_TRUE(ReadProjParams(r, q));
  EXPECT_EQ(q, p);
  EXPECT_EQ(r.pos(), o + kProjParamsSize);
}

TEST(ProjParamsRecord, ShortOrImpossibleImagesAreRefused) {
  ByteWriter w;
  WriteProjParams(w, TProjParamsRec{});
  auto bytes = w.take();
  TProjParamsRec p;
  p.LessonsPerDay = 6;
  {
    ByteReader r(std::span<const unsigned char>(bytes.data(), kProjParamsSize - 1));
    EXPECT_FALSE(ReadProjParams(r, p));
  }
  for (int l : {0, 25, 0xFFFF}) {
    bytes[82] = static_cast<unsigned char>(l & 0xFF);
    bytes[83] = static_cast<unsigned char>(l >> 8);
    ByteReader r(bytes);
    EXPECT_FALSE(ReadProjParams(r, p)) << l;
  }
  EXPECT_EQ(p.LessonsPerDay, 6);
}

// ---- the dialog's validation ----

TProjParamsTexts Texts(std::string l, std::string shifts = "1", std::string klassMin = "4",
                       std::string teacherMin = "2") {
  TProjParamsTexts t;
  t.LessonsPerDay = std::move(l);
  t.ShiftStarts = std::move(shifts);
  t.ClassMinLessons = std::move(klassMin);
  t.TeacherMinLessons = std::move(teacherMin);
  return t;
}

TEST(ProjParamsDialog, TextsShownForARecord) {
  TProjParamsRec p;
  p.Description = "abc";
  p.ShiftStarts = {1, 9};
  TProjParamsTexts t = ProjParamsTexts(p);
  EXPECT_EQ(t.Description, "abc");
  EXPECT_EQ(t.LessonsPerDay, "8");
  EXPECT_EQ(t.ShiftStarts, "1,9");
  EXPECT_EQ(t.ClassMinLessons, "4");
  EXPECT_EQ(t.TeacherMinLessons, "2");
  TProjParamsRec q = p;
  EXPECT_EQ(ApplyProjParamsTexts(q, t), 0);
  EXPECT_EQ(q.LessonsPerDay, p.LessonsPerDay);
  EXPECT_EQ(q.ShiftStarts, p.ShiftStarts);
}

TEST(ProjParamsDialog, LessonsPerDay) {
  for (const char* bad : {"25", "abc", "0", "", "-3", "8x", "99999999999"}) {
    TProjParamsRec p;
    EXPECT_EQ(ApplyProjParamsTexts(p, Texts(bad)), 10032) << bad;
    EXPECT_EQ(p, TProjParamsRec{}) << bad;
  }
  TProjParamsRec p;
  EXPECT_EQ(ApplyProjParamsTexts(p, Texts("24")), 0);
  EXPECT_EQ(p.LessonsPerDay, 24);
  EXPECT_EQ(ApplyProjParamsTexts(p, Texts(" 12 ")), 0);
  EXPECT_EQ(p.LessonsPerDay, 12);
}

TEST(ProjParamsDialog, HiddenMinimaOutliveASmallerL) {
  TProjParamsRec p;  // klass minimum 4, teacher minimum 2
  EXPECT_EQ(ApplyProjParamsTexts(p, Texts("3")), 0);
  EXPECT_EQ(p.LessonsPerDay, 3);
  EXPECT_EQ(p.ClassMinLessons, 4);
  EXPECT_EQ(p.TeacherMinLessons, 2);
  EXPECT_EQ(ApplyProjParamsTexts(p, Texts("1", "1", "3", "2")), 0);
  EXPECT_EQ(p.ClassMinLessons, 3);
  EXPECT_EQ(p.TeacherMinLessons, 2);
  // Back to 8: the minima were never lowered.
  EXPECT_EQ(ApplyProjParamsTexts(p, Texts("8", "1", "3", "2")), 0);
  EXPECT_EQ(p.ClassMinLessons, 3);

  TProjParamsRec q;
  EXPECT_EQ(ApplyProjParamsTexts(q, Texts("8", "1", "0")), 10033);
  EXPECT_EQ(ApplyProjParamsTexts(q, Texts("8", "1", "x")), 10033);
  EXPECT_EQ(ApplyProjParamsTexts(q, Texts("8", "1", "4", "0")), 10034);
  EXPECT_EQ(ApplyProjParamsTexts(q, Texts("25", "1", "0", "0")), 10032);  // first field first
  EXPECT_EQ(q, TProjParamsRec{});
}

TEST(ProjParamsDialog, ShiftStarts) {
  struct Case {
    const char* text;
    std::vector<uint16_t> starts;  // empty: refused with 10036
  };
  const Case cases[] = {
      {"1,9", {1, 9}},     {"1; 9", {1, 9}},   {"1 ;; 9 ", {1, 9}}, {"0,1,0,9", {1, 9}},
      {"9,1", {}},         {"1,1", {}},        {"0", {}},           {"", {}},
      {"abc", {}},         {"65537", {}},      {"25", {}},          {"1,25", {}},
      {"24", {24}},        {"1,13", {1, 13}},
  };
  for (const Case& c : cases) {
    TProjParamsRec p;
    p.ShiftStarts = {2, 5, 7};
    const int res = ApplyProjParamsTexts(p, Texts("8", c.text));
    if (c.starts.empty()) {
      EXPECT_EQ(res, 10036) << c.text;
      EXPECT_EQ(p.ShiftStarts[1], 5) << c.text;
      continue;
    }
    ASSERT_EQ(res, 0) << c.text;
    std::array<uint16_t, kShiftStartWords> want{};
    for (std::size_t i = 0; i < c.starts.size(); ++i) want[i] = c.starts[i];
    EXPECT_EQ(p.ShiftStarts, want) << c.text;
  }

  // Twenty-four starts fill the list; the numbers need not stay below L.
  std::string all;
  for (int i = 1; i <= 24; ++i) all += std::to_string(i) + ",";
  TProjParamsRec p;
  ASSERT_EQ(ApplyProjParamsTexts(p, Texts("8", all)), 0);
  EXPECT_EQ(p.ShiftStarts[23], 24);
  EXPECT_EQ(p.ShiftStarts[24], 0);
}

// Stored values the dialog itself would refuse, in the fields no user
// reaches, pass through as they came when the user changes what is shown.
TEST(ProjParamsDialog, UnreachableFieldsKeepStoredValuesTheChecksRefuse) {
  const std::function<void(TProjParamsRec&)> stored[] = {
      [](TProjParamsRec& p) { p.ShiftStarts = {}; },
      [](TProjParamsRec& p) { p.ShiftStarts = {5, 3}; },
      [](TProjParamsRec& p) { p.ShiftStarts = {0, 4}; },
      [](TProjParamsRec& p) { p.ClassMinLessons = 0; },
      [](TProjParamsRec& p) { p.TeacherMinLessons = 0; },
      [](TProjParamsRec& p) { p.ClassMinLessons = 300; },
  };
  for (std::size_t i = 0; i < std::size(stored); ++i) {
    TProjParamsRec p;
    stored[i](p);
    TProjParamsRec want = p;
    want.LessonsPerDay = 6;
    TProjParamsTexts t = ProjParamsTexts(p);
    t.LessonsPerDay = "6";
    EXPECT_EQ(ApplyProjParamsTexts(p, t), 0) << i;
    EXPECT_EQ(p, want) << i;
  }
}

TEST(ProjParamsDialog, FailedValidationStoresNothing) {
  TProjParamsRec p;
  TProjParamsTexts t = Texts("3", "9,1");
  t.Description = "new";
  EXPECT_EQ(ApplyProjParamsTexts(p, t), 10036);
  EXPECT_EQ(p, TProjParamsRec{});
}

TEST(ProjParamsDialog, CommentLinesBecomeBlanks) {
  TProjParamsRec p;
  TProjParamsTexts t = Texts("8");
  t.Description = "ab\r\ncd";
  ASSERT_EQ(ApplyProjParamsTexts(p, t), 0);
  EXPECT_EQ(p.Description, "ab  cd  ");
  t.Description = "one";
  ApplyProjParamsTexts(p, t);
  EXPECT_EQ(p.Description, "one  ");
  t.Description = "a\nb\n";
  ApplyProjParamsTexts(p, t);
  EXPECT_EQ(p.Description, "a  b  ");
  t.Description = "";
  ApplyProjParamsTexts(p, t);
  EXPECT_EQ(p.Description, "");
  t.Description = std::string(80, 'x');
  ApplyProjParamsTexts(p, t);
  EXPECT_EQ(p.Description, std::string(80, 'x'));
}

TEST(ProjParamsDialog, MessagesAreInTheCatalogue) {
  EXPECT_EQ(cp1251::toUtf8(LoadResStr(10032)), "Ошибка при вводе максимального количества уроков для школы.");
  EXPECT_EQ(cp1251::toUtf8(LoadResStr(10036)), "Ошибка при вводе уроков, с которых начинаются смены.");
  for (int id : {10001, 10033, 10034, 10044, 10255}) EXPECT_TRUE(CatalogueHas(id)) << id;
}

}  // namespace
}  // namespace korvant
