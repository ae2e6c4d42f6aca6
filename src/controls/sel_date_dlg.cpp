#include "controls/sel_date_dlg.h"

#include <QLocale>

#include "controls/form_util.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {

QDateEdit* MakePicker(QWidget* parent, int y) {
  auto* e = new QDateEdit(QDate::currentDate(), parent);
  const QLocale ru(QLocale::Russian, QLocale::Russia);
  e->setLocale(ru);
  e->setDisplayFormat(ru.dateFormat(QLocale::ShortFormat));
  e->setCalendarPopup(true);
  e->setGeometry(48, y, 186, 21);
  return e;
}

}  // namespace

TSelDateDlg::TSelDateDlg(QWidget* owner, bool dayOnly)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      dayOnly_(dayOnly) {
  fromLabel_ = NewLabel(Ru("С:"), this);
  fromLabel_->move(8, 11);
  from_ = MakePicker(this, 8);
  toLabel_ = NewLabel(Ru("По:"), this);
  toLabel_->move(8, 43);
  to_ = MakePicker(this, 40);
  yes_ = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Да"), this);
  yes_->setGeometry(88, 72, 75, 25);
  if (dayOnly) {
    fromLabel_->setText(Ru("Дата:"));
    fromLabel_->adjustSize();
    toLabel_->hide();
    to_->hide();
    yes_->move(88, 72 - 30);
    setFixedSize(240, 104 - 30);
    setWindowTitle(Ru("Отчетный день"));
  } else {
    setFixedSize(240, 104);
    setWindowTitle(Ru("Отчетный период"));
  }
  from_->setFocus();
}

bool TSelDateDlg::Run() {
  CentreOnScreen(this);
  return ShowModal() == mrOk;
}

}  // namespace korvant
