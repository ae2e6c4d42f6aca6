#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QWindow>
#include <QtTest/QTest>

#include "controls/form_util.h"
#include "core/common/shared_state.h"
#include "core/variant/variant_fixture.h"
#include "platform/help_service.h"
#include "window_test_util.h"
#include "windows/planning/planning_host_windows.h"
#include "windows/planning/progress_wnd.h"
#include "windows/shell/error_box.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::W;

void ResetRun() {
  SharedState& s = Shared();
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  s.SolutionsFound = 0;
  s.BestDepth = -1;
  s.FindBest = 0;
  s.UseAttachedRooms = 1;
  s.UseSepQuants = 1;
}

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

template <class T>
int LiveWindows() {
  int n = 0;
  for (QWidget* w : QApplication::allWidgets())
    if (qobject_cast<T*>(w)) ++n;
  return n;
}

// ---- progress window -----------------------------------------------------------

TEST(ProgressWnd, FormStagesAndSteps) {
  ResetRun();
  TProgressWnd w(nullptr, 3);
  EXPECT_EQ(w.windowTitle(), Ru("Пожалуйста, подождите..."));
  EXPECT_EQ(w.size(), QSize(260, 92));
  EXPECT_EQ(HelpContext(&w), 24);
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(w.StepLabel()->text(), Ru("1-й этап из 3"));
  EXPECT_EQ(w.ProgressBar()->geometry(), QRect(66, 30, 180, 20));
  EXPECT_EQ(w.AbortBtn()->geometry(), QRect(100, 61, 75, 25));
  EXPECT_EQ(w.AbortBtn()->text(), Ru("Отмена"));
  EXPECT_EQ(w.AbortBtn()->toolTip(), Ru("Прервать расстановку уроков"));
  EXPECT_EQ(w.Frame(), 1);
  EXPECT_TRUE(w.AnimationTimer()->isActive());
  EXPECT_EQ(w.AnimationTimer()->interval(), 500);

  TProgressWnd two(nullptr, 2);
  two.SetStage(2, 10);
  EXPECT_EQ(two.StepLabel()->text(), Ru("2-й этап из 2"));
  EXPECT_EQ(two.ProgressBar()->value(), 0);
  two.SetProgress(4, W("7Б"));
  EXPECT_EQ(two.StepLabel()->text(), Ru("2-й этап из 2 - 7Б"));
  EXPECT_EQ(two.ProgressBar()->value(), 4);
  EXPECT_EQ(two.ProgressBar()->maximum(), 10);
  // A stage with no steps: an empty bar, never the busy indicator.
  two.SetStage(1, 0);
  EXPECT_EQ(two.Maximum(), 0);
  EXPECT_LT(two.ProgressBar()->minimum(), two.ProgressBar()->maximum());
  EXPECT_EQ(two.ProgressBar()->value(), 0);
}

TEST(ProgressWnd, CancelAndCloseAskTheSearchToStopButTheWindowStays) {
  TProgressWnd w(nullptr, 2);
  test::ShowActive(w);
  ResetRun();
  test::LeftClick(w.AbortBtn());
  EXPECT_EQ(Shared().AbortPlanning, 1);
  EXPECT_TRUE(w.isVisible());


  ResetRun();
  EXPECT_FALSE(w.close());
  EXPECT_EQ(Shared().AbortPlanning, 1);
  EXPECT_TRUE(w.isVisible());
  ResetRun();
}

// A message raised by the search while the progress window is up comes
// above it (both stay on top, the box is the later), so the user can read
// and answer it; without a run a box is an ordinary window.
TEST(ProgressWnd, BoxesRaisedDuringTheRunComeAboveIt) {
  auto progress = std::make_unique<TProgressWnd>(nullptr, 2);
  progress->show();
  bool above = false, answered = false;
  test::WhenModal([&](QWidget* m) {
    auto* box = qobject_cast<TErrorBox*>(m);
    ASSERT_NE(box, nullptr);
    above = (box->windowFlags() & Qt::WindowStaysOnTopHint) && box->isVisible();
    answered = true;
    QTest::mouseClick(box->YesButton(), Qt::LeftButton);
  });
  EXPECT_EQ(ShowErrorBox(progress.get(), "10147", kBoxOk), kResYes);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(above);

  progress.reset();
  bool ordinary = false;
  test::WhenModal([&](QWidget* m) {
    ordinary = !(m->windowFlags() & Qt::WindowStaysOnTopHint);
    QTest::mouseClick(static_cast<TErrorBox*>(m)->YesButton(), Qt::LeftButton);
  });
  ShowErrorBox(nullptr, "x", kBoxOk);
  EXPECT_TRUE(ordinary);
}

TEST(ProgressWnd, AnimationAdvancesAndPaintsTheCurrentFrame) {
  // The five frames differ.
  for (int a = 1; a <= 5; ++a)
    for (int b = a + 1; b <= 5; ++b) EXPECT_NE(ProgressFrameImage(a), ProgressFrameImage(b)) << a << " " << b;
  TProgressWnd w(nullptr, 2);
  w.show();
  EXPECT_EQ(w.Frame(), 1);
  QTest::qWait(650);
  const int f = w.Frame();
  EXPECT_NE(f, 1);
  // Sample the window where this frame differs from frame 1 and is opaque.
  const QImage shown = w.grab().toImage();
  const QImage want = ProgressFrameImage(f);
  const QImage first = ProgressFrameImage(1);
  int sampled = 0;
  for (int y = 0; y < want.height(); y += 2)
    for (int x = 0; x < want.width(); x += 2) {
      const QRgb px = want.pixel(x, y);
      if (qAlpha(px) != 255 || px == first.pixel(x, y)) continue;
      EXPECT_EQ(shown.pixel(16 + x, 16 + y) & 0xFFFFFF, px & 0xFFFFFF) << x << "," << y;
      ++sampled;
    }
  EXPECT_GT(sampled, 5);
}

// ---- information window --------------------------------------------------------------

TSearchView MakeView() {
  TSearchView v;
  // Levels by ascending count; the first two have a single arrangement.
  v.KlassOrder = {{1, 2}, {1, 0}, {3, 1}, {250, 3}};
  v.CurChoice = {0, 0, 0xFFFF, 0xFFFF};
  v.LiveCounts = {{1, 0}, {1, 0}, {3, 0}, {250, 0}};
  return v;
}

std::string Name(int k) { return W("Класс ") + std::to_string(k); }

TEST(OptiInfoForm, RowsSkipLeadingSingleLevelsAndShowTheLiveCounts) {
  const TSearchView v = MakeView();
  TOptiInfoForm f(nullptr, v, Name);
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), Ru("Ход оптимизации"));
  EXPECT_EQ(HelpContext(&f), 172);
  EXPECT_TRUE(f.windowFlags() & Qt::WindowStaysOnTopHint);
  TOptiInfoGrid* g = f.InfoGrid();
  EXPECT_EQ(g->ColCount(), 2);
  EXPECT_EQ(g->FixedRows(), 1);
  EXPECT_EQ(g->FixedCols(), 0);
  EXPECT_EQ(g->ColWidths(0), 166);
  EXPECT_EQ(g->ColWidths(1), 146);
  EXPECT_EQ(g->RowHeights(1), 21);
  EXPECT_EQ(test::U(g->Cells(0, 0)), "Класс");
  EXPECT_EQ(test::U(g->Cells(1, 0)), "Вариант");
  ASSERT_EQ(g->RowCount(), 3);
  EXPECT_EQ(f.RowLevel(1), 2);
  EXPECT_EQ(f.RowLevel(2), 3);
  EXPECT_EQ(g->Cells(0, 1), Name(1));
  EXPECT_EQ(g->Cells(0, 2), Name(3));
  EXPECT_EQ(test::U(g->Cells(1, 1)), "0 из 3");
  EXPECT_EQ(test::U(g->Cells(1, 2)), "0 из 250");

  // Only single levels: the last one is still shown. An end marker stops
  // the rows.
  TSearchView single;
  single.KlassOrder = {{1, 0}, {1, 1}, {0xFFFF, 0xFFFF}};
  single.CurChoice = {0, 0, 0};
  single.LiveCounts = {{1, 0}, {1, 0}, {0, 0}};
  TOptiInfoForm fs(nullptr, single, Name);
  EXPECT_EQ(fs.InfoGrid()->RowCount(), 2);
  EXPECT_EQ(fs.RowLevel(1), 1);
  // Showing the window sized it, which refreshes the rows.
  EXPECT_EQ(test::U(fs.InfoGrid()->Cells(1, 1)), "1 из 1");

  // No levels at all: one empty row under the heading.
  TSearchView none;
  TOptiInfoForm fn(nullptr, none, Name);
  EXPECT_EQ(fn.InfoGrid()->RowCount(), 2);
  EXPECT_EQ(fn.RowLevel(1), -1);
  EXPECT_EQ(fn.InfoGrid()->Cells(1, 1), "");
  fn.Refresh();
}

TEST(OptiInfoForm, TimerRefreshesAndAPausedWindowStaysAsItWas) {
  TSearchView v = MakeView();
  TOptiInfoForm f(nullptr, v, Name);
  TOptiInfoGrid* g = f.InfoGrid();
  EXPECT_EQ(f.RefreshTimer()->interval(), 1000);
  EXPECT_TRUE(f.Active());
  v.CurChoice[3] = 200;
  v.LiveCounts[2].Live = 2;
  EXPECT_EQ(test::U(g->Cells(1, 2)), "0 из 250");  // not before the tick
  QTest::qWait(1150);
  EXPECT_EQ(test::U(g->Cells(1, 1)), "0 из 2");
  EXPECT_EQ(test::U(g->Cells(1, 2)), "201 из 250");

  v.CurChoice[2] = 1;
  f.SetActive(false);  // refreshes once more
  EXPECT_FALSE(f.Active());
  EXPECT_EQ(test::U(g->Cells(1, 1)), "2 из 2");
  v.CurChoice[2] = 0;
  QTest::qWait(1150);
  EXPECT_EQ(test::U(g->Cells(1, 1)), "2 из 2");
  f.SetActive(true);
  QTest::qWait(1150);
  EXPECT_EQ(test::U(g->Cells(1, 1)), "1 из 2");

  // Detached from the view, nothing is read any more.
  f.Detach();
  f.SetActive(true);
  EXPECT_FALSE(f.Active());
  v.CurChoice[2] = 1;
  f.Refresh();
  EXPECT_EQ(test::U(g->Cells(1, 1)), "1 из 2");
}

TEST(OptiInfoForm, GridFollowsTheWindowAndCloseIsRefused) {
  const TSearchView v = MakeView();
  TOptiInfoForm f(nullptr, v, Name);
  EXPECT_EQ(f.InfoGrid()->geometry(), QRect(8, 8, 334, 70));
  f.resize(450, 185);
  EXPECT_EQ(f.InfoGrid()->geometry(), QRect(8, 8, 434, 170));
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
}

// ---- the host adapter ---------------------------------------------------------------

TEST(PlanningHostWindows, ScriptedRunShowsStagesStepsAndClosesEverything) {
  ResetRun();
  QWidget owner;
  TPlanningHostWindows host(&owner, Name);
  EXPECT_EQ(host.Owner(), static_cast<PromptOwner>(&owner));
  host.ProgressOpen(2);
  QPointer<TProgressWnd> p = host.ProgressWindow();
  ASSERT_TRUE(p);
  EXPECT_TRUE(p->isVisible());
  EXPECT_EQ(p->parentWidget(), &owner);
  EXPECT_EQ(p->StepLabel()->text(), Ru("1-й этап из 2"));
  host.ProgressStage(1, 3);
  host.ProgressStep(1, W("5А"));
  host.ProgressStep(2, W("6Б"));
  EXPECT_EQ(p->StepLabel()->text(), Ru("1-й этап из 2 - 6Б"));
  EXPECT_EQ(p->ProgressBar()->value(), 2);
  EXPECT_EQ(p->ProgressBar()->maximum(), 3);
  host.ProgressStage(2, 1);
  EXPECT_EQ(p->StepLabel()->text(), Ru("2-й этап из 2"));
  host.ProgressStep(1, W("5А"));
  EXPECT_EQ(p->StepLabel()->text(), Ru("2-й этап из 2 - 5А"));

  // Six klasses searched: the window beside the progress, every row in sight.
  TSearchView v = MakeView();
  for (int k = 4; k < 8; ++k) {
    v.KlassOrder.push_back({5, static_cast<uint16_t>(k)});
    v.CurChoice.push_back(0xFFFF);
    v.LiveCounts.push_back({5, 0});
  }
  host.InfoOpen(v);
  QPointer<TOptiInfoForm> i = host.InfoWindow();
  ASSERT_TRUE(i);
  EXPECT_TRUE(i->isVisible());
  QCoreApplication::processEvents();  // the grid's bars settle as the user sees it
  EXPECT_EQ(i->InfoGrid()->Cells(0, 1), Name(1));
  EXPECT_FALSE(i->frameGeometry().intersects(p->frameGeometry()));
  TOptiInfoGrid* g = i->InfoGrid();
  ASSERT_EQ(g->RowCount(), 7);
  EXPECT_TRUE(g->viewport()->rect().contains(g->CellRect(1, 6))) << "the last row is out of sight";
  host.InfoActive(false);
  EXPECT_FALSE(i->Active());
  host.InfoActive(true);
  EXPECT_TRUE(i->Active());

  host.InfoClose();
  host.ProgressClose();
  EXPECT_EQ(host.InfoWindow(), nullptr);
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  // Hidden at once, freed from the event loop.
  ASSERT_TRUE(p && i);
  EXPECT_FALSE(p->isVisible());
  EXPECT_FALSE(i->isVisible());
  EXPECT_FALSE(i->Attached());
  FlushDeletes();
  EXPECT_FALSE(p);
  EXPECT_FALSE(i);
  // Calls after the close change nothing.
  host.ProgressStep(1, "x");
  host.InfoActive(true);
}

TEST(PlanningHostWindows, WindowsGoneWithTheirOwnerMidRunAreNotTouched) {
  ResetRun();
  auto* owner = new QWidget;
  TPlanningHostWindows host(owner);
  host.ProgressOpen(2);
  TSearchView v = MakeView();
  host.InfoOpen(v);
  delete owner;  // the variant window closed during the run
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  EXPECT_EQ(host.InfoWindow(), nullptr);
  host.ProgressStage(2, 5);
  host.ProgressStep(1, "x");
  host.InfoActive(false);
  // A new run of a window that is gone opens nothing.
  host.ProgressOpen(2);
  host.InfoOpen(v);
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  EXPECT_EQ(host.InfoWindow(), nullptr);
  host.InfoClose();
  host.ProgressClose();
  FlushDeletes();
}

TEST(PlanningHostWindows, AHostFreedWithItsWindowsOpenRetiresThem) {
  QPointer<TProgressWnd> p;
  QPointer<TOptiInfoForm> i;
  TSearchView v = MakeView();
  {
    TPlanningHostWindows host(nullptr);
    EXPECT_EQ(host.Owner(), nullptr);
    host.ProgressOpen(1);
    host.InfoOpen(v);
    p = host.ProgressWindow();
    i = host.InfoWindow();
  }
  ASSERT_TRUE(p && i);
  EXPECT_FALSE(p->isVisible());
  EXPECT_FALSE(i->Attached());
  FlushDeletes();
  EXPECT_FALSE(p);
  EXPECT_FALSE(i);
}

// ---- a real search with the windows ----------------------------------------------------

constexpr int kDay = 1;

// Three klasses in three hours, each pair sharing a teacher: six days exist.
testing::Built MakeTriangle(int L) {
  testing::ProjectBuilder p(L);
  const int32_t s = p.Subject(), tx = p.Teacher(), ty = p.Teacher(), tz = p.Teacher();
  const int32_t k0 = p.Klass(), k1 = p.Klass(), k2 = p.Klass();
  p.d.Klasses[0]->SetName(W("5А"));
  p.d.Klasses[1]->SetName(W("5Б"));
  p.d.Klasses[2]->SetName(W("5В"));
  for (int i = 0; i < 3; ++i)
    for (int h = 1; h <= L; ++h) p.d.Klasses[i]->ChangeStartLesson(1, h);
  p.Lesson(k0, {{s, tx}, {s, tz}}, {1});
  p.Lesson(k1, {{s, tx}, {s, ty}}, {1});
  p.Lesson(k2, {{s, ty}, {s, tz}}, {1});
  auto b = testing::Build(p.d);
  TRunModel& m = *b.model;
  m.Teachers.SetGroups({{0, 1, 2}});
  m.Teachers.PrepareDaySlots(kDay);
  for (int k = 0; k < 3; ++k) b.var->PlaceLinkedLesson(k, 0, true, kDay, 0, 1);
  PrepareDayNorms(m, *b.var, kDay);
  for (int t = 0; t < 3; ++t) m.Teachers[t]->DayMaxLeft = L;
  return b;
}

struct RunSeen {
  int solutions = 0;
  int partials = 0;
  bool windowsShown = true;
  bool infoPausedWhileShown = true;
  std::string lastStep;
  std::vector<std::string> rowNames;
};

void Observe(TPlanningHostWindows& host, RunSeen& seen) {
  TProgressWnd* p = host.ProgressWindow();
  TOptiInfoForm* i = host.InfoWindow();
  seen.windowsShown = seen.windowsShown && p && i && p->isVisible() && i->isVisible();
  if (!p || !i) return;
  seen.lastStep = test::U(FromQt(p->StepLabel()->text()));
  seen.rowNames.clear();
  for (int r = 1; r < i->InfoGrid()->RowCount(); ++r) seen.rowNames.push_back(test::U(i->InfoGrid()->Cells(0, r)));
}

TEST(PlanningHostWindows, OptimisationRunWithTheWindowsEndsWithThemClosed) {
  ResetRun();
  ScriptedPrompt prompt;
  ScopedPrompt sp(&prompt);
  auto b = MakeTriangle(3);
  QWidget owner;
  TPlanningHostWindows host(&owner, KlassNamesOf(*b.model));
  RunSeen seen;
  host.OnDeeperPartial = [&] {
    ++seen.partials;
    Shared().WaitUser = 0;
  };
  host.OnSolutionFound = [&] {
    ++seen.solutions;
    Observe(host, seen);
    // The user continues after the first solution and stops at the second.
    if (seen.solutions == 2) Shared().AbortPlanning = 1;
    Shared().WaitUser = 0;
  };
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  planner.PumpCheckSteps = 1;
  planner.PumpIntervalMs = 0;
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Solved);
  EXPECT_EQ(seen.solutions, 2);
  EXPECT_EQ(Shared().SolutionsFound, 2u);
  EXPECT_TRUE(seen.windowsShown);
  // The last step of the compatibility stage names a klass of a level.
  EXPECT_EQ(seen.lastStep.rfind("2-й этап из 2 - 5", 0), 0u) << seen.lastStep;
  EXPECT_EQ(seen.rowNames.size(), 3u);
  EXPECT_TRUE(prompt.asked.empty());
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  EXPECT_EQ(host.InfoWindow(), nullptr);
  FlushDeletes();
  EXPECT_EQ(LiveWindows<TProgressWnd>(), 0);
  EXPECT_EQ(LiveWindows<TOptiInfoForm>(), 0);
  ResetRun();
}

TEST(PlanningHostWindows, WaitForTheUserRunsTheEventLoopAndCancelEndsIt) {
  ResetRun();
  ScriptedPrompt prompt;
  ScopedPrompt sp(&prompt);
  auto b = MakeTriangle(3);
  QWidget owner;
  TPlanningHostWindows host(&owner, KlassNamesOf(*b.model));
  int solutions = 0;
  bool pausedInWait = true;
  host.OnDeeperPartial = [] { Shared().WaitUser = 0; };
  host.OnSolutionFound = [&] {
    ++solutions;
    if (solutions == 1) {
      // "Продолжить" pressed later, from the event loop of the wait.
      QTimer::singleShot(30, [&] {
        pausedInWait = pausedInWait && host.InfoWindow() && !host.InfoWindow()->Active();
        Shared().WaitUser = 0;
      });
    } else {
      // "Отмена" of the progress window while the solution is shown: the
      // wait ends without the variant window's answer.
      QTimer::singleShot(30, [&] { test::LeftClick(host.ProgressWindow()->AbortBtn()); });
    }
  };
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Solved);
  EXPECT_EQ(solutions, 2);
  EXPECT_TRUE(pausedInWait);
  EXPECT_EQ(Shared().AbortPlanning, 1);
  EXPECT_EQ(Shared().WaitUser, 0);
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  FlushDeletes();
  EXPECT_EQ(LiveWindows<TProgressWnd>(), 0);
  EXPECT_EQ(LiveWindows<TOptiInfoForm>(), 0);
  ResetRun();
}

// Esc stops a run where the user's key lands: in whichever of the run's
// windows has the focus while a solution is shown.
TEST(PlanningHostWindows, EscWhereTheUsersKeyLandsStopsTheRun) {
  ResetRun();
  ScriptedPrompt prompt;
  ScopedPrompt sp(&prompt);
  auto b = MakeTriangle(3);
  QWidget owner;
  test::ShowActive(owner);
  TPlanningHostWindows host(&owner, KlassNamesOf(*b.model));
  int solutions = 0;
  host.OnDeeperPartial = [] { Shared().WaitUser = 0; };
  host.OnSolutionFound = [&] {
    ++solutions;
    QTimer::singleShot(0, [] {
      QWindow* focus = QGuiApplication::focusWindow();
      ASSERT_NE(focus, nullptr);
      QTest::keyClick(focus, Qt::Key_Escape);
      if (Shared().AbortPlanning == 0) {  // the key was lost: end the run rather than wait for ever
        ADD_FAILURE() << "Esc in \"" << focus->title().toStdString() << "\" did not stop the run";
        Shared().AbortPlanning = 1;
      }
    });
  };
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Solved);
  EXPECT_EQ(solutions, 1);
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  FlushDeletes();
  ResetRun();
}

TEST(PlanningHostWindows, OwnerClosedWhileASolutionIsShown) {
  ResetRun();
  ScriptedPrompt prompt;
  ScopedPrompt sp(&prompt);
  auto b = MakeTriangle(3);
  auto* owner = new QWidget;
  TPlanningHostWindows host(owner, KlassNamesOf(*b.model));
  host.OnDeeperPartial = [] { Shared().WaitUser = 0; };
  int solutions = 0;
  host.OnSolutionFound = [&] {
    ++solutions;
    if (solutions == 1) {
      // The window goes from the event loop of the wait, and the run is
      // told to stop as the window's close would.
      QTimer::singleShot(10, [&] {
        owner->deleteLater();
        Shared().AbortPlanning = 1;
        Shared().WaitUser = 0;
      });
    }
  };
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  EXPECT_EQ(planner.OptimizeDay(), TPlanOutcome::Solved);
  FlushDeletes();
  EXPECT_EQ(solutions, 1);
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  EXPECT_EQ(host.InfoWindow(), nullptr);
  EXPECT_EQ(LiveWindows<TProgressWnd>(), 0);
  EXPECT_EQ(LiveWindows<TOptiInfoForm>(), 0);
  ResetRun();
}

TEST(PlanningHostWindows, ImpossibleDayTellsItsEndAndClosesTheWindows) {
  ResetRun();
  ScriptedPrompt prompt;
  ScopedPrompt sp(&prompt);
  auto b = MakeTriangle(2);  // three pairwise-linked klasses in two hours
  QWidget owner;
  TPlanningHostWindows host(&owner, KlassNamesOf(*b.model));
  host.OnDeeperPartial = [] { Shared().WaitUser = 0; };
  host.OnSolutionFound = [] { Shared().WaitUser = 0; };
  TDayPlanner planner(*b.model, *b.var, kDay, &host);
  const TPlanOutcome out = planner.OptimizeDay();
  EXPECT_NE(out, TPlanOutcome::Solved);
  EXPECT_FALSE(prompt.asked.empty());  // the run told its end
  EXPECT_EQ(host.ProgressWindow(), nullptr);
  EXPECT_EQ(host.InfoWindow(), nullptr);
  FlushDeletes();
  EXPECT_EQ(LiveWindows<TProgressWnd>(), 0);
  ResetRun();
}

}  // namespace
}  // namespace korvant
