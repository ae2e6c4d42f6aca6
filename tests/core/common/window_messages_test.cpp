#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/common/window_messages.h"

namespace korvant {
namespace {

TEST(MessagePort, WithoutAPortNothingHappensAndNothingWaits) {
  ASSERT_EQ(InstalledMessagePort(), nullptr);
  EXPECT_FALSE(WindowExists(kTagVariantWindow));
  EXPECT_EQ(SendWindowMessage(kTagVariantWindow, kMsgVarModified, kVarModifiedSaveQuery), 0);
  PostWindowMessage(kTagVariantWindow, kMsgVarModified);
  PumpMessages();
  uint8_t waitUser = 1;
  PumpMessagesWhileSet(waitUser);  // must return although nobody can clear it
  EXPECT_EQ(waitUser, 1);
}

std::string Call(char kind, int tag, uint32_t msg, MsgParam w, MsgParam l) {
  std::ostringstream out;
  out << kind << tag << ':' << msg << ':' << w << ':' << l;
  return out.str();
}

class FakePort : public IMessagePort {
 public:
  std::vector<std::string> calls;
  bool HasWindow(int tag) override { return tag == kTagVariantWindow; }
  MsgResult Send(int tag, uint32_t msg, MsgParam w, MsgParam l) override {
    calls.push_back(Call('S', tag, msg, w, l));
    return 5;
  }
  void Post(int tag, uint32_t msg, MsgParam w, MsgParam l) override {
    calls.push_back(Call('P', tag, msg, w, l));
  }
  void PumpOnce() override { calls.push_back("pump"); }
  void PumpWhileSet(const uint8_t& flag) override { calls.push_back("wait" + std::to_string(flag)); }
};

TEST(MessagePort, CallsReachTheInstalledPortAndTheScopeRestoresIt) {
  FakePort outer, inner;
  {
    ScopedMessagePort a(&outer);
    {
      ScopedMessagePort b(&inner);
      EXPECT_TRUE(WindowExists(kTagVariantWindow));
      EXPECT_EQ(SendWindowMessage(kTagVariantWindow, kMsgVarModified, 1, 2), 5);
      PostWindowMessage(kTagMainWindow, kMsgAbortWait, kAbortWaitCloseProgram);
      PumpMessages();
      uint8_t flag = 1;
      PumpMessagesWhileSet(flag);
    }
    EXPECT_EQ(InstalledMessagePort(), &outer);
  }
  EXPECT_EQ(InstalledMessagePort(), nullptr);
  EXPECT_TRUE(outer.calls.empty());
  EXPECT_EQ(inner.calls, (std::vector<std::string>{"S10:45280:1:2", "P100:45272:2:0", "pump", "wait1"}));
}

}  // namespace
}  // namespace korvant
