#pragma once
// The grid control under every grid of the program: a rectangle of cells
// with fixed heading rows and columns, whole-cell scrolling, a current cell
// with an anchored selection, mouse sizing and moving of columns and rows,
// and a light-weight drag and drop between grids. It holds no cell data;
// descendants paint the cells (DrawCell) and add storage and editing.
//
// Two profiles share the code. The program's own grid starts with no
// current cell and calls the sizing hooks only under the mouse-sizing
// options; the platform grid (timetable, week and plain string grids)
// starts at the first scrolling cell and calls the hooks after every mouse
// sizing.
#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>
#include <QTimer>

#include "controls/grid_geometry.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvant {

enum TPrgGridOption : uint16_t {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goRangeSelect = 1u << 4,
  goRowSelect = 1u << 5,
  goDrawFocusSelected = 1u << 6,
  goRowSizing = 1u << 7,
  goColSizing = 1u << 8,
  goRowMouseSizing = 1u << 9,
  goColMouseSizing = 1u << 10,
  goRowMoving = 1u << 11,
  goColMoving = 1u << 12,
  goEditing = 1u << 13,
  goTabs = 1u << 14,
  goThumbTracking = 1u << 15,
};
using TPrgGridOptions = uint16_t;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Draw state of a cell: a set of these flags.
enum : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TPrgGridDrawState = uint8_t;

struct TGridCoord {
  int X = 0;
  int Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

// Grid index and count errors: programming errors of direct calls.
class EInvalidPrgGridOperation : public std::runtime_error {
 public:
  EInvalidPrgGridOperation(int id, const std::string& text) : std::runtime_error(text), id_(id) {}
  int id() const { return id_; }

 private:
  int id_;
};

enum : int {
  kGridTooLarge = 65365,
  kTooManyDeleted = 65366,
  kIndexOutOfRange = 65367,
  kFixedColTooBig = 65368,
  kFixedRowTooBig = 65369,
  kCannotInsertDelete = 65370,
};
[[noreturn]] void ThrowGridError(int id);

// Fixed colours the grids paint with, independent of the desktop theme.
inline QColor BtnFaceColor() { return QColor(0xF0, 0xF0, 0xF0); }
inline QColor BtnTextColor() { return QColor(0, 0, 0); }

class TGridBase : public QAbstractScrollArea {
  Q_OBJECT

 public:
  enum class Profile { Program, Platform };

  using NotifyEvent = std::function<void(TGridBase& sender)>;
  using SelectCellEvent = std::function<void(TGridBase& sender, int col, int row, bool& canSelect)>;
  using DrawCellEvent = std::function<void(TGridBase& sender, QPainter& p, int col, int row,
                                           const QRect& rect, TPrgGridDrawState state)>;
  using MovedEvent = std::function<void(TGridBase& sender, int fromIndex, int toIndex)>;
  using KeyEvent = std::function<void(TGridBase& sender, int& key, Qt::KeyboardModifiers shift)>;
  using MouseEvent = std::function<void(TGridBase& sender, Qt::MouseButton button,
                                        Qt::KeyboardModifiers shift, int x, int y)>;
  using DragOverEvent = std::function<void(TGridBase& target, TGridBase& source, int x, int y,
                                           bool& accept)>;
  using DragDropEvent = std::function<void(TGridBase& target, TGridBase& source, int x, int y)>;
  using EndDragEvent = std::function<void(TGridBase& source, TGridBase* target, int x, int y)>;

  explicit TGridBase(Profile profile, QWidget* parent = nullptr);
  ~TGridBase() override;

  Profile profile() const { return profile_; }

  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  int RowCount() const { return static_cast<int>(rowHeights_.size()); }
  void SetColCount(int value);
  void SetRowCount(int value);
  int FixedCols() const { return fixedCols_; }
  int FixedRows() const { return fixedRows_; }
  void SetFixedCols(int value);
  void SetFixedRows(int value);

  int DefaultColWidth() const { return defaultColWidth_; }
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultColWidth(int value);
  void SetDefaultRowHeight(int value);
  int ColWidths(int index) const;
  int RowHeights(int index) const;
  void SetColWidths(int index, int value);
  void SetRowHeights(int index, int value);
  bool TabStops(int index) const;
  void SetTabStops(int index, bool value);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int value);

  TPrgGridOptions Options() const { return options_; }
  void SetOptions(TPrgGridOptions value);
  bool HasOption(TPrgGridOptions o) const { return (options_ & o) != 0; }

  QColor Color() const { return color_; }
  QColor FixedColor() const { return fixedColor_; }
  QColor LineColor() const { return lineColor_; }
  QColor CellColor() const { return cellColor_; }
  QColor SelectedColor() const { return selectedColor_; }
  void SetColor(const QColor& c);
  void SetFixedColor(const QColor& c);
  void SetLineColor(const QColor& c);
  void SetCellColor(const QColor& c);
  void SetSelectedColor(const QColor& c);

  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle s);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle s);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool v);
  TAlignment CellTextAlignment() const { return alignment_; }
  void SetCellTextAlignment(TAlignment a);

  int VisibleColCount() const;
  int VisibleRowCount() const;

  // The current cell; ColCount and RowCount while no cell is current.
  int Col() const { return hasCurrent_ ? current_.X : ColCount(); }
  int Row() const { return hasCurrent_ ? current_.Y : RowCount(); }
  void SetCol(int value);
  void SetRow(int value);
  bool HasCurrentCell() const { return hasCurrent_; }
  // The buttons held with the press being handled (OnMouseDown): the
  // event's own, not a global state another window may have left.
  Qt::MouseButtons PressButtons() const { return pressButtons_; }
  int LeftCol() const { return topLeft_.X; }
  int TopRow() const { return topLeft_.Y; }
  void SetLeftCol(int value);
  void SetTopRow(int value);
  // From the anchor to the current cell, normalized; all ColCount/RowCount
  // while no cell is current.
  TGridRect Selection() const;

  // Viewport rectangle of a cell that is at least partly shown, else empty.
  QRect CellRect(int col, int row) const;
  // Cell under a viewport point; (-1, -1) outside the cells.
  TGridCoord MouseToCell(int x, int y) const;

  void FocusCell(int col, int row, bool moveAnchor, bool show = true);
  void MoveColumn(int fromIndex, int toIndex);
  void MoveRow(int fromIndex, int toIndex);

  // Starts a drag of this grid (from a mouse-down handler); without
  // immediate it starts once the mouse moved the drag distance.
  void BeginDrag(bool immediate);
  bool Dragging() const { return dragState_ == DragState::Active; }

  void SetOnSelectCell(SelectCellEvent handler);
  const SelectCellEvent& OnSelectCell() const { return onSelectCell_; }

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  NotifyEvent OnTopLeftChanged;
  DrawCellEvent OnDrawCell;
  MovedEvent OnColumnMoved;
  MovedEvent OnRowMoved;
  KeyEvent OnKeyDown;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;
  NotifyEvent OnStartDrag;
  DragOverEvent OnDragOver;
  DragDropEvent OnDragDrop;
  EndDragEvent OnEndDrag;

 protected:
  // Cell painting; the base paints nothing.
  virtual void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state);
  virtual bool SelectCell(int col, int row);
  // Called after the user sized a column or row with the mouse.
  virtual void ColSized(int index, int width);
  virtual void RowSized(int index, int height);
  virtual void ColumnMoved(int fromIndex, int toIndex);
  virtual void RowMoved(int fromIndex, int toIndex);
  virtual void SizeChanged(int oldColCount, int oldRowCount);
  virtual void TopLeftChanged();
  virtual void Click();
  virtual bool CanGridAcceptKey(int key, Qt::KeyboardModifiers shift);

  // Editing hooks: the base grid does not edit.
  virtual bool InEditorMode() const { return false; }
  virtual bool IsEditingCell(int, int) const { return false; }
  virtual void EndEditing() {}
  virtual void UpdateEdit() {}
  virtual void ShowEditor() {}
  virtual void ShowEditorChar(const QString&) {}
  virtual void EditorLostFocus() {}
  virtual void GridTakesFocus() {}
  // The viewport got a new size (scroll ranges are already updated).
  virtual void ViewportResized() {}
  // The editing cell follows a moved column (columns) or row.
  virtual void ShiftEditingCell(bool, int, int) {}

 public:
  // The grid's own key handling (also reached from the in-place editors).
  void KeyDown(int key, Qt::KeyboardModifiers shift);
  // Enter and typed characters; true when the key was consumed.
  bool KeyPress(const QString& text, int key);

 protected:
  void MoveCurrent(int col, int row, bool moveAnchor, bool show);
  void MoveAnchor(int col, int row);
  void InvalidateCell(int col, int row);
  void InvalidateGrid();
  void SetNoCurrentCell();
  // Descendants that re-read all cells call this after count changes.
  void InitializeCurrent();

  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  bool focusNextPrevChild(bool next) override;
  void scrollContentsBy(int, int) override {}
  bool viewportEvent(QEvent* e) override;

  GridAxis HorzAxis() const;
  GridAxis VertAxis() const;
  void UpdateScrollRanges();

 private:
  enum class GridState { Normal, Selecting, RowSizing, ColSizing, RowMoving, ColMoving };
  enum class DragState { None, Pending, Active };

  void ResizeAxis(std::vector<int>& sizes, int count, int def);
  void ApplyCountChange(int oldCols, int oldRows);
  void MoveTopLeft(int col, int row);
  // Over the horizontal bar the wheel's turn scrolls columns.
  void Wheel(QWheelEvent* e, bool overHorizontalBar);
  QPoint wheelRest_;
  Qt::MouseButtons pressButtons_ = Qt::NoButton;  // eighths of a degree not yet turned into rows
  void ClampInView(int col, int row);
  TGridCoord ClampTopLeft(TGridCoord tl) const;
  void OnScrollAction(bool horizontal, int action);
  void OnSliderReleased(bool horizontal);
  int ScrollPos(bool horizontal) const;
  bool SizingZone(int x, int y, bool& columns, int& index, int& linePos) const;
  bool InSelection(int col, int row) const;
  void TimedScroll();
  void DrawLines(QPainter& p);
  void StartDrag();
  TGridBase* GridAtGlobal(const QPoint& global) const;
  void DragMove(const QPoint& global);
  void FinishDrag(const QPoint& global);
  void SetSizingCursor(const QPoint& pos);

  Profile profile_;
  std::vector<int> colWidths_;
  std::vector<int> rowHeights_;
  std::vector<bool> tabStops_;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  int gridLineWidth_ = 1;
  TPrgGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
  QColor color_;
  QColor fixedColor_;
  QColor lineColor_;
  QColor cellColor_;
  QColor selectedColor_;
  TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  bool defaultDrawing_ = true;
  TAlignment alignment_ = TAlignment::taLeftJustify;

  TGridCoord current_;
  TGridCoord anchor_;
  TGridCoord topLeft_;
  bool hasCurrent_ = false;
  bool showCurrentOnShow_ = false;
  SelectCellEvent onSelectCell_;

  GridState gridState_ = GridState::Normal;
  int sizingIndex_ = 0;
  int sizingPos_ = 0;
  int sizingOfs_ = 0;
  int sizingStart_ = 0;
  int moveIndex_ = 0;
  int movePos_ = 0;
  QPoint lastMouse_;
  QTimer scrollTimer_;

  DragState dragState_ = DragState::None;
  QPoint dragStart_;
  TGridBase* dragTarget_ = nullptr;
  bool dragAccepted_ = false;
};

}  // namespace korvant
