#pragma once
// The five list editors of a project, created together for the main window.
#include <array>
#include <functional>

#include "core/project/project_data.h"
#include "windows/editors/klasses_manager.h"
#include "windows/editors/lessons_manager.h"
#include "windows/editors/rooms_manager.h"
#include "windows/editors/subjects_manager.h"
#include "windows/editors/teachers_manager.h"

namespace korvant {

struct TListEditorSet {
  TRoomsManager* Rooms = nullptr;
  TSubjectsManager* Subjects = nullptr;
  TKlassesManager* Klasses = nullptr;
  TTeachersManager* Teachers = nullptr;
  TLessonsManager* Lessons = nullptr;

  // Kind 0..4; null for any other kind.
  TListEditor* At(int kind) const;
  std::array<TListEditor*, 5> All() const { return {Rooms, Subjects, Klasses, Teachers, Lessons}; }
};

// Puts a new editor where it lives, e.g. into the main window's MDI area
// (QMdiArea::addSubWindow). It runs before the editor shows itself.
using EditorHost = std::function<void(TListEditor& editor)>;

// Creates the editors of rooms, subjects, klasses, teachers and lessons in
// this order over data's lists (borrowed: data must outlive them), hands each
// to host, and shows each as the project's recorded show command says
// (0 hidden, 1 normal, 3 maximized, 6 minimized). Nothing is reported to
// the main window. Without a host the editors are top-level windows that
// the caller frees (FreeListEditors); with one they belong to the host's
// widgets.
TListEditorSet CreateListEditors(TProjectData& data, const EditorHost& host = {},
                                 const std::function<void()>& pump = {});

// Frees the editors in the reverse order (lessons first), together with
// the MDI sub-windows holding them, and clears the set.
void FreeListEditors(TListEditorSet& set);

}  // namespace korvant
