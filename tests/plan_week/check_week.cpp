// korvant-check-week: reads a project and a planned variant file with the
// test's own reader and prints what the week places and which rules it
// breaks. A measuring tool beside korvant-plan-week.
//
//   korvant-check-week PROJECT.tbl VARIANT.rsp [--wills N]
//
// --wills N: how strictly teachers' wishes count (1..4; by default as in a
// new variant); the file's own setting is never read, so that the week
// under check cannot decide which of its teachers' hours count.
// Output: "placed P/D, broken B, free days short F, idle I, complete yes|no"
// and then one line per broken rule (at most 20). Exit status: 0 complete
// with no rule broken, 1 otherwise, 2 a file cannot be read or the
// arguments are wrong.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/common/file_io.h"
#include "core/variant/var_file.h"
#include "week_check.h"

int main(int argc, char** argv) {
  using namespace korvant;
  int wills = TVarOptions{}.TeachersWills;
  if (argc == 5 && std::strcmp(argv[3], "--wills") == 0 && argv[4][0] >= '1' && argv[4][0] <= '4' && argv[4][1] == 0) {
    wills = argv[4][0] - '0';
  } else if (argc != 3) {
    std::fprintf(stderr, "usage: korvant-check-week PROJECT.tbl VARIANT.rsp [--wills 1..4]\n");
    return 2;
  }
  TProjectData p;
  std::vector<unsigned char> image;
  if (ReadWholeFile(FsPath(argv[1]), image) != FileReadStatus::Ok || !ReadProjectImage(image, p)) {
    std::fprintf(stderr, "korvant-check-week: %s is not a project file\n", argv[1]);
    return 2;
  }
  std::ifstream in(argv[2], std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  weekcheck::VarFile v;
  if (!weekcheck::ReadVar(bytes, v)) {
    std::fprintf(stderr, "korvant-check-week: %s is not a variant file\n", argv[2]);
    return 2;
  }
  const weekcheck::Report r = weekcheck::CheckWeek(p, v, wills);
  std::printf("placed %d/%d, broken %d, free days short %d, idle %d, complete %s\n", r.Placed, r.Due, r.Broken(),
              r.FreeDaysShort, r.Idle, r.Complete ? "yes" : "no");
  for (std::size_t i = 0; i < r.Faults.size() && i < 20; ++i) std::printf("  %s\n", r.Faults[i].c_str());
  return r.Complete && r.Faults.empty() ? 0 : 1;
}
