#pragma once
// TTableDetailsManeger: the working window of the manual regime. Shows the
// open variant over the week for the klasses and teachers linked to one
// lesson (at most five of each): fair copy, draft and the blocks not yet
// placed; a double-click re-focuses it on another lesson. In the fair
// grids blocks are moved by drag and drop; the grids' menus place, park
// and remove lessons.
//
// The variant window creates it (as an MDI child) on entering the manual
// regime and frees it on leaving; it never frees itself. A pop-up that it
// waits for runs with the day passed explicitly, so CurDay is not touched.
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <array>
#include <vector>

#include "controls/school_table.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"
#include "platform/window_messages.h"
#include "windows/variant/details_cells.h"

class QHeaderView;
class QLineEdit;
class QSlider;
class QStandardItemModel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvant {

class TTableDetailsManeger : public QWidget, public MessageTarget {
  Q_OBJECT
 public:
  // draft: the draft grids take the current cell (and their page shows);
  // hours: high byte the klass grid's hour, low byte the teacher grid's.
  TTableDetailsManeger(QWidget* parent, TRunModel& model, TTableVarItem& var, const TLinkedLists& lists, bool draft,
                       uint16_t hours);
  ~TTableDetailsManeger() override;

  TSchoolTable* Grid(TDetailsGrid g) const { return grids_[static_cast<std::size_t>(g)]; }
  QLineEdit* KlassesEdit() const { return klassesEdit_; }
  QLineEdit* TeachersEdit() const { return teachersEdit_; }
  QSlider* ViewModeSwitch() const { return switch_; }
  QTabWidget* Pages() const { return pages_; }
  QHeaderView* FreeLsnsHeader(bool klassSide) const { return klassSide ? klassHeader_ : teacherHeader_; }
  const std::vector<QTreeWidget*>& FreeLsnsViews(bool klassSide) const {
    return klassSide ? klassViews_ : teacherViews_;
  }
  const TLinkedLists& Lists() const { return lists_; }
  TDetailsView View() const;

  void SetupTables();
  void InvalidateTables();
  // Flags: 1 klass side, 2 teacher side, 16/32 recreate that side's views.
  void BuildFreeLessonLists(uint16_t flags);
  void FillFreeLessonLists(uint16_t flags);

  // Re-focus on the lesson of a klass and its links: replaces the lists
  // and posts the rebuild to itself when they changed; false otherwise.
  bool Refocus(int klass, int lesson);
  // The double-click of a grid at (x, y) of its viewport, on its current cell.
  void GridDoubleClicked(TDetailsGrid g, int x, int y);
  // The double-click of item row `index` of list view `view` of a side.
  void FreeLessonActivated(bool klassSide, int view, int index);

  // ---- editing ---------------------------------------------------------------
  // A right-click at (x, y) of a grid's viewport: stores the click, enables
  // the menu's items and answers the menu (null: no menu for this cell).
  QMenu* PrepareMenu(TDetailsGrid g, int x, int y);
  // A left press at (x, y) of a fair grid: the block it starts, if any,
  // becomes the drag state; true when a drag may begin.
  bool PrepareDrag(TDetailsGrid g, int x, int y);
  bool CanDropAt(TDetailsGrid g, int x, int y) const;
  // Moves the dragged block to (x, y) of a fair grid; false when refused.
  bool DropAt(TDetailsGrid g, int x, int y);
  void CmdSetLesson();
  void CmdToDraft();
  void CmdRemove();
  const TDragBlock& DragState() const { return drag_; }
  QAction* MenuAction(bool draft, int item) const;  // item 0..2

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  struct Hit {
    bool ok = false;
    int entry = -1;  // index among the shown entries
    int day = 0;
    int hour = 0;
    int col = -1;
    int row = -1;
  };
  struct ClickState {
    TDetailsGrid grid = TDetailsGrid::Klasses;
    int klass = -1;
    int teacher = -1;
    int hour = 0;  // hour (fair) or draft position
    int day = 0;
    int lesson = -1;  // the cell's klass lesson, -1 empty
  };

  void BuildForm();
  void LayOut();
  void SwitchChanged(int position);
  void UpdateEdits(uint16_t sides);
  void RepaintSide(bool klassSide);
  void RepaintDay(bool draft, int day);
  Hit HitAt(TDetailsGrid g, int x, int y) const;
  // The klass and its cell behind a hit (a teacher grid: the cell the
  // teacher's lesson stands in); klass -1 when the cell is empty.
  void CellOfHit(TDetailsGrid g, const Hit& h, int& klass, int& teacher, int& lesson, int& position) const;
  void HeaderSectionResized(bool klassSide);
  void LayOutViews(bool klassSide, bool afterDrag);
  int Wills() const;
  void AfterPlacement(bool draft);

  TRunModel& model_;
  TTableVarItem& var_;
  TLinkedLists lists_;
  bool building_ = false;
  ClickState click_;
  TDragBlock drag_;
  char decimalPoint_ = ',';

  QLineEdit* klassesEdit_;
  QLineEdit* teachersEdit_;
  QWidget* switchPanel_;
  QSlider* switch_;
  QWidget* vertLabel_;
  QWidget* horzLabel_;
  QTabWidget* pages_;
  std::array<TSchoolTable*, kDetailsGridCount> grids_{};
  QWidget* klassPanel_;
  QWidget* teacherPanel_;
  QHeaderView* klassHeader_;
  QHeaderView* teacherHeader_;
  QStandardItemModel* klassHeaderModel_;
  QStandardItemModel* teacherHeaderModel_;
  std::vector<QTreeWidget*> klassViews_;
  std::vector<QTreeWidget*> teacherViews_;
  QMenu* fairMenu_;
  QMenu* draftMenu_;
};

}  // namespace korvant
