#pragma once
// Links between groups of lessons are symmetric: group g of lesson A holds
// {B, h} exactly when group h of lesson B holds {A, g}. Every editing of
// links goes through these operations, so no link is ever left pointing
// one way only or at a group that is gone.
#include <cstdint>

#include "core/project/lessons.h"

namespace korvant {

// Whether group holds link.
bool HoldsLink(const TLessonSubItem& group, const TLessonLink& link);

// Links group ga of lesson a with group gb of the lesson with identifier
// other, on both sides. Refused (false) when the lesson or a group does
// not exist, when it is lesson a itself, or when a side that does not hold
// the pair yet has no room for it (5 links). True when both sides hold it.
bool AddLinkPair(TLessonsCollection& lessons, TLessonItem& a, int ga, const TLessonLink& other);

// Removes the pair on both sides (whichever side holds it).
void RemoveLinkPair(TLessonsCollection& lessons, TLessonItem& a, int ga, const TLessonLink& other);

// Removes from every other lesson the links to groups fromGroup.. of the
// lesson with identifier id (0: to the whole lesson, before it is removed
// or all its groups are replaced). Answers the number of links removed.
int DropLinksTo(TLessonsCollection& lessons, int32_t id, int fromGroup = 0);

// A lesson that got its links by copying (a new identifier): every link
// whose other side can take the mirror gets it; a link that cannot be
// mirrored (no such lesson or group, or a full list there) is dropped from
// the lesson. Answers the number of links dropped.
int MirrorLinksOf(TLessonsCollection& lessons, TLessonItem& lesson);

}  // namespace korvant
