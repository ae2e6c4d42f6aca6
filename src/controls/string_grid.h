#pragma once
// The plain string grid of the windows: a text per cell on the platform
// grid, painted left-aligned with the platform's selection colours.
#include <map>
#include <string>

#include "controls/prg_custom_grid.h"

namespace korvant {

class TStringGrid : public TCustomGrid {
  Q_OBJECT
 public:
  explicit TStringGrid(QWidget* parent = nullptr);

  // CP1251 text of a cell; empty for a cell never written.
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  void* Objects(int col, int row) const;
  void SetObjects(int col, int row, void* object);
  // Empties every cell.
  void ClearCells();

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;

 private:
  struct Cell {
    std::string text;
    void* object = nullptr;
  };
  std::map<std::pair<int, int>, Cell> cells_;  // (row, col)
};

}  // namespace korvant
