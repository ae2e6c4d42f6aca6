#include "windows/editors/editor_services.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/project/project.h"
#include "platform/window_messages.h"
#include "windows/editors/list_editors.h"

namespace korvant {
namespace {

class ProjectEditors : public IListEditors {
 public:
  ProjectEditors(TMdiTable& project, QMdiArea& workspace) {
    set_ = CreateListEditors(
        project.Data(), [&workspace](TListEditor& e) { workspace.addSubWindow(&e); },
        [] { pumpMessagesOnce(); });
  }
  ~ProjectEditors() override { FreeListEditors(set_); }

  int32_t Show(int kind, bool show) override {
    TListEditor* e = set_.At(kind);
    return e ? e->ShowEditor(show) : (show ? 1 : 0);
  }

  void LessonsPerDayChanged(int lessonsPerDay) override {
    for (TListEditor* e : set_.All())
      if (e) e->SetLessonsPerDay(lessonsPerDay);
  }

  void CheckData(int kind, const TMdiTable& project, IDataReport* report,
                 const CheckPump& pump) override {
    if (TListEditor* e = set_.At(kind))
      e->CheckData(report, pump);
    else
      IListEditors::CheckData(kind, project, report, pump);
  }

 private:
  TListEditorSet set_;
};

}  // namespace

ListEditorsFactory ProjectListEditors() {
  return [](TMdiTable& project, QMdiArea& workspace) -> std::unique_ptr<IListEditors> {
    return std::make_unique<ProjectEditors>(project, workspace);
  };
}

}  // namespace korvant
