#include "core/project/klasses.h"

#include <algorithm>

#include "core/common/catalogue.h"
#include "core/project/rooms.h"

namespace korvant {

std::size_t KlassRecordSize(const TFileSignature& sig) {
  return sig.IsVersion(1, 0) ? kKlassRecordSize10 : kKlassRecordSize;
}

std::string TKlassItem::DisplayName() const {
  return name_.empty() ? LoadResStr(10066) : name_;
}

uint8_t TKlassItem::GetSpecialization(int n) const {
  if (n == 0) return 1;
  if (n < 1 || n > kSpecializationCount) return 0;
  return specialization_[static_cast<std::size_t>(n - 1)];
}

void TKlassItem::SetSpecialization(int n, uint8_t flag) {
  if (n < 1 || n > kSpecializationCount) return;
  specialization_[static_cast<std::size_t>(n - 1)] = flag;
}

int TKlassItem::GetStartLesson(int i) const {
  if (i < 1 || i > kMaxStartLessons + 1) return -1;
  const uint16_t v = startLessons_[static_cast<std::size_t>(i - 1)];
  return v == 0 ? -1 : v;
}

void TKlassItem::ChangeStartLesson(int op, int lesson) {
  if (op == 0 || lesson < 1 || lesson > kMaxStartLessons) return;
  auto first = startLessons_.begin();
  auto last = std::find(first, first + kMaxStartLessons, uint16_t{0});
  auto at = std::lower_bound(first, last, static_cast<uint16_t>(lesson));
  const bool held = at != last && *at == lesson;
  if (op > 0) {
    // At most 24 distinct lessons exist, so the list never reaches word 25.
    if (held || last == first + kMaxStartLessons) return;
    std::copy_backward(at, last, last + 1);
    *at = static_cast<uint16_t>(lesson);
  } else {
    if (!held) return;
    std::copy(at + 1, last, at);
    *(last - 1) = 0;
  }
}

uint32_t KlassDayStarts(const TKlassItem& klass, int day, int lessonsPerDay) {
  const int L = std::min(lessonsPerDay, kSlotsPerDay);
  uint32_t starts = 0;
  for (int i = 1; i <= kMaxStartLessons + 1; ++i) {
    int s = klass.GetStartLesson(i);
    if (s < 1) break;
    while (s <= L && klass.GetBusy((day - 1) * kSlotsPerDay + s) != 0) ++s;
    if (s <= L) starts |= 1u << (s - 1);
  }
  return starts;
}

int32_t TKlassItem::GetParallel(int i) const {
  if (i < 1 || i > kMaxParallels) return -1;
  return parallels_[static_cast<std::size_t>(i - 1)];
}

void TKlassItem::ChangeParallel(int op, int32_t id) {
  if (op == 0 || id < 0) return;
  auto first = parallels_.begin();
  auto last = std::find(first, parallels_.end(), -1);
  auto held = std::find(first, last, id);
  if (op > 0) {
    if (held != last || last == parallels_.end()) return;
    *last = id;
  } else {
    if (held == last) return;
    std::copy(held + 1, last, held);
    *(last - 1) = -1;
  }
}

void TKlassItem::ResolveReferences(const TRoomsCollection& rooms, const TKlassesCollection& klasses) {
  KlassRoom = KlassRoom < 0 ? -1 : rooms.IndexOfID(KlassRoom);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < parallels_.size() && parallels_[i] != -1; ++i) {
    const int index = klasses.IndexOfID(parallels_[i]);
    if (index >= 0) parallels_[kept++] = index;
  }
  std::fill(parallels_.begin() + static_cast<std::ptrdiff_t>(kept), parallels_.end(), -1);
}

void TKlassItem::Assign(const TKlassItem& src) {
  name_ = src.name_;
  specialization_ = src.specialization_;
  ChildrenInKlass = src.ChildrenInKlass;
  KlassRoom = src.KlassRoom;
  busy_ = src.busy_;
  startLessons_ = src.startLessons_;
  parallels_ = src.parallels_;
  Section = src.Section;
}

void TKlassesCollection::ResolveReferences(const TRoomsCollection& rooms) {
  for (const auto& k : *this) k->ResolveReferences(rooms, *this);
}

void TKlassesCollection::SaveToStream(ByteWriter& w) const {
  for (const auto& k : *this) {
    w.i32(k->ID());
    w.fixedString(k->DisplayName(), kKlassNameSize);
    for (int n = 1; n <= kSpecializationCount; ++n) w.u8(k->GetSpecialization(n));
    w.u16(k->ChildrenInKlass);
    w.zeros(2);
    w.i32(k->KlassRoom);
    for (int slot = 1; slot <= kWeekSlots; ++slot) w.u8(k->GetBusy(slot));
    for (int i = 1; i <= kMaxStartLessons + 1; ++i) w.u16(static_cast<uint16_t>(k->GetStartLesson(i)));
    w.zeros(2);
    for (int i = 1; i <= kMaxParallels; ++i) w.i32(k->GetParallel(i));
    w.i32(k->Section);
  }
}

bool TKlassesCollection::LoadFromStream(const TListHeader& header, ByteReader& r,
                                        const TFileSignature& sig) {
  Clear();
  SetNextID(0);
  if (CompareFileSignature(sig, ProjectSignature) != kSigAccepted) return false;
  const std::size_t size = KlassRecordSize(sig);
  return detail::LoadSection(*this, header, r, size, [&](TKlassItem& k, ByteReader& sec) {
    k.SetName(sec.fixedString(kKlassNameSize));
    for (int n = 1; n <= kSpecializationCount; ++n) k.SetSpecialization(n, sec.u8());
    k.ChildrenInKlass = sec.u16();
    sec.skip(2);
    k.KlassRoom = sec.i32();
    for (int slot = 1; slot <= kWeekSlots; ++slot) k.SetBusy(slot, sec.u8());
    for (int j = 0; j <= kMaxStartLessons; ++j) k.ChangeStartLesson(1, sec.u16());
    sec.skip(2);
    for (int j = 0; j < kMaxParallels; ++j) k.ChangeParallel(1, sec.i32());
    k.Section = size == kKlassRecordSize ? sec.i32() : 1;
  });
}

}  // namespace korvant
