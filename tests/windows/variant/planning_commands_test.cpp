#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest/QTest>

#include <functional>
#include <set>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "reports/print_table_dlg.h"
#include "window_test_util.h"
#include "windows/planning/group_man.h"
#include "windows/planning/prepare_dlgs.h"
#include "windows/planning/progress_wnd.h"
#include "windows/planning/var_options_dlg.h"
#include "windows/planning/week_vars_dlg.h"
#include "windows/shell/program_folders.h"
#include "windows/variant/vars_window.h"

namespace korvant {
namespace {

using test::U;
using test::W;

void Drain() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Answers every box: "Да" for questions unless told otherwise, and records.
class AnsweringPrompt : public IPrompt {
 public:
  int yesNoAnswer = kResYes;
  std::vector<std::string> texts;
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    texts.push_back(U(text));
    return kind == kBoxOk ? kResYes : yesNoAnswer;
  }
  bool Asked(const char* part) const {
    for (const auto& t : texts)
      if (t.find(part) != std::string::npos) return true;
    return false;
  }
};

// Stands in for the main window: records 45267 and 45277 and lets a test
// act when a run pauses (from the event loop, as a user would).
class MainStub : public MessageTarget {
 public:
  MainStub() { setMessageTag(kTagMainWindow); }
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam) override {
    if (msg == kMsgPlanningState) {
      states.push_back(static_cast<int>(w));
      if (w == kPlanningPaused && onPause) {
        ++pauses;
        QTimer::singleShot(0, [this] { if (onPause) onPause(pauses); });
      }
    }
    if (msg == kMsgReopenAutoSaved) ++reopens;
    if (msg == kMsgAbortWait) ++abortWaits;
    return 0;
  }
  std::vector<int> states;
  int pauses = 0;
  int reopens = 0;
  int abortWaits = 0;
  std::function<void(int pause)> onPause;
};

// Clicks through the dialogs in front of a run as they come up, with the
// mouse and the group's drop-down list, as the user does.
class ModalDriver {
 public:
  int group = 0;
  bool prepareYes = true;
  std::vector<QString> seen;
  std::function<void(TWeekVarsDlg&)> onWeek;

  ModalDriver() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
  }

 private:
  void Tick() {
    // A click waits for its window to be active, running the event loop:
    // this tick is not begun again from inside it.
    if (busy_) return;
    busy_ = true;
    const auto done = qScopeGuard([this] { busy_ = false; });
    QWidget* m = QApplication::activeModalWidget();
    if (!m) return;
    if (auto* week = qobject_cast<TWeekVarsDlg*>(m)) {
      if (!m->property("driven").toBool()) {
        m->setProperty("driven", true);
        seen.push_back(m->metaObject()->className());
      }
      if (onWeek) onWeek(*week);
      if (week->OKButton()->isEnabled()) test::LeftClick(week->OKButton());
      return;
    }
    // A new dialog may take the address of the last one.
    if (m->property("driven").toBool()) return;
    m->setProperty("driven", true);
    seen.push_back(m->metaObject()->className());
    if (auto* g = qobject_cast<TGroupManBase*>(m)) {
      if (g->SelectedGroup() != group) {
        EXPECT_TRUE(test::PickFromPopup(g->SelectedGroupCombo(), g->SelectedGroupCombo()->itemText(group)));
      }
      test::LeftClick(g->PlaceButton());
    } else if (auto* p = qobject_cast<TPrepareDlgBase*>(m)) {
      test::LeftClick(prepareYes ? p->YesButton() : p->CancelButton());
    }
  }
  QTimer timer_;
  bool busy_ = false;
};

std::vector<int> StatesOf(const MessageTraceRecorder& trace) {
  std::vector<int> s;
  for (const auto& e : trace.of(kMsgPlanningState))
    if (e.event == MessageEvent::Sent) s.push_back(static_cast<int>(e.w));
  return s;
}

struct PlanningCommandsTest : ::testing::Test {
  AnsweringPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  QTemporaryDir dir;
  std::string oldFolder = ProgramFolder();
  QLocale oldLocale;
  MainStub main;
  TMdiTable project;
  std::unique_ptr<QMdiArea> area;
  QPointer<TTableVarsManager> w;

  void SetUp() override {
    Drain();
    SharedState& s = Shared();
    s.PlanningRunning = s.AbortPlanning = s.WaitUser = 0;
    s.AutoSaving = s.FindBest = 0;
    s.LastAutoSavedFile.clear();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetProgramFolder(PathFromQt(dir.path()));
    ASSERT_TRUE(project.OpenImage(W("Демо.tbl"), DemoProjectImage()));
    area = std::make_unique<QMdiArea>();
    area->resize(900, 600);
    area->show();
    TVarsWindowHooks h;
    h.optionsDialog = [](TVarOptionsDlg&) { return false; };
    w = TTableVarsManager::CreateNew(project, *area, h);
    ASSERT_TRUE(w);
    w->Document().FileName = PathFromQt(dir.filePath(QStringLiteral("v.rsp")));
  }
  void TearDown() override {
    if (w) w->Free();
    area.reset();
    Drain();
    SharedState& s = Shared();
    s.PlanningRunning = s.AbortPlanning = s.WaitUser = 0;
    s.AutoSaving = s.FindBest = 0;
    SetVarModified(false);
    SetProgramFolder(oldFolder);
    QLocale::setDefault(oldLocale);
  }
  // Selects day 1 for every teacher group row without a window.
  void FillDayOne() {
    TAutoPlanOptions o;
    o.Optimize = false;
    PlanDayAuto(w->Model(), w->Var(), 1, o);
    ASSERT_FALSE(w->Var().DayIsEmpty(1));
  }
  QString Saved(int n, bool opt = true) const {
    return dir.filePath(QString::fromUtf8(opt ? "Понедельник_Опт_" : "Понедельник_") + QString::number(n) +
                        QStringLiteral(".rsp"));
  }
  void ExpectRunOver() {
    EXPECT_EQ(Shared().PlanningRunning, 0);
    EXPECT_EQ(Shared().WaitUser, 0);
    EXPECT_TRUE(w->TryMoreButton()->isHidden());
    EXPECT_TRUE(w->AbortButton()->isHidden());
    EXPECT_FALSE(w->DayCombo()->isHidden());
    ASSERT_FALSE(main.states.empty());
    EXPECT_EQ(main.states.back(), 3);
  }
};

// Presses a run button as the user does: it must show something (a glyph
// the user can see) and take a click at its middle.
void PressRunButton(TPrgSpeedButton* b) {
  ASSERT_TRUE(b->isVisible());
  const QImage face = b->grab().toImage();
  const QRgb background = face.pixel(0, 0);
  int drawn = 0;
  for (int y = 0; y < face.height(); ++y)
    for (int x = 0; x < face.width(); ++x) drawn += face.pixel(x, y) != background;
  EXPECT_GT(drawn, face.width() * face.height() / 8);
  test::LeftClick(b);
  if (Shared().WaitUser != 0) {  // the press was lost: end the run rather than wait for ever
    ADD_FAILURE() << "the run button did not take the click";
    Shared().AbortPlanning = 1;
    Shared().WaitUser = 0;
  }
}

// The first group of the demonstration project has more than one way to
// place its Monday: "Продолжить" shows the second, "Прервать" keeps it.
TEST_F(PlanningCommandsTest, SelectionShowsASolutionContinuesAndStops) {
  ModalDriver driver;
  MessageTraceRecorder trace;
  bool buttonsDuringPause = false;
  std::vector<std::vector<int>> shown;  // the day's lessons at each pause
  auto day = [&] {
    std::vector<int> cells;
    for (int k = 0; k < w->Var().KlassCount(); ++k)
      for (int h = 1; h <= w->Var().LessonsPerDay(); ++h) cells.push_back(w->Var().GetCell(k, 1, h).Lesson);
    return cells;
  };
  main.onPause = [&](int pause) {
    buttonsDuringPause = w->TryMoreButton()->isVisible() && w->TryMoreButton()->isEnabled() &&
                         w->AbortButton()->isEnabled() && w->DayCombo()->isHidden() &&
                         Shared().PlanningRunning == 1 && Shared().WaitUser == 1;
    shown.push_back(day());
    PressRunButton(pause == 1 ? w->TryMoreButton() : w->AbortButton());
  };
  // What the main window's "Расстановка уроков" forwards.
  w->Command(VariantCommand::PlaceLessons);
  ASSERT_GE(driver.seen.size(), 2u);
  EXPECT_EQ(driver.seen[0], QStringLiteral("korvant::TGroupMan"));
  EXPECT_EQ(driver.seen[1], QStringLiteral("korvant::TPrepareDataDlg"));
  ASSERT_GE(main.pauses, 1);
  EXPECT_TRUE(buttonsDuringPause);
  EXPECT_FALSE(w->Var().DayIsEmpty(1));
  EXPECT_TRUE(GetVarModified());
  ExpectRunOver();
  // Running, paused, running again (continue), paused at the second
  // solution, then finished: the run never pauses again after the stop.
  EXPECT_EQ(StatesOf(trace), (std::vector<int>{1, 2, 1, 2, 3}));
  EXPECT_EQ(Shared().SolutionsFound, 2u);
  // Each solution reached the window as 45269, sent inside the run, and
  // was shown: the second differs from the first and is the one kept.
  EXPECT_EQ(trace.of(kMsgSolutionFound).size(), 4u);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[1], shown[0]);
  EXPECT_EQ(day(), shown[1]);
  EXPECT_EQ(main.reopens, 0);
}

TEST_F(PlanningCommandsTest, CancelledEditorOrPreparationStartsNoRun) {
  ModalDriver driver;
  driver.prepareYes = false;
  w->Command(VariantCommand::PlaceLessons);
  EXPECT_EQ(driver.seen.size(), 2u);
  EXPECT_TRUE(main.states.empty());
  EXPECT_TRUE(w->Var().DayIsEmpty(1));
  // Optimisation of an empty day: 10059 and no dialog at all.
  driver.seen.clear();
  w->Command(VariantCommand::Optimize);
  EXPECT_TRUE(driver.seen.empty());
  EXPECT_TRUE(prompt.Asked("На текущий день не выставлено ни одного урока."));
}

// Klass names that look like markup are shown as they are on the progress
// window's line during a run.
TEST_F(PlanningCommandsTest, TheProgressLineShowsAKlassNameAsItIs) {
  QStringList names;
  for (int k = 0; k < w->Model().Klasses.Count(); ++k) {
    w->Model().Klasses[k]->SetName("<b>" + w->Model().Klasses[k]->DisplayName() + "</b>");
    names << ToQt(w->Model().Klasses[k]->DisplayName());
  }
  ModalDriver driver;
  QLabel* line = nullptr;
  main.onPause = [&](int) {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<TProgressWnd*>(top); p && p->isVisible()) line = p->StepLabel();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->textFormat(), Qt::PlainText);
    const QString text = line->text();
    EXPECT_TRUE(names.contains(text.section(QStringLiteral(" - "), 1))) << text.toStdString();
    line = nullptr;
    PressRunButton(w->AbortButton());
  };
  w->Command(VariantCommand::PlaceLessons);
  EXPECT_GE(main.pauses, 1);
}

// Monday as the week-variant search leaves it in the fair copy: klasses
// begin late or have an hour free between lessons. The optimisation keeps
// those lessons where they stand and still finds the day.
TEST_F(PlanningCommandsTest, OptimisationAfterTheWeekVariantSearchFindsTheBestDay) {
  ModalDriver driver;
  driver.onWeek = [&](TWeekVarsDlg& d) {
    // "Дальше" only once the teacher has an arrangement: pressed earlier
    // (on a slow build) it would leave the teacher without one.
    int last = d.TchCrpGrid()->RowCount() - 1;
    while (last > 1 && d.TchCrpGrid()->Cells(0, last).empty()) --last;
    const std::string improvements = d.TchCrpGrid()->Cells(2, last);
    if (d.EnoughBtn()->isEnabled() && !improvements.empty() && improvements[0] != '0') test::LeftClick(d.EnoughBtn());
  };
  Shared().PlaceToFair = 1;
  w->Command(VariantCommand::WeekVariants);
  ASSERT_FALSE(w->Var().DayIsEmpty(1));
  bool lateOrGapped = false;
  for (int k = 0; k < w->Var().KlassCount(); ++k)
    if (w->Var().GetCell(k, 1, 1).Lesson < 0 && w->Var().CountKlassFair(k, 1) > 0) lateOrGapped = true;
  EXPECT_TRUE(lateOrGapped);
  std::vector<TTableCell> before;
  for (int k = 0; k < w->Var().KlassCount(); ++k)
    for (int h = 1; h <= w->Var().LessonsPerDay(); ++h) before.push_back(w->Var().GetCell(k, 1, h));
  prompt.texts.clear();
  prompt.yesNoAnswer = kResNo;  // go on past the day's doubtful lessons
  Shared().FindBest = 1;
  std::vector<int> scores;
  main.onPause = [&](int pause) {
    scores.push_back(w->Var().GetGroupWindows(1, w->Model().CurGroup));
    PressRunButton(pause >= 4 ? w->AbortButton() : w->TryMoreButton());
  };
  w->Command(VariantCommand::Optimize);
  ExpectRunOver();
  EXPECT_FALSE(prompt.Asked("Нет вариантов расстановки уроков"));
  ASSERT_FALSE(scores.empty());
  for (std::size_t i = 1; i < scores.size(); ++i) EXPECT_LT(scores[i], scores[i - 1]);
  EXPECT_EQ(w->Var().GetGroupWindows(1, w->Model().CurGroup), scores.back());
  // Every lesson of the fair copy was fixed: the day stands as it stood.
  std::size_t i = 0;
  for (int k = 0; k < w->Var().KlassCount(); ++k)
    for (int h = 1; h <= w->Var().LessonsPerDay(); ++h, ++i) EXPECT_EQ(w->Var().GetCell(k, 1, h).Lesson, before[i].Lesson);
  Drain();
  EXPECT_EQ(main.reopens, 0);
}

// After the selection of a group the day's free hours are kept for later
// groups; the optimisation arranges the day around them.
TEST_F(PlanningCommandsTest, OptimisationWithFindBestLeavesTheBestDayInTheVariant) {
  ModalDriver driver;
  main.onPause = [&](int) { PressRunButton(w->AbortButton()); };
  w->Command(VariantCommand::PlaceLessons);  // the group's day as the selection leaves it
  ASSERT_FALSE(w->Var().DayIsEmpty(1));
  main.pauses = 0;
  prompt.texts.clear();
  prompt.yesNoAnswer = kResNo;  // go on past the day's doubtful lessons
  Shared().FindBest = 1;
  std::vector<int> scores;
  main.onPause = [&](int pause) {
    scores.push_back(w->Var().GetGroupWindows(1, w->Model().CurGroup));
    PressRunButton(pause >= 4 ? w->AbortButton() : w->TryMoreButton());
  };
  w->Command(VariantCommand::Optimize);
  ExpectRunOver();
  EXPECT_FALSE(prompt.Asked("Нет вариантов расстановки уроков"));
  ASSERT_FALSE(scores.empty());
  for (std::size_t i = 1; i < scores.size(); ++i) EXPECT_LT(scores[i], scores[i - 1]);
  EXPECT_EQ(w->Var().GetGroupWindows(1, w->Model().CurGroup), scores.back());
  // Nothing was saved automatically, so there is nothing to reopen.
  Drain();
  EXPECT_EQ(main.reopens, 0);
}

// A lesson without a teacher may open a klass's day; a day whose allowed
// first hour is closed opens at the next open hour, so such a lesson there
// is no doubtful lesson to ask about before the optimisation.
TEST_F(PlanningCommandsTest, ALessonWithoutATeacherOpeningADayAfterItsClosedFirstHourIsNotQuestioned) {
  TRunModel& m = w->Model();
  TRTIKlassItem* klass = m.Klasses[0];
  ASSERT_EQ(klass->GetStartLesson(1), 1);
  klass->SetBusy(1, 1);  // Monday's first hour
  m.Klasses.CountDayClosedSlots();
  klass->Lessons[0]->HasTeacherlessGroup = 1;
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 0, false, 1, 2, 1));
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 1, false, 1, 3, 1));
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 2, false, 1, 4, 1));
  ModalDriver driver;
  prompt.yesNoAnswer = kResYes;  // a question asked stops the command
  main.onPause = [&](int) { PressRunButton(w->AbortButton()); };
  w->Command(VariantCommand::Optimize);
  EXPECT_FALSE(prompt.Asked("содержит фиктивную группу"));
}

TEST_F(PlanningCommandsTest, AutoSavingWritesNumberedFilesUpToTheMaximumAndKeepsOldOnes) {
  ModalDriver driver;
  Shared().AutoSaving = 1;
  Shared().FindBest = 0;
  w->Document().Options.MaxVarsAtDay = 3;
  w->Command(VariantCommand::PlaceLessons);
  ExpectRunOver();
  EXPECT_EQ(Shared().SolutionsFound, 3u);
  EXPECT_EQ(main.pauses, 0);
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(QFileInfo::exists(Saved(n))) << n;
  EXPECT_FALSE(QFileInfo::exists(Saved(4)));
  EXPECT_EQ(Shared().LastAutoSavedFile, PathFromQt(Saved(3)));
  EXPECT_EQ(w->Document().FileName, PathFromQt(Saved(3)));
  EXPECT_EQ(w->RunSavedFiles(), 3);
  EXPECT_FALSE(GetVarModified());

  // A second run keeps the first run's files and numbers on past them.
  QFile f1(Saved(1));
  ASSERT_TRUE(f1.open(QIODevice::ReadOnly));
  const QByteArray first = f1.readAll();
  f1.close();
  ASSERT_TRUE(QFile::resize(Saved(2), 200));
  main.states.clear();
  w->Command(VariantCommand::PlaceLessons);
  ExpectRunOver();
  for (int n = 4; n <= 6; ++n) EXPECT_TRUE(QFileInfo::exists(Saved(n))) << n;
  EXPECT_FALSE(QFileInfo::exists(Saved(7)));
  QFile again(Saved(1));
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  EXPECT_EQ(again.readAll(), first);
  EXPECT_EQ(QFileInfo(Saved(2)).size(), 200);
}

TEST_F(PlanningCommandsTest, AFailedAutoSaveStopsTheRunWithItsMessage) {
  ModalDriver driver;
  Shared().AutoSaving = 1;
  Shared().FindBest = 1;
  w->Document().FileName = PathFromQt(dir.filePath(QStringLiteral("missing/v.rsp")));
  w->Command(VariantCommand::PlaceLessons);
  ExpectRunOver();
  EXPECT_EQ(Shared().SolutionsFound, 1u);
  EXPECT_TRUE(prompt.Asked("Ошибка при записи файла"));
  EXPECT_EQ(w->RunSavedFiles(), 0);
  EXPECT_TRUE(Shared().LastAutoSavedFile.empty());
  Drain();
  EXPECT_EQ(main.reopens, 0);  // nothing this run saved
}

TEST_F(PlanningCommandsTest, FindBestWithAutoSavingReopensTheLastSavedFile) {
  ModalDriver driver;
  Shared().AutoSaving = 1;
  Shared().FindBest = 1;
  w->Document().Options.MaxVarsAtDay = 2;
  w->Command(VariantCommand::PlaceLessons);
  ExpectRunOver();
  Drain();
  EXPECT_EQ(main.reopens, 1);
  EXPECT_EQ(Shared().LastAutoSavedFile, w->Document().FileName);
}

// The variant is asked about first: "Отмена" leaves the run paused, "Нет"
// stops it.
TEST_F(PlanningCommandsTest, ClosingDuringARunAbortsItCleanlyAndKeepsTheWindow) {
  ModalDriver driver;
  MessageTraceRecorder trace;
  bool pausedAfterCancel = false;
  main.onPause = [&](int) {
    prompt.yesNoAnswer = kResCancel;
    w->SubWindow()->close();
    pausedAfterCancel = Shared().PlanningRunning == 1 && Shared().WaitUser == 1 && Shared().AbortPlanning == 0 &&
                        trace.of(kMsgAbortWait).empty();
    prompt.yesNoAnswer = kResNo;
    w->SubWindow()->close();
  };
  w->Command(VariantCommand::PlaceLessons);
  ASSERT_TRUE(w);
  EXPECT_EQ(main.pauses, 1);
  EXPECT_TRUE(pausedAfterCancel);
  EXPECT_EQ(prompt.texts.size(), 2u);
  EXPECT_TRUE(prompt.Asked("Сохранить изменения?"));
  // Posted, never sent: the main window waits from a later pump.
  ASSERT_FALSE(trace.of(kMsgAbortWait).empty());
  for (const MessageTraceEntry& e : trace.of(kMsgAbortWait)) EXPECT_NE(e.event, MessageEvent::Sent);
  EXPECT_EQ(trace.of(kMsgAbortWait).front().event, MessageEvent::Posted);
  ExpectRunOver();
  Drain();
  EXPECT_EQ(main.abortWaits, 1);
  EXPECT_TRUE(w);
  // A command that arrives while a run is on is ignored, not nested.
  Shared().PlanningRunning = 1;
  w->Command(VariantCommand::Optimize);
  EXPECT_TRUE(driver.seen.size() == 2u);
  Shared().PlanningRunning = 0;
}

TEST_F(PlanningCommandsTest, FreedDuringARunGoesOnlyAfterTheRun) {
  ModalDriver driver;
  main.onPause = [&](int) {
    w->Free();  // as the project would when the program is closed
    EXPECT_TRUE(w);  // its run is still on the stack; Free ends the run
  };
  w->Command(VariantCommand::PlaceLessons);
  EXPECT_EQ(Shared().PlanningRunning, 0);
  EXPECT_EQ(main.states.back(), 3);
  Drain();
  EXPECT_FALSE(w);
}

TEST_F(PlanningCommandsTest, RoomsOfTheDayAreAssignedWithoutConflicts) {
  FillDayOne();
  SetVarModified(false);
  w->Command(VariantCommand::AssignRooms);
  EXPECT_TRUE(GetVarModified());
  const TTableVarItem& var = w->Var();
  const TRunModel& m = w->Model();
  int given = 0;
  for (int h = 1; h <= var.LessonsPerDay(); ++h) {
    std::map<int, std::pair<int, int>> used;  // room -> klass, lesson
    for (int k = 0; k < var.KlassCount(); ++k) {
      const TTableCell c = var.GetCell(k, 1, h);
      if (c.Lesson < 0) continue;
      for (int g = 0; g < m.Klasses[k]->Lessons[c.Lesson]->SubItemsCount(); ++g) {
        const uint16_t r = c.Rooms[static_cast<std::size_t>(g)];
        if (r == kNoRoom) continue;
        ++given;
        const TRoomCell rc = var.GetRoomCell(r, 1, h);
        EXPECT_NE(rc.Klass, -1) << "room " << r << " hour " << h;
        auto it = used.find(r);
        if (it != used.end()) {
          // Only a joint lesson may share a room: the same linked set.
          TLinkedLists lists;
          m.Klasses.CollectLinkedLessons(k, c.Lesson, lists);
          bool linked = false;
          for (const TLinkEntry& e : lists.Lessons)
            linked |= e.A == it->second.first && e.B == it->second.second;
          EXPECT_TRUE(linked) << "room " << r << " twice at hour " << h;
        } else {
          used[r] = {k, c.Lesson};
        }
      }
    }
  }
  EXPECT_GT(given, 0);
}

TEST_F(PlanningCommandsTest, WeekVariantDialogRunsToTheEndForOneGroup) {
  ModalDriver driver;
  int groupSize = 0;
  bool okDisabledWhileRunning = true;
  driver.onWeek = [&](TWeekVarsDlg& d) {
    if (!d.Finished() && d.OKButton()->isEnabled()) okDisabledWhileRunning = false;
    // A teacher's first improvement is enough for the test.
    int last = d.TchCrpGrid()->RowCount() - 1;
    while (last > 1 && d.TchCrpGrid()->Cells(0, last).empty()) --last;
    const std::string improvements = d.TchCrpGrid()->Cells(2, last);
    if (d.EnoughBtn()->isEnabled() && !improvements.empty() && improvements[0] != '0') test::LeftClick(d.EnoughBtn());
    groupSize = w->Model().Teachers.GroupSize(w->Model().CurGroup);
  };
  SetVarModified(false);
  w->Command(VariantCommand::WeekVariants);
  ASSERT_GE(driver.seen.size(), 2u);
  EXPECT_EQ(driver.seen[0], QStringLiteral("korvant::TWeekGroupMan"));
  EXPECT_EQ(driver.seen[1], QStringLiteral("korvant::TWeekVarsDlg"));
  EXPECT_TRUE(okDisabledWhileRunning);
  EXPECT_GT(groupSize, 0);
  EXPECT_TRUE(GetVarModified());
  bool placed = false;
  for (int d = 1; d <= 6; ++d) placed |= !w->Var().DayIsEmpty(d);
  EXPECT_TRUE(placed);
}

TEST(WeekVarsDialog, AbortStopsBeforeTheNextTeacher) {
  TProjectData data;
  TMdiTable project;
  ASSERT_TRUE(project.OpenImage(W("Демо.tbl"), DemoProjectImage()));
  auto doc = TVarDocument::CreateNew(project.Data(), "x.rsp");
  TRunModel& m = doc->Model();
  doc->PrepareDay();
  m.Teachers.BuildGroups(doc->Var(), true, 1);
  m.CurGroup = 0;
  ASSERT_GT(m.Teachers.GroupSize(0), 1);
  TWeekVarsDlg dlg(nullptr, m, doc->Var());
  EXPECT_EQ(U(dlg.TchCrpGrid()->Cells(0, 0)), "Учитель");
  EXPECT_EQ(U(dlg.TchCrpGrid()->Cells(4, 0)), "Распред. уроков");
  EXPECT_FALSE(dlg.OKButton()->isEnabled());
  test::WhenModal([&dlg](QWidget*) { test::LeftClick(dlg.AbortBtn()); });
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
  EXPECT_FALSE(dlg.Finished());
  EXPECT_LT(dlg.Search().Position(), m.Teachers.GroupSize(0));
}

// Each teacher is searched inside the handler of a message the dialog
// posts itself, pumping the queue between steps: the grid repaints as the
// search goes, so the user sees every teacher's row while it is searched,
// before pressing anything (a press repaints the buttons and with them the
// grid, which hid the fault for the first teacher).
TEST(WeekVarsDialog, TheGridFollowsTheSearchTeacherByTeacher) {
  TMdiTable project;
  ASSERT_TRUE(project.OpenImage(W("Демо.tbl"), DemoProjectImage()));
  auto doc = TVarDocument::CreateNew(project.Data(), "x.rsp");
  TRunModel& m = doc->Model();
  doc->PrepareDay();
  m.Teachers.BuildGroups(doc->Var(), true, 1);
  int group = 0;
  for (int g = 0; g < m.Teachers.Count(); ++g)
    if (m.Teachers.GroupSize(g) > m.Teachers.GroupSize(group)) group = g;
  const int size = m.Teachers.GroupSize(group);
  ASSERT_GE(size, 3);
  m.CurGroup = group;
  SharedState& s = Shared();
  const uint8_t oldFair = s.PlaceToFair, oldQueue = s.OptimizeQueue;
  s.PlaceToFair = 1;
  s.OptimizeQueue = 1;
  TWeekVarsDlg dlg(nullptr, m, doc->Var());
  dlg.StepBudget = 1;
  TWeekVarsGrid* grid = dlg.TchCrpGrid();
  std::set<int> pressed;        // teachers for whom "Дальше" was pressed
  std::set<int> seenUnpressed;  // teachers whose row was painted before that
  struct PaintSpy : QObject {
    std::function<void()> painted;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) painted();
      return false;
    }
  } spy;
  spy.painted = [&] {
    const int p = dlg.Search().Position();
    if (p + 1 < grid->RowCount() && !grid->Cells(0, p + 1).empty() && !pressed.count(p)) seenUnpressed.insert(p);
  };
  grid->viewport()->installEventFilter(&spy);
  // The user presses "Дальше" once a teacher has an improvement, and
  // "Готово" at the end.
  QTimer user;
  user.setInterval(5);
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (dlg.OKButton()->isEnabled()) {
      QTest::mouseClick(dlg.OKButton(), Qt::LeftButton);
      return;
    }
    const int p = dlg.Search().Position();
    const std::string improvements = grid->Cells(2, p + 1);
    if (!dlg.EnoughBtn()->isEnabled() || improvements.empty() || improvements[0] == '0') return;
    pressed.insert(p);
    QTest::mouseClick(dlg.EnoughBtn(), Qt::LeftButton);
  });
  user.start();
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  s.PlaceToFair = oldFair;
  s.OptimizeQueue = oldQueue;
  ASSERT_TRUE(dlg.Finished());
  for (int p = 0; p < size; ++p) EXPECT_TRUE(seenUnpressed.count(p)) << "teacher " << p;
}

// "Печать" of the program opens the timetable print dialog over the open
// variant, modally; "Закрыть" ends it.
TEST_F(PlanningCommandsTest, PrintOpensTheTimetablePrintDialog) {
  w->Free();
  Drain();
  TVarsWindowHooks h;
  h.optionsDialog = [](TVarOptionsDlg&) { return false; };
  h.printTable = RunPrintTableDlg;
  w = TTableVarsManager::CreateNew(project, *area, h);
  ASSERT_TRUE(w);
  w->Document().Options.Description = W("Весна");
  bool shown = false;
  test::WhenModal([&](QWidget* modal) {
    auto* dlg = qobject_cast<TPrintTableDlg*>(modal);
    ASSERT_NE(dlg, nullptr);
    shown = true;
    EXPECT_EQ(dlg->ReportList()->count(), 8);
    EXPECT_EQ(dlg->KlassSelection().size(), static_cast<std::size_t>(w->Var().KlassCount()));
    QTest::mouseClick(dlg->CloseButton(), Qt::LeftButton);
  });
  w->Command(VariantCommand::Print);
  EXPECT_TRUE(shown);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace korvant
