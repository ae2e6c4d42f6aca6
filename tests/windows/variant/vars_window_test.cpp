#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <deque>
#include <fstream>

#include "controls/form_util.h"
#include "controls/speed_button.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "core/variant/var_file.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/planning/group_man.h"
#include "windows/planning/prepare_dlgs.h"
#include "windows/planning/var_options_dlg.h"
#include "windows/shell/frame_fakes.h"
#include "windows/shell/main_frame.h"
#include "windows/variant/statistics_dlg.h"
#include "windows/variant/var_cells.h"
#include "windows/variant/vars_window.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::U;
using test::W;

void Drain() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Stands in for the main window: records what the variant window tells it.
class MainStub : public MessageTarget {
 public:
  MainStub() { setMessageTag(kTagMainWindow); }
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam) override {
    got.push_back({msg, w});
    return 0;
  }
  std::vector<std::pair<uint32_t, MsgParam>> got;
  int Count(uint32_t msg) const {
    int n = 0;
    for (const auto& g : got) n += g.first == msg;
    return n;
  }
};

int IndexOfTeacher(const TRunModel& m, const char* name) {
  for (int t = 0; t < m.Teachers.Count(); ++t)
    if (U(m.Teachers[t]->Name()).rfind(name, 0) == 0) return t;
  return -1;
}

int IndexOfRoom(const TRunModel& m, const char* name) {
  for (int r = 0; r < m.Rooms.Count(); ++r)
    if (U(m.Rooms[r]->Name()) == name) return r;
  return -1;
}

// The lesson of klass k whose first group has the subject.
int LessonOfSubject(const TRunModel& m, int k, const char* subject) {
  const TRTIKlassItem* klass = m.Klasses[k];
  for (int l = 0; l < klass->Lessons.Count(); ++l) {
    const int s = klass->Lessons[l]->GetSubItem(0)->SubjectID;
    if (s >= 0 && U(m.Subjects[s]->DisplayName()) == subject) return l;
  }
  return -1;
}

std::string Txt(const THourElementRecord& r, int col, int row) {
  return U(r.Texts[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)]);
}

struct VarsWindowTest : ::testing::Test {
  ScriptedPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  QTemporaryDir dir;
  std::string oldFolder = ProgramFolder();
  QLocale oldLocale;
  MainStub main;
  TMdiTable project;
  std::unique_ptr<QMdiArea> area;
  int optionsRuns = 0;
  bool acceptOptions = false;
  std::function<void()> duringOptions;
  std::vector<FileDialogRequest> dialogs;
  std::deque<QString> dialogAnswers;

  void SetUp() override {
    Drain();
    test::ResetSharedState();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetProgramFolder(PathFromQt(dir.path()));
    QDir(dir.path()).mkdir(QStringLiteral("Variant"));
    ASSERT_TRUE(project.OpenImage(W("Демо.tbl"), DemoProjectImage()));
    area = std::make_unique<QMdiArea>();
    area->resize(900, 600);
    area->show();
  }
  void TearDown() override {
    area.reset();
    Drain();
    test::ResetSharedState();
    SetProgramFolder(oldFolder);
    QLocale::setDefault(oldLocale);
  }
  TVarsWindowHooks Hooks() {
    TVarsWindowHooks h;
    h.optionsDialog = [this](TVarOptionsDlg&) {
      ++optionsRuns;
      if (duringOptions) duringOptions();
      return acceptOptions;
    };
    h.fileDialog = [this](const FileDialogRequest& r, QString& chosen) {
      dialogs.push_back(r);
      if (dialogAnswers.empty()) return false;
      chosen = dialogAnswers.front();
      dialogAnswers.pop_front();
      return true;
    };
    return h;
  }
  TTableVarsManager* NewWindow() { return TTableVarsManager::CreateNew(project, *area, Hooks()); }
  QString TempFile(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  static THourElementRecord Cell(TTableVarsManager* w, TVarGrid g, int col, int row) {
    return w->Grid(g)->CellContent(col, row);
  }
};

// ---- building ---------------------------------------------------------------------------

TEST_F(VarsWindowTest, NewVariantShowsItsKlassesTeachersAndRoomsForDayOne) {
  MessageTraceRecorder trace;
  TTableVarsManager* w = NewWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(optionsRuns, 1);  // the options are opened for a new variant
  EXPECT_EQ(main.got, (std::vector<std::pair<uint32_t, MsgParam>>{{kMsgRegime, 2}}));

  const SharedState& s = Shared();
  TRunModel& m = w->Model();
  EXPECT_EQ(s.CurVarsWindow, w);
  EXPECT_EQ(s.CurKlasses, &m.Klasses);
  EXPECT_EQ(s.CurTeachers, &m.Teachers);
  EXPECT_EQ(s.CurRooms, &m.Rooms);
  EXPECT_EQ(s.VarOptions, &w->Document().Options);
  EXPECT_EQ(s.PlanningRegime, 2);
  EXPECT_EQ(s.CurDay, 1);
  EXPECT_EQ(s.VarIsNew, 1);
  EXPECT_FALSE(GetVarModified());
  EXPECT_EQ(QtFromPath(w->Document().FileName), dir.path() + Ru("/Variant/Новое расписание.rsp"));
  EXPECT_EQ(w->windowTitle(), Ru("Новое расписание"));
  EXPECT_EQ(w->SubWindow()->windowTitle(), Ru("Новое расписание"));
  EXPECT_EQ(WindowTag(w), kTagVariantWindow);
  EXPECT_EQ(FindChildByTag(*area, kTagVariantWindow), w->SubWindow());
  EXPECT_EQ(w->SubWindow()->geometry(), QRect(QPoint(0, 0), area->viewport()->size()));

  // Days in the locale's long names, capitalised.
  ASSERT_EQ(w->DayCombo()->count(), 6);
  EXPECT_EQ(w->DayCombo()->itemText(0), Ru("Понедельник"));
  EXPECT_EQ(w->DayCombo()->itemText(5), Ru("Суббота"));
  EXPECT_EQ(w->DayCombo()->currentIndex(), 0);
  EXPECT_EQ(w->Pages()->count(), 5);
  EXPECT_EQ(w->Pages()->tabText(2), Ru("Черновик (классы)"));
  EXPECT_FALSE(w->TryMoreButton()->isVisible());
  EXPECT_FALSE(w->AbortButton()->isEnabled());

  // Vertical view: entities down, hours across.
  const int L = w->Var().LessonsPerDay();
  EXPECT_EQ(L, 8);
  for (TVarGrid g : {TVarGrid::Klasses, TVarGrid::Teachers, TVarGrid::KlassesDraft, TVarGrid::TeachersDraft,
                     TVarGrid::Rooms}) {
    EXPECT_EQ(w->Grid(g)->ColCount(), L + 1);
    EXPECT_EQ(w->Grid(g)->RowCount(), VarGridEntityCount(m, g) + 1);
  }
  EXPECT_EQ(w->Grid(TVarGrid::Klasses)->RowCount(), 9);
  EXPECT_EQ(w->Grid(TVarGrid::Teachers)->RowCount(), m.Teachers.Count() + 1);
  // The hours share the page's width, each at least the layout's 77 pixels.
  TSchoolTable* kg = w->Grid(TVarGrid::Klasses);
  EXPECT_GT(kg->ColWidths(1), 77);
  EXPECT_EQ(kg->ColWidths(1), kg->ColWidths(L));
  EXPECT_LT(kg->viewport()->width() - kg->CellRect(L, 0).right(), 2 * L);
  // Rows sized for the most groups of a lesson (two), all alike.
  EXPECT_EQ(w->Grid(TVarGrid::Klasses)->SubRowsCnt(), 2);
  EXPECT_EQ(w->Grid(TVarGrid::Klasses)->RowHeights(1), w->Grid(TVarGrid::Klasses)->RowHeights(8));

  // Headings.
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 0, 0), 0, 0), "");
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 3, 0), 0, 0), "3");
  EXPECT_EQ(Txt(Cell(w, TVarGrid::KlassesDraft, 3, 0), 0, 0), "");
  EXPECT_EQ(Txt(Cell(w, TVarGrid::TeachersDraft, 3, 0), 0, 0), "");
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Rooms, 3, 0), 0, 0), "3");
  const THourElementRecord k5a = Cell(w, TVarGrid::Klasses, 0, 1);
  EXPECT_EQ(Txt(k5a, 0, 0), "5А");
  const int total = m.Klasses[0]->WeekHours;
  EXPECT_GT(total, 0);
  EXPECT_EQ(Txt(k5a, 0, 1), std::to_string(total) + " (0+0+" + std::to_string(total) + ")    0,0");
  EXPECT_EQ(k5a.SubRowHeights[0], 50);
  EXPECT_EQ(k5a.Mark, 4);  // hours left
  const THourElementRecord teacher = Cell(w, TVarGrid::Teachers, 0, 1);
  EXPECT_EQ(Txt(teacher, 0, 0), "Иванова Наталья Сергеевна");
  const int tTotal = m.Teachers[0]->WeekHours;
  EXPECT_EQ(Txt(teacher, 0, 1), std::to_string(tTotal) + " (0+0+" + std::to_string(tTotal) + ")");
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Rooms, 0, 1), 0, 0), "Каб. 201");
  w->Free();
  Drain();
  EXPECT_EQ(Shared().CurVarsWindow, nullptr);
  EXPECT_EQ(Shared().CurKlasses, nullptr);
  EXPECT_EQ(Shared().VarOptions, nullptr);
}

TEST_F(VarsWindowTest, PlacedLessonsShowInEveryGridOfTheirDayOnly) {
  TTableVarsManager* w = NewWindow();
  TRunModel& m = w->Model();
  TTableVarItem& var = w->Var();
  const int rus = LessonOfSubject(m, 0, "Русский язык");
  const int tech = LessonOfSubject(m, 0, "Технология");
  ASSERT_GE(rus, 0);
  ASSERT_GE(tech, 0);
  const int r205 = IndexOfRoom(m, "Каб. 205 (русский язык)");
  const int ivanova = IndexOfTeacher(m, "Иванова");
  const int zakharova = IndexOfTeacher(m, "Захарова");
  ASSERT_GE(r205, 0);
  ASSERT_GE(zakharova, 0);

  // Russian in 5А, hour 1 of Monday, in room 205.
  TTableCell c;
  c.Hour = 1;
  c.Lesson = rus;
  c.Rooms[0] = static_cast<uint16_t>(r205);
  var.SetCell(0, 1, 1, c);
  // The joint technology lesson of 5А and 5Б, hours 3-4.
  ASSERT_TRUE(var.PlaceLinkedLesson(0, tech, false, 1, 3, 2));
  w->InvalidateTables();

  const THourElementRecord k = Cell(w, TVarGrid::Klasses, 1, 1);
  EXPECT_EQ(Txt(k, 0, 0), "Русский язык");
  EXPECT_EQ(Txt(k, 1, 0), "Каб. 205 (русский язык)");
  EXPECT_EQ(k.SubColWidths[0], 60);
  EXPECT_EQ(k.SubColWidths[1], 40);
  EXPECT_EQ(k.Mark, 0);
  const THourElementRecord t = Cell(w, TVarGrid::Teachers, 1, ivanova + 1);
  EXPECT_EQ(Txt(t, 0, 0), "5А");
  EXPECT_EQ(Txt(t, 1, 0), "Русский язык");
  EXPECT_EQ(Txt(t, 2, 0), "Каб. 205 (русский язык)");
  EXPECT_EQ(t.SubColWidths[0], 33);
  const THourElementRecord room = Cell(w, TVarGrid::Rooms, 1, r205 + 1);
  EXPECT_EQ(Txt(room, 0, 0), "5А");
  EXPECT_EQ(Txt(room, 1, 0), "Иванова Наталья Сергеевна");

  // The joint lesson: the teacher's cell lists both klasses.
  const THourElementRecord joint = Cell(w, TVarGrid::Teachers, 3, zakharova + 1);
  EXPECT_EQ(Txt(joint, 0, 0), "5А");
  EXPECT_EQ(Txt(joint, 1, 0), "Технология");
  EXPECT_EQ(Txt(joint, 0, 1), "5Б");
  EXPECT_EQ(Txt(joint, 1, 1), "Технология");
  EXPECT_EQ(joint.SubRowHeights[0], 50);
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 4, 2), 0, 0), "Технология");

  // The heading counts the placed hours.
  const int total = m.Klasses[0]->WeekHours;
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 0, 1), 0, 1).substr(0, std::to_string(total).size() + 9),
            std::to_string(total) + " (3+0+" + std::to_string(total - 3) + ")");

  // Another day shows nothing of Monday; selecting the day tells the main window.
  main.got.clear();
  ASSERT_TRUE(test::PickFromPopup(w->DayCombo(), w->DayCombo()->itemText(1)));
  EXPECT_EQ(w->CurrentDay(), 2);
  EXPECT_EQ(Shared().CurDay, 2);
  EXPECT_EQ(main.Count(kMsgDayChanged), 1);
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 1, 1), 0, 0), "");
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Teachers, 1, ivanova + 1), 0, 0), "");
  // The same day again changes nothing.
  ASSERT_TRUE(test::PickFromPopup(w->DayCombo(), w->DayCombo()->itemText(1)));
  EXPECT_EQ(main.Count(kMsgDayChanged), 1);
  ASSERT_TRUE(test::PickFromPopup(w->DayCombo(), w->DayCombo()->itemText(0)));
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 1, 1), 0, 0), "Русский язык");

  // Horizontal view: hours down, entities across; the same content.
  test::SlideTo(w->ViewModeSwitch(), 1);
  EXPECT_EQ(Shared().VerticalView, 0);
  EXPECT_EQ(w->Grid(TVarGrid::Klasses)->RowCount(), var.LessonsPerDay() + 1);
  EXPECT_EQ(w->Grid(TVarGrid::Klasses)->ColCount(), m.Klasses.Count() + 1);
  const THourElementRecord h = Cell(w, TVarGrid::Klasses, 1, 1);
  EXPECT_EQ(Txt(h, 0, 0), "Русский язык");
  EXPECT_EQ(h.SubColWidths[0], 70);
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 1, 0), 0, 0), "5А");
  w->Free();
}

TEST_F(VarsWindowTest, DraftsSeparatedPartsAndWishMarks) {
  TTableVarsManager* w = NewWindow();
  TRunModel& m = w->Model();
  const int popov = IndexOfTeacher(m, "Попов");
  const int ivanova = IndexOfTeacher(m, "Иванова");
  TVarCellView v;
  v.Model = &m;
  v.Var = &w->Var();
  v.Day = 1;
  // Popov's Monday hour 1 is undesired (level 1): yellow unless wishes are ignored.
  v.TeachersWills = 2;
  EXPECT_EQ(VarCellContent(v, TVarGrid::Teachers, 1, popov + 1).Mark, 1);
  v.TeachersWills = 4;
  EXPECT_EQ(VarCellContent(v, TVarGrid::Teachers, 1, popov + 1).Mark, 0);
  // Ivanova's Saturday hours 6-8 are closed: red whatever the strictness.
  v.Day = 6;
  EXPECT_EQ(VarCellContent(v, TVarGrid::Teachers, 6, ivanova + 1).Mark, 2);
  EXPECT_EQ(VarCellContent(v, TVarGrid::Teachers, 5, ivanova + 1).Mark, 0);

  // A lesson in the draft shows in both drafts, without room.
  const int rus = LessonOfSubject(m, 0, "Русский язык");
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, rus, true, 1, 0, 1));
  v.Day = 1;
  const THourElementRecord kd = VarCellContent(v, TVarGrid::KlassesDraft, 1, 1);
  EXPECT_EQ(Txt(kd, 0, 0), "Русский язык");
  EXPECT_EQ(kd.SubColWidths[1], 0);
  const THourElementRecord td = VarCellContent(v, TVarGrid::TeachersDraft, 1, ivanova + 1);
  EXPECT_EQ(Txt(td, 0, 0), "5А");
  EXPECT_EQ(Txt(td, 1, 0), "Русский язык");
  EXPECT_EQ(td.SubColWidths[0], 40);
  EXPECT_EQ(td.SubColWidths[2], 0);
  // Draft hours count in the heading; all hours placed in fair or draft
  // but not all in fair turns the heading green.
  int fair = 0, draft = 0;
  w->Var().CountKlassLessons(0, 0, fair, draft);
  EXPECT_EQ(draft, 1);

  // The separated part of 10А's algebra carries a star.
  int k10 = -1;
  for (int k = 0; k < m.Klasses.Count(); ++k)
    if (U(m.Klasses[k]->Name()) == "10А") k10 = k;
  ASSERT_GE(k10, 0);
  int sep = -1;
  for (int l = 0; l < m.Klasses[k10]->Lessons.Count(); ++l)
    if (m.Klasses[k10]->Lessons[l]->ID() >= kSepLessonIDOffset) sep = l;
  ASSERT_GE(sep, 0);
  EXPECT_EQ(U(GroupSubjectText(m, *m.Klasses[k10]->Lessons[sep], 0)), "*Алгебра");
  w->Free();
}

TEST_F(VarsWindowTest, KlassHeadingMarks) {
  // A school of one klass with one lesson of one hour.
  TMdiTable small;
  small.CreateNew(W("small.tbl"));
  TProjectData& d = small.Data();
  d.Params.LessonsPerDay = 4;
  auto* k = d.Klasses.Add();
  k->SetName(W("1А"));
  auto* t = d.Teachers.Add();
  t->SetName(W("Учитель"));
  auto* s = d.Subjects.Add();
  s->SetName(W("Чтение"));
  auto* l = d.Lessons.Add();
  l->KlassID = k->ID();
  l->SetSubItemsCount(1);
  l->GetSubItem(0)->SubjectID = s->ID();
  l->GetSubItem(0)->TeacherID = t->ID();
  l->SetQuant(1, 1);
  TTableVarsManager* w = TTableVarsManager::CreateNew(small, *area, Hooks());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(Txt(Cell(w, TVarGrid::Klasses, 0, 1), 0, 1), "1 (0+0+1)    0,0");
  EXPECT_EQ(Cell(w, TVarGrid::Klasses, 0, 1).Mark, 4);
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 0, true, 2, 0, 1));
  EXPECT_EQ(Cell(w, TVarGrid::Klasses, 0, 1).Mark, 3);  // all placed, some only in the draft
  EXPECT_EQ(Cell(w, TVarGrid::Teachers, 0, 1).Mark, 3);
  ASSERT_TRUE(w->Var().RemoveLesson(0, 0, false, 3, 2, 2));
  EXPECT_EQ(Cell(w, TVarGrid::Klasses, 0, 1).Mark, 0);  // all in the fair copy
  // No group with more than one group: rows still two lines high.
  EXPECT_EQ(w->Grid(TVarGrid::Klasses)->SubRowsCnt(), 2);
  w->Free();
}

TEST_F(VarsWindowTest, CaptionFollowsTheModifiedMarkThroughItsMessage) {
  TTableVarsManager* w = NewWindow();
  MessageTraceRecorder trace;
  SetVarModified(true);
  EXPECT_EQ(w->windowTitle(), Ru("Новое расписание"));  // posted, not yet handled
  Drain();
  EXPECT_EQ(w->windowTitle(), Ru("Новое расписание (изменен)"));
  EXPECT_EQ(w->SubWindow()->windowTitle(), Ru("Новое расписание (изменен)"));
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{"posted 45280 (0, 0) -> 10", "delivered 45280 (0, 0) -> 10"}));
  SetVarModified(true);  // no change, no message
  Drain();
  EXPECT_EQ(trace.of(kMsgVarModified).size(), 2u);
  SetVarModified(false);
  Drain();
  EXPECT_EQ(w->windowTitle(), Ru("Новое расписание"));
  // Other parameters do nothing.
  EXPECT_EQ(sendMessage(w, kMsgVarModified, 7), 0);
  EXPECT_EQ(ShownVarName("/x/a.b.rsp"), u"a.b");
  EXPECT_EQ(ShownVarName("/x/вариант"), u"вариант");
  w->Free();
}

TEST_F(VarsWindowTest, OptionsAcceptedMarkTheVariantModified) {
  TTableVarsManager* w = NewWindow();
  EXPECT_FALSE(GetVarModified());  // declined on creation
  acceptOptions = true;
  w->Command(VariantCommand::Options);
  EXPECT_EQ(optionsRuns, 2);
  EXPECT_TRUE(GetVarModified());
  // Printing without its dialog, and the run commands without a run, do
  // nothing (the planning commands: planning_commands_test.cpp).
  for (VariantCommand c : {VariantCommand::Print, VariantCommand::Abort, VariantCommand::Continue}) w->Command(c);
  EXPECT_EQ(optionsRuns, 2);
  EXPECT_TRUE(prompt.asked.empty());
  w->Free();
}

// ---- saving -------------------------------------------------------------------------------

TEST_F(VarsWindowTest, SaveAndReloadRoundTrip) {
  TTableVarsManager* w = NewWindow();
  const int rus = LessonOfSubject(w->Model(), 0, "Русский язык");
  ASSERT_TRUE(test::PickFromPopup(w->DayCombo(), w->DayCombo()->itemText(2)));
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, rus, false, 3, 2, 1));
  SetVarModified(true);
  Drain();
  const QString path = TempFile("Вариант 1.rsp");
  dialogAnswers.push_back(path);
  w->Save(1);  // a new variant asks for a name
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(dialogs[0].save);
  EXPECT_EQ(dialogs[0].title, Ru("Сохранить вариант как"));
  EXPECT_EQ(dialogs[0].folder, dir.path() + QStringLiteral("/Variant"));
  EXPECT_TRUE(dialogs[0].filter.contains(QStringLiteral("*.rsp")));
  EXPECT_EQ(dialogs[0].defaultSuffix, QStringLiteral("rsp"));
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_FALSE(GetVarModified());
  EXPECT_EQ(Shared().VarIsNew, 0);
  Drain();
  EXPECT_EQ(w->windowTitle(), Ru("Вариант 1"));
  // Saving again without a change writes nothing and asks nothing.
  w->Save(1);
  EXPECT_EQ(dialogs.size(), 1u);
  w->Free();
  Drain();

  main.got.clear();
  TTableVarsManager* r = TTableVarsManager::Load(project, *area, PathFromQt(path), Hooks());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(optionsRuns, 1);  // only the new variant opened its options
  EXPECT_EQ(main.got, (std::vector<std::pair<uint32_t, MsgParam>>{{kMsgRegime, 2}}));
  EXPECT_EQ(r->CurrentDay(), 3);  // the day it was saved on
  EXPECT_EQ(r->DayCombo()->currentIndex(), 2);
  EXPECT_EQ(Shared().CurDay, 3);
  EXPECT_EQ(Shared().VarIsNew, 0);
  EXPECT_EQ(r->windowTitle(), Ru("Вариант 1"));
  EXPECT_EQ(Txt(Cell(r, TVarGrid::Klasses, 2, 1), 0, 0), "Русский язык");
  r->Free();
}

TEST_F(VarsWindowTest, ARefusedFileBuildsNothing) {
  const QString path = TempFile("bad.rsp");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(200, 'x'));
  }
  EXPECT_EQ(TTableVarsManager::Load(project, *area, PathFromQt(path), Hooks()), nullptr);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Формат файла bad.rsp не известен или не поддерживается."});
  EXPECT_EQ(Shared().CurVarsWindow, nullptr);
  EXPECT_TRUE(main.got.empty());
  EXPECT_EQ(FindChildByTag(*area, kTagVariantWindow), nullptr);
}

TEST_F(VarsWindowTest, AFailedSaveKeepsTheMarkTheNameAndTheOldFile) {
  TTableVarsManager* w = NewWindow();
  const QString good = TempFile("v.rsp");
  dialogAnswers.push_back(good);
  SetVarModified(true);
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 0, false, 1, 1, 1));
  w->Save(2);
  QFile f(good);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();

  ASSERT_TRUE(w->Var().PlaceLinkedLesson(1, 0, false, 1, 1, 1));
  SetVarModified(true);
  dialogAnswers.push_back(TempFile("missing folder/v2.rsp"));
  w->Save(2);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Ошибка при записи файла v2.rsp."});
  EXPECT_TRUE(GetVarModified());
  EXPECT_EQ(QtFromPath(w->Document().FileName), QDir::toNativeSeparators(good));
  Drain();
  EXPECT_EQ(w->windowTitle(), Ru("v (изменен)"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  w->Free();
}

TEST_F(VarsWindowTest, SaveQueryAnswersThroughThePromptAndItsMessage) {
  TTableVarsManager* w = NewWindow();
  // Nothing changed: no question.
  EXPECT_EQ(w->QuerySave(), kQuerySaved);
  // Changed, but every day empty: nothing worth keeping.
  SetVarModified(true);
  EXPECT_EQ(w->QuerySave(), kQueryDiscarded);
  EXPECT_TRUE(prompt.asked.empty());

  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 0, false, 1, 1, 1));
  // "Да" with the name dialog cancelled: nothing may be closed.
  SetVarModified(true);
  prompt.answers = {kResYes};
  EXPECT_EQ(w->QuerySave(), kQueryCancelled);
  EXPECT_TRUE(GetVarModified());
  prompt.answers = {kResCancel};
  EXPECT_EQ(sendMessage(w, kMsgVarModified, kVarModifiedSaveQuery), kQueryCancelled);
  EXPECT_EQ(prompt.Texts().back(), "Вариант \"Новое расписание\" был изменен. Сохранить изменения?");
  EXPECT_TRUE(GetVarModified());
  prompt.answers = {kResNo};
  EXPECT_EQ(w->QuerySave(), kQueryDiscarded);
  EXPECT_FALSE(GetVarModified());

  SetVarModified(true);
  prompt.answers = {kResYes};
  dialogAnswers.push_back(TempFile("q.rsp"));
  EXPECT_EQ(w->QuerySave(), kQuerySaved);
  EXPECT_TRUE(QFile::exists(TempFile("q.rsp")));
  EXPECT_FALSE(GetVarModified());
  Drain();
  EXPECT_EQ(w->windowTitle(), Ru("q"));
  EXPECT_FALSE(w->Document().IsNew);
  w->Free();
}

TEST_F(VarsWindowTest, SelectVarFileRefusesTheOpenVariant) {
  TTableVarsManager* w = NewWindow();
  dialogAnswers.push_back(QtFromPath(w->Document().FileName));
  EXPECT_TRUE(w->SelectVarFile().empty());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"Вариант \"Новое расписание\" уже открыт."});
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_FALSE(dialogs[0].save);
  EXPECT_EQ(dialogs[0].title, Ru("Открыть вариант"));
  EXPECT_EQ(dialogs[0].folder, dir.path() + QStringLiteral("/Variant"));
  dialogAnswers.push_back(TempFile("other.rsp"));
  EXPECT_EQ(QtFromPath(w->SelectVarFile()), QDir::toNativeSeparators(TempFile("other.rsp")));
  EXPECT_TRUE(w->SelectVarFile().empty());  // cancelled
  w->Free();
}

// ---- closing and freeing --------------------------------------------------------------------

TEST_F(VarsWindowTest, ClosingHidesAndAsksToLeavePlanning) {
  TTableVarsManager* w = NewWindow();
  QPointer<TTableVarsManager> alive(w);
  main.got.clear();

  // A run is active: it is stopped first, the window stays.
  Shared().PlanningRunning = 1;
  Shared().WaitUser = 1;
  w->SubWindow()->close();
  Drain();
  EXPECT_TRUE(w->SubWindow()->isVisible());
  EXPECT_EQ(Shared().AbortPlanning, 1);
  EXPECT_EQ(Shared().WaitUser, 0);
  EXPECT_EQ(main.got, (std::vector<std::pair<uint32_t, MsgParam>>{{kMsgAbortWait, kAbortWaitLeavePlanning}}));
  Shared().PlanningRunning = 0;
  Shared().AbortPlanning = 0;

  // Cancelled save query: stays.
  main.got.clear();
  ASSERT_TRUE(w->Var().PlaceLinkedLesson(0, 0, false, 1, 1, 1));
  SetVarModified(true);
  prompt.answers = {kResCancel};
  w->SubWindow()->close();
  Drain();
  EXPECT_TRUE(w->SubWindow()->isVisible());
  EXPECT_TRUE(main.got.empty());

  // Declined: hidden (not freed) and planning mode is asked to end.
  prompt.answers = {kResNo};
  w->SubWindow()->close();
  EXPECT_TRUE(main.got.empty());  // posted
  Drain();
  ASSERT_TRUE(alive);
  EXPECT_FALSE(w->SubWindow()->isVisible());
  EXPECT_EQ(main.got, (std::vector<std::pair<uint32_t, MsgParam>>{{kMsgLeavePlanning, 0}}));
  w->Free();
  EXPECT_FALSE(alive);
}

TEST_F(VarsWindowTest, FreedWhileItsOptionsAreOpenItGoesOnlyAfterTheDialog) {
  TTableVarsManager* w = NewWindow();
  auto handle = std::make_unique<TVarsWindowHandle>(w);
  QPointer<TTableVarsManager> alive(w);
  QPointer<QMdiSubWindow> sub(w->SubWindow());
  acceptOptions = true;
  bool aliveInside = false;
  duringOptions = [&] {
    handle.reset();  // the main window leaves planning mode meanwhile
    aliveInside = alive && w->Withdrawn();
    EXPECT_EQ(Shared().CurVarsWindow, nullptr);
    EXPECT_EQ(Shared().CurKlasses, nullptr);
    EXPECT_EQ(findMessageTarget(kTagVariantWindow), nullptr);
    EXPECT_EQ(FindChildByTag(*area, kTagVariantWindow), nullptr);
  };
  w->Command(VariantCommand::Options);
  EXPECT_TRUE(aliveInside);
  // The accepted options no longer touch the (closed) variant's mark.
  EXPECT_FALSE(GetVarModified());
  ASSERT_TRUE(alive);
  EXPECT_FALSE(sub->isVisible());
  Drain();
  EXPECT_FALSE(alive);
  EXPECT_FALSE(sub);
}

TEST_F(VarsWindowTest, FreedWhileItsCreationOptionsAreOpenGivesNoWindow) {
  TTableVarsManager* inside = nullptr;
  duringOptions = [&] {
    inside = dynamic_cast<TTableVarsManager*>(findMessageTarget(kTagVariantWindow));
    ASSERT_NE(inside, nullptr);
    inside->Free();
  };
  EXPECT_EQ(NewWindow(), nullptr);
  Drain();
  EXPECT_EQ(FindChildByTag(*area, kTagVariantWindow), nullptr);
  EXPECT_TRUE(area->subWindowList().isEmpty());
}

TEST_F(VarsWindowTest, ManualRegimeHidesTheTablesBehindTheDetailsWindow) {
  TTableVarsManager* w = NewWindow();
  w->SetRegime(0);
  EXPECT_EQ(Shared().PlanningRegime, 0);
  EXPECT_FALSE(w->SubWindow()->isVisible());
  EXPECT_NE(w->DetailsWindow(), nullptr);
  // Back to automatic with the orientation changed meanwhile: laid out again.
  Shared().VerticalView = 0;
  Shared().CurDay = 4;
  w->SetRegime(2);
  EXPECT_EQ(Shared().PlanningRegime, 2);
  EXPECT_EQ(w->ViewModeSwitch()->value(), 1);
  EXPECT_EQ(w->Grid(TVarGrid::Rooms)->RowCount(), w->Var().LessonsPerDay() + 1);
  EXPECT_EQ(w->CurrentDay(), 4);
  EXPECT_EQ(w->DayCombo()->currentIndex(), 3);
  w->SetRegime(1);
  EXPECT_EQ(Shared().PlanningRegime, 1);
  w->Free();
}

// ---- with the main window ---------------------------------------------------------------------

// The program's main window, with the real variant window and stand-in
// editors, over a saved copy of the demonstration project.
struct RealFrame {
  TVarsWindowFactory factory;
  test::FakeEditors* editors = nullptr;
  std::unique_ptr<TPrgMdiFrame> frame;

  explicit RealFrame(VarsWindowTest& t) {
    const QString tbl = t.TempFile("school.tbl");
    QFile f(tbl);
    if (!f.open(QIODevice::WriteOnly)) return;
    const auto image = DemoProjectImage();
    f.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
    f.close();
    t.main.setMessageTag(kNoTag);
    factory.hooks = t.Hooks();
    FrameServices services;
    services.editors = [this](TMdiTable& p, QMdiArea& ws) {
      auto e = std::make_unique<test::FakeEditors>(p, ws);
      editors = e.get();
      return e;
    };
    services.variants = &factory;
    frame = std::make_unique<TPrgMdiFrame>(std::move(services));
    frame->resize(900, 640);
    frame->show();
    if (!frame->OpenProjectFile(PathFromQt(tbl))) frame.reset();
  }
};

TEST_F(VarsWindowTest, PlanningModeWithTheRealVariantWindow) {
  area.reset();
  RealFrame real(*this);
  ASSERT_TRUE(real.frame);
  auto& frame = real.frame;
  test::FakeEditors* editors = real.editors;
  ASSERT_NE(editors, nullptr);
  ASSERT_TRUE(frame->Action(FrameCmd::Planning)->isEnabled());

  test::ChooseMenuItem(frame->menuBar(), frame->Action(FrameCmd::Planning));
  ASSERT_TRUE(frame->PlanningMode());
  EXPECT_EQ(optionsRuns, 1);
  auto* handle = dynamic_cast<TVarsWindowHandle*>(frame->VariantWindow());
  ASSERT_NE(handle, nullptr);
  QPointer<TTableVarsManager> w(handle->Manager());
  ASSERT_TRUE(w);
  EXPECT_EQ(Shared().CurVarsWindow, w.data());
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(editors->Sub(k)->isHidden()) << k;
  EXPECT_EQ(w->SubWindow()->geometry(), QRect(QPoint(0, 0), frame->Workspace()->viewport()->size()));
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(frame->Button(FrameCmd::Optimize)->isEnabled());

  // "Расстановка уроков" clicked on the tool bar opens the teacher group
  // editor of the day; Escape closes it and nothing is placed.
  {
    std::vector<QString> modals;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* m = QApplication::activeModalWidget();
      if (!m || (!modals.empty() && modals.back() == m->windowTitle())) return;
      modals.push_back(m->windowTitle());
      QTest::keyClick(m, Qt::Key_Escape);
    });
    poll.start();
    TPrgSpeedButton* place = frame->Button(FrameCmd::PlaceLessons);
    ASSERT_TRUE(place->isEnabled());
    QTest::mouseClick(place, Qt::LeftButton, Qt::NoModifier, place->rect().center());
    poll.stop();
    ASSERT_EQ(modals.size(), 1u);
    EXPECT_TRUE(modals[0].startsWith(Ru("Группы учителей: "))) << modals[0].toStdString();
    EXPECT_TRUE(w->Var().DayIsEmpty(1));
    EXPECT_EQ(Shared().PlanningRunning, 0);
  }

  // The frame's caption refresh goes to the window itself.
  SetVarModified(true);
  Drain();
  EXPECT_EQ(w->windowTitle(), Ru("Новое расписание (изменен)"));
  SetVarModified(false);
  Drain();

  // Options from the main window's menu.
  test::ChooseMenuItem(frame->menuBar(), frame->Action(FrameCmd::Options));
  EXPECT_EQ(optionsRuns, 2);

  // New variant replaces the window.
  test::ChooseMenuItem(frame->menuBar(), frame->Action(FrameCmd::NewVariant));
  Drain();
  EXPECT_FALSE(w);
  handle = dynamic_cast<TVarsWindowHandle*>(frame->VariantWindow());
  ASSERT_NE(handle, nullptr);
  w = handle->Manager();
  EXPECT_EQ(Shared().CurVarsWindow, w.data());

  // Closing the window leaves planning mode: editors back, window gone.
  w->SubWindow()->close();
  Drain();
  EXPECT_FALSE(frame->PlanningMode());
  EXPECT_FALSE(w);
  EXPECT_EQ(frame->VariantWindow(), nullptr);
  EXPECT_EQ(Shared().CurVarsWindow, nullptr);
  for (int k = 0; k < 5; ++k) EXPECT_FALSE(editors->Sub(k)->isHidden()) << k;

  // And in again, out through the menu.
  test::ChooseMenuItem(frame->menuBar(), frame->Action(FrameCmd::Planning));
  ASSERT_TRUE(frame->PlanningMode());
  test::ChooseMenuItem(frame->menuBar(), frame->Action(FrameCmd::EndPlanning));
  Drain();
  EXPECT_FALSE(frame->PlanningMode());
  EXPECT_EQ(FindChildByTag(*frame->Workspace(), kTagVariantWindow), nullptr);
  frame.reset();
  Drain();
}

// The placement run, as the user starts it from the tool bar: at its pause
// the window says that the day holds the chosen group's lessons only, so
// that a klass beginning late or with a free hour between lessons is not
// taken for a broken rule; the note goes with the run.
TEST_F(VarsWindowTest, APlacementSolutionIsMarkedAsTheGroupsLessonsOnly) {
  area.reset();
  RealFrame real(*this);
  ASSERT_TRUE(real.frame);
  TPrgMdiFrame& frame = *real.frame;
  frame.activateWindow();
  QApplication::setActiveWindow(&frame);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  QTest::keyClick(&frame, Qt::Key_F9);  // "Планировка"
  ASSERT_TRUE(frame.PlanningMode());
  auto* handle = dynamic_cast<TVarsWindowHandle*>(frame.VariantWindow());
  ASSERT_NE(handle, nullptr);
  QPointer<TTableVarsManager> w(handle->Manager());
  QLabel* note = w->RunNote();
  bool paused = false;
  QString shownNote;
  QTimer user;
  user.setInterval(5);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto click = [](QWidget* b) { test::LeftClick(b); };
    QWidget* m = QApplication::activeModalWidget();
    if (auto* g = qobject_cast<TGroupManBase*>(m)) return click(g->PlaceButton());
    if (auto* d = qobject_cast<TPrepareDlgBase*>(m)) return click(d->YesButton());
    if (!w || !w->TryMoreButton()->isEnabled() || paused) return;
    paused = true;
    if (note->isVisible()) shownNote = note->text();
    click(w->AbortButton());
  });
  user.start();
  TPrgSpeedButton* place = frame.Button(FrameCmd::PlaceLessons);
  QTest::mouseClick(place, Qt::LeftButton, Qt::NoModifier, place->rect().center());
  user.stop();
  ASSERT_TRUE(paused);
  EXPECT_EQ(shownNote.toStdString(), "Расставлены только уроки выбранной группы учителей; свободные часы в дне "
                                     "класса оставлены для уроков других групп.");
  EXPECT_EQ(Shared().PlanningRunning, 0);
  EXPECT_FALSE(w->Var().DayIsEmpty(1));
  EXPECT_FALSE(note->isVisible());
  SetVarModified(false);
}

TEST_F(VarsWindowTest, Screenshot) {
  area->resize(1000, 620);
  TTableVarsManager* w = NewWindow();
  w->setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  for (TSchoolTable* g : {w->Grid(TVarGrid::Klasses), w->Grid(TVarGrid::Teachers)})
    g->setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
  TRunModel& m = w->Model();
  w->SetupTables();
  for (int k = 0; k < m.Klasses.Count(); ++k) {
    // Hour 1 stays free, so Popov's undesired first hour shows.
    int hour = 2;
    for (int l = 0; l < m.Klasses[k]->Lessons.Count() && hour <= 6; ++l)
      if (w->Var().PlaceLinkedLesson(k, l, false, 1, hour, 1)) ++hour;
  }
  w->InvalidateTables();
  const int popov = IndexOfTeacher(m, "Попов");
  Drain();

  TSchoolTable* kg = w->Grid(TVarGrid::Klasses);
  const QImage shot = w->grab().toImage();
  const QString path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("variant_window.png"));
  EXPECT_TRUE(shot.save(path));
  std::printf("variant window screenshot: %s\n", qPrintable(path));
  // A lesson cell holds dark text on white.
  const QRect cell = kg->GetCellRect(2, 1).translated(kg->mapTo(w, QPoint(0, 0)));
  ASSERT_TRUE(cell.isValid());
  int dark = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y)
    for (int x = cell.left(); x <= cell.right(); ++x) dark += qGray(shot.pixel(x * shot.devicePixelRatio(), y * shot.devicePixelRatio())) < 100;
  EXPECT_GT(dark, 10);

  // The teachers' page: Popov's undesired Monday hour is yellow, but only
  // when no lesson fills it.
  test::ChooseTab(w->Pages(), 1);
  Drain();
  TSchoolTable* tg = w->Grid(TVarGrid::Teachers);
  ASSERT_EQ(tg->CellContent(1, popov + 1).Mark, 1);
  {
    tg->SetTopRow(std::max(1, popov));
    Drain();
    const QImage t = w->grab().toImage();
    const QRect pc = tg->GetCellRect(1, popov + 1).translated(tg->mapTo(w, QPoint(0, 0)));
    ASSERT_TRUE(pc.isValid());
    const QColor c(t.pixel(pc.center() * t.devicePixelRatio()));
    EXPECT_EQ(c.red(), 255);
    EXPECT_EQ(c.green(), 255);
    EXPECT_EQ(c.blue(), 0);
  }
  test::ChooseTab(w->Pages(), 0);
  w->Free();
}


// ---- statistics -----------------------------------------------------------------------------

// The mean difficulty of a cell's lesson over its groups.
double CellDifficulty(const TRunModel& m, int k, const TTableCell& c) {
  const TRTILessonItem* l = m.KlassLesson(k, c.Lesson);
  if (!l || l->SubItemsCount() == 0) return 0;
  double sum = 0;
  for (int g = 0; g < l->SubItemsCount(); ++g)
    if (const TSubjectItem* s = m.Subjects.GetItem(l->GetSubItem(g)->SubjectID)) sum += s->SanitarKf;
  return sum / l->SubItemsCount();
}

TEST_F(VarsWindowTest, StatisticsShowEachKlassDayLoadOrSayThatNothingIsPlaced) {
  TTableVarsManager* w = NewWindow();
  TRunModel& m = w->Model();
  TTableVarItem& var = w->Var();

  // An empty variant: message 10154 instead of the dialog.
  w->Command(VariantCommand::Statistics);
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, "В открытом варианте расписания не выставлено ни одного урока.");

  Shared().AbortPlanning = 0;
  ASSERT_TRUE(PlanDayAuto(m, var, 1).Ok);
  ASSERT_TRUE(PlanDayAuto(m, var, 3).Ok);
  // One lesson parked in Tuesday's draft counts too.
  ASSERT_TRUE(var.PlaceLinkedLesson(0, 0, true, 2, 1, 1));

  bool ran = false;
  test::WhenModal([&](QWidget* modal) {
    auto* dlg = qobject_cast<TViewStatDlg*>(modal);
    ASSERT_NE(dlg, nullptr);
    ran = true;
    EXPECT_EQ(dlg->windowTitle(), Ru("Статистика"));
    TStatGrid* g = dlg->SESKfGrid();
    ASSERT_EQ(g->RowCount(), m.Klasses.Count() + 1);
    EXPECT_EQ(g->ColWidths(1), 50);
    EXPECT_EQ(ToQt(g->Cells(1, 0)), QLocale().dayName(1, QLocale::ShortFormat));
    const QString point = QLocale().decimalPoint();
    for (int k = 0; k < m.Klasses.Count(); ++k) {
      EXPECT_EQ(g->Cells(0, k + 1), m.Klasses[k]->DisplayName());
      for (int d = 1; d <= 6; ++d) {
        double sum = 0;
        for (int h = 1; h <= m.L(); ++h)
          sum += CellDifficulty(m, k, var.GetCell(k, d, h)) + CellDifficulty(m, k, var.GetDraftCell(k, d, h));
        QString expected = QString::number(sum, 'f', 1);
        expected.replace(QLatin1Char('.'), point);
        EXPECT_EQ(ToQt(g->Cells(d, k + 1)), expected) << "klass " << k << " day " << d;
        if (d == 5) {
          EXPECT_EQ(g->Cells(d, k + 1), FormatDifficulty(0, point.at(0).toLatin1()));
        }
      }
    }
    EXPECT_NE(g->Cells(2, 1), FormatDifficulty(0, point.at(0).toLatin1()));
    test::LeftClick(dlg->CloseButton());
  });
  w->Command(VariantCommand::Statistics);
  EXPECT_TRUE(ran);
  EXPECT_EQ(prompt.asked.size(), 1u);
}

// A klass's day of difficulty 5.25 (a lesson of four groups, three of
// difficulty 5 and one of 6) reads the same, "5,3", in the variant window's
// heading and in the statistics.
TEST(StatisticsDialog, OneRoundingInEveryWindow) {
  TProjectData data;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), data));
  ASSERT_GE(data.Subjects.Count(), 2);
  data.Subjects.GetItem(0)->SanitarKf = 5;
  data.Subjects.GetItem(1)->SanitarKf = 6;
  TLessonItem* l = data.Lessons.GetItem(0);
  const TLessonSubItem first = *l->GetSubItem(0);
  l->SetSubItemsCount(4);
  for (int g = 0; g < 4; ++g) {
    l->SetSubItem(g, first);
    l->GetSubItem(g)->SubjectID = data.Subjects.GetItem(g == 3 ? 1 : 0)->ID();
  }
  auto doc = TVarDocument::CreateNew(data, "t.rsp");
  ASSERT_TRUE(doc);
  TRunModel& m = doc->Model();
  int klass = -1, lesson = -1;
  for (int k = 0; k < m.Klasses.Count() && klass < 0; ++k)
    for (int i = 0; i < m.Klasses[k]->Lessons.Count(); ++i)
      if (m.Klasses[k]->Lessons[i]->SubItemsCount() == 4) {
        klass = k;
        lesson = i;
        break;
      }
  ASSERT_GE(klass, 0);
  ASSERT_TRUE(doc->Var().PlaceLinkedLesson(klass, lesson, false, 1, 1, 1));
  ASSERT_DOUBLE_EQ(doc->Var().GetKlassDayDifficulty(klass, 1), 5.25);
  TVarCellView view;
  view.Model = &m;
  view.Var = &doc->Var();
  const THourElementRecord head = VarCellContent(view, TVarGrid::Klasses, 0, klass + 1, ',');
  const std::string tail = head.Texts[0][1];
  EXPECT_EQ(tail.substr(tail.size() - 3), "5,3");
  TStringGrid grid;
  grid.SetColCount(7);
  grid.SetRowCount(m.Klasses.Count() + 1);
  FillStatisticsGrid(grid, doc->Var(), m.Klasses, ',');
  EXPECT_EQ(grid.Cells(1, klass + 1), "5,3");
}

TEST(StatisticsDialog, FormatAndTheHeadingsWithoutAnOwner) {
  EXPECT_EQ(FormatDifficulty(12.25, ','), "12,3");  // a tie goes away from zero
  EXPECT_EQ(FormatDifficulty(0, ','), "0,0");
  EXPECT_EQ(FormatDifficulty(7.96, '.'), "8.0");
  TViewStatDlg dlg(nullptr, nullptr, 20);
  EXPECT_EQ(dlg.SESKfGrid()->RowCount(), 21);
  EXPECT_EQ(dlg.SESKfGrid()->ColCount(), 7);
  EXPECT_TRUE(dlg.SESKfGrid()->Cells(0, 0).empty());
  EXPECT_TRUE(dlg.SESKfGrid()->Cells(1, 1).empty());
}

}  // namespace
}  // namespace korvant
