#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QAbstractItemView>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTimer>

#include <functional>
#include <memory>
#include <set>

#include "controls/spin_edit.h"
#include "platform/qt_text.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/var_file.h"
#include "core/variant/variant_fixture.h"
#include "window_test_util.h"
#include "windows/variant/placement_popups.h"

namespace korvant {
namespace {

using test::U;

constexpr int kPlanned = 1;  // the day planned automatically
constexpr int kDay = 2;      // the empty day the pop-ups work on

std::vector<unsigned char> Body(const TTableVarItem& v) {
  ByteWriter w;
  v.SaveToStream(w);
  return w.take();
}

class PopupTest : public ::testing::Test {
 protected:
  TProjectData project;
  std::unique_ptr<TVarDocument> doc;
  std::unique_ptr<QWidget> owner;
  QLineEdit* other = nullptr;

  // The demonstration project with day kPlanned planned.
  virtual void MakeDocument() {
    ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), project));
    doc = TVarDocument::CreateNew(project, "demo.rsp");
    ASSERT_TRUE(doc);
    Shared().AbortPlanning = 0;
    ASSERT_TRUE(PlanDayAuto(doc->Model(), doc->Var(), kPlanned).Ok);
  }
  void SetUp() override {
    MakeDocument();
    if (HasFatalFailure()) return;
    owner = std::make_unique<QWidget>();
    owner->resize(700, 500);
    other = new QLineEdit(owner.get());
    other->setGeometry(650, 470, 40, 20);
    owner->show();
    owner->activateWindow();
    QApplication::setActiveWindow(owner.get());
    (void)QTest::qWaitForWindowActive(owner.get());
    QCursor::setPos(owner->mapToGlobal(QPoint(100, 100)));
  }
  void TearDown() override {
    owner.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  TRunModel& M() { return doc->Model(); }
  TTableVarItem& V() { return doc->Var(); }

  // Runs `script` on the pop-up of type P once the caller's wait runs.
  template <class P>
  void During(std::function<void(P*)> script) {
    QTimer::singleShot(0, owner.get(), [this, script] {
      P* p = owner->findChild<P*>();
      ASSERT_NE(p, nullptr);
      ASSERT_TRUE(p->isVisible());
      script(p);
    });
  }

  // Placed hours of the lesson over the week (fair and draft).
  int Placed(int k, int l) {
    int n = 0;
    for (int d = 1; d <= 6; ++d) n += V().CountLessonInDay(k, l, d);
    return n;
  }

  // No teacher, klass or room is used twice at one hour, no closed hour
  // of a klass or teacher is used, and no block passes hour L.
  void ExpectNoConflicts(int day) {
    TRunModel& m = M();
    const int L = m.L();
    for (int h = 1; h <= L; ++h) {
      std::map<int, std::set<std::pair<int, int>>> byTeacher;
      for (int k = 0; k < V().KlassCount(); ++k) {
        const TTableCell c = V().GetCell(k, day, h);
        if (c.Lesson < 0) continue;
        EXPECT_EQ(c.Hour, h);
        EXPECT_FALSE(m.Klasses[k]->IsSlotClosed((day - 1) * 24 + h, c.Lesson)) << "klass " << k << " hour " << h;
        const TRTILessonItem* l = m.KlassLesson(k, c.Lesson);
        for (int g = 0; g < l->SubItemsCount(); ++g) {
          const int t = l->RT[static_cast<std::size_t>(g)].Teacher;
          if (t < 0) continue;
          byTeacher[t].insert({k, c.Lesson});
          EXPECT_FALSE(TeacherHourClosed(m.Teachers[t]->GetBusy((day - 1) * 24 + h), m.TeachersWills))
              << "teacher " << t << " hour " << h;
        }
      }
      // A teacher at two klasses at once only in one joint lesson.
      for (const auto& [t, cells] : byTeacher) {
        if (cells.size() < 2) continue;
        TLinkedLists lists;
        const auto first = *cells.begin();
        ASSERT_TRUE(m.Klasses.CollectLinkedLessons(first.first, first.second, lists));
        for (const auto& c : cells) {
          bool linked = false;
          for (int i = 0; i < lists.LessonCount(); ++i)
            linked = linked || (lists.Lessons[static_cast<std::size_t>(i)].A == c.first &&
                                lists.Lessons[static_cast<std::size_t>(i)].B == c.second);
          EXPECT_TRUE(linked) << "teacher " << t << " twice at hour " << h;
        }
      }
    }
  }

  // The first placeable row of a table, or -1 (grid row, 1-based).
  static int FirstPlaceable(TPopLessonDlg* p, int table) {
    const auto& rows = p->Table(table);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (p->RowStatus(rows[i]) == kPopPlaceable) return static_cast<int>(i) + 1;
    return -1;
  }
  static int TabOf(TPopLessonDlg* p, int table) {
    const auto& t = p->TabTables();
    for (std::size_t i = 0; i < t.size(); ++i)
      if (t[i] == table) return static_cast<int>(i);
    return -1;
  }
  static void DoubleClickRow(TPopLessonDlg* p, int gridRow) {
    TPopupGrid* g = p->LessonsGrid();
    g->SetTopRow(std::max(1, gridRow));  // scrolled to, as the user would
    const QRect r = g->CellRect(0, gridRow);
    ASSERT_FALSE(r.isEmpty());
    test::DoubleClick(g->viewport(), r.center());
  }
};

// Lesson X of klass 0 (blocks of 1 and 2 hours) and lesson Y of klass 1
// (three blocks of 1) are one joint lesson: a block goes into both klasses,
// and a 2-hour one would leave Y's klass when the file is read.
class JointPopupTest : public PopupTest {
 protected:
  void MakeDocument() override {
    testing::ProjectBuilder b;
    const int32_t s = b.Subject(), t0 = b.Teacher(), t1 = b.Teacher(), k0 = b.Klass(), k1 = b.Klass();
    TLessonItem* x = b.Lesson(k0, {{s, t0}}, {1, 2});
    TLessonItem* y = b.Lesson(k1, {{s, t1}}, {1, 1, 1});
    testing::ProjectBuilder::Link(x, 0, y, 0);
    ASSERT_TRUE(ReadProjectImage(WriteProjectImage(b.d), project));
    doc = TVarDocument::CreateNew(project, "joint.rsp");
  }
};

TEST_F(JointPopupTest, AJointBlockAKlassCannotHoldIsGrayWithItsReason) {
  bool refused = false;
  During<TPopLessonDlg>([&](TPopLessonDlg* p) {
    ASSERT_EQ(p->Table(0).size(), 1u);
    EXPECT_EQ(p->Table(0)[0].Lengths, (std::vector<int>{1, 2}));
    EXPECT_EQ(p->RowStatus(p->Table(0)[0]), kPopPlaceable);
    // Two hours: offered by X, held by no free block of Y.
    TSpinEdit* spin = p->SpinEdit(1);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    ASSERT_EQ(p->Table(0)[0].Length(), 2);
    EXPECT_EQ(p->RowStatus(p->Table(0)[0]), kPopNoJointBlock);
    p->LessonsGrid()->setFocus();
    p->LessonsGrid()->repaint();
    EXPECT_EQ(FromQt(p->MessageBar()->text()), LoadResStr(10415));
    // The refused row is a grey row, its text in the usual colour.
    const QRect cell = p->LessonsGrid()->CellRect(0, 1);
    EXPECT_EQ(p->LessonsGrid()->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(2, 2)),
              QColor(80, 80, 80));
    DoubleClickRow(p, 1);
    refused = p->isVisible() && V().DayIsEmpty(kDay);
    // One hour is a block of both: it goes into both klasses.
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(p->RowStatus(p->Table(0)[0]), kPopPlaceable);
    DoubleClickRow(p, 1);
  });
  ASSERT_TRUE(RunPopSetLsn(owner.get(), V(), 0, 1, false, kDay));
  EXPECT_TRUE(refused);
  EXPECT_EQ(V().CountLessonInDay(0, 0, kDay), 1);
  EXPECT_EQ(V().CountLessonInDay(1, 0, kDay), 1);
  auto back = TVarDocument::FromImage(project, WriteVarImage(V(), doc->Options, kDay), "joint.rsp");
  ASSERT_NE(back, nullptr);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(back->Var().GetCell(k, kDay, 1), V().GetCell(k, kDay, 1));
}

// ---- what is listed ------------------------------------------------------------------

TEST_F(PopupTest, KlassPopupListsUnplacedBlocksAndTheDaysBlocks) {
  TPopSetLsnDlg p(owner.get(), V(), 0, 1, false, kDay);
  ASSERT_TRUE(p.HasContent());
  EXPECT_TRUE(p.isVisible());
  const TRTIKlassItem* k = M().Klasses[0];

  // The owner's free run from hour 1 of the empty day.
  int run = 0;
  while (run < M().L() && !k->IsSlotClosed((kDay - 1) * 24 + run + 1, -1)) ++run;
  EXPECT_EQ(p.FreeRun(), run);

  // Table 0 lists exactly the lessons with hours still on no day; every
  // length it offers is a block of the lesson, none repeated next to itself.
  std::set<int> listed;
  for (const TPopLessonRow& r : p.Table(0)) {
    EXPECT_EQ(r.Day, 0);
    listed.insert(r.Lesson);
    const TRTILessonItem* l = k->Lessons[r.Lesson];
    for (std::size_t i = 0; i < r.Lengths.size(); ++i) {
      bool isBlock = false;
      for (int q = 1; l->QuantAt(q) != 0; ++q) isBlock = isBlock || l->QuantAt(q) == r.Lengths[i];
      EXPECT_TRUE(isBlock);
      if (i > 0) {
        EXPECT_NE(r.Lengths[i], r.Lengths[i - 1]);
      }
    }
  }
  std::set<int> expected, onMonday;
  for (int l = 0; l < k->Lessons.Count(); ++l) {
    if (Placed(0, l) < k->Lessons[l]->QuantsSum()) expected.insert(l);
    if (V().CountLessonInDay(0, l, kPlanned) > 0) onMonday.insert(l);
  }
  EXPECT_EQ(listed, expected);
  ASSERT_FALSE(onMonday.empty());

  // The Monday tab lists Monday's blocks with their lengths.
  std::set<int> monday;
  for (const TPopLessonRow& r : p.Table(kPlanned)) {
    monday.insert(r.Lesson);
    ASSERT_EQ(r.Lengths.size(), 1u);
    EXPECT_EQ(r.Lengths[0], V().CountLessonInDay(0, r.Lesson, kPlanned));
  }
  EXPECT_EQ(monday, onMonday);
  // Nothing stands on today's draft: no "Черновик" tab; today's tab never.
  EXPECT_EQ(TabOf(&p, kDay), -1);
  EXPECT_EQ(p.Tabs()->tabText(TabOf(&p, 0)), QString::fromUtf8("Общие"));
  EXPECT_EQ(p.Tabs()->tabText(TabOf(&p, kPlanned)), QString::fromUtf8("Понедельник"));

  // Table 0 shows a spin edit per visible row, bounded by the row's lengths.
  ASSERT_EQ(p.CurrentTable(), 0);
  const TPopLessonRow& first = p.Table(0)[0];
  EXPECT_TRUE(p.SpinEdit(1)->isVisibleTo(&p));
  EXPECT_EQ(p.SpinEdit(1)->MinValue(), first.Lengths.front());
  EXPECT_EQ(p.SpinEdit(1)->MaxValue(), first.Lengths.back());
}

TEST_F(PopupTest, SpinEditsStepThroughTheOfferedLengths) {
  TPopSetLsnDlg p(owner.get(), V(), 0, 1, false, kDay);
  ASSERT_TRUE(p.HasContent());
  // A lesson with several distinct lengths offered, if the demo has one;
  // else the stepping stays on its only length.
  for (std::size_t i = 0; i < p.Table(0).size() && i < 6; ++i) {
    const TPopLessonRow& r = p.Table(0)[i];
    const int row = static_cast<int>(i) + 1;
    TSpinEdit* s = p.SpinEdit(row);
    test::Press(s->Button()->UpButton());
    EXPECT_EQ(p.Table(0)[i].Length(), r.Lengths[std::min<std::size_t>(1, r.Lengths.size() - 1)]);
    EXPECT_EQ(s->Value(), p.Table(0)[i].Length());
    test::Press(s->Button()->DownButton());
    EXPECT_EQ(p.Table(0)[i].Length(), r.Lengths[0]);
  }
}

TEST_F(PopupTest, AtTheLastHourEveryLengthAboveOneIsRefused) {
  const int L = M().L();
  // The last hour of a klass that is free then.
  int klass = -1;
  for (int k = 0; k < V().KlassCount() && klass < 0; ++k)
    if (!M().Klasses[k]->IsSlotClosed((kDay - 1) * 24 + L, -1)) klass = k;
  ASSERT_GE(klass, 0);
  TPopSetLsnDlg p(owner.get(), V(), klass, L, false, kDay);
  ASSERT_TRUE(p.HasContent());
  EXPECT_EQ(p.FreeRun(), 1);
  for (const TPopLessonRow& r : p.Table(0)) {
    EXPECT_LE(r.Fit, 1);
    if (r.Length() > 1) {
      EXPECT_EQ(p.RowStatus(r), kPopOwnerBusy);
    }
  }
  // Past L there is nothing to offer at all.
  TPopSetLsnDlg past(owner.get(), V(), klass, L + 1, false, kDay);
  EXPECT_FALSE(past.HasContent());
  EXPECT_FALSE(past.isVisible());
}

TEST_F(PopupTest, LessonsAlreadyOnTheDayAreGrayWithTheirReason) {
  // Working on the planned day: every Monday lesson is in today's fair copy.
  int h = 0;
  for (int x = 1; x <= M().L() && h == 0; ++x)
    if (V().GetCell(0, kPlanned, x).Lesson < 0 && !M().Klasses[0]->IsSlotClosed(x, -1)) h = x;
  if (h == 0) GTEST_SKIP() << "klass 0 has no free hour on the planned day";
  TPopSetLsnDlg p(owner.get(), V(), 0, h, false, kPlanned);
  ASSERT_TRUE(p.HasContent());
  for (int d = 0; d <= 6; ++d)
    for (const TPopLessonRow& r : p.Table(d)) {
      if (V().CountLessonInFair(0, r.Lesson, kPlanned) == 0) continue;
      EXPECT_NE(d, kPlanned);  // not under "Черновик"
      EXPECT_EQ(p.RowStatus(r), kPopInFairToday);
      EXPECT_EQ(U(p.StatusText(kPopInFairToday)), "Такой урок уже есть в расписании.");
    }
}

// ---- choosing --------------------------------------------------------------------------

TEST_F(PopupTest, ChoosingAnUnplacedLessonPlacesItsWholeLinkedSetWithoutConflict) {
  for (int klass : {0, 3}) {
    const int hour = 2;
    int lesson = -1, length = 0;
    During<TPopLessonDlg>([&](TPopLessonDlg* p) {
      ASSERT_EQ(p->CurrentTable(), 0);
      const int row = FirstPlaceable(p, 0);
      ASSERT_GT(row, 0);
      lesson = p->KlassLessonOf(p->Table(0)[static_cast<std::size_t>(row - 1)].Lesson);
      length = p->Table(0)[static_cast<std::size_t>(row - 1)].Length();
      DoubleClickRow(p, row);
    });
    ASSERT_TRUE(RunPopSetLsn(owner.get(), V(), klass, hour, false, kDay));
    EXPECT_EQ(owner->findChild<TPopLessonDlg*>(), nullptr);  // freed after the wait
    for (int x = hour; x < hour + length; ++x) EXPECT_EQ(V().GetCell(klass, kDay, x).Lesson, lesson);
    TLinkedLists lists;
    ASSERT_TRUE(M().Klasses.CollectLinkedLessons(klass, lesson, lists));
    for (int i = 0; i < lists.LessonCount(); ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      EXPECT_EQ(V().GetCell(e.A, kDay, hour).Lesson, e.B);
    }
    ExpectNoConflicts(kDay);
  }
}

TEST_F(PopupTest, ChoosingAMondayBlockMovesItToTheHour) {
  const int klass = 1, hour = 1;
  int lesson = -1, length = 0;
  During<TPopLessonDlg>([&](TPopLessonDlg* p) {
    const int tab = TabOf(p, kPlanned);
    ASSERT_GE(tab, 0);
    test::ChooseTab(p->Tabs(), tab);
    ASSERT_EQ(p->CurrentTable(), kPlanned);
    EXPECT_FALSE(p->SpinEdit(1)->isVisible());
    const int row = FirstPlaceable(p, kPlanned);
    ASSERT_GT(row, 0);
    lesson = p->KlassLessonOf(p->Table(kPlanned)[static_cast<std::size_t>(row - 1)].Lesson);
    length = p->Table(kPlanned)[static_cast<std::size_t>(row - 1)].Length();
    DoubleClickRow(p, row);
  });
  ASSERT_TRUE(RunPopSetLsn(owner.get(), V(), klass, hour, false, kDay));
  EXPECT_EQ(V().CountLessonInDay(klass, lesson, kPlanned), 0);
  EXPECT_EQ(V().CountLessonInFair(klass, lesson, kDay), length);
  EXPECT_EQ(V().GetCell(klass, kDay, hour).Lesson, lesson);
  ExpectNoConflicts(kDay);
  ExpectNoConflicts(kPlanned);
}

TEST_F(PopupTest, DraftModeParksTheLessonAndOffersNoDraftTab) {
  const int klass = 2;
  int lesson = -1;
  During<TPopLessonDlg>([&](TPopLessonDlg* p) {
    EXPECT_TRUE(p->DraftMode());
    EXPECT_EQ(TabOf(p, kDay), -1);
    const int row = FirstPlaceable(p, 0);
    ASSERT_GT(row, 0);
    lesson = p->KlassLessonOf(p->Table(0)[static_cast<std::size_t>(row - 1)].Lesson);
    DoubleClickRow(p, row);
  });
  ASSERT_TRUE(RunPopSetLsn(owner.get(), V(), klass, 1, true, kDay));
  EXPECT_EQ(V().GetDraftCell(klass, kDay, 1).Lesson, lesson);
  EXPECT_EQ(V().CountLessonInFair(klass, lesson, kDay), 0);

  // Now the lesson waits in today's draft: the fair pop-up lists it under
  // "Черновик", gray elsewhere with reason 2, and choosing it moves it in.
  int row = -1;
  During<TPopLessonDlg>([&](TPopLessonDlg* p) {
    ASSERT_EQ(p->TabTables().front(), kDay);
    EXPECT_EQ(p->Tabs()->tabText(0), QString::fromUtf8("Черновик"));
    for (std::size_t i = 0; i < p->Table(kDay).size(); ++i)
      if (p->KlassLessonOf(p->Table(kDay)[i].Lesson) == lesson) row = static_cast<int>(i) + 1;
    ASSERT_GT(row, 0);
    for (int d = 0; d <= 6; ++d)
      for (const TPopLessonRow& r : p->Table(d))
        if (d != kDay && p->KlassLessonOf(r.Lesson) == lesson) {
          EXPECT_EQ(p->RowStatus(r), kPopInDraftToday);
        }
    if (p->RowStatus(p->Table(kDay)[static_cast<std::size_t>(row - 1)]) == kPopPlaceable) DoubleClickRow(p, row);
    else p->hide();
  });
  const bool moved = RunPopSetLsn(owner.get(), V(), klass, 3, false, kDay);
  if (moved) {
    EXPECT_EQ(V().CountLessonInDraft(klass, lesson, kDay), 0);
    EXPECT_EQ(V().GetCell(klass, kDay, 3).Lesson, lesson);
    ExpectNoConflicts(kDay);
  }
}

TEST_F(PopupTest, TeacherPopupPlacesOneOfTheTeachersLessons) {
  const int teacher = 0, hour = 3;
  int klass = -1, lesson = -1;
  During<TPopLessonDlg>([&](TPopLessonDlg* p) {
    // Every listed lesson has a group of the teacher.
    for (int d = 0; d <= 6; ++d)
      for (const TPopLessonRow& r : p->Table(d))
        EXPECT_GE(M().KlassLesson(p->KlassOf(r.Lesson), p->KlassLessonOf(r.Lesson))->GroupOfTeacher(teacher), 0);
    const int row = FirstPlaceable(p, 0);
    ASSERT_GT(row, 0);
    const TPopLessonRow& r = p->Table(0)[static_cast<std::size_t>(row - 1)];
    klass = p->KlassOf(r.Lesson);
    lesson = p->KlassLessonOf(r.Lesson);
    EXPECT_NE(U(p->RowText(r)).find(": "), std::string::npos);
    DoubleClickRow(p, row);
  });
  ASSERT_TRUE(RunPopTchLsn(owner.get(), V(), teacher, hour, false, kDay));
  int k = -1, g = -1, links = 0;
  ASSERT_TRUE(V().FindTeacherLesson(teacher, hour, kDay, k, g, links));
  EXPECT_EQ(k, klass);
  EXPECT_EQ(V().GetCell(klass, kDay, hour).Lesson, lesson);
  ExpectNoConflicts(kDay);
}

TEST_F(PopupTest, ClosedTeacherHoursAreRefused) {
  const int klass = 0, hour = 2;
  // Close hour 2 for the teacher of every lesson of the klass.
  TRTIKlassItem* k = M().Klasses[klass];
  std::set<int> teachers;
  for (int l = 0; l < k->Lessons.Count(); ++l)
    for (int g = 0; g < k->Lessons[l]->SubItemsCount(); ++g)
      if (k->Lessons[l]->RT[static_cast<std::size_t>(g)].Teacher >= 0)
        teachers.insert(k->Lessons[l]->RT[static_cast<std::size_t>(g)].Teacher);
  for (int t : teachers) M().Teachers[t]->SetBusy((kDay - 1) * 24 + hour, TTeacherHourCell{1, 0});
  const auto before = Body(V());

  TPopSetLsnDlg p(owner.get(), V(), klass, hour, false, kDay);
  ASSERT_TRUE(p.HasContent());
  for (std::size_t i = 0; i < p.Table(0).size(); ++i) {
    const TPopLessonRow& r = p.Table(0)[i];
    const int st = p.RowStatus(r);
    if (M().KlassLesson(klass, p.KlassLessonOf(r.Lesson))->RT[0].Teacher < 0) continue;
    EXPECT_NE(st, kPopPlaceable);
    DoubleClickRow(&p, static_cast<int>(i) + 1);
  }
  EXPECT_EQ(Body(V()), before);
  EXPECT_TRUE(p.isVisible());

  // Seen from the teacher, the hour itself is busy: nothing can start there.
  TPopTchLsnDlg tp(owner.get(), V(), *teachers.begin(), hour, false, kDay);
  EXPECT_EQ(tp.FreeRun(), 0);
  for (const TPopLessonRow& r : tp.Table(0)) EXPECT_EQ(tp.RowStatus(r), kPopOwnerBusy);
  EXPECT_EQ(U(tp.StatusText(kPopOwnerBusy)), "Учитель занят.");
}

// ---- hiding ------------------------------------------------------------------------------

TEST_F(PopupTest, EscFocusLossAndTheMouseHideWithoutAChoice) {
  const auto before = Body(V());
  During<TPopLessonDlg>([](TPopLessonDlg* p) { QTest::keyClick(p->LessonsGrid(), Qt::Key_Escape); });
  EXPECT_FALSE(RunPopSetLsn(owner.get(), V(), 0, 1, false, kDay));

  During<TPopLessonDlg>([this](TPopLessonDlg*) { other->setFocus(); });
  EXPECT_FALSE(RunPopSetLsn(owner.get(), V(), 0, 1, false, kDay));

  During<TPopLessonDlg>([](TPopLessonDlg* p) {
    QCursor::setPos(p->mapToGlobal(QPoint(p->width() + 200, 0)));
  });
  EXPECT_FALSE(RunPopSetLsn(owner.get(), V(), 0, 1, false, kDay));
  QCursor::setPos(owner->mapToGlobal(QPoint(100, 100)));
  EXPECT_EQ(Body(V()), before);
  EXPECT_EQ(owner->findChild<TPopLessonDlg*>(), nullptr);
}

TEST_F(PopupTest, TheMouseMayStrayThirtyPixels) {
  TPopSetLsnDlg p(owner.get(), V(), 0, 1, false, kDay);
  ASSERT_TRUE(p.HasContent());
  p.setFocus();
  QWidget* inside = p.LessonsGrid();
  const auto at = [&](int x, int y) { return p.mapToGlobal(QPoint(x, y)); };
  EXPECT_TRUE(p.StaysVisible(inside, at(-30, 10)));
  EXPECT_FALSE(p.StaysVisible(inside, at(-31, 10)));
  EXPECT_TRUE(p.StaysVisible(inside, at(10, p.height() + 30)));
  EXPECT_FALSE(p.StaysVisible(inside, at(10, p.height() + 31)));
  EXPECT_FALSE(p.StaysVisible(other, at(10, 10)));
  EXPECT_FALSE(p.StaysVisible(nullptr, at(10, 10)));
  // The timer's tick reads the real focus and cursor.
  other->setFocus();
  p.TimerTick();
  EXPECT_FALSE(p.isVisible());
  EXPECT_FALSE(p.PopupTimer()->isActive());
}

TEST_F(PopupTest, NothingToOfferNeverShows) {
  // A klass hour that holds a lesson: the klass is busy, no free run; with
  // every lesson placed in the week the pop-up may still list the day tabs,
  // so use an out-of-range klass and day instead.
  EXPECT_FALSE(RunPopSetLsn(owner.get(), V(), V().KlassCount(), 1, false, kDay));
  EXPECT_FALSE(RunPopSetLsn(owner.get(), V(), 0, 1, false, 7));
  EXPECT_FALSE(RunPopSetRoom(owner.get(), V(), 0, 1, 1, kDay));  // an empty cell
}

// ---- rooms --------------------------------------------------------------------------------

TEST_F(PopupTest, RoomPopupOffersFreeBigEnoughRoomsAndGivesThemToLinkedGroups) {
  // The first block of the planned day in some klass: its start and length.
  int klass = -1, start = 0, len = 0;
  for (int k = 0; k < V().KlassCount() && klass < 0; ++k)
    for (int h = 1; h <= M().L(); ++h) {
      const TTableCell c = V().GetCell(k, kPlanned, h);
      if (c.Lesson < 0 || c.PrevHour >= 1) continue;
      klass = k;
      start = h;
      len = V().CountLessonInFair(k, c.Lesson, kPlanned);
      break;
    }
  ASSERT_GE(klass, 0);
  const int lesson = V().GetCell(klass, kPlanned, start).Lesson;

  During<TTPopSetRoomDlg>([&](TTPopSetRoomDlg* p) {
    ASSERT_FALSE(p->Groups().empty());
    EXPECT_EQ(p->Tabs()->count(), static_cast<int>(p->Groups().size()));
    // Headings and the teacher's name whole; the room lists inside the pop-up.
    const QFontMetrics fm(p->RoomsGrid()->font());
    const int ids[3] = {10161, 10169, 10167};
    for (int c = 0; c < 3; ++c)
      EXPECT_LE(fm.horizontalAdvance(ResQ(ids[c])) + 4, p->RoomsGrid()->ColWidths(c)) << U(LoadResStr(ids[c]));
    EXPECT_LE(fm.horizontalAdvance(ToQt(M().Teachers[p->Groups()[0].teacher]->DisplayName())) + 4,
              p->RoomsGrid()->ColWidths(1));
    EXPECT_LT(p->CmbBox(1)->geometry().right(), p->RoomsGrid()->viewport()->width());
    EXPECT_EQ(p->RoomsGrid()->RowCount(), len + 1);
    const TTPopSetRoomDlg::Group g = p->Groups()[0];
    const std::vector<int> offered = p->OfferedRooms(1);
    ASSERT_EQ(offered.front(), -1);
    EXPECT_EQ(p->CmbBox(1)->itemText(0), QString::fromUtf8("Отсутствует"));
    EXPECT_EQ(p->CmbBox(1)->count(), static_cast<int>(offered.size()));
    const TRTILessonItem* l = M().KlassLesson(g.klass, g.lesson);
    int need = l->GetSubItem(g.group)->ChildrenInGroup;
    const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g.group)];
    for (int i = 0; i < rt.LinksCount(); ++i) {
      const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
      need += M().KlassLesson(ln.Klass, ln.Lesson)->GetSubItem(ln.Group)->ChildrenInGroup;
    }
    const uint16_t current = V().GetCell(g.klass, kPlanned, start).Rooms[static_cast<std::size_t>(g.group)];
    for (std::size_t i = 1; i < offered.size(); ++i) {
      const int r = offered[i];
      EXPECT_EQ(M().Rooms[r]->GetBusy((kPlanned - 1) * 24 + start), 0);
      EXPECT_GE(M().Rooms[r]->MaxChildren, need);
      EXPECT_TRUE(V().GetRoomCell(r, kPlanned, start).Klass < 0 || current == r);
    }
    if (!g.fiction.empty()) {
      EXPECT_EQ(offered.size(), 1u);
      p->hide();
      return;
    }
    ASSERT_GT(offered.size(), 1u);
    const int room = offered.back();
    // Through the drop-down list, as the user does it.
    ASSERT_TRUE(test::PickFromPopup(p->CmbBox(1), p->CmbBox(1)->itemText(p->CmbBox(1)->count() - 1)));
    const TTableCell c = V().GetCell(g.klass, kPlanned, start);
    EXPECT_EQ(c.Rooms[static_cast<std::size_t>(g.group)], room);
    EXPECT_EQ(V().GetRoomCell(room, kPlanned, start).Klass >= 0, true);
    for (int i = 0; i < rt.LinksCount(); ++i) {
      const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
      EXPECT_EQ(V().GetCell(ln.Klass, kPlanned, start).Rooms[ln.Group], room);
    }
    // A room taken by another klass is not offered to it; a room closed
    // at the hour neither. (No list holds such a room: the choice's own
    // refusal is tested.)
    EXPECT_FALSE(p->ChooseRoom(1, M().Rooms.Count()));
    // "Отсутствует" frees it for this group and the linked ones.
    EXPECT_TRUE(test::PickFromPopup(p->CmbBox(1), QString::fromUtf8("Отсутствует")));
    EXPECT_EQ(V().GetCell(g.klass, kPlanned, start).Rooms[static_cast<std::size_t>(g.group)], kNoRoom);
    for (int i = 0; i < rt.LinksCount(); ++i) {
      const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
      EXPECT_EQ(V().GetCell(ln.Klass, kPlanned, start).Rooms[ln.Group], kNoRoom);
    }
    EXPECT_NE(V().GetRoomCell(room, kPlanned, start).Klass, g.klass);
    EXPECT_TRUE(test::PickFromPopup(p->CmbBox(1), p->CmbBox(1)->itemText(p->CmbBox(1)->count() - 1)));
    EXPECT_TRUE(p->isVisible());  // a room choice does not hide it
    QTest::keyClick(p->RoomsGrid(), Qt::Key_Escape);
  });
  EXPECT_TRUE(RunPopSetRoom(owner.get(), V(), klass, start, len, kPlanned));
  EXPECT_EQ(V().GetCell(klass, kPlanned, start).Lesson, lesson);
  EXPECT_EQ(owner->findChild<TTPopSetRoomDlg*>(), nullptr);
}

// The user opens a room list with the mouse: it drops four lines, the
// pop-up stays while the list is open, and it stays after a room was
// clicked, with the cursor left on the entry below the pop-up.
TEST_F(PopupTest, RoomPopupStaysWhileItsListIsOpenAndAfterAPick) {
  // A two-hour lesson alone on the empty day: nearly every room is free.
  const int klass = 0;
  int lesson = -1;
  for (int l = 0; l < M().Klasses[klass]->Lessons.Count() && lesson < 0; ++l)
    if (!M().KlassLesson(klass, l)->HasLink() && V().PlaceLinkedLesson(klass, l, false, kDay, 1, 2)) lesson = l;
  ASSERT_GE(lesson, 0);
  bool ran = false;
  During<TTPopSetRoomDlg>([&](TTPopSetRoomDlg* p) {
    ran = true;
    // However the script ends, the pop-up must go, or the wait never ends.
    const auto done = qScopeGuard([p] { p->hide(); });
    QComboBox* box = p->CmbBox(2);  // the block's second hour, lower in the pop-up
    ASSERT_TRUE(box->isVisible());
    ASSERT_GT(box->count(), 5);
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(list->isVisible());
    int shown = 0;
    for (int i = 0; i < box->count(); ++i)
      shown += list->viewport()->rect().contains(list->visualRect(box->model()->index(i, 0))) ? 1 : 0;
    EXPECT_EQ(shown, 4);
    // The lowest point of the fourth entry.
    const QRect fourth = list->visualRect(box->model()->index(3, 0));
    QCursor::setPos(list->viewport()->mapToGlobal(QPoint(fourth.center().x(), fourth.bottom())));
    QSignalSpy ticks(p->PopupTimer(), &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(2000));
    EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(list->isVisible());
    // A release right after the opening click ends that click; the user's
    // pick comes later.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(fourth.center().x(), fourth.bottom()));
    EXPECT_FALSE(list->isVisible());
    ASSERT_TRUE(ticks.wait(2000));
    ASSERT_TRUE(ticks.wait(2000));
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(V().GetCell(klass, kDay, 2).Rooms[static_cast<std::size_t>(p->Groups()[0].group)],
              box->itemData(3).toInt());
    // Away from the pop-up and its list the timer still hides it.
    QCursor::setPos(p->mapToGlobal(QPoint(p->width() + 200, -100)));
    ASSERT_TRUE(ticks.wait(2000));
    EXPECT_FALSE(p->isVisible());
  });
  EXPECT_TRUE(RunPopSetRoom(owner.get(), V(), klass, 1, 2, kDay));
  EXPECT_TRUE(ran);
}

TEST_F(PopupTest, ARoomHeldByAnotherKlassIsNotOffered) {
  // Two klasses with a lesson at the same hour of the planned day.
  int h = 0, k1 = -1, k2 = -1;
  for (int x = 1; x <= M().L() && k2 < 0; ++x) {
    k1 = k2 = -1;
    for (int k = 0; k < V().KlassCount(); ++k) {
      const TTableCell c = V().GetCell(k, kPlanned, x);
      if (c.Lesson < 0 || c.PrevHour >= 1 || M().KlassLesson(k, c.Lesson)->HasLink()) continue;
      if (k1 < 0) k1 = k;
      else if (k2 < 0) k2 = k;
    }
    h = x;
  }
  ASSERT_GE(k2, 0);
  const int len1 = V().CountLessonInFair(k1, V().GetCell(k1, kPlanned, h).Lesson, kPlanned);
  const int len2 = V().CountLessonInFair(k2, V().GetCell(k2, kPlanned, h).Lesson, kPlanned);
  TTPopSetRoomDlg p1(owner.get(), V(), k1, h, len1, kPlanned);
  ASSERT_TRUE(p1.HasContent());
  std::vector<int> offered = p1.OfferedRooms(1);
  if (offered.size() < 2) GTEST_SKIP() << "no room for the first klass";
  const int room = offered.back();
  ASSERT_TRUE(test::PickFromPopup(p1.CmbBox(1), p1.CmbBox(1)->itemText(p1.CmbBox(1)->count() - 1)));
  TTPopSetRoomDlg p2(owner.get(), V(), k2, h, len2, kPlanned);
  ASSERT_TRUE(p2.HasContent());
  offered = p2.OfferedRooms(1);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), room), 0);
  EXPECT_FALSE(p2.ChooseRoom(1, room));  // no list holds it: the choice's own refusal
}

}  // namespace
}  // namespace korvant
