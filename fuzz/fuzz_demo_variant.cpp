// Fuzzed variant files against the demonstration project, then edited as
// a person would: the bytes after the grids are a script of block moves,
// moves to the draft, lessons taken off a day, room assignments and a
// teacher group's lessons regrouped. What
// is read must survive the edits and save to a file that reads back the
// same.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <span>

#include "core/planning/room_assign.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/manual_edit.h"
#include "core/variant/var_file.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvant;
  fuzzing::InstallSilentPrompt();
  static TProjectData* project = [] {
    auto* d = new TProjectData;
    if (!ReadProjectImage(DemoProjectImage(), *d)) __builtin_trap();
    return d;
  }();
  const std::span<const unsigned char> image(data, size);
  auto doc = TVarDocument::FromImage(*project, image, "fuzz.rsp");
  if (!doc) return 0;
  TTableVarItem& v = doc->Var();
  const int L = v.LessonsPerDay();
  const int K = v.KlassCount();
  if (K == 0) return 0;

  // The script: what follows the stored grids, four bytes a step.
  TVarOptions stored;
  (void)ReadVarHeader(image, stored);
  const uint64_t body = uint64_t(stored.KlassCount) * 6 * uint64_t(stored.LessonsPerDay) * kTableCellBytes * 2;
  const std::size_t from = static_cast<std::size_t>(std::min<uint64_t>(size, VarHeaderSize + body));
  int steps = 0;
  for (std::size_t i = from; i + 4 <= size && steps < 64; i += 4, ++steps) {
    const int op = data[i] % 5;
    const int day = 1 + data[i] / 5 % 6;
    const int klass = data[i + 1] % K;
    const int hour = 1 + data[i + 2] % L;
    const int target = 1 + data[i + 3] % L;
    doc->SetDay(day);
    int head = 0;
    switch (op) {
      case 0:
        if (FairBlockAt(v, klass, day, hour, head) > 0) (void)MoveBlock(v, day, klass, head, target);
        break;
      case 1: {
        const TTableCell c = v.GetCell(klass, day, hour);
        if (c.Lesson >= 0) (void)MoveLessonToDraft(v, day, {klass, c.Lesson});
        break;
      }
      case 2: {
        const TTableCell c = v.GetCell(klass, day, hour);
        if (c.Lesson >= 0) (void)TakeLessonOffDay(v, day, {klass, c.Lesson});
        break;
      }
      case 3:
        (void)SetDayRooms(v, day);
        break;
      case 4: {
        // A teacher group's lessons of the day to the drafts or off the
        // day, as the group editor's commands do.
        TRunModel& m = doc->Model();
        if (m.Teachers.GroupCount() > 0)
          (void)RegroupDay(m, v, day, data[i + 3] % m.Teachers.GroupCount(), data[i + 2] % 2 == 0);
        break;
      }
    }
  }

  const auto saved = WriteVarImage(v, doc->Options, doc->Day);
  auto back = TVarDocument::FromImage(*project, saved, "fuzz.rsp");
  if (!back) __builtin_trap();
  if (!fuzzing::RoomGridAgrees(v) || !fuzzing::SameVariant(v, back->Var())) __builtin_trap();
  if (WriteVarImage(back->Var(), back->Options, back->Day) != saved) __builtin_trap();
  return 0;
}
