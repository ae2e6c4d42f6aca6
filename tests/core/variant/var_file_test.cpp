#include "core/variant/var_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/cp1251.h"
#include "core/common/shared_state.h"
#include "core/variant/manual_edit.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::ProjectBuilder;

uint32_t U32(const std::vector<unsigned char>& img, std::size_t at) {
  return uint32_t(img[at]) | uint32_t(img[at + 1]) << 8 | uint32_t(img[at + 2]) << 16 | uint32_t(img[at + 3]) << 24;
}
uint16_t U16(const std::vector<unsigned char>& img, std::size_t at) {
  return static_cast<uint16_t>(img[at] | img[at + 1] << 8);
}

// Klasses A, B, C; rooms 0..2; lessons: A {1,2} "la", B {1,2} "lb",
// C {1} "lc", A {1} "la2".
struct Base {
  ProjectBuilder p;
  int32_t la, lb, lc, la2;
  explicit Base(int L) : p(L) {
    for (int i = 0; i < 3; ++i) p.Room();
    const int32_t s = p.Subject(), t = p.Teacher();
    const int32_t a = p.Klass(), b = p.Klass(), c = p.Klass();
    la = p.Lesson(a, {{s, t}}, {1, 2})->ID();
    lb = p.Lesson(b, {{s, t}}, {1, 2})->ID();
    lc = p.Lesson(c, {{s, t}}, {1})->ID();
    la2 = p.Lesson(a, {{s, t}}, {1})->ID();
  }
};

void SetRoom(TTableVarItem& v, int k, int d, int h, uint16_t room) {
  TTableCell c = v.GetCell(k, d, h);
  c.Rooms[0] = room;
  v.SetCell(k, d, h, c);
}

// The standard timetable of Base with L = 7.
std::vector<unsigned char> BaseImage() {
  Base base(7);
  auto doc = TVarDocument::CreateNew(base.p.d, "base.rsp");
  TTableVarItem& v = doc->Var();
  EXPECT_TRUE(v.PlaceLinkedLesson(0, 0, false, 1, 6, 2));  // la, day 1, hours 6-7
  SetRoom(v, 0, 1, 6, 1);
  EXPECT_TRUE(v.PlaceLinkedLesson(1, 0, false, 1, 1, 1));  // lb 1 hour on day 1
  EXPECT_TRUE(v.PlaceLinkedLesson(1, 0, true, 2, 0, 2));   // lb 2 hours in day 2's draft
  EXPECT_TRUE(v.PlaceLinkedLesson(2, 0, false, 2, 7, 1));  // lc, day 2 hour 7
  EXPECT_TRUE(v.PlaceLinkedLesson(0, 1, false, 3, 1, 1));  // la2, day 3 hour 1
  SetRoom(v, 0, 3, 1, 2);
  return WriteVarImage(v, doc->Options, 4);
}

TEST(VarFile, HeaderAndBodyLayout) {
  Base base(7);
  auto doc = TVarDocument::CreateNew(base.p.d, "x.rsp");
  doc->Options.Description = "abc";
  doc->Options.Reserved = {1, 2, 3, 4, 5, 6, 7, 8};
  const auto img = WriteVarImage(doc->Var(), doc->Options, 5);
  ASSERT_EQ(img.size(), 1024u + 2u * 3 * 6 * 7 * 24);
  EXPECT_EQ(img[0], 10);
  EXPECT_EQ(std::string(img.begin() + 1, img.begin() + 11), "VARI-TABLE");
  EXPECT_EQ(U32(img, 12), 1u);
  EXPECT_EQ(U32(img, 16), 0u);
  EXPECT_EQ(img[20], 1);  // Regime
  EXPECT_EQ(img[21], 5);  // Day
  EXPECT_EQ(std::string(img.begin() + 22, img.begin() + 25), "abc");
  EXPECT_EQ(img[25], 0);
  EXPECT_EQ(U16(img, 104), 10);
  EXPECT_EQ(U16(img, 106), 1);
  EXPECT_EQ(U16(img, 108), 2);
  EXPECT_EQ(U16(img, 110), 30);
  EXPECT_EQ(U16(img, 112), 30);
  EXPECT_EQ(U16(img, 114), 40);
  EXPECT_EQ(img[116], 1);
  EXPECT_EQ(img[123], 8);
  EXPECT_EQ(U32(img, 124), 3u);
  EXPECT_EQ(U32(img, 128), 7u);
  for (std::size_t i = 132; i < 1024; ++i) ASSERT_EQ(img[i], 0) << i;

  TVarOptions back;
  ASSERT_TRUE(ReadVarHeader(img, back));
  TVarOptions expect = doc->Options;
  expect.Day = 5;
  EXPECT_EQ(back, expect);
}

TEST(VarFile, IdentifiersOnFileAndMemoryUnchanged) {
  ProjectBuilder p(4);
  p.Room();
  p.Room();
  const int32_t s = p.Subject(), t = p.Teacher();
  p.Klass();
  const int32_t k = p.Klass();  // ID 1
  p.Lesson(k, {{s, t}}, {1});
  const int32_t id = p.Lesson(k, {{s, t}}, {1, 2}, {2})->ID();
  auto doc = TVarDocument::CreateNew(p.d, "x.rsp");
  TTableVarItem& v = doc->Var();
  ASSERT_TRUE(v.PlaceLinkedLesson(1, 1, false, 1, 2, 1));  // the parent
  SetRoom(v, 1, 1, 2, 1);
  ASSERT_TRUE(v.PlaceLinkedLesson(1, 2, true, 1, 0, 2));   // its separated part
  std::vector<TTableCell> before;
  for (int kk = 0; kk < 2; ++kk)
    for (int h = 1; h <= 4; ++h) {
      before.push_back(v.GetCell(kk, 1, h));
      before.push_back(v.GetDraftCell(kk, 1, h));
    }
  const auto img = WriteVarImage(v, doc->Options, 1);
  const std::size_t G = 2 * 6 * 4 * 24;
  const std::size_t row1 = 1024 + 6 * 4 * 24;
  // Klass ID + 1 in the high half of each row's first cell, in both grids.
  EXPECT_EQ(U16(img, 1024 + 2), 1);
  EXPECT_EQ(U16(img, 1024 + G + 2), 1);
  EXPECT_EQ(U16(img, row1 + 2), 2);
  EXPECT_EQ(U16(img, row1 + G + 2), 2);
  EXPECT_EQ(U16(img, row1), 0xFFFF);  // the empty cell's hour, low half
  // Hour 2 of klass 1: the parent's identifier and room 1's identifier.
  EXPECT_EQ(U32(img, row1 + 24 + 8), static_cast<uint32_t>(id));
  EXPECT_EQ(U16(img, row1 + 24 + 12), 1);
  EXPECT_EQ(U16(img, row1 + 24 + 14), 0xFFFF);
  // The draft holds the separated part.
  EXPECT_EQ(U32(img, row1 + G + 8), static_cast<uint32_t>(id + 1000000));
  EXPECT_EQ(U32(img, row1 + G + 24 + 8), static_cast<uint32_t>(id + 1000000));
  std::size_t i = 0;
  for (int kk = 0; kk < 2; ++kk)
    for (int h = 1; h <= 4; ++h) {
      EXPECT_EQ(v.GetCell(kk, 1, h), before[i++]);
      EXPECT_EQ(v.GetDraftCell(kk, 1, h), before[i++]);
    }
  EXPECT_EQ(v.GetRoomCell(1, 1, 2).Klass, 1);

  auto back = TVarDocument::FromImage(p.d, img, "x.rsp");
  ASSERT_NE(back, nullptr);
  i = 0;
  for (int kk = 0; kk < 2; ++kk)
    for (int h = 1; h <= 4; ++h) {
      EXPECT_EQ(back->Var().GetCell(kk, 1, h), before[i++]);
      EXPECT_EQ(back->Var().GetDraftCell(kk, 1, h), before[i++]);
    }
  EXPECT_EQ(back->Var().GetRoomCell(1, 1, 2).Klass, 1);
  EXPECT_EQ(back->Model().KlassLesson(1, 1)->QuantDays[1], 0);
  EXPECT_EQ(back->Model().KlassLesson(1, 1)->QuantDays[0], 1);
  EXPECT_EQ(back->Model().KlassLesson(1, 2)->QuantDays[0], 1);
}

TEST(VarFile, LessonsPerDayGrowsAndShrinks) {
  const auto img7 = BaseImage();
  Base at8(8);
  auto doc8 = TVarDocument::FromImage(at8.p.d, img7, "a.rsp");
  ASSERT_NE(doc8, nullptr);
  TTableVarItem& v8 = doc8->Var();
  EXPECT_EQ(doc8->Day, 4);
  EXPECT_EQ(doc8->Options.LessonsPerDay, 8);
  EXPECT_EQ(v8.GetCell(0, 1, 7).Lesson, 0);
  EXPECT_EQ(v8.GetCell(0, 1, 7).PrevHour, 6);
  EXPECT_EQ(v8.GetRoomCell(1, 1, 6).Klass, 0);
  EXPECT_EQ(v8.GetDraftCell(1, 2, 2).Lesson, 0);
  for (int k = 0; k < 3; ++k)
    for (int d = 1; d <= 6; ++d) {
      EXPECT_EQ(v8.GetCell(k, d, 8), kEmptyCell);
      EXPECT_EQ(v8.GetDraftCell(k, d, 8), kEmptyCell);
    }
  const auto img8 = WriteVarImage(v8, doc8->Options, 4);

  Base at6(6);
  auto doc6 = TVarDocument::FromImage(at6.p.d, img8, "a.rsp");
  ASSERT_NE(doc6, nullptr);
  TTableVarItem& v6 = doc6->Var();
  // la lost hour 7: one hour is left on day 1, which its 1-hour block takes.
  EXPECT_EQ(v6.CountLessonInDay(0, 0, 1), 1);
  EXPECT_EQ(v6.GetCell(0, 1, 6).Lesson, 0);
  EXPECT_EQ(doc6->Model().KlassLesson(0, 0)->QuantDays[0], 1);
  // lc at hour 7 is gone; lb is untouched.
  EXPECT_EQ(v6.CountLessonInDay(2, 0, 2), 0);
  EXPECT_EQ(v6.CountLessonInDraft(1, 0, 2), 2);
  EXPECT_EQ(v6.CountLessonInFair(1, 0, 1), 1);
}

TEST(VarFile, KlassesFoundByIdentifier) {
  const auto img = BaseImage();
  Base changed(7);
  TKlassesCollection& kl = changed.p.d.Klasses;
  kl.Move(2, 0);                 // C, A, B
  kl.Add()->SetName("D");        // C, A, B, D
  kl.Delete(2);                  // C, A, D
  auto doc = TVarDocument::FromImage(changed.p.d, img, "a.rsp");
  ASSERT_NE(doc, nullptr);
  TTableVarItem& v = doc->Var();
  ASSERT_EQ(v.KlassCount(), 3);
  EXPECT_EQ(v.GetCell(0, 2, 7).Lesson, 0);  // C's lesson
  EXPECT_EQ(v.GetCell(1, 1, 6).Lesson, 0);  // A's la
  EXPECT_EQ(v.GetCell(1, 3, 1).Lesson, 1);  // A's la2
  EXPECT_EQ(v.GetRoomCell(1, 1, 6).Klass, 1);
  EXPECT_EQ(v.GetRoomCell(2, 3, 1).Klass, 1);
  EXPECT_EQ(v.CountKlassFair(2, 0) + v.CountKlassDraft(2, 0), 0);  // D starts empty
  EXPECT_EQ(doc->Options.KlassCount, 3);
}

TEST(VarFile, DeletedLessonsAndRoomsDropOut) {
  const auto img = BaseImage();
  Base changed(7);
  changed.p.d.Lessons.Delete(changed.p.d.Lessons.IndexOfID(changed.la2));
  changed.p.d.Rooms.Delete(1);
  auto doc = TVarDocument::FromImage(changed.p.d, img, "a.rsp");
  ASSERT_NE(doc, nullptr);
  TTableVarItem& v = doc->Var();
  EXPECT_EQ(v.GetCell(0, 3, 1), kEmptyCell);
  EXPECT_EQ(v.RoomCount(), 2);
  EXPECT_EQ(v.GetCell(0, 1, 6).Lesson, 0);
  EXPECT_EQ(v.GetCell(0, 1, 6).Rooms[0], kNoRoom);
  for (int r = 0; r < 2; ++r)
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= 7; ++h) EXPECT_EQ(v.GetRoomCell(r, d, h).Klass, -1);
}

TEST(VarFile, HoursMatchingNoFreeBlockLeaveTheDay) {
  // lb's blocks become {1, 1}: its 2 draft hours on day 2 match no block.
  const auto img = BaseImage();
  Base changed(7);
  TLessonItem* lb = changed.p.d.Lessons.FindItemID(changed.lb);
  lb->ChangeQuant(-1, 2);
  lb->ChangeQuant(1, 1);
  auto doc = TVarDocument::FromImage(changed.p.d, img, "a.rsp");
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->Var().CountLessonInDay(1, 0, 2), 0);
  EXPECT_EQ(doc->Var().CountLessonInDay(1, 0, 1), 1);
  EXPECT_EQ(doc->Model().KlassLesson(1, 0)->QuantDays[0], 1);
  EXPECT_EQ(doc->Model().KlassLesson(1, 0)->QuantDays[1], 0);
}

// A cell that says it continues a block right after another lesson starts
// a block of its own when read, in the fair copy and in the draft; and a
// moved block's first cell always starts it, even at hour 1, so the file
// gives back what was saved.
TEST(VarFile, ABlockGoesOnOnlyFromItsOwnLesson) {
  Base base(7);
  for (bool draft : {false, true}) {
    SCOPED_TRACE(draft ? "draft" : "fair copy");
    auto doc = TVarDocument::CreateNew(base.p.d, "a.rsp");
    TTableVarItem& v = doc->Var();
    ASSERT_TRUE(v.PlaceLinkedLesson(0, 1, draft, 1, 1, 1));  // la2 at hour 1
    ASSERT_TRUE(v.PlaceLinkedLesson(0, 0, draft, 1, 2, 2));  // la at hours 2-3
    // As a damaged or hand-made file has it.
    TTableCell head = draft ? v.GetDraftCell(0, 1, 2) : v.GetCell(0, 1, 2);
    head.PrevHour = 1;
    if (draft) v.SetDraftCell(0, 1, 2, head);
    else v.SetCell(0, 1, 2, head);
    auto read = TVarDocument::FromImage(base.p.d, WriteVarImage(v, doc->Options, 1), "a.rsp");
    ASSERT_NE(read, nullptr);
    const TTableVarItem& r = read->Var();
    EXPECT_EQ((draft ? r.GetDraftCell(0, 1, 2) : r.GetCell(0, 1, 2)).PrevHour, -1);
    EXPECT_EQ((draft ? r.GetDraftCell(0, 1, 3) : r.GetCell(0, 1, 3)).PrevHour, 2);
    if (draft) continue;

    ASSERT_TRUE(TakeLessonOffDay(v, 1, {0, 1}));
    ASSERT_TRUE(MoveBlock(v, 1, 0, 2, 1));
    EXPECT_EQ(v.GetCell(0, 1, 1).PrevHour, -1);
    EXPECT_EQ(v.GetCell(0, 1, 2).PrevHour, 1);
    auto back = TVarDocument::FromImage(base.p.d, WriteVarImage(v, doc->Options, 1), "a.rsp");
    ASSERT_NE(back, nullptr);
    for (int h = 1; h <= 7; ++h) EXPECT_EQ(back->Var().GetCell(0, 1, h), v.GetCell(0, 1, h)) << h;
  }
}

TEST(VarFile, HostileImagesAreRefused) {
  const auto good = BaseImage();
  Base base(7);
  ASSERT_NE(TVarDocument::FromImage(base.p.d, good, "a"), nullptr);
  auto refused = [&](std::vector<unsigned char> img) { return TVarDocument::FromImage(base.p.d, img, "a") == nullptr; };
  auto put32 = [](std::vector<unsigned char> img, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) img[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
    return img;
  };
  EXPECT_TRUE(refused({}));
  EXPECT_TRUE(refused(std::vector<unsigned char>(good.begin(), good.begin() + 131)));
  EXPECT_TRUE(refused(std::vector<unsigned char>(good.begin(), good.begin() + 132)));
  EXPECT_TRUE(refused(std::vector<unsigned char>(good.begin(), good.end() - 1)));
  auto magic = good;
  magic[1] = 'W';
  EXPECT_TRUE(refused(magic));
  EXPECT_TRUE(refused(put32(good, 16, 1)));  // version 1.1
  auto day = good;
  day[21] = 0;
  EXPECT_TRUE(refused(day));
  day[21] = 7;
  EXPECT_TRUE(refused(day));
  EXPECT_TRUE(refused(put32(good, 128, 0)));
  EXPECT_TRUE(refused(put32(good, 128, 25)));
  EXPECT_TRUE(refused(put32(good, 124, 0xFFFFFFFFu)));
  EXPECT_TRUE(refused(put32(good, 124, 0x7FFFFFFFu)));
  EXPECT_TRUE(refused(put32(good, 124, 4)));
  // Fewer stored klasses than the body holds is a valid file.
  EXPECT_FALSE(refused(put32(good, 124, 2)));
  // Garbage cells map to nothing harmful.
  auto noise = good;
  for (std::size_t i = 1024; i < noise.size(); ++i) noise[i] = static_cast<unsigned char>(i * 37);
  EXPECT_FALSE(refused(noise));
}

struct Script : IPrompt {
  std::vector<std::string> texts;
  std::vector<int> answers;
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t) override {
    texts.push_back(text);
    if (answers.empty()) return kResYes;
    const int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

struct FilesFixture : ::testing::Test {
  std::filesystem::path dir;
  Script script;
  std::unique_ptr<ScopedPrompt> scope;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("korvant_var_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    scope = std::make_unique<ScopedPrompt>(&script);
    SetVarModified(false);
  }
  void TearDown() override {
    scope.reset();
    SetVarModified(false);
    std::filesystem::remove_all(dir);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(FilesFixture, OpenShowsTheFormatMessage) {
  Base base(7);
  const auto good = BaseImage();
  ASSERT_TRUE(WriteFileReplacing(Path("good.rsp"), good));
  auto doc = TVarDocument::Open(base.p.d, Path("good.rsp"));
  ASSERT_NE(doc, nullptr);
  EXPECT_FALSE(doc->IsNew);
  EXPECT_TRUE(script.texts.empty());
  ASSERT_TRUE(WriteFileReplacing(Path("bad.rsp"), std::span(good).first(500)));
  EXPECT_EQ(TVarDocument::Open(base.p.d, Path("bad.rsp")), nullptr);
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], FormatMsg(10049, {"bad.rsp"}));
  EXPECT_EQ(TVarDocument::Open(base.p.d, Path("none.rsp")), nullptr);
  EXPECT_EQ(script.texts.back(), FormatMsg(10051, {"none.rsp"}));
}

TEST_F(FilesFixture, SaveCommandsAndTheSaveQuery) {
  Base base(7);
  auto doc = TVarDocument::CreateNew(base.p.d, Path("Новое.rsp"));
  EXPECT_EQ(doc->QuerySaveVar(), kQuerySaved);
  SetVarModified(true);
  EXPECT_EQ(doc->QuerySaveVar(), kQueryDiscarded);  // every day empty: no question
  EXPECT_TRUE(script.texts.empty());
  ASSERT_TRUE(doc->Var().PlaceLinkedLesson(2, 0, false, 1, 1, 1));

  // A new variant asks for a name; cancelling the dialog cancels the query.
  std::filesystem::path asked;
  doc->AskSaveName = [&](const std::filesystem::path& folder, std::filesystem::path&) {
    asked = folder;
    return false;
  };
  script.answers = {kResYes};
  EXPECT_EQ(doc->QuerySaveVar(), kQueryCancelled);
  EXPECT_TRUE(GetVarModified());
  EXPECT_EQ(asked, dir);
  EXPECT_EQ(script.texts.back(), FormatMsg(10056, {cp1251::fromUtf8("Новое")}));

  doc->AskSaveName = [&](const std::filesystem::path& folder, std::filesystem::path& name) {
    name = folder / "first.rsp";
    return true;
  };
  script.answers = {kResYes};
  EXPECT_EQ(doc->QuerySaveVar(), kQuerySaved);
  EXPECT_FALSE(doc->IsNew);
  EXPECT_FALSE(GetVarModified());
  EXPECT_EQ(doc->FileName, Path("first.rsp"));
  ASSERT_TRUE(std::filesystem::exists(Path("first.rsp")));
  EXPECT_FALSE(std::filesystem::exists(Path("first.rsp.tmp")));

  // Saved and not modified: mode 1 writes nothing.
  std::filesystem::remove(Path("first.rsp"));
  EXPECT_TRUE(doc->SaveVar(1));
  EXPECT_FALSE(std::filesystem::exists(Path("first.rsp")));
  SetVarModified(true);
  EXPECT_TRUE(doc->SaveVar(1));
  EXPECT_TRUE(std::filesystem::exists(Path("first.rsp")));

  SetVarModified(true);
  script.answers = {kResNo};
  EXPECT_EQ(doc->QuerySaveVar(), kQueryDiscarded);
  EXPECT_FALSE(GetVarModified());
  SetVarModified(true);
  script.answers = {kResCancel};
  EXPECT_EQ(doc->QuerySaveVar(), kQueryCancelled);
  EXPECT_TRUE(GetVarModified());

  ASSERT_TRUE(doc->SaveVarNamed("auto_1"));
  EXPECT_EQ(doc->FileName, Path("auto_1.rsp"));
  auto again = TVarDocument::Open(base.p.d, Path("auto_1.rsp"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Var().GetCell(2, 1, 1).Lesson, 0);

  // A save that cannot be written keeps the changes and says so.
  SetVarModified(true);
  doc->FileName = Path("missing/x.rsp");
  const std::size_t shown = script.texts.size();
  EXPECT_FALSE(doc->WriteVarFile());
  EXPECT_TRUE(GetVarModified());
  ASSERT_EQ(script.texts.size(), shown + 1);
  EXPECT_EQ(script.texts.back(), FormatMsg(10052, {"x.rsp"}));
}

TEST(VarFile, ShownNamesAndNewNames) {
  EXPECT_EQ(ShownVarName("/a/b/a.b.rsp"), u"a.b");
  EXPECT_EQ(ShownVarName("plan"), u"plan");
  EXPECT_EQ(ShownVarName("/a/b\\plan.longext"), u"b\\plan.longext");  // '\\' is a character of a name here
  EXPECT_EQ(NewVariantFileName("/nonexistent-folder"), "/nonexistent-folder/Новое расписание.rsp");
}

}  // namespace
}  // namespace korvant
