#include "windows/shell/frame_services.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVariant>

#include "core/project/project.h"
#include "platform/window_messages.h"

namespace korvant {

namespace {
constexpr const char* kTagProperty = "korvantWindowTag";
}

void SetWindowTag(QWidget* w, int tag) {
  if (w) w->setProperty(kTagProperty, tag);
}

int WindowTag(const QWidget* w) {
  if (!w) return kNoTag;
  const QVariant v = w->property(kTagProperty);
  if (v.isValid()) return v.toInt();
  if (auto* t = dynamic_cast<const MessageTarget*>(w)) return t->messageTag();
  return kNoTag;
}

QMdiSubWindow* FindChildByTag(const QMdiArea& workspace, int tag) {
  if (tag == kNoTag) return nullptr;
  for (QMdiSubWindow* sub : workspace.subWindowList(QMdiArea::CreationOrder)) {
    if (WindowTag(sub) == tag || WindowTag(sub->widget()) == tag) return sub;
  }
  return nullptr;
}

void IListEditors::CheckData(int kind, const TMdiTable& project, IDataReport* report,
                             const CheckPump& pump) {
  const TProjectData& d = project.Data();
  const int l = d.Params.LessonsPerDay;
  switch (kind) {
    case kCheckRooms: CheckRooms(d.Rooms, report, pump); break;
    case kCheckSubjects: CheckSubjects(d.Subjects, d.Rooms, report, pump); break;
    case kCheckKlasses: CheckKlasses(d.Klasses, d.Rooms, report, pump); break;
    case kCheckTeachers: CheckTeachers(d.Teachers, d.Rooms, l, report, pump); break;
    case kCheckLessons:
      CheckLessons(d.Lessons, d.Klasses, d.Subjects, d.Teachers, l, report, pump);
      break;
    default: break;
  }
}

int32_t NoListEditors::Show(int, bool show) { return show ? kShowNormal : kShowHidden; }

ListEditorsFactory PlaceholderListEditors() {
  return [](TMdiTable&, QMdiArea&) { return std::make_unique<NoListEditors>(); };
}

}  // namespace korvant
