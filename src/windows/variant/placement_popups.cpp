#include "windows/variant/placement_popups.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QAbstractItemView>
#include <QTabBar>
#include <QTimer>

#include <algorithm>

#include "controls/form_util.h"
#include "controls/grid_geometry.h"
#include "controls/spin_edit.h"
#include "core/common/catalogue.h"
#include "core/project/list_common.h"
#include "core/variant/joint_blocks.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"

namespace korvant {

namespace {

constexpr int kMargin = 30;  // how far the mouse may stray before the pop-up hides
constexpr int kTimerMs = 100;
const QColor kGray(80, 80, 80);

int Slot(int day, int hour) { return (day - 1) * kSlotsPerDay + hour; }

// The text shortened with the ellipsis to the width, centred both ways.
void DrawFitted(QPainter& p, const QRect& rect, const std::string& text) {
  const QFontMetrics fm(p.font());
  const int room = rect.width() - 4;
  const std::string fitted =
      FitWithEllipsis(text, [&](const std::string& s) { return fm.horizontalAdvance(ToQt(s)) <= room; });
  p.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, ToQt(fitted));
}

// The pop-up's place: the cursor in the owner's client area less 10 each
// way, moved left (up) when it would pass the owner's right (bottom) edge,
// never negative.
QPoint PlaceAt(const QWidget* owner, const QSize& size) {
  const QPoint c = owner->mapFromGlobal(QCursor::pos());
  int x = c.x() - 10;
  int y = c.y() - 10;
  if (x + size.width() > owner->width()) x = c.x() + 10 - size.width();
  if (y + size.height() > owner->height()) y = c.y() + 10 - size.height();
  return {std::max(x, 0), std::max(y, 0)};
}

bool StaysVisibleRule(const QWidget* self, const QWidget* focus, const QPoint& globalCursor,
                      const QRect& listArea = QRect()) {
  if (!focus) return false;
  // The open list of one of the pop-up's combo boxes is a window of its
  // own, owned by the combo box: the user is still choosing in the pop-up,
  // wherever the list lies.
  if (focus->window() != self->window()) {
    for (const QWidget* w = focus->window()->parentWidget(); w; w = w->parentWidget())
      if (w == self) return true;
    return false;
  }
  if (!(focus == self || self->isAncestorOf(focus))) return false;
  // Where a drop-down list of the pop-up lay is still the pop-up's: a
  // room picked with the mouse leaves the cursor on its entry, which may
  // lie further below than the margin reaches.
  if (listArea.contains(globalCursor)) return true;
  const QPoint c = self->mapFromGlobal(globalCursor);
  return c.x() >= -kMargin && c.x() <= self->width() + kMargin && c.y() >= -kMargin &&
         c.y() <= self->height() + kMargin;
}

std::string SubjectName(const TRunModel& m, int subject) {
  const TSubjectItem* s = m.Subjects.GetItem(subject);
  return s ? s->DisplayName() : std::string("------");
}

// Waits while the pop-up is visible and frees it afterwards; the pop-up
// only ever hides itself, so nothing of it is on the stack by then.
template <class P>
bool RunPopup(P* popup, bool (P::*result)() const) {
  QPointer<P> guard(popup);
  if (popup->isVisible()) {
    popup->setFocus();
    pumpWhile([&] { return guard && guard->isVisible(); });
  }
  const bool r = guard && (guard->*result)();
  delete guard.data();
  return r;
}

}  // namespace

void TPopupGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  if (OnDrawCell) OnDrawCell(*this, p, col, row, rect, state);
}

// ---- lesson pop-ups ----------------------------------------------------------------

TPopLessonDlg::TPopLessonDlg(Kind kind, QWidget* owner, TTableVarItem& var, int item, int hour, bool draftMode,
                             int day)
    : QFrame(owner),
      kind_(kind),
      var_(var),
      model_(var.Model()),
      item_(item),
      hour_(hour),
      draft_(draftMode),
      day_(day),
      L_(var.LessonsPerDay()) {
  hide();
  BuildForm();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Build();
  QApplication::restoreOverrideCursor();
  if (!HasContent()) return;
  SelectTab(0);
  ShowAtCursor();
}

TPopLessonDlg::~TPopLessonDlg() = default;

void TPopLessonDlg::BuildForm() {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setAutoFillBackground(true);
  resize(312, 212);
  setFocusPolicy(Qt::StrongFocus);
  tabs_ = new QTabBar(this);
  tabs_->setGeometry(4, 4, 304, 24);
  tabs_->setFocusPolicy(Qt::NoFocus);
  grid_ = new TPopupGrid(this);
  grid_->setGeometry(4, 28, 304, 158);
  grid_->SetColCount(2);
  grid_->SetRowCount(2);
  grid_->SetFixedCols(0);
  grid_->SetFixedRows(1);
  grid_->SetDefaultRowHeight(22);
  grid_->SetColWidths(0, 226);
  grid_->SetColWidths(1, 56);
  grid_->SetColor(BtnFaceColor());
  grid_->SetScrollBars(TScrollStyle::ssVertical);
  grid_->installEventFilter(this);
  bar_ = NewLabel(this);
  bar_->setGeometry(4, 188, 304, 20);
  bar_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  for (int i = 0; i < 6; ++i) {
    auto* s = new TSpinEdit(grid_->viewport());
    s->setObjectName(QStringLiteral("SpEdit%1").arg(i + 1));
    s->setProperty("Tag", i + 1);
    s->resize(56, 22);
    s->SetMinValue(1);
    s->SetMaxValue(10);
    s->SetValue(1);
    s->SetEditorEnabled(false);
    s->setFocusPolicy(Qt::ClickFocus);
    s->hide();
    connect(s, &QLineEdit::textChanged, this, [this, i] { SpinChanged(i + 1); });
    spins_[static_cast<std::size_t>(i)] = s;
  }
  timer_ = new QTimer(this);
  timer_->setInterval(kTimerMs);
  connect(timer_, &QTimer::timeout, this, &TPopLessonDlg::TimerTick);

  grid_->OnDrawCell = [this](TGridBase&, QPainter& p, int c, int r, const QRect& rect, TPrgGridDrawState st) {
    PaintCell(p, c, r, rect, st);
  };
  grid_->CanSelect = [this](int c, int r) { return r >= 1 && !(curTable_ == 0 && c == 1); };
  grid_->OnTopLeftChanged = [this](TGridBase&) { PlaceSpinEdits(); };
  grid_->OnDblClick = [this](TGridBase& g) {
    if (g.HasCurrentCell() && g.Col() == 0) Choose(g.Row());
  };
  connect(tabs_, &QTabBar::currentChanged, this, [this](int t) {
    if (t >= 0) SelectTab(t);
  });
}

bool TPopLessonDlg::TeacherClosed(int teacher, int hour) const {
  const TRTITeacherItem* t = model_->Teachers[teacher];
  return !t || TeacherHourClosed(t->GetBusy(Slot(day_, hour)), model_->TeachersWills);
}

bool TPopLessonDlg::OwnerBusy(int x) const {
  int p, k, g, links;
  if (kind_ == Kind::Klass) {
    if (draft_) return var_.GetDraftCell(item_, day_, x).Lesson >= 0;
    return var_.GetCell(item_, day_, x).Lesson >= 0 || model_->Klasses[item_]->IsSlotClosed(Slot(day_, x), -1);
  }
  if (draft_) return var_.FindTeacherDraftLesson(item_, x, day_, p, k, g, links);
  return var_.FindTeacherLesson(item_, x, day_, k, g, links) || TeacherClosed(item_, x);
}

int TPopLessonDlg::ComputeFit(const TLinkedLists& lists, int klass) const {
  const int nl = lists.LessonCount();
  const int nt = lists.TeacherCount();
  int closedToday = 0;
  int fit = 0;
  for (int x = hour_; x < hour_ + freeRun_; ++x) {
    bool ok = true;
    const int pos = L_ + hour_ - x;  // the draft is checked from its end
    for (int i = 0; i < nl && ok; ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      if (draft_) {
        ok = var_.GetDraftCell(e.A, day_, pos).Lesson < 0;
      } else {
        const TRTIKlassItem* k = model_->Klasses[e.A];
        ok = var_.GetCell(e.A, day_, x).Lesson < 0 && k && !k->IsSlotClosed(Slot(day_, x), e.B);
      }
    }
    for (int i = 0; i < nt && ok; ++i) {
      const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
      int p, k, g, links;
      if (draft_) {
        closedToday = 0;
        for (int h = 1; h <= L_; ++h) closedToday += TeacherClosed(t, h);
        ok = closedToday != L_ && (!var_.FindTeacherDraftLesson(t, pos, day_, p, k, g, links) || k == klass);
      } else {
        ok = !var_.FindTeacherLesson(t, x, day_, k, g, links) && !TeacherClosed(t, x);
      }
    }
    if (!ok) break;
    ++fit;
  }
  return fit;
}

void TPopLessonDlg::Build() {
  if (!model_ || day_ < 1 || day_ > 6 || hour_ < 1 || hour_ > L_) return;
  if (kind_ == Kind::Klass) {
    const TRTIKlassItem* k = model_->Klasses[item_];
    if (!k || item_ >= var_.KlassCount()) return;
    for (int l = 0; l < k->Lessons.Count(); ++l) items_.push_back({item_, l, -1});
  } else {
    const TRTITeacherItem* t = model_->Teachers[item_];
    if (!t) return;
    for (int j = 0; j < t->Lessons.Count(); ++j) {
      const TRTILessonItem* copy = t->Lessons[j];
      const int tg = copy->GroupOfTeacher(item_);
      if (tg < 0) continue;
      const TRTIGroup& rt = copy->RT[static_cast<std::size_t>(tg)];
      bool lower = false;
      for (int i = 0; i < rt.LinksCount(); ++i) {
        const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
        if (ln.Klass == item_ && ln.Lesson < j) lower = true;
      }
      if (lower || !model_->KlassLesson(rt.Klass, rt.KlassLesson)) continue;
      items_.push_back({rt.Klass, rt.KlassLesson, rt.KlassGroup >= 0 ? rt.KlassGroup : tg});
    }
  }

  for (int x = hour_; x <= L_ && !OwnerBusy(x); ++x) ++freeRun_;

  for (int j = 0; j < static_cast<int>(items_.size()); ++j) {
    const Item& it = items_[static_cast<std::size_t>(j)];
    const TRTILessonItem* l = model_->KlassLesson(it.klass, it.lesson);
    // Which day each block stands on: a day's hours mark the first free
    // block of that length.
    std::array<int, kQuantWords> marks{};
    for (int d = 1; d <= 6; ++d) {
      const int c = var_.CountLessonInDay(it.klass, it.lesson, d);
      if (c <= 0) continue;
      for (int q = 1; q <= kQuantWords && l->QuantAt(q) != 0; ++q)
        if (l->QuantAt(q) == c && marks[static_cast<std::size_t>(q - 1)] == 0) {
          marks[static_cast<std::size_t>(q - 1)] = d;
          break;
        }
    }
    TLinkedLists lists;
    const bool whole = model_->Klasses.CollectLinkedLessons(it.klass, it.lesson, lists);
    // A linked set that does not fit the lists must not be placed in part.
    const int fit = whole ? ComputeFit(lists, it.klass) : 0;
    const int today = var_.CountLessonInFair(it.klass, it.lesson, day_) > 0    ? kPopInFairToday
                      : var_.CountLessonInDraft(it.klass, it.lesson, day_) > 0 ? kPopInDraftToday
                                                                                : kPopPlaceable;
    for (int q = 1; q <= kQuantWords && l->QuantAt(q) != 0; ++q) {
      const int m = marks[static_cast<std::size_t>(q - 1)];
      if (m == day_ && (draft_ || today == kPopInFairToday)) continue;
      std::vector<TPopLessonRow>& table = tables_[static_cast<std::size_t>(m)];
      const int len = l->QuantAt(q);
      if (!table.empty() && table.back().Lesson == j) {
        if (table.back().Lengths.back() != len) table.back().Lengths.push_back(len);
      } else {
        TPopLessonRow row;
        row.Day = static_cast<uint8_t>(m);
        row.Lesson = j;
        row.Fit = fit;
        row.Lengths = {len};
        row.Status = m != day_ ? today : kPopPlaceable;
        table.push_back(std::move(row));
      }
    }
  }

  static const char* const kDayTabs[6] = {"Понедельник", "Вторник", "Среда", "Четверг", "Пятница", "Суббота"};
  if (!tables_[static_cast<std::size_t>(day_)].empty()) {
    tabTables_.push_back(day_);
    tabs_->addTab(Ru("Черновик"));
  }
  if (!tables_[0].empty()) {
    tabTables_.push_back(0);
    tabs_->addTab(Ru("Общие"));
  }
  for (int d = 1; d <= 6; ++d)
    if (d != day_ && !tables_[static_cast<std::size_t>(d)].empty()) {
      tabTables_.push_back(d);
      tabs_->addTab(Ru(kDayTabs[d - 1]));
    }
}

void TPopLessonDlg::ShowAtCursor() {
  if (QWidget* owner = parentWidget()) move(PlaceAt(owner, size()));
  show();
  raise();
  // The grid knows its cells' places only once it is shown.
  PlaceSpinEdits();
  timer_->start();
}

int TPopLessonDlg::RowStatus(const TPopLessonRow& row) const {
  if (row.Status == kPopInFairToday || row.Status == kPopInDraftToday) return row.Status;
  const int len = row.Length();
  if (row.Day == 0) {
    const Item& it = items_[static_cast<std::size_t>(row.Lesson)];
    if (!JointBlockFree(var_, it.klass, it.lesson, len, day_)) return kPopNoJointBlock;
  }
  if (len > freeRun_) return kPopOwnerBusy;
  // A draft position is no hour of the day: the klass's forbidden hours
  // do not apply to it.
  if (!draft_) {
    const Item& it = items_[static_cast<std::size_t>(row.Lesson)];
    const TRTIKlassItem* k = model_->Klasses[it.klass];
    for (int h = hour_; h < hour_ + len; ++h)
      if (k->IsSlotClosed(Slot(day_, h), it.lesson)) return kPopForbidden;
  }
  if (len > row.Fit) return kPopLinkBusy;
  return kPopPlaceable;
}

std::string TPopLessonDlg::StatusText(int status) const {
  const bool klass = kind_ == Kind::Klass;
  switch (status) {
    case kPopInFairToday: return LoadResStr(10162);
    case kPopInDraftToday: return LoadResStr(10163);
    case kPopOwnerBusy: return LoadResStr(klass ? 10164 : 10170);
    case kPopLinkBusy: return LoadResStr(klass ? 10165 : 10171);
    case kPopForbidden: return LoadResStr(10168);
    case kPopNoJointBlock: return LoadResStr(10415);
    default: return {};
  }
}

std::string TPopLessonDlg::RowText(const TPopLessonRow& row) const {
  const Item& it = items_[static_cast<std::size_t>(row.Lesson)];
  const TRTILessonItem* l = model_->KlassLesson(it.klass, it.lesson);
  const std::string star = l->SeparatedPart ? "*" : "";
  std::string s;
  if (kind_ == Kind::Klass) {
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      if (g > 0) s += '/';
      s += star + SubjectName(*model_, l->GetSubItem(g)->SubjectID);
    }
    return s;
  }
  s = model_->Klasses[it.klass]->DisplayName();
  const TRTIGroup& rt = l->RT[static_cast<std::size_t>(it.teacherGroup)];
  for (int i = 0; i < rt.LinksCount(); ++i)
    if (const TRTIKlassItem* k = model_->Klasses[rt.Links[static_cast<std::size_t>(i)].Klass])
      s += "/" + k->DisplayName();
  const TLessonSubItem* group = l->GetSubItem(it.teacherGroup);
  return s + ": " + star + SubjectName(*model_, group ? group->SubjectID : -1);
}

TPopLessonRow* TPopLessonDlg::GridRowData(int gridRow) {
  auto& table = tables_[static_cast<std::size_t>(curTable_)];
  if (gridRow < 1 || gridRow > static_cast<int>(table.size())) return nullptr;
  return &table[static_cast<std::size_t>(gridRow - 1)];
}

void TPopLessonDlg::SelectTab(int tab) {
  if (tab < 0 || tab >= static_cast<int>(tabTables_.size())) return;
  if (tabs_->currentIndex() != tab) {
    tabs_->setCurrentIndex(tab);  // comes back here through currentChanged
    return;
  }
  curTable_ = tabTables_[static_cast<std::size_t>(tab)];
  grid_->SetRowCount(static_cast<int>(Table(curTable_).size()) + 1);
  grid_->FocusCell(0, 1, true);
  grid_->SetTopRow(1);
  PlaceSpinEdits();
  grid_->InvalidateGrid();
}

void TPopLessonDlg::PlaceSpinEdits() {
  const int rows = grid_->RowCount();
  for (int i = 1; i <= 6; ++i) {
    TSpinEdit* s = spins_[static_cast<std::size_t>(i - 1)];
    const int r = grid_->TopRow() + i - 1;
    const QRect rect = curTable_ == 0 && r < rows ? grid_->CellRect(1, r) : QRect();
    TPopLessonRow* row = curTable_ == 0 ? GridRowData(r) : nullptr;
    if (!row || rect.isEmpty()) {
      s->hide();
      continue;
    }
    spinning_ = true;
    s->SetMinValue(row->Lengths.front());
    s->SetMaxValue(row->Lengths.back());
    s->SetValue(row->Length());
    spinning_ = false;
    s->setGeometry(rect.left(), rect.top(), 56, 22);
    s->show();
  }
}

void TPopLessonDlg::StepLength(int gridRow, bool up) {
  TPopLessonRow* row = GridRowData(gridRow);
  if (!row) return;
  const int n = static_cast<int>(row->Lengths.size());
  if (up && row->Selected + 1 < n) ++row->Selected;
  if (!up && row->Selected >= 1) --row->Selected;
  PlaceSpinEdits();
  grid_->InvalidateGrid();
}

void TPopLessonDlg::SpinChanged(int i) {
  if (spinning_ || curTable_ != 0) return;
  const int gridRow = grid_->TopRow() - 1 + i;
  TPopLessonRow* row = GridRowData(gridRow);
  if (!row) return;
  const int v = spins_[static_cast<std::size_t>(i - 1)]->text().toInt();
  if (v == row->Length()) return;
  StepLength(gridRow, v > row->Length());
}

void TPopLessonDlg::PaintCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  p.setFont(grid_->font());
  if (row == 0) {
    p.fillRect(rect, BtnFaceColor());
    p.setPen(BtnTextColor());
    DrawFitted(p, rect, LoadResStr(col == 0 ? 10160 : 10161));
    return;
  }
  const TPopLessonRow* data = GridRowData(row);
  const int status = data ? RowStatus(*data) : kPopPlaceable;
  p.fillRect(rect, status != kPopPlaceable ? kGray : QColor(Qt::white));
  if (!data) return;
  p.setPen(BtnTextColor());
  if (col == 0) DrawFitted(p, rect, RowText(*data));
  else if (curTable_ != 0) DrawFitted(p, rect, std::to_string(data->Length()));
  if (state & (gdSelected | gdFocused)) bar_->setText(ToQt(StatusText(status)));
}

bool TPopLessonDlg::Choose(int gridRow) {
  const TPopLessonRow* row = GridRowData(gridRow);
  if (!row || RowStatus(*row) != kPopPlaceable) return false;
  const Item& it = items_[static_cast<std::size_t>(row->Lesson)];
  const int m = curTable_;
  const bool ok = m == 0 ? var_.PlaceLinkedLesson(it.klass, it.lesson, draft_, day_, hour_, row->Length())
                         : var_.RemoveLesson(it.klass, it.lesson, draft_, day_, m, hour_);
  if (!ok) return false;
  if (m != day_) {
    model_->Teachers.PrepareDaySlots(day_);
    model_->Teachers.BuildGroups(var_, false, day_);
  }
  chosen_ = true;
  hide();
  return true;
}

bool TPopLessonDlg::StaysVisible(const QWidget* focus, const QPoint& globalCursor) const {
  return StaysVisibleRule(this, focus, globalCursor);
}

void TPopLessonDlg::TimerTick() {
  if (!StaysVisible(QApplication::focusWidget(), QCursor::pos())) hide();
}

void TPopLessonDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) hide();
  else QFrame::keyPressEvent(e);
}

bool TPopLessonDlg::eventFilter(QObject* watched, QEvent* e) {
  if (watched == grid_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    hide();
    return true;
  }
  return QFrame::eventFilter(watched, e);
}

void TPopLessonDlg::hideEvent(QHideEvent* e) {
  timer_->stop();
  QFrame::hideEvent(e);
}

// ---- room pop-up ----------------------------------------------------------------------

TTPopSetRoomDlg::TTPopSetRoomDlg(QWidget* owner, TTableVarItem& var, int klass, int startHour, int hours, int day)
    : QFrame(owner), var_(var), model_(var.Model()), klass_(klass), start_(startHour), hours_(hours), day_(day) {
  hide();
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setAutoFillBackground(true);
  resize(342, 121);
  setFocusPolicy(Qt::StrongFocus);
  tabs_ = new QTabBar(this);
  tabs_->setGeometry(4, 4, 334, 24);
  tabs_->setFocusPolicy(Qt::NoFocus);
  grid_ = new TPopupGrid(this);
  grid_->setGeometry(4, 28, 334, 69);
  grid_->SetColCount(3);
  grid_->SetRowCount(2);
  grid_->SetFixedCols(1);
  grid_->SetFixedRows(1);
  grid_->SetDefaultRowHeight(22);
  grid_->SetColWidths(0, 32);
  grid_->SetColWidths(1, 136);
  grid_->SetColWidths(2, 143);
  grid_->SetScrollBars(TScrollStyle::ssVertical);
  grid_->installEventFilter(this);
  bar_ = NewLabel(this);
  bar_->setGeometry(4, 98, 334, 20);
  bar_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  for (int i = 0; i < 2; ++i) {
    auto* c = new QComboBox(grid_->viewport());
    c->setObjectName(QStringLiteral("CmbBox%1").arg(i + 1));
    c->setProperty("Tag", i + 1);
    // Without this the style drops the whole list (every room) over the
    // combo box instead of four lines below it.
    c->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    c->setMaxVisibleItems(4);
    c->hide();
    c->view()->window()->installEventFilter(this);
    connect(c, &QComboBox::activated, this, [this, i](int index) { ComboActivated(i + 1, index); });
    combos_[static_cast<std::size_t>(i)] = c;
  }
  timer_ = new QTimer(this);
  timer_->setInterval(kTimerMs);
  connect(timer_, &QTimer::timeout, this, &TTPopSetRoomDlg::TimerTick);
  grid_->OnDrawCell = [this](TGridBase&, QPainter& p, int c, int r, const QRect& rect, TPrgGridDrawState st) {
    PaintCell(p, c, r, rect, st);
  };
  grid_->CanSelect = [](int c, int r) { return c == 1 && r >= 1; };
  grid_->OnTopLeftChanged = [this](TGridBase&) { FillRoomCombos(); };

  const int L = var.LessonsPerDay();
  if (!model_ || day < 1 || day > 6 || startHour < 1 || hours < 1 || startHour + hours - 1 > L) return;
  const TTableCell cell = var.GetCell(klass, day, startHour);
  if (cell.Lesson < 0) return;
  TLinkedLists lists;
  if (!model_->Klasses.CollectLinkedLessons(klass, cell.Lesson, lists)) return;
  for (int i = 0; i < lists.TeacherCount(); ++i) {
    const TLinkEntry e = lists.Teachers[static_cast<std::size_t>(i)];
    const TRTILessonItem* copy = model_->TeacherLesson(e.A, e.B);
    const int tg = copy ? copy->GroupOfTeacher(e.A) : -1;
    if (tg < 0) continue;
    const TRTIGroup& rt = copy->RT[static_cast<std::size_t>(tg)];
    const int kg = rt.KlassGroup >= 0 ? rt.KlassGroup : tg;
    const TRTILessonItem* l = model_->KlassLesson(rt.Klass, rt.KlassLesson);
    const TLessonSubItem* sub = l ? l->GetSubItem(kg) : nullptr;
    if (!sub) continue;
    groups_.push_back({e.A, rt.Klass, rt.KlassLesson, kg, sub->SubjectID, sub->GetFictionName()});
  }
  if (groups_.size() > 10) groups_.resize(10);
  for (std::size_t g = 0; g < groups_.size(); ++g) tabs_->addTab(Ru("Группа ") + QString::number(g + 1));
  if (groups_.empty()) return;
  connect(tabs_, &QTabBar::currentChanged, this, [this](int t) {
    if (t >= 0) SelectGroup(t);
  });
  grid_->SetRowCount(hours + 1);
  FitColumns();
  SelectGroup(0);
  if (QWidget* o = parentWidget()) move(PlaceAt(o, size()));
  show();
  raise();
  FillRoomCombos();
  timer_->start();
}

TTPopSetRoomDlg::~TTPopSetRoomDlg() = default;

// The columns widen to their headings, the groups' teachers and the
// school's rooms in their lists; the pop-up grows with them.
void TTPopSetRoomDlg::FitColumns() {
  const QFontMetrics fm(grid_->font());
  auto text = [&](const std::string& s) { return fm.horizontalAdvance(ToQt(s)) + 6; };
  int want[3] = {std::max(text(LoadResStr(10161)), text(std::to_string(hours_))), text(LoadResStr(10169)),
                 text(LoadResStr(10167))};
  for (const Group& g : groups_)
    if (const TRTITeacherItem* t = model_->Teachers[g.teacher]) want[1] = std::max(want[1], text(t->DisplayName()));
  int room = fm.horizontalAdvance(ResQ(10069));
  for (int i = 0; i < model_->Rooms.Count(); ++i)
    room = std::max(room, fm.horizontalAdvance(ToQt(model_->Rooms[i]->DisplayName())));
  QStyleOptionComboBox o;
  o.initFrom(combos_[0]);
  want[2] = std::max(want[2], combos_[0]->style()
                                  ->sizeFromContents(QStyle::CT_ComboBox, &o, QSize(room, fm.height()), combos_[0])
                                  .width());
  int grow = 0;
  for (int c = 0; c < 3; ++c) {
    const int w = std::max(want[c], grid_->ColWidths(c));
    grow += w - grid_->ColWidths(c);
    grid_->SetColWidths(c, w);
  }
  if (grow <= 0) return;
  resize(width() + grow, height());
  for (QWidget* w : {static_cast<QWidget*>(tabs_), static_cast<QWidget*>(grid_), static_cast<QWidget*>(bar_)})
    w->resize(w->width() + grow, w->height());
}

void TTPopSetRoomDlg::SelectGroup(int g) {
  if (g < 0 || g >= static_cast<int>(groups_.size())) return;
  curGroup_ = g;
  if (tabs_->currentIndex() != g) tabs_->setCurrentIndex(g);
  grid_->FocusCell(1, 1, true);
  FillRoomCombos();
  grid_->InvalidateGrid();
}

int TTPopSetRoomDlg::Need(const Group& g) const {
  const TRTILessonItem* l = model_->KlassLesson(g.klass, g.lesson);
  const TLessonSubItem* sub = l ? l->GetSubItem(g.group) : nullptr;
  if (!sub) return 0;
  int need = sub->ChildrenInGroup;
  const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g.group)];
  for (int i = 0; i < rt.LinksCount(); ++i) {
    const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
    const TRTILessonItem* other = model_->KlassLesson(ln.Klass, ln.Lesson);
    if (const TLessonSubItem* s = other ? other->GetSubItem(ln.Group) : nullptr) need += s->ChildrenInGroup;
  }
  return need;
}

std::vector<int> TTPopSetRoomDlg::OfferedRooms(int blockHour) const {
  std::vector<int> rooms{-1};
  if (groups_.empty() || blockHour < 1 || blockHour > hours_) return rooms;
  const Group& g = groups_[static_cast<std::size_t>(curGroup_)];
  const int h = start_ + blockHour - 1;
  const TTableCell c = var_.GetCell(g.klass, day_, h);
  // The block may have changed under the pop-up: only its own lesson's
  // cell is given rooms.
  if (c.Lesson != g.lesson || !g.fiction.empty() || g.subject < 0) return rooms;
  const int need = Need(g);
  const uint16_t current = c.Rooms[static_cast<std::size_t>(g.group)];
  for (int i = 0; i < model_->Rooms.Count() && i < var_.RoomCount(); ++i) {
    const TRoomItem* r = model_->Rooms[i];
    if (r->GetBusy(Slot(day_, h)) != 0) continue;
    if (var_.GetRoomCell(i, day_, h).Klass >= 0 && current != i) continue;
    if (r->MaxChildren < need) continue;
    rooms.push_back(i);
  }
  return rooms;
}

void TTPopSetRoomDlg::FillRoomCombos() {
  filling_ = true;
  for (int i = 1; i <= 2; ++i) {
    QComboBox* box = combos_[static_cast<std::size_t>(i - 1)];
    const int r = grid_->TopRow() + i - 1;
    const QRect rect = r <= hours_ ? grid_->CellRect(2, r) : QRect();
    if (groups_.empty() || rect.isEmpty()) {
      box->hide();
      continue;
    }
    box->clear();
    const Group& g = groups_[static_cast<std::size_t>(curGroup_)];
    const TTableCell c = var_.GetCell(g.klass, day_, start_ + r - 1);
    const uint16_t current = c.Lesson == g.lesson ? c.Rooms[static_cast<std::size_t>(g.group)] : kNoRoom;
    int selected = 0;
    for (int room : OfferedRooms(r)) {
      if (room < 0) {
        box->addItem(ResQ(10069), -1);
        continue;
      }
      if (room == current) selected = box->count();
      box->addItem(ToQt(model_->Rooms[room]->DisplayName()), room);
    }
    box->setCurrentIndex(selected);
    box->setGeometry(rect);
    box->show();
  }
  filling_ = false;
}

void TTPopSetRoomDlg::SetLinkedRooms(const Group& g, int hour, uint16_t room) {
  const TRTILessonItem* l = model_->KlassLesson(g.klass, g.lesson);
  const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g.group)];
  for (int i = 0; i < rt.LinksCount(); ++i) {
    const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
    TTableCell lc = var_.GetCell(ln.Klass, day_, hour);
    if (lc.Lesson != ln.Lesson || ln.Group >= kMaxLessonGroups) continue;
    lc.Rooms[ln.Group] = room;
    var_.SetCell(ln.Klass, day_, hour, lc);
  }
}

bool TTPopSetRoomDlg::ChooseRoom(int blockHour, int room) {
  const std::vector<int> offered = OfferedRooms(blockHour);
  if (std::find(offered.begin(), offered.end(), room) == offered.end()) return false;
  const Group& g = groups_[static_cast<std::size_t>(curGroup_)];
  const int h = start_ + blockHour - 1;
  TTableCell c = var_.GetCell(g.klass, day_, h);
  if (c.Lesson != g.lesson) return false;
  const auto gi = static_cast<std::size_t>(g.group);
  // The old room goes first, for this group and every group joined to it,
  // even when only a joined group still held one.
  if (c.Rooms[gi] != kNoRoom) {
    c.Rooms[gi] = kNoRoom;
    var_.SetCell(g.klass, day_, h, c);
  }
  SetLinkedRooms(g, h, kNoRoom);
  if (room >= 0) {
    c.Rooms[gi] = static_cast<uint16_t>(room);
    var_.SetCell(g.klass, day_, h, c);
    SetLinkedRooms(g, h, static_cast<uint16_t>(room));  // a joint lesson uses one room
  }
  changed_ = true;
  FillRoomCombos();
  return true;
}

void TTPopSetRoomDlg::ComboActivated(int i, int index) {
  QComboBox* box = combos_[static_cast<std::size_t>(i - 1)];
  if (filling_ || index < 0 || index >= box->count()) return;
  ChooseRoom(grid_->TopRow() - 1 + i, box->itemData(index).toInt());
}

void TTPopSetRoomDlg::PaintCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  p.setFont(grid_->font());
  const bool data = row >= 1 && col >= 1;
  p.fillRect(rect, data ? kGray : BtnFaceColor());
  p.setPen(BtnTextColor());
  if (row == 0) {
    static const int ids[3] = {10161, 10169, 10167};
    DrawFitted(p, rect, LoadResStr(ids[col]));
    return;
  }
  if (col == 0) {
    DrawFitted(p, rect, std::to_string(row));
    return;
  }
  if (col != 1 || groups_.empty()) return;
  const TRTITeacherItem* t = model_->Teachers[groups_[static_cast<std::size_t>(curGroup_)].teacher];
  const std::string name = t ? t->DisplayName() : std::string("-----");
  DrawFitted(p, rect, name);
  if (state & (gdSelected | gdFocused)) bar_->setText(ToQt(name));
}

bool TTPopSetRoomDlg::StaysVisible(const QWidget* focus, const QPoint& globalCursor) const {
  return StaysVisibleRule(this, focus, globalCursor, listArea_);
}

void TTPopSetRoomDlg::TimerTick() {
  // An open drop-down list is a window of its own: the focus stays with
  // the combo box inside the pop-up.
  if (!StaysVisible(QApplication::focusWidget(), QCursor::pos())) hide();
}

void TTPopSetRoomDlg::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) hide();
  else QFrame::keyPressEvent(e);
}

bool TTPopSetRoomDlg::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Show || e->type() == QEvent::Hide)
    for (QComboBox* box : combos_)
      if (watched == box->view()->window()) {
        const auto* list = static_cast<QWidget*>(watched);
        listArea_ = QRect(list->mapToGlobal(QPoint(0, 0)), list->size());
      }
  if (watched == grid_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    hide();
    return true;
  }
  return QFrame::eventFilter(watched, e);
}

void TTPopSetRoomDlg::hideEvent(QHideEvent* e) {
  timer_->stop();
  QFrame::hideEvent(e);
}

// ---- entry functions ---------------------------------------------------------------------

bool RunPopSetLsn(QWidget* owner, TTableVarItem& var, int klass, int hour, bool draftMode, int day) {
  return RunPopup<TPopLessonDlg>(new TPopSetLsnDlg(owner, var, klass, hour, draftMode, day), &TPopLessonDlg::Chosen);
}

bool RunPopTchLsn(QWidget* owner, TTableVarItem& var, int teacher, int hour, bool draftMode, int day) {
  return RunPopup<TPopLessonDlg>(new TPopTchLsnDlg(owner, var, teacher, hour, draftMode, day),
                                 &TPopLessonDlg::Chosen);
}

bool RunPopSetRoom(QWidget* owner, TTableVarItem& var, int klass, int startHour, int hours, int day) {
  return RunPopup<TTPopSetRoomDlg>(new TTPopSetRoomDlg(owner, var, klass, startHour, hours, day),
                                   &TTPopSetRoomDlg::Changed);
}

}  // namespace korvant
