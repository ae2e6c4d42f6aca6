#pragma once
// The lessons editor ("Уроки"): the lesson's klass, groups, hour layout
// with its separated blocks, availability, and per group the subject,
// teacher, pupils, fictitious room and links. The link, find and
// separated-hours dialogs (windows/lesson_dialogs.h) talk to it by
// kMsgLinksGet..kMsgFindCopy; it keeps the links symmetric.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/project/klasses.h"
#include "core/project/lessons.h"
#include "core/project/subjects.h"
#include "core/project/teachers.h"
#include "windows/editors/lesson_dialogs.h"
#include "windows/editors/list_editor.h"

class QCheckBox;
class QTabBar;
class QTreeWidget;

namespace korvant {

// Gives every group pupils div n, the first pupils mod n groups one more:
// 31 in 3 groups are 11, 10, 10. A lesson without groups is left alone.
void DistributePupils(TLessonItem& lesson, int pupils);

// The hour layout as the field shows it: the front blocks joined by ",".
std::string QuantsText(const TLessonItem& lesson);

// A lesson in the order the link and find lists show lessons: klasses in
// the order given (the klass box's), then the other klass references met
// in the lessons, in lesson order; within a klass in collection order.
struct TLessonPlace {
  int Index;   // in the collection
  int Number;  // 1-based among the lessons of its klass
};
std::vector<TLessonPlace> LessonsInKlassOrder(const TLessonsCollection& lessons,
                                              const std::vector<int32_t>& klassOrder);

class TLessonsManager : public TListEditor {
  Q_OBJECT
 public:
  // teachers, klasses, subjects: the other editors' lists, for names and
  // choices (borrowed).
  TLessonsManager(TLessonsCollection& lessons, const TTeachersCollection& teachers,
                  const TKlassesCollection& klasses, const TSubjectsCollection& subjects,
                  TProjParamsRec& params, QWidget* parent = nullptr);
  ~TLessonsManager() override;

  int Count() const override { return lessons_.Count(); }
  TLessonsCollection& GetLessons() const { return lessons_; }
  TLessonsHeader GetStreamHeader() const { return lessons_.MakeHeader(); }
  void CheckData(IDataReport* report, const CheckPump& pump = {}) override;

  // The group shown (0-based; the selected tab).
  int CurrentGroup() const { return group_; }

  QComboBox* KlassComboBox() const { return klassCombo_; }
  TFieldEdit* GroupsCountEdit() const { return groupsEdit_; }
  TFieldEdit* QuantingEdit() const { return quantEdit_; }
  QCheckBox* NoAttachedRoomBox() const { return noRoomBox_; }
  TPrgSpeedButton* BusyButton() const { return StateButtons()[0]; }
  TPrgSpeedButton* FreeButton() const { return StateButtons()[1]; }
  TWeeking* LessonBusyTable() const { return WeekGrid(); }
  QTabBar* GroupsTabControl() const { return tabs_; }
  QComboBox* SubjectComboBox() const { return subjectCombo_; }
  QComboBox* TeacherComboBox() const { return teacherCombo_; }
  TFieldEdit* ChildrenInGroupEdit() const { return pupilsEdit_; }
  QLineEdit* FictionNameEdit() const { return fictionEdit_; }
  TPrgBitBtn* ClrGrpBtn() const { return clearBtn_; }
  TPrgBitBtn* LinkBtn() const { return linkBtn_; }
  TPrgBitBtn* FindRecordBtn() const { return findBtn_; }

  // How the dialogs are run (tests replace them); each answers the
  // dialog's modal result.
  std::function<int(TLinkDlg&)> RunLinkDialog;
  std::function<int(TLessonFindDlg&)> RunFindDialog;
  std::function<int(TSepQuantsDlg&)> RunSepQuantsDialog;

  // Button actions.
  void ClearGrpClick();
  void LinkClick();
  void FindRecordClick();
  // A double click on the layout field.
  void SepQuantsClick();

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;

 protected:
  int32_t RecordID(int index) const override;
  int IndexOfID(int32_t id) const override { return lessons_.IndexOfID(id); }
  std::string DisplayName(int index) const override;
  void SetRecordName(int, const std::string&) override {}
  int AppendRecord() override;
  void DeleteRecord(int index) override;
  void MoveRecord(int from, int to) override { lessons_.Move(from, to); }

  void LoadFields(int index) override;
  void RepairReferences() override;
  TMouseState SlotState(int slot) const override;
  void SetSlotState(int slot, TMouseState state) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  TLessonItem* Item() const { return lessons_.GetItem(Current()); }
  TLessonSubItem* Group() const;

  void FillKlassCombo();
  void FillSubjectCombo();
  void FillTeacherCombo();
  void SetTabCount(int n);
  void ShowGroup();
  void ClearGroupPart();
  void ColourLayout();
  void ColourLinkBtn();
  int KlassPupils(int32_t klassId) const;
  bool StoreGroupsCount(const std::string& text);
  bool StoreQuants(const std::string& text);

  // Rows of the link and find lists (kMsgLinksGet, kMsgFindInit).
  std::vector<int32_t> KlassOrder() const;
  QString KlassText(int32_t id) const;
  QString SubjectText(int32_t id) const;
  QString TeacherText(int32_t id) const;
  TLessonEntryList* FillLinkList(QTreeWidget* view);
  void ApplyLinks(const TLessonEntryList& list);
  TLessonEntryList* FillFindList(QTreeWidget* view);
  void GoToRow(const TLessonEntryList& list, int row);
  void CopyRow(const TLessonEntryList& list, int row);

  TLessonsCollection& lessons_;
  const TTeachersCollection& teachers_;
  const TKlassesCollection& klasses_;
  const TSubjectsCollection& subjects_;
  int group_ = 0;

  QComboBox* klassCombo_ = nullptr;
  TSortedComboModel* klassModel_ = nullptr;
  TFieldEdit* groupsEdit_ = nullptr;
  TFieldEdit* quantEdit_ = nullptr;
  QCheckBox* noRoomBox_ = nullptr;
  QWidget* groupArea_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QComboBox* subjectCombo_ = nullptr;
  TSortedComboModel* subjectModel_ = nullptr;
  QComboBox* teacherCombo_ = nullptr;
  TSortedComboModel* teacherModel_ = nullptr;
  TFieldEdit* pupilsEdit_ = nullptr;
  QLineEdit* fictionEdit_ = nullptr;
  TPrgBitBtn* clearBtn_ = nullptr;
  TPrgBitBtn* linkBtn_ = nullptr;
  TPrgBitBtn* findBtn_ = nullptr;
};

}  // namespace korvant
