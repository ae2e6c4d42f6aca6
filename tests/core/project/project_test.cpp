#include "core/project/project.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <random>

#include "base/cp1251.h"
#include "core/common/file_io.h"
#include "core/common/window_messages.h"  // with project.h: one set of show commands

namespace korvant {
namespace {

namespace fs = std::filesystem;
using Image = std::vector<unsigned char>;

// Records every box; answers from the script, then "Да" for kind 0 and
// fails the test for an unscripted question.
class RecordingPrompt : public IPrompt {
 public:
  struct Call {
    std::string text;
    uint8_t kind;
  };
  explicit RecordingPrompt(std::deque<int> answers = {}) : answers_(std::move(answers)) {}
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    calls.push_back({text, kind});
    if (answers_.empty()) {
      EXPECT_EQ(kind, kBoxOk) << "unscripted question: " << cp1251::toUtf8(text);
      return kind == kBoxOk ? kResYes : kResCancel;
    }
    int a = answers_.front();
    answers_.pop_front();
    return a;
  }
  std::vector<Call> calls;

 private:
  std::deque<int> answers_;
};

class RecordingView : public IProjectView {
 public:
  void PumpMessages() override { ++pumps; }
  void ListsReloaded() override { ++reloads; }
  void LessonsPerDayChanged(int l) override { lessonsPerDay.push_back(l); }
  void CaptionChanged(const std::u16string& c) override { captions.push_back(c); }
  int32_t ShowEditor(int kind, bool show) override {
    shown.push_back({kind, show});
    return show ? editorState : kShowHidden;
  }
  fs::path AskSaveFileName(const fs::path& proposed) override {
    asked.push_back(proposed);
    return answerName;
  }
  int pumps = 0, reloads = 0;
  std::vector<int> lessonsPerDay;
  std::vector<std::u16string> captions;
  std::vector<std::pair<int, bool>> shown;
  int32_t editorState = kShowNormal;
  std::vector<fs::path> asked;
  fs::path answerName;
};

std::string U(const char* utf8) { return cp1251::fromUtf8(utf8); }

void Fill(TProjectData& d) {
  for (int i = 0; i < 2; ++i) d.Rooms.Add()->SetName("room");
  d.Subjects.Add()->SetName("subj");
  for (int i = 0; i < 3; ++i) d.Klasses.Add()->SetName("5a");
  for (int i = 0; i < 2; ++i) d.Teachers.Add()->SetName("teacher");
  for (int i = 0; i < 2; ++i) {
    TLessonItem* l = d.Lessons.Add();
    l->SetSubItemsCount(i + 1);
    l->ChangeQuant(1, 2);
    l->NoAttachedRoom = 1;
    l->KlassID = d.Klasses[i]->ID();
  }
  d.Params.Description = "demo";
  d.Params.LessonsPerDay = 7;
}

std::size_t LessonsStart(const Image& img, const TProjParamsRec& p) {
  return img.size() - static_cast<std::size_t>(p.Lessons.Bytes);
}

// The same project as a version 1.2 file: lesson heads without their last
// four bytes.
Image AsVersion12(const Image& img13) {
  TProjectData d;
  EXPECT_TRUE(ReadProjectImage(img13, d));
  const std::size_t start = LessonsStart(img13, d.Params);
  Image lessons;
  std::size_t at = start;
  for (int k = 0; k < d.Params.Lessons.Count; ++k) {
    const int groups = img13[at + 4];
    lessons.insert(lessons.end(), img13.begin() + at, img13.begin() + at + 200);
    at += 204;
    lessons.insert(lessons.end(), img13.begin() + at, img13.begin() + at + 84 * groups);
    at += 84 * groups;
  }
  TProjParamsRec p = d.Params;
  p.Lessons.Bytes = static_cast<int32_t>(lessons.size());
  ByteWriter w;
  TFileSignature::Make("TIME-TABLE", 1, 2).Write(w);
  WriteProjParams(w, p);
  w.padTo(1024);
  w.bytes(std::span(img13).subspan(1024, start - 1024));
  w.bytes(lessons);
  return w.take();
}

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("korvant-project-" + std::to_string(rd()));
    fs::create_directories(dir_);
    oldProgramFolder_ = ProgramFolder();
    SetProgramFolder(Dir());
  }
  void TearDown() override {
    SetProgramFolder(oldProgramFolder_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Dir() const { return dir_.native(); }
  std::string PathOf(const std::string& name) const { return Dir() + "/" + name; }
  void WriteFile(const std::string& name, const Image& img) {
    ASSERT_TRUE(WriteFileAtomic(PathOf(name), img));
  }
  Image ReadFile(const std::string& name) {
    Image img;
    EXPECT_EQ(ReadWholeFile(PathOf(name), img), FileReadStatus::Ok);
    return img;
  }
  static Image Sample() {
    TProjectData d;
    Fill(d);
    return WriteProjectImage(d);
  }

  fs::path dir_;
  std::string oldProgramFolder_;
};

TEST_F(ProjectTest, SaveOpenSaveGivesIdenticalFiles) {
  RecordingPrompt prompt;
  ScopedPrompt scope(&prompt);
  {
    TMdiTable p;
    p.CreateNew(PathOf("a.tbl"));
    EXPECT_TRUE(p.IsModified());
    Fill(p.Data());
    ASSERT_EQ(p.Save(), SaveResult::Saved);
    EXPECT_FALSE(p.IsModified());
  }
  const Image first = ReadFile("a.tbl");
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(first, d));
  EXPECT_EQ(first.size(), 1024u + 188 * 2 + 116 * 1 + 304 * 3 + 432 * 2 +
                              static_cast<std::size_t>(d.Params.Lessons.Bytes));
  EXPECT_EQ(d.Params.Lessons.Bytes, 204 * 2 + 84 * 3);

  RecordingView view;
  TMdiTable q(&view);
  ASSERT_TRUE(q.Open(PathOf("a.tbl")));
  EXPECT_EQ(q.GetFileName(), PathOf("a.tbl"));
  EXPECT_FALSE(q.IsModified());
  EXPECT_TRUE(q.HasOwnFile());
  EXPECT_EQ(q.Data().Klasses.Count(), 3);
  EXPECT_EQ(q.Params().Description, "demo");
  EXPECT_EQ(view.reloads, 1);
  EXPECT_GE(view.pumps, 1);
  ASSERT_EQ(view.captions.size(), 1u);
  EXPECT_EQ(view.captions[0], u"АРМ \"Корвант\": a");
  q.SetModified(true);
  ASSERT_EQ(q.Save(), SaveResult::Saved);
  EXPECT_EQ(ReadFile("a.tbl"), first);
  EXPECT_TRUE(prompt.calls.empty());
}

TEST_F(ProjectTest, Version12OpensWithShortLessonHeadsAndIsSavedAs13) {
  const Image img12 = AsVersion12(Sample());
  WriteFile("old.tbl", img12);
  TMdiTable p;
  ASSERT_TRUE(p.Open(PathOf("old.tbl")));
  ASSERT_EQ(p.Data().Lessons.Count(), 2);
  EXPECT_EQ(p.Data().Lessons[1]->SubItemsCount(), 2);
  EXPECT_EQ(p.Data().Lessons[0]->NoAttachedRoom, 0);  // not in 1.2 files
  EXPECT_EQ(p.Data().Lessons[1]->QuantAt(1), 2);
  p.SetModified(true);
  ASSERT_EQ(p.Save(), SaveResult::Saved);

  const Image saved = ReadFile("old.tbl");
  EXPECT_EQ(saved.size(), img12.size() + 2 * 4);
  EXPECT_EQ(saved[16], 3);  // minor version
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(saved, d));
  EXPECT_EQ(d.Params.Lessons.Bytes, 204 * 2 + 84 * 3);
  // The second lesson starts after a 204-byte head and one group.
  const std::size_t start = LessonsStart(saved, d.Params);
  EXPECT_EQ(saved[start + 204 + 84 + 4], 2);  // its group count
}

TEST_F(ProjectTest, BadFilesAreRefusedWith10049AndNothingLoaded) {
  const Image good = Sample();
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(good, d));
  const std::size_t lessons = LessonsStart(good, d.Params);
  auto patch32 = [](Image img, std::size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) img[at + i] = static_cast<unsigned char>(uint32_t(v) >> (8 * i));
    return img;
  };

  std::vector<std::pair<std::string, Image>> bad;
  bad.push_back({"short.tbl", Image(good.begin(), good.begin() + 227)});
  bad.push_back({"v14.tbl", patch32(good, 16, 4)});
  Image vari = patch32(good, 16, 0);
  const char magic[] = "VARI-TABLE";
  for (int i = 0; i < 10; ++i) vari[1 + i] = static_cast<unsigned char>(magic[i]);
  bad.push_back({"vari.tbl", vari});
  bad.push_back({"v2.tbl", patch32(good, 12, 2)});
  bad.push_back({"bytes+.tbl", patch32(good, 20 + 204, d.Params.Lessons.Bytes + 1)});
  bad.push_back({"bytes-.tbl", patch32(good, 20 + 204, d.Params.Lessons.Bytes - 84)});
  bad.push_back({"rooms.tbl", patch32(good, 20 + 164, d.Params.Rooms.Count + 1)});
  bad.push_back({"klasses.tbl", patch32(good, 20 + 180, 1 << 30)});
  bad.push_back({"lessons.tbl", patch32(good, 20 + 196, d.Params.Lessons.Count + 1)});
  bad.push_back({"negative.tbl", patch32(good, 20 + 172, -1)});
  Image groups = good;
  groups[lessons + 4] = 6;
  bad.push_back({"groups.tbl", groups});
  bad.push_back({"cut.tbl", Image(good.begin(), good.end() - 1)});
  bad.push_back({"empty.tbl", Image{}});

  for (auto& [name, img] : bad) {
    SCOPED_TRACE(name);
    WriteFile(name, img);
    RecordingPrompt prompt;
    ScopedPrompt scope(&prompt);
    RecordingView view;
    TMdiTable p(&view);
    EXPECT_FALSE(p.Open(PathOf(name)));
    ASSERT_EQ(prompt.calls.size(), 1u);
    EXPECT_EQ(prompt.calls[0].text, FormatMsg(10049, {name}));
    EXPECT_EQ(prompt.calls[0].kind, kBoxOk);
    EXPECT_EQ(p.Data().Rooms.Count(), 0);
    EXPECT_EQ(p.Data().Lessons.Count(), 0);
    EXPECT_EQ(p.GetFileName(), "");
    EXPECT_EQ(view.reloads, 0);
    // The same bytes from memory are refused the same way.
    EXPECT_FALSE(p.OpenImage(PathOf(name), img));
    EXPECT_EQ(prompt.calls.size(), 2u);
  }
}

TEST_F(ProjectTest, OldestVersionIsAcceptedAndMissingFileGives10051) {
  // 1.0 with rooms and subjects only (their records did not change).
  TProjectData d;
  d.Rooms.Add()->SetName("r1");
  d.Subjects.Add()->SetName("s1");
  Image img = WriteProjectImage(d);
  img[16] = 0;
  WriteFile("v10.tbl", img);
  RecordingPrompt prompt;
  ScopedPrompt scope(&prompt);
  TMdiTable p;
  ASSERT_TRUE(p.Open(PathOf("v10.tbl")));
  EXPECT_EQ(p.Data().Rooms[0]->Name(), "r1");

  TMdiTable q;
  EXPECT_FALSE(q.Open(PathOf("none.tbl")));
  EXPECT_FALSE(q.Open(Dir()));  // a folder is no file
  ASSERT_EQ(prompt.calls.size(), 2u);
  EXPECT_EQ(prompt.calls[0].text, U("Ошибка при открытии файла none.tbl."));
  EXPECT_EQ(prompt.calls[0].kind, kBoxOk);
  EXPECT_EQ(prompt.calls[1].text, FormatMsg(10051, {FileNameOnly(Dir())}));
}

TEST_F(ProjectTest, FailedSaveKeepsOldFileModifiedMarkAndName) {
  WriteFile("plain", Image{'x'});
  RecordingPrompt prompt;
  ScopedPrompt scope(&prompt);

  TMdiTable p;
  p.CreateNew(PathOf("plain") + "/x.tbl");  // under a regular file
  EXPECT_EQ(p.Save(), SaveResult::Failed);
  EXPECT_TRUE(p.IsModified());
  ASSERT_EQ(prompt.calls.size(), 1u);
  EXPECT_EQ(prompt.calls[0].text, U("Ошибка при записи файла x.tbl."));
  EXPECT_EQ(prompt.calls[0].kind, kBoxOk);

  // A saved project, changed, then saved into a missing folder.
  ASSERT_TRUE(p.SaveAs(PathOf("good.tbl"), false));
  const Image before = ReadFile("good.tbl");
  p.Data().Rooms.Add();
  p.SetModified(true);
  EXPECT_FALSE(p.SaveAs(PathOf("missing/b.tbl"), false));
  EXPECT_EQ(p.GetFileName(), PathOf("good.tbl"));
  EXPECT_TRUE(p.IsModified());
  EXPECT_EQ(prompt.calls.back().text, FormatMsg(10052, {"b.tbl"}));
  EXPECT_EQ(ReadFile("good.tbl"), before);
  // The folder holds nothing but what was there.
  int entries = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 2);

  // "Да" to the close query with a failing save must not close the project.
  fs::remove(dir_ / "good.tbl");
  fs::create_directory(dir_ / "good.tbl");
  RecordingPrompt yes({kResYes});
  ScopedPrompt scope2(&yes);
  EXPECT_EQ(p.QuerySave(), kQueryCancelled);
  EXPECT_TRUE(p.IsModified());
}

TEST_F(ProjectTest, SaveAsWithSaveFirstWritesBothFiles) {
  RecordingPrompt prompt;
  ScopedPrompt scope(&prompt);
  RecordingView view;
  TMdiTable p(&view);
  p.CreateNew(PathOf("one.tbl"));
  p.Data().Rooms.Add();
  ASSERT_TRUE(p.SaveAs(PathOf("two.tbl"), true));
  EXPECT_EQ(ReadFile("one.tbl"), ReadFile("two.tbl"));
  EXPECT_EQ(p.GetFileName(), PathOf("two.tbl"));
  EXPECT_FALSE(p.IsModified());
  // Unmodified: only the name changes, and the caption follows it.
  ASSERT_TRUE(p.SaveAs(PathOf("three.tbl"), true));
  EXPECT_EQ(view.captions.back(), u"АРМ \"Корвант\": three");
}

TEST_F(ProjectTest, QuerySaveAnswers) {
  RecordingView view;
  TMdiTable p(&view);
  p.CreateNew(PathOf("q.tbl"));
  {
    RecordingPrompt prompt({kResCancel, kResNo});
    ScopedPrompt scope(&prompt);
    EXPECT_EQ(p.QuerySave(), kQueryCancelled);
    EXPECT_TRUE(p.IsModified());
    EXPECT_EQ(p.QuerySave(), kQueryDiscarded);
    EXPECT_FALSE(p.IsModified());
    EXPECT_FALSE(fs::exists(dir_ / "q.tbl"));
    ASSERT_EQ(prompt.calls.size(), 2u);
    EXPECT_EQ(prompt.calls[0].text, FormatMsg(10048, {"q.tbl"}));
    EXPECT_EQ(prompt.calls[0].kind, kBoxYesNoCancel);
    // Not modified: no question.
    EXPECT_EQ(p.QuerySave(), kQuerySaved);
    EXPECT_EQ(prompt.calls.size(), 2u);
  }
  p.SetModified(true);
  {
    RecordingPrompt prompt({kResYes});
    ScopedPrompt scope(&prompt);
    EXPECT_EQ(p.QuerySave(), kQuerySaved);
    EXPECT_FALSE(p.IsModified());
    EXPECT_TRUE(fs::exists(dir_ / "q.tbl"));
  }
  // The variant is asked first; its cancel ends the query before the box.
  p.SetModified(true);
  std::vector<int> varAnswers{kQueryCancelled, kQueryDiscarded};
  int varCalls = 0;
  p.SetVarsSaveQuery([&] { return varAnswers.at(varCalls++); });
  {
    RecordingPrompt prompt({kResCancel});
    ScopedPrompt scope(&prompt);
    EXPECT_EQ(p.QuerySave(), kQueryCancelled);
    EXPECT_TRUE(prompt.calls.empty());
    EXPECT_EQ(p.QuerySave(), kQueryCancelled);  // then the project's own box
    EXPECT_EQ(prompt.calls.size(), 1u);
    EXPECT_EQ(varCalls, 2);
  }
}

TEST_F(ProjectTest, SaveBeforePlanning) {
  TMdiTable p;
  p.CreateNew(PathOf("plan.tbl"));
  RecordingPrompt prompt({kResNo, kResYes});
  ScopedPrompt scope(&prompt);
  EXPECT_FALSE(p.SaveBeforePlanning());
  EXPECT_TRUE(p.IsModified());
  EXPECT_TRUE(p.SaveBeforePlanning());
  EXPECT_FALSE(p.IsModified());
  EXPECT_EQ(prompt.calls[0].text, FormatMsg(10053, {"plan.tbl"}));
  EXPECT_EQ(prompt.calls[0].kind, kBoxYesNo);
}

TEST_F(ProjectTest, DemonstrationProjectIsSavedUnderANewName) {
  fs::create_directory(dir_ / "Project");
  EXPECT_EQ(DemoProjectFileName(), Dir() + "/Project/Демонстрационный проект");
  EXPECT_EQ(DemoProjectSaveName(), Dir() + "/Project/Демонстрационный проект.tbl");

  RecordingPrompt prompt({kResYes, kResYes});
  ScopedPrompt scope(&prompt);
  RecordingView view;
  TMdiTable p(&view);
  ASSERT_TRUE(p.OpenImage(DemoProjectFileName(), Sample()));
  EXPECT_FALSE(p.HasOwnFile());
  EXPECT_EQ(p.Caption(), u"АРМ \"Корвант\": Демонстрационный проект");
  p.SetModified(true);
  EXPECT_EQ(p.Save(), SaveResult::NeedsName);
  EXPECT_TRUE(p.IsModified());
  EXPECT_EQ(p.SaveAsProposal(), DemoProjectSaveName());
  // The user cancels the name: nothing is written, nothing closes.
  EXPECT_EQ(p.QuerySave(), kQueryCancelled);
  ASSERT_EQ(view.asked.size(), 1u);
  EXPECT_EQ(view.asked[0], DemoProjectSaveName());
  view.answerName = DemoProjectSaveName();
  EXPECT_EQ(p.QuerySave(), kQuerySaved);
  EXPECT_TRUE(p.HasOwnFile());
  EXPECT_EQ(p.GetFileName(), DemoProjectSaveName());
  EXPECT_TRUE(fs::is_regular_file(DemoProjectSaveName()));
}

TEST_F(ProjectTest, CaptionToldOnlyOnChange) {
  EXPECT_EQ(ProjectCaption("/x/a.tbl", true), u"АРМ \"Корвант\": a (изменен)");
  EXPECT_EQ(ProjectCaption("a.tbl", false), u"АРМ \"Корвант\": a");
  EXPECT_EQ(ProjectCaption("/x/a.tbl", true, true), u"АРМ \"Корвант\": a (изменен) (только для чтения)");
  // Names are the disk's own: characters code page 1251 lacks stay.
  EXPECT_EQ(ProjectCaption("/x/café.tbl", false), u"АРМ \"Корвант\": café");
  EXPECT_EQ(ShownName16("/x/name.longext"), u"name.longext");
  EXPECT_EQ(ShownName16("/x.y/a.b.c"), u"a.b");
  EXPECT_EQ(ShownName16("/x/ab.c"), u"ab");
  EXPECT_EQ(ShownName16("/x/plain"), u"plain");
  EXPECT_EQ(ShownName16("/x/na\xefve.tbl"), u"na\uFFFDve");  // not UTF-8: shown, not refused

  RecordingView view;
  TMdiTable p(&view);
  p.CreateNew(PathOf("a.tbl"));
  ASSERT_EQ(view.captions.size(), 1u);
  EXPECT_EQ(view.captions[0], u"АРМ \"Корвант\": a (изменен)");
  p.SetModified(true);
  EXPECT_EQ(view.captions.size(), 1u);
  p.SetModified(false);
  p.SetModified(false);
  ASSERT_EQ(view.captions.size(), 2u);
  EXPECT_EQ(view.captions[1], u"АРМ \"Корвант\": a");
}

TEST_F(ProjectTest, NewProjectNamesAndAlreadyOpenTest) {
  int counter = 0;
  EXPECT_EQ(NextNewProjectName(counter), Dir() + "/Новый_1.tbl");
  fs::create_directory(dir_ / "Project");
  EXPECT_EQ(NextNewProjectName(counter), Dir() + "/Project/Новый_2.tbl");
  EXPECT_EQ(counter, 2);

  // Two files whose names differ in case only are two files here; one file
  // reached by another spelling of its path, or through a link, is one.
  for (const char* n : {"a.tbl", "A.tbl"}) std::ofstream(dir_ / n) << n;
  fs::create_directory(dir_ / "sub");
  fs::create_symlink(dir_ / "a.tbl", dir_ / "link.tbl");
  const std::string a = Dir() + "/a.tbl";
  EXPECT_FALSE(SameFileName(a, Dir() + "/A.tbl"));
  EXPECT_TRUE(SameFileName(a, Dir() + "/sub/../a.tbl"));
  EXPECT_TRUE(SameFileName(a, Dir() + "/link.tbl"));
  EXPECT_FALSE(SameFileName(Dir() + "/new.tbl", Dir() + "/New.tbl"));  // not yet on disk
  EXPECT_TRUE(SameFileName(Dir() + "/new.tbl", Dir() + "/./new.tbl"));
  EXPECT_FALSE(SameFileName(a, a + " "));

  TMdiTable p;
  p.CreateNew(a);
  RecordingPrompt prompt;
  ScopedPrompt scope(&prompt);
  EXPECT_TRUE(CheckNotAlreadyOpen(nullptr, a));
  EXPECT_TRUE(CheckNotAlreadyOpen(&p, Dir() + "/A.tbl"));
  EXPECT_TRUE(prompt.calls.empty());
  EXPECT_FALSE(CheckNotAlreadyOpen(&p, Dir() + "/link.tbl"));
  ASSERT_EQ(prompt.calls.size(), 1u);
  EXPECT_EQ(prompt.calls[0].text, U("Проект link.tbl уже открыт."));
}

TEST_F(ProjectTest, EditorShowStateAndParameters) {
  RecordingView view;
  TMdiTable p(&view);
  ASSERT_TRUE(p.OpenImage("demo", Sample()));
  view.editorState = kShowMaximized;
  p.ShowManager(2, true, false);
  EXPECT_EQ(p.Params().ShowCmd[2], kShowMaximized);
  EXPECT_FALSE(p.IsModified());
  p.ShowManager(3, false, true);
  EXPECT_EQ(p.Params().ShowCmd[3], kShowHidden);
  EXPECT_TRUE(p.IsModified());
  p.ShowManager(5, true, true);
  EXPECT_EQ(view.shown.size(), 2u);

  p.SetModified(false);
  p.SetShowState(0, kShowNormal);  // unchanged
  EXPECT_FALSE(p.IsModified());
  p.SetShowState(0, 7);  // not a show command
  p.SetShowState(9, kShowMinimized);
  EXPECT_FALSE(p.IsModified());
  p.SetShowState(0, kShowMinimized);
  EXPECT_TRUE(p.IsModified());
  EXPECT_EQ(p.EditorShowCmd(0), kShowMinimized);
  p.Params().ShowCmd[1] = 42;  // as a file may hold
  EXPECT_EQ(p.EditorShowCmd(1), kShowNormal);

  p.SetModified(false);
  p.Params().LessonsPerDay = 6;
  p.ParamsAccepted();
  EXPECT_TRUE(p.IsModified());
  EXPECT_EQ(view.lessonsPerDay, std::vector<int>{6});
}

}  // namespace
}  // namespace korvant
