#include "windows/editors/editor_fields.h"

#include <algorithm>
#include <cstdint>

#include "core/project/klasses.h"
#include "core/project/params.h"

namespace korvant {

std::optional<int> ParseNumberField(std::string_view text, int lo, int hi) {
  if (text.empty()) return std::clamp(0, lo, hi);
  bool negative = false;
  std::size_t i = 0;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  // Saturates instead of overflowing: a long number is only out of range.
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    if (value <= INT32_MAX) value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < lo) return lo;
  if (value > hi) return hi;
  return static_cast<int>(value);
}

std::optional<std::vector<int>> ParseStartLessons(std::string_view text) {
  std::vector<int> numbers;
  int64_t run = 0;
  bool inRun = false;
  auto endRun = [&]() -> bool {
    if (!inRun) return true;
    inRun = false;
    if (run == 0) return true;  // a run of zeros is no number
    if (numbers.size() >= static_cast<std::size_t>(kMaxStartLessons)) return false;
    if (!numbers.empty() && run <= numbers.back()) return false;
    numbers.push_back(static_cast<int>(run));
    return true;
  };
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (!inRun) run = 0;
      inRun = true;
      if (run <= INT32_MAX) run = run * 10 + (c - '0');
      if (run > INT32_MAX) run = INT32_MAX;
    } else if (!endRun()) {
      return std::nullopt;
    }
  }
  if (!endRun()) return std::nullopt;
  return numbers;
}

std::optional<std::vector<int>> ParseQuants(std::string_view text, int maxBlocks) {
  std::vector<int> numbers;
  int64_t run = 0;
  bool inRun = false;
  auto endRun = [&]() -> bool {
    if (!inRun) return true;
    inRun = false;
    if (run == 0) return true;
    if (run > kMaxLessonsPerDay) return false;
    if (static_cast<int>(numbers.size()) >= maxBlocks) return false;
    if (!numbers.empty() && run < numbers.back()) return false;
    numbers.push_back(static_cast<int>(run));
    return true;
  };
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      if (!inRun) run = 0;
      inRun = true;
      if (run <= INT32_MAX) run = run * 10 + (c - '0');
    } else if (!endRun()) {
      return std::nullopt;
    }
  }
  if (!endRun()) return std::nullopt;
  return numbers;
}

}  // namespace korvant
