#pragma once
// The open project: its parameter record and five lists, its file name and
// modified mark, and the project file commands (new, open, save, save as,
// the save queries). The windows (editors, dialogs, cursor, caption) are
// reached only through IProjectView.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/common/catalogue.h"
#include "core/common/file_io.h"
#include "core/common/save_query.h"
#include "core/project/project_data.h"

namespace korvant {

constexpr int kEditorKinds = 5;  // rooms, subjects, klasses, teachers, lessons

// What the window layer does for the project. Every hook has a harmless
// default, so the core runs (and is tested) without windows.
class IProjectView {
 public:
  virtual ~IProjectView() = default;
  // Lets the windows repaint during a long load.
  virtual void PumpMessages() {}
  // The five lists were replaced (new or opened project): the editors show
  // them afresh, each as its show command says.
  virtual void ListsReloaded() {}
  // The parameters were accepted; the week grids take the new L.
  virtual void LessonsPerDayChanged(int /*lessonsPerDay*/) {}
  // The main window's caption.
  virtual void CaptionChanged(const std::u16string& /*caption*/) {}
  // Shows (and refreshes) or hides the editor of kind 0..4; answers the
  // show command to record: 1 normal, 3 maximized, 6 minimized, 0 hidden.
  virtual int32_t ShowEditor(int /*kind*/, bool show) { return show ? kShowNormal : kShowHidden; }
  // The project has no file of its own (the demonstration project): asks
  // for one, proposing `proposed`. Empty = cancelled.
  virtual std::filesystem::path AskSaveFileName(const std::filesystem::path& /*proposed*/) { return {}; }
};

// The open variant's own save query: kQuerySaved, kQueryDiscarded or
// kQueryCancelled.
using VarsSaveQuery = std::function<int()>;

enum class SaveResult { Saved, Failed, NeedsName };

class TMdiTable {
 public:
  // owner owns the project's message boxes; view may be null.
  explicit TMdiTable(IProjectView* view = nullptr, PromptOwner owner = nullptr);
  TMdiTable(const TMdiTable&) = delete;
  TMdiTable& operator=(const TMdiTable&) = delete;

  // A new, empty project (default parameters, empty lists) named fileName,
  // marked modified; it is saved under that name.
  void CreateNew(const std::filesystem::path& fileName);
  // Reads a project file and keeps it locked while it is open. A file that
  // cannot be read shows 10051, one that is not a project file of a known
  // version, or whose sections do not fit it, shows 10049; then the object
  // holds no project (empty lists, no name) and the answer is false. A file
  // that another copy of the program has open is opened read-only after
  // 10400: saving it asks for another name.
  bool Open(const std::filesystem::path& fileName);
  // Reads a project image held in memory (the demonstration project) under
  // fileName. Such a project has no file of its own: saving asks for one.
  bool OpenImage(const std::filesystem::path& fileName, std::span<const unsigned char> image);

  // Writes the project file through the safe writer. A failure shows 10052
  // (10401 for a file another copy has open) and keeps the old file and
  // the modified mark. A file changed on disk since it was read is replaced
  // only when the user says so (10402); "Нет" answers Failed.
  SaveResult Save();
  // Saves under fileName (first under the old name when saveFirst and
  // modified). On failure the old name stays.
  bool SaveAs(const std::filesystem::path& fileName, bool saveFirst);
  // Save, asking the view for a name when the project has no file.
  // False when the save failed or the user cancelled.
  bool SaveOrAskName();
  // 10053 ("Да"/"Нет"): "Да" saves and answers whether it worked.
  bool SaveBeforePlanning();
  // kQuerySaved, kQueryDiscarded or kQueryCancelled; the variant's query
  // runs first and its cancel ends this one. A failed or cancelled save
  // answers kQueryCancelled, so nothing unsaved is closed.
  int QuerySave();
  // Installed while a variant window is open, cleared (empty) when it goes.
  void SetVarsSaveQuery(VarsSaveQuery query) { varsQuery_ = std::move(query); }

  const std::filesystem::path& GetFileName() const { return fileName_; }
  // False for the demonstration project until it is saved under a name.
  bool HasOwnFile() const { return ownFile_; }
  // Opened while another copy of the program had the file open, or from a
  // file the user may not replace: it is not written under its own name.
  bool IsReadOnly() const { return readOnly_; }
  // What the save-as dialog proposes: the file itself, or for a project
  // without a file its name with the extension "tbl" in the project folder.
  std::filesystem::path SaveAsProposal() const;

  bool IsModified() const { return modified_; }
  void SetModified(bool value);
  std::u16string Caption() const;

  // Kind 0..4; other kinds do nothing.
  void ShowManager(int kind, bool show, bool markModified);
  // Records an editor's show command (0, 1, 3 or 6; others ignored);
  // a change marks the project modified.
  void SetShowState(int kind, int32_t showCmd);
  // The recorded show command as an editor can use it: 0, 1, 3 or 6
  // (a stored value it cannot use counts as 1).
  int32_t EditorShowCmd(int kind) const;

  // The parameters dialog was accepted: the project is modified and the
  // editors learn the (possibly new) number of lessons per day.
  void ParamsAccepted();

  TProjectData& Data() { return data_; }
  const TProjectData& Data() const { return data_; }
  TProjParamsRec& Params() { return data_.Params; }
  const TProjParamsRec& Params() const { return data_.Params; }

 private:
  // No project: empty lists, no name (what a failed open leaves).
  void Reset();
  bool Load(const std::filesystem::path& fileName, std::span<const unsigned char> image);
  void NotifyCaption();
  void Pump();

  IProjectView* view_;
  PromptOwner owner_;
  TProjectData data_;
  std::filesystem::path fileName_;
  bool ownFile_ = false;
  bool readOnly_ = false;
  bool modified_ = false;
  // The open file's lock and what it held when read or last written.
  FileLock lock_;
  std::u16string toldCaption_;
  VarsSaveQuery varsQuery_;
};

// Program title, ": ", the file's name without folder and extension
// (ShownName16), " (изменен)" while modified and " (только для чтения)"
// while another copy of the program has the file.
std::u16string ProjectCaption(const std::filesystem::path& fileName, bool modified, bool readOnly = false);

// Whether two names lead to the same file: for existing files, the same
// file on disk (so "A.tbl" and "a.tbl" are two files on a case-sensitive
// disk and one on a case-blind one); otherwise the same normalised path.
bool SameFileName(const std::filesystem::path& a, const std::filesystem::path& b);
// False (after showing 10050) when fileName is the open project's file.
bool CheckNotAlreadyOpen(const TMdiTable* open, const std::filesystem::path& fileName,
                         PromptOwner owner = nullptr);

// The folder of the program file (no trailing separator); the application
// sets it at start-up.
void SetProgramFolder(std::filesystem::path folder);
const std::filesystem::path& ProgramFolder();
// folder's subfolder named by catalogue entry nameId when it exists, else
// folder itself: the program keeps projects, variants and the archive in
// such subfolders when the installation has them.
std::filesystem::path SubFolderOr(const std::filesystem::path& folder, int nameId);
// The program folder's "Project" subfolder when it exists, else the program
// folder.
std::filesystem::path ProjectFolder();
// counter := counter + 1; "Новый_<counter>.tbl" in the project folder.
std::filesystem::path NextNewProjectName(int& counter);
// The name the demonstration project is opened under (no extension).
std::filesystem::path DemoProjectFileName();
// Where the demonstration project is proposed to be saved.
std::filesystem::path DemoProjectSaveName();

}  // namespace korvant
