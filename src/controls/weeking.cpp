#include "controls/weeking.h"

#include <QLocale>
#include <QPainter>
#include <QTimer>

#include <algorithm>

#include "controls/grid_geometry.h"

namespace korvant {

TWeeking::TWeeking(QWidget* parent) : TCustomGrid(parent) {
  SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
  SetColCount(7);
  SetRowCount(9);
  SetFixedCols(1);
  SetFixedRows(1);
  SetScrollBars(TScrollStyle::ssNone);
  resize(298, 121);
  Redraw();
}

void TWeeking::SetLessonCount(int n) {
  SetRowCount(n);
  SetScrollBars(RowCount() > 9 ? TScrollStyle::ssVertical : TScrollStyle::ssNone);
  FitSize();
}

void TWeeking::Redraw() {
  redrawing_ = true;
  InvalidateGrid();
  redrawing_ = false;
}

void TWeeking::DoChange() {
  if (OnChange) OnChange(*this);
}

void TWeeking::ViewportResized() {
  const int g = GridLineWidth();
  const int w = WeekColumnWidth(viewport()->width(), g);
  const int h = WeekRowHeight(viewport()->height(), g);
  if (w != DefaultColWidth()) SetDefaultColWidth(w);
  if (h != DefaultRowHeight()) SetDefaultRowHeight(h);
  if (fitPending_) return;
  fitPending_ = true;
  QTimer::singleShot(0, this, [this] {
    fitPending_ = false;
    FitSize();
  });
}

void TWeeking::FitSize() {
  const int g = GridLineWidth();
  const int wantW = 7 * (DefaultColWidth() + g);
  const int wantH = std::min(RowCount(), 9) * (DefaultRowHeight() + g);
  const int dw = wantW - viewport()->width();
  const int dh = wantH - viewport()->height();
  if (dw != 0 || dh != 0) resize(width() + dw, height() + dh);
}

TMouseState TWeeking::CellState(int col, int row) {
  TMouseState v = FreeState;
  if (OnGetDateElement) OnGetDateElement(*this, col, row, v);
  return v;
}

QString TWeeking::CellText(int col, int row) {
  if (row == 0 && col >= 1) return QLocale().dayName(col, QLocale::ShortFormat);
  if (col == 0 && row >= 1) return QString::number(row);
  if (col == 0 || row == 0) return {};
  const TMouseState s = CellState(col, row);
  if (s >= N1State && s <= N3State) return QString::number(static_cast<int>(s));
  return {};
}

void TWeeking::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState) {
  QColor brush = BtnFaceColor();
  if (row >= 1 && col >= 1) {
    const TMouseState s = CellState(col, row);
    if (s == FreeState) brush = QColor(0, 128, 0);
    else if (s == BusyState) brush = QColor(255, 0, 0);
    else brush = QColor(255, 255, 0);
  }
  p.fillRect(rect, brush);
  p.setFont(font());
  p.setPen(BtnTextColor());
  p.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, CellText(col, row));
}

bool TWeeking::SelectCell(int col, int row) {
  if (redrawing_) return false;
  return TCustomGrid::SelectCell(col, row);
}

void TWeeking::Click() {
  TCustomGrid::Click();
  if (OnSetDateElement && HasCurrentCell()) {
    TMouseState s = stateOfMouse_;
    OnSetDateElement(*this, Col(), Row(), s);
  }
  InvalidateCell(Col(), Row());
}

}  // namespace korvant
