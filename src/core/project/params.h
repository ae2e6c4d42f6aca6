#pragma once
// The project's parameter record: project-wide settings, the list headers
// of the five project lists and the window state of their editors. It is
// stored right after the signature in the project file's header block.
#include <array>
#include <cstdint>
#include <string>

#include "core/common/binio.h"
#include "core/common/show_cmd.h"
#include "core/project/list_common.h"

namespace korvant {

constexpr std::size_t kProjParamsOffset = 20;  // after the file signature
constexpr std::size_t kProjParamsSize = 208;
constexpr std::size_t kDescriptionMax = 80;
constexpr int kMaxLessonsPerDay = 24;
constexpr int kShiftStartWords = 25;

// The lessons' list header also carries the byte size of their section.
struct TLessonsHeader {
  int32_t Count = 0;
  int32_t NextID = 0;
  int32_t Bytes = 0;
  bool operator==(const TLessonsHeader&) const = default;
};

// Defaults are those of a new project.
struct TProjParamsRec {
  std::string Description;  // CP1251, at most 80 characters
  uint16_t LessonsPerDay = 8;  // L, 1..24
  // Lessons with which the shifts begin, strictly ascending, 0 after the last.
  std::array<uint16_t, kShiftStartWords> ShiftStarts{1};
  uint16_t ClassMinLessons = 4;
  uint16_t TeacherMinLessons = 2;
  // Two fields no operation reads; kept and written back unchanged.
  uint16_t Reserved1 = 0;
  uint8_t Reserved2 = 1;
  // Window states (core/show_cmd.h) of the editors of rooms, subjects,
  // klasses, teachers, lessons.
  std::array<int32_t, 5> ShowCmd{kShowNormal, kShowNormal, kShowNormal, kShowNormal, kShowNormal};
  TListHeader Rooms;
  TListHeader Subjects;
  TListHeader Klasses;
  TListHeader Teachers;
  TLessonsHeader Lessons;

  bool operator==(const TProjParamsRec&) const = default;
};

// The 208-byte image; padding is written as zeros.
void WriteProjParams(ByteWriter& w, const TProjParamsRec& p);
// Reads 208 bytes. Refuses (false, p unchanged) a short image and a
// lessons-per-day value outside 1..24, which every grid and planner
// array relies on.
bool ReadProjParams(ByteReader& r, TProjParamsRec& p);

// The texts of the parameters dialog's fields (CP1251).
struct TProjParamsTexts {
  std::string Description;  // the memo, lines separated by CR LF, LF or CR
  std::string LessonsPerDay;
  std::string ShiftStarts;
  std::string ClassMinLessons;
  std::string TeacherMinLessons;
};

// What the dialog shows for a record.
TProjParamsTexts ProjParamsTexts(const TProjParamsRec& p);

// Validates every field and, only when all pass, stores them all into p.
// Answers 0, or the catalogue message of the first failing field in the
// order lessons per day (10032), klass minimum (10033), teacher minimum
// (10034), shift starts (10036). The minimum fields, which the user
// cannot see, are kept even above the new L (planning cuts them to L); an
// unchanged comment is kept as it is.
int ApplyProjParamsTexts(TProjParamsRec& p, const TProjParamsTexts& t);

}  // namespace korvant
