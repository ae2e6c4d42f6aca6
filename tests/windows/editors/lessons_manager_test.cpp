#include <gtest/gtest.h>
#include <QtTest/QTest>

#include <QCheckBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QTabBar>
#include <QTreeWidget>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/project/lesson_links.h"
#include "core/project/project_data.h"
#include "editor_test_util.h"
#include "window_test_util.h"
#include "windows/editors/editor_fields.h"
#include "windows/editors/lessons_manager.h"

namespace korvant {
namespace {

using test::P;
using test::U;
using Links = std::vector<TLessonLink>;

// Klasses 5А (25 pupils), 5Б (31), 4А; subjects Математика, Физика;
// teachers Иванов, Петров. Lessons:
//   0: 5А, Математика/Иванов, blocks 1,2
//   1: 5Б, two groups: Физика/Петров and Математика/Иванов
//   2: 4А, Математика/Иванов
//   3: 5А, Физика/Иванов
//   4: klass 7 (none), Физика/Петров
// The separated-hours dialog opened as the user opens it: a double click
// on the block layout field.
void OpenSepQuants(TLessonsManager& e) {
  test::OpenPageOf(e.QuantingEdit());
  test::DoubleClick(e.QuantingEdit(), QPoint(5, e.QuantingEdit()->height() / 2));
}

struct LessonsFixture {
  TProjectData data;
  test::FakeMainWindow main;
  test::EditorPrompt prompt;
  ScopedPrompt scope{&prompt};
  std::unique_ptr<TLessonsManager> editor;
  MessageTraceRecorder trace;

  LessonsFixture() {
    for (auto [name, pupils] : {std::pair{"5А", 25}, {"5Б", 31}, {"4А", 20}}) {
      TKlassItem* k = data.Klasses.Add();
      k->SetName(P(name));
      k->ChildrenInKlass = static_cast<uint16_t>(pupils);
    }
    for (const char* n : {"Математика", "Физика"}) data.Subjects.Add()->SetName(P(n));
    for (const char* n : {"Иванов", "Петров"}) data.Teachers.Add()->SetName(P(n));
    Lesson(0, {{0, 0}})->ChangeQuant(+1, 1);
    data.Lessons.GetItem(0)->ChangeQuant(+1, 2);
    Lesson(1, {{1, 1}, {0, 0}});
    Lesson(2, {{0, 0}});
    Lesson(0, {{1, 0}});
    Lesson(7, {{1, 1}});
    editor = std::make_unique<TLessonsManager>(data.Lessons, data.Teachers, data.Klasses, data.Subjects,
                                               data.Params);
    test::ShowActive(*editor);
  }
  TLessonItem* Lesson(int32_t klass, std::initializer_list<std::pair<int, int>> groups) {
    TLessonItem* l = data.Lessons.Add();
    l->KlassID = klass;
    l->SetSubItemsCount(static_cast<int>(groups.size()));
    int g = 0;
    for (auto [subject, teacher] : groups) {
      l->GetSubItem(g)->SubjectID = subject;
      l->GetSubItem(g)->TeacherID = teacher;
      ++g;
    }
    return l;
  }
  TLessonItem* L(int i) { return data.Lessons.GetItem(i); }
  TLessonSubItem* G(int i, int g) { return L(i)->GetSubItem(g); }
  Links LinksOf(int i, int g) {
    Links v;
    for (int k = 1; k <= G(i, g)->LinksCount(); ++k) v.push_back(G(i, g)->GetLink(k));
    return v;
  }
  std::vector<int> Pupils(int i) {
    std::vector<int> v;
    for (int g = 0; g < L(i)->SubItemsCount(); ++g) v.push_back(G(i, g)->ChildrenInGroup);
    return v;
  }
  std::vector<int> Front(int i) {
    std::vector<int> v;
    for (int k = 1; k <= L(i)->QuantsCount(); ++k) v.push_back(L(i)->QuantAt(k));
    return v;
  }
  int Modified() {
    const auto sent = test::Sent(trace, kMsgListModified);
    for (const auto& e : sent) EXPECT_EQ(e.w, kTagLessons);
    return static_cast<int>(sent.size());
  }
  void PickKlass(const char* name) {
    ASSERT_TRUE(test::PickFromPopup(editor->KlassComboBox(), U(name)));
  }
  static QStringList Row(QTreeWidget* v, int r) {
    QStringList cells;
    for (int c = 0; c < v->columnCount(); ++c) cells << v->topLevelItem(r)->text(c);
    return cells;
  }
};

TEST(LessonsManager, CreatedQuietlyShowingTheFirstLesson) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  EXPECT_EQ(f.Modified(), 0);
  EXPECT_EQ(e.windowTitle(), U("Уроки"));
  EXPECT_EQ(e.Kind(), kTagLessons);
  EXPECT_EQ(findMessageTarget(kTagLessons), &e);
  EXPECT_EQ(e.size(), QSize(447, 369));
  EXPECT_EQ(e.Current(), 0);
  EXPECT_EQ(e.KlassComboBox()->currentText(), U("5А"));
  EXPECT_EQ(e.KlassComboBox()->itemText(0), U("4А"));
  EXPECT_EQ(e.QuantingEdit()->text(), "1,2");
  EXPECT_EQ(e.GroupsCountEdit()->text(), "1");
  EXPECT_EQ(e.GroupsTabControl()->count(), 1);
  EXPECT_EQ(e.GroupsTabControl()->tabText(0), U("1 группа"));
  EXPECT_EQ(e.SubjectComboBox()->currentText(), U("Математика"));
  EXPECT_EQ(e.TeacherComboBox()->currentText(), U("Иванов"));
  EXPECT_EQ(e.ChildrenInGroupEdit()->text(), "30");
  EXPECT_TRUE(e.FindRecordBtn()->isEnabled());
  EXPECT_TRUE(e.MoveRecordButton()->isHidden());
  EXPECT_FALSE(e.PreviousRecordButton()->isEnabled());
  EXPECT_TRUE(e.NextRecordButton()->isEnabled());

  // Lesson 4's klass does not exist: loading leaves it, showing it repairs.
  EXPECT_EQ(f.L(4)->KlassID, 7);
  e.ShowRecord(4);
  EXPECT_EQ(f.L(4)->KlassID, -1);
  EXPECT_EQ(e.KlassComboBox()->currentIndex(), -1);
  EXPECT_EQ(f.Modified(), 1);
  EXPECT_FALSE(e.NextRecordButton()->isEnabled());
}

TEST(LessonsManager, EmptyListDisablesEverythingButAdd) {
  TProjectData data;
  test::FakeMainWindow main;
  MessageTraceRecorder trace;
  TLessonsManager e(data.Lessons, data.Teachers, data.Klasses, data.Subjects, data.Params);
  test::ShowActive(e);
  EXPECT_EQ(e.Current(), -1);
  EXPECT_TRUE(e.AddNewRecordButton()->isEnabled());
  for (QWidget* w : std::initializer_list<QWidget*>{e.RemoveRecordButton(), e.PreviousRecordButton(), e.NextRecordButton(),
                                        e.FindRecordBtn(), e.KlassComboBox(), e.GroupsCountEdit(), e.QuantingEdit(),
                                        e.NoAttachedRoomBox(), e.GroupsTabControl(), e.SubjectComboBox(),
                                        e.TeacherComboBox(), e.ChildrenInGroupEdit(), e.FictionNameEdit(),
                                        e.ClrGrpBtn(), e.LinkBtn()})
    EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
  EXPECT_EQ(e.GroupsTabControl()->count(), 0);

  test::LeftClick(e.AddNewRecordButton());
  ASSERT_EQ(data.Lessons.Count(), 1);
  EXPECT_EQ(data.Lessons.GetItem(0)->SubItemsCount(), 1);
  EXPECT_EQ(e.GroupsTabControl()->count(), 1);
  EXPECT_TRUE(e.LinkBtn()->isEnabled());
  EXPECT_TRUE(e.RemoveRecordButton()->isEnabled());
  EXPECT_EQ(test::Sent(trace, kMsgListModified).size(), 1u);
}

// A project may hold a lesson without groups (the data check names it):
// the editor shows it and the user gives it a group by typing the count.
TEST(LessonsManager, ALessonWithoutGroupsIsShownAndTakesATypedCount) {
  LessonsFixture f;
  f.L(0)->SetSubItemsCount(0);
  TLessonsManager& e = *f.editor;
  e.show();
  QApplication::setActiveWindow(&e);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&e));
  e.RefreshRecord();
  EXPECT_EQ(e.GroupsTabControl()->count(), 0);
  QTest::mouseClick(e.GroupsCountEdit(), Qt::LeftButton);
  QTest::keyClick(e.GroupsCountEdit(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(e.GroupsCountEdit(), "2");
  QTest::keyClick(e.GroupsCountEdit(), Qt::Key_Return);
  QTest::mouseClick(e.QuantingEdit(), Qt::LeftButton);
  EXPECT_EQ(f.L(0)->SubItemsCount(), 2);
  EXPECT_EQ(e.GroupsTabControl()->count(), 2);
}

TEST(LessonsManager, KlassChoiceDistributesThePupils) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  test::Enter(e.GroupsCountEdit(), "3");
  f.trace.clear();
  f.PickKlass("5Б");
  EXPECT_EQ(f.L(0)->KlassID, 1);
  EXPECT_EQ(f.Pupils(0), (std::vector<int>{11, 10, 10}));
  EXPECT_EQ(e.ChildrenInGroupEdit()->text(), "11");
  EXPECT_EQ(f.Modified(), 1);

  test::Enter(e.GroupsCountEdit(), "2");  // the klass's pupils again
  f.PickKlass("5А");
  EXPECT_EQ(f.Pupils(0), (std::vector<int>{13, 12}));

  TLessonItem none;
  none.SetSubItemsCount(4);
  DistributePupils(none, 30);
  EXPECT_EQ(f.Pupils(0).size(), 2u);
  std::vector<int> got;
  for (int g = 0; g < 4; ++g) got.push_back(none.GetSubItem(g)->ChildrenInGroup);
  EXPECT_EQ(got, (std::vector<int>{8, 8, 7, 7}));
  TLessonItem noGroups;
  DistributePupils(noGroups, 30);  // nothing to distribute
  EXPECT_EQ(noGroups.SubItemsCount(), 0);
}

TEST(LessonsManager, GroupCountField) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  TFieldEdit* edit = e.GroupsCountEdit();
  test::Enter(edit, "7");
  EXPECT_EQ(f.L(0)->SubItemsCount(), 5);
  EXPECT_EQ(edit->text(), "5");
  ASSERT_EQ(e.GroupsTabControl()->count(), 5);
  EXPECT_EQ(e.GroupsTabControl()->tabText(4), U("5 группа"));
  EXPECT_EQ(e.GroupsTabControl()->currentIndex(), 0);
  EXPECT_EQ(f.Pupils(0), (std::vector<int>{5, 5, 5, 5, 5}));  // 5А: 25 pupils
  EXPECT_EQ(f.G(0, 0)->SubjectID, -1);  // fresh groups
  EXPECT_EQ(f.Modified(), 1);

  test::Enter(edit, "0");
  EXPECT_EQ(f.L(0)->SubItemsCount(), 1);
  EXPECT_EQ(edit->text(), "1");
  EXPECT_EQ(e.GroupsTabControl()->count(), 1);
  EXPECT_EQ(f.Modified(), 2);

  // The same count keeps the groups.
  f.G(0, 0)->SubjectID = 1;
  test::Enter(edit, "01");
  test::Enter(edit, "");
  test::Enter(edit, "1");
  EXPECT_EQ(f.G(0, 0)->SubjectID, 1);
  EXPECT_EQ(f.Modified(), 2);

  test::Enter(edit, "x");
  EXPECT_TRUE(f.prompt.texts.empty());
  test::Leave(edit);
  EXPECT_TRUE(f.prompt.Asked(10043));
  EXPECT_EQ(f.L(0)->SubItemsCount(), 1);
  EXPECT_EQ(edit->text(), "1");
  EXPECT_EQ(f.Modified(), 2);
}

TEST(LessonsManager, NewGroupsTakeTheirMirrorLinksAlong) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  e.ShowRecord(1);
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(1), 1, {0, 0}));
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(1), 0, {4, 0}));
  test::Enter(e.GroupsCountEdit(), "3");
  EXPECT_EQ(f.L(1)->SubItemsCount(), 3);
  EXPECT_TRUE(f.LinksOf(0, 0).empty());
  EXPECT_TRUE(f.LinksOf(4, 0).empty());
  EXPECT_TRUE(f.LinksOf(1, 0).empty());
}

TEST(LessonsManager, LayoutField) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  TFieldEdit* edit = e.QuantingEdit();
  test::Enter(edit, "1,2,2");
  EXPECT_EQ(f.Front(0), (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(f.Modified(), 1);

  QString twenty, twentyOne;
  for (int i = 0; i < 20; ++i) twenty += i ? ",1" : "1";
  twentyOne = twenty + ",1";
  for (const QString& bad : {QString("2,1"), twentyOne, QString("1,25")}) {
    f.prompt.texts.clear();
    test::Enter(edit, bad);
    test::Leave(edit);
    EXPECT_TRUE(f.prompt.Asked(10044)) << bad.toStdString();
    EXPECT_EQ(f.Front(0), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(edit->text(), "1,2,2");
  }
  EXPECT_EQ(f.Modified(), 1);
  test::Enter(edit, twenty);
  EXPECT_EQ(f.L(0)->QuantsCount(), 20);
  test::Enter(edit, "");  // an emptied field keeps the layout
  EXPECT_EQ(f.L(0)->QuantsCount(), 20);

  auto rules = [](const char* t, int room) { return ParseQuants(t, room); };
  EXPECT_EQ(rules("1, 2;2 x3", 20), (std::vector<int>{1, 2, 2, 3}));
  EXPECT_EQ(rules("0,1,00", 20), std::vector<int>{1});
  EXPECT_EQ(rules("", 20), std::vector<int>{});
  EXPECT_FALSE(rules("1,1,1", 2).has_value());
  EXPECT_FALSE(rules("99999999999999999999", 20).has_value());
}

TEST(LessonsManager, SeparatedBlocksAreRedAndNeverLost) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  TFieldEdit* edit = e.QuantingEdit();
  const QColor normal = e.palette().color(QPalette::Text);
  EXPECT_EQ(edit->palette().color(QPalette::Text), normal);
  f.L(0)->SetQuant(21, 2);  // block 2 separated
  e.RefreshRecord();
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 0, 0));

  // Growing the block list keeps the separated block.
  test::Enter(edit, "1,1,2,2,3");
  EXPECT_EQ(f.Front(0), (std::vector<int>{1, 1, 2, 2, 3}));
  EXPECT_EQ(f.L(0)->SepQuantsCount(), 1);
  EXPECT_EQ(f.L(0)->GetQuant(21), 2);
  // Twenty blocks would leave no room beside it: refused.
  QString twenty;
  for (int i = 0; i < 20; ++i) twenty += i ? ",1" : "1";
  test::Enter(edit, twenty);
  test::Leave(edit);
  EXPECT_TRUE(f.prompt.Asked(10044));
  EXPECT_EQ(f.Front(0), (std::vector<int>{1, 1, 2, 2, 3}));
  EXPECT_EQ(f.L(0)->GetQuant(21), 2);
  test::Enter(edit, twenty.left(twenty.size() - 2));  // nineteen fit
  EXPECT_EQ(f.L(0)->QuantsCount(), 19);
  EXPECT_EQ(f.L(0)->GetQuant(20), 0);
  EXPECT_EQ(f.L(0)->GetQuant(21), 2);
}

TEST(LessonsManager, SeparatedHoursDialog) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  test::Enter(e.QuantingEdit(), "1,2,2");
  f.L(0)->SetQuant(21, 2);
  e.RefreshRecord();
  f.trace.clear();

  int runs = 0;
  std::vector<Qt::CheckState> seen;
  e.RunSepQuantsDialog = [&](TSepQuantsDlg& d) {
    ++runs;
    EXPECT_EQ(d.windowTitle(), U("Отделить часы"));
    QListWidget* box = d.QuantingsBox();
    seen.clear();
    for (int r = 0; r < box->count(); ++r) seen.push_back(box->item(r)->checkState());
    test::ShowActive(d);
    for (int r = 0; r < box->count(); ++r)
      if (box->item(r)->checkState() == Qt::Checked) test::TickItem(box, test::IndexAt(box, r));
    test::LeftClick(d.OkBtn());
    return d.ModalResult();
  };
  // A double click on the field opens it.
  OpenSepQuants(e);
  EXPECT_EQ(runs, 1);
  // The separated 2 ticks the last 2, not the first.
  EXPECT_EQ(seen, (std::vector<Qt::CheckState>{Qt::Unchecked, Qt::Unchecked, Qt::Checked}));
  EXPECT_EQ(f.L(0)->SepQuantsCount(), 0);
  EXPECT_EQ(f.Front(0), (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(e.QuantingEdit()->palette().color(QPalette::Text), e.palette().color(QPalette::Text));
  EXPECT_EQ(f.Modified(), 1);

  // Ticking the first and the last separates them, the last block at word 21.
  e.RunSepQuantsDialog = [](TSepQuantsDlg& d) {
    test::ShowActive(d);
    test::TickItem(d.QuantingsBox(), test::IndexAt(d.QuantingsBox(), 0));
    test::TickItem(d.QuantingsBox(), test::IndexAt(d.QuantingsBox(), 2));
    test::LeftClick(d.OkBtn());
    return d.ModalResult();
  };
  OpenSepQuants(e);
  EXPECT_EQ(f.L(0)->GetQuant(21), 2);
  EXPECT_EQ(f.L(0)->GetQuant(20), 1);
  EXPECT_EQ(f.L(0)->GetQuant(19), 0);
  EXPECT_EQ(f.Front(0), (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(e.QuantingEdit()->palette().color(QPalette::Text), QColor(255, 0, 0));

  // Cancelled: nothing changes, nothing is reported.
  e.RunSepQuantsDialog = [](TSepQuantsDlg& d) {
    test::ShowActive(d);
    test::TickItem(d.QuantingsBox(), test::IndexAt(d.QuantingsBox(), 1));
    test::LeftClick(d.CancelBtn());
    return d.ModalResult();
  };
  OpenSepQuants(e);
  EXPECT_EQ(f.L(0)->SepQuantsCount(), 2);
  EXPECT_EQ(f.Modified(), 2);
}

TEST(LessonsManager, SeparatedHoursThatDoNotFitAreRefused) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  test::Enter(e.QuantingEdit(), "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1");  // 15 blocks: room for 5
  const std::vector<int> front = f.Front(0);
  bool stayedOpen = false;
  e.RunSepQuantsDialog = [&](TSepQuantsDlg& d) {
    test::ShowActive(d);
    for (int r = 0; r < 6; ++r) test::TickItem(d.QuantingsBox(), test::IndexAt(d.QuantingsBox(), r));
    test::LeftClick(d.OkBtn());
    stayedOpen = d.ModalResult() == mrNone;
    return d.ModalResult();
  };
  OpenSepQuants(e);
  EXPECT_TRUE(stayedOpen);
  EXPECT_TRUE(f.prompt.Asked(10044));
  EXPECT_EQ(f.Front(0), front);
  EXPECT_EQ(f.L(0)->SepQuantsCount(), 0);

  e.RunSepQuantsDialog = [&](TSepQuantsDlg& d) {
    test::ShowActive(d);
    for (int r = 0; r < 5; ++r) test::TickItem(d.QuantingsBox(), test::IndexAt(d.QuantingsBox(), r));
    test::LeftClick(d.OkBtn());
    return d.ModalResult();
  };
  OpenSepQuants(e);
  EXPECT_EQ(f.Front(0), front);
  EXPECT_EQ(f.L(0)->SepQuantsCount(), 5);
}

TEST(LessonsManager, LinkListAndApplyingItKeepLinksSymmetric) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(0), 0, {2, 0}));  // listed
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(0), 0, {1, 0}));  // lesson 1 is listed by its group 1
  e.RefreshRecord();
  EXPECT_EQ(e.LinkBtn()->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
  f.trace.clear();

  e.RunLinkDialog = [&](TLinkDlg& d) {
    EXPECT_EQ(d.windowTitle(), U("Связать с подгруппой"));
    QTreeWidget* v = d.LessonsViewer();
    // Other klasses only, by klass name; each lesson by its first group of the same teacher.
    EXPECT_EQ(v->topLevelItemCount(), 2);
    EXPECT_EQ(LessonsFixture::Row(v, 0),
              (QStringList{U("4А"), "1", U("Математика"), U("Иванов"), U("Да")}));
    EXPECT_EQ(LessonsFixture::Row(v, 1),
              (QStringList{U("5Б"), "1.2", U("Математика"), U("Иванов"), U("Нет")}));
    EXPECT_EQ(v->currentItem(), v->topLevelItem(0));
    const auto& entries = d.Entries()->Entries;
    EXPECT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].LessonRef, 1);
    EXPECT_EQ(entries[1].GroupIndex, 1);
    test::ShowActive(d);
    test::DoubleClickItem(v, test::IndexAt(v, 1));
    test::DoubleClickItem(v, test::IndexAt(v, 0));
    test::DoubleClickItem(v, test::IndexAt(v, 0));
    test::DoubleClickItem(v, test::IndexAt(v, 0));  // three times: untick
    EXPECT_EQ(v->topLevelItem(0)->text(4), U("Нет"));
    EXPECT_EQ(v->topLevelItem(1)->text(4), U("Да"));
    EXPECT_TRUE(test::Sent(f.trace, kMsgListModified).empty());
    test::LeftClick(d.DoneButton());
    return d.ModalResult();
  };
  test::LeftClick(e.LinkBtn());
  EXPECT_EQ(f.LinksOf(0, 0), (Links{{1, 1}}));  // the unlisted link went too
  EXPECT_TRUE(f.LinksOf(2, 0).empty());
  EXPECT_EQ(f.LinksOf(1, 1), (Links{{0, 0}}));
  EXPECT_TRUE(f.LinksOf(1, 0).empty());
  EXPECT_EQ(f.Modified(), 1);
  const auto asked = test::Sent(f.trace, kMsgLinksGet);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].tag, kTagLessons);
  EXPECT_EQ(test::Sent(f.trace, kMsgLinksSet).size(), 1u);

  // Cancelled: nothing applied.
  e.RunLinkDialog = [](TLinkDlg& d) {
    test::ShowActive(d);
    test::DoubleClickItem(d.LessonsViewer(), test::IndexAt(d.LessonsViewer(), 0));
    test::LeftClick(d.CancelButton());
    return d.ModalResult();
  };
  test::LeftClick(e.LinkBtn());
  EXPECT_TRUE(f.LinksOf(2, 0).empty());
  EXPECT_EQ(f.Modified(), 1);
}

// The group's teacher changes through the combo's pop-up; the link dialog
// then lists the new teacher's rows only, and "Да" there leaves the group
// with just the links it shows: the old link goes on both sides.
TEST(LessonsManager, ApplyingLinksDropsTheLinksTheDialogNoLongerShows) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(0), 0, {2, 0}));
  e.RefreshRecord();
  test::ShowActive(e);
  ASSERT_TRUE(test::PickFromPopup(e.TeacherComboBox(), U("Петров")));
  EXPECT_EQ(f.G(0, 0)->TeacherID, 1);
  EXPECT_EQ(e.LinkBtn()->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
  QStringList linked;
  test::WhenModal([&](QWidget* m) {
    auto* d = qobject_cast<TLinkDlg*>(m);
    ASSERT_TRUE(d);
    QTreeWidget* v = d->LessonsViewer();
    for (int r = 0; r < v->topLevelItemCount(); ++r) linked << v->topLevelItem(r)->text(1) + v->topLevelItem(r)->text(4);
    QTest::mouseClick(d->DoneButton(), Qt::LeftButton);
  });
  QTest::mouseClick(e.LinkBtn(), Qt::LeftButton);
  EXPECT_EQ(linked, (QStringList{"1.1" + U("Нет"), "1" + U("Нет")}));  // 5Б and the lesson without a klass
  EXPECT_TRUE(f.LinksOf(0, 0).empty());
  EXPECT_TRUE(f.LinksOf(2, 0).empty());
  EXPECT_EQ(e.LinkBtn()->palette().color(QPalette::ButtonText), e.palette().color(QPalette::ButtonText));
}

// A disabled "Связка" looks like any disabled button, whatever colour its
// text had while it was enabled.
TEST(LessonsManager, ADisabledLinkButtonIsDrawnDisabled) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(0), 0, {2, 0}));
  e.RefreshRecord();
  test::ShowActive(e);
  // Every lesson removed ("Да" to each question): an empty list disables
  // the group's buttons.
  for (int i = f.data.Lessons.Count(); i > 0; --i)
    QTest::mouseClick(e.RemoveRecordButton(), Qt::LeftButton, {}, e.RemoveRecordButton()->rect().center());
  ASSERT_EQ(f.data.Lessons.Count(), 0);
  ASSERT_FALSE(e.LinkBtn()->isEnabled());
  TPrgBitBtn plain(TBitBtnKind::bkCustom, e.LinkBtn()->text(), e.LinkBtn()->parentWidget());
  plain.setGeometry(e.LinkBtn()->geometry());
  plain.setEnabled(false);
  plain.show();
  EXPECT_EQ(e.LinkBtn()->grab().toImage(), plain.grab().toImage());
}

TEST(LessonsManager, LinkNeedsRoomOnBothSides) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  for (int id = 100; id < 105; ++id) f.G(2, 0)->ChangeLink(+1, {id, 0});  // lesson 2 is full
  // The user ticks the full lesson with a double click and presses "Да":
  // nothing is linked, and the user is told why.
  e.RunLinkDialog = [](TLinkDlg& d) {
    d.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
    QTreeWidget* v = d.LessonsViewer();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualItemRect(v->topLevelItem(0)).center());
    QTest::mouseDClick(v->viewport(), Qt::LeftButton, {}, v->visualItemRect(v->topLevelItem(0)).center());
    EXPECT_EQ(v->topLevelItem(0)->text(4), U("Да"));
    QTest::mouseClick(d.DoneButton(), Qt::LeftButton);
    return d.ModalResult();
  };
  test::LeftClick(e.LinkBtn());
  ASSERT_EQ(f.prompt.texts.size(), 1u);
  EXPECT_EQ(ToQt(f.prompt.texts[0]),
            U("Не удалось связать с подгруппой 4А, Математика: у подгруппы может быть не более 5 связок."));
  EXPECT_TRUE(f.LinksOf(0, 0).empty());
  EXPECT_EQ(f.LinksOf(2, 0).size(), 5u);
  EXPECT_EQ(e.LinkBtn()->palette().color(QPalette::ButtonText), e.palette().color(QPalette::ButtonText));

  // A group without a teacher has no list.
  f.G(0, 0)->TeacherID = -1;
  e.RefreshRecord();
  int rows = -1;
  e.RunLinkDialog = [&](TLinkDlg& d) {
    rows = d.LessonsViewer()->topLevelItemCount();
    EXPECT_TRUE(d.Entries()->Entries.empty());
    test::ShowActive(d);
    test::LeftClick(d.CancelButton());
    return d.ModalResult();
  };
  test::LeftClick(e.LinkBtn());
  EXPECT_EQ(rows, 0);
}

TEST(LessonsManager, FindListOrderLabelsAndShowing) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  f.L(1)->ChangeQuant(+1, 2);
  f.L(1)->ChangeQuant(+1, 2);
  f.L(1)->SetQuant(21, 2);
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(1), 1, {2, 0}));
  e.ShowRecord(3);

  e.RunFindDialog = [&](TLessonFindDlg& d) {
    EXPECT_EQ(d.windowTitle(), U("Найти запись"));
    QTreeWidget* v = d.LessonsViewer();
    EXPECT_EQ(v->topLevelItemCount(), 6);
    const QStringList expected[] = {
        {U("4А"), "1", U("Математика"), "0", U("Иванов"), U("Да")},
        {U("5А"), "1", U("Математика"), "3", U("Иванов"), U("Нет")},
        {U("5А"), "2", U("Физика"), "0", U("Иванов"), U("Нет")},
        {U("5Б"), "1.1", U("Физика"), "4 *", U("Петров"), U("Нет")},
        {U("5Б"), "1.2", U("Математика"), "4 *", U("Иванов"), U("Да")},
        {U("Неизвестный класс"), "1", U("Физика"), "0", U("Петров"), U("Нет")},
    };
    for (int r = 0; r < 6; ++r) EXPECT_EQ(LessonsFixture::Row(v, r), expected[r]) << r;
    const auto& entries = d.Entries()->Entries;
    EXPECT_EQ(entries[4].LessonRef, 1);
    EXPECT_EQ(entries[4].GroupIndex, 1);
    EXPECT_EQ(entries[4].Linked, 1);
    EXPECT_EQ(v->currentItem(), v->topLevelItem(2));  // the lesson shown
    test::ShowActive(d);
    test::ClickItem(v, test::IndexAt(v, 4));
    test::LeftClick(d.DoneButton());
    return d.ModalResult();
  };
  test::LeftClick(e.FindRecordBtn());
  EXPECT_EQ(e.Current(), 1);
  EXPECT_EQ(e.CurrentGroup(), 1);
  EXPECT_EQ(e.GroupsTabControl()->currentIndex(), 1);
  EXPECT_EQ(e.SubjectComboBox()->currentText(), U("Математика"));
  EXPECT_EQ(e.LinkBtn()->palette().color(QPalette::ButtonText), QColor(255, 0, 0));

  // Tabs switch groups.
  test::ChooseTab(e.GroupsTabControl(), 0);
  EXPECT_EQ(e.CurrentGroup(), 0);
  EXPECT_EQ(e.TeacherComboBox()->currentText(), U("Петров"));

  // Without a selected row "Показать" and "Копировать" do nothing.
  e.RunFindDialog = [](TLessonFindDlg& d) {
    test::ShowActive(d);
    // Ctrl and a click on the selected row take its selection away.
    QTreeWidget* v = d.LessonsViewer();
    const QModelIndex at = v->currentIndex();
    EXPECT_TRUE(at.isValid());
    QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ControlModifier, test::ItemPoint(v, at));
    EXPECT_TRUE(v->selectedItems().isEmpty());
    test::LeftClick(d.DoneButton());
    test::LeftClick(d.CopyRecBtn());
    return d.ModalResult();
  };
  const int before = f.data.Lessons.Count();
  test::LeftClick(e.FindRecordBtn());
  EXPECT_EQ(f.data.Lessons.Count(), before);
  EXPECT_EQ(e.Current(), 1);
}

TEST(LessonsManager, CopyingALessonFromTheFindList) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  f.L(1)->ChangeQuant(+1, 1);
  f.L(1)->ChangeQuant(+1, 2);
  f.L(1)->SetQuant(21, 2);
  f.L(1)->SetBusy(5, 1);
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(1), 1, {2, 0}));
  f.trace.clear();
  e.RunFindDialog = [](TLessonFindDlg& d) {
    test::ShowActive(d);
    test::ClickItem(d.LessonsViewer(), test::IndexAt(d.LessonsViewer(), 4));  // lesson 1, group 2
    test::LeftClick(d.CopyRecBtn());
    return d.ModalResult();
  };
  test::LeftClick(e.FindRecordBtn());
  ASSERT_EQ(f.data.Lessons.Count(), 6);
  TLessonItem* copy = f.L(5);
  EXPECT_EQ(e.Current(), 5);
  EXPECT_EQ(e.CurrentGroup(), 1);
  EXPECT_EQ(e.GroupsTabControl()->currentIndex(), 1);
  EXPECT_EQ(copy->KlassID, -1);
  EXPECT_EQ(e.KlassComboBox()->currentIndex(), -1);
  EXPECT_EQ(copy->SubItemsCount(), 2);
  EXPECT_EQ(f.G(5, 0)->TeacherID, 1);
  EXPECT_EQ(f.Front(5), (std::vector<int>{1, 2}));
  EXPECT_EQ(copy->GetQuant(21), 2);
  EXPECT_EQ(copy->GetBusy(5), 1);
  EXPECT_EQ(f.LinksOf(5, 1), (Links{{2, 0}}));
  EXPECT_EQ(f.LinksOf(2, 0), (Links{{1, 1}, {5, 1}}));  // mirrored
  EXPECT_EQ(f.Modified(), 1);
}

TEST(LessonsManager, RemovalAsksAndTakesTheMirrorLinksAlong) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(0), 0, {2, 0}));
  ASSERT_TRUE(AddLinkPair(f.data.Lessons, *f.L(0), 0, {1, 1}));
  f.prompt.answers = {kResNo};
  test::LeftClick(e.RemoveRecordButton());
  EXPECT_TRUE(f.prompt.Asked(10046));
  EXPECT_EQ(f.prompt.kinds.back(), kBoxYesNo);
  EXPECT_EQ(f.data.Lessons.Count(), 5);
  EXPECT_EQ(f.Modified(), 0);

  f.prompt.answers = {kResYes};
  test::LeftClick(e.RemoveRecordButton());
  EXPECT_EQ(f.data.Lessons.Count(), 4);
  EXPECT_EQ(f.data.Lessons.IndexOfID(0), -1);
  EXPECT_TRUE(f.LinksOf(0, 0).empty());  // lesson 1 now stands first
  EXPECT_TRUE(f.LinksOf(0, 1).empty());
  EXPECT_TRUE(f.LinksOf(1, 0).empty());
  EXPECT_EQ(e.Current(), 0);
  EXPECT_EQ(f.Modified(), 1);
}

TEST(LessonsManager, EachEditReportsOnce) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  f.L(4)->KlassID = -1;  // nothing to repair on the way
  int expected = 0;
  auto step = [&](const char* what, const std::function<void()>& edit) {
    edit();
    ++expected;
    EXPECT_EQ(f.Modified(), expected) << what;
  };
  step("klass", [&] { f.PickKlass("4А"); });
  step("subject", [&] { ASSERT_TRUE(test::PickFromPopup(e.SubjectComboBox(), U("Физика"))); });
  EXPECT_EQ(f.G(0, 0)->SubjectID, 1);
  step("teacher", [&] { ASSERT_TRUE(test::PickFromPopup(e.TeacherComboBox(), U("Петров"))); });
  EXPECT_EQ(f.G(0, 0)->TeacherID, 1);
  step("pupils", [&] { test::Enter(e.ChildrenInGroupEdit(), "12000"); });
  EXPECT_EQ(f.G(0, 0)->ChildrenInGroup, 10000);
  step("fiction", [&] { test::Enter(e.FictionNameEdit(), U("Зал")); });
  EXPECT_EQ(f.G(0, 0)->GetFictionName(), P("Зал"));
  step("no room", [&] { test::Tick(e.NoAttachedRoomBox()); });
  EXPECT_EQ(f.L(0)->NoAttachedRoom, 1);
  step("grid", [&] {
    test::OpenPageOf(e.LessonBusyTable());
    test::Press(e.BusyButton());
    test::ClickCell(e.LessonBusyTable(), 2, 3);
  });
  EXPECT_EQ(f.L(0)->GetBusy(24 + 3), 1);
  step("clear", [&] { test::LeftClick(e.ClrGrpBtn()); });
  EXPECT_EQ(f.G(0, 0)->SubjectID, -1);
  EXPECT_EQ(f.G(0, 0)->TeacherID, -1);
  EXPECT_EQ(f.G(0, 0)->GetFictionName(), "");
  EXPECT_EQ(f.G(0, 0)->ChildrenInGroup, 10000);  // pupils stay
  EXPECT_EQ(e.SubjectComboBox()->currentIndex(), -1);
  step("add", [&] { test::LeftClick(e.AddNewRecordButton()); });
  test::LeftClick(e.PreviousRecordButton());
  test::LeftClick(e.NextRecordButton());
  EXPECT_EQ(f.Modified(), expected);  // navigation changes nothing

  f.prompt.texts.clear();
  test::Enter(e.ChildrenInGroupEdit(), "1a");
  test::Leave(e.ChildrenInGroupEdit());
  EXPECT_TRUE(f.prompt.Asked(10045));
  EXPECT_EQ(f.Modified(), expected);
}

TEST(LessonsManager, ActivationRepairsRemovedSubjects) {
  LessonsFixture f;
  TLessonsManager& e = *f.editor;
  f.data.Subjects.Delete(0);  // Математика
  e.Activated();
  EXPECT_EQ(f.G(0, 0)->SubjectID, -1);
  EXPECT_EQ(e.SubjectComboBox()->count(), 1);
  EXPECT_EQ(f.Modified(), 1);
  e.Activated();
  EXPECT_EQ(f.Modified(), 1);
}

TEST(LessonsManager, ChecksReachTheReport) {
  LessonsFixture f;
  TDataReportPages viaEditor, direct;
  f.editor->CheckData(&viaEditor);
  CheckLessons(f.data.Lessons, f.data.Klasses, f.data.Subjects, f.data.Teachers, f.data.Params.LessonsPerDay,
               &direct);
  EXPECT_EQ(viaEditor.Lines(kTagLessons), direct.Lines(kTagLessons));
  EXPECT_FALSE(direct.Lines(kTagLessons).empty());
}

}  // namespace
}  // namespace korvant
