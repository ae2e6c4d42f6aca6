#pragma once
// A sketch of the whole week at hours, made before any day is arranged.
// Every block of every lesson gets a day and a first hour; a local search
// then moves and swaps blocks until no teacher or klass stands twice in an
// hour, no lesson has two blocks on one day, every klass day is closed up
// from an allowed first hour and a lesson without a teacher begins or ends
// it, teachers keep their wanted free days (and, as asked, teachers
// sharing a room and separated blocks keep apart); then for fewer idle
// hours of the teachers. The week driver enters a sketch that keeps every
// rule at its hours, and of one that does not the part that does.
#include <chrono>
#include <cstdint>
#include <vector>

namespace korvant {

class TRunModel;

struct TSketchBlock {
  int Klass = -1;    // lowest klass of the joint lesson
  int Lesson = -1;
  int Len = 0;
  int Day = 0;       // 1..6, 0 when it has no place yet
  int Start = 0;     // first hour
  // In a sketch that breaks a rule: whether the block is in the part that
  // keeps every rule (the rest is left to the planning commands).
  bool Holds = true;
};

struct TSketchResult {
  bool Sound = false;        // no rule broken
  int Broken = 0;            // clashes, lessons twice a day, klass holes left
  int Windows = 0;           // teachers' idle hours of the sketch
  uint64_t Moves = 0;        // moves tried
  int Left = 0;              // blocks no hour of the week is open to
  int Unmatched = 0;         // blocks of a joint lesson some linked lesson lacks
  double SoundAfter = -1;    // seconds until the rules held (-1 never)
  std::vector<TSketchBlock> Blocks;
};

struct TSketchOptions {
  uint32_t Seed = 1;
  int TimeBudgetMs = 10000;
  // Once the rules hold, the search goes on this long for fewer idle hours.
  int PolishMs = 0;
  // A search whose rules do not hold by then stops (0: TimeBudgetMs); one
  // whose rules hold may polish until TimeBudgetMs.
  int SoundByMs = 0;
  // Teachers sharing a room: a lesson that keeps to the room (not marked
  // otherwise) stands at no hour with another lesson of those teachers.
  bool HonourRooms = false;
  // A lesson's separated blocks never stand right before or after a block
  // of the lesson.
  bool SeparateParts = false;
  // Moves the search may try (0: as many as the time allows), so that a
  // seed repeats a run whatever the machine's speed.
  uint64_t MoveBudget = 0;
};

// Sketches the week of every lesson of the model. Lessons the model cannot
// collect a joint set for, blocks no hour of the week is open to (for all
// their klasses and teachers) and blocks of a joint lesson that a linked
// lesson has no block of that length for are left out of the sketch.
TSketchResult SketchWeek(const TRunModel& m, const TSketchOptions& options);

}  // namespace korvant
