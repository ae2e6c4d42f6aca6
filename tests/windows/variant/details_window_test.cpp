#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include "controls/form_util.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/shell/program_folders.h"
#include "windows/variant/details_window.h"
#include "windows/variant/placement_popups.h"
#include "windows/variant/vars_window.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::U;
using test::W;

void Drain() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class MainStub : public MessageTarget {
 public:
  MainStub() { setMessageTag(kTagMainWindow); }
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam) override {
    got.push_back({msg, w});
    return 0;
  }
  std::vector<std::pair<uint32_t, MsgParam>> got;
};

int LessonOfSubject(const TRunModel& m, int k, const char* subject) {
  const TRTIKlassItem* klass = m.Klasses[k];
  for (int l = 0; l < klass->Lessons.Count(); ++l) {
    const int s = klass->Lessons[l]->GetSubItem(0)->SubjectID;
    if (s >= 0 && U(m.Subjects[s]->DisplayName()) == subject) return l;
  }
  return -1;
}

std::string Txt(const THourElementRecord& r, int col, int row = 0) {
  return U(r.Texts[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)]);
}

struct DetailsTest : ::testing::Test {
  ScriptedPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  QTemporaryDir dir;
  std::string oldFolder = ProgramFolder();
  QLocale oldLocale;
  MainStub main;
  TMdiTable project;
  std::unique_ptr<QMdiArea> area;
  TTableVarsManager* w = nullptr;

  void SetUp() override {
    Drain();
    SharedState& s = Shared();
    s.CurVarsWindow = nullptr;
    s.SetVarModified(false);
    s.VerticalView = 1;
    s.DetailsVertical = 0;
    s.AbortPlanning = 0;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetProgramFolder(PathFromQt(dir.path()));
    QDir(dir.path()).mkdir(QStringLiteral("Variant"));
    ASSERT_TRUE(project.OpenImage(W("Демо.tbl"), DemoProjectImage()));
    area = std::make_unique<QMdiArea>();
    area->resize(1000, 700);
    area->show();
    TVarsWindowHooks h;
    h.optionsDialog = [](TVarOptionsDlg&) { return false; };
    w = TTableVarsManager::CreateNew(project, *area, h);
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(PlanDayAuto(w->Model(), w->Var(), 1).Ok);
    w->InvalidateTables();
  }
  void TearDown() override {
    if (w) w->Free();
    area.reset();
    Drain();
    Shared().CurVarsWindow = nullptr;
    Shared().SetVarModified(false);
    Shared().DetailsVertical = 0;
    SetProgramFolder(oldFolder);
    QLocale::setDefault(oldLocale);
  }
  TRunModel& M() { return w->Model(); }
  TTableVarItem& V() { return w->Var(); }
  TTableDetailsManeger* Details() { return qobject_cast<TTableDetailsManeger*>(w->DetailsWindow()); }
  TTableDetailsManeger* Open() {
    w->SetRegime(0);
    Drain();
    return Details();
  }
  // The viewport point of sub-column i of n in the cell of (day, hour).
  static QPoint SubPoint(TTableDetailsManeger* d, TDetailsGrid g, int day, int hour, int i, int n) {
    int col = 0, row = 0;
    DetailsCellOf(Shared().DetailsVertical == 1, day, hour, col, row);
    const QRect r = d->Grid(g)->GetCellRect(col, row);
    const int sw = r.width() / n;
    return {r.left() + sw * i + sw / 2, r.top() + r.height() / 2};
  }
  // The subject texts a klass cell shows for a lesson.
  std::string Short(int k, int lesson) {
    const TRTILessonItem* l = M().KlassLesson(k, lesson);
    std::string s;
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      if (g) s += "/";
      const int subj = l->GetSubItem(g)->SubjectID;
      s += subj >= 0 ? U(M().Subjects[subj]->DisplayName().substr(0, 3)) : "---";
    }
    return s;
  }
};

// ---- showing ----------------------------------------------------------------------------------

TEST_F(DetailsTest, ManualRegimeShowsTheChosenKlassesAndTeachersOverTheWeek) {
  const TLinkedLists sel = w->Selection();
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(w->SubWindow()->isVisible());
  auto* frame = qobject_cast<QMdiSubWindow*>(d->parentWidget());
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(frame->geometry(), QRect(QPoint(0, 0), area->viewport()->size()));
  EXPECT_EQ(frame->windowTitle(), w->windowTitle());

  const int k = sel.Lessons[0].A;
  EXPECT_EQ(U(FromQt(d->KlassesEdit()->text())), U(JoinedKlassNames(M(), sel)));
  EXPECT_EQ(U(FromQt(d->TeachersEdit()->text())), U(JoinedTeacherNames(M(), sel)));
  EXPECT_FALSE(d->KlassesEdit()->text().isEmpty());

  // Horizontal: a column per day, a row per hour.
  const int L = V().LessonsPerDay();
  for (int g = 0; g < kDetailsGridCount; ++g) {
    EXPECT_EQ(d->Grid(static_cast<TDetailsGrid>(g))->ColCount(), 7);
    EXPECT_EQ(d->Grid(static_cast<TDetailsGrid>(g))->RowCount(), L + 1);
  }
  // Monday's fair cells of the klass say what the variant holds.
  TSchoolTable* kg = d->Grid(TDetailsGrid::Klasses);
  int lessons = 0;
  for (int h = 1; h <= L; ++h) {
    const TTableCell c = V().GetCell(k, 1, h);
    const THourElementRecord r = kg->CellContent(1, h);
    if (c.Lesson >= 0) {
      ++lessons;
      EXPECT_EQ(Txt(r, 0), Short(k, c.Lesson)) << h;
    } else {
      EXPECT_TRUE(Txt(r, 0).empty() || Txt(r, 0) == "HCS") << h;
    }
    EXPECT_TRUE(Txt(kg->CellContent(2, h), 0).empty() || Txt(kg->CellContent(2, h), 0) == "HCS");  // Tuesday is empty
  }
  EXPECT_GT(lessons, 0);
  // The day heading: short name and, under it, fair+draft and difficulty.
  const THourElementRecord head = kg->CellContent(1, 0);
  int fair = 0, draft = 0;
  V().CountKlassLessons(k, 1, fair, draft);
  EXPECT_EQ(head.SubRowHeights[0], 50);
  EXPECT_EQ(Txt(head, 0, 0), U(FromQt(QLocale().dayName(1, QLocale::ShortFormat))));
  const std::string sep = ShownEntries(sel.Lessons).size() == 1 ? "    " : "  ";
  EXPECT_EQ(Txt(head, 0, 1).rfind(std::to_string(fair) + "+" + std::to_string(draft), 0), 0u);
  EXPECT_NE(Txt(head, 0, 1).find(sep), std::string::npos);
  EXPECT_EQ(Txt(kg->CellContent(0, 3), 0), "3");
  EXPECT_EQ(Txt(d->Grid(TDetailsGrid::KlassesDraft)->CellContent(0, 3), 0), "");

  // A teacher's Monday cells name the klass it teaches.
  const int t = sel.Teachers[0].A;
  TSchoolTable* tg = d->Grid(TDetailsGrid::Teachers);
  for (int h = 1; h <= L; ++h) {
    int klass = -1, group = -1, links = 0;
    if (V().FindTeacherLesson(t, h, 1, klass, group, links)) {
      EXPECT_EQ(Txt(tg->CellContent(1, h), 0).rfind(U(M().Klasses[klass]->DisplayName()), 0), 0u);
    }
  }
  // Every lesson of the klass not planned this week is listed with its blocks.
  ASSERT_FALSE(d->FreeLsnsViews(true).empty());
  EXPECT_EQ(d->FreeLsnsViews(true)[0]->topLevelItemCount(), static_cast<int>(KlassFreeLessons(M(), V(), k).size()));
  EXPECT_EQ(d->FreeLsnsHeader(true)->count(), static_cast<int>(ShownEntries(sel.Lessons).size()));

  // Back to automatic: the details window goes, the tables come back.
  QPointer<QWidget> alive(d);
  w->SetRegime(2);
  Drain();
  EXPECT_FALSE(alive);
  EXPECT_TRUE(w->SubWindow()->isVisible());
}

TEST_F(DetailsTest, JointLessonShowsBothKlassesAndIsListedOnceForItsTeacher) {
  const int tech = LessonOfSubject(M(), 0, "Технология");
  ASSERT_GE(tech, 0);
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(d->Refocus(0, tech));
  EXPECT_FALSE(d->Refocus(0, tech));  // the same lists: nothing posted again
  Drain();
  const TLinkedLists& lists = d->Lists();
  ASSERT_GE(lists.LessonCount(), 2);
  EXPECT_EQ(U(FromQt(d->KlassesEdit()->text())), U(JoinedKlassNames(M(), lists)));
  EXPECT_NE(d->KlassesEdit()->text().indexOf(QLatin1Char('/')), -1);
  EXPECT_EQ(static_cast<int>(d->FreeLsnsViews(true).size()), std::min(lists.LessonCount(), 5));
  // Two sub-columns in every klass cell.
  const THourElementRecord r = d->Grid(TDetailsGrid::Klasses)->CellContent(2, 2);
  EXPECT_EQ(r.SubColWidths[0], 100 / std::min(lists.LessonCount(), 5));
  // The teacher's list names the joint lesson once, with both klasses.
  const int t = lists.Teachers[0].A;
  int withSlash = 0;
  for (const TFreeLessonRow& row : TeacherFreeLessons(M(), V(), t))
    withSlash += U(row.Caption).find("Технология (5А/5Б)") == 0;
  EXPECT_EQ(withSlash, 0);  // placed on Monday
  V().ClearDay(1);
  withSlash = 0;
  for (const TFreeLessonRow& row : TeacherFreeLessons(M(), V(), t))
    withSlash += U(row.Caption).find("Технология (5А/5Б)") == 0;
  EXPECT_EQ(withSlash, 1);
}

TEST_F(DetailsTest, OrientationTransposesGridsAndCurrentCells) {
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  TSchoolTable* kg = d->Grid(TDetailsGrid::Klasses);
  kg->FocusCell(2, 3, true, false);  // Tuesday, hour 3
  test::SlideTo(d->ViewModeSwitch(), 0);
  EXPECT_EQ(Shared().DetailsVertical, 1);
  EXPECT_EQ(kg->RowCount(), 7);
  EXPECT_EQ(kg->ColCount(), V().LessonsPerDay() + 1);
  EXPECT_EQ(kg->Col(), 3);
  EXPECT_EQ(kg->Row(), 2);
  // The day heading is a row heading on one line.
  const THourElementRecord head = kg->CellContent(0, 1);
  EXPECT_EQ(Txt(head, 0, 0).rfind(U(FromQt(QLocale().dayName(1, QLocale::ShortFormat))), 0), 0u);
  EXPECT_EQ(head.SubRowHeights[1], 0);
  // A later details window opens in the last orientation.
  w->SetRegime(2);
  Drain();
  d = Open();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->ViewModeSwitch()->value(), 0);
  EXPECT_EQ(d->Grid(TDetailsGrid::Teachers)->RowCount(), 7);
}

TEST_F(DetailsTest, DoubleClickOnAnEmptyKlassCellRefocusesOnItsFirstLesson) {
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  // Choose another klass through its joint lesson, then click an empty
  // Tuesday cell of the second shown klass.
  const int tech = LessonOfSubject(M(), 0, "Технология");
  ASSERT_TRUE(d->Refocus(0, tech));
  Drain();
  const int other = d->Lists().Lessons[1].A;
  QPoint p = SubPoint(d, TDetailsGrid::Klasses, 2, 1, 1, std::min(d->Lists().LessonCount(), 5));
  TSchoolTable* kg = d->Grid(TDetailsGrid::Klasses);
  kg->FocusCell(2, 1, true, false);
  d->GridDoubleClicked(TDetailsGrid::Klasses, p.x(), p.y());
  Drain();
  TLinkedLists expect;
  ASSERT_TRUE(M().Klasses.CollectLinkedLessons(other, 0, expect));
  EXPECT_EQ(d->Lists().Lessons[0].A, expect.Lessons[0].A);
  EXPECT_EQ(U(FromQt(d->KlassesEdit()->text())), U(JoinedKlassNames(M(), expect)));
  // Not on the current cell: ignored.
  kg->FocusCell(3, 3, true, false);
  const TLinkedLists before = d->Lists();
  d->GridDoubleClicked(TDetailsGrid::Klasses, p.x(), p.y());
  EXPECT_EQ(d->Lists().Lessons, before.Lessons);
}

TEST_F(DetailsTest, CaptionFollowsTheVariantWindow) {
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  SetVarModified(true);
  Drain();
  EXPECT_TRUE(d->windowTitle().endsWith(Ru(" (изменен)")));
  EXPECT_EQ(d->parentWidget()->windowTitle(), d->windowTitle());
}

TEST_F(DetailsTest, ClosingAsksTheVariantWindowThenLeavesPlanning) {
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  SetVarModified(true);
  main.got.clear();
  prompt.answers = {kResCancel};
  d->parentWidget()->close();
  Drain();
  EXPECT_TRUE(d->isVisible());
  EXPECT_TRUE(main.got.empty() || main.got.back().first != kMsgLeavePlanning);
  prompt.answers = {kResNo};
  d->parentWidget()->close();
  Drain();
  EXPECT_FALSE(d->parentWidget()->isVisible());
  ASSERT_FALSE(main.got.empty());
  EXPECT_EQ(main.got.back().first, kMsgLeavePlanning);
}

// ---- editing -----------------------------------------------------------------------------------

TEST_F(DetailsTest, MoveBlockKeepsEveryCellDropsRoomsAndRefusesBadTargets) {
  const int L = V().LessonsPerDay();
  const int tech = LessonOfSubject(M(), 0, "Технология");
  V().ClearDay(2);
  ASSERT_TRUE(V().PlaceLinkedLesson(0, tech, false, 2, 3, 2));
  TTableCell c = V().GetCell(0, 2, 3);
  c.Rooms[0] = 0;
  V().SetCell(0, 2, 3, c);
  TLinkedLists lists;
  ASSERT_TRUE(M().Klasses.CollectLinkedLessons(0, tech, lists));
  TDragBlock b{0, -1, tech, 2, 3};
  const int wills = M().TeachersWills;
  EXPECT_FALSE(CanMoveBlock(M(), V(), wills, b, 2, L));  // would pass hour L
  EXPECT_FALSE(CanMoveBlock(M(), V(), wills, b, 2, 3));  // its own start
  EXPECT_FALSE(CanMoveBlock(M(), V(), wills, b, 1, 1));  // Monday is full or holds it
  EXPECT_EQ(MoveBlock(M(), V(), wills, b, 2, L), 0);
  // One hour down, then one up, within the day: nothing lost.
  ASSERT_EQ(MoveBlock(M(), V(), wills, b, 2, 4), lists.LessonCount());
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    EXPECT_EQ(V().GetCell(e.A, 2, 3).Lesson, -1);
    EXPECT_EQ(V().GetCell(e.A, 2, 4).Lesson, e.B);
    EXPECT_EQ(V().GetCell(e.A, 2, 5).Lesson, e.B);
    EXPECT_EQ(V().GetCell(e.A, 2, 4).PrevHour, -1);
    EXPECT_EQ(V().GetCell(e.A, 2, 5).PrevHour, 4);
    EXPECT_EQ(V().GetCell(e.A, 2, 4).Rooms[0], kNoRoom);
  }
  b.Hour = 4;
  ASSERT_GT(MoveBlock(M(), V(), wills, b, 2, 3), 0);
  EXPECT_EQ(V().GetCell(0, 2, 3).Lesson, tech);
  EXPECT_EQ(V().GetCell(0, 2, 4).Lesson, tech);
  EXPECT_EQ(V().GetCell(0, 2, 5).Lesson, -1);
  EXPECT_EQ(FairBlockLength(V(), 0, 2, 3), 2);
}

TEST_F(DetailsTest, DropThroughTheWindowMarksTheVariantModified) {
  const int tech = LessonOfSubject(M(), 0, "Технология");
  V().ClearDay(2);
  ASSERT_TRUE(V().PlaceLinkedLesson(0, tech, false, 2, 3, 2));
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(d->Refocus(0, tech));
  Drain();
  SetVarModified(false);
  const int n = std::min(d->Lists().LessonCount(), 5);
  const QPoint from = SubPoint(d, TDetailsGrid::Klasses, 2, 3, 0, n);
  ASSERT_TRUE(d->PrepareDrag(TDetailsGrid::Klasses, from.x(), from.y()));
  // Another klass's sub-column is no target.
  const QPoint wrong = SubPoint(d, TDetailsGrid::Klasses, 2, 1, 1, n);
  EXPECT_FALSE(d->CanDropAt(TDetailsGrid::Klasses, wrong.x(), wrong.y()));
  const QPoint to = SubPoint(d, TDetailsGrid::Klasses, 2, 1, 0, n);
  ASSERT_TRUE(d->DropAt(TDetailsGrid::Klasses, to.x(), to.y()));
  EXPECT_EQ(V().GetCell(0, 2, 1).Lesson, tech);
  EXPECT_TRUE(GetVarModified());
}

TEST_F(DetailsTest, MenuRemovesParksAndPlacesThroughThePopup) {
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  const int k = d->Lists().Lessons[0].A;
  const int n = std::min(d->Lists().LessonCount(), 5);
  int hour = 0;
  for (int h = 1; h <= V().LessonsPerDay() && !hour; ++h)
    if (V().GetCell(k, 1, h).Lesson >= 0 && V().GetCell(k, 1, h).PrevHour == -1) hour = h;
  ASSERT_GT(hour, 0);
  const int lesson = V().GetCell(k, 1, hour).Lesson;
  const int len = V().CountLessonInFair(k, lesson, 1);

  // "Перенести в черновик".
  SetVarModified(false);
  QPoint p = SubPoint(d, TDetailsGrid::Klasses, 1, hour, 0, n);
  QMenu* menu = test::RightClick(d->Grid(TDetailsGrid::Klasses)->viewport(), p);
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(d->MenuAction(false, 0)->isEnabled());
  EXPECT_TRUE(d->MenuAction(false, 2)->isEnabled());
  test::ClickMenuItem(menu, d->MenuAction(false, 1));
  EXPECT_EQ(V().CountLessonInFair(k, lesson, 1), 0);
  EXPECT_EQ(V().CountLessonInDraft(k, lesson, 1), len);
  EXPECT_TRUE(GetVarModified());

  // "Снять урок" in the draft.
  SetVarModified(false);
  int pos = 0;
  for (int x = 1; x <= V().LessonsPerDay() && !pos; ++x)
    if (V().GetDraftCell(k, 1, x).Lesson == lesson) pos = x;
  ASSERT_GT(pos, 0);
  p = SubPoint(d, TDetailsGrid::KlassesDraft, 1, pos, 0, n);
  test::ChooseTab(d->Pages(), 1);
  Drain();
  menu = test::RightClick(d->Grid(TDetailsGrid::KlassesDraft)->viewport(), p);
  ASSERT_NE(menu, nullptr);
  test::ClickMenuItem(menu, d->MenuAction(true, 2));
  EXPECT_EQ(V().CountLessonInDay(k, lesson, 1), 0);
  EXPECT_TRUE(GetVarModified());

  // "Поставить урок" on the freed hour: the pop-up places a lesson; even
  // a pop-up closed without a choice marks the variant modified.
  test::ChooseTab(d->Pages(), 0);
  Drain();
  p = SubPoint(d, TDetailsGrid::Klasses, 1, hour, 0, n);
  menu = test::RightClick(d->Grid(TDetailsGrid::Klasses)->viewport(), p);
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(d->MenuAction(false, 0)->isEnabled());
  SetVarModified(false);
  bool seen = false;
  QTimer::singleShot(0, d, [&] {
    auto* pop = d->findChild<TPopLessonDlg*>();
    ASSERT_NE(pop, nullptr);
    seen = true;
    pop->hide();
  });
  test::ClickMenuItem(menu, d->MenuAction(false, 0));
  EXPECT_TRUE(seen);
  EXPECT_EQ(d->findChild<TPopLessonDlg*>(), nullptr);
  EXPECT_TRUE(GetVarModified());
  EXPECT_EQ(V().GetCell(k, 1, hour).Lesson, -1);
}

TEST_F(DetailsTest, Screenshot) {
  TTableDetailsManeger* d = Open();
  ASSERT_NE(d, nullptr);
  for (int g = 0; g < kDetailsGridCount; ++g)
    d->Grid(static_cast<TDetailsGrid>(g))->setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  Drain();
  const QImage shot = d->grab().toImage();
  const QString path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("details_window.png"));
  EXPECT_TRUE(shot.save(path));
  std::printf("details window screenshot: %s\n", qPrintable(path));
  // A Monday lesson cell of the klass holds dark text on white.
  const int k = d->Lists().Lessons[0].A;
  int hour = 0;
  for (int h = 1; h <= V().LessonsPerDay() && !hour; ++h)
    if (V().GetCell(k, 1, h).Lesson >= 0) hour = h;
  ASSERT_GT(hour, 0);
  TSchoolTable* kg = d->Grid(TDetailsGrid::Klasses);
  const QRect cell = kg->GetCellRect(1, hour).translated(kg->viewport()->mapTo(d, QPoint(0, 0)));
  int dark = 0, white = 0;
  const qreal dpr = shot.devicePixelRatio();
  for (int y = cell.top(); y <= cell.bottom(); ++y)
    for (int x = cell.left(); x <= cell.right(); ++x) {
      const int gray = qGray(shot.pixel(static_cast<int>(x * dpr), static_cast<int>(y * dpr)));
      dark += gray < 100;
      white += gray == 255;
    }
  EXPECT_GT(dark, 5);
  EXPECT_GT(white, dark);
}

}  // namespace
}  // namespace korvant
