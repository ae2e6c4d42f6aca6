#include "reports/print_dlg.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPrinter>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include "base/cp1251.h"
#include "controls/bit_btn.h"
#include "controls/shaped_hint.h"
#include "controls/speed_button.h"
#include "core/common/catalogue.h"
#include "platform/help_service.h"
#include "platform/report_preview.h"
#include "reports/data_reports.h"

namespace korvant {

namespace {

constexpr int kDialogHelp = 22;
constexpr int kPreviewHelp = 23;
constexpr int kMsgCloseBusy = 10152;
constexpr int kMsgNoPrinter = 10153;
constexpr int kToolDone = 9;
constexpr int kToolHelp = 23;

TPrgBitBtn* MakeButton(QWidget* parent, const QString& caption, const QString& hint, QRect r) {
  auto* b = new TPrgBitBtn(TBitBtnKind::bkCustom, caption, parent);
  b->setGeometry(r);
  b->setToolTip(hint);
  return b;
}

void FailedPrint(QWidget* owner) {
  ShowErrMsgText(owner, cp1251::fromUtf8("Не удалось напечатать отчет."), kBoxOk);
}

}  // namespace

// ---- preview form ------------------------------------------------------------

TPrnPreview::TPrnPreview(TPrintDlgBase* dialog, std::unique_ptr<TReportForm> form, std::vector<TReportPage> pages,
                         const TReportSetup& setup)
    : QWidget(dialog, Qt::Widget), dialog_(dialog), form_(std::move(form)), preview_(new TReportPreview(this)) {
  SetHelpContext(this, kPreviewHelp);
  // The control fills the form and follows its size.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(preview_);
  preview_->SetPages(std::move(pages), setup);
  preview_->ZoomToWidth();  // as the pressed zoom button says
  connect(preview_, &TReportPreview::MouseMoved, this,
          [this] { postMessage(dialog_, kMsgPrint, kPrintHintCancel, 0); });
  sendMessage(dialog_, kMsgPrint, kPrintPreviewWindow, reinterpret_cast<MsgParam>(this));
}

TPrnPreview::~TPrnPreview() = default;

void TPrnPreview::ReleaseForm() { form_.reset(); }

void TPrnPreview::closeEvent(QCloseEvent* e) {
  QWidget::closeEvent(e);
  hide();
  emit Closed();
}

MsgResult TPrnPreview::handleMessage(uint32_t msg, MsgParam w, MsgParam) {
  if (msg != kMsgPrint) return 0;
  sendMessage(dialog_, kMsgPrint, kPrintHintCancel, 0);
  switch (w) {
    case 2: preview_->ZoomToWidth(); break;
    case 3: preview_->ZoomToFit(); break;
    case 4: preview_->SetZoom(100); break;
    case 5: PrintSetupDialog(); break;
    case 6: PrintNow(); break;
    case 7: preview_->SetPageNumber(preview_->PageNumber() - 1); break;
    case 8: preview_->SetPageNumber(preview_->PageNumber() + 1); break;
    default: break;
  }
  return 0;
}

bool TPrnPreview::PrintOn(QPrinter& printer, int from, int to) {
  return PrintPages(preview_->Pages(), preview_->Setup(), printer, from, to);
}

void TPrnPreview::PrintSetupDialog() {
  confirmed_ = false;
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(preview_->Setup().Orientation);
  printer.setCollateCopies(collate_);
  switch (SetUpPrinter(printer, preview_->PageCount(), true, this)) {
    case TPrinterAnswer::NoPrinter: ShowErrMsg(dialog_, kMsgNoPrinter, kBoxOk); return;
    case TPrinterAnswer::Cancelled: return;
    case TPrinterAnswer::Ready: break;
  }
  collate_ = printer.collateCopies();
  confirmed_ = true;
  const bool range = printer.printRange() == QPrinter::PageRange;
  if (!PrintOn(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0)) FailedPrint(dialog_);
}

void TPrnPreview::PrintNow() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setCollateCopies(collate_);
  switch (SetUpPrinter(printer, preview_->PageCount(), false, this)) {
    case TPrinterAnswer::NoPrinter: ShowErrMsg(dialog_, kMsgNoPrinter, kBoxOk); return;
    case TPrinterAnswer::Cancelled: return;
    case TPrinterAnswer::Ready: break;
  }
  if (!PrintOn(printer, 0, 0)) FailedPrint(dialog_);
}

// ---- dialog --------------------------------------------------------------------

TPrintDlgBase::TPrintDlgBase(QWidget* owner) : TPrgDialog(owner) {
  setWindowTitle(QStringLiteral("Просмотр и печать"));
  setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  SetHelpContext(this, kDialogHelp);

  selPanel_ = new QWidget(this);
  selPanel_->setGeometry(0, 0, kWidth, kHeight);
  choiceArea_ = new QGroupBox(QStringLiteral(" Выбор формы отчета "), selPanel_);
  choiceArea_->setGeometry(8, 4, 300, kHeight - 8);
  previewBtn_ = MakeButton(selPanel_, QStringLiteral("Просмотр"), QStringLiteral("Предварит. просмотр"),
                           QRect(320, 14, 100, 25));
  printBtn_ = MakeButton(selPanel_, QStringLiteral("Печать"), QStringLiteral("Печать отчета"), QRect(428, 14, 100, 25));
  closeBtn_ = MakeButton(selPanel_, QStringLiteral("Закрыть"), QStringLiteral("Закрыть диалог"), QRect(320, 52, 100, 25));
  closeBtn_->SetCancel(true);
  helpBtn_ = MakeButton(selPanel_, QStringLiteral("Справка"), QStringLiteral("Справка по диалогу"), QRect(428, 52, 100, 25));
  helpBtn_->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  SetHelpContext(helpBtn_, kDialogHelp);
  connect(previewBtn_, &TPrgBitBtn::Clicked, this, &TPrintDlgBase::PreviewReportClick);
  connect(printBtn_, &TPrgBitBtn::Clicked, this, &TPrintDlgBase::PrintReportClick);
  connect(closeBtn_, &TPrgBitBtn::Clicked, this, &TPrintDlgBase::ClosePrnClick);
  connect(helpBtn_, &TPrgBitBtn::Clicked, this, [] { ShowHelpContext(kDialogHelp); });

  toolBar_ = new QWidget(this);
  toolBar_->setGeometry(0, 0, kWidth, 35);
  struct Tool { int tag; const char16_t* caption; const char16_t* hint; int width; };
  const Tool tools[] = {
      {2, u"Ширина", u"Во всю ширину", 60},  {3, u"Страница", u"Во всю высоту", 66},
      {4, u"100%", u"100%", 44},             {5, u"Печать", u"Печать отчета", 58},
      {7, u"<", u"Предыдущая страница", 28}, {8, u">", u"Следующая страница", 28},
      {kToolHelp, u"?", u"Вызов справки", 28}, {kToolDone, u"Готово", u"Завершить просмотр", 66},
  };
  int x = 4;
  for (const Tool& t : tools) {
    auto* b = new TPrgSpeedButton(toolBar_);
    b->setGeometry(x, 4, t.width, 27);
    x += t.width + 4;
    b->SetFlat(true);
    b->SetCaption(QString::fromUtf16(t.caption));
    b->setToolTip(QString::fromUtf16(t.hint));
    b->setProperty("tag", t.tag);
    if (t.tag >= 2 && t.tag <= 4) b->SetGroupIndex(1);
    const int tag = t.tag;
    if (tag == kToolDone)
      connect(b, &TPrgSpeedButton::Clicked, this, &TPrintDlgBase::ClosePreviewClick);
    else if (tag == kToolHelp)
      connect(b, &TPrgSpeedButton::Clicked, this, [] { ShowHelpContext(kPreviewHelp); });
    else
      connect(b, &TPrgSpeedButton::Clicked, this, [this, tag] { TlBarCommonClick(tag); });
    tools_.push_back(b);
  }
  toolBar_->hide();

  progressPanel_ = new QWidget(this);
  progress_ = new QProgressBar(progressPanel_);
  progress_->setTextVisible(false);
  progressPanel_->hide();

  SwitchMode(false);
}

TPrintDlgBase::~TPrintDlgBase() = default;

TPrgSpeedButton* TPrintDlgBase::ToolButton(int tag) const {
  for (TPrgSpeedButton* b : tools_)
    if (b->property("tag").toInt() == tag) return b;
  return nullptr;
}

void TPrintDlgBase::SwitchMode(bool preview) {
  setUpdatesEnabled(false);
  previewMode_ = preview;
  // Every preview opens at the page's width: the tool bar says so from the
  // moment the last one closed.
  ToolButton(2)->SetDown(true);
  if (!preview) {
    selPanel_->show();
    toolBar_->hide();
    ShowProgress(false);
    setMinimumSize(kWidth, kHeight);
    setMaximumSize(kWidth, kHeight);
    resize(kWidth, kHeight);
  } else {
    selPanel_->hide();
    toolBar_->show();
    setMinimumSize(kWidth, kHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(width(), kPreviewHeight);
  }
  setUpdatesEnabled(true);
}

void TPrintDlgBase::ShowProgress(bool show) {
  if (show == progressPanel_->isVisible()) return;
  const int h = height() + (show ? kProgressHeight : -kProgressHeight);
  if (show) setMaximumHeight(std::max(maximumHeight(), h));
  progressPanel_->setVisible(show);
  resize(width(), h);
  if (!show && !previewMode_) setMaximumSize(kWidth, kHeight);
  PlacePreview();
}

void TPrintDlgBase::PlacePreview() {
  progressPanel_->setGeometry(0, height() - kProgressHeight, width(), kProgressHeight);
  progress_->setGeometry(progressPanel_->rect());
  if (!preview_) return;
  const int progressH = progressPanel_->isVisible() ? kProgressHeight : 0;
  preview_->setGeometry(8, 36, width() - 24, height() - 75 - progressH);
}

void TPrintDlgBase::resizeEvent(QResizeEvent* e) {
  TPrgDialog::resizeEvent(e);
  PlacePreview();
}

void TPrintDlgBase::PreviewReportClick() {
  if (busy_) return;
  preview_ = nullptr;
  busy_ = true;
  SwitchMode(true);
  SetHelpContext(this, kPreviewHelp);
  std::unique_ptr<TReportForm> form = CreateReport();
  if (!form) {
    ReportDone();
    SetHelpContext(this, kDialogHelp);
    SwitchMode(false);
    busy_ = false;
    return;
  }
  TReportSetup setup;
  std::vector<TReportPage> pages = form->Generate(&setup);
  auto* p = new TPrnPreview(this, std::move(form), std::move(pages), setup);
  connect(p, &TPrnPreview::Closed, this, &TPrintDlgBase::PreviewClosed);
  p->show();
  // The preview stays until "Готово" closes it; the dialog is busy till then.
}

void TPrintDlgBase::PreviewClosed() {
  TPrnPreview* p = preview_;
  SetHelpContext(this, kDialogHelp);
  preview_ = nullptr;
  // The form is inside its own close handler: it goes once that returns;
  // the report it shows goes now, before what it reads is released.
  if (p) {
    p->ReleaseForm();
    p->deleteLater();
  }
  ReportDone();
  SwitchMode(false);
  busy_ = false;
}

void TPrintDlgBase::PrintReportClick() {
  if (busy_) return;
  preview_ = nullptr;
  busy_ = true;
  if (std::unique_ptr<TReportForm> form = CreateReport()) {
    TReportSetup setup;
    const std::vector<TReportPage> pages = form->Generate(&setup);
    QPrinter printer(QPrinter::HighResolution);
    // No preview form holds a collate choice here: copies come out collated.
    printer.setCollateCopies(true);
    switch (SetUpPrinter(printer, static_cast<int>(pages.size()), false, this)) {
      case TPrinterAnswer::NoPrinter: ShowErrMsg(this, kMsgNoPrinter, kBoxOk); break;
      case TPrinterAnswer::Cancelled: break;
      case TPrinterAnswer::Ready:
        if (!PrintPages(pages, setup, printer)) FailedPrint(this);
        break;
    }
  }
  ReportDone();
  busy_ = false;
  ShowProgress(false);
}

void TPrintDlgBase::ClosePrnClick() {
  if (busy_) {
    ShowErrMsg(this, kMsgCloseBusy, kBoxOk);
    return;
  }
  SetModalResult(mrOk);
}

void TPrintDlgBase::ClosePreviewClick() {
  if (preview_) QTimer::singleShot(0, preview_, [p = preview_] { p->close(); });
}

bool TPrintDlgBase::CloseQuery() {
  if (!busy_) return true;
  ShowErrMsg(this, kMsgCloseBusy, kBoxOk);
  return false;
}

void TPrintDlgBase::keyPressEvent(QKeyEvent* e) {
  if (previewMode_ && e->key() == Qt::Key_Escape) {
    ClosePreviewClick();
    return;
  }
  TPrgDialog::keyPressEvent(e);
}

void TPrintDlgBase::TlBarCommonClick(int tag) {
  if (preview_) postMessage(preview_, kMsgPrint, tag, 0);
}

MsgResult TPrintDlgBase::handleMessage(uint32_t msg, MsgParam w, MsgParam l) {
  if (msg != kMsgPrint) return 0;
  switch (w) {
    case kPrintPreviewWindow:
      preview_ = reinterpret_cast<TPrnPreview*>(l);
      PlacePreview();
      break;
    case kPrintHintCancel:
      ShapedHintWindow::Instance()->CancelHint();
      QToolTip::hideText();
      break;
    case kPrintProgressRange:
      progress_->setRange(0, static_cast<int>(l - 1));
      progress_->setValue(0);
      if (progress_->minimum() < progress_->maximum()) ShowProgress(true);
      break;
    case kPrintProgressPos:
      if (l < 0)
        ShowProgress(false);
      else
        progress_->setValue(static_cast<int>(l));
      break;
    default: break;
  }
  return 0;
}

// ---- project data -------------------------------------------------------------

TPrintDatasDlg::TPrintDatasDlg(QWidget* owner, const TProjectData& data) : TPrintDlgBase(owner), data_(data) {
  teachers_ = new QRadioButton(QStringLiteral("учителя"), ChoiceArea());
  teachers_->setGeometry(16, 24, 200, 20);
  klasses_ = new QRadioButton(QStringLiteral("классы"), ChoiceArea());
  klasses_->setGeometry(16, 48, 200, 20);
  teachers_->setChecked(true);
}

std::unique_ptr<TReportForm> TPrintDatasDlg::CreateReport() {
  if (teachers_->isChecked()) return std::make_unique<TTeachersDataRpForm>(this, data_);
  sendMessage(this, kMsgPrint, kPrintProgressRange, data_.Klasses.Count());
  sendMessage(this, kMsgPrint, kPrintProgressPos, 1);
  return std::make_unique<TClassDataRpForm>(this, data_);
}

}  // namespace korvant
