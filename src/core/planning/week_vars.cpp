#include "core/planning/week_vars.h"

#include <algorithm>
#include <bit>
#include <climits>

#include "core/common/shared_state.h"
#include "core/variant/joint_blocks.h"
#include "core/variant/table_var.h"

namespace korvant {

namespace {

constexpr std::size_t D(int day) { return static_cast<std::size_t>(day - 1); }
constexpr std::size_t U(int i) { return static_cast<std::size_t>(i); }
constexpr int kFixedMark = -1;

}  // namespace

std::array<uint8_t, 6> DayRanksOf(int lesson) {
  std::array<uint8_t, 6> ranks{};
  const int turn = ((lesson % 6) + 6) % 6;
  for (int d = 1; d <= 6; ++d) {
    int idx = (d + turn) % 6;
    if (idx == 0) idx = 6;
    ranks[D(d)] = WeekDayRanks[U(idx - 1)];
  }
  return ranks;
}

TMemberNorms ComputeMemberNorms(int weeklyHours, int freeDaysWanted, int L, int teacherMinLessons) {
  const int W = 6 - std::clamp(freeDaysWanted, 0, 6);
  TMemberNorms n;
  n.Min = std::max(teacherMinLessons, 0);
  if (W <= 0) n.Min = 0;
  while (n.Min > 0 && n.Min * W > weeklyHours) --n.Min;
  n.Max = std::min(std::max(L, 0), 9);
  while (n.Max >= 7) {
    if (n.Max * (W - 1) + n.Min <= weeklyHours) break;
    if ((n.Max - 1) * W <= weeklyHours) break;
    --n.Max;
  }
  return n;
}

TKlassNorms ComputeKlassNorms(int weeklyHours, int workingDays, int L, int classMinLessons, int longestQuant) {
  TKlassNorms n;
  const int Dw = workingDays;
  if (Dw <= 0) return n;  // every hour of the week is closed: nothing goes there
  n.Min = std::max(classMinLessons, 0);
  while (n.Min > 0 && n.Min * Dw > weeklyHours) --n.Min;
  n.Max = std::min(std::max(L, 0), 9);
  while (n.Max >= n.Min + 2) {
    if ((Dw - 1) * n.Max + n.Min <= weeklyHours) break;
    if ((n.Max - 1) * Dw <= weeklyHours) break;
    --n.Max;
  }
  n.Max = std::min(std::max(n.Max, longestQuant), std::max(L, 0));
  n.DaysAtMax = std::min(Dw - std::min(Dw * n.Max - weeklyHours, Dw - 1), Dw);
  return n;
}

std::string ImprovementsText(int improvements, int parallels) {
  std::string s = std::to_string(improvements);
  if (parallels >= 0) s += " (" + std::to_string(parallels) + ")";
  return s;
}

TWeekSearchContext MakeWeekSearchContext(TRunModel& model, TTableVarItem& var, const SharedState& state) {
  TWeekSearchContext c;
  c.Model = &model;
  c.Var = &var;
  c.PlaceToFair = state.PlaceToFair;
  c.UseAttachedRooms = state.UseAttachedRooms;
  c.UseSepQuants = state.UseSepQuants;
  c.UseParallels = state.UseParallels;
  c.OptimizeQueue = state.OptimizeQueue;
  c.TeachersWills = model.TeachersWills;
  c.L = model.L();
  c.ClassMinLessons = std::min<int>(model.Params.ClassMinLessons, c.L);
  c.TeacherMinLessons = std::min<int>(model.Params.TeacherMinLessons, c.L);
  c.GroupRow = model.CurGroup;
  return c;
}

// ---- runs ----

bool TGrpObject::IsFixed(int i) const { return Owner->IsFixed(FirstQuant + i); }

bool TGrpObject::PlaceQuant(TWeekVarsSearch& s, int i, int lowRank, int highRank) {
  for (int r = std::max(lowRank, 1); r <= std::min(highRank, 6); ++r) {
    const int d = Owner->RankDay[U(r)];
    if (!s.DayFits(*Owner, d, Length)) continue;
    Quants[U(i)] = {static_cast<uint16_t>(d), 0};
    Owner->DayUsed[D(d)] = 1;
    s.AddLoad(*Owner, d, 0, Length, +1);
    return true;
  }
  return false;
}

int TGrpObject::UnplaceQuant(TWeekVarsSearch& s, int i) {
  const TPlace p = Quants[U(i)];
  if (p.Day == 0) return 0;
  s.AddLoad(*Owner, p.Day, p.Hour, Length, -1);
  Owner->DayUsed[D(p.Day)] = 0;
  Quants[U(i)] = {};
  return p.Day;
}

void TGrpObject::AllOff(TWeekVarsSearch& s) {
  for (int i = 0; i < OrigCount; ++i)
    if (!IsFixed(i)) UnplaceQuant(s, i);
  CurCount = OrigCount;
  Started = 0;
}

bool TGrpObject::Next(TWeekVarsSearch& s) {
  if (!Started) {
    for (int i = 0; i < CurCount; ++i) {
      if (IsFixed(i) || PlaceQuant(s, i, 1, 6)) continue;
      if (i == 0) {
        AllOff(s);
        return false;
      }
      CurCount = i;
      break;
    }
    Started = 1;
    return true;
  }
  int n = -1;
  for (int i = CurCount - 1; i >= 0 && n < 0; --i)
    if (!IsFixed(i) && Quants[U(i)].Day != 0) n = i;
  if (n < 0) {
    AllOff(s);
    return false;
  }
  int floor = 0;
  for (;;) {
    const int e = UnplaceQuant(s, n);
    const int r = std::max(e ? Owner->Ranks[D(e)] : 0, floor);
    if (r < 6 && PlaceQuant(s, n, r + 1, 6)) {
      // The next quant starts after this one's rank, so that each set of
      // days comes once.
      floor = Owner->Ranks[D(Quants[U(n)].Day)];
      int m = n + 1;
      while (m < CurCount && IsFixed(m)) ++m;
      if (m >= CurCount) return true;
      n = m;
      continue;
    }
    if (n == 0) {
      AllOff(s);
      return false;
    }
    int p = n - 1;
    while (p >= 0 && IsFixed(p)) --p;
    if (p < 0) {
      AllOff(s);
      return false;
    }
    return true;  // n and the later quanta of the run stay off
  }
}

void TGrpObject::Release(TWeekVarsSearch& s) {
  for (int i = 0; i < OrigCount; ++i) {
    TPlace& p = Quants[U(i)];
    if (!IsFixed(i)) {
      UnplaceQuant(s, i);
      continue;
    }
    const int q = FirstQuant + i;
    if (p.Day != 0 && Owner->FixedAt[U(q)].Hour == 0 && p.Hour != 0) {
      s.AddLoad(*Owner, p.Day, p.Hour, Length, -1);
      s.AddLoad(*Owner, p.Day, 0, Length, +1);
      p.Hour = 0;
    }
  }
  CurCount = OrigCount;
  Started = 0;
}

// ---- lesson objects ----

int TLessonObject::QuantCount() const {
  int n = 0;
  while (n < kQuantWords && Quants[U(n + 1)] != 0) ++n;
  return n;
}

bool TLessonObject::Next(TWeekVarsSearch& s) {
  if (Runs.empty()) {
    NoRunsToggle ^= 1;
    return NoRunsToggle != 0;
  }
  int c = CurRun;
  for (;;) {
    if (Runs[U(c)].Next(s)) {
      if (c >= ActiveRuns - 1) {
        CurRun = c;
        return true;
      }
      ++c;
      continue;
    }
    if (c > 0) {
      --c;
      continue;
    }
    if (ActiveRuns < 2) break;
    --ActiveRuns;  // then the combinations without the last run
  }
  ActiveRuns = static_cast<int32_t>(Runs.size());
  CurRun = 0;
  return false;
}

void TLessonObject::Release(TWeekVarsSearch& s) {
  for (TGrpObject& r : Runs) r.Release(s);
  ActiveRuns = static_cast<int32_t>(Runs.size());
  CurRun = 0;
  NoRunsToggle = 0;
}

void TLessonObject::WriteRecords(std::vector<TPlacementRec>& recs, int& pos, int teacher) const {
  for (const TGrpObject& run : Runs)
    for (int i = 0; i < run.OrigCount; ++i) {
      const int q = run.FirstQuant + i;
      TPlacementRec& r = recs[U(pos++)];
      r.Teacher = teacher;
      r.LessonIndex = LessonIndex;
      r.LessonID = LessonID;
      r.Order = Order;
      r.QuantIndex = q;
      r.Length = run.Length;
      r.Fixed = IsFixed(q) ? 1 : 0;
      r.Day = Consumed[U(q)] ? 0 : static_cast<uint8_t>(run.Quants[U(i)].Day);
      r.Hour = run.Quants[U(i)].Hour;
      r.FixedHour = FixedAt[U(q)].Hour;
      r.PartnerCheck = PartnerCheck;
      r.Links = &Links;
    }
}

void TLessonObject::StoreRecords(TWeekVarsSearch& s, const std::vector<TPlacementRec>& recs, int& pos) {
  for (TGrpObject& run : Runs)
    for (int i = 0; i < run.OrigCount; ++i) {
      const int q = run.FirstQuant + i;
      const TPlacementRec& r = recs[U(pos++)];
      TGrpObject::TPlace& p = run.Quants[U(i)];
      if (Consumed[U(q)] || r.Day == 0) continue;
      if (IsFixed(q)) {
        // A quant fixed on the day only takes the hour its day layout gave.
        if (FixedAt[U(q)].Hour == 0 && p.Hour == 0 && r.Hour > 0) {
          s.AddLoad(*this, p.Day, 0, run.Length, -1);
          s.AddLoad(*this, p.Day, r.Hour, run.Length, +1);
          p.Hour = static_cast<uint16_t>(r.Hour);
        }
        continue;
      }
      if (p.Day != 0) continue;  // released before storing; never placed twice
      p = {r.Day, static_cast<uint16_t>(std::max(r.Hour, 0))};
      DayUsed[D(r.Day)] = 1;
      s.AddLoad(*this, r.Day, p.Hour, run.Length, +1);
    }
}

// ---- the search ----

TWeekVarsSearch::TWeekVarsSearch(const TWeekSearchContext& ctx, IWeekVarsObserver* observer)
    : ctx_(ctx), observer_(observer) {
  L_ = std::clamp(ctx_.L, 1, kDayHours);
  if (ctx_.Var) L_ = std::min(L_, ctx_.Var->LessonsPerDay());
  BuildTables();
  if (members_.empty()) phase_ = Phase::Finished;
}

TWeekVarsSearch::~TWeekVarsSearch() = default;

bool TWeekVarsSearch::SkipLesson(int teacher, int i, TLinkedLists& lists) const {
  lists.Clear();
  const TRTILessonItem* copy = ctx_.Model->TeacherLesson(teacher, i);
  if (!copy || copy->SubItemsCount() == 0) return true;
  const TRTIGroup& rt = copy->RT[0];
  // A linked set too large for its lists cannot be written as a whole.
  if (!ctx_.Model->Klasses.CollectLinkedLessons(rt.Klass, rt.KlassLesson, lists)) return true;
  for (int j = 0; j < lists.TeacherCount(); ++j) {
    const TLinkEntry e = lists.Teachers[U(j)];
    if (e.A == teacher && e.B < i) return true;
  }
  return false;
}

int TWeekVarsSearch::TeacherWeeklyHours(int teacher) const {
  // A joint lesson gives the teacher a copy per klass; it is taught once.
  const TRTITeacherItem* t = ctx_.Model->Teachers[teacher];
  int sum = 0;
  TLinkedLists lists;
  for (int i = 0; t && i < t->Lessons.Count(); ++i)
    if (!SkipLesson(teacher, i, lists)) sum += t->Lessons[i]->QuantsSum();
  return sum;
}

void TWeekVarsSearch::BuildTables() {
  if (!ctx_.Model || !ctx_.Var) return;
  const TRunModel& m = *ctx_.Model;
  const TTableVarItem& var = *ctx_.Var;
  const int nt = m.Teachers.Count();
  const int nk = m.Klasses.Count();
  teachers_.assign(U(nt), {});
  for (int t = 0; t < nt; ++t) {
    const TRTITeacherItem* teacher = m.Teachers[t];
    TTeacherWeekLoad& tl = teachers_[U(t)];
    tl.FreeDaysWanted = WantedFreeDays(*teacher);
    for (int d = 1; d <= 6; ++d) {
      for (int h = 1; h <= L_; ++h) {
        int k = -1, g = -1, links = 0;
        if (var.FindTeacherLesson(t, h, d, k, g, links)) {
          // A lesson standing at a closed hour still counts as taught.
          ++tl.Timed[D(d)];
          tl.Cells[D(d)][U(h - 1)] = kCellBusy;
          const TRTILessonItem* l = m.KlassLesson(k, var.GetCell(k, d, h).Lesson);
          if (l && l->GetSubItem(g)->GetFictionName().empty()) ++tl.Attached[D(d)];
        } else if (TeacherHourClosed(teacher->GetBusy((d - 1) * kSlotsPerDay + h), ctx_.TeachersWills)) {
          ++tl.Closed[D(d)];
          tl.Cells[D(d)][U(h - 1)] = kCellClosed;
        }
      }
      for (int n = 1; n <= L_; ++n) {
        int p = 0, k = -1, g = -1, links = 0;
        if (!var.FindTeacherDraftLesson(t, n, d, p, k, g, links)) break;
        ++tl.DayOnly[D(d)];
        const TRTILessonItem* l = m.KlassLesson(k, var.GetDraftCell(k, d, p).Lesson);
        if (l && l->GetSubItem(g)->GetFictionName().empty()) ++tl.Attached[D(d)];
      }
    }
  }
  klasses_.assign(U(nk), {});
  for (int k = 0; k < nk; ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    TKlassWeekLoad& kl = klasses_[U(k)];
    int longest = 0;
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      const TRTILessonItem* l = klass->Lessons[li];
      kl.WeeklyHours += l->QuantsSum();
      for (int q = 1; q <= l->QuantsCount(); ++q) longest = std::max(longest, l->QuantAt(q));
    }
    int working = 0;
    for (int d = 1; d <= 6; ++d) {
      // No hour before the first its day may begin at, and none on a day it
      // may not begin at all. A klass that names no first hour at all (the
      // data check names it) is counted open, as the day search names it
      // when its day comes.
      const uint32_t starts = KlassDayStarts(*klass, d, L_);
      const int earliest = klass->GetStartLesson(1) < 1 ? 1 : starts != 0 ? std::countr_zero(starts) + 1 : L_ + 1;
      bool open = false;
      for (int h = 1; h <= L_; ++h) {
        const int slot = (d - 1) * kSlotsPerDay + h;
        const bool hourOpen = klass->GetBusy(slot) == 0 && h >= earliest;
        open = open || hourOpen;
        const bool lesson = var.GetCell(k, d, h).Lesson >= 0;
        if (lesson) ++kl.Timed[D(d)];
        // An hour at which none of the klass's lessons can stand (every
        // one has a teacher who is closed then) holds no lesson either.
        bool usable = lesson;
        for (int li = 0; li < klass->Lessons.Count() && !usable && hourOpen; ++li) {
          const TRTILessonItem* l = klass->Lessons[li];
          bool ok = l->GetBusy(slot) == 0;
          for (int g = 0; g < l->SubItemsCount() && ok; ++g) {
            const TRTITeacherItem* t = m.Teachers[l->RT[U(g)].Teacher];
            if (t && TeacherHourClosed(t->GetBusy(slot), ctx_.TeachersWills)) ok = false;
          }
          usable = ok;
        }
        if (!hourOpen || !usable) ++kl.Closed[D(d)];
        kl.Cells[D(d)][U(h - 1)] = lesson ? kCellBusy : hourOpen ? kCellFree : kCellClosed;
        if (var.GetDraftCell(k, d, h).Lesson >= 0) ++kl.DayOnly[D(d)];
      }
      if (open) ++working;
    }
    const TKlassNorms n = ComputeKlassNorms(kl.WeeklyHours, working, L_, ctx_.ClassMinLessons, longest);
    kl.MinPerDay = n.Min;
    kl.MaxPerDay = n.Max;
    kl.DaysAtMax = n.DaysAtMax;
  }
  if (const int32_t* row = m.Teachers.GroupRow(ctx_.GroupRow)) {
    for (int i = 0; row[i] >= 0; ++i) {
      if (row[i] >= nt) continue;
      GroupTeacherRec r;
      r.Teacher = row[i];
      r.WeeklyHours = TeacherWeeklyHours(r.Teacher);
      const TMemberNorms n = ComputeMemberNorms(r.WeeklyHours, teachers_[U(r.Teacher)].FreeDaysWanted, L_,
                                                ctx_.TeacherMinLessons);
      r.MinPerDay = n.Min;
      r.MaxPerDay = n.Max;
      members_.push_back(r);
    }
  }
  involved_.assign(U(nt) + 1, -1);
}

void TWeekVarsSearch::ChooseMember() {
  int best = pos_;
  double bestValue = 1000000;
  for (int i = pos_; i < static_cast<int>(members_.size()); ++i) {
    const GroupTeacherRec& mr = members_[U(i)];
    const TTeacherWeekLoad& tl = teachers_[U(mr.Teacher)];
    int remaining = mr.WeeklyHours;
    for (int d = 1; d <= 6; ++d) remaining -= tl.Total(d);
    double value = 1000000;
    if (remaining > 0) {
      // The wanted free days are taken as the most closed days.
      TDayCounts counts = tl.Closed;
      for (int n = 0; n < tl.FreeDaysWanted; ++n) *std::max_element(counts.begin(), counts.end()) = 0;
      int closed = 0;
      for (int c : counts) closed += c;
      const int days = 6 - tl.FreeDaysWanted;
      const int available = days * L_ - closed;
      value = static_cast<double>(available) / remaining * days;
    }
    if (value < bestValue) {
      bestValue = value;
      best = i;
    }
  }
  if (best != pos_) std::swap(members_[U(best)], members_[U(pos_)]);
}

std::unique_ptr<TLessonObject> TWeekVarsSearch::MakeLessonObject(int teacher, int i, const TLinkedLists& lists) {
  const TRunModel& m = *ctx_.Model;
  const TRTILessonItem* copy = m.TeacherLesson(teacher, i);
  auto o = std::make_unique<TLessonObject>();
  o->LessonIndex = i;
  o->LessonID = copy->ID();
  o->PartnerCheck = attachedNow_ && !copy->NoAttachedRoom ? 1 : 0;
  o->Links = lists;
  const int nq = copy->QuantsCount();
  for (int q = 1; q <= nq; ++q) o->Quants[U(q)] = static_cast<uint16_t>(copy->QuantAt(q));
  o->Ranks = DayRanksOf(i);
  for (int d = 1; d <= 6; ++d) o->RankDay[o->Ranks[D(d)]] = static_cast<uint8_t>(d);
  o->LinkGroup.fill(kListEnd);
  for (int j = 0; j < lists.TeacherCount(); ++j) {
    const TLinkEntry e = lists.Teachers[U(j)];
    const TRTILessonItem* lc = m.TeacherLesson(e.A, e.B);
    const int g = lc ? lc->GroupOfTeacher(e.A) : -1;
    if (g < 0) continue;
    o->LinkGroup[U(j)] = static_cast<uint16_t>(g);
    o->LinkAttached[U(j)] = lc->GetSubItem(g)->GetFictionName().empty() ? 1 : 0;
  }

  // Quanta already in the timetable keep their day.
  const int k = copy->RT[0].Klass;
  const int kl = copy->RT[0].KlassLesson;
  const TTableVarItem& var = *ctx_.Var;
  auto firstFree = [&](int length) {
    for (int q = 1; q <= nq; ++q)
      if (o->Quants[U(q)] == length && !o->IsFixed(q)) return q;
    return 0;
  };
  for (int d = 1; d <= 6; ++d) {
    int first = 0;
    const int fair = var.FindLessonInFair(k, kl, d, first);
    const int draft = var.CountLessonInDraft(k, kl, d);
    if (fair + draft == 0) continue;
    o->DayUsed[D(d)] = 1;
    bool contiguous = fair > 0;
    for (int h = first; h < first + fair && contiguous; ++h) contiguous = var.GetCell(k, d, h).Lesson == kl;
    int q = 0;
    if (draft == 0 && contiguous) {
      if ((q = firstFree(fair)) != 0) o->FixedAt[U(q)] = {static_cast<uint16_t>(d), static_cast<uint16_t>(first)};
    } else if (fair == 0) {
      if ((q = firstFree(draft)) != 0) o->FixedAt[U(q)] = {static_cast<uint16_t>(d), 0};
    }
    if (q != 0) continue;
    // The day's hours match no free quant: they use up free quanta, the
    // longest that fit first, so that the lesson never gets more hours.
    int left = fair + draft;
    while (left > 0) {
      int pick = 0;
      for (int c = 1; c <= nq; ++c) {
        if (o->IsFixed(c) || o->Quants[U(c)] > left) continue;
        if (pick == 0 || o->Quants[U(c)] > o->Quants[U(pick)]) pick = c;
      }
      for (int c = 1; c <= nq && pick == 0; ++c) {
        if (o->IsFixed(c)) continue;  // else the shortest that is longer
        if (pick == 0 || o->Quants[U(c)] < o->Quants[U(pick)]) pick = c;
      }
      if (pick == 0) break;
      o->Consumed[U(pick)] = 1;
      left -= o->Quants[U(pick)];
    }
  }
  // A joint lesson is written into every klass of its set: it places only
  // the blocks each linked lesson still has free, or a klass would lose
  // them when the file is read. The others never go onto a day.
  if (lists.LessonCount() > 1) {
    TBlockCounts joint = JointFreeBlocks(var, k, kl);
    for (int q = 1; q <= nq; ++q) {
      if (o->IsFixed(q)) continue;
      const int len = o->Quants[U(q)];
      if (len >= 1 && len <= kMaxLessonsPerDay && joint[U(len)] > 0)
        --joint[U(len)];
      else
        o->Consumed[U(q)] = 1;
    }
  }

  for (int q = 1; q <= nq;) {
    int j = q;
    while (j + 1 <= nq && o->Quants[U(j + 1)] == o->Quants[U(q)]) ++j;
    TGrpObject run;
    run.Owner = o.get();
    run.FirstQuant = q;
    run.OrigCount = run.CurCount = j - q + 1;
    run.Length = o->Quants[U(q)];
    run.Quants.assign(U(run.OrigCount), {});
    for (int c = q; c <= j; ++c)
      if (!o->Consumed[U(c)]) run.Quants[U(c - q)] = o->FixedAt[U(c)];
    o->Runs.push_back(std::move(run));
    q = j + 1;
  }
  o->ActiveRuns = static_cast<int32_t>(o->Runs.size());
  return o;
}

void TWeekVarsSearch::StartPass() {
  hasBest_ = false;
  if (pass_ == 1) {
    viewed_ = 0;
    improvements_ = 0;
  }
  bestLevel_ = -1;
  bestHours_ = -1;
  bestSpread_ = 25;
  bestParallels_ = 0;
  enough_ = 0;
  const TTeacherWeekLoad& tl = teachers_[U(cur_)];
  column4_ = 0;
  for (int d = 1; d <= 6; ++d) column4_ += ctx_.PlaceToFair ? tl.Timed[D(d)] : tl.DayOnly[D(d)];
  if (observer_) {
    std::string caption = ctx_.Model->Teachers[cur_]->DisplayName();
    if (pass_ == 2) caption += " (2)";
    observer_->TeacherStarted(pos_, caption, pass_, viewed_, improvements_, members_[U(pos_)].WeeklyHours, column4_);
  }
  objects_.clear();
  const TRTITeacherItem* teacher = ctx_.Model->Teachers[cur_];
  int q = 0;
  TLinkedLists lists;
  for (int i = 0; i < teacher->Lessons.Count(); ++i) {
    if (SkipLesson(cur_, i, lists)) continue;
    auto o = MakeLessonObject(cur_, i, lists);
    for (int j = 0; j < lists.TeacherCount(); ++j) {
      const int t = lists.Teachers[U(j)].A;
      auto end = std::find(involved_.begin(), involved_.end(), -1);
      if (std::find(involved_.begin(), end, t) == end && end != involved_.end()) *end = t;
    }
    q += o->QuantCount();
    o->Order = static_cast<int32_t>(objects_.size());
    objects_.push_back(std::move(o));
  }
  recs_.assign(U(q), {});
  preObj_ = 0;
  phase_ = objects_.empty() ? Phase::EndPass : Phase::PreCount;
}

void TWeekVarsSearch::WriteAll(std::vector<TPlacementRec>& recs) const {
  int pos = 0;
  for (const auto& o : objects_) o->WriteRecords(recs, pos, cur_);
}

void TWeekVarsSearch::ReleaseAll() {
  for (const auto& o : objects_) o->Release(*this);
}

void TWeekVarsSearch::PreCountStep() {
  TLessonObject& o = *objects_[U(preObj_)];
  if (o.Next(*this)) {
    if (!ctx_.PlaceToFair) {
      ++o.VariantCount;
    } else {
      WriteAll(recs_);
      if (CheckDayLayouts(recs_)) ++o.VariantCount;
    }
    return;
  }
  if (++preObj_ < static_cast<int>(objects_.size())) return;
  // Fewest variants first; lessons with none go last.
  std::stable_sort(objects_.begin(), objects_.end(), [](const auto& a, const auto& b) {
    const int64_t ka = a->VariantCount > 0 ? a->VariantCount : INT64_MAX;
    const int64_t kb = b->VariantCount > 0 ? b->VariantCount : INT64_MAX;
    return ka < kb;
  });
  for (std::size_t i = 0; i < objects_.size(); ++i) objects_[i]->Order = static_cast<int32_t>(i);
  level_ = 0;
  descending_ = true;
  phase_ = Phase::Search;
}

int TWeekVarsSearch::ParallelsScore() const {
  const std::vector<TPlacementRec>& recs = recs_;
  const int n = static_cast<int>(recs.size());
  int score = 0;
  std::vector<std::pair<int, int>> spans;
  for (int i = 0; i < n;) {
    int j = i;
    while (j < n && recs[U(j)].LessonID == recs[U(i)].LessonID) ++j;
    const TRTILessonItem* copy = ctx_.Model->TeacherLesson(cur_, recs[U(i)].LessonIndex);
    if (recs[U(i)].Order <= level_ && copy) {
      spans.clear();
      for (int p = 0; p < 10 && copy->ParallelLessons[U(p)].Klass >= 0; ++p) {
        const int li = copy->ParallelLessons[U(p)].Lesson;
        int m = j;
        while (m < n && recs[U(m)].LessonIndex != li) ++m;
        if (m >= n || recs[U(m)].Order > level_) continue;
        int m2 = m;
        while (m2 < n && recs[U(m2)].LessonIndex == li) ++m2;
        spans.emplace_back(m, m2);
      }
      for (int r = i; r < j; ++r) {
        if (recs[U(r)].Day == 0) continue;
        for (const auto& [a, b] : spans)
          for (int s = a; s < b; ++s)
            if (recs[U(s)].Length == recs[U(r)].Length && recs[U(s)].Day == recs[U(r)].Day) {
              ++score;
              break;
            }
      }
    }
    i = j;
  }
  return score;
}

int TWeekVarsSearch::Spread() const {
  const TTeacherWeekLoad& tl = teachers_[U(cur_)];
  int large = 0, small = 25;
  for (int d = 1; d <= 6; ++d) {
    const int t = tl.Total(d);
    large = std::max(large, t);
    if (t != 0) small = std::min(small, t);
  }
  return large - small;
}

bool TWeekVarsSearch::Evaluate() {
  WriteAll(recs_);
  int H = 0;
  for (const TPlacementRec& r : recs_)
    if (r.Day != 0 && r.Order <= level_) H += r.Length;
  if (H < bestHours_) return false;
  for (int32_t t : involved_) {
    if (t < 0) break;
    const TTeacherWeekLoad& tl = teachers_[U(t)];
    int free = 0;
    for (int d = 1; d <= 6; ++d)
      if (tl.Total(d) == 0) ++free;
    if (free < tl.FreeDaysWanted) return false;
  }
  const int P = ctx_.UseParallels ? ParallelsScore() : bestParallels_;
  const int S = Spread();
  if (H == bestHours_) {
    if (P < bestParallels_) return false;
    if (P == bestParallels_ && S >= bestSpread_) return false;
  }
  if (ctx_.PlaceToFair && !CheckDayLayouts(recs_)) return false;
  best_ = recs_;
  hasBest_ = true;
  bestParallels_ = P;
  bestSpread_ = S;
  bestLevel_ = level_;
  if (H > bestHours_) {
    column4_ = H;
    bestHours_ = H;
  }
  ++improvements_;
  if (observer_) observer_->Improved(pos_, improvements_, ctx_.UseParallels ? bestParallels_ : -1, column4_);
  return true;
}

void TWeekVarsSearch::SearchStep() {
  const int n = static_cast<int>(objects_.size());
  TLessonObject& o = *objects_[U(level_)];
  if (o.Next(*this)) {
    ++viewed_;
    if (observer_) observer_->VariantsViewed(pos_, viewed_);
    // Below the deepest level reached no variant can place more.
    const bool deeper = level_ < bestLevel_ || Evaluate();
    if (deeper && level_ < n - 1) {
      ++level_;
      descending_ = true;
    }
    return;
  }
  if (descending_ && level_ < n - 1) {
    ++level_;  // this lesson contributes nothing
    return;
  }
  if (level_ == 0) {
    phase_ = Phase::EndPass;
    return;
  }
  descending_ = false;
  --level_;
}

void TWeekVarsSearch::EndPass() {
  const bool hadObjects = !objects_.empty();
  ReleaseAll();
  if (hasBest_) {
    column4_ = 0;
    for (const TPlacementRec& r : best_)
      if (r.Day != 0) column4_ += r.Length;
    int pos = 0;
    for (const auto& o : objects_) o->StoreRecords(*this, best_, pos);
    ApplyVariants(best_);
    if (observer_) observer_->HoursPlaced(pos_, column4_);
  }
  objects_.clear();
  recs_.clear();
  best_.clear();
  hasBest_ = false;
  const TRTITeacherItem* teacher = ctx_.Model->Teachers[cur_];
  const bool partners = !teacher->Partners.empty() && teacher->Partners[0] >= 0;
  if (pass_ == 1 && hadObjects && ctx_.UseAttachedRooms && partners && column4_ < members_[U(pos_)].WeeklyHours) {
    // Second pass without the attached-room rule for what did not fit.
    pass_ = 2;
    attachedNow_ = 0;
    phase_ = Phase::StartPass;
    return;
  }
  ++pos_;
  phase_ = pos_ >= static_cast<int>(members_.size()) ? Phase::Finished : Phase::StartTeacher;
}

void TWeekVarsSearch::ApplyVariants(const std::vector<TPlacementRec>& recs) {
  TTableVarItem& var = *ctx_.Var;
  for (const TPlacementRec& r : recs) {
    if (r.Day == 0) continue;
    const TRTILessonItem* copy = ctx_.Model->TeacherLesson(r.Teacher, r.LessonIndex);
    if (!copy) continue;
    const int k = copy->RT[0].Klass;
    const int kl = copy->RT[0].KlassLesson;
    bool ok = true;
    if (r.Fixed) {
      if (r.Hour != r.FixedHour) ok = var.RemoveLesson(k, kl, false, r.Day, r.Day, r.Hour);
    } else if (r.Hour > 0) {
      ok = var.PlaceLinkedLesson(k, kl, false, r.Day, r.Hour, r.Length);
    } else {
      ok = var.PlaceLinkedLesson(k, kl, true, r.Day, 0, r.Length);
    }
    if (!ok) ++applyFailures_;
  }
}

void TWeekVarsSearch::DoAbort() {
  ReleaseAll();
  objects_.clear();
  recs_.clear();
  best_.clear();
  hasBest_ = false;
  phase_ = Phase::Aborted;
}

TWeekStepResult TWeekVarsSearch::Step(int budget) {
  int used = 0;
  for (;;) {
    if (phase_ == Phase::Finished) return TWeekStepResult::Finished;
    if (phase_ == Phase::Aborted) return TWeekStepResult::Aborted;
    if (abort_) {
      DoAbort();
      return TWeekStepResult::Aborted;
    }
    switch (phase_) {
      case Phase::StartTeacher:
        std::fill(involved_.begin(), involved_.end(), -1);
        if (ctx_.OptimizeQueue) ChooseMember();
        cur_ = members_[U(pos_)].Teacher;
        attachedNow_ = ctx_.UseAttachedRooms;
        pass_ = 1;
        phase_ = Phase::StartPass;
        break;
      case Phase::StartPass:
        StartPass();
        break;
      case Phase::PreCount:
        if (used >= budget) return TWeekStepResult::Running;
        ++used;
        PreCountStep();
        break;
      case Phase::Search:
        if (enough_) {
          phase_ = Phase::EndPass;
          break;
        }
        if (used >= budget) return TWeekStepResult::Running;
        ++used;
        SearchStep();
        break;
      case Phase::EndPass: {
        const int before = pos_;
        EndPass();
        if (pos_ != before)
          return phase_ == Phase::Finished ? TWeekStepResult::Finished : TWeekStepResult::TeacherDone;
        break;
      }
      case Phase::Finished:
      case Phase::Aborted:
        break;
    }
  }
}

TWeekStepResult TWeekVarsSearch::RunToEnd() {
  for (;;) {
    const TWeekStepResult r = Step(1 << 20);
    if (r == TWeekStepResult::Finished || r == TWeekStepResult::Aborted) return r;
  }
}

// ---- load tables ----

void TWeekVarsSearch::SetCells(const TLessonObject& o, int day, int hour, int length, uint8_t value) {
  const int last = std::min(hour + length - 1, kDayHours);
  for (int j = 0; j < o.Links.TeacherCount(); ++j) {
    const int t = o.Links.Teachers[U(j)].A;
    if (t >= static_cast<int>(teachers_.size())) continue;
    for (int h = hour; h <= last; ++h) teachers_[U(t)].Cells[D(day)][U(h - 1)] = value;
  }
  for (int j = 0; j < o.Links.LessonCount(); ++j) {
    const int k = o.Links.Lessons[U(j)].A;
    if (k >= static_cast<int>(klasses_.size())) continue;
    for (int h = hour; h <= last; ++h) klasses_[U(k)].Cells[D(day)][U(h - 1)] = value;
  }
}

void TWeekVarsSearch::AddLoad(const TLessonObject& o, int day, int hour, int length, int sign) {
  const int delta = sign * length;
  for (int j = 0; j < o.Links.TeacherCount(); ++j) {
    const int t = o.Links.Teachers[U(j)].A;
    if (t >= static_cast<int>(teachers_.size())) continue;
    TTeacherWeekLoad& tl = teachers_[U(t)];
    (hour > 0 ? tl.Timed : tl.DayOnly)[D(day)] += delta;
    // Only a group in no fictitious room uses the teacher's attached room.
    if (o.LinkAttached[U(j)]) tl.Attached[D(day)] += delta;
  }
  for (int j = 0; j < o.Links.LessonCount(); ++j) {
    const int k = o.Links.Lessons[U(j)].A;
    if (k >= static_cast<int>(klasses_.size())) continue;
    TKlassWeekLoad& kl = klasses_[U(k)];
    (hour > 0 ? kl.Timed : kl.DayOnly)[D(day)] += delta;
  }
  if (hour > 0) SetCells(o, day, hour, length, sign > 0 ? kCellBusy : kCellFree);
}

bool TWeekVarsSearch::DayFits(const TLessonObject& o, int day, int length) const {
  if (o.DayUsed[D(day)]) return false;
  if (teachers_[U(cur_)].Total(day) + length > members_[U(pos_)].MaxPerDay) return false;
  const TRTITeachersCollection& teachers = ctx_.Model->Teachers;
  for (int j = 0; j < o.Links.TeacherCount(); ++j) {
    const int t = o.Links.Teachers[U(j)].A;
    if (t >= static_cast<int>(teachers_.size())) continue;
    const TTeacherWeekLoad& tl = teachers_[U(t)];
    if (tl.Total(day) + length + tl.Closed[D(day)] > L_) return false;
    const TRTITeacherItem* teacher = teachers[t];
    if (!o.PartnerCheck || teacher->Partners.empty() || teacher->Partners[0] < 0) continue;
    int sum = tl.Attached[D(day)] + (o.LinkAttached[U(j)] ? length : 0);
    for (int32_t p : teacher->Partners) {
      if (p < 0) break;
      if (p < static_cast<int>(teachers_.size())) sum += teachers_[U(p)].Attached[D(day)];
    }
    if (sum > L_) return false;
  }
  for (int j = 0; j < o.Links.LessonCount(); ++j) {
    const int k = o.Links.Lessons[U(j)].A;
    if (k >= static_cast<int>(klasses_.size())) continue;
    const TKlassWeekLoad& kl = klasses_[U(k)];
    const int total = kl.Total(day) + length;
    if (total > kl.MaxPerDay) return false;
    // As for the teachers: the klass's closed hours of the day take their
    // place too, or a klass that starts late gets more than its day holds.
    if (total + kl.Closed[D(day)] > L_) return false;
    if (total == kl.MaxPerDay) {
      int atMax = 1;
      for (int d = 1; d <= 6; ++d)
        if (d != day && kl.Total(d) >= kl.MaxPerDay) ++atMax;
      if (atMax > kl.DaysAtMax) return false;
    }
  }
  return true;
}

// ---- day layouts ----

bool TWeekVarsSearch::HourFits(const TPlacementRec& r, int day, int h, const std::array<int, kDayHours + 1>& H) const {
  if (H[U(h)] != 0) return false;
  if (!r.Links) return true;
  const TLinkedLists& links = *r.Links;
  for (int j = 0; j < links.LessonCount(); ++j) {
    const TLinkEntry e = links.Lessons[U(j)];
    if (e.A >= klasses_.size()) continue;
    if (klasses_[e.A].Cells[D(day)][U(h - 1)] != kCellFree) return false;
    if (ctx_.Model->Klasses[e.A]->IsSlotClosed((day - 1) * kSlotsPerDay + h, e.B)) return false;
  }
  const TRTITeachersCollection& teachers = ctx_.Model->Teachers;
  for (int j = 0; j < links.TeacherCount(); ++j) {
    const int t = links.Teachers[U(j)].A;
    if (t >= static_cast<int>(teachers_.size())) continue;
    if (teachers_[U(t)].Cells[D(day)][U(h - 1)] != kCellFree) return false;
    if (!r.PartnerCheck) continue;
    for (int32_t p : teachers[t]->Partners) {
      if (p < 0) break;
      if (p < static_cast<int>(teachers_.size()) && teachers_[U(p)].Cells[D(day)][U(h - 1)] == kCellBusy)
        return false;
    }
  }
  return true;
}

bool TWeekVarsSearch::CheckDayLayouts(std::vector<TPlacementRec>& recs) const {
  bool anyFree = false;
  const int nrec = static_cast<int>(recs.size());
  for (int d = 1; d <= 6; ++d) {
    // H: 0 free, kFixedMark a quant with a fixed hour, else the ordinal
    // (1..n) of the quant laid out there.
    std::array<int, kDayHours + 1> H{};
    std::array<int, kDayHours + 1> fixedRec;
    fixedRec.fill(-1);
    std::vector<int> list;
    int T = 0;
    for (int i = 0; i < nrec; ++i) {
      const TPlacementRec& r = recs[U(i)];
      if (r.Day != d || r.Length <= 0) continue;
      T += r.Length;
      if (r.FixedHour > 0) {
        for (int h = r.FixedHour; h < r.FixedHour + r.Length && h <= kDayHours; ++h) {
          H[U(h)] = kFixedMark;
          fixedRec[U(h)] = i;
        }
      } else {
        list.push_back(i);
      }
    }
    const int n = static_cast<int>(list.size());
    if (n == 0) continue;
    anyFree = true;
    auto recAt = [&](int h) {
      if (H[U(h)] == kFixedMark) return fixedRec[U(h)];
      return H[U(h)] > 0 ? list[U(H[U(h)] - 1)] : -1;
    };
    std::vector<int> at(U(n), 0);
    std::array<int, kDayHours + 1> kept;
    kept.fill(-1);
    int best = 100;
    bool found = false;
    for (int s = 1; s <= kDayHours && s + T - 1 <= L_ && best > 0; ++s) {
      const int e = std::min(s + kMaxDayLayoutSpan - 1, L_);
      auto next = [&](int q) {
        const TPlacementRec& r = recs[U(list[U(q)])];
        int start = s;
        if (at[U(q)] > 0) {
          for (int h = at[U(q)]; h < at[U(q)] + r.Length; ++h) H[U(h)] = 0;
          start = at[U(q)] + 1;
        }
        for (int b = start; b <= e - r.Length + 1; ++b) {
          bool fits = true;
          for (int h = b; h < b + r.Length && fits; ++h) fits = HourFits(r, d, h, H);
          if (!fits) continue;
          for (int h = b; h < b + r.Length; ++h) H[U(h)] = q + 1;
          at[U(q)] = b;
          return true;
        }
        at[U(q)] = 0;
        return false;
      };
      int q = 0;
      for (;;) {
        if (!next(q)) {
          if (q == 0) break;
          --q;
          continue;
        }
        if (q < n - 1) {
          ++q;
          continue;
        }
        int first = kDayHours, last = 1;
        for (int h = 1; h <= kDayHours; ++h)
          if (H[U(h)] != 0) {
            first = std::min(first, h);
            last = std::max(last, h);
          }
        int windows = 0;
        for (int h = first + 1; h < last; ++h)
          if (H[U(h)] == 0) ++windows;
        bool valid = true;
        if (ctx_.UseSepQuants)
          for (int h = 1; h < kDayHours && valid; ++h) {
            const int a = recAt(h), b = recAt(h + 1);
            if (a < 0 || b < 0 || a == b) continue;
            const TPlacementRec& ra = recs[U(a)];
            const TPlacementRec& rb = recs[U(b)];
            const bool family = int64_t{ra.LessonID} == int64_t{rb.LessonID} + kSepLessonIDOffset ||
                                int64_t{rb.LessonID} == int64_t{ra.LessonID} + kSepLessonIDOffset;
            if (family && !(ra.FixedHour > 0 && rb.FixedHour > 0)) valid = false;
          }
        if (valid && windows < best) {
          best = windows;
          found = true;
          for (int h = 1; h <= kDayHours; ++h) kept[U(h)] = recAt(h);
        }
      }
    }
    if (!found) return false;
    for (int h = L_; h >= 1; --h)
      if (kept[U(h)] >= 0) recs[U(kept[U(h)])].Hour = h;
  }
  return anyFree;
}

}  // namespace korvant
