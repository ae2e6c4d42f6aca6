#include "windows/shell/error_box.h"

#include <QApplication>
#include <QFrame>
#include <QStyle>

#include "controls/form_util.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {

constexpr int kClientW = 344;
constexpr int kClientH = 145;
constexpr int kButtonTop = 108;
constexpr int kButtonGap = 10;


// What closing the box without pressing a button answers: the choice that
// changes nothing.
int CloseAnswer(uint8_t kind) {
  switch (kind) {
    case kBoxYesNo: return kResNo;
    case kBoxYesNoCancel: return kResCancel;
    default: return kResYes;
  }
}

}  // namespace

TErrorBox* TErrorBox::CreateWithText(QWidget* owner, uint8_t kind, const std::string& text) {
  return new TErrorBox(owner, kind, ToQt(text));
}

TErrorBox* TErrorBox::CreateById(QWidget* owner, uint8_t kind, int msgId) {
  return CreateWithText(owner, kind, LoadResStr(msgId));
}

TErrorBox::TErrorBox(QWidget* owner, uint8_t kind, const QString& text)
    : TPrgDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowContextHelpButtonHint),
      kind_(kind),
      answer_(CloseAnswer(kind)) {
  setWindowTitle(Ru("Предупреждение"));
  setFixedSize(kClientW, kClientH);
  SetHelpContext(this, 14);

  auto* iconPanel = new QFrame(this);
  iconPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  iconPanel->setGeometry(8, 8, 65, 81);
  auto* icon = NewLabel(iconPanel);
  icon->setGeometry((65 - 48) / 2, (81 - 64) / 2, 48, 64);
  icon->setAlignment(Qt::AlignCenter);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(40, 40));
  icon->setObjectName("StopIcon");

  auto* textPanel = new QFrame(this);
  textPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  textPanel->setGeometry(80, 8, 257, 81);
  label_ = NewLabel(textPanel);
  label_->setGeometry(2, 2, 253, 76);
  label_->setAlignment(Qt::AlignCenter);
  label_->setWordWrap(true);
  label_->setText(text);

  // The glyphs of the standard kinds; the answers are the box's own.
  yes_ = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Да"), this);
  no_ = new TPrgBitBtn(TBitBtnKind::bkNo, Ru("Нет"), this);
  cancel_ = new TPrgBitBtn(TBitBtnKind::bkCancel, Ru("Отмена"), this);
  const struct {
    TPrgBitBtn* b;
    const char* hint;
    int help;
    int answer;
  } buttons[] = {{yes_, "Согласиться", 481, kResYes},
                 {no_, "Отказаться", 482, kResNo},
                 {cancel_, "Отменить", 0, kResCancel}};
  for (const auto& d : buttons) {
    d.b->SetModalResult(mrNone);
    d.b->SetDefault(false);
    d.b->SetCancel(false);
    d.b->setGeometry(0, kButtonTop, 75, 25);
    d.b->setToolTip(Ru(d.hint));
    SetHelpContext(d.b, d.help);
    const int answer = d.answer;
    connect(d.b, &TPrgBitBtn::Clicked, this, [this, answer] { Choose(answer); });
  }
  yes_->SetDefault(true);
  // Esc answers like closing the box.
  switch (kind_) {
    case kBoxYesNo: no_->SetCancel(true); break;
    case kBoxYesNoCancel: cancel_->SetCancel(true); break;
    default: yes_->SetCancel(true); break;
  }
  no_->hide();
  cancel_->hide();
  PlaceButtons();
  yes_->setFocus();
}

void TErrorBox::PlaceButtons() {
  const int w = yes_->width();
  switch (kind_) {
    case kBoxYesNo: {
      const int x = (kClientW - (2 * w + kButtonGap)) / 2;
      yes_->move(x, kButtonTop);
      no_->move(x + w + kButtonGap, kButtonTop);
      no_->show();
      break;
    }
    case kBoxYesNoCancel: {
      const int x = (kClientW - (3 * w + 2 * kButtonGap)) / 2;
      yes_->move(x, kButtonTop);
      no_->move(x + w + kButtonGap, kButtonTop);
      cancel_->move(x + 2 * w + 2 * kButtonGap, kButtonTop);
      no_->show();
      cancel_->show();
      break;
    }
    default:
      yes_->move((kClientW - w) / 2, kButtonTop);
      break;
  }
}

void TErrorBox::showEvent(QShowEvent* e) {
  PlaceButtons();
  CentreOnScreen(this);
  TPrgDialog::showEvent(e);
}

void TErrorBox::Choose(int answer) {
  answer_ = answer;
  SetModalResult(mrOk);  // only ends the modal run; the answer is answer_
  if (!InModalRun()) hide();
}

int TErrorBox::Run() {
  answer_ = CloseAnswer(kind_);
  ShowModal();
  return answer_;
}

int ShowErrorBox(QWidget* owner, const std::string& text, uint8_t kind) {
  TErrorBox box(owner, kind, ToQt(text));
  return box.Run();
}

namespace {

// The window layer hands the core only QWidget pointers as owners.
QWidget* BoxOwner(PromptOwner owner) {
  auto* w = static_cast<QWidget*>(const_cast<void*>(owner));
  return w ? w : QApplication::activeWindow();
}

}  // namespace

int ErrorBoxPrompt::ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind) {
  return ShowErrorBox(BoxOwner(owner), text, kind);
}

int ErrorBoxPrompt::ShowErrMsgText16(PromptOwner owner, const std::u16string& text, uint8_t kind) {
  TErrorBox box(BoxOwner(owner), kind, ToQt(text));
  return box.Run();
}

}  // namespace korvant
