#pragma once
// TPrgMdiFrame: the main window. It holds the open project, shows its list
// editors as MDI children in data mode and the variant window in planning
// mode, with a menu bar and a tool bar of each mode; it keeps commands
// enabled by what is open and running, and waits out an abort of a running
// search before it leaves planning mode or closes.
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "controls/speed_button.h"
#include "core/common/shared_state.h"
#include "core/project/project.h"
#include "platform/window_messages.h"
#include "windows/shell/frame_services.h"
#include "windows/shell/workspace_logo.h"

class QAction;
class QMenu;
class QToolBar;

namespace korvant {

class TTestDataDlg;

// Every command of both modes. A command has a menu item, a tool button or
// both.
enum class FrameCmd {
  // data mode
  NewProject, OpenProject, SaveProject, SaveProjectAs, CloseProject, PrintData, Params,
  DataExit, DataCheck, Planning, WinRooms, WinSubjects, WinKlasses, WinTeachers, WinLessons,
  Tile, Cascade, DataHelp,
  // planning mode
  NewVariant, OpenVariant, SaveVariant, SaveVariantAs, EndPlanning, PrintVariant, Options,
  PlanExit, RegimeMenu, AutoRegime, ManualRegime, WeekVariants, PlaceLessons, Optimize, AssignRooms,
  Control, Statistics, Journal, Abort, Continue, PlanHelp,
  // help menu (both modes)
  HelpContents, HelpQuickStart, HelpInterface, HelpKinds, HelpSupport, About,
};

// A project file dialog request and its answer, for tests that script the
// dialogs (the program uses QFileDialog).
struct FileDialogRequest {
  bool save = false;
  QString title;
  QString folder;
  QString proposed;  // save mode
  QString filter;
  QString defaultSuffix;
};
using FileDialogHook = std::function<bool(const FileDialogRequest&, QString& chosen)>;

// The windows built elsewhere that the main window works with.
struct FrameServices {
  ListEditorsFactory editors = PlaceholderListEditors();
  // Without a variant window factory planning mode cannot be entered.
  IVariantWindowFactory* variants = nullptr;
  // Without it the print command is disabled.
  PrintDataCommand printData;
};

class TPrgMdiFrame : public QMainWindow, public MessageTarget, public IProjectView {
  Q_OBJECT
 public:
  using Services = FrameServices;

  explicit TPrgMdiFrame(FrameServices services = FrameServices{}, QWidget* parent = nullptr);
  ~TPrgMdiFrame() override;

  // ---- project commands -------------------------------------------------
  void NewProject();
  void OpenProject();
  // Opens a project file (no dialog); the already-open check and the
  // replace-project steps.
  bool OpenProjectFile(const std::filesystem::path& fileName);
  // The demonstration project, as at start-up.
  bool OpenDemoProject();
  void SaveProject();
  void SaveProjectAs();
  void CloseProject();
  void EditParams();
  void PrintData();
  void DataCheck();
  // "&Окна" item of tag kind.
  void ShowEditorWindow(int kind);

  // ---- planning mode ----------------------------------------------------
  void RunMenuOnClick();         // enter planning mode
  void CloseTableMenuOnClick();  // leave planning mode
  void NewVariant();
  void OpenVariant();
  void SaveVariant(int tag);
  void OnSetKorvantRegime(int regime);
  void ForwardToVariant(VariantCommand c);
  void ShowAbout();

  // ---- state ------------------------------------------------------------
  bool PlanningMode() const { return planning_; }
  TMdiTable* Project() const { return project_.get(); }
  IVariantWindow* VariantWindow() const { return vars_.get(); }
  IListEditors* Editors() const { return editors_.get(); }
  TTestDataDlg* TestDataDlg() const;
  WorkspaceArea* Workspace() const { return workspace_; }
  QAction* Action(FrameCmd c) const { return actions_.value(c, nullptr); }
  TPrgSpeedButton* Button(FrameCmd c) const { return buttons_.value(c, nullptr); }
  QWidget* DataToolBar() const { return dataBar_; }
  QWidget* PlanningToolBar() const { return planBar_; }
  QMenu* WorkMenu() const { return dataWorkMenu_; }
  QMenu* WindowsMenu() const { return windowsMenu_; }
  // Current menus of the menu bar, by title.
  QStringList MenuTitles() const;
  const QTimer& AbortTimer() const { return abortTimer_; }
  int AbortAction() const { return abortAction_; }
  // One tick of the abort timer (sends itself 45272 with the pending action).
  void AbortTimerTick();

  // Replaces the project file dialogs (tests); empty restores QFileDialog.
  void SetFileDialogHook(FileDialogHook hook) { fileDialogHook_ = std::move(hook); }
  // The project file dialog: folder and fileName in and out.
  bool ExecProjectFileDialog(std::filesystem::path& folder, std::filesystem::path& fileName, bool saveMode);

  void UpdateMenusAndTools();
  void SetVarMenuBarForRegime(int regime);
  void SetPlanningState(int state);

  // ---- messages and the project's view ------------------------------------
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;

  void PumpMessages() override;
  void ListsReloaded() override;
  void LessonsPerDayChanged(int lessonsPerDay) override;
  void CaptionChanged(const std::u16string& caption) override;
  int32_t ShowEditor(int kind, bool show) override;
  std::filesystem::path AskSaveFileName(const std::filesystem::path& proposed) override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  class VarsNotifier : public IVarsWindow {
   public:
    void VarModifiedChanged() override;
  };

  void BuildMenus();
  void BuildToolBars();
  QAction* AddItem(QMenu* menu, FrameCmd c, const char* text, int help,
                   const QKeySequence& key = {});
  TPrgSpeedButton* AddButton(QWidget* bar, FrameCmd c, int left, const char* hint, int glyph);
  void SetDataMenus();
  void SetPlanningMenus();
  void ShowToolBar(bool planning);
  void SetCmdEnabled(FrameCmd c, bool on);

  bool ReplaceProject(const std::function<bool(TMdiTable&)>& load);
  void FreeProject();
  void SetTitle(const QString& caption);
  bool CreateVarsManager();
  bool LoadVarsManager(const std::filesystem::path& fileName);
  void FreeVarsManager();
  void ReopenVariant(const std::filesystem::path& fileName);
  void PlaceVariantWindow();
  // Abort wait (45272).
  void AbortWait(MsgParam action);
  bool NestedLoopOpen() const;
  void RunAbortAction(int action);
  void LeavePlanningNow();

  Services services_;
  WorkspaceArea* workspace_;
  std::unique_ptr<TMdiTable> project_;
  std::unique_ptr<IListEditors> editors_;
  std::unique_ptr<IVariantWindow> vars_;
  VarsNotifier varsNotifier_;
  QPointer<TTestDataDlg> testDataDlg_;
  int newProjects_ = 0;
  bool planning_ = false;
  bool activeFormHook_ = true;
  int runState_ = kPlanningFinished;
  QTimer abortTimer_;
  int abortAction_ = 0;
  bool abortCursor_ = false;
  bool closing_ = false;
  FileDialogHook fileDialogHook_;

  QMap<FrameCmd, QAction*> actions_;
  QMap<FrameCmd, TPrgSpeedButton*> buttons_;
  QMenu* projectMenu_ = nullptr;
  QMenu* dataWorkMenu_ = nullptr;
  QMenu* windowsMenu_ = nullptr;
  QMenu* variantMenu_ = nullptr;
  QMenu* planWorkMenu_ = nullptr;
  QMenu* regimeMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QToolBar* dataToolBar_ = nullptr;
  QToolBar* planToolBar_ = nullptr;
  QWidget* dataBar_ = nullptr;
  QWidget* planBar_ = nullptr;
};

}  // namespace korvant
