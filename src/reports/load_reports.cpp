#include "reports/load_reports.h"

#include <utility>

namespace korvant {

TMedTableRpForm::TMedTableRpForm(MessageTarget* owner, std::vector<bool> selected, const TTableVarItem& var,
                                 std::string projectDescription, std::string variantDescription)
    : TReportForm(owner),
      selected_(std::move(selected)),
      var_(var),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)) {}

void TMedTableRpForm::BuildReport(TBandReport&) {}

TMedChartRpForm::TMedChartRpForm(MessageTarget* owner, std::vector<bool> selected, const TTableVarItem& var,
                                 std::string projectDescription, std::string variantDescription)
    : TReportForm(owner),
      selected_(std::move(selected)),
      var_(var),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)) {}

void TMedChartRpForm::BuildReport(TBandReport&) {}

}  // namespace korvant
