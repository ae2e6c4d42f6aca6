#include "controls/string_grid.h"

#include <QApplication>
#include <QPainter>

#include "base/cp1251.h"

namespace korvant {

TStringGrid::TStringGrid(QWidget* parent) : TCustomGrid(parent) {}

std::string TStringGrid::Cells(int col, int row) const {
  auto it = cells_.find({row, col});
  return it == cells_.end() ? std::string() : it->second.text;
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) ThrowGridError(kIndexOutOfRange);
  cells_[{row, col}].text = text;
  InvalidateCell(col, row);
}

void* TStringGrid::Objects(int col, int row) const {
  auto it = cells_.find({row, col});
  return it == cells_.end() ? nullptr : it->second.object;
}

void TStringGrid::SetObjects(int col, int row, void* object) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) ThrowGridError(kIndexOutOfRange);
  cells_[{row, col}].object = object;
}

void TStringGrid::ClearCells() {
  cells_.clear();
  InvalidateGrid();
}

void TStringGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  QColor back = CellColor();
  QColor text = QApplication::palette().color(QPalette::Text);
  if (state & gdFixed) {
    back = FixedColor();
  } else if ((state & gdSelected) && (!(state & gdFocused) || HasOption(goDrawFocusSelected))) {
    back = SelectedColor();
    text = QApplication::palette().color(QPalette::HighlightedText);
  }
  if (DefaultDrawing()) {
    p.fillRect(rect, back);
    p.setPen(text);
    p.setFont(font());
    p.drawText(rect.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               QString::fromStdU16String(cp1251::toUtf16(Cells(col, row))));
  }
  if (OnDrawCell) OnDrawCell(*this, p, col, row, rect, state);
}

void TStringGrid::ColumnMoved(int fromIndex, int toIndex) {
  std::map<std::pair<int, int>, Cell> moved;
  for (auto& [key, cell] : cells_) {
    int c = key.second;
    if (c == fromIndex) c = toIndex;
    else if (fromIndex < toIndex && c > fromIndex && c <= toIndex) --c;
    else if (fromIndex > toIndex && c >= toIndex && c < fromIndex) ++c;
    moved[{key.first, c}] = std::move(cell);
  }
  cells_ = std::move(moved);
  TCustomGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(int fromIndex, int toIndex) {
  std::map<std::pair<int, int>, Cell> moved;
  for (auto& [key, cell] : cells_) {
    int r = key.first;
    if (r == fromIndex) r = toIndex;
    else if (fromIndex < toIndex && r > fromIndex && r <= toIndex) --r;
    else if (fromIndex > toIndex && r >= toIndex && r < fromIndex) ++r;
    moved[{r, key.second}] = std::move(cell);
  }
  cells_ = std::move(moved);
  TCustomGrid::RowMoved(fromIndex, toIndex);
}

}  // namespace korvant
