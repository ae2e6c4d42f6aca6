#include "core/planning/room_assign.h"

#include <algorithm>
#include <string>
#include <vector>

namespace korvant {
namespace {

enum : int {
  kMsgShortage = 10192,
  kMsgAttachedTaken = 10193,
  kMsgNoRoom = 10194,
  kMsgNoSpecialRoom = 10195,
};

int RoomSlot(int day, int hour) { return (day - 1) * kSlotsPerDay + hour; }

bool StrictSubject(const TSubjectItem& s) { return s.Specialization != 0 && s.NotStrict == 0; }

int UsableRooms(const TTableVarItem& var) {
  return var.Model() ? std::min(var.RoomCount(), var.Model()->Rooms.Count()) : 0;
}

const TLessonSubItem* LinkedGroup(const TRunModel& m, const TParallelLesson& link) {
  const TRTILessonItem* l = m.KlassLesson(link.Klass, link.Lesson);
  return l ? l->GetSubItem(link.Group) : nullptr;
}

// Pupils of a group and of every group linked to it.
uint16_t GroupPupils(const TRunModel& m, const TRTILessonItem& lesson, int group) {
  int pupils = lesson.GetSubItem(group)->ChildrenInGroup;
  const TRTIGroup& rt = lesson.RT[static_cast<std::size_t>(group)];
  for (int i = 0; i < rt.LinksCount(); ++i)
    if (const TLessonSubItem* other = LinkedGroup(m, rt.Links[static_cast<std::size_t>(i)]))
      pupils += other->ChildrenInGroup;
  return static_cast<uint16_t>(std::min(pupils, 0xFFFF));
}

bool LinkedToLaterKlass(const TRTILessonItem& lesson, int group, int klass) {
  const TRTIGroup& rt = lesson.RT[static_cast<std::size_t>(group)];
  for (int i = 0; i < rt.LinksCount(); ++i)
    if (rt.Links[static_cast<std::size_t>(i)].Klass > klass) return true;
  return false;
}

// Gives room to group of klass's cell at (day, hour) and to every group
// linked to it; each changed cell is written back at once, so the room
// grid always shows what is given.
void GiveRoom(TTableVarItem& var, int day, int hour, int klass, int group, uint16_t room) {
  const TRunModel& m = *var.Model();
  TTableCell c = var.GetCell(klass, day, hour);
  const TRTILessonItem* lesson = m.KlassLesson(klass, c.Lesson);
  if (!lesson || group < 0 || group >= kMaxLessonGroups) return;
  c.Rooms[static_cast<std::size_t>(group)] = room;
  const TRTIGroup& rt = lesson->RT[static_cast<std::size_t>(group)];
  for (int i = 0; i < rt.LinksCount(); ++i) {
    const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
    if (link.Group >= kMaxLessonGroups) continue;
    if (link.Klass == klass) {
      if (static_cast<int>(link.Lesson) == c.Lesson) c.Rooms[link.Group] = room;
      continue;
    }
    TTableCell lc = var.GetCell(link.Klass, day, hour);
    if (lc.Lesson != static_cast<int>(link.Lesson)) continue;
    lc.Rooms[link.Group] = room;
    var.SetCell(link.Klass, day, hour, lc);
  }
  var.SetCell(klass, day, hour, c);
}

bool AskGoOn(PromptOwner owner, int msg, int hour, const std::string& who) {
  const std::string h = std::to_string(hour);
  return ShowErrMsgText(owner, FormatMsg(msg, {h, who}), kBoxYesNo) == kResYes;
}

// Teachers' attached rooms. False when the user stopped.
bool GiveAttachedRooms(TTableVarItem& var, int day, PromptOwner owner) {
  const TRunModel& m = *var.Model();
  const int rooms = UsableRooms(var);
  for (int h = 1; h <= var.LessonsPerDay(); ++h)
    for (int k = 0; k < var.KlassCount(); ++k) {
      const TRTILessonItem* lesson = m.KlassLesson(k, var.GetCell(k, day, h).Lesson);
      if (!lesson) continue;
      const int groups = std::min(lesson->SubItemsCount(), kMaxLessonGroups);
      for (int g = 0; g < groups; ++g) {
        const TLessonSubItem& grp = *lesson->GetSubItem(g);
        if (grp.TeacherID < 0 || grp.SubjectID < 0 || !grp.GetFictionName().empty()) continue;
        const TRTITeacherItem* teacher = m.Teachers[grp.TeacherID];
        const TSubjectItem* subject = m.Subjects[grp.SubjectID];
        if (!teacher || !subject) continue;
        const int room = teacher->TeacherRoom;
        if (room < 0 || room >= rooms) continue;
        const TRoomItem& r = *m.Rooms[room];
        if (StrictSubject(*subject) && r.Specialization != subject->Specialization) continue;
        if (r.Specialization != 0 && r.NotStrict == 0 && subject->Specialization != r.Specialization) continue;
        if (LinkedToLaterKlass(*lesson, g, k)) continue;
        if (r.MaxChildren < GroupPupils(m, *lesson, g)) continue;
        if (var.GetCell(k, day, h).Rooms[static_cast<std::size_t>(g)] != kNoRoom) continue;
        // A room closed at this hour is as unusable as a taken one.
        if (var.GetRoomCell(room, day, h).Klass != -1 || r.GetBusy(RoomSlot(day, h)) != 0) {
          if (!AskGoOn(owner, kMsgAttachedTaken, h, teacher->DisplayName())) return false;
          continue;
        }
        GiveRoom(var, day, h, k, g, static_cast<uint16_t>(room));
      }
    }
  return true;
}

// Teachers in the order of the group table's rows; teachers the table
// does not hold (it may have been built for another day) follow in index
// order, so none of today's lessons is passed over.
std::vector<int> TeacherWalk(const TRunModel& m) {
  const int n = m.Teachers.Count();
  std::vector<int> order;
  std::vector<uint8_t> seen(static_cast<std::size_t>(n), 0);
  for (int r = 0; r < m.Teachers.GroupCount(); ++r) {
    const int32_t* row = m.Teachers.GroupRow(r);
    for (int i = 0; row && i < n && row[i] >= 0; ++i)
      if (row[i] < n && !seen[static_cast<std::size_t>(row[i])]) {
        seen[static_cast<std::size_t>(row[i])] = 1;
        order.push_back(row[i]);
      }
  }
  for (int t = 0; t < n; ++t)
    if (!seen[static_cast<std::size_t>(t)]) order.push_back(t);
  return order;
}

// One try of one pass of the chosen rooms. False when the user stopped.
bool ChooseDayRooms(TTableVarItem& var, int day, const std::vector<int>& walk, bool strictPass, bool lenient,
                    PromptOwner owner) {
  const TRunModel& m = *var.Model();
  for (int t : walk) {
    int last = -1;
    for (int h = 1; h <= var.LessonsPerDay(); ++h) {
      int k = -1, g = -1, links = 0;
      if (!var.FindTeacherLesson(t, h, day, k, g, links)) continue;
      if (g >= kMaxLessonGroups) continue;
      const TTableCell c = var.GetCell(k, day, h);
      const TRTILessonItem* lesson = m.KlassLesson(k, c.Lesson);
      if (!lesson) continue;
      if (c.Rooms[static_cast<std::size_t>(g)] != kNoRoom) {
        last = c.Rooms[static_cast<std::size_t>(g)];
        continue;
      }
      const TLessonSubItem& grp = *lesson->GetSubItem(g);
      const TSubjectItem* subject = grp.SubjectID < 0 ? nullptr : m.Subjects[grp.SubjectID];
      if (!subject || !grp.GetFictionName().empty()) continue;
      if (strictPass && !StrictSubject(*subject)) continue;
      const int room = ChooseRoom(var, day, m.Klasses[k]->KlassRoom, subject->Specialization,
                                  GroupPupils(m, *lesson, g), last, h, grp.SubjectID, lenient, strictPass);
      if (room >= 0) GiveRoom(var, day, h, k, g, static_cast<uint16_t>(room));
      if (room >= 0 || lenient) last = room;
      if (room < 0 && !lenient) {
        const TRTITeacherItem* teacher = m.Teachers[t];
        if (!AskGoOn(owner, strictPass ? kMsgNoSpecialRoom : kMsgNoRoom, h, teacher->DisplayName())) return false;
      }
    }
  }
  return true;
}

}  // namespace

int ChooseRoom(const TTableVarItem& var, int day, int preferred, uint8_t specialization, uint16_t seats, int second,
               int hour, int subject, bool listedOnly, bool strict) {
  const TRunModel* m = var.Model();
  const int L = var.LessonsPerDay();
  const int rooms = UsableRooms(var);
  if (!m || day < 1 || day > 6 || hour < 1 || hour > L) return -1;

  std::vector<int> candidates;
  candidates.reserve(static_cast<std::size_t>(rooms));
  std::vector<uint8_t> listed(static_cast<std::size_t>(rooms), 0);
  auto add = [&](int r) {
    if (r < 0 || r >= rooms || listed[static_cast<std::size_t>(r)]) return;
    listed[static_cast<std::size_t>(r)] = 1;
    candidates.push_back(r);
  };
  add(preferred);
  add(second);
  if (specialization != 0)
    for (int r = 0; r < rooms; ++r)
      if (m->Rooms[r]->Specialization == specialization) add(r);
  if (const TSubjectItem* s = subject >= 0 ? m->Subjects[subject] : nullptr)
    for (int i = 0; i <= kMaxWishedRooms && s->GetWishedRoom(i) >= 0; ++i) add(s->GetWishedRoom(i));
  const std::size_t listedCount = candidates.size();
  if (!listedOnly)
    for (int r = 0; r < rooms; ++r) add(r);

  int best = -1, bestScore = 0;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (i >= listedCount && best >= 0) break;
    const int r = candidates[i];
    const TRoomItem& room = *m->Rooms[r];
    if (room.GetBusy(RoomSlot(day, hour)) != 0) continue;
    if (specialization != 0 && strict && room.Specialization != specialization) continue;
    if (room.Specialization != 0 && room.NotStrict == 0 && room.Specialization != specialization) continue;
    if (room.MaxChildren < seats) continue;
    if (var.GetRoomCell(r, day, hour).Klass != -1) continue;
    int score = 1;
    for (int h = hour + 1; h <= L; ++h)
      if (var.GetRoomCell(r, day, h).Klass == -1) ++score;
    if (score > bestScore) {
      best = r;
      bestScore = score;
    }
  }
  return best;
}

int SetDayRooms(TTableVarItem& var, int day, PromptOwner owner) {
  TRunModel* m = var.Model();
  if (!m || day < 1 || day > 6) return kSetRoomsNotRun;
  int need = 0;
  if (const int h = var.FindRoomShortage(m->Rooms, day, need); h > 0) {
    const std::string hour = std::to_string(h);
    const std::string free = std::to_string(m->Rooms.FreeCount[static_cast<std::size_t>(RoomSlot(day, h) - 1)]);
    const std::string needed = std::to_string(need);
    if (ShowErrMsgText(owner, FormatMsg(kMsgShortage, {hour, free, needed}), kBoxYesNo) != kResYes)
      return kSetRoomsNotRun;
  }
  var.ClearDayRooms(day);
  if (!GiveAttachedRooms(var, day, owner)) return kSetRoomsStopped;
  const std::vector<int> walk = TeacherWalk(*m);
  for (bool strictPass : {true, false})
    for (bool lenient : {true, false})
      if (!ChooseDayRooms(var, day, walk, strictPass, lenient, owner)) return kSetRoomsStopped;
  return kSetRoomsDone;
}

}  // namespace korvant
