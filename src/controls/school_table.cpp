#include "controls/school_table.h"

#include <QPainter>

#include "controls/grid_geometry.h"
#include "base/cp1251.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {


const QColor kRed(0xFF, 0x00, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kGray(0x80, 0x80, 0x80);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kMaroon(0x80, 0x00, 0x00);

}  // namespace

TSchoolTable::TSchoolTable(QWidget* parent) : TCustomGrid(parent) {
  SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSizing | goColSizing);
  SetColCount(15);
  SetRowCount(9);
  SetFixedCols(1);
  SetFixedRows(1);
  SetDefaultColWidth(25);
  SetDefaultRowHeight(18);
  for (int c = 1; c < ColCount(); ++c) SetColWidths(c, 133);
  for (int r = 1; r < RowCount(); ++r) SetRowHeights(r, 29);
  SetScrollBars(TScrollStyle::ssBoth);
  Redraw();
}

void TSchoolTable::SetOrientation(bool vertical) {
  SetDefaultColWidth(vertical ? 101 : 25);
  SetDefaultRowHeight(vertical ? 14 : 33);
  for (int r = 1; r < RowCount(); ++r) SetRowHeights(r, vertical ? 27 : 29);
  for (int c = 1; c < ColCount(); ++c) SetColWidths(c, vertical ? 77 : 133);
  leastColWidth_ = vertical ? 77 : 133;
  userSized_ = false;
  userSizedRows_ = false;
  Redraw();
}

void TSchoolTable::SetFillWidth(bool on) {
  fill_ = on;
  FillColumns();
}

void TSchoolTable::FillColumns() {
  if (!fill_ || userSized_ || ColCount() <= FixedCols()) return;
  const GridAxis h = HorzAxis();
  const int n = ColCount() - FixedCols();
  const int room = viewport()->width() - h.fixedExtent() - n * h.spacing;
  const int width = std::max(leastColWidth_, room / n);
  for (int c = FixedCols(); c < ColCount(); ++c)
    if (ColWidths(c) != width) SetColWidths(c, width);
}

void TSchoolTable::ViewportResized() { FillColumns(); }

int TSchoolTable::LineHeight() const {
  return QFontMetrics(font()).boundingRect(QRect(0, 0, 100, 100), Qt::AlignCenter, QStringLiteral("ЁуIg")).height();
}

void TSchoolTable::SetSubRowsCnt(int n) {
  subRowsCnt_ = static_cast<uint16_t>(std::max(n, 2));
  const int h = LineHeight();
  for (int r = 1; r < RowCount(); ++r) SetRowHeights(r, SubRowsRowHeight(h, subRowsCnt_));
}

void TSchoolTable::SetFitRows(bool on) {
  fitRows_ = on;
  userSizedRows_ = false;
}

void TSchoolTable::EqualizeCells() {
  if (RowCount() > 1)
    for (int r = 2; r < RowCount(); ++r) SetRowHeights(r, RowHeights(1));
  if (ColCount() > 1)
    for (int c = 2; c < ColCount(); ++c) SetColWidths(c, ColWidths(1));
}

namespace {

// The cell size a heading record needs so that DrawCell shows every text
// whole: the sub-cell of p percent gets Trunc((size + 1) * p / 100) - 2 pixels.
QSize HeadingNeeds(const QFontMetrics& fm, const THourElementRecord& rec) {
  constexpr int kSpare = 4;
  const QRect wide(0, 0, 10000, 10000);
  const int flags = Qt::AlignHCenter | Qt::AlignTop;
  QSize need;
  for (std::size_t c = 0; c < rec.SubColWidths.size() && rec.SubColWidths[c] != 0; ++c) {
    for (std::size_t r = 0; r < rec.SubRowHeights.size() && rec.SubRowHeights[r] != 0; ++r) {
      const std::string& t = rec.Texts[c][r];
      if (t.empty() || t == "HCS" || t == "SCS" || t == "GCS") continue;
      const QRect b = fm.boundingRect(wide, flags, ToQt(t));
      need.setWidth(std::max(need.width(), ((b.width() + kSpare + 2) * 100 + rec.SubColWidths[c] - 1) / rec.SubColWidths[c]));
      // A line may give up the blank under its descenders to the sub-row's border.
      need.setHeight(std::max(need.height(), (b.height() * 100 + rec.SubRowHeights[r] - 1) / rec.SubRowHeights[r] - 1));
    }
  }
  return need;
}

}  // namespace

void TSchoolTable::FitHeadings() {
  // Only ever wider: the sizes set by the layout and by the user's drags
  // stay the least, and a new layout starts again from its own sizes.
  const QFontMetrics fm(font());
  QSize column, row;  // what the heading column and the heading row need
  for (int r = 1; r < RowCount(); ++r) column = column.expandedTo(HeadingNeeds(fm, CellContent(0, r)));
  for (int c = 1; c < ColCount(); ++c) row = row.expandedTo(HeadingNeeds(fm, CellContent(c, 0)));
  if (ColCount() > 0 && column.width() > ColWidths(0)) SetColWidths(0, column.width());
  if (RowCount() > 0 && row.height() > RowHeights(0)) SetRowHeights(0, row.height());
  // Data cells stay alike: all of them grow together.
  leastColWidth_ = std::max(leastColWidth_, row.width());
  if (ColCount() > 1 && row.width() > ColWidths(1))
    for (int c = 1; c < ColCount(); ++c) SetColWidths(c, row.width());
  FillColumns();
  if (fitRows_ && !userSizedRows_) {
    const int line = LineHeight();
    for (int r = 1; r < RowCount(); ++r) {
      int lines = subRowsCnt_;
      for (int c = 1; c < ColCount(); ++c) {
        const THourElementRecord rec = CellContent(c, r);
        int used = 0;
        while (used < static_cast<int>(rec.SubRowHeights.size()) && rec.SubRowHeights[static_cast<std::size_t>(used)] != 0)
          ++used;
        lines = std::max(lines, used);
      }
      const int height = std::max(SubRowsRowHeight(line, lines), HeadingNeeds(fm, CellContent(0, r)).height());
      if (height != RowHeights(r)) SetRowHeights(r, height);
    }
  } else if (RowCount() > 1 && column.height() > RowHeights(1)) {
    for (int r = 1; r < RowCount(); ++r) SetRowHeights(r, column.height());
  }
}

void TSchoolTable::Redraw() {
  FitHeadings();
  redrawing_ = true;
  InvalidateGrid();
  redrawing_ = false;
}

void TSchoolTable::DoChange() {
  if (OnChange) OnChange(*this);
}

bool TSchoolTable::SelectCell(int col, int row) {
  if (redrawing_) return false;
  return TCustomGrid::SelectCell(col, row);
}

void TSchoolTable::ColSized(int index, int width) {
  // Only a data column sets the width of the others; the heading keeps its own.
  if (index < 1) return;
  userSized_ = true;
  for (int c = 1; c < ColCount(); ++c) SetColWidths(c, width);
}

void TSchoolTable::RowSized(int index, int height) {
  if (index < 1) return;
  userSizedRows_ = true;
  for (int r = 1; r < RowCount(); ++r) SetRowHeights(r, height);
}

THourElementRecord TSchoolTable::CellContent(int col, int row) {
  THourElementRecord rec;
  if (OnGetDateElement) OnGetDateElement(*this, col, row, rec);
  return rec;
}

void TSchoolTable::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState) {
  painted_ = CellContent(col, row);
  const THourElementRecord& rec = painted_;
  const bool heading = col < 1 || row < 1;
  QColor brush = Qt::white;
  QColor text = BtnTextColor();
  const QColor pen = BtnFaceColor();
  if (heading) brush = BtnFaceColor();
  else if (rec.Mark == 1) brush = kYellow;
  else if (rec.Mark == 2) brush = kRed;
  if (rec.Mark == 3) text = kGreen;
  else if (rec.Mark == 4) text = kMaroon;
  p.fillRect(rect, brush);

  const int left = rect.left();
  const int top = rect.top();
  const int right = rect.left() + rect.width();
  const int bottom = rect.top() + rect.height();
  const auto cols = SubCellSpans(left, right, rec.SubColWidths);
  const auto rows = SubCellSpans(top, bottom, rec.SubRowHeights);
  for (const SubSpan& c : cols)
    if (!c.last) p.fillRect(QRect(c.hi + 1, top, 1, rect.height()), pen);
  for (const SubSpan& r : rows)
    if (!r.last) p.fillRect(QRect(left, r.hi + 1, rect.width(), 1), pen);

  p.setFont(font());
  const QFontMetrics fm(font());
  const int flags = Qt::AlignHCenter | Qt::AlignTop;
  for (std::size_t ci = 0; ci < cols.size(); ++ci) {
    for (std::size_t ri = 0; ri < rows.size(); ++ri) {
      const SubSpan& c = cols[ci];
      const SubSpan& r = rows[ri];
      const QRect sub(c.lo, r.lo, c.hi - c.lo, r.hi - r.lo);
      const std::string& t = rec.Texts[ci][ri];
      QColor block;
      if (t == "HCS") block = kRed;
      else if (t == "SCS") block = kYellow;
      else if (t == "GCS") block = kGray;
      if (block.isValid()) {
        p.fillRect(sub.adjusted(0, 0, c.last ? 0 : 1, r.last ? 0 : 1), block);
        continue;
      }
      if (t.empty() || sub.width() <= 0 || sub.height() <= 0) continue;
      const std::string shown = FitWithEllipsis(t, [&](const std::string& s) {
        return fm.boundingRect(sub, flags, ToQt(s)).width() <= sub.width();
      });
      const QString q = ToQt(shown);
      const int h = fm.boundingRect(sub, flags, q).height();
      QRect dr = sub;
      if (h < sub.height()) dr.setTop(sub.top() + (sub.height() - h) / 2);
      p.save();
      p.setClipRect(sub.intersected(rect));
      p.setPen(text);
      p.drawText(dr, flags, q);
      p.restore();
    }
  }
}

}  // namespace korvant
