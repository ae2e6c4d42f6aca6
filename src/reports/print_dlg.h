#pragma once
// The print dialogs ("Просмотр и печать") and the preview form they host.
// A dialog starts in its small selection mode; "Просмотр" generates the
// chosen report and shows it in a preview form placed inside the dialog,
// which grows into its preview mode with a tool bar; "Готово" closes the
// preview and brings the selection back. "Печать" prints the chosen report
// on the default printer. Reports, preview and dialog talk by kMsgPrint.
#include <memory>
#include <vector>

#include "controls/prg_dialog.h"
#include "core/project/project_data.h"
#include "platform/report_engine.h"
#include "platform/window_messages.h"
#include "reports/report_form.h"

class QGroupBox;
class QProgressBar;
class QRadioButton;

namespace korvant {

class TPrgBitBtn;
class TPrgSpeedButton;
class TReportPreview;
class TPrintDlgBase;

// The borderless preview form inside a print dialog. It keeps the report
// form, so that printing from the preview prints what is shown.
class TPrnPreview : public QWidget, public MessageTarget {
  Q_OBJECT
 public:
  TPrnPreview(TPrintDlgBase* dialog, std::unique_ptr<TReportForm> form, std::vector<TReportPage> pages,
              const TReportSetup& setup);
  ~TPrnPreview() override;

  TReportPreview* Preview() const { return preview_; }
  // The report shown; null once the preview has closed.
  const TReportForm* Form() const { return form_.get(); }
  bool Collate() const { return collate_; }
  bool Confirmed() const { return confirmed_; }

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;

  // The printer set-up and, when confirmed, printing of the chosen pages.
  void PrintSetupDialog();
  // Prints every page on the default printer.
  void PrintNow();
  // Frees the report form; the pages shown stay.
  void ReleaseForm();

 signals:
  void Closed();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  bool PrintOn(QPrinter& printer, int from, int to);

  TPrintDlgBase* dialog_;
  std::unique_ptr<TReportForm> form_;
  TReportPreview* preview_;
  bool collate_ = false;
  bool confirmed_ = false;
};

class TPrintDlgBase : public TPrgDialog, public MessageTarget {
  Q_OBJECT
 public:
  static constexpr int kWidth = 539;
  static constexpr int kHeight = 120;
  static constexpr int kPreviewHeight = 330;
  static constexpr int kProgressHeight = 16;

  explicit TPrintDlgBase(QWidget* owner);
  ~TPrintDlgBase() override;

  bool Busy() const { return busy_; }
  bool InPreviewMode() const { return previewMode_; }
  TPrnPreview* PreviewForm() const { return preview_; }
  QWidget* SelectionPanel() const { return selPanel_; }
  QWidget* ToolBar() const { return toolBar_; }
  QWidget* ProgressPanel() const { return progressPanel_; }
  QProgressBar* ProgressBar() const { return progress_; }
  TPrgBitBtn* PreviewButton() const { return previewBtn_; }
  TPrgBitBtn* PrintButton() const { return printBtn_; }
  TPrgBitBtn* CloseButton() const { return closeBtn_; }
  // Tool-bar buttons by tag (2..8), 9 for "Готово", 23 for help.
  TPrgSpeedButton* ToolButton(int tag) const;

  void PreviewReportClick();
  void PrintReportClick();
  void ClosePrnClick();
  void ClosePreviewClick();
  void TlBarCommonClick(int tag);

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;

 protected:
  // The chosen report's form; null when the user gave up a choice on the
  // way (no report then).
  virtual std::unique_ptr<TReportForm> CreateReport() = 0;
  // The chosen report has been printed, its preview closed, or it was not
  // made: what was opened for it can go.
  virtual void ReportDone() {}
  QWidget* ChoiceArea() const { return choiceArea_; }

  bool CloseQuery() override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void SwitchMode(bool preview);
  void PlacePreview();
  void ShowProgress(bool show);
  void PreviewClosed();

  bool busy_ = false;
  bool previewMode_ = false;
  TPrnPreview* preview_ = nullptr;
  QWidget* selPanel_;
  QWidget* choiceArea_;
  QWidget* toolBar_;
  QWidget* progressPanel_;
  QProgressBar* progress_;
  TPrgBitBtn* previewBtn_;
  TPrgBitBtn* printBtn_;
  TPrgBitBtn* closeBtn_;
  TPrgBitBtn* helpBtn_;
  std::vector<TPrgSpeedButton*> tools_;
};

// The project-data print dialog: "учителя" or "классы".
class TPrintDatasDlg : public TPrintDlgBase {
  Q_OBJECT
 public:
  TPrintDatasDlg(QWidget* owner, const TProjectData& data);

  QRadioButton* TeachersChoice() const { return teachers_; }
  QRadioButton* KlassesChoice() const { return klasses_; }

 protected:
  std::unique_ptr<TReportForm> CreateReport() override;

 private:
  const TProjectData& data_;
  QRadioButton* teachers_;
  QRadioButton* klasses_;
};

}  // namespace korvant
