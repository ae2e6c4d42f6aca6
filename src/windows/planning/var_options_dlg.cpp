#include "windows/planning/var_options_dlg.h"

#include <QLabel>

#include <algorithm>

#include <optional>

#include "controls/form_util.h"
#include "core/common/catalogue.h"
#include "core/variant/var_file.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "windows/shell/error_box.h"

namespace korvant {

namespace {

constexpr int kHelpContext = 29;
constexpr int kMsgMaxVars = 10144;
constexpr int kMsgMaxWindows = 10145;
constexpr std::size_t kOptionsDescriptionMax = 80;
constexpr int kWeightMax = 100;

// A whole decimal number, blanks around it allowed; none for any other
// text or a number beyond the 32-bit range.
std::optional<int64_t> ParseWhole(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  bool negative = false;
  if (b < e && (text[b] == '-' || text[b] == '+')) negative = text[b++] == '-';
  if (b == e) return std::nullopt;
  int64_t v = 0;
  for (std::size_t i = b; i < e; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > int64_t{1} << 31) return std::nullopt;
  }
  v = negative ? -v : v;
  if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
  return v;
}

// The record keeps 16 bits: below 0 is stored as 0, above as the most.
uint16_t ToCount(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); }

QLabel* MakeLabel(QWidget* parent, const char* text, QRect r, bool wrap) {
  auto* l = NewLabel(Ru(text), parent);
  l->setGeometry(r);
  l->setWordWrap(wrap);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

TSpinEdit* MakeWeight(QGroupBox* box, const char* label, int y) {
  MakeLabel(box, label, QRect(12, y + 3, 170, 17), false);
  auto* s = new TSpinEdit(box);
  s->SetMinValue(0);
  s->SetMaxValue(kWeightMax);
  s->setGeometry(190, y, 60, 22);
  return s;
}

}  // namespace

int ApplyVarOptionsTexts(const TVarOptionsTexts& t, TVarOptions& out) {
  TVarOptions v = out;
  std::string d = t.Description.substr(0, kOptionsDescriptionMax);
  std::replace_if(d.begin(), d.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  v.Description = d;
  const std::optional<int64_t> maxVars = ParseWhole(t.MaxVarsAtDay);
  if (!maxVars) return kMsgMaxVars;
  v.MaxVarsAtDay = ToCount(*maxVars);
  const std::optional<int64_t> maxWindows = ParseWhole(t.MaxWindowsAtDay);
  if (!maxWindows) return kMsgMaxWindows;
  v.MaxWindowsAtDay = ToCount(*maxWindows);
  v.TeachersWills = static_cast<uint16_t>(std::clamp(t.WillsIndex, 0, 3) + 1);
  v.PrlKf = ToCount(t.PrlKf);
  v.SanitarKf = ToCount(t.SanitarKf);
  v.TeacherBusyKf = ToCount(t.TeacherBusyKf);
  out = v;
  return 0;
}

TVarOptionsDlg::TVarOptionsDlg(QWidget* owner, const std::u16string& varName, TVarOptions& options)
    : TPrgDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                            Qt::WindowContextHelpButtonHint),
      options_(options) {
  setFixedSize(340, 292);
  setWindowTitle(Ru("Опции") + QStringLiteral(": ") + ToQt(varName));
  SetHelpContext(this, kHelpContext);

  auto* maxVarsLabel = MakeLabel(this, "Максимальное число вариантов на день при автосохранении:",
                                 QRect(24, 16, 130, 45), true);
  maxVars_ = new QLineEdit(this);
  maxVars_->setGeometry(24, 63, 73, 21);
  maxVarsLabel->setBuddy(maxVars_);
  auto* maxWindowsLabel = MakeLabel(this, "Максимальное число \"окон\" на учителя при оптимизации:",
                                    QRect(176, 16, 130, 45), true);
  maxWindows_ = new QLineEdit(this);
  maxWindows_->setGeometry(176, 63, 73, 21);
  maxWindowsLabel->setBuddy(maxWindows_);

  auto* willsLabel = MakeLabel(this, "Учет пожеланий учителей при расстановке уроков:", QRect(24, 96, 308, 17), false);
  wills_ = new QComboBox(this);
  wills_->setEditable(false);
  wills_->setGeometry(24, 116, 292, 22);
  for (const char* t : {"Учитывать все пожелания", "Средний и высокий приоритет", "Только высокий приоритет",
                        "Не учитывать приоритеты"})
    wills_->addItem(Ru(t));
  willsLabel->setBuddy(wills_);

  auto* memoLabel = MakeLabel(this, "Комментарии (не более 80 символов):", QRect(24, 152, 269, 17), false);
  memo_ = new TCommentMemo(static_cast<int>(kOptionsDescriptionMax), this);
  memo_->setGeometry(24, 172, 292, 61);
  memoLabel->setBuddy(memo_);

  // The weights are carried through but not shown.
  weights_ = new QGroupBox(Ru(" Весовые коэффициенты для подбора вариантов "), this);
  weights_->setGeometry(24, 300, 269, 100);
  prl_ = MakeWeight(weights_, "Учет параллелей:", 20);
  sanitar_ = MakeWeight(weights_, "Учет нормативов СЭС:", 46);
  busy_ = MakeWeight(weights_, "Учет занятости учителей:", 72);
  weights_->hide();

  yes_ = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Да"), this);
  yes_->SetModalResult(mrNone);  // the dialog closes only after the checks
  yes_->setGeometry(24, 252, 75, 25);
  yes_->setToolTip(Ru("Подтвердить"));
  connect(yes_, &TPrgBitBtn::Clicked, this, &TVarOptionsDlg::OnYes);

  cancel_ = new TPrgBitBtn(TBitBtnKind::bkCancel, Ru("Отмена"), this);
  cancel_->setGeometry(132, 252, 75, 25);
  cancel_->setToolTip(Ru("Отменить"));

  help_ = MakeHelpButton(this, Ru("Справка"), kHelpContext, kHelpContext);
  help_->setGeometry(241, 252, 75, 25);
  help_->setToolTip(Ru("Справка по диалогу"));

  setTabOrder(maxVars_, maxWindows_);
  setTabOrder(maxWindows_, wills_);
  setTabOrder(wills_, memo_);
  setTabOrder(memo_, yes_);
  setTabOrder(yes_, cancel_);
  setTabOrder(cancel_, help_);
  Fill();
}

void TVarOptionsDlg::Fill() {
  if (!options_.Description.empty()) memo_->setPlainText(ToQt(options_.Description));
  maxVars_->setText(QString::number(options_.MaxVarsAtDay));
  maxWindows_->setText(QString::number(options_.MaxWindowsAtDay));
  // A value outside 1..4 (from a damaged file) shows as the nearest entry
  // rather than as no entry at all.
  wills_->setCurrentIndex(std::clamp<int>(options_.TeachersWills, 1, 4) - 1);
  prl_->SetValue(options_.PrlKf);
  sanitar_->SetValue(options_.SanitarKf);
  busy_->SetValue(options_.TeacherBusyKf);
}

void TVarOptionsDlg::showEvent(QShowEvent* e) {
  TPrgDialog::showEvent(e);
  memo_->setFocus();
}

int TVarOptionsDlg::Weight(TSpinEdit* spin, uint16_t stored) const {
  const int v = spin->Value();
  return v == spin->CheckValue(stored) ? stored : v;
}

void TVarOptionsDlg::OnYes() {
  TVarOptionsTexts t;
  t.Description = FromQt(memo_->toPlainText());
  t.MaxVarsAtDay = FromQt(maxVars_->text());
  t.MaxWindowsAtDay = FromQt(maxWindows_->text());
  t.WillsIndex = std::max(0, wills_->currentIndex());
  t.PrlKf = Weight(prl_, options_.PrlKf);
  t.SanitarKf = Weight(sanitar_, options_.SanitarKf);
  t.TeacherBusyKf = Weight(busy_, options_.TeacherBusyKf);
  if (const int msg = ApplyVarOptionsTexts(t, options_); msg != 0) {
    ShowErrMsg(OwnerOf(this), msg, kBoxOk);
    return;
  }
  accepted_ = true;
  SetModalResult(mrYes);
}

bool TVarOptionsDlg::Run() {
  accepted_ = false;
  CentreOnScreen(this);
  ShowModal();
  return accepted_;
}

}  // namespace korvant
