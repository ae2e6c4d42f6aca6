#pragma once
// TTestDataDlg: the report window of "Проверка данных": five pages
// (rooms, subjects, klasses, teachers, lessons), each a numbered list of
// findings. Modeless and on top; closing frees it and tells its owner
// (message 45275).
#include <QPlainTextEdit>
#include <QTabWidget>
#include <array>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"
#include "core/project/data_checks.h"

namespace korvant {

class TTestDataDlg : public TPrgDialog, public TDataReportPages {
  Q_OBJECT
 public:
  explicit TTestDataDlg(QWidget* owner);

  void ClearPage(int kind) override;
  void AddLine(int kind, const std::string& text) override;

  QTabWidget* Pages() const { return pages_; }
  QPlainTextEdit* Memo(int kind) const;
  // The memo's text as shown, one entry a line.
  QStringList ShownLines(int kind) const;
  TPrgBitBtn* CloseButton() const { return close_; }
  TPrgBitBtn* HelpButton() const { return help_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QTabWidget* pages_;
  std::array<QPlainTextEdit*, kCheckPageCount> memos_{};
  TPrgBitBtn* close_;
  TPrgBitBtn* help_;
};

}  // namespace korvant
