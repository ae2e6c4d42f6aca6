#pragma once
// Window states of the list editors, as the parameter record stores them
// and as kMsgEditorShow carries them. One definition, so that both headers
// can be included together.
#include <cstdint>

namespace korvant {

enum : int32_t { kShowHidden = 0, kShowNormal = 1, kShowMaximized = 3, kShowMinimized = 6 };

}  // namespace korvant
