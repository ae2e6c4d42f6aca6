#pragma once
// The help service. Windows and controls carry a help context number; the
// "Справка" buttons and F1 ask this service to open help at a context.
// There is no viewer for the program's help file on this platform: a
// request with no hook installed says in the program's message box that
// the help file cannot be opened, naming it. Tests install a hook to see
// which context was asked for.
#include <functional>

class QWidget;

namespace korvant {

inline constexpr const char* kHelpFileName = "Korvant.hlp";

// Help context of one widget (0 = none). Stored on the widget itself.
void SetHelpContext(QWidget* w, int context);
int HelpContext(const QWidget* w);

// First non-zero help context of w or its parents; 0 when none has one.
int FindHelpContext(const QWidget* w);

using HelpHook = std::function<void(int context)>;

// Opens help at context. Returns false for context 0, which opens nothing.
bool ShowHelpContext(int context);

// Help for a widget as F1 asks for it: the first context found from w up.
bool ShowHelpFor(const QWidget* w);

HelpHook InstallHelpHook(HelpHook hook);  // returns the previous hook

class ScopedHelpHook {
 public:
  explicit ScopedHelpHook(HelpHook h) : old_(InstallHelpHook(std::move(h))) {}
  ~ScopedHelpHook() { InstallHelpHook(std::move(old_)); }
  ScopedHelpHook(const ScopedHelpHook&) = delete;
  ScopedHelpHook& operator=(const ScopedHelpHook&) = delete;
 private:
  HelpHook old_;
};

}  // namespace korvant
