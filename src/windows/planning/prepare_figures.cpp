#include "windows/planning/prepare_figures.h"

#include <algorithm>
#include <optional>

#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant {

namespace {

std::string Num(int v) { return std::to_string(v); }

std::optional<int> ParseInt(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  std::size_t e = s.size();
  while (e > i && s[e - 1] == ' ') --e;
  if (i == e || e - i > 9) return std::nullopt;
  int v = 0;
  for (; i < e; ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    v = v * 10 + (s[i] - '0');
  }
  return neg ? -v : v;
}

void Size(TPrepTable& t, int n) {
  t.Names.assign(static_cast<std::size_t>(n), std::string());
  t.Cells.assign(static_cast<std::size_t>(n), {});
  t.Marked.assign(static_cast<std::size_t>(n), 0);
  t.Windows.assign(static_cast<std::size_t>(n), 0);
}

void Mark(TPrepTable& t, int col) {
  if (col >= 0 && col < t.Count()) t.Marked[static_cast<std::size_t>(col)] = 1;
}

}  // namespace

TPrepTables FillPrepareFigures(const TRunModel& m, const TTableVarItem& var, int day, TPrepKind kind,
                               int maxWindowsAtDay) {
  const bool opti = kind == TPrepKind::Optimisation;
  TPrepTables t;
  Size(t.Klasses, m.Klasses.Count());
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* x = m.Klasses[k];
    auto& c = t.Klasses.Cells[static_cast<std::size_t>(k)];
    t.Klasses.Names[static_cast<std::size_t>(k)] = x->DisplayName();
    c[1] = Num(x->WeekHours);
    c[2] = Num(x->RemainingHours);
    c[4] = Num(x->ClosedHoursToday);
    c[5] = Num(x->TodayHours);
    if (opti) {
      c[7] = Num(x->TodayHours);
    } else {
      c[7] = Num(std::max(0, x->DayMinLeft - x->TodayHours));
      c[8] = Num(std::max(0, x->DayMaxLeft - x->TodayHours));
    }
  }
  Size(t.Teachers, m.Teachers.Count());
  for (int i = 0; i < m.Teachers.Count(); ++i) {
    const TRTITeacherItem* x = m.Teachers[i];
    auto& c = t.Teachers.Cells[static_cast<std::size_t>(i)];
    t.Teachers.Names[static_cast<std::size_t>(i)] = x->DisplayName();
    c[1] = Num(WantedFreeDays(*x));
    c[2] = Num(std::max(0, WantedFreeDays(*x) - x->FreeDays));
    c[4] = Num(x->WeekHours);
    c[5] = Num(x->RemainingHours);
    c[7] = Num(x->ClosedHoursToday);
    c[8] = Num(x->TodayHours);
    if (opti) {
      const int windows = var.GetTeacherWindows(i, day);
      t.Teachers.Windows[static_cast<std::size_t>(i)] = windows;
      c[10] = Num(std::max(windows, maxWindowsAtDay));
    } else {
      c[10] = Num(std::max(0, x->DayMinLeft - x->TodayHours));
      c[11] = Num(std::max(0, x->DayMaxLeft - x->TodayHours));
    }
  }
  return t;
}

void MarkPrepareColumns(const TRunModel& m, int day, TPrepKind kind, TPrepTables& t) {
  if (kind == TPrepKind::Control) return;
  const int32_t* row = m.Teachers.GroupRow(m.CurGroup);
  for (int i = 0; row && row[i] >= 0; ++i) {
    Mark(t.Teachers, row[i]);
    if (kind != TPrepKind::Placement) continue;
    const TRTITeacherItem* teacher = m.Teachers[row[i]];
    if (!teacher) continue;
    for (int c = 0; c < teacher->Lessons.Count(); ++c) Mark(t.Klasses, teacher->Lessons[c]->KlassID);
  }
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* x = m.Klasses[k];
    for (int li = 0; li < x->Lessons.Count(); ++li) {
      const auto& marks = x->Lessons[li]->QuantDays;
      if (std::find(marks.begin(), marks.end(), static_cast<uint16_t>(day)) != marks.end()) Mark(t.Klasses, k);
    }
  }
}

bool PrepCellEditable(TPrepKind kind, const TPrepTable& table, bool teachers, int col, int row) {
  if (kind == TPrepKind::Control || col < 0 || col >= table.Count()) return false;
  if (!table.Marked[static_cast<std::size_t>(col)]) return false;
  const int first = PrepEditRow(teachers);
  const int last = kind == TPrepKind::Optimisation ? first : first + 1;
  return row >= first && row <= last;
}

bool AcceptPrepEdit(TPrepKind kind, TPrepTable& table, bool teachers, int col, int row, const std::string& text,
                    const std::string& before) {
  if (!PrepCellEditable(kind, table, teachers, col, row)) return false;
  const std::optional<int> parsed = ParseInt(text);
  if (!parsed) {
    table.At(col, row) = before.empty() ? "0" : before;
    return false;
  }
  int v = *parsed;
  if (kind == TPrepKind::Optimisation) {
    // The day cannot have fewer lessons than are placed on it.
    if (!teachers) v = std::max(v, ParseInt(table.At(col, 5)).value_or(0));
  } else {
    const int minRow = PrepEditRow(teachers);
    if (row == minRow) {
      if (ParseInt(table.At(col, minRow + 1)).value_or(0) < v) table.At(col, minRow + 1) = Num(v);
    } else if (ParseInt(table.At(col, minRow)).value_or(0) > v) {
      table.At(col, minRow) = Num(v);
    }
  }
  table.At(col, row) = Num(v);
  return true;
}

bool TakePrepareLimits(TRunModel& m, const TPrepTables& shown, const TPrepTables& edited) {
  struct Change {
    int32_t* field;
    int value;
  };
  std::vector<Change> changes;
  auto collect = [&](const TPrepTable& was, const TPrepTable& now, bool teachers, int count) {
    const int minRow = PrepEditRow(teachers);
    for (int c = 0; c < std::min({count, was.Count(), now.Count()}); ++c) {
      int32_t* placed = teachers ? &m.Teachers[c]->TodayHours : &m.Klasses[c]->TodayHours;
      int32_t* fields[2] = {teachers ? &m.Teachers[c]->DayMinLeft : &m.Klasses[c]->DayMinLeft,
                            teachers ? &m.Teachers[c]->DayMaxLeft : &m.Klasses[c]->DayMaxLeft};
      for (int i = 0; i < 2; ++i) {
        const std::string& text = now.At(c, minRow + i);
        if (text == was.At(c, minRow + i)) continue;
        const std::optional<int> v = ParseInt(text);
        if (!v) return false;
        changes.push_back({fields[i], *v + *placed});
      }
    }
    return true;
  };
  if (!collect(shown.Klasses, edited.Klasses, false, m.Klasses.Count())) return false;
  if (!collect(shown.Teachers, edited.Teachers, true, m.Teachers.Count())) return false;
  for (const Change& ch : changes) *ch.field = ch.value;
  return true;
}

bool ApplyOptiFigures(TRunModel& m, const TPrepTables& edited) {
  const int K = std::min(m.Klasses.Count(), edited.Klasses.Count());
  const int T = std::min(m.Teachers.Count(), edited.Teachers.Count());
  std::vector<int> kv(static_cast<std::size_t>(K)), tv(static_cast<std::size_t>(T));
  for (int k = 0; k < K; ++k) {
    const std::optional<int> v = ParseInt(edited.Klasses.At(k, 7));
    if (!v) return false;
    kv[static_cast<std::size_t>(k)] = *v;
  }
  for (int t = 0; t < T; ++t) {
    const std::optional<int> v = ParseInt(edited.Teachers.At(t, 10));
    if (!v) return false;
    tv[static_cast<std::size_t>(t)] = *v;
  }
  for (int k = 0; k < K; ++k) m.Klasses[k]->TodayHours = kv[static_cast<std::size_t>(k)];
  for (int t = 0; t < T; ++t) m.Teachers[t]->DayMaxLeft = tv[static_cast<std::size_t>(t)];
  return true;
}

void OptiKlassToggle(const TRunModel& m, TPrepTable& klasses, bool maximum) {
  for (int c = 0; c < std::min(klasses.Count(), m.Klasses.Count()); ++c) {
    if (!klasses.Marked[static_cast<std::size_t>(c)]) continue;
    klasses.At(c, 7) = maximum ? Num(m.Klasses[c]->DayMaxLeft) : klasses.At(c, 5);
  }
}

void OptiTeacherToggle(TPrepTable& teachers, bool maximum, int maxWindowsAtDay) {
  for (int c = 0; c < teachers.Count(); ++c) {
    if (!teachers.Marked[static_cast<std::size_t>(c)]) continue;
    const int windows = std::max(0, teachers.Windows[static_cast<std::size_t>(c)]);
    teachers.At(c, 10) = Num(maximum ? std::max(windows, maxWindowsAtDay) : windows);
  }
}

}  // namespace korvant
