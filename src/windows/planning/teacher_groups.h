#pragma once
// The working copy of the teacher group table that the group editors
// change: one row per teacher of the model (N rows), each the teacher
// indices of one group in order. A row holds at most N members ("full").
// Standard C++ only, so the moves are tested without a window.
#include <cstdint>
#include <vector>

namespace korvant {

class TRTITeachersCollection;

class TGroupTable {
 public:
  TGroupTable() = default;
  explicit TGroupTable(int teacherCount);

  // Copies the collection's table (rows ended by -1); rows beyond the
  // teacher count and members that are no teacher index are left out.
  static TGroupTable FromCollection(const TRTITeachersCollection& teachers);
  // N rows, each ended by -1, as the collection keeps them.
  std::vector<std::vector<int32_t>> ToRows() const;
  void StoreInto(TRTITeachersCollection& teachers) const;

  int TeacherCount() const { return n_; }
  int Size(int group) const;
  bool Full(int group) const { return Size(group) >= n_; }
  // Member r of group, or -1.
  int Member(int group, int r) const;
  const std::vector<int32_t>& Row(int group) const { return rows_[static_cast<std::size_t>(group)]; }
  // The last non-empty row + 1 (0 when all rows are empty).
  int ShownGroups() const;
  // The largest member count of the first `groups` rows, at least 10.
  int ShownMembers(int groups) const;
  // The first group with a member, or -1.
  int FirstNonEmpty() const;
  // The group holding teacher, or -1; its place in pos.
  int FindTeacher(int teacher, int* pos = nullptr) const;

  // Appends member r of group from to group to (the placement editor's
  // drop). False, nothing moved, for the same group, a bad place or a full
  // target. The new place in the target is returned in newPos.
  bool AppendMove(int from, int r, int to, int* newPos = nullptr);
  // The week editor's drop onto row targetRow (0-based member place) of
  // group to: inside one group the teacher takes that place (not below the
  // last member); into another group it goes before that member, or last
  // when the place lies after the last member. False when nothing moved.
  bool InsertMove(int from, int r, int to, int targetRow, int* newPos = nullptr);
  // All members of group a appended to group s in order; a becomes empty.
  // False for a == s, a bad index or a full s.
  bool Attach(int a, int s);

 private:
  bool Valid(int group) const { return group >= 0 && group < n_; }
  int n_ = 0;
  std::vector<std::vector<int32_t>> rows_;
};

}  // namespace korvant
