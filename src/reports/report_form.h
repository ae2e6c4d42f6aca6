#pragma once
// The base of every report form: it builds its banded report (the work of
// the report's BeforePrint and data requests), hands it to the engine for
// pages, and tells its owner dialog of its progress by kMsgPrint.
#include <QString>

#include <string>
#include <utility>
#include <vector>

#include "core/common/window_messages.h"
#include "platform/report_engine.h"

class QWidget;

namespace korvant {

class MessageTarget;
class TTableVarItem;

class TReportForm {
 public:
  // owner receives the progress messages; null sends none.
  explicit TReportForm(MessageTarget* owner) : owner_(owner) {}
  virtual ~TReportForm() = default;
  TReportForm(const TReportForm&) = delete;
  TReportForm& operator=(const TReportForm&) = delete;

  // Builds the report afresh (every run starts from its BeforePrint).
  TBandReport Build();
  // Builds and lays the report out; setup receives the report's setup.
  std::vector<TReportPage> Generate(TReportSetup* setup = nullptr);

 protected:
  virtual void BuildReport(TBandReport& report) = 0;
  // kMsgPrint to the owner dialog.
  void Progress(MsgParam w, MsgParam l) const;

 private:
  MessageTarget* owner_;
};

// A report of an open variant, titled with the project's and the
// variant's descriptions (CP1251).
class TVariantReportForm : public TReportForm {
 protected:
  TVariantReportForm(MessageTarget* owner, const TTableVarItem& var, std::string projectDescription,
                     std::string variantDescription)
      : TReportForm(owner),
        var_(var),
        projectDescription_(std::move(projectDescription)),
        variantDescription_(std::move(variantDescription)) {}

  const TTableVarItem& var_;
  std::string projectDescription_;
  std::string variantDescription_;
};

// The common title band: the title in bold 14 pt at the left, the lines
// under it (project and variant descriptions), and the product label at
// the right.
TReportBand MakeTitleBand(const TReportSetup& setup, const QString& title, const QStringList& lines);
// The product label, the product title in double quotation marks.
QString ProductLabel();
// The note printed on the page of a report without rows.
QString NoDataText();
// A framed header or data row over columns; texts past the columns are ignored.
TReportBand MakeRow(TBandKind kind, const TColumns& cols, const QStringList& texts, double height = 16,
                    bool bold = false);

}  // namespace korvant
