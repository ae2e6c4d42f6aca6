// Day arrangements of one klass: its lessons of the day placed into hours
// in every feasible way, each reduced to a bit record of the teacher and
// klass hours it takes, duplicates dropped; and the compatibility of
// arrangements of different klasses.
#include <algorithm>
#include <bit>
#include <iterator>

#include "core/common/shared_state.h"
#include "core/common/window_messages.h"
#include "core/planning/day_planner.h"
#include "core/variant/joint_blocks.h"

namespace korvant {

namespace {

constexpr uint16_t kClosedSlot = 0xFFFF;
constexpr int kFirstParking = 25;
constexpr int kLastParking = 48;

inline void SetRecBit(uint64_t* rec, std::size_t base, std::size_t index) {
  rec[base + index / 64] |= uint64_t{1} << (index % 64);
}

inline uint32_t Extract(const uint64_t* words, std::size_t bit, int n) {
  const std::size_t w = bit / 64, s = bit % 64;
  uint64_t v = words[w] >> s;
  if (s + static_cast<std::size_t>(n) > 64) v |= words[w + 1] << (64 - s);
  return static_cast<uint32_t>(v & ((uint64_t{1} << n) - 1));
}

inline uint64_t HashWords(const uint64_t* p, std::size_t n) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  for (std::size_t i = 0; i < n; ++i) {
    h ^= p[i] + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h *= 0xBF58476D1CE4E5B9ull;
  }
  return h ^ (h >> 31);
}

}  // namespace

void IPlanningHost::Pump() { PumpMessages(); }

void IPlanningHost::WaitWhileSet(const uint8_t& flag) { PumpMessagesWhileSet(flag); }

TDayPlanner::TDayPlanner(TRunModel& m, TTableVarItem& var, int day, IPlanningHost* host)
    : m_(m), var_(var), day_(day), L_(m.L()), host_(host ? host : &nullHost_),
      honourPartners_(Shared().UseAttachedRooms == 1), sepQuants_(Shared().UseSepQuants == 1),
      lastPump_(std::chrono::steady_clock::now()) {}

int TDayPlanner::GroupSize() const { return static_cast<int>(row_.size()); }

void TDayPlanner::PrepareSizes() {
  const int T = m_.Teachers.Count(), K = m_.Klasses.Count();
  teacherWords_ = (static_cast<std::size_t>(T) * static_cast<std::size_t>(L_) + 63) / 64;
  klassWords_ = (static_cast<std::size_t>(K) * static_cast<std::size_t>(L_) + 63) / 64;
  // One spare word so that reading L bits across a word end stays inside.
  recWords_ = 2 * teacherWords_ + klassWords_ + 1;
  row_.clear();
  rowIndex_.assign(static_cast<std::size_t>(T), -1);
  if (const int32_t* r = m_.Teachers.GroupRow(m_.CurGroup))
    for (int i = 0; r[i] >= 0; ++i)
      if (r[i] < T) {
        rowIndex_[static_cast<std::size_t>(r[i])] = static_cast<int>(row_.size());
        row_.push_back(r[i]);
      }
  Shared().GroupSize = static_cast<uint32_t>(row_.size());
  teacherClosed_.assign(static_cast<std::size_t>(T), 0);
  closedBefore_.assign(static_cast<std::size_t>(T), {});
  spanLimit_.assign(static_cast<std::size_t>(T), 0);
  for (int t = 0; t < T; ++t) {
    const TRTITeacherItem* teacher = m_.Teachers[t];
    uint32_t mask = 0;
    for (int h = 1; h <= L_; ++h)
      if (teacher->HourMarks[static_cast<std::size_t>(h)] == kHourClosed) mask |= 1u << (h - 1);
    teacherClosed_[static_cast<std::size_t>(t)] = mask;
    auto& before = closedBefore_[static_cast<std::size_t>(t)];
    before[0] = 0;
    for (int i = 0; i < 32; ++i)
      before[static_cast<std::size_t>(i + 1)] = static_cast<uint8_t>(before[static_cast<std::size_t>(i)] + ((mask >> i) & 1u));
    spanLimit_[static_cast<std::size_t>(t)] =
        optimising_ ? teacher->HoursToday + teacher->DayMaxLeft : teacher->DayMaxLeft;
  }
  klassClosed_.assign(static_cast<std::size_t>(K), 0);
  for (int k = 0; k < K; ++k) {
    uint32_t mask = 0;
    for (int h = 1; h <= L_; ++h)
      if (m_.Klasses[k]->GetBusy((day_ - 1) * kSlotsPerDay + h) != 0) mask |= 1u << (h - 1);
    klassClosed_[static_cast<std::size_t>(k)] = mask;
  }
  stores_.assign(static_cast<std::size_t>(K), TStore{});
  storeBytes_ = storeCount_ = pairBits_ = 0;
  scratch_.assign(recWords_, 0);
}

// ---- items ----

bool TDayPlanner::SetupItems(int klass, int& total) {
  TRTIKlassItem* k = m_.Klasses[klass];
  TStore& st = stores_[static_cast<std::size_t>(klass)];
  k->ItemSlot.fill(0);
  k->LessonSlot.fill(0);
  k->HasLinked = 0;
  items_.assign(1, TItem{});
  st.Floating.assign(static_cast<std::size_t>(k->Lessons.Count()), 0);
  total = 0;
  int park = kFirstParking;
  for (int li = 0; li < k->Lessons.Count(); ++li) {
    TRTILessonItem* l = k->Lessons[li];
    l->Ordinal = 0;
    const int len = l->IsFixed ? l->FixedLength : l->CurrentQuant();
    if (len <= 0) continue;
    TItem it;
    it.Lesson = li;
    it.Len = len;
    it.Fixed = l->IsFixed != 0;
    it.FixedStart = it.Fixed ? l->FixedStart : 0;
    // More hours than the day or the parking holds: refused, never overrun.
    if (park + len - 1 > kLastParking || total + len > L_) return false;
    const int item = static_cast<int>(items_.size());
    l->Ordinal = static_cast<uint16_t>(item);
    for (int j = 0; j < len; ++j) {
      k->ItemSlot[static_cast<std::size_t>(park + j)] = static_cast<uint16_t>(item);
      k->LessonSlot[static_cast<std::size_t>(park + j)] = static_cast<uint16_t>(li);
    }
    park += len;
    total += len;
    if (it.FixedStart > 0) {
      if (it.FixedStart + len - 1 > L_) return false;
      for (int h = it.FixedStart; h < it.FixedStart + len; ++h) {
        if (k->ItemSlot[static_cast<std::size_t>(h)] != 0) return false;  // two fixed lessons at one hour
        k->ItemSlot[static_cast<std::size_t>(h)] = static_cast<uint16_t>(item);
        k->LessonSlot[static_cast<std::size_t>(h)] = static_cast<uint16_t>(li);
      }
    }
    it.Bits = it.Fixed || l->InGroup;
    if (it.Bits && l->HasLink()) k->HasLinked = 1;
    TLinkedLists lists;
    m_.Klasses.CollectLinkedLessons(klass, li, lists);
    for (int i = 0; i < lists.LessonCount(); ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      it.Klasses.push_back(e.A);
      if (e.A < klass) it.Bits = false;  // the lowest klass of a joint lesson writes it
      if (i > 0) it.Linked.emplace_back(e.A, e.B);
    }
    if (it.Klasses.empty()) it.Klasses.push_back(klass);
    // Of a joint lesson only the lowest klass's arrangement decides the hour.
    if (it.Fixed && it.FixedStart == 0 && it.Bits) st.Floating[static_cast<std::size_t>(li)] = 1;
    for (int i = 0; i < lists.TeacherCount(); ++i) it.Teachers.push_back(lists.Teachers[static_cast<std::size_t>(i)].A);
    it.Honoured = honourPartners_ && l->NoAttachedRoom == 0;
    it.Teacherless = l->HasTeacherlessGroup != 0;
    it.ID = l->ID();
    it.Separated = l->SeparatedPart != 0;
    uint32_t open = 0;
    for (int h = 1; h <= L_; ++h) {
      const int slot = (day_ - 1) * kSlotsPerDay + h;
      bool ok = !k->IsSlotClosed(slot, li);
      for (const auto& [kk, ll] : it.Linked)
        if (ok && m_.Klasses[kk]->IsSlotClosed(slot, ll)) ok = false;
      if (ok) open |= 1u << (h - 1);
    }
    it.OpenMask = open;
    items_.push_back(std::move(it));
  }
  for (int h = 1; h <= 24; ++h) {
    baseItem_[static_cast<std::size_t>(h)] = k->ItemSlot[static_cast<std::size_t>(h)];
    baseLesson_[static_cast<std::size_t>(h)] = k->LessonSlot[static_cast<std::size_t>(h)];
  }
  return true;
}

bool TDayPlanner::FitsAt(int klass, const TItem& it, int s) const {
  const TRTIKlassItem* k = m_.Klasses[klass];
  for (int h = s; h < s + it.Len; ++h) {
    if (k->ItemSlot[static_cast<std::size_t>(h)] != 0 || !((it.OpenMask >> (h - 1)) & 1u)) return false;
    for (int t : it.Teachers) {
      const TRTITeacherItem* teacher = m_.Teachers[t];
      if (teacher->HourMarks[static_cast<std::size_t>(h)] != -1) return false;
      if (it.Honoured && !teacher->Partners.empty() && teacher->Partners[0] >= 0 &&
          !teacher->PartnersFree(m_.Teachers, h, false))
        return false;
    }
  }
  return true;
}

void TDayPlanner::MarkItem(int klass, TItem& it, int s, bool on) {
  TRTIKlassItem* k = m_.Klasses[klass];
  const int item = static_cast<int>(&it - items_.data());
  for (int h = s; h < s + it.Len; ++h) {
    k->ItemSlot[static_cast<std::size_t>(h)] = on ? static_cast<uint16_t>(item) : 0;
    k->LessonSlot[static_cast<std::size_t>(h)] = on ? static_cast<uint16_t>(it.Lesson) : 0;
    for (int t : it.Teachers) m_.Teachers[t]->HourMarks[static_cast<std::size_t>(h)] = on ? klass : -1;
  }
  it.Pos = on ? s : 0;
}

bool TDayPlanner::PlaceItem(int klass, int item, int from, int to) {
  if (item < 1 || item >= static_cast<int>(items_.size())) return false;
  TItem& it = items_[static_cast<std::size_t>(item)];
  if (it.FixedStart > 0) return from <= it.FixedStart && it.FixedStart + it.Len - 1 <= to;
  for (int s = std::max(from, 1); s + it.Len - 1 <= std::min(to, L_); ++s)
    if (FitsAt(klass, it, s)) {
      MarkItem(klass, it, s, true);
      return true;
    }
  return false;
}

bool TDayPlanner::ShiftItem(int klass, int item, int to) {
  if (item < 1 || item >= static_cast<int>(items_.size())) return false;
  TItem& it = items_[static_cast<std::size_t>(item)];
  if (it.FixedStart > 0 || it.Pos == 0) return false;
  const int p = it.Pos;
  MarkItem(klass, it, p, false);
  for (int s = p + 1; s + it.Len - 1 <= std::min(to, L_); ++s)
    if (FitsAt(klass, it, s)) {
      MarkItem(klass, it, s, true);
      return true;
    }
  return false;
}

// ---- records ----

uint32_t TDayPlanner::TeacherMask(const uint64_t* rec, int part, int t) const {
  return Extract(rec + static_cast<std::size_t>(part) * teacherWords_,
                 static_cast<std::size_t>(t) * static_cast<std::size_t>(L_), L_);
}

uint32_t TDayPlanner::KlassMask(const uint64_t* rec, int k) const {
  return Extract(rec + 2 * teacherWords_, static_cast<std::size_t>(k) * static_cast<std::size_t>(L_), L_);
}

bool TDayPlanner::RecordPlacement(int klass, int first, int last, bool selection) {
  const TRTIKlassItem* k = m_.Klasses[klass];
  uint64_t* rec = scratch_.data();
  std::fill(scratch_.begin(), scratch_.end(), 0);
  const std::size_t L = static_cast<std::size_t>(L_);
  const std::size_t pairBase = teacherWords_, klassBase = 2 * teacherWords_;
  int phase = 0;
  for (int h = first; h <= last;) {
    const uint16_t v = k->ItemSlot[static_cast<std::size_t>(h)];
    if (v == 0 || v == kClosedSlot) {
      ++h;
      continue;
    }
    const TItem& it = items_[v];
    const int s = h, e = h + it.Len - 1;
    h = e + 1;
    const bool exempt = !selection && it.Fixed;
    if (it.Teacherless && !exempt && s != first && e != last) return false;
    if (!selection) {
      if (it.Teacherless && !it.Fixed) {
        if (phase == 1) phase = 2;
      } else {
        if (phase == 2) return false;
        phase = 1;
      }
      if (sepQuants_ && it.Separated) {
        for (int n : {s - 1, e + 1}) {
          if (n < 1 || n > L_) continue;
          const uint16_t o = k->ItemSlot[static_cast<std::size_t>(n)];
          if (o == 0 || o == kClosedSlot) continue;
          const TItem& other = items_[o];
          if (other.ID == it.ID - kSepLessonIDOffset && !(it.Fixed && other.Fixed)) return false;
        }
      }
    }
    if (!it.Bits) continue;
    const bool pinned = it.FixedStart > 0;
    for (int t : it.Teachers) {
      const TRTITeacherItem* teacher = m_.Teachers[t];
      for (int hh = s; hh <= e; ++hh) {
        const std::size_t bit = static_cast<std::size_t>(t) * L + static_cast<std::size_t>(hh - 1);
        SetRecBit(rec, 0, bit);
        if (selection || it.Honoured) SetRecBit(rec, pairBase, bit);
        if (it.Honoured && !pinned)
          for (int32_t p : teacher->Partners) {
            if (p < 0) break;
            SetRecBit(rec, pairBase, static_cast<std::size_t>(p) * L + static_cast<std::size_t>(hh - 1));
          }
      }
    }
    for (int kk : it.Klasses)
      for (int hh = s; hh <= e; ++hh)
        SetRecBit(rec, klassBase, static_cast<std::size_t>(kk) * L + static_cast<std::size_t>(hh - 1));
  }
  const uint32_t closed = klassClosed_[static_cast<std::size_t>(klass)];
  for (int hh = 1; hh <= L_; ++hh)
    if ((closed >> (hh - 1)) & 1u)
      SetRecBit(rec, klassBase, static_cast<std::size_t>(klass) * L + static_cast<std::size_t>(hh - 1));
  if (k->HasLinked) rec[recWords_ - 1] = static_cast<uint64_t>(first) | (static_cast<uint64_t>(last) << 16);
  return AddRecord(klass, rec);
}

bool TDayPlanner::AddRecord(int klass, const uint64_t* rec) {
  TStore& st = stores_[static_cast<std::size_t>(klass)];
  if (st.Table.size() < 2 * static_cast<std::size_t>(st.Count + 1)) {
    std::vector<uint32_t> table(std::max<std::size_t>(64, st.Table.size() * 2), 0);
    const std::size_t mask = table.size() - 1;
    for (int i = 0; i < st.Count; ++i) {
      std::size_t pos = HashWords(&st.Bits[static_cast<std::size_t>(i) * recWords_], recWords_) & mask;
      while (table[pos] != 0) pos = (pos + 1) & mask;
      table[pos] = static_cast<uint32_t>(i + 1);
    }
    st.Table = std::move(table);
  }
  const std::size_t mask = st.Table.size() - 1;
  std::size_t pos = HashWords(rec, recWords_) & mask;
  while (st.Table[pos] != 0) {
    const uint64_t* other = &st.Bits[static_cast<std::size_t>(st.Table[pos] - 1) * recWords_];
    if (std::equal(rec, rec + recWords_, other)) return false;
    pos = (pos + 1) & mask;
  }
  // What an arrangement keeps until the rows are built (its record, slots,
  // counts, hash entries and teacher masks), and the bits its pairs with
  // the other klasses' arrangements so far will take in the rows: a day
  // too large is known before all its arrangements are listed.
  const std::size_t bytes = recWords_ * 8 + static_cast<std::size_t>(L_) * 4 + row_.size() * 5 + 16;
  const std::size_t pairBits = storeCount_ - static_cast<std::size_t>(st.Count);
  if (st.Count >= MaxArrangements || storeBytes_ + bytes + (pairBits_ + pairBits) / 8 > MaxRunBytes) {
    st.Overflow = true;
    return false;
  }
  storeBytes_ += bytes;
  ++storeCount_;
  pairBits_ += pairBits;
  st.Table[pos] = static_cast<uint32_t>(st.Count + 1);
  st.Bits.insert(st.Bits.end(), rec, rec + recWords_);
  const TRTIKlassItem* k = m_.Klasses[klass];
  for (int h = 1; h <= L_; ++h) st.Slots.push_back(k->ItemSlot[static_cast<std::size_t>(h)]);
  for (int h = 1; h <= L_; ++h) st.Slots.push_back(k->LessonSlot[static_cast<std::size_t>(h)]);
  for (int32_t t : row_) st.Counts.push_back(static_cast<uint8_t>(std::popcount(TeacherMask(rec, 0, t))));
  ++st.Count;
  return true;
}

int TDayPlanner::Enumerate(int klass, int total, bool selection) {
  TRTIKlassItem* k = m_.Klasses[klass];
  TStore& st = stores_[static_cast<std::size_t>(klass)];
  const int before = st.Count;
  const int n = static_cast<int>(items_.size()) - 1;
  const uint32_t closed = klassClosed_[static_cast<std::size_t>(klass)];
  auto isClosed = [&](int h) { return h >= 1 && h <= L_ && ((closed >> (h - 1)) & 1u); };
  // The optimisation keeps the lessons fixed at their hours where they
  // stand. A day planned group by group (or by the week-variant search)
  // may leave a klass an idle hour between them or begin it after its
  // first allowed hour; that day is still an arrangement of itself, so the
  // window stretches over the fixed lessons instead of refusing the klass.
  const uint32_t starts = KlassDayStarts(*k, day_, L_);
  int pinnedLo = 0, pinnedHi = 0;
  bool startCoversPinned = false, stretchedStart = false;
  if (!selection) {
    for (int j = 1; j <= n; ++j) {
      const TItem& it = items_[static_cast<std::size_t>(j)];
      if (it.FixedStart <= 0) continue;
      if (pinnedLo == 0 || it.FixedStart < pinnedLo) pinnedLo = it.FixedStart;
      pinnedHi = std::max(pinnedHi, it.FixedStart + it.Len - 1);
    }
    startCoversPinned = pinnedLo > 0 && (starts & ((1u << pinnedLo) - 1)) != 0;
  }
  for (uint32_t left = starts; left != 0; left &= left - 1) {
    int first = std::countr_zero(left) + 1;
    if (pinnedLo > 0 && first > pinnedLo) {
      // No allowed start lies before the first fixed lesson: the day
      // begins with that lesson, once.
      if (startCoversPinned || stretchedStart) continue;
      stretchedStart = true;
      first = pinnedLo;
    }
    for (int h = 1; h <= 24; ++h) {
      k->ItemSlot[static_cast<std::size_t>(h)] = baseItem_[static_cast<std::size_t>(h)];
      k->LessonSlot[static_cast<std::size_t>(h)] = baseLesson_[static_cast<std::size_t>(h)];
    }
    int last;
    if (total == 0) {
      last = first;
    } else if (closed == 0) {
      last = first + total - 1;
      if (last > L_) continue;
    } else {
      int covered = 0, h = first;
      for (; h <= L_; ++h) {
        // A lesson fixed at an hour closed since it was placed covers it.
        if (isClosed(h) && k->ItemSlot[static_cast<std::size_t>(h)] == 0) {
          k->ItemSlot[static_cast<std::size_t>(h)] = kClosedSlot;
        } else if (++covered == total) {
          break;
        }
      }
      if (h > L_) continue;
      last = h;
    }
    if (pinnedHi > last) {
      for (int h = last + 1; h <= pinnedHi; ++h)
        if (isClosed(h) && k->ItemSlot[static_cast<std::size_t>(h)] == 0) k->ItemSlot[static_cast<std::size_t>(h)] = kClosedSlot;
      last = pinnedHi;
    }
    if (selection) {
      // No open gap between the lessons and the klass's closed hours.
      if ((closed & ((1u << (first - 1)) - 1)) != 0 && !isClosed(first - 1)) continue;
      if ((closed >> last) != 0 && !isClosed(last + 1)) continue;
    }
    bool pinnedOut = false;
    for (int j = 1; j <= n; ++j) {
      const TItem& it = items_[static_cast<std::size_t>(j)];
      if (it.FixedStart > 0 && (it.FixedStart < first || it.FixedStart + it.Len - 1 > last)) pinnedOut = true;
    }
    if (pinnedOut) continue;
    if (n == 0) {
      ++steps_;
      if (Poll()) return -1;
      RecordPlacement(klass, first, last, selection);
      continue;
    }
    int placed = 0;
    bool aborted = false;
    while (true) {
      bool dead = false;
      while (placed < n) {
        // A day's arrangements may take longer than its search: every try
        // counts against the run's budgets and polls the abort flag, even
        // when no try ever completes an arrangement.
        ++steps_;
        if (Poll()) {
          aborted = true;
          break;
        }
        if (PlaceItem(klass, placed + 1, first, last)) {
          ++placed;
          continue;
        }
        while (placed >= 1 && !ShiftItem(klass, placed, last)) --placed;
        if (placed == 0) {
          dead = true;
          break;
        }
      }
      if (dead || aborted) break;
      ++steps_;
      if (Poll()) {
        aborted = true;
        break;
      }
      RecordPlacement(klass, first, last, selection);
      if (st.Overflow) {
        aborted = true;
        break;
      }
      while (placed >= 1 && !ShiftItem(klass, placed, last)) --placed;
      if (placed == 0) break;
    }
    if (aborted) {
      for (int j = 1; j <= n; ++j) {
        TItem& it = items_[static_cast<std::size_t>(j)];
        if (it.Pos > 0 && it.FixedStart == 0) MarkItem(klass, it, it.Pos, false);
      }
      return -1;
    }
  }
  const int added = st.Count - before;
  return added > 0 ? added : -1;
}

int TDayPlanner::EnumSelectVariants(int klass, int extra) {
  int total = 0;
  if (!SetupItems(klass, total)) {
    refused_ = true;
    return -1;
  }
  total += extra;
  if (total > L_) return -1;
  return Enumerate(klass, total, true);
}

int TDayPlanner::EnumDayVariants(int klass) {
  int total = 0;
  if (!SetupItems(klass, total)) {
    refused_ = true;
    return -1;
  }
  if (items_.size() == 1) return 0;  // nothing of this klass today: no level
  total = std::max(total, static_cast<int>(m_.Klasses[klass]->TodayHours));
  if (total > L_) {
    refused_ = true;
    return -1;
  }
  return Enumerate(klass, total, false);
}

int TDayPlanner::PrepareSelection(int klass) {
  TRTIKlassItem* k = m_.Klasses[klass];
  const int count = k->Lessons.Count();
  if (count == 0 && k->HoursToday == 0) return 0;
  if (k->HoursToday == 0 && k->DayMaxLeft <= 0) {
    bool any = false;
    for (int li = 0; li < count; ++li)
      if (k->Lessons[li]->CurrentQuant() > 0) any = true;
    return any ? EnumSelectVariants(klass, 0) : 0;
  }
  if (k->HoursToday > k->DayMaxLeft || count == 0) return -1;
  for (int li = 0; li < count; ++li) {
    TRTILessonItem* l = k->Lessons[li];
    if (l->IsFixed) continue;
    const int cur = l->CurrentQuant();
    if (cur > 0) {
      k->SetLessonDayCount(li, cur);
      k->QuantSum -= cur;
      l->ResetQuantCursor();
    } else {
      m_.Klasses.FixLesson(klass, li, 0);
    }
  }
  std::vector<TRTILessonItem*> choosers;
  // Per chooser, the block lengths it may take: a joint lesson only those
  // every linked lesson has free, as its block goes into all their klasses.
  std::vector<TBlockCounts> usable;
  bool anyItem = false;
  for (int li = 0; li < count; ++li) {
    TRTILessonItem* l = k->Lessons[li];
    if (!l->IsFixed && l->InGroup) {
      choosers.push_back(l);
      TBlockCounts lengths;
      lengths.fill(1);
      if (l->HasLink()) lengths = JointFreeBlocks(var_, klass, li, day_);
      usable.push_back(lengths);
    }
    if (l->IsFixed && l->FixedLength > 0) anyItem = true;
  }
  auto nextUsable = [&](std::size_t i) {
    TRTILessonItem* l = choosers[i];
    while (l->NextQuant(k->QuantSum)) {
      const int len = l->CurrentQuant();
      if (len >= 1 && len <= kMaxLessonsPerDay && usable[i][static_cast<std::size_t>(len)] > 0) return true;
    }
    return false;
  };
  if (choosers.empty() && !anyItem) return 0;  // nothing of the group in this klass
  int total = 0;
  while (true) {
    if (Poll()) return -1;
    bool skip = false;
    for (TRTILessonItem* l : choosers)
      if (l->SelectedToday && l->CurrentQuant() == 0) skip = true;
    if (!skip) {
      const int lo = std::max(0, k->DayMinLeft - k->QuantSum - k->HoursToday);
      int hi = k->DayMaxLeft - k->QuantSum - k->HoursToday;
      if (static_cast<std::size_t>(klass) < ExtraCap.size() && ExtraCap[static_cast<std::size_t>(klass)] >= 0)
        hi = std::min(hi, ExtraCap[static_cast<std::size_t>(klass)]);
      for (int extra = lo; extra <= hi; ++extra) {
        const int r = EnumSelectVariants(klass, extra);
        if (r > 0) total += r;
        if (refused_ || Shared().AbortPlanning || stores_[static_cast<std::size_t>(klass)].Overflow) return -1;
      }
    }
    int i = static_cast<int>(choosers.size()) - 1;
    bool advanced = false;
    for (; i >= 0; --i) {
      TRTILessonItem* l = choosers[static_cast<std::size_t>(i)];
      if (nextUsable(static_cast<std::size_t>(i))) {
        if (k->DayMaxLeft - k->HoursToday >= k->QuantSum) {
          advanced = true;
          break;
        }
        k->QuantSum -= l->CurrentQuant();
      }
      l->ResetQuantCursor();
    }
    if (!advanced) break;
  }
  return total > 0 ? total : -1;
}

int TDayPlanner::ArrangementCount(int klass) const {
  if (klass < 0 || klass >= static_cast<int>(stores_.size())) return 0;
  return stores_[static_cast<std::size_t>(klass)].Count;
}

uint16_t TDayPlanner::ArrangementItem(int klass, int n, int hour) const {
  const TStore& st = stores_[static_cast<std::size_t>(klass)];
  return st.Slots[static_cast<std::size_t>(n - 1) * 2 * static_cast<std::size_t>(L_) + static_cast<std::size_t>(hour - 1)];
}

uint16_t TDayPlanner::ArrangementLesson(int klass, int n, int hour) const {
  const TStore& st = stores_[static_cast<std::size_t>(klass)];
  return st.Slots[static_cast<std::size_t>(n - 1) * 2 * static_cast<std::size_t>(L_) + static_cast<std::size_t>(L_) +
                  static_cast<std::size_t>(hour - 1)];
}

void TDayPlanner::FreeVariants() {
  for (TStore& st : stores_) st = TStore{};
  storeBytes_ = storeCount_ = pairBits_ = 0;
}

void TDayPlanner::FinishStore(int klass) {
  TStore& st = stores_[static_cast<std::size_t>(klass)];
  st.Table.clear();
  st.Table.shrink_to_fit();
  st.TeacherSet.clear();
  st.RowTeachers.clear();
  st.RowMasks.clear();
  const int T = m_.Teachers.Count();
  for (int t = 0; t < T; ++t)
    for (int i = 0; i < st.Count; ++i)
      if (TeacherMask(&st.Bits[static_cast<std::size_t>(i) * recWords_], 0, t) != 0) {
        st.TeacherSet.push_back(t);
        if (rowIndex_[static_cast<std::size_t>(t)] >= 0) st.RowTeachers.push_back(t);
        break;
      }
  st.RowMasks.reserve(st.RowTeachers.size() * static_cast<std::size_t>(st.Count));
  for (int i = 0; i < st.Count; ++i)
    for (int t : st.RowTeachers)
      st.RowMasks.push_back(TeacherMask(&st.Bits[static_cast<std::size_t>(i) * recWords_], 0, t));
  st.Words.clear();
  const std::size_t parts = 2 * teacherWords_ + klassWords_;
  for (std::size_t w = 0; w < parts; ++w)
    for (int i = 0; i < st.Count; ++i)
      if (st.Bits[static_cast<std::size_t>(i) * recWords_ + w] != 0) {
        st.Words.push_back(static_cast<uint32_t>(w));
        break;
      }
  const std::size_t n = st.TeacherSet.size();
  st.SetMasks.resize(n * static_cast<std::size_t>(st.Count));
  st.AloneOk.resize(static_cast<std::size_t>(st.Count));
  for (int i = 0; i < st.Count; ++i) {
    bool ok = true;
    for (std::size_t j = 0; j < n; ++j) {
      const int t = st.TeacherSet[j];
      const uint32_t mask = TeacherMask(&st.Bits[static_cast<std::size_t>(i) * recWords_], 0, t);
      st.SetMasks[static_cast<std::size_t>(i) * n + j] = mask;
      if (!SpanFits(t, mask)) ok = false;
    }
    st.AloneOk[static_cast<std::size_t>(i)] = ok ? 1 : 0;
  }
}

// ---- compatibility ----

bool TDayPlanner::SpanFits(int t, uint32_t mask) const {
  if (mask == 0 || (!optimising_ && rowIndex_[static_cast<std::size_t>(t)] < 0)) return true;
  const int f = std::countr_zero(mask), e = 31 - std::countl_zero(mask);
  const auto& before = closedBefore_[static_cast<std::size_t>(t)];
  const int c = e - f > 1 ? before[static_cast<std::size_t>(e)] - before[static_cast<std::size_t>(f + 1)] : 0;
  return e - f + 1 - c <= spanLimit_[static_cast<std::size_t>(t)];
}

TDayPlanner::TPairPlan TDayPlanner::PlanPair(int klassA, int klassB) const {
  const TStore& sa = stores_[static_cast<std::size_t>(klassA)];
  const TStore& sb = stores_[static_cast<std::size_t>(klassB)];
  TPairPlan plan;
  // Both sets are in ascending order.
  for (std::size_t i = 0, j = 0; i < sa.TeacherSet.size() && j < sb.TeacherSet.size();) {
    if (sa.TeacherSet[i] < sb.TeacherSet[j]) {
      ++i;
    } else if (sb.TeacherSet[j] < sa.TeacherSet[i]) {
      ++j;
    } else {
      plan.Teachers.push_back({static_cast<int>(i), static_cast<int>(j), sa.TeacherSet[i]});
      ++i;
      ++j;
    }
  }
  std::set_intersection(sa.Words.begin(), sa.Words.end(), sb.Words.begin(), sb.Words.end(),
                        std::back_inserter(plan.Words));
  return plan;
}

bool TDayPlanner::PairFits(int klassA, int a, int klassB, int b, const TPairPlan& plan) const {
  const TStore& sa = stores_[static_cast<std::size_t>(klassA)];
  const TStore& sb = stores_[static_cast<std::size_t>(klassB)];
  // A teacher that only one of the klasses has keeps its span as that
  // arrangement alone gives it.
  if (!sa.AloneOk[static_cast<std::size_t>(a - 1)] || !sb.AloneOk[static_cast<std::size_t>(b - 1)]) return false;
  const uint64_t* ra = &sa.Bits[static_cast<std::size_t>(a - 1) * recWords_];
  const uint64_t* rb = &sb.Bits[static_cast<std::size_t>(b - 1) * recWords_];
  for (uint32_t w : plan.Words)
    if (ra[w] & rb[w]) return false;
  const uint32_t* ma = sa.SetMasks.data() + static_cast<std::size_t>(a - 1) * sa.TeacherSet.size();
  const uint32_t* mb = sb.SetMasks.data() + static_cast<std::size_t>(b - 1) * sb.TeacherSet.size();
  for (const TShared& x : plan.Teachers)
    if (!SpanFits(x.Teacher, ma[x.A] | mb[x.B])) return false;
  const uint64_t wa = ra[recWords_ - 1], wb = rb[recWords_ - 1];
  if (wa != 0 && wb != 0) {
    for (const auto& [x, win] : {std::pair{klassA, wa}, std::pair{klassB, wb}}) {
      const uint32_t m = (KlassMask(ra, x) | KlassMask(rb, x)) & ~klassClosed_[static_cast<std::size_t>(x)];
      if (m == 0) continue;
      const int f = std::countr_zero(m) + 1, e = 32 - std::countl_zero(m);
      if (f < static_cast<int>(win & 0xFFFF) || e > static_cast<int>((win >> 16) & 0xFFFF)) return false;
    }
  }
  return true;
}

bool TDayPlanner::Compatible(int klassA, int a, int klassB, int b) const {
  return PairFits(klassA, a, klassB, b, PlanPair(klassA, klassB));
}

bool TDayPlanner::OrderLevels() {
  std::vector<int> order;
  for (int k = 0; k < static_cast<int>(stores_.size()); ++k)
    if (stores_[static_cast<std::size_t>(k)].Count > 0) order.push_back(k);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return stores_[static_cast<std::size_t>(a)].Count < stores_[static_cast<std::size_t>(b)].Count;
  });
  levelKlass_ = order;
  const std::size_t levels = order.size();
  levelOffset_.assign(levels + 1, 0);
  for (std::size_t l = 0; l < levels; ++l)
    levelOffset_[l + 1] = levelOffset_[l] + static_cast<std::size_t>(stores_[static_cast<std::size_t>(order[l])].Count);
  // The rows are built while the records are still there.
  std::size_t bytes = storeBytes_;
  for (std::size_t l = 0; l < levels; ++l) {
    TStore& st = stores_[static_cast<std::size_t>(order[l])];
    st.RowWords = (levelOffset_[levels] - levelOffset_[l + 1] + 63) / 64;
    bytes += st.RowWords * 8 * static_cast<std::size_t>(st.Count);
    if (bytes > MaxRunBytes) return false;
  }
  view_.KlassOrder.assign(levels, {});
  view_.CurChoice.assign(levels, 0xFFFF);
  view_.LiveCounts.assign(levels, {});
  for (std::size_t l = 0; l < levels; ++l) {
    const int count = stores_[static_cast<std::size_t>(order[l])].Count;
    view_.KlassOrder[l] = {static_cast<uint16_t>(count), static_cast<uint16_t>(order[l])};
    view_.LiveCounts[l] = {static_cast<uint16_t>(count), 0};
  }
  return true;
}

void TDayPlanner::BuildCompatibility(int level) {
  const int levels = static_cast<int>(levelKlass_.size());
  const int ka = levelKlass_[static_cast<std::size_t>(level)];
  TStore& st = stores_[static_cast<std::size_t>(ka)];
  st.Compat.assign(st.RowWords * static_cast<std::size_t>(st.Count), 0);
  const std::size_t base = levelOffset_[static_cast<std::size_t>(level) + 1];
  std::vector<TPairPlan> plans;
  for (int l = level + 1; l < levels; ++l) plans.push_back(PlanPair(ka, levelKlass_[static_cast<std::size_t>(l)]));
  for (int i = 1; i <= st.Count; ++i) {
    if (Poll()) return;
    // A row may test many thousand pairs: the deadline is read every row.
    if (Deadline != std::chrono::steady_clock::time_point{} && std::chrono::steady_clock::now() >= Deadline) {
      Shared().AbortPlanning = 1;
      return;
    }
    uint64_t* row = &st.Compat[static_cast<std::size_t>(i - 1) * st.RowWords];
    // The rows count against the run's step budget: a step for every
    // sixteen pairs tested, and a row the budget cannot pay is not built.
    const uint64_t rowSteps = (levelOffset_[static_cast<std::size_t>(levels)] - base + 15) / 16;
    if (StepLimit != 0 && steps_ + rowSteps > StepLimit) {
      Shared().AbortPlanning = 1;
      return;
    }
    steps_ += rowSteps;
    for (int l = level + 1; l < levels; ++l) {
      const int kb = levelKlass_[static_cast<std::size_t>(l)];
      const std::size_t off = levelOffset_[static_cast<std::size_t>(l)] - base;
      const TPairPlan& sh = plans[static_cast<std::size_t>(l - level - 1)];
      for (int j = 1; j <= stores_[static_cast<std::size_t>(kb)].Count; ++j)
        if (PairFits(ka, i, kb, j, sh)) {
          const std::size_t bit = off + static_cast<std::size_t>(j - 1);
          row[bit / 64] |= uint64_t{1} << (bit % 64);
        }
    }
  }
}

bool TDayPlanner::CompatBit(int level, int i, int laterLevel, int j) const {
  const TStore& st = stores_[static_cast<std::size_t>(levelKlass_[static_cast<std::size_t>(level)])];
  const std::size_t bit = levelOffset_[static_cast<std::size_t>(laterLevel)] -
                          levelOffset_[static_cast<std::size_t>(level) + 1] + static_cast<std::size_t>(j - 1);
  return (st.Compat[static_cast<std::size_t>(i - 1) * st.RowWords + bit / 64] >> (bit % 64)) & 1u;
}

// ---- applying arrangements ----

void TDayPlanner::ApplyVariant(int klass, int n, bool keepBlocks) {
  TRTIKlassItem* k = m_.Klasses[klass];
  const TStore& st = stores_[static_cast<std::size_t>(klass)];
  if (n < 1 || n > st.Count) return;
  for (int h = 1; h <= L_; ++h) {
    k->ItemSlot[static_cast<std::size_t>(h)] = ArrangementItem(klass, n, h);
    k->LessonSlot[static_cast<std::size_t>(h)] = ArrangementLesson(klass, n, h);
  }
  for (int li = 0; li < k->Lessons.Count(); ++li) {
    TRTILessonItem* l = k->Lessons[li];
    l->StartHour = 0;
    if (!keepBlocks && !l->IsFixed) {
      k->QuantSum -= l->CurrentQuant();
      l->ResetQuantCursor();
    }
  }
  for (int h = 1; h <= L_;) {
    const uint16_t v = k->ItemSlot[static_cast<std::size_t>(h)];
    if (v == 0 || v == kClosedSlot) {
      ++h;
      continue;
    }
    int len = 1;
    while (h + len <= L_ && k->ItemSlot[static_cast<std::size_t>(h + len)] == v) ++len;
    const int li = k->LessonSlot[static_cast<std::size_t>(h)];
    TRTILessonItem* l = k->Lessons[li];
    int start = 0;
    if (l->IsFixed) {
      // A lesson fixed without a start goes where the arrangement put it.
      if (li < static_cast<int>(st.Floating.size()) && st.Floating[static_cast<std::size_t>(li)])
        l->FixedStart = static_cast<uint16_t>(h);
      start = l->FixedStart;
    } else {
      l->StartHour = l->InGroup ? static_cast<uint16_t>(h) : 0;
      if (!keepBlocks) l->SelectQuant(k->QuantSum, len, day_);
      start = l->StartHour;
    }
    TLinkedLists lists;
    m_.Klasses.CollectLinkedLessons(klass, li, lists);
    const bool lowest = lists.LowestKlass(klass);
    if (lowest)
      for (int i = 1; i < lists.LessonCount(); ++i) {
        const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
        if (TRTILessonItem* ol = m_.KlassLesson(e.A, e.B)) {
          ol->StartHour = ol->FixedStart = static_cast<uint16_t>(start);
          ol->FixedLength = static_cast<uint16_t>(len);
        }
      }
    h += len;
  }
}

void TDayPlanner::ClearVariant(int klass) {
  TRTIKlassItem* k = m_.Klasses[klass];
  const TStore& st = stores_[static_cast<std::size_t>(klass)];
  for (int li = 0; li < k->Lessons.Count(); ++li) {
    TRTILessonItem* l = k->Lessons[li];
    l->StartHour = 0;
    if (l->IsFixed && li < static_cast<int>(st.Floating.size()) && st.Floating[static_cast<std::size_t>(li)])
      l->FixedStart = 0;
    if (!l->HasLink()) continue;
    TLinkedLists lists;
    m_.Klasses.CollectLinkedLessons(klass, li, lists);
    if (!lists.LowestKlass(klass)) continue;
    for (int i = 1; i < lists.LessonCount(); ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      if (TRTILessonItem* ol = m_.KlassLesson(e.A, e.B)) {
        ol->StartHour = ol->FixedStart = l->IsFixed ? l->FixedStart : 0;
        ol->FixedLength = static_cast<uint16_t>(l->IsFixed ? l->FixedLength : l->CurrentQuant());
      }
    }
  }
}

void TDayPlanner::GetTeachersNeed(int klass, int32_t* out) const {
  const TStore& st = stores_[static_cast<std::size_t>(klass)];
  const std::size_t g = row_.size();
  for (std::size_t i = 0; i < g; ++i) {
    int best = 0;
    for (int a = 0; a < st.Count; ++a)
      best = std::max<int>(best, st.Counts[static_cast<std::size_t>(a) * g + i]);
    out[i] = best;
  }
}

}  // namespace korvant
