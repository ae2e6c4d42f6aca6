// Files that two copies of the program share, files changed behind the
// program's back, read-only files, and identifiers the variant file cannot
// hold.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/common/shared_state.h"
#include "core/project/data_checks.h"
#include "core/project/project.h"
#include "core/substitutions/zamesh_archive.h"
#include "core/variant/joint_blocks.h"
#include "core/variant/var_file.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

namespace fs = std::filesystem;
using testing::ProjectBuilder;
using Image = std::vector<unsigned char>;

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

Image Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Image(std::istreambuf_iterator<char>(f), {});
}

struct SharedFiles : ::testing::Test {
  fs::path dir;
  Script script;
  std::unique_ptr<ScopedPrompt> scope;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("korvant_shared_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    scope = std::make_unique<ScopedPrompt>(&script);
    SetVarModified(false);
  }
  void TearDown() override {
    scope.reset();
    SetVarModified(false);
    fs::remove_all(dir);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // A saved project with one room and one klass.
  std::string SavedProject(const std::string& name) {
    TMdiTable t;
    t.CreateNew(Path(name));
    t.Data().Rooms.Add()->SetName("r1");
    t.Data().Klasses.Add()->SetName("5a");
    EXPECT_EQ(t.Save(), SaveResult::Saved);
    return Path(name);
  }
};

TEST_F(SharedFiles, ASecondCopyOpensAProjectReadOnlyAndCannotOverwriteIt) {
  const std::string p = SavedProject("p.tbl");
  TMdiTable a, b;
  ASSERT_TRUE(a.Open(p));
  EXPECT_FALSE(a.IsReadOnly());
  EXPECT_TRUE(script.texts.empty());
  ASSERT_TRUE(b.Open(p));  // another open file description: another copy
  EXPECT_TRUE(b.IsReadOnly());
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], FormatMsg(10400, {"p.tbl"}));

  // A empties its rooms and saves; B's change goes nowhere by itself.
  a.Data().Rooms.Clear();
  a.SetModified(true);
  ASSERT_EQ(a.Save(), SaveResult::Saved);
  const Image saved = Slurp(p);
  b.Data().Klasses.Clear();
  b.SetModified(true);
  EXPECT_EQ(b.Save(), SaveResult::NeedsName);
  EXPECT_FALSE(b.SaveOrAskName());  // no view to ask: nothing written
  EXPECT_FALSE(b.SaveAs(p, false));
  EXPECT_EQ(script.texts.back(), FormatMsg(10401, {"p.tbl"}));
  EXPECT_EQ(Slurp(p), saved);
  EXPECT_EQ(b.GetFileName(), p);
  EXPECT_TRUE(b.IsModified());

  // The lock went over to the file A wrote.
  TMdiTable c;
  ASSERT_TRUE(c.Open(p));
  EXPECT_TRUE(c.IsReadOnly());
  // B keeps its work under another name, which it then holds.
  ASSERT_TRUE(b.SaveAs(Path("b.tbl"), false));
  EXPECT_FALSE(b.IsReadOnly());
  TMdiTable d;
  ASSERT_TRUE(d.Open(Path("b.tbl")));
  EXPECT_TRUE(d.IsReadOnly());
}

TEST_F(SharedFiles, AnotherProcessSeesTheLockUntilTheProjectIsClosed) {
  const std::string p = SavedProject("p.tbl");
  auto childOpensReadOnly = [&]() {
    const pid_t pid = ::fork();
    if (pid == 0) {
      Script quiet;
      ScopedPrompt s(&quiet);
      TMdiTable t;
      ::_exit(!t.Open(p) ? 2 : t.IsReadOnly() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  {
    TMdiTable a;
    ASSERT_TRUE(a.Open(p));
    EXPECT_EQ(childOpensReadOnly(), 1);
    a.SetModified(true);
    ASSERT_EQ(a.Save(), SaveResult::Saved);
    EXPECT_EQ(childOpensReadOnly(), 1);
  }
  EXPECT_EQ(childOpensReadOnly(), 0);
}

TEST_F(SharedFiles, AProjectChangedOnDiskIsReplacedOnlyWhenTheUserSaysSo) {
  const std::string p = SavedProject("p.tbl");
  TMdiTable a;
  ASSERT_TRUE(a.Open(p));
  // Another program (that knows no locks) writes the file.
  const Image theirs = {'T', 'I', 'M', 'E'};
  ASSERT_TRUE(WriteFileAtomic(FsPath(p), theirs));
  a.SetModified(true);
  script.answers = {kResNo};
  EXPECT_EQ(a.Save(), SaveResult::Failed);
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], FormatMsg(10402, {"p.tbl"}));
  EXPECT_EQ(Slurp(p), theirs);
  EXPECT_TRUE(a.IsModified());
  script.answers = {kResYes};
  EXPECT_EQ(a.Save(), SaveResult::Saved);
  EXPECT_NE(Slurp(p), theirs);
  // Our own save is no change behind our back.
  a.SetModified(true);
  EXPECT_EQ(a.Save(), SaveResult::Saved);
  EXPECT_EQ(script.texts.size(), 2u);
}

TEST_F(SharedFiles, AReadOnlyFileIsNotReplaced) {
  const std::string p = SavedProject("p.tbl");
  const Image before = Slurp(p);
  TMdiTable a;
  ASSERT_TRUE(a.Open(p));
  ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
  a.Data().Rooms.Clear();
  a.SetModified(true);
  EXPECT_EQ(a.Save(), SaveResult::Failed);
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], FormatMsg(10052, {"p.tbl"}));
  EXPECT_EQ(Slurp(p), before);
  struct stat st {};
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++entries;
  EXPECT_EQ(entries, 1);
}

// Klass A with one lesson, a room.
struct OneKlass {
  ProjectBuilder p{7};
  int32_t a, room, lesson;
  OneKlass() {
    room = p.Room();
    const int32_t s = p.Subject(), t = p.Teacher();
    a = p.Klass();
    lesson = p.Lesson(a, {{s, t}}, {1})->ID();
  }
};

TEST_F(SharedFiles, ASecondCopyOpensAVariantReadOnly) {
  OneKlass k;
  {
    auto doc = TVarDocument::CreateNew(k.p.d, Path("v.rsp"));
    ASSERT_TRUE(doc->Var().PlaceLinkedLesson(0, 0, false, 1, 1, 1));
    ASSERT_TRUE(doc->WriteVarFile());
  }
  const Image saved = Slurp(Path("v.rsp"));
  auto first = TVarDocument::Open(k.p.d, Path("v.rsp"));
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->ReadOnly);
  EXPECT_TRUE(script.texts.empty());
  auto second = TVarDocument::Open(k.p.d, Path("v.rsp"));
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->ReadOnly);
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], FormatMsg(10406, {"v"}));

  // The second copy empties day 1: saving asks for another name, and the
  // open file itself is refused.
  second->Var().ClearDay(1);
  SetVarModified(true);
  int asked = 0;
  second->AskSaveName = [&](const fs::path&, fs::path&) {
    ++asked;
    return false;
  };
  EXPECT_FALSE(second->SaveVar(1));
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(second->WriteVarFile());
  EXPECT_EQ(script.texts.back(), FormatMsg(10401, {"v.rsp"}));
  EXPECT_EQ(Slurp(Path("v.rsp")), saved);

  // The first copy's file is changed by another program: asked first.
  ASSERT_TRUE(WriteFileAtomic(FsPath(Path("v.rsp")), Image(2000, 0)));
  script.answers = {kResNo};
  EXPECT_FALSE(first->WriteVarFile());
  EXPECT_EQ(script.texts.back(), FormatMsg(10402, {"v.rsp"}));
  EXPECT_EQ(Slurp(Path("v.rsp")), Image(2000, 0));
  script.answers = {kResYes};
  EXPECT_TRUE(first->WriteVarFile());
  EXPECT_EQ(Slurp(Path("v.rsp")), saved);
}

TEST_F(SharedFiles, AnArchiveHeldByAnotherCopyIsNamedSo) {
  const std::string path = Path("zarch.sys");
  ASSERT_TRUE(TZameshArchive::Create(path));
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(TZameshArchive::Open(path, nullptr), nullptr);
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], LoadResStr(10407));
  ::close(fd);
  EXPECT_NE(TZameshArchive::Open(path, nullptr), nullptr);
}

TEST(ProjectIds, DuplicateIdentifiersOfEveryListAreRefused) {
  for (int kind = 0; kind < 4; ++kind) {
    SCOPED_TRACE(kind);
    TProjectData d;
    for (int i = 0; i < 3; ++i) {
      d.Rooms.Add();
      d.Subjects.Add();
      d.Klasses.Add();
      d.Teachers.Add();
    }
    ASSERT_TRUE(ReadProjectImage(WriteProjectImage(d), d));
    switch (kind) {
      case 0: d.Rooms[2]->SetID(d.Rooms[0]->ID()); break;
      case 1: d.Subjects[2]->SetID(d.Subjects[0]->ID()); break;
      case 2: d.Klasses[2]->SetID(d.Klasses[0]->ID()); break;
      case 3: d.Teachers[2]->SetID(d.Teachers[0]->ID()); break;
    }
    EXPECT_FALSE(ReadProjectImage(WriteProjectImage(d), d));
    EXPECT_EQ(d.Rooms.Count() + d.Subjects.Count() + d.Klasses.Count() + d.Teachers.Count(), 0);
  }
}

TEST_F(SharedFiles, IdentifiersTheVariantFileCannotHoldAreReportedAndNotLost) {
  // Klass B (65536) stands before klass A (0): a mark cut to 16 bits
  // would make B's row A's.
  OneKlass k;
  TKlassItem* b = k.p.d.Klasses.Add();
  b->SetID(65536);
  b->SetName("B");
  k.p.d.Klasses.Move(1, 0);
  const int32_t s = k.p.d.Subjects[0]->ID(), t = k.p.d.Teachers[0]->ID();
  const int32_t lb = k.p.Lesson(65536, {{s, t}}, {1})->ID();
  TRoomItem* big = k.p.d.Rooms.Add();
  big->SetID(65535);
  big->SetName("R");

  TDataReportPages pages;
  CheckProjectData(k.p.d, &pages);
  const auto has = [&](int page, const std::string& line) {
    for (const std::string& l : pages.Lines(page))
      if (l.find(line) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(kCheckKlasses, "B: " + LoadResStr(10403)));
  EXPECT_TRUE(has(kCheckRooms, "R: " + LoadResStr(10404)));
  EXPECT_EQ(pages.Lines(kCheckRooms).size(), 2u);  // the room r1 (0) fits

  auto doc = TVarDocument::CreateNew(k.p.d, Path("v.rsp"));
  TRunModel& m = doc->Model();
  ASSERT_EQ(m.Klasses[0]->ID(), 65536);
  const int la = testing::LessonIndex(m, 1, k.lesson);
  ASSERT_TRUE(doc->Var().PlaceLinkedLesson(1, la, false, 1, 1, 1));
  ASSERT_TRUE(doc->WriteVarFile());
  auto back = TVarDocument::Open(k.p.d, Path("v.rsp"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Var().GetCell(1, 1, 1).Lesson, la);
  EXPECT_EQ(back->Var().GetCell(0, 1, 1).Lesson, -1);
  back.reset();

  // A lesson of B, or the room 65535 given to A's lesson, would be lost:
  // the save is refused and the file stays.
  const Image saved = Slurp(Path("v.rsp"));
  ASSERT_TRUE(doc->Var().PlaceLinkedLesson(0, testing::LessonIndex(m, 0, lb), false, 1, 2, 1));
  script.texts.clear();
  EXPECT_FALSE(doc->WriteVarFile());
  ASSERT_EQ(script.texts.size(), 1u);
  EXPECT_EQ(script.texts[0], FormatMsg(10405, {"v"}));
  EXPECT_EQ(Slurp(Path("v.rsp")), saved);
  doc->Var().ClearDay(1);
  ASSERT_TRUE(doc->Var().PlaceLinkedLesson(1, la, false, 1, 1, 1));
  TTableCell c = doc->Var().GetCell(1, 1, 1);
  c.Rooms[0] = static_cast<uint16_t>(m.Rooms.IndexOfID(65535));
  doc->Var().SetCell(1, 1, 1, c);
  EXPECT_FALSE(doc->WriteVarFile());
  EXPECT_EQ(Slurp(Path("v.rsp")), saved);
}

}  // namespace
}  // namespace korvant

namespace korvant {
namespace {

// Lessons the file would give back as something else, or not at all: the
// save names the lesson and writes nothing.
TEST_F(SharedFiles, LessonsTheFileCannotGiveBackAreNamedAndNotSaved) {
  struct Case {
    const char* what;
    int msg;
    bool bigFirst;  // the lesson of identifier 1000000 stands before lesson 0
  };
  for (const Case c : {Case{"identifier of a separated part", 10411, false},
                       Case{"separated part sharing its identifier", 10411, true}, Case{"joint block", 10410, false},
                       Case{"fits", 0, false}}) {
    SCOPED_TRACE(c.what);
    ProjectBuilder p;
    const int32_t s = p.Subject(), t = p.Teacher(), k0 = p.Klass(), k1 = p.Klass();
    p.d.Subjects[0]->SetName("S");
    p.d.Klasses[0]->SetName("K0");
    p.d.Klasses[1]->SetName("K1");
    // Lesson 0 has its separated blocks planned as lesson 1000000; a real
    // lesson of that identifier, linked to klass K1's lesson Z, stands in the
    // same klass (only where a case wants them to meet).
    TLessonItem* sep = p.Lesson(k0, {{s, t}}, {1, 1}, {1});
    ASSERT_EQ(sep->ID(), 0);
    TLessonItem* big = p.Lesson(k0, {{s, t}}, {1, 2});
    big->SetID(c.msg == 10411 ? kSepLessonIDOffset : kSepLessonIDOffset + 7);
    // X of K0 holds one 2-hour block, Y of K1 two 1-hour blocks.
    TLessonItem* x = p.Lesson(k0, {{s, t}}, {2});
    TLessonItem* y = p.Lesson(k1, {{s, t}}, {1, 1});
    ProjectBuilder::Link(x, 0, y, 0);
    ProjectBuilder::Link(big, 0, p.Lesson(k1, {{s, t}}, {1, 2}), 0);
    // A of K0 joint through its two groups with B and C, both of K1: the
    // two cannot share A's hour, so C is planned on its own.
    TLessonItem* a = p.Lesson(k0, {{s, t}, {s, t}}, {1});
    TLessonItem* b = p.Lesson(k1, {{s, t}}, {1});
    TLessonItem* cc = p.Lesson(k1, {{s, t}}, {1});
    ProjectBuilder::Link(a, 0, b, 0);
    ProjectBuilder::Link(a, 1, cc, 0);
    if (c.bigFirst) p.d.Lessons.Move(1, 0);
    auto doc = TVarDocument::CreateNew(p.d, Path("v.rsp"));
    TRunModel& m = doc->Model();
    int lb = 0;
    while (m.Klasses[0]->Lessons[lb]->ID() != big->ID() || m.Klasses[0]->Lessons[lb]->SeparatedPart) ++lb;
    const int l0 = testing::LessonIndex(m, 0, 0), lx = testing::LessonIndex(m, 0, x->ID());
    ASSERT_TRUE(m.Klasses[0]->Lessons[l0 + 1]->SeparatedPart);
    // Its link is its own, not that of a separated part (which would look
    // for lesson Z + 1000000 and find nothing).
    TLinkedLists lists;
    ASSERT_TRUE(m.Klasses.CollectLinkedLessons(0, lb, lists));
    EXPECT_EQ(lists.LessonCount(), 2);
    // Lesson 0 itself, its separated part alone, the lesson of 1000000, X.
    const bool placed[] = {!c.bigFirst, true, c.msg == 10411 && !c.bigFirst, c.msg == 10410};
    const int at[][3] = {{l0, 1, 1}, {l0 + 1, 2, 1}, {lb, 3, 1}, {lx, 4, 2}};
    for (int i = 0; i < 4; ++i)
      if (placed[i]) {
        ASSERT_TRUE(doc->Var().PlaceLinkedLesson(0, at[i][0], false, at[i][1], 1, at[i][2]));
      }
    if (c.msg == 0) {
      // A with B, then C where the pop-up offers it: beside A, on A's day.
      const int la = testing::LessonIndex(m, 0, a->ID()), lc = testing::LessonIndex(m, 1, cc->ID());
      ASSERT_TRUE(doc->Var().PlaceLinkedLesson(0, la, false, 5, 1, 1));
      ASSERT_TRUE(JointBlockFree(doc->Var(), 1, lc, 1, 5));
      ASSERT_TRUE(doc->Var().PlaceLinkedLesson(1, lc, false, 5, 2, 1));
      EXPECT_EQ(doc->Var().CountLessonInDay(0, la, 5), 1);
    }
    script.texts.clear();
    EXPECT_EQ(doc->WriteVarFile(), c.msg == 0);
    if (c.msg == 0) {
      EXPECT_TRUE(script.texts.empty());
      auto back = TVarDocument::Open(p.d, Path("v.rsp"));
      ASSERT_NE(back, nullptr);
      for (int k = 0; k < 2; ++k)
        for (int d = 1; d <= 6; ++d)
          for (int h = 1; h <= m.L(); ++h) EXPECT_EQ(back->Var().GetCell(k, d, h), doc->Var().GetCell(k, d, h));
      continue;
    }
    ASSERT_EQ(script.texts.size(), 1u);
    EXPECT_EQ(script.texts[0], FormatMsg(c.msg, {"v", c.msg == 10411 ? "K0, S" : "K1, S"}));
    EXPECT_FALSE(fs::exists(dir / "v.rsp"));
  }
}

}  // namespace
}  // namespace korvant

namespace korvant {
namespace {

// A file far larger than any of the program's files is refused by one rule
// whichever kind it is opened as: its format is not known (10049), without
// a byte of it read.
TEST_F(SharedFiles, FilesFarTooLargeAreRefusedAsUnknownFormats) {
  const fs::path big = dir / "big.bin";
  { std::ofstream(big, std::ios::binary) << 'x'; }
  fs::resize_file(big, kMaxFileBytes + 1);  // sparse: nothing is written
  OneKlass k;
  TMdiTable project;
  EXPECT_FALSE(project.Open(big));
  EXPECT_EQ(TVarDocument::Open(k.p.d, big), nullptr);
  EXPECT_EQ(TZameshArchive::Open(big, nullptr), nullptr);
  EXPECT_EQ(script.texts, std::vector<std::string>(3, FormatMsg(10049, {"big.bin"})));
}

}  // namespace
}  // namespace korvant
