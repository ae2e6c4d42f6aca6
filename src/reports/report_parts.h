#pragma once
// Parts shared by the reports of the timetable print dialog: a title band
// whose title wraps rather than being cut, the page footer with the product
// label, and journal dates as the reports print them.
#include <QString>
#include <QStringList>

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

}  // namespace korvant
