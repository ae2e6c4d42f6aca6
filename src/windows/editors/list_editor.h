#pragma once
// The common base of the list editor windows (rooms, subjects, klasses,
// teachers, and later lessons): one record at a time in the window's
// controls, every change written into the record at once and announced to
// the main window (kMsgListModified), the window state announced by
// kMsgEditorShow. The editor borrows its list from the project and never
// frees it.
//
// The window works alone or inside an MDI sub-window: the frame whose state
// is tracked and shown is the sub-window when there is one.
#include <QLineEdit>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/weeking.h"
#include "core/project/data_checks.h"
#include "core/project/params.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"

class QComboBox;
class QLabel;
class QMdiSubWindow;

namespace korvant {

class TMoveRecDlg;
class TPrgBitBtn;
class TPrgSpeedButton;
class TSortedComboModel;


// A typed field of an editor. It tells when the user leaves it (focus to
// another control of the window, or Return), which is when a text that
// is still invalid is reported.
class TFieldEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TFieldEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
 signals:
  void Left();
 protected:
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

class TListEditor : public QWidget, public MessageTarget {
  Q_OBJECT
 public:
  ~TListEditor() override;

  // The list kind (0 rooms .. 4 lessons): the window's tag, the first
  // parameter of its messages, the index of its show state.
  int Kind() const { return kind_; }
  // Index of the record shown, -1 for none.
  int Current() const { return current_; }
  virtual int Count() const = 0;

  // Shows record index, or none for index < 0 or an empty list.
  void ShowRecord(int index);
  // Shows the current record again (after the list was changed elsewhere).
  void RefreshRecord();
  // The list was replaced (new or opened project): the name box gets every
  // record, record 0 (or none) is shown. Nothing is reported or repaired.
  void Reload();

  // The week grid shows lessons 1..l (windows without one ignore it).
  virtual void SetLessonsPerDay(int l);
  // The grid as the parameter record's L says.
  void SizeWeekGrid();

  // This list's part of the data check.
  virtual void CheckData(IDataReport* report, const CheckPump& pump = {}) = 0;

  // The window that is shown, hidden, minimized or maximized: the MDI
  // sub-window holding the editor, or the editor itself.
  QWidget* Frame() const;
  // 0 hidden, 6 minimized, 3 maximized, else 1.
  int32_t ShowCmd() const;
  // Puts the window into state cmd (0 hidden, 1 normal, 3 maximized,
  // 6 minimized; any other value shows it as it is) without reporting it.
  void ApplyShowCmd(int32_t cmd);
  // What the project's ShowManager asks: show (keeping the window state)
  // and refresh the record, or hide; answers the state to record.
  int32_t ShowEditor(bool show);
  // The window became the active one: references to records of other
  // lists that no longer exist are repaired (the main window may also call
  // this itself).
  void Activated();

  // Controls common to every editor.
  TPrgBitBtn* AddNewRecordButton() const { return addBtn_; }
  TPrgBitBtn* MoveRecordButton() const { return moveBtn_; }
  TPrgBitBtn* RemoveRecordButton() const { return removeBtn_; }
  TPrgBitBtn* PreviousRecordButton() const { return prevBtn_; }
  TPrgBitBtn* NextRecordButton() const { return nextBtn_; }
  TPrgBitBtn* HelpBtn() const { return helpBtn_; }
  // Null for an editor without a name box.
  QComboBox* NameComboBox() const { return nameCombo_; }
  // The name box's entry objects (identifiers), top to bottom.
  std::vector<int32_t> NameEntries() const;
  // Null for an editor without a week grid.
  TWeeking* WeekGrid() const { return grid_; }
  // The state buttons beside the grid, left to right.
  const std::vector<TPrgSpeedButton*>& StateButtons() const { return stateButtons_; }

  // How the move dialog is run (tests replace it); answers the chosen
  // entry or -1.
  std::function<int(TMoveRecDlg&)> RunMoveDialog;

  // Button actions (also what the buttons do).
  void AddNewRecordClick();
  void RemoveRecordClick();
  void MoveRecordClick();
  void PreviousRecordClick();
  void NextRecordClick();

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;
  // The client size of the window (an MDI sub-window takes it from here).
  QSize sizeHint() const override { return client_; }

 protected:
  // kind, caption, window help context, client size, Left at creation.
  TListEditor(int kind, const QString& caption, int helpContext, QSize client, int left,
              TProjParamsRec& params, QWidget* parent);

  // ---- the list, by position ----
  virtual int32_t RecordID(int index) const = 0;
  virtual int IndexOfID(int32_t id) const = 0;
  virtual std::string DisplayName(int index) const = 0;
  virtual void SetRecordName(int index, const std::string& name) = 0;
  // Appends a record with its defaults; answers its index.
  virtual int AppendRecord() = 0;
  virtual void DeleteRecord(int index) = 0;
  // Moves record from to position to; identifiers go with their records.
  virtual void MoveRecord(int from, int to) = 0;

  // ---- the window's own fields ----
  // Loads every field of the window's own from record index, or disables
  // and empties them for index -1. Runs with the updating flag set.
  virtual void LoadFields(int index) = 0;
  // After a record was added and shown.
  virtual void AfterAdd() {}
  // Refills the choices built from other lists and repairs dangling
  // references (activation); runs with the updating flag set.
  virtual void RepairReferences() {}

  // Builds the name box (label, geometry, width of the name in characters).
  QComboBox* CreateNameCombo(const QString& label, QRect geometry, int labelWidth, int maxChars);
  // A number field: empty text is 0, out of range is clamped, anything
  // else shows msgId when the field is left. get/set work on the current record.
  TFieldEdit* AddNumberField(QRect geometry, int lo, int hi, int msgId, std::function<int()> get,
                             std::function<void(int)> set);
  // A typed field with rules of its own: valid(text) decides whether the
  // text can be taken, store(text) takes a valid one and answers whether the
  // record changed, shown() is the stored value as text.
  TFieldEdit* AddTextField(QRect geometry, int msgId, std::function<bool(const std::string&)> valid,
                           std::function<bool(const std::string&)> store,
                           std::function<std::string()> shown);
  QLabel* AddLabel(const QString& text, QRect geometry);
  // The week grid: cells ask SlotState and a click stores through
  // SetSlotState (slot = (day - 1) * 24 + lesson), only with a record shown.
  TWeeking* CreateWeekGrid(QWidget* parent, QPoint pos);
  virtual TMouseState SlotState(int /*slot*/) const { return FreeState; }
  virtual void SetSlotState(int /*slot*/, TMouseState /*state*/) {}
  // A flat state button of the grid's group: pressing it makes a click of
  // the grid store state.
  TPrgSpeedButton* AddStateButton(QWidget* parent, const QString& hint, TMouseState state,
                                  QRect geometry, QColor colour);
  // Presses the state button of state.
  void PressStateButton(TMouseState state);

  // The record changed: tells the main window (kMsgListModified).
  void Changed();
  bool Updating() const { return updating_ > 0; }
  // Updating flag for a scope.
  class UpdatingScope {
   public:
    explicit UpdatingScope(TListEditor& e) : e_(e) { ++e_.updating_; }
    ~UpdatingScope() { --e_.updating_; }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;
   private:
    TListEditor& e_;
  };
  // False while the lists are (re)loaded: dangling references are then
  // only shown as missing, not written back.
  bool RepairsAllowed() const { return repairsAllowed_; }

  TProjParamsRec& Params() const { return params_; }
  int ClientWidth() const { return client_.width(); }

  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void changeEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  struct TextField {
    TFieldEdit* edit;
    int msgId;
    std::function<bool(const std::string&)> valid;
    std::function<bool(const std::string&)> store;
    std::function<std::string()> shown;
  };

  void UpdateButtons();
  void NameDropDown();
  void NameChanged();
  void FieldTyped(std::size_t field);
  void FieldLeft(std::size_t field);
  void WatchFrame();
  void FrameStateChanged();
  bool FrameActive() const;

  int kind_;
  QSize client_;
  TProjParamsRec& params_;
  int current_ = -1;
  int updating_ = 0;
  bool repairsAllowed_ = true;
  // Window state changes made by the program (in any editor: the MDI area
  // restores one child when it maximizes another) are not reported.
  static int quietState_;
  bool leaving_ = false;
  int32_t lastCmd_ = kShowNormal;

  TPrgBitBtn* addBtn_ = nullptr;
  TPrgBitBtn* moveBtn_ = nullptr;
  TPrgBitBtn* removeBtn_ = nullptr;
  TPrgBitBtn* prevBtn_ = nullptr;
  TPrgBitBtn* nextBtn_ = nullptr;
  TPrgBitBtn* helpBtn_ = nullptr;
  QComboBox* nameCombo_ = nullptr;
  TSortedComboModel* names_ = nullptr;
  std::vector<TextField> fields_;
  TWeeking* grid_ = nullptr;
  std::vector<TPrgSpeedButton*> stateButtons_;
  std::vector<TMouseState> buttonStates_;
  QMdiSubWindow* watchedSub_ = nullptr;
};

// The list operations every collection-backed editor shares.
template <class Collection>
class TCollectionEditor : public TListEditor {
 public:
  int Count() const override { return list_.Count(); }

 protected:
  TCollectionEditor(int kind, const QString& caption, int helpContext, QSize client, int left,
                    Collection& list, TProjParamsRec& params, QWidget* parent)
      : TListEditor(kind, caption, helpContext, client, left, params, parent), list_(list) {}

  auto* Item() const { return list_.GetItem(Current()); }

  int32_t RecordID(int index) const override { return list_.GetItem(index)->ID(); }
  int IndexOfID(int32_t id) const override { return list_.IndexOfID(id); }
  std::string DisplayName(int index) const override { return list_.GetItem(index)->DisplayName(); }
  void SetRecordName(int index, const std::string& name) override { list_.GetItem(index)->SetName(name); }
  int AppendRecord() override {
    list_.Add();
    return list_.Count() - 1;
  }
  void DeleteRecord(int index) override { list_.Delete(index); }
  void MoveRecord(int from, int to) override { list_.Move(from, to); }

  Collection& list_;
};

}  // namespace korvant
