#include "windows/planning/week_vars_dlg.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

#include <algorithm>

#include "controls/bit_btn.h"
#include "controls/form_util.h"
#include "controls/grid_base.h"
#include "controls/grid_geometry.h"
#include "core/common/catalogue.h"
#include "core/common/shared_state.h"
#include "core/variant/table_var.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {
constexpr int kHelpContext = 550;
constexpr int kHeaderTexts[5] = {10257, 10258, 10259, 10260, 10261};
}  // namespace

void TWeekVarsGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  if (row > 0 && col > 0) {
    TStringGrid::DrawCell(p, col, row, rect, state);
    return;
  }
  p.fillRect(rect, BtnFaceColor());
  p.setPen(BtnTextColor());
  p.setFont(font());
  const QFontMetrics fm(font());
  const int room = rect.width();
  const std::string text =
      FitWithEllipsis(Cells(col, row), [&](const std::string& s) { return fm.horizontalAdvance(ToQt(s)) <= room; });
  p.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, ToQt(text));
}

TWeekVarsDlg::TWeekVarsDlg(QWidget* owner, TRunModel& model, TTableVarItem& var)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint) {
  setFixedSize(542, 250);
  setWindowTitle(Ru("Расстановка уроков"));
  SetHelpContext(this, kHelpContext);

  grid_ = new TWeekVarsGrid(this);
  grid_->setObjectName(QStringLiteral("TchCrpGrid"));
  grid_->setGeometry(8, 8, 525, 193);
  grid_->SetColCount(5);
  grid_->SetRowCount(2);
  grid_->SetFixedRows(1);
  grid_->SetFixedCols(0);
  grid_->SetDefaultColWidth(100);
  grid_->SetOptions(static_cast<TPrgGridOptions>((grid_->Options() | goColSizing | goRowSelect) & ~goEditing));
  // The figures' columns as wide as their headings; the teachers' names
  // take the rest, beside the scroll bar that more rows bring, so that no
  // heading is cut and nothing scrolls sideways.
  const QFontMetrics fm(grid_->font());
  int rest = grid_->width() - 2 * grid_->frameWidth() -
             grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_) - 5 * grid_->GridLineWidth();
  for (int c = 4; c >= 0; --c) {
    grid_->SetCells(c, 0, LoadResStr(kHeaderTexts[c]));
    const int need = fm.horizontalAdvance(ToQt(grid_->Cells(c, 0))) + 8;
    const int width = c > 0 ? need : std::max(need, rest);
    grid_->SetColWidths(c, width);
    rest -= width;
  }

  auto button = [this](const char* caption, const char* hint, int left) {
    auto* b = new TPrgBitBtn(TBitBtnKind::bkCustom, Ru(caption), this);
    b->setGeometry(left, 215, 80, 25);
    b->setToolTip(Ru(hint));
    return b;
  };
  ok_ = button("Готово", "Закрыть диалог", 188);
  ok_->SetModalResult(mrOk);
  ok_->setEnabled(false);
  enough_ = button("Дальше", "Следующий учитель", 274);
  connect(enough_, &TPrgBitBtn::clicked, this, &TWeekVarsDlg::EnoughBtnClick);
  abort_ = button("Прервать", "Прервать расстановку", 360);
  abort_->SetCancel(true);
  abort_->SetModalResult(mrCancel);
  help_ = MakeHelpButton(this, Ru("Справка"), kHelpContext, kHelpContext);
  help_->setGeometry(446, 215, 80, 25);
  help_->setToolTip(Ru("Справка по диалогу"));

  search_ = std::make_unique<TWeekVarsSearch>(MakeWeekSearchContext(model, var, Shared()),
                                              static_cast<IWeekVarsObserver*>(this));
  CentreOnScreen(this);
  postMessage(this, kMsgWeekVarsNext, 0);
}

TWeekVarsDlg::~TWeekVarsDlg() = default;

void TWeekVarsDlg::EnoughBtnClick() {
  if (search_) search_->RequestEnough();
}

MsgResult TWeekVarsDlg::handleMessage(uint32_t msg, MsgParam w, MsgParam) {
  if (msg == kMsgWeekVarsNext) WMPlaceTeacher(static_cast<int>(w));
  return 0;
}

void TWeekVarsDlg::WMPlaceTeacher(int /*position*/) {
  // A message left over from an earlier teacher, or one that arrives while
  // a teacher is searched (the queue is pumped inside): nothing to do.
  if (running_ || finished_) return;
  running_ = true;
  TWeekStepResult r = TWeekStepResult::Running;
  while (true) {
    if (ModalResult() == mrCancel) search_->RequestAbort();
    r = search_->Step(StepBudget);
    if (r != TWeekStepResult::Running) break;
    pumpMessagesOnce();
  }
  running_ = false;
  if (r == TWeekStepResult::Aborted) return;
  if (r == TWeekStepResult::Finished) {
    finished_ = true;
    enough_->setEnabled(false);
    abort_->setEnabled(false);
    ok_->setEnabled(true);
    return;
  }
  // Closed while the last steps ran: no further teacher.
  if (ModalResult() == mrCancel) return;
  postMessage(this, kMsgWeekVarsNext, static_cast<MsgParam>(search_->Position()));
}

void TWeekVarsDlg::EnsureRow(int row) {
  if (grid_->RowCount() < row + 2) grid_->SetRowCount(row + 2);
}

void TWeekVarsDlg::TeacherStarted(int row, const std::string& caption, int, int viewed, int improvements,
                                  int weeklyHours, int placed) {
  EnsureRow(row);
  const int r = row + 1;
  grid_->SetCells(0, r, caption);
  grid_->SetCells(1, r, std::to_string(viewed));
  grid_->SetCells(2, r, std::to_string(improvements));
  grid_->SetCells(3, r, std::to_string(weeklyHours));
  grid_->SetCells(4, r, std::to_string(placed));
  grid_->FocusCell(0, r, true, true);
}

void TWeekVarsDlg::VariantsViewed(int row, int viewed) {
  EnsureRow(row);
  grid_->SetCells(1, row + 1, std::to_string(viewed));
}

void TWeekVarsDlg::Improved(int row, int improvements, int parallels, int placed) {
  EnsureRow(row);
  grid_->SetCells(2, row + 1, ImprovementsText(improvements, parallels));
  grid_->SetCells(4, row + 1, std::to_string(placed));
}

void TWeekVarsDlg::HoursPlaced(int row, int placed) {
  EnsureRow(row);
  grid_->SetCells(4, row + 1, std::to_string(placed));
}

}  // namespace korvant
