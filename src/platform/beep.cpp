#include "platform/beep.h"

#include <QApplication>

namespace korvant {
namespace {
BeepHook& Hook() {
  static BeepHook hook;
  return hook;
}
}  // namespace

void MessageBeep() {
  if (Hook()) {
    Hook()();
    return;
  }
  QApplication::beep();
}

BeepHook InstallBeepHook(BeepHook hook) {
  BeepHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

}  // namespace korvant
