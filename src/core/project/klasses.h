#pragma once
// The project's klasses (school classes).
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
class TKlassesCollection;

constexpr std::size_t kKlassNameSize = 32;
constexpr std::size_t kKlassRecordSize = 304;
constexpr std::size_t kKlassRecordSize10 = 300;  // files of version 1.0 (no Section)
constexpr int kMaxStartLessons = 24;
constexpr int kMaxParallels = 10;

// Record size of a klass section in a file with signature sig.
std::size_t KlassRecordSize(const TFileSignature& sig);

class TKlassItem : public TCollectionItem {
 public:
  uint16_t ChildrenInKlass = 30;
  int32_t KlassRoom = -1;  // attached room identifier, -1 none
  int32_t Section = 1;     // section of the school, 0..2

  TKlassItem() { parallels_.fill(-1); }

  const std::string& Name() const { return name_; }
  void SetName(std::string_view text) { name_ = CutName(text, kKlassNameSize); }
  // The name, or "Неизвестный класс" for a klass without one.
  virtual std::string DisplayName() const;

  // 0 free, non-zero closed; a slot outside 1..144 answers closed (1).
  uint8_t GetBusy(int slot) const { return ValidSlot(slot) ? busy_[static_cast<std::size_t>(slot - 1)] : 1; }
  void SetBusy(int slot, uint8_t value) { if (ValidSlot(slot)) busy_[static_cast<std::size_t>(slot - 1)] = value; }

  // Flag of specialization n (1..20); every klass has the general one (0).
  uint8_t GetSpecialization(int n) const;
  // n = 0 and n outside 1..20 are ignored.
  void SetSpecialization(int n, uint8_t flag);

  // Entry i (1..25) of the lessons a day may start with; -1 past the last.
  int GetStartLesson(int i) const;
  // op > 0 inserts lesson (1..24) in ascending order, once; op < 0 removes
  // it; op = 0 and invalid lessons do nothing.
  void ChangeStartLesson(int op, int lesson);

  // Parallel klass i (1..10); -1 outside 1..10 or past the last.
  int32_t GetParallel(int i) const;
  // op > 0 appends id when absent and fewer than 10 are held; op < 0
  // removes it; a negative id or op = 0 does nothing.
  void ChangeParallel(int op, int32_t id);

  // Planner's copies only: KlassRoom becomes the room's position in rooms
  // (-1 when unknown), each parallel the klass's position in klasses,
  // unknown parallels dropped.
  void ResolveReferences(const TRoomsCollection& rooms, const TKlassesCollection& klasses);

  // Every field but the identifier.
  virtual void Assign(const TKlassItem& src);

 private:
  std::string name_;
  std::array<uint8_t, kSpecializationCount> specialization_{};  // 1..20
  std::array<uint8_t, kWeekSlots> busy_{};
  std::array<uint16_t, kMaxStartLessons + 1> startLessons_{};  // 0 after the last
  std::array<int32_t, kMaxParallels> parallels_;               // -1 after the last
};

// The hours at which the klass's day d may begin, in a day of
// lessonsPerDay hours, as bits (hour h at bit h - 1): each of its allowed
// first hours, or, when that hour is closed to the klass, the first open
// hour after it (the closed hours before are no gap, and a klass closed at
// its first hour on some days still has a day there). Every planner and
// check of a week asks this.
uint32_t KlassDayStarts(const TKlassItem& klass, int day, int lessonsPerDay);

class TKlassesCollection : public TCollection<TKlassItem> {
 public:
  explicit TKlassesCollection(void* owner = nullptr) : TCollection(owner) {}

  // Every klass against rooms and this collection.
  void ResolveReferences(const TRoomsCollection& rooms);

  TListHeader GetHeader() const { return {Count(), NextID()}; }
  // Appends the section in the current layout (304-byte records).
  void SaveToStream(ByteWriter& w) const;
  // Reads header.Count records in the layout of the file with signature
  // sig (300 bytes for 1.0, Section then 1). Refused (false, collection
  // left empty) as TRoomsCollection::LoadFromStream, and for a signature
  // whose version the project reader does not know.
  bool LoadFromStream(const TListHeader& header, ByteReader& r, const TFileSignature& sig);
};

}  // namespace korvant
