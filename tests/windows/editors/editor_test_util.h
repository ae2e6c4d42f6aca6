#pragma once
// Helpers of the editor window tests: a stand-in main window that records
// the editors' messages, a scripted message box, typing and leaving fields.
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <QWidget>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "core/common/catalogue.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/editors/list_editor.h"

namespace korvant::test {

// What the editors talk to: registered under the main window's tag.
class FakeMainWindow : public QWidget, public MessageTarget {
 public:
  FakeMainWindow() { setMessageTag(kTagMainWindow); }
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override {
    received.emplace_back(msg, static_cast<int>(w), static_cast<int>(l));
    return 0;
  }
  std::vector<std::tuple<uint32_t, int, int>> received;
};

// Answers the boxes from a script (kResYes when it runs out) and records
// the texts asked.
class EditorPrompt : public IPrompt {
 public:
  int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t kind) override {
    texts.push_back(text);
    kinds.push_back(kind);
    if (answers.empty()) return kResYes;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
  // Catalogue entries asked, by their text.
  bool Asked(int id) const {
    for (const auto& t : texts)
      if (t == LoadResStr(id)) return true;
    return false;
  }
  std::deque<int> answers;
  std::vector<std::string> texts;
  std::vector<uint8_t> kinds;
};

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
inline std::string P(const char* utf8) { return cp1251::fromUtf8(utf8); }

// Sends editText/list changes as the messages of one kind.
inline std::vector<MessageTraceEntry> Sent(const MessageTraceRecorder& r, uint32_t msg) {
  std::vector<MessageTraceEntry> out;
  for (const auto& e : r.of(msg))
    if (e.event == MessageEvent::Sent) out.push_back(e);
  return out;
}
inline std::vector<MessageTraceEntry> Posted(const MessageTraceRecorder& r, uint32_t msg) {
  std::vector<MessageTraceEntry> out;
  for (const auto& e : r.of(msg))
    if (e.event == MessageEvent::Posted) out.push_back(e);
  return out;
}

// The field is left by the user: Tab from it to the next control.
inline void Leave(QLineEdit* edit) {
  ASSERT_EQ(QApplication::focusWidget(), edit) << "the field left does not have the focus";
  QTest::keyClick(edit, Qt::Key_Tab);
}

// A field's text replaced by the user: its page brought up, the text
// pasted over the field whole (one change, as one paste is), and an empty
// text deleted.
inline void Enter(QLineEdit* edit, const QString& text) {
  OpenPageOf(edit);
  if (text.isEmpty())
    TypeOver(edit, text);
  else
    PasteOver(edit, text);
}

// Types text into an editable combo box character by character, as keys.
inline void TypeInto(QWidget* w, const QString& text) {
  for (QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

}  // namespace korvant::test
