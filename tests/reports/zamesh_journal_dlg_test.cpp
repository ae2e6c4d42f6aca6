// The journal dialog over a temporary archive: rows entered, stored and
// found again, the question when a day cannot be stored, refused archives.
#include "reports/zamesh_journal_dlg.h"

#include <QApplication>
#include <QTimer>
#include <QDateEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

#include "controls/prg_string_grid.h"
#include "core/variant_fixture.h"
#include "platform/qt_text.h"
#include <QLabel>
#include <QLineEdit>
#include <cstring>
#include "controls/bit_btn.h"
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
    const int32_t id = p.Lesson(k5, {{math, ivanov}, {phys, petrov}}, {1})->ID();
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
  // Adds Ivanov's lesson 2 through the add dialog.
  static void AddIvanov(TViewZameshDlg& dlg) {
    WhenModal([](QWidget* m) {
      auto* ill = qobject_cast<TIllTeacherDlg*>(m);
      ASSERT_TRUE(ill);
      ill->Teachers()->setCurrentRow(0);
      ASSERT_EQ(ill->Lessons()->count(), 4);
      ill->Lessons()->item(1)->setCheckState(Qt::Checked);
      ill->SetModalResult(mrOk);
    });
    dlg.AddRecords();
  }
};

TEST_F(JournalTest, ARowIsStoredWithItsDayAndFoundAgain) {
  {
    auto archive = OpenArchive();
    TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
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
      h->SetModalResult(mrOk);
    });
    ASSERT_TRUE(dlg.ChooseSubstitute(1));
    EXPECT_EQ(dlg.Grid()->Cells(kZamSubstitute, 1), "Petrov");
    EXPECT_EQ(dlg.Grid()->Objects(kZamSubstitute, 1), reinterpret_cast<void*>(1));
    EXPECT_TRUE(dlg.Exclusion().IsSubstituting(1, 2));

    // Another day stores Monday first and shows an empty day.
    dlg.DatePicker()->setDate(kMonday.addDays(1));
    EXPECT_FALSE(dlg.Modified());
    EXPECT_EQ(archive->FindEntry(ZameshDateOf(kMonday)), 0);
    EXPECT_EQ(dlg.Grid()->RowCount(), 2);
    EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "");
    EXPECT_EQ(test::U(FromQt(dlg.WeekdayEdit()->text())), "Вторник");

    dlg.DatePicker()->setDate(kMonday);
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

TEST_F(JournalTest, EditsAreSavedWhenTheJournalCloses) {
  {
    auto archive = OpenArchive();
    TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
    AddIvanov(dlg);
    WhenModal([&](QWidget*) { dlg.CloseButton()->click(); });
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
  AddIvanov(dlg);

  prompt.answers = {kResYes, kResNo};  // the full index told, then "stay"
  dlg.DatePicker()->setDate(kMonday.addDays(1));
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
  dlg.show();
  EXPECT_FALSE(dlg.close());
  EXPECT_EQ(prompt.asked.size(), 2u);
  EXPECT_TRUE(dlg.isVisible());

  // "Yes" lets the day go.
  prompt.asked.clear();
  prompt.answers = {kResYes, kResYes};
  dlg.DatePicker()->setDate(kMonday.addDays(1));
  EXPECT_EQ(prompt.asked.size(), 2u);
  EXPECT_FALSE(dlg.Modified());
  EXPECT_EQ(dlg.Grid()->Cells(kZamAbsent, 1), "");
  EXPECT_TRUE(dlg.close());
}

TEST_F(JournalTest, DeletingAsksFirst) {
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  dlg.DeleteRecord();  // an empty row: nothing asked
  EXPECT_TRUE(prompt.asked.empty());
  AddIvanov(dlg);
  dlg.Grid()->SetRow(1);
  prompt.answers = {kResNo};
  dlg.DeleteRecord();
  EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "2");
  prompt.answers = {kResYes};
  dlg.DeleteRecord();
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[0].text, test::U(LoadResStr(10046)));
  EXPECT_EQ(dlg.Grid()->RowCount(), 2);
  EXPECT_EQ(dlg.Grid()->Cells(kZamLesson, 1), "");
  EXPECT_TRUE(dlg.Exclusion().Pairs.empty());
}

TEST_F(JournalTest, ASubstituteForALessonNotInTheVariantIsRefused) {
  auto archive = OpenArchive();
  TViewZameshDlg dlg(nullptr, *archive, v.var(), 2, kMonday);
  AddIvanov(dlg);
  dlg.Grid()->SetCells(kZamAbsent, 1, "Nobody");
  EXPECT_FALSE(dlg.ChooseSubstitute(1));
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

}  // namespace
}  // namespace korvant
