// Day norms: how many hours each klass and teacher should and may have on
// the day, from what the week still holds; and the teacher pass of the
// variant selection.
#include <algorithm>

#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"

namespace korvant {

namespace {

// a div b rounded up as the norms count it: truncating division, plus one
// when something is left over (so a negative a rounds toward zero).
int CeilDiv(int a, int b) {
  const int q = a / b;
  return a % b != 0 ? q + 1 : q;
}

// The first block of length c with no day mark gets day d.
int MarkBlock(TLessonItem& l, int c, int d) {
  for (int i = 1; i <= l.QuantsCount(); ++i)
    if (l.QuantAt(i) == c && l.QuantDays[static_cast<std::size_t>(i - 1)] == 0) {
      l.QuantDays[static_cast<std::size_t>(i - 1)] = static_cast<uint16_t>(d);
      return i;
    }
  return 0;
}

// A teacher's copy that a group link joins to a later copy of the same
// teacher: the joint lesson is counted in that later copy only.
bool JoinedToLaterCopy(const TRTILessonItem& c, int teacher, int index) {
  for (int g = 0; g < c.SubItemsCount(); ++g) {
    const TRTIGroup& rt = c.RT[static_cast<std::size_t>(g)];
    for (int i = 0; i < rt.LinksCount(); ++i) {
      const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
      if (link.Klass == teacher && link.Lesson > index) return true;
    }
  }
  return false;
}

}  // namespace

void PrepareDayNorms(TRunModel& m, const TTableVarItem& var, int day) {
  if (day < 1 || day > 6) return;
  const int L = m.L();
  TRTIKlassesCollection& klasses = m.Klasses;
  TRTITeachersCollection& teachers = m.Teachers;
  for (int t = 0; t < teachers.Count(); ++t)
    for (const auto& c : teachers[t]->Lessons) c->QuantDays.fill(0);

  for (int k = 0; k < klasses.Count(); ++k) {
    TRTIKlassItem* klass = klasses[k];
    std::array<bool, 7> used{};
    int week = 0, remaining = 0, today = 0;
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      TRTILessonItem* l = klass->Lessons[li];
      l->QuantDays.fill(0);
      for (int d = 1; d <= 6; ++d) {
        const int c = var.CountLessonInDay(k, li, d);
        if (c <= 0) continue;
        if (d == day) today += c; else used[static_cast<std::size_t>(d)] = true;
        const int q = MarkBlock(*l, c, d);
        if (q == 0) continue;
        for (int g = 0; g < l->SubItemsCount(); ++g) {
          const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
          if (TRTILessonItem* copy = m.TeacherLesson(rt.Teacher, rt.TeacherLesson))
            copy->QuantDays[static_cast<std::size_t>(q - 1)] = static_cast<uint16_t>(d);
        }
      }
      for (int i = 1; i <= l->QuantsCount(); ++i) {
        week += l->QuantAt(i);
        if (l->QuantDays[static_cast<std::size_t>(i - 1)] == 0) remaining += l->QuantAt(i);
      }
    }
    int closedFree = 0, usedDays = 0, closedToday = 0;
    for (int d = 1; d <= 6; ++d) {
      int closed = 0;
      for (int h = 1; h <= L; ++h)
        if (klass->GetBusy((d - 1) * kSlotsPerDay + h) != 0) ++closed;
      if (d == day) closedToday = closed;
      if (used[static_cast<std::size_t>(d)]) ++usedDays; else closedFree += closed;
    }
    klass->WeekHours = week;
    klass->RemainingHours = remaining;
    klass->TodayHours = today;
    klass->ClosedHoursToday = closedToday;
    const int R = remaining + today + closedFree;
    const int W = 1 + usedDays;
    klass->WorkDays = W;
    int perDay = CeilDiv(R - 2 * (6 - W), std::max(1, 7 - W));
    perDay = std::min(std::max(perDay, static_cast<int>(m.Params.ClassMinLessons)), L);
    klass->DayAvg = perDay;
    klass->DayMax = std::min(perDay + 2 + closedToday, L);
    klass->DayMinLeft = std::max(0, klass->DayAvg - closedToday);
    klass->DayMaxLeft = std::max(0, klass->DayMax - closedToday);
  }

  // Teachers: each with its own working days.
  for (int t = 0; t < teachers.Count(); ++t) {
    TRTITeacherItem* teacher = teachers[t];
    std::array<bool, 7> used{};
    int week = 0, remaining = 0, today = 0;
    for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
      const TRTILessonItem* c = teacher->Lessons[ci];
      if (JoinedToLaterCopy(*c, t, ci)) continue;
      for (int i = 1; i <= c->QuantsCount(); ++i) {
        const int mark = c->QuantDays[static_cast<std::size_t>(i - 1)];
        week += c->QuantAt(i);
        if (mark == 0) remaining += c->QuantAt(i);
        else if (mark == day) today += c->QuantAt(i);
        else if (mark >= 1 && mark <= 6) used[static_cast<std::size_t>(mark)] = true;
      }
    }
    teacher->WeekHours = week;
    teacher->RemainingHours = remaining;
    teacher->TodayHours = today;
    int usedDays = 0;
    std::array<int, 7> closed{};
    int closedToday = 0;
    for (int d = 1; d <= 6; ++d) {
      if (used[static_cast<std::size_t>(d)]) {
        ++usedDays;
        continue;
      }
      for (int h = 1; h <= L; ++h)
        if (TeacherHourClosed(teacher->GetBusy((d - 1) * kSlotsPerDay + h), m.TeachersWills))
          ++closed[static_cast<std::size_t>(d)];
    }
    for (int h = 1; h <= kMaxLessonsPerDay; ++h) {
      const bool shut = h <= L && TeacherHourClosed(teacher->GetBusy((day - 1) * kSlotsPerDay + h), m.TeachersWills);
      teacher->HourMarks[static_cast<std::size_t>(h)] = shut ? kHourClosed : -1;
      if (shut) ++closedToday;
    }
    teacher->ClosedHoursToday = closedToday;
    const int W = 1 + usedDays;
    teacher->WorkDays = W;
    const int F = WantedFreeDays(*teacher) - teacher->FreeDays;
    teacher->ClosedDays = 0;
    for (int n = 0; n < F; ++n) {
      int best = 1;
      for (int d = 2; d <= 6; ++d)
        if (closed[static_cast<std::size_t>(d)] > closed[static_cast<std::size_t>(best)]) best = d;
      if (closed[static_cast<std::size_t>(best)] == L) ++teacher->ClosedDays;
      closed[static_cast<std::size_t>(best)] = 0;
    }
    int R = remaining + today;
    for (int d = 1; d <= 6; ++d) R += closed[static_cast<std::size_t>(d)];
    const int FW = std::max(0, F) + W;
    int perDay = std::min(CeilDiv(R - 2 * (6 - FW), std::max(1, 7 - FW)), L);
    int dayMax = perDay + 4 < 7 ? perDay + 4 : (perDay + 2 > 6 ? perDay + 2 : 6);
    dayMax = std::min(dayMax + closedToday, L);
    teacher->DayAvg = perDay;
    teacher->DayMax = dayMax;
    teacher->DayMinLeft = std::max(0, perDay - closedToday);
    teacher->DayMaxLeft = std::max(0, dayMax - closedToday);
  }

  // Teachers sharing a room: together they must be able to give what the
  // group owes the day.
  for (int t = 0; t < teachers.Count(); ++t) {
    TRTITeacherItem* teacher = teachers[t];
    if (teacher->Partners.empty() || teacher->Partners[0] < 0) continue;
    bool highest = true;
    for (int32_t p : teacher->Partners) {
      if (p < 0) break;
      if (p > t) highest = false;
    }
    if (!highest) continue;
    auto isPartner = [&](int o) {
      for (int32_t p : teacher->Partners) {
        if (p < 0) break;
        if (p == o) return true;
      }
      return false;
    };
    int R = 0;
    for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
      const TRTILessonItem* c = teacher->Lessons[ci];
      bool shared = false;
      for (int g = 0; g < c->SubItemsCount(); ++g)
        if (isPartner(c->GetSubItem(g)->TeacherID)) shared = true;
      if (shared) continue;
      for (int i = 1; i <= c->QuantsCount(); ++i) {
        const int mark = c->QuantDays[static_cast<std::size_t>(i - 1)];
        if (mark == 0 || mark == day) R += c->QuantAt(i);
      }
    }
    int S = teacher->DayMinLeft;
    for (int32_t p : teacher->Partners) {
      if (p < 0) break;
      R += teachers[p]->RemainingHours + teachers[p]->TodayHours;
      S += teachers[p]->DayMinLeft;
    }
    const int W = teacher->WorkDays;
    const int perDay = CeilDiv(R - 2 * (6 - W), std::max(1, 7 - W));
    while (S < perDay) {
      bool raised = false;
      auto raise = [&](TRTITeacherItem* x) {
        if (S >= perDay || x->DayMaxLeft == 0 || x->DayMinLeft + x->ClosedHoursToday >= L) return;
        ++x->DayMinLeft;
        if (x->DayMaxLeft + x->ClosedHoursToday < L) ++x->DayMaxLeft;
        ++S;
        raised = true;
      };
      for (int32_t p : teacher->Partners) {
        if (p < 0) break;
        raise(teachers[p]);
      }
      raise(teacher);
      if (!raised) break;
    }
  }

  for (int k = 0; k < klasses.Count(); ++k)
    klasses[k]->DayDifficultyTarget = klasses[k]->WeekDifficulty * DayWeights[static_cast<std::size_t>(day - 1)];
}

int TDayPlanner::SelectDayLessons(int teacherIndex) {
  TRTITeacherItem* teacher = m_.Teachers[teacherIndex];
  if (!teacher) return 0;
  TRTIKlassesCollection& klasses = m_.Klasses;
  const int W = teacher->WorkDays;
  int kind = 0;
  int conflictKlass = -1;
  auto klassLesson = [&](const TRTILessonItem* c) {
    return m_.KlassLesson(c->RT[0].Klass, c->RT[0].KlassLesson);
  };
  if (teacher->DayMaxLeft > 0) {
    int avail = 0;
    for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
      const TRTILessonItem* c = teacher->Lessons[ci];
      if (c->SubItemsCount() == 0 || JoinedToLaterCopy(*c, teacherIndex, ci)) continue;
      const TRTILessonItem* kl = klassLesson(c);
      if (kl && !kl->IsFixed) avail += c->MaxFreeQuant(day_);
    }
    if (avail == 0) {
      if (teacher->FreeDays + teacher->ClosedDays == WantedFreeDays(*teacher)) {
        Tell(10148, {teacher->DisplayName()});
        return -1;
      }
      return 0;
    }
    const int critical = 7 - W + teacher->FreeDays - WantedFreeDays(*teacher);
    for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
      const TRTILessonItem* c = teacher->Lessons[ci];
      if (c->SubItemsCount() == 0 || c->FreeQuantsCount < critical) continue;
      TLinkedLists lists;
      klasses.CollectLinkedLessons(c->RT[0].Klass, c->RT[0].KlassLesson, lists);
      for (int i = 0; i < lists.LessonCount(); ++i)
        if (TRTILessonItem* l = m_.KlassLesson(lists.Lessons[static_cast<std::size_t>(i)].A,
                                               lists.Lessons[static_cast<std::size_t>(i)].B))
          l->SelectedToday = 1;
      for (int i = 0; i < lists.TeacherCount(); ++i) {
        const TLinkEntry e = lists.Teachers[static_cast<std::size_t>(i)];
        const TRTITeacherItem* o = m_.Teachers[e.A];
        if (!o) continue;
        // Every copy of the joint lesson held by that teacher.
        for (const auto& oc : o->Lessons) {
          auto* rc = static_cast<TRTILessonItem*>(oc.get());
          for (int j = 0; j < lists.LessonCount(); ++j)
            if (rc->RT[0].Klass == lists.Lessons[static_cast<std::size_t>(j)].A &&
                rc->RT[0].KlassLesson == lists.Lessons[static_cast<std::size_t>(j)].B)
              rc->SelectedToday = 1;
        }
      }
    }
    if (teacher->DayMinLeft <= avail) {
      for (const auto& cp : teacher->Lessons) {
        const auto* c = static_cast<const TRTILessonItem*>(cp.get());
        const TRTILessonItem* kl = c->SubItemsCount() ? klassLesson(c) : nullptr;
        if (c->SelectedToday && kl && kl->IsFixed) {
          kind = 2;
          conflictKlass = c->RT[0].Klass;
          break;
        }
      }
      if (kind == 0) return 0;
    } else {
      kind = 1;
    }
  } else {
    bool all = true;
    for (const auto& c : teacher->Lessons)
      if (!c->IsFixed) all = false;
    if (all) return 0;
    kind = 1;
  }
  if (teacher->FreeDays + teacher->ClosedDays >= WantedFreeDays(*teacher) && teacher->DayMaxLeft > 0) {
    if (kind == 1) {
      Tell(10149, {teacher->DisplayName()});
    } else {
      const TRTIKlassItem* k = klasses[conflictKlass];
      Tell(10150, {teacher->DisplayName(), k ? k->DisplayName() : std::string()});
    }
    return -1;
  }
  // Today becomes a free day of the teacher.
  for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
    const TRTILessonItem* c = teacher->Lessons[ci];
    if (c->SubItemsCount() == 0) continue;
    TLinkedLists lists;
    klasses.CollectLinkedLessons(c->RT[0].Klass, c->RT[0].KlassLesson, lists);
    for (int i = 0; i < lists.LessonCount(); ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      if (TRTIKlassItem* k = klasses[e.A]) {
        k->SetLessonDayCount(e.B, 0);
        if (TRTILessonItem* l = k->Lessons[e.B]) l->SelectedToday = 0;
      }
    }
    for (int i = 0; i < lists.TeacherCount(); ++i) {
      const TLinkEntry e = lists.Teachers[static_cast<std::size_t>(i)];
      if (TRTITeacherItem* o = m_.Teachers[e.A]) {
        o->SetLessonDayCount(m_.Teachers, e.B, 0);
        if (TRTILessonItem* oc = o->Lessons[e.B]) oc->SelectedToday = 0;
      }
    }
  }
  // The teacher's own copies too (a copy of a cut linked set may be missing).
  for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
    teacher->SetLessonDayCount(m_.Teachers, ci, 0);
    teacher->Lessons[ci]->SelectedToday = 0;
  }
  teacher->DayMinLeft = 0;
  return 1;
}

}  // namespace korvant
