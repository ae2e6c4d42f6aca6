#pragma once
// The substitution journal: one calendar day of replaced lessons over the
// open substitution archive, the dialog that adds an absent teacher's
// lessons and the dialog that chooses a substitute.
#include <QDate>

#include <filesystem>
#include <string>
#include <vector>

#include "controls/prg_dialog.h"
#include "core/substitutions/zamesh_archive.h"
#include "core/substitutions/zamesh_journal.h"
#include "core/variant/table_var.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace korvant {

class TPrgBitBtn;
class TPrgSpeedButton;
class TPrgStringGrid;
class TVarDocument;

// Journal dates are days since 1899-12-30.
double ZameshDateOf(const QDate& d);
QDate QDateOfZamesh(double date);

// "Замещаются уроки": the absent teacher and the lessons of the day to replace.
class TIllTeacherDlg : public TPrgDialog {
  Q_OBJECT
 public:
  TIllTeacherDlg(QWidget* owner, const TTableVarItem& var, int weekday);
  QListWidget* Teachers() const { return teachers_; }
  QListWidget* Lessons() const { return lessons_; }
  // The selected teacher's day as listed (one entry per lesson 1..L).
  const std::vector<TJournalLesson>& Day() const { return day_; }
  std::vector<bool> Ticked() const;
  void FillLessons();

 private:
  const TTableVarItem& var_;
  int weekday_;
  QListWidget* teachers_;
  QListWidget* lessons_;
  std::vector<TJournalLesson> day_;
};

// "Замещающий учитель": the ranked candidates and the chosen one's day.
class THealthTeacherDlg : public TPrgDialog {
  Q_OBJECT
 public:
  THealthTeacherDlg(QWidget* owner, const TSubstituteContext& ctx, const TExclusionTable& exclusion,
                    int teachersWills);
  void SetLesson(const TZameshRow& row);
  const std::vector<TSubstituteCandidate>& Candidates() const { return candidates_; }
  QListWidget* CandidateList() const { return list_; }
  QListWidget* DayList() const { return day_; }
  QLabel* LessonLabel() const { return label_; }
  QLineEdit* LessonEdit() const { return lesson_; }
  // The selected candidate, or null.
  const TSubstituteCandidate* Selected() const;
  void ShowCandidateDay();

 private:
  TSubstituteContext ctx_;
  std::vector<TSubstituteCandidate> candidates_;
  QLabel* label_;
  QLineEdit* lesson_;
  QListWidget* list_;
  QListWidget* day_;
};

// "Пропуски и замещения": per teacher the lessons he missed and the lessons
// he took over in a period, on two sheets.
class TZamRprtDlg : public TPrgDialog {
  Q_OBJECT
 public:
  TZamRprtDlg(QWidget* owner, double first, double last, const std::vector<TZameshTeacherCount>& counts);
  QTabWidget* Pages() const { return pages_; }
  TPrgStringGrid* MissedGrid() const { return missed_; }
  TPrgStringGrid* SubstGrid() const { return subst_; }
  TPrgBitBtn* CloseButton() const { return close_; }

 private:
  QTabWidget* pages_;
  TPrgStringGrid* missed_;
  TPrgStringGrid* subst_;
  TPrgBitBtn* close_;
};

// The journal dialog. The archive and the variant are borrowed for its
// whole life.
class TViewZameshDlg : public TPrgDialog {
  Q_OBJECT
 public:
  TViewZameshDlg(QWidget* owner, TZameshArchive& archive, const TTableVarItem& var, int teachersWills,
                 const QDate& today = QDate::currentDate());

  TPrgStringGrid* Grid() const { return grid_; }
  QDateEdit* DatePicker() const { return picker_; }
  QLineEdit* WeekdayEdit() const { return weekday_; }
  TPrgSpeedButton* AddButton() const { return add_; }
  TPrgSpeedButton* DeleteButton() const { return del_; }
  TPrgBitBtn* CloseButton() const { return close_; }
  TPrgBitBtn* ReportButton() const { return report_; }
  double ShownDate() const { return shownDate_; }
  int EntryIndex() const { return entry_; }
  bool Modified() const { return modified_; }
  const TExclusionTable& Exclusion() const { return exclusion_; }

  // The grid's data rows as the archive stores them.
  std::vector<TZameshRow> Rows() const;

  // The commands, as their buttons run them.
  void AddRecords();
  void DeleteRecord();
  // The button of the substitute cell of a row; false when nothing changed.
  bool ChooseSubstitute(int row);
  // The "Отчет" button: asks for the period and shows the count report.
  void ReportShow();
  // The count report of first..last (whole days). The shown day is saved
  // first, so its edits are counted; when it cannot be saved the user is
  // asked as when leaving the day, and "no" shows no report. False when
  // no report was shown.
  bool ShowCountReport(double first, double last);

 protected:
  bool CloseQuery() override;

 private:
  void DateChanged(const QDate& d);
  // Saves a modified day. False when its changes could not be saved and the
  // user chose to keep the day on screen.
  bool LeaveDay();
  void LoadDay(double date);
  void ShowRows(const std::vector<TZameshRow>& rows);
  void BuildBusyTable(const std::vector<TZameshRow>& rows);
  void BuildBusyTable() { BuildBusyTable(Rows()); }
  void SetModified();
  void ShowWeekday(const QDate& d);

  TZameshArchive& archive_;
  const TTableVarItem& var_;
  int teachersWills_;
  double shownDate_ = 0;
  int entry_ = -1;
  bool modified_ = false;
  bool revertingDate_ = false;
  TExclusionTable exclusion_;

  QDateEdit* picker_;
  QLineEdit* weekday_;
  TPrgStringGrid* grid_;
  TPrgSpeedButton* add_;
  TPrgSpeedButton* del_;
  TPrgBitBtn* report_;
  TPrgBitBtn* close_;
  TPrgBitBtn* help_;
};

// The variant window's "Журнал замещений": opens the archive, shows the
// journal modally over the open variant, closes the archive. When the
// archive cannot be opened the user is told and nothing opens; the answer
// is then false.
bool ViewZamesh(QWidget* owner, TVarDocument& doc);
bool ViewZamesh(QWidget* owner, const TTableVarItem& var, int teachersWills, const std::filesystem::path& archivePath);

}  // namespace korvant
