#include "reports/load_reports.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/variant/rti_model.h"
#include "platform/qt_text.h"
#include "reports/report_parts.h"

namespace korvant {

namespace {

// The selected klasses of the variant, in collection order.
std::vector<int> SelectedKlasses(const std::vector<bool>& selected, const TTableVarItem& var) {
  std::vector<int> out;
  for (int k = 0; k < var.KlassCount() && k < static_cast<int>(selected.size()); ++k)
    if (selected[static_cast<std::size_t>(k)]) out.push_back(k);
  return out;
}

QString KlassName(const TTableVarItem& var, int k) {
  const TRunModel* m = var.Model();
  if (!m || k < 0 || k >= m->Klasses.Count()) return QString();
  return ToQt(m->Klasses[k]->DisplayName());
}

QString Difficulty(double v) {
  // Tenths rounded away from zero on ties, as the variant window shows them.
  return QLocale().toString(std::round(v * 10) / 10, 'f', 1);
}

void StartLoadReport(TBandReport& r, const QString& title, const std::string& project, const std::string& variant) {
  r.Setup.Orientation = QPageLayout::Portrait;
  r.SetTitle(MakeWrappedTitleBand(r.Setup, title, {ToQt(project), ToQt(variant)}));
  r.SetPageFooter(MakeProductFooterBand(r.Setup));
}

// The highest value of the left axis: 60 as a rule, and the next multiple of
// 10 at or above the largest sum when a klass carries more, so no line is
// cut off at the top.
double ChartTop(const std::vector<int>& klasses, const TTableVarItem& var) {
  double top = 60;
  for (int k : klasses)
    for (int d = 1; d <= 6; ++d) {
      const double v = var.GetKlassDayDifficulty(k, d);
      if (std::isfinite(v)) top = std::max(top, std::ceil(v / 10) * 10);
    }
  return top;
}

}  // namespace

TMedTableRpForm::TMedTableRpForm(MessageTarget* owner, std::vector<bool> selected, const TTableVarItem& var,
                                 std::string projectDescription, std::string variantDescription)
    : TVariantReportForm(owner, var, std::move(projectDescription), std::move(variantDescription)),
      selected_(std::move(selected)) {}

void TMedTableRpForm::BuildReport(TBandReport& r) {
  StartLoadReport(r, QStringLiteral("Распределение нагрузки по дням недели"), projectDescription_,
                  variantDescription_);
  const std::vector<int> klasses = SelectedKlasses(selected_, var_);
  if (!klasses.empty()) Progress(kPrintProgressRange, static_cast<MsgParam>(klasses.size()));

  const double dayW = 78;
  const TColumns cols({r.Setup.BodyWidth() - 6 * dayW, dayW, dayW, dayW, dayW, dayW, dayW});
  r.Add(MakeRow(TBandKind::ColumnHeader, cols,
                {QStringLiteral("Класс"), QStringLiteral("Понедельник"), QStringLiteral("Вторник"),
                 QStringLiteral("Среда"), QStringLiteral("Четверг"), QStringLiteral("Пятница"),
                 QStringLiteral("Суббота")},
                20, true));
  int printed = 0;
  for (int k : klasses) {
    QStringList texts{KlassName(var_, k)};
    for (int d = 1; d <= 6; ++d) texts << Difficulty(var_.GetKlassDayDifficulty(k, d));
    TReportBand row = MakeRow(TBandKind::Detail, cols, texts);
    row.Cells[0].Align = Qt::AlignLeft | Qt::AlignVCenter;
    row.Cells[0].Wrap = true;
    r.Add(std::move(row));
    Progress(kPrintProgressPos, printed++);
  }
  Progress(kPrintProgressPos, -1);
}

TMedChartRpForm::TMedChartRpForm(MessageTarget* owner, std::vector<bool> selected, const TTableVarItem& var,
                                 std::string projectDescription, std::string variantDescription)
    : TVariantReportForm(owner, var, std::move(projectDescription), std::move(variantDescription)),
      selected_(std::move(selected)) {}

void TMedChartRpForm::BuildReport(TBandReport& r) {
  StartLoadReport(r, QStringLiteral("Распределение нагрузки по дням недели (графическое представление)"),
                  projectDescription_, variantDescription_);
  const std::vector<int> klasses = SelectedKlasses(selected_, var_);
  if (!klasses.empty()) Progress(kPrintProgressRange, static_cast<MsgParam>(klasses.size()));

  const double width = r.Setup.BodyWidth();
  constexpr double kBandH = 150, kNotesW = 170, kGap = 12;
  const double top = ChartTop(klasses, var_);
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  auto dayLabel = [ru](double v) {
    const double d = std::round(v);
    if (std::fabs(v - d) > 1e-9 || d < 1 || d > 6) return QString();
    return ru.dayName(static_cast<int>(d), QLocale::ShortFormat);
  };

  int printed = 0;
  for (int k : klasses) {
    TReportBand band;
    band.Kind = TBandKind::Detail;
    band.Height = kBandH;
    // The notes area: its caption and five ruled lines to write on.
    TReportCell& caption = band.AddCell(0, kNotesW, QStringLiteral("ПРИМЕЧАНИЯ"), Qt::AlignCenter);
    caption.Rect = QRectF(0, 8, kNotesW, 16);
    caption.Bold = true;
    caption.FontSize = 9;
    for (int i = 0; i < 5; ++i) {
      const double y = 46 + i * 22;
      band.Lines.push_back(TReportLine{QPointF(4, y), QPointF(kNotesW - 4, y), 0.5});
    }
    TReportChart chart;
    chart.Rect = QRectF(kNotesW + kGap, 6, width - kNotesW - kGap, kBandH - 12);
    chart.XMin = 0;
    chart.XMax = 6;
    chart.XStep = 1;
    chart.YMin = 0;
    chart.YMax = top;
    chart.YStep = 10;
    chart.XLabel = dayLabel;
    TChartSeries s;
    s.Title = KlassName(var_, k);
    s.Color = Qt::black;
    for (int d = 1; d <= 6; ++d) s.Points.emplace_back(d, var_.GetKlassDayDifficulty(k, d));
    chart.Series.push_back(std::move(s));
    band.Charts.push_back(std::move(chart));
    r.Add(std::move(band));
    Progress(kPrintProgressPos, printed++);
  }
  Progress(kPrintProgressPos, -1);
}

}  // namespace korvant
