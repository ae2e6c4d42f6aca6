#include "windows/variant/details_cells.h"

#include <algorithm>
#include <cstdio>

#include "core/project/list_common.h"
#include "windows/variant/var_cells.h"

namespace korvant {

namespace {

using Rec = THourElementRecord;

std::string KlassName(const TRunModel& m, int k) {
  const TRTIKlassItem* item = k >= 0 && k < m.Klasses.Count() ? m.Klasses[k] : nullptr;
  return item ? item->DisplayName() : std::string();
}

std::string TeacherName(const TRunModel& m, int t) {
  const TRTITeacherItem* item = t >= 0 && t < m.Teachers.Count() ? m.Teachers[t] : nullptr;
  return item ? item->DisplayName() : std::string();
}

std::string SubjectName(const TRunModel& m, const TRTILessonItem& lesson, int group, std::size_t cut,
                        const char* none) {
  const TLessonSubItem* g = lesson.GetSubItem(group);
  const int s = g ? g->SubjectID : -1;
  std::string text = s >= 0 && s < m.Subjects.Count() ? m.Subjects[s]->DisplayName().substr(0, cut) : none;
  if (lesson.SeparatedPart) text.insert(0, "*");
  return text;
}

void SetCols(Rec& r, int n) {
  r.SubColWidths.fill(0);
  if (n <= 0) {
    r.SubColWidths[0] = 100;
    return;
  }
  for (int i = 0; i < n && i < kDetailsShown; ++i) r.SubColWidths[static_cast<std::size_t>(i)] = static_cast<uint16_t>(100 / n);
}

// The klass of a teacher's lesson and its linked klasses, "10А/10Б".
std::string TeacherLessonText(const TRunModel& m, int klass, const TTableCell& cell, int group, int links) {
  const TRTILessonItem* lesson = cell.Lesson >= 0 ? m.KlassLesson(klass, cell.Lesson) : nullptr;
  std::string text = KlassName(m, klass);
  if (!lesson || group < 0 || group >= kMaxLessonGroups) return text;
  const TRTIGroup& rt = lesson->RT[static_cast<std::size_t>(group)];
  for (int i = 0; i < links && i < kMaxGroupLinks; ++i) {
    const int k = rt.Links[static_cast<std::size_t>(i)].Klass;
    text += "/" + (k >= 0 ? KlassName(m, k) : std::string("---"));
  }
  return text;
}

std::string Join(const std::vector<std::string>& parts, const char* sep) {
  std::string s;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) s += sep;
    s += parts[i];
  }
  return s;
}

}  // namespace

std::vector<int> ShownEntries(const std::array<TLinkEntry, kMaxLinked>& list) {
  std::vector<int> shown;
  for (const TLinkEntry& e : list) {
    if (e.A == kListEnd || static_cast<int>(shown.size()) == kDetailsShown) break;
    shown.push_back(e.A);
  }
  return shown;
}

std::string JoinedKlassNames(const TRunModel& m, const TLinkedLists& lists) {
  std::vector<std::string> names;
  for (const TLinkEntry& e : lists.Lessons) {
    if (e.A == kListEnd) break;
    names.push_back(KlassName(m, e.A));
  }
  return Join(names, "/");
}

std::string JoinedTeacherNames(const TRunModel& m, const TLinkedLists& lists) {
  std::vector<std::string> names;
  for (const TLinkEntry& e : lists.Teachers) {
    if (e.A == kListEnd) break;
    names.push_back(TeacherName(m, e.A));
  }
  return Join(names, "/");
}

void DetailsDayHour(bool vertical, int col, int row, int& day, int& hour) {
  day = vertical ? row : col;
  hour = vertical ? col : row;
}

void DetailsCellOf(bool vertical, int day, int hour, int& col, int& row) {
  col = vertical ? hour : day;
  row = vertical ? day : hour;
}

int DetailsSubColumn(int cellLeft, int cellWidth, int n, int x) {
  if (n < 1) return -1;
  const int w = cellWidth / n;
  if (w < 1 || x < cellLeft) return -1;
  const int k = (x - cellLeft) / w;
  return k >= 0 && k < n ? k : -1;
}

bool KlassDayFull(const TRunModel& m, int klass, int day) {
  if (klass < 0 || klass >= m.Klasses.Count() || day < 1 || day > 6) return false;
  return m.Klasses[klass]->DayClosedHours[static_cast<std::size_t>(day - 1)] >= m.L();
}

bool TeacherDayFull(const TRunModel& m, int teacher, int day) {
  if (teacher < 0 || teacher >= m.Teachers.Count() || day < 1 || day > 6) return false;
  const TDayWishCount w = m.Teachers[teacher]->DayWishCounts[static_cast<std::size_t>(day - 1)];
  return w.Closed + w.Undesired >= m.L();
}

bool TeacherHourClosedAt(const TRunModel& m, int teacher, int day, int hour, int teachersWills) {
  if (teacher < 0 || teacher >= m.Teachers.Count()) return false;
  return TeacherHourClosed(m.Teachers[teacher]->GetBusy((day - 1) * kSlotsPerDay + hour), teachersWills);
}

THourElementRecord DetailsCellContent(const TDetailsView& view, TDetailsGrid grid, int col, int row) {
  Rec r;
  if (!view.Model || !view.Var) return r;
  const TRunModel& m = *view.Model;
  const TTableVarItem& var = *view.Var;
  const int L = var.LessonsPerDay();
  const bool klassSide = IsKlassGrid(grid);
  const bool draft = IsDraftGrid(grid);
  const std::vector<int>& shown = klassSide ? view.Klasses : view.Teachers;
  const int n = static_cast<int>(shown.size());
  int day = 0, hour = 0;
  DetailsDayHour(view.Vertical, col, row, day, hour);
  if (day < 0 || day > 6 || hour < 0 || hour > L || (day == 0 && hour == 0)) return r;

  if (hour == 0) {  // a day heading
    const std::string sep = n == 1 ? "    " : "  ";
    std::vector<std::string> counts, difficulties;
    for (int e : shown) {
      int fair = 0, dr = 0;
      if (klassSide) {
        var.CountKlassLessons(e, day, fair, dr);
        difficulties.push_back(FormatDifficulty(var.GetKlassDayDifficulty(e, day), view.DecimalPoint));
      } else {
        var.CountTeacherLessons(e, day, fair, dr);
      }
      counts.push_back(std::to_string(fair) + "+" + std::to_string(dr));
    }
    std::string stats = Join(counts, "/");
    if (klassSide) stats += sep + Join(difficulties, "/");
    const std::string& name = view.DayNames[static_cast<std::size_t>(day - 1)];
    if (view.Vertical) {
      r.Texts[0][0] = name + sep + stats;
    } else {
      r.SubRowHeights = {50, 50, 0, 0, 0};
      r.Texts[0][0] = name;
      r.Texts[0][1] = stats;
    }
    return r;
  }
  if (day == 0) {  // an hour heading
    if (!draft) r.Texts[0][0] = std::to_string(hour);
    return r;
  }

  SetCols(r, n);
  const int slot = (day - 1) * kSlotsPerDay + hour;
  for (int i = 0; i < n && i < kDetailsShown; ++i) {
    const int e = shown[static_cast<std::size_t>(i)];
    std::string& text = r.Texts[static_cast<std::size_t>(i)][0];
    if (klassSide) {
      if (e < 0 || e >= m.Klasses.Count()) continue;
      const TTableCell cell = draft ? var.GetDraftCell(e, day, hour) : var.GetCell(e, day, hour);
      const TRTILessonItem* lesson = cell.Lesson >= 0 ? m.KlassLesson(e, cell.Lesson) : nullptr;
      if (lesson) {
        std::vector<std::string> parts;
        for (int g = 0; g < lesson->SubItemsCount(); ++g) parts.push_back(SubjectName(m, *lesson, g, 3, "---"));
        text = Join(parts, "/");
      } else if (!draft) {
        if (m.Klasses[e]->IsSlotClosed(slot, -1)) text = "HCS";
      } else if (KlassDayFull(m, e, day)) {
        text = "GCS";
      }
      continue;
    }
    if (e < 0 || e >= m.Teachers.Count()) continue;
    int klass = -1, group = -1, links = 0, position = 0;
    if (!draft) {
      if (var.FindTeacherLesson(e, hour, day, klass, group, links)) {
        text = TeacherLessonText(m, klass, var.GetCell(klass, day, hour), group, links);
      } else {
        const TTeacherHourCell c = m.Teachers[e]->GetBusy(slot);
        if (c.Restricted != 0 && c.Level == 0) text = "HCS";
        else if (TeacherHourClosed(c, view.TeachersWills)) text = "SCS";
      }
    } else if (var.FindTeacherDraftLesson(e, hour, day, position, klass, group, links)) {
      text = TeacherLessonText(m, klass, var.GetDraftCell(klass, day, position), group, links);
    } else if (TeacherDayFull(m, e, day)) {
      text = "GCS";
    }
  }
  return r;
}

// ---- unplaced lessons -------------------------------------------------------------------

std::string UnplacedBlocks(const TTableVarItem& var, const TRTILessonItem& lesson, int klass, int klassLesson) {
  // Marks of our own: the planner's per-block day marks stay as they are.
  std::array<int, kQuantWords + 1> mark{};
  for (int d = 1; d <= 6; ++d) {
    const int c = var.CountLessonInDay(klass, klassLesson, d);
    if (c <= 0) continue;
    for (int q = 1; q <= kQuantWords && lesson.QuantAt(q) != 0; ++q) {
      if (lesson.QuantAt(q) == c && mark[static_cast<std::size_t>(q)] == 0) {
        mark[static_cast<std::size_t>(q)] = d;
        break;
      }
    }
  }
  std::vector<std::string> parts;
  for (int q = 1; q <= kQuantWords && lesson.QuantAt(q) != 0; ++q)
    if (mark[static_cast<std::size_t>(q)] == 0) parts.push_back(std::to_string(lesson.QuantAt(q)));
  return Join(parts, ", ");
}

std::vector<TFreeLessonRow> KlassFreeLessons(const TRunModel& m, const TTableVarItem& var, int klass) {
  std::vector<TFreeLessonRow> rows;
  if (klass < 0 || klass >= m.Klasses.Count()) return rows;
  const TRTIKlassItem* k = m.Klasses[klass];
  for (int j = 0; j < k->Lessons.Count(); ++j) {
    const TRTILessonItem* lesson = k->Lessons[j];
    std::string blocks = UnplacedBlocks(var, *lesson, klass, j);
    if (blocks.empty()) continue;
    std::vector<std::string> parts;
    for (int g = 0; g < lesson->SubItemsCount(); ++g) parts.push_back(SubjectName(m, *lesson, g, std::string::npos, "-----"));
    rows.push_back({Join(parts, "/"), std::move(blocks), j});
  }
  return rows;
}

std::vector<TFreeLessonRow> TeacherFreeLessons(const TRunModel& m, const TTableVarItem& var, int teacher) {
  std::vector<TFreeLessonRow> rows;
  if (teacher < 0 || teacher >= m.Teachers.Count()) return rows;
  const TRTITeacherItem* t = m.Teachers[teacher];
  for (int j = 0; j < t->Lessons.Count(); ++j) {
    const TRTILessonItem* copy = t->Lessons[j];
    const int g = copy->GroupOfTeacher(teacher);
    if (g < 0) continue;
    const TRTIGroup& rt = copy->RT[static_cast<std::size_t>(g)];
    // A joint lesson of several klasses is listed once, at its first copy.
    bool later = false;
    for (const TParallelLesson& link : rt.Links) {
      if (link.Klass < 0) break;
      if (link.Klass == teacher && link.Lesson < j) later = true;
    }
    if (later) continue;
    const TRTILessonItem* lesson = m.KlassLesson(rt.Klass, rt.KlassLesson);
    if (!lesson) continue;
    std::string blocks = UnplacedBlocks(var, *lesson, rt.Klass, rt.KlassLesson);
    if (blocks.empty()) continue;
    std::vector<std::string> klasses{KlassName(m, rt.Klass)};
    if (rt.KlassGroup >= 0 && rt.KlassGroup < kMaxLessonGroups)
      for (const TParallelLesson& link : lesson->RT[static_cast<std::size_t>(rt.KlassGroup)].Links) {
        if (link.Klass < 0) break;
        klasses.push_back(KlassName(m, link.Klass));
      }
    rows.push_back({SubjectName(m, *lesson, rt.KlassGroup, std::string::npos, "-----") + " (" + Join(klasses, "/") + ")",
                    std::move(blocks), j});
  }
  return rows;
}

// ---- editing ------------------------------------------------------------------------------

int FairBlockLength(const TTableVarItem& var, int klass, int day, int hour) {
  const int L = var.LessonsPerDay();
  const TTableCell first = var.GetCell(klass, day, hour);
  if (first.Lesson < 0 || first.PrevHour != -1) return 0;
  int n = 1;
  while (hour + n <= L) {
    const TTableCell c = var.GetCell(klass, day, hour + n);
    if (c.Lesson != first.Lesson || c.PrevHour == -1) break;
    ++n;
  }
  return n;
}

namespace {

// The linked set and the block length; false when either is unusable.
bool BlockSet(const TRunModel& m, const TTableVarItem& var, const TDragBlock& b, TLinkedLists& lists, int& n) {
  if (!m.Klasses.CollectLinkedLessons(b.Klass, b.Lesson, lists)) return false;
  n = FairBlockLength(var, b.Klass, b.Day, b.Hour);
  if (n < 1 || var.GetCell(b.Klass, b.Day, b.Hour).Lesson != b.Lesson) return false;
  // Every linked klass holds its own lesson over the same hours.
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    for (int x = 0; x < n; ++x)
      if (var.GetCell(e.A, b.Day, b.Hour + x).Lesson != e.B) return false;
  }
  return true;
}

}  // namespace

bool CanMoveBlock(const TRunModel& m, const TTableVarItem& var, int teachersWills, const TDragBlock& b, int day,
                  int hour) {
  const int L = var.LessonsPerDay();
  if (day < 1 || day > 6 || hour < 1 || hour > L) return false;
  if (day == b.Day && hour == b.Hour) return false;
  if (day != b.Day && var.CountLessonInDay(b.Klass, b.Lesson, day) != 0) return false;
  const TTableCell target = var.GetCell(b.Klass, day, hour);
  if (target.Lesson >= 0 && !(day == b.Day && target.Lesson == b.Lesson)) return false;
  TLinkedLists lists;
  int n = 0;
  if (!BlockSet(m, var, b, lists, n)) return false;
  if (hour + n - 1 > L) return false;
  for (int x = hour; x < hour + n; ++x) {
    for (int i = 0; i < lists.LessonCount(); ++i) {
      const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
      const TRTIKlassItem* k = m.Klasses[e.A];
      if (!k || k->IsSlotClosed((day - 1) * kSlotsPerDay + x, e.B)) return false;
      const TTableCell c = var.GetCell(e.A, day, x);
      if (c.Lesson >= 0 && !(day == b.Day && c.Lesson == e.B)) return false;
    }
    for (int i = 0; i < lists.TeacherCount(); ++i) {
      const TLinkEntry e = lists.Teachers[static_cast<std::size_t>(i)];
      int klass = -1, group = -1, links = 0;
      if (var.FindTeacherLesson(e.A, x, day, klass, group, links)) {
        if (day != b.Day) return false;
        // Busy only with this very lesson (in its own or a linked klass).
        bool own = false;
        const TTableCell c = var.GetCell(klass, day, x);
        for (int j = 0; j < lists.LessonCount(); ++j) {
          const TLinkEntry le = lists.Lessons[static_cast<std::size_t>(j)];
          if (le.A == klass && le.B == c.Lesson) own = true;
        }
        if (!own) return false;
      }
      if (TeacherHourClosedAt(m, e.A, day, x, teachersWills)) return false;
    }
  }
  return true;
}

int MoveBlock(const TRunModel& m, TTableVarItem& var, int teachersWills, const TDragBlock& b, int day, int hour) {
  if (!CanMoveBlock(m, var, teachersWills, b, day, hour)) return 0;
  TLinkedLists lists;
  int n = 0;
  if (!BlockSet(m, var, b, lists, n)) return 0;
  const int klasses = lists.LessonCount();
  // Read every source cell first: an overlapping move within one day then
  // never reads a cell it has already written.
  std::vector<std::vector<TTableCell>> cells(static_cast<std::size_t>(klasses));
  for (int i = 0; i < klasses; ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    for (int x = 0; x < n; ++x) cells[static_cast<std::size_t>(i)].push_back(var.GetCell(e.A, b.Day, b.Hour + x));
  }
  for (int i = 0; i < klasses; ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    for (int x = 0; x < n; ++x) var.SetCell(e.A, b.Day, b.Hour + x, kEmptyCell);
  }
  for (int i = 0; i < klasses; ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    for (int x = 0; x < n; ++x) {
      TTableCell c = cells[static_cast<std::size_t>(i)][static_cast<std::size_t>(x)];
      c.Rooms.fill(kNoRoom);  // the rooms are chosen again for the new hours
      c.Hour = hour + x;
      c.PrevHour = x == 0 ? -1 : hour + x - 1;
      var.SetCell(e.A, day, hour + x, c);
    }
  }
  return klasses;
}

int FirstFreeKlassDraft(const TTableVarItem& var, int klass, int day, int limit) {
  for (int p = 1; p <= limit; ++p)
    if (var.GetDraftCell(klass, day, p).Lesson < 0) return p;
  return limit + 1;
}

int FirstFreeTeacherDraft(const TTableVarItem& var, int teacher, int day, int limit) {
  for (int p = 1; p <= limit; ++p) {
    int position = 0, klass = -1, group = -1, links = 0;
    if (!var.FindTeacherDraftLesson(teacher, p, day, position, klass, group, links)) return p;
  }
  return limit + 1;
}

}  // namespace korvant
