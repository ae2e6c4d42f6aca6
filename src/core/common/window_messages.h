#pragma once
// The program's own window messages: their numbers, the tags by which
// windows are found, and the port through which the core sends, posts and
// pumps the message queue. Standard C++ only: the window layer implements
// the port over Qt (platform/window_messages.h), tests install fakes.
#include <cstdint>

#include "core/common/show_cmd.h"

namespace korvant {

// Two parameters and a result wide enough to carry a pointer (some messages
// hand over a list view, a grid or an array of link entries).
using MsgParam = std::intptr_t;
using MsgResult = std::intptr_t;

// The numbers are fixed: component-message base 45056 + 200..225, and the
// first user message 1024 + 256.
enum : uint32_t {
  kMsgWeekVarsNext = 1280,       // week-variant search dialog to itself: W next teacher index
  kMsgEditorShow = 45256,        // list editor -> main window: W kind, L show command
  kMsgWeekingFit = 45256,        // week availability grid to itself (same number, inside the control)
  kMsgListModified = 45257,      // list editor -> main window: W kind
  kMsgLinksGet = 45258,          // link dialog -> lessons editor: L list view; result the links
  kMsgLinksSet = 45259,          // link dialog -> lessons editor: W link entries
  kMsgFindInit = 45260,          // lesson search dialog -> lessons editor: L list view; result a context
  kMsgFindShow = 45261,          // lesson search dialog -> lessons editor: W context, L index
  kMsgFindCopy = 45262,          // lesson search dialog -> lessons editor: W context, L index
  kMsgLeavePlanning = 45263,     // variant / details window on close -> main window
  kMsgPrepGridsFill = 45264,     // preparation and control dialogs -> variant window: W klass grid, L teacher grid
  kMsgPrepGridsTake = 45265,     // preparation dialog -> variant window: W klass grid, L teacher grid
  kMsgDayChanged = 45266,        // variant window's day selector -> main window
  kMsgPlanningState = 45267,     // variant window -> main window: W kPlanning*
  kMsgRegime = 45268,            // variant window -> main window: W regime
  kMsgSolutionFound = 45269,     // planning searches -> variant window
  kMsgGroupToDraft = 45270,      // group editor -> variant window: W group index
  kMsgGroupClear = 45271,        // group editor -> variant window: W group index
  kMsgAbortWait = 45272,         // -> main window: W kAbortWait*
  kMsgPrint = 45273,             // report forms and preview -> print dialogs: W kPrint*, L value
  kMsgOptiGridsFill = 45274,     // optimisation preparation dialog -> variant window: W klass grid, L teacher grid
  kMsgDataCheckClosed = 45275,   // data-check window on close -> main window
  kMsgStatisticsFill = 45276,    // statistics dialog -> variant window: W grid
  kMsgReopenAutoSaved = 45277,   // variant window -> main window
  kMsgManualRegime = 45278,      // variant window double click -> main window
  kMsgDetailsRebuild = 45279,    // details window to itself: W kDetails* bits
  kMsgVarModified = 45280,       // -> variant window: W 0 refresh caption (posted), 1 save query (sent)
  kMsgDeeperPartial = 45281,     // day optimisation -> variant window
};

constexpr uint32_t kMsgFirstOwn = 45256;
constexpr uint32_t kMsgLastOwn = 45281;

// Tags by which windows are found. 0..4 are also the list kinds.
enum : int {
  kNoTag = -1,
  kTagRooms = 0,
  kTagSubjects = 1,
  kTagKlasses = 2,
  kTagTeachers = 3,
  kTagLessons = 4,
  kTagVariantWindow = 10,
  kTagMainWindow = 100,  // the frame registers itself so that its children reach it
};

// Show commands carried by kMsgEditorShow: kShowHidden, kShowNormal,
// kShowMaximized, kShowMinimized (core/show_cmd.h).

// W of kMsgPlanningState.
enum : MsgParam { kPlanningRunning = 1, kPlanningPaused = 2, kPlanningFinished = 3 };

// W of kMsgAbortWait.
enum : MsgParam { kAbortWaitLeavePlanning = 1, kAbortWaitCloseProgram = 2 };

// W of kMsgVarModified.
enum : MsgParam { kVarModifiedCaption = 0, kVarModifiedSaveQuery = 1 };

// W bits of kMsgDetailsRebuild.
enum : MsgParam { kDetailsKlassSide = 1, kDetailsTeacherSide = 2 };

// W of kMsgPrint.
enum : MsgParam {
  kPrintPreviewWindow = 1,  // 2..8 are the preview's commands
  kPrintHintCancel = 9,
  kPrintProgressRange = 23,
  kPrintProgressPos = 24,   // L -1 hides the progress
};

// The core's view of the message queue. The window layer installs the real
// one; with none installed a send answers 0, a post goes nowhere and the
// pumps return at once (so a search run without windows never hangs).
class IMessagePort {
 public:
  virtual ~IMessagePort() = default;
  virtual bool HasWindow(int tag) = 0;
  virtual MsgResult Send(int tag, uint32_t msg, MsgParam w, MsgParam l) = 0;
  virtual void Post(int tag, uint32_t msg, MsgParam w, MsgParam l) = 0;
  // Handles whatever is pending, without waiting.
  virtual void PumpOnce() = 0;
  // Handles messages, waiting for them without spinning, until flag is 0.
  // The flag is cleared by a handler that runs inside this call.
  virtual void PumpWhileSet(const uint8_t& flag) = 0;
};

IMessagePort* InstalledMessagePort();
void InstallMessagePort(IMessagePort* port);

class ScopedMessagePort {
 public:
  explicit ScopedMessagePort(IMessagePort* p) : old_(InstalledMessagePort()) { InstallMessagePort(p); }
  ~ScopedMessagePort() { InstallMessagePort(old_); }
  ScopedMessagePort(const ScopedMessagePort&) = delete;
  ScopedMessagePort& operator=(const ScopedMessagePort&) = delete;
 private:
  IMessagePort* old_;
};

// Through the installed port, with the defaults above when none is.
bool WindowExists(int tag);
MsgResult SendWindowMessage(int tag, uint32_t msg, MsgParam w = 0, MsgParam l = 0);
void PostWindowMessage(int tag, uint32_t msg, MsgParam w = 0, MsgParam l = 0);
void PumpMessages();
void PumpMessagesWhileSet(const uint8_t& flag);

}  // namespace korvant
