#pragma once
// The timetable grid: one heading row and column, data cells split into up
// to five sub-columns and sub-rows in percent of the cell, each sub-cell a
// short text or a colour block. The owner fills every cell on demand.
#include <array>
#include <cstdint>
#include <string>

#include "controls/prg_custom_grid.h"

namespace korvant {

struct THourElementRecord {
  // Percent of the cell; each list ends at the first 0.
  std::array<uint16_t, 5> SubRowHeights{100, 0, 0, 0, 0};
  std::array<uint16_t, 5> SubColWidths{100, 0, 0, 0, 0};
  // Texts[sub-column][sub-row], CP1251. "HCS", "SCS" and "GCS" are the red,
  // yellow and gray blocks.
  std::array<std::array<std::string, 5>, 5> Texts{};
  // 0 plain, 1 yellow, 2 red background (data cells), 3 green, 4 maroon text.
  uint8_t Mark = 0;
};

class TSchoolTable : public TCustomGrid {
  Q_OBJECT
 public:
  using DateElementEvent =
      std::function<void(TSchoolTable& sender, int col, int row, THourElementRecord& value)>;

  explicit TSchoolTable(QWidget* parent = nullptr);

  // Vertical: the lessons run down the rows; horizontal: across the columns.
  void SetOrientation(bool vertical);
  uint16_t SubRowsCnt() const { return subRowsCnt_; }
  // Sizes every data row for n text lines of the control's font (n >= 2).
  void SetSubRowsCnt(int n);
  // Every data row and column takes the size of the first one.
  void EqualizeCells();
  // With fit on, each data row is as high as the most text lines one of
  // its cells shows (at least SubRowsCnt), refitted on every Redraw, until
  // the user drags a row's border; the next layout fits them again.
  void SetFitRows(bool on);
  // With fill on, the data columns share evenly the width the heading
  // column leaves, never narrower than the layout's width (SetOrientation)
  // or what the heading row needs. A column sized with the mouse gives
  // every data column its width, which then stays until the next layout.
  void SetFillWidth(bool on);
  // Repaints; first the heading column, the heading row and, when their
  // texts need it, the data cells grow to show every heading text whole.
  virtual void Redraw();
  QRect GetCellRect(int col, int row) const { return CellRect(col, row); }
  void DoChange();
  // The content the control paints for a cell (the owner's answer).
  THourElementRecord CellContent(int col, int row);

  DateElementEvent OnGetDateElement;
  DateElementEvent OnSetDateElement;  // kept for the owner; the control never fires it
  NotifyEvent OnChange;

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void ColSized(int index, int width) override;
  void RowSized(int index, int height) override;
  void ViewportResized() override;

 private:
  void FitHeadings();
  void FillColumns();
  int LineHeight() const;

  uint16_t subRowsCnt_ = 2;
  bool fill_ = false;
  bool fitRows_ = false;
  bool userSizedRows_ = false;  // the data rows keep the height the user dragged
  bool userSized_ = false;   // the data columns keep the width the user dragged
  int leastColWidth_ = 133;  // the layout's width, or what the heading row needs
  bool redrawing_ = false;
  THourElementRecord painted_;
};

}  // namespace korvant
