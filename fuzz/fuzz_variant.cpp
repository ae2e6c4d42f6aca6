// The variant file reader on arbitrary bytes, against a fixed project: it
// must refuse or accept without a fault; what it accepts must survive the
// day operations, and write back to bytes that read and write again the same.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/common/catalogue.h"
#include "core/variant/var_file.h"
#include "variant_fuzz_project.h"

namespace {

class SilentPrompt : public korvant::IPrompt {
 public:
  int ShowErrMsgText(korvant::PromptOwner, const std::string&, uint8_t) override { return korvant::kResYes; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvant;
  static SilentPrompt prompt;
  InstallPrompt(&prompt);
  static TProjectData* project = [] {
    auto* d = new TProjectData;
    fuzzing::FillVariantProject(*d);
    return d;
  }();

  auto doc = TVarDocument::FromImage(*project, std::span<const unsigned char>(data, size), "fuzz.rsp");
  if (!doc) return 0;
  const auto first = WriteVarImage(doc->Var(), doc->Options, doc->Day);
  auto again = TVarDocument::FromImage(*project, first, "fuzz.rsp");
  if (!again) __builtin_trap();
  if (WriteVarImage(again->Var(), again->Options, again->Day) != first) __builtin_trap();

  TRunModel& m = doc->Model();
  TTableVarItem& v = doc->Var();
  const int day = doc->Day;
  m.Klasses.ResetDay(false);
  m.Teachers.ResetDay();
  v.FetchDayLessons(day, -1);
  int need = 0;
  (void)v.FindRoomShortage(m.Rooms, day, need);
  for (int t = 0; t < m.Teachers.Count(); ++t) (void)v.GetTeacherWindows(t, day);
  v.CountTeachersFreeDays(true, day);
  for (int k = 0; k < v.KlassCount(); ++k) {
    (void)v.GetKlassDayDifficulty(k, day);
    const TTableCell c = v.GetCell(k, day, 1);
    if (c.Lesson >= 0) (void)v.RemoveLesson(k, c.Lesson, true, day % 6 + 1, day, 0);
  }
  v.ClearDay(day);
  (void)v.PutDayLessons(day);
  return 0;
}
