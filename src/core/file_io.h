#pragma once
// Whole-file reading and the safe writer every file of the program goes
// through: a save either replaces the file completely or leaves the old one
// untouched.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvant {

// No file the program writes comes near this; anything larger is not ours
// and is not read into memory.
constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

// File names are held as program text (CP1251); these convert at the file
// system boundary.
std::filesystem::path FsPath(std::string_view programText);
std::string ProgramTextPath(const std::filesystem::path& path);

enum class FileReadStatus {
  Ok,
  CannotOpen,  // missing, unreadable, not a regular file, or a read error
  TooLarge,    // larger than the cap; nothing was read
};

// The whole content of a regular file, at most maxBytes long.
FileReadStatus ReadWholeFile(const std::filesystem::path& path, std::vector<unsigned char>& out,
                             std::uintmax_t maxBytes = kMaxFileBytes);

// Writes data to a new file in the target's folder, flushes it to disk and
// renames it over the target (a symbolic link is followed, so the link
// stays). An existing target keeps its permissions. On any failure the
// temporary file is removed, the target is left as it was and the answer
// is false.
bool WriteFileAtomic(const std::filesystem::path& target, std::span<const unsigned char> data);

}  // namespace korvant
