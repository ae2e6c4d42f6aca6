#include "core/variant/var_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/cp1251.h"
#include "core/common/file_io.h"
#include "core/common/shared_state.h"
#include "core/common/signature.h"
#include "core/project/project.h"
#include "core/project/project_data.h"
#include "core/variant/joint_blocks.h"

namespace korvant {

namespace {

uint64_t BodyBytes(int32_t klasses, int32_t lessonsPerDay) {
  return uint64_t(klasses) * 6 * uint64_t(lessonsPerDay) * kTableCellBytes * 2;
}

}  // namespace

void WriteVarOptions(ByteWriter& w, const TVarOptions& o) {
  w.u8(o.Regime);
  w.u8(o.Day);
  w.fixedString(o.Description, kVarDescriptionSize);
  w.u16(o.MaxVarsAtDay);
  w.u16(o.MaxWindowsAtDay);
  w.u16(o.TeachersWills);
  w.u16(o.PrlKf);
  w.u16(o.SanitarKf);
  w.u16(o.TeacherBusyKf);
  for (uint8_t b : o.Reserved) w.u8(b);
  w.i32(o.KlassCount);
  w.i32(o.LessonsPerDay);
}

bool ReadVarOptions(ByteReader& r, TVarOptions& o) {
  if (!r.has(kVarOptionsSize)) return false;
  TVarOptions v;
  v.Regime = r.u8();
  v.Day = r.u8();
  v.Description = r.fixedString(kVarDescriptionSize);
  v.MaxVarsAtDay = r.u16();
  v.MaxWindowsAtDay = r.u16();
  v.TeachersWills = r.u16();
  v.PrlKf = r.u16();
  v.SanitarKf = r.u16();
  v.TeacherBusyKf = r.u16();
  for (uint8_t& b : v.Reserved) b = r.u8();
  v.KlassCount = r.i32();
  v.LessonsPerDay = r.i32();
  if (!r.ok()) return false;
  o = v;
  return true;
}

bool ReadVarHeader(std::span<const unsigned char> image, TVarOptions& options) {
  if (image.size() < kVarMinFileSize) return false;
  ByteReader r(image);
  TFileSignature sig;
  if (!sig.Read(r) || CompareFileSignature(sig, VarSignature) != kSigAccepted) return false;
  TVarOptions o;
  if (!ReadVarOptions(r, o)) return false;
  if (o.Day < 1 || o.Day > 6) return false;
  if (o.LessonsPerDay < 1 || o.LessonsPerDay > kMaxLessonsPerDay || o.KlassCount < 0) return false;
  if (image.size() < VarHeaderSize || image.size() - VarHeaderSize < BodyBytes(o.KlassCount, o.LessonsPerDay))
    return false;
  options = o;
  return true;
}

std::vector<unsigned char> WriteVarImage(const TTableVarItem& var, const TVarOptions& options, int day) {
  TVarOptions o = options;
  o.Day = static_cast<uint8_t>(day);
  o.KlassCount = var.KlassCount();
  o.LessonsPerDay = var.LessonsPerDay();
  ByteWriter w;
  VarSignature.Write(w);
  WriteVarOptions(w, o);
  w.padTo(VarHeaderSize);
  var.SaveToStream(w);
  return w.take();
}

bool VariantFitsFile(const TTableVarItem& var) {
  const TRunModel* m = var.Model();
  if (!m) return true;
  for (int k = 0; k < var.KlassCount(); ++k) {
    const TRTIKlassItem* klass = m->Klasses.GetItem(k);
    const bool rowFits = !klass || FitsVarFile(klass->ID());
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= var.LessonsPerDay(); ++h)
        for (const TTableCell& c : {var.GetCell(k, d, h), var.GetDraftCell(k, d, h)}) {
          if (c.Lesson < 0) continue;
          if (!rowFits) return false;
          for (uint16_t room : c.Rooms) {
            if (room == kNoRoom) continue;
            const TRoomItem* r = m->Rooms.GetItem(room);
            if (r && !FitsVarFile(r->ID())) return false;
          }
        }
  }
  return true;
}

TLostLesson FindLostLesson(const TTableVarItem& var) {
  const TRunModel* m = var.Model();
  if (!m) return {};
  for (int k = 0; k < var.KlassCount(); ++k) {
    const TRTIKlassItem* klass = m->Klasses.GetItem(k);
    if (!klass) continue;
    // Identifiers two lessons of the klass share: a lesson's own and one its
    // separated part also takes.
    std::vector<int32_t> ids, shared;
    for (const auto& l : klass->Lessons) ids.push_back(l->ID());
    std::sort(ids.begin(), ids.end());
    for (std::size_t i = 1; i < ids.size(); ++i)
      if (ids[i] == ids[i - 1] && (shared.empty() || shared.back() != ids[i])) shared.push_back(ids[i]);
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      const TRTILessonItem* l = klass->Lessons[li];
      TBlockCounts free = LessonBlocks(*l);
      for (int d = 1; d <= 6; ++d) {
        const int c = var.CountLessonInDay(k, li, d);
        if (c == 0) continue;
        if (!LessonFitsVarFile(l->ID()) && !l->SeparatedPart) return {TLessonLoss::Identifier, k, li};
        // Reading gives the hours to the first lesson of the klass with the
        // identifier: a separated part whose identifier a lesson of the
        // project also has may lose its hours to it, wherever it stands.
        if (std::binary_search(shared.begin(), shared.end(), l->ID()))
          for (int lj = 0; lj < klass->Lessons.Count(); ++lj)
            if (lj != li && klass->Lessons[lj]->ID() == l->ID())
              return {TLessonLoss::Identifier, k, klass->Lessons[lj]->SeparatedPart ? li : lj};
        if (free[static_cast<std::size_t>(c)] == 0) return {TLessonLoss::Blocks, k, li};
        --free[static_cast<std::size_t>(c)];
      }
    }
  }
  return {};
}

std::string RunLessonLabel(const TRunModel& model, int klass, int lesson) {
  const TRTIKlassItem* k = model.Klasses.GetItem(klass);
  const TRTILessonItem* l = model.KlassLesson(klass, lesson);
  std::string label = k ? k->DisplayName() : std::string();
  for (int g = 0; l && g < l->SubItemsCount(); ++g) {
    const TSubjectItem* s = model.Subjects.GetItem(l->GetSubItem(g)->SubjectID);
    label += (g == 0 ? ", " : "/") + (s ? s->DisplayName() : std::string("-----"));
  }
  return label;
}

bool WriteFileReplacing(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
  return WriteFileAtomic(path, bytes);
}

bool ReadVarFileBytes(const std::filesystem::path& path, std::vector<unsigned char>& out) {
  return ReadWholeFile(path, out) == FileReadStatus::Ok;
}

std::u16string ShownVarName(const std::filesystem::path& path) { return ShownName16(path); }

std::filesystem::path NewVariantFileName(const std::filesystem::path& programFolder) {
  return SubFolderOr(programFolder, 10008) / FsPath(LoadResStr(10009) + "." + LoadResStr(10010));
}

// ---- the open variant ----

std::unique_ptr<TVarDocument> TVarDocument::CreateNew(const TProjectData& project, std::filesystem::path fileName) {
  std::unique_ptr<TVarDocument> doc(new TVarDocument);
  doc->model_ = BuildRunModel(project);
  TRunModel& m = *doc->model_;
  doc->var_ = std::make_unique<TTableVarItem>(&m, m.Teachers.Count(), m.L(), m.Klasses.Count());
  doc->Options.KlassCount = m.Klasses.Count();
  doc->Options.LessonsPerDay = m.L();
  doc->FileName = std::move(fileName);
  doc->IsNew = true;
  doc->Day = 1;
  doc->PrepareDay();
  return doc;
}

std::unique_ptr<TVarDocument> TVarDocument::FromImage(const TProjectData& project,
                                                     std::span<const unsigned char> image,
                                                     std::filesystem::path fileName) {
  TVarOptions stored;
  if (!ReadVarHeader(image, stored)) return nullptr;
  std::unique_ptr<TVarDocument> doc(new TVarDocument);
  doc->model_ = BuildRunModel(project);
  TRunModel& m = *doc->model_;
  m.TeachersWills = stored.TeachersWills;
  doc->var_ = std::make_unique<TTableVarItem>(&m, m.Teachers.Count(), m.L(), m.Klasses.Count());
  ByteReader r(image);
  r.seek(VarHeaderSize);
  if (!doc->var_->LoadFromStream(r, stored.KlassCount, stored.LessonsPerDay)) return nullptr;
  doc->Options = stored;
  doc->Options.KlassCount = m.Klasses.Count();
  doc->Options.LessonsPerDay = m.L();
  doc->FileName = std::move(fileName);
  doc->IsNew = false;
  doc->Day = stored.Day;
  doc->PrepareDay();
  return doc;
}

std::unique_ptr<TVarDocument> TVarDocument::Open(const TProjectData& project, std::filesystem::path fileName,
                                                 PromptOwner owner) {
  std::vector<unsigned char> image;
  FileLock lock;
  bool heldElsewhere = false;
  switch (ReadAndLockFile(fileName, image, lock, heldElsewhere)) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::TooLarge:
      // Far larger than any variant: not one of our files, as for projects.
      ShowErrMsgText16(owner, FormatMsg16(10049, {FileName16(fileName)}), kBoxOk);
      return nullptr;
    case FileReadStatus::CannotOpen:
      ShowErrMsgText16(owner, FormatMsg16(10051, {FileName16(fileName)}), kBoxOk);
      return nullptr;
  }
  auto doc = FromImage(project, image, fileName);
  if (!doc) {
    ShowErrMsgText16(owner, FormatMsg16(10049, {FileName16(fileName)}), kBoxOk);
    return nullptr;
  }
  doc->Owner = owner;
  doc->lock_ = std::move(lock);
  doc->lockName_ = doc->FileName;
  // Saved under another name, like a file another copy holds, when the
  // user may not write it.
  doc->ReadOnly = heldElsewhere || !CanReplace(doc->FileName);
  if (heldElsewhere) ShowErrMsgText16(owner, FormatMsg16(10406, {ShownVarName(fileName)}), kBoxOk);
  return doc;
}

void TVarDocument::PrepareDay() {
  TRunModel& m = *model_;
  m.TeachersWills = Options.TeachersWills;
  m.Teachers.PrepareDaySlots(Day);
  m.Teachers.CountDayWishes();
  m.Teachers.BuildGroups(*var_, false, Day);
  m.Klasses.CountDayClosedSlots();
}

bool TVarDocument::SetDay(int day) {
  if (day == Day || day < 1 || day > 6) return false;
  Day = day;
  model_->Teachers.PrepareDaySlots(Day);
  model_->Teachers.BuildGroups(*var_, false, Day);
  return true;
}

std::filesystem::path TVarDocument::Folder() const { return FileName.parent_path(); }

bool TVarDocument::WriteVarFile() {
  if (!VariantFitsFile(*var_)) {
    ShowErrMsgText16(Owner, FormatMsg16(10405, {ShownVarName(FileName)}), kBoxOk);
    return false;
  }
  if (const TLostLesson lost = FindLostLesson(*var_); lost.Loss != TLessonLoss::None) {
    const int msg = lost.Loss == TLessonLoss::Identifier ? 10411 : 10410;
    ShowErrMsgText16(Owner,
                     FormatMsg16(msg, {ShownVarName(FileName),
                                       cp1251::toUtf16(RunLessonLabel(*model_, lost.Klass, lost.Lesson))}),
                   kBoxOk);
    return false;
  }
  // A file of another name gets a lock of its own; the old one's goes
  // only when the new file is written.
  const bool sameFile = !lockName_.empty() && lockName_ == FileName;
  FileLock fresh;
  FileLock& lock = sameFile ? lock_ : fresh;
  const std::filesystem::path& path = FileName;
  if (lock.ChangedOnDisk(path) &&
      ShowErrMsgText16(Owner, FormatMsg16(10402, {FileName16(FileName)}), kBoxYesNo) != kResYes)
    return false;
  const std::vector<unsigned char> image = WriteVarImage(*var_, Options, Day);
  switch (WriteFileLocked(path, image, lock)) {
    case WriteStatus::Ok:
      break;
    case WriteStatus::HeldElsewhere:
      ShowErrMsgText16(Owner, FormatMsg16(10401, {FileName16(FileName)}), kBoxOk);
      return false;
    case WriteStatus::Failed:
      ShowErrMsgText16(Owner, FormatMsg16(10052, {FileName16(FileName)}), kBoxOk);
      return false;
  }
  if (!sameFile) {
    lock_ = std::move(fresh);
    lockName_ = FileName;
  }
  ReadOnly = false;
  Options.Day = static_cast<uint8_t>(Day);
  SetVarModified(false);
  return true;
}

bool TVarDocument::SaveVarAs() {
  std::filesystem::path name = FileName;
  if (!AskSaveName || !AskSaveName(Folder(), name)) return false;
  const std::filesystem::path old = FileName;
  FileName = name;
  if (!WriteVarFile()) {
    FileName = old;
    return false;
  }
  IsNew = false;
  return true;
}

bool TVarDocument::SaveVarNamed(const std::string& name) {
  const std::filesystem::path old = FileName;
  FileName = Folder() / FsPath(name + "." + LoadResStr(10010));
  if (!WriteVarFile()) {
    FileName = old;
    return false;
  }
  IsNew = false;
  return true;
}

bool TVarDocument::SaveVar(int mode) {
  if (mode == 2) return SaveVarAs();
  if (mode != 1) return false;
  if (!IsNew && !GetVarModified()) return true;
  return IsNew || ReadOnly ? SaveVarAs() : WriteVarFile();
}

int TVarDocument::QuerySaveVar() {
  if (!GetVarModified()) return kQuerySaved;
  bool empty = true;
  for (int d = 1; d <= 6 && empty; ++d) empty = var_->DayIsEmpty(d);
  if (empty) return kQueryDiscarded;
  const int answer = ShowErrMsgText16(Owner, FormatMsg16(10056, {ShownVarName(FileName)}), kBoxYesNoCancel);
  if (answer == kResYes) {
    // A save that failed or was cancelled must not let the changes go.
    if (!(IsNew || ReadOnly ? SaveVarAs() : WriteVarFile())) return kQueryCancelled;
    return kQuerySaved;
  }
  if (answer == kResNo) {
    // Cleared directly: the window is closing and needs no caption update.
    SharedState& s = Shared();
    IVarsWindow* w = s.CurVarsWindow;
    s.CurVarsWindow = nullptr;
    s.SetVarModified(false);
    s.CurVarsWindow = w;
    return kQueryDiscarded;
  }
  return kQueryCancelled;
}

}  // namespace korvant
