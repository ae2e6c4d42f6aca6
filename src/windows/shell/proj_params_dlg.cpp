#include "windows/shell/proj_params_dlg.h"

#include <QKeyEvent>

#include "controls/form_util.h"
#include "core/common/catalogue.h"
#include "core/common/file_io.h"
#include "core/project/project.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "windows/shell/error_box.h"

namespace korvant {

namespace {

constexpr int kHelpContext = 25;
constexpr int kMsgParamsCaption = 10001;

QLineEdit* MakeEdit(QWidget* parent, const char* labelText, QRect labelRect, QRect editRect,
                    int help) {
  auto* label = NewLabel(Ru(labelText), parent);
  label->setGeometry(labelRect);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(editRect);
  SetHelpContext(edit, help);
  label->setBuddy(edit);
  return edit;
}

}  // namespace

TCommentMemo::TCommentMemo(int maxChars, QWidget* parent)
    : QPlainTextEdit(parent), maxChars_(maxChars) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  connect(this, &QPlainTextEdit::textChanged, this, &TCommentMemo::Limit);
}

void TCommentMemo::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    e->ignore();  // the dialog presses its default button
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

void TCommentMemo::Limit() {
  if (limiting_) return;
  const QString now = toPlainText();
  if (now.size() <= maxChars_) {
    accepted_ = now;
    return;
  }
  // Typing or pasting past the limit is refused as a whole.
  limiting_ = true;
  const int pos = std::min<int>(static_cast<int>(accepted_.size()), textCursor().position());
  setPlainText(accepted_);
  QTextCursor c = textCursor();
  c.setPosition(pos);
  setTextCursor(c);
  limiting_ = false;
}

TProjParams::TProjParams(QWidget* owner, const std::filesystem::path& projectName, TProjParamsRec& params)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint),
      params_(params) {
  setFixedSize(298, 214);
  setWindowTitle(ResQ(kMsgParamsCaption) + ToQt(ShownName16(projectName)));
  SetHelpContext(this, kHelpContext);

  lessons_ = MakeEdit(this, "Количество уроков, проводимых в школе за день (1-24):",
                      QRect(24, 4, 132, 58), QRect(160, 27, 73, 21), 401);
  auto* memoLabel = NewLabel(Ru("Комментарии (не более 80 символов):"), this);
  memoLabel->setGeometry(24, 64, 252, 17);
  memo_ = new TCommentMemo(static_cast<int>(kDescriptionMax), this);
  memo_->setGeometry(24, 86, 252, 73);
  SetHelpContext(memo_, 405);
  memoLabel->setBuddy(memo_);

  // Fields the user does not see; they pass their values through and are
  // validated like the visible ones.
  shifts_ = MakeEdit(this, "Уроки, с которых начинаются смены (1 или 1,9 и т.п.):",
                     QRect(24, 230, 180, 30), QRect(210, 232, 73, 21), 402);
  klassMin_ = MakeEdit(this, "Минимальное количество уроков в день для класса:",
                       QRect(24, 264, 180, 30), QRect(210, 266, 73, 21), 403);
  klassMin_->hide();
  teacherMin_ = MakeEdit(this, "Рекомендуемое минимальное количество уроков в день для учителя:",
                         QRect(24, 298, 180, 30), QRect(210, 300, 73, 21), 404);

  yes_ = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Да"), this);
  yes_->SetModalResult(mrNone);  // the dialog closes only after validation
  yes_->setGeometry(24, 176, 75, 25);
  yes_->setToolTip(Ru("Подтвердить"));
  SetHelpContext(yes_, 406);
  connect(yes_, &TPrgBitBtn::Clicked, this, &TProjParams::OnYes);

  cancel_ = new TPrgBitBtn(TBitBtnKind::bkCancel, Ru("Отмена"), this);
  cancel_->setGeometry(113, 176, 75, 25);
  cancel_->setToolTip(Ru("Отменить"));
  SetHelpContext(cancel_, 407);

  help_ = MakeHelpButton(this, Ru("Справка"), kHelpContext, 408);
  help_->setGeometry(202, 176, 75, 25);
  help_->setToolTip(Ru("Справка по диалогу"));

  setTabOrder(memo_, lessons_);
  setTabOrder(lessons_, yes_);
  setTabOrder(yes_, cancel_);
  setTabOrder(cancel_, help_);
  Fill();
}

void TProjParams::Fill() {
  const TProjParamsTexts t = ProjParamsTexts(params_);
  if (!t.Description.empty()) memo_->setPlainText(ToQt(t.Description));
  lessons_->setText(ToQt(t.LessonsPerDay));
  klassMin_->setText(ToQt(t.ClassMinLessons));
  teacherMin_->setText(ToQt(t.TeacherMinLessons));
  shifts_->setText(ToQt(t.ShiftStarts));
}

void TProjParams::showEvent(QShowEvent* e) {
  TPrgDialog::showEvent(e);
  memo_->setFocus();
}

void TProjParams::OnYes() {
  TProjParamsTexts t;
  t.Description = FromQt(memo_->toPlainText());
  t.LessonsPerDay = FromQt(lessons_->text());
  t.ShiftStarts = FromQt(shifts_->text());
  t.ClassMinLessons = FromQt(klassMin_->text());
  t.TeacherMinLessons = FromQt(teacherMin_->text());
  if (const int msg = ApplyProjParamsTexts(params_, t); msg != 0) {
    ShowErrMsg(OwnerOf(this), msg, kBoxOk);
    return;
  }
  accepted_ = true;
  SetModalResult(mrYes);
}

bool TProjParams::Run() {
  accepted_ = false;
  CentreOnScreen(this);
  ShowModal();
  return accepted_;
}

}  // namespace korvant
