#pragma once
// One timetable variant in memory: for every klass, day 1..6 and hour 1..L
// a cell of the fair copy and a cell of the draft (a per-day parking list
// of lessons without an hour, filled from position 1 without gaps), and
// for every room the week of occupancy. Lessons, rooms and klasses are
// indices of the run-time model; identifiers appear only in the file.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/common/binio.h"
#include "core/project/id_limits.h"
#include "core/variant/rti_model.h"

namespace korvant {

constexpr uint16_t kNoRoom = 0xFFFF;

// 24 bytes, the same layout in memory and in the variant file.
struct TTableCell {
  int32_t Hour = -1;      // hour or draft position when placed
  int32_t PrevHour = -1;  // -1 first hour of a block, else the hour before
  int32_t Lesson = -1;    // index in the klass's lessons, -1 empty
  std::array<uint16_t, kMaxLessonGroups> Rooms{kNoRoom, kNoRoom, kNoRoom, kNoRoom, kNoRoom};
  uint16_t SubFlags = 0;  // bit i: group i's teacher has the lesson selected today
  bool operator==(const TTableCell&) const = default;
};
static_assert(sizeof(TTableCell) == 24);
inline constexpr TTableCell kEmptyCell{};

// 8 bytes; Klass -1 = the room is free.
struct TRoomCell {
  int32_t Klass = -1;
  uint16_t Lesson = 0xFFFF;
  uint16_t Subitem = 0xFFFF;
  bool operator==(const TRoomCell&) const = default;
};
static_assert(sizeof(TRoomCell) == 8);

constexpr std::size_t kTableCellBytes = 24;

class TTableVarItem {
 public:
  // Grids of klassCount x 6 x L cells, all empty; the room grid has a row
  // per room of the model, all free. model may be null (no lessons known).
  TTableVarItem(TRunModel* model, int teacherCount, int lessonsPerDay, int klassCount);

  TRunModel* Model() const { return model_; }
  int KlassCount() const { return klassCount_; }
  int LessonsPerDay() const { return L_; }
  int HoursPerKlass() const { return 6 * L_; }
  int TeacherCount() const { return teacherCount_; }
  int RoomCount() const { return roomCount_; }
  std::size_t GridBytes() const { return fair_.size() * kTableCellBytes; }
  std::size_t RoomGridBytes() const { return rooms_.size() * sizeof(TRoomCell); }
  // 1: writing a fair-copy cell also keeps the room grid.
  uint8_t RoomBookkeeping = 1;

  // klass x 6L + (day - 1) x L + (hour - 1); -1 outside the grid.
  int Index(int row, int day, int hour) const;

  // Outside the grid a read answers the empty cell and a write is ignored.
  TTableCell GetCell(int klass, int day, int hour) const;
  TTableCell GetDraftCell(int klass, int day, int hour) const;
  void SetCell(int klass, int day, int hour, const TTableCell& cell);
  void SetDraftCell(int klass, int day, int hour, const TTableCell& cell);
  TRoomCell GetRoomCell(int room, int day, int hour) const;
  void SetRoomCell(int room, int day, int hour, const TRoomCell& cell);

  // Copies the three grids of a variant of the same geometry; false, with
  // this variant unchanged, for another geometry.
  bool Assign(const TTableVarItem& src);
  void ClearDay(int day);
  void ClearDayRooms(int day);
  void RebuildRoomGrid();
  bool DayIsEmpty(int day) const;
  // No lesson on the day (fair or draft) has a group of a teacher of row.
  bool GroupDayIsEmpty(int day, int row) const;

  // ---- editing ----
  // Writes the day state of all klasses into the (cleared) day. False when
  // a lesson did not fit into hours 1..L or the draft's L positions; such
  // a lesson is left out, nothing spills into another day or klass.
  bool PutDayLessons(int day);
  // Reads the day back into the day state, for klass or all (-1).
  void FetchDayLessons(int day, int klass);
  // Writes a lesson and its linked lessons into the fair copy from start
  // or into the first free draft positions. False (nothing written) when
  // the linked set cannot be collected or a part would not fit.
  bool PlaceLinkedLesson(int klass, int lesson, bool toDraft, int day, int start, int hours);
  // Moves a lesson with its linked lessons off sourceDay and, unless
  // targetDay is 0, into targetDay's draft or fair copy from start. False,
  // with the variant unchanged, when the set cannot be collected or the
  // moved cells would not fit.
  [[nodiscard]] bool RemoveLesson(int klass, int lesson, bool toDraft, int targetDay, int sourceDay, int start);
  // Closes up the draft row of klass on day (no gaps, PrevHour chains kept).
  void CloseUpDraft(int klass, int day);

  // ---- queries ----
  int CountLessonInDay(int klass, int lesson, int day) const;
  int CountLessonInFair(int klass, int lesson, int day) const;
  int CountLessonInDraft(int klass, int lesson, int day) const;
  // Fair hours of the lesson, and its first hour (0 when none).
  int FindLessonInFair(int klass, int lesson, int day, int& firstHour) const;
  // day 0 = days 1..6.
  void CountKlassLessons(int klass, int day, int& fair, int& draft) const;
  int CountKlassFair(int klass, int day) const;
  int CountKlassDraft(int klass, int day) const;
  int CountTeacherFair(int teacher, int day) const;
  int CountTeacherDraft(int teacher, int day) const;
  void CountTeacherLessons(int teacher, int day, int& fair, int& draft) const;
  // The first klass whose fair cell at hour holds a lesson with a group of
  // teacher: true with klass, group and the group's link count; false (the
  // outputs unchanged) when none.
  bool FindTeacherLesson(int teacher, int hour, int day, int& klass, int& group, int& links) const;
  // The n-th draft cell of the teacher; a joint lesson is counted in its
  // lowest klass only.
  bool FindTeacherDraftLesson(int teacher, int n, int day, int& position, int& klass, int& group,
                              int& links) const;
  int GetTeacherMaxBlock(int teacher, int day) const;
  int GetTeacherWindows(int teacher, int day) const;
  int GetGroupWindows(int day, int row) const;
  double GetKlassDayDifficulty(int klass, int day) const;
  void CountTeachersFreeDays(bool byGroup, int curDay) const;
  // First hour of day whose groups needing a room outnumber rooms' free
  // count at that slot, with the need; 0 when there is none.
  int FindRoomShortage(const TRoomsCollection& rooms, int day, int& need) const;

  // ---- variant file body ----
  // Copies of the two grids with identifiers in place of indices and each
  // klass row's identifier + 1 in the high half of its first cell's Hour.
  void PrepareForSave(std::vector<TTableCell>& fair, std::vector<TTableCell>& draft) const;
  // Appends the body (fair grid, then draft grid); memory is unchanged.
  void SaveToStream(ByteWriter& w) const;
  // Reads a body of storedKlasses x 6 x storedL cells per grid, maps it
  // onto the current model and rebuilds the room grid. False, with the
  // variant unchanged, when the bytes do not hold the body or the stored
  // geometry is invalid.
  bool LoadFromStream(ByteReader& r, int storedKlasses, int storedL);
  void MapLoadedGrids(const std::vector<TTableCell>& fair, const std::vector<TTableCell>& draft,
                      int storedKlasses, int storedL);

 private:
  int GroupCountOf(int klass, int lesson) const;
  const TRTILessonItem* LessonAt(int klass, int lesson) const;
  bool CellHasTeacher(int klass, const TTableCell& c, int teacher, int& group) const;
  template <class F> void ForEachBlock(int klass, int day, bool draft, F f) const;

  TRunModel* model_;
  int teacherCount_;
  int L_;
  int klassCount_;
  int roomCount_;
  std::vector<TTableCell> fair_;
  std::vector<TTableCell> draft_;
  std::vector<TRoomCell> rooms_;
};

void WriteTableCell(ByteWriter& w, const TTableCell& c);
TTableCell ReadTableCell(ByteReader& r);

}  // namespace korvant
