#include "core/common/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>

namespace korvant {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("korvant-io-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  // Entries in the folder (a temporary file left behind would show here).
  int Entries() const {
    int n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(path_)) ++n;
    return n;
  }

 private:
  fs::path path_;
};

std::vector<unsigned char> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

TEST(FileIo, WritesAndReplacesLeavingNoTemporaryFile) {
  TempDir dir;
  const fs::path file = dir.path() / "a.tbl";
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("first")));
  EXPECT_EQ(Slurp(file), "first");
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("second, longer")));
  EXPECT_EQ(Slurp(file), "second, longer");
  ASSERT_TRUE(WriteFileAtomic(file, {}));
  EXPECT_EQ(fs::file_size(file), 0u);
  EXPECT_EQ(dir.Entries(), 1);

  std::vector<unsigned char> back;
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("xyz")));
  ASSERT_EQ(ReadWholeFile(file, back), FileReadStatus::Ok);
  EXPECT_EQ(back, Bytes("xyz"));
}

TEST(FileIo, FailedWriteKeepsTheOldFileAndCleansUp) {
  TempDir dir;
  const fs::path plain = dir.path() / "plain";
  ASSERT_TRUE(WriteFileAtomic(plain, Bytes("old")));
  // A path under a regular file and one in a missing folder cannot be
  // written even by root.
  EXPECT_FALSE(WriteFileAtomic(plain / "x.tbl", Bytes("new")));
  EXPECT_FALSE(WriteFileAtomic(dir.path() / "missing" / "x.tbl", Bytes("new")));
  // A folder in the target's place is not replaced.
  fs::create_directory(dir.path() / "sub");
  EXPECT_FALSE(WriteFileAtomic(dir.path() / "sub", Bytes("new")));
  EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));
  EXPECT_EQ(Slurp(plain), "old");
  EXPECT_EQ(dir.Entries(), 2);
}

TEST(FileIo, KeepsPermissionsAndSymbolicLinks) {
  TempDir dir;
  const fs::path file = dir.path() / "a.tbl";
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("1")));
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("2")));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const fs::path link = dir.path() / "link.tbl";
  fs::create_symlink(file, link);
  ASSERT_TRUE(WriteFileAtomic(link, Bytes("3")));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(file), "3");
}

TEST(FileIo, AWriteRemovesTemporaryFilesOfSavesThatDied) {
  TempDir dir;
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  auto temp = [&](pid_t pid, const std::string& rest, bool old) {
    const fs::path p = dir.path() / (".~korvant-" + std::to_string(pid) + rest);
    std::ofstream(p) << "half a project";
    if (old) fs::last_write_time(p, fs::last_write_time(p) - std::chrono::hours(1));
    return p;
  };
  const fs::path crashed = temp(dead, "-0-0.tmp", true);
  const fs::path recent = temp(dead, "-1-0.tmp", false);   // perhaps another machine's save
  const fs::path running = temp(1, "-0-0.tmp", true);      // its process runs
  const fs::path mine = temp(::getpid(), "-9-0.tmp", true);
  const fs::path notOurs = temp(dead, "-x-0.tmp", true);
  ASSERT_TRUE(WriteFileAtomic(dir.path() / "a.tbl", Bytes("new")));
  EXPECT_FALSE(fs::exists(crashed));
  for (const fs::path& p : {recent, running, mine, notOurs}) EXPECT_TRUE(fs::exists(p)) << p;
  EXPECT_EQ(dir.Entries(), 5);
}

TEST(FileIo, ReadRefusesMissingFoldersAndLargeFiles) {
  TempDir dir;
  std::vector<unsigned char> out{1, 2};
  EXPECT_EQ(ReadWholeFile(dir.path() / "none", out), FileReadStatus::CannotOpen);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ReadWholeFile(dir.path(), out), FileReadStatus::CannotOpen);
  // A pipe without a writer is refused, not waited on.
  ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(dir.path() / "pipe", out), FileReadStatus::CannotOpen);
  const fs::path file = dir.path() / "f";
  ASSERT_TRUE(WriteFileAtomic(file, Bytes("12345")));
  EXPECT_EQ(ReadWholeFile(file, out, 4), FileReadStatus::TooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(ReadWholeFile(file, out, 5), FileReadStatus::Ok);
  EXPECT_EQ(out, Bytes("12345"));
}

TEST(FileIo, ProgramTextNamesAndNamesAsTheUserReadsThem) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir.path() / FsPath("\xc4\xe5\xec\xee.tbl"), Bytes("d")));  // "Демо.tbl"
  EXPECT_TRUE(fs::exists(dir.path() / fs::path(u8"Демо.tbl")));
  struct Case {
    const char* path;
    std::u16string name, shown;
  };
  const Case cases[] = {
      {"/x/café.tbl", u"café.tbl", u"café"},
      {"/x/caf?.tbl", u"caf?.tbl", u"caf?"},
      {"/x.y/\xf0\x9f\x93\x85.rsp", u"\U0001F4C5.rsp", u"\U0001F4C5"},
      {"plain", u"plain", u"plain"},
      {"/x/a.longext", u"a.longext", u"a.longext"},
      // Bytes that are not UTF-8: a lone lead, a cut sequence, an overlong
      // form and an encoded surrogate each read as U+FFFD.
      {"/x/a\xc3.b\xe2\x82", u"a\uFFFD.b\uFFFD\uFFFD", u"a\uFFFD"},
      {"/x/\xc0\xaf\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      // Control characters and a direction override read as U+FFFD too.
      {"/x/a\nb\t\x7f\xc2\x85.tbl", u"a\uFFFDb\uFFFD\uFFFD\uFFFD.tbl", u"a\uFFFDb\uFFFD\uFFFD\uFFFD"},
      {"/x/\xe2\x80\xaelbt.exe", u"\uFFFDlbt.exe", u"\uFFFDlbt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileName16(c.path), c.name) << c.path;
    EXPECT_EQ(ShownName16(c.path), c.shown) << c.path;
  }
}

TEST(FileIo, ReplacingIsRefusedInAFolderThatTakesNoFile) {
  TempDir dir;
  const fs::path folder = dir.path() / "ro";
  fs::create_directories(folder);
  ASSERT_TRUE(WriteFileAtomic(folder / "f", Bytes("1")));
  EXPECT_TRUE(CanReplace(folder / "f"));
  EXPECT_TRUE(CanReplace(folder / "new"));
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(CanReplace(folder / "f"));
  EXPECT_FALSE(CanReplace(folder / "new"));
  EXPECT_FALSE(WriteFileAtomic(folder / "f", Bytes("2")));
  fs::permissions(folder, fs::perms::owner_all);
  std::vector<unsigned char> out;
  ASSERT_EQ(ReadWholeFile(folder / "f", out), FileReadStatus::Ok);
  EXPECT_EQ(out, Bytes("1"));
  EXPECT_FALSE(CanReplace(dir.path() / "missing" / "f"));
}

}  // namespace
}  // namespace korvant
