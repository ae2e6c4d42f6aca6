#pragma once
// TViewStatDlg, "Статистика": the load of the open variant spread over the
// week, one row per klass and one column per day, each cell the klass's day
// difficulty. The dialog holds no data: its constructor asks its owner to
// fill the grid with message 45276 (W: the grid).
#include <string>

#include "controls/prg_dialog.h"
#include "controls/string_grid.h"
#include "windows/variant/var_cells.h"

class QTabWidget;

namespace korvant {

class MessageTarget;
class TPrgBitBtn;
class TRTIKlassesCollection;
class TTableVarItem;

// The statistics grid: gray data cells, texts centred and shortened with
// the ellipsis.
class TStatGrid : public TStringGrid {
  Q_OBJECT
 public:
  explicit TStatGrid(QWidget* parent = nullptr) : TStringGrid(parent) {}

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
};

class TViewStatDlg : public TPrgDialog {
  Q_OBJECT
 public:
  // klassCount rows below the heading; ownerTarget gets 45276 before this
  // returns (null: the grid stays empty).
  TViewStatDlg(QWidget* owner, MessageTarget* ownerTarget, int klassCount);

  TStatGrid* SESKfGrid() const { return grid_; }
  TPrgBitBtn* CloseButton() const { return close_; }

 private:
  QTabWidget* pages_;
  TStatGrid* grid_;
  TPrgBitBtn* close_;
  TPrgBitBtn* help_;
};

// The answer to 45276: column 0 each klass's display name, columns 1..6
// its day difficulty with one decimal and the given decimal point.
void FillStatisticsGrid(TStringGrid& grid, const TTableVarItem& var, const TRTIKlassesCollection& klasses,
                        char decimalPoint);
// Whether any lesson stands in the variant (fair copy or draft); without
// one the statistics are not shown (message 10154 instead).
bool VariantHasLessons(const TTableVarItem& var);

}  // namespace korvant
