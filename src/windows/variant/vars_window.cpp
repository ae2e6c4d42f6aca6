#include "windows/variant/vars_window.h"
#include "windows/variant/vars_window_scope.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSlider>
#include <QTabWidget>

#include "controls/form_util.h"
#include "core/planning/day_planner.h"
#include "core/project/project.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "windows/planning/var_options_dlg.h"
#include "windows/shell/error_box.h"
#include "windows/shell/program_folders.h"
#include "windows/shell/tool_glyphs.h"
#include "windows/variant/details_window.h"
#include "windows/variant/statistics_dlg.h"
#include "windows/variant/var_manual_edit.h"

namespace korvant {

namespace {

constexpr int kMsgVarExtension = 10010;
constexpr int kMsgSaveVarTitle = 10011;
constexpr int kMsgOpenVarTitle = 10012;
constexpr int kMsgVarFilter = 10013;
constexpr int kMsgModifiedSuffix = 10017;
constexpr int kMsgReadOnlySuffix = 10416;
constexpr int kMsgVarAlreadyOpen = 10057;
constexpr int kMsgNoLessonsPlaced = 10154;

constexpr int kClientWidth = 622;
constexpr int kClientHeight = 370;

// "Text (*.rsp)|*.RSP" as a Qt name filter that matches either case.
QString VarNameFilter() {
  const QString f = ResQ(kMsgVarFilter);
  const int bar = f.indexOf(QLatin1Char('|'));
  if (bar < 0) return f;
  QString desc = f.left(bar);
  const QString pattern = f.mid(bar + 1);
  const QString inDesc = QLatin1Char('(') + pattern.toLower() + QLatin1Char(')');
  const QString both = QLatin1Char('(') + pattern.toLower() + QLatin1Char(' ') + pattern + QLatin1Char(')');
  if (desc.contains(inDesc)) return desc.replace(inDesc, both);
  return desc + QLatin1Char(' ') + both;
}

const char* const kGridPages[kVarGridCount] = {"Классы", "Учителя", "Черновик (классы)", "Черновик (учителя)",
                                              "Кабинеты"};
const int kGridHelp[kVarGridCount] = {181, 182, 183, 184, 185};

}  // namespace

std::shared_ptr<void> TTableVarsManager::HoldBusy() { return std::make_shared<BusyScope>(*this); }

// ---- building -----------------------------------------------------------------------

TTableVarsManager* TTableVarsManager::CreateNew(TMdiTable& project, QMdiArea& workspace, TVarsWindowHooks hooks) {
  auto doc = TVarDocument::CreateNew(project.Data(), NewVariantFileName(ProgramFolder()));
  auto* w = new TTableVarsManager(project, workspace, std::move(doc), std::move(hooks));
  QPointer<TTableVarsManager> alive(w);
  w->EditVarOptions();
  // Freed while its options were open: nothing to hand over.
  return alive && !alive->Withdrawn() ? alive.data() : nullptr;
}

TTableVarsManager* TTableVarsManager::Load(TMdiTable& project, QMdiArea& workspace, const std::filesystem::path& fileName,
                                           TVarsWindowHooks hooks) {
  auto doc = TVarDocument::Open(project.Data(), fileName, OwnerOf(workspace.window()));
  if (!doc) return nullptr;
  return new TTableVarsManager(project, workspace, std::move(doc), std::move(hooks));
}

TTableVarsManager::TTableVarsManager(TMdiTable& project, QMdiArea& workspace, std::unique_ptr<TVarDocument> doc,
                                     TVarsWindowHooks hooks)
    : project_(project), doc_(std::move(doc)), hooks_(std::move(hooks)) {
  SharedState& s = Shared();
  s.CurVarsWindow = this;
  s.PlanningRunning = 0;
  setMessageTag(kTagVariantWindow);
  SetWindowTag(this, kTagVariantWindow);
  SetHelpContext(this, 7);
  doc_->Owner = OwnerOf(this);
  doc_->AskSaveName = [this](const std::filesystem::path& folder, std::filesystem::path& name) {
    return ExecVarFileDialog(folder, name, true);
  };
  const QString point = QLocale().decimalPoint();
  if (!point.isEmpty()) {
    const std::string p = FromQt(point.left(1));
    if (p.size() == 1) decimalPoint_ = p[0];
  }
  BuildForm();
  manual_ = std::make_unique<TVarManualEdit>(*this);

  TRunModel& m = doc_->Model();
  s.CurRooms = &m.Rooms;
  s.CurSubjects = &m.Subjects;
  s.CurKlasses = &m.Klasses;
  s.CurTeachers = &m.Teachers;
  // The details window starts on the first lesson of the first klass.
  if (m.Klasses.Count() > 0 && m.Klasses[0]->Lessons.Count() > 0)
    m.Klasses.CollectLinkedLessons(0, 0, selection_);

  s.VarIsNew = doc_->IsNew ? 1 : 0;
  s.SetVarModified(false);
  FillDayCombo();
  s.AutoSaving = 0;
  s.FindBest = 0;
  s.PlanningRegime = 2;
  s.ProjParams = &project_.Params();
  s.VarOptions = &doc_->Options;
  {
    const QSignalBlocker block(switch_);
    switch_->setValue(s.VerticalView == 1 ? 0 : 1);
  }
  // The headings show the week's counts that the day's preparation
  // computes; the tables are fitted to them.
  PrepareDay();
  SetupTables();
  SelectDay(doc_->Day);
  s.CurDay = static_cast<uint8_t>(doc_->Day);
  // The regime the window starts in, whatever the file's byte says, so
  // that the main window's regime commands match what is shown.
  sendToTag(kTagMainWindow, kMsgRegime, 2);
  UpdateCaption();
  ShowOver(workspace);
}

TTableVarsManager::~TTableVarsManager() {
  FreeDetailsWindow();
  Withdraw();
  doc_.reset();
}

void TTableVarsManager::BuildForm() {
  resize(kClientWidth, kClientHeight);
  dayLabel_ = NewLabel(Ru("День недели:"), this);
  dayLabel_->setGeometry(8, 11, 86, 16);
  dayCombo_ = new QComboBox(this);
  dayCombo_->setGeometry(94, 8, 120, 21);
  SetHelpContext(dayCombo_, 171);
  connect(dayCombo_, &QComboBox::currentIndexChanged, this, &TTableVarsManager::DayComboChanged);

  auto runButton = [this](int left, const char* hint, ToolGlyph glyph, VariantCommand c) {
    auto* b = new TPrgSpeedButton(this);
    b->setGeometry(left, 7, 24, 24);
    b->SetFlat(true);
    b->SetGlyph(DrawToolGlyph(glyph));
    b->setToolTip(Ru(hint));
    b->setEnabled(false);
    b->hide();
    connect(b, &TPrgSpeedButton::Clicked, this, [this, c] { Command(c); });
    return b;
  };
  tryMore_ = runButton(16, "Продолжить", ToolGlyph::RunContinue, VariantCommand::Continue);
  abort_ = runButton(44, "Прервать", ToolGlyph::RunAbort, VariantCommand::Abort);
  runNote_ = NewLabel(this);
  runNote_->setWordWrap(true);
  runNote_->hide();

  const TOrientationSwitch sw = MakeOrientationSwitch(this);
  switchPanel_ = sw.Panel;
  switch_ = sw.Slider;
  vertLabel_ = sw.Vert;
  horzLabel_ = sw.Horz;
  connect(switch_, &QSlider::valueChanged, this, &TTableVarsManager::SwitchChanged);

  pages_ = new QTabWidget(this);
  pages_->move(8, 37);
  SetHelpContext(pages_, 180);
  for (int g = 0; g < kVarGridCount; ++g) {
    auto* page = new QWidget;
    auto* grid = new TSchoolTable(page);
    grid->move(4, 4);
    grid->SetFillWidth(true);
    SetHelpContext(grid, kGridHelp[g]);
    const auto kind = static_cast<TVarGrid>(g);
    grid->OnGetDateElement = [this, kind](TSchoolTable&, int col, int row, THourElementRecord& rec) {
      if (doc_) rec = VarCellContent(View(), kind, col, row, decimalPoint_);
    };
    if (kind != TVarGrid::Rooms) grid->installEventFilter(this);
    grids_[static_cast<std::size_t>(g)] = grid;
    pages_->addTab(page, Ru(kGridPages[g]));
  }
  LayOut();
}

void TTableVarsManager::ShowOver(QMdiArea& workspace) {
  sub_ = workspace.addSubWindow(this, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                          Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
  sub_->setAttribute(Qt::WA_DeleteOnClose, false);
  SetWindowTag(sub_, kTagVariantWindow);
  sub_->setWindowTitle(windowTitle());
  sub_->setGeometry(QRect(QPoint(0, 0), workspace.viewport()->size()));
  sub_->show();
  show();
}

TVarCellView TTableVarsManager::View() const {
  TVarCellView v;
  v.Model = &doc_->Model();
  v.Var = &doc_->Var();
  v.Day = doc_->Day;
  v.Vertical = Shared().VerticalView == 1;
  v.TeachersWills = doc_->Options.TeachersWills;
  return v;
}

void TTableVarsManager::PrepareDay() {
  doc_->PrepareDay();
  PrepareDayNorms(doc_->Model(), doc_->Var(), doc_->Day);
}

void TTableVarsManager::FillDayCombo() {
  filling_ = true;
  dayCombo_->clear();
  const QLocale locale;
  for (int d = 1; d <= 6; ++d) {
    QString name = locale.dayName(d, QLocale::LongFormat);
    if (!name.isEmpty()) name[0] = name[0].toUpper();
    dayCombo_->addItem(name, d);
  }
  filling_ = false;
}

// ---- publishing -------------------------------------------------------------------------

void TTableVarsManager::Withdraw() {
  withdrawn_ = true;
  setMessageTag(kNoTag);
  SetWindowTag(this, kNoTag);
  if (sub_) SetWindowTag(sub_, kNoTag);
  SharedState& s = Shared();
  if (s.CurVarsWindow == this) s.CurVarsWindow = nullptr;
  if (!doc_) return;
  TRunModel& m = doc_->Model();
  if (s.CurRooms == &m.Rooms) s.CurRooms = nullptr;
  if (s.CurSubjects == &m.Subjects) s.CurSubjects = nullptr;
  if (s.CurKlasses == &m.Klasses) s.CurKlasses = nullptr;
  if (s.CurTeachers == &m.Teachers) s.CurTeachers = nullptr;
  if (s.VarOptions == &doc_->Options) s.VarOptions = nullptr;
  if (s.ProjParams == &project_.Params()) s.ProjParams = nullptr;
}

void TTableVarsManager::Free() {
  if (freePending_) return;
  // A run of this window on the stack ends before the window can go.
  if (runActive_) {
    Shared().AbortPlanning = 1;
    Shared().WaitUser = 0;
  }
  FreeDetailsWindow();
  Withdraw();
  if (busy_ > 0) {
    // One of this window's dialogs or boxes is still open: it goes when
    // that loop has returned.
    freePending_ = true;
    if (sub_) sub_->hide();
    hide();
    return;
  }
  if (sub_) delete sub_;  // takes this window with it
  else delete this;
}

void TTableVarsManager::FreeDetailsWindow() {
  if (!details_) return;
  QWidget* d = details_;
  details_ = nullptr;
  if (auto* frame = qobject_cast<QMdiSubWindow*>(d->parentWidget())) d = frame;
  d->hide();
  d->deleteLater();
}

QWidget* TTableVarsManager::CreateDetailsWindow() {
  QMdiArea* area = sub_ ? sub_->mdiArea() : nullptr;
  if (!area) return nullptr;
  const auto hours = static_cast<uint16_t>(((selectedHours_[0] & 0xFF) << 8) | (selectedHours_[1] & 0xFF));
  auto* details = new TTableDetailsManeger(nullptr, Model(), Var(), selection_, selectionKind_ == 1, hours);
  QMdiSubWindow* frame = area->addSubWindow(details, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                         Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
  frame->setAttribute(Qt::WA_DeleteOnClose, false);
  frame->setWindowTitle(windowTitle());
  frame->setGeometry(QRect(QPoint(0, 0), area->viewport()->size()));
  frame->show();
  details->show();
  return details;
}

void TTableVarsManager::SetDetailsCaption(const QString& caption) {
  if (!details_) return;
  details_->setWindowTitle(caption);
  if (auto* frame = qobject_cast<QMdiSubWindow*>(details_->parentWidget())) frame->setWindowTitle(caption);
}

void TTableVarsManager::RepaintDetailsWindow() {
  if (auto* details = qobject_cast<TTableDetailsManeger*>(details_.data())) details->InvalidateTables();
}

// ---- tables -----------------------------------------------------------------------------

void TTableVarsManager::SetupTables() {
  const bool vertical = Shared().VerticalView == 1;
  const TRunModel& m = doc_->Model();
  const int L = doc_->Var().LessonsPerDay();
  for (int g = 0; g < kVarGridCount; ++g) {
    TSchoolTable* grid = grids_[static_cast<std::size_t>(g)];
    grid->SetOrientation(vertical);
    const int count = VarGridEntityCount(m, static_cast<TVarGrid>(g));
    grid->SetColCount(vertical ? L + 1 : count + 1);
    grid->SetRowCount(vertical ? count + 1 : L + 1);
    // A grid that had only its heading lost its fixed line; give it back.
    if (grid->RowCount() > 1 && grid->FixedRows() < 1) grid->SetFixedRows(1);
    if (grid->ColCount() > 1 && grid->FixedCols() < 1) grid->SetFixedCols(1);
    // Rows as high as the lines their cells show today, not all of them as
    // high as the largest lesson of the school.
    grid->SetSubRowsCnt(2);
    grid->EqualizeCells();
    grid->SetFitRows(true);
  }
  InvalidateTables();
}

void TTableVarsManager::InvalidateTables() {
  for (TSchoolTable* g : grids_) g->Redraw();
}

void TTableVarsManager::RecalcTables(bool byGroup) {
  doc_->Var().CountTeachersFreeDays(byGroup, doc_->Day);
  PrepareDayNorms(doc_->Model(), doc_->Var(), doc_->Day);
}

void TTableVarsManager::UpdateCaption() {
  QString caption = ToQt(ShownVarName(doc_->FileName));
  if (GetVarModified()) caption += ResQ(kMsgModifiedSuffix);
  // Another copy of the program has the file, or the user may not write
  // it: saving asks for a new name.
  if (doc_->ReadOnly) caption += ResQ(kMsgReadOnlySuffix);
  setWindowTitle(caption);
  if (sub_) sub_->setWindowTitle(caption);
  if (details_) SetDetailsCaption(caption);
}

void TTableVarsManager::SelectDay(int day) {
  if (day < 1 || day > 6) return;
  dayCombo_->setCurrentIndex(day - 1);
  DayComboChanged(day - 1);
}

void TTableVarsManager::DayComboChanged(int index) {
  if (filling_ || !doc_ || index < 0) return;
  const int day = dayCombo_->itemData(index).toInt();
  if (day < 1 || day > 6 || day == doc_->Day) return;
  BusyScope busy(*this);
  doc_->SetDay(day);
  Shared().CurDay = static_cast<uint8_t>(day);
  sendToTag(kTagMainWindow, kMsgDayChanged);
  if (withdrawn_) return;
  InvalidateTables();
}

void TTableVarsManager::SwitchChanged(int position) {
  const uint8_t vertical = position == 0 ? 1 : 0;
  if (vertical == Shared().VerticalView) return;
  Shared().VerticalView = vertical;
  SetupTables();
}

// ---- regime and options ------------------------------------------------------------------

void TTableVarsManager::SetRegime(int regime) {
  SharedState& s = Shared();
  s.PlanningRegime = static_cast<uint8_t>(regime);
  BusyScope busy(*this);
  if (regime == 0) {
    if (!details_) {
      details_ = CreateDetailsWindow();
      // Without a details window the timetable stays in view.
      if (details_) {
        if (sub_) sub_->hide();
        SetDetailsCaption(windowTitle());
      }
    }
  } else if (regime == 2) {
    const int position = s.VerticalView == 1 ? 0 : 1;
    if (switch_->value() != position) {
      const QSignalBlocker block(switch_);
      switch_->setValue(position);
      SetupTables();
    }
    if (sub_) sub_->show();
    show();
    // The details window may have changed the day.
    if (s.CurDay >= 1 && s.CurDay <= 6) SelectDay(s.CurDay);
    FreeDetailsWindow();
  }
}

void TTableVarsManager::EditVarOptions() {
  if (withdrawn_) return;
  BusyScope busy(*this);
  bool accepted = false;
  {
    TVarOptionsDlg dlg(this, ShownVarName(doc_->FileName), doc_->Options);
    accepted = hooks_.optionsDialog ? hooks_.optionsDialog(dlg) : dlg.Run();
  }
  // Freed while the dialog was open: the variant is no longer the open one.
  if (!accepted || withdrawn_) return;
  TRunModel& m = doc_->Model();
  m.TeachersWills = doc_->Options.TeachersWills;
  m.Teachers.CountDayWishes();
  if (isHidden() || (sub_ && sub_->isHidden())) RepaintDetailsWindow();
  else InvalidateTables();
  SetVarModified(true);
}

// ---- saving ------------------------------------------------------------------------------

int TTableVarsManager::QuerySave() {
  if (withdrawn_) return kQuerySaved;
  BusyScope busy(*this);
  const int answer = doc_->QuerySaveVar();
  Shared().VarIsNew = doc_->IsNew ? 1 : 0;
  if (!withdrawn_) UpdateCaption();
  return answer;
}

void TTableVarsManager::Save(int mode) {
  if (withdrawn_) return;
  BusyScope busy(*this);
  doc_->SaveVar(mode);
  Shared().VarIsNew = doc_->IsNew ? 1 : 0;
  // The name may have changed without the modified mark changing.
  if (!withdrawn_) UpdateCaption();
}

bool TTableVarsManager::ExecVarFileDialog(const std::filesystem::path& folder, std::filesystem::path& name,
                                          bool save) {
  BusyScope busy(*this);
  FileDialogRequest req;
  req.save = save;
  req.title = ResQ(save ? kMsgSaveVarTitle : kMsgOpenVarTitle);
  req.folder = QDir::cleanPath(QtFromPath(folder.empty() ? VariantFolder() : folder));
  req.proposed = save ? QtFromPath(name) : QString();
  req.filter = VarNameFilter();
  req.defaultSuffix = ResQ(kMsgVarExtension);
  QString chosen;
  if (hooks_.fileDialog) {
    if (!hooks_.fileDialog(req, chosen) || chosen.isEmpty()) return false;
  } else {
    QFileDialog dlg(this, req.title, req.folder);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilter(req.filter);
    dlg.setDefaultSuffix(req.defaultSuffix);
    if (save && !req.proposed.isEmpty()) dlg.selectFile(req.proposed);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    chosen = dlg.selectedFiles().constFirst();
  }
  name = PathFromQt(QDir::toNativeSeparators(chosen));
  return true;
}

std::filesystem::path TTableVarsManager::SelectVarFile() {
  if (withdrawn_) return {};
  BusyScope busy(*this);
  std::filesystem::path name;
  if (!ExecVarFileDialog(doc_->FileName.parent_path(), name, false) || withdrawn_) return {};
  if (SameFileName(name, doc_->FileName)) {
    ShowErrMsgText16(OwnerOf(this), FormatMsg16(kMsgVarAlreadyOpen, {ShownVarName(doc_->FileName)}), kBoxOk);
    return {};
  }
  return name;
}

void TTableVarsManager::Command(VariantCommand command) {
  if (withdrawn_) return;
  BusyScope busy(*this);
  if (command == VariantCommand::Options) EditVarOptions();
  else if (command == VariantCommand::Statistics) ShowStatistics();
  else RunPlanningCommand(command);
}

// ---- messages and events -----------------------------------------------------------------

void TTableVarsManager::ShowStatistics() {
  if (!VariantHasLessons(Var())) {
    ShowErrMsgText(OwnerOf(this), LoadResStr(kMsgNoLessonsPlaced), kBoxOk);
    return;
  }
  TViewStatDlg dlg(this, this, Model().Klasses.Count());
  dlg.ShowModal();
}

MsgResult TTableVarsManager::handleMessage(uint32_t msg, MsgParam w, MsgParam l) {
  if (HandlePlanningMessage(msg, w, l)) return 0;
  if (msg == kMsgStatisticsFill && !withdrawn_) {
    if (auto* grid = reinterpret_cast<TStringGrid*>(w))
      FillStatisticsGrid(*grid, Var(), Model().Klasses, decimalPoint_);
    return 0;
  }
  if ((msg == kMsgGroupToDraft || msg == kMsgGroupClear) && !withdrawn_) {
    BusyScope busy(*this);
    if (msg == kMsgGroupToDraft) manual_->GroupToDrafts(static_cast<int>(w));
    else manual_->GroupClear(static_cast<int>(w));
    return 0;
  }
  if (msg != kMsgVarModified || withdrawn_) return 0;
  BusyScope busy(*this);
  if (w == kVarModifiedCaption) {
    UpdateCaption();
    return 0;
  }
  if (w == kVarModifiedSaveQuery) return QuerySave();
  return 0;
}

void TTableVarsManager::VarModifiedChanged() { postMessage(this, kMsgVarModified, kVarModifiedCaption); }

void TTableVarsManager::closeEvent(QCloseEvent* e) {
  // Closing only hides the window; the main window frees it.
  e->ignore();
  if (withdrawn_) return;
  BusyScope busy(*this);
  // Asked before anything stops: a run is still on the stack below the
  // question, so "Отмена" leaves it running or paused as it was.
  if (QuerySave() == kQueryCancelled || withdrawn_) return;
  SharedState& s = Shared();
  if (s.PlanningRunning) {
    s.AbortPlanning = 1;
    s.WaitUser = 0;
    postToTag(kTagMainWindow, kMsgAbortWait, kAbortWaitLeavePlanning);
    return;
  }
  if (sub_) sub_->hide();
  postToTag(kTagMainWindow, kMsgLeavePlanning);
}

void TTableVarsManager::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  LayOut();
}

void TTableVarsManager::LayOut() {
  const int w = width();
  const int h = height();
  const int left = std::max(w - 88, 500);
  switchPanel_->move(left, 1);
  runNote_->setGeometry(76, 2, left - 84, 34);
  vertLabel_->setGeometry(left + 42, 2, 40, 14);
  horzLabel_->setGeometry(left + 42, 20, 40, 14);
  pages_->resize(std::max(w - 17, 40), std::max(h - 45, 40));
  for (TSchoolTable* g : grids_) g->resize(std::max(pages_->width() - 21, 20), std::max(pages_->height() - 46, 20));
  const int day = Shared().CurDay;
  if (doc_ && day >= 1 && day <= 6 && dayCombo_->currentIndex() != day - 1) {
    const QSignalBlocker block(dayCombo_);
    dayCombo_->setCurrentIndex(day - 1);
  }
  if (details_) {
    QWidget* d = details_;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(d->parentWidget())) d = frame;
    const QWidget* self = sub_ ? static_cast<QWidget*>(sub_) : this;
    if (d->geometry() != QRect(QPoint(0, 0), self->size())) {
      d->hide();
      d->setGeometry(QRect(QPoint(0, 0), self->size()));
      d->show();
    }
  }
}

bool TTableVarsManager::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::FocusOut) {
    // The fair grid and its draft scroll together.
    auto twin = [this](TVarGrid g) -> TSchoolTable* {
      switch (g) {
        case TVarGrid::Klasses: return Grid(TVarGrid::KlassesDraft);
        case TVarGrid::KlassesDraft: return Grid(TVarGrid::Klasses);
        case TVarGrid::Teachers: return Grid(TVarGrid::TeachersDraft);
        case TVarGrid::TeachersDraft: return Grid(TVarGrid::Teachers);
        default: return nullptr;
      }
    };
    for (int g = 0; g < kVarGridCount; ++g) {
      if (watched != grids_[static_cast<std::size_t>(g)]) continue;
      const TSchoolTable* from = grids_[static_cast<std::size_t>(g)];
      if (TSchoolTable* to = twin(static_cast<TVarGrid>(g))) {
        if (from->LeftCol() < to->ColCount()) to->SetLeftCol(from->LeftCol());
        if (from->TopRow() < to->RowCount()) to->SetTopRow(from->TopRow());
      }
    }
  }
  return QWidget::eventFilter(watched, e);
}

// ---- the main window's interface ---------------------------------------------------------

std::unique_ptr<IVariantWindow> TVarsWindowFactory::Create(TMdiTable& project, QMdiArea& workspace) {
  TTableVarsManager* w = TTableVarsManager::CreateNew(project, workspace, hooks);
  if (!w) return nullptr;
  return std::make_unique<TVarsWindowHandle>(w);
}

std::unique_ptr<IVariantWindow> TVarsWindowFactory::Load(TMdiTable& project, QMdiArea& workspace,
                                                         const std::filesystem::path& fileName) {
  TTableVarsManager* w = TTableVarsManager::Load(project, workspace, fileName, hooks);
  if (!w) return nullptr;
  return std::make_unique<TVarsWindowHandle>(w);
}

TVarsWindowHandle::~TVarsWindowHandle() {
  if (w_) w_->Free();
}

QWidget* TVarsWindowHandle::Window() {
  if (!w_) return nullptr;
  return w_->SubWindow() ? static_cast<QWidget*>(w_->SubWindow()) : w_.data();
}

int TVarsWindowHandle::QuerySave() { return w_ ? w_->QuerySave() : kQuerySaved; }

void TVarsWindowHandle::Save(int tag) {
  if (w_) w_->Save(tag);
}

void TVarsWindowHandle::SetRegime(int regime) {
  if (w_) w_->SetRegime(regime);
}

std::filesystem::path TVarsWindowHandle::SelectVarFile() { return w_ ? w_->SelectVarFile() : std::filesystem::path(); }

void TVarsWindowHandle::Command(VariantCommand command) {
  if (w_) w_->Command(command);
}

}  // namespace korvant
