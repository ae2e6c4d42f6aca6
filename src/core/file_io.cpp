#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "base/cp1251.h"

namespace korvant {

namespace fs = std::filesystem;

fs::path FsPath(std::string_view programText) { return fs::path(cp1251::toUtf16(programText)); }

std::string ProgramTextPath(const fs::path& path) { return cp1251::fromUtf16(path.u16string()); }

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
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
fs::path TempNameIn(const fs::path& folder, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  const unsigned n = counter++;
  return folder / (".~korvant-" + std::to_string(::getpid()) + "-" + std::to_string(n) + "-" +
                   std::to_string(attempt) + ".tmp");
}

void SyncFolder(const fs::path& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Best effort: the rename is done; a folder that cannot be synced is no
  // reason to call the save failed.
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace

FileReadStatus ReadWholeFile(const fs::path& path, std::vector<unsigned char>& out,
                             std::uintmax_t maxBytes) {
  out.clear();
  // Non-blocking, so that a pipe given as a file name is refused below
  // instead of waiting for a writer; regular files ignore the flag.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return FileReadStatus::CannotOpen;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return FileReadStatus::CannotOpen;
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

bool WriteFileAtomic(const fs::path& target, std::span<const unsigned char> data) {
  std::error_code ec;
  fs::path real = target;
  if (fs::is_symlink(target, ec)) {
    fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) real = resolved;
  }
  if (real.filename().empty()) return false;
  fs::path folder = real.parent_path();
  if (folder.empty()) folder = ".";

  fs::path tmp;
  Fd fd;
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    tmp = TempNameIn(folder, attempt);
    fd.Reset(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() >= 0 || errno != EEXIST) break;
  }
  if (fd.get() < 0) return false;

  bool ok = true;
  struct stat st {};
  if (::stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    ok = ::fchmod(fd.get(), st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd.get(), data);
  ok = ok && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(tmp.c_str(), real.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace korvant
