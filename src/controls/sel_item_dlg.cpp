#include "controls/sel_item_dlg.h"

#include "platform/help_service.h"
#include "controls/form_util.h"

namespace korvant {

namespace {
constexpr int kHelpContext = 18;
}

TSelItemDlg::TSelItemDlg(QWidget* owner)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint) {
  setFixedSize(363, 154);
  setWindowTitle(Ru("Класс"));
  SetHelpContext(this, kHelpContext);

  list_ = new QListWidget(this);
  list_->setGeometry(8, 8, 241, 105);
  SetHelpContext(list_, 421);

  yes_ = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Да    "), this);
  yes_->SetModalResult(mrNone);  // only a selected item closes the dialog
  yes_->setGeometry(270, 8, 80, 25);
  yes_->setToolTip(Ru("Осуществить выбор"));
  SetHelpContext(yes_, 422);
  connect(yes_, &TPrgBitBtn::Clicked, this, &TSelItemDlg::Choose);

  cancel_ = new TPrgBitBtn(TBitBtnKind::bkCancel, Ru("Отмена "), this);
  cancel_->setGeometry(270, 48, 80, 25);
  cancel_->setToolTip(Ru("Отменить выбор"));
  SetHelpContext(cancel_, 423);

  help_ = MakeHelpButton(this, Ru("Справка"), kHelpContext, 424);
  help_->setGeometry(270, 88, 80, 25);
  help_->setToolTip(Ru("Справка по диалогу"));

  shortForm_ = new QCheckBox(Ru("Краткая форма"), this);
  shortForm_->setGeometry(8, 128, 160, 17);

  connect(list_, &QListWidget::itemDoubleClicked, this, &TSelItemDlg::Choose);
  list_->setFocus();
}

void TSelItemDlg::Choose() {
  const int row = list_->currentRow();
  if (row < 0 || list_->selectedItems().isEmpty()) return;
  choice_ = row + 1;
  SetModalResult(mrOk);
}

void TSelItemDlg::SetNoHelp() {
  if (tag_ == 0) return;
  setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowSystemMenuHint);
  help_->hide();
  for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(list_),
                     static_cast<QWidget*>(yes_), static_cast<QWidget*>(cancel_),
                     static_cast<QWidget*>(help_)})
    SetHelpContext(w, 0);
}

int TSelItemDlg::Run() {
  choice_ = kNoChoice;
  CentreOnScreen(this);
  ShowModal();
  // Cancel, Esc and the close box all leave choice_ at kNoChoice.
  return choice_;
}

}  // namespace korvant
