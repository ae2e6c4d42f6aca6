#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_messages.h"

namespace korvant {
namespace {

using Lines = std::vector<std::string>;

// A receiver whose handlers are scripted per message number; every handled
// message is appended to a log shared by all receivers of a test.
class Probe : public MessageTarget {
 public:
  Probe(int tag, std::vector<std::string>* log) : log_(log) { setMessageTag(tag); }
  std::map<uint32_t, std::function<MsgResult(MsgParam, MsgParam)>> on;

  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    if (log_ != nullptr)
      log_->push_back(std::to_string(messageTag()) + ":" + std::to_string(msg) + "(" + std::to_string(w) + ")");
    auto it = on.find(msg);
    return it != on.end() ? it->second(w, l) : 0;
  }

 private:
  std::vector<std::string>* log_;
};

class ProbeWidget : public QWidget, public MessageTarget {
 public:
  explicit ProbeWidget(int tag) { setMessageTag(tag); }
  MsgResult handleMessage(uint32_t msg, MsgParam, MsgParam) override {
    last = msg;
    return 7;
  }
  uint32_t last = 0;
};

// Whatever an earlier test left queued must not leak into the next one.
void drain() { QCoreApplication::processEvents(); }

TEST(WindowMessages, SendReturnsTheHandlersResultAndNests) {
  drain();
  std::vector<std::string> log;
  Probe main(kTagMainWindow, &log);
  Probe variant(kTagVariantWindow, &log);
  // The variant window's save query answers 5; the main window asks it
  // while handling its own message and adds one.
  variant.on[kMsgVarModified] = [](MsgParam w, MsgParam) -> MsgResult { return w == 1 ? 5 : 0; };
  main.on[kMsgLeavePlanning] = [](MsgParam, MsgParam) -> MsgResult {
    return sendToTag(kTagVariantWindow, kMsgVarModified, kVarModifiedSaveQuery, 0) + 1;
  };

  MessageTraceRecorder rec;
  EXPECT_EQ(sendMessage(&main, kMsgLeavePlanning, 0, 0), 6);
  EXPECT_EQ(log, (Lines{"100:45263(0)", "10:45280(1)"}));
  EXPECT_EQ(rec.lines(true), (Lines{"sent 45263 (0, 0) -> 100", "sent 45280 (1, 0) -> 10",
                                    "returned 45280 = 5 <- 10", "returned 45263 = 6 <- 100"}));
  ASSERT_EQ(rec.entries().size(), 4u);
  EXPECT_EQ(rec.entries()[0].depth, 0);
  EXPECT_EQ(rec.entries()[1].depth, 1);
  EXPECT_EQ(rec.entries()[2].depth, 1);
  EXPECT_EQ(rec.entries()[3].depth, 0);
  // Without returns the protocol reads as the messages went.
  EXPECT_EQ(rec.lines(), (Lines{"sent 45263 (0, 0) -> 100", "sent 45280 (1, 0) -> 10"}));
  EXPECT_EQ(rec.of(kMsgVarModified).size(), 2u);
}

TEST(WindowMessages, PostsRunAfterTheCurrentHandlerInPostingOrder) {
  drain();
  std::vector<std::string> log;
  Probe a(kTagRooms, &log);
  Probe b(kTagSubjects, &log);
  a.on[1] = [&](MsgParam, MsgParam) -> MsgResult {
    postMessage(&b, 2, 1);
    postToTag(kTagRooms, 2, 2);
    postMessage(&b, 2, 3);
    log.push_back("end of 1");
    return 0;
  };
  // A message posted while a posted one is handled comes after the rest.
  b.on[2] = [&](MsgParam w, MsgParam) -> MsgResult {
    if (w == 1) postMessage(&a, 3, 4);
    return 0;
  };

  MessageTraceRecorder rec;
  sendMessage(&a, 1);
  EXPECT_EQ(log, (Lines{"0:1(0)", "end of 1"}));
  pumpMessagesOnce();
  pumpMessagesOnce();
  EXPECT_EQ(log, (Lines{"0:1(0)", "end of 1", "1:2(1)", "0:2(2)", "1:2(3)", "0:3(4)"}));
  EXPECT_EQ(rec.lines(), (Lines{"sent 1 (0, 0) -> 0", "posted 2 (1, 0) -> 1", "posted 2 (2, 0) -> 0",
                                "posted 2 (3, 0) -> 1", "delivered 2 (1, 0) -> 1", "posted 3 (4, 0) -> 0",
                                "delivered 2 (2, 0) -> 0", "delivered 2 (3, 0) -> 1",
                                "delivered 3 (4, 0) -> 0"}));
}

TEST(WindowMessages, PostToAReceiverGoneBeforeDeliveryIsDropped) {
  drain();
  std::vector<std::string> log;
  Probe keep(kTagTeachers, &log);
  auto gone = std::make_unique<Probe>(kTagLessons, &log);
  MessageTraceRecorder rec;
  postMessage(gone.get(), kMsgFindShow, 1, 2);
  postMessage(&keep, kMsgListModified, kTagTeachers);
  postToTag(kTagLessons, kMsgFindCopy, 3, 4);
  gone.reset();
  pumpMessagesOnce();
  EXPECT_EQ(log, (Lines{"3:45257(3)"}));
  EXPECT_EQ(rec.lines(), (Lines{"posted 45261 (1, 2) -> 4", "posted 45257 (3, 0) -> 3",
                                "posted 45262 (3, 4) -> 4", "dropped 45261 (1, 2) -> 4",
                                "delivered 45257 (3, 0) -> 3", "dropped 45262 (3, 4) -> 4"}));
}

TEST(WindowMessages, NobodyToReceiveDropsAtOnceAndASendAnswersZero) {
  drain();
  MessageTraceRecorder rec;
  EXPECT_EQ(sendToTag(kTagVariantWindow, kMsgSolutionFound), 0);
  postToTag(kTagVariantWindow, kMsgVarModified);
  EXPECT_EQ(sendMessage(nullptr, kMsgRegime, 2), 0);
  postMessage(nullptr, kMsgAbortWait, 1);
  pumpMessagesOnce();
  EXPECT_EQ(rec.lines(), (Lines{"dropped 45269 (0, 0) -> 10", "dropped 45280 (0, 0) -> 10",
                                "dropped 45268 (2, 0) -> -1", "dropped 45272 (1, 0) -> -1"}));
}

TEST(WindowMessages, WindowsAreFoundByTag) {
  EXPECT_EQ(findMessageTarget(kTagKlasses), nullptr);
  EXPECT_EQ(findMessageTarget(kNoTag), nullptr);
  Probe rooms(kTagRooms, nullptr);
  Probe untagged(kNoTag, nullptr);
  EXPECT_EQ(findMessageTarget(kTagRooms), &rooms);
  EXPECT_EQ(findMessageTarget(kNoTag), nullptr);
  {
    Probe klasses(kTagKlasses, nullptr);
    EXPECT_EQ(findMessageTarget(kTagKlasses), &klasses);
    // Of two windows with one tag the newer answers, the older again once
    // the newer is gone.
    Probe second(kTagRooms, nullptr);
    EXPECT_EQ(findMessageTarget(kTagRooms), &second);
  }
  EXPECT_EQ(findMessageTarget(kTagKlasses), nullptr);
  EXPECT_EQ(findMessageTarget(kTagRooms), &rooms);
  // Retagging moves the window.
  untagged.setMessageTag(kTagSubjects);
  rooms.setMessageTag(kNoTag);
  EXPECT_EQ(findMessageTarget(kTagSubjects), &untagged);
  EXPECT_EQ(findMessageTarget(kTagRooms), nullptr);

  // A widget is found as what it is, and deleting it like any widget
  // withdraws it.
  auto* w = new ProbeWidget(kTagVariantWindow);
  EXPECT_EQ(findWindow<ProbeWidget>(kTagVariantWindow), w);
  EXPECT_EQ(findWindow<QWidget>(kTagVariantWindow), w);
  EXPECT_EQ(findWindow<Probe>(kTagVariantWindow), nullptr);
  EXPECT_EQ(sendToTag(kTagVariantWindow, kMsgDayChanged), 7);
  EXPECT_EQ(w->last, kMsgDayChanged);
  postToTag(kTagVariantWindow, kMsgVarModified);
  w->deleteLater();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(findMessageTarget(kTagVariantWindow), nullptr);
  MessageTraceRecorder rec;
  pumpMessagesOnce();
  EXPECT_EQ(rec.lines(), (Lines{"dropped 45280 (0, 0) -> 10"}));
}

TEST(WindowMessages, PumpWhileSetEndsWhenAPostedMessageClearsTheFlag) {
  drain();
  uint8_t waitUser = 1;
  std::vector<std::string> log;
  Probe variant(kTagVariantWindow, &log);
  // The week-variant search's pattern: one step per message, each posting
  // the next; the last clears the flag.
  variant.on[kMsgWeekVarsNext] = [&](MsgParam w, MsgParam) -> MsgResult {
    if (w < 4)
      postMessage(&variant, kMsgWeekVarsNext, w + 1);
    else
      waitUser = 0;
    return 0;
  };
  postMessage(&variant, kMsgWeekVarsNext, 0);
  pumpWhileSet(waitUser);
  EXPECT_EQ(waitUser, 0);
  EXPECT_EQ(log.size(), 5u);
  EXPECT_EQ(log.back(), "10:1280(4)");
}

TEST(WindowMessages, PumpWhileSetEndsWhenATimerClearsTheFlag) {
  drain();
  uint8_t waitUser = 1;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 3) waitUser = 0;
  });
  timer.start(5);
  pumpWhileSet(waitUser);
  EXPECT_EQ(waitUser, 0);
  EXPECT_EQ(ticks, 3);
}

TEST(WindowMessages, PumpWhileReturnsAtOnceWhenNotBusy) {
  drain();
  int asked = 0;
  pumpWhile([&] {
    ++asked;
    return false;
  });
  EXPECT_EQ(asked, 1);
}

// A search that sends "solution found" and waits for the user inside the
// send's caller, while the user's "continue" arrives as a posted message.
TEST(WindowMessages, CorePortCarriesASearchWaitingForTheUser) {
  drain();
  QtMessagePort port;
  ScopedMessagePort scope(&port);
  uint8_t waitUser = 0;
  std::vector<std::string> log;
  Probe main(kTagMainWindow, &log);
  Probe variant(kTagVariantWindow, &log);
  variant.on[kMsgSolutionFound] = [&](MsgParam, MsgParam) -> MsgResult {
    waitUser = 1;
    SendWindowMessage(kTagMainWindow, kMsgPlanningState, kPlanningPaused);
    PostWindowMessage(kTagVariantWindow, kMsgVarModified, kVarModifiedCaption);
    return 0;
  };
  variant.on[kMsgVarModified] = [&](MsgParam, MsgParam) -> MsgResult {
    // The user presses "continue" once the caption is refreshed.
    postMessage(&main, kMsgPlanningState, kPlanningRunning);
    waitUser = 0;
    return 0;
  };

  MessageTraceRecorder rec;
  EXPECT_TRUE(WindowExists(kTagVariantWindow));
  EXPECT_FALSE(WindowExists(kTagKlasses));
  SendWindowMessage(kTagVariantWindow, kMsgSolutionFound);
  EXPECT_EQ(waitUser, 1);
  PumpMessagesWhileSet(waitUser);
  EXPECT_EQ(waitUser, 0);
  PumpMessages();
  EXPECT_EQ(rec.lines(), (Lines{"sent 45269 (0, 0) -> 10", "sent 45267 (2, 0) -> 100",
                                "posted 45280 (0, 0) -> 10", "delivered 45280 (0, 0) -> 10",
                                "posted 45267 (1, 0) -> 100", "delivered 45267 (1, 0) -> 100"}));
}

TEST(WindowMessages, RecordersChainToTheHookBefore) {
  drain();
  std::vector<std::string> outer;
  MessageTraceHook before = setMessageTraceHook([&](const MessageTraceEntry& e) { outer.push_back(describe(e)); });
  {
    MessageTraceRecorder rec;
    sendToTag(kTagRooms, 5, 6, 7);
    EXPECT_EQ(rec.lines(), (Lines{"dropped 5 (6, 7) -> 0"}));
  }
  sendToTag(kTagRooms, 8);
  EXPECT_EQ(outer, (Lines{"dropped 5 (6, 7) -> 0", "dropped 8 (0, 0) -> 0"}));
  setMessageTraceHook(std::move(before));
}

TEST(WindowMessages, WaitDepthCountsNestedWaits) {
  drain();
  EXPECT_EQ(pumpWhileDepth(), 0);
  uint8_t outer = 1;
  uint8_t inner = 1;
  std::vector<int> seen;
  QTimer::singleShot(0, [&] {
    seen.push_back(pumpWhileDepth());
    QTimer::singleShot(0, [&] {
      seen.push_back(pumpWhileDepth());
      inner = 0;
    });
    pumpWhileSet(inner);
    seen.push_back(pumpWhileDepth());
    outer = 0;
  });
  pumpWhileSet(outer);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(pumpWhileDepth(), 0);
}

}  // namespace
}  // namespace korvant
