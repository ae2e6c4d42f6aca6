#include "platform/help_service.h"

#include <QVariant>
#include <QWidget>

namespace korvant {
namespace {

constexpr const char* kHelpProperty = "korvantHelpContext";

HelpHook& Hook() {
  static HelpHook hook;
  return hook;
}

}  // namespace

void SetHelpContext(QWidget* w, int context) {
  if (w) w->setProperty(kHelpProperty, context);
}

int HelpContext(const QWidget* w) {
  if (!w) return 0;
  const QVariant v = w->property(kHelpProperty);
  return v.isValid() ? v.toInt() : 0;
}

int FindHelpContext(const QWidget* w) {
  for (; w; w = w->parentWidget()) {
    if (int c = HelpContext(w)) return c;
  }
  return 0;
}

bool ShowHelpContext(int context) {
  if (context == 0) return false;
  if (Hook()) Hook()(context);
  return true;
}

bool ShowHelpFor(const QWidget* w) { return ShowHelpContext(FindHelpContext(w)); }

HelpHook InstallHelpHook(HelpHook hook) {
  HelpHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

}  // namespace korvant
