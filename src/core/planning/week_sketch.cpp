// The week sketched at hours by simulated annealing over block moves and
// swaps. Costs are kept incrementally: a move touches only the klass and
// teacher days of the block it moves.
#include "core/planning/week_sketch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <random>

#include "core/variant/joint_blocks.h"
#include "core/variant/rti_model.h"

namespace korvant {

namespace {

using Clock = std::chrono::steady_clock;

struct TBlock {
  int K = 0, Lesson = 0, Len = 0;
  int Key = 0;                     // the lesson, for one block a day
  bool Teacherless = false;        // kept to the first or last hours of its klasses' day
  bool Honoured = false;           // keeps to its teachers' shared rooms
  int Parent = -1;                 // a separated block: its lesson's key
  std::vector<int> Rooms;          // shared rooms of its teachers
  std::vector<int> Klasses;        // every klass of the joint lesson
  std::vector<int> Teachers;       // every teacher of it, once each
  std::array<uint32_t, 6> Starts{};  // first hours allowed, bit h - 1, per day
  std::vector<std::pair<int, int>> Places;  // every allowed (day, first hour)
  int Day = 0, Start = 0;
};

class TSketch {
 public:
  TSketch(const TRunModel& m, const TSketchOptions& o) : m_(m), o_(o), L_(m.L()), rng_(o.Seed) {}

  bool Build();
  void Construct(Clock::time_point deadline);
  void Anneal(const TSketchOptions& o, Clock::time_point soundBy, Clock::time_point deadline);
  TSketchResult Result(Clock::time_point start);

 private:
  static constexpr int kHard = 12;  // one broken rule against idle hours
  static constexpr std::size_t kLongestChain = 64;  // blocks one chain may move

  std::size_t KD(int k, int d) const { return static_cast<std::size_t>(k) * 6 + static_cast<std::size_t>(d - 1); }
  std::size_t TD(int t, int d) const { return static_cast<std::size_t>(t) * 6 + static_cast<std::size_t>(d - 1); }
  int Shape(int k, int d) const;
  int Idle(int t, int d) const;
  void CountDay(const TBlock& b, int d, int sign);
  // Hours a teacher who wants free days must still clear: those of its
  // lightest working days beyond the 6 - m it may have.
  int FreeShort(int t) const;
  void Add(int b, int d, int s);
  void Remove(int b);
  bool Touched(int b) const;
  // Lessons of a shared room's teachers at one hour, when one of them keeps
  // to the room: all but one are too many.
  static int RoomClash(int all, int honoured) { return honoured > 0 ? all - 1 : 0; }
  // The block's lessons counted in (step 1) or out of (-1) its shared rooms.
  void CountRooms(const TBlock& b, int d, int s, int step);
  // The block of the list standing at hour h of day d, or -1.
  int BlockAt(const std::vector<int>& list, int d, int h) const;
  // Two windows of n hours on days Day[2] and Day[1] from hours From[2]
  // and From[1]: blocks of side s move into window s.
  struct TWindows {
    int N = 0;
    std::array<int, 3> Day{}, From{};
  };
  bool Kempe(int bi, int ci, double temp);
  bool PickWindows(int bi, int ci, TWindows& w);
  static bool Disjoint(const TWindows& w);
  int GrowChain(int bi, int ci, TWindows& w, std::vector<int>& chain);
  bool Widen(TWindows& w, int before, int after);
  int Target(const TBlock& X, int side, const TWindows& w) const;
  bool TradeWindows(const std::vector<int>& chain, const TWindows& w, double temp);
  void MoveOne(int bi, double temp);
  void SwapInKlass(int bi, double temp);
  int PickBlock();
  double Temperature(uint64_t it) const;
  // The best week so far: of those that keep every rule the one with
  // fewest idle hours; until one does, the one whose part that keeps every
  // rule holds most hours (what the week driver takes of it), then fewest
  // broken rules, then fewest idle hours.
  void KeepBest();
  void RestoreBest();
  // Takes blocks in a broken rule out of the sketch, one at a time and
  // again those their leaving breaks, until what stays keeps every rule;
  // answers the blocks taken out, in order.
  std::vector<int> KeepSoundPart();
  // The klass hours that part would hold; the sketch is left as it was.
  long HeldHours();
  // Whether a move from cost before stays: no more broken rules than
  // hardBefore (-1: any), and better, or worse by what the temperature allows.
  bool Accept(long before, long hardBefore, int wIdle, double temp) {
    if (hardBefore >= 0 && hard_ > hardBefore) return false;
    const long delta = Cost(wIdle) - before;
    return delta <= 0 || unit_(rng_) < std::exp(-static_cast<double>(delta) / temp);
  }
  long Cost(int wIdle) const { return whard_ * kHard + widle_ * wIdle; }
  // n rules broken (or mended, n < 0) whose weight is w.
  void Broke(long n, int32_t w) {
    hard_ += n;
    whard_ += n * w;
  }
  // Every rule still broken weighs one more from now on, so that a search
  // stuck with the same few broken rules is pushed to mend them.
  void Reweigh();
  // The teacher days with most idle hours for their weight weigh one more,
  // so that idle hours a stalled search keeps holding are pushed out and a
  // week whose few idle hours no single move mends is worked over around
  // them. Only after a stall: weighing from the start slowed weeks the
  // plain count polishes well.
  void ReweighIdle();

  const TRunModel& m_;
  const TSketchOptions& o_;
  int L_;
  std::mt19937 rng_;
  std::vector<TBlock> blocks_;
  std::vector<std::vector<int>> klassBlocks_, teacherBlocks_;
  std::vector<std::vector<int>> edgeBlocks_;  // per klass: its blocks without a teacher
  std::vector<std::vector<int>> sepBlocks_;   // per klass: its separated blocks
  std::vector<std::vector<int>> roomBlocks_;  // per shared room: blocks of its teachers
  // Per (shared room, day), L counts: blocks of its teachers, and of those
  // the ones that keep to the room.
  std::vector<int32_t> rAll_, rHon_;
  std::vector<uint8_t> side_;         // per block: 0, or the end of a chain it moves to
  std::uniform_real_distribution<double> unit_{0.0, 1.0};
  // Per (row, day), L counts; wide enough for any number of blocks at one
  // hour (a sketch out of time puts every block left at its first place).
  std::vector<int32_t> kOcc_, tOcc_;
  std::vector<uint32_t> kMask_, tMask_, kClosed_;
  std::vector<uint32_t> kStarts_;     // per (klass, day): the hours its day may begin at
  std::vector<int32_t> sameDay_;      // per (key, day)
  std::vector<int> workDays_;         // per teacher: the most days it may teach on
  long hard_ = 0, idle_ = 0;
  long widle_ = 0;                    // idle hours by their teacher days' weights
  long whard_ = 0;                    // broken rules by their weights
  // Weights of the rules, as their counts are kept: klass and teacher
  // hours, klass days, lessons' days, teachers' free days.
  std::vector<int32_t> kW_, tW_, shapeW_, dayW_, freeW_;
  std::vector<int32_t> idleW_;        // per (teacher, day): its idle hours' weight
  int left_ = 0;
  int unmatched_ = 0;
  std::vector<std::pair<int, int>> bestAt_;  // per block: day, first hour
  long bestHard_ = -1, bestIdle_ = 0;  // fewest broken rules seen; the best week's idle hours
  uint64_t bestMove_ = 0;             // the move that found the best week
  // Of a best week that breaks a rule: the hours its sound part holds, its
  // broken rules, and the move that last measured a week.
  long bestHeld_ = -1, heldHard_ = 0;
  uint64_t heldMove_ = 0;
  std::vector<int> soundOrder_;       // blocks as KeepSoundPart takes them out, shortest first
  Clock::time_point soundAt_{};
  uint64_t moves_ = 0;
};

bool TSketch::Build() {
  const int K = m_.Klasses.Count(), T = m_.Teachers.Count();
  if (L_ < 1 || L_ > 24) return false;
  kOcc_.assign(static_cast<std::size_t>(K) * 6 * static_cast<std::size_t>(L_), 0);
  tOcc_.assign(static_cast<std::size_t>(T) * 6 * static_cast<std::size_t>(L_), 0);
  kMask_.assign(static_cast<std::size_t>(K) * 6, 0);
  tMask_.assign(static_cast<std::size_t>(T) * 6, 0);
  kClosed_.assign(static_cast<std::size_t>(K) * 6, 0);
  kStarts_.assign(static_cast<std::size_t>(K) * 6, 0);
  workDays_.assign(static_cast<std::size_t>(T), 6);
  for (int t = 0; t < T; ++t)
    workDays_[static_cast<std::size_t>(t)] = MostTeachingDays(*m_.Teachers[t]);
  klassBlocks_.assign(static_cast<std::size_t>(K), {});
  teacherBlocks_.assign(static_cast<std::size_t>(T), {});
  edgeBlocks_.assign(static_cast<std::size_t>(K), {});
  sepBlocks_.assign(static_cast<std::size_t>(K), {});
  // Rooms shared by two teachers or more.
  std::vector<int> roomOf(static_cast<std::size_t>(T), -1);
  if (o_.HonourRooms) {
    std::vector<std::pair<int32_t, int>> rooms;
    for (int t = 0; t < T; ++t)
      if (m_.Teachers[t]->TeacherRoom >= 0) rooms.emplace_back(m_.Teachers[t]->TeacherRoom, t);
    std::sort(rooms.begin(), rooms.end());
    int groups = 0;
    for (std::size_t i = 0; i < rooms.size();) {
      std::size_t j = i;
      while (j < rooms.size() && rooms[j].first == rooms[i].first) ++j;
      if (j - i >= 2) {
        for (std::size_t x = i; x < j; ++x) roomOf[static_cast<std::size_t>(rooms[x].second)] = groups;
        ++groups;
      }
      i = j;
    }
    roomBlocks_.assign(static_cast<std::size_t>(groups), {});
  }
  rAll_.assign(roomBlocks_.size() * 6 * static_cast<std::size_t>(L_), 0);
  rHon_.assign(rAll_.size(), 0);
  std::vector<std::vector<int>> keyOf(static_cast<std::size_t>(K));
  for (int k = 0; k < K; ++k) {
    const TRTIKlassItem* klass = m_.Klasses[k];
    for (int d = 1; d <= 6; ++d) {
      for (int h = 1; h <= L_; ++h)
        if (klass->GetBusy((d - 1) * kSlotsPerDay + h) != 0) kClosed_[KD(k, d)] |= 1u << (h - 1);
      kStarts_[KD(k, d)] = KlassDayStarts(*klass, d, L_);
    }
  }
  int keys = 0;
  for (int k = 0; k < K; ++k) {
    const TRTIKlassItem* klass = m_.Klasses[k];
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      TLinkedLists lists;
      if (!m_.Klasses.CollectLinkedLessons(k, li, lists)) continue;
      if (!lists.LowestKlass(k)) continue;
      TBlock proto;
      proto.K = k;
      proto.Lesson = li;
      proto.Key = keys++;
      proto.Teacherless = klass->Lessons[li]->HasTeacherlessGroup != 0;
      proto.Honoured = o_.HonourRooms && klass->Lessons[li]->NoAttachedRoom == 0;
      keyOf[static_cast<std::size_t>(k)].resize(static_cast<std::size_t>(klass->Lessons.Count()), -1);
      keyOf[static_cast<std::size_t>(k)][static_cast<std::size_t>(li)] = proto.Key;
      for (int i = 0; i < lists.LessonCount(); ++i) {
        const int kk = lists.Lessons[static_cast<std::size_t>(i)].A;
        if (std::find(proto.Klasses.begin(), proto.Klasses.end(), kk) == proto.Klasses.end()) proto.Klasses.push_back(kk);
      }
      if (proto.Klasses.empty()) proto.Klasses.push_back(k);
      for (int i = 0; i < lists.TeacherCount(); ++i) {
        const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
        if (t < T && std::find(proto.Teachers.begin(), proto.Teachers.end(), t) == proto.Teachers.end())
          proto.Teachers.push_back(t);
      }
      for (int t : proto.Teachers) {
        const int g = roomOf[static_cast<std::size_t>(t)];
        if (g >= 0 && std::find(proto.Rooms.begin(), proto.Rooms.end(), g) == proto.Rooms.end()) proto.Rooms.push_back(g);
      }
      // Open hours of the day for the whole joint lesson and its teachers.
      std::array<uint32_t, 6> open{};
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= L_; ++h) {
          const int slot = (d - 1) * kSlotsPerDay + h;
          bool ok = true;
          for (int i = 0; i < lists.LessonCount() && ok; ++i) {
            const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
            ok = !m_.Klasses[e.A]->IsSlotClosed(slot, e.B);
          }
          for (int t : proto.Teachers)
            if (ok && TeacherHourClosed(m_.Teachers[t]->GetBusy(slot), m_.TeachersWills)) ok = false;
          if (ok) open[static_cast<std::size_t>(d - 1)] |= 1u << (h - 1);
        }
      const TRTILessonItem& lesson = *m_.Klasses[k]->Lessons[li];
      // A block stands in every klass of the set: the lesson's blocks that
      // some linked lesson lacks are counted as left out.
      const std::vector<int> blocks = InLessonOrder(lesson, JointBlocks(m_, k, li));
      unmatched_ += lesson.QuantsCount() - static_cast<int>(blocks.size());
      for (int len : blocks) {
        TBlock b = proto;
        b.Len = len;
        if (b.Len < 1 || b.Len > L_) continue;
        const uint32_t run = (1u << b.Len) - 1;
        for (int d = 1; d <= 6; ++d)
          for (int s = 1; s + b.Len - 1 <= L_; ++s)
            if (((open[static_cast<std::size_t>(d - 1)] >> (s - 1)) & run) == run) {
              b.Starts[static_cast<std::size_t>(d - 1)] |= 1u << (s - 1);
              b.Places.emplace_back(d, s);
            }
        if (b.Places.empty()) {  // no hour of the week can hold it
          ++left_;
          continue;
        }
        for (int kk : b.Klasses) klassBlocks_[static_cast<std::size_t>(kk)].push_back(static_cast<int>(blocks_.size()));
        for (int t : b.Teachers) teacherBlocks_[static_cast<std::size_t>(t)].push_back(static_cast<int>(blocks_.size()));
        if (b.Teacherless)
          for (int kk : b.Klasses) edgeBlocks_[static_cast<std::size_t>(kk)].push_back(static_cast<int>(blocks_.size()));
        for (int g : b.Rooms) roomBlocks_[static_cast<std::size_t>(g)].push_back(static_cast<int>(blocks_.size()));
        blocks_.push_back(std::move(b));
      }
    }
  }
  // A separated block's lesson: the lesson of the same klass whose
  // identifier it carries.
  if (o_.SeparateParts)
    for (int bi = 0; bi < static_cast<int>(blocks_.size()); ++bi) {
      TBlock& b = blocks_[static_cast<std::size_t>(bi)];
      const int32_t id = m_.Klasses[b.K]->Lessons[b.Lesson]->ID();
      if (id < kSepLessonIDOffset) continue;
      const int parent = m_.Klasses[b.K]->Lessons.IndexOfID(id - kSepLessonIDOffset);
      const auto& keys = keyOf[static_cast<std::size_t>(b.K)];
      if (parent < 0 || parent >= static_cast<int>(keys.size()) || keys[static_cast<std::size_t>(parent)] < 0) continue;
      b.Parent = keys[static_cast<std::size_t>(parent)];
      sepBlocks_[static_cast<std::size_t>(b.K)].push_back(bi);
    }
  sameDay_.assign(static_cast<std::size_t>(keys) * 6, 0);
  kW_.assign(kOcc_.size(), 1);
  tW_.assign(tOcc_.size(), 1);
  shapeW_.assign(kMask_.size(), 1);
  dayW_.assign(sameDay_.size(), 1);
  freeW_.assign(static_cast<std::size_t>(T), 1);
  idleW_.assign(static_cast<std::size_t>(T) * 6, 1);
  side_.assign(blocks_.size(), 0);
  return !blocks_.empty();
}

// Holes between a klass's first and last hour, and the open hours its day
// would have to start earlier (or later) by to begin at an allowed hour.
int TSketch::Shape(int k, int d) const {
  const uint32_t S = kMask_[KD(k, d)];
  if (S == 0) return 0;
  const uint32_t C = kClosed_[KD(k, d)];
  const int f = std::countr_zero(S), e = 31 - std::countl_zero(S);
  const uint32_t span = (e >= 31 ? ~0u : ((1u << (e + 1)) - 1)) & ~((1u << f) - 1);
  int pen = std::popcount(span & ~(S | C));
  const uint32_t A = kStarts_[KD(k, d)];
  if (!((A >> f) & 1u)) {
    const uint32_t below = A & ((1u << f) - 1);
    if (below != 0) {
      const int a = 31 - std::countl_zero(below);
      pen += std::popcount(((1u << f) - 1) & ~((1u << a) - 1) & ~C);
    } else if (A != 0) {
      const int a = std::countr_zero(A);
      pen += std::popcount(((1u << a) - 1) & ~((1u << f) - 1) & ~C);
    } else {
      pen += std::popcount(S);
    }
  }
  // A separated block beside a block of its lesson.
  for (int si : sepBlocks_[static_cast<std::size_t>(k)]) {
    const TBlock& sb = blocks_[static_cast<std::size_t>(si)];
    if (sb.Day != d) continue;
    for (int bi : klassBlocks_[static_cast<std::size_t>(k)]) {
      const TBlock& b = blocks_[static_cast<std::size_t>(bi)];
      if (b.Key == sb.Parent && b.Day == d && (b.Start + b.Len == sb.Start || sb.Start + sb.Len == b.Start)) ++pen;
    }
  }
  // A lesson without a teacher begins or ends the day.
  for (int bi : edgeBlocks_[static_cast<std::size_t>(k)]) {
    const TBlock& b = blocks_[static_cast<std::size_t>(bi)];
    if (b.Day == d && b.Start - 1 != f && b.Start + b.Len - 2 != e) ++pen;
  }
  return pen;
}

int TSketch::Idle(int t, int d) const {
  const uint32_t S = tMask_[TD(t, d)];
  if (S == 0) return 0;
  const int f = std::countr_zero(S), e = 31 - std::countl_zero(S);
  return e - f + 1 - std::popcount(S);
}

int TSketch::FreeShort(int t) const {
  const int allowed = workDays_[static_cast<std::size_t>(t)];
  if (allowed >= 6) return 0;
  std::array<int, 6> hours{};
  int working = 0;
  for (int d = 0; d < 6; ++d) {
    const uint32_t S = tMask_[static_cast<std::size_t>(t) * 6 + static_cast<std::size_t>(d)];
    hours[static_cast<std::size_t>(d)] = S != 0 ? std::popcount(S) : 99;  // a free day sorts last
    working += S != 0 ? 1 : 0;
  }
  if (working <= allowed) return 0;
  std::sort(hours.begin(), hours.end());
  int short_ = 0;
  for (int i = 0; i < working - allowed; ++i) short_ += hours[static_cast<std::size_t>(i)];
  return short_;
}

void TSketch::CountRooms(const TBlock& b, int d, int s, int step) {
  for (int g : b.Rooms) {
    const std::size_t base = (static_cast<std::size_t>(g) * 6 + static_cast<std::size_t>(d - 1)) * static_cast<std::size_t>(L_);
    for (int h = s; h < s + b.Len; ++h) {
      int32_t& all = rAll_[base + static_cast<std::size_t>(h - 1)];
      int32_t& hon = rHon_[base + static_cast<std::size_t>(h - 1)];
      Broke(-RoomClash(all, hon), 1);
      all += step;
      if (b.Honoured) hon += step;
      Broke(RoomClash(all, hon), 1);
    }
  }
}

// What a block's klasses' and teachers' day d holds as a whole (its shape,
// idle hours, free days) changes with every block on it: taken out (-1)
// before the block comes or goes, counted again (+1) after.
void TSketch::CountDay(const TBlock& b, int d, int sign) {
  for (int k : b.Klasses) Broke(sign * Shape(k, d), shapeW_[KD(k, d)]);
  for (int t : b.Teachers) {
    const int idle = Idle(t, d);
    idle_ += sign * idle;
    widle_ += static_cast<long>(sign) * idle * idleW_[TD(t, d)];
    Broke(sign * FreeShort(t), freeW_[static_cast<std::size_t>(t)]);
  }
}

void TSketch::Add(int bi, int d, int s) {
  TBlock& b = blocks_[static_cast<std::size_t>(bi)];
  const std::size_t L = static_cast<std::size_t>(L_);
  CountDay(b, d, -1);
  b.Day = d;
  b.Start = s;
  const uint32_t bits = ((1u << b.Len) - 1) << (s - 1);
  for (int k : b.Klasses) {
    const std::size_t at = KD(k, d) * L;
    for (int h = s; h < s + b.Len; ++h)
      if (kOcc_[at + static_cast<std::size_t>(h - 1)]++ > 0) Broke(1, kW_[at + static_cast<std::size_t>(h - 1)]);
    kMask_[KD(k, d)] |= bits;
  }
  for (int t : b.Teachers) {
    const std::size_t td = TD(t, d);
    for (int h = s; h < s + b.Len; ++h)
      if (tOcc_[td * L + static_cast<std::size_t>(h - 1)]++ > 0) Broke(1, tW_[td * L + static_cast<std::size_t>(h - 1)]);
    tMask_[td] |= bits;
  }
  CountRooms(b, d, s, 1);
  const std::size_t kd = static_cast<std::size_t>(b.Key) * 6 + static_cast<std::size_t>(d - 1);
  if (sameDay_[kd]++ > 0) Broke(1, dayW_[kd]);
  CountDay(b, d, 1);
}

void TSketch::Remove(int bi) {
  TBlock& b = blocks_[static_cast<std::size_t>(bi)];
  const int d = b.Day, s = b.Start;
  if (d == 0) return;
  const std::size_t L = static_cast<std::size_t>(L_);
  CountDay(b, d, -1);
  for (int k : b.Klasses) {
    const std::size_t at = KD(k, d) * L;
    for (int h = s; h < s + b.Len; ++h) {
      if (--kOcc_[at + static_cast<std::size_t>(h - 1)] > 0) Broke(-1, kW_[at + static_cast<std::size_t>(h - 1)]);
      else kMask_[KD(k, d)] &= ~(1u << (h - 1));
    }
  }
  for (int t : b.Teachers) {
    const std::size_t td = TD(t, d);
    for (int h = s; h < s + b.Len; ++h) {
      if (--tOcc_[td * L + static_cast<std::size_t>(h - 1)] > 0) Broke(-1, tW_[td * L + static_cast<std::size_t>(h - 1)]);
      else tMask_[td] &= ~(1u << (h - 1));
    }
  }
  CountRooms(b, d, s, -1);
  const std::size_t kd = static_cast<std::size_t>(b.Key) * 6 + static_cast<std::size_t>(d - 1);
  if (--sameDay_[kd] > 0) Broke(-1, dayW_[kd]);
  b.Day = b.Start = 0;
  CountDay(b, d, 1);
}

// Whether the block takes part in a broken rule.
bool TSketch::Touched(int bi) const {
  const TBlock& b = blocks_[static_cast<std::size_t>(bi)];
  const int d = b.Day;
  const std::size_t L = static_cast<std::size_t>(L_);
  if (sameDay_[static_cast<std::size_t>(b.Key) * 6 + static_cast<std::size_t>(d - 1)] > 1) return true;
  for (int k : b.Klasses) {
    if (Shape(k, d) > 0) return true;
    const int32_t* occ = &kOcc_[KD(k, d) * L];
    for (int h = b.Start; h < b.Start + b.Len; ++h)
      if (occ[h - 1] > 1) return true;
  }
  for (int t : b.Teachers) {
    if (FreeShort(t) > 0) return true;
    const int32_t* occ = &tOcc_[TD(t, d) * L];
    for (int h = b.Start; h < b.Start + b.Len; ++h)
      if (occ[h - 1] > 1) return true;
  }
  for (int g : b.Rooms) {
    const std::size_t base = (static_cast<std::size_t>(g) * 6 + static_cast<std::size_t>(d - 1)) * L;
    for (int h = b.Start; h < b.Start + b.Len; ++h)
      if (RoomClash(rAll_[base + static_cast<std::size_t>(h - 1)], rHon_[base + static_cast<std::size_t>(h - 1)]) > 0)
        return true;
  }
  return false;
}

int TSketch::BlockAt(const std::vector<int>& list, int d, int h) const {
  for (int bi : list) {
    const TBlock& b = blocks_[static_cast<std::size_t>(bi)];
    if (b.Day == d && b.Start <= h && h < b.Start + b.Len) return bi;
  }
  return -1;
}

// Two windows of as many hours, one holding block bi and one holding ci,
// trade what stands in them: bi and ci move to the same places in the
// other window, and in turn every block standing where a moved block's
// klasses, teachers or shared rooms arrive moves the other way, until
// nothing clashes. A block reaching past its window widens both, so that
// blocks of different lengths trade too (one of two hours for two of one).
// Every klass keeps its hours: in a week without broken rules only klass
// days' shapes, the same-day rule, free days and idle hours can change.
// Kept as annealing allows and, once the rules hold, when none breaks.
bool TSketch::Kempe(int bi, int ci, double temp) {
  if (bi == ci) return false;
  TWindows w;
  if (!PickWindows(bi, ci, w)) return false;
  std::vector<int> chain;
  bool kept = false;
  for (int widen = 0; widen < 4 && !kept; ++widen) {
    for (int x : chain) side_[static_cast<std::size_t>(x)] = 0;
    chain.clear();
    const int grown = GrowChain(bi, ci, w, chain);
    if (grown == 0) kept = TradeWindows(chain, w, temp);
    if (grown <= 0) break;
  }
  for (int x : chain) side_[static_cast<std::size_t>(x)] = 0;
  return kept;
}

// Windows as long as the longer block, the shorter block at a random place
// in its own; false when they would overlap or leave the day.
bool TSketch::PickWindows(int bi, int ci, TWindows& w) {
  const TBlock& b = blocks_[static_cast<std::size_t>(bi)];
  const TBlock& c = blocks_[static_cast<std::size_t>(ci)];
  w.N = std::max(b.Len, c.Len);
  auto start = [&](const TBlock& x) {
    const int lo = std::max(1, x.Start + x.Len - w.N), hi = std::min(x.Start, L_ - w.N + 1);
    return hi < lo ? 0 : lo + static_cast<int>(rng_() % static_cast<uint32_t>(hi - lo + 1));
  };
  w.Day = {0, c.Day, b.Day};
  w.From = {0, start(c), start(b)};
  return w.From[1] > 0 && w.From[2] > 0 && Disjoint(w);
}

bool TSketch::Disjoint(const TWindows& w) {
  return w.Day[1] != w.Day[2] || w.From[1] + w.N <= w.From[2] || w.From[2] + w.N <= w.From[1];
}

// The chain of blocks that trade windows (side 1 moving into the window of
// ci, side 2 into that of bi). 0: it closes; -1: it cannot (a block may
// not stand at its new place, or the chain grows too long); 1: a block
// reaches past its window, and both windows were widened to hold it.
int TSketch::GrowChain(int bi, int ci, TWindows& w, std::vector<int>& chain) {
  chain = {bi, ci};
  side_[static_cast<std::size_t>(bi)] = 1;
  side_[static_cast<std::size_t>(ci)] = 2;
  int verdict = 0;
  auto join = [&](int y, int side) {
    if (y < 0 || verdict != 0 || side_[static_cast<std::size_t>(y)] == side) return;
    const TBlock& Y = blocks_[static_cast<std::size_t>(y)];
    const int from = w.From[static_cast<std::size_t>(3 - side)];
    if (side_[static_cast<std::size_t>(y)] != 0 || chain.size() >= kLongestChain) {
      verdict = -1;
    } else if (Y.Start < from || Y.Start + Y.Len > from + w.N) {
      verdict = Widen(w, std::max(0, from - Y.Start), std::max(0, Y.Start + Y.Len - from - w.N)) ? 1 : -1;
    } else {
      side_[static_cast<std::size_t>(y)] = static_cast<uint8_t>(side);
      chain.push_back(y);
    }
  };
  for (std::size_t i = 0; i < chain.size() && verdict == 0; ++i) {
    const int x = chain[i];
    const TBlock& X = blocks_[static_cast<std::size_t>(x)];
    const int side = side_[static_cast<std::size_t>(x)];
    const int td = w.Day[static_cast<std::size_t>(side)], ts = Target(X, side, w);
    if (ts < 1 || !((X.Starts[static_cast<std::size_t>(td - 1)] >> (ts - 1)) & 1u)) return -1;
    for (int h = ts; h < ts + X.Len && verdict == 0; ++h) {
      for (int k : X.Klasses) join(BlockAt(klassBlocks_[static_cast<std::size_t>(k)], td, h), 3 - side);
      for (int t : X.Teachers) join(BlockAt(teacherBlocks_[static_cast<std::size_t>(t)], td, h), 3 - side);
      for (int g : X.Rooms)
        for (int y : roomBlocks_[static_cast<std::size_t>(g)]) {
          const TBlock& Y = blocks_[static_cast<std::size_t>(y)];
          if (Y.Day == td && Y.Start <= h && h < Y.Start + Y.Len) join(y, 3 - side);
        }
    }
  }
  return verdict;
}

// Both windows made longer by before hours in front and after behind; at
// most six hours, past which a chain trades most of a day.
bool TSketch::Widen(TWindows& w, int before, int after) {
  TWindows v = w;
  v.N += before + after;
  for (int s = 1; s <= 2; ++s) v.From[static_cast<std::size_t>(s)] -= before;
  for (int s = 1; s <= 2; ++s)
    if (v.From[static_cast<std::size_t>(s)] < 1 || v.From[static_cast<std::size_t>(s)] + v.N - 1 > L_) return false;
  if (v.N > 6 || !Disjoint(v)) return false;
  w = v;
  return true;
}

// The first hour block X takes in the window its side moves into.
int TSketch::Target(const TBlock& X, int side, const TWindows& w) const {
  return X.Start - w.From[static_cast<std::size_t>(3 - side)] + w.From[static_cast<std::size_t>(side)];
}

// The chain moved across; put back unless annealing keeps it.
bool TSketch::TradeWindows(const std::vector<int>& chain, const TWindows& w, double temp) {
  const long before = Cost(1), hardBefore = hard_;
  std::vector<std::pair<int, int>> from(chain.size()), to(chain.size());
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const TBlock& X = blocks_[static_cast<std::size_t>(chain[i])];
    const int side = side_[static_cast<std::size_t>(chain[i])];
    from[i] = {X.Day, X.Start};
    to[i] = {w.Day[static_cast<std::size_t>(side)], Target(X, side, w)};
  }
  for (int x : chain) Remove(x);
  for (std::size_t i = 0; i < chain.size(); ++i) Add(chain[i], to[i].first, to[i].second);
  if (Accept(before, hardBefore, 1, temp)) return true;
  for (int x : chain) Remove(x);
  for (std::size_t i = 0; i < chain.size(); ++i) Add(chain[i], from[i].first, from[i].second);
  return false;
}

void TSketch::Reweigh() {
  auto clashes = [&](const std::vector<int32_t>& occ, std::vector<int32_t>& w) {
    for (std::size_t i = 0; i < occ.size(); ++i)
      if (occ[i] > 1) {
        ++w[i];
        whard_ += occ[i] - 1;
      }
  };
  clashes(kOcc_, kW_);
  clashes(tOcc_, tW_);
  clashes(sameDay_, dayW_);
  for (int k = 0; k < m_.Klasses.Count(); ++k)
    for (int d = 1; d <= 6; ++d) {
      const int v = Shape(k, d);
      if (v > 0) {
        ++shapeW_[KD(k, d)];
        whard_ += v;
      }
    }
  for (int t = 0; t < m_.Teachers.Count(); ++t) {
    const int v = FreeShort(t);
    if (v > 0) {
      ++freeW_[static_cast<std::size_t>(t)];
      whard_ += v;
    }
  }
}

void TSketch::ReweighIdle() {
  const int T = m_.Teachers.Count();
  double most = 0;
  for (int t = 0; t < T; ++t)
    for (int d = 1; d <= 6; ++d) most = std::max(most, static_cast<double>(Idle(t, d)) / idleW_[TD(t, d)]);
  if (most <= 0) return;
  for (int t = 0; t < T; ++t)
    for (int d = 1; d <= 6; ++d) {
      const int v = Idle(t, d);
      if (static_cast<double>(v) / idleW_[TD(t, d)] < most) continue;
      ++idleW_[TD(t, d)];
      widle_ += v;
    }
}

std::vector<int> TSketch::KeepSoundPart() {
  if (soundOrder_.size() != blocks_.size()) {
    soundOrder_.resize(blocks_.size());
    for (std::size_t i = 0; i < soundOrder_.size(); ++i) soundOrder_[i] = static_cast<int>(i);
    // Shortest blocks leave first: they are the easiest for the commands to
    // place again.
    std::stable_sort(soundOrder_.begin(), soundOrder_.end(), [&](int a, int b) {
      return blocks_[static_cast<std::size_t>(a)].Len < blocks_[static_cast<std::size_t>(b)].Len;
    });
  }
  std::vector<int> out;
  for (bool again = true; again && hard_ > 0;) {
    again = false;
    for (int bi : soundOrder_)
      if (blocks_[static_cast<std::size_t>(bi)].Day != 0 && Touched(bi)) {
        out.push_back(bi);
        Remove(bi);
        again = true;
      }
  }
  return out;
}

long TSketch::HeldHours() {
  std::vector<std::pair<int, int>> at(blocks_.size());
  for (std::size_t i = 0; i < blocks_.size(); ++i) at[i] = {blocks_[i].Day, blocks_[i].Start};
  const std::vector<int> out = KeepSoundPart();
  long held = 0;
  for (const TBlock& b : blocks_)
    if (b.Day != 0) held += static_cast<long>(b.Len) * static_cast<long>(b.Klasses.size());
  for (auto it = out.rbegin(); it != out.rend(); ++it)
    Add(*it, at[static_cast<std::size_t>(*it)].first, at[static_cast<std::size_t>(*it)].second);
  return held;
}

// Longest blocks and those with fewest places first, each where it breaks
// least; once the time is gone, each at its first allowed place.
void TSketch::Construct(Clock::time_point deadline) {
  std::vector<int> order(blocks_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::shuffle(order.begin(), order.end(), rng_);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const TBlock& x = blocks_[static_cast<std::size_t>(a)];
    const TBlock& y = blocks_[static_cast<std::size_t>(b)];
    if (x.Teachers.size() + x.Klasses.size() != y.Teachers.size() + y.Klasses.size())
      return x.Teachers.size() + x.Klasses.size() > y.Teachers.size() + y.Klasses.size();
    return x.Places.size() < y.Places.size();
  });
  bool late = false;
  for (int bi : order) {
    const TBlock& b = blocks_[static_cast<std::size_t>(bi)];
    if (late || (late = Clock::now() >= deadline)) {
      Add(bi, b.Places[0].first, b.Places[0].second);
      continue;
    }
    long best = -1;
    std::pair<int, int> at{};
    int ties = 0;
    for (const auto& [d, s] : b.Places) {
      Add(bi, d, s);
      const long c = Cost(1);
      Remove(bi);
      if (best < 0 || c < best) {
        best = c;
        at = {d, s};
        ties = 1;
      } else if (c == best && rng_() % static_cast<uint32_t>(++ties) == 0) {
        at = {d, s};
      }
    }
    Add(bi, at.first, at.second);
  }
}

void TSketch::KeepBest() {
  if (hard_ > 0) {
    if (bestHard_ == 0) return;
    const bool fewer = bestHard_ < 0 || hard_ < bestHard_;
    if (fewer) bestHard_ = hard_;
    // Measuring takes blocks out and back: at fewer broken rules, and now
    // and then as the search goes on.
    constexpr uint64_t kFewerEvery = 1000, kHeldEvery = 20000;
    if (bestHeld_ >= 0 && moves_ - heldMove_ < (fewer ? kFewerEvery : kHeldEvery)) return;
    heldMove_ = moves_;
    const long held = HeldHours();
    if (held < bestHeld_ || (held == bestHeld_ && (hard_ > heldHard_ || (hard_ == heldHard_ && idle_ >= bestIdle_))))
      return;
    bestHeld_ = held;
    heldHard_ = hard_;
  } else if (bestHard_ == 0 && idle_ >= bestIdle_) {
    return;
  }
  bestHard_ = std::min(bestHard_ < 0 ? hard_ : bestHard_, hard_);
  bestIdle_ = idle_;
  bestMove_ = moves_;
  bestAt_.resize(blocks_.size());
  for (std::size_t i = 0; i < blocks_.size(); ++i) bestAt_[i] = {blocks_[i].Day, blocks_[i].Start};
}

void TSketch::RestoreBest() {
  // Without an annealing nothing was kept: the week as it stands is the best.
  if (bestAt_.size() != blocks_.size()) return;
  const int n = static_cast<int>(blocks_.size());
  for (int i = 0; i < n; ++i) Remove(i);
  for (int i = 0; i < n; ++i) Add(i, bestAt_[static_cast<std::size_t>(i)].first, bestAt_[static_cast<std::size_t>(i)].second);
}

// The temperature falls over a round and rises again for the next: hot
// while rules are broken (idle hours do not count then: weighing them kept
// tight weeks a rule short), cool once they hold.
double TSketch::Temperature(uint64_t it) const {
  constexpr double kHotFrom = 4.0, kHotTo = 0.2, kCoolFrom = 0.5, kCoolTo = 0.02;
  constexpr uint64_t kRound = 400000;
  const double frac = static_cast<double>(it % kRound) / static_cast<double>(kRound);
  return bestHard_ == 0 ? kCoolFrom * std::pow(kCoolTo / kCoolFrom, frac) : kHotFrom * std::pow(kHotTo / kHotFrom, frac);
}

// A block in a broken rule, most of the time.
int TSketch::PickBlock() {
  const uint32_t n = static_cast<uint32_t>(blocks_.size());
  int bi = static_cast<int>(rng_() % n);
  if (hard_ > 0)
    for (int tries = 0; tries < 8 && !Touched(bi); ++tries) bi = static_cast<int>(rng_() % n);
  return bi;
}

// The block to another of its places. Once the rules hold, no move may
// break one.
void TSketch::MoveOne(int bi, double temp) {
  TBlock& b = blocks_[static_cast<std::size_t>(bi)];
  const int od = b.Day, os = b.Start;
  const int wIdle = bestHard_ == 0 ? 1 : 0;
  const long before = Cost(wIdle), hardBefore = bestHard_ == 0 ? hard_ : -1;
  const auto& [d, s] = b.Places[rng_() % b.Places.size()];
  if (d == od && s == os) return;
  Remove(bi);
  Add(bi, d, s);
  if (!Accept(before, hardBefore, wIdle, temp)) {
    Remove(bi);
    Add(bi, od, os);
  }
}

// Two blocks of one klass change places; on one day the later one moves
// first and the other right behind it.
void TSketch::SwapInKlass(int bi, double temp) {
  TBlock& b = blocks_[static_cast<std::size_t>(bi)];
  const int od = b.Day, os = b.Start;
  const int wIdle = bestHard_ == 0 ? 1 : 0;
  const long before = Cost(wIdle), hardBefore = bestHard_ == 0 ? hard_ : -1;
  const auto& mine = klassBlocks_[static_cast<std::size_t>(b.K)];
  const int bj = mine[rng_() % mine.size()];
  TBlock& c = blocks_[static_cast<std::size_t>(bj)];
  if (bj == bi || (c.Day == od && c.Start == os)) return;
  const int cd = c.Day, cs = c.Start;
  int ns = cs, ms = os;
  if (cd == od) {
    const int lo = std::min(os, cs);
    ns = os < cs ? lo + c.Len : lo;
    ms = os < cs ? lo : lo + b.Len;
  }
  if (ns < 1 || ms < 1 || ns > L_ || ms > L_) return;
  if (!((b.Starts[static_cast<std::size_t>(cd - 1)] >> (ns - 1)) & 1u)) return;
  if (!((c.Starts[static_cast<std::size_t>(od - 1)] >> (ms - 1)) & 1u)) return;
  Remove(bi);
  Remove(bj);
  Add(bi, cd, ns);
  Add(bj, od, ms);
  if (!Accept(before, hardBefore, wIdle, temp)) {
    Remove(bi);
    Remove(bj);
    Add(bi, od, os);
    Add(bj, cd, cs);
  }
}

// Annealing until the deadline or the move budget, or until the rules have
// held for the polishing time (or with no idle hour left). A third of the
// moves are chains between two windows, the rest single moves and, a third
// of those, swaps in a klass; rules still broken, and idle hours a stalled
// polishing keeps, are reweighed now and then.
void TSketch::Anneal(const TSketchOptions& o, Clock::time_point soundBy, Clock::time_point deadline) {
  constexpr uint64_t kReweigh = 20000;  // moves between two reweighings
  constexpr uint64_t kStall = 100000;   // moves without a better week before idle hours are reweighed
  KeepBest();
  for (uint64_t it = 0;; ++moves_) {
    if (o.MoveBudget > 0 && moves_ >= o.MoveBudget) break;
    if ((it & 1023) == 0) {
      const auto now = Clock::now();
      if (now >= deadline || (bestHard_ != 0 && now >= soundBy)) break;
      if (bestHard_ == 0) {
        if (soundAt_ == Clock::time_point{}) soundAt_ = now;
        if (now - soundAt_ >= std::chrono::milliseconds(o.PolishMs) || bestIdle_ == 0) break;
      }
    }
    ++it;
    if (it % kReweigh == 0) {
      if (hard_ > 0) Reweigh();
      else if (bestHard_ == 0 && moves_ - bestMove_ >= kStall) ReweighIdle();
    }
    const double temp = Temperature(it);
    const int bi = PickBlock();
    if (rng_() % 3 == 0) {
      const auto& mine = klassBlocks_[static_cast<std::size_t>(blocks_[static_cast<std::size_t>(bi)].K)];
      Kempe(bi, mine[rng_() % mine.size()], temp);
    } else if (rng_() % 3 != 0) {
      MoveOne(bi, temp);
    } else {
      SwapInKlass(bi, temp);
    }
    KeepBest();
  }
}

// The best week found, and of one that breaks a rule the part that holds.
TSketchResult TSketch::Result(Clock::time_point start) {
  RestoreBest();
  TSketchResult res;
  res.Moves = moves_;
  res.Left = left_;
  res.Unmatched = unmatched_;
  if (soundAt_ != Clock::time_point{}) res.SoundAfter = std::chrono::duration<double>(soundAt_ - start).count();
  res.Broken = static_cast<int>(hard_);
  res.Windows = static_cast<int>(idle_);
  res.Sound = hard_ == 0;
  for (const TBlock& b : blocks_) res.Blocks.push_back({b.K, b.Lesson, b.Len, b.Day, b.Start, true});
  if (!res.Sound) {
    KeepSoundPart();
    for (std::size_t i = 0; i < blocks_.size(); ++i) res.Blocks[i].Holds = blocks_[i].Day != 0;
  }
  return res;
}

}  // namespace

TSketchResult SketchWeek(const TRunModel& m, const TSketchOptions& options) {
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(std::max(1, options.TimeBudgetMs));
  TSketch sketch(m, options);
  if (!sketch.Build()) return {};
  const auto soundBy = options.SoundByMs > 0 ? start + std::chrono::milliseconds(options.SoundByMs) : deadline;
  sketch.Construct(std::min(soundBy, deadline));
  sketch.Anneal(options, soundBy, deadline);
  return sketch.Result(start);
}

}  // namespace korvant
