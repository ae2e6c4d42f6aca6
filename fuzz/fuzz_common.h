#pragma once
// What the fuzz targets share: a prompt that answers every box with "Да",
// and the comparison of a variant with the one read back from its file.
#include <algorithm>
#include <string>
#ifdef KORVANT_FUZZ_DEBUG
#include <cstdio>
#define KORVANT_FUZZ_DIFF(...) std::fprintf(stderr, __VA_ARGS__)
#else
#define KORVANT_FUZZ_DIFF(...) ((void)0)
#endif

#include "core/common/catalogue.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant::fuzzing {

class SilentPrompt : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner, const std::string&, uint8_t) override { return kResYes; }
};

inline void InstallSilentPrompt() {
  static SilentPrompt prompt;
  InstallPrompt(&prompt);
}

// Groups of lesson (an index of klass k's run-time lessons) that hold rooms.
inline int GroupsOf(const TTableVarItem& v, int k, int lesson) {
  const TRunModel* m = v.Model();
  if (!m || lesson < 0 || k < 0 || k >= m->Klasses.Count() || lesson >= m->Klasses[k]->Lessons.Count()) return 0;
  return std::min(m->Klasses[k]->Lessons[lesson]->SubItemsCount(), kMaxLessonGroups);
}

// Whether the room grid says of every room and hour what the fair copy
// says: a room a lesson holds is taken, and a taken room is held by the
// klass it names.
inline bool RoomGridAgrees(const TTableVarItem& v) {
  for (int d = 1; d <= 6; ++d)
    for (int h = 1; h <= v.LessonsPerDay(); ++h) {
      for (int k = 0; k < v.KlassCount(); ++k) {
        const TTableCell c = v.GetCell(k, d, h);
        for (int g = 0; g < GroupsOf(v, k, c.Lesson); ++g) {
          const uint16_t room = c.Rooms[static_cast<std::size_t>(g)];
          if (room != kNoRoom && room < v.RoomCount() && v.GetRoomCell(room, d, h).Klass < 0) {
            KORVANT_FUZZ_DIFF("room %d day %d hour %d held by klass %d but free\n", room, d, h, k);
            return false;
          }
        }
      }
      for (int r = 0; r < v.RoomCount(); ++r) {
        const int k = v.GetRoomCell(r, d, h).Klass;
        if (k < 0) continue;
        const TTableCell c = v.GetCell(k, d, h);
        bool held = false;
        for (int g = 0; g < GroupsOf(v, k, c.Lesson); ++g) held = held || c.Rooms[static_cast<std::size_t>(g)] == r;
        if (!held) {
          KORVANT_FUZZ_DIFF("room %d day %d hour %d names klass %d, which does not hold it\n", r, d, h, k);
          return false;
        }
      }
    }
  return true;
}

// Every fair and draft cell of two variants of the same geometry, and
// which rooms are taken when.
inline bool SameVariant(const TTableVarItem& a, const TTableVarItem& b) {
  if (a.KlassCount() != b.KlassCount() || a.LessonsPerDay() != b.LessonsPerDay() ||
      a.RoomCount() != b.RoomCount())
    return false;
  for (int d = 1; d <= 6; ++d)
    for (int h = 1; h <= a.LessonsPerDay(); ++h) {
      for (int k = 0; k < a.KlassCount(); ++k)
        for (bool draft : {false, true}) {
          const TTableCell x = draft ? a.GetDraftCell(k, d, h) : a.GetCell(k, d, h);
          const TTableCell y = draft ? b.GetDraftCell(k, d, h) : b.GetCell(k, d, h);
          if (x == y) continue;
          KORVANT_FUZZ_DIFF("klass %d day %d hour %d draft %d: lesson %d/%d hour %d/%d prev %d/%d room %d/%d\n", k, d, h,
                            draft, x.Lesson, y.Lesson, x.Hour, y.Hour, x.PrevHour, y.PrevHour, x.Rooms[0], y.Rooms[0]);
          return false;
        }
      // A room two klasses share at an hour names one of them, whichever
      // wrote last: the grids must agree on which rooms are held, and each
      // names a klass that holds it.
      for (int r = 0; r < a.RoomCount(); ++r)
        if ((a.GetRoomCell(r, d, h).Klass < 0) != (b.GetRoomCell(r, d, h).Klass < 0)) {
          KORVANT_FUZZ_DIFF("room %d day %d hour %d: klass %d/%d\n", r, d, h, a.GetRoomCell(r, d, h).Klass,
                            b.GetRoomCell(r, d, h).Klass);
          return false;
        }
    }
  return true;
}

}  // namespace korvant::fuzzing
