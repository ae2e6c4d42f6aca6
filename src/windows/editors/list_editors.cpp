#include "windows/editors/list_editors.h"

#include <QMdiSubWindow>

namespace korvant {

TListEditor* TListEditorSet::At(int kind) const {
  switch (kind) {
    case kTagRooms: return Rooms;
    case kTagSubjects: return Subjects;
    case kTagKlasses: return Klasses;
    case kTagTeachers: return Teachers;
    case kTagLessons: return Lessons;
    default: return nullptr;
  }
}

TListEditorSet CreateListEditors(TProjectData& data, const EditorHost& host,
                                 const std::function<void()>& pump) {
  TListEditorSet set;
  auto place = [&](TListEditor* e) {
    if (host) host(*e);
    e->ApplyShowCmd(data.Params.ShowCmd[static_cast<std::size_t>(e->Kind())]);
    if (pump) pump();
  };
  set.Rooms = new TRoomsManager(data.Rooms, data.Params);
  place(set.Rooms);
  set.Subjects = new TSubjectsManager(data.Subjects, data.Rooms, data.Params);
  place(set.Subjects);
  set.Klasses = new TKlassesManager(data.Klasses, data.Rooms, data.Params);
  place(set.Klasses);
  set.Teachers = new TTeachersManager(data.Teachers, data.Rooms, data.Params);
  place(set.Teachers);
  set.Lessons = new TLessonsManager(data.Lessons, data.Teachers, data.Klasses, data.Subjects, data.Params);
  place(set.Lessons);
  return set;
}

void FreeListEditors(TListEditorSet& set) {
  auto free = [](TListEditor* e) {
    if (!e) return;
    QWidget* frame = e->Frame();
    if (frame != e && qobject_cast<QMdiSubWindow*>(frame)) delete frame;  // takes the editor with it
    else delete e;
  };
  free(set.Lessons);
  free(set.Teachers);
  free(set.Klasses);
  free(set.Subjects);
  free(set.Rooms);
  set = {};
}

}  // namespace korvant
