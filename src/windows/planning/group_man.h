#pragma once
// The teacher group editors shown before a planning run: TGroupMan for the
// runs of one day (placement, optimisation) and TWeekGroupMan for the
// week-variant search. Both work on a copy of the run-time teachers' group
// table (TGroupTable) and write it back when the user moves a teacher,
// adds a group, sends a group's lessons to the draft or clears them, and
// (through the entry functions) when the user chooses "Расставить".
//
// The chosen group is kept apart from the dialog's modal result, so that no
// group index can be read as a close or cancel code.
#include <QPointer>

#include <cstdint>

#include "controls/prg_dialog.h"
#include "windows/planning/teacher_groups.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;
class QTimer;

namespace korvant {

class TPrgBitBtn;
class TPrgStringGrid;
class TRunModel;
class TTableVarItem;

// What the user chose in a group editor.
struct TGroupChoice {
  bool Run = false;  // "Расставить": the table was stored back
  int Group = -1;    // the selected group (row of the table)
};

class TGroupManBase : public TPrgDialog {
  Q_OBJECT
 public:
  ~TGroupManBase() override;

  // Copies the collection's table and rebuilds the grid and both combos.
  void FillGroupsGrid();
  // Copies the working table into the collection's table.
  void StoreGroups();

  int SelectedGroup() const { return selected_; }
  void SelectGroup(int group);
  const TGroupTable& Table() const { return work_; }
  int ShownGroups() const { return shownGroups_; }
  int ShownMembers() const { return shownMembers_; }
  bool Week() const { return week_; }

  QComboBox* SelectedGroupCombo() const { return selectedCombo_; }
  QComboBox* AttachGroupCombo() const { return attachCombo_; }
  TPrgStringGrid* TeachersGroupsGrid() const { return grid_; }
  TPrgBitBtn* PlaceButton() const { return place_; }
  TPrgBitBtn* ToDraftButton() const { return toDraft_; }
  TPrgBitBtn* ClearButton() const { return clear_; }
  TPrgBitBtn* AddButton() const { return add_; }
  TPrgBitBtn* RecalcButton() const { return recalc_; }
  TPrgBitBtn* CloseButton() const { return close_; }
  TPrgBitBtn* HelpButton() const { return help_; }
  QGroupBox* OptionsBox() const { return options_; }
  // Present only while a teacher is dragged.
  QTimer* DragTimer() const { return dragTimer_; }

  // The editing steps the widgets trigger, callable by tests: a drop of the
  // teacher at (col, row) onto (targetCol, targetRow); false when refused.
  bool CanDrop(int col, int row, int targetCol, int targetRow) const;
  bool DropTeacher(int col, int row, int targetCol, int targetRow);
  void AddGroup();
  void AttachGroup(int group);
  void Recalc();
  // "В черновик" (toDraft) and "Снять    ".
  void SendGroupLessons(bool toDraft);
  // One tick of the drag-scroll timer with the pointer at pos (grid
  // viewport coordinates).
  void DragScroll(const QPoint& pos);

 protected:
  TGroupManBase(QWidget* owner, TTableVarItem& var, TRunModel& model, int day, uint8_t creation, bool week);

  QCheckBox* MakeOption(const char* caption, QRect r, uint8_t& option, bool inverted);

  TTableVarItem& var_;
  TRunModel& model_;
  int day_;
  uint8_t creation_;
  QGroupBox* options_;

 private:
  void BuildForm(int clientHeight, int buttonsTop);
  void RefillCells();
  void ShowMoved(int group, int pos);
  void DrawGroupCell(QPainter& p, int col, int row, const QRect& rect, unsigned state);
  void StartDragTimer();
  void StopDragTimer();

  const bool week_;
  TGroupTable work_;
  int shownGroups_ = 0;
  int shownMembers_ = 10;
  int selected_ = -1;
  bool filling_ = false;
  QPointer<QTimer> dragTimer_;

  QComboBox* selectedCombo_;
  QComboBox* attachCombo_;
  TPrgStringGrid* grid_;
  TPrgBitBtn* place_;
  TPrgBitBtn* toDraft_;
  TPrgBitBtn* clear_;
  TPrgBitBtn* add_;
  TPrgBitBtn* recalc_;
  TPrgBitBtn* close_;
  TPrgBitBtn* help_;
};

// The runs of one day. creation: 1 from the optimisation command, 0 from
// the placement command ("Пересчет" keeps a saved grouping only then).
class TGroupMan : public TGroupManBase {
  Q_OBJECT
 public:
  TGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day, uint8_t creation);
  QCheckBox* AutoSavingBox() const { return autoSaving_; }
  QCheckBox* FindBestBox() const { return findBest_; }
  QCheckBox* AttachedRoomsBox() const { return attached_; }
  QCheckBox* SepQuantsBox() const { return sepQuants_; }

 private:
  QCheckBox* autoSaving_;
  QCheckBox* findBest_;
  QCheckBox* attached_;
  QCheckBox* sepQuants_;
};

// The week-variant search.
class TWeekGroupMan : public TGroupManBase {
  Q_OBJECT
 public:
  TWeekGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day);
  QRadioButton* ToFairButton() const { return toFair_; }
  QRadioButton* ToDraftRadio() const { return toDraftRadio_; }
  QCheckBox* AttachedRoomsBox() const { return attached_; }
  QCheckBox* SepQuantsBox() const { return sepQuants_; }
  QCheckBox* ParallelsBox() const { return parallels_; }
  QCheckBox* OptimizeQueueBox() const { return queue_; }

 private:
  QRadioButton* toFair_;
  QRadioButton* toDraftRadio_;
  QCheckBox* attached_;
  QCheckBox* sepQuants_;
  QCheckBox* parallels_;
  QCheckBox* queue_;
};

// Entry functions of the planning commands: run the editor modally over
// owner (centred on the screen) and, on "Расставить", store the edited
// table into the model's teachers and return the selected group. The
// caller builds the groups before (BuildGroups) and checks that the group
// is not empty (10060). day: the variant window's current day.
TGroupChoice RunGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day, uint8_t creation);
TGroupChoice RunWeekGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day);

// The long name of day 1..6 (Monday first) in the platform's locale.
QString LongDayName(int day);

}  // namespace korvant
