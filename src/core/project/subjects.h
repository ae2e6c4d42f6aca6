#pragma once
// The project's subjects.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/common/binio.h"
#include "core/common/collection.h"
#include "core/project/list_common.h"

namespace korvant {

class TRoomsCollection;

constexpr std::size_t kSubjectNameSize = 64;
constexpr std::size_t kSubjectRecordSize = 116;
constexpr int kMaxWishedRooms = 10;

class TSubjectItem : public TCollectionItem {
 public:
  uint16_t SanitarKf = 5;      // difficulty coefficient
  uint8_t Specialization = 0;  // 0..20
  uint8_t NotStrict = 1;       // 1: the specialization is not strict

  TSubjectItem() { wishedRooms_.fill(-1); }

  const std::string& Name() const { return name_; }
  void SetName(std::string_view text) { name_ = CutName(text, kSubjectNameSize); }
  // The name, or "Неизвестный предмет" for a subject without one.
  virtual std::string DisplayName() const;

  // Recommended room i (0..10) in order of preference; -1 past the last.
  int32_t GetWishedRoom(int i) const;
  // pos 0..10 inserts id at pos (appends when the list is not longer than
  // pos); a negative id, one already held or a full list is ignored.
  // pos < 0 removes id. pos > 10 does nothing.
  void ChangeWishedRoom(int pos, int32_t id);
  int WishedRoomCount() const;

  // Planner's copies only: room identifiers become positions in rooms,
  // unknown ones are dropped.
  void ResolveReferences(const TRoomsCollection& rooms);

  // Every field but the identifier.
  virtual void Assign(const TSubjectItem& src);

 private:
  std::string name_;
  std::array<int32_t, kMaxWishedRooms + 1> wishedRooms_;  // -1 after the last
};

class TSubjectsCollection : public TCollection<TSubjectItem> {
 public:
  explicit TSubjectsCollection(void* owner = nullptr) : TCollection(owner) {}

  void ResolveReferences(const TRoomsCollection& rooms);

  TListHeader GetHeader() const { return {Count(), NextID()}; }
  // Appends the section (Count records of 116 bytes).
  void SaveToStream(ByteWriter& w) const;
  // As TRoomsCollection::LoadFromStream.
  bool LoadFromStream(const TListHeader& header, ByteReader& r);
};

}  // namespace korvant
