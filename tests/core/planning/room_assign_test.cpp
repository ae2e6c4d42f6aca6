#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "base/cp1251.h"
#include "core/planning/room_assign.h"
#include "core/variant/variant_fixture.h"

namespace korvant {
namespace {

using testing::Build;
using testing::ProjectBuilder;

std::string W(const char* utf8) { return cp1251::fromUtf8(utf8); }

// Answers from a script and records every box; an unscripted question
// fails the test and answers "Нет".
class ScriptPrompt : public IPrompt {
 public:
  explicit ScriptPrompt(std::deque<int> answers = {}) : answers_(std::move(answers)) {}
  int ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind) override {
    texts.push_back(cp1251::toUtf8(text));
    owners.push_back(owner);
    EXPECT_EQ(kind, kBoxYesNo);
    if (answers_.empty()) {
      ADD_FAILURE() << "unscripted question: " << texts.back();
      return kResNo;
    }
    const int a = answers_.front();
    answers_.pop_front();
    return a;
  }
  std::vector<std::string> texts;
  std::vector<PromptOwner> owners;

 private:
  std::deque<int> answers_;
};

struct RoomSpec {
  uint16_t seats = 30;
  uint8_t specialization = 0;
  bool strict = false;
};

TRoomItem* AddRoom(ProjectBuilder& p, RoomSpec r) {
  TRoomItem* room = p.d.Rooms.FindItemID(p.Room());
  room->MaxChildren = r.seats;
  room->Specialization = r.specialization;
  room->NotStrict = r.strict ? 0 : 1;
  return room;
}

int32_t AddSubject(ProjectBuilder& p, uint8_t specialization, bool strict) {
  TSubjectItem* s = p.d.Subjects.FindItemID(p.Subject());
  s->Specialization = specialization;
  s->NotStrict = strict ? 0 : 1;
  return s->ID();
}

int32_t AddTeacher(ProjectBuilder& p, const char* name, int32_t room = -1) {
  const int32_t id = p.Teacher(room);
  p.d.Teachers.FindItemID(id)->SetName(W(name));
  return id;
}

// ---- ChooseRoom ----

// Rooms: 0 and 1 general, 2 a strict physics lab, 3 small, 4 a non-strict
// language room. One klass whose attached room is room 1.
struct ChooseFixture : ::testing::Test {
  ProjectBuilder p{8};
  testing::Built b;
  int32_t math = 0, phys = 0, lang = 0;
  void SetUp() override {
    AddRoom(p, {});
    AddRoom(p, {});
    AddRoom(p, {30, 2, true});
    AddRoom(p, {10, 0, false});
    AddRoom(p, {30, 4, false});
    math = AddSubject(p, 1, false);
    phys = AddSubject(p, 2, true);
    lang = AddSubject(p, 4, false);
    p.d.Klasses.FindItemID(p.Klass())->KlassRoom = 1;
    b = Build(p.d);
  }
  TTableVarItem& v() { return *b.var; }
  void Occupy(int room, int day, int hour) { v().SetRoomCell(room, day, hour, {0, 0, 0}); }
};

TEST_F(ChooseFixture, AttachedRoomKeptOnEqualScoreAndReplacedByHigherScore) {
  // Listed: the attached room 1, then the teacher's last room 0. Every
  // room free all day: the attached room wins the tie.
  EXPECT_EQ(ChooseRoom(v(), 2, 1, 0, 25, 0, 3, math, false, false), 1);
  EXPECT_EQ(ChooseRoom(v(), 2, 1, 0, 25, 0, 3, math, true, false), 1);
  // The attached room is taken later in the day: room 0 scores higher.
  Occupy(1, 2, 7);
  EXPECT_EQ(ChooseRoom(v(), 2, 1, 0, 25, 0, 3, math, false, false), 0);
  // A later hour of another day does not count.
  Occupy(0, 3, 8);
  EXPECT_EQ(ChooseRoom(v(), 2, 1, 0, 25, 0, 3, math, false, false), 0);
  // Only hours after the asked one count.
  EXPECT_EQ(ChooseRoom(v(), 2, 1, 0, 25, 0, 8, math, false, false), 1);
  // A listed room found ends the search: an unlisted room scoring higher
  // (room 4 is free all day) is not looked at.
  EXPECT_EQ(ChooseRoom(v(), 2, 1, 0, 25, -1, 3, math, false, false), 1);
}

TEST_F(ChooseFixture, StrictLabServesOnlyItsOwnSubject) {
  for (int r : {0, 1, 3, 4}) Occupy(r, 1, 2);
  // Fall-back over all rooms, not strict: the free lab is still refused.
  EXPECT_EQ(ChooseRoom(v(), 1, -1, 1, 20, -1, 2, math, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 1, -1, 0, 20, -1, 2, -1, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 1, -1, 0, 20, 2, 2, -1, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 1, -1, 2, 20, -1, 2, phys, true, true), 2);
  // The same subject without other rooms free at another hour: its lab.
  EXPECT_EQ(ChooseRoom(v(), 1, 1, 2, 20, -1, 5, phys, false, true), 2);
}

TEST_F(ChooseFixture, StrictRequestAcceptsOnlyRoomsOfThatSpecialization) {
  // Strict: the attached general room and the free general rooms are refused.
  EXPECT_EQ(ChooseRoom(v(), 1, 1, 4, 20, -1, 1, lang, false, true), 4);
  Occupy(4, 1, 1);
  EXPECT_EQ(ChooseRoom(v(), 1, 1, 4, 20, -1, 1, lang, false, true), -1);
  // Not strict: a general room will do.
  EXPECT_EQ(ChooseRoom(v(), 1, 1, 4, 20, -1, 1, lang, false, false), 1);
}

TEST_F(ChooseFixture, ListedOnlyWithEveryListedRoomBusyFindsNothing) {
  Occupy(1, 4, 2);  // the attached room
  Occupy(0, 4, 2);  // the teacher's last room
  EXPECT_EQ(ChooseRoom(v(), 4, 1, 0, 20, 0, 2, math, true, false), -1);
  // The math subject has no rooms of its own; wished rooms are listed.
  b.model->Subjects[math]->ChangeWishedRoom(0, 4);  // model copy holds positions
  EXPECT_EQ(ChooseRoom(v(), 4, 1, 0, 20, 0, 2, math, true, false), 4);
  Occupy(4, 4, 2);
  EXPECT_EQ(ChooseRoom(v(), 4, 1, 0, 20, 0, 2, math, true, false), -1);
  // The final try goes on to every room (the small one is too small).
  EXPECT_EQ(ChooseRoom(v(), 4, 1, 0, 20, 0, 2, math, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 4, 1, 0, 8, 0, 2, math, false, false), 3);
}

TEST_F(ChooseFixture, ListedRoomFoundStopsTheSearchWhateverItsScore) {
  for (int h = 4; h <= 8; ++h) Occupy(1, 5, h);  // attached room: score 1 at hour 3
  EXPECT_EQ(ChooseRoom(v(), 5, 1, 0, 20, -1, 3, math, false, false), 1);
  // Nothing listed is free: the best of the rest, the earlier on ties.
  Occupy(1, 5, 3);
  EXPECT_EQ(ChooseRoom(v(), 5, 1, 0, 20, -1, 3, math, false, false), 0);
}

TEST_F(ChooseFixture, RoomTooSmallOrClosedIsNeverChosen) {
  // Room 3 seats 10: never for 11 pupils, even as the only free room.
  for (int r : {0, 1, 4}) Occupy(r, 6, 1);
  EXPECT_EQ(ChooseRoom(v(), 6, 3, 0, 11, 3, 1, math, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 6, 3, 0, 10, 3, 1, math, false, false), 3);
  // A room closed at the slot (busy byte) is refused.
  b.model->Rooms[3]->SetBusy((6 - 1) * kSlotsPerDay + 1, 1);
  EXPECT_EQ(ChooseRoom(v(), 6, 3, 0, 10, 3, 1, math, false, false), -1);
  // Bad arguments answer -1.
  EXPECT_EQ(ChooseRoom(v(), 0, 3, 0, 10, 3, 1, math, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 1, 3, 0, 10, 3, 9, math, false, false), -1);
  EXPECT_EQ(ChooseRoom(v(), 1, 99, 0, 10, 99, 1, 99, false, false), 0);
}

// ---- the day's room assignment ----

// Checks what a finished assignment must give: every group that needs a
// room has one that is open, big enough and of the right strict kind, no
// room is given to two groups that are not linked, and the room grid shows
// exactly the given rooms.
void ExpectSoundRooms(const TTableVarItem& v, int day) {
  const TRunModel& m = *v.Model();
  for (int h = 1; h <= v.LessonsPerDay(); ++h) {
    std::map<int, std::set<std::pair<int, int>>> users;  // room -> {klass, group}
    for (int k = 0; k < v.KlassCount(); ++k) {
      const TTableCell c = v.GetCell(k, day, h);
      const TRTILessonItem* l = m.KlassLesson(k, c.Lesson);
      if (!l) continue;
      for (int g = 0; g < l->SubItemsCount(); ++g) {
        const TLessonSubItem& grp = *l->GetSubItem(g);
        const uint16_t room = c.Rooms[static_cast<std::size_t>(g)];
        if (grp.SubjectID < 0 || grp.TeacherID < 0) continue;
        ASSERT_NE(room, kNoRoom) << "klass " << k << " hour " << h << " group " << g;
        const TRoomItem& r = *m.Rooms[room];
        const TSubjectItem& s = *m.Subjects[grp.SubjectID];
        EXPECT_EQ(r.GetBusy((day - 1) * kSlotsPerDay + h), 0);
        int pupils = grp.ChildrenInGroup;
        const TRTIGroup& rt = l->RT[static_cast<std::size_t>(g)];
        for (int i = 0; i < rt.LinksCount(); ++i) {
          const TParallelLesson& link = rt.Links[static_cast<std::size_t>(i)];
          pupils += m.KlassLesson(link.Klass, link.Lesson)->GetSubItem(link.Group)->ChildrenInGroup;
          EXPECT_EQ(v.GetCell(link.Klass, day, h).Rooms[link.Group], room);
        }
        EXPECT_GE(r.MaxChildren, pupils);
        if (r.Specialization != 0 && r.NotStrict == 0) {
          EXPECT_EQ(s.Specialization, r.Specialization);
        }
        users[room].insert({k, g});
      }
    }
    for (const auto& [room, who] : users) {
      // Several users of one room are one joint lesson: linked to the first.
      const auto [k0, g0] = *who.begin();
      const TRTIGroup& rt = m.KlassLesson(k0, v.GetCell(k0, day, h).Lesson)->RT[static_cast<std::size_t>(g0)];
      EXPECT_EQ(static_cast<int>(who.size()), 1 + rt.LinksCount()) << "room " << room << " hour " << h;
      const TRoomCell rc = v.GetRoomCell(room, day, h);
      EXPECT_TRUE(who.count({rc.Klass, rc.Subitem})) << "room grid of room " << room << " hour " << h;
    }
    for (int r = 0; r < v.RoomCount(); ++r)
      if (v.GetRoomCell(r, day, h).Klass >= 0) {
        EXPECT_TRUE(users.count(r)) << "stale room " << r;
      }
  }
}

// Four klasses on day 3: room 0..3 general (room 3 is klass 3's), room 4 a
// strict physics lab, room 5 a gym of 60 seats, room 6 a non-strict
// language room attached to the language teacher; room 2 closed at hour 2.
struct DayFixture : ::testing::Test {
  ProjectBuilder p{6};
  testing::Built b;
  int32_t kl[4]{};
  TLessonItem *math[4]{}, *phys[4]{}, *pe[4]{}, *lang[4]{}, *pair[4]{};
  void SetUp() override {
    for (int i = 0; i < 4; ++i) AddRoom(p, {});
    AddRoom(p, {30, 2, true});
    AddRoom(p, {60, 10, true});
    AddRoom(p, {30, 4, false});
    p.d.Rooms[2]->SetBusy(2 * kSlotsPerDay + 2, 1);
    const int32_t sMath = AddSubject(p, 1, false), sPhys = AddSubject(p, 2, true),
                  sPe = AddSubject(p, 10, true), sLang = AddSubject(p, 4, false);
    const int32_t tMath = AddTeacher(p, "Математик"), tMath2 = AddTeacher(p, "Алгебраист"),
                  tPhys = AddTeacher(p, "Физик", 4), tPe = AddTeacher(p, "Физрук", 5),
                  tLang = AddTeacher(p, "Словесник", 6), tLang2 = AddTeacher(p, "Филолог");
    int32_t tPair[8];
    for (int i = 0; i < 8; ++i) {
      static const char* names[8] = {"Учитель 1", "Учитель 2", "Учитель 3", "Учитель 4",
                                     "Учитель 5", "Учитель 6", "Учитель 7", "Учитель 8"};
      tPair[i] = AddTeacher(p, names[i]);
    }
    for (int k = 0; k < 4; ++k) {
      kl[k] = p.Klass();
      TKlassItem* klass = p.d.Klasses.FindItemID(kl[k]);
      klass->ChildrenInKlass = 28;
      if (k == 3) klass->KlassRoom = 3;
      math[k] = p.Lesson(kl[k], {{sMath, k < 2 ? tMath : tMath2}}, {1});
      phys[k] = p.Lesson(kl[k], {{sPhys, tPhys}}, {1});
      pe[k] = p.Lesson(kl[k], {{sPe, tPe}}, {1});
      lang[k] = p.Lesson(kl[k], {{sLang, tLang}, {sLang, tLang2}}, {1});
      for (TLessonItem* l : {math[k], phys[k], pe[k]}) l->GetSubItem(0)->ChildrenInGroup = 28;
      lang[k]->GetSubItem(0)->ChildrenInGroup = 14;
      lang[k]->GetSubItem(1)->ChildrenInGroup = 14;
      pair[k] = p.Lesson(kl[k], {{sMath, tPair[2 * k]}, {sMath, tPair[2 * k + 1]}}, {1});
      pair[k]->GetSubItem(0)->ChildrenInGroup = 14;
      pair[k]->GetSubItem(1)->ChildrenInGroup = 14;
    }
    ProjectBuilder::Link(pe[0], 0, pe[1], 0);  // joint lesson of 56 pupils
    b = Build(p.d);
  }
  TTableVarItem& v() { return *b.var; }
  int L(int k, TLessonItem* l) { return testing::LessonIndex(*b.model, k, l->ID()); }
  void Put(int k, TLessonItem* l, int hour) { ASSERT_TRUE(v().PlaceLinkedLesson(k, L(k, l), false, 3, hour, 1)); }
};

TEST_F(DayFixture, PlannedDayGetsSoundRoomsWithoutQuestions) {
  // Hour 1: physics 0, math 1, math 2, language 3.
  Put(0, phys[0], 1);
  Put(1, math[1], 1);
  Put(2, math[2], 1);
  Put(3, lang[3], 1);
  // Hour 2: joint PE of klasses 0 and 1, physics 2, math 3 (room 2 closed).
  Put(0, pe[0], 2);
  Put(2, phys[2], 2);
  Put(3, math[3], 2);
  // Hour 3: language 0, physics 1, PE 2, math 3.
  Put(0, lang[0], 3);
  Put(1, phys[1], 3);
  Put(2, pe[2], 3);
  Put(3, math[3], 3);
  ScriptPrompt prompt;
  ScopedPrompt scope(&prompt);
  EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsDone);
  EXPECT_TRUE(prompt.texts.empty());
  ExpectSoundRooms(v(), 3);
  // Teachers' attached rooms and the klass's attached room are taken.
  EXPECT_EQ(v().GetCell(0, 3, 1).Rooms[0], 4);
  EXPECT_EQ(v().GetCell(0, 3, 2).Rooms[0], 5);
  EXPECT_EQ(v().GetCell(1, 3, 2).Rooms[0], 5);
  EXPECT_EQ(v().GetCell(3, 3, 1).Rooms[0], 6);
  EXPECT_EQ(v().GetCell(3, 3, 2).Rooms[0], 3);
  EXPECT_EQ(v().GetCell(0, 3, 3).Rooms[0], 6);
  EXPECT_EQ(v().GetCell(1, 3, 3).Rooms[0], 4);
  EXPECT_EQ(v().GetCell(2, 3, 3).Rooms[0], 5);
  // Running it again gives the same rooms (the day's rooms are redone).
  std::vector<TTableCell> before;
  for (int k = 0; k < 4; ++k)
    for (int h = 1; h <= 6; ++h) before.push_back(v().GetCell(k, 3, h));
  EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsDone);
  std::size_t i = 0;
  for (int k = 0; k < 4; ++k)
    for (int h = 1; h <= 6; ++h) EXPECT_EQ(v().GetCell(k, 3, h), before[i++]);
  // Other days are untouched.
  EXPECT_TRUE(v().DayIsEmpty(1));
}

TEST_F(DayFixture, ShortageAnsweredNoChangesNothing) {
  // Hour 2: eight groups need rooms; six rooms are open at that slot.
  for (int k = 0; k < 4; ++k) Put(k, lang[k], 2);
  TTableCell c = v().GetCell(0, 3, 2);
  c.Rooms[0] = 1;
  v().SetCell(0, 3, 2, c);
  ScriptPrompt prompt({kResNo});
  ScopedPrompt scope(&prompt);
  int owner = 0;
  EXPECT_EQ(SetDayRooms(v(), 3, &owner), kSetRoomsNotRun);
  ASSERT_EQ(prompt.texts.size(), 1u);
  EXPECT_EQ(prompt.texts[0],
            "На 2 уроке свободно только 6 кабинетов вместо требующихся 8. Произвести частичную расстановку?");
  EXPECT_EQ(prompt.owners[0], &owner);
  EXPECT_EQ(v().GetCell(0, 3, 2).Rooms[0], 1);
  EXPECT_EQ(v().GetRoomCell(1, 3, 2).Klass, 0);
}

TEST_F(DayFixture, ShortageAnsweredYesAssignsAsFarAsRoomsGoThenAsks) {
  for (int k = 0; k < 4; ++k) Put(k, pair[k], 2);
  // Shortage, then the groups left without a room in the final try of the
  // second pass: "Да" to the first goes on, "Нет" to the second stops.
  ScriptPrompt prompt({kResYes, kResYes, kResNo});
  ScopedPrompt scope(&prompt);
  EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsStopped);
  ASSERT_EQ(prompt.texts.size(), 3u);
  EXPECT_EQ(prompt.texts[0],
            "На 2 уроке свободно только 6 кабинетов вместо требующихся 8. Произвести частичную расстановку?");
  EXPECT_EQ(prompt.texts[1], "На 2 уроке для учителя Учитель 4 не удается подобрать кабинет. Продолжить расстановку?");
  EXPECT_EQ(prompt.texts[2], "На 2 уроке для учителя Учитель 5 не удается подобрать кабинет. Продолжить расстановку?");
  // Usable for math at that slot: general rooms 0, 1, 3 (2 is closed) and
  // the non-strict language room; the labs and the gym are strict. Klass
  // 3's first group took its klass's room in the lenient try, the others
  // the first free rooms in the final try.
  EXPECT_EQ(v().GetCell(3, 3, 2).Rooms[0], 3);
  EXPECT_EQ(v().GetCell(0, 3, 2).Rooms[0], 0);
  EXPECT_EQ(v().GetCell(0, 3, 2).Rooms[1], 1);
  EXPECT_EQ(v().GetCell(1, 3, 2).Rooms[0], 6);
  EXPECT_EQ(v().GetCell(1, 3, 2).Rooms[1], kNoRoom);
  EXPECT_EQ(v().GetCell(2, 3, 2).Rooms[0], kNoRoom);
  EXPECT_EQ(v().GetCell(3, 3, 2).Rooms[1], kNoRoom);
  for (int r : {0, 1, 3, 6}) EXPECT_GE(v().GetRoomCell(r, 3, 2).Klass, 0);
  for (int r : {2, 4, 5}) EXPECT_EQ(v().GetRoomCell(r, 3, 2).Klass, -1);
}

TEST_F(DayFixture, TakenAttachedRoomAsksThenTheRoomIsChosen) {
  // The physics teacher's lab is closed at hour 2 of day 3.
  b.model->Rooms[4]->SetBusy(2 * kSlotsPerDay + 2, 1);
  b.model->Rooms.CountFreeRooms();
  Put(1, phys[1], 2);
  Put(0, math[0], 2);
  ScriptPrompt prompt({kResYes, kResYes, kResYes});
  ScopedPrompt scope(&prompt);
  EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsDone);
  ASSERT_EQ(prompt.texts.size(), 2u);
  EXPECT_EQ(prompt.texts[0], "На 2 уроке занят прикрепленный к учителю Физик кабинет. Продолжить расстановку?");
  EXPECT_EQ(prompt.texts[1],
            "На 2 уроке для учителя Физик не удается подобрать специализированный кабинет. Продолжить расстановку?");
  // The second pass puts physics into a general room.
  const uint16_t r = v().GetCell(1, 3, 2).Rooms[0];
  ASSERT_NE(r, kNoRoom);
  EXPECT_EQ(b.model->Rooms[r]->Specialization, 0);
}

TEST_F(DayFixture, PartnersAtOneHourAskForTheAttachedRoom) {
  // The second language teacher shares the language room.
  b.model->Teachers[5]->TeacherRoom = 6;
  Put(0, lang[0], 1);  // both groups: teachers 4 and 5 at hour 1
  Put(1, math[1], 1);
  {
    ScriptPrompt prompt({kResNo});
    ScopedPrompt scope(&prompt);
    EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsStopped);
    ASSERT_EQ(prompt.texts.size(), 1u);
    EXPECT_EQ(prompt.texts[0], "На 1 уроке занят прикрепленный к учителю Филолог кабинет. Продолжить расстановку?");
    // What was given before the question stays.
    EXPECT_EQ(v().GetCell(0, 3, 1).Rooms[0], 6);
    EXPECT_EQ(v().GetCell(0, 3, 1).Rooms[1], kNoRoom);
  }
  {
    ScriptPrompt prompt({kResYes});
    ScopedPrompt scope(&prompt);
    EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsDone);
    EXPECT_EQ(prompt.texts.size(), 1u);
    ExpectSoundRooms(v(), 3);
  }
}

TEST_F(DayFixture, WithoutAPromptAQuestionStops) {
  for (int k = 0; k < 4; ++k) Put(k, lang[k], 2);
  EXPECT_EQ(SetDayRooms(v(), 3), kSetRoomsNotRun);
  EXPECT_EQ(SetDayRooms(v(), 0), kSetRoomsNotRun);
}

}  // namespace
}  // namespace korvant
