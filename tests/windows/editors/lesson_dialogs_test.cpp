#include <gtest/gtest.h>

#include <QTreeWidget>

#include "controls/bit_btn.h"
#include "editor_test_util.h"
#include "windows/editors/lesson_dialogs.h"

namespace korvant {
namespace {

using test::U;

// An owner that answers the dialogs' requests with a list of two rows and
// records what it is told.
struct FakeOwner : MessageTarget {
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    calls.push_back({msg, w, l});
    if (msg == kMsgLinksGet || msg == kMsgFindInit) {
      auto* view = reinterpret_cast<QTreeWidget*>(l);
      auto* list = new TLessonEntryList{{{10, 0, 1}, {11, 1, 0}}};
      given = list;
      for (const auto& e : list->Entries) {
        QStringList cells(view->columnCount(), QString());
        cells.last() = YesNoText(e.Linked == 1);
        new QTreeWidgetItem(view, cells);
      }
      view->setCurrentItem(view->topLevelItem(0));
      return reinterpret_cast<MsgResult>(list);
    }
    return 0;
  }
  struct Call {
    uint32_t msg;
    MsgParam w, l;
  };
  std::vector<Call> calls;
  TLessonEntryList* given = nullptr;
};

TEST(LessonDialogs, LinkDialogAsksTogglesAndHandsBack) {
  FakeOwner owner;
  TLinkDlg d(&owner);
  ASSERT_EQ(owner.calls.size(), 1u);
  EXPECT_EQ(owner.calls[0].msg, kMsgLinksGet);
  EXPECT_EQ(owner.calls[0].w, 0);
  EXPECT_EQ(owner.calls[0].l, reinterpret_cast<MsgParam>(d.LessonsViewer()));
  EXPECT_EQ(d.Entries(), owner.given);
  EXPECT_EQ(d.LessonsViewer()->columnCount(), 5);
  EXPECT_EQ(d.LessonsViewer()->headerItem()->text(4), U("Связать"));

  // A double click twice on one row restores it.
  test::ShowActive(d);
  QTreeWidgetItem* row1 = d.LessonsViewer()->topLevelItem(1);
  const QModelIndex at1 = d.LessonsViewer()->indexFromItem(row1, 0);
  test::DoubleClickItem(d.LessonsViewer(), at1);
  EXPECT_EQ(d.Entries()->Entries[1].Linked, 1);
  EXPECT_EQ(row1->text(4), U("Да"));
  test::DoubleClickItem(d.LessonsViewer(), at1);
  EXPECT_EQ(d.Entries()->Entries[1].Linked, 0);
  EXPECT_EQ(row1->text(4), U("Нет"));
  d.LinkDblClick(5);  // no such row (none can be clicked): the handler's own guard

  test::LeftClick(d.DoneButton());
  ASSERT_EQ(owner.calls.size(), 2u);
  EXPECT_EQ(owner.calls[1].msg, kMsgLinksSet);
  EXPECT_EQ(owner.calls[1].w, reinterpret_cast<MsgParam>(owner.given));
  EXPECT_EQ(owner.calls[1].l, 0);
  EXPECT_EQ(d.ModalResult(), mrYes);
}

TEST(LessonDialogs, FindDialogShowsCopiesOrCancels) {
  for (uint32_t msg : {kMsgFindShow, kMsgFindCopy}) {
    FakeOwner owner;
    TLessonFindDlg d(&owner);
    EXPECT_EQ(owner.calls[0].msg, kMsgFindInit);
    EXPECT_EQ(d.LessonsViewer()->columnCount(), 6);
    test::ShowActive(d);
    test::ClickItem(d.LessonsViewer(), d.LessonsViewer()->indexFromItem(d.LessonsViewer()->topLevelItem(1), 0));
    test::LeftClick(msg == kMsgFindShow ? d.DoneButton() : d.CopyRecBtn());
    ASSERT_EQ(owner.calls.size(), 2u);
    EXPECT_EQ(owner.calls[1].msg, msg);
    EXPECT_EQ(owner.calls[1].w, reinterpret_cast<MsgParam>(owner.given));
    EXPECT_EQ(owner.calls[1].l, 1);
    EXPECT_EQ(d.ModalResult(), mrYes);
  }
  FakeOwner owner;
  TLessonFindDlg d(&owner);
  test::ShowActive(d);
  test::LeftClick(d.CancelButton());
  EXPECT_EQ(d.ModalResult(), mrCancel);
  EXPECT_EQ(owner.calls.size(), 1u);
}

TEST(LessonDialogs, WithoutAnOwnerTheListsAreEmpty) {
  TLinkDlg link(nullptr);
  EXPECT_EQ(link.Entries(), nullptr);
  link.LinkDblClick(0);  // an empty list has no row to click: the handler's own guard
  test::ShowActive(link);
  test::LeftClick(link.DoneButton());  // nothing to hand back
  EXPECT_EQ(link.ModalResult(), mrYes);
  TLessonFindDlg find(nullptr);
  test::ShowActive(find);
  test::LeftClick(find.DoneButton());
  EXPECT_EQ(find.ModalResult(), mrNone);
}

}  // namespace
}  // namespace korvant
