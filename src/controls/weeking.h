#pragma once
// The week availability grid: six school days across, the lessons down, each
// cell coloured by the state its owner reports; a click writes StateOfMouse.
#include <cstdint>

#include "controls/prg_custom_grid.h"

namespace korvant {

enum TMouseState : uint8_t { FreeState = 0, N1State = 1, N2State = 2, N3State = 3, BusyState = 4 };

class TWeeking : public TCustomGrid {
  Q_OBJECT
 public:
  // col: day 1..6 (Monday..Saturday), row: lesson 1..L.
  using DateElementEvent = std::function<void(TWeeking& sender, int col, int row, TMouseState& value)>;

  explicit TWeeking(QWidget* parent = nullptr);

  TMouseState StateOfMouse() const { return stateOfMouse_; }
  void SetStateOfMouse(TMouseState s) { stateOfMouse_ = s; }
  // The owner passes L + 1 rows; more than 9 rows scroll.
  void SetLessonCount(int n);
  virtual void Redraw();
  // Shrinks or grows the control so its client shows exactly 7 columns and
  // up to 9 rows.
  void FitSize();
  // Text of a cell: day names, lesson numbers, the digits of states 1..3.
  QString CellText(int col, int row);
  TMouseState CellState(int col, int row);
  void DoChange();

  DateElementEvent OnGetDateElement;
  DateElementEvent OnSetDateElement;
  NotifyEvent OnChange;

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void Click() override;
  void ViewportResized() override;

 private:
  TMouseState stateOfMouse_ = FreeState;
  bool redrawing_ = false;
  bool fitPending_ = false;
};

}  // namespace korvant
