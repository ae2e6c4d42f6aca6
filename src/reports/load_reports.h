#pragma once
// The load reports of the timetable print dialog: how each klass's daily
// difficulty is spread over the six days, as a table and as line charts.
#include <string>
#include <vector>

#include "core/variant/table_var.h"
#include "reports/report_form.h"

namespace korvant {

// selected[k] tells whether klass k of the variant is printed. Descriptions
// are the project's and the variant's (CP1251).
class TMedTableRpForm : public TVariantReportForm {
 public:
  TMedTableRpForm(MessageTarget* owner, std::vector<bool> selected, const TTableVarItem& var,
                  std::string projectDescription, std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  std::vector<bool> selected_;
};

class TMedChartRpForm : public TVariantReportForm {
 public:
  TMedChartRpForm(MessageTarget* owner, std::vector<bool> selected, const TTableVarItem& var,
                  std::string projectDescription, std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  std::vector<bool> selected_;
};

}  // namespace korvant
