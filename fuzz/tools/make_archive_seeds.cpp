// Writes the seed archives of fuzz_archive into the folder given:
//   g++ -std=c++20 -Isrc fuzz/tools/make_archive_seeds.cpp \
//     build/debug/src/core/libkorvant_core.a build/debug/src/base/libkorvant_base.a \
//     -o /tmp/make_archive_seeds && /tmp/make_archive_seeds fuzz/corpus/archive
#include <cstdio>
#include <memory>
#include <string>

#include "core/common/file_io.h"
#include "core/substitutions/zamesh_archive.h"

using namespace korvant;

namespace {

TZameshRow Row(const char* lesson, const char* absent, const char* substitute, uint32_t lessons) {
  TZameshRow r;
  r.Texts = {lesson, absent, "Math", "5a/5b", "12", "reason", substitute, "Math", "note"};
  r.Objects[kZamAbsent] = lessons;
  r.Objects[kZamKlass] = 2;
  r.Objects[kZamSubstitute] = substitute[0] ? 1 : 0;
  return r;
}

std::unique_ptr<TZameshImage> Save(const TZameshImage& img, double date, const std::vector<TZameshRow>& rows) {
  std::unique_ptr<TZameshImage> next;
  img.PlanSave(date, rows, next);
  return next;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  bool ok = true;
  auto write = [&](const TZameshImage* img, const char* name) {
    ok = img && WriteFileAtomic(dir + "/" + name, img->Bytes()) && ok;
  };
  auto empty = TZameshImage::FromBytes(TZameshImage::NewBytes());
  write(empty.get(), "empty.sys");

  // Two days, the first saved twice (a dead block) and a third day emptied
  // again (a free entry with a block behind it).
  auto a = Save(*empty, 45362.25, {Row("1", "Ivanov", "Petrov", 3), Row("2", "Ivanov", "", 3)});
  auto b = Save(*a, 45363.0, {Row("5", "Orlova", "Sidorov", 16)});
  auto c = Save(*b, 45362.75, {Row("1", "Ivanov", "Petrov", 1)});
  auto d = Save(*c, 45364.0, {Row("3", "Kim", "", 4)});
  auto e = Save(*d, 45364.0, {});
  write(e.get(), "days.sys");
  std::printf("%s\n", ok ? "seeds written" : "failed");
  return ok ? 0 : 1;
}
