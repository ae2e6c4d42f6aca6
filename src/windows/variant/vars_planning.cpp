// The variant window's planning commands and the run protocol of the two
// day searches (placement and optimisation).
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>

#include "base/cp1251.h"
#include "controls/form_util.h"
#include "core/common/catalogue.h"
#include "core/common/file_io.h"
#include "core/planning/day_planner.h"
#include "core/planning/room_assign.h"
#include "platform/qt_text.h"
#include "reports/print_table_dlg.h"
#include "reports/zamesh_journal_dlg.h"
#include "windows/planning/group_man.h"
#include "windows/planning/planning_host_windows.h"
#include "windows/planning/prepare_dlgs.h"
#include "windows/planning/week_vars_dlg.h"
#include "windows/shell/error_box.h"
#include "windows/variant/vars_window.h"
#include "windows/variant/vars_window_scope.h"

namespace korvant {

namespace {

constexpr int kMsgVarExtension = 10010;
constexpr int kMsgDayEmpty = 10059;
constexpr int kMsgGroupEmpty = 10060;
constexpr int kMsgTeacherNoRoom = 10174;
constexpr int kMsgKlassNoRoom = 10175;
constexpr int kMsgNoRoomTail = 10176;
constexpr int kMsgFictHour = 10177;
constexpr int kMsgFictKlass = 10178;
constexpr int kMsgFictTail = 10179;
constexpr int kMsgSepHour = 10180;
constexpr int kMsgSepKlass = 10181;
constexpr int kMsgSepTail = 10182;
constexpr int kMsgPartnerHour = 10183;
constexpr int kMsgPartnerTeacher = 10184;
constexpr int kMsgPartnerWith = 10185;
constexpr int kMsgPartnerTail = 10186;
constexpr int32_t kSeparatedOffset = 1000000;

}  // namespace

// ---- commands ------------------------------------------------------------------------

void TTableVarsManager::RunPlanningCommand(VariantCommand command) {
  // A command that starts something new waits until the run has ended;
  // only the run's own commands reach it meanwhile.
  const bool running = Shared().PlanningRunning != 0 || runActive_;
  switch (command) {
    case VariantCommand::Continue: TryMoreBtnClick(); return;
    case VariantCommand::Abort: AbortPlanningBtnClick(); return;
    default: break;
  }
  if (running) return;
  switch (command) {
    case VariantCommand::Print: PrintTable(); break;
    case VariantCommand::GeneralControl: ControlData(); break;
    case VariantCommand::WeekVariants: WeekVars(); break;
    case VariantCommand::PlaceLessons: CreateVars(); break;
    case VariantCommand::Optimize: OptimizeDay(); break;
    case VariantCommand::AssignRooms: SetRooms(); break;
    case VariantCommand::Journal: ViewZamesh(); break;
    default: break;
  }
}

void TTableVarsManager::ControlData() {
  if (withdrawn_) return;
  BusyScope busy(*this);
  RecalcTables(false);
  RunControlDataDlg(this, Model(), Var(), doc_->Day);
}

void TTableVarsManager::PrintTable() {
  if (withdrawn_ || !hooks_.printTable) return;
  BusyScope busy(*this);
  hooks_.printTable(*this);
}

void RunPrintTableDlg(TTableVarsManager& window) {
  TVarDocument& doc = window.Document();
  TPrintTableDlg dlg(&window, doc.Var(), doc.Model().Params.Description, doc.Options.Description);
  dlg.ShowModal();
}

void TTableVarsManager::ViewZamesh() {
  if (withdrawn_) return;
  BusyScope busy(*this);
  korvant::ViewZamesh(this, *doc_);
}

void TTableVarsManager::SetRooms() {
  if (withdrawn_) return;
  BusyScope busy(*this);
  const int result = SetDayRooms(Var(), doc_->Day, OwnerOf(this));
  if (withdrawn_ || result == kSetRoomsNotRun) return;
  SetVarModified(true);
  InvalidateTables();
}

int TTableVarsManager::UsableGroup(int group) {
  const TRTITeachersCollection& t = Model().Teachers;
  const int32_t* row = group >= 0 && group < t.GroupCount() && group < t.Count() ? t.GroupRow(group) : nullptr;
  if (!row || t.GroupSize(group) <= 0 || row[0] < 0) {
    ShowErrMsgText(OwnerOf(this), LoadResStr(kMsgGroupEmpty), kBoxOk);
    return -1;
  }
  return group;
}

bool TTableVarsManager::TakeGroup(const TGroupChoice& choice) {
  if (!choice.Run || withdrawn_) return false;
  const int group = UsableGroup(choice.Group);
  if (group < 0) return false;
  Model().CurGroup = group;
  Shared().CurGroup = static_cast<uint32_t>(group);
  pumpMessagesOnce();
  return !withdrawn_;
}

void TTableVarsManager::WeekVars() {
  if (withdrawn_) return;
  BusyScope busy(*this);
  const int day = doc_->Day;
  RecalcTables(false);
  Model().Teachers.BuildGroups(Var(), true, day);
  const TGroupChoice choice = RunWeekGroupMan(this, Var(), Model(), day);
  if (!TakeGroup(choice)) return;
  {
    TWeekVarsDlg dlg(this, Model(), Var());
    dlg.ShowModal();
  }
  if (withdrawn_) return;
  InvalidateTables();
  SetVarModified(true);
}

void TTableVarsManager::CreateVars() {
  if (withdrawn_ || Shared().PlanningRunning || runActive_) return;
  BusyScope busy(*this);
  const int day = doc_->Day;
  Model().Teachers.BuildGroups(Var(), true, day);
  const TGroupChoice choice = RunGroupMan(this, Var(), Model(), day, 0);
  if (!TakeGroup(choice)) return;
  RecalcTables(true);
  if (!RunPrepareDataDlg(this, Model(), Var(), day) || withdrawn_) return;
  RunPlanner(false);
}

void TTableVarsManager::OptimizeDay() {
  if (withdrawn_ || Shared().PlanningRunning || runActive_) return;
  BusyScope busy(*this);
  const int day = doc_->Day;
  if (Var().DayIsEmpty(day)) {
    ShowErrMsgText(OwnerOf(this), LoadResStr(kMsgDayEmpty), kBoxOk);
    return;
  }
  Model().Teachers.BuildGroups(Var(), false, day);
  const TGroupChoice choice = RunGroupMan(this, Var(), Model(), day, 1);
  if (!TakeGroup(choice)) return;
  RecalcTables(true);
  if (!RunPrepareOptiDlg(this, Model(), Var(), day, doc_->Options.MaxWindowsAtDay) || withdrawn_) return;
  pumpMessagesOnce();
  if (withdrawn_ || !OptimizeChecks() || withdrawn_) return;
  Shared().BestDepth = -1;
  RunPlanner(true);
}

// The day must hold every lesson of its fair copy and draft, and the fair
// copy must not break the rules the search keeps; each doubtful lesson is a
// question, "Да" stops.
bool TTableVarsManager::OptimizeChecks() {
  const TRunModel& m = Model();
  const TTableVarItem& var = Var();
  const int day = doc_->Day;
  const int L = var.LessonsPerDay();
  const PromptOwner owner = OwnerOf(this);
  const SharedState& s = Shared();
  auto tell = [&](int head, const std::string& name) {
    ShowErrMsgText(owner, LoadResStr(head) + name + LoadResStr(kMsgNoRoomTail), kBoxOk);
    return false;
  };
  auto stopAt = [&](int a, int h, int b, const std::string& name, const std::string& rest) {
    const std::string text = LoadResStr(a) + std::to_string(h) + LoadResStr(b) + name + rest;
    return ShowErrMsgText(owner, text, kBoxYesNo) == kResYes;
  };

  if (const int32_t* row = m.Teachers.GroupRow(m.CurGroup)) {
    const int n = m.Teachers.GroupSize(m.CurGroup);
    for (int i = 0; i < n && row[i] >= 0; ++i) {
      const TRTITeacherItem* t = m.Teachers[row[i]];
      if (!t) continue;
      int closed = 0;
      for (int h = 1; h <= L && h < static_cast<int>(t->HourMarks.size()); ++h) closed += t->HourMarks[static_cast<std::size_t>(h)] == 999;
      if (var.CountTeacherFair(row[i], day) + var.CountTeacherDraft(row[i], day) + closed > L)
        return tell(kMsgTeacherNoRoom, t->DisplayName());
    }
  }

  for (int k = 0; k < m.Klasses.Count(); ++k) {
    const TRTIKlassItem* klass = m.Klasses[k];
    const int F = var.CountKlassFair(k, day) + var.CountKlassDraft(k, day);
    if (F + klass->DayClosedHours[static_cast<std::size_t>(day - 1)] > L)
      return tell(kMsgKlassNoRoom, klass->DisplayName());
    auto idAt = [&](int h) -> int32_t {
      const TTableCell c = var.GetCell(k, day, h);
      if (c.Lesson < 0 || c.Lesson >= klass->Lessons.Count()) return -1;
      return klass->Lessons[c.Lesson]->ID();
    };
    int c = 0;
    for (int h = L; h >= 1; --h) {
      const TTableCell cell = var.GetCell(k, day, h);
      if (cell.Lesson < 0 || cell.Lesson >= klass->Lessons.Count()) continue;
      const TRTILessonItem* lesson = klass->Lessons[cell.Lesson];
      ++c;
      if (s.UseAttachedRooms) {
        for (int g = 0; g < lesson->SubItemsCount(); ++g) {
          const int teacher = lesson->RT[static_cast<std::size_t>(g)].Teacher;
          if (teacher < 0 || teacher >= m.Teachers.Count()) continue;
          for (int32_t partner : m.Teachers[teacher]->Partners) {
            if (partner < 0) break;
            if (partner >= m.Teachers.Count()) continue;
            int pk = 0, pg = 0, links = 0;
            if (!var.FindTeacherLesson(partner, h, day, pk, pg, links)) continue;
            const std::string rest = LoadResStr(kMsgPartnerWith) + m.Teachers[partner]->DisplayName() +
                                     LoadResStr(kMsgPartnerTail);
            if (stopAt(kMsgPartnerHour, h, kMsgPartnerTeacher, m.Teachers[teacher]->DisplayName(), rest))
              return false;
          }
        }
      }
      if (s.UseSepQuants) {
        const int32_t id = lesson->ID();
        const bool below = h > 1 && idAt(h - 1) >= 0 && idAt(h - 1) == id - kSeparatedOffset;
        const bool above = h < L && idAt(h + 1) >= 0 && idAt(h + 1) == id - kSeparatedOffset;
        if (below && stopAt(kMsgSepHour, h, kMsgSepKlass, klass->DisplayName(), LoadResStr(kMsgSepTail)))
          return false;
        if (above && stopAt(kMsgSepHour, h, kMsgSepKlass, klass->DisplayName(), LoadResStr(kMsgSepTail)))
          return false;
      }
      if (cell.PrevHour != -1) continue;  // not the first hour of its block
      if (!lesson->HasTeacherlessGroup) {
        c = 0;
        continue;
      }
      // At an hour the klass's day may begin at (a closed first hour gives
      // way to the next open one), or as the last block of a day begun at one.
      const uint32_t starts = KlassDayStarts(*klass, day, L);
      const auto startsAt = [&](int hour) { return hour >= 1 && hour <= L && ((starts >> (hour - 1)) & 1u) != 0; };
      const bool accepted = (startsAt(h) && h + F - 1 <= L) || startsAt(h - F + c);
      if (!accepted && stopAt(kMsgFictHour, h, kMsgFictKlass, klass->DisplayName(), LoadResStr(kMsgFictTail)))
        return false;
    }
  }
  return true;
}

// ---- the run -------------------------------------------------------------------------------

void TTableVarsManager::RunPlanner(bool optimise) {
  SharedState& s = Shared();
  BusyScope busy(*this);
  // Running before anything is pumped: an abort wait of the main window
  // then waits for this run instead of freeing the window under it.
  s.PlanningRunning = 1;
  s.SolutionsFound = 0;
  s.AbortPlanning = 0;
  s.WaitUser = 0;
  runActive_ = true;
  runOptimise_ = optimise;
  runNote_->hide();
  runSaves_ = 0;
  saveOffset_ = 0;
  struct EndGuard {
    TTableVarsManager& w;
    ~EndGuard() { w.EndRun(); }
  } guard{*this};

  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  dayLabel_->hide();
  dayCombo_->hide();
  tryMore_->setEnabled(false);
  tryMore_->show();
  abort_->setEnabled(true);
  abort_->show();
  pumpMessagesOnce();
  // Closed or aborted before the search began.
  if (withdrawn_ || s.AbortPlanning) return;

  TPlanningHostWindows host(this, KlassNamesOf(Model()));
  host.OnSolutionFound = [this] { sendMessage(this, kMsgSolutionFound); };
  host.OnDeeperPartial = [this] { sendMessage(this, kMsgDeeperPartial); };
  TDayPlanner planner(Model(), Var(), doc_->Day, &host);
  if (optimise) planner.OptimizeDay();
  else planner.SelectVariants();
}

void TTableVarsManager::EndRun() {
  SharedState& s = Shared();
  s.PlanningRunning = 0;
  s.WaitUser = 0;
  runActive_ = false;
  runNote_->hide();
  tryMore_->hide();
  tryMore_->setEnabled(false);
  abort_->hide();
  abort_->setEnabled(false);
  // Reopening the last saved file makes sense only when this run saved it.
  if (!withdrawn_ && s.FindBest && s.SolutionsFound > 0 && runSaves_ > 0)
    postToTag(kTagMainWindow, kMsgReopenAutoSaved);
  dayLabel_->show();
  dayCombo_->show();
  if (s.CurDay >= 1 && s.CurDay <= 6) {
    const QSignalBlocker block(dayCombo_);
    dayCombo_->setCurrentIndex(s.CurDay - 1);
  }
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningFinished);
  if (!withdrawn_) InvalidateTables();
}

void TTableVarsManager::SolutionStep() {
  InvalidateTables();
  SetVarModified(true);
  // A placement solution places the group's lessons within each klass's
  // day and keeps the day's other hours for the lessons of other groups:
  // a klass may show a late first lesson or a free hour between lessons,
  // which those lessons are to fill.
  if (!runOptimise_) {
    runNote_->setText(Ru("Расставлены только уроки выбранной группы учителей; свободные часы в дне класса "
                         "оставлены для уроков других групп."));
    runNote_->show();
  }
  if (Shared().AutoSaving) {
    SaveOptiVariant();
    return;
  }
  tryMore_->setEnabled(true);
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningPaused);
}

void TTableVarsManager::TryMoreBtnClick() {
  // Without a run "running" would leave the main window's commands off.
  if (!Shared().PlanningRunning) return;
  sendToTag(kTagMainWindow, kMsgPlanningState, kPlanningRunning);
  tryMore_->setEnabled(false);
  Shared().WaitUser = 0;
}

void TTableVarsManager::AbortPlanningBtnClick() {
  SharedState& s = Shared();
  if (!s.PlanningRunning) return;
  s.WaitUser = 0;
  s.AbortPlanning = 1;
}

bool TTableVarsManager::SaveOptiVariant() {
  if (withdrawn_) return false;
  SharedState& s = Shared();
  const bool running = s.PlanningRunning != 0;
  const int day = doc_->Day;
  std::string base = day >= 1 && day <= dayCombo_->count() ? FromQt(dayCombo_->itemText(day - 1)) : std::string();
  if (running) base += cp1251::fromUtf8("_Опт");
  base += "_";
  const std::filesystem::path folder = doc_->FileName.parent_path();
  const std::string ext = "." + LoadResStr(kMsgVarExtension);
  // A file of that name from before (an earlier run, another variant) is
  // kept: the numbers go on past it.
  std::string name;
  for (;;) {
    name = base + std::to_string(s.SolutionsFound + static_cast<uint32_t>(saveOffset_));
    std::error_code ec;
    if (!std::filesystem::exists(folder / FsPath(name + ext), ec)) break;
    ++saveOffset_;
  }
  BusyScope busy(*this);
  if (!doc_->SaveVarNamed(name)) {
    // Told by the file's own message; the run stops.
    if (running) AbortPlanningBtnClick();
    return false;
  }
  ++runSaves_;
  s.LastAutoSavedFile = doc_->FileName;
  s.VarIsNew = 0;
  if (!withdrawn_) UpdateCaption();
  if (!running) return true;
  if (s.SolutionsFound < doc_->Options.MaxVarsAtDay) TryMoreBtnClick();
  else AbortPlanningBtnClick();
  return true;
}

bool TTableVarsManager::HandlePlanningMessage(uint32_t msg, MsgParam, MsgParam) {
  if (msg == kMsgSolutionFound) {
    if (withdrawn_) {
      AbortPlanningBtnClick();
      return true;
    }
    BusyScope busy(*this);
    SolutionStep();
    return true;
  }
  if (msg == kMsgDeeperPartial) {
    if (!withdrawn_) {
      SetVarModified(true);
      InvalidateTables();
    }
    Shared().WaitUser = 0;
    return true;
  }
  return false;
}

}  // namespace korvant
