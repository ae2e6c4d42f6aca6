#pragma once
// The demonstration project the program opens at start-up: a whole project
// file image carried inside the program.
#include <span>

namespace korvant {

// The image, to be read with ReadProjectImage.
std::span<const unsigned char> DemoProjectImage();

}  // namespace korvant
