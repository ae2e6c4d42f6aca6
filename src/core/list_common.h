#pragma once
// What the four project lists (rooms, subjects, klasses, teachers) share:
// week slots, name handling and the section header kept in the parameters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/binio.h"

namespace korvant {

// One list's header in the project parameter record.
struct TListHeader {
  int32_t Count = 0;
  int32_t NextID = 0;
  bool operator==(const TListHeader&) const = default;
};
inline constexpr TListHeader EmptyListHeader{0, 0};

// Week slots: slot = (day - 1) * 24 + lesson, day 1..6, lesson 1..24.
constexpr int kWeekSlots = 144;
constexpr int kSlotsPerDay = 24;
constexpr bool ValidSlot(int slot) { return slot >= 1 && slot <= kWeekSlots; }

// Specializations 0..20; 0 is the general one. Specialization n is named
// by catalogue entry kSpecializationNameBase + n.
constexpr int kSpecializationCount = 20;
constexpr int kSpecializationNameBase = 10096;

// Text as a fixed name array of arraySize bytes keeps it: cut at an inner
// NUL and to arraySize - 1 bytes.
std::string CutName(std::string_view text, std::size_t arraySize);

namespace detail {

// Checks a section of count records of recordSize bytes against the reader
// and hands back a sub-reader over exactly those bytes (consumed from r).
// False for a negative count or a section longer than the bytes left.
bool TakeSection(ByteReader& r, int32_t count, std::size_t recordSize, ByteReader& section);

// Identifiers a loader accepts: the counter must be able to go past them.
constexpr bool StorableID(int32_t id) { return id >= 0 && id < INT32_MAX; }

}  // namespace detail

}  // namespace korvant
