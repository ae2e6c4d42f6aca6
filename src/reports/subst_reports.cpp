#include "reports/subst_reports.h"

#include <utility>

namespace korvant {

TZamDayRpForm::TZamDayRpForm(MessageTarget* owner, const TZameshArchive& archive, double date,
                             std::string projectDescription, std::string variantDescription)
    : TReportForm(owner),
      archive_(archive),
      date_(date),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)) {}

void TZamDayRpForm::BuildReport(TBandReport&) {}

TZamArcRpForm::TZamArcRpForm(MessageTarget* owner, const TZameshArchive& archive, double first, double last,
                             std::string projectDescription, std::string variantDescription)
    : TReportForm(owner),
      archive_(archive),
      first_(first),
      last_(last),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)) {}

void TZamArcRpForm::BuildReport(TBandReport&) {}

}  // namespace korvant
