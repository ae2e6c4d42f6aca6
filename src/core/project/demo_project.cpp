#include "core/project/demo_project.h"

#include "base/resources.h"

KORVANT_DECLARE_RESOURCE(demo_project);

namespace korvant {

std::span<const unsigned char> DemoProjectImage() { return KORVANT_RESOURCE(demo_project); }

}  // namespace korvant
