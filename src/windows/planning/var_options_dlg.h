#pragma once
// TVarOptionsDlg ("Опции"): the options of the open variant. "Да" reads
// every field first (the two numbers in order, each failure showing its
// message with the dialog left open) and changes the record only when all
// of them pass; "Отмена" and the close box leave it alone.
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <string>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"
#include "controls/spin_edit.h"
#include "windows/shell/proj_params_dlg.h"

namespace korvant {

// core/var_file.h; not included here, as it cannot share a unit with
// core/project.h (both declare the save query answers).
struct TVarOptions;

// The outcome of reading the dialog's texts: 0 when they pass (out is the
// new record), else the id of the failing field's message (out is then
// unchanged). Exposed for tests of the rules without the widgets.
struct TVarOptionsTexts {
  std::string Description;  // CP1251, as the memo holds it
  std::string MaxVarsAtDay;
  std::string MaxWindowsAtDay;
  int WillsIndex = 0;       // 0..3
  int PrlKf = 0, SanitarKf = 0, TeacherBusyKf = 0;
};
int ApplyVarOptionsTexts(const TVarOptionsTexts& t, TVarOptions& out);

class TVarOptionsDlg : public TPrgDialog {
  Q_OBJECT
 public:
  // varName: the variant's shown name (program text), for the caption.
  TVarOptionsDlg(QWidget* owner, const std::u16string& varName, TVarOptions& options);

  // Runs the dialog modally; true when the values were accepted (modal
  // result mrYes), false for "Отмена" or the close box.
  bool Run();
  bool Accepted() const { return accepted_; }

  TCommentMemo* Description() const { return memo_; }
  QLineEdit* MaxVarsAtDayEdit() const { return maxVars_; }
  QLineEdit* MaxWindowsAtDayEdit() const { return maxWindows_; }
  QComboBox* TeachersWillsComboBox() const { return wills_; }
  QGroupBox* WeightsBox() const { return weights_; }
  TSpinEdit* PrlKfEdit() const { return prl_; }
  TSpinEdit* SanitarKfEdit() const { return sanitar_; }
  TSpinEdit* TeacherBusyKfEdit() const { return busy_; }
  TPrgBitBtn* YesButton() const { return yes_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }
  TPrgBitBtn* HelpButton() const { return help_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void Fill();
  void OnYes();
  // A hidden weight: the spin's value, or the record's own when the spin
  // could not hold it and the user cannot have changed it.
  int Weight(TSpinEdit* spin, uint16_t stored) const;

  TVarOptions& options_;
  bool accepted_ = false;
  TCommentMemo* memo_;
  QLineEdit* maxVars_;
  QLineEdit* maxWindows_;
  QComboBox* wills_;
  QGroupBox* weights_;
  TSpinEdit* prl_;
  TSpinEdit* sanitar_;
  TSpinEdit* busy_;
  TPrgBitBtn* yes_;
  TPrgBitBtn* cancel_;
  TPrgBitBtn* help_;
};

}  // namespace korvant
