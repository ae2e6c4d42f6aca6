#include "windows/shell/test_data_dlg.h"

#include <QCloseEvent>

#include "platform/help_service.h"
#include "platform/window_messages.h"
#include "controls/form_util.h"

namespace korvant {

namespace {
constexpr int kHelpContext = 27;
constexpr const char* kPageNames[kCheckPageCount] = {"Кабинеты", "Предметы", "Классы", "Учителя",
                                                     "Уроки"};
}  // namespace

TTestDataDlg::TTestDataDlg(QWidget* owner)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(426, 273);
  setWindowTitle(Ru("Проверка данных"));
  SetHelpContext(this, kHelpContext);

  pages_ = new QTabWidget(this);
  pages_->setGeometry(8, 8, 410, 225);
  SetHelpContext(pages_, 491);
  for (int kind = 0; kind < kCheckPageCount; ++kind) {
    auto* page = new QWidget;
    SetHelpContext(page, 492);
    auto* memo = new QPlainTextEdit(page);
    memo->setGeometry(8, 8, 386, 180);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memos_[static_cast<std::size_t>(kind)] = memo;
    pages_->addTab(page, Ru(kPageNames[kind]));
  }

  close_ = new TPrgBitBtn(TBitBtnKind::bkClose, Ru("Закрыть"), this);
  close_->SetCancel(true);
  close_->setGeometry(124, 242, 80, 25);
  close_->setToolTip(Ru("Закрыть диалог"));
  SetHelpContext(close_, 493);

  help_ = MakeHelpButton(this, Ru("Справка"), kHelpContext, 494);
  help_->setGeometry(220, 242, 80, 25);
  help_->setToolTip(Ru("Справка по диалогу"));
}

QPlainTextEdit* TTestDataDlg::Memo(int kind) const {
  if (kind < 0 || kind >= kCheckPageCount) return nullptr;
  return memos_[static_cast<std::size_t>(kind)];
}

QStringList TTestDataDlg::ShownLines(int kind) const {
  QPlainTextEdit* m = Memo(kind);
  if (!m || m->document()->isEmpty()) return {};
  return m->toPlainText().split(QChar('\n'));
}

void TTestDataDlg::ClearPage(int kind) {
  if (kind < 0 || kind >= kCheckPageCount) return;
  TDataReportPages::ClearPage(kind);
  Memo(kind)->clear();
  pages_->setCurrentIndex(kind);
}

void TTestDataDlg::AddLine(int kind, const std::string& text) {
  if (kind < 0 || kind >= kCheckPageCount) return;
  TDataReportPages::AddLine(kind, text);
  Memo(kind)->appendPlainText(ToQt(Lines(kind).back()));
}

void TTestDataDlg::closeEvent(QCloseEvent* e) {
  TPrgDialog::closeEvent(e);
  if (!e->isAccepted()) return;
  // The owner forgets the window before it is freed.
  if (auto* owner = dynamic_cast<MessageTarget*>(parentWidget()))
    sendMessage(owner, kMsgDataCheckClosed);
  else
    sendToTag(kTagMainWindow, kMsgDataCheckClosed);
}

}  // namespace korvant
