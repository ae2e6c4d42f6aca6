#include "core/substitutions/zamesh_archive.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "core/common/binio.h"
#include "core/common/file_io.h"
#include "core/common/signature.h"
#include "core/project/project.h"

namespace korvant {

namespace {

constexpr int kMsgArchiveFolder = 10015;
constexpr int kMsgArchiveName = 10016;
constexpr int kMsgUnknownFormat = 10049;
constexpr int kMsgWriteError = 10052;
constexpr int kMsgCannotOpen = 10155;
constexpr int kMsgIndexFull = 10156;
constexpr int kMsgFileHeldElsewhere = 10401;
constexpr int kMsgChangedOnDisk = 10402;
constexpr int kMsgHeldElsewhere = 10407;
constexpr int kMsgReadOnly = 10414;

// 0001-01-01 and 9999-12-31 as day numbers.
constexpr double kFirstDay = -693593.0;
constexpr double kLastDay = 2958465.0;

// One archive open in the program at a time, as the journal and the print
// dialog expect; the lock on the file keeps other copies of the program out.
bool g_archiveOpen = false;

// Walks a block's body of rows x 9 cells; false unless it is exactly size
// bytes. Fills rows when given.
bool ParseBody(ByteReader body, uint32_t rowCount, std::vector<TZameshRow>* rows) {
  // Every cell takes at least 8 bytes: a row count the body cannot hold is
  // refused before anything is allocated for it.
  if (uint64_t(rowCount) * kZameshColumns * 8 > body.size()) return false;
  if (rows) rows->resize(rowCount);
  for (uint32_t r = 0; r < rowCount; ++r) {
    for (int c = 0; c < kZameshColumns; ++c) {
      const uint32_t len = body.u32();
      auto text = body.bytes(len);
      const uint32_t obj = body.u32();
      if (!body.ok()) return false;
      if (rows) {
        (*rows)[r].Texts[c].assign(reinterpret_cast<const char*>(text.data()), text.size());
        (*rows)[r].Objects[c] = obj;
      }
    }
  }
  return body.remaining() == 0;
}

// The block at header + offset: its row count and body, checked.
bool ReadBlock(std::span<const unsigned char> bytes, uint32_t offset, std::vector<TZameshRow>* rows) {
  if (bytes.size() < kZameshHeaderSize || offset > bytes.size() - kZameshHeaderSize) return false;
  ByteReader r(bytes);
  r.seek(kZameshHeaderSize + offset);
  const uint32_t rowCount = r.u32();
  const uint32_t size = r.u32();
  ByteReader body = r.sub(size);
  return r.ok() && ParseBody(body, rowCount, rows);
}

bool EmptyDay(const std::vector<TZameshRow>& rows) {
  return rows.empty() || (rows.size() == 1 && rows[0].Texts[kZamLesson].empty());
}

void PatchEntry(std::vector<unsigned char>& bytes, std::size_t i, const TZameshIndexEntry& e) {
  ByteWriter w;
  w.f64(e.Date);
  w.u32(e.Offset);
  std::copy(w.data().begin(), w.data().end(),
            bytes.begin() + static_cast<std::ptrdiff_t>(kZameshIndexOffset + i * kZameshEntryBytes));
}

}  // namespace

double ZameshWholeDay(double date) { return std::trunc(date); }

bool ZameshSameDay(double a, double b) { return ZameshWholeDay(a) == ZameshWholeDay(b); }

bool ZameshValidDate(double date) {
  if (!std::isfinite(date)) return false;
  const double day = ZameshWholeDay(date);
  return day != 0.0 && day >= kFirstDay && day <= kLastDay;
}

const std::string& ZameshDayBuffer::Text(int col, int row) const {
  static const std::string empty;
  if (row < 1 || row > Count() || col < 0 || col >= kZameshColumns) return empty;
  return Rows[static_cast<std::size_t>(row - 1)].Texts[static_cast<std::size_t>(col)];
}

uint32_t ZameshDayBuffer::Object(int col, int row) const {
  if (row < 1 || row > Count() || col < 0 || col >= kZameshColumns) return 0;
  return Rows[static_cast<std::size_t>(row - 1)].Objects[static_cast<std::size_t>(col)];
}

bool ZameshBlockBytes(const std::vector<TZameshRow>& rows, uint64_t& bytes) {
  uint64_t body = 0;
  for (const TZameshRow& row : rows)
    for (const std::string& t : row.Texts) body += 8 + uint64_t(t.size());
  bytes = kZameshBlockHead + body;
  return body <= UINT32_MAX && rows.size() <= UINT32_MAX;
}

void WriteZameshBlock(std::vector<unsigned char>& out, const std::vector<TZameshRow>& rows) {
  uint64_t bytes = 0;
  ZameshBlockBytes(rows, bytes);
  ByteWriter w;
  w.data().reserve(static_cast<std::size_t>(bytes));
  w.u32(static_cast<uint32_t>(rows.size()));
  w.u32(static_cast<uint32_t>(bytes - kZameshBlockHead));
  for (const TZameshRow& row : rows) {
    for (int c = 0; c < kZameshColumns; ++c) {
      const std::string& t = row.Texts[static_cast<std::size_t>(c)];
      w.u32(static_cast<uint32_t>(t.size()));
      w.bytes(std::span(reinterpret_cast<const unsigned char*>(t.data()), t.size()));
      w.u32(row.Objects[static_cast<std::size_t>(c)]);
    }
  }
  out.insert(out.end(), w.data().begin(), w.data().end());
}

// ---- the exclusion table ----

namespace {

char LatinLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTeacherName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LatinLower(a[i]) != LatinLower(b[i])) return false;
  return true;
}

int TeacherByName(const std::string& name, const std::vector<std::string>& names) {
  if (name.empty()) return -1;
  for (std::size_t i = 0; i < names.size() && i < 0xFFFF; ++i)
    if (SameTeacherName(name, names[i])) return static_cast<int>(i);
  return -1;
}

// The lesson column as a number 1..65534, or 0.
int LessonNumber(const std::string& text) {
  if (text.empty() || text.size() > 5) return 0;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n >= 1 && n <= 65534 ? n : 0;
}

}  // namespace

int ZameshTeacherByName(const std::string& name, const std::vector<std::string>& names) {
  return TeacherByName(name, names);
}

int ZameshLessonNumber(const std::string& text) { return LessonNumber(text); }

bool TExclusionTable::Holds(int teacher, int code) const {
  for (const TExclusionPair& p : Pairs)
    if (p.Teacher == teacher && p.Code == code) return true;
  return false;
}

TExclusionTable BuildExclusionTable(const std::vector<TZameshRow>& rows, const std::vector<std::string>& teacherNames) {
  TExclusionTable t;
  for (const TZameshRow& row : rows) {
    if (row.Texts[kZamLesson].empty()) continue;
    const int lesson = LessonNumber(row.Texts[kZamLesson]);
    const int teacher = TeacherByName(row.Texts[kZamSubstitute], teacherNames);
    if (lesson > 0 && teacher >= 0)
      t.Pairs.push_back({static_cast<uint16_t>(teacher), static_cast<uint16_t>(lesson)});
  }
  // A teacher entered absent in several rows is absent at every lesson of
  // every one of them: the union of the rows' sets, in the order the
  // teachers first appear.
  std::vector<int> order;
  std::vector<uint32_t> sets;
  for (const TZameshRow& row : rows) {
    if (row.Texts[kZamLesson].empty()) continue;
    const int teacher = TeacherByName(row.Texts[kZamAbsent], teacherNames);
    if (teacher < 0) continue;
    const auto at = std::find(order.begin(), order.end(), teacher);
    if (at == order.end()) {
      order.push_back(teacher);
      sets.push_back(row.Objects[kZamAbsent]);
    } else {
      sets[static_cast<std::size_t>(at - order.begin())] |= row.Objects[kZamAbsent];
    }
  }
  for (std::size_t i = 0; i < order.size(); ++i)
    for (int n = 1; n <= 32; ++n)
      if (sets[i] & (uint32_t(1) << (n - 1)))
        t.Pairs.push_back({static_cast<uint16_t>(order[i]), static_cast<uint16_t>(65535 - n)});
  return t;
}

// ---- the image ----

std::vector<unsigned char> TZameshImage::NewBytes() {
  ByteWriter w;
  JournalSignature.Write(w);
  w.padTo(kZameshHeaderSize);
  return w.take();
}

std::unique_ptr<TZameshImage> TZameshImage::FromBytes(std::vector<unsigned char> bytes) {
  if (bytes.size() < kZameshHeaderSize) return nullptr;
  ByteReader r(bytes);
  TFileSignature sig;
  if (!sig.Read(r) || CompareFileSignature(sig, JournalSignature) != kSigAccepted) return nullptr;
  std::unique_ptr<TZameshImage> img(new TZameshImage);
  for (TZameshIndexEntry& e : img->index_) {
    e.Date = r.f64();
    e.Offset = r.u32();
    if (e.IsFree()) continue;
    if (!std::isfinite(e.Date) || !ReadBlock(bytes, e.Offset, nullptr)) return nullptr;
  }
  if (!r.ok()) return nullptr;
  img->bytes_ = std::move(bytes);
  return img;
}

int TZameshImage::FindEntry(double date) const {
  if (!ZameshValidDate(date)) return -1;
  for (std::size_t i = 0; i < kZameshEntries; ++i)
    if (!index_[i].IsFree() && ZameshSameDay(index_[i].Date, date)) return static_cast<int>(i);
  return -1;
}

std::vector<TZameshRow> TZameshImage::BlockRows(uint32_t offset) const {
  std::vector<TZameshRow> rows;
  // Checked when the image was made; a failure here cannot happen, and
  // would give an empty day rather than a partial one.
  if (!ReadBlock(bytes_, offset, &rows)) rows.clear();
  return rows;
}

std::vector<TZameshRow> TZameshImage::DayRows(double date) const {
  const int e = FindEntry(date);
  if (e < 0) return {};
  return BlockRows(index_[static_cast<std::size_t>(e)].Offset);
}

void TZameshImage::ReadDay(double date, ZameshDayBuffer& buffer) const { buffer.Rows = DayRows(date); }

ZameshSaveResult TZameshImage::PlanSave(double date, const std::vector<TZameshRow>& rows,
                                        std::unique_ptr<TZameshImage>& next) const {
  next.reset();
  if (!ZameshValidDate(date)) return ZameshSaveResult::InvalidDate;
  const int found = FindEntry(date);

  if (EmptyDay(rows)) {
    if (found < 0) return ZameshSaveResult::Unchanged;
    std::unique_ptr<TZameshImage> img(new TZameshImage(*this));
    // Every entry of the day goes, so that an older duplicate of it cannot
    // come back once the first is freed.
    for (std::size_t i = static_cast<std::size_t>(found); i < kZameshEntries; ++i) {
      if (img->index_[i].IsFree() || !ZameshSameDay(img->index_[i].Date, date)) continue;
      img->index_[i] = TZameshIndexEntry{};
      PatchEntry(img->bytes_, i, img->index_[i]);
    }
    next = std::move(img);
    return ZameshSaveResult::Freed;
  }

  std::size_t slot = kZameshEntries;
  if (found >= 0) {
    slot = static_cast<std::size_t>(found);
  } else {
    for (std::size_t i = 0; i < kZameshEntries; ++i)
      if (index_[i].IsFree()) { slot = i; break; }
    if (slot == kZameshEntries) return ZameshSaveResult::IndexFull;
  }

  uint64_t blockBytes = 0;
  const uint64_t offset = bytes_.size() - kZameshHeaderSize;
  // The file only grows; past what the reader takes in, or past what a
  // 32-bit block offset reaches, the archive would no longer open.
  if (!ZameshBlockBytes(rows, blockBytes) || offset > UINT32_MAX ||
      bytes_.size() + blockBytes > kMaxFileBytes)
    return ZameshSaveResult::TooLarge;

  std::unique_ptr<TZameshImage> img(new TZameshImage);
  img->index_ = index_;
  img->bytes_.reserve(static_cast<std::size_t>(bytes_.size() + blockBytes));
  img->bytes_ = bytes_;
  WriteZameshBlock(img->bytes_, rows);
  TZameshIndexEntry& e = img->index_[slot];
  if (found < 0) e.Date = date;
  e.Offset = static_cast<uint32_t>(offset);
  PatchEntry(img->bytes_, slot, e);
  next = std::move(img);
  return ZameshSaveResult::Saved;
}

// ---- the file ----

std::filesystem::path ZameshArchivePath() {
  return SubFolderOr(ProgramFolder(), kMsgArchiveFolder) / FsPath(LoadResStr(kMsgArchiveName));
}

bool TZameshArchive::Create(const std::filesystem::path& path) {
  const std::vector<unsigned char> bytes = TZameshImage::NewBytes();
  return WriteFileAtomic(path, bytes);
}

std::unique_ptr<TZameshArchive> TZameshArchive::Open(const std::filesystem::path& path, ZameshOpenStatus& status) {
  status = ZameshOpenStatus::AlreadyOpen;
  if (g_archiveOpen) return nullptr;

  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !ec && !Create(path)) {
    status = ZameshOpenStatus::CannotOpen;
    return nullptr;
  }
  // Copies of the program may reach one archive by different names (a
  // linked folder, a linked file): the lock is on the file itself, and
  // saves write the file the links lead to.
  std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
  if (ec) real = path;
  std::unique_ptr<TZameshArchive> a(new TZameshArchive);
  a->path_ = path;
  a->real_ = real;
  std::vector<unsigned char> bytes;
  bool heldElsewhere = false;
  switch (ReadAndLockFile(real, bytes, a->lock_, heldElsewhere)) {
    case FileReadStatus::Ok: break;
    case FileReadStatus::TooLarge: status = ZameshOpenStatus::BadFormat; return nullptr;
    case FileReadStatus::CannotOpen: status = ZameshOpenStatus::CannotOpen; return nullptr;
  }
  if (heldElsewhere) {
    status = ZameshOpenStatus::HeldElsewhere;
    return nullptr;
  }
  a->image_ = TZameshImage::FromBytes(std::move(bytes));
  if (!a->image_) {
    status = ZameshOpenStatus::BadFormat;
    return nullptr;
  }
  a->readOnly_ = !CanReplace(real);
  g_archiveOpen = true;
  status = ZameshOpenStatus::Ok;
  return a;
}

std::unique_ptr<TZameshArchive> TZameshArchive::Open(const std::filesystem::path& path, PromptOwner owner) {
  ZameshOpenStatus status;
  auto a = Open(path, status);
  if (status == ZameshOpenStatus::BadFormat)
    ShowErrMsgText16(owner, FormatMsg16(kMsgUnknownFormat, {FileName16(path)}), kBoxOk);
  else if (status == ZameshOpenStatus::HeldElsewhere)
    ShowErrMsg(owner, kMsgHeldElsewhere, kBoxOk);
  else if (!a)
    ShowErrMsg(owner, kMsgCannotOpen, kBoxOk);
  return a;
}

void TZameshArchive::TellReadOnly(PromptOwner owner) const {
  if (readOnly_) ShowErrMsgText16(owner, FormatMsg16(kMsgReadOnly, {FileName16(path_)}), kBoxOk);
}

TZameshArchive::~TZameshArchive() {
  // Nothing is pending: every save is already on disk.
  if (image_) g_archiveOpen = false;
}

std::vector<TZameshRow> TZameshArchive::LoadDay(double date) const {
  std::vector<TZameshRow> rows = image_->DayRows(date);
  if (rows.empty()) rows.resize(1);
  return rows;
}

ZameshSaveResult TZameshArchive::SaveDay(double date, const std::vector<TZameshRow>& rows, PromptOwner owner) {
  std::unique_ptr<TZameshImage> next;
  ZameshSaveResult res = image_->PlanSave(date, rows, next);
  // Someone else's archive now stands there (a backup put back, another
  // program's write): the new file would be this one's days, not theirs.
  if (next && lock_.ChangedOnDisk(real_) &&
      ShowErrMsgText16(owner, FormatMsg16(kMsgChangedOnDisk, {FileName16(path_)}), kBoxYesNo) != kResYes)
    return ZameshSaveResult::Refused;
  if (next) {
    // The whole file is written anew rather than the block appended and
    // the entry patched in place: a patch of the 12-byte entry is not
    // atomic on disk, and an interrupted append or patch could leave an
    // entry pointing at a half-written block. The archive is small (a day
    // is a few kilobytes), so the full write costs little.
    switch (WriteFileLocked(real_, next->Bytes(), lock_)) {
      case WriteStatus::Ok:
        image_ = std::move(next);
        break;
      case WriteStatus::HeldElsewhere:
        ShowErrMsgText16(owner, FormatMsg16(kMsgFileHeldElsewhere, {FileName16(path_)}), kBoxOk);
        return ZameshSaveResult::Refused;
      case WriteStatus::Failed:
        res = ZameshSaveResult::WriteFailed;
        break;
    }
  }
  if (res == ZameshSaveResult::IndexFull)
    ShowErrMsg(owner, kMsgIndexFull, kBoxOk);
  else if (res == ZameshSaveResult::WriteFailed || res == ZameshSaveResult::TooLarge)
    ShowErrMsgText16(owner, FormatMsg16(kMsgWriteError, {FileName16(path_)}), kBoxOk);
  return res;
}

}  // namespace korvant
