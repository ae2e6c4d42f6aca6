#pragma once
// The warning beep that refused input gives (MessageBeep(0)). Tests count
// beeps through a hook instead of listening for them.
#include <functional>

namespace korvant {

void MessageBeep();

using BeepHook = std::function<void()>;
BeepHook InstallBeepHook(BeepHook hook);  // returns the previous hook

}  // namespace korvant
