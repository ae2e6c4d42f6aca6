// Writes the seed variant files of fuzz_variant into the folder given:
//   g++ -std=c++20 -Isrc -Ifuzz fuzz/tools/make_variant_seeds.cpp \
//     build/debug/src/core/libkorvant_core.a build/debug/src/base/libkorvant_base.a \
//     -o /tmp/make_variant_seeds && /tmp/make_variant_seeds fuzz/corpus/variant
#include <cstdio>
#include <string>

#include "core/variant/var_file.h"
#include "variant_fuzz_project.h"

using namespace korvant;

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  TProjectData d;
  fuzzing::FillVariantProject(d);
  bool ok = true;
  auto save = [&](TVarDocument& doc, const char* name) {
    ok = WriteFileReplacing(dir + "/" + name, WriteVarImage(doc.Var(), doc.Options, doc.Day)) && ok;
  };

  auto empty = TVarDocument::CreateNew(d, "empty.rsp");
  save(*empty, "empty.rsp");

  auto doc = TVarDocument::CreateNew(d, "small.rsp");
  TTableVarItem& v = doc->Var();
  v.PlaceLinkedLesson(0, 0, false, 1, 2, 2);  // the joint lesson, both klasses
  TTableCell c = v.GetCell(0, 1, 2);
  c.Rooms = {0, 1, kNoRoom, kNoRoom, kNoRoom};
  v.SetCell(0, 1, 2, c);
  v.PlaceLinkedLesson(0, 2, true, 1, 0, 1);
  v.PlaceLinkedLesson(2, 0, false, 2, 1, 2);
  v.PlaceLinkedLesson(2, 1, true, 2, 0, 2);  // the separated block
  v.PlaceLinkedLesson(1, 2, false, 3, 4, 2);
  doc->Day = 2;
  doc->Options.Description = "seed";
  save(*doc, "small.rsp");

  // The same timetable read into a project with two klasses' order swapped
  // is another layout of rows.
  TProjectData swapped;
  fuzzing::FillVariantProject(swapped);
  swapped.Klasses.Move(0, 2);
  auto other = TVarDocument::FromImage(swapped, WriteVarImage(v, doc->Options, 6), "x.rsp");
  if (other) save(*other, "swapped.rsp");
  std::printf("%s\n", ok && other ? "seeds written" : "failed");
  return ok && other ? 0 : 1;
}
