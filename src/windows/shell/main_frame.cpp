#include "windows/shell/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>

#include "controls/form_util.h"
#include "core/project/demo_project.h"
#include "platform/help_service.h"
#include "windows/shell/about_dlg.h"
#include "windows/shell/error_box.h"
#include "windows/shell/proj_params_dlg.h"
#include "windows/shell/test_data_dlg.h"
#include "windows/shell/tool_glyphs.h"

namespace korvant {

namespace {

constexpr int kMsgProgramTitle = 10000;
constexpr int kMsgSaveProjectTitle = 10003;
constexpr int kMsgProjectFilter = 10004;
constexpr int kMsgProjectExtension = 10006;
constexpr int kMsgOpenProjectTitle = 10007;

constexpr int kDataHelp = 6;
constexpr int kPlanningHelp = 7;
constexpr int kAbortWaitMs = 500;
constexpr int kToolBarHeight = 35;
constexpr const char* kItemHelp = "korvantHelpContext";

// The hourglass for the length of a command.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// The catalogue's "description|pattern" filter as a Qt name filter; file
// names on this platform are case-sensitive, so both cases of the
// extension are offered.
QString QtNameFilter(const QString& catalogueFilter) {
  const int bar = catalogueFilter.indexOf(QLatin1Char('|'));
  if (bar < 0) return catalogueFilter;
  QString desc = catalogueFilter.left(bar);
  const QString pattern = catalogueFilter.mid(bar + 1);
  const QString lower = pattern.toLower();
  const QString inDesc = QLatin1Char('(') + lower + QLatin1Char(')');
  const QString both = QLatin1Char('(') + lower + QLatin1Char(' ') + pattern + QLatin1Char(')');
  if (desc.contains(inDesc)) return desc.replace(inDesc, both);
  return desc + QLatin1Char(' ') + both;
}

// The data check writes into the window only while it is open: the user
// may close it while the checks pump the message queue.
class ReportToWindow : public IDataReport {
 public:
  explicit ReportToWindow(TTestDataDlg* dlg) : dlg_(dlg) {}
  void ClearPage(int kind) override {
    if (dlg_) dlg_->ClearPage(kind);
  }
  void AddLine(int kind, const std::string& text) override {
    if (dlg_) dlg_->AddLine(kind, text);
  }

 private:
  QPointer<TTestDataDlg> dlg_;
};

// Buttons and items that the planning run state and the regime switch.
const FrameCmd kPlanButtons[] = {
    FrameCmd::NewVariant, FrameCmd::OpenVariant, FrameCmd::SaveVariant, FrameCmd::PrintVariant,
    FrameCmd::Options, FrameCmd::EndPlanning, FrameCmd::AutoRegime, FrameCmd::ManualRegime,
    FrameCmd::WeekVariants, FrameCmd::PlaceLessons, FrameCmd::Optimize, FrameCmd::AssignRooms, FrameCmd::Control,
    FrameCmd::Statistics};
const FrameCmd kPlanItems[] = {
    FrameCmd::NewVariant, FrameCmd::OpenVariant, FrameCmd::SaveVariant, FrameCmd::SaveVariantAs,
    FrameCmd::EndPlanning, FrameCmd::PrintVariant, FrameCmd::Options, FrameCmd::PlanExit,
    FrameCmd::RegimeMenu, FrameCmd::WeekVariants, FrameCmd::PlaceLessons, FrameCmd::Optimize, FrameCmd::AssignRooms,
    FrameCmd::Control, FrameCmd::Statistics, FrameCmd::Abort, FrameCmd::Continue};
const FrameCmd kRegimeCmds[] = {FrameCmd::WeekVariants, FrameCmd::PlaceLessons, FrameCmd::Optimize, FrameCmd::AssignRooms,
                                FrameCmd::Control, FrameCmd::Statistics};
const FrameCmd kWindowItems[kEditorKinds] = {FrameCmd::WinRooms, FrameCmd::WinSubjects,
                                             FrameCmd::WinKlasses, FrameCmd::WinTeachers,
                                             FrameCmd::WinLessons};

}  // namespace

// ---- construction -------------------------------------------------------------

TPrgMdiFrame::TPrgMdiFrame(FrameServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
  setMessageTag(kTagMainWindow);
  setWindowTitle(ResQ(kMsgProgramTitle));
  setWindowIcon(QIcon(QPixmap::fromImage(DrawProgramIcon(32))));
  setContextMenuPolicy(Qt::NoContextMenu);  // the tool bars are not the user's to hide
  SetHelpContext(this, kDataHelp);

  workspace_ = new WorkspaceArea(this);
  workspace_->setClientExtStyle(kClientEdgeStyle);
  workspace_->setClientLogoResID(kWorkspaceLogoResId);
  setCentralWidget(workspace_);
  workspace_->viewport()->installEventFilter(this);
  connect(workspace_, &QMdiArea::subWindowActivated, this, [this] {
    if (activeFormHook_) UpdateMenusAndTools();
  });

  BuildMenus();
  BuildToolBars();
  SetDataMenus();
  ShowToolBar(false);

  abortTimer_.setInterval(kAbortWaitMs);
  connect(&abortTimer_, &QTimer::timeout, this, &TPrgMdiFrame::AbortTimerTick);

  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, [this] {
    QWidget* w = QApplication::focusWidget();
    ShowHelpFor(w && isAncestorOf(w) ? w : this);
  });

  UpdateMenusAndTools();
}

TPrgMdiFrame::~TPrgMdiFrame() {
  abortTimer_.stop();
  if (Shared().CurVarsWindow == &varsNotifier_) Shared().CurVarsWindow = nullptr;
  FreeProject();
  delete testDataDlg_.data();
}

QAction* TPrgMdiFrame::AddItem(QMenu* menu, FrameCmd c, const char* text, int help,
                               const QKeySequence& key) {
  QAction* a = menu->addAction(Ru(text));
  a->setProperty(kItemHelp, help);
  if (!key.isEmpty()) a->setShortcut(key);
  actions_.insert(c, a);
  return a;
}

void TPrgMdiFrame::BuildMenus() {
  auto newMenu = [this](const char* title, int help) {
    auto* m = new QMenu(Ru(title), this);
    m->menuAction()->setProperty(kItemHelp, help);
    m->installEventFilter(this);
    return m;
  };
  auto on = [this](QAction* a, auto fn) { connect(a, &QAction::triggered, this, fn); };

  // Data mode.
  projectMenu_ = newMenu("&Проект", 100);
  on(AddItem(projectMenu_, FrameCmd::NewProject, "&Новый", 101, QKeySequence(Qt::CTRL | Qt::Key_N)),
     [this] { NewProject(); });
  on(AddItem(projectMenu_, FrameCmd::OpenProject, "&Открыть", 102, QKeySequence(Qt::CTRL | Qt::Key_O)),
     [this] { OpenProject(); });
  on(AddItem(projectMenu_, FrameCmd::SaveProject, "&Сохранить", 103, QKeySequence(Qt::CTRL | Qt::Key_S)),
     [this] { SaveProject(); });
  on(AddItem(projectMenu_, FrameCmd::SaveProjectAs, "Сохранить как", 104), [this] { SaveProjectAs(); });
  on(AddItem(projectMenu_, FrameCmd::CloseProject, "Закрыть", 105), [this] { CloseProject(); });
  projectMenu_->addSeparator();
  on(AddItem(projectMenu_, FrameCmd::PrintData, "&Печать", 106, QKeySequence(Qt::CTRL | Qt::Key_P)),
     [this] { PrintData(); });
  projectMenu_->addSeparator();
  on(AddItem(projectMenu_, FrameCmd::Params, "Параметры", 107, QKeySequence(Qt::CTRL | Qt::Key_R)),
     [this] { EditParams(); });
  projectMenu_->addSeparator();
  on(AddItem(projectMenu_, FrameCmd::DataExit, "&Выход", 108, QKeySequence(Qt::CTRL | Qt::Key_X)),
     [this] { close(); });

  dataWorkMenu_ = newMenu("&Работа", 120);
  on(AddItem(dataWorkMenu_, FrameCmd::DataCheck, "&Проверка данных", 121), [this] { DataCheck(); });
  on(AddItem(dataWorkMenu_, FrameCmd::Planning, "&Планировка", 122, QKeySequence(Qt::Key_F9)),
     [this] { RunMenuOnClick(); });

  windowsMenu_ = newMenu("&Окна", 140);
  const char* windowNames[kEditorKinds] = {"&Кабинеты", "&Предметы", "К&лассы", "&Учителя", "Ур&оки"};
  // The klasses item shares the subjects item's help context.
  const int windowHelp[kEditorKinds] = {141, 142, 142, 144, 145};
  for (int k = 0; k < kEditorKinds; ++k) {
    QAction* a = AddItem(windowsMenu_, kWindowItems[k], windowNames[k], windowHelp[k]);
    a->setCheckable(true);
    a->setChecked(true);
    connect(a, &QAction::triggered, this, [this, k](bool checked) {
      // The click has already toggled the mark.
      QAction* item = Action(kWindowItems[k]);
      item->setChecked(!checked);
      ShowEditorWindow(k);
    });
  }
  windowsMenu_->addSeparator();
  on(AddItem(windowsMenu_, FrameCmd::Tile, "&Рядом", 146), [this] { workspace_->tileSubWindows(); });
  on(AddItem(windowsMenu_, FrameCmd::Cascade, "&Друг за другом", 147),
     [this] { workspace_->cascadeSubWindows(); });

  helpMenu_ = newMenu("&Справка", 150);
  const struct {
    FrameCmd c;
    const char* text;
    int tag;
  } helpItems[] = {{FrameCmd::HelpContents, "&Содержание", 1},
                   {FrameCmd::HelpQuickStart, "&Быстрый старт", 2},
                   {FrameCmd::HelpInterface, "&Интерфейс пользователя", 3},
                   {FrameCmd::HelpKinds, "&Виды справки", 4},
                   {FrameCmd::HelpSupport, "&Техническая поддержка", 5}};
  for (const auto& h : helpItems) {
    const int tag = h.tag;
    on(AddItem(helpMenu_, h.c, h.text, 150 + tag), [tag] { ShowHelpContext(tag); });
  }
  helpMenu_->addSeparator();
  on(AddItem(helpMenu_, FrameCmd::About, "&О программе", 156), [this] { ShowAbout(); });

  // Planning mode.
  variantMenu_ = newMenu("&Вариант", 110);
  on(AddItem(variantMenu_, FrameCmd::NewVariant, "&Новый", 111, QKeySequence(Qt::CTRL | Qt::Key_N)),
     [this] { NewVariant(); });
  on(AddItem(variantMenu_, FrameCmd::OpenVariant, "&Открыть", 112, QKeySequence(Qt::CTRL | Qt::Key_O)),
     [this] { OpenVariant(); });
  on(AddItem(variantMenu_, FrameCmd::SaveVariant, "&Сохранить", 113, QKeySequence(Qt::CTRL | Qt::Key_S)),
     [this] { SaveVariant(1); });
  on(AddItem(variantMenu_, FrameCmd::SaveVariantAs, "Сохранить как", 114), [this] { SaveVariant(2); });
  on(AddItem(variantMenu_, FrameCmd::EndPlanning, "Закрыть", 115), [this] { CloseTableMenuOnClick(); });
  variantMenu_->addSeparator();
  on(AddItem(variantMenu_, FrameCmd::PrintVariant, "&Печать", 116, QKeySequence(Qt::CTRL | Qt::Key_P)),
     [this] { ForwardToVariant(VariantCommand::Print); });
  variantMenu_->addSeparator();
  on(AddItem(variantMenu_, FrameCmd::Options, "Опции", 117, QKeySequence(Qt::CTRL | Qt::Key_R)),
     [this] { ForwardToVariant(VariantCommand::Options); });
  variantMenu_->addSeparator();
  on(AddItem(variantMenu_, FrameCmd::PlanExit, "&Выход", 118, QKeySequence(Qt::CTRL | Qt::Key_X)),
     [this] { close(); });

  planWorkMenu_ = newMenu("&Работа", 130);
  regimeMenu_ = newMenu("Режим работы", 138);
  planWorkMenu_->addMenu(regimeMenu_);
  actions_.insert(FrameCmd::RegimeMenu, regimeMenu_->menuAction());
  QAction* autoItem = AddItem(regimeMenu_, FrameCmd::AutoRegime, "Автоматический", 138,
                              QKeySequence(Qt::CTRL | Qt::Key_A));
  autoItem->setCheckable(true);
  autoItem->setChecked(true);
  on(autoItem, [this] { OnSetKorvantRegime(2); });
  QAction* manualItem =
      AddItem(regimeMenu_, FrameCmd::ManualRegime, "Ручной", 138, QKeySequence(Qt::CTRL | Qt::Key_M));
  manualItem->setCheckable(true);
  on(manualItem, [this] { OnSetKorvantRegime(0); });
  on(AddItem(planWorkMenu_, FrameCmd::WeekVariants, "&Подбор вариантов", 131, QKeySequence(Qt::Key_F9)),
     [this] { ForwardToVariant(VariantCommand::WeekVariants); });
  // The placement run of the current day for one teacher group.
  on(AddItem(planWorkMenu_, FrameCmd::PlaceLessons, "&Расстановка уроков", 132, QKeySequence(Qt::Key_F8)),
     [this] { ForwardToVariant(VariantCommand::PlaceLessons); });
  on(AddItem(planWorkMenu_, FrameCmd::Optimize, "&Оптимизация", 132),
     [this] { ForwardToVariant(VariantCommand::Optimize); });
  on(AddItem(planWorkMenu_, FrameCmd::AssignRooms, "Расстановка кабинетов", 133),
     [this] { ForwardToVariant(VariantCommand::AssignRooms); });
  on(AddItem(planWorkMenu_, FrameCmd::Control, "Общий контроль", 134),
     [this] { ForwardToVariant(VariantCommand::GeneralControl); });
  // The item does what the tool button does.
  on(AddItem(planWorkMenu_, FrameCmd::Statistics, "Статистика", 135),
     [this] { ForwardToVariant(VariantCommand::Statistics); });
  on(AddItem(planWorkMenu_, FrameCmd::Journal, "Журнал замещений", 139),
     [this] { ForwardToVariant(VariantCommand::Journal); });
  planWorkMenu_->addSeparator();
  on(AddItem(planWorkMenu_, FrameCmd::Abort, "Прервать", 136), [this] { ForwardToVariant(VariantCommand::Abort); });
  on(AddItem(planWorkMenu_, FrameCmd::Continue, "Продолжить", 137),
     [this] { ForwardToVariant(VariantCommand::Continue); });
  Action(FrameCmd::Abort)->setEnabled(false);
  Action(FrameCmd::Continue)->setEnabled(false);
}

TPrgSpeedButton* TPrgMdiFrame::AddButton(QWidget* bar, FrameCmd c, int left, const char* hint,
                                         int glyph) {
  auto* b = new TPrgSpeedButton(bar);
  b->setGeometry(left, 2, 33, 31);
  b->SetFlat(true);
  b->SetGlyph(DrawToolGlyph(static_cast<ToolGlyph>(glyph)));
  b->SetNumGlyphs(1);
  b->setToolTip(Ru(hint));
  buttons_.insert(c, b);
  return b;
}

void TPrgMdiFrame::BuildToolBars() {
  auto makeBar = [this](QToolBar*& toolBar, QWidget*& panel, int width) {
    toolBar = new QToolBar(this);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setContentsMargins(0, 0, 0, 0);
    toolBar->layout()->setContentsMargins(0, 0, 0, 0);
    toolBar->layout()->setSpacing(0);
    toolBar->toggleViewAction()->setVisible(false);
    panel = new QWidget(toolBar);
    panel->setFixedSize(width, kToolBarHeight);
    SetHelpContext(panel, 170);
    toolBar->addWidget(panel);
    addToolBar(Qt::TopToolBarArea, toolBar);
  };
  auto on = [this](TPrgSpeedButton* b, auto fn) { connect(b, &TPrgSpeedButton::Clicked, this, fn); };
  using G = ToolGlyph;
  auto g = [](G x) { return static_cast<int>(x); };

  makeBar(dataToolBar_, dataBar_, 255 + 33 + 2);
  on(AddButton(dataBar_, FrameCmd::NewProject, 2, "Создать проект", g(G::NewDocument)), [this] { NewProject(); });
  on(AddButton(dataBar_, FrameCmd::OpenProject, 33, "Открыть проект", g(G::OpenFolder)), [this] { OpenProject(); });
  on(AddButton(dataBar_, FrameCmd::SaveProject, 64, "Сохранить проект", g(G::SaveDisk)), [this] { SaveProject(); });
  on(AddButton(dataBar_, FrameCmd::PrintData, 104, "Просмотр и печать данных", g(G::Printer)),
     [this] { PrintData(); });
  on(AddButton(dataBar_, FrameCmd::Params, 135, "Параметры проекта", g(G::Parameters)), [this] { EditParams(); });
  on(AddButton(dataBar_, FrameCmd::Planning, 175, "Планировка", g(G::Planning)), [this] { RunMenuOnClick(); });
  on(AddButton(dataBar_, FrameCmd::DataCheck, 215, "Проверка данных", g(G::DataCheck)), [this] { DataCheck(); });
  on(AddButton(dataBar_, FrameCmd::DataHelp, 255, "Справка по вводу данных", g(G::Help)),
     [] { ShowHelpContext(kDataHelp); });

  makeBar(planToolBar_, planBar_, 530 + 33 + 2);
  on(AddButton(planBar_, FrameCmd::NewVariant, 2, "Новый вариант", g(G::NewVariant)), [this] { NewVariant(); });
  on(AddButton(planBar_, FrameCmd::OpenVariant, 33, "Открыть вариант", g(G::OpenVariant)), [this] { OpenVariant(); });
  on(AddButton(planBar_, FrameCmd::SaveVariant, 64, "Сохранить вариант", g(G::SaveVariant)),
     [this] { SaveVariant(1); });
  on(AddButton(planBar_, FrameCmd::PrintVariant, 104, "Просмотр и печать", g(G::Printer)),
     [this] { ForwardToVariant(VariantCommand::Print); });
  on(AddButton(planBar_, FrameCmd::Options, 135, "Опции", g(G::Options)),
     [this] { ForwardToVariant(VariantCommand::Options); });
  on(AddButton(planBar_, FrameCmd::EndPlanning, 175, "Завершить планировку", g(G::EndPlanning)),
     [this] { CloseTableMenuOnClick(); });
  TPrgSpeedButton* autoBtn = AddButton(planBar_, FrameCmd::AutoRegime, 215, "Автомат. режим", g(G::AutoRegime));
  TPrgSpeedButton* manualBtn = AddButton(planBar_, FrameCmd::ManualRegime, 246, "Ручной режим", g(G::ManualRegime));
  autoBtn->SetGroupIndex(1);
  manualBtn->SetGroupIndex(1);
  autoBtn->SetDown(true);
  on(autoBtn, [this] { OnSetKorvantRegime(2); });
  on(manualBtn, [this] { OnSetKorvantRegime(0); });
  on(AddButton(planBar_, FrameCmd::WeekVariants, 286, "Подбор вариантов", g(G::WeekVariants)),
     [this] { ForwardToVariant(VariantCommand::WeekVariants); });
  on(AddButton(planBar_, FrameCmd::PlaceLessons, 317, "Расстановка уроков", g(G::PlaceLessons)),
     [this] { ForwardToVariant(VariantCommand::PlaceLessons); });
  on(AddButton(planBar_, FrameCmd::Optimize, 348, "Оптимизация", g(G::Optimize)),
     [this] { ForwardToVariant(VariantCommand::Optimize); });
  on(AddButton(planBar_, FrameCmd::AssignRooms, 379, "Расстановка кабинетов", g(G::AssignRooms)),
     [this] { ForwardToVariant(VariantCommand::AssignRooms); });
  on(AddButton(planBar_, FrameCmd::Control, 419, "Контроль данных", g(G::Control)),
     [this] { ForwardToVariant(VariantCommand::GeneralControl); });
  on(AddButton(planBar_, FrameCmd::Statistics, 450, "Статистика", g(G::Statistics)),
     [this] { ForwardToVariant(VariantCommand::Statistics); });
  on(AddButton(planBar_, FrameCmd::Journal, 490, "Журнал замещений", g(G::Journal)),
     [this] { ForwardToVariant(VariantCommand::Journal); });
  on(AddButton(planBar_, FrameCmd::PlanHelp, 530, "Справка по планировке", g(G::Help)),
     [] { ShowHelpContext(kPlanningHelp); });
}

void TPrgMdiFrame::SetDataMenus() {
  menuBar()->clear();
  for (QMenu* m : {projectMenu_, dataWorkMenu_, windowsMenu_, helpMenu_}) menuBar()->addMenu(m);
}

void TPrgMdiFrame::SetPlanningMenus() {
  menuBar()->clear();
  for (QMenu* m : {variantMenu_, planWorkMenu_, helpMenu_}) menuBar()->addMenu(m);
}

QStringList TPrgMdiFrame::MenuTitles() const {
  QStringList titles;
  for (QAction* a : menuBar()->actions())
    if (a->menu()) titles << a->text();
  return titles;
}

void TPrgMdiFrame::ShowToolBar(bool planning) {
  setUpdatesEnabled(false);
  dataToolBar_->setVisible(!planning);
  planToolBar_->setVisible(planning);
  setUpdatesEnabled(true);
}

void TPrgMdiFrame::SetCmdEnabled(FrameCmd c, bool on) {
  if (QAction* a = Action(c)) a->setEnabled(on);
  if (TPrgSpeedButton* b = Button(c)) b->setEnabled(on);
}

// ---- enabling -----------------------------------------------------------------

void TPrgMdiFrame::UpdateMenusAndTools() {
  // Planning mode keeps the "&Окна" marks of data mode (the editors are
  // hidden meanwhile, and are shown again by these marks).
  if (planning_) return;
  const bool open = project_ != nullptr;
  for (FrameCmd c : {FrameCmd::SaveProject, FrameCmd::SaveProjectAs, FrameCmd::CloseProject,
                     FrameCmd::Params, FrameCmd::DataCheck})
    SetCmdEnabled(c, open);
  SetCmdEnabled(FrameCmd::PrintData, open && services_.printData != nullptr);
  SetCmdEnabled(FrameCmd::Planning, open && services_.variants != nullptr);
  dataWorkMenu_->menuAction()->setEnabled(open);
  windowsMenu_->menuAction()->setEnabled(open);

  bool anyVisible = false;
  for (QMdiSubWindow* sub : workspace_->subWindowList())
    if (!sub->isHidden()) anyVisible = true;
  Action(FrameCmd::Tile)->setEnabled(anyVisible);
  Action(FrameCmd::Cascade)->setEnabled(anyVisible);

  for (int k = 0; k < kEditorKinds; ++k) {
    bool checked = false;
    if (QMdiSubWindow* sub = FindChildByTag(*workspace_, k))
      checked = !sub->isHidden();
    else if (project_)
      checked = project_->EditorShowCmd(k) != kShowHidden;  // an editor not built yet
    Action(kWindowItems[k])->setChecked(checked);
  }
}

void TPrgMdiFrame::SetVarMenuBarForRegime(int regime) {
  if (regime != 0 && regime != 2) return;
  const bool automatic = regime == 2;
  for (FrameCmd c : kRegimeCmds) SetCmdEnabled(c, automatic);
  Button(automatic ? FrameCmd::AutoRegime : FrameCmd::ManualRegime)->SetDown(true);
  Action(FrameCmd::AutoRegime)->setChecked(automatic);
  Action(FrameCmd::ManualRegime)->setChecked(!automatic);
}

void TPrgMdiFrame::SetPlanningState(int state) {
  auto buttons = [this](bool on) {
    for (FrameCmd c : kPlanButtons) Button(c)->setEnabled(on);
  };
  auto items = [this](bool on) {
    for (FrameCmd c : kPlanItems) Action(c)->setEnabled(on);
  };
  switch (state) {
    case kPlanningRunning:
      // A new run (not the continuation of a paused one) has saved nothing yet.
      if (runState_ != kPlanningPaused) Shared().LastAutoSavedFile.clear();
      buttons(false);
      Button(FrameCmd::EndPlanning)->setEnabled(true);
      items(false);
      for (FrameCmd c : {FrameCmd::EndPlanning, FrameCmd::PlanExit, FrameCmd::Abort})
        Action(c)->setEnabled(true);
      break;
    case kPlanningPaused:
      Button(FrameCmd::SaveVariant)->setEnabled(true);
      Button(FrameCmd::EndPlanning)->setEnabled(true);
      for (FrameCmd c : {FrameCmd::SaveVariant, FrameCmd::SaveVariantAs, FrameCmd::EndPlanning,
                         FrameCmd::PlanExit, FrameCmd::Abort, FrameCmd::Continue})
        Action(c)->setEnabled(true);
      break;
    case kPlanningFinished:
      buttons(true);
      items(true);
      Action(FrameCmd::Abort)->setEnabled(false);
      Action(FrameCmd::Continue)->setEnabled(false);
      break;
    default:
      return;
  }
  runState_ = state;
}

// ---- messages -------------------------------------------------------------------

MsgResult TPrgMdiFrame::handleMessage(uint32_t msg, MsgParam w, MsgParam l) {
  switch (msg) {
    case kMsgEditorShow: {
      const int kind = static_cast<int>(w);
      if (l == kShowHidden && kind >= 0 && kind < kEditorKinds)
        Action(kWindowItems[kind])->setChecked(false);
      if (project_) project_->SetShowState(kind, static_cast<int32_t>(l));
      UpdateMenusAndTools();
      return 0;
    }
    case kMsgListModified:
      if (project_) project_->SetModified(true);
      return 0;
    case kMsgLeavePlanning:
      CloseTableMenuOnClick();
      return 0;
    case kMsgPlanningState:
      SetPlanningState(static_cast<int>(w));
      return 0;
    case kMsgRegime:
      SetVarMenuBarForRegime(static_cast<int>(w));
      return 0;
    case kMsgAbortWait:
      AbortWait(w);
      return 0;
    case kMsgDataCheckClosed:
      testDataDlg_ = nullptr;
      return 0;
    case kMsgReopenAutoSaved: {
      const std::filesystem::path name = Shared().LastAutoSavedFile;
      if (name.empty() || !planning_) return 0;
      if (vars_ && vars_->QuerySave() == kQueryCancelled) return 0;
      ReopenVariant(name);
      return 0;
    }
    case kMsgManualRegime:
      OnSetKorvantRegime(0);
      return 0;
    default:
      return 0;  // 45266 and anything else: nothing to do
  }
}

// ---- the abort wait ---------------------------------------------------------------

bool TPrgMdiFrame::NestedLoopOpen() const {
  return QApplication::activeModalWidget() != nullptr ||
         QApplication::activePopupWidget() != nullptr || pumpWhileDepth() > 0;
}

void TPrgMdiFrame::AbortWait(MsgParam action) {
  if (action != kAbortWaitLeavePlanning && action != kAbortWaitCloseProgram) return;
  if (!abortTimer_.isActive()) {
    abortAction_ = static_cast<int>(action);
    abortTimer_.start();
  } else if (action == kAbortWaitCloseProgram) {
    abortAction_ = kAbortWaitCloseProgram;  // closing the program also leaves planning
  }
  // A dialog or a wait still open above us could use what the action frees.
  if (Shared().PlanningRunning || NestedLoopOpen()) return;
  abortTimer_.stop();
  const int pending = abortAction_;
  abortAction_ = 0;
  RunAbortAction(pending);
}

void TPrgMdiFrame::AbortTimerTick() { sendMessage(this, kMsgAbortWait, abortAction_); }

void TPrgMdiFrame::RunAbortAction(int action) {
  if (abortCursor_) {
    abortCursor_ = false;
    QApplication::restoreOverrideCursor();
  }
  if (action == kAbortWaitLeavePlanning)
    CloseTableMenuOnClick();
  else if (action == kAbortWaitCloseProgram)
    close();
}

// ---- project commands ---------------------------------------------------------------

void TPrgMdiFrame::SetTitle(const QString& caption) { setWindowTitle(caption); }

void TPrgMdiFrame::FreeProject() {
  FreeVarsManager();
  editors_.reset();
  project_.reset();
}

bool TPrgMdiFrame::ReplaceProject(const std::function<bool(TMdiTable&)>& load) {
  if (planning_) return false;
  if (project_ && project_->QuerySave() == kQueryCancelled) return false;
  bool ok = false;
  {
    WaitCursor wait;
    FreeProject();
    project_ = std::make_unique<TMdiTable>(this, OwnerOf(this));
    ok = load(*project_);
    if (ok) {
      SetTitle(ToQt(project_->Caption()));
    } else {
      FreeProject();
      SetTitle(ResQ(kMsgProgramTitle));
    }
  }
  UpdateMenusAndTools();
  return ok;
}

bool TPrgMdiFrame::OpenProjectFile(const std::filesystem::path& fileName) {
  if (!CheckNotAlreadyOpen(project_.get(), fileName, OwnerOf(this))) return false;
  return ReplaceProject([&fileName](TMdiTable& t) { return t.Open(fileName); });
}

bool TPrgMdiFrame::OpenDemoProject() {
  return ReplaceProject(
      [](TMdiTable& t) { return t.OpenImage(DemoProjectFileName(), DemoProjectImage()); });
}

void TPrgMdiFrame::NewProject() {
  if (planning_) return;
  std::filesystem::path name = NextNewProjectName(newProjects_);
  std::filesystem::path folder = ProjectFolder();
  if (!ExecProjectFileDialog(folder, name, true)) return;
  if (!CheckNotAlreadyOpen(project_.get(), name, OwnerOf(this))) return;
  if (!ReplaceProject([&name](TMdiTable& t) {
        t.CreateNew(name);
        return true;
      }))
    return;
  EditParams();
  // Saved whatever the dialog answered; a failure has told the user.
  project_->Save();
  UpdateMenusAndTools();
}

void TPrgMdiFrame::OpenProject() {
  if (planning_) return;
  std::filesystem::path name;
  std::filesystem::path folder = ProjectFolder();
  if (!ExecProjectFileDialog(folder, name, false)) return;
  OpenProjectFile(name);
}

void TPrgMdiFrame::SaveProject() {
  if (project_ && project_->IsModified()) project_->SaveOrAskName();
}

void TPrgMdiFrame::SaveProjectAs() {
  if (!project_) return;
  std::filesystem::path name = project_->SaveAsProposal();
  std::filesystem::path folder = PathFromQt(QFileInfo(QtFromPath(name)).absolutePath());
  if (!ExecProjectFileDialog(folder, name, true)) return;
  if (project_->SaveAs(name, false)) SetTitle(ToQt(project_->Caption()));
}

void TPrgMdiFrame::CloseProject() {
  if (project_ && project_->QuerySave() == kQueryCancelled) return;
  FreeProject();
  SetTitle(ResQ(kMsgProgramTitle));
  UpdateMenusAndTools();
  close();
}

void TPrgMdiFrame::EditParams() {
  if (!project_) return;
  TProjParams dlg(this, project_->GetFileName(), project_->Params());
  if (dlg.Run()) project_->ParamsAccepted();
}

void TPrgMdiFrame::PrintData() {
  if (project_ && services_.printData) services_.printData(*project_, this);
}

TTestDataDlg* TPrgMdiFrame::TestDataDlg() const { return testDataDlg_.data(); }

void TPrgMdiFrame::DataCheck() {
  WaitCursor wait;
  if (!testDataDlg_) testDataDlg_ = new TTestDataDlg(this);
  testDataDlg_->showNormal();
  testDataDlg_->raise();
  PumpMessages();
  if (!project_) return;
  ReportToWindow report(testDataDlg_);
  const CheckPump pump = [this] { PumpMessages(); };
  for (int kind = 0; kind < kCheckPageCount && project_; ++kind) {
    if (editors_)
      editors_->CheckData(kind, *project_, &report, pump);
    else
      NoListEditors().CheckData(kind, *project_, &report, pump);
  }
}

void TPrgMdiFrame::ShowEditorWindow(int kind) {
  if (kind < 0 || kind >= kEditorKinds || planning_) return;
  QAction* item = Action(kWindowItems[kind]);
  if (!item->isChecked() && project_) project_->ShowManager(kind, true, true);
  item->setChecked(true);
  if (QMdiSubWindow* sub = FindChildByTag(*workspace_, kind)) {
    QPointer<QMdiSubWindow> target(sub);
    QMetaObject::invokeMethod(
        workspace_, [this, target] { if (target) workspace_->setActiveSubWindow(target); },
        Qt::QueuedConnection);
  }
  UpdateMenusAndTools();
}

bool TPrgMdiFrame::ExecProjectFileDialog(std::filesystem::path& folder, std::filesystem::path& fileName, bool saveMode) {
  FileDialogRequest req;
  req.save = saveMode;
  req.title = ResQ(saveMode ? kMsgSaveProjectTitle : kMsgOpenProjectTitle);
  req.folder = QtFromPath(folder);
  req.proposed = QtFromPath(fileName);
  req.filter = QtNameFilter(ResQ(kMsgProjectFilter));
  req.defaultSuffix = ResQ(kMsgProjectExtension);
  QString chosen;
  if (fileDialogHook_) {
    if (!fileDialogHook_(req, chosen) || chosen.isEmpty()) return false;
  } else {
    QFileDialog dlg(this, req.title, req.folder);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(saveMode ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(saveMode ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilter(req.filter);
    dlg.setDefaultSuffix(req.defaultSuffix);
    if (saveMode && !req.proposed.isEmpty()) dlg.selectFile(req.proposed);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    chosen = dlg.selectedFiles().constFirst();
  }
  fileName = PathFromQt(QDir::toNativeSeparators(chosen));
  return true;
}

// ---- planning mode ----------------------------------------------------------------------

bool TPrgMdiFrame::CreateVarsManager() {
  if (!project_ || !services_.variants) return false;
  vars_ = services_.variants->Create(*project_, *workspace_);
  if (!vars_) return false;
  project_->SetVarsSaveQuery([this] { return vars_ ? vars_->QuerySave() : kQuerySaved; });
  if (!Shared().CurVarsWindow) Shared().CurVarsWindow = &varsNotifier_;
  PlaceVariantWindow();
  return true;
}

bool TPrgMdiFrame::LoadVarsManager(const std::filesystem::path& fileName) {
  if (!project_ || !services_.variants) return false;
  vars_ = services_.variants->Load(*project_, *workspace_, fileName);
  if (!vars_) return false;
  project_->SetVarsSaveQuery([this] { return vars_ ? vars_->QuerySave() : kQuerySaved; });
  if (!Shared().CurVarsWindow) Shared().CurVarsWindow = &varsNotifier_;
  PlaceVariantWindow();
  return true;
}

void TPrgMdiFrame::FreeVarsManager() {
  if (project_) project_->SetVarsSaveQuery({});
  if (Shared().CurVarsWindow == &varsNotifier_) Shared().CurVarsWindow = nullptr;
  vars_.reset();
}

void TPrgMdiFrame::VarsNotifier::VarModifiedChanged() {
  postToTag(kTagVariantWindow, kMsgVarModified, kVarModifiedCaption, 0);
}

void TPrgMdiFrame::PlaceVariantWindow() {
  if (!vars_) return;
  QWidget* w = vars_->Window();
  auto* sub = qobject_cast<QMdiSubWindow*>(w);
  if (!sub && w) sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
  if (!sub) sub = FindChildByTag(*workspace_, kTagVariantWindow);
  if (sub) sub->setGeometry(QRect(QPoint(0, 0), workspace_->viewport()->size()));
}

void TPrgMdiFrame::RunMenuOnClick() {
  if (planning_ || !project_ || !services_.variants) return;
  if (project_->IsModified() && !project_->SaveBeforePlanning()) return;
  WaitCursor wait;
  activeFormHook_ = false;
  planning_ = true;
  SetPlanningMenus();
  ShowToolBar(true);
  const QList<QMdiSubWindow*> subs = workspace_->subWindowList(QMdiArea::CreationOrder);
  for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
    QPointer<QMdiSubWindow> sub(*it);
    if (sub && !sub->isHidden()) {
      sub->hide();
      PumpMessages();
    }
  }
  SetPlanningState(kPlanningFinished);  // everything on but "Прервать" and "Продолжить"
  if (!CreateVarsManager()) {
    LeavePlanningNow();
    return;
  }
  SetHelpContext(this, kPlanningHelp);
}

void TPrgMdiFrame::CloseTableMenuOnClick() {
  if (!planning_) return;
  // The variant is asked about before anything stops: a run is still on the
  // stack below the question, so "Отмена" leaves it running or paused as it
  // was. Any other answer saves the variant or drops its changes, so the
  // leave that follows the run's end has nothing more to ask.
  if (vars_ && vars_->QuerySave() == kQueryCancelled) return;
  if (project_ && Shared().PlanningRunning) {
    Shared().AbortPlanning = 1;
    Shared().WaitUser = 0;
    postMessage(this, kMsgAbortWait, kAbortWaitLeavePlanning);
    if (!abortCursor_) {
      abortCursor_ = true;
      QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    return;
  }
  LeavePlanningNow();
}

void TPrgMdiFrame::LeavePlanningNow() {
  WaitCursor wait;
  SetDataMenus();
  ShowToolBar(false);
  FreeVarsManager();
  planning_ = false;
  if (project_) {
    for (QMdiSubWindow* s : workspace_->subWindowList(QMdiArea::CreationOrder)) {
      QPointer<QMdiSubWindow> sub(s);
      const int tag = WindowTag(sub) != kNoTag ? WindowTag(sub) : WindowTag(sub->widget());
      if (tag < 0 || tag >= kEditorKinds || !Action(kWindowItems[tag])->isChecked()) continue;
      project_->ShowManager(tag, true, false);
      PumpMessages();
      if (!project_) break;
    }
  }
  activeFormHook_ = true;
  SetHelpContext(this, kDataHelp);
  UpdateMenusAndTools();
}

void TPrgMdiFrame::NewVariant() {
  if (!planning_ || !project_) return;
  if (vars_ && vars_->QuerySave() == kQueryCancelled) return;
  WaitCursor wait;
  FreeVarsManager();
  if (!CreateVarsManager()) LeavePlanningNow();
}

void TPrgMdiFrame::OpenVariant() {
  if (!planning_ || !project_ || !vars_) return;
  if (vars_->QuerySave() == kQueryCancelled) return;
  const std::string name = vars_->SelectVarFile();
  if (name.empty()) return;
  ReopenVariant(name);
}

void TPrgMdiFrame::ReopenVariant(const std::filesystem::path& fileName) {
  WaitCursor wait;
  FreeVarsManager();
  if (!LoadVarsManager(fileName)) LeavePlanningNow();
}

void TPrgMdiFrame::SaveVariant(int tag) {
  if (project_ && vars_) vars_->Save(tag);
}

void TPrgMdiFrame::OnSetKorvantRegime(int regime) {
  if (!vars_) return;
  vars_->SetRegime(regime);
  SetVarMenuBarForRegime(regime);
}

void TPrgMdiFrame::ForwardToVariant(VariantCommand c) {
  if (project_ && vars_) vars_->Command(c);
}

void TPrgMdiFrame::ShowAbout() {
  TTblAboutDlg dlg(this);
  CentreOnScreen(&dlg);
  dlg.ShowModal();
}

// ---- the project's view -------------------------------------------------------------------

void TPrgMdiFrame::PumpMessages() { pumpMessagesOnce(); }

void TPrgMdiFrame::ListsReloaded() {
  if (!project_) return;
  editors_.reset();
  if (services_.editors) editors_ = services_.editors(*project_, *workspace_);
  UpdateMenusAndTools();
}

void TPrgMdiFrame::LessonsPerDayChanged(int lessonsPerDay) {
  if (editors_) editors_->LessonsPerDayChanged(lessonsPerDay);
}

void TPrgMdiFrame::CaptionChanged(const std::u16string& caption) { SetTitle(ToQt(caption)); }

int32_t TPrgMdiFrame::ShowEditor(int kind, bool show) {
  if (editors_) return editors_->Show(kind, show);
  return show ? kShowNormal : kShowHidden;
}

std::filesystem::path TPrgMdiFrame::AskSaveFileName(const std::filesystem::path& proposed) {
  std::filesystem::path name = proposed;
  std::filesystem::path folder = PathFromQt(QFileInfo(QtFromPath(proposed)).absolutePath());
  return ExecProjectFileDialog(folder, name, true) ? name : std::filesystem::path{};
}

// ---- window events ---------------------------------------------------------------------------

void TPrgMdiFrame::closeEvent(QCloseEvent* e) {
  if (Shared().PlanningRunning) {
    Shared().AbortPlanning = 1;
    Shared().WaitUser = 0;
    postMessage(this, kMsgAbortWait, kAbortWaitCloseProgram);
    e->ignore();
    return;
  }
  if (project_ && project_->QuerySave() == kQueryCancelled) {
    e->ignore();
    return;
  }
  activeFormHook_ = false;
  abortTimer_.stop();
  FreeProject();
  if (testDataDlg_) testDataDlg_->close();
  SetTitle(ResQ(kMsgProgramTitle));
  e->accept();
}

void TPrgMdiFrame::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  PlaceVariantWindow();
}

bool TPrgMdiFrame::eventFilter(QObject* watched, QEvent* e) {
  if (watched == workspace_->viewport() && e->type() == QEvent::Resize) {
    PlaceVariantWindow();
  } else if (auto* menu = qobject_cast<QMenu*>(watched);
             menu && e->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
    // F1 over a menu item opens the item's help.
    const QAction* a = menu->activeAction();
    const int ctx = a ? a->property(kItemHelp).toInt() : menu->menuAction()->property(kItemHelp).toInt();
    menu->close();
    ShowHelpContext(ctx);
    return true;
  }
  return QMainWindow::eventFilter(watched, e);
}

}  // namespace korvant
