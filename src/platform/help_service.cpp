#include "platform/help_service.h"

#include <QVariant>
#include <QWidget>

#include "base/cp1251.h"
#include "core/common/catalogue.h"

namespace korvant {
namespace {

constexpr const char* kHelpProperty = "korvantHelpContext";
constexpr int kMsgNoHelpFile = 10420;

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
  if (Hook()) {
    Hook()(context);
    return true;
  }
  // The message box has a help context of its own: F1 on it asks again
  // while it is up, and one box is enough.
  static bool telling = false;
  if (telling) return true;
  telling = true;
  ShowErrMsgText16(nullptr, FormatMsg16(kMsgNoHelpFile, {cp1251::toUtf16(kHelpFileName)}), kBoxOk);
  telling = false;
  return true;
}

bool ShowHelpFor(const QWidget* w) { return ShowHelpContext(FindHelpContext(w)); }

HelpHook InstallHelpHook(HelpHook hook) {
  HelpHook old = std::move(Hook());
  Hook() = std::move(hook);
  return old;
}

}  // namespace korvant
