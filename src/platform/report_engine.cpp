#include "platform/report_engine.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace korvant {

namespace {

QFont CellFont(double size, bool bold, const QString& family) {
  QFont f(family);
  // Pixel sizes in points: the painter is scaled to points, so the font
  // keeps its size on every device, and measures need no device.
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
  f.setBold(bold);
  return f;
}

QFont CellFont(const TReportCell& c, const TReportSetup& s) { return CellFont(c.FontSize, c.Bold, s.FontFamily); }

// The lines of a wrapped cell: broken between words, and inside a word
// that is longer than a line. Measuring and drawing both go by these
// lines, so what was measured is drawn.
QStringList WrappedLines(const TReportCell& c, const TReportSetup& s) {
  // A hair of room against rounding on devices of other resolutions.
  const double w = std::max(1.0, c.Rect.width() - 2 * c.Inset - 0.5);
  QStringList lines;
  for (const QString& paragraph : c.Text.split(QLatin1Char('\n'))) {
    QTextLayout layout(paragraph, CellFont(c, s));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int before = static_cast<int>(lines.size());
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(w);
      lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    if (lines.size() == before) lines << QString();
  }
  return lines;
}

double LinesHeight(int lines, const QFontMetricsF& fm) {
  return lines > 0 ? (lines - 1) * fm.lineSpacing() + fm.height() : 0;
}

double WrappedHeight(const TReportCell& c, const TReportSetup& s) {
  const QFontMetricsF fm(CellFont(c, s));
  return LinesHeight(static_cast<int>(WrappedLines(c, s).size()), fm) + 2 * c.Inset;
}

// Draws a wrapped cell's lines as a block placed by the cell's alignment.
void DrawWrapped(QPainter& p, const TReportCell& c, const TReportSetup& s, const QRectF& inner) {
  const QFontMetricsF fm(CellFont(c, s));
  const QStringList lines = WrappedLines(c, s);
  const double h = LinesHeight(static_cast<int>(lines.size()), fm);
  double y = inner.top();
  if (c.Align & Qt::AlignVCenter) y += (inner.height() - h) / 2;
  else if (c.Align & Qt::AlignBottom) y += inner.height() - h;
  const int horizontal = static_cast<int>(c.Align & Qt::AlignHorizontal_Mask);
  for (const QString& line : lines) {
    p.drawText(QRectF(inner.left(), y, inner.width(), fm.height()), horizontal | Qt::AlignTop | Qt::TextSingleLine,
               line);
    y += fm.lineSpacing();
  }
}

// A copy whose wrapped cells (and the cells reaching the band's bottom)
// take the height the lines need.
TReportBand Grown(const TReportBand& band, const TReportSetup& s) {
  TReportBand b = band;
  const double h = BandHeight(band, s);
  if (h > band.Height) {
    for (TReportCell& c : b.Cells)
      if (c.Rect.bottom() >= band.Height - 0.01) c.Rect.setBottom(h);
    b.Height = h;
  }
  return b;
}

// Axis values from min to max by step (none for a step that is not positive).
std::vector<double> Ticks(double min, double max, double step) {
  std::vector<double> out;
  if (!(step > 0) || !(max >= min)) return out;
  for (int i = 0; i <= 1000; ++i) {
    const double v = min + i * step;
    if (v > max + step * 1e-9) break;
    out.push_back(v);
  }
  return out;
}

QString AxisNumber(double v) { return QString::number(v, 'g', 10); }

struct TChartGeometry {
  QRectF Plot;
  double LegendHeight = 0;
};

TChartGeometry ChartGeometry(const TReportChart& ch, const QString& family) {
  const QFontMetricsF fm(CellFont(ch.FontSize, false, family));
  double yLabelW = 0;
  for (const QString& t : ch.YLabels()) yLabelW = std::max(yLabelW, fm.horizontalAdvance(t));
  double xLabelW = 0;
  for (const QString& t : ch.XLabels()) xLabelW = std::max(xLabelW, fm.horizontalAdvance(t));
  TChartGeometry g;
  g.LegendHeight = ch.Series.empty() ? 0 : fm.height() + 6;
  const double left = yLabelW + 7;                        // labels, gap and tick
  const double top = g.LegendHeight + fm.height() / 2 + 2;  // the top label stays inside
  const double right = std::max(6.0, xLabelW / 2 + 2);    // the last label stays inside
  const double bottom = fm.height() + 6;
  g.Plot = ch.Rect.adjusted(left, top, -right, -bottom);
  if (g.Plot.width() < 1) g.Plot.setWidth(1);
  if (g.Plot.height() < 1) g.Plot.setHeight(1);
  return g;
}

void DrawChart(QPainter& p, const TReportChart& ch, const QPointF& origin, const QString& family) {
  const TChartGeometry g = ChartGeometry(ch, family);
  const QRectF plot = g.Plot.translated(origin);
  const QFont font = CellFont(ch.FontSize, false, family);
  const QFontMetricsF fm(font);
  const double xSpan = ch.XMax > ch.XMin ? ch.XMax - ch.XMin : 1;
  const double ySpan = ch.YMax > ch.YMin ? ch.YMax - ch.YMin : 1;
  auto mapX = [&](double x) { return plot.left() + (x - ch.XMin) / xSpan * plot.width(); };
  auto mapY = [&](double y) { return plot.bottom() - (y - ch.YMin) / ySpan * plot.height(); };

  p.save();
  p.setFont(font);
  // Grid and the left axis' labels.
  for (double v : Ticks(ch.YMin, ch.YMax, ch.YStep)) {
    const double y = mapY(v);
    p.setPen(QPen(QColor(200, 200, 200), 0.4, Qt::DotLine));
    if (v > ch.YMin) p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    p.setPen(QPen(Qt::black, 0.5));
    p.drawLine(QPointF(plot.left() - 3, y), QPointF(plot.left(), y));
    const QRectF r(ch.Rect.left() + origin.x(), y - fm.height() / 2, plot.left() - 5 - ch.Rect.left() - origin.x(),
                   fm.height());
    p.drawText(r, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, AxisNumber(v));
  }
  // The bottom axis' ticks and labels.
  for (double v : Ticks(ch.XMin, ch.XMax, ch.XStep)) {
    const double x = mapX(v);
    p.setPen(QPen(Qt::black, 0.5));
    p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 3));
    const QString label = ch.XLabel ? ch.XLabel(v) : AxisNumber(v);
    if (label.isEmpty()) continue;
    const double w = fm.horizontalAdvance(label) + 2;
    p.drawText(QRectF(x - w / 2, plot.bottom() + 4, w, fm.height()), Qt::AlignCenter | Qt::TextSingleLine, label);
  }
  p.setPen(QPen(Qt::black, 0.8));
  p.drawLine(plot.bottomLeft(), plot.topLeft());
  p.drawLine(plot.bottomLeft(), plot.bottomRight());

  // The series, clipped to the plot area.
  p.save();
  p.setClipRect(plot.adjusted(-1, -1, 1, 1));
  p.setRenderHint(QPainter::Antialiasing, true);
  for (const TChartSeries& s : ch.Series) {
    if (s.Points.empty()) continue;
    std::vector<QPointF> pts;
    for (const QPointF& v : s.Points) pts.emplace_back(mapX(v.x()), mapY(v.y()));
    p.setPen(QPen(s.Color, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
  }
  p.restore();

  // The legend: a sample of each series' line and its title, centred.
  if (!ch.Series.empty()) {
    constexpr double sample = 14, gap = 3, between = 10;
    double total = 0;
    for (const TChartSeries& s : ch.Series) total += sample + gap + fm.horizontalAdvance(s.Title) + between;
    total -= between;
    const QRectF box(origin.x() + ch.Rect.left(), origin.y() + ch.Rect.top(), ch.Rect.width(), g.LegendHeight - 2);
    double x = box.center().x() - std::min(total, box.width() - 8) / 2;
    const double y = box.center().y();
    p.setPen(QPen(QColor(160, 160, 160), 0.4));
    p.drawRect(QRectF(x - 4, box.top(), std::min(total, box.width() - 8) + 8, box.height()));
    p.save();
    p.setClipRect(box);
    for (const TChartSeries& s : ch.Series) {
      p.setPen(QPen(s.Color, 1.2));
      p.drawLine(QPointF(x, y), QPointF(x + sample, y));
      x += sample + gap;
      const double w = fm.horizontalAdvance(s.Title) + 1;
      p.setPen(Qt::black);
      p.drawText(QRectF(x, box.top(), w, box.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                 s.Title);
      x += w + between;
    }
    p.restore();
  }
  p.restore();
}

PrinterSetupHook& Hook() {
  static PrinterSetupHook hook;
  return hook;
}

}  // namespace

TReportCell& TReportBand::AddCell(double x, double width, const QString& text, Qt::Alignment align,
                                  bool frame) {
  TReportCell c;
  c.Rect = QRectF(x, 0, width, Height);
  c.Text = text;
  c.Align = align;
  c.Frame = frame;
  Cells.push_back(c);
  return Cells.back();
}

double TReportSetup::PaperWidth() const {
  const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
  return Orientation == QPageLayout::Portrait ? a4.width() : a4.height();
}

double TReportSetup::PaperHeight() const {
  const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Point);
  return Orientation == QPageLayout::Portrait ? a4.height() : a4.width();
}

void TBandReport::SetTitle(TReportBand band) {
  band.Kind = TBandKind::Title;
  title_ = std::make_unique<TReportBand>(std::move(band));
}
void TBandReport::SetPageHeader(TReportBand band) {
  band.Kind = TBandKind::PageHeader;
  pageHeader_ = std::make_unique<TReportBand>(std::move(band));
}
void TBandReport::SetPageFooter(TReportBand band) {
  band.Kind = TBandKind::PageFooter;
  pageFooter_ = std::make_unique<TReportBand>(std::move(band));
}
TReportBand& TBandReport::Add(TReportBand band) {
  bands_.push_back(std::move(band));
  return bands_.back();
}

QStringList TReportPage::Texts() const {
  QStringList out;
  for (const TPlacedBand& b : Bands) {
    for (const TReportCell& c : b.Band.Cells)
      if (!c.Text.isEmpty()) out << c.Text;
    for (const TReportChart& ch : b.Band.Charts) {
      for (const TChartSeries& s : ch.Series)
        if (!s.Title.isEmpty()) out << s.Title;
      out << ch.XLabels() << ch.YLabels();
    }
  }
  return out;
}

QStringList TReportChart::XLabels() const {
  QStringList out;
  for (double v : Ticks(XMin, XMax, XStep)) {
    const QString t = XLabel ? XLabel(v) : AxisNumber(v);
    if (!t.isEmpty()) out << t;
  }
  return out;
}

QStringList TReportChart::YLabels() const {
  QStringList out;
  for (double v : Ticks(YMin, YMax, YStep)) out << AxisNumber(v);
  return out;
}

QRectF TReportChart::PlotRect(const QString& fontFamily) const { return ChartGeometry(*this, fontFamily).Plot; }

double BandHeight(const TReportBand& band, const TReportSetup& setup) {
  double h = band.Height;
  for (const TReportCell& c : band.Cells)
    if (c.Wrap && !c.Text.isEmpty()) h = std::max(h, c.Rect.top() + WrappedHeight(c, setup));
  return h;
}

QStringList CellLines(const TReportCell& cell, const TReportSetup& setup) {
  if (cell.Wrap) return WrappedLines(cell, setup);
  return {FitText(cell.Text, cell.Rect.width() - 2 * cell.Inset, cell.FontSize, cell.Bold, setup.FontFamily)};
}

double TextWidth(const QString& text, double fontSize, bool bold, const QString& family) {
  // As a wrapped cell's line measures it: a glyph reaching past its
  // advance at the end counts, or a word said to fit would be broken.
  QTextLayout layout(text, CellFont(fontSize, bold, family));
  layout.beginLayout();
  QTextLine line = layout.createLine();
  double natural = 0;
  if (line.isValid()) {
    line.setLineWidth(1e6);
    natural = line.naturalTextWidth();
  }
  layout.endLayout();
  return std::max(natural, QFontMetricsF(CellFont(fontSize, bold, family)).horizontalAdvance(text));
}

QString FitText(const QString& text, double width, double fontSize, bool bold, const QString& family) {
  const QFontMetricsF fm(CellFont(fontSize, bold, family));
  if (fm.horizontalAdvance(text) <= width) return text;
  QString t = text;
  const QString ellipsis = QString(QChar(0x2026));
  while (!t.isEmpty()) {
    t.chop(1);
    while (!t.isEmpty() && (t.back() == QLatin1Char(' ') || t.back() == QLatin1Char('.'))) t.chop(1);
    if (fm.horizontalAdvance(t + ellipsis) <= width) return t + ellipsis;
  }
  return fm.horizontalAdvance(ellipsis) <= width ? ellipsis : QString();
}

std::vector<TReportPage> Paginate(const TBandReport& report) {
  const TReportSetup& s = report.Setup;
  std::vector<TReportBand> body = report.Bands();
  std::vector<int> sources(body.size());
  for (std::size_t i = 0; i < sources.size(); ++i) sources[i] = static_cast<int>(i);
  if (std::none_of(body.begin(), body.end(), [](const TReportBand& b) { return b.Kind == TBandKind::Detail; })) {
    // Say that there is nothing rather than print a bare frame: the note
    // goes where the rows would have been, before any totals.
    TReportBand note;
    note.Kind = TBandKind::Detail;
    note.Height = 24;
    TReportCell& c = note.AddCell(0, s.BodyWidth(), report.EmptyText());
    c.Wrap = true;
    auto at = std::find_if(body.begin(), body.end(), [](const TReportBand& b) {
      return b.Kind == TBandKind::GroupFooter || b.Kind == TBandKind::Summary;
    });
    sources.insert(sources.begin() + (at - body.begin()), -1);
    body.insert(at, std::move(note));
  }

  const double footerH = report.PageFooter() ? BandHeight(*report.PageFooter(), s) : 0;
  const double bottom = s.PaperHeight() - s.MarginBottom - footerH;

  std::vector<TReportPage> pages;
  const TReportBand* columnHeader = nullptr;
  double y = 0;
  int bodyOnPage = 0;
  bool repeatedHeaderLast = false;  // the page's last band is a repeated column header

  auto place = [&](const TReportBand& band, int source) {
    TPlacedBand pb{Grown(band, s), y, source};
    y += pb.Band.Height;
    pages.back().Bands.push_back(std::move(pb));
  };
  auto startPage = [&] {
    pages.emplace_back();
    y = s.MarginTop;
    bodyOnPage = 0;
    if (report.Title() && (pages.size() == 1 || s.RepeatTitle)) place(*report.Title(), -1);
    if (report.PageHeader()) place(*report.PageHeader(), -1);
    repeatedHeaderLast = false;
    if (columnHeader) {
      place(*columnHeader, -1);
      repeatedHeaderLast = true;
    }
  };

  startPage();
  for (std::size_t i = 0; i < body.size(); ++i) {
    const TReportBand& band = body[i];
    if (band.Kind == TBandKind::ColumnHeader) {
      if (repeatedHeaderLast) {  // a new header replaces the repeated one
        y = pages.back().Bands.back().Top;
        pages.back().Bands.pop_back();
        repeatedHeaderLast = false;
      }
      if (band.Cells.empty()) {  // an empty header band ends the repeating
        columnHeader = nullptr;
        continue;
      }
    }
    const double h = BandHeight(band, s);
    double need = h;
    // A header is never left alone at the bottom of a page.
    if ((band.Kind == TBandKind::ColumnHeader || band.Kind == TBandKind::GroupHeader) && i + 1 < body.size() &&
        !body[i + 1].PageBreakBefore)
      need += BandHeight(body[i + 1], s);
    const bool full = y + need > bottom;
    if (bodyOnPage > 0 && (band.PageBreakBefore || full)) {
      startPage();
      if (band.Kind == TBandKind::ColumnHeader && repeatedHeaderLast) {
        y = pages.back().Bands.back().Top;
        pages.back().Bands.pop_back();
        repeatedHeaderLast = false;
      }
    }
    if (band.Kind == TBandKind::ColumnHeader) columnHeader = &band;
    place(band, sources[i]);
    ++bodyOnPage;
    repeatedHeaderLast = false;
  }

  if (report.PageFooter()) {
    const QString total = QString::number(pages.size());
    for (std::size_t n = 0; n < pages.size(); ++n) {
      TReportBand f = Grown(*report.PageFooter(), s);
      for (TReportCell& c : f.Cells) {
        c.Text.replace(QStringLiteral("%PAGES%"), total);
        c.Text.replace(QStringLiteral("%PAGE%"), QString::number(n + 1));
      }
      pages[n].Bands.push_back(TPlacedBand{std::move(f), bottom, -1});
    }
  }
  return pages;
}

void RenderPage(QPainter& p, const TReportPage& page, const TReportSetup& setup) {
  p.save();
  p.fillRect(QRectF(0, 0, setup.PaperWidth(), setup.PaperHeight()), Qt::white);
  for (const TPlacedBand& pb : page.Bands) {
    for (const TReportCell& c : pb.Band.Cells) {
      const QRectF r = c.Rect.translated(setup.MarginLeft, pb.Top);
      if (c.Fill.isValid()) p.fillRect(r, c.Fill);
      if (c.Frame) {
        p.setPen(QPen(Qt::black, 0.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
      }
      if (c.Text.isEmpty()) continue;
      const QRectF inner = r.adjusted(c.Inset, 0, -c.Inset, 0);
      p.setFont(CellFont(c, setup));
      p.setPen(Qt::black);
      p.save();
      p.setClipRect(r);
      if (c.Wrap)
        DrawWrapped(p, c, setup, inner.adjusted(0, c.Inset, 0, -c.Inset));
      else
        p.drawText(inner, static_cast<int>(c.Align) | Qt::TextSingleLine,
                   FitText(c.Text, inner.width(), c.FontSize, c.Bold, setup.FontFamily));
      p.restore();
    }
    for (const TReportLine& l : pb.Band.Lines) {
      p.setPen(QPen(Qt::black, l.Width));
      const QPointF at(setup.MarginLeft, pb.Top);
      p.drawLine(l.From + at, l.To + at);
    }
    for (const TReportChart& ch : pb.Band.Charts) DrawChart(p, ch, QPointF(setup.MarginLeft, pb.Top), setup.FontFamily);
  }
  p.restore();
}

bool PrintPages(const std::vector<TReportPage>& pages, const TReportSetup& setup, QPrinter& printer, int from,
                int to) {
  if (pages.empty()) return false;
  const int count = static_cast<int>(pages.size());
  if (from <= 0) from = 1;
  if (to <= 0 || to > count) to = count;
  if (from > to) return false;
  printer.setFullPage(true);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(setup.Orientation);
  QPainter p;
  if (!p.begin(&printer)) return false;
  const double k = printer.resolution() / 72.0;
  for (int n = from; n <= to; ++n) {
    if (n > from && !printer.newPage()) {
      p.end();
      return false;
    }
    p.resetTransform();
    p.scale(k, k);
    RenderPage(p, pages[static_cast<std::size_t>(n - 1)], setup);
  }
  return p.end();
}

TPrinterAnswer SetUpPrinter(QPrinter& printer, int pageCount, bool withDialog, QWidget* owner) {
  if (Hook()) return Hook()(printer, pageCount, withDialog, owner);
  const bool noPrinter = QPrinterInfo::availablePrinterNames().isEmpty();
  // Printing at once goes to the default printer. Without one, a PDF file
  // is the printer this platform always has: the dialog opens with one
  // chosen rather than leaving the user with nothing.
  if (!withDialog && !noPrinter) return TPrinterAnswer::Ready;
  if (noPrinter) {
    // Without a printer the dialog still offers a PDF file, chosen at once.
    printer.setOutputFormat(QPrinter::PdfFormat);
    if (printer.outputFileName().isEmpty()) {
      QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
      printer.setOutputFileName(QDir(folder).filePath(QStringLiteral("report.pdf")));
    }
  }
  QPrintDialog dlg(&printer, owner);
  dlg.setMinMax(1, std::max(1, pageCount));
  dlg.setOption(QAbstractPrintDialog::PrintToFile, true);  // a PDF file is a way out without a printer
  dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
  dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
  return dlg.exec() == QDialog::Accepted ? TPrinterAnswer::Ready : TPrinterAnswer::Cancelled;
}

PrinterSetupHook InstallPrinterSetupHook(PrinterSetupHook hook) {
  PrinterSetupHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

TColumns::TColumns(std::initializer_list<double> widths, double left) {
  double x = left;
  for (double w : widths) {
    X.push_back(x);
    W.push_back(w);
    x += w;
  }
}

}  // namespace korvant
