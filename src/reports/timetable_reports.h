#pragma once
// The timetable reports of the timetable print dialog, printed from the
// fair copy of the open variant: all klasses by day, all teachers by day,
// one klass and one teacher on a page of their own (full or short form).
//
// Every lesson place 1..max(8, L) is printed: places past L print empty,
// and places past 8 (L up to 24) get rows or column blocks of their own.
#include <string>

#include "core/variant/table_var.h"
#include "reports/report_form.h"

namespace korvant {

// The texts of one lesson place as the reports print them (CP1251). They
// read the variant's run-time model; a place without a lesson, or past L,
// gives empty texts.
class TTimetableTexts {
 public:
  explicit TTimetableTexts(const TTableVarItem& var) : var_(var) {}

  // Places printed per day: max(8, L).
  int Places() const;
  // The subjects of every group joined with "/", each group without a
  // subject as dash; with several groups each name cut to three characters
  // when cutJoined.
  std::string KlassSubjects(int klass, int day, int place, const std::string& dash, bool cutJoined) const;
  // The groups' rooms joined with "/" (a fictitious room name first, else
  // the room the cell holds); empty when no group has a room.
  std::string KlassRooms(int klass, int day, int place) const;
  // The groups' teachers joined with "/", "------" for a group without one.
  std::string KlassTeachers(int klass, int day, int place) const;

  // A teacher's own place: klass, group and link count; false when free.
  bool TeacherPlace(int teacher, int day, int place, int& klass, int& group, int& links) const;
  // The klass's name and "/" with each linked klass's.
  std::string TeacherKlass(int teacher, int day, int place) const;
  std::string TeacherSubject(int teacher, int day, int place, const std::string& dash) const;
  std::string TeacherRoom(int teacher, int day, int place) const;
  // A free place that the teacher's wishes close under the variant's
  // strictness (shaded in the all-teachers report).
  bool TeacherClosed(int teacher, int day, int place) const;

  std::string KlassName(int klass) const;
  std::string TeacherName(int teacher) const;

 private:
  const TRTILessonItem* LessonAt(int klass, int day, int place, TTableCell& cell) const;
  std::string SubjectOf(const TRTILessonItem& l, int group, const std::string& dash) const;
  std::string RoomOf(const TRTILessonItem& l, const TTableCell& cell, int group) const;

  const TTableVarItem& var_;
};

// The day's long name (locale) with its first letter upper-cased.
QString ReportDayName(int day);

// "Полное расписание по классам": A4 landscape, six klasses a group, two
// days a page.
class TAllClsRpForm : public TVariantReportForm {
 public:
  TAllClsRpForm(MessageTarget* owner, const TTableVarItem& var, std::string projectDescription,
                std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;
};

// "Полное расписание по учителям": A4 portrait, a day a page.
class TAllTchRpForm : public TVariantReportForm {
 public:
  TAllTchRpForm(MessageTarget* owner, const TTableVarItem& var, std::string projectDescription,
                std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;
};

// "Расписание для класса": the compact week grid and, unless shortForm,
// three two-day blocks with subject, teacher and room.
class TClassTableRpForm : public TVariantReportForm {
 public:
  TClassTableRpForm(MessageTarget* owner, bool shortForm, int klass, const TTableVarItem& var,
                    std::string projectDescription, std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  bool shortForm_;
  int klass_;
};

// "Расписание для учителя": as the klass's, with klass, subject and room.
class TTeacherTableRpForm : public TVariantReportForm {
 public:
  TTeacherTableRpForm(MessageTarget* owner, bool shortForm, int teacher, const TTableVarItem& var,
                      std::string projectDescription, std::string variantDescription);

 protected:
  void BuildReport(TBandReport& report) override;

 private:
  bool shortForm_;
  int teacher_;
};

}  // namespace korvant
