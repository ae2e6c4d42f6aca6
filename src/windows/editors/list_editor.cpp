#include "windows/editors/list_editor.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>

#include <algorithm>

#include "base/cp1251.h"
#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/common/catalogue.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "windows/editors/editor_fields.h"
#include "windows/editors/move_rec_dlg.h"
#include "windows/editors/sorted_items.h"

namespace korvant {

namespace {
constexpr int kMsgConfirmRemove = 10046;
constexpr int kButtonWidth = 91;
constexpr int kButtonHeight = 25;

// Four cells (up, disabled, down, exclusive) of a coloured square on the
// transparent key colour, with the mark the week grid writes into a cell
// of that state.
QImage StateGlyph(QColor colour, const QString& mark) {
  constexpr int cell = 14;
  QImage img(cell * 4, cell, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(0xFF00FF));
  QPainter p(&img);
  QFont font = p.font();
  font.setPixelSize(10);
  p.setFont(font);
  for (int i = 0; i < 4; ++i) {
    const QColor c = i == 1 ? QColor(160, 160, 160) : colour;
    p.fillRect(QRect(i * cell + 1, 1, cell - 2, cell - 3), c);
    p.setPen(Qt::black);
    const QRect square(i * cell + 1, 1, cell - 3, cell - 4);
    p.drawRect(square);
    if (i == 1) p.setPen(QColor(96, 96, 96));
    p.drawText(square.adjusted(1, 0, 0, 0), Qt::AlignCenter, mark);
  }
  return img;
}
}  // namespace


// ---- TFieldEdit --------------------------------------------------------------

void TFieldEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // Another window or a pop-up taking the focus does not leave the field.
  if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason) emit Left();
}

void TFieldEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    emit Left();
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

// ---- TListEditor -------------------------------------------------------------

int TListEditor::quietState_ = 0;

TListEditor::TListEditor(int kind, const QString& caption, int helpContext, QSize client, int left,
                         TProjParamsRec& params, QWidget* parent)
    : QWidget(parent, parent ? Qt::WindowFlags() : Qt::WindowFlags(Qt::Window)),
      kind_(kind),
      client_(client),
      params_(params) {
  setWindowTitle(caption);
  resize(client);
  move(left, 0);
  SetHelpContext(this, helpContext);
  setMessageTag(kind);
  RunMoveDialog = [](TMoveRecDlg& d) { return d.Execute(); };

  const int x = client.width() - kButtonWidth - 8;
  auto button = [&](const QString& text, const QString& hint, int help, int y) {
    auto* b = new TPrgBitBtn(TBitBtnKind::bkCustom, text, this);
    b->setGeometry(x, y, kButtonWidth, kButtonHeight);
    b->setToolTip(hint);
    SetHelpContext(b, help);
    return b;
  };
  addBtn_ = button(QStringLiteral("Добавить"), QStringLiteral("Создать новую запись"), 200, 8);
  moveBtn_ = button(QStringLiteral("Перенос"), QStringLiteral("Переместить текущую запись"), 201, 40);
  removeBtn_ = button(QStringLiteral("Удалить "), QStringLiteral("Удалить текущую запись"), 202, 72);
  prevBtn_ = button(QStringLiteral("Наверх  "), QStringLiteral("Показать предыдущую запись"), 203, 112);
  nextBtn_ = button(QStringLiteral("Вниз    "), QStringLiteral("Показать следующую запись"), 204, 144);
  helpBtn_ = button(QStringLiteral("Справка"), QStringLiteral("Справка по диалогу"), 205,
                    client.height() - kButtonHeight - 8);
  helpBtn_->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  helpBtn_->SetNumGlyphs(2);

  connect(addBtn_, &TPrgBitBtn::Clicked, this, &TListEditor::AddNewRecordClick);
  connect(moveBtn_, &TPrgBitBtn::Clicked, this, &TListEditor::MoveRecordClick);
  connect(removeBtn_, &TPrgBitBtn::Clicked, this, &TListEditor::RemoveRecordClick);
  connect(prevBtn_, &TPrgBitBtn::Clicked, this, &TListEditor::PreviousRecordClick);
  connect(nextBtn_, &TPrgBitBtn::Clicked, this, &TListEditor::NextRecordClick);
  // The help button opens the window's own topic (its Tag), not its own context.
  connect(helpBtn_, &TPrgBitBtn::Clicked, this, [helpContext] { ShowHelpContext(helpContext); });
}

TListEditor::~TListEditor() {
  if (watchedSub_) watchedSub_->removeEventFilter(this);
}

MsgResult TListEditor::handleMessage(uint32_t, MsgParam, MsgParam) { return 0; }

QLabel* TListEditor::AddLabel(const QString& text, QRect geometry) {
  auto* l = NewLabel(text, this);
  l->setGeometry(geometry);
  return l;
}

QComboBox* TListEditor::CreateNameCombo(const QString& label, QRect geometry, int labelWidth,
                                        int maxChars) {
  auto* l = AddLabel(label, QRect(geometry.left(), geometry.top() + 3, labelWidth, 16));
  nameCombo_ = new QComboBox(this);
  nameCombo_->setGeometry(geometry.adjusted(labelWidth, 0, 0, 0));
  nameCombo_->setEditable(true);
  nameCombo_->setInsertPolicy(QComboBox::NoInsert);
  names_ = new TSortedComboModel(nameCombo_);
  names_->Attach(nameCombo_);
  // No completion: a completed text would rename the record behind the user.
  nameCombo_->setCompleter(nullptr);
  nameCombo_->lineEdit()->setMaxLength(maxChars);
  l->setBuddy(nameCombo_);
  connect(nameCombo_, &QComboBox::editTextChanged, this, [this] { NameChanged(); });
  connect(nameCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    // A pick whose text equals the text shown changes no text.
    if (Updating() || current_ < 0 || i < 0) return;
    const int32_t id = names_->Object(i);
    if (id != RecordID(current_)) ShowRecord(IndexOfID(id));
  });
  return nameCombo_;
}

std::vector<int32_t> TListEditor::NameEntries() const {
  std::vector<int32_t> ids;
  if (names_)
    for (int r = 0; r < names_->Count(); ++r) ids.push_back(names_->Object(r));
  return ids;
}

TFieldEdit* TListEditor::AddTextField(QRect geometry, int msgId,
                                      std::function<bool(const std::string&)> valid,
                                      std::function<bool(const std::string&)> store,
                                      std::function<std::string()> shown) {
  auto* edit = new TFieldEdit(this);
  edit->setGeometry(geometry);
  const std::size_t index = fields_.size();
  fields_.push_back({edit, msgId, std::move(valid), std::move(store), std::move(shown)});
  connect(edit, &QLineEdit::textChanged, this, [this, index] { FieldTyped(index); });
  connect(edit, &TFieldEdit::Left, this, [this, index] { FieldLeft(index); });
  return edit;
}

TFieldEdit* TListEditor::AddNumberField(QRect geometry, int lo, int hi, int msgId,
                                        std::function<int()> get, std::function<void(int)> set) {
  return AddTextField(
      geometry, msgId, [lo, hi](const std::string& t) { return ParseNumberField(t, lo, hi).has_value(); },
      [lo, hi, set = std::move(set)](const std::string& t) {
        set(*ParseNumberField(t, lo, hi));
        return true;
      },
      [get = std::move(get)] { return std::to_string(get()); });
}

void TListEditor::FieldTyped(std::size_t index) {
  if (Updating() || current_ < 0) return;
  const TextField& f = fields_[index];
  const std::string text = FromQt(f.edit->text());
  // A text still invalid may be on its way to a valid one: it waits for
  // the field to be left.
  if (f.valid(text) && f.store(text)) Changed();
}

void TListEditor::FieldLeft(std::size_t index) {
  if (Updating() || current_ < 0 || leaving_) return;
  leaving_ = true;
  const TextField& f = fields_[index];
  if (!f.valid(FromQt(f.edit->text()))) ShowErrMsg(this, f.msgId, kBoxOk);
  if (current_ >= 0) {
    UpdatingScope u(*this);
    f.edit->setText(ToQt(f.shown()));
  }
  leaving_ = false;
}

TWeeking* TListEditor::CreateWeekGrid(QWidget* parent, QPoint pos) {
  grid_ = new TWeeking(parent);
  grid_->move(pos);
  grid_->OnGetDateElement = [this](TWeeking&, int col, int row, TMouseState& v) {
    v = current_ < 0 || col < 1 || row < 1 ? FreeState : SlotState((col - 1) * kSlotsPerDay + row);
  };
  // The grid repaints the clicked cell itself.
  grid_->OnSetDateElement = [this](TWeeking&, int col, int row, TMouseState& v) {
    if (Updating() || current_ < 0 || col < 1 || row < 1) return;
    SetSlotState((col - 1) * kSlotsPerDay + row, v);
    Changed();
  };
  return grid_;
}

TPrgSpeedButton* TListEditor::AddStateButton(QWidget* parent, const QString& hint, TMouseState state,
                                             QRect geometry, QColor colour) {
  auto* b = new TPrgSpeedButton(parent);
  b->setGeometry(geometry);
  b->SetFlat(true);
  b->SetGlyph(StateGlyph(colour, state >= N1State && state <= N3State ? QString::number(state) : QString()));
  b->SetNumGlyphs(4);
  b->SetGroupIndex(1);
  b->setToolTip(hint);
  stateButtons_.push_back(b);
  buttonStates_.push_back(state);
  connect(b, &TPrgSpeedButton::Clicked, this, [this, state] { PressStateButton(state); });
  return b;
}

void TListEditor::PressStateButton(TMouseState state) {
  for (std::size_t i = 0; i < stateButtons_.size(); ++i)
    if (buttonStates_[i] == state) stateButtons_[i]->SetDown(true);
  if (grid_) grid_->SetStateOfMouse(state);
}

void TListEditor::SetLessonsPerDay(int l) {
  if (!grid_) return;
  grid_->SetLessonCount(std::clamp(l, 1, kMaxLessonsPerDay) + 1);
  grid_->Redraw();
}

void TListEditor::SizeWeekGrid() { SetLessonsPerDay(params_.LessonsPerDay); }

// ---- records -------------------------------------------------------------------

void TListEditor::UpdateButtons() {
  const bool has = current_ >= 0;
  moveBtn_->setEnabled(has);
  removeBtn_->setEnabled(has);
  prevBtn_->setEnabled(has && current_ > 0);
  nextBtn_->setEnabled(has && current_ < Count() - 1);
  addBtn_->setEnabled(true);
}

void TListEditor::ShowRecord(int index) {
  UpdatingScope u(*this);
  if (index < 0 || index >= Count()) index = -1;
  current_ = index;
  UpdateButtons();
  const bool has = current_ >= 0;
  if (nameCombo_) {
    nameCombo_->setEnabled(has);
    if (has) {
      NameDropDown();
    } else {
      nameCombo_->setCurrentIndex(-1);
      nameCombo_->clearEditText();
    }
  }
  for (const TextField& f : fields_) {
    f.edit->setEnabled(has);
    f.edit->setText(has ? ToQt(f.shown()) : QString());
  }
  for (auto* b : stateButtons_) b->setEnabled(has);
  LoadFields(current_);
  if (grid_) {
    grid_->setEnabled(has);
    grid_->Redraw();
  }
}

void TListEditor::RefreshRecord() {
  if (current_ >= 0) ShowRecord(current_);
}

void TListEditor::NameDropDown() {
  const int32_t id = RecordID(current_);
  const QString text = ToQt(DisplayName(current_));
  int row = names_->FindObject(id);
  if (row < 0) row = names_->Add(text, id);
  // One entry per record, whatever came before.
  for (int other; (other = names_->FindObject(id, row)) >= 0;) {
    names_->RemoveRow(other);
    row = names_->FindObject(id);
  }
  if (names_->Text(row) != text) {
    names_->SetText(row, text);  // moves to its place
    row = names_->FindObject(id);
  }
  nameCombo_->setCurrentIndex(row);
  if (nameCombo_->currentText() != text) nameCombo_->setEditText(text);
}

void TListEditor::NameChanged() {
  if (Updating() || current_ < 0) return;
  const int32_t id = RecordID(current_);
  const int i = nameCombo_->currentIndex();
  if (i >= 0 && names_->Object(i) != id) {  // picked from the list
    ShowRecord(IndexOfID(names_->Object(i)));
    return;
  }
  const QString text = nameCombo_->currentText();
  SetRecordName(current_, FromQt(text));
  const int row = i >= 0 ? i : names_->FindObject(id);
  if (row >= 0 && names_->Text(row) != text) {
    UpdatingScope u(*this);
    QLineEdit* edit = nameCombo_->lineEdit();
    const int cursor = edit->cursorPosition();
    names_->SetText(row, text);
    if (edit->text() != text) edit->setText(text);
    edit->setCursorPosition(cursor);
  }
  Changed();
}

void TListEditor::Reload() {
  repairsAllowed_ = false;
  if (names_) {
    UpdatingScope u(*this);
    names_->Clear();
    for (int i = 0; i < Count(); ++i) names_->Add(ToQt(DisplayName(i)), RecordID(i));
  }
  ShowRecord(Count() > 0 ? 0 : -1);
  repairsAllowed_ = true;
}

void TListEditor::Changed() { sendToTag(kTagMainWindow, kMsgListModified, kind_, 0); }

void TListEditor::AddNewRecordClick() {
  const int index = AppendRecord();
  if (names_) {
    UpdatingScope u(*this);
    names_->Add(ToQt(DisplayName(index)), RecordID(index));
  }
  ShowRecord(index);
  Changed();
  AfterAdd();
}

void TListEditor::RemoveRecordClick() {
  if (current_ < 0) return;
  if (ShowErrMsg(this, kMsgConfirmRemove, kBoxYesNo) != kResYes) return;
  if (names_) {
    UpdatingScope u(*this);
    const int row = names_->FindObject(RecordID(current_));
    if (row >= 0) names_->RemoveRow(row);
  }
  DeleteRecord(current_);
  ShowRecord(std::min(current_, Count() - 1));
  Changed();
}

void TListEditor::MoveRecordClick() {
  if (current_ < 0) return;
  TMoveRecDlg dlg(this);
  QStringList entries;
  for (int i = 0; i < Count(); ++i) entries << ToQt(DisplayName(i));
  dlg.SetEntries(entries);
  const int k = RunMoveDialog(dlg);
  if (k < 0 || k >= Count() || current_ < 0) return;
  // The record goes right after the chosen one.
  const int p = current_ < k ? k : (current_ > k ? k + 1 : current_);
  if (p == current_) return;
  MoveRecord(current_, p);
  ShowRecord(p);
  Changed();
}

void TListEditor::PreviousRecordClick() {
  if (current_ > 0) ShowRecord(current_ - 1);
}

void TListEditor::NextRecordClick() {
  if (current_ >= 0 && current_ < Count() - 1) ShowRecord(current_ + 1);
}

// ---- window state --------------------------------------------------------------

QWidget* TListEditor::Frame() const {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
  return const_cast<TListEditor*>(this);
}

int32_t TListEditor::ShowCmd() const {
  // Inside a sub-window only the sub-window counts: a minimized one hides
  // the editor itself.
  const QWidget* f = Frame();
  if (f->isHidden()) return kShowHidden;
  if (f->isMinimized()) return kShowMinimized;
  if (f->isMaximized()) return kShowMaximized;
  return kShowNormal;
}

void TListEditor::ApplyShowCmd(int32_t cmd) {
  ++quietState_;
  QWidget* f = Frame();
  if (cmd == kShowHidden) {
    f->hide();
  } else {
    if (isHidden()) show();
    switch (cmd) {
      case kShowNormal: f->showNormal(); break;
      case kShowMaximized: f->showMaximized(); break;
      case kShowMinimized: f->showMinimized(); break;
      default: f->show(); break;
    }
  }
  --quietState_;
}

int32_t TListEditor::ShowEditor(bool show) {
  ++quietState_;
  if (show) {
    // A minimized sub-window keeps its editor hidden itself.
    if (isHidden() && !(Frame() != this && Frame()->isMinimized())) QWidget::show();
    Frame()->show();
  } else {
    Frame()->hide();
  }
  --quietState_;
  if (show) RefreshRecord();
  return ShowCmd();
}

bool TListEditor::FrameActive() const {
  if (watchedSub_) {
    QMdiArea* area = watchedSub_->mdiArea();
    return area && area->activeSubWindow() == watchedSub_;
  }
  return isActiveWindow();
}

void TListEditor::FrameStateChanged() {
  if (quietState_ || Frame()->isHidden() || !FrameActive()) return;
  const int32_t cmd = ShowCmd();
  if (cmd != kShowHidden) sendToTag(kTagMainWindow, kMsgEditorShow, kind_, cmd);
}

void TListEditor::WatchFrame() {
  auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
  if (sub == watchedSub_) return;
  if (watchedSub_) {
    watchedSub_->removeEventFilter(this);
    disconnect(watchedSub_, nullptr, this, nullptr);
  }
  watchedSub_ = sub;
  if (sub) {
    sub->installEventFilter(this);
    connect(sub, &QMdiSubWindow::aboutToActivate, this, &TListEditor::Activated);
    connect(sub, &QObject::destroyed, this, [this, sub] {
      if (watchedSub_ == sub) watchedSub_ = nullptr;
    });
  }
}

void TListEditor::Activated() {
  if (quietState_ || Updating()) return;
  UpdatingScope u(*this);
  RepairReferences();
}

bool TListEditor::event(QEvent* e) {
  if (e->type() == QEvent::ParentChange) WatchFrame();
  if (e->type() == QEvent::WindowActivate && !watchedSub_ && isWindow()) Activated();
  return QWidget::event(e);
}

bool TListEditor::eventFilter(QObject* watched, QEvent* e) {
  if (watched == watchedSub_ && e->type() == QEvent::WindowStateChange) FrameStateChanged();
  return QWidget::eventFilter(watched, e);
}

void TListEditor::changeEvent(QEvent* e) {
  if (e->type() == QEvent::WindowStateChange && !watchedSub_ && isWindow()) FrameStateChanged();
  QWidget::changeEvent(e);
}

void TListEditor::closeEvent(QCloseEvent* e) {
  // Closing only hides the window; the main window shows it again. Inside
  // a sub-window the editor stays shown in it and the sub-window is hidden.
  postToTag(kTagMainWindow, kMsgEditorShow, kind_, kShowHidden);
  if (QWidget* f = Frame(); f != this) {
    e->ignore();
    f->hide();
  } else {
    e->accept();
  }
}

}  // namespace korvant
