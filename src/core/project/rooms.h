#pragma once
// The project's rooms.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/common/binio.h"
#include "core/common/collection.h"
#include "core/project/list_common.h"

namespace korvant {

constexpr std::size_t kRoomNameSize = 32;
constexpr std::size_t kRoomRecordSize = 188;

class TRoomItem : public TCollectionItem {
 public:
  uint16_t MaxChildren = 30;  // seats
  uint16_t MaxGroups = 1;     // groups the room can take at one hour
  uint8_t Specialization = 0;  // 0..20
  uint8_t NotStrict = 1;       // 1: the specialization is not strict

  const std::string& Name() const { return name_; }
  void SetName(std::string_view text) { name_ = CutName(text, kRoomNameSize); }
  // The name, or "Неизвестный кабинет" for a room without one.
  virtual std::string DisplayName() const;

  // 0 free, non-zero closed; a slot outside 1..144 answers closed (1).
  uint8_t GetBusy(int slot) const { return ValidSlot(slot) ? busy_[slot - 1] : 1; }
  void SetBusy(int slot, uint8_t value) { if (ValidSlot(slot)) busy_[slot - 1] = value; }

  // Every field but the identifier.
  virtual void Assign(const TRoomItem& src);

 private:
  std::string name_;
  std::array<uint8_t, kWeekSlots> busy_{};
};

class TRoomsCollection : public TCollection<TRoomItem> {
 public:
  explicit TRoomsCollection(void* owner = nullptr) : TCollection(owner) {}

  // Rooms free at each slot, index slot - 1; filled by CountFreeRooms.
  std::array<uint16_t, kWeekSlots> FreeCount{};
  void CountFreeRooms();

  TListHeader GetHeader() const { return {Count(), NextID()}; }
  // Appends the section (Count records of 188 bytes, in collection order).
  void SaveToStream(ByteWriter& w) const;
  // Replaces the records with header.Count records read from r (consumed).
  // A section that does not fit the bytes, or holds an identifier the
  // counter cannot pass, is refused: false, and the collection is left empty.
  bool LoadFromStream(const TListHeader& header, ByteReader& r);
};

}  // namespace korvant
