#include "platform/window_messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace korvant {

namespace {

// Long enough to cost nothing while the user looks at a solution, short
// enough that a flag cleared outside any event is noticed promptly.
constexpr int kPumpWakeMs = 20;

QEvent::Type postedMessageType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

class PostedMessage : public QEvent {
 public:
  PostedMessage(std::weak_ptr<MessageTarget*> to, int tag, uint32_t msg, MsgParam w, MsgParam l)
      : QEvent(postedMessageType()), to_(std::move(to)), tag_(tag), msg_(msg), w_(w), l_(l) {}
  std::weak_ptr<MessageTarget*> to_;
  int tag_;
  uint32_t msg_;
  MsgParam w_;
  MsgParam l_;
};

}  // namespace

// All of the dispatcher's state; a class so that MessageTarget can befriend it.
class MessageDispatch {
 public:
  static MessageDispatch& instance() {
    static MessageDispatch d;
    return d;
  }

  void trace(MessageEvent ev, uint32_t msg, MsgParam w, MsgParam l, int tag, MsgResult result = 0) {
    if (hook_) hook_(MessageTraceEntry{ev, msg, w, l, tag, result, depth_});
  }

  MsgResult send(MessageTarget* to, uint32_t msg, MsgParam w, MsgParam l) {
    if (to == nullptr) {
      trace(MessageEvent::Dropped, msg, w, l, kNoTag);
      return 0;
    }
    const int tag = to->tag_;
    trace(MessageEvent::Sent, msg, w, l, tag);
    MsgResult r = 0;
    {
      DepthGuard guard(depth_);
      r = to->handleMessage(msg, w, l);
    }
    trace(MessageEvent::Returned, msg, w, l, tag, r);
    return r;
  }

  void post(MessageTarget* to, int tagIfNone, uint32_t msg, MsgParam w, MsgParam l) {
    QObject* q = queue();
    if (to == nullptr || q == nullptr) {
      trace(MessageEvent::Dropped, msg, w, l, to != nullptr ? to->tag_ : tagIfNone);
      return;
    }
    trace(MessageEvent::Posted, msg, w, l, to->tag_);
    QCoreApplication::postEvent(q, new PostedMessage(to->alive_, to->tag_, msg, w, l));
  }

  void deliver(const PostedMessage& m) {
    std::shared_ptr<MessageTarget*> alive = m.to_.lock();
    if (!alive) {
      trace(MessageEvent::Dropped, m.msg_, m.w_, m.l_, m.tag_);
      return;
    }
    MessageTarget* to = *alive;
    trace(MessageEvent::Delivered, m.msg_, m.w_, m.l_, to->tag_);
    to->handleMessage(m.msg_, m.w_, m.l_);
  }

  MessageTarget* find(int tag) const {
    if (tag == kNoTag) return nullptr;
    for (auto it = tagged_.rbegin(); it != tagged_.rend(); ++it)
      if ((*it)->tag_ == tag) return *it;
    return nullptr;
  }

  void setTag(MessageTarget* t, int tag) {
    untag(t);
    t->tag_ = tag;
    if (tag != kNoTag) tagged_.push_back(t);
  }

  void untag(MessageTarget* t) {
    tagged_.erase(std::remove(tagged_.begin(), tagged_.end(), t), tagged_.end());
  }

  MessageTraceHook swapHook(MessageTraceHook hook) {
    std::swap(hook, hook_);
    return hook;
  }

  static void initAlive(MessageTarget* t) { t->alive_ = std::make_shared<MessageTarget*>(t); }
  static void killAlive(MessageTarget* t) { t->alive_.reset(); }

 private:
  // Receives every posted message, so that all posts share one FIFO order
  // whatever their receivers.
  class Queue : public QObject {
   public:
    bool event(QEvent* e) override {
      if (e->type() == postedMessageType()) {
        MessageDispatch::instance().deliver(*static_cast<PostedMessage*>(e));
        return true;
      }
      return QObject::event(e);
    }
  };

  struct DepthGuard {
    explicit DepthGuard(int& d) : d_(d) { ++d_; }
    ~DepthGuard() { --d_; }
    int& d_;
  };

  QObject* queue() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return nullptr;
    // Owned by the application object, so it goes (with whatever is still
    // queued for it) when the application does; a later application gets
    // a new one.
    if (queue_.isNull()) queue_ = new Queue;
    if (queue_->parent() != app) queue_->setParent(app);
    return queue_.data();
  }

  std::vector<MessageTarget*> tagged_;
  MessageTraceHook hook_;
  int depth_ = 0;
  QPointer<QObject> queue_;
};

// ---- MessageTarget ----------------------------------------------------------

MessageTarget::MessageTarget() { MessageDispatch::initAlive(this); }

MessageTarget::~MessageTarget() {
  MessageDispatch::instance().untag(this);
  MessageDispatch::killAlive(this);
}

void MessageTarget::setMessageTag(int tag) { MessageDispatch::instance().setTag(this, tag); }

// ---- sending and posting ----------------------------------------------------

MsgResult sendMessage(MessageTarget* to, uint32_t msg, MsgParam w, MsgParam l) {
  return MessageDispatch::instance().send(to, msg, w, l);
}

void postMessage(MessageTarget* to, uint32_t msg, MsgParam w, MsgParam l) {
  MessageDispatch::instance().post(to, kNoTag, msg, w, l);
}

MsgResult sendToTag(int tag, uint32_t msg, MsgParam w, MsgParam l) {
  MessageDispatch& d = MessageDispatch::instance();
  MessageTarget* to = d.find(tag);
  if (to == nullptr) {
    d.trace(MessageEvent::Dropped, msg, w, l, tag);
    return 0;
  }
  return d.send(to, msg, w, l);
}

void postToTag(int tag, uint32_t msg, MsgParam w, MsgParam l) {
  MessageDispatch& d = MessageDispatch::instance();
  d.post(d.find(tag), tag, msg, w, l);
}

MessageTarget* findMessageTarget(int tag) { return MessageDispatch::instance().find(tag); }

// ---- trace ------------------------------------------------------------------

MessageTraceHook setMessageTraceHook(MessageTraceHook hook) {
  return MessageDispatch::instance().swapHook(std::move(hook));
}

std::string describe(const MessageTraceEntry& e) {
  const char* verb = "";
  switch (e.event) {
    case MessageEvent::Sent: verb = "sent"; break;
    case MessageEvent::Returned: verb = "returned"; break;
    case MessageEvent::Posted: verb = "posted"; break;
    case MessageEvent::Delivered: verb = "delivered"; break;
    case MessageEvent::Dropped: verb = "dropped"; break;
  }
  std::string s = verb;
  s += ' ';
  s += std::to_string(e.msg);
  if (e.event == MessageEvent::Returned) {
    s += " = " + std::to_string(e.result) + " <- ";
  } else {
    s += " (" + std::to_string(e.w) + ", " + std::to_string(e.l) + ") -> ";
  }
  s += std::to_string(e.tag);
  return s;
}

MessageTraceRecorder::MessageTraceRecorder() {
  previous_ = setMessageTraceHook([this](const MessageTraceEntry& e) {
    entries_.push_back(e);
    if (previous_) previous_(e);
  });
}

MessageTraceRecorder::~MessageTraceRecorder() { setMessageTraceHook(std::move(previous_)); }

std::vector<std::string> MessageTraceRecorder::lines(bool withReturns) const {
  std::vector<std::string> out;
  for (const MessageTraceEntry& e : entries_)
    if (withReturns || e.event != MessageEvent::Returned) out.push_back(describe(e));
  return out;
}

std::vector<MessageTraceEntry> MessageTraceRecorder::of(uint32_t msg) const {
  std::vector<MessageTraceEntry> out;
  for (const MessageTraceEntry& e : entries_)
    if (e.msg == msg) out.push_back(e);
  return out;
}

// ---- pumping ----------------------------------------------------------------

namespace {
// Inside the handler of a posted event, events posted earlier that stand
// behind it in the queue are not seen by a nested processEvents(): Qt
// merges a new repaint request into such a waiting one without waking the
// loop, so a window searched from a posted message would never repaint.
// Delivering the posted events first makes every pump see them.
void ProcessAll(QEventLoop::ProcessEventsFlags flags) {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(flags);
}
}  // namespace

void pumpMessagesOnce() {
  if (QCoreApplication::instance() != nullptr) ProcessAll(QEventLoop::AllEvents);
}

namespace {
int& waitDepth() {
  static int depth = 0;
  return depth;
}
}  // namespace

int pumpWhileDepth() { return waitDepth(); }

void pumpWhile(const std::function<bool()>& busy) {
  if (QCoreApplication::instance() == nullptr) return;
  struct Nest {
    Nest() { ++waitDepth(); }
    ~Nest() { --waitDepth(); }
  } nest;
  QTimer wake;  // only wakes the loop so that busy() is asked again
  wake.start(kPumpWakeMs);
  while (busy() && !QCoreApplication::closingDown())
    ProcessAll(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void pumpWhileSet(const uint8_t& flag) {
  pumpWhile([&flag] { return flag != 0; });
}

// ---- the core's port --------------------------------------------------------

bool QtMessagePort::HasWindow(int tag) { return findMessageTarget(tag) != nullptr; }

MsgResult QtMessagePort::Send(int tag, uint32_t msg, MsgParam w, MsgParam l) {
  return sendToTag(tag, msg, w, l);
}

void QtMessagePort::Post(int tag, uint32_t msg, MsgParam w, MsgParam l) { postToTag(tag, msg, w, l); }

void QtMessagePort::PumpOnce() { pumpMessagesOnce(); }

void QtMessagePort::PumpWhileSet(const uint8_t& flag) { pumpWhileSet(flag); }

}  // namespace korvant
