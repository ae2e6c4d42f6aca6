#pragma once
// The banded report engine: a report is a list of bands (title, page
// header, detail rows, group headers and footers, summary, page footer)
// that Paginate lays out on pages. Layout is pure arithmetic on the band
// heights and the text measures, so the page model can be checked without
// a printer; the preview widget and the printer draw the same pages.
//
// Units are points (1/72 inch) from the paper's top left corner; a cell's
// font size is given in the same units, so measures do not depend on the
// device's resolution.
#include <QColor>
#include <QPageLayout>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;

namespace korvant {

// How far a cell's text keeps from its sides unless the cell says less.
constexpr double kCellTextInset = 2;

// One framed or bare text cell of a band, placed relative to the band's
// top left corner (x from the left margin).
struct TReportCell {
  QRectF Rect;
  QString Text;
  Qt::Alignment Align = Qt::AlignLeft | Qt::AlignVCenter;
  double FontSize = 10;  // points
  bool Bold = false;
  bool Frame = false;
  // Wrapped text makes the band as tall as the lines need; unwrapped text
  // that does not fit is cut with "…". Text never leaves its cell.
  bool Wrap = false;
  QColor Fill;  // invalid: no fill
  // How far the text keeps from the cell's sides (and, wrapped, from its
  // top and bottom), in points; dense tables keep less.
  double Inset = kCellTextInset;
};

// A straight line of a band (the ruled lines of a notes area), relative to
// the band's top left corner.
struct TReportLine {
  QPointF From, To;
  double Width = 0.5;  // points
};

// One line series of a chart: points in axis units, joined in order.
struct TChartSeries {
  QString Title;
  QColor Color = Qt::black;
  std::vector<QPointF> Points;
};

// A line chart placed in a band: a left and a bottom axis with fixed ranges
// and steps, the legend at the top listing the series, the series drawn
// over the plot area and clipped to it. Drawn as vectors, so the preview,
// the printer and a PDF show the same chart.
struct TReportChart {
  QRectF Rect;  // relative to the band's top left corner
  double XMin = 0, XMax = 1, XStep = 1;
  double YMin = 0, YMax = 1, YStep = 1;
  double FontSize = 8;  // points, of the labels and the legend
  // The label of a bottom-axis value; unset gives the number.
  std::function<QString(double)> XLabel;
  std::vector<TChartSeries> Series;

  // The axis labels as printed (empty ones left out), bottom then left.
  QStringList XLabels() const;
  QStringList YLabels() const;
  // Where the axes' values lie in band coordinates.
  QRectF PlotRect(const QString& fontFamily) const;
};

enum class TBandKind {
  Title,         // first page only (or every page with RepeatTitle)
  PageHeader,    // top of every page, under the title
  ColumnHeader,  // repeated under the page header on every page until replaced
  GroupHeader,   // kept on the page of the first band after it
  Detail,
  GroupFooter,
  Summary,
  PageFooter,    // bottom of every page; "%PAGE%" / "%PAGES%" in its texts
};

struct TReportBand {
  TBandKind Kind = TBandKind::Detail;
  double Height = 16;
  std::vector<TReportCell> Cells;
  std::vector<TReportLine> Lines;
  std::vector<TReportChart> Charts;
  // A band that starts a new page before itself (the report's new-page
  // operation); the first band of a page never breaks again.
  bool PageBreakBefore = false;

  // Appends a cell and answers it for further settings.
  TReportCell& AddCell(double x, double width, const QString& text,
                       Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter, bool frame = false);
};

struct TReportSetup {
  QPageLayout::Orientation Orientation = QPageLayout::Portrait;
  double MarginLeft = 36, MarginTop = 30, MarginRight = 30, MarginBottom = 30;  // points
  bool RepeatTitle = false;
  QString FontFamily = QStringLiteral("DejaVu Sans");
  // A4 in points.
  double PaperWidth() const;
  double PaperHeight() const;
  double BodyWidth() const { return PaperWidth() - MarginLeft - MarginRight; }
};

// The report as built by a report form: its setup and its bands in order.
// Title, page header and page footer are single bands; a column header
// band applies from its position on (a new one replaces it).
class TBandReport {
 public:
  TReportSetup Setup;

  void SetTitle(TReportBand band);
  void SetPageHeader(TReportBand band);
  void SetPageFooter(TReportBand band);
  TReportBand& Add(TReportBand band);
  // The text printed on a single page when the report has no body band.
  void SetEmptyText(const QString& text) { emptyText_ = text; }

  const TReportBand* Title() const { return title_.get(); }
  const TReportBand* PageHeader() const { return pageHeader_.get(); }
  const TReportBand* PageFooter() const { return pageFooter_.get(); }
  const std::vector<TReportBand>& Bands() const { return bands_; }
  const QString& EmptyText() const { return emptyText_; }

 private:
  std::unique_ptr<TReportBand> title_, pageHeader_, pageFooter_;
  std::vector<TReportBand> bands_;
  QString emptyText_;
};

// A band as placed on a page: its own copy (page numbers filled in, wrapped
// heights applied), its top and, for body bands, its index in Bands().
struct TPlacedBand {
  TReportBand Band;
  double Top = 0;
  int Source = -1;  // index into Bands(), -1 for title/header/footer copies
};

struct TReportPage {
  std::vector<TPlacedBand> Bands;
  // Every text on the page in drawing order (for tests and searching): the
  // cells', then each chart's legend and axis labels.
  QStringList Texts() const;
};

// Lays the report out. Never returns no pages: an empty report gets one
// page with its title, headers and the empty text.
std::vector<TReportPage> Paginate(const TBandReport& report);

// The height a band takes once its wrapped cells have their lines.
double BandHeight(const TReportBand& band, const TReportSetup& setup);

// The lines a cell prints, as measured and drawn: a wrapped cell's text
// broken between words (inside a word only when the word alone is wider
// than the cell), else the one line cut to fit.
QStringList CellLines(const TReportCell& cell, const TReportSetup& setup);

// Text cut to fit width with the cell font: while too wide, the last
// character goes, then trailing blanks and points, and "…" is appended.
QString FitText(const QString& text, double width, double fontSize, bool bold, const QString& family);
// The width text takes on one line in the cell font.
double TextWidth(const QString& text, double fontSize, bool bold, const QString& family);

// Draws one page in points onto a painter already scaled to points.
void RenderPage(QPainter& p, const TReportPage& page, const TReportSetup& setup);

// Prints pages [from, to] (1-based; 0 and 0 all) onto printer, which must
// be set up already. Answers false when the printer cannot be started.
bool PrintPages(const std::vector<TReportPage>& pages, const TReportSetup& setup, QPrinter& printer,
                int from = 0, int to = 0);

// Where a report goes: the program asks the system's printers; tests
// install a hook that prints to a PDF file (or answers NoPrinter).
enum class TPrinterAnswer { Ready, Cancelled, NoPrinter };
// Sets printer up for a report of pageCount pages. withDialog runs the
// print set-up dialog (owner), which also offers a PDF file; else the
// default printer is taken. Without a printer in the system both run the
// dialog with a PDF file chosen.
using PrinterSetupHook =
    std::function<TPrinterAnswer(QPrinter& printer, int pageCount, bool withDialog, QWidget* owner)>;
TPrinterAnswer SetUpPrinter(QPrinter& printer, int pageCount, bool withDialog, QWidget* owner);
PrinterSetupHook InstallPrinterSetupHook(PrinterSetupHook hook);  // returns the previous

class ScopedPrinterSetupHook {
 public:
  explicit ScopedPrinterSetupHook(PrinterSetupHook h) : old_(InstallPrinterSetupHook(std::move(h))) {}
  ~ScopedPrinterSetupHook() { InstallPrinterSetupHook(std::move(old_)); }
  ScopedPrinterSetupHook(const ScopedPrinterSetupHook&) = delete;
  ScopedPrinterSetupHook& operator=(const ScopedPrinterSetupHook&) = delete;
 private:
  PrinterSetupHook old_;
};

// Helper for building framed tables: column edges from widths.
struct TColumns {
  std::vector<double> X, W;
  explicit TColumns(std::initializer_list<double> widths, double left = 0);
  int Count() const { return static_cast<int>(W.size()); }
  double Width() const { return X.empty() ? 0 : X.back() + W.back() - X.front(); }
};

}  // namespace korvant
