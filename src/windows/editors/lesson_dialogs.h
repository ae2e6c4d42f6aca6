#pragma once
// The dialogs of the lessons window: links of a group to groups of other
// lessons (TLinkDlg), finding and copying a lesson (TLessonFindDlg), and the
// separated hours of a lesson (TSepQuantsDlg). The link and find dialogs
// hold no lessons: they ask their owner, the lessons window, for their list
// (kMsgLinksGet, kMsgFindInit) and hand the user's choice back to it
// (kMsgLinksSet, kMsgFindShow, kMsgFindCopy); the owner makes every change.
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/prg_dialog.h"
#include "platform/window_messages.h"

class QListWidget;
class QTreeWidget;

namespace korvant {

class TLessonItem;
class TPrgBitBtn;

// One row of a link or find list. LessonRef is the lesson's identifier in
// a link list and its position in the collection in a find list.
struct TLessonEntry {
  int32_t LessonRef = -1;
  int32_t GroupIndex = 0;
  uint8_t Linked = 0;  // 1: the group is (to be) linked / has links
};

// The list the owner answers kMsgLinksGet and kMsgFindInit with: made by
// the owner, owned by the dialog from then on and freed with it, so it
// ends with the dialog however the dialog ends.
struct TLessonEntryList {
  std::vector<TLessonEntry> Entries;
};

// The column texts of "Да"/"Нет" (catalogue 10071, 10072).
QString YesNoText(bool yes);

class TLinkDlg : public TPrgDialog {
  Q_OBJECT
 public:
  // Asks owner for the link list (kMsgLinksGet with the list view).
  explicit TLinkDlg(MessageTarget* owner, QWidget* parent = nullptr);
  ~TLinkDlg() override;

  QTreeWidget* LessonsViewer() const { return view_; }
  TPrgBitBtn* DoneButton() const { return done_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }
  TPrgBitBtn* HelpBtn() const { return help_; }
  // Null when the owner gave no list.
  const TLessonEntryList* Entries() const { return list_.get(); }

  // Toggles the link of row (also a double click on the row).
  void LinkDblClick(int row);
  // "Да": the owner applies the list (kMsgLinksSet); ends with mrYes.
  void OKBtnClick();

 private:
  MessageTarget* owner_;
  std::unique_ptr<TLessonEntryList> list_;
  QTreeWidget* view_ = nullptr;
  TPrgBitBtn* done_ = nullptr;
  TPrgBitBtn* cancel_ = nullptr;
  TPrgBitBtn* help_ = nullptr;
};

class TLessonFindDlg : public TPrgDialog {
  Q_OBJECT
 public:
  // Asks owner for the find list (kMsgFindInit with the list view).
  explicit TLessonFindDlg(MessageTarget* owner, QWidget* parent = nullptr);
  ~TLessonFindDlg() override;

  QTreeWidget* LessonsViewer() const { return view_; }
  TPrgBitBtn* DoneButton() const { return done_; }
  TPrgBitBtn* CopyRecBtn() const { return copy_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }
  TPrgBitBtn* HelpBtn() const { return help_; }
  const TLessonEntryList* Entries() const { return list_.get(); }

  // "Показать" (and a double click): the owner shows the selected row's
  // lesson and group; "Копировать": the owner appends a copy of it. Both
  // do nothing without a selected row, else end with mrYes.
  void OKBtnClick();
  void CopyBtnClick();

 private:
  int SelectedRow() const;
  void Choose(uint32_t msg);

  MessageTarget* owner_;
  std::unique_ptr<TLessonEntryList> list_;
  QTreeWidget* view_ = nullptr;
  TPrgBitBtn* done_ = nullptr;
  TPrgBitBtn* copy_ = nullptr;
  TPrgBitBtn* cancel_ = nullptr;
  TPrgBitBtn* help_ = nullptr;
};

// Ticks which front blocks of a lesson are separated. "Да" rewrites the
// lesson's separated list from the ticks (mrOk); "Отмена" leaves it.
class TSepQuantsDlg : public TPrgDialog {
  Q_OBJECT
 public:
  TSepQuantsDlg(QWidget* parent, TLessonItem& lesson);

  QListWidget* QuantingsBox() const { return box_; }
  TPrgBitBtn* OkBtn() const { return ok_; }
  TPrgBitBtn* CancelBtn() const { return cancel_; }
  TPrgBitBtn* HelpBtn() const { return help_; }

  // Writes the ticks into the lesson and ends with mrOk; ticks that would
  // not fit beside the front blocks are refused (message 10044) and the
  // dialog stays open.
  void OkBtnClick();

 private:
  TLessonItem& lesson_;
  QListWidget* box_ = nullptr;
  TPrgBitBtn* ok_ = nullptr;
  TPrgBitBtn* cancel_ = nullptr;
  TPrgBitBtn* help_ = nullptr;
};

}  // namespace korvant
