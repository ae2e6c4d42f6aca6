#pragma once
// Helpers of the window tests: a scripted message box and modal scripting.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/cp1251.h"
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
