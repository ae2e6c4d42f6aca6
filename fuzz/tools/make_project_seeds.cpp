// Writes the seed project files of fuzz_project into the folder given:
//   g++ -std=c++20 -Isrc fuzz/tools/make_project_seeds.cpp \
//     build/debug/src/core/libkorvant_core.a build/debug/src/base/libkorvant_base.a \
//     -o /tmp/make_project_seeds && /tmp/make_project_seeds fuzz/corpus/project
#include <cstdio>
#include <string>

#include "core/common/file_io.h"
#include "core/project/project_data.h"

using namespace korvant;

namespace {

void Fill(TProjectData& d) {
  d.Params.Description = "seed";
  d.Params.LessonsPerDay = 6;
  for (int i = 0; i < 2; ++i) {
    TRoomItem* r = d.Rooms.Add();
    r->SetName(i ? "gym" : "101");
    r->SetBusy(3 + i, 1);
  }
  TSubjectItem* s = d.Subjects.Add();
  s->SetName("math");
  s->ChangeWishedRoom(0, d.Rooms[1]->ID());
  for (int i = 0; i < 2; ++i) {
    TKlassItem* k = d.Klasses.Add();
    k->SetName(i ? "5b" : "5a");
    k->ChangeStartLesson(1, 2);
  }
  d.Klasses[0]->ChangeParallel(1, d.Klasses[1]->ID());
  TTeacherItem* t = d.Teachers.Add();
  t->SetName("teacher");
  t->TeacherRoom = d.Rooms[0]->ID();
  t->SetBusy(5, {1, 2});
  for (int i = 0; i < 2; ++i) {
    TLessonItem* l = d.Lessons.Add();
    l->KlassID = d.Klasses[i]->ID();
    l->SetSubItemsCount(i + 1);
    l->ChangeQuant(1, 2);
    l->ChangeQuant(1, 1);
    l->NoAttachedRoom = static_cast<uint8_t>(i);
    TLessonSubItem* g = l->GetSubItem(0);
    g->SubjectID = s->ID();
    g->TeacherID = t->ID();
    g->SetFictionName("group");
  }
  d.Lessons[0]->GetSubItem(0)->ChangeLink(1, {d.Lessons[1]->ID(), 0});
  d.Lessons[1]->GetSubItem(0)->ChangeLink(1, {d.Lessons[0]->ID(), 0});
}

bool Put(const std::string& folder, const char* name, const std::vector<unsigned char>& img) {
  if (WriteFileAtomic(FsPath(folder + "/" + name), img)) return true;
  std::fprintf(stderr, "cannot write %s\n", name);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string folder = argv[1];
  TProjectData empty;
  TProjectData full;
  Fill(full);
  const auto img13 = WriteProjectImage(full);

  // The same project as version 1.2: lesson heads lack their last 4 bytes.
  std::vector<unsigned char> lessons;
  std::size_t at = img13.size() - static_cast<std::size_t>(full.Params.Lessons.Bytes);
  const std::size_t lessonsStart = at;
  for (int k = 0; k < full.Lessons.Count(); ++k) {
    const std::size_t groups = img13[at + 4];
    lessons.insert(lessons.end(), img13.begin() + at, img13.begin() + at + kLessonHeadSizeOld);
    at += kLessonHeadSize;
    lessons.insert(lessons.end(), img13.begin() + at, img13.begin() + at + kLessonGroupSize * groups);
    at += kLessonGroupSize * groups;
  }
  TProjParamsRec p = full.Params;
  p.Lessons.Bytes = static_cast<int32_t>(lessons.size());
  ByteWriter w;
  TFileSignature::Make("TIME-TABLE", 1, 2).Write(w);
  WriteProjParams(w, p);
  w.padTo(ProjectHeaderSize);
  w.bytes(std::span(img13).subspan(ProjectHeaderSize, lessonsStart - ProjectHeaderSize));
  w.bytes(lessons);

  // Version 1.0 with rooms and subjects, whose records never changed.
  TProjectData old;
  old.Rooms.Add()->SetName("r");
  old.Subjects.Add()->SetName("s");
  auto img10 = WriteProjectImage(old);
  img10[16] = 0;

  bool ok = Put(folder, "empty13.tbl", WriteProjectImage(empty)) &&
            Put(folder, "small13.tbl", img13) && Put(folder, "small12.tbl", w.data()) &&
            Put(folder, "lists10.tbl", img10);
  return ok ? 0 : 1;
}
