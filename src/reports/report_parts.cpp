#include "reports/report_parts.h"

#include <QDate>
#include <QLocale>

#include "reports/report_form.h"
#include "reports/zamesh_journal_dlg.h"

namespace korvant {

TReportBand MakeWrappedTitleBand(const TReportSetup& setup, const QString& title, const QStringList& lines) {
  TReportBand b;
  b.Kind = TBandKind::Title;
  const double w = setup.BodyWidth();
  TReportBand measure;
  measure.Height = 24;
  TReportCell& mt = measure.AddCell(0, w, title);
  mt.FontSize = 14;
  mt.Bold = true;
  mt.Wrap = true;
  const double titleH = BandHeight(measure, setup);
  TReportCell& t = b.AddCell(0, w, title);
  t.Rect.setHeight(titleH);
  t.FontSize = 14;
  t.Bold = true;
  t.Wrap = true;
  double y = titleH;
  for (const QString& line : lines) {
    if (line.trimmed().isEmpty()) continue;
    TReportCell& c = b.AddCell(0, w, line);
    c.Rect = QRectF(0, y, w, 14);
    y += 14;
  }
  b.Height = y + 8;
  return b;
}

TReportBand MakeProductFooterBand(const TReportSetup& setup, const QString& text) {
  TReportBand b;
  b.Height = 18;
  const double w = setup.BodyWidth();
  const double labelW = 90;
  if (!text.isEmpty()) b.AddCell(0, w - labelW, text, Qt::AlignLeft | Qt::AlignBottom);
  TReportCell& l = b.AddCell(w - labelW, labelW, ProductLabel(), Qt::AlignRight | Qt::AlignBottom);
  l.Bold = true;
  return b;
}

QString ShortDate(double date) {
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  return ru.toString(QDateOfZamesh(date), QLocale::ShortFormat);
}

}  // namespace korvant
