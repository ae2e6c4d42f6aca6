#include "core/variant/manual_edit.h"

#include <vector>

namespace korvant {

namespace {

int Slot(int day, int hour) { return (day - 1) * kSlotsPerDay + hour; }

bool InLists(const TLinkedLists& lists, int klass, int lesson) {
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    if (e.A == klass && e.B == lesson) return true;
  }
  return false;
}

// Every teacher of the lesson's linked set is in teacher group row.
bool SetInsideRow(const TRunModel& m, const TLinkedLists& lists, int row) {
  for (int i = 0; i < lists.TeacherCount(); ++i)
    if (!m.Teachers.InGroupRow(lists.Teachers[static_cast<std::size_t>(i)].A, row)) return false;
  return true;
}

}  // namespace

TLessonRef TeacherFairLessonAt(const TTableVarItem& var, int teacher, int day, int hour) {
  int k = -1, g = -1, links = 0;
  if (!var.FindTeacherLesson(teacher, hour, day, k, g, links)) return {};
  return {k, var.GetCell(k, day, hour).Lesson};
}

TLessonRef TeacherDraftLessonAt(const TTableVarItem& var, int teacher, int day, int n, int* position) {
  int p = 0, k = -1, g = -1, links = 0;
  if (n < 1 || !var.FindTeacherDraftLesson(teacher, n, day, p, k, g, links)) return {};
  if (position) *position = p;
  return {k, var.GetDraftCell(k, day, p).Lesson};
}

int FairBlockAt(const TTableVarItem& var, int klass, int day, int hour, int& head) {
  head = 0;
  const int L = var.LessonsPerDay();
  if (hour < 1 || hour > L) return 0;
  const int lesson = var.GetCell(klass, day, hour).Lesson;
  if (lesson < 0) return 0;
  int h = hour;
  // Back along the chain; a cell of the lesson that says it starts a block
  // ends the walk, whatever its neighbours hold.
  while (h > 1 && var.GetCell(klass, day, h).PrevHour >= 1 && var.GetCell(klass, day, h - 1).Lesson == lesson) --h;
  head = h;
  int n = 1;
  while (h + n <= L) {
    const TTableCell c = var.GetCell(klass, day, h + n);
    if (c.Lesson != lesson || c.PrevHour < 1) break;
    ++n;
  }
  return n;
}

int FirstFreeKlassDraft(const TTableVarItem& var, int klass, int day) {
  const int L = var.LessonsPerDay();
  for (int p = 1; p <= L; ++p)
    if (var.GetDraftCell(klass, day, p).Lesson < 0) return p;
  return L + 1;
}

int FirstFreeTeacherDraft(const TTableVarItem& var, int teacher, int day) {
  const int L = var.LessonsPerDay();
  for (int n = 1; n <= L; ++n)
    if (!TeacherDraftLessonAt(var, teacher, day, n).Valid()) return n;
  return L + 1;
}

bool KlassHourClosed(const TRunModel& m, int klass, int day, int hour) {
  const TRTIKlassItem* k = m.Klasses[klass];
  return !k || k->IsSlotClosed(Slot(day, hour), -1);
}

bool KlassDayClosed(const TRunModel& m, int klass, int day) {
  const int L = m.L();
  for (int h = 1; h <= L; ++h)
    if (!KlassHourClosed(m, klass, day, h)) return false;
  return true;
}

bool TeacherSlotClosed(const TRunModel& m, int teacher, int day, int hour) {
  const TRTITeacherItem* t = m.Teachers[teacher];
  return !t || TeacherHourClosed(t->GetBusy(Slot(day, hour)), m.TeachersWills);
}

bool TeacherDayClosed(const TRunModel& m, int teacher, int day) {
  const int L = m.L();
  int closed = 0;
  for (int h = 1; h <= L; ++h)
    if (TeacherSlotClosed(m, teacher, day, h)) ++closed;
  return closed >= L;
}

bool CanMoveBlock(const TTableVarItem& var, int day, int klass, int srcHour, int target) {
  const TRunModel* m = var.Model();
  const int L = var.LessonsPerDay();
  if (!m || day < 1 || day > 6 || target < 1 || target > L || target == srcHour) return false;
  int head = 0;
  const int n = FairBlockAt(var, klass, day, srcHour, head);
  if (n == 0 || head != srcHour) return false;
  TLinkedLists lists;
  if (!m->Klasses.CollectLinkedLessons(klass, var.GetCell(klass, day, srcHour).Lesson, lists)) return false;
  if (target + n - 1 > L) return false;
  const int nl = lists.LessonCount();
  for (int h = target; h < target + n; ++h) {
    for (int i = 0; i < nl; ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      const TRTIKlassItem* k = m->Klasses[e.A];
      if (!k || k->IsSlotClosed(Slot(day, h), e.B)) return false;
      const TTableCell c = var.GetCell(e.A, day, h);
      // Only a cell that moves away with the block may be written over.
      const bool moving = c.Lesson == e.B && h >= srcHour && h < srcHour + n;
      if (c.Lesson >= 0 && !moving) return false;
    }
    for (int i = 0; i < lists.TeacherCount(); ++i) {
      const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
      if (TeacherSlotClosed(*m, t, day, h)) return false;
      // Every klass, not only the first: a teacher standing in two places
      // at once must not be hidden by the first one.
      for (int k = 0; k < var.KlassCount(); ++k) {
        const TTableCell c = var.GetCell(k, day, h);
        const TRTILessonItem* l = m->KlassLesson(k, c.Lesson);
        if (!l || l->GroupOfTeacher(t) < 0) continue;
        if (!InLists(lists, k, c.Lesson) || h < srcHour || h >= srcHour + n) return false;
      }
    }
  }
  return true;
}

bool MoveBlock(TTableVarItem& var, int day, int klass, int srcHour, int target) {
  if (!CanMoveBlock(var, day, klass, srcHour, target)) return false;
  int head = 0;
  const int n = FairBlockAt(var, klass, day, srcHour, head);
  TLinkedLists lists;
  var.Model()->Klasses.CollectLinkedLessons(klass, var.GetCell(klass, day, srcHour).Lesson, lists);
  struct Moved {
    int klass, offset;
    TTableCell cell;
  };
  std::vector<Moved> aside;
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    for (int j = 0; j < n; ++j) {
      const TTableCell c = var.GetCell(e.A, day, srcHour + j);
      if (c.Lesson == e.B) aside.push_back({e.A, j, c});
    }
  }
  // All cells are lifted before any is written, so overlapping ranges
  // never overwrite each other; emptying them frees their rooms.
  for (const Moved& mv : aside) var.SetCell(mv.klass, day, srcHour + mv.offset, kEmptyCell);
  for (const Moved& mv : aside) {
    TTableCell c = mv.cell;
    const int h = target + mv.offset;
    c.Hour = h;
    // The block's first cell starts it wherever it stood before.
    c.PrevHour = mv.offset == 0 || mv.cell.PrevHour < 1 ? -1 : h - 1;
    c.Rooms.fill(kNoRoom);
    var.SetCell(mv.klass, day, h, c);
  }
  return true;
}

TDraftSpace CheckDraftSpace(const TTableVarItem& var, int day, TLessonRef lesson) {
  TDraftSpace r;
  const TRunModel* m = var.Model();
  if (!m || !lesson.Valid() || !m->KlassLesson(lesson.Klass, lesson.Lesson)) return r;
  TLinkedLists lists;
  if (!m->Klasses.CollectLinkedLessons(lesson.Klass, lesson.Lesson, lists)) return r;
  const int L = var.LessonsPerDay();
  const int n = var.CountLessonInFair(lesson.Klass, lesson.Lesson, day);
  for (int i = 0; i < lists.TeacherCount(); ++i) {
    const int t = lists.Teachers[static_cast<std::size_t>(i)].A;
    if (L - FirstFreeTeacherDraft(var, t, day) + 1 < n) return {TDraftSpace::TeacherFull, t};
  }
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const int k = lists.Lessons[static_cast<std::size_t>(i)].A;
    if (L - FirstFreeKlassDraft(var, k, day) + 1 < n) return {TDraftSpace::KlassFull, k};
  }
  r.result = TDraftSpace::Ok;
  return r;
}

bool MoveLessonToDraft(TTableVarItem& var, int day, TLessonRef lesson) {
  if (CheckDraftSpace(var, day, lesson).result != TDraftSpace::Ok) return false;
  if (var.CountLessonInFair(lesson.Klass, lesson.Lesson, day) == 0) return false;
  // RemoveLesson puts everything back itself when a draft row cannot take
  // the cells.
  return var.RemoveLesson(lesson.Klass, lesson.Lesson, true, day, day,
                          FirstFreeKlassDraft(var, lesson.Klass, day));
}

bool TakeLessonOffDay(TTableVarItem& var, int day, TLessonRef lesson) {
  if (!lesson.Valid() || var.CountLessonInDay(lesson.Klass, lesson.Lesson, day) == 0) return false;
  return var.RemoveLesson(lesson.Klass, lesson.Lesson, false, 0, day, 1);
}

TDraftSpace CheckGroupDraftSpace(const TTableVarItem& var, int day, int row) {
  TDraftSpace r;
  const TRunModel* m = var.Model();
  const int32_t* teachers = m ? m->Teachers.GroupRow(row) : nullptr;
  if (!teachers) return r;
  const int L = var.LessonsPerDay();
  auto groupOnly = [&](int k, int lesson) {
    TLinkedLists lists;
    return m->Klasses.CollectLinkedLessons(k, lesson, lists) && SetInsideRow(*m, lists, row);
  };
  for (int i = 0; teachers[i] >= 0; ++i) {
    const int t = teachers[i];
    int moving = 0;
    for (int h = 1; h <= L; ++h) {
      const TLessonRef l = TeacherFairLessonAt(var, t, day, h);
      if (l.Valid() && groupOnly(l.Klass, l.Lesson)) ++moving;
    }
    if (var.CountTeacherDraft(t, day) + moving > L) return {TDraftSpace::TeacherFull, t};
  }
  for (int k = 0; k < var.KlassCount(); ++k) {
    int moving = 0;
    for (int h = 1; h <= L; ++h) {
      const int lesson = var.GetCell(k, day, h).Lesson;
      if (lesson >= 0 && groupOnly(k, lesson)) ++moving;
    }
    if (var.CountKlassDraft(k, day) + moving > L) return {TDraftSpace::KlassFull, k};
  }
  r.result = TDraftSpace::Ok;
  return r;
}

}  // namespace korvant

namespace korvant {

bool RegroupDay(TRunModel& m, TTableVarItem& var, int day, int row, bool clear) {
  if (day < 1 || day > 6 || !m.Teachers.GroupRow(row) || var.KlassCount() == 0) return false;
  const int L = var.LessonsPerDay();
  const int K = var.KlassCount();
  std::vector<TTableCell> fair, draft;
  std::vector<std::vector<int>> before(static_cast<std::size_t>(K));
  for (int k = 0; k < K; ++k) {
    before[static_cast<std::size_t>(k)].assign(static_cast<std::size_t>(m.Klasses[k]->Lessons.Count()), 0);
    for (int h = 1; h <= L; ++h) {
      fair.push_back(var.GetCell(k, day, h));
      draft.push_back(var.GetDraftCell(k, day, h));
    }
  }
  for (int k = 0; k < K; ++k)
    for (int l = 0; l < m.Klasses[k]->Lessons.Count(); ++l)
      before[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)] = var.CountLessonInDay(k, l, day);

  const uint8_t oldReplan = m.ReplanGroupLessons;
  m.Teachers.ResetDay();
  m.Klasses.ResetDay(false);
  m.CurGroup = row;
  // The group's lessons must come back unfixed whoever sent the command.
  m.ReplanGroupLessons = 1;
  var.FetchDayLessons(day, -1);
  std::vector<std::vector<bool>> dropped(static_cast<std::size_t>(K));
  for (int k = 0; k < K; ++k) dropped[static_cast<std::size_t>(k)].assign(before[static_cast<std::size_t>(k)].size(), false);
  if (clear) {
    for (int k = 0; k < K; ++k) {
      TRTIKlassItem* klass = m.Klasses[k];
      for (int l = 0; l < klass->Lessons.Count(); ++l) {
        TRTILessonItem* lesson = klass->Lessons[l];
        if (lesson->IsFixed || !lesson->InGroup) continue;
        lesson->ResetQuantChoice();
        TLinkedLists lists;
        m.Klasses.CollectLinkedLessons(k, l, lists);
        for (int i = 0; i < lists.LessonCount(); ++i) {
          const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
          m.Klasses[e.A]->SetLessonDayCount(e.B, 0);
          dropped[e.A][e.B] = true;
        }
      }
    }
  }
  var.ClearDay(day);
  bool ok = var.PutDayLessons(day);
  for (int k = 0; k < K && ok; ++k)
    for (int l = 0; l < m.Klasses[k]->Lessons.Count() && ok; ++l) {
      const int want = dropped[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)]
                           ? 0 : before[static_cast<std::size_t>(k)][static_cast<std::size_t>(l)];
      ok = var.CountLessonInDay(k, l, day) == want;
    }
  if (!ok) {
    var.ClearDay(day);
    std::size_t i = 0;
    for (int k = 0; k < K; ++k)
      for (int h = 1; h <= L; ++h, ++i) {
        var.SetCell(k, day, h, fair[i]);
        var.SetDraftCell(k, day, h, draft[i]);
      }
  } else {
    // Lessons that kept their hours keep their rooms too.
    std::size_t i = 0;
    for (int k = 0; k < K; ++k)
      for (int h = 1; h <= L; ++h, ++i) {
        TTableCell c = var.GetCell(k, day, h);
        if (c.Lesson < 0 || c.Lesson != fair[i].Lesson || c.PrevHour != fair[i].PrevHour) continue;
        c.Rooms = fair[i].Rooms;
        var.SetCell(k, day, h, c);
      }
  }
  m.ReplanGroupLessons = oldReplan;
  return ok;
}

}  // namespace korvant
