#pragma once
// The variant file ("*.rsp": a 1024-byte header with the signature and the
// variant options, then the fair and the draft grid with identifiers), and
// the open variant as the core sees it: run-time model, variant, options,
// file name, current day, and the save commands.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/binio.h"
#include "core/common/catalogue.h"
#include "core/common/file_io.h"
#include "core/common/save_query.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant {

struct TProjectData;

constexpr std::size_t kVarOptionsOffset = 20;
constexpr std::size_t kVarOptionsSize = 112;
constexpr std::size_t kVarMinFileSize = kVarOptionsOffset + kVarOptionsSize;  // 132
constexpr std::size_t kVarDescriptionSize = 82;

// Defaults are those of a new variant.
struct TVarOptions {
  uint8_t Regime = 1;
  uint8_t Day = 1;           // 1..6
  std::string Description;   // CP1251, at most 81 characters
  uint16_t MaxVarsAtDay = 10;
  uint16_t MaxWindowsAtDay = 1;
  uint16_t TeachersWills = 2;  // 1..4
  uint16_t PrlKf = 30;
  uint16_t SanitarKf = 30;
  uint16_t TeacherBusyKf = 40;
  std::array<uint8_t, 8> Reserved{};  // carried through unchanged
  int32_t KlassCount = 0;
  int32_t LessonsPerDay = 0;
  bool operator==(const TVarOptions&) const = default;
};

void WriteVarOptions(ByteWriter& w, const TVarOptions& o);
// Reads 112 bytes; false when they are not there.
bool ReadVarOptions(ByteReader& r, TVarOptions& o);

// Checks a whole file image's header: at least 132 bytes, the variant
// signature, a day 1..6, lessons per day 1..24, a klass count >= 0, and a
// body of that geometry inside the image. Fills options only when it passes.
bool ReadVarHeader(std::span<const unsigned char> image, TVarOptions& options);

// The whole file: header (options with Day := day and the variant's
// geometry), zero filler to 1024, the body. The variant is not changed.
std::vector<unsigned char> WriteVarImage(const TTableVarItem& var, const TVarOptions& options, int day);

// False when the file would lose part of the variant: a placed lesson of
// a klass, or a room given to a lesson, whose identifier the file cannot
// hold (see kMaxVarFileID).
bool VariantFitsFile(const TTableVarItem& var);

// A placed lesson the file would not give back whole.
enum class TLessonLoss {
  None,
  Identifier,  // 1000000 or more: read back as a separated part of another
               // lesson, or another lesson of the klass read for it
  Blocks,      // hours on a day that match none of its free blocks: dropped on reading
};
struct TLostLesson {
  TLessonLoss Loss = TLessonLoss::None;
  int Klass = -1;
  int Lesson = -1;
};
// The first such lesson, klass by klass, as reading the file would take
// the blocks of each day (days 1..6, the first free block of the day's
// hour count).
TLostLesson FindLostLesson(const TTableVarItem& var);
// "Klass, subject/subject" of a lesson of the model, as the data check
// names lessons.
std::string RunLessonLabel(const TRunModel& model, int klass, int lesson);

// The safe writer and the capped reader of core/file_io.h; a failed save
// leaves the old file whole.
bool WriteFileReplacing(const std::filesystem::path& path, std::span<const unsigned char> bytes);
bool ReadVarFileBytes(const std::filesystem::path& path, std::vector<unsigned char>& out);

// The variant's name as messages and the caption show it: no folder, and
// no extension when a '.' stands among the last four characters.
std::u16string ShownVarName(const std::filesystem::path& path);
// "Новое расписание.rsp" in programFolder/Variant when that folder exists,
// else in programFolder.
std::filesystem::path NewVariantFileName(const std::filesystem::path& programFolder);


// The open variant: what the variant window owns, without the window.
class TVarDocument {
 public:
  // A new, empty variant of the project, day 1, default options.
  static std::unique_ptr<TVarDocument> CreateNew(const TProjectData& project, std::filesystem::path fileName);
  // A variant from a file image; null when the image is refused (nothing
  // is built then). No message is shown.
  static std::unique_ptr<TVarDocument> FromImage(const TProjectData& project, std::span<const unsigned char> image,
                                                 std::filesystem::path fileName);
  // A variant from a file, kept locked while it is open; null after
  // message 10051 (the file cannot be read) or 10049 (its format is
  // refused, or it is far larger than any variant), shown to owner. A file that another copy of the program has
  // open is opened read-only after 10406: saving it asks for another name.
  static std::unique_ptr<TVarDocument> Open(const TProjectData& project, std::filesystem::path fileName,
                                            PromptOwner owner = nullptr);

  TRunModel& Model() { return *model_; }
  TTableVarItem& Var() { return *var_; }
  const TTableVarItem& Var() const { return *var_; }

  TVarOptions Options;
  std::filesystem::path FileName;
  bool IsNew = false;
  // Opened while another copy of the program had the file open, or from a
  // file the user may not replace.
  bool ReadOnly = false;
  int Day = 1;
  PromptOwner Owner = nullptr;
  // The save dialog of the window: folder and current name in, the chosen
  // name out; false when cancelled.
  std::function<bool(const std::filesystem::path& folder, std::filesystem::path& name)> AskSaveName;

  // Day preparation: teachers' day slots and wish counts (under the
  // options' strictness), teacher groups (keeping none), klasses' closed
  // hours per day.
  void PrepareDay();
  // Switches the current day; false when it is already the day (nothing
  // is recomputed) or outside 1..6.
  bool SetDay(int day);

  // Writes the file; on failure message 10052 and false, the modified mark
  // kept. Refused before anything is written: a variant the file cannot
  // hold whole (10405 for klass and room identifiers, 10411 and 10410
  // naming a lesson FindLostLesson finds), a file another copy has open
  // (10401), and a file changed on disk since it was read or written here,
  // unless the user says to replace it (10402).
  bool WriteVarFile();
  bool SaveVarAs();
  // Saves as name (program text) + ".rsp" in the current file's folder.
  bool SaveVarNamed(const std::string& name);
  // mode 1 save, 2 save as.
  bool SaveVar(int mode);
  // 1 saved or nothing to save, 5 changes discarded, 2 cancelled.
  int QuerySaveVar();

 private:
  TVarDocument() = default;
  std::filesystem::path Folder() const;
  std::unique_ptr<TRunModel> model_;
  std::unique_ptr<TTableVarItem> var_;
  // The lock of the file named lockName_ and what it held when read or
  // last written.
  FileLock lock_;
  std::filesystem::path lockName_;
};

}  // namespace korvant
