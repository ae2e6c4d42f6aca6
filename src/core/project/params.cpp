#include "core/project/params.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korvant {
namespace {

constexpr std::size_t kDescriptionSize = kDescriptionMax + 1;

void WriteHeader(ByteWriter& w, const TListHeader& h) {
  w.i32(h.Count);
  w.i32(h.NextID);
}

TListHeader ReadHeader(ByteReader& r) {
  TListHeader h;
  h.Count = r.i32();
  h.NextID = r.i32();
  return h;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A whole decimal number with optional blanks around it and an optional
// sign; nothing else, and nothing that does not fit in 32 bits.
std::optional<int32_t> ParseInt(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  bool neg = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    neg = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > int64_t{1} << 31) return std::nullopt;
  }
  if (neg) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(v);
}

// Each line of the memo ends with a line break, and every break is stored
// as a blank: one line "abc" becomes "abc  ".
std::string DescriptionFromMemo(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = i;
    while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
    out.append(text.substr(i, j - i));
    out += "  ";
    if (j < text.size() && text[j] == '\r') ++j;
    if (j < text.size() && text[j] == '\n') ++j;
    i = j;
  }
  if (out.size() > kDescriptionMax) out.resize(kDescriptionMax);
  return out;
}

// Runs of digits are numbers, anything else separates them, zeros are
// skipped; the list must rise strictly and stay within 1..24.
std::optional<std::array<uint16_t, kShiftStartWords>> ParseShiftStarts(std::string_view s) {
  std::array<uint16_t, kShiftStartWords> out{};
  int count = 0;
  bool fail = false;
  auto take = [&](int v) {
    if (v == 0) return;
    if (v > kMaxLessonsPerDay || count >= kShiftStartWords - 1 ||
        (count > 0 && v <= out[static_cast<std::size_t>(count - 1)])) {
      fail = true;
      return;
    }
    out[static_cast<std::size_t>(count++)] = static_cast<uint16_t>(v);
  };
  int v = 0;
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
      if (v > 1000) v = 1000;  // already too large; keeps the sum bounded
    } else {
      take(v);
      v = 0;
    }
    if (fail) return std::nullopt;
  }
  take(v);
  if (fail || count == 0) return std::nullopt;
  return out;
}

}  // namespace

void WriteProjParams(ByteWriter& w, const TProjParamsRec& p) {
  w.fixedString(p.Description, kDescriptionSize);  // 0..80
  w.zeros(1);
  w.u16(p.LessonsPerDay);                          // 82
  for (uint16_t s : p.ShiftStarts) w.u16(s);       // 84
  w.u16(p.ClassMinLessons);                        // 134
  w.u16(p.TeacherMinLessons);                      // 136
  w.u16(p.Reserved1);                              // 138
  w.u8(p.Reserved2);                               // 140
  w.zeros(3);
  for (int32_t s : p.ShowCmd) w.i32(s);            // 144
  WriteHeader(w, p.Rooms);                         // 164
  WriteHeader(w, p.Subjects);
  WriteHeader(w, p.Klasses);
  WriteHeader(w, p.Teachers);
  w.i32(p.Lessons.Count);                          // 196
  w.i32(p.Lessons.NextID);
  w.i32(p.Lessons.Bytes);
}

bool ReadProjParams(ByteReader& r, TProjParamsRec& p) {
  ByteReader b = r.sub(kProjParamsSize);
  if (!b.ok()) return false;
  TProjParamsRec q;
  q.Description = b.fixedString(kDescriptionSize);
  b.skip(1);
  q.LessonsPerDay = b.u16();
  for (auto& s : q.ShiftStarts) s = b.u16();
  q.ClassMinLessons = b.u16();
  q.TeacherMinLessons = b.u16();
  q.Reserved1 = b.u16();
  q.Reserved2 = b.u8();
  b.skip(3);
  for (auto& s : q.ShowCmd) s = b.i32();
  q.Rooms = ReadHeader(b);
  q.Subjects = ReadHeader(b);
  q.Klasses = ReadHeader(b);
  q.Teachers = ReadHeader(b);
  q.Lessons.Count = b.i32();
  q.Lessons.NextID = b.i32();
  q.Lessons.Bytes = b.i32();
  if (!b.ok() || q.LessonsPerDay < 1 || q.LessonsPerDay > kMaxLessonsPerDay) return false;
  p = std::move(q);
  return true;
}

TProjParamsTexts ProjParamsTexts(const TProjParamsRec& p) {
  TProjParamsTexts t;
  t.Description = p.Description;
  t.LessonsPerDay = std::to_string(p.LessonsPerDay);
  t.ClassMinLessons = std::to_string(p.ClassMinLessons);
  t.TeacherMinLessons = std::to_string(p.TeacherMinLessons);
  for (uint16_t s : p.ShiftStarts) {
    if (s == 0) break;
    if (!t.ShiftStarts.empty()) t.ShiftStarts += ',';
    t.ShiftStarts += std::to_string(s);
  }
  return t;
}

int ApplyProjParamsTexts(TProjParamsRec& p, const TProjParamsTexts& t) {
  auto lessons = ParseInt(t.LessonsPerDay);
  if (!lessons || *lessons < 1 || *lessons > kMaxLessonsPerDay) return 10032;
  const int32_t l = *lessons;

  // The fields no user sees or reaches pass a stored value through as it
  // came, whatever it is: one the checks below refuse (a minimum of 0, shift
  // starts out of order, from an older or damaged file) would otherwise keep
  // the dialog from ever being accepted, and no one could put it right.
  const TProjParamsTexts stored = ProjParamsTexts(p);
  // The minima are not on screen: a smaller L must not lower them for
  // good. Planning cuts them to L where it reads them.
  uint16_t klassMin = p.ClassMinLessons, teacherMin = p.TeacherMinLessons;
  if (t.ClassMinLessons != stored.ClassMinLessons) {
    const auto v = ParseInt(t.ClassMinLessons);
    if (!v || *v < 1) return 10033;
    klassMin = static_cast<uint16_t>(std::min<int32_t>(*v, kMaxLessonsPerDay));
  }
  if (t.TeacherMinLessons != stored.TeacherMinLessons) {
    const auto v = ParseInt(t.TeacherMinLessons);
    if (!v || *v < 1) return 10034;
    teacherMin = static_cast<uint16_t>(std::min<int32_t>(*v, kMaxLessonsPerDay));
  }
  std::array<uint16_t, kShiftStartWords> shifts = p.ShiftStarts;
  if (t.ShiftStarts != stored.ShiftStarts) {
    const auto v = ParseShiftStarts(t.ShiftStarts);
    if (!v) return 10036;
    shifts = *v;
  }

  // A comment shown and given back untouched stays as it was: turning its
  // line ends into blanks again would lengthen it at every visit.
  if (t.Description != p.Description) p.Description = DescriptionFromMemo(t.Description);
  p.LessonsPerDay = static_cast<uint16_t>(l);
  p.ClassMinLessons = klassMin;
  p.TeacherMinLessons = teacherMin;
  p.ShiftStarts = shifts;
  return 0;
}

}  // namespace korvant
