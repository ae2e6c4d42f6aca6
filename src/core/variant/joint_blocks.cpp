#include "core/variant/joint_blocks.h"

#include <algorithm>

namespace korvant {

TBlockCounts FreeBlocks(const TTableVarItem& var, int klass, int lesson, int day) {
  TBlockCounts free{};
  const TRunModel* m = var.Model();
  const TRTILessonItem* l = m ? m->KlassLesson(klass, lesson) : nullptr;
  if (!l) return free;
  for (int q = 1, n = l->QuantsCount(); q <= n; ++q) {
    const int len = l->QuantAt(q);
    if (len >= 1 && len <= kMaxLessonsPerDay) ++free[static_cast<std::size_t>(len)];
  }
  // Taking any block of the day's length is taking the first one: the
  // counts are the same either way.
  for (int d = 1; d <= 6; ++d) {
    if (d == day) continue;
    const int c = var.CountLessonInDay(klass, lesson, d);
    if (c >= 1 && c <= kMaxLessonsPerDay && free[static_cast<std::size_t>(c)] > 0) --free[static_cast<std::size_t>(c)];
  }
  return free;
}

TBlockCounts JointFreeBlocks(const TTableVarItem& var, int klass, int lesson, int day) {
  const TRunModel* m = var.Model();
  TLinkedLists lists;
  if (!m || !m->KlassLesson(klass, lesson) || !m->Klasses.CollectLinkedLessons(klass, lesson, lists)) return {};
  TBlockCounts joint = FreeBlocks(var, klass, lesson, day);
  for (int i = 1; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    const TBlockCounts other = FreeBlocks(var, e.A, e.B, day);
    for (std::size_t n = 0; n < joint.size(); ++n) joint[n] = std::min(joint[n], other[n]);
  }
  return joint;
}

bool JointBlockFree(const TTableVarItem& var, int klass, int lesson, int length, int day) {
  if (length < 1 || length > kMaxLessonsPerDay) return false;
  return JointFreeBlocks(var, klass, lesson, day)[static_cast<std::size_t>(length)] > 0;
}

}  // namespace korvant
