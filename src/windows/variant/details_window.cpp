#include "windows/variant/details_window.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QSlider>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>

#include "controls/form_util.h"
#include "core/common/catalogue.h"
#include "core/common/save_query.h"
#include "core/common/shared_state.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "windows/shell/error_box.h"
#include "windows/variant/placement_popups.h"

namespace korvant {

namespace {

constexpr int kHeaderHeight = 17;
constexpr int kGridHelp[kDetailsGridCount] = {187, 187, 188, 188};

enum : uint16_t {
  kSideKlass = 1,
  kSideTeacher = 2,
  kRecreateKlass = 16,
  kRecreateTeacher = 32,
  kAllSides = 0xFFFF,
};

bool Vertical() { return Shared().DetailsVertical == 1; }

QWidget* Frame(QWidget* w) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) return sub;
  return w;
}

}  // namespace

TTableDetailsManeger::TTableDetailsManeger(QWidget* parent, TRunModel& model, TTableVarItem& var,
                                           const TLinkedLists& lists, bool draft, uint16_t hours)
    : QWidget(parent), model_(model), var_(var), lists_(lists) {
  SetHelpContext(this, 7);
  const QString point = QLocale().decimalPoint();
  if (!point.isEmpty()) {
    const std::string p = FromQt(point.left(1));
    if (p.size() == 1) decimalPoint_ = p[0];
  }
  BuildForm();
  {
    const QSignalBlocker block(switch_);
    switch_->setValue(Vertical() ? 0 : 1);
  }
  SetupTables();
  BuildFreeLessonLists(kAllSides);

  const int day = std::clamp<int>(Shared().CurDay, 1, 6);
  const int L = var_.LessonsPerDay();
  const TDetailsGrid kg = draft ? TDetailsGrid::KlassesDraft : TDetailsGrid::Klasses;
  const TDetailsGrid tg = draft ? TDetailsGrid::TeachersDraft : TDetailsGrid::Teachers;
  if (draft) pages_->setCurrentIndex(1);
  for (const auto& [g, hour] : {std::pair{kg, hours >> 8}, std::pair{tg, hours & 0xFF}}) {
    int col = 0, row = 0;
    DetailsCellOf(Vertical(), day, std::clamp(static_cast<int>(hour), 1, L), col, row);
    Grid(g)->FocusCell(col, row, true, false);
  }
  UpdateEdits(kSideKlass | kSideTeacher);
  InvalidateTables();
  FillFreeLessonLists(kAllSides);
}

TTableDetailsManeger::~TTableDetailsManeger() = default;

TDetailsView TTableDetailsManeger::View() const {
  TDetailsView v;
  v.Model = &model_;
  v.Var = &var_;
  v.Vertical = Vertical();
  v.TeachersWills = Wills();
  v.Klasses = ShownEntries(lists_.Lessons);
  v.Teachers = ShownEntries(lists_.Teachers);
  const QLocale locale;
  for (int d = 1; d <= 6; ++d) v.DayNames[static_cast<std::size_t>(d - 1)] = FromQt(locale.dayName(d, QLocale::ShortFormat));
  v.DecimalPoint = decimalPoint_;
  return v;
}

int TTableDetailsManeger::Wills() const { return model_.TeachersWills; }

// ---- form ----------------------------------------------------------------------------------

void TTableDetailsManeger::BuildForm() {
  resize(622, 370);
  auto readOnly = [this](int left, int help) {
    auto* e = new QLineEdit(this);
    e->setReadOnly(true);
    e->setGeometry(left, 8, 240, 21);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    e->setPalette(p);
    SetHelpContext(e, help);
    return e;
  };
  klassesEdit_ = readOnly(8, 190);
  teachersEdit_ = readOnly(252, 191);

  const TOrientationSwitch sw = MakeOrientationSwitch(this);
  switchPanel_ = sw.Panel;
  switch_ = sw.Slider;
  vertLabel_ = sw.Vert;
  horzLabel_ = sw.Horz;
  connect(switch_, &QSlider::valueChanged, this, &TTableDetailsManeger::SwitchChanged);

  pages_ = new QTabWidget(this);
  pages_->move(8, 37);
  SetHelpContext(pages_, 186);
  auto* fair = new QWidget;
  auto* draft = new QWidget;
  auto* free = new QWidget;
  pages_->addTab(fair, Ru("Чистовик"));
  pages_->addTab(draft, Ru("Черновик"));
  pages_->addTab(free, Ru("Нерасставленные уроки"));
  SetHelpContext(fair, 187);
  SetHelpContext(draft, 188);
  SetHelpContext(free, 189);

  for (int i = 0; i < kDetailsGridCount; ++i) {
    const auto g = static_cast<TDetailsGrid>(i);
    auto* grid = new TSchoolTable(IsDraftGrid(g) ? draft : fair);
    SetHelpContext(grid, kGridHelp[i]);
    grid->OnGetDateElement = [this, g](TSchoolTable&, int col, int row, THourElementRecord& rec) {
      rec = DetailsCellContent(View(), g, col, row);
    };
    grid->OnMouseDown = [this, g, grid](TGridBase&, Qt::MouseButton button, Qt::KeyboardModifiers mods, int x,
                                        int y) {
      grid->setProperty("pressX", x);
      grid->setProperty("pressY", y);
      if (mods != Qt::NoModifier) return;
      if (button == Qt::LeftButton && !IsDraftGrid(g)) {
        if (PrepareDrag(g, x, y)) grid->BeginDrag(false);
      } else if (button == Qt::RightButton) {
        if (QMenu* menu = PrepareMenu(g, x, y)) menu->popup(grid->viewport()->mapToGlobal(QPoint(x, y)));
      }
    };
    grid->OnDblClick = [this, g, grid](TGridBase&) {
      GridDoubleClicked(g, grid->property("pressX").toInt(), grid->property("pressY").toInt());
    };
    if (!IsDraftGrid(g)) {
      grid->OnDragOver = [this, g](TGridBase& target, TGridBase& source, int x, int y, bool& accept) {
        // Only within the grid where the drag began: its sub-columns are
        // the drag's klass (teacher) side.
        accept = &source == &target && CanDropAt(g, x, y);
      };
      grid->OnEndDrag = [this, g](TGridBase& source, TGridBase* target, int x, int y) {
        if (target == &source) DropAt(g, x, y);
      };
    }
    grids_[static_cast<std::size_t>(i)] = grid;
  }

  auto panel = [this](QWidget* page, QHeaderView*& header, QStandardItemModel*& model, bool klassSide) {
    auto* p = new QWidget(page);
    model = new QStandardItemModel(0, 0, p);
    header = new QHeaderView(Qt::Horizontal, p);
    header->setModel(model);
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    connect(header, &QHeaderView::sectionResized, this, [this, klassSide] { HeaderSectionResized(klassSide); });
    return p;
  };
  klassPanel_ = panel(free, klassHeader_, klassHeaderModel_, true);
  teacherPanel_ = panel(free, teacherHeader_, teacherHeaderModel_, false);

  fairMenu_ = new QMenu(this);
  draftMenu_ = new QMenu(this);
  SetHelpContext(fairMenu_, 160);
  for (QMenu* menu : {fairMenu_, draftMenu_}) {
    QAction* set = menu->addAction(Ru("Поставить урок"), this, &TTableDetailsManeger::CmdSetLesson);
    SetHelpContext(menu, 160);
    set->setData(161);
    if (menu == fairMenu_) menu->addAction(Ru("Перенести в черновик"), this, &TTableDetailsManeger::CmdToDraft)->setData(162);
    menu->addAction(Ru("Снять урок"), this, &TTableDetailsManeger::CmdRemove)->setData(163);
  }
  LayOut();
}

QAction* TTableDetailsManeger::MenuAction(bool draft, int item) const {
  const QList<QAction*> actions = (draft ? draftMenu_ : fairMenu_)->actions();
  if (draft && item == 2) item = 1;
  else if (draft && item == 1) return nullptr;
  return item >= 0 && item < actions.size() ? actions[item] : nullptr;
}

void TTableDetailsManeger::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  LayOut();
  BuildFreeLessonLists(kAllSides);
  FillFreeLessonLists(kAllSides);
}

void TTableDetailsManeger::LayOut() {
  const int w = width();
  const int h = height();
  const int left = std::max(w - 88, 500);
  switchPanel_->move(left, 1);
  vertLabel_->setGeometry(left + 42, 2, 40, 14);
  horzLabel_->setGeometry(left + 42, 20, 40, 14);
  pages_->resize(std::max(w - 17, 60), std::max(h - 45, 80));
  const int W = std::max(pages_->width() - 21, 20);
  const int H = std::max((pages_->height() - 54) / 2, 20);
  const int top = 4;
  for (QWidget* upper : {static_cast<QWidget*>(Grid(TDetailsGrid::Klasses)),
                         static_cast<QWidget*>(Grid(TDetailsGrid::KlassesDraft)), klassPanel_})
    upper->setGeometry(4, top, W, H);
  for (QWidget* lower : {static_cast<QWidget*>(Grid(TDetailsGrid::Teachers)),
                         static_cast<QWidget*>(Grid(TDetailsGrid::TeachersDraft)), teacherPanel_})
    lower->setGeometry(4, top + H + 12, W, H);
}

void TTableDetailsManeger::SwitchChanged(int position) {
  const uint8_t vertical = position == 0 ? 1 : 0;
  if (vertical == Shared().DetailsVertical) return;
  Shared().DetailsVertical = vertical;
  SetupTables();
  InvalidateTables();
}

void TTableDetailsManeger::UpdateEdits(uint16_t sides) {
  if (sides & kSideKlass) klassesEdit_->setText(ToQt(JoinedKlassNames(model_, lists_)));
  if (sides & kSideTeacher) teachersEdit_->setText(ToQt(JoinedTeacherNames(model_, lists_)));
}

// ---- grids ---------------------------------------------------------------------------------

void TTableDetailsManeger::SetupTables() {
  const bool vertical = Vertical();
  const int L = var_.LessonsPerDay();
  for (TSchoolTable* grid : grids_) {
    const int c = grid->HasCurrentCell() ? grid->Col() : 1;
    const int r = grid->HasCurrentCell() ? grid->Row() : 1;
    if (vertical) grid->SetColCount(L + 1);
    else grid->SetRowCount(L + 1);
    grid->SetSubRowsCnt(1);
    if (vertical) grid->SetRowCount(7);
    else grid->SetColCount(7);
    if (grid->FixedRows() < 1) grid->SetFixedRows(1);
    if (grid->FixedCols() < 1) grid->SetFixedCols(1);
    grid->SetDefaultColWidth(vertical ? 100 : 18);
    grid->SetDefaultRowHeight(vertical ? 20 : 27);
    for (int row = 1; row < grid->RowCount(); ++row) grid->SetRowHeights(row, 18);
    for (int col = 1; col < grid->ColCount(); ++col) grid->SetColWidths(col, vertical ? 80 : 91);
    // The current cell is transposed with the grid.
    const int newRow = c < grid->RowCount() ? c : grid->Row();
    const int newCol = r < grid->ColCount() ? r : grid->Col();
    if (newCol >= 1 && newRow >= 1 && newCol < grid->ColCount() && newRow < grid->RowCount())
      grid->FocusCell(newCol, newRow, true, false);
  }
}

void TTableDetailsManeger::InvalidateTables() {
  for (TSchoolTable* g : grids_) g->Redraw();
}

void TTableDetailsManeger::RepaintSide(bool klassSide) {
  for (int i = 0; i < kDetailsGridCount; ++i)
    if (IsKlassGrid(static_cast<TDetailsGrid>(i)) == klassSide) grids_[static_cast<std::size_t>(i)]->Redraw();
}

void TTableDetailsManeger::RepaintDay(bool draft, int) {
  // Cheap enough to repaint the grids whole; the day is kept for clarity.
  for (int i = 0; i < kDetailsGridCount; ++i)
    if (IsDraftGrid(static_cast<TDetailsGrid>(i)) == draft) grids_[static_cast<std::size_t>(i)]->Redraw();
}

TTableDetailsManeger::Hit TTableDetailsManeger::HitAt(TDetailsGrid g, int x, int y) const {
  Hit h;
  const TSchoolTable* grid = Grid(g);
  const TGridCoord cell = grid->MouseToCell(x, y);
  if (cell.X < 1 || cell.Y < 1) return h;
  DetailsDayHour(Vertical(), cell.X, cell.Y, h.day, h.hour);
  if (h.day < 1 || h.day > 6 || h.hour < 1 || h.hour > var_.LessonsPerDay()) return h;
  const int n = static_cast<int>(ShownEntries(IsKlassGrid(g) ? lists_.Lessons : lists_.Teachers).size());
  const QRect rect = grid->GetCellRect(cell.X, cell.Y);
  h.entry = DetailsSubColumn(rect.left(), rect.width(), n, x);
  h.col = cell.X;
  h.row = cell.Y;
  h.ok = h.entry >= 0;
  return h;
}

void TTableDetailsManeger::CellOfHit(TDetailsGrid g, const Hit& h, int& klass, int& teacher, int& lesson,
                                     int& position) const {
  klass = teacher = lesson = -1;
  position = h.hour;
  const bool draft = IsDraftGrid(g);
  if (IsKlassGrid(g)) {
    klass = lists_.Lessons[static_cast<std::size_t>(h.entry)].A;
    lesson = (draft ? var_.GetDraftCell(klass, h.day, h.hour) : var_.GetCell(klass, h.day, h.hour)).Lesson;
    return;
  }
  teacher = lists_.Teachers[static_cast<std::size_t>(h.entry)].A;
  int k = -1, group = -1, links = 0, p = 0;
  if (!draft) {
    if (var_.FindTeacherLesson(teacher, h.hour, h.day, k, group, links)) {
      klass = k;
      lesson = var_.GetCell(k, h.day, h.hour).Lesson;
    }
  } else if (var_.FindTeacherDraftLesson(teacher, h.hour, h.day, p, k, group, links)) {
    klass = k;
    position = p;
    lesson = var_.GetDraftCell(k, h.day, p).Lesson;
  }
}

// ---- unplaced lessons ------------------------------------------------------------------------

void TTableDetailsManeger::BuildFreeLessonLists(uint16_t flags) {
  building_ = true;
  for (bool klassSide : {true, false}) {
    if (!(flags & (klassSide ? kSideKlass : kSideTeacher))) continue;
    if (flags & (klassSide ? kRecreateKlass : kRecreateTeacher)) {
      QStandardItemModel* model = klassSide ? klassHeaderModel_ : teacherHeaderModel_;
      std::vector<QTreeWidget*>& views = klassSide ? klassViews_ : teacherViews_;
      QWidget* panel = klassSide ? klassPanel_ : teacherPanel_;
      for (QTreeWidget* v : views) delete v;
      views.clear();
      const std::vector<int> shown = ShownEntries(klassSide ? lists_.Lessons : lists_.Teachers);
      model->clear();
      model->setColumnCount(static_cast<int>(shown.size()));
      for (std::size_t i = 0; i < shown.size(); ++i) {
        const int e = shown[i];
        const std::string name = klassSide ? model_.Klasses[e]->DisplayName() : model_.Teachers[e]->DisplayName();
        model->setHorizontalHeaderItem(static_cast<int>(i), new QStandardItem(ToQt(name)));
        auto* view = new QTreeWidget(panel);
        view->setColumnCount(2);
        view->setHeaderHidden(true);
        view->setRootIsDecorated(false);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        SetHelpContext(view, 189);
        const int index = static_cast<int>(i);
        connect(view, &QTreeWidget::itemDoubleClicked, this, [this, klassSide, index, view](QTreeWidgetItem* item) {
          FreeLessonActivated(klassSide, index, view->indexOfTopLevelItem(item));
        });
        view->show();
        views.push_back(view);
      }
    }
    LayOutViews(klassSide, false);
  }
  building_ = false;
}

void TTableDetailsManeger::LayOutViews(bool klassSide, bool afterDrag) {
  QWidget* panel = klassSide ? klassPanel_ : teacherPanel_;
  QHeaderView* header = klassSide ? klassHeader_ : teacherHeader_;
  std::vector<QTreeWidget*>& views = klassSide ? klassViews_ : teacherViews_;
  header->setGeometry(0, 0, panel->width(), kHeaderHeight);
  const int s = static_cast<int>(views.size());
  if (!afterDrag && s > 0) {
    const QSignalBlocker block(header);
    const int cw = panel->width();
    int used = 0;
    for (int i = 0; i < s; ++i) {
      int w = i + 1 < s ? cw / s : cw - used;
      w = std::clamp(w, 50, std::max(cw, 50));
      header->resizeSection(i, w);
      used += w;
    }
  }
  for (int i = 0; i < s; ++i) {
    QTreeWidget* v = views[static_cast<std::size_t>(i)];
    const int left = header->sectionViewportPosition(i);
    const int w = header->sectionSize(i);
    v->setGeometry(left, kHeaderHeight, w, std::max(panel->height() - kHeaderHeight, 10));
    v->setColumnWidth(0, afterDrag ? w / 2 : w / 10 * 6);
    v->setColumnWidth(1, w / 10 * 3);
  }
}

void TTableDetailsManeger::HeaderSectionResized(bool klassSide) {
  if (building_) return;
  LayOutViews(klassSide, true);
}

void TTableDetailsManeger::FillFreeLessonLists(uint16_t flags) {
  for (bool klassSide : {true, false}) {
    if (!(flags & (klassSide ? kSideKlass : kSideTeacher))) continue;
    const std::vector<int> shown = ShownEntries(klassSide ? lists_.Lessons : lists_.Teachers);
    const std::vector<QTreeWidget*>& views = klassSide ? klassViews_ : teacherViews_;
    for (std::size_t i = 0; i < shown.size() && i < views.size(); ++i) {
      QTreeWidget* v = views[i];
      v->clear();
      const auto rows = klassSide ? KlassFreeLessons(model_, var_, shown[i]) : TeacherFreeLessons(model_, var_, shown[i]);
      for (const TFreeLessonRow& r : rows) {
        auto* item = new QTreeWidgetItem(v, QStringList{ToQt(r.Caption), ToQt(r.Blocks)});
        item->setData(0, Qt::UserRole, r.Lesson);
      }
    }
  }
}

// ---- re-focus --------------------------------------------------------------------------------

bool TTableDetailsManeger::Refocus(int klass, int lesson) {
  if (klass < 0 || klass >= model_.Klasses.Count() || !model_.KlassLesson(klass, lesson)) return false;
  TLinkedLists fresh;
  // A cut set would show and move only part of the lessons.
  if (!model_.Klasses.CollectLinkedLessons(klass, lesson, fresh)) return false;
  MsgParam flags = 0;
  for (int i = 0; i < kMaxLinked; ++i) {
    if (fresh.Lessons[static_cast<std::size_t>(i)].A != lists_.Lessons[static_cast<std::size_t>(i)].A)
      flags |= kDetailsKlassSide;
    if (fresh.Teachers[static_cast<std::size_t>(i)].A != lists_.Teachers[static_cast<std::size_t>(i)].A)
      flags |= kDetailsTeacherSide;
  }
  if (!flags) return false;
  lists_ = fresh;
  postMessage(this, kMsgDetailsRebuild, flags);
  return true;
}

void TTableDetailsManeger::GridDoubleClicked(TDetailsGrid g, int x, int y) {
  const Hit h = HitAt(g, x, y);
  if (!h.ok) return;
  const TSchoolTable* grid = Grid(g);
  if (grid->Col() != h.col || grid->Row() != h.row) return;
  int klass = -1, teacher = -1, lesson = -1, position = 0;
  CellOfHit(g, h, klass, teacher, lesson, position);
  if (lesson < 0) {
    if (IsKlassGrid(g)) {
      if (model_.Klasses[klass]->Lessons.Count() == 0) return;
      lesson = 0;
    } else {
      const TRTITeacherItem* t = model_.Teachers[teacher];
      if (t->Lessons.Count() == 0) return;
      const TRTILessonItem* copy = t->Lessons[0];
      const int group = copy->GroupOfTeacher(teacher);
      if (group < 0) return;
      klass = copy->RT[static_cast<std::size_t>(group)].Klass;
      lesson = copy->RT[static_cast<std::size_t>(group)].KlassLesson;
    }
  }
  Refocus(klass, lesson);
}

void TTableDetailsManeger::FreeLessonActivated(bool klassSide, int view, int index) {
  const std::vector<QTreeWidget*>& views = klassSide ? klassViews_ : teacherViews_;
  if (view < 0 || view >= static_cast<int>(views.size())) return;
  const QTreeWidgetItem* item = views[static_cast<std::size_t>(view)]->topLevelItem(index);
  if (!item) return;
  const int j = item->data(0, Qt::UserRole).toInt();
  if (klassSide) {
    Refocus(lists_.Lessons[static_cast<std::size_t>(view)].A, j);
    return;
  }
  const int teacher = lists_.Teachers[static_cast<std::size_t>(view)].A;
  const TRTILessonItem* copy = model_.TeacherLesson(teacher, j);
  if (!copy) return;
  const int group = copy->GroupOfTeacher(teacher);
  if (group < 0) return;
  const TRTIGroup& rt = copy->RT[static_cast<std::size_t>(group)];
  if (rt.Klass < 0) return;
  Refocus(rt.Klass, rt.KlassLesson);
}

MsgResult TTableDetailsManeger::handleMessage(uint32_t msg, MsgParam w, MsgParam) {
  if (msg != kMsgDetailsRebuild) return 0;
  if (w & kDetailsKlassSide) {
    BuildFreeLessonLists(kSideKlass | kRecreateKlass);
    UpdateEdits(kSideKlass);
    RepaintSide(true);
    FillFreeLessonLists(kSideKlass);
  }
  if (w & kDetailsTeacherSide) {
    BuildFreeLessonLists(kSideTeacher | kRecreateTeacher);
    UpdateEdits(kSideTeacher);
    RepaintSide(false);
    FillFreeLessonLists(kSideTeacher);
  }
  return 0;
}

// ---- closing ---------------------------------------------------------------------------------

void TTableDetailsManeger::closeEvent(QCloseEvent* e) {
  // The main window frees this window when it leaves planning mode.
  e->ignore();
  const MsgResult answer = sendToTag(kTagVariantWindow, kMsgVarModified, kVarModifiedSaveQuery);
  if (answer == kQueryCancelled) return;
  Frame(this)->hide();
  postToTag(kTagMainWindow, kMsgLeavePlanning);
}

// ---- editing ---------------------------------------------------------------------------------

QMenu* TTableDetailsManeger::PrepareMenu(TDetailsGrid g, int x, int y) {
  const Hit h = HitAt(g, x, y);
  if (!h.ok) return nullptr;
  int klass = -1, teacher = -1, lesson = -1, position = 0;
  CellOfHit(g, h, klass, teacher, lesson, position);
  const bool draft = IsDraftGrid(g);
  if (lesson < 0) {
    bool closed = false;
    if (IsKlassGrid(g))
      closed = draft ? KlassDayFull(model_, klass, h.day)
                     : model_.Klasses[klass]->IsSlotClosed((h.day - 1) * kSlotsPerDay + h.hour, -1);
    else
      closed = draft ? TeacherDayFull(model_, teacher, h.day)
                     : TeacherHourClosedAt(model_, teacher, h.day, h.hour, Wills());
    if (closed) return nullptr;
  }
  click_ = {g, klass, teacher, position, h.day, lesson};
  if (IsKlassGrid(g)) click_.klass = klass;
  const bool full = IsKlassGrid(g) ? KlassDayFull(model_, klass, h.day) : TeacherDayFull(model_, teacher, h.day);
  MenuAction(draft, 0)->setEnabled(lesson < 0);
  if (!draft) MenuAction(false, 1)->setEnabled(lesson >= 0 && !full);
  MenuAction(draft, 2)->setEnabled(lesson >= 0);
  Grid(g)->FocusCell(h.col, h.row, true, false);
  return draft ? draftMenu_ : fairMenu_;
}

void TTableDetailsManeger::AfterPlacement(bool draft) {
  model_.Teachers.PrepareDaySlots(click_.day);
  model_.Teachers.BuildGroups(var_, false, click_.day);
  RepaintDay(draft, click_.day);
  BuildFreeLessonLists(kAllSides);
  FillFreeLessonLists(kAllSides);
  SetVarModified(true);
}

void TTableDetailsManeger::CmdSetLesson() {
  const ClickState c = click_;
  const bool draft = IsDraftGrid(c.grid);
  const bool klassSide = IsKlassGrid(c.grid);
  int hour = c.hour;
  if (draft) {
    hour = klassSide ? FirstFreeKlassDraft(var_, c.klass, c.day, c.hour)
                     : FirstFreeTeacherDraft(var_, c.teacher, c.day, c.hour);
    hour = std::min(hour, c.hour);
    click_.hour = hour;
  }
  QPointer<TTableDetailsManeger> self(this);
  if (klassSide) RunPopSetLsn(this, var_, c.klass, hour, draft, c.day);
  else RunPopTchLsn(this, var_, c.teacher, hour, draft, c.day);
  // Freed while the pop-up was open: the variant is no longer ours to show.
  if (!self) return;
  AfterPlacement(draft);
  if (draft) RepaintDay(false, c.day);
}

void TTableDetailsManeger::CmdToDraft() {
  const ClickState c = click_;
  if (IsDraftGrid(c.grid) || c.klass < 0) return;
  const TTableCell cell = var_.GetCell(c.klass, c.day, c.hour);
  if (cell.Lesson < 0) return;
  const int L = var_.LessonsPerDay();
  const int n = var_.CountLessonInFair(c.klass, cell.Lesson, c.day);
  TLinkedLists lists;
  if (!model_.Klasses.CollectLinkedLessons(c.klass, cell.Lesson, lists)) return;
  for (int i = 0; i < lists.TeacherCount(); ++i) {
    const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
    const int f = FirstFreeTeacherDraft(var_, t, c.day, L);
    if (L - f + 1 < n) {
      ShowErrMsgText(OwnerOf(this), LoadResStr(10172) + model_.Teachers[t]->DisplayName() + LoadResStr(10166),
                     kBoxOk);
      return;
    }
  }
  int start = 1;
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const int k = lists.Lessons[static_cast<std::size_t>(i)].A;
    const int f = FirstFreeKlassDraft(var_, k, c.day, L);
    if (L - f + 1 < n) {
      ShowErrMsgText(OwnerOf(this), LoadResStr(10173) + model_.Klasses[k]->DisplayName() + LoadResStr(10166), kBoxOk);
      return;
    }
    if (k == c.klass) start = f;
  }
  if (!var_.RemoveLesson(c.klass, cell.Lesson, true, c.day, c.day, start)) return;
  RepaintDay(false, c.day);
  RepaintDay(true, c.day);
  BuildFreeLessonLists(kAllSides);
  FillFreeLessonLists(kAllSides);
  SetVarModified(true);
}

void TTableDetailsManeger::CmdRemove() {
  const ClickState c = click_;
  if (c.klass < 0) return;
  const bool draft = IsDraftGrid(c.grid);
  const TTableCell cell = draft ? var_.GetDraftCell(c.klass, c.day, c.hour) : var_.GetCell(c.klass, c.day, c.hour);
  if (cell.Lesson < 0) return;
  if (!var_.RemoveLesson(c.klass, cell.Lesson, false, 0, c.day, 0)) return;
  RepaintDay(draft, c.day);
  BuildFreeLessonLists(kAllSides);
  FillFreeLessonLists(kAllSides);
  SetVarModified(true);
}

bool TTableDetailsManeger::PrepareDrag(TDetailsGrid g, int x, int y) {
  if (IsDraftGrid(g)) return false;
  const Hit h = HitAt(g, x, y);
  if (!h.ok) return false;
  int klass = -1, teacher = -1, lesson = -1, position = 0;
  CellOfHit(g, h, klass, teacher, lesson, position);
  if (lesson < 0 || var_.GetCell(klass, h.day, h.hour).PrevHour != -1) return false;
  drag_.Klass = klass;
  if (!IsKlassGrid(g)) drag_.Teacher = teacher;
  drag_.Hour = h.hour;
  drag_.Lesson = lesson;
  drag_.Day = h.day;
  return true;
}

bool TTableDetailsManeger::CanDropAt(TDetailsGrid g, int x, int y) const {
  if (IsDraftGrid(g) || drag_.Klass < 0) return false;
  const Hit h = HitAt(g, x, y);
  if (!h.ok) return false;
  if (IsKlassGrid(g)) {
    if (lists_.Lessons[static_cast<std::size_t>(h.entry)].A != drag_.Klass) return false;
  } else if (lists_.Teachers[static_cast<std::size_t>(h.entry)].A != drag_.Teacher) {
    return false;
  }
  return CanMoveBlock(model_, var_, Wills(), drag_, h.day, h.hour);
}

bool TTableDetailsManeger::DropAt(TDetailsGrid g, int x, int y) {
  if (!CanDropAt(g, x, y)) return false;
  const Hit h = HitAt(g, x, y);
  const int moved = MoveBlock(model_, var_, Wills(), drag_, h.day, h.hour);
  if (moved == 0) return false;
  RepaintDay(false, h.day);
  Grid(g)->FocusCell(h.col, h.row, true, false);
  drag_ = {};
  SetVarModified(true);
  return true;
}

}  // namespace korvant
