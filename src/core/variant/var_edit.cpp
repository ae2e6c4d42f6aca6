// Editing operations and queries of a timetable variant.
#include <algorithm>

#include "core/variant/table_var.h"

namespace korvant {

namespace {

bool ValidDay(int day) { return day >= 1 && day <= 6; }

TTableCell BlockCell(int lesson, int pos, bool first, uint16_t flags) {
  TTableCell c;
  c.Hour = pos;
  c.PrevHour = first ? -1 : pos - 1;
  c.Lesson = lesson;
  c.SubFlags = flags;
  return c;
}

}  // namespace

// Calls f(head hour, length, head cell) for every block of the klass's row
// on day, found from hour L down: a cell with PrevHour >= 1 continues a
// block, one with PrevHour -1 starts it.
template <class F>
void TTableVarItem::ForEachBlock(int klass, int day, bool draft, F f) const {
  int run = 0;
  for (int h = L_; h >= 1; --h) {
    const TTableCell c = draft ? GetDraftCell(klass, day, h) : GetCell(klass, day, h);
    if (c.Lesson < 0) {
      run = 0;
    } else if (c.PrevHour >= 1) {
      ++run;
    } else {
      f(h, run + 1, c);
      run = 0;
    }
  }
}

bool TTableVarItem::CellHasTeacher(int klass, const TTableCell& c, int teacher, int& group) const {
  const TRTILessonItem* l = LessonAt(klass, c.Lesson);
  if (!l) return false;
  group = l->GroupOfTeacher(teacher);
  return group >= 0;
}

// ---- editing ----

bool TTableVarItem::PutDayLessons(int day) {
  if (!model_ || !ValidDay(day)) return false;
  bool ok = true;
  for (int k = 0; k < klassCount_; ++k) {
    const TRTIKlassItem* klass = model_->Klasses[k];
    if (!klass) continue;
    int draftPos = 1;
    for (int pass = 0; pass < 2; ++pass) {
      for (int li = 0; li < klass->Lessons.Count(); ++li) {
        const TRTILessonItem* l = klass->Lessons[li];
        const int hours = l->IsFixed ? l->FixedLength : l->CurrentQuant();
        if (hours <= 0) continue;
        const int start = l->IsFixed ? l->FixedStart : l->StartHour;
        if ((pass == 0) != (start != 0)) continue;
        uint16_t flags = 0;
        for (int g = 0; g < l->SubItemsCount(); ++g) {
          const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
          const TRTILessonItem* copy = model_->TeacherLesson(rt.Teacher, rt.TeacherLesson);
          if (copy && copy->SelectedToday) flags = static_cast<uint16_t>(flags | (1u << g));
        }
        const int first = pass == 0 ? start : draftPos;
        if (first + hours - 1 > L_) {
          ok = false;
          continue;
        }
        for (int j = 0; j < hours; ++j) {
          const TTableCell c = BlockCell(li, first + j, j == 0, flags);
          if (pass == 0) SetCell(k, day, first + j, c); else SetDraftCell(k, day, first + j, c);
        }
        if (pass == 1) draftPos += hours;
      }
    }
  }
  return ok;
}

void TTableVarItem::FetchDayLessons(int day, int klass) {
  if (!model_ || !ValidDay(day)) return;
  TRTIKlassesCollection& klasses = model_->Klasses;
  const int from = klass < 0 ? 0 : klass;
  const int to = klass < 0 ? klassCount_ - 1 : std::min(klass, klassCount_ - 1);
  for (int k = from; k <= to; ++k) {
    TRTIKlassItem* item = klasses[k];
    if (!item) continue;
    for (int pass = 0; pass < 2; ++pass) {
      ForEachBlock(k, day, pass == 1, [&](int h, int len, const TTableCell& c) {
        TRTILessonItem* l = item->Lessons[c.Lesson];
        if (!l) return;
        // A joint lesson read in a lower klass is already fixed here with
        // its hours counted; choosing its block again would count them twice.
        if (!l->IsFixed) l->SelectQuant(item->QuantSum, len, day);
        l->StartHour = static_cast<uint16_t>(pass == 0 ? h : 0);
        if (c.SubFlags != 0)
          for (int g = 0; g < l->SubItemsCount(); ++g) {
            const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
            TRTILessonItem* copy = model_->TeacherLesson(rt.Teacher, rt.TeacherLesson);
            if (copy && (c.SubFlags >> g) & 1u) {
              copy->SelectedToday = 1;
              l->SelectedToday = 1;
            }
          }
        klasses.FixLesson(k, c.Lesson, len);
      });
    }
  }
}

bool TTableVarItem::PlaceLinkedLesson(int klass, int lesson, bool toDraft, int day, int start, int hours) {
  if (!model_ || !ValidDay(day) || !LessonAt(klass, lesson)) return false;
  TLinkedLists lists;
  if (!model_->Klasses.CollectLinkedLessons(klass, lesson, lists)) return false;
  if (hours <= 0) return true;
  const int n = lists.LessonCount();
  std::vector<int> first(static_cast<std::size_t>(n), 0);
  for (int i = 0; i < n; ++i) {
    const int k = lists.Lessons[static_cast<std::size_t>(i)].A;
    int p = start;
    if (toDraft) {
      // After the last used position: a gap left in the row by hand must
      // not let the block run over the cells behind it.
      p = L_ + 1;
      for (int h = L_; h >= 1; --h)
        if (GetDraftCell(k, day, h).Lesson < 0) p = h; else break;
    }
    if (p < 1 || p + hours - 1 > L_) return false;
    first[static_cast<std::size_t>(i)] = p;
  }
  for (int i = 0; i < n; ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    const int p = first[static_cast<std::size_t>(i)];
    if (p == 0) continue;
    for (int j = 0; j < hours; ++j) {
      const TTableCell c = BlockCell(e.B, p + j, j == 0, 0);
      if (toDraft) SetDraftCell(e.A, day, p + j, c); else SetCell(e.A, day, p + j, c);
    }
  }
  return true;
}

bool TTableVarItem::RemoveLesson(int klass, int lesson, bool toDraft, int targetDay, int sourceDay, int start) {
  if (!model_ || !ValidDay(sourceDay) || targetDay < 0 || targetDay > 6 || !LessonAt(klass, lesson))
    return false;
  TLinkedLists lists;
  if (!model_->Klasses.CollectLinkedLessons(klass, lesson, lists)) return false;
  const int n = lists.LessonCount();

  // The rows this move touches, to put back if the target cannot take it.
  struct Row {
    int k, d;
    std::vector<TTableCell> fair, draft;
  };
  std::vector<Row> saved;
  for (int i = 0; i < n; ++i) {
    const int k = lists.Lessons[static_cast<std::size_t>(i)].A;
    for (int d : {sourceDay, targetDay}) {
      if (!ValidDay(d)) continue;
      Row row{k, d, {}, {}};
      for (int h = 1; h <= L_; ++h) {
        row.fair.push_back(GetCell(k, d, h));
        row.draft.push_back(GetDraftCell(k, d, h));
      }
      saved.push_back(std::move(row));
    }
  }

  std::vector<std::vector<TTableCell>> aside(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    auto& cells = aside[static_cast<std::size_t>(i)];
    for (int h = 1; h <= L_; ++h) {
      const TTableCell c = GetCell(e.A, sourceDay, h);
      if (c.Lesson != e.B) continue;
      cells.push_back(c);
      SetCell(e.A, sourceDay, h, kEmptyCell);
    }
    for (int h = 1; h <= L_; ++h) {
      const TTableCell c = GetDraftCell(e.A, sourceDay, h);
      if (c.Lesson != e.B) continue;
      cells.push_back(c);
      SetDraftCell(e.A, sourceDay, h, kEmptyCell);
    }
  }
  for (int i = 0; i < n; ++i) CloseUpDraft(lists.Lessons[static_cast<std::size_t>(i)].A, sourceDay);
  if (targetDay == 0) return true;

  bool fits = true;
  for (int i = 0; i < n && fits; ++i) {
    const int k = lists.Lessons[static_cast<std::size_t>(i)].A;
    auto& cells = aside[static_cast<std::size_t>(i)];
    const int count = static_cast<int>(cells.size());
    if (count == 0) continue;
    int p = start;
    if (toDraft) {
      p = L_ + 1;
      for (int h = L_; h >= 1; --h)
        if (GetDraftCell(k, targetDay, h).Lesson < 0) p = h; else break;
    }
    if (p < 1 || p + count - 1 > L_) {
      fits = false;
      break;
    }
    for (int j = 0; j < count; ++j) {
      TTableCell c = cells[static_cast<std::size_t>(j)];
      c.Rooms.fill(kNoRoom);
      c.Hour = p + j;
      c.PrevHour = j == 0 ? -1 : p + j - 1;
      if (toDraft) SetDraftCell(k, targetDay, p + j, c); else SetCell(k, targetDay, p + j, c);
    }
  }
  if (fits) return true;
  // Clear the touched rows first so the rooms come back exactly as saved.
  for (const Row& row : saved)
    for (int h = 1; h <= L_; ++h) SetCell(row.k, row.d, h, kEmptyCell);
  for (auto it = saved.rbegin(); it != saved.rend(); ++it)
    for (int h = 1; h <= L_; ++h) {
      SetCell(it->k, it->d, h, it->fair[static_cast<std::size_t>(h - 1)]);
      SetDraftCell(it->k, it->d, h, it->draft[static_cast<std::size_t>(h - 1)]);
    }
  return false;
}

// ---- queries ----

int TTableVarItem::CountLessonInFair(int klass, int lesson, int day) const {
  int n = 0;
  for (int h = 1; h <= L_; ++h)
    if (GetCell(klass, day, h).Lesson == lesson && lesson >= 0) ++n;
  return n;
}

int TTableVarItem::CountLessonInDraft(int klass, int lesson, int day) const {
  int n = 0;
  for (int h = 1; h <= L_; ++h)
    if (GetDraftCell(klass, day, h).Lesson == lesson && lesson >= 0) ++n;
  return n;
}

int TTableVarItem::CountLessonInDay(int klass, int lesson, int day) const {
  return CountLessonInFair(klass, lesson, day) + CountLessonInDraft(klass, lesson, day);
}

int TTableVarItem::FindLessonInFair(int klass, int lesson, int day, int& firstHour) const {
  firstHour = 0;
  int n = 0;
  for (int h = 1; h <= L_; ++h)
    if (lesson >= 0 && GetCell(klass, day, h).Lesson == lesson) {
      if (n++ == 0) firstHour = h;
    }
  return n;
}

int TTableVarItem::CountKlassFair(int klass, int day) const {
  if (day == 0) {
    int n = 0;
    for (int d = 1; d <= 6; ++d) n += CountKlassFair(klass, d);
    return n;
  }
  int n = 0;
  for (int h = 1; h <= L_; ++h)
    if (GetCell(klass, day, h).Lesson >= 0) ++n;
  return n;
}

int TTableVarItem::CountKlassDraft(int klass, int day) const {
  if (day == 0) {
    int n = 0;
    for (int d = 1; d <= 6; ++d) n += CountKlassDraft(klass, d);
    return n;
  }
  int n = 0;
  for (int h = 1; h <= L_; ++h)
    if (GetDraftCell(klass, day, h).Lesson >= 0) ++n;
  return n;
}

void TTableVarItem::CountKlassLessons(int klass, int day, int& fair, int& draft) const {
  fair = CountKlassFair(klass, day);
  draft = CountKlassDraft(klass, day);
}

bool TTableVarItem::FindTeacherLesson(int teacher, int hour, int day, int& klass, int& group, int& links) const {
  for (int k = 0; k < klassCount_; ++k) {
    int g = -1;
    const TTableCell c = GetCell(k, day, hour);
    if (!CellHasTeacher(k, c, teacher, g)) continue;
    klass = k;
    group = g;
    links = LessonAt(k, c.Lesson)->RT[static_cast<std::size_t>(g)].LinksCount();
    return true;
  }
  return false;
}

bool TTableVarItem::FindTeacherDraftLesson(int teacher, int n, int day, int& position, int& klass, int& group,
                                           int& links) const {
  int counted = 0;
  for (int k = 0; k < klassCount_; ++k)
    for (int p = 1; p <= L_; ++p) {
      int g = -1;
      const TTableCell c = GetDraftCell(k, day, p);
      if (!CellHasTeacher(k, c, teacher, g)) continue;
      const TRTIGroup& rt = LessonAt(k, c.Lesson)->RT[static_cast<std::size_t>(g)];
      // A joint lesson is counted once, in its lowest klass, for a teacher
      // who teaches it there too; a teacher of another klass's group has
      // it in the draft in that klass alone.
      bool lower = false;
      for (int i = 0; i < rt.LinksCount(); ++i) {
        const TParallelLesson& ln = rt.Links[static_cast<std::size_t>(i)];
        if (ln.Klass >= k) continue;
        const TRTILessonItem* other = LessonAt(ln.Klass, ln.Lesson);
        if (other && other->GroupOfTeacher(teacher) >= 0) lower = true;
      }
      if (lower) continue;
      if (++counted == n) {
        position = p;
        klass = k;
        group = g;
        links = rt.LinksCount();
        return true;
      }
    }
  return false;
}

int TTableVarItem::CountTeacherFair(int teacher, int day) const {
  int n = 0;
  for (int h = 1; h <= L_; ++h) {
    int k, g, links;
    if (FindTeacherLesson(teacher, h, day, k, g, links)) ++n;
  }
  return n;
}

int TTableVarItem::CountTeacherDraft(int teacher, int day) const {
  int n = 0;
  for (int i = 1; i <= L_; ++i) {
    int p, k, g, links;
    if (!FindTeacherDraftLesson(teacher, i, day, p, k, g, links)) break;
    ++n;
  }
  return n;
}

void TTableVarItem::CountTeacherLessons(int teacher, int day, int& fair, int& draft) const {
  fair = draft = 0;
  for (int d = day == 0 ? 1 : day; d <= (day == 0 ? 6 : day); ++d) {
    fair += CountTeacherFair(teacher, d);
    draft += CountTeacherDraft(teacher, d);
  }
}

int TTableVarItem::GetTeacherMaxBlock(int teacher, int day) const {
  int best = 0;
  for (int k = 0; k < klassCount_; ++k)
    for (bool draft : {false, true})
      ForEachBlock(k, day, draft, [&](int, int len, const TTableCell& c) {
        int g;
        if (len > best && CellHasTeacher(k, c, teacher, g)) best = len;
      });
  return best;
}

int TTableVarItem::GetTeacherWindows(int teacher, int day) const {
  std::array<bool, kMaxLessonsPerDay + 1> busy{};
  int first = 0, last = 0;
  for (int h = 1; h <= L_; ++h) {
    int k, g, links;
    if (!FindTeacherLesson(teacher, h, day, k, g, links)) continue;
    busy[static_cast<std::size_t>(h)] = true;
    if (first == 0) first = h;
    last = h;
  }
  int windows = 0;
  for (int h = first + 1; h < last; ++h)
    if (!busy[static_cast<std::size_t>(h)]) ++windows;
  return windows;
}

int TTableVarItem::GetGroupWindows(int day, int row) const {
  if (!model_) return 0;
  const int32_t* r = model_->Teachers.GroupRow(row);
  int sum = 0;
  for (int i = 0; r && r[i] >= 0; ++i) sum += GetTeacherWindows(r[i], day);
  return sum;
}

double TTableVarItem::GetKlassDayDifficulty(int klass, int day) const {
  if (!model_) return 0;
  double sum = 0;
  for (int h = 1; h <= L_; ++h)
    for (const TTableCell& c : {GetCell(klass, day, h), GetDraftCell(klass, day, h)}) {
      const TRTILessonItem* l = LessonAt(klass, c.Lesson);
      if (!l || l->SubItemsCount() == 0) continue;
      double kf = 0;
      for (int g = 0; g < l->SubItemsCount(); ++g)
        if (const TSubjectItem* s = model_->Subjects.GetItem(l->GetSubItem(g)->SubjectID)) kf += s->SanitarKf;
      sum += kf / l->SubItemsCount();
    }
  return sum;
}

void TTableVarItem::CountTeachersFreeDays(bool byGroup, int curDay) const {
  if (!model_) return;
  TRTITeachersCollection& teachers = model_->Teachers;
  std::array<bool, 7> dayEmpty{};
  for (int d = 1; d <= 6; ++d) dayEmpty[static_cast<std::size_t>(d)] = DayIsEmpty(d);
  for (int t = 0; t < teachers.Count(); ++t) {
    const int row = byGroup ? teachers.FindTeacherGroup(t) : -1;
    int free = 0;
    for (int d = 1; d <= 6; ++d) {
      if (d == curDay) continue;
      const bool holds = row >= 0 ? !GroupDayIsEmpty(d, row) : !dayEmpty[static_cast<std::size_t>(d)];
      if (!holds) continue;
      bool teaches = false;
      for (int k = 0; k < klassCount_ && !teaches; ++k)
        for (int h = 1; h <= L_ && !teaches; ++h) {
          int g;
          teaches = CellHasTeacher(k, GetCell(k, d, h), t, g) || CellHasTeacher(k, GetDraftCell(k, d, h), t, g);
        }
      if (!teaches) ++free;
    }
    teachers[t]->FreeDays = free;
  }
}

int TTableVarItem::FindRoomShortage(const TRoomsCollection& rooms, int day, int& need) const {
  need = 0;
  if (!ValidDay(day)) return 0;
  for (int h = 1; h <= L_; ++h) {
    int n = 0;
    for (int k = 0; k < klassCount_; ++k) {
      const TRTILessonItem* l = LessonAt(k, GetCell(k, day, h).Lesson);
      if (!l) continue;
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        const TLessonSubItem* grp = l->GetSubItem(g);
        if (grp->SubjectID < 0 || grp->TeacherID < 0 || !grp->GetFictionName().empty()) continue;
        const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        bool later = false;
        for (int i = 0; i < rt.LinksCount(); ++i)
          if (rt.Links[static_cast<std::size_t>(i)].Klass > k) later = true;
        if (!later) ++n;
      }
    }
    if (n > rooms.FreeCount[static_cast<std::size_t>((day - 1) * kSlotsPerDay + h - 1)]) {
      need = n;
      return h;
    }
  }
  return 0;
}

}  // namespace korvant
