#include "core/project/rooms.h"

#include <algorithm>

#include "core/common/catalogue.h"

namespace korvant {

std::string TRoomItem::DisplayName() const {
  return name_.empty() ? LoadResStr(10064) : name_;
}

void TRoomItem::Assign(const TRoomItem& src) {
  name_ = src.name_;
  MaxChildren = src.MaxChildren;
  MaxGroups = src.MaxGroups;
  Specialization = src.Specialization;
  NotStrict = src.NotStrict;
  busy_ = src.busy_;
}

void TRoomsCollection::CountFreeRooms() {
  for (int slot = 1; slot <= kWeekSlots; ++slot) {
    uint16_t n = 0;
    for (const auto& room : *this)
      if (room->GetBusy(slot) == 0) ++n;
    FreeCount[static_cast<std::size_t>(slot - 1)] = n;
  }
}

void TRoomsCollection::SaveToStream(ByteWriter& w) const {
  for (const auto& room : *this) {
    w.i32(room->ID());
    w.fixedString(room->DisplayName(), kRoomNameSize);
    w.u16(room->MaxChildren);
    w.u16(room->MaxGroups);
    w.u8(room->Specialization);
    w.u8(room->NotStrict);
    for (int slot = 1; slot <= kWeekSlots; ++slot) w.u8(room->GetBusy(slot));
    w.zeros(2);
  }
}

bool TRoomsCollection::LoadFromStream(const TListHeader& header, ByteReader& r) {
  return detail::LoadSection(*this, header, r, kRoomRecordSize, [&](TRoomItem& room, ByteReader& sec) {
    room.SetName(sec.fixedString(kRoomNameSize));
    room.MaxChildren = sec.u16();
    room.MaxGroups = sec.u16();
    room.Specialization = sec.u8();
    room.NotStrict = sec.u8();
    for (int slot = 1; slot <= kWeekSlots; ++slot) room.SetBusy(slot, sec.u8());
    sec.skip(2);
  });
}

}  // namespace korvant
