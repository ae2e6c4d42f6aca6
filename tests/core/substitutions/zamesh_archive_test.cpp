#include "core/substitutions/zamesh_archive.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "base/cp1251.h"
#include "core/common/binio.h"
#include "core/common/file_io.h"
#include "core/project/project.h"

namespace korvant {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr double kMonday = 45362.0;  // 2024-03-11

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("korvant-zam-" + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const char* name = "zarch.sys") const { return (path_ / name).string(); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

class RecordingPrompt : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    EXPECT_EQ(kind, kBoxOk);
    texts.push_back(text);
    return kResYes;
  }
  std::vector<std::string> texts;
};

uint32_t U32(const Bytes& b, std::size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
double F64(const Bytes& b, std::size_t at) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(b[at + i]) << (8 * i);
  double d;
  std::memcpy(&d, &v, sizeof d);
  return d;
}
void PutU32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutF64(Bytes& b, std::size_t at, double d) {
  uint64_t v;
  std::memcpy(&v, &d, sizeof v);
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
std::size_t EntryAt(std::size_t n) { return kZameshIndexOffset + kZameshEntryBytes * (n - 1); }  // n = 1..2000

Bytes Slurp(const std::string& path) {
  Bytes b;
  EXPECT_EQ(ReadWholeFile(path, b), FileReadStatus::Ok);
  return b;
}
void Spit(const std::string& path, const Bytes& b) { ASSERT_TRUE(WriteFileAtomic(path, b)); }

TZameshRow Row(const std::string& lesson, const std::string& absent, const std::string& substitute = "",
               uint32_t lessons = 0) {
  TZameshRow r;
  r.Texts = {lesson, absent, "Math", "5a/5b", "12", cp1251::fromUtf8("Больничный"), substitute, "Math", ""};
  r.Objects[kZamAbsent] = lessons;
  r.Objects[kZamKlass] = 1;
  r.Objects[kZamSubstitute] = substitute.empty() ? 0 : 1;
  return r;
}

std::unique_ptr<TZameshImage> Apply(const TZameshImage& img, double date, const std::vector<TZameshRow>& rows,
                                    ZameshSaveResult expect = ZameshSaveResult::Saved) {
  std::unique_ptr<TZameshImage> next;
  EXPECT_EQ(img.PlanSave(date, rows, next), expect);
  return next;
}

std::unique_ptr<TZameshImage> Fresh() { return TZameshImage::FromBytes(TZameshImage::NewBytes()); }

// An archive of two days: Monday (two rows) at entry 1, Tuesday at entry 2.
Bytes TwoDays() {
  auto a = Fresh();
  auto b = Apply(*a, kMonday + 0.4, {Row("1", "Ivanov", "Petrov", 0b11), Row("2", "Ivanov", "", 0b11)});
  auto c = Apply(*b, kMonday + 1, {Row("3", "Sidorov")});
  return c->Bytes();
}

// ---- layout ----

TEST(ZameshArchive, NewArchiveIsTheSignatureAndAZeroIndex) {
  const Bytes b = TZameshImage::NewBytes();
  ASSERT_EQ(b.size(), 24020u);
  EXPECT_EQ(b[0], 10);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 11), "ZMSH-TABLE");
  EXPECT_EQ(b[11], 0);
  EXPECT_EQ(U32(b, 12), 1u);
  EXPECT_EQ(U32(b, 16), 0u);
  for (std::size_t i = 20; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << i;
}

TEST(ZameshArchive, IndexEntriesAndDayBlocksAtTheirOffsets) {
  const Bytes b = TwoDays();
  // Entry 1: the date as stored (time fraction kept), block at offset 0.
  EXPECT_EQ(F64(b, 20), kMonday + 0.4);
  EXPECT_EQ(U32(b, 28), 0u);
  // Block 1: 2 rows; each cell is length, text, object.
  EXPECT_EQ(U32(b, 24020), 2u);
  const uint32_t s1 = U32(b, 24024);
  std::size_t p = 24028;
  EXPECT_EQ(U32(b, p), 1u);  // "1"
  EXPECT_EQ(b[p + 4], '1');
  EXPECT_EQ(U32(b, p + 5), 0u);  // column 0 object
  p += 9;
  EXPECT_EQ(U32(b, p), 6u);
  EXPECT_EQ(std::string(b.begin() + p + 4, b.begin() + p + 10), "Ivanov");
  EXPECT_EQ(U32(b, p + 10), 0b11u);
  // Per row 9 cells of 8 bytes and the texts "1", "Ivanov", "Math", "5a/5b", "12",
  // the reason (10 bytes), "Math"; "Petrov" in row 1 only.
  const uint32_t expectS1 = 2 * (9 * 8 + 1 + 6 + 4 + 5 + 2 + 10 + 4) + 6;
  EXPECT_EQ(s1, expectS1);
  // Entry 2 at 20 + 12: Tuesday, block right after block 1.
  EXPECT_EQ(F64(b, EntryAt(2)), kMonday + 1);
  EXPECT_EQ(U32(b, EntryAt(2) + 8), 8 + s1);
  EXPECT_EQ(U32(b, 24020 + 8 + s1), 1u);
  EXPECT_EQ(b.size(), 24020u + 8 + s1 + 8 + U32(b, 24020 + 8 + s1 + 4));
  // The rest of the index stays free.
  for (std::size_t i = EntryAt(3); i < 24020; ++i) ASSERT_EQ(b[i], 0) << i;
}

// ---- days ----

TEST(ZameshArchive, CreateWriteTwoDaysReopenAndReadEachBack) {
  TempDir dir;
  const std::string path = dir.File();
  ASSERT_TRUE(TZameshArchive::Create(path));
  const std::vector<TZameshRow> monday = {Row("1", cp1251::fromUtf8("Иванов И.И."), "Petrov", 1),
                                          Row("4", "Orlova", "", 8)};
  const std::vector<TZameshRow> tuesday = {Row("2", "Sidorov", "Ivanov", 2)};
  {
    ZameshOpenStatus st;
    auto a = TZameshArchive::Open(path, st);
    ASSERT_EQ(st, ZameshOpenStatus::Ok);
    EXPECT_EQ(a->SaveDay(kMonday, monday), ZameshSaveResult::Saved);
    EXPECT_EQ(a->SaveDay(kMonday + 1, tuesday), ZameshSaveResult::Saved);
  }
  ZameshOpenStatus st;
  auto a = TZameshArchive::Open(path, st);
  ASSERT_EQ(st, ZameshOpenStatus::Ok);
  EXPECT_EQ(a->LoadDay(kMonday), monday);
  EXPECT_EQ(a->LoadDay(kMonday + 1), tuesday);
  ZameshDayBuffer buf;
  a->ReadDay(kMonday, buf);
  ASSERT_EQ(buf.Count(), 2);
  EXPECT_EQ(buf.Text(kZamAbsent, 1), cp1251::fromUtf8("Иванов И.И."));
  EXPECT_EQ(buf.Text(kZamLesson, 2), "4");
  EXPECT_EQ(buf.Object(kZamAbsent, 2), 8u);
  EXPECT_EQ(buf.Object(kZamSubstitute, 1), 1u);
  EXPECT_EQ(buf.Text(0, 3), "");  // past the rows
  // A day without an entry: no rows for a report, one empty row for the journal.
  a->ReadDay(kMonday + 2, buf);
  EXPECT_EQ(buf.Count(), 0);
  const auto empty = a->LoadDay(kMonday + 2);
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(empty[0], TZameshRow{});
}

TEST(ZameshArchive, DaysCompareByWholeDayOnly) {
  auto img = Apply(*Fresh(), kMonday + 0.75, {Row("1", "A")});
  EXPECT_EQ(img->FindEntry(kMonday), 0);
  EXPECT_EQ(img->FindEntry(kMonday + 0.01), 0);
  EXPECT_EQ(img->FindEntry(kMonday + 0.999), 0);
  EXPECT_EQ(img->FindEntry(kMonday + 1), -1);
  EXPECT_EQ(img->FindEntry(kMonday - 0.01), -1);
  // Saving the same day from another time replaces it in the same entry.
  auto again = Apply(*img, kMonday + 0.1, {Row("2", "B")});
  EXPECT_EQ(again->FindEntry(kMonday), 0);
  EXPECT_EQ(again->Entry(0).Date, kMonday + 0.75);
  EXPECT_TRUE(again->Entry(1).IsFree());
  EXPECT_EQ(again->DayRows(kMonday + 0.5)[0].Texts[1], "B");
  // Before 1899-12-30 the time counts away from zero: -5.9 and -5.1 are one day.
  auto old = Apply(*Fresh(), -5.9, {Row("1", "A")});
  EXPECT_EQ(old->FindEntry(-5.1), 0);
  EXPECT_EQ(old->FindEntry(-6.0), -1);
}

TEST(ZameshArchive, DatesTheIndexCannotHoldAreRefused) {
  auto img = Fresh();
  std::unique_ptr<TZameshImage> next;
  for (double d : {0.0, 0.5, -0.5, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity(), 1e300}) {
    EXPECT_EQ(img->PlanSave(d, {Row("1", "A")}, next), ZameshSaveResult::InvalidDate) << d;
    EXPECT_EQ(img->FindEntry(d), -1);
  }
  EXPECT_FALSE(next);
}

TEST(ZameshArchive, ReplacingADayAppendsABlockAndLeavesTheOldOneUnused) {
  auto one = Apply(*Fresh(), kMonday, {Row("1", "A")});
  const std::size_t before = one->Bytes().size();
  const std::vector<TZameshRow> rows = {Row("1", "A", "B"), Row("2", "A")};
  uint64_t blockBytes = 0;
  ASSERT_TRUE(ZameshBlockBytes(rows, blockBytes));
  auto two = Apply(*one, kMonday, rows);
  EXPECT_EQ(two->Bytes().size(), before + blockBytes);
  EXPECT_EQ(two->Entry(0).Offset, before - 24020);
  EXPECT_EQ(two->DayRows(kMonday), rows);
  // The first block is still there, byte for byte.
  EXPECT_TRUE(std::equal(one->Bytes().begin() + 24020, one->Bytes().end(), two->Bytes().begin() + 24020));
  EXPECT_TRUE(TZameshImage::FromBytes(two->Bytes()));
}

TEST(ZameshArchive, EmptyingADayFreesItsEntryForTheNextNewDay) {
  auto img = Apply(*Apply(*Fresh(), kMonday, {Row("1", "A")}), kMonday + 1, {Row("1", "B")});
  // One row with an empty lesson column is an empty day, whatever else it holds.
  TZameshRow blank;
  blank.Texts[kZamNote] = "x";
  auto freed = Apply(*img, kMonday, {blank}, ZameshSaveResult::Freed);
  EXPECT_TRUE(freed->Entry(0).IsFree());
  EXPECT_EQ(freed->Entry(0).Offset, 0u);
  EXPECT_EQ(F64(freed->Bytes(), 20), 0.0);
  EXPECT_EQ(freed->FindEntry(kMonday), -1);
  EXPECT_EQ(freed->Bytes().size(), img->Bytes().size());
  // An empty day that has no entry writes nothing.
  std::unique_ptr<TZameshImage> none;
  EXPECT_EQ(freed->PlanSave(kMonday + 5, {}, none), ZameshSaveResult::Unchanged);
  EXPECT_FALSE(none);
  auto reused = Apply(*freed, kMonday + 7, {Row("5", "C")});
  EXPECT_EQ(reused->FindEntry(kMonday + 7), 0);
  EXPECT_EQ(reused->FindEntry(kMonday + 1), 1);
}

TEST(ZameshArchive, DuplicateDaysReadTheFirstAndAreFreedTogether) {
  Bytes b = TwoDays();
  PutF64(b, EntryAt(2), kMonday + 0.9);  // entry 2 now claims Monday too
  auto img = TZameshImage::FromBytes(b);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->FindEntry(kMonday), 0);
  EXPECT_EQ(img->DayRows(kMonday).size(), 2u);
  auto freed = Apply(*img, kMonday, {TZameshRow{}}, ZameshSaveResult::Freed);
  EXPECT_EQ(freed->FindEntry(kMonday), -1);
  EXPECT_TRUE(freed->Entry(1).IsFree());
}

TEST(ZameshArchive, ADayOfManyRowsIsKeptWhole) {
  std::vector<TZameshRow> rows;
  for (int i = 0; i < 150; ++i) rows.push_back(Row(std::to_string(i % 8 + 1), "T" + std::to_string(i)));
  auto img = Apply(*Fresh(), kMonday, rows);
  ZameshDayBuffer buf;
  img->ReadDay(kMonday, buf);
  ASSERT_EQ(buf.Count(), 150);
  EXPECT_EQ(buf.Text(kZamAbsent, 150), "T149");
}

TEST(ZameshArchive, ABlockWithoutRowsLoadsAsOneEmptyJournalRow) {
  Bytes b = TZameshImage::NewBytes();
  PutF64(b, EntryAt(1), kMonday);
  b.resize(b.size() + 8, 0);  // R = 0, S = 0
  TempDir dir;
  Spit(dir.File(), b);
  ZameshOpenStatus st;
  auto a = TZameshArchive::Open(dir.File(), st);
  ASSERT_EQ(st, ZameshOpenStatus::Ok);
  EXPECT_EQ(a->LoadDay(kMonday).size(), 1u);
  ZameshDayBuffer buf;
  a->ReadDay(kMonday, buf);
  EXPECT_EQ(buf.Count(), 0);
}

// ---- a full index ----

Bytes FullIndex() {
  Bytes b = TZameshImage::NewBytes();
  for (std::size_t n = 1; n <= kZameshEntries; ++n) {
    PutF64(b, EntryAt(n), kMonday + double(n));
    PutU32(b, EntryAt(n) + 8, 0);  // all share one block
  }
  std::vector<TZameshRow> rows = {Row("1", "A")};
  WriteZameshBlock(b, rows);
  return b;
}

TEST(ZameshArchive, AFullIndexRefusesNewDaysButKeepsSavingOldOnes) {
  auto img = TZameshImage::FromBytes(FullIndex());
  ASSERT_TRUE(img);
  Apply(*img, kMonday + 3000, {Row("1", "B")}, ZameshSaveResult::IndexFull);
  auto saved = Apply(*img, kMonday + 2000, {Row("2", "B")});
  EXPECT_EQ(saved->FindEntry(kMonday + 2000), 1999);
  // A freed entry makes room again.
  auto freed = Apply(*img, kMonday + 7, {}, ZameshSaveResult::Freed);
  auto reused = Apply(*freed, kMonday + 3000, {Row("1", "B")});
  EXPECT_EQ(reused->FindEntry(kMonday + 3000), 6);
}

TEST(ZameshArchive, FullIndexIsReportedAndNothingIsWritten) {
  TempDir dir;
  Spit(dir.File(), FullIndex());
  const Bytes before = Slurp(dir.File());
  RecordingPrompt prompt;
  ScopedPrompt scoped(&prompt);
  ZameshOpenStatus st;
  auto a = TZameshArchive::Open(dir.File(), st);
  ASSERT_EQ(st, ZameshOpenStatus::Ok);
  EXPECT_EQ(a->SaveDay(kMonday + 3000, {Row("1", "B")}), ZameshSaveResult::IndexFull);
  ASSERT_EQ(prompt.texts.size(), 1u);
  EXPECT_EQ(prompt.texts[0], LoadResStr(10156));
  EXPECT_EQ(Slurp(dir.File()), before);
}

// ---- bad files ----

TEST(ZameshArchive, RefusesShortForeignAndNewerFiles) {
  Bytes b = TZameshImage::NewBytes();
  EXPECT_TRUE(TZameshImage::FromBytes(b));
  EXPECT_FALSE(TZameshImage::FromBytes(Bytes(b.begin(), b.end() - 1)));
  EXPECT_FALSE(TZameshImage::FromBytes({}));
  Bytes other = b;
  other[1] = 'X';
  EXPECT_FALSE(TZameshImage::FromBytes(other));
  Bytes len = b;
  len[0] = 9;
  EXPECT_FALSE(TZameshImage::FromBytes(len));
  Bytes minor = b;
  PutU32(minor, 16, 1);
  EXPECT_FALSE(TZameshImage::FromBytes(minor));
  Bytes major = b;
  PutU32(major, 12, 2);
  EXPECT_FALSE(TZameshImage::FromBytes(major));
  Bytes zeros(24020, 0);
  EXPECT_FALSE(TZameshImage::FromBytes(zeros));
}

TEST(ZameshArchive, RefusesLyingOffsetsAndCounts) {
  const Bytes good = TwoDays();
  ASSERT_TRUE(TZameshImage::FromBytes(good));
  const std::size_t block2 = 24020 + U32(good, EntryAt(2) + 8);
  auto refused = [&](auto change, const char* what) {
    Bytes b = good;
    change(b);
    EXPECT_FALSE(TZameshImage::FromBytes(b)) << what;
  };
  refused([&](Bytes& b) { PutU32(b, EntryAt(2) + 8, uint32_t(good.size() - 24020)); }, "offset at the end");
  refused([&](Bytes& b) { PutU32(b, EntryAt(2) + 8, uint32_t(good.size() - 24020 - 4)); }, "half a head");
  refused([&](Bytes& b) { PutU32(b, EntryAt(1) + 8, 0xFFFFFFFFu); }, "offset far out");
  refused([&](Bytes& b) { PutU32(b, EntryAt(1) + 8, 3); }, "offset into a block");
  refused([&](Bytes& b) { PutU32(b, 24020, 3); }, "more rows than the body holds");
  refused([&](Bytes& b) { PutU32(b, 24020, 0x40000000u); }, "huge row count");
  refused([&](Bytes& b) { PutU32(b, 24020, 1); }, "fewer rows than the body holds");
  refused([&](Bytes& b) { PutU32(b, block2 + 4, U32(good, block2 + 4) + 1); }, "body past the end");
  refused([&](Bytes& b) { PutU32(b, 24024, 0xFFFFFFF0u); }, "huge body size");
  refused([&](Bytes& b) { PutU32(b, 24028, 0xFFFFFFFFu); }, "huge text length");
  refused([&](Bytes& b) { PutU32(b, 24028, 2); }, "text length off by one");
  refused([&](Bytes& b) { PutF64(b, EntryAt(1), std::numeric_limits<double>::quiet_NaN()); }, "NaN date");
  refused([&](Bytes& b) { PutF64(b, EntryAt(1), -std::numeric_limits<double>::infinity()); }, "infinite date");
  // A free entry's offset is not looked at, nor are bytes no entry uses.
  Bytes freeOffset = good;
  PutU32(freeOffset, EntryAt(5) + 8, 0xFFFFFFFFu);
  EXPECT_TRUE(TZameshImage::FromBytes(freeOffset));
  Bytes tail = good;
  tail.push_back(0xAB);
  EXPECT_TRUE(TZameshImage::FromBytes(tail));
}

TEST(ZameshArchive, EveryTruncationOfAnArchiveIsRefused) {
  const Bytes good = TwoDays();
  for (std::size_t n = 0; n < good.size(); ++n)
    ASSERT_FALSE(TZameshImage::FromBytes(Bytes(good.begin(), good.begin() + n))) << n;
}

TEST(ZameshArchive, OpeningABadFileShowsTheFormatMessage) {
  TempDir dir;
  Bytes b = TwoDays();
  b.pop_back();
  Spit(dir.File(), b);
  RecordingPrompt prompt;
  ScopedPrompt scoped(&prompt);
  EXPECT_FALSE(TZameshArchive::Open(dir.File(), nullptr));
  ASSERT_EQ(prompt.texts.size(), 1u);
  EXPECT_EQ(prompt.texts[0], FormatMsg(10049, {"zarch.sys"}));
  EXPECT_EQ(Slurp(dir.File()), b);  // refused, never rewritten
  // A folder in the file's place cannot be read: the journal's own message.
  TempDir other;
  fs::create_directory(other.path() / "zarch.sys");
  EXPECT_FALSE(TZameshArchive::Open(other.File(), nullptr));
  ASSERT_EQ(prompt.texts.size(), 2u);
  EXPECT_EQ(prompt.texts[1], LoadResStr(10155));
}

// ---- opening ----

TEST(ZameshArchive, AMissingFileIsCreatedBareAndOneArchiveIsOpenAtATime) {
  TempDir dir, other;
  ZameshOpenStatus st;
  auto a = TZameshArchive::Open(dir.File(), st);
  ASSERT_EQ(st, ZameshOpenStatus::Ok);
  EXPECT_EQ(Slurp(dir.File()), TZameshImage::NewBytes());
  EXPECT_FALSE(TZameshArchive::Open(dir.File(), st));
  EXPECT_EQ(st, ZameshOpenStatus::AlreadyOpen);
  EXPECT_FALSE(TZameshArchive::Open(other.File(), st));
  EXPECT_EQ(st, ZameshOpenStatus::AlreadyOpen);
  a.reset();
  EXPECT_TRUE(TZameshArchive::Open(other.File(), st));
}

// Whether another open of the file (another copy of the program) finds
// its lock taken.
bool HeldByAnother(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

struct Answers : IPrompt {
  std::vector<std::string> texts;
  std::vector<int> answers;
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    texts.push_back(text);
    if (kind == kBoxOk || answers.empty()) return kResYes;
    const int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

// Copies of the program that reach one archive by other names (a linked
// file, a linked folder) meet one lock, held on the file itself and carried
// over every save; a file put back from a backup is not written over
// without the user's word.
TEST(ZameshArchive, TheFileItselfIsLockedAndAReplacedFileIsAskedFor) {
  TempDir dir;
  const fs::path real = dir.path() / "real" / "zarch.sys";
  fs::create_directories(real.parent_path());
  fs::create_directory_symlink(real.parent_path(), dir.path() / "linked");
  fs::create_symlink(real, dir.path() / "zarch.sys");
  Answers prompt;
  ScopedPrompt scoped(&prompt);

  // Another copy holds the archive through the linked folder: this one,
  // through the linked file, stays out.
  Spit(real.string(), TwoDays());
  {
    const int other = ::open((dir.path() / "linked" / "zarch.sys").c_str(), O_RDONLY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ZameshOpenStatus st;
    EXPECT_FALSE(TZameshArchive::Open(dir.path() / "zarch.sys", st));
    EXPECT_EQ(st, ZameshOpenStatus::HeldElsewhere);
    ::close(other);
  }

  auto a = TZameshArchive::Open(dir.path() / "zarch.sys", nullptr);
  ASSERT_TRUE(a);
  EXPECT_FALSE(a->ReadOnly());
  EXPECT_TRUE(prompt.texts.empty());
  EXPECT_TRUE(HeldByAnother(real));
  ASSERT_EQ(a->SaveDay(kMonday + 2, {Row("4", "A")}), ZameshSaveResult::Saved);
  EXPECT_TRUE(HeldByAnother(real));  // the new file is held as well
  EXPECT_TRUE(fs::is_symlink(dir.path() / "zarch.sys"));

  // The archive of a backup put back while the journal is open.
  const Bytes backup = TwoDays();
  Spit(real.string(), backup);
  prompt.answers = {kResNo};
  EXPECT_EQ(a->SaveDay(kMonday + 3, {Row("5", "B")}), ZameshSaveResult::Refused);
  ASSERT_EQ(prompt.texts.size(), 1u);
  EXPECT_EQ(prompt.texts[0], FormatMsg(10402, {"zarch.sys"}));
  EXPECT_EQ(Slurp(real.string()), backup);
  prompt.answers = {kResYes};
  EXPECT_EQ(a->SaveDay(kMonday + 3, {Row("5", "B")}), ZameshSaveResult::Saved);
  EXPECT_EQ(prompt.texts.size(), 2u);
  auto disk = TZameshImage::FromBytes(Slurp(real.string()));
  ASSERT_TRUE(disk);
  EXPECT_EQ(disk->DayRows(kMonday + 3), a->LoadDay(kMonday + 3));
  a.reset();
  EXPECT_FALSE(HeldByAnother(real));
}

// An archive whose folder takes no new file opens (its days can be read),
// knows that nothing will be saved and says so when asked, and every save
// says it failed.
TEST(ZameshArchive, AnArchiveThatCannotBeWrittenSaysSoWhenItOpens) {
  TempDir dir;
  Spit(dir.File(), TwoDays());
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  Answers prompt;
  ScopedPrompt scoped(&prompt);
  {
    auto a = TZameshArchive::Open(dir.File(), nullptr);
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->ReadOnly());
    EXPECT_TRUE(prompt.texts.empty());
    a->TellReadOnly(nullptr);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], FormatMsg(10414, {"zarch.sys"}));
    EXPECT_EQ(a->LoadDay(kMonday + 1)[0].Texts[kZamAbsent], "Sidorov");
    EXPECT_EQ(a->SaveDay(kMonday + 4, {Row("1", "C")}), ZameshSaveResult::WriteFailed);
    EXPECT_EQ(prompt.texts.back(), FormatMsg(10052, {"zarch.sys"}));
  }
  fs::permissions(dir.path(), fs::perms::owner_all);
}

TEST(ZameshArchive, PlaceIsTheArchiveFolderWhenThereIsOne) {
  TempDir dir;
  const fs::path old = ProgramFolder();
  SetProgramFolder(dir.path());
  EXPECT_EQ(ZameshArchivePath(), dir.path().string() + "/zarch.sys");
  fs::create_directory(dir.path() / "Archieve");
  EXPECT_EQ(ZameshArchivePath(), dir.path().string() + "/Archieve/zarch.sys");
  SetProgramFolder(old);
}

// ---- failed writes ----

// Lets no file grow past limit bytes while it lives: writes past it fail as
// on a full disk (root included).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    old_signal_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit l = old_;
    l.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_signal_);
  }

 private:
  rlimit old_{};
  void (*old_signal_)(int);
};

TEST(ZameshArchive, AFailedWriteLeavesTheOldArchiveReadable) {
  TempDir dir;
  Spit(dir.File(), TwoDays());
  const Bytes before = Slurp(dir.File());
  RecordingPrompt prompt;
  ScopedPrompt scoped(&prompt);
  {
    ZameshOpenStatus st;
    auto a = TZameshArchive::Open(dir.File(), st);
    ASSERT_EQ(st, ZameshOpenStatus::Ok);
    ZameshSaveResult res;
    {
      FileSizeLimit limit(before.size() + 10);
      res = a->SaveDay(kMonday + 1, {Row("1", "New"), Row("2", "New")});
    }
    EXPECT_EQ(res, ZameshSaveResult::WriteFailed);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], FormatMsg(10052, {"zarch.sys"}));
    // The open archive still shows what is on disk.
    EXPECT_EQ(a->LoadDay(kMonday + 1)[0].Texts[kZamAbsent], "Sidorov");
    // Freeing a day rewrites the file too; it fails the same way.
    {
      FileSizeLimit limit(1000);
      EXPECT_EQ(a->SaveDay(kMonday, {}), ZameshSaveResult::WriteFailed);
    }
    EXPECT_EQ(a->FindEntry(kMonday), 0);
  }
  EXPECT_EQ(Slurp(dir.File()), before);
  std::size_t files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);  // no temporary file left
  ZameshOpenStatus st;
  auto a = TZameshArchive::Open(dir.File(), st);
  ASSERT_EQ(st, ZameshOpenStatus::Ok);
  EXPECT_EQ(a->LoadDay(kMonday).size(), 2u);
}

TEST(ZameshArchive, EverySaveIsOnDiskWithoutClosing) {
  TempDir dir;
  ZameshOpenStatus st;
  auto a = TZameshArchive::Open(dir.File(), st);
  ASSERT_TRUE(a);
  ASSERT_EQ(a->SaveDay(kMonday, {Row("1", "A")}), ZameshSaveResult::Saved);
  // What another reader sees while the archive is still open.
  auto disk = TZameshImage::FromBytes(Slurp(dir.File()));
  ASSERT_TRUE(disk);
  EXPECT_EQ(disk->DayRows(kMonday), a->LoadDay(kMonday));
}

// ---- the exclusion table ----

TEST(ZameshExclusion, SubstitutesFirstThenEachAbsentTeachersRowsTogether) {
  const std::vector<std::string> teachers = {"Ivanov", cp1251::fromUtf8("Петров"), "Orlova", "ivanov"};
  std::vector<TZameshRow> rows = {
      Row("2", "IVANOV", "orlova", 0b0110),               // Latin case ignored: teacher 0 and 2
      Row("3", "Ivanov", cp1251::fromUtf8("петров"), 0b1000),  // Cyrillic case counts: no substitute
      Row("5", cp1251::fromUtf8("Петров"), "Ivanov", uint32_t(1) << 31),
      Row("x", "Nobody", "Orlova", 0),                    // not a lesson number: no substitute pair
      Row("1", "IVANOV", "", 0b1),                        // entered absent again later that day
  };
  const TExclusionTable t = BuildExclusionTable(rows, teachers);
  ASSERT_EQ(t.Pairs.size(), 7u);
  // Substitutes in row order, then Ivanov (three rows, two spellings) at
  // every lesson of all his rows, then Petrov at lesson 32.
  EXPECT_EQ(t.Pairs[0], (TExclusionPair{2, 2}));
  EXPECT_EQ(t.Pairs[1], (TExclusionPair{0, 5}));
  EXPECT_EQ(t.Pairs[2], (TExclusionPair{0, 65534}));
  EXPECT_EQ(t.Pairs[3], (TExclusionPair{0, 65533}));
  EXPECT_EQ(t.Pairs[4], (TExclusionPair{0, 65532}));
  EXPECT_EQ(t.Pairs[5], (TExclusionPair{0, 65531}));
  EXPECT_EQ(t.Pairs[6], (TExclusionPair{1, 65503}));
  EXPECT_TRUE(t.IsAbsent(0, 1));  // only the later row says so
  EXPECT_TRUE(t.IsAbsent(0, 3));
  EXPECT_TRUE(t.IsSubstituting(2, 2));
  EXPECT_FALSE(t.IsSubstituting(2, 3));
  EXPECT_FALSE(t.IsAbsent(3, 2));
}

TEST(ZameshExclusion, ADayOfMoreThanTeachersTimesLessonsPairsIsHeldWhole) {
  // One teacher absent all 32 lessons and substituting in 40 rows: far more
  // pairs than one teacher times a day's lessons.
  std::vector<TZameshRow> rows;
  for (int i = 0; i < 40; ++i) rows.push_back(Row(std::to_string(i % 7 + 1), "A", "A", 0xFFFFFFFFu));
  const TExclusionTable t = BuildExclusionTable(rows, {"A"});
  EXPECT_EQ(t.Pairs.size(), 40u + 32u);
  // The journal's empty row and an empty table of teachers add nothing.
  EXPECT_TRUE(BuildExclusionTable({TZameshRow{}}, {"A"}).Pairs.empty());
  EXPECT_TRUE(BuildExclusionTable(rows, {}).Pairs.empty());
}

}  // namespace
}  // namespace korvant
