#pragma once
// TTableVarsManager: the variant window of planning mode. An MDI child
// (tag 10, also as a MessageTarget) that owns the open variant with its
// run-time model and options (TVarDocument) and shows the variant's
// current day in five timetable grids: klasses, teachers, klasses' draft,
// teachers' draft, rooms. It publishes itself and the model in Shared()
// while it lives, asks the variant's save query, saves, and tells the main
// window the regime (45268), the day change (45266) and that planning mode
// should end (45263, posted when the user closes it).
//
// The window is never freed while one of its own loops (a dialog, a
// message box) is on the stack: Free() then only hides and withdraws it,
// and it goes when the outermost such loop has returned.
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "controls/school_table.h"
#include "controls/speed_button.h"
#include "core/common/shared_state.h"
#include "core/variant/rti_model.h"
#include "core/variant/var_file.h"
#include "platform/window_messages.h"
#include "windows/shell/frame_services.h"
#include "windows/shell/main_frame.h"
#include "windows/variant/var_cells.h"

class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QSlider;
class QTabWidget;

namespace korvant {

class TMdiTable;
struct TGroupChoice;
class TVarOptionsDlg;
class TVarManualEdit;
class TTableVarsManager;

// What tests replace: the variant file dialog and the options dialog.
struct TVarsWindowHooks {
  // Empty: QFileDialog.
  FileDialogHook fileDialog;
  // Runs the options dialog; true when accepted. Empty: modal run.
  std::function<bool(TVarOptionsDlg&)> optionsDialog;
  // "Печать": the timetable print dialog over the open variant. Empty: the
  // command does nothing.
  std::function<void(TTableVarsManager&)> printTable;
};

class TTableVarsManager : public QWidget, public MessageTarget, public IVarsWindow {
  Q_OBJECT
 public:
  // A new, empty variant of the project, shown over the whole workspace;
  // the options dialog is opened before this returns.
  static TTableVarsManager* CreateNew(TMdiTable& project, QMdiArea& workspace, TVarsWindowHooks hooks = {});
  // The variant of a file; null (nothing built) after the core told the
  // user why the file was refused (10051, 10049).
  static TTableVarsManager* Load(TMdiTable& project, QMdiArea& workspace, const std::string& fileName,
                                 TVarsWindowHooks hooks = {});
  ~TTableVarsManager() override;

  // Frees the window with its sub-window: now, or when its own loops have
  // returned (it is hidden and withdrawn at once).
  void Free();
  bool Withdrawn() const { return withdrawn_; }

  // ---- state ------------------------------------------------------------
  TVarDocument& Document() { return *doc_; }
  TRunModel& Model() { return doc_->Model(); }
  TTableVarItem& Var() { return doc_->Var(); }
  int CurrentDay() const { return doc_->Day; }
  QMdiSubWindow* SubWindow() const { return sub_; }
  TSchoolTable* Grid(TVarGrid g) const { return grids_[static_cast<std::size_t>(g)]; }
  QComboBox* DayCombo() const { return dayCombo_; }
  QSlider* ViewModeSwitch() const { return switch_; }
  QTabWidget* Pages() const { return pages_; }
  TPrgSpeedButton* TryMoreButton() const { return tryMore_; }
  TPrgSpeedButton* AbortButton() const { return abort_; }
  // Beside the run buttons while the placement run shows a solution: it
  // holds the chosen group's lessons only.
  QLabel* RunNote() const { return runNote_; }
  QWidget* DetailsWindow() const { return details_; }
  // The lessons the details window opens on and its selected hours.
  const TLinkedLists& Selection() const { return selection_; }
  uint8_t SelectionKind() const { return selectionKind_; }
  int SelectedHour(int side) const { return selectedHours_[side == 0 ? 0 : 1]; }
  void SetSelection(const TLinkedLists& lists, uint8_t kind, int klassHour, int teacherHour) {
    selection_ = lists;
    selectionKind_ = kind;
    selectedHours_ = {klassHour, teacherHour};
  }
  // Editing by hand in the grids.
  TVarManualEdit& Manual() { return *manual_; }
  // Counts as one of the window's own loops while held: a Free() meanwhile
  // waits until it is released.
  std::shared_ptr<void> HoldBusy();

  // ---- operations ---------------------------------------------------------
  void UpdateCaption();
  void SetupTables();
  void InvalidateTables();
  // 0 manual, 2 automatic; other values only set PlanningRegime.
  void SetRegime(int regime);
  void EditVarOptions();
  // Teachers' free days (by group when byGroup), then the day norms.
  void RecalcTables(bool byGroup);
  // Selects day 1..6 as the day combo does.
  void SelectDay(int day);
  // 1 saved or nothing to save, 5 discarded, 2 cancelled.
  int QuerySave();
  // 1 save, 2 save as.
  void Save(int mode);
  // The variant open dialog in the folder of the open variant; empty when
  // cancelled or when the open variant was chosen (10057).
  std::string SelectVarFile();
  void Command(VariantCommand command);
  // "Статистика": the statistics dialog, modal; message 10154 instead when
  // no lesson stands in the variant.
  void ShowStatistics();
  // ---- planning commands (on the current day) ------------------------------
  // "Общий контроль".
  void ControlData();
  // "Расстановка кабинетов".
  void SetRooms();
  // "Оптимизация": group editor, preparation, the day's checks, the run.
  void OptimizeDay();
  // The placement run: group editor, preparation, the selection run.
  void CreateVars();
  // "Подбор вариантов": week group editor, then the week-variant dialog.
  void WeekVars();
  void PrintTable();
  // "Журнал замещений".
  void ViewZamesh();
  // "Продолжить" and "Прервать" of a run.
  void TryMoreBtnClick();
  void AbortPlanningBtnClick();
  // Saves the shown solution as a numbered file beside the variant's file;
  // false (the run stopped) when the file could not be written.
  bool SaveOptiVariant();
  // Files the automatic saving of the last run wrote.
  int RunSavedFiles() const { return runSaves_; }

  // The variant file dialog: folder and name (program text) in, the chosen
  // full name out.
  bool ExecVarFileDialog(const std::string& folder, std::string& name, bool save);

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;
  // The modified mark changed: the caption is refreshed from the loop.
  void VarModifiedChanged() override;

 protected:
  TTableVarsManager(TMdiTable& project, QMdiArea& workspace, std::unique_ptr<TVarDocument> doc,
                    TVarsWindowHooks hooks);

  // ---- what the manual regime and the planning commands add later ----------
  // The details window of the manual regime, as an MDI child; null while
  // there is none (this window then stays visible).
  virtual QWidget* CreateDetailsWindow();
  virtual void FreeDetailsWindow();
  virtual void SetDetailsCaption(const QString& caption);
  virtual void RepaintDetailsWindow();
  // Printing, the planning runs, control, journal, abort and continue.
  virtual void RunPlanningCommand(VariantCommand command);

  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  class BusyScope;
  friend class BusyScope;

  void BuildForm();
  void Publish();
  void Withdraw();
  void PrepareDay();
  void FillDayCombo();
  void DayComboChanged(int index);
  void SwitchChanged(int position);
  void LayOut();
  void ShowOver(QMdiArea& workspace);
  TVarCellView View() const;
  // Planning: the group chosen in an editor, or -1 after 10060.
  int UsableGroup(int group);
  // The group chosen in an editor made current (events pumped after);
  // false when the editor was left, the group is empty or the window went.
  bool TakeGroup(const TGroupChoice& choice);
  bool OptimizeChecks();
  void RunPlanner(bool optimise);
  void EndRun();
  void SolutionStep();
  bool HandlePlanningMessage(uint32_t msg, MsgParam w, MsgParam l);

  TMdiTable& project_;
  std::unique_ptr<TVarDocument> doc_;
  TVarsWindowHooks hooks_;
  QMdiSubWindow* sub_ = nullptr;
  QPointer<QWidget> details_;
  TLinkedLists selection_;
  uint8_t selectionKind_ = 0;
  std::array<int, 2> selectedHours_{1, 1};
  char decimalPoint_ = ',';
  int busy_ = 0;
  bool freePending_ = false;
  bool withdrawn_ = false;
  bool filling_ = false;
  bool runActive_ = false;  // the run protocol of this window is on the stack
  bool runOptimise_ = false;
  int runSaves_ = 0;
  int saveOffset_ = 0;  // numbers skipped so that no existing file is replaced

  QLabel* dayLabel_;
  QComboBox* dayCombo_;
  TPrgSpeedButton* tryMore_;
  TPrgSpeedButton* abort_;
  QLabel* runNote_;
  QWidget* switchPanel_;
  QSlider* switch_;
  QLabel* vertLabel_;
  QLabel* horzLabel_;
  QTabWidget* pages_;
  std::array<TSchoolTable*, kVarGridCount> grids_{};
  std::unique_ptr<TVarManualEdit> manual_;
};

// The program's variant window behind the main window's interface.
// "Печать" of the program: the timetable print dialog over the window's
// variant, shown modally (the hook the program installs).
void RunPrintTableDlg(TTableVarsManager& window);

class TVarsWindowFactory : public IVariantWindowFactory {
 public:
  TVarsWindowHooks hooks;
  std::unique_ptr<IVariantWindow> Create(TMdiTable& project, QMdiArea& workspace) override;
  std::unique_ptr<IVariantWindow> Load(TMdiTable& project, QMdiArea& workspace,
                                       const std::string& fileName) override;
};

// Holds a variant window for the main window; destroying it frees the
// window (TTableVarsManager::Free).
class TVarsWindowHandle : public IVariantWindow {
 public:
  explicit TVarsWindowHandle(TTableVarsManager* w) : w_(w) {}
  ~TVarsWindowHandle() override;
  TTableVarsManager* Manager() const { return w_; }

  QWidget* Window() override;
  int QuerySave() override;
  void Save(int tag) override;
  void SetRegime(int regime) override;
  std::string SelectVarFile() override;
  void Command(VariantCommand command) override;

 private:
  QPointer<TTableVarsManager> w_;
};

}  // namespace korvant
