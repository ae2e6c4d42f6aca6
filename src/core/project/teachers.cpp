#include "core/project/teachers.h"

#include <algorithm>

#include "core/common/catalogue.h"
#include "core/project/rooms.h"

namespace korvant {

std::size_t TeacherRecordSize(const TFileSignature& sig) {
  return sig.Before(1, 2) ? kTeacherRecordSize11 : kTeacherRecordSize;
}

std::string TTeacherItem::DisplayName() const {
  return name_.empty() ? LoadResStr(10067) : name_;
}

void TTeacherItem::ResolveReferences(const TRoomsCollection& rooms) {
  TeacherRoom = TeacherRoom < 0 ? -1 : rooms.IndexOfID(TeacherRoom);
}

void TTeacherItem::Assign(const TTeacherItem& src) {
  name_ = src.name_;
  TeacherRoom = src.TeacherRoom;
  MetodicalDays = src.MetodicalDays;
  PlanLessCnt = src.PlanLessCnt;
  hours_ = src.hours_;
}

bool TeacherHourClosed(TTeacherHourCell cell, int teachersWills) {
  if (cell.Restricted == 0) return false;
  switch (cell.Level) {
    case 0: return true;
    case 1: return teachersWills < 4;
    case 2: return teachersWills < 3;
    case 3: return teachersWills < 2;
    default: return false;
  }
}

int WantedFreeDays(const TTeacherItem& t) { return std::clamp<int32_t>(t.MetodicalDays, 0, 6); }

int MostTeachingDays(const TTeacherItem& t) { return 6 - WantedFreeDays(t); }

void TTeachersCollection::ResolveReferences(const TRoomsCollection& rooms) {
  for (const auto& t : *this) t->ResolveReferences(rooms);
}

void TTeachersCollection::SaveToStream(ByteWriter& w) const {
  for (const auto& t : *this) {
    w.i32(t->ID());
    w.fixedString(t->DisplayName(), kTeacherNameSize);
    w.i32(t->TeacherRoom);
    w.i32(t->MetodicalDays);
    for (int slot = 1; slot <= kWeekSlots; ++slot) {
      const TTeacherHourCell c = t->GetBusy(slot);
      w.u8(c.Restricted);
      w.u8(c.Level);
    }
    w.i32(t->PlanLessCnt);
  }
}

bool TTeachersCollection::LoadFromStream(const TListHeader& header, ByteReader& r,
                                         const TFileSignature& sig) {
  Clear();
  SetNextID(0);
  if (CompareFileSignature(sig, ProjectSignature) != kSigAccepted) return false;
  const std::size_t size = TeacherRecordSize(sig);
  return detail::LoadSection(*this, header, r, size, [&](TTeacherItem& t, ByteReader& sec) {
    t.SetName(sec.fixedString(kTeacherNameSize));
    t.TeacherRoom = sec.i32();
    t.MetodicalDays = sec.i32();
    for (int slot = 1; slot <= kWeekSlots; ++slot) {
      TTeacherHourCell c;
      c.Restricted = sec.u8();
      c.Level = sec.u8();
      t.SetBusy(slot, c);
    }
    t.PlanLessCnt = size == kTeacherRecordSize ? sec.i32() : 0;
  });
}

}  // namespace korvant
