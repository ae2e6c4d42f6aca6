// The day searches: one arrangement per klass, chosen depth-first with
// forward checking over the compatibility rows; each solution is shown in
// the variant and the user decides (through the host) whether to go on.
#include <algorithm>
#include <bit>
#include <random>

#include "core/common/disjoint_sets.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"

namespace korvant {

bool TDayPlanner::Poll() {
  SharedState& s = Shared();
  ++polls_;
  if (StepLimit != 0 && steps_ >= StepLimit) s.AbortPlanning = 1;
  if (PumpCheckSteps <= 1 || polls_ % static_cast<uint64_t>(PumpCheckSteps) == 0) {
    const auto now = std::chrono::steady_clock::now();
    if (Deadline != std::chrono::steady_clock::time_point{} && now >= Deadline) s.AbortPlanning = 1;
    if (now - lastPump_ >= std::chrono::milliseconds(PumpIntervalMs)) Pump();
  }
  return s.AbortPlanning != 0;
}

void TDayPlanner::DrawFrom(const TBudget& budget) {
  const uint64_t left = budget.StepsLeft();
  StepLimit = left == TBudget::kNoLimit ? 0 : std::max<uint64_t>(left, 1);
  Deadline = budget.Deadline();
}

TBudget::TBudget(uint64_t steps, int64_t ms) : limit_(steps) {
  if (ms > 0) deadline_ = Clock::now() + std::chrono::milliseconds(ms);
}

uint64_t TBudget::StepsLeft() const {
  uint64_t left = limit_ == 0 ? kNoLimit : limit_ - std::min(used_, limit_);
  return parent_ ? std::min(left, parent_->StepsLeft()) : left;
}

int64_t TBudget::MsLeft() const {
  if (deadline_ == Clock::time_point{}) return INT64_MAX;
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
}

TBudget TBudget::Part(uint64_t steps, int64_t ms) {
  TBudget part;
  part.parent_ = this;  // what is left here bounds the part's steps
  part.limit_ = steps;
  part.deadline_ = deadline_;
  if (ms > 0) {
    const auto d = Clock::now() + std::chrono::milliseconds(ms);
    if (part.deadline_ == Clock::time_point{} || d < part.deadline_) part.deadline_ = d;
  }
  return part;
}

TBudget TBudget::Share(int n) {
  n = std::max(1, n);
  const uint64_t steps = StepsLeft();
  const int64_t ms = MsLeft();
  return Part(steps == kNoLimit ? 0 : std::max<uint64_t>(1, steps / static_cast<uint64_t>(n)),
              ms == INT64_MAX ? 0 : std::max<int64_t>(1, ms / n));
}

void TBudget::Spend(uint64_t steps) {
  for (TBudget* b = this; b; b = b->parent_) b->used_ += steps;
}

void TDayPlanner::Pump() {
  host_->Pump();
  lastPump_ = std::chrono::steady_clock::now();
}

void TDayPlanner::WaitUser() {
  SharedState& s = Shared();
  if (s.WaitUser && !s.AbortPlanning) host_->WaitWhileSet(s.WaitUser);
  // A host that cannot wait leaves the flag set: the search goes on.
  s.WaitUser = 0;
  lastPump_ = std::chrono::steady_clock::now();
}

void TDayPlanner::Tell(int id, std::initializer_list<std::string_view> args) {
  ShowErrMsgText(host_->Owner(), FormatMsg(id, args), kBoxOk);
}

TPlanOutcome TDayPlanner::PrepareArrangements(bool selection) {
  const int K = m_.Klasses.Count();
  host_->ProgressStage(1, K);
  for (int k = 0; k < K; ++k) {
    if (Poll()) return TPlanOutcome::Aborted;
    const TRTIKlassItem* klass = m_.Klasses[k];
    host_->ProgressStep(k + 1, klass->DisplayName());
    refused_ = false;
    const int c = selection ? PrepareSelection(k) : EnumDayVariants(k);
    if (Shared().AbortPlanning) return TPlanOutcome::Aborted;
    if (stores_[static_cast<std::size_t>(k)].Overflow) {
      Tell(kMsgDayTooLarge, {});
      return TPlanOutcome::TooLarge;
    }
    if (c < 0 || refused_) {
      failedKlass_ = k;
      Tell(10147, {klass->DisplayName()});
      return TPlanOutcome::Failed;
    }
    FinishStore(k);
  }
  if (!OrderLevels()) {
    Tell(kMsgDayTooLarge, {});
    return TPlanOutcome::TooLarge;
  }
  const int levels = view_.Levels();
  host_->ProgressStage(2, std::max(0, levels - 1));
  for (int l = 0; l + 1 < levels; ++l) {
    host_->ProgressStep(l + 1, m_.Klasses[levelKlass_[static_cast<std::size_t>(l)]]->DisplayName());
    BuildCompatibility(l);
    if (Shared().AbortPlanning) return TPlanOutcome::Aborted;
  }
  // The records are no longer needed: the rows, counts and slots stay.
  for (TStore& st : stores_) {
    if (KeepRecords) break;
    st.Bits.clear();
    st.Bits.shrink_to_fit();
  }
  return TPlanOutcome::Solved;
}

void TDayPlanner::ShowChoices(int upToLevel, int firstOfLevel) {
  const int levels = view_.Levels();
  for (int l = 0; l < levels; ++l) {
    const int k = levelKlass_[static_cast<std::size_t>(l)];
    if (l < upToLevel) ApplyVariant(k, chosen_[static_cast<std::size_t>(l)], true);
    else if (l == upToLevel && firstOfLevel > 0) ApplyVariant(k, firstOfLevel, true);
    else ClearVariant(k);
  }
  var_.ClearDay(day_);
  var_.PutDayLessons(day_);
}

void TDayPlanner::RestoreShown() {
  if (gridHoldsShown_ || bestLevels_ < 0) return;
  const int levels = view_.Levels();
  for (int l = 0; l < levels; ++l) {
    const int k = levelKlass_[static_cast<std::size_t>(l)];
    if (l < bestLevels_) ApplyVariant(k, bestChoice_[static_cast<std::size_t>(l)], optimising_);
    else ClearVariant(k);
  }
  var_.ClearDay(day_);
  var_.PutDayLessons(day_);
  gridHoldsShown_ = true;
}

int TDayPlanner::ChosenWindows(std::vector<uint32_t>& acc) const {
  std::fill(acc.begin(), acc.end(), 0u);
  const int levels = view_.Levels();
  for (int l = 0; l < levels; ++l) {
    const TStore& st = stores_[static_cast<std::size_t>(levelKlass_[static_cast<std::size_t>(l)])];
    const std::size_t n = st.RowTeachers.size();
    const uint32_t* masks = st.RowMasks.data() + static_cast<std::size_t>(chosen_[static_cast<std::size_t>(l)] - 1) * n;
    for (std::size_t i = 0; i < n; ++i)
      acc[static_cast<std::size_t>(rowIndex_[static_cast<std::size_t>(st.RowTeachers[i])])] |= masks[i];
  }
  int windows = 0;
  for (uint32_t m : acc)
    if (m != 0) windows += (32 - std::countl_zero(m)) - std::countr_zero(m) - std::popcount(m);
  return windows;
}

TPlanOutcome TDayPlanner::Search(bool selection, bool& shown) {
  SharedState& s = Shared();
  shown = false;
  const int levels = view_.Levels();
  const std::size_t G = row_.size();
  // Candidate lists, one flat arena; removals by swapping, undone by counts.
  std::vector<std::size_t> candOff(static_cast<std::size_t>(levels) + 1, 0);
  for (int l = 0; l < levels; ++l)
    candOff[static_cast<std::size_t>(l) + 1] = candOff[static_cast<std::size_t>(l)] + view_.KlassOrder[static_cast<std::size_t>(l)].Count;
  std::vector<uint16_t> cand(candOff.back());
  std::vector<int> live(static_cast<std::size_t>(levels));
  for (int l = 0; l < levels; ++l) {
    const int count = view_.KlassOrder[static_cast<std::size_t>(l)].Count;
    for (int j = 0; j < count; ++j) cand[candOff[static_cast<std::size_t>(l)] + static_cast<std::size_t>(j)] = static_cast<uint16_t>(j + 1);
    live[static_cast<std::size_t>(l)] = count;
  }
  std::vector<int> stack(static_cast<std::size_t>(levels) * static_cast<std::size_t>(levels) + 1);
  std::size_t top = 0;
  chosen_.assign(static_cast<std::size_t>(levels), 0);
  // Hour budget rows: what each group teacher still misses after the
  // levels before, and what the levels from here on can give at most.
  std::vector<int32_t> missing, canGive;
  if (selection) {
    missing.assign((static_cast<std::size_t>(levels) + 1) * G, 0);
    canGive.assign((static_cast<std::size_t>(levels) + 1) * G, 0);
    for (std::size_t i = 0; i < G; ++i) missing[i] = m_.Teachers[row_[i]]->DayMinLeft;
    std::vector<int32_t> need(G);
    for (int l = levels - 1; l >= 0; --l) {
      GetTeachersNeed(levelKlass_[static_cast<std::size_t>(l)], need.data());
      for (std::size_t i = 0; i < G; ++i)
        canGive[static_cast<std::size_t>(l) * G + i] = canGive[static_cast<std::size_t>(l + 1) * G + i] + need[i];
    }
  }
  auto publish = [&](int l) {
    view_.LiveCounts[static_cast<std::size_t>(l)].Live = static_cast<uint16_t>(live[static_cast<std::size_t>(l)]);
    view_.LiveCounts[static_cast<std::size_t>(l)].Removed =
        static_cast<uint16_t>(view_.KlassOrder[static_cast<std::size_t>(l)].Count - live[static_cast<std::size_t>(l)]);
  };
  std::vector<uint32_t> acc(G);
  // Looking for the fewest idle hours, a branch whose idle hours cannot
  // fall below the best day shown is cut: the days it could show would all
  // be skipped. Per group teacher: its hours so far (accRows, per level),
  // and from the levels still to choose the latest first hour and the
  // earliest last hour that every arrangement of one klass gives it (the
  // day spans at least that far) and the most hours they can add.
  // Idle hours = span - hours, so span - (hours so far + hours to come) is
  // a lower bound. The fewest idle hours found stay the same; the days
  // shown on the way may differ, as the candidates are tried in another
  // order once fewer branches have reordered them.
  const bool bound = !selection && BoundIdleHours && G > 0;
  constexpr int kNoFirst = 64;
  std::vector<uint32_t> accRows;
  std::vector<int8_t> sufFirst, sufLast;
  std::vector<int16_t> sufHours;
  if (bound) {
    const std::size_t rows = static_cast<std::size_t>(levels) + 1;
    accRows.assign(rows * G, 0);
    sufFirst.assign(rows * G, kNoFirst);
    sufLast.assign(rows * G, -1);
    sufHours.assign(rows * G, 0);
    for (int l = levels - 1; l >= 0; --l) {
      const std::size_t lk = static_cast<std::size_t>(l);
      std::copy_n(&sufFirst[(lk + 1) * G], G, &sufFirst[lk * G]);
      std::copy_n(&sufLast[(lk + 1) * G], G, &sufLast[lk * G]);
      std::copy_n(&sufHours[(lk + 1) * G], G, &sufHours[lk * G]);
      const TStore& st = stores_[static_cast<std::size_t>(levelKlass_[lk])];
      const std::size_t n = st.RowTeachers.size();
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t g = lk * G + static_cast<std::size_t>(rowIndex_[static_cast<std::size_t>(st.RowTeachers[i])]);
        bool every = true;
        int latestFirst = -1, earliestLast = kNoFirst, most = 0;
        for (int a = 0; a < st.Count; ++a) {
          const uint32_t mask = st.RowMasks[static_cast<std::size_t>(a) * n + i];
          if (mask == 0) {
            every = false;
            continue;
          }
          latestFirst = std::max(latestFirst, std::countr_zero(mask));
          earliestLast = std::min(earliestLast, 31 - std::countl_zero(mask));
          most = std::max(most, std::popcount(mask));
        }
        if (every && st.Count > 0) {
          sufFirst[g] = static_cast<int8_t>(std::min<int>(sufFirst[g], latestFirst));
          sufLast[g] = static_cast<int8_t>(std::max<int>(sufLast[g], earliestLast));
        }
        sufHours[g] = static_cast<int16_t>(sufHours[g] + most);
      }
    }
  }
  // Teacher hours of levels 0..k with arrangement a of level k (into row
  // k + 1); false when even the best day below cannot beat the best shown.
  auto promising = [&](std::size_t lk, int a) -> bool {
    uint32_t* next = &accRows[(lk + 1) * G];
    std::copy_n(&accRows[lk * G], G, next);
    const TStore& st = stores_[static_cast<std::size_t>(levelKlass_[lk])];
    const std::size_t n = st.RowTeachers.size();
    const uint32_t* masks = st.RowMasks.data() + static_cast<std::size_t>(a - 1) * n;
    for (std::size_t i = 0; i < n; ++i) next[rowIndex_[static_cast<std::size_t>(st.RowTeachers[i])]] |= masks[i];
    if (!s.FindBest || bestScore_ < 0) return true;
    const std::size_t base = (lk + 1) * G;
    int lower = 0;
    for (std::size_t i = 0; i < G; ++i) {
      const uint32_t m = next[i];
      int f = sufFirst[base + i], e = sufLast[base + i];
      if (m != 0) {
        f = std::min(f, std::countr_zero(m));
        e = std::max(e, 31 - std::countl_zero(m));
      }
      if (f > e) continue;
      const int idle = e - f + 1 - std::popcount(m) - sufHours[base + i];
      if (idle > 0 && (lower += idle) >= bestScore_) return false;
    }
    return true;
  };
  auto solution = [&]() -> bool {  // false: the run ends
    // A solution that would not be shown is scored from its arrangements'
    // teacher hours and never written into the grid.
    if (s.FindBest && bestScore_ >= 0 && ChosenWindows(acc) >= bestScore_) return true;
    for (int l = 0; l < levels; ++l)
      ApplyVariant(levelKlass_[static_cast<std::size_t>(l)], chosen_[static_cast<std::size_t>(l)], !selection);
    var_.ClearDay(day_);
    var_.PutDayLessons(day_);
    gridHoldsShown_ = false;
    const int score = var_.GetGroupWindows(day_, m_.CurGroup);
    if (s.FindBest && bestScore_ >= 0 && score >= bestScore_) return true;
    // Nothing beats a day without idle hours: the search ends after it,
    // once the user has seen it and decided like after any other.
    const bool last = s.FindBest && score == 0;
    bestScore_ = score;
    bestChoice_ = chosen_;
    bestLevels_ = levels;
    gridHoldsShown_ = true;
    shown = true;
    ++s.SolutionsFound;
    s.WaitUser = 1;
    host_->SolutionFound();
    host_->InfoActive(false);
    WaitUser();
    if (s.AbortPlanning || last) return false;
    host_->InfoActive(true);
    return true;
  };
  if (levels == 0) {
    solution();
    return shown ? TPlanOutcome::Solved : TPlanOutcome::Aborted;
  }
  int k = 0;
  view_.CurChoice[0] = 0;
  bool tryNow = true;
  while (true) {
    if (tryNow) {
      ++steps_;
      if (Poll()) break;
      const std::size_t lk = static_cast<std::size_t>(k);
      const int a = cand[candOff[lk] + view_.CurChoice[lk]];
      bool ok = true;
      if (selection) {
        const uint8_t* counts = &stores_[static_cast<std::size_t>(levelKlass_[lk])].Counts[static_cast<std::size_t>(a - 1) * G];
        for (std::size_t i = 0; i < G && ok; ++i) {
          const int32_t r = missing[lk * G + i] - counts[i];
          if (r > canGive[(lk + 1) * G + i]) ok = false;
          missing[(lk + 1) * G + i] = r;
        }
      }
      if (ok && bound && !promising(lk, a)) ok = false;
      if (ok) {
        const TStore& st = stores_[static_cast<std::size_t>(levelKlass_[lk])];
        const uint64_t* row = st.Compat.empty() ? nullptr : &st.Compat[static_cast<std::size_t>(a - 1) * st.RowWords];
        const std::size_t base = levelOffset_[lk + 1];
        std::size_t sp = top;
        for (int l = k + 1; l < levels; ++l) {
          const std::size_t ll = static_cast<std::size_t>(l);
          uint16_t* list = &cand[candOff[ll]];
          int lv = live[ll];
          const std::size_t off = levelOffset_[ll] - base;
          for (int i = 0; i < lv;) {
            const std::size_t bit = off + list[i] - 1u;
            if ((row[bit / 64] >> (bit % 64)) & 1u) {
              ++i;
            } else {
              std::swap(list[i], list[lv - 1]);
              --lv;
            }
          }
          stack[sp++] = live[ll] - lv;
          live[ll] = lv;
          if (lv == 0) {
            ok = false;
            for (int l2 = l; l2 > k; --l2) live[static_cast<std::size_t>(l2)] += stack[--sp];
            break;
          }
        }
        if (ok) top = sp;
      }
      if (ok) {
        chosen_[lk] = static_cast<uint16_t>(a);
        for (int l = k + 1; l < levels; ++l) publish(l);
        ++k;
        if (k == levels) {
          if (!solution()) break;
          k = levels - 1;
          tryNow = false;
          continue;
        }
        view_.CurChoice[static_cast<std::size_t>(k)] = 0;
        if (!selection && ShowPartials && k >= 1 && s.SolutionsFound == 0 && s.BestDepth <= k) {
          const int first = cand[candOff[static_cast<std::size_t>(k)]];
          ShowChoices(k, first);
          gridHoldsShown_ = false;
          const int score = var_.GetGroupWindows(day_, m_.CurGroup);
          if (!(k == s.BestDepth && score >= bestPartialScore_)) {
            bestPartialScore_ = score;
            s.BestDepth = k;
            bestChoice_.assign(chosen_.begin(), chosen_.begin() + k);
            bestChoice_.push_back(static_cast<uint16_t>(first));
            bestLevels_ = k + 1;
            gridHoldsShown_ = true;
            s.WaitUser = 1;
            host_->DeeperPartial();
            Pump();
            s.WaitUser = 0;
            if (s.AbortPlanning) break;
          }
        }
        continue;
      }
      tryNow = false;
    }
    // Advance to the next candidate, going back while a level is exhausted.
    bool over = false;
    while (view_.CurChoice[static_cast<std::size_t>(k)] + 1 >= live[static_cast<std::size_t>(k)]) {
      if (k == 0) {
        over = true;
        break;
      }
      view_.CurChoice[static_cast<std::size_t>(k)] = 0xFFFF;
      for (int l = levels - 1; l >= k; --l) {
        live[static_cast<std::size_t>(l)] += stack[--top];
        publish(l);
      }
      --k;
    }
    if (over) break;
    ++view_.CurChoice[static_cast<std::size_t>(k)];
    tryNow = true;
  }
  return shown ? TPlanOutcome::Solved : (s.AbortPlanning ? TPlanOutcome::Aborted : TPlanOutcome::NoSolution);
}

TPlanOutcome TDayPlanner::SelectVariants() {
  if (m_.Klasses.Count() == 0) return TPlanOutcome::NoSolution;
  SharedState& s = Shared();
  optimising_ = false;
  host_->ProgressOpen(2);
  const int32_t* row = m_.Teachers.GroupRow(m_.CurGroup);
  s.GroupSize = static_cast<uint32_t>(m_.Teachers.GroupSize(m_.CurGroup));
  m_.Teachers.ResetDay();
  m_.Klasses.ResetDay(false);
  const int groupSize = static_cast<int>(s.GroupSize);
  for (int j = 0; row && j < groupSize;) {
    const int r = SelectDayLessons(row[j]);
    if (r < 0) {
      host_->ProgressClose();
      return TPlanOutcome::Failed;
    }
    j = r == 0 ? j + 1 : 0;
  }
  var_.FetchDayLessons(day_, -1);
  PrepareSizes();
  const TPlanOutcome prep = PrepareArrangements(true);
  if (prep != TPlanOutcome::Solved) {
    host_->ProgressClose();
    return prep;
  }
  bool shown = false;
  const TPlanOutcome out = RunSearch(true, shown);
  if (!shown && !s.AbortPlanning) Tell(10063, {});
  return out;
}

// The search stage both runs share: the information window open while it
// runs, the best shown day left in the variant, the windows closed.
TPlanOutcome TDayPlanner::RunSearch(bool selection, bool& shown) {
  host_->InfoOpen(view_);
  const TPlanOutcome out = Search(selection, shown);
  RestoreShown();
  host_->InfoClose();
  host_->ProgressClose();
  return out;
}

TPlanOutcome TDayPlanner::OptimizeDay() {
  if (m_.Klasses.Count() == 0) return TPlanOutcome::NoSolution;
  SharedState& s = Shared();
  optimising_ = true;
  host_->ProgressOpen(2);
  s.GroupSize = static_cast<uint32_t>(m_.Teachers.GroupSize(m_.CurGroup));
  m_.Teachers.ResetDay();
  m_.Klasses.ResetDay(true);
  var_.FetchDayLessons(day_, -1);
  PrepareSizes();
  const TPlanOutcome prep = PrepareArrangements(false);
  if (prep != TPlanOutcome::Solved) {
    host_->ProgressClose();
    return prep;
  }
  bool shown = false;
  const TPlanOutcome out = RunSearch(false, shown);
  if (!shown) {
    if (s.BestDepth < 0) {
      if (!s.AbortPlanning) Tell(10061, {});
    } else {
      Tell(s.AbortPlanning ? 10076 : 10075, {});
    }
  }
  return out;
}

// ---- one day without a window ----

namespace {

// Takes each solution at once; stops after the first unless looking for
// the best.
class TAutoHost : public IPlanningHost {
 public:
  explicit TAutoHost(bool best) : best_(best) {}
  void Pump() override {}
  void SolutionFound() override {
    Shared().WaitUser = 0;
    if (!best_) Shared().AbortPlanning = 1;
  }
  void DeeperPartial() override { Shared().WaitUser = 0; }
  void WaitWhileSet(const uint8_t&) override {}

 private:
  bool best_;
};

// Messages of a run without a window are not shown.
class TSilentPrompt : public IPrompt {
 public:
  std::string Last;
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    Last = text;
    return kind == kBoxOk ? kResYes : kResNo;
  }
};

// A run's limits are what its budget has left; the caller spends its steps.
void StartRun(TDayPlanner& p, const TAutoPlanOptions& o, const TBudget& budget) {
  SharedState& s = Shared();
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  s.SolutionsFound = 0;
  s.BestDepth = -1;
  p.DrawFrom(budget);
  p.MaxRunBytes = o.MaxRunBytes;
}

// The collecting rows of single teachers make the arrangements of every
// klass explode combinatorially; teachers that share no lesson and no room
// can be planned one row each.
void SplitIntoConnectedRows(TRunModel& m) {
  const int T = m.Teachers.Count();
  TDisjointSets sets(static_cast<std::size_t>(T));
  auto unite = [&](int a, int b) {
    if (a >= 0 && b >= 0 && a < T && b < T) sets.Join(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
  };
  for (int t = 0; t < T; ++t) {
    const TRTITeacherItem* teacher = m.Teachers[t];
    for (const auto& c : teacher->Lessons)
      if (c->SubItemsCount() > 1)
        for (int g = 0; g < c->SubItemsCount(); ++g) unite(t, c->GetSubItem(g)->TeacherID);
    for (int32_t p : teacher->Partners) {
      if (p < 0) break;
      unite(t, p);
    }
  }
  std::vector<std::vector<int32_t>> rows;
  for (int r = 0; r < m.Teachers.GroupCount(); ++r) {
    const int32_t* row = m.Teachers.GroupRow(r);
    std::vector<std::vector<int32_t>> parts;
    std::vector<std::size_t> roots;
    for (int i = 0; row[i] >= 0; ++i) {
      const std::size_t root = sets.Find(static_cast<std::size_t>(row[i]));
      auto it = std::find(roots.begin(), roots.end(), root);
      if (it == roots.end()) {
        roots.push_back(root);
        parts.push_back({row[i]});
      } else {
        parts[static_cast<std::size_t>(it - roots.begin())].push_back(row[i]);
      }
    }
    for (auto& p : parts) rows.push_back(std::move(p));
  }
  m.Teachers.SetGroups(std::move(rows));
}

// The norms leave two hours of slack for every later day, so a week
// planned day after day to the norms alone keeps too little on its first
// days and overflows its last. Like a user raising the minimums in the
// preparation dialog, each teacher is asked for at least its even share of
// what is left over the days still open to it.
void RaiseToEvenShare(TRunModel& m, const TTableVarItem& var, int day, bool klassesToo) {
  const int L = m.L();
  std::array<bool, 7> planned{};
  for (int d = 1; d <= 6; ++d) planned[static_cast<std::size_t>(d)] = d != day && !var.DayIsEmpty(d);
  // A day closed for every klass (a Saturday of a five-day school) is no
  // day to share the week over.
  auto klassOpen = [&](int k, int d) {
    for (int h = 1; h <= L; ++h)
      if (m.Klasses[k]->GetBusy((d - 1) * kSlotsPerDay + h) == 0) return true;
    return false;
  };
  std::array<bool, 7> schoolDay{};
  for (int d = 1; d <= 6; ++d)
    for (int k = 0; k < m.Klasses.Count() && !schoolDay[static_cast<std::size_t>(d)]; ++k)
      schoolDay[static_cast<std::size_t>(d)] = klassOpen(k, d);
  for (int t = 0; t < m.Teachers.Count(); ++t) {
    TRTITeacherItem* x = m.Teachers[t];
    int open = 1, freeTaken = 0;
    for (int d = 1; d <= 6; ++d) {
      if (d == day) continue;
      const bool teaches = var.CountTeacherFair(t, d) + var.CountTeacherDraft(t, d) > 0;
      if (!planned[static_cast<std::size_t>(d)]) {
        if (schoolDay[static_cast<std::size_t>(d)]) ++open;
      } else if (!teaches) {
        ++freeTaken;
      }
    }
    const int owed = std::max(0, WantedFreeDays(*x) - freeTaken);
    const int D = std::max(1, open - owed);
    const int R = x->RemainingHours + x->TodayHours;
    const int share = std::min(R / D, L - x->ClosedHoursToday);
    x->DayMinLeft = std::max(x->DayMinLeft, share);
    x->DayMaxLeft = std::max(x->DayMaxLeft, share);
  }
  if (!klassesToo) return;
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    TRTIKlassItem* x = m.Klasses[k];
    int D = 1;  // today and the days not yet used that are open for the klass
    for (int d = 1; d <= 6; ++d)
      if (d != day && !planned[static_cast<std::size_t>(d)] && klassOpen(k, d)) ++D;
    D = std::max(1, std::min(D, 7 - x->WorkDays));
    const int R = x->RemainingHours + x->TodayHours;
    const int share = std::min(R / D, L - x->ClosedHoursToday);
    x->DayMinLeft = std::max(x->DayMinLeft, share);
    x->DayMaxLeft = std::max(x->DayMaxLeft, share);
  }
}

// Rows of teachers who must give the most today first: their lessons are
// the hardest to fit beside what others have already taken. A seed
// perturbs the order between rows of similar need.
void OrderRows(TRunModel& m, const TTableVarItem& var, int day, const TAutoPlanOptions& o) {
  if (o.RowOrder == TRowOrder::AsBuilt && o.Seed == 0) return;
  var.CountTeachersFreeDays(false, day);
  PrepareDayNorms(m, var, day);
  RaiseToEvenShare(m, var, day, false);
  std::mt19937 rng(o.Seed);
  std::uniform_real_distribution<double> jitter(0.0, 1.5);
  std::vector<std::pair<double, std::vector<int32_t>>> rows;
  for (int r = 0; r < m.Teachers.GroupCount(); ++r) {
    std::vector<int32_t> row;
    double need = 0;
    for (const int32_t* p = m.Teachers.GroupRow(r); *p >= 0; ++p) {
      row.push_back(*p);
      need += m.Teachers[*p]->DayMinLeft;
    }
    if (o.RowOrder == TRowOrder::AsBuilt) need = 0;
    if (o.Seed != 0) need += jitter(rng);
    rows.emplace_back(need, std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::vector<int32_t>> sorted;
  for (auto& r : rows) sorted.push_back(std::move(r.second));
  m.Teachers.SetGroups(std::move(sorted));
}

void PrepareRowNorms(TRunModel& m, const TTableVarItem& var, int day, bool even, bool klassShare = false) {
  // Free days are counted against the planned days, not the row: a row of
  // one teacher would never see one.
  var.CountTeachersFreeDays(false, day);
  PrepareDayNorms(m, var, day);
  if (even) RaiseToEvenShare(m, var, day, klassShare);
}

// Per klass, the most hours the rows after row can still bring to its day:
// one block of each lesson not on the day yet whose teachers plan later.
// Hours kept free beyond that would stay idle hours of the klass.
std::vector<int> LaterRowsCanGive(const TRunModel& m, const TTableVarItem& var, int day, int row) {
  std::vector<int> rowOf(static_cast<std::size_t>(m.Teachers.Count()), -1);
  for (int r = 0; r < m.Teachers.GroupCount(); ++r)
    for (const int32_t* p = m.Teachers.GroupRow(r); *p >= 0; ++p) rowOf[static_cast<std::size_t>(*p)] = r;
  std::vector<int> caps(static_cast<std::size_t>(m.Klasses.Count()), 0);
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      const TRTILessonItem* l = klass->Lessons[li];
      bool later = false;
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        const int t = l->RT[static_cast<std::size_t>(g)].Teacher;
        if (t >= 0 && rowOf[static_cast<std::size_t>(t)] > row) later = true;
      }
      if (later && var.CountLessonInDay(k, li, day) == 0) caps[static_cast<std::size_t>(k)] += l->MaxFreeQuant(day);
    }
  }
  return caps;
}


}  // namespace

int KlassGaps(const TRunModel& m, const TTableVarItem& var, int k, int day) {
  const TRTIKlassItem* klass = m.Klasses[k];
  int first = 0, last = 0;
  for (int h = 1; h <= var.LessonsPerDay(); ++h)
    if (var.GetCell(k, day, h).Lesson >= 0) {
      if (first == 0) first = h;
      last = h;
    }
  int gaps = 0;
  for (int h = first + 1; h < last; ++h)
    if (var.GetCell(k, day, h).Lesson < 0 && klass->GetBusy((day - 1) * kSlotsPerDay + h) == 0) ++gaps;
  return gaps;
}

TAutoPlanResult PlanDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& o) {
  TBudget budget(o.StepBudget, o.TimeBudgetMs);
  return PlanDayAuto(m, var, day, o, budget);
}

TAutoPlanResult PlanDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& o, TBudget& budget) {
  TAutoPlanResult res;
  if (day < 1 || day > 6) return res;
  SharedState& s = Shared();
  const uint8_t oldFindBest = s.FindBest;
  TSilentPrompt silent;
  ScopedPrompt scoped(&silent);
  m.Teachers.PrepareDaySlots(day);
  m.Teachers.CountDayWishes();
  m.Teachers.BuildGroups(var, true, day);
  m.Klasses.CountDayClosedSlots();
  SplitIntoConnectedRows(m);
  OrderRows(m, var, day, o);
  res.Ok = true;
  const int rows = m.Teachers.GroupCount();
  TTableVarItem backup(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  for (int r = 0; r < rows; ++r) {
    m.CurGroup = r;
    ++res.Rows;
    backup.Assign(var);
    // Each row at most half of what the rows before it left (the last all
    // of it): one that cannot finish leaves the others something.
    TBudget share = budget.Share(std::min(2, rows - r));
    // With the even shares first; a row that cannot give them gets the
    // plain norms.
    TPlanOutcome out = TPlanOutcome::Aborted;
    int failedKlass = -1;
    silent.Last.clear();
    for (int pass = o.EvenShare ? 0 : 1; pass < 2 && out != TPlanOutcome::Solved && !share.Spent(); ++pass) {
      var.Assign(backup);
      PrepareRowNorms(m, var, day, pass == 0, o.KlassShare);
      TAutoHost host(o.SelectBest);
      s.FindBest = o.SelectBest ? 1 : 0;
      TDayPlanner p(m, var, day, &host);
      if (pass == 0 && o.CapExtra) p.ExtraCap = LaterRowsCanGive(m, var, day, r);
      StartRun(p, o, share);
      out = p.SelectVariants();
      share.Spend(p.Steps());
      res.Solutions += s.SolutionsFound;
      res.Steps += p.Steps();
      failedKlass = p.FailedKlass();
    }
    if (out != TPlanOutcome::Solved && res.FailedRow < 0) {
      res.FailedRow = r;
      res.Outcome = out;
      res.Message = silent.Last;
      res.FailedKlass = failedKlass;
    }
    if (out != TPlanOutcome::Solved) {
      // The row's lessons stay for later days; the rows after it still run.
      res.Ok = false;
      var.Assign(backup);
      continue;
    }
  }
  for (int t = 0; t < m.Teachers.Count(); ++t) res.FirstWindows += var.GetTeacherWindows(t, day);
  if (o.Optimize) {
    const TAutoPlanResult opt = OptimizeDayAuto(m, var, day, o, o.OptimizeBest, budget);
    res.Solutions += opt.Solutions;
    res.Steps += opt.Steps;
  }
  s.FindBest = oldFindBest;
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  for (int t = 0; t < m.Teachers.Count(); ++t) res.Windows += var.GetTeacherWindows(t, day);
  for (int k = 0; k < var.KlassCount(); ++k) {
    res.DraftHours += var.CountKlassDraft(k, day);
    res.Placed += var.CountKlassFair(k, day);
    res.KlassGaps += KlassGaps(m, var, k, day);
  }
  return res;
}

TAutoPlanResult OptimizeDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& o, bool best) {
  TBudget budget(o.StepBudget, o.TimeBudgetMs);
  return OptimizeDayAuto(m, var, day, o, best, budget);
}

TAutoPlanResult OptimizeDayAuto(TRunModel& m, TTableVarItem& var, int day, const TAutoPlanOptions& o, bool best,
                                TBudget& budget) {
  TAutoPlanResult res;
  if (day < 1 || day > 6 || var.DayIsEmpty(day)) return res;
  if (budget.Spent()) {
    res.Outcome = TPlanOutcome::Aborted;
    return res;
  }
  SharedState& s = Shared();
  const uint8_t oldFindBest = s.FindBest;
  TSilentPrompt silent;
  ScopedPrompt scoped(&silent);
  m.Teachers.PrepareDaySlots(day);
  m.Teachers.CountDayWishes();
  m.Teachers.BuildGroups(var, true, day);
  m.Klasses.CountDayClosedSlots();
  SplitIntoConnectedRows(m);
  std::vector<std::vector<int32_t>> split;
  for (int r = 0; r < m.Teachers.GroupCount(); ++r) {
    std::vector<int32_t> row;
    for (const int32_t* p = m.Teachers.GroupRow(r); *p >= 0; ++p) row.push_back(*p);
    split.push_back(std::move(row));
  }
  std::vector<int32_t> all;
  for (int t = 0; t < m.Teachers.Count(); ++t) all.push_back(t);
  TTableVarItem backup(var.Model(), var.TeacherCount(), var.LessonsPerDay(), var.KlassCount());
  // A run that finds no whole day leaves the day as it was.
  auto optimise = [&](int row, TBudget& part) {
    m.CurGroup = row;
    backup.Assign(var);
    PrepareRowNorms(m, var, day, false);
    TAutoHost host(best);
    s.FindBest = best ? 1 : 0;
    TDayPlanner p(m, var, day, &host);
    StartRun(p, o, part);
    p.ShowPartials = false;  // nobody looks at them; a failed run restores the day
    m.ReplanGroupLessons = 1;
    const TPlanOutcome opt = p.OptimizeDay();
    m.ReplanGroupLessons = 0;
    part.Spend(p.Steps());
    if (res.Rows++ == 0) {
      res.Outcome = opt;
      res.FailedKlass = p.FailedKlass();
    }
    res.Solutions += s.SolutionsFound;
    res.Steps += p.Steps();
    if (opt != TPlanOutcome::Solved) var.Assign(backup);
    return opt;
  };
  using TFallback = TAutoPlanOptions::TFallback;
  m.Teachers.SetGroups({all});
  TPlanOutcome whole;
  {
    TBudget part = budget.Part(o.OptimizeStepBudget, 0);
    whole = optimise(0, part);
  }
  res.Ok = whole == TPlanOutcome::Solved;
  if (!res.Ok) res.Message = silent.Last;
  const bool rows = !res.Ok && (o.RowFallback == TFallback::Always ||
                                (o.RowFallback == TFallback::WhenTooLarge && whole == TPlanOutcome::TooLarge));
  if (rows) {
    m.Teachers.SetGroups(split);
    // Each row at most half of what the rows before it left (the last all
    // of it): the first rows cost most, as every draft still without an
    // hour is arranged beside their lessons, and a row that cannot finish
    // leaves the others something. The rows stopped by their share then
    // once more, sharing what the others left.
    const int n = static_cast<int>(split.size());
    std::vector<int> stopped;
    for (int r = 0; r < n; ++r) {
      TBudget part = budget.Share(std::min(2, n - r));
      if (part.Spent() || optimise(r, part) == TPlanOutcome::Aborted) stopped.push_back(r);
    }
    for (std::size_t i = 0; i < stopped.size(); ++i) {
      TBudget part = budget.Share(static_cast<int>(stopped.size() - i));
      if (!part.Spent()) optimise(stopped[i], part);
    }
  }
  s.FindBest = oldFindBest;
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  for (int t = 0; t < m.Teachers.Count(); ++t) res.Windows += var.GetTeacherWindows(t, day);
  for (int k = 0; k < var.KlassCount(); ++k) {
    res.Placed += var.CountKlassFair(k, day);
    res.KlassGaps += KlassGaps(m, var, k, day);
  }
  return res;
}

}  // namespace korvant
