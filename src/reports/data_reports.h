#pragma once
// The two reports of the project data: the teachers' weekly hours per
// subject by school section ("Нагрузка по учебному плану") and the
// klasses' curriculum and additional hours by section ("Тарификация").
// The figures are computed from the lists alone, apart from the pages.
#include <array>
#include <string>
#include <vector>

#include "core/project/project_data.h"
#include "reports/report_form.h"

namespace korvant {

// One printed row of the teachers report (CP1251 texts).
struct TTeacherDataRow {
  int Teacher = 0;     // index in the teachers collection
  std::string Name;    // empty on a teacher's later rows
  std::string Subject; // empty on the row of a teacher without hours
  std::array<int, 3> Hours{};  // junior, middle, senior
  int Total() const { return Hours[0] + Hours[1] + Hours[2]; }
};

struct TTeachersData {
  std::vector<TTeacherDataRow> Rows;
  std::array<int, 3> Totals{};
  int Total() const { return Totals[0] + Totals[1] + Totals[2]; }
};

// Hours shared by linked lessons count once, on the lesson of the klass
// with the lowest index.
TTeachersData ComputeTeachersData(const TProjectData& data);

struct TKlassDataRow {
  std::string Name;     // "---" in the row of a section without klasses
  int Curriculum = 0;
  int Additional = 0;
  bool Placeholder = false;
};

struct TSectionData {
  std::vector<TKlassDataRow> Rows;
  int Curriculum = 0;
  int Additional = 0;
};

struct TClassData {
  std::array<TSectionData, 3> Sections;
  int Curriculum() const { return Sections[0].Curriculum + Sections[1].Curriculum + Sections[2].Curriculum; }
  int Additional() const { return Sections[0].Additional + Sections[1].Additional + Sections[2].Additional; }
};

TClassData ComputeClassData(const TProjectData& data);

// "учителя": portrait, one row per teacher and subject, a summary "Всего".
class TTeachersDataRpForm : public TReportForm {
 public:
  TTeachersDataRpForm(MessageTarget* owner, const TProjectData& data) : TReportForm(owner), data_(data) {}

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  const TProjectData& data_;
};

// "классы": portrait, per section a caption, its klass rows and "Итого",
// and at the end "Всего". Its dialog announces the progress range.
class TClassDataRpForm : public TReportForm {
 public:
  TClassDataRpForm(MessageTarget* owner, const TProjectData& data) : TReportForm(owner), data_(data) {}

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  const TProjectData& data_;
};

}  // namespace korvant
