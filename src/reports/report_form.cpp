#include "reports/report_form.h"

#include "base/cp1251.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"

namespace korvant {

TBandReport TReportForm::Build() {
  TBandReport r;
  r.SetEmptyText(NoDataText());
  BuildReport(r);
  return r;
}

std::vector<TReportPage> TReportForm::Generate(TReportSetup* setup) {
  const TBandReport r = Build();
  if (setup) *setup = r.Setup;
  return Paginate(r);
}

void TReportForm::Progress(MsgParam w, MsgParam l) const {
  if (owner_) sendMessage(owner_, kMsgPrint, w, l);
}

QString ProductLabel() { return QStringLiteral("\"Корвант\""); }

QString NoDataText() { return QStringLiteral("Нет данных для отчета."); }

TReportBand MakeTitleBand(const TReportSetup& setup, const QString& title, const QStringList& lines) {
  TReportBand b;
  b.Kind = TBandKind::Title;
  const double w = setup.BodyWidth();
  const double labelW = 90;
  b.Height = 24 + 14 * lines.size() + 8;
  TReportCell& t = b.AddCell(0, w - labelW, title);
  t.Rect.setHeight(24);
  t.FontSize = 14;
  t.Bold = true;
  TReportCell& l = b.AddCell(w - labelW, labelW, ProductLabel(), Qt::AlignRight | Qt::AlignVCenter);
  l.Rect.setHeight(24);
  l.Bold = true;
  double y = 24;
  for (const QString& line : lines) {
    TReportCell& c = b.AddCell(0, w, line);
    c.Rect = QRectF(0, y, w, 14);
    c.Wrap = true;
    y += 14;
  }
  return b;
}

TReportBand MakeRow(TBandKind kind, const TColumns& cols, const QStringList& texts, double height, bool bold) {
  TReportBand b;
  b.Kind = kind;
  b.Height = height;
  for (int i = 0; i < cols.Count(); ++i) {
    const QString text = i < texts.size() ? texts[i] : QString();
    TReportCell& c = b.AddCell(cols.X[static_cast<std::size_t>(i)], cols.W[static_cast<std::size_t>(i)], text,
                               Qt::AlignCenter, true);
    c.Bold = bold;
    c.FontSize = 9;
  }
  return b;
}

}  // namespace korvant
