#include "core/substitutions/zamesh_journal.h"

#include <algorithm>
#include <cmath>

#include "base/cp1251.h"
#include "core/common/catalogue.h"

namespace korvant {

namespace {

constexpr int kMsgNone = 10072;  // "Нет"
constexpr int kMsgSickLeave = 10336;

const std::string& Dashes() {
  static const std::string s = "---";
  return s;
}

bool RowHasLesson(const TZameshRow& r) { return !r.Texts[kZamLesson].empty(); }

}  // namespace

int ZameshWeekday(double date) {
  if (!std::isfinite(date)) return 0;
  // Day 0 (1899-12-30) was a Saturday.
  const long long d = static_cast<long long>(ZameshWholeDay(date));
  const int w = static_cast<int>(((d + 5) % 7 + 7) % 7) + 1;
  return w == 7 ? 0 : w;
}

std::vector<std::string> VariantTeacherNames(const TTableVarItem& var) {
  std::vector<std::string> names;
  if (const TRunModel* m = var.Model())
    for (int i = 0; i < m->Teachers.Count(); ++i) names.push_back(m->Teachers[i]->DisplayName());
  return names;
}

std::vector<std::string> VariantSubjectNames(const TTableVarItem& var) {
  std::vector<std::string> names;
  if (const TRunModel* m = var.Model())
    for (int i = 0; i < m->Subjects.Count(); ++i) names.push_back(m->Subjects[i]->DisplayName());
  return names;
}

TJournalLesson JournalLessonAt(const TTableVarItem& var, int teacher, int weekday, int lesson) {
  TJournalLesson out;
  const TRunModel* m = var.Model();
  if (!m || weekday < 1 || weekday > 6 || lesson < 1 || lesson > var.LessonsPerDay()) return out;
  int klass = -1, group = -1, links = 0;
  if (!var.FindTeacherLesson(teacher, lesson, weekday, klass, group, links)) return out;
  const TTableCell cell = var.GetCell(klass, weekday, lesson);
  const TRTILessonItem* l = m->KlassLesson(klass, cell.Lesson);
  const TRTIKlassItem* k = m->Klasses[klass];
  if (!l || !k) return out;
  const TLessonSubItem* g = l->GetSubItem(group);
  if (!g) return out;
  out.Found = true;
  out.Klass = klass;
  out.Group = group;
  out.Links = links;
  out.Section = k->Section;

  if (!g->GetFictionName().empty()) {
    out.Room = g->GetFictionName();
  } else if (group < kMaxLessonGroups && cell.Rooms[static_cast<std::size_t>(group)] != kNoRoom) {
    if (const TRoomItem* r = m->Rooms[cell.Rooms[static_cast<std::size_t>(group)]]) out.Room = r->DisplayName();
  }
  const TSubjectItem* s = g->SubjectID >= 0 ? m->Subjects[g->SubjectID] : nullptr;
  out.Subject = s ? s->DisplayName() : Dashes();

  out.KlassText = k->DisplayName();
  const TRTIGroup& rt = l->RT[static_cast<std::size_t>(group)];
  for (int i = 0; i < links && i < kMaxGroupLinks; ++i) {
    const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
    const TRTIKlassItem* lk = link.Klass >= 0 ? m->Klasses[link.Klass] : nullptr;
    out.KlassText += "/";
    out.KlassText += lk ? lk->DisplayName() : Dashes();
  }
  return out;
}

std::string JournalDayLine(int lesson, const TJournalLesson& l) {
  std::string s = std::to_string(lesson) + ". ";
  if (!l.Found) return s + LoadResStr(kMsgNone);
  return s + l.KlassText + " " + l.Subject;
}

std::vector<TJournalLesson> TeacherDay(const TTableVarItem& var, int teacher, int weekday) {
  std::vector<TJournalLesson> day;
  if (weekday < 1 || weekday > 6 || teacher < 0) return day;
  for (int n = 1; n <= var.LessonsPerDay(); ++n) day.push_back(JournalLessonAt(var, teacher, weekday, n));
  return day;
}

int AddAbsenceRows(std::vector<TZameshRow>& rows, const std::string& teacherName,
                   const std::vector<TJournalLesson>& day, const std::vector<bool>& ticked) {
  uint32_t absence = 0;
  for (std::size_t i = 0; i < ticked.size() && i < day.size() && i < 32; ++i)
    if (ticked[i]) absence |= uint32_t(1) << i;
  int added = 0;
  for (std::size_t i = 0; i < ticked.size() && i < day.size() && i < 32; ++i) {
    const TJournalLesson& l = day[i];
    if (!ticked[i] || !l.Found) continue;
    const std::string lessonText = std::to_string(i + 1);
    bool held = false;
    for (const TZameshRow& r : rows)
      held = held || (r.Texts[kZamLesson] == lessonText && r.Texts[kZamAbsent] == teacherName &&
                      r.Texts[kZamSubject] == l.Subject && r.Texts[kZamKlass] == l.KlassText &&
                      r.Texts[kZamRoom] == l.Room);
    if (held) continue;
    if (rows.empty() || RowHasLesson(rows.back())) rows.emplace_back();
    TZameshRow& r = rows.back();
    r = TZameshRow{};
    r.Texts[kZamLesson] = lessonText;
    r.Texts[kZamAbsent] = teacherName;
    r.Texts[kZamSubject] = l.Subject;
    r.Texts[kZamKlass] = l.KlassText;
    r.Texts[kZamRoom] = l.Room;
    r.Texts[kZamReason] = LoadResStr(kMsgSickLeave);
    r.Texts[kZamTaught] = l.Subject;
    r.Objects[kZamAbsent] = absence;
    r.Objects[kZamKlass] = static_cast<uint32_t>(l.Section);
    ++added;
  }
  return added;
}

bool DeleteJournalRow(std::vector<TZameshRow>& rows, int index) {
  if (index < 0 || index >= static_cast<int>(rows.size()) || !RowHasLesson(rows[static_cast<std::size_t>(index)]))
    return false;
  if (rows.size() == 1)
    rows[0] = TZameshRow{};
  else
    rows.erase(rows.begin() + index);
  return true;
}

// ---- choice of a substitute ----

std::string SubstitutePrefix(SubstituteRank rank) {
  switch (rank) {
    case SubstituteRank::Group: return cp1251::fromUtf8("гр. ");
    case SubstituteRank::Busy: return cp1251::fromUtf8("ок. ");
    case SubstituteRank::Free: return cp1251::fromUtf8("св. ");
    case SubstituteRank::Wish: return cp1251::fromUtf8("зн. ");
  }
  return {};
}

bool LocateReplacedLesson(const TTableVarItem& var, const TZameshRow& row, int weekday, TSubstituteContext& ctx) {
  ctx = TSubstituteContext{};
  ctx.Var = &var;
  ctx.Weekday = weekday;
  ctx.Lesson = ZameshLessonNumber(row.Texts[kZamLesson]);
  ctx.AbsentTeacher = ZameshTeacherByName(row.Texts[kZamAbsent], VariantTeacherNames(var));
  if (ctx.AbsentTeacher < 0 || ctx.Lesson < 1) return false;
  int klass = -1, group = -1, links = 0;
  if (!var.FindTeacherLesson(ctx.AbsentTeacher, ctx.Lesson, weekday, klass, group, links)) return false;
  ctx.Klass = klass;
  ctx.Group = group;
  ctx.Links = links;
  return true;
}

std::vector<TSubstituteCandidate> RankSubstitutes(const TSubstituteContext& ctx, const TExclusionTable& exclusion,
                                                  int teachersWills) {
  std::vector<TSubstituteCandidate> out;
  if (!ctx.Var || !ctx.Var->Model() || ctx.Klass < 0) return out;
  const TTableVarItem& var = *ctx.Var;
  const TRunModel& m = *var.Model();
  const TTableCell cell = var.GetCell(ctx.Klass, ctx.Weekday, ctx.Lesson);
  const TRTILessonItem* lesson = m.KlassLesson(ctx.Klass, cell.Lesson);
  const int slot = (ctx.Weekday - 1) * 24 + ctx.Lesson;

  std::vector<TSubstituteCandidate> ranks[4];
  for (int t = 0; t < m.Teachers.Count(); ++t) {
    if (t == ctx.AbsentTeacher) continue;
    const TRTITeacherItem* teacher = m.Teachers[t];
    if (!teacher) continue;
    // The order of the tests matters: a group teacher of the lesson is
    // offered even when booked elsewhere, and the wishes are looked at
    // before the timetable.
    SubstituteRank rank;
    if (exclusion.IsAbsent(t, ctx.Lesson)) continue;
    if (lesson && lesson->GroupOfTeacher(t) >= 0) {
      rank = SubstituteRank::Group;
    } else if (exclusion.IsSubstituting(t, ctx.Lesson)) {
      continue;
    } else if (TeacherHourClosed(teacher->GetBusy(slot), teachersWills)) {
      rank = SubstituteRank::Wish;
    } else {
      int k = -1, g = -1, links = 0;
      if (var.FindTeacherLesson(t, ctx.Lesson, ctx.Weekday, k, g, links)) continue;
      rank = var.CountTeacherFair(t, ctx.Weekday) > 0 ? SubstituteRank::Busy : SubstituteRank::Free;
    }
    ranks[static_cast<int>(rank)].push_back({t, rank, SubstitutePrefix(rank) + teacher->DisplayName()});
  }
  for (auto& r : ranks) out.insert(out.end(), r.begin(), r.end());
  return out;
}

void ApplySubstitute(TZameshRow& row, const TSubstituteCandidate& chosen, const TTableVarItem& var) {
  const std::vector<std::string> names = VariantTeacherNames(var);
  if (chosen.Teacher >= 0 && chosen.Teacher < static_cast<int>(names.size()))
    row.Texts[kZamSubstitute] = names[static_cast<std::size_t>(chosen.Teacher)];
  else
    row.Texts[kZamSubstitute] = chosen.Text.size() >= 4 ? chosen.Text.substr(4) : std::string();
  row.Objects[kZamSubstitute] = chosen.Rank == SubstituteRank::Group ? 1 : 0;
}

std::vector<TZameshTeacherCount> CountZamesh(const TZameshImage& archive, double first, double last) {
  std::vector<TZameshTeacherCount> out;
  first = ZameshWholeDay(first);
  last = ZameshWholeDay(last);
  if (!std::isfinite(first) || !std::isfinite(last)) return out;
  // Only days with an entry hold rows: walk those of the period by date.
  std::vector<double> days;
  for (std::size_t i = 0; i < kZameshEntries; ++i) {
    const TZameshIndexEntry& e = archive.Entry(i);
    const double d = ZameshWholeDay(e.Date);
    if (!e.IsFree() && d >= first && d <= last) days.push_back(d);
  }
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());

  auto teacher = [&out](const std::string& name) -> TZameshTeacherCount& {
    for (TZameshTeacherCount& c : out)
      if (c.Name == name) return c;
    out.push_back(TZameshTeacherCount{name});
    return out.back();
  };
  ZameshDayBuffer day;
  for (double d : days) {
    archive.ReadDay(d, day);
    for (int row = 1; row <= day.Count(); ++row) {
      const bool junior = day.Object(kZamKlass, row) == 0;
      const bool group = day.Object(kZamSubstitute, row) != 0;
      const std::string& absent = day.Text(kZamAbsent, row);
      if (!absent.empty()) ++(junior ? teacher(absent).MissedJunior : teacher(absent).MissedOther);
      const std::string& substitute = day.Text(kZamSubstitute, row);
      if (substitute.empty()) continue;
      TZameshTeacherCount& c = teacher(substitute);
      if (junior)
        ++(group ? c.SubstJuniorGroup : c.SubstJunior);
      else
        ++(group ? c.SubstOtherGroup : c.SubstOther);
    }
  }
  return out;
}

}  // namespace korvant
