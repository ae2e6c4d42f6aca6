#include "reports/report_parts.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <numeric>

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

namespace {

// What a column needs for its texts at a font size: the widest, or the one
// that nine in ten do not pass; a column without text keeps a narrow frame.
double Need(const QStringList& texts, double size, const TReportSetup& s, bool bold, bool ninetyPercent,
            double inset) {
  std::vector<double> w;
  for (const QString& t : texts)
    if (!t.isEmpty()) w.push_back(TextWidth(t, size, bold, s.FontFamily));
  double need = 0;
  if (!w.empty()) {
    std::sort(w.begin(), w.end());
    const std::size_t at = ninetyPercent ? (w.size() - 1) * 9 / 10 : w.size() - 1;
    need = w[std::min(at, w.size() - 1)];
  }
  // The inset on both sides and a little air against rounding.
  return std::max(need, 4.0) + 2 * inset + 1;
}

// The width of a text's longest word: a wrapped text breaks between words,
// never inside one while each word fits. Words end at blanks, after "/"
// and after a hyphen followed by a letter ("XI-Science"), where the
// engine's lines break too.
double LongestWord(const QString& text, double size, const TReportSetup& s, bool bold) {
  static const QRegularExpression breaks(QStringLiteral("(?<=/)|(?<=-)(?=\\p{L})|\\s+"));
  double need = 0;
  for (const QString& word : text.split(breaks, Qt::SkipEmptyParts))
    need = std::max(need, TextWidth(word, size, bold, s.FontFamily));
  return need;
}

// Raises every column to its floor, taking the width from the columns
// above theirs in proportion to what they have above it; nothing changes
// when the floors together are wider than the columns.
void RaiseToFloors(std::vector<double>& widths, const std::vector<double>& floors) {
  const double total = std::accumulate(widths.begin(), widths.end(), 0.0);
  if (std::accumulate(floors.begin(), floors.end(), 0.0) > total) return;
  double missing = 0, spare = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    if (widths[i] < floors[i]) missing += floors[i] - widths[i];
    else spare += widths[i] - floors[i];
  }
  if (missing <= 0 || spare <= 0) return;
  for (std::size_t i = 0; i < widths.size(); ++i)
    widths[i] = widths[i] < floors[i] ? floors[i] : widths[i] - (widths[i] - floors[i]) * missing / spare;
}

// Every column what it needs, and the width left over in proportion.
std::vector<double> Share(const std::vector<double>& needs, double width) {
  const double sum = std::accumulate(needs.begin(), needs.end(), 0.0);
  std::vector<double> out;
  for (double n : needs) out.push_back(sum > 0 ? width * n / sum : width / static_cast<double>(needs.size()));
  return out;
}

// Too little width for all: a column needing no more than an even share of
// what is left keeps its texts on one line; the others share the rest in
// proportion to their needs.
std::vector<double> ShareShort(const std::vector<double>& needs, double width) {
  std::vector<double> out(needs.size(), -1);
  double left = width;
  for (bool settled = true; settled;) {
    settled = false;
    std::size_t open = 0;
    for (double w : out) open += w < 0;
    if (open == 0) break;
    for (std::size_t i = 0; i < needs.size(); ++i)
      if (out[i] < 0 && needs[i] <= left / static_cast<double>(open)) {
        out[i] = needs[i];
        left -= needs[i];
        settled = true;
        break;
      }
  }
  std::vector<double> rest;
  for (std::size_t i = 0; i < needs.size(); ++i)
    if (out[i] < 0) rest.push_back(needs[i]);
  if (rest.empty()) return Share(needs, width);  // all of them fit after all: none wraps
  const std::vector<double> shared = Share(rest, std::max(0.0, left));
  for (std::size_t i = 0, j = 0; i < needs.size(); ++i)
    if (out[i] < 0) out[i] = shared[j++];
  return out;
}

}  // namespace

TColumnFit FitColumns(const std::vector<QStringList>& texts, double width, double largest, double smallest,
                      const TReportSetup& setup, bool bold, double inset, double tiniest) {
  TColumnFit fit;
  for (double size = largest; size >= smallest; size -= 1) {
    std::vector<double> needs;
    for (const QStringList& t : texts) needs.push_back(Need(t, size, setup, bold, false, inset));
    if (std::accumulate(needs.begin(), needs.end(), 0.0) <= width) {
      fit.FontSize = size;
      fit.Widths = Share(needs, width);
      return fit;
    }
  }
  std::vector<double> needs, words, sizes(texts.size(), smallest);
  for (const QStringList& t : texts) {
    needs.push_back(Need(t, smallest, setup, bold, true, inset));
    words.push_back(WordNeed(t, smallest, setup, bold, inset));
  }
  // Words too long for the width at the smallest size: the widest column's
  // floor goes a size down, again and again, while one can.
  const double lowest = tiniest > 0 ? tiniest : smallest;
  while (std::accumulate(words.begin(), words.end(), 0.0) > width) {
    std::size_t widest = words.size();
    for (std::size_t i = 0; i < words.size(); ++i)
      if (sizes[i] - 1 >= lowest && (widest == words.size() || words[i] > words[widest])) widest = i;
    if (widest == words.size()) break;
    sizes[widest] -= 1;
    words[widest] = WordNeed(texts[widest], sizes[widest], setup, bold, inset);
  }
  fit.FontSize = smallest;
  fit.Widths = ShareShort(needs, width);
  RaiseToFloors(fit.Widths, words);
  fit.OneLine = false;
  return fit;
}

double FitFontSize(const QStringList& texts, double width, double largest, double smallest, const TReportSetup& setup,
                   bool bold) {
  for (double size = largest; size > smallest; size -= 1)
    if (Need(texts, size, setup, bold, false, kCellTextInset) <= width) return size;
  return smallest;
}

double LineNeed(const QStringList& texts, double size, const TReportSetup& setup, bool bold, double inset) {
  return Need(texts, size, setup, bold, false, inset);
}

double WordNeed(const QStringList& texts, double size, const TReportSetup& setup, bool bold, double inset) {
  double need = 0;
  for (const QString& t : texts) need = std::max(need, LongestWord(t, size, setup, bold));
  return need + 2 * inset + 1;
}

void FitCell(TReportCell& cell, const TReportSetup& setup, double smallest) {
  if (cell.Text.isEmpty()) return;
  const double room = cell.Rect.width() - 2 * cell.Inset;
  // The engine keeps half a point more from a wrapped line's end.
  while (smallest > 0 && cell.FontSize - 1 >= smallest &&
         LongestWord(cell.Text, cell.FontSize, setup, cell.Bold) > room - 0.5)
    cell.FontSize -= 1;
  if (TextWidth(cell.Text, cell.FontSize, cell.Bold, setup.FontFamily) > room) cell.Wrap = true;
}

QString ShortDate(double date) {
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  return ru.toString(QDateOfZamesh(date), QLocale::ShortFormat);
}

}  // namespace korvant
