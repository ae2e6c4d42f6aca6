#pragma once
// Realistic schools for benchmarks and tests: grades 5 to 11 with parallel
// klasses, a six-day week, a curriculum of 27 to 30 hours per klass in
// blocks of one and two hours, English in two groups, a joint PE lesson of
// the first two klasses of a grade, teachers of 12 to 26 hours with some
// closed and unwanted hours and methodical days, teachers' and young
// klasses' own rooms, strict laboratories and gyms, and rooms enough for
// every hour. Every generated school passes the data checks.
#include <cstdint>
#include <memory>

#include "core/project/project_data.h"
#include "core/variant/table_var.h"

namespace korvant {

// The same (klasses, lessonsPerDay, seed) always gives the same school.
// klasses is at least 1; lessonsPerDay is clamped to 6..24 (the greedy
// plan below and the curriculum need at least six hours a day).
std::unique_ptr<TProjectData> GenerateSchool(int klasses, int lessonsPerDay, uint32_t seed);

// A school shaped like the large real ones: GenerateSchool's curriculum
// over lessonsPerDay hours (clamped to 8..11) with option blocks on top
// (two groups per klass, each group joint across two or three klasses of a
// grade with one teacher, one to three hours a week) until a klass has
// about three fifths of the week's hours; about a third of the klasses
// begin their day at hour 2 only; a fifth of the teachers want a free day,
// and one in four has closed hours at the start of a day.
std::unique_ptr<TProjectData> GenerateLargeSchool(int klasses, int lessonsPerDay, uint32_t seed);

// Places every block of every lesson of the variant's model into the fair
// copy of days 1..6 (the variant is cleared first): no klass, teacher or
// room kind is booked twice at one hour, no klass or teacher works at a
// closed hour, a teacher with methodical days keeps one day free, blocks
// of a lesson go to different days, a klass day holds at most a sixth of
// the klass's week plus one hour, and gaps and uneven days are avoided
// where the order allows (a plan for benchmarks, not a good timetable).
// Rooms are not given. Tries up to attempts orders; answers the number of
// blocks the best try could not place (0: the week is fully planned).
int PlaceWeekGreedy(TTableVarItem& var, uint32_t seed, int attempts = 20);

}  // namespace korvant
