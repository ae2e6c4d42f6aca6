#include "windows/variant/statistics_dlg.h"

#include <QLocale>
#include <QPainter>
#include <QTabWidget>

#include <cmath>
#include <cstdio>

#include "controls/bit_btn.h"
#include "controls/form_util.h"
#include "controls/grid_geometry.h"
#include "core/common/window_messages.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"
#include "platform/help_service.h"
#include "platform/window_messages.h"

namespace korvant {

namespace {
constexpr int kHelpContext = 30;
}

void TStatGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState) {
  const bool heading = col < FixedCols() || row < FixedRows();
  p.fillRect(rect, heading ? BtnFaceColor() : QColor(80, 80, 80));
  p.setPen(BtnTextColor());
  p.setFont(font());
  const QFontMetrics fm(font());
  const int room = rect.width();
  const std::string text =
      FitWithEllipsis(Cells(col, row), [&](const std::string& s) { return fm.horizontalAdvance(ToQt(s)) <= room; });
  p.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, ToQt(text));
}

TViewStatDlg::TViewStatDlg(QWidget* owner, MessageTarget* ownerTarget, int klassCount)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint) {
  setFixedSize(426, 268);
  setWindowTitle(Ru("Статистика"));
  SetHelpContext(this, kHelpContext);

  pages_ = new QTabWidget(this);
  pages_->setGeometry(8, 8, 410, 216);
  SetHelpContext(pages_, 541);
  auto* page = new QWidget;
  SetHelpContext(page, 542);
  pages_->addTab(page, Ru("Распределение нагрузки"));
  grid_ = new TStatGrid(page);
  grid_->setObjectName(QStringLiteral("SESKfGrid"));
  grid_->setGeometry(4, 4, 396, 178);
  grid_->SetColCount(7);
  grid_->SetRowCount(9);
  grid_->SetFixedCols(1);
  grid_->SetFixedRows(1);
  grid_->SetDefaultColWidth(60);
  grid_->SetDefaultRowHeight(16);
  grid_->SetOptions(static_cast<TPrgGridOptions>(grid_->Options() | goColSizing | goColMouseSizing));

  close_ = new TPrgBitBtn(TBitBtnKind::bkCustom, Ru("Закрыть"), this);
  close_->SetModalResult(mrOk);
  close_->setGeometry(248, 234, 80, 25);
  close_->setToolTip(Ru("Закрыть диалог"));
  SetHelpContext(close_, 543);
  help_ = MakeHelpButton(this, Ru("Справка"), kHelpContext, 544);
  help_->setGeometry(338, 234, 80, 25);
  help_->setToolTip(Ru("Справка по диалогу"));

  grid_->SetRowCount(std::max(klassCount, 0) + 1);
  for (int c = 1; c < grid_->ColCount(); ++c) grid_->SetColWidths(c, 50);
  grid_->SetCells(0, 0, {});
  const QLocale locale;
  for (int c = 1; c < grid_->ColCount(); ++c)
    grid_->SetCells(c, 0, FromQt(locale.dayName(c, QLocale::ShortFormat)));
  if (ownerTarget)
    sendMessage(ownerTarget, kMsgStatisticsFill, static_cast<MsgParam>(reinterpret_cast<intptr_t>(grid_)), 0);
  CentreOnScreen(this);
}

void FillStatisticsGrid(TStringGrid& grid, const TTableVarItem& var, const TRTIKlassesCollection& klasses,
                        char decimalPoint) {
  for (int r = 1; r < grid.RowCount(); ++r) {
    const TRTIKlassItem* k = klasses[r - 1];
    if (!k || r - 1 >= var.KlassCount()) break;
    grid.SetCells(0, r, k->DisplayName());
    for (int d = 1; d <= 6 && d < grid.ColCount(); ++d)
      grid.SetCells(d, r, FormatDifficulty(var.GetKlassDayDifficulty(r - 1, d), decimalPoint));
  }
}

bool VariantHasLessons(const TTableVarItem& var) {
  for (int k = 0; k < var.KlassCount(); ++k)
    if (var.CountKlassFair(k, 0) + var.CountKlassDraft(k, 0) > 0) return true;
  return false;
}

}  // namespace korvant
