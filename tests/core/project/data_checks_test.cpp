#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/project/data_checks.h"
#include "core/project/id_limits.h"

namespace korvant {
namespace {

std::string W(const char* utf8) { return cp1251::fromUtf8(utf8); }

std::vector<std::string> Ws(std::initializer_list<const char*> utf8) {
  std::vector<std::string> v;
  for (const char* s : utf8) v.push_back(W(s));
  return v;
}

constexpr int L = 8;

// ---- report pages ----

TEST(DataReportPages, NumbersLinesPerPageAndRestartsOnClear) {
  TDataReportPages p;
  p.ClearPage(2);
  EXPECT_EQ(p.ActivePage(), 2);
  p.AddLine(2, "a");
  p.AddLine(2, "b");
  EXPECT_EQ(p.Lines(2), (std::vector<std::string>{"1. a", "2. b"}));
  EXPECT_EQ(p.Counter(), 2);

  p.ClearPage(3);
  p.AddLine(3, "c");
  EXPECT_EQ(p.Lines(3), (std::vector<std::string>{"1. c"}));
  EXPECT_EQ(p.Lines(2).size(), 2u);  // other pages keep their lines

  p.ClearPage(2);
  EXPECT_TRUE(p.Lines(2).empty());
  EXPECT_EQ(p.Counter(), 0);

  p.AddLine(5, "x");
  p.AddLine(-1, "x");
  p.ClearPage(7);
  EXPECT_EQ(p.ActivePage(), 2);
  EXPECT_EQ(p.Counter(), 0);
  EXPECT_TRUE(p.Lines(5).empty());
}

TEST(DataChecks, EmptyListGivesOneNumberedNoFindingsLineAfterOnePump) {
  TRoomsCollection rooms;
  TDataReportPages p;
  p.ClearPage(4);
  p.AddLine(4, "old");
  int pumps = 0;
  std::size_t linesAtPump = 99;
  CheckRooms(rooms, &p, [&] {
    ++pumps;
    linesAtPump = p.Lines(0).size();
  });
  EXPECT_EQ(pumps, 1);
  EXPECT_EQ(linesAtPump, 0u);
  EXPECT_EQ(p.ActivePage(), 0);
  EXPECT_EQ(p.Lines(0), Ws({"1. Ошибок не обнаружено."}));
}

// Without a report no check runs: the window's queue is not pumped either,
// where with one each of the five checks pumps once.
TEST(DataChecks, WithoutReportNothingHappens) {
  TProjectData d;
  d.Rooms.Add()->MaxChildren = 0;
  int pumps = 0;
  CheckProjectData(d, nullptr, [&] { ++pumps; });
  EXPECT_EQ(pumps, 0);
  TDataReportPages p;
  CheckProjectData(d, &p, [&] { ++pumps; });
  EXPECT_EQ(pumps, 5);
  EXPECT_EQ(p.Lines(0).size(), 2u);  // the room's name and seats
}

// ---- rooms, subjects, klasses ----

TEST(DataChecks, RoomRulesInOrder) {
  TRoomsCollection rooms;
  TRoomItem* a = rooms.Add();  // no name, strict general, no seats
  a->NotStrict = 0;
  a->MaxChildren = 0;
  rooms.Add()->SetName(W("Неизвестный кабинет"));
  TRoomItem* ok = rooms.Add();
  ok->SetName(W("Каб. 1"));
  ok->Specialization = 2;
  ok->NotStrict = 0;  // strict but specialised: fine
  TDataReportPages p;
  CheckRooms(rooms, &p);
  EXPECT_EQ(p.Lines(0), Ws({"1. Неизвестный кабинет: задайте имя.",
                            "2. Неизвестный кабинет: при общей специализации кабинет не может быть строго специализирован.",
                            "3. Неизвестный кабинет: задайте число мест.",
                            "4. Неизвестный кабинет: задайте имя."}));
}

TEST(DataChecks, SubjectRulesAndOnlyTheFirstBadRecommendedRoom) {
  TRoomsCollection rooms;
  const int32_t room = rooms.Add()->ID();
  TSubjectsCollection subjects;
  TSubjectItem* s = subjects.Add();
  s->SetName(W("Физика"));
  s->NotStrict = 0;
  s->SanitarKf = 0;
  s->ChangeWishedRoom(0, room);
  s->ChangeWishedRoom(1, 50);
  s->ChangeWishedRoom(2, 51);
  subjects.Add();  // no name only
  TDataReportPages p;
  CheckSubjects(subjects, rooms, &p);
  EXPECT_EQ(p.Lines(1), Ws({"1. Физика: при общей специализации предмет не может быть строго специализирован.",
                            "2. Физика: задайте коэффициент сложности предмета.",
                            "3. Физика: одна из ссылок на рекомендуемые кабинеты некорректна.",
                            "4. Неизвестный предмет: задайте имя."}));
}

TEST(DataChecks, KlassRulesAndParallels) {
  TRoomsCollection rooms;
  rooms.Add();
  TKlassesCollection klasses;
  TKlassItem* a = klasses.Add();  // id 0
  a->SetName(W("5А"));
  a->ChangeStartLesson(+1, 1);
  a->ChildrenInKlass = 0;
  a->KlassRoom = 7;
  a->ChangeParallel(+1, 1);   // exists (below)
  a->ChangeParallel(+1, 40);  // missing
  TKlassItem* b = klasses.Add();  // id 1: ten parallels, the tenth missing
  b->SetName(W("5Б"));
  b->ChangeStartLesson(+1, 2);
  for (int i = 0; i < 9; ++i) klasses.Add()->ChangeStartLesson(+1, 1);  // ids 2..10
  for (int32_t id : {0, 2, 3, 4, 5, 6, 7, 8, 9}) b->ChangeParallel(+1, id);
  b->ChangeParallel(+1, 99);
  ASSERT_EQ(b->GetParallel(10), 99);
  TKlassItem* c = klasses.Add();  // no name, no start lesson, parallels all fine
  c->ChangeParallel(+1, 0);
  c->KlassRoom = 0;
  for (int i = 2; i <= 10; ++i) klasses[i]->SetName("k");

  TDataReportPages p;
  CheckKlasses(klasses, rooms, &p);
  EXPECT_EQ(p.Lines(2), Ws({"1. 5А: задайте число учеников.",
                            "2. 5А: ссылка на прикрепленный кабинет некорректна.",
                            "3. 5А: одна из ссылок на параллельные классы некорректна.",
                            "4. 5Б: одна из ссылок на параллельные классы некорректна.",
                            "5. Неизвестный класс: задайте имя.",
                            "6. Неизвестный класс: задайте номера уроков, с которых могут начинаться занятия."}));
}

// ---- teachers ----

void CloseDay(TTeacherItem& t, int day, int from, int to, uint8_t level = 0) {
  for (int h = from; h <= to; ++h) t.SetBusy((day - 1) * 24 + h, {1, level});
}

TEST(DataChecks, TeacherFreeHoursTakeOutTheEmptiestDaysEarliestFirst) {
  TTeacherItem t;
  EXPECT_EQ(TeacherFreeHours(t, L), 48);
  CloseDay(t, 2, 1, 3);             // day 2: 5 usable
  CloseDay(t, 4, 1, 3);             // day 4: 5 usable (tie, day 2 goes first)
  CloseDay(t, 5, 1, 8, 2);          // wished free but usable: level 2
  EXPECT_EQ(TeacherFreeHours(t, L), 42);
  t.MetodicalDays = 1;
  EXPECT_EQ(TeacherFreeHours(t, L), 37);
  t.MetodicalDays = 2;
  EXPECT_EQ(TeacherFreeHours(t, L), 32);
  t.MetodicalDays = 3;
  EXPECT_EQ(TeacherFreeHours(t, L), 24);
  // Hours past L do not count.
  t.MetodicalDays = 0;
  EXPECT_EQ(TeacherFreeHours(t, 6), 30);
}

TEST(DataChecks, MethodicalDaysNeverTakeOutMoreThanTheWeek) {
  TTeacherItem t;
  t.MetodicalDays = 6;
  EXPECT_EQ(TeacherFreeHours(t, L), 0);
  t.MetodicalDays = 7;
  EXPECT_EQ(TeacherFreeHours(t, L), 0);
  t.MetodicalDays = 1000;
  EXPECT_EQ(TeacherFreeHours(t, L), 0);
  EXPECT_EQ(TeacherWorkingDays(t, L), 0);
  t.MetodicalDays = -3;
  EXPECT_EQ(TeacherFreeHours(t, L), 48);
  EXPECT_EQ(TeacherWorkingDays(t, L), 6);

  TTeachersCollection teachers;
  TRoomsCollection rooms;
  TTeacherItem* x = teachers.Add();
  x->SetName("x");
  x->MetodicalDays = 9;  // no plan: nothing to report
  TDataReportPages p;
  CheckTeachers(teachers, rooms, L, &p);
  EXPECT_EQ(p.Lines(3), Ws({"1. Ошибок не обнаружено."}));
}

TEST(DataChecks, TeacherRules) {
  TRoomsCollection rooms;
  const int32_t room = rooms.Add()->ID();
  TTeachersCollection teachers;
  TTeacherItem* a = teachers.Add();
  a->SetName(W("Иванова"));
  a->TeacherRoom = 5;
  a->MetodicalDays = 1;
  a->PlanLessCnt = 41;  // 40 usable after the methodical day
  TTeacherItem* b = teachers.Add();
  b->SetName(W("Петров"));
  b->TeacherRoom = room;
  b->MetodicalDays = 1;
  b->PlanLessCnt = 40;
  teachers.Add()->PlanLessCnt = 0;
  TDataReportPages p;
  CheckTeachers(teachers, rooms, L, &p);
  EXPECT_EQ(p.Lines(3), Ws({"1. Иванова: ссылка на прикрепленный кабинет некорректна.",
                            "2. Иванова: число свободных часов (с учетом свободных дней) меньше, чем требуется по уч. плану.",
                            "3. Неизвестный учитель: задайте имя."}));
}

// ---- lessons ----

// A small clean project: klass 5А (id 0, 25 pupils), subjects Русский (0)
// and Английский (1), teachers Иванова (0) and Петров (1).
struct LessonChecks : ::testing::Test {
  TProjectData d;
  TDataReportPages p;

  void SetUp() override {
    d.Rooms.Add()->SetName("r");
    TSubjectItem* s0 = d.Subjects.Add();
    s0->SetName(W("Русский"));
    d.Subjects.Add()->SetName(W("Английский"));
    TKlassItem* k = d.Klasses.Add();
    k->SetName(W("5А"));
    k->ChildrenInKlass = 25;
    k->ChangeStartLesson(+1, 1);
    TKlassItem* k2 = d.Klasses.Add();
    k2->SetName(W("5Б"));
    k2->ChildrenInKlass = 25;
    k2->ChangeStartLesson(+1, 1);
    d.Teachers.Add()->SetName(W("Иванова"));
    d.Teachers.Add()->SetName(W("Петров"));
  }

  TLessonItem* AddLesson(int32_t klass, std::initializer_list<int> blocks, int32_t subject, int32_t teacher,
                         int pupils = 25) {
    TLessonItem* l = d.Lessons.Add();
    l->KlassID = klass;
    for (int b : blocks) l->ChangeQuant(+1, b);
    l->SetSubItemsCount(1);
    TLessonSubItem* g = l->GetSubItem(0);
    g->SubjectID = subject;
    g->TeacherID = teacher;
    g->ChildrenInGroup = static_cast<uint16_t>(pupils);
    return l;
  }

  // One hour in two groups of 12 and 13 pupils.
  TLessonItem* AddTwoGroups(int32_t klass, int32_t s0, int32_t t0, int32_t s1, int32_t t1) {
    TLessonItem* l = AddLesson(klass, {1}, -1, -1);
    l->SetSubItemsCount(2);
    for (int g = 0; g < 2; ++g) {
      TLessonSubItem* grp = l->GetSubItem(g);
      grp->SubjectID = g ? s1 : s0;
      grp->TeacherID = g ? t1 : t0;
      grp->ChildrenInGroup = static_cast<uint16_t>(12 + g);
    }
    return l;
  }

  void SetSeparated(TLessonItem* l, std::initializer_list<int> sep) {
    int w = kQuantWords;
    for (int s : sep) l->SetQuant(w--, static_cast<uint16_t>(s));
  }

  static void Link(TLessonItem* a, int ga, TLessonItem* b, int gb) {
    a->GetSubItem(ga)->ChangeLink(+1, {b->ID(), gb});
    b->GetSubItem(gb)->ChangeLink(+1, {a->ID(), ga});
  }

  std::vector<std::string> Run() {
    CheckLessons(d.Lessons, d.Klasses, d.Subjects, d.Teachers, L, &p);
    return p.Lines(4);
  }
};

TEST_F(LessonChecks, CleanLessonsAndPlannedHoursGiveNoFindings) {
  AddLesson(0, {1, 1, 2}, 0, 0);
  d.Teachers[0]->PlanLessCnt = 4;
  EXPECT_EQ(Run(), Ws({"1. Ошибок не обнаружено."}));
}

TEST_F(LessonChecks, TeacherHoursDifferingFromThePlan) {
  for (int i = 0; i < 3; ++i) AddLesson(i % 2, {2, 2, 2}, 0, 0);  // 18 hours
  d.Teachers[0]->PlanLessCnt = 20;
  d.Teachers[1]->PlanLessCnt = 1;
  EXPECT_EQ(Run(), Ws({"1. Иванова: суммарное количество часов (18) не совпадает с требуемым по уч. плану (20).",
                       "2. Петров: суммарное количество часов (0) не совпадает с требуемым по уч. плану (1)."}));
}

TEST_F(LessonChecks, LinkedLessonsOfOneTeacherCountOnce) {
  TLessonItem* a = AddLesson(0, {2, 2}, 0, 0);
  TLessonItem* b = AddLesson(1, {2, 2}, 0, 0);
  Link(a, 0, b, 0);
  d.Teachers[0]->PlanLessCnt = 4;
  EXPECT_EQ(Run(), Ws({"1. Ошибок не обнаружено."}));
}

TEST_F(LessonChecks, BrokenLinksDoNotTakeHoursOff) {
  // Links to a smaller identifier that no lesson has any more, and to a
  // group the smaller lesson does not have: both lessons keep their hours.
  d.Lessons.Add();  // id 0, deleted below
  TLessonItem* a = AddLesson(0, {2, 2}, 0, 0);
  TLessonItem* b = AddLesson(1, {2, 2}, 0, 0);
  b->GetSubItem(0)->ChangeLink(+1, {0, 0});
  TLessonItem* c = AddLesson(1, {2, 2}, 0, 0);
  c->GetSubItem(0)->ChangeLink(+1, {a->ID(), 3});
  d.Lessons.Delete(0);
  d.Teachers[0]->PlanLessCnt = 12;
  EXPECT_EQ(Run(), Ws({"1. 5Б, Русский, Группа 1: одна из связок некорректна.",
                       "2. 5Б, Русский, Группа 1: одна из связок некорректна."}));

  // A link to a smaller lesson taught by another teacher.
  d.Lessons.Clear();
  TLessonItem* e = AddLesson(0, {2, 2}, 0, 1);
  TLessonItem* f = AddLesson(1, {2, 2}, 0, 0);
  Link(e, 0, f, 0);
  d.Teachers[0]->PlanLessCnt = 4;
  d.Teachers[1]->PlanLessCnt = 4;
  EXPECT_EQ(Run(), Ws({"1. 5А, Русский, Группа 1: у одной из связанных подгрупп другой учитель.",
                       "2. 5Б, Русский, Группа 1: у одной из связанных подгрупп другой учитель."}));
}

TEST_F(LessonChecks, KlassFindingsAndTheLabel) {
  TLessonItem* a = AddLesson(-1, {1}, 0, 0);
  a->SetSubItemsCount(3);
  a->GetSubItem(0)->SubjectID = 1;
  a->GetSubItem(0)->TeacherID = 1;
  a->GetSubItem(1)->SubjectID = 77;
  a->GetSubItem(1)->TeacherID = 0;
  // group 3 stays empty (no subject, no teacher)
  AddLesson(9, {1}, 0, 0);
  d.Teachers[0]->PlanLessCnt = 2;
  d.Teachers[1]->PlanLessCnt = 1;
  EXPECT_EQ(Run(), Ws({"1. Неизвестный класс, Английский/-----/-----: задайте класс, в котором проводится урок.",
                       "2. Неизвестный класс, Английский/-----/-----, Группа 2: ссылка на предмет некорректна.",
                       "3. Неизвестный класс, Русский: ссылка на класс, в котором проводится урок, некорректна."}));
}

TEST_F(LessonChecks, LessonRulesInOrder) {
  // No layout, all groups empty, pupils differing from the klass.
  TLessonItem* a = AddLesson(0, {}, -1, -1, 10);
  // No groups at all: empty too, and 0 pupils.
  TLessonItem* b = AddLesson(0, {1}, -1, -1);
  b->SetSubItemsCount(0);
  // An identifier the separated blocks of lesson 0 would take in a variant.
  AddLesson(0, {1}, 0, 0)->SetID(kSepLessonIDOffset);
  AddLesson(0, {1}, 0, 0)->SetID(kSepLessonIDOffset - 1);
  d.Teachers[0]->PlanLessCnt = 2;
  (void)a;
  EXPECT_EQ(Run(), Ws({"1. 5А, -----: задайте почасовую раскладку.",
                       "2. 5А, -----: все подгруппы пусты.",
                       "3. 5А, -----: общее число учеников в подгруппах не равно числу учеников в классе.",
                       "4. 5А: все подгруппы пусты.",
                       "5. 5А: общее число учеников в подгруппах не равно числу учеников в классе.",
                       "6. 5А, Русский: номер урока слишком велик для файла варианта (1000000 и больше): его часы "
                       "не сохранятся в вариантах расписаний."}));
}

TEST_F(LessonChecks, GroupRules) {
  TLessonItem* a = AddLesson(0, {1}, 0, 0, 10);
  a->SetSubItemsCount(3);
  a->GetSubItem(0)->TeacherID = 1;  // no subject
  a->GetSubItem(0)->ChildrenInGroup = 10;
  a->GetSubItem(1)->SubjectID = 0;  // no teacher
  a->GetSubItem(1)->ChildrenInGroup = 10;
  a->GetSubItem(2)->SubjectID = 1;
  a->GetSubItem(2)->TeacherID = 42;  // unknown teacher
  a->GetSubItem(2)->ChildrenInGroup = 5;
  // One teacher in two groups of a lesson would teach both at one hour.
  AddTwoGroups(0, 0, 0, 1, 0);
  d.Teachers[0]->PlanLessCnt = 2;
  d.Teachers[1]->PlanLessCnt = 1;
  EXPECT_EQ(Run(), Ws({"1. 5А, -----/Русский/Английский, Группа 1: укажите предмет.",
                       "2. 5А, -----/Русский/Английский, Группа 2: укажите учителя.",
                       "3. 5А, -----/Русский/Английский, Группа 3: ссылка на учителя некорректна.",
                       "4. 5А, Русский/Английский, Группа 2: учитель этой подгруппы в то же время ведет другую "
                       "подгруппу этого или связанного урока."}));
}

TEST_F(LessonChecks, DaysNeededWithSeparatedBlocks) {
  TLessonItem probe;
  for (int b : {1, 1, 2}) probe.ChangeQuant(+1, b);
  probe.SetQuant(kQuantWords, 2);
  EXPECT_EQ(LessonDaysNeeded(probe), 2);
  probe.SetQuant(kQuantWords - 1, 1);
  probe.SetQuant(kQuantWords - 2, 1);
  EXPECT_EQ(LessonDaysNeeded(probe), 3);

  // The klass works only two days; so does the teacher.
  TKlassItem* k = d.Klasses[0];
  TTeacherItem* t = d.Teachers[0];
  for (int day = 3; day <= 6; ++day)
    for (int h = 1; h <= L; ++h) {
      k->SetBusy((day - 1) * 24 + h, 1);
      t->SetBusy((day - 1) * 24 + h, {1, 0});
    }
  EXPECT_EQ(KlassWorkingDays(*k, L), 2);
  EXPECT_EQ(TeacherWorkingDays(*t, L), 2);
  SetSeparated(AddLesson(0, {1, 1, 2}, 0, 0), {2});
  SetSeparated(AddLesson(0, {1, 1, 2}, 0, 0), {1, 1, 2});
  d.Teachers[0]->PlanLessCnt = 8;
  EXPECT_EQ(Run(), Ws({"1. 5А, Русский: для осуществления указанной раскладки числа рабочих дней класса недостаточно.",
                       "2. 5А, Русский, Группа 1: для осуществления указанной раскладки числа рабочих дней учителя недостаточно."}));
}

TEST_F(LessonChecks, TeacherWorkingDaysLeaveOutMethodicalDays) {
  d.Teachers[0]->MetodicalDays = 2;
  AddLesson(0, {1, 1, 1, 1, 1}, 0, 0);
  d.Teachers[0]->PlanLessCnt = 5;
  EXPECT_EQ(Run(), Ws({"1. 5А, Русский, Группа 1: для осуществления указанной раскладки числа рабочих дней учителя недостаточно."}));
}

TEST_F(LessonChecks, EverySeparatedLengthNeedsABlockOfItsOwn) {
  TLessonItem probe;
  for (int b : {1, 1, 2}) probe.ChangeQuant(+1, b);
  probe.SetQuant(kQuantWords, 1);
  probe.SetQuant(kQuantWords - 1, 1);
  EXPECT_TRUE(SeparatedBlocksMatch(probe));
  probe.SetQuant(kQuantWords - 2, 1);  // three 1s against two blocks of 1
  EXPECT_FALSE(SeparatedBlocksMatch(probe));

  TLessonItem* a = AddLesson(0, {1, 2}, 0, 0);
  SetSeparated(a, {1, 1});
  TLessonItem* b = AddLesson(0, {1, 2}, 0, 0);
  SetSeparated(b, {3});
  TLessonItem* c = AddLesson(0, {1, 2}, 0, 0);
  SetSeparated(c, {2, 1});  // any order
  d.Teachers[0]->PlanLessCnt = 9;
  EXPECT_EQ(Run(), Ws({"1. 5А, Русский: \"отделены\" часы, отсутствующие в раскладке.",
                       "2. 5А, Русский: \"отделены\" часы, отсутствующие в раскладке."}));
}

TEST_F(LessonChecks, LinkFindingsStopAtTheFirstOfTheGroup) {
  // Not mutual, then a second bad link that is not reported.
  TLessonItem* a = AddLesson(0, {2}, 0, 0);
  TLessonItem* b = AddLesson(1, {2}, 0, 0);
  a->GetSubItem(0)->ChangeLink(+1, {b->ID(), 0});
  a->GetSubItem(0)->ChangeLink(+1, {99, 0});
  // Another subject.
  TLessonItem* c = AddLesson(0, {2}, 0, 1);
  TLessonItem* e = AddLesson(1, {2}, 1, 1);
  Link(c, 0, e, 0);
  // Another layout.
  TLessonItem* f = AddLesson(0, {2}, 0, 1);
  TLessonItem* g = AddLesson(1, {1, 1}, 0, 1);
  Link(f, 0, g, 0);
  // Linked to itself: it names itself as its own mutual, same-teacher,
  // same-layout counterpart.
  TLessonItem* h = AddLesson(0, {1}, 0, 0);
  h->GetSubItem(0)->ChangeLink(+1, {h->ID(), 0});
  // Joint with two lessons of one klass, and with another lesson of its
  // own klass: a klass's hour cannot hold both.
  TLessonItem* m = AddLesson(0, {1}, 0, 0);
  TLessonItem* n = AddLesson(1, {1}, 0, 0);
  TLessonItem* o = AddLesson(1, {1}, 0, 0);
  Link(m, 0, n, 0);
  Link(m, 0, o, 0);
  TLessonItem* q = AddLesson(0, {1}, 0, 0);
  TLessonItem* r = AddLesson(0, {1}, 0, 0);
  Link(q, 0, r, 0);
  // No link joins one klass twice, but the joint lesson does: A of 5А is
  // joint through one group with B and through the other with C, both of
  // 5Б; a chain runs from 5А through 5Б and 5В back to 5А. Every lesson of
  // such a set is named.
  TKlassItem* k3 = d.Klasses.Add();
  k3->SetName(W("5В"));
  k3->ChildrenInKlass = 25;
  k3->ChangeStartLesson(+1, 1);
  TLessonItem* w = AddTwoGroups(0, 0, 1, 0, 0);
  Link(w, 0, AddLesson(1, {1}, 0, 1), 0);
  Link(w, 1, AddLesson(1, {1}, 0, 0), 0);
  TLessonItem* chain[4];
  for (int i = 0; i < 4; ++i) chain[i] = AddLesson(i % 3, {1}, 0, 0);
  for (int i = 0; i < 3; ++i) Link(chain[i], 0, chain[i + 1], 0);
  // Joint through their first groups, their second groups of one teacher
  // left apart: that teacher would teach both at one hour.
  TLessonItem* x = AddTwoGroups(0, 0, 0, 1, 1);
  Link(x, 0, AddTwoGroups(1, 0, 0, 1, 1), 0);
  d.Teachers[0]->PlanLessCnt = 10;
  d.Teachers[1]->PlanLessCnt = 7;  // c, f, w's first group, both second groups of x and its partner
  EXPECT_EQ(Run(), Ws({"1. 5А, Русский, Группа 1: одна из связок не взаимна.",
                       "2. 5А, Русский, Группа 1: у одной из связанных подгрупп другой предмет.",
                       "3. 5Б, Английский, Группа 1: у одной из связанных подгрупп другой предмет.",
                       "4. 5А, Русский, Группа 1: у одной из связанных подгрупп другая почасовая раскладка.",
                       "5. 5Б, Русский, Группа 1: у одной из связанных подгрупп другая почасовая раскладка.",
                       "6. 5А, Русский, Группа 1: одна из связок указывает на этот же урок.",
                       "7. 5А, Русский, Группа 1: связанные уроки принадлежат одному классу.",
                       "8. 5Б, Русский: связанные уроки принадлежат одному классу.",
                       "9. 5Б, Русский: связанные уроки принадлежат одному классу.",
                       "10. 5А, Русский, Группа 1: связанные уроки принадлежат одному классу.",
                       "11. 5А, Русский, Группа 1: связанные уроки принадлежат одному классу.",
                       "12. 5А, Русский/Русский: связанные уроки принадлежат одному классу.",
                       "13. 5Б, Русский: связанные уроки принадлежат одному классу.",
                       "14. 5Б, Русский: связанные уроки принадлежат одному классу.",
                       "15. 5А, Русский: связанные уроки принадлежат одному классу.",
                       "16. 5Б, Русский: связанные уроки принадлежат одному классу.",
                       "17. 5В, Русский: связанные уроки принадлежат одному классу.",
                       "18. 5А, Русский: связанные уроки принадлежат одному классу.",
                       "19. 5Б, Русский/Английский, Группа 2: учитель этой подгруппы в то же время ведет другую "
                       "подгруппу этого или связанного урока."}));
}

TEST_F(LessonChecks, AnyGroupLinkingBackMakesTheLinkMutual) {
  // a points at b's first group, but b's second group is the one that
  // links back: mutual for a; b's second group itself finds no link to it.
  TLessonItem* a = AddLesson(0, {2}, 0, 0, 25);
  TLessonItem* b = AddLesson(1, {2}, 0, 0, 12);
  b->SetSubItemsCount(2);
  for (int g = 0; g < 2; ++g) {
    b->GetSubItem(g)->SubjectID = 0;
    b->GetSubItem(g)->TeacherID = g == 0 ? 1 : 0;
  }
  b->GetSubItem(0)->ChildrenInGroup = 13;
  b->GetSubItem(1)->ChildrenInGroup = 12;
  a->GetSubItem(0)->ChangeLink(+1, {b->ID(), 0});
  b->GetSubItem(1)->ChangeLink(+1, {a->ID(), 0});
  // b's second group is joint with a (same teacher): counted once.
  d.Teachers[0]->PlanLessCnt = 2;
  d.Teachers[1]->PlanLessCnt = 2;
  EXPECT_EQ(Run(), Ws({"1. 5Б, Русский/Русский, Группа 2: одна из связок не взаимна."}));
}

// ---- all five ----

TEST(DataChecks, ProjectRunsTheFivePagesInOrder) {
  TProjectData d;
  std::vector<int> cleared;
  struct Spy : TDataReportPages {
    std::vector<int>* order;
    void ClearPage(int kind) override {
      order->push_back(kind);
      TDataReportPages::ClearPage(kind);
    }
  } spy;
  spy.order = &cleared;
  int pumps = 0;
  CheckProjectData(d, &spy, [&] { ++pumps; });
  EXPECT_EQ(cleared, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(pumps, 5);
  for (int k = 0; k < kCheckPageCount; ++k) EXPECT_EQ(spy.Lines(k), Ws({"1. Ошибок не обнаружено."})) << k;
}

}  // namespace
}  // namespace korvant
