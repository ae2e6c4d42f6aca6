#include "windows/editors/move_rec_dlg.h"

#include <QLabel>
#include <QListWidget>

#include "controls/bit_btn.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {
constexpr int kMoveDlgHelp = 18;
}

TMoveRecDlg::TMoveRecDlg(QWidget* parent)
    : TPrgDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("Переместить запись"));
  setFixedSize(361, 146);
  SetHelpContext(this, kMoveDlgHelp);

  auto* label = NewLabel(QStringLiteral("Разместить после записи:"), this);
  label->setGeometry(8, 6, 241, 16);
  list_ = new QListWidget(this);
  list_->setGeometry(8, 24, 241, 105);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  SetHelpContext(list_, 421);
  label->setBuddy(list_);

  ok_ = new TPrgBitBtn(TBitBtnKind::bkOK, QStringLiteral("Да    "), this);
  ok_->setGeometry(262, 24, 91, 25);
  ok_->SetModalResult(mrNone);  // "Да" ends the dialog only with a choice
  ok_->SetDefault(true);
  ok_->setToolTip(QStringLiteral("Осуществить перенос"));
  SetHelpContext(ok_, 422);
  connect(ok_, &TPrgBitBtn::Clicked, this, &TMoveRecDlg::MoveClick);

  cancel_ = new TPrgBitBtn(TBitBtnKind::bkCancel, QStringLiteral("Отмена "), this);
  cancel_->setGeometry(262, 56, 91, 25);
  cancel_->setToolTip(QStringLiteral("Отменить перенос"));
  SetHelpContext(cancel_, 423);

  help_ = new TPrgBitBtn(TBitBtnKind::bkCustom, QStringLiteral("Справка"), this);
  help_->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  help_->SetNumGlyphs(2);
  help_->setGeometry(262, 104, 91, 25);
  help_->setToolTip(QStringLiteral("Справка по диалогу"));
  SetHelpContext(help_, 424);
  connect(help_, &TPrgBitBtn::Clicked, this, [] { ShowHelpContext(kMoveDlgHelp); });

  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { MoveClick(); });
}

void TMoveRecDlg::SetEntries(const QStringList& names) {
  list_->clear();
  list_->addItems(names);
  if (list_->count() > 0) list_->setCurrentRow(0);
}

void TMoveRecDlg::MoveClick() {
  const int k = list_->currentRow();
  if (k < 0 || list_->selectedItems().isEmpty()) return;
  choice_ = k;
  SetModalResult(mrOk);
}

int TMoveRecDlg::Execute() {
  choice_ = -1;
  const int result = ShowModal();
  if (result != mrOk) choice_ = -1;
  return choice_;
}

}  // namespace korvant
