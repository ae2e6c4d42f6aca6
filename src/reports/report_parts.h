#pragma once
// Parts shared by the reports of the timetable print dialog: a title band
// whose title wraps rather than being cut, the page footer with the product
// label, and journal dates as the reports print them.
#include <QString>
#include <QStringList>

#include <vector>

#include "platform/report_engine.h"

namespace korvant {

// The title in bold 14 pt over the whole width (wrapped when it is longer
// than a line) and the lines under it (empty ones left out).
TReportBand MakeWrappedTitleBand(const TReportSetup& setup, const QString& title, const QStringList& lines);
// A page footer with the product label at the right, and before it text
// ("%PAGE%" is filled in) at the left.
TReportBand MakeProductFooterBand(const TReportSetup& setup, const QString& text = QString());
// A journal date (days since 1899-12-30) in the short date format.
QString ShortDate(double date);

// How a run of framed columns shares a width, given the texts each column
// will print: the largest whole font size from `largest` down to
// `smallest` at which every text fits its column on one line, the columns
// sharing the width in proportion to what their widest texts need. When
// not even the smallest size is enough, at that size the columns whose
// texts (nine in ten of them) need little keep them on one line, the
// others share what is left in proportion to their needs (each, where the
// width allows, as wide as its longest word), and the longer texts wrap
// (see FitCell). Where the longest words do not fit at the smallest size,
// the widest columns are laid out for theirs at smaller sizes, down to
// `tiniest` (0: no smaller than `smallest`), and FitCell gives the cells
// that need it such a size. `inset` is the cells' text inset.
struct TColumnFit {
  double FontSize = 0;
  std::vector<double> Widths;
  bool OneLine = true;  // every text fits on one line
};
TColumnFit FitColumns(const std::vector<QStringList>& texts, double width, double largest, double smallest,
                      const TReportSetup& setup, bool bold = false, double inset = kCellTextInset, double tiniest = 0);
// The largest whole font size from `largest` down to `smallest` at which
// every text fits a cell `width` wide on one line (`smallest` when none).
double FitFontSize(const QStringList& texts, double width, double largest, double smallest,
                   const TReportSetup& setup, bool bold = false);
// The width a column needs at a font size to print each of its texts on
// one line (LineNeed), or each word of them whole (WordNeed: words end at
// blanks, after "/" and after a hyphen before a letter), with cells of the
// given text inset.
double LineNeed(const QStringList& texts, double size, const TReportSetup& setup, bool bold = false,
                double inset = kCellTextInset);
double WordNeed(const QStringList& texts, double size, const TReportSetup& setup, bool bold = false,
                double inset = kCellTextInset);
// Lets a cell's text wrap when it does not fit the cell on one line (the
// band grows to its lines), so no text is cut; a word wider than the cell
// first takes a smaller font, down to `smallest` (0: the cell's own).
void FitCell(TReportCell& cell, const TReportSetup& setup, double smallest = 0);

}  // namespace korvant
