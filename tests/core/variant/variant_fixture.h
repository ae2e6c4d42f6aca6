#pragma once
// Small projects for the run-time model and variant tests.
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "core/project/project_data.h"
#include "core/variant/rti_model.h"
#include "core/variant/table_var.h"

namespace korvant::testing {

struct Group {
  int32_t subject;
  int32_t teacher;
};

struct ProjectBuilder {
  TProjectData d;

  ProjectBuilder(int lessonsPerDay = 8) { d.Params.LessonsPerDay = static_cast<uint16_t>(lessonsPerDay); }

  int32_t Room() { return d.Rooms.Add()->ID(); }
  int32_t Subject(uint16_t kf = 5) {
    TSubjectItem* s = d.Subjects.Add();
    s->SanitarKf = kf;
    return s->ID();
  }
  int32_t Klass() { return d.Klasses.Add()->ID(); }
  int32_t Teacher(int32_t roomId = -1) {
    TTeacherItem* t = d.Teachers.Add();
    t->TeacherRoom = roomId;
    return t->ID();
  }
  // A lesson of klass with the groups and blocks given; separated blocks
  // are stored from word 21 down.
  TLessonItem* Lesson(int32_t klass, std::initializer_list<Group> groups, std::initializer_list<int> quants,
                      std::initializer_list<int> separated = {}) {
    TLessonItem* l = d.Lessons.Add();
    l->KlassID = klass;
    l->SetSubItemsCount(static_cast<int>(groups.size()));
    int g = 0;
    for (const Group& gr : groups) {
      l->GetSubItem(g)->SubjectID = gr.subject;
      l->GetSubItem(g)->TeacherID = gr.teacher;
      ++g;
    }
    for (int q : quants) l->ChangeQuant(1, q);
    int w = kQuantWords;
    for (int s : separated) l->SetQuant(w--, static_cast<uint16_t>(s));
    return l;
  }
  // Links group ga of a with group gb of b both ways.
  static void Link(TLessonItem* a, int ga, TLessonItem* b, int gb) {
    a->GetSubItem(ga)->ChangeLink(1, {b->ID(), gb});
    b->GetSubItem(gb)->ChangeLink(1, {a->ID(), ga});
  }
};

// A model and an empty variant built from a project.
struct Built {
  std::unique_ptr<TRunModel> model;
  std::unique_ptr<TTableVarItem> var;
};

inline Built Build(const TProjectData& d) {
  Built b;
  b.model = BuildRunModel(d);
  b.var = std::make_unique<TTableVarItem>(b.model.get(), b.model->Teachers.Count(), b.model->L(),
                                          b.model->Klasses.Count());
  return b;
}

// Index of the lesson with identifier id in klass k of the model.
inline int LessonIndex(const TRunModel& m, int k, int32_t id) { return m.Klasses[k]->Lessons.IndexOfID(id); }

}  // namespace korvant::testing
