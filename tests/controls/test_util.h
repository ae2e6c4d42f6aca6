#pragma once
// Helpers shared by the control tests.
#include <QApplication>
#include <QImage>
#include <QWidget>
#include <QtTest/QTest>

#include "platform/beep.h"

namespace korvant::test {

// Shows a top-level window and makes sure every child has painted once,
// so glyph rectangles are known.
inline void ShowAndPaint(QWidget& top) {
  top.show();
  (void)QTest::qWaitForWindowExposed(&top);
  (void)top.grab();
}

// Counts warning beeps while alive.
class BeepCounter {
 public:
  BeepCounter() : old_(InstallBeepHook([this] { ++count; })) {}
  ~BeepCounter() { InstallBeepHook(std::move(old_)); }
  int count = 0;
 private:
  BeepHook old_;
};

}  // namespace korvant::test
