#include "core/common/window_messages.h"

namespace korvant {
namespace {
IMessagePort* g_port = nullptr;
}  // namespace

IMessagePort* InstalledMessagePort() { return g_port; }
void InstallMessagePort(IMessagePort* port) { g_port = port; }

bool WindowExists(int tag) { return g_port != nullptr && g_port->HasWindow(tag); }

MsgResult SendWindowMessage(int tag, uint32_t msg, MsgParam w, MsgParam l) {
  return g_port != nullptr ? g_port->Send(tag, msg, w, l) : 0;
}

void PostWindowMessage(int tag, uint32_t msg, MsgParam w, MsgParam l) {
  if (g_port != nullptr) g_port->Post(tag, msg, w, l);
}

void PumpMessages() {
  if (g_port != nullptr) g_port->PumpOnce();
}

void PumpMessagesWhileSet(const uint8_t& flag) {
  if (g_port != nullptr) g_port->PumpWhileSet(flag);
}

}  // namespace korvant
