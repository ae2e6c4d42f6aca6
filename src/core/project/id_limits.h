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

// The separated blocks of a lesson are planned, and stored in the variant
// file, as a lesson of their own with this much added to the lesson's
// identifier; a lesson whose own identifier is that large would be read
// back as another lesson's separated blocks.
constexpr int32_t kSepLessonIDOffset = 1000000;
constexpr bool LessonFitsVarFile(int32_t id) { return id < kSepLessonIDOffset; }

}  // namespace korvant
