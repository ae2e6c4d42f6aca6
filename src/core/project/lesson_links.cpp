#include "core/project/lesson_links.h"

namespace korvant {

bool HoldsLink(const TLessonSubItem& group, const TLessonLink& link) {
  for (int i = 1, n = group.LinksCount(); i <= n; ++i)
    if (group.GetLink(i) == link) return true;
  return false;
}

bool AddLinkPair(TLessonsCollection& lessons, TLessonItem& a, int ga, const TLessonLink& other) {
  TLessonSubItem* mine = a.GetSubItem(ga);
  TLessonItem* b = other.LessonID >= 0 ? lessons.FindItemID(other.LessonID) : nullptr;
  if (!mine || !b || b == &a) return false;
  TLessonSubItem* theirs = b->GetSubItem(other.GroupIndex);
  if (!theirs) return false;
  const TLessonLink mirror{a.ID(), ga};
  const bool holdsMine = HoldsLink(*mine, other);
  const bool holdsTheirs = HoldsLink(*theirs, mirror);
  // Both sides take it or neither does.
  if ((!holdsMine && mine->LinksCount() >= kMaxGroupLinks) ||
      (!holdsTheirs && theirs->LinksCount() >= kMaxGroupLinks))
    return false;
  mine->ChangeLink(+1, other);
  theirs->ChangeLink(+1, mirror);
  return true;
}

void RemoveLinkPair(TLessonsCollection& lessons, TLessonItem& a, int ga, const TLessonLink& other) {
  if (TLessonSubItem* mine = a.GetSubItem(ga)) mine->ChangeLink(-1, other);
  TLessonItem* b = other.LessonID >= 0 ? lessons.FindItemID(other.LessonID) : nullptr;
  if (!b) return;
  if (TLessonSubItem* theirs = b->GetSubItem(other.GroupIndex)) theirs->ChangeLink(-1, {a.ID(), ga});
}

int DropLinksTo(TLessonsCollection& lessons, int32_t id, int fromGroup) {
  int dropped = 0;
  for (const auto& lesson : lessons) {
    if (lesson->ID() == id) continue;
    for (int g = 0; g < lesson->SubItemsCount(); ++g) {
      TLessonSubItem& group = *lesson->GetSubItem(g);
      for (int i = 1; i <= group.LinksCount();) {
        const TLessonLink link = group.GetLink(i);
        if (link.LessonID == id && link.GroupIndex >= fromGroup) {
          group.ChangeLink(-1, link);
          ++dropped;
        } else {
          ++i;
        }
      }
    }
  }
  return dropped;
}

int MirrorLinksOf(TLessonsCollection& lessons, TLessonItem& lesson) {
  int dropped = 0;
  for (int g = 0; g < lesson.SubItemsCount(); ++g) {
    TLessonSubItem& group = *lesson.GetSubItem(g);
    for (int i = 1; i <= group.LinksCount();) {
      const TLessonLink link = group.GetLink(i);
      if (AddLinkPair(lessons, lesson, g, link)) {
        ++i;
      } else {
        group.ChangeLink(-1, link);
        ++dropped;
      }
    }
  }
  return dropped;
}

}  // namespace korvant
