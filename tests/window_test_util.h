#pragma once
// Helpers of the window tests: a scripted message box, modal scripting and
// the user's input (clicks where the user can reach, keys, pop-ups, tabs).
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "controls/grid_base.h"
#include "controls/speed_button.h"
#include "core/common/catalogue.h"
#include "core/common/shared_state.h"

namespace korvant::test {

inline std::string W(const char* utf8) { return cp1251::fromUtf8(utf8); }
inline std::string U(const std::string& cp) { return cp1251::toUtf8(cp); }

// The shared state as a fresh program has it: what one test's variant
// window or run left there must not reach the next.
inline void ResetSharedState() { Shared() = SharedState(); }

// Answers the core's boxes from a script and records what was asked.
// Without a scripted answer a box answers what closing it would.
class ScriptedPrompt : public IPrompt {
 public:
  struct Asked {
    std::string text;  // UTF-8
    uint8_t kind;
  };
  std::vector<Asked> asked;
  std::deque<int> answers;

  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    asked.push_back({U(text), kind});
    if (!answers.empty()) {
      const int a = answers.front();
      answers.pop_front();
      return a;
    }
    return kind == kBoxOk ? kResYes : kind == kBoxYesNo ? kResNo : kResCancel;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const Asked& a : asked) t.push_back(a.text);
    return t;
  }
};

// Once a test has failed fatally inside a dialog's script, the dialogs it
// leaves open (and any it opens later) are ended, so that the test reports
// its failure instead of waiting for a user forever.
inline void EndModalsOfFailedTest(const ::testing::TestInfo* owner) {
  if (::testing::UnitTest::GetInstance()->current_test_info() != owner) return;
  if (QWidget* m = QApplication::activeModalWidget()) {
    if (auto* d = qobject_cast<QDialog*>(m))
      d->done(QDialog::Rejected);
    else
      m->close();
  }
  QTimer::singleShot(10, [owner] { EndModalsOfFailedTest(owner); });
}

// Runs `script` once the next modal loop is running (the modal widget is
// QApplication::activeModalWidget() then).
inline void WhenModal(std::function<void(QWidget* modal)> script) {
  // The poll belongs to the test that armed it: when no dialog came, it
  // must not run its script (and the references it holds) in a later test.
  const ::testing::TestInfo* owner = ::testing::UnitTest::GetInstance()->current_test_info();
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [script, poll, owner] {
    if (::testing::UnitTest::GetInstance()->current_test_info() != owner) {
      *poll = nullptr;
      return;
    }
    if (QWidget* m = QApplication::activeModalWidget()) {
      // The user acts once the dialog is there: shown and holding the focus.
      (void)QTest::qWaitForWindowActive(m);
      script(m);
      if (::testing::Test::HasFatalFailure()) EndModalsOfFailedTest(owner);
      *poll = nullptr;  // breaks the cycle
      return;
    }
    QTimer::singleShot(5, *poll);
  };
  QTimer::singleShot(0, *poll);
}

// Shows a window and makes it the active one, as the user's click on it
// would (the window's focus then reaches its widgets).
inline void ShowActive(QWidget& w) {
  w.show();
  w.activateWindow();
  QApplication::setActiveWindow(&w);
  (void)QTest::qWaitForWindowExposed(&w);
  (void)QTest::qWaitForWindowActive(&w);
}

// Whether a user's pointer at `at` (in w's coordinates) lands on w: w is
// on screen, the point lies inside w and inside its window, and no sibling
// or parent's edge covers it there.
inline ::testing::AssertionResult Reachable(QWidget* w, QPoint at) {
  if (!w) return ::testing::AssertionFailure() << "no widget";
  const std::string name = w->metaObject()->className() + std::string(" '") +
                           w->objectName().toStdString() + "'";
  if (!w->isVisible()) return ::testing::AssertionFailure() << name << " is not on screen";
  if (!w->rect().contains(at))
    return ::testing::AssertionFailure() << name << " is " << w->width() << "x" << w->height()
                                         << ", the point lies outside it";
  QWidget* top = w->window();
  const QPoint inTop = w->mapTo(top, at);
  if (!top->rect().contains(inTop))
    return ::testing::AssertionFailure() << name << " lies outside its window";
  QWidget* hit = top->childAt(inTop);
  if (w != top && hit != w && !w->isAncestorOf(hit))
    return ::testing::AssertionFailure() << name << " is covered by "
                                         << (hit ? hit->metaObject()->className() : "its parent's edge");
  if (QWidget* modal = QApplication::activeModalWidget(); modal && !(top->windowType() & Qt::Popup)) {
    bool under = false;
    for (QWidget* p = top; p && !under; p = p->parentWidget()) under = p == modal;
    if (!under)
      return ::testing::AssertionFailure() << name << " is in a window behind the open dialog "
                                           << modal->metaObject()->className();
  }
  return ::testing::AssertionSuccess();
}

// A click on a window that is not the active one activates it first, as
// the window system does.
inline void ActivateOnClick(QWidget* w) {
  QWidget* top = w->window();
  if ((top->windowType() & Qt::Popup) == Qt::Popup || QApplication::activeWindow() == top) return;
  top->activateWindow();
  QApplication::setActiveWindow(top);
  (void)QTest::qWaitForWindowActive(top);
}

// The widget that a pointer at `at` (in w's coordinates) is over: w, or the
// child of w drawn there (the text field inside a date picker), with the
// point in its coordinates.
inline QWidget* WidgetUnder(QWidget* w, QPoint& at) {
  QWidget* top = w->window();
  QWidget* hit = top->childAt(w->mapTo(top, at));
  if (!hit || hit == w || !w->isAncestorOf(hit)) return w;
  at = hit->mapFrom(w, at);
  return hit;
}

// A left click where the user can reach it: by default the middle of a
// shown widget (a push button, a bit button, a check box). The click goes
// where the window system would send it: to the widget under the pointer.
inline void LeftClick(QWidget* w, QPoint at) {
  ASSERT_TRUE(Reachable(w, at)) << "a click the user cannot make";
  ActivateOnClick(w);
  QWidget* target = WidgetUnder(w, at);
  QTest::mouseClick(target, Qt::LeftButton, {}, at);
}
inline void LeftClick(QWidget* w) {
  ASSERT_TRUE(w) << "a click on no widget";
  LeftClick(w, w->rect().center());
}

// A double click as the user makes it: press, release, then the second
// press seen as a double click, and its release.
inline void DoubleClick(QWidget* w, QPoint at) {
  ASSERT_TRUE(Reachable(w, at)) << "a double click the user cannot make";
  ActivateOnClick(w);
  QWidget* target = WidgetUnder(w, at);
  QTest::mouseClick(target, Qt::LeftButton, {}, at);
  QTest::mouseDClick(target, Qt::LeftButton, {}, at);
  QTest::mouseRelease(target, Qt::LeftButton, {}, at);
}

// The shown button of a dialog whose caption reads `caption` (accelerator
// marks and padding aside), or null.
inline QAbstractButton* ButtonCaptioned(QWidget* dialog, const QString& caption) {
  for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
    if (b->isVisible() && b->text().remove(QLatin1Char('&')).trimmed() == caption) return b;
  return nullptr;
}
inline void ClickButton(QWidget* dialog, const char* utf8Caption) {
  QAbstractButton* b = ButtonCaptioned(dialog, QString::fromUtf8(utf8Caption));
  ASSERT_TRUE(b) << "no button \"" << utf8Caption << "\" on screen";
  LeftClick(b);
}

// Ticks or unticks a check box, or chooses a radio button, by a click on
// its indicator.
inline void Tick(QAbstractButton* b) {
  ASSERT_TRUE(b) << "a click on no box";
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
  const QRect r = b->style()->subElementRect(radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator,
                                             &opt, b);
  LeftClick(b, r.isValid() && !r.isEmpty() ? r.center() : b->rect().center());
}

// Where an item view shows the item, scrolled into sight as the user
// would scroll to it (in the view port's coordinates).
inline QPoint ItemPoint(QAbstractItemView* v, const QModelIndex& i) {
  v->scrollTo(i);
  return v->visualRect(i).center();
}
inline QModelIndex IndexAt(QAbstractItemView* v, int row, int col = 0) { return v->model()->index(row, col); }

// A click, or a double click, on an item of a list, table or tree.
inline void ClickItem(QAbstractItemView* v, const QModelIndex& i) {
  ASSERT_TRUE(i.isValid()) << "a click on no item";
  LeftClick(v->viewport(), ItemPoint(v, i));
}
inline void DoubleClickItem(QAbstractItemView* v, const QModelIndex& i) {
  ASSERT_TRUE(i.isValid()) << "a double click on no item";
  DoubleClick(v->viewport(), ItemPoint(v, i));
}

// A click on a cell of one of the program's grids (a week grid, a string
// grid), where the grid shows it.
inline void ClickCell(TGridBase* g, int col, int row) {
  const QRect r = g->CellRect(col, row);
  ASSERT_FALSE(r.isEmpty()) << "cell " << col << "," << row << " is not in sight";
  LeftClick(g->viewport(), r.center());
}

// Ticks or unticks a check-box item of a list as the user does: a click
// on the item, then the space bar.
inline void TickItem(QAbstractItemView* v, const QModelIndex& i) {
  ClickItem(v, i);
  if (::testing::Test::HasFatalFailure()) return;
  QTest::keyClick(v, Qt::Key_Space);
}

// Types text as keys into the widget (the one with the focus, as typing
// goes there): characters beyond ASCII one by one, as a keyboard sends them.
inline void TypeText(QWidget* w, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80 && c.isPrint())
      QTest::keyClick(w, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// Replaces a field's or memo's text as a user does: a click into it, all
// of it selected, the new text typed over it (an empty text deletes it).
inline void TypeOver(QWidget* e, const QString& text) {
  LeftClick(e);
  if (::testing::Test::HasFatalFailure()) return;
  QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
  if (text.isEmpty())
    QTest::keyClick(e, Qt::Key_Delete);
  else
    TypeText(e, text);
}

// Replaces a field's or memo's text by pasting: the text on the clipboard,
// a click into the field, all selected, Ctrl+V.
inline void PasteOver(QWidget* e, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  LeftClick(e);
  if (::testing::Test::HasFatalFailure()) return;
  QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
}

// Enters a date into a date picker from the keyboard: a click into its
// first section, Tab and Shift+Tab to select that section whole, then the
// digits, the picker moving from section to section by itself. Nothing
// commits the date: the caller presses Return or leaves the field.
inline void EnterDate(QDateEdit* picker, const QDate& date) {
  LeftClick(picker, QPoint(picker->height() / 2, picker->height() / 2));
  if (::testing::Test::HasFatalFailure()) return;
  QTest::keyClick(picker, Qt::Key_Tab);
  QTest::keyClick(picker, Qt::Key_Backtab);
  QString digits;
  for (QChar c : picker->locale().toString(date, picker->displayFormat()))
    if (c.isDigit()) digits += c;
  TypeText(picker, digits);
}

// Moves a slider to `value` by clicks on its groove at that value's
// place, each click a page step toward it, as the user moves a two-way
// switch. (The style's option is filled as the slider fills it.)
inline void SlideTo(QSlider* s, int value) {
  QStyleOptionSlider o;
  o.initFrom(s);
  o.subControls = QStyle::SC_None;
  o.activeSubControls = QStyle::SC_None;
  o.orientation = s->orientation();
  o.maximum = s->maximum();
  o.minimum = s->minimum();
  o.tickPosition = s->tickPosition();
  o.tickInterval = s->tickInterval();
  const bool vertical = s->orientation() == Qt::Vertical;
  o.upsideDown = vertical ? !s->invertedAppearance()
                          : s->invertedAppearance() != (s->layoutDirection() == Qt::RightToLeft);
  o.direction = s->layoutDirection();
  o.sliderPosition = s->sliderPosition();
  o.sliderValue = s->value();
  o.singleStep = s->singleStep();
  o.pageStep = s->pageStep();
  if (!vertical) o.state |= QStyle::State_Horizontal;
  const QRect groove = s->style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderGroove, s);
  const QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, s);
  const int grooveLen = vertical ? groove.height() : groove.width();
  const int handleLen = vertical ? handle.height() : handle.width();
  const int along = (vertical ? groove.top() : groove.left()) + handleLen / 2 +
                    QStyle::sliderPositionFromValue(s->minimum(), s->maximum(), value, grooveLen - handleLen,
                                                    o.upsideDown);
  const QPoint at = vertical ? QPoint(groove.center().x(), along) : QPoint(along, groove.center().y());
  for (int i = s->minimum(); i < s->maximum() && s->value() != value; ++i) {
    LeftClick(s, at);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// A right click at `at` in w, as the user asks for a context menu; the
// menu it pops up, or null.
inline QMenu* RightClick(QWidget* w, QPoint at) {
  EXPECT_TRUE(Reachable(w, at)) << "a right click the user cannot make";
  ActivateOnClick(w);
  QWidget* target = WidgetUnder(w, at);
  QTest::mouseClick(target, Qt::RightButton, {}, at);
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Clicks an item of a popped-up menu where the menu shows it; a disabled
// item does nothing and the menu is then closed with Esc, as the user would.
inline void ClickMenuItem(QMenu* menu, QAction* item) {
  ASSERT_TRUE(menu && menu->isVisible()) << "no menu on screen";
  ASSERT_TRUE(menu->actions().contains(item)) << "the menu on screen holds no " << item->text().toStdString();
  LeftClick(menu, menu->actionGeometry(item).center());
  if (menu->isVisible()) QTest::keyClick(menu, Qt::Key_Escape);
}

// Opens a page of a tab widget (or a tab of a bar) by a click on its tab.
inline void ChooseTab(QTabBar* bar, int index) {
  ASSERT_TRUE(index >= 0 && index < bar->count()) << "no tab " << index;
  LeftClick(bar, bar->tabRect(index).center());
}
inline void ChooseTab(QTabWidget* tabs, int index) { ChooseTab(tabs->tabBar(), index); }

// Presses a speed button with the mouse at the point nearest its middle
// that takes a press: a flat button's glyph lets presses on its
// transparent pixels through. The button is painted first, so its glyph
// has its place.
inline void Press(TPrgSpeedButton* b) {
  ASSERT_TRUE(b) << "a press on no button";
  ASSERT_TRUE(Reachable(b, b->rect().center())) << "a press the user cannot make";
  (void)b->grab();
  const QPoint mid = b->rect().center();
  auto solid = [b](QPoint p) {
    if (!b->Flat() || b->GlyphPainter().IsEmpty()) return true;
    return !b->GlyphPainter().IsTransparentAt(p, b->State());
  };
  QPoint at = mid;
  for (int r = 0; r < std::max(b->width(), b->height()) && !solid(at); ++r) {
    for (int dy = -r; dy <= r && !solid(at); ++dy)
      for (int dx = -r; dx <= r; ++dx) {
        const QPoint p = mid + QPoint(dx, dy);
        if (b->rect().contains(p) && solid(p)) {
          at = p;
          break;
        }
      }
  }
  ASSERT_TRUE(Reachable(b, at)) << "a press the user cannot make";
  ActivateOnClick(b);
  QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

// The menus from the bar down to the one that holds item (outermost first),
// or nothing when no menu of the bar holds it.
inline bool MenuPath(const QList<QAction*>& actions, QAction* item, std::vector<QMenu*>& path) {
  for (QAction* a : actions) {
    QMenu* m = a->menu();
    if (!m) continue;
    path.push_back(m);
    if (m->actions().contains(item) || MenuPath(m->actions(), item, path)) return true;
    path.pop_back();
  }
  return false;
}

// Chooses a menu item with the mouse, as a user does: its title on the
// menu bar clicked, each sub-menu on the way opened by a click on its
// entry, then a click on the item where the popped-up menu shows it. A
// disabled title, sub-menu or item does what it does for a user: nothing.
inline void ChooseMenuItem(QMenuBar* bar, QAction* item) {
  std::vector<QMenu*> path;
  ASSERT_TRUE(MenuPath(bar->actions(), item, path)) << "no menu of the bar holds " << item->text().toStdString();
  LeftClick(bar, bar->actionGeometry(path[0]->menuAction()).center());
  if (::testing::Test::HasFatalFailure()) return;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (!path[i]->isVisible()) return;  // a disabled menu does not open
    (void)QTest::qWaitForWindowExposed(path[i]);
    QAction* next = i + 1 < path.size() ? path[i + 1]->menuAction() : item;
    LeftClick(path[i], path[i]->actionGeometry(next).center());
    if (::testing::Test::HasFatalFailure()) return;
  }
  // A menu left open by a disabled item is closed as the user would, by Esc.
  for (auto it = path.rbegin(); it != path.rend(); ++it)
    if ((*it)->isVisible()) QTest::keyClick(*it, Qt::Key_Escape);
  QCoreApplication::processEvents();
}

// Picks the entry `text` of a drop-down list through its real pop-up: a
// click opens it, the keys walk to the entry from the top and Return takes
// it. (A click into a list just opened is taken as the end of the opening
// click.) Answers whether the entry was there and the list took it (what
// the list's owner then makes of its index is the owner's).
inline bool PickFromPopup(QComboBox* box, const QString& text) {
  const int row = box->findText(text);
  if (row < 0) return false;
  // An editable list opens from its arrow; a click on its text only edits.
  QPoint at = box->rect().center();
  if (box->isEditable()) {
    QStyleOptionComboBox o;
    o.initFrom(box);
    o.editable = true;
    o.frame = box->hasFrame();
    o.subControls = QStyle::SC_All;
    at = box->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxArrow, box).center();
  }
  if (!Reachable(box, at)) return false;
  ActivateOnClick(box);
  QTest::mouseClick(box, Qt::LeftButton, {}, at);
  QAbstractItemView* list = box->view();
  if (!list->isVisible()) return false;
  int taken = -1;
  const QMetaObject::Connection c =
      QObject::connect(box, &QComboBox::activated, box, [&taken](int i) { taken = i; });
  QTest::keyClick(list, Qt::Key_Home);
  for (int i = 0; i < row; ++i) QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  QObject::disconnect(c);
  return !list->isVisible() && taken == row;
}

// Opens the tab pages that hold w, outermost first, by clicks on their
// tabs, as the user brings a control on a hidden page into sight.
inline void OpenPageOf(QWidget* w) {
  std::vector<std::pair<QTabWidget*, int>> tabs;
  for (QWidget* c = w; c && !c->isWindow(); c = c->parentWidget()) {
    QWidget* stack = c->parentWidget();
    auto* t = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (t && t->indexOf(c) >= 0) tabs.emplace_back(t, t->indexOf(c));
  }
  for (auto it = tabs.rbegin(); it != tabs.rend(); ++it)
    if (it->first->currentIndex() != it->second) {
      ChooseTab(it->first, it->second);
      if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace korvant::test
