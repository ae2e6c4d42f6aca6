#pragma once
// The substitution reports of the timetable print dialog: the journal of
// one day and the journal of a period, both read from the open archive.
#include <string>

#include "core/substitutions/zamesh_archive.h"
#include "reports/report_form.h"

namespace korvant {

// "Замещения на конкретный день". The archive stays open while the form
// lives (the print dialog opens it around the report). Descriptions are
// the project's and the variant's (CP1251).
class TZamDayRpForm : public TReportForm {
 public:
  TZamDayRpForm(MessageTarget* owner, const TZameshArchive& archive, double date, std::string projectDescription,
                std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  const TZameshArchive& archive_;
  double date_;
  std::string projectDescription_;
  std::string variantDescription_;
};

// "Журнал замещений за конкретный период": every day from first to last.
class TZamArcRpForm : public TReportForm {
 public:
  TZamArcRpForm(MessageTarget* owner, const TZameshArchive& archive, double first, double last,
                std::string projectDescription, std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  const TZameshArchive& archive_;
  double first_;
  double last_;
  std::string projectDescription_;
  std::string variantDescription_;
};

}  // namespace korvant
