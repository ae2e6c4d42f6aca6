// The substitution archive reader on arbitrary bytes: it must refuse or
// accept without a fault. In what it accepts every day must read, a day
// saved again must read back the same from an image that is accepted, and
// emptying a day must free it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/substitutions/zamesh_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvant;
  auto img = TZameshImage::FromBytes(std::vector<unsigned char>(data, data + size));
  if (!img) return 0;

  int checked = 0;
  for (std::size_t i = 0; i < kZameshEntries && checked < 4; ++i) {
    const TZameshIndexEntry e = img->Entry(i);
    if (e.IsFree() || !ZameshValidDate(e.Date)) continue;
    ++checked;
    ZameshDayBuffer buf;
    img->ReadDay(e.Date, buf);
    for (int r = 0; r <= buf.Count() + 1; ++r)
      for (int c = -1; c <= kZameshColumns; ++c) (void)buf.Text(c, r), (void)buf.Object(c, r);

    // The same day with another time of day (whole days are cut towards
    // zero, so the fraction keeps the sign of the date).
    const double sameDay = ZameshWholeDay(e.Date) + (e.Date < 0 ? -0.5 : 0.5);
    std::unique_ptr<TZameshImage> next;
    const ZameshSaveResult res = img->PlanSave(sameDay, buf.Rows, next);
    if (res == ZameshSaveResult::Saved) {
      auto again = TZameshImage::FromBytes(next->Bytes());
      if (!again || again->DayRows(e.Date) != buf.Rows) __builtin_trap();
    } else if (res == ZameshSaveResult::Freed) {
      if (next->FindEntry(e.Date) >= 0 || !TZameshImage::FromBytes(next->Bytes())) __builtin_trap();
    } else if (res != ZameshSaveResult::Unchanged && res != ZameshSaveResult::TooLarge) {
      __builtin_trap();
    }
  }
  // A new day goes into a free entry, or the index is full.
  std::unique_ptr<TZameshImage> next;
  TZameshRow row;
  row.Texts[kZamLesson] = "1";
  const double day = 2958465.0;  // 9999-12-31, a day no seed holds
  if (img->FindEntry(day) < 0) {
    const ZameshSaveResult res = img->PlanSave(day, {row}, next);
    if (res == ZameshSaveResult::Saved) {
      auto again = TZameshImage::FromBytes(next->Bytes());
      if (!again || again->DayRows(day).size() != 1) __builtin_trap();
    }
  }
  return 0;
}
