#include "reports/subst_reports.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/qt_text.h"
#include "reports/report_parts.h"

namespace korvant {

namespace {

// A framed row of journal texts: names and subjects wrap over more lines
// rather than being cut; the narrow number columns are centred.
TReportBand JournalRow(TBandKind kind, const TColumns& cols, const QStringList& texts, bool bold) {
  TReportBand b = MakeRow(kind, cols, texts, bold ? 28 : 16, bold);
  for (TReportCell& c : b.Cells) c.Wrap = true;
  return b;
}

QString Cell(const ZameshDayBuffer& day, int col, int row) { return ToQt(day.Text(col, row)); }

}  // namespace

TZamDayRpForm::TZamDayRpForm(MessageTarget* owner, const TZameshArchive& archive, double date,
                             std::string projectDescription, std::string variantDescription)
    : TReportForm(owner),
      archive_(archive),
      date_(date),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)) {}

void TZamDayRpForm::BuildReport(TBandReport& r) {
  r.Setup.Orientation = QPageLayout::Portrait;
  r.SetTitle(MakeWrappedTitleBand(r.Setup, QStringLiteral("Замещения на ") + ShortDate(date_),
                                  {ToQt(projectDescription_), ToQt(variantDescription_)}));
  r.SetPageFooter(MakeProductFooterBand(r.Setup));
  Progress(kPrintProgressRange, 1);

  const TColumns cols({32, 92, 70, 52, 46, 92, 70, r.Setup.BodyWidth() - 454});
  r.Add(JournalRow(TBandKind::ColumnHeader, cols,
                   {QStringLiteral("Урок"), QStringLiteral("Ф.И.О. отсутств."), QStringLiteral("Предмет"),
                    QStringLiteral("Класс"), QStringLiteral("Кабинет"), QStringLiteral("Ф.И.О. замест."),
                    QStringLiteral("Предмет"), QStringLiteral("Примеч.")},
                   true));
  ZameshDayBuffer day;
  archive_.ReadDay(date_, day);
  Progress(kPrintProgressPos, 1);
  // Every row of the day, however many (the reason is not printed).
  for (int row = 1; row <= day.Count(); ++row)
    r.Add(JournalRow(TBandKind::Detail, cols,
                     {Cell(day, kZamLesson, row), Cell(day, kZamAbsent, row), Cell(day, kZamSubject, row),
                      Cell(day, kZamKlass, row), Cell(day, kZamRoom, row), Cell(day, kZamSubstitute, row),
                      Cell(day, kZamTaught, row), Cell(day, kZamNote, row)},
                     false));
  Progress(kPrintProgressPos, -1);
}

TZamArcRpForm::TZamArcRpForm(MessageTarget* owner, const TZameshArchive& archive, double first, double last,
                             std::string projectDescription, std::string variantDescription)
    : TReportForm(owner),
      archive_(archive),
      first_(first),
      last_(last),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)) {}

void TZamArcRpForm::BuildReport(TBandReport& r) {
  r.Setup.Orientation = QPageLayout::Landscape;
  r.Setup.RepeatTitle = true;
  const double first = ZameshWholeDay(first_);
  // A period that ends before it starts is its first day.
  const double last = ZameshWholeDay(last_) < first ? first : ZameshWholeDay(last_);
  r.SetTitle(MakeWrappedTitleBand(
      r.Setup, QStringLiteral("Замещения за период ") + ShortDate(first) + QStringLiteral(" - ") + ShortDate(last),
      {ToQt(projectDescription_), ToQt(variantDescription_)}));
  r.SetPageFooter(MakeProductFooterBand(r.Setup, QStringLiteral("Стр. %PAGE%")));
  const bool valid = ZameshValidDate(first) && ZameshValidDate(last);
  Progress(kPrintProgressRange, valid ? static_cast<MsgParam>(last - first + 1) : 1);

  const TColumns cols({62, 132, 96, 60, 100, 132, 96, r.Setup.BodyWidth() - 678});
  r.Add(JournalRow(TBandKind::ColumnHeader, cols,
                   {QStringLiteral("Дата"), QStringLiteral("Ф.И.О. отсутствующего"), QStringLiteral("Предмет"),
                    QStringLiteral("Класс"), QStringLiteral("Причина отсутствия"),
                    QStringLiteral("Ф.И.О. замещающего"), QStringLiteral("Предмет"), QStringLiteral("Подпись")},
                   true));
  if (valid) {
    // Only days with an entry can have rows: walk those of the period in
    // date order rather than every calendar day of a period of any length.
    std::vector<double> days;
    for (std::size_t i = 0; i < kZameshEntries; ++i) {
      const TZameshIndexEntry& e = archive_.Image().Entry(i);
      const double d = ZameshWholeDay(e.Date);
      if (!e.IsFree() && d >= first && d <= last) days.push_back(d);
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    ZameshDayBuffer day;
    for (double d : days) {
      archive_.ReadDay(d, day);
      if (day.Count() == 0) continue;
      Progress(kPrintProgressPos, static_cast<MsgParam>(d - first + 1));
      const QString date = ShortDate(d);
      for (int row = 1; row <= day.Count(); ++row)
        r.Add(JournalRow(TBandKind::Detail, cols,
                         {date, Cell(day, kZamAbsent, row), Cell(day, kZamSubject, row), Cell(day, kZamKlass, row),
                          Cell(day, kZamReason, row), Cell(day, kZamSubstitute, row), Cell(day, kZamTaught, row),
                          QString()},
                         false));
    }
  }
  Progress(kPrintProgressPos, -1);
}

}  // namespace korvant
