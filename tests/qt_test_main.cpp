// Entry point of the Qt test programs: widgets run on the offscreen
// platform, so the tests need no display (and test discovery can run them).
#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {

// What a test leaves in the event queue (posted messages, deferred
// deletions, timers of its windows) is handled when it ends, so it never
// reaches the next test, whatever order the tests run in.
class DrainBetweenTests : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::processEvents();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new DrainBetweenTests);
  return RUN_ALL_TESTS();
}
