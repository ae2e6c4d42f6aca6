#pragma once
// The timetable print dialog ("Просмотр и печать" of the open variant):
// eight reports in an owner-drawn list: the load table and charts, the
// substitutions of a day and of a period (the archive is opened around
// them and a date or period asked), the timetables of all klasses and all
// teachers, and of one klass or one teacher (asked in the item dialog with
// its "Краткая форма").
#include <QListWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/substitutions/zamesh_archive.h"
#include "core/variant/table_var.h"
#include "reports/print_dlg.h"

namespace korvant {

class TPrintTableDlg : public TPrintDlgBase {
  Q_OBJECT
 public:
  enum Row : int {
    kLoadTable = 0,
    kLoadCharts,
    kSubstDay,
    kSubstPeriod,
    kAllKlasses,
    kAllTeachers,
    kOneKlass,
    kOneTeacher,
    kRowCount,
  };
  static constexpr int kRowHeight = 22;

  // Descriptions are the project's and the variant's (CP1251); the
  // substitution reports read the archive at archivePath.
  TPrintTableDlg(QWidget* owner, const TTableVarItem& var, std::string projectDescription,
                 std::string variantDescription, std::filesystem::path archivePath = ZameshArchivePath());
  // Gives the shared current day back the value it had at creation.
  ~TPrintTableDlg() override;

  QListWidget* ReportList() const { return list_; }
  // The klasses of the load reports: all of them.
  const std::vector<bool>& KlassSelection() const { return klasses_; }
  // Open only while a substitution report is made or previewed.
  bool ArchiveOpen() const { return archive_ != nullptr; }

 protected:
  std::unique_ptr<TReportForm> CreateReport() override;
  void ReportDone() override;

 private:
  std::unique_ptr<TReportForm> SubstReport(bool period);
  std::unique_ptr<TReportForm> OneItemReport(bool teacher);

  const TTableVarItem& var_;
  std::string projectDescription_;
  std::string variantDescription_;
  std::filesystem::path archivePath_;
  std::unique_ptr<TZameshArchive> archive_;
  std::vector<bool> klasses_;
  int savedDay_;
  QListWidget* list_;
};

// Text cut to width as the report list draws it: while too wide, the last
// character goes, then trailing blanks and points, and "…" is appended.
QString FitListText(const QString& text, const QFontMetrics& fm, int width);

}  // namespace korvant
