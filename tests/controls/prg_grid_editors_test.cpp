// The string grid's button and spin editors (kinds 3, 4 and 7) working
// inside a grid: what reaches the cells, the owner's handlers, and the
// editor's life when the cell kind changes or the grid goes away.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLocale>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

#include "controls/btn_edit.h"
#include "controls/prg_spin_edit.h"
#include "controls/prg_string_grid.h"
#include "controls/speed_button.h"
#include "controls/test_util.h"
#include "grid_test_util.h"

namespace korvant {
namespace {

struct Call {
  int col;
  int row;
  bool final;
  std::string value;
  bool operator==(const Call&) const = default;
};

// A grid in a shown dialog, editing on, the kind of every cell from `kinds`,
// under the Russian locale the program runs with (decimal comma).
struct Grid {
  QLocale saved;
  QDialog* dlg;
  TPrgStringGrid* g;
  std::map<std::pair<int, int>, TInplaceType> kinds;
  std::vector<Call> calls;

  Grid() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    dlg = new QDialog;
    auto* lay = new QVBoxLayout(dlg);
    g = new TPrgStringGrid(dlg);
    lay->addWidget(g);
    g->setFont(test::PinnedFont());
    g->SetOptions(g->Options() | goEditing);
    dlg->resize(420, 200);
    g->OnEditCell = [this](TPrgStringGrid&, int c, int r, TInplaceType& t) {
      auto it = kinds.find({c, r});
      t = it == kinds.end() ? 0 : it->second;
    };
    g->OnSetEditText = [this](TPrgStringGrid&, int c, int r, bool f, bool&, const std::string& v) {
      calls.push_back({c, r, f, v});
    };
    test::ShowActive(*dlg);
    g->setFocus();
  }
  ~Grid() {
    delete dlg;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QLocale::setDefault(saved);
  }
  void Open(int c, int r) {
    g->FocusCell(c, r, true);
    g->ShowEditor();
  }
  QWidget* EditorWidget() {
    IPrgInplaceEditor* e = g->InplaceEdit() ? g->InplaceEdit()->Editor() : nullptr;
    return e ? e->Widget() : nullptr;
  }
  TPrgBtnEdit* Btn() { return qobject_cast<TPrgBtnEdit*>(EditorWidget()); }
  TPrgSpinEdit* Spin() { return qobject_cast<TPrgSpinEdit*>(EditorWidget()); }
  static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

TEST(PrgGridButtonEditor, ButtonAsksTheOwnerForTheCellAndItsAnswerLandsInTheCell) {
  Grid f;
  f.kinds[{2, 3}] = 3;
  f.g->SetCells(2, 3, "go");
  std::vector<Call> asked;
  f.g->OnBtnEditClick = [&](TPrgStringGrid& sender, int c, int r, std::string& v) {
    EXPECT_EQ(&sender, f.g);
    asked.push_back({c, r, false, v});
    v = "picked";
  };
  f.Open(2, 3);
  TPrgBtnEdit* edit = f.Btn();
  ASSERT_TRUE(edit);
  EXPECT_TRUE(edit->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(edit->text(), "go");
  QTest::mouseClick(edit->Button(), Qt::LeftButton, {}, edit->Button()->rect().center());
  EXPECT_EQ(asked, (std::vector<Call>{{2, 3, false, "go"}}));
  EXPECT_EQ(edit->text(), "picked");
  EXPECT_EQ(f.g->Cells(2, 3), "picked");
  ASSERT_FALSE(f.calls.empty());
  EXPECT_EQ(f.calls.back(), (Call{2, 3, false, "picked"}));
  // Kind 3 also takes typing, each keystroke reported.
  f.calls.clear();
  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClicks(edit, "!?");
  EXPECT_EQ(f.calls, (std::vector<Call>{{2, 3, false, "picked!"}, {2, 3, false, "picked!?"}}));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_FALSE(f.g->EditorMode());
  EXPECT_EQ(f.calls.back(), (Call{2, 3, true, "picked!?"}));
  EXPECT_EQ(f.g->Cells(2, 3), "picked!?");
}

TEST(PrgGridButtonEditor, RefusedAnswerIsReplacedByTheCellText) {
  Grid f;
  f.kinds[{1, 1}] = 3;
  f.g->SetCells(1, 1, "keep");
  f.g->OnBtnEditClick = [](TPrgStringGrid&, int, int, std::string& v) { v = "bad"; };
  f.g->OnSetEditText = [](TPrgStringGrid&, int, int, bool, bool& valid, const std::string& v) {
    valid = v != "bad";
  };
  f.Open(1, 1);
  ASSERT_TRUE(f.Btn());
  test::Press(f.Btn()->Button());
  EXPECT_EQ(f.Btn()->text(), "keep");
  EXPECT_EQ(f.g->Cells(1, 1), "keep");
}

TEST(PrgGridButtonEditor, KindFourRefusesTypingButTakesTheOwnersText) {
  Grid f;
  f.kinds[{1, 1}] = 4;
  f.g->SetCells(1, 1, "old");
  f.g->OnBtnEditClick = [](TPrgStringGrid&, int, int, std::string& v) { v = "from owner"; };
  f.Open(1, 1);
  TPrgBtnEdit* edit = f.Btn();
  ASSERT_TRUE(edit);
  EXPECT_FALSE(edit->EditorEnabled());
  test::BeepCounter beeps;
  QTest::keyClicks(edit, "ab");
  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "old");
  EXPECT_EQ(beeps.count, 3);  // a, b, Backspace
  EXPECT_TRUE(f.calls.empty());
  test::Press(edit->Button());
  EXPECT_EQ(edit->text(), "from owner");
  EXPECT_EQ(f.g->Cells(1, 1), "from owner");
  f.g->EndEditing();
  EXPECT_EQ(f.calls.back(), (Call{1, 1, true, "from owner"}));
}

TEST(PrgGridButtonEditor, ReadOnlyCellStillTakesTheOwnersText) {
  Grid f;
  f.kinds[{1, 1}] = 3;
  f.g->SetCells(1, 1, "ro");
  f.g->OnGetEditText = [](TPrgStringGrid&, int, int, int& maxLimit, std::string&) { maxLimit = -1; };
  f.g->OnBtnEditClick = [](TPrgStringGrid&, int, int, std::string& v) { v += "+"; };
  f.Open(1, 1);
  ASSERT_TRUE(f.Btn());
  QTest::keyClicks(f.Btn(), "zz");
  EXPECT_EQ(f.g->Cells(1, 1), "ro");
  test::Press(f.Btn()->Button());
  EXPECT_EQ(f.g->Cells(1, 1), "ro+");
}

TEST(PrgGridButtonEditor, HandlerThatMovesToAnotherKindFreesTheEditorSafely) {
  Grid f;
  f.kinds[{1, 1}] = 3;
  f.kinds[{2, 2}] = 7;
  f.g->SetCells(1, 1, "a");
  f.g->OnBtnEditClick = [&](TPrgStringGrid& g, int, int, std::string& v) {
    g.FocusCell(2, 2, true);
    g.ShowEditor();  // the editor that was clicked goes away
    v = "late";
  };
  f.Open(1, 1);
  QPointer<TPrgBtnEdit> clicked = f.Btn();
  ASSERT_TRUE(clicked);
  QTest::mouseClick(clicked->Button(), Qt::LeftButton, {}, clicked->Button()->rect().center());
  Grid::FlushDeletes();
  EXPECT_TRUE(clicked.isNull());
  EXPECT_EQ(f.g->Cells(1, 1), "a");
  EXPECT_EQ(f.g->Cells(2, 2), "");
  EXPECT_TRUE(f.Spin());
}

struct SpinGrid : Grid {
  SpinGrid() {
    kinds[{1, 1}] = 7;
    kinds[{2, 1}] = 7;
    g->OnSpinInit = [](TPrgStringGrid&, int c, int, PPrgSpinParams p) {
      p->MinValue = 0.5;
      p->MaxValue = 2.5;
      p->Increment = 1;
      p->Digits = c == 1 ? 2 : 0;
    };
  }
};

TEST(PrgGridSpinEditor, ArrowsAndButtonsStepWithinTheBounds) {
  SpinGrid f;
  f.g->SetCells(1, 1, "1,25");
  f.Open(1, 1);
  TPrgSpinEdit* spin = f.Spin();
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->text(), "1,25");
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(f.g->Cells(1, 1), "2,25");
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(spin->text(), "2,50");
  EXPECT_FALSE(spin->Button()->UpButton()->isEnabled());
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(f.g->Cells(1, 1), "2,50");
  test::Press(spin->Button()->DownButton());
  EXPECT_EQ(f.g->Cells(1, 1), "1,50");
  EXPECT_TRUE(spin->Button()->UpButton()->isEnabled());
  QTest::keyClick(spin, Qt::Key_Down);
  QTest::keyClick(spin, Qt::Key_Down);
  EXPECT_EQ(spin->text(), "0,50");
  EXPECT_FALSE(spin->Button()->DownButton()->isEnabled());
  test::Press(spin->Button()->UpButton());
  EXPECT_EQ(f.g->Cells(1, 1), "1,50");
  // Every step reached the owner; the arrows never moved to another cell.
  EXPECT_EQ(f.g->Row(), 1);
  const std::vector<std::string> seen = [&] {
    std::vector<std::string> v;
    for (const Call& c : f.calls)
      if (v.empty() || v.back() != c.value) v.push_back(c.value);
    return v;
  }();
  EXPECT_EQ(seen, (std::vector<std::string>{"2,25", "2,50", "1,50", "0,50", "1,50"}));
  f.g->EndEditing();
  EXPECT_EQ(f.calls.back(), (Call{1, 1, true, "1,50"}));
}

TEST(PrgGridSpinEditor, TypedDecimalsBeyondDigitsAreCut) {
  SpinGrid f;
  f.g->OnSpinInit = [](TPrgStringGrid&, int, int, PPrgSpinParams p) {
    p->MaxValue = 10;
    p->Digits = 2;
  };
  f.Open(1, 1);
  TPrgSpinEdit* spin = f.Spin();
  ASSERT_TRUE(spin);
  EXPECT_EQ(spin->text(), "0,00");  // an empty cell is no number: MinValue
  spin->selectAll();
  QTest::keyClick(spin, Qt::Key_Backspace);
  const QChar sep = QLocale().decimalPoint().at(0);
  ASSERT_EQ(sep, QChar(','));
  QTest::keyClicks(spin, QStringLiteral("3") + sep + "14159");
  EXPECT_EQ(spin->text(), "3,14");
  EXPECT_EQ(f.g->Cells(1, 1), "3,14");
  EXPECT_EQ(f.calls.back(), (Call{1, 1, false, "3,14"}));
  f.g->EndEditing();
  EXPECT_EQ(f.calls.back(), (Call{1, 1, true, "3,14"}));
  EXPECT_EQ(f.g->Cells(1, 1), "3,14");
}

TEST(PrgGridSpinEditor, ReopenedCellShowsItsValueAndEachCellItsOwnDigits) {
  SpinGrid f;
  f.g->SetCells(1, 1, "2,25");
  f.g->SetCells(2, 1, "bad");
  f.Open(1, 1);
  ASSERT_TRUE(f.Spin());
  QPointer<TPrgSpinEdit> first = f.Spin();
  EXPECT_EQ(first->text(), "2,25");
  f.Open(2, 1);  // same kind: the editor stays and is refilled
  EXPECT_EQ(f.Spin(), first.data());
  EXPECT_EQ(first->text(), "1");  // no number: MinValue 0.5 shown with no decimals
  EXPECT_EQ(first->Digits(), 0);
  f.Open(1, 1);
  EXPECT_EQ(first->text(), "2,25");
  EXPECT_EQ(first->Digits(), 2);
}

TEST(PrgGridEditors, KindChangesReuseOrRecreateTheEditor) {
  Grid f;
  f.kinds[{1, 1}] = 3;
  f.kinds[{1, 2}] = 3;
  f.kinds[{1, 3}] = 4;
  f.kinds[{1, 4}] = 7;
  f.kinds[{2, 4}] = 7;
  f.Open(1, 1);
  QPointer<QWidget> w3 = f.EditorWidget();
  ASSERT_TRUE(f.Btn());
  EXPECT_TRUE(f.Btn()->EditorEnabled());
  f.Open(1, 2);
  EXPECT_EQ(f.EditorWidget(), w3.data());
  f.Open(1, 3);
  Grid::FlushDeletes();
  EXPECT_TRUE(w3.isNull());
  QPointer<QWidget> w4 = f.EditorWidget();
  ASSERT_TRUE(f.Btn());
  EXPECT_FALSE(f.Btn()->EditorEnabled());
  EXPECT_EQ(f.g->InplaceEdit()->Kind(), 4);
  f.Open(1, 4);
  Grid::FlushDeletes();
  EXPECT_TRUE(w4.isNull());
  QPointer<QWidget> w7 = f.EditorWidget();
  ASSERT_TRUE(f.Spin());
  f.Open(2, 4);
  EXPECT_EQ(f.EditorWidget(), w7.data());
  f.Open(2, 3);  // kind 0
  Grid::FlushDeletes();
  EXPECT_TRUE(w7.isNull());
  EXPECT_EQ(f.EditorWidget(), nullptr);
  EXPECT_EQ(f.g->InplaceEdit()->Kind(), 0);
  EXPECT_TRUE(f.g->hasFocus());
  f.Open(1, 1);
  ASSERT_TRUE(f.Btn());
  EXPECT_TRUE(f.Btn()->EditorEnabled());
}

TEST(PrgGridEditors, TabFromAButtonEditOntoASpinCell) {
  Grid f;
  f.g->SetOptions(f.g->Options() | goTabs);
  f.kinds[{1, 1}] = 3;
  f.kinds[{2, 1}] = 7;
  f.kinds[{3, 1}] = 5;
  f.kinds[{4, 1}] = 6;
  f.Open(1, 1);
  QTest::keyClicks(f.Btn(), "t");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(f.g->Col(), 2);
  EXPECT_EQ(f.g->Cells(1, 1), "t");
  // The editors are freed from inside their own key handling.
  f.g->ShowEditor();
  ASSERT_TRUE(f.Spin());
  QTest::keyClick(f.Spin(), Qt::Key_Tab);
  f.g->ShowEditor();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  Grid::FlushDeletes();
  EXPECT_EQ(f.g->Col(), 4);
}

// The editor neither closes nor restores the cell's old text on Esc: every
// keystroke already reached the cell, and Esc belongs to the grid's owner.
TEST(PrgGridEditors, EscapeKeepsTheEditorAndTheTypedText) {
  Grid f;
  f.kinds[{1, 1}] = 3;
  f.kinds[{2, 1}] = 7;
  f.g->SetCells(1, 1, "x");
  f.g->OnSpinInit = [](TPrgStringGrid&, int, int, PPrgSpinParams p) { p->MaxValue = 100; };
  int escapes = 0;
  f.g->OnKeyDown = [&](TGridBase&, int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Escape) ++escapes;
  };
  f.Open(1, 1);
  QTest::keyClick(f.Btn(), Qt::Key_End);
  QTest::keyClicks(f.Btn(), "y");
  QTest::keyClick(f.Btn(), Qt::Key_Escape);
  EXPECT_TRUE(f.dlg->isVisible());
  EXPECT_TRUE(f.g->EditorMode());
  EXPECT_EQ(f.Btn()->text(), "xy");
  EXPECT_EQ(f.g->Cells(1, 1), "xy");
  f.Open(2, 1);
  ASSERT_TRUE(f.Spin());
  QTest::keyClick(f.Spin(), Qt::Key_Up);
  QTest::keyClick(f.Spin(), Qt::Key_Escape);
  EXPECT_TRUE(f.dlg->isVisible());
  EXPECT_EQ(f.Spin()->text(), "1,00");
  EXPECT_EQ(f.g->Cells(2, 1), "1,00");
  EXPECT_EQ(escapes, 2);
}

TEST(PrgGridEditors, DestroyingTheGridWithAnOpenEditor) {
  for (TInplaceType kind : {TInplaceType(3), TInplaceType(4), TInplaceType(7)}) {
    SCOPED_TRACE(kind);
    Grid f;
    f.kinds[{1, 1}] = kind;
    f.Open(1, 1);
    QPointer<QWidget> editor = f.EditorWidget();
    ASSERT_TRUE(editor);
    ASSERT_EQ(QApplication::focusWidget(), editor.data());
    QTest::keyClicks(editor, "1");
    delete f.g;
    Grid::FlushDeletes();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(f.dlg->isVisible());
  }
}

}  // namespace
}  // namespace korvant
