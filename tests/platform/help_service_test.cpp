#include "platform/help_service.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace korvant {
namespace {

TEST(HelpService, FindsTheFirstContextFromTheControlUp) {
  QWidget form;
  auto* panel = new QWidget(&form);
  auto* edit = new QWidget(panel);
  SetHelpContext(&form, 25);
  EXPECT_EQ(FindHelpContext(edit), 25);
  SetHelpContext(edit, 401);
  EXPECT_EQ(FindHelpContext(edit), 401);
  EXPECT_EQ(FindHelpContext(panel), 25);
  SetHelpContext(&form, 0);
  EXPECT_EQ(FindHelpContext(panel), 0);
  EXPECT_EQ(FindHelpContext(nullptr), 0);
}

TEST(HelpService, RequestsReachTheHookAndContextZeroOpensNothing) {
  std::vector<int> asked;
  {
    ScopedHelpHook hook([&](int c) { asked.push_back(c); });
    EXPECT_TRUE(ShowHelpContext(408));
    EXPECT_FALSE(ShowHelpContext(0));
    QWidget w;
    SetHelpContext(&w, 27);
    EXPECT_TRUE(ShowHelpFor(&w));
  }
  EXPECT_EQ(asked, (std::vector<int>{408, 27}));
  // Without a hook a request goes to the message box (FrameTest.HelpAndAbout).
  EXPECT_TRUE(ShowHelpContext(6));
  EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace korvant
