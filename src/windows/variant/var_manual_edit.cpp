#include "windows/variant/var_manual_edit.h"

#include <QApplication>
#include <QCursor>
#include <QLocale>
#include <QMenu>

#include "controls/form_util.h"
#include "core/common/catalogue.h"
#include "core/common/shared_state.h"
#include "core/common/window_messages.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "windows/shell/error_box.h"
#include "windows/variant/placement_popups.h"
#include "windows/variant/vars_window.h"

namespace korvant {

namespace {

constexpr int kMsgNoRoom = 10166;         // " недостаточно места."
constexpr int kMsgTeacherDraft = 10172;   // "В черновике учителя "
constexpr int kMsgKlassDraft = 10173;     // "В черновике класса "

const char* const kItemTexts[4] = {"Поставить урок", "Перенести в черновик", "Снять урок", "Назначить кабинет"};
const int kItemHelp[4] = {161, 162, 163, 164};

bool IsDraft(TVarGrid g) { return g == TVarGrid::KlassesDraft || g == TVarGrid::TeachersDraft; }
bool IsTeacher(TVarGrid g) { return g == TVarGrid::Teachers || g == TVarGrid::TeachersDraft; }

}  // namespace

TVarManualEdit::TVarManualEdit(TTableVarsManager& window) : w_(window) {
  for (TVarGrid g : {TVarGrid::Klasses, TVarGrid::Teachers, TVarGrid::KlassesDraft, TVarGrid::TeachersDraft})
    Attach(g);
}

void TVarManualEdit::Attach(TVarGrid g) {
  const auto gi = static_cast<std::size_t>(g);
  auto* menu = new QMenu(&w_);
  SetHelpContext(menu, 160);
  menus_[gi] = menu;
  for (int i = 0; i < 4; ++i) {
    // The draft menus carry only "Поставить урок" and "Снять урок".
    if (IsDraft(g) && (i == kToDraft || i == kRoom)) continue;
    QAction* a = menu->addAction(Ru(kItemTexts[i]));
    a->setData(kItemHelp[i]);
    actions_[gi][static_cast<std::size_t>(i)] = a;
    QObject::connect(a, &QAction::triggered, menu, [this, g, i] {
      switch (i) {
        case kPut: PutLesson(g); break;
        case kToDraft: ToDraft(g); break;
        case kRemove: Remove(g); break;
        default: AssignRoom(g); break;
      }
    });
  }
  TSchoolTable* grid = w_.Grid(g);
  grid->OnMouseDown = [this, g](TGridBase&, Qt::MouseButton b, Qt::KeyboardModifiers mods, int x, int y) {
    MouseDown(g, b, mods, x, y);
  };
  grid->OnDblClick = [this, g](TGridBase&) { DoubleClick(g); };
  if (IsDraft(g)) return;
  grid->OnDragOver = [this, g](TGridBase& target, TGridBase& source, int x, int y, bool& accept) {
    const TGridCoord c = target.MouseToCell(x, y);
    accept = &target == &source && DragAccepted(g, c.X, c.Y);
  };
  grid->OnDragDrop = [this, g](TGridBase& target, TGridBase& source, int x, int y) {
    if (&target != &source) return;
    const TGridCoord c = target.MouseToCell(x, y);
    Drop(g, c.X, c.Y);
  };
}

QMenu* TVarManualEdit::Menu(TVarGrid g) const {
  return g == TVarGrid::Rooms ? nullptr : menus_[static_cast<std::size_t>(g)];
}

QAction* TVarManualEdit::Action(TVarGrid g, Item item) const {
  if (g == TVarGrid::Rooms) return nullptr;
  return actions_[static_cast<std::size_t>(g)][static_cast<std::size_t>(item)];
}

bool TVarManualEdit::Blocked() const { return Shared().PlanningRunning != 0 || w_.Withdrawn(); }

void TVarManualEdit::Edited() {
  w_.InvalidateTables();
  SetVarModified(true);
}

// ---- cells ---------------------------------------------------------------------------------

bool TVarManualEdit::CellAt(TVarGrid g, int col, int row, int& entity, int& hour) const {
  const bool vertical = Shared().VerticalView == 1;
  const int e = vertical ? row : col;
  const int h = vertical ? col : row;
  if (e < 1 || h < 1 || h > w_.Var().LessonsPerDay() || e > VarGridEntityCount(const_cast<TTableVarsManager&>(w_).Model(), g))
    return false;
  entity = e - 1;
  hour = h;
  return true;
}

TLessonRef TVarManualEdit::LessonAt(TVarGrid g, int entity, int hour) const {
  const TTableVarItem& var = const_cast<TTableVarsManager&>(w_).Var();
  const int day = w_.CurrentDay();
  switch (g) {
    case TVarGrid::Klasses: {
      const int l = var.GetCell(entity, day, hour).Lesson;
      return l >= 0 ? TLessonRef{entity, l} : TLessonRef{};
    }
    case TVarGrid::KlassesDraft: {
      const int l = var.GetDraftCell(entity, day, hour).Lesson;
      return l >= 0 ? TLessonRef{entity, l} : TLessonRef{};
    }
    case TVarGrid::Teachers: return TeacherFairLessonAt(var, entity, day, hour);
    case TVarGrid::TeachersDraft: return TeacherDraftLessonAt(var, entity, day, hour);
    default: return {};
  }
}

bool TVarManualEdit::CurrentCell(TVarGrid g, int& entity, int& hour) const {
  const TSchoolTable* grid = w_.Grid(g);
  return CellAt(g, grid->Col(), grid->Row(), entity, hour);
}

bool TVarManualEdit::FairSource(TVarGrid g, int entity, int hour, int& klass, int& srcHour) const {
  if (g != TVarGrid::Klasses && g != TVarGrid::Teachers) return false;
  const TLessonRef l = LessonAt(g, entity, hour);
  if (!l.Valid()) return false;
  klass = l.Klass;
  srcHour = hour;
  return true;
}

// ---- mouse ---------------------------------------------------------------------------------

void TVarManualEdit::MouseDown(TVarGrid g, Qt::MouseButton button, Qt::KeyboardModifiers mods, int x, int y) {
  if (Blocked()) return;
  TSchoolTable* grid = w_.Grid(g);
  const TGridCoord c = grid->MouseToCell(x, y);
  const Qt::MouseButtons all = grid->PressButtons();
  const bool alone = mods == Qt::NoModifier && (all == Qt::NoButton || all == button);
  if (!alone) return;
  if (button == Qt::LeftButton) {
    if (StartsDrag(g, c.X, c.Y)) grid->BeginDrag(false);
    return;
  }
  if (button != Qt::RightButton) return;
  int e = 0, h = 0;
  if (!CellAt(g, c.X, c.Y, e, h)) return;
  grid->FocusCell(c.X, c.Y, true);
  const MenuState st = MenuFor(g, c.X, c.Y);
  if (!st.shown) return;
  for (int i = 0; i < 4; ++i)
    if (QAction* a = Action(g, static_cast<Item>(i))) a->setEnabled(st.enabled[static_cast<std::size_t>(i)]);
  Menu(g)->popup(grid->viewport()->mapToGlobal(QPoint(x, y)));
}

TVarManualEdit::MenuState TVarManualEdit::MenuFor(TVarGrid g, int col, int row) const {
  MenuState st;
  int e = 0, h = 0;
  if (g == TVarGrid::Rooms || Blocked() || !CellAt(g, col, row, e, h)) return st;
  const TRunModel& m = const_cast<TTableVarsManager&>(w_).Model();
  const int day = w_.CurrentDay();
  const bool lesson = LessonAt(g, e, h).Valid();
  const bool teacher = IsTeacher(g);
  const bool dayClosed = teacher ? TeacherDayClosed(m, e, day) : KlassDayClosed(m, e, day);
  if (!lesson) {
    const bool closed = IsDraft(g) ? dayClosed
                                   : (teacher ? TeacherSlotClosed(m, e, day, h) : KlassHourClosed(m, e, day, h));
    if (closed) return st;
    st.shown = true;
    st.enabled[kPut] = true;
    return st;
  }
  st.shown = true;
  st.enabled[kRemove] = true;
  if (!IsDraft(g)) {
    st.enabled[kToDraft] = !dayClosed;
    st.enabled[kRoom] = !dayClosed;
  }
  return st;
}

// ---- drag and drop -----------------------------------------------------------------------

bool TVarManualEdit::StartsDrag(TVarGrid g, int col, int row) const {
  int e = 0, h = 0, klass = -1, src = 0;
  if (Blocked() || !CellAt(g, col, row, e, h) || !FairSource(g, e, h, klass, src)) return false;
  return const_cast<TTableVarsManager&>(w_).Var().GetCell(klass, w_.CurrentDay(), src).PrevHour == -1;
}

bool TVarManualEdit::DragAccepted(TVarGrid g, int col, int row) const {
  int se = 0, sh = 0, te = 0, th = 0, klass = -1, src = 0;
  if (Blocked() || !CurrentCell(g, se, sh) || !CellAt(g, col, row, te, th)) return false;
  if (te != se || th == sh || !FairSource(g, se, sh, klass, src)) return false;
  return CanMoveBlock(const_cast<TTableVarsManager&>(w_).Var(), w_.CurrentDay(), klass, src, th);
}

bool TVarManualEdit::Drop(TVarGrid g, int col, int row) {
  if (!DragAccepted(g, col, row)) return false;
  int se = 0, sh = 0, te = 0, th = 0, klass = -1, src = 0;
  CurrentCell(g, se, sh);
  CellAt(g, col, row, te, th);
  FairSource(g, se, sh, klass, src);
  if (!MoveBlock(w_.Var(), w_.CurrentDay(), klass, src, th)) return false;
  w_.Grid(g)->FocusCell(col, row, true);
  Edited();
  return true;
}

// ---- menu commands -----------------------------------------------------------------------

void TVarManualEdit::PutLesson(TVarGrid g) {
  int e = 0, h = 0;
  if (Blocked() || !CurrentCell(g, e, h)) return;
  TTableVarItem& var = w_.Var();
  const int day = w_.CurrentDay();
  if (LessonAt(g, e, h).Valid()) return;
  const bool draft = IsDraft(g);
  // A draft has no gaps: the lesson goes to the line's first free position.
  if (g == TVarGrid::KlassesDraft) h = std::min(h, FirstFreeKlassDraft(var, e, day));
  if (g == TVarGrid::TeachersDraft) h = std::min(h, FirstFreeTeacherDraft(var, e, day));
  const auto hold = w_.HoldBusy();
  const bool placed = IsTeacher(g) ? RunPopTchLsn(&w_, var, e, h, draft, day) : RunPopSetLsn(&w_, var, e, h, draft, day);
  if (placed && !w_.Withdrawn()) Edited();
}

void TVarManualEdit::ToDraft(TVarGrid g) {
  int e = 0, h = 0;
  if (Blocked() || IsDraft(g) || !CurrentCell(g, e, h)) return;
  const TLessonRef l = LessonAt(g, e, h);
  if (!l.Valid()) return;
  TTableVarItem& var = w_.Var();
  const TRunModel& m = w_.Model();
  const TDraftSpace space = CheckDraftSpace(var, w_.CurrentDay(), l);
  if (space.result == TDraftSpace::TeacherFull || space.result == TDraftSpace::KlassFull) {
    const bool teacher = space.result == TDraftSpace::TeacherFull;
    const std::string name = teacher ? m.Teachers[space.who]->DisplayName() : m.Klasses[space.who]->DisplayName();
    const auto hold = w_.HoldBusy();
    ShowErrMsgText(OwnerOf(&w_), LoadResStr(teacher ? kMsgTeacherDraft : kMsgKlassDraft) + name + LoadResStr(kMsgNoRoom),
                   kBoxOk);
    return;
  }
  if (MoveLessonToDraft(var, w_.CurrentDay(), l)) Edited();
}

void TVarManualEdit::Remove(TVarGrid g) {
  int e = 0, h = 0;
  if (Blocked() || !CurrentCell(g, e, h)) return;
  const TLessonRef l = LessonAt(g, e, h);
  if (l.Valid() && TakeLessonOffDay(w_.Var(), w_.CurrentDay(), l)) Edited();
}

void TVarManualEdit::AssignRoom(TVarGrid g) {
  int e = 0, h = 0, klass = -1, src = 0, head = 0;
  if (Blocked() || !CurrentCell(g, e, h) || !FairSource(g, e, h, klass, src)) return;
  TTableVarItem& var = w_.Var();
  const int day = w_.CurrentDay();
  // The whole block from its first hour, and only that block.
  const int n = FairBlockAt(var, klass, day, src, head);
  if (n == 0) return;
  const auto hold = w_.HoldBusy();
  if (RunPopSetRoom(&w_, var, klass, head, n, day) && !w_.Withdrawn()) Edited();
}

bool TVarManualEdit::DoubleClick(TVarGrid g) {
  int e = 0, h = 0;
  if (Blocked() || g == TVarGrid::Rooms || !CurrentCell(g, e, h)) return false;
  const TRunModel& m = w_.Model();
  TLessonRef l = LessonAt(g, e, h);
  if (!l.Valid()) {
    if (!IsTeacher(g)) {
      if (m.Klasses[e]->Lessons.Count() > 0) l = {e, 0};
    } else if (const TRTITeacherItem* t = m.Teachers[e]; t && t->Lessons.Count() > 0) {
      const TRTILessonItem* copy = t->Lessons[0];
      const int grp = copy->GroupOfTeacher(e);
      if (grp >= 0) {
        const TRTIGroup& rt = copy->RT[static_cast<std::size_t>(grp)];
        l = {rt.Klass, rt.KlassLesson};
      }
      if (g == TVarGrid::TeachersDraft) h = 1;
    }
  }
  if (!l.Valid() || !m.KlassLesson(l.Klass, l.Lesson)) return false;
  TLinkedLists lists;
  // A cut set would show the user only part of what belongs together.
  if (!m.Klasses.CollectLinkedLessons(l.Klass, l.Lesson, lists)) return false;
  w_.SetSelection(lists, IsDraft(g) ? 1 : 0, h, h);
  postToTag(kTagMainWindow, kMsgManualRegime);
  return true;
}

// ---- group commands ------------------------------------------------------------------------

void TVarManualEdit::GroupToDrafts(int row) {
  if (Blocked()) return;
  TTableVarItem& var = w_.Var();
  TRunModel& m = w_.Model();
  const int day = w_.CurrentDay();
  const TDraftSpace space = CheckGroupDraftSpace(var, day, row);
  if (space.result == TDraftSpace::TeacherFull || space.result == TDraftSpace::KlassFull) {
    const bool teacher = space.result == TDraftSpace::TeacherFull;
    const std::string name = teacher ? m.Teachers[space.who]->DisplayName() : m.Klasses[space.who]->DisplayName();
    const auto hold = w_.HoldBusy();
    QString dayName = QLocale().dayName(day, QLocale::LongFormat);
    ShowErrMsgText(OwnerOf(&w_),
                   LoadResStr(teacher ? kMsgTeacherDraft : kMsgKlassDraft) + name + " (" + FromQt(dayName) + ")" +
                       LoadResStr(kMsgNoRoom),
                   kBoxOk);
    return;
  }
  if (space.result != TDraftSpace::Ok) return;
  if (RegroupDay(m, var, day, row, false)) Edited();
}

void TVarManualEdit::GroupClear(int row) {
  if (Blocked() || w_.Model().Klasses.Count() == 0) return;
  if (RegroupDay(w_.Model(), w_.Var(), w_.CurrentDay(), row, true)) Edited();
}

}  // namespace korvant
