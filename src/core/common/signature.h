#pragma once
// The 20-byte signature at the start of every file the program writes
// (project, variant, substitution archive) and its comparison.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/common/binio.h"

namespace korvant {

constexpr std::size_t kFileSignatureSize = 20;
constexpr std::size_t kSignatureMagicSize = 10;

// Layout: length byte (10), ten magic characters, one zero byte, major i32,
// minor i32, little-endian.
struct TFileSignature {
  uint8_t Length = 0;
  std::array<char, kSignatureMagicSize> Magic{};
  int32_t Major = 0;
  int32_t Minor = 0;

  static constexpr TFileSignature Make(std::string_view magic, int32_t major, int32_t minor) {
    TFileSignature s;
    s.Length = static_cast<uint8_t>(kSignatureMagicSize);
    for (std::size_t i = 0; i < kSignatureMagicSize && i < magic.size(); ++i) s.Magic[i] = magic[i];
    s.Major = major;
    s.Minor = minor;
    return s;
  }
  bool operator==(const TFileSignature&) const = default;

  bool IsVersion(int32_t major, int32_t minor) const { return Major == major && Minor == minor; }
  // True when this version is older than major.minor.
  bool Before(int32_t major, int32_t minor) const {
    return Major < major || (Major == major && Minor < minor);
  }

  void Write(ByteWriter& w) const;
  // Reads 20 bytes; false (and the reader failed) when they are not there.
  bool Read(ByteReader& r);
};

inline constexpr TFileSignature ProjectSignature = TFileSignature::Make("TIME-TABLE", 1, 3);
inline constexpr TFileSignature VarSignature = TFileSignature::Make("VARI-TABLE", 1, 0);
inline constexpr TFileSignature JournalSignature = TFileSignature::Make("ZMSH-TABLE", 1, 0);

// Bytes of the header block at the start of a project and of a variant file.
constexpr std::size_t ProjectHeaderSize = 1024;
constexpr std::size_t VarHeaderSize = 1024;

// Results of CompareFileSignature.
enum : int {
  kSigAccepted = 0,     // the program's version or an older one it can read
  kSigOther = 1,        // another magic, or a version no reader knows
  kSigNewerMajor = 2,
  kSigNewerMinor = 3,
};

// True when the readers of programSig's files know the layout of version
// major.minor: project files 1.0 to 1.3, variant and archive files 1.0.
// For any other program signature only its own version is known.
bool IsKnownFileVersion(const TFileSignature& programSig, int32_t major, int32_t minor);

// 1 when the length byte or the magic differ; else 2 for a newer major,
// 3 for a newer minor of the same major; else 0 for a version the readers
// know and 1 for an older one they do not (it must not be parsed with the
// newest layout).
int CompareFileSignature(const TFileSignature& fileSig, const TFileSignature& programSig);

}  // namespace korvant
