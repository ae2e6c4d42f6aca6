#include "windows/planning/group_man.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

#include "controls/bit_btn.h"
#include "controls/form_util.h"
#include "controls/grid_geometry.h"
#include "controls/prg_string_grid.h"
#include "core/common/catalogue.h"
#include "core/common/shared_state.h"
#include "core/common/window_messages.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"

namespace korvant {

namespace {

constexpr int kHelpContext = 15;
constexpr int kMsgGroup = 10138;      // "Группа"
constexpr int kMsgGroupAcc = 10139;   // "Группу"
constexpr int kMsgWholeWeek = 10256;  // "вся неделя"
constexpr int kDragScrollMs = 500;

TPrgBitBtn* MakeButton(QWidget* parent, TBitBtnKind kind, const char* caption, const char* hint, int x, int y) {
  auto* b = new TPrgBitBtn(kind, Ru(caption), parent);
  b->setGeometry(x, y, 95, 25);
  b->setToolTip(Ru(hint));
  return b;
}

// Both the planner (run-time model) and the rest of the program (shared
// state) read the flag while the owner takes the group's lessons off.
class ReplanScope {
 public:
  explicit ReplanScope(TRunModel& m) : m_(m) { Set(1); }
  ~ReplanScope() { Set(0); }
  ReplanScope(const ReplanScope&) = delete;
  ReplanScope& operator=(const ReplanScope&) = delete;

 private:
  void Set(uint8_t v) {
    m_.ReplanGroupLessons = v;
    Shared().ReplanGroupLessons = v;
  }
  TRunModel& m_;
};

}  // namespace

QString LongDayName(int day) {
  return QLocale().dayName(std::clamp(day, 1, 7), QLocale::LongFormat);
}

TGroupManBase::TGroupManBase(QWidget* owner, TTableVarItem& var, TRunModel& model, int day, uint8_t creation,
                             bool week)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      var_(var),
      model_(model),
      day_(day),
      creation_(creation),
      week_(week) {
  model_.ReplanGroupLessons = 0;
  Shared().ReplanGroupLessons = 0;
  SetHelpContext(this, kHelpContext);
  setWindowTitle(Ru("Группы учителей") + QStringLiteral(": ") +
                 (week ? ResQ(kMsgWholeWeek) : LongDayName(day)));
  if (week) BuildForm(415, 350);
  else BuildForm(383, 318);
}

TGroupManBase::~TGroupManBase() { StopDragTimer(); }

void TGroupManBase::BuildForm(int clientHeight, int buttonsTop) {
  setFixedSize(430, clientHeight);
  auto* selLabel = NewLabel(Ru("Выбрана группа:"), this);
  selLabel->setGeometry(8, 13, 104, 17);
  auto* attLabel = NewLabel(Ru("Присоединить:"), this);
  attLabel->setGeometry(222, 13, 94, 17);
  selectedCombo_ = new QComboBox(this);
  selectedCombo_->setEditable(false);
  selectedCombo_->setGeometry(114, 10, 100, 22);
  selLabel->setBuddy(selectedCombo_);
  attachCombo_ = new QComboBox(this);
  attachCombo_->setEditable(false);
  attachCombo_->setGeometry(315, 10, 106, 22);
  attLabel->setBuddy(attachCombo_);
  connect(selectedCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (!filling_ && i >= 0) selected_ = i;
  });
  connect(attachCombo_, &QComboBox::activated, this, [this](int i) {
    if (!filling_) AttachGroup(i);
  });

  grid_ = new TPrgStringGrid(this);
  grid_->setGeometry(8, 42, 413, 190);
  grid_->SetFixedCols(0);
  grid_->SetFixedRows(1);
  grid_->SetDefaultColWidth(130);
  grid_->SetDefaultRowHeight(16);
  grid_->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goColSizing);
  grid_->SetDefaultDrawing(false);
  grid_->OnDrawCell = [this](TGridBase&, QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState s) {
    DrawGroupCell(p, col, row, rect, s);
  };
  grid_->SetOnSelectCell([this](TGridBase&, int col, int row, bool& can) {
    can = row >= 1 && work_.Member(col, row - 1) >= 0;
  });
  grid_->OnMouseDown = [this](TGridBase& g, Qt::MouseButton b, Qt::KeyboardModifiers mods, int x, int y) {
    if (b != Qt::LeftButton || mods != Qt::NoModifier) return;
    const TGridCoord c = g.MouseToCell(x, y);
    if (c.Y >= 1 && work_.Member(c.X, c.Y - 1) >= 0) g.BeginDrag(false);
  };
  grid_->OnMouseUp = [this](TGridBase& g, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
    const TGridCoord c = g.MouseToCell(x, y);
    if (c.X >= 0 && c.X < shownGroups_) SelectGroup(c.X);
  };
  grid_->OnStartDrag = [this](TGridBase&) { StartDragTimer(); };
  grid_->OnDragOver = [this](TGridBase& target, TGridBase& source, int x, int y, bool& accept) {
    const TGridCoord c = target.MouseToCell(x, y);
    accept = &source == grid_ && &target == grid_ && c.X >= 0 &&
             CanDrop(grid_->Col(), grid_->Row(), c.X, c.Y);
  };
  grid_->OnDragDrop = [this](TGridBase& target, TGridBase&, int x, int y) {
    const TGridCoord c = target.MouseToCell(x, y);
    if (c.X >= 0) DropTeacher(grid_->Col(), grid_->Row(), c.X, c.Y);
  };
  grid_->OnEndDrag = [this](TGridBase&, TGridBase*, int, int) { StopDragTimer(); };

  const int y2 = buttonsTop + 34;
  place_ = MakeButton(this, TBitBtnKind::bkOK, "Расставить", "Расставить уроки группы", 8, buttonsTop);
  place_->SetModalResult(mrOk);
  toDraft_ = MakeButton(this, TBitBtnKind::bkCustom, "В черновик", "Перенести уроки группы в черновик", 114,
                        buttonsTop);
  connect(toDraft_, &TPrgBitBtn::Clicked, this, [this] { SendGroupLessons(true); });
  clear_ = MakeButton(this, TBitBtnKind::bkCustom, "Снять    ", "Снять уроки группы", 220, buttonsTop);
  connect(clear_, &TPrgBitBtn::Clicked, this, [this] { SendGroupLessons(false); });
  add_ = MakeButton(this, TBitBtnKind::bkCustom, "Добавить  ", "Добавить группу", 326, buttonsTop);
  connect(add_, &TPrgBitBtn::Clicked, this, &TGroupManBase::AddGroup);
  recalc_ = MakeButton(this, TBitBtnKind::bkCustom, "Пересчет", "Группы по умолчанию", 8, y2);
  connect(recalc_, &TPrgBitBtn::Clicked, this, &TGroupManBase::Recalc);
  close_ = MakeButton(this, TBitBtnKind::bkCancel, "Закрыть ", "Отменить расстановку", 114, y2);
  close_->SetModalResult(mrCancel);
  help_ = MakeHelpButton(this, Ru("Справка "), kHelpContext, kHelpContext);
  help_->setGeometry(220, y2, 95, 25);
  help_->setToolTip(Ru("Справка по диалогу"));

  options_ = new QGroupBox(Ru(" Дополнительно "), this);
  if (week_) options_->setGeometry(8, 240, 413, 97);
  else options_->setGeometry(8, 240, 414, 65);
}

QCheckBox* TGroupManBase::MakeOption(const char* caption, QRect r, uint8_t& option, bool inverted) {
  auto* c = new QCheckBox(Ru(caption), options_);
  c->setGeometry(r);
  c->setChecked(inverted ? option == 0 : option != 0);
  uint8_t* target = &option;
  connect(c, &QCheckBox::clicked, this, [target, inverted](bool on) {
    *target = static_cast<uint8_t>(inverted ? !on : on);
  });
  return c;
}

void TGroupManBase::FillGroupsGrid() {
  filling_ = true;
  selectedCombo_->clear();
  attachCombo_->clear();
  work_ = TGroupTable::FromCollection(model_.Teachers);
  shownGroups_ = work_.ShownGroups();
  shownMembers_ = work_.ShownMembers(shownGroups_);
  add_->setEnabled(shownGroups_ < work_.TeacherCount());
  for (int g = 0; g < shownGroups_; ++g) {
    selectedCombo_->addItem(ResQ(kMsgGroup) + QLatin1Char(' ') + QString::number(g + 1));
    attachCombo_->addItem(ResQ(kMsgGroupAcc) + QLatin1Char(' ') + QString::number(g + 1));
  }
  // A selection left beyond the groups now shown (after "Пересчет") would
  // name a column that is no longer there.
  if (selected_ >= shownGroups_) selected_ = -1;
  if (selected_ < 0) selected_ = work_.FirstNonEmpty();
  selectedCombo_->setCurrentIndex(selected_);
  attachCombo_->setCurrentIndex(-1);
  filling_ = false;
  RefillCells();
  grid_->FocusCell(0, 1, true, false);
  grid_->SetTopRow(1);
  selectedCombo_->update();
  attachCombo_->update();
}

void TGroupManBase::RefillCells() {
  grid_->BeginUpdate();
  // A grid cannot have no column; with no group the one column stays blank.
  grid_->SetColCount(std::max(1, shownGroups_));
  grid_->SetRowCount(shownMembers_ + 1);
  for (int c = 0; c < grid_->ColCount(); ++c) {
    grid_->SetCells(c, 0, c < shownGroups_ ? FromQt(ResQ(kMsgGroup)) + " " + std::to_string(c + 1) : std::string());
    for (int r = 0; r < shownMembers_; ++r) {
      const int t = work_.Member(c, r);
      const TTeacherItem* item = t >= 0 ? model_.Teachers.GetItem(t) : nullptr;
      grid_->SetCells(c, r + 1, item ? item->DisplayName() : std::string());
    }
  }
  grid_->EndUpdate();
}

void TGroupManBase::StoreGroups() { work_.StoreInto(model_.Teachers); }

void TGroupManBase::SelectGroup(int group) {
  if (group < 0 || group >= shownGroups_) return;
  selected_ = group;
  filling_ = true;
  selectedCombo_->setCurrentIndex(group);
  filling_ = false;
}

bool TGroupManBase::CanDrop(int col, int row, int targetCol, int targetRow) const {
  if (row < 1 || targetRow < 1 || targetCol < 0 || targetCol >= shownGroups_) return false;
  if (work_.Member(col, row - 1) < 0) return false;
  if (!week_) return targetCol != col && !work_.Full(targetCol);
  if (targetCol == col) return targetRow != row;
  return !work_.Full(targetCol);
}

bool TGroupManBase::DropTeacher(int col, int row, int targetCol, int targetRow) {
  if (!CanDrop(col, row, targetCol, targetRow)) return false;
  int pos = -1;
  const bool moved = week_ ? work_.InsertMove(col, row - 1, targetCol, targetRow - 1, &pos)
                           : work_.AppendMove(col, row - 1, targetCol, &pos);
  if (!moved) return false;
  ShowMoved(targetCol, pos);
  SelectGroup(targetCol);
  StoreGroups();
  return true;
}

void TGroupManBase::ShowMoved(int group, int pos) {
  const int top = grid_->TopRow();
  shownMembers_ = work_.ShownMembers(shownGroups_);
  grid_->BeginUpdate();
  RefillCells();
  grid_->FocusCell(group, pos + 1, true, false);
  grid_->SetTopRow(std::min(top, std::max(1, grid_->RowCount() - 1)));
  grid_->EndUpdate();
}

void TGroupManBase::AddGroup() {
  if (shownGroups_ >= work_.TeacherCount()) {
    add_->setEnabled(false);
    return;
  }
  ++shownGroups_;
  const int g = shownGroups_ - 1;
  filling_ = true;
  selectedCombo_->addItem(ResQ(kMsgGroup) + QLatin1Char(' ') + QString::number(g + 1));
  attachCombo_->addItem(ResQ(kMsgGroupAcc) + QLatin1Char(' ') + QString::number(g + 1));
  selectedCombo_->setCurrentIndex(selected_);
  attachCombo_->setCurrentIndex(-1);
  filling_ = false;
  const int col = grid_->Col(), row = grid_->Row();
  RefillCells();
  if (col < grid_->ColCount() && row < grid_->RowCount()) grid_->FocusCell(col, row, true, false);
  if (shownGroups_ >= work_.TeacherCount()) add_->setEnabled(false);
  StoreGroups();
}

void TGroupManBase::AttachGroup(int a) {
  const int s = selected_;
  const int col = grid_->Col(), row = grid_->Row();
  const int teacher = col == a ? work_.Member(col, row - 1) : -1;
  const bool done = work_.Attach(a, s);
  filling_ = true;
  attachCombo_->setCurrentIndex(-1);
  filling_ = false;
  if (!done) return;
  shownMembers_ = work_.ShownMembers(shownGroups_);
  RefillCells();
  int pos = 0;
  if (teacher >= 0 && work_.FindTeacher(teacher, &pos) == s) grid_->FocusCell(s, pos + 1, true, false);
  else if (col < grid_->ColCount() && row < grid_->RowCount()) grid_->FocusCell(col, row, true, false);
}

void TGroupManBase::Recalc() {
  if (week_) model_.Teachers.BuildGroups(var_, false, day_);  // drops the saved grouping
  model_.Teachers.BuildGroups(var_, creation_ == 0, day_);
  FillGroupsGrid();
}

void TGroupManBase::SendGroupLessons(bool toDraft) {
  StoreGroups();
  if (selected_ < 0) return;
  const uint32_t msg = toDraft ? kMsgGroupToDraft : kMsgGroupClear;
  if (!week_) {
    ReplanScope replan(model_);
    sendToTag(kTagVariantWindow, msg, selected_, day_);
    return;
  }
  SharedState& s = Shared();
  const uint8_t saved = s.CurDay;
  for (int d = 1; d <= 6; ++d) {
    s.CurDay = static_cast<uint8_t>(d);
    ReplanScope replan(model_);
    sendToTag(kTagVariantWindow, msg, selected_, d);
  }
  s.CurDay = saved;
}

void TGroupManBase::StartDragTimer() {
  StopDragTimer();
  dragTimer_ = new QTimer(this);
  dragTimer_->setInterval(kDragScrollMs);
  connect(dragTimer_, &QTimer::timeout, this,
          [this] { DragScroll(grid_->viewport()->mapFromGlobal(QCursor::pos())); });
  dragTimer_->start();
}

void TGroupManBase::StopDragTimer() {
  if (!dragTimer_) return;
  dragTimer_->stop();
  // The drop handler that ends the drag may run inside the timer's own
  // signal; the timer goes once that has returned.
  dragTimer_->deleteLater();
  dragTimer_ = nullptr;
}

void TGroupManBase::DragScroll(const QPoint& pos) {
  const QRect area = grid_->viewport()->rect();
  if (pos.x() > area.right()) grid_->SetLeftCol(std::min(grid_->LeftCol() + 1, grid_->ColCount() - 1));
  else if (pos.x() < area.left()) grid_->SetLeftCol(std::max(grid_->LeftCol() - 1, grid_->FixedCols()));
  if (pos.y() > area.bottom()) grid_->SetTopRow(std::min(grid_->TopRow() + 1, grid_->RowCount() - 1));
  else if (pos.y() < area.top()) grid_->SetTopRow(std::max(grid_->TopRow() - 1, grid_->FixedRows()));
}

void TGroupManBase::DrawGroupCell(QPainter& p, int col, int row, const QRect& rect, unsigned state) {
  p.setFont(grid_->font());
  const QPalette& pal = grid_->palette();
  QColor back = row == 0 ? pal.color(QPalette::Button) : QColor(Qt::white);
  QColor fore = pal.color(QPalette::ButtonText);
  if (row > 0 && (state & gdFocused)) {
    back = pal.color(QPalette::Highlight);
    fore = pal.color(QPalette::HighlightedText);
  }
  p.fillRect(rect, back);
  const QFontMetrics fm(grid_->font());
  const QRect tr = rect.adjusted(2, 0, -2, 0);
  const std::string shown =
      FitWithEllipsis(grid_->Cells(col, row), [&](const std::string& s) { return fm.horizontalAdvance(ToQt(s)) <= tr.width(); });
  p.setPen(fore);
  p.drawText(tr, Qt::AlignCenter | Qt::TextSingleLine, ToQt(shown));
}

// ---- the two editors ---------------------------------------------------------------

TGroupMan::TGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day, uint8_t creation)
    : TGroupManBase(owner, var, model, day, creation, false) {
  SharedState& s = Shared();
  autoSaving_ = MakeOption("Автосохранение вариантов", QRect(10, 18, 195, 19), s.AutoSaving, false);
  findBest_ = MakeOption("Искать лучший вариант", QRect(10, 40, 195, 19), s.FindBest, false);
  attached_ = MakeOption("Не учитывать прикрепл. каб.", QRect(210, 18, 198, 19), s.UseAttachedRooms, true);
  sepQuants_ = MakeOption("Не учитывать отделен. часы", QRect(210, 40, 198, 19), s.UseSepQuants, true);
  FillGroupsGrid();
}

TWeekGroupMan::TWeekGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day)
    : TGroupManBase(owner, var, model, day, 0, true) {
  SharedState& s = Shared();
  toFair_ = new QRadioButton(Ru("Ставить в чистовик"), options_);
  toFair_->setGeometry(10, 18, 195, 19);
  toDraftRadio_ = new QRadioButton(Ru("Ставить в черновик"), options_);
  toDraftRadio_->setGeometry(10, 40, 195, 19);
  (s.PlaceToFair != 0 ? toFair_ : toDraftRadio_)->setChecked(true);
  connect(toFair_, &QRadioButton::clicked, this, [] { Shared().PlaceToFair = 1; });
  connect(toDraftRadio_, &QRadioButton::clicked, this, [] { Shared().PlaceToFair = 0; });
  queue_ = MakeOption("Опт. порядок расстановки", QRect(10, 66, 195, 19), s.OptimizeQueue, false);
  attached_ = MakeOption("Не учитывать прикрепл. каб.", QRect(210, 18, 198, 19), s.UseAttachedRooms, true);
  sepQuants_ = MakeOption("Не учитывать отделен. часы", QRect(210, 40, 198, 19), s.UseSepQuants, true);
  parallels_ = MakeOption("Не учитывать \"параллели\"", QRect(210, 66, 198, 19), s.UseParallels, true);
  FillGroupsGrid();
}

namespace {

template <class Dlg>
TGroupChoice RunEditor(Dlg& d) {
  CentreOnScreen(&d);
  TGroupChoice choice;
  if (d.ShowModal() != mrOk) return choice;
  d.StoreGroups();
  choice.Run = true;
  choice.Group = d.SelectedGroup();
  return choice;
}

}  // namespace

TGroupChoice RunGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day, uint8_t creation) {
  TGroupMan d(owner, var, model, day, creation);
  return RunEditor(d);
}

TGroupChoice RunWeekGroupMan(QWidget* owner, TTableVarItem& var, TRunModel& model, int day) {
  TWeekGroupMan d(owner, var, model, day);
  return RunEditor(d);
}

}  // namespace korvant
