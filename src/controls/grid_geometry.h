#pragma once
// Pixel arithmetic of the grids, kept free of widgets so it can be checked
// on small numbers: the layout of one axis, the sub-cells of a timetable
// cell, fitting a text with an ellipsis and the uniform sizes.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvant {

// CP1251 byte of the single-character ellipsis.
inline constexpr char kEllipsis = '\x85';

// One axis (columns or rows) of a grid: `fixed` cells first, then the
// scrolling cells from `first`; every cell is followed by `spacing` pixels
// of grid line. `extent` is the client size along the axis.
struct GridAxis {
  const std::vector<int>* sizes = nullptr;
  int fixed = 0;
  int first = 0;
  int spacing = 0;
  int extent = 0;

  int count() const { return static_cast<int>(sizes->size()); }
  int size(int i) const { return (*sizes)[static_cast<std::size_t>(i)]; }
  // Pixels taken by the fixed cells with their lines.
  int fixedExtent() const;
  // Start pixel of cell i, or -1 when it is scrolled away or starts beyond
  // the client area.
  int start(int i) const;
  // Cell under pixel pos (the line after a cell belongs to it), -1 if none.
  int hit(int pos) const;
  // Last scrolling cell shown whole from `first`; first - 1 when not even
  // `first` fits.
  int lastFullVisible() const;
  // Largest `first` from which the last cell is still shown whole.
  int maxFirst() const;
};

// One sub-cell of a timetable cell along one axis. Pixels lo .. hi - 1 hold
// the text; a block colour reaches one pixel further (up to the separator
// line at hi + 1) unless the sub-cell is the last one.
struct SubSpan {
  int lo = 0;
  int hi = 0;
  bool last = false;
};

// Sub-cells of the cell [lo, hi) from percentages ended by the first 0.
// Each takes trunc((hi - lo + 1) / 100 * p) pixels including the two-pixel
// gap with its separator; the last one always ends at hi.
std::vector<SubSpan> SubCellSpans(int lo, int hi, const std::array<uint16_t, 5>& percents);

// Shortens text until fits() accepts it: the first n - 1 characters plus the
// ellipsis for n from the length down, skipping candidates that would end
// in a blank or a full stop before the ellipsis. When nothing fits the last
// candidate (the ellipsis alone) is returned. A text that fits is returned
// unchanged.
std::string FitWithEllipsis(const std::string& text,
                            const std::function<bool(const std::string&)>& fits);

// Gives every data entry (1 .. n-1) of sizes the value size. Sizing the
// heading (index 0) changes nothing: its size must not spread over the data.
void EqualizeDataSizes(std::vector<int>& sizes, int index, int size);

// Week grid: cell sizes that make 7 columns and 9 rows fill a client area.
int WeekColumnWidth(int clientWidth, int lineWidth);
int WeekRowHeight(int clientHeight, int lineWidth);

// Timetable grid: height of a data row sized for n text lines of height h.
int SubRowsRowHeight(int lineHeight, int n);

}  // namespace korvant
