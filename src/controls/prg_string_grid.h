#pragma once
// The program's string grid: a text and an object per cell, the default
// cell painting (colours, alignment, word wrap, vertical centring, an
// ellipsis), and in-place editors chosen per cell by the window.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/prg_custom_grid.h"
#include "controls/prg_inplace.h"

class QComboBox;

namespace korvant {

class TPrgStringGrid;

// One row or one column of a string grid seen as a list of strings.
class TPrgGridStrings {
 public:
  TPrgGridStrings(TPrgStringGrid& grid, bool row, int index) : grid_(&grid), row_(row), index_(index) {}
  int Count() const;
  std::string Get(int i) const;
  void Put(int i, const std::string& s);
  void* GetObject(int i) const;
  void PutObject(int i, void* object);
  // Puts s into the first empty entry; -1 when none is empty.
  int Add(const std::string& s);
  void Clear();
  // Copies the first min(source, Count()) entries.
  void Assign(const std::vector<std::pair<std::string, void*>>& source);
  // A row or column of a grid cannot grow or shrink: both raise 65370.
  void Insert(int i, const std::string& s);
  void Delete(int i);

 private:
  int Col(int i) const;
  int RowOf(int i) const;
  TPrgStringGrid* grid_;
  bool row_;
  int index_;
};

// Holds the one in-place editor of a grid and fills it for the current cell.
class TPrgInplaceEdit {
 public:
  explicit TPrgInplaceEdit(TPrgStringGrid& grid) : grid_(grid) {}
  ~TPrgInplaceEdit();
  // Frees the editor when the kind changed and creates the one for the
  // grid's current kind; false for kinds without an editor.
  bool PrepareEditor();
  void UpdateContents();
  void Show(const QRect& rect, bool focus);
  void Hide();
  QString Text() const;
  bool HasValue() const;
  bool Focused() const;
  int MaxLength() const;
  TInplaceType Kind() const { return kind_; }
  IPrgInplaceEditor* Editor() const { return editor_.get(); }
  QComboBox* Combo() const;
  bool Filling() const { return filling_ > 0; }
  void ButtonClick();

 private:
  void Free();
  TPrgStringGrid& grid_;
  TInplaceType kind_ = 0;
  std::unique_ptr<IPrgInplaceEditor> editor_;
  int filling_ = 0;
};

class TPrgStringGrid : public TPrgCustomGrid {
  Q_OBJECT
  friend class TPrgInplaceEdit;

 public:
  using GetMaskEvent = std::function<void(TPrgStringGrid& sender, int col, int row, std::string& value)>;
  using GetEditEvent =
      std::function<void(TPrgStringGrid& sender, int col, int row, int& maxLimit, std::string& value)>;
  using SetEditEvent = std::function<void(TPrgStringGrid& sender, int col, int row, bool finalUpdate,
                                          bool& validText, const std::string& value)>;
  using EditCellEvent = std::function<void(TPrgStringGrid& sender, int col, int row, TInplaceType& editType)>;
  using FillComboEvent = std::function<void(TPrgStringGrid& sender, int col, int row,
                                            std::vector<std::string>& comboStrings, std::string& value)>;
  using SpinInitEvent = std::function<void(TPrgStringGrid& sender, int col, int row, PPrgSpinParams params)>;
  using BtnEditEvent = std::function<void(TPrgStringGrid& sender, int col, int row, std::string& value)>;

  explicit TPrgStringGrid(QWidget* parent = nullptr);
  ~TPrgStringGrid() override;

  // CP1251 texts; a cell never written reads empty with no object.
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  void* Objects(int col, int row) const;
  void SetObjects(int col, int row, void* object);
  TPrgGridStrings Rows(int index) { return TPrgGridStrings(*this, true, index); }
  TPrgGridStrings Cols(int index) { return TPrgGridStrings(*this, false, index); }
  // Suspends repainting while many cells are written.
  void BeginUpdate();
  void EndUpdate();
  // Widens every column whose texts in the fixed rows, and every fixed
  // column whose texts anywhere, would be cut in one line of the grid's font.
  void FitFixedTexts();
  // When on, a column widens (up to the width the grid shows) to every text
  // written into it, an edited one once its editing ends: the column shows
  // its heading and its cells whole.
  void SetFitColumnsToTexts(bool on);

  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool on);
  void ShowEditor() override;
  void HideEditor();
  void EndEditing() override;
  void UpdateEdit() override;
  void UpdateText(bool finalUpdate);
  TGridCoord EditingCell() const { return {editCol_, editRow_}; }
  TInplaceType EditingKind() const { return editKind_; }
  TPrgInplaceEdit* InplaceEdit() const { return holder_.get(); }

  GetMaskEvent OnGetEditMask;
  GetEditEvent OnGetEditText;
  SetEditEvent OnSetEditText;
  EditCellEvent OnEditCell;
  FillComboEvent OnFillCombo;
  SpinInitEvent OnSpinInit;
  BtnEditEvent OnBtnEditClick;

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;
  void TopLeftChanged() override;
  virtual TInplaceType EditCell(int col, int row);
  virtual std::string GetEditMask(int col, int row);
  virtual void GetEditText(int col, int row, int& maxLimit, std::string& value);
  virtual void SetEditText(int col, int row, const std::string& value, bool finalUpdate);
  virtual bool CanEditAcceptKey(QChar key);
  bool CanEditModify() const { return canModify_; }

  bool InEditorMode() const override { return editorMode_; }
  bool IsEditingCell(int col, int row) const override { return col == editCol_ && row == editRow_; }
  void ShowEditorChar(const QString& text) override;
  void EditorLostFocus() override;
  void GridTakesFocus() override;
  void ShiftEditingCell(bool columns, int fromIndex, int toIndex) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Cell {
    std::string text;
    void* object = nullptr;
  };
  bool CanEditShow() const;
  void BeginEditCell();
  void WatchEditor();
  bool EditorKey(QObject* watched, QKeyEvent* e);
  void CheckIndex(int col, int row) const;

  std::map<int, std::map<int, Cell>> rows_;  // row -> column -> cell
  int updateCount_ = 0;
  bool repaintDue_ = false;

  bool editorMode_ = false;
  int editCol_ = -1;
  int editRow_ = -1;
  TInplaceType editKind_ = 0;
  bool canModify_ = true;
  int writing_ = 0;
  bool fitColumns_ = false;
  bool hiding_ = false;
  std::unique_ptr<TPrgInplaceEdit> holder_;

  int TextWidth(const std::string& text) const;
  // What an open list editor takes beside its text: frame and arrow.
  int ListEditorExtra() const;
  void FitColumn(int col);
};

}  // namespace korvant
