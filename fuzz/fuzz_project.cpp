// The project file reader on arbitrary bytes: it must refuse or accept
// without a fault, and what it accepts must write back and read again to
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/common/catalogue.h"
#include "core/project/project.h"
#include "core/project/project_data.h"

namespace {

class SilentPrompt : public korvant::IPrompt {
 public:
  int ShowErrMsgText(korvant::PromptOwner, const std::string&, uint8_t) override {
    return korvant::kResYes;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvant;
  static SilentPrompt prompt;
  InstallPrompt(&prompt);
  const std::span<const unsigned char> image(data, size);

  TProjectData d;
  if (ReadProjectImage(image, d)) {
    const auto first = WriteProjectImage(d);
    TProjectData again;
    if (!ReadProjectImage(first, again)) __builtin_trap();
    if (WriteProjectImage(again) != first) __builtin_trap();
  } else if (d.Rooms.Count() || d.Subjects.Count() || d.Klasses.Count() || d.Teachers.Count() ||
             d.Lessons.Count()) {
    __builtin_trap();  // a refused image must leave nothing loaded
  }

  TMdiTable project;
  if (project.OpenImage("fuzz.tbl", image)) {
    project.SetModified(true);
    (void)project.Caption();
  }
  return 0;
}
