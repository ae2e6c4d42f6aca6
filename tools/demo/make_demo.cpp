// Builds the demonstration project file from its text source:
//   make_demo <source.txt> <project.tbl>
// The output is what the program carries as its demonstration project
// (src/core/project/resources/demo_project.tbl).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "core/project/demo_source.h"
#include "core/project/project_data.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demo <source.txt> <project.tbl>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "make_demo: cannot read %s\n", argv[1]);
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  korvant::TProjectData data;
  std::string error;
  if (!korvant::BuildProjectFromSource(text, data, error)) {
    std::fprintf(stderr, "%s:%s\n", argv[1], error.c_str());
    return 1;
  }
  const auto image = korvant::WriteProjectImage(data);

  // Written beside the target and renamed over it, so a failed run never
  // leaves half a file.
  const std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "make_demo: cannot write %s\n", tmp.c_str());
      std::remove(tmp.c_str());
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[2]) != 0) {
    std::fprintf(stderr, "make_demo: cannot replace %s\n", argv[2]);
    std::remove(tmp.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes\n", argv[2], image.size());
  return 0;
}
