#include "week_check.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

namespace korvant::weekcheck {
namespace {

constexpr int kSepOffset = 1000000;

int32_t I32(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<int32_t>(uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
                              uint32_t{b[at + 3]} << 24);
}
uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

std::string Where(int row, int d, int h) {
  return "row " + std::to_string(row) + " day " + std::to_string(d) + " hour " + std::to_string(h) + ": ";
}

// What a cell's identifier names: a project lesson, or the separated
// blocks of one (its identifier + 1000000), planned as a lesson of their
// own. The lesson keeps the separated lengths in its block list too.
struct Unit {
  const TLessonItem* Lesson = nullptr;
  bool Separated = false;
  std::vector<int> Blocks;
};

class Checker {
 public:
  Checker(const TProjectData& p, const VarFile& v, int wills) : p_(p), v_(v), wills_(wills) {
    std::map<int, Unit> seps;
    for (int i = 0; i < p.Klasses.Count(); ++i) klasses_[p.Klasses[i]->ID()] = p.Klasses[i];
    for (int i = 0; i < p.Teachers.Count(); ++i) teachers_[p.Teachers[i]->ID()] = p.Teachers[i];
    for (int i = 0; i < p.Rooms.Count(); ++i) rooms_[p.Rooms[i]->ID()] = p.Rooms[i];
    for (int i = 0; i < p.Lessons.Count(); ++i) {
      const TLessonItem* l = p.Lessons[i];
      Unit own{l, false, {}}, sep{l, true, {}};
      for (int q = 1; q <= l->QuantsCount(); ++q) own.Blocks.push_back(l->QuantAt(q));
      for (int w = kQuantWords; w >= 1 && l->GetQuant(w) != 0; --w) {
        sep.Blocks.push_back(l->GetQuant(w));
        auto it = std::find(own.Blocks.begin(), own.Blocks.end(), l->GetQuant(w));
        if (it != own.Blocks.end()) own.Blocks.erase(it);
      }
      units_[l->ID()] = std::move(own);
      if (!sep.Blocks.empty() && int64_t{l->ID()} + kSepOffset < INT32_MAX) seps.emplace(l->ID() + kSepOffset, std::move(sep));
    }
    // A project lesson of that identifier shadows a separated part.
    units_.insert(seps.begin(), seps.end());
  }

  Report Run() {
    if (v_.K != p_.Klasses.Count() || v_.L != p_.Params.LessonsPerDay) {
      r_.Faults.push_back("the file's klasses or hours a day differ from the project's");
      return r_;
    }
    for (int k = 0; k < v_.K; ++k) Row(k);
    TeachersAndRooms();
    Blocks();
    FreeDaysAndIdle();
    return r_;
  }

 private:
  const Unit* UnitOf(int id) const {
    auto it = units_.find(id);
    return it == units_.end() ? nullptr : &it->second;
  }
  // Two groups at one hour may share a teacher or a room only when one is
  // linked to the other (a joint lesson; separated parts to separated parts).
  bool Linked(int a, int ga, int b, int gb) const {
    const Unit* x = UnitOf(a);
    const Unit* y = UnitOf(b);
    if (x->Separated != y->Separated) return false;
    for (auto [u, gu, w, gw] : {std::tuple{x, ga, y, gb}, std::tuple{y, gb, x, ga}}) {
      const TLessonSubItem* g = u->Lesson->GetSubItem(gu);
      for (int i = 1; g && i <= 5; ++i)
        if (g->GetLink(i).LessonID == w->Lesson->ID() && g->GetLink(i).GroupIndex == gw) return true;
    }
    return false;
  }
  void Fault(std::string text) { r_.Faults.push_back(std::move(text)); }

  // One klass row: its cells, blocks and the shape of each day.
  void Row(int k) {
    const int id = v_.RowKlassID[static_cast<std::size_t>(k)];
    if (!klasses_.count(id)) return Fault("row " + std::to_string(k) + ": unknown klass " + std::to_string(id));
    const TKlassItem& klass = *klasses_.at(id);
    for (int d = 1; d <= 6; ++d) {
      std::map<int, int> hours;                   // lesson -> hours today
      std::vector<std::tuple<int, int, int>> blocks;  // lesson, first hour, hours
      int first = 0, last = 0;
      for (int h = 1; h <= v_.L; ++h) {
        if (v_.At(v_.Draft, k, d, h).Lesson >= 0) Fault(Where(k, d, h) + "a draft left");
        const Cell& c = v_.At(v_.Fair, k, d, h);
        if (c.Lesson < 0) continue;
        const Unit* u = UnitOf(c.Lesson);
        if (!u) {
          Fault(Where(k, d, h) + "unknown lesson " + std::to_string(c.Lesson));
          continue;
        }
        if (first == 0) first = h;
        last = h;
        ++r_.Placed;
        CheckCell(k, d, h, c, *u->Lesson, klass);
        const bool starts = h == 1 || v_.At(v_.Fair, k, d, h - 1).Lesson != c.Lesson;
        if (c.Prev != (starts ? -1 : h - 1)) Fault(Where(k, d, h) + "a block's cells not chained");
        if (starts && hours.count(c.Lesson)) Fault(Where(k, d, h) + "a lesson twice on a day");
        if (starts) blocks.emplace_back(c.Lesson, h, 0);
        ++std::get<2>(blocks.back());
        ++hours[c.Lesson];
      }
      for (auto [lesson, n] : hours) dayBlocks_[{k, lesson}].push_back({d, n});
      if (first == 0) continue;
      if (!((KlassDayStarts(klass, d, v_.L) >> (first - 1)) & 1u))
        Fault(Where(k, d, first) + "the klass's day begins at an hour it may not");
      for (int h = first; h <= last; ++h)
        if (v_.At(v_.Fair, k, d, h).Lesson < 0 && klass.GetBusy((d - 1) * kSlotsPerDay + h) == 0)
          Fault(Where(k, d, h) + "an open hour inside the klass's day");
      for (auto [lesson, s, n] : blocks)
        if (HasGroupWithoutTeacher(*UnitOf(lesson)->Lesson) && s != first && s + n - 1 != last)
          Fault(Where(k, d, s) + "a lesson with a group without a teacher inside the klass's day");
    }
  }

  void CheckCell(int k, int d, int h, const Cell& c, const TLessonItem& l, const TKlassItem& klass) {
    const int slot = (d - 1) * kSlotsPerDay + h;
    if (l.KlassID != klass.ID()) Fault(Where(k, d, h) + "a lesson of another klass");
    if (klass.GetBusy(slot) != 0) Fault(Where(k, d, h) + "closed klass hour used");
    if (l.GetBusy(slot) != 0) Fault(Where(k, d, h) + "closed lesson hour used");
    for (int g = 0; g < l.SubItemsCount(); ++g) {
      const int t = l.GetSubItem(g)->TeacherID;
      if (teachers_.count(t)) {
        if (TeacherHourClosed(teachers_.at(t)->GetBusy(slot), wills_)) Fault(Where(k, d, h) + "closed teacher hour used");
        teacherHours_[t][d] |= 1u << (h - 1);
      }
      if (c.Rooms[g] == 0xFFFF) continue;
      if (!rooms_.count(c.Rooms[g])) Fault(Where(k, d, h) + "unknown room");
      else if (rooms_.at(c.Rooms[g])->GetBusy(slot) != 0) Fault(Where(k, d, h) + "closed room hour used");
    }
  }

  // Teachers and rooms once an hour, but for linked groups.
  void TeachersAndRooms() {
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= v_.L; ++h) {
        std::map<int, std::pair<int, int>> teacherAt, roomAt;
        for (int k = 0; k < v_.K; ++k) {
          const Cell& c = v_.At(v_.Fair, k, d, h);
          const Unit* u = c.Lesson >= 0 ? UnitOf(c.Lesson) : nullptr;
          if (!u) continue;
          const TLessonItem* l = u->Lesson;
          for (int g = 0; g < l->SubItemsCount(); ++g)
            for (auto [key, at] : {std::pair{l->GetSubItem(g)->TeacherID, &teacherAt}, std::pair{int{c.Rooms[g]}, &roomAt}}) {
              if (key < 0 || key == 0xFFFF) continue;
              auto [it, fresh] = at->emplace(key, std::pair{c.Lesson, g});
              if (!fresh && !Linked(it->second.first, it->second.second, c.Lesson, g))
                Fault(Where(k, d, h) + "teacher or room " + std::to_string(key) + " twice");
            }
        }
      }
  }

  // Each day of a lesson holds one of its blocks, no block twice; a
  // separated block never right beside its lesson; a complete week holds
  // every block of every lesson of a klass.
  void Blocks() {
    r_.Complete = true;
    for (const auto& [key, days] : dayBlocks_) {
      std::vector<int> left = UnitOf(key.second)->Blocks;
      for (auto [d, n] : days) {
        auto it = std::find(left.begin(), left.end(), n);
        if (it == left.end()) {
          Fault("lesson " + std::to_string(key.second) + ": " + std::to_string(n) + " hours on day " +
                std::to_string(d) + " are no block of it");
          continue;
        }
        left.erase(it);
      }
      if (!left.empty()) r_.Complete = false;
      if (UnitOf(key.second)->Separated) SeparatedBeside(key.first, key.second);
    }
    for (const auto& [id, u] : units_) {
      if (!klasses_.count(u.Lesson->KlassID)) continue;
      int row = -1;
      for (int k = 0; k < v_.K; ++k)
        if (v_.RowKlassID[static_cast<std::size_t>(k)] == u.Lesson->KlassID) row = k;
      for (int n : u.Blocks) r_.Due += n;
      if (!u.Blocks.empty() && !dayBlocks_.count({row, id})) r_.Complete = false;
    }
  }

  void SeparatedBeside(int k, int sep) {
    const int parent = UnitOf(sep)->Lesson->ID();
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= v_.L; ++h) {
        if (v_.At(v_.Fair, k, d, h).Lesson != sep) continue;
        for (int n : {h - 1, h + 1})
          if (n >= 1 && n <= v_.L && v_.At(v_.Fair, k, d, n).Lesson == parent)
            Fault(Where(k, d, h) + "a separated block right beside its lesson");
      }
  }

  // A teacher who wants m free days teaches on at most 6 - m days (a day
  // closed to the whole school is free, having no lesson).
  void FreeDaysAndIdle() {
    for (const auto& [t, days] : teacherHours_) {
      int working = 0;
      for (const auto& [d, hours] : days) {
        if (hours == 0) continue;
        ++working;
        const int f = __builtin_ctz(hours), e = 31 - __builtin_clz(hours);
        r_.Idle += e - f + 1 - __builtin_popcount(hours);
      }
      const TTeacherItem& teacher = *teachers_.at(t);
      if (working > MostTeachingDays(teacher)) {
        ++r_.FreeDaysShort;
        Fault("teacher " + std::to_string(t) + " teaches on " + std::to_string(working) + " days and wants " +
              std::to_string(WantedFreeDays(teacher)) + " free");
      }
    }
  }

  const TProjectData& p_;
  const VarFile& v_;
  const int wills_;
  Report r_;
  std::map<int, const TKlassItem*> klasses_;
  std::map<int, const TTeacherItem*> teachers_;
  std::map<int, const TRoomItem*> rooms_;
  std::map<int, Unit> units_;
  std::map<std::pair<int, int>, std::vector<std::pair<int, int>>> dayBlocks_;  // (row, lesson) -> (day, hours)
  std::map<int, std::map<int, uint32_t>> teacherHours_;                         // teacher -> day -> hours
};

}  // namespace

bool ReadVar(const std::vector<unsigned char>& b, VarFile& v) {
  if (b.size() < 1024) return false;
  const char magic[] = "VARI-TABLE";
  if (b[0] != 10 || std::memcmp(&b[1], magic, 10) != 0 || I32(b, 12) != 1 || I32(b, 16) != 0) return false;
  v.K = I32(b, 20 + 104);
  v.L = I32(b, 20 + 108);
  if (v.K < 0 || v.K > 1000 || v.L < 1 || v.L > 24) return false;
  const std::size_t cells = static_cast<std::size_t>(v.K) * 6 * static_cast<std::size_t>(v.L);
  if (b.size() != 1024 + 2 * cells * 24) return false;
  for (int g = 0; g < 2; ++g) {
    std::vector<Cell>& grid = g == 0 ? v.Fair : v.Draft;
    for (std::size_t i = 0; i < cells; ++i) {
      const std::size_t at = 1024 + (static_cast<std::size_t>(g) * cells + i) * 24;
      Cell c{I32(b, at), I32(b, at + 4), I32(b, at + 8), {}};
      for (int r = 0; r < 5; ++r) c.Rooms[r] = U16(b, at + 12 + 2 * static_cast<std::size_t>(r));
      grid.push_back(c);
    }
  }
  for (int k = 0; k < v.K; ++k) {
    const uint32_t hour = static_cast<uint32_t>(v.At(v.Fair, k, 1, 1).Hour);
    v.RowKlassID.push_back(static_cast<int>(hour >> 16) - 1);
  }
  return true;
}

Report CheckWeek(const TProjectData& p, const VarFile& v, int teachersWills) { return Checker(p, v, teachersWills).Run(); }

}  // namespace korvant::weekcheck
