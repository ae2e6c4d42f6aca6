#pragma once
// What the main window needs from the windows that are built elsewhere:
// the five list editors of the open project and the variant window of
// planning mode. The main window creates them through factories handed to
// it, finds them among its MDI children by their tag, and talks to them
// only through these interfaces (and the program's window messages).
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/project/data_checks.h"

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace korvant {

class TMdiTable;

// ---- window tags ------------------------------------------------------------

// Gives a window its tag (0..4 the editors, 10 the variant window). A
// window that is also a MessageTarget should be given the same tag there.
void SetWindowTag(QWidget* w, int tag);
// The tag of a window: its own, else its MessageTarget's, else kNoTag.
int WindowTag(const QWidget* w);
// The MDI child with the tag (its sub-window or its widget tagged), or null.
QMdiSubWindow* FindChildByTag(const QMdiArea& workspace, int tag);

// ---- list editors -----------------------------------------------------------

// The five list editor windows of one open project. They borrow the
// project's lists (TMdiTable::Data) and live as MDI children of the
// workspace, tagged 0 rooms, 1 subjects, 2 klasses, 3 teachers, 4 lessons.
// Destroying the object frees them in the order lessons .. rooms.
// Editors tell the main window (tag kTagMainWindow) of their changes:
// 45256 (kind, show command) when closed (posted, 0) or resized (sent),
// 45257 (kind) on every edit.
class IListEditors {
 public:
  virtual ~IListEditors() = default;
  // Shows the editor of kind (letting it refresh its current record) or
  // hides it; answers the show command to record: 1 normal, 3 maximized,
  // 6 minimized (0 when hidden).
  virtual int32_t Show(int kind, bool show) = 0;
  // The number of lessons per day changed: the week grids take it.
  virtual void LessonsPerDayChanged(int /*lessonsPerDay*/) {}
  // Runs the check of list kind into report (0..4). The default runs the
  // core's check on the project's lists; an editor holding an unfinished
  // edit commits it first and then calls this.
  virtual void CheckData(int kind, const TMdiTable& project, IDataReport* report,
                         const CheckPump& pump);
};

// Creates the editors of a project that was just created or read, in the
// order rooms, subjects, klasses, teachers, lessons, each shown as the
// project's show command says (TMdiTable::EditorShowCmd); pumps messages
// after each (TMdiTable's view does: PumpMessages).
using ListEditorsFactory =
    std::function<std::unique_ptr<IListEditors>(TMdiTable& project, QMdiArea& workspace)>;

// The placeholder until the editor windows exist: it creates nothing, and
// showing an editor records the show command asked for.
class NoListEditors : public IListEditors {
 public:
  int32_t Show(int kind, bool show) override;
};
ListEditorsFactory PlaceholderListEditors();

// ---- variant window ---------------------------------------------------------

// Commands of planning mode that the main window forwards.
enum class VariantCommand {
  Print,           // "Просмотр и печать"
  Options,         // "Опции"
  GeneralControl,  // "Контроль данных" / "Общий контроль"
  WeekVariants,    // "Подбор вариантов"
  PlaceLessons,    // "Расстановка уроков" (the placement run)
  Optimize,        // "Оптимизация"
  AssignRooms,     // "Расстановка кабинетов"
  Statistics,      // "Статистика"
  Journal,         // "Журнал замещений"
  Abort,           // "Прервать"
  Continue,        // "Продолжить"
};

// The variant window of planning mode: an MDI child tagged 10 (also as a
// MessageTarget, so that 45269, 45280 and 45281 reach it) that fills the
// workspace. Destroying the object frees the window. It tells the main
// window (tag kTagMainWindow) 45267 (run state), 45268 (regime, from its
// constructor), 45263 (posted on close: leave planning mode), 45277
// (reopen the last auto-saved variant) and 45278 (manual regime).
class IVariantWindow {
 public:
  virtual ~IVariantWindow() = default;
  // The MDI sub-window or the widget inside it; the main window sizes it
  // to the workspace.
  virtual QWidget* Window() = 0;
  // The variant's save query: 1 saved or nothing to save, 5 discarded,
  // 2 cancelled.
  virtual int QuerySave() = 0;
  // "Сохранить" (tag 1) and "Сохранить как" (tag 2).
  virtual void Save(int tag) = 0;
  // 0 manual, 2 automatic.
  virtual void SetRegime(int regime) = 0;
  // The variant open dialog in the folder of the open variant; refuses the
  // variant that is already open. Empty when nothing was chosen.
  virtual std::filesystem::path SelectVarFile() = 0;
  virtual void Command(VariantCommand command) = 0;
};

class IVariantWindowFactory {
 public:
  virtual ~IVariantWindowFactory() = default;
  // A window with a new variant of the project's lists; null on failure.
  virtual std::unique_ptr<IVariantWindow> Create(TMdiTable& project, QMdiArea& workspace) = 0;
  // A window with the variant read from fileName; null when the file was
  // refused (the window has told the user why).
  virtual std::unique_ptr<IVariantWindow> Load(TMdiTable& project, QMdiArea& workspace,
                                               const std::filesystem::path& fileName) = 0;
};

// The project-data print dialog, run modally on the open project.
using PrintDataCommand = std::function<void(TMdiTable& project, QWidget* owner)>;

}  // namespace korvant
