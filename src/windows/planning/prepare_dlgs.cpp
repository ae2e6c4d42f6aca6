#include "windows/planning/prepare_dlgs.h"

#include <QPainter>

#include <algorithm>

#include "controls/bit_btn.h"
#include "controls/form_util.h"
#include "controls/grid_geometry.h"
#include "controls/prg_string_grid.h"
#include "core/common/catalogue.h"
#include "core/variant/rti_model.h"
#include "platform/help_service.h"
#include "windows/planning/group_man.h"

namespace korvant {

namespace {

// Row titles (catalogue messages) by row; 0 for rows left untitled.
const std::array<int, kPrepRows>& KlassTitles(TPrepKind kind) {
  static const std::array<int, kPrepRows> plain{0, 10130, 10131, 0, 10132, 10133, 0, 10134, 10135, 0, 0, 0};
  static const std::array<int, kPrepRows> opti{0, 10130, 10131, 0, 10132, 10133, 0, 10136, 0, 0, 0, 0};
  return kind == TPrepKind::Optimisation ? opti : plain;
}

const std::array<int, kPrepRows>& TeacherTitles(TPrepKind kind) {
  static const std::array<int, kPrepRows> plain{0, 10128, 10129, 0, 10130, 10131, 0, 10132, 10133, 0, 10134, 10135};
  static const std::array<int, kPrepRows> opti{0, 10128, 10129, 0, 10130, 10131, 0, 10132, 10133, 0, 10137, 0};
  return kind == TPrepKind::Optimisation ? opti : plain;
}

bool Separator(int row) { return row == 3 || row == 6 || row == 9; }

TPrgBitBtn* MakeButton(QWidget* parent, TBitBtnKind kind, const char* caption, const char* hint, int x, int y) {
  auto* b = new TPrgBitBtn(kind, Ru(caption), parent);
  b->setGeometry(x, y, 77, 25);
  b->setToolTip(Ru(hint));
  return b;
}

}  // namespace

TPrepareDlgBase::TPrepareDlgBase(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day,
                                 TPrepKind kind, int maxWindowsAtDay)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      model_(model),
      var_(var),
      day_(day),
      kind_(kind),
      maxWindows_(maxWindowsAtDay) {
  const bool opti = kind == TPrepKind::Optimisation;
  const int clientHeight = opti ? 283 : 279;
  const int helpContext = kind == TPrepKind::Placement ? 20 : opti ? 21 : 13;
  setFixedSize(514, clientHeight);
  SetHelpContext(this, helpContext);
  setWindowTitle(Ru(kind == TPrepKind::Control ? "Общий контроль" : "Подготовка данных") + QStringLiteral(": ") +
                 LongDayName(day));

  const int buttonsTop = clientHeight - 33;
  pages_ = new QTabWidget(this);
  pages_->setGeometry(8, 8, 497, buttonsTop - 16);
  auto* klassPage = new QWidget;
  auto* teacherPage = new QWidget;
  pages_->addTab(klassPage, Ru("Классы"));
  pages_->addTab(teacherPage, Ru("Учителя"));
  klassGrid_ = MakeGrid(klassPage, false, opti ? 132 : 148);
  teacherGrid_ = MakeGrid(teacherPage, true, opti ? 169 : 185);

  if (kind == TPrepKind::Control) {
    yes_ = MakeButton(this, TBitBtnKind::bkYes, "Закрыть", "Закрыть диалог", 178, buttonsTop);
    yes_->SetModalResult(mrYes);
    help_ = MakeHelpButton(this, Ru("Справка"), helpContext, helpContext);
    help_->setGeometry(272, buttonsTop, 77, 25);
  } else {
    yes_ = MakeButton(this, TBitBtnKind::bkYes, "Да    ", "Данные верны", 84, buttonsTop);
    yes_->SetModalResult(mrNone);  // closes after the figures were taken
    connect(yes_, &TPrgBitBtn::Clicked, this, &TPrepareDlgBase::OnYes);
    cancel_ = MakeButton(this, TBitBtnKind::bkCancel, "Отмена",
                         opti ? "Отменить расстановку уроков" : "Отменить подбор вариантов", 178, buttonsTop);
    cancel_->SetModalResult(mrCancel);
    restore_ = MakeButton(this, TBitBtnKind::bkCustom, "Вернуть", "Вернуться к исходным данным", 272, buttonsTop);
    restore_->setEnabled(false);
    connect(restore_, &TPrgBitBtn::Clicked, this, &TPrepareDlgBase::Restore);
    help_ = MakeHelpButton(this, Ru("Справка"), helpContext, helpContext);
    help_->setGeometry(366, buttonsTop, 77, 25);
  }
  help_->setToolTip(Ru("Справка по диалогу"));
}

TPrgStringGrid* TPrepareDlgBase::MakeGrid(QWidget* page, bool teachers, int height) {
  const bool opti = kind_ == TPrepKind::Optimisation;
  auto* g = new TPrgStringGrid(page);
  g->setGeometry(8, 8, 473, height);
  g->SetDefaultColWidth(66);
  g->SetDefaultRowHeight(16);
  const int rows = teachers ? (opti ? 11 : 12) : (opti ? 8 : 9);
  g->SetRowCount(rows);
  g->SetFixedRows(1);
  g->SetFixedCols(1);
  for (int r = 0; r < rows; ++r) g->SetRowHeights(r, Separator(r) ? 3 : 16);
  TPrgGridOptions o = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
  if (kind_ != TPrepKind::Control) o |= goEditing;
  g->SetOptions(o);
  g->SetDefaultDrawing(false);
  g->OnDrawCell = [this, g, teachers](TGridBase&, QPainter& p, int col, int row, const QRect& rect,
                                      TPrgGridDrawState) { DrawPrepCell(*g, teachers, p, col, row, rect); };
  TPrepTable& (*pick)(TPrepTables&, bool) = [](TPrepTables& t, bool tch) -> TPrepTable& {
    return tch ? t.Teachers : t.Klasses;
  };
  g->SetOnSelectCell([this, teachers, pick](TGridBase&, int col, int row, bool& can) {
    can = PrepCellEditable(kind_, pick(tables_, teachers), teachers, col - 1, row);
  });
  g->OnEditCell = [this, teachers, pick](TPrgStringGrid&, int col, int row, TInplaceType& type) {
    type = PrepCellEditable(kind_, pick(tables_, teachers), teachers, col - 1, row) ? 2 : 0;
  };
  // One digit 0..9; an emptied cell gets its former value back.
  g->OnGetEditMask = [](TPrgStringGrid&, int, int, std::string& mask) { mask = "9"; };
  g->OnGetEditText = [this](TPrgStringGrid& sender, int col, int row, int&, std::string& value) {
    before_ = sender.Cells(col, row).empty() ? "0" : sender.Cells(col, row);
    value = before_.substr(0, 1);
  };
  g->OnSetEditText = [this, teachers](TPrgStringGrid&, int col, int row, bool finalUpdate, bool& valid,
                                      const std::string& value) {
    valid = false;  // the cell is written from the table once the edit is taken
    if (!finalUpdate) return;
    if (cancelling_) {
      before_.clear();
      ShowTables();
    } else {
      EditCell(teachers, col - 1, row, value);
    }
  };
  // Esc in an open editor gives the cell its figure back; without an
  // editor it is the dialog's (its "Отмена").
  g->OnKeyDown = [this, g](TGridBase&, int& key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Escape || !g->EditorMode()) return;
    cancelling_ = true;
    g->EndEditing();
    cancelling_ = false;
    key = 0;
  };
  return g;
}

void TPrepareDlgBase::Fill() {
  shown_ = FillPrepareFigures(model_, var_, day_, kind_, maxWindows_);
  MarkPrepareColumns(model_, day_, kind_, shown_);
  tables_ = shown_;
  ShowTables();
  for (bool teachers : {false, true}) {
    TPrgStringGrid* g = teachers ? teacherGrid_ : klassGrid_;
    const TPrepTable& t = teachers ? tables_.Teachers : tables_.Klasses;
    const auto first = std::find(t.Marked.begin(), t.Marked.end(), 1);
    if (kind_ != TPrepKind::Control && first != t.Marked.end())
      g->FocusCell(static_cast<int>(first - t.Marked.begin()) + 1, PrepEditRow(teachers), true);
  }
}

void TPrepareDlgBase::ShowTables() {
  for (bool teachers : {false, true}) {
    TPrgStringGrid* g = teachers ? teacherGrid_ : klassGrid_;
    const TPrepTable& t = teachers ? tables_.Teachers : tables_.Klasses;
    const auto& titles = teachers ? TeacherTitles(kind_) : KlassTitles(kind_);
    g->BeginUpdate();
    g->SetColCount(t.Count() + 1);
    if (teachers)
      for (int c = 1; c <= t.Count(); ++c) g->SetColWidths(c, 133);
    for (int r = 1; r < g->RowCount(); ++r) g->SetCells(0, r, titles[static_cast<std::size_t>(r)] ? LoadResStr(titles[static_cast<std::size_t>(r)]) : std::string());
    for (int c = 0; c < t.Count(); ++c) {
      g->SetCells(c + 1, 0, t.Names[static_cast<std::size_t>(c)]);
      // The mark the variant window would leave in the name cell's object.
      g->SetObjects(c + 1, 0, t.Marked[static_cast<std::size_t>(c)] ? reinterpret_cast<void*>(1) : nullptr);
      // Only what changed: rewriting the current cell restarts its editor.
      for (int r = 1; r < g->RowCount(); ++r)
        if (g->Cells(c + 1, r) != t.At(c, r)) g->SetCells(c + 1, r, t.At(c, r));
    }
    g->FitFixedTexts();  // row titles and names whole, whatever the font
    g->EndUpdate();
  }
}

void TPrepareDlgBase::EditCell(bool teachers, int col, int row, const std::string& text) {
  TPrepTable& t = teachers ? tables_.Teachers : tables_.Klasses;
  const std::string before = before_.empty() ? (col >= 0 && col < t.Count() ? t.At(col, row) : "0") : before_;
  before_.clear();
  if (AcceptPrepEdit(kind_, t, teachers, col, row, text, before)) {
    changed_ = true;
    if (restore_) restore_->setEnabled(true);
  }
  ShowTables();
}

void TPrepareDlgBase::Restore() {
  klassGrid_->EndEditing();
  teacherGrid_->EndEditing();
  Fill();
  changed_ = false;
  if (restore_) restore_->setEnabled(false);
}

void TPrepareDlgBase::OnYes() {
  // A digit still in an editor counts as typed.
  klassGrid_->EndEditing();
  teacherGrid_->EndEditing();
  bool ok = true;
  if (kind_ == TPrepKind::Optimisation) ok = ApplyOptiFigures(model_, tables_);
  else if (kind_ == TPrepKind::Placement && changed_) ok = TakePrepareLimits(model_, shown_, tables_);
  if (ok) SetModalResult(mrYes);
}

void TPrepareDlgBase::DrawPrepCell(TPrgStringGrid& g, bool teachers, QPainter& p, int col, int row,
                                   const QRect& rect) {
  const QPalette& pal = g.palette();
  const TPrepTable& t = teachers ? tables_.Teachers : tables_.Klasses;
  QColor back(128, 128, 128);
  if (row == 0 || col == 0 || Separator(row)) back = pal.color(QPalette::Button);
  else if (PrepCellEditable(kind_, t, teachers, col - 1, row)) back = Qt::white;
  p.fillRect(rect, back);
  if (Separator(row)) {
    if (col > 0) {
      p.setPen(pal.color(QPalette::Light));
      p.drawLine(rect.topLeft(), rect.topRight());
      p.setPen(pal.color(QPalette::Dark));
      p.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    return;
  }
  p.setFont(g.font());
  const QFontMetrics fm(g.font());
  const QRect tr = rect.adjusted(2, 0, -2, 0);
  const std::string shown =
      FitWithEllipsis(g.Cells(col, row), [&](const std::string& s) { return fm.horizontalAdvance(ToQt(s)) <= tr.width(); });
  p.setPen(pal.color(QPalette::ButtonText));
  p.drawText(tr, Qt::AlignCenter | Qt::TextSingleLine, ToQt(shown));
}

TPrepareDataDlg::TPrepareDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day)
    : TPrepareDlgBase(owner, model, var, day, TPrepKind::Placement, 0) {
  Fill();
}

TPrepareOptiDlg::TPrepareOptiDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day,
                                 int maxWindowsAtDay)
    : TPrepareDlgBase(owner, model, var, day, TPrepKind::Optimisation, maxWindowsAtDay) {
  auto makeToggle = [this](int page, const char* off, const char* on, bool initially) {
    auto* b = new QPushButton(pages_->widget(page));
    b->setGeometry(8, 185, 209, 25);
    b->setCheckable(true);
    b->setChecked(initially);
    b->setText(Ru(initially ? on : off));
    connect(b, &QPushButton::toggled, this, [b, off, on](bool checked) { b->setText(Ru(checked ? on : off)); });
    return b;
  };
  klassToggle_ = makeToggle(0, "Минимум уроков", "Максимум уроков", false);
  teacherToggle_ = makeToggle(1, "Минимум \"окон\"", "Максимум \"окон\"", true);
  connect(klassToggle_, &QPushButton::toggled, this, [this](bool on) {
    klassGrid_->EndEditing();
    OptiKlassToggle(model_, tables_.Klasses, on);
    ShowTables();
  });
  connect(teacherToggle_, &QPushButton::toggled, this, [this](bool on) {
    teacherGrid_->EndEditing();
    OptiTeacherToggle(tables_.Teachers, on, maxWindows_);
    ShowTables();
  });
  Fill();
}

TControlDataDlg::TControlDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day)
    : TPrepareDlgBase(owner, model, var, day, TPrepKind::Control, 0) {
  Fill();
}

bool RunPrepareDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day) {
  TPrepareDataDlg d(owner, model, var, day);
  CentreOnScreen(&d);
  return d.ShowModal() == mrYes;
}

bool RunPrepareOptiDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day, int maxWindowsAtDay) {
  TPrepareOptiDlg d(owner, model, var, day, maxWindowsAtDay);
  CentreOnScreen(&d);
  return d.ShowModal() == mrYes;
}

void RunControlDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day) {
  TControlDataDlg d(owner, model, var, day);
  CentreOnScreen(&d);
  d.ShowModal();
}

}  // namespace korvant
