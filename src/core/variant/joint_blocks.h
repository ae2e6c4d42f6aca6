#pragma once
// The blocks a lesson, and a joint lesson with all its linked lessons, can
// still place. Reading a variant file gives each day's hours of a lesson
// the first block of that length that stands on no other day and drops the
// hours that match none; a joint block is written into every klass of the
// set, so one whose length a linked lesson has no free block of would
// vanish from that klass when the file is read again.
#include <array>
#include <cstdint>
#include <vector>

#include "core/project/params.h"
#include "core/variant/table_var.h"

namespace korvant {

// Blocks per length: [n] is how many blocks of n hours (1..24).
using TBlockCounts = std::array<uint8_t, kMaxLessonsPerDay + 1>;

// Per length, the blocks the lesson lists.
TBlockCounts LessonBlocks(const TRTILessonItem& lesson);

// Per length, the fewest blocks any lesson linked with (klass, lesson),
// itself included, lists: the blocks the joint lesson has in an empty
// week. All zero when the linked set cannot be collected whole.
TBlockCounts JointBlocks(const TRunModel& m, int klass, int lesson);

// The lengths of counts as a list, in the order the lesson lists its
// blocks (of each length, the first ones).
std::vector<int> InLessonOrder(const TRTILessonItem& lesson, TBlockCounts counts);

// The blocks of klass's lesson that stand on no day of var other than day
// (day 0: on no day at all): its block list less, for each day holding its
// hours, the first block of that day's hour count, as reading the file
// takes them. All zero for a lesson the model does not have.
TBlockCounts FreeBlocks(const TTableVarItem& var, int klass, int lesson, int day = 0);

// Per length, the fewest free blocks (FreeBlocks) any lesson linked with
// (klass, lesson), itself included, has: so many blocks of that length the
// joint lesson can still place. All zero when the linked set cannot be
// collected whole.
TBlockCounts JointFreeBlocks(const TTableVarItem& var, int klass, int lesson, int day = 0);

// Whether a block of length hours of the lesson may go onto day with its
// linked set: every lesson of the set has a free block of that length.
bool JointBlockFree(const TTableVarItem& var, int klass, int lesson, int length, int day = 0);

}  // namespace korvant
