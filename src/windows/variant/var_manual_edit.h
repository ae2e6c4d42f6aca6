#pragma once
// Editing the current day by hand in the variant window's grids: a block
// dragged to another hour of its line, the pop-up menus of the klass and
// teacher grids and their drafts (put a lesson, to the draft, off the day,
// its room), the double-click that opens the details window, and the two
// group commands of the teacher group editors. Nothing here works while a
// planning run is active.
#include <QPoint>

#include <array>

#include "core/variant/manual_edit.h"
#include "windows/variant/var_cells.h"

class QAction;
class QMenu;

namespace korvant {

class TTableVarsManager;
class TSchoolTable;

class TVarManualEdit {
 public:
  enum Item { kPut = 0, kToDraft = 1, kRemove = 2, kRoom = 3 };
  // The items of a cell's menu; shown false: no menu there.
  struct MenuState {
    bool shown = false;
    std::array<bool, 4> enabled{};
  };

  explicit TVarManualEdit(TTableVarsManager& window);
  TVarManualEdit(const TVarManualEdit&) = delete;
  TVarManualEdit& operator=(const TVarManualEdit&) = delete;

  // The entity (0-based klass, teacher or room) and the hour or draft
  // position (1-based) of a grid cell; false for a heading or outside.
  bool CellAt(TVarGrid grid, int col, int row, int& entity, int& hour) const;
  // The lesson a cell shows: the klass's fair or draft cell, the teacher's
  // fair lesson at the hour or n-th draft lesson.
  TLessonRef LessonAt(TVarGrid grid, int entity, int hour) const;

  MenuState MenuFor(TVarGrid grid, int col, int row) const;
  // The pop-up menu of a grid (null for the rooms grid) and its item.
  QMenu* Menu(TVarGrid grid) const;
  QAction* Action(TVarGrid grid, Item item) const;

  // A left press on the cell may start a drag: the first hour of a block.
  bool StartsDrag(TVarGrid grid, int col, int row) const;
  // Drag of the grid's current cell over (col, row) of the same grid.
  bool DragAccepted(TVarGrid grid, int col, int row) const;
  // Drop there; false, with nothing changed, when it is not accepted.
  bool Drop(TVarGrid grid, int col, int row);

  // The menu commands, on the grid's current cell.
  void PutLesson(TVarGrid grid);
  void ToDraft(TVarGrid grid);
  void Remove(TVarGrid grid);
  void AssignRoom(TVarGrid grid);
  // The details window over the current cell's lesson (45278 to the main
  // window); false when there is no lesson to show.
  bool DoubleClick(TVarGrid grid);
  // 45270 and 45271 of the group editors.
  void GroupToDrafts(int row);
  void GroupClear(int row);

 private:
  void Attach(TVarGrid grid);
  void MouseDown(TVarGrid grid, Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y);
  bool CurrentCell(TVarGrid grid, int& entity, int& hour) const;
  // The klass and first hour of the fair block a klass or teacher cell shows.
  bool FairSource(TVarGrid grid, int entity, int hour, int& klass, int& srcHour) const;
  void Edited();
  bool Blocked() const;

  TTableVarsManager& w_;
  std::array<QMenu*, 4> menus_{};
  std::array<std::array<QAction*, 4>, 4> actions_{};
};

}  // namespace korvant
