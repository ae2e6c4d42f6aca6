#include "windows/variant/var_cells.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/project/list_common.h"

namespace korvant {

namespace {

using Rec = THourElementRecord;

const TRTILessonItem* LessonOf(const TRunModel& m, int klass, int lesson) {
  return lesson >= 0 ? m.KlassLesson(klass, lesson) : nullptr;
}

std::string KlassName(const TRunModel& m, int k) {
  const TRTIKlassItem* item = k >= 0 && k < m.Klasses.Count() ? m.Klasses[k] : nullptr;
  return item ? item->DisplayName() : std::string();
}

std::string TeacherName(const TRunModel& m, int t) {
  const TRTITeacherItem* item = t >= 0 && t < m.Teachers.Count() ? m.Teachers[t] : nullptr;
  return item ? item->DisplayName() : std::string();
}

// Sub-row heights of n equal sub-rows (n 1..5).
void SetRows(Rec& r, int n) {
  n = std::clamp(n, 1, 5);
  r.SubRowHeights.fill(0);
  for (int i = 0; i < n; ++i) r.SubRowHeights[static_cast<std::size_t>(i)] = static_cast<uint16_t>(100 / n);
}

void SetCols(Rec& r, std::initializer_list<uint16_t> widths) {
  r.SubColWidths.fill(0);
  std::size_t i = 0;
  for (uint16_t w : widths) r.SubColWidths[i++] = w;
}

std::string& Text(Rec& r, int col, int row) {
  return r.Texts[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)];
}

// Two sub-rows: the name, then the counts; tail closes the parenthesis.
void EntityHeading(Rec& r, const std::string& name, int total, int fair, int draft, const std::string& tail) {
  SetRows(r, 2);
  const int left = total - fair - draft;
  Text(r, 0, 0) = name;
  Text(r, 0, 1) = std::to_string(total) + " (" + std::to_string(fair) + "+" + std::to_string(draft) + "+" +
                  std::to_string(left) + tail;
  r.Mark = left >= 1 ? 4 : fair != total ? 3 : 0;
}

bool GroupBit(const TTableCell& c, int group) {
  return group >= 0 && group < 16 && (c.SubFlags & (1u << group)) != 0;
}

// A teacher's lesson: first sub-row its own klass, then one per link.
void TeacherLessonCell(const TRunModel& m, Rec& r, int klass, int group, int links, const TTableCell& cell,
                       bool withRoom) {
  const TRTILessonItem* lesson = LessonOf(m, klass, cell.Lesson);
  if (!lesson) return;
  SetRows(r, std::min(links + 1, 5));
  const std::string room = withRoom ? GroupRoomText(m, *lesson, group, cell) : std::string();
  Text(r, 0, 0) = KlassName(m, klass);
  Text(r, 1, 0) = GroupSubjectText(m, *lesson, group);
  if (withRoom) Text(r, 2, 0) = room;
  const TRTIGroup& rt = lesson->RT[static_cast<std::size_t>(group)];
  for (int i = 0; i < links && i + 1 < 5; ++i) {
    const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
    const TRTILessonItem* linked = link.Klass >= 0 ? LessonOf(m, link.Klass, link.Lesson) : nullptr;
    if (!linked) continue;  // an unused link: three empty texts
    Text(r, 0, i + 1) = KlassName(m, link.Klass);
    Text(r, 1, i + 1) = GroupSubjectText(m, *linked, link.Group);
    if (withRoom) Text(r, 2, i + 1) = room;
  }
  r.Mark = GroupBit(cell, group) ? 4 : 0;
}

}  // namespace

int VarGridEntityCount(const TRunModel& model, TVarGrid grid) {
  switch (grid) {
    case TVarGrid::Klasses:
    case TVarGrid::KlassesDraft: return model.Klasses.Count();
    case TVarGrid::Teachers:
    case TVarGrid::TeachersDraft: return model.Teachers.Count();
    case TVarGrid::Rooms: return model.Rooms.Count();
  }
  return 0;
}

std::string GroupSubjectText(const TRunModel& model, const TRTILessonItem& lesson, int group) {
  const TLessonSubItem* g = lesson.GetSubItem(group);
  const int s = g ? g->SubjectID : -1;
  std::string text = s >= 0 && s < model.Subjects.Count() ? model.Subjects[s]->DisplayName() : "------";
  if (lesson.SeparatedPart) text.insert(0, "*");
  return text;
}

std::string GroupRoomText(const TRunModel& model, const TRTILessonItem& lesson, int group, const TTableCell& cell) {
  const TLessonSubItem* g = lesson.GetSubItem(group);
  if (!g) return {};
  if (!g->GetFictionName().empty()) return g->GetFictionName();
  if (group < 0 || group >= kMaxLessonGroups) return {};
  const uint16_t room = cell.Rooms[static_cast<std::size_t>(group)];
  if (room != kNoRoom && room < model.Rooms.Count()) return model.Rooms[room]->DisplayName();
  return {};
}

THourElementRecord VarCellContent(const TVarCellView& view, TVarGrid grid, int col, int row, char decimalPoint) {
  Rec r;
  if (!view.Model || !view.Var) return r;
  const TRunModel& m = *view.Model;
  const TTableVarItem& var = *view.Var;
  const int entity = (view.Vertical ? row : col) - 1;
  const int hour = view.Vertical ? col : row;  // hour or draft position
  const int day = view.Day;
  const int L = var.LessonsPerDay();
  if (entity < -1 || entity >= VarGridEntityCount(m, grid) || hour < 0 || hour > L) return r;
  if (entity == -1 && hour == 0) return r;

  // Headings of an hour.
  if (entity == -1) {
    if (grid == TVarGrid::Klasses || grid == TVarGrid::Teachers || grid == TVarGrid::Rooms)
      Text(r, 0, 0) = std::to_string(hour);
    return r;
  }
  // Headings of an entity.
  if (hour == 0) {
    int fair = 0, draft = 0;
    switch (grid) {
      case TVarGrid::Klasses:
      case TVarGrid::KlassesDraft: {
        const TRTIKlassItem* k = m.Klasses[entity];
        var.CountKlassLessons(entity, 0, fair, draft);
        EntityHeading(r, k->DisplayName(), k->WeekHours, fair, draft,
                      ")    " + FormatDifficulty(var.GetKlassDayDifficulty(entity, day), decimalPoint));
        break;
      }
      case TVarGrid::Teachers:
      case TVarGrid::TeachersDraft: {
        const TRTITeacherItem* t = m.Teachers[entity];
        var.CountTeacherLessons(entity, 0, fair, draft);
        EntityHeading(r, t->DisplayName(), t->WeekHours, fair, draft, ")");
        break;
      }
      case TVarGrid::Rooms: Text(r, 0, 0) = m.Rooms[entity]->DisplayName(); break;
    }
    return r;
  }

  const int slot = (day - 1) * kSlotsPerDay + hour;
  switch (grid) {
    case TVarGrid::Klasses: {
      const TTableCell cell = var.GetCell(entity, day, hour);
      const TRTILessonItem* lesson = LessonOf(m, entity, cell.Lesson);
      if (!lesson) {
        r.Mark = m.Klasses[entity]->IsSlotClosed(slot, -1) ? 2 : 0;
        return r;
      }
      const int n = lesson->SubItemsCount();
      if (n == 0) return r;
      SetCols(r, view.Vertical ? std::initializer_list<uint16_t>{60, 40} : std::initializer_list<uint16_t>{70, 30});
      SetRows(r, n);
      for (int g = 0; g < std::min(n, 5); ++g) {
        Text(r, 0, g) = GroupSubjectText(m, *lesson, g);
        Text(r, 1, g) = GroupRoomText(m, *lesson, g, cell);
      }
      r.Mark = cell.SubFlags != 0 ? 4 : 0;
      return r;
    }
    case TVarGrid::KlassesDraft: {
      const TTableCell cell = var.GetDraftCell(entity, day, hour);
      const TRTILessonItem* lesson = LessonOf(m, entity, cell.Lesson);
      if (!lesson) {
        if (m.Klasses[entity]->DayClosedHours[static_cast<std::size_t>(day - 1)] >= L) Text(r, 0, 0) = "GCS";
        return r;
      }
      const int n = lesson->SubItemsCount();
      if (n == 0) return r;
      SetRows(r, n);
      for (int g = 0; g < std::min(n, 5); ++g) Text(r, 0, g) = GroupSubjectText(m, *lesson, g);
      r.Mark = cell.SubFlags != 0 ? 4 : 0;
      return r;
    }
    case TVarGrid::Teachers: {
      int klass = -1, group = -1, links = 0;
      if (var.FindTeacherLesson(entity, hour, day, klass, group, links)) {
        SetCols(r, view.Vertical ? std::initializer_list<uint16_t>{33, 40, 27}
                                 : std::initializer_list<uint16_t>{20, 50, 30});
        TeacherLessonCell(m, r, klass, group, links, var.GetCell(klass, day, hour), true);
        return r;
      }
      const TTeacherHourCell c = m.Teachers[entity]->GetBusy(slot);
      if (c.Restricted != 0) {
        if (c.Level == 0) r.Mark = 2;
        else if ((c.Level == 1 && view.TeachersWills < 4) || (c.Level == 2 && view.TeachersWills < 3) ||
                 (c.Level == 3 && view.TeachersWills < 2))
          r.Mark = 1;
      }
      return r;
    }
    case TVarGrid::TeachersDraft: {
      int position = 0, klass = -1, group = -1, links = 0;
      if (var.FindTeacherDraftLesson(entity, hour, day, position, klass, group, links)) {
        SetCols(r, {40, 60});
        TeacherLessonCell(m, r, klass, group, links, var.GetDraftCell(klass, day, position), false);
        return r;
      }
      const TDayWishCount w = m.Teachers[entity]->DayWishCounts[static_cast<std::size_t>(day - 1)];
      if (w.Closed + w.Undesired >= L) Text(r, 0, 0) = "GCS";
      return r;
    }
    case TVarGrid::Rooms: {
      const TRoomCell rc = var.GetRoomCell(entity, day, hour);
      const TRTILessonItem* lesson = rc.Klass >= 0 ? LessonOf(m, rc.Klass, rc.Lesson) : nullptr;
      const int g = rc.Subitem;
      const TRTIGroup* rt = lesson && g < lesson->SubItemsCount() ? &lesson->RT[g] : nullptr;
      if (!rt || rt->Teacher < 0) {
        r.Mark = m.Rooms[entity]->GetBusy(slot) != 0 ? 2 : 0;
        return r;
      }
      const std::string teacher = TeacherName(m, rt->Teacher);
      int n = 1;
      Text(r, 0, 0) = KlassName(m, rc.Klass);
      Text(r, 1, 0) = teacher;
      for (int i = 0; i < kMaxGroupLinks && n < 5; ++i) {
        const TParallelLesson& link = rt->Links[static_cast<std::size_t>(i)];
        if (link.Klass < 0) break;
        Text(r, 0, n) = KlassName(m, link.Klass);
        Text(r, 1, n) = teacher;
        ++n;
      }
      SetCols(r, {40, 60});
      SetRows(r, n);
      return r;
    }
  }
  return r;
}

std::string FormatDifficulty(double value, char decimalPoint) {
  // Ties go away from zero, as the user counts, not to the even digit.
  const double tenths = std::round(value * 10);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", tenths / 10);
  std::string s(buf);
  for (char& c : s)
    if (c == '.') c = decimalPoint;
  return s;
}

}  // namespace korvant
