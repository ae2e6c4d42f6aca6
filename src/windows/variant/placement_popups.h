#pragma once
// The placement pop-ups of the manual regime: small borderless windows over
// one cell of a timetable grid. TPopSetLsnDlg and TPopTchLsnDlg offer the
// lessons of a klass (of a teacher) that can stand at an hour of the fair
// copy or at a draft position; TTPopSetRoomDlg gives each group of a placed
// block its room hour by hour.
//
// A pop-up is modeless: its caller shows it, waits while it is visible and
// frees it afterwards (the Run... functions below do exactly that). It
// hides itself when the user has chosen, on Esc, and from its 100 ms timer
// when the focus has left it or the mouse is more than 30 pixels away. It
// never frees itself: its own timer or click may still be on the stack.
//
// The day is passed explicitly; nothing here reads or changes CurDay.
#include <QFrame>
#include <QPoint>
#include <QRect>

#include <array>
#include <string>
#include <vector>

#include "controls/grid_base.h"
#include "controls/prg_custom_grid.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

class QComboBox;
class QLabel;
class QTabBar;
class QTimer;

namespace korvant {

class TSpinEdit;

// A grid whose painting and cell choice are the owner's callbacks.
class TPopupGrid : public TCustomGrid {
  Q_OBJECT
 public:
  explicit TPopupGrid(QWidget* parent = nullptr) : TCustomGrid(parent) {}
  std::function<bool(int col, int row)> CanSelect;
  using TCustomGrid::InvalidateGrid;

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
  bool SelectCell(int col, int row) override { return !CanSelect || CanSelect(col, row); }
};

// Why a listed lesson cannot be placed now.
enum TPopStatus : int {
  kPopPlaceable = 0,
  kPopInFairToday = 1,
  kPopInDraftToday = 2,
  kPopOwnerBusy = 3,
  kPopLinkBusy = 4,
  kPopForbidden = 5,
  // A new block of that length would go into every klass of the joint
  // lesson, and one of them has no free block of it.
  kPopNoJointBlock = 6,
};

// One row of a lesson pop-up: a lesson with the block lengths offered from
// one table (0: blocks on no day; 1..6: the block standing on that day).
struct TPopLessonRow {
  uint8_t Day = 0;
  int Lesson = -1;   // index in the owner's (klass's or teacher's) list
  int Fit = 0;       // hours from Hour where the whole linked set is free
  int Selected = 0;  // 0-based index of the chosen length
  std::vector<int> Lengths;
  int Status = kPopPlaceable;  // 1 and 2 are kept; the rest is computed afresh
  int Length() const { return Lengths.empty() ? 0 : Lengths[static_cast<std::size_t>(Selected)]; }
};

// What both lesson pop-ups share; the two differ in whose lessons they list.
class TPopLessonDlg : public QFrame {
  Q_OBJECT
 public:
  ~TPopLessonDlg() override;

  // False: nothing to offer, the pop-up never shows.
  bool HasContent() const { return !tabTables_.empty(); }
  bool DraftMode() const { return draft_; }
  int Hour() const { return hour_; }
  int Day() const { return day_; }
  int FreeRun() const { return freeRun_; }
  const std::vector<TPopLessonRow>& Table(int m) const { return tables_[static_cast<std::size_t>(m)]; }
  // The table each remaining tab shows, in tab order.
  const std::vector<int>& TabTables() const { return tabTables_; }
  int CurrentTable() const { return curTable_; }
  // The klass and its lesson index behind entry j of the owner's list.
  int KlassOf(int j) const { return items_[static_cast<std::size_t>(j)].klass; }
  int KlassLessonOf(int j) const { return items_[static_cast<std::size_t>(j)].lesson; }

  // The row's status now, from its chosen length.
  int RowStatus(const TPopLessonRow& row) const;
  // The status bar's text for a status (program text).
  std::string StatusText(int status) const;
  // Grid column 0 of a row (program text).
  std::string RowText(const TPopLessonRow& row) const;

  void SelectTab(int tab);
  // Steps row `gridRow` of table 0 to the next longer (up) or shorter length.
  void StepLength(int gridRow, bool up);
  // Places (table 0) or moves (other tables) the lesson of grid row
  // `gridRow` of the current table and hides; false, with nothing changed,
  // when the row is not placeable.
  bool Choose(int gridRow);
  bool Chosen() const { return chosen_; }

  // The timer's rule: visible only while the focus is inside and the mouse
  // (global position) no more than 30 pixels outside.
  bool StaysVisible(const QWidget* focus, const QPoint& globalCursor) const;
  void TimerTick();

  TPopupGrid* LessonsGrid() const { return grid_; }
  QTabBar* Tabs() const { return tabs_; }
  QLabel* MessageBar() const { return bar_; }
  TSpinEdit* SpinEdit(int i) const { return spins_[static_cast<std::size_t>(i - 1)]; }
  QTimer* PopupTimer() const { return timer_; }

 protected:
  enum class Kind { Klass, Teacher };
  TPopLessonDlg(Kind kind, QWidget* owner, TTableVarItem& var, int item, int hour, bool draftMode, int day);

  void keyPressEvent(QKeyEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  struct Item {
    int klass = -1;
    int lesson = -1;
    int teacherGroup = -1;  // teacher pop-up: the teacher's group in the klass lesson
  };

  void BuildForm();
  void Build();
  bool OwnerBusy(int x) const;
  bool TeacherClosed(int teacher, int hour) const;
  int ComputeFit(const TLinkedLists& lists, int klass) const;
  void ShowAtCursor();
  void PaintCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state);
  void PlaceSpinEdits();
  void SpinChanged(int i);
  TPopLessonRow* GridRowData(int gridRow);

  Kind kind_;
  TTableVarItem& var_;
  TRunModel* model_;
  int item_;
  int hour_;
  bool draft_;
  int day_;
  int L_;
  int freeRun_ = 0;
  bool chosen_ = false;
  bool spinning_ = false;
  std::vector<Item> items_;
  std::array<std::vector<TPopLessonRow>, 7> tables_;
  std::vector<int> tabTables_;
  int curTable_ = 0;

  QTabBar* tabs_;
  TPopupGrid* grid_;
  QLabel* bar_;
  std::array<TSpinEdit*, 6> spins_{};
  QTimer* timer_;
};

class TPopSetLsnDlg : public TPopLessonDlg {
  Q_OBJECT
 public:
  TPopSetLsnDlg(QWidget* owner, TTableVarItem& var, int klass, int hour, bool draftMode, int day)
      : TPopLessonDlg(Kind::Klass, owner, var, klass, hour, draftMode, day) {}
};

class TPopTchLsnDlg : public TPopLessonDlg {
  Q_OBJECT
 public:
  TPopTchLsnDlg(QWidget* owner, TTableVarItem& var, int teacher, int hour, bool draftMode, int day)
      : TPopLessonDlg(Kind::Teacher, owner, var, teacher, hour, draftMode, day) {}
};

// The room pop-up of the block of `hours` hours from startHour in the fair
// copy of klass on day.
class TTPopSetRoomDlg : public QFrame {
  Q_OBJECT
 public:
  struct Group {
    int teacher = -1;
    int klass = -1;
    int lesson = -1;  // klass lesson
    int group = -1;   // group index in the klass lesson
    int subject = -1;
    std::string fiction;
  };

  TTPopSetRoomDlg(QWidget* owner, TTableVarItem& var, int klass, int startHour, int hours, int day);
  ~TTPopSetRoomDlg() override;

  bool HasContent() const { return !groups_.empty(); }
  const std::vector<Group>& Groups() const { return groups_; }
  int CurrentGroup() const { return curGroup_; }
  void SelectGroup(int g);
  // Rooms (model indices) offered to the current group at block hour
  // 1..hours, -1 standing for "Отсутствует" first.
  std::vector<int> OfferedRooms(int blockHour) const;
  // Gives the current group (and every group linked to it) room R (-1:
  // none) at block hour 1..hours; false when R is not offered there.
  bool ChooseRoom(int blockHour, int room);
  bool Changed() const { return changed_; }

  // The lesson pop-ups' rule, and the cursor may also rest where the last
  // opened room list lay (a room picked with the mouse leaves it there).
  bool StaysVisible(const QWidget* focus, const QPoint& globalCursor) const;
  void TimerTick();
  void FillRoomCombos();

  TPopupGrid* RoomsGrid() const { return grid_; }
  QTabBar* Tabs() const { return tabs_; }
  QComboBox* CmbBox(int i) const { return combos_[static_cast<std::size_t>(i - 1)]; }
  QLabel* StatusBar() const { return bar_; }
  QTimer* PopupTimer() const { return timer_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void PaintCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state);
  void ComboActivated(int i, int index);
  void FitColumns();
  int Need(const Group& g) const;
  void SetLinkedRooms(const Group& g, int hour, uint16_t room);

  TTableVarItem& var_;
  TRunModel* model_;
  int klass_;
  int start_;
  int hours_;
  int day_;
  bool changed_ = false;
  bool filling_ = false;
  std::vector<Group> groups_;
  int curGroup_ = 0;

  QTabBar* tabs_;
  TPopupGrid* grid_;
  QLabel* bar_;
  std::array<QComboBox*, 2> combos_{};
  QRect listArea_;  // global: where the last opened room list lay
  QTimer* timer_;
};

// ---- entry functions -----------------------------------------------------------
// Each shows its pop-up over owner at the mouse, gives it the focus, pumps
// the queue while it is visible and frees it. A pop-up with nothing to
// offer returns at once. The lesson functions answer whether a lesson was
// placed or moved; the room function whether a room was changed. The
// caller refreshes its grids and marks the variant modified.
bool RunPopSetLsn(QWidget* owner, TTableVarItem& var, int klass, int hour, bool draftMode, int day);
bool RunPopTchLsn(QWidget* owner, TTableVarItem& var, int teacher, int hour, bool draftMode, int day);
bool RunPopSetRoom(QWidget* owner, TTableVarItem& var, int klass, int startHour, int hours, int day);

}  // namespace korvant
