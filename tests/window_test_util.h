#pragma once
// Helpers of the window tests: a scripted message box and modal scripting.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "controls/speed_button.h"
#include "core/common/catalogue.h"

namespace korvant::test {

inline std::string W(const char* utf8) { return cp1251::fromUtf8(utf8); }
inline std::string U(const std::string& cp) { return cp1251::toUtf8(cp); }

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
      script(m);
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

// A left click at the middle of a shown widget (a push button, a bit button).
inline void LeftClick(QWidget* w) {
  ASSERT_TRUE(w && w->isVisible()) << "a click on a button that is not on screen";
  QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// Presses a speed button with the mouse at the point nearest its middle
// that takes a press: a flat button's glyph lets presses on its
// transparent pixels through. The button is painted first, so its glyph
// has its place.
inline void Press(TPrgSpeedButton* b) {
  ASSERT_TRUE(b && b->isVisible()) << "a press on a button that is not on screen";
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
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(path[0]->menuAction()).center());
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (!path[i]->isVisible()) return;  // a disabled menu does not open
    (void)QTest::qWaitForWindowExposed(path[i]);
    QAction* next = i + 1 < path.size() ? path[i + 1]->menuAction() : item;
    QTest::mouseClick(path[i], Qt::LeftButton, {}, path[i]->actionGeometry(next).center());
  }
  // A menu left open by a disabled item is closed as the user would, by Esc.
  for (auto it = path.rbegin(); it != path.rend(); ++it)
    if ((*it)->isVisible()) QTest::keyClick(*it, Qt::Key_Escape);
  QCoreApplication::processEvents();
}

// Picks the entry `text` of a drop-down list through its real pop-up: a
// click opens it, the keys walk to the entry from the top and Return takes
// it. (A click into a list just opened is taken as the end of the opening
// click.) Answers whether the entry was there.
inline bool PickFromPopup(QComboBox* box, const QString& text) {
  const int row = box->findText(text);
  if (row < 0) return false;
  QTest::mouseClick(box, Qt::LeftButton);
  QAbstractItemView* list = box->view();
  if (!list->isVisible()) return false;
  QTest::keyClick(list, Qt::Key_Home);
  for (int i = 0; i < row; ++i) QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Return);
  return !list->isVisible() && box->currentIndex() == row;
}

}  // namespace korvant::test
