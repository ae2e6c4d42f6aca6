#pragma once
// What the fuzz targets share: a prompt that answers every box with "Да",
// and the comparison of a variant with the one read back from its file.
#include <string>
#ifdef KORVANT_FUZZ_DEBUG
#include <cstdio>
#define KORVANT_FUZZ_DIFF(...) std::fprintf(stderr, __VA_ARGS__)
#else
#define KORVANT_FUZZ_DIFF(...) ((void)0)
#endif

#include "core/catalogue.h"
#include "core/table_var.h"

namespace korvant::fuzzing {

class SilentPrompt : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner, const std::string&, uint8_t) override { return kResYes; }
};

inline void InstallSilentPrompt() {
  static SilentPrompt prompt;
  InstallPrompt(&prompt);
}

// Every fair and draft cell and every room cell of two variants of the
// same geometry.
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
      // A free room (klass -1) may keep what it last held in its other fields.
      for (int r = 0; r < a.RoomCount(); ++r)
        if (const TRoomCell x = a.GetRoomCell(r, d, h), y = b.GetRoomCell(r, d, h);
            !(x == y) && !(x.Klass == -1 && y.Klass == -1)) {
          KORVANT_FUZZ_DIFF("room %d day %d hour %d: klass %d/%d\n", r, d, h, a.GetRoomCell(r, d, h).Klass,
                            b.GetRoomCell(r, d, h).Klass);
          return false;
        }
    }
  return true;
}

}  // namespace korvant::fuzzing
