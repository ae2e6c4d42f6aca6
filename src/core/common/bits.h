#pragma once
// Bit rows and byte records of the planning searches. These run in the
// innermost loops, so they take raw pointers; callers size the arrays.
#include <cstddef>
#include <cstdint>

namespace korvant {

// Bit index of an array of 32-bit words: word index / 32, bit index % 32,
// bit 0 the least significant.
inline void SetBit(uint32_t* bits, std::size_t index, int value) {
  const uint32_t mask = uint32_t{1} << (index % 32);
  if (value) bits[index / 32] |= mask; else bits[index / 32] &= ~mask;
}
inline int GetBit(const uint32_t* bits, std::size_t index) {
  return static_cast<int>((bits[index / 32] >> (index % 32)) & 1u);
}

// The bit of lesson 1..lessonsPerDay in row (a teacher or klass counted from 0).
inline void SetHourBit(uint32_t* bits, std::size_t row, int lesson, int lessonsPerDay, int value) {
  SetBit(bits, row * static_cast<std::size_t>(lessonsPerDay) + static_cast<std::size_t>(lesson - 1), value);
}
inline int GetHourBit(const uint32_t* bits, std::size_t row, int lesson, int lessonsPerDay) {
  return GetBit(bits, row * static_cast<std::size_t>(lessonsPerDay) + static_cast<std::size_t>(lesson - 1));
}

// The bit of arrangement variant (from 1) of search level; offsets holds the
// first bit of each level.
inline void SetDayHourBit(uint32_t* bits, const int32_t* offsets, int level, int variant, int value) {
  SetBit(bits, static_cast<std::size_t>(offsets[level] + variant - 1), value);
}

// True when no byte below n has a bit set in both a and b.
bool BitsDisjoint(const void* a, const void* b, std::size_t n);

// rec holds four rows of n signed bytes: values, a second row (not read),
// results, limits. results[i] := values[i] - sub[i] with 8-bit wrap, in
// order; false at the first result greater than its limit (later results
// stay unwritten), true when all pass.
bool SubtractWithinLimits(int8_t* rec, const int8_t* sub, std::size_t n);
// The same with n = the selected teacher group's size (GroupSize).
bool SubtractWithinLimits(int8_t* rec, const int8_t* sub);

}  // namespace korvant
