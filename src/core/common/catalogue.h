#pragma once
// The message catalogue (numbered CP1251 texts carried inside the program)
// and the prompt interface through which the core asks the user.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace korvant {

// Message box kinds.
enum : uint8_t { kBoxOk = 0, kBoxYesNo = 1, kBoxYesNoCancel = 3 };
// Message box results; callers test exactly these numbers.
enum : int { kResYes = 1, kResNo = 2, kResCancel = 7 };

constexpr std::size_t kResStrMax = 255;     // LoadResStr's buffer, less the terminator
constexpr std::size_t kFormatEntryMax = 128;  // entry of a formatted message
constexpr std::size_t kFormattedMax = 255;    // the filled-in message

// Text of catalogue entry id in CP1251, at most kResStrMax bytes;
// empty for an id the catalogue does not hold.
std::string LoadResStr(int id);
bool CatalogueHas(int id);

// Entry id cut to kFormatEntryMax, each "%hs" filled in order with one
// argument (missing arguments fill as empty), the result cut to kFormattedMax.
std::string FormatMsg(int id, std::initializer_list<std::string_view> args);
// The same over a ready pattern (already cut by the caller if need be).
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);
// FormatMsg for arguments CP1251 cannot hold (the names of files): the
// entry in UTF-16, each "%hs" filled with one argument, cut as FormatMsg cuts.
std::u16string FormatMsg16(int id, std::initializer_list<std::u16string_view> args);

// The name part of a path (after the last '/' or '\'), as messages show files.
std::string FileNameOnly(std::string_view path);

// Who owns a box: the window layer passes its window, the core passes null.
using PromptOwner = const void*;

// The program's message box as the core sees it. The window layer installs
// the real box; tests install a scripted one.
class IPrompt {
 public:
  virtual ~IPrompt() = default;
  // Shows text with the button set of kind; returns kResYes, kResNo or kResCancel.
  virtual int ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind) = 0;
  // The same for a text in UTF-16 (one that names a file). A prompt that
  // shows only program text gets it in CP1251.
  virtual int ShowErrMsgText16(PromptOwner owner, const std::u16string& text, uint8_t kind);
};

// The installed prompt, or null. With none installed a box answers kResYes
// for kind 0, kResNo for kind 1 and kResCancel for kind 3, so no question
// is ever answered "yes" behind the user's back.
IPrompt* InstalledPrompt();
void InstallPrompt(IPrompt* prompt);

class ScopedPrompt {
 public:
  explicit ScopedPrompt(IPrompt* p) : old_(InstalledPrompt()) { InstallPrompt(p); }
  ~ScopedPrompt() { InstallPrompt(old_); }
  ScopedPrompt(const ScopedPrompt&) = delete;
  ScopedPrompt& operator=(const ScopedPrompt&) = delete;
 private:
  IPrompt* old_;
};

int ShowErrMsg(PromptOwner owner, int msgId, uint8_t kind);
int ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind);
int ShowErrMsgText16(PromptOwner owner, const std::u16string& text, uint8_t kind);

}  // namespace korvant
