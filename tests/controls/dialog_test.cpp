#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

#include "controls/test_util.h"
#include "window_test_util.h"
#include "base/cp1251.h"
#include "platform/help_service.h"

namespace korvant {
namespace {

QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

// A dialog as the forms build it: an edit with the focus, "Да" (OK kind),
// "Отмена" (cancel kind) and "Справка" (help kind).
struct DialogFixture : ::testing::Test {
  TPrgDialog dlg;
  QLineEdit* edit = new QLineEdit(&dlg);
  TPrgBitBtn* yes = new TPrgBitBtn(TBitBtnKind::bkOK, Ru("Да"), &dlg);
  TPrgBitBtn* cancel = new TPrgBitBtn(TBitBtnKind::bkCancel, Ru("Отмена"), &dlg);
  TPrgBitBtn* help = new TPrgBitBtn(TBitBtnKind::bkHelp, Ru("Справка"), &dlg);
  void SetUp() override {
    dlg.resize(300, 120);
    edit->setGeometry(10, 10, 100, 22);
    yes->move(10, 80);
    cancel->move(100, 80);
    help->move(190, 80);
  }
  // Runs the dialog modally and plays `script` inside the modal loop.
  int RunWith(std::function<void()> script) {
    QTimer::singleShot(0, &dlg, [this, script] {
      edit->setFocus();
      script();
    });
    return dlg.ShowModal();
  }
};

TEST_F(DialogFixture, KindsGiveRolesAndFormCaptionsStay) {
  EXPECT_EQ(yes->Kind(), TBitBtnKind::bkOK);
  EXPECT_EQ(yes->text(), Ru("Да"));
  EXPECT_TRUE(yes->Default());
  EXPECT_FALSE(yes->Cancel());
  EXPECT_EQ(yes->ModalResult(), mrOk);
  EXPECT_EQ(yes->NumGlyphs(), 2);
  EXPECT_FALSE(yes->Glyph().isNull());
  EXPECT_EQ(cancel->Kind(), TBitBtnKind::bkCancel);
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(cancel->ModalResult(), mrCancel);
  TPrgBitBtn b;
  b.SetKind(TBitBtnKind::bkNo);
  EXPECT_EQ(b.text(), QStringLiteral("&No"));
  EXPECT_EQ(b.ModalResult(), mrNo);
  EXPECT_TRUE(b.Cancel());
  b.SetKind(TBitBtnKind::bkYes);
  EXPECT_EQ(b.ModalResult(), mrYes);
  EXPECT_TRUE(b.Default());
  EXPECT_FALSE(b.Cancel());
  b.SetKind(TBitBtnKind::bkAll);
  EXPECT_EQ(b.ModalResult(), mrAll);
}

TEST_F(DialogFixture, ChangingAnyKindPropertyReadsBackAsCustom) {
  yes->SetCaption(Ru("Готово"));
  EXPECT_EQ(yes->Kind(), TBitBtnKind::bkCustom);
  cancel->SetModalResult(7);
  EXPECT_EQ(cancel->Kind(), TBitBtnKind::bkCustom);
  TPrgBitBtn b;
  b.SetKind(TBitBtnKind::bkOK);
  b.SetDefault(false);
  EXPECT_EQ(b.Kind(), TBitBtnKind::bkCustom);
  b.SetKind(TBitBtnKind::bkOK);
  EXPECT_EQ(b.Kind(), TBitBtnKind::bkOK);
  QImage g(16, 16, QImage::Format_RGB32);
  g.fill(Qt::red);
  b.SetGlyph(g);
  EXPECT_EQ(b.Kind(), TBitBtnKind::bkCustom);
}

TEST_F(DialogFixture, EnterEndsWithTheDefaultButtonsResult) {
  QSignalSpy clicked(yes, &TPrgBitBtn::Clicked);
  EXPECT_EQ(RunWith([this] { QTest::keyClick(edit, Qt::Key_Return); }), mrOk);
  EXPECT_EQ(clicked.count(), 1);
  EXPECT_EQ(dlg.ModalResult(), mrOk);
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(DialogFixture, EscEndsWithTheCancelButtonsResult) {
  EXPECT_EQ(RunWith([this] { QTest::keyClick(edit, Qt::Key_Escape); }), mrCancel);
}

TEST_F(DialogFixture, EnterOnAFocusedButtonClicksThatButton) {
  EXPECT_EQ(RunWith([this] {
              cancel->setFocus();
              QTest::keyClick(cancel, Qt::Key_Return);
            }),
            mrCancel);
}

TEST_F(DialogFixture, CloseBoxGivesTheCloseResult) {
  EXPECT_EQ(RunWith([this] { dlg.close(); }), mrCancel);
  TPrgDialog pick;
  pick.SetCloseResult(-1);
  QTimer::singleShot(0, &pick, [&] { pick.close(); });
  EXPECT_EQ(pick.ShowModal(), -1);
}

TEST_F(DialogFixture, AChoiceNeverCollidesWithQDialogCodes) {
  // A pick dialog answering item 0 or 3 keeps that number, apart from
  // QDialog's Accepted/Rejected.
  auto* item = new TPrgBitBtn(&dlg);
  item->setGeometry(10, 40, 80, 25);
  item->SetModalResult(3);
  EXPECT_EQ(RunWith([item] { test::LeftClick(item); }), 3);
  EXPECT_EQ(RunWith([this] { dlg.SetModalResult(0); dlg.close(); }), mrCancel);
}

TEST_F(DialogFixture, AHandlerMayKeepTheDialogOpen) {
  // Validation: the first press fails and resets the result, the second passes.
  int presses = 0;
  QObject::connect(yes, &TPrgBitBtn::Clicked, &dlg, [&] {
    if (++presses == 1) dlg.SetModalResult(mrNone);
  });
  int visibleAfterFirst = -1;
  const int r = RunWith([&] {
    test::LeftClick(yes);
    QTimer::singleShot(10, &dlg, [&] {
      visibleAfterFirst = dlg.isVisible();
      test::LeftClick(yes);
    });
  });
  EXPECT_EQ(r, mrOk);
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(visibleAfterFirst, 1);
}

TEST_F(DialogFixture, HelpKindAndF1OpenTheHelpContext) {
  std::vector<int> asked;
  ScopedHelpHook hook([&](int c) { asked.push_back(c); });
  QSignalSpy helpClicks(help, &TPrgBitBtn::Clicked);
  test::ShowActive(dlg);
  test::LeftClick(help);
  EXPECT_TRUE(asked.empty());  // no context anywhere: an ordinary click
  EXPECT_EQ(helpClicks.count(), 1);
  SetHelpContext(&dlg, 25);
  test::LeftClick(help);
  EXPECT_EQ(asked, std::vector<int>{25});
  EXPECT_EQ(helpClicks.count(), 1);
  SetHelpContext(edit, 401);
  QTest::keyClick(edit, Qt::Key_F1);  // edit is not focused: the dialog's context
  test::LeftClick(edit);
  QTest::keyClick(edit, Qt::Key_F1);
  EXPECT_EQ(asked, (std::vector<int>{25, 25, 401}));
}

TEST_F(DialogFixture, CloseKindClosesItsForm) {
  auto* close = new TPrgBitBtn(&dlg);
  close->setGeometry(10, 40, 80, 25);
  close->SetKind(TBitBtnKind::bkClose);
  QSignalSpy closeClicks(close, &TPrgBitBtn::Clicked);
  EXPECT_EQ(RunWith([close] { test::LeftClick(close); }), mrCancel);
  EXPECT_EQ(closeClicks.count(), 0);
}

class RefusingDialog : public TPrgDialog {
 public:
  bool busy = true;
 protected:
  bool CloseQuery() override { return !busy; }
};

TEST(PrgDialog, CloseQueryKeepsTheDialogOpen) {
  RefusingDialog dlg;
  int stillOpen = -1;
  QTimer::singleShot(0, &dlg, [&] {
    dlg.close();
    dlg.SetModalResult(mrOk);
    QTimer::singleShot(10, &dlg, [&] {
      stillOpen = dlg.isVisible();
      dlg.busy = false;
      dlg.SetModalResult(mrOk);
    });
  });
  EXPECT_EQ(dlg.ShowModal(), mrOk);
  EXPECT_EQ(stillOpen, 1);
}

}  // namespace
}  // namespace korvant
