#include "windows/planning/teacher_groups.h"

#include <algorithm>

#include "core/variant/rti_model.h"

namespace korvant {

TGroupTable::TGroupTable(int teacherCount)
    : n_(std::max(0, teacherCount)), rows_(static_cast<std::size_t>(n_)) {}

TGroupTable TGroupTable::FromCollection(const TRTITeachersCollection& teachers) {
  TGroupTable t(teachers.Count());
  std::vector<uint8_t> seen(static_cast<std::size_t>(t.n_), 0);
  const int rows = std::min(teachers.GroupCount(), t.n_);
  for (int g = 0; g < rows; ++g) {
    const int32_t* row = teachers.GroupRow(g);
    for (int i = 0; row && i < t.n_ && row[i] >= 0; ++i) {
      const int32_t m = row[i];
      // A teacher listed twice would be moved twice and duplicated.
      if (m >= t.n_ || seen[static_cast<std::size_t>(m)]) continue;
      seen[static_cast<std::size_t>(m)] = 1;
      t.rows_[static_cast<std::size_t>(g)].push_back(m);
    }
  }
  return t;
}

std::vector<std::vector<int32_t>> TGroupTable::ToRows() const {
  std::vector<std::vector<int32_t>> out = rows_;
  for (auto& row : out) row.push_back(-1);
  return out;
}

void TGroupTable::StoreInto(TRTITeachersCollection& teachers) const { teachers.SetGroups(ToRows()); }

int TGroupTable::Size(int group) const {
  return Valid(group) ? static_cast<int>(rows_[static_cast<std::size_t>(group)].size()) : 0;
}

int TGroupTable::Member(int group, int r) const {
  if (!Valid(group) || r < 0 || r >= Size(group)) return -1;
  return rows_[static_cast<std::size_t>(group)][static_cast<std::size_t>(r)];
}

int TGroupTable::ShownGroups() const {
  for (int g = n_ - 1; g >= 0; --g)
    if (Size(g) > 0) return g + 1;
  return 0;
}

int TGroupTable::ShownMembers(int groups) const {
  int m = 10;
  for (int g = 0; g < std::min(groups, n_); ++g) m = std::max(m, Size(g));
  return m;
}

int TGroupTable::FirstNonEmpty() const {
  for (int g = 0; g < n_; ++g)
    if (Size(g) > 0) return g;
  return -1;
}

int TGroupTable::FindTeacher(int teacher, int* pos) const {
  for (int g = 0; g < n_; ++g) {
    const auto& row = rows_[static_cast<std::size_t>(g)];
    const auto it = std::find(row.begin(), row.end(), teacher);
    if (it != row.end()) {
      if (pos) *pos = static_cast<int>(it - row.begin());
      return g;
    }
  }
  return -1;
}

bool TGroupTable::AppendMove(int from, int r, int to, int* newPos) {
  if (from == to || !Valid(to) || Member(from, r) < 0 || Full(to)) return false;
  auto& src = rows_[static_cast<std::size_t>(from)];
  auto& dst = rows_[static_cast<std::size_t>(to)];
  dst.push_back(src[static_cast<std::size_t>(r)]);
  src.erase(src.begin() + r);
  if (newPos) *newPos = static_cast<int>(dst.size()) - 1;
  return true;
}

bool TGroupTable::InsertMove(int from, int r, int to, int targetRow, int* newPos) {
  if (!Valid(to) || Member(from, r) < 0 || targetRow < 0) return false;
  auto& src = rows_[static_cast<std::size_t>(from)];
  const int32_t teacher = src[static_cast<std::size_t>(r)];
  if (from == to) {
    const int place = std::min(targetRow, Size(from) - 1);
    if (place == r) return false;
    src.erase(src.begin() + r);
    src.insert(src.begin() + place, teacher);
    if (newPos) *newPos = place;
    return true;
  }
  if (Full(to)) return false;
  auto& dst = rows_[static_cast<std::size_t>(to)];
  const int place = std::min(targetRow, static_cast<int>(dst.size()));
  dst.insert(dst.begin() + place, teacher);
  src.erase(src.begin() + r);
  if (newPos) *newPos = place;
  return true;
}

bool TGroupTable::Attach(int a, int s) {
  if (a == s || !Valid(a) || !Valid(s) || Full(s)) return false;
  auto& src = rows_[static_cast<std::size_t>(a)];
  auto& dst = rows_[static_cast<std::size_t>(s)];
  if (dst.size() + src.size() > static_cast<std::size_t>(n_)) return false;
  dst.insert(dst.end(), src.begin(), src.end());
  src.clear();
  return true;
}

}  // namespace korvant
