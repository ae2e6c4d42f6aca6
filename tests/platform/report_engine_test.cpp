// The banded report engine: page breaking, repeated headers, bands kept
// whole, page numbers, cut and wrapped texts, the preview control and
// printing to a PDF file.
#include "platform/report_engine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

#include "platform/report_preview.h"

namespace korvant {
namespace {

TReportBand Band(TBandKind kind, const QString& text, double height = 20) {
  TReportBand b;
  b.Kind = kind;
  b.Height = height;
  b.AddCell(0, 200, text, Qt::AlignLeft | Qt::AlignVCenter, true);
  return b;
}

// Title, a column header, n rows and a summary, with page numbers.
TBandReport Rows(int n, double rowHeight = 20) {
  TBandReport r;
  r.SetTitle(Band(TBandKind::Title, "Title", 40));
  r.Add(Band(TBandKind::ColumnHeader, "Head", 18));
  for (int i = 0; i < n; ++i) r.Add(Band(TBandKind::Detail, QString("row %1").arg(i), rowHeight));
  r.Add(Band(TBandKind::Summary, "Total"));
  TReportBand foot;
  foot.Height = 14;
  foot.AddCell(0, 200, "Page %PAGE% of %PAGES%");
  r.SetPageFooter(foot);
  return r;
}

double Bottom(const TBandReport& r) { return r.Setup.PaperHeight() - r.Setup.MarginBottom; }

TEST(ReportEngine, BreaksPagesRepeatsTheHeaderAndNumbersThePages) {
  const TBandReport r = Rows(100);
  const auto pages = Paginate(r);
  // The body ends at 841.89 - 30 - 14 (footer) = 797.89 and starts at 30
  // + 40 (title) + 18 on page 1, 30 + 18 later: 35 rows, then 37 a page.
  ASSERT_EQ(pages.size(), 3u);
  int next = 0;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const auto& bands = pages[p].Bands;
    const std::size_t head = p == 0 ? 1 : 0;
    if (p == 0) {
      EXPECT_EQ(bands[0].Band.Kind, TBandKind::Title);
    }
    ASSERT_EQ(bands[head].Band.Kind, TBandKind::ColumnHeader) << "page " << p + 1;
    EXPECT_EQ(bands[head].Band.Cells[0].Text, "Head");
    EXPECT_EQ(bands.back().Band.Kind, TBandKind::PageFooter);
    EXPECT_EQ(bands.back().Band.Cells[0].Text, QString("Page %1 of 3").arg(p + 1));
    const double footerTop = bands.back().Top;
    for (const TPlacedBand& b : bands) {
      if (b.Band.Kind != TBandKind::Detail) continue;
      // Never split, never into the footer.
      EXPECT_LE(b.Top + b.Band.Height, footerTop + 1e-6);
      EXPECT_EQ(b.Band.Cells[0].Text, QString("row %1").arg(next));
      EXPECT_EQ(b.Source, next + 1);  // index in the report's bands
      ++next;
    }
  }
  EXPECT_EQ(next, 100);
  EXPECT_EQ(pages[1].Bands[0].Top, r.Setup.MarginTop);
  EXPECT_DOUBLE_EQ(pages[0].Bands.back().Top, Bottom(r) - 14);
  EXPECT_TRUE(pages.back().Texts().contains("Total"));
  EXPECT_EQ(pages[0].Texts().count("row 34"), 1);
  EXPECT_EQ(pages[0].Texts().count("row 35"), 0);
  EXPECT_EQ(pages[1].Texts().count("row 35"), 1);
}

TEST(ReportEngine, AGroupHeaderGoesWithItsFirstRow) {
  TBandReport r;
  // The body is 30..811.89; 38 rows of 20 end at 790, leaving 21.89.
  for (int i = 0; i < 38; ++i) r.Add(Band(TBandKind::Detail, "x"));
  r.Add(Band(TBandKind::GroupHeader, "Group", 18));
  r.Add(Band(TBandKind::Detail, "first"));
  const auto pages = Paginate(r);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].Texts(), QStringList({"Group", "first"}));
}

TEST(ReportEngine, ColumnHeadersAreReplacedAndStopped) {
  TBandReport r;
  r.Add(Band(TBandKind::ColumnHeader, "A"));
  for (int i = 0; i < 50; ++i) r.Add(Band(TBandKind::Detail, "a"));
  TReportBand b = Band(TBandKind::ColumnHeader, "B");
  b.PageBreakBefore = true;
  r.Add(b);
  for (int i = 0; i < 3; ++i) r.Add(Band(TBandKind::Detail, "b"));
  TReportBand stop;
  stop.Kind = TBandKind::ColumnHeader;  // no cells: no header from here on
  r.Add(stop);
  TReportBand c = Band(TBandKind::Detail, "c");
  c.PageBreakBefore = true;
  r.Add(c);
  const auto pages = Paginate(r);
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[1].Texts().first(), "A");
  // The new header replaces the repeated one instead of following it.
  EXPECT_EQ(pages[2].Texts(), QStringList({"B", "b", "b", "b"}));
  EXPECT_EQ(pages[3].Texts(), QStringList({"c"}));
}

TEST(ReportEngine, AReportWithoutRowsSaysSoOnOnePage) {
  TBandReport r;
  r.SetEmptyText("Nothing");
  r.SetTitle(Band(TBandKind::Title, "T"));
  r.Add(Band(TBandKind::ColumnHeader, "H"));
  r.Add(Band(TBandKind::Summary, "Sum"));
  const auto pages = Paginate(r);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].Texts(), QStringList({"T", "H", "Nothing", "Sum"}));
  EXPECT_EQ(pages[0].Bands[2].Source, -1);

  TBandReport bare;
  EXPECT_EQ(Paginate(bare).size(), 1u);
}

TEST(ReportEngine, ABandTallerThanAPageStillEnds) {
  TBandReport r;
  r.Add(Band(TBandKind::Detail, "huge", 2000));
  r.Add(Band(TBandKind::Detail, "after"));
  const auto pages = Paginate(r);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].Texts(), QStringList({"after"}));
}

TEST(ReportEngine, LongTextsAreCutOrWrappedInsideTheirCell) {
  const QString family = "DejaVu Sans";
  EXPECT_EQ(FitText("Short", 200, 10, false, family), "Short");
  const QString cut = FitText("Name of a very long teacher. . .  and more words", 60, 10, false, family);
  ASSERT_TRUE(cut.endsWith(QChar(0x2026)));
  const QString stem = cut.chopped(1);
  EXPECT_FALSE(stem.endsWith(' '));
  EXPECT_FALSE(stem.endsWith('.'));
  EXPECT_TRUE(QString("Name of a very long teacher").startsWith(stem));
  // Whatever the width, the text never gets wider than the cell.
  EXPECT_TRUE(FitText("Wide", 1, 10, false, family).isEmpty());

  TReportSetup setup;
  TReportBand b = Band(TBandKind::Detail, "word word word word word word word word word word", 16);
  b.Cells[0].Rect.setWidth(60);
  b.AddCell(60, 40, "next", Qt::AlignCenter, true);
  EXPECT_DOUBLE_EQ(BandHeight(b, setup), 16);
  b.Cells[0].Wrap = true;
  const double h = BandHeight(b, setup);
  EXPECT_GT(h, 40);
  TBandReport r;
  r.Add(b);
  const auto pages = Paginate(r);
  // The neighbouring framed cell grows with the band.
  EXPECT_DOUBLE_EQ(pages[0].Bands[0].Band.Height, h);
  EXPECT_DOUBLE_EQ(pages[0].Bands[0].Band.Cells[1].Rect.height(), h);

  // A word longer than its cell is broken inside, line by line, rather than
  // run past the cell's sides: three lines at least for three cells' width.
  TReportBand narrow = Band(TBandKind::Detail, "Informatikkabinett", 10);
  TReportCell& c = narrow.Cells[0];
  c.FontSize = 8;
  c.Wrap = true;
  c.Rect.setWidth(TextWidth(c.Text, 8, false, family) / 3 + 2 * kCellTextInset);
  EXPECT_GE(BandHeight(narrow, setup), 3 * 8.0);
}

TEST(ReportEngine, ChartsAndRuledLinesAreDrawnWhereTheirValuesLie) {
  TBandReport r;
  TReportBand b;
  b.Height = 200;
  b.Lines.push_back(TReportLine{QPointF(10, 50), QPointF(100, 50), 1});
  TReportChart ch;
  ch.Rect = QRectF(150, 10, 300, 180);
  ch.XMax = 6;
  ch.YMax = 60;
  ch.YStep = 10;
  ch.XLabel = [](double v) { return v >= 1 && v <= 6 ? QString("d%1").arg(v) : QString(); };
  // Flat at 30 from day 1 to 3, then far above the axis' top.
  ch.Series.push_back(TChartSeries{"5A", Qt::black, {{1, 30}, {2, 30}, {3, 30}, {4, 600}}});
  b.Charts.push_back(ch);
  r.Add(b);
  const auto pages = Paginate(r);
  ASSERT_EQ(pages.size(), 1u);
  const QStringList t = pages[0].Texts();
  EXPECT_EQ(t, (QStringList{"5A", "d1", "d2", "d3", "d4", "d5", "d6", "0", "10", "20", "30", "40", "50", "60"}));

  const double k = 2;  // pixels per point
  QImage img(static_cast<int>(r.Setup.PaperWidth() * k), static_cast<int>(r.Setup.PaperHeight() * k),
             QImage::Format_RGB32);
  {
    QPainter p(&img);
    p.scale(k, k);
    RenderPage(p, pages[0], r.Setup);
  }
  const QPointF at(r.Setup.MarginLeft, pages[0].Bands[0].Top);
  auto dark = [&](QPointF pt) {
    const QPoint px = ((pt + at) * k).toPoint();
    for (int dy = -1; dy <= 1; ++dy)
      if (qGray(img.pixel(px.x(), px.y() + dy)) < 100) return true;
    return false;
  };
  EXPECT_TRUE(dark(QPointF(55, 50)));  // the ruled line
  const QRectF plot = ch.PlotRect(r.Setup.FontFamily);
  EXPECT_TRUE(ch.Rect.contains(plot));
  auto value = [&](double x, double y) {
    return QPointF(plot.left() + x / 6 * plot.width(), plot.bottom() - y / 60 * plot.height());
  };
  EXPECT_TRUE(dark(value(1.5, 30)));
  EXPECT_TRUE(dark(value(2.5, 30)));
  EXPECT_FALSE(dark(value(2.5, 45)));
  EXPECT_TRUE(dark(value(5, 0)));  // the bottom axis
  // The steep line leaves the plot at its top and is not drawn beyond.
  const double xTop = 3 + 30.0 / 570;
  EXPECT_FALSE(dark(QPointF(plot.left() + xTop / 6 * plot.width(), plot.top() - 6)));
}

TEST(ReportEngine, PreviewShowsThePagesAtItsZoom) {
  TReportPreview preview;
  preview.resize(400, 300);
  const TBandReport r = Rows(100);
  preview.SetPages(Paginate(r), r.Setup);
  EXPECT_EQ(preview.PageCount(), 3);
  EXPECT_EQ(preview.PageNumber(), 1);
  preview.SetPageNumber(0);
  EXPECT_EQ(preview.PageNumber(), 1);
  preview.SetPageNumber(3);
  preview.SetPageNumber(4);
  EXPECT_EQ(preview.PageNumber(), 3);
  preview.ZoomToFit();
  EXPECT_LE(preview.Scale() * r.Setup.PaperHeight(), 300);
  preview.ZoomToWidth();
  const double wide = preview.Scale();
  EXPECT_LE(wide * r.Setup.PaperWidth(), 400);
  EXPECT_GT(wide, preview.Scale() * 0.99);
  preview.SetZoom(100);
  EXPECT_NEAR(preview.Scale(), preview.logicalDpiX() / 72.0, 1e-9);
  preview.show();
  preview.repaint();  // paints the page without a printer
}

TEST(ReportEngine, PrintsToAPdfFile) {
  const QString path = QCoreApplication::applicationDirPath() + "/report_engine_test.pdf";
  QFile::remove(path);
  TBandReport r = Rows(100);
  r.Setup.Orientation = QPageLayout::Landscape;
  const auto pages = Paginate(r);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  ASSERT_TRUE(PrintPages(pages, r.Setup, printer));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), static_cast<int>(pages.size()));
  EXPECT_FALSE(PrintPages(pages, r.Setup, printer, 3, 2));
}

}  // namespace
}  // namespace korvant
