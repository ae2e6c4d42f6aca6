#pragma once
// Lessons: one klass learns a subject (per group: subject, teacher, pupils)
// for some hours a week, split into blocks of consecutive hours. The list
// is edited by the lessons editor and read by the planner, which keeps its
// per-day state in the records themselves.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/binio.h"
#include "core/common/collection.h"
#include "core/project/params.h"

namespace korvant {

constexpr int kMaxLessonGroups = 5;
constexpr int kMaxGroupLinks = 5;
constexpr int kQuantWords = 21;
constexpr int kLessonSlots = 144;
constexpr std::size_t kFictionNameSize = 32;
constexpr std::size_t kLessonHeadSize = 204;
constexpr std::size_t kLessonHeadSizeOld = 200;  // files before 1.3: no NoAttachedRoom
constexpr std::size_t kLessonGroupSize = 84;

// A group of another lesson taught at the same hour as this group.
struct TLessonLink {
  int32_t LessonID = -1;
  int32_t GroupIndex = -1;  // 0-based position of the group in that lesson
  bool operator==(const TLessonLink&) const = default;
};

// One group (subgroup) of a lesson.
class TLessonSubItem {
 public:
  int32_t SubjectID = -1;
  int32_t TeacherID = -1;
  uint16_t ChildrenInGroup = 30;
  int32_t WorkValue = -1;  // planner's scratch value, never stored

  // A copy of Group's stored fields; this group's own links are replaced.
  void Assign(const TLessonSubItem& group);

  bool IsEmpty() const { return SubjectID < 0 && TeacherID < 0; }

  // I = 1..5; LessonID -1 outside that range or past the last link.
  TLessonLink GetLink(int i) const;
  // Writes at min(I, first free position); no terminator is written.
  void SetLink(int i, const TLessonLink& link);
  int LinksCount() const;
  // Sign > 0 appends (unless held or full), Sign < 0 removes; a negative
  // LessonID or Sign 0 does nothing.
  void ChangeLink(int sign, const TLessonLink& link);

  const std::string& GetFictionName() const { return fictionName_; }
  void SetFictionName(std::string_view text);  // cut to 31 characters

 private:
  std::array<TLessonLink, kMaxGroupLinks> links_{};
  std::string fictionName_;
};

// A planner link of a lesson after references became indices.
struct TParallelLesson {
  int32_t Klass = -1;  // -1 ends the list
  uint16_t Lesson = 0;
  uint16_t Group = 0;
};

class TLessonItem : public TCollectionItem {
 public:
  int32_t KlassID = -1;
  uint8_t NoAttachedRoom = 0;

  // Planner state, never stored; reset by the planner. QuantDays[i - 1] is
  // the day 1..6 on which block i was placed, 0 when it is on no day.
  uint8_t HasTeacherlessGroup = 0;
  uint8_t IsFixed = 0;          // forced block: today's length is fixed
  uint16_t FixedLength = 0;
  uint16_t FreeQuantsCount = 0;  // blocks on no day, see CountFreeQuants
  std::array<uint16_t, kQuantWords> QuantDays{};
  std::array<TParallelLesson, 10> ParallelLessons{};
  int32_t ParallelCount = 0;
  uint16_t StartHour = 0;
  uint16_t FixedStart = 0;
  uint8_t SelectedToday = 0;
  uint8_t InGroup = 0;
  uint16_t Ordinal = 0;

  // Copies everything stored but the identifier, plus HasTeacherlessGroup;
  // the groups are replaced by copies of the source's groups.
  void Assign(const TLessonItem& src);

  // Groups, 0-based.
  TLessonSubItem* GetSubItem(int i);
  const TLessonSubItem* GetSubItem(int i) const;
  void SetSubItem(int i, const TLessonSubItem& group);
  int SubItemsCount() const { return static_cast<int>(groups_.size()); }
  // Frees every group and creates N fresh ones (N clamped to 0..5).
  void SetSubItemsCount(int n);
  void ClearSubItems() { groups_.clear(); }

  // Slots 1..144, (day - 1) x 24 + lesson; outside they read busy.
  uint8_t GetBusy(int slot) const;
  void SetBusy(int slot, uint8_t value);

  // The 21 quant words hold the block list at the front (ascending, ended
  // by the first 0) and the separated list at the back (from word 21 down,
  // ended by the first 0). The two lists never share a word.
  int QuantAt(int i) const;  // block i (1-based), 0 past the block list
  int QuantsCount() const;   // blocks in the block list
  int QuantsSum() const;     // hours of the block list
  int SepQuantsCount() const;  // lengths in the separated list
  uint16_t GetQuant(int i) const;  // raw word 1..21, 0 outside
  void SetQuant(int i, uint16_t length);
  // Op > 0 inserts a block after any equal ones; refused (false) when no
  // 0 word would be left between the block list and the separated list.
  // Op < 0 removes the first block of that length. Answers whether the
  // words changed.
  bool ChangeQuant(int op, int length);

  // Planner block choice. A block is usable on `day` when its mark is 0
  // or that day.
  void CountFreeQuants();
  void ResetQuantCursor() { cursor_ = 0; }
  void ResetQuantChoice() { cursor_ = 0; FixedLength = 0; }
  int QuantCursor() const { return cursor_; }
  int CurrentQuant() const { return cursor_ == 0 ? 0 : QuantAt(cursor_); }
  int MaxFreeQuant(int day) const;
  void SelectQuant(int& sum, int length, int day);
  bool NextQuant(int& sum);

 private:
  int32_t cursor_ = 0;  // 1-based block position, 0 = none
  std::array<uint16_t, kQuantWords> quants_{};
  std::array<uint8_t, kLessonSlots> busy_{};
  std::vector<TLessonSubItem> groups_;
};

// A group without a teacher (a fictitious group): such a lesson begins or
// ends its klass's day.
bool HasGroupWithoutTeacher(const TLessonItem& l);

class TLessonsCollection : public TCollection<TLessonItem> {
 public:
  explicit TLessonsCollection(void* owner = nullptr) : TCollection(owner) {}

  int MaxSubItemsCount() const;

  // The list header for the parameter record; Bytes is what SaveToStream
  // will write.
  TLessonsHeader MakeHeader() const;
  void SaveToStream(ByteWriter& w) const;
  // Reads the section at r's position written by a file of version
  // major.minor. Everything is checked before anything changes: a section
  // that does not match its header is refused (false) and the collection
  // is left as it was; on success it replaces the collection's content and
  // r stands after the section.
  bool LoadFromStream(const TLessonsHeader& header, ByteReader& r, int32_t major, int32_t minor);
};

}  // namespace korvant
