// The user's files as the program's windows take them: names that code
// page 1251 cannot spell, the substitution archive shared with other copies
// of the program or put back from a backup, joint lessons whose klasses
// disagree on their blocks, and copies opened read-only. Everything is done
// by clicks on the main window's tool bar and menus, the file dialogs
// answered through the windows' dialog hooks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "controls/bit_btn.h"
#include "controls/prg_string_grid.h"
#include "controls/speed_button.h"
#include "core/common/file_io.h"
#include "core/common/shared_state.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "core/substitutions/zamesh_archive.h"
#include "core/variant/var_file.h"
#include "core/variant/variant_fixture.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "reports/zamesh_journal_dlg.h"
#include "window_test_util.h"
#include "windows/planning/group_man.h"
#include "windows/planning/prepare_dlgs.h"
#include "windows/planning/week_vars_dlg.h"
#include "windows/shell/frame_fakes.h"
#include "windows/shell/main_frame.h"
#include "windows/shell/program_folders.h"
#include "windows/variant/vars_window.h"

namespace korvant {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// An archive holding today's day with one row for the absent teacher.
Bytes TodayArchive(const char* absent) {
  auto img = TZameshImage::FromBytes(TZameshImage::NewBytes());
  std::unique_ptr<TZameshImage> next;
  TZameshRow row;
  row.Texts[kZamLesson] = "1";
  row.Texts[kZamAbsent] = absent;
  EXPECT_EQ(img->PlanSave(ZameshDateOf(QDate::currentDate()), {row}, next), ZameshSaveResult::Saved);
  return next ? next->Bytes() : Bytes{};
}
using C = FrameCmd;

void Drain() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Bytes Slurp(const fs::path& p) {
  Bytes b;
  EXPECT_EQ(ReadWholeFile(p, b), FileReadStatus::Ok) << p;
  return b;
}

// A push or bit button of a dialog pressed with the mouse.
void Press(QWidget* b) {
  ASSERT_TRUE(b && b->isEnabled());
  test::LeftClick(b);
}

// Another copy of the program holding a file: its own open and lock.
class OtherCopy {
 public:
  explicit OtherCopy(const fs::path& file) : fd_(::open(file.c_str(), O_RDONLY)) {
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
  }
  ~OtherCopy() { ::close(fd_); }

 private:
  int fd_;
};

// Acts on the modal windows a command brings up, as a user would.
class Driver {
 public:
  bool toFair = true;
  std::vector<QString> seen;
  std::function<void(QWidget*)> onOther;

  explicit Driver(TPrgMdiFrame& frame) : frame_(frame) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
  }

 private:
  void Tick() {
    // A paused run: "Прервать" keeps the solution shown.
    if (Shared().WaitUser) {
      auto* h = dynamic_cast<TVarsWindowHandle*>(frame_.VariantWindow());
      if (h && h->Manager() && h->Manager()->AbortButton()->isVisible()) test::Press(h->Manager()->AbortButton());
      return;
    }
    QWidget* m = QApplication::activeModalWidget();
    if (!m) return;
    if (auto* week = qobject_cast<TWeekVarsDlg*>(m)) {
      if (week->OKButton()->isEnabled()) Press(week->OKButton());
      return;
    }
    if (m->property("driven").toBool()) return;
    m->setProperty("driven", true);
    seen.push_back(m->metaObject()->className());
    if (auto* g = qobject_cast<TWeekGroupMan*>(m)) {
      Press(toFair ? static_cast<QWidget*>(g->ToFairButton()) : g->ToDraftRadio());
      Press(g->PlaceButton());
    } else if (auto* g2 = qobject_cast<TGroupManBase*>(m)) {
      Press(g2->PlaceButton());
    } else if (auto* p = qobject_cast<TPrepareDlgBase*>(m)) {
      Press(p->YesButton());
    } else if (onOther) {
      onOther(m);
    }
  }
  TPrgMdiFrame& frame_;
  QTimer timer_;
};

struct UserFiles : ::testing::Test {
  test::ScriptedPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  QTemporaryDir dir;
  fs::path root;
  fs::path oldFolder = ProgramFolder();
  TVarsWindowFactory factory;
  std::deque<fs::path> answers;  // the file dialogs' choices, in turn
  std::vector<FileDialogRequest> dialogs;
  std::unique_ptr<TPrgMdiFrame> frame;

  void SetUp() override {
    Drain();
    test::ResetSharedState();
    root = PathFromQt(dir.path());
  }
  void TearDown() override {
    frame.reset();
    Drain();
    test::ResetSharedState();
    SetProgramFolder(oldFolder);
  }
  // The program's folder as start-up chooses it: folder, with its
  // "Project", "Variant" and "Archieve" sub-folders.
  void UseProgramFolder(const fs::path& folder) {
    for (const char* sub : {"Project", "Variant", "Archieve"}) fs::create_directories(folder / sub);
    SetUpProgramFolders(QtFromPath(folder), QString(), true);
    ASSERT_EQ(ProgramFolder(), folder);
  }
  TPrgMdiFrame& Make() {
    const FileDialogHook hook = [this](const FileDialogRequest& r, QString& chosen) {
      dialogs.push_back(r);
      if (answers.empty()) return false;
      chosen = QtFromPath(answers.front());
      answers.pop_front();
      return true;
    };
    factory.hooks.optionsDialog = [](TVarOptionsDlg&) { return false; };
    factory.hooks.fileDialog = hook;
    FrameServices s;
    s.editors = [](TMdiTable& p, QMdiArea& ws) { return std::make_unique<test::FakeEditors>(p, ws); };
    s.variants = &factory;
    frame = std::make_unique<TPrgMdiFrame>(std::move(s));
    frame->SetFileDialogHook(hook);
    frame->resize(900, 640);
    frame->show();
    return *frame;
  }
  void Click(C c) {
    ASSERT_TRUE(frame->Button(c)->isEnabled());
    test::Press(frame->Button(c));
  }
  // The command's item chosen with the mouse in its menu of the menu bar.
  void Choose(C c) {
    ASSERT_TRUE(frame->Action(c)->isEnabled());
    test::ChooseMenuItem(frame->menuBar(), frame->Action(c));
    Drain();
  }
  // Opens a project file through "Открыть проект".
  void OpenProject(const fs::path& file) {
    answers.push_back(file);
    Click(C::OpenProject);
    Drain();
  }
  TTableVarsManager* Variant() const {
    auto* h = dynamic_cast<TVarsWindowHandle*>(frame->VariantWindow());
    return h ? h->Manager() : nullptr;
  }
  QString Title(const char* name) const { return ResQ(10000) + QStringLiteral(": ") + QString::fromUtf8(name); }
  bool Asked(const std::string& text) const {
    for (const auto& a : prompt.asked)
      if (a.text == test::U(text)) return true;
    return false;
  }
};

void WriteProject(const fs::path& file, TProjectData& d) { ASSERT_TRUE(WriteFileAtomic(file, WriteProjectImage(d))); }

// ---- names code page 1251 cannot spell ---------------------------------------------------

// "café.tbl" and "caf?.tbl" side by side: each is opened and saved as
// itself, and "Сохранить как" "naïve.tbl" makes that file and leaves
// "na?ve.tbl" alone.
TEST_F(UserFiles, ProjectsNamedOutsideCodePage1251AreThemselves) {
  UseProgramFolder(root);
  const fs::path cafe = root / "Project" / "café.tbl", other = root / "Project" / "caf?.tbl";
  ASSERT_TRUE(WriteFileAtomic(cafe, DemoProjectImage()));
  TProjectData empty;
  WriteProject(other, empty);
  Make();
  OpenProject(cafe);
  ASSERT_NE(frame->Project(), nullptr);
  EXPECT_EQ(frame->Project()->GetFileName(), cafe);
  EXPECT_GT(frame->Project()->Data().Klasses.Count(), 0);  // the demonstration school, not the empty one
  EXPECT_EQ(frame->windowTitle(), Title("café"));

  const fs::path naive = root / "Project" / "naïve.tbl", lookalike = root / "Project" / "na?ve.tbl";
  ASSERT_TRUE(WriteFileAtomic(lookalike, Bytes{'k', 'e', 'e', 'p'}));
  answers.push_back(naive);
  Choose(C::SaveProjectAs);
  EXPECT_EQ(PathFromQt(dialogs.back().proposed), cafe);
  EXPECT_EQ(Slurp(lookalike), (Bytes{'k', 'e', 'e', 'p'}));
  TProjectData back;
  EXPECT_TRUE(ReadProjectImage(Slurp(naive), back));
  EXPECT_EQ(back.Klasses.Count(), frame->Project()->Data().Klasses.Count());
  EXPECT_EQ(frame->windowTitle(), Title("naïve"));
  EXPECT_TRUE(prompt.asked.empty());

  // A line break in a name is shown as a mark, not as a break.
  const fs::path twoLines = root / "Project" / "two\nlines.tbl";
  ASSERT_TRUE(WriteFileAtomic(twoLines, DemoProjectImage()));
  OpenProject(twoLines);
  EXPECT_EQ(frame->Project()->GetFileName(), twoLines);
  EXPECT_EQ(frame->windowTitle(), Title("two\uFFFDlines"));
}

// The same for variants: "café.rsp" opens as itself beside "caf?.rsp", and
// is saved as "naïve.rsp" beside "na?ve.rsp".
TEST_F(UserFiles, VariantsNamedOutsideCodePage1251AreThemselves) {
  UseProgramFolder(root);
  const fs::path school = root / "Project" / "school.tbl";
  ASSERT_TRUE(WriteFileAtomic(school, DemoProjectImage()));
  TProjectData demo;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), demo));
  const fs::path cafe = root / "Variant" / "café.rsp", other = root / "Variant" / "caf?.rsp";
  {
    auto doc = TVarDocument::CreateNew(demo, cafe);
    ASSERT_TRUE(WriteFileAtomic(other, WriteVarImage(doc->Var(), doc->Options, 1)));
    ASSERT_TRUE(doc->Var().PlaceLinkedLesson(0, 0, false, 1, 1, 1));
    ASSERT_TRUE(WriteFileAtomic(cafe, WriteVarImage(doc->Var(), doc->Options, 1)));
  }
  Make();
  OpenProject(school);
  Click(C::Planning);
  ASSERT_TRUE(frame->PlanningMode());
  answers.push_back(cafe);
  Click(C::OpenVariant);
  Drain();
  ASSERT_NE(Variant(), nullptr);
  EXPECT_EQ(Variant()->Document().FileName, cafe);
  EXPECT_EQ(Variant()->Var().GetCell(0, 1, 1).Lesson, 0);
  EXPECT_EQ(Variant()->windowTitle(), QStringLiteral("café"));

  const fs::path naive = root / "Variant" / "naïve.rsp", lookalike = root / "Variant" / "na?ve.rsp";
  ASSERT_TRUE(WriteFileAtomic(lookalike, Bytes{'k', 'e', 'e', 'p'}));
  answers.push_back(naive);
  Choose(C::SaveVariantAs);
  EXPECT_EQ(Slurp(lookalike), (Bytes{'k', 'e', 'e', 'p'}));
  auto back = TVarDocument::FromImage(demo, Slurp(naive), naive);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Var().GetCell(0, 1, 1).Lesson, 0);
  EXPECT_EQ(Variant()->windowTitle(), QStringLiteral("naïve"));
  EXPECT_TRUE(prompt.asked.empty());

  const fs::path twoLines = root / "Variant" / "two\nlines.rsp";
  fs::copy_file(naive, twoLines);
  answers.push_back(twoLines);
  Click(C::OpenVariant);
  Drain();
  ASSERT_NE(Variant(), nullptr);
  EXPECT_EQ(Variant()->Document().FileName, twoLines);
  EXPECT_EQ(Variant()->windowTitle(), QString::fromUtf16(u"two\uFFFDlines"));
}

// The substitution journal finds its archive in the program folder
// "café", not in the "caf?" beside it.
TEST_F(UserFiles, TheArchiveOfAFolderNamedOutsideCodePage1251IsItsOwn) {
  const fs::path cafe = root / "café", other = root / "caf?";
  UseProgramFolder(cafe);
  fs::create_directories(other / "Archieve");
  const fs::path theirs = other / "Archieve" / "zarch.sys";
  ASSERT_TRUE(WriteFileAtomic(theirs, TodayArchive("Other")));
  const Bytes before = Slurp(theirs);
  Make();
  ASSERT_TRUE(frame->OpenDemoProject());
  Click(C::Planning);
  std::string shown = "?";
  Driver driver(*frame);
  driver.onOther = [&](QWidget* m) {
    auto* journal = qobject_cast<TViewZameshDlg*>(m);
    ASSERT_TRUE(journal);
    shown = journal->Grid()->Cells(kZamAbsent, 1);
    Press(journal->CloseButton());
  };
  Click(C::Journal);
  EXPECT_EQ(shown, "");  // a new archive of its own, without the other folder's day
  EXPECT_TRUE(fs::is_regular_file(cafe / "Archieve" / "zarch.sys"));
  EXPECT_EQ(Slurp(theirs), before);
  EXPECT_TRUE(prompt.asked.empty());
}

// ---- the archive between copies of the program ---------------------------------------

struct ArchiveFiles : UserFiles {
  fs::path archive;
  Bytes oneDay;  // today's day with one row
  void SetUp() override {
    UserFiles::SetUp();
    UseProgramFolder(root / "program");
    archive = root / "program" / "Archieve" / "zarch.sys";
    oneDay = TodayArchive("Ivanov");
  }
  void OpenPlanning() {
    Make();
    ASSERT_TRUE(frame->OpenDemoProject());
    Click(C::Planning);
    ASSERT_TRUE(frame->PlanningMode());
  }
};

// Another copy holds the archive, reached here through a link to the file:
// the journal does not open it a second time.
TEST_F(ArchiveFiles, AnArchiveAnotherCopyHoldsThroughALinkIsNotOpened) {
  const fs::path real = root / "shared" / "zarch.sys";
  fs::create_directories(real.parent_path());
  ASSERT_TRUE(WriteFileAtomic(real, oneDay));
  fs::create_symlink(real, archive);
  OpenPlanning();
  OtherCopy other(real);
  bool opened = false;
  Driver driver(*frame);
  driver.onOther = [&](QWidget* m) {
    opened = qobject_cast<TViewZameshDlg*>(m) != nullptr;
    m->close();
  };
  Click(C::Journal);
  EXPECT_FALSE(opened);
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10407)));
}

// An archive put back from a backup while the journal is open is not
// written over without asking; "Нет" keeps it as it is.
TEST_F(ArchiveFiles, AnArchiveReplacedOnDiskIsNotOverwrittenWithoutAsking) {
  ASSERT_TRUE(WriteFileAtomic(archive, oneDay));
  OpenPlanning();
  const Bytes backup = TZameshImage::NewBytes();
  Driver driver(*frame);
  driver.onOther = [&](QWidget* m) {
    auto* journal = qobject_cast<TViewZameshDlg*>(m);
    ASSERT_TRUE(journal);
    ASSERT_EQ(journal->Grid()->Cells(kZamAbsent, 1), "Ivanov");
    // The backup goes back while the row is taken out of the day.
    ASSERT_TRUE(WriteFileAtomic(archive, backup));
    TPrgStringGrid* g = journal->Grid();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, g->CellRect(kZamLesson, 1).center());
    prompt.answers = {kResYes, kResNo, kResYes};  // delete the row; keep the file; let the day go
    Press(journal->DeleteButton());
    Press(journal->CloseButton());
  };
  Click(C::Journal);
  ASSERT_EQ(prompt.asked.size(), 3u);
  EXPECT_EQ(prompt.asked[1].text, test::U(FormatMsg(10402, {"zarch.sys"})));
  EXPECT_EQ(prompt.asked[1].kind, kBoxYesNo);
  EXPECT_EQ(Slurp(archive), backup);
}

// An archive in a folder that takes no file opens for reading, and the
// journal says at once that its days will not be saved.
TEST_F(ArchiveFiles, AnArchiveThatCannotBeWrittenIsNamedWhenTheJournalOpens) {
  ASSERT_TRUE(WriteFileAtomic(archive, oneDay));
  fs::permissions(archive.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
  OpenPlanning();
  std::string shown;
  std::size_t askedBefore = 99;
  Driver driver(*frame);
  driver.onOther = [&](QWidget* m) {
    auto* journal = qobject_cast<TViewZameshDlg*>(m);
    ASSERT_TRUE(journal);
    askedBefore = prompt.asked.size();
    shown = journal->Grid()->Cells(kZamAbsent, 1);
    Press(journal->CloseButton());
  };
  Click(C::Journal);
  fs::permissions(archive.parent_path(), fs::perms::owner_all);
  EXPECT_EQ(shown, "Ivanov");
  ASSERT_EQ(askedBefore, 1u);
  EXPECT_EQ(prompt.asked[0].text, test::U(FormatMsg(10414, {"zarch.sys"})));
}

// ---- joint lessons whose klasses disagree on their blocks -----------------------------

// X (klass 0, one block of 1 hour) and Y (klass 1, three blocks of 2) are
// one joint lesson of one teacher. No command places a block the other
// klass cannot hold: each one's variant is saved with "Сохранить вариант"
// and the file gives it back cell for cell.
TEST_F(UserFiles, JointBlocksAKlassCannotHoldAreNeverPlacedOrSaved) {
  UseProgramFolder(root);
  testing::ProjectBuilder b;
  const int32_t s = b.Subject(), t = b.Teacher();
  for (int k = 0; k < 2; ++k) {
    b.Klass();
    b.d.Klasses[k]->ChildrenInKlass = 20;
    b.d.Klasses[k]->ChangeStartLesson(1, 1);
  }
  TLessonItem* x = b.Lesson(b.d.Klasses[0]->ID(), {{s, t}}, {1});
  TLessonItem* y = b.Lesson(b.d.Klasses[1]->ID(), {{s, t}}, {2, 2, 2});
  testing::ProjectBuilder::Link(x, 0, y, 0);
  const fs::path school = root / "Project" / "joint.tbl";
  WriteProject(school, b.d);
  Make();
  OpenProject(school);
  Click(C::Planning);
  ASSERT_TRUE(frame->PlanningMode());
  struct Command {
    C cmd;
    bool toFair;
    const char* name;
  };
  int n = 0;
  for (const Command c : {Command{C::WeekVariants, true, "week search, fair copy"},
                          Command{C::WeekVariants, false, "week search, drafts"},
                          Command{C::PlaceLessons, true, "placement run"}}) {
    SCOPED_TRACE(c.name);
    Driver driver(*frame);
    driver.toFair = c.toFair;
    Click(c.cmd);
    Drain();
    ASSERT_FALSE(driver.seen.empty());
    TTableVarsManager* w = Variant();
    ASSERT_NE(w, nullptr);
    const fs::path file = root / "Variant" / ("v" + std::to_string(++n) + ".rsp");
    answers.push_back(file);
    Choose(C::SaveVariantAs);
    ASSERT_TRUE(fs::is_regular_file(file));
    auto back = TVarDocument::FromImage(frame->Project()->Data(), Slurp(file), file);
    ASSERT_NE(back, nullptr);
    for (int k = 0; k < 2; ++k)
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= w->Model().L(); ++h) {
          EXPECT_EQ(back->Var().GetCell(k, d, h), w->Var().GetCell(k, d, h)) << k << " " << d << " " << h;
          EXPECT_EQ(back->Var().GetDraftCell(k, d, h), w->Var().GetDraftCell(k, d, h)) << k << " " << d << " " << h;
        }
  }
}

// ---- copies opened read-only ------------------------------------------------------------

// A project or variant another copy has open, or one the user may not
// write, is opened read-only, and its window's caption says so from the
// start; another copy's hold is also told in a message.
TEST_F(UserFiles, ACopyOpenedReadOnlySaysSoInItsCaption) {
  UseProgramFolder(root);
  const fs::path school = root / "Project" / "school.tbl", variant = root / "Variant" / "v.rsp";
  ASSERT_TRUE(WriteFileAtomic(school, DemoProjectImage()));
  TProjectData demo;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), demo));
  {
    auto doc = TVarDocument::CreateNew(demo, variant);
    ASSERT_TRUE(WriteFileAtomic(variant, WriteVarImage(doc->Var(), doc->Options, 1)));
  }
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "held by another copy" : "not writable");
    frame.reset();
    prompt.asked.clear();
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read;
    if (!held) {
      fs::permissions(school, readOnly);
      fs::permissions(variant, readOnly);
    }
    Make();
    {
      std::optional<OtherCopy> other;
      if (held) other.emplace(school);
      OpenProject(school);
    }
    ASSERT_NE(frame->Project(), nullptr);
    EXPECT_TRUE(frame->Project()->IsReadOnly());
    EXPECT_EQ(frame->windowTitle(), Title("school") + ResQ(10416));
    EXPECT_EQ(Asked(FormatMsg(10400, {"school.tbl"})), held);

    Click(C::Planning);  // saving first is not asked: the project is not modified
    ASSERT_TRUE(frame->PlanningMode());
    {
      std::optional<OtherCopy> other;
      if (held) other.emplace(variant);
      answers.push_back(variant);
      Click(C::OpenVariant);
      Drain();
    }
    ASSERT_NE(Variant(), nullptr);
    EXPECT_TRUE(Variant()->Document().ReadOnly);
    EXPECT_EQ(Variant()->windowTitle(), QStringLiteral("v") + ResQ(10416));
    EXPECT_EQ(Asked(FormatMsg(10406, {"v"})), held);
  }
}

}  // namespace
}  // namespace korvant
