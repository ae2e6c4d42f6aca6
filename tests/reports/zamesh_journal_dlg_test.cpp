// The journal dialog over a temporary archive: rows entered, stored and
// found again, the question when a day cannot be stored, refused archives.
#include "reports/zamesh_journal_dlg.h"

#include <QApplication>
#include <QTimer>
#include <QDateEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

#include "controls/prg_string_grid.h"
#include "core/variant/variant_fixture.h"
#include "platform/qt_text.h"
#include <QLabel>
#include <QLineEdit>
#include <cstring>
#include "controls/bit_btn.h"
#include "controls/btn_edit.h"
#include "controls/speed_button.h"
#include "controls/sel_date_dlg.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::W;
using test::WhenModal;

const QDate kMonday(2024, 1, 1);

// Ivanov teaches 5a Math at hour 2 of Monday with Petrov's Physics group
// beside him; Volkov teaches nothing.
struct Variant {
  testing::Built b;
  Variant() {
    testing::ProjectBuilder p(4);
    const int32_t math = p.Subject(), phys = p.Subject();
    p.d.Subjects[0]->SetName("Math");
    p.d.Subjects[1]->SetName("Physics");
    const int32_t k5 = p.Klass();
    p.d.Klasses[0]->SetName("5a");
    for (const char* n : {"Ivanov", "Petrov", "Volkov"}) p.d.Teachers.FindItemID(p.Teacher())->SetName(n);
    const int32_t ivanov = p.d.Teachers[0]->ID(), petrov = p.d.Teachers[1]->ID();
    TLessonItem* lesson = p.Lesson(k5, {{math, ivanov}, {phys, petrov}}, {1});
    lesson->GetSubItem(0)->SetFictionName(W("Каб. 205 (русский язык)"));
    const int32_t id = lesson->ID();
    b = testing::Build(p.d);
    EXPECT_TRUE(b.var->PlaceLinkedLesson(0, testing::LessonIndex(*b.model, 0, id), false, 1, 2, 1));
  }
  const TTableVarItem& var() const { return *b.var; }
};

struct JournalTest : ::testing::Test {
  QTemporaryDir dir;
  Variant v;
  ScriptedPrompt prompt;
  ScopedPrompt scoped{&prompt};
  std::string Path() const { return dir.filePath("zarch.sys").toStdString(); }

  std::unique_ptr<TZameshArchive> OpenArchive() {
    ZameshOpenStatus st;
    auto a = TZameshArchive::Open(Path(), st);
    EXPECT_EQ(st, ZameshOpenStatus::Ok);
    return a;
  }
  // Adds Ivanov's lesson 2 through "+" and the add dialog: the teacher
  // clicked, the lesson clicked and ticked with the space bar, "Да".
  static void AddIvanov(TViewZameshDlg& dlg) {
    WhenModal([](QWidget* m) {
      auto* ill = qobject_cast<TIllTeacherDlg*>(m);
      ASSERT_TRUE(ill);
      test::ClickItem(ill->Teachers(), test::IndexAt(ill->Teachers(), 0));
      ASSERT_EQ(ill->Lessons()->count(), 4);
      test::ClickItem(ill->Lessons(), test::IndexAt(ill->Lessons(), 1));
      QTest::keyClick(ill->Lessons(), Qt::Key_Space);
      test::ClickButton(ill, "Да");
    });
    test::Press(dlg.AddButton());
  }
  // A cell of the row opened as the user does: the row's first cell in
  // sight clicked, the arrows to the column (the grid scrolls it into
  // sight), Return for its editor.
  static void OpenCell(TPrgStringGrid* g, int col, int row) {
    const int from = g->LeftCol();
    test::LeftClick(g->viewport(), g->CellRect(from, row).center());
    for (int c = from; c != col; c += col > from ? 1 : -1)
      QTest::keyClick(g, col > from ? Qt::Key_Right : Qt::Key_Left);
    QTest::keyClick(g, Qt::Key_Return);
  }
  // The substitute cell's button pressed, as the user does: the cell
  // opened, the editor's button. Answers whether the cell got a substitute.
  static bool PickSubstitute(TViewZameshDlg& dlg, int row) {
    TPrgStringGrid* g = dlg.Grid();
    OpenCell(g, kZamSubstitute, row);
    auto* edit = qobject_cast<TPrgBtnEdit*>(QApplication::focusWidget());
    EXPECT_TRUE(edit) << "the substitute cell opened no editor";
    if (edit) test::Press(edit->Button());
    return !g->Cells(kZamSubstitute, row).empty();
  }
  // Another day typed into the date picker and taken with Return.
  static void GoToDay(TViewZameshDlg& dlg, const QDate& day) {
    test::EnterDate(dlg.DatePicker(), day);
    QTest::keyClick(dlg.DatePicker(), Qt::Key_Return);
  }
};

TEST_F(JournalTest, ARowIsStoredWithItsDayAndFoundAgain) {
  {
    auto archive = OpenArchive();
    TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
    test::ShowActive(dlg);
    EXPECT_EQ(dlg.Grid()->RowCount(), 2);
    EXPECT_EQ(test::U(dlg.Grid()->Cells(1, 0)), "ФИО отсутств.");
    AddIvanov(dlg);
    ASSERT_EQ(dlg.Grid()->RowCount(), 2);  // the empty row was filled
    EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "2");
    EXPECT_EQ(dlg.Grid()->Cells(kZamAbsent, 1), "Ivanov");
    EXPECT_TRUE(dlg.Modified());
    EXPECT_TRUE(dlg.Exclusion().IsAbsent(0, 2));

    // The substitute: Petrov teaches the other group, first of the list.
    WhenModal([](QWidget* m) {
      auto* h = qobject_cast<THealthTeacherDlg*>(m);
      ASSERT_TRUE(h);
      ASSERT_EQ(h->CandidateList()->count(), 2);
      EXPECT_EQ(test::U(FromQt(h->CandidateList()->item(0)->text())), "гр. Petrov");
      EXPECT_EQ(test::U(FromQt(h->LessonLabel()->text())), "Замещаемый урок (2):");
      EXPECT_EQ(h->DayList()->count(), 4);  // Petrov's Monday
      test::ClickButton(h, "Да");
    });
    ASSERT_TRUE(PickSubstitute(dlg, 1));
    EXPECT_EQ(dlg.Grid()->Cells(kZamSubstitute, 1), "Petrov");
    EXPECT_EQ(dlg.Grid()->Objects(kZamSubstitute, 1), reinterpret_cast<void*>(1));
    EXPECT_TRUE(dlg.Exclusion().IsSubstituting(1, 2));

    // The reason from the cell's list: the list and the cell show it whole.
    TPrgStringGrid* g = dlg.Grid();
    OpenCell(g, kZamReason, 1);
    QComboBox* reasons = g->InplaceEdit()->Combo();
    ASSERT_TRUE(reasons);
    ASSERT_TRUE(test::PickFromPopup(reasons, QStringLiteral("В счет отпуска")));
    ASSERT_TRUE(reasons->lineEdit());  // and the open editor beside its arrow
    EXPECT_LE(reasons->fontMetrics().horizontalAdvance(QStringLiteral("В счет отпуска")),
              reasons->lineEdit()->contentsRect().width());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(test::U(g->Cells(kZamReason, 1)), "В счет отпуска");
    for (int r = 0; r < 2; ++r)  // every heading and cell whole in one line
      for (int c = 0; c < g->ColCount(); ++c)
        EXPECT_LE(g->fontMetrics().horizontalAdvance(ToQt(g->Cells(c, r))) + 4, g->ColWidths(c)) << c << "," << r;

    // Another day stores Monday first and shows an empty day.
    GoToDay(dlg, kMonday.addDays(1));
    EXPECT_FALSE(dlg.Modified());
    EXPECT_EQ(archive->FindEntry(ZameshDateOf(kMonday)), 0);
    EXPECT_EQ(dlg.Grid()->RowCount(), 2);
    EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "");
    EXPECT_EQ(test::U(FromQt(dlg.WeekdayEdit()->text())), "Вторник");

    GoToDay(dlg, kMonday);
    EXPECT_EQ(dlg.EntryIndex(), 0);
    EXPECT_EQ(dlg.Grid()->Cells(kZamSubstitute, 1), "Petrov");
    EXPECT_EQ(dlg.Grid()->Objects(kZamAbsent, 1), reinterpret_cast<void*>(0b10));
    EXPECT_EQ(dlg.Grid()->Objects(kZamSubstitute, 1), reinterpret_cast<void*>(1));
    EXPECT_TRUE(dlg.Exclusion().IsSubstituting(1, 2));
  }
  EXPECT_TRUE(prompt.asked.empty());
  auto again = OpenArchive();
  ASSERT_EQ(again->LoadDay(ZameshDateOf(kMonday)).size(), 1u);
}

// The substitute cell's button, pressed with the mouse, and "Да" in the
// candidates' dialog: the cell's editor shows the chosen name at once.
TEST_F(JournalTest, ThePickedSubstituteShowsInTheOpenEditorAtOnce) {
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  test::ShowActive(dlg);
  AddIvanov(dlg);
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  TPrgStringGrid* g = dlg.Grid();
  OpenCell(g, kZamSubstitute, 1);
  auto* edit = qobject_cast<TPrgBtnEdit*>(QApplication::focusWidget());
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->text(), "");
  WhenModal([](QWidget* m) {
    auto* h = qobject_cast<THealthTeacherDlg*>(m);
    ASSERT_TRUE(h);
    for (TPrgBitBtn* b : h->findChildren<TPrgBitBtn*>())
      if (b->text() == QString::fromUtf8("Да")) QTest::mouseClick(b, Qt::LeftButton);
  });
  QTest::mouseClick(edit->Button(), Qt::LeftButton, {}, edit->Button()->rect().center());
  ASSERT_TRUE(g->EditorMode());
  auto* shown = qobject_cast<TPrgBtnEdit*>(g->InplaceEdit()->Editor()->Widget());
  ASSERT_TRUE(shown);
  EXPECT_TRUE(shown->isVisible());
  EXPECT_EQ(shown->text(), "Petrov");
  EXPECT_EQ(g->Cells(kZamSubstitute, 1), "Petrov");
  EXPECT_TRUE(dlg.Exclusion().IsSubstituting(1, 2));
}

TEST_F(JournalTest, EditsAreSavedWhenTheJournalCloses) {
  {
    auto archive = OpenArchive();
    TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
    WhenModal([&](QWidget*) {
      AddIvanov(dlg);
      test::LeftClick(dlg.CloseButton());
    });
    EXPECT_EQ(dlg.ShowModal(), mrOk);
  }
  auto archive = OpenArchive();
  EXPECT_EQ(archive->LoadDay(ZameshDateOf(kMonday))[0].Texts[kZamAbsent], "Ivanov");
}

// An archive whose 2000 entries are all taken by other days.
void WriteFullArchive(const std::string& path) {
  std::vector<unsigned char> b = TZameshImage::NewBytes();
  for (std::size_t n = 0; n < kZameshEntries; ++n) {
    const double date = 1000.0 + static_cast<double>(n);
    std::memcpy(&b[kZameshIndexOffset + kZameshEntryBytes * n], &date, 8);
  }
  WriteZameshBlock(b, {TZameshRow{}});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                               static_cast<std::streamsize>(b.size()));
}

TEST_F(JournalTest, ADayThatCannotBeStoredIsNotDroppedWithoutAsking) {
  WriteFullArchive(Path());
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  test::ShowActive(dlg);
  AddIvanov(dlg);

  prompt.answers = {kResYes, kResNo};  // the full index told, then "stay"
  GoToDay(dlg, kMonday.addDays(1));
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10156)));
  EXPECT_EQ(prompt.asked[1].kind, kBoxYesNo);
  EXPECT_EQ(dlg.DatePicker()->date(), kMonday);
  EXPECT_EQ(dlg.ShownDate(), ZameshDateOf(kMonday));
  EXPECT_TRUE(dlg.Modified());
  EXPECT_EQ(dlg.Grid()->Cells(kZamAbsent, 1), "Ivanov");

  // Closing asks too; "no" keeps the journal open.
  prompt.asked.clear();
  prompt.answers = {kResYes, kResNo};
  EXPECT_FALSE(dlg.close());  // the close box
  EXPECT_EQ(prompt.asked.size(), 2u);
  EXPECT_TRUE(dlg.isVisible());

  // "Yes" lets the day go.
  prompt.asked.clear();
  prompt.answers = {kResYes, kResYes};
  GoToDay(dlg, kMonday.addDays(1));
  EXPECT_EQ(prompt.asked.size(), 2u);
  EXPECT_FALSE(dlg.Modified());
  EXPECT_EQ(dlg.Grid()->Cells(kZamAbsent, 1), "");
  EXPECT_TRUE(dlg.close());
}

// The "-" button, pressed with the mouse: the question with "Да" and "Нет".
TEST_F(JournalTest, DeletingAsksFirst) {
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  test::ShowActive(dlg);
  TPrgSpeedButton* del = dlg.DeleteButton();
  QTest::mouseClick(del, Qt::LeftButton, {}, del->rect().center());  // an empty row: nothing asked
  EXPECT_TRUE(prompt.asked.empty());
  AddIvanov(dlg);
  QTest::mouseClick(dlg.Grid()->viewport(), Qt::LeftButton, {}, dlg.Grid()->CellRect(kZamSubject, 1).center());
  prompt.answers = {kResNo};
  QTest::mouseClick(del, Qt::LeftButton, {}, del->rect().center());
  EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "2");
  prompt.answers = {kResYes};
  QTest::mouseClick(del, Qt::LeftButton, {}, del->rect().center());
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10046)));
  EXPECT_EQ(prompt.asked[0].kind, kBoxYesNo);
  EXPECT_EQ(dlg.Grid()->RowCount(), 2);
  EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "");
  EXPECT_TRUE(dlg.Exclusion().Pairs.empty());
}

TEST_F(JournalTest, ASubstituteForALessonNotInTheVariantIsRefused) {
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  test::ShowActive(dlg);
  AddIvanov(dlg);
  dlg.Grid()->SetCells(kZamAbsent, 1, "Nobody");  // a row stored for a teacher the variant lost
  EXPECT_FALSE(PickSubstitute(dlg, 1));
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10157)));
  EXPECT_EQ(dlg.Grid()->Cells(kZamSubstitute, 1), "");
}

bool JournalShown() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<TViewZameshDlg*>(w) && w->isVisible()) return true;
  return false;
}

TEST_F(JournalTest, ARefusedArchiveIsReportedAndNothingOpens) {
  std::ofstream(Path(), std::ios::binary) << "too short";
  bool shown = false;
  // Runs once: inside the journal's modal loop if one opened, else in the
  // processEvents below, while `shown` still lives. (A poll that waited for
  // a modal would outlive the test.)
  QTimer::singleShot(0, [&shown] {
    if (QWidget* m = QApplication::activeModalWidget()) {
      shown = true;
      m->close();
    }
  });
  EXPECT_FALSE(ViewZamesh(nullptr, v.var(), 2, Path()));
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_NE(prompt.asked[0].text.find("zarch.sys"), std::string::npos);
  QCoreApplication::processEvents();
  EXPECT_FALSE(shown);
  EXPECT_FALSE(JournalShown());
}

TEST_F(JournalTest, AnArchiveAlreadyOpenIsReported) {
  auto archive = OpenArchive();
  EXPECT_FALSE(ViewZamesh(nullptr, v.var(), 2, Path()));
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10155)));
}

// ---- the count report ----

std::vector<std::vector<std::string>> GridRows(const TPrgStringGrid& g) {
  std::vector<std::vector<std::string>> out;
  for (int r = 1; r < g.RowCount(); ++r) {
    std::vector<std::string> row;
    for (int c = 0; c < g.ColCount(); ++c) row.push_back(test::U(g.Cells(c, r)));
    out.push_back(row);
  }
  return out;
}

TZameshRow Stored(const char* lesson, const char* absent, uint32_t section, const char* substitute,
                  uint32_t group) {
  TZameshRow r;
  r.Texts[kZamLesson] = lesson;
  r.Texts[kZamAbsent] = absent;
  r.Texts[kZamKlass] = "5a";
  r.Texts[kZamSubstitute] = substitute;
  r.Objects[kZamKlass] = section;
  r.Objects[kZamSubstitute] = group;
  return r;
}

// Runs script on the first modal window of type T once one is up (a window
// still closing is passed over).
template <class T>
void WhenModalOf(std::function<void(T*)> script) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [script, poll] {
    if (auto* m = qobject_cast<T*>(QApplication::activeModalWidget())) {
      script(m);
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(5, *poll);
  };
  QTimer::singleShot(0, *poll);
}

struct CountReportTest : JournalTest {
  // Tuesday, already stored: Petrov absent twice in the middle section,
  // once replaced by Volkov and once by nobody; "petrov" (another spelling,
  // another teacher) absent in the junior section, Volkov from the group list.
  void StoreTuesday(TZameshArchive& a) {
    ASSERT_EQ(a.SaveDay(ZameshDateOf(kMonday.addDays(1)),
                        {Stored("3", "Petrov", 1, "Volkov", 0), Stored("4", "Petrov", 2, "", 0),
                         Stored("1", "petrov", 0, "Volkov", 1)}),
              ZameshSaveResult::Saved);
  }
  // Runs the count report of Monday..last and answers the two sheets, or
  // nothing when no report came up. The report is closed with the mouse.
  // The count over a period is the unit here, so the report is run as
  // "Отчет" runs it once its period is given; the button and its period
  // dialog have their own test below.
  std::pair<std::vector<std::vector<std::string>>, std::vector<std::vector<std::string>>> Count(
      TViewZameshDlg& dlg, const QDate& last, std::string* caption = nullptr, bool* shown = nullptr) {
    std::pair<std::vector<std::vector<std::string>>, std::vector<std::vector<std::string>>> sheets;
    bool came = false;
    WhenModal([&](QWidget* m) {
      auto* r = qobject_cast<TZamRprtDlg*>(m);
      if (!r) return;
      came = true;
      if (caption) *caption = test::U(FromQt(r->windowTitle()));
      EXPECT_EQ(r->Pages()->count(), 2);
      EXPECT_EQ(test::U(FromQt(r->Pages()->tabText(0))), "Пропуски");
      EXPECT_EQ(test::U(FromQt(r->Pages()->tabText(1))), "Замещения");
      EXPECT_EQ(test::U(r->MissedGrid()->Cells(2, 0)), "5 - 11 кл.");
      EXPECT_EQ(test::U(r->SubstGrid()->Cells(2, 0)), "1 - 3 кл. (гр.)");
      sheets = {GridRows(*r->MissedGrid()), GridRows(*r->SubstGrid())};
      QTest::mouseClick(r->CloseButton(), Qt::LeftButton);
    });
    const bool ok = dlg.ShowCountReport(ZameshDateOf(kMonday), ZameshDateOf(last));
    EXPECT_EQ(ok, came);
    if (shown) *shown = came;
    return sheets;
  }
};

TEST_F(CountReportTest, CountsTheShownDaysEditsAndEveryStoredRow) {
  auto archive = OpenArchive();
  StoreTuesday(*archive);
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  test::ShowActive(dlg);
  AddIvanov(dlg);  // Monday, not yet stored: Ivanov absent, Petrov from the group list
  WhenModal([](QWidget* m) {
    if (auto* h = qobject_cast<THealthTeacherDlg*>(m)) test::ClickButton(h, "Да");
  });
  ASSERT_TRUE(PickSubstitute(dlg, 1));
  ASSERT_TRUE(dlg.Modified());

  std::string caption;
  const auto [missed, subst] = Count(dlg, kMonday.addDays(1), &caption);
  EXPECT_EQ(caption, "Пропуски и замещения: 01.01.2024 - 02.01.2024");
  // Monday's unsaved row counts: the day was stored before counting.
  EXPECT_FALSE(dlg.Modified());
  EXPECT_EQ(archive->FindEntry(ZameshDateOf(kMonday)), 1);
  using Rows = std::vector<std::vector<std::string>>;
  EXPECT_EQ(missed, (Rows{{"Ivanov", "0", "1"}, {"Petrov", "0", "2"}, {"petrov", "1", "0"}}));
  // The row without a substitute adds no nameless teacher.
  EXPECT_EQ(subst, (Rows{{"Petrov", "0", "0", "0", "1"}, {"Volkov", "0", "1", "1", "0"}}));

  // Monday alone; a period of days without rows says "Нет" on both sheets.
  const auto monday = Count(dlg, kMonday);
  EXPECT_EQ(monday.first, (Rows{{"Ivanov", "0", "1"}}));
  GoToDay(dlg, kMonday.addDays(7));
  std::pair<Rows, Rows> none;
  WhenModal([&](QWidget* m) {
    auto* r = qobject_cast<TZamRprtDlg*>(m);
    ASSERT_TRUE(r);
    none = {GridRows(*r->MissedGrid()), GridRows(*r->SubstGrid())};
    QTest::mouseClick(r->CloseButton(), Qt::LeftButton);
  });
  ASSERT_TRUE(dlg.ShowCountReport(ZameshDateOf(kMonday.addDays(5)), ZameshDateOf(kMonday.addDays(3))));
  EXPECT_EQ(none.first, (Rows{{"Нет", "", ""}}));
  EXPECT_EQ(none.second, (Rows{{"Нет", "", "", "", ""}}));
}

TEST_F(CountReportTest, TheReportButtonAsksForThePeriod) {
  auto archive = OpenArchive();
  StoreTuesday(*archive);
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  dlg.show();

  // The period dialog closed without "Да": no report.
  bool asked = false;
  WhenModalOf<TSelDateDlg>([&](TSelDateDlg* p) {
    asked = true;
    EXPECT_FALSE(p->DayOnly());
    p->close();  // the window's close box: the dialog has no cancel button
  });
  QTest::mouseClick(dlg.ReportButton(), Qt::LeftButton);
  EXPECT_TRUE(asked);

  // A period given backwards is its first day: Tuesday alone.
  std::string caption;
  std::vector<std::vector<std::string>> missed;
  WhenModalOf<TSelDateDlg>([&](TSelDateDlg* p) {
    test::EnterDate(p->FromPicker(), kMonday.addDays(1));
    test::EnterDate(p->ToPicker(), kMonday);
    WhenModalOf<TZamRprtDlg>([&](TZamRprtDlg* r) {
      caption = test::U(FromQt(r->windowTitle()));
      missed = GridRows(*r->MissedGrid());
      QTest::mouseClick(r->CloseButton(), Qt::LeftButton);
    });
    QTest::mouseClick(p->YesButton(), Qt::LeftButton);
  });
  QTest::mouseClick(dlg.ReportButton(), Qt::LeftButton);
  EXPECT_EQ(caption, "Пропуски и замещения: 02.01.2024 - 02.01.2024");
  EXPECT_EQ(missed, (std::vector<std::vector<std::string>>{{"Petrov", "0", "2"}, {"petrov", "1", "0"}}));
}

TEST_F(CountReportTest, ADayThatCannotBeStoredAsksBeforeTheReport) {
  WriteFullArchive(Path());
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  test::ShowActive(dlg);
  AddIvanov(dlg);

  prompt.answers = {kResYes, kResNo};  // the full index told, then "stay"
  EXPECT_FALSE(dlg.ShowCountReport(ZameshDateOf(kMonday), ZameshDateOf(kMonday)));
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10156)));
  EXPECT_EQ(prompt.asked[1].kind, kBoxYesNo);
  EXPECT_TRUE(dlg.Modified());

  // "Yes": the report of what the archive holds, the day kept on screen.
  prompt.asked.clear();
  prompt.answers = {kResYes, kResYes};
  bool shown = false;
  const auto sheets = Count(dlg, kMonday, nullptr, &shown);
  EXPECT_TRUE(shown);
  EXPECT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(sheets.first, (std::vector<std::vector<std::string>>{{"Нет", "", ""}}));
  EXPECT_EQ(dlg.Grid()->Cells(kZamAbsent, 1), "Ivanov");
  prompt.answers = {kResYes, kResYes};
}

}  // namespace
}  // namespace korvant
