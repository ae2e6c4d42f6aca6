#include "core/variant/joint_blocks.h"

#include <algorithm>

namespace korvant {

namespace {

// Per length, the fewest blocks of (klass, lesson)'s linked set, each
// lesson's taken from blocksOf.
template <class BlocksOf>
TBlockCounts FewestOfSet(const TRunModel* m, int klass, int lesson, BlocksOf blocksOf) {
  TLinkedLists lists;
  if (!m || !m->KlassLesson(klass, lesson) || !m->Klasses.CollectLinkedLessons(klass, lesson, lists)) return {};
  TBlockCounts joint = blocksOf(klass, lesson);
  for (int i = 0; i < lists.LessonCount(); ++i) {
    const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
    if (e.A == klass && e.B == lesson) continue;
    const TBlockCounts other = blocksOf(e.A, e.B);
    for (std::size_t n = 0; n < joint.size(); ++n) joint[n] = std::min(joint[n], other[n]);
  }
  return joint;
}

}  // namespace

TBlockCounts LessonBlocks(const TRTILessonItem& lesson) {
  TBlockCounts blocks{};
  for (int q = 1, n = lesson.QuantsCount(); q <= n; ++q) {
    const int len = lesson.QuantAt(q);
    if (len >= 1 && len <= kMaxLessonsPerDay) ++blocks[static_cast<std::size_t>(len)];
  }
  return blocks;
}

TBlockCounts JointBlocks(const TRunModel& m, int klass, int lesson) {
  return FewestOfSet(&m, klass, lesson, [&](int k, int li) { return LessonBlocks(*m.KlassLesson(k, li)); });
}

std::vector<int> InLessonOrder(const TRTILessonItem& lesson, TBlockCounts counts) {
  std::vector<int> lengths;
  for (int q = 1, n = lesson.QuantsCount(); q <= n; ++q) {
    const int len = lesson.QuantAt(q);
    if (len < 1 || len > kMaxLessonsPerDay || counts[static_cast<std::size_t>(len)] == 0) continue;
    --counts[static_cast<std::size_t>(len)];
    lengths.push_back(len);
  }
  return lengths;
}

TBlockCounts FreeBlocks(const TTableVarItem& var, int klass, int lesson, int day) {
  const TRunModel* m = var.Model();
  const TRTILessonItem* l = m ? m->KlassLesson(klass, lesson) : nullptr;
  if (!l) return {};
  TBlockCounts free = LessonBlocks(*l);
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
  return FewestOfSet(var.Model(), klass, lesson, [&](int k, int li) { return FreeBlocks(var, k, li, day); });
}

bool JointBlockFree(const TTableVarItem& var, int klass, int lesson, int length, int day) {
  if (length < 1 || length > kMaxLessonsPerDay) return false;
  return JointFreeBlocks(var, klass, lesson, day)[static_cast<std::size_t>(length)] > 0;
}

}  // namespace korvant
