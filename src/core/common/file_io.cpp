#include "core/common/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <ctime>

#include "base/cp1251.h"

namespace korvant {

namespace fs = std::filesystem;

fs::path FsPath(std::string_view programText) { return fs::path(cp1251::toUtf16(programText)); }

namespace {

// UTF-8 to UTF-16; a byte that does not start or continue a well-formed
// sequence gives U+FFFD, so no name of the disk makes this fail.
std::u16string Utf8To16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    char32_t cp = n == 0 ? b : n == 1 ? (b & 0x1F) : n == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = n >= 0 && i + static_cast<std::size_t>(n) < s.size();
    for (int k = 1; ok && k <= n; ++k) {
      const unsigned char c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((c & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (cp < kLeast[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<std::size_t>(n) + 1;
  }
  return out;
}

}  // namespace

std::u16string FileName16(const fs::path& path) {
  const std::string& all = path.native();
  const std::size_t cut = all.find_last_of('/');
  std::u16string name = Utf8To16(cut == std::string::npos ? std::string_view(all) : std::string_view(all).substr(cut + 1));
  // A line break or another control character would break a caption or a
  // message in two, and a direction control would turn the rest of it
  // round: each shows as the mark of a character that cannot be shown.
  for (char16_t& c : name)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
        (c >= 0x2066 && c <= 0x2069))
      c = u'\uFFFD';
  return name;
}

std::u16string ShownName16(const fs::path& path) {
  std::u16string name = FileName16(path);
  const std::size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos && dot + 4 >= name.size()) name.resize(dot);
  return name;
}

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  bool Close() {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const unsigned char> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A name no other save uses: the process and a counter. It does not grow
// with the target's name, which may already be as long as names can be.
constexpr std::string_view kTempPrefix = ".~korvant-";
constexpr std::string_view kTempSuffix = ".tmp";

fs::path TempNameIn(const fs::path& folder, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const unsigned n = counter++;
  return folder / (std::string(kTempPrefix) + std::to_string(::getpid()) + "-" + std::to_string(n) + "-" +
                   std::to_string(attempt) + std::string(kTempSuffix));
}

// The process that wrote a temporary file of ours, from its name; 0 when
// the name is not one of ours.
pid_t TempOwner(std::string_view name) {
  if (name.size() <= kTempPrefix.size() + kTempSuffix.size() || name.substr(0, kTempPrefix.size()) != kTempPrefix ||
      name.substr(name.size() - kTempSuffix.size()) != kTempSuffix)
    return 0;
  name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
  int dashes = 0;
  for (char c : name) {
    if (c == '-')
      ++dashes;
    else if (c < '0' || c > '9')
      return 0;
  }
  if (dashes != 2) return 0;
  const std::size_t end = name.find('-');
  if (end == 0 || end > 9) return 0;
  return static_cast<pid_t>(std::stol(std::string(name.substr(0, end))));
}

// A save holds its temporary file for seconds; one older than this whose
// process is gone was left by a crash.
constexpr std::time_t kStaleTempSeconds = 10 * 60;

FileStamp StampFromStat(const struct stat& st) {
  FileStamp s;
  s.Valid = true;
  s.Device = st.st_dev;
  s.Inode = st.st_ino;
  s.Size = st.st_size;
  s.ModifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  return s;
}

bool SameInode(const FileStamp& s, const struct stat& st) {
  return s.Valid && s.Device == st.st_dev && s.Inode == st.st_ino;
}

// A target the user may not write (for root: one without any write bit,
// which root could write but the user marked read-only).
bool WriteProtected(const fs::path& real) {
  struct stat st {};
  if (::stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return (st.st_mode & 0222) == 0 || ::access(real.c_str(), W_OK) != 0;
}

// A folder that takes no new file: a save writes its temporary file there.
// For root, as for files, one without any write bit.
bool FolderProtected(const fs::path& folder) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return true;
  return (st.st_mode & 0222) == 0 || ::access(folder.c_str(), W_OK | X_OK) != 0;
}

// The file a save of target replaces: a symbolic link is followed, so the
// link stays.
fs::path ReplacedFile(const fs::path& target) {
  std::error_code ec;
  if (fs::is_symlink(target, ec)) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) return resolved;
  }
  return target;
}

fs::path FolderOf(const fs::path& file) {
  fs::path folder = file.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

void SyncFolder(const fs::path& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Best effort: the rename is done; a folder that cannot be synced is no
  // reason to call the save failed.
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

namespace {

// Reads an open regular file of st's size to its end, never past maxBytes.
FileReadStatus ReadOpenFile(Fd& fd, const struct stat& st, std::vector<unsigned char>& out,
                            std::uintmax_t maxBytes) {
  if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > maxBytes)
    return FileReadStatus::TooLarge;
  // The file may change while it is read: read until the end, but never
  // past the cap.
  std::vector<unsigned char> buf(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  for (;;) {
    if (got == buf.size()) {
      if (buf.size() >= maxBytes) {
        unsigned char probe;
        ssize_t n;
        do n = ::read(fd.get(), &probe, 1); while (n < 0 && errno == EINTR);
        if (n < 0) return FileReadStatus::CannotOpen;
        if (n > 0) return FileReadStatus::TooLarge;
        break;
      }
      const std::uintmax_t grown = std::min<std::uintmax_t>(maxBytes, buf.size() + 65536);
      buf.resize(static_cast<std::size_t>(grown));
    }
    const ssize_t n = ::read(fd.get(), buf.data() + got, buf.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FileReadStatus::CannotOpen;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  buf.resize(got);
  out = std::move(buf);
  return FileReadStatus::Ok;
}

// Non-blocking, so that a pipe given as a file name is refused instead of
// waiting for a writer; regular files ignore the flag.
bool OpenRegular(const fs::path& path, Fd& fd, struct stat& st) {
  fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  return fd.get() >= 0 && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

FileReadStatus ReadWholeFile(const fs::path& path, std::vector<unsigned char>& out,
                             std::uintmax_t maxBytes) {
  out.clear();
  Fd fd;
  struct stat st {};
  if (!OpenRegular(path, fd, st)) return FileReadStatus::CannotOpen;
  return ReadOpenFile(fd, st, out, maxBytes);
}

FileStamp StampOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return StampFromStat(st);
}

FileLock& FileLock::operator=(FileLock&& o) noexcept {
  if (this != &o) {
    Release();
    fd_ = o.fd_;
    stamp_ = o.stamp_;
    o.fd_ = -1;
    o.stamp_ = {};
  }
  return *this;
}

void FileLock::Release() {
  if (fd_ >= 0) ::close(fd_);  // closing the description drops its lock
  fd_ = -1;
  stamp_ = {};
}

void FileLock::Adopt(int fd, const FileStamp& stamp) {
  Release();
  fd_ = fd;
  stamp_ = stamp;
}

bool FileLock::ChangedOnDisk(const fs::path& path) const {
  const FileStamp now = StampOf(path);
  return stamp_.Valid && now.Valid && now != stamp_;
}

FileReadStatus ReadAndLockFile(const fs::path& path, std::vector<unsigned char>& out, FileLock& lock,
                               bool& heldElsewhere, std::uintmax_t maxBytes) {
  out.clear();
  heldElsewhere = false;
  Fd fd;
  struct stat st {};
  if (!OpenRegular(path, fd, st)) return FileReadStatus::CannotOpen;
  // The same file read again by its holder: its own lock must not count
  // as another copy's.
  if (lock.Held() && SameInode(lock.Stamp(), st)) lock.Release();
  bool locked = ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0;
  // A file system without locks is used unlocked rather than not at all.
  if (!locked && errno == EWOULDBLOCK) heldElsewhere = true;
  const FileReadStatus status = ReadOpenFile(fd, st, out, maxBytes);
  if (status != FileReadStatus::Ok) return status;
  if (::fstat(fd.get(), &st) != 0) return FileReadStatus::CannotOpen;
  lock.Adopt(locked ? fd.Release() : -1, StampFromStat(st));
  return FileReadStatus::Ok;
}

bool CanReplace(const fs::path& target) {
  const fs::path real = ReplacedFile(target);
  return !real.filename().empty() && !WriteProtected(real) && !FolderProtected(FolderOf(real));
}

int RemoveStaleTemporaryFiles(const fs::path& folder) {
  int removed = 0;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return 0;
  const pid_t self = ::getpid();
  const std::time_t now = std::time(nullptr);
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const pid_t owner = TempOwner(it->path().filename().native());
    if (owner <= 0 || owner == self) continue;
    if (::kill(owner, 0) == 0 || errno == EPERM) continue;  // still running
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - st.st_mtim.tv_sec < kStaleTempSeconds) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

namespace {

WriteStatus WriteReplacing(const fs::path& target, std::span<const unsigned char> data, FileLock* lock) {
  std::error_code ec;
  const fs::path real = ReplacedFile(target);
  if (real.filename().empty()) return WriteStatus::Failed;
  const fs::path folder = FolderOf(real);

  // A crash during an earlier save left its temporary file; it is of no
  // use to anyone and may be as large as the file.
  RemoveStaleTemporaryFiles(folder);
  if (WriteProtected(real) || FolderProtected(folder)) return WriteStatus::Failed;

  // Another copy of the program that has the target open holds its lock;
  // holding it ourselves until the rename keeps that copy from taking it
  // meanwhile.
  Fd guard;
  if (lock) {
    struct stat st {};
    if (OpenRegular(real, guard, st) && !(lock->Held() && SameInode(lock->Stamp(), st)) &&
        ::flock(guard.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
      return WriteStatus::HeldElsewhere;
  }

  fs::path tmp;
  Fd fd;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    tmp = TempNameIn(folder, attempt);
    fd.Reset(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() >= 0 || errno != EEXIST) break;
  }
  if (fd.get() < 0) return WriteStatus::Failed;

  bool ok = true;
  struct stat st {};
  if (::stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    ok = ::fchmod(fd.get(), st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd.get(), data);
  ok = ok && ::fsync(fd.get()) == 0;
  // The new file is locked before it takes the name, so that the name is
  // never without its lock.
  Fd newLock;
  if (ok && lock) {
    newLock.Reset(::open(tmp.c_str(), O_RDONLY | O_CLOEXEC));
    ok = newLock.get() >= 0;
    if (ok) ::flock(newLock.get(), LOCK_EX | LOCK_NB);
  }
  ok = fd.Close() && ok;
  ok = ok && ::rename(tmp.c_str(), real.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return WriteStatus::Failed;
  }
  SyncFolder(folder);
  if (lock) {
    struct stat now {};
    const FileStamp stamp = ::fstat(newLock.get(), &now) == 0 ? StampFromStat(now) : StampOf(real);
    lock->Adopt(newLock.Release(), stamp);
  }
  return WriteStatus::Ok;
}

}  // namespace

bool WriteFileAtomic(const fs::path& target, std::span<const unsigned char> data) {
  return WriteReplacing(target, data, nullptr) == WriteStatus::Ok;
}

WriteStatus WriteFileLocked(const fs::path& target, std::span<const unsigned char> data, FileLock& lock) {
  return WriteReplacing(target, data, &lock);
}

}  // namespace korvant
