#include "core/variant/rti_model.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "core/common/disjoint_sets.h"
#include "core/project/project_data.h"
#include "core/variant/table_var.h"

namespace korvant {

// ---- groups and lessons ----

int TRTIGroup::LinksCount() const {
  int n = 0;
  while (n < kMaxGroupLinks && Links[static_cast<std::size_t>(n)].Klass >= 0) ++n;
  return n;
}

void TRTIGroup::AddLink(const TParallelLesson& link) {
  const int n = LinksCount();
  if (n < kMaxGroupLinks) Links[static_cast<std::size_t>(n)] = link;
}

bool TRTILessonItem::HasLink() const {
  for (int g = 0; g < SubItemsCount(); ++g)
    if (RT[static_cast<std::size_t>(g)].LinksCount() > 0) return true;
  return false;
}

int TRTILessonItem::GroupOfTeacher(int teacher) const {
  if (teacher < 0) return -1;
  for (int g = 0; g < SubItemsCount(); ++g)
    if (GetSubItem(g)->TeacherID == teacher) return g;
  return -1;
}

bool TLinkedLists::LowestKlass(int klass) const {
  for (int i = 0; i < LessonCount(); ++i)
    if (Lessons[static_cast<std::size_t>(i)].A < klass) return false;
  return true;
}

int TLinkedLists::LessonCount() const {
  int n = 0;
  while (n < kMaxLinked && Lessons[static_cast<std::size_t>(n)].A != kListEnd) ++n;
  return n;
}

int TLinkedLists::TeacherCount() const {
  int n = 0;
  while (n < kMaxLinked && Teachers[static_cast<std::size_t>(n)].A != kListEnd) ++n;
  return n;
}

// ---- klasses ----

void TRTIKlassItem::BuildLessons(const TLessonsCollection& project) {
  Lessons.Clear();
  int32_t largest = -1;
  for (const auto& src : project) {
    if (src->KlassID != ID()) continue;
    TRTILessonItem* l = static_cast<TRTILessonItem*>(Lessons.Add());
    l->SetID(src->ID());
    l->Assign(*src);
    l->HasTeacherlessGroup = HasGroupWithoutTeacher(*l) ? 1 : 0;
    largest = std::max(largest, l->ID());
    if (src->GetQuant(kQuantWords) == 0) continue;
    const int64_t sepID = int64_t{src->ID()} + kSepLessonIDOffset;
    if (sepID >= INT32_MAX) continue;  // cannot be named; planned with its parent
    std::vector<uint16_t> sep;
    for (int i = kQuantWords; i >= 1 && src->GetQuant(i) != 0; --i) sep.push_back(src->GetQuant(i));
    TRTILessonItem* s = static_cast<TRTILessonItem*>(Lessons.Add());
    s->SetID(static_cast<int32_t>(sepID));
    s->Assign(*src);
    s->SeparatedPart = 1;
    s->HasTeacherlessGroup = l->HasTeacherlessGroup;
    for (int i = 1; i <= kQuantWords; ++i) s->SetQuant(i, 0);
    for (std::size_t i = 0; i < sep.size(); ++i) {
      s->SetQuant(static_cast<int>(i) + 1, sep[i]);
      l->ChangeQuant(-1, sep[i]);
    }
    largest = std::max(largest, s->ID());
  }
  Lessons.SetNextID(largest + 1);
}

void TRTIKlassItem::ResetDay(bool clearMarks) {
  for (const auto& p : Lessons) {
    auto* l = static_cast<TRTILessonItem*>(p.get());
    l->IsFixed = 0;
    l->FixedLength = 0;
    l->InGroup = 0;
    l->StartHour = 0;
    // A start left from another day would pin the lesson in the searches.
    l->FixedStart = 0;
    l->SelectedToday = 0;
    l->ResetQuantCursor();
    if (clearMarks) l->QuantDays.fill(0);
  }
  QuantSum = 0;
  HoursToday = 0;
}

void TRTIKlassItem::SetLessonDayCount(int lesson, int hours) {
  TRTILessonItem* l = Lessons.GetItem(lesson);
  if (!l) return;
  if (l->IsFixed && l->FixedLength == hours) return;
  HoursToday += hours - (l->IsFixed ? l->FixedLength : 0);
  l->IsFixed = 1;
  l->FixedLength = static_cast<uint16_t>(hours);
}

bool TRTIKlassItem::IsSlotClosed(int slot, int lesson) const {
  if (GetBusy(slot) != 0) return true;
  const TRTILessonItem* l = Lessons.GetItem(lesson);
  return l && l->GetBusy(slot) != 0;
}

void TRTIKlassItem::CountDayClosedSlots(int lessonsPerDay) {
  for (int d = 1; d <= 6; ++d) {
    uint16_t n = 0;
    for (int h = 1; h <= lessonsPerDay; ++h)
      if (GetBusy((d - 1) * kSlotsPerDay + h) != 0) ++n;
    DayClosedHours[static_cast<std::size_t>(d - 1)] = n;
  }
}

void TRTIKlassesCollection::Assign(const TKlassesCollection& src) {
  Clear();
  for (const auto& k : src) {
    TKlassItem* item = Add();
    item->SetID(k->ID());
    item->Assign(*k);
  }
  SetNextID(src.NextID());
}

void TRTIKlassesCollection::BuildLessons(const TLessonsCollection& project) {
  for (int k = 0; k < Count(); ++k) GetItem(k)->BuildLessons(project);
}

namespace {

bool SameBlocks(const TLessonItem& a, const TLessonItem& b) {
  const int n = a.QuantsCount();
  if (n != b.QuantsCount()) return false;
  for (int i = 1; i <= n; ++i)
    if (a.QuantAt(i) != b.QuantAt(i)) return false;
  return true;
}

int MatchingGroup(const TLessonItem& m, const TLessonSubItem& g) {
  for (int j = 0; j < m.SubItemsCount(); ++j) {
    const TLessonSubItem* h = m.GetSubItem(j);
    if (h->SubjectID == g.SubjectID && h->TeacherID == g.TeacherID) return j;
  }
  return -1;
}

}  // namespace

void TRTIKlassesCollection::LinkLessons() {
  for (int k = 0; k < Count(); ++k) {
    TRTIKlassItem* klass = GetItem(k);
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      TRTILessonItem* l = klass->Lessons[li];
      const bool separated = l->SeparatedPart != 0;
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        rt.Links = {};
        const TLessonSubItem* grp = l->GetSubItem(g);
        for (int i = 1; i <= grp->LinksCount(); ++i) {
          const TLessonLink link = grp->GetLink(i);
          const int64_t want = int64_t{link.LessonID} + (separated ? kSepLessonIDOffset : 0);
          if (want >= INT32_MAX) continue;
          for (int kk = 0; kk < Count(); ++kk) {
            if (kk == k) continue;
            // A lesson of the project whose identifier a separated part
            // also takes: each links to its own kind.
            const TRTILessonsCollection& others = GetItem(kk)->Lessons;
            int idx = -1;
            for (int j = 0; j < others.Count() && idx < 0; ++j)
              if (others[j]->ID() == want && (others[j]->SeparatedPart != 0) == separated) idx = j;
            if (idx < 0) continue;
            // A link to a group the lesson no longer has cannot be planned.
            if (link.GroupIndex >= 0 && link.GroupIndex < GetItem(kk)->Lessons[idx]->SubItemsCount())
              rt.AddLink({kk, static_cast<uint16_t>(idx), static_cast<uint16_t>(link.GroupIndex)});
            break;
          }
        }
      }
      l->ParallelLessons = {};
      l->ParallelCount = 0;
    }
    // Parallel klasses: the same lesson taught in step.
    for (int p = 1; p <= kMaxParallels; ++p) {
      const int32_t pid = klass->GetParallel(p);
      if (pid < 0) break;
      const int kp = IndexOfID(pid);
      if (kp < 0 || kp == k) continue;
      const TRTIKlassItem* other = GetItem(kp);
      for (int li = 0; li < klass->Lessons.Count(); ++li) {
        TRTILessonItem* l = klass->Lessons[li];
        if (l->SubItemsCount() == 0) continue;
        for (int mi = 0; mi < other->Lessons.Count() && l->ParallelCount < 10; ++mi) {
          const TRTILessonItem* m = other->Lessons[mi];
          if (m->SubItemsCount() != l->SubItemsCount() || !SameBlocks(*l, *m)) continue;
          bool all = true;
          for (int g = 0; g < l->SubItemsCount() && all; ++g)
            all = MatchingGroup(*m, *l->GetSubItem(g)) >= 0;
          if (!all) continue;
          const int mg = MatchingGroup(*m, *l->GetSubItem(0));
          l->ParallelLessons[static_cast<std::size_t>(l->ParallelCount++)] =
              {kp, static_cast<uint16_t>(mi), static_cast<uint16_t>(mg)};
        }
      }
    }
  }
  KeepPlannableLinks();
}

// A joint lesson stands at one hour in every klass it takes in, so its
// links must be answered from the other side, and a klass's hour holds one
// lesson. Links are joined klass by klass, each klass's lessons in the
// project's order; one the other lesson does not return, or one that would
// bring a second lesson of a klass into a joint lesson (through any group,
// along any chain), is not planned, as a link within one klass is not. The
// data check names such lessons. So every lesson of a joint lesson
// collects the same set, and placing one never writes another lesson of
// its klass over it, nor one twice.
void TRTIKlassesCollection::KeepPlannableLinks() {
  std::vector<int> first(static_cast<std::size_t>(Count()) + 1, 0);
  for (int k = 0; k < Count(); ++k)
    first[static_cast<std::size_t>(k) + 1] = first[static_cast<std::size_t>(k)] + GetItem(k)->Lessons.Count();
  const auto node = [&](int k, int li) { return static_cast<std::size_t>(first[static_cast<std::size_t>(k)] + li); };
  const auto linksBack = [&](const TParallelLesson& to, int k, int li) {
    const TRTILessonItem* other = GetItem(to.Klass)->Lessons[to.Lesson];
    for (int g = 0; g < other->SubItemsCount(); ++g)
      for (const TParallelLesson& back : other->RT[static_cast<std::size_t>(g)].Links)
        if (back.Klass == k && back.Lesson == li) return true;
    return false;
  };
  // Joint lessons so far and, per set, its klasses.
  TDisjointSets sets(node(Count(), 0));
  std::vector<std::vector<int>> klassesOf(node(Count(), 0));
  for (int k = 0; k < Count(); ++k)
    for (int li = 0; li < GetItem(k)->Lessons.Count(); ++li) klassesOf[node(k, li)] = {k};
  for (int k = 0; k < Count(); ++k)
    for (int li = 0; li < GetItem(k)->Lessons.Count(); ++li) {
      TRTILessonItem* l = GetItem(k)->Lessons[li];
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        for (const TParallelLesson& link : rt.Links) {
          if (link.Klass < 0) break;
          std::size_t a = sets.Find(node(k, li)), b = sets.Find(node(link.Klass, link.Lesson));
          if (a == b || !linksBack(link, k, li)) continue;
          std::vector<int> both;
          std::set_union(klassesOf[a].begin(), klassesOf[a].end(), klassesOf[b].begin(), klassesOf[b].end(),
                         std::back_inserter(both));
          if (both.size() < klassesOf[a].size() + klassesOf[b].size()) continue;  // a klass twice
          if (klassesOf[a].size() < klassesOf[b].size()) std::swap(a, b);
          sets.Join(a, b);
          klassesOf[a] = std::move(both);
          klassesOf[b].clear();
        }
      }
    }
  // A link stays when its two lessons were joined.
  for (int k = 0; k < Count(); ++k)
    for (int li = 0; li < GetItem(k)->Lessons.Count(); ++li) {
      TRTILessonItem* l = GetItem(k)->Lessons[li];
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        const std::array<TParallelLesson, kMaxGroupLinks> links = rt.Links;
        rt.Links = {};
        for (const TParallelLesson& link : links)
          if (link.Klass >= 0 && sets.Find(node(k, li)) == sets.Find(node(link.Klass, link.Lesson))) rt.AddLink(link);
      }
    }
}

void TRTIKlassesCollection::PrepareLessons() {
  if (!model_) return;
  const TSubjectsCollection& subjects = model_->Subjects;
  const TRTITeachersCollection& teachers = model_->Teachers;
  for (int k = 0; k < Count(); ++k) {
    TRTIKlassItem* klass = GetItem(k);
    double difficulty = 0;
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      TRTILessonItem* l = klass->Lessons[li];
      l->KlassID = k;
      bool teacherless = false;
      double kf = 0;
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        TLessonSubItem* grp = l->GetSubItem(g);
        grp->SubjectID = grp->SubjectID < 0 ? -1 : subjects.IndexOfID(grp->SubjectID);
        grp->TeacherID = grp->TeacherID < 0 ? -1 : teachers.IndexOfID(grp->TeacherID);
        if (grp->TeacherID < 0) teacherless = true;
        if (const TSubjectItem* s = subjects.GetItem(grp->SubjectID)) kf += s->SanitarKf;
      }
      l->HasTeacherlessGroup = teacherless ? 1 : 0;
      if (l->SubItemsCount() > 0) difficulty += l->QuantsSum() * (kf / l->SubItemsCount());
    }
    klass->WeekDifficulty = difficulty;
  }
}

void TRTIKlassesCollection::ResetDay(bool clearMarks) {
  for (int k = 0; k < Count(); ++k) GetItem(k)->ResetDay(clearMarks);
}

void TRTIKlassesCollection::CountDayClosedSlots() {
  const int L = model_ ? model_->L() : kMaxLessonsPerDay;
  for (int k = 0; k < Count(); ++k) GetItem(k)->CountDayClosedSlots(L);
}

bool TRTIKlassesCollection::CollectInto(int klass, int lesson, TLinkedLists& lists, int& nLessons,
                                        int& nTeachers) const {
  const TRTIKlassItem* k = GetItem(klass);
  const TRTILessonItem* l = k ? k->Lessons[lesson] : nullptr;
  if (!l) return true;
  for (int i = 0; i < nLessons; ++i)
    if (lists.Lessons[static_cast<std::size_t>(i)].A == klass) return true;
  if (nLessons >= kMaxLinked) return false;
  lists.Lessons[static_cast<std::size_t>(nLessons++)] = {static_cast<uint16_t>(klass), static_cast<uint16_t>(lesson)};
  bool ok = true;
  for (int g = 0; g < l->SubItemsCount(); ++g) {
    const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
    if (rt.Teacher < 0 || rt.TeacherLesson < 0) continue;
    // A joint lesson gives its teacher one copy per klass; the list names
    // the teacher once, with the lowest copy.
    int found = -1;
    for (int i = 0; i < nTeachers; ++i)
      if (lists.Teachers[static_cast<std::size_t>(i)].A == rt.Teacher) found = i;
    if (found >= 0) {
      auto& e = lists.Teachers[static_cast<std::size_t>(found)];
      e.B = std::min<uint16_t>(e.B, static_cast<uint16_t>(rt.TeacherLesson));
    } else if (nTeachers < kMaxLinked) {
      lists.Teachers[static_cast<std::size_t>(nTeachers++)] =
          {static_cast<uint16_t>(rt.Teacher), static_cast<uint16_t>(rt.TeacherLesson)};
    } else {
      ok = false;
    }
  }
  for (int g = 0; g < l->SubItemsCount(); ++g) {
    const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
    for (int i = 0; i < rt.LinksCount(); ++i) {
      const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
      if (!CollectInto(link.Klass, link.Lesson, lists, nLessons, nTeachers)) ok = false;
    }
  }
  return ok;
}

bool TRTIKlassesCollection::CollectLinkedLessons(int klass, int lesson, TLinkedLists& lists) const {
  lists.Clear();
  int nl = 0, nt = 0;
  return CollectInto(klass, lesson, lists, nl, nt);
}

void TRTIKlassesCollection::FixLesson(int klass, int lesson, int hours) {
  TRTIKlassItem* k = GetItem(klass);
  TRTILessonItem* l = k ? k->Lessons[lesson] : nullptr;
  if (!l || l->IsFixed || !model_) return;
  TRTITeachersCollection& teachers = model_->Teachers;
  TLinkedLists lists;
  CollectLinkedLessons(klass, lesson, lists);
  for (int g = 0; g < l->SubItemsCount(); ++g) {
    const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
    if (TRTITeacherItem* t = teachers[rt.Teacher]) t->SetLessonDayCount(teachers, rt.TeacherLesson, hours);
  }
  const int nt = lists.TeacherCount();
  // A lesson without any teacher has no teacher outside the group: the
  // group's runs place it (else it would stay in the draft for good).
  bool any = nt == 0, all = true;
  for (int i = 0; i < nt; ++i) {
    const bool in = teachers.InGroupRow(lists.Teachers[static_cast<std::size_t>(i)].A, model_->CurGroup);
    any = any || in;
    all = all && in;
  }
  if (any) l->InGroup = 1;
  if (l->StartHour <= 0 || (model_->ReplanGroupLessons == 1 && all)) {
    l->IsFixed = 0;
    l->StartHour = 0;
  } else {
    l->IsFixed = 1;
    l->FixedLength = static_cast<uint16_t>(hours);
    k->HoursToday += hours;
    l->FixedStart = l->StartHour;
    k->QuantSum -= l->CurrentQuant();
    l->ResetQuantCursor();
  }
  for (int i = 1; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    TRTIKlassItem* ok = GetItem(e.A);
    if (!ok) continue;
    ok->SetLessonDayCount(e.B, hours);
    if (TRTILessonItem* ol = ok->Lessons[e.B]) ol->StartHour = ol->FixedStart = l->StartHour;
  }
  for (int i = 0; i < nt; ++i) {
    const TLinkEntry e = lists.Teachers[static_cast<std::size_t>(i)];
    if (TRTITeacherItem* t = teachers[e.A]) t->SetLessonDayCount(teachers, e.B, hours);
  }
}

// ---- teachers ----

void TRTITeacherItem::SetLessonDayCount(TRTITeachersCollection& teachers, int copy, int hours) {
  TRTILessonItem* l = Lessons.GetItem(copy);
  if (!l) return;
  if (l->IsFixed && l->FixedLength == hours) return;
  HoursToday += hours - (l->IsFixed ? l->FixedLength : 0);
  l->IsFixed = 1;
  l->FixedLength = static_cast<uint16_t>(hours);
  for (int g = 0; g < l->SubItemsCount(); ++g) {
    const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
    for (int i = 0; i < rt.LinksCount(); ++i) {
      const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
      TRTITeacherItem* other = teachers[link.Klass];
      if (!other || other == this) continue;
      if (TRTILessonItem* oc = other->Lessons[link.Lesson]) {
        oc->IsFixed = 1;
        oc->FixedLength = static_cast<uint16_t>(hours);
      }
    }
  }
}

void TRTITeacherItem::ResetDay() {
  for (const auto& p : Lessons) {
    p->IsFixed = 0;
    p->FixedLength = 0;
    p->InGroup = 0;
    p->SelectedToday = 0;
    p->ResetQuantChoice();
    p->CountFreeQuants();
  }
  LessonsToday = 0;
  HoursToday = 0;
  for (auto& m : HourMarks)
    if (m != kHourClosed) m = -1;
}

int TRTITeacherItem::GetMaxQuant() const {
  int best = 0;
  for (const auto& p : Lessons)
    for (int i = 1; i <= p->QuantsCount(); ++i) best = std::max(best, p->QuantAt(i));
  return best;
}

bool TRTITeacherItem::PartnersFree(const TRTITeachersCollection& teachers, int hour, bool high) const {
  if (hour < 1 || hour > kMaxLessonsPerDay) return true;
  for (int32_t p : Partners) {
    if (p < 0) break;
    const TRTITeacherItem* t = teachers[p];
    if (!t) continue;
    const int32_t m = t->HourMarks[static_cast<std::size_t>(hour)];
    if (m != kHourClosed && m >= (high ? 1000 : 0)) return false;
  }
  return true;
}

void TRTITeacherItem::CountDayWishes(int lessonsPerDay, int teachersWills) {
  for (int d = 1; d <= 6; ++d) {
    TDayWishCount c;
    for (int h = 1; h <= lessonsPerDay; ++h) {
      const TTeacherHourCell cell = GetBusy((d - 1) * kSlotsPerDay + h);
      if (!TeacherHourClosed(cell, teachersWills)) continue;
      if (cell.Level == 0) ++c.Closed; else ++c.Undesired;
    }
    DayWishCounts[static_cast<std::size_t>(d - 1)] = c;
  }
}

void TRTITeachersCollection::Assign(const TTeachersCollection& src) {
  Clear();
  for (const auto& t : src) {
    TTeacherItem* item = Add();
    item->SetID(t->ID());
    item->Assign(*t);
  }
  SetNextID(src.NextID());
}

void TRTITeachersCollection::BuildLessons() {
  if (!model_) return;
  TRTIKlassesCollection& klasses = model_->Klasses;
  const int n = Count();
  for (int t = 0; t < n; ++t) {
    TRTITeacherItem* teacher = GetItem(t);
    teacher->Lessons.Clear();
    int32_t largest = -1;
    for (int k = 0; k < klasses.Count(); ++k) {
      TRTIKlassItem* klass = klasses[k];
      for (int li = 0; li < klass->Lessons.Count(); ++li) {
        TRTILessonItem* l = klass->Lessons[li];
        if (l->GroupOfTeacher(t) < 0) continue;
        const int ci = teacher->Lessons.IndexOf(teacher->Lessons.Add());
        TRTILessonItem* c = teacher->Lessons[ci];
        c->SetID(l->ID());
        c->Assign(*l);
        c->ParallelLessons = l->ParallelLessons;
        c->ParallelCount = l->ParallelCount;
        c->SeparatedPart = l->SeparatedPart;
        for (int g = 0; g < c->SubItemsCount(); ++g) {
          TRTIGroup& rt = c->RT[static_cast<std::size_t>(g)];
          rt.Klass = k;
          rt.KlassLesson = li;
          rt.KlassGroup = g;
        }
        for (int g = 0; g < l->SubItemsCount(); ++g) {
          if (l->GetSubItem(g)->TeacherID != t) continue;
          TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
          rt.Teacher = t;
          rt.TeacherLesson = ci;
          if (rt.LinksCount() > 0) klass->HasLinked = 1;
        }
        largest = std::max(largest, c->ID());
      }
    }
    teacher->Lessons.SetNextID(largest + 1);
  }
  // Links and parallels of the copies as references to teachers' copies.
  for (int t = 0; t < n; ++t) {
    TRTITeacherItem* teacher = GetItem(t);
    for (int ci = 0; ci < teacher->Lessons.Count(); ++ci) {
      TRTILessonItem* c = teacher->Lessons[ci];
      for (int g = 0; g < c->SubItemsCount(); ++g) {
        TRTIGroup& rt = c->RT[static_cast<std::size_t>(g)];
        rt.Links = {};
        const TRTILessonItem* src = model_->KlassLesson(rt.Klass, rt.KlassLesson);
        if (!src) continue;
        const TRTIGroup& srt = src->RT[static_cast<std::size_t>(g)];
        for (int i = 0; i < srt.LinksCount(); ++i) {
          const TParallelLesson& link = srt.Links[static_cast<std::size_t>(i)];
          const TRTILessonItem* target = model_->KlassLesson(link.Klass, link.Lesson);
          if (!target || link.Group >= target->SubItemsCount()) continue;
          const TRTIGroup& trt = target->RT[link.Group];
          if (trt.Teacher < 0 || trt.TeacherLesson < 0) continue;
          rt.AddLink({trt.Teacher, static_cast<uint16_t>(trt.TeacherLesson), link.Group});
        }
      }
      int kept = 0;
      std::array<TParallelLesson, 10> par{};
      for (int i = 0; i < c->ParallelCount && i < 10; ++i) {
        const TParallelLesson& p = c->ParallelLessons[static_cast<std::size_t>(i)];
        const TRTILessonItem* target = model_->KlassLesson(p.Klass, p.Lesson);
        if (!target) continue;
        int g = p.Group < target->SubItemsCount() && target->RT[p.Group].Teacher == t ? p.Group
                                                                                      : target->GroupOfTeacher(t);
        if (g < 0) continue;
        const int32_t copy = target->RT[static_cast<std::size_t>(g)].TeacherLesson;
        if (copy < 0) continue;
        par[static_cast<std::size_t>(kept++)] = {t, static_cast<uint16_t>(copy), static_cast<uint16_t>(g)};
      }
      c->ParallelLessons = par;
      c->ParallelCount = kept;
    }
  }
  for (int t = 0; t < n; ++t) FillPartners(t);
}

void TRTITeachersCollection::FillPartners(int t) {
  TRTITeacherItem* teacher = GetItem(t);
  teacher->PartnersSize = Count();
  teacher->Partners.assign(static_cast<std::size_t>(Count()) + 1, -1);
  if (teacher->TeacherRoom < 0) return;
  std::size_t n = 0;
  for (int o = 0; o < Count(); ++o)
    if (o != t && GetItem(o)->TeacherRoom == teacher->TeacherRoom) teacher->Partners[n++] = o;
}

void TRTITeachersCollection::PrepareDaySlots(int day) {
  if (!model_ || day < 1 || day > 6) return;
  const int L = model_->L();
  for (int t = 0; t < Count(); ++t) {
    TRTITeacherItem* teacher = GetItem(t);
    int closed = 0;
    for (int h = 1; h <= kMaxLessonsPerDay; ++h) {
      int32_t& m = teacher->HourMarks[static_cast<std::size_t>(h)];
      m = -1;
      if (h <= L && TeacherHourClosed(teacher->GetBusy((day - 1) * kSlotsPerDay + h), model_->TeachersWills)) {
        m = kHourClosed;
        ++closed;
      }
    }
    teacher->ClosedHoursToday = closed;
  }
  TRTIKlassesCollection& klasses = model_->Klasses;
  for (int k = 0; k < klasses.Count(); ++k) {
    int closed = 0;
    for (int h = 1; h <= L; ++h)
      if (klasses[k]->GetBusy((day - 1) * kSlotsPerDay + h) != 0) ++closed;
    klasses[k]->ClosedHoursToday = closed;
  }
}

void TRTITeachersCollection::CountDayWishes() {
  if (!model_) return;
  for (int t = 0; t < Count(); ++t) GetItem(t)->CountDayWishes(model_->L(), model_->TeachersWills);
}

void TRTITeachersCollection::ResetDay() {
  for (int t = 0; t < Count(); ++t) GetItem(t)->ResetDay();
}

void TRTITeachersCollection::CollectLinked(int t, std::vector<int32_t>& row, std::vector<uint8_t>& seen) const {
  if (seen[static_cast<std::size_t>(t)]) return;
  seen[static_cast<std::size_t>(t)] = 1;
  row.push_back(t);
  const TRTITeacherItem* teacher = GetItem(t);
  for (const auto& c : teacher->Lessons) {
    if (c->SubItemsCount() < 2) continue;
    for (int g = 0; g < c->SubItemsCount(); ++g) {
      const int o = c->GetSubItem(g)->TeacherID;
      if (o >= 0 && o < Count() && o != t) CollectLinked(o, row, seen);
    }
  }
  for (int32_t p : teacher->Partners) {
    if (p < 0) break;
    if (p < Count()) CollectLinked(p, row, seen);
  }
}

void TRTITeachersCollection::BuildGroups(const TTableVarItem& var, bool keep, int day) {
  if (keep && hasKept_) {
    cur_ = &kept_;
    return;
  }
  if (!keep) {
    kept_.clear();
    hasKept_ = false;
  }
  const int n = Count();
  std::vector<std::vector<int32_t>> rows;
  std::vector<uint8_t> seen(static_cast<std::size_t>(n), 0);
  for (int t = 0; t < n; ++t) {
    if (seen[static_cast<std::size_t>(t)]) continue;
    std::vector<int32_t> row;
    CollectLinked(t, row, seen);
    rows.push_back(std::move(row));
  }
  if (!keep)
    for (auto& row : rows)
      std::erase_if(row, [&](int32_t t) { return var.GetTeacherMaxBlock(t, day) == 0; });
  std::vector<std::vector<int32_t>> result;
  std::vector<int32_t> longBlocks, shortBlocks;
  for (auto& row : rows) {
    if (row.size() >= 2) {
      result.push_back(row);
    } else if (row.size() == 1) {
      const int t = row[0];
      const int longest = keep ? GetItem(t)->GetMaxQuant() : var.GetTeacherMaxBlock(t, day);
      (longest >= 2 ? longBlocks : shortBlocks).push_back(t);
    }
  }
  if (!longBlocks.empty()) result.push_back(std::move(longBlocks));
  if (!shortBlocks.empty()) result.push_back(std::move(shortBlocks));
  for (auto& row : result) row.push_back(-1);
  if (keep) {
    kept_ = std::move(result);
    hasKept_ = true;
    cur_ = &kept_;
  } else {
    built_ = std::move(result);
    cur_ = &built_;
  }
}

const int32_t* TRTITeachersCollection::GroupRow(int r) const {
  if (!cur_ || r < 0 || r >= GroupCount()) return nullptr;
  return (*cur_)[static_cast<std::size_t>(r)].data();
}

int TRTITeachersCollection::GroupSize(int r) const {
  const int32_t* row = GroupRow(r);
  int n = 0;
  while (row && row[n] >= 0) ++n;
  return n;
}

bool TRTITeachersCollection::InGroupRow(int teacher, int r) const {
  const int32_t* row = GroupRow(r);
  for (int i = 0; row && row[i] >= 0; ++i)
    if (row[i] == teacher) return true;
  return false;
}

int TRTITeachersCollection::FindTeacherGroup(int teacher) const {
  for (int r = 0; r < GroupCount(); ++r)
    if (InGroupRow(teacher, r)) return r;
  return -1;
}

void TRTITeachersCollection::SetGroups(std::vector<std::vector<int32_t>> rows) {
  for (auto& row : rows)
    if (row.empty() || row.back() != -1) row.push_back(-1);
  // The table in use is replaced: a kept grouping the user edited is the
  // one kept for the next opening.
  if (cur_ == &kept_) {
    kept_ = std::move(rows);
    return;
  }
  built_ = std::move(rows);
  cur_ = &built_;
}

// ---- model ----

TRTILessonItem* TRunModel::KlassLesson(int klass, int lesson) const {
  const TRTIKlassItem* k = Klasses[klass];
  return k ? k->Lessons[lesson] : nullptr;
}

TRTILessonItem* TRunModel::TeacherLesson(int teacher, int copy) const {
  const TRTITeacherItem* t = Teachers[teacher];
  return t ? t->Lessons[copy] : nullptr;
}

std::unique_ptr<TRunModel> BuildRunModel(const TProjectData& project) {
  auto m = std::make_unique<TRunModel>();
  m->Params = project.Params;
  m->Params.LessonsPerDay = static_cast<uint16_t>(std::clamp<int>(m->Params.LessonsPerDay, 1, kMaxLessonsPerDay));
  for (const auto& r : project.Rooms) {
    TRoomItem* c = m->Rooms.Add();
    c->SetID(r->ID());
    c->Assign(*r);
  }
  m->Rooms.SetNextID(project.Rooms.NextID());
  m->Rooms.CountFreeRooms();
  for (const auto& s : project.Subjects) {
    TSubjectItem* c = m->Subjects.Add();
    c->SetID(s->ID());
    c->Assign(*s);
  }
  m->Subjects.SetNextID(project.Subjects.NextID());
  m->Subjects.ResolveReferences(m->Rooms);
  m->Teachers.Assign(project.Teachers);
  m->Teachers.ResolveReferences(m->Rooms);
  m->Klasses.Assign(project.Klasses);
  m->Klasses.BuildLessons(project.Lessons);
  m->Klasses.LinkLessons();
  m->Klasses.ResolveReferences(m->Rooms);
  m->Klasses.PrepareLessons();
  m->Teachers.BuildLessons();
  return m;
}

}  // namespace korvant
