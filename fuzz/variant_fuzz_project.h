#pragma once
// The project the variant-file fuzzer and its seed generator read variants
// against: rooms, subjects, teachers (two sharing a room), three klasses
// with multi-group lessons, a joint lesson of two klasses, a separated
// block and parallel klasses; 6 lessons a day.
#include "core/project/project_data.h"

namespace korvant::fuzzing {

inline void FillVariantProject(TProjectData& d) {
  d.Params.LessonsPerDay = 6;
  for (int i = 0; i < 3; ++i) d.Rooms.Add();
  for (int i = 0; i < 2; ++i) d.Subjects.Add()->SanitarKf = static_cast<uint16_t>(4 + i);
  for (int i = 0; i < 3; ++i) d.Teachers.Add()->TeacherRoom = i < 2 ? 0 : -1;
  for (int i = 0; i < 3; ++i) d.Klasses.Add()->ChangeStartLesson(1, 1);
  d.Klasses[0]->ChangeParallel(1, 1);
  auto lesson = [&](int32_t klass, int groups, std::initializer_list<int> quants) {
    TLessonItem* l = d.Lessons.Add();
    l->KlassID = klass;
    l->SetSubItemsCount(groups);
    for (int g = 0; g < groups; ++g) {
      l->GetSubItem(g)->SubjectID = g % 2;
      l->GetSubItem(g)->TeacherID = (klass + g) % 3;
    }
    for (int q : quants) l->ChangeQuant(1, q);
    return l;
  };
  TLessonItem* a = lesson(0, 2, {1, 2});
  TLessonItem* b = lesson(1, 1, {1, 2});
  a->GetSubItem(0)->ChangeLink(1, {b->ID(), 0});
  b->GetSubItem(0)->ChangeLink(1, {a->ID(), 0});
  TLessonItem* s = lesson(2, 1, {1, 2, 2});
  s->SetQuant(kQuantWords, 2);
  lesson(0, 1, {1});
  lesson(1, 3, {2});
  lesson(2, 2, {1, 1});
}

}  // namespace korvant::fuzzing
