#include "core/project/subjects.h"

#include <algorithm>

#include "core/common/catalogue.h"
#include "core/project/rooms.h"

namespace korvant {

std::string TSubjectItem::DisplayName() const {
  return name_.empty() ? LoadResStr(10065) : name_;
}

int TSubjectItem::WishedRoomCount() const {
  int n = 0;
  while (n < kMaxWishedRooms && wishedRooms_[static_cast<std::size_t>(n)] != -1) ++n;
  return n;
}

int32_t TSubjectItem::GetWishedRoom(int i) const {
  if (i < 0 || i >= WishedRoomCount()) return -1;
  return wishedRooms_[static_cast<std::size_t>(i)];
}

void TSubjectItem::ChangeWishedRoom(int pos, int32_t id) {
  if (pos > kMaxWishedRooms || id < 0) return;
  const int n = WishedRoomCount();
  auto first = wishedRooms_.begin();
  auto held = std::find(first, first + n, id);
  if (pos >= 0) {
    if (held != first + n || n >= kMaxWishedRooms) return;
    const int at = std::min(pos, n);
    std::copy_backward(first + at, first + n, first + n + 1);
    wishedRooms_[static_cast<std::size_t>(at)] = id;
  } else {
    if (held == first + n) return;
    std::copy(held + 1, first + n, held);
    wishedRooms_[static_cast<std::size_t>(n - 1)] = -1;
  }
}

void TSubjectItem::ResolveReferences(const TRoomsCollection& rooms) {
  const int n = WishedRoomCount();
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    const int index = rooms.IndexOfID(wishedRooms_[static_cast<std::size_t>(i)]);
    if (index >= 0) wishedRooms_[static_cast<std::size_t>(kept++)] = index;
  }
  std::fill(wishedRooms_.begin() + kept, wishedRooms_.end(), -1);
}

void TSubjectItem::Assign(const TSubjectItem& src) {
  name_ = src.name_;
  SanitarKf = src.SanitarKf;
  Specialization = src.Specialization;
  NotStrict = src.NotStrict;
  wishedRooms_ = src.wishedRooms_;
}

void TSubjectsCollection::ResolveReferences(const TRoomsCollection& rooms) {
  for (const auto& s : *this) s->ResolveReferences(rooms);
}

void TSubjectsCollection::SaveToStream(ByteWriter& w) const {
  for (const auto& s : *this) {
    w.i32(s->ID());
    w.fixedString(s->DisplayName(), kSubjectNameSize);
    w.u16(s->SanitarKf);
    w.u8(s->Specialization);
    w.u8(s->NotStrict);
    for (int i = 0; i <= kMaxWishedRooms; ++i) w.i32(s->GetWishedRoom(i));
  }
}

bool TSubjectsCollection::LoadFromStream(const TListHeader& header, ByteReader& r) {
  return detail::LoadSection(*this, header, r, kSubjectRecordSize, [&](TSubjectItem& s, ByteReader& sec) {
    s.SetName(sec.fixedString(kSubjectNameSize));
    s.SanitarKf = sec.u16();
    s.Specialization = sec.u8();
    s.NotStrict = sec.u8();
    for (int k = 0; k <= kMaxWishedRooms; ++k) s.ChangeWishedRoom(kMaxWishedRooms, sec.i32());
  });
}

}  // namespace korvant
