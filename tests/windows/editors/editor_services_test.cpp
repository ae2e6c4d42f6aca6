// The main window with the real list editors: a project brings its editors
// into the workspace, the data check goes through them, closing frees them.
#include <gtest/gtest.h>

#include <QMdiSubWindow>

#include "core/project/project.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/editors/editor_services.h"
#include "windows/editors/list_editor.h"
#include "windows/shell/main_frame.h"
#include "windows/shell/workspace_logo.h"

namespace korvant {
namespace {

class FrameWithEditors : public ::testing::Test {
 protected:
  FrameWithEditors() : prompt_(&script_) {
    FrameServices s;
    s.editors = ProjectListEditors();
    frame_ = std::make_unique<TPrgMdiFrame>(std::move(s));
    frame_->resize(1000, 700);
    frame_->show();
  }
  test::ScriptedPrompt script_;
  ScopedPrompt prompt_;
  std::unique_ptr<TPrgMdiFrame> frame_;
};

TEST_F(FrameWithEditors, DemoProjectOpensItsEditorsInTheWorkspace) {
  ASSERT_TRUE(frame_->OpenDemoProject());
  QMdiArea& area = *frame_->Workspace();
  for (int kind = 0; kind <= 4; ++kind) {
    QMdiSubWindow* sub = FindChildByTag(area, kind);
    ASSERT_NE(sub, nullptr) << kind;
    auto* editor = qobject_cast<TListEditor*>(sub->widget());
    ASSERT_NE(editor, nullptr) << kind;
    EXPECT_EQ(editor->Kind(), kind);
    EXPECT_GT(editor->Count(), 0) << kind;
  }
  // Opening a project is not an edit.
  EXPECT_FALSE(frame_->Project()->IsModified());
  EXPECT_TRUE(script_.asked.empty());
}

TEST_F(FrameWithEditors, HidingAnEditorRecordsItsShowStateAndShowingBringsItBack) {
  ASSERT_TRUE(frame_->OpenDemoProject());
  TMdiTable& project = *frame_->Project();
  project.ShowManager(1, false, true);
  EXPECT_EQ(project.EditorShowCmd(1), 0);
  EXPECT_FALSE(FindChildByTag(*frame_->Workspace(), 1)->isVisible());
  project.ShowManager(1, true, true);
  EXPECT_NE(project.EditorShowCmd(1), 0);
  EXPECT_TRUE(FindChildByTag(*frame_->Workspace(), 1)->isVisible());
}

TEST_F(FrameWithEditors, ClosingTheProjectFreesTheEditors) {
  ASSERT_TRUE(frame_->OpenDemoProject());
  QPointer<QMdiSubWindow> rooms = FindChildByTag(*frame_->Workspace(), 0);
  ASSERT_TRUE(rooms);
  script_.answers = {kResNo};  // in case the project asks to be saved
  frame_->CloseProject();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(rooms);
  EXPECT_EQ(frame_->Project(), nullptr);
}

}  // namespace
}  // namespace korvant
