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

// File and folder names are the system's own strings (std::filesystem::path)
// from the file dialog to the file and back into captions; they never pass
// through CP1251, which lacks most of the characters a name may hold.
// FsPath makes a path of program text (a name from the catalogue).
std::filesystem::path FsPath(std::string_view programText);

// A path's name part (no folder) as the user reads it; bytes that are not
// UTF-8, control characters (line breaks among them) and direction
// controls read as U+FFFD.
std::u16string FileName16(const std::filesystem::path& path);
// The same without its extension: a point among the name's last four
// characters and everything after it are cut.
std::u16string ShownName16(const std::filesystem::path& path);
// Messages that name a file are made in UTF-16 (FormatMsg16) and shown
// whole (ShowErrMsgText16, core/common/catalogue.h).

enum class FileReadStatus {
  Ok,
  CannotOpen,  // missing, unreadable, not a regular file, or a read error
  TooLarge,    // larger than the cap; nothing was read
};

// The whole content of a regular file, at most maxBytes long.
FileReadStatus ReadWholeFile(const std::filesystem::path& path, std::vector<unsigned char>& out,
                             std::uintmax_t maxBytes = kMaxFileBytes);

// What identifies the content of a file on disk as it was read or last
// written: a save compares it with the file now there. Invalid for a file
// that is not there (or not a regular file).
struct FileStamp {
  bool Valid = false;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::int64_t Size = 0;
  std::int64_t ModifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::filesystem::path& path);

// An advisory lock (flock) held on an open project or variant file for as
// long as it is open, so that a second copy of the program sees that the
// file is taken. The lock belongs to this object's open file description:
// a second open of the same file, even in this process, does not get it.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  FileLock(FileLock&& o) noexcept : fd_(o.fd_), stamp_(o.stamp_) { o.fd_ = -1; o.stamp_ = {}; }
  FileLock& operator=(FileLock&& o) noexcept;

  bool Held() const { return fd_ >= 0; }
  // The file as it was read or last written through this lock; kept also
  // when no lock could be had (a file system without locks, or a file
  // another copy holds).
  const FileStamp& Stamp() const { return stamp_; }
  // Whether the file at path is no longer the one read or last written
  // through this lock (replaced or rewritten by someone else); false when
  // either stamp is unknown.
  bool ChangedOnDisk(const std::filesystem::path& path) const;
  void Release();
  // For the functions below: takes over fd (-1: none) with the stamp.
  void Adopt(int fd, const FileStamp& stamp);
  int Descriptor() const { return fd_; }

 private:
  int fd_ = -1;
  FileStamp stamp_;
};

// Reads a file whole (as ReadWholeFile) and takes its lock into lock, which
// gives up what it held before. heldElsewhere answers whether another open
// of the file (another copy of the program) holds the lock; then the
// content is read all the same and lock holds only the file's stamp.
FileReadStatus ReadAndLockFile(const std::filesystem::path& path, std::vector<unsigned char>& out, FileLock& lock,
                               bool& heldElsewhere, std::uintmax_t maxBytes = kMaxFileBytes);

enum class WriteStatus {
  Ok,
  Failed,        // cannot be written (also a read-only target); nothing changed
  HeldElsewhere  // another open of the target holds its lock; nothing changed
};

// Writes data to a new file in the target's folder, flushes it to disk and
// renames it over the target (a symbolic link is followed, so the link
// stays). An existing target keeps its permissions; a target without write
// permission, or in a folder without it (for root: without any write
// bit), is refused, as a write to it would be. Before the write, temporary files of earlier saves of the
// program that died during a save are removed from the folder. On any
// failure the temporary file is removed, the target is left as it was and
// the answer is false.
bool WriteFileAtomic(const std::filesystem::path& target, std::span<const unsigned char> data);
// The same for a file kept locked: a target locked by another open is
// refused; on success lock holds the lock of the new file (taken before it
// replaced the old one, so that the name is never unlocked) and its stamp,
// and gives up the old file's lock.
WriteStatus WriteFileLocked(const std::filesystem::path& target, std::span<const unsigned char> data, FileLock& lock);

// Whether a save could replace target now (WriteFileAtomic's refusals):
// its folder takes a new file and target, when it is there, is not marked
// read-only. For root a file or folder without any write bit is read-only.
bool CanReplace(const std::filesystem::path& target);

// Removes from folder the temporary files of saves whose process no longer
// runs (and that are older than a few minutes, so that a save from another
// machine sharing the folder is left alone). Answers how many went.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

}  // namespace korvant
