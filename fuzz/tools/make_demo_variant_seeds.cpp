// Writes the seed variant files of fuzz_demo_variant into the folder given:
// the demonstration project's week planned, its first day only, and an
// empty variant, each followed by a short edit script.
//   g++ -std=c++20 -Isrc -Ifuzz fuzz/tools/make_demo_variant_seeds.cpp \
//     build/release/src/core/libkorvant_core.a build/release/src/base/libkorvant_base.a \
//     -o /tmp/make_demo_variant_seeds && /tmp/make_demo_variant_seeds fuzz/corpus/demo_variant
#include <cstdio>
#include <string>

#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/var_file.h"

using namespace korvant;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  TProjectData d;
  if (!ReadProjectImage(DemoProjectImage(), d)) return 1;
  bool ok = true;
  // Moves, a move to the draft, rooms, a lesson off a day, back from the draft.
  const std::vector<unsigned char> script = {0, 0, 1, 3, 5, 1, 2, 0, 3, 0, 0, 0, 2, 2, 4, 0, 4, 0, 1, 2};
  auto save = [&](TVarDocument& doc, const char* name) {
    auto image = WriteVarImage(doc.Var(), doc.Options, doc.Day);
    image.insert(image.end(), script.begin(), script.end());
    ok = WriteFileReplacing(dir + "/" + name, image) && ok;
  };
  {
    auto doc = TVarDocument::CreateNew(d, "empty.rsp");
    save(*doc, "empty.rsp");
  }
  {
    auto doc = TVarDocument::CreateNew(d, "day.rsp");
    TAutoPlanOptions o;
    PlanDayAuto(doc->Model(), doc->Var(), 1, o);
    save(*doc, "day1.rsp");
  }
  {
    auto doc = TVarDocument::CreateNew(d, "week.rsp");
    TWeekPlanOptions o;
    PlanWeekAuto(doc->Model(), doc->Var(), o);
    save(*doc, "week.rsp");
  }
  return ok ? 0 : 1;
}
