#include "reports/zamesh_journal_dlg.h"

#include <QDateEdit>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>
#include <cstdint>

#include "controls/bit_btn.h"
#include "controls/prg_string_grid.h"
#include "controls/sel_date_dlg.h"
#include "controls/speed_button.h"
#include "core/common/catalogue.h"
#include "core/variant/var_file.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {

constexpr int kHelpContext = 600;
constexpr int kMsgDeleteRecord = 10046;
constexpr int kMsgLessonNotFound = 10157;
constexpr int kMsgFirstColumnTitle = 10320;
constexpr int kMsgFirstReason = 10336;
constexpr int kReasons = 4;

const QDate& DateBase() {
  static const QDate base(1899, 12, 30);
  return base;
}

QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

void* ObjectOf(uint32_t v) { return reinterpret_cast<void*>(static_cast<uintptr_t>(v)); }
uint32_t ObjectValue(void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void CentreOnScreen(QWidget* w) {
  QScreen* screen = w->parentWidget() ? w->parentWidget()->screen() : w->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

TPrgBitBtn* MakeButton(QWidget* parent, TBitBtnKind kind, const char* caption, const char* hint, QRect r) {
  auto* b = new TPrgBitBtn(kind, Ru(caption), parent);
  b->setGeometry(r);
  b->setToolTip(Ru(hint));
  return b;
}

TPrgBitBtn* AddHelpButton(QWidget* parent, QRect r) {
  auto* b = MakeButton(parent, TBitBtnKind::bkCustom, "Справка", "Справка по диалогу", r);
  b->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  b->SetNumGlyphs(2);
  SetHelpContext(b, kHelpContext);
  QObject::connect(b, &TPrgBitBtn::Clicked, b, [] { ShowHelpContext(kHelpContext); });
  return b;
}

QListWidget* AddList(QWidget* parent, const char* caption, int x) {
  auto* label = NewLabel(Ru(caption), parent);
  label->move(x, 8);
  auto* list = new QListWidget(parent);
  list->setGeometry(x, 26, 209, 201);
  return list;
}

// Changes the journal does not manage to store are never dropped without
// the user's word.
constexpr const char* kUnsavedQuestion =
    "Изменения в журнале замещений за этот день не сохранены. Продолжить без сохранения?";

}  // namespace

double ZameshDateOf(const QDate& d) { return static_cast<double>(DateBase().daysTo(d)); }
QDate QDateOfZamesh(double date) { return DateBase().addDays(static_cast<qint64>(ZameshWholeDay(date))); }

// ---- TIllTeacherDlg ----

TIllTeacherDlg::TIllTeacherDlg(QWidget* owner, const TTableVarItem& var, int weekday)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      var_(var),
      weekday_(weekday) {
  setWindowTitle(Ru("Замещаются уроки"));
  setFixedSize(448, 275);
  SetHelpContext(this, kHelpContext);
  teachers_ = AddList(this, "Отсутствующий учитель:", 8);
  lessons_ = AddList(this, "Замещаемые уроки:", 225);
  auto* yes = MakeButton(this, TBitBtnKind::bkOK, "Да", "Подтвердить", QRect(40, 240, 80, 25));
  yes->SetDefault(true);
  MakeButton(this, TBitBtnKind::bkCancel, "Отмена", "Отменить", QRect(184, 240, 80, 25));
  AddHelpButton(this, QRect(328, 240, 80, 25));

  for (const std::string& name : VariantTeacherNames(var_)) teachers_->addItem(ToQt(name));
  if (teachers_->count() > 0) teachers_->setCurrentRow(0);
  connect(teachers_, &QListWidget::currentRowChanged, this, [this] { FillLessons(); });
  FillLessons();
  CentreOnScreen(this);
}

void TIllTeacherDlg::FillLessons() {
  lessons_->clear();
  day_.clear();
  const int t = teachers_->currentRow();
  if (t < 0) return;
  day_ = TeacherDay(var_, t, weekday_);
  for (std::size_t i = 0; i < day_.size(); ++i) {
    auto* item = new QListWidgetItem(ToQt(JournalDayLine(static_cast<int>(i) + 1, day_[i])), lessons_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setData(Qt::UserRole, day_[i].Found ? 1 : 0);
  }
}

std::vector<bool> TIllTeacherDlg::Ticked() const {
  std::vector<bool> t;
  for (int i = 0; i < lessons_->count(); ++i) t.push_back(lessons_->item(i)->checkState() == Qt::Checked);
  return t;
}

// ---- THealthTeacherDlg ----

THealthTeacherDlg::THealthTeacherDlg(QWidget* owner, const TSubstituteContext& ctx, const TExclusionTable& exclusion,
                                     int teachersWills)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint), ctx_(ctx) {
  setWindowTitle(Ru("Замещающий учитель"));
  setFixedSize(448, 307);
  SetHelpContext(this, kHelpContext);
  label_ = NewLabel(Ru("Замещаемый урок"), this);
  label_->move(8, 11);
  lesson_ = new QLineEdit(this);
  lesson_->setReadOnly(true);
  lesson_->setGeometry(150, 8, 290, 21);
  auto* l1 = NewLabel(Ru("Возможные заместители:"), this);
  l1->move(8, 40);
  list_ = new QListWidget(this);
  list_->setGeometry(8, 58, 209, 201);
  auto* l2 = NewLabel(Ru("Расписание заместителя:"), this);
  l2->move(225, 40);
  day_ = new QListWidget(this);
  day_->setGeometry(225, 58, 209, 201);
  auto* yes = MakeButton(this, TBitBtnKind::bkOK, "Да", "Подтвердить", QRect(40, 272, 80, 25));
  yes->SetDefault(true);
  MakeButton(this, TBitBtnKind::bkCancel, "Отмена", "Отменить", QRect(184, 272, 80, 25));
  AddHelpButton(this, QRect(328, 272, 80, 25));

  candidates_ = RankSubstitutes(ctx_, exclusion, teachersWills);
  for (const TSubstituteCandidate& c : candidates_) list_->addItem(ToQt(c.Text));
  if (list_->count() > 0) list_->setCurrentRow(0);
  connect(list_, &QListWidget::currentRowChanged, this, [this] { ShowCandidateDay(); });
  CentreOnScreen(this);
}

void THealthTeacherDlg::SetLesson(const TZameshRow& row) {
  label_->setText(Ru("Замещаемый урок") + " (" + ToQt(row.Texts[kZamLesson]) + "):");
  label_->adjustSize();
  lesson_->setText(ToQt(row.Texts[kZamAbsent] + ", " + row.Texts[kZamSubject] + ", " + row.Texts[kZamKlass]));
}

const TSubstituteCandidate* THealthTeacherDlg::Selected() const {
  const int r = list_->currentRow();
  if (r < 0 || r >= static_cast<int>(candidates_.size()) || list_->selectedItems().isEmpty()) return nullptr;
  return &candidates_[static_cast<std::size_t>(r)];
}

void THealthTeacherDlg::ShowCandidateDay() {
  day_->clear();
  const TSubstituteCandidate* c = Selected();
  if (!c || !ctx_.Var) return;
  const auto day = TeacherDay(*ctx_.Var, c->Teacher, ctx_.Weekday);
  for (std::size_t i = 0; i < day.size(); ++i)
    day_->addItem(ToQt(JournalDayLine(static_cast<int>(i) + 1, day[i])));
}

// ---- TViewZameshDlg ----

TViewZameshDlg::TViewZameshDlg(QWidget* owner, TZameshArchive& archive, const TTableVarItem& var,
                               int teachersWills, const QDate& today)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      archive_(archive),
      var_(var),
      teachersWills_(teachersWills) {
  setWindowTitle(Ru("Журнал замещений"));
  setFixedSize(529, 348);
  SetHelpContext(this, kHelpContext);

  auto* dateLabel = NewLabel(Ru("Дата:"), this);
  dateLabel->move(8, 11);
  picker_ = new QDateEdit(this);
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  picker_->setLocale(ru);
  picker_->setDisplayFormat(ru.dateFormat(QLocale::ShortFormat));
  picker_->setCalendarPopup(true);
  // A date typed digit by digit passes through other dates on the way
  // ("3" of "30"); each would leave the shown day (storing it, asking
  // when it cannot be stored). The day changes once the date is whole:
  // on Return or when the field is left; arrows and the calendar at once.
  picker_->setKeyboardTracking(false);
  picker_->setGeometry(48, 8, 120, 21);
  auto* dayLabel = NewLabel(Ru("День недели:"), this);
  dayLabel->move(300, 11);
  weekday_ = new QLineEdit(this);
  weekday_->setReadOnly(true);
  weekday_->setGeometry(390, 8, 131, 21);

  grid_ = new TPrgStringGrid(this);
  grid_->setGeometry(8, 38, 513, 265);
  grid_->SetColCount(kZameshColumns);
  grid_->SetFixedCols(0);
  grid_->SetFixedRows(1);
  grid_->SetRowCount(2);
  grid_->SetDefaultRowHeight(24);
  const int widths[kZameshColumns] = {40, 89, 82, 53, 41, 80, 101, 89, 135};
  for (int c = 0; c < kZameshColumns; ++c) grid_->SetColWidths(c, widths[c]);
  grid_->SetSelectedColor(Qt::yellow);
  grid_->SetCellTextAlignment(TAlignment::taCenter);
  grid_->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected |
                    goColSizing | goColMouseSizing | goEditing);

  grid_->OnEditCell = [](TPrgStringGrid& g, int col, int row, TInplaceType& kind) {
    kind = 0;
    if (g.Cells(kZamLesson, row).empty()) return;
    switch (col) {
      case kZamReason: kind = 5; break;
      case kZamSubstitute: kind = 4; break;
      case kZamTaught: kind = 6; break;
      case kZamNote: kind = 1; break;
      default: break;
    }
  };
  grid_->OnFillCombo = [this](TPrgStringGrid&, int col, int, std::vector<std::string>& items, std::string&) {
    if (col == kZamReason) {
      for (int i = 0; i < kReasons; ++i) items.push_back(LoadResStr(kMsgFirstReason + i));
    } else if (col == kZamTaught) {
      items = VariantSubjectNames(var_);
    }
  };
  grid_->OnSetEditText = [this](TPrgStringGrid&, int col, int row, bool, bool&, const std::string& value) {
    if (grid_->Cells(col, row) == value) return;
    SetModified();
    if (col == kZamSubstitute) {
      // The grid stores the text after this call; the table needs it now.
      std::vector<TZameshRow> rows = Rows();
      if (row >= 1 && row <= static_cast<int>(rows.size()))
        rows[static_cast<std::size_t>(row - 1)].Texts[kZamSubstitute] = value;
      BuildBusyTable(rows);
    }
  };
  grid_->OnBtnEditClick = [this](TPrgStringGrid& g, int col, int row, std::string& value) {
    if (col != kZamSubstitute) return;
    if (ChooseSubstitute(row)) value = g.Cells(kZamSubstitute, row);
  };

  add_ = new TPrgSpeedButton(this);
  add_->setGeometry(8, 312, 28, 28);
  add_->SetFlat(true);
  add_->SetCaption("+");
  add_->setToolTip(Ru("Добавить запись"));
  connect(add_, &TPrgSpeedButton::Clicked, this, [this] { AddRecords(); });
  del_ = new TPrgSpeedButton(this);
  del_->setGeometry(40, 312, 28, 28);
  del_->SetFlat(true);
  del_->SetCaption("-");
  del_->setToolTip(Ru("Удалить запись"));
  connect(del_, &TPrgSpeedButton::Clicked, this, [this] { DeleteRecord(); });

  report_ = MakeButton(this, TBitBtnKind::bkCustom, "Отчет", "Отчет за период", QRect(265, 314, 80, 25));
  connect(report_, &TPrgBitBtn::Clicked, this, &TViewZameshDlg::ReportShow);
  close_ = MakeButton(this, TBitBtnKind::bkCustom, "Закрыть", "Закрыть диалог", QRect(353, 314, 80, 25));
  close_->SetModalResult(mrOk);
  SetCloseResult(mrOk);
  help_ = AddHelpButton(this, QRect(441, 314, 80, 25));

  picker_->setDate(today);
  connect(picker_, &QDateEdit::dateChanged, this, &TViewZameshDlg::DateChanged);
  DateChanged(today);
  for (int c = 0; c < kZameshColumns; ++c) grid_->SetCells(c, 0, LoadResStr(kMsgFirstColumnTitle + c));
  // The widths above are for a smaller font than the user may have, and
  // too narrow for many a school's rooms and reasons.
  grid_->SetFitColumnsToTexts(true);
  grid_->SetLeftCol(0);
  grid_->SetTopRow(1);
  grid_->FocusCell(0, 1, true);
  CentreOnScreen(this);
}

std::vector<TZameshRow> TViewZameshDlg::Rows() const {
  std::vector<TZameshRow> rows;
  for (int r = 1; r < grid_->RowCount(); ++r) {
    TZameshRow row;
    for (int c = 0; c < kZameshColumns; ++c) {
      row.Texts[static_cast<std::size_t>(c)] = grid_->Cells(c, r);
      row.Objects[static_cast<std::size_t>(c)] = ObjectValue(grid_->Objects(c, r));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void TViewZameshDlg::ShowRows(const std::vector<TZameshRow>& rows) {
  grid_->HideEditor();
  const int col = grid_->Col(), row = grid_->Row();
  grid_->BeginUpdate();
  grid_->SetRowCount(static_cast<int>(std::max<std::size_t>(rows.size(), 1)) + 1);
  for (int r = 1; r < grid_->RowCount(); ++r) {
    const TZameshRow empty;
    const TZameshRow& src = r <= static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(r - 1)] : empty;
    for (int c = 0; c < kZameshColumns; ++c) {
      grid_->SetCells(c, r, src.Texts[static_cast<std::size_t>(c)]);
      grid_->SetObjects(c, r, ObjectOf(src.Objects[static_cast<std::size_t>(c)]));
    }
  }
  grid_->EndUpdate();
  if (row >= 1 && row < grid_->RowCount() && col >= 0 && col < grid_->ColCount()) return;
  grid_->FocusCell(0, 1, true);
}

void TViewZameshDlg::ShowWeekday(const QDate& d) {
  QString name = QLocale(QLocale::Russian, QLocale::Russia).dayName(d.dayOfWeek(), QLocale::LongFormat);
  if (!name.isEmpty()) name[0] = name[0].toUpper();
  weekday_->setText(name);
}

void TViewZameshDlg::DateChanged(const QDate& d) {
  if (revertingDate_) return;
  if (!LeaveDay()) {
    // The day whose changes could not be stored stays on screen.
    revertingDate_ = true;
    picker_->setDate(QDateOfZamesh(shownDate_));
    revertingDate_ = false;
    return;
  }
  ShowWeekday(d);
  LoadDay(ZameshDateOf(d));
}

bool TViewZameshDlg::LeaveDay() {
  if (!modified_) return true;
  grid_->EndEditing();
  const ZameshSaveResult res = archive_.SaveDay(shownDate_, Rows(), this);
  if (res == ZameshSaveResult::Saved || res == ZameshSaveResult::Freed || res == ZameshSaveResult::Unchanged) {
    entry_ = archive_.FindEntry(shownDate_);
    modified_ = false;
    return true;
  }
  // The archive has told why; the day's rows are still only on screen.
  return ShowErrMsgText(this, cp1251::fromUtf8(kUnsavedQuestion), kBoxYesNo) == kResYes;
}

void TViewZameshDlg::LoadDay(double date) {
  if (date == shownDate_) return;
  shownDate_ = date;
  entry_ = archive_.FindEntry(date);
  const std::vector<TZameshRow> rows = archive_.LoadDay(date);
  ShowRows(rows);
  grid_->SetLeftCol(0);
  grid_->SetTopRow(1);
  grid_->FocusCell(0, 1, true);
  BuildBusyTable(rows);
  modified_ = false;
}

void TViewZameshDlg::BuildBusyTable(const std::vector<TZameshRow>& rows) {
  exclusion_ = BuildExclusionTable(rows, VariantTeacherNames(var_));
}

void TViewZameshDlg::SetModified() { modified_ = true; }

bool TViewZameshDlg::CloseQuery() {
  if (!LeaveDay()) return false;
  // Nothing is left to save: a discarded day must not be saved later.
  modified_ = false;
  return true;
}

void TViewZameshDlg::AddRecords() {
  grid_->EndEditing();
  TIllTeacherDlg dlg(this, var_, ZameshWeekday(shownDate_));
  if (dlg.ShowModal() != mrOk) return;
  const int t = dlg.Teachers()->currentRow();
  const std::vector<std::string> names = VariantTeacherNames(var_);
  if (t < 0 || t >= static_cast<int>(names.size())) return;
  std::vector<TZameshRow> rows = Rows();
  AddAbsenceRows(rows, names[static_cast<std::size_t>(t)], dlg.Day(), dlg.Ticked());
  ShowRows(rows);
  SetModified();
  BuildBusyTable(rows);
}

void TViewZameshDlg::DeleteRecord() {
  const int row = grid_->Row();
  if (row < 1 || row >= grid_->RowCount() || grid_->Cells(kZamLesson, row).empty()) return;
  if (ShowErrMsg(this, kMsgDeleteRecord, kBoxYesNo) != kResYes) return;
  grid_->EndEditing();
  std::vector<TZameshRow> rows = Rows();
  if (!DeleteJournalRow(rows, row - 1)) return;
  ShowRows(rows);
  SetModified();
  BuildBusyTable(rows);
}

bool TViewZameshDlg::ChooseSubstitute(int row) {
  const std::vector<TZameshRow> rows = Rows();
  if (row < 1 || row > static_cast<int>(rows.size())) return false;
  const TZameshRow& src = rows[static_cast<std::size_t>(row - 1)];
  TSubstituteContext ctx;
  if (!LocateReplacedLesson(var_, src, ZameshWeekday(shownDate_), ctx)) {
    ShowErrMsg(this, kMsgLessonNotFound, kBoxOk);
    return false;
  }
  THealthTeacherDlg dlg(this, ctx, exclusion_, teachersWills_);
  dlg.SetLesson(src);
  dlg.ShowCandidateDay();
  if (dlg.ShowModal() != mrOk) return false;
  const TSubstituteCandidate* chosen = dlg.Selected();
  if (!chosen) return false;
  TZameshRow changed = src;
  ApplySubstitute(changed, *chosen, var_);
  grid_->SetCells(kZamSubstitute, row, changed.Texts[kZamSubstitute]);
  grid_->SetObjects(kZamSubstitute, row, ObjectOf(changed.Objects[kZamSubstitute]));
  SetModified();
  BuildBusyTable();
  return true;
}

// ---- the count report ----

namespace {

constexpr int kMsgNone = 10072;
constexpr int kMsgTeacher = 10169;
constexpr int kMsgJunior = 10340;
constexpr int kMsgSenior = 10343;

TPrgStringGrid* MakeCountGrid(QWidget* parent, const std::vector<int>& widths, const std::vector<std::string>& titles) {
  auto* g = new TPrgStringGrid(parent);
  g->SetColCount(static_cast<int>(widths.size()));
  g->SetFixedCols(0);
  g->SetFixedRows(1);
  g->SetRowCount(2);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    g->SetColWidths(static_cast<int>(c), widths[c]);
    g->SetCells(static_cast<int>(c), 0, titles[c]);
  }
  g->SetSelectedColor(Qt::yellow);
  g->SetCellTextAlignment(TAlignment::taCenter);
  g->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected);
  return g;
}

// Writes a row into the last grid row when that is still empty, else
// into a new row at the end.
void PutCountRow(TPrgStringGrid& g, const std::vector<std::string>& texts) {
  if (!g.Cells(0, g.RowCount() - 1).empty()) g.SetRowCount(g.RowCount() + 1);
  const int row = g.RowCount() - 1;
  for (std::size_t c = 0; c < texts.size(); ++c) g.SetCells(static_cast<int>(c), row, texts[c]);
}

// Widens the columns whose title or texts would be cut in this font, and
// answers the width the grid needs to show every column.
int FitCountColumns(TPrgStringGrid& g) {
  const QFontMetrics fm(g.font());
  int total = 0;
  for (int c = 0; c < g.ColCount(); ++c) {
    int w = g.ColWidths(c);
    for (int r = 0; r < g.RowCount(); ++r) w = std::max(w, fm.horizontalAdvance(ToQt(g.Cells(c, r))) + 12);
    g.SetColWidths(c, w);
    total += w + 1;
  }
  return total;
}

void FinishCountGrid(TPrgStringGrid& g) {
  if (g.Cells(0, 1).empty()) g.SetCells(0, 1, LoadResStr(kMsgNone));
  g.FocusCell(0, 1, true);
}

}  // namespace

TZamRprtDlg::TZamRprtDlg(QWidget* owner, double first, double last, const std::vector<TZameshTeacherCount>& counts)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  SetHelpContext(this, kHelpContext);
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  setWindowTitle(Ru("Пропуски и замещения: ") + ru.toString(QDateOfZamesh(first), QLocale::ShortFormat) +
                 QStringLiteral(" - ") + ru.toString(QDateOfZamesh(last), QLocale::ShortFormat));
  pages_ = new QTabWidget(this);
  const std::string junior = LoadResStr(kMsgJunior), senior = LoadResStr(kMsgSenior);
  const std::string group = cp1251::fromUtf8(" (гр.)");
  missed_ = MakeCountGrid(nullptr, {182, 108, 104}, {LoadResStr(kMsgTeacher), junior, senior});
  subst_ = MakeCountGrid(nullptr, {92, 75, 75, 75, 75},
                         {LoadResStr(kMsgTeacher), junior, junior + group, senior, senior + group});
  pages_->addTab(missed_, Ru("Пропуски"));
  pages_->addTab(subst_, Ru("Замещения"));

  auto num = [](int v) { return std::to_string(v); };
  for (const TZameshTeacherCount& c : counts) {
    if (c.Missed() != 0) PutCountRow(*missed_, {c.Name, num(c.MissedJunior), num(c.MissedOther)});
    if (c.Substituted() != 0)
      PutCountRow(*subst_, {c.Name, num(c.SubstJunior), num(c.SubstJuniorGroup), num(c.SubstOther),
                            num(c.SubstOtherGroup)});
  }
  FinishCountGrid(*missed_);
  FinishCountGrid(*subst_);
  // Column titles such as "5 - 11 кл. (гр.)" and long names are shown whole:
  // the dialog grows as wide as its wider sheet needs (within the screen).
  const int need = std::max(FitCountColumns(*missed_), FitCountColumns(*subst_)) + 30;
  int width = std::max(457, need + 16);
  if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
    width = std::min(width, std::max(457, screen->availableGeometry().width() - 40));
  setFixedSize(width, 280);
  pages_->setGeometry(8, 8, width - 16, 229);

  close_ = MakeButton(this, TBitBtnKind::bkCustom, "Закрыть", "Закрыть диалог", QRect(width - 176, 247, 80, 25));
  close_->SetModalResult(mrOk);
  SetCloseResult(mrOk);
  AddHelpButton(this, QRect(width - 88, 247, 80, 25));
  CentreOnScreen(this);
}

bool TViewZameshDlg::ShowCountReport(double first, double last) {
  first = ZameshWholeDay(first);
  last = ZameshWholeDay(last);
  if (last < first) last = first;
  // The report reads the archive: the day on screen goes there first.
  if (!LeaveDay()) return false;
  const std::vector<TZameshTeacherCount> counts = CountZamesh(archive_.Image(), first, last);
  TZamRprtDlg dlg(this, first, last, counts);
  dlg.ShowModal();
  return true;
}

void TViewZameshDlg::ReportShow() {
  grid_->EndEditing();
  double first = 0, last = 0;
  {
    TSelDateDlg period(this, false);
    if (!period.Run()) return;
    first = ZameshDateOf(period.FromDate());
    last = ZameshDateOf(period.ToDate());
  }
  ShowCountReport(first, last);
}

bool ViewZamesh(QWidget* owner, const TTableVarItem& var, int teachersWills, const std::filesystem::path& archivePath) {
  std::unique_ptr<TZameshArchive> archive = TZameshArchive::Open(archivePath, owner);
  if (!archive) return false;
  archive->TellReadOnly(owner);
  {
    TViewZameshDlg dlg(owner, *archive, var, teachersWills);
    dlg.ShowModal();
  }
  return true;
}

bool ViewZamesh(QWidget* owner, TVarDocument& doc) {
  return ViewZamesh(owner, doc.Var(), doc.Options.TeachersWills, ZameshArchivePath());
}

}  // namespace korvant
