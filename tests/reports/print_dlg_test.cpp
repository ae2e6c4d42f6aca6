// The project-data print dialog: its modes and sizes, the preview inside
// it, closing refused while busy, printing to a PDF file and without a
// printer.
#include "reports/print_dlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/project/demo_project.h"
#include "core/variant/variant_fixture.h"
#include "platform/report_preview.h"
#include "window_test_util.h"

namespace korvant {
namespace {

using test::ScriptedPrompt;

const TProjectData& Demo() {
  static TProjectData* d = [] {
    auto* p = new TProjectData;
    EXPECT_TRUE(ReadProjectImage(DemoProjectImage(), *p));
    return p;
  }();
  return *d;
}

void Settle() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(PrintDatasDlg, PreviewInsideTheDialogAndBack) {
  ScriptedPrompt prompt;
  ScopedPrompt scope(&prompt);
  TPrintDatasDlg dlg(nullptr, Demo());
  test::ShowActive(dlg);
  EXPECT_EQ(dlg.windowTitle(), "Просмотр и печать");
  EXPECT_EQ(dlg.size(), QSize(539, 120));
  EXPECT_TRUE(dlg.TeachersChoice()->isChecked());

  test::Tick(dlg.KlassesChoice());
  test::LeftClick(dlg.PreviewButton());
  ASSERT_NE(dlg.PreviewForm(), nullptr);
  EXPECT_TRUE(dlg.Busy());
  EXPECT_TRUE(dlg.InPreviewMode());
  EXPECT_FALSE(dlg.SelectionPanel()->isVisible());
  EXPECT_TRUE(dlg.ToolBar()->isVisible());
  EXPECT_FALSE(dlg.ProgressPanel()->isVisible());  // the report ended its progress
  EXPECT_EQ(dlg.height(), 330);
  TReportPreview* preview = dlg.PreviewForm()->Preview();
  EXPECT_EQ(preview->PageCount(), 1);
  EXPECT_TRUE(preview->Pages()[0].Texts().contains("Тарификация"));

  dlg.resize(700, 500);
  EXPECT_EQ(dlg.PreviewForm()->geometry(), QRect(8, 36, 700 - 24, 500 - 75));

  // Closing is refused while the preview runs ("Закрыть" is not on screen
  // then: the close box is the way, refused each time).
  dlg.close();
  dlg.close();
  EXPECT_TRUE(dlg.isVisible());
  ASSERT_EQ(prompt.asked.size(), 2u);
  EXPECT_EQ(prompt.asked[0].text,
            "До завершения предварительного просмотра или печати отчета диалог закрыть невозможно.");

  // Tool-bar commands reach the preview by posted messages.
  test::Press(dlg.ToolButton(3));
  Settle();
  EXPECT_EQ(preview->Mode(), TReportPreview::ZoomMode::WholePage);
  test::Press(dlg.ToolButton(4));
  Settle();
  EXPECT_EQ(preview->Mode(), TReportPreview::ZoomMode::Percent);

  QPointer<TPrnPreview> form = dlg.PreviewForm();
  test::Press(dlg.ToolButton(9));  // "Готово"
  Settle();
  EXPECT_TRUE(form.isNull());
  EXPECT_EQ(dlg.PreviewForm(), nullptr);
  EXPECT_FALSE(dlg.Busy());
  EXPECT_FALSE(dlg.InPreviewMode());
  EXPECT_EQ(dlg.size(), QSize(539, 120));
  EXPECT_TRUE(dlg.ToolButton(2)->Down());

  test::LeftClick(dlg.CloseButton());
  EXPECT_EQ(dlg.ModalResult(), mrOk);
}

TEST(PrintDatasDlg, TheTeachersReportPagesThroughThePreview) {
  // 80 teachers without lessons: one row of 16 points each, two pages.
  testing::ProjectBuilder p;
  for (int i = 0; i < 80; ++i) p.Teacher();
  TPrintDatasDlg dlg(nullptr, p.d);
  test::ShowActive(dlg);
  test::LeftClick(dlg.PreviewButton());
  TReportPreview* preview = dlg.PreviewForm()->Preview();
  ASSERT_EQ(preview->PageCount(), 2);
  EXPECT_EQ(preview->Pages()[0].Texts()[0], "Нагрузка по учебному плану");
  EXPECT_TRUE(preview->Pages()[1].Texts().contains("Количество часов"));  // header repeated
  test::Press(dlg.ToolButton(8));
  Settle();
  EXPECT_EQ(preview->PageNumber(), 2);
  test::Press(dlg.ToolButton(7));
  test::Press(dlg.ToolButton(7));
  Settle();
  EXPECT_EQ(preview->PageNumber(), 1);
  test::Press(dlg.ToolButton(9));  // "Готово"
  Settle();
  EXPECT_FALSE(dlg.Busy());
}

TEST(PrintDatasDlg, PrintsToAPdfFileOrSaysThereIsNoPrinter) {
  ScriptedPrompt prompt;
  ScopedPrompt scope(&prompt);
  const QString path = QCoreApplication::applicationDirPath() + "/print_datas_klasses.pdf";
  QFile::remove(path);
  int asked = 0;
  bool dialogAsked = true;
  ScopedPrinterSetupHook hook([&](QPrinter& printer, int pages, bool withDialog, QWidget*) {
    ++asked;
    dialogAsked = withDialog;
    EXPECT_EQ(pages, 1);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    return TPrinterAnswer::Ready;
  });
  TPrintDatasDlg dlg(nullptr, Demo());
  test::ShowActive(dlg);
  test::Tick(dlg.KlassesChoice());
  test::LeftClick(dlg.PrintButton());
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(dialogAsked);  // "Печать" goes to the printer at once
  EXPECT_FALSE(dlg.Busy());
  EXPECT_FALSE(dlg.ProgressPanel()->isVisible());
  EXPECT_EQ(dlg.size(), QSize(539, 120));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("%PDF"));
  EXPECT_TRUE(prompt.asked.empty());

  // From the preview: the set-up dialog first.
  test::LeftClick(dlg.PreviewButton());
  test::Press(dlg.ToolButton(5));
  Settle();
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(dialogAsked);
  EXPECT_TRUE(dlg.PreviewForm()->Confirmed());
  test::Press(dlg.ToolButton(9));  // "Готово"
  Settle();

  ScopedPrinterSetupHook none([](QPrinter&, int, bool, QWidget*) { return TPrinterAnswer::NoPrinter; });
  test::LeftClick(dlg.PrintButton());
  ASSERT_EQ(prompt.asked.size(), 1u);
  EXPECT_EQ(prompt.asked[0].text, "В системе не зарегистрировано ни одного принтера.");
  EXPECT_FALSE(dlg.Busy());
}

// On a machine without a printer "Печать", pressed with the mouse, opens
// the print dialog with a PDF file chosen (a file can always be printed
// to); the user names the file and prints.
TEST(PrintDatasDlg, WithoutAPrinterPrintOffersAPdfFile) {
  if (!QPrinterInfo::availablePrinterNames().isEmpty()) GTEST_SKIP() << "this machine has a printer";
  ScriptedPrompt prompt;
  ScopedPrompt scope(&prompt);
  const QString path = QCoreApplication::applicationDirPath() + "/print_datas_no_printer.pdf";
  QFile::remove(path);
  TPrintDatasDlg dlg(nullptr, Demo());
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  QString offered;
  bool pdf = false;
  test::WhenModal([&](QWidget* m) {
    auto* print = qobject_cast<QPrintDialog*>(m);
    if (!print) {
      m->close();
      return;
    }
    pdf = print->printer()->outputFormat() == QPrinter::PdfFormat;
    offered = print->printer()->outputFileName();
    QLineEdit* file = nullptr;
    for (QLineEdit* e : print->findChildren<QLineEdit*>())
      if (e->isVisible() && e->text() == offered) file = e;
    ASSERT_NE(file, nullptr);
    QTest::mouseDClick(file, Qt::LeftButton);
    QTest::keyClick(file, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(file, path);
    auto* buttons = print->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    test::LeftClick(buttons->button(QDialogButtonBox::Ok));
  });
  test::LeftClick(dlg.PrintButton());
  EXPECT_TRUE(prompt.asked.empty()) << prompt.asked[0].text;
  EXPECT_TRUE(pdf);
  EXPECT_TRUE(offered.endsWith(".pdf")) << offered.toStdString();
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("%PDF"));
  EXPECT_FALSE(dlg.Busy());
}

TEST(PrintDatasDlg, ProgressPanelGrowsAndShrinksTheDialog) {
  TPrintDatasDlg dlg(nullptr, Demo());
  dlg.show();
  sendMessage(&dlg, kMsgPrint, kPrintProgressRange, 10);
  EXPECT_TRUE(dlg.ProgressPanel()->isVisible());
  EXPECT_EQ(dlg.height(), 136);
  EXPECT_EQ(dlg.ProgressBar()->maximum(), 9);
  sendMessage(&dlg, kMsgPrint, kPrintProgressPos, 4);
  EXPECT_EQ(dlg.ProgressBar()->value(), 4);
  sendMessage(&dlg, kMsgPrint, kPrintProgressPos, -1);
  EXPECT_FALSE(dlg.ProgressPanel()->isVisible());
  EXPECT_EQ(dlg.height(), 120);
  // A range of one step shows nothing.
  sendMessage(&dlg, kMsgPrint, kPrintProgressRange, 1);
  EXPECT_FALSE(dlg.ProgressPanel()->isVisible());
}

}  // namespace
}  // namespace korvant
