#include "controls/grid_base.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <cstdio>

#include "core/common/catalogue.h"

namespace korvant {

namespace {

constexpr int kMaxCount = 134217726;  // counts from here on overflow the pixel sums

const char* BuiltInGridText(int id) {
  switch (id) {
    case kGridTooLarge: return "Grid too large for operation";
    case kTooManyDeleted: return "Too many rows or columns deleted";
    case kIndexOutOfRange: return "Grid index out of range";
    case kFixedColTooBig: return "Fixed column count must be less than column count";
    case kFixedRowTooBig: return "Fixed row count must be less than row count";
    case kCannotInsertDelete: return "Cannot insert or delete rows from grid";
    default: return "Grid error";
  }
}

// Qt event handlers must not let a grid error escape into the event loop.
template <class F>
void Guarded(F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "grid: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "grid: unknown error\n");
  }
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return 0;
  const long long n = static_cast<long long>(a) * b;
  return static_cast<int>((n + c / 2) / c);
}

// First cell from which cell `last` is still shown whole.
int FirstForLast(const GridAxis& ax, int last) {
  const int room = ax.extent - ax.fixedExtent();
  int used = 0;
  int result = last;
  for (int k = last; k >= ax.fixed; --k) {
    used += ax.size(k);
    if (used > room) break;
    result = k;
    used += ax.spacing;
  }
  return std::max(result, ax.fixed);
}

int ShiftIndex(int idx, int from, int to) {
  if (idx == from) return to;
  if (from < to && idx > from && idx <= to) return idx - 1;
  if (from > to && idx >= to && idx < from) return idx + 1;
  return idx;
}

std::vector<TGridBase*>& Registry() {
  static std::vector<TGridBase*> grids;
  return grids;
}

}  // namespace

void ThrowGridError(int id) {
  std::string text = CatalogueHas(id) ? LoadResStr(id) : std::string(BuiltInGridText(id));
  throw EInvalidPrgGridOperation(id, text);
}

TGridBase::TGridBase(Profile profile, QWidget* parent)
    : QAbstractScrollArea(parent), profile_(profile) {
  Registry().push_back(this);
  colWidths_.assign(5, defaultColWidth_);
  rowHeights_.assign(5, defaultRowHeight_);
  tabStops_.assign(5, true);
  color_ = Qt::white;
  fixedColor_ = BtnFaceColor();
  cellColor_ = Qt::white;
  if (profile_ == Profile::Program) {
    lineColor_ = Qt::black;
    selectedColor_ = Qt::white;
  } else {
    options_ |= goRangeSelect;
    lineColor_ = QColor(0xC0, 0xC0, 0xC0);
    selectedColor_ = QApplication::palette().color(QPalette::Highlight);
  }
  setFocusPolicy(Qt::StrongFocus);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setMouseTracking(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  for (QScrollBar* sb : {horizontalScrollBar(), verticalScrollBar()}) {
    const bool horz = sb == horizontalScrollBar();
    sb->setRange(0, 0);
    connect(sb, &QAbstractSlider::actionTriggered, this,
            [this, horz](int action) { Guarded([&] { OnScrollAction(horz, action); }); });
    connect(sb, &QAbstractSlider::sliderReleased, this,
            [this, horz] { Guarded([&] { OnSliderReleased(horz); }); });
    // The bar's own wheel steps its 0..127 positions, which a short grid
    // maps back to no row at all: the wheel over a bar scrolls the cells.
    sb->installEventFilter(this);
  }
  scrollTimer_.setInterval(60);
  connect(&scrollTimer_, &QTimer::timeout, this, [this] { Guarded([&] { TimedScroll(); }); });
  InitializeCurrent();
  resize(ColCount() * defaultColWidth_, RowCount() * defaultRowHeight_);
}

TGridBase::~TGridBase() {
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

// ---- counts and sizes ------------------------------------------------------

void TGridBase::ResizeAxis(std::vector<int>& sizes, int count, int def) {
  sizes.resize(static_cast<std::size_t>(count), def);
}

void TGridBase::SetColCount(int value) {
  if (value < 1) value = 1;
  if (value >= kMaxCount) ThrowGridError(kGridTooLarge);
  if (value == ColCount()) return;
  const int oldCols = ColCount();
  const int oldRows = RowCount();
  if (value <= fixedCols_) fixedCols_ = value - 1;
  ResizeAxis(colWidths_, value, defaultColWidth_);
  tabStops_.resize(static_cast<std::size_t>(value), true);
  if (HasOption(goRowSelect)) anchor_.X = value - 1;
  ApplyCountChange(oldCols, oldRows);
}

void TGridBase::SetRowCount(int value) {
  if (value < 1) value = 1;
  if (value >= kMaxCount) ThrowGridError(kGridTooLarge);
  if (value == RowCount()) return;
  const int oldCols = ColCount();
  const int oldRows = RowCount();
  if (value <= fixedRows_) fixedRows_ = value - 1;
  ResizeAxis(rowHeights_, value, defaultRowHeight_);
  ApplyCountChange(oldCols, oldRows);
}

void TGridBase::ApplyCountChange(int oldCols, int oldRows) {
  if (hasCurrent_ && (current_.X >= ColCount() || current_.Y >= RowCount())) {
    const int c = std::min(current_.X, ColCount() - 1);
    const int r = std::min(current_.Y, RowCount() - 1);
    const TGridCoord before = current_;
    MoveCurrent(c, r, true, false);
    // A refused cell must not leave the current cell outside the grid.
    if (current_ == before) SetNoCurrentCell();
  }
  if (hasCurrent_) {
    anchor_.X = std::min(anchor_.X, ColCount() - 1);
    anchor_.Y = std::min(anchor_.Y, RowCount() - 1);
    if (HasOption(goRowSelect)) anchor_.X = ColCount() - 1;
  }
  topLeft_ = ClampTopLeft(topLeft_);
  SizeChanged(oldCols, oldRows);
  UpdateScrollRanges();
  InvalidateGrid();
}

void TGridBase::SetFixedCols(int value) {
  if (value < 0) ThrowGridError(kIndexOutOfRange);
  if (value >= ColCount()) ThrowGridError(kFixedColTooBig);
  fixedCols_ = value;
  InitializeCurrent();
  UpdateScrollRanges();
  InvalidateGrid();
}

void TGridBase::SetFixedRows(int value) {
  if (value < 0) ThrowGridError(kIndexOutOfRange);
  if (value >= RowCount()) ThrowGridError(kFixedRowTooBig);
  fixedRows_ = value;
  InitializeCurrent();
  UpdateScrollRanges();
  InvalidateGrid();
}

void TGridBase::InitializeCurrent() {
  topLeft_ = {fixedCols_, fixedRows_};
  if (profile_ == Profile::Program) {
    SetNoCurrentCell();
  } else {
    hasCurrent_ = true;
    current_ = anchor_ = {fixedCols_, fixedRows_};
    if (HasOption(goRowSelect)) anchor_.X = ColCount() - 1;
  }
  topLeft_ = ClampTopLeft(topLeft_);
}

void TGridBase::SetNoCurrentCell() {
  hasCurrent_ = false;
  current_ = anchor_ = {ColCount(), RowCount()};
  if (HasOption(goRowSelect)) anchor_.X = ColCount() - 1;
  InvalidateGrid();
}

void TGridBase::SetDefaultColWidth(int value) {
  defaultColWidth_ = value;
  std::fill(colWidths_.begin(), colWidths_.end(), value);
  UpdateScrollRanges();
  UpdateEdit();
  InvalidateGrid();
}

void TGridBase::SetDefaultRowHeight(int value) {
  defaultRowHeight_ = value;
  std::fill(rowHeights_.begin(), rowHeights_.end(), value);
  UpdateScrollRanges();
  UpdateEdit();
  InvalidateGrid();
}

int TGridBase::ColWidths(int index) const {
  if (index < 0 || index >= ColCount()) ThrowGridError(kIndexOutOfRange);
  return colWidths_[static_cast<std::size_t>(index)];
}

int TGridBase::RowHeights(int index) const {
  if (index < 0 || index >= RowCount()) ThrowGridError(kIndexOutOfRange);
  return rowHeights_[static_cast<std::size_t>(index)];
}

void TGridBase::SetColWidths(int index, int value) {
  if (index < 0 || index >= ColCount()) ThrowGridError(kIndexOutOfRange);
  int& w = colWidths_[static_cast<std::size_t>(index)];
  if (w == value) return;
  w = value;
  InvalidateGrid();
  UpdateScrollRanges();
  UpdateEdit();
}

void TGridBase::SetRowHeights(int index, int value) {
  if (index < 0 || index >= RowCount()) ThrowGridError(kIndexOutOfRange);
  int& h = rowHeights_[static_cast<std::size_t>(index)];
  if (h == value) return;
  h = value;
  InvalidateGrid();
  UpdateScrollRanges();
  UpdateEdit();
}

bool TGridBase::TabStops(int index) const {
  if (index < 0 || index >= ColCount()) ThrowGridError(kIndexOutOfRange);
  return tabStops_[static_cast<std::size_t>(index)];
}

void TGridBase::SetTabStops(int index, bool value) {
  if (index < 0 || index >= ColCount()) ThrowGridError(kIndexOutOfRange);
  tabStops_[static_cast<std::size_t>(index)] = value;
}

void TGridBase::SetGridLineWidth(int value) {
  gridLineWidth_ = std::max(0, value);
  UpdateScrollRanges();
  UpdateEdit();
  InvalidateGrid();
}

void TGridBase::SetOptions(TPrgGridOptions value) {
  if (value == options_) return;
  options_ = value;
  if (!InEditorMode()) EndEditing();
  if (HasOption(goRowSelect) && hasCurrent_) MoveCurrent(current_.X, current_.Y, true, false);
  UpdateScrollRanges();
  InvalidateGrid();
}

void TGridBase::SetColor(const QColor& c) { color_ = c; InvalidateGrid(); }
void TGridBase::SetFixedColor(const QColor& c) { fixedColor_ = c; InvalidateGrid(); }
void TGridBase::SetLineColor(const QColor& c) { lineColor_ = c; InvalidateGrid(); }
void TGridBase::SetCellColor(const QColor& c) { cellColor_ = c; InvalidateGrid(); }
void TGridBase::SetSelectedColor(const QColor& c) { selectedColor_ = c; InvalidateGrid(); }
void TGridBase::SetDefaultDrawing(bool v) { defaultDrawing_ = v; InvalidateGrid(); }
void TGridBase::SetCellTextAlignment(TAlignment a) { alignment_ = a; InvalidateGrid(); }

void TGridBase::SetScrollBars(TScrollStyle s) {
  scrollBars_ = s;
  const bool h = s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth;
  const bool v = s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth;
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  UpdateScrollRanges();
}

void TGridBase::SetBorderStyle(TBorderStyle s) {
  borderStyle_ = s;
  setFrameShape(s == TBorderStyle::bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

// ---- geometry ----------------------------------------------------------------

GridAxis TGridBase::HorzAxis() const {
  GridAxis ax;
  ax.sizes = &colWidths_;
  ax.fixed = fixedCols_;
  ax.first = topLeft_.X;
  ax.spacing = HasOption(goFixedVertLine | goVertLine) ? gridLineWidth_ : 0;
  ax.extent = viewport()->width();
  return ax;
}

GridAxis TGridBase::VertAxis() const {
  GridAxis ax;
  ax.sizes = &rowHeights_;
  ax.fixed = fixedRows_;
  ax.first = topLeft_.Y;
  ax.spacing = HasOption(goFixedHorzLine | goHorzLine) ? gridLineWidth_ : 0;
  ax.extent = viewport()->height();
  return ax;
}

int TGridBase::VisibleColCount() const {
  return std::max(0, HorzAxis().lastFullVisible() - topLeft_.X + 1);
}

int TGridBase::VisibleRowCount() const {
  return std::max(0, VertAxis().lastFullVisible() - topLeft_.Y + 1);
}

QRect TGridBase::CellRect(int col, int row) const {
  const int x = HorzAxis().start(col);
  const int y = VertAxis().start(row);
  if (x < 0 || y < 0) return {};
  return QRect(x, y, colWidths_[static_cast<std::size_t>(col)],
               rowHeights_[static_cast<std::size_t>(row)]);
}

TGridCoord TGridBase::MouseToCell(int x, int y) const {
  const int c = HorzAxis().hit(x);
  const int r = VertAxis().hit(y);
  if (c < 0 || r < 0) return {-1, -1};
  return {c, r};
}

TGridCoord TGridBase::ClampTopLeft(TGridCoord tl) const {
  const GridAxis h = HorzAxis();
  const GridAxis v = VertAxis();
  tl.X = std::clamp(tl.X, fixedCols_, std::max(fixedCols_, h.maxFirst()));
  tl.Y = std::clamp(tl.Y, fixedRows_, std::max(fixedRows_, v.maxFirst()));
  return tl;
}

void TGridBase::MoveTopLeft(int col, int row) {
  const TGridCoord tl = ClampTopLeft({col, row});
  if (tl == topLeft_) return;
  topLeft_ = tl;
  UpdateScrollRanges();
  InvalidateGrid();
  TopLeftChanged();
}

void TGridBase::SetLeftCol(int value) {
  showCurrentOnShow_ = false;
  if (value == topLeft_.X) return;
  MoveTopLeft(value, topLeft_.Y);
}

void TGridBase::SetTopRow(int value) {
  showCurrentOnShow_ = false;
  if (value == topLeft_.Y) return;
  MoveTopLeft(topLeft_.X, value);
}

void TGridBase::ClampInView(int col, int row) {
  const GridAxis h = HorzAxis();
  const GridAxis v = VertAxis();
  TGridCoord tl = topLeft_;
  if (col >= fixedCols_ && col < ColCount()) {
    if (col < tl.X) tl.X = col;
    else if (col > h.lastFullVisible()) tl.X = FirstForLast(h, col);
  }
  if (row >= fixedRows_ && row < RowCount()) {
    if (row < tl.Y) tl.Y = row;
    else if (row > v.lastFullVisible()) tl.Y = FirstForLast(v, row);
  }
  MoveTopLeft(tl.X, tl.Y);
}

int TGridBase::ScrollPos(bool horizontal) const {
  const GridAxis ax = horizontal ? HorzAxis() : VertAxis();
  const int maxFirst = ax.maxFirst();
  if (maxFirst <= ax.fixed) return 0;
  return MulDiv(ax.first - ax.fixed, 127, maxFirst - ax.fixed);
}

void TGridBase::UpdateScrollRanges() {
  topLeft_ = ClampTopLeft(topLeft_);
  for (bool horz : {true, false}) {
    QScrollBar* sb = horz ? horizontalScrollBar() : verticalScrollBar();
    const GridAxis ax = horz ? HorzAxis() : VertAxis();
    const int max = ax.maxFirst() > ax.fixed ? 127 : 0;
    if (sb->maximum() != max) sb->setRange(0, max);
    const int pos = ScrollPos(horz);
    if (sb->value() != pos) sb->setValue(pos);
  }
}

void TGridBase::OnScrollAction(bool horizontal, int action) {
  EndEditing();
  QScrollBar* sb = horizontal ? horizontalScrollBar() : verticalScrollBar();
  const GridAxis ax = horizontal ? HorzAxis() : VertAxis();
  const int first = ax.first;
  const int maxFirst = ax.maxFirst();
  int next = first;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: next = first + 1; break;
    case QAbstractSlider::SliderSingleStepSub: next = first - 1; break;
    case QAbstractSlider::SliderPageStepAdd: next = std::max(first + 1, ax.lastFullVisible()); break;
    case QAbstractSlider::SliderPageStepSub: next = std::min(first - 1, FirstForLast(ax, first)); break;
    case QAbstractSlider::SliderToMinimum: next = ax.fixed; break;
    case QAbstractSlider::SliderToMaximum: next = maxFirst; break;
    case QAbstractSlider::SliderMove:
      // Without thumb tracking a dragged thumb moves the view when it is
      // let go; a wheel turned over the bar moves it at once.
      if (!HasOption(goThumbTracking) && sb->isSliderDown()) return;
      next = ax.fixed + MulDiv(sb->sliderPosition(), maxFirst - ax.fixed, 127);
      break;
    default: return;
  }
  if (horizontal) MoveTopLeft(next, topLeft_.Y);
  else MoveTopLeft(topLeft_.X, next);
  sb->setSliderPosition(ScrollPos(horizontal));
}

// The wheel scrolls the view by rows (sideways, or with Shift, by
// columns); the scroll bars follow from the new top-left cell.
void TGridBase::wheelEvent(QWheelEvent* e) { Wheel(e, false); }

void TGridBase::Wheel(QWheelEvent* e, bool overHorizontalBar) {
  e->accept();
  QPoint d = e->angleDelta();
  bool horizontal = std::abs(d.x()) > std::abs(d.y());
  if ((overHorizontalBar || (e->modifiers() & Qt::ShiftModifier)) && !horizontal) {
    d = QPoint(d.y(), 0);
    horizontal = true;
  }
  if (horizontal && horizontalScrollBar()->maximum() == 0) return;
  if (!horizontal && verticalScrollBar()->maximum() == 0) return;
  int& rest = horizontal ? wheelRest_.rx() : wheelRest_.ry();
  rest += horizontal ? d.x() : d.y();
  const int notches = rest / QWheelEvent::DefaultDeltasPerStep;
  if (notches == 0) return;
  rest -= notches * QWheelEvent::DefaultDeltasPerStep;
  const int lines = notches * std::max(1, QApplication::wheelScrollLines());
  Guarded([&] {
    EndEditing();
    if (horizontal) MoveTopLeft(topLeft_.X - lines, topLeft_.Y);
    else MoveTopLeft(topLeft_.X, topLeft_.Y - lines);
  });
}

void TGridBase::OnSliderReleased(bool horizontal) {
  if (HasOption(goThumbTracking)) return;
  QScrollBar* sb = horizontal ? horizontalScrollBar() : verticalScrollBar();
  const GridAxis ax = horizontal ? HorzAxis() : VertAxis();
  const int next = ax.fixed + MulDiv(sb->sliderPosition(), ax.maxFirst() - ax.fixed, 127);
  if (horizontal) MoveTopLeft(next, topLeft_.Y);
  else MoveTopLeft(topLeft_.X, next);
  sb->setValue(ScrollPos(horizontal));
}

// ---- selection ---------------------------------------------------------------

TGridRect TGridBase::Selection() const {
  if (!hasCurrent_) return {ColCount(), RowCount(), ColCount(), RowCount()};
  return {std::min(anchor_.X, current_.X), std::min(anchor_.Y, current_.Y),
          std::max(anchor_.X, current_.X), std::max(anchor_.Y, current_.Y)};
}

bool TGridBase::InSelection(int col, int row) const {
  if (!hasCurrent_) return false;
  const TGridRect s = Selection();
  return col >= s.Left && col <= s.Right && row >= s.Top && row <= s.Bottom;
}

void TGridBase::MoveCurrent(int col, int row, bool moveAnchor, bool show) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) ThrowGridError(kIndexOutOfRange);
  if (!SelectCell(col, row)) return;
  EndEditing();
  if (HasOption(goRowSelect)) col = fixedCols_;
  hasCurrent_ = true;
  current_ = {col, row};
  if (moveAnchor || !HasOption(goRangeSelect)) anchor_ = current_;
  if (HasOption(goRowSelect)) anchor_.X = ColCount() - 1;
  if (show) {
    // A hidden grid's viewport has no size yet: the cell is brought into
    // view when the grid is first shown (a page of a tab control, a dialog
    // filled before it opens).
    if (isVisible()) ClampInView(col, row);
    else showCurrentOnShow_ = true;
  }
  InvalidateGrid();
}

void TGridBase::MoveAnchor(int col, int row) {
  if (HasOption(goRangeSelect) && !HasOption(goEditing)) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) ThrowGridError(kIndexOutOfRange);
    anchor_ = {col, row};
    if (HasOption(goRowSelect)) anchor_.X = ColCount() - 1;
    ClampInView(col, row);
    InvalidateGrid();
  } else if (!(hasCurrent_ && current_ == TGridCoord{col, row})) {
    MoveCurrent(col, row, true, true);
  }
}

void TGridBase::FocusCell(int col, int row, bool moveAnchor, bool show) {
  MoveCurrent(col, row, moveAnchor, show);
  UpdateEdit();
  Click();
}

void TGridBase::SetCol(int value) { FocusCell(value, Row(), true); }
void TGridBase::SetRow(int value) { FocusCell(Col(), value, true); }

void TGridBase::SetOnSelectCell(SelectCellEvent handler) {
  onSelectCell_ = std::move(handler);
  if (profile_ != Profile::Program) return;
  if (!onSelectCell_) {
    if (!hasCurrent_) FocusCell(fixedCols_, fixedRows_, true, false);
    return;
  }
  if (hasCurrent_ && SelectCell(current_.X, current_.Y)) return;
  for (int c = fixedCols_; c < ColCount(); ++c)
    for (int r = fixedRows_; r < RowCount(); ++r)
      if (SelectCell(c, r)) {
        FocusCell(c, r, true, false);
        return;
      }
  SetNoCurrentCell();
}

void TGridBase::MoveColumn(int fromIndex, int toIndex) {
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= ColCount() || toIndex >= ColCount())
    ThrowGridError(kIndexOutOfRange);
  if (fromIndex == toIndex) return;
  auto rotate = [&](auto& v) {
    auto item = v[static_cast<std::size_t>(fromIndex)];
    v.erase(v.begin() + fromIndex);
    v.insert(v.begin() + toIndex, item);
  };
  rotate(colWidths_);
  rotate(tabStops_);
  if (hasCurrent_) {
    current_.X = ShiftIndex(current_.X, fromIndex, toIndex);
    anchor_.X = ShiftIndex(anchor_.X, fromIndex, toIndex);
  }
  ShiftEditingCell(true, fromIndex, toIndex);
  ColumnMoved(fromIndex, toIndex);
  UpdateScrollRanges();
  UpdateEdit();
  InvalidateGrid();
}

void TGridBase::MoveRow(int fromIndex, int toIndex) {
  if (fromIndex < 0 || toIndex < 0 || fromIndex >= RowCount() || toIndex >= RowCount())
    ThrowGridError(kIndexOutOfRange);
  if (fromIndex == toIndex) return;
  const int h = rowHeights_[static_cast<std::size_t>(fromIndex)];
  rowHeights_.erase(rowHeights_.begin() + fromIndex);
  rowHeights_.insert(rowHeights_.begin() + toIndex, h);
  if (hasCurrent_) {
    current_.Y = ShiftIndex(current_.Y, fromIndex, toIndex);
    anchor_.Y = ShiftIndex(anchor_.Y, fromIndex, toIndex);
  }
  ShiftEditingCell(false, fromIndex, toIndex);
  RowMoved(fromIndex, toIndex);
  UpdateScrollRanges();
  UpdateEdit();
  InvalidateGrid();
}

// ---- overridable defaults ------------------------------------------------------

void TGridBase::DrawCell(QPainter&, int, int, const QRect&, TPrgGridDrawState) {}
bool TGridBase::SelectCell(int, int) { return true; }

void TGridBase::ColSized(int index, int width) {
  if (profile_ != Profile::Program || index < 1) return;
  for (int i = 1; i < ColCount(); ++i)
    if (i != index) SetColWidths(i, width);
}

void TGridBase::RowSized(int index, int height) {
  if (profile_ != Profile::Program || index < 1) return;
  for (int i = 1; i < RowCount(); ++i)
    if (i != index) SetRowHeights(i, height);
}

void TGridBase::ColumnMoved(int fromIndex, int toIndex) {
  if (OnColumnMoved) OnColumnMoved(*this, fromIndex, toIndex);
}

void TGridBase::RowMoved(int fromIndex, int toIndex) {
  if (OnRowMoved) OnRowMoved(*this, fromIndex, toIndex);
}

void TGridBase::SizeChanged(int, int) {}

void TGridBase::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(*this);
}

void TGridBase::Click() {
  if (OnClick) OnClick(*this);
}

bool TGridBase::CanGridAcceptKey(int, Qt::KeyboardModifiers) { return true; }

void TGridBase::InvalidateCell(int col, int row) {
  const QRect r = CellRect(col, row);
  if (!r.isEmpty()) viewport()->update(r);
}

void TGridBase::InvalidateGrid() { viewport()->update(); }

// ---- keyboard ------------------------------------------------------------------

void TGridBase::KeyDown(int key, Qt::KeyboardModifiers shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (key == 0 || !CanGridAcceptKey(key, shift)) return;
  const bool ctrl = shift & Qt::ControlModifier;
  const bool shiftKey = (shift & Qt::ShiftModifier) || key == Qt::Key_Backtab;
  const bool rowSelect = HasOption(goRowSelect);
  const GridAxis h = HorzAxis();
  const GridAxis v = VertAxis();
  const int pageWidth = std::max(1, h.lastFullVisible() - topLeft_.X);
  const int pageHeight = std::max(1, v.lastFullVisible() - topLeft_.Y);
  TGridCoord cur{Col(), Row()};
  TGridCoord tl = topLeft_;
  bool moveAnchor = !shiftKey;
  bool handled = true;
  if (ctrl) {
    switch (key) {
      case Qt::Key_Up: tl.Y -= 1; break;
      case Qt::Key_Down: tl.Y += 1; break;
      case Qt::Key_Left:
        if (!rowSelect) { cur.X -= pageWidth; tl.X -= pageWidth; }
        break;
      case Qt::Key_Right:
        if (!rowSelect) { cur.X += pageWidth; tl.X += pageWidth; }
        break;
      case Qt::Key_PageUp: cur.Y = topLeft_.Y; break;
      case Qt::Key_PageDown: cur.Y = v.lastFullVisible(); break;
      case Qt::Key_Home: cur = {fixedCols_, fixedRows_}; break;
      case Qt::Key_End: cur = {ColCount() - 1, RowCount() - 1}; break;
      default: handled = false;
    }
  } else {
    switch (key) {
      case Qt::Key_Up: cur.Y -= 1; break;
      case Qt::Key_Down: cur.Y += 1; break;
      case Qt::Key_Left:
        if (rowSelect) cur.Y -= 1; else cur.X -= 1;
        break;
      case Qt::Key_Right:
        if (rowSelect) cur.Y += 1; else cur.X += 1;
        break;
      case Qt::Key_PageUp: cur.Y -= pageHeight; tl.Y -= pageHeight; break;
      case Qt::Key_PageDown: cur.Y += pageHeight; tl.Y += pageHeight; break;
      case Qt::Key_Home:
        if (rowSelect) cur.Y = fixedRows_; else cur.X = fixedCols_;
        break;
      case Qt::Key_End:
        if (rowSelect) cur.Y = RowCount() - 1; else cur.X = ColCount() - 1;
        break;
      case Qt::Key_Tab:
      case Qt::Key_Backtab: {
        if (shift & Qt::AltModifier) { handled = false; break; }
        const int startX = std::min(cur.X, ColCount() - 1);
        cur.X = startX;
        cur.Y = std::min(cur.Y, RowCount() - 1);
        do {
          if (shiftKey) {
            if (--cur.X < fixedCols_) {
              cur.X = ColCount() - 1;
              if (--cur.Y < fixedRows_) cur.Y = RowCount() - 1;
            }
          } else if (++cur.X >= ColCount()) {
            cur.X = fixedCols_;
            if (++cur.Y >= RowCount()) cur.Y = fixedRows_;
          }
        } while (!tabStops_[static_cast<std::size_t>(cur.X)] && cur.X != startX);
        moveAnchor = true;
        break;
      }
      default: handled = false;
    }
  }
  if (!handled) return;
  MoveTopLeft(tl.X, tl.Y);
  cur.X = std::clamp(cur.X, fixedCols_, ColCount() - 1);
  cur.Y = std::clamp(cur.Y, fixedRows_, RowCount() - 1);
  if (!hasCurrent_ || !(cur == current_)) FocusCell(cur.X, cur.Y, moveAnchor, true);
}

bool TGridBase::KeyPress(const QString& text, int key) {
  if (!HasOption(goEditing) || HasOption(goRowSelect)) return false;
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (InEditorMode()) EndEditing();
    else ShowEditor();
    return true;
  }
  if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127) {
    ShowEditorChar(text);
    return true;
  }
  return false;
}

bool TGridBase::focusNextPrevChild(bool next) {
  if (HasOption(goTabs) && !HasOption(goRowSelect)) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

void TGridBase::keyPressEvent(QKeyEvent* e) {
  bool consumed = false;
  Guarded([&] {
    const int key = e->key();
    static const int kNav[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right,
                               Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const bool tabKey = (key == Qt::Key_Tab || key == Qt::Key_Backtab) && HasOption(goTabs) &&
                        !HasOption(goRowSelect);
    consumed = tabKey || std::find(std::begin(kNav), std::end(kNav), key) != std::end(kNav);
    KeyDown(key, e->modifiers());
    if (KeyPress(e->text(), key)) consumed = true;
  });
  if (consumed) e->accept();
  else e->ignore();
}

// ---- mouse -----------------------------------------------------------------------

bool TGridBase::SizingZone(int x, int y, bool& columns, int& index, int& linePos) const {
  const GridAxis h = HorzAxis();
  const GridAxis v = VertAxis();
  const int lw = gridLineWidth_;
  const int zone = std::max(lw, 7);
  const int before = lw < 7 ? (7 - lw) / 2 : 0;
  auto scan = [&](const GridAxis& ax, int pos, bool program) {
    for (int k = program ? ax.fixed : 0; k < ax.count(); ++k) {
      const int s = ax.start(k);
      if (s < 0) {
        if (k >= ax.first) break;
        continue;
      }
      const int line = s + ax.size(k);
      const int z = line - before;
      if (pos >= z && pos < z + zone) {
        index = k;
        linePos = line;
        return true;
      }
    }
    return false;
  };
  const bool program = profile_ == Profile::Program;
  if (HasOption(goColSizing) && y < v.fixedExtent() && (!program || x >= h.fixedExtent() - before)) {
    columns = true;
    if (scan(h, x, program)) return true;
  }
  if (HasOption(goRowSizing) && x < h.fixedExtent() && (!program || y >= v.fixedExtent() - before)) {
    columns = false;
    if (scan(v, y, program)) return true;
  }
  return false;
}

void TGridBase::SetSizingCursor(const QPoint& pos) {
  bool columns = false;
  int index = 0;
  int line = 0;
  if (gridState_ == GridState::Normal && SizingZone(pos.x(), pos.y(), columns, index, line))
    viewport()->setCursor(columns ? Qt::SplitHCursor : Qt::SplitVCursor);
  else if (gridState_ == GridState::Normal && dragState_ != DragState::Active)
    viewport()->unsetCursor();
}

void TGridBase::mousePressEvent(QMouseEvent* e) {
  Guarded([&] {
    const QPoint pos = e->position().toPoint();
    lastMouse_ = pos;
    pressButtons_ = e->buttons();
    dragStart_ = e->globalPosition().toPoint();
    if (dragState_ == DragState::Pending) dragState_ = DragState::None;
    const TGridCoord cell = MouseToCell(pos.x(), pos.y());
    if (!IsEditingCell(cell.X, cell.Y)) EndEditing();
    if (!hasFocus() && !isAncestorOf(QApplication::focusWidget())) setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton) {
      bool columns = false;
      int index = 0;
      int line = 0;
      const bool dataCell = cell.X >= fixedCols_ && cell.Y >= fixedRows_;
      if (SizingZone(pos.x(), pos.y(), columns, index, line)) {
        gridState_ = columns ? GridState::ColSizing : GridState::RowSizing;
        sizingIndex_ = index;
        sizingPos_ = line;
        sizingOfs_ = line - (columns ? pos.x() : pos.y());
        sizingStart_ = columns ? HorzAxis().start(index) : VertAxis().start(index);
        InvalidateGrid();
      } else if (cell.X >= 0 && dataCell) {
        if (profile_ == Profile::Program && HasOption(goEditing)) {
          if (hasCurrent_ && current_ == cell) ShowEditor();
          else {
            MoveCurrent(cell.X, cell.Y, true, false);
            UpdateEdit();
          }
          Click();
        } else {
          gridState_ = GridState::Selecting;
          scrollTimer_.start();
          if ((e->modifiers() & Qt::ShiftModifier) && hasCurrent_) MoveAnchor(cell.X, cell.Y);
          else MoveCurrent(cell.X, cell.Y, true, false);
        }
      } else if (cell.X >= 0 && HasOption(goRowMoving) && cell.X < fixedCols_ && cell.Y >= fixedRows_) {
        gridState_ = GridState::RowMoving;
        moveIndex_ = movePos_ = cell.Y;
        scrollTimer_.start();
        InvalidateGrid();
      } else if (cell.X >= 0 && HasOption(goColMoving) && cell.Y < fixedRows_ && cell.X >= fixedCols_) {
        gridState_ = GridState::ColMoving;
        moveIndex_ = movePos_ = cell.X;
        scrollTimer_.start();
        InvalidateGrid();
      }
    }
    if (OnMouseDown) OnMouseDown(*this, e->button(), e->modifiers(), pos.x(), pos.y());
  });
}

void TGridBase::mouseDoubleClickEvent(QMouseEvent* e) {
  mousePressEvent(e);
  Guarded([&] {
    if (e->button() == Qt::LeftButton && OnDblClick) OnDblClick(*this);
  });
}

void TGridBase::mouseMoveEvent(QMouseEvent* e) {
  Guarded([&] {
    const QPoint pos = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    lastMouse_ = pos;
    if (dragState_ == DragState::Pending && (e->buttons() & Qt::LeftButton) &&
        (global - dragStart_).manhattanLength() >= QApplication::startDragDistance())
      StartDrag();
    if (dragState_ == DragState::Active) {
      DragMove(global);
      return;
    }
    const GridAxis h = HorzAxis();
    const GridAxis v = VertAxis();
    switch (gridState_) {
      case GridState::ColSizing:
      case GridState::RowSizing:
        sizingPos_ = (gridState_ == GridState::ColSizing ? pos.x() : pos.y()) + sizingOfs_;
        InvalidateGrid();
        break;
      case GridState::Selecting: {
        const TGridCoord cell = MouseToCell(pos.x(), pos.y());
        if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && cell.X <= h.lastFullVisible() + 1 &&
            cell.Y <= v.lastFullVisible() + 1)
          MoveAnchor(cell.X, cell.Y);
        break;
      }
      case GridState::ColMoving: {
        const TGridCoord cell = MouseToCell(pos.x(), 0);
        if (cell.X >= fixedCols_) movePos_ = cell.X;
        InvalidateGrid();
        break;
      }
      case GridState::RowMoving: {
        const TGridCoord cell = MouseToCell(0, pos.y());
        if (cell.Y >= fixedRows_) movePos_ = cell.Y;
        InvalidateGrid();
        break;
      }
      case GridState::Normal:
        SetSizingCursor(pos);
        break;
    }
  });
}

void TGridBase::mouseReleaseEvent(QMouseEvent* e) {
  Guarded([&] {
    const QPoint pos = e->position().toPoint();
    if (dragState_ == DragState::Active) {
      FinishDrag(e->globalPosition().toPoint());
      return;
    }
    dragState_ = DragState::None;
    const GridState state = gridState_;
    gridState_ = GridState::Normal;
    scrollTimer_.stop();
    switch (state) {
      case GridState::Selecting:
        UpdateEdit();
        Click();
        break;
      case GridState::ColSizing:
      case GridState::RowSizing: {
        const bool cols = state == GridState::ColSizing;
        const int size = sizingPos_ - sizingStart_;
        InvalidateGrid();
        if (size > 1) {
          if (cols) SetColWidths(sizingIndex_, size);
          else SetRowHeights(sizingIndex_, size);
          const bool program = profile_ == Profile::Program;
          if (cols && (!program || HasOption(goColMouseSizing))) ColSized(sizingIndex_, size);
          if (!cols && (!program || HasOption(goRowMouseSizing))) RowSized(sizingIndex_, size);
        }
        break;
      }
      case GridState::ColMoving:
      case GridState::RowMoving:
        InvalidateGrid();
        if (movePos_ != moveIndex_) {
          if (state == GridState::ColMoving) MoveColumn(moveIndex_, movePos_);
          else MoveRow(moveIndex_, movePos_);
        }
        UpdateEdit();
        break;
      case GridState::Normal:
        UpdateEdit();
        break;
    }
    if (OnMouseUp) OnMouseUp(*this, e->button(), e->modifiers(), pos.x(), pos.y());
  });
}

void TGridBase::TimedScroll() {
  const GridAxis h = HorzAxis();
  const GridAxis v = VertAxis();
  const QPoint p = lastMouse_;
  TGridCoord tl = topLeft_;
  if (gridState_ != GridState::RowMoving) {
    if (p.x() < h.fixedExtent()) tl.X -= 1;
    else if (p.x() >= h.extent) tl.X += 1;
  }
  if (gridState_ != GridState::ColMoving) {
    if (p.y() < v.fixedExtent()) tl.Y -= 1;
    else if (p.y() >= v.extent) tl.Y += 1;
  }
  if (tl == topLeft_) return;
  MoveTopLeft(tl.X, tl.Y);
  if (gridState_ == GridState::Selecting && hasCurrent_) {
    const int c = p.x() < h.fixedExtent() ? topLeft_.X
                  : p.x() >= h.extent    ? HorzAxis().lastFullVisible()
                                         : std::clamp(MouseToCell(p.x(), 0).X, fixedCols_, ColCount() - 1);
    const int r = p.y() < v.fixedExtent() ? topLeft_.Y
                  : p.y() >= v.extent    ? VertAxis().lastFullVisible()
                                         : std::clamp(MouseToCell(0, p.y()).Y, fixedRows_, RowCount() - 1);
    if (c >= fixedCols_ && r >= fixedRows_) MoveAnchor(c, r);
  } else if (gridState_ == GridState::ColMoving) {
    movePos_ = p.x() < h.fixedExtent() ? topLeft_.X : HorzAxis().lastFullVisible();
  } else if (gridState_ == GridState::RowMoving) {
    movePos_ = p.y() < v.fixedExtent() ? topLeft_.Y : VertAxis().lastFullVisible();
  }
}

// ---- drag and drop between grids ---------------------------------------------------

void TGridBase::BeginDrag(bool immediate) {
  dragState_ = DragState::Pending;
  if (immediate) StartDrag();
}

void TGridBase::StartDrag() {
  dragState_ = DragState::Active;
  gridState_ = GridState::Normal;
  scrollTimer_.stop();
  if (OnStartDrag) OnStartDrag(*this);
  DragMove(dragStart_);
}

TGridBase* TGridBase::GridAtGlobal(const QPoint& global) const {
  auto& grids = Registry();
  for (auto it = grids.rbegin(); it != grids.rend(); ++it) {
    TGridBase* g = *it;
    if (g->isVisible() && g->viewport()->rect().contains(g->viewport()->mapFromGlobal(global)))
      return g;
  }
  return nullptr;
}

void TGridBase::DragMove(const QPoint& global) {
  TGridBase* target = GridAtGlobal(global);
  bool accept = false;
  if (target && target->OnDragOver) {
    const QPoint local = target->viewport()->mapFromGlobal(global);
    accept = true;
    target->OnDragOver(*target, *this, local.x(), local.y(), accept);
  }
  dragTarget_ = target;
  dragAccepted_ = accept;
  viewport()->setCursor(accept ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
}

void TGridBase::FinishDrag(const QPoint& global) {
  DragMove(global);
  TGridBase* target = dragAccepted_ ? dragTarget_ : nullptr;
  dragState_ = DragState::None;
  dragTarget_ = nullptr;
  dragAccepted_ = false;
  viewport()->unsetCursor();
  QPoint local;
  if (target) {
    local = target->viewport()->mapFromGlobal(global);
    if (target->OnDragDrop) target->OnDragDrop(*target, *this, local.x(), local.y());
  }
  if (OnEndDrag) OnEndDrag(*this, target, local.x(), local.y());
}

// ---- focus, size, painting -------------------------------------------------------------

void TGridBase::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  Guarded([&] { GridTakesFocus(); });
  InvalidateGrid();
}

void TGridBase::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  // Switching windows or opening a pop-up keeps the editor open.
  if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
    Guarded([&] { EditorLostFocus(); });
  InvalidateGrid();
}

void TGridBase::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  Guarded([&] {
    EndEditing();
    UpdateScrollRanges();
  });
}

void TGridBase::showEvent(QShowEvent* e) {
  QAbstractScrollArea::showEvent(e);
  if (!std::exchange(showCurrentOnShow_, false) || !hasCurrent_) return;
  Guarded([&] { ClampInView(current_.X, current_.Y); });
}

bool TGridBase::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Wheel && (watched == horizontalScrollBar() || watched == verticalScrollBar())) {
    Wheel(static_cast<QWheelEvent*>(e), watched == horizontalScrollBar());
    return true;
  }
  return QAbstractScrollArea::eventFilter(watched, e);
}

bool TGridBase::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::Resize) {
    Guarded([&] {
      UpdateScrollRanges();
      ViewportResized();
    });
  }
  return QAbstractScrollArea::viewportEvent(e);
}

void TGridBase::DrawLines(QPainter& p) {
  const GridAxis h = HorzAxis();
  const GridAxis v = VertAxis();
  const int lw = gridLineWidth_;
  if (lw <= 0) return;
  auto lastEdge = [](const GridAxis& ax) {
    int edge = 0;
    for (int k = 0; k < ax.count(); ++k) {
      const int s = ax.start(k);
      if (s >= 0) edge = std::max(edge, s + ax.size(k) + ax.spacing);
    }
    return std::min(edge, ax.extent);
  };
  const int right = lastEdge(h);
  const int bottom = lastEdge(v);
  const int fixedX = h.fixedExtent();
  const int fixedY = v.fixedExtent();
  auto colourOf = [&](bool fixedArea, TPrgGridOptions opt) {
    if (HasOption(opt)) return lineColor_;
    return fixedArea ? fixedColor_ : color_;
  };
  if (h.spacing > 0) {
    for (int k = 0; k < h.count(); ++k) {
      const int s = h.start(k);
      if (s < 0) continue;
      const int x = s + h.size(k);
      p.fillRect(QRect(x, 0, lw, std::min(fixedY, bottom)), colourOf(true, goFixedVertLine));
      const bool fixedCol = k < h.fixed;
      p.fillRect(QRect(x, fixedY, lw, bottom - fixedY),
                 colourOf(fixedCol, fixedCol ? goFixedVertLine : goVertLine));
    }
  }
  if (v.spacing > 0) {
    for (int k = 0; k < v.count(); ++k) {
      const int s = v.start(k);
      if (s < 0) continue;
      const int y = s + v.size(k);
      p.fillRect(QRect(0, y, std::min(fixedX, right), lw), colourOf(true, goFixedHorzLine));
      const bool fixedRow = k < v.fixed;
      p.fillRect(QRect(fixedX, y, right - fixedX, lw),
                 colourOf(fixedRow, fixedRow ? goFixedHorzLine : goHorzLine));
    }
  }
}

void TGridBase::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  Guarded([&] {
    p.fillRect(viewport()->rect(), color_);
    DrawLines(p);
    const GridAxis h = HorzAxis();
    const GridAxis v = VertAxis();
    const bool focused = hasFocus() || isAncestorOf(QApplication::focusWidget());
    for (int r = 0; r < RowCount(); ++r) {
      const int y = v.start(r);
      if (y < 0) continue;
      for (int c = 0; c < ColCount(); ++c) {
        const int x = h.start(c);
        if (x < 0) continue;
        const QRect rect(x, y, h.size(c), v.size(r));
        TPrgGridDrawState state = 0;
        const bool fixed = c < fixedCols_ || r < fixedRows_;
        if (fixed) state |= gdFixed;
        else {
          if (InSelection(c, r)) state |= gdSelected;
          if (hasCurrent_ && focused && current_ == TGridCoord{c, r}) state |= gdFocused;
        }
        if (!fixed && HasOption(goEditing) && InEditorMode() && IsEditingCell(c, r)) continue;
        p.save();
        p.setClipRect(rect);
        DrawCell(p, c, r, rect, state);
        p.restore();
        // The platform grids (the timetables, the week grid) always show
        // where the keyboard is; the program's grid only when asked to.
        const bool focusRect = profile_ != Profile::Program || HasOption(goDrawFocusSelected);
        if (defaultDrawing_ && (state & gdFocused) && focusRect && !HasOption(goRowSelect)) {
          QPen pen(Qt::black, 1, Qt::DotLine);
          p.setPen(pen);
          p.setBrush(Qt::NoBrush);
          p.drawRect(rect.adjusted(0, 0, -1, -1));
        }
      }
    }
    if (HasOption(goRowSelect) && HasOption(goDrawFocusSelected) && defaultDrawing_ && focused &&
        hasCurrent_) {
      const QRect a = CellRect(fixedCols_, current_.Y);
      if (!a.isEmpty()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(a.left(), a.top(), std::max(0, viewport()->width() - a.left() - 1),
                         a.height() - 1));
      }
    }
    if (gridState_ == GridState::ColSizing || gridState_ == GridState::RowSizing) {
      p.setPen(QPen(Qt::black, 1, Qt::DotLine));
      if (gridState_ == GridState::ColSizing)
        p.drawLine(sizingPos_, 0, sizingPos_, viewport()->height());
      else
        p.drawLine(0, sizingPos_, viewport()->width(), sizingPos_);
    } else if (gridState_ == GridState::ColMoving || gridState_ == GridState::RowMoving) {
      p.setPen(QPen(Qt::black, 5, Qt::DotLine));
      const bool cols = gridState_ == GridState::ColMoving;
      const QRect t = cols ? CellRect(movePos_, 0) : CellRect(0, movePos_);
      if (!t.isEmpty()) {
        const bool after = movePos_ > moveIndex_;
        if (cols) {
          const int x = after ? t.right() : t.left();
          p.drawLine(x, 0, x, viewport()->height());
        } else {
          const int y = after ? t.bottom() : t.top();
          p.drawLine(0, y, viewport()->width(), y);
        }
      }
    }
  });
}

}  // namespace korvant
