#pragma once
// The content of a project file: the parameter record and the five lists,
// and the whole-file image they are read from and written to.
#include <cstdint>
#include <span>
#include <vector>

#include "core/common/signature.h"
#include "core/project/klasses.h"
#include "core/project/lessons.h"
#include "core/project/params.h"
#include "core/project/rooms.h"
#include "core/project/subjects.h"
#include "core/project/teachers.h"

namespace korvant {

struct TProjectData {
  TProjParamsRec Params;
  TRoomsCollection Rooms;
  TSubjectsCollection Subjects;
  TKlassesCollection Klasses;
  TTeachersCollection Teachers;
  TLessonsCollection Lessons;

  // Back to a new, empty project: default parameters, empty lists,
  // identifier counters at 0.
  void Clear();
  // Copies the lists' current headers into Params (done on every save).
  void RefreshHeaders();
};

// Bytes before the first section: signature, parameters, filler.
constexpr std::size_t kProjectSectionsOffset = ProjectHeaderSize;

// The whole file, version 1.3: the 1024-byte header block (signature,
// parameter record with the lists' current headers, zero filler), then the
// sections rooms, subjects, klasses, teachers, lessons. Params are refreshed.
std::vector<unsigned char> WriteProjectImage(TProjectData& data);

// Reads a whole file image. Refuses (false) an image shorter than the
// header, another magic or an unknown version, a parameter record it
// cannot use, and sections that do not fit the image or their headers;
// a refused image leaves data cleared, never half loaded.
bool ReadProjectImage(std::span<const unsigned char> image, TProjectData& data);

}  // namespace korvant
