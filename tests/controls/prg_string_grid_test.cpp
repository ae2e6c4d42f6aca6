#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

#include "controls/prg_string_grid.h"
#include "grid_test_util.h"
#include "base/cp1251.h"

namespace korvant {
namespace {

struct EditCall {
  int col;
  int row;
  bool final;
  std::string value;
  bool operator==(const EditCall&) const = default;
};

// A grid in a dialog with editing on and the kind of every cell from `kinds`.
struct EditFixture {
  QDialog dlg;
  TPrgStringGrid* g;
  std::map<std::pair<int, int>, TInplaceType> kinds;
  std::vector<EditCall> calls;

  EditFixture() {
    auto* lay = new QVBoxLayout(&dlg);
    g = new TPrgStringGrid(&dlg);
    lay->addWidget(g);
    g->setFont(test::PinnedFont());
    g->SetOptions(g->Options() | goEditing);
    dlg.resize(400, 200);
    g->OnEditCell = [this](TPrgStringGrid&, int c, int r, TInplaceType& t) {
      auto it = kinds.find({c, r});
      t = it == kinds.end() ? 0 : it->second;
    };
    g->OnSetEditText = [this](TPrgStringGrid&, int c, int r, bool f, bool&, const std::string& v) {
      calls.push_back({c, r, f, v});
    };
    test::ShowActive(dlg);
    g->setFocus();
  }
  void Open(int c, int r) {
    g->FocusCell(c, r, true);
    g->ShowEditor();
  }
  QWidget* Focus() { return QApplication::focusWidget(); }
};

TEST(PrgStringGridEditing, TypingReportsEveryKeystrokeThenTheFinalText) {
  EditFixture f;
  f.kinds[{1, 1}] = 1;
  f.Open(1, 1);
  ASSERT_TRUE(f.g->EditorMode());
  ASSERT_TRUE(qobject_cast<QPlainTextEdit*>(f.Focus()));
  QTest::keyClicks(f.Focus(), "abc");
  EXPECT_EQ(f.g->Cells(1, 1), "abc");
  QTest::keyClick(f.Focus(), Qt::Key_Return);
  EXPECT_FALSE(f.g->EditorMode());
  const std::vector<EditCall> want{{1, 1, false, "a"}, {1, 1, false, "ab"}, {1, 1, false, "abc"},
                                   {1, 1, true, "abc"}};
  EXPECT_EQ(f.calls, want);
  EXPECT_TRUE(f.g->hasFocus());
}

TEST(PrgStringGridEditing, CyrillicTextReachesTheCellInCp1251) {
  EditFixture f;
  f.kinds[{2, 2}] = 1;
  f.Open(2, 2);
  for (QChar ch : QStringLiteral("Шк")) {
    QTest::sendKeyEvent(QTest::Press, f.Focus(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
  f.g->EndEditing();
  EXPECT_EQ(f.g->Cells(2, 2), cp1251::fromUtf8("Шк"));
}

TEST(PrgStringGridEditing, RefusedTextKeepsTheCell) {
  EditFixture f;
  f.kinds[{1, 1}] = 1;
  f.g->SetCells(1, 1, "old");
  f.g->OnSetEditText = [](TPrgStringGrid&, int, int, bool, bool& valid, const std::string&) { valid = false; };
  f.Open(1, 1);
  QTest::keyClicks(f.Focus(), "x");
  f.g->EndEditing();
  EXPECT_EQ(f.g->Cells(1, 1), "old");
}

TEST(PrgStringGridEditing, KindZeroOpensNothing) {
  EditFixture f;
  f.g->FocusCell(1, 1, true);
  QTest::keyClick(f.g, Qt::Key_Return);
  QTest::keyClicks(f.g, "q");
  test::Press(*f.g, test::Centre(*f.g, 1, 1));
  test::Release(*f.g, test::Centre(*f.g, 1, 1));
  EXPECT_TRUE(f.calls.empty());
  EXPECT_EQ(f.g->Cells(1, 1), "");
  EXPECT_TRUE(f.g->hasFocus());
}

TEST(PrgStringGridEditing, TypedCharacterOpensTheEditorWithIt) {
  EditFixture f;
  f.kinds[{1, 2}] = 2;
  f.g->FocusCell(1, 2, true);
  QTest::keyClicks(f.g, "7");
  ASSERT_TRUE(f.g->EditorMode());
  EXPECT_EQ(f.g->Cells(1, 2), "7");
}

TEST(PrgStringGridEditing, KindsReuseOrRecreateTheEditor) {
  EditFixture f;
  f.kinds[{1, 1}] = 5;
  f.kinds[{2, 1}] = 5;
  f.kinds[{3, 1}] = 6;
  int fills = 0;
  f.g->OnFillCombo = [&](TPrgStringGrid&, int c, int, std::vector<std::string>& items, std::string&) {
    ++fills;
    items = {"x" + std::to_string(c), "b", "a"};
  };
  f.Open(1, 1);
  QPointer<QWidget> first = f.g->InplaceEdit()->Editor()->Widget();
  f.Open(2, 1);
  EXPECT_EQ(f.g->InplaceEdit()->Editor()->Widget(), first.data());
  QComboBox* combo = f.g->InplaceEdit()->Combo();
  ASSERT_TRUE(combo);
  EXPECT_EQ(combo->itemText(2), "x2");  // refilled, sorted
  EXPECT_EQ(combo->itemText(0), "a");
  f.Open(3, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(f.g->InplaceEdit()->Kind(), 6);
  EXPECT_EQ(fills, 3);
}

TEST(PrgStringGridEditing, MaxLimitCutsAndMinusOneMakesReadOnly) {
  EditFixture f;
  f.kinds[{1, 1}] = 1;
  f.kinds[{2, 1}] = 1;
  f.g->SetCells(1, 1, "123456789012345");
  f.g->SetCells(2, 1, "fixed");
  f.g->OnGetEditText = [](TPrgStringGrid&, int c, int, int& maxLimit, std::string&) {
    maxLimit = c == 1 ? 10 : -1;
  };
  f.Open(1, 1);
  auto* memo = qobject_cast<QPlainTextEdit*>(f.Focus());
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->toPlainText(), "1234567890");
  QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(memo, "x");
  EXPECT_EQ(memo->toPlainText(), "1234567890");
  f.g->EndEditing();
  EXPECT_EQ(f.g->Cells(1, 1), "1234567890");
  f.calls.clear();
  f.Open(2, 1);
  QTest::keyClicks(f.Focus(), "zz");
  QTest::keyClick(f.Focus(), Qt::Key_Delete);
  QTest::keyClick(f.Focus(), Qt::Key_Backspace);
  f.g->EndEditing();
  EXPECT_EQ(f.g->Cells(2, 1), "fixed");
  ASSERT_EQ(f.calls.size(), 1u);
  EXPECT_TRUE(f.calls[0].final);
}

TEST(PrgStringGridEditing, EscapeKeepsTheDialogAndTheEditor) {
  EditFixture f;
  f.kinds[{1, 1}] = 2;
  f.Open(1, 1);
  QTest::keyClicks(f.Focus(), "ab");
  QTest::keyClick(f.Focus(), Qt::Key_Escape);
  EXPECT_TRUE(f.dlg.isVisible());
  EXPECT_EQ(f.dlg.result(), 0);
  EXPECT_TRUE(f.g->EditorMode());
  auto* edit = qobject_cast<QLineEdit*>(f.Focus());
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->text(), "ab");
  EXPECT_EQ(f.g->Cells(1, 1), "ab");
}

TEST(PrgStringGridEditing, EnterInAnOpenListChoosesAndEndsEditing) {
  EditFixture f;
  f.kinds[{1, 1}] = 6;
  f.g->OnFillCombo = [](TPrgStringGrid&, int, int, std::vector<std::string>& items, std::string&) {
    items = {"one", "three", "two"};
  };
  f.Open(1, 1);
  QComboBox* combo = f.g->InplaceEdit()->Combo();
  ASSERT_TRUE(combo);
  combo->showPopup();
  ASSERT_TRUE(combo->view()->isVisible());
  combo->view()->setCurrentIndex(combo->model()->index(1, 0));
  QTest::keyClick(combo->view(), Qt::Key_Return);
  EXPECT_FALSE(f.g->EditorMode());
  EXPECT_EQ(f.g->Cells(1, 1), "three");
  ASSERT_FALSE(f.calls.empty());
  EXPECT_EQ(f.calls.back(), (EditCall{1, 1, true, "three"}));
}

// Down in a list cell opens the list instead of changing the value unseen;
// the user picks with the arrows and Enter. F4 leaves the list shut. Either
// list drops down wide enough for its longest entry.
TEST(PrgStringGridEditing, DownOpensTheListAndF4DoesNot) {
  for (TInplaceType kind : {TInplaceType(6), TInplaceType(5)}) {
    SCOPED_TRACE(kind);
    EditFixture f;
    f.kinds[{1, 1}] = kind;
    f.g->SetCells(1, 1, "one");
    const QString longest = QStringLiteral("wide entry, far wider than its cell");
    f.g->OnFillCombo = [&](TPrgStringGrid&, int, int, std::vector<std::string>& items, std::string&) {
      items = {"one", "three", "two", longest.toStdString()};
    };
    f.Open(1, 1);
    QComboBox* combo = f.g->InplaceEdit()->Combo();
    ASSERT_TRUE(combo);
    QWidget* keys = f.Focus();
    ASSERT_TRUE(keys == combo || keys == combo->lineEdit());
    QTest::keyClick(keys, Qt::Key_F4);
    EXPECT_FALSE(combo->view()->isVisible());
    QTest::keyClick(keys, Qt::Key_Down);
    ASSERT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(combo->currentText(), QStringLiteral("one"));
    const int wanted = combo->view()->fontMetrics().horizontalAdvance(longest);
    EXPECT_LT(combo->width(), wanted);
    EXPECT_GT(combo->view()->viewport()->width(), wanted);
    if (kind == 6) EXPECT_TRUE(f.calls.empty());  // a typed list reports its text as it changes
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    EXPECT_FALSE(f.g->EditorMode());
    EXPECT_EQ(f.g->Cells(1, 1), "three");
  }
}

TEST(PrgStringGridEditing, ListCellKeepsATextNotInTheList) {
  EditFixture f;
  f.kinds[{1, 1}] = 6;
  f.g->SetCells(1, 1, "other");
  f.g->OnFillCombo = [](TPrgStringGrid&, int, int, std::vector<std::string>& items, std::string&) {
    items = {"a", "b"};
  };
  f.Open(1, 1);
  EXPECT_EQ(f.g->InplaceEdit()->Combo()->currentIndex(), -1);
  f.g->FocusCell(2, 2, true);  // leaving without a choice
  EXPECT_EQ(f.g->Cells(1, 1), "other");
  EXPECT_TRUE(f.calls.empty());
}

TEST(PrgStringGridEditing, TabMovesOnAndClosesTheEditor) {
  EditFixture f;
  f.g->SetOptions(f.g->Options() | goTabs);
  f.kinds[{1, 1}] = 1;
  f.Open(1, 1);
  QTest::keyClicks(f.Focus(), "t");
  QTest::keyClick(f.Focus(), Qt::Key_Tab);
  EXPECT_EQ(f.g->Col(), 2);
  EXPECT_FALSE(f.g->EditorMode());
  EXPECT_EQ(f.calls.back(), (EditCall{1, 1, true, "t"}));
}

class FakeEditor : public IPrgInplaceEditor {
 public:
  FakeEditor(QWidget* parent, TInplaceType kind, std::vector<int>& made) : edit_(new QLineEdit(parent)) {
    made.push_back(kind);
    QObject::connect(edit_, &QLineEdit::textChanged, edit_, [this] {
      if (OnTextChanged) OnTextChanged();
    });
  }
  ~FakeEditor() override { delete edit_; }
  QWidget* Widget() override { return edit_; }
  QString Text() const override { return edit_->text(); }
  void SetText(const QString& t) override { edit_->setText(t); }
  int MaxLength() const override { return 0; }
  void SetMaxLength(int) override {}
  void CaretHome() override {}
  void SetReadOnly(bool) override {}

 private:
  QLineEdit* edit_;
};

TEST(PrgStringGridEditing, ButtonAndSpinKindsComeFromTheFactory) {
  std::vector<int> made;
  SetPrgInplaceFactory([&](QWidget* parent, TInplaceType kind) -> std::unique_ptr<IPrgInplaceEditor> {
    return std::make_unique<FakeEditor>(parent, kind, made);
  });
  {
    EditFixture f;
    f.kinds[{1, 1}] = 3;
    f.kinds[{2, 1}] = 4;
    f.kinds[{3, 1}] = 7;
    f.kinds[{4, 1}] = 1;
    for (int c = 1; c <= 4; ++c) f.Open(c, 1);
    EXPECT_EQ(made, (std::vector<int>{3, 4, 7}));
  }
  SetPrgInplaceFactory(nullptr);
}

TEST(PrgStringGridStorage, ViewsObjectsAndErrors) {
  TPrgStringGrid g;
  int token = 0;
  g.SetObjects(3, 2, &token);  // an object on a cell that holds no text
  EXPECT_EQ(g.Objects(3, 2), &token);
  EXPECT_EQ(g.Cells(3, 2), "");
  EXPECT_EQ(g.Rows(2).Count(), 5);
  EXPECT_EQ(g.Rows(2).Add("a"), 0);
  EXPECT_EQ(g.Rows(2).Add("b"), 1);
  EXPECT_EQ(g.Cols(1).Get(2), "b");
  g.Cols(4).Assign({{"p", nullptr}, {"q", &token}});
  EXPECT_EQ(g.Cells(4, 1), "q");
  EXPECT_EQ(g.Objects(4, 1), &token);
  g.Rows(2).Clear();
  EXPECT_EQ(g.Cells(1, 2), "");
  EXPECT_EQ(g.Objects(3, 2), nullptr);
  try {
    g.Rows(1).Insert(0, "x");
    FAIL();
  } catch (const EInvalidPrgGridOperation& e) {
    EXPECT_EQ(e.id(), kCannotInsertDelete);
  }
  EXPECT_THROW(g.Cols(1).Delete(0), EInvalidPrgGridOperation);
  EXPECT_THROW(g.SetCells(5, 0, "x"), EInvalidPrgGridOperation);
}

TEST(PrgStringGridPainting, ColoursAndEllipsis) {
  TPrgStringGrid g;
  g.setFont(test::PinnedFont());
  g.SetSelectedColor(QColor(0, 0, 255));
  g.SetCellColor(QColor(255, 255, 255));
  g.resize(400, 200);
  test::ShowActive(g);
  g.FocusCell(2, 2, true);
  QImage img = test::Shot(g);
  EXPECT_EQ(test::PixelAt(img, test::Centre(g, 2, 2)), QColor(0, 0, 255));
  EXPECT_EQ(test::PixelAt(img, test::Centre(g, 3, 3)), QColor(255, 255, 255));
  EXPECT_EQ(test::PixelAt(img, test::Centre(g, 0, 0)), BtnFaceColor());
  // A grid line in the line colour between two data cells.
  const QRect r = g.CellRect(1, 1);
  EXPECT_EQ(test::PixelAt(img, QPoint(r.right() + 1, r.center().y())), QColor(0, 0, 0));
  // A long text in a narrow cell: the right end of the cell shows the ellipsis' dots,
  // the text's own last letter "W" never reaches it.
  g.SetColWidths(3, 40);
  g.SetCells(3, 1, "WWWWWWWWWWWWWW");
  img = test::Shot(g);
  const QRect c = g.CellRect(3, 1);
  int dark = 0;
  for (int x = c.left(); x <= c.right(); ++x)
    for (int y = c.top(); y <= c.bottom(); ++y)
      if (QColor(img.pixel(x, y)).lightness() < 100) ++dark;
  EXPECT_GT(dark, 0);
  EXPECT_EQ(QColor(img.pixel(c.right() - 1, c.center().y())), QColor(255, 255, 255));
}

}  // namespace
}  // namespace korvant
