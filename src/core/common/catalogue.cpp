#include "core/common/catalogue.h"

#include <map>
#include <string_view>

#include "base/cp1251.h"
#include "base/resources.h"

KORVANT_DECLARE_RESOURCE(catalogue);

namespace korvant {
namespace {

// Parses the embedded catalogue once: "ID "text"" per line, UTF-8.
const std::map<int, std::string>& Catalogue() {
  static const std::map<int, std::string> table = [] {
    std::map<int, std::string> t;
    auto res = KORVANT_RESOURCE(catalogue);
    std::string_view all(reinterpret_cast<const char*>(res.data()), res.size());
    while (!all.empty()) {
      auto nl = all.find('\n');
      std::string_view line = all.substr(0, nl);
      all = nl == std::string_view::npos ? std::string_view{} : all.substr(nl + 1);
      if (line.empty() || line[0] == '#') continue;
      auto q1 = line.find('"');
      auto q2 = line.rfind('"');
      if (q1 == std::string_view::npos || q2 <= q1) continue;
      int id = 0;
      bool digits = false;
      for (char c : line.substr(0, q1)) {
        if (c >= '0' && c <= '9') { id = id * 10 + (c - '0'); digits = true; }
      }
      if (!digits) continue;
      t[id] = cp1251::fromUtf8(line.substr(q1 + 1, q2 - q1 - 1));
    }
    return t;
  }();
  return table;
}

IPrompt* g_prompt = nullptr;

std::string Cut(std::string s, std::size_t max) {
  if (s.size() > max) s.resize(max);
  return s;
}

}  // namespace

std::string LoadResStr(int id) {
  auto& t = Catalogue();
  auto it = t.find(id);
  return it == t.end() ? std::string{} : Cut(it->second, kResStrMax);
}

bool CatalogueHas(int id) { return Catalogue().count(id) != 0; }

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto arg = args.begin();
  for (std::size_t i = 0; i < pattern.size() && out.size() < kFormattedMax; ++i) {
    if (pattern.compare(i, 3, "%hs") == 0) {
      // Only what still fits is copied, so a huge argument costs nothing.
      if (arg != args.end()) out.append((arg++)->substr(0, kFormattedMax - out.size()));
      i += 2;
    } else {
      out += pattern[i];
    }
  }
  return Cut(std::move(out), kFormattedMax);
}

std::string FormatMsg(int id, std::initializer_list<std::string_view> args) {
  auto entry = LoadResStr(id);
  return FormatText(Cut(std::move(entry), kFormatEntryMax), args);
}

std::u16string FormatMsg16(int id, std::initializer_list<std::u16string_view> args) {
  const std::u16string pattern = cp1251::toUtf16(Cut(LoadResStr(id), kFormatEntryMax));
  std::u16string out;
  auto arg = args.begin();
  for (std::size_t i = 0; i < pattern.size() && out.size() < kFormattedMax; ++i) {
    if (pattern.compare(i, 3, u"%hs") == 0) {
      if (arg != args.end()) out.append((arg++)->substr(0, kFormattedMax - out.size()));
      i += 2;
    } else {
      out += pattern[i];
    }
  }
  if (out.size() > kFormattedMax) out.resize(kFormattedMax);
  return out;
}

std::string FileNameOnly(std::string_view path) {
  auto p = path.find_last_of("/\\");
  return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

IPrompt* InstalledPrompt() { return g_prompt; }
void InstallPrompt(IPrompt* prompt) { g_prompt = prompt; }

int ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind) {
  if (g_prompt) return g_prompt->ShowErrMsgText(owner, text, kind);
  return kind == kBoxOk ? kResYes : kind == kBoxYesNo ? kResNo : kResCancel;
}

int IPrompt::ShowErrMsgText16(PromptOwner owner, const std::u16string& text, uint8_t kind) {
  return ShowErrMsgText(owner, cp1251::fromUtf16(text), kind);
}

int ShowErrMsgText16(PromptOwner owner, const std::u16string& text, uint8_t kind) {
  if (g_prompt) return g_prompt->ShowErrMsgText16(owner, text, kind);
  return kind == kBoxOk ? kResYes : kind == kBoxYesNo ? kResNo : kResCancel;
}

int ShowErrMsg(PromptOwner owner, int msgId, uint8_t kind) {
  return ShowErrMsgText(owner, LoadResStr(msgId), kind);
}

}  // namespace korvant
