#pragma once
// The identifiers a project's records may take so that the variant file
// can hold them. The data checks report records beyond them; the variant
// refuses to save a week that would lose one.
#include <cstdint>

namespace korvant {

// The largest klass or room identifier the variant file holds: a room is
// stored in 16 bits with 0xFFFF for none, a klass row is marked with its
// identifier + 1 in 16 bits.
constexpr int32_t kMaxVarFileID = 0xFFFE;
constexpr bool FitsVarFile(int32_t id) { return id >= 0 && id <= kMaxVarFileID; }

}  // namespace korvant
