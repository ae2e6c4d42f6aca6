// The timetable print dialog worked as a person works it: the report list
// and the buttons by mouse, the pick dialogs on the way, the preview's tool
// bar by mouse, printing to PDF files, the archive around the substitution
// reports.
#include "reports/print_table_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "controls/sel_date_dlg.h"
#include "controls/sel_item_dlg.h"
#include "controls/speed_button.h"
#include "platform/qt_text.h"
#include "platform/report_preview.h"
#include "reports/load_reports.h"
#include "reports/subst_reports.h"
#include "reports/timetable_reports.h"
#include "report_test_util.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;
using test::W;
using test::WhenModal;

void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Click(QWidget* w) {
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(w->isVisible());
  QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

void ClickRow(QListWidget* list, int row) {
  QListWidgetItem* item = list->item(row);
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

struct PrintTableDlgTest : ::testing::Test {
  ScriptedPrompt prompt;
  ScopedPrompt scope{&prompt};
  QTemporaryDir dir;
  std::unique_ptr<TPrintTableDlg> dlg;

  void Open(std::filesystem::path archive = {}) {
    const test::PlannedDemo& demo = test::Planned();
    if (archive.empty()) archive = PathFromQt(dir.filePath(QStringLiteral("zarch.sys")));
    dlg = std::make_unique<TPrintTableDlg>(nullptr, *demo.Var, W("Школа №1"), W("Вариант А"), archive);
    dlg->show();
  }
  TReportPreview* Preview() const { return dlg->PreviewForm() ? dlg->PreviewForm()->Preview() : nullptr; }
  void Done() {
    Click(dlg->ToolButton(9));  // "Готово"
    Settle();
  }
  void ExpectSelectionMode() {
    EXPECT_EQ(dlg->PreviewForm(), nullptr);
    EXPECT_FALSE(dlg->Busy());
    EXPECT_FALSE(dlg->InPreviewMode());
    EXPECT_EQ(dlg->size(), QSize(539, 120));
    EXPECT_FALSE(dlg->ArchiveOpen());
  }
};

TEST_F(PrintTableDlgTest, ListOfEightReportsChosenByMouse) {
  Shared().CurDay = 4;
  Open();
  QListWidget* list = dlg->ReportList();
  ASSERT_EQ(list->count(), 8);
  const char* rows[] = {"Распределение нагрузки (таблица)", "Распределение нагрузки (графики)",
                        "Замещения на конкретный день",     "Журнал замещений за конкретный период",
                        "Полное расписание по классам",     "Полное расписание по учителям",
                        "Расписание для класса",            "Расписание для учителя"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(list->item(i)->text(), QString::fromUtf8(rows[i]));
  EXPECT_EQ(list->currentRow(), 0);
  EXPECT_EQ(list->visualItemRect(list->item(0)).height(), 22);
  // Whole rows only, more than two of them, all inside the choice box.
  EXPECT_EQ(list->viewport()->height() % 22, 0);
  EXPECT_GE(list->viewport()->height() / 22, 3);
  EXPECT_LE(list->geometry().bottom(), list->parentWidget()->height() - 4);
  EXPECT_EQ(dlg->size(), QSize(539, 120));
  EXPECT_EQ(dlg->KlassSelection(), std::vector<bool>(8, true));
  ClickRow(list, 5);
  EXPECT_EQ(list->currentRow(), 5);
  // A name too long for its cell loses its end, and blanks and points before "…".
  const QFontMetrics fm(list->font());
  const int width = fm.horizontalAdvance(QStringLiteral("Журнал…")) + 1;
  EXPECT_EQ(FitListText(QStringLiteral("Журнал. . замещений"), fm, width), QStringLiteral("Журнал…"));
  EXPECT_EQ(FitListText(QStringLiteral("Журнал"), fm, width), QStringLiteral("Журнал"));
  Shared().CurDay = 2;  // as a report may leave it
  dlg.reset();
  EXPECT_EQ(Shared().CurDay, 4);
}

TEST_F(PrintTableDlgTest, PreviewWorkedWithTheMouse) {
  Open();
  ClickRow(dlg->ReportList(), TPrintTableDlg::kAllKlasses);
  Click(dlg->PreviewButton());
  Settle();
  ASSERT_NE(dlg->PreviewForm(), nullptr);
  EXPECT_TRUE(dlg->InPreviewMode());
  EXPECT_TRUE(dlg->Busy());
  EXPECT_FALSE(dlg->ProgressPanel()->isVisible());
  EXPECT_NE(dynamic_cast<const TAllClsRpForm*>(dlg->PreviewForm()->Form()), nullptr);
  TReportPreview* preview = Preview();
  ASSERT_EQ(preview->PageCount(), 6);
  // The control fills its form, and follows it when the dialog grows.
  EXPECT_EQ(dlg->PreviewForm()->geometry(), QRect(8, 36, 539 - 24, 330 - 75));
  EXPECT_EQ(preview->geometry(), dlg->PreviewForm()->rect());
  dlg->resize(900, 700);
  Settle();
  EXPECT_EQ(dlg->PreviewForm()->geometry(), QRect(8, 36, 900 - 24, 700 - 75));
  EXPECT_EQ(preview->geometry(), dlg->PreviewForm()->rect());
  EXPECT_EQ(preview->Mode(), TReportPreview::ZoomMode::PageWidth);

  Click(dlg->ToolButton(3));  // "Страница"
  Settle();
  EXPECT_EQ(preview->Mode(), TReportPreview::ZoomMode::WholePage);
  EXPECT_TRUE(dlg->ToolButton(3)->Down());
  EXPECT_FALSE(dlg->ToolButton(2)->Down());
  Click(dlg->ToolButton(4));  // "100%"
  Settle();
  EXPECT_EQ(preview->Mode(), TReportPreview::ZoomMode::Percent);
  EXPECT_EQ(preview->Zoom(), 100);
  Click(dlg->ToolButton(2));  // "Ширина"
  Settle();
  EXPECT_EQ(preview->Mode(), TReportPreview::ZoomMode::PageWidth);
  Click(dlg->ToolButton(8));
  Click(dlg->ToolButton(8));
  Settle();
  EXPECT_EQ(preview->PageNumber(), 3);
  Click(dlg->ToolButton(7));
  Settle();
  EXPECT_EQ(preview->PageNumber(), 2);

  // "Печать": the set-up dialog, then the pages chosen there into a PDF.
  const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
  int asked = 0;
  ScopedPrinterSetupHook hook([&](QPrinter& printer, int pages, bool withDialog, QWidget*) {
    ++asked;
    EXPECT_TRUE(withDialog);
    EXPECT_EQ(pages, 6);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    return TPrinterAnswer::Ready;
  });
  Click(dlg->ToolButton(5));
  Settle();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(dlg->PreviewForm()->Confirmed());
  EXPECT_EQ(test::PdfPageCount(pdf), 2);

  Done();
  ExpectSelectionMode();
  EXPECT_TRUE(prompt.asked.empty());
}

// Both full timetables, previewed with the mouse, print every text whole:
// rooms, subjects and joint klasses included.
TEST_F(PrintTableDlgTest, TheFullTimetablesPreviewEveryTextWhole) {
  Open();
  for (int row : {TPrintTableDlg::kAllKlasses, TPrintTableDlg::kAllTeachers}) {
    ClickRow(dlg->ReportList(), row);
    Click(dlg->PreviewButton());
    ASSERT_NE(Preview(), nullptr) << row;
    EXPECT_EQ(Preview()->PageCount(), 6) << row;
    test::ExpectTextsWhole(Preview()->Pages(), Preview()->Setup());
    Done();
  }
  ExpectSelectionMode();
}

TEST_F(PrintTableDlgTest, PrintButtonSendsTheTeachersTimetableToPdf) {
  Open();
  const QString pdf = dir.filePath(QStringLiteral("teachers.pdf"));
  ScopedPrinterSetupHook hook([&](QPrinter& printer, int, bool withDialog, QWidget*) {
    EXPECT_FALSE(withDialog);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    return TPrinterAnswer::Ready;
  });
  ClickRow(dlg->ReportList(), TPrintTableDlg::kAllTeachers);
  Click(dlg->PrintButton());
  Settle();
  EXPECT_EQ(test::PdfPageCount(pdf), 6);
  ExpectSelectionMode();
}

TEST_F(PrintTableDlgTest, OneTeacherChosenInThePickDialogInShortForm) {
  Open();
  const TRunModel& m = *test::Planned().Model;
  bool checked = false;
  WhenModal([&](QWidget* modal) {
    auto* pick = qobject_cast<TSelItemDlg*>(modal);
    ASSERT_NE(pick, nullptr);
    checked = true;
    EXPECT_EQ(pick->windowTitle(), "Учитель");
    EXPECT_EQ(pick->List()->count(), m.Teachers.Count());
    EXPECT_EQ(pick->List()->item(1)->text(), ToQt(m.Teachers[1]->DisplayName()));
    EXPECT_TRUE(pick->HelpButton()->isHidden());
    ClickRow(pick->List(), 1);
    QTest::mouseClick(pick->ShortForm(), Qt::LeftButton, {}, QPoint(6, pick->ShortForm()->height() / 2));
    Click(pick->YesButton());
  });
  ClickRow(dlg->ReportList(), TPrintTableDlg::kOneTeacher);
  Click(dlg->PreviewButton());
  Settle();
  EXPECT_TRUE(checked);
  ASSERT_NE(Preview(), nullptr);
  EXPECT_NE(dynamic_cast<const TTeacherTableRpForm*>(dlg->PreviewForm()->Form()), nullptr);
  const QStringList t = Preview()->Pages()[0].Texts();
  EXPECT_EQ(t[0], ToQt(m.Teachers[1]->DisplayName()));
  EXPECT_EQ(t.count("Понедельник"), 1);  // the week grid alone
  Done();
  ExpectSelectionMode();

  // A cancelled choice makes no report.
  WhenModal([&](QWidget* modal) {
    auto* pick = qobject_cast<TSelItemDlg*>(modal);
    ASSERT_NE(pick, nullptr);
    EXPECT_EQ(pick->windowTitle(), "Класс");
    EXPECT_EQ(pick->List()->count(), 8);
    Click(pick->CancelButton());
  });
  ClickRow(dlg->ReportList(), TPrintTableDlg::kOneKlass);
  Click(dlg->PreviewButton());
  Settle();
  ExpectSelectionMode();
}

TEST_F(PrintTableDlgTest, LoadAndSubstitutionReportsGetTheirFormsAndTheArchiveAroundThem) {
  Open();
  ClickRow(dlg->ReportList(), TPrintTableDlg::kLoadTable);
  Click(dlg->PreviewButton());
  Settle();
  ASSERT_NE(Preview(), nullptr);
  EXPECT_NE(dynamic_cast<const TMedTableRpForm*>(dlg->PreviewForm()->Form()), nullptr);
  Done();
  ClickRow(dlg->ReportList(), TPrintTableDlg::kLoadCharts);
  Click(dlg->PreviewButton());
  Settle();
  ASSERT_NE(Preview(), nullptr);
  EXPECT_NE(dynamic_cast<const TMedChartRpForm*>(dlg->PreviewForm()->Form()), nullptr);
  Done();
  ExpectSelectionMode();

  // The day: a one-date dialog; the archive stays open while the report is shown.
  bool dayAsked = false;
  WhenModal([&](QWidget* modal) {
    auto* dates = qobject_cast<TSelDateDlg*>(modal);
    ASSERT_NE(dates, nullptr);
    dayAsked = true;
    EXPECT_TRUE(dates->DayOnly());
    EXPECT_EQ(dates->windowTitle(), "Отчетный день");
    Click(dates->YesButton());
  });
  ClickRow(dlg->ReportList(), TPrintTableDlg::kSubstDay);
  Click(dlg->PreviewButton());
  Settle();
  EXPECT_TRUE(dayAsked);
  ASSERT_NE(Preview(), nullptr);
  EXPECT_NE(dynamic_cast<const TZamDayRpForm*>(dlg->PreviewForm()->Form()), nullptr);
  EXPECT_TRUE(dlg->ArchiveOpen());
  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("zarch.sys"))));
  Done();
  ExpectSelectionMode();

  // The period; a cancelled date dialog closes the archive again.
  WhenModal([&](QWidget* modal) {
    auto* dates = qobject_cast<TSelDateDlg*>(modal);
    ASSERT_NE(dates, nullptr);
    EXPECT_FALSE(dates->DayOnly());
    EXPECT_TRUE(dates->ToPicker()->isVisible());
    Click(dates->YesButton());
  });
  ClickRow(dlg->ReportList(), TPrintTableDlg::kSubstPeriod);
  Click(dlg->PreviewButton());
  Settle();
  ASSERT_NE(Preview(), nullptr);
  EXPECT_NE(dynamic_cast<const TZamArcRpForm*>(dlg->PreviewForm()->Form()), nullptr);
  Done();
  // The date dialog has no cancel button: closed from its title bar.
  WhenModal([&](QWidget* modal) { modal->close(); });
  Click(dlg->PrintButton());
  Settle();
  ExpectSelectionMode();
  EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(PrintTableDlgTest, ArchiveThatCannotBeOpenedStopsTheReport) {
  Open(PathFromQt(dir.filePath(QStringLiteral("no/such/folder/zarch.sys"))));
  ClickRow(dlg->ReportList(), TPrintTableDlg::kSubstDay);
  Click(dlg->PreviewButton());
  Settle();
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, "Не удается открыть журнал замещений.");
  ExpectSelectionMode();
}

// Without a printer the preview's "Печать" still opens the print dialog,
// with a PDF file chosen, and the file is written.
TEST_F(PrintTableDlgTest, PrintDialogWithoutPrinterWritesAPdf) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "a printer is installed";
  Open();
  ClickRow(dlg->ReportList(), TPrintTableDlg::kOneKlass);
  WhenModal([&](QWidget* modal) {
    auto* pick = qobject_cast<TSelItemDlg*>(modal);
    ASSERT_NE(pick, nullptr);
    ClickRow(pick->List(), 0);
    Click(pick->YesButton());
  });
  Click(dlg->PreviewButton());
  Settle();
  ASSERT_NE(Preview(), nullptr);
  const QString pdf = dir.filePath(QStringLiteral("klass.pdf"));
  bool shown = false;
  WhenModal([&](QWidget* modal) {
    auto* pd = qobject_cast<QPrintDialog*>(modal);
    ASSERT_NE(pd, nullptr);
    shown = true;
    EXPECT_EQ(pd->printer()->outputFormat(), QPrinter::PdfFormat);
    EXPECT_TRUE(pd->testOption(QAbstractPrintDialog::PrintToFile));
    if (auto* name = pd->findChild<QLineEdit*>(QStringLiteral("filename"))) name->setText(pdf);
    pd->printer()->setOutputFileName(pdf);
    auto* box = pd->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    Click(box->button(QDialogButtonBox::Ok));
  });
  Click(dlg->ToolButton(5));
  Settle();
  EXPECT_TRUE(shown);
  EXPECT_EQ(test::PdfPageCount(pdf), Preview()->PageCount());
  Done();
  ExpectSelectionMode();
}

}  // namespace
}  // namespace korvant
