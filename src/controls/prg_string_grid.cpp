#include "controls/prg_string_grid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>

#include "base/cp1251.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {


void PaintBase(QWidget* w, const QColor& c) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, c);
  w->setPalette(pal);
}

// Kind 1: free text that wraps inside the cell. Kind 2: one line with a mask.
class TPrgEditMaskInplace : public IPrgInplaceEditor {
 public:
  TPrgEditMaskInplace(QWidget* parent, TInplaceType kind) {
    if (kind == 1) {
      memo_ = new QPlainTextEdit(parent);
      memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      memo_->setTabChangesFocus(true);
      memo_->document()->setDocumentMargin(1);
      QObject::connect(memo_, &QPlainTextEdit::textChanged, memo_, [this] { MemoChanged(); });
    } else {
      line_ = new QLineEdit(parent);
      QObject::connect(line_, &QLineEdit::textChanged, line_, [this] {
        if (OnTextChanged) OnTextChanged();
      });
    }
  }
  ~TPrgEditMaskInplace() override {
    delete memo_;
    delete line_;
  }
  QWidget* Widget() override { return memo_ ? static_cast<QWidget*>(memo_) : line_; }
  QString Text() const override { return memo_ ? memo_->toPlainText() : line_->text(); }
  void SetText(const QString& t) override {
    if (memo_) {
      accepted_ = t;
      memo_->setPlainText(t);
    } else {
      line_->setText(t);
    }
  }
  int MaxLength() const override { return maxLen_; }
  void SetMaxLength(int n) override {
    maxLen_ = n;
    if (line_) line_->setMaxLength(n > 0 ? n : 32767);
  }
  void SetMask(const QString& mask) {
    if (line_) line_->setInputMask(mask);
  }
  void CaretHome() override {
    if (memo_) {
      QTextCursor c = memo_->textCursor();
      c.movePosition(QTextCursor::Start);
      memo_->setTextCursor(c);
    } else {
      line_->deselect();
      line_->setCursorPosition(0);
    }
  }
  void SetReadOnly(bool ro) override {
    if (memo_) memo_->setReadOnly(ro);
    else line_->setReadOnly(ro);
  }

 private:
  void MemoChanged() {
    const QString now = memo_->toPlainText();
    if (maxLen_ > 0 && now.size() > maxLen_ && now.size() > accepted_.size()) {
      // Like a limited edit, the text refuses what does not fit instead of
      // losing its end.
      const int pos = memo_->textCursor().position() - static_cast<int>(now.size() - accepted_.size());
      QSignalBlocker block(memo_);
      memo_->setPlainText(accepted_);
      QTextCursor c = memo_->textCursor();
      c.setPosition(std::clamp(pos, 0, static_cast<int>(accepted_.size())));
      memo_->setTextCursor(c);
      return;
    }
    accepted_ = now;
    if (OnTextChanged) OnTextChanged();
  }
  QString accepted_;
  QPlainTextEdit* memo_ = nullptr;
  QLineEdit* line_ = nullptr;
  int maxLen_ = 0;
};

// Kinds 5 (typed or chosen) and 6 (chosen only).
class TPrgComboBoxInplace : public IPrgInplaceEditor {
 public:
  TPrgComboBoxInplace(QWidget* parent, TInplaceType kind) : kind_(kind), combo_(new QComboBox(parent)) {
    combo_->setEditable(kind == 5);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(combo_, &QComboBox::currentIndexChanged, combo_, [this] { Changed(); });
    if (kind == 5)
      QObject::connect(combo_, &QComboBox::editTextChanged, combo_, [this] { Changed(); });
  }
  ~TPrgComboBoxInplace() override { delete combo_; }
  QWidget* Widget() override { return combo_; }
  QComboBox* Combo() const { return combo_; }
  QString Text() const override {
    if (kind_ == 5) return combo_->currentText();
    return combo_->currentIndex() >= 0 ? combo_->itemText(combo_->currentIndex()) : QString();
  }
  bool HasValue() const override { return kind_ == 5 || combo_->currentIndex() >= 0; }
  void SetText(const QString& t) override {
    if (kind_ == 5) combo_->setEditText(t);
    else combo_->setCurrentIndex(combo_->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive));
  }
  int MaxLength() const override { return kind_ == 5 ? maxLen_ : 0; }
  void SetMaxLength(int n) override {
    maxLen_ = n;
    if (combo_->lineEdit()) combo_->lineEdit()->setMaxLength(n > 0 ? n : 32767);
  }
  void CaretHome() override {
    if (QLineEdit* e = combo_->lineEdit()) {
      e->deselect();
      e->setCursorPosition(0);
    }
  }
  void SetReadOnly(bool ro) override {
    if (QLineEdit* e = combo_->lineEdit()) e->setReadOnly(ro);
  }
  std::vector<QWidget*> KeyTargets() override {
    std::vector<QWidget*> t{combo_, combo_->view()};
    if (combo_->lineEdit()) t.push_back(combo_->lineEdit());
    return t;
  }

 private:
  void Changed() {
    if (OnTextChanged) OnTextChanged();
  }
  TInplaceType kind_;
  QComboBox* combo_;
  int maxLen_ = 0;
};

int EditorClass(TInplaceType kind) {
  switch (kind) {
    case 1: case 2: return 1;
    case 3: case 4: return 3;
    case 5: case 6: return 5;
    case 7: return 7;
    default: return 0;
  }
}

}  // namespace

// ---- row and column views -------------------------------------------------------

int TPrgGridStrings::Count() const { return row_ ? grid_->ColCount() : grid_->RowCount(); }
int TPrgGridStrings::Col(int i) const { return row_ ? i : index_; }
int TPrgGridStrings::RowOf(int i) const { return row_ ? index_ : i; }
std::string TPrgGridStrings::Get(int i) const { return grid_->Cells(Col(i), RowOf(i)); }
void TPrgGridStrings::Put(int i, const std::string& s) { grid_->SetCells(Col(i), RowOf(i), s); }
void* TPrgGridStrings::GetObject(int i) const { return grid_->Objects(Col(i), RowOf(i)); }
void TPrgGridStrings::PutObject(int i, void* o) { grid_->SetObjects(Col(i), RowOf(i), o); }

int TPrgGridStrings::Add(const std::string& s) {
  for (int i = 0; i < Count(); ++i)
    if (Get(i).empty()) {
      Put(i, s);
      return i;
    }
  return -1;
}

void TPrgGridStrings::Clear() {
  grid_->BeginUpdate();
  for (int i = 0; i < Count(); ++i) {
    Put(i, std::string());
    PutObject(i, nullptr);
  }
  grid_->EndUpdate();
}

void TPrgGridStrings::Assign(const std::vector<std::pair<std::string, void*>>& source) {
  grid_->BeginUpdate();
  const int n = std::min(static_cast<int>(source.size()), Count());
  for (int i = 0; i < n; ++i) {
    Put(i, source[static_cast<std::size_t>(i)].first);
    PutObject(i, source[static_cast<std::size_t>(i)].second);
  }
  grid_->EndUpdate();
}

void TPrgGridStrings::Insert(int, const std::string&) { ThrowGridError(kCannotInsertDelete); }
void TPrgGridStrings::Delete(int) { ThrowGridError(kCannotInsertDelete); }

// ---- editor holder ----------------------------------------------------------------

TPrgInplaceEdit::~TPrgInplaceEdit() { Free(); }

void TPrgInplaceEdit::Free() {
  if (editor_) {
    // The editor being freed must not call back into the grid any more.
    editor_->OnTextChanged = nullptr;
    editor_->OnButtonClick = nullptr;
    for (QWidget* t : editor_->KeyTargets())
      if (t) t->removeEventFilter(&grid_);
  }
  editor_.reset();
  kind_ = 0;
}

QComboBox* TPrgInplaceEdit::Combo() const {
  auto* c = dynamic_cast<TPrgComboBoxInplace*>(editor_.get());
  return c ? c->Combo() : nullptr;
}

bool TPrgInplaceEdit::PrepareEditor() {
  const TInplaceType want = grid_.editKind_;
  if (want != kind_) Free();
  const int cls = EditorClass(want);
  if (cls == 0) return false;
  if (!editor_) {
    QWidget* parent = grid_.viewport();
    if (cls == 1) editor_ = std::make_unique<TPrgEditMaskInplace>(parent, want);
    else if (cls == 5) editor_ = std::make_unique<TPrgComboBoxInplace>(parent, want);
    else editor_ = CreatePrgInplaceEditor(parent, want);
    QWidget* w = editor_->Widget();
    w->hide();
    w->setFocusPolicy(Qt::ClickFocus);
    PaintBase(w, grid_.SelectedColor());
    w->setFont(grid_.font());
    for (QWidget* t : editor_->KeyTargets()) t->installEventFilter(&grid_);
    editor_->OnTextChanged = [this] {
      if (!Filling()) grid_.UpdateText(false);
    };
    editor_->OnButtonClick = [this] { ButtonClick(); };
  }
  kind_ = want;
  return true;
}

void TPrgInplaceEdit::UpdateContents() {
  if (!editor_) return;
  ++filling_;
  const int col = grid_.Col();
  const int row = grid_.Row();
  std::string value;
  const int cls = EditorClass(kind_);
  if (cls == 1) {
    auto* ed = static_cast<TPrgEditMaskInplace*>(editor_.get());
    ed->SetMask(kind_ == 2 ? ToQt(grid_.GetEditMask(col, row)) : QString());
    int maxLimit = kind_ == 2 ? ed->MaxLength() : 0;
    grid_.GetEditText(col, row, maxLimit, value);
    if (kind_ == 1) ed->SetMaxLength(maxLimit);
    QString text = ToQt(value);
    if (ed->MaxLength() >= 1) text = text.left(ed->MaxLength());
    ed->SetText(text);
  } else if (cls == 3) {
    int maxLimit = 0;
    grid_.GetEditText(col, row, maxLimit, value);
    editor_->SetMaxLength(maxLimit);
    QString text = ToQt(value);
    if (maxLimit >= 1) text = text.left(maxLimit);
    editor_->SetText(text);
  } else if (cls == 5) {
    int maxLimit = 0;
    grid_.GetEditText(col, row, maxLimit, value);
    if (kind_ == 5) editor_->SetMaxLength(maxLimit);
    QComboBox* combo = Combo();
    combo->clear();
    std::vector<std::string> items;
    if (grid_.OnFillCombo) grid_.OnFillCombo(grid_, col, row, items, value);
    QStringList list;
    for (const auto& s : items) list << ToQt(s);
    // The list is kept sorted, as the window's own list boxes are.
    std::sort(list.begin(), list.end(),
              [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
    combo->addItems(list);
    // The list drops down at least as wide as its longest entry, however
    // narrow the cell.
    QAbstractItemView* view = combo->view();
    int listWidth = view->sizeHintForColumn(0) + 2 * view->frameWidth();
    if (combo->count() > combo->maxVisibleItems()) listWidth += view->verticalScrollBar()->sizeHint().width();
    view->setMinimumWidth(listWidth);
    combo->setCurrentIndex(-1);
    editor_->SetText(ToQt(value));
  } else if (cls == 7) {
    int maxLimit = 0;
    grid_.GetEditText(col, row, maxLimit, value);
    TPrgSpinParams p = editor_->SpinParams();
    // The cell holds what the editor showed, in the editor's number format.
    long double v = 0;
    p.Value = editor_->ParseValue(ToQt(value), &v) ? v : p.MinValue;
    if (grid_.OnSpinInit) grid_.OnSpinInit(grid_, col, row, &p);
    editor_->SetSpinParams(p);
  }
  editor_->CaretHome();
  --filling_;
}

void TPrgInplaceEdit::Show(const QRect& rect, bool focus) {
  if (rect.isEmpty()) {
    Hide();
    return;
  }
  if (!PrepareEditor()) return;
  QWidget* w = editor_->Widget();
  w->setGeometry(rect);
  w->raise();
  w->show();
  if (focus) w->setFocus(Qt::OtherFocusReason);
}

void TPrgInplaceEdit::Hide() {
  if (!editor_) return;
  if (QComboBox* c = Combo()) c->hidePopup();
  editor_->Widget()->hide();
}

QString TPrgInplaceEdit::Text() const { return editor_ ? editor_->Text() : QString(); }
bool TPrgInplaceEdit::HasValue() const { return editor_ && editor_->HasValue(); }

bool TPrgInplaceEdit::Focused() const {
  if (!editor_) return false;
  QWidget* f = QApplication::focusWidget();
  QWidget* w = editor_->Widget();
  return f && (f == w || w->isAncestorOf(f));
}

int TPrgInplaceEdit::MaxLength() const { return editor_ ? editor_->MaxLength() : 0; }

void TPrgInplaceEdit::ButtonClick() {
  if (!editor_ || !grid_.OnBtnEditClick) return;
  const IPrgInplaceEditor* asked = editor_.get();
  const int col = grid_.Col();
  const int row = grid_.Row();
  std::string value = FromQt(editor_->Text());
  grid_.OnBtnEditClick(grid_, col, row, value);
  // The handler may have moved to another cell or ended editing: its value
  // then belongs to no open editor.
  if (editor_.get() != asked || !grid_.editorMode_ || grid_.editCol_ != col || grid_.editRow_ != row) return;
  ++filling_;
  editor_->SetText(ToQt(value));
  --filling_;
  grid_.UpdateText(false);
  UpdateContents();
}

// ---- the grid ----------------------------------------------------------------------

TPrgStringGrid::TPrgStringGrid(QWidget* parent) : TPrgCustomGrid(parent) {}

TPrgStringGrid::~TPrgStringGrid() {
  // Editors go first. Hiding a focused editor moves the focus, possibly to
  // this grid: nothing may open a new editor or end editing meanwhile.
  editorMode_ = false;
  hiding_ = true;
  holder_.reset();
}

void TPrgStringGrid::CheckIndex(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) ThrowGridError(kIndexOutOfRange);
}

std::string TPrgStringGrid::Cells(int col, int row) const {
  auto r = rows_.find(row);
  if (r == rows_.end()) return {};
  auto c = r->second.find(col);
  return c == r->second.end() ? std::string() : c->second.text;
}

void* TPrgStringGrid::Objects(int col, int row) const {
  auto r = rows_.find(row);
  if (r == rows_.end()) return nullptr;
  auto c = r->second.find(col);
  return c == r->second.end() ? nullptr : c->second.object;
}

void TPrgStringGrid::SetCells(int col, int row, const std::string& text) {
  CheckIndex(col, row);
  rows_[row][col].text = text;
  if (updateCount_ > 0) repaintDue_ = true;
  else InvalidateCell(col, row);
  if (fitColumns_ && writing_ == 0) FitColumn(col);
  if (writing_ == 0 && HasCurrentCell() && col == Col() && row == Row()) {
    editCol_ = editRow_ = -1;
    UpdateEdit();
  }
}

void TPrgStringGrid::SetObjects(int col, int row, void* object) {
  CheckIndex(col, row);
  rows_[row][col].object = object;
}

void TPrgStringGrid::BeginUpdate() { ++updateCount_; }

void TPrgStringGrid::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && repaintDue_) {
    repaintDue_ = false;
    InvalidateGrid();
  }
}

TInplaceType TPrgStringGrid::EditCell(int col, int row) {
  TInplaceType t = 0;
  if (OnEditCell) OnEditCell(*this, col, row, t);
  return t;
}

std::string TPrgStringGrid::GetEditMask(int col, int row) {
  std::string mask;
  if (OnGetEditMask) OnGetEditMask(*this, col, row, mask);
  return mask;
}

void TPrgStringGrid::GetEditText(int col, int row, int& maxLimit, std::string& value) {
  value = Cells(col, row);
  if (OnGetEditText) OnGetEditText(*this, col, row, maxLimit, value);
}

void TPrgStringGrid::SetEditText(int col, int row, const std::string& value, bool finalUpdate) {
  bool valid = true;
  if (OnSetEditText) OnSetEditText(*this, col, row, finalUpdate, valid, value);
  if (!valid) return;
  ++writing_;
  try {
    if (Cells(col, row) != value) SetCells(col, row, value);
  } catch (...) {
    --writing_;
    throw;
  }
  --writing_;
  // While the user types or picks, too: the open editor shows its text whole.
  if (fitColumns_) FitColumn(col);
}

bool TPrgStringGrid::CanEditAcceptKey(QChar) { return true; }

bool TPrgStringGrid::SelectCell(int col, int row) {
  bool can = true;
  if (OnSelectCell()) OnSelectCell()(*this, col, row, can);
  return can;
}

void TPrgStringGrid::ColumnMoved(int fromIndex, int toIndex) {
  for (auto& [r, cells] : rows_) {
    std::map<int, Cell> moved;
    for (auto& [c, cell] : cells) {
      int n = c;
      if (c == fromIndex) n = toIndex;
      else if (fromIndex < toIndex && c > fromIndex && c <= toIndex) --n;
      else if (fromIndex > toIndex && c >= toIndex && c < fromIndex) ++n;
      moved[n] = std::move(cell);
    }
    cells = std::move(moved);
  }
  InvalidateGrid();
  TPrgCustomGrid::ColumnMoved(fromIndex, toIndex);
}

void TPrgStringGrid::RowMoved(int fromIndex, int toIndex) {
  std::map<int, std::map<int, Cell>> moved;
  for (auto& [r, cells] : rows_) {
    int n = r;
    if (r == fromIndex) n = toIndex;
    else if (fromIndex < toIndex && r > fromIndex && r <= toIndex) --n;
    else if (fromIndex > toIndex && r >= toIndex && r < fromIndex) ++n;
    moved[n] = std::move(cells);
  }
  rows_ = std::move(moved);
  InvalidateGrid();
  TPrgCustomGrid::RowMoved(fromIndex, toIndex);
}

void TPrgStringGrid::ShiftEditingCell(bool columns, int fromIndex, int toIndex) {
  int& idx = columns ? editCol_ : editRow_;
  if (idx < 0) return;
  if (idx == fromIndex) idx = toIndex;
  else if (fromIndex < toIndex && idx > fromIndex && idx <= toIndex) --idx;
  else if (fromIndex > toIndex && idx >= toIndex && idx < fromIndex) ++idx;
}

void TPrgStringGrid::TopLeftChanged() {
  if (editorMode_ && holder_ && holder_->Editor() && editCol_ >= 0)
    holder_->Show(CellRect(Col(), Row()), hasFocus() || holder_->Focused());
  TPrgCustomGrid::TopLeftChanged();
}

// ---- editing protocol ------------------------------------------------------------------

bool TPrgStringGrid::CanEditShow() const {
  if (!HasOption(goEditing) || HasOption(goRowSelect) || !editorMode_) return false;
  // The window's own focus: right after a dialog of the editor's button
  // closes, the window is not active again yet, yet its editor is still
  // the one the user works in.
  QWidget* f = window()->focusWidget();
  return f && (f == this || isAncestorOf(f));
}

void TPrgStringGrid::SetEditorMode(bool on) {
  if (on) ShowEditor();
  else EndEditing();
}

void TPrgStringGrid::ShowEditor() {
  editorMode_ = true;
  UpdateEdit();
}

void TPrgStringGrid::EndEditing() {
  editorMode_ = false;
  HideEditor();
}

void TPrgStringGrid::UpdateEdit() {
  if (!CanEditShow() || !HasCurrentCell()) return;
  if (!holder_) {
    holder_ = std::make_unique<TPrgInplaceEdit>(*this);
    BeginEditCell();
  } else if (Col() != editCol_ || Row() != editRow_) {
    HideEditor();
    BeginEditCell();
  }
  if (CanEditShow()) holder_->Show(CellRect(Col(), Row()), true);
}

void TPrgStringGrid::BeginEditCell() {
  editCol_ = Col();
  editRow_ = Row();
  editKind_ = EditCell(editCol_, editRow_);
  if (holder_->PrepareEditor()) holder_->UpdateContents();
  canModify_ = holder_->MaxLength() != -1;
  if (IPrgInplaceEditor* e = holder_->Editor()) e->SetReadOnly(!canModify_);
}

void TPrgStringGrid::UpdateText(bool finalUpdate) {
  if (editCol_ < 0 || editRow_ < 0 || editKind_ == 0 || !holder_ || !holder_->Editor()) return;
  if (holder_->Kind() != editKind_) return;
  // A drop-down list left without a choice leaves the cell's text alone.
  if (!holder_->HasValue()) return;
  SetEditText(editCol_, editRow_, FromQt(holder_->Text()), finalUpdate);
}

void TPrgStringGrid::HideEditor() {
  if (!holder_) return;
  UpdateText(true);
  const int c = editCol_;
  const int r = editRow_;
  editCol_ = editRow_ = -1;
  if (holder_->Focused()) {
    hiding_ = true;
    setFocus(Qt::OtherFocusReason);
    hiding_ = false;
  }
  holder_->Hide();
  if (c >= 0) InvalidateCell(c, r);
  InvalidateGrid();
}

void TPrgStringGrid::ShowEditorChar(const QString& text) {
  ShowEditor();
  if (!holder_ || !holder_->Editor() || !holder_->Editor()->Widget()->isVisible()) return;
  QWidget* target = holder_->Editor()->Widget();
  if (QComboBox* c = holder_->Combo(); c && c->lineEdit()) target = c->lineEdit();
  QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
}

void TPrgStringGrid::EditorLostFocus() {
  if (hiding_) return;
  if (holder_ && holder_->Focused()) return;
  QWidget* f = QApplication::focusWidget();
  if (f && holder_ && holder_->Combo() && f->window() == holder_->Combo()->view()->window()) return;
  EndEditing();
}

void TPrgStringGrid::GridTakesFocus() {
  if (!hiding_) UpdateEdit();
}

bool TPrgStringGrid::eventFilter(QObject* watched, QEvent* event) {
  bool consumed = false;
  try {
    if (event->type() == QEvent::KeyPress) {
      consumed = EditorKey(watched, static_cast<QKeyEvent*>(event));
    } else if (event->type() == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      QWidget* f = QApplication::focusWidget();
      const bool toGrid = f == this || (holder_ && holder_->Focused()) ||
                          (f && holder_ && holder_->Combo() &&
                           f->window() == holder_->Combo()->view()->window());
      if (!hiding_ && !toGrid && reason != Qt::PopupFocusReason &&
          reason != Qt::ActiveWindowFocusReason)
        EndEditing();
    } else if (event->type() == QEvent::ShortcutOverride) {
      // Keys the grid acts on must reach the editor's key handling first.
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) event->accept();
    }
  } catch (const std::exception&) {
    consumed = true;
  }
  return consumed || TPrgCustomGrid::eventFilter(watched, event);
}

bool TPrgStringGrid::EditorKey(QObject* watched, QKeyEvent* e) {
  if (!holder_ || !holder_->Editor()) return false;
  const int key = e->key();
  const Qt::KeyboardModifiers mods = e->modifiers();
  QComboBox* combo = holder_->Combo();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (combo && watched == combo->view()) {
    if (!enter) return false;
    const QModelIndex idx = combo->view()->currentIndex();
    if (idx.isValid()) combo->setCurrentIndex(idx.row());
    combo->hidePopup();
    KeyPress(QStringLiteral("\r"), Qt::Key_Return);
    return true;
  }
  if (combo && combo->view()->isVisible()) return false;
  const bool alt = mods & Qt::AltModifier;
  const bool tab = (key == Qt::Key_Tab || key == Qt::Key_Backtab) && !alt;
  if (tab && !HasOption(goTabs)) return false;
  const bool plainInsert = key == Qt::Key_Insert && !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
  if (tab || key == Qt::Key_Escape || plainInsert) {
    KeyDown(key, mods);
    return true;
  }
  if ((key == Qt::Key_Insert && (mods & Qt::ShiftModifier)) || key == Qt::Key_Delete) {
    if (!canModify_) return true;
  }
  if (enter) {
    KeyPress(QStringLiteral("\r"), key);
    return true;
  }
  if (OnKeyDown) {
    int k = key;
    OnKeyDown(*this, k, mods);
    if (k == 0) return true;
  }
  if (combo) {
    // A list editor answers the keyboard as a list: Down opens it (the
    // choice is made in the list, not by stepping silently through the
    // values), and F4 does nothing.
    if (key == Qt::Key_Down && !(mods & (Qt::ControlModifier | Qt::ShiftModifier))) {
      combo->showPopup();
      return true;
    }
    if (key == Qt::Key_F4) return true;
  }
  const QString text = e->text();
  if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127) {
    if (!CanEditAcceptKey(text[0])) {
      QApplication::beep();
      return true;
    }
    if (!canModify_) return true;
  }
  if (key == Qt::Key_Backspace && !canModify_) return true;
  return false;
}

int TPrgStringGrid::TextWidth(const std::string& text) const {
  constexpr int kMargins = 8;  // the cell's inner frame of 2 on each side and a little air
  return text.empty() ? 0 : QFontMetrics(font()).horizontalAdvance(ToQt(text)) + kMargins;
}

int TPrgStringGrid::ListEditorExtra() const {
  QStyleOptionComboBox opt;
  opt.initFrom(this);
  opt.editable = true;
  const QSize text(100, QFontMetrics(font()).height());
  return std::max(0, style()->sizeFromContents(QStyle::CT_ComboBox, &opt, text, this).width() - text.width());
}

void TPrgStringGrid::FitFixedTexts() {
  for (int c = 0; c < ColCount(); ++c) {
    int need = 0;
    const int rows = c < FixedCols() ? RowCount() : std::min(FixedRows(), RowCount());
    for (int r = 0; r < rows; ++r) need = std::max(need, TextWidth(Cells(c, r)));
    if (need > ColWidths(c)) SetColWidths(c, need);
  }
}

void TPrgStringGrid::SetFitColumnsToTexts(bool on) {
  fitColumns_ = on;
  if (on)
    for (int c = 0; c < ColCount(); ++c) FitColumn(c);
}

void TPrgStringGrid::FitColumn(int col) {
  int need = 0;
  for (int r = 0; r < RowCount(); ++r) {
    int w = TextWidth(Cells(col, r));
    // An open list shows its text beside the arrow: the cell must hold both.
    if (w > 0 && r >= FixedRows() && EditorClass(EditCell(col, r)) == 5) w += ListEditorExtra();
    need = std::max(need, w);
  }
  // A text longer than the whole grid still wraps or ends in an ellipsis.
  need = std::min(need, std::max(contentsRect().width(), 1));
  if (need > ColWidths(col)) SetColWidths(col, need);
}

// ---- painting ------------------------------------------------------------------------------

void TPrgStringGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  if (editorMode_ && IsEditingCell(col, row)) return;
  if (DefaultDrawing()) {
    p.setFont(font());
    QColor back = CellColor();
    if (state & gdFixed) back = FixedColor();
    else if (state & (gdSelected | gdFocused)) back = SelectedColor();
    p.fillRect(rect, back);
    const QRect tr = rect.adjusted(2, 2, -2, -2);
    int align = Qt::AlignLeft;
    if (CellTextAlignment() == TAlignment::taRightJustify) align = Qt::AlignRight;
    else if (CellTextAlignment() == TAlignment::taCenter) align = Qt::AlignHCenter;
    const int flags = align | Qt::AlignTop | Qt::TextWordWrap;
    const QFontMetrics fm(font());
    const std::string shown = FitWithEllipsis(Cells(col, row), [&](const std::string& s) {
      const QRect m = fm.boundingRect(tr, flags, ToQt(s));
      return m.width() <= tr.width() && m.height() <= tr.height();
    });
    if (!shown.empty()) {
      const QString q = ToQt(shown);
      const int h = fm.boundingRect(tr, flags, q).height();
      QRect dr = tr;
      if (h < tr.height()) dr.setTop(tr.top() + (tr.height() - h) / 2);
      p.setClipRect(tr);
      p.setPen(palette().color(QPalette::Text));
      p.drawText(dr, flags, q);
      p.setClipRect(rect);
    }
  }
  if (OnDrawCell) OnDrawCell(*this, p, col, row, rect, state);
}

}  // namespace korvant
