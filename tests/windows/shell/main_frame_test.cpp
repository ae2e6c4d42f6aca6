#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest/QTest>

#include <set>

#include "controls/form_util.h"
#include "core/common/shared_state.h"
#include "frame_fakes.h"
#include "platform/help_service.h"
#include "window_test_util.h"
#include "windows/shell/about_dlg.h"
#include "windows/shell/error_box.h"
#include "windows/shell/main_frame.h"
#include "windows/shell/program_folders.h"
#include "windows/shell/proj_params_dlg.h"
#include "windows/shell/test_data_dlg.h"

namespace korvant {
namespace {

using test::FakeEditors;
using test::FakeVariantFactory;
using test::ScriptedPrompt;
using test::W;
using test::WhenModal;
using C = FrameCmd;

const std::map<C, const char*>& Names() {
  static const std::map<C, const char*> names = {
      {C::NewProject, "NewProject"}, {C::OpenProject, "OpenProject"}, {C::SaveProject, "SaveProject"},
      {C::SaveProjectAs, "SaveProjectAs"}, {C::CloseProject, "CloseProject"}, {C::PrintData, "PrintData"},
      {C::Params, "Params"}, {C::DataExit, "DataExit"}, {C::DataCheck, "DataCheck"}, {C::Planning, "Planning"},
      {C::WinRooms, "WinRooms"}, {C::WinSubjects, "WinSubjects"}, {C::WinKlasses, "WinKlasses"},
      {C::WinTeachers, "WinTeachers"}, {C::WinLessons, "WinLessons"}, {C::Tile, "Tile"}, {C::Cascade, "Cascade"},
      {C::DataHelp, "DataHelp"}, {C::NewVariant, "NewVariant"}, {C::OpenVariant, "OpenVariant"},
      {C::SaveVariant, "SaveVariant"}, {C::SaveVariantAs, "SaveVariantAs"}, {C::EndPlanning, "EndPlanning"},
      {C::PrintVariant, "PrintVariant"}, {C::Options, "Options"}, {C::PlanExit, "PlanExit"},
      {C::RegimeMenu, "RegimeMenu"}, {C::AutoRegime, "AutoRegime"}, {C::ManualRegime, "ManualRegime"},
      {C::WeekVariants, "WeekVariants"}, {C::PlaceLessons, "PlaceLessons"}, {C::Optimize, "Optimize"}, {C::AssignRooms, "AssignRooms"},
      {C::Control, "Control"}, {C::Statistics, "Statistics"}, {C::Journal, "Journal"}, {C::Abort, "Abort"},
      {C::Continue, "Continue"}, {C::PlanHelp, "PlanHelp"}};
  return names;
}

const std::vector<C> kDataCmds = {C::NewProject, C::OpenProject, C::SaveProject, C::SaveProjectAs,
                                  C::CloseProject, C::PrintData, C::Params, C::DataExit, C::DataCheck,
                                  C::Planning, C::Tile, C::Cascade, C::DataHelp};
const std::vector<C> kPlanCmds = {C::NewVariant, C::OpenVariant, C::SaveVariant, C::SaveVariantAs,
                                  C::EndPlanning, C::PrintVariant, C::Options, C::PlanExit,
                                  C::RegimeMenu, C::WeekVariants, C::PlaceLessons, C::Optimize, C::AssignRooms,
                                  C::Control, C::Statistics, C::Journal, C::Abort, C::Continue,
                                  C::AutoRegime, C::ManualRegime, C::PlanHelp};

// "B:Name" for each enabled button, "I:Name" for each enabled item.
std::set<std::string> Enabled(const TPrgMdiFrame& f, const std::vector<C>& cmds) {
  std::set<std::string> on;
  for (C c : cmds) {
    if (QAction* a = f.Action(c); a && a->isEnabled()) on.insert(std::string("I:") + Names().at(c));
    if (TPrgSpeedButton* b = f.Button(c); b && b->isEnabled()) on.insert(std::string("B:") + Names().at(c));
  }
  return on;
}

std::set<std::string> Set(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

void Drain() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
}

struct FrameTest : ::testing::Test {
  ScriptedPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  QTemporaryDir dir;
  std::string oldFolder = ProgramFolder();
  FakeVariantFactory variants;
  FakeEditors* editors = nullptr;
  std::vector<FileDialogRequest> dialogs;
  std::deque<QString> dialogAnswers;
  std::unique_ptr<TPrgMdiFrame> frame;

  void SetUp() override {
    Drain();
    test::ResetSharedState();
    SetProgramFolder(PathFromQt(dir.path()));
    QDir(dir.path()).mkdir(QStringLiteral("Project"));
  }
  void TearDown() override {
    frame.reset();
    Drain();
    test::ResetSharedState();
    SetProgramFolder(oldFolder);
  }
  // withFakes: fake editors and the fake variant window factory; else the
  // program's own services (placeholder editors, no variant window).
  TPrgMdiFrame& Make(bool withFakes = true) {
    FrameServices s;
    if (withFakes) {
      s.editors = [this](TMdiTable& p, QMdiArea& ws) {
        auto e = std::make_unique<FakeEditors>(p, ws);
        editors = e.get();
        return e;
      };
      s.variants = &variants;
      s.printData = [](TMdiTable&, QWidget*) {};
    }
    frame = std::make_unique<TPrgMdiFrame>(std::move(s));
    frame->SetFileDialogHook([this](const FileDialogRequest& r, QString& chosen) {
      dialogs.push_back(r);
      if (dialogAnswers.empty()) return false;
      chosen = dialogAnswers.front();
      dialogAnswers.pop_front();
      return true;
    });
    frame->resize(800, 600);
    test::ShowActive(*frame);
    return *frame;
  }
  TPrgMdiFrame& MakeWithDemo(bool withFakes = true) {
    Make(withFakes);
    EXPECT_TRUE(frame->OpenDemoProject());
    return *frame;
  }
  void EnterPlanning() {
    Press(C::Planning);
    ASSERT_TRUE(frame->PlanningMode());
  }
  // The user's hands: a tool button pressed with the mouse, a menu item
  // chosen with the mouse through the menu bar, a key pressed on the window
  // (made active first, as the user's click on it would).
  void Press(C c) {
    ASSERT_NE(frame->Button(c), nullptr);
    test::Press(frame->Button(c));
  }
  void Choose(C c) {
    ASSERT_NE(frame->Action(c), nullptr);
    test::ChooseMenuItem(frame->menuBar(), frame->Action(c));
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    if (QApplication::activeWindow() != frame.get()) test::ShowActive(*frame);
    QTest::keyClick(frame.get(), static_cast<Qt::Key>(key), mods);
  }
  bool ItemChecked(C c) const { return frame->Action(c)->isChecked(); }
};

// ---- data mode -----------------------------------------------------------------------

TEST_F(FrameTest, NoProjectLeavesOnlyNewOpenExitAndHelp) {
  TPrgMdiFrame& f = Make();
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\""));
  EXPECT_EQ(f.MenuTitles(), (QStringList{Ru("&Проект"), Ru("&Работа"), Ru("&Окна"), Ru("&Справка")}));
  EXPECT_EQ(Enabled(f, kDataCmds),
            Set({"B:NewProject", "I:NewProject", "B:OpenProject", "I:OpenProject", "I:DataExit", "B:DataHelp"}));
  EXPECT_FALSE(f.WorkMenu()->menuAction()->isEnabled());
  EXPECT_FALSE(f.WindowsMenu()->menuAction()->isEnabled());
  EXPECT_TRUE(f.DataToolBar()->isVisible());
  EXPECT_FALSE(f.PlanningToolBar()->isVisible());
  EXPECT_EQ(HelpContext(&f), 6);
  EXPECT_EQ(f.Workspace()->clientLogoResID(), kWorkspaceLogoResId);
  EXPECT_EQ(f.Workspace()->clientExtStyle(), kClientEdgeStyle);
}

TEST_F(FrameTest, DemonstrationProjectEnablesTheProjectCommands) {
  TPrgMdiFrame& f = MakeWithDemo();
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": Демонстрационный проект"));
  EXPECT_EQ(Enabled(f, kDataCmds),
            Set({"B:NewProject", "I:NewProject", "B:OpenProject", "I:OpenProject", "B:SaveProject",
                 "I:SaveProject", "I:SaveProjectAs", "I:CloseProject", "B:PrintData", "I:PrintData",
                 "B:Params", "I:Params", "I:DataExit", "B:DataCheck", "I:DataCheck", "B:Planning",
                 "I:Planning", "I:Tile", "I:Cascade", "B:DataHelp"}));
  EXPECT_TRUE(f.WorkMenu()->menuAction()->isEnabled());
  EXPECT_TRUE(f.WindowsMenu()->menuAction()->isEnabled());
  ASSERT_NE(editors, nullptr);
  EXPECT_EQ(f.Workspace()->subWindowList().size(), 5);
  for (C c : {C::WinRooms, C::WinSubjects, C::WinKlasses, C::WinTeachers, C::WinLessons})
    EXPECT_TRUE(ItemChecked(c));
}

TEST_F(FrameTest, EveryEditorClosedTurnsOffTileAndCascadeButNotSave) {
  TPrgMdiFrame& f = MakeWithDemo();
  for (int k = 0; k < 5; ++k) editors->Sub(k)->close();
  Drain();
  for (C c : {C::WinRooms, C::WinSubjects, C::WinKlasses, C::WinTeachers, C::WinLessons})
    EXPECT_FALSE(ItemChecked(c));
  const auto on = Enabled(f, kDataCmds);
  EXPECT_FALSE(on.count("I:Tile"));
  EXPECT_FALSE(on.count("I:Cascade"));
  EXPECT_TRUE(on.count("B:SaveProject"));
  EXPECT_TRUE(on.count("I:SaveProject"));
  EXPECT_TRUE(on.count("B:Planning"));
  // The recorded show commands changed: the project is modified.
  EXPECT_TRUE(f.Project()->IsModified());
  EXPECT_EQ(f.Project()->Params().ShowCmd[0], kShowHidden);
  // The "&Окна" item brings an editor back.
  Choose(C::WinKlasses);
  EXPECT_FALSE(editors->Sub(2)->isHidden());
  EXPECT_TRUE(ItemChecked(C::WinKlasses));
  EXPECT_EQ(f.Project()->Params().ShowCmd[2], kShowNormal);
  EXPECT_TRUE(f.Action(C::Tile)->isEnabled());
}

TEST_F(FrameTest, ProgramServicesWithoutEditorsOrVariantWindow) {
  TPrgMdiFrame& f = MakeWithDemo(false);
  const auto on = Enabled(f, kDataCmds);
  EXPECT_TRUE(on.count("B:SaveProject"));
  EXPECT_TRUE(on.count("B:Params"));
  EXPECT_TRUE(on.count("B:DataCheck"));
  EXPECT_FALSE(on.count("B:Planning"));  // no variant window yet
  EXPECT_FALSE(on.count("B:PrintData"));  // no print dialog yet
  EXPECT_FALSE(on.count("I:Tile"));
  EXPECT_TRUE(f.Workspace()->subWindowList().isEmpty());
  // The "&Окна" marks follow the recorded show commands; a checked item
  // changes nothing, an unchecked one records the editor as shown.
  EXPECT_TRUE(ItemChecked(C::WinTeachers));
  Choose(C::WinTeachers);
  EXPECT_FALSE(f.Project()->IsModified());
  sendToTag(kTagMainWindow, kMsgEditorShow, 3, kShowHidden);
  EXPECT_FALSE(ItemChecked(C::WinTeachers));
  f.Project()->SetModified(false);
  Choose(C::WinTeachers);
  EXPECT_TRUE(ItemChecked(C::WinTeachers));
  EXPECT_TRUE(f.Project()->IsModified());
  Choose(C::Tile);  // nothing to arrange, nothing breaks
  Choose(C::Cascade);
  Key(Qt::Key_F9);  // no variant window to plan in: the key does nothing
  EXPECT_FALSE(f.PlanningMode());
}

// ---- messages through the main window ----------------------------------------------------

TEST_F(FrameTest, SentMessagesRunAtOncePostedOnesFromTheLoop) {
  TPrgMdiFrame& f = MakeWithDemo();
  MessageTraceRecorder trace;
  EXPECT_EQ(sendToTag(kTagMainWindow, kMsgListModified, 2), 0);
  EXPECT_TRUE(f.Project()->IsModified());
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": Демонстрационный проект (изменен)"));

  editors->Sub(1)->hide();  // as the subjects editor does when closed
  postToTag(kTagMainWindow, kMsgEditorShow, 1, kShowHidden);
  EXPECT_TRUE(ItemChecked(C::WinSubjects));  // not yet handled
  EXPECT_EQ(f.Project()->Params().ShowCmd[1], kShowNormal);
  Drain();
  EXPECT_FALSE(ItemChecked(C::WinSubjects));
  EXPECT_EQ(f.Project()->Params().ShowCmd[1], kShowHidden);
  // A resize reports the new state by a send.
  sendToTag(kTagMainWindow, kMsgEditorShow, 4, kShowMaximized);
  EXPECT_EQ(f.Project()->Params().ShowCmd[4], kShowMaximized);
  sendToTag(kTagMainWindow, kMsgDayChanged);  // nothing at all
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               "sent 45257 (2, 0) -> 100", "posted 45256 (1, 0) -> 100",
                               "delivered 45256 (1, 0) -> 100", "sent 45256 (4, 3) -> 100",
                               "sent 45266 (0, 0) -> 100"}));
}

// ---- planning mode -----------------------------------------------------------------------

TEST_F(FrameTest, EnteringPlanningSwapsMenusAndToolBarsAndHidesTheEditors) {
  TPrgMdiFrame& f = MakeWithDemo();
  editors->Sub(0)->close();
  Drain();
  f.Project()->SetModified(false);
  MessageTraceRecorder trace;
  EnterPlanning();
  EXPECT_EQ(f.MenuTitles(), (QStringList{Ru("&Вариант"), Ru("&Работа"), Ru("&Справка")}));
  EXPECT_FALSE(f.DataToolBar()->isVisible());
  EXPECT_TRUE(f.PlanningToolBar()->isVisible());
  EXPECT_EQ(HelpContext(&f), 7);
  EXPECT_EQ(variants.log.created, 1);
  ASSERT_NE(f.VariantWindow(), nullptr);
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(editors->Sub(k)->isHidden()) << k;
  // The variant window fills the workspace.
  EXPECT_EQ(f.VariantWindow()->Window()->geometry(), QRect(QPoint(0, 0), f.Workspace()->viewport()->size()));
  // Its constructor's regime arrived.
  EXPECT_EQ(trace.lines(), std::vector<std::string>{"sent 45268 (2, 0) -> 100"});
  EXPECT_EQ(Enabled(f, kPlanCmds),
            Set({"B:NewVariant", "I:NewVariant", "B:OpenVariant", "I:OpenVariant", "B:SaveVariant",
                 "I:SaveVariant", "I:SaveVariantAs", "B:EndPlanning", "I:EndPlanning", "B:PrintVariant",
                 "I:PrintVariant", "B:Options", "I:Options", "I:PlanExit", "I:RegimeMenu", "B:WeekVariants",
                 "I:WeekVariants", "B:PlaceLessons", "I:PlaceLessons", "B:Optimize", "I:Optimize", "B:AssignRooms", "I:AssignRooms", "B:Control",
                 "I:Control", "B:Statistics", "I:Statistics", "B:Journal", "I:Journal", "B:AutoRegime",
                 "I:AutoRegime", "B:ManualRegime", "I:ManualRegime", "B:PlanHelp"}));

  // Leaving shows again exactly the editors whose items were checked.
  postToTag(kTagMainWindow, kMsgLeavePlanning);
  Drain();
  EXPECT_FALSE(f.PlanningMode());
  EXPECT_EQ(variants.log.queries, 1);
  EXPECT_EQ(variants.log.freed, 1);
  EXPECT_TRUE(editors->Sub(0)->isHidden());
  for (int k = 1; k < 5; ++k) EXPECT_FALSE(editors->Sub(k)->isHidden()) << k;
  EXPECT_EQ(f.MenuTitles().size(), 4);
  EXPECT_TRUE(f.DataToolBar()->isVisible());
  EXPECT_EQ(HelpContext(&f), 6);
  EXPECT_FALSE(f.Project()->IsModified());  // showing again marks nothing
  EXPECT_EQ(editors->showCalls[0], 0);
}

TEST_F(FrameTest, RunStateAndRegimeTable) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  const std::set<std::string> always = {"B:Journal", "I:Journal", "I:AutoRegime", "I:ManualRegime", "B:PlanHelp"};
  auto with = [&always](std::initializer_list<const char*> l) {
    std::set<std::string> s(l.begin(), l.end());
    s.insert(always.begin(), always.end());
    return s;
  };

  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  EXPECT_EQ(Enabled(f, kPlanCmds), with({"B:EndPlanning", "I:EndPlanning", "I:PlanExit", "I:Abort"}));

  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningPaused);
  EXPECT_EQ(Enabled(f, kPlanCmds),
            with({"B:EndPlanning", "I:EndPlanning", "I:PlanExit", "I:Abort", "B:SaveVariant",
                  "I:SaveVariant", "I:SaveVariantAs", "I:Continue"}));

  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningFinished);
  std::set<std::string> all;
  for (C c : kPlanCmds) {
    if (c == C::Abort || c == C::Continue) continue;
    if (f.Action(c)) all.insert(std::string("I:") + Names().at(c));
    if (f.Button(c)) all.insert(std::string("B:") + Names().at(c));
  }
  EXPECT_EQ(Enabled(f, kPlanCmds), all);

  sendToTag(kTagMainWindow, kMsgRegime, 0);
  std::set<std::string> manual = all;
  for (const char* n : {"WeekVariants", "PlaceLessons", "Optimize", "AssignRooms", "Control", "Statistics"}) {
    manual.erase(std::string("B:") + n);
    manual.erase(std::string("I:") + n);
  }
  EXPECT_EQ(Enabled(f, kPlanCmds), manual);
  EXPECT_TRUE(f.Button(C::ManualRegime)->Down());
  EXPECT_FALSE(f.Button(C::AutoRegime)->Down());
  EXPECT_TRUE(ItemChecked(C::ManualRegime));
  EXPECT_FALSE(ItemChecked(C::AutoRegime));

  sendToTag(kTagMainWindow, kMsgRegime, 1);  // no such regime: nothing changes
  EXPECT_EQ(Enabled(f, kPlanCmds), manual);
  EXPECT_TRUE(f.Button(C::ManualRegime)->Down());

  // In manual regime a finished run enables the optimisation again.
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningFinished);
  EXPECT_TRUE(f.Button(C::Optimize)->isEnabled());

  sendToTag(kTagMainWindow, kMsgRegime, 2);
  EXPECT_EQ(Enabled(f, kPlanCmds), all);
  EXPECT_TRUE(f.Button(C::AutoRegime)->Down());
  EXPECT_FALSE(f.Button(C::ManualRegime)->Down());
  EXPECT_TRUE(ItemChecked(C::AutoRegime));
}

TEST_F(FrameTest, RegimeCommandsAndForwardedCommandsReachTheVariantWindow) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  Press(C::ManualRegime);
  EXPECT_EQ(variants.log.regimes, std::vector<int>{0});
  EXPECT_FALSE(f.Button(C::Optimize)->isEnabled());
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(variants.log.regimes, (std::vector<int>{0, 2}));
  EXPECT_TRUE(f.Button(C::Optimize)->isEnabled());
  postToTag(kTagMainWindow, kMsgManualRegime);
  Drain();
  EXPECT_EQ(variants.log.regimes, (std::vector<int>{0, 2, 0}));

  Key(Qt::Key_S, Qt::ControlModifier);
  Choose(C::SaveVariantAs);
  Press(C::SaveVariant);
  EXPECT_EQ(variants.log.saves, (std::vector<int>{1, 2, 1}));
  sendToTag(kTagMainWindow, kMsgRegime, 2);
  Press(C::Optimize);
  Key(Qt::Key_F9);
  Press(C::AssignRooms);
  Press(C::Control);
  Press(C::Statistics);
  Press(C::Journal);
  Press(C::PrintVariant);
  Key(Qt::Key_R, Qt::ControlModifier);
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningPaused);
  Choose(C::Continue);
  Choose(C::Abort);
  using V = VariantCommand;
  EXPECT_EQ(variants.log.commands,
            (std::vector<V>{V::Optimize, V::WeekVariants, V::AssignRooms, V::GeneralControl,
                            V::Statistics, V::Journal, V::Print, V::Options, V::Continue, V::Abort}));
}

TEST_F(FrameTest, PlanningOnAModifiedProjectAnsweredNoStaysInDataMode) {
  TPrgMdiFrame& f = MakeWithDemo();
  f.Project()->SetModified(true);
  prompt.answers = {kResNo};
  Press(C::Planning);
  EXPECT_FALSE(f.PlanningMode());
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].kind, kBoxYesNo);
  EXPECT_EQ(prompt.asked[0].text,
            "Проект Демонстрационный проект был изменен. Для перехода в режим планировки проект "
            "необходимо сохранить.");
  EXPECT_EQ(variants.log.created, 0);
  EXPECT_EQ(f.MenuTitles().size(), 4);
  for (int k = 0; k < 5; ++k) EXPECT_FALSE(editors->Sub(k)->isHidden());
  // "Да" saves (the demonstration project asks for a name) and goes on.
  const QString target = dir.path() + QStringLiteral("/Project/demo.tbl");
  dialogAnswers = {target};
  prompt.answers = {kResYes};
  Press(C::Planning);
  EXPECT_TRUE(f.PlanningMode());
  EXPECT_TRUE(QFile::exists(target));
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].save);
  EXPECT_TRUE(dialogs[0].proposed.endsWith(Ru("/Project/Демонстрационный проект.tbl")));
}

// Both menu bars use F9 (and Ctrl+N, Ctrl+S...): only the menus on the
// menu bar take their keys.
TEST_F(FrameTest, KeysOfTheMenusOnTheBarOnly) {
  TPrgMdiFrame& f = MakeWithDemo();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  QTest::keyClick(&f, Qt::Key_F9);
  ASSERT_TRUE(f.PlanningMode());
  QTest::keyClick(&f, Qt::Key_F9);
  EXPECT_EQ(variants.log.commands, std::vector<VariantCommand>{VariantCommand::WeekVariants});
  QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(variants.log.saves, std::vector<int>{1});
  EXPECT_FALSE(f.Project()->IsModified());
}

// The placement run has its item in "&Работа", its key F8 and its tool
// button, enabled as "&Оптимизация" is; a user reaches it by the menu's
// keys, by F8 and by the mouse.
TEST_F(FrameTest, PlacementRunFromTheMenuTheKeyAndTheToolButton) {
  TPrgMdiFrame& f = MakeWithDemo();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  QTest::keyClick(&f, Qt::Key_F9);
  ASSERT_TRUE(f.PlanningMode());
  using V = VariantCommand;
  QAction* item = f.Action(C::PlaceLessons);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(f.Button(C::PlaceLessons)->toolTip(), Ru("Расстановка уроков"));

  // The menu opened and its item chosen with the mouse.
  QMenu* work = nullptr;
  for (QAction* a : f.menuBar()->actions())
    if (a->menu() && a->text() == Ru("&Работа")) work = a->menu();
  ASSERT_TRUE(work);
  EXPECT_TRUE(work->actions().contains(item));
  const QRect workTitle = f.menuBar()->actionGeometry(work->menuAction());
  QTest::mouseClick(f.menuBar(), Qt::LeftButton, Qt::NoModifier, workTitle.center());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(work));
  QTest::mouseClick(work, Qt::LeftButton, Qt::NoModifier, work->actionGeometry(item).center());
  Drain();
  EXPECT_EQ(variants.log.commands, std::vector<V>{V::PlaceLessons});

  QTest::keyClick(&f, Qt::Key_F8);
  EXPECT_EQ(variants.log.commands, (std::vector<V>{V::PlaceLessons, V::PlaceLessons}));

  TPrgSpeedButton* button = f.Button(C::PlaceLessons);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
  EXPECT_EQ(variants.log.commands.size(), 3u);

  // Off in manual regime and during a run, like the optimisation.
  sendToTag(kTagMainWindow, kMsgRegime, 0);
  EXPECT_FALSE(item->isEnabled());
  EXPECT_FALSE(button->isEnabled());
  QTest::keyClick(&f, Qt::Key_F8);
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
  sendToTag(kTagMainWindow, kMsgRegime, 2);
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  EXPECT_FALSE(item->isEnabled());
  EXPECT_FALSE(button->isEnabled());
  QTest::keyClick(&f, Qt::Key_F8);
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningFinished);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(variants.log.commands.size(), 3u);
}

TEST_F(FrameTest, LeavingCanBeCancelledByTheVariantsSaveQuery) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  variants.log.queryAnswers = {kQueryCancelled};
  Press(C::EndPlanning);
  EXPECT_TRUE(f.PlanningMode());
  EXPECT_EQ(variants.log.freed, 0);
  Choose(C::EndPlanning);
  EXPECT_FALSE(f.PlanningMode());
}

// The variant is asked about while the run is still on: "Отмена" leaves it
// as it was; another answer stops it, and planning mode is left once it
// has stopped.
TEST_F(FrameTest, LeavingDuringARunAsksFirstAndStopsTheRunAfterTheAnswer) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  MessageTraceRecorder trace;
  Shared().PlanningRunning = 1;
  Shared().WaitUser = 1;
  variants.log.queryAnswers = {kQueryCancelled};
  Press(C::EndPlanning);
  EXPECT_EQ(variants.log.queries, 1);
  EXPECT_EQ(Shared().AbortPlanning, 0);
  EXPECT_EQ(Shared().WaitUser, 1);
  Drain();
  EXPECT_TRUE(trace.of(kMsgAbortWait).empty());
  Press(C::EndPlanning);
  EXPECT_EQ(variants.log.queries, 2);
  EXPECT_EQ(Shared().AbortPlanning, 1);
  EXPECT_EQ(Shared().WaitUser, 0);
  Drain();
  EXPECT_TRUE(f.AbortTimer().isActive());
  EXPECT_EQ(f.AbortTimer().interval(), 500);
  f.AbortTimerTick();
  EXPECT_TRUE(f.PlanningMode());
  Shared().PlanningRunning = 0;
  f.AbortTimerTick();
  EXPECT_FALSE(f.AbortTimer().isActive());
  EXPECT_FALSE(f.PlanningMode());
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               "posted 45272 (1, 0) -> 100", "delivered 45272 (1, 0) -> 100",
                               "sent 45272 (1, 0) -> 100", "sent 45272 (1, 0) -> 100"}));
}

TEST_F(FrameTest, ClosingDuringARunWaitsForTheFirstTickAfterTheRun) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  MessageTraceRecorder trace;
  Shared().PlanningRunning = 1;
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  Drain();
  ASSERT_EQ(trace.of(kMsgAbortWait).size(), 2u);
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{"posted 45272 (2, 0) -> 100",
                                                     "delivered 45272 (2, 0) -> 100"}));
  EXPECT_TRUE(f.AbortTimer().isActive());
  f.AbortTimerTick();
  EXPECT_TRUE(f.isVisible());
  Shared().PlanningRunning = 0;
  f.AbortTimerTick();
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.AbortTimer().isActive());
  EXPECT_EQ(f.Project(), nullptr);
  EXPECT_EQ(variants.log.freed, 1);
  // Exactly one 45272 was posted.
  int posted = 0;
  for (const auto& e : trace.of(kMsgAbortWait)) posted += e.event == MessageEvent::Posted;
  EXPECT_EQ(posted, 1);
}

TEST_F(FrameTest, ACloseRequestWinsOverAPendingLeave) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  Shared().PlanningRunning = 1;
  Press(C::EndPlanning);
  Drain();
  EXPECT_EQ(f.AbortAction(), kAbortWaitLeavePlanning);
  f.close();
  Drain();
  EXPECT_EQ(f.AbortAction(), kAbortWaitCloseProgram);
  Press(C::EndPlanning);  // a later leave does not undo it
  Drain();
  EXPECT_EQ(f.AbortAction(), kAbortWaitCloseProgram);
  Shared().PlanningRunning = 0;
  f.AbortTimerTick();
  EXPECT_FALSE(f.isVisible());
}

TEST_F(FrameTest, TheAbortActionWaitsForDialogsAndWaitsAboveIt) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  bool stillPlanningInModal = false;
  bool timerRunningInModal = false;
  WhenModal([&](QWidget* m) {
    sendToTag(kTagMainWindow, kMsgAbortWait, kAbortWaitLeavePlanning);
    f.AbortTimerTick();
    stillPlanningInModal = f.PlanningMode();
    timerRunningInModal = f.AbortTimer().isActive();
    m->close();
  });
  TErrorBox box(&f, kBoxOk, Ru("?"));
  box.Run();
  EXPECT_TRUE(stillPlanningInModal);
  EXPECT_TRUE(timerRunningInModal);
  f.AbortTimerTick();
  EXPECT_FALSE(f.PlanningMode());

  // A message wait (a pop-up waited for) counts as well.
  EnterPlanning();
  uint8_t waiting = 1;
  bool planningInWait = false;
  QTimer::singleShot(0, &f, [&] {
    sendToTag(kTagMainWindow, kMsgAbortWait, kAbortWaitLeavePlanning);
    planningInWait = f.PlanningMode();
    waiting = 0;
  });
  pumpWhileSet(waiting);
  EXPECT_TRUE(planningInWait);
  f.AbortTimerTick();
  EXPECT_FALSE(f.PlanningMode());
}

TEST_F(FrameTest, ReopeningTheAutoSavedVariantOnlyAfterARunThatSavedOne) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  Shared().LastAutoSavedFile = "/tmp/old_Опт_1.rsp";
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  EXPECT_TRUE(Shared().LastAutoSavedFile.empty());  // an earlier run's file is not this run's
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningFinished);
  postToTag(kTagMainWindow, kMsgReopenAutoSaved);
  Drain();
  EXPECT_TRUE(variants.log.loaded.empty());

  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  Shared().LastAutoSavedFile = "/tmp/Понедельник_Опт_1.rsp";
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningPaused);
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);  // continue keeps it
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningFinished);
  postToTag(kTagMainWindow, kMsgReopenAutoSaved);
  Drain();
  EXPECT_EQ(variants.log.loaded, std::vector<std::filesystem::path>{"/tmp/Понедельник_Опт_1.rsp"});
  EXPECT_EQ(variants.log.freed, 1);
  EXPECT_TRUE(f.PlanningMode());
}

TEST_F(FrameTest, NewAndOpenVariant) {
  TPrgMdiFrame& f = MakeWithDemo();
  EnterPlanning();
  variants.log.queryAnswers = {kQueryCancelled};
  Press(C::NewVariant);
  EXPECT_EQ(variants.log.created, 1);
  Press(C::NewVariant);
  EXPECT_EQ(variants.log.created, 2);
  EXPECT_EQ(variants.log.freed, 1);

  variants.log.nextSelected.clear();  // the dialog cancelled
  Press(C::OpenVariant);
  EXPECT_TRUE(variants.log.loaded.empty());
  variants.log.nextSelected = "/tmp/a.rsp";
  Key(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(variants.log.loaded.size(), 1u);
  EXPECT_TRUE(f.PlanningMode());
  variants.log.nextSelected = "/tmp/bad.rsp";  // refused: back to data mode
  Press(C::OpenVariant);
  EXPECT_FALSE(f.PlanningMode());
  EXPECT_EQ(f.VariantWindow(), nullptr);
  EXPECT_EQ(f.MenuTitles().size(), 4);
}

TEST_F(FrameTest, VariantModifiedFlagPostsOneCaptionRefreshToTheVariantWindow) {
  MakeWithDemo();
  EnterPlanning();
  MessageTraceRecorder trace;
  SetVarModified(true);
  SetVarModified(true);
  EXPECT_EQ(trace.lines(), std::vector<std::string>{"posted 45280 (0, 0) -> 10"});
  Drain();
  EXPECT_EQ(variants.log.messages, std::vector<uint32_t>{kMsgVarModified});
  SetVarModified(false);
  Drain();
  EXPECT_EQ(variants.log.messages.size(), 2u);
  Choose(C::EndPlanning);
  trace.clear();
  SetVarModified(true);  // no variant window: nobody to tell
  EXPECT_TRUE(trace.lines().empty());
  EXPECT_EQ(Shared().CurVarsWindow, nullptr);
}

// ---- project commands ------------------------------------------------------------------------

TEST_F(FrameTest, NewProjectProposesNumberedNamesRunsParametersAndSaves) {
  TPrgMdiFrame& f = MakeWithDemo();
  const QString first = dir.path() + Ru("/Project/Новый_1.tbl");
  dialogAnswers = {first};
  WhenModal([](QWidget* m) {
    auto* d = qobject_cast<TProjParams*>(m);
    ASSERT_NE(d, nullptr);
    test::TypeOver(d->LessonsEdit(), "6");
    test::LeftClick(d->YesButton());
  });
  Key(Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].save);
  EXPECT_EQ(dialogs[0].title, Ru("Сохранить проект как"));
  EXPECT_EQ(dialogs[0].proposed, first);
  EXPECT_EQ(dialogs[0].folder, dir.path() + "/Project");
  EXPECT_EQ(dialogs[0].filter, Ru("Данные для расписаний (*.tbl *.TBL)"));
  EXPECT_EQ(dialogs[0].defaultSuffix, "tbl");
  EXPECT_TRUE(QFile::exists(first));
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": Новый_1"));
  EXPECT_EQ(f.Project()->Params().LessonsPerDay, 6);
  EXPECT_EQ(editors->lastL, 6);
  EXPECT_FALSE(f.Project()->IsModified());

  // The second proposal; cancelling the dialog keeps the project.
  Press(C::NewProject);
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_TRUE(dialogs[1].proposed.endsWith(Ru("/Project/Новый_2.tbl")));
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": Новый_1"));
  // Choosing the open project's own name is refused.
  dialogAnswers = {first};
  Press(C::NewProject);
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, "Проект Новый_1.tbl уже открыт.");
}

TEST_F(FrameTest, OpenProjectRefusesABadFileAndTheOpenOne) {
  TPrgMdiFrame& f = MakeWithDemo();
  const QString good = dir.path() + "/Project/good.tbl";
  dialogAnswers = {good};
  prompt.answers = {};
  f.Project()->SetModified(true);
  Key(Qt::Key_S, Qt::ControlModifier);  // the demonstration project asks for a name
  ASSERT_TRUE(QFile::exists(good));
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": good"));

  dialogAnswers = {good};
  Press(C::OpenProject);
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, "Проект good.tbl уже открыт.");
  EXPECT_FALSE(dialogs.back().save);
  EXPECT_EQ(dialogs.back().title, Ru("Открыть проект"));

  const QString bad = dir.path() + "/Project/bad.tbl";
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(227, 'x'));
  file.close();
  dialogAnswers = {bad};
  Choose(C::OpenProject);
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[1].text, "Формат файла bad.tbl не известен или не поддерживается.");
  EXPECT_EQ(f.Project(), nullptr);
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\""));
  EXPECT_FALSE(f.Button(C::SaveProject)->isEnabled());
  EXPECT_TRUE(f.Workspace()->subWindowList().isEmpty());

  dialogAnswers = {good};
  Press(C::OpenProject);
  ASSERT_NE(f.Project(), nullptr);
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": good"));
}

TEST_F(FrameTest, SaveAsAndCloseProject) {
  TPrgMdiFrame& f = MakeWithDemo();
  const QString other = dir.path() + "/other.tbl";
  dialogAnswers = {other};
  Choose(C::SaveProjectAs);
  EXPECT_TRUE(QFile::exists(other));
  EXPECT_EQ(f.windowTitle(), Ru("АРМ \"Корвант\": other"));

  f.Project()->SetModified(true);
  prompt.answers = {kResCancel};
  Choose(C::CloseProject);
  EXPECT_TRUE(f.isVisible());
  EXPECT_NE(f.Project(), nullptr);
  prompt.answers = {kResNo};
  Choose(C::CloseProject);
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(f.Project(), nullptr);
  EXPECT_EQ(prompt.asked.size(), 2u);
}

TEST_F(FrameTest, ExitAsksTheSaveQuery) {
  TPrgMdiFrame& f = MakeWithDemo();
  f.Project()->SetModified(true);
  prompt.answers = {kResCancel};
  Choose(C::DataExit);
  EXPECT_TRUE(f.isVisible());
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].kind, kBoxYesNoCancel);
  prompt.answers = {kResNo};
  Key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(f.isVisible());
}

TEST_F(FrameTest, ParametersAcceptedMarkTheProjectModified) {
  TPrgMdiFrame& f = MakeWithDemo();
  WhenModal([](QWidget* m) { test::LeftClick(qobject_cast<TProjParams*>(m)->CancelButton()); });
  Press(C::Params);
  EXPECT_FALSE(f.Project()->IsModified());
  WhenModal([](QWidget* m) {
    auto* d = qobject_cast<TProjParams*>(m);
    EXPECT_EQ(d->windowTitle(), Ru("Параметры проекта Демонстрационный проект"));
    test::TypeOver(d->LessonsEdit(), "7");
    test::LeftClick(d->YesButton());
  });
  Key(Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(f.Project()->IsModified());
  EXPECT_EQ(f.Project()->Params().LessonsPerDay, 7);
  EXPECT_EQ(editors->lastL, 7);
}

TEST_F(FrameTest, DataCheckFillsOneWindowFromTheEditorsChecks) {
  TPrgMdiFrame& f = MakeWithDemo();
  Press(C::DataCheck);
  TTestDataDlg* d = f.TestDataDlg();
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(editors->checked, (std::vector<int>{0, 1, 2, 3, 4}));
  for (int k = 0; k < 5; ++k) EXPECT_EQ(d->ShownLines(k), QStringList{Ru("1. Ошибок не обнаружено.")});
  f.Project()->Data().Klasses.Add();  // a klass without name, pupils or start lessons
  Choose(C::DataCheck);
  EXPECT_EQ(f.TestDataDlg(), d);  // the same window
  EXPECT_GE(d->ShownLines(2).size(), 1);
  EXPECT_EQ(d->ShownLines(2)[0], Ru("1. Неизвестный класс: задайте имя."));
  test::LeftClick(d->CloseButton());
  EXPECT_EQ(f.TestDataDlg(), nullptr);
}

TEST_F(FrameTest, DataCheckWithThePlaceholderEditorsRunsTheCoreChecks) {
  TPrgMdiFrame& f = MakeWithDemo(false);
  TRoomItem* room = f.Project()->Data().Rooms.Add();
  room->SetName(W("Каб. 1"));
  room->MaxChildren = 0;
  Press(C::DataCheck);
  ASSERT_NE(f.TestDataDlg(), nullptr);
  EXPECT_EQ(f.TestDataDlg()->ShownLines(0), QStringList{Ru("1. Каб. 1: задайте число мест.")});
  EXPECT_EQ(f.TestDataDlg()->ShownLines(4), QStringList{Ru("1. Ошибок не обнаружено.")});
}

TEST_F(FrameTest, HelpAndAbout) {
  TPrgMdiFrame& f = MakeWithDemo();
  // Without a viewer for the help file, F1, the help menu and a dialog's
  // "Справка" each say so in the program's message box, naming the file.
  const std::string noHelp = FormatMsg(10420, {"Korvant.hlp"});
  {
    ErrorBoxPrompt boxes;
    ScopedPrompt shown(&boxes);
    QString text;
    WhenModal([&](QWidget* m) {
      auto* box = qobject_cast<TErrorBox*>(m);
      ASSERT_NE(box, nullptr);
      text = box->MessageLabel()->text();
      test::LeftClick(box->YesButton());
    });
    Key(Qt::Key_F1);
    EXPECT_EQ(text, ToQt(noHelp));
  }
  Choose(C::HelpKinds);
  WhenModal([&](QWidget* m) {
    auto* d = qobject_cast<TProjParams*>(m);
    ASSERT_NE(d, nullptr);
    test::LeftClick(d->HelpButton());
    test::LeftClick(d->CancelButton());
  });
  Press(C::Params);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>(2, test::U(noHelp)));

  std::vector<int> asked;
  ScopedHelpHook hook([&asked](int c) { asked.push_back(c); });
  Press(C::DataHelp);
  for (C c : {C::HelpContents, C::HelpQuickStart, C::HelpInterface, C::HelpKinds, C::HelpSupport}) Choose(c);
  EnterPlanning();
  Press(C::PlanHelp);
  EXPECT_EQ(asked, (std::vector<int>{6, 1, 2, 3, 4, 5, 7}));
  EXPECT_EQ(HelpContext(&f), 7);

  QString product, version, date;
  WhenModal([&](QWidget* m) {
    auto* a = qobject_cast<TTblAboutDlg*>(m);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->windowTitle(), Ru("О программе"));
    product = a->ProductLabel()->text();
    version = a->VersionLabel()->text();
    date = a->DateLabel()->text();
    test::LeftClick(a->CloseButton());
  });
  Choose(C::About);
  EXPECT_EQ(product, Ru("АРМ \"Корвант\""));
  EXPECT_EQ(version, Ru(" Версия: 2.83"));
  EXPECT_EQ(date, Ru(" От: 18.09.2000"));
}

TEST_F(FrameTest, ToolBarButtonsAsLaidOut) {
  TPrgMdiFrame& f = Make();
  const std::pair<C, int> data[] = {{C::NewProject, 2}, {C::OpenProject, 33}, {C::SaveProject, 64},
                                    {C::PrintData, 104}, {C::Params, 135}, {C::Planning, 175},
                                    {C::DataCheck, 215}, {C::DataHelp, 255}};
  for (auto [c, left] : data) {
    EXPECT_EQ(f.Button(c)->geometry(), QRect(left, 2, 33, 31)) << Names().at(c);
    EXPECT_TRUE(f.Button(c)->Flat());
    EXPECT_FALSE(f.Button(c)->Glyph().isNull());
  }
  EXPECT_EQ(f.Button(C::Planning)->toolTip(), Ru("Планировка"));
  EXPECT_EQ(f.Button(C::PlanHelp)->geometry(), QRect(530, 2, 33, 31));
  EXPECT_EQ(f.Button(C::Journal)->toolTip(), Ru("Журнал замещений"));
  EXPECT_EQ(f.DataToolBar()->height(), 35);
  EXPECT_EQ(f.Action(C::Planning)->shortcut(), QKeySequence(Qt::Key_F9));
  EXPECT_EQ(f.Action(C::WeekVariants)->shortcut(), QKeySequence(Qt::Key_F9));
  EXPECT_FALSE(f.Action(C::Abort)->isEnabled());
  EXPECT_FALSE(f.Action(C::Continue)->isEnabled());
}

// ---- program folders -------------------------------------------------------------------------

TEST(ProgramFolders, AWritableProgramFolderIsUsedAsItIs) {
  const std::string old = ProgramFolder();
  QTemporaryDir program, data;
  SetUpProgramFolders(program.path(), data.path(), true);
  EXPECT_EQ(ToQt(ProgramFolder()), program.path());
  EXPECT_EQ(ToQt(ProjectFolder()), program.path());  // no "Project" sub-folder
  EXPECT_EQ(ToQt(VariantFolder()), program.path());
  QDir(program.path()).mkdir("Variant");
  EXPECT_EQ(ToQt(VariantFolder()), program.path() + "/Variant");
  EXPECT_FALSE(QDir(data.path() + "/Project").exists());
  SetProgramFolder(old);
}

TEST(ProgramFolders, AReadOnlyProgramFolderGivesWayToTheUsersDataFolder) {
  const std::string old = ProgramFolder();
  QTemporaryDir program, data;
  const QString user = data.path() + "/korvant";
  SetUpProgramFolders(program.path(), user, false);
  EXPECT_EQ(ToQt(ProgramFolder()), user);
  for (const char* sub : {"Project", "Variant", "Archieve"}) EXPECT_TRUE(QDir(user + "/" + sub).exists()) << sub;
  EXPECT_EQ(ToQt(ProjectFolder()), user + "/Project");
  EXPECT_EQ(ToQt(ArchiveFolder()), user + "/Archieve");
  SetProgramFolder(old);
}

// The title the window system shows for a window: its native window's
// title, and after it the program's display name when one is set (Qt's
// platform windows append it). A display name never set follows the
// program's name.
QString ShownTitle(QWidget* w) {
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name + QStringLiteral("~"));
  const bool displayNameSet = QGuiApplication::applicationDisplayName() != QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(name);
  QString title = w->windowHandle() ? w->windowHandle()->title() : QString();
  if (displayNameSet) title += QString::fromUtf8(" \u2014 ") + QGuiApplication::applicationDisplayName();
  return title;
}

// The program keeps its folder name and gives its windows no display name
// of its own: each window is titled by its own caption alone.
TEST_F(FrameTest, TheProgramKeepsItsFolderNameAndAddsNothingToTheTitles) {
  const QString oldName = QCoreApplication::applicationName();
  SetUpProgramTitle();
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("korvant"));
  TPrgMdiFrame& f = MakeWithDemo();
  EXPECT_EQ(ShownTitle(&f), ToQt(f.Project()->Caption()));
  QString about;
  WhenModal([&](QWidget* m) {
    about = ShownTitle(m);
    m->close();
  });
  Choose(C::About);
  EXPECT_EQ(about, Ru("О программе"));
  QCoreApplication::setApplicationName(oldName);
}

// ---- a look at the window ----------------------------------------------------------------------

TEST_F(FrameTest, ScreenshotOfTheMainWindowWithTheDemonstrationProject) {
  TPrgMdiFrame& f = MakeWithDemo(false);
  f.resize(900, 640);
  QApplication::processEvents();
  const QImage shot = f.grab().toImage();
  const QString path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("main_window.png"));
  EXPECT_TRUE(shot.save(path));
  std::printf("main window screenshot: %s\n", qPrintable(path));

  ASSERT_EQ(shot.size(), f.size() * shot.devicePixelRatio());
  EXPECT_TRUE(f.menuBar()->isVisible());
  EXPECT_TRUE(f.DataToolBar()->isVisible());
  // The logo is centred on the workspace: its frame colour differs from
  // the background around it.
  QWidget* vp = f.Workspace()->viewport();
  const QPoint origin = vp->mapTo(&f, QPoint(0, 0));
  const QPoint centre = origin + QPoint(vp->width() / 2, vp->height() / 2);
  const QPoint corner = origin + QPoint(5, 5);
  const QRgb bg = shot.pixel(corner);
  const QPoint logoTopLeft = origin + QPoint((vp->width() - kWorkspaceLogoWidth) / 2,
                                             (vp->height() - kWorkspaceLogoHeight) / 2);
  EXPECT_NE(shot.pixel(logoTopLeft + QPoint(kWorkspaceLogoWidth / 2, kWorkspaceLogoHeight / 2)), bg);
  EXPECT_EQ(shot.pixel(logoTopLeft - QPoint(3, 3)), bg);
  EXPECT_NE(shot.pixel(centre), bg);
  // A tool-bar glyph is drawn: the save button holds non-background pixels.
  const QRect save = f.Button(C::SaveProject)->geometry().translated(
      f.Button(C::SaveProject)->parentWidget()->mapTo(&f, QPoint(0, 0)));
  int coloured = 0;
  const QRgb barBg = shot.pixel(save.topLeft() + QPoint(1, 1));
  for (int y = save.top(); y <= save.bottom(); ++y)
    for (int x = save.left(); x <= save.right(); ++x) coloured += shot.pixel(x, y) != barBg;
  EXPECT_GT(coloured, 50);
}

}  // namespace
}  // namespace korvant
