#include "core/project/project.h"

#include <filesystem>
#include <vector>

#include "base/cp1251.h"
#include "core/common/file_io.h"

namespace korvant {

namespace {

constexpr int kMsgProgramTitle = 10000;
constexpr int kMsgProjectFolder = 10002;
constexpr int kMsgNewProjectName = 10005;
constexpr int kMsgProjectExtension = 10006;
constexpr int kMsgModifiedMark = 10017;
constexpr int kMsgSaveQuery = 10048;
constexpr int kMsgUnknownFormat = 10049;
constexpr int kMsgAlreadyOpen = 10050;
constexpr int kMsgOpenError = 10051;
constexpr int kMsgWriteError = 10052;
constexpr int kMsgSaveBeforePlanning = 10053;
constexpr int kMsgProjectReadOnly = 10400;
constexpr int kMsgHeldElsewhere = 10401;
constexpr int kMsgChangedOnDisk = 10402;
constexpr int kMsgReadOnlyMark = 10416;

std::filesystem::path& ProgramFolderStore() {
  static std::filesystem::path folder = ".";
  return folder;
}

bool ValidShowCmd(int32_t cmd) {
  return cmd == kShowHidden || cmd == kShowNormal || cmd == kShowMaximized ||
         cmd == kShowMinimized;
}

}  // namespace

TMdiTable::TMdiTable(IProjectView* view, PromptOwner owner) : view_(view), owner_(owner) {}

void TMdiTable::Pump() {
  if (view_) view_->PumpMessages();
}

void TMdiTable::Reset() {
  data_.Clear();
  fileName_.clear();
  ownFile_ = false;
  readOnly_ = false;
  modified_ = false;
  lock_.Release();
}

void TMdiTable::CreateNew(const std::filesystem::path& fileName) {
  data_.Clear();
  lock_.Release();
  fileName_ = fileName;
  ownFile_ = true;
  readOnly_ = false;
  modified_ = false;
  SetModified(true);
  NotifyCaption();
  if (view_) view_->ListsReloaded();
}

bool TMdiTable::Open(const std::filesystem::path& fileName) {
  // A project opened again in this object must not meet its own lock.
  lock_.Release();
  std::vector<unsigned char> image;
  FileLock lock;
  bool heldElsewhere = false;
  switch (ReadAndLockFile(fileName, image, lock, heldElsewhere)) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::TooLarge:
      // Far larger than any project: not one of our files.
      Reset();
      ShowErrMsgText16(owner_, FormatMsg16(kMsgUnknownFormat, {FileName16(fileName)}), kBoxOk);
      return false;
    case FileReadStatus::CannotOpen:
      Reset();
      ShowErrMsgText16(owner_, FormatMsg16(kMsgOpenError, {FileName16(fileName)}), kBoxOk);
      return false;
  }
  Pump();
  if (!Load(fileName, image)) return false;
  ownFile_ = true;
  lock_ = std::move(lock);
  // A file the user may not write (or in a folder that takes no new file)
  // is read-only from the start, as one another copy holds: the caption
  // says so, and a save asks for another name.
  readOnly_ = heldElsewhere || !CanReplace(fileName);
  NotifyCaption();
  if (heldElsewhere) ShowErrMsgText16(owner_, FormatMsg16(kMsgProjectReadOnly, {FileName16(fileName)}), kBoxOk);
  return true;
}

bool TMdiTable::OpenImage(const std::filesystem::path& fileName, std::span<const unsigned char> image) {
  if (!Load(fileName, image)) return false;
  ownFile_ = false;
  readOnly_ = false;
  lock_.Release();
  return true;
}

bool TMdiTable::Load(const std::filesystem::path& fileName, std::span<const unsigned char> image) {
  // The reader checks every count and size against the image before it
  // builds anything, and leaves the lists empty when it refuses.
  if (!ReadProjectImage(image, data_)) {
    Reset();
    ShowErrMsgText16(owner_, FormatMsg16(kMsgUnknownFormat, {FileName16(fileName)}), kBoxOk);
    return false;
  }
  Pump();
  fileName_ = fileName;
  modified_ = false;
  NotifyCaption();
  if (view_) view_->ListsReloaded();
  return true;
}

SaveResult TMdiTable::Save() {
  if (!ownFile_ || readOnly_) return SaveResult::NeedsName;
  const std::filesystem::path& path = fileName_;
  // The file we read (or last wrote) was replaced or rewritten by someone
  // else: their work is not overwritten without asking.
  if (lock_.ChangedOnDisk(path) &&
      ShowErrMsgText16(owner_, FormatMsg16(kMsgChangedOnDisk, {FileName16(fileName_)}), kBoxYesNo) != kResYes)
    return SaveResult::Failed;
  const std::vector<unsigned char> image = WriteProjectImage(data_);
  switch (WriteFileLocked(path, image, lock_)) {
    case WriteStatus::Ok:
      break;
    case WriteStatus::HeldElsewhere:
      ShowErrMsgText16(owner_, FormatMsg16(kMsgHeldElsewhere, {FileName16(fileName_)}), kBoxOk);
      return SaveResult::Failed;
    case WriteStatus::Failed:
      ShowErrMsgText16(owner_, FormatMsg16(kMsgWriteError, {FileName16(fileName_)}), kBoxOk);
      return SaveResult::Failed;
  }
  SetModified(false);
  return SaveResult::Saved;
}

bool TMdiTable::SaveAs(const std::filesystem::path& fileName, bool saveFirst) {
  if (saveFirst && modified_ && ownFile_ && !readOnly_ && Save() != SaveResult::Saved) return false;
  std::filesystem::path oldName = std::move(fileName_);
  const bool oldOwn = ownFile_;
  const bool oldReadOnly = readOnly_;
  fileName_ = fileName;
  ownFile_ = true;
  readOnly_ = false;
  // Another file's lock and stamp say nothing about the new one, which the
  // save dialog has already offered to replace.
  const bool otherFile = !SameFileName(oldName, fileName_);
  FileLock oldLock;
  if (otherFile) oldLock = std::move(lock_);
  if (Save() != SaveResult::Saved) {
    fileName_ = std::move(oldName);
    ownFile_ = oldOwn;
    readOnly_ = oldReadOnly;
    if (otherFile) lock_ = std::move(oldLock);
    return false;
  }
  // An unmodified project saved under a new name changes only its name.
  NotifyCaption();
  return true;
}

bool TMdiTable::SaveOrAskName() {
  const SaveResult r = Save();
  if (r != SaveResult::NeedsName) return r == SaveResult::Saved;
  const std::filesystem::path name = view_ ? view_->AskSaveFileName(SaveAsProposal()) : std::filesystem::path{};
  if (name.empty()) return false;
  return SaveAs(name, false);
}

bool TMdiTable::SaveBeforePlanning() {
  const std::u16string text = FormatMsg16(kMsgSaveBeforePlanning, {FileName16(fileName_)});
  if (ShowErrMsgText16(owner_, text, kBoxYesNo) != kResYes) return false;
  return SaveOrAskName();
}

int TMdiTable::QuerySave() {
  if (varsQuery_ && varsQuery_() == kQueryCancelled) return kQueryCancelled;
  if (!modified_) return kQuerySaved;
  const std::u16string text = FormatMsg16(kMsgSaveQuery, {FileName16(fileName_)});
  switch (ShowErrMsgText16(owner_, text, kBoxYesNoCancel)) {
    case kResYes:
      return SaveOrAskName() ? kQuerySaved : kQueryCancelled;
    case kResNo:
      SetModified(false);
      return kQueryDiscarded;
    default:
      return kQueryCancelled;
  }
}

std::filesystem::path TMdiTable::SaveAsProposal() const {
  if (ownFile_) return fileName_;
  return ProjectFolder() /
         std::filesystem::path(ShownName16(fileName_) + u"." + cp1251::toUtf16(LoadResStr(kMsgProjectExtension)));
}

void TMdiTable::SetModified(bool value) {
  if (value == modified_) return;
  modified_ = value;
  NotifyCaption();
}

std::u16string TMdiTable::Caption() const { return ProjectCaption(fileName_, modified_, readOnly_); }

void TMdiTable::NotifyCaption() {
  std::u16string caption = Caption();
  if (caption == toldCaption_) return;
  toldCaption_ = std::move(caption);
  if (view_) view_->CaptionChanged(toldCaption_);
}

void TMdiTable::ShowManager(int kind, bool show, bool markModified) {
  if (kind < 0 || kind >= kEditorKinds) return;
  int32_t cmd = view_ ? view_->ShowEditor(kind, show) : kShowNormal;
  if (!show)
    cmd = kShowHidden;
  else if (cmd == kShowHidden || !ValidShowCmd(cmd))
    cmd = kShowNormal;
  data_.Params.ShowCmd[static_cast<std::size_t>(kind)] = cmd;
  if (markModified) SetModified(true);
}

void TMdiTable::SetShowState(int kind, int32_t showCmd) {
  if (kind < 0 || kind >= kEditorKinds || !ValidShowCmd(showCmd)) return;
  int32_t& slot = data_.Params.ShowCmd[static_cast<std::size_t>(kind)];
  if (slot == showCmd) return;
  slot = showCmd;
  SetModified(true);
}

int32_t TMdiTable::EditorShowCmd(int kind) const {
  if (kind < 0 || kind >= kEditorKinds) return kShowHidden;
  const int32_t cmd = data_.Params.ShowCmd[static_cast<std::size_t>(kind)];
  return ValidShowCmd(cmd) ? cmd : kShowNormal;
}

void TMdiTable::ParamsAccepted() {
  SetModified(true);
  if (view_) view_->LessonsPerDayChanged(data_.Params.LessonsPerDay);
}

std::u16string ProjectCaption(const std::filesystem::path& fileName, bool modified, bool readOnly) {
  std::u16string caption = cp1251::toUtf16(LoadResStr(kMsgProgramTitle)) + u": " + ShownName16(fileName);
  if (modified) caption += cp1251::toUtf16(LoadResStr(kMsgModifiedMark));
  if (readOnly) caption += cp1251::toUtf16(LoadResStr(kMsgReadOnlyMark));
  return caption;
}

bool SameFileName(const std::filesystem::path& pa, const std::filesystem::path& pb) {
  namespace fs = std::filesystem;
  // Files that exist are the same when they are one file on disk, however
  // the names are spelt (case on a case-blind disk, links, "..").
  std::error_code ea, eb;
  if (fs::exists(pa, ea) && fs::exists(pb, eb)) {
    std::error_code e;
    const bool same = fs::equivalent(pa, pb, e);
    if (!e) return same;
  }
  // A file not yet written: its name as the disk would take it.
  std::error_code e1, e2;
  const fs::path na = fs::weakly_canonical(pa, e1), nb = fs::weakly_canonical(pb, e2);
  if (!e1 && !e2) return na == nb;
  return pa.lexically_normal() == pb.lexically_normal();
}

bool CheckNotAlreadyOpen(const TMdiTable* open, const std::filesystem::path& fileName, PromptOwner owner) {
  if (!open || !SameFileName(open->GetFileName(), fileName)) return true;
  ShowErrMsgText16(owner, FormatMsg16(kMsgAlreadyOpen, {FileName16(fileName)}), kBoxOk);
  return false;
}

void SetProgramFolder(std::filesystem::path folder) {
  std::string text = folder.native();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  ProgramFolderStore() = text.empty() ? std::filesystem::path(".") : std::filesystem::path(std::move(text));
}

const std::filesystem::path& ProgramFolder() { return ProgramFolderStore(); }

std::filesystem::path SubFolderOr(const std::filesystem::path& folder, int nameId) {
  std::filesystem::path sub = folder / FsPath(LoadResStr(nameId));
  std::error_code ec;
  return std::filesystem::is_directory(sub, ec) ? sub : folder;
}

std::filesystem::path ProjectFolder() { return SubFolderOr(ProgramFolder(), kMsgProjectFolder); }

std::filesystem::path NextNewProjectName(int& counter) {
  ++counter;
  return ProjectFolder() / FsPath(LoadResStr(kMsgNewProjectName) + std::to_string(counter) + "." +
                                  LoadResStr(kMsgProjectExtension));
}

std::filesystem::path DemoProjectFileName() {
  return ProjectFolder() / FsPath(cp1251::fromUtf8("Демонстрационный проект"));
}

std::filesystem::path DemoProjectSaveName() {
  std::filesystem::path name = DemoProjectFileName();
  name += FsPath("." + LoadResStr(kMsgProjectExtension));
  return name;
}

}  // namespace korvant
