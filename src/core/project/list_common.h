#pragma once
// What the four project lists (rooms, subjects, klasses, teachers) share:
// week slots, name handling and the section header kept in the parameters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/binio.h"

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

// The loop every list section shares: Count records of recordSize bytes,
// each starting with its identifier, the rest read by readRest. A section
// that does not fit the bytes, holds an identifier the counter cannot pass
// or one identifier twice (references would find only the first record)
// leaves the collection empty and answers false.
template <class Collection, class ReadRest>
bool LoadSection(Collection& c, const TListHeader& header, ByteReader& r,
                 std::size_t recordSize, ReadRest readRest) {
  c.Clear();
  c.SetNextID(0);
  ByteReader sec;
  if (!TakeSection(r, header.Count, recordSize, sec)) return false;
  bool good = true;
  std::vector<int32_t> ids;
  ids.reserve(static_cast<std::size_t>(header.Count));
  for (int32_t i = 0; good && i < header.Count; ++i) {
    auto* item = c.Add();
    const int32_t id = sec.i32();
    good = StorableID(id);
    item->SetID(id);
    ids.push_back(id);
    readRest(*item, sec);
  }
  std::sort(ids.begin(), ids.end());
  good = good && std::adjacent_find(ids.begin(), ids.end()) == ids.end();
  if (!good || !sec.ok()) {
    c.Clear();
    c.SetNextID(0);
    return false;
  }
  c.SetNextID(header.NextID > 0 ? header.NextID : 0);
  c.RaiseNextIDPastItems();
  return true;
}

}  // namespace detail

}  // namespace korvant
