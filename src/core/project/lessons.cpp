#include "core/project/lessons.h"

#include <algorithm>
#include <climits>

namespace korvant {
namespace {

constexpr TLessonLink kNoLink{};

bool OlderThan13(int32_t major, int32_t minor) {
  return major < 1 || (major == 1 && minor < 3);
}

}  // namespace

// ---- groups ----

void TLessonSubItem::Assign(const TLessonSubItem& group) {
  if (&group == this) return;
  SubjectID = group.SubjectID;
  TeacherID = group.TeacherID;
  ChildrenInGroup = group.ChildrenInGroup;
  links_.fill(kNoLink);
  for (int i = 1; i <= kMaxGroupLinks; ++i) ChangeLink(+1, group.GetLink(i));
  fictionName_ = group.fictionName_;
}

TLessonLink TLessonSubItem::GetLink(int i) const {
  if (i < 1 || i > LinksCount()) return kNoLink;
  return links_[static_cast<std::size_t>(i - 1)];
}

void TLessonSubItem::SetLink(int i, const TLessonLink& link) {
  if (i < 1 || i > kMaxGroupLinks) return;
  const int pos = std::min(i, LinksCount() + 1);
  links_[static_cast<std::size_t>(pos - 1)] = link;
}

int TLessonSubItem::LinksCount() const {
  int n = 0;
  while (n < kMaxGroupLinks && links_[static_cast<std::size_t>(n)].LessonID != -1) ++n;
  return n;
}

void TLessonSubItem::ChangeLink(int sign, const TLessonLink& link) {
  if (link.LessonID < 0 || sign == 0) return;
  const int n = LinksCount();
  int found = -1;
  for (int i = 0; i < n; ++i)
    if (links_[static_cast<std::size_t>(i)] == link) { found = i; break; }
  if (sign > 0) {
    if (found >= 0 || n >= kMaxGroupLinks) return;
    links_[static_cast<std::size_t>(n)] = link;
    if (n + 1 < kMaxGroupLinks) links_[static_cast<std::size_t>(n + 1)] = kNoLink;
    return;
  }
  if (found < 0) return;
  for (int i = found; i + 1 < n; ++i)
    links_[static_cast<std::size_t>(i)] = links_[static_cast<std::size_t>(i + 1)];
  links_[static_cast<std::size_t>(n - 1)] = kNoLink;
}

void TLessonSubItem::SetFictionName(std::string_view text) {
  fictionName_.assign(text.substr(0, kFictionNameSize - 1));
}

// ---- lessons ----

void TLessonItem::Assign(const TLessonItem& src) {
  if (&src == this) return;
  KlassID = src.KlassID;
  busy_ = src.busy_;
  quants_ = src.quants_;
  NoAttachedRoom = src.NoAttachedRoom;
  HasTeacherlessGroup = src.HasTeacherlessGroup;
  groups_.assign(src.groups_.size(), TLessonSubItem{});
  for (std::size_t i = 0; i < groups_.size(); ++i) groups_[i].Assign(src.groups_[i]);
}

TLessonSubItem* TLessonItem::GetSubItem(int i) {
  return i >= 0 && i < SubItemsCount() ? &groups_[static_cast<std::size_t>(i)] : nullptr;
}

const TLessonSubItem* TLessonItem::GetSubItem(int i) const {
  return i >= 0 && i < SubItemsCount() ? &groups_[static_cast<std::size_t>(i)] : nullptr;
}

void TLessonItem::SetSubItem(int i, const TLessonSubItem& group) {
  if (auto* g = GetSubItem(i)) g->Assign(group);
}

void TLessonItem::SetSubItemsCount(int n) {
  groups_.clear();
  groups_.resize(static_cast<std::size_t>(std::clamp(n, 0, kMaxLessonGroups)));
}

uint8_t TLessonItem::GetBusy(int slot) const {
  return slot >= 1 && slot <= kLessonSlots ? busy_[static_cast<std::size_t>(slot - 1)] : 1;
}

void TLessonItem::SetBusy(int slot, uint8_t value) {
  if (slot >= 1 && slot <= kLessonSlots) busy_[static_cast<std::size_t>(slot - 1)] = value;
}

int TLessonItem::QuantsCount() const {
  int b = 0;
  while (b < kQuantWords && quants_[static_cast<std::size_t>(b)] != 0) ++b;
  return b;
}

int TLessonItem::SepQuantsCount() const {
  const int b = QuantsCount();
  int s = 0;
  while (s < kQuantWords - b && quants_[static_cast<std::size_t>(kQuantWords - 1 - s)] != 0) ++s;
  return s;
}

int TLessonItem::QuantAt(int i) const {
  return i >= 1 && i <= QuantsCount() ? quants_[static_cast<std::size_t>(i - 1)] : 0;
}

int TLessonItem::QuantsSum() const {
  int sum = 0;
  for (int i = 1, n = QuantsCount(); i <= n; ++i) sum += QuantAt(i);
  return sum;
}

uint16_t TLessonItem::GetQuant(int i) const {
  return i >= 1 && i <= kQuantWords ? quants_[static_cast<std::size_t>(i - 1)] : 0;
}

void TLessonItem::SetQuant(int i, uint16_t length) {
  if (i >= 1 && i <= kQuantWords) quants_[static_cast<std::size_t>(i - 1)] = length;
}

bool TLessonItem::ChangeQuant(int op, int length) {
  // A block can be no longer than a school day.
  if (op == 0 || length < 1 || length > kMaxLessonsPerDay) return false;
  const int b = QuantsCount();
  if (op > 0) {
    // One 0 word must stay between the two lists, or they would merge.
    if (b + 1 + SepQuantsCount() + 1 > kQuantWords) return false;
    int p = 0;
    while (p < b && quants_[static_cast<std::size_t>(p)] <= length) ++p;
    for (int i = b; i > p; --i)
      quants_[static_cast<std::size_t>(i)] = quants_[static_cast<std::size_t>(i - 1)];
    quants_[static_cast<std::size_t>(p)] = static_cast<uint16_t>(length);
    // The word after the new end may hold leftovers from raw writes.
    quants_[static_cast<std::size_t>(b + 1)] = 0;
    return true;
  }
  int p = 0;
  while (p < b && quants_[static_cast<std::size_t>(p)] != length) ++p;
  if (p == b) return false;
  for (int i = p; i + 1 < b; ++i)
    quants_[static_cast<std::size_t>(i)] = quants_[static_cast<std::size_t>(i + 1)];
  quants_[static_cast<std::size_t>(b - 1)] = 0;
  return true;
}

void TLessonItem::CountFreeQuants() {
  uint16_t n = 0;
  for (int i = 0, b = QuantsCount(); i < b; ++i)
    if (QuantDays[static_cast<std::size_t>(i)] == 0) ++n;
  FreeQuantsCount = n;
}

int TLessonItem::MaxFreeQuant(int day) const {
  if (IsFixed) return FixedLength;
  int best = 0;
  for (int i = 0, b = QuantsCount(); i < b; ++i) {
    const int mark = QuantDays[static_cast<std::size_t>(i)];
    if (mark == 0 || mark == day) best = std::max<int>(best, quants_[static_cast<std::size_t>(i)]);
  }
  return best;
}

void TLessonItem::SelectQuant(int& sum, int length, int day) {
  cursor_ = 0;
  if (length == 0) return;
  for (int i = 0, b = QuantsCount(); i < b; ++i) {
    const int mark = QuantDays[static_cast<std::size_t>(i)];
    if (quants_[static_cast<std::size_t>(i)] == length && (mark == 0 || mark == day)) {
      cursor_ = i + 1;
      sum += length;
      return;
    }
  }
}

bool TLessonItem::NextQuant(int& sum) {
  const int cur = CurrentQuant();
  sum -= cur;
  for (int i = cursor_ + 1, b = QuantsCount(); i <= b; ++i) {
    const int len = quants_[static_cast<std::size_t>(i - 1)];
    if (QuantDays[static_cast<std::size_t>(i - 1)] == 0 && len != cur) {
      cursor_ = i;
      sum += len;
      return true;
    }
  }
  return false;
}

// ---- collection ----

bool HasGroupWithoutTeacher(const TLessonItem& l) {
  for (int g = 0; g < l.SubItemsCount(); ++g)
    if (l.GetSubItem(g)->TeacherID < 0) return true;
  return false;
}

int TLessonsCollection::MaxSubItemsCount() const {
  int m = 0;
  for (const auto& l : *this) m = std::max(m, l->SubItemsCount());
  return m;
}

TLessonsHeader TLessonsCollection::MakeHeader() const {
  TLessonsHeader h;
  h.Count = Count();
  h.NextID = NextID();
  int64_t bytes = 0;
  for (const auto& l : *this)
    bytes += static_cast<int64_t>(kLessonHeadSize + kLessonGroupSize * static_cast<std::size_t>(l->SubItemsCount()));
  h.Bytes = static_cast<int32_t>(std::min<int64_t>(bytes, INT32_MAX));
  return h;
}

void TLessonsCollection::SaveToStream(ByteWriter& w) const {
  for (const auto& l : *this) {
    w.i32(l->ID());
    w.u16(static_cast<uint16_t>(l->SubItemsCount()));
    w.zeros(2);
    w.i32(l->KlassID);
    for (int i = 1; i <= kQuantWords; ++i) w.u16(l->GetQuant(i));
    for (int s = 1; s <= kLessonSlots; ++s) w.u8(l->GetBusy(s));
    w.zeros(2);
    w.i32(l->NoAttachedRoom ? 1 : 0);
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      const TLessonSubItem& grp = *l->GetSubItem(g);
      w.i32(grp.SubjectID);
      w.i32(grp.TeacherID);
      w.u32(grp.ChildrenInGroup);
      for (int i = 1; i <= kMaxGroupLinks; ++i) {
        const TLessonLink link = grp.GetLink(i);
        w.i32(link.LessonID);
        w.i32(link.GroupIndex);
      }
      w.fixedString(grp.GetFictionName(), kFictionNameSize);
    }
  }
}

bool TLessonsCollection::LoadFromStream(const TLessonsHeader& header, ByteReader& r,
                                        int32_t major, int32_t minor) {
  const bool old = OlderThan13(major, minor);
  const std::size_t headSize = old ? kLessonHeadSizeOld : kLessonHeadSize;
  if (header.Count < 0 || header.NextID < 0 || header.Bytes < 0) return false;
  const auto bytes = static_cast<std::size_t>(header.Bytes);
  if (!r.has(bytes)) return false;
  // Every lesson takes at least its head (a lesson without groups is read,
  // and the data check tells the user of it).
  if (static_cast<uint64_t>(header.Count) * headSize > bytes) return false;

  // First pass: the section must be exactly Count lessons of 0..5 groups
  // with distinct, non-negative identifiers.
  {
    ByteReader probe = r;
    ByteReader sec = probe.sub(bytes);
    std::vector<int32_t> ids;
    ids.reserve(static_cast<std::size_t>(header.Count));
    for (int32_t k = 0; k < header.Count; ++k) {
      if (!sec.has(headSize)) return false;
      const int32_t id = sec.i32();
      const int groups = sec.u16();
      if (id < 0 || id == INT32_MAX || groups > kMaxLessonGroups) return false;
      sec.skip(headSize - 6);
      sec.skip(kLessonGroupSize * static_cast<std::size_t>(groups));
      if (!sec.ok()) return false;
      ids.push_back(id);
    }
    if (sec.remaining() != 0) return false;
    std::sort(ids.begin(), ids.end());
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end()) return false;
  }

  ByteReader sec = r.sub(bytes);
  Clear();
  for (int32_t k = 0; k < header.Count; ++k) {
    TLessonItem* l = Add();
    l->SetID(sec.i32());
    l->SetSubItemsCount(sec.u16());
    sec.skip(2);
    l->KlassID = sec.i32();
    for (int i = 1; i <= kQuantWords; ++i) l->SetQuant(i, sec.u16());
    for (int s = 1; s <= kLessonSlots; ++s) l->SetBusy(s, sec.u8());
    sec.skip(2);
    l->NoAttachedRoom = old ? 0 : (sec.i32() != 0 ? 1 : 0);
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      TLessonSubItem& grp = *l->GetSubItem(g);
      grp.SubjectID = sec.i32();
      grp.TeacherID = sec.i32();
      grp.ChildrenInGroup = static_cast<uint16_t>(sec.u32() & 0xFFFF);
      for (int i = 0; i < kMaxGroupLinks; ++i) {
        TLessonLink link;
        link.LessonID = sec.i32();
        link.GroupIndex = sec.i32();
        grp.ChangeLink(+1, link);
      }
      grp.SetFictionName(sec.fixedString(kFictionNameSize));
    }
  }
  SetNextID(header.NextID);
  RaiseNextIDPastItems();
  return true;
}

}  // namespace korvant
