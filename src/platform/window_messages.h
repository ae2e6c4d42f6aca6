#pragma once
// Numbered window messages between our own windows, carried over Qt's event
// queue. One dispatcher for the whole program (like one thread's message
// queue): a send runs the receiver's handler at once and returns its result
// (sends may nest); a post is queued and handled later from the event loop,
// in posting order, and is dropped when its receiver is gone by then.
// Every send, post, delivery and drop passes a trace hook, so tests can
// assert whole protocols.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/common/window_messages.h"

namespace korvant {

// A window (or any object) that receives messages. Derive from it beside
// QWidget and implement handleMessage. Destroying the object withdraws it
// from tag lookup and makes posts still queued for it drop.
class MessageTarget {
 public:
  MessageTarget();
  virtual ~MessageTarget();
  MessageTarget(const MessageTarget&) = delete;
  MessageTarget& operator=(const MessageTarget&) = delete;

  virtual MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) = 0;

  // kNoTag (the default) keeps the object out of tag lookup.
  void setMessageTag(int tag);
  int messageTag() const { return tag_; }

 private:
  friend class MessageDispatch;
  int tag_ = kNoTag;
  // Queued posts hold a weak reference to this; it dies with the object.
  std::shared_ptr<MessageTarget*> alive_;
};

// The receiver's handler runs inside this call; 0 when to is null.
MsgResult sendMessage(MessageTarget* to, uint32_t msg, MsgParam w = 0, MsgParam l = 0);
// Queued; a null receiver drops the message at once.
void postMessage(MessageTarget* to, uint32_t msg, MsgParam w = 0, MsgParam l = 0);
// The same addressed by tag; the tag is looked up when sending or posting,
// and no window with the tag drops the message (a send then answers 0).
MsgResult sendToTag(int tag, uint32_t msg, MsgParam w = 0, MsgParam l = 0);
void postToTag(int tag, uint32_t msg, MsgParam w = 0, MsgParam l = 0);

// The window registered last with this tag among those alive, or null.
MessageTarget* findMessageTarget(int tag);
template <class T>
T* findWindow(int tag) {
  return dynamic_cast<T*>(findMessageTarget(tag));
}

// ---- trace -----------------------------------------------------------------

enum class MessageEvent : uint8_t {
  Sent,       // a send is about to run its handler
  Returned,   // a send's handler returned (result is set)
  Posted,     // a post was queued
  Delivered,  // a queued post is about to run its handler
  Dropped,    // no receiver: sent or posted to nobody, or gone before delivery
};

struct MessageTraceEntry {
  MessageEvent event;
  uint32_t msg;
  MsgParam w;
  MsgParam l;
  int tag;           // the receiver's tag (kNoTag when it has none or is unknown)
  MsgResult result;  // Returned only
  int depth;         // sends running at the moment (0 = from the event loop)
};

using MessageTraceHook = std::function<void(const MessageTraceEntry&)>;
// Installs hook (empty removes it); answers the previous one.
MessageTraceHook setMessageTraceHook(MessageTraceHook hook);

// "sent 45267 (1, 0) -> 100", "returned 45280 = 5 <- 10", "posted ...",
// "delivered ...", "dropped ...".
std::string describe(const MessageTraceEntry& e);

// Records the trace while it lives (and passes each entry on to the hook
// that was installed before it).
class MessageTraceRecorder {
 public:
  MessageTraceRecorder();
  ~MessageTraceRecorder();
  MessageTraceRecorder(const MessageTraceRecorder&) = delete;
  MessageTraceRecorder& operator=(const MessageTraceRecorder&) = delete;

  const std::vector<MessageTraceEntry>& entries() const { return entries_; }
  // describe() of each entry; Returned entries only when asked for.
  std::vector<std::string> lines(bool withReturns = false) const;
  // Entries of one message number only.
  std::vector<MessageTraceEntry> of(uint32_t msg) const;
  void clear() { entries_.clear(); }

 private:
  std::vector<MessageTraceEntry> entries_;
  MessageTraceHook previous_;
};

// ---- pumping ----------------------------------------------------------------

// Handles the events pending now and returns without waiting.
void pumpMessagesOnce();
// Handles events until busy() answers false, sleeping in the event loop
// between them (a short wake-up timer re-checks busy() regularly), so a
// wait for the user costs no processor time. Returns at once without an
// application object, and when the application is shutting down.
void pumpWhile(const std::function<bool()>& busy);
void pumpWhileSet(const uint8_t& flag);
// How many pumpWhile waits are running now (0 = none): a window that is
// about to free something waits until no wait above it could still use it.
int pumpWhileDepth();

// The core's port over this dispatcher. Install one for the program's life:
//   QtMessagePort port; ScopedMessagePort scope(&port);
class QtMessagePort : public IMessagePort {
 public:
  bool HasWindow(int tag) override;
  MsgResult Send(int tag, uint32_t msg, MsgParam w, MsgParam l) override;
  void Post(int tag, uint32_t msg, MsgParam w, MsgParam l) override;
  void PumpOnce() override;
  void PumpWhileSet(const uint8_t& flag) override;
};

}  // namespace korvant
