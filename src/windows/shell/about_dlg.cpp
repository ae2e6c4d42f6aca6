#include "windows/shell/about_dlg.h"

#include <QFrame>

#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "controls/form_util.h"
#include "windows/shell/tool_glyphs.h"

namespace korvant {

TTblAboutDlg::TTblAboutDlg(QWidget* owner)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint) {
  setFixedSize(298, 132);
  setWindowTitle(Ru("О программе"));
  SetHelpContext(this, 26);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 281, 81);
  auto* icon = NewLabel(panel);
  icon->setGeometry(8, 8, 40, 40);
  icon->setPixmap(QPixmap::fromImage(DrawProgramIcon(32)));
  icon->setAlignment(Qt::AlignCenter);
  product_ = NewLabel(ResQ(10000), panel);
  product_->setGeometry(64, 10, 210, 20);
  QFont bold = product_->font();
  bold.setBold(true);
  product_->setFont(bold);
  version_ = NewLabel(Ru(" Версия: 2.83"), panel);
  version_->setGeometry(64, 34, 210, 18);
  date_ = NewLabel(Ru(" От: 18.09.2000"), panel);
  date_->setGeometry(64, 54, 210, 18);

  close_ = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Закрыть"), this);
  close_->SetCancel(true);
  close_->setGeometry((298 - 75) / 2, 98, 75, 25);
}

}  // namespace korvant
