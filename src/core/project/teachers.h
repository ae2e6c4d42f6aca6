#pragma once
// The project's teachers.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/common/binio.h"
#include "core/common/collection.h"
#include "core/common/signature.h"
#include "core/project/list_common.h"

namespace korvant {

class TRoomsCollection;

constexpr std::size_t kTeacherNameSize = 128;
constexpr std::size_t kTeacherRecordSize = 432;
constexpr std::size_t kTeacherRecordSize11 = 428;  // files before 1.2 (no PlanLessCnt)

// Record size of a teacher section in a file with signature sig.
std::size_t TeacherRecordSize(const TFileSignature& sig);

// One week slot of a teacher. The hour is usable when Restricted is 0 or
// Level is not 0.
struct TTeacherHourCell {
  uint8_t Restricted = 0;  // 0 free
  uint8_t Level = 0;       // wish level 0..3
  bool operator==(const TTeacherHourCell&) const = default;
};

class TTeacherItem : public TCollectionItem {
 public:
  int32_t TeacherRoom = -1;   // attached room identifier, -1 none
  int32_t MetodicalDays = 0;  // free days the teacher wants
  int32_t PlanLessCnt = 0;    // hours per week by the curriculum

  const std::string& Name() const { return name_; }
  void SetName(std::string_view text) { name_ = CutName(text, kTeacherNameSize); }
  // The name, or "Неизвестный учитель" for a teacher without one.
  virtual std::string DisplayName() const;

  // A slot outside 1..144 answers {Restricted 1, Level 0}.
  TTeacherHourCell GetBusy(int slot) const {
    return ValidSlot(slot) ? hours_[static_cast<std::size_t>(slot - 1)] : TTeacherHourCell{1, 0};
  }
  void SetBusy(int slot, TTeacherHourCell cell) {
    if (ValidSlot(slot)) hours_[static_cast<std::size_t>(slot - 1)] = cell;
  }

  // Planner's copies only: TeacherRoom becomes the room's position in
  // rooms, -1 when unknown.
  void ResolveReferences(const TRoomsCollection& rooms);

  // Every field but the identifier.
  virtual void Assign(const TTeacherItem& src);

 private:
  std::string name_;
  std::array<TTeacherHourCell, kWeekSlots> hours_{};
};

// Whether a teacher's hour is closed when teachers' wishes are honoured
// with strictness teachersWills (1..4, the variant's option): restricted,
// and level 0, or 1 with wills < 4, 2 with < 3, 3 with < 2. The caller
// names the strictness; nothing reads it from a file under check.
bool TeacherHourClosed(TTeacherHourCell cell, int teachersWills);

// The free days a teacher wants, within the week's six: the record keeps
// whatever number its file held, and every rule counts with this.
int WantedFreeDays(const TTeacherItem& t);
// The most days of the week a teacher may teach on and keep them: a
// teacher who wants m free days teaches on at most 6 - m days.
int MostTeachingDays(const TTeacherItem& t);

class TTeachersCollection : public TCollection<TTeacherItem> {
 public:
  explicit TTeachersCollection(void* owner = nullptr) : TCollection(owner) {}

  void ResolveReferences(const TRoomsCollection& rooms);

  TListHeader GetHeader() const { return {Count(), NextID()}; }
  // Appends the section in the current layout (432-byte records).
  void SaveToStream(ByteWriter& w) const;
  // Reads header.Count records in the layout of the file with signature
  // sig (428 bytes before 1.2, PlanLessCnt then 0); refused as
  // TKlassesCollection::LoadFromStream.
  bool LoadFromStream(const TListHeader& header, ByteReader& r, const TFileSignature& sig);
};

}  // namespace korvant
