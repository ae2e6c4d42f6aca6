#pragma once
// The substitution archive "zarch.sys": a signature, an index of 2000 dated
// entries and the day blocks they point to. Each day block holds the rows of
// one day of the substitution journal, nine cells a row (text and a 32-bit
// cell object).
//
// TZameshImage is the archive as bytes in memory (checked, read, changed
// without touching a file); TZameshArchive is the open archive file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/common/catalogue.h"
#include "core/common/file_io.h"

namespace korvant {

constexpr std::size_t kZameshIndexOffset = 20;
constexpr std::size_t kZameshEntryBytes = 12;
constexpr std::size_t kZameshEntries = 2000;
constexpr std::size_t kZameshHeaderSize = kZameshIndexOffset + kZameshEntries * kZameshEntryBytes;  // 24020
constexpr std::size_t kZameshBlockHead = 8;  // row count, body size
constexpr int kZameshColumns = 9;

// Journal columns.
enum : int {
  kZamLesson = 0,       // lesson number as text
  kZamAbsent = 1,       // absent teacher; object: set of absent lessons, bit n-1 = lesson n
  kZamSubject = 2,
  kZamKlass = 3,        // object: school section 0 junior, 1 middle, 2 senior
  kZamRoom = 4,
  kZamReason = 5,
  kZamSubstitute = 6,   // object: 1 when chosen from the group list
  kZamTaught = 7,
  kZamNote = 8,
};

// Dates are days since 1899-12-30 with the time of day as the fraction;
// the archive compares whole days only. The whole-day part of a negative
// date is cut towards zero, as the time fraction counts away from it.
double ZameshWholeDay(double date);
bool ZameshSameDay(double a, double b);
// A date the archive can hold: finite, not day 0 (a zero date marks a free
// entry) and within the years 1..9999.
bool ZameshValidDate(double date);

struct TZameshIndexEntry {
  double Date = 0.0;    // 0.0 exactly: a free entry
  uint32_t Offset = 0;  // of the day block, from the end of the header
  bool IsFree() const { return Date == 0.0; }
};

// One journal row as stored: nine texts (CP1251) and nine cell objects.
struct TZameshRow {
  std::array<std::string, kZameshColumns> Texts;
  std::array<uint32_t, kZameshColumns> Objects{};
  bool operator==(const TZameshRow&) const = default;
};

// One day of the archive as the substitution reports read it: every row of
// the day (none when the day has no entry). Rows and columns are counted as
// the reports count them: rows 1..Count(), columns 0..8.
struct ZameshDayBuffer {
  std::vector<TZameshRow> Rows;
  int Count() const { return static_cast<int>(Rows.size()); }
  // Empty text and object 0 outside the day's rows.
  const std::string& Text(int col, int row) const;
  uint32_t Object(int col, int row) const;
};

// A day block: row count, body size, then per row and column the text
// length, the text and the cell object.
void WriteZameshBlock(std::vector<unsigned char>& out, const std::vector<TZameshRow>& rows);
// Bytes of the block of rows; false when they would not fit the block's
// 32-bit body size.
bool ZameshBlockBytes(const std::vector<TZameshRow>& rows, uint64_t& bytes);

// The journal's exclusion table: which teachers of the open variant
// substitute (code n) or are absent (code 65535 - n) at lesson n of the
// shown day. It grows with the day, so no day's rows can overrun it.
struct TExclusionPair {
  uint16_t Teacher = 0;  // index in the open variant's teachers
  uint16_t Code = 0;
  bool operator==(const TExclusionPair&) const = default;
};

struct TExclusionTable {
  std::vector<TExclusionPair> Pairs;
  bool Holds(int teacher, int code) const;
  bool IsAbsent(int teacher, int lesson) const { return Holds(teacher, 65535 - lesson); }
  bool IsSubstituting(int teacher, int lesson) const { return Holds(teacher, lesson); }
};

// The first teacher in names equal to name with Latin letters compared
// without case (all other characters exactly); -1 for none or an empty name.
int ZameshTeacherByName(const std::string& name, const std::vector<std::string>& names);
// A journal row's lesson column as a number 1..65534, or 0 when it is not one.
int ZameshLessonNumber(const std::string& text);

// Builds the table from the journal rows (rows whose lesson column is
// filled): first every row's substitute at its lesson, then each absent
// teacher, in the order of first appearance, at every lesson of the union
// of the absence sets of all his rows (a teacher entered absent twice is
// absent at both times). A name names the first teacher in teacherNames
// equal to it with Latin letters compared without case. A lesson column
// that is not a number 1..65534 adds no substitute pair.
TExclusionTable BuildExclusionTable(const std::vector<TZameshRow>& rows, const std::vector<std::string>& teacherNames);

enum class ZameshSaveResult {
  Saved,        // a new block was written and the day's entry points to it
  Freed,        // the day was emptied: its entries are free again
  Unchanged,    // an empty day that had no entry: nothing to write
  IndexFull,    // no free entry for a new day; nothing was written
  TooLarge,     // the archive would outgrow what the program reads; nothing written
  InvalidDate,  // a date the archive cannot hold; nothing written
  WriteFailed,  // the file could not be written; the archive is as it was
  Refused,      // the file changed on disk and the user kept it, or another
                // copy of the program holds it; nothing written
};

// The archive's bytes, checked in full when made, so that no later read
// can leave them.
class TZameshImage {
 public:
  // The bytes of a new, empty archive: the signature and a zero index.
  static std::vector<unsigned char> NewBytes();
  // Null when the bytes are refused: shorter than the header, another
  // signature or version, an entry with a date that is not a number, or
  // an entry whose day block lies outside the file or whose row count,
  // body size and text lengths do not add up exactly.
  static std::unique_ptr<TZameshImage> FromBytes(std::vector<unsigned char> bytes);

  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  const TZameshIndexEntry& Entry(std::size_t i) const { return index_[i]; }  // i in 0..1999

  // The first entry (0..1999) holding the date's day, or -1.
  int FindEntry(double date) const;
  // The stored rows of the day; none when it has no entry.
  std::vector<TZameshRow> DayRows(double date) const;
  // The day into a report's buffer (no rows when the day has no entry).
  void ReadDay(double date, ZameshDayBuffer& buffer) const;

  // The image after storing rows as the day of date (see
  // TZameshArchive::SaveDay); this image is left unchanged. next is set
  // only for Saved and Freed.
  ZameshSaveResult PlanSave(double date, const std::vector<TZameshRow>& rows,
                            std::unique_ptr<TZameshImage>& next) const;

 private:
  TZameshImage() = default;
  std::vector<TZameshRow> BlockRows(uint32_t offset) const;
  std::vector<unsigned char> bytes_;
  std::array<TZameshIndexEntry, kZameshEntries> index_{};
};

enum class ZameshOpenStatus {
  Ok,
  AlreadyOpen,    // an archive is open in this program
  HeldElsewhere,  // another copy of the program has this one open
  CannotOpen,   // cannot be created or read
  BadFormat,    // refused (see TZameshImage::FromBytes)
};

// The archive's place: "zarch.sys" in the program folder's "Archieve"
// folder when that exists, else in the program folder.
std::filesystem::path ZameshArchivePath();

// The open archive file. One is open at a time in the program, and the
// file itself (links and linked folders followed) is locked against other
// copies of the program while it is open; the lock follows every save.
// Every save is on disk when it returns: the whole new file is written
// beside the old one and renamed over it, so the index and the blocks it
// points to always change together and a failed or interrupted save
// leaves the previous archive as it was.
class TZameshArchive {
 public:
  // Writes a new archive of the bare header (replacing a file there).
  static bool Create(const std::filesystem::path& path);
  // Opens the archive at path, creating it when there is none. No message.
  static std::unique_ptr<TZameshArchive> Open(const std::filesystem::path& path, ZameshOpenStatus& status);
  // The same with the user told: 10049 for a refused file, 10407 for one
  // another copy of the program has open, 10155 for any other failure.
  // Callers show nothing more.
  static std::unique_ptr<TZameshArchive> Open(const std::filesystem::path& path, PromptOwner owner);

  ~TZameshArchive();
  TZameshArchive(const TZameshArchive&) = delete;
  TZameshArchive& operator=(const TZameshArchive&) = delete;

  const std::filesystem::path& FileName() const { return path_; }
  // Its folder or the file refuses writing: every save would fail.
  bool ReadOnly() const { return readOnly_; }
  // Tells owner so (10414) when it is: the journal does as it opens, the
  // reports, which only read, do not.
  void TellReadOnly(PromptOwner owner) const;
  const TZameshImage& Image() const { return *image_; }

  int FindEntry(double date) const { return image_->FindEntry(date); }
  // The substitution reports' read of one day.
  void ReadDay(double date, ZameshDayBuffer& buffer) const { image_->ReadDay(date, buffer); }
  // The journal's load: the day's rows, or one empty row for a day without
  // rows, as the journal grid shows it.
  std::vector<TZameshRow> LoadDay(double date) const;
  // The journal's save of the shown day. A day of no rows, or of one row
  // whose lesson column is empty, frees the day's entries; otherwise the
  // rows go into a new block at the end and the day's entry (or, for a new
  // day, the first free entry, which gets date) points to it. The old block
  // stays in the file unused. Shown to owner: 10156 when the index is full,
  // 10052 when the file cannot be written or would grow too large, 10401
  // when another copy holds the file. A file changed on disk since it was
  // read or last written here (restored from a backup, say) is replaced
  // only when the user says so (10402); "Нет" answers Refused.
  ZameshSaveResult SaveDay(double date, const std::vector<TZameshRow>& rows, PromptOwner owner = nullptr);

 private:
  TZameshArchive() = default;
  std::filesystem::path path_;  // as given
  std::filesystem::path real_;  // the file itself
  std::unique_ptr<TZameshImage> image_;
  FileLock lock_;
  bool readOnly_ = false;
};

}  // namespace korvant
