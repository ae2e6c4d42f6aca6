#include "core/project/project_data.h"

namespace korvant {

void TProjectData::Clear() {
  Params = TProjParamsRec{};
  Rooms.Clear();
  Rooms.SetNextID(0);
  Subjects.Clear();
  Subjects.SetNextID(0);
  Klasses.Clear();
  Klasses.SetNextID(0);
  Teachers.Clear();
  Teachers.SetNextID(0);
  Lessons.Clear();
  Lessons.SetNextID(0);
}

void TProjectData::RefreshHeaders() {
  Params.Rooms = Rooms.GetHeader();
  Params.Subjects = Subjects.GetHeader();
  Params.Klasses = Klasses.GetHeader();
  Params.Teachers = Teachers.GetHeader();
  Params.Lessons = Lessons.MakeHeader();
}

std::vector<unsigned char> WriteProjectImage(TProjectData& data) {
  data.RefreshHeaders();
  ByteWriter w;
  ProjectSignature.Write(w);
  WriteProjParams(w, data.Params);
  w.padTo(kProjectSectionsOffset);
  data.Rooms.SaveToStream(w);
  data.Subjects.SaveToStream(w);
  data.Klasses.SaveToStream(w);
  data.Teachers.SaveToStream(w);
  data.Lessons.SaveToStream(w);
  return w.take();
}

bool ReadProjectImage(std::span<const unsigned char> image, TProjectData& data) {
  data.Clear();
  ByteReader r(image);
  TFileSignature sig;
  if (!sig.Read(r) || CompareFileSignature(sig, ProjectSignature) != kSigAccepted) return false;
  TProjParamsRec params;
  if (!ReadProjParams(r, params)) return false;
  r.seek(kProjectSectionsOffset);
  bool ok = r.ok() && data.Rooms.LoadFromStream(params.Rooms, r) &&
            data.Subjects.LoadFromStream(params.Subjects, r) &&
            data.Klasses.LoadFromStream(params.Klasses, r, sig) &&
            data.Teachers.LoadFromStream(params.Teachers, r, sig) &&
            data.Lessons.LoadFromStream(params.Lessons, r, sig.Major, sig.Minor);
  if (!ok) {
    data.Clear();
    return false;
  }
  data.Params = params;
  // The counters may have been raised past stored identifiers.
  data.RefreshHeaders();
  return true;
}

}  // namespace korvant
